// Playback in the main window: the transport buttons, the engine choice and the pause
// between tracks, the track list and the playlist as play sources, the video window.

#include "player/catalogue/AusgabeboxWiedergabe.h"
#include "player/catalogue/Fensterlayout.h"

#include "kit/MsgFenn.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/PlaylistQuelle.h"
#include "kit/ImageButton.h"
#include "player/playback/frmMiniPlayer.h"
#include "player/playback/frmWinMediaPlayer.h"
#include "player/playback/Trackinfo.h"
#include "player/catalogue/detail/Bildbereich.h"
#include "platform/media/MediaEngine.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/shell/Shell.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace klang::player {

using klang::vb::twipsToPixels;

// ---------------------------------------------------------------------------------------
// What the player shows

void WiedergabeOberflaeche::setPauseSymbol(bool paused)
{
    if (m_fenster->imgPause.size() == 2) {
        m_fenster->imgPause[0]->setVisible(!paused);
        m_fenster->imgPause[1]->setVisible(paused);
    }
    if (frmMiniPlayer* mini = m_fenster->miniPlayer(); mini && mini->isVisible())
        mini->pauseSymbol(paused);
}

void WiedergabeOberflaeche::showPauseCountdown(int secondsLeft)
{
    if (frmMiniPlayer* mini = m_fenster->miniPlayer(); mini && mini->isVisible())
        mini->pauseCountdown(secondsLeft);
}

void WiedergabeOberflaeche::resetCaptions()
{
    SpielerOberflaeche::resetCaptions();
    if (frmMiniPlayer* mini = m_fenster->miniPlayer())
        mini->captionZuruecksetzen();
}

void WiedergabeOberflaeche::setTimer3(bool on)
{
    frmMiniPlayer* mini = m_fenster->miniPlayer();
    if (!mini)
        return;
    if (on)
        mini->Timer3.start();
    else
        mini->Timer3.stop();
}

void WiedergabeOberflaeche::showVideoWindow(bool visible)
{
    frmWinMediaPlayer* video = m_fenster->videofenster();
    if (visible) {
        video->show();
        video->raise();
    } else {
        video->hide();
    }
}

void WiedergabeOberflaeche::setMediaPlayerGeometry(int /*topTwips*/, int /*heightTwips*/)
{
    // The place is the window's (the picture area); whether a picture shows at all follows
    // chkVisualisierung, which the window reads when the player is shown.
    m_fenster->medienplayerZeigen(m_fenster->medienplayerGewuenscht());
}

void WiedergabeOberflaeche::setMediaPlayerFullScreen(bool on)
{
    if (m_fenster->MediaPlayer1)
        m_fenster->MediaPlayer1->setFullScreen(on);
}

void WiedergabeOberflaeche::setPictureHeight(int twips)
{
    for (QLabel* bild : {m_fenster->imgBildpfad, m_fenster->Bild1}) {
        if (bild)
            bild->resize(bild->width(), twipsToPixels(twips));
    }
}

void WiedergabeOberflaeche::cmdPlayAsso(const QString& path)
{
    // The program the desktop's MIME defaults name for the file, started with the file.
    const QString programm = klang::associatedProgram(path);
    if (programm.isEmpty()) {
        kit::MsgFenn(m_fenster,
                     QStringLiteral("Keine assoziierte Anwendung zu diesem Dateityp ermittelt.\r\n\r\n")
                         + QFileInfo(path).fileName(),
                     3, 0, QStringLiteral("Ausgabebox_cmdPlayAsso_Click"), 1, kit::WarningBackColor,
                     kit::DialogForeColor);
        return;
    }
    QString fehler;
    if (!klang::startProgram(programm, {path}, &fehler))
        kit::Fehlermeldung(m_fenster, QStringLiteral("Ausgabebox_cmdPlayAsso_Click"), fehler);
}

void WiedergabeOberflaeche::showInfoTrackButton(bool visible)
{
    m_fenster->cmdInfoTrack->setVisible(visible);
    if (visible)
        m_fenster->cmdInfoTrack->raise();
}

Ereignisweiche::Ereignisweiche(QObject* ziel, Funktion funktion, QObject* besitzer)
    : QObject(besitzer)
    , m_funktion(std::move(funktion))
{
    ziel->installEventFilter(this);
}

bool Ereignisweiche::eventFilter(QObject* watched, QEvent* event)
{
    return m_funktion(event) || QObject::eventFilter(watched, event);
}

bool pauseBrauchtBestaetigung(const QString& antwort)
{
    return klang::vb::Val(antwort) > 60;
}

void Ausgabebox::medienplayerZeigen(bool sichtbar)
{
    m_medienplayerGewuenscht = sichtbar;
    if (!MediaPlayer1)
        return;
    MediaPlayer1->setVisible(sichtbar && (!chkVisualisierung || chkVisualisierung->isChecked()));
    if (MediaPlayer1->isVisible())
        MediaPlayer1->raise();
}

