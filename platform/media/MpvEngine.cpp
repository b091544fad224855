#include "platform/media/MpvEngine.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPlatformSurfaceEvent>
#include <QUrl>

#include <mpv/client.h>

#include <cmath>

namespace klang::media {

namespace {

// Tags of asynchronous commands whose reply matters; loadfile replies count up from here.
constexpr quint64 kLoadTagBase = 1000;
constexpr quint64 kSeekTag = 1;

} // namespace

QString mpvFehlertext(int error, const QString& meldung)
{
    // Phrased as a reason after "<Medium>: ", as the windows show it.
    QString text;
    switch (error) {
    case MPV_ERROR_NOMEM: text = QStringLiteral("nicht genug Arbeitsspeicher"); break;
    case MPV_ERROR_AO_INIT_FAILED: text = QStringLiteral("die Tonausgabe ließ sich nicht starten"); break;
    case MPV_ERROR_VO_INIT_FAILED: text = QStringLiteral("die Bildausgabe ließ sich nicht starten"); break;
    case MPV_ERROR_UNKNOWN_FORMAT: text = QStringLiteral("unbekanntes Format"); break;
    case MPV_ERROR_UNSUPPORTED: text = QStringLiteral("nicht unterstütztes Format"); break;
    case MPV_ERROR_NOTHING_TO_PLAY: text = QStringLiteral("keine Bild- oder Tondaten"); break;
    case MPV_ERROR_LOADING_FAILED: text = QStringLiteral("keine Verbindung oder kein abspielbarer Inhalt"); break;
    default: text = QStringLiteral("nicht abspielbar"); break;
    }
    const QString detail = meldung.trimmed();
    if (!detail.isEmpty())
        text += QStringLiteral(" (Meldung der Wiedergabe-Bibliothek: %1)").arg(detail);
    return text;
}

bool nullOutputRequested()
{
    return qgetenv("KLANGTRUHE_MEDIA_OUTPUT").trimmed().toLower() == "null";
}

MpvEngine::MpvEngine(QObject* parent)
    : MediaEngine(parent)
{
}

MpvEngine::~MpvEngine()
{
    destroyCore();
}

void MpvEngine::wakeup(void* context)
{
    // Called on one of mpv's threads: only queue the pump, once per burst of events.
    auto* self = static_cast<MpvEngine*>(context);
    if (!self->m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(self, [self] { self->drainEvents(); }, Qt::QueuedConnection);
}

bool MpvEngine::ensureCore()
{
    if (m_mpv && m_rebuildCore)
        destroyCore();
    if (m_mpv)
        return true;

    m_mpv = mpv_create();
    if (!m_mpv) {
        m_errorText = QStringLiteral("Die Wiedergabe-Bibliothek libmpv ließ sich nicht starten.");
        return false;
    }
    auto opt = [this](const char* name, const QByteArray& value) {
        mpv_set_option_string(m_mpv, name, value.constData());
    };
    opt("idle", "yes");
    opt("keep-open", "no");
    opt("terminal", "no");
    opt("config", "no");
    opt("load-scripts", "no");
    opt("ytdl", "no");
    opt("osc", "no");
    opt("input-default-bindings", "no");
    opt("input-vo-keyboard", "no");
    opt("input-cursor", "no");
    opt("audio-display", "no");
    opt("force-window", "no");
    opt("audio-client-name", "Klangtruhe");
    opt("video-unscaled", m_stretch ? "no" : "downscale-big");
    opt("volume", QByteArray::number(m_volume));
    opt("mute", m_muted ? "yes" : "no");
    // Without a working sound device a track still runs its time silently instead of failing
    // at once, so the play modes do not race through a whole list.
    opt("audio-fallback-to-null", "yes");

    m_boundWindow = 0;
    if (nullOutputRequested()) {
        opt("vo", "null");
        opt("ao", "null");
        // Small buffers, so that a silent medium ends when its time is up, as a heard one
        // does. The null output writes in small bursts too: a burst larger than its buffer
        // makes it refuse low sample rates (8 or 11 kHz), and such files would never play.
        opt("audio-buffer", "0.02");
        opt("ao-null-buffer", "0.02");
        opt("ao-null-outburst", "32");
    } else if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        // mpv's GLX context shares Xlib with Qt's connection and breaks it as soon as two
        // cores show video (the player's control and a device window): use EGL, or plain X11.
        opt("vo", "gpu,x11");
        opt("gpu-context", "x11egl");
        if (m_videoWidget) {
            // Embedding by window id works on X11; elsewhere video gets its own window.
            m_boundWindow = m_videoWidget->winId();
            int64_t wid = static_cast<int64_t>(m_boundWindow);
            mpv_set_option(m_mpv, "wid", MPV_FORMAT_INT64, &wid);
            // mpv must let go of the window before it is destroyed (at exit, on reparenting),
            // or its next call on the window ends the program with an X error.
            if (m_boundHandle)
                m_boundHandle->removeEventFilter(this);
            m_boundHandle = m_videoWidget->windowHandle();
            if (m_boundHandle)
                m_boundHandle->installEventFilter(this);
        }
    }

    if (mpv_initialize(m_mpv) < 0) {
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        m_errorText = QStringLiteral("Die Wiedergabe-Bibliothek libmpv ließ sich nicht starten.");
        return false;
    }
    // Warnings too: the network layer tells an HTTP status only as a warning.
    mpv_request_log_messages(m_mpv, "warn");
    mpv_observe_property(m_mpv, 0, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, 0, "duration", MPV_FORMAT_DOUBLE);
    // Set once the output has the first picture (also with the null output).
    mpv_observe_property(m_mpv, 0, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv, 0, "dheight", MPV_FORMAT_INT64);
    m_drainQueued = false;
    mpv_set_wakeup_callback(m_mpv, &MpvEngine::wakeup, this);
    m_rebuildCore = false;
    return true;
}

void MpvEngine::destroyCore()
{
    m_endPending = false;
    if (m_boundHandle) {
        m_boundHandle->removeEventFilter(this);
        m_boundHandle = nullptr;
    }
    if (!m_mpv)
        return;
    // After this returns mpv calls no more back into this object.
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
    m_mpv = nullptr;
    m_boundWindow = 0;
    m_active = false;
    m_loaded = false;
    m_entryId = -1;
}

void MpvEngine::setState(PlayState state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void MpvEngine::command(const QList<QByteArray>& args, quint64 tag)
{
    if (!m_mpv)
        return;
    QVarLengthArray<const char*, 8> argv;
    for (const QByteArray& a : args)
        argv.append(a.constData());
    argv.append(nullptr);
    mpv_command_async(m_mpv, tag, argv.data());
}

void MpvEngine::setPauseAsync(bool paused)
{
    if (!m_mpv)
        return;
    int flag = paused ? 1 : 0;
    mpv_set_property_async(m_mpv, 0, "pause", MPV_FORMAT_FLAG, &flag);
}

bool MpvEngine::open(const QString& pathOrUrl, bool startPaused)
{
    m_errorText.clear();
    m_pendingSeek = -1.0;
    m_pauseWanted = startPaused;

    QString target = pathOrUrl.trimmed();
    const QUrl url(target);
    const bool isUrl = target.contains(QLatin1String("://"));
    if (isUrl && url.isLocalFile())
        target = url.toLocalFile();
    if (!isUrl || url.isLocalFile()) {
        const QFileInfo info(target);
        if (target.isEmpty() || !info.isFile()) {
            // Refused before mpv sees it: stop what played, nothing new starts.
            if (m_active)
                command({"stop"});
            m_active = false;
            m_loaded = false;
            m_entryId = -1;
            m_source = pathOrUrl;
            m_resolvedTarget.clear(); // play() must not fall back to the previous medium
            m_errorText = target.isEmpty()
                ? QStringLiteral("Kein Medium angegeben.")
                : QStringLiteral("Die Datei wurde nicht gefunden: ") + target;
            setState(PlayState::Stopped);
            return false;
        }
        // An absolute path is never mistaken for a protocol or an option.
        target = info.absoluteFilePath();
    }
    m_source = pathOrUrl;
    if (!ensureCore()) {
        setState(PlayState::Stopped);
        return false;
    }
    m_resolvedTarget = target;
    return startLoad(0.0);
}

bool MpvEngine::startLoad(double startAt)
{
    m_endPending = false;
    m_active = true;
    m_loaded = false;
    m_entryId = -1;
    m_seekInFlight = false;
    m_position = startAt;
    m_duration = -1.0;
    setVideoSize({});
    m_lastLog.clear();
    m_log.clear();
    if (startAt > 0)
        m_pendingSeek = startAt;
    setPauseAsync(m_pauseWanted);
    m_loadTag = kLoadTagBase + (++m_loadCounter);
    command({"loadfile", m_resolvedTarget.toUtf8(), "replace"}, m_loadTag);
    setState(PlayState::Transitioning);
    return true;
}

void MpvEngine::play()
{
    if (m_active) {
        m_pauseWanted = false;
        setPauseAsync(false);
        if (m_loaded)
            setState(PlayState::Playing);
        return;
    }
    if (m_resolvedTarget.isEmpty() || !ensureCore())
        return;
    // Stopped or ended: start the same medium again (from a position set meanwhile).
    m_pauseWanted = false;
    const double from = m_pendingSeek > 0 ? m_pendingSeek : 0.0;
    startLoad(from);
}

void MpvEngine::pause()
{
    if (!m_active)
        return;
    m_pauseWanted = true;
    setPauseAsync(true);
    if (m_loaded)
        setState(PlayState::Paused);
}

void MpvEngine::stop()
{
    m_endPending = false;
    if (m_active)
        command({"stop"});
    m_active = false;
    m_loaded = false;
    m_entryId = -1;
    m_position = 0.0;
    m_pendingSeek = -1.0;
    setVideoSize({});
    if (m_state != PlayState::Undefined)
        setState(PlayState::Stopped);
}

void MpvEngine::close()
{
    stop();
    m_source.clear();
    m_resolvedTarget.clear();
    m_duration = -1.0;
}

void MpvEngine::shutdown()
{
    close();
    // Returns once mpv's threads have ended, its video output with them.
    destroyCore();
}

bool MpvEngine::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_boundHandle && event->type() == QEvent::PlatformSurface
        && static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType()
               == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed) {
        // The window goes (often while its widgets are being destroyed): mpv lets go of it
        // first. No signal is sent from here; whoever reparents the surface reopens the medium.
        const bool wasActive = m_active;
        destroyCore();
        if (wasActive && m_state != PlayState::Undefined) {
            m_state = PlayState::Stopped;
            // Told once the window's change is over, unless the medium was opened again by
            // then (a surface that only moved); gone with this engine when the window went.
            QMetaObject::invokeMethod(this, [this] {
                if (m_state == PlayState::Stopped && !m_active)
                    Q_EMIT stateChanged(PlayState::Stopped);
            }, Qt::QueuedConnection);
        }
    }
    return MediaEngine::eventFilter(watched, event);
}

