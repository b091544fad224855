#pragma once

// The sleep timer: at a chosen clock time the player ends itself or powers the computer off.
// The clock and the power service are interfaces so that tests need neither a real minute nor
// a real shutdown.

#include <QDialog>
#include <QPointer>
#include <QTime>
#include <QTimer>

#include <functional>
#include <optional>

class QAction;
class QLineEdit;
class QPushButton;

namespace klang::player {

class SleepUhr
{
public:
    virtual ~SleepUhr() = default;
    virtual QTime jetzt() const = 0;
};

class Systemuhr : public SleepUhr
{
public:
    QTime jetzt() const override { return QTime::currentTime(); }
};

// Powering off through the system's session manager.
class Energieverwaltung
{
public:
    virtual ~Energieverwaltung() = default;
    // Answers later (never blocking) whether the system would let this user power off.
    virtual void abschaltenErlaubt(QObject* kontext, std::function<void(bool)> antwort) = 0;
    // Asks the system to power off and answers later (never blocking): "" when it agreed,
    // else why not, in German.
    virtual void abschalten(QObject* kontext, std::function<void(const QString& fehler)> antwort) = 0;
};

// logind over the system bus: CanPowerOff "yes" or "challenge" counts as allowed.
class LogindEnergie : public Energieverwaltung
{
public:
    void abschaltenErlaubt(QObject* kontext, std::function<void(bool)> antwort) override;
    void abschalten(QObject* kontext, std::function<void(const QString&)> antwort) override;
    static bool erlaubtAntwort(const QString& canPowerOff);
    // Why logind did not power off, in German, from the name of its D-Bus error.
    static QString fehlerText(const QString& dbusFehler);
};

// The time dialog: two two-digit fields, hours and minutes, and a running clock as caption.
class frmUhrzeit : public QDialog
{
    Q_OBJECT
public:
    explicit frmUhrzeit(const SleepUhr& uhr, QWidget* parent = nullptr);

    // "HH:MM" after OK; only meaningful when the dialog was accepted.
    QString SleepUhrzeit() const { return m_uhrzeit; }
    // Pads a field to two characters the way OK does ("7" -> "07").
    static QString feldAuffuellen(const QString& feld);
    // The hint for a field that is no valid hour (0-23) or minute (0-59), "" when valid.
    static QString feldHinweis(int index, const QString& feld);

    QLineEdit* Text1[2] = {nullptr, nullptr};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdExit = nullptr;
    QTimer Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void cmdOK_Click();
    void hinweisZeigen(const QString& text);

    const SleepUhr& m_uhr;
    QString m_uhrzeit;
};

// The menu command, the periodic test and the status panel of the sleep timer.
class SleepTimer : public QObject
{
    Q_OBJECT
public:
    SleepTimer(QWidget* fenster, QAction* mnuSleep, QTimer& timerSleep,
               std::function<void(const QString&)> panel6, QObject* parent = nullptr);
    ~SleepTimer() override;

    void mnuSleep_Click();
    void TimerSleep_Timer();

    bool SleepHerunterfahren() const { return m_herunterfahren; }
    QString SleepUhrzeit() const { return m_uhrzeit; }
    // The power service is being asked (the busy pointer shows; the menu command waits).
    bool fragt() const { return m_fragt; }

    // Test seams: the clock, the power service, the time dialog (empty = cancelled) and the
    // quit routine.
    void setUhr(const SleepUhr* uhr) { m_uhr = uhr; }
    void setEnergie(Energieverwaltung* energie) { m_energie = energie; }
    std::function<std::optional<QString>(QWidget*, const SleepUhr&)> zeitDialog;
    std::function<void()> beenden;

private:
    void aus();
    void zeitWaehlen(bool herunterfahren);
    void frageBeginnen();
    void frageBeenden();

    QPointer<QWidget> m_fenster;
    QAction* m_mnuSleep;
    QTimer& m_timer;
    std::function<void(const QString&)> m_panel;
    Systemuhr m_systemuhr;
    LogindEnergie m_logind;
    const SleepUhr* m_uhr = &m_systemuhr;
    Energieverwaltung* m_energie = &m_logind;
    QString m_uhrzeit;
    bool m_herunterfahren = false;
    bool m_fragt = false;
};

} // namespace klang::player
