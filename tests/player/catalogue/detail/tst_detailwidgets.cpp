#include "kit/Helpers.h"
#include "kit/TestHook.h"
#include "platform/jet/JetLike.h"
#include "platform/richtext/Rtf.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/settings/Settings.h"
#include "player/catalogue/detail/Bildbereich.h"
#include "player/catalogue/detail/CoverStreifen.h"
#include "player/catalogue/detail/Detailansicht.h"
#include "player/catalogue/detail/EbookListe.h"
#include "player/catalogue/detail/Sternreihe.h"
#include "player/catalogue/detail/TextFokus.h"
#include "player/catalogue/detail/TextWerkzeuge.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QToolButton>
#include <QtTest>

using namespace klang::detail;
using klang::richtext::RichTextBox;

namespace {

QByteArray png(const QColor& farbe, int w = 40, int h = 30)
{
    QImage bild(w, h, QImage::Format_RGB32);
    bild.fill(farbe);
    QByteArray daten;
    QBuffer puffer(&daten);
    puffer.open(QIODevice::WriteOnly);
    bild.save(&puffer, "PNG");
    return daten;
}

void schreibe(const QString& pfad, const QByteArray& inhalt)
{
    QDir().mkpath(QFileInfo(pfad).path());
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}

// Selects [start, start + length) of the box.
void waehle(RichTextBox& box, int start, int length)
{
    box.setSelStart(start);
    box.setSelLength(length);
}

void fokusIn(QWidget* w)
{
    QFocusEvent ein(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(w, &ein);
}

QList<kit::testhook::Call> boxen(const QString& art)
{
    QList<kit::testhook::Call> r;
    for (const auto& c : kit::testhook::calls())
        if (c.kind == art)
            r << c;
    return r;
}

} // namespace

class DetailWidgetsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init() { kit::testhook::clear(); }

    // Clicking star k reports k; the row lights what it is given; tool tips " k+1 ".
    void sterne_data();
    void sterne();
    // External pictures: list, first shown, caption, missing entry warns, option folder.
    void bildbereichListe();
    // The stored cover comes from the field, also when wrapped in an object header.
    void bildbereichGespeichert();
    // Left click enlarges with the right edges aligned; a click on the view closes it.
    void bildbereichVergroessern();
    // The picture menu exists with every entry hidden; copying puts the shown picture.
    void bildbereichMenue();
    // The strip fills slots from the folder, a click reports the row and skips the next follow.
    void coverStreifen();
    // eBooks: the last file found is the text; opening passes the file as one argument; no
    // association gives the message and starts nothing.
    void ebookListe();
    // Bold/italic/underline: mixed -> all, all -> none.
    void formatUmschalten_data();
    void formatUmschalten();
    // The reset button gives Segoe UI 10 pt, plain, black, no offset.
    void standardschrift();
    // Bullets: mixed selection warns and changes nothing; otherwise toggles.
    void aufzaehlung();
    // Full-text search through the buttons: proposals, overlapping hits, messages, F6.
    void suche();
    // Cancelled dialogs change nothing and show no error box; a chosen colour applies.
    void dialoge();
    // Font menu: strike-through toggles, offsets, indents ask and store the answer text.
    void schriftMenue();
    // Edited text with umlauts, bold, strike-through, colour and alignment survives RTF.
    void rtfRundreise();
    // Focus: LetzterFokus, font menu state, Esc and Enter handling.
    void fokusUndTasten();
    // A record change drives pictures, eBooks, strip and stars; the option applies from the
    // next record on and is stored; a record star click writes the field.
    void detailansicht();
    // The web-search captions change colour while pressed.
    void webBeschriftungen();
    // What is typed with umlauts is found by the song search's LIKE pattern on the stored RTF.
    void umlautSuche();
    // The song-text pane follows the track only while shown.
    void songTextFolgt();

private:
    std::unique_ptr<klang::test::TestEnvironment> m_env;
};

void DetailWidgetsTest::initTestCase()
{
    m_env = std::make_unique<klang::test::TestEnvironment>();
    kit::testhook::enable();
}

void DetailWidgetsTest::sterne_data()
{
    QTest::addColumn<int>("index");
    for (int k = 0; k < 6; ++k)
        QTest::newRow(qPrintable(QString::number(k))) << k;
}

void DetailWidgetsTest::sterne()
{
    QFETCH(int, index);
    Sternreihe reihe(QStringLiteral("imgCDnote"));
    reihe.show();
    QSignalSpy spy(&reihe, &Sternreihe::sternGeklickt);
    auto* stern = reihe.findChild<QLabel*>(QStringLiteral("imgCDnote_%1").arg(index));
    QVERIFY(stern);
    QCOMPARE(stern->toolTip(), QStringLiteral(" %1 ").arg(index + 1));
    QTest::mouseClick(stern, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), index);
    QTest::mouseClick(stern, Qt::RightButton);
    QCOMPARE(spy.count(), 1);
    reihe.setSterne(index + 1);
    for (int k = 0; k < 6; ++k)
        QCOMPARE(reihe.stern(k)->property("leuchtend").toBool(), k <= index);
    reihe.setSterne(7);
    QCOMPARE(reihe.sterne(), 0);
}