double MpvEngine::position() const
{
    if (m_pendingSeek >= 0)
        return m_pendingSeek;
    return m_position;
}

void MpvEngine::setPosition(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    if (m_loaded) {
        m_position = seconds;
        m_seekInFlight = true;
        command({"seek", QByteArray::number(seconds, 'f', 3), "absolute"}, kSeekTag);
    } else {
        // Not loaded yet (or stopped): applied once the medium is there.
        m_pendingSeek = seconds;
    }
}

double MpvEngine::duration() const
{
    return m_loaded ? m_duration : -1.0;
}

void MpvEngine::setVolume(int percent)
{
    m_volume = qBound(0, percent, 100);
    if (m_mpv) {
        double v = m_volume;
        mpv_set_property_async(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &v);
    }
}

void MpvEngine::setMuted(bool muted)
{
    m_muted = muted;
    if (m_mpv) {
        int flag = muted ? 1 : 0;
        mpv_set_property_async(m_mpv, 0, "mute", MPV_FORMAT_FLAG, &flag);
    }
}

void MpvEngine::setVideoWidget(QWidget* widget)
{
    if (m_videoWidget == widget)
        return;
    m_videoWidget = widget;
    // The window id is bound when the core starts; a new surface needs a new core, which
    // is made at the next open() so that nothing playing is cut off here.
    if (m_mpv && !m_active)
        destroyCore();
    else if (m_mpv)
        m_rebuildCore = true;
}

