#include "audiocd/ctlDiskoloX.h"

#include "platform/shell/Paths.h"
#include "platform/vbcompat/VbCompat.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace diskolo {

using klang::cdaudio::CdBackend;
using klang::cdaudio::CdError;
using klang::cdaudio::CdToc;
using klang::cdaudio::framesToMs;

namespace {

constexpr int IntroMs = 10000;
constexpr int DiscWrapMarginMs = 10;
constexpr int RandomMarginMs = 250;
constexpr int DiscWatchMs = 1000;

} // namespace

ctlDiskoloX::ctlDiskoloX(std::unique_ptr<CdBackend> backend, QObject* parent)
    : QObject(parent)
    , m_backend(std::move(backend))
{
    m_alias = QStringLiteral("ctlDiskoloX") + QString::number(QRandomGenerator::global()->bounded(3333) + 1);
    m_timStatus.setInterval(250);
    m_timProgramWatcher.setInterval(100);
    m_discWatch.setInterval(DiscWatchMs);
    connect(&m_timStatus, &QTimer::timeout, this, &ctlDiskoloX::timStatus_Timer);
    connect(&m_timProgramWatcher, &QTimer::timeout, this, &ctlDiskoloX::timProgramWatcher_Timer);
    connect(&m_discWatch, &QTimer::timeout, this, &ctlDiskoloX::discWatch_Timer);
    OpenCD();
    m_random.seed(quint32(QDateTime::currentMSecsSinceEpoch()));
}

ctlDiskoloX::~ctlDiskoloX()
{
    CloseCD();
}

bool ctlDiskoloX::note(bool ok)
{
    m_lastError = ok ? 0 : int(m_backend->error());
    return ok;
}

bool ctlDiskoloX::readToc(CdToc& toc)
{
    return note(m_backend->toc(toc));
}

void ctlDiskoloX::StartTimers()
{
    m_timStatus.start();
    m_timProgramWatcher.start();
}

QString ctlDiskoloX::GetErrorString() const
{
    const QString text = klang::cdaudio::cdErrorText(CdError(m_lastError));
    const QString detail = m_lastError != 0 ? m_backend->errorDetail() : QString();
    return detail.isEmpty() ? text : detail;
}

qint32 ctlDiskoloX::GetTimePart(qint32 lTime, qint32 Part)
{
    const qint64 s = klang::vb::roundHalfEven(lTime / 1000.0);
    const qint64 h = s >= 0 ? s / 3600 : -((-s + 3599) / 3600);
    const qint64 m = (s - 3600 * h) / 60;
    const qint64 r = s - 3600 * h - 60 * m;
    switch (Part) {
    case 1:
        return qint32(h);
    case 2:
        return qint32(m);
    case 3:
        return qint32(r);
    case 4:
        return qint32(lTime - 1000 * s);
    default:
        return 0;
    }
}

