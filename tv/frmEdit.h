#pragma once

// The station editor: changes the station selected in the main window, or (after "&Neu")
// adds a new one, and keeps the group names offered in its combo box.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tv {

class frmFernsicht;

class frmEdit : public QDialog
{
    Q_OBJECT
public:
    explicit frmEdit(frmFernsicht* fenster);

    void Form_Load();
    void GruppenlisteLaden();

    void cboGruppe_KeyUp(int taste);
    void cmdNeu_Click();
    void cmdOK_Click();
    void cmdExit_Click();
    void imgHilfe_MouseDown();
    void imgHilfe_MouseUp();

    // 0: OK changes the selected station; -1: OK adds a new station.
    int Neueintrag() const { return m_neueintrag; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmFernsicht* m_fenster;
    QComboBox* cboGruppe = nullptr;
    QLineEdit* txtSenderName = nullptr;
    QLineEdit* txtURL = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdNeu = nullptr;
    QPushButton* cmdExit = nullptr;
    QLabel* imgHilfe = nullptr;
    int m_neueintrag = 0;
};

} // namespace tv
