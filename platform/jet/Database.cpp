#include "platform/jet/Database.h"

#include "platform/jet/JetCollation.h"
#include "platform/jet/JetFunctions.h"
#include "platform/jet/JetLike.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <sqlite3.h>
#include <mutex>

namespace klang::jet {

struct Database::Private
{
    sqlite3* db = nullptr;
    QString path;
    bool readOnly = false;
    DbError lastError;
    quint64 changes = 0;
    // The connection for work on other threads (withWorkerConnection), kept between uses.
    std::mutex workerMutex;
    std::unique_ptr<Database> worker;
};

namespace {

// The pattern is compiled once per statement and kept as auxiliary data of the argument.
void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc != 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const std::string_view text(t ? t : "", std::size_t(sqlite3_value_bytes(argv[1])));
    if (const auto* cached = static_cast<const LikePattern*>(sqlite3_get_auxdata(ctx, 0))) {
        sqlite3_result_int(ctx, cached->matchesUtf8(text));
        return;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    auto* pattern = new LikePattern(QString::fromUtf8(p, sqlite3_value_bytes(argv[0])));
    sqlite3_result_int(ctx, pattern->matchesUtf8(text));
    // Kept for the next rows of the statement; SQLite may also free it at once.
    sqlite3_set_auxdata(ctx, 0, pattern, [](void* v) { delete static_cast<LikePattern*>(v); });
}

int collate(void*, int alen, const void* a, int blen, const void* b)
{
    return jetCompareUtf8(std::string_view(static_cast<const char*>(a), std::size_t(alen)),
                          std::string_view(static_cast<const char*>(b), std::size_t(blen)));
}

QString sqliteMessage(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("unbekannter Fehler");
}

void bindValue(sqlite3_stmt* stmt, int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text64(stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                            SQLITE_UTF8);
        break;
    }
    }
}

QVariant columnValue(sqlite3_stmt* stmt, int col)
{
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, col));
    case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(stmt, col);
        const int size = sqlite3_column_bytes(stmt, col);
        return QVariant(QByteArray(static_cast<const char*>(data), size));
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
        const int size = sqlite3_column_bytes(stmt, col);
        return QVariant(QString::fromUtf8(text, size));
    }
    }
}

// Statement guard: always finalised.
struct Stmt
{
    sqlite3_stmt* s = nullptr;
    ~Stmt() { sqlite3_finalize(s); }
};

} // namespace

DbError engineError(int code, const QString& engineText)
{
    int number = errors::kGeneral;
    QString text;
    switch (code & 0xFF) {
    case SQLITE_READONLY:
        number = errors::kReadOnly;
        text = QStringLiteral("Die Datenbank ist schreibgeschützt; die Änderung kann nicht gespeichert werden.");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        number = errors::kLocked;
        text = QStringLiteral("Die Datenbank ist von einem anderen Programm gesperrt. Bitte später noch "
                              "einmal versuchen.");
        break;
    case SQLITE_FULL:
        number = errors::kDiskFull;
        text = QStringLiteral("Auf dem Datenträger ist nicht genug Platz frei; die Änderung wurde nicht "
                              "gespeichert.");
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        number = errors::kDamaged;
        text = QStringLiteral("Die Datenbankdatei ist beschädigt.");
        break;
    case SQLITE_IOERR:
        number = errors::kDiskError;
        text = QStringLiteral("Fehler beim Lesen oder Schreiben der Datenbankdatei (Datenträger- oder "
                              "Netzwerkfehler).");
        break;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        number = errors::kCannotOpen;
        text = QStringLiteral("Auf die Datenbankdatei oder ihren Ordner kann nicht zugegriffen werden "
                              "(fehlende Schreibrechte?).");
        break;
    case SQLITE_CONSTRAINT:
        if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY) {
            number = errors::kDuplicate;
            text = QStringLiteral("Der Wert ist schon vorhanden; doppelte Werte sind hier nicht erlaubt.");
        } else if (code == SQLITE_CONSTRAINT_NOTNULL) {
            number = errors::kRequired;
            text = QStringLiteral("Ein Feld, das nicht leer sein darf, ist leer.");
        } else {
            number = errors::kRuleViolated;
            text = QStringLiteral("Der Wert verstößt gegen eine Regel der Tabelle.");
        }
        break;
    case SQLITE_TOOBIG:
        text = QStringLiteral("Der Wert ist zu groß für die Datenbank.");
        break;
    case SQLITE_NOMEM:
        text = QStringLiteral("Nicht genug Arbeitsspeicher.");
        break;
    default:
        text = QStringLiteral("Die Datenbank meldet einen Fehler.");
        break;
    }
    if (!engineText.isEmpty())
        text += QStringLiteral(" (Meldung der Datenbank: %1)").arg(engineText);
    return DbError{number, text};
}

