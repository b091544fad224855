#pragma once

// The tip of the day: one tip at a time from "TipOfDay.ini" in the program folder.

#include <QDialog>
#include <QStringList>

#include <memory>

class QFile;

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
    ~Tipbox() override;

    // Loading: false when the window closes itself at once (tips switched off and not
    // opened from the menu). The tips and the current index live as long as the object.
    bool Form_Load(bool tipsVomMenue, const QString& programmPfad);
    bool LoadTips(const QString& sFile);
    void ShowNextTip();
    void DisplaypriCurrentTip();
    int aktuellerTipp() const { return m_index; }
    // The longest tip shown, in bytes of the file; the rest of a longer line is passed over.
    static constexpr int kMaxTipp = 4096;

    QLabel* Label1 = nullptr;
    QLabel* lblTipText = nullptr;
    QLabel* Picture1 = nullptr;
    QCheckBox* chkLoadTipsAtStartup = nullptr;
    QPushButton* cmdNextTip = nullptr;
    QPushButton* cmdOK = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Reads on in the file until it holds n tips or ends: only the tips shown are read.
    void tippsLesenBis(int n);

    QStringList m_tips;
    int m_index = 0;
    std::unique_ptr<QFile> m_datei; // open while lines of it are still unread
};

} // namespace klang::player
