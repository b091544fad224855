#include "platform/media/MediaPlayerControl.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Paths.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/stream/TsVideo.h"
#include "tv/Meldung.h"
#include "tv/frmFernsicht.h"

#include <QAction>
#include "kit/TestHook.h"
#include "tests/support/HilfeF1.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QRegularExpression>
#include <QWindow>
#include <QtTest>

using namespace tv;
using klang::media::PlayState;

namespace {

QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void schreiben(const QString& pfad, const QByteArray& bytes)
{
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QStringList namen(const frmFernsicht& w)
{
    QStringList n;
    for (const Sender& s : w.alleSender())
        n << s.name;
    return n;
}

void waehlen(frmFernsicht& w, const QString& name)
{
    const auto treffer = w.liste()->findItems(name, Qt::MatchExactly, 1);
    QVERIFY(!treffer.isEmpty());
    w.liste()->setCurrentItem(treffer.first());
}


} // namespace

// The station list window over real station files and a real libmpv player (null outputs).
class TestFernsicht : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void laden_data();
    void laden();
    void sortierenMitKopfzeichen();
    void loeschen_data();
    void loeschen();
    void ohneAuswahlGeschiehtNichts();
    void lokalerStreamSpieltUndSenderlisteHaeltIhnAn_data();
    void lokalerStreamSpieltUndSenderlisteHaeltIhnAn();
    void verbindenLaesstSichAbbrechen();
    void endeOderFehlerBringtDieListeZurueck_data();
    void endeOderFehlerBringtDieListeZurueck();
    void stummerSenderGibtAuf();
    void zoomUndOnTop();
    void hilfe();
    void fenstergroesseWirdGespeichert_data();
    void fenstergroesseWirdGespeichert();

private:
    std::unique_ptr<klang::test::TestEnvironment> m_env;
    std::unique_ptr<klang::test::StreamServer> m_server;
    QString m_video;     // 8 s
    QString m_kurz;      // 1 s
    QTemporaryDir m_dir;
};

void TestFernsicht::initTestCase()
{
    QString fehler;
    m_video = m_dir.filePath(QStringLiteral("live.ts"));
    m_kurz = m_dir.filePath(QStringLiteral("kurz ä.ts"));
    QVERIFY2(klang::test::schreibeTsVideo(m_video, 8, 320, 240, &fehler), qPrintable(fehler));
    QVERIFY2(klang::test::schreibeTsVideo(m_kurz, 1, 160, 120, &fehler), qPrintable(fehler));
    m_server = std::make_unique<klang::test::StreamServer>(lesen(m_video));
    m_server->setzeStatus("/fehlt.ts", "404 Not Found");
    m_server->setzeStatus("/verboten.ts", "403 Forbidden");
    m_server->setzeInhalt("/kaputt.ts", "abc", "video/mp2t");
    m_server->setzeAbbruch("/kaputt.ts");
    m_server->setzeInhalt("/verboten.m3u", "#EXTM3U\n/etc/hostname\nftp://127.0.0.1:1/a.ts\n", "audio/x-mpegurl");
    m_server->setzeInhalt("/abgeschnitten.ts", lesen(m_kurz), "video/mp2t");
    m_server->setzeAbbruch("/abgeschnitten.ts");
    m_server->setzeInhalt("/liste.m3u8",
                          "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:8\n#EXT-X-MEDIA-SEQUENCE:0\n"
                          "#EXTINF:8.0,\nteil0.ts\n#EXT-X-ENDLIST\n",
                          "application/vnd.apple.mpegurl");
    QVERIFY(m_server->starten());
    m_server->setzeInhalt("/liste.m3u", "#EXTM3U\n" + m_server->url().toUtf8() + "\n", "audio/x-mpegurl");
}

void TestFernsicht::init()
{
    m_env = std::make_unique<klang::test::TestEnvironment>();
    meldungstest::einschalten();
}

void TestFernsicht::cleanup()
{
    meldungstest::ausschalten();
    m_env.reset();
}

