#include "tests/support/FakeCdBackend.h"

namespace klang::test {

using klang::cdaudio::CdError;
using klang::cdaudio::CdToc;
using klang::cdaudio::framesToMs;
using klang::cdaudio::msToFrames;

FakeCdBackend::FakeCdBackend() = default;

CdToc FakeCdBackend::tocOf(const QList<qint32>& trackMs)
{
    CdToc toc;
    qint32 sector = 0;
    for (const qint32 ms : trackMs) {
        toc.starts.append(sector);
        sector += msToFrames(ms);
    }
    toc.leadout = sector;
    return toc;
}

void FakeCdBackend::insertDisc(const QList<qint32>& trackMs)
{
    m_disc = tocOf(trackMs);
    m_position = 0;
    m_mode = m_disc.isEmpty() ? Mode::NotReady : Mode::Stopped;
}

void FakeCdBackend::removeDisc()
{
    m_disc = CdToc();
    m_position = 0;
    m_mode = Mode::NotReady;
    m_discSeen = false;
}

QStringList FakeCdBackend::takeLog()
{
    QStringList out;
    out.swap(m_log);
    return out;
}

bool FakeCdBackend::fail(CdError error)
{
    m_error = error;
    return false;
}

bool FakeCdBackend::ok()
{
    m_error = CdError::None;
    return true;
}

bool FakeCdBackend::ready()
{
    if (m_failing || !m_open)
        return fail(CdError::NotOpen);
    if (m_disc.isEmpty())
        return fail(CdError::NoDisc);
    return true;
}

qint32 FakeCdBackend::endMs() const { return framesToMs(m_disc.leadout); }
qint32 FakeCdBackend::firstMs() const { return m_disc.isEmpty() ? 0 : framesToMs(m_disc.starts.first()); }

void FakeCdBackend::advance(qint32 ms)
{
    if (m_mode != Mode::Playing)
        return;
    m_position += ms;
    if (m_position >= endMs()) {
        m_position = endMs();
        m_mode = Mode::Stopped;
    }
}

bool FakeCdBackend::open(const QString& device)
{
    m_log << QStringLiteral("open ") + device;
    if (m_failing || (!device.isEmpty() && !m_drives.contains(device)))
        return fail(CdError::NoDevice);
    m_open = true;
    m_device = device;
    m_position = firstMs();
    m_mode = m_disc.isEmpty() ? Mode::NotReady : Mode::Stopped;
    m_discSeen = !m_disc.isEmpty();
    return ok();
}

void FakeCdBackend::close()
{
    m_log << QStringLiteral("close");
    m_open = false;
}

bool FakeCdBackend::toc(CdToc& out)
{
    if (!ready())
        return false;
    out = m_disc;
    return ok();
}

bool FakeCdBackend::position(qint32& msOnDisc)
{
    if (!ready())
        return false;
    msOnDisc = m_position;
    return ok();
}

bool FakeCdBackend::mode(Mode& out)
{
    if (m_failing || !m_open)
        return fail(CdError::NotOpen);
    out = m_mode;
    return ok();
}

bool FakeCdBackend::play()
{
    m_log << QStringLiteral("play");
    if (!ready())
        return false;
    if (m_position >= endMs())
        m_position = firstMs();
    m_mode = Mode::Playing;
    return ok();
}

bool FakeCdBackend::playFrom(qint32 msOnDisc)
{
    m_log << QStringLiteral("play from ") + QString::number(msOnDisc);
    if (!ready())
        return false;
    if (msOnDisc < 0 || msOnDisc >= endMs())
        return fail(CdError::OutOfRange);
    m_position = qMax(msOnDisc, firstMs());
    m_mode = Mode::Playing;
    return ok();
}

bool FakeCdBackend::pause()
{
    m_log << QStringLiteral("pause");
    if (!ready())
        return false;
    if (m_mode == Mode::Playing)
        m_mode = Mode::Paused;
    return ok();
}

bool FakeCdBackend::stop()
{
    m_log << QStringLiteral("stop");
    if (!ready())
        return false;
    m_mode = Mode::Stopped;
    return ok();
}

bool FakeCdBackend::openTray()
{
    m_log << QStringLiteral("door open");
    if (m_failing || !m_trayWorks)
        return fail(CdError::NotSupported);
    removeDisc();
    m_mode = Mode::Open;
    return ok();
}

bool FakeCdBackend::closeTray()
{
    m_log << QStringLiteral("door closed");
    if (m_failing || !m_trayWorks)
        return fail(CdError::NotSupported);
    if (m_mode == Mode::Open)
        m_mode = Mode::NotReady;
    return ok();
}

bool FakeCdBackend::discArrived()
{
    if (m_failing || !m_open || m_disc.isEmpty() || m_discSeen)
        return false;
    m_discSeen = true;
    return true;
}

} // namespace klang::test
