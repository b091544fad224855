// The reading of a Jet file's values: rows out of libmdb's pages, numbers, dates, texts, files.

#include "platform/jet/JetImportValues.h"

#include "platform/jet/JetImport.h"

#include <QDate>
#include <cmath>
#include <cstring>
#include <optional>

namespace klang::jet {

namespace {

quint32 le32(const unsigned char* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
constexpr int kLongValueHeader = 12;  // length/flags, page/row, reserved of a Memo or OLE value
constexpr qint64 kMaxAttachment = qint64(1) << 30; // an attachment's unpacked size we accept

// An attachment's bytes as Access keeps them: a type (0 stored, 1 deflated), the unpacked
// length, then a header (its own length first, then the file's extension) and the file.
std::optional<QByteArray> attachmentFile(const QByteArray& stored)
{
    if (stored.size() < 8)
        return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(stored.constData());
    const quint32 type = le32(p);
    const quint32 length = le32(p + 4);
    if (qint64(length) > kMaxAttachment)
        return std::nullopt;
    QByteArray content;
    if (type == 1) {
        // qUncompress wants the unpacked length in front, big-endian.
        QByteArray packed(4, Qt::Uninitialized);
        packed[0] = char(length >> 24);
        packed[1] = char(length >> 16);
        packed[2] = char(length >> 8);
        packed[3] = char(length);
        packed += stored.mid(8);
        content = qUncompress(packed);
    } else if (type == 0) {
        content = stored.mid(8);
    } else {
        return std::nullopt;
    }
    if (content.size() != qsizetype(length) || content.size() < 12)
        return std::nullopt;
    const quint32 header = le32(reinterpret_cast<const unsigned char*>(content.constData()));
    if (header < 12 || header > quint32(content.size()))
        return std::nullopt;
    return content.mid(qsizetype(header));
}

// Jet 4 and later store text as UTF-16LE, optionally "compressed": after the marker FF FE a
// 00 byte switches between one byte per character (the low byte) and two.
QString decodeUnicode(const unsigned char* p, size_t n)
{
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        QString out;
        out.reserve(qsizetype(n));
        bool compressed = true;
        size_t i = 2;
        while (i < n) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                out += QChar(char16_t(p[i]));
                ++i;
            } else if (i + 1 < n) {
                out += QChar(char16_t(p[i] | p[i + 1] << 8));
                i += 2;
            } else {
                break; // a lone last byte: no character
            }
        }
        return out;
    }
    QString out(qsizetype(n / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < n; i += 2)
        out[qsizetype(i / 2)] = QChar(char16_t(p[i] | p[i + 1] << 8));
    return out;
}

// Jet stores a date as days since 30 December 1899; the fraction is the time of day (also
// for days before, where the whole part is negative). Written as the Jet layer's date
// literals are: "yyyy-MM-dd", with " hh:mm:ss" when there is a time.
QVariant dateValue(double days)
{
    // Jet's own range is the years 100 to 9999; anything else is kept as the number.
    if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0)
        return days;
    qint64 whole = qint64(days);
    qint64 seconds = std::llround(std::fabs(days - double(whole)) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++whole;
    }
    const QDate date = QDate(1899, 12, 30).addDays(whole);
    QString text = QStringLiteral("%1-%2-%3")
                       .arg(date.year(), 4, 10, QLatin1Char('0'))
                       .arg(date.month(), 2, 10, QLatin1Char('0'))
                       .arg(date.day(), 2, 10, QLatin1Char('0'));
    if (seconds)
        text += QStringLiteral(" %1:%2:%3")
                    .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                    .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                    .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return text;
}

QString guidText(const unsigned char* k)
{
    return QString::asprintf("{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                             k[3], k[2], k[1], k[0], k[5], k[4], k[7], k[6], k[8], k[9], k[10], k[11],
                             k[12], k[13], k[14], k[15]);
}

} // namespace

bool knownType(int type)
{
    switch (type) {
    case MDB_BOOL: case MDB_BYTE: case MDB_INT: case MDB_LONGINT: case MDB_MONEY: case MDB_FLOAT:
    case MDB_DOUBLE: case MDB_DATETIME: case MDB_BINARY: case MDB_TEXT: case MDB_OLE: case MDB_MEMO:
    case MDB_REPID: case MDB_NUMERIC: case MDB_COMPLEX: case kBigInt:
        return true;
    default:
        return false;
    }
}

