#include "platform/jet/Recordset.h"

#include "platform/background/Hintergrund.h"

#include "platform/jet/JetCollation.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/ViewSort.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>
#include <QThreadPool>
#include <QtGlobal>
#include <QHashFunctions>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>
#include <mutex>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace klang::jet {

namespace {

// Rows fetched together when a row is missing from the cache, and the cache's size cap.
constexpr int kFetchBlock = 48;
constexpr int kCacheLimit = 4096;
// After a read refused by another program's lock, rows are not asked for again this long.
constexpr qint64 kBusyPauseMs = 1000;

QString quoteIdent(QString s)
{
    return QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QVariant columnValue(sqlite3_stmt* stmt, int col)
{
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(stmt, col);
        return QVariant(QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(stmt, col)));
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, col)));
    }
    }
}

QString asText(const QVariant& v)
{
    if (!v.isValid() || v.isNull() || v.typeId() == QMetaType::QByteArray)
        return QString();
    return v.toString();
}

struct SortTerm
{
    QString column;
    bool descending = false;
    bool plainText = false; // Klartext(column): by the text the user reads
};

// "Band COLLATE JET, LPTitel COLLATE JET DESC" or "Klartext(Songs) ASC" -> terms; false for
// anything else.
bool parseOrderTerms(const QString& orderBy, QList<SortTerm>* terms)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(?:\"([^\"]+)\"|(\\w+))\\s+COLLATE\\s+JET(?:\\s+(ASC|DESC))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression klartext(
        QStringLiteral("^\\s*klartext\\s*\\(\\s*(?:\"([^\"]+)\"|(\\w+))\\s*\\)(?:\\s+COLLATE\\s+JET)?(?:\\s+(ASC|DESC))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QStringList parts = orderBy.split(QLatin1Char(','));
    for (const QString& part : parts) {
        QRegularExpressionMatch m = re.match(part);
        SortTerm term;
        if (!m.hasMatch()) {
            m = klartext.match(part);
            if (!m.hasMatch())
                return false;
            term.plainText = true;
        }
        term.column = m.capturedLength(1) > 0 ? m.captured(1) : m.captured(2);
        term.descending = m.captured(3).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
        terms->append(term);
    }
    return !terms->isEmpty();
}

// Sorting in memory over bounded keys: how much key data a view may build, and how much of
// it the windows beyond the shared start are planned to take. A million records sort here
// too (with narrower windows; rows their windows cannot tell apart are compared whole), not
// by the engine calling the collation for every pair.
constexpr std::size_t kMaxSortKeyBytes = 96u * 1024u * 1024u;
constexpr std::size_t kPlannedWindowBytes = 32u * 1024u * 1024u;
constexpr std::size_t kMinWindow = 24;

// Parted reads and scans run on threads of their own, never on Qt's shared pool: the window's
// painting (the scaling of a picture, for one) waits for that pool, and a scan holding all its
// threads would hold the window still until it ended.
class Lesefaeden : public QThreadPool
{
public:
    Lesefaeden() { setMaxThreadCount(std::max(1, QThread::idealThreadCount())); }
};

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

std::size_t sortWindow(qint64 rows, int columns)
{
    if (rows <= 0)
        return ViewSorter::kDefaultWindow;
    const std::size_t perValue = kPlannedWindowBytes / (std::size_t(rows) * std::size_t(std::max(1, columns)));
    return std::clamp(perValue, kMinWindow, ViewSorter::kDefaultWindow);
}

// The rowids of a view ordered by text columns, sorted here (much faster than the engine
// calling the collation for every pair), in exactly the order of the collation over the whole
// values. False when the view does not fit (non-text values, too much key data, an error):
// the engine then sorts.
// Runs `work` on parts of a table's rowid range at once, each part on a connection of its own
// (a large table read by all cores); std::nullopt when the table is smaller than minRows, it
// cannot be opened again, or a part failed: the caller then reads it on its own connection.
template<typename R>
std::optional<QList<R>> inParts(sqlite3* h, const QString& path, const QString& table, qint64 minRows,
                                const std::function<std::optional<R>(sqlite3*, qint64, qint64)>& work)
{
    if (path.isEmpty() || !h)
        return std::nullopt;
    qint64 lo = 0;
    qint64 hi = -1;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = QStringLiteral("SELECT min(rowid), max(rowid) FROM %1").arg(quoteIdent(table)).toUtf8();
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) == SQLITE_OK && stmt
        && sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL) {
        lo = sqlite3_column_int64(stmt, 0);
        hi = sqlite3_column_int64(stmt, 1);
    }
    sqlite3_finalize(stmt);
    const qint64 span = hi - lo + 1;
    if (span < std::max<qint64>(minRows, 2))
        return std::nullopt;
    const qint64 parts = std::clamp<qint64>(span / 256, 2, 2 * std::max(1, QThread::idealThreadCount()));
    QList<QPair<qint64, qint64>> ranges;
    for (qint64 p = 0; p < parts; ++p)
        ranges << qMakePair(lo + span * p / parts, lo + span * (p + 1) / parts - 1);
    Lesefaeden faeden;
    QList<std::optional<R>> results =
        QtConcurrent::blockingMapped(&faeden, ranges, [&](const QPair<qint64, qint64>& range) -> std::optional<R> {
            Database db;
            if (!db.open(path))
                return std::nullopt;
            db.useLittleMemory();
            return work(db.handle(), range.first, range.second);
        });
    QList<R> out;
    for (auto& r : results) {
        if (!r)
            return std::nullopt;
        out << std::move(*r);
    }
    return out;
}

// Rows whose sort values are byte for byte those of a row before join that row's group, so a
// text many records share (the same song list on several pressings, a rich text that reads
// empty) is keyed, compared and sorted once, however many rows hold it. Values are told apart
// by a 128-bit hash of their bytes and lengths (two hashes with different seeds).
class SortGroups
{
public:
    struct Hash
    {
        quint64 a = 0x9E3779B97F4A7C15ull;
        quint64 b = 0xC2B2AE3D27D4EB4Full;
        void add(const char* data, std::size_t size)
        {
            a = qHashBits(data, size, std::size_t(a ^ size));
            b = qHashBits(data, size, std::size_t(b + 0x165667B19E3779F9ull * (size + 1)));
        }
        void addNull()
        {
            a = a * 0xFF51AFD7ED558CCDull + 1;
            b = (b ^ (b >> 29)) * 0xC4CEB9FE1A85EC53ull + 3;
        }
    };
    // The group of the values hashed into h; *added when they open a new one.
    int group(const Hash& h, bool* added)
    {
        if (2 * (m_count + 1) > m_slots.size())
            grow();
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = std::size_t(h.a) & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.group < 0) {
                slot = {h.a, h.b, int(m_count++)};
                *added = true;
                return slot.group;
            }
            if (slot.a == h.a && slot.b == h.b) {
                *added = false;
                return slot.group;
            }
        }
    }
    std::size_t count() const { return m_count; }

