#pragma once

// The real CD device: libcdio finds the drives, reads the table of contents (also from a
// .cue/.bin image), moves the tray and notices a new disc; the sound comes digitally through
// a media engine playing "cdda://<device>", because few drives still have their analogue
// output wired. The whole disc is one medium for the engine: a position on the disc is a
// position in that medium, so track changes are seeks and never reload the disc.

#include "platform/cdaudio/CdBackend.h"
#include "platform/media/MediaEngine.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QObject>

#include <memory>

typedef struct _CdIo CdIo_t;

namespace klang::cdaudio {

class CdioBackend : public QObject, public CdBackend
{
    Q_OBJECT
public:
    // Without an engine a libmpv engine is made.
    explicit CdioBackend(std::unique_ptr<media::MediaEngine> engine = {}, QObject* parent = nullptr);
    ~CdioBackend() override;

    // The device that "" stands for: an image or drive given on the command line or in
    // KLANGTRUHE_CD_DEVICE. Empty: the system's default CD drive.
    void setDefaultDevice(const QString& device) { m_defaultDevice = device; }
    QString defaultDevice() const;
    // The device open now (a path), empty when none.
    QString currentDevice() const { return m_device; }
    media::MediaEngine* engine() const { return m_engine.get(); }

    QStringList drives() override;
    bool isCdDrive(const QString& drive) override;
    bool open(const QString& device) override;
    void close() override;
    bool toc(CdToc& out) override;
    bool position(qint32& msOnDisc) override;
    bool mode(Mode& out) override;
    bool play() override;
    bool playFrom(qint32 msOnDisc) override;
    bool pause() override;
    bool stop() override;
    bool openTray() override;
    bool closeTray() override;
    bool discArrived() override;
    CdError error() const override { return m_error; }
    QString errorDetail() const override { return m_error == CdError::None ? QString() : m_detail; }

private:
    bool fail(CdError error);
    bool ok();
    void readToc();
    bool refreshIfChanged();
    bool engineHoldsDisc() const;
    bool startEngine(qint32 msOnDisc);
    qint32 firstMs() const;
    qint32 endMs() const;

    std::unique_ptr<media::MediaEngine> m_engine;
    CdIo_t* m_cdio = nullptr;
    QString m_defaultDevice;
    QString m_requested; // what open() was given ("" = the default device)
    QString m_device;    // the path open now
    bool m_isImage = false;
    CdToc m_toc;
    qint32 m_stoppedAt = 0;  // position while the engine holds nothing
    bool m_ended = false;    // played to the end of the disc
    CdError m_error = CdError::None;
    QString m_detail; // why the last open failed, when libcdio said
    QElapsedTimer m_changeCheck; // last time the drive was asked for a new disc
    QFuture<bool> m_probe;       // the background look for a disc in an empty drive
};

} // namespace klang::cdaudio
