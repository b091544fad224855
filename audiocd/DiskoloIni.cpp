#include "audiocd/DiskoloIni.h"

#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/SafeWrite.h"
#include "platform/vbcompat/VbCompat.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cmath>
#include <functional>
#include <limits>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace diskolo {

namespace {

constexpr qint64 ChunkBytes = 1024 * 1024;

// One line of the file as the scanner meets it: where it lies and the head of its bytes.
struct ScannedLine
{
    qint64 start = 0;
    qint64 end = 0;   // after its line end
    QByteArray text;  // without the line end, at most MaxSectionLineBytes
    bool cut = false; // the line is longer than text
    bool ended = false;
};

// Splits a device into lines in pieces of ChunkBytes: CR LF, LF and a lone CR end a line, in
// units of one byte or, for UTF-16, two. Memory stays a chunk and one bounded line.
class LineScanner
{
public:
    explicit LineScanner(QIODevice& in)
        : m_in(in)
    {
        fill();
        if (m_buf.startsWith("\xFF\xFE"))
            m_encoding = FileEncoding::Utf16LE;
        else if (m_buf.startsWith("\xFE\xFF"))
            m_encoding = FileEncoding::Utf16BE;
        else if (m_buf.startsWith("\xEF\xBB\xBF"))
            m_encoding = FileEncoding::Utf8;
        m_unit = isUtf16() ? 2 : 1;
        m_pos = m_encoding == FileEncoding::Windows1252 ? 0 : (isUtf16() ? 2 : 3);
    }

    FileEncoding encoding() const { return m_encoding; }
    bool failed() const { return m_failed; }
    qint64 offset() const { return m_base + m_pos; }

    bool next(ScannedLine& line)
    {
        line.start = offset();
        line.text.clear();
        line.cut = false;
        line.ended = false;
        for (;;) {
            if (m_buf.size() - m_pos < m_unit && !fill()) {
                take(m_buf.size() - m_pos); // an odd last byte of a UTF-16 file
                line.end = offset();
                return line.end > line.start;
            }
            const qsizetype n = m_buf.size();
            qsizetype i = m_pos;
            while (i + m_unit <= n && !isLineEnd(unitAt(i)))
                i += m_unit;
            take(i - m_pos, &line);
            if (n - i < m_unit)
                continue; // the line goes on in the next piece
            const char16_t c = unitAt(i);
            m_pos += m_unit;
            if (c == u'\r') {
                if (m_buf.size() - m_pos < m_unit)
                    fill();
                if (m_buf.size() - m_pos >= m_unit && unitAt(m_pos) == u'\n')
                    m_pos += m_unit;
            }
            line.ended = true;
            line.end = offset();
            return true;
        }
    }

private:
    bool isUtf16() const { return m_encoding == FileEncoding::Utf16LE || m_encoding == FileEncoding::Utf16BE; }
    static bool isLineEnd(char16_t c) { return c == u'\n' || c == u'\r'; }

    char16_t unitAt(qsizetype i) const
    {
        const auto b = [this](qsizetype k) { return char16_t(uchar(m_buf.at(k))); };
        if (m_unit == 1)
            return b(i);
        return m_encoding == FileEncoding::Utf16LE ? char16_t(b(i) | (b(i + 1) << 8)) : char16_t((b(i) << 8) | b(i + 1));
    }

    void take(qsizetype count, ScannedLine* line = nullptr)
    {
        if (line && !line->cut) {
            const qsizetype room = MaxSectionLineBytes - line->text.size();
            line->text.append(m_buf.constData() + m_pos, std::min(room, count));
            line->cut = count > room;
        }
        m_pos += count;
    }

    // Drops what was scanned and appends the next piece; false at the end or on a read error.
    bool fill()
    {
        m_buf.remove(0, m_pos);
        m_base += m_pos;
        m_pos = 0;
        const qsizetype had = m_buf.size();
        m_buf.resize(had + ChunkBytes);
        const qint64 got = m_in.read(m_buf.data() + had, ChunkBytes);
        m_buf.resize(had + std::max<qint64>(got, 0));
        if (got < 0)
            m_failed = true;
        return got > 0;
    }

