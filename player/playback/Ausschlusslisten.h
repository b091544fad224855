#pragma once

// The play-exclusion lists of styles and bands: one entry per line of a list file in the
// program folder.

#include <QString>
#include <QStringList>

namespace klang::player {

inline const QString AusschlussStilDatei = QStringLiteral("AusschlussAbspielliste.ini");
inline const QString AusschlussBandDatei = QStringLiteral("BandAusschlussAbspielliste.ini");

// Replaces liste by the lines of the file in file order. A missing file leaves the list as
// it was and returns false.
bool ausschlusslisteLaden(const QString& dateipfad, QStringList& liste);

// True when text contains one of the entries (case-sensitive substring, as the style and
// band tests of random play compare). Empty entries never match.
bool ausgeschlossen(const QString& text, const QStringList& liste);

} // namespace klang::player
