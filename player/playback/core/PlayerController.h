#pragma once

// The player's rules without widgets: starting a track by engine and file kind, the
// end-of-track watch and the choice of the next track by play mode, the pause between
// tracks, random record and song, the play-mode switches and the transport commands.
// The main window, the mini player and the video window call it; handlers keep their names.

#include "player/playback/core/AbWiederholung.h"
#include "player/playback/core/PlayerInterfaces.h"
#include "player/playback/core/PlayerState.h"
#include "player/playback/core/RecordDraw.h"

#include <QObject>
#include <QRandomGenerator>
#include <QVector>

#include <array>
#include <functional>

namespace klang::media {
class MediaEngine;
enum class EndReason;
}

namespace klang::player {

// The play-mode check boxes whose rules live here.
enum class ModeBox {
    AlleTracks,
    MarkTracks,
    Shuffle,
    TracksZufaellig,
    TracksAnspielen,
    Repeat,
};
constexpr int kModeBoxCount = 6;

// The three places a file can play in.
struct PlayerEngines
{
    // The device engine (played under the alias "MyAlias"): no embedded video.
    klang::media::MediaEngine* device = nullptr;
    // The embedded player of the main window (MediaPlayer1).
    klang::media::MediaEngine* player = nullptr;
    // The video window's player (pictures and videos under the embedded-player engine).
    klang::media::MediaEngine* video = nullptr;
};

class PlayerController : public QObject
{
    Q_OBJECT
public:
    using LengthFunction = std::function<double(const QString&)>;

    // The controller does not own the engines, sources, catalogue or UI; they must outlive
    // it (or be detached with setters). A null clock means the system clock.
    PlayerController(const PlayerEngines& engines, IClock* clock, QObject* parent = nullptr);
    ~PlayerController() override;

    void setTrackList(ITrackSource* source) { m_trackList = source; }
    void setPlaylist(ITrackSource* source) { m_playlist = source; }
    void setCatalogue(ICatalogue* catalogue)
    {
        m_catalogue = catalogue;
        onCatalogueChanged();
    }
    void setUi(IPlayerUi* ui);
    // Track length in seconds, -1 when unknown (default: platform/media's measurement).
    void setLengthFunction(LengthFunction fn) { m_length = std::move(fn); }
    // Fixes the random sequence (tests); the default seed differs on every run.
    void setRandomSeed(quint32 seed) { m_random.seed(seed); }

    // --- state shared with the windows ---
    int aktuellerTrack() const { return m_aktuellerTrack; }
    void setAktuellerTrack(int track) { m_aktuellerTrack = track; }
    bool playlistModus() const { return m_playlistModus; }
    void setPlaylistModus(bool on) { m_playlistModus = on; }
    bool stopGedrueckt() const { return m_stopGedrueckt; }
    bool escGedrueckt() const { return m_escGedrueckt; }
    bool stilAusgeschlossen() const { return m_stilAusgeschlossen; }
    void setStilAusgeschlossen(bool on) { m_stilAusgeschlossen = on; }
    bool videofensterAktiv() const { return m_videofensterAktiv; }
    bool pausiertFlag() const { return m_pausiertFlag; }
    int shuffleZaehler() const { return m_shuffleZaehler; }
    void setShuffleZaehler(int n) { m_shuffleZaehler = n; }
    bool kommandozeileVorhanden() const { return m_kommandozeileVorhanden; }
    void setKommandozeileVorhanden(bool on) { m_kommandozeileVorhanden = on; }
    QString spielText() const { return m_spielText; }
    QVector<int> gespieltMarken() const { return m_gespieltMarken; }
    // The word of the button pressed in the player's last message box.
    QString msgAntwort() const { return m_msgAntwort; }
    int resumePosition() const { return m_resumePosition; }
    int resumeTrack() const { return m_resumeTrack; }
    QString resumeMusikpfad() const { return m_resumeMusikpfad; }

    PlayerStatus status() const { return m_status; }
    QString statusText() const { return m_statusText; }
    // Timer1, the end-of-track watch.
    bool isWatching() const;
    bool isPausing() const { return m_status == PlayerStatus::Pausing; }

    // Menu marks: mnuWinPlayerVerwenden (engine choice) and mnuLaufschrift.
    bool winPlayerVerwenden() const { return m_winPlayer; }
    void setWinPlayerVerwenden(bool on) { m_winPlayer = on; }
    bool laufschrift() const { return m_laufschrift; }
    void setLaufschrift(bool on) { m_laufschrift = on; }

