#pragma once

// The tip of the day: one tip at a time from "TipOfDay.ini" in the program folder.

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;

namespace klang::player {

inline const QString TipDatei = QStringLiteral("TipOfDay.ini");

class Tipbox : public QDialog
{
    Q_OBJECT
public:
    explicit Tipbox(QWidget* parent = nullptr);

    // Loading: false when the window closes itself at once (tips switched off and not
    // opened from the menu). The tips and the current index live as long as the object.
    bool Form_Load(bool tipsVomMenue, const QString& programmPfad);
    bool LoadTips(const QString& sFile);
    void ShowNextTip();
    void DisplaypriCurrentTip();
    int aktuellerTipp() const { return m_index; }

    QLabel* Label1 = nullptr;
    QLabel* lblTipText = nullptr;
    QLabel* Picture1 = nullptr;
    QCheckBox* chkLoadTipsAtStartup = nullptr;
    QPushButton* cmdNextTip = nullptr;
    QPushButton* cmdOK = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList m_tips;
    int m_index = 0;
};

} // namespace klang::player
