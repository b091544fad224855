#pragma once

// The rules of the message box that need no window: which buttons and icon a style code
// selects, the result word and caption of each button, and the box's size for a number of
// text lines. All sizes are in twips.

#include <QFont>
#include <QList>
#include <QString>

namespace kit {

constexpr int MsgFennKeinStandardKnopf = 7;
constexpr int MsgFennKnopfAnzahl = 7;

// What a style code (button set * 10 + icon) shows.
struct MsgFennStil
{
    QList<int> knoepfe;  // indexes of the visible buttons, in the order of the set
    int symbol = 0;      // 1 information, 2 question, 3 exclamation, 4 stop; 0 none
    QString klangDatei;  // sound file name in the program folder; empty: no sound
};

MsgFennStil msgFennStil(int style);

// "Ok", "Ja", ... for index 0..6; "" for any other index.
QString msgFennErgebnisWort(int index);
// "&OK", "&Ja", ... "E&xit " (with its trailing blank) for index 0..6; "" otherwise.
QString msgFennKnopfText(int index);
// Left and width of a button inside the button frame (twips).
int msgFennKnopfLinks(int index);
int msgFennKnopfBreite(int index);

// Geometry of the box for the number of lines its text shows at the design width.
struct MsgFennMasse
{
    int textHoehe = 900;
    int textBreite = 4965;
    int formBreite = 6180;   // outer width of the window
    int formHoehe = 0;       // outer height; 0 keeps the design height
    int innenBreite = 6090;  // client area
    int innenHoehe = 1905;
    int rahmenBreite = 6090; // button frame
};

// Line height 260 twips; the text keeps 900..7700 twips; a text above 900 makes the window
// text + 1400 high, above 2700 the box is widened.
MsgFennMasse msgFennMasse(int zeilen);

// The number of lines a text shows in a box of the given usable width (pixels) and font.
int msgFennZeilen(const QString& text, const QFont& font, int breitePixel, qreal rand = 4);

// Line breaks of any kind (CRLF, CR) become LF.
QString zeilenumbruecheVereinheitlichen(QString text);

} // namespace kit
