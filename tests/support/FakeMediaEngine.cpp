#include "tests/support/FakeMediaEngine.h"

namespace klang::test {

using klang::media::EndReason;
using klang::media::PlayState;

FakeMediaEngine::FakeMediaEngine(QObject* parent)
    : MediaEngine(parent)
{
}

void FakeMediaEngine::setState(PlayState state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

bool FakeMediaEngine::open(const QString& pathOrUrl, bool startPaused)
{
    m_commands << QStringLiteral("open ") + pathOrUrl;
    m_loaded = false;
    m_position = 0.0;
    m_errorText.clear();
    if (pathOrUrl.isEmpty() || m_refused.contains(pathOrUrl)) {
        m_source.clear();
        m_errorText = QStringLiteral("Datei nicht gefunden");
        setState(PlayState::Stopped);
        return false;
    }
    m_source = pathOrUrl;
    m_startPaused = startPaused;
    setState(PlayState::Transitioning);
    if (!m_deferLoad)
        completeLoad();
    return true;
}

void FakeMediaEngine::completeLoad()
{
    if (m_source.isEmpty() || m_loaded)
        return;
    m_loaded = true;
    Q_EMIT loaded();
    Q_EMIT durationChanged(m_duration);
    setState(m_startPaused ? PlayState::Paused : PlayState::Playing);
}

void FakeMediaEngine::play()
{
    m_commands << QStringLiteral("play");
    if (m_loaded && m_state == PlayState::Paused) {
        setState(PlayState::Playing);
    } else if (!m_loaded && !m_source.isEmpty()) {
        m_startPaused = false;
        m_position = 0.0;
        setState(PlayState::Transitioning);
        if (!m_deferLoad)
            completeLoad();
    }
}

void FakeMediaEngine::pause()
{
    m_commands << QStringLiteral("pause");
    if (m_loaded && m_state == PlayState::Playing)
        setState(PlayState::Paused);
    else if (!m_loaded)
        m_startPaused = true;
}

void FakeMediaEngine::stop()
{
    m_commands << QStringLiteral("stop");
    m_loaded = false;
    m_position = 0.0;
    if (!m_source.isEmpty())
        setState(PlayState::Stopped);
}

void FakeMediaEngine::close()
{
    m_commands << QStringLiteral("close");
    const bool had = !m_source.isEmpty();
    m_loaded = false;
    m_position = 0.0;
    m_source.clear();
    if (had)
        setState(PlayState::Stopped);
}

void FakeMediaEngine::setPosition(double seconds)
{
    m_commands << QStringLiteral("seek ") + QString::number(seconds);
    m_position = qMax(0.0, seconds);
}

void FakeMediaEngine::finish()
{
    if (m_source.isEmpty())
        return;
    m_loaded = false;
    m_position = 0.0;
    setState(PlayState::MediaEnded);
    setState(PlayState::Stopped);
    Q_EMIT endOfFile(EndReason::Finished);
}

void FakeMediaEngine::fail(const QString& text)
{
    m_loaded = false;
    m_position = 0.0;
    m_errorText = text;
    setState(PlayState::Stopped);
    Q_EMIT errorOccurred(text);
    Q_EMIT endOfFile(EndReason::Error);
}

void FakeMediaEngine::advance(double seconds)
{
    if (m_loaded && m_state == PlayState::Playing)
        m_position += seconds;
}

} // namespace klang::test
