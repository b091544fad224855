#include "platform/sound/Sound.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThread>

#include <mpv/client.h>

#include <clocale>

namespace klang {

namespace {

QMutex g_lastMutex;
QString g_lastRequested;

// One mpv handle for every feedback sound, created on first use on the GUI thread and
// destroyed when the application ends.
class SoundPlayer
{
public:
    static SoundPlayer& instance()
    {
        static SoundPlayer player;
        return player;
    }

    void play(const QString& path)
    {
        mpv_handle* h = handle();
        if (!h)
            return;
        drainEvents();
        const QByteArray file = QFile::encodeName(path);
        const char* cmd[] = {"loadfile", file.constData(), "replace", nullptr};
        mpv_command_async(h, 0, cmd);
    }

    void stop()
    {
        if (!m_handle)
            return;
        drainEvents();
        const char* cmd[] = {"stop", nullptr};
        mpv_command_async(m_handle, 0, cmd);
    }

    void destroy()
    {
        if (m_handle) {
            mpv_terminate_destroy(m_handle);
            m_handle = nullptr;
        }
    }

    ~SoundPlayer() { destroy(); }

private:
    mpv_handle* handle()
    {
        if (m_handle || m_failed)
            return m_handle;
        // mpv refuses to start under a locale with another decimal separator.
        std::setlocale(LC_NUMERIC, "C");
        mpv_handle* h = mpv_create();
        if (!h) {
            m_failed = true;
            return nullptr;
        }
        const bool nullOutput = qEnvironmentVariable("KLANGTRUHE_MEDIA_OUTPUT") == QLatin1String("null");
        mpv_set_option_string(h, "config", "no");
        mpv_set_option_string(h, "terminal", "no");
        mpv_set_option_string(h, "msg-level", "all=no");
        mpv_set_option_string(h, "idle", "yes");
        mpv_set_option_string(h, "video", "no");
        mpv_set_option_string(h, "audio-display", "no");
        mpv_set_option_string(h, "input-default-bindings", "no");
        mpv_set_option_string(h, "load-scripts", "no");
        mpv_set_option_string(h, "ytdl", "no");
        if (nullOutput)
            mpv_set_option_string(h, "ao", "null");
        if (mpv_initialize(h) < 0) {
            mpv_terminate_destroy(h);
            m_failed = true;
            return nullptr;
        }
        m_handle = h;
        // Ends the player with the application, before static destruction tears Qt down.
        if (QCoreApplication::instance())
            qAddPostRoutine([] { SoundPlayer::instance().destroy(); });
        return m_handle;
    }

    // Nobody listens to the player's events; take them off the queue so it never fills.
    void drainEvents()
    {
        while (m_handle) {
            mpv_event* event = mpv_wait_event(m_handle, 0);
            if (!event || event->event_id == MPV_EVENT_NONE)
                break;
        }
    }

    mpv_handle* m_handle = nullptr;
    bool m_failed = false;
};

// The handle belongs to the GUI thread: calls from elsewhere are handed over to it.
template<typename F>
void onGuiThread(F&& f)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        QMetaObject::invokeMethod(app, std::forward<F>(f), Qt::QueuedConnection);
    else
        f();
}

} // namespace

void playSoundAsync(const QString& filePath)
{
    {
        QMutexLocker lock(&g_lastMutex);
        g_lastRequested = filePath;
    }
    if (filePath.isEmpty() || !QFileInfo(filePath).isFile())
        return; // a missing sound is no error: the program simply stays silent
    onGuiThread([filePath] { SoundPlayer::instance().play(filePath); });
}

void stopSound()
{
    onGuiThread([] { SoundPlayer::instance().stop(); });
}

QString lastSoundRequested()
{
    QMutexLocker lock(&g_lastMutex);
    return g_lastRequested;
}

} // namespace klang
