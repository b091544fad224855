#include "audiocd/DiskoloIni.h"

#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/SafeWrite.h"
#include "platform/vbcompat/VbCompat.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace diskolo {

namespace {

// One line of the file: its bytes without and with the line end as found.
struct RawLine
{
    QByteArray text;
    QByteArray whole;
};

QList<RawLine> splitRaw(const QByteArray& file)
{
    QList<RawLine> lines;
    qsizetype start = 0;
    const qsizetype n = file.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = file.at(i);
        if (c != '\n' && c != '\r')
            continue;
        qsizetype end = i;
        if (c == '\r' && i + 1 < n && file.at(i + 1) == '\n')
            ++i;
        lines.append({file.mid(start, end - start), file.mid(start, i + 1 - start)});
        start = i + 1;
    }
    if (start < n)
        lines.append({file.mid(start), file.mid(start)});
    return lines;
}

// A value may not break the file's line structure.
QByteArray fileText(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return klang::toCp1252(value);
}

QString header(const QString& identity)
{
    return QLatin1Char('[') + identity.toUpper() + QLatin1Char(']');
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

void readDiscSection(const QByteArray& file, const QString& identity, DiscNames& names)
{
    const QString wanted = header(identity);
    bool inside = false;
    for (const RawLine& raw : splitRaw(file)) {
        const QString line = klang::fromCp1252(raw.text).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inside = line.toUpper() == wanted;
            if (inside)
                names.found = true;
            continue;
        }
        if (!inside)
            continue;
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
}

QByteArray replaceDiscSection(const QByteArray& file, const QString& identity, const DiscNames& names,
                              int trackCount)
{
    const QString wanted = header(identity);
    QByteArray out;
    out.reserve(file.size() + 64 * (names.tracks.size() + 5));
    bool skipping = false;
    for (const RawLine& raw : splitRaw(file)) {
        const QString line = klang::fromCp1252(raw.text).trimmed();
        if (skipping) {
            if (!line.startsWith(QLatin1Char('[')))
                continue;
            skipping = false;
        }
        // Without regard to case, as the reader finds sections: a header spelled otherwise
        // would stay and collect a duplicate on every save.
        if (line.toUpper() == wanted) {
            skipping = true;
            continue;
        }
        out += raw.whole;
    }
    if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
        out += "\r\n";
    out += fileText(wanted) + "\r\n";
    out += "EntryType=1\r\n";
    out += "artist=" + fileText(names.artist) + "\r\n";
    out += "title=" + fileText(names.title) + "\r\n";
    out += "numtracks=" + QByteArray::number(trackCount) + "\r\n";
    for (int i = 0; i < names.tracks.size(); ++i)
        out += QByteArray::number(i) + '=' + fileText(names.tracks.at(i)) + "\r\n";
    out += "\r\n";
    return out;
}

bool saveDiscSection(const QString& path, const QString& identity, const DiscNames& names, int trackCount)
{
    QByteArray old;
    if (QFileInfo::exists(path)) {
        QFile in(path);
        if (!QFileInfo(path).isFile() || !in.open(QIODevice::ReadOnly))
            return false; // never replace what could not be read
        old = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return false;
    }
    const QByteArray bytes = replaceDiscSection(old, identity, names, trackCount);
    return klang::writeFileAtomically(path, bytes).ok;
}

} // namespace diskolo
