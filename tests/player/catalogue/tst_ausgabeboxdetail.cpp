// The record detail view inside the main window, driven through its widgets on a catalogue
// whose records point at real folders of pictures, eBooks and music files.

#include "kit/Helpers.h"
#include "tests/player/catalogue/FensterUmgebung.h"
#include "kit/TestHook.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/detail/Bildbereich.h"
#include "player/catalogue/detail/CoverStreifen.h"
#include "player/catalogue/detail/EbookListe.h"
#include "player/catalogue/detail/Sternreihe.h"
#include "player/catalogue/detail/TextWerkzeuge.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetLike.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/shell/Paths.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace klang::player;

namespace {

QByteArray pngDaten(Qt::GlobalColor farbe)
{
    QImage bild(16, 16, QImage::Format_RGB32);
    bild.fill(farbe);
    QByteArray daten;
    QBuffer puffer(&daten);
    puffer.open(QIODevice::WriteOnly);
    bild.save(&puffer, "PNG");
    return daten;
}

bool bildSchreiben(const QString& pfad, Qt::GlobalColor farbe, int seite = 24)
{
    QImage bild(seite, seite, QImage::Format_RGB32);
    bild.fill(farbe);
    return bild.save(pfad);
}

void klicken(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
}

} // namespace

class AusgabeboxDetailTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FensterUmgebung> m_env;
    QString m_ordner;  // the catalogue's folder, with "/"
    QString m_katalog;
    QString m_musik;   // Zappa's music folder, with "/"

    std::unique_ptr<Ausgabebox> starten()
    {
        auto w = std::make_unique<Ausgabebox>();
        w->Form_Load();
        w->resize(1100, 900);
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("window not exposed");
        // Let the layout settle: a late resize would count the cover strip's page again.
        if (!QTest::qWaitFor([&] { return w->size() == QSize(1100, 900); }))
            qWarning("window not resized");
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        return w;
    }

    static void zeileWaehlen(Ausgabebox& w, const QString& buchstabe)
    {
        const int zeile = w.katalog().ersteZeileMit(QStringLiteral("Band"), buchstabe);
        QVERIFY(zeile >= 0);
        w.MSFlexGrid1->setCurrentIndex(w.MSFlexGrid1->model()->index(zeile, 0));
    }