    QIODevice& m_in;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    qint64 m_base = 0; // file offset of m_buf's first byte
    int m_unit = 1;
    FileEncoding m_encoding = FileEncoding::Windows1252;
    bool m_failed = false;
};

QString decodeLine(const QByteArray& raw, FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf8:
        return QString::fromUtf8(raw);
    case FileEncoding::Utf16LE:
        return QStringDecoder(QStringConverter::Utf16LE).decode(raw);
    case FileEncoding::Utf16BE:
        return QStringDecoder(QStringConverter::Utf16BE).decode(raw);
    case FileEncoding::Windows1252:
        break;
    }
    return klang::fromCp1252(raw);
}

QByteArray lineEnd(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf16LE:
        return QByteArray("\r\0\n\0", 4);
    case FileEncoding::Utf16BE:
        return QByteArray("\0\r\0\n", 4);
    default:
        return QByteArray("\r\n");
    }
}

// A value may not break the file's line structure.
QByteArray fileText(QString value, FileEncoding encoding)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    switch (encoding) {
    case FileEncoding::Utf8:
        return value.toUtf8();
    case FileEncoding::Utf16LE:
        return QStringEncoder(QStringConverter::Utf16LE).encode(value);
    case FileEncoding::Utf16BE:
        return QStringEncoder(QStringConverter::Utf16BE).encode(value);
    case FileEncoding::Windows1252:
        break;
    }
    return klang::toCp1252(value);
}

QString header(const QString& identity)
{
    return QLatin1Char('[') + identity.toUpper() + QLatin1Char(']');
}

// Where the section a save replaces lies: the last one of the disc, from its header line to the
// next header line or the end of the file.
struct SectionPlace
{
    bool found = false;
    qint64 start = 0;
    qint64 end = 0;
    bool cut = false;           // it has a line too long to read
    bool lastLineEnded = true;  // the file ends with a line end (or holds no line)
    qint64 size = 0;            // the bytes scanned
};

bool scanFile(QIODevice& in, const QString& identity, DiscNames& names, SectionPlace* place)
{
    const QString wanted = header(identity);
    LineScanner scanner(in);
    names.encoding = scanner.encoding();
    const bool utf16 = names.encoding == FileEncoding::Utf16LE || names.encoding == FileEncoding::Utf16BE;
    SectionPlace here;
    bool inside = false;
    qint64 sectionStart = 0;
    bool sectionCut = false;
    const auto close = [&](qint64 end) {
        if (inside) {
            here.found = true;
            here.start = sectionStart;
            here.end = end;
            here.cut = sectionCut;
        }
        inside = false;
    };
    ScannedLine raw;
    bool lastLineEnded = true;
    while (scanner.next(raw)) {
        lastLineEnded = raw.ended;
        // Only a line with "[" can be a header; most lines are neither decoded nor kept.
        const bool maybeHeader = utf16 || raw.text.contains('[');
        if (!inside && !maybeHeader)
            continue;
        const QString line = decodeLine(raw.text, names.encoding).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            close(raw.start);
            if (!raw.cut && line.toUpper() == wanted) {
                inside = true;
                names.found = true;
                sectionStart = raw.start;
                sectionCut = false;
            }
            continue;
        }
        if (!inside)
            continue;
        if (raw.cut) {
            names.incomplete = true;
            sectionCut = true;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).toLower();
        const QString value = line.mid(eq + 1);
        if (key == QLatin1String("artist")) {
            names.artist = value;
        } else if (key == QLatin1String("title")) {
            names.title = value;
        } else {
            bool isNumber = false;
            const double number = key.toDouble(&isNumber);
            if (!isNumber || !std::isfinite(number) || std::abs(number) > 32767.5)
                continue;
            const qint64 k = klang::vb::roundHalfEven(number);
            if (k >= 0 && k < names.tracks.size())
                names.tracks[k] = value;
        }
    }
    close(scanner.offset());
    here.lastLineEnded = lastLineEnded;
    here.size = scanner.offset();
    if (place)
        *place = here;
    return !scanner.failed();
}

QByteArray sectionBytes(const QString& identity, const DiscNames& names, int trackCount, FileEncoding encoding)
{
    const auto line = [encoding](const QString& text) { return fileText(text, encoding) + lineEnd(encoding); };
    QByteArray out;
    out += line(header(identity));
    out += line(QStringLiteral("EntryType=1"));
    out += line(QStringLiteral("artist=") + names.artist);
    out += line(QStringLiteral("title=") + names.title);
    out += line(QStringLiteral("numtracks=") + QString::number(trackCount));
    for (int i = 0; i < names.tracks.size(); ++i)
        out += line(QString::number(i) + QLatin1Char('=') + names.tracks.at(i));
    out += line(QString());
    return out;
}

