#include "player/auxiliary/clsCPULoad.h"

#include <QFile>
#include <QStringList>

#include <cmath>

namespace klang::player {

namespace {

// Total and idle (idle + iowait) jiffies of the aggregate "cpu" line: all processors together.
bool cpuZeile(const QString& text, quint64& total, quint64& idle)
{
    const QStringList teile = text.section(QLatin1Char('\n'), 0, 0).simplified().split(QLatin1Char(' '));
    if (teile.size() < 5 || teile.first() != QLatin1String("cpu"))
        return false;
    total = 0;
    idle = 0;
    // guest and guest_nice (fields 9 and 10) are already counted in user and nice.
    for (int i = 1; i < teile.size() && i <= 8; ++i) {
        bool ok = false;
        const quint64 v = teile.at(i).toULongLong(&ok);
        if (!ok)
            return false;
        total += v;
        if (i == 4 || i == 5)
            idle += v;
    }
    return true;
}

QString dateiText(const QString& pfad, bool ersteZeile)
{
    QFile f(pfad);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(ersteZeile ? f.readLine() : f.readAll());
}

} // namespace

clsCPULoad::clsCPULoad()
{
    setStackSize(5);
}

void clsCPULoad::setStackSize(int size)
{
    m_samples = QVector<int>(qMax(1, size), 0);
    m_count = 0;
    m_sum = 0;
}

int clsCPULoad::AddLoadSample(int sample)
{
    const int top = m_samples.size() - 1;
    if (m_count > top) {
        m_sum = m_sum - m_samples.at(0) + sample;
        m_samples.remove(0);
        m_samples.append(sample);
    } else {
        m_samples[m_count] = sample;
        m_sum += sample;
        ++m_count;
    }
    return static_cast<int>(std::nearbyint(static_cast<double>(m_sum) / m_count));
}

int clsCPULoad::messen(const QString& statText)
{
    const QString text = statText.isNull() ? dateiText(QStringLiteral("/proc/stat"), true) : statText;
    quint64 total = 0;
    quint64 idle = 0;
    if (!cpuZeile(text, total, idle))
        return 0;
    const bool erste = !m_haveLast;
    const quint64 altTotal = m_lastTotal;
    const quint64 altIdle = m_lastIdle;
    m_lastTotal = total;
    m_lastIdle = idle;
    m_haveLast = true;
    if (erste || total <= altTotal)
        return 0;
    const quint64 dt = total - altTotal;
    const quint64 di = idle >= altIdle ? qMin(idle - altIdle, dt) : 0;
    return AddLoadSample(static_cast<int>(std::lround(100.0 * static_cast<double>(dt - di) / static_cast<double>(dt))));
}

int speicherLast(const QString& meminfoText)
{
    const QString text = meminfoText.isNull() ? dateiText(QStringLiteral("/proc/meminfo"), false) : meminfoText;
    qint64 gesamt = -1;
    qint64 frei = -1;
    for (const QString& zeile : text.split(QLatin1Char('\n'))) {
        const QStringList teile = zeile.simplified().split(QLatin1Char(' '));
        if (teile.size() < 2)
            continue;
        if (teile.at(0) == QLatin1String("MemTotal:"))
            gesamt = teile.at(1).toLongLong();
        else if (teile.at(0) == QLatin1String("MemAvailable:"))
            frei = teile.at(1).toLongLong();
    }
    if (gesamt <= 0 || frei < 0 || frei > gesamt)
        return 0;
    return static_cast<int>(std::lround(100.0 * static_cast<double>(gesamt - frei) / static_cast<double>(gesamt)));
}

} // namespace klang::player