void DetailWidgetsTest::bildbereichListe()
{
    QTemporaryDir db;
    schreibe(db.filePath("Bilder/rot.png"), png(Qt::red));
    schreibe(db.filePath("Bilder/blau.png"), png(Qt::blue));
    schreibe(db.filePath("woanders/blau.png"), png(Qt::green));
    Bildbereich b;
    b.setDatenbankPfad(db.path() + "/");
    b.setAusDatenbankpfad(true);
    b.show();
    b.setBildpfadFeld(QStringLiteral("/x/rot.png°/y/fehlt.png°blau.png°"));
    QVERIFY(!b.imgBildpfad->isVisibleTo(&b));
    QVERIFY(!b.cboBildpfad->isEnabled());
    QSignalSpy umgeschaltet(&b, &Bildbereich::externeBilderUmgeschaltet);
    b.chkBildpfad->click();
    QCOMPARE(umgeschaltet.count(), 1);
    QVERIFY(b.imgBildpfad->isVisibleTo(&b));
    QVERIFY(!b.Bild1->isVisibleTo(&b));
    QVERIFY(b.cboBildpfad->isEnabled());
    QCOMPARE(b.cboBildpfad->count(), 2);
    QCOMPARE(b.cboBildpfad->currentText(), db.path() + "/Bilder/rot.png");
    QCOMPARE(b.chkBildpfad->text(), QStringLiteral("2 externe Cover"));
    QCOMPARE(b.aktuellesBild().pixelColor(1, 1), QColor(Qt::red));

    // The option off: items as written, relative ones from the database folder.
    b.setAusDatenbankpfad(false);
    b.setBildpfadFeld(QStringLiteral("woanders/blau.png°"));
    QCOMPARE(b.chkBildpfad->text(), QStringLiteral("1 externes Cover"));
    QCOMPARE(b.aktuellesBild().pixelColor(1, 1), QColor(Qt::green));
    b.setBildpfadFeld(QStringLiteral("   "));
    QCOMPARE(b.chkBildpfad->text(), QStringLiteral("kein externes Bild"));
    QCOMPARE(b.cboBildpfad->count(), 0);
    QVERIFY(b.aktuellesBild().isNull());

    // Choosing an entry whose file went away warns and keeps the picture.
    b.setBildpfadFeld(QStringLiteral("woanders/blau.png°"));
    QFile::remove(db.filePath("woanders/blau.png"));
    b.cboBildpfad_Click(0);
    const auto meldungen = boxen("MsgFenn");
    QCOMPARE(meldungen.size(), 1);
    QCOMPARE(meldungen.first().prompt, QStringLiteral("Bild nicht gefunden\n\n") + db.path() + "/woanders/blau.png");
    QCOMPARE(meldungen.first().title, QStringLiteral("Bild laden und anzeigen"));
    QCOMPARE(meldungen.first().style, 3);
    QCOMPARE(meldungen.first().backColor, qint64(0xC0E0FF));
    QCOMPARE(b.aktuellesBild().pixelColor(1, 1), QColor(Qt::green));

    QSignalSpy fokus(&b, &Bildbereich::fokusErhalten);
    fokusIn(b.cboBildpfad);
    QCOMPARE(fokus.count(), 1);
    QCOMPARE(fokus.at(0).at(0).toString(), QStringLiteral("cboBildpfad"));
}

void DetailWidgetsTest::bildbereichGespeichert()
{
    Bildbereich b;
    b.setGespeichertesBild(png(Qt::yellow));
    QCOMPARE(b.aktuellesBild().pixelColor(0, 0), QColor(Qt::yellow));
    QVERIFY(!b.Bild1->pixmap().isNull());
    b.setGespeichertesBild(QByteArray("OLE-Kopf\x15\x1c\0\0Paket", 17) + png(Qt::cyan) + QByteArray("rest"));
    QCOMPARE(b.aktuellesBild().pixelColor(0, 0), QColor(Qt::cyan));
    b.setGespeichertesBild(QByteArray("kein Bild, nur BM und Text \xFF\xD8\xFF kaputt"));
    QVERIFY(b.aktuellesBild().isNull());
    QVERIFY(b.Bild1->pixmap().isNull());
    b.setGespeichertesBild({});
    QVERIFY(b.aktuellesBild().isNull());
}

