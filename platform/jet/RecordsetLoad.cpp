// The record set's loading of a view, on or off the window's thread, and its preloading.

#include "platform/jet/Recordset.h"

#include "platform/background/Hintergrund.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/RecordsetIntern.h"

#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace klang::jet {

// The highest rowid bounds the row count from above at the cost of one index step.
qint64 maxRowId(sqlite3* h, const QString& table)
{
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = QStringLiteral("SELECT max(rowid) FROM %1").arg(quoteIdent(table)).toUtf8();
    qint64 rows = 0;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) == SQLITE_OK && stmt
        && sqlite3_step(stmt) == SQLITE_ROW)
        rows = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return rows;
}

bool Recordset::load(Database* db, const QString& recordSource, Loaded* out, DbError* error,
                     const std::atomic_bool* stop)
{
    sqlite3* h = db->handle();
    const SimpleSource simple = analyseRecordSource(recordSource);
    QList<SortTerm> terms;
    if (simple.ok && !simple.orderBy.isEmpty() && db->tableExists(simple.table)
        && parseOrderTerms(simple.orderBy, &terms)) {
        const QStringList columns = db->columns(simple.table);
        bool known = true;
        for (const SortTerm& t : terms)
            known = known && columns.contains(t.column, Qt::CaseInsensitive);
        if (known && sortedRowIds(db, simple.table, simple.where, terms, &out->rowIds, stop)) {
            out->simple = true;
            out->table = simple.table;
            out->fields = columns;
            return true;
        }
        out->rowIds.clear();
        if (stop && *stop) {
            if (error)
                *error = DbError{errors::kCancelled, QStringLiteral("Der Vorgang wurde abgebrochen.")};
            return false;
        }
    }
    if (simple.ok && db->tableExists(simple.table)) {
        // Rowids only; values come when asked for.
        QString keySql = QStringLiteral("SELECT rowid FROM ") + quoteIdent(simple.table);
        if (!simple.where.isEmpty())
            keySql += QStringLiteral(" WHERE ") + simple.where;
        if (!simple.orderBy.isEmpty())
            keySql += QStringLiteral(" ORDER BY ") + simple.orderBy;
        const QByteArray sql = keySql.toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) == SQLITE_OK && stmt) {
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
                out->rowIds.push_back(sqlite3_column_int64(stmt, 0));
            sqlite3_finalize(stmt);
            if (rc != SQLITE_DONE) {
                if (error)
                    *error = engineError(h);
                return false;
            }
            out->simple = true;
            out->table = simple.table;
            out->fields = db->columns(simple.table);
            return true;
        }
        sqlite3_finalize(stmt);
        // Fall through to loading the whole result; it reports the error if there is one.
    }

    const QByteArray sql = translateRecordSource(recordSource).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK || !stmt) {
        if (error)
            *error = statementError(h);
        sqlite3_finalize(stmt);
        return false;
    }
    const int columns = sqlite3_column_count(stmt);
    for (int c = 0; c < columns; ++c)
        out->fields << QString::fromUtf8(sqlite3_column_name(stmt, c));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Row row;
        row.values.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.values << columnValue(stmt, c);
        out->allRows.push_back(std::move(row));
        out->rowIds.push_back(0);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        if (error)
            *error = engineError(h);
        return false;
    }
    return true;
}

int Recordset::s_backgroundRows = 50000;

// A view being loaded before it was asked for, on a connection of its own that becomes the
// database's kept connection when the view is taken.
struct Recordset::Preloaded
{
    QString path;
    QString source;
    std::thread thread;
    std::atomic_bool stop{false};
    Check check;
    // Written by the thread, read after joining it.
    QString finding;
    bool checked = false;
    std::unique_ptr<Database> connection;
    qint64 version = -1; // the file's data version before the rows were read
    QByteArray file;     // which file the path named before it was opened
    Loaded loaded;
    bool ok = false;
    DbError error;

