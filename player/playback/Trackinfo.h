#pragma once

// The text of the track information: name, length and every attribute of a medium.

#include "platform/media/MediaPlayerControl.h"

namespace klang::player {

// "Name = ...", "Länge = ... Min.", an empty line, then "i - name = value" per attribute,
// each line ended by CR LF.
QString trackInfoText(const klang::media::MediaInfo& medium);

} // namespace klang::player