void DetailWidgetsTest::bildbereichVergroessern()
{
    QWidget fenster;
    fenster.resize(1000, 800);
    auto* b = new Bildbereich(&fenster);
    b->move(600, 50);
    b->setVergroesserungsFlaeche(&fenster);
    b->setGespeichertesBild(png(Qt::magenta, 400, 300));
    fenster.show();
    QVERIFY(!b->istVergroessert());
    QTest::mouseClick(b->Bild1, Qt::LeftButton);
    QVERIFY(b->istVergroessert());
    QLabel* gross = b->picCoverGreat;
    QCOMPARE(gross->parentWidget(), &fenster);
    const QPoint bildRechtsOben = b->Bild1->mapTo(&fenster, QPoint(b->Bild1->width(), 0));
    QCOMPARE(gross->geometry().right() + 1, bildRechtsOben.x());
    QCOMPARE(gross->geometry().top(), bildRechtsOben.y());
    QVERIFY(gross->width() > b->Bild1->width()); // enlarged
    QCOMPARE(gross->palette().color(QPalette::Window), QColor(0xE3, 0xEA, 0xF4));
    // A record change while enlarged shows the new picture.
    b->setGespeichertesBild(png(Qt::darkGreen, 400, 300));
    b->vergroesserungAuffrischen();
    QCOMPARE(gross->pixmap().toImage().pixelColor(5, 5), QColor(Qt::darkGreen));
    QTest::mouseClick(b->Bild1, Qt::RightButton); // the menu has nothing to show
    QTest::mouseClick(gross, Qt::LeftButton);
    QVERIFY(!b->istVergroessert());
    QVERIFY(gross->pixmap().isNull());
}

void DetailWidgetsTest::bildbereichMenue()
{
    Bildbereich b;
    QCOMPARE(b.mnuBild->objectName(), QStringLiteral("mnuBild"));
    QCOMPARE(b.mnuBild->defaultAction(), b.MenuBildkopieren);
    for (QAction* a : b.mnuBild->actions())
        QVERIFY2(!a->isVisible(), qPrintable(a->objectName()));
    QCOMPARE(b.MenuBildkopieren->text(), QStringLiteral("Cover &kopieren"));
    b.setGespeichertesBild(png(Qt::blue));
    b.MenuBildkopieren_Click();
    const QImage abgelegt = QGuiApplication::clipboard()->image();
    if (abgelegt.isNull())
        QSKIP("this platform has no clipboard");
    QCOMPARE(abgelegt.pixelColor(0, 0), QColor(Qt::blue));
}

void DetailWidgetsTest::coverStreifen()
{
    QTemporaryDir db;
    const QList<BandTitel> zeilen{{"Abba", "Gold"}, {"Nena", "99"}, {"Kraftwerk", "Computerwelt"}};
    schreibe(db.filePath("Bilder/Abba - Gold.png"), png(Qt::red));
    schreibe(db.filePath("Bilder/Kraftwerk - Computerwelt.png"), png(Qt::blue));
    schreibe(db.filePath("Bilder/nena - 99.png"), png(Qt::green));
    CoverStreifen s;
    s.setCoverOrdner(db.filePath("Bilder"));
    s.setZeilen(zeilen);
    s.CoverAktualisieren(1900 + 6 * 970);
    QCOMPARE(s.lstCover->count(), 2);
    QCOMPARE(s.regeln().letzterSlot(), 1);
    QCOMPARE(s.slot(0)->property("belegt").toBool(), true);
    QCOMPARE(s.slot(0)->frameShape(), QFrame::Box);
    QVERIFY(!s.slot(0)->pixmap().isNull());
    QCOMPARE(s.slot(2)->property("belegt").toBool(), false);
    QCOMPARE(s.slot(2)->frameShape(), QFrame::NoFrame);
    QCOMPARE(s.findChildren<QLabel*>(QRegularExpression("^imgCover_\\d+$")).size(), 22);

    s.show();
    QSignalSpy wahl(&s, &CoverStreifen::zeileWaehlen);
    QTest::mouseClick(s.slot(1), Qt::LeftButton);
    QCOMPARE(wahl.count(), 1);
    QCOMPARE(wahl.at(0).at(0).toInt(), 2); // Kraftwerk's row
    QTest::mouseClick(s.slot(5), Qt::LeftButton); // empty slot
    QCOMPARE(wahl.count(), 1);

    s.imgCover_DblClick(0);
    const auto meldungen = boxen("MsgFenn");
    QCOMPARE(meldungen.size(), 1);
    QCOMPARE(meldungen.first().prompt, QStringLiteral("Abba - Gold"));
    QCOMPARE(meldungen.first().title, QStringLiteral("Mini-Cover"));
    QCOMPARE(meldungen.first().style, 1);
}

