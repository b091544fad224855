// The Datenbank executable itself: one instance at a time.

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

class TestProgramm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A second start hands over to the running one and ends at once with code 0, without
    // showing a window or the safety notice.
    void zweiterStartEndetSofort()
    {
        const QString programm = qEnvironmentVariable("KLANGTRUHE_BIN_DIR") + QStringLiteral("/Datenbank");
        if (!QFileInfo(programm).isExecutable())
            QSKIP("Datenbank is not built");
        klang::test::TestEnvironment env;
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        const QString laufzeit = env.path(QStringLiteral("runtime"));
        QFile::setPermissions(laufzeit, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        umgebung.insert(QStringLiteral("XDG_RUNTIME_DIR"), laufzeit);
        umgebung.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        QProcess erster;
        erster.setProcessEnvironment(umgebung);
        erster.start(programm, {});
        QVERIFY(erster.waitForStarted());
        // The first one holds its lock once it listens.
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(laufzeit).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty(), 10000);
        QTest::qWait(300);

        QProcess zweiter;
        zweiter.setProcessEnvironment(umgebung);
        zweiter.start(programm, {});
        QVERIFY(zweiter.waitForFinished(10000));
        QCOMPARE(zweiter.exitStatus(), QProcess::NormalExit);
        QCOMPARE(zweiter.exitCode(), 0);
        QCOMPARE(erster.state(), QProcess::Running);

        erster.kill();
        erster.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestProgramm)
#include "tst_programm.moc"
