#include "player/auxiliary/Sleep.h"

#include "kit/Farbverlauf.h"
#include "kit/FormPlatzieren.h"
#include "kit/Helpers.h"
#include "kit/MsgFenn.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace klang::player {

namespace {
const QString Dienst = QStringLiteral("org.freedesktop.login1");
const QString Pfad = QStringLiteral("/org/freedesktop/login1");
const QString Schnittstelle = QStringLiteral("org.freedesktop.login1.Manager");
constexpr quint32 HinweisFarbe = 0xC0E0FF;
} // namespace

bool LogindEnergie::erlaubtAntwort(const QString& canPowerOff)
{
    return canPowerOff == QLatin1String("yes") || canPowerOff == QLatin1String("challenge");
}

void LogindEnergie::abschaltenErlaubt(QObject* kontext, std::function<void(bool)> antwort)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        QTimer::singleShot(0, kontext, [antwort] { antwort(false); });
        return;
    }
    const QDBusMessage frage = QDBusMessage::createMethodCall(Dienst, Pfad, Schnittstelle, QStringLiteral("CanPowerOff"));
    auto* wache = new QDBusPendingCallWatcher(bus.asyncCall(frage, 5000), kontext);
    QObject::connect(wache, &QDBusPendingCallWatcher::finished, kontext, [wache, antwort] {
        const QDBusPendingReply<QString> reply = *wache;
        wache->deleteLater();
        antwort(!reply.isError() && erlaubtAntwort(reply.value()));
    });
}

void LogindEnergie::abschalten(QObject* kontext, std::function<void(const QString&)> antwort)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        QTimer::singleShot(0, kontext, [antwort] { antwort(fehlerText(QStringLiteral("org.freedesktop.DBus.Error.NoServer"))); });
        return;
    }
    // interactive = true: logind may ask the user for authorisation ("challenge").
    QDBusMessage befehl = QDBusMessage::createMethodCall(Dienst, Pfad, Schnittstelle, QStringLiteral("PowerOff"));
    befehl << true;
    auto* wache = new QDBusPendingCallWatcher(bus.asyncCall(befehl, 5000), kontext);
    QObject::connect(wache, &QDBusPendingCallWatcher::finished, kontext, [wache, antwort] {
        const QDBusPendingReply<> reply = *wache;
        wache->deleteLater();
        antwort(reply.isError() ? fehlerText(reply.error().name()) : QString());
    });
}

QString LogindEnergie::fehlerText(const QString& dbusFehler)
{
    if (dbusFehler.endsWith(QLatin1String(".AccessDenied")) || dbusFehler.endsWith(QLatin1String(".InteractiveAuthorizationRequired"))
        || dbusFehler.endsWith(QLatin1String(".AuthFailed")))
        return QStringLiteral("Das System hat das Herunterfahren abgelehnt: keine Berechtigung.");
    if (dbusFehler.endsWith(QLatin1String(".NoReply")) || dbusFehler.endsWith(QLatin1String(".Timeout")))
        return QStringLiteral("Der Anmeldedienst (logind) hat nicht rechtzeitig geantwortet.");
    if (dbusFehler.endsWith(QLatin1String(".ServiceUnknown")) || dbusFehler.endsWith(QLatin1String(".NoServer"))
        || dbusFehler.endsWith(QLatin1String(".Disconnected")) || dbusFehler.endsWith(QLatin1String(".NameHasNoOwner")))
        return QStringLiteral("Der Anmeldedienst (logind) ist nicht erreichbar.");
    if (dbusFehler.contains(QLatin1String("Inhibited")) || dbusFehler.contains(QLatin1String("OperationInProgress")))
        return QStringLiteral("Ein anderes Programm oder ein laufender Vorgang verhindert das Herunterfahren.");
    return QStringLiteral("Das Herunterfahren ist fehlgeschlagen (") + dbusFehler + QStringLiteral(").");
}

// ---------------------------------------------------------------------------------------------

