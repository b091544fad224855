// The player's controller, in sections of one concern each: the device engine, starting a
// track, the end of a track and the choice of the next, the pause between tracks, the
// transport buttons, the lists and sources, and the play-mode switches. Its random draws live
// in PlayerControllerZufall.cpp, the A-B repeat and companion windows in
// PlayerControllerBegleiter.cpp.

#include "player/playback/core/PlayerController.h"

#include "platform/media/MediaEngine.h"
#include "platform/media/TrackLength.h"

#include <QDir>
#include <QFileInfo>

namespace klang::player {

using klang::media::EndReason;
using klang::media::MediaEngine;
using klang::media::PlayState;

namespace {

constexpr int kTimer1IntervalMs = 1000;
constexpr int kShortWaitMs = 500;
constexpr int kPauseStepMs = 1000;
constexpr quint32 kHintBackColor = 0xC0E0FF;
constexpr int kPictureHeightWithPlayer = 3195;
constexpr int kPictureHeightAlone = 4150;

QString styleHintText()
{
    return QStringLiteral("Diese Stilrichtung wurde im Menüpunkt 'Optionen/Stilrichtung "
                          "ausschließen...' ausgeschlossen.")
           + QLatin1Char('\n')
           + QStringLiteral("Entfernen Sie dort das Häkchen, damit Sie diese Stilrichtung "
                            "verwenden können.");
}

QString bandHintText()
{
    return QStringLiteral("Diese Band wurde im Menüpunkt 'Optionen/Band ausschließen...' ausgeschlossen.");
}

} // namespace

PlayerController::PlayerController(const PlayerEngines& engines, IClock* clock, QObject* parent)
    : QObject(parent)
    , m_engines(engines)
    , m_random(QRandomGenerator::securelySeeded())
{
    if (!clock) {
        m_ownClock = std::make_unique<SystemClock>();
        clock = m_ownClock.get();
    }
    m_clock = clock;
    m_timer1 = m_clock->createTimer();
    m_timer1->setCallback([this] { Timer1_Timer(); });
    m_pauseTimer = m_clock->createTimer();
    m_pauseTimer->setCallback([this] { pauseTick(); });
    // The engine's end of file is acted on at once rather than at the next tick of the watch.
    m_endKick = m_clock->createTimer();
    m_endKick->setCallback([this] {
        m_endKick->stop();
        if (m_timer1->isActive())
            Timer1_Timer();
        else if (m_status == PlayerStatus::Playing && trackHasEnded())
            setStatus(PlayerStatus::Idle, noPlayText());
    });
    abEinrichten();
    m_length = [](const QString& path) { return klang::media::trackLengthSeconds(path); };
    // The first shuffle draws a new record.
    m_shuffleZaehler = PlayerSettings::songsPerRecord();

    connectEngine(m_engines.device);
    if (m_engines.player != m_engines.device)
        connectEngine(m_engines.player);
    if (m_engines.video != m_engines.device && m_engines.video != m_engines.player)
        connectEngine(m_engines.video);

    // Main modes enabled, their refinements disabled until a main mode is chosen.
    m_boxes[int(ModeBox::TracksZufaellig)].enabled = false;
    m_boxes[int(ModeBox::TracksAnspielen)].enabled = false;
    m_boxes[int(ModeBox::Repeat)].enabled = false;
}

PlayerController::~PlayerController()
{
    // Timers call back into this object; silence them before the members go.
    m_timer1->stop();
    m_pauseTimer->stop();
    m_endKick->stop();
}

void PlayerController::setUi(IPlayerUi* ui)
{
    m_ui = ui ? ui : &m_nullUi;
}

void PlayerController::connectEngine(MediaEngine* engine)
{
    if (!engine)
        return;
    connect(engine, &MediaEngine::endOfFile, this,
            [this, engine](EndReason reason) { onEngineEnded(engine, reason); });
}

void PlayerController::onEngineEnded(MediaEngine* engine, EndReason reason)
{
    // Played out or failed: either way this track is over.
    if (engine != m_activeEngine || m_engineEnded)
        return;
    m_engineEnded = true;
    m_endedWithError = reason == EndReason::Error;
    if (m_status == PlayerStatus::Playing)
        m_endKick->start(0);
}

bool PlayerController::isWatching() const
{
    return m_timer1->isActive();
}

ITrackSource* PlayerController::source() const
{
    return m_playlistModus ? m_playlist : m_trackList;
}

bool PlayerController::anyContinuousMode() const
{
    return isChecked(ModeBox::AlleTracks) || isChecked(ModeBox::Repeat)
           || isChecked(ModeBox::Shuffle) || isChecked(ModeBox::MarkTracks);
}

bool PlayerController::repeatOne() const
{
    return !isChecked(ModeBox::AlleTracks) && !isChecked(ModeBox::MarkTracks)
           && isChecked(ModeBox::Repeat);
}

void PlayerController::setStatus(PlayerStatus status, const QString& text)
{
    m_status = status;
    // Nothing plays: no A-B mark may stay lit (a track that ended while waiting for B).
    if (status == PlayerStatus::Idle && m_ab && m_ab->zustand() != AbZustand::Aus) {
        m_ab->aus();
        m_ui->abRepeatAus();
    }
    const bool changed = text != m_statusText;
    m_statusText = text;
    m_ui->setStatus(text);
    if (changed)
        Q_EMIT statusChanged(text);
}

void PlayerController::showStyleHint(const QString& title)
{
    // The hint names the list that left nothing to play: the band list as well, or alone.
    if (m_ausgeschlossenDurchBand) {
        if (!m_ausgeschlossenDurchStil) {
            showHint(bandHintText(), title);
            return;
        }
        showHint(QStringLiteral("Alle Tonträger sind ausgeschlossen: durch die Menüpunkte 'Optionen/Stilrichtung "
                                "ausschließen...' und 'Optionen/Band ausschließen...'.")
                     + QLatin1Char('\n')
                     + QStringLiteral("Entfernen Sie dort Häkchen, damit wieder Tonträger abgespielt werden können."),
                 title);
        return;
    }
    MessageRequest request;
    request.prompt = styleHintText();
    request.style = 3;
    request.title = title;
    request.backColor = kHintBackColor;
    m_msgAntwort = m_ui->msgFenn(request);
}

void PlayerController::showBandHint()
{
    showHint(bandHintText(), QStringLiteral("Bedienungshinweis"));
}

void PlayerController::showHint(const QString& prompt, const QString& title)
{
    MessageRequest request;
    request.prompt = prompt;
    request.style = 3;
    request.title = title;
    request.backColor = kHintBackColor;
    m_msgAntwort = m_ui->msgFenn(request);
}

// ---------------------------------------------------------------------------------------
// Device engine

bool PlayerController::MciAbspielen(const QString& path)
{
    if (!m_engines.device || path.isEmpty())
        return false;
    return m_engines.device->open(path);
}

void PlayerController::MciStoppen()
{
    if (!m_engines.device)
        return;
    m_engines.device->stop();
    m_engines.device->close();
}

// ---------------------------------------------------------------------------------------
// Starting a track

void PlayerController::imgStart_Click()
{
    ITrackSource* src = source();
    const int index = m_playlistModus ? qMax(1, m_aktuellerTrack) - 1 : m_aktuellerTrack;
    // A name beginning with an apostrophe is opened by its associated program. The test
    // reads the list that is played (the playlist in playlist mode).
    if (src && src->name(index).startsWith(QLatin1Char('\''))) {
        // Handed over to its program: nothing plays here, so no pause or watch may wait on it.
        cancelPause();
        m_timer1->stop();
        m_ui->setPauseSymbol(false);
        m_ui->cmdPlayAsso(src->path(index));
        setStatus(PlayerStatus::Idle, noPlayText());
        return;
    }

    m_stopGedrueckt = false;
    cancelPause();
    MediaEngine* previous = m_activeEngine;
    MciStoppen();
    if (m_videofensterAktiv) {
        m_ui->showVideoWindow(false);
        if (m_engines.video)
            m_engines.video->close();
    }
    if (previous && previous == m_engines.player)
        previous->close();
    m_activeEngine = nullptr;
    m_engineEnded = false;
    m_endedWithError = false;
    m_trackEnde = -1;
    m_pausedAt = -1;
    SonderfunktionenAus();

    if (anyContinuousMode()) {
        if (m_stilAusgeschlossen) {
            showStyleHint(QStringLiteral("Bedienungshinweis (imgStart_Click)"));
            m_timer1->stop();
        } else {
            m_timer1->start(kTimer1IntervalMs);
        }
    }
    if (m_ui->isMainWindowMinimized() && m_laufschrift)
        m_ui->setTimer2(true);

    // Shuffle started on a record without files begins with a record that has some.
    if (!m_playlistModus && isChecked(ModeBox::Shuffle) && m_trackList && m_trackList->count() == 0
        && !m_stilAusgeschlossen && !shuffleCatalogue()) {
        imgStop_Click();
        return;
    }
    const bool started = m_playlistModus ? startFromPlaylist() : startFromTrackList();
    if (started && m_laufschrift && m_status == PlayerStatus::Playing
        && !m_ui->isMainWindowVisible())
        m_ui->setTimer3(true);
    Q_EMIT aktuellerTrackChanged(m_aktuellerTrack);
}

bool PlayerController::startFromTrackList()
{
    const int n = m_trackList ? m_trackList->count() : 0;
    int t = m_aktuellerTrack;
    if (isChecked(ModeBox::MarkTracks)) {
        auto firstSelected = [this, n](int from) {
            for (int i = qMax(0, from); i < n; ++i) {
                if (m_trackList->isSelected(i))
                    return i;
            }
            return -1;
        };
        int hit = firstSelected(t);
        // With repeat the search wraps to the top and plays the first marked entry at
        // once, so no marked entry is skipped on the next round.
        if (hit < 0 && isChecked(ModeBox::Repeat))
            hit = firstSelected(0);
        if (hit < 0) {
            imgStop_Click();
            m_aktuellerTrack = 0;
            m_ui->bewertungTracks();
            return false;
        }
        t = hit;
        m_aktuellerTrack = t;
        m_ui->bewertungTracks();
    } else {
        if (t < 0 || t >= n) {
            // Nothing to play at this index (empty folder, index of another list).
            imgStop_Click();
            return false;
        }
        m_trackList->clearSelection();
        m_trackList->setSelected(t, true);
    }

    const QString name = m_trackList->name(t);
    const QString path = m_trackList->path(t);
    const bool ok = playFile(path, name);
    m_ui->setTrackNumberLabel(QStringLiteral("Tracks && Movies Nr.: ") + QString::number(t + 1));
    m_ui->bewertungTracks();

    if (isChecked(ModeBox::TracksZufaellig)) {
        ensureMarks();
        if (t < m_gespieltMarken.size())
            m_gespieltMarken[t] = 1;
    }
    if (isChecked(ModeBox::TracksAnspielen))
        m_trackEnde = m_clock->nowMs() + qint64(PlayerSettings::previewSeconds()) * 1000;

    if (ok) {
        m_spielText = playingText(path);
        setStatus(PlayerStatus::Playing, m_spielText);
    } else {
        setStatus(PlayerStatus::Idle, noPlayText());
    }
    return ok;
}

void PlayerController::selectPlaylistItem(int item)
{
    if (!m_playlist || item < 1 || item > m_playlist->count())
        return;
    m_playlist->setSelected(item - 1, true);
    m_playlist->scrollTo(item - 1);
}

bool PlayerController::startFromPlaylist()
{
    if (m_aktuellerTrack == 0)
        m_aktuellerTrack = 1;
    const int m = m_playlist ? m_playlist->count() : 0;
    int t = m_aktuellerTrack;
    if (isChecked(ModeBox::MarkTracks)) {
        auto firstChecked = [this, m](int from) {
            for (int i = qMax(1, from); i <= m; ++i) {
                if (m_playlist->isChecked(i - 1))
                    return i;
            }
            return 0;
        };
        int hit = firstChecked(t);
        if (hit == 0 && isChecked(ModeBox::Repeat))
            hit = firstChecked(1);
        if (hit == 0) {
            imgStop_Click();
            m_aktuellerTrack = 1;
            selectPlaylistItem(1);
            m_ui->bewertungTracks();
            return false;
        }
        t = hit;
        m_aktuellerTrack = t;
        selectPlaylistItem(t);
        m_ui->bewertungTracks();
    } else if (t < 1 || t > m) {
        imgStop_Click();
        return false;
    }

    const QString name = m_playlist->name(t - 1);
    const QString path = m_playlist->path(t - 1);
    m_ui->bewertungTracks();
    const bool ok = playFile(path, name);
    if (isChecked(ModeBox::TracksAnspielen))
        m_trackEnde = m_clock->nowMs() + qint64(PlayerSettings::previewSeconds()) * 1000;

    // The new status comes first: showing the record reads it (and must not take an old
    // pause text for a running pause).
    if (ok) {
        setStatus(PlayerStatus::Playing, playingText(path));
        m_spielText = path.trimmed();
    } else {
        setStatus(PlayerStatus::Idle, noPlayText());
    }
    // Random play and shuffle draw only unplayed items: the started one counts as played.
    if (isChecked(ModeBox::TracksZufaellig) || isChecked(ModeBox::Shuffle)) {
        ensureMarks();
        if (t < m_gespieltMarken.size())
            m_gespieltMarken[t] = 1;
    }
    // Showing the playing record changes the catalogue's record, which resets the track
    // index of the track list; the playlist's index must survive it.
    const int keep = m_aktuellerTrack;
    m_ui->aktuelleCDanzeigen();
    m_ui->suchenPlaylistTitel();
    m_aktuellerTrack = keep;
    return ok;
}

bool PlayerController::playFile(const QString& path, const QString& name)
{
    MediaEngine* engine = nullptr;
    bool ok = false;
    if (m_winPlayer && !isMov(name)) {
        if (m_ui->isMediaPlayerVisible() && m_engines.player)
            m_engines.player->close();
        m_ui->showInfoTrackButton(true);
        if (isVideoOrPicture(name)) {
            m_videofensterAktiv = true;
            m_ui->showMediaPlayer(true);
            m_ui->showVideoWindow(true);
            engine = m_engines.video;
        } else {
            m_videofensterAktiv = false;
            m_ui->showVideoWindow(false);
            if (m_engines.video)
                m_engines.video->close();
            m_ui->showMediaPlayer(true);
            engine = m_engines.player;
        }
        ok = engine && !path.isEmpty() && engine->open(path);
        m_ui->setPictureHeight(kPictureHeightWithPlayer);
    } else if (m_winPlayer) {
        // ".mov" through the device engine; its end of file ends it.
        engine = m_engines.device;
        ok = MciAbspielen(path);
    } else {
        engine = m_engines.device;
        ok = MciAbspielen(path);
        // Measured only for a file the engine took: a refused one must not cost a probe.
        const double seconds = (ok && m_length && !path.isEmpty()) ? m_length(path) : -1.0;
        // An unmeasurable file plays to the engine's end of file instead of being cut off.
        if (ok && seconds > 0)
            m_trackEnde = m_clock->nowMs() + qint64(seconds * 1000.0);
    }
    m_activeEngine = ok ? engine : nullptr;
    // A refused file (missing, a folder, no rights) has ended already: continuous play moves
    // on at once instead of at the watch's next tick.
    m_engineEnded = !ok;
    if (!ok && m_timer1->isActive())
        m_endKick->start(0);
    return ok;
}

// ---------------------------------------------------------------------------------------
// End of track and next track

bool PlayerController::trackHasEnded() const
{
    if (m_engineEnded || !m_activeEngine)
        return true;
    if (m_pausedAt < 0 && m_trackEnde >= 0 && m_clock->nowMs() > m_trackEnde)
        return true;
    return m_activeEngine->state() == PlayState::Stopped;
}

void PlayerController::Timer1_Timer()
{
    if (!trackHasEnded())
        return;
    m_timer1->stop();
    const bool played = m_activeEngine && !m_endedWithError;
    // In shuffle over the catalogue a pass is over records: it is over when every file of
    // each allowed record failed, not after as many failed tracks as there are records.
    const bool shuffleCatalogue = isChecked(ModeBox::Shuffle) && !m_playlistModus;
    const bool givesUp = shuffleCatalogue
                             ? m_passGuard.shuffleTrackEnded(played, m_catalogue ? m_catalogue->currentRow() : -1,
                                                             aktuellerPfad(), m_trackList ? m_trackList->count() : 1,
                                                             m_catalogue ? m_draw.allowedCount(m_catalogue) : 1)
                             : m_passGuard.trackEnded(played, passLength());
    if (givesUp) {
        imgStop_Click();
        showHint(QStringLiteral("In einem ganzen Durchlauf ließ sich kein Titel abspielen.") + QLatin1Char('\n')
                     + QStringLiteral("Die Dateien fehlen oder sind beschädigt; die Wiedergabe wurde beendet."),
                 QStringLiteral("Bedienungshinweis"));
        return;
    }
    const Choice choice = m_playlistModus ? chooseNextInPlaylist() : chooseNextInTrackList();
    Q_EMIT aktuellerTrackChanged(m_aktuellerTrack);
    switch (choice) {
    case Choice::Halt:
        imgStop_Click();
        break;
    case Choice::Stop:
        beginPause(After::Stop);
        break;
    case Choice::Start:
        // After a track that did not play there is nothing to pause after: the next starts.
        beginPause(After::Start, !played);
        break;
    }
}

PlayerController::Choice PlayerController::chooseShuffle()
{
    if (m_stilAusgeschlossen) {
        showStyleHint(QStringLiteral("Bedienungshinweis (Timer1)"));
        return Choice::Halt;
    }
    if (m_playlistModus)
        return shufflePlaylist(true) ? Choice::Start : Choice::Stop;
    return shuffleCatalogue() ? Choice::Start : Choice::Halt;
}

PlayerController::Choice PlayerController::chooseNextInTrackList()
{
    const int n = m_trackList ? m_trackList->count() : 0;
    if (isChecked(ModeBox::Shuffle)) {
        const Choice choice = chooseShuffle();
        if (choice == Choice::Start)
            m_ui->textSongAktualisieren();
        return choice;
    }
    if (isChecked(ModeBox::TracksZufaellig)) {
        int t = drawUnplayedTrack();
        if (t < 0) {
            m_gespieltMarken.fill(0);
            if (!isChecked(ModeBox::Repeat))
                return Choice::Stop;
            t = drawUnplayedTrack();
            if (t < 0)
                return Choice::Stop;
        }
        m_aktuellerTrack = t;
    } else if (m_aktuellerTrack < n - 1) {
        if (!repeatOne())
            m_aktuellerTrack = qMax(0, m_aktuellerTrack + 1);
    } else {
        if (!isChecked(ModeBox::Repeat))
            return Choice::Stop;
        m_aktuellerTrack = 0;
    }
    m_ui->textSongAktualisieren();
    return Choice::Start;
}

PlayerController::Choice PlayerController::chooseNextInPlaylist()
{
    if (m_aktuellerTrack == 0)
        m_aktuellerTrack = 1;
    const int m = m_playlist ? m_playlist->count() : 0;
    if (isChecked(ModeBox::Shuffle))
        return chooseShuffle();
    if (isChecked(ModeBox::TracksZufaellig)) {
        int item = drawUnplayedItem();
        if (item == 0) {
            m_gespieltMarken.fill(0);
            if (!isChecked(ModeBox::Repeat))
                return Choice::Stop;
            item = drawUnplayedItem();
            if (item == 0)
                return Choice::Stop;
        }
        m_aktuellerTrack = item;
        selectPlaylistItem(item);
        return Choice::Start;
    }

    // Unchecked items are passed over only in marked mode; "all tracks" plays every item.
    const bool onlyChecked = isChecked(ModeBox::MarkTracks);
    auto firstFrom = [this, m, onlyChecked](int from) {
        for (int i = qMax(1, from); i <= m; ++i) {
            if (!onlyChecked || m_playlist->isChecked(i - 1))
                return i;
        }
        return 0;
    };
    if (m_aktuellerTrack < m) {
        if (repeatOne())
            return Choice::Start;
        int next = firstFrom(m_aktuellerTrack + 1);
        if (next == 0) {
            if (!isChecked(ModeBox::Repeat))
                return Choice::Stop;
            next = firstFrom(1);
            if (next == 0)
                next = 1;
        }
        m_aktuellerTrack = next;
    } else {
        if (!isChecked(ModeBox::Repeat))
            return Choice::Stop;
        int next = firstFrom(1);
        m_aktuellerTrack = next == 0 ? 1 : next;
    }
    selectPlaylistItem(m_aktuellerTrack);
    return Choice::Start;
}

// ---------------------------------------------------------------------------------------
// Pause between tracks

void PlayerController::beginPause(After after, bool ohneWarten)
{
    m_after = after;
    // A cancel request left over from before must not cut this pause short.
    m_escGedrueckt = false;
    m_pauseTotal = after == After::Start && !ohneWarten ? PlayerSettings::pauseSeconds() : 0;
    m_pauseStep = 0;
    m_status = PlayerStatus::Pausing;
    if (m_pauseTotal == 0) {
        m_pauseTimer->start(ohneWarten ? 0 : kShortWaitMs);
        return;
    }
    m_pauseStep = 1;
    m_ui->setPauseSymbol(true);
    setStatus(PlayerStatus::Pausing, pauseCountdownText(m_pauseTotal));
    m_ui->showPauseCountdown(m_pauseTotal);
    m_pauseTimer->start(kPauseStepMs);
}

void PlayerController::pauseTick()
{
    if (m_pauseTotal == 0 || m_pauseStep >= m_pauseTotal) {
        finishPause();
        return;
    }
    ++m_pauseStep;
    const int left = m_pauseTotal + 1 - m_pauseStep;
    setStatus(PlayerStatus::Pausing, pauseCountdownText(left));
    m_ui->showPauseCountdown(left);
}

void PlayerController::cancelPause()
{
    m_pauseTimer->stop();
    m_pauseTotal = 0;
    m_pauseStep = 0;
}

void PlayerController::finishPause()
{
    const After after = m_after;
    cancelPause();
    if (m_stopGedrueckt || after == After::Stop)
        imgStop_Click();
    else
        imgStart_Click();
}

void PlayerController::EscGedrueckt()
{
    if (!isPausing()) {
        // Kept for a running search of the catalogue; a pause clears it when it begins.
        m_escGedrueckt = true;
        return;
    }
    m_escGedrueckt = false;
    if (m_pauseTotal > 0) {
        m_ui->setPauseSymbol(false);
        m_ui->showPauseCountdown(0);
    }
    finishPause();
}

// ---------------------------------------------------------------------------------------
// Transport

void PlayerController::SonderfunktionenAus()
{
    m_ab->aus();
    m_ui->abRepeatAus();
    if (m_pausedAt >= 0 && m_trackEnde >= 0)
        m_trackEnde += m_clock->nowMs() - m_pausedAt;
    m_pausedAt = -1;
    m_pausiertFlag = false;
    m_ui->setPauseSymbol(false);
}

void PlayerController::imgStop_Click()
{
    // Any stop cancels the next track, also one that a pause between tracks is waiting for.
    m_stopGedrueckt = true;
    const bool wasPlaying = m_status == PlayerStatus::Playing && m_activeEngine && !m_engineEnded;
    // In the pause before the next track the resume record is that track from its start.
    const bool waitingForNext = m_status == PlayerStatus::Pausing && m_after == After::Start;
    cancelPause();
    m_passGuard.reset();
    m_timer1->stop();
    m_endKick->stop();
    m_ui->setTimer2(false);
    m_ui->setTimer3(false);
    if (m_videofensterAktiv) {
        m_ui->showVideoWindow(false);
        if (m_engines.video)
            m_engines.video->close();
    }
    m_ui->showInfoTrackButton(false);
    m_ui->resetCaptions();
    setStatus(PlayerStatus::Idle, noPlayText());
    m_ui->setPictureHeight(kPictureHeightAlone);

    // The resume record is taken before marked mode moves the index, under every engine,
    // and only from a track that was actually playing.
    if (wasPlaying) {
        m_resumePosition = int(qRound(m_activeEngine->position()));
        if (m_playlistModus) {
            const int selected = m_playlist ? m_playlist->currentIndex() : -1;
            m_resumeTrack = selected >= 0 ? selected + 1 : m_aktuellerTrack;
        } else {
            m_resumeTrack = m_aktuellerTrack;
            m_resumeMusikpfad = m_trackList ? m_trackList->folder() : QString();
        }
    } else if (waitingForNext) {
        m_resumePosition = 0;
        m_resumeTrack = m_aktuellerTrack;
        if (!m_playlistModus)
            m_resumeMusikpfad = m_trackList ? m_trackList->folder() : QString();
    }
    SonderfunktionenAus();
    if (isChecked(ModeBox::MarkTracks))
        m_aktuellerTrack = 0;
    if (wasPlaying && m_playlistModus)
        m_aktuellerTrack = m_resumeTrack;

    if (m_engines.player)
        m_engines.player->close();
    if (m_winPlayer)
        m_ui->showMediaPlayer(false);
    MciStoppen();
    m_activeEngine = nullptr;
    m_engineEnded = false;
    m_trackEnde = -1;
}

void PlayerController::MiniPlayerStop()
{
    m_stopGedrueckt = true;
    imgStop_Click();
}

void PlayerController::imgPause_Click()
{
    if (m_status == PlayerStatus::Idle)
        return;
    if (m_status == PlayerStatus::Pausing) {
        EscGedrueckt();
        return;
    }
    MediaEngine* engine = m_activeEngine;
    if (!engine || m_engineEnded)
        return;
    if (m_pausiertFlag) {
        m_pausiertFlag = false;
        engine->play();
        if (m_pausedAt >= 0 && m_trackEnde >= 0)
            m_trackEnde += m_clock->nowMs() - m_pausedAt;
        m_pausedAt = -1;
        m_ui->setPauseSymbol(false);
    } else {
        m_pausiertFlag = true;
        engine->pause();
        m_pausedAt = m_clock->nowMs();
        m_ui->setPauseSymbol(true);
    }
}

void PlayerController::imgResume_Click()
{
    if (m_playlistModus) {
        selectPlaylistItem(m_resumeTrack);
    } else if (!m_resumeMusikpfad.isEmpty() && m_catalogue) {
        const int row = m_catalogue->findRow(QStringLiteral("Musikpfad"), m_resumeMusikpfad);
        if (row < 0) {
            // Another record's track must not play at the saved position.
            MessageRequest request;
            request.prompt = QStringLiteral(
                "Der zuletzt gespielte Tonträger ist in der aktuellen Ansicht nicht enthalten.");
            request.style = 1;
            request.title = QStringLiteral("Bedienungshinweis");
            request.backColor = kHintBackColor;
            m_msgAntwort = m_ui->msgFenn(request);
            return;
        }
        if (row != m_catalogue->currentRow())
            m_catalogue->moveToRow(row);
    }
    m_aktuellerTrack = m_resumeTrack;
    imgStart_Click();
    if (m_status == PlayerStatus::Playing && m_activeEngine && m_resumePosition > 0) {
        m_activeEngine->setPosition(m_resumePosition);
        if (m_trackEnde >= 0 && !isChecked(ModeBox::TracksAnspielen))
            m_trackEnde -= qint64(m_resumePosition) * 1000;
    }
}

void PlayerController::imgVorBack_Click(int index)
{
    SonderfunktionenAus();
    if (index != 0 && index != 1)
        return;
    if (m_playlistModus) {
        const int m = m_playlist ? m_playlist->count() : 0;
        if (m <= 0)
            return;
        // Back from no current item (0) goes to the last item, as back from item 1 does.
        const int from = m_aktuellerTrack < 1 && index == 0 ? m + 1 : qBound(0, m_aktuellerTrack, m);
        // One pass round the list; with no checked item nothing happens.
        for (int step = 1; step <= m; ++step) {
            int candidate = index == 0 ? from - step : from + step;
            candidate = ((candidate - 1) % m + m) % m + 1;
            if (m_playlist->isChecked(candidate - 1)) {
                m_aktuellerTrack = candidate;
                selectPlaylistItem(candidate);
                imgStart_Click();
                return;
            }
        }
        return;
    }

    const int n = m_trackList ? m_trackList->count() : 0;
    if (n <= 0)
        return;
    int t = qBound(0, m_aktuellerTrack, n);
    const bool marked = isChecked(ModeBox::MarkTracks);
    if (index == 0) {
        const int from = t != 0 ? t - 1 : n - 1;
        if (marked) {
            for (int i = from; i >= 0; --i) {
                if (m_trackList->isSelected(i)) {
                    t = i;
                    break;
                }
            }
        } else {
            t = from;
        }
    } else {
        t = t >= n - 1 ? 0 : t + 1;
    }
    m_aktuellerTrack = t;
    imgStart_Click();
}

void PlayerController::imgLiedzufall_Click()
{
    if (m_stilAusgeschlossen) {
        showStyleHint(QStringLiteral("Bedienungshinweis (imgLiedzufall_Click)"));
        m_timer1->stop();
        return;
    }
    TontraegerZufaellig();
}

// ---------------------------------------------------------------------------------------
// Lists and sources

bool PlayerController::AbspielausschlusslisteLaden(const QString& programFolder, QString* hinweis)
{
    const QString file = QDir(programFolder).filePath(kStyleExclusionFile);
    return m_draw.styleExclusion().load(file, hinweis) || !QFileInfo::exists(file);
}

bool PlayerController::BandAbspielausschlusslisteLaden(const QString& programFolder, QString* hinweis)
{
    const QString file = QDir(programFolder).filePath(kBandExclusionFile);
    return m_draw.bandExclusion().load(file, hinweis) || !QFileInfo::exists(file);
}

void PlayerController::onTrackListChanged()
{
    if (m_playlistModus)
        return; // the playlist's index and marks are not the track list's
    m_aktuellerTrack = 0;
    m_gespieltMarken = QVector<int>(m_trackList ? m_trackList->count() : 0, 0);
}

void PlayerController::onPlaylistChanged()
{
    m_gespieltMarken = QVector<int>(m_playlist ? m_playlist->count() + 1 : 1, 0);
}

// ---------------------------------------------------------------------------------------
// Play-mode switches

void PlayerController::setChecked(ModeBox box, bool checked)
{
    Box& b = m_boxes[int(box)];
    if (b.checked == checked)
        return;
    b.checked = checked;
    Q_EMIT modeBoxesChanged();
    switch (box) {
    case ModeBox::AlleTracks:
        chkAlleTracks_Click();
        break;
    case ModeBox::MarkTracks:
        chkMarkTracks_Click();
        break;
    case ModeBox::Shuffle:
        chkShuffle_Click();
        break;
    case ModeBox::TracksAnspielen:
        chkTracksAnspielen_Click();
        break;
    case ModeBox::TracksZufaellig:
    case ModeBox::Repeat:
        break;
    }
}

void PlayerController::enableBox(ModeBox box, bool on)
{
    Box& b = m_boxes[int(box)];
    if (b.enabled == on)
        return;
    b.enabled = on;
    Q_EMIT modeBoxesChanged();
}

void PlayerController::chkAlleTracks_Click()
{
    if (isChecked(ModeBox::AlleTracks)) {
        clearBox(ModeBox::MarkTracks);
        enableBox(ModeBox::MarkTracks, false);
        clearBox(ModeBox::Shuffle);
        enableBox(ModeBox::Shuffle, false);
        enableBox(ModeBox::TracksZufaellig, true);
        enableBox(ModeBox::TracksAnspielen, true);
        enableBox(ModeBox::Repeat, true);
    } else {
        m_timer1->stop();
        clearBox(ModeBox::MarkTracks);
        enableBox(ModeBox::MarkTracks, true);
        enableBox(ModeBox::Shuffle, true);
        enableBox(ModeBox::TracksZufaellig, false);
        enableBox(ModeBox::TracksAnspielen, false);
        clearBox(ModeBox::Repeat);
        enableBox(ModeBox::Repeat, false);
    }
}

void PlayerController::chkMarkTracks_Click()
{
    if (isChecked(ModeBox::MarkTracks)) {
        m_aktuellerTrack = 0;
        clearBox(ModeBox::AlleTracks);
        enableBox(ModeBox::AlleTracks, false);
        clearBox(ModeBox::Shuffle);
        enableBox(ModeBox::Shuffle, false);
        clearBox(ModeBox::TracksZufaellig);
        enableBox(ModeBox::TracksZufaellig, false);
        enableBox(ModeBox::TracksAnspielen, true);
        clearBox(ModeBox::Repeat);
        enableBox(ModeBox::Repeat, true);
    } else {
        m_timer1->stop();
        clearBox(ModeBox::AlleTracks);
        enableBox(ModeBox::AlleTracks, true);
        clearBox(ModeBox::Shuffle);
        enableBox(ModeBox::Shuffle, true);
        clearBox(ModeBox::TracksZufaellig);
        enableBox(ModeBox::TracksZufaellig, false);
        clearBox(ModeBox::TracksAnspielen);
        enableBox(ModeBox::TracksAnspielen, false);
        clearBox(ModeBox::Repeat);
        enableBox(ModeBox::Repeat, false);
    }
}

void PlayerController::chkShuffle_Click()
{
    if (isChecked(ModeBox::Shuffle)) {
        clearBox(ModeBox::AlleTracks);
        enableBox(ModeBox::AlleTracks, false);
        clearBox(ModeBox::MarkTracks);
        enableBox(ModeBox::MarkTracks, false);
        clearBox(ModeBox::TracksZufaellig);
        enableBox(ModeBox::TracksZufaellig, false);
        enableBox(ModeBox::TracksAnspielen, true);
        clearBox(ModeBox::Repeat);
        enableBox(ModeBox::Repeat, false);

        if (m_kommandozeileVorhanden) {
            m_kommandozeileVorhanden = false;
            return;
        }
        const QString answer = m_ui->inputFenn(
            QStringLiteral("Bei der Shuffle-Funktion können Sie pro Datenträger mehrere Songs "
                           "abspielen lassen!")
                + QStringLiteral("\n\n")
                + QStringLiteral("Wieviele Songs pro Datenträger abspielen?"),
            QStringLiteral("Songs pro Datenträger"), PlayerSettings::shuffleSongProCD());
        // Only a whole number of at least one song is kept; anything else keeps the setting.
        bool ok = false;
        const int songs = answer.trimmed().toInt(&ok);
        if (ok && songs >= 1)
            PlayerSettings::save(QStringLiteral("ShuffleSongProCD"), QString::number(songs));
    } else {
        m_shuffleZaehler = 1;
        m_timer1->stop();
        clearBox(ModeBox::AlleTracks);
        enableBox(ModeBox::AlleTracks, true);
        clearBox(ModeBox::MarkTracks);
        enableBox(ModeBox::MarkTracks, true);
        clearBox(ModeBox::TracksZufaellig);
        enableBox(ModeBox::TracksZufaellig, false);
        enableBox(ModeBox::TracksAnspielen, false);
        clearBox(ModeBox::Repeat);
        enableBox(ModeBox::Repeat, false);
        imgStop_Click();
    }
}

void PlayerController::chkTracksAnspielen_Click()
{
    if (!isChecked(ModeBox::TracksAnspielen))
        return;
    const QString answer = m_ui->inputFenn(
        QStringLiteral("Wie lange soll der Track angespielt werden?") + QStringLiteral("\n\n")
            + QStringLiteral("Default (Sek.) = 10"),
        QStringLiteral("Track & Movie anspielen"), PlayerSettings::tracksAnspielen());
    if (answer.isEmpty())
        return;
    // Whole seconds of at least two; the number is saved, not the text around it.
    bool ok = false;
    const int seconds = answer.trimmed().toInt(&ok);
    if (ok && seconds >= 2) {
        PlayerSettings::save(QStringLiteral("TracksAnspielen"), QString::number(seconds));
        PlayerSettings::save(QStringLiteral("PauseZwischenTracks"), QStringLiteral("0"));
        return;
    }
    MessageRequest request;
    request.prompt = QStringLiteral("Mindestanspielzeit ist 2 Sekunden");
    request.style = 3;
    request.title = QStringLiteral("Sicherheitshinweis");
    request.backColor = kHintBackColor;
    m_msgAntwort = m_ui->msgFenn(request);
    clearBox(ModeBox::TracksAnspielen);
}

void PlayerController::chkVisualisierung_Click(bool checked)
{
    m_ui->showMediaPlayer(false);
    if (checked) {
        m_ui->setMediaPlayerGeometry(1380, 4150);
        PlayerSettings::save(QStringLiteral("WinMediaPlayerVisualisierung"), QStringLiteral("1"));
    } else {
        m_ui->setMediaPlayerGeometry(4575, 960);
        PlayerSettings::save(QStringLiteral("WinMediaPlayerVisualisierung"), QStringLiteral("0"));
    }
    if (m_engines.player && m_engines.player->state() == PlayState::Playing)
        m_ui->showMediaPlayer(true);
}

void PlayerController::chkVollbild_Click(bool checked)
{
    m_ui->setMediaPlayerFullScreen(checked);
}

} // namespace klang::player
