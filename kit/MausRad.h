#pragma once

// Mouse-wheel support: a window hooks its lists, grids, sliders and text fields when it is
// activated and unhooks them when it is deactivated or closed. While hooked, one wheel turn
// moves the control under the cursor by exactly one step.

class QWidget;

namespace kit {

void MausradEinhaengen(QWidget* window);
void MausradAushaengen(QWidget* window);
bool MausradEingehaengt(QWidget* window);

} // namespace kit
