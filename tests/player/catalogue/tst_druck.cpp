// The inlay commands of the main window driven through its shortcuts: printing the front
// booklet and the back inlay to PDF, cancel and printer errors, and the preview window.

#include "kit/TestHook.h"
#include "tests/player/catalogue/FensterUmgebung.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "tests/support/CatalogueGenerator.h"
#include "player/catalogue/frmDruckVorschau.h"
#include "platform/printing/Drucker.h"
#include "platform/printing/Inlay.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/shell/Paths.h"
#include "tests/platform/printing/PdfLesen.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace klang::player;

namespace {

QPixmap flaeche(Qt::GlobalColor farbe)
{
    QPixmap p(32, 32);
    p.fill(farbe);
    return p;
}

bool farbeNahe(QRgb c, Qt::GlobalColor farbe)
{
    const QColor soll(farbe);
    return qAbs(qRed(c) - soll.red()) < 40 && qAbs(qGreen(c) - soll.green()) < 40 && qAbs(qBlue(c) - soll.blue()) < 40;
}

} // namespace

class DruckTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FensterUmgebung> m_env;
    std::unique_ptr<Ausgabebox> m_w;
    QString m_pdf;
    int m_dialoge = 0;

    void taste(Qt::Key key)
    {
        QApplication::setActiveWindow(m_w.get());
        QTest::keyClick(m_w.get(), key, Qt::ControlModifier);
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        m_env = std::make_unique<FensterUmgebung>();
        // A record as a user keeps it: stored cover, an external picture, three eBooks and a
        // rich-text track list.
        const QString ordner = m_env->path(QStringLiteral("daten")) + QLatin1Char('/');
        QDir().mkpath(ordner + QStringLiteral("Bilder"));
        QDir().mkpath(ordner + QStringLiteral("eBook"));
        for (const char* name : {"Heft.pdf", "Noten.txt", "Texte.epub"}) {
            QFile buch(ordner + QStringLiteral("eBook/") + QLatin1String(name));
            QVERIFY(buch.open(QIODevice::WriteOnly));
        }
        QVERIFY(flaeche(Qt::blue).save(ordner + QStringLiteral("Bilder/blau.png")));
        QByteArray gelb;
        QBuffer puffer(&gelb);
        puffer.open(QIODevice::WriteOnly);
        flaeche(Qt::yellow).save(&puffer, "PNG");
        const QString katalog = ordner + QStringLiteral("Archiv.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(katalog));
        QVERIFY(klang::test::insertCatalogueRecords(katalog, {{
            {QStringLiteral("Band"), QStringLiteral("Zappa")}, {QStringLiteral("LPTitel"), QStringLiteral("Apostrophe")},
            {QStringLiteral("Bilder"), gelb}, {QStringLiteral("BildPfad"), QStringLiteral("blau.png°")},
            {QStringLiteral("eBook"), QStringLiteral("eBook/Heft.pdf°eBook/Noten.txt°eBook/Texte.epub°")},
            {QStringLiteral("Songs"), QStringLiteral("{\\rtf1\\ansi Cosmik Debris\\par Excentrifugal Forz\\par}")}},
            {{QStringLiteral("Band"), QStringLiteral("ABBA")}, {QStringLiteral("LPTitel"), QStringLiteral("Arrival")}}}));
        setOption(QStringLiteral("ArchivPfad"), katalog);
        m_w = std::make_unique<Ausgabebox>();
        m_w->Form_Load();
        m_w->resize(1100, 900);
        m_w->show();
        QApplication::setActiveWindow(m_w.get());
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
        kit::testhook::clear();
        m_pdf = m_env->path(QStringLiteral("druck")) + QStringLiteral("/inlay.pdf");
        m_dialoge = 0;
        m_w->druckDialog = [this](QPrinter& p) {
            ++m_dialoge;
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(m_pdf);
            return true;
        };
        // Start-up shows a random record: the view follows a record change.
        for (const char* band : {"A", "Z"})
            m_w->MSFlexGrid1->setCurrentIndex(m_w->MSFlexGrid1->model()->index(
                m_w->katalog().ersteZeileMit(QStringLiteral("Band"), QLatin1String(band)), 0));
        QCOMPARE(m_w->TextBand->text(), QStringLiteral("Zappa"));
        QCOMPARE(m_w->cboEbook->count(), 3);
    }
    void cleanup()
    {
        m_w.reset();
        m_env.reset();
    }

    // The printing group stays hidden; the table entry has no command.
    void menueVerborgen()
    {
        for (const char* name : {"MenuDrucken", "mnuBacksitePrint", "mnuVorschauDrucken", "mnuViewBacksitePrint",
                                 "mnuTabelleDrucken"}) {
            auto* a = m_w->findChild<QAction*>(QLatin1String(name));
            QVERIFY2(a && !a->isVisible(), name);
        }
    }

    void vorderseite_data()
    {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<bool>("bild1Sichtbar");
        QTest::addColumn<bool>("gedruckt");
        QTest::addColumn<int>("farbe");
        QTest::newRow("Ja") << "Ja" << true << true << int(Qt::yellow);
        QTest::newRow("Ja, externes Bild") << "Ja" << false << true << int(Qt::blue);
        QTest::newRow("Nein") << "Nein" << true << true << int(Qt::white);
        QTest::newRow("Exit") << "Exit" << true << false << 0;
    }
    // Ctrl+F1 prints the front booklet: the picture shown in the record view, the eBook
    // entries by file name; "Exit" prints nothing.
    void vorderseite()
    {
        QFETCH(QString, antwort);
        QFETCH(bool, bild1Sichtbar);
        QFETCH(bool, gedruckt);
        QFETCH(int, farbe);
        if (!klang::test::popplerDa())
            QSKIP("poppler-utils missing");
        m_w->chkBildpfad->setChecked(!bild1Sichtbar);
        QCOMPARE(m_w->Bild1->isHidden(), !bild1Sichtbar);
        kit::testhook::queueAnswer(antwort);
        taste(Qt::Key_F1);
        QCOMPARE(m_dialoge, 1);
        const auto calls = kit::testhook::calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].prompt, QStringLiteral("Soll das Bild mit ausgedruckt werden?"));
        QCOMPARE(calls[0].title, QStringLiteral("Quarzwerk"));
        QCOMPARE(calls[0].style, 32);
        QCOMPARE(QFile::exists(m_pdf), gedruckt);
        QVERIFY(!QGuiApplication::overrideCursor());
        if (!gedruckt)
            return;
        const QString text = klang::test::pdfText(m_pdf);
        QVERIFY(text.contains(QLatin1String("Multimedia: Heft.pdf")) && text.contains(QLatin1String("Multimedia: Texte.epub")));
        QVERIFY(!text.contains(QLatin1String("eBook")));
        // The middle of the right page, at 36 dpi.
        QPrinter seite;
        seite.setPageOrientation(QPageLayout::Landscape);
        const QRectF druckbar = seite.pageLayout().paintRect(QPageLayout::Inch);
        const QImage bild = klang::test::pdfSeite(m_pdf, 36);
        const QPoint mitte(qRound((druckbar.left() + (10056 + 1300) / 1440.0) * 36), qRound((druckbar.top() + 3902 / 1440.0) * 36));
        QVERIFY(farbeNahe(bild.pixel(mitte), Qt::GlobalColor(farbe)));
    }

    // Cancelling the printer dialog is no error: no question, no file, no report.
    void abbrechen()
    {
        m_w->druckDialog = [this](QPrinter&) { ++m_dialoge; return false; };
        taste(Qt::Key_F1);
        taste(Qt::Key_F3);
        QCOMPARE(m_dialoge, 2);
        QVERIFY(kit::testhook::calls().isEmpty());
        QVERIFY(!QFile::exists(m_pdf));
    }

    void druckerFehler_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("titel");
        QTest::newRow("vorne") << int(Qt::Key_F1) << "Ausgabebox_MenuDrucken_Click";
        QTest::newRow("hinten") << int(Qt::Key_F3) << "Ausgabebox_mnuBacksitePrint_Click";
    }
    // A printer that fails is reported under the command's name; the pointer comes back.
    void druckerFehler()
    {
        QFETCH(int, key);
        QFETCH(QString, titel);
        m_pdf = m_env->path(QStringLiteral("druck")) + QStringLiteral("/fehlt/inlay.pdf");
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        taste(Qt::Key(key));
        const auto calls = kit::testhook::calls();
        QVERIFY(!calls.isEmpty());
        QCOMPARE(calls.last().title, titel);
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(!QFile::exists(m_pdf));
    }

    // A track list longer than the page: what fits is printed, and the last line says how
    // many tracks were left out; a second print of the same record says the same.
    void langeTitelliste()
    {
        if (!klang::test::popplerDa())
            QSKIP("poppler-utils missing");
        QStringList titel;
        for (int i = 1; i <= 200; ++i)
            titel << QStringLiteral("Track %1 Ende").arg(i);
        m_w->TextSongs->setPlainText(titel.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        for (int lauf = 0; lauf < 2; ++lauf) {
            QFile::remove(m_pdf);
            kit::testhook::queueAnswer(QStringLiteral("Nein"));
            taste(Qt::Key_F1);
            const QString text = klang::test::pdfText(m_pdf);
            int letzter = 0;
            for (int i = 1; i <= 200; ++i)
                if (text.contains(QStringLiteral("Track %1 Ende").arg(i)))
                    letzter = i;
            QVERIFY2(letzter > 5 && letzter < 200, qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("%1 weitere Titel passen nicht auf die Seite.").arg(200 - letzter)),
                     qPrintable(text));
        }
        // A list that fits has no such line.
        m_w->TextSongs->setPlainText(titel.mid(0, 3).join(QLatin1Char('\n')));
        QFile::remove(m_pdf);
        kit::testhook::queueAnswer(QStringLiteral("Nein"));
        taste(Qt::Key_F1);
        const QString text = klang::test::pdfText(m_pdf);
        QVERIFY(text.contains(QStringLiteral("Track 3 Ende")));
        QVERIFY(!text.contains(QStringLiteral("passen nicht")));
    }

    // A line break inside a one-line field prints as a blank, not as nothing.
    void einzeiligeFelder_data()
    {
        QTest::addColumn<QString>("wert");
        QTest::newRow("LF") << "Zeile1\nZeile2";
        QTest::newRow("CR LF") << "Zeile1\r\nZeile2";
        QTest::newRow("CR") << "Zeile1\rZeile2";
        QTest::newRow("line separator") << QStringLiteral("Zeile1") + QChar(QChar::LineSeparator) + "Zeile2";
    }
    void einzeiligeFelder()
    {
        QFETCH(QString, wert);
        klang::printing::InlayDaten d;
        d.info = wert;
        d.band = wert;
        d.medium = wert;
        d.ebooks = {wert};
        QStringList zeilen;
        for (const auto& z : klang::printing::textblock(d, 10, 10))
            zeilen << z.text;
        QVERIFY(zeilen.contains(QStringLiteral("Zeile1 Zeile2")));
        QVERIFY(zeilen.contains(QStringLiteral("Info: Zeile1 Zeile2")));
        QVERIFY(zeilen.contains(QStringLiteral("Multimedia: Zeile1 Zeile2")));
        QVERIFY(zeilen.filter(QStringLiteral("Medium: Zeile1 Zeile2\t")).size() == 1);
    }

    // The printer dialog offers no page range: the commands print one page as it is.
    void keinSeitenbereich()
    {
        QPrinter drucker;
        auto dialog = klang::printing::druckerDialogErstellen(drucker, m_w.get());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QVERIFY(dialog->findChild<QWidget*>(QStringLiteral("gbPrintRange"))); // Qt's range group
        // The range sits among the options the user unfolds.
        for (QPushButton* knopf : dialog->findChildren<QPushButton*>())
            if (knopf->text().contains(QLatin1String(">>")))
                knopf->click();
        QVERIFY(dialog->findChild<QWidget*>(QStringLiteral("copies"))->isVisible());
        for (const char* name : {"gbPrintRange", "printRange", "from", "to", "pagesLineEdit", "pageSetCombo"}) {
            QWidget* w = dialog->findChild<QWidget*>(QLatin1String(name));
            QVERIFY2(!w || !w->isVisibleTo(dialog.get()), name);
        }
        dialog->reject();
    }

    // Ctrl+F2 then Ctrl+F4: one window, only the back inlay shows, its picture inside its
    // frame; the drawing survives hiding; Esc on the canvas sets the shared flag.
    void vorschau()
    {
        m_w->chkBildpfad->setChecked(false);
        taste(Qt::Key_F2);
        frmDruckVorschau* fenster = m_w->druckVorschau();
        QVERIFY(fenster && fenster->isVisible());
        QCOMPARE(fenster->windowTitle(), QStringLiteral("Druckvorschau"));
        QCOMPARE(fenster->size(), QSize(640, 366));
        // The picture over the right square (twips / 15).
        QVERIFY(farbeNahe(fenster->picVorschau->bild().pixel(460, 173), Qt::yellow));
        QVERIFY(!farbeNahe(fenster->picVorschau->bild().pixel(150, 173), Qt::yellow));

        taste(Qt::Key_F4);
        QCOMPARE(m_w->druckVorschau(), fenster);
        QTRY_COMPARE(fenster->size(), QSize(410, 366));
        const QImage& bild = fenster->picVorschau->bild();
        QVERIFY(farbeNahe(bild.pixel(180, 150), Qt::yellow));
        // Nothing past the frame's right and bottom edges, nothing left of the front preview.
        QVERIFY(!farbeNahe(bild.pixel(5388 / 15 + 3, 150), Qt::yellow));
        QVERIFY(!farbeNahe(bild.pixel(180, 4550 / 15 + 3), Qt::yellow));
        QVERIFY(!farbeNahe(bild.pixel(380, 100), Qt::yellow));

        fenster->hide();
        fenster->show();
        QVERIFY(farbeNahe(fenster->picVorschau->grab().toImage().pixel(180, 150), Qt::yellow));
        fenster->resize(2, 2);
        QVERIFY(farbeNahe(fenster->picVorschau->grab().toImage().pixel(180, 150), Qt::yellow));

        m_w->EscGedrueckt = false;
        QTest::keyPress(fenster->picVorschau, Qt::Key_Escape);
        QVERIFY(m_w->EscGedrueckt);
        m_w->EscGedrueckt = false;
        QTest::keyRelease(fenster->picVorschau, Qt::Key_Escape);
        QVERIFY(m_w->EscGedrueckt);
        QVERIFY(fenster->isVisible());
    }
};

QTEST_MAIN(DruckTest)
#include "tst_druck.moc"