void DetailWidgetsTest::ebookListe()
{
    QTemporaryDir db;
    schreibe(db.filePath("eBook/Heft eins.pdf"), "%PDF");
    schreibe(db.filePath("eBook/Video.mp4"), "v");
    EbookListe e;
    e.setDatenbankPfad(db.path() + "/");
    QSignalSpy beschriftung(&e, &EbookListe::beschriftungGeaendert);
    e.eBookListe(QStringLiteral("C:\\Docs\\Heft eins.pdf°fehlt.pdf°Video.mp4°"));
    QCOMPARE(e.cboEbook->count(), 2);
    QCOMPARE(e.cboEbook->currentText(), db.path() + "/eBook/Video.mp4");
    QCOMPARE(beschriftung.last().at(0).toString(), QStringLiteral("eBook u. Multimedia (2)"));

    QStringList gestartet;
    e.setZuordnung([](const QString& d) { return d.endsWith(".pdf") ? QStringLiteral("/usr/bin/leser") : QString(); });
    e.setStarter([&gestartet](const QString& prog, const QString& datei) {
        gestartet << prog << datei;
        return true;
    });
    e.cboEbook->setCurrentIndex(0);
    QVERIFY(e.imgEbookPlay_Click());
    QCOMPARE(gestartet, (QStringList{"/usr/bin/leser", db.path() + "/eBook/Heft eins.pdf"}));
    QVERIFY(boxen("MsgFenn").isEmpty());

    gestartet.clear();
    e.cboEbook->setCurrentIndex(1);
    QVERIFY(!e.imgEbookPlay_Click());
    QVERIFY(gestartet.isEmpty());
    const auto meldungen = boxen("MsgFenn");
    QCOMPARE(meldungen.size(), 1);
    QCOMPARE(meldungen.first().prompt,
             QStringLiteral("Keine assoziierte Anwendung zu diesem Dateityp ermittelt.\n\nVideo.mp4"));
    QCOMPARE(meldungen.first().title, QStringLiteral("Buchbox_imgEbookPlay_Click"));

    e.eBookListe(QStringLiteral("  "));
    QCOMPARE(e.cboEbook->count(), 0);
    QCOMPARE(e.beschriftung(), QStringLiteral("eBook u. Multimedia (0)"));
    QVERIFY(!e.imgEbookPlay_Click());
}

void DetailWidgetsTest::formatUmschalten_data()
{
    QTest::addColumn<int>("knopf");
    QTest::newRow("Fett") << 3;
    QTest::newRow("Kursiv") << 4;
    QTest::newRow("Unterstrichen") << 5;
}

void DetailWidgetsTest::formatUmschalten()
{
    QFETCH(int, knopf);
    RichTextBox box;
    TextWerkzeuge w;
    w.setZiel(&box);
    box.setText(QStringLiteral("Lieder und Texte"));
    auto lesen = [&]() -> std::optional<bool> {
        return knopf == 3 ? box.selBold() : knopf == 4 ? box.selItalic() : box.selUnderline();
    };
    waehle(box, 0, 6);
    w.ButtonText_Click(knopf); // set on "Lieder"
    waehle(box, 0, 10);         // partly formatted
    QCOMPARE(lesen(), std::optional<bool>());
    QCOMPARE(w.button(knopf)->toolTip(),
             QStringList({"Fett", "Kursiv", "Unterstrichen"}).at(knopf - 3));
    w.button(knopf)->click();
    QCOMPARE(lesen(), std::optional<bool>(true));
    w.button(knopf)->click();
    QCOMPARE(lesen(), std::optional<bool>(false));
}

void DetailWidgetsTest::standardschrift()
{
    RichTextBox box;
    TextWerkzeuge w;
    w.setZiel(&box);
    box.setText(QStringLiteral("Hallo"));
    waehle(box, 0, 5);
    box.setSelBold(true);
    box.setSelItalic(true);
    box.setSelStrikeThru(true);
    box.setSelColor(Qt::red);
    box.setSelFontSize(20);
    box.setSelCharOffset(30);
    w.ButtonText_Click(2);
    QCOMPARE(box.selFontName(), std::optional<QString>(QStringLiteral("Segoe UI")));
    QCOMPARE(box.selFontSize(), std::optional<double>(10));
    QCOMPARE(box.selBold(), std::optional<bool>(false));
    QCOMPARE(box.selItalic(), std::optional<bool>(false));
    QCOMPARE(box.selUnderline(), std::optional<bool>(false));
    QCOMPARE(box.selStrikeThru(), std::optional<bool>(false));
    QCOMPARE(box.selColor(), std::optional<QColor>(QColor(Qt::black)));
    QCOMPARE(box.selCharOffset(), std::optional<int>(0));
}

