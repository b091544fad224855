#include "platform/printing/Inlay.h"

#include "platform/printing/TwipsFlaeche.h"

namespace klang::printing {

namespace {

bool istUmbruch(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// A one-line field prints on one line: a line break in it (CR LF counting once) is a blank.
QString einzeilig(const QString& wert)
{
    QString text;
    text.reserve(wert.size());
    for (qsizetype i = 0; i < wert.size(); ++i) {
        if (!istUmbruch(wert.at(i))) {
            text += wert.at(i);
            continue;
        }
        if (wert.at(i) == u'\r' && i + 1 < wert.size() && wert.at(i + 1) == u'\n')
            ++i;
        text += u' ';
    }
    return text;
}

} // namespace

QList<Textzeile> textblock(const InlayDaten& roh, double kopf, double rest)
{
    InlayDaten d = roh;
    for (QString* feld : {&d.band, &d.titel, &d.medium, &d.plattenfirma, &d.bestellNr, &d.kaufdatum, &d.preis,
                          &d.stil, &d.bewertung, &d.info})
        *feld = einzeilig(*feld);
    for (QString& ebook : d.ebooks)
        ebook = einzeilig(ebook);
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
        zeilen << Textzeile{zeile, false, rest, true};
    return zeilen;
}

namespace {

// The lines go down the page as far as it reaches. When the tracks do not all fit, the last
// line that fits says how many were left out instead.
void textDrucken(TwipsFlaeche& f, const InlayDaten& d, double kopf, double rest)
{
    const QList<Textzeile> zeilen = textblock(d, kopf, rest);
    // Tracks still to come after each line.
    QList<qsizetype> folgende(zeilen.size() + 1, 0);
    for (qsizetype i = zeilen.size() - 1; i >= 0; --i)
        folgende[i] = folgende[i + 1] + (zeilen[i].titel && !zeilen[i].text.trimmed().isEmpty() ? 1 : 0);
    for (qsizetype i = 0; i < zeilen.size(); ++i) {
        const Textzeile& z = zeilen[i];
        f.setFontBold(z.fett);
        if (z.groesse > 0)
            f.setFontSize(z.groesse);
        // Room for this line and, when tracks follow, for the notice after it.
        const int noetig = folgende[i + 1] > 0 ? 2 : 1;
        if (f.currentY() + f.zeilenhoehe() * noetig <= f.unterkante()) {
            f.zeile(z.text);
            continue;
        }
        const qsizetype fehlen = folgende[i];
        if (fehlen > 0 && f.currentY() + f.zeilenhoehe() <= f.unterkante())
            f.zeile(fehlen == 1 ? QStringLiteral("... 1 weiterer Titel passt nicht auf die Seite.")
                                : QStringLiteral("... %1 weitere Titel passen nicht auf die Seite.").arg(fehlen));
        return;
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
