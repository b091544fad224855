#pragma once

// The table of copy and archive programs with their default choices, and how a program text
// (a path or a bare name) finds its row.

#include <QList>
#include <QString>
#include <functional>

namespace backup {

struct ArchiverVorgabe
{
    QString kennung;     // the text a program must contain ("Robocopy.exe", "7z", ...)
    bool kopiermodus = false;
    QString maske;       // Text_Extension
    QString extension;   // cboExtension
    QString parameter;   // cboParameter
    int fehlerAb = 1;    // the lowest exit code that means the run failed
};

// Which command line a program gets.
enum class Zweig { Robocopy, Xcopy, Archiv };

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

// Finds the executable a program text names. A path must be an executable file; a bare
// name is looked up with the finder (PATH by default), also without its ".exe" ending and
// in lower case. "" when nothing runnable exists.
using ProgrammSucher = std::function<QString(const QString& name)>;
QString programmAufloesen(const QString& programm, const ProgrammSucher& sucher = {});

} // namespace backup
