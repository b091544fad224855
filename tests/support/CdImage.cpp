#include "tests/support/CdImage.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cmath>

namespace klang::test {

QString writeCdImage(const QString& folder, const QString& name, const QList<CdImageTrack>& tracks)
{
    constexpr int Rate = 44100;
    constexpr int SectorBytes = 2352; // 588 stereo frames of 16 bits
    constexpr int SectorFrames = 588;
    QFile bin(QDir(folder).filePath(name + QStringLiteral(".bin")));
    if (!bin.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    QString cue = QStringLiteral("FILE \"%1.bin\" BINARY\r\n").arg(name);
    qint64 sector = 0;
    for (int t = 0; t < tracks.size(); ++t) {
        const qint64 sectors = qMax<qint64>(1, std::llround(tracks.at(t).seconds * 75.0));
        cue += QStringLiteral("  TRACK %1 AUDIO\r\n    INDEX 01 %2:%3:%4\r\n")
                   .arg(t + 1, 2, 10, QLatin1Char('0'))
                   .arg(sector / 75 / 60, 2, 10, QLatin1Char('0'))
                   .arg(sector / 75 % 60, 2, 10, QLatin1Char('0'))
                   .arg(sector % 75, 2, 10, QLatin1Char('0'));
        QByteArray pcm(int(sectors * SectorBytes), Qt::Uninitialized);
        char* out = pcm.data();
        const double step = 2.0 * M_PI * tracks.at(t).frequency / Rate;
        for (qint64 i = 0; i < sectors * SectorFrames; ++i) {
            const qint16 v = qint16(std::lround(8000.0 * std::sin(step * double(i))));
            qToLittleEndian(v, out);
            qToLittleEndian(v, out + 2);
            out += 4;
        }
        if (bin.write(pcm) != pcm.size())
            return QString();
        sector += sectors;
    }
    bin.close();
    QFile cueFile(QDir(folder).filePath(name + QStringLiteral(".cue")));
    if (!cueFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || cueFile.write(cue.toUtf8()) < 0)
        return QString();
    return cueFile.fileName();
}

QString fiveTrackImage(const QString& folder, const QString& name, const QList<double>& seconds)
{
    static const double pitches[] = {330.0, 440.0, 550.0, 660.0, 770.0};
    QList<CdImageTrack> tracks;
    for (int i = 0; i < seconds.size(); ++i)
        tracks.append({seconds.at(i), pitches[i % 5]});
    return writeCdImage(folder, name, tracks);
}

} // namespace klang::test
