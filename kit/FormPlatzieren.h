#pragma once

#include <QList>
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

// A window rectangle read from the settings, made usable: each side at least `mindestens`
// (a stored width of -5 or 0 must not give a window too small to use), and moved onto the
// nearest screen, at most its size, when it lies on none. With no screens known only the
// minimum applies; an invalid `mindestens` (QSize()) sets none. Pure, for tests.
QRect fensterLage(const QRect& fenster, const QSize& mindestens, const QList<QRect>& bildschirme);

// Moves frm (without resizing or activating it) beside or over parent within the work area
// of the screen that shows parent.
void FormPlatzieren(QWidget* frm, QWidget* parent, const QString& position = QStringLiteral("center"),
                    int abstand = 10);

} // namespace kit
