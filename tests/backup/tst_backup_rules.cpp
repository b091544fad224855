#include "backup/AdminNeustart.h"
#include "backup/ArchiverVorgaben.h"
#include "backup/Kommandozeile.h"
#include "backup/Laufpruefung.h"
#include "backup/Listen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace backup;

class TestBackupRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void vorgabeFuer_data();
    void vorgabeFuer();
    void zweigFolgtDemProgrammtext_data();
    void zweigFolgtDemProgrammtext();
    void kommandoBauen_data();
    void kommandoBauen();
    void alsAnzeige_data();
    void alsAnzeige();
    void maskeOderStandard_data();
    void maskeOderStandard();
    void spiegelungErkannt_data();
    void spiegelungErkannt();
    void laufVerweigert_data();
    void laufVerweigert();
    void programmAufloesen_data();
    void programmAufloesen();
    void pkexecArgumente();
    void warteAufPid_data();
    void warteAufPid();
    void listenEintraege_data();
    void listenEintraege();
    void sortiertePosition();
    void alsExtension_data();
    void alsExtension();
    void ordnerMitTrenner_data();
    void ordnerMitTrenner();
    void laufErgebnis_data();
    void laufErgebnis();
};

// Exit codes judged per program: files left out make a backup incomplete (never a success),
// codes above the program's limit are failures; the count of left-out files comes from the
// program's own words.
void TestBackupRules::laufErgebnis_data()
{
    QTest::addColumn<QString>("programm");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("ausgabe");
    QTest::addColumn<int>("ausgang");
    QTest::addColumn<int>("ausgelassen");
    QTest::addColumn<int>("ordner");
    const int ok = int(Ausgang::Erfolg);
    const int teil = int(Ausgang::Unvollstaendig);
    const int fehler = int(Ausgang::Fehler);
    QTest::newRow("7z ok") << "/usr/bin/7z" << 0 << "Everything is Ok" << ok << -1 << 0;
    QTest::newRow("7z cannot open") << "/usr/bin/7z" << 1 << "WARNING: Cannot open 1 file\n" << teil << 1 << 0;
    QTest::newRow("7z warnings") << "7z" << 1 << "x\nWarnings: 3\n" << teil << 3 << 0;
    QTest::newRow("7z fatal") << "7z" << 2 << "" << fehler << -1 << 0;
    QTest::newRow("7z command line") << "7z" << 7 << "" << fehler << -1 << 0;
    QTest::newRow("zip skipped") << "/usr/bin/zip" << 18 << "files/entries read:  1 (3 bytes)  skipped:  2 (4 bytes)" << teil << 2 << 0;
    // A folder that cannot be listed: its files are missing without being counted.
    QTest::newRow("7z unreadable folder") << "7z" << 1 << "Scan WARNINGS: 1\nWARNING: Cannot open 1 file\n" << teil << 1 << 1;
    QTest::newRow("zip unreadable folder") << "zip" << 18
        << "zip warning: could not open for reading: a.txt\nzip warning: Permission denied\n\n"
           "zip warning: Not all files were readable\n  files/entries read:  3 (2 bytes)  skipped:  1 (2 bytes)"
        << teil << 1 << 1;
    QTest::newRow("zip nothing to do") << "zip" << 12 << "" << fehler << -1 << 0;
    QTest::newRow("rsync partial") << "/usr/bin/rsync" << 23 << "rsync: send_files failed" << teil << -1 << 0;
    QTest::newRow("rsync vanished") << "rsync" << 24 << "" << teil << -1 << 0;
    QTest::newRow("rsync io error") << "rsync" << 11 << "" << fehler << -1 << 0;
    QTest::newRow("cp error") << "/bin/cp" << 1 << "cp: cannot open" << fehler << -1 << 0;
    QTest::newRow("robocopy copied") << "robocopy" << 3 << "" << ok << -1 << 0;
    QTest::newRow("robocopy failed") << "robocopy" << 8 << "" << fehler << -1 << 0;
    QTest::newRow("unknown program") << "/usr/bin/tar" << 1 << "" << fehler << -1 << 0;
}

