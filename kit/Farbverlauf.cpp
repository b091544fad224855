#include "kit/Farbverlauf.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace kit {

namespace {

// The system colour indexes the programs use, mapped to the palette's roles.
QColor systemFarbe(int index)
{
    const QPalette p = QGuiApplication::palette();
    switch (index) {
    case 0: return p.color(QPalette::Button);           // scroll bar
    case 1: return p.color(QPalette::Window);           // desktop
    case 2: return p.color(QPalette::Highlight);        // active caption
    case 3: return p.color(QPalette::Inactive, QPalette::Highlight);
    case 4: return p.color(QPalette::Window);           // menu
    case 5: return p.color(QPalette::Base);             // window
    case 6: return p.color(QPalette::Shadow);           // window frame
    case 7: return p.color(QPalette::WindowText);       // menu text
    case 8: return p.color(QPalette::Text);             // window text
    case 9: return p.color(QPalette::HighlightedText);  // caption text
    case 10:
    case 11: return p.color(QPalette::Window);          // borders
    case 12: return p.color(QPalette::Dark);            // application workspace
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);          // 3-D face
    case 16: return p.color(QPalette::Mid);             // 3-D shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text);
    case 18: return p.color(QPalette::ButtonText);
    case 19: return p.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20: return p.color(QPalette::Light);           // 3-D highlight
    case 21: return p.color(QPalette::Shadow);          // 3-D dark shadow
    case 22: return p.color(QPalette::Midlight);        // 3-D light
    case 23: return p.color(QPalette::ToolTipText);
    case 24: return p.color(QPalette::ToolTipBase);
    default: return p.color(QPalette::Window);
    }
}

// A channel goes through the gradient vertex's form (value * 256 as a signed word) and
// back to 8 bits.
int kanal(quint32 farbe, int verschiebung)
{
    const int wort = FarbanteilWort(int((farbe >> verschiebung) & 0xFF) * 256);
    return quint16(wort) >> 8;
}

} // namespace

QColor farbeAusWert(qint64 wert)
{
    const quint32 bits = quint32(wert & 0xFFFFFFFF);
    if ((bits & 0xFF000000u) == 0x80000000u)
        return systemFarbe(int(bits & 0x00FFFFFF));
    return QColor(kanal(bits, 0), kanal(bits, 8), kanal(bits, 16));
}

int FarbanteilWort(int v) { return v >= 32768 ? v - 65536 : v; }

void FarbverlaufZeichnen(QWidget* obj, qint64 farbe1, qint64 farbe2, int modus)
{
    if (!obj || obj->width() <= 0 || obj->height() <= 0)
        return;
    QPainter painter(obj);
    FarbverlaufZeichnen(painter, obj, farbe1, farbe2, modus);
}

void FarbverlaufZeichnen(QPainter& painter, QWidget* obj, qint64 farbe1, qint64 farbe2, int modus)
{
    if (!obj)
        return;
    const QRect feld = obj->rect();
    if (feld.width() <= 0 || feld.height() <= 0 || !painter.isActive()
        || (modus != 0 && modus != 1))
        return;
    // Vertex 0 sits at the top-left with the first colour, vertex 1 at the bottom-right
    // with the second; mode 1 shades downwards, mode 0 to the right.
    const QPointF ende = modus == 1 ? QPointF(0, feld.height()) : QPointF(feld.width(), 0);
    QLinearGradient verlauf(QPointF(0, 0), ende);
    verlauf.setColorAt(0, farbeAusWert(farbe1));
    verlauf.setColorAt(1, farbeAusWert(farbe2));
    painter.fillRect(feld, verlauf);
}

} // namespace kit
