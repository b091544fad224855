#include "kit/Symbole.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

namespace kit {

namespace {

constexpr int Kante = 35;

void zeichen(QPainter& p, const QRectF& r, const QString& text, const QColor& farbe, int groesse)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(groesse);
    p.setFont(f);
    p.setPen(farbe);
    p.drawText(r, Qt::AlignCenter, text);
}

} // namespace

QPixmap msgFennSymbol(int nummer)
{
    if (nummer < 1 || nummer > 4)
        return QPixmap();
    QPixmap bild(Kante, Kante);
    bild.fill(Qt::transparent);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF feld(1.5, 1.5, Kante - 3, Kante - 3);
    switch (nummer) {
    case 1: // information: white "i" on a blue disc
        p.setPen(QPen(QColor(0x1f, 0x4e, 0x9c), 1.5));
        p.setBrush(QColor(0x3a, 0x7b, 0xd5));
        p.drawEllipse(feld);
        zeichen(p, feld, QStringLiteral("i"), Qt::white, 24);
        break;
    case 2: // question: white "?" on a blue disc
        p.setPen(QPen(QColor(0x1f, 0x4e, 0x9c), 1.5));
        p.setBrush(QColor(0x4f, 0x8f, 0xe0));
        p.drawEllipse(feld);
        zeichen(p, feld, QStringLiteral("?"), Qt::white, 24);
        break;
    case 3: { // exclamation: black "!" in a yellow triangle
        QPolygonF dreieck;
        dreieck << QPointF(Kante / 2.0, 2) << QPointF(Kante - 2, Kante - 3) << QPointF(2, Kante - 3);
        p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1.5));
        p.setBrush(QColor(0xff, 0xd3, 0x2a));
        p.drawPolygon(dreieck);
        zeichen(p, QRectF(0, 8, Kante, Kante - 10), QStringLiteral("!"), Qt::black, 20);
        break;
    }
    case 4: { // stop: white bar in a red octagon
        QPolygonF achteck;
        const QPointF mitte(Kante / 2.0, Kante / 2.0);
        const qreal radius = Kante / 2.0 - 1.5;
        for (int i = 0; i < 8; ++i) {
            const qreal winkel = qDegreesToRadians(22.5 + 45.0 * i);
            achteck << mitte + QPointF(radius * qCos(winkel), radius * qSin(winkel));
        }
        p.setPen(QPen(QColor(0x80, 0x10, 0x10), 1.5));
        p.setBrush(QColor(0xd9, 0x26, 0x26));
        p.drawPolygon(achteck);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, Kante / 2.0 - 3, Kante - 16, 6));
        break;
    }
    default:
        break;
    }
    return bild;
}

} // namespace kit