void TestBackupRules::laufErgebnis()
{
    QFETCH(QString, programm);
    QFETCH(int, code);
    QFETCH(QString, ausgabe);
    QFETCH(int, ausgang);
    QFETCH(int, ausgelassen);
    QFETCH(int, ordner);
    const LaufErgebnis e = backup::laufErgebnis(programm, code, ausgabe);
    QCOMPARE(int(e.ausgang), ausgang);
    QCOMPARE(e.ausgelassen, ausgelassen);
    QCOMPARE(e.ausgelasseneOrdner, ordner);
    if (backup::vorgabeFuer(programm) && !backup::vorgabeFuer(programm)->bedeutungen.isEmpty())
        QVERIFY(!e.bedeutung.isEmpty());
}

// The first matching row wins; WZZIP before WINZIP, any "7z" name takes 7-Zip, ".exe" and case
// do not matter, an unknown program matches no row.
void TestBackupRules::vorgabeFuer_data()
{
    QTest::addColumn<QString>("programm");
    QTest::addColumn<QString>("kennung");
    QTest::addColumn<QString>("parameter");
    QTest::newRow("wzzip") << "C:\\Programme\\WinZip\\WZZIP.EXE" << "WZZIP" << "-p -r";
    QTest::newRow("winzip") << "C:\\Programme\\WinZip\\winzip32.exe" << "WINZIP" << "-a -r";
    QTest::newRow("7z windows") << "C:\\Tools\\7z.exe" << "7z" << "a -r";
    QTest::newRow("7z linux") << "/usr/bin/7z" << "7z" << "a -r";
    QTest::newRow("7za") << "/usr/bin/7za" << "7z" << "a -r";
    QTest::newRow("winrar") << "/opt/WinRAR.exe" << "winrar" << "a -r";
    QTest::newRow("robocopy path") << "C:\\Windows\\system32\\ROBOCOPY.EXE" << "Robocopy.exe"
                                   << "/MIR /ZB /FFT /DST /W:3 /R:3 /NP /NDL /Log:C:\\Ordnerwacht.log /TEE";
    QTest::newRow("robocopy linux") << "/usr/local/bin/robocopy" << "Robocopy.exe"
                                    << "/MIR /ZB /FFT /DST /W:3 /R:3 /NP /NDL /Log:C:\\Ordnerwacht.log /TEE";
    QTest::newRow("xcopy") << "/usr/bin/xcopy" << "xcopy.exe" << "/D /E /C /F /Y /H /R /K";
    QTest::newRow("unknown") << "/usr/bin/tar" << "" << "";
    QTest::newRow("empty") << "" << "" << "";
}

void TestBackupRules::vorgabeFuer()
{
    QFETCH(QString, programm);
    QFETCH(QString, kennung);
    QFETCH(QString, parameter);
    const ArchiverVorgabe* zeile = backup::vorgabeFuer(programm);
    if (kennung.isEmpty()) {
        QVERIFY(!zeile);
        return;
    }
    QVERIFY(zeile);
    QCOMPARE(zeile->kennung, kennung);
    QCOMPARE(zeile->parameter, parameter);
}

// The branch follows the program text alone (Robocopy, else Xcopy, else archive).
void TestBackupRules::zweigFolgtDemProgrammtext_data()
{
    QTest::addColumn<QString>("programm");
    QTest::addColumn<int>("zweig");
    QTest::newRow("robocopy") << "C:\\Windows\\System32\\Robocopy.exe" << int(Zweig::Robocopy);
    QTest::newRow("xcopy") << "C:\\Windows\\System32\\XCOPY.EXE" << int(Zweig::Xcopy);
    QTest::newRow("7z") << "/usr/bin/7z" << int(Zweig::SiebenZip);
    QTest::newRow("zip") << "/usr/bin/zip" << int(Zweig::Zip);
    QTest::newRow("rsync") << "/usr/bin/rsync" << int(Zweig::Rsync);
    QTest::newRow("cp") << "/bin/cp" << int(Zweig::Cp);
    QTest::newRow("scp is no cp") << "/usr/bin/scp" << int(Zweig::Archiv);
    QTest::newRow("unknown") << "/usr/bin/tar" << int(Zweig::Archiv);
}

