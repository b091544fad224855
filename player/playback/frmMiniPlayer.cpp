#include "player/playback/frmMiniPlayer.h"

#include "kit/Farbverlauf.h"
#include "kit/FormPlatzieren.h"
#include "kit/Helpers.h"
#include "player/playback/Lautsprecherregler.h"
#include "player/playback/core/PlayerController.h"
#include "platform/settings/Settings.h"
#include "platform/vbcompat/VbCompat.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace klang::player {

using klang::vb::pixelsToTwips;
using klang::vb::twipsToPixels;

namespace {

// The buttons along the bar: index, place in the bar (left, twips), place in the column
// (top, twips), tool tip, symbol, shown at first.
struct Knopf
{
    int index;
    int links;
    int oben;
    const char* tip;
    const char* bild;
    bool sichtbar;
};
constexpr Knopf kKnopfTabelle[] = {
    {0, 95, 45, " Zurück ", "«", true},
    {2, 555, 441, " Play ", "▶", true},
    {6, 1015, 837, " Pause -> Play ", "❚❚", true},
    {10, 1015, 837, " Play ", "▷", false},
    {1, 1475, 1260, " Vor ", "»", true},
    {3, 1935, 1650, " Stop ", "■", true},
    {5, 2395, 2040, " Track zufällig ", "?", true},
    {11, 2855, 2445, " Resume ", "↻", true},
    {7, 3315, 2850, " Pos-A feslegen ", "A", true},
    {8, 3315, 2850, " Pos-B feslegen ", "B", false},
    {9, 3315, 2850, " exit Pos A-B ", "⟲", false},
    {4, 3775, 3255, " Maximieren ", "□", true},
    {12, 4235, 3645, " Horizontal/Vertikal", "⇅", true},
};
constexpr int kLautsprecherLinks = 4695;
constexpr int kLautsprecherOben = 4050;
constexpr int kKnopfTwips = 345;
constexpr int kBalkenOben = 45;
constexpr int kSpalteLinks = 30;
// Client areas: the bar 5145 x 450 twips, the column 420 x 4440 twips.
constexpr QSize kBalken(343, 30);
constexpr QSize kSpalte(28, 296);

const QString kApp = QStringLiteral("KlangtruhePlayer");
const QString kSektion = QStringLiteral("Options");

QString schluessel(frmMiniPlayer::Ausrichtung a, const char* achse)
{
    return QStringLiteral("MiniPlayer") + (a == frmMiniPlayer::Ausrichtung::Horizontal ? QStringLiteral("Horizontal")
                                                                                       : QStringLiteral("Vertikal"))
           + QLatin1String(achse);
}

// A stored twips value; a text that is no number leaves the fallback.
int twipsLesen(const QString& key, int fallback)
{
    bool ok = false;
    const int wert = klang::GetSetting(kApp, kSektion, key, QStringLiteral("0")).trimmed().toInt(&ok);
    return ok ? wert : fallback;
}

} // namespace

frmMiniPlayer::frmMiniPlayer(PlayerController& spieler, IHauptfenster& hauptfenster, QWidget* besitzer)
    : QWidget(besitzer, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Timer3(Laufschrift::Art::Miniplayer, kTitel)
    , m_spieler(spieler)
    , m_hauptfenster(hauptfenster)
{
    setObjectName(QStringLiteral("frmMiniPlayer"));
    setWindowTitle(kTitel);
    setFixedSize(kBalken);

    imgVorBack.resize(kKnoepfe);
    for (const Knopf& k : kKnopfTabelle) {
        auto* b = new kit::ImageButton(this, QStringLiteral("imgVorBack_%1").arg(k.index), QString::fromUtf8(k.tip),
                                  QString::fromUtf8(k.bild));
        b->resize(twipsToPixels(kKnopfTwips), twipsToPixels(kKnopfTwips));
        b->setVisible(k.sichtbar);
        const int index = k.index;
        connect(b, &QToolButton::clicked, this, [this, index] { imgVorBack_Click(index); });
        imgVorBack[k.index] = b;
    }
    imgLautsprecherregler = new kit::ImageButton(this, QStringLiteral("imgLautsprecherregler"),
                                            QStringLiteral(" Lautsprecherregler anzeigen "), QStringLiteral("♪"));
    imgLautsprecherregler->resize(twipsToPixels(kKnopfTwips), twipsToPixels(kKnopfTwips));
    connect(imgLautsprecherregler, &QToolButton::clicked, this, &frmMiniPlayer::imgLautsprecherregler_Click);
    knoepfeLegen();

    Laufschrift::Anbindung a;
    a.text = [this](int runde) { return m_spieler.laufschriftText(runde); };
    a.titel = [this](const QString& text) { setWindowTitle(laufschrifttext::fensterTitel(text)); };
    a.eingeschaltet = [this] { return m_spieler.laufschrift(); };
    a.darfLaufen = [this] { return isVisible(); };
    a.titelBeendet = [this] { return m_spieler.titelBeendet(); };
    Timer3.setAnbindung(std::move(a));

    connect(&m_spieler, &PlayerController::abZustandChanged, this,
            [this] { abSymbole(m_spieler.abWiederholung().zustand()); });
    // Coming to this window from another window of the program puts it back at its stored
    // place; coming back from another program does not.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* fenster) {
        if (!fenster)
            return;
        if (fenster == windowHandle() && m_letztesFenster && m_letztesFenster != fenster && isVisible())
            platzEinnehmen();
        m_letztesFenster = fenster;
    });
}

