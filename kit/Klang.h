#pragma once

// Feedback sounds of the kit's boxes. The kit only names the file; the program decides how
// it is played by the kit library it links: klang_kit plays through the family's sound layer,
// klang_kit_ohne_mpv (for a program that must run without the playback library) loads it at
// run time and stays silent without it.

#include <QString>

namespace kit {

// Plays a file of the program folder without waiting; silent when it is missing.
void klangSpielen(const QString& dateiName);

// The full path last handed to klangSpielen ("" before the first call), for tests.
QString letzterKlang();

namespace detail {
// Implemented once per kit library.
void klangAusgeben(const QString& pfad);
} // namespace detail

} // namespace kit