    ~Preloaded()
    {
        stop = true; // a preload nobody takes ends at the engine's next step
        if (thread.joinable())
            thread.join();
    }
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    // Ended (and its thread joined) when the application object goes, while Qt still works.
    static std::unique_ptr<Preloaded>& pending()
    {
        static std::unique_ptr<Preloaded> p;
        return p;
    }
};

namespace {
qint64 dataVersion(Database& db)
{
    return db.scalar(QStringLiteral("PRAGMA data_version")).toLongLong();
}

// The file a path names now (device and inode): a file put in its place (a copy renamed over
// it, a restored backup) is another file, whose writes the old one's data version never shows.
QByteArray dateiKennung(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QByteArray::number(qulonglong(st.st_dev)) + ':' + QByteArray::number(qulonglong(st.st_ino));
}
} // namespace

void Recordset::preload(const QString& path, const QString& recordSource, const Check& check)
{
    if (path.isEmpty() || !hintergrundMoeglich())
        return;
    static const bool endetMitDemProgramm = [] {
        qAddPostRoutine([] {
            std::unique_ptr<Preloaded> untaken;
            std::lock_guard<std::mutex> lock(Preloaded::mutex());
            untaken.swap(Preloaded::pending());
        });
        return true;
    }();
    Q_UNUSED(endetMitDemProgramm);
    auto p = std::make_unique<Preloaded>();
    p->path = path;
    p->source = recordSource;
    p->check = check;
    Preloaded* pre = p.get();
    const int minRows = s_backgroundRows;
    pre->thread = std::thread([pre, minRows] {
        hinterDemFenster();
        pre->file = dateiKennung(pre->path);
        auto db = std::make_unique<Database>();
        if (!db->open(pre->path))
            return;
        db->stopWhen(&pre->stop);
        // Only what open() would run as well: one reading select over a real table.
        const SimpleSource simple = analyseRecordSource(pre->source);
        if (!simple.ok || !db->isReadOnlyQuery(translateRecordSource(pre->source))
            || db->scalar(QStringLiteral("SELECT type FROM sqlite_master WHERE lower(name) = lower(?)"), {simple.table})
                       .toString()
                   != QLatin1String("table")
            || maxRowId(db->handle(), simple.table) < minRows)
            return;
        pre->version = dataVersion(*db);
        std::thread checker;
        if (pre->check)
            checker = std::thread([pre] {
                hinterDemFenster();
                pre->finding = pre->check(pre->stop);
            });
        pre->ok = load(db.get(), pre->source, &pre->loaded, &pre->error);
        if (checker.joinable())
            checker.join();
        pre->checked = pre->check && !pre->stop;
        db->stopWhen(nullptr);
        if (!pre->stop)
            pre->connection = std::move(db);
    });
    std::lock_guard<std::mutex> lock(Preloaded::mutex());
    Preloaded::pending() = std::move(p);
}

std::unique_ptr<Recordset::Preloaded> Recordset::takePreloaded(const QString& path, const QString& recordSource)
{
    std::unique_ptr<Preloaded> p;
    {
        std::lock_guard<std::mutex> lock(Preloaded::mutex());
        p.swap(Preloaded::pending());
    }
    if (p && (p->path != path || p->source != recordSource))
        p.reset();
    return p;
}

bool Recordset::offThreadPossible(Database* db)
{
    // The other connection sees committed data only: with a transaction open on this one,
    // the work stays here.
    return hintergrundMoeglich() && !db->path().isEmpty() && sqlite3_get_autocommit(db->handle());
}

