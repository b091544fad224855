#include "platform/printing/Inlay.h"

#include "platform/printing/TwipsFlaeche.h"

namespace klang::printing {

QList<Textzeile> textblock(const InlayDaten& d, double kopf, double rest)
{
    const QChar tab(u'\t');
    QList<Textzeile> zeilen;
    zeilen << Textzeile{QString(), true, 0};
    zeilen << Textzeile{d.band, true, kopf};
    zeilen << Textzeile{QString(), true, kopf};
    zeilen << Textzeile{d.titel, false, kopf};
    zeilen << Textzeile{QString(), false, kopf};
    zeilen << Textzeile{QStringLiteral("Medium: ") + d.medium + tab + QStringLiteral("Plattenfirma: ") + d.plattenfirma
                            + tab + QStringLiteral("Bestell-Nr.: ") + d.bestellNr,
                        false, rest};
    zeilen << Textzeile{QStringLiteral("Kaufdatum: ") + d.kaufdatum + tab + QStringLiteral("Preis: ") + d.preis + tab
                            + QStringLiteral("Stilrichtung: ") + d.stil,
                        false, rest};
    zeilen << Textzeile{QStringLiteral("Bewertung 1-6: ") + d.bewertung, false, rest};
    zeilen << Textzeile{QStringLiteral("Info: ") + d.info, false, rest};
    for (const QString& ebook : d.ebooks)
        zeilen << Textzeile{QStringLiteral("Multimedia: ") + ebook, false, rest};
    zeilen << Textzeile{QString(), false, rest};
    // Line breaks of the track list start new lines.
    QString songs = d.songs;
    songs.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    songs.replace(QChar::ParagraphSeparator, u'\n');
    songs.replace(QChar::LineSeparator, u'\n');
    songs.replace(u'\r', u'\n');
    for (const QString& zeile : songs.split(u'\n'))
        zeilen << Textzeile{zeile, false, rest};
    return zeilen;
}

namespace {

void textDrucken(TwipsFlaeche& f, const InlayDaten& d, double kopf, double rest)
{
    for (const Textzeile& z : textblock(d, kopf, rest)) {
        f.setFontBold(z.fett);
        if (z.groesse > 0)
            f.setFontSize(z.groesse);
        f.zeile(z.text);
    }
}

} // namespace

void vorderseiteDrucken(TwipsFlaeche& f, const InlayDaten& d, Bildwahl wahl)
{
    f.setScaleLeft(-1300);
    f.setCurrentY(600);
    f.setFontBold(true);
    if (wahl != Bildwahl::OhneRahmen) {
        f.zeile(QString());
        f.box(-150, 500, 6654, 7304);
        f.box(-151, 501, 6655, 7305);
        if (wahl == Bildwahl::MitBild) {
            f.box(6654, 500, 13458, 7304);
            f.box(6655, 501, 13459, 7305);
            f.bild(d.bild, 6654, 500, 6804, 6804);
        }
    }
    f.setScaleLeft(-1300);
    f.setCurrentY(600);
    f.setFontName(QStringLiteral("Times New Roman"));
    textDrucken(f, d, 10, 10);
}

void rueckseiteDrucken(TwipsFlaeche& f, const InlayDaten& d)
{
    f.setScaleLeft(-1300);
    f.setCurrentY(600);
    f.zeile(QString());
    f.box(-160, 490, 8410, 7220);
    f.box(-161, 491, 8411, 7221);
    f.bild(d.bild, -150, 500, 8550, 6704);
}

void vorderseiteVorschau(TwipsFlaeche& f, const InlayDaten& d)
{
    f.setScaleLeft(0);
    f.box(133, 333, 4669, 4869);
    f.box(4669, 333, 9205, 4869);
    // Over the right square exactly, as the printed picture covers its page.
    f.bild(d.bild, 4669, 333, 4536, 4536);
    f.setScaleLeft(-200);
    f.setCurrentY(300);
    f.setFontName(QStringLiteral("Times New Roman"));
    textDrucken(f, d, 7, 5);
}

void rueckseiteVorschau(TwipsFlaeche& f, const InlayDaten& d)
{
    f.setScaleLeft(0);
    f.box(280, 333, 5388, 4550);
    // 10 twips inside the frame, as on paper.
    f.bild(d.bild, 290, 343, 5088, 4197);
}

} // namespace klang::printing
