#pragma once

// The message box window. MsgFenn creates one per call, fills it, shows it and reads the
// word of the pressed button.

#include <QDialog>
#include <QString>

#include <array>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;
class QTimer;

namespace kit {

class frmMsgFenn : public QDialog
{
    Q_OBJECT
public:
    explicit frmMsgFenn(QWidget* parent = nullptr);

    // Colours, caption, buttons, icon, text and size for one message (everything MsgFenn
    // does before the box is shown). Returns the sound file the style asks for ("" none).
    QString fuellen(const QString& prompt, int style, int defaultButton, const QString& title,
                    int timeOut, const QColor& back, const QColor& fore);

    // The word of the pressed button; "" while open, after a time-out, Esc or the close box.
    QString pubMsgFenn() const { return m_pubMsgFenn; }
    int sekundenUebrig() const { return m_sekunden; }
    // Lines of the prompt at the design width (what the size was computed from).
    int zeilen() const { return m_zeilen; }

    void cmdButton_Click(int index);

    QTextEdit* txtMsgText = nullptr;
    std::array<QLabel*, 4> imgMsgIcon{};   // index 0..3 = icons 1..4
    QFrame* fraMsgButton = nullptr;
    std::array<QPushButton*, 7> cmdButton{};
    QTimer* Timer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    void Form_Activate();
    void Timer_Timer();
    QString mitZaehler() const;

    QString m_pubMsgFenn;
    int m_standardKnopf = 7;
    int m_sekunden = 0;
    int m_zeilen = 1;
    bool m_gezeigt = false;
    QString m_gespeicherteUeberschrift;
};

} // namespace kit
