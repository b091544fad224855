#pragma once

// The functions of the Jet expression language that statements may use, as SQLite functions:
// UCase, LCase, Len, Left, Right (also jet_left/jet_right, the names the translator uses,
// because LEFT and RIGHT are join words to SQLite), Mid, InStr, Nz, IIf, Val.
// Positions are 1-based as in Jet; Null arguments give Null as Jet does (Nz excepted).

struct sqlite3;

namespace klang::jet {

void registerJetFunctions(sqlite3* db);

} // namespace klang::jet
