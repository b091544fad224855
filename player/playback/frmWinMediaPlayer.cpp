#include "player/playback/frmWinMediaPlayer.h"

#include "kit/Farbverlauf.h"
#include "kit/FormPlatzieren.h"
#include "player/playback/core/PlayerController.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/settings/Settings.h"
#include "platform/vbcompat/VbCompat.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace klang::player {

using klang::vb::pixelsToTwips;
using klang::vb::twipsToPixels;

namespace {

struct Knopf
{
    int links; // twips
    const char* tip;
    const char* bild;
    bool sichtbar;
};
constexpr Knopf kKnopfTabelle[frmWinMediaPlayer::kKnoepfe] = {
    {1170, " Zurück ", "«", true},
    {1705, " Vor ", "»", true},
    {2240, " Track zufällig ", "?", true},
    {635, " Stop & Exit ", "■", true},
    {100, " Pos-A festlegen ", "A", true},
    {100, " Pos-B festlegen ", "B", false},
    {100, " exit Pos A-B ", "⟲", false},
    {2775, " in Fenster einpassen ", "⤢", true},
    {2775, " Originalgröße  ", "1:1", false},
    {3300, " Vollbild ", "▣", true},
};
constexpr int kKnopfPx = 23;
// Below the picture: the button row's band and the buttons' gap to the bottom edge.
constexpr int kLeisteTwips = 450;
constexpr int kAbstandTwips = 60;

const QString kApp = QStringLiteral("KlangtruhePlayer");
const QString kSektion = QStringLiteral("Options");

int zahl(const QString& key, int standard)
{
    bool ok = false;
    const int wert = klang::GetSetting(kApp, kSektion, key, QString::number(standard)).trimmed().toInt(&ok);
    return ok ? wert : standard;
}

void speichern(const QString& key, int wert)
{
    klang::SaveSetting(kApp, kSektion, key, QString::number(wert));
}

} // namespace

