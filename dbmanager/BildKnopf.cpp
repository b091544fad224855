#include "dbmanager/BildKnopf.h"

#include "platform/vbcompat/VbCompat.h"

#include <QMouseEvent>

namespace dbmanager {

namespace {
constexpr int VersatzTwips = 20;
int versatz()
{
    return qMax(1, klang::vb::twipsToPixels(VersatzTwips));
}
} // namespace

BildKnopf::BildKnopf(int index, QWidget* parent)
    : QLabel(parent)
    , m_index(index)
{
    setObjectName(QStringLiteral("imgButton(%1)").arg(index));
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
}

void BildKnopf::mousePressEvent(QMouseEvent* event)
{
    if (!isEnabled()) {
        QLabel::mousePressEvent(event);
        return;
    }
    m_gedrueckt = true;
    move(x() + versatz(), y() + versatz());
    event->accept();
}

void BildKnopf::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_gedrueckt) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    m_gedrueckt = false;
    if (x() != 0)
        move(x() - versatz(), y() - versatz());
    event->accept();
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked(m_index);
}

} // namespace dbmanager
