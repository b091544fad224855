#pragma once

// How much of a list file the family reads. A damaged or huge file (one line of 50 MB, two
// million lines) must cost a moment and a few MB, never minutes and gigabytes: only the head
// of the file is read, whole lines only, each of bounded length. A list cut that way is never
// rewritten from what was read, so its unread rest is not lost.

#include "platform/textfiles/LineFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace klang {

struct ReadLimits
{
    qsizetype maxLines = 10000;          // lines kept
    qsizetype maxLineBytes = 64 * 1024;  // a longer line is left out whole
    qint64 maxBytes = 4 * 1024 * 1024;   // bytes read from the file at most
};

// INI files hold many short lines (settings, one section per disc in diskolo.ini): more of
// them, still read in a moment.
inline constexpr ReadLimits IniLimits{150000, 64 * 1024, 8 * 1024 * 1024};

// Each file is bounded by what it can really hold for a user, so that the bound only ever
// stops a damaged or foreign file:
// A program's settings: a few hundred keys, but one value (a stored view, a typed text) may be
// as long as the file allows.
inline constexpr ReadLimits SettingsLimits{150000, 8 * 1024 * 1024, 8 * 1024 * 1024};
// "sql.dat": the statements a user keeps over years; one pasted statement may be long.
inline constexpr ReadLimits SqlListLimits{100000, 1024 * 1024, 64 * 1024 * 1024};
// "Suchliste.txt": one file path (at most 4 KB) per song found in a whole catalogue.
inline constexpr ReadLimits SearchListLimits{1000000, 16 * 1024, 128 * 1024 * 1024};

// The bounds of a list file by its name ("sql.dat", "Suchliste.txt"), the general ones for any
// other. readLines and readLinesBounded without limits use them.
ReadLimits limitsFor(const QString& path);

// What a bounded read left out.
struct ReadReport
{
    qsizetype linesKept = 0;
    qsizetype longLinesLeftOut = 0; // lines over maxLineBytes
    bool restLeftOut = false;       // the file goes on past maxLines or maxBytes
    ReadLimits limits;              // the bounds the read used
    bool complete() const { return longLinesLeftOut == 0 && !restLeftOut; }
    // For the user, in German ("" when complete): what was left out of the named file.
    QString hinweis(const QString& dateiname) const { return hinweis(dateiname, limits); }
    QString hinweis(const QString& dateiname, const ReadLimits& limits) const;
};

// The kept lines of the file's head as bytes, each ended by "\n" (CR LF, LF and a lone CR all
// end a line), ready for decodeText. A UTF-16 file comes back as UTF-8 with its mark. Only
// plain files are read. A cut file is noted (see wasCutOnRead).
QByteArray readBoundedLines(const QString& path, const ReadLimits& limits = {}, ReadReport* report = nullptr,
                            bool* ok = nullptr);

// readLines with the given limits (without: the file's own, limitsFor) and what they left out.
QStringList readLinesBounded(const QString& path, bool* ok, ReadReport* report, const ReadLimits& limits);
QStringList readLinesBounded(const QString& path, bool* ok, ReadReport* report);

// True while the file is as it was when a read left part of it out: it must not be rewritten
// from that part (writeLines refuses it).
bool wasCutOnRead(const QString& path);
// For a list made anew, not from what was read: the file may be replaced whole again.
void forgetCutOnRead(const QString& path);

// Appends one line at the end of the file in place, without reading or rewriting what is
// there (only its last byte and, for the encoding, its head). A failed write is cut off again,
// so no half line stays. The line is written in the encoding the file's head has (UTF-8 when
// it holds UTF-8 letters, else Windows-1252 when the line fits it), ended as the format says.
// False when the line cannot be written in the file's encoding.
bool appendLineInPlace(const QString& path, const QString& line, LineFormat format);
// The same for several lines at once: all of them or none.
bool appendLinesInPlace(const QString& path, const QStringList& lines, LineFormat format);

} // namespace klang
