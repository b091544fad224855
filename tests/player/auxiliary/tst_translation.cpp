// The translation and read-aloud window: language lists, the translation service (answered
// by a local server) and speech output.

#include "kit/TestHook.h"
#include "platform/settings/Settings.h"
#include "player/auxiliary/Uebersetzung.h"
#include "player/auxiliary/frmTranslation.h"
#include "tests/support/TestEnvironment.h"

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
