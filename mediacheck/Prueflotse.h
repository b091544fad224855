#pragma once

// The check for the playback library the family's players need.

#include <QString>

namespace prueflotse {

// The library to look for: $KLANGTRUHE_PRUEFLOTSE_LIB when set, else the soname the build
// links against.
QString wiedergabeBibliothek();

// True when the dynamic loader can load the library.
bool bibliothekVorhanden(const QString& name);

// The message shown when the library is missing.
QString Meldung();
// The line written to the terminal when it is there.
QString MeldungVorhanden();

// The program: says so in a message box when the library is missing, then ends (exit 0).
int Main();

} // namespace prueflotse
