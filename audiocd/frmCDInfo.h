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
    // Shows why a save did not happen (empty: nothing to say).
    void melden(const QString& text);

    frmMain& m_main;
    QLineEdit* txtMediaID = nullptr;
    QLineEdit* txtInDiskoloINI = nullptr;
    QLineEdit* txtArtist = nullptr;
    QLineEdit* txtTitle = nullptr;
    QTreeWidget* lvTracks = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblStatus = nullptr;
    // The disc the window was filled for: its names are never saved over another disc's.
    QString m_identity;
    // Texts the user was told cannot be stored as typed; a second Save with them stores "?".
    QStringList m_warnedUnstorable;
};

} // namespace diskolo