void TestBackupRules::zweigFolgtDemProgrammtext()
{
    QFETCH(QString, programm);
    QFETCH(int, zweig);
    QCOMPARE(int(zweigFuer(programm)), zweig);
}

// The shown line and the argument list for every branch: parameters as typed in the shown
// line, split without leading blanks in the run; paths with blanks quoted in the shown line and
// single elements in the run; shell metacharacters stay literal.
void TestBackupRules::kommandoBauen_data()
{
    QTest::addColumn<QString>("programm");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("quelle");
    QTest::addColumn<QString>("zielpfad");
    QTest::addColumn<QString>("archivdatei");
    QTest::addColumn<QString>("maske");
    QTest::addColumn<QString>("anzeige");
    QTest::addColumn<QStringList>("argumente");

    QTest::newRow("7z plain") << "/usr/bin/7z" << "a -r" << "/daten/" << "/sich/" << "Ordnerwacht.7z" << "*.*"
        << "7z a -r -- /sich/Ordnerwacht.7z /daten/*"
        << QStringList{"a", "-r", "--", "/sich/Ordnerwacht.7z", "*"};
    QTest::newRow("leading blanks") << "/usr/bin/7z" << "  -a -r" << "/daten/" << "/sich/" << "A.7z" << "*.*"
        << "7z   -a -r -- /sich/A.7z /daten/*"
        << QStringList{"-a", "-r", "--", "/sich/A.7z", "*"};
    QTest::newRow("empty parameters") << "/usr/bin/7z" << "" << "/daten/" << "/sich/" << "A.7z" << "*.txt"
        << "7z  -- /sich/A.7z /daten/*.txt"
        << QStringList{"--", "/sich/A.7z", "*.txt"};
    QTest::newRow("blanks in paths") << "/opt/my tools/7z" << "a -r" << "/home/u/Meine Daten/"
        << "/media/Ziel Platte/" << "Ordnerwacht.7z" << "*.*"
        << "7z a -r -- \"/media/Ziel Platte/Ordnerwacht.7z\" \"/home/u/Meine Daten/*\""
        << QStringList{"a", "-r", "--", "/media/Ziel Platte/Ordnerwacht.7z", "*"};
    QTest::newRow("shell metacharacters") << "7z" << "a -r" << "/tmp/$(touch x)/" << "/sich/" << "A.7z" << "*.*"
        << "7z a -r -- /sich/A.7z '/tmp/$(touch x)/*'"
        << QStringList{"a", "-r", "--", "/sich/A.7z", "*"};
    QTest::newRow("source without separator") << "7z" << "a -r" << "/daten" << "/sich/" << "A.7z" << "*.*"
        << "7z a -r -- /sich/A.7z /daten/*"
        << QStringList{"a", "-r", "--", "/sich/A.7z", "*"};
    QTest::newRow("quoted parameter") << "7z" << "a -r \"-xr!*.tmp files\"" << "/d/" << "/s/" << "A.7z" << "*.*"
        << "7z a -r \"-xr!*.tmp files\" -- /s/A.7z /d/*"
        << QStringList{"a", "-r", "-xr!*.tmp files", "--", "/s/A.7z", "*"};
    // A typed relative path counts from the home folder: "-p/" can never reach 7-Zip as its
    // password switch.
    QTest::newRow("relative source is no switch") << "7z" << "a -r" << "-p/" << "/s/" << "A.7z" << "*.*"
        << "7z a -r -- /s/A.7z {H}/-p/*"
        << QStringList{"a", "-r", "--", "/s/A.7z", "*"};
    // This system's programs, each in its own argument order, after "--".
    QTest::newRow("rsync mirrors the contents") << "/usr/bin/rsync" << "-a --delete" << "/daten/" << "/sich/"
        << "Kopie" << "" << "rsync -a --delete -- /daten/ /sich/Kopie/"
        << QStringList{"-a", "--delete", "--", "/daten/", "/sich/Kopie/"};
    QTest::newRow("rsync with a mask") << "rsync" << "-a" << "/daten" << "/sich/" << "K" << "*.txt"
        << "rsync -a --include=*/ --include=*.txt --exclude=* -- /daten/ /sich/K/"
        << QStringList{"-a", "--include=*/", "--include=*.txt", "--exclude=*", "--", "/daten/", "/sich/K/"};
    QTest::newRow("cp copies the contents") << "/bin/cp" << "-a -u -v" << "/daten/" << "/sich/" << "Kopie" << "*"
        << "cp -a -u -v -- /daten/. /sich/Kopie/"
        << QStringList{"-a", "-u", "-v", "--", "/daten/.", "/sich/Kopie/"};
    QTest::newRow("zip runs inside the source") << "/usr/bin/zip" << "-r" << "/daten/" << "/sich/" << "A.zip" << "*.*"
        << "zip -r /sich/A.zip -- ."
        << QStringList{"-r", "/sich/A.zip", "--", "."};
    QTest::newRow("zip with a mask") << "zip" << "-r" << "/daten/" << "/sich/" << "A.zip" << "*.txt"
        << "zip -r /sich/A.zip -i *.txt -- ."
        << QStringList{"-r", "/sich/A.zip", "-i", "*.txt", "--", "."};
    QTest::newRow("robocopy strips one separator") << "C:\\Windows\\System32\\Robocopy.exe" << "/MIR /R:3"
        << "/daten/" << "/sich/" << "Kopie" << ""
        << "Robocopy.exe /daten /sich/Kopie /MIR /R:3"
        << QStringList{"/daten", "/sich/Kopie", "/MIR", "/R:3"};
    QTest::newRow("robocopy windows source") << "robocopy" << "/E" << "D:\\Daten\\" << "E:\\" << "K" << ""
        << "robocopy 'D:\\Daten' 'E:\\K' /E"
        << QStringList{"D:\\Daten", "E:\\K", "/E"};
    QTest::newRow("xcopy keeps separator") << "/usr/bin/xcopy" << "/D /E" << "/daten/" << "/sich/" << "Kopie"
        << "*.*" << "xcopy /daten/*.* /sich/Kopie /D /E"
        << QStringList{"/daten/*.*", "/sich/Kopie", "/D", "/E"};
}

