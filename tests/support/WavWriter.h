#pragma once

// Writes short PCM WAV files for playback and track length tests: a sine tone or silence of
// a given length, sample rate and channel count, 16 bits per sample.

#include <QString>

namespace klang::test {

struct WavSpec
{
    double seconds = 0.5;
    int sampleRate = 44100;
    int channels = 2;
    double frequency = 440.0; // 0 gives silence
};

// Returns false when the file cannot be written. An existing file is replaced.
bool writeWav(const QString& filePath, const WavSpec& spec = WavSpec());

// A short mono 22050 Hz tone in a folder, for playback tests; aborts the test program when
// the file cannot be written (nothing after it could be trusted). Returns the path.
QString shortWav(const QString& folder, const QString& name, double seconds);

} // namespace klang::test