// A missing file is no error; complete records all load; a short last record reports and
// keeps the stations before it; a file that cannot be read reports.
void TestFernsicht::laden_data()
{
    QTest::addColumn<QByteArray>("inhalt");
    QTest::addColumn<QStringList>("erwartet");
    QTest::addColumn<QString>("fehlerTitel");
    QTest::newRow("keine Datei") << QByteArray("<keine>") << QStringList{} << QString();
    QTest::newRow("zwei Sender") << QByteArray("News\r\nTagesschau\r\nhttp://a\r\nSport\r\nSport1\r\n\r\n")
                                 << QStringList{"Tagesschau", "Sport1"} << QString();
    QTest::newRow("letzter unvollständig") << QByteArray("A\r\nEins\r\nu\r\nB\r\nZwei\r\n")
                                          << QStringList{"Eins"} << "frmFernsicht_SenderLaden";
    QTest::newRow("Ordner statt Datei") << QByteArray("<ordner>") << QStringList{} << "frmFernsicht_SenderLaden";
}

void TestFernsicht::laden()
{
    QFETCH(QByteArray, inhalt);
    QFETCH(QStringList, erwartet);
    QFETCH(QString, fehlerTitel);
    if (inhalt == "<ordner>")
        QVERIFY(QDir().mkpath(senderDatei()));
    else if (inhalt != "<keine>")
        schreiben(senderDatei(), inhalt);
    frmFernsicht w;
    w.Form_Load();
    QCOMPARE(namen(w), erwartet);
    const auto meldungen = meldungstest::aufrufe();
    QCOMPARE(meldungen.size(), fehlerTitel.isEmpty() ? 0 : 1);
    if (!fehlerTitel.isEmpty()) {
        QCOMPARE(meldungen.first().titel, fehlerTitel);
        QVERIFY(meldungen.first().symbol == Symbol::Kritisch);
    }
}

// Header clicks sort descending, then ascending, without regard to case; only the clicked
// header shows its mark.
void TestFernsicht::sortierenMitKopfzeichen()
{
    schreiben(senderDatei(), "b\r\nzdf\r\nu1\r\nA\r\nARD\r\nu2\r\nc\r\nBR\r\nu3\r\n");
    frmFernsicht w;
    w.resize(600, 400);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Form_Load();
    QCOMPARE(namen(w), (QStringList{"ARD", "zdf", "BR"}));
    QCOMPARE(w.kopfSymbol(0), 1);

    QHeaderView* kopf = w.liste()->header();
    const QPoint spalte2(kopf->sectionViewportPosition(1) + 5, kopf->height() / 2);
    QTest::mouseClick(kopf->viewport(), Qt::LeftButton, {}, spalte2);
    QCOMPARE(namen(w), (QStringList{"zdf", "BR", "ARD"}));
    QCOMPARE(w.kopfSymbol(1), 2);
    QCOMPARE(w.kopfSymbol(0), 0);
    QTest::mouseClick(kopf->viewport(), Qt::LeftButton, {}, spalte2);
    QCOMPARE(namen(w), (QStringList{"ARD", "BR", "zdf"}));
    QCOMPARE(w.kopfSymbol(1), 1);

    // Both cover the central area; the columns share the width as the window always did.
    QCOMPARE(w.liste()->geometry(), w.player()->geometry());
    const int breite = w.liste()->width() * 15;
    QCOMPARE(w.liste()->columnWidth(0), breite / 5 / 15);
    QCOMPARE(w.liste()->columnWidth(2), int(breite - (breite / 5.0 * 2.5 + 350)) / 15);
}

