#include "player/catalogue/search/Schnellsuche.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>

namespace klang::player {

QStringList detailFelder()
{
    return {QStringLiteral("Band"),      QStringLiteral("Datum"),     QStringLiteral("LPTitel"),
            QStringLiteral("Preis"),     QStringLiteral("Medium"),    QStringLiteral("Plattenfirma"),
            QStringLiteral("BestellNr"), QStringLiteral("Info"),      QStringLiteral("Stil"),
            QStringLiteral("Musikpfad"), QStringLiteral("eBook")};
}

namespace {

// The file the eBook list shows after it was filled: the last listed file that exists. The
// field is a list of items each followed by "°"; the piece after the last "°" is no item.
QString letzteVorhandeneDatei(const QString& ebookFeld)
{
    QStringList teile = ebookFeld.trimmed().split(QChar(0x00B0));
    teile.removeLast();
    for (qsizetype i = teile.size() - 1; i >= 0; --i) {
        if (!teile.at(i).isEmpty() && QFileInfo(teile.at(i)).isFile())
            return teile.at(i);
    }
    return QString();
}

int ersteSpalteMit(const Zeilenquelle& quelle, int zeile, const QString& s)
{
    return quelle.ersteSpalteMit(zeile, s);
}

// The rows from `ab` on whose cells hold s, in order, handed one at a time: the rows close to
// the start are read one by one (a hit there is found at once), the rest in one pass over the
// columns when the near ones hold nothing the user would see.
class Kandidaten
{
public:
    static constexpr int Nahbereich = 500;
    static constexpr int NahbereichMs = 10;

    Kandidaten(const Zeilenquelle& quelle, const QString& s, int ab) : m_quelle(quelle), m_s(s), m_zeile(ab)
    {
        m_uhr.start();
    }

