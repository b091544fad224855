#pragma once

// Reads an old Jet/Access database file (Jet 3, Jet 4, ACE) with libmdb and writes every user
// table into a new SQLite catalogue once; the programs then use the copy like any catalogue.
// The Jet file is only read (opened read-only, never locked, renamed or written). It is
// untrusted input: every value read from it is bounds-checked and every loop over its pages
// and rows is bounded by the file's size, so a damaged file is refused, never followed forever.

#include "platform/jet/Database.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

namespace klang::jet {

// Whether the file's bytes 4 to 18 read "Standard Jet DB" or "Standard ACE DB". The name and
// extension decide nothing.
bool isJetFile(const QString& path);

// Where the SQLite copy of a Jet file goes: beside it, "Archiv.mdb" -> "Archiv (SQLite).mdb"
// (the extension is kept, so the open dialogs' filter still shows it).
QString convertedFilePath(const QString& jetPath);

struct JetImportProgress
{
    QString table;       // the table being copied
    qint64 row = 0;      // rows of it copied so far
    qint64 rows = 0;     // rows the table holds
    int tableIndex = 0;  // 1-based
    int tableCount = 0;
};

// "Umwandeln: Tabelle Schallplatten, 12.000 von 48.000 Datensätzen"
QString progressText(const JetImportProgress& progress);

struct JetImportOptions
{
    // Replace an existing target file. Without it an existing target is never touched.
    bool overwrite = false;
    // Called on the converting thread at each table's start and every few hundred rows.
    std::function<void(const JetImportProgress&)> progress;
    // Set from any thread to stop; the conversion then leaves no new file.
    const std::atomic_bool* cancel = nullptr;
};

struct JetImportResult
{
    bool ok = false;
    bool cancelled = false;
    DbError error;              // German, when !ok
    QStringList tables;         // the tables copied, in the file's order
    QList<qint64> rowCounts;    // rows of each copied table
    QStringList leftOut;        // what a Jet file holds that is not copied ("2 Abfragen", ...)
    // A German summary of what was copied and left out.
    QString summary() const;
};

// Converts source (a Jet/ACE file) into a new SQLite file at target. The data go to a
// temporary file created exclusively in the target's folder, which is renamed to target only
// when every table's row count matches the source and PRAGMA integrity_check says "ok". A
// failure, a cancel or a damaged source leaves no new file (and an existing target as it was).
// Runs synchronously; call it off the GUI thread.
JetImportResult importJetFile(const QString& source, const QString& target,
                              const JetImportOptions& options = {});

} // namespace klang::jet
