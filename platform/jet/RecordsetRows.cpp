// The record set's row readers: blocks of its rows read on a connection of their own.

#include "platform/jet/Recordset.h"

#include "platform/jet/RecordsetIntern.h"

#include <algorithm>

namespace klang::jet {

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
} // namespace klang::jet
