#pragma once

// A media engine without sound or time for tests of the player's rules: it records the
// commands it receives, and the test decides when a medium loads, ends or fails.

#include "platform/media/MediaEngine.h"

#include <QSet>
#include <QStringList>

namespace klang::test {

// No Q_OBJECT on purpose: the fake adds no signals, and without its own meta object it
// links only into the tests that use it.
class FakeMediaEngine : public klang::media::MediaEngine
{
public:
    explicit FakeMediaEngine(QObject* parent = nullptr);

    bool open(const QString& pathOrUrl, bool startPaused = false) override;
    void play() override;
    void pause() override;
    void stop() override;
    void close() override;
    double position() const override { return m_position; }
    void setPosition(double seconds) override;
    double duration() const override { return m_loaded ? m_duration : -1.0; }
    klang::media::PlayState state() const override { return m_state; }
    QString source() const override { return m_source; }
    QString errorText() const override { return m_errorText; }
    int volume() const override { return m_volume; }
    void setVolume(int percent) override { m_volume = qBound(0, percent, 100); }
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override { m_muted = muted; }
    void setVideoWidget(QWidget* widget) override { m_videoWidget = widget; }
    void setStretchToFit(bool stretch) override { m_stretch = stretch; }

    // --- what the test controls ---
    // Names (exact text given to open()) that open() refuses as missing.
    void refuse(const QString& name) { m_refused.insert(name); }
    // When on, open() leaves the medium loading until completeLoad() (default: loads at once).
    void setDeferLoad(bool defer) { m_deferLoad = defer; }
    // Length that the next loads report (default 1 s; -1 for unknown).
    void setMediaDuration(double seconds) { m_duration = seconds; }
    void completeLoad();
    // The medium plays to its end: MediaEnded, then Stopped, then endOfFile(Finished).
    void finish();
    // The medium fails while loading or playing: Stopped, errorOccurred, endOfFile(Error).
    void fail(const QString& text = QStringLiteral("unplayable"));
    // Moves the position on as if time had passed while playing.
    void advance(double seconds);

    // Every command received, in order: "open <name>", "play", "pause", "stop", "close",
    // "seek <seconds>".
    QStringList commands() const { return m_commands; }
    void clearCommands() { m_commands.clear(); }
    QWidget* videoWidget() const { return m_videoWidget; }
    bool stretchToFit() const { return m_stretch; }

private:
    void setState(klang::media::PlayState state);

    klang::media::PlayState m_state = klang::media::PlayState::Undefined;
    QString m_source;
    QString m_errorText;
    QStringList m_commands;
    QSet<QString> m_refused;
    QWidget* m_videoWidget = nullptr;
    double m_position = 0.0;
    double m_duration = 1.0;
    int m_volume = 100;
    bool m_muted = false;
    bool m_stretch = false;
    bool m_deferLoad = false;
    bool m_loaded = false;
    bool m_startPaused = false;
};

} // namespace klang::test