private:
    struct Slot
    {
        quint64 a = 0;
        quint64 b = 0;
        int group = -1;
    };
    void grow()
    {
        std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(std::max<std::size_t>(1024, 2 * m_slots.size())));
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.group < 0)
                continue;
            std::size_t i = std::size_t(slot.a) & mask;
            while (m_slots[i].group >= 0)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }
    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

// The sort values of a view's rows read by one part: text or NULL per term.
struct SortPart
{
    std::vector<qint64> ids;
    std::vector<std::optional<std::string>> values;
    bool fits = true;
};
// Memory the parts may hold for a filtered view before it is read on one connection instead.
constexpr std::size_t kPartBytes = 192u * 1024u * 1024u;

bool sortedRowIds(Database* db, const QString& table, const QString& where, const QList<SortTerm>& terms,
                  QVector<qint64>* rowIds, const std::atomic_bool* stop)
{
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    sqlite3* h = db->handle();
    QStringList cols;
    std::vector<bool> descending;
    for (const SortTerm& t : terms) {
        cols << (t.plainText ? QStringLiteral("klartext(%1)").arg(quoteIdent(t.column)) : quoteIdent(t.column));
        descending.push_back(t.descending);
    }
    const QString columnList = cols.join(QStringLiteral(", "));
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(columnList, quoteIdent(table));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(h, utf8.constData(), int(utf8.size()), &stmt, nullptr) != SQLITE_OK || !stmt) {
        sqlite3_finalize(stmt);
        return false;
    }
    const int nTerms = int(terms.size());
    const qint64 rows = maxRowId(h, table);
    ViewSorter sorter(descending, sortWindow(rows, nTerms));
    int rc = SQLITE_DONE;
    bool fits = true;
    // A filter (a search over many columns) costs more than the sort: large tables are
    // filtered in parts on all cores, in rowid order as one statement would read them. A whole
    // table is read on the one connection: the parts' new connections read it slower than a
    // connection that has read it before.
    std::optional<QList<SortPart>> parts;
    if (!where.isEmpty()) {
        const QByteArray partUtf8 =
            QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3rowid BETWEEN ? AND ?")
                .arg(columnList, quoteIdent(table), where.isEmpty() ? QString() : QStringLiteral("(%1) AND ").arg(where))
                .toUtf8();
        std::atomic<std::size_t> bytes{0};
        parts = inParts<SortPart>(
            h, db->path(), table, 1024, [&](sqlite3* ph, qint64 from, qint64 to) -> std::optional<SortPart> {
                sqlite3_stmt* ps = nullptr;
                if (sqlite3_prepare_v2(ph, partUtf8.constData(), int(partUtf8.size()), &ps, nullptr) != SQLITE_OK || !ps) {
                    sqlite3_finalize(ps);
                    return std::nullopt;
                }
                const int n = sqlite3_bind_parameter_count(ps);
                sqlite3_bind_int64(ps, n - 1, from);
                sqlite3_bind_int64(ps, n, to);
                SortPart part;
                int prc = SQLITE_DONE;
                // Every part stops once the parts together hold too much.
                while (part.fits && bytes <= kPartBytes && !stopped() && (prc = sqlite3_step(ps)) == SQLITE_ROW) {
                    part.ids.push_back(sqlite3_column_int64(ps, 0));
                    for (int t = 0; t < nTerms; ++t) {
                        const int type = sqlite3_column_type(ps, t + 1);
                        if (type == SQLITE_NULL) {
                            part.values.emplace_back(std::nullopt);
                        } else if (type == SQLITE_TEXT) {
                            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(ps, t + 1));
                            const std::size_t len = std::size_t(sqlite3_column_bytes(ps, t + 1));
                            part.values.emplace_back(std::string(text, len));
                            if ((bytes += len + 32) > kPartBytes)
                                part.fits = false;
                        } else {
                            part.fits = false;
                        }
                    }
                }
                sqlite3_finalize(ps);
                if (bytes > kPartBytes)
                    part.fits = false;
                if (part.fits && prc != SQLITE_DONE)
                    return std::nullopt;
                return part;
            });
        for (const SortPart& part : parts ? *parts : QList<SortPart>()) {
            if (!part.fits)
                parts.reset(); // too much or not text: one statement on this connection
            if (!parts)
                break;
        }
    }
    // Every row by its group; the sorter gets the first row of each group.
    SortGroups groups;
    std::vector<qint64> memberIds;
    std::vector<int> groupOf;
    const auto addRow = [&](qint64 id, const auto& valueOf) {
        SortGroups::Hash hash;
        for (int t = 0; t < nTerms; ++t) {
            const std::optional<std::string_view> v = valueOf(t);
            if (v)
                hash.add(v->data(), v->size());
            else
                hash.addNull();
        }
        bool added = false;
        memberIds.push_back(id);
        groupOf.push_back(groups.group(hash, &added));
        if (!added)
            return;
        sorter.addRow(id);
        for (int t = 0; t < nTerms; ++t) {
            const std::optional<std::string_view> v = valueOf(t);
            if (v)
                sorter.addValue(*v);
            else
                sorter.addNull();
        }
    };
    const bool inPartsRead = parts.has_value();
    if (parts) {
        for (const SortPart& part : std::as_const(*parts)) {
            for (std::size_t r = 0; r < part.ids.size() && fits; ++r) {
                addRow(part.ids[r], [&](int t) -> std::optional<std::string_view> {
                    const auto& v = part.values[r * std::size_t(nTerms) + std::size_t(t)];
                    return v ? std::optional<std::string_view>(*v) : std::nullopt;
                });
                fits = sorter.keyBytes() <= kMaxSortKeyBytes && !stopped();
            }
        }
        parts.reset();
    }
    while (!inPartsRead && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int t = 0; t < nTerms && fits; ++t) {
            const int type = sqlite3_column_type(stmt, t + 1);
            fits = type == SQLITE_NULL || type == SQLITE_TEXT;
        }
        if (!fits)
            break;
        addRow(sqlite3_column_int64(stmt, 0), [&](int t) -> std::optional<std::string_view> {
            if (sqlite3_column_type(stmt, t + 1) == SQLITE_NULL)
                return std::nullopt;
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, t + 1));
            return std::string_view(text, std::size_t(sqlite3_column_bytes(stmt, t + 1)));
        });
        if (sorter.keyBytes() > kMaxSortKeyBytes || stopped()) {
            fits = false;
            break;
        }
    }
    sqlite3_finalize(stmt);
    if (!fits || rc != SQLITE_DONE || stopped())
        return false;

    // Rows equal over their keys (long values alike up to the end of their windows) are
    // compared over their whole values, read here one row at a time.
    sqlite3_stmt* fetchStmt = nullptr;
    const QByteArray fetchSql =
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(columnList, quoteIdent(table)).toUtf8();
    auto fetch = [&](qint64 rowId, ViewSorter::Values* values) {
        if (!fetchStmt
            && (sqlite3_prepare_v2(h, fetchSql.constData(), int(fetchSql.size()), &fetchStmt, nullptr) != SQLITE_OK
                || !fetchStmt))
            return false;
        sqlite3_reset(fetchStmt);
        sqlite3_bind_int64(fetchStmt, 1, rowId);
        if (sqlite3_step(fetchStmt) != SQLITE_ROW)
            return false;
        values->clear();
        for (int t = 0; t < nTerms; ++t) {
            const int type = sqlite3_column_type(fetchStmt, t);
            if (type == SQLITE_NULL) {
                values->emplace_back(std::nullopt);
            } else if (type == SQLITE_TEXT) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(fetchStmt, t));
                values->emplace_back(std::string(text, std::size_t(sqlite3_column_bytes(fetchStmt, t))));
            } else {
                return false;
            }
        }
        return true;
    };
    std::vector<qint64> sorted;
    std::vector<int> order;
    std::vector<char> tied;
    const bool ok = sorter.sort(fetch, &sorted, &order, &tied, stop);
    sqlite3_finalize(fetchStmt);
    if (!ok)
        return false;

    // The groups in their order, each with its rows; groups the collation finds equal (texts
    // that differ by case alone) share their place, their rows merged by rowid.
    std::vector<int> begin(groups.count() + 1, 0);
    for (int g : groupOf)
        ++begin[std::size_t(g) + 1];
    for (std::size_t g = 1; g < begin.size(); ++g)
        begin[g] += begin[g - 1];
    std::vector<qint64> members(memberIds.size());
    {
        std::vector<int> next(begin.begin(), begin.end() - 1);
        for (std::size_t r = 0; r < memberIds.size(); ++r)
            members[std::size_t(next[std::size_t(groupOf[r])]++)] = memberIds[r];
    }
    std::vector<qint64>().swap(memberIds);
    std::vector<int>().swap(groupOf);
    rowIds->clear();
    rowIds->reserve(qsizetype(members.size()));
    for (std::size_t p = 0; p < order.size();) {
        std::size_t q = p + 1;
        while (q < order.size() && tied[q])
            ++q;
        const qsizetype from = rowIds->size();
        for (std::size_t i = p; i < q; ++i) {
            const auto g = std::size_t(order[i]);
            for (int m = begin[g]; m < begin[g + 1]; ++m)
                rowIds->push_back(members[std::size_t(m)]);
        }
        if (!std::is_sorted(rowIds->begin() + from, rowIds->end()))
            std::sort(rowIds->begin() + from, rowIds->end());
        p = q;
    }
    return true;
}

} // namespace

