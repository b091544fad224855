#pragma once

// The table of copy and archive programs with their default choices, and how a program text
// (a path or a bare name) finds its row.

#include <QList>
#include <QPair>
#include <QString>
#include <functional>

namespace backup {

// Which command line a program gets: the argument order differs per program.
//  Robocopy  source target parameters          Xcopy  source+mask target parameters
//  Archiv    parameters archive source+mask    SiebenZip  parameters -- archive source+mask
//  Rsync     parameters [filter] -- source/ target
//  Cp        parameters -- source/. (or the matching entries) target
//  Zip       parameters archive [-i mask] -- .   (run inside the source folder)
enum class Zweig { Robocopy, Xcopy, Archiv, SiebenZip, Rsync, Cp, Zip };

// True for the branches that copy into a folder (the others write an archive file).
inline bool istKopie(Zweig z)
{
    return z == Zweig::Robocopy || z == Zweig::Xcopy || z == Zweig::Rsync || z == Zweig::Cp;
}

struct ArchiverVorgabe
{
    QString kennung;     // the text a program must contain ("Robocopy.exe", "7z", ...)
    bool kopiermodus = false;
    QString maske;       // Text_Extension
    QString extension;   // cboExtension
    QString parameter;   // cboParameter
    int fehlerAb = 1;    // the lowest exit code that means the run failed
    Zweig zweig = Zweig::Archiv;
    // The program's file name must be exactly the name ("cp" is not "/usr/bin/scp").
    bool genauerName = false;
    // Exit codes below fehlerAb that mean the backup is incomplete (files left out).
    QList<int> unvollstaendig;
    // Exit codes at or above fehlerAb that only mean an incomplete backup (rsync 23, 24).
    QList<int> auchUnvollstaendig;
    // What the program's exit codes mean, in German.
    QList<QPair<int, QString>> bedeutungen;
};

// How a run ended.
enum class Ausgang { Erfolg, Unvollstaendig, Fehler };

struct LaufErgebnis
{
    Ausgang ausgang = Ausgang::Erfolg;
    QString bedeutung;   // the exit code's meaning ("" when the table knows none)
    int ausgelassen = -1; // files the program reported as left out; -1 when it did not say
    // Folders the program could not read at all: everything in them is missing, however
    // many files that is (the programs cannot count them).
    int ausgelasseneOrdner = 0;
};

// Judges an ended run by the program's exit code and its output.
LaufErgebnis laufErgebnis(const QString& programm, int exitCode, const QString& ausgabe);

// The number of files a program's output reports as not read (7-Zip "Cannot open 3 files",
// "Warnings: 3"; zip "skipped: 3"); -1 when the output says nothing about it.
int ausgelasseneDateien(const QString& ausgabe);

// The number of folders a program's output reports as unreadable (7-Zip "Scan WARNINGS: 2";
// zip's "zip warning: Permission denied" for a folder it cannot list).
int ausgelasseneOrdner(const QString& ausgabe);

// "1 Datei", "3 Dateien und 1 Ordner mit seinem Inhalt": what an incomplete run left out, ""
// when the program did not say.
QString ausgelassenText(const LaufErgebnis& ergebnis);

// Rows in the order they are tried.
const QList<ArchiverVorgabe>& archiverVorgaben();

// True when the program text belongs to the row: the text contains the row's name (case
// ignored), or the program's file name without a ".exe" ending contains the row's name
// without it ("/usr/bin/robocopy" is Robocopy, "/opt/WZZIP.EXE" is WZZIP).
bool passtZu(const QString& programm, const ArchiverVorgabe& zeile);

// The first matching row, or nullptr when none matches.
const ArchiverVorgabe* vorgabeFuer(const QString& programm);

// The command-line branch follows the program text alone: Robocopy, else Xcopy, else archive.
Zweig zweigFuer(const QString& programm);

// The lowest failing exit code of the program (Robocopy 8, 7-Zip 2, others 1).
int fehlerAbFuer(const QString& programm);

// The programs the start-up search looks for, in the order it adds them (the last one found
// becomes the current program): the Windows copy programs, then their counterparts here.
QStringList gesuchteProgramme();

// Finds a program in the system's program folders (/usr/local/bin, /usr/bin, /bin).
QString imSystemSuchen(const QString& name);

// Finds the executable a program text names. A path must be an executable file; a bare
// name is looked up with the finder (PATH by default), also without its ".exe" ending and
// in lower case. "" when nothing runnable exists.
using ProgrammSucher = std::function<QString(const QString& name)>;
QString programmAufloesen(const QString& programm, const ProgrammSucher& sucher = {});

} // namespace backup
