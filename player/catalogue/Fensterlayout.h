#pragma once

// Size arithmetic of the main window's layout (twips), kept apart from the widgets.

#include <QRect>
#include <QList>

namespace klang::player {

inline constexpr int CoverSlots = 22;

// Last slot index of the cover strip for a client height: (SH - 1900) \ 970, at most the
// cover count - 1 and at most 21 (the slots there are); -1 leaves the strip unchanged.
int letzterCoverSlot(int clientHoeheTwips, int coverAnzahl);

// A size computed from the client area: negative sizes are not applied.
inline int groesseOder(int berechnet, int bisher) { return berechnet < 0 ? bisher : berechnet; }

// The stored window rectangle moved onto the nearest screen when it lies on none.
QRect aufBildschirm(const QRect& fenster, const QList<QRect>& bildschirme);

} // namespace klang::player