    // The next candidate row and its first matching column; false when there is none.
    bool naechste(int& zeile, int& spalte)
    {
        const int n = m_quelle.zeilenAnzahl();
        while (!m_gesammelt && m_zeile < n) {
            // The near rows are read on the window's thread: a few, and never for long.
            if (m_gelesen >= Nahbereich || (m_gelesen > 0 && m_uhr.elapsed() >= NahbereichMs)) {
                m_rest = m_quelle.zeilenMit(m_s, m_zeile);
                m_gesammelt = true;
                break;
            }
            const int z = m_zeile++;
            ++m_gelesen;
            const int c = ersteSpalteMit(m_quelle, z, m_s);
            if (c >= 0) {
                zeile = z;
                spalte = c;
                return true;
            }
        }
        while (m_naechsterRest < m_rest.size()) {
            const int z = m_rest.at(m_naechsterRest++);
            const int c = ersteSpalteMit(m_quelle, z, m_s);
            if (c >= 0) {
                zeile = z;
                spalte = c;
                return true;
            }
        }
        return false;
    }

private:
    const Zeilenquelle& m_quelle;
    QString m_s;
    int m_zeile;
    QElapsedTimer m_uhr;
    int m_gelesen = 0;
    bool m_gesammelt = false;
    QList<int> m_rest;
    qsizetype m_naechsterRest = 0;
};

bool leererSuchtext(const QString& s)
{
    return s.isEmpty() || s == QLatin1String(" ");
}

void trefferSetzen(Suchtreffer& t, const Zeilenquelle& quelle, int zeile, int spalte, Suchposition& pos,
                   const QString& s)
{
    t.gefunden = true;
    t.zeile = zeile;
    t.spalte = spalte;
    t.obersteZeile = zeile < quelle.zeilenAnzahl() - 1 ? zeile : -1;
    t.farbe = SuchfeldTreffer;
    pos.SuchStartZeile = zeile + 2; // the grid row after the hit
    pos.LetzterSuchtext = s;
}

void fehlanzeige(Suchtreffer& t, Suchposition& pos)
{
    t.farbe = SuchfeldFehlanzeige;
    t.textMarkieren = true;
    pos.LetzterSuchtext.clear();
    pos.SuchStartZeile = 1;
}

} // namespace

Datensatzsicht standardSicht(const Zeilenquelle& quelle, int zeile, const Trackliste& tracks,
                             const std::function<QString(const QString&)>& ebookText)
{
    Datensatzsicht sicht;
    for (const QString& f : detailFelder()) {
        const QString wert = quelle.feld(zeile, f);
        if (f == QLatin1String("eBook"))
            sicht.detailTexte << (ebookText ? ebookText(wert) : letzteVorhandeneDatei(wert));
        else
            sicht.detailTexte << wert;
    }
    if (tracks)
        sicht.trackDateien = tracks(quelle.feld(zeile, QStringLiteral("Musikpfad")));
    sicht.songs = quelle.sichtbaresFeld(zeile, QStringLiteral("Songs"));
    sicht.links = quelle.sichtbaresFeld(zeile, QStringLiteral("InternetTab"));
    sicht.info = quelle.sichtbaresFeld(zeile, QStringLiteral("InfoTab"));
    sicht.sonstiges = quelle.sichtbaresFeld(zeile, QStringLiteral("SonstigesTab"));
    return sicht;
}

Markierung markieren(const Datensatzsicht& sicht, const QString& s)
{
    Markierung m;
    m.laenge = int(s.size());
    if (s.isEmpty())
        return m;
    for (int i = 0; i < sicht.detailTexte.size(); ++i) {
        if (sicht.detailTexte.at(i).contains(s, Qt::CaseInsensitive)) {
            m.detailFeld = i;
            m.sichtbar = true;
            break;
        }
    }
    for (int i = 0; i < sicht.trackDateien.size(); ++i) {
        if (sicht.trackDateien.at(i).contains(s, Qt::CaseInsensitive)) {
            m.trackAuswahl << i;
            m.aktuellerTrack = i;
            m.sichtbar = true;
        }
    }
    if (!m.trackAuswahl.isEmpty())
        m.songsStart = int(sicht.songs.indexOf(s, 0, Qt::CaseInsensitive));
    const struct
    {
        const QString* text;
        int* start;
        int tab;
    } panes[] = {{&sicht.links, &m.linksStart, 2}, {&sicht.info, &m.infoStart, 3}, {&sicht.sonstiges, &m.sonstigesStart, 4}};
    for (const auto& pane : panes) {
        const qsizetype p = pane.text->indexOf(s, 0, Qt::CaseInsensitive);
        if (p >= 0) {
            *pane.start = int(p);
            m.sichtbar = true;
            m.tab = pane.tab; // the last pane holding the text decides the tab
        }
    }
    return m;
}

Suchtreffer suchen(const Zeilenquelle& quelle, const Sichtquelle& sicht, const QString& suchtext, Suchposition& pos)
{
    Suchtreffer t;
    const QString s = suchtext.toLower();
    if (leererSuchtext(s))
        return t;
    t.gesucht = true;
    if (s != pos.LetzterSuchtext || pos.SuchStartZeile <= 0)
        pos.SuchStartZeile = 1;
    Kandidaten kandidaten(quelle, s, pos.SuchStartZeile - 1);
    int zeile = -1;
    int spalte = -1;
    while (kandidaten.naechste(zeile, spalte)) {
        const Markierung m = sicht ? markieren(sicht(zeile), s) : Markierung();
        if (!m.sichtbar)
            continue; // in a cell, but nowhere the user would see it: try the next row
        t.markierung = m;
        trefferSetzen(t, quelle, zeile, spalte, pos, s);
        return t;
    }
    t.tonSpielen = true;
    fehlanzeige(t, pos);
    return t;
}

QString playlistTitel(const QString& eintrag)
{
    QString titel = eintrag;
    const qsizetype punkt = titel.lastIndexOf(QLatin1Char('.'));
    if (punkt >= 0)
        titel.truncate(punkt);
    static const QRegularExpression bewertung(QStringLiteral(" - [0-6]$"));
    titel.remove(bewertung);
    return titel.toLower();
}

Suchtreffer suchenPlaylistTitel(const Zeilenquelle& quelle, const Sichtquelle& sicht, const QString& eintrag,
                                Suchposition& pos)
{
    Suchtreffer t;
    t.fokusVerschieben = false;
    const QString titel = playlistTitel(eintrag);
    if (leererSuchtext(titel))
        return t;
    t.gesucht = true;
    if (titel != pos.LetzterSuchtext || pos.SuchStartZeile <= 0)
        pos.SuchStartZeile = 1;
    Kandidaten kandidaten(quelle, titel, pos.SuchStartZeile - 1);
    int zeile = -1;
    int spalte = -1;
    if (kandidaten.naechste(zeile, spalte)) {
        if (sicht)
            t.markierung = markieren(sicht(zeile), titel);
        trefferSetzen(t, quelle, zeile, spalte, pos, titel);
        return t;
    }
    fehlanzeige(t, pos);
    return t;
}

Suchtreffer suchenPlaylistTitelInZeile(const Zeilenquelle& quelle, const Sichtquelle& sicht, const QString& eintrag,
                                       int zeile, Suchposition& pos)
{
    Suchtreffer t;
    t.fokusVerschieben = false;
    const QString titel = playlistTitel(eintrag);
    if (leererSuchtext(titel))
        return t;
    t.gesucht = true;
    const int spalte = zeile >= 0 && zeile < quelle.zeilenAnzahl() ? ersteSpalteMit(quelle, zeile, titel) : -1;
    if (spalte < 0) {
        fehlanzeige(t, pos);
        return t;
    }
    if (sicht)
        t.markierung = markieren(sicht(zeile), titel);
    trefferSetzen(t, quelle, zeile, spalte, pos, titel);
    return t;
}

} // namespace klang::player
