#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

// Starts the real Ordnerwacht executable.
class TestOrdnerwachtProgram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void secondStartEndsSilently();
    void elevatedCopyWaitsForTheFirst();

private:
    void vorbereiten(QProcess& p) const;
    QString m_programm;
    klang::test::TestEnvironment m_env;
};

void TestOrdnerwachtProgram::initTestCase()
{
    m_programm = qEnvironmentVariable("KLANGTRUHE_BIN_DIR") + QStringLiteral("/Ordnerwacht");
    if (!QFile::exists(m_programm))
        QSKIP("Ordnerwacht has not been built");
    QFile::setPermissions(m_env.path(QStringLiteral("run")), QFileDevice::ReadOwner
                              | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestOrdnerwachtProgram::vorbereiten(QProcess& p) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_env.path(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_env.path(QStringLiteral("cwd")));
    p.setProgram(m_programm);
}

// A second start while the program runs ends at once, without a message, with success.
void TestOrdnerwachtProgram::secondStartEndsSilently()
{
    QProcess erster;
    vorbereiten(erster);
    erster.start();
    QVERIFY(erster.waitForStarted());
    QTest::qWait(1500);
    QCOMPARE(erster.state(), QProcess::Running);

    QProcess zweiter;
    vorbereiten(zweiter);
    zweiter.start();
    QVERIFY(zweiter.waitForFinished(10000));
    QCOMPARE(zweiter.exitStatus(), QProcess::NormalExit);
    QCOMPARE(zweiter.exitCode(), 0);
    QCOMPARE(erster.state(), QProcess::Running);
    erster.terminate();
    QVERIFY(erster.waitForFinished(5000));
}

// The copy started for the admin restart waits while the first copy runs and then stays,
// instead of ending itself as a second start.
void TestOrdnerwachtProgram::elevatedCopyWaitsForTheFirst()
{
    QProcess erster;
    vorbereiten(erster);
    erster.start();
    QVERIFY(erster.waitForStarted());
    QTest::qWait(1500);

    QProcess neu;
    vorbereiten(neu);
    neu.setArguments({QStringLiteral("--warte-auf"), QString::number(erster.processId())});
    neu.start();
    QVERIFY(neu.waitForStarted());
    QTest::qWait(1000);
    QCOMPARE(neu.state(), QProcess::Running);

    erster.terminate();
    QVERIFY(erster.waitForFinished(5000));
    QTest::qWait(2000);
    QCOMPARE(neu.state(), QProcess::Running); // it took over, not ended as a second start

    QProcess dritter; // and it now is the running copy
    vorbereiten(dritter);
    dritter.start();
    QVERIFY(dritter.waitForFinished(10000));
    QCOMPARE(dritter.exitCode(), 0);
    neu.terminate();
    QVERIFY(neu.waitForFinished(5000));
}

QTEST_GUILESS_MAIN(TestOrdnerwachtProgram)
#include "tst_program.moc"