frmUhrzeit::frmUhrzeit(const SleepUhr& uhr, QWidget* parent)
    : QDialog(parent)
    , m_uhr(uhr)
{
    setObjectName(QStringLiteral("frmUhrzeit"));
    setModal(true);
    setFont(QFont(QStringLiteral("Segoe UI")));
    const QString zeit = m_uhr.jetzt().toString(QStringLiteral("HH:mm:ss"));
    setWindowTitle(zeit);

    auto* haupt = new QVBoxLayout(this);
    auto* rahmen = new QGroupBox(this);
    auto* raster = new QGridLayout(rahmen);
    for (int i = 0; i < 2; ++i) {
        Text1[i] = new QLineEdit(rahmen);
        Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        Text1[i]->setFixedWidth(48);
        Text1[i]->setAlignment(Qt::AlignCenter);
        Text1[i]->installEventFilter(this);
        raster->addWidget(Text1[i], 0, i * 2);
        raster->addWidget(new QLabel(i == 0 ? QStringLiteral("Std.") : QStringLiteral("Min."), rahmen), 0, i * 2 + 1);
    }
    Text1[0]->setText(zeit.left(2));
    Text1[1]->setText(zeit.mid(3, 2));
    haupt->addWidget(rahmen);
    auto* knoepfe = new QHBoxLayout;
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdExit = new QPushButton(QStringLiteral("E&xit "), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    knoepfe->addWidget(cmdOK);
    knoepfe->addWidget(cmdExit);
    haupt->addLayout(knoepfe);

    connect(cmdOK, &QPushButton::clicked, this, &frmUhrzeit::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this,
            [this] { setWindowTitle(m_uhr.jetzt().toString(QStringLiteral("HH:mm:ss"))); });
    Timer1.start();
}

QString frmUhrzeit::feldAuffuellen(const QString& feld)
{
    return feld.size() == 2 ? feld : QStringLiteral("0") + feld;
}

QString frmUhrzeit::feldHinweis(int index, const QString& feld)
{
    bool zahl = false;
    const int wert = feld.trimmed().toInt(&zahl);
    const bool ziffern = feld.size() == 2 && feld.at(0).isDigit() && feld.at(1).isDigit();
    if (index == 0)
        return zahl && ziffern && wert >= 0 && wert <= 23 ? QString() : QStringLiteral("Stunden 00-24");
    return zahl && ziffern && wert >= 0 && wert <= 59 ? QString() : QStringLiteral("Minuten 00-60");
}

void frmUhrzeit::hinweisZeigen(const QString& text)
{
    kit::MsgFenn(this, text, 3, 0, QStringLiteral("Eingabehinweis"), 1, HinweisFarbe, kit::DialogForeColor);
}

void frmUhrzeit::cmdOK_Click()
{
    // The fields as they stand now: an emptied field is refused, never padded into "00" (a
    // second OK would then arm a time nobody typed); a padded field is shown only once valid.
    QString felder[2];
    for (int i = 0; i < 2; ++i) {
        const QString text = Text1[i]->text();
        felder[i] = feldAuffuellen(text);
        const QString hinweis = feldHinweis(i, text.isEmpty() ? text : felder[i]);
        if (!hinweis.isEmpty()) {
            hinweisZeigen(hinweis);
            Text1[i]->setFocus();
            return;
        }
    }
    for (int i = 0; i < 2; ++i)
        Text1[i]->setText(felder[i]);
    m_uhrzeit = felder[0] + QLatin1Char(':') + felder[1];
    accept();
}

bool frmUhrzeit::eventFilter(QObject* watched, QEvent* event)
{
    const int index = watched == Text1[0] ? 0 : watched == Text1[1] ? 1 : -1;
    if (index < 0)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        QTimer::singleShot(0, Text1[index], [feld = Text1[index]] { feld->setSelection(0, 2); });
    } else if (event->type() == QEvent::KeyPress) {
        const auto* taste = static_cast<QKeyEvent*>(event);
        if (taste->key() == Qt::Key_Escape) {
            reject();
            return true;
        }
        // A field is complete with its second character: after a key that types a digit has
        // been handled, a field that now holds two moves on, as a Tab would. What the field
        // holds counts, not how many keys were pressed, so a digit deleted again is not counted.
        const QString text = taste->text();
        const bool ziffer = text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
        if (ziffer) {
            QTimer::singleShot(0, this, [this, feld = Text1[index]] {
                if (feld->hasFocus() && feld->text().size() >= 2)
                    focusNextChild();
            });
        }
    } else if (event->type() == QEvent::FocusOut) {
        const auto grund = static_cast<QFocusEvent*>(event)->reason();
        if (grund == Qt::ActiveWindowFocusReason || grund == Qt::PopupFocusReason)
            return false;
        QTimer::singleShot(0, this, [this, index] {
            // No hint on the way out (Exit, Esc) or when the field got the focus back.
            if (!isVisible() || result() != 0 || QApplication::focusWidget() == cmdExit
                || QApplication::focusWidget() == Text1[index])
                return;
            const QString hinweis = feldHinweis(index, feldAuffuellen(Text1[index]->text()));
            if (!hinweis.isEmpty())
                hinweisZeigen(hinweis);
        });
    }
    return false;
}

void frmUhrzeit::paintEvent(QPaintEvent*)
{
    QPainter maler(this);
    kit::FarbverlaufZeichnen(maler, this, 0xF4EAE3, 0xDEC9AD, 1);
}

// ---------------------------------------------------------------------------------------------

