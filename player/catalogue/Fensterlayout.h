#pragma once

// Size arithmetic of the main window's layout (twips), kept apart from the widgets.

#include <QRect>
#include <QList>
#include <QSize>

namespace klang::player {

// A size computed from the client area: negative sizes are not applied.
inline int groesseOder(int berechnet, int bisher) { return berechnet < 0 ? bisher : berechnet; }

// The smallest main window that still shows its controls (pixels).
inline constexpr QSize MindestGroesse{640, 480};

// The stored window rectangle made usable: at least MindestGroesse, and moved onto the
// nearest screen when it lies on none.
QRect aufBildschirm(const QRect& fenster, const QList<QRect>& bildschirme);

} // namespace klang::player
