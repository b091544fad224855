#include "platform/printing/Inlay.h"

#include "platform/printing/TwipsFlaeche.h"

#include <QPainter>

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

// The printed text block starts here and stays inside the front page's frame (its lower edge
// at 7304 twips), a little clear of the edge so that no line is struck through.
constexpr double DruckAnfang = 600;
constexpr double DruckRahmenUnten = 7304 - 100;

// Where the printed block is cut: the lines that are printed and, when tracks do not all fit,
// how many are left out (the notice then takes the place of the next line).
struct Schnitt
{
    qsizetype zeilen = 0;
    qsizetype fehlen = 0;
};

// Lays the block out as the printer sets it (10 pt, from DruckAnfang down to `unten`) without
// drawing. The preview cuts at the same place, so both count the same tracks left out.
Schnitt druckSchnitt(const InlayDaten& d, double unten)
{
    const QList<Textzeile> zeilen = textblock(d, 10, 10);
    QImage leer(1, 1, QImage::Format_RGB32);
    QPainter maler(&leer);
    TwipsFlaeche mass(maler, 1.0);
    mass.setFontName(QStringLiteral("Times New Roman"));
    mass.setFontBold(true);
    // Tracks still to come after each line.
    QList<qsizetype> folgende(zeilen.size() + 1, 0);
    for (qsizetype i = zeilen.size() - 1; i >= 0; --i)
        folgende[i] = folgende[i + 1] + (zeilen[i].titel && !zeilen[i].text.trimmed().isEmpty() ? 1 : 0);
    double y = DruckAnfang;
    for (qsizetype i = 0; i < zeilen.size(); ++i) {
        mass.setFontBold(zeilen[i].fett);
        if (zeilen[i].groesse > 0)
            mass.setFontSize(zeilen[i].groesse);
        const double hoehe = mass.zeilenhoehe();
        // Room for this line and, when tracks follow, for the notice after it.
        if (y + hoehe * (folgende[i + 1] > 0 ? 2 : 1) <= unten) {
            y += hoehe;
            continue;
        }
        return {i, y + hoehe <= unten ? folgende[i] : 0};
    }
    return {zeilen.size(), 0};
}

// The block in this surface's sizes, cut where the printed one is.
void textDrucken(TwipsFlaeche& f, const InlayDaten& d, double kopf, double rest, const Schnitt& schnitt)
{
    const QList<Textzeile> zeilen = textblock(d, kopf, rest);
    for (qsizetype i = 0; i < schnitt.zeilen && i < zeilen.size(); ++i) {
        f.setFontBold(zeilen[i].fett);
        if (zeilen[i].groesse > 0)
            f.setFontSize(zeilen[i].groesse);
        f.zeile(zeilen[i].text);
    }
    if (schnitt.fehlen > 0)
        f.zeile(schnitt.fehlen == 1
                    ? QStringLiteral("... 1 weiterer Titel passt nicht auf die Seite.")
                    : QStringLiteral("... %1 weitere Titel passen nicht auf die Seite.").arg(schnitt.fehlen));
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
    // A page shorter than the frame (a small paper size) cuts earlier.
    textDrucken(f, d, 10, 10, druckSchnitt(d, qMin(DruckRahmenUnten, f.unterkante())));
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
    textDrucken(f, d, 7, 5, druckSchnitt(d, DruckRahmenUnten));
}

void rueckseiteVorschau(TwipsFlaeche& f, const InlayDaten& d)
{
    f.setScaleLeft(0);
    f.box(280, 333, 5388, 4550);
    // 10 twips inside the frame, as on paper.
    f.bild(d.bild, 290, 343, 5088, 4197);
}

} // namespace klang::printing
