// The player's side of the main window: the player's rules connected to it, the mode boxes,
// the exclusion lists, the transport, the mini player, and the small windows the least start-up
// needs (tip of the day, info, volume, the CPU and memory panels).

#include "player/catalogue/Ausgabebox.h"

#include "kit/FormPlatzieren.h"
#include "kit/MsgFenn.h"
#include "player/auxiliary/frmInfo.h"
#include "player/catalogue/AusgabeboxSpieler.h"
#include "player/catalogue/Einstellungen.h"
#include "player/playback/Lautsprecherregler.h"
#include "player/playback/frmWinMediaPlayer.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

namespace klang::player {

void Ausgabebox::spielerVerbinden()
{
    PlayerEngines engines;
    engines.device = m_geraet.get();
    engines.player = MediaPlayer1->engine();
    engines.video = m_videofenster->WindowsMediaPlayer1->engine();
    m_player = std::make_unique<PlayerController>(engines, nullptr);
    m_trackQuelle = std::make_unique<FilTrackQuelle>(filTrack);
    m_katalogZugang = std::make_unique<KatalogZugang>(this);
    m_oberflaeche = std::make_unique<SpielerOberflaeche>(this);
    m_player->setTrackList(m_trackQuelle.get());
    m_player->setCatalogue(m_katalogZugang.get());
    m_player->setUi(m_oberflaeche.get());

    const struct { QCheckBox* box; ModeBox modus; } boxen[] = {
        {chkAlleTracks, ModeBox::AlleTracks}, {chkMarkTracks, ModeBox::MarkTracks},
        {chkShuffle, ModeBox::Shuffle}, {chkTracksZufaellig, ModeBox::TracksZufaellig},
        {chkTracksAnspielen, ModeBox::TracksAnspielen}, {chkRepeat, ModeBox::Repeat}};
    for (const auto& b : boxen) {
        const ModeBox modus = b.modus;
        connect(b.box, &QCheckBox::toggled, this, [this, modus](bool ein) {
            if (!m_boxenWerdenGesetzt)
                m_player->setChecked(modus, ein);
        });
    }
    connect(m_player.get(), &PlayerController::modeBoxesChanged, this, &Ausgabebox::modusBoxenAbgleichen);
    connect(chkVollbild, &QCheckBox::toggled, m_player.get(), &PlayerController::chkVollbild_Click);
    connect(chkVisualisierung, &QCheckBox::toggled, m_player.get(), &PlayerController::chkVisualisierung_Click);
    connect(m_player.get(), &PlayerController::aktuellerTrackChanged, this, [this](int track) {
        if (!m_player->playlistModus() && track >= 0 && track < filTrack->count())
            filTrack->setCurrentRow(track, QItemSelectionModel::NoUpdate);
    });
    connect(filTrack, &QListWidget::currentRowChanged, this, [this](int row) {
        // In marked mode the selection marks what plays; it does not choose a track.
        if (row >= 0 && !m_player->playlistModus() && !m_player->isChecked(ModeBox::MarkTracks))
            m_player->setAktuellerTrack(row);
    });
}

void Ausgabebox::modusBoxenAbgleichen()
{
    m_boxenWerdenGesetzt = true;
    const struct { QCheckBox* box; ModeBox modus; } boxen[] = {
        {chkAlleTracks, ModeBox::AlleTracks}, {chkMarkTracks, ModeBox::MarkTracks},
        {chkShuffle, ModeBox::Shuffle}, {chkTracksZufaellig, ModeBox::TracksZufaellig},
        {chkTracksAnspielen, ModeBox::TracksAnspielen}, {chkRepeat, ModeBox::Repeat}};
    for (const auto& b : boxen) {
        b.box->setChecked(m_player->isChecked(b.modus));
        b.box->setEnabled(m_player->isEnabled(b.modus));
    }
    m_boxenWerdenGesetzt = false;
}

namespace {

// What reading an exclusion list found: it could not be read, or it was read only in part.
void ausschlusslisteMelden(QWidget* fenster, bool gelesen, const QString& hinweis, const QString& unlesbar,
                           const QString& titel)
{
    if (gelesen && hinweis.isEmpty())
        return;
    kit::MsgFenn(fenster, gelesen ? hinweis : unlesbar, 3, 0, titel, 1, 0xC0E0FF, kit::DialogForeColor);
}

} // namespace

void Ausgabebox::AbspielausschlusslisteLaden()
{
    vb::HourglassGuard sanduhr;
    QString hinweis;
    const bool gelesen = m_player->AbspielausschlusslisteLaden(ProgrammPfad, &hinweis);
    ausschlusslisteMelden(this, gelesen, hinweis,
                          QStringLiteral("Die Liste der ausgeschlossenen Stilrichtungen ließ sich nicht lesen:\n")
                              + ProgrammPfad + kStyleExclusionFile,
                          QStringLiteral("Ausgabebox_AbspielausschlusslisteLaden"));
}

void Ausgabebox::BandAbspielausschlusslisteLaden()
{
    vb::HourglassGuard sanduhr;
    QString hinweis;
    const bool gelesen = m_player->BandAbspielausschlusslisteLaden(ProgrammPfad, &hinweis);
    ausschlusslisteMelden(this, gelesen, hinweis,
                          QStringLiteral("Die Liste der ausgeschlossenen Bands ließ sich nicht lesen:\n") + ProgrammPfad
                              + kBandExclusionFile,
                          QStringLiteral("Ausgabebox_BandAbspielausschlusslisteLaden"));
}

void Ausgabebox::TontraegerZufaelligAufrufen()
{
    m_player->TontraegerZufaellig();
}

void Ausgabebox::imgStart_Click()
{
    m_player->imgStart_Click();
}

void Ausgabebox::imgStop_Click()
{
    m_player->imgStop_Click();
    Timer2.stop();
    setPanelText(2, noPlayText());
}

void Ausgabebox::imgMiniPlayer_Click()
{
    // The main window's settings are saved as its own unloading does (a maximised window
    // keeps its normal geometry).
    geometrieSpeichern();
    setOption(QStringLiteral("HäkchenBildpfad"), chkBildpfad->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    hide();
    Timer4.stop();
    if (!m_miniPlayer)
        m_miniPlayer = new frmMiniPlayer(*m_player, *this, this);
    m_miniPlayer->anzeigen();
}

bool Ausgabebox::miniPlayerAktiv() const
{
    return m_miniPlayer && m_miniPlayer->isVisible();
}

void Ausgabebox::hauptfensterZeigen()
{
    show();
    raise();
    activateWindow();
    Timer4.start();
    txtSuchen->setFocus();
}

void Ausgabebox::programmBeenden()
{
    // The user chose to stay (an edit could not be saved): the window comes back to show it.
    // Already on its way out (the mini player closed as part of it), it stays hidden.
    if (!close() && !m_entladen)
        hauptfensterZeigen();
}

bool Ausgabebox::miniPlayerImVordergrund() const
{
    return mnuMiniPlayerOnTop->isChecked();
}

void Ausgabebox::Timer4_Timer()
{
    setPanelText(4, QStringLiteral("CPU ") + QString::number(m_cpuLast.Value()) + QStringLiteral(" %"));
    setPanelText(5, QStringLiteral("RAM ") + QString::number(speicherLast()) + QStringLiteral(" %"));
}

void Ausgabebox::MenuTipOfDay_Click()
{
    TipsVomMenue = true;
    if (!m_tipbox)
        m_tipbox = std::make_unique<Tipbox>(this);
    if (!m_tipbox->Form_Load(TipsVomMenue, ProgrammPfad))
        return;
    kit::FormPlatzieren(m_tipbox.get(), this, QStringLiteral("center"), 10);
    m_tipbox->exec();
}

void Ausgabebox::TipboxLaden()
{
    if (!m_tipbox)
        m_tipbox = std::make_unique<Tipbox>(this);
    if (!m_tipbox->Form_Load(TipsVomMenue, ProgrammPfad))
        return;
    kit::FormPlatzieren(m_tipbox.get(), this, QStringLiteral("center"), 10);
    m_tipbox->setModal(false);
    m_tipbox->show();
}

void Ausgabebox::MenuInfo_Click()
{
    frmInfo info(ProgrammPfad, this);
    kit::FormPlatzieren(&info, this, QStringLiteral("center"), 10);
    info.exec();
    unsetCursor();
}

void Ausgabebox::imgLautsprecherregler_Click()
{
    lautsprecherreglerStarten(this, false);
}

} // namespace klang::player
