// The sleep timer: switching on and off through the menu, the time dialog and the periodic test.

#include "kit/Helpers.h"
#include "kit/TestHook.h"
#include "player/auxiliary/Sleep.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace klang::player;

namespace {

struct FesteUhr : SleepUhr
{
    QTime zeit{23, 59, 3};
    QTime jetzt() const override { return zeit; }
};

// Answers at once, or keeps the answer for the test to give (logind answers late).
struct Recorder : Energieverwaltung
{
    bool erlaubt = true;
    bool spaet = false;
    int abgeschaltet = 0;
    std::function<void(bool)> offeneFrage;
    std::function<void(const QString&)> offenesAbschalten;
    void abschaltenErlaubt(QObject*, std::function<void(bool)> antwort) override
    {
        if (spaet)
            offeneFrage = antwort;
        else
            antwort(erlaubt);
    }
    void abschalten(QObject*, std::function<void(const QString&)> antwort) override
    {
        ++abgeschaltet;
        offenesAbschalten = antwort;
    }
};

bool sanduhr()
{
    return QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

// Types into whatever has the focus, one key at a time, letting the focus move between keys.
void tippen(const QList<int>& tasten)
{
    for (int t : tasten) {
        QWidget* ziel = QApplication::focusWidget();
        QVERIFY(ziel);
        if (t >= '0' && t <= '9')
            QTest::keyClick(ziel, char(t));
        else
            QTest::keyClick(ziel, Qt::Key(t));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
}

struct Aufbau
{
    QWidget fenster;
    QAction mnuSleep{nullptr};
    QTimer timer;
    QString panel = QStringLiteral("Sleep Off");
    FesteUhr uhr;
    Recorder energie;
    SleepTimer sleep{&fenster, &mnuSleep, timer, [this](const QString& t) { panel = t; }};
    std::optional<QString> dialogAntwort;
    int beendet = 0;

    Aufbau()
    {
        sleep.setUhr(&uhr);
        sleep.setEnergie(&energie);
        sleep.zeitDialog = [this](QWidget*, const SleepUhr&) { return dialogAntwort; };
        sleep.beenden = [this] { ++beendet; };
    }
};

} // namespace

class SleepTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        kit::testhook::enable();
        kit::testhook::clear();
    }
    void cleanup() { kit::testhook::disable(); }

    void einschalten_data()
    {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<bool>("erlaubt");
        QTest::addColumn<QString>("dialog"); // "" = cancelled
        QTest::addColumn<bool>("an");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<bool>("herunterfahren");
        QTest::addColumn<QString>("hinweis");
        QTest::newRow("nein") << "Nein" << true << "23:59" << true << "Sleep 23:59" << false << "";
        QTest::newRow("ja") << "Ja" << true << "23:59" << true << "Sleep 23:59" << true << "";
        QTest::newRow("mitternacht") << "Nein" << true << "00:00" << true << "Sleep 00:00" << false << "";
        QTest::newRow("ja ohne rechte") << "Ja" << false << "23:59" << false << "Sleep Off" << false
                                        << "Für das Herunterfahren des PC's werden Admin-Rechte benötigt!";
        QTest::newRow("exit") << "Exit" << true << "23:59" << false << "Sleep Off" << false << "";
        QTest::newRow("rahmen geschlossen") << "" << true << "23:59" << false << "Sleep Off" << false << "";
        QTest::newRow("dialog abgebrochen") << "Nein" << true << "" << false << "Sleep Off" << false << "";
    }
    void einschalten()
    {
        QFETCH(QString, antwort);
        QFETCH(bool, erlaubt);
        QFETCH(QString, dialog);
        QFETCH(bool, an);
        QFETCH(QString, panel);
        QFETCH(bool, herunterfahren);
        QFETCH(QString, hinweis);
        Aufbau a;
        a.energie.erlaubt = erlaubt;
        if (!dialog.isEmpty())
            a.dialogAntwort = dialog;
        kit::testhook::queueAnswer(antwort);
        a.sleep.mnuSleep_Click();
        QCOMPARE(a.mnuSleep.isChecked(), an);
        QCOMPARE(a.timer.isActive(), an);
        QCOMPARE(a.panel, panel);
        QCOMPARE(a.sleep.SleepHerunterfahren(), herunterfahren);
        const auto calls = kit::testhook::calls();
        QCOMPARE(calls.first().title, QStringLiteral("Sleep-Modus"));
        QCOMPARE(calls.first().style, 32);
        QCOMPARE(calls.size() > 1 ? calls.last().prompt : QString(), hinweis);
        if (an) {
            // A second click switches off.
            a.sleep.mnuSleep_Click();
            QVERIFY(!a.mnuSleep.isChecked());
            QVERIFY(!a.timer.isActive());
            QCOMPARE(a.panel, QStringLiteral("Sleep Off"));
        }
    }