Recordset::~Recordset()
{
    clear();
}

void Recordset::clear()
{
    if (m_fetch) {
        sqlite3_finalize(m_fetch);
        m_fetch = nullptr;
    }
    m_fetchFailed = false;
    m_lastRow = -2;
    m_db = nullptr;
    m_source.clear();
    m_table.clear();
    m_simple = false;
    m_fields.clear();
    m_fieldIndex.clear();
    m_rowIds.clear();
    m_allRows.clear();
    m_count = 0;
    m_pos = -1;
    m_pending.clear();
    m_cache.clear();
    m_unreadable.clear();
    m_readError = {};
    m_busySince = 0;
    m_loadedId = 0;
    m_loaded.clear();
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
            checker = std::thread([pre] { pre->finding = pre->check(pre->stop); });
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
                    pruefen = std::thread([&] { befund = pruefung(); });
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

int Recordset::fieldIndex(const QString& name) const
{
    return m_fieldIndex.value(name.toLower(), -1);
}

bool Recordset::setAbsolutePosition(int pos)
{
    if (pos < 0 || pos >= m_count)
        return false;
    if (pos != m_pos)
        m_pending.clear();
    m_pos = pos;
    return true;
}

void Recordset::moveFirst()
{
    m_pending.clear();
    m_pos = m_count > 0 ? 0 : -1;
}

void Recordset::moveLast()
{
    m_pending.clear();
    m_pos = m_count > 0 ? m_count - 1 : -1;
}

void Recordset::moveNext()
{
    m_pending.clear();
    if (m_count == 0)
        return;
    m_pos = std::min(m_pos + 1, m_count); // m_count = EOF
}

void Recordset::movePrevious()
{
    m_pending.clear();
    if (m_count == 0)
        return;
    m_pos = std::max(m_pos - 1, -1); // -1 = BOF
}

void Recordset::invalidateCache() const
{
    m_cache.clear();
    if (m_db)
        m_cacheStamp = m_db->changeCounter();
}

const Recordset::Row* Recordset::rowAt(int row) const
{
    if (row < 0 || row >= m_count || !m_db)
        return nullptr;
    if (!m_simple)
        return &m_allRows[row];
    if (m_db->changeCounter() != m_cacheStamp)
        invalidateCache();
    const qint64 id = m_rowIds[row];
    auto it = m_cache.constFind(id);
    if (it != m_cache.constEnd()) {
        m_lastRow = row;
        return &it.value();
    }

    sqlite3* h = m_db->handle();
    if (!h)
        return nullptr;
    // While another program holds the file locked, painting does not wait once per row.
    if (m_busySince && QDateTime::currentMSecsSinceEpoch() - m_busySince < kBusyPauseMs)
        return nullptr;
    if (!m_fetch && !m_fetchFailed) {
        const QByteArray sql = (QStringLiteral("SELECT * FROM ") + quoteIdent(m_table)
                                + QStringLiteral(" WHERE rowid = ?")).toUtf8();
        if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &m_fetch, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_fetch);
            m_fetch = nullptr;
            m_fetchFailed = true;
        }
    }
    if (!m_fetch)
        return nullptr;
    if (m_cache.size() > kCacheLimit)
        m_cache.clear();
    // Reading on from the last row asked for (a view painting, a scan): fetch a block from
    // here on. A jump elsewhere fetches just the row.
    const bool sequential = row == m_lastRow + 1;
    m_lastRow = row;
    const int end = std::min(m_count, row + (sequential ? kFetchBlock : 1));
    const int columns = sqlite3_column_count(m_fetch);
    // A block read in one read transaction takes the file lock once, not once per row.
    const bool eigeneLesung = end - row > 1 && sqlite3_get_autocommit(h)
                              && sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    m_busySince = 0;
    for (int r = row; r < end; ++r) {
        const qint64 rid = m_rowIds[r];
        if (r != row && m_cache.contains(rid))
            continue;
        sqlite3_reset(m_fetch);
        sqlite3_bind_int64(m_fetch, 1, rid);
        Row fetched;
        const int rc = sqlite3_step(m_fetch);
        if (klang::jet::isBusy(rc)) {
            // Locked by another program: said as such, and read again later.
            m_busySince = QDateTime::currentMSecsSinceEpoch();
            if (!m_readError.isError() || m_readError.number == errors::kLocked)
                m_readError = engineError(h);
            break;
        }
        if (rc == SQLITE_ROW) {
            fetched.values.reserve(columns);
            for (int c = 0; c < columns; ++c)
                fetched.values << columnValue(m_fetch, c);
        } else {
            fetched.values.resize(columns); // deleted meanwhile: a row of Nulls
            if (rc != SQLITE_DONE) {
                // Unreadable (a damaged page, a read error): shown empty, never written.
                m_unreadable.insert(rid);
                if (!m_readError.isError())
                    m_readError = engineError(h);
            }
        }
        m_cache.insert(rid, std::move(fetched));
    }
    sqlite3_reset(m_fetch);
    // Never leave the read transaction open: later writes would sit in it uncommitted.
    if (eigeneLesung && sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    it = m_cache.constFind(id);
    return it != m_cache.constEnd() ? &it.value() : nullptr;
}