bool isBusy(int sqliteCode)
{
    return (sqliteCode & 0xFF) == SQLITE_BUSY || (sqliteCode & 0xFF) == SQLITE_LOCKED;
}

DbError engineError(sqlite3* db)
{
    if (!db)
        return DbError{errors::kNotOpen, QStringLiteral("Es ist keine Datenbank geöffnet.")};
    return engineError(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

DbError statementError(sqlite3* db)
{
    if (db && (sqlite3_extended_errcode(db) & 0xFF) != SQLITE_ERROR)
        return engineError(db);
    return DbError{errors::kSyntax, QStringLiteral("Fehler in der SQL-Anweisung: %1").arg(sqliteMessage(db))};
}

void registerJetSemantics(sqlite3* db)
{
    // Jet's like() replaces SQLite's (both "x LIKE y" and like(y, x) reach it).
    sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction,
                               nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(db, kCollationName, SQLITE_UTF8, nullptr, collate, nullptr);
    registerJetFunctions(db);
}

// ---------------------------------------------------------------------------------------------

namespace {
// SQLite counts every allocation under one process-wide lock unless told not to; the
// views and searches of large catalogues read on all cores at once, where that lock made
// eight threads slower than one. Set before SQLite's first use (later it is refused, harmlessly).
void sqliteEinrichten()
{
    static const bool eingerichtet = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)eingerichtet;
}
} // namespace

Database::Database() : d(std::make_unique<Private>())
{
    sqliteEinrichten();
}

Database::~Database()
{
    close();
}

bool Database::fail(DbError* error, int number, const QString& description)
{
    d->lastError = DbError{number, description};
    if (error)
        *error = d->lastError;
    return false;
}

bool Database::open(const QString& path, DbError* error)
{
    close();
    d->lastError = {};
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isFile())
        return fail(error, errors::kFileNotFound,
                    QStringLiteral("Die Datenbankdatei '%1' wurde nicht gefunden.").arg(path));

    // Look at the header before SQLite touches the file: a foreign file stays as it is.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, errors::kFileNotFound,
                    QStringLiteral("Die Datenbankdatei '%1' kann nicht gelesen werden.").arg(path));
    const QByteArray header = file.read(32);
    file.close();
    static const QByteArray sqliteMagic("SQLite format 3\0", 16);
    if (!header.startsWith(sqliteMagic)) {
        if (header.mid(4, 15) == "Standard Jet DB" || header.mid(4, 15) == "Standard ACE DB")
            return fail(error, errors::kUnrecognisedFormat,
                        QStringLiteral("Die Datei '%1' ist eine Access-Datenbank. Klangtruhe öffnet nur "
                                       "Kataloge im SQLite-Format; die Datenbank muss zuerst umgewandelt "
                                       "werden. Die Datei wurde nicht verändert.")
                            .arg(path));
        return fail(error, errors::kUnrecognisedFormat,
                    QStringLiteral("Die Datei '%1' ist keine Katalogdatenbank (kein SQLite-Format). "
                                   "Die Datei wurde nicht verändert.")
                        .arg(path));
    }

    const bool writable = info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
    const int flags = (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const DbError e = db ? engineError(db) : engineError(rc);
        sqlite3_close_v2(db);
        return fail(error, e.number,
                    QStringLiteral("Die Datenbank '%1' kann nicht geöffnet werden: %2").arg(path, e.description));
    }
    // A damaged or encrypted file shows here, before anything is written.
    char* err = nullptr;
    sqlite3_busy_timeout(db, kBusyWaitMs);
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        const int code = sqlite3_extended_errcode(db);
        sqlite3_close_v2(db);
        // A catalogue another program holds locked (compacting it, say) is busy, not damaged.
        if (isBusy(code))
            return fail(error, errors::kLocked,
                        QStringLiteral("Die Datenbank '%1' wird gerade von einem anderen Programm benutzt "
                                       "(gesperrt). Bitte später noch einmal versuchen.")
                            .arg(path));
        return fail(error, errors::kUnrecognisedFormat,
                    QStringLiteral("Die Datei '%1' ist keine lesbare Katalogdatenbank (%2). "
                                   "Die Datei wurde nicht verändert.")
                        .arg(path, msg));
    }
    // Views of big catalogues scan the table often: keep part of it in memory (mapped, plus a
    // larger page cache) and sort in memory. The mapping counts as the program's memory, so
    // it stays small enough for a million records. None of these settings is written to the
    // file.
    sqlite3_exec(db, "PRAGMA cache_size = -32768; PRAGMA mmap_size = 67108864; PRAGMA temp_store = MEMORY",
                 nullptr, nullptr, nullptr);
    registerJetSemantics(db);
    d->db = db;
    d->path = path;
    d->readOnly = !writable;
    return true;
}

