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

} // namespace klang::test