QString Recordset::value(int row, int index) const
{
    const Row* r = rowAt(row);
    if (!r || index < 0 || index >= r->values.size())
        return QString();
    return asText(r->values[index]);
}

QString Recordset::value(int row, const QString& name) const
{
    return value(row, fieldIndex(name));
}

QByteArray Recordset::data(int row, int index) const
{
    const Row* r = rowAt(row);
    if (!r || index < 0 || index >= r->values.size())
        return QByteArray();
    const QVariant& v = r->values[index];
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return v.isNull() ? QByteArray() : v.toString().toUtf8();
}

QString Recordset::field(const QString& name) const
{
    const int index = fieldIndex(name);
    if (index < 0 || m_pos < 0 || m_pos >= m_count)
        return QString();
    auto it = m_pending.constFind(index);
    if (it != m_pending.constEnd())
        return asText(it.value());
    return value(m_pos, index);
}

QByteArray Recordset::fieldData(const QString& name) const
{
    const int index = fieldIndex(name);
    if (index < 0 || m_pos < 0 || m_pos >= m_count)
        return QByteArray();
    auto it = m_pending.constFind(index);
    if (it != m_pending.constEnd())
        return it.value().typeId() == QMetaType::QByteArray ? it.value().toByteArray()
                                                            : it.value().toString().toUtf8();
    return data(m_pos, index);
}

QStringList Recordset::columnValues(const QString& name) const
{
    return columnValues(QStringList{name}).value(0);
}

QList<QStringList> Recordset::columnValues(const QStringList& names) const
{
    QList<QStringList> values(names.size(), QStringList(m_count, QString()));
    QList<int> indexes;
    for (const QString& name : names)
        indexes << fieldIndex(name);
    if (m_count == 0 || !m_db)
        return values;
    if (!m_simple) {
        for (int n = 0; n < names.size(); ++n)
            for (int row = 0; indexes[n] >= 0 && row < m_count; ++row)
                values[n][row] = asText(m_allRows[row].values.value(indexes[n]));
        return values;
    }
    // The table in rowid order against the set's rows sorted by rowid: one pass, no lookups.
    std::vector<std::pair<qint64, int>> byId(static_cast<std::size_t>(m_count));
    for (int row = 0; row < m_count; ++row)
        byId[std::size_t(row)] = {m_rowIds[row], row};
    std::sort(byId.begin(), byId.end());
    QStringList columns;
    QList<int> wanted; // positions in names of the known fields
    for (int n = 0; n < names.size(); ++n) {
        if (indexes[n] >= 0) {
            columns << quoteIdent(m_fields[indexes[n]]);
            wanted << n;
        }
    }
    if (wanted.isEmpty())
        return values;
    const QByteArray sql = (QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid")
                                .arg(columns.join(QStringLiteral(", ")), quoteIdent(m_table)))
                               .toUtf8();
    // Short values repeat (styles, bands): one shared string per distinct value saves memory
    // and conversions.
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    constexpr std::size_t kShareUpTo = 64;       // bytes of a value worth sharing
    constexpr std::size_t kDistinctLimit = 4096; // distinct values kept per field
    // Reads on any connection; false when the statement cannot run there.
    const auto lesen = [&](sqlite3* h) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK || !stmt) {
            sqlite3_finalize(stmt);
            return false;
        }
        std::vector<std::unordered_map<std::string, QString, Hash, std::equal_to<>>> shared(std::size_t(wanted.size()));
        std::size_t next = 0;
        while (next < byId.size() && sqlite3_step(stmt) == SQLITE_ROW) {
            const qint64 id = sqlite3_column_int64(stmt, 0);
            while (next < byId.size() && byId[next].first < id)
                ++next; // deleted meanwhile: stays ""
            if (next >= byId.size() || byId[next].first != id)
                continue;
            std::size_t end = next;
            while (end < byId.size() && byId[end].first == id)
                ++end;
            for (int c = 0; c < wanted.size(); ++c) {
                QString v;
                if (sqlite3_column_type(stmt, c + 1) == SQLITE_TEXT) {
                    const std::string_view text(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c + 1)),
                                                std::size_t(sqlite3_column_bytes(stmt, c + 1)));
                    auto& known = shared[std::size_t(c)];
                    auto it = text.size() <= kShareUpTo ? known.find(text) : known.end();
                    if (it != known.end()) {
                        v = it->second;
                    } else {
                        v = QString::fromUtf8(text.data(), qsizetype(text.size()));
                        if (text.size() <= kShareUpTo && known.size() < kDistinctLimit)
                            known.emplace(std::string(text), v);
                    }
                } else {
                    v = asText(columnValue(stmt, c + 1));
                }
                QStringList& column = values[wanted[c]];
                for (std::size_t k = next; k < end; ++k)
                    column[byId[k].second] = v;
            }
            next = end;
        }
        sqlite3_finalize(stmt);
        return true;
    };
    // A large set is read off the window's thread, on the database's kept second connection.
    bool gelesen = false;
    if (m_count >= s_backgroundRows && offThreadPossible(m_db)) {
        const QString path = m_db->path();
        imHintergrund(
            [&](const std::atomic_bool&) {
                m_db->withWorkerConnection(path, [&](Database& own) { gelesen = lesen(own.handle()); });
            },
            Hintergrund{QStringLiteral("Datensätze werden gelesen ..."), false, true});
    }
    if (!gelesen && !lesen(m_db->handle())) {
        // Row by row, then.
        for (int n : std::as_const(wanted))
            for (int row = 0; row < m_count; ++row)
                values[n][row] = value(row, indexes[n]);
    }
    return values;
}

