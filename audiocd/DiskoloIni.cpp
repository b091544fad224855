#include "audiocd/DiskoloIni.h"

#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/SafeWrite.h"
#include "platform/vbcompat/VbCompat.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

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

QStringList unstorableTexts(const DiscNames& names)
{
    QStringList found;
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
    // Another program saving at the same moment read the file before this one wrote it: its
    // rewrite would drop this disc's section. The lock makes read, change and write one step.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) {
        return fail(lock.error() == QLockFile::LockFailedError
                        ? QStringLiteral("%1 wird gerade von einem anderen Programm gespeichert.").arg(name)
                        : QStringLiteral("%1 lässt sich nicht sperren (Ordner schreibgeschützt?).").arg(name));
    }
    QByteArray old;
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (!info.isFile())
            return fail(QStringLiteral("%1 ist keine Datei.").arg(name));
        // Root may write anywhere: a file the user made read-only is left alone all the same.
        const QFileDevice::Permissions write = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!(info.permissions() & write))
            return fail(QStringLiteral("%1 ist schreibgeschützt.").arg(name));
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("%1 lässt sich nicht lesen.").arg(name)); // never replace what could not be read
        old = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return fail(QStringLiteral("%1 lässt sich nicht lesen.").arg(name));
    }
    const QByteArray bytes = replaceDiscSection(old, identity, names, trackCount);
    const klang::WriteResult result = klang::writeFileAtomically(path, bytes);
    if (!result)
        return fail(QStringLiteral("%1 lässt sich nicht schreiben: %2").arg(name, result.reason));
    return true;
}

} // namespace diskolo
