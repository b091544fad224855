#pragma once

// What the record set's files share: names quoted for the engine, a result column read as a
// value, the terms of a view's order, the threads of parted reads and the rowid bound.

#include "platform/jet/Database.h"

#include <QList>
#include <QString>
#include <QThread>
#include <QThreadPool>
#include <QVariant>
#include <QVector>
#include <algorithm>
#include <atomic>
#include <sqlite3.h>

namespace klang::jet {

inline QString quoteIdent(QString s)
{
    return QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

inline QVariant columnValue(sqlite3_stmt* stmt, int col)
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

inline QString asText(const QVariant& v)
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
bool parseOrderTerms(const QString& orderBy, QList<SortTerm>* terms);

// The rowids of a view ordered by text columns, sorted here (much faster than the engine
// calling the collation for every pair), in exactly the order of the collation over the whole
// values. False when the view does not fit (non-text values, too much key data, an error):
// the engine then sorts.
bool sortedRowIds(Database* db, const QString& table, const QString& where, const QList<SortTerm>& terms,
                  QVector<qint64>* rowIds, const std::atomic_bool* stop);

// Parted reads and scans run on threads of their own, never on Qt's shared pool: the window's
// painting (the scaling of a picture, for one) waits for that pool, and a scan holding all its
// threads would hold the window still until it ended.
class Lesefaeden : public QThreadPool
{
public:
    Lesefaeden() { setMaxThreadCount(std::max(1, QThread::idealThreadCount())); }
};

// The highest rowid bounds the row count from above at the cost of one index step.
qint64 maxRowId(sqlite3* h, const QString& table);

} // namespace klang::jet