private slots:
    void init()
    {
        m_env = std::make_unique<FensterUmgebung>();
        m_ordner = m_env->path(QStringLiteral("daten")) + QLatin1Char('/');
        m_katalog = m_ordner + QStringLiteral("Archiv.mdb");
        m_musik = m_ordner + QStringLiteral("Musik/Zappa/");
        QDir().mkpath(m_ordner + QStringLiteral("Bilder"));
        QDir().mkpath(m_ordner + QStringLiteral("eBook"));
        QDir().mkpath(m_musik);
        QVERIFY(bildSchreiben(m_ordner + QStringLiteral("Bilder/Zappa - Apostrophe.jpg"), Qt::red));
        QVERIFY(bildSchreiben(m_ordner + QStringLiteral("Bilder/ABBA - Arrival.png"), Qt::blue));
        QVERIFY(bildSchreiben(m_ordner + QStringLiteral("Bilder/rueckseite.png"), Qt::green, 300));
        QFile buch(m_ordner + QStringLiteral("eBook/Heft.txt"));
        QVERIFY(buch.open(QIODevice::WriteOnly));
        buch.write("Ein Heft zur Platte.\n");
        buch.close();
        for (const char* name : {"Song.wav", "Song 2.wav"})
            QVERIFY(klang::test::writeWav(m_musik + QLatin1String(name)));
        QVERIFY(klang::test::writeEmptyCatalogue(m_katalog));
        const QList<QVariantMap> saetze = {
            {{QStringLiteral("Band"), QStringLiteral("Zappa")}, {QStringLiteral("LPTitel"), QStringLiteral("Apostrophe")},
             {QStringLiteral("Bilder"), pngDaten(Qt::yellow)},
             {QStringLiteral("BildPfad"), QStringLiteral("rueckseite.png°fehlt.png°")},
             {QStringLiteral("eBook"), QStringLiteral("Heft.txt°")},
             {QStringLiteral("Musikpfad"), m_musik}, {QStringLiteral("Bewertung"), QStringLiteral("3")}},
            {{QStringLiteral("Band"), QStringLiteral("ABBA")}, {QStringLiteral("LPTitel"), QStringLiteral("Arrival")},
             {QStringLiteral("Bewertung"), QString()}},
        };
        QVERIFY(klang::test::insertCatalogueRecords(m_katalog, saetze));
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
    }
    void cleanup()
    {
        m_env.reset();
    }

    // The detail widgets sit where the window's controls were, under the controls' names.
    void steuerelementeErsetzt()
    {
        auto w = starten();
        QCOMPARE(w->findChildren<QLabel*>(QStringLiteral("Bild1")).size(), 1);
        QCOMPARE(w->findChildren<QComboBox*>(QStringLiteral("cboEbook")).size(), 1);
        QCOMPARE(w->findChildren<QCheckBox*>(QStringLiteral("chkBildpfad")).size(), 1);
        QCOMPARE(w->findChildren<QLabel*>(QStringLiteral("imgCover_0")).size(), 1);
        QCOMPARE(w->Bild1, w->bildbereich()->Bild1);
        QCOMPARE(w->cboEbook, w->ebookListe()->cboEbook);
        QCOMPARE(w->Bild1->isVisible(), !w->chkBildpfad->isChecked());
        QVERIFY(w->findChild<QLabel*>(QStringLiteral("imgSongNote_5")));
        QVERIFY(w->findChild<QLabel*>(QStringLiteral("imgCDnote_0"))->isVisible());
    }

    // The captions beside the eBook list and in the navigator keep their words whole: the
    // list starts after "eBook u. Multimedia (n)" even with a three-digit count.
    void beschriftungenGanz()
    {
        auto w = starten();
        QLabel* bez = w->Bez.value(11);
        QVERIFY(bez);
        bez->setText(QStringLiteral("eBook u. Multimedia (999)"));
        const int textEnde = bez->x() + bez->fontMetrics().horizontalAdvance(bez->text());
        QVERIFY(textEnde <= bez->x() + bez->width());
        QVERIFY2(textEnde < w->ebookListe()->x(), "the eBook list covers its caption");
        auto* steuerung = w->findChild<QLabel*>(QStringLiteral("Data1_Caption"));
        QVERIFY(steuerung);
        const QString wort = steuerung->text().trimmed();
        QVERIFY(steuerung->fontMetrics().horizontalAdvance(wort) <= steuerung->width());
        QVERIFY(steuerung->alignment() & Qt::AlignRight);
    }

    // Stored cover, external pictures, the strip and the eBook list follow the record;
    // a click enlarges the picture.
    void bilderUndStreifenFolgen()
    {
        auto w = starten();
        w->coverStreifen()->setLetzterSlot(0); // one cover a page: the page is the record's cover
        // Start-up shows a random record: move away first, so choosing Zappa is a record change.
        zeileWaehlen(*w, QStringLiteral("A"));
        zeileWaehlen(*w, QStringLiteral("Z"));
        QVERIFY(!w->Bild1->pixmap().isNull());
        QCOMPARE(w->Bild1->pixmap().toImage().pixelColor(2, 2), QColor(Qt::yellow));
        // The strip shows Zappa's cover in its first slot (exact "Band - LPTitel").
        QCOMPARE(w->coverStreifen()->regeln().liste().size(), 2);
        QCOMPARE(w->coverStreifen()->regeln().nameInSlot(0), QStringLiteral("Zappa - Apostrophe"));
        const QColor streifen = w->imgCover[0]->pixmap().toImage().pixelColor(2, 2);
        QVERIFY(streifen.red() > 200 && streifen.blue() < 50); // the red JPEG, not the blue PNG
        QVERIFY(!w->imgCover[1]->property("belegt").toBool());
        // External pictures: only the existing file is listed. (The record without any
        // picture has already switched the box on; the user's choice is stored.)
        w->chkBildpfad->setChecked(false);
        w->chkBildpfad->setChecked(true);
        QCOMPARE(w->cboBildpfad->count(), 1);
        QVERIFY(w->cboBildpfad->itemText(0).endsWith(QStringLiteral("Bilder/rueckseite.png")));
        QVERIFY(w->imgBildpfad->isVisible());
        QCOMPARE(option(QStringLiteral("HäkchenBildpfad")), QStringLiteral("1"));
        klicken(w->imgBildpfad);
        QVERIFY(w->picCoverGreat->isVisible());
        QVERIFY(w->picCoverGreat->width() > w->imgBildpfad->width());
        // The eBook list and its caption.
        QVERIFY(w->cboEbook->currentText().endsWith(QStringLiteral("eBook/Heft.txt")));
        QCOMPARE(w->bez(11), QStringLiteral("eBook u. Multimedia (1)"));
        // Another record: its cover comes first, no stored picture, no eBook.
        zeileWaehlen(*w, QStringLiteral("A"));
        QCOMPARE(w->coverStreifen()->regeln().nameInSlot(0), QStringLiteral("ABBA - Arrival"));
        QCOMPARE(w->cboBildpfad->count(), 0);
        QCOMPARE(w->bez(11), QStringLiteral("eBook u. Multimedia (0)"));
        // A larger window: the page fills from the list's end back, so both covers show.
        w->coverStreifen()->setLetzterSlot(0);
        zeileWaehlen(*w, QStringLiteral("Z"));
        QCOMPARE(w->coverStreifen()->regeln().position(), 1);
        w->resize(1100, 920);
        QTRY_COMPARE(w->coverStreifen()->regeln().position(), 0);
        QVERIFY(w->imgCover[1]->property("belegt").toBool());
        // Two covers a page; a click on Zappa's cover selects its record.
        zeileWaehlen(*w, QStringLiteral("A"));
        w->coverStreifen()->setLetzterSlot(1);
        const int zappa = w->coverStreifen()->regeln().nameInSlot(0) == QLatin1String("Zappa - Apostrophe") ? 0 : 1;
        klicken(w->imgCover[zappa]);
        QCOMPARE(w->TextBand->text(), QStringLiteral("Zappa"));
    }

    // Every record change shows the source that has a picture: the external ones while the
    // box is checked and one is listed, else the stored one, and the external ones when none
    // is stored. The caption counts the record's external pictures also while unchecked. Such
    // a switch leaves the keyboard focus where it is.
    void bildquelleFolgtDatensatz()
    {
        QVERIFY(klang::test::insertCatalogueRecords(
            m_katalog, {{{QStringLiteral("Band"), QStringLiteral("Gespeichert")}, {QStringLiteral("Bilder"), pngDaten(Qt::green)}},
                        {{QStringLiteral("Band"), QStringLiteral("Extern")},
                         {QStringLiteral("BildPfad"), QStringLiteral("ABBA - Arrival.png°")}}}));
        auto w = starten();
        w->chkBildpfad->setChecked(false);
        w->txtSuchen->setFocus();
        const auto farbe = [](QLabel* bild) { return bild->pixmap().toImage().pixelColor(2, 2); };
        struct Schritt
        {
            const char* band;
            bool extern_;
            QColor bild;
            const char* beschriftung;
        };
        const Schritt schritte[] = {
            {"G", false, QColor(Qt::green), "kein externes Bild"},
            {"E", true, QColor(Qt::blue), "1 externes Cover"},
            {"G", false, QColor(Qt::green), "kein externes Bild"},
            {"Z", false, QColor(Qt::yellow), "1 externes Cover"},
            {"E", true, QColor(Qt::blue), "1 externes Cover"},
            {"Z", true, QColor(Qt::green), "1 externes Cover"}, // rueckseite.png
            {"A", true, QColor(), "kein externes Bild"},
            {"G", false, QColor(Qt::green), "kein externes Bild"},
        };
        for (const Schritt& s : schritte) {
            zeileWaehlen(*w, QString::fromLatin1(s.band));
            const QString wo = QStringLiteral("record %1").arg(QLatin1String(s.band));
            QVERIFY2(w->chkBildpfad->isChecked() == s.extern_, qPrintable(wo));
            QVERIFY2(w->imgBildpfad->isVisibleTo(w.get()) == s.extern_, qPrintable(wo));
            QVERIFY2(w->Bild1->isVisibleTo(w.get()) == !s.extern_, qPrintable(wo));
            QLabel* sichtbar = s.extern_ ? w->imgBildpfad : w->Bild1;
            if (s.bild.isValid())
                QCOMPARE(farbe(sichtbar), s.bild);
            else
                QVERIFY2(sichtbar->pixmap().isNull(), qPrintable(wo));
            QCOMPARE(w->chkBildpfad->text(), QString::fromUtf8(s.beschriftung));
            QCOMPARE(QApplication::focusWidget(), w->txtSuchen);
        }
    }

    // The play button opens the listed eBook through the desktop's association.
    void ebookOeffnen()
    {
        auto w = starten();
        QString gestartet;
        w->ebookListe()->setZuordnung([](const QString&) { return QStringLiteral("/usr/bin/leser"); });
        w->ebookListe()->setStarter([&](const QString&, const QString& datei) {
            gestartet = datei;
            return true;
        });
        zeileWaehlen(*w, QStringLiteral("Z"));
        klicken(w->ebookListe()->imgEbookPlay);
        QCOMPARE(gestartet, m_ordner + QStringLiteral("eBook/Heft.txt"));
    }

    // A record star sets the rating; it is stored when the row is left and after a restart.
    void plattenSterne()
    {
        {
            auto w = starten();
            zeileWaehlen(*w, QStringLiteral("A"));
            QCOMPARE(w->imgCDnote()->sterne(), 0);
            zeileWaehlen(*w, QStringLiteral("Z"));
            QCOMPARE(w->imgCDnote()->sterne(), 3);
            klicken(w->imgCDnote()->stern(0));
            QCOMPARE(w->txtBewertung->text(), QStringLiteral("1"));
            QCOMPARE(w->imgCDnote()->sterne(), 1);
            zeileWaehlen(*w, QStringLiteral("A"));
            QCOMPARE(w->imgCDnote()->sterne(), 0); // never the previous record's rating
            zeileWaehlen(*w, QStringLiteral("Z"));
            QCOMPARE(w->imgCDnote()->sterne(), 1);
            klicken(w->imgCDnote()->stern(5));
            w->close();
        }
        auto w = starten();
        zeileWaehlen(*w, QStringLiteral("Z"));
        QCOMPARE(w->txtBewertung->text(), QStringLiteral("6"));
        QCOMPARE(w->imgCDnote()->sterne(), 6);
    }

    // A track star renames the current track; the list, the selection and the player's
    // current track follow the renamed file even where it sorts to another place.
    void trackSterneBenennenUm()
    {
        auto w = starten();
        zeileWaehlen(*w, QStringLiteral("Z"));
        QCOMPARE(w->filTrack->count(), 2);
        const auto treffer = w->filTrack->findItems(QStringLiteral("Song.wav"), Qt::MatchExactly);
        QCOMPARE(treffer.size(), 1);
        const int song = w->filTrack->row(treffer.first());
        w->spieler().setAktuellerTrack(song);
        w->BewertungTracks();
        QCOMPARE(w->imgSongNote()->sterne(), 0);
        klicken(w->imgSongNote()->stern(3));
        QVERIFY(QFileInfo::exists(m_musik + QStringLiteral("Song - 4.wav")));
        QVERIFY(!QFileInfo::exists(m_musik + QStringLiteral("Song.wav")));
        const int jetzt = w->spieler().aktuellerTrack();
        QCOMPARE(w->filTrack->item(jetzt)->text(), QStringLiteral("Song - 4.wav"));
        QCOMPARE(w->filTrack->currentRow(), jetzt);
        QCOMPARE(w->imgSongNote()->sterne(), 4);
        // Rating again replaces the mark.
        klicken(w->imgSongNote()->stern(1));
        QCOMPARE(w->filTrack->item(w->spieler().aktuellerTrack())->text(), QStringLiteral("Song - 2.wav"));
        QCOMPARE(w->imgSongNote()->sterne(), 2);
    }

    // A rename never overwrites: with "Song - 4.wav" present, rating "Song.wav" with 4 stars
    // leaves both files as they were.
    void trackSternUeberschreibtNie()
    {
        QFile vorhanden(m_musik + QStringLiteral("Song - 4.wav"));
        QVERIFY(vorhanden.open(QIODevice::WriteOnly));
        vorhanden.write("schon da");
        vorhanden.close();
        auto w = starten();
        zeileWaehlen(*w, QStringLiteral("Z"));
        const auto treffer = w->filTrack->findItems(QStringLiteral("Song.wav"), Qt::MatchExactly);
        QCOMPARE(treffer.size(), 1);
        w->spieler().setAktuellerTrack(w->filTrack->row(treffer.first()));
        klicken(w->imgSongNote()->stern(3));
        QVERIFY(QFileInfo::exists(m_musik + QStringLiteral("Song.wav")));
        QFile pruefen(m_musik + QStringLiteral("Song - 4.wav"));
        QVERIFY(pruefen.open(QIODevice::ReadOnly));
        QCOMPARE(pruefen.readAll(), QByteArray("schon da"));
        QCOMPARE(w->filTrack->item(w->spieler().aktuellerTrack())->text(), QStringLiteral("Song.wav"));
        QCOMPARE(w->imgSongNote()->sterne(), 0);
        QVERIFY(kit::testhook::calls().isEmpty());
    }

    // Playlist mode: a track star renames the selected playlist item's file, never a file of
    // the record's track list.
    void trackSternImPlaylistModus()
    {
        const QString fremd = m_env->path(QStringLiteral("liste")) + QStringLiteral("/Fremd.wav");
        QVERIFY(klang::test::writeWav(fremd));
        auto w = starten();
        zeileWaehlen(*w, QStringLiteral("Z"));
        const QFileInfo fremdInfo(fremd);
        const QString vorne = QFileInfo(fremdInfo.path()).path() + QLatin1Char('/');
        auto* item = new QTreeWidgetItem(
            w->lvwPlaylist, {QStringLiteral("Fremd.wav"), QStringLiteral("liste/"), vorne});
        w->lvwPlaylist->setCurrentItem(item);
        w->spieler().setPlaylistModus(true);
        w->spieler().setAktuellerTrack(0);
        klicken(w->imgSongNote()->stern(4));
        QVERIFY(QFileInfo::exists(QFileInfo(fremd).path() + QStringLiteral("/Fremd - 5.wav")));
        QCOMPARE(item->text(0), QStringLiteral("Fremd - 5.wav"));
        QCOMPARE(Ausgabebox::playlistPfad(item), fremdInfo.path() + QStringLiteral("/Fremd - 5.wav"));
        QVERIFY(w->PlaylistGeaendert);
        QVERIFY(QFileInfo::exists(m_musik + QStringLiteral("Song.wav")));
        QVERIFY(QFileInfo::exists(m_musik + QStringLiteral("Song 2.wav")));
        QCOMPARE(w->imgSongNote()->sterne(), 5);
    }

    // Text edited in each pane (bold, umlauts, strike-through) is stored with the record,
    // reads back after a restart, and the stored songs still match an umlaut search.
    void textePersistieren()
    {
        QList<QByteArray> namen{"TextSongs", "rtfLinks", "rtfInfo", "rtfSonstiges", "txtSongText"};
        {
            auto w = starten();
            zeileWaehlen(*w, QStringLiteral("Z"));
            for (const QByteArray& name : namen) {
                auto* box = w->findChild<klang::richtext::RichTextBox*>(QLatin1String(name));
                QVERIFY(box);
                QTextCursor c(box->document());
                QTextCharFormat fett;
                fett.setFontWeight(QFont::Bold);
                c.insertText(QStringLiteral("Mädchen "), fett);
                QTextCharFormat durch;
                durch.setFontStrikeOut(true);
                c.insertText(QStringLiteral("Straße"), durch);
                box->document()->setModified(true);
            }
            // The bold button on a selection in the songs pane.
            w->TextSongs->selectAll();
            w->textWerkzeuge()->ButtonText_Click(3); // mixed selection: all bold
            w->close();
        }
        klang::jet::Database db;
        QVERIFY(db.open(m_katalog));
        const QString songs = db.scalar(QStringLiteral("select Songs from Schallplatten where Band = 'Zappa'")).toString();
        QVERIFY2(songs.contains(QStringLiteral("\\'e4")), qPrintable(songs));
        QString muster = QStringLiteral("Mädchen");
        QVERIFY(klang::jet::jetLike(songs, QStringLiteral("*") + kit::UmlautSuchmuster(muster) + QStringLiteral("*")));
        db.close();

        auto w = starten();
        zeileWaehlen(*w, QStringLiteral("Z"));
        for (const QByteArray& name : namen) {
            auto* box = w->findChild<klang::richtext::RichTextBox*>(QLatin1String(name));
            QVERIFY2(box->toPlainText().contains(QStringLiteral("Mädchen Straße")), name.constData());
            QTextCursor c(box->document());
            c.setPosition(1);
            QVERIFY2(c.charFormat().fontWeight() >= QFont::Bold, name.constData());
            c.setPosition(int(box->toPlainText().indexOf(QStringLiteral("Straße"))) + 2);
            QVERIFY2(c.charFormat().fontStrikeOut(), name.constData());
            QCOMPARE(c.charFormat().fontWeight() >= QFont::Bold, name == "TextSongs");
        }
    }

    // The option "Cover vom Datenbankpfad laden" is stored; switched off, the listed names count
    // as written (relative to the catalogue's folder), so the record's picture is not found.
    void bildLadePfadUmschalten()
    {
        setOption(QStringLiteral("HäkchenBildpfad"), QStringLiteral("1"));
        auto w = starten();
        zeileWaehlen(*w, QStringLiteral("Z"));
        QCOMPARE(w->cboBildpfad->count(), 1);
        w->mnuBildDatenbankpfad->trigger();
        QVERIFY(!w->mnuBildDatenbankpfad->isChecked());
        QCOMPARE(option(QStringLiteral("BildLadePfad")), QStringLiteral("False"));
        zeileWaehlen(*w, QStringLiteral("A"));
        zeileWaehlen(*w, QStringLiteral("Z"));
        QCOMPARE(w->cboBildpfad->count(), 0);
        w->mnuBildDatenbankpfad->trigger();
        QCOMPARE(option(QStringLiteral("BildLadePfad")), QStringLiteral("True"));
        zeileWaehlen(*w, QStringLiteral("A"));
        zeileWaehlen(*w, QStringLiteral("Z"));
        QCOMPARE(w->cboBildpfad->count(), 1);
    }

    // Rating a record brings its data to the front instead of the playlist.
    void plattenSternZeigtDaten()
    {
        auto w = starten();
        w->lvwPlaylist->setVisible(true);
        w->tabTexte->setVisible(false);
        klicken(w->imgCDnote()->stern(2));
        QVERIFY(!w->lvwPlaylist->isVisible());
        QVERIFY(w->tabTexte->isVisible());
    }

    // The song-text menu shows the pane at the current track's lyrics and hides it again.
    void songTextFolgtTrack()
    {
        auto w = starten();
        zeileWaehlen(*w, QStringLiteral("Z"));
        QString text = QStringLiteral("Song 2.wav\n");
        for (int i = 0; i < 80; ++i)
            text += QStringLiteral("erste Strophe, Zeile %1\n").arg(i);
        text += QStringLiteral("Song.wav\n");
        for (int i = 0; i < 80; ++i)
            text += QStringLiteral("zweite Strophe, Zeile %1\n").arg(i);
        w->txtSongText->setPlainText(text);
        const auto treffer = w->filTrack->findItems(QStringLiteral("Song.wav"), Qt::MatchExactly);
        QCOMPARE(treffer.size(), 1);
        w->spieler().setAktuellerTrack(w->filTrack->row(treffer.first()));
        auto* menue = w->findChild<QAction*>(QStringLiteral("mnuSongTextEinAus"));
        menue->trigger();
        QVERIFY(w->txtSongText->isVisible());
        QCOMPARE(w->txtSongText->textCursor().position(), int(w->txtSongText->toPlainText().indexOf(QStringLiteral("\nSong.wav"))) + 1);
        // The heading of the playing track is the pane's top line ...
        const QRect kopf = w->txtSongText->cursorRect();
        QVERIFY2(kopf.top() >= 0 && kopf.top() < kopf.height(), qPrintable(QString::number(kopf.top())));
        // ... and nothing of the window lies over the pane: every point of it shows the pane.
        QWidget* flaeche = w->txtSongText->parentWidget();
        const QRect ort = w->txtSongText->geometry();
        QVERIFY(flaeche->rect().contains(ort));
        for (int x = ort.left() + 2; x < ort.right(); x += 15) {
            for (int y = ort.top() + 2; y < ort.bottom(); y += 15) {
                QWidget* oben = flaeche->childAt(x, y);
                QVERIFY2(oben == w->txtSongText || w->txtSongText->isAncestorOf(oben),
                         qPrintable(QStringLiteral("%1 at %2,%3").arg(oben ? oben->objectName() : QString()).arg(x).arg(y)));
            }
        }
        menue->trigger();
        QVERIFY(!w->txtSongText->isVisible());
    }

    // Esc in a text pane reaches the player (it ends a pause or stops a running search); Esc in
    // the song-text pane hides it.
    void escInTextPanes()
    {
        auto w = starten();
        zeileWaehlen(*w, QStringLiteral("Z"));
        QVERIFY(!w->spieler().escGedrueckt());
        QTest::keyClick(w->rtfInfo, Qt::Key_Escape);
        QVERIFY(w->spieler().escGedrueckt());
        w->txtSongText->setVisible(true);
        QTest::keyClick(w->txtSongText, Qt::Key_Escape);
        QVERIFY(!w->txtSongText->isVisible());
    }

    // Focusing a detail field is remembered; a tab change focuses its pane.
    void fokusUndTabs()
    {
        auto w = starten();
        w->activateWindow();
        w->TextBand->setFocus();
        QTRY_COMPARE(w->LetzterFokus, QStringLiteral("TextBand"));
        w->tabTexte->setCurrentIndex(2);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->rtfInfo));
    }
};

QTEST_MAIN(AusgabeboxDetailTest)
#include "tst_ausgabeboxdetail.moc"
