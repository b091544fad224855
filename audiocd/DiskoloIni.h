#pragma once

// The disc file diskolo.ini: per disc a section "[ID]" with artist, title and a name for every
// track, in Windows-1252 with CR LF line ends. A collection of ten thousand discs makes a file
// of many MB, and only one section is ever needed: the file is searched as a stream, and a save
// copies every other byte through and replaces that one section where it stands. These
// functions work on a device or the file's bytes, so the rules are testable without a drive.

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace diskolo {

// How the file's text is stored. Without a byte order mark it is Windows-1252; a file another
// editor saved as UTF-16 or UTF-8 with a mark keeps that form (new sections are written in it,
// so no name in another section loses a letter).
enum class FileEncoding { Windows1252, Utf8, Utf16LE, Utf16BE };

// A line of the disc's section longer than this is no name; it is not read (see incomplete).
inline constexpr qsizetype MaxSectionLineBytes = 64 * 1024;

struct DiscNames
{
    QString artist;
    QString title;
    QStringList tracks; // entry i names track i + 1
    bool found = false; // the disc's section was met
    bool incomplete = false; // a line of it was too long to read: the section is not replaced
    FileEncoding encoding = FileEncoding::Windows1252;
};

// Names of a disc not in the file: empty artist and title, "Track 1" ... "Track n" (one entry
// "Track 1" for a disc without tracks).
DiscNames initialNames(int trackCount);

// The identity as written in the file: upper-case hexadecimal without leading zeros.
QString identityText(quint32 discId);

// Reads every section of identity (compared without case) over names; later sections win. The
// whole file is read as a stream in pieces: no size or line count stops the search. False
// when the device could not be read to its end.
bool readDiscSection(QIODevice& file, const QString& identity, DiscNames& names);
void readDiscSection(const QByteArray& file, const QString& identity, DiscNames& names);
// The same for the file at path (a missing file or anything but a plain file reads as empty).
bool readDiscFile(const QString& path, const QString& identity, DiscNames& names);

// The file with the disc's section replaced where it stands (the last one when the disc has
// several, which is the one whose names win on reading), or appended when it has none. Every
// other byte stays as it is.
QByteArray replaceDiscSection(const QByteArray& file, const QString& identity, const DiscNames& names,
                              int trackCount);

// The texts of names that the file's encoding cannot hold (they would be stored as "?"), each as
// "<what>: <the characters>", e.g. "Titel: 🎵". Empty when everything fits.
QStringList unstorableTexts(const DiscNames& names, FileEncoding encoding = FileEncoding::Windows1252);

// Rewrites the file at path atomically: under a lock beside it (so that two programs saving at
// once both keep their sections), the file is searched anew and copied through with only the
// disc's section replaced; memory stays a few MB however big the file is.
// A file without any write permission bit is not touched, also by root. False, with the old file
// untouched and *error telling why in German, on any failure.
bool saveDiscSection(const QString& path, const QString& identity, const DiscNames& names, int trackCount,
                     QString* error = nullptr);

} // namespace diskolo
