#include "player/catalogue/frmDruckVorschau.h"

#include "kit/Farbverlauf.h"
#include "platform/vbcompat/VbCompat.h"

#include <QKeyEvent>
#include <QPainter>

namespace klang::player {

namespace {
constexpr quint32 Hintergrund = 0xF4EAE3;
constexpr quint32 VerlaufEnde = 0xDEC9AD;
} // namespace

Vorschauleinwand::Vorschauleinwand(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picVorschau"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    bildAnpassen();
}

void Vorschauleinwand::bildAnpassen()
{
    // The drawing only grows: a window made smaller and large again shows it whole.
    const QSize groesse = m_bild.size().expandedTo(size()).expandedTo(QSize(1, 1));
    if (groesse == m_bild.size())
        return;
    QImage neu(groesse, QImage::Format_RGB32);
    neu.fill(vb::colorFromBgr(Hintergrund));
    if (!m_bild.isNull()) {
        QPainter p(&neu);
        p.drawImage(0, 0, m_bild);
    }
    m_bild = neu;
}

void Vorschauleinwand::leeren()
{
    m_bild.fill(vb::colorFromBgr(Hintergrund));
    update();
}

void Vorschauleinwand::zeichnen(const std::function<void(QPainter&)>& zeichner)
{
    bildAnpassen();
    {
        QPainter p(&m_bild);
        zeichner(p);
    }
    update();
}

void Vorschauleinwand::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, m_bild);
}

void Vorschauleinwand::resizeEvent(QResizeEvent*)
{
    bildAnpassen();
}

void Vorschauleinwand::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && escGedrueckt)
        escGedrueckt();
    else
        QWidget::keyPressEvent(event);
}

void Vorschauleinwand::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && escGedrueckt)
        escGedrueckt();
    else
        QWidget::keyReleaseEvent(event);
}

frmDruckVorschau::frmDruckVorschau(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmDruckVorschau"));
    setWindowTitle(QStringLiteral("Druckvorschau"));
    setFont(QFont(QStringLiteral("Segoe UI")));
    picVorschau = new Vorschauleinwand(this);
    picVorschau->move(0, 0);
}

void frmDruckVorschau::paintEvent(QPaintEvent*)
{
    kit::FarbverlaufZeichnen(this, Hintergrund, VerlaufEnde, 1);
}

void frmDruckVorschau::resizeEvent(QResizeEvent*)
{
    if (isMinimized())
        return;
    const int rand = vb::twipsToPixels(50);
    // Too small a window leaves the canvas as it is.
    if (width() > rand && height() > rand)
        picVorschau->resize(width() - rand, height() - rand);
    update();
}

} // namespace klang::player