// ---------------------------------------------------------------------------------------
// Building and connecting

void Ausgabebox::wiedergabeVerbinden()
{
    QWidget* zentral = imgStart->parentWidget();
    auto knopf = [&](const QString& name, int platz, const QString& tip, const QString& text) {
        auto* b = new kit::ImageButton(zentral, name, tip, text);
        b->setGeometry(twipsToPixels(transportLinks(platz)), twipsToPixels(TransportObenTwips),
                       twipsToPixels(TransportKnopfTwips), twipsToPixels(TransportKnopfTwips));
        return b;
    };
    // imgPause(0) shows the pause symbol, imgPause(1) the paused look; one of them is visible.
    imgPause = {knopf(QStringLiteral("imgPause_0"), 4, QStringLiteral(" Pause "), QStringLiteral("❚❚")),
                knopf(QStringLiteral("imgPause_1"), 4, QStringLiteral(" Weiter "), QStringLiteral("▷"))};
    imgPause[1]->setVisible(false);
    imgResume = knopf(QStringLiteral("imgResume"), 5, QStringLiteral(" Resume "), QStringLiteral("↻"));
    imgVorBack = {knopf(QStringLiteral("imgVorBack_0"), 6, QStringLiteral(" zurück "), QStringLiteral("«")),
                  knopf(QStringLiteral("imgVorBack_1"), 7, QStringLiteral(" vor "), QStringLiteral("»"))};
    imgLiedzufall = knopf(QStringLiteral("imgLiedzufall"), 8, QStringLiteral(" Tonträger u. Song zufällig "),
                          QStringLiteral("?"));
    for (int i = 0; i < 2; ++i) {
        connect(imgPause[i], &QToolButton::clicked, this, [this, i] { imgPause_Click(i); });
        connect(imgVorBack[i], &QToolButton::clicked, this, [this, i] { imgVorBack_Click(i); });
    }
    // imgPosAB(0) idle, (1) A set and waiting for B, (2) repeating.
    imgPosAB = {knopf(QStringLiteral("imgPosAB_0"), 9, QStringLiteral(" Pos A-B "), QStringLiteral("A-B")),
                knopf(QStringLiteral("imgPosAB_1"), 9, QStringLiteral(" Pos B "), QStringLiteral("A…")),
                knopf(QStringLiteral("imgPosAB_2"), 9, QStringLiteral(" exit Pos A-B "), QStringLiteral("⟲"))};
    for (int i = 0; i < 3; ++i)
        connect(imgPosAB[i], &QToolButton::clicked, this, [this, i] { imgPosAB_Click(i); });
    connect(m_player.get(), &PlayerController::abZustandChanged, this, &Ausgabebox::abSymbole);
    abSymbole();
    connect(imgResume, &QToolButton::clicked, this, &Ausgabebox::imgResume_Click);
    connect(imgLiedzufall, &QToolButton::clicked, this, &Ausgabebox::imgLiedzufall_Click);

    // The play-mode boxes with their captions and tips; the refinements wait for a main mode.
    const struct { QCheckBox* box; const char* text; const char* tip; } boxen[] = {
        {chkAlleTracks, "Alle", " Alle Titel dieses Tonträgers abspielen "},
        {chkMarkTracks, "sel. Tracks", ""},
        {chkShuffle, "Shuffle", " Tonträger u. Song zufällig wählen "},
        {chkTracksZufaellig, "Zufällig", " Zufällig die Titel auswählen "},
        {chkTracksAnspielen, "Anspielen", " Titel anspielen "},
        {chkRepeat, "Repeat", " wiederholen "},
        {chkVisualisierung, "Visual", ""},
        {chkVollbild, "Vollbild", " Vollbild "}};
    for (const auto& b : boxen) {
        b.box->setText(QString::fromUtf8(b.text));
        b.box->setToolTip(QString::fromUtf8(b.tip));
    }
    modusBoxenAbgleichen();

    if (QAction* pause = findChild<QAction*>(QStringLiteral("mnuPauseZwischenTracks")))
        connect(pause, &QAction::triggered, this, &Ausgabebox::mnuPauseZwischenTracks_Click);

    // The track tools beside the title bar and the embedded player's events.
    cmdInfoTrack = new QPushButton(cmdPlayAsso->parentWidget());
    cmdInfoTrack->setObjectName(QStringLiteral("cmdInfoTrack"));
    cmdInfoTrack->setText(QStringLiteral("Track-Info"));
    cmdInfoTrack->setGeometry(cmdPlayAsso->x() - cmdPlayAsso->width(), cmdPlayAsso->y(), cmdPlayAsso->width(),
                              cmdPlayAsso->height());
    cmdInfoTrack->setVisible(false);
    connect(cmdInfoTrack, &QPushButton::clicked, this, &Ausgabebox::cmdInfoTrack_Click);
    connect(cmdPlayAsso, &QPushButton::clicked, this, &Ausgabebox::cmdPlayAsso_Click);
    connect(MediaPlayer1, &klang::media::MediaPlayerControl::PlayStateChange, this,
            &Ausgabebox::MediaPlayer1_PlayStateChange);
    connect(MediaPlayer1, &klang::media::MediaPlayerControl::MouseUp, this,
            [this](int button, int, double, double) { MediaPlayer1_MouseUp(button); });

    // The video window's buttons call the same rules; closing it stops playback.
    m_videofenster->setSpieler(m_player.get());

    // The minimised window's caption scrolls what plays.
    Laufschrift::Anbindung lauf;
    lauf.text = [this](int runde) { return m_player->laufschriftText(runde); };
    lauf.titel = [this](const QString& text) { setWindowTitle(laufschrifttext::fensterTitel(text)); };
    lauf.darfLaufen = [this] { return isMinimized(); };
    lauf.titelBeendet = [this] { return m_player->titelBeendet(); };
    Timer2.setAnbindung(std::move(lauf));

    m_wiedergabeFilter = std::make_unique<QObject>();
    m_playlistQuelle = std::make_unique<PlaylistQuelle>(lvwPlaylist);
    m_player->setPlaylist(m_playlistQuelle.get());
    m_wiedergabeUi = std::make_unique<WiedergabeOberflaeche>(this);
    m_player->setUi(m_wiedergabeUi.get());
}

