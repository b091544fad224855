#pragma once

// The data control (Data1 of the main window, the database manager's Data1): a database file
// name and a record source; refresh opens the file if needed, runs the source and makes the
// first row current. Every change of the current row emits Reposition(); before the row
// changes (move, refresh, new source or file, close) it emits Validate() so bound editors can
// hand in their edits with setField(), and writes pending edits with a bound UPDATE. When
// that write fails the row is not left: the move, refresh or new file is refused, so the
// editors still hold what the user typed (updateFailed says why, once per attempt).
//
// An empty DatabaseName or RecordSource gives no rows and no error.

#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"

#include <QObject>
#include <QString>

namespace klang::jet {

// What to do when another program changed a field that the edit of the current row changes.
enum class ConflictChoice {
    Keep,      // write nothing; the edit stays pending in the editors (the row is not left)
    Overwrite, // write the edit over the other program's change
    Reload,    // drop the edit and show the row as it is stored now
};

class DataControl : public QObject
{
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    // Setting a new file name closes the old database (after writing pending edits); the new
    // one is opened by the next refresh(). False (nothing changed) when an edit of the current
    // row cannot be written.
    bool setDatabaseName(const QString& path);
    QString databaseName() const { return m_databaseName; }
    // The source takes effect with the next refresh().
    void setRecordSource(const QString& source);
    QString recordSource() const { return m_recordSource; }

    // Opens the database when needed, runs the record source and makes the first row current
    // (Reposition follows, also for an empty set). False with the error on failure: the set
    // is then empty (the database stays open when it could be opened). When an edit of the
    // current row cannot be written, nothing is reloaded and the write's error is returned.
    // With pruefung, the file's check runs beside the loading (Recordset::open): on a finding
    // the set is empty and the finding is the error. When the user gives a long load of a new
    // view up (Esc), false with no error: the rows, the current row and the source stay those
    // shown before.
    bool refresh(DbError* error = nullptr, const std::function<QString()>& pruefung = {});
    // Writes pending edits, closes the record set and the database.
    void close();
    // Hands the bound editors' edits in (Validate) and writes them; false when that failed.
    // The current row stays either way.
    bool leaveRow();

    Database& database() { return m_db; }
    const Database& database() const { return m_db; }
    Recordset& recordset() { return m_rs; }
    const Recordset& recordset() const { return m_rs; }
    DbError lastError() const { return m_lastError; }

    // Short cuts on the record set that also emit the signals.
    int recordCount() const { return m_rs.recordCount(); }
    int absolutePosition() const { return m_rs.absolutePosition(); }
    bool setAbsolutePosition(int pos);
    void moveFirst();
    void moveLast();
    void moveNext();     // stays on the last row (no EOF through the control)
    void movePrevious(); // stays on the first row
    QString field(const QString& name) const { return m_rs.field(name); }
    // Edit of the current row (written before the row changes, or by updateRecord()).
    bool setField(const QString& name, const QVariant& value) { return m_rs.setField(name, value); }
    bool updateRecord(DbError* error = nullptr);

signals:
    // The current row changed (or the set was reloaded).
    void Reposition();
    // The current row is about to be left: bound editors call setField() now.
    void Validate();
    // A pending edit could not be written.
    void updateFailed(const klang::jet::DbError& error);
    // Another program changed a field of the current row that the pending edit changes too,
    // since the row was shown. A receiver (direct connection) sets the choice; without one
    // the edit is kept unwritten and updateFailed follows.
    void updateConflict(const klang::jet::DbError& error, klang::jet::ConflictChoice* choice);
    // The current row was read again as it is stored (the edit was dropped after a conflict):
    // bound editors show it anew.
    void rowReloaded();
    // The record set was reloaded (new rows; item views reset).
    void recordsetReloaded();
    // Row `row` (0-based position) was written back by an update.
    void recordUpdated(int row);

private:
    void moved(int oldPos);
    void reposition();

    QString m_databaseName;
    QString m_recordSource;
    Database m_db;
    Recordset m_rs;
    DbError m_lastError;
};

} // namespace klang::jet