    // The action happens in the armed minute only: quitting once, or asking to power off.
    void ablauf()
    {
        Aufbau a;
        a.dialogAntwort = QStringLiteral("23:59");
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        a.sleep.mnuSleep_Click();
        a.uhr.zeit = QTime(23, 58, 59);
        a.sleep.TimerSleep_Timer();
        QCOMPARE(a.energie.abgeschaltet, 0);
        a.uhr.zeit = QTime(23, 59, 3);
        a.sleep.TimerSleep_Timer();
        QCOMPARE(a.energie.abgeschaltet, 1);
        QCOMPARE(a.beendet, 0);
        a.energie.offenesAbschalten(QString());

        Aufbau b;
        b.dialogAntwort = QStringLiteral("23:59");
        kit::testhook::queueAnswer(QStringLiteral("Nein"));
        b.sleep.mnuSleep_Click();
        b.sleep.TimerSleep_Timer();
        QCOMPARE(b.beendet, 1);
        QCOMPARE(b.energie.abgeschaltet, 0);
    }

    // A power-off that logind refuses is asked once in the armed minute, said in German, and
    // leaves the timer off with "Sleep Off"; while logind is asked the busy pointer shows and
    // the menu command waits. Arming again afterwards works (the third use).
    void abschaltenAbgelehnt()
    {
        Aufbau a;
        a.energie.spaet = true;
        a.dialogAntwort = QStringLiteral("23:59");
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        a.sleep.mnuSleep_Click();
        QVERIFY(sanduhr());
        QVERIFY(a.sleep.fragt());
        a.mnuSleep.setChecked(false); // the action toggles itself on a click
        a.sleep.mnuSleep_Click();
        QVERIFY(a.mnuSleep.isChecked());
        QCOMPARE(kit::testhook::calls().size(), 1);
        a.energie.offeneFrage(true);
        QVERIFY(!sanduhr());
        QCOMPARE(a.panel, QStringLiteral("Sleep 23:59"));

        for (int tick = 0; tick < 3; ++tick)
            a.sleep.TimerSleep_Timer();
        QCOMPARE(a.energie.abgeschaltet, 1);
        QVERIFY(sanduhr());
        a.sleep.mnuSleep_Click();
        QCOMPARE(kit::testhook::calls().size(), 1);
        a.energie.offenesAbschalten(LogindEnergie::fehlerText(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied")));
        QVERIFY(!sanduhr());
        QVERIFY(!a.timer.isActive());
        QVERIFY(!a.mnuSleep.isChecked());
        QCOMPARE(a.panel, QStringLiteral("Sleep Off"));
        QCOMPARE(kit::testhook::calls().size(), 2);
        QVERIFY(kit::testhook::calls().last().prompt.contains(QStringLiteral("abgelehnt")));
        a.sleep.TimerSleep_Timer();
        QCOMPARE(a.energie.abgeschaltet, 1);

        a.energie.spaet = false;
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        a.sleep.mnuSleep_Click();
        QCOMPARE(a.panel, QStringLiteral("Sleep 23:59"));
        a.sleep.TimerSleep_Timer();
        QCOMPARE(a.energie.abgeschaltet, 2);
        a.energie.offenesAbschalten(QString());
        QVERIFY(!sanduhr());
    }

    // What the fields show when OK is pressed is what is armed, or refused with a hint: a field
    // moves on when it holds two digits, however many keys it took, and an emptied field is
    // refused however often OK is pressed.
    void dialogNimmtWasDasteht_data()
    {
        QTest::addColumn<QList<int>>("tasten");
        QTest::addColumn<int>("oks");
        QTest::addColumn<QString>("ergebnis"); // a hint's text when refused
        const int zurueck = Qt::Key_Backspace;
        QTest::newRow("ziffern") << QList<int>{Qt::Key_Shift, '1', Qt::Key_Control, '8', Qt::Key_Shift, '0', '5'} << 1
                                 << "18:05";
        QTest::newRow("stunde verbessert") << QList<int>{'2', zurueck, '1', '3', '4', '5'} << 1 << "13:45";
        QTest::newRow("minute verbessert") << QList<int>{'1', '3', '4', zurueck, '5', '0'} << 1 << "13:50";
        QTest::newRow("24") << QList<int>{'2', '4', '3', '0'} << 1 << "Stunden 00-24";
        QTest::newRow("stunde geleert") << QList<int>{zurueck} << 2 << "Stunden 00-24";
    }
    void dialogNimmtWasDasteht()
    {
        QFETCH(QList<int>, tasten);
        QFETCH(int, oks);
        QFETCH(QString, ergebnis);
        FesteUhr uhr;
        frmUhrzeit d(uhr);
        d.show();
        d.activateWindow();
        (void)QTest::qWaitForWindowActive(&d);
        d.Text1[0]->setFocus();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(d.Text1[0]->hasFocus());
        tippen(tasten);
        for (int i = 0; i < oks; ++i)
            d.cmdOK->click();
        if (ergebnis.contains(QLatin1Char(':'))) {
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QCOMPARE(d.SleepUhrzeit(), ergebnis);
        } else {
            QVERIFY(d.result() != QDialog::Accepted);
            QVERIFY(kit::testhook::calls().size() >= oks);
            QCOMPARE(kit::testhook::calls().last().prompt, ergebnis);
        }
    }

    // With the real quit routine the shown window closes at the armed minute.
    void fensterSchliesst()
    {
        Aufbau a;
        a.sleep.beenden = [] { kit::AlleFormsEntladen(); };
        a.fenster.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a.fenster));
        a.dialogAntwort = QStringLiteral("23:59");
        kit::testhook::queueAnswer(QStringLiteral("Nein"));
        a.sleep.mnuSleep_Click();
        a.timer.setInterval(10);
        QTRY_VERIFY_WITH_TIMEOUT(!a.fenster.isVisible(), 2000);
    }