bool Database::withWorkerConnection(const QString& path, const std::function<void(Database&)>& work)
{
    std::lock_guard<std::mutex> lock(d->workerMutex);
    if (path.isEmpty())
        return false;
    if (!d->worker || d->worker->path() != path) {
        d->worker = std::make_unique<Database>();
        if (!d->worker->open(path)) {
            d->worker.reset();
            return false;
        }
    }
    work(*d->worker);
    return true;
}

void Database::adoptWorkerConnection(std::unique_ptr<Database> connection)
{
    std::lock_guard<std::mutex> lock(d->workerMutex);
    if (connection && !connection->path().isEmpty())
        d->worker = std::move(connection);
}

void Database::close()
{
    {
        // Waits for work on the other connection to end.
        std::lock_guard<std::mutex> lock(d->workerMutex);
        d->worker.reset();
    }
    if (d->db) {
        sqlite3_close_v2(d->db);
        d->db = nullptr;
    }
    d->path.clear();
    d->readOnly = false;
}

void Database::useLittleMemory()
{
    if (d->db)
        sqlite3_exec(d->db, "PRAGMA mmap_size = 0; PRAGMA cache_size = -2048", nullptr, nullptr, nullptr);
}

bool Database::isOpen() const { return d->db != nullptr; }
bool Database::isReadOnly() const { return d->readOnly; }
QString Database::path() const { return d->path; }
sqlite3* Database::handle() const { return d->db; }
DbError Database::lastError() const { return d->lastError; }
quint64 Database::changeCounter() const { return d->changes; }
void Database::noteChange() { ++d->changes; }

bool Database::createCatalogue(const QString& path, bool olderForm, DbError* error)
{
    auto failWith = [&](int number, const QString& text) {
        if (error)
            *error = DbError{number, text};
        return false;
    };
    if (QFileInfo::exists(path))
        return failWith(errors::kGeneral, QStringLiteral("Die Datei '%1' ist schon vorhanden.").arg(path));
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const QString msg = sqliteMessage(db);
        sqlite3_close_v2(db);
        QFile::remove(path);
        return failWith(errors::kGeneral, QStringLiteral("Die Datenbank '%1' kann nicht angelegt werden: %2")
                                              .arg(path, msg));
    }
    const QByteArray sql = schema::createTableStatement(olderForm).toUtf8();
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err);
    const QString msg = QString::fromUtf8(err ? err : "");
    sqlite3_free(err);
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK) {
        QFile::remove(path);
        return failWith(errors::kGeneral, msg);
    }
    return true;
}

