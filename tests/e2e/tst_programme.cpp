// What every program of the family does at start, checked on the real executables.

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {

QString programm(const QString& name)
{
    return QDir(qEnvironmentVariable("KLANGTRUHE_BIN_DIR")).filePath(name);
}

// Reads the process's memory map: Qt maps a loaded translation file into memory.
bool hatDateiGeladen(qint64 pid, const QString& dateiName)
{
    QFile karte(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!karte.open(QIODevice::ReadOnly))
        return false;
    return QString::fromUtf8(karte.readAll()).contains(dateiName);
}

void beenden(QProcess& p)
{
    p.kill();
    p.waitForFinished(5000);
}

} // namespace

class TestProgramme : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void programme_data()
    {
        QTest::addColumn<QString>("name");
        // Prueflotse only shows a window when the playback library is missing.
        for (const char* name : {"KlangtruhePlayer", "Datenbank", "Ordnerwacht", "Prueflotse",
                                 "Diskolo", "Fernsicht"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    // Qt's own dialogs and buttons speak German: every program loads Qt's German texts.
    void programme()
    {
        QFETCH(QString, name);
        if (!QFile::exists(programm(name)))
            QSKIP("this program is not built in this tree");
        klang::test::TestEnvironment env;
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        umgebung.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        umgebung.insert(QStringLiteral("XDG_RUNTIME_DIR"), env.path(QStringLiteral("laufzeit")));
        QFile::setPermissions(env.path(QStringLiteral("laufzeit")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        umgebung.insert(QStringLiteral("KLANGTRUHE_PRUEFLOTSE_LIB"),
                        QStringLiteral("libklangtruhe-gibt-es-nicht.so.9"));
        QProcess p;
        p.setProcessEnvironment(umgebung);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(programm(name), {});
        QVERIFY(p.waitForStarted(5000));
        bool geladen = false;
        QElapsedTimer uhr;
        uhr.start();
        while (!geladen && uhr.elapsed() < 15000 && p.state() == QProcess::Running) {
            QTest::qWait(50);
            geladen = hatDateiGeladen(p.processId(), QStringLiteral("qtbase_de.qm"));
        }
        beenden(p);
        QVERIFY2(geladen, qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestProgramme)
#include "tst_programme.moc"
