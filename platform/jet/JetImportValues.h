#pragma once

// The reading of a Jet file's values for its conversion: each row's values out of libmdb's
// pages, bound to the new file's insert statement, and the SQLite type of each Jet column.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <climits>
#include <sqlite3.h>
#include <vector>

#include <mdbtools.h>

namespace klang::jet {

// Column types of newer Access versions that libmdb does not name.
constexpr int kBigInt = 0x13;            // "Large Number": a 64-bit integer
constexpr int kExtendedDateTime = 0x14;  // "Date/Time Extended": stored as ASCII text

// Whether the type is one this reader copies as what it means (the rest: bytes as they are).
bool knownType(int type);

// The SQLite type a Jet column becomes: the types the Jet layer maps the same Jet types to.
const char* sqliteType(int jetType);

// One table's copy: reads each row's values out of libmdb's page buffer, checking every
// offset against the page, and binds them to the insert statement.
class TableCopy
{
public:
    TableCopy(MdbHandle* mdb, GPtrArray* columns, qint64 pageCount)
        : m_mdb(mdb), m_columns(columns), m_pageCount(pageCount),
          m_pageSize(int(mdb->fmt->pg_size)), m_jet3(mdb->f->jet_version == MDB_VER_JET3)
    {
    }

    // The column whose values are attachments as Access packs them: copied as the files' bytes.
    void setAttachmentColumn(unsigned column) { m_attachmentColumn = column; }
    // Attachments that could not be unpacked and were copied as stored.
    qint64 packedAttachments() const { return m_packedAttachments; }

    // Binds the current row's value of column i (1-based parameter i + 1). False when the
    // value cannot be read (a damaged page); why says what.
    bool bind(sqlite3_stmt* stmt, unsigned i, QString* why);

private:
    static bool bindVariant(sqlite3_stmt* stmt, int param, const QVariant& v);
    QString text(const unsigned char* p, size_t n);
    // The bytes of a Memo or OLE value: inline, on one other page, or on a chain of pages.
    // The chain is followed at most once per page of the file and must add up to the length
    // the value announces, so a damaged chain is reported, never copied in part.
    bool longValue(const unsigned char* p, int len, QByteArray* out, QString* why);

    MdbHandle* m_mdb;
    GPtrArray* m_columns;
    qint64 m_pageCount;
    int m_pageSize;
    bool m_jet3;
    std::vector<char> m_textBuffer;
    unsigned m_attachmentColumn = UINT_MAX;
    qint64 m_packedAttachments = 0;
};

} // namespace klang::jet
