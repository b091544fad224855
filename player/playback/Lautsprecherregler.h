#pragma once

// The volume program the speaker buttons start: the desktop's mixer "pavucontrol". When it
// is not installed, a message names it.

#include <QString>

class QWidget;

namespace klang::player {

inline const QString kLautstaerkeProgramm = QStringLiteral("pavucontrol");

// Whether the volume program can be started (found in PATH and executable).
bool lautsprecherreglerVorhanden();

// Starts the volume program detached, or shows "pavucontrol nicht gefunden." over the
// window. With neben set, the place just right of that window is written for the program
// first (settings "KlangtruheVolume", "MiniplayerLeft"/"MiniplayerTop", screen pixels).
// Returns whether it started.
bool lautsprecherreglerStarten(QWidget* fenster, bool neben);

} // namespace klang::player
