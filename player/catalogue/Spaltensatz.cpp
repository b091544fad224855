#include "player/catalogue/Spaltensatz.h"

#include "player/catalogue/Felder.h"

namespace klang::player {

QString standardSpaltenEintrag(int k)
{
    return textFelder().value(k) + QLatin1Char('1');
}

SpaltenEintrag spaltenEintrag(const QString& roh)
{
    SpaltenEintrag e;
    if (roh.endsWith(QLatin1Char('1'))) {
        e.name = roh.left(roh.size() - 1);
        e.art = SpaltenEintrag::Sichtbar;
    } else if (roh.endsWith(QLatin1Char('0'))) {
        e.name = roh.left(roh.size() - 1);
        e.art = SpaltenEintrag::Versteckt;
    } else {
        e.name = roh;
        e.art = SpaltenEintrag::Ohne;
    }
    return e;
}

QStringList spaltenfolge(const QStringList& spaltensatz)
{
    QStringList folge;
    for (int i = 0; i < SpaltensatzAnzahl; ++i)
        folge << spaltenEintrag(spaltensatz.value(i, standardSpaltenEintrag(i))).name;
    return folge;
}

Tabellenbild tabelleAnordnen(const Tabellenbild& jetzt, const QStringList& spaltensatz,
                             bool nichtSortieren)
{
    Tabellenbild neu = jetzt;
    const int n = neu.kopf.size();
    while (neu.breite.size() < n)
        neu.breite << StandardSpaltenbreite;

    for (int i = 0; i < SpaltensatzAnzahl && i < n; ++i) {
        const SpaltenEintrag e = spaltenEintrag(spaltensatz.value(i, standardSpaltenEintrag(i)));
        if (e.art == SpaltenEintrag::Sichtbar) {
            if (neu.breite[i] <= 0)
                neu.breite[i] = StandardSpaltenbreite;
        } else if (e.art == SpaltenEintrag::Versteckt) {
            neu.breite[i] = 0;
        }
    }
    if (nichtSortieren)
        return neu;

    const QStringList folge = spaltenfolge(spaltensatz);
    for (int i = 0; i < n && i < SpaltensatzAnzahl; ++i) {
        for (int j = i; j < n; ++j) {
            if (folge.at(i) == neu.kopf.at(j)) {
                neu.kopf.move(j, i);
                break;
            }
        }
    }
    // Widths stay with their positions; hidden positions stay hidden.
    return neu;
}

int spaltenbreiteAusText(const QString& text, int fallback)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || v < 0 || v > 1e7)
        return fallback;
    const int twips = static_cast<int>(v + 0.5);
    return twips == 0 ? StandardSpaltenbreite : twips;
}

} // namespace klang::player

namespace klang::player {

void spaltenVerteilen(const QStringList& spaltensatz, QStringList& sichtbar, QStringList& versteckt)
{
    sichtbar.clear();
    versteckt.clear();
    for (int k = 0; k < SpaltensatzAnzahl; ++k) {
        const SpaltenEintrag e = spaltenEintrag(spaltensatz.value(k, standardSpaltenEintrag(k)));
        if (e.art == SpaltenEintrag::Versteckt)
            versteckt << e.name;
        else
            sichtbar << e.name;
    }
}

QStringList spaltensatzAusListen(const QStringList& sichtbar, const QStringList& versteckt)
{
    QStringList satz;
    for (const QString& s : sichtbar)
        satz << s + QLatin1Char('1');
    for (const QString& s : versteckt)
        satz << s + QLatin1Char('0');
    return satz;
}

QStringList defaultSichtbar()
{
    return {QStringLiteral("Band"), QStringLiteral("LPTitel"), QStringLiteral("Medium"),
            QStringLiteral("Stil"), QStringLiteral("Bewertung"), QStringLiteral("Datum"),
            QStringLiteral("Plattenfirma"), QStringLiteral("BestellNr"), QStringLiteral("Preis")};
}

QStringList defaultVersteckt()
{
    return {QStringLiteral("BildPfad"), QStringLiteral("eBook"), QStringLiteral("Info"),
            QStringLiteral("Musikpfad"), QStringLiteral("Songs"), QStringLiteral("SongText"),
            QStringLiteral("InternetTab"), QStringLiteral("InfoTab"), QStringLiteral("SonstigesTab")};
}

} // namespace klang::player
