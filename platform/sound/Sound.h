#pragma once

// Short feedback sounds (the message box's icons, the about box): played without waiting,
// silently skipped when the file or an audio device is missing. Never reports an error.

#include <QString>

namespace klang {

// Starts playing a sound file and returns at once. A new call stops the previous sound.
void playSoundAsync(const QString& filePath);
// Stops the sound started by playSoundAsync, if any.
void stopSound();

// Tests read what would have been played (the last file name handed to playSoundAsync,
// whether or not it could be played).
QString lastSoundRequested();

} // namespace klang