    // --- play-mode check boxes ---
    bool isChecked(ModeBox box) const { return m_boxes[int(box)].checked; }
    bool isEnabled(ModeBox box) const { return m_boxes[int(box)].enabled; }
    // Sets a box as a click or code does; its handler runs when the value really changes.
    void setChecked(ModeBox box, bool checked);
    void chkVisualisierung_Click(bool checked);
    void chkVollbild_Click(bool checked);

    // --- exclusion lists ---
    ExclusionList& stilAusschluss() { return m_draw.styleExclusion(); }
    ExclusionList& bandAusschluss() { return m_draw.bandExclusion(); }
    // Reads both list files from the program folder (missing files leave the lists). False
    // when a list file is there but cannot be read; *hinweis says what a bound left out.
    bool AbspielausschlusslisteLaden(const QString& programFolder, QString* hinweis = nullptr);
    bool BandAbspielausschlusslisteLaden(const QString& programFolder, QString* hinweis = nullptr);

    // --- the catalogue and the playlist tell the player ---
    // The track list shows another record's files: track 0, no marks played.
    void onTrackListChanged();
    // The playlist was loaded, created, clicked or added to: its marks start afresh.
    void onPlaylistChanged();
    // The catalogue shows other rows (another file, view, filter or order, or edited
    // records): the allowed records are counted out again at the next draw. A catalogue that
    // reports its revision needs no call; a changed exclusion list is noticed by itself.
    void onCatalogueChanged() { m_draw.invalidate(); }

public Q_SLOTS:
    // Starting a track.
    void imgStart_Click();
    // The end-of-track watch, once a second while a continuous mode plays.
    void Timer1_Timer();
    // Random record and song: in the catalogue a random allowed record and one of its
    // tracks (never started here); in the playlist a random unplayed checked item, started
    // when a track was playing.
    void TontraegerZufaellig();

    // Transport.
    void imgStop_Click();
    void imgPause_Click();
    void imgResume_Click();
    void imgVorBack_Click(int index);
    void imgLiedzufall_Click();
    // Esc key in the text panes and the print preview: ends a running pause.
    void EscGedrueckt();
    // The end of special functions on start, stop and step (pause look and A-B repeat).
    void SonderfunktionenAus();

    // The entries the mini player and the video window call.
    void MiniPlayerPause() { imgPause_Click(); }
    void MiniPlayerStop();
    void MiniPlayerVorBackStart() { imgStart_Click(); }
    void MiniPlayerResume() { imgResume_Click(); }

    // --- A-B repeat and what the companion windows need (PlayerControllerBegleiter.cpp) ---
    // The A-B button: marks A, marks B and repeats, ends the repeat, on whatever engine plays.
    void imgPosAB_Click();
    void MiniPlayerPosAB() { imgPosAB_Click(); }
    // Steps AktuellerTrack back (-1) or forward (+1) as the mini player and the video window
    // do, without starting; false when there is nothing to step to.
    bool MiniPlayerSchritt(int richtung);
    // Random record and song, then the start: the drawn track starts once.
    void ZufallUndStart();
    // Stops and opens the current track with the program the desktop associates with it.
    void cmdPlayAsso_Click();
    // A mouse button released over the embedded player: the left one plays the current video
    // again through the device engine, in a window of its own.
    void MediaPlayer1_MouseUp(int button);

public:
    const AbWiederholung& abWiederholung() const { return *m_ab; }
    // The end test of the scrolling captions: the playing track has ended, or nothing plays.
    bool titelBeendet() const { return trackHasEnded(); }
    // The text of round 1 (band), 2 (title) or 3 (file name) of the scrolling captions.
    QString laufschriftText(int runde) const;
    // The file of AktuellerTrack in the list that plays (the playlist in playlist mode).
    QString aktuellerPfad() const;

Q_SIGNALS:
    void statusChanged(const QString& text);
    // A play-mode box changed its value or enabled state.
    void modeBoxesChanged();
    // The current track index moved (for the views' selection).
    void aktuellerTrackChanged(int track);
    // The A-B repeat changed its state.
    void abZustandChanged();

private:
    enum class After { Start, Stop };
    enum class Choice { Start, Stop, Halt };
    struct Box
    {
        bool checked = false;
        bool enabled = true;
    };

    // Device engine under its alias.
    bool MciAbspielen(const QString& path);
    void MciStoppen();

