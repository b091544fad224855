#pragma once

// The media engine over libmpv. One mpv core per engine, created at the first open(); mpv
// reports through its wakeup callback, which queues the event pump onto the engine's thread,
// so every signal arrives on the GUI thread and no call waits for the medium.

#include "platform/media/MediaEngine.h"

#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <atomic>

struct mpv_handle;
struct mpv_event;

namespace klang::media {

// The German text for one of libmpv's error codes; the library's own (English) message, when
// given, follows in parentheses as a detail.
QString mpvFehlertext(int error, const QString& meldung = QString());

class MpvEngine : public MediaEngine
{
    Q_OBJECT
public:
    explicit MpvEngine(QObject* parent = nullptr);
    ~MpvEngine() override;

    bool open(const QString& pathOrUrl, bool startPaused = false) override;
    void play() override;
    void pause() override;
    void stop() override;
    void close() override;
    void shutdown() override;
    double position() const override;
    void setPosition(double seconds) override;
    double duration() const override;
    PlayState state() const override { return m_state; }
    QString source() const override { return m_source; }
    QString errorText() const override { return m_errorText; }
    QStringList errorDetails() const override { return m_log; }
    int volume() const override { return m_volume; }
    void setVolume(int percent) override;
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override;
    void setVideoWidget(QWidget* widget) override;
    void setStretchToFit(bool stretch) override;
    QList<QPair<QString, QString>> streamInfo() const override;
    QSize videoSize() const override
    {
        return m_rawVideoSize.width() > 0 && m_rawVideoSize.height() > 0 ? m_rawVideoSize : QSize();
    }

    // True once the medium given to open() has loaded and not ended since.
    bool isLoaded() const { return m_loaded; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void wakeup(void* context);
    void drainEvents();
    void handleEvent(const mpv_event& event);
    bool ensureCore();
    void destroyCore();
    void setState(PlayState state);
    void command(const QList<QByteArray>& args, quint64 tag = 0);
    void setPauseAsync(bool paused);
    void applyLoaded();
    void applyEnd(int reason, int error);
    void setVideoSize(QSize size);
    bool startLoad(double startAt);

    mpv_handle* m_mpv = nullptr;
    std::atomic<bool> m_drainQueued{false};
    QPointer<QWidget> m_videoWidget;
    WId m_boundWindow = 0;
    QPointer<QWindow> m_boundHandle; // the native window mpv draws into, watched for its end
    bool m_rebuildCore = false;

    PlayState m_state = PlayState::Undefined;
    QString m_source;
    QString m_errorText;
    QString m_lastLog;
    QStringList m_log;           // error lines since the medium was opened (a few)
    QString m_resolvedTarget;    // absolute path or URL handed to mpv
    quint64 m_loadCounter = 0;
    quint64 m_loadTag = 0;       // tag of the loadfile command that counts
    qint64 m_entryId = -1;       // mpv's id for the medium that counts, once known
    qint64 m_lastStartedId = -1; // last medium mpv reported starting
    qint64 m_loadedId = -1;      // last medium mpv reported loaded
    qint64 m_endedId = -1;       // last medium mpv reported ended, with reason and error
    int m_endedReason = 0;
    int m_endedError = 0;
    bool m_active = false;       // a medium is loading or loaded
    bool m_endPending = false;   // the medium that counts ended; reported after the queue
    bool m_loaded = false;
    bool m_pauseWanted = false;
    bool m_seekInFlight = false; // positions reported before the seek landed are stale
    double m_pendingSeek = -1.0;
    double m_position = 0.0;
    double m_duration = -1.0;
    QSize m_rawVideoSize;        // as mpv reports width and height, one at a time
    int m_volume = 100;
    bool m_muted = false;
    bool m_stretch = false;
};

} // namespace klang::media
