#pragma once

// The rows of a record source: a bare table name or a Jet select. A simple source
// ("select * from T [where ..] [order by ..]") loads only its rowids at once, so the record
// count is exact at once and 100,000 rows cost under a megabyte; row values are fetched when
// asked for and kept in a small cache. Other selects are loaded whole.
//
// Positioning follows the record set the programs were written for: AbsolutePosition is
// 0-based; MoveNext past the last row gives EOF, MovePrevious before the first BOF; an empty
// set is BOF and EOF at once. Fields are found by name (case-insensitive), never by position;
// NULL reads as "".

#include "platform/jet/Database.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace klang::jet {

class Recordset
{
    struct Row
    {
        QVector<QVariant> values;
    };

public:
    Recordset() = default;
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs the record source on db (which must outlive the record set). An empty source gives
    // an empty set and no error. On error the set is empty and false is returned. Only a
    // read-only select (or a bare table name) is run: anything else is refused unrun
    // (errors::kNotAQuery).
    // With pruefung, a check of the file (its German finding, "" when sound) runs beside the
    // loading (off the window's thread with a large view): on a finding the set is empty and
    // open fails with it, nothing of the file's rows having been taken.
    // A new view of the database the set shows already, loaded off the window's thread, can be
    // given up with Esc: open then fails with errors::kCancelled and the set stays as it was.
    bool open(Database* db, const QString& recordSource, DbError* error = nullptr,
              const std::function<QString()>& pruefung = {});
    void clear();
    bool isOpen() const { return m_db != nullptr; }
    QString recordSource() const { return m_source; }

    // Field names as the select returns them (no rowid).
    QStringList fieldNames() const { return m_fields; }
    int fieldIndex(const QString& name) const; // -1 when unknown; case-insensitive

