#pragma once

// The checks before a real run: a backup that copies the wrong folder, mirrors onto a drive
// root or packs a folder into itself must never start.

#include "backup/Kommandozeile.h"

#include <QString>

namespace backup {

// "" when the run may start, else the message that tells the user why it may not.
// Refused: an empty or missing source folder, an empty target, a root as target (folder),
// a target that equals or lies inside the source, and a mirror whose source lies inside
// its target (the mirror would delete the rest of the target).
QString laufVerweigert(const Kommando& kommando, const KommandoEingaben& eingaben);

// The absolute, cleaned form of a path (symbolic links resolved where the path exists).
QString vergleichsPfad(const QString& pfad);

// True for "/" and for Windows drive roots such as "C:\" or "C:".
bool istWurzel(const QString& pfad);

// True when pfad equals ordner or lies somewhere below it.
bool liegtInOderIst(const QString& pfad, const QString& ordner);

} // namespace backup
