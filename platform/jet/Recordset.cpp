#include "platform/jet/Recordset.h"

#include "platform/jet/JetCollation.h"
#include "platform/jet/JetSql.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <sqlite3.h>

namespace klang::jet {

namespace {

// Rows fetched together when a row is missing from the cache, and the cache's size cap.
constexpr int kFetchBlock = 48;
constexpr int kCacheLimit = 4096;

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
};

// "Band COLLATE JET, LPTitel COLLATE JET DESC" -> terms; false for anything else.
bool parseOrderTerms(const QString& orderBy, QList<SortTerm>* terms)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(?:\"([^\"]+)\"|(\\w+))\\s+COLLATE\\s+JET(?:\\s+(ASC|DESC))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QStringList parts = orderBy.split(QLatin1Char(','));
    for (const QString& part : parts) {
        const QRegularExpressionMatch m = re.match(part);
        if (!m.hasMatch())
            return false;
        SortTerm term;
        term.column = m.capturedLength(1) > 0 ? m.captured(1) : m.captured(2);
        term.descending = m.captured(3).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
        terms->append(term);
    }
    return !terms->isEmpty();
}

// Sorting in memory over precomputed keys: how much key data a view may build.
constexpr std::size_t kMaxSortKeyBytes = 16u * 1024u * 1024u;

// The rowids of a view ordered by text columns, sorted here over sort keys (much faster than
// the engine calling the collation for every pair). False when the view does not fit (non-text
// values, too much key data, an error): the engine then sorts.
bool sortedRowIds(sqlite3* h, const QString& table, const QString& where, const QList<SortTerm>& terms,
                  QVector<qint64>* rowIds)
{
    QStringList cols;
    for (const SortTerm& t : terms)
        cols << quoteIdent(t.column);
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(cols.join(QStringLiteral(", ")), quoteIdent(table));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(h, utf8.constData(), int(utf8.size()), &stmt, nullptr) != SQLITE_OK || !stmt) {
        sqlite3_finalize(stmt);
        return false;
    }
    constexpr quint32 kNull = 0xFFFFFFFFu;
    const int nTerms = int(terms.size());
    std::vector<qint64> ids;
    std::vector<std::pair<quint32, quint32>> spans; // offset, length (kNull for NULL)
    std::string arena;
    int rc;
    bool fits = true;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ids.push_back(sqlite3_column_int64(stmt, 0));
        for (int t = 0; t < nTerms; ++t) {
            const int type = sqlite3_column_type(stmt, t + 1);
            if (type == SQLITE_NULL) {
                spans.emplace_back(0, kNull);
                continue;
            }
            if (type != SQLITE_TEXT) {
                fits = false;
                break;
            }
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, t + 1));
            const std::size_t offset = arena.size();
            appendSortKey(arena, std::string_view(text, std::size_t(sqlite3_column_bytes(stmt, t + 1))));
            spans.emplace_back(quint32(offset), quint32(arena.size() - offset));
        }
        if (!fits || arena.size() > kMaxSortKeyBytes) {
            fits = false;
            break;
        }
    }
    sqlite3_finalize(stmt);
    if (!fits || rc != SQLITE_DONE)
        return false;

    std::vector<int> order(ids.size());
    std::iota(order.begin(), order.end(), 0);
    const char* base = arena.data();
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (int t = 0; t < nTerms; ++t) {
            const auto& ka = spans[std::size_t(a) * nTerms + t];
            const auto& kb = spans[std::size_t(b) * nTerms + t];
            int c;
            if (ka.second == kNull || kb.second == kNull) {
                c = (ka.second == kNull) == (kb.second == kNull) ? 0 : (ka.second == kNull ? -1 : 1);
            } else {
                c = std::memcmp(base + ka.first, base + kb.first, std::min(ka.second, kb.second));
                if (c == 0)
                    c = ka.second == kb.second ? 0 : (ka.second < kb.second ? -1 : 1);
            }
            if (c != 0)
                return terms[t].descending ? c > 0 : c < 0;
        }
        return false;
    });
    rowIds->clear();
    rowIds->reserve(qsizetype(order.size()));
    for (int i : order)
        rowIds->push_back(ids[std::size_t(i)]);
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
}

