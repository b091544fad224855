#pragma once

// Processor load, averaged over the last StackSize readings of /proc/stat.

#include <QString>
#include <QVector>
#include <QtGlobal>

namespace klang::player {

class clsCPULoad
{
public:
    clsCPULoad();

    int StackSize() const { return m_samples.size(); }
    // Resizes the samples to indexes 0 .. size-1 and resets the count.
    void setStackSize(int size);
    int sampleCount() const { return m_count; }

    // Takes one reading of /proc/stat (or of statText when given, for tests) and returns the
    // average load in percent over the samples taken so far; 0 for the first reading.
    int messen(const QString& statText = QString());

private:
    QVector<int> m_samples;
    int m_count = 0;
    int m_next = 0;
    quint64 m_lastTotal = 0;
    quint64 m_lastIdle = 0;
    bool m_haveLast = false;
};

} // namespace klang::player
