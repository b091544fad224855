#include "kit/ImageButton.h"

#include <QMouseEvent>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace kit {

ImageButton::ImageButton(QWidget* parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
}

ImageButton::ImageButton(QWidget* parent, const QString& name, const QString& tip, const QString& bild)
    : ImageButton(parent)
{
    setObjectName(name);
    setToolTip(tip);
    setText(bild);
    // The tool tip is what a screen reader announces for a picture.
    setAccessibleName(tip.trimmed());
}

void ImageButton::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    if (isDown() || m_andereTasten) {
        // The picture sits lower right; the style's own sunken frame is not drawn.
        option.rect.translate(kVersatz, kVersatz);
        option.state &= ~(QStyle::State_Sunken | QStyle::State_On);
        option.state |= QStyle::State_Raised;
    }
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

void ImageButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        QToolButton::mousePressEvent(event);
        return;
    }
    // Taken, so that the release comes back here wherever the pointer is by then.
    m_andereTasten |= event->button();
    event->accept();
    update();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (!(m_andereTasten & event->button())) {
        QToolButton::mouseReleaseEvent(event);
        return;
    }
    m_andereTasten &= ~event->button();
    event->accept();
    update();
}

} // namespace kit