bool Recordset::open(Database* db, const QString& recordSource, DbError* error)
{
    clear();
    if (recordSource.trimmed().isEmpty())
        return true; // no source: no rows, no error
    if (!db || !db->isOpen()) {
        if (error)
            *error = DbError{errors::kNotOpen, QStringLiteral("Es ist keine Datenbank geöffnet.")};
        return false;
    }
    m_db = db;
    m_source = recordSource;
    sqlite3* h = db->handle();

    const SimpleSource simple = analyseRecordSource(recordSource);
    QList<SortTerm> terms;
    if (simple.ok && !simple.orderBy.isEmpty() && db->tableExists(simple.table)
        && parseOrderTerms(simple.orderBy, &terms)) {
        const QStringList columns = db->columns(simple.table);
        bool known = true;
        for (const SortTerm& t : terms)
            known = known && columns.contains(t.column, Qt::CaseInsensitive);
        if (known && sortedRowIds(h, simple.table, simple.where, terms, &m_rowIds)) {
            m_simple = true;
            m_table = simple.table;
            m_fields = columns;
        } else {
            m_rowIds.clear();
        }
    }
    if (!m_simple && simple.ok && db->tableExists(simple.table)) {
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
                m_rowIds.push_back(sqlite3_column_int64(stmt, 0));
            sqlite3_finalize(stmt);
            if (rc != SQLITE_DONE) {
                const DbError e{errors::kGeneral, QString::fromUtf8(sqlite3_errmsg(h))};
                clear();
                if (error)
                    *error = e;
                return false;
            }
            m_simple = true;
            m_table = simple.table;
            m_fields = db->columns(simple.table);
        } else {
            sqlite3_finalize(stmt);
            // Fall through to loading the whole result; it reports the error if there is one.
        }
    }

    if (!m_simple) {
        const QByteArray sql = translateRecordSource(recordSource).toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK || !stmt) {
            const DbError e{errors::kSyntax,
                            QStringLiteral("Fehler in der SQL-Anweisung: %1").arg(QString::fromUtf8(sqlite3_errmsg(h)))};
            sqlite3_finalize(stmt);
            clear();
            if (error)
                *error = e;
            return false;
        }
        const int columns = sqlite3_column_count(stmt);
        for (int c = 0; c < columns; ++c)
            m_fields << QString::fromUtf8(sqlite3_column_name(stmt, c));
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            Row row;
            row.values.reserve(columns);
            for (int c = 0; c < columns; ++c)
                row.values << columnValue(stmt, c);
            m_allRows.push_back(std::move(row));
            m_rowIds.push_back(0);
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) {
            const DbError e{errors::kGeneral, QString::fromUtf8(sqlite3_errmsg(h))};
            clear();
            if (error)
                *error = e;
            return false;
        }
    }
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
    for (int r = row; r < end; ++r) {
        const qint64 rid = m_rowIds[r];
        if (r != row && m_cache.contains(rid))
            continue;
        sqlite3_reset(m_fetch);
        sqlite3_bind_int64(m_fetch, 1, rid);
        Row fetched;
        if (sqlite3_step(m_fetch) == SQLITE_ROW) {
            fetched.values.reserve(columns);
            for (int c = 0; c < columns; ++c)
                fetched.values << columnValue(m_fetch, c);
        } else {
            fetched.values.resize(columns); // deleted meanwhile: a row of Nulls
        }
        m_cache.insert(rid, std::move(fetched));
    }
    sqlite3_reset(m_fetch);
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

bool Recordset::setField(const QString& name, const QVariant& value)
{
    const int index = fieldIndex(name);
    if (index < 0 || m_pos < 0 || m_pos >= m_count || !isUpdatable())
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

bool Recordset::update(DbError* error)
{
    if (m_pending.isEmpty())
        return true;
    if (!m_db || !isUpdatable() || m_pos < 0 || m_pos >= m_count) {
        if (error)
            *error = DbError{errors::kReadOnly, QStringLiteral("Der Datensatz kann nicht geändert werden.")};
        return false;
    }
    QStringList sets;
    QVariantList params;
    for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it) {
        sets << quoteIdent(m_fields[it.key()]) + QStringLiteral(" = ?");
        const QVariant& v = it.value();
        params << (v.typeId() == QMetaType::QByteArray ? v : QVariant(v.toString()));
    }
    params << m_rowIds[m_pos];
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                            .arg(quoteIdent(m_table), sets.join(QStringLiteral(", ")));
    if (m_db->executeBound(sql, params, error) < 0)
        return false;
    m_pending.clear();
    return true;
}

} // namespace klang::jet
