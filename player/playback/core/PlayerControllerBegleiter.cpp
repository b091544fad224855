// The player's entries for the A-B repeat and for the companion windows (mini player,
// video window): their steps through the lists, the random start and the caption texts.

#include "player/playback/core/Laufschrift.h"
#include "player/playback/core/Nachbarschritt.h"
#include "player/playback/core/PlayerController.h"

#include "platform/media/MediaEngine.h"

namespace klang::player {

void PlayerController::abEinrichten()
{
    m_ab = std::make_unique<AbWiederholung>(m_clock);
    m_ab->geaendert = [this] { Q_EMIT abZustandChanged(); };
    m_ab->zurueckgesprungen = [this](double sekunden) {
        // A track whose end the clock decides plays on for as long as it was set back.
        if (m_trackEnde >= 0 && !isChecked(ModeBox::TracksAnspielen) && sekunden > 0)
            m_trackEnde += qint64(sekunden * 1000.0);
    };
}

void PlayerController::imgPosAB_Click()
{
    if (m_status != PlayerStatus::Playing)
        return;
    // The marks belong to what plays now, on any engine; nothing open leaves all as it is.
    if (m_ab->zustand() == AbZustand::Aus)
        m_ab->setEngine(m_engineEnded ? nullptr : m_activeEngine);
    m_ab->druecken();
}

bool PlayerController::MiniPlayerSchritt(int richtung)
{
    const Nachbarschritt s = nachbarschritt(source(), m_playlistModus, m_aktuellerTrack, richtung);
    if (!s.gueltig)
        return false;
    m_aktuellerTrack = s.track;
    if (s.auswaehlen)
        selectPlaylistItem(s.track);
    return true;
}

void PlayerController::ZufallUndStart()
{
    // In the playlist the draw starts the item itself while a track plays.
    const bool startetSelbst = m_playlistModus && m_status == PlayerStatus::Playing;
    TontraegerZufaellig();
    if (!startetSelbst)
        imgStart_Click();
}

QString PlayerController::aktuellerPfad() const
{
    ITrackSource* src = source();
    const int index = m_playlistModus ? qMax(1, m_aktuellerTrack) - 1 : m_aktuellerTrack;
    return src ? src->path(index) : QString();
}

void PlayerController::cmdPlayAsso_Click()
{
    // Taken before the stop, which may move the index in marked mode.
    const QString pfad = aktuellerPfad();
    imgStop_Click();
    if (!pfad.isEmpty())
        m_ui->cmdPlayAsso(pfad);
}

void PlayerController::MediaPlayer1_MouseUp(int button)
{
    if (button != 1)
        return;
    const QString pfad = aktuellerPfad();
    // The ending as it is written: ".AVI" is no video here.
    static const QStringList videos{QStringLiteral(".avi"), QStringLiteral(".wmv"), QStringLiteral(".mpg"),
                                    QStringLiteral(".mp4"), QStringLiteral(".flv"), QStringLiteral("m2ts")};
    if (pfad.isEmpty() || !videos.contains(pfad.right(4)))
        return;
    imgStop_Click();
    MciAbspielen(pfad);
}

QString PlayerController::laufschriftText(int runde) const
{
    const int index = m_playlistModus ? m_aktuellerTrack - 1 : m_aktuellerTrack;
    const int row = m_catalogue ? m_catalogue->currentRow() : -1;
    return laufschrifttext::text(runde, m_playlistModus, source(), index, m_catalogue, row);
}

} // namespace klang::player
