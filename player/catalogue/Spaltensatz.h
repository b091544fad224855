#pragma once

// The column set of the catalogue table: which text fields are shown, in which order and how
// wide. Widths and the hidden state belong to display positions, not to fields.

#include <QList>
#include <QString>
#include <QStringList>

namespace klang::player {

inline constexpr int SpaltensatzAnzahl = 18;
inline constexpr int StandardSpaltenbreite = 1000; // twips

// Default of TabelleAnordnenCaption<k>: field k in table order followed by "1".
QString standardSpaltenEintrag(int k);

struct SpaltenEintrag
{
    enum Art { Sichtbar, Versteckt, Ohne };
    QString name;
    Art art = Ohne;
};
// "Band1" -> Band shown, "Band0" -> Band hidden, anything else taken whole.
SpaltenEintrag spaltenEintrag(const QString& roh);

// The grid as display positions: header text and width in twips (0 = hidden) per position.
struct Tabellenbild
{
    QStringList kopf;
    QList<int> breite;
    bool operator==(const Tabellenbild&) const = default;
};

// Applies the stored column set (18 raw entries) to the grid: widths and hidden state by
// position, then, unless nichtSortieren, moves each named field to its position (the first
// key naming a field wins; a name matching no header moves nothing). Positions from 18 on
// keep their place and width.
Tabellenbild tabelleAnordnen(const Tabellenbild& jetzt, const QStringList& spaltensatz,
                             bool nichtSortieren);

// Spaltenfolge: the 18 entries without their flag character.
QStringList spaltenfolge(const QStringList& spaltensatz);

// Width setting text -> twips: a stored 0 means 1000; text that is no number gives fallback.
int spaltenbreiteAusText(const QString& text, int fallback);

} // namespace klang::player

namespace klang::player {

// The column dialog's lists from the 18 stored entries: "…1" visible, "…0" hidden, anything
// else visible and whole.
void spaltenVerteilen(const QStringList& spaltensatz, QStringList& sichtbar, QStringList& versteckt);
// Keys 0..n-1 to store: the visible entries with "1", then the hidden ones with "0".
QStringList spaltensatzAusListen(const QStringList& sichtbar, const QStringList& versteckt);
// The "&Default" preset of the dialog (nine shown, nine hidden).
QStringList defaultSichtbar();
QStringList defaultVersteckt();

} // namespace klang::player
