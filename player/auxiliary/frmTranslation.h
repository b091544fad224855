#pragma once

// Translation and read-aloud window: a source and a target box, the two language lists, a
// translation service and speech output.

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QFrame;

namespace klang::player {

class Uebersetzer;
class Vorleser;

class frmTranslation : public QWidget
{
    Q_OBJECT
public:
    // vorleser: the speech output (tests pass a recorder); null = the Qt engine.
    explicit frmTranslation(Vorleser* vorleser = nullptr, QWidget* parent = nullptr);
    ~frmTranslation() override;

    void RegistryLesen();
    // Asks for voice and rate and saves them; false when an answer was empty.
    bool Sprecherstimme();
    void cmdOK_Click();
    void cmdButton_Click(int index);
    Uebersetzer& uebersetzer() { return *m_uebersetzer; }
    bool liestVor() const { return m_liestVor; }
    QString stimme() const { return m_stimme; }
    int tempo() const { return m_tempo; }

    QPlainTextEdit* txtQuelle = nullptr;
    QPlainTextEdit* txtZiel = nullptr;
    QComboBox* cboVon = nullptr;
    QComboBox* cboNach = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdButton[4] = {};
    QStatusBar* StatusBar1 = nullptr;
    QFrame* fraLogo = nullptr;
    QLabel* lblLogo = nullptr;
    QLabel* lblBez = nullptr;

signals:
    void uebersetzungFertig(bool ok);
    void vorlesenFertig();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Vorleser> m_eigenerVorleser;
    Vorleser* m_vorleser;
    Uebersetzer* m_uebersetzer;
    bool ZielBoxAktiv = false;
    QString m_stimme; // "Name=<voice>"
    int m_tempo = 0;
    bool m_liestVor = false;
    bool m_uebersetzt = false;
};

} // namespace klang::player
