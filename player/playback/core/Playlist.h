#pragma once

// Playlists without widgets: how a playlist file's lines become items, how an item keeps
// its path, the view's header, the song-length notice, and the rules of the track list's
// and the playlist view's events (which list plays, the current track, the played marks).

#include "platform/textfiles/ListBounds.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace klang::player {

class PlayerController;

// How much of a playlist file is read. A song search over a big catalogue collects a hundred
// thousand files and more, so the bound lies far above any list a user makes: it only keeps a
// file that is no playlist at all from eating the memory. A list cut by it is never rewritten.
inline constexpr klang::ReadLimits PlaylistGrenzen{1000000, 64 * 1024, 128 * 1024 * 1024};

// A playlist file read for loading.
struct PlaylistLesung
{
    bool ok = false;
    QString fehler;         // German: why the file cannot be taken ("" when ok)
    QStringList eintraege;  // the entries (see playlistEintraege)
    QString hinweis;        // German: what the bound left out ("" when read whole)
};
// Reads a playlist file within PlaylistGrenzen. Refused with a reason: a missing file, a
// folder, a file that cannot be opened or read, and one that is not text (control bytes).
PlaylistLesung playlistDateiLesen(const QString& datei);

// Rewrites a playlist file whole (UTF-8, a line each, atomically). "" when written, else the
// German reason: a file read only in part is never rewritten, and a failed write says why.
QString playlistDateiSchreiben(const QString& datei, const QStringList& pfade);

// A playlist item's three texts; joined (davor + ordner + name) they give the path back.
struct PlaylistTeile
{
    QString name;   // the file name
    QString ordner; // the name of the file's folder with its separator
    QString davor;  // the path before that folder, with its separator
};
// Splits a path at its "/"; a list written with "\" alone (on the old system) is split
// at "\". A line without any separator is the name alone.
PlaylistTeile playlistTeile(const QString& pfad);

// The entries of a playlist file's lines: empty lines (also lines of blanks only) and a line
// equal to the one taken just before it are skipped.
QStringList playlistEintraege(const QStringList& zeilen);

// "Playlist - <name without its extension> (<count>)".
QString playlistKopf(const QString& playlistName, int anzahl);

// The song-length notice: the name, an empty line and "m:ss min" (seconds rounded half to
// even), or that the length could not be measured.
QString liedlaengeText(const QString& name, double sekunden);

// The text the song-text pane is searched for when a track is chosen: the file name without
// its extension and without a rating mark " - N".
QString songTextSchluessel(const QString& dateiname);

// The events of the track list and the playlist view as rules over the player: which list
// plays, which track is current, when the played marks start afresh. Rows are 0-based
// (-1: no selected row); the playlist's current track is 1-based.
class ListenWahl
{
public:
    explicit ListenWahl(PlayerController& player) : m_player(player) {}

    // The track list got the focus: its entry becomes current; the mode stays.
    void trackListeFokus(int zeile);
    // A key or mouse button released over the track list: track list mode, its entry current.
    void trackListeLosgelassen(int zeile);
    // A click into the playlist view: playlist mode, the played marks cleared.
    void playlistKlick(int zeile);
    // The view got the focus: playlist mode, item 1 when no track was current; marks kept.
    void playlistFokus(int zeile);
    // A key or mouse button released over the view: its selected item becomes current.
    void playlistLosgelassen(int zeile);
    // Items were removed from the playlist (0-based rows before the removal): the current
    // track follows its item and the played marks start afresh.
    void playlistEintraegeEntfernt(const QList<int>& zeilen);

private:
    void indexAusTrackliste(int zeile);

    PlayerController& m_player;
};

} // namespace klang::player
