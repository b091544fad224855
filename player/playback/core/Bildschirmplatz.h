#pragma once

// Where a window may stand: a stored place that lies on no screen is moved onto one.

#include <QList>
#include <QRect>

namespace klang::player {

// The stored window rectangle moved onto the nearest screen when it lies on none.
QRect aufBildschirm(const QRect& fenster, const QList<QRect>& bildschirme);

} // namespace klang::player
