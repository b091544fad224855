#pragma once

// One playback engine for every place that plays a medium: the device commands of the
// player, the embedded player control, the video window and the TV viewer. The real engine
// is MpvEngine; tests of the player's rules use a fake (tests/support/FakeMediaEngine.h).
//
// Every signal arrives on the thread that owns the engine (the GUI thread). Commands never
// wait for the medium: open() returns at once and the outcome follows as signals.

#include <QList>
#include <QObject>
#include <QPair>
#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

namespace klang::media {

// The play states of the embedded player control, numbered as the programs compare them.
enum class PlayState : int {
    Undefined = 0,
    Stopped = 1,
    Paused = 2,
    Playing = 3,
    ScanForward = 4,
    ScanReverse = 5,
    Buffering = 6,
    Waiting = 7,
    MediaEnded = 8,
    Transitioning = 9,
    Ready = 10,
    Reconnecting = 11,
};

// Why a medium stopped by itself.
enum class EndReason {
    Finished, // played to its end
    Error,    // could not be opened or decoded; errorText() says why
};

class MediaEngine : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~MediaEngine() override = default;

    // Opens a local file (plain path or file:// URL) or a network URL and starts it (or
    // leaves it paused at the start position). Returns false when the medium is refused at
    // once (empty name, missing local file, engine unavailable): then nothing plays, the
    // state is Stopped and errorText() says why. A medium that turns out unplayable later
    // ends with endOfFile(EndReason::Error).
    virtual bool open(const QString& pathOrUrl, bool startPaused = false) = 0;
    // Continues a paused medium; plays a stopped or ended one again from its start.
    virtual void play() = 0;
    virtual void pause() = 0;
    // Stops and rewinds; the medium stays chosen, so play() starts it again. The state
    // becomes Stopped at once (no endOfFile).
    virtual void stop() = 0;
    // Stops and forgets the medium; the state becomes Stopped as with stop().
    virtual void close() = 0;
    // Closes and returns only once the engine has let go of the video surface, so that the
    // surface's window may be destroyed right after (at exit). The engine can be used again.
    virtual void shutdown() { close(); }

    // Position in seconds (with fraction). Setting it before the medium has loaded takes
    // effect as soon as it has.
    virtual double position() const = 0;
    virtual void setPosition(double seconds) = 0;
    // Length in seconds, or -1 while unknown (not loaded yet, live stream).
    virtual double duration() const = 0;

    virtual PlayState state() const = 0;
    // The medium last given to open() (empty after close()).
    virtual QString source() const = 0;
    virtual QString errorText() const = 0;
    // What the engine's libraries said about the last failure, line by line, as they said it
    // (for callers that explain it in their own words); empty when they said nothing.
    virtual QStringList errorDetails() const { return {}; }

    // 0..100.
    virtual int volume() const = 0;
    virtual void setVolume(int percent) = 0;
    virtual bool isMuted() const = 0;
    virtual void setMuted(bool muted) = 0;

    // Where video is shown. Without a widget, video gets a window of its own (audio never
    // opens one). Call before open(); a change takes effect with the next open().
    virtual void setVideoWidget(QWidget* widget) = 0;
    // Video fills the widget (true) or keeps its own size when it fits (false).
    virtual void setStretchToFit(bool stretch) = 0;
    // The size of the picture as shown (aspect applied); empty without video. It becomes
    // known when the first picture reaches the output.
    virtual QSize videoSize() const { return {}; }

    // What the engine tells of the open medium's streams (container format, codecs, sample
    // rate, channels, picture size), as name and value; empty without a medium.
    virtual QList<QPair<QString, QString>> streamInfo() const { return {}; }

Q_SIGNALS:
    void stateChanged(klang::media::PlayState state);
    // The medium is open. Its length comes with durationChanged, at once or a moment later
    // (if the medium has one).
    void loaded();
    // The medium ended by itself (not by stop() or close()). At a natural end the states
    // MediaEnded and then Stopped come first, so a reader of state() sees Stopped.
    void endOfFile(klang::media::EndReason reason);
    void errorOccurred(const QString& text);
    void durationChanged(double seconds);
    // The picture size changed; the first report comes with the medium's first picture.
    void videoSizeChanged(QSize size);
};

// True when the environment asks for silent, windowless playback (tests, CI).
bool nullOutputRequested();

} // namespace klang::media
