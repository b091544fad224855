#include "player/catalogue/Videofenster.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace klang::player {

Videofenster::Videofenster(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_flaeche(new QWidget(this))
{
    setObjectName(QStringLiteral("frmWinMediaPlayer"));
    setWindowTitle(QStringLiteral("Klangtruhe-Player - Video"));
    resize(640, 400);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_flaeche->setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    // The engine draws into the surface's own native window.
    m_flaeche->setAttribute(Qt::WA_NativeWindow);
    m_flaeche->setAutoFillBackground(true);
    QPalette p = m_flaeche->palette();
    p.setColor(QPalette::Window, Qt::black);
    m_flaeche->setPalette(p);
    layout->addWidget(m_flaeche);
}

void Videofenster::closeEvent(QCloseEvent* event)
{
    // Hidden, not destroyed: the engine keeps its surface for the next video.
    event->ignore();
    hide();
    Q_EMIT geschlossen();
}

} // namespace klang::player
