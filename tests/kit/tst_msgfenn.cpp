#include "kit/Klang.h"
#include "kit/MsgFenn.h"
#include "kit/MsgFennRegeln.h"
#include "kit/TestHook.h"
#include "kit/frmInputFenn.h"
#include "kit/frmMsgFenn.h"
#include "platform/shell/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <functional>

using kit::frmInputFenn;
using kit::frmMsgFenn;

namespace {

// Calls f with the first visible box of type T other than `ausser`, as soon as one shows.
template <typename T>
void wennOffen(QWidget* ausser, std::function<void(T*)> f)
{
    auto* suche = new QTimer;
    suche->setInterval(10);
    QObject::connect(suche, &QTimer::timeout, [suche, ausser, f] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<T*>(w);
            if (box && box != ausser && box->isVisible()) {
                suche->stop();
                suche->deleteLater();
                f(box);
                return;
            }
        }
    });
    suche->start();
}

QStringList sichtbareKnoepfe(frmMsgFenn* box)
{
    QStringList namen;
    for (QPushButton* k : box->cmdButton) {
        if (!k->isHidden())
            namen << k->objectName();
    }
    return namen;
}

int sichtbaresSymbol(frmMsgFenn* box)
{
    for (int i = 0; i < 4; ++i) {
        if (!box->imgMsgIcon[i]->isHidden())
            return i + 1;
    }
    return 0;
}

QString zeilen(int anzahl)
{
    QStringList liste;
    for (int i = 1; i <= anzahl; ++i)
        liste << QStringLiteral("Zeile %1").arg(i);
    return liste.join(QLatin1Char('\n'));
}

} // namespace

class TestMsgFenn : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