    void felder_data()
    {
        QTest::addColumn<QString>("stunden");
        QTest::addColumn<QString>("minuten");
        QTest::addColumn<QString>("ergebnis"); // "" = refused with a hint
        QTest::newRow("einstellig") << "7" << "5" << "07:05";
        QTest::newRow("mitternacht") << "00" << "00" << "00:00";
        QTest::newRow("23:59") << "23" << "59" << "23:59";
        QTest::newRow("24") << "24" << "00" << "";
        QTest::newRow("60") << "12" << "60" << "";
        QTest::newRow("buchstaben") << "ab" << "cd" << "";
        QTest::newRow("7x") << "7x" << "00" << "";
        QTest::newRow("leer") << "" << "00" << "";
        QTest::newRow("dreistellig") << "123" << "00" << "";
    }
    void felder()
    {
        QFETCH(QString, stunden);
        QFETCH(QString, minuten);
        QFETCH(QString, ergebnis);
        FesteUhr uhr;
        frmUhrzeit dialog(uhr);
        dialog.show();
        dialog.Text1[0]->setText(stunden);
        dialog.Text1[1]->setText(minuten);
        dialog.cmdOK->click();
        if (ergebnis.isEmpty()) {
            QVERIFY(dialog.isVisible());
            QCOMPARE(kit::testhook::calls().size(), 1);
            QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Eingabehinweis"));
        } else {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.SleepUhrzeit(), ergebnis);
        }
    }

    void dialogUhr()
    {
        FesteUhr uhr;
        uhr.zeit = QTime(7, 5, 9);
        frmUhrzeit dialog(uhr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("07:05:09"));
        QCOMPARE(dialog.Text1[0]->text(), QStringLiteral("07"));
        QCOMPARE(dialog.Text1[1]->text(), QStringLiteral("05"));
        uhr.zeit = QTime(7, 5, 10);
        QTRY_COMPARE_WITH_TIMEOUT(dialog.windowTitle(), QStringLiteral("07:05:10"), 2500);
    }

    void logindAntwort()
    {
        QVERIFY(LogindEnergie::erlaubtAntwort(QStringLiteral("yes")));
        QVERIFY(LogindEnergie::erlaubtAntwort(QStringLiteral("challenge")));
        QVERIFY(!LogindEnergie::erlaubtAntwort(QStringLiteral("no")));
        QVERIFY(!LogindEnergie::erlaubtAntwort(QStringLiteral("na")));
    }
};

QTEST_MAIN(SleepTest)
#include "tst_sleep.moc"
