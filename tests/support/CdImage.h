#pragma once

// Writes audio CD images for tests and benchmarks: a .bin of 16-bit stereo 44.1 kHz PCM
// (little-endian, as rippers write it) and a .cue naming it, one sine tone per track.

#include <QList>
#include <QString>

namespace klang::test {

struct CdImageTrack
{
    double seconds = 2.0;     // rounded to whole sectors (1/75 s)
    double frequency = 440.0; // 0 gives silence
};

// Writes <folder>/<name>.bin and <folder>/<name>.cue. Returns the .cue path, or "" when a file
// cannot be written.
QString writeCdImage(const QString& folder, const QString& name, const QList<CdImageTrack>& tracks);

// Five tones of different pitch and the given lengths (default 12, 15, 8, 20 and 11 s: long
// enough for the ten-second intro mode).
QString fiveTrackImage(const QString& folder, const QString& name = QStringLiteral("disc"),
                       const QList<double>& seconds = {12.0, 15.0, 8.0, 20.0, 11.0});

} // namespace klang::test