// Copies bytes [from, to) of in to put (to < 0: to the end). False when in could not be read.
bool copyThrough(QIODevice& in, qint64 from, qint64 to, const std::function<bool(QByteArrayView)>& put,
                 bool* putFailed)
{
    if (!in.seek(from))
        return false;
    QByteArray buffer(ChunkBytes, Qt::Uninitialized);
    qint64 left = to < 0 ? std::numeric_limits<qint64>::max() : to - from;
    while (left > 0) {
        const qint64 got = in.read(buffer.data(), std::min<qint64>(left, ChunkBytes));
        if (got < 0)
            return false;
        if (got == 0)
            return to < 0; // the end of the file before the section's end: it changed under us
        if (!put(QByteArrayView(buffer.constData(), got))) {
            *putFailed = true;
            return true;
        }
        left -= got;
    }
    return true;
}

// The file with the disc's section put in its place, piece by piece through put. False when in
// could not be read (*putFailed: put refused a piece).
bool rewrite(QIODevice& in, const SectionPlace& place, const QByteArray& section, FileEncoding encoding,
             const std::function<bool(QByteArrayView)>& put, bool* putFailed)
{
    *putFailed = false;
    if (!copyThrough(in, 0, place.found ? place.start : -1, put, putFailed))
        return false;
    if (*putFailed)
        return true;
    QByteArray middle = section;
    // A last line without its line end must not run into the new header.
    if (!place.found && !place.lastLineEnded)
        middle.prepend(lineEnd(encoding));
    if (!put(middle)) {
        *putFailed = true;
        return true;
    }
    return !place.found || copyThrough(in, place.end, -1, put, putFailed);
}

// A lock file that no program of ours can have written (not readable, or not what a lock holds:
// process id, program and host on lines of their own): left over or damaged. Waiting for it to
// go would only freeze the window.
bool isDamagedLock(const QString& lockPath)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(lockPath).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray content = file.read(4096);
    if (content.isEmpty()) {
        // A lock is written right after it is made: give a program that is just making it a moment.
        const qint64 age = QDateTime::currentSecsSinceEpoch() - qint64(st.st_mtim.tv_sec);
        return age > 2 || age < -2;
    }
    const QList<QByteArray> lines = content.split('\n');
    bool number = false;
    const qint64 pid = lines.at(0).toLongLong(&number);
    return !number || pid <= 0 || lines.size() < 3;
}

// Why a lock beside path could not be made, in German.
QString lockFailure(const QString& name, QLockFile::LockError error, int errorNumber, const QString& folder)
{
    if (error == QLockFile::LockFailedError)
        return QStringLiteral("%1 wird gerade von einem anderen Programm gespeichert.").arg(name);
    // The lock's own error does not tell a full disk from a locked folder: the folder does.
    struct statvfs fs {};
    const bool known = ::statvfs(QFile::encodeName(folder).constData(), &fs) == 0;
    if (known && (fs.f_flag & ST_RDONLY))
        errorNumber = EROFS;
    else if (known && (fs.f_bavail == 0 || (fs.f_files > 0 && fs.f_favail == 0)))
        errorNumber = ENOSPC;
    else if (errorNumber == 0 && error == QLockFile::PermissionError)
        errorNumber = EACCES;
    return QStringLiteral("%1 lässt sich nicht speichern: %2")
        .arg(name, klang::germanWriteReason(errorNumber, QFileDevice::OpenError));
}

} // namespace

DiscNames initialNames(int trackCount)
{
    DiscNames names;
    const int entries = qMax(1, trackCount);
    for (int i = 0; i < entries; ++i)
        names.tracks.append(QStringLiteral("Track ") + QString::number(i + 1));
    return names;
}

QString identityText(quint32 discId)
{
    return QString::number(discId, 16).toUpper();
}

bool readDiscSection(QIODevice& file, const QString& identity, DiscNames& names)
{
    return scanFile(file, identity, names, nullptr);
}

void readDiscSection(const QByteArray& file, const QString& identity, DiscNames& names)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    readDiscSection(buffer, identity, names);
}

bool readDiscFile(const QString& path, const QString& identity, DiscNames& names)
{
    // Only plain files: a pipe or device of that name could block or never end.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && readDiscSection(file, identity, names);
}

