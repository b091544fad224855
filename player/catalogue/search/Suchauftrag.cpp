#include "player/catalogue/search/Suchauftrag.h"

#include "kit/Helpers.h"
#include "platform/jet/JetSql.h"

#include <algorithm>

namespace klang::player {

const QVector<Suchspalte>& suchspalten()
{
    static const QVector<Suchspalte> spalten = {
        {QStringLiteral("Band"), QStringLiteral("Band"), QStringLiteral("Band")},
        {QStringLiteral("Titel"), QStringLiteral("LPTitel"), QStringLiteral("LPTitel")},
        {QStringLiteral("Medium"), QStringLiteral("Medium"), QStringLiteral("Band")},
        {QStringLiteral("Preis"), QStringLiteral("Preis"), QStringLiteral("Preis")},
        {QStringLiteral("Stil"), QStringLiteral("Stil"), QStringLiteral("Band")},
        {QStringLiteral("Info"), QStringLiteral("Info"), QStringLiteral("Info")},
        {QStringLiteral("Songs-"), QStringLiteral("Songs"), QStringLiteral("Band")},
        {QStringLiteral("Datum"), QStringLiteral("Datum"), QStringLiteral("Datum")},
        {QStringLiteral("Plattenfirma"), QStringLiteral("Plattenfirma"), QStringLiteral("Plattenfirma")},
        {QStringLiteral("Bestell-Nr"), QStringLiteral("BestellNr"), QStringLiteral("BestellNr")},
        {QStringLiteral("Musikpfad"), QStringLiteral("Musikpfad"), QStringLiteral("Band")},
        {QStringLiteral("eBook"), QStringLiteral("eBook"), QStringLiteral("Band")},
        {QStringLiteral("CD-Bewertung"), QStringLiteral("Bewertung"), QStringLiteral("Bewertung")},
    };
    return spalten;
}

bool ersetzbaresFeld(const QString& feld)
{
    if (feld == suchspalten().at(SuchspalteSongs).feld || feld == suchspalten().at(SuchspalteStil).feld)
        return false;
    for (const Suchspalte& s : suchspalten()) {
        if (s.feld == feld)
            return true;
    }
    return false;
}

QString enthaeltMuster(const QString& text)
{
    return jet::jetQuote(QLatin1Char('*') + text + QLatin1Char('*'));
}

namespace {

QString bedingung(const QString& feld, const QString& text)
{
    return feld + QStringLiteral(" like ") + enthaeltMuster(text);
}

} // namespace

QString suchSqlBauen(const QList<int>& boxen, bool alle, const QString& text, const QString& sortierFeld)
{
    QList<int> gueltig;
    for (int k : boxen) {
        if (k >= 0 && k < SuchspaltenAnzahl && !gueltig.contains(k))
            gueltig << k;
    }
    if (gueltig.isEmpty())
        return QString();
    std::sort(gueltig.begin(), gueltig.end());
    const QString kopf = QStringLiteral("select * from Schallplatten where ");
    const QString stilFeld = suchspalten().at(SuchspalteStil).feld;

    if (!alle && gueltig.size() == 1) {
        const int k = gueltig.first();
        const QString ordnung = sortierFeld.isEmpty() ? QStringLiteral("Band") : sortierFeld;
        QStringList terme;
        if (k == SuchspalteStil) {
            // Styles picked from the list arrive as "Rock, Pop": each one is an alternative.
            // An empty piece would match every record, so it is left out.
            for (const QString& teil : text.split(QStringLiteral(", "))) {
                if (!teil.trimmed().isEmpty())
                    terme << bedingung(stilFeld, teil.trimmed());
            }
            if (terme.isEmpty())
                terme << bedingung(stilFeld, text);
        } else if (k == SuchspalteSongs) {
            QString muster = text; // the pattern is built on a copy: the text stays as typed
            terme << bedingung(suchspalten().at(k).feld, kit::UmlautSuchmuster(muster));
        } else {
            terme << bedingung(suchspalten().at(k).feld, text);
        }
        return kopf + terme.join(QStringLiteral(" or ")) + QStringLiteral(" order by ") + ordnung;
    }

    QStringList terme;
    for (int k : gueltig) {
        if (k == SuchspalteSongs) {
            QString muster = text;
            terme << bedingung(suchspalten().at(k).feld, kit::UmlautSuchmuster(muster));
        } else {
            terme << bedingung(suchspalten().at(k).feld, text);
        }
    }
    return kopf + terme.join(QStringLiteral(" or ")) + QStringLiteral(" order by Band");
}

} // namespace klang::player
