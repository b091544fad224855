#pragma once

// The ten recently opened databases (Ordnerpfad0..9); entry 0 is the most recent.

#include <QString>
#include <QStringList>

namespace klang::player {

inline constexpr int OrdnerlisteAnzahl = 10;

// Puts sa on top: removes its duplicates (exact comparison), closes gaps in one forward pass
// (a run of two or more empties keeps one), shifts down so that entry 9 drops out.
// Always returns ten entries.
QStringList ordnerMenuPfad(QStringList eintraege, const QString& sa);

} // namespace klang::player