void DetailWidgetsTest::aufzaehlung()
{
    QWidget fenster;
    auto* box = new RichTextBox(&fenster);
    auto* w = new TextWerkzeuge(&fenster);
    w->setZiel(box);
    box->setText(QStringLiteral("eins\nzwei\ndrei"));
    waehle(*box, 0, 3);
    w->ButtonText_Click(11);
    QCOMPARE(box->selBullet(), std::optional<bool>(true));
    waehle(*box, 0, 8); // first two paragraphs: one with, one without
    w->ButtonText_Click(11);
    const auto meldungen = boxen("MsgFenn");
    QCOMPARE(meldungen.size(), 1);
    QCOMPARE(meldungen.first().prompt,
             QStringLiteral("Absätze mit und ohne Aufzählungspunkten wurden markiert, das geht nicht."));
    QCOMPARE(meldungen.first().title, QStringLiteral("Aufzählungsstil mit Punkten"));
    QCOMPARE(box->selBullet(), std::optional<bool>()); // unchanged: still mixed
    waehle(*box, 0, 1);
    w->ButtonText_Click(11);
    QCOMPARE(box->selBullet(), std::optional<bool>(false));
    w->ButtonText_Click(13);
    QCOMPARE(box->selAlignment(), std::optional<RichTextBox::Alignment>(RichTextBox::Alignment::Center));
}

void DetailWidgetsTest::suche()
{
    RichTextBox box;
    TextWerkzeuge w;
    w.setZiel(&box);
    box.setText(QStringLiteral("aAaa"));

    // Search next before any search asks for the text instead of failing.
    kit::testhook::queueAnswer(QStringLiteral("aa"));
    w.ButtonText_Click(8);
    QCOMPARE(boxen("InputFenn").size(), 1);
    QCOMPARE(boxen("InputFenn").first().prompt, QStringLiteral("Suchtext eingeben"));
    QCOMPARE(boxen("InputFenn").first().title, QStringLiteral("Suchbox"));
    QCOMPARE(box.selStart(), 0);
    QCOMPARE(box.selLength(), 2);
    w.ButtonText_Click(8);
    QCOMPARE(box.selStart(), 1);
    w.ButtonText_Click(8);
    QCOMPARE(box.selStart(), 2);
    w.ButtonText_Click(8);
    w.ButtonText_Click(8);
    auto meldungen = boxen("MsgFenn");
    QCOMPARE(meldungen.size(), 2);
    QCOMPARE(meldungen.at(0).prompt, QStringLiteral("Alles durchsucht, Suche beendet."));
    QCOMPARE(meldungen.at(1).title, QStringLiteral("aa"));
    QCOMPARE(meldungen.at(1).backColor, qint64(0xF4EAE3));

    // A selection is proposed; without one, the last search text.
    kit::testhook::clear();
    waehle(box, 1, 3);
    w.ButtonText_Click(7); // empty answer: nothing happens
    QCOMPARE(boxen("InputFenn").first().defaultText, QStringLiteral("Aaa"));
    QVERIFY(boxen("MsgFenn").isEmpty());
    box.setSelStart(0);
    kit::testhook::queueAnswer(QStringLiteral("xyz"));
    w.ButtonText_Click(7);
    QCOMPARE(boxen("InputFenn").last().defaultText, QStringLiteral("aa"));
    QCOMPARE(boxen("MsgFenn").last().prompt, QStringLiteral("xyz nicht gefunden"));
    QCOMPARE(boxen("MsgFenn").last().title, QStringLiteral("Volltextsuche"));
}

void DetailWidgetsTest::dialoge()
{
    RichTextBox box;
    TextWerkzeuge w;
    w.setZiel(&box);
    box.setText(QStringLiteral("Farbe"));
    waehle(box, 0, 5);
    QFont gesehen;
    w.setSchriftDialog([&gesehen](const QFont& start, QWidget*) -> std::optional<QFont> {
        gesehen = start;
        return std::nullopt;
    });
    w.setFarbDialog([](const QColor&, QWidget*) -> std::optional<QColor> { return std::nullopt; });
    const QString vorher = box.rtfText();
    w.ButtonText_Click(0);
    w.ButtonText_Click(1);
    QCOMPARE(box.rtfText(), vorher);
    QVERIFY(kit::testhook::calls().isEmpty());
    QCOMPARE(gesehen.family(), QStringLiteral("Segoe UI"));
    QCOMPARE(gesehen.pointSizeF(), 12.0);

    w.setFarbDialog([](const QColor&, QWidget*) -> std::optional<QColor> { return QColor(0x11, 0x22, 0x33); });
    w.ButtonText_Click(1);
    QCOMPARE(box.selColor(), std::optional<QColor>(QColor(0x11, 0x22, 0x33)));
    w.setSchriftDialog([](const QFont&, QWidget*) -> std::optional<QFont> {
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPointSizeF(14);
        f.setStrikeOut(true);
        f.setBold(true);
        return f;
    });
    w.ButtonText_Click(0);
    QCOMPARE(box.selFontName(), std::optional<QString>(QStringLiteral("DejaVu Serif")));
    QCOMPARE(box.selFontSize(), std::optional<double>(14));
    QCOMPARE(box.selStrikeThru(), std::optional<bool>(true));
    QCOMPARE(box.selBold(), std::optional<bool>(true));
    QCOMPARE(box.selItalic(), std::optional<bool>(false));
}

