#include "platform/media/TrackLength.h"

#include "platform/media/MpvEngine.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <mpv/client.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>

namespace klang::media {

double tagLibLengthSeconds(const QString& filePath)
{
    const QFileInfo info(filePath);
    if (!info.isFile())
        return -1.0;
    const QByteArray name = QFile::encodeName(info.absoluteFilePath());
    TagLib::FileRef ref(name.constData(), true, TagLib::AudioProperties::Accurate);
    if (ref.isNull() || !ref.audioProperties())
        return -1.0;
    return ref.audioProperties()->lengthInMilliseconds() / 1000.0;
}

ProbeResult probeMedia(const QString& filePath, int timeoutMs)
{
    ProbeResult result;
    const QFileInfo info(filePath);
    if (!info.isFile()) {
        result.errorText = QStringLiteral("Die Datei wurde nicht gefunden: ") + filePath;
        return result;
    }
    mpv_handle* mpv = mpv_create();
    if (!mpv) {
        result.errorText = QStringLiteral("Die Wiedergabe-Bibliothek libmpv ließ sich nicht starten.");
        return result;
    }
    const char* options[][2] = {
        {"vo", "null"},        {"ao", "null"},          {"pause", "yes"},
        {"idle", "yes"},       {"config", "no"},        {"load-scripts", "no"},
        {"ytdl", "no"},        {"terminal", "no"},      {"audio-display", "no"},
        {"osc", "no"},         {"input-default-bindings", "no"},
    };
    for (const auto& o : options)
        mpv_set_option_string(mpv, o[0], o[1]);
    if (mpv_initialize(mpv) < 0) {
        mpv_terminate_destroy(mpv);
        result.errorText = QStringLiteral("Die Wiedergabe-Bibliothek libmpv ließ sich nicht starten.");
        return result;
    }
    mpv_request_log_messages(mpv, "error");

    const QByteArray path = info.absoluteFilePath().toUtf8();
    const char* cmd[] = {"loadfile", path.constData(), "replace", nullptr};
    QString lastLog;
    if (mpv_command(mpv, cmd) < 0) {
        result.errorText = QStringLiteral("Die Datei kann nicht wiedergegeben werden.");
    } else {
        // A private core, so waiting on its own queue touches nothing of the GUI.
        QDeadlineTimer deadline(timeoutMs);
        bool done = false;
        while (!done) {
            const qint64 left = deadline.remainingTime();
            if (left <= 0) {
                result.errorText = QStringLiteral("Die Datei ließ sich nicht rechtzeitig öffnen.");
                break;
            }
            mpv_event* ev = mpv_wait_event(mpv, left / 1000.0);
            switch (ev->event_id) {
            case MPV_EVENT_FILE_LOADED: {
                result.playable = true;
                double d = -1.0;
                if (mpv_get_property(mpv, "duration", MPV_FORMAT_DOUBLE, &d) >= 0 && d > 0)
                    result.seconds = d;
                done = true;
                break;
            }
            case MPV_EVENT_END_FILE: {
                const auto* end = static_cast<const mpv_event_end_file*>(ev->data);
                result.errorText = mpvFehlertext(end->error, lastLog);
                done = true;
                break;
            }
            case MPV_EVENT_LOG_MESSAGE:
                lastLog = QString::fromUtf8(static_cast<const mpv_event_log_message*>(ev->data)->text)
                              .trimmed();
                break;
            case MPV_EVENT_SHUTDOWN:
                done = true;
                break;
            default:
                break;
            }
        }
    }
    mpv_terminate_destroy(mpv);
    return result;
}

double trackLengthSeconds(const QString& filePath)
{
    const double fromTags = tagLibLengthSeconds(filePath);
    if (fromTags > 0)
        return fromTags;
    const ProbeResult probe = probeMedia(filePath);
    if (probe.playable && probe.seconds > 0)
        return probe.seconds;
    // TagLib also reports 0 for damaged files it half recognises: not a measurement.
    return -1.0;
}

} // namespace klang::media
