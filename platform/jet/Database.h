#pragma once

// A catalogue database: an SQLite file opened through the C API with the Jet semantics the
// programs rely on registered on the connection (like(), the collation "JET", Jet functions).
// All statements passed as text are Jet SQL and are translated (JetSql.h); statements with
// bound parameters are SQLite SQL and run as they are.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <atomic>
#include <memory>

struct sqlite3;

namespace klang::jet {

// An error as the programs report it: a number and a German description. The numbers follow
// the Jet engine where the programs care about them.
struct DbError
{
    int number = 0;
    QString description;
    bool isError() const { return number != 0; }
    QString text() const { return QString::number(number) + QLatin1Char(' ') + description; }
};

namespace errors {
inline constexpr int kGeneral = 3000;           // any other engine failure (SQLite's message)
inline constexpr int kFileNotFound = 3024;      // the file does not exist
inline constexpr int kNotOpen = 3420;           // no database open
inline constexpr int kUnrecognisedFormat = 3343; // not an SQLite catalogue (e.g. a Jet file)
inline constexpr int kSyntax = 3075;            // the statement cannot be prepared
inline constexpr int kTableMissing = 3376;      // ALTER TABLE on a missing table
inline constexpr int kColumnExists = 3380;      // ADD COLUMN of a column that exists
inline constexpr int kReadOnly = 3027;          // database or object is read-only
inline constexpr int kDiskFull = 3026;          // not enough space on the disk
inline constexpr int kDiskError = 3043;         // disk or network error while reading or writing
inline constexpr int kDamaged = 3049;           // the file is damaged
inline constexpr int kCannotOpen = 3051;        // the file cannot be opened (rights, locked)
inline constexpr int kLocked = 3260;            // locked by another program
inline constexpr int kDuplicate = 3022;         // a unique value exists already
inline constexpr int kRequired = 3314;          // a field that must not be empty
inline constexpr int kRuleViolated = 3317;      // a rule of the table refuses the value
inline constexpr int kNotAQuery = 3219;         // a record source that is no read-only select
inline constexpr int kRecordDeleted = 3167;     // the record was deleted (by another program)
inline constexpr int kConflict = 3197;          // another program changed the same data meanwhile
inline constexpr int kNoTable = 3011;           // Schallplatten is no table (a view, say)
inline constexpr int kCancelled = 3059;         // the user gave the operation up (Esc)
} // namespace errors

// The report of an SQLite result code (primary or extended): the error number and a German
// description of what happened, with the engine's own text behind it for the record.
DbError engineError(int sqliteCode, const QString& engineText = QString());
// The same for the last failure on a connection.
DbError engineError(sqlite3* db);
// A statement that could not be prepared: a fault in the SQL (3075) or, when the engine says
// something else (a damaged schema, a locked file), that fault.
DbError statementError(sqlite3* db);
// Whether an SQLite result means that another connection holds the file locked.
bool isBusy(int sqliteCode);

// How long a statement waits once for another program's lock before it reports the
// catalogue as busy: short, because the programs run their statements on the window's thread.
inline constexpr int kBusyWaitMs = 300;

class Database
{
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing catalogue file; never creates one. A missing file, a file that is not
    // an SQLite database (a real Jet/Access file, text, an empty file) is refused with a German
    // message and left exactly as it was. Opens read-only when the file cannot be written.
    bool open(const QString& path, DbError* error = nullptr);
    // Closes the connection fully (all statements finalised, file released). Safe when closed.
    void close();
    bool isOpen() const;
    bool isReadOnly() const;
    // For short extra connections that read parts of a table on other threads: no mapping
    // and a small page cache, so many of them at once cost little memory.
    void useLittleMemory();
    // Runs work with a second connection to the file at path (the file this one has open,
    // named by the caller so that nothing of this object is read off its thread), for work on
    // another thread: one at a time, opened on first use and kept until close(), so what it
    // has read stays cached for the next view. False when it cannot be opened.
    bool withWorkerConnection(const QString& path, const std::function<void(Database&)>& work);
    // Makes a connection to this database's file, opened elsewhere, the kept one.
    void adoptWorkerConnection(std::unique_ptr<Database> connection);
    QString path() const;