QList<QPair<QString, QString>> MpvEngine::streamInfo() const
{
    QList<QPair<QString, QString>> info;
    if (!m_mpv || !m_loaded)
        return info;
    // Read straight from the core; these are cheap lookups of what the demuxer found.
    const struct { const char* name; const char* property; } felder[] = {
        {"FileFormat", "file-format"},
        {"AudioCodec", "audio-codec-name"},
        {"SampleRate", "audio-params/samplerate"},
        {"Channels", "audio-params/channel-count"},
        {"VideoCodec", "video-codec"},
        {"Width", "width"},
        {"Height", "height"},
    };
    for (const auto& f : felder) {
        char* wert = mpv_get_property_string(m_mpv, f.property);
        if (!wert)
            continue;
        const QString text = QString::fromUtf8(wert).trimmed();
        mpv_free(wert);
        if (!text.isEmpty())
            info.append({QString::fromLatin1(f.name), text});
    }
    return info;
}

void MpvEngine::setStretchToFit(bool stretch)
{
    m_stretch = stretch;
    if (m_mpv)
        command({"set", "video-unscaled", stretch ? "no" : "downscale-big"});
}

void MpvEngine::drainEvents()
{
    m_drainQueued = false;
    while (m_mpv) {
        mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (!event || event->event_id == MPV_EVENT_NONE)
            break;
        if (event->event_id == MPV_EVENT_SHUTDOWN) {
            // The core went away (its own video window was closed): start anew next time.
            destroyCore();
            setState(PlayState::Stopped);
            break;
        }
        handleEvent(*event);
    }
    if (m_endPending) {
        m_endPending = false;
        applyEnd(m_endedReason, m_endedError);
    }
}

