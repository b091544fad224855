#pragma once

// Processor load, averaged over the last StackSize readings of /proc/stat, and memory load from
// /proc/meminfo.

#include <QString>
#include <QVector>
#include <QtGlobal>

namespace klang::player {

class clsCPULoad
{
public:
    clsCPULoad();

    int StackSize() const { return m_samples.size(); }
    // Resizes the ring and empties it; sizes below 1 count as 1.
    void setStackSize(int size);
    int sampleCount() const { return m_count; }

    // Takes one reading of /proc/stat and returns the moving average in percent.
    int Value() { return messen(); }
    // The same on a given /proc/stat text (tests). The first reading only sets the base: it
    // returns 0 and stores no sample.
    int messen(const QString& statText = QString());
    // Adds one sample and returns the average, a half rounded to the even neighbour.
    int AddLoadSample(int sample);

private:
    QVector<int> m_samples; // oldest first
    int m_count = 0;
    qint64 m_sum = 0;
    quint64 m_lastTotal = 0;
    quint64 m_lastIdle = 0;
    bool m_haveLast = false;
};

// Memory in use in percent (MemTotal - MemAvailable) of /proc/meminfo, or of the given text;
// 0 when it cannot be read.
int speicherLast(const QString& meminfoText = QString());

} // namespace klang::player