frmWinMediaPlayer::frmWinMediaPlayer(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , WindowsMediaPlayer1(new klang::media::MediaPlayerControl(this))
{
    aufbauen();
}

frmWinMediaPlayer::frmWinMediaPlayer(klang::media::MediaEngine* engine, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , WindowsMediaPlayer1(new klang::media::MediaPlayerControl(engine, this))
{
    aufbauen();
}

frmWinMediaPlayer::~frmWinMediaPlayer()
{
    TimerPosAB.aus();
}

void frmWinMediaPlayer::aufbauen()
{
    setObjectName(QStringLiteral("frmWinMediaPlayer"));
    setWindowTitle(QStringLiteral("Movie Player"));
    setFont(QFont(QStringLiteral("Segoe UI")));
    resize(twipsToPixels(15225), twipsToPixels(10725));
    WindowsMediaPlayer1->setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    WindowsMediaPlayer1->setUiMode(QStringLiteral("full"));
    WindowsMediaPlayer1->setAutoStart(true);
    WindowsMediaPlayer1->setVolume(100);
    WindowsMediaPlayer1->setStretchToFit(false);

    for (int i = 0; i < kKnoepfe; ++i) {
        const Knopf& k = kKnopfTabelle[i];
        auto* b = new kit::ImageButton(this, QStringLiteral("imgVorBack_%1").arg(i), QString::fromUtf8(k.tip),
                                  QString::fromUtf8(k.bild));
        b->setGeometry(twipsToPixels(k.links), 0, kKnopfPx, kKnopfPx);
        b->setVisible(k.sichtbar);
        connect(b, &QToolButton::clicked, this, [this, i] { imgVorBack_Click(i); });
        imgVorBack << b;
    }

    TimerPosAB.setEngine(WindowsMediaPlayer1->engine());
    TimerPosAB.geaendert = [this] { abSymbole(); };
    // A new medium starts without the marks of the one before.
    connect(WindowsMediaPlayer1->engine(), &klang::media::MediaEngine::loaded, this, [this] { ABsonderzeichen(); });
}

void frmWinMediaPlayer::RegistryLesen()
{
    const int zustand = zahl(QStringLiteral("WinMediaPlayerWindowState"), 0);
    QRect r(twipsToPixels(zahl(QStringLiteral("WinMediaPlayerLeft"), 0)),
            twipsToPixels(zahl(QStringLiteral("WinMediaPlayerTop"), 0)),
            twipsToPixels(zahl(QStringLiteral("WinMediaPlayerWidth"), 15225)),
            twipsToPixels(zahl(QStringLiteral("WinMediaPlayerHeight"), 10725)));
    // A window too small to hold its buttons, or reaching past the screens, comes back
    // usable: its caption and its row of buttons on a screen.
    setWindowState(Qt::WindowNoState);
    kit::gespeichertePlatzieren(this, r, QSize(twipsToPixels(3700), twipsToPixels(1500)));
    if (zustand == 2)
        setWindowState(Qt::WindowMaximized);
    else if (zustand == 1)
        setWindowState(Qt::WindowMinimized);
}

void frmWinMediaPlayer::geometrieSpeichern()
{
    if (isMinimized())
        return;
    if (isMaximized() || isFullScreen()) {
        speichern(QStringLiteral("WinMediaPlayerWindowState"), 2);
        return;
    }
    speichern(QStringLiteral("WinMediaPlayerWindowState"), 0);
    speichern(QStringLiteral("WinMediaPlayerLeft"), pixelsToTwips(x()));
    speichern(QStringLiteral("WinMediaPlayerTop"), pixelsToTwips(y()));
    speichern(QStringLiteral("WinMediaPlayerWidth"), pixelsToTwips(width()));
    speichern(QStringLiteral("WinMediaPlayerHeight"), pixelsToTwips(height()));
}

void frmWinMediaPlayer::showEvent(QShowEvent* event)
{
    if (!m_geladen) {
        m_geladen = true;
        RegistryLesen();
        ABsonderzeichen();
    }
    QWidget::showEvent(event);
}

void frmWinMediaPlayer::closeEvent(QCloseEvent* event)
{
    // Hidden, not destroyed: the engine keeps its surface for the next video.
    event->ignore();
    if (m_spieler)
        m_spieler->MiniPlayerStop();
    WindowsMediaPlayer1->close();
    ABsonderzeichen();
    if (m_geladen)
        geometrieSpeichern();
    m_geladen = false;
    hide();
    Q_EMIT geschlossen();
}

void frmWinMediaPlayer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int leiste = twipsToPixels(kLeisteTwips);
    WindowsMediaPlayer1->setGeometry(0, 0, width(), std::max(0, height() - leiste));
    const int oben = height() - kKnopfPx - twipsToPixels(kAbstandTwips);
    for (kit::ImageButton* b : std::as_const(imgVorBack))
        b->move(b->x(), oben);
    update();
}

void frmWinMediaPlayer::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    kit::FarbverlaufZeichnen(p, this, 0xDEC9AD, 0xF4EAE3, 0);
}

void frmWinMediaPlayer::ABsonderzeichen()
{
    TimerPosAB.aus();
    abSymbole();
}

void frmWinMediaPlayer::abSymbole()
{
    const AbZustand z = TimerPosAB.zustand();
    imgVorBack[4]->setVisible(z == AbZustand::Aus);
    imgVorBack[5]->setVisible(z == AbZustand::WartetAufB);
    imgVorBack[6]->setVisible(z == AbZustand::Wiederholt);
}

void frmWinMediaPlayer::imgVorBack_Click(int index)
{
    switch (index) {
    case 0:
    case 1:
        ABsonderzeichen();
        if (m_spieler && m_spieler->MiniPlayerSchritt(index == 0 ? -1 : 1))
            m_spieler->MiniPlayerVorBackStart();
        break;
    case 2:
        ABsonderzeichen();
        if (m_spieler)
            m_spieler->ZufallUndStart();
        break;
    case 3:
        close();
        break;
    case 4:
        TimerPosAB.setzeA();
        break;
    case 5:
        TimerPosAB.setzeB();
        break;
    case 6:
        TimerPosAB.aus();
        break;
    case 7:
    case 8:
        WindowsMediaPlayer1->setStretchToFit(index == 7);
        imgVorBack[7]->setVisible(index == 8);
        imgVorBack[8]->setVisible(index == 7);
        break;
    case 9:
        WindowsMediaPlayer1->setFullScreen(true);
        break;
    default:
        break;
    }
}

} // namespace klang::player
