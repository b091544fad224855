#include "platform/jet/DataControl.h"

namespace klang::jet {

DataControl::DataControl(QObject* parent) : QObject(parent) {}

DataControl::~DataControl()
{
    // Edits in bound fields are not lost when the program ends.
    if (m_rs.isDirty())
        m_rs.update();
    m_rs.clear();
    m_db.close();
}

bool DataControl::setDatabaseName(const QString& path)
{
    if (!leaveRow())
        return false;
    m_rs.clear();
    m_db.close();
    m_databaseName = path;
    return true;
}

void DataControl::setRecordSource(const QString& source)
{
    m_recordSource = source;
}

bool DataControl::refresh(DbError* error, const std::function<QString()>& pruefung)
{
    if (!leaveRow()) {
        if (error)
            *error = m_lastError;
        return false;
    }
    // The rows shown stay until the new ones are all there (a large view loads off the
    // window's thread, and the window is painted meanwhile).
    m_lastError = {};
    bool ok = true;
    if (m_databaseName.isEmpty()) {
        m_rs.clear();
    } else if (!m_db.isOpen() && !m_db.open(m_databaseName, &m_lastError)) {
        m_rs.clear();
        ok = false;
    } else if (!m_rs.open(&m_db, m_recordSource, &m_lastError, pruefung)) {
        if (m_lastError.number == errors::kCancelled) {
            // The user gave the new view up: the one shown stays, with its source and row.
            m_recordSource = m_rs.recordSource();
            m_lastError = {};
            if (error)
                *error = {};
            return false;
        }
        ok = false;
    }
    if (!ok && error)
        *error = m_lastError;
    m_rs.moveFirst();
    emit recordsetReloaded();
    reposition();
    return ok;
}

void DataControl::close()
{
    leaveRow();
    m_rs.clear();
    m_db.close();
    emit recordsetReloaded();
}

bool DataControl::leaveRow()
{
    if (m_rs.absolutePosition() < 0)
        return true;
    emit Validate();
    return updateRecord();
}

bool DataControl::updateRecord(DbError* error)
{
    if (!m_rs.isDirty())
        return true;
    const int row = m_rs.absolutePosition();
    DbError e;
    bool ok = m_rs.update(&e);
    if (!ok && e.number == errors::kConflict) {
        ConflictChoice choice = ConflictChoice::Keep;
        emit updateConflict(e, &choice);
        if (choice == ConflictChoice::Overwrite) {
            ok = m_rs.update(&e, true);
        } else if (choice == ConflictChoice::Reload) {
            m_rs.cancelUpdate();
            m_rs.invalidateCache();
            m_rs.rememberLoadedRow();
            emit rowReloaded();
            return true;
        }
    }
    if (!ok) {
        m_lastError = e;
        if (error)
            *error = e;
        // The editors keep the edit and hand it in again at the next attempt.
        m_rs.cancelUpdate();
        emit updateFailed(e);
        return false;
    }
    // Read again: what is shown next is what is stored, other programs' changes included.
    m_rs.rememberLoadedRow();
    emit recordUpdated(row);
    return true;
}

void DataControl::moved(int oldPos)
{
    if (m_rs.absolutePosition() != oldPos)
        reposition();
}

void DataControl::reposition()
{
    // What the editors are given now is what a later write checks against.
    m_rs.rememberLoadedRow();
    emit Reposition();
}

bool DataControl::setAbsolutePosition(int pos)
{
    if (pos < 0 || pos >= m_rs.recordCount())
        return false;
    const int old = m_rs.absolutePosition();
    if (pos == old)
        return true;
    if (!leaveRow())
        return false;
    m_rs.setAbsolutePosition(pos);
    moved(old);
    return true;
}

void DataControl::moveFirst()
{
    setAbsolutePosition(0);
}

void DataControl::moveLast()
{
    setAbsolutePosition(m_rs.recordCount() - 1);
}

void DataControl::moveNext()
{
    const int pos = m_rs.absolutePosition();
    setAbsolutePosition(pos < 0 ? 0 : std::min(pos + 1, m_rs.recordCount() - 1));
}

void DataControl::movePrevious()
{
    const int pos = m_rs.absolutePosition();
    setAbsolutePosition(pos <= 0 ? 0 : pos - 1);
}

} // namespace klang::jet
