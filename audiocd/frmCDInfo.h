#pragma once

// The disc information editor "Diskolo.INI": artist, title and the track names of the disc in
// the drive, stored in diskolo.ini through the player.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace diskolo {

class frmMain;

class frmCDInfo : public QDialog
{
    Q_OBJECT
public:
    explicit frmCDInfo(frmMain& main);

    void Form_Load();
    void cmdSave_Click();
    void cmdCancel_Click();
    void lvTracks_AfterLabelEdit();
    // Fits every column to its contents and its header.
    bool AutoSizeColumns(QTreeWidget* list, int mode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmMain& m_main;
    QLineEdit* txtMediaID = nullptr;
    QLineEdit* txtInDiskoloINI = nullptr;
    QLineEdit* txtArtist = nullptr;
    QLineEdit* txtTitle = nullptr;
    QTreeWidget* lvTracks = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblStatus = nullptr;
};

} // namespace diskolo
