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
// (the extension is kept, and ".accdb" becomes ".mdb", so the open dialogs' filter shows it).
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
    QStringList notes;          // what was copied in another form than the original's, and where
    // A German summary of what was copied and left out.
    QString summary() const;
};

// Converts source (a Jet/ACE file) into a new SQLite file at target. The data go to a
// temporary file created exclusively in the target's folder, which is renamed to target only
// when every table's row count matches the source and PRAGMA integrity_check says "ok". A
// failure, a cancel or a damaged source leaves no new file (and an existing target as it was).
// Runs synchronously in this process, so a fault of libmdb on a damaged file hits the caller:
// the programs convert through JetImportProcess (a helper process) instead.
JetImportResult importJetFile(const QString& source, const QString& target,
                              const JetImportOptions& options = {});

// The steps of importJetFile, for the helper process and the program that starts it.

// Why source cannot be converted into target (missing, no Jet file, target is the source,
// target exists and overwrite is not set); no error when it can.
DbError checkJetImport(const QString& source, const QString& target, bool overwrite);

// "Die Access-Datenbank '...' ist beschädigt und kann nicht umgewandelt werden (detail). ..."
DbError damagedJetFile(const QString& source, const QString& detail);
// "Die Umwandlung wurde abgebrochen. ..."
DbError cancelledJetImport();

// Removes what killed conversions into target left behind (hidden new files no live
// conversion holds).
void removeJetLeftovers(const QString& target);

// How a Decimal's text and a Currency value (ten-thousandths) are stored in the copy, with
// every digit: an integer where the number is one, a double where the double gives back the
// same digits, else the exact decimal text.
QVariant exactDecimal(const QString& text);
QVariant exactCurrency(qint64 tenThousandths);

// The new file while a conversion writes it: ".<target name>.XXXXXX", created exclusively in
// the target's folder and held under flock(LOCK_EX) by this object for its whole life. A
// program killed while converting leaves such a file; create() removes every one of them for
// the same target that no live conversion holds. Destroyed before putInPlace(), it removes
// the file.
class JetTargetFile
{
public:
    explicit JetTargetFile(const QString& target);
    ~JetTargetFile();
    JetTargetFile(const JetTargetFile&) = delete;
    JetTargetFile& operator=(const JetTargetFile&) = delete;

    bool create(DbError* error);
    QString path() const { return m_path; }
    // Gives the finished file source's permissions and renames it to the target, replacing
    // an existing target only with overwrite; then the folder is flushed to disk.
    bool putInPlace(const QString& source, bool overwrite, DbError* error);

private:
    QString m_target;
    QString m_path;
    int m_fd = -1;
};

// Reads source and writes every table into the empty file at path, checks what was written
// (row counts, PRAGMA integrity_check) and flushes it to disk. Renames nothing and removes
// nothing: the owner of the file decides.
JetImportResult writeJetCopy(const QString& source, const QString& path, const JetImportOptions& options = {});

} // namespace klang::jet