private Q_SLOTS:
    void init()
    {
        kit::testhook::disable();
        kit::testhook::clear();
        kit::resetMsgFennPlacement();
    }

    // The style code picks buttons, icon and sound in the documented order of tests.
    void stilTabelle_data()
    {
        QTest::addColumn<int>("stil");
        QTest::addColumn<QList<int>>("knoepfe");
        QTest::addColumn<int>("symbol");
        QTest::addColumn<QString>("klang");
        QTest::newRow("3 OK exclamation") << 3 << QList<int>{0} << 3 << "Ausrufezeichen.wav";
        QTest::newRow("22 Ja/Nein question") << 22 << QList<int>{1, 2} << 2 << "Fragezeichen.wav";
        QTest::newRow("32 Ja/Nein/Exit") << 32 << QList<int>{1, 2, 3} << 2 << "Fragezeichen.wav";
        QTest::newRow("11 OK/Exit info") << 11 << QList<int>{0, 3} << 1 << "Infozeichen.wav";
        QTest::newRow("4 OK stop") << 4 << QList<int>{0} << 4 << "Stoppzeichen.wav";
        QTest::newRow("75 OK/Beenden nothing") << 75 << QList<int>{0, 6} << 0 << "";
        QTest::newRow("0 OK info sound") << 0 << QList<int>{0} << 0 << "Infozeichen.wav";
        QTest::newRow("-5 OK silent") << -5 << QList<int>{0} << 0 << "";
        QTest::newRow("44 Wiederholen/Exit") << 44 << QList<int>{5, 3} << 4 << "Stoppzeichen.wav";
        QTest::newRow("53 Ignorieren set") << 53 << QList<int>{4, 5, 3} << 3 << "Ausrufezeichen.wav";
        QTest::newRow("60 OK/Beenden info sound") << 60 << QList<int>{0, 6} << 0 << "Infozeichen.wav";
        QTest::newRow("19 OK/Exit rest 9") << 19 << QList<int>{0, 3} << 0 << "";
        QTest::newRow("10 OK/Exit") << 10 << QList<int>{0, 3} << 0 << "Infozeichen.wav";
    }
    void stilTabelle()
    {
        QFETCH(int, stil);
        QFETCH(QList<int>, knoepfe);
        QFETCH(int, symbol);
        QFETCH(QString, klang);
        const kit::MsgFennStil s = kit::msgFennStil(stil);
        QCOMPARE(s.knoepfe, knoepfe);
        QCOMPARE(s.symbol, symbol);
        QCOMPARE(s.klangDatei, klang);
    }

    // Result words differ from the captions ("Ok" not "OK", "Exit" without the blank).
    void knopfWoerter_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("wort");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Ok" << "&OK";
        QTest::newRow("1") << 1 << "Ja" << "&Ja";
        QTest::newRow("2") << 2 << "Nein" << "&Nein";
        QTest::newRow("3") << 3 << "Exit" << "E&xit ";
        QTest::newRow("4") << 4 << "Ignorieren" << "&Ignorieren";
        QTest::newRow("5") << 5 << "Wiederholen" << "&Wiederholen";
        QTest::newRow("6") << 6 << "Beenden" << "B&eenden";
        QTest::newRow("7 none") << 7 << "" << "";
    }
    void knopfWoerter()
    {
        QFETCH(int, index);
        QFETCH(QString, wort);
        QFETCH(QString, text);
        QCOMPARE(kit::msgFennErgebnisWort(index), wort);
        QCOMPARE(kit::msgFennKnopfText(index), text);
    }

    // Sizing by line count: clamped text height, taller window, widening above 2700 twips.
    void masse_data()
    {
        QTest::addColumn<int>("zeilen");
        QTest::addColumn<int>("textHoehe");
        QTest::addColumn<int>("textBreite");
        QTest::addColumn<int>("formBreite");
        QTest::addColumn<int>("formHoehe");
        QTest::addColumn<int>("rahmenBreite");
        QTest::newRow("1 line, design size") << 1 << 900 << 4965 << 6180 << 0 << 6090;
        QTest::newRow("3 lines still 900") << 3 << 900 << 4965 << 6180 << 0 << 6090;
        QTest::newRow("4 lines taller") << 4 << 1040 << 4965 << 6180 << 2440 << 6090;
        QTest::newRow("10 lines not wide") << 10 << 2600 << 4965 << 6180 << 4000 << 6090;
        QTest::newRow("11 lines widened") << 11 << 2860 << 6465 << 7725 << 4260 << 7620;
        QTest::newRow("40 lines cut") << 40 << 7700 << 6465 << 7725 << 9100 << 7620;
    }
    void masse()
    {
        QFETCH(int, zeilen);
        QFETCH(int, textHoehe);
        QFETCH(int, textBreite);
        QFETCH(int, formBreite);
        QFETCH(int, formHoehe);
        QFETCH(int, rahmenBreite);
        const kit::MsgFennMasse m = kit::msgFennMasse(zeilen);
        QCOMPARE(m.textHoehe, textHoehe);
        QCOMPARE(m.textBreite, textBreite);
        QCOMPARE(m.formBreite, formBreite);
        QCOMPARE(m.formHoehe, formHoehe);
        QCOMPARE(m.rahmenBreite, rahmenBreite);
    }

    // The real box shows the style's buttons and icon, returns the pressed button's word
    // and plays the icon's sound from the program folder.
    void knopfDruecken_data()
    {
        QTest::addColumn<int>("stil");
        QTest::addColumn<int>("knopf");
        QTest::addColumn<QString>("wort");
        QTest::addColumn<QStringList>("sichtbar");
        QTest::addColumn<int>("symbol");
        QTest::addColumn<QString>("klang");
        QTest::newRow("3 OK") << 3 << 0 << "Ok" << QStringList{"cmdButton0"} << 3
                              << "Ausrufezeichen.wav";
        QTest::newRow("22 Nein") << 22 << 2 << "Nein" << QStringList{"cmdButton1", "cmdButton2"}
                                 << 2 << "Fragezeichen.wav";
        QTest::newRow("32 Exit") << 32 << 3 << "Exit"
                                 << QStringList{"cmdButton1", "cmdButton2", "cmdButton3"} << 2
                                 << "Fragezeichen.wav";
        QTest::newRow("61 Beenden") << 61 << 6 << "Beenden"
                                    << QStringList{"cmdButton0", "cmdButton6"} << 1
                                    << "Infozeichen.wav";
        QTest::newRow("50 Ignorieren") << 50 << 4 << "Ignorieren"
                                       << QStringList{"cmdButton3", "cmdButton4", "cmdButton5"}
                                       << 0 << "Infozeichen.wav";
    }
    void knopfDruecken()
    {
        QFETCH(int, stil);
        QFETCH(int, knopf);
        QFETCH(QString, wort);
        QFETCH(QStringList, sichtbar);
        QFETCH(int, symbol);
        QFETCH(QString, klang);
        QStringList gesehen;
        int gesehenesSymbol = -1;
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            gesehen = sichtbareKnoepfe(box);
            gesehenesSymbol = sichtbaresSymbol(box);
            box->cmdButton[knopf]->click();
        });
        const QString ergebnis = kit::MsgFenn(nullptr, QStringLiteral("Frage?"), stil, 0,
                                              QStringLiteral("Titel"), 1);
        QCOMPARE(ergebnis, wort);
        QCOMPARE(kit::MsgAntwort, wort);
        QCOMPARE(gesehen, sichtbar);
        QCOMPARE(gesehenesSymbol, symbol);
        QCOMPARE(kit::letzterKlang(), klang::programmDatei(klang));
    }

    // Esc and the close box leave without a word.
    void ohneKnopfVerlassen_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("close box") << false;
    }
    void ohneKnopfVerlassen()
    {
        QFETCH(bool, escape);
        wennOffen<frmMsgFenn>(nullptr, [escape](frmMsgFenn* box) {
            if (escape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->close();
        });
        kit::MsgAntwort = QStringLiteral("alt");
        QCOMPARE(kit::MsgFenn(nullptr, QStringLiteral("x"), 22, 1, QStringLiteral("T"), 1),
                 QString());
        QCOMPARE(kit::MsgAntwort, QString());
    }

    // Enter presses the default button only; a hidden or absent default is no default.
    void standardKnopf_data()
    {
        QTest::addColumn<int>("stil");
        QTest::addColumn<int>("standard");
        QTest::addColumn<QString>("nachEnter"); // "" = Enter pressed nothing
        QTest::newRow("22 default 2 -> Nein") << 22 << 2 << "Nein";
        QTest::newRow("22 default 1 -> Ja") << 22 << 1 << "Ja";
        QTest::newRow("4 default 0 -> Ok") << 4 << 0 << "Ok";
        QTest::newRow("22 default 7 none") << 22 << 7 << "";
        QTest::newRow("22 default 6 hidden") << 22 << 6 << "";
        QTest::newRow("22 default -1 none") << 22 << -1 << "";
    }
    void standardKnopf()
    {
        QFETCH(int, stil);
        QFETCH(int, standard);
        QFETCH(QString, nachEnter);
        bool nochOffen = false;
        int defaults = 0;
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            for (QPushButton* k : box->cmdButton)
                defaults += k->isDefault() ? 1 : 0;
            QWidget* fokus = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClick(fokus, Qt::Key_Return);
            QCoreApplication::processEvents();
            nochOffen = box->isVisible();
            if (nochOffen)
                box->close();
        });
        const QString ergebnis =
            kit::MsgFenn(nullptr, QStringLiteral("x"), stil, standard, QStringLiteral("T"), 1);
        QCOMPARE(ergebnis, nachEnter);
        QCOMPARE(nochOffen, nachEnter.isEmpty());
        // Without a default, Qt may mark a focused auto-default button as default for a moment
        // while the box comes up on a busy machine; what counts there is that Enter pressed nothing.
        if (!nachEnter.isEmpty())
            QCOMPARE(defaults, 1);
    }

    // Enter presses the button that has the focus, not the default one: Tab from "Ja" to
    // "Nein", Enter answers "Nein". Without a default and with the focus on the text, Enter
    // still presses nothing.
    void enterDruecktFokus_data()
    {
        QTest::addColumn<int>("stil");
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("tabs");
        QTest::addColumn<QString>("nachEnter"); // "" = Enter pressed nothing
        QTest::newRow("22 Ja, Tab -> Nein") << 22 << 1 << 1 << "Nein";
        QTest::newRow("32 Ja, 2 Tabs -> Exit") << 32 << 1 << 2 << "Exit";
        QTest::newRow("11 OK, Tab -> Exit") << 11 << 0 << 1 << "Exit";
        QTest::newRow("22 Nein, kein Tab") << 22 << 2 << 0 << "Nein";
        QTest::newRow("22 ohne Standard") << 22 << 7 << 0 << "";
    }
    void enterDruecktFokus()
    {
        QFETCH(int, stil);
        QFETCH(int, standard);
        QFETCH(int, tabs);
        QFETCH(QString, nachEnter);
        bool nochOffen = false;
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            box->activateWindow();
            for (int i = 0; i < tabs; ++i)
                QTest::keyClick(box->focusWidget(), Qt::Key_Tab);
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
            QCoreApplication::processEvents();
            nochOffen = box->isVisible();
            if (nochOffen)
                box->close();
        });
        QCOMPARE(kit::MsgFenn(nullptr, QStringLiteral("x"), stil, standard, QStringLiteral("T"), 1),
                 nachEnter);
        QCOMPARE(nochOffen, nachEnter.isEmpty());
    }

    // The input box likewise: Enter in the text is OK, Enter on Exit is Exit.
    void inputFennEnterDruecktFokus_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("im Text") << 0 << "Wort";
        QTest::newRow("auf OK") << 1 << "Wort";
        QTest::newRow("auf Exit") << 2 << "";
    }
    void inputFennEnterDruecktFokus()
    {
        QFETCH(int, tabs);
        QFETCH(QString, erwartet);
        wennOffen<frmInputFenn>(nullptr, [&](frmInputFenn* box) {
            box->activateWindow();
            box->txtInputText->setFocus();
            for (int i = 0; i < tabs; ++i)
                QTest::keyClick(box->focusWidget(), Qt::Key_Tab);
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
            QCoreApplication::processEvents();
            if (box->isVisible())
                box->close();
        });
        QCOMPARE(kit::InputFenn(nullptr, QStringLiteral("?"), QStringLiteral("T"), QStringLiteral("Wort")),
                 erwartet);
    }

    // The text shows a scroll bar only when it is longer than the box can show.
    void rollbalkenNurBeiLangemText_data()
    {
        QTest::addColumn<int>("zeilen");
        QTest::addColumn<bool>("rollbalken");
        QTest::newRow("1 Zeile") << 1 << false;
        QTest::newRow("2 Zeilen") << 2 << false;
        QTest::newRow("11 Zeilen") << 11 << false;
        QTest::newRow("40 Zeilen") << 40 << true;
    }
    void rollbalkenNurBeiLangemText()
    {
        QFETCH(int, zeilen);
        QFETCH(bool, rollbalken);
        bool gesehen = !rollbalken;
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            QCoreApplication::processEvents();
            gesehen = box->txtMsgText->verticalScrollBar()->isVisible();
            box->cmdButton[0]->click();
        });
        QStringList text;
        for (int i = 1; i <= zeilen; ++i)
            text << QStringLiteral("Zeile %1").arg(i);
        kit::MsgFenn(nullptr, text.join(QLatin1Char('\n')), 0, 0, QStringLiteral("T"), 1);
        QCOMPARE(gesehen, rollbalken);
    }

    // A time-out below 2 gives a modal box without a count in its caption; from 2 on the
    // box is modeless and counts.
    void modalOderZaehler_data()
    {
        QTest::addColumn<int>("timeOut");
        QTest::addColumn<bool>("modal");
        QTest::addColumn<QString>("titel");
        QTest::newRow("1 modal") << 1 << true << "Titel";
        QTest::newRow("0 modal") << 0 << true << "Titel";
        QTest::newRow("5 counting") << 5 << false << "Titel (5)";
    }
    void modalOderZaehler()
    {
        QFETCH(int, timeOut);
        QFETCH(bool, modal);
        QFETCH(QString, titel);
        bool istModal = false;
        QString gesehen;
        QString antwortWaehrendOffen = QStringLiteral("nicht gesehen");
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            istModal = box->isModal();
            gesehen = box->windowTitle();
            antwortWaehrendOffen = kit::MsgAntwort;
            box->cmdButton[0]->click();
        });
        kit::MsgAntwort = QStringLiteral("vorher");
        QCOMPARE(kit::MsgFenn(nullptr, QStringLiteral("x"), 0, 0, QStringLiteral("Titel"), timeOut),
                 QStringLiteral("Ok"));
        QCOMPARE(istModal, modal);
        QCOMPARE(gesehen, titel);
        QCOMPARE(antwortWaehrendOffen, QString()); // cleared while the box is open
    }

    // A 3-second countdown shows (3), (2), (1), closes by itself and returns ""; activating
    // the box again while it counts never appends a second count.
    void countdown()
    {
        QStringList titel;
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            titel << box->windowTitle();
            connect(box, &QWidget::windowTitleChanged, box,
                    [&titel](const QString& t) { titel << t; });
            // Re-activation in the middle of the count.
            QTimer::singleShot(1500, box, [box] {
                QEvent weg(QEvent::WindowDeactivate);
                QApplication::sendEvent(box, &weg);
                box->activateWindow();
                QEvent zurueck(QEvent::WindowActivate);
                QApplication::sendEvent(box, &zurueck);
                QEvent wechsel(QEvent::ActivationChange);
                QApplication::sendEvent(box, &wechsel);
            });
        });
        QElapsedTimer uhr;
        uhr.start();
        const QString ergebnis =
            kit::MsgFenn(nullptr, QStringLiteral("Warte"), 1, 0, QStringLiteral("T"), 3);
        const qint64 dauer = uhr.elapsed();
        QCOMPARE(ergebnis, QString());
        QCOMPARE(titel, (QStringList{"T (3)", "T (2)", "T (1)", "T (0)"}));
        QVERIFY2(dauer >= 2500 && dauer < 6000, qPrintable(QString::number(dauer)));
    }

    // The box grows with its text: 1 line keeps the design size, 11 lines widen it, 40 lines
    // are cut to 7700 twips with a scroll bar; CRLF counts as one line break.
    void groesse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("zeilenzahl");
        QTest::addColumn<QSize>("textGroesse");
        QTest::addColumn<QSize>("boxGroesse");
        QTest::addColumn<bool>("rollen");
        QTest::newRow("1 line") << "Eine Zeile" << 1 << QSize(331, 60) << QSize(406, 127) << false;
        QTest::newRow("CRLF 2 lines") << "a\r\nb" << 2 << QSize(331, 60) << QSize(406, 127) << false;
        QTest::newRow("11 lines") << zeilen(11) << 11 << QSize(431, 190) << QSize(509, 257) << false;
        QTest::newRow("40 lines") << zeilen(40) << 40 << QSize(431, 513) << QSize(509, 580) << true;
    }
    void groesse()
    {
        QFETCH(QString, text);
        QFETCH(int, zeilenzahl);
        QFETCH(QSize, textGroesse);
        QFETCH(QSize, boxGroesse);
        QFETCH(bool, rollen);
        int gezaehlt = 0;
        QSize gesehenText, gesehenBox;
        bool rollbalken = false;
        QString gezeigt;
        int rahmenUnten = -1;
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            gezaehlt = box->zeilen();
            gesehenText = box->txtMsgText->size();
            gesehenBox = box->size();
            gezeigt = box->txtMsgText->toPlainText();
            rahmenUnten = box->fraMsgButton->geometry().bottom() + 1 - box->height();
            QTRY_VERIFY_WITH_TIMEOUT(box->txtMsgText->verticalScrollBar()->maximum() > 0 || !rollen,
                                     2000);
            rollbalken = box->txtMsgText->verticalScrollBar()->maximum() > 0;
            box->cmdButton[0]->click();
        });
        kit::MsgFenn(nullptr, text, 0, 0, QStringLiteral("T"), 1);
        QCOMPARE(gezaehlt, zeilenzahl);
        QCOMPARE(gesehenText, textGroesse);
        QCOMPARE(gesehenBox, boxGroesse);
        QCOMPARE(rollbalken, rollen);
        QCOMPARE(rahmenUnten, 0); // the buttons stay at the bottom
        QVERIFY(!gezeigt.contains(QLatin1Char('\r')));
    }

    // A box opened by a timer while a countdown box waits gets its own window: the first
    // box's answer survives.
    void verschachtelt()
    {
        QString innen = QStringLiteral("nicht gerufen");
        QPointer<frmMsgFenn> erste;
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* a) {
            erste = a;
            QTimer::singleShot(0, [&] {
                wennOffen<frmMsgFenn>(erste, [&](frmMsgFenn* b) {
                    erste->cmdButton[1]->click(); // the user answers the first box: "Ja"
                    b->cmdButton[0]->click();
                });
                innen = kit::MsgFenn(nullptr, QStringLiteral("innen"), 3, 0, QStringLiteral("B"), 1);
            });
        });
        const QString aussen =
            kit::MsgFenn(nullptr, QStringLiteral("aussen"), 22, 1, QStringLiteral("A"), 10);
        QCOMPARE(innen, QStringLiteral("Ok"));
        QCOMPARE(aussen, QStringLiteral("Ja"));
        QCOMPARE(kit::MsgAntwort, QStringLiteral("Ja"));
    }

    // Without the sound files the box works all the same.
    void ohneKlangdateien()
    {
        QVERIFY(!QFile::exists(klang::programmPfad() + QStringLiteral("Stoppzeichen.wav")));
        wennOffen<frmMsgFenn>(nullptr, [](frmMsgFenn* box) { box->cmdButton[0]->click(); });
        QCOMPARE(kit::MsgFenn(nullptr, QStringLiteral("x"), 4, 0, QStringLiteral("T"), 1),
                 QStringLiteral("Ok"));
    }

    // The standard error report: number and text, stop icon, OK, light red, Form_Procedure.
    void fehlermeldung()
    {
        QString titel, text;
        QColor hintergrund;
        int symbol = 0;
        QStringList knoepfe;
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            titel = box->windowTitle();
            text = box->txtMsgText->toPlainText();
            hintergrund = box->palette().color(QPalette::Window);
            symbol = sichtbaresSymbol(box);
            knoepfe = sichtbareKnoepfe(box);
            box->cmdButton[0]->click();
        });
        kit::Fehlermeldung(nullptr, QStringLiteral("Ausgabebox_BezLaden"),
                           QStringLiteral("Datei nicht gefunden"), 53);
        QCOMPARE(titel, QStringLiteral("Ausgabebox_BezLaden"));
        QCOMPARE(text, QStringLiteral("53 Datei nicht gefunden"));
        QCOMPARE(hintergrund, QColor(0xFF, 0xC0, 0xC0));
        QCOMPARE(symbol, 4);
        QCOMPARE(knoepfe, QStringList{"cmdButton0"});
    }

    // The box is centred over its parent, or stands at the program's fixed point.
    void platzierung()
    {
        QWidget eltern;
        eltern.setGeometry(100, 100, 800, 600);
        eltern.show();
        QPoint lage;
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            lage = box->pos();
            box->cmdButton[0]->click();
        });
        kit::MsgFenn(&eltern, QStringLiteral("x"), 0, 0, QStringLiteral("T"), 1);
        const QRect p = eltern.frameGeometry();
        QCOMPARE(lage, QPoint(p.x() + (p.width() - 406) / 2, p.y() + (p.height() - 127) / 2));

        kit::setMsgFennPlacement(500, 500);
        wennOffen<frmMsgFenn>(nullptr, [&](frmMsgFenn* box) {
            lage = box->pos();
            box->cmdButton[0]->click();
        });
        kit::MsgFenn(&eltern, QStringLiteral("x"), 0, 0, QStringLiteral("T"), 1);
        QCOMPARE(lage, QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(33, 33));
    }

    // The test hook answers without a window and records what was asked.
    void testHook()
    {
        kit::testhook::enable();
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        QCOMPARE(kit::MsgFenn(nullptr, QStringLiteral("a\r\nb"), 22, 2, QStringLiteral("T"), 1),
                 QStringLiteral("Ja"));
        QCOMPARE(kit::MsgAntwort, QStringLiteral("Ja"));
        QCOMPARE(kit::MsgFenn(nullptr, QStringLiteral("x"), 4, 0, QStringLiteral("U"), 1,
                              kit::ErrorBackColor),
                 QString()); // empty queue
        kit::testhook::queueAnswer(QStringLiteral("  Name  "));
        QCOMPARE(kit::InputFenn(nullptr, QStringLiteral("Name?"), QStringLiteral("V"),
                                QStringLiteral("vor")),
                 QStringLiteral("Name"));
        const QList<kit::testhook::Call> calls = kit::testhook::calls();
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls[0].prompt, QStringLiteral("a\nb"));
        QCOMPARE(calls[0].style, 22);
        QCOMPARE(calls[0].defaultButton, 2);
        QCOMPARE(calls[1].backColor, qint64(kit::ErrorBackColor));
        QCOMPARE(calls[2].kind, QStringLiteral("InputFenn"));
        QCOMPARE(calls[2].defaultText, QStringLiteral("vor"));
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!w->isVisible() || !qobject_cast<QDialog*>(w));
        kit::testhook::disable();
    }

    // The input box: trimmed answer on OK or Enter, "" on Exit, Esc or the close box.
    void inputFenn_data()
    {
        QTest::addColumn<QString>("vorgabe");
        QTest::addColumn<QString>("eingabe"); // null: leave the default
        QTest::addColumn<QString>("aktion");
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("default OK") << "abc" << QString() << "ok" << "abc";
        QTest::newRow("blanks trimmed") << "" << "  x  " << "ok" << "x";
        QTest::newRow("only blanks") << "" << "   " << "ok" << "";
        QTest::newRow("Enter is OK") << "" << "Wort" << "enter" << "Wort";
        QTest::newRow("Exit after typing") << "abc" << "neu" << "exit" << "";
        QTest::newRow("Esc after typing") << "abc" << "neu" << "esc" << "";
        QTest::newRow("close box") << "abc" << "neu" << "close" << "";
    }
    void inputFenn()
    {
        QFETCH(QString, vorgabe);
        QFETCH(QString, eingabe);
        QFETCH(QString, aktion);
        QFETCH(QString, erwartet);
        QString titel, prompt, startText;
        wennOffen<frmInputFenn>(nullptr, [&](frmInputFenn* box) {
            titel = box->windowTitle();
            prompt = box->lblText->text();
            startText = box->txtInputText->text();
            if (!eingabe.isNull()) {
                box->txtInputText->clear();
                QTest::keyClicks(box->txtInputText, eingabe);
            }
            if (aktion == QLatin1String("ok"))
                box->cmdOK->click();
            else if (aktion == QLatin1String("enter"))
                QTest::keyClick(box->txtInputText, Qt::Key_Return);
            else if (aktion == QLatin1String("exit"))
                box->cmdExit->click();
            else if (aktion == QLatin1String("esc"))
                QTest::keyClick(box->txtInputText, Qt::Key_Escape);
            else
                box->close();
        });
        const QString ergebnis = kit::InputFenn(nullptr, QStringLiteral("Ihr Name?"),
                                                QStringLiteral("Eingabe"), vorgabe);
        QCOMPARE(ergebnis, erwartet);
        QCOMPARE(titel, QStringLiteral("Eingabe"));
        QCOMPARE(prompt, QStringLiteral("Ihr Name?"));
        QCOMPARE(startText, vorgabe); // every call starts with its own default
        QCOMPARE(kit::letzterKlang(), klang::programmDatei(QStringLiteral("Fragezeichen.wav")));
    }
};

QTEST_MAIN(TestMsgFenn)
#include "tst_msgfenn.moc"