// Delete asks first; Yes removes the station from list and file (file in list order), No
// keeps it, and a file that cannot be rewritten keeps the station in the list too, with the
// cause in the message.
void TestFernsicht::loeschen_data()
{
    QTest::addColumn<int>("antwort");
    QTest::addColumn<QString>("sperre");
    QTest::addColumn<QStringList>("bleibt");
    QTest::newRow("Ja") << int(Antwort::Ja) << "" << QStringList{"ARD", "Öffentlich"};
    QTest::newRow("Nein") << int(Antwort::Nein) << "" << QStringList{"ARD", "BR", "Öffentlich"};
    QTest::newRow("Ordner statt Datei") << int(Antwort::Ja) << "liegt ein Ordner" << QStringList{"ARD", "BR", "Öffentlich"};
    QTest::newRow("Ordner schreibgeschützt") << int(Antwort::Ja) << "schreibgeschützt" << QStringList{"ARD", "BR", "Öffentlich"};
}

void TestFernsicht::loeschen()
{
    QFETCH(int, antwort);
    QFETCH(QString, sperre);
    QFETCH(QStringList, bleibt);
    const bool schreibbar = sperre.isEmpty();
    const QByteArray vorher("c\r\n\xD6" "ffentlich\r\nu3\r\na\r\nARD\r\nu1\r\nb\r\nBR\r\nu2\r\n");
    schreiben(senderDatei(), vorher);
    frmFernsicht w;
    w.show();
    w.Form_Load();
    waehlen(w, QStringLiteral("BR"));
    std::unique_ptr<klang::test::ReadOnlyFolder> schutz;
    if (sperre == QLatin1String("liegt ein Ordner")) {
        QFile::remove(senderDatei());
        QVERIFY(QDir().mkpath(senderDatei()));
    } else if (!schreibbar) {
        schutz = std::make_unique<klang::test::ReadOnlyFolder>(klang::programmPfad());
        QVERIFY(schutz->effective());
    }
    meldungstest::antwortVormerken(Antwort(antwort));
    QTest::keyClick(w.liste(), Qt::Key_Delete);
    QCOMPARE(namen(w), bleibt);
    const auto meldungen = meldungstest::aufrufe();
    QCOMPARE(meldungen.first().titel, QStringLiteral("Sicherheitsabfrage"));
    QCOMPARE(meldungen.first().text, QStringLiteral("TV-Sender löschen?\n\nBR"));
    if (!schreibbar) {
        QCOMPARE(meldungen.last().titel, QStringLiteral("frmFernsicht_lvwSender_KeyUp"));
        QVERIFY2(meldungen.last().text.contains(sperre), qPrintable(meldungen.last().text));
    } else if (antwort == int(Antwort::Ja))
        QCOMPARE(lesen(senderDatei()), QByteArray("a\r\nARD\r\nu1\r\nc\r\n\xD6" "ffentlich\r\nu3\r\n"));
    else
        QCOMPARE(lesen(senderDatei()), vorher);
}

// Keys, Delete and Start with no station chosen neither ask, report nor hide the list.
void TestFernsicht::ohneAuswahlGeschiehtNichts()
{
    frmFernsicht w;
    w.show();
    w.Form_Load();
    QTest::keyClick(w.liste(), Qt::Key_A);
    QTest::keyClick(w.liste(), Qt::Key_Delete);
    w.menue(QStringLiteral("mnuStart"))->trigger();
    QVERIFY(meldungstest::aufrufe().isEmpty());
    QVERIFY(w.liste()->isVisible());
    QCOMPARE(w.player()->playState(), int(PlayState::Undefined));
}

// A double click plays the station (from the local server as MPEG-TS or as an HLS list, or a
// local file): list hidden, position moving, picture size known; "TV-&Senderliste" stops it
// and shows the list again.
void TestFernsicht::lokalerStreamSpieltUndSenderlisteHaeltIhnAn_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("MPEG-TS über HTTP") << "/live.ts";
    QTest::newRow("HLS-Liste") << "/liste.m3u8";
    QTest::newRow("lokale Datei") << "<datei>";
}

