#include "player/auxiliary/clsCPULoad.h"

#include <QFile>
#include <QStringList>

namespace klang::player {

clsCPULoad::clsCPULoad()
{
    setStackSize(1);
}

void clsCPULoad::setStackSize(int size)
{
    m_samples = QVector<int>(qMax(1, size), 0);
    m_count = 0;
    m_next = 0;
}

int clsCPULoad::messen(const QString& statText)
{
    QString text = statText;
    if (text.isNull()) {
        QFile f(QStringLiteral("/proc/stat"));
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        text = QString::fromLatin1(f.readLine());
    }
    const QString zeile = text.section(QLatin1Char('\n'), 0, 0);
    const QStringList teile = zeile.simplified().split(QLatin1Char(' '));
    if (teile.size() < 5 || teile.first() != QLatin1String("cpu"))
        return 0;
    quint64 total = 0;
    quint64 idle = 0;
    for (int i = 1; i < teile.size(); ++i) {
        const quint64 v = teile.at(i).toULongLong();
        total += v;
        if (i == 4 || i == 5) // idle and iowait
            idle += v;
    }
    int last = 0;
    if (m_haveLast && total > m_lastTotal) {
        const quint64 dt = total - m_lastTotal;
        const quint64 di = idle >= m_lastIdle ? idle - m_lastIdle : 0;
        last = static_cast<int>(qBound(qint64(0), qint64((dt - qMin(di, dt)) * 100 / dt), qint64(100)));
    }
    m_lastTotal = total;
    m_lastIdle = idle;
    const bool erste = !m_haveLast;
    m_haveLast = true;
    if (erste)
        return 0;
    m_samples[m_next] = last;
    m_next = (m_next + 1) % m_samples.size();
    if (m_count < m_samples.size())
        ++m_count;
    int summe = 0;
    for (int i = 0; i < m_count; ++i)
        summe += m_samples.at(i);
    return m_count ? summe / m_count : 0;
}

} // namespace klang::player
