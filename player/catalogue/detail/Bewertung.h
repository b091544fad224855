#pragma once

// Ratings of one to six stars. A record keeps its rating in the text field Bewertung ("1".."6",
// "" = unrated). A music or video file keeps its rating in its own name: the four characters
// " - N" (N = 0..6) directly before the extension, "Intro - 4.mp3". The extension starts at the
// last "."; a name without "." carries no mark and cannot get one. Reading, stripping and
// writing share one predicate, so "Song - 1984.mp3", "Opus-12.mp3" or "AC-DC.mp3" are titles,
// never marks.

#include <QString>
#include <QStringList>

namespace klang::detail {

struct Markenteile
{
    QString stamm;      // the name before the mark (or before the extension when unmarked)
    int marke = -1;     // 0..6, or -1 when the name carries no mark
    QString endung;     // from the last "." on, "" when there is none
    bool hatEndung = false;
};

Markenteile markenteile(const QString& dateiname);

// Stars of a file name: 0..6 (0 for an unmarked name or the mark " - 0").
int trackSterne(const QString& dateiname);
// The name without its mark ("Song - 4.mp3" -> "Song.mp3").
QString ohneMarke(const QString& dateiname);
// The name rated with sterne (1..6): an existing mark is replaced, the result trimmed. A name
// without "." or without a stem keeps its name.
QString mitMarke(const QString& dateiname, int sterne);

// Stars of the record field: Val of the text, 0 <= v < 7, rounded half to even; else 0.
int plattenSterne(const QString& bewertung);

struct Umbenennung
{
    bool erfolgreich = false;
    QString alterName;
    QString neuerName; // the name the file has afterwards (the old one when it failed)
    QString fehler;
};

// Rates the file ordner/dateiname with sterne stars by renaming it inside its folder. Never
// overwrites: when a file of the new name exists, nothing is renamed and the result says so.
// Unchanged names count as success.
Umbenennung trackBewerten(const QString& ordner, const QString& dateiname, int sterne);

// The same for a file given by its full path (a playlist entry).
Umbenennung trackBewertenPfad(const QString& pfad, int sterne);

// Where a name stands in a re-read list (exact match first, then ignoring letter case);
// -1 when it is gone.
int indexInListe(const QStringList& liste, const QString& name);

} // namespace klang::detail