    bool anyContinuousMode() const;
    bool repeatOne() const;
    ITrackSource* source() const;
    void setStatus(PlayerStatus status, const QString& text);
    void showStyleHint(const QString& title);
    void showBandHint();
    bool trackHasEnded() const;
    void connectEngine(klang::media::MediaEngine* engine);
    void onEngineEnded(klang::media::MediaEngine* engine, klang::media::EndReason reason);

    // Starting, by list.
    bool startFromTrackList();
    bool startFromPlaylist();
    bool playFile(const QString& path, const QString& name);

    // The watch's choice.
    Choice chooseNextInTrackList();
    Choice chooseNextInPlaylist();
    Choice chooseShuffle();
    // Random item of the playlist not played since the marks were cleared (1-based), or 0.
    int drawUnplayedItem();
    int drawUnplayedTrack();
    // Catalogue part of TontraegerZufaellig; false when every record is excluded.
    bool shuffleCatalogue();
    // Playlist part; false when it stopped.
    bool shufflePlaylist(bool fromWatch);
    // Moves the catalogue to a random allowed record. In shuffle play it must have entries
    // in its track list: the drawn one, else one pass over the others. Returns the row, -1 when every record is
    // excluded, -2 when no allowed record has anything to play.
    int moveToRecordWithTracks(bool* anyStyleExcluded, bool* anyBandExcluded);
    // How many tracks in a row may fail before continuous play gives up: one pass over
    // what the current mode plays.
    int passLength() const;
    void showHint(const QString& prompt, const QString& title);

    // Pause between tracks.
    // ohneWarten: no pause and no short wait (after a track that did not play).
    void beginPause(After after, bool ohneWarten = false);
    void pauseTick();
    void finishPause();
    void cancelPause();

    void ensureMarks();
    void selectPlaylistItem(int item);

    // Handlers of the mode boxes.
    void chkAlleTracks_Click();
    void chkMarkTracks_Click();
    void chkShuffle_Click();
    void chkTracksAnspielen_Click();
    void clearBox(ModeBox box) { setChecked(box, false); }
    void enableBox(ModeBox box, bool on);
    void abEinrichten();

    PlayerEngines m_engines;
    std::unique_ptr<IClock> m_ownClock;
    IClock* m_clock = nullptr;
    std::unique_ptr<ITimer> m_timer1;
    std::unique_ptr<ITimer> m_pauseTimer;
    std::unique_ptr<ITimer> m_endKick;
    std::unique_ptr<AbWiederholung> m_ab;
    ITrackSource* m_trackList = nullptr;
    ITrackSource* m_playlist = nullptr;
    ICatalogue* m_catalogue = nullptr;
    IPlayerUi m_nullUi;
    IPlayerUi* m_ui = &m_nullUi;
    LengthFunction m_length;
    QRandomGenerator m_random;

    std::array<Box, kModeBoxCount> m_boxes;
    RecordDraw m_draw{m_random};
    PassGuard m_passGuard;

    int m_aktuellerTrack = 0;
    bool m_playlistModus = false;
    bool m_stopGedrueckt = false;
    bool m_escGedrueckt = false;
    bool m_stilAusgeschlossen = false;
    // Which lists excluded the records when shuffle found none left (the hint names them).
    bool m_ausgeschlossenDurchStil = true;
    bool m_ausgeschlossenDurchBand = false;
    bool m_videofensterAktiv = false;
    bool m_pausiertFlag = false;
    bool m_kommandozeileVorhanden = false;
    bool m_winPlayer = false;
    bool m_laufschrift = false;
    int m_shuffleZaehler = 0;
    QString m_spielText;
    QString m_msgAntwort;
    QVector<int> m_gespieltMarken;
    int m_resumePosition = 0;
    int m_resumeTrack = 0;
    QString m_resumeMusikpfad;

    PlayerStatus m_status = PlayerStatus::Idle;
    QString m_statusText;

    // The track that plays: its engine, whether the engine reported its end, and the
    // clock's end time (-1: the engine's end of file decides).
    klang::media::MediaEngine* m_activeEngine = nullptr;
    bool m_engineEnded = false;
    bool m_endedWithError = false;
    qint64 m_trackEnde = -1;
    qint64 m_pausedAt = -1;

    // Pause between tracks.
    After m_after = After::Start;
    int m_pauseTotal = 0;
    int m_pauseStep = 0;
};

} // namespace klang::player