void TestFernsicht::lokalerStreamSpieltUndSenderlisteHaeltIhnAn()
{
    QFETCH(QString, url);
    url = url == "<datei>" ? m_video : m_server->url(url);
    schreiben(senderDatei(), "Lokal\r\nServer\r\n" + url.toUtf8() + "\r\n");
    frmFernsicht w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Form_Load();
    QTreeWidgetItem* eintrag = w.liste()->topLevelItem(0);
    const QPoint mitte = w.liste()->visualItemRect(eintrag).center();
    QTest::mouseClick(w.liste()->viewport(), Qt::LeftButton, {}, mitte);
    QTest::mouseDClick(w.liste()->viewport(), Qt::LeftButton, {}, mitte);
    QVERIFY(!w.liste()->isVisible());
    QVERIFY(w.player()->isVisible());
    QCOMPARE(w.panelText(2), QStringLiteral("Server"));
    QTRY_COMPARE_WITH_TIMEOUT(w.player()->playState(), int(PlayState::Playing), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(w.player()->engine()->videoSize(), QSize(320, 240), 5000);
    const double anfang = w.player()->controls().currentPosition();
    QTRY_VERIFY_WITH_TIMEOUT(w.player()->controls().currentPosition() > anfang + 0.3, 5000);
    QCOMPARE(w.player()->volume(), 50);
    QVERIFY(w.statusMeldung().isEmpty());

    w.menue(QStringLiteral("mnuSenderliste"))->trigger();
    QCOMPARE(w.player()->playState(), int(PlayState::Stopped));
    QVERIFY(w.liste()->isVisible());
    QVERIFY(!w.player()->isVisible());
    QVERIFY(meldungstest::aufrufe().isEmpty());
}

// A station that takes its time shows that it connects while the window goes on; going back
// to the list ends the attempt, and no late failure turns up afterwards.
void TestFernsicht::verbindenLaesstSichAbbrechen()
{
    klang::test::StreamServer haengt(QByteArray("nie"));
    haengt.setStumm(true);
    QVERIFY(haengt.starten());
    QVERIFY(senderSchreiben(senderDatei(), {{QStringLiteral("G"), QStringLiteral("Langsam"), haengt.url()}}));
    frmFernsicht w;
    w.show();
    w.Form_Load();
    waehlen(w, QStringLiteral("Langsam"));
    w.mnuStart_Click();
    QTest::qWait(300);
    QCOMPARE(w.statusMeldung(), QStringLiteral("Verbindung zu „Langsam“ wird aufgebaut …"));
    QCOMPARE(w.player()->playState(), int(PlayState::Transitioning));
    QVERIFY(!w.liste()->isVisible());
    w.mnuSenderliste_Click();
    QVERIFY(w.liste()->isVisible());
    QTest::qWait(500);
    QVERIFY(w.statusMeldung().isEmpty());
    QVERIFY(w.liste()->isVisible());
    QCOMPARE(w.player()->playState(), int(PlayState::Stopped));
}

// A station that cannot be reached, a missing file and a recording that ends each bring
// the list back with a German message in the status bar; nothing blocks meanwhile.
void TestFernsicht::endeOderFehlerBringtDieListeZurueck_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("meldung");
    QTest::newRow("unerreichbar") << "http://127.0.0.1:1/tv.ts" << "„Sender“ lässt sich nicht abspielen: keine Verbindung";
    QTest::newRow("Datei fehlt") << "/gibt/es/nicht.ts" << "„Sender“ lässt sich nicht abspielen";
    QTest::newRow("Datei endet") << "<kurz>" << "Die Übertragung von „Sender“ ist zu Ende.";
    QTest::newRow("404") << "<server>/fehlt.ts"
                         << "„Sender“ lässt sich nicht abspielen: Der Server kennt diese Adresse nicht (HTTP-Fehler 404";
    QTest::newRow("403") << "<server>/verboten.ts"
                         << "„Sender“ lässt sich nicht abspielen: Der Server verweigert den Zugriff (HTTP-Fehler 403)";
    QTest::newRow("Übertragung bricht ab") << "<server>/kaputt.ts" << "„Sender“ lässt sich nicht abspielen: Die Übertragung brach vorzeitig ab";
    QTest::newRow("Übertragung bricht nach Bildern ab") << "<server>/abgeschnitten.ts"
                                                        << "Die Übertragung von „Sender“ brach vorzeitig ab.";
    // Within the test's 8 s, not after the 15 s limit.
    QTest::newRow("Wiedergabeliste, Einträge unzulässig") << "<server>/verboten.m3u" << "„Sender“ lässt sich nicht abspielen: ";
    QTest::newRow("Wiedergabeliste") << "<server>/liste.m3u" << "„Sender“ lässt sich nicht abspielen: ";
    QTest::newRow("Ordner") << "<ordner>" << "„Sender“ lässt sich nicht abspielen: „<ordner>“ ist ein Ordner, keine Datei.";
}

