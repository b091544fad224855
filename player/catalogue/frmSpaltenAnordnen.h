#pragma once

// The column dialog: which text fields the catalogue table shows and in which order.

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace klang::player {

class frmSpaltenAnordnen : public QDialog
{
    Q_OBJECT
public:
    // nichtSortieren: the flag TabelleNichtSortieren as the dialog opens; the box mirrors it.
    explicit frmSpaltenAnordnen(bool nichtSortieren, QWidget* parent = nullptr);

    // The flag as the user left it (OK or Standard); on cancel the value from opening.
    bool tabelleNichtSortieren() const;
    bool gespeichert() const { return m_gespeichert; }

    QListWidget* lstSpalten = nullptr;
    QListWidget* lstTabelle = nullptr;
    QPushButton* cmdEinfuegen = nullptr;
    QPushButton* cmdEntfernen = nullptr;
    QPushButton* cmdHoch = nullptr;
    QPushButton* cmdRunter = nullptr;
    QCheckBox* chkNotSort = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdStandard = nullptr;
    QPushButton* cmdDefault = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdHilfe = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void cmdEinfuegen_Click();
    void cmdEntfernen_Click();
    void cmdHochTief_Click(int index);
    void cmdDefault_Click();
    void cmdStandard_Click();
    void cmdOK_Click();
    void listenFuellen(const QStringList& sichtbar, const QStringList& versteckt);
    static QStringList eintraege(const QListWidget* liste);

    bool m_nichtSortierenBeimOeffnen = false;
    bool m_gespeichert = false;
};

} // namespace klang::player