void DetailWidgetsTest::schriftMenue()
{
    RichTextBox box;
    TextWerkzeuge w;
    w.setZiel(&box);
    box.setText(QStringLiteral("Wasser H2O"));
    waehle(box, 0, 6);
    w.mnuSchriftDurchstrichen_Click();
    QCOMPARE(box.selStrikeThru(), std::optional<bool>(true));
    w.mnuSchriftDurchstrichen_Click();
    QCOMPARE(box.selStrikeThru(), std::optional<bool>(false));
    waehle(box, 8, 1);
    w.mnuSchriftTiefgestellt_Click();
    QCOMPARE(box.selCharOffset(), std::optional<int>(-30));
    w.mnuSchriftHochgestellt_Click();
    w.mnuSchriftHochgestellt_Click();
    QCOMPARE(box.selCharOffset(), std::optional<int>(30));

    const QString app = QStringLiteral("KlangtruhePlayer");
    kit::testhook::queueAnswer(QStringLiteral("abc"));
    w.mnuRandLinks_Click();
    QCOMPARE(boxen("InputFenn").last().defaultText, QStringLiteral("50"));
    QCOMPARE(boxen("InputFenn").last().title, QStringLiteral("Texteinzug links"));
    QCOMPARE(box.selIndent(), std::optional<int>(0));
    QCOMPARE(klang::GetSetting(app, "Options", "SeitenrandLinks"), QStringLiteral("abc"));
    kit::testhook::queueAnswer(QStringLiteral("600"));
    w.mnuRandLinks_Click();
    QCOMPARE(boxen("InputFenn").last().defaultText, QStringLiteral("0"));
    QCOMPARE(box.selIndent(), std::optional<int>(600));
    kit::testhook::queueAnswer(QStringLiteral("300"));
    w.mnuRandRechts_Click();
    QCOMPARE(boxen("InputFenn").last().defaultText, QStringLiteral("100"));
    QCOMPARE(boxen("InputFenn").last().prompt,
             QStringLiteral("Wie weit soll der Text vom rechten Textrand entfernt sein?"));
    QCOMPARE(box.selRightIndent(), std::optional<int>(300));
    w.mnuRandRechts_Click(); // empty answer: nothing changes
    QCOMPARE(box.selRightIndent(), std::optional<int>(300));
    QCOMPARE(klang::GetSetting(app, "Options", "SeitenrandRechts"), QStringLiteral("300"));
    // The main window's hidden menu entries reach the same commands.
    QWidget fenster;
    auto* durch = new QAction(&fenster);
    durch->setObjectName(QStringLiteral("mnuSchriftDurchstrichen"));
    w.menueVerbinden(&fenster);
    w.menueVerbinden(&fenster); // connecting twice must not toggle twice
    waehle(box, 0, 6);
    durch->trigger();
    QCOMPARE(box.selStrikeThru(), std::optional<bool>(true));
    kit::testhook::queueAnswer(QStringLiteral("1e99"));
    w.mnuRandLinks_Click(); // absurd numbers are bounded, never overflow
    QVERIFY(box.selIndent().value_or(-1) > 0);
}

void DetailWidgetsTest::rtfRundreise()
{
    RichTextBox box;
    TextWerkzeuge w;
    w.setZiel(&box);
    box.setFocus();
    for (const QChar zeichen : QStringLiteral("Mädchen singt")) { // typed, as a user would
        QKeyEvent druck(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(zeichen));
        QCoreApplication::sendEvent(&box, &druck);
    }
    waehle(box, 0, 7);
    w.ButtonText_Click(3);
    w.mnuSchriftDurchstrichen_Click();
    w.setFarbDialog([](const QColor&, QWidget*) -> std::optional<QColor> { return QColor(Qt::blue); });
    w.ButtonText_Click(1);
    w.ButtonText_Click(14);
    const QString rtf = box.rtfText();
    QVERIFY2(rtf.contains(QLatin1String("M\\'e4dchen")), qPrintable(rtf));
    QVERIFY(!rtf.contains(QChar(0xE4)));

    RichTextBox wieder;
    wieder.setRtfText(rtf);
    QCOMPARE(wieder.text(), QStringLiteral("Mädchen singt"));
    waehle(wieder, 0, 7);
    QCOMPARE(wieder.selBold(), std::optional<bool>(true));
    QCOMPARE(wieder.selStrikeThru(), std::optional<bool>(true));
    QCOMPARE(wieder.selColor(), std::optional<QColor>(QColor(Qt::blue)));
    QCOMPARE(wieder.selAlignment(), std::optional<RichTextBox::Alignment>(RichTextBox::Alignment::Right));
    waehle(wieder, 8, 5);
    QCOMPARE(wieder.selBold(), std::optional<bool>(false));
    QCOMPARE(klang::richtext::rtfToPlainText(rtf), QStringLiteral("Mädchen singt"));
}