// ---------------------------------------------------------------------------------------
// Transport

void Ausgabebox::imgPause_Click(int /*index*/)
{
    m_player->imgPause_Click();
}

void Ausgabebox::imgPosAB_Click(int /*index*/)
{
    m_player->imgPosAB_Click();
}

void Ausgabebox::cmdInfoTrack_Click()
{
    // The player that holds the track: the video window's for pictures and videos.
    const klang::media::MediaPlayerControl* player =
        m_player->videofensterAktiv() ? m_videofenster->WindowsMediaPlayer1 : MediaPlayer1;
    kit::MsgFenn(this, trackInfoText(player->currentMedia()), 1, 0, QStringLiteral("Track-Info"), 1,
                 kit::DialogBackColor, kit::DialogForeColor);
}

void Ausgabebox::cmdPlayAsso_Click()
{
    m_player->cmdPlayAsso_Click();
}

void Ausgabebox::MediaPlayer1_PlayStateChange(int newState)
{
    // Full screen is asked for again whenever the medium starts playing.
    if (chkVollbild->isChecked() && newState == int(klang::media::PlayState::Playing))
        MediaPlayer1->setFullScreen(true);
}

void Ausgabebox::MediaPlayer1_MouseUp(int button)
{
    if (button == 2) {
        QMenu* menue = bildbereich()->mnuBild;
        menue->setDefaultAction(bildbereich()->MenuBildkopieren);
        menue->popup(QCursor::pos());
        return;
    }
    m_player->MediaPlayer1_MouseUp(button);
}

void Ausgabebox::abSymbole()
{
    const AbZustand z = m_player->abWiederholung().zustand();
    imgPosAB[0]->setVisible(z == AbZustand::Aus);
    imgPosAB[1]->setVisible(z == AbZustand::WartetAufB);
    imgPosAB[2]->setVisible(z == AbZustand::Wiederholt);
}

void Ausgabebox::imgResume_Click()
{
    m_player->imgResume_Click();
}

void Ausgabebox::imgVorBack_Click(int index)
{
    m_player->imgVorBack_Click(index);
}

void Ausgabebox::imgLiedzufall_Click()
{
    m_player->imgLiedzufall_Click();
}

QString Ausgabebox::LaufenderTitel() const
{
    return m_player->spielText();
}

void Ausgabebox::mnuPauseZwischenTracks_Click()
{
    for (;;) {
        const QString antwort = kit::InputFenn(
            this, QStringLiteral("Geben Sie die Wartezeit in Sekunden zwischen den einzelnen Tracks ein"),
            QStringLiteral("Pause zwischen den Tracks"), PlayerSettings::pauseZwischenTracks(),
            kit::DialogBackColor, kit::DialogForeColor);
        if (antwort.isEmpty())
            return;
        if (pauseBrauchtBestaetigung(antwort)) {
            const QString wahl = kit::MsgFenn(
                this, QStringLiteral("Die Wartezeit ist größer als 60 Sekunden, \r\nsoll diese Wartezeit übernommen werden?"),
                22, 2, QStringLiteral("Sicherheitsabfrage"), 1, kit::DialogBackColor, kit::DialogForeColor);
            if (wahl == QLatin1String("Nein"))
                continue;
            if (wahl != QLatin1String("Ja"))
                return; // the box closed without an answer keeps the stored pause
        }
        PlayerSettings::save(QStringLiteral("PauseZwischenTracks"), antwort);
        return;
    }
}

} // namespace klang::player