void TestBackupRules::kommandoBauen()
{
    QFETCH(QString, programm);
    QFETCH(QString, parameter);
    QFETCH(QString, quelle);
    QFETCH(QString, zielpfad);
    QFETCH(QString, archivdatei);
    QFETCH(QString, maske);
    QFETCH(QString, anzeige);
    QFETCH(QStringList, argumente);
    KommandoEingaben e;
    e.programm = programm;
    e.parameter = parameter;
    e.quellpfad = quelle;
    e.zielpfad = zielpfad;
    e.archivdatei = archivdatei;
    e.zielText = zielpfad + archivdatei;
    e.maske = maske;
    const Kommando k = backup::kommandoBauen(e);
    anzeige.replace(QStringLiteral("{H}"), QDir::homePath());
    argumente.replaceInStrings(QStringLiteral("{H}"), QDir::homePath());
    QCOMPARE(k.anzeige, anzeige);
    QCOMPARE(k.argumente, argumente);
    if (k.zweig == Zweig::Zip || k.zweig == Zweig::SiebenZip)
        QCOMPARE(k.arbeitsordner, backup::absoluterPfad(quelle));
}

// Only texts that a reader (or a shell) would split or expand get quotes.
void TestBackupRules::alsAnzeige_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("angezeigt");
    QTest::newRow("plain") << "/a/b" << "/a/b";
    QTest::newRow("blank") << "/a b/c" << "\"/a b/c\"";
    QTest::newRow("umlaut") << "/Größe/ä" << "/Größe/ä";
    QTest::newRow("dollar") << "$(touch x)" << "'$(touch x)'";
    QTest::newRow("single quote") << "it's" << "'it'\\''s'";
    QTest::newRow("semicolon") << "a;b" << "\"a;b\"";
    QTest::newRow("empty") << "" << "\"\"";
}

