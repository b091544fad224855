// The real program: a second start hands over to the running one and ends without touching
// any setting.

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

class ZweiterStartTest : public QObject
{
    Q_OBJECT
private slots:
    // Starting a second copy leaves the first running and the settings file as it was.
    void zweiterStartEndet()
    {
        klang::test::TestEnvironment env;
        const QString programm = qEnvironmentVariable("KLANGTRUHE_BIN_DIR") + QStringLiteral("/KlangtruhePlayer");
        QVERIFY2(QFile::exists(programm), qPrintable(programm));
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.insert(QStringLiteral("XDG_RUNTIME_DIR"), env.path(QStringLiteral("run")));
        QFile::setPermissions(env.path(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        umgebung.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        QProcess erster;
        erster.setProcessEnvironment(umgebung);
        erster.start(programm, {});
        QVERIFY(erster.waitForStarted(5000));
        const QString ini = env.configHome() + QStringLiteral("/Klangtruhe/KlangtruhePlayer.ini");
        QElapsedTimer uhr;
        uhr.start();
        QByteArray vorher;
        while (uhr.elapsed() < 10000) {
            QFile f(ini);
            if (f.open(QIODevice::ReadOnly)) {
                vorher = f.readAll();
                if (vorher.contains("ArchivPfad"))
                    break;
            }
            QTest::qWait(50);
        }
        QVERIFY2(vorher.contains("ArchivPfad"), "the first copy did not start");
        QTest::qWait(200);
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        vorher = f.readAll();
        f.close();

        QProcess zweiter;
        zweiter.setProcessEnvironment(umgebung);
        zweiter.start(programm, {QStringLiteral("abc")});
        QVERIFY(zweiter.waitForFinished(10000));
        QCOMPARE(zweiter.exitCode(), 0);
        QCOMPARE(erster.state(), QProcess::Running);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), vorher);

        erster.terminate();
        if (!erster.waitForFinished(5000)) {
            erster.kill();
            erster.waitForFinished(2000);
        }
    }
};

QTEST_GUILESS_MAIN(ZweiterStartTest)
#include "tst_zweiterstart.moc"
