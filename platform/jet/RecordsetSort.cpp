// A view's rowids sorted into row order in memory, over bounded keys of its text columns.

#include "platform/jet/RecordsetIntern.h"

#include "platform/background/Hintergrund.h"
#include "platform/jet/ViewSort.h"

#include <QHashFunctions>
#include <QRegularExpression>
#include <QtConcurrent/QtConcurrentMap>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klang::jet {

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

namespace {

// Sorting in memory over bounded keys: how much key data a view may build, and how much of
// it the windows beyond the shared start are planned to take. A million records sort here
// too (with narrower windows; rows their windows cannot tell apart are compared whole), not
// by the engine calling the collation for every pair.
constexpr std::size_t kMaxSortKeyBytes = 96u * 1024u * 1024u;
constexpr std::size_t kPlannedWindowBytes = 32u * 1024u * 1024u;
constexpr std::size_t kMinWindow = 24;
std::size_t sortWindow(qint64 rows, int columns)
{
    if (rows <= 0)
        return ViewSorter::kDefaultWindow;
    const std::size_t perValue = kPlannedWindowBytes / (std::size_t(rows) * std::size_t(std::max(1, columns)));
    return std::clamp(perValue, kMinWindow, ViewSorter::kDefaultWindow);
}
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
    // Each bound in a query of its own: SQLite finds a lone min() or max() of the rowid in one
    // step, both in one query only by reading the whole table (a second of a million records).
    const QByteArray sql = QStringLiteral("SELECT (SELECT min(rowid) FROM %1), (SELECT max(rowid) FROM %1)")
                               .arg(quoteIdent(table))
                               .toUtf8();
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
    // Each part fills its own slot: a million values are not copied into a list of results.
    struct Slot
    {
        QPair<qint64, qint64> range;
        std::optional<R> result;
    };
    std::vector<Slot> pieces;
    for (const auto& range : std::as_const(ranges))
        pieces.push_back(Slot{range, std::nullopt});
    Lesefaeden faeden;
    QtConcurrent::blockingMap(&faeden, pieces, [&](Slot& slot) {
        hinterDemFenster();
        Database db;
        if (!db.open(path))
            return;
        db.useLittleMemory();
        slot.result = work(db.handle(), slot.range.first, slot.range.second);
    });
    QList<R> out;
    out.reserve(qsizetype(pieces.size()));
    for (Slot& slot : pieces) {
        if (!slot.result)
            return std::nullopt;
        out.append(std::move(*slot.result));
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
    // Room for this many groups without growing on the way.
    void reserve(std::size_t groups)
    {
        std::size_t size = 1024;
        while (size < 2 * (groups + 1))
            size *= 2;
        if (size > m_slots.size() && m_count == 0)
            m_slots.assign(size, Slot());
    }

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
// Rows of a whole table whose plain texts are still read in parts (a few hundred bytes each).
constexpr qint64 kPlainTextPartRows = 300000;

} // namespace

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
    // Reading a large table costs more than the sort: it is read (and filtered) in parts on
    // all cores, in rowid order as one statement would read it. Not a whole large table sorted
    // by the plain text of a rich text: song lists of several hundred thousand records outgrow
    // what the parts may hold, and all they read would be thrown away for the one statement.
    const bool plainTextTerm = std::any_of(terms.cbegin(), terms.cend(), [](const SortTerm& t) { return t.plainText; });
    std::optional<QList<SortPart>> parts;
    if (!where.isEmpty() || !plainTextTerm || rows <= kPlainTextPartRows) {
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
        // Too much or not text: one statement on this connection. (Looked at in place: the
        // parts hold every value read.)
        if (parts && std::any_of(parts->cbegin(), parts->cend(), [](const SortPart& part) { return !part.fits; }))
            parts.reset();
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
        std::size_t total = 0;
        for (const SortPart& part : std::as_const(*parts))
            total += part.ids.size();
        groups.reserve(total);
        memberIds.reserve(total);
        groupOf.reserve(total);
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
#if defined(__GLIBC__)
    // The parts' threads leave what they read in arenas of their own, freed but kept by the
    // allocator: given back, a million records' values do not stay resident after the sort.
    if (inPartsRead && rows >= 100000)
        malloc_trim(0);
#endif
    return true;
}

} // namespace klang::jet
