#pragma once

#include <QPixmap>

namespace kit {

// The message box's icons, drawn at run time (35 x 35 pixels): 1 information, 2 question
// mark, 3 exclamation mark, 4 stop sign. Any other number gives a null pixmap.
QPixmap msgFennSymbol(int nummer);

} // namespace kit
