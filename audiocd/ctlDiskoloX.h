#pragma once

// The CD player without widgets: transport, positions in milliseconds, the repeat and program
// modes with their two watch timers, and the disc names of diskolo.ini. It reaches the drive
// only through a CdBackend, so the rules run against a fake in the tests. No member throws or
// shows a message: failures give false, 0 or "" and GetErrorString() says why.

#include "audiocd/DiskoloIni.h"
#include "platform/cdaudio/CdBackend.h"

#include <QObject>
#include <QRandomGenerator>
#include <QTimer>

#include <memory>

namespace diskolo {

class ctlDiskoloX : public QObject
{
    Q_OBJECT
public:
    explicit ctlDiskoloX(std::unique_ptr<klang::cdaudio::CdBackend> backend, QObject* parent = nullptr);
    ~ctlDiskoloX() override;

    klang::cdaudio::CdBackend& backend() const { return *m_backend; }

    void StartTimers();
    QString GetErrorString() const;
    static QString FormatTime(qint32 lTime);
    static qint32 GetTimePart(qint32 lTime, qint32 Part);

    QString Drive() const { return m_drive; }
    void setDrive(const QString& vNewValue);
    bool OpenDoor();
    bool CloseDoor();

    qint16 CurrentTrack();
    void setCurrentTrack(qint16 Position);
    qint32 TrackPos();
    void setTrackPos(qint32 Position);
    qint32 TrackPosOnCD(qint16 Track);
    qint32 TrackLength(qint16 iIndex);
    qint16 TrackCount();
    qint32 CDLength();
    qint32 CDPosition();
    void setCDPosition(qint32 vNewValue);

    void PlayCD();
    bool PauseCD();
    bool StopCD();
    void NextTrack();
    void PreviousTrack();

    bool iniFound() const { return m_names.found; }
    // A line of the disc's stored names was too long to read: a save would lose it and is refused.
    bool iniIncomplete() const { return m_names.incomplete; }
    // How diskolo.ini stores its text (which letters it can take).
    FileEncoding iniEncoding() const { return m_names.encoding; }
    QString iniIdentity();
    QString iniCDArtist() const { return m_names.artist; }
    void setIniCDArtist(const QString& vNewValue) { m_names.artist = vNewValue; }
    QString iniCDTitle() const { return m_names.title; }
    void setIniCDTitle(const QString& vNewValue) { m_names.title = vNewValue; }
    QString iniTrackName(qint16 Index) const;
    void setIniTrackName(qint16 Index, const QString& vNewValue);
    void LoadFromDiskoloIni();
    bool SaveToDiskoloIni();
    // Why the last SaveToDiskoloIni failed, in German.
    QString saveErrorText() const { return m_saveError; }
    // Why the last opening of the device found no disc (an image that cannot be read names
    // the line), empty when it opened.
    QString openErrorText() const { return m_openError; }

    bool IsCDDrive(const QString& sDrive);

    qint32 Repeat() const { return m_repeat; }
    void setRepeat(qint32 vNewValue);
    qint32 ProgramMode() const { return m_program; }
    void setProgramMode(qint32 vNewValue);

    QString Status();
    QString Alias() const { return m_alias; }

    // The file of the disc names: diskolo.ini in the program folder.
    static QString GetIniPath();

    // For tests: the timers, the played list of random mode and a fixed random sequence.
    QTimer& timStatus() { return m_timStatus; }
    QTimer& timProgramWatcher() { return m_timProgramWatcher; }
    QTimer& discWatch() { return m_discWatch; }
    QString playedList() const { return m_played; }
    void seedRandom(quint32 seed) { m_random.seed(seed); }

public Q_SLOTS:
    void timStatus_Timer();
    void timProgramWatcher_Timer();
    void discWatch_Timer();

Q_SIGNALS:
    void CDChanged();
    void PosChanged();
    void TrackChanged();

private:
    void OpenCD();
    void CloseCD();
    bool PlayFrom(qint32 ms);
    void InitTrackNames();
    void PlayRandomTrack();
    bool note(bool ok);
    bool readToc(klang::cdaudio::CdToc& toc);

    std::unique_ptr<klang::cdaudio::CdBackend> m_backend;
    QString m_alias;
    QString m_drive;
    DiscNames m_names;
    QString m_dbIdentity;
    QString m_lastIdentity;
    qint16 m_lastTrack = 0;
    qint32 m_lastPosition = 0;
    qint32 m_program = 0;
    qint32 m_repeat = 0;
    qint16 m_repeatTrack = 0;
    QString m_played;
    int m_lastError = 0;
    QString m_saveError;
    QString m_openError;
    QRandomGenerator m_random;
    QTimer m_timStatus;
    QTimer m_timProgramWatcher;
    // Runs while the drive holds no disc and opens the disc that comes.
    QTimer m_discWatch;
};

} // namespace diskolo