frmMiniPlayer::~frmMiniPlayer()
{
    Timer3.stop();
}

void frmMiniPlayer::knoepfeLegen()
{
    const bool balken = m_ausrichtung == Ausrichtung::Horizontal;
    for (const Knopf& k : kKnopfTabelle) {
        imgVorBack[k.index]->move(balken ? QPoint(twipsToPixels(k.links), twipsToPixels(kBalkenOben))
                                         : QPoint(twipsToPixels(kSpalteLinks), twipsToPixels(k.oben)));
    }
    imgLautsprecherregler->move(balken ? QPoint(twipsToPixels(kLautsprecherLinks), twipsToPixels(kBalkenOben))
                                       : QPoint(twipsToPixels(kSpalteLinks), twipsToPixels(kLautsprecherOben)));
}

void frmMiniPlayer::platzEinnehmen()
{
    setFixedSize(m_ausrichtung == Ausrichtung::Horizontal ? kBalken : kSpalte);
    knoepfeLegen();
    const QPoint bisher = pos();
    const QPoint platz(twipsToPixels(twipsLesen(schluessel(m_ausrichtung, "Left"), pixelsToTwips(bisher.x()))),
                       twipsToPixels(twipsLesen(schluessel(m_ausrichtung, "Top"), pixelsToTwips(bisher.y()))));
    // The whole bar or column stays on a screen: with the main window hidden, a button out of
    // reach would leave no way back.
    kit::gespeichertePlatzieren(this, QRect(platz, size()), QSize(), false);
}

void frmMiniPlayer::platzSpeichern()
{
    klang::SaveSetting(kApp, kSektion, schluessel(m_ausrichtung, "Top"), QString::number(pixelsToTwips(y())));
    klang::SaveSetting(kApp, kSektion, schluessel(m_ausrichtung, "Left"), QString::number(pixelsToTwips(x())));
}

void frmMiniPlayer::vordergrund()
{
    const bool oben = m_hauptfenster.miniPlayerImVordergrund();
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == oben)
        return;
    if (isVisible())
        kit::FensterOnTop(this, oben);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, oben);
}

void frmMiniPlayer::anzeigen()
{
    m_entladen = false;
    vordergrund();
    show();
    platzEinnehmen();
    raise();
    activateWindow();
    if (m_spieler.laufschrift() && m_spieler.status() == PlayerStatus::Playing)
        Timer3.start();
    abSymbole(m_spieler.abWiederholung().zustand());
    pauseSymbol(m_spieler.pausiertFlag());
}

void frmMiniPlayer::ABsonderzeichen()
{
    imgVorBack[6]->setVisible(true);
    imgVorBack[7]->setVisible(true);
    imgVorBack[8]->setVisible(false);
    imgVorBack[9]->setVisible(false);
    imgVorBack[10]->setVisible(false);
}