QByteArray replaceDiscSection(const QByteArray& file, const QString& identity, const DiscNames& names,
                              int trackCount)
{
    QBuffer in;
    in.setData(file);
    in.open(QIODevice::ReadOnly);
    DiscNames scanned = initialNames(trackCount);
    SectionPlace place;
    scanFile(in, identity, scanned, &place);
    QByteArray out;
    out.reserve(file.size() + 64 * (names.tracks.size() + 5));
    bool putFailed = false;
    rewrite(in, place, sectionBytes(identity, names, trackCount, scanned.encoding), scanned.encoding,
            [&out](QByteArrayView bytes) {
                out += bytes;
                return true;
            },
            &putFailed);
    return out;
}

QStringList unstorableTexts(const DiscNames& names, FileEncoding encoding)
{
    QStringList found;
    if (encoding != FileEncoding::Windows1252)
        return found; // Unicode holds every letter
    const auto check = [&found](const QString& what, const QString& text) {
        QString lost;
        QByteArray ignored;
        for (qsizetype i = 0; i < text.size(); ++i) {
            // A character beyond the 16-bit range comes as a pair and is one letter for the user.
            const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString letter = text.mid(i, n);
            if (!klang::toWindows1252(letter, &ignored) && !lost.contains(letter))
                lost += letter;
            i += n - 1;
        }
        if (!lost.isEmpty())
            found << what + QStringLiteral(": ") + lost;
    };
    check(QStringLiteral("Interpret"), names.artist);
    check(QStringLiteral("Titel"), names.title);
    for (qsizetype i = 0; i < names.tracks.size(); ++i)
        check(QStringLiteral("Lied %1").arg(i + 1), names.tracks.at(i));
    return found;
}

bool saveDiscSection(const QString& path, const QString& identity, const DiscNames& names, int trackCount,
                     QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QString name = QFileInfo(path).fileName();
    const QString lockPath = path + QStringLiteral(".lock");
    // Another program saving at the same moment read the file before this one wrote it: its
    // rewrite would drop this disc's section. The lock makes read, change and write one step.
    QLockFile lock(lockPath);
    if (isDamagedLock(lockPath)) {
        // Removed the way a stale lock is, so that two programs never both remove one.
        QLockFile removing(lockPath + QStringLiteral(".rmlock"));
        if (removing.tryLock(0) && isDamagedLock(lockPath))
            QFile::remove(lockPath);
    }
    errno = 0;
    if (!lock.tryLock(5000))
        return fail(lockFailure(name, lock.error(), errno, QFileInfo(path).absolutePath()));
    const QFileInfo info(path);
    QFile in(path);
    if (info.exists() || info.isSymLink()) {
        if (!info.isFile())
            return fail(QStringLiteral("%1 ist keine Datei.").arg(name));
        // Root may write anywhere: a file the user made read-only is left alone all the same.
        const QFileDevice::Permissions write = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!(info.permissions() & write))
            return fail(QStringLiteral("%1 ist schreibgeschützt.").arg(name));
        if (!in.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("%1 lässt sich nicht lesen.").arg(name)); // never replace what could not be read
    }
    DiscNames scanned = initialNames(trackCount);
    SectionPlace place;
    if (in.isOpen() && !scanFile(in, identity, scanned, &place))
        return fail(QStringLiteral("%1 lässt sich nicht lesen.").arg(name));
    if (place.cut)
        return fail(QStringLiteral("Der Eintrag dieser CD in %1 hat eine Zeile von mehr als %2 KB, die nicht gelesen "
                                   "wurde. Er wird nicht überschrieben, damit nichts verloren geht.")
                        .arg(name)
                        .arg(MaxSectionLineBytes / 1024));
    klang::AtomicFileWriter out(path);
    if (out.open()) {
        const QByteArray section = sectionBytes(identity, names, trackCount, scanned.encoding);
        bool putFailed = false;
        const auto put = [&out](QByteArrayView bytes) { return out.write(bytes); };
        const bool read = in.isOpen() ? rewrite(in, place, section, scanned.encoding, put, &putFailed) : put(section);
        if (!read)
            out.abandon(QStringLiteral("%1 lässt sich nicht lesen.").arg(name));
    }
    const klang::WriteResult result = out.commit();
    if (!result)
        return fail(result.reason.startsWith(name) ? result.reason
                                                   : QStringLiteral("%1 lässt sich nicht schreiben: %2").arg(name, result.reason));
    return true;
}

} // namespace diskolo
