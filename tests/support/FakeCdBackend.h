#pragma once

// A CD device without a drive for tests of the player's rules: the test scripts the disc
// (track lengths), moves time on by hand and reads the log of the commands the player sent.

#include "platform/cdaudio/CdBackend.h"

namespace klang::test {

class FakeCdBackend : public klang::cdaudio::CdBackend
{
public:
    // --- what the test controls ---
    // A disc with tracks of these lengths (ms, rounded to sectors); an empty list: no disc.
    void insertDisc(const QList<qint32>& trackMs);
    void removeDisc() { insertDisc({}); }
    // Drives the system reports; only these (and "") can be opened.
    void setDrives(const QStringList& drives) { m_drives = drives; }
    // Every call fails (a drive that has gone away).
    void setFailing(bool failing) { m_failing = failing; }
    void setTrayWorks(bool works) { m_trayWorks = works; }
    // Time passes: while playing the position moves on; at the end of the disc it stops there.
    void advance(qint32 ms);
    void setPositionMs(qint32 ms) { m_position = ms; }
    // Commands received since the last call ("open e:", "play from 2000", "stop", ...).
    QStringList takeLog();
    QString openDevice() const { return m_open ? m_device : QString(); }

    // --- the device ---
    QStringList drives() override { return m_drives; }
    bool isCdDrive(const QString& drive) override { return m_drives.contains(drive); }
    bool open(const QString& device) override;
    void close() override;
    bool toc(klang::cdaudio::CdToc& out) override;
    bool position(qint32& msOnDisc) override;
    bool mode(Mode& out) override;
    bool play() override;
    bool playFrom(qint32 msOnDisc) override;
    bool pause() override;
    bool stop() override;
    bool openTray() override;
    bool closeTray() override;
    bool discArrived() override;
    klang::cdaudio::CdError error() const override { return m_error; }

private:
    bool result(klang::cdaudio::CdError error);
    bool ready(const QString& command = QString());
    qint32 endMs() const;

    QStringList m_drives;
    QStringList m_log;
    klang::cdaudio::CdToc m_disc;
    QString m_device;
    bool m_open = false;
    bool m_failing = false;
    bool m_trayWorks = true;
    bool m_discSeen = false;
    Mode m_mode = Mode::NotReady;
    qint32 m_position = 0;
    klang::cdaudio::CdError m_error = klang::cdaudio::CdError::None;
};

} // namespace klang::test
