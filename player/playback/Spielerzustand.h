#pragma once

// The player state shared by the main window, the mini player and the video window. One
// object per process, owned by the main window; every window reads and writes the same set.

#include <QString>
#include <QVector>

namespace klang::player {

// Texts of the status bar's second panel that other code reads back as state
// (compared case-sensitively, anywhere in the text).
inline const QString StatusPlaying = QStringLiteral("playing:  ");
inline const QString StatusPause = QStringLiteral("Pause");
inline const QString StatusNoPlay = QStringLiteral("no play");

// The panel text while a track plays: "playing:  " (two blanks) and what plays.
QString statusTextPlaying(const QString& was);
// True when the panel text says a track plays / a pause runs.
bool statusSpielt(const QString& panelText);
bool statusPausiert(const QString& panelText);

struct Spielerzustand
{
    // 0-based into the track list, 1-based into the playlist (PlaylistModus tells which).
    int AktuellerTrack = 0;
    bool PlaylistModus = false;
    bool StopGedrueckt = false;
    bool EscGedrueckt = false;
    bool StilAusgeschlossen = false;
    // One played mark per track (0 = not yet played).
    QVector<int> GespieltMarken;
    int ShuffleZaehler = 0;
    QString LaufenderTitel;
    QString SpielText;
    int StilSpalte = 0;
    // File name of the loaded playlist including ".txt"; "" when none is loaded.
    QString PlaylistName;
    bool PlaylistGeaendert = false;

    // A record change: play starts afresh at the first file of the new track list.
    void trackListeNeu(int anzahlEintraege);
};

} // namespace klang::player