void TestFernsicht::endeOderFehlerBringtDieListeZurueck()
{
    QFETCH(QString, url);
    QFETCH(QString, meldung);
    if (url == "<kurz>")
        url = m_kurz;
    if (url == "<ordner>") {
        url = m_dir.path();
        meldung.replace(QStringLiteral("<ordner>"), url);
    }
    if (url.startsWith(QLatin1String("<server>")))
        url = m_server->url(url.mid(8));
    Sender s{QStringLiteral("G"), QStringLiteral("Sender"), url};
    QVERIFY(senderSchreiben(senderDatei(), {s}));
    frmFernsicht w;
    w.show();
    w.Form_Load();
    waehlen(w, s.name);
    w.mnuStart_Click();
    QTRY_VERIFY_WITH_TIMEOUT(w.liste()->isVisible(), 8000);
    const QString gezeigt = w.statusMeldung();
    QVERIFY2(gezeigt.startsWith(meldung), qPrintable(gezeigt));
    // No English of the libraries in between.
    static const QRegularExpression englisch(QStringLiteral("failed|should be|error|stream|loading"),
                                             QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!englisch.match(gezeigt).hasMatch(), qPrintable(gezeigt));
    QVERIFY(meldungstest::aufrufe().isEmpty());
}

// A server that takes the connection and never sends: the attempt is given up after the
// time limit with a German message, the list comes back; a second start does the same.
void TestFernsicht::stummerSenderGibtAuf()
{
    klang::test::StreamServer haengt(QByteArray("nie"));
    haengt.setStumm(true);
    QVERIFY(haengt.starten());
    QVERIFY(senderSchreiben(senderDatei(), {{QStringLiteral("G"), QStringLiteral("Stumm"), haengt.url()}}));
    frmFernsicht w;
    w.setVerbindungsFrist(3000);
    w.show();
    w.Form_Load();
    w.resize(300, 300); // the message is longer than the window is wide
    for (int versuch = 0; versuch < 2; ++versuch) {
        waehlen(w, QStringLiteral("Stumm"));
        w.mnuStart_Click();
        QTest::qWait(800);
        QCOMPARE(w.statusMeldung(), QStringLiteral("Verbindung zu „Stumm“ wird aufgebaut …"));
        QTRY_VERIFY_WITH_TIMEOUT(w.liste()->isVisible(), 6000);
        QCOMPARE(w.statusMeldung(),
                 QStringLiteral("„Stumm“ lässt sich nicht abspielen: Der Sender hat nach 3 Sekunden noch nichts "
                                "gesendet, der Verbindungsaufbau wurde abgebrochen."));
        // All of it can be read: the line wraps within the window and the bar holds every line.
        const auto* zeile = w.statusLeiste()->findChild<QLabel*>(QStringLiteral("Meldung"));
        QVERIFY(zeile && zeile->isVisible());
        QVERIFY(zeile->mapTo(&w, QPoint(zeile->width(), 0)).x() <= w.width());
        QTRY_VERIFY(zeile->height() >= zeile->heightForWidth(zeile->width()));
        QVERIFY(zeile->heightForWidth(zeile->width()) > 2 * zeile->fontMetrics().height());
        QCOMPARE(w.player()->playState(), int(PlayState::Stopped));
    }
}