int Database::execute(const QString& jetSql, DbError* error)
{
    d->lastError = {};
    if (!d->db) {
        fail(error, errors::kNotOpen, QStringLiteral("Es ist keine Datenbank geöffnet."));
        return -1;
    }
    // Adding a column goes through addColumn, which knows Jet's errors for it.
    static const QRegularExpression addColumnRe(
        QStringLiteral("^\\s*alter\\s+table\\s+(\\[[^\\]]+\\]|\\S+)\\s+add\\s+(?:column\\s+)?(\\[[^\\]]+\\]|\\S+)\\s+(.+?)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = addColumnRe.match(jetSql);
    if (m.hasMatch()) {
        auto unbracket = [](QString s) {
            if (s.startsWith(QLatin1Char('[')) && s.endsWith(QLatin1Char(']')))
                s = s.mid(1, s.size() - 2);
            return s;
        };
        return addColumn(unbracket(m.captured(1)), unbracket(m.captured(2)), m.captured(3), error) ? 0 : -1;
    }
    return executeBound(translateJetSql(jetSql), {}, error);
}

int Database::executeBound(const QString& sqliteSql, const QVariantList& params, DbError* error)
{
    d->lastError = {};
    if (!d->db) {
        fail(error, errors::kNotOpen, QStringLiteral("Es ist keine Datenbank geöffnet."));
        return -1;
    }
    const QByteArray sql = sqliteSql.toUtf8();
    Stmt stmt;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(d->db, sql.constData(), int(sql.size()), &stmt.s, &tail) != SQLITE_OK) {
        const DbError e = statementError(d->db);
        fail(error, e.number, e.description);
        return -1;
    }
    if (!stmt.s) { // nothing but blanks or comments
        return 0;
    }
    if (tail && QByteArray(tail).trimmed() != "" && QByteArray(tail).trimmed() != ";") {
        fail(error, errors::kSyntax, QStringLiteral("Fehler in der SQL-Anweisung: Zeichen hinter dem Ende "
                                                    "der Anweisung gefunden."));
        return -1;
    }
    for (int i = 0; i < params.size(); ++i)
        bindValue(stmt.s, i + 1, params[i]);
    int rc;
    while ((rc = sqlite3_step(stmt.s)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        const DbError e = engineError(d->db);
        fail(error, e.number, e.description);
        return -1;
    }
    const bool readOnly = sqlite3_stmt_readonly(stmt.s);
    if (!readOnly)
        noteChange();
    return readOnly ? 0 : sqlite3_changes(d->db);
}

bool Database::query(const QString& sqliteSql, const QVariantList& params,
                     const std::function<bool(const QVariantList&)>& onRow, DbError* error)
{
    d->lastError = {};
    if (!d->db)
        return fail(error, errors::kNotOpen, QStringLiteral("Es ist keine Datenbank geöffnet."));
    const QByteArray sql = sqliteSql.toUtf8();
    Stmt stmt;
    if (sqlite3_prepare_v2(d->db, sql.constData(), int(sql.size()), &stmt.s, nullptr) != SQLITE_OK || !stmt.s) {
        const DbError e = statementError(d->db);
        return fail(error, e.number, e.description);
    }
    for (int i = 0; i < params.size(); ++i)
        bindValue(stmt.s, i + 1, params[i]);
    const int columns = sqlite3_column_count(stmt.s);
    int rc;
    QVariantList row;
    while ((rc = sqlite3_step(stmt.s)) == SQLITE_ROW) {
        row.clear();
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << columnValue(stmt.s, c);
        if (onRow && !onRow(row))
            return true;
    }
    if (rc != SQLITE_DONE) {
        const DbError e = engineError(d->db);
        return fail(error, e.number, e.description);
    }
    return true;
}

QVariant Database::scalar(const QString& sqliteSql, const QVariantList& params, DbError* error)
{
    QVariant result;
    query(sqliteSql, params, [&](const QVariantList& row) {
        result = row.value(0);
        return false;
    }, error);
    return result;
}

QStringList Database::columns(const QString& table) const
{
    QStringList names;
    if (!d->db)
        return names;
    Stmt stmt;
    if (sqlite3_prepare_v2(d->db, "SELECT name FROM pragma_table_info(?)", -1, &stmt.s, nullptr) != SQLITE_OK)
        return names;
    const QByteArray t = table.toUtf8();
    sqlite3_bind_text(stmt.s, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(stmt.s) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.s, 0)));
    return names;
}

