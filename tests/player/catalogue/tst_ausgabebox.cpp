// The main window driven through its real widgets: start-up, letter buttons, header sort,
// column dialog, opening catalogues, the recent list and edits saved on close.

#include "kit/Helpers.h"
#include "tests/player/catalogue/FensterUmgebung.h"
#include "kit/TestHook.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/AusgabeboxSpieler.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "kit/FormPlatzieren.h"
#include "player/catalogue/Fensterlayout.h"
#include "player/catalogue/frmSpaltenAnordnen.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetFunctions.h"
#include "platform/jet/Recordset.h"
#include "platform/richtext/Rtf.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/shell/Paths.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unveraenderlich.h"
#include "tests/support/WavWriter.h"

#include <QAction>
#include <QDialog>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QScopeGuard>
#include <QThread>
#include <QtTest>

#include <memory>

using namespace klang::player;

namespace {

QVariantMap satz(const QString& band, const QString& titel, const QString& stil, const QString& bewertung)
{
    return {{QStringLiteral("Band"), band}, {QStringLiteral("LPTitel"), titel},
            {QStringLiteral("Stil"), stil}, {QStringLiteral("Bewertung"), bewertung}};
}

// Header texts of the grid by display position (hidden columns left out).
QStringList sichtbareSpalten(QTableView* grid)
{
    QStringList s;
    QHeaderView* kopf = grid->horizontalHeader();
    for (int pos = 0; pos < kopf->count(); ++pos) {
        const int logisch = kopf->logicalIndex(pos);
        if (!kopf->isSectionHidden(logisch))
            s << grid->model()->headerData(logisch, Qt::Horizontal).toString();
    }
    return s;
}

void kopfKlicken(QTableView* grid, const QString& feld)
{
    QHeaderView* kopf = grid->horizontalHeader();
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        if (grid->model()->headerData(c, Qt::Horizontal).toString() == feld) {
            const QPoint p(kopf->sectionViewportPosition(c) + 5, kopf->height() / 2);
            QTest::mouseClick(kopf->viewport(), Qt::LeftButton, {}, p);
            return;
        }
    }
    QFAIL("column not found");
}

} // namespace

class AusgabeboxTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FensterUmgebung> m_env;
    QString m_katalog;

    std::unique_ptr<Ausgabebox> starten()
    {
        return hauptfensterZeigen();
    }

