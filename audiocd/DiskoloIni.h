#pragma once

// The disc file diskolo.ini: per disc a section "[ID]" with artist, title and a name for every
// track, in Windows-1252 with CR LF line ends. These functions work on the file's bytes, so
// the rules are testable without a device; the control reads and writes the file with them.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace diskolo {

struct DiscNames
{
    QString artist;
    QString title;
    QStringList tracks; // entry i names track i + 1
    bool found = false; // the disc's section was met
};

// Names of a disc not in the file: empty artist and title, "Track 1" ... "Track n" (one entry
// "Track 1" for a disc without tracks).
DiscNames initialNames(int trackCount);

// The identity as written in the file: upper-case hexadecimal without leading zeros.
QString identityText(quint32 discId);

// Reads every section of identity (compared without case) over names; later sections win.
void readDiscSection(const QByteArray& file, const QString& identity, DiscNames& names);

// The file with every section of identity replaced by one new section at the end. All other
// lines keep their bytes and line ends.
QByteArray replaceDiscSection(const QByteArray& file, const QString& identity, const DiscNames& names,
                              int trackCount);

// The texts of names that Windows-1252 cannot hold (they would be stored as "?"), each as
// "<what>: <the characters>", e.g. "Titel: 🎵". Empty when everything fits.
QStringList unstorableTexts(const DiscNames& names);

// Rewrites the file at path atomically: under a lock beside it (so that two programs saving at
// once both keep their sections), the file is read anew and only the disc's section replaced.
// A file without any write permission bit is not touched, also by root. False, with the old file
// untouched and *error telling why in German, on any failure.
bool saveDiscSection(const QString& path, const QString& identity, const DiscNames& names, int trackCount,
                     QString* error = nullptr);

} // namespace diskolo