    int recordCount() const { return int(m_rowIds.size()); }
    bool bof() const { return m_count == 0 || m_pos < 0; }
    bool eof() const { return m_count == 0 || m_pos >= m_count; }
    // 0-based position of the current row, -1 at BOF/EOF or when empty.
    int absolutePosition() const { return (m_pos >= 0 && m_pos < m_count) ? m_pos : -1; }
    // Makes row `pos` current; false (nothing changed) when out of range.
    bool setAbsolutePosition(int pos);
    // Moves drop edits not yet written with update() (the data control writes them first).
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    // The current row's value of a field ("" for NULL, BOF/EOF or an unknown field).
    QString field(const QString& name) const;
    // Binary value (the stored picture); empty when NULL.
    QByteArray fieldData(const QString& name) const;
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }

    // Any row, by 0-based position (for item views). Cached; cheap for rows near each other.
    QString value(int row, const QString& name) const;
    QString value(int row, int fieldIndex) const;
    QByteArray data(int row, int fieldIndex) const;
    // The stored values of one field for every row, in the set's order ("" for NULL, for a
    // binary value or an unknown field; edits not yet written are not included). Read with
    // one statement, for code that looks at a field of every record (the player's exclusion
    // checks): much faster than value() row by row, which reads whole rows.
    QStringList columnValues(const QString& name) const;
    // Several fields in one pass (one list per name, in the order of names).
    QList<QStringList> columnValues(const QStringList& names) const;
    // Positions (ascending) of this set's rows whose record meets a condition on the set's
    // table, in SQLite syntax with ? bound to `arguments`: one statement the engine runs over
    // the table. std::nullopt when the set is not a view of one table, or the statement fails.
    std::optional<QList<int>> positionsWhere(const QString& condition, const QVariantList& arguments) const;
    // The first position from `ab` on of such a row, -1 when there is none (the letter jump
    // and the searches: one statement, then the set's order, never row by row).
    std::optional<int> firstPositionWhere(const QString& condition, const QVariantList& arguments, int ab = 0) const;
    // One pass over the set's table in rowid order for searches that check more than SQL can
    // (the plain text of rich text): per row whether it meets `condition` (SQLite syntax, ?
    // bound to `arguments`) and, only when it does not, the values of `names` as stored
    // (UTF-8; empty for NULL or binary). Handed on in blocks of up to `blockRows` rows,
    // nothing kept, so memory stays bounded for any size; the values are left undecoded so
    // the caller can decode them on other threads. False when the set is not a view of one
    // table or the statement fails.
    struct ScanBlock
    {
        std::vector<qint64> hits;      // rows that met the condition
        std::vector<qint64> others;    // the other rows ...
        std::vector<QByteArray> values; // ... and their values, names.size() per row
        QString text(std::size_t row, int name, int names) const
        {
            return QString::fromUtf8(values[row * std::size_t(names) + std::size_t(name)]);
        }
    };
    bool scan(const QString& condition, const QVariantList& arguments, const QStringList& names, int blockRows,
              const std::function<void(ScanBlock&&)>& handler) const;
    // The same over parts of the table at once, each part on a connection of its own on
    // another thread (a large table is read by all cores, and the window's thread only
    // waits): `check` runs on those threads for every block and returns the rowids it
    // accepts among the block's other rows. The rowids that met the condition or were
    // accepted, in no order; std::nullopt as for scan().
    using ScanCheck = std::function<std::vector<qint64>(const ScanBlock&)>;
    std::optional<std::vector<qint64>> scanParallel(const QString& condition, const QVariantList& arguments,
                                                    const QStringList& names, int blockRows,
                                                    const ScanCheck& check) const;
    // The same with a check of each row as it is read, on the engine's own bytes of the
    // values (valid during the call only): nothing is copied for a row, which counts for a
    // million rows of song lists.
    using RowCheck = std::function<bool(const QByteArrayView* values)>;
    std::optional<std::vector<qint64>> scanParallel(const QString& condition, const QVariantList& arguments,
                                                    const QStringList& names, const RowCheck& check) const;
    // The stored values of some fields for any of the set's rows, read on other threads while
    // the set's own thread goes on (a copy of many rows). Made on the set's thread, it holds all
    // it needs: the file and the rowids of the set's rows (or the rows of a set loaded whole)
    // and the current row's edits not yet written. It reads on a connection of its own, one
    // statement per call, never through the set's cache. The values are those the grid's edit
    // role gives: field() for the current row, value() for the others ("" for NULL, a binary
    // value, an unknown field or a row deleted meanwhile). One reader serves one thread at a
    // time; a copy of it shares what it holds but opens a connection of its own.
    class RowReader
    {
    public:
        RowReader();
        RowReader(const RowReader& other);
        RowReader& operator=(const RowReader& other);
        ~RowReader();
        int fieldCount() const;
        // The values of rows[from..to) (positions in the set, in any order), row by row,
        // fieldCount() per row, into *values. False (with error) when the file cannot be read,
        // for example while another program holds it locked; a row a damaged page keeps from
        // being read reads as empty.
        bool read(const QList<int>& rows, qsizetype from, qsizetype to, std::vector<QString>* values,
                  DbError* error = nullptr);

    private:
        friend class Recordset;
        struct Snapshot;
        struct Connection;
        bool readBlock(const QList<int>& rows, qsizetype base, qsizetype from, qsizetype to,
                       std::vector<QString>* values, DbError* error);
        std::shared_ptr<const Snapshot> m_snapshot;
        std::unique_ptr<Connection> m_connection;
    };
    // A reader of the given fields (indexes as fieldIndex() gives them).
    RowReader rowReader(const QList<int>& fieldIndexes) const;

    // Positions (ascending, from `ab` on) of the rows of this set among the rowids.
    QList<int> positionsOfRowIds(const std::vector<qint64>& rowIds, int ab = 0) const;
    // The first of them, -1 when none.
    int firstPositionOfRowIds(const std::vector<qint64>& rowIds, int ab = 0) const;
    // rowid of a row (0 when unknown or when the source has no rowid).
    qint64 rowId(int row) const;
    // Those of all rows in the set's order (shared, not copied).
    QVector<qint64> rowIds() const { return m_rowIds; }
    qint64 currentRowId() const { return rowId(m_pos); }
    // Position of a rowid in this set, -1 when absent.
    int positionOfRowId(qint64 rowId) const;

    // Editing the current row: set values, then update() writes them with one bound
    // "UPDATE <table> SET .. WHERE rowid = ?". cancelUpdate() drops them. A record set whose
    // rows have no rowid (complex select) is read-only.
    bool isUpdatable() const { return m_simple && !m_table.isEmpty(); }
    // False for a row whose values could not be read (a damaged page): it shows empty and
    // takes no edit, so nothing read wrongly is ever written back.
    bool isRowReadable(int row) const;
    bool isCurrentRowReadable() const { return isRowReadable(m_pos); }
    // The first read error since the set was opened (number 0 when none).
    DbError readError() const { return m_readError; }
    bool setField(const QString& name, const QVariant& value);
    bool isDirty() const { return !m_pending.isEmpty(); }
    // Writes the pending edits of the current row in one transaction. Before writing it reads the
    // row back: an edited field another program changed since rememberLoadedRow() (to another
    // value than this edit's) is errors::kConflict (nothing written, edits stay) unless overwrite
    // is set; a record gone, or differing in a field not edited, is errors::kRecordDeleted.
    bool update(DbError* error = nullptr, bool overwrite = false);
    void cancelUpdate() { m_pending.clear(); }
    // Notes the stored values of the current row as the user is shown them (the data control
    // does this whenever a row becomes current or has been written).
    void rememberLoadedRow();
    // True while another program holds the catalogue locked: rows that could not be read for
    // that are neither cached nor marked unreadable, and are read again after a short pause
    // instead of waiting row by row.
    bool isBusy() const;

    // Drops the value cache (rows changed behind the set's back).
    void invalidateCache() const;

    // Views of tables with at least this many rowids load off the window's thread.
    static void setBackgroundRows(int rows) { s_backgroundRows = rows; }
    // Whether work on db's file can run off the window's thread now (on its kept connection).
    static bool offThreadPossible(Database* db);

    // Starts loading a large view of the file at `path` on another thread at once, before
    // anything asks for it (a program builds its window meanwhile), with `check` beside it.
    // The next open() of this source on a database of that file takes these rows, and the
    // check's finding in place of its own check, if no one has written to the file since;
    // any other open() drops them. Small tables, views of views and sources that are no
    // plain reading select are left to open(). The check stops early when told to.
    using Check = std::function<QString(const std::atomic_bool& stop)>;
    static void preload(const QString& path, const QString& recordSource, const Check& check = {});

