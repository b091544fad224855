#pragma once

// The step to the previous or next track that the mini player and the video window make.
// Unlike the main window's buttons they ignore the play-mode boxes: in the track list every
// entry counts; in the playlist only checked items count, except at the wrap from the first
// item to the last and back, which takes that item whatever its check box says.

#include "player/playback/core/PlayerInterfaces.h"

namespace klang::player {

struct Nachbarschritt
{
    // Nothing to step to (an empty list, or a playlist without a checked item).
    bool gueltig = false;
    // The new AktuellerTrack: 0-based in the track list, 1-based in the playlist.
    int track = 0;
    // The playlist item is to be selected and scrolled into view.
    bool auswaehlen = false;
};

// richtung: -1 back, +1 forward. aktuell is AktuellerTrack as it stands (it may lie outside
// the list, e.g. after the list was changed).
Nachbarschritt nachbarschritt(const ITrackSource* quelle, bool playlist, int aktuell, int richtung);

} // namespace klang::player
