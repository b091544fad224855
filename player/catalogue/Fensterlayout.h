#pragma once

// Size arithmetic of the main window's layout (twips), kept apart from the widgets.

#include "kit/FormPlatzieren.h"
#include "player/playback/core/Bildschirmplatz.h"

#include <QSize>

namespace klang::player {

// A size computed from the client area: negative sizes are not applied.
inline int groesseOder(int berechnet, int bisher) { return berechnet < 0 ? bisher : berechnet; }

// The smallest main window that still shows its controls (pixels).
inline constexpr QSize MindestGroesse{640, 480};

// The main window's stored rectangle made usable: at least MindestGroesse (a stored width of
// -5 must not give a sliver), and moved onto the nearest screen when it lies on none.
inline QRect hauptfensterLage(const QRect& fenster, const QList<QRect>& bildschirme)
{
    return kit::fensterLage(fenster, MindestGroesse, bildschirme);
}

} // namespace klang::player