void MpvEngine::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY: {
        if (event.reply_userdata == kSeekTag) {
            m_seekInFlight = false;
            break;
        }
        if (event.reply_userdata != m_loadTag || m_loadTag == 0)
            break;
        if (event.error < 0) {
            m_errorText = mpvFehlertext(event.error);
            applyEnd(MPV_END_FILE_REASON_ERROR, event.error);
            break;
        }
        const auto* node = static_cast<const mpv_event_command*>(event.data);
        if (node && node->result.format == MPV_FORMAT_NODE_MAP) {
            const mpv_node_list* list = node->result.u.list;
            for (int i = 0; i < list->num; ++i) {
                if (qstrcmp(list->keys[i], "playlist_entry_id") == 0
                    && list->values[i].format == MPV_FORMAT_INT64)
                    m_entryId = list->values[i].u.int64;
            }
        }
        // Replies normally come before the medium's own events; if not, catch up.
        if (m_entryId >= 0 && m_endedId == m_entryId)
            applyEnd(m_endedReason, m_endedError);
        else if (m_entryId >= 0 && m_loadedId == m_entryId)
            applyLoaded();
        break;
    }
    case MPV_EVENT_START_FILE: {
        const auto* started = static_cast<const mpv_event_start_file*>(event.data);
        m_lastStartedId = started->playlist_entry_id;
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        // Belongs to the entry that started last; only the one open() asked for counts.
        m_loadedId = m_lastStartedId;
        if (m_entryId >= 0 && m_loadedId == m_entryId)
            applyLoaded();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        m_endedId = end->playlist_entry_id;
        m_endedReason = end->reason;
        m_endedError = end->error;
        // Applied once the queue is empty: what mpv logged about the failure may come after.
        if (m_entryId >= 0 && end->playlist_entry_id == m_entryId)
            m_endPending = true;
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* prop = static_cast<const mpv_event_property*>(event.data);
        if (qstrcmp(prop->name, "dwidth") == 0 || qstrcmp(prop->name, "dheight") == 0) {
            const bool known = m_active && prop->format == MPV_FORMAT_INT64 && prop->data;
            const int value = known ? int(*static_cast<const int64_t*>(prop->data)) : 0;
            QSize size = m_rawVideoSize;
            if (prop->name[1] == 'w')
                size.setWidth(value);
            else
                size.setHeight(value);
            setVideoSize(size);
            break;
        }
        if (!m_active || prop->format != MPV_FORMAT_DOUBLE || !prop->data)
            break;
        const double value = *static_cast<const double*>(prop->data);
        if (qstrcmp(prop->name, "time-pos") == 0) {
            if (m_loaded && !m_seekInFlight)
                m_position = value;
        } else if (qstrcmp(prop->name, "duration") == 0 && value != m_duration) {
            m_duration = value;
            if (m_loaded)
                Q_EMIT durationChanged(value);
        }
        break;
    }
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* msg = static_cast<const mpv_event_log_message*>(event.data);
        const QString line = QString::fromUtf8(msg->prefix) + QStringLiteral(": ")
                           + QString::fromUtf8(msg->text).trimmed().left(500);
        if (m_log.size() < 16)
            m_log.append(line);
        if (msg->log_level <= MPV_LOG_LEVEL_ERROR)
            m_lastLog = QString::fromUtf8(msg->text).trimmed().left(500);
        break;
    }
    default:
        break;
    }
}