// The rowids a statement returned, asked for every row of a view: a bit per rowid when the
// rowids are dense enough (one look-up per row, whatever the hit count), else sorted.
class Recordset::RowIdSet
{
public:
    void add(qint64 id) { m_ids.push_back(id); }
    void seal()
    {
        if (m_ids.empty())
            return;
        const auto [lo, hi] = std::minmax_element(m_ids.begin(), m_ids.end());
        // Up to 64 M rowids in 8 MB of bits.
        if (*lo >= 0 && *hi < (qint64(1) << 26)) {
            m_bits.assign(std::size_t(*hi) + 1, false);
            for (qint64 id : m_ids)
                m_bits[std::size_t(id)] = true;
            m_ids = {};
        } else {
            std::sort(m_ids.begin(), m_ids.end());
        }
    }
    bool empty() const { return m_ids.empty() && m_bits.empty(); }
    bool contains(qint64 id) const
    {
        if (!m_bits.empty())
            return id >= 0 && std::size_t(id) < m_bits.size() && m_bits[std::size_t(id)];
        return std::binary_search(m_ids.begin(), m_ids.end(), id);
    }

private:
    std::vector<qint64> m_ids;
    std::vector<bool> m_bits;
};

bool Recordset::rowIdsWhere(const QString& condition, const QVariantList& arguments, RowIdSet* ids) const
{
    if (!m_db || !m_simple || m_table.isEmpty())
        return false;
    const bool ok = m_db->query(QStringLiteral("SELECT rowid FROM %1 WHERE %2").arg(quoteIdent(m_table), condition),
                                arguments, [ids](const QVariantList& row) {
                                    ids->add(row.value(0).toLongLong());
                                    return true;
                                });
    ids->seal();
    return ok;
}

std::optional<QList<int>> Recordset::positionsWhere(const QString& condition, const QVariantList& arguments) const
{
    RowIdSet ids;
    if (!rowIdsWhere(condition, arguments, &ids))
        return std::nullopt;
    QList<int> positions;
    for (int row = 0; row < m_count && !ids.empty(); ++row) {
        if (ids.contains(m_rowIds[row]))
            positions << row;
    }
    return positions;
}

std::optional<int> Recordset::firstPositionWhere(const QString& condition, const QVariantList& arguments,
                                                 int ab) const
{
    RowIdSet ids;
    if (!rowIdsWhere(condition, arguments, &ids))
        return std::nullopt;
    for (int row = std::max(0, ab); row < m_count && !ids.empty(); ++row) {
        if (ids.contains(m_rowIds[row]))
            return row;
    }
    return -1;
}

QList<int> Recordset::positionsOfRowIds(const std::vector<qint64>& rowIds, int ab) const
{
    RowIdSet ids;
    for (qint64 id : rowIds)
        ids.add(id);
    ids.seal();
    QList<int> positions;
    for (int row = std::max(0, ab); row < m_count && !ids.empty(); ++row) {
        if (ids.contains(m_rowIds[row]))
            positions << row;
    }
    return positions;
}

int Recordset::firstPositionOfRowIds(const std::vector<qint64>& rowIds, int ab) const
{
    RowIdSet ids;
    for (qint64 id : rowIds)
        ids.add(id);
    ids.seal();
    for (int row = std::max(0, ab); row < m_count && !ids.empty(); ++row) {
        if (ids.contains(m_rowIds[row]))
            return row;
    }
    return -1;
}

bool Recordset::scan(const QString& condition, const QVariantList& arguments, const QStringList& names,
                     int blockRows, const std::function<void(ScanBlock&&)>& handler) const
{
    if (!m_db || !m_simple || m_table.isEmpty() || !m_db->handle())
        return false;
    return scanOn(m_db->handle(), scanSelect(condition, names), arguments, int(names.size()), blockRows, 1, 0, handler);
}

