#pragma once

// AktuelleCDanzeigen without widgets: which record, track and playlist item belong to what
// plays. The window then does the showing: hourglass and the status panel's inset bevel while
// it runs, moves the table to `zeile` (top row `obersteZeile`), deselects every track entry
// and selects `track`, and in playlist mode selects and scrolls to `playlistEintrag` in the
// playlist view. It gives no text pane the focus.

#include "player/catalogue/search/Zeilenquelle.h"

#include <QString>
#include <QStringList>

namespace klang::player {

struct Wiedergabeort
{
    enum Art {
        Nichts,        // neither playing nor paused: nothing happens
        PauseBeenden,  // paused: the window sets EscGedrueckt (ends the pause between tracks)
        Anzeigen,      // playing: show what the fields below say
    };
    Art art = Nichts;
    int zeile = -1;           // data row of the playing record; -1: the table does not move
    int obersteZeile = -1;    // data row to scroll to the top; -1: leave
    int track = -1;           // track entry to select (in the list of the record at `zeile`,
                              // or of the current record when it did not move); -1: none
    int playlistEintrag = -1; // 0-based item of the playlist view; -1: leave the selection
};

// The folder and file that plays: LaufenderTitel without the status prefix "playing:" and
// the blanks after it (a playlist item's path has no prefix).
QString laufenderPfad(const QString& laufenderTitel);

// Does the music folder hold the path? The folder must begin the path and end at a folder
// boundary, so "…/A" does not claim "…/AB/x.mp3". An empty folder holds nothing.
bool ordnerEnthaelt(const QString& musikpfad, const QString& pfad);

// statusText: the status panel's text; laufenderTitel: what plays; playlistEintraege: the
// item texts (file names) of the playlist view; aktuellerPlaylistEintrag: the selected item
// (0-based, -1 none), kept when it is the playing one so that a file listed twice does not
// jump to its first listing; tracks: the track list of a music folder; aktuelleTracks: the
// entries the track list shows now.
Wiedergabeort aktuelleCDanzeigen(const Zeilenquelle& quelle, const QString& statusText,
                                 const QString& laufenderTitel, bool playlistModus,
                                 const QStringList& playlistEintraege, int aktuellerPlaylistEintrag,
                                 const Trackliste& tracks, const QStringList& aktuelleTracks);

} // namespace klang::player
