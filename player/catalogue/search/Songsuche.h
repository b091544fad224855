#pragma once

// The song search: every record of the rows the table shows is looked at in turn; the files
// of its music folder whose names carry the rating mark (" - 4." for four stars; " - 0." for
// files with no mark) are collected into the playlist "Suchliste.txt" of the playlist folder,
// unless the record's band or style is excluded from playing. Runs in batches on the event
// loop (a zero-interval timer), so the window stays responsive and Esc can end it; the rows
// collected until then stay in the list.
//
// The window then loads "Suchliste.txt" as the playlist and asks for a name to keep it under
// (playlistDateiname, and playlistUeberschreibenFrage before an existing file is replaced).
// The hits are kept in memory and written to the file once, when the run ends.
// While it runs the window keeps other catalogue commands away (busy flag): the rows are
// those of the view at the start.

#include "player/catalogue/search/Zeilenquelle.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace klang::player {

inline const QString SuchlisteDatei = QStringLiteral("Suchliste.txt");

// Does a track file carry the mark? " - 0." stands for files with none of " - 1." .. " - 6.".
bool traegtBewertung(const QString& dateiname, const QString& marke);

// A text (band or style) contains one of the entries (case-sensitive); empty entries never
// match, so a blank line in a list file excludes nothing.
bool ausgeschlossenDurch(const QString& text, const QStringList& liste);

// The status bar's text while the search runs.
QString songsucheFortschritt(int zeile, int zeilen, int treffer);

class Songsuche : public QObject
{
    Q_OBJECT
public:
    // zeilen: the rows the table shows (must outlive the search); playlistOrdner: the
    // program folder's "Playlist/" (created when missing).
    Songsuche(const Zeilenquelle& zeilen, const QString& marke, const QString& playlistOrdner,
              QObject* parent = nullptr);

    void setBandAusschluss(const QStringList& baender) { m_baender = baender; }
    void setStilAusschluss(const QStringList& stile) { m_stile = stile; }
    void setTrackliste(const Trackliste& tracks) { m_tracks = tracks; }
    // EscGedrueckt of the player: cleared when the search begins (a stale request must not end
    // it), checked and cleared after every row.
    void setAbbruchFlag(bool* escGedrueckt) { m_esc = escGedrueckt; }
    // Rows per turn of the event loop (a turn also ends after SchrittMs).
    void setZeilenProSchritt(int n) { m_proSchritt = qMax(1, n); }
    static constexpr int SchrittMs = 20;

    // Deletes an old "Suchliste.txt" and starts the run on the event loop. False (nothing
    // runs, fehler() says why) when the old list cannot be removed or the folder not made.
    bool starten();
    // The whole run at once (no event loop needed). False as for starten().
    bool ausfuehren();
    void abbrechen() { m_abbrechen = true; }

    bool laeuft() const { return m_laeuft; }
    bool abgebrochen() const { return m_abgebrochen; }
    QStringList treffer() const { return m_treffer; }
    QString dateipfad() const;
    QString fehler() const { return m_fehler; }

signals:
    // The files of one record, as playlist lines (music folder and file name), just added.
    void aufgenommen(const QStringList& pfade);
    // After each turn: rows looked at, rows in all, files collected.
    void fortschritt(int zeile, int zeilen, int treffer);
    void fertig(bool abgebrochen);

private:
    bool vorbereiten();
    // Processes up to n rows; false when the run is over.
    bool schritt(int n);
    void zeileBearbeiten(int zeile);
    void beenden();

    const Zeilenquelle& m_zeilen;
    QString m_marke;
    QString m_ordner;
    QStringList m_baender;
    QStringList m_stile;
    Trackliste m_tracks = trackDateien;
    bool* m_esc = nullptr;
    int m_proSchritt = 500;
    int m_zeile = 0;
    bool m_laeuft = false;
    bool m_abbrechen = false;
    bool m_abgebrochen = false;
    QStringList m_treffer;
    QString m_fehler;
    QTimer m_timer;
};

} // namespace klang::player
