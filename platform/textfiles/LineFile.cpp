#include "platform/textfiles/LineFile.h"

#include "platform/textfiles/ListBounds.h"
#include "platform/textfiles/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace klang {

QString fromCp1252(QByteArrayView bytes);

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five unassigned bytes map to the
// control characters of the same number, as Windows itself converts them.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Decodes and tells whether the bytes were UTF-8 (or UTF-16 with a BOM).
QString decode(const QByteArray& bytes, bool* wasUnicode)
{
    *wasUnicode = true;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringConverter::Utf16); // the BOM tells the byte order
        return utf16.decode(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    *wasUnicode = false;
    return fromCp1252(bytes);
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool commitBytes(const QString& path, const QByteArray& bytes)
{
    return writeFileAtomically(path, bytes).ok;
}

// The bytes of lines in a format; *utf8 tells whether the Windows-1252 form had to give way.
QByteArray encodeLines(const QStringList& lines, LineFormat format, bool forceUtf8, bool* utf8)
{
    const QByteArray end = format == LineFormat::Windows1252Crlf ? QByteArray("\r\n") : QByteArray("\n");
    QByteArray bytes;
    *utf8 = format == LineFormat::Utf8Lf || forceUtf8;
    if (!*utf8) {
        for (const QString& line : lines) {
            QByteArray encoded;
            if (!toWindows1252(line, &encoded)) {
                *utf8 = true;
                bytes.clear();
                break;
            }
            bytes += encoded;
            bytes += end;
        }
    }
    if (*utf8) {
        for (const QString& line : lines) {
            bytes += line.toUtf8();
            bytes += end;
        }
    }
    return bytes;
}

bool isAscii(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

bool toWindows1252(const QString& text, QByteArray* bytes)
{
    bytes->clear();
    bytes->reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes->append(char(u));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i) {
            if (Cp1252High[i] == u) {
                found = i;
                break;
            }
        }
        if (found < 0)
            return false;
        bytes->append(char(0x80 + found));
    }
    return true;
}

bool writeLines(const QString& path, const QStringList& lines, LineFormat format)
{
    if (wasCutOnRead(path))
        return false; // its unread rest would be lost
    bool utf8 = false;
    return commitBytes(path, encodeLines(lines, format, false, &utf8));
}

bool appendLines(const QString& path, const QStringList& lines, LineFormat format)
{
    const AsFolderOwner owner(path);
    // A big file is neither read nor rewritten for a few lines: they go at its end in place.
    if (QFileInfo(path).isFile() && QFileInfo(path).size() > ReadLimits{}.maxBytes
        && appendLinesInPlace(path, lines, format))
        return true;
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile())
        return false;
    QByteArray old;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return false;
        old = existing.readAll();
        if (existing.error() != QFileDevice::NoError)
            return false;
        existing.close();
    }
    bool oldUnicode = true;
    const QString oldText = decode(old, &oldUnicode);
    const bool oldIsUtf16 = old.startsWith("\xFF\xFE") || old.startsWith("\xFE\xFF");
    const bool oldIsUtf8 = oldUnicode && !oldIsUtf16;
    // A UTF-8 file with letters beyond ASCII stays UTF-8, so that it reads back as one text.
    const bool oldNeedsUtf8 = oldIsUtf8 && !isAscii(old);
    bool newUtf8 = false;
    QByteArray added = encodeLines(lines, format, oldNeedsUtf8, &newUtf8);
    const bool oldFits = !oldIsUtf16 && (newUtf8 ? oldIsUtf8 : (!oldIsUtf8 || isAscii(old)));
    if (!oldFits && !old.isEmpty()) {
        QStringList all = splitLines(oldText);
        all += lines;
        bool utf8 = false;
        return commitBytes(path, encodeLines(all, format, newUtf8, &utf8));
    }
    // A last line without its line ending must not run into the new entry.
    if (!old.isEmpty() && !old.endsWith('\n') && !old.endsWith('\r'))
        old += format == LineFormat::Windows1252Crlf ? QByteArray("\r\n") : QByteArray("\n");
    return commitBytes(path, old + added);
}

QString fromCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (const char c : bytes) {
        const uchar u = uchar(c);
        *d++ = (u >= 0x80 && u < 0xA0) ? QChar(Cp1252High[u - 0x80]) : QChar(u);
    }
    return out;
}

QByteArray toCp1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += char(u);
            continue;
        }
        char byte = '?';
        for (int i = 0; i < 32; ++i) {
            if (Cp1252High[i] == u) {
                byte = char(0x80 + i);
                break;
            }
        }
        out += byte;
    }
    return out;
}

QString decodeText(const QByteArray& bytes)
{
    bool unicode = false;
    return decode(bytes, &unicode);
}

QStringList readLines(const QString& path, bool* ok)
{
    return readLinesBounded(path, ok, nullptr, limitsFor(path));
}

bool writeLines(const QString& path, const QStringList& lines)
{
    if (wasCutOnRead(path))
        return false; // its unread rest would be lost
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += '\n';
    }
    return commitBytes(path, bytes);
}

bool appendLine(const QString& path, const QString& line)
{
    const AsFolderOwner owner(path);
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile())
        return false;
    QFile existing(path);
    QByteArray prefix;
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = existing.readAll();
        existing.close();
        bool unicode = true;
        const QString text = decode(bytes, &unicode);
        const bool isUtf8 = unicode && !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF");
        if (!isUtf8) {
            // Appending UTF-8 to a Windows-1252 or UTF-16 file would garble it on the next read:
            // convert the whole file instead.
            QStringList lines = splitLines(text);
            lines.append(line);
            return writeLines(path, lines);
        }
        // A last line without its line ending must not run into the new entry.
        if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
            prefix = "\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = prefix + line.toUtf8() + '\n';
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace klang