std::optional<std::vector<qint64>> Recordset::scanParallel(const QString& condition, const QVariantList& arguments,
                                                           const QStringList& names, int blockRows,
                                                           const ScanCheck& check) const
{
    if (!m_db || !m_simple || m_table.isEmpty() || !m_db->handle())
        return std::nullopt;
    std::vector<qint64> found;
    const auto inline_ = [&]() -> std::optional<std::vector<qint64>> {
        found.clear();
        const bool ok = scan(condition, arguments, names, blockRows, [&](ScanBlock&& b) {
            found.insert(found.end(), b.hits.begin(), b.hits.end());
            const std::vector<qint64> accepted = check(b);
            found.insert(found.end(), accepted.begin(), accepted.end());
        });
        return ok ? std::optional(found) : std::nullopt;
    };
    // Parts of at least a few hundred rowids, two per core.
    const QVariant lo = m_db->scalar(QStringLiteral("SELECT min(rowid) FROM %1").arg(quoteIdent(m_table)));
    const QVariant hi = m_db->scalar(QStringLiteral("SELECT max(rowid) FROM %1").arg(quoteIdent(m_table)));
    const QString path = m_db->path();
    if (!lo.isValid() || !hi.isValid() || lo.isNull() || hi.isNull() || path.isEmpty())
        return inline_();
    const qint64 first = lo.toLongLong();
    const qint64 span = hi.toLongLong() - first + 1;
    const qint64 parts = std::clamp<qint64>(span / 256, 1, 2 * std::max(1, QThread::idealThreadCount()));
    if (parts <= 1)
        return inline_();
    QList<QPair<qint64, qint64>> ranges;
    for (qint64 p = 0; p < parts; ++p)
        ranges << qMakePair(first + span * p / parts, first + span * (p + 1) / parts - 1);
    // The window's thread goes on meanwhile: the parts use nothing of this set (which the
    // window's thread may change), only their own connections.
    const QString select = scanSelect(condition, names);
    const int n = int(names.size());
    QList<std::optional<std::vector<qint64>>> results;
    imHintergrund([&](const std::atomic_bool&) {
        Lesefaeden faeden;
        results = QtConcurrent::blockingMapped(&faeden, ranges, [&](const QPair<qint64, qint64>& range) -> std::optional<std::vector<qint64>> {
            Database db;
            if (!db.open(path))
                return std::nullopt;
            db.useLittleMemory();
            std::vector<qint64> ids;
            const bool ok = scanOn(db.handle(), select, arguments, n, blockRows, range.first, range.second,
                                   [&](ScanBlock&& b) {
                                       ids.insert(ids.end(), b.hits.begin(), b.hits.end());
                                       const std::vector<qint64> accepted = check(b);
                                       ids.insert(ids.end(), accepted.begin(), accepted.end());
                                   });
            return ok ? std::optional(ids) : std::nullopt;
        });
    }, Hintergrund{QStringLiteral("Suchen ..."), false});
    for (const auto& r : results) {
        if (!r) // a part could not be read (the file locked by another program): on this connection
            return inline_();
        found.insert(found.end(), r->begin(), r->end());
    }
    return found;
}

QString Recordset::scanSelect(const QString& condition, const QStringList& names) const
{
    QStringList columns;
    for (const QString& name : names)
        columns << (fieldIndex(name) >= 0 ? quoteIdent(m_fields[fieldIndex(name)]) : QStringLiteral("NULL"));
    const QString test = condition.trimmed().isEmpty() ? QStringLiteral("0") : QStringLiteral("(%1)").arg(condition);
    return QStringLiteral("SELECT rowid, %1%2 FROM %3")
        .arg(test, columns.isEmpty() ? QString() : QStringLiteral(", ") + columns.join(QStringLiteral(", ")),
             quoteIdent(m_table));
}

bool Recordset::scanOn(sqlite3* h, const QString& select, const QVariantList& arguments, int n, int blockRows,
                       qint64 from, qint64 to, const std::function<void(ScanBlock&&)>& handler)
{
    QString sqlText = select;
    if (from <= to)
        sqlText += QStringLiteral(" WHERE rowid BETWEEN %1 AND %2").arg(from).arg(to);
    const QByteArray sql = sqlText.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK || !stmt) {
        sqlite3_finalize(stmt);
        return false;
    }
    for (int i = 0; i < arguments.size(); ++i) {
        const QByteArray text = arguments[i].toString().toUtf8();
        sqlite3_bind_text(stmt, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    ScanBlock block;
    const auto blockSize = [&block] { return block.hits.size() + block.others.size(); };
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const qint64 id = sqlite3_column_int64(stmt, 0);
        if (sqlite3_column_int(stmt, 1) != 0) {
            block.hits.push_back(id);
        } else {
            // Values are read only for the rows the condition left.
            for (int c = 0; c < n; ++c) {
                const int type = sqlite3_column_type(stmt, c + 2);
                if (type == SQLITE_TEXT || type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                    block.values.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c + 2)),
                                              sqlite3_column_bytes(stmt, c + 2));
                else
                    block.values.emplace_back();
            }
            block.others.push_back(id);
        }
        if (int(blockSize()) >= blockRows) {
            handler(std::move(block));
            block = ScanBlock();
        }
    }
    sqlite3_finalize(stmt);
    if (blockSize() > 0)
        handler(std::move(block));
    return rc == SQLITE_DONE;
}

struct Recordset::RowReader::Snapshot
{
    QString path;
    QString table;
    bool simple = false;
    QVector<qint64> rowIds;      // shared with the set until it changes
    QVector<Row> allRows;        // a set loaded whole (shared likewise)
    QList<int> fields;           // field indexes in the set, -1 for an unknown field
    QStringList columns;         // their quoted names ("NULL" for an unknown field)
    int current = -1;            // the current row, whose edits not yet written ...
    QHash<int, QString> edits;   // ... are these (by place in fields)
};

struct Recordset::RowReader::Connection
{
    static constexpr int kBlock = 256; // rowids bound per statement
    Database db;
    sqlite3_stmt* block = nullptr;  // SELECT rowid, fields .. WHERE rowid IN (?, ? ..)
    sqlite3_stmt* single = nullptr; // .. WHERE rowid = ?
    ~Connection()
    {
        sqlite3_finalize(block);
        sqlite3_finalize(single);
    }
};

Recordset::RowReader::RowReader() = default;
Recordset::RowReader::~RowReader() = default;

Recordset::RowReader::RowReader(const RowReader& other)
    : m_snapshot(other.m_snapshot)
{
}

Recordset::RowReader& Recordset::RowReader::operator=(const RowReader& other)
{
    if (this != &other) {
        m_snapshot = other.m_snapshot;
        m_connection.reset();
    }
    return *this;
}

int Recordset::RowReader::fieldCount() const
{
    return m_snapshot ? int(m_snapshot->fields.size()) : 0;
}