QVariant exactDecimal(const QString& text)
{
    QString digits = text.trimmed();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative || digits.startsWith(QLatin1Char('+')))
        digits.remove(0, 1);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? digits : digits.left(point);
    QString fraction = point < 0 ? QString() : digits.mid(point + 1);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    static const QRegularExpression decimal(QStringLiteral("^[0-9]*$"));
    if (whole.isEmpty() && fraction.isEmpty())
        whole = QStringLiteral("0");
    if (!decimal.match(whole).hasMatch() || !decimal.match(fraction).hasMatch())
        return text; // not a plain decimal number: kept as it reads
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    const QString sign = negative ? QStringLiteral("-") : QString();
    if (fraction.isEmpty()) {
        bool ok = false;
        const qint64 n = (sign + whole).toLongLong(&ok);
        if (ok)
            return n;
    }
    QString significant = whole + fraction;
    while (significant.startsWith(QLatin1Char('0')))
        significant.remove(0, 1);
    const QString exact = sign + whole + (fraction.isEmpty() ? QString() : QLatin1Char('.') + fraction);
    if (significant.size() <= 15)
        return exact.toDouble();
    return exact;
}

QVariant exactCurrency(qint64 v)
{
    if (v % 10000 == 0)
        return v / 10000;
    const quint64 magnitude = v < 0 ? quint64(0) - quint64(v) : quint64(v);
    QString text = QString::number(magnitude / 10000) + QLatin1Char('.')
                   + QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
    return exactDecimal((v < 0 ? QStringLiteral("-") : QString()) + text);
}

const char* sqliteType(int jetType)
{
    switch (jetType) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
    case kBigInt:
        return "INTEGER";
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return "REAL";
    // Currency and Decimal hold more digits than a double: a column that forces values into
    // floating point would round them, one without affinity keeps integers and decimal text.
    case MDB_MONEY:
    case MDB_NUMERIC:
        return "NUMERIC";
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_DATETIME:
    case MDB_REPID:
    case kExtendedDateTime:
        return "TEXT";
    default:
        return "BLOB";
    }
}

bool TableCopy::bind(sqlite3_stmt* stmt, unsigned i, QString* why)
{
    const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(m_columns, i));
    const int param = int(i) + 1;
    if (col->col_type == MDB_BOOL) // the value is the null bit: set means Yes
        return sqlite3_bind_int(stmt, param, col->cur_value_len == 0 ? 1 : 0) == SQLITE_OK;
    const int start = col->cur_value_start;
    const int len = col->cur_value_len;
    if (len == 0)
        return sqlite3_bind_null(stmt, param) == SQLITE_OK;
    if (start < 0 || len < 0 || start > m_pageSize || len > m_pageSize - start) {
        *why = QStringLiteral("ein Wert liegt außerhalb seiner Seite");
        return false;
    }
    const unsigned char* p = m_mdb->pg_buf + start;
    auto need = [&](int n) {
        if (len >= n)
            return true;
        *why = QStringLiteral("ein Zahlenwert ist zu kurz");
        return false;
    };
    switch (col->col_type) {
    case MDB_BYTE:
        return need(1) && sqlite3_bind_int(stmt, param, p[0]) == SQLITE_OK;
    case MDB_INT:
        return need(2) && sqlite3_bind_int(stmt, param, qint16(p[0] | p[1] << 8)) == SQLITE_OK;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return need(4) && sqlite3_bind_int(stmt, param, qint32(le32(p))) == SQLITE_OK;
    case MDB_MONEY: {
        if (!need(8))
            return false;
        const qint64 v = qint64(quint64(le32(p)) | quint64(le32(p + 4)) << 32);
        return bindVariant(stmt, param, exactCurrency(v));
    }
    case kBigInt:
        return need(8)
               && sqlite3_bind_int64(stmt, param, qint64(quint64(le32(p)) | quint64(le32(p + 4)) << 32))
                      == SQLITE_OK;
    case kExtendedDateTime: // ASCII digits; kept as they read, the report names the column
        return bindVariant(stmt, param, QString::fromLatin1(reinterpret_cast<const char*>(p), len).trimmed());
    case MDB_FLOAT: {
        if (!need(4))
            return false;
        float f;
        std::memcpy(&f, p, 4);
        return sqlite3_bind_double(stmt, param, double(f)) == SQLITE_OK;
    }
    case MDB_DOUBLE:
    case MDB_DATETIME: {
        if (!need(8))
            return false;
        double d;
        std::memcpy(&d, p, 8);
        if (col->col_type == MDB_DOUBLE)
            return sqlite3_bind_double(stmt, param, d) == SQLITE_OK;
        return bindVariant(stmt, param, dateValue(d));
    }
    case MDB_NUMERIC: {
        if (!need(17))
            return false;
        char* s = mdb_numeric_to_string(m_mdb, start, col->col_scale, col->col_prec);
        const QString text = QString::fromUtf8(s ? s : "");
        g_free(s);
        return bindVariant(stmt, param, exactDecimal(text));
    }
    case MDB_REPID:
        return need(16) && bindVariant(stmt, param, guidText(p));
    case MDB_TEXT:
        return bindVariant(stmt, param, text(p, size_t(len)));
    case MDB_MEMO:
    case MDB_OLE: {
        QByteArray bytes;
        if (!longValue(p, len, &bytes, why))
            return false;
        if (col->col_type == MDB_OLE) {
            if (i == m_attachmentColumn) {
                if (const std::optional<QByteArray> file = attachmentFile(bytes))
                    bytes = *file;
                else
                    ++m_packedAttachments; // kept as stored; the report says so
            }
            return sqlite3_bind_blob64(stmt, param, bytes.constData(), sqlite3_uint64(bytes.size()),
                                       SQLITE_TRANSIENT) == SQLITE_OK;
        }
        return bindVariant(stmt, param, text(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                             size_t(bytes.size())));
    }
    default: // binary and types this reader does not know: the bytes as they are
        return sqlite3_bind_blob(stmt, param, p, len, SQLITE_TRANSIENT) == SQLITE_OK;
    }
}