    // Creates a new, empty catalogue file with table Schallplatten in its current (19 fields)
    // or older (11 fields) form. Refuses to overwrite an existing file. For the build-time
    // generator of the empty catalogue and for tests.
    static bool createCatalogue(const QString& path, bool olderForm = false,
                                DbError* error = nullptr);

    // Runs a Jet SQL action statement (update, insert, delete, DDL); the number of rows it
    // changed, or -1 on error. ALTER TABLE .. ADD COLUMN reports an existing column as
    // error 3380 and a missing table as 3376, as the database manager expects.
    int execute(const QString& jetSql, DbError* error = nullptr);
    // Runs an SQLite statement with bound parameters (QString -> TEXT, QByteArray -> BLOB,
    // integers, doubles, null QVariant -> NULL). Rows changed, or -1 on error.
    int executeBound(const QString& sqliteSql, const QVariantList& params = {},
                     DbError* error = nullptr);
    // Runs an SQLite query with bound parameters and hands every row to the callback (values
    // as QVariant; return false from the callback to stop). False on error.
    bool query(const QString& sqliteSql, const QVariantList& params,
               const std::function<bool(const QVariantList& row)>& onRow,
               DbError* error = nullptr);
    // The first column of the first row of an SQLite query (invalid QVariant when none).
    QVariant scalar(const QString& sqliteSql, const QVariantList& params = {},
                    DbError* error = nullptr);

    // Adds a column with a Jet type name (Memo, Text, OLEObject ...; Memo and Text become
    // TEXT, so "007" stays "007"). Error 3380 when a column of that name (any case) exists.
    bool addColumn(const QString& table, const QString& column, const QString& jetType,
                   DbError* error = nullptr);
    // Column names of a table in table order; empty when the table does not exist.
    QStringList columns(const QString& table) const;
    bool tableExists(const QString& table) const; // case-insensitive, like Jet
    bool hasColumn(const QString& table, const QString& column) const;
    // Fields of the current catalogue missing from Schallplatten (all 19 when no table).
    QStringList missingCatalogueFields() const;

    // Writes a compacted copy of the open database to a new file (VACUUM INTO). The target
    // must not exist.
    bool compactInto(const QString& targetPath, DbError* error = nullptr);
    // Compacts a closed database file into a new file without keeping it open.
    static bool compactFile(const QString& sourcePath, const QString& targetPath,
                            DbError* error = nullptr);
    // "ok" for a sound file, else SQLite's findings (one per line).
    QString integrityCheck();
    // The same through PRAGMA quick_check (no index contents compared; fast enough to run
    // on every open).
    // Stops early (a finding saying so) once *stop is set.
    QString quickCheck(const std::atomic_bool* stop = nullptr);
    // Statements of this connection end early (interrupted) once *stop is set; nullptr: never.
    void stopWhen(const std::atomic_bool* stop);

    // Whether the statement (SQLite SQL) is one read-only query: a select that changes
    // nothing, with nothing behind it. Checked after preparing it and before it runs, so an
    // action statement passed where a view is expected never executes. False with error
    // kNotAQuery (or the syntax error).
    bool isReadOnlyQuery(const QString& sqliteSql, DbError* error = nullptr) const;

    // The raw connection for the layer's own classes (Recordset); nullptr when closed.
    sqlite3* handle() const;
    // Last error of this connection (also when the caller passed no DbError).
    DbError lastError() const;
    // Bumped on every change made through this object (execute, updates of a Recordset), so
    // views can tell that their cache is stale.
    quint64 changeCounter() const;
    void noteChange();

private:
    bool fail(DbError* error, int number, const QString& description);

    struct Private;
    std::unique_ptr<Private> d;
};

// Registers like(), the collation JET and the Jet functions on a raw connection. Done by
// Database::open and createCatalogue; exposed for tools and tests that open files themselves.
void registerJetSemantics(sqlite3* db);

// A transaction that rolls back unless committed (RAII). Nested use is not supported.
class Transaction
{
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; }
    bool commit(DbError* error = nullptr);
    void rollback();

private:
    Database& m_db;
    bool m_active = false;
};

} // namespace klang::jet
