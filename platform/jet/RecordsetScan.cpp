// The record set's scans and positions: the rows a condition finds and their places in the view.

#include "platform/jet/Recordset.h"

#include "platform/background/Hintergrund.h"
#include "platform/jet/RecordsetIntern.h"

#include <QVarLengthArray>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>

namespace klang::jet {

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
    return scanInParts(condition, arguments, names, blockRows, check, nullptr);
}

std::optional<std::vector<qint64>> Recordset::scanParallel(const QString& condition, const QVariantList& arguments,
                                                           const QStringList& names, const RowCheck& check) const
{
    // Accepted rows come as hits; a block holds nothing else.
    return scanInParts(condition, arguments, names, 4096, [](const ScanBlock&) { return std::vector<qint64>(); },
                       &check);
}

std::optional<std::vector<qint64>> Recordset::scanInParts(const QString& condition, const QVariantList& arguments,
                                                          const QStringList& names, int blockRows,
                                                          const ScanCheck& check, const RowCheck* rowCheck) const
{
    if (!m_db || !m_simple || m_table.isEmpty() || !m_db->handle())
        return std::nullopt;
    std::vector<qint64> found;
    const auto inline_ = [&]() -> std::optional<std::vector<qint64>> {
        found.clear();
        const bool ok = scanOn(m_db->handle(), scanSelect(condition, names), arguments, int(names.size()), blockRows, 1,
                               0, [&](ScanBlock&& b) {
                                   found.insert(found.end(), b.hits.begin(), b.hits.end());
                                   const std::vector<qint64> accepted = check(b);
                                   found.insert(found.end(), accepted.begin(), accepted.end());
                               }, rowCheck);
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
            hinterDemFenster();
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
                                   }, rowCheck);
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
                       qint64 from, qint64 to, const std::function<void(ScanBlock&&)>& handler,
                       const RowCheck* rowCheck)
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
        } else if (rowCheck) {
            QVarLengthArray<QByteArrayView, 8> views(n);
            for (int c = 0; c < n; ++c) {
                const int type = sqlite3_column_type(stmt, c + 2);
                views[c] = (type == SQLITE_TEXT || type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                               ? QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c + 2)),
                                                sqlite3_column_bytes(stmt, c + 2))
                               : QByteArrayView(); // NULL or binary: nothing to read
            }
            if ((*rowCheck)(views.constData()))
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
} // namespace klang::jet
