#include "platform/cdaudio/CdBackend.h"

namespace klang::cdaudio {

QString cdErrorText(CdError error)
{
    // Short: the display shows them in one line.
    switch (error) {
    case CdError::None:
        return QStringLiteral("Der Befehl wurde ausgeführt.");
    case CdError::NoDevice:
        return QStringLiteral("Kein CD-Laufwerk gefunden.");
    case CdError::NotOpen:
        return QStringLiteral("Kein CD-Laufwerk geöffnet.");
    case CdError::NoDisc:
        return QStringLiteral("Keine Audio-CD im Laufwerk.");
    case CdError::OutOfRange:
        return QStringLiteral("Position außerhalb der CD.");
    case CdError::NotSupported:
        return QStringLiteral("Ein CD-Abbild hat keine Schublade.");
    case CdError::TrayFailed:
        return QStringLiteral("Schublade nicht beweglich.");
    case CdError::PlaybackFailed:
        return QStringLiteral("Wiedergabe nicht möglich.");
    }
    return QString();
}

quint32 discId(const CdToc& toc)
{
    if (toc.isEmpty())
        return 0;
    auto digitSum = [](qint64 n) {
        qint64 sum = 0;
        for (; n > 0; n /= 10)
            sum += n % 10;
        return sum;
    };
    // Sector 0 lies two seconds (150 sectors) after the start of the disc's timeline.
    constexpr qint32 leadIn = 2 * FramesPerSecond;
    qint64 sum = 0;
    for (const qint32 start : toc.starts)
        sum += digitSum((qint64(start) + leadIn) / FramesPerSecond);
    const qint64 seconds = (qint64(toc.leadout) + leadIn) / FramesPerSecond
                         - (qint64(toc.starts.first()) + leadIn) / FramesPerSecond;
    return (quint32(sum % 0xFF) << 24) | (quint32(seconds & 0xFFFF) << 8)
         | quint32(toc.trackCount() & 0xFF);
}

} // namespace klang::cdaudio