void TestBackupRules::alsAnzeige()
{
    QFETCH(QString, argument);
    QFETCH(QString, angezeigt);
    QCOMPARE(backup::alsAnzeige(argument), angezeigt);
}

// An empty or one-blank mask becomes "*.*"; anything else stays.
void TestBackupRules::maskeOderStandard_data()
{
    QTest::addColumn<QString>("maske");
    QTest::addColumn<QString>("ergebnis");
    QTest::newRow("empty") << "" << "*.*";
    QTest::newRow("blank") << " " << "*.*";
    QTest::newRow("two blanks") << "  " << "  ";
    QTest::newRow("txt") << "*.txt" << "*.txt";
}

void TestBackupRules::maskeOderStandard()
{
    QFETCH(QString, maske);
    QFETCH(QString, ergebnis);
    QCOMPARE(backup::maskeOderStandard(maske), ergebnis);
}

// Mirror runs are recognised by their parameter, in any case, not by a part of another word.
void TestBackupRules::spiegelungErkannt_data()
{
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<bool>("spiegeln");
    QTest::newRow("robocopy default") << backup::archiverVorgaben().at(0).parameter << true;
    QTest::newRow("lower") << "/e /mir" << true;
    QTest::newRow("purge") << "/PURGE" << true;
    QTest::newRow("xcopy") << "/D /E /C" << false;
    QTest::newRow("log named mir") << "/Log:/tmp/MIR.log" << false;
}

void TestBackupRules::spiegelungErkannt()
{
    QFETCH(QString, parameter);
    QFETCH(bool, spiegeln);
    QCOMPARE(istSpiegelung(parameter), spiegeln);
}

// Runs that would copy the wrong folder, write to a root or into the source are refused;
// ordinary runs pass. {S} is an existing source folder, {T} a folder beside it.
void TestBackupRules::laufVerweigert_data()
{
    QTest::addColumn<QString>("programm");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("quelle");
    QTest::addColumn<QString>("zielpfad");
    QTest::addColumn<QString>("archivdatei");
    QTest::addColumn<QString>("fehlerteil"); // "" = allowed

    QTest::newRow("ok archive") << "7z" << "a -r" << "{S}/" << "{T}/" << "A.7z" << "";
    QTest::newRow("ok copy") << "robocopy" << "/MIR" << "{S}/" << "{T}/" << "Kopie" << "";
    QTest::newRow("empty source") << "7z" << "a -r" << "" << "{T}/" << "A.7z" << "kein Quellpfad";
    QTest::newRow("blank source") << "7z" << "a -r" << "  " << "{T}/" << "A.7z" << "kein Quellpfad";
    QTest::newRow("missing source") << "7z" << "a -r" << "{S}/fehlt/" << "{T}/" << "A.7z" << "existiert nicht";
    QTest::newRow("empty target") << "7z" << "a -r" << "{S}/" << "" << "A.7z" << "kein Zielpfad";
    QTest::newRow("empty archive name") << "7z" << "a -r" << "{S}/" << "{T}/" << "" << "kein Zielpfad";
    QTest::newRow("copy empty target") << "robocopy" << "/E" << "{S}/" << "" << "" << "kein Zielpfad";
    QTest::newRow("root archive") << "7z" << "a -r" << "{S}/" << "/" << "A.7z" << "Wurzelverzeichnis";
    QTest::newRow("mirror onto root") << "robocopy" << "/MIR" << "{S}/" << "/" << "" << "Wurzelverzeichnis";
    QTest::newRow("windows root") << "robocopy" << "/MIR" << "{S}/" << "C:\\" << "" << "Wurzelverzeichnis";
    QTest::newRow("target is source") << "robocopy" << "/MIR" << "{S}" << "{S}" << "" << "Quellordner";
    QTest::newRow("target inside source") << "xcopy" << "/E" << "{S}/" << "{S}/" << "Kopie" << "Quellordner";
    QTest::newRow("archive inside source") << "7z" << "a -r" << "{S}/" << "{S}/" << "A.7z" << "Quellordner";
    QTest::newRow("mirror source inside target") << "robocopy" << "/MIR" << "{S}/" << "{S}/.." << "" << "Spiegeln";
    QTest::newRow("sibling with common prefix") << "xcopy" << "/E" << "{S}/" << "{S}x/" << "" << "";
    QTest::newRow("missing archive folder") << "7z" << "a -r" << "{S}/" << "{T}/fehlt/" << "A.7z" << "existiert nicht";
    QTest::newRow("missing folder above the copy") << "rsync" << "-a" << "{S}/" << "{T}/fehlt/" << "K" << "existiert nicht";
    QTest::newRow("relative source") << "7z" << "a -r" << "-p/" << "{T}/" << "A.7z" << "existiert nicht";
}

