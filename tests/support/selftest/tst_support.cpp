#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

// Protects the isolation every other test relies on: settings and data never reach the
// user's real folders, and the old environment comes back afterwards.
class TestSupport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void environmentIsIsolatedAndRestored()
    {
        const QByteArray before = qgetenv("XDG_CONFIG_HOME");
        QString root;
        {
            klang::test::TestEnvironment env;
            root = env.root();
            QVERIFY(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                        .startsWith(root));
            QVERIFY(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                        .startsWith(root));
            QVERIFY(QDir(env.path(QStringLiteral("a/b"))).exists());
        }
        QCOMPARE(qgetenv("XDG_CONFIG_HOME"), before);
        QVERIFY(!QDir(root).exists());
    }
};

QTEST_GUILESS_MAIN(TestSupport)
#include "tst_support.moc"