// Zoom switches the picture's fit; OnTop switches the stay-on-top flag and names the next action.
void TestFernsicht::zoomUndOnTop()
{
    frmFernsicht w;
    w.show();
    QVERIFY(!w.player()->stretchToFit());
    w.menue(QStringLiteral("mnuZoom"))->trigger();
    QVERIFY(w.player()->stretchToFit());
    w.menue(QStringLiteral("mnuZoom"))->trigger();
    QVERIFY(!w.player()->stretchToFit());

    QAction* onTop = w.menue(QStringLiteral("mnuOnTop"));
    QCOMPARE(onTop->text(), QStringLiteral("&OnTop"));
    const WId fenster = w.winId(); // the playing picture's window must survive the switch
    onTop->trigger();
    QVERIFY(w.FensterIstOnTop());
    QVERIFY(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(w.winId(), fenster);
    QCOMPARE(onTop->text(), QStringLiteral("OffTop"));
    QVERIFY(w.isVisible());
    onTop->trigger();
    QVERIFY(!w.FensterIstOnTop());
    QVERIFY(!w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(onTop->text(), QStringLiteral("OnTop"));
}

// Closing a normal window stores its state and place in twips; a maximised one only its
// state; a minimised one nothing. The next start takes them up.
void TestFernsicht::fenstergroesseWirdGespeichert_data()
{
    QTest::addColumn<int>("zustand");
    QTest::newRow("normal") << int(Qt::WindowNoState);
    QTest::newRow("maximiert") << int(Qt::WindowMaximized);
    QTest::newRow("minimiert") << int(Qt::WindowMinimized);
}

void TestFernsicht::fenstergroesseWirdGespeichert()
{
    QFETCH(int, zustand);
    const QString app = QStringLiteral("Fernsicht");
    const QString opt = QStringLiteral("Options");
    klang::SaveSetting(app, opt, QStringLiteral("AusgabeboxWidth"), QStringLiteral("7000"));
    {
        frmFernsicht w;
        w.Form_Load();
        QCOMPARE(w.width(), 7000 / 15);
        w.resize(500, 300);
        w.setWindowState(Qt::WindowState(zustand));
        w.show();
        w.mnuExit_Click();
    }
    const QString breite = klang::GetSetting(app, opt, QStringLiteral("AusgabeboxWidth"));
    const QString stand = klang::GetSetting(app, opt, QStringLiteral("WindowState"), QStringLiteral("-"));
    if (zustand == Qt::WindowNoState) {
        QCOMPARE(stand, QStringLiteral("0"));
        QCOMPARE(breite, QStringLiteral("7500"));
        QCOMPARE(klang::GetSetting(app, opt, QStringLiteral("AusgabeboxHeight")), QStringLiteral("4500"));
        frmFernsicht neu;
        neu.Form_Load();
        QCOMPARE(neu.size(), QSize(500, 300));
    } else if (zustand == Qt::WindowMaximized) {
        QCOMPARE(stand, QStringLiteral("2"));
        QCOMPARE(breite, QStringLiteral("7000"));
        frmFernsicht neu;
        neu.Form_Load();
        QVERIFY(neu.windowState() & Qt::WindowMaximized);
    } else {
        QCOMPARE(stand, QStringLiteral("-"));
    }
    // Damaged sizes leave a window that can still be seen and reached.
    klang::SaveSetting(app, opt, QStringLiteral("WindowState"), QStringLiteral("0"));
    klang::SaveSetting(app, opt, QStringLiteral("AusgabeboxWidth"), QStringLiteral("15"));
    klang::SaveSetting(app, opt, QStringLiteral("AusgabeboxHeight"), QStringLiteral("9999999"));
    frmFernsicht beschaedigt;
    beschaedigt.Form_Load();
    QVERIFY(beschaedigt.width() >= 200);
    QVERIFY(beschaedigt.height() <= QGuiApplication::primaryScreen()->virtualSize().height());
}

void TestFernsicht::hilfe()
{
    frmFernsicht w;
    w.Form_Load();
    QCOMPARE(klang::test::hilfeMitF1(&w), QStringLiteral("fernsicht.html"));
}

QTEST_MAIN(TestFernsicht)
#include "tst_fernsicht.moc"