void frmMiniPlayer::abSymbole(AbZustand zustand)
{
    imgVorBack[7]->setVisible(zustand == AbZustand::Aus);
    imgVorBack[8]->setVisible(zustand == AbZustand::WartetAufB);
    imgVorBack[9]->setVisible(zustand == AbZustand::Wiederholt);
}

void frmMiniPlayer::pauseSymbol(bool pausiert)
{
    imgVorBack[6]->setVisible(!pausiert);
    imgVorBack[10]->setVisible(pausiert);
}

void frmMiniPlayer::pauseCountdown(int sekundenUebrig)
{
    pauseSymbol(sekundenUebrig > 0);
    if (sekundenUebrig > 0)
        setWindowTitle(QStringLiteral(" %1 Sek. Pause").arg(sekundenUebrig));
    else
        setWindowTitle(kTitel);
}

void frmMiniPlayer::captionZuruecksetzen()
{
    setWindowTitle(kTitel);
}

void frmMiniPlayer::imgVorBack_Click(int index)
{
    PlayerController& s = m_spieler;
    const bool spielt = s.status() != PlayerStatus::Idle;
    switch (index) {
    case 0:
    case 1:
        ABsonderzeichen();
        Timer3.stop();
        if (s.MiniPlayerSchritt(index == 0 ? -1 : 1)) {
            s.MiniPlayerVorBackStart();
            Timer3.start();
        }
        break;
    case 2:
        ABsonderzeichen();
        s.MiniPlayerVorBackStart();
        Timer3.start();
        break;
    case 3:
        ABsonderzeichen();
        Timer3.stop();
        captionZuruecksetzen();
        // A running pause between tracks ends in the stop, not in the next track.
        s.MiniPlayerStop();
        break;
    case 4:
        zumHauptfenster();
        break;
    case 5:
        ABsonderzeichen();
        s.ZufallUndStart();
        Timer3.start();
        break;
    case 6:
    case 10:
        // The symbols follow the player: nothing changes when nothing can pause.
        if (spielt)
            s.MiniPlayerPause();
        break;
    case 7:
    case 8:
    case 9:
        if (spielt)
            s.MiniPlayerPosAB();
        break;
    case 11:
        ABsonderzeichen();
        s.MiniPlayerResume();
        Timer3.start();
        break;
    case 12:
        ausrichtungWechseln();
        break;
    default:
        break;
    }
    // Only a track that plays scrolls its title.
    if (Timer3.isActive() && s.status() == PlayerStatus::Idle)
        Timer3.stop();
}

void frmMiniPlayer::imgLautsprecherregler_Click()
{
    lautsprecherreglerStarten(this, true);
}

void frmMiniPlayer::ausrichtungWechseln()
{
    platzSpeichern();
    m_ausrichtung = m_ausrichtung == Ausrichtung::Horizontal ? Ausrichtung::Vertikal : Ausrichtung::Horizontal;
    platzEinnehmen();
}

void frmMiniPlayer::zumHauptfenster()
{
    ABsonderzeichen();
    platzSpeichern();
    hide();
    Timer3.stop();
    captionZuruecksetzen();
    m_hauptfenster.hauptfensterZeigen();
}

void frmMiniPlayer::entladen()
{
    if (m_entladen)
        return;
    m_entladen = true;
    Timer3.stop();
    m_spieler.MiniPlayerStop();
    if (isVisible())
        platzSpeichern();
}

void frmMiniPlayer::closeEvent(QCloseEvent* event)
{
    const bool warSichtbar = isVisible();
    entladen();
    event->accept();
    // Closing the shown mini player ends the program; the main window keeps its settings on
    // the way out. Closed as part of the main window's own end, it only goes.
    if (warSichtbar)
        m_hauptfenster.programmBeenden();
}

void frmMiniPlayer::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    kit::FarbverlaufZeichnen(p, this, 0xF4EAE3, 0xDEC9AD, 1);
}

void frmMiniPlayer::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // Dragged by its background like by a caption.
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_zieht = true;
    m_ziehAnfang = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void frmMiniPlayer::mouseMoveEvent(QMouseEvent* event)
{
    if (m_zieht)
        move(event->globalPosition().toPoint() - m_ziehAnfang);
}

void frmMiniPlayer::mouseReleaseEvent(QMouseEvent* /*event*/)
{
    m_zieht = false;
}

} // namespace klang::player