void DetailWidgetsTest::fokusUndTasten()
{
    QWidget fenster;
    auto* band = new QLineEdit(&fenster);
    band->setObjectName(QStringLiteral("TextBand"));
    auto* stil = new QLineEdit(&fenster);
    stil->setObjectName(QStringLiteral("TextStil"));
    auto* songs = new RichTextBox(&fenster);
    songs->setObjectName(QStringLiteral("TextSongs"));
    auto* info = new RichTextBox(&fenster);
    info->setObjectName(QStringLiteral("rtfInfo"));
    auto* songText = new RichTextBox(&fenster);
    songText->setObjectName(QStringLiteral("txtSongText"));
    auto* ohne = new QLineEdit(&fenster);
    ohne->setObjectName(QStringLiteral("txtSuche"));
    TextFokus f;
    f.einrichten(&fenster);
    fenster.show();

    QSignalSpy schrift(&f, &TextFokus::schriftMenueAktiv);
    QSignalSpy esc(&f, &TextFokus::escGedrueckt);
    fokusIn(band);
    QCOMPARE(f.letzterFokus(), QStringLiteral("TextBand"));
    QVERIFY(schrift.isEmpty());
    fokusIn(songs);
    QCOMPARE(f.letzterFokus(), QStringLiteral("TextSongs"));
    QCOMPARE(schrift.last().at(0).toBool(), true);
    QFocusEvent aus(QEvent::FocusOut, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(songs, &aus);
    QCOMPARE(schrift.last().at(0).toBool(), false);

    QTest::keyClick(songs, Qt::Key_Escape);
    QTest::keyClick(info, Qt::Key_Escape);
    QCOMPARE(esc.count(), 2);
    QTest::keyClick(band, Qt::Key_Escape);
    QCOMPARE(esc.count(), 2);
    fokusIn(info); // rtfInfo: recorded, but the font menu stays off
    QCOMPARE(f.letzterFokus(), QStringLiteral("rtfInfo"));
    QCOMPARE(schrift.last().at(0).toBool(), false);
    fokusIn(ohne); // not a detail field
    QCOMPARE(f.letzterFokus(), QStringLiteral("rtfInfo"));

    QSignalSpy enter(stil, &QLineEdit::returnPressed);
    QTest::keyClick(stil, Qt::Key_Return);
    QCOMPARE(enter.count(), 0);
    QSignalSpy enterBand(band, &QLineEdit::returnPressed);
    QTest::keyClick(band, Qt::Key_Return);
    QCOMPARE(enterBand.count(), 1);

    QVERIFY(!songText->isHidden());
    QTest::keyClick(songText, Qt::Key_Escape);
    QVERIFY(songText->isHidden());
    QCOMPARE(esc.count(), 2);
    TextFokus::songTextUmschalten(songText);
    QVERIFY(!songText->isHidden());
    TextFokus::songTextUmschalten(songText);
    QVERIFY(songText->isHidden());
}

void DetailWidgetsTest::songTextFolgt()
{
    QWidget fenster;
    auto* pane = new RichTextBox(&fenster);
    pane->setText(QStringLiteral("Album\n01 Auftakt.mp3\nText eins\n02 Intro - 4.mp3\nText zwei"));
    fenster.show();
    pane->setVisible(false);
    pane->setSelStart(3);
    TextFokus::TextSongAktualisieren(pane, QStringLiteral("02 Intro - 4.mp3"));
    QCOMPARE(pane->selStart(), 3);
    pane->setVisible(true);
    TextFokus::TextSongAktualisieren(pane, QStringLiteral("02 intro - 4.MP3"));
    QCOMPARE(pane->selStart(), 31);
    TextFokus::TextSongAktualisieren(pane, QStringLiteral("03 Fehlt.mp3"));
    QCOMPARE(pane->selStart(), int(pane->text().size()));
}

void DetailWidgetsTest::detailansicht()
{
    QTemporaryDir db;
    schreibe(db.filePath("Bilder/Abba - Gold.png"), png(Qt::red));
    schreibe(db.filePath("Bilder/Nena - 99.png"), png(Qt::blue));
    schreibe(db.filePath("eBook/heft.pdf"), "%PDF");
    schreibe(db.filePath("nah/Abba - Gold.png"), png(Qt::green));
    Bildbereich bild;
    CoverStreifen cover;
    EbookListe ebook;
    Sternreihe platte(QStringLiteral("imgCDnote"));
    Sternreihe track(QStringLiteral("imgSongNote"));
    Detailansicht d;
    d.setBildbereich(&bild);
    d.setCoverStreifen(&cover);
    d.setEbookListe(&ebook);
    d.setSterne(&platte, &track);
    d.setDatenbankPfad(db.path() + "/");
    d.setAusDatenbankpfad(true);
    cover.setZeilen({{"Abba", "Gold"}, {"Nena", "99"}});
    cover.CoverAktualisieren(1900); // one slot
    bild.setExterneBilder(true);

    d.bewertungTracks(QStringLiteral("Intro - 4.mp3"));
    d.datensatzGewechselt({png(Qt::yellow), "nah/Abba - Gold.png°", "heft.pdf°", "Nena", "99", "5"});
    QCOMPARE(bild.chkBildpfad->text(), QStringLiteral("1 externes Cover"));
    QCOMPARE(bild.aktuellesBild().pixelColor(0, 0), QColor(Qt::red)); // looked up in Bilder/
    QCOMPARE(ebook.beschriftung(), QStringLiteral("eBook u. Multimedia (1)"));
    QCOMPARE(cover.regeln().nameInSlot(0), QStringLiteral("Nena - 99"));
    QCOMPARE(platte.sterne(), 5);
    QCOMPARE(track.sterne(), 4);

    // The next record has no rating: its stars must not keep the 5, whatever the track says.
    d.bewertungTracks(QStringLiteral("Song - 8.mp3"));
    d.datensatzGewechselt({{}, "", "", "Abba", "Gold", ""});
    QCOMPARE(platte.sterne(), 0);
    QCOMPARE(track.sterne(), 0);
    QCOMPARE(cover.regeln().nameInSlot(0), QStringLiteral("Abba - Gold"));

    // The option: stored at once, applied from the next record change.
    d.datensatzGewechselt({{}, "nah/Abba - Gold.png°", "", "Abba", "Gold", "2"});
    QCOMPARE(bild.aktuellesBild().pixelColor(0, 0), QColor(Qt::red));
    d.mnuBildDatenbankpfad_Click();
    QCOMPARE(klang::GetSetting("KlangtruhePlayer", "Options", "BildLadePfad"), QStringLiteral("False"));
    QCOMPARE(bild.aktuellesBild().pixelColor(0, 0), QColor(Qt::red));
    d.datensatzGewechselt({{}, "nah/Abba - Gold.png°", "", "Abba", "Gold", "2"});
    QCOMPARE(bild.aktuellesBild().pixelColor(0, 0), QColor(Qt::green));
    d.mnuBildDatenbankpfad_Click();
    QCOMPARE(klang::GetSetting("KlangtruhePlayer", "Options", "BildLadePfad"), QStringLiteral("True"));

    QSignalSpy feld(&d, &Detailansicht::bewertungGeaendert);
    platte.show();
    QTest::mouseClick(platte.stern(0), Qt::LeftButton);
    QCOMPARE(feld.count(), 1);
    QCOMPARE(feld.at(0).at(0).toString(), QStringLiteral("1"));
    QCOMPARE(platte.sterne(), 1);
    QCOMPARE(d.bewertung(), QStringLiteral("1"));
}

void DetailWidgetsTest::webBeschriftungen()
{
    QWidget fenster;
    auto* bez = new QLabel(QStringLiteral("Band"), &fenster);
    bez->setObjectName(QStringLiteral("Bez_1"));
    auto* anderes = new QLabel(QStringLiteral("Preis"), &fenster);
    anderes->setObjectName(QStringLiteral("Bez_2"));
    TextFokus f;
    f.einrichten(&fenster);
    fenster.show();
    const QColor vorher = anderes->palette().color(QPalette::WindowText);
    QTest::mousePress(bez, Qt::LeftButton);
    QCOMPARE(bez->palette().color(QPalette::WindowText), QColor(0xFF, 0x00, 0xFF));
    QTest::mouseRelease(bez, Qt::LeftButton);
    QCOMPARE(bez->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xFF));
    QTest::mousePress(anderes, Qt::LeftButton);
    QCOMPARE(anderes->palette().color(QPalette::WindowText), vorher);
}

void DetailWidgetsTest::umlautSuche()
{
    RichTextBox box;
    box.setText(QStringLiteral("Das Mädchen und der Bär"));
    const QString rtf = box.rtfText();
    QString muster = QStringLiteral("Mädchen");
    kit::UmlautSuchmuster(muster);
    QVERIFY(klang::jet::jetLike(rtf, QStringLiteral("*") + muster + QStringLiteral("*")));
    QString fremd = QStringLiteral("Mädels");
    kit::UmlautSuchmuster(fremd);
    QVERIFY(!klang::jet::jetLike(rtf, QStringLiteral("*") + fremd + QStringLiteral("*")));
}

QTEST_MAIN(DetailWidgetsTest)
#include "tst_detailwidgets.moc"
