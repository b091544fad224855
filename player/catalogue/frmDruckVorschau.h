#pragma once

// The print preview window: one canvas, picVorschau, into which the main window draws an
// inlay. The canvas keeps its drawing (covering, minimising and restoring the window do not
// lose it); the window only keeps the canvas sized and paints its gradient background.

#include <QImage>
#include <QWidget>
#include <functional>

class QPainter;

namespace klang::player {

// A persistent drawing: what is drawn stays until it is cleared.
class Vorschauleinwand : public QWidget
{
    Q_OBJECT
public:
    explicit Vorschauleinwand(QWidget* parent = nullptr);

    // Clears the drawing to the canvas's background.
    void leeren();
    // Draws onto the kept drawing and shows it.
    void zeichnen(const std::function<void(QPainter&)>& zeichner);
    const QImage& bild() const { return m_bild; }
    // Esc pressed or released on the canvas.
    std::function<void()> escGedrueckt;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void bildAnpassen();
    QImage m_bild;
};

class frmDruckVorschau : public QWidget
{
    Q_OBJECT
public:
    explicit frmDruckVorschau(QWidget* parent = nullptr);
    Vorschauleinwand* picVorschau = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace klang::player
