// The record set: its cursor, the values of its rows as they are read, and its edits.

#include "platform/jet/Recordset.h"

#include "platform/background/Hintergrund.h"
#include "platform/jet/RecordsetIntern.h"

#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace klang::jet {

namespace {

// Rows fetched together when a row is missing from the cache, and the cache's size cap.
constexpr int kFetchBlock = 48;
constexpr int kCacheLimit = 4096;
// After a read refused by another program's lock, rows are not asked for again this long.
constexpr qint64 kBusyPauseMs = 1000;

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