private:
    // Which rows of the set's table meet a condition, asked by rowid (one statement).
    class RowIdSet;
    bool rowIdsWhere(const QString& condition, const QVariantList& arguments, RowIdSet* ids) const;
    // The scan's statement over the whole table (scanOn adds the rowid range).
    QString scanSelect(const QString& condition, const QStringList& names) const;
    // scan() on any connection to the set's table, over rowids from..to (all when from > to),
    // n values per row.
    static bool scanOn(sqlite3* h, const QString& select, const QVariantList& arguments, int n, int blockRows,
                       qint64 from, qint64 to, const std::function<void(ScanBlock&&)>& handler,
                       const RowCheck* rowCheck = nullptr);
    std::optional<std::vector<qint64>> scanInParts(const QString& condition, const QVariantList& arguments,
                                                   const QStringList& names, int blockRows, const ScanCheck& check,
                                                   const RowCheck* rowCheck) const;

    // What opening a source reads, before it becomes the set's.
    struct Loaded
    {
        QString table;
        bool simple = false;
        QStringList fields;
        QVector<qint64> rowIds;
        QVector<Row> allRows;
    };
    // Gives up (errors::kCancelled) when stop is set.
    static bool load(Database* db, const QString& recordSource, Loaded* out, DbError* error,
                     const std::atomic_bool* stop = nullptr);
    static int s_backgroundRows;
    struct Preloaded;
    // The pending preload when it was made for this file and source (dropped otherwise).
    static std::unique_ptr<Preloaded> takePreloaded(const QString& path, const QString& recordSource);
    const Row* rowAt(int row) const;

    Database* m_db = nullptr;
    QString m_source;
    QString m_table;
    bool m_simple = false;
    QStringList m_fields;
    QHash<QString, int> m_fieldIndex; // lower-case name -> index
    QVector<qint64> m_rowIds;
    QVector<Row> m_allRows; // complex sources only
    int m_count = 0;
    int m_pos = -1;
    QHash<int, QVariant> m_pending; // field index -> new value

    mutable QHash<qint64, Row> m_cache;
    mutable quint64 m_cacheStamp = 0;
    mutable sqlite3_stmt* m_fetch = nullptr; // SELECT * .. WHERE rowid = ?
    mutable bool m_fetchFailed = false;
    mutable int m_lastRow = -2; // last row fetched from the database
    mutable QSet<qint64> m_unreadable; // rowids whose read failed
    mutable DbError m_readError;
    mutable qint64 m_busySince = 0; // ms since epoch of the last read refused by a lock; 0 none
    qint64 m_loadedId = 0;          // rowid whose values m_loaded holds
    QVector<QVariant> m_loaded;
};

} // namespace klang::jet
