#pragma once

// Makes catalogue files for tests and benchmarks, written directly with the SQLite C API (so
// tests of the database layer also see files the layer did not write): N records with
// realistic German and international band names, umlauts, RTF song lists with \'hh escapes,
// rich-text notes, picture lists, music folders that need not exist, and optionally the
// older 11-field table. Records are deterministic for a given seed.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace klang::test {

struct CatalogueSpec
{
    int records = 100;
    bool olderForm = false;      // the 11-field table of older catalogues
    quint32 seed = 1;
    int songsPerRecord = 12;     // average length of the song lists
    int picturePercent = 0;      // share of records with a small stored picture (Bilder)
    QString musicRoot = QStringLiteral("/srv/Musik/"); // folders below it need not exist
    // What real catalogues hold beside (off by default, so older files stay as they were):
    int sharedSongsPercent = 0; // share of records whose song list is one of a few thousand
                                // shared lists (pressings of one album), or a rich text that
                                // reads empty
    bool oddBandNames = false;  // band names that start with a blank or an umlaut
    bool richPanes = false;     // rich-text info, other and song-text panes on most records
};

// The fields of the current (19) and older (11) catalogue table, in table order.
QStringList catalogueFieldNames(bool olderForm = false);

// Writes a new catalogue file (an existing file is replaced). False with a message on failure.
bool writeCatalogue(const QString& path, const CatalogueSpec& spec = {}, QString* error = nullptr);

// Creates a catalogue with the table only (no rows).
bool writeEmptyCatalogue(const QString& path, bool olderForm = false, QString* error = nullptr);

// Appends records (field name -> value; QByteArray goes in as BLOB, a null QVariant as NULL,
// everything else as text) to the table Schallplatten of an existing file.
bool insertCatalogueRecords(const QString& path, const QList<QVariantMap>& records,
                            QString* error = nullptr);

// Record number `index` of a generated catalogue (the values writeCatalogue stores).
QVariantMap generatedRecord(int index, const CatalogueSpec& spec = {});

// Text escaped the way the rich-text box stores it: non-ASCII Windows-1252 letters as lower
// case \'hh, other characters beyond as \uN?, and \ { } escaped.
QString rtfEscape(const QString& text);
// A rich-text document with one paragraph per line, as the rich-text box writes it.
QString rtfDocument(const QStringList& lines);

// Makes a file that starts like a real Jet/Access database (for refusing tests).
bool writeFakeJetFile(const QString& path);

} // namespace klang::test