bool Recordset::open(Database* db, const QString& recordSource, DbError* error,
                     const std::function<QString()>& pruefung)
{
    if (recordSource.trimmed().isEmpty()) {
        clear();
        return true; // no source: no rows, no error
    }
    if (!db || !db->isOpen()) {
        clear();
        if (error)
            *error = DbError{errors::kNotOpen, QStringLiteral("Es ist keine Datenbank geöffnet.")};
        return false;
    }
    // Whatever the source says, it runs only when it is one query that changes nothing; the
    // pieces of a simple source below are parts of that same checked statement.
    if (!db->isReadOnlyQuery(translateRecordSource(recordSource), error)) {
        clear();
        return false;
    }

    // A large view is loaded on another thread (on the database's kept second connection), so
    // the window goes on meanwhile and shows the rows it has until the new ones are all there.
    Loaded loaded;
    DbError e;
    bool ok = false;
    bool done = false;
    QString befund;
    bool geprueft = !pruefung;
    const SimpleSource simple = analyseRecordSource(recordSource);
    std::unique_ptr<Preloaded> pre = takePreloaded(db->path(), recordSource);
    if (simple.ok && offThreadPossible(db) && db->tableExists(simple.table)
        && maxRowId(db->handle(), simple.table) >= s_backgroundRows) {
        const QString path = db->path();
        // Esc gives up a new view of the catalogue shown (not the opening of a file).
        const bool abbrechbar = m_db == db && !pruefung && !pre;
        bool abgebrochen = false;
        imHintergrund(
            [&](const std::atomic_bool& abbrechen) {
                const auto merken = qScopeGuard([&] { abgebrochen = abbrechen; });
                if (pre) {
                    pre->thread.join();
                    // Taken only when nothing was written to the file since it was read, and it
                    // is still the file the path names.
                    if (pre->ok && pre->connection && dataVersion(*pre->connection) == pre->version
                        && !pre->file.isEmpty() && dateiKennung(path) == pre->file) {
                        done = true;
                        ok = pre->ok;
                        loaded = std::move(pre->loaded);
                        e = pre->error;
                        db->adoptWorkerConnection(std::move(pre->connection));
                        if (pre->checked && pruefung) {
                            befund = pre->finding;
                            geprueft = true;
                        }
                    }
                }
                // The check on a thread of its own, beside the loading.
                std::thread pruefen;
                const bool pruefenLaeuft = !geprueft;
                if (pruefenLaeuft)
                    pruefen = std::thread([&] {
                        hinterDemFenster();
                        befund = pruefung();
                    });
                if (!done)
                    db->withWorkerConnection(path, [&](Database& own) {
                        done = true;
                        own.stopWhen(&abbrechen);
                        ok = load(&own, recordSource, &loaded, &e, &abbrechen);
                        own.stopWhen(nullptr);
                    });
                if (pruefenLaeuft) {
                    pruefen.join();
                    geprueft = true;
                }
            },
            Hintergrund{QStringLiteral("Datensätze werden geladen ..."), abbrechbar, true});
        if (!ok && abgebrochen) {
            // Esc: the rows shown stay, with their source and current row.
            if (error)
                *error = DbError{errors::kCancelled, QStringLiteral("Der Vorgang wurde abgebrochen.")};
            return false;
        }
    }
    if (!geprueft)
        imHintergrund([&](const std::atomic_bool&) { befund = pruefung(); },
                      Hintergrund{QStringLiteral("Datenbank wird geprüft ..."), false});
    if (!befund.isEmpty()) {
        clear();
        if (error)
            *error = DbError{errors::kUnrecognisedFormat, befund};
        return false;
    }
    if (!done) {
        loaded = Loaded{};
        e = {};
        ok = load(db, recordSource, &loaded, &e);
    }
    clear();
    if (!ok) {
        if (error)
            *error = e;
        return false;
    }
    m_db = db;
    m_source = recordSource;
    m_simple = loaded.simple;
    m_table = loaded.table;
    m_fields = loaded.fields;
    m_rowIds = std::move(loaded.rowIds);
    m_allRows = std::move(loaded.allRows);
    for (int i = 0; i < m_fields.size(); ++i)
        if (!m_fieldIndex.contains(m_fields[i].toLower()))
            m_fieldIndex.insert(m_fields[i].toLower(), i);
    m_count = int(m_rowIds.size());
    m_pos = m_count > 0 ? 0 : -1;
    m_cacheStamp = db->changeCounter();
    return true;
}
} // namespace klang::jet