SleepTimer::SleepTimer(QWidget* fenster, QAction* mnuSleep, QTimer& timerSleep,
                       std::function<void(const QString&)> panel6, QObject* parent)
    : QObject(parent)
    , m_fenster(fenster)
    , m_mnuSleep(mnuSleep)
    , m_timer(timerSleep)
    , m_panel(std::move(panel6))
{
    m_mnuSleep->setCheckable(true);
    m_timer.setInterval(5000);
    connect(&m_timer, &QTimer::timeout, this, &SleepTimer::TimerSleep_Timer);
    zeitDialog = [](QWidget* eltern, const SleepUhr& uhr) -> std::optional<QString> {
        frmUhrzeit dialog(uhr, eltern);
        kit::FormPlatzieren(&dialog, eltern, QStringLiteral("center"), 10);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.SleepUhrzeit();
    };
    beenden = [] { kit::AlleFormsEntladen(); };
}

SleepTimer::~SleepTimer()
{
    if (m_fragt)
        QApplication::restoreOverrideCursor();
}

void SleepTimer::frageBeginnen()
{
    m_fragt = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void SleepTimer::frageBeenden()
{
    if (!m_fragt)
        return;
    m_fragt = false;
    QApplication::restoreOverrideCursor();
}

void SleepTimer::aus()
{
    m_mnuSleep->setChecked(false);
    m_herunterfahren = false;
    m_timer.stop();
    m_panel(QStringLiteral("Sleep Off"));
}

void SleepTimer::mnuSleep_Click()
{
    // While the power service is asked the command waits for its answer; the mark the action
    // toggled goes back.
    if (m_fragt) {
        m_mnuSleep->setChecked(true);
        return;
    }
    // The action toggles its own mark when triggered; the state before the click decides.
    if (!m_uhrzeit.isEmpty() && m_timer.isActive()) {
        m_uhrzeit.clear();
        aus();
        return;
    }
    m_mnuSleep->setChecked(true);
    const QString antwort = kit::MsgFenn(m_fenster, QStringLiteral("Soll der PC nach Aufruf der Sleep-Funktion \n"
                                                                   "heruntergefahren werden?"),
                                         32, 2, QStringLiteral("Sleep-Modus"), 1, kit::DialogBackColor,
                                         kit::DialogForeColor);
    if (antwort == QLatin1String("Ja")) {
        frageBeginnen();
        m_energie->abschaltenErlaubt(this, [this](bool erlaubt) {
            frageBeenden();
            if (!erlaubt) {
                kit::MsgFenn(m_fenster, QStringLiteral("Für das Herunterfahren des PC's werden Admin-Rechte benötigt!"),
                             4, 0, QStringLiteral("Benutzerhinweis"), 1, kit::DialogBackColor, kit::DialogForeColor);
                m_mnuSleep->setChecked(false);
                return;
            }
            zeitWaehlen(true);
        });
    } else if (antwort == QLatin1String("Nein")) {
        zeitWaehlen(false);
    } else {
        // "Exit", or the box closed by its frame: nothing was armed.
        m_uhrzeit.clear();
        aus();
    }
}

void SleepTimer::zeitWaehlen(bool herunterfahren)
{
    const std::optional<QString> zeit = zeitDialog(m_fenster, *m_uhr);
    if (!zeit) {
        m_uhrzeit.clear();
        aus();
        return;
    }
    m_uhrzeit = *zeit;
    m_herunterfahren = herunterfahren;
    m_mnuSleep->setChecked(true);
    m_timer.start();
    m_panel(QStringLiteral("Sleep ") + m_uhrzeit);
}

void SleepTimer::TimerSleep_Timer()
{
    if (!m_mnuSleep->isChecked() || m_uhrzeit.isEmpty() || m_fragt)
        return;
    if (m_uhr->jetzt().toString(QStringLiteral("HH:mm:ss")).left(5) != m_uhrzeit)
        return;
    if (m_herunterfahren) {
        // Asked once; a refusal is said and leaves the timer off, never asked again and again.
        m_timer.stop();
        frageBeginnen();
        m_energie->abschalten(this, [this](const QString& fehler) {
            frageBeenden();
            if (fehler.isEmpty())
                return;
            m_uhrzeit.clear();
            aus();
            kit::MsgFenn(m_fenster, QStringLiteral("Der PC wurde nicht heruntergefahren.\n") + fehler
                                        + QStringLiteral("\nDer Sleep-Timer ist ausgeschaltet."),
                         4, 0, QStringLiteral("Sleep-Modus"), 1, kit::DialogBackColor, kit::DialogForeColor);
        });
    } else {
        m_timer.stop();
        beenden();
    }
}

} // namespace klang::player
