#pragma once

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

// Moves frm (without resizing or activating it) beside or over parent within the work area
// of the screen that shows parent.
void FormPlatzieren(QWidget* frm, QWidget* parent, const QString& position = QStringLiteral("center"),
                    int abstand = 10);

} // namespace kit