void TestBackupRules::laufVerweigert()
{
    QFETCH(QString, programm);
    QFETCH(QString, parameter);
    QFETCH(QString, quelle);
    QFETCH(QString, zielpfad);
    QFETCH(QString, archivdatei);
    QFETCH(QString, fehlerteil);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("quelle")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("ziel")));
    const auto ersetzen = [&](QString text) {
        text.replace(QLatin1String("{S}"), dir.path() + QStringLiteral("/quelle"));
        text.replace(QLatin1String("{T}"), dir.path() + QStringLiteral("/ziel"));
        return text;
    };
    KommandoEingaben e;
    e.programm = programm;
    e.parameter = parameter;
    e.quellpfad = ersetzen(quelle);
    e.zielpfad = ersetzen(zielpfad);
    e.archivdatei = archivdatei;
    e.zielText = e.zielpfad + archivdatei;
    e.maske = QStringLiteral("*.*");
    const QString meldung = backup::laufVerweigert(backup::kommandoBauen(e), e);
    if (fehlerteil.isEmpty())
        QCOMPARE(meldung, QString());
    else
        QVERIFY2(meldung.contains(fehlerteil), qPrintable(meldung));
}

// A program runs only when it exists: a path must be an executable file, a bare name is found
// also without ".exe" and in lower case.
void TestBackupRules::programmAufloesen_data()
{
    QTest::addColumn<QString>("programm");
    QTest::addColumn<QString>("erwartet");
    QTest::newRow("bare") << "7z" << "/bin/7z";
    QTest::newRow("exe ending") << "7z.exe" << "/bin/7z";
    QTest::newRow("upper case") << "ROBOCOPY.EXE" << "/bin/robocopy";
    QTest::newRow("unknown") << "WZZIP.EXE" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("missing path") << "/nicht/da/7z" << "";
}

void TestBackupRules::programmAufloesen()
{
    QFETCH(QString, programm);
    QFETCH(QString, erwartet);
    const ProgrammSucher sucher = [](const QString& name) {
        const QStringList da{QStringLiteral("7z"), QStringLiteral("robocopy")};
        return da.contains(name) ? QStringLiteral("/bin/") + name : QString();
    };
    QCOMPARE(backup::programmAufloesen(programm, sucher), erwartet);
}