Recordset::RowReader Recordset::rowReader(const QList<int>& fieldIndexes) const
{
    auto s = std::make_shared<RowReader::Snapshot>();
    s->path = m_db ? m_db->path() : QString();
    s->table = m_table;
    s->simple = m_simple;
    s->rowIds = m_rowIds;
    if (!m_simple)
        s->allRows = m_allRows;
    s->fields = fieldIndexes;
    for (int i = 0; i < fieldIndexes.size(); ++i) {
        const int index = fieldIndexes[i];
        const bool known = index >= 0 && index < m_fields.size();
        s->columns << (known ? quoteIdent(m_fields[index]) : QStringLiteral("NULL"));
        const auto edit = known ? m_pending.constFind(index) : m_pending.constEnd();
        if (edit != m_pending.constEnd())
            s->edits.insert(i, asText(edit.value()));
    }
    if (!s->edits.isEmpty())
        s->current = m_pos;
    RowReader reader;
    reader.m_snapshot = std::move(s);
    return reader;
}

bool Recordset::RowReader::read(const QList<int>& rows, qsizetype from, qsizetype to, std::vector<QString>* values,
                                DbError* error)
{
    from = std::max<qsizetype>(from, 0);
    to = std::min(to, rows.size());
    const int fields = fieldCount();
    values->assign(std::size_t(std::max<qsizetype>(to - from, 0)) * std::size_t(fields), QString());
    if (from >= to || fields == 0)
        return true;
    const Snapshot& s = *m_snapshot;
    if (!s.simple) {
        for (qsizetype i = from; i < to; ++i) {
            const int row = rows[i];
            if (row < 0 || row >= s.allRows.size())
                continue;
            for (int f = 0; f < fields; ++f)
                (*values)[std::size_t(i - from) * std::size_t(fields) + std::size_t(f)] =
                    asText(s.allRows[row].values.value(s.fields[f]));
        }
        return true;
    }
    if (!m_connection) {
        auto c = std::make_unique<Connection>();
        if (!c->db.open(s.path, error))
            return false;
        c->db.useLittleMemory();
        m_connection = std::move(c);
    }
    sqlite3* h = m_connection->db.handle();
    // One read transaction per call: the file lock is taken once, and the rows read belong
    // together; between calls another program may write.
    const bool transaction = sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    bool ok = true;
    for (qsizetype first = from; ok && first < to; first += Connection::kBlock)
        ok = readBlock(rows, from, first, std::min(to, first + Connection::kBlock), values, error);
    if (transaction && sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    if (ok && s.current >= 0) {
        for (qsizetype i = from; i < to; ++i) {
            if (rows[i] != s.current)
                continue;
            for (auto e = s.edits.cbegin(); e != s.edits.cend(); ++e)
                (*values)[std::size_t(i - from) * std::size_t(fields) + std::size_t(e.key())] = e.value();
        }
    }
    return ok;
}

bool Recordset::RowReader::readBlock(const QList<int>& rows, qsizetype base, qsizetype from, qsizetype to,
                                     std::vector<QString>* values, DbError* error)
{
    const Snapshot& s = *m_snapshot;
    Connection& c = *m_connection;
    sqlite3* h = c.db.handle();
    const int fields = fieldCount();
    const QString select = QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid ")
                               .arg(s.columns.join(QStringLiteral(", ")), quoteIdent(s.table));
    const auto prepare = [&](sqlite3_stmt** stmt, const QString& condition) {
        if (*stmt)
            return true;
        const QByteArray sql = (select + condition).toUtf8();
        if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), stmt, nullptr) == SQLITE_OK && *stmt)
            return true;
        if (error)
            *error = statementError(h);
        return false;
    };
    QString marks = QStringLiteral("IN (?");
    for (int i = 1; i < Connection::kBlock; ++i)
        marks += QStringLiteral(",?");
    if (!prepare(&c.block, marks + QLatin1Char(')')))
        return false;
    // rowid and the row's place in values, sorted for the lookup of the rows as they come.
    std::vector<std::pair<qint64, qsizetype>> ids;
    ids.reserve(std::size_t(to - from));
    sqlite3_reset(c.block);
    sqlite3_clear_bindings(c.block); // places past the block's rows stay NULL and match nothing
    for (qsizetype i = from; i < to; ++i) {
        const int row = rows[i];
        if (row < 0 || row >= s.rowIds.size())
            continue;
        ids.emplace_back(s.rowIds[row], i - base);
        sqlite3_bind_int64(c.block, int(i - from) + 1, s.rowIds[row]);
    }
    std::sort(ids.begin(), ids.end());
    // The values of the row a statement stands on go to every place its rowid has.
    const auto take = [&](sqlite3_stmt* stmt) {
        const qint64 id = sqlite3_column_int64(stmt, 0);
        for (auto it = std::lower_bound(ids.begin(), ids.end(), std::pair<qint64, qsizetype>(id, -1));
             it != ids.end() && it->first == id; ++it) {
            QString* out = values->data() + std::size_t(it->second) * std::size_t(fields);
            for (int f = 0; f < fields; ++f) {
                const int type = sqlite3_column_type(stmt, f + 1);
                if (type == SQLITE_TEXT || type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                    out[f] = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, f + 1)),
                                               sqlite3_column_bytes(stmt, f + 1));
            }
        }
    };
    int rc;
    while ((rc = sqlite3_step(c.block)) == SQLITE_ROW)
        take(c.block);
    sqlite3_reset(c.block);
    if (rc == SQLITE_DONE)
        return true;
    if (!klang::jet::isBusy(rc)) {
        // A damaged page: the block again row by row, so only the rows on it read empty.
        for (const auto& [id, place] : ids)
            std::fill_n(values->begin() + place * fields, fields, QString());
        if (!prepare(&c.single, QStringLiteral("= ?")))
            return false;
        for (const auto& [id, place] : ids) {
            sqlite3_bind_int64(c.single, 1, id);
            rc = sqlite3_step(c.single);
            if (rc == SQLITE_ROW)
                take(c.single);
            sqlite3_reset(c.single);
            if (klang::jet::isBusy(rc))
                break;
        }
        if (!klang::jet::isBusy(rc))
            return true;
    }
    if (error)
        *error = engineError(h);
    return false;
}

qint64 Recordset::rowId(int row) const
{
    return (row >= 0 && row < m_count) ? m_rowIds[row] : 0;
}

int Recordset::positionOfRowId(qint64 id) const
{
    if (!m_simple)
        return -1;
    const qsizetype i = m_rowIds.indexOf(id);
    return i < 0 ? -1 : int(i);
}

