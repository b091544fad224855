#pragma once

// The embedded media player of the main window, the video window and the TV viewer: a
// widget that shows video (or black) with an optional control bar, driven through the
// members the programs use: URL (setting it opens and starts the medium), close, playState,
// controls (play, pause, stop, currentPosition), currentMedia (name, duration, attributes),
// fullScreen, uiMode, stretchToFit, volume, and the PlayStateChange and MouseUp events.

#include "platform/media/MediaEngine.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QWidget>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;

namespace klang::media {

class MediaPlayerControl;

// What the player knows about the medium it holds (a snapshot; empty values without one).
class MediaInfo
{
public:
    QString name() const { return m_name; }
    QString sourceURL() const { return m_source; }
    // Seconds, 0 while unknown.
    double duration() const { return m_duration; }
    // "mm:ss" ("h:mm:ss" from one hour on), empty while unknown.
    QString durationString() const;
    int attributeCount() const { return int(m_attributes.size()); }
    // The name of attribute i (0-based), empty outside the range.
    QString getAttributeName(int index) const;
    // The value of an attribute by name (case-insensitive), empty when there is none.
    QString getItemInfo(const QString& attributeName) const;

    // Builds the snapshot of a file or URL; TagLib reads tags and properties of local files.
    static MediaInfo fromSource(const QString& source);

private:
    friend class MediaPlayerControl;
    QString m_name;
    QString m_source;
    double m_duration = 0.0;
    QList<QPair<QString, QString>> m_attributes;
};

// The transport of the player ("controls").
class MediaPlayerControls
{
public:
    explicit MediaPlayerControls(MediaPlayerControl* player) : m_player(player) {}
    void play();
    void pause();
    void stop();
    // Seconds with fraction; setting it before the medium has loaded applies once it has.
    double currentPosition() const;
    void setCurrentPosition(double seconds);
    // "mm:ss" of the current position.
    QString currentPositionString() const;

private:
    MediaPlayerControl* m_player;
};

class MediaPlayerControl : public QWidget
{
    Q_OBJECT
public:
    // Plays through MpvEngine.
    explicit MediaPlayerControl(QWidget* parent = nullptr);
    // Plays through the given engine, which the control takes over (tests use a fake).
    explicit MediaPlayerControl(MediaEngine* engine, QWidget* parent = nullptr);
    ~MediaPlayerControl() override;

    QString URL() const { return m_url; }
    // Opens the medium and, with autoStart on, starts it; an empty URL closes the player.
    void setURL(const QString& url);
    // Stops and releases the medium; playState becomes 1 (stopped).
    void close();

    // 0 undefined, 1 stopped, 2 paused, 3 playing, 8 media ended, 9 transitioning, ...
    int playState() const { return int(m_engine->state()); }

    MediaPlayerControls& controls() { return m_controls; }
    const MediaPlayerControls& controls() const { return m_controls; }
    MediaInfo currentMedia() const;

    bool fullScreen() const { return m_fullScreen; }
    // Full screen shows the picture on the whole screen while a medium is playing or
    // paused; a request without one is ignored. Esc or a double click ends it.
    void setFullScreen(bool on);

    // "full" and "mini" show the control bar, "none" only the picture, "invisible" nothing.
    QString uiMode() const { return m_uiMode; }
    void setUiMode(const QString& mode);

    bool stretchToFit() const { return m_stretchToFit; }
    void setStretchToFit(bool on);
    bool autoStart() const { return m_autoStart; }
    void setAutoStart(bool on) { m_autoStart = on; }
    int volume() const { return m_engine->volume(); }
    void setVolume(int percent) { m_engine->setVolume(percent); updateBar(); }
    bool mute() const { return m_engine->isMuted(); }
    void setMute(bool on) { m_engine->setMuted(on); }

    MediaEngine* engine() const { return m_engine; }
    // The surface that shows the picture.
    QWidget* videoWidget() const { return m_video; }

Q_SIGNALS:
    // The play state changed; the argument is the new state (as playState()).
    void PlayStateChange(int newState);
    // A mouse button was released over the picture: 1 left, 2 right, 4 middle; shift state
    // 1 Shift, 2 Ctrl, 4 Alt; position in pixels of the picture.
    void MouseUp(int nButton, int nShiftState, double fX, double fY);
    // The medium could not be opened or played.
    void MediaError(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUp();
    void onStateChanged(PlayState state);
    void updateBar();
    void applyUiMode();
    void moveVideo(bool toFullScreen);

    MediaEngine* m_engine = nullptr;
    MediaPlayerControls m_controls{this};
    QWidget* m_video = nullptr;
    QWidget* m_bar = nullptr;
    QToolButton* m_playButton = nullptr;
    QToolButton* m_stopButton = nullptr;
    bool m_iconsReady = false; // the buttons get their icons once the event loop runs
    QSlider* m_slider = nullptr;
    QSlider* m_volumeSlider = nullptr;
    QLabel* m_time = nullptr;
    QTimer* m_barTimer = nullptr;
    QString m_url;
    mutable MediaInfo m_media;
    QString m_uiMode = QStringLiteral("full");
    bool m_fullScreen = false;
    bool m_stretchToFit = false;
    bool m_autoStart = true;
    bool m_rebinding = false;
    bool m_sliderHeld = false;
};

} // namespace klang::media
