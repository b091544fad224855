#pragma once

// The catalogue record (table Schallplatten) and the views of the catalogue table.

#include "platform/jet/Schema.h"

#include <QString>
#include <QStringList>

namespace klang::player {

inline const QString TabelleSchallplatten = jet::schema::kTable;
inline const QString StandardAbfrage = jet::schema::kDefaultRecordSource;

// The 19 fields in table order (the last, Bilder, holds the stored cover picture).
const QStringList& alleFelder();
// The 18 text fields in table order: the columns of the catalogue table.
const QStringList& textFelder();
// Songs, SongText, InternetTab, InfoTab, SonstigesTab: stored as RTF.
bool istRichTextFeld(const QString& feld);
// The characters of a field a grid cell shows (its start; a cell shows one line).
inline constexpr qsizetype ZellenTextLaenge = 1000;
// Exact (case-sensitive) name of one of the 18 text fields.
bool istTextFeld(const QString& feld);

// Fields of the catalogue that a table lacks (compared without regard to case, as the
// database does). Empty when the table has all 19.
QStringList fehlendeFelder(const QStringList& vorhandeneFelder);

// Filter column choices of the letter buttons' pop-up menu, index 0 .. 14.
const QStringList& filterSpalten();

// The view of a letter or rating button (index 0..25 letters A..Z, 26..31 ratings 1..6) on
// the filter column spalte. Empty when the index or the column is not valid.
QString buchstabenFilter(const QString& spalte, int index);

// The view of a header-click sort on one of the 18 text fields; empty for any other name.
QString sortierAbfrage(const QString& feld, bool aufsteigend);

} // namespace klang::player