// The elevated copy gets the display, the user's folders, the executable and the id to wait for.
void TestBackupRules::pkexecArgumente()
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0"));
    env.insert(QStringLiteral("HOME"), QStringLiteral("/home/u"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/home/u/cfg"));
    const QStringList args = backup::pkexecArgumente(QStringLiteral("/opt/k/Ordnerwacht"), 4711, env);
    QCOMPARE(args.first(), QStringLiteral("env"));
    QVERIFY(args.contains(QStringLiteral("DISPLAY=:0")));
    QVERIFY(args.contains(QStringLiteral("XDG_CONFIG_HOME=/home/u/cfg")));
    QVERIFY(args.contains(QStringLiteral("XDG_DATA_HOME=/home/u/.local/share")));
    QCOMPARE(args.mid(args.size() - 3),
             (QStringList{QStringLiteral("/opt/k/Ordnerwacht"), WarteAufArgument, QStringLiteral("4711")}));
    QCOMPARE(backup::warteAufPid(args), qint64(4711));
}

// Only a positive number after the marker counts.
void TestBackupRules::warteAufPid_data()
{
    QTest::addColumn<QStringList>("argumente");
    QTest::addColumn<qint64>("pid");
    QTest::newRow("none") << QStringList{"prog"} << qint64(0);
    QTest::newRow("ok") << QStringList{"prog", "--warte-auf", "12"} << qint64(12);
    QTest::newRow("missing value") << QStringList{"prog", "--warte-auf"} << qint64(0);
    QTest::newRow("garbage") << QStringList{"prog", "--warte-auf", "x"} << qint64(0);
    QTest::newRow("negative") << QStringList{"prog", "--warte-auf", "-3"} << qint64(0);
}

void TestBackupRules::warteAufPid()
{
    QFETCH(QStringList, argumente);
    QFETCH(qint64, pid);
    QCOMPARE(backup::warteAufPid(argumente), pid);
    QVERIFY(prozessLaeuft(QCoreApplication::applicationPid()));
}

// Empty, blank-only and duplicate entries are not added; new texts are.
void TestBackupRules::listenEintraege_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("aufnehmen");
    QTest::newRow("new") << "-a -r" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blank") << " " << false;
    QTest::newRow("duplicate") << "a -r" << false;
    QTest::newRow("differs in case") << "A -R" << true;
}

void TestBackupRules::listenEintraege()
{
    QFETCH(QString, text);
    QFETCH(bool, aufnehmen);
    QCOMPARE(eintragAufnehmen(QStringList{QStringLiteral("a -r"), QStringLiteral("/E")}, text), aufnehmen);
}

// Added items take their place in sorted order, case ignored.
void TestBackupRules::sortiertePosition()
{
    QStringList liste;
    for (const QString& text : {QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("c"),
                                QStringLiteral("a"), QStringLiteral("Ä")}) {
        liste.insert(backup::sortiertePosition(liste, text), text);
    }
    QCOMPARE(liste, (QStringList{"A", "a", "b", "c", "Ä"}));
}

// The extension list puts a "." in front when it is missing.
void TestBackupRules::alsExtension_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("ergebnis");
    QTest::newRow("zip") << "zip" << ".zip";
    QTest::newRow(".7z") << ".7z" << ".7z";
    QTest::newRow("empty") << "" << "";
}

void TestBackupRules::alsExtension()
{
    QFETCH(QString, text);
    QFETCH(QString, ergebnis);
    QCOMPARE(backup::alsExtension(text), ergebnis);
}

// A chosen folder gets one trailing separator; a root is not doubled.
void TestBackupRules::ordnerMitTrenner_data()
{
    QTest::addColumn<QString>("ordner");
    QTest::addColumn<QString>("ergebnis");
    QTest::newRow("root") << "/" << "/";
    QTest::newRow("folder") << "/home/u" << "/home/u/";
    QTest::newRow("has one") << "/home/u/" << "/home/u/";
    QTest::newRow("cancelled") << "" << "";
}

void TestBackupRules::ordnerMitTrenner()
{
    QFETCH(QString, ordner);
    QFETCH(QString, ergebnis);
    QCOMPARE(backup::ordnerMitTrenner(ordner), ergebnis);
}

QTEST_GUILESS_MAIN(TestBackupRules)
#include "tst_backup_rules.moc"
