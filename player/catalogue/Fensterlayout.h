#pragma once

// Size arithmetic of the main window's layout (twips), kept apart from the widgets.

#include "player/playback/core/Bildschirmplatz.h"

namespace klang::player {

// A size computed from the client area: negative sizes are not applied.
inline int groesseOder(int berechnet, int bisher) { return berechnet < 0 ? bisher : berechnet; }

} // namespace klang::player
