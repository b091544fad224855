#include "player/catalogue/detail/Sternreihe.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace klang::detail {

namespace {
constexpr int SternPixel = 17; // 255 twips
}

Sternreihe::Sternreihe(const QString& praefix, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(praefix);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int k = 0; k < Anzahl; ++k) {
        auto* stern = new QLabel(this);
        stern->setObjectName(QStringLiteral("%1_%2").arg(praefix).arg(k));
        stern->setToolTip(QStringLiteral(" %1 ").arg(k + 1));
        stern->setFixedSize(SternPixel, SternPixel);
        stern->setCursor(Qt::PointingHandCursor);
        stern->installEventFilter(this);
        layout->addWidget(stern);
        m_sterne_ << stern;
    }
    layout->addStretch();
    setSterne(0);
}

QPixmap Sternreihe::sternBild(bool leuchtend, int groesse)
{
    QPixmap bild(groesse, groesse);
    bild.fill(Qt::transparent);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath pfad;
    const QPointF mitte(groesse / 2.0, groesse / 2.0 + 0.5);
    const double aussen = groesse / 2.0 - 0.5;
    const double innen = aussen * 0.45;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2) ? innen : aussen;
        const double w = -M_PI / 2 + i * M_PI / 5;
        const QPointF punkt(mitte.x() + r * qCos(w), mitte.y() + r * qSin(w));
        if (i == 0)
            pfad.moveTo(punkt);
        else
            pfad.lineTo(punkt);
    }
    pfad.closeSubpath();
    p.setPen(leuchtend ? QColor(0xB0, 0x80, 0x00) : QColor(0x90, 0x90, 0x90));
    p.setBrush(leuchtend ? QColor(0xFF, 0xC8, 0x00) : QColor(0xD8, 0xD8, 0xD8));
    p.drawPath(pfad);
    return bild;
}

void Sternreihe::setSterne(int sterne)
{
    m_sterne = (sterne >= 0 && sterne <= Anzahl) ? sterne : 0;
    const QPixmap hell = sternBild(true, SternPixel);
    const QPixmap grau = sternBild(false, SternPixel);
    for (int k = 0; k < Anzahl; ++k) {
        m_sterne_[k]->setPixmap(k < m_sterne ? hell : grau);
        m_sterne_[k]->setProperty("leuchtend", k < m_sterne);
    }
}

bool Sternreihe::istLeuchtend(int index) const
{
    return index >= 0 && index < m_sterne;
}

bool Sternreihe::eventFilter(QObject* watched, QEvent* event)
{
    // A star held down looks pressed: its picture sits a pixel lower right until release.
    if (auto* stern = qobject_cast<QLabel*>(watched); stern && m_sterne_.contains(stern)) {
        if (event->type() == QEvent::MouseButtonPress)
            stern->setContentsMargins(1, 1, 0, 0);
        else if (event->type() == QEvent::MouseButtonRelease)
            stern->setContentsMargins(0, 0, 0, 0);
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* maus = static_cast<QMouseEvent*>(event);
        const int index = int(m_sterne_.indexOf(qobject_cast<QLabel*>(watched)));
        if (index >= 0 && maus->button() == Qt::LeftButton) {
            Q_EMIT sternGeklickt(index);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace klang::detail
