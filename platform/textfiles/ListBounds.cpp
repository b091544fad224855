#include "platform/textfiles/ListBounds.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMutex>
#include <QStringDecoder>
#include <QStringEncoder>

#include <sys/stat.h>

namespace klang {

namespace {

// A file as it was when a read cut it: size, change time and inode.
struct Stand
{
    qint64 groesse = -1;
    qint64 zeitNs = 0;
    quint64 inode = 0;
    bool operator==(const Stand&) const = default;
};

Stand standVon(const QString& path)
{
    Stand s;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        s.groesse = qint64(st.st_size);
        s.zeitNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.inode = quint64(st.st_ino);
    }
    return s;
}

QMutex g_gekuerzteMutex;
QHash<QString, Stand>& gekuerzte()
{
    static QHash<QString, Stand> dateien;
    return dateien;
}

QString schluessel(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

void merken(const QString& path, bool gekuerzt)
{
    QMutexLocker lock(&g_gekuerzteMutex);
    if (gekuerzt)
        gekuerzte().insert(schluessel(path), standVon(path));
    else
        gekuerzte().remove(schluessel(path));
}

bool istUmbruch(char c)
{
    return c == '\n' || c == '\r';
}

// A UTF-16 file (by its mark) is decoded as a whole up to the byte limit and cut by lines.
QByteArray utf16Lesen(const QByteArray& kopf, const ReadLimits& limits, ReadReport& r, bool dateiGehtWeiter)
{
    QStringDecoder utf16(QStringConverter::Utf16);
    const QString text = utf16.decode(kopf);
    QByteArray kept("\xEF\xBB\xBF");
    qsizetype start = 0;
    const qsizetype n = text.size();
    const qsizetype maxZeichen = limits.maxLineBytes / 2;
    qsizetype i = 0;
    for (; i <= n && r.linesKept < limits.maxLines; ++i) {
        const bool ende = i == n;
        if (!ende && text.at(i) != u'\n' && text.at(i) != u'\r')
            continue;
        if (ende && start == n)
            break;
        if (ende && dateiGehtWeiter) {
            r.restLeftOut = true; // the last line read is not whole
            break;
        }
        if (i - start > maxZeichen)
            ++r.longLinesLeftOut;
        else {
            kept += text.mid(start, i - start).toUtf8();
            kept += '\n';
            ++r.linesKept;
        }
        if (!ende && text.at(i) == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (r.linesKept >= limits.maxLines && (start < n || dateiGehtWeiter))
        r.restLeftOut = true;
    return kept;
}

} // namespace

QString ReadReport::hinweis(const QString& dateiname, const ReadLimits& limits) const
{
    if (complete())
        return {};
    const QLocale deutsch(QLocale::German);
    QStringList saetze;
    if (restLeftOut)
        saetze << QStringLiteral("Von „%1“ wurden nur die ersten %2 Einträge gelesen (höchstens %3 Einträge und %4 MB); "
                                 "der Rest der Datei wurde ausgelassen.")
                      .arg(dateiname, deutsch.toString(linesKept), deutsch.toString(limits.maxLines),
                           deutsch.toString(limits.maxBytes / (1024 * 1024)));
    if (longLinesLeftOut > 0)
        saetze << (longLinesLeftOut == 1 ? QStringLiteral("Ein Eintrag von „%1“ ist länger als %2 KB und wurde ausgelassen.")
                                               .arg(dateiname, deutsch.toString(limits.maxLineBytes / 1024))
                                         : QStringLiteral("%1 Einträge von „%2“ sind länger als %3 KB und wurden ausgelassen.")
                                               .arg(deutsch.toString(longLinesLeftOut), dateiname,
                                                    deutsch.toString(limits.maxLineBytes / 1024)));
    saetze << QStringLiteral("Die Datei wird nicht überschrieben.");
    return saetze.join(QLatin1Char(' '));
}

ReadLimits limitsFor(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.compare(QLatin1String("sql.dat"), Qt::CaseInsensitive) == 0)
        return SqlListLimits;
    if (name.compare(QLatin1String("Suchliste.txt"), Qt::CaseInsensitive) == 0)
        return SearchListLimits;
    return {};
}

QByteArray readBoundedLines(const QString& path, const ReadLimits& limits, ReadReport* report, bool* ok)
{
    ReadReport r;
    r.limits = limits;
    QFile file(path);
    // Only plain files: opening a pipe or device of that name could block or never end.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        if (report)
            *report = r;
        return {};
    }
    QByteArray kept;
    QByteArray zeile;
    bool zuLang = false;   // the current line passed the limit: it is skipped to its end
    bool begonnen = false; // the current line has characters
    bool crOffen = false;  // a CR ended the last chunk: a LF starting the next belongs to it
    bool fertig = false;
    qint64 gelesen = 0;
    auto zeileAbschliessen = [&] {
        if (zuLang) {
            ++r.longLinesLeftOut;
        } else {
            kept += zeile;
            kept += '\n';
            ++r.linesKept;
        }
        zeile.clear();
        zuLang = false;
        begonnen = false;
    };
    while (!fertig) {
        const qint64 wunsch = std::min<qint64>(64 * 1024, limits.maxBytes - gelesen);
        if (wunsch <= 0)
            break;
        const QByteArray stueck = file.read(wunsch);
        if (stueck.isEmpty())
            break;
        if (gelesen == 0 && (stueck.startsWith("\xFF\xFE") || stueck.startsWith("\xFE\xFF"))) {
            QByteArray kopf = stueck + file.read(limits.maxBytes - stueck.size());
            kept = utf16Lesen(kopf, limits, r, !file.atEnd());
            fertig = true;
            break;
        }
        gelesen += stueck.size();
        const char* p = stueck.constData();
        const qsizetype n = stueck.size();
        qsizetype i = 0;
        if (crOffen && p[0] == '\n')
            i = 1;
        crOffen = false;
        while (i < n) {
            qsizetype j = i;
            while (j < n && !istUmbruch(p[j]))
                ++j;
            if (j > i) {
                begonnen = true;
                if (!zuLang && zeile.size() + (j - i) > limits.maxLineBytes) {
                    zuLang = true;
                    zeile.clear();
                } else if (!zuLang) {
                    zeile.append(p + i, j - i);
                }
            }
            if (j == n)
                break; // the line goes on in the next chunk
            zeileAbschliessen();
            if (p[j] == '\r') {
                if (j + 1 < n) {
                    if (p[j + 1] == '\n')
                        ++j;
                } else {
                    crOffen = true;
                }
            }
            i = j + 1;
            if (r.linesKept >= limits.maxLines) {
                fertig = true;
                char c = 0;
                if (i < n)
                    r.restLeftOut = true;
                else if (crOffen) // only the LF of this line's CR LF may follow
                    r.restLeftOut = file.getChar(&c) && (c != '\n' || !file.atEnd());
                else
                    r.restLeftOut = !file.atEnd();
                break;
            }
        }
    }
    if (!fertig) {
        if (!file.atEnd()) {
            // Stopped by the byte limit inside a line: that line is not whole.
            r.restLeftOut = true;
            if (zuLang)
                ++r.longLinesLeftOut;
        } else if (begonnen) {
            zeileAbschliessen(); // a last line without its line ending
        }
    }
    if (ok)
        *ok = file.error() == QFileDevice::NoError;
    merken(path, !r.complete());
    if (report)
        *report = r;
    return kept;
}

QStringList readLinesBounded(const QString& path, bool* ok, ReadReport* report)
{
    return readLinesBounded(path, ok, report, limitsFor(path));
}

QStringList readLinesBounded(const QString& path, bool* ok, ReadReport* report, const ReadLimits& limits)
{
    const QByteArray bytes = readBoundedLines(path, limits, report, ok);
    QString text = decodeText(bytes);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (bytes.isEmpty())
        return {};
    return text.split(QLatin1Char('\n'));
}

bool wasCutOnRead(const QString& path)
{
    QMutexLocker lock(&g_gekuerzteMutex);
    const auto it = gekuerzte().constFind(schluessel(path));
    return it != gekuerzte().cend() && *it == standVon(path);
}

void forgetCutOnRead(const QString& path)
{
    merken(path, false);
}

bool appendLinesInPlace(const QString& path, const QStringList& lines, LineFormat format)
{
    const QFileInfo info(path);
    if (path.isEmpty() || (info.exists() && !info.isFile()))
        return false;
    if (lines.isEmpty())
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 alteGroesse = file.size();
    // The encoding of the file's head decides the new line's.
    const QByteArray kopf = file.read(std::min<qint64>(alteGroesse, ReadLimits{}.maxBytes));
    const QByteArray ende = format == LineFormat::Windows1252Crlf ? QByteArray("\r\n") : QByteArray("\n");
    QByteArray bytes;
    if (kopf.startsWith("\xFF\xFE") || kopf.startsWith("\xFE\xFF")) {
        // UTF-16 by its mark: the line in the same byte order.
        QStringEncoder utf16(kopf.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        QByteArray letzte(2, '\0');
        if (!file.seek(alteGroesse - 2) || file.read(letzte.data(), 2) != 2)
            return false;
        const QString letztesZeichen = QStringDecoder(kopf.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                                                   : QStringConverter::Utf16BE)
                                           .decode(letzte);
        const QString endeText = QString::fromLatin1(ende);
        if (alteGroesse > 2 && !letztesZeichen.endsWith(u'\n') && !letztesZeichen.endsWith(u'\r'))
            bytes += utf16.encode(endeText);
        for (const QString& line : lines)
            bytes += utf16.encode(line + endeText);
    } else {
        bool ascii = true;
        for (const char c : kopf)
            if (uchar(c) >= 0x80) {
                ascii = false;
                break;
            }
        bool utf8 = format == LineFormat::Utf8Lf;
        if (!ascii) {
            // Whole lines only: a head cut inside a character is no sign of another encoding.
            const QByteArray ganze = kopf.size() < alteGroesse ? kopf.left(kopf.lastIndexOf('\n') + 1) : kopf;
            QStringDecoder pruefer(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            const QString probe = pruefer.decode(ganze);
            Q_UNUSED(probe);
            utf8 = !pruefer.hasError();
        }
        QList<QByteArray> cp1252(lines.size());
        for (qsizetype i = 0; !utf8 && i < lines.size(); ++i) {
            if (!toWindows1252(lines[i], &cp1252[i])) {
                if (!ascii)
                    return false; // a Windows-1252 file cannot take this line
                utf8 = true;      // a file of plain ASCII reads as UTF-8 with it
            }
        }
        QByteArray neu;
        for (qsizetype i = 0; i < lines.size(); ++i)
            neu += (utf8 ? lines[i].toUtf8() : cp1252[i]) + ende;
        if (alteGroesse > 0) {
            char letztes = 0;
            if (!file.seek(alteGroesse - 1) || !file.getChar(&letztes))
                return false;
            if (!istUmbruch(letztes))
                bytes += ende; // a last line without its ending must not run into the new one
        }
        bytes += neu;
    }
    const bool warGekuerzt = wasCutOnRead(path);
    if (!file.seek(alteGroesse) || file.write(bytes) != bytes.size() || !file.flush()) {
        file.resize(alteGroesse);
        return false;
    }
    file.close();
    if (warGekuerzt)
        merken(path, true); // still only partly read
    return true;
}

} // namespace klang

namespace klang {

bool appendLineInPlace(const QString& path, const QString& line, LineFormat format)
{
    return appendLinesInPlace(path, {line}, format);
}

} // namespace klang
