#pragma once

// How long this thread's event loop stayed away (a window standing still): a timer fires
// every 5 ms from construction on and notes the longest gap between its turns.

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace klang::test {

class Ereignissonde
{
public:
    Ereignissonde()
    {
        m_takt.setInterval(5);
        QObject::connect(&m_takt, &QTimer::timeout, [this] { notieren(); });
        m_uhr.start();
        m_takt.start();
    }
    // Since construction.
    double laufzeitMs() const { return double(m_uhr.nsecsElapsed()) / 1e6; }
    // The longest gap so far, the time since the last turn counted.
    double laengsteLueckeMs()
    {
        notieren();
        return double(m_luecke) / 1e6;
    }
    // The time until the first turn (a window being built before it first shows), and the
    // longest gap after it.
    double ersteLueckeMs() const { return double(m_erste) / 1e6; }
    double laengsteNachDerErstenMs()
    {
        notieren();
        return double(m_danach) / 1e6;
    }

private:
    void notieren()
    {
        const qint64 jetzt = m_uhr.nsecsElapsed();
        m_luecke = std::max(m_luecke, jetzt - m_zuletzt);
        if (m_erste < 0)
            m_erste = jetzt;
        else
            m_danach = std::max(m_danach, jetzt - m_zuletzt);
        m_zuletzt = jetzt;
    }
    QTimer m_takt;
    QElapsedTimer m_uhr;
    qint64 m_zuletzt = 0;
    qint64 m_luecke = 0;
    qint64 m_erste = -1;
    qint64 m_danach = 0;
};

} // namespace klang::test
