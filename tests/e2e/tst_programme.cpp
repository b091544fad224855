// What every program of the family does at start, checked on the real executables.

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QRegularExpression>
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

    // Every sound a program plays and every help page it opens is installed: the names the
    // programs' sources ask for ("false.wav", "spaltenanordnen.html", ...) against the
    // staged resources (sounds beside the programs, pages in help/).
    void ressourcenVollstaendig()
    {
        const QString quellen = QStringLiteral(KLANG_QUELLORDNER);
        const QRegularExpression name(
            QStringLiteral(R"re("([A-Za-z0-9_äöüÄÖÜß -]+\.(wav|html))")re"));
        QMap<QString, QStringList> gesucht; // resource path -> where it is asked for
        for (const char* ordner : {"player", "kit", "dbmanager", "backup", "mediacheck",
                                   "audiocd", "tv", "platform"}) {
            QDirIterator it(quellen + QLatin1Char('/') + QLatin1String(ordner), {QStringLiteral("*.cpp")},
                            QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString datei = it.next();
                QFile f(datei);
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QString text = QString::fromUtf8(f.readAll());
                for (auto m = name.globalMatch(text); m.hasNext();) {
                    const auto treffer = m.next();
                    const QString pfad = treffer.captured(2) == QLatin1String("html")
                        ? QStringLiteral("help/") + treffer.captured(1)
                        : treffer.captured(1);
                    gesucht[pfad] << QDir(quellen).relativeFilePath(datei);
                }
            }
        }
        // The sounds of the message box and the pages of the help menus at least.
        for (const char* muss : {"Infozeichen.wav", "Fragezeichen.wav", "Ausrufezeichen.wav",
                                 "Stoppzeichen.wav", "false.wav", "Blues.wav", "help/index.html",
                                 "help/spaltenanordnen.html", "help/bestwart.html", "help/diskolo.html",
                                 "help/fernsicht.html"})
            QVERIFY2(gesucht.contains(QString::fromUtf8(muss)), muss);
        QStringList fehlt;
        const QString ressourcen = qEnvironmentVariable("KLANGTRUHE_RESOURCES");
        for (auto it = gesucht.cbegin(); it != gesucht.cend(); ++it)
            if (!QFileInfo(QDir(ressourcen).filePath(it.key())).isFile())
                fehlt << it.key() + QStringLiteral(" (") + it.value().join(QStringLiteral(", ")) + u')';
        QVERIFY2(fehlt.isEmpty(), qPrintable(fehlt.join(QStringLiteral("; "))));
    }
};

QTEST_GUILESS_MAIN(TestProgramme)
#include "tst_programme.moc"
