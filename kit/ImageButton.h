#pragma once

// A picture button of the player's windows. It looks pressed by moving its picture one
// pixel right and down while the mouse button is held on it, and back on release. Only the
// painting moves, never the widget, so its place cannot drift however it is clicked.

#include <QToolButton>

namespace kit {

class ImageButton : public QToolButton
{
    Q_OBJECT
public:
    // How far the picture moves while pressed, in pixels.
    static constexpr int kVersatz = 1;

    explicit ImageButton(QWidget* parent = nullptr);
    // A button with its objectName, tool tip and picture (a symbol character).
    ImageButton(QWidget* parent, const QString& name, const QString& tip, const QString& bild);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Any mouse button presses the picture; only the left one clicks.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::MouseButtons m_andereTasten;
};

} // namespace kit