bool Database::tableExists(const QString& table) const
{
    if (!d->db)
        return false;
    Stmt stmt;
    if (sqlite3_prepare_v2(d->db,
                           "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND lower(name) = lower(?)",
                           -1, &stmt.s, nullptr) != SQLITE_OK)
        return false;
    const QByteArray t = table.toUtf8();
    sqlite3_bind_text(stmt.s, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    return sqlite3_step(stmt.s) == SQLITE_ROW;
}

bool Database::hasColumn(const QString& table, const QString& column) const
{
    return columns(table).contains(column, Qt::CaseInsensitive);
}

QStringList Database::missingCatalogueFields() const
{
    const QStringList present = columns(schema::kTable);
    QStringList missing;
    for (const QString& field : schema::fieldNames())
        if (!present.contains(field, Qt::CaseInsensitive))
            missing << field;
    return missing;
}

bool Database::addColumn(const QString& table, const QString& column, const QString& jetType, DbError* error)
{
    d->lastError = {};
    if (!d->db)
        return fail(error, errors::kNotOpen, QStringLiteral("Es ist keine Datenbank geöffnet."));
    if (!tableExists(table))
        return fail(error, errors::kTableMissing,
                    QStringLiteral("Die Tabelle '%1' ist nicht vorhanden.").arg(table));
    if (hasColumn(table, column))
        return fail(error, errors::kColumnExists,
                    QStringLiteral("Das Feld '%1' ist bereits in der Tabelle '%2' vorhanden.").arg(column, table));
    auto quoteIdent = [](QString s) { return QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"'); };
    const QString sql = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                            .arg(quoteIdent(table), quoteIdent(column), sqliteTypeForJetType(jetType));
    return executeBound(sql, {}, error) >= 0;
}

bool Database::compactInto(const QString& targetPath, DbError* error)
{
    d->lastError = {};
    if (!d->db)
        return fail(error, errors::kNotOpen, QStringLiteral("Es ist keine Datenbank geöffnet."));
    if (QFileInfo::exists(targetPath))
        return fail(error, errors::kGeneral,
                    QStringLiteral("Die Zieldatei '%1' ist schon vorhanden.").arg(targetPath));
    return executeBound(QStringLiteral("VACUUM INTO ?"), {targetPath}, error) >= 0;
}

bool Database::compactFile(const QString& sourcePath, const QString& targetPath, DbError* error)
{
    Database db;
    if (!db.open(sourcePath, error))
        return false;
    const bool ok = db.compactInto(targetPath, error);
    db.close();
    return ok;
}

QString Database::integrityCheck()
{
    QStringList findings;
    DbError error;
    if (!query(QStringLiteral("PRAGMA integrity_check"), {}, [&](const QVariantList& row) {
            findings << row.value(0).toString();
            return true;
        }, &error))
        return error.description;
    return findings.join(QLatin1Char('\n'));
}

void Database::stopWhen(const std::atomic_bool* stop)
{
    if (!d->db)
        return;
    if (!stop) {
        sqlite3_progress_handler(d->db, 0, nullptr, nullptr);
        return;
    }
    sqlite3_progress_handler(
        d->db, 1000, [](void* s) -> int { return static_cast<const std::atomic_bool*>(s)->load() ? 1 : 0; },
        const_cast<std::atomic_bool*>(stop));
}

QString Database::quickCheck(const std::atomic_bool* stop)
{
    QStringList findings;
    DbError error;
    if (stop)
        stopWhen(stop);
    const auto ohneHandler = qScopeGuard([this, stop] {
        if (stop)
            stopWhen(nullptr);
    });
    if (!query(QStringLiteral("PRAGMA quick_check"), {}, [&](const QVariantList& row) {
            findings << row.value(0).toString();
            return findings.size() < 20;
        }, &error))
        return error.description;
    return findings.join(QLatin1Char('\n'));
}

bool Database::isReadOnlyQuery(const QString& sqliteSql, DbError* error) const
{
    auto refuse = [&](const QString& why) {
        if (error)
            *error = DbError{errors::kNotAQuery, why};
        return false;
    };
    if (!d->db) {
        if (error)
            *error = DbError{errors::kNotOpen, QStringLiteral("Es ist keine Datenbank geöffnet.")};
        return false;
    }
    const QByteArray sql = sqliteSql.toUtf8();
    Stmt stmt;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(d->db, sql.constData(), int(sql.size()), &stmt.s, &tail) != SQLITE_OK) {
        if (error)
            *error = statementError(d->db);
        return false;
    }
    if (!stmt.s)
        return refuse(QStringLiteral("Die Ansicht enthält keine Abfrage."));
    for (const char* p = tail; p && *p; ++p) {
        if (*p != ';' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
            return refuse(QStringLiteral("Die Ansicht enthält mehr als eine Anweisung."));
    }
    // The kind of statement: a select (possibly after WITH) that writes nothing.
    static const QRegularExpression selectStart(QStringLiteral("^\\s*\\(*\\s*(select|with)\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
    if (!sqlite3_stmt_readonly(stmt.s) || sqlite3_stmt_isexplain(stmt.s) != 0
        || sqlite3_column_count(stmt.s) == 0 || !selectStart.match(sqliteSql).hasMatch())
        return refuse(QStringLiteral("Die Ansicht ist keine reine Abfrage (select) und wird nicht ausgeführt."));
    return true;
}

// ---------------------------------------------------------------------------------------------

Transaction::Transaction(Database& db) : m_db(db)
{
    m_active = m_db.executeBound(QStringLiteral("BEGIN IMMEDIATE")) >= 0;
}

Transaction::~Transaction()
{
    rollback();
}

bool Transaction::commit(DbError* error)
{
    if (!m_active)
        return false;
    const bool ok = m_db.executeBound(QStringLiteral("COMMIT"), {}, error) >= 0;
    if (ok)
        m_active = false;
    return ok;
}

void Transaction::rollback()
{
    if (m_active) {
        m_db.executeBound(QStringLiteral("ROLLBACK"));
        m_active = false;
    }
}

} // namespace klang::jet