bool TableCopy::bindVariant(sqlite3_stmt* stmt, int param, const QVariant& v)
{
    if (v.typeId() == QMetaType::Double)
        return sqlite3_bind_double(stmt, param, v.toDouble()) == SQLITE_OK;
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return sqlite3_bind_int64(stmt, param, v.toLongLong()) == SQLITE_OK;
    const QByteArray utf8 = v.toString().toUtf8();
    return sqlite3_bind_text64(stmt, param, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                               SQLITE_UTF8) == SQLITE_OK;
}

QString TableCopy::text(const unsigned char* p, size_t n)
{
    if (n == 0)
        return QString();
    if (!m_jet3)
        return decodeUnicode(p, n);
    // Jet 3 text is in the file's code page (Windows-1252 unless the file says otherwise);
    // libmdb knows the code pages. Three bytes of UTF-8 per byte is the most it can need.
    m_textBuffer.resize(n * 3 + 16);
    const int written = mdb_unicode2ascii(m_mdb, reinterpret_cast<const char*>(p), n, m_textBuffer.data(),
                                          m_textBuffer.size() - 1);
    if (written <= 0)
        return QString();
    return QString::fromUtf8(m_textBuffer.data(), qMin<qsizetype>(written, qsizetype(m_textBuffer.size() - 1)));
}

bool TableCopy::longValue(const unsigned char* p, int len, QByteArray* out, QString* why)
{
    if (len < kLongValueHeader) {
        *why = QStringLiteral("ein Memo- oder OLE-Wert ist zu kurz");
        return false;
    }
    const quint32 head = le32(p);
    const quint32 length = head & 0x3FFFFFFF;
    if (head & 0x80000000) {
        out->append(reinterpret_cast<const char*>(p) + kLongValueHeader, len - kLongValueHeader);
        return true;
    }
    qint32 pageRow = qint32(le32(p + 4));
    auto readRow = [&](const unsigned char** data, size_t* size) {
        void* buf = nullptr;
        int off = 0;
        size_t rowLen = 0;
        if (mdb_find_pg_row(m_mdb, pageRow, &buf, &off, &rowLen) != 0 || !buf || off < 0
            || size_t(off) > size_t(m_pageSize) || rowLen > size_t(m_pageSize - off)) {
            *why = QStringLiteral("ein Memo- oder OLE-Wert verweist auf eine unlesbare Seite");
            return false;
        }
        *data = static_cast<const unsigned char*>(buf) + off;
        *size = rowLen;
        return true;
    };
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (head & 0x40000000) {
        if (!readRow(&data, &size))
            return false;
        out->append(reinterpret_cast<const char*>(data), qsizetype(size));
        return true;
    }
    if (head & 0xC0000000)
        return true; // not reached: both flags handled above
    qint64 pages = 0;
    while (pageRow != 0) {
        if (++pages > m_pageCount) {
            *why = QStringLiteral("die Seitenkette eines Memo- oder OLE-Werts endet nicht");
            return false;
        }
        if (!readRow(&data, &size))
            return false;
        if (size < 4 || quint64(out->size()) + (size - 4) > length) {
            *why = QStringLiteral("ein Memo- oder OLE-Wert ist länger als angegeben");
            return false;
        }
        out->append(reinterpret_cast<const char*>(data) + 4, qsizetype(size - 4));
        pageRow = qint32(le32(data));
    }
    if (quint64(out->size()) != length) {
        *why = QStringLiteral("ein Memo- oder OLE-Wert ist kürzer als angegeben");
        return false;
    }
    return true;
}

} // namespace klang::jet
