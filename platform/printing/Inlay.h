#pragma once

// The CD inlays of a record: the front booklet (two 12 x 12 cm pages side by side, the
// record's data as text on the left, the cover on the right) and the back inlay (one frame
// with the picture). The same layouts draw on the printer page and, two thirds the size, in
// the print preview.

#include <QImage>
#include <QString>
#include <QStringList>

namespace klang::printing {

class TwipsFlaeche;

// What an inlay shows, as the record view shows it.
struct InlayDaten
{
    QString band;
    QString titel;
    QString medium;
    QString plattenfirma;
    QString bestellNr;
    QString kaufdatum;
    QString preis;
    QString stil;
    QString bewertung;
    QString info;
    QStringList ebooks;  // file names only
    QString songs;       // plain text of the track list
    QImage bild;
};

// The answer to "print the picture too?" of the front booklet.
enum class Bildwahl {
    MitBild,    // both pages framed, the picture on the right one
    OhneBild,   // only the left page framed
    OhneRahmen, // the question was closed without an answer: text only
};

// The twelve lines of the text block with the font size each is printed in. A line break in a
// one-line field prints as a blank; the track list gives one line per track. The printed
// block ends inside the front page's frame (or the page's lower edge, when that comes
// first), with a line saying how many tracks were left out; the preview ends at the same line.
struct Textzeile
{
    QString text;
    bool fett = false;
    double groesse = 0; // points; 0 = the font as set so far
    bool titel = false; // a line of the track list
};
QList<Textzeile> textblock(const InlayDaten& daten, double kopfGroesse, double restGroesse);

void vorderseiteDrucken(TwipsFlaeche& flaeche, const InlayDaten& daten, Bildwahl wahl);
void rueckseiteDrucken(TwipsFlaeche& flaeche, const InlayDaten& daten);
void vorderseiteVorschau(TwipsFlaeche& flaeche, const InlayDaten& daten);
void rueckseiteVorschau(TwipsFlaeche& flaeche, const InlayDaten& daten);

} // namespace klang::printing
