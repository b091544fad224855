#include "kit/MsgFennRegeln.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <array>

namespace kit {

namespace {

struct Knopf
{
    const char* text;
    const char* wort;
    int links;
    int breite;
};

const std::array<Knopf, MsgFennKnopfAnzahl> knopfTabelle = {{
    {"&OK", "Ok", 3150, 1290},
    {"&Ja", "Ja", 1725, 1290},
    {"&Nein", "Nein", 3150, 1290},
    {"E&xit ", "Exit", 4575, 1290},
    {"&Ignorieren", "Ignorieren", 1275, 1515},
    {"&Wiederholen", "Wiederholen", 2925, 1515},
    {"B&eenden", "Beenden", 4575, 1290},
}};

bool gueltig(int index) { return index >= 0 && index < MsgFennKnopfAnzahl; }

} // namespace

MsgFennStil msgFennStil(int style)
{
    MsgFennStil s;
    int rest = style;
    // The tests run from the largest set down; the first that holds takes its tens.
    if (style >= 60) {
        rest -= 60;
        s.knoepfe = {0, 6};
    } else if (style >= 50) {
        rest -= 50;
        s.knoepfe = {4, 5, 3};
    } else if (style >= 40) {
        rest -= 40;
        s.knoepfe = {5, 3};
    } else if (style >= 30) {
        rest -= 30;
        s.knoepfe = {1, 2, 3};
    } else if (style >= 20) {
        rest -= 20;
        s.knoepfe = {1, 2};
    } else if (style < 10) {
        s.knoepfe = {0};
    } else {
        rest -= 10;
        s.knoepfe = {0, 3};
    }
    if (rest >= 1 && rest <= 4)
        s.symbol = rest;
    switch (rest) {
    case 0:
    case 1: s.klangDatei = QStringLiteral("Infozeichen.wav"); break;
    case 2: s.klangDatei = QStringLiteral("Fragezeichen.wav"); break;
    case 3: s.klangDatei = QStringLiteral("Ausrufezeichen.wav"); break;
    case 4: s.klangDatei = QStringLiteral("Stoppzeichen.wav"); break;
    default: break;
    }
    return s;
}

QString msgFennErgebnisWort(int index)
{
    return gueltig(index) ? QString::fromUtf8(knopfTabelle[index].wort) : QString();
}

QString msgFennKnopfText(int index)
{
    return gueltig(index) ? QString::fromUtf8(knopfTabelle[index].text) : QString();
}

int msgFennKnopfLinks(int index) { return gueltig(index) ? knopfTabelle[index].links : 0; }
int msgFennKnopfBreite(int index) { return gueltig(index) ? knopfTabelle[index].breite : 0; }

MsgFennMasse msgFennMasse(int zeilen)
{
    // The window's frame and caption take 90 twips of the width and 395 of the height.
    constexpr int randBreite = 90;
    constexpr int randHoehe = 395;
    MsgFennMasse m;
    const qint64 hoehe = qint64(qMax(zeilen, 0)) * 260;
    m.textHoehe = int(qBound(qint64(900), hoehe, qint64(7700)));
    if (m.textHoehe > 900) {
        m.formHoehe = m.textHoehe + 1400;
        m.innenHoehe = m.formHoehe - randHoehe;
    }
    if (m.textHoehe > 2700) {
        m.formBreite = 7725;
        m.textBreite = 6465;
        m.rahmenBreite = 7620;
    } else {
        m.formBreite = 6180;
        m.textBreite = 4965;
        m.rahmenBreite = 6090;
    }
    m.innenBreite = m.formBreite - randBreite;
    return m;
}

int msgFennZeilen(const QString& text, const QFont& font, int breitePixel, qreal rand)
{
    QTextDocument doc;
    doc.setDefaultFont(font);
    doc.setDocumentMargin(rand);
    doc.setPlainText(text);
    doc.setTextWidth(qMax(breitePixel, 1));
    doc.documentLayout()->documentSize(); // lays out every block
    int zeilen = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (const QTextLayout* layout = b.layout())
            zeilen += qMax(layout->lineCount(), 1);
        else
            ++zeilen;
    }
    return qMax(zeilen, 1);
}

QString zeilenumbruecheVereinheitlichen(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace kit
