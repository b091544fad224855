#include "tests/support/WavWriter.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <cmath>

namespace klang::test {

namespace {

void appendU32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void appendU16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

} // namespace

bool writeWav(const QString& filePath, const WavSpec& spec)
{
    if (spec.sampleRate <= 0 || spec.channels <= 0 || spec.seconds < 0)
        return false;
    const quint32 frames = quint32(std::llround(spec.seconds * spec.sampleRate));
    const quint16 blockAlign = quint16(spec.channels * 2);
    const quint32 dataBytes = frames * blockAlign;

    QByteArray out;
    out.reserve(int(44 + dataBytes));
    out.append("RIFF", 4);
    appendU32(out, 36 + dataBytes);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    appendU32(out, 16);
    appendU16(out, 1); // PCM
    appendU16(out, quint16(spec.channels));
    appendU32(out, quint32(spec.sampleRate));
    appendU32(out, quint32(spec.sampleRate) * blockAlign);
    appendU16(out, blockAlign);
    appendU16(out, 16);
    out.append("data", 4);
    appendU32(out, dataBytes);

    const double step = 2.0 * M_PI * spec.frequency / spec.sampleRate;
    for (quint32 i = 0; i < frames; ++i) {
        const qint16 sample = spec.frequency > 0
            ? qint16(std::lround(std::sin(step * i) * 8000.0))
            : qint16(0);
        for (int c = 0; c < spec.channels; ++c)
            appendU16(out, quint16(sample));
    }

    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(out) == out.size();
}

QString shortWav(const QString& folder, const QString& name, double seconds)
{
    const QString path = folder + QLatin1Char('/') + name;
    WavSpec spec;
    spec.seconds = seconds;
    spec.sampleRate = 22050;
    spec.channels = 1;
    if (!writeWav(path, spec))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace klang::test
