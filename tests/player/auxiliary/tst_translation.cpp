// The translation and read-aloud window: language lists, the translation service (answered
// by a local server) and speech output.

#include "kit/TestHook.h"
#include "platform/settings/Settings.h"
#include "player/auxiliary/Uebersetzung.h"
#include "player/auxiliary/frmTranslation.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextToSpeech>
#include <QtTest>

using namespace klang::player;

namespace {
const QString App = QStringLiteral("KlangtruhePlayer");
const QString Sektion = QStringLiteral("Options");

// Answers POST /translate with a fixed text, or never when stumm.
class Dienst : public QTcpServer
{
public:
    QString antwort;
    bool stumm = false;
    QJsonObject empfangen;
    QByteArray pfad;
    int anfragen = 0;
    // Answers in its own way once the request has come whole.
    std::function<void(QTcpSocket*)> eigen;

    Dienst()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = nextPendingConnection();
            auto puffer = std::make_shared<QByteArray>();
            connect(s, &QTcpSocket::readyRead, s, [this, s, puffer] {
                *puffer += s->readAll();
                const int kopfEnde = puffer->indexOf("\r\n\r\n");
                if (kopfEnde < 0)
                    return;
                const QByteArray kopf = puffer->left(kopfEnde).toLower();
                const int l = kopf.indexOf("content-length:");
                const int laenge = kopf.mid(l + 15, kopf.indexOf('\r', l) - l - 15).trimmed().toInt();
                if (puffer->size() < kopfEnde + 4 + laenge)
                    return;
                pfad = puffer->left(puffer->indexOf("\r\n"));
                empfangen = QJsonDocument::fromJson(puffer->mid(kopfEnde + 4, laenge)).object();
                ++anfragen;
                puffer->clear();
                if (eigen) {
                    eigen(s);
                    return;
                }
                if (stumm)
                    return;
                const QByteArray body = QJsonDocument(QJsonObject{{"translatedText", antwort}}).toJson();
                s->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                         + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                s->disconnectFromHost();
            });
        });
    }
    QString adresse() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
};

struct Recorder : Vorleser
{
    QStringList texte;
    QList<std::function<void()>> offen;
    void sprechen(const QString& text, const QString&, int, std::function<void()> fertig) override
    {
        texte << text;
        offen << fertig;
    }
};
} // namespace

class TranslationTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<klang::test::TestEnvironment> m_env;

