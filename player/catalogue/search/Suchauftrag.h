#pragma once

// The search job that the search dialog hands to the main window: a filter over the
// catalogue (a Jet select over Schallplatten), optionally a replace in chosen columns, or a
// song search by the rating mark in track file names.
//
// User text reaches the statement only through jet::jetQuote, inside a LIKE pattern: the Jet
// wildcards the user types (* ? # [..]) keep working as search syntax, % and _ are plain
// characters, and an apostrophe is just an apostrophe.

#include <QString>
#include <QStringList>
#include <QVector>

namespace klang::player {

// One column box of the search dialog: its caption, the field it searches and the field a
// click on it puts behind "order by" of a one-column search.
struct Suchspalte
{
    QString caption;
    QString feld;
    QString sortierFeld;
};

inline constexpr int SuchspaltenAnzahl = 13;
inline constexpr int SuchspalteBand = 0;
inline constexpr int SuchspalteStil = 4;
inline constexpr int SuchspalteSongs = 6;
inline constexpr int SuchspalteBewertung = 12;

// The 13 column boxes in index order (SuchFelder of the dialog).
const QVector<Suchspalte>& suchspalten();

// The fields a replace may write: the search columns without Songs (rich text) and Stil.
bool ersetzbaresFeld(const QString& feld);

struct Suchauftrag
{
    QString SuchSQL;            // the filter's select; empty: no filter
    QString SuchText;           // text to replace (empty: no replace)
    QString ErsetzenText;       // replacement (a replace needs it non-empty)
    QString SuchSpalten;        // fields of the replace, joined by ", "
    bool SongSucheAktiv = false;
    QString SongBewertungMarke; // e.g. " - 4." (" - 0.": files without a mark)
    QString TabellenName;       // the search text as typed: the label of the filtered view

    bool istLeer() const { return SuchSQL.isEmpty() && !SongSucheAktiv; }
    void leeren() { *this = Suchauftrag(); }
    bool operator==(const Suchauftrag&) const = default;
};

// "*text*" as a Jet string literal.
QString enthaeltMuster(const QString& text);

// The filter's select. boxen: indexes of the chosen column boxes in index order (all 13 for
// "Alle"); text: the trimmed search text; sortierFeld: the order field of a one-column search
// ("Band" when empty). Only when the Stil box is the one chosen box is the text split at ", "
// into style alternatives; the umlaut pattern is applied to the Songs term alone. Empty when no
// box is given.
QString suchSqlBauen(const QList<int>& boxen, bool alle, const QString& text,
                     const QString& sortierFeld);

} // namespace klang::player
