#pragma once

// Size arithmetic of the main window's layout (twips), kept apart from the widgets.

#include "kit/FormPlatzieren.h"

#include <QSize>

namespace klang::player {

// A size computed from the client area: negative sizes are not applied.
inline int groesseOder(int berechnet, int bisher) { return berechnet < 0 ? bisher : berechnet; }

// The smallest main window that still shows its controls (pixels).
inline constexpr QSize MindestGroesse{640, 480};

// The main window's size on the first start (twips): 1000 pixels wide, so that with its frame
// it fits a 1024 x 768 screen (hauptfensterLage keeps this size on any smaller screen).
inline constexpr int StandardBreiteTwips = 15000;
inline constexpr int StandardHoeheTwips = 10725;
inline constexpr QSize StandardGroesse{StandardBreiteTwips / 15, StandardHoeheTwips / 15};

// The row of transport buttons right of the picture (start, stop, mini player, volume, pause,
// resume, back, forward, random, A-B): button `platz` of the ten. Narrow steps keep the last
// one whole inside the first-start width.
inline constexpr int TransportLinksTwips = 10470;
inline constexpr int TransportSchrittTwips = 450;
inline constexpr int TransportKnopfTwips = 420;
inline constexpr int TransportObenTwips = 405;
inline constexpr int transportLinks(int platz) { return TransportLinksTwips + platz * TransportSchrittTwips; }
static_assert(transportLinks(9) + TransportKnopfTwips < StandardBreiteTwips);

// The main window's stored rectangle made usable: at least MindestGroesse (a stored width of
// -5 must not give a sliver), at most the screens' size or the designed size, whichever is
// larger (a damaged width of 2147483647 must not ask for a window of millions of pixels), and
// wholly on a screen. On a screen smaller than the designed size the window keeps up to that
// size from the screen's upper left corner, so its caption stays in reach.
inline QRect hauptfensterLage(const QRect& fenster, const QList<QRect>& bildschirme)
{
    QRect r = kit::fensterLage(fenster, MindestGroesse, bildschirme);
    r.setSize(r.size().expandedTo(fenster.size().expandedTo(MindestGroesse).boundedTo(StandardGroesse)));
    QRect alle;
    for (const QRect& s : bildschirme)
        alle |= s;
    r.setSize(r.size().boundedTo(alle.size().expandedTo(StandardGroesse)));
    return r;
}

} // namespace klang::player
