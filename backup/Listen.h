#pragma once

// The three editable lists and the two path histories: what may be added, where an item goes
// in sorted order, and how a list is stored in the settings.
//
// Stored form: the count key holds the last index (count - 1, so an empty list stores "-1")
// and item i lies under the count key with i appended. Every list with a last index of 0 or
// more comes back whole: a one-item list and lists far beyond 256 items survive a restart.

#include <QString>
#include <QStringList>

namespace backup {

// Lists longer than this are cut when read back. Reading also ends at the first item that is
// not stored, so a damaged count key (99999, 2147483647) costs nothing at start.
constexpr int MaxListenEintraege = 10000;

// The order of the lists: case ignored first, then exact.
bool vorEintrag(const QString& a, const QString& b);

// The position at which text keeps the list sorted.
int sortiertePosition(const QStringList& eintraege, const QString& text);

// A path history file: its first MaxVerlaufZeilen lines (a huge or damaged file is not read
// further), without empty lines and repetitions.
constexpr int MaxVerlaufZeilen = 100;
QStringList verlaufLesen(const QString& datei);

// Rewrites a path history, one path a line. On a failure (a full disk) the German message
// that names the file and the reason; "" when the file was saved, and for a failure of the same
// file told before and not followed by a save that worked (one box, not one per path).
QString verlaufSpeichern(const QString& datei, const QStringList& verlauf);

// True when text may be added: not empty, not only blanks, not already in the list.
bool eintragAufnehmen(const QStringList& eintraege, const QString& text);

// The extension list adds a "." in front of a text that lacks one ("zip" gives ".zip").
QString alsExtension(const QString& text);

// Reads a list back; the parameter list skips items that are "" or one blank. Reading ends
// at the first item that is not stored (a count that promises more than there is).
QStringList listeLesen(const QString& app, const QString& zaehlerSchluessel, bool parameterListe);

// Stores a list in the format above.
void listeSpeichern(const QString& app, const QString& zaehlerSchluessel, const QStringList& eintraege);

} // namespace backup