QString ctlDiskoloX::FormatTime(qint32 lTime)
{
    const qint32 h = GetTimePart(lTime, 1);
    const qint32 m = GetTimePart(lTime, 2);
    const qint32 r = GetTimePart(lTime, 3);
    const auto two = [](qint32 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (h >= 1)
        return QString::number(h) + QLatin1Char(':') + two(m) + QLatin1Char(':') + two(r);
    return QString::number(m) + QLatin1Char(':') + two(r);
}

void ctlDiskoloX::setDrive(const QString& vNewValue)
{
    m_drive = vNewValue;
    CloseCD();
    OpenCD();
}

void ctlDiskoloX::OpenCD()
{
    m_timProgramWatcher.stop();
    m_timStatus.stop();
    m_discWatch.stop();
    const bool opened = note(m_backend->open(m_drive));
    m_openError = opened ? QString() : GetErrorString();
    InitTrackNames();
    if (TrackCount() != 0) {
        LoadFromDiskoloIni();
        m_timProgramWatcher.start();
        m_timStatus.start();
    } else {
        m_discWatch.start();
    }
    Q_EMIT CDChanged();
}

void ctlDiskoloX::CloseCD()
{
    m_backend->stop();
    m_backend->close();
}

bool ctlDiskoloX::PlayFrom(qint32 ms)
{
    return note(m_backend->playFrom(ms));
}

bool ctlDiskoloX::OpenDoor()
{
    StopCD();
    return note(m_backend->openTray());
}

bool ctlDiskoloX::CloseDoor()
{
    return note(m_backend->closeTray());
}

qint16 ctlDiskoloX::CurrentTrack()
{
    CdToc toc;
    qint32 pos = 0;
    if (!readToc(toc) || !note(m_backend->position(pos)))
        return 0;
    for (int i = toc.trackCount() - 1; i >= 0; --i) {
        if (pos >= framesToMs(toc.starts.at(i)))
            return qint16(i + 1);
    }
    return 1; // before the first track, as a stopped drive reports
}

void ctlDiskoloX::setCurrentTrack(qint16 Position)
{
    PlayFrom(TrackPosOnCD(Position));
}

qint32 ctlDiskoloX::TrackPos()
{
    return CDPosition() - TrackPosOnCD(CurrentTrack());
}

void ctlDiskoloX::setTrackPos(qint32 Position)
{
    PlayFrom(TrackPosOnCD(CurrentTrack()) + Position);
}

qint32 ctlDiskoloX::TrackPosOnCD(qint16 Track)
{
    CdToc toc;
    if (!readToc(toc) || Track < 1 || Track > toc.trackCount())
        return 0;
    return framesToMs(toc.starts.at(Track - 1));
}

qint32 ctlDiskoloX::TrackLength(qint16 iIndex)
{
    CdToc toc;
    if (!readToc(toc) || iIndex < 1 || iIndex > toc.trackCount())
        return 0;
    const qint32 end = iIndex < toc.trackCount() ? toc.starts.at(iIndex) : toc.leadout;
    return framesToMs(end) - framesToMs(toc.starts.at(iIndex - 1));
}

qint16 ctlDiskoloX::TrackCount()
{
    CdToc toc;
    return readToc(toc) ? qint16(toc.trackCount()) : qint16(0);
}

qint32 ctlDiskoloX::CDLength()
{
    CdToc toc;
    if (!readToc(toc))
        return 0;
    return framesToMs(toc.leadout) - framesToMs(toc.starts.first());
}

qint32 ctlDiskoloX::CDPosition()
{
    qint32 pos = 0;
    return note(m_backend->position(pos)) ? pos : 0;
}

void ctlDiskoloX::setCDPosition(qint32 vNewValue)
{
    PlayFrom(vNewValue);
}

void ctlDiskoloX::PlayCD()
{
    note(m_backend->play());
}

bool ctlDiskoloX::PauseCD()
{
    return note(m_backend->pause());
}

bool ctlDiskoloX::StopCD()
{
    const bool ok = note(m_backend->stop());
    CloseCD();
    OpenCD();
    return ok;
}

void ctlDiskoloX::NextTrack()
{
    if (m_program == 2) {
        PlayRandomTrack();
        return;
    }
    if (CurrentTrack() == TrackCount())
        setCurrentTrack(1);
    else
        setCurrentTrack(qint16(CurrentTrack() + 1));
}

void ctlDiskoloX::PreviousTrack()
{
    if (m_program == 2) {
        PlayRandomTrack();
        return;
    }
    if (CurrentTrack() == 1)
        setCurrentTrack(TrackCount());
    else
        setCurrentTrack(qint16(CurrentTrack() - 1));
}

bool ctlDiskoloX::IsCDDrive(const QString& sDrive)
{
    return m_backend->isCdDrive(sDrive);
}

QString ctlDiskoloX::Status()
{
    CdBackend::Mode mode = CdBackend::Mode::NotReady;
    if (!note(m_backend->mode(mode)))
        return QString();
    switch (mode) {
    case CdBackend::Mode::NotReady:
        return QStringLiteral("not ready");
    case CdBackend::Mode::Open:
        return QStringLiteral("open");
    case CdBackend::Mode::Stopped:
        return QStringLiteral("stopped");
    case CdBackend::Mode::Playing:
        return QStringLiteral("playing");
    case CdBackend::Mode::Paused:
        return QStringLiteral("paused");
    }
    return QString();
}

// --- modes and watchers ---

void ctlDiskoloX::setRepeat(qint32 vNewValue)
{
    m_repeat = vNewValue;
    m_repeatTrack = CurrentTrack();
}

void ctlDiskoloX::setProgramMode(qint32 vNewValue)
{
    m_program = vNewValue;
    if (vNewValue == 2)
        m_played = QLatin1Char(',') + QString::number(CurrentTrack()) + QLatin1Char(',');
}

void ctlDiskoloX::timStatus_Timer()
{
    if (iniIdentity() != m_lastIdentity) {
        CloseCD();
        OpenCD();
        Q_EMIT CDChanged();
    } else if (CurrentTrack() != m_lastTrack) {
        Q_EMIT TrackChanged();
    } else if (TrackPos() != m_lastPosition) {
        Q_EMIT PosChanged();
    }
    m_lastIdentity = iniIdentity();
    m_lastTrack = CurrentTrack();
    m_lastPosition = TrackPos();
}

void ctlDiskoloX::timProgramWatcher_Timer()
{
    if (CurrentTrack() <= 0)
        return;
    if (m_repeat == 1) {
        // A repeat track the disc does not have (set with no disc, or held from another disc)
        // would restart the disc every tick: hold on to the track playing now instead.
        if (m_repeatTrack < 1 || m_repeatTrack > TrackCount())
            m_repeatTrack = CurrentTrack();
        const qint16 current = CurrentTrack();
        // At the end of the disc the position rests at the end of the last track: that is
        // its end too, so it starts again.
        if (current != m_repeatTrack || TrackPos() >= TrackLength(current))
            setCurrentTrack(m_repeatTrack);
    } else if (m_repeat == 2) {
        if (CurrentTrack() == TrackCount() && TrackPos() > TrackLength(CurrentTrack()) - DiscWrapMarginMs)
            setCurrentTrack(1);
    }
    if (m_program == 1) {
        if (TrackPos() > IntroMs) {
            // Past the last track the intro goes on with the first.
            const qint16 next = CurrentTrack() >= TrackCount() ? qint16(1) : qint16(CurrentTrack() + 1);
            setCurrentTrack(next);
        }
    } else if (m_program == 2) {
        if (TrackPos() > TrackLength(CurrentTrack()) - RandomMarginMs)
            PlayRandomTrack();
    }
}

void ctlDiskoloX::PlayRandomTrack()
{
    const qint16 count = TrackCount();
    if (count == 0)
        return;
    const auto played = [this](int n) {
        return m_played.contains(QLatin1Char(',') + QString::number(n) + QLatin1Char(','));
    };
    bool all = true;
    for (int n = 1; n <= count && all; ++n)
        all = played(n);
    if (all) {
        m_played = QStringLiteral(",1,");
        StopCD();
        PlayCD();
        return;
    }
    int n = 0;
    do {
        n = int(count * m_random.generateDouble()) + 1;
    } while (played(n));
    setCurrentTrack(qint16(n));
    if (m_played.isEmpty())
        m_played = QStringLiteral(",");
    m_played += QString::number(n) + QLatin1Char(',');
}

void ctlDiskoloX::discWatch_Timer()
{
    if (!m_backend->discArrived())
        return;
    CloseCD();
    OpenCD();
    // The status watch would otherwise take the new disc for a change and open it again.
    m_lastIdentity = iniIdentity();
    m_lastTrack = CurrentTrack();
    m_lastPosition = TrackPos();
}

// --- disc names ---

QString ctlDiskoloX::GetIniPath()
{
    return klang::programmPfad() + QStringLiteral("diskolo.ini");
}

QString ctlDiskoloX::iniIdentity()
{
    CdToc toc;
    if (!readToc(toc))
        return QString();
    return identityText(klang::cdaudio::discId(toc));
}

void ctlDiskoloX::InitTrackNames()
{
    m_names = initialNames(TrackCount());
}

QString ctlDiskoloX::iniTrackName(qint16 Index) const
{
    if (Index < 1 || Index > m_names.tracks.size())
        return QString();
    return m_names.tracks.at(Index - 1);
}

void ctlDiskoloX::setIniTrackName(qint16 Index, const QString& vNewValue)
{
    if (Index >= 1 && Index <= m_names.tracks.size())
        m_names.tracks[Index - 1] = vNewValue;
}

void ctlDiskoloX::LoadFromDiskoloIni()
{
    InitTrackNames();
    m_dbIdentity = iniIdentity();
    const QString path = GetIniPath();
    if (m_dbIdentity.isEmpty() || m_dbIdentity == QLatin1String("0") || !QFileInfo(path).isFile())
        return;
    // The whole file is searched, piece by piece: a disc's section may stand anywhere in a
    // file of ten thousand discs. What an unreadable file gave stays shown as the reset names.
    DiscNames read = m_names;
    if (readDiscFile(path, m_dbIdentity, read))
        m_names = read;
}

bool ctlDiskoloX::SaveToDiskoloIni()
{
    // Only the names of the disc in the drive are saved: with no disc (or another one) the
    // names held here are not that disc's, and its stored names must stay.
    const qint16 count = TrackCount();
    if (count == 0 || m_dbIdentity.isEmpty() || m_dbIdentity == QLatin1String("0")
        || iniIdentity() != m_dbIdentity) {
        m_saveError = QStringLiteral("Die CD, deren Namen gespeichert werden sollen, liegt nicht im Laufwerk.");
        return false;
    }
    m_saveError.clear();
    return saveDiscSection(GetIniPath(), m_dbIdentity, m_names, count, &m_saveError);
}

} // namespace diskolo
