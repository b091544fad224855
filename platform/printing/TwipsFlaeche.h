#pragma once

// A drawing surface in twips over any painter (a printer page or the preview's canvas).
// It keeps the drawing state the inlay layouts rely on: the scale's left edge (moving it
// shifts everything drawn afterwards), the current vertical position that each printed line
// advances by its line height, and the current font.

#include <QFont>
#include <QString>

#include <limits>

class QImage;
class QPainter;

namespace klang::printing {

class TwipsFlaeche
{
public:
    // pixelProTwip: device units per twip (printer resolution / 1440, or 1/15 on screen).
    TwipsFlaeche(QPainter& painter, double pixelProTwip);

    void setScaleLeft(double twips);
    double scaleLeft() const { return m_scaleLeft; }
    void setCurrentY(double twips) { m_currentY = twips; }
    double currentY() const { return m_currentY; }

    void setFontName(const QString& name);
    void setFontSize(double punkte);
    void setFontBold(bool fett);
    const QFont& font() const { return m_font; }

    // A white box with a black outline from corner to corner (both corners included).
    void box(double x1, double y1, double x2, double y2);
    // The picture stretched into the rectangle; a picture without image draws nothing.
    void bild(const QImage& bild, double x, double y, double breite, double hoehe);
    // One printed line at horizontal position 0: tabs jump to the next tab stop, nothing is
    // wrapped; the current vertical position then advances by the font's line height.
    void zeile(const QString& text);
    // The height one printed line takes with the current font, in twips.
    double zeilenhoehe() const;
    // The lowest vertical position a printed line may reach (the page's printable bottom);
    // no limit unless set.
    void setUnterkante(double twips) { m_unterkante = twips; }
    double unterkante() const { return m_unterkante; }

private:
    void transformSetzen();

    QPainter& m_painter;
    double m_pixelProTwip;
    double m_scaleLeft = 0;
    double m_currentY = 0;
    double m_unterkante = std::numeric_limits<double>::infinity();
    QFont m_font;
};

} // namespace klang::printing
