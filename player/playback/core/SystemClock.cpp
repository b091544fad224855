#include "player/playback/core/PlayerInterfaces.h"

#include <QElapsedTimer>
#include <QTimer>

namespace klang::player {

namespace {

class QtTimer : public ITimer
{
public:
    QtTimer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { fire(); });
    }
    void start(int intervalMs) override { m_timer.start(qMax(0, intervalMs)); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

struct SystemClock::Private
{
    QElapsedTimer elapsed;
};

SystemClock::SystemClock()
    : d(std::make_unique<Private>())
{
    d->elapsed.start();
}

SystemClock::~SystemClock() = default;

qint64 SystemClock::nowMs() const
{
    return d->elapsed.elapsed();
}

std::unique_ptr<ITimer> SystemClock::createTimer()
{
    return std::make_unique<QtTimer>();
}

} // namespace klang::player
