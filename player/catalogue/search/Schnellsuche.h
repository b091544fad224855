#pragma once

// The quick search of the main window (Suchen, behind the search field txtSuchen) and the
// lookup of a playlist title (SuchenPlaylistTitel), without widgets.
//
// Both walk the table's rows from the shared start row on and compare the lower-cased text a
// user reads: rich-text fields by their plain text, so "Mädchen" stored as M\'e4dchen is
// found and RTF control words never make a row a candidate. A candidate row of the quick
// search counts only when the text is also visible in its record's detail view (a detail
// field, a track file name or a text pane); that check runs on the record's values, so a
// search moves the table once, to the hit, instead of once per candidate.
//
// What the window does with a result: move the table to `zeile` (CoverSucheUeberspringen
// first; top row as `obersteZeile` says), colour the search field by `farbe`, select the
// track files, set AktuellerTrack, select the occurrences in the panes, switch the tab, and
// play "false.wav" when `tonSpielen` is set. The quick search is the user's own command, so
// it may move the focus into the panes to select; the playlist lookup runs at every track
// start and must not (highlight without focus: `fokusVerschieben` is false).

#include "player/catalogue/search/Zeilenquelle.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace klang::player {

// Background colours of the search field (BGR values as stored).
inline constexpr quint32 SuchfeldNeutral = 0xF4EAE3;
inline constexpr quint32 SuchfeldTreffer = 0xC0FFC0;
inline constexpr quint32 SuchfeldFehlanzeige = 0xC0C0FF;

// Shared by the quick search and the playlist lookup; lives as long as the main window.
struct Suchposition
{
    QString LetzterSuchtext; // lower-cased text of the last hit; "" at start and after a miss
    int SuchStartZeile = 0;  // grid row (1 = first data row) where the next search starts
};

// What the detail view shows for a record once it is current.
struct Datensatzsicht
{
    // TextBand, TextKaufdatum, TextLPTitel, TextPreis, TextMedium, TextPlattenfirma,
    // TextBestellNr, TextInfo, TextStil, TextMusikpfad, cboEbook: in this order.
    QStringList detailTexte;
    QStringList trackDateien; // filTrack's entries
    QString songs;            // plain text of TextSongs
    QString links;            // plain text of rtfLinks (InternetTab)
    QString info;             // plain text of rtfInfo (InfoTab)
    QString sonstiges;        // plain text of rtfSonstiges (SonstigesTab)
};
using Sichtquelle = std::function<Datensatzsicht(int zeile)>;

// The fields behind the detail texts, in the order above (cboEbook is the eBook list).
QStringList detailFelder();

// The detail view built from the record's fields: the track list from its music folder
// (tracks), the cboEbook text from ebookText (the file the eBook list shows last; without the
// function the field's last list item).
Datensatzsicht standardSicht(const Zeilenquelle& quelle, int zeile, const Trackliste& tracks = trackDateien,
                             const std::function<QString(const QString& ebookFeld)>& ebookText = {});

// How the found text is marked in the record shown. Positions are 0-based in the plain text;
// -1 means no selection there.
struct Markierung
{
    bool sichtbar = false;     // the text shows somewhere in the record (the quick search's Found)
    int detailFeld = -1;       // first detail text holding it (nothing is selected there)
    QList<int> trackAuswahl;   // filTrack entries to select (every other one deselected)
    int aktuellerTrack = -1;   // AktuellerTrack and the list's top index; -1: unchanged
    int songsStart = -1;       // selection in TextSongs (only when a track file matched)
    int linksStart = -1;
    int infoStart = -1;
    int sonstigesStart = -1;
    int laenge = 0;            // length of every selection
    int tab = 1;               // tabTexte: 1 Daten, 2 Internet, 3 Info, 4 Sonstiges
};
Markierung markieren(const Datensatzsicht& sicht, const QString& kleingeschrieben);

struct Suchtreffer
{
    bool gesucht = false;         // false: empty text or one blank, nothing else happens
    bool gefunden = false;
    int zeile = -1;               // data row (record position) of the hit
    int spalte = -1;              // table column of the first cell holding the text
    int obersteZeile = -1;        // data row to scroll to the top; -1: leave (hit in the last row)
    Markierung markierung;
    quint32 farbe = SuchfeldNeutral;
    bool tonSpielen = false;      // "false.wav" (quick search misses only)
    bool textMarkieren = false;   // select the whole search text for overtyping (miss)
    bool fokusVerschieben = true; // the quick search may focus panes; the playlist lookup not
};

// Suchen: the next row from pos.SuchStartZeile whose cells hold the text and whose record shows
// it. Updates pos (hit: row after the hit; miss: back to row 1, so the next Enter wraps around).
Suchtreffer suchen(const Zeilenquelle& quelle, const Sichtquelle& sicht, const QString& suchtext,
                   Suchposition& pos);

// The title of a playlist item: without its extension and a trailing rating mark " - N"
// (N = 0..6), lower-cased. "Song - 1984.mp3" stays "song - 1984".
QString playlistTitel(const QString& eintrag);

// SuchenPlaylistTitel: the next cell from pos.SuchStartZeile holding the title of the playlist
// item; the hit is marked like a quick-search hit but without focus changes; a miss plays no
// sound.
Suchtreffer suchenPlaylistTitel(const Zeilenquelle& quelle, const Sichtquelle& sicht, const QString& eintrag,
                                Suchposition& pos);

// The same lookup in one known row only: the record of the file that plays. The title is marked
// there and other records holding the same text (a common word, a shared song name) never take
// the catalogue away from what plays; without it in that row the result is a miss.
Suchtreffer suchenPlaylistTitelInZeile(const Zeilenquelle& quelle, const Sichtquelle& sicht, const QString& eintrag,
                                       int zeile, Suchposition& pos);

} // namespace klang::player