bool Recordset::isRowReadable(int row) const
{
    if (row < 0 || row >= m_count || !m_simple)
        return true;
    // A row that could not be read at all (the file locked) is as unreadable as a damaged one.
    return rowAt(row) && !m_unreadable.contains(m_rowIds[row]);
}

bool Recordset::isBusy() const
{
    return m_busySince != 0;
}

void Recordset::rememberLoadedRow()
{
    m_loadedId = 0;
    m_loaded.clear();
    if (!m_simple || m_pos < 0 || m_pos >= m_count || !isRowReadable(m_pos))
        return;
    if (const Row* r = rowAt(m_pos)) {
        m_loadedId = m_rowIds[m_pos];
        m_loaded = r->values;
    }
}

bool Recordset::setField(const QString& name, const QVariant& value)
{
    const int index = fieldIndex(name);
    if (index < 0 || m_pos < 0 || m_pos >= m_count || !isUpdatable() || !isRowReadable(m_pos))
        return false;
    // An unchanged value is no edit (bound editors hand in every field).
    const Row* r = rowAt(m_pos);
    if (r && index < r->values.size()) {
        const QVariant& old = r->values[index];
        const bool same = value.typeId() == QMetaType::QByteArray
                              ? old.typeId() == QMetaType::QByteArray && old.toByteArray() == value.toByteArray()
                              : asText(old) == value.toString() && (!old.isNull() || value.toString().isEmpty());
        if (same) {
            m_pending.remove(index);
            return true;
        }
    }
    m_pending.insert(index, value);
    return true;
}

namespace {

// Whether two stored values are the same for the user: Null and "" alike.
bool sameValue(const QVariant& a, const QVariant& b)
{
    const bool blobA = a.typeId() == QMetaType::QByteArray;
    const bool blobB = b.typeId() == QMetaType::QByteArray;
    if (blobA || blobB)
        return blobA == blobB ? a.toByteArray() == b.toByteArray()
                              : (a.isNull() || !a.isValid() || b.isNull() || !b.isValid()) && a.toByteArray().isEmpty()
                                    && b.toByteArray().isEmpty();
    return asText(a) == asText(b);
}

// Whether a result column holds `value` as the set reads it (sameValue); a picture is compared
// where the engine holds it, not copied.
bool storedIs(sqlite3_stmt* stmt, int col, const QVariant& value)
{
    if (sqlite3_column_type(stmt, col) != SQLITE_BLOB || value.typeId() != QMetaType::QByteArray)
        return sameValue(columnValue(stmt, col), value);
    const QByteArray bytes = value.toByteArray();
    const void* stored = sqlite3_column_blob(stmt, col);
    const int n = sqlite3_column_bytes(stmt, col);
    return n == bytes.size() && (n == 0 || std::memcmp(stored, bytes.constData(), std::size_t(n)) == 0);
}

} // namespace

bool Recordset::update(DbError* error, bool overwrite)
{
    if (m_pending.isEmpty())
        return true;
    auto fail = [error](const DbError& e) {
        if (error)
            *error = e;
        return false;
    };
    if (!m_db || !isUpdatable() || m_pos < 0 || m_pos >= m_count || !m_db->handle())
        return fail(DbError{errors::kReadOnly, QStringLiteral("Der Datensatz kann nicht geändert werden.")});
    const DbError geloescht{errors::kRecordDeleted,
                            QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Programm gelöscht; "
                                           "die Änderung wurde nicht gespeichert.")};
    const qint64 id = m_rowIds[m_pos];
    QStringList sets;
    QVariantList params;
    for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it) {
        sets << quoteIdent(m_fields[it.key()]) + QStringLiteral(" = ?");
        const QVariant& v = it.value();
        params << (v.typeId() == QMetaType::QByteArray ? v : QVariant(v.toString()));
    }
    params << id;

    // Reading what is stored and writing happen in one transaction: no other program can
    // write in between.
    Transaction transaction(*m_db);
    if (!transaction.isActive())
        return fail(m_db->lastError());
    sqlite3* h = m_db->handle();
    // The table has no key of its own: the rowid may hold another record by now (the table
    // compacted by another tool, the last record deleted and a new one added). So every field
    // the user was shown is read back, and a row that differs in a field not edited here is
    // another record, or this one changed elsewhere: either way it is not written over.
    QStringList columns;
    for (const QString& field : std::as_const(m_fields))
        columns << quoteIdent(field);
    const QByteArray readSql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                   .arg(columns.join(QStringLiteral(", ")), quoteIdent(m_table))
                                   .toUtf8();
    sqlite3_stmt* read = nullptr;
    if (sqlite3_prepare_v2(h, readSql.constData(), int(readSql.size()), &read, nullptr) != SQLITE_OK || !read) {
        sqlite3_finalize(read);
        return fail(statementError(h));
    }
    sqlite3_bind_int64(read, 1, id);
    const int rc = sqlite3_step(read);
    QStringList changedElsewhere;
    bool otherRecord = false;
    if (rc == SQLITE_ROW && m_loadedId == id) {
        for (int c = 0; c < m_fields.size(); ++c) {
            if (storedIs(read, c, m_loaded.value(c)))
                continue;
            const auto edit = m_pending.constFind(c);
            if (edit == m_pending.constEnd())
                otherRecord = true;
            else if (!overwrite && !storedIs(read, c, edit.value()))
                changedElsewhere << m_fields[c];
        }
    }
    sqlite3_finalize(read);
    if (rc == SQLITE_DONE)
        return fail(geloescht);
    if (rc != SQLITE_ROW)
        return fail(engineError(h));
    if (otherRecord)
        return fail(DbError{errors::kRecordDeleted,
                            QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Programm gelöscht oder "
                                           "verändert; die Änderung wurde nicht gespeichert.")});
    if (!changedElsewhere.isEmpty())
        return fail(DbError{errors::kConflict,
                            QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Programm geändert "
                                           "(%1: %2).")
                                .arg(changedElsewhere.size() == 1 ? QStringLiteral("Feld") : QStringLiteral("Felder"),
                                     changedElsewhere.join(QStringLiteral(", ")))});
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                            .arg(quoteIdent(m_table), sets.join(QStringLiteral(", ")));
    DbError e;
    const int changed = m_db->executeBound(sql, params, &e);
    if (changed < 0)
        return fail(e);
    if (changed == 0)
        return fail(geloescht);
    if (!transaction.commit(&e))
        return fail(e);
    m_pending.clear();
    return true;
}

} // namespace klang::jet