void MpvEngine::setVideoSize(QSize size)
{
    const QSize before = videoSize();
    m_rawVideoSize = size;
    if (videoSize() != before)
        Q_EMIT videoSizeChanged(videoSize());
}

void MpvEngine::applyLoaded()
{
    if (!m_active || m_loaded)
        return;
    m_loaded = true;
    // The length arrived through the observed "duration" (never a blocking read here).
    if (m_pendingSeek > 0) {
        m_position = m_pendingSeek;
        m_seekInFlight = true;
        command({"seek", QByteArray::number(m_pendingSeek, 'f', 3), "absolute"}, kSeekTag);
    }
    m_pendingSeek = -1.0;
    Q_EMIT loaded();
    if (m_duration >= 0)
        Q_EMIT durationChanged(m_duration);
    setState(m_pauseWanted ? PlayState::Paused : PlayState::Playing);
}

void MpvEngine::applyEnd(int reason, int error)
{
    if (!m_active)
        return;
    m_active = false;
    m_loaded = false;
    m_entryId = -1;
    m_position = 0.0;
    setVideoSize({});
    if (reason == MPV_END_FILE_REASON_EOF) {
        setState(PlayState::MediaEnded);
        setState(PlayState::Stopped);
        Q_EMIT endOfFile(EndReason::Finished);
    } else if (reason == MPV_END_FILE_REASON_ERROR) {
        if (m_errorText.isEmpty())
            m_errorText = mpvFehlertext(error, m_lastLog);
        setState(PlayState::Stopped);
        Q_EMIT errorOccurred(m_errorText);
        Q_EMIT endOfFile(EndReason::Error);
    } else {
        // Stopped from elsewhere (not by this engine's stop()): just stopped.
        setState(PlayState::Stopped);
    }
}

} // namespace klang::media