private slots:
    void init()
    {
        m_env = std::make_unique<FensterUmgebung>();
        m_katalog = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(m_katalog));
        const QList<QVariantMap> saetze = {
            satz("Zappa", "Apostrophe", "Rock", "3"), satz("abba", "Arrival", "Pop", "5"),
            satz("Ärzte", "Debil", "Punk", "3"), satz("ABBA", "Voulez-Vous", "Pop", "1"),
            satz("Beatles", "Abbey Road", "Pop", "6"), satz("bap", "Affjetaut", "Rock", "4")};
        QVERIFY(klang::test::insertCatalogueRecords(m_katalog, saetze));
    }
    void cleanup()
    {
        m_env.reset();
    }

    // First start with empty settings opens the bundled empty catalogue and stores its path.
    void startAufLeeremKatalog()
    {
        auto w = starten();
        const QString leer = klang::programmPfad() + QStringLiteral("Archiv_leer.mdb");
        QCOMPARE(option(QStringLiteral("ArchivPfad")), leer);
        QCOMPARE(w->panelText(1), QStringLiteral("Archiv_leer.mdb"));
        QCOMPARE(w->panelText(3), QStringLiteral("Tonträger: 0"));
        QCOMPARE(option(QStringLiteral("ProgrammName")), QStringLiteral("K l a n g t r u h e   P l a y e r"));
        QCOMPARE(option(QStringLiteral("ErscheinungsJahr")), QStringLiteral("2004"));
        QCOMPARE(w->tabTexte->currentIndex(), 0);
        QVERIFY(QFileInfo(klang::programmPfad() + QStringLiteral("Leer")).isDir());
        QVERIFY(QFileInfo(klang::programmPfad() + QStringLiteral("Playlist")).isDir());
        QVERIFY(kit::testhook::calls().isEmpty());
        QVERIFY(w->TextBand->isReadOnly()); // no record to write an edit to
        QVERIFY(w->TextSongs->isReadOnly());
        QCOMPARE(sichtbareSpalten(w->MSFlexGrid1).size(), 18);
        QVERIFY(!w->chkTabelle->isChecked());
        QCOMPARE(w->CPULast().StackSize(), 10);
        QVERIFY(w->mnuLaufschrift->isChecked());
        QVERIFY(w->mnuMiniPlayerOnTop->isChecked());
        QVERIFY(w->mnuBildDatenbankpfad->isChecked());
        QVERIFY(w->mnuWinPlayerVerwenden->isChecked());
        QVERIFY(w->chkVisualisierung->isChecked());
        QVERIFY(!w->mnuStartLautregler->isChecked());
        for (QAction* a : w->mnuOrdner)
            QVERIFY(!a->isVisible());
    }

    // The player's view of the catalogue reads whole columns and keeps them only while they
    // hold: a written record, a statement on the database or another view give new values
    // and a new revision, so the player counts its allowed records out again.
    void katalogZugangSpalten()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        klang::player::KatalogZugang zugang(w.get());
        klang::jet::DataControl& data1 = w->katalog().data1();
        const auto zeilenweise = [&data1](const QString& feld) {
            QStringList werte;
            for (int i = 0; i < data1.recordCount(); ++i)
                werte << data1.recordset().value(i, feld);
            return werte;
        };
        QCOMPARE(zugang.recordCount(), 6);
        QCOMPARE(zugang.column(QStringLiteral("Stil")), zeilenweise(QStringLiteral("Stil")));
        QCOMPARE(zugang.column(QStringLiteral("Band")), zeilenweise(QStringLiteral("Band")));
        const qint64 anfang = zugang.revision();
        QVERIFY(anfang >= 0);
        QCOMPARE(zugang.revision(), anfang); // reading changes nothing

        QVERIFY(data1.setAbsolutePosition(0));
        QVERIFY(data1.setField(QStringLiteral("Stil"), QStringLiteral("Polka")));
        QVERIFY(data1.updateRecord());
        const qint64 geschrieben = zugang.revision();
        QVERIFY(geschrieben != anfang);
        QCOMPARE(zugang.column(QStringLiteral("Stil")).at(0), QStringLiteral("Polka"));
        QCOMPARE(zugang.field(0, QStringLiteral("Stil")), QStringLiteral("Polka"));

        const int pop = zugang.column(QStringLiteral("Stil")).count(QStringLiteral("Pop"));
        QVERIFY(pop > 0);
        QCOMPARE(data1.database().execute(QStringLiteral("UPDATE Schallplatten SET Stil = 'Ska' WHERE Stil = 'Pop'")), pop);
        const qint64 anweisung = zugang.revision();
        QVERIFY(anweisung != geschrieben);
        QCOMPARE(zugang.column(QStringLiteral("Stil")).count(QStringLiteral("Ska")), pop);

        data1.setRecordSource(QStringLiteral("select * from Schallplatten where Stil = 'Rock' order by LPTitel"));
        QVERIFY(data1.refresh());
        QVERIFY(zugang.revision() != anweisung);
        QCOMPARE(zugang.recordCount(), 2);
        QCOMPARE(zugang.column(QStringLiteral("Band")), (QStringList{"bap", "Zappa"}));
        QCOMPARE(zugang.field(1, QStringLiteral("Band")), QStringLiteral("Zappa"));
    }

    // A stored catalogue opens with its records; the captions of Bez.ini beside it apply.
    void startMitKatalogUndBez()
    {
        QFile bez(QFileInfo(m_katalog).absolutePath() + QStringLiteral("/Bez.ini"));
        QVERIFY(bez.open(QIODevice::WriteOnly));
        bez.write("Interpret\r\n\r\nTr\xe4ger\r\n");
        bez.close();
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        QCOMPARE(w->panelText(1), QStringLiteral("Archiv.mdb"));
        QCOMPARE(w->panelText(3), QStringLiteral("Tonträger: 6"));
        QCOMPARE(w->lblTabellenName->text(), QStringLiteral("alle"));
        QCOMPARE(w->bez(0), QStringLiteral("Interpret"));
        QCOMPARE(w->bez(1), QStringLiteral("Titel"));
        QCOMPARE(w->bez(2), QStringLiteral("Träger"));
        QVERIFY(!w->TextBand->text().isEmpty()); // a random record is shown
        QVERIFY(!w->TextBand->isReadOnly());
    }

    // A catalogue file that cannot be opened: the failure text, the report, and the window
    // still opens with the rest of start-up done.
    void unlesbarerKatalog()
    {
        const QString kaputt = m_env->path(QStringLiteral("kaputt")) + QStringLiteral("/Kaputt.mdb");
        QFile f(kaputt);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("kein Katalog");
        f.close();
        setOption(QStringLiteral("ArchivPfad"), kaputt);
        auto w = starten();
        QCOMPARE(w->panelText(1), QStringLiteral(" Fehler beim Laden der Datenbank!"));
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Ausgabebox_Form_Load"));
        QCOMPARE(w->tabTexte->currentIndex(), 0);
        QCOMPARE(w->CPULast().StackSize(), 10);
    }

    // Damaged stored numbers give a usable window: a width of -5 twips or a height of 1 is
    // clamped to the smallest usable size, a wild song count does not overflow.
    void beschaedigteGroessen_data()
    {
        QTest::addColumn<QString>("breite");
        QTest::addColumn<QString>("hoehe");
        QTest::newRow("Breite -5") << QStringLiteral("-5") << QStringLiteral("10725");
        QTest::newRow("Höhe 1, Breite 0") << QStringLiteral("0") << QStringLiteral("1");
        QTest::newRow("Breite 2147483647") << QStringLiteral("2147483647") << QStringLiteral("10725");
    }
    void beschaedigteGroessen()
    {
        QFETCH(QString, breite);
        QFETCH(QString, hoehe);
        setOption(QStringLiteral("AusgabeboxWidth"), breite);
        setOption(QStringLiteral("AusgabeboxHeight"), hoehe);
        setOption(QStringLiteral("ShuffleSongProCD"), QStringLiteral("1e300"));
        auto w = starten();
        QVERIFY2(w->width() >= 640, qPrintable(QString::number(w->width())));
        QVERIFY2(w->height() >= 480, qPrintable(QString::number(w->height())));
        QVERIFY2(w->width() <= StandardGroesse.width(), qPrintable(QString::number(w->width()))); // screen 800 wide
    }

    // A read-only, empty program folder: the start says once that it cannot be written and
    // goes on with the installed empty catalogue (no endless "Datenbank wird geladen...").
    void schreibgeschuetzterProgrammordner()
    {
        const QString ordner = m_env->dataHome() + QStringLiteral("/Klangtruhe");
        QDir(ordner).removeRecursively();
        QVERIFY(QDir().mkpath(ordner));
        klang::test::Unveraenderlich sperre(ordner);
        QVERIFY(sperre.ok());
        kit::ProgrammOrdnerEinrichten();
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Programmordner schreibgeschützt"));
        QVERIFY(QDir(ordner).isEmpty());
        auto w = starten();
        QCOMPARE(w->panelText(1), QStringLiteral("Archiv_leer.mdb"));
        QCOMPARE(w->panelText(3), QStringLiteral("Tonträger: 0"));
        // The installed file is used for this run only; no path into it is stored.
        QCOMPARE(option(QStringLiteral("ArchivPfad")), QString());
    }

    // The track list is exactly 15 entries high, with or without entries.
    void trackListeHoehe()
    {
        auto w = starten();
        auto* liste = w->filTrack;
        liste->addItem(QStringLiteral("01 - Titel.mp3"));
        QCOMPARE(liste->height(), liste->sizeHintForRow(0) * 15 + 2 * liste->frameWidth());
    }

    // A stored path whose file is gone: the empty catalogue this run, the path stays stored.
    void verschwundenerKatalog()
    {
        const QString weg = m_env->path(QStringLiteral("weg")) + QStringLiteral("/Weg.mdb");
        setOption(QStringLiteral("ArchivPfad"), weg);
        {
            auto w = starten();
            QCOMPARE(w->panelText(1), QStringLiteral("Archiv_leer.mdb"));
            w->close();
        }
        QCOMPARE(option(QStringLiteral("ArchivPfad")), weg);
    }

    // Letter buttons filter in filter mode (A with Ä); rating buttons switch to filter mode.
    void buchstabenKnoepfe()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        w->chkTabelle->setChecked(true);
        QCOMPARE(option(QStringLiteral("TopRow")), QStringLiteral("1"));
        QTest::mouseClick(w->ButtonAlpabeth[0], Qt::LeftButton);
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 3);
        QCOMPARE(w->panelText(3), QStringLiteral("Tonträger: 3"));
        QTest::mouseClick(w->ButtonAlpabeth[1], Qt::LeftButton);
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 2);
        QCOMPARE(w->lblTabellenName->text(), QStringLiteral("alle")); // a filter is not named

        w->chkTabelle->setChecked(false); // back to the whole table
        QCOMPARE(option(QStringLiteral("TopRow")), QStringLiteral("0"));
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 6);
        QTest::mouseClick(w->ButtonAlpabeth[28], Qt::LeftButton); // rating 3
        QVERIFY(w->chkTabelle->isChecked());
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 2);

        w->mnuSpalte_Click(3); // filter on Stil
        QCOMPARE(w->filterSpalte(), QStringLiteral("Stil"));
        QTest::mouseClick(w->ButtonAlpabeth[17], Qt::LeftButton); // R
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 2);
        QVERIFY(kit::testhook::calls().isEmpty());
    }

    // Scroll mode: a letter scrolls to the first matching row; view and record stay.
    void buchstabeScrollt()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        const QString vielePfad = m_env->path(QStringLiteral("viele")) + QStringLiteral("/Viele.mdb");
        klang::test::CatalogueSpec spec;
        spec.records = 400;
        QVERIFY(klang::test::writeCatalogue(vielePfad, spec));
        setOption(QStringLiteral("ArchivPfad"), vielePfad);
        auto w = starten();
        QVERIFY(!w->chkTabelle->isChecked());
        const QString vorher = w->TextBand->text();
        QTest::mouseClick(w->ButtonAlpabeth[25], Qt::LeftButton); // Z
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 400);
        QCOMPARE(w->TextBand->text(), vorher);
        const int oben = w->MSFlexGrid1->rowAt(0);
        const QString band = w->MSFlexGrid1->model()->index(oben, 0).data().toString();
        QVERIFY2(band.startsWith(QLatin1Char('Z'), Qt::CaseInsensitive), qPrintable(band));
        QVERIFY(oben == 0 || !w->MSFlexGrid1->model()->index(oben - 1, 0).data().toString()
                                 .startsWith(QLatin1Char('Z'), Qt::CaseInsensitive));
    }

    // Keys and the navigator move the record; with repositioning suppressed nothing follows.
    void zeilenwechsel()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        w->MSFlexGrid1->setFocus();
        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(0, 0));
        QCOMPARE(w->TextBand->text(), QStringLiteral("abba"));
        QTest::keyClick(w->MSFlexGrid1, Qt::Key_Down);
        QCOMPARE(w->TextBand->text(), QStringLiteral("ABBA"));
        QTest::mouseClick(w->findChild<QToolButton*>(QStringLiteral("Data1_Letzter")), Qt::LeftButton);
        QCOMPARE(w->TextBand->text(), QStringLiteral("Zappa"));
        QCOMPARE(w->MSFlexGrid1->currentIndex().row(), 5);
        QTest::mouseClick(w->findChild<QToolButton*>(QStringLiteral("Data1_Erster")), Qt::LeftButton);
        QCOMPARE(w->TextBand->text(), QStringLiteral("abba"));
        w->katalog().setRepositionUnterdruecken(true);
        QTest::keyClick(w->MSFlexGrid1, Qt::Key_Down);
        QCOMPARE(w->TextBand->text(), QStringLiteral("abba"));
        QCOMPARE(w->katalog().data1().absolutePosition(), 0);
        w->katalog().setRepositionUnterdruecken(false);
    }

    // Start plays the selected track of the record's music folder; stop ends it.
    void startUndStop()
    {
        const QString musik = m_env->path(QStringLiteral("musik/Abba")) + QLatin1Char('/');
        klang::test::WavSpec wav;
        wav.seconds = 5;
        QVERIFY(klang::test::writeWav(musik + QStringLiteral("01 - Eins.wav"), wav));
        QVERIFY(klang::test::writeWav(musik + QStringLiteral("02 - Zwei.wav"), wav));
        QVariantMap mitMusik = satz("Aaa", "Mit Musik", "Pop", "4");
        mitMusik.insert(QStringLiteral("Musikpfad"), musik);
        QVERIFY(klang::test::insertCatalogueRecords(m_katalog, {mitMusik}));
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        setOption(QStringLiteral("WinMediaPlayer"), QStringLiteral("False"));
        auto w = starten();
        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(2, 0));
        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(0, 0));
        QCOMPARE(w->TextLPTitel->text(), QStringLiteral("Mit Musik"));
        QCOMPARE(w->filTrack->count(), 2);
        QVERIFY(w->filTrack->isEnabled());
        QCOMPARE(w->bez(12), QStringLiteral("Tracks & Movies 2"));
        QCOMPARE(w->spieler().aktuellerTrack(), 0);
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_COMPARE(w->panelText(2), QStringLiteral("playing:  ") + musik + QStringLiteral("01 - Eins.wav"));
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
        QCOMPARE(w->panelText(2), QStringLiteral("no play"));
    }

    // Any command line: shuffle ticked without its question, playing starts, the window's
    // settings are saved as for the mini player.
    void kommandozeileStartetShuffle()
    {
        const QString musik = m_env->path(QStringLiteral("musik/Alle")) + QLatin1Char('/');
        klang::test::WavSpec wav;
        wav.seconds = 5;
        QVERIFY(klang::test::writeWav(musik + QStringLiteral("01 - Eins.wav"), wav));
        QVERIFY(klang::test::writeWav(musik + QStringLiteral("02 - Zwei.wav"), wav));
        const QString nurMusik = m_env->path(QStringLiteral("nurmusik")) + QStringLiteral("/Musik.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(nurMusik));
        QVariantMap mitMusik = satz("Aaa", "Mit Musik", "Pop", "4");
        mitMusik.insert(QStringLiteral("Musikpfad"), musik);
        QVERIFY(klang::test::insertCatalogueRecords(nurMusik, {mitMusik}));
        setOption(QStringLiteral("ArchivPfad"), nurMusik);
        setOption(QStringLiteral("WinMediaPlayer"), QStringLiteral("False"));
        Kommandozeile k;
        k.vorhanden = true;
        Ausgabebox w(k);
        w.Form_Load();
        QVERIFY(w.chkShuffle->isChecked());
        QVERIFY(w.KommandozeileStart);
        QTRY_VERIFY(w.panelText(2).startsWith(QStringLiteral("playing:  ") + musik));
        QCOMPARE(option(QStringLiteral("AusgabeboxWidth")), QString::number(w.width() * 15));
        QVERIFY(kit::testhook::calls().isEmpty()); // no question about tracks per record
        w.imgStop_Click();
    }

    // A header click sorts by the clicked column, alternating the direction.
    void kopfKlickSortiert()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        kopfKlicken(w->MSFlexGrid1, QStringLiteral("LPTitel"));
        QCOMPARE(w->katalog().data1().recordSource(),
                 QStringLiteral("select * from Schallplatten order by LPTitel ASC"));
        QCOMPARE(w->MSFlexGrid1->model()->index(0, 1).data().toString(), QStringLiteral("Abbey Road"));
        kopfKlicken(w->MSFlexGrid1, QStringLiteral("Stil"));
        QCOMPARE(w->katalog().data1().recordSource(),
                 QStringLiteral("select * from Schallplatten order by Stil DESC"));
        // Not saved as the view of the next start.
        QCOMPARE(option(QStringLiteral("Data1RecordSource"), StandardAbfrage), StandardAbfrage);
    }

    // Column dialog: hide and move columns; the choice survives a filter and a restart.
    void spaltenDialog()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        {
            auto w = starten();
            QTimer::singleShot(0, [] {
                auto* d = qobject_cast<frmSpaltenAnordnen*>(QApplication::activeModalWidget());
                QVERIFY(d);
                QCOMPARE(d->windowTitle(), QStringLiteral("Tabellenspalten anordnen"));
                d->lstTabelle->setCurrentRow(2); // Medium
                QTest::mouseClick(d->cmdEntfernen, Qt::LeftButton);
                QCOMPARE(d->lstSpalten->item(0)->text(), QStringLiteral("Medium"));
                d->lstTabelle->setCurrentRow(2); // Stil
                QVERIFY(d->lstTabelle->item(2)->isSelected());
                QTest::mouseClick(d->cmdHoch, Qt::LeftButton);
                QTest::mouseClick(d->cmdHoch, Qt::LeftButton);
                QCOMPARE(d->lstTabelle->item(0)->text(), QStringLiteral("Stil"));
                QTest::mouseClick(d->cmdOK, Qt::LeftButton);
            });
            w->mnuTabelleAnordnen_Click();
            QStringList s = sichtbareSpalten(w->MSFlexGrid1);
            QCOMPARE(s.mid(0, 3), (QStringList{"Stil", "Band", "LPTitel"}));
            QVERIFY(!s.contains(QStringLiteral("Medium")));
            QCOMPARE(s.size(), 17);
            QCOMPARE(option(QStringLiteral("TabelleAnordnenCaption17")), QStringLiteral("Medium0"));
            // A filter keeps the arrangement.
            w->chkTabelle->setChecked(true);
            QTest::mouseClick(w->ButtonAlpabeth[0], Qt::LeftButton);
            QCOMPARE(sichtbareSpalten(w->MSFlexGrid1).mid(0, 3), (QStringList{"Stil", "Band", "LPTitel"}));
            w->close();
        }
        auto w2 = starten();
        const QStringList s = sichtbareSpalten(w2->MSFlexGrid1);
        QCOMPARE(s.mid(0, 3), (QStringList{"Stil", "Band", "LPTitel"}));
        QVERIFY(!s.contains(QStringLiteral("Medium")));
    }

    // With "nicht automatisch anordnen" on, a restart still places the stored set once: each
    // field at its position with the width and hidden flag of that position.
    void spaltenNachNeustartPlatziert()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        setOption(QStringLiteral("TableNotSort"), QStringLiteral("1"));
        const QStringList satz{"LPTitel1", "Band1", "Stil1", "Info1", "Plattenfirma1", "BestellNr1",
                               "Preis1", "Datum1", "Songs1", "BildPfad1", "Musikpfad1", "SongText1",
                               "eBook1", "Bewertung1", "InternetTab1", "InfoTab1", "SonstigesTab1", "Medium0"};
        for (int k = 0; k < satz.size(); ++k)
            setOption(QStringLiteral("TabelleAnordnenCaption%1").arg(k), satz.at(k));
        setOption(QStringLiteral("Spaltenbreite0"), QStringLiteral("3000"));
        setOption(QStringLiteral("Spaltenbreite2"), QStringLiteral("1500"));
        auto w = starten();
        QVERIFY(w->katalog().tabelleNichtSortieren());
        const QStringList s = sichtbareSpalten(w->MSFlexGrid1);
        QCOMPARE(s.mid(0, 3), (QStringList{"LPTitel", "Band", "Stil"}));
        QVERIFY(!s.contains(QStringLiteral("Medium")));
        QCOMPARE(s.size(), 17);
        QHeaderView* kopf = w->MSFlexGrid1->horizontalHeader();
        QCOMPARE(kopf->sectionSize(kopf->logicalIndex(0)), 200);
        QCOMPARE(kopf->sectionSize(kopf->logicalIndex(2)), 100);
        // A filter arranges again and keeps it.
        w->chkTabelle->setChecked(true);
        QTest::mouseClick(w->ButtonAlpabeth[0], Qt::LeftButton);
        QCOMPARE(sichtbareSpalten(w->MSFlexGrid1), s);
    }

    // In the column dialog the move buttons follow the choice by keyboard as by mouse, and
    // with the default font no caption is cut or covered.
    void spaltenDialogTastaturUndBeschriftung()
    {
        frmSpaltenAnordnen d(false);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(!d.cmdHoch->isEnabled());
        d.lstTabelle->setFocus();
        QTest::keyClick(d.lstTabelle, Qt::Key_Down);
        QVERIFY(d.lstTabelle->currentRow() >= 0);
        QVERIFY(d.cmdHoch->isEnabled());
        QVERIFY(d.cmdRunter->isEnabled());
        const QString vorher = d.lstTabelle->item(1)->text();
        d.lstTabelle->setCurrentRow(1);
        QTest::mouseClick(d.cmdHoch, Qt::LeftButton);
        QCOMPARE(d.lstTabelle->item(0)->text(), vorher);
        // A keyboard choice in the hidden list switches them off again.
        d.lstTabelle->setCurrentRow(0);
        QTest::mouseClick(d.cmdEntfernen, Qt::LeftButton);
        QVERIFY(d.cmdHoch->isEnabled());
        d.lstSpalten->setFocus();
        QTest::keyClick(d.lstSpalten, Qt::Key_Down);
        QVERIFY(d.lstSpalten->currentRow() >= 0);
        QVERIFY(!d.cmdHoch->isEnabled());
        QVERIFY(!d.cmdRunter->isEnabled());

        QList<QWidget*> beschriftet;
        for (QWidget* w : d.findChildren<QWidget*>()) {
            if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))
                beschriftet << w;
        }
        QCOMPARE(beschriftet.size(), 12);
        for (QWidget* a : std::as_const(beschriftet)) {
            QVERIFY2(a->width() >= a->sizeHint().width(), qPrintable(a->objectName()));
            QVERIFY2(d.rect().contains(a->geometry()), qPrintable(a->objectName()));
            for (QWidget* b : std::as_const(beschriftet))
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()), qPrintable(a->objectName() + " / " + b->objectName()));
        }
    }

    // The letter buttons apply on the release of any mouse button, not only the left one; the
    // right one offers the filter column first.
    void buchstabenKnoepfeJedeMaustaste()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        w->chkTabelle->setChecked(true);
        QTest::mouseClick(w->ButtonAlpabeth[25], Qt::MiddleButton); // Z
        QCOMPARE(w->katalog().anzahl(), 1);
        QTimer::singleShot(50, [&w] {
            if (QMenu* m = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
                m->close();
        });
        QTest::mousePress(w->ButtonAlpabeth[1], Qt::RightButton); // B
        QTest::mouseRelease(w->ButtonAlpabeth[1], Qt::RightButton);
        QCOMPARE(w->katalog().anzahl(), 2); // Beatles, bap
    }

    // Esc during a long header sort keeps the view shown, and the next click on the header
    // sorts as the one given up would have (ascending first).
    void kopfSortierungMitEscAbgebrochen()
    {
        {
            klang::jet::Database db;
            QVERIFY(db.open(m_katalog));
            QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET Songs = 'Lied ' || rowid")) == 6);
        }
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        klang::jet::Recordset::setBackgroundRows(1);
        const auto zurueck = qScopeGuard([] {
            klang::jet::Recordset::setBackgroundRows(50000);
            klang::jet::setKlartextFunktion(
                [](const QString& wert, qsizetype n) { return klang::richtext::rtfToPlainText(wert, n); });
        });
        const QString vorher = w->katalog().data1().recordSource();
        klang::jet::setKlartextFunktion([](const QString& wert, qsizetype) {
            QThread::msleep(200); // six records: over a second
            return wert;
        });
        QTimer::singleShot(300, w.get(), [&w] {
            QWidget* fokus = QApplication::focusWidget();
            QTest::keyClick(fokus ? fokus : w.get(), Qt::Key_Escape);
        });
        kopfKlicken(w->MSFlexGrid1, QStringLiteral("Songs"));
        QCOMPARE(w->katalog().data1().recordSource(), vorher);
        QCOMPARE(w->katalog().anzahl(), 6);
        klang::jet::setKlartextFunktion(
            [](const QString& wert, qsizetype n) { return klang::richtext::rtfToPlainText(wert, n); });
        kopfKlicken(w->MSFlexGrid1, QStringLiteral("Songs"));
        QVERIFY2(w->katalog().data1().recordSource().endsWith(QLatin1String("Klartext(Songs) ASC")),
                 qPrintable(w->katalog().data1().recordSource()));
    }

    // A column the user widens keeps its width by position across a restart.
    void spaltenbreiteGezogen()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        {
            auto w = starten();
            QHeaderView* kopf = w->MSFlexGrid1->horizontalHeader();
            kopf->resizeSection(kopf->logicalIndex(1), 150);
            // A filter and a sort keep the width.
            w->chkTabelle->setChecked(true);
            QTest::mouseClick(w->ButtonAlpabeth[0], Qt::LeftButton);
            QCOMPARE(kopf->sectionSize(kopf->logicalIndex(1)), 150);
            kopfKlicken(w->MSFlexGrid1, QStringLiteral("Stil"));
            QCOMPARE(kopf->sectionSize(kopf->logicalIndex(1)), 150);
            QCOMPARE(kopf->sectionSize(kopf->logicalIndex(0)), 1000 / 15);
            w->close();
        }
        QCOMPARE(option(QStringLiteral("Spaltenbreite1")), QStringLiteral("2250"));
        auto w = starten();
        QHeaderView* kopf = w->MSFlexGrid1->horizontalHeader();
        QCOMPARE(kopf->sectionSize(kopf->logicalIndex(1)), 150);
    }

    // Abbrechen in the column dialog changes neither the set nor the stored widths.
    void spaltenDialogAbbrechen()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        setOption(QStringLiteral("Spaltenbreite1"), QStringLiteral("2400"));
        auto w = starten();
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmSpaltenAnordnen*>(QApplication::activeModalWidget());
            QVERIFY(d);
            QTest::mouseClick(d->cmdDefault, Qt::LeftButton);
            d->chkNotSort->setChecked(true);
            QTest::mouseClick(d->cmdExit, Qt::LeftButton);
        });
        w->mnuTabelleAnordnen_Click();
        QCOMPARE(sichtbareSpalten(w->MSFlexGrid1).size(), 18);
        QVERIFY(!w->katalog().tabelleNichtSortieren());
        QCOMPARE(option(QStringLiteral("Spaltenbreite1")), QStringLiteral("2400"));
        QCOMPARE(option(QStringLiteral("TabelleAnordnenCaption0"), QStringLiteral("-")), QStringLiteral("-"));
    }

    // An edit in a detail field persists when the window is closed, and on a row change.
    void bearbeitungGespeichert()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        QString titel;
        {
            auto w = starten();
            w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(1, 0));
            titel = w->TextLPTitel->text();
            w->TextInfo->setText(QStringLiteral("Zeile mit ' und \""));
            w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(3, 0));
            w->TextInfo->setText(QStringLiteral("beim Schließen"));
            const QString titel2 = w->TextLPTitel->text();
            w->close();
            klang::jet::Database db;
            QVERIFY(db.open(m_katalog));
            QCOMPARE(db.scalar(QStringLiteral("select Info from Schallplatten where LPTitel = ?"), {titel2}).toString(),
                     QStringLiteral("beim Schließen"));
        }
        klang::jet::Database db;
        QVERIFY(db.open(m_katalog));
        QCOMPARE(db.scalar(QStringLiteral("select Info from Schallplatten where LPTitel = ?"), {titel}).toString(),
                 QStringLiteral("Zeile mit ' und \""));
    }

    // An umlaut typed into the songs pane is stored as \'e4 and reads back as the letter.
    void richTextGespeichert()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(0, 0));
        const QString titel = w->TextLPTitel->text();
        w->TextSongs->setFocus();
        QTest::keyClick(w->TextSongs, Qt::Key_B);
        QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Adiaeresis, Qt::NoModifier, QStringLiteral("ä"));
        QApplication::sendEvent(w->TextSongs, &umlaut);
        QTest::keyClick(w->TextSongs, Qt::Key_R);
        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(2, 0));
        klang::jet::Database db;
        QVERIFY(db.open(m_katalog));
        const QString rtf = db.scalar(QStringLiteral("select Songs from Schallplatten where LPTitel = ?"), {titel}).toString();
        QVERIFY2(rtf.contains(QStringLiteral("b\\'e4r")), qPrintable(rtf));
        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(0, 0));
        QVERIFY(w->TextSongs->toPlainText().contains(QStringLiteral("bär")));
        // The grid shows the plain text of the rich-text field.
        const int spalte = w->katalog().model()->columnOfField(QStringLiteral("Songs"));
        QVERIFY(w->MSFlexGrid1->model()->index(0, spalte).data().toString().contains(QStringLiteral("bär")));
    }

    // Cancel in the open dialog changes nothing and reports nothing.
    void oeffnenAbbrechen()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        QString startDatei;
        w->dateiDialog = [&](const QString& start) { startDatei = start; return QString(); };
        w->mnuOeffnen_Click();
        QCOMPARE(startDatei, m_katalog);
        QCOMPARE(w->panelText(1), QStringLiteral("Archiv.mdb"));
        QVERIFY(kit::testhook::calls().isEmpty());
        QCOMPARE(w->katalog().anzahl(), 6);
    }

    // An older catalogue is refused with a box naming the missing fields; nothing changes.
    void oeffnenUngueltig()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        const QString alt = m_env->path(QStringLiteral("alt")) + QStringLiteral("/Alt.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(alt, true));
        auto w = starten();
        w->dateiDialog = [&](const QString&) { return alt; };
        w->mnuOeffnen_Click();
        QCOMPARE(kit::testhook::calls().size(), 1);
        QVERIFY(kit::testhook::calls().first().prompt.contains(QStringLiteral("Musikpfad")));
        QCOMPARE(option(QStringLiteral("ArchivPfad")), m_katalog);
        QCOMPARE(option(QStringLiteral("Ordnerpfad0")), QString());
        QCOMPARE(w->katalog().anzahl(), 6);
        QCOMPARE(w->panelText(1), QStringLiteral("Archiv.mdb"));
    }

    // Opening a valid catalogue: stored as the next start's, on top of the recent list.
    void oeffnenGueltig()
    {
        const QString anderer = m_env->path(QStringLiteral("R&B")) + QStringLiteral("/Gross.mdb");
        klang::test::CatalogueSpec spec;
        spec.records = 20000;
        QVERIFY(klang::test::writeCatalogue(anderer, spec));
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        w->chkTabelle->setChecked(true);
        QTest::mouseClick(w->ButtonAlpabeth[1], Qt::LeftButton);
        w->setPanelText(2, QStringLiteral("playing:  /x.mp3"));
        w->dateiDialog = [&](const QString&) { return anderer; };
        w->mnuOeffnen_Click();
        QCOMPARE(w->katalog().anzahl(), 20000);
        QCOMPARE(option(QStringLiteral("ArchivPfad")), anderer);
        QCOMPARE(option(QStringLiteral("Ordnerpfad0")), anderer);
        QCOMPARE(option(QStringLiteral("Data1RecordSource")), StandardAbfrage);
        QCOMPARE(option(QStringLiteral("TabellenName")), QStringLiteral("alle"));
        QCOMPARE(w->lblTabellenName->text(), QStringLiteral("alle"));
        QCOMPARE(w->panelText(1), QStringLiteral("Gross.mdb"));
        QCOMPARE(w->panelText(2), QStringLiteral("no play"));
        QCOMPARE(w->DatenbankPfad, QFileInfo(anderer).absolutePath() + QLatin1Char('/'));
        QVERIFY(w->mnuOrdner[0]->isVisible());
        QCOMPARE(w->mnuOrdner[0]->text(), QString(anderer).replace(QStringLiteral("&"), QStringLiteral("&&")));
        // Re-opening the first catalogue from the recent list.
        w->OrdnerMenuPfad(m_katalog);
        w->mnuOrdner_Click(0);
        QCOMPARE(w->katalog().anzahl(), 6);
        QCOMPARE(option(QStringLiteral("Ordnerpfad0")), m_katalog);
        QCOMPARE(option(QStringLiteral("Ordnerpfad1")), anderer);
        QVERIFY(kit::testhook::calls().isEmpty());
    }

    // A catalogue opened from the dialog shows its first record's external cover and eBook
    // from beside itself, not from the folder of the catalogue open before; also the second time.
    void oeffnenZeigtBilderDesNeuenKatalogs()
    {
        const QString ordner = m_env->path(QStringLiteral("neu"));
        const QString neu = ordner + QStringLiteral("/Neu.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(neu));
        QVERIFY(klang::test::insertCatalogueRecords(
            neu, {{{QStringLiteral("Band"), QStringLiteral("Neu")}, {QStringLiteral("BildPfad"), QStringLiteral("Cover.png°")},
                   {QStringLiteral("eBook"), QStringLiteral("Heft.txt°")}}}));
        QVERIFY(QDir().mkpath(ordner + QStringLiteral("/Bilder")) && QDir().mkpath(ordner + QStringLiteral("/eBook")));
        QImage bild(8, 8, QImage::Format_RGB32);
        bild.fill(Qt::red);
        QVERIFY(bild.save(ordner + QStringLiteral("/Bilder/Cover.png")));
        QFile heft(ordner + QStringLiteral("/eBook/Heft.txt"));
        QVERIFY(heft.open(QIODevice::WriteOnly));
        heft.close();
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        for (int runde = 0; runde < 2; ++runde) {
            w->dateiDialog = [&](const QString&) { return neu; };
            w->mnuOeffnen_Click();
            QCOMPARE(w->TextBand->text(), QStringLiteral("Neu"));
            QCOMPARE(w->chkBildpfad->text(), QStringLiteral("1 externes Cover"));
            QCOMPARE(w->cboBildpfad->count(), 1);
            QCOMPARE(w->cboEbook->count(), 1);
            w->dateiDialog = [&](const QString&) { return m_katalog; };
            w->mnuOeffnen_Click();
            QCOMPARE(w->cboBildpfad->count(), 0);
        }
    }

    // A recent entry whose file is gone offers its removal: Ja hides it, Nein keeps it.
    void fehlenderEintrag_data()
    {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<bool>("bleibt");
        QTest::newRow("Ja") << "Ja" << false;
        QTest::newRow("Nein") << "Nein" << true;
        QTest::newRow("closed") << "" << true;
    }
    void fehlenderEintrag()
    {
        QFETCH(QString, antwort);
        QFETCH(bool, bleibt);
        const QString weg = m_env->path(QStringLiteral("weg")) + QStringLiteral("/Weg.mdb");
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        setOption(QStringLiteral("Ordnerpfad2"), weg);
        auto w = starten();
        QVERIFY(!w->mnuOrdner[1]->isVisible());
        QVERIFY(w->mnuOrdner[2]->isVisible());
        kit::testhook::queueAnswer(antwort);
        w->mnuOrdner_Click(2);
        QCOMPARE(kit::testhook::calls().size(), 1);
        const auto call = kit::testhook::calls().first();
        QCOMPARE(call.title, QStringLiteral("Datenbank nicht gefunden"));
        QCOMPARE(call.style, 22);
        QCOMPARE(call.defaultButton, 1);
        QVERIFY(call.prompt.contains(weg));
        QCOMPARE(w->mnuOrdner[2]->isVisible(), bleibt);
        QCOMPARE(option(QStringLiteral("Ordnerpfad2")), bleibt ? weg : QString());
        QCOMPARE(w->katalog().anzahl(), 6);
    }

    // F5 returns to the whole table and saves the default view.
    void aktualisieren()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        setOption(QStringLiteral("TabellenName"), QStringLiteral("Suche"));
        auto w = starten();
        QCOMPARE(w->lblTabellenName->text(), QStringLiteral("Suche"));
        w->chkTabelle->setChecked(true);
        QTest::mouseClick(w->ButtonAlpabeth[25], Qt::LeftButton);
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 1);
        w->spieler().setStilAusgeschlossen(true);
        w->MenuAktualisieren->trigger();
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 6);
        QCOMPARE(w->lblTabellenName->text(), QStringLiteral("alle"));
        QCOMPARE(option(QStringLiteral("TabellenName")), QStringLiteral("alle"));
        QCOMPARE(option(QStringLiteral("Data1RecordSource")), StandardAbfrage);
        QVERIFY(!w->spieler().stilAusgeschlossen());
    }

    // Geometry and check marks round-trip; values compare case-sensitively.
    void einstellungen()
    {
        setOption(QStringLiteral("Laufschrift"), QStringLiteral("Ein"));
        setOption(QStringLiteral("AusgabeboxWidth"), QStringLiteral("abc"));
        setOption(QStringLiteral("AusgabeboxLeft"), QStringLiteral("1500"));
        setOption(QStringLiteral("ShuffleSongProCD"), QStringLiteral("3abc"));
        {
            auto w = starten();
            QVERIFY(!w->mnuLaufschrift->isChecked());
            QVERIFY(w->mnuWinPlayerVerwenden->isChecked());
            QCOMPARE(w->spieler().shuffleZaehler(), 3);
            QCOMPARE(w->width(), StandardGroesse.width());
            w->resize(900, 650);
            w->close();
        }
        QCOMPARE(option(QStringLiteral("WindowState")), QStringLiteral("0"));
        QCOMPARE(option(QStringLiteral("AusgabeboxWidth")), QStringLiteral("13500"));
        QCOMPARE(option(QStringLiteral("Spaltenbreite0")), QStringLiteral("1000"));
        auto w = starten();
        QCOMPARE(w->width(), 900);
    }

    // After a maximised exit the next start opens maximised over the last normal size.
    void maximiert()
    {
        setOption(QStringLiteral("WindowState"), QStringLiteral("2"));
        setOption(QStringLiteral("AusgabeboxWidth"), QStringLiteral("12000"));
        setOption(QStringLiteral("AusgabeboxHeight"), QStringLiteral("9000"));
        {
            auto w = starten();
            QVERIFY(w->isMaximized());
            QCOMPARE(w->normalGeometry().width(), 12000 / 15);
            w->close();
        }
        QCOMPARE(option(QStringLiteral("WindowState")), QStringLiteral("2"));
        QCOMPARE(option(QStringLiteral("AusgabeboxWidth")), QStringLiteral("12000"));
    }

    // Minimising while a track plays with the scrolling title on runs Timer2; restoring stops
    // it and shows the fixed title. Without the scrolling title the title is left alone.
    void titelBeimMinimieren()
    {
        auto w = starten();
        w->mnuLaufschrift->setChecked(true);
        w->setPanelText(2, QStringLiteral("playing:  /m/a.mp3"));
        w->showMinimized();
        QTRY_VERIFY(w->Timer2.isActive());
        w->showNormal();
        QTRY_VERIFY(!w->Timer2.isActive());
        QCOMPARE(w->windowTitle(), QStringLiteral("Klangtruhe-Player - Quarzwerk"));
        w->setWindowTitle(QStringLiteral("Klangtruhe-Player"));
        w->mnuLaufschrift->setChecked(false);
        w->showMinimized();
        QTest::qWait(20);
        QVERIFY(!w->Timer2.isActive());
        w->showNormal();
        QTest::qWait(20);
        QCOMPARE(w->windowTitle(), QStringLiteral("Klangtruhe-Player"));
    }

    // The menu shows the about box modally (Esc closes it) and the tips even when switched off.
    void infoUndTipps()
    {
        setOption(QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
        auto w = starten();
        bool infoGesehen = false;
        QTimer::singleShot(0, [&] {
            QWidget* d = QApplication::activeModalWidget();
            infoGesehen = d && d->objectName() == QLatin1String("frmInfo");
            if (d)
                QTest::keyRelease(d->findChild<QWidget*>(QStringLiteral("Picture1")), Qt::Key_Escape);
        });
        w->findChild<QAction*>(QStringLiteral("MenuInfo"))->trigger();
        QVERIFY(infoGesehen);
        bool tippsGesehen = false;
        QTimer::singleShot(0, [&] {
            QWidget* d = QApplication::activeModalWidget();
            tippsGesehen = d && d->objectName() == QLatin1String("Tipbox");
            if (auto* dialog = qobject_cast<QDialog*>(d))
                dialog->accept();
        });
        w->findChild<QAction*>(QStringLiteral("MenuTipOfDay"))->trigger();
        QVERIFY(tippsGesehen);
        QVERIFY(w->TipsVomMenue);
        QCOMPARE(option(QStringLiteral("Show Tips at Startup")), QStringLiteral("1"));
    }

    // The two buttons above the songs box switch between the short and the tall layout.
    void textfeldGroesse()
    {
        auto w = starten();
        QTest::mouseClick(w->cmdTextSmall, Qt::LeftButton);
        QCOMPARE(w->TextSongs->y(), 660 / 15);
        QCOMPARE(w->TextSongs->height(), 4860 / 15);
        QVERIFY(w->Bez[0]->isHidden());
        // The caption "Songs" is drawn over no other caption.
        for (QLabel* l : w->Bez[3]->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(l == w->Bez[3] || l->isHidden() || !l->geometry().intersects(w->Bez[3]->geometry()),
                     qPrintable(l->text()));
        QTest::mouseClick(w->cmdTextSmall, Qt::LeftButton);
        QCOMPARE(w->TextSongs->y(), 660 / 15);
        QTest::mouseClick(w->cmdTextBig, Qt::LeftButton);
        QCOMPARE(w->TextSongs->y(), 3735 / 15);
        QCOMPARE(w->cmdTextBig->y(), 3480 / 15);
        QVERIFY(!w->Bez[7]->isHidden());
        QVERIFY(!w->Bez[1]->isHidden());
    }

    // On a 1024 x 768 screen the first start shows every control whole: the window with its
    // frame lies on the screen, so does every control in it (the button row, the stars, the
    // table with its scroll bar), and a click on the middle of each button reaches that button.
    void ersterStartZeigtAlles()
    {
        auto w = starten();
        QWidget* zentral = w->centralWidget();
        QCOMPARE(w->size(), StandardGroesse);
        const QRect bildschirm(0, 0, 1024, 768);
        const QMargins rahmen = kit::fensterRahmen(w.get());
        const QRect lage = hauptfensterLage(QRect(QPoint(), StandardGroesse), {bildschirm.marginsRemoved(rahmen)});
        QCOMPARE(lage.size(), StandardGroesse);
        QVERIFY(bildschirm.contains(lage.marginsAdded(rahmen)));
        for (QWidget* c : zentral->findChildren<QWidget*>()) {
            if (!c->isVisibleTo(w.get()))
                continue;
            bool innen = false; // a scroll area's insides: the area itself counts
            for (QWidget* p = c->parentWidget(); p != zentral && !innen; p = p->parentWidget())
                innen = qobject_cast<QAbstractScrollArea*>(p) || qobject_cast<QTabWidget*>(p);
            if (innen)
                continue;
            // What the window shows of it (an empty cover slot below the strip shows nothing).
            const QRect sichtbar = c->visibleRegion().boundingRect();
            if (!sichtbar.isEmpty())
                QVERIFY2(bildschirm.contains(sichtbar.translated(c->mapTo(w.get(), QPoint()) + lage.topLeft())),
                         qPrintable(c->objectName() + QStringLiteral(" reaches past the screen")));
            if (c->parentWidget() != zentral)
                continue;
            QVERIFY2(zentral->rect().contains(c->geometry()),
                     qPrintable(c->objectName() + QStringLiteral(" reaches past the window")));
            if (qobject_cast<QAbstractButton*>(c))
                QCOMPARE(zentral->childAt(c->geometry().center()), c);
        }
    }

    // Resizing stretches the grid and the track list to the right edge; never negative.
    void layout()
    {
        auto w = starten();
        w->resize(1200, 800);
        QTest::qWait(10);
        const int rechts = w->centralWidget()->width() - 100 / 15;
        QVERIFY(qAbs(w->MSFlexGrid1->geometry().right() + 1 - rechts) <= 1);
        QVERIFY(qAbs(w->filTrack->geometry().right() + 1 - rechts) <= 1);
        QCOMPARE(w->txtSuchen->width(), w->filTrack->width());
        QCOMPARE(w->MSFlexGrid1->geometry().bottom() + 1, w->centralWidget()->height());
        QVERIFY(w->fraSternTrack->isVisible());
        QCOMPARE(w->fraSternTrack->geometry().right(), w->filTrack->geometry().right());
        // A track list narrower than the star frame hides the frame.
        w->resize(640, 700);
        QTest::qWait(10);
        QVERIFY(w->filTrack->width() + 20 / 15 < w->fraSternTrack->width());
        QVERIFY(!w->fraSternTrack->isVisible());
        w->resize(50, 50);
        QTest::qWait(10);
        QVERIFY(w->MSFlexGrid1->width() >= 0);
    }

    // Start-up with 20,000 records shows the window quickly.
    void startZeit()
    {
        const QString gross = m_env->path(QStringLiteral("gross")) + QStringLiteral("/Gross.mdb");
        klang::test::CatalogueSpec spec;
        spec.records = 20000;
        QVERIFY(klang::test::writeCatalogue(gross, spec));
        setOption(QStringLiteral("ArchivPfad"), gross);
        QElapsedTimer uhr;
        uhr.start();
        auto w = starten();
        const qint64 ms = uhr.elapsed();
        QCOMPARE(w->katalog().anzahl(), 20000);
        qInfo("start-up with 20,000 records: %lld ms", ms);
        QVERIFY2(ms < 1500, qPrintable(QString::number(ms))); // generous for a shared machine
    }
};

QTEST_MAIN(AusgabeboxTest)
#include "tst_ausgabebox.moc"
