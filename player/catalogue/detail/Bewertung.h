#pragma once

// Ratings of one to six stars. A record keeps its rating in the text field Bewertung ("1".."6",
// "" = unrated). A music or video file keeps its rating in its own name: the four characters
// " - N" (N = 0..6) directly before the extension, "Intro - 4.mp3". The extension starts at the
// last "."; a name without "." carries no mark and cannot get one. Reading, stripping and
// writing share one predicate, so "Song - 1984.mp3", "Opus-12.mp3" or "AC-DC.mp3" are titles,
// never marks.

#include <QString>
#include <QStringList>

#include <functional>

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

// What both star rows show: the record's stars always follow its own field, whatever the
// track's name looks like (so no previous record's stars stay on screen).
struct Sternanzeige
{
    int platte = 0;
    int track = 0;
};
Sternanzeige BewertungTracks(const QString& trackName, const QString& bewertung);

// The text a click on record star index (0..5) writes into the field Bewertung.
QString plattenBewertungText(int index);

// A click on track star index (0..5).
struct TrackStand
{
    bool playlistModus = false;
    QString playlistPfad;  // full path of the selected playlist item (playlist mode)
    QString ordner;        // the record's music folder (track-list mode)
    QStringList liste;     // the track list as shown
    int aktuell = -1;      // index of the current track in liste
};

struct TrackKlickErgebnis
{
    Umbenennung umbenennung;
    QStringList liste;        // the re-read track list (track-list mode)
    int aktuell = -1;         // where the rated track stands now
    QString playlistPfad;     // the item's path afterwards (playlist mode)
    bool playlistGeaendert = false;
    int trackSterne = 0;      // the stars the track shows afterwards
};

// Renames the rated file: in playlist mode the selected item's file (never a file of the
// record's list), otherwise the current track of the list. The list is re-read at once (no
// event processing in between) and the current track follows the renamed file to its new
// place. A failed rename leaves every file as it was and shows the mark the file still has.
TrackKlickErgebnis trackSternKlick(const TrackStand& stand, int index,
                                   const std::function<QStringList()>& listeNeuLesen);

} // namespace klang::detail
