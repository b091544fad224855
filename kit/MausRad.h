#pragma once

// Mouse-wheel support: a window hooks its lists, grids, sliders and text fields when it is
// activated and unhooks them when it is deactivated or closed. While hooked, one wheel turn
// moves the control under the cursor by exactly one step.

#include <QList>

class QWidget;

namespace kit {

// Hooks the qualifying controls of window (lists, combo boxes, sliders, scroll bars, grids,
// text fields; at most 49, in creation order) after releasing every earlier hook. A null
// window hooks nothing.
void MausradEinhaengen(QWidget* window);
// Releases the hooks of window (or of whichever window is hooked, when window is null).
void MausradAushaengen(QWidget* window = nullptr);
bool MausradEingehaengt(QWidget* window);
// The controls currently hooked, in hook order (for tests).
QList<QWidget*> MausradSteuerelemente();
// Lets a window hook on activation and unhook on deactivation and close by itself.
void MausradAutomatisch(QWidget* window);

} // namespace kit