private slots:
    void init()
    {
        m_env = std::make_unique<klang::test::TestEnvironment>();
        kit::testhook::enable();
        kit::testhook::clear();
    }
    void cleanup()
    {
        kit::testhook::disable();
        m_env.reset();
    }

    void sprachliste()
    {
        const QStringList& liste = Sprachliste();
        QCOMPARE(liste.size(), 246);
        QCOMPARE(liste.first(), QStringLiteral("AW - Aruba"));
        QCOMPARE(liste.last(), QStringLiteral("ZW - Simbabwe"));
        QCOMPARE(QSet<QString>(liste.begin(), liste.end()).size(), 246);
        QVERIFY(!liste.contains(QStringLiteral("DE - Deutsch")));
        QCOMPARE(liste.indexOf(QStringLiteral("EN - Englisch")), liste.indexOf(QStringLiteral("EH - Westsahara")) + 1);
        QCOMPARE(Sprachcode(QStringLiteral("By - Weißrussland")), QStringLiteral("By"));
        QCOMPARE(Sprachcode(QStringLiteral("DE - Deutsch")), QStringLiteral("DE"));
        QCOMPARE(Sprachcode(QStringLiteral("xyz")), QString());
        QCOMPARE(dienstSprache(QStringLiteral("GB")), QStringLiteral("en"));
        QCOMPARE(dienstSprache(QStringLiteral("Ch")), QStringLiteral("de"));
        QCOMPARE(dienstSprache(QStringLiteral("FR")), QStringLiteral("fr"));

        frmTranslation fenster(new Recorder);
        QCOMPARE(fenster.cboVon->count(), 246);
        QCOMPARE(fenster.cboNach->count(), 246);
        QCOMPARE(fenster.cboVon->currentText(), QStringLiteral("DE - Deutsch"));
        QCOMPARE(fenster.cboNach->currentText(), QStringLiteral("EN - Englisch"));
    }

    void uebersetzen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("nach");
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<bool>("stumm");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("anfragen");
        QTest::newRow("sonderzeichen") << "a&b #c|d %e ü" << "EN - Englisch" << "translated" << false << true << 1;
        QTest::newRow("gleich dem text") << "Haus" << "EN - Englisch" << "Haus" << false << false << 1;
        QTest::newRow("gleiche codes") << "Haus" << "DE - Deutschland" << "x" << false << false << 0;
        QTest::newRow("leerer text") << "" << "EN - Englisch" << "x" << false << false << 0;
        QTest::newRow("keine antwort") << "Haus" << "EN - Englisch" << "x" << true << false << 1;
        QTest::newRow("300 KB ohne Leerzeichen") << "Haus" << "EN - Englisch" << QString(300000, QLatin1Char('x')) << false
                                               << true << 1;
    }
    void uebersetzen()
    {
        QFETCH(QString, text);
        QFETCH(QString, nach);
        QFETCH(QString, antwort);
        QFETCH(bool, stumm);
        QFETCH(bool, ok);
        QFETCH(int, anfragen);
        Dienst dienst;
        dienst.antwort = antwort;
        dienst.stumm = stumm;
        klang::SaveSetting(App, Sektion, UebersetzungsDienstKey, dienst.adresse());
        klang::SaveSetting(App, Sektion, QStringLiteral("VonSprache"), QStringLiteral("DE - Deutschland"));
        frmTranslation fenster(new Recorder);
        fenster.txtQuelle->setPlainText(text);
        fenster.txtZiel->setPlainText(QStringLiteral("vorher"));
        fenster.cboNach->setCurrentText(nach);
        QSignalSpy fertig(&fenster, &frmTranslation::uebersetzungFertig);
        QElapsedTimer uhr;
        uhr.start();
        fenster.cmdOK->click();
        // The window is not blocked while the request runs.
        QTRY_COMPARE_WITH_TIMEOUT(fertig.size(), 1, 6000);
        QCOMPARE(fertig.first().first().toBool(), ok);
        QCOMPARE(fenster.uebersetzer().anfragen(), anfragen);
        QCOMPARE(fenster.txtZiel->toPlainText(), ok ? antwort : QStringLiteral("vorher"));
        QVERIFY(kit::testhook::calls().isEmpty());
        if (anfragen) {
            QCOMPARE(dienst.pfad, QByteArray("POST /translate HTTP/1.1"));
            QCOMPARE(dienst.empfangen.value("q").toString(), text);
            QCOMPARE(dienst.empfangen.value("source").toString(), QStringLiteral("de"));
            QCOMPARE(dienst.empfangen.value("target").toString(), QStringLiteral("en"));
        }
        if (stumm)
            QVERIFY(uhr.elapsed() >= 2500);
        else
            QVERIFY2(uhr.elapsed() < 8000, qPrintable(QString::number(uhr.elapsed())));
    }

    // The client's limits: a reply that trickles in ends at the time limit, a huge one (with
    // or without its length announced) is refused, a redirect to another host is not
    // followed, and HTTP errors and unreadable replies are said in German. Each ends with the
    // button usable and the busy pointer gone, and the next request works.
    void dienstGrenzen_data()
    {
        QTest::addColumn<QString>("art");
        QTest::addColumn<QString>("meldung"); // part of the box's text; "" = no box
        QTest::newRow("trickling") << "langsam" << "";
        QTest::newRow("huge, length told") << "riesig" << "zu groß";
        QTest::newRow("huge, length untold") << "riesig ohne Laenge" << "zu groß";
        QTest::newRow("redirect to another host") << "umleitung" << "anderen Rechner um";
        QTest::newRow("HTTP 500") << "500" << "HTTP 500 (interner Fehler des Dienstes)";
        QTest::newRow("HTTP 404") << "404" << "HTTP 404 (Adresse nicht gefunden)";
        QTest::newRow("not JSON") << "kaputt" << "unlesbar";
        QTest::newRow("no translation in it") << "ohne Feld" << "unlesbar";
    }
    void dienstGrenzen()
    {
        QFETCH(QString, art);
        QFETCH(QString, meldung);
        Dienst dienst;
        Dienst anderer;
        anderer.antwort = QStringLiteral("entführt");
        QList<QPointer<QTcpSocket>> offen;
        auto senden = [](QTcpSocket* s, const QByteArray& kopf, const QByteArray& koerper, bool laengeNennen = true) {
            const QByteArray laenge = laengeNennen ? "\r\nContent-Length: " + QByteArray::number(koerper.size()) : QByteArray();
            s->write(kopf + laenge + "\r\nConnection: close\r\n\r\n" + koerper);
            s->disconnectFromHost();
        };
        dienst.eigen = [&](QTcpSocket* s) {
            const QByteArray gross(5 * 1024 * 1024, 'x');
            if (art == QLatin1String("langsam")) {
                s->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100000\r\n\r\n{");
                offen << s;
                auto* tropfen = new QTimer(s);
                connect(tropfen, &QTimer::timeout, s, [s] { s->write(" "); });
                tropfen->start(1000);
            } else if (art == QLatin1String("riesig")) {
                senden(s, "HTTP/1.1 200 OK", "{\"translatedText\":\"" + gross + "\"}");
            } else if (art == QLatin1String("riesig ohne Laenge")) {
                senden(s, "HTTP/1.1 200 OK", "{\"translatedText\":\"" + gross + "\"}", false);
            } else if (art == QLatin1String("umleitung")) {
                senden(s, "HTTP/1.1 307 Temporary Redirect\r\nLocation: http://localhost:"
                              + QByteArray::number(anderer.serverPort()) + "/translate", QByteArray());
            } else if (art == QLatin1String("500") || art == QLatin1String("404")) {
                senden(s, "HTTP/1.1 " + art.toLatin1() + " Nope", "{\"error\":\"no\"}");
            } else if (art == QLatin1String("kaputt")) {
                senden(s, "HTTP/1.1 200 OK", "<html>");
            } else {
                senden(s, "HTTP/1.1 200 OK", "{\"error\":\"no\"}");
            }
        };
        klang::SaveSetting(App, Sektion, UebersetzungsDienstKey, dienst.adresse());
        frmTranslation fenster(new Recorder);
        fenster.txtQuelle->setPlainText(QStringLiteral("Haus"));
        QSignalSpy fertig(&fenster, &frmTranslation::uebersetzungFertig);
        QElapsedTimer uhr;
        uhr.start();
        fenster.cmdOK->click();
        QVERIFY(!fenster.cmdOK->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(fertig.size(), 1, 10000);
        QVERIFY2(uhr.elapsed() < 4500, qPrintable(QString::number(uhr.elapsed())));
        QCOMPARE(fertig.first().first().toBool(), false);
        QCOMPARE(fenster.txtZiel->toPlainText(), QString());
        QVERIFY(fenster.cmdOK->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(anderer.anfragen, 0);
        const auto boxen = kit::testhook::calls();
        if (meldung.isEmpty()) {
            QVERIFY(boxen.isEmpty());
            QVERIFY(!fenster.uebersetzer().letzterFehler().isEmpty());
        } else {
            QCOMPARE(boxen.size(), 1);
            QVERIFY2(boxen.first().prompt.contains(meldung), qPrintable(boxen.first().prompt));
        }

        // The next request, to a service that answers, works.
        klang::SaveSetting(App, Sektion, UebersetzungsDienstKey, anderer.adresse());
        fenster.uebersetzer().setAdresse(anderer.adresse());
        fenster.cmdOK->click();
        QTRY_COMPARE_WITH_TIMEOUT(fertig.size(), 2, 5000);
        QCOMPARE(fenster.txtZiel->toPlainText(), QStringLiteral("entführt"));
    }

    // Closing the window ends a request that still waits: the busy pointer goes with it,
    // also when the window is opened and closed again.
    void schliessenBrichtAb()
    {
        Dienst dienst;
        dienst.stumm = true;
        klang::SaveSetting(App, Sektion, UebersetzungsDienstKey, dienst.adresse());
        for (int mal = 0; mal < 2; ++mal) {
            auto fenster = std::make_unique<frmTranslation>(new Recorder);
            fenster->show();
            fenster->txtQuelle->setPlainText(QStringLiteral("Haus"));
            QSignalSpy fertig(fenster.get(), &frmTranslation::uebersetzungFertig);
            fenster->cmdOK->click();
            QTRY_COMPARE(dienst.anfragen, mal + 1);
            QVERIFY(QApplication::overrideCursor());
            fenster->close();
            QCOMPARE(fertig.size(), 1);
            QVERIFY(!QApplication::overrideCursor());
            QVERIFY(fenster->cmdOK->isEnabled());
        }
        QVERIFY(kit::testhook::calls().isEmpty());
    }

    // Without an address there is no request; the failure is reported.
    void ohneAdresse()
    {
        frmTranslation fenster(new Recorder);
        fenster.txtQuelle->setPlainText(QStringLiteral("Haus"));
        QSignalSpy fertig(&fenster, &frmTranslation::uebersetzungFertig);
        fenster.cmdOK->click();
        QTRY_COMPARE(fertig.size(), 1);
        QCOMPARE(fertig.first().first().toBool(), false);
        QCOMPARE(kit::testhook::calls().size(), 1);
    }

    void vorlesen()
    {
        auto* recorder = new Recorder;
        frmTranslation fenster(recorder);
        fenster.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenster));
        // No voice yet: the two questions come first; the rate "abc" counts as 0.
        kit::testhook::queueAnswer(QStringLiteral("  flite  "));
        kit::testhook::queueAnswer(QStringLiteral("abc"));
        fenster.txtZiel->setPlainText(QStringLiteral("eins zwei drei"));
        fenster.txtZiel->setFocus();
        QTRY_VERIFY(fenster.txtZiel->hasFocus());
        fenster.cmdButton_Click(1);
        QCOMPARE(klang::GetSetting(App, Sektion, QStringLiteral("SprecherStimme")), QStringLiteral("Name=flite"));
        QCOMPARE(klang::GetSetting(App, Sektion, QStringLiteral("SprecherTempo")), QStringLiteral("0"));
        QCOMPARE(kit::testhook::calls().last().prompt, QStringLiteral("Markieren Sie zuerst den Vorlesetext!"));
        QVERIFY(recorder->texte.isEmpty());

        QTextCursor c = fenster.txtZiel->textCursor();
        c.setPosition(5);
        c.setPosition(9, QTextCursor::KeepAnchor);
        fenster.txtZiel->setTextCursor(c);
        fenster.cmdButton_Click(1);
        QCOMPARE(recorder->texte, QStringList{QStringLiteral("zwei")});
        QVERIFY(fenster.liestVor());
        recorder->offen.first()();
        QVERIFY(!fenster.liestVor());
    }

    // An empty answer to either question saves nothing.
    void stimmeAbgebrochen()
    {
        frmTranslation fenster(new Recorder);
        kit::testhook::queueAnswer(QStringLiteral("Anna"));
        kit::testhook::queueAnswer(QString());
        QVERIFY(!fenster.Sprecherstimme());
        QCOMPARE(klang::GetSetting(App, Sektion, QStringLiteral("SprecherStimme")), QString());
    }

    void schliessen()
    {
        {
            frmTranslation fenster(new Recorder);
            fenster.cboVon->setCurrentText(QStringLiteral("By - Weißrussland"));
            fenster.show();
            fenster.close();
        }
        QCOMPARE(klang::GetSetting(App, Sektion, QStringLiteral("VonSprache")), QStringLiteral("By - Weißrussland"));
        QCOMPARE(klang::GetSetting(App, Sektion, QStringLiteral("TranslationWindowState")), QStringLiteral("0"));
        QVERIFY(!klang::GetSetting(App, Sektion, QStringLiteral("TranslationFromWidth")).isEmpty());
        frmTranslation wieder(new Recorder);
        QCOMPARE(wieder.cboVon->currentText(), QStringLiteral("By - Weißrussland"));
    }

    // The offline flite voice speaks a text and comes back to rest; a failing engine ends
    // the wait too, so the hourglass never stays.
    void flite()
    {
        if (!QTextToSpeech::availableEngines().contains(QStringLiteral("flite")))
            QSKIP("the flite speech engine is not installed");
        QtVorleser vorleser;
        QTextToSpeech* tts = vorleser.engine();
        QSignalSpy zustand(tts, &QTextToSpeech::stateChanged);
        bool fertig = false;
        vorleser.sprechen(QStringLiteral("Hello"), QString(), 10, [&fertig] { fertig = true; });
        QTRY_VERIFY_WITH_TIMEOUT(fertig, 15000);
        QVERIFY(tts->state() != QTextToSpeech::Speaking);
        bool gesprochen = false;
        for (const auto& z : zustand)
            gesprochen = gesprochen || z.first().value<QTextToSpeech::State>() == QTextToSpeech::Speaking;
        // Without a sound output the engine fails; the wait above still had to end.
        if (!gesprochen)
            QSKIP(qPrintable(QStringLiteral("no sound output here: ") + tts->errorString()));
    }
};

QTEST_MAIN(TranslationTest)
#include "tst_translation.moc"
