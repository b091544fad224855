#include "platform/printing/TwipsFlaeche.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <cmath>

namespace klang::printing {

namespace {
constexpr double TwipsProPunkt = 20.0;
} // namespace

TwipsFlaeche::TwipsFlaeche(QPainter& painter, double pixelProTwip)
    : m_painter(painter), m_pixelProTwip(pixelProTwip)
{
    m_font.setFamily(QStringLiteral("Times New Roman"));
    setFontSize(10);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
    transformSetzen();
}

void TwipsFlaeche::transformSetzen()
{
    QTransform t;
    t.scale(m_pixelProTwip, m_pixelProTwip);
    t.translate(-m_scaleLeft, 0);
    m_painter.setWorldTransform(t);
}

void TwipsFlaeche::setScaleLeft(double twips)
{
    m_scaleLeft = twips;
    transformSetzen();
}

void TwipsFlaeche::setFontName(const QString& name)
{
    m_font.setFamily(name);
}

void TwipsFlaeche::setFontSize(double punkte)
{
    // The font is given in the surface's own unit, so that the world transform brings it to
    // its true size on every device.
    m_font.setPixelSize(qMax(1, qRound(punkte * TwipsProPunkt)));
}

void TwipsFlaeche::setFontBold(bool fett)
{
    m_font.setBold(fett);
}

void TwipsFlaeche::box(double x1, double y1, double x2, double y2)
{
    QPen stift(Qt::black);
    stift.setCosmetic(true);
    m_painter.setPen(stift);
    m_painter.setBrush(Qt::white);
    m_painter.drawRect(QRectF(QPointF(qMin(x1, x2), qMin(y1, y2)), QPointF(qMax(x1, x2), qMax(y1, y2))));
}

void TwipsFlaeche::bild(const QImage& bild, double x, double y, double breite, double hoehe)
{
    if (bild.isNull() || breite <= 0 || hoehe <= 0)
        return;
    m_painter.drawImage(QRectF(x, y, breite, hoehe), bild);
}

double TwipsFlaeche::zeilenhoehe() const
{
    return QFontMetricsF(m_font).height();
}

void TwipsFlaeche::zeile(const QString& text)
{
    const double hoehe = zeilenhoehe();
    if (!text.isEmpty()) {
        // Tabs jump to the next stop of a fixed grid, measured in the surface's own unit so
        // that printer and screen set them alike.
        const QFontMetricsF metrik(m_font);
        const double stopp = metrik.averageCharWidth() * 14;
        m_painter.setFont(m_font);
        m_painter.setPen(Qt::black);
        double x = 0;
        const QStringList teile = text.split(u'\t');
        for (qsizetype i = 0; i < teile.size(); ++i) {
            if (i > 0)
                x = (std::floor(x / stopp) + 1) * stopp;
            if (!teile[i].isEmpty()) {
                // Nothing is wrapped: what lies past the page is cut off by the page edge.
                m_painter.drawText(QPointF(x, m_currentY + metrik.ascent()), teile[i]);
                x += metrik.horizontalAdvance(teile[i]);
            }
        }
    }
    m_currentY += hoehe;
}

} // namespace klang::printing
