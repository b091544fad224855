#pragma once

// The player's three small routines around the device commands and the length of a track:
// open and play a file under an alias, stop and close the alias, measure a file.

#include "platform/media/MciDevice.h"

#include <QString>

namespace klang::media {

// The device that the programs' command strings go to (made on first use, owned by the
// application object).
MciDevice& sharedMciDevice();

// Opens the file under the alias and plays it from the start. Returns 0, or the error of the
// open (then nothing plays) or of the play. A file that does not exist sends no command.
int MciAbspielen(const QString& path, const QString& alias, MciDevice& device = sharedMciDevice());

// Stops and closes the alias; results are not examined, so an alias that is not open is
// harmless.
void MciStoppen(const QString& alias, MciDevice& device = sharedMciDevice());

// Playing time of the file in seconds with its fraction, -1 when it cannot be measured.
double LiedLaenge(const QString& path);

} // namespace klang::media
