#pragma once

// The window in which a run of a copy or archive program shows what it writes, live, and
// how it ended (exit code and its meaning). It takes the place of the console window the
// programs opened in on their old system.

#include "backup/ArchiverVorgaben.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace backup {

class AusgabeFenster : public QWidget
{
    Q_OBJECT
public:
    // titel names the run (the shown command line goes above the output).
    AusgabeFenster(const QString& programmName, const QString& befehl, QWidget* parent = nullptr);

    void anhaengen(const QString& text);
    void beenden(const QString& endeText, Ausgang ausgang);
    bool laeuftNoch() const { return m_laeuft; }
    QString text() const;
    QString status() const;

Q_SIGNALS:
    void abbrechenGewuenscht();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPlainTextEdit* m_txtAusgabe = nullptr;
    QLabel* m_lblStatus = nullptr;
    QPushButton* m_cmdAbbrechen = nullptr;
    QPushButton* m_cmdSchliessen = nullptr;
    bool m_laeuft = true;
};

} // namespace backup
