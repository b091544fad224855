#pragma once

// The input box window: a prompt, one line of text and the buttons OK and Exit.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kit {

class frmInputFenn : public QDialog
{
    Q_OBJECT
public:
    explicit frmInputFenn(QWidget* parent = nullptr);

    void fuellen(const QString& prompt, const QString& title, const QString& defaultText,
                 const QColor& back, const QColor& fore);
    // The answer as InputFenn returns it: the text without blanks at both ends, "" after
    // Exit, Esc or the close box.
    QString antwort() const;

    QLabel* lblText = nullptr;
    QLineEdit* txtInputText = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdExit = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cmdOK_Click();
    void cmdExit_Click();
};

// Removes blanks (spaces only) at both ends.
QString ohneRandLeerzeichen(const QString& text);

} // namespace kit
