#include "tests/support/FakeCdBackend.h"

namespace klang::test {

using klang::cdaudio::CdError;
using klang::cdaudio::framesToMs;

void FakeCdBackend::insertDisc(const QList<qint32>& trackMs)
{
    m_disc = {};
    qint32 sector = 0;
    for (const qint32 ms : trackMs) {
        m_disc.starts.append(sector);
        sector += klang::cdaudio::msToFrames(ms);
    }
    m_disc.leadout = sector;
    m_position = 0;
    m_mode = m_disc.isEmpty() ? Mode::NotReady : Mode::Stopped;
    m_discSeen = false;
}

QStringList FakeCdBackend::takeLog()
{
    QStringList out;
    out.swap(m_log);
    return out;
}

bool FakeCdBackend::result(CdError error)
{
    m_error = error;
    return error == CdError::None;
}

// Logs the command and tells whether a disc can be used.
bool FakeCdBackend::ready(const QString& command)
{
    if (!command.isEmpty())
        m_log << command;
    if (m_failing || !m_open)
        return result(CdError::NotOpen);
    return result(m_disc.isEmpty() ? CdError::NoDisc : CdError::None);
}

qint32 FakeCdBackend::endMs() const { return framesToMs(m_disc.leadout); }

void FakeCdBackend::advance(qint32 ms)
{
    if (m_mode != Mode::Playing)
        return;
    m_position = qMin(m_position + ms, endMs());
    if (m_position == endMs())
        m_mode = Mode::Stopped;
}

bool FakeCdBackend::open(const QString& device)
{
    m_log << QStringLiteral("open ") + device;
    if (m_failing || (!device.isEmpty() && !m_drives.contains(device)))
        return result(CdError::NoDevice);
    m_open = true;
    m_device = device;
    m_position = 0;
    m_mode = m_disc.isEmpty() ? Mode::NotReady : Mode::Stopped;
    m_discSeen = !m_disc.isEmpty();
    return result(CdError::None);
}

void FakeCdBackend::close()
{
    m_log << QStringLiteral("close");
    m_open = false;
}

bool FakeCdBackend::toc(klang::cdaudio::CdToc& out)
{
    if (!ready())
        return false;
    out = m_disc;
    return true;
}

bool FakeCdBackend::position(qint32& msOnDisc)
{
    if (!ready())
        return false;
    msOnDisc = m_position;
    return true;
}

bool FakeCdBackend::mode(Mode& out)
{
    if (m_failing || !m_open)
        return result(CdError::NotOpen);
    out = m_mode;
    return result(CdError::None);
}

bool FakeCdBackend::play()
{
    if (!ready(QStringLiteral("play")))
        return false;
    if (m_position >= endMs())
        m_position = 0;
    m_mode = Mode::Playing;
    return true;
}

bool FakeCdBackend::playFrom(qint32 msOnDisc)
{
    if (!ready(QStringLiteral("play from ") + QString::number(msOnDisc)))
        return false;
    if (msOnDisc < 0 || msOnDisc >= endMs())
        return result(CdError::OutOfRange);
    m_position = msOnDisc;
    m_mode = Mode::Playing;
    return true;
}

bool FakeCdBackend::pause()
{
    if (!ready(QStringLiteral("pause")))
        return false;
    if (m_mode == Mode::Playing)
        m_mode = Mode::Paused;
    return true;
}

bool FakeCdBackend::stop()
{
    if (!ready(QStringLiteral("stop")))
        return false;
    m_mode = Mode::Stopped;
    return true;
}

bool FakeCdBackend::openTray()
{
    m_log << QStringLiteral("door open");
    if (m_failing || !m_trayWorks)
        return result(CdError::NotSupported);
    removeDisc();
    m_mode = Mode::Open;
    return result(CdError::None);
}

bool FakeCdBackend::closeTray()
{
    m_log << QStringLiteral("door closed");
    if (m_failing || !m_trayWorks)
        return result(CdError::NotSupported);
    if (m_mode == Mode::Open)
        m_mode = Mode::NotReady;
    return result(CdError::None);
}

bool FakeCdBackend::discArrived()
{
    if (m_failing || !m_open || m_disc.isEmpty() || m_discSeen)
        return false;
    m_discSeen = true;
    return true;
}

} // namespace klang::test
