#include "platform/cdaudio/CdioBackend.h"

#include "platform/media/MpvEngine.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QtConcurrent/QtConcurrentRun>

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <cmath>

namespace klang::cdaudio {

namespace {

// While an image is opened on the window's thread, libcdio's words about it are collected:
// they name the line of a .cue it could not read.
thread_local QStringList* t_collected = nullptr;

// libcdio writes its warnings (a drive without a disc, an unknown image) to stderr; the
// caller learns of failures through the results, so they only clutter the terminal.
void quietLog(cdio_log_level_t level, const char* message)
{
    if (t_collected && level >= CDIO_LOG_INFO && t_collected->size() < 20)
        t_collected->append(QString::fromLocal8Bit(message));
    if (level >= CDIO_LOG_ASSERT)
        qWarning("libcdio: %s", message);
}

void quietOnce()
{
    static const bool done = [] {
        cdio_log_set_handler(&quietLog);
        // The cue reader reports an unknown line as information only.
        cdio_loglevel_default = CDIO_LOG_INFO;
        return true;
    }();
    Q_UNUSED(done);
}

// The line of the image libcdio stumbled over, in German; empty when it named none.
QString imageFault(const QString& image, const QStringList& said)
{
    static const QRegularExpression line(QStringLiteral(R"(line (\d+):)"));
    static const QRegularExpression missing(QStringLiteral("could not retrieve file info for [`'\"](.+)['\"]"));
    const QString name = QFileInfo(image).fileName();
    for (const QString& text : said) {
        const auto m = line.match(text);
        if (m.hasMatch()) {
            const int number = m.captured(1).toInt();
            QString content;
            QFile file(image);
            if (number > 0 && file.open(QIODevice::ReadOnly)) {
                // Only as far as that line, and only a line's worth of it.
                for (int i = 1; i <= number && !file.atEnd(); ++i) {
                    const QByteArray bytes = file.readLine(4096);
                    if (i == number)
                        content = QString::fromUtf8(bytes).trimmed().left(80);
                }
            }
            return content.isEmpty()
                ? QStringLiteral("„%1“ ist in Zeile %2 nicht lesbar.").arg(name).arg(number)
                : QStringLiteral("„%1“, Zeile %2 unbekannt: „%3“").arg(name).arg(number).arg(content);
        }
        const auto gone = missing.match(text);
        if (gone.hasMatch())
            return QStringLiteral("Die Datei „%1“ aus „%2“ fehlt.").arg(QFileInfo(gone.captured(1)).fileName(), name);
    }
    return QStringLiteral("„%1“ ist kein lesbares CD-Abbild.").arg(name);
}

bool isImagePath(const QString& device)
{
    const QString lower = device.toLower();
    return lower.endsWith(QLatin1String(".cue")) || lower.endsWith(QLatin1String(".toc"))
        || lower.endsWith(QLatin1String(".nrg"));
}

} // namespace

CdioBackend::CdioBackend(std::unique_ptr<media::MediaEngine> engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine ? std::move(engine) : std::make_unique<media::MpvEngine>())
{
    quietOnce();
    connect(m_engine.get(), &media::MediaEngine::endOfFile, this, [this](media::EndReason reason) {
        // At the end the disc stays at its last sector, as a drive does; an error leaves the
        // position where it was.
        if (reason == media::EndReason::Finished) {
            m_ended = true;
            m_stoppedAt = endMs();
        }
    });
}

CdioBackend::~CdioBackend()
{
    close();
}

bool CdioBackend::fail(CdError error)
{
    m_error = error;
    return false;
}

bool CdioBackend::ok()
{
    m_error = CdError::None;
    return true;
}

QString CdioBackend::defaultDevice() const
{
    if (!m_defaultDevice.isEmpty())
        return m_defaultDevice;
    char* name = cdio_get_default_device(nullptr);
    const QString device = name ? QString::fromLocal8Bit(name) : QString();
    cdio_free(name);
    return device;
}

QStringList CdioBackend::drives()
{
    QStringList list;
    QStringList seen; // "/dev/cdrom" and "/dev/sr0" are often one drive
    char** names = cdio_get_devices(DRIVER_DEVICE);
    for (char** p = names; p && *p; ++p) {
        const QString name = QString::fromLocal8Bit(*p);
        const QString real = QFileInfo(name).canonicalFilePath();
        if (seen.contains(real.isEmpty() ? name : real))
            continue;
        seen.append(real.isEmpty() ? name : real);
        list.append(name);
    }
    cdio_free_device_list(names);
    return list;
}

bool CdioBackend::isCdDrive(const QString& drive)
{
    if (drive.isEmpty() || isImagePath(drive))
        return false;
    return cdio_is_device(QFile::encodeName(drive).constData(), DRIVER_DEVICE);
}

bool CdioBackend::open(const QString& device)
{
    close();
    m_requested = device;
    const QString name = device.isEmpty() ? defaultDevice() : device;
    if (name.isEmpty())
        return fail(CdError::NoDevice);
    m_isImage = isImagePath(name);
    m_detail.clear();
    if (m_isImage && !QFileInfo(name).isFile()) {
        m_detail = QStringLiteral("Das CD-Abbild „%1“ fehlt.").arg(name);
        return fail(CdError::NoDevice);
    }
    QStringList said;
    t_collected = m_isImage ? &said : nullptr;
    m_cdio = cdio_open(QFile::encodeName(name).constData(), DRIVER_UNKNOWN);
    t_collected = nullptr;
    if (!m_cdio) {
        if (m_isImage)
            m_detail = imageFault(name, said);
        return fail(CdError::NoDevice);
    }
    m_device = name;
    readToc();
    m_stoppedAt = firstMs();
    m_ended = false;
    if (!m_isImage)
        cdio_get_media_changed(m_cdio); // clears the drive's flag: count changes from now on
    return ok();
}

void CdioBackend::close()
{
    m_engine->close();
    if (m_cdio)
        cdio_destroy(m_cdio);
    m_cdio = nullptr;
    m_device.clear();
    m_toc = CdToc();
    m_stoppedAt = 0;
    m_ended = false;
}

void CdioBackend::readToc()
{
    m_toc = CdToc();
    if (!m_cdio)
        return;
    const track_t first = cdio_get_first_track_num(m_cdio);
    const track_t count = cdio_get_num_tracks(m_cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0)
        return;
    CdToc toc;
    toc.firstTrack = first;
    for (int t = first; t < first + count; ++t) {
        const lsn_t start = cdio_get_track_lsn(m_cdio, track_t(t));
        if (start == CDIO_INVALID_LSN || (!toc.starts.isEmpty() && start < toc.starts.last()))
            return; // a damaged table: treat as no disc rather than play nonsense
        toc.starts.append(start);
    }
    const lsn_t leadout = cdio_get_track_lsn(m_cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (leadout == CDIO_INVALID_LSN || leadout <= toc.starts.last())
        return;
    toc.leadout = leadout;
    m_toc = toc;
}

bool CdioBackend::refreshIfChanged()
{
    if (!m_cdio)
        return false;
    // The watch timers ask many times a second; the drive is asked at most twice.
    if (m_isImage || (m_changeCheck.isValid() && m_changeCheck.elapsed() < 500))
        return true;
    m_changeCheck.start();
    // A disc coming into an empty drive is left to discArrived(), which waits for it off this
    // thread; a disc going away is seen here (an empty drive answers at once).
    if (!m_toc.isEmpty() && cdio_get_media_changed(m_cdio) == 1) {
        // Another disc (or none): what played belongs to the old one.
        if (engineHoldsDisc())
            m_engine->close();
        cdio_destroy(m_cdio);
        m_cdio = cdio_open(QFile::encodeName(m_device).constData(), DRIVER_UNKNOWN);
        readToc();
        m_stoppedAt = firstMs();
        m_ended = false;
        if (m_cdio)
            cdio_get_media_changed(m_cdio);
    }
    return true;
}

bool CdioBackend::toc(CdToc& out)
{
    if (!refreshIfChanged())
        return fail(CdError::NotOpen);
    if (m_toc.isEmpty())
        return fail(CdError::NoDisc);
    out = m_toc;
    return ok();
}

bool CdioBackend::engineHoldsDisc() const
{
    switch (m_engine->state()) {
    case media::PlayState::Playing:
    case media::PlayState::Paused:
    case media::PlayState::Transitioning:
    case media::PlayState::Buffering:
        return true;
    default:
        return false;
    }
}

qint32 CdioBackend::firstMs() const
{
    return m_toc.isEmpty() ? 0 : framesToMs(m_toc.starts.first());
}

qint32 CdioBackend::endMs() const
{
    return m_toc.isEmpty() ? 0 : framesToMs(m_toc.leadout);
}

bool CdioBackend::position(qint32& msOnDisc)
{
    if (!m_cdio)
        return fail(CdError::NotOpen);
    if (m_toc.isEmpty())
        return fail(CdError::NoDisc);
    if (engineHoldsDisc()) {
        const double seconds = m_engine->position();
        const qint64 ms = std::isfinite(seconds) ? qint64(std::llround(seconds * 1000.0)) : 0;
        msOnDisc = qint32(qBound(qint64(firstMs()), firstMs() + ms, qint64(endMs())));
    } else {
        msOnDisc = m_stoppedAt;
    }
    return ok();
}

bool CdioBackend::mode(Mode& out)
{
    if (!m_cdio)
        return fail(CdError::NotOpen);
    if (m_toc.isEmpty()) {
        out = Mode::NotReady;
        return ok();
    }
    switch (m_engine->state()) {
    case media::PlayState::Playing:
    case media::PlayState::Transitioning:
    case media::PlayState::Buffering:
        out = Mode::Playing;
        break;
    case media::PlayState::Paused:
        out = Mode::Paused;
        break;
    default:
        out = Mode::Stopped;
        break;
    }
    return ok();
}

bool CdioBackend::startEngine(qint32 msOnDisc)
{
    m_ended = false;
    const double seconds = (msOnDisc - firstMs()) / 1000.0;
    if (engineHoldsDisc()) {
        m_engine->setPosition(seconds);
        m_engine->play();
        return ok();
    }
    // mpv's cdda stream takes the device (drive or .cue image) after the scheme.
    if (!m_engine->open(QStringLiteral("cdda://") + m_device))
        return fail(CdError::PlaybackFailed);
    if (seconds > 0)
        m_engine->setPosition(seconds);
    return ok();
}

bool CdioBackend::play()
{
    if (!m_cdio)
        return fail(CdError::NotOpen);
    if (m_toc.isEmpty())
        return fail(CdError::NoDisc);
    if (engineHoldsDisc()) {
        m_engine->play();
        return ok();
    }
    // At the end of the disc "play" starts it again from the top.
    const qint32 from = m_ended || m_stoppedAt >= endMs() ? firstMs() : m_stoppedAt;
    return startEngine(from);
}

bool CdioBackend::playFrom(qint32 msOnDisc)
{
    if (!m_cdio)
        return fail(CdError::NotOpen);
    if (m_toc.isEmpty())
        return fail(CdError::NoDisc);
    if (msOnDisc >= endMs() || msOnDisc < 0)
        return fail(CdError::OutOfRange);
    return startEngine(qMax(msOnDisc, firstMs()));
}

bool CdioBackend::pause()
{
    if (!m_cdio)
        return fail(CdError::NotOpen);
    if (m_toc.isEmpty())
        return fail(CdError::NoDisc);
    if (engineHoldsDisc())
        m_engine->pause();
    return ok();
}

bool CdioBackend::stop()
{
    if (!m_cdio)
        return fail(CdError::NotOpen);
    if (m_toc.isEmpty())
        return fail(CdError::NoDisc);
    if (engineHoldsDisc()) {
        qint32 at = firstMs();
        position(at);
        m_engine->stop();
        m_stoppedAt = at;
    }
    return ok();
}

bool CdioBackend::openTray()
{
    const QString device = m_device.isEmpty() ? defaultDevice() : m_device;
    if (device.isEmpty())
        return fail(CdError::NoDevice);
    if (isImagePath(device))
        return fail(CdError::NotSupported);
    // The drive must not be held by the sound while the tray moves.
    if (engineHoldsDisc())
        m_engine->close();
    const QByteArray name = QFile::encodeName(device);
    if (cdio_eject_media_drive(name.constData()) != DRIVER_OP_SUCCESS)
        return fail(CdError::TrayFailed);
    return ok();
}

bool CdioBackend::closeTray()
{
    const QString device = m_device.isEmpty() ? defaultDevice() : m_device;
    if (device.isEmpty())
        return fail(CdError::NoDevice);
    if (isImagePath(device))
        return fail(CdError::NotSupported);
    driver_id_t driver = DRIVER_DEVICE;
    const QByteArray name = QFile::encodeName(device);
    if (cdio_close_tray(name.constData(), &driver) != DRIVER_OP_SUCCESS)
        return fail(CdError::TrayFailed);
    return ok();
}

bool CdioBackend::discArrived()
{
    if (m_cdio && !m_toc.isEmpty())
        return true;
    if (m_cdio && m_isImage)
        return false; // an image does not change
    // A drive that is just taking a disc can hold the table of contents back for seconds while
    // it spins up: look in the background, and open on the window's thread only once a disc
    // answers (by then the drive is ready and answers at once).
    if (m_probe.isRunning())
        return false;
    if (m_probe.isValid() && m_probe.isFinished()) {
        const bool found = m_probe.result();
        m_probe = QFuture<bool>();
        if (found) {
            open(m_requested);
            return m_cdio && !m_toc.isEmpty();
        }
    }
    const QByteArray device = QFile::encodeName(m_requested.isEmpty() ? defaultDevice() : m_requested);
    if (device.isEmpty())
        return false;
    m_probe = QtConcurrent::run([device] {
        CdIo_t* cdio = cdio_open(device.constData(), DRIVER_UNKNOWN);
        if (!cdio)
            return false;
        const track_t count = cdio_get_num_tracks(cdio);
        cdio_destroy(cdio);
        return count != CDIO_INVALID_TRACK && count > 0;
    });
    return false;
}

} // namespace klang::cdaudio
