#pragma once

// The window of Diskolo: a black display with the disc's and the track's names, the position,
// the play state and the track grid; the position slider, the transport buttons, the drive and
// track choosers and the menus of the modes. It shows what the player's events say and never
// talks to the drive itself.

#include "audiocd/ctlDiskoloX.h"

#include <QHash>
#include <QIcon>
#include <QMainWindow>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace diskolo {

class TrackKalender;

class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMain(std::unique_ptr<klang::cdaudio::CdBackend> backend, QWidget* parent = nullptr);
    ~frmMain() override;

    ctlDiskoloX& player() { return *ctlDiskoloX1; }
    // Pictures with the keys "cd", "track", "playing", "paused", "stopped".
    const QHash<QString, QIcon>& ImageList1() const { return m_images; }
    // The key of the play-state picture shown now.
    QString playStatusKey() const { return m_playStatusKey; }

    // A later start of the program handed over its command line (paths already absolute):
    // the disc it names is opened here, and the window comes to the front.
    void spaeterGestartet(const QStringList& args);

    void Form_Load();
    void ctlDiskoloX1_CDChanged();
    void ctlDiskoloX1_TrackChanged();
    void ctlDiskoloX1_PosChanged();
    void cmdPlay_Click();
    void cmdPause_Click();
    void cmdStop_Click();
    void cmdBackward_Click();
    void cmdForward_Click();
    void cmdEject_Click();
    void cmbDrives_Click();
    void cmbTracks_Click();
    void Slider1_Change();
    void mnuProgramItem_Click(int Index);
    void mnuRepeatItem_Click(int Index);
    void mnuCDEdit_Click();
    void mnuCDExit_Click();
    void timPlayStatus_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void DrawCalendar();
    void FillTrackList();

    std::unique_ptr<ctlDiskoloX> ctlDiskoloX1;
    QHash<QString, QIcon> m_images;
    QWidget* picDisplay = nullptr;
    QLabel* lblCDTitle = nullptr;
    QLabel* imgPlayStatus = nullptr;
    QLabel* lblTrackPos = nullptr;
    QLabel* lblTrackName = nullptr;
    QLabel* lblTrackLength = nullptr;
    QLabel* lblCDExtraInfo = nullptr;
    TrackKalender* picCalendar = nullptr;
    QSlider* Slider1 = nullptr;
    QToolButton* cmdPlay = nullptr;
    QToolButton* cmdPause = nullptr;
    QToolButton* cmdStop = nullptr;
    QToolButton* cmdBackward = nullptr;
    QToolButton* cmdForward = nullptr;
    QToolButton* cmdEject = nullptr;
    QComboBox* cmbDrives = nullptr;
    QComboBox* cmbTracks = nullptr;
    QList<QAction*> mnuProgramItem;
    QList<QAction*> mnuRepeatItem;
    QTimer* timPlayStatus = nullptr;
    bool m_updating = false;          // the window itself sets the slider or the track chooser
    QString m_lastPlayStatus;
    bool m_lastPlayStatusShown = false;
    QString m_playStatusKey;
    bool m_unloading = false;
};

} // namespace diskolo
