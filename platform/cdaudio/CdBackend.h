#pragma once

// One interface for a CD audio device, whatever plays the sound. The real device is
// CdioBackend (libcdio for drives, table of contents and tray, libmpv for the sound); tests
// of the player's rules use a fake with a scripted disc and a clock of their own.
//
// No call throws or blocks on the medium: a failing call returns false and error() tells why.
// Positions are milliseconds on the disc, counted from sector 0.

#include <QList>
#include <QString>
#include <QStringList>

namespace klang::cdaudio {

// Sectors per second of an audio CD.
constexpr int FramesPerSecond = 75;

// Sector <-> millisecond, rounded to the nearest whole number.
constexpr qint32 framesToMs(qint32 frames)
{
    return qint32((qint64(frames) * 1000 * 2 + FramesPerSecond) / (FramesPerSecond * 2));
}
constexpr qint32 msToFrames(qint32 ms) { return qint32(qint64(ms) * FramesPerSecond / 1000); }

// The table of contents: the first sector of every track in disc order and the lead-out.
struct CdToc
{
    int firstTrack = 1;      // number of the first track as the disc counts (nearly always 1)
    QList<qint32> starts;    // first sector of each track
    qint32 leadout = 0;      // first sector after the last track

    int trackCount() const { return int(starts.size()); }
    bool isEmpty() const { return starts.isEmpty(); }
    bool operator==(const CdToc&) const = default;
};

// Why the last call failed.
enum class CdError : int {
    None = 0,
    NoDevice,      // no such drive or image, or it cannot be opened
    NotOpen,       // no device is open
    NoDisc,        // the drive holds no audio disc
    OutOfRange,    // a position beyond the disc
    NotSupported,  // an image has no tray
    TrayFailed,    // the drive refused to open or close its tray
    PlaybackFailed // the sound could not be started
};

// A text for the user, German like the rest of the interface.
QString cdErrorText(CdError error);

class CdBackend
{
public:
    enum class Mode { NotReady, Open, Stopped, Playing, Paused };

    virtual ~CdBackend() = default;

    // The CD drives of the system (device paths); images are not listed.
    virtual QStringList drives() = 0;
    virtual bool isCdDrive(const QString& drive) = 0;

    // Opens a drive or a .cue/.toc image; "" is the default device. Reads the table of
    // contents. Opening a drive without a disc succeeds (the disc queries then fail).
    virtual bool open(const QString& device) = 0;
    virtual void close() = 0;

    virtual bool toc(CdToc& out) = 0;
    virtual bool position(qint32& msOnDisc) = 0;
    virtual bool mode(Mode& out) = 0;

    // Continues a pause, or plays from the current position.
    virtual bool play() = 0;
    virtual bool playFrom(qint32 msOnDisc) = 0;
    virtual bool pause() = 0;
    virtual bool stop() = 0;

    virtual bool openTray() = 0;
    virtual bool closeTray() = 0;

    // Cheap look whether a disc has come while none was there; never waits for the drive (a
    // disc may be reported a call later). Reads the table of contents anew when so.
    virtual bool discArrived() = 0;

    virtual CdError error() const = 0;
    // More about the last failure where the device knows it (the line of an image that could
    // not be read), in German; empty otherwise.
    virtual QString errorDetail() const { return QString(); }
};

// The freedb-style identity of a disc: digit sums of the track starts in seconds (counted with
// the two seconds before sector 0), the playing time and the number of tracks. The same disc
// gives the same number in any drive and in its image. 0 for an empty table.
quint32 discId(const CdToc& toc);

} // namespace klang::cdaudio
