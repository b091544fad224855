#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace kit {

// Where a window of the given frame size lands beside/over a parent frame within a work
// area ("right", "left", "below", "above" case-insensitive; anything else centres), gap in
// pixels (unused when centring), clamped left, top, right, bottom in that order. Halves
// truncate toward zero. Pure, for tests.
QPoint platzierung(const QSize& frm, const QRect& parent, const QRect& workArea,
                   const QString& position, int abstand);

// A window rectangle read from the settings (its outer frame), made usable: each side at
// least `mindestens` (a stored width of -5 or 0 must not give a window too small to use), and
// wholly on the screens. A window that reaches past them moves by the least distance onto the
// screen it covers most (or, on none, the nearest), at most that screen's size, so its caption
// and every button can be reached. With no screens known only the minimum applies; an invalid
// `mindestens` (QSize()) sets none. Pure, for tests.
QRect fensterLage(const QRect& fenster, const QSize& mindestens, const QList<QRect>& bildschirme);

// The work areas of all screens.
QList<QRect> verfuegbareBildschirme();

// The frame the window manager draws round a top-level window: its own once known, before
// that an allowance for a caption and a border; none for a frameless window.
QMargins fensterRahmen(const QWidget* fenster);

// Puts a top-level window at a stored place: `gespeichert` holds the top-left corner of its
// frame and its inner size. The whole frame ends on a screen (fensterLage); with
// `groesseAendern` false only the place changes (fixed-size windows).
void gespeichertePlatzieren(QWidget* fenster, const QRect& gespeichert, const QSize& mindestens = QSize(),
                            bool groesseAendern = true);

// Moves frm (without resizing or activating it) beside or over parent within the work area
// of the screen that shows parent.
void FormPlatzieren(QWidget* frm, QWidget* parent, const QString& position = QStringLiteral("center"),
                    int abstand = 10);

} // namespace kit
