#pragma once

// The functions of the Jet expression language that statements may use, as SQLite functions:
// UCase, LCase, Len, Left, Right (also jet_left/jet_right, the names the translator uses,
// because LEFT and RIGHT are join words to SQLite), Mid, InStr, Nz, IIf, Val.
// Positions are 1-based as in Jet; Null arguments give Null as Jet does (Nz excepted).
//
// Klartext(field [, n]) is the text a user reads of a field (the plain text of a rich-text
// field, its first n characters when n is given), so that views sort and filter rich text by
// what the grid shows. The program that knows the storage format sets how that text is made;
// without it the function returns the value.

#include <QtGlobal>

class QString;
struct sqlite3;

namespace klang::jet {

void registerJetFunctions(sqlite3* db);

// The plain text of a stored value, cut to maxLength characters when maxLength >= 0.
using KlartextFunktion = QString (*)(const QString& value, qsizetype maxLength);
void setKlartextFunktion(KlartextFunktion funktion);

} // namespace klang::jet
