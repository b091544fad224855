// The searches driven through the real widgets: the search dialog's boxes and texts, the quick
// search field, filter and replace through the main window's search command, the song search
// into a playlist, and showing the record of what plays.

#include "kit/TestHook.h"
#include "tests/player/catalogue/FensterUmgebung.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Suchbox.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/sound/Sound.h"
#include "platform/shell/Paths.h"
#include "platform/textfiles/LineFile.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <memory>

using namespace klang::player;

namespace {

QVariantMap satz(const QString& band, const QString& titel, const QString& info = QString(),
                 const QString& musikpfad = QString())
{
    QVariantMap m{{QStringLiteral("Band"), band}, {QStringLiteral("LPTitel"), titel}, {QStringLiteral("Stil"), QStringLiteral("Rock")}};
    if (!info.isEmpty())
        m.insert(QStringLiteral("Info"), info);
    if (!musikpfad.isEmpty())
        m.insert(QStringLiteral("Musikpfad"), musikpfad);
    return m;
}

void klicken(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, w->height() / 2));
}

// Runs `schritte` on the search dialog once it shows.
void imDialog(std::function<void(Suchbox*)> schritte)
{
    imModalenDialog<Suchbox>(std::move(schritte));
}

QStringList spalte(Ausgabebox& w, const QString& feld)
{
    QStringList werte;
    auto& rs = w.katalog().data1().recordset();
    for (int r = 0; r < w.katalog().anzahl(); ++r)
        werte << rs.value(r, feld);
    return werte;
}

QRgb basisfarbe(QLineEdit* feld)
{
    return feld->palette().color(QPalette::Base).rgb();
}

QRgb bgr(quint32 wert)
{
    return qRgb(int(wert & 0xFF), int((wert >> 8) & 0xFF), int((wert >> 16) & 0xFF));
}

} // namespace

class AusgabeboxSucheTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FensterUmgebung> m_env;
    QString m_katalog;

    std::unique_ptr<Ausgabebox> starten()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        setOption(QStringLiteral("WinMediaPlayer"), QStringLiteral("False"));
        return hauptfensterZeigen();
    }

private slots:
    void init()
    {
        m_env = std::make_unique<FensterUmgebung>();
        m_katalog = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
        klang::test::CatalogueSpec vorgabe;
        vorgabe.records = 300;
        QVERIFY(klang::test::writeCatalogue(m_katalog, vorgabe));
        QVERIFY(klang::test::insertCatalogueRecords(
            m_katalog, {satz("Beatles", "Abbey Road"), satz("Beatles", "Help"), satz("beatles", "Kopie"),
                        satz("O'Qqbrien", "Qqxyz Eins", "57%q live"), satz("Zzquarz", "[Qqxyz Zwei]"),
                        satz("Zzquarz", "Stern*Qqxyz")}));
    }
    void cleanup()
    {
        m_env.reset();
    }

    // The dialog's boxes build the job as they show (sort field of the box clicked last),
    // whether the user clicks and types or the boxes and texts are set another way (an
    // assistive tool toggles a box or sets a text without a click).
    void dialogBautAuftrag_data()
    {
        QTest::addColumn<QList<int>>("boxen");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("ohneKlick");
        for (const bool ohneKlick : {false, true}) {
            const char* weg = ohneKlick ? " (gesetzt)" : " (geklickt)";
            QTest::addRow("Titel%s", weg) << QList<int>{1} << "Best"
                                          << "select * from Schallplatten where LPTitel like '*Best*' order by LPTitel"
                                          << ohneKlick;
            QTest::addRow("Band und Medium%s", weg)
                << QList<int>{0, 2} << "Live"
                << "select * from Schallplatten where Band like '*Live*' or Medium like '*Live*' order by Band" << ohneKlick;
        }
    }
    void dialogBautAuftrag()
    {
        QFETCH(QList<int>, boxen);
        QFETCH(QString, text);
        QFETCH(QString, sql);
        QFETCH(bool, ohneKlick);
        Suchbox box(QString(), klang::programmPfad());
        box.show();
        const auto setzen = [ohneKlick](QCheckBox* b) {
            if (ohneKlick)
                b->toggle();
            else
                klicken(b);
        };
        QCOMPARE(box.chkSpaltenname[3]->checkState(), Qt::PartiallyChecked);
        setzen(box.chkSpaltennameAlle);
        QCOMPARE(box.chkSpaltenname[3]->checkState(), Qt::Unchecked);
        for (int k : boxen)
            setzen(box.chkSpaltenname[k]);
        if (ohneKlick)
            box.txtSuchen->setText(text);
        else
            QTest::keyClicks(box.txtSuchen, text);
        QTest::mouseClick(box.ButtonOk, Qt::LeftButton);
        QVERIFY(box.auftrag().has_value());
        QCOMPARE(box.auftrag()->SuchSQL, sql);
        QCOMPARE(option(QStringLiteral("TabellenName")), text);
    }

    // With the default font every check box of the dialog shows its whole caption and none
    // lies over another ("Songs-" and "Bewertung" side by side), all inside their frame.
    void dialogKaestchenUeberlappenNicht()
    {
        Suchbox box(QString(), klang::programmPfad());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QList<QCheckBox*> kaestchen = box.Frame1->findChildren<QCheckBox*>();
        QCOMPARE(kaestchen.size(), 15);
        for (QCheckBox* a : kaestchen) {
            QVERIFY2(a->width() >= a->sizeHint().width(), qPrintable(a->text()));
            QVERIFY2(box.Frame1->rect().contains(a->geometry()), qPrintable(a->text()));
            for (QCheckBox* b : kaestchen) {
                if (a != b)
                    QVERIFY2(!a->geometry().intersects(b->geometry()), qPrintable(a->text() + " / " + b->text()));
            }
        }
        QVERIFY(box.rect().contains(box.Frame1->geometry()));
        QVERIFY(!box.Frame1->geometry().intersects(box.lstStil->geometry()));
    }

    // The apostrophe cannot be typed; Exit and the frame hand out no job.
    void apostrophUndAbbruch()
    {
        Suchbox box(QString(), klang::programmPfad());
        box.show();
        QTest::keyClicks(box.txtSuchen, QStringLiteral("O'Brien"));
        QCOMPARE(box.txtSuchen->text(), QStringLiteral("OBrien"));
        QTest::mouseClick(box.ButtonAbbrechen, Qt::LeftButton);
        QVERIFY(!box.auftrag().has_value());
        Suchbox zu(QString(), klang::programmPfad());
        zu.show();
        QTest::keyClicks(zu.txtSuchen, QStringLiteral("x"));
        zu.close();
        QVERIFY(!zu.auftrag().has_value());
    }

    // Song rating and a star set the mark; a star without a rating box only warns.
    void sterne()
    {
        Suchbox box(QString(), klang::programmPfad());
        box.show();
        klicken(box.imgStern[3]);
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().at(0).title, QStringLiteral("Hinweis"));
        QCOMPARE(kit::testhook::calls().at(0).style, 3);
        klicken(box.chkBewertungSong);
        klicken(box.imgStern[4]);
        QCOMPARE(box.txtSuchen->text(), QStringLiteral(" - 4."));
        QCOMPARE(box.chkSpaltenname[SuchspalteSongs]->checkState(), Qt::Checked);
        QTest::mouseClick(box.ButtonOk, Qt::LeftButton);
        QVERIFY(box.auftrag().has_value());
        QVERIFY(box.auftrag()->SongSucheAktiv);
        QCOMPARE(box.auftrag()->SongBewertungMarke, QStringLiteral(" - 4."));
    }

    // Styles are taken by click, Enter and Space, not by moving through the list with arrows.
    void stilliste()
    {
        QStringList zeilen{QStringLiteral("Rock"), QStringLiteral("Pop"), QStringLiteral("Jazz")};
        QVERIFY(klang::writeLines(klang::programmPfad() + QStringLiteral("Stilrichtung.ini"), zeilen));
        Suchbox box(QString(), klang::programmPfad());
        box.show();
        QCOMPARE(box.lstStil->count(), 3);
        box.lstStil->setFocus();
        box.lstStil->setCurrentRow(0);
        QTest::keyClick(box.lstStil, Qt::Key_Return);
        QTest::keyClick(box.lstStil, Qt::Key_Down);
        QTest::keyClick(box.lstStil, Qt::Key_Space);
        QCOMPARE(box.txtSuchen->text(), QStringLiteral("Rock, Pop"));
        QVERIFY(box.isVisible()); // Enter in the list does not press OK
        QCOMPARE(box.chkSpaltenname[SuchspalteStil]->checkState(), Qt::Checked);
    }

    // Enter in the quick search field finds the next record showing the text and colours the
    // field; hostile texts are plain text; a miss is red with the sound.
    void schnellsuche_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("titel");
        QTest::newRow("Apostroph") << "O'Qqbrien" << "Qqxyz Eins";
        QTest::newRow("Prozent") << "57%q" << "Qqxyz Eins";
        QTest::newRow("Klammer") << "[qqxyz" << "[Qqxyz Zwei]";
        QTest::newRow("Stern") << "*qqxyz" << "Stern*Qqxyz";
    }
    void schnellsuche()
    {
        QFETCH(QString, text);
        QFETCH(QString, titel);
        auto w = starten();
        w->txtSuchen->setFocus();
        QTest::keyClicks(w->txtSuchen, text);
        QTest::keyClick(w->txtSuchen, Qt::Key_Return);
        QCOMPARE(w->TextLPTitel->text(), titel);
        QCOMPARE(basisfarbe(w->txtSuchen), bgr(SuchfeldTreffer));
        QCOMPARE(w->MSFlexGrid1->currentIndex().row(), w->katalog().data1().absolutePosition());
        // The text occurs once: the next Enter misses, then wraps to the hit again.
        QTest::keyClick(w->txtSuchen, Qt::Key_Return);
        QCOMPARE(basisfarbe(w->txtSuchen), bgr(SuchfeldFehlanzeige));
        QVERIFY(klang::lastSoundRequested().endsWith(QStringLiteral("false.wav")));
        QTest::keyClick(w->txtSuchen, Qt::Key_Return);
        QCOMPARE(w->TextLPTitel->text(), titel);
    }

    // Repeated Enter walks through the records holding the text; typing resets the colour.
    void schnellsucheWeiter()
    {
        auto w = starten();
        QTest::keyClicks(w->txtSuchen, QStringLiteral("qqxyz"));
        QStringList titel;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(w->txtSuchen, Qt::Key_Return);
            titel << w->TextLPTitel->text();
        }
        titel.sort();
        QCOMPARE(titel, (QStringList{"Qqxyz Eins", "Stern*Qqxyz", "[Qqxyz Zwei]"}));
        QTest::keyClicks(w->txtSuchen, QStringLiteral("x"));
        QCOMPARE(basisfarbe(w->txtSuchen), bgr(SuchfeldNeutral));
    }

    // A search over several columns through the search command filters the table and names
    // the view; the playlist mode stays when the dialog is cancelled.
    void filterUeberSpalten()
    {
        auto w = starten();
        imDialog([](Suchbox* box) {
            klicken(box->chkSpaltennameAlle);
            klicken(box->chkSpaltenname[0]);
            klicken(box->chkSpaltenname[1]);
            QTest::keyClicks(box->txtSuchen, QStringLiteral("Qqxyz"));
            QTest::mouseClick(box->ButtonOk, Qt::LeftButton);
        });
        w->MenuSuchen_Click();
        QCOMPARE(w->katalog().anzahl(), 3);
        QCOMPARE(w->lblTabellenName->text(), QStringLiteral("Qqxyz"));
        QVERIFY(option(QStringLiteral("Data1RecordSource")).contains(QStringLiteral("LPTitel like '*Qqxyz*'")));

        w->spieler().setPlaylistModus(true);
        imDialog([](Suchbox* box) { QTest::mouseClick(box->ButtonAbbrechen, Qt::LeftButton); });
        w->MenuSuchen_Click();
        QVERIFY(w->spieler().playlistModus());
        QCOMPARE(w->katalog().anzahl(), 3);
    }

    // "Beatles" by "The Beatles" changes the matching records once, reports their number,
    // and a dialog opened and closed again later replaces nothing a second time.
    void ersetzenEinmal()
    {
        auto w = starten();
        const int alle = w->katalog().anzahl();
        // What the replace should make of the column: the first "Beatles" of a band (case
        // as typed) becomes "The Beatles"; every other band stays.
        QStringList erwartet;
        int geaendert = 0;
        for (QString band : spalte(*w, QStringLiteral("Band"))) {
            const int pos = int(band.indexOf(QStringLiteral("Beatles")));
            if (pos >= 0) {
                band.replace(pos, 7, QStringLiteral("The Beatles"));
                ++geaendert;
            }
            erwartet << band;
        }
        erwartet.sort();
        QVERIFY(geaendert >= 2);
        imDialog([](Suchbox* box) {
            QTest::keyClicks(box->txtSuchen, QStringLiteral("Beatles"));
            klicken(box->chkSpaltennameAlle);
            klicken(box->chkSpaltenname[0]);
            klicken(box->chkErsetzen);
            QTest::keyClicks(box->txtErsetzen, QStringLiteral("The Beatles"));
            QTest::mouseClick(box->ButtonOk, Qt::LeftButton);
        });
        w->MenuSuchen_Click();
        const auto aufrufe = kit::testhook::calls();
        QVERIFY(!aufrufe.isEmpty());
        QCOMPARE(aufrufe.last().prompt, QString::number(geaendert) + QStringLiteral(" Datensätze ersetzt!"));
        QCOMPARE(aufrufe.last().title, QStringLiteral("Datensätze ersetzen"));
        QCOMPARE(w->katalog().anzahl(), alle); // the whole table again
        QStringList jetzt = spalte(*w, QStringLiteral("Band"));
        jetzt.sort();
        QCOMPARE(jetzt, erwartet);
        QCOMPARE(jetzt.count(QStringLiteral("beatles")), 1);

        kit::testhook::clear();
        imDialog([](Suchbox* box) { box->close(); });
        w->MenuSuchen_Click();
        imDialog([](Suchbox* box) { QTest::mouseClick(box->ButtonAbbrechen, Qt::LeftButton); });
        w->MenuSuchen_Click();
        QVERIFY(kit::testhook::calls().isEmpty());
        jetzt = spalte(*w, QStringLiteral("Band"));
        jetzt.sort();
        QCOMPARE(jetzt, erwartet);
    }

    // A song search by rating fills "Suchliste.txt", loads it as the playlist and keeps it
    // under the name given.
    void songsucheNachBewertung()
    {
        const QString musik = m_env->path(QStringLiteral("musik/Qqxyz")) + QLatin1Char('/');
        for (const char* name : {"Eins - 4.mp3", "Zwei - 2.mp3", "Drei.mp3", "Vier - 4.mp3"}) {
            QFile f(musik + QString::fromUtf8(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(klang::test::insertCatalogueRecords(m_katalog, {satz("Qqxyz Band", "Mit Musik", QString(), musik)}));
        auto w = starten();
        kit::testhook::queueAnswer(QStringLiteral("Favoriten"));
        imDialog([](Suchbox* box) {
            klicken(box->chkBewertungSong);
            klicken(box->imgStern[4]);
            QTest::mouseClick(box->ButtonOk, Qt::LeftButton);
        });
        w->MenuSuchen_Click();
        QTRY_COMPARE(w->PlaylistName, QStringLiteral("Favoriten.txt"));
        QVERIFY(!w->songsucheLaeuft());
        QVERIFY(!w->SongSucheAktiv);
        const QString ordner = klang::programmPfad() + QStringLiteral("Playlist/");
        const QStringList erwartet{musik + "Eins - 4.mp3", musik + "Vier - 4.mp3"};
        QCOMPARE(klang::readLines(ordner + QStringLiteral("Suchliste.txt")), erwartet);
        QCOMPARE(klang::readLines(ordner + QStringLiteral("Favoriten.txt")), erwartet);
        QCOMPARE(w->lvwPlaylist->topLevelItemCount(), 2);
        QCOMPARE(w->lvwPlaylist->topLevelItem(0)->text(0), QStringLiteral("Eins - 4.mp3"));
        QCOMPARE(w->lvwPlaylist->topLevelItem(0)->checkState(0), Qt::Checked);
        QVERIFY(w->spieler().playlistModus());
        QVERIFY(w->lvwPlaylist->isVisible());
        QVERIFY(w->mnuPlaylistAnzeigen->isChecked());
        QCOMPARE(kit::testhook::calls().last().kind, QStringLiteral("InputFenn"));
        QCOMPARE(kit::testhook::calls().last().prompt, QStringLiteral("Namen der Playlist eingeben."));
    }

    // While the song search runs the quick search waits; Esc in the song list ends it after
    // the current row, and what was collected until then is still offered for a name.
    void songsucheEsc()
    {
        const QString musik = m_env->path(QStringLiteral("musik/Zz")) + QLatin1Char('/');
        QFile f(musik + QStringLiteral("Eins - 4.mp3"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(klang::test::insertCatalogueRecords(m_katalog, {satz("ZZZZZ Musik", "Zuletzt", QString(), musik)}));
        auto w = starten();
        imDialog([](Suchbox* box) {
            klicken(box->chkBewertungSong);
            klicken(box->imgStern[4]);
            QTest::mouseClick(box->ButtonOk, Qt::LeftButton);
        });
        w->MenuSuchen_Click();
        QVERIFY(w->songsucheLaeuft());
        QVERIFY(!w->txtSuchen->isEnabled());
        const int zeile = w->katalog().data1().absolutePosition();
        w->Suchen();
        QCOMPARE(w->katalog().data1().absolutePosition(), zeile);
        QTest::keyClick(w->TextSongs, Qt::Key_Escape);
        QTRY_VERIFY(!w->SongSucheAktiv);
        QVERIFY(w->txtSuchen->isEnabled());
        const QString ordner = klang::programmPfad() + QStringLiteral("Playlist/");
        QVERIFY(QFile::exists(ordner + QStringLiteral("Suchliste.txt")));
        QCOMPARE(klang::readLines(ordner + QStringLiteral("Suchliste.txt")), QStringList());
        QCOMPARE(kit::testhook::calls().last().kind, QStringLiteral("InputFenn"));
    }

    // Esc ends the song search wherever the focus is in the window, not only in the song
    // list; the status bar counts while it runs and shows the record count again afterwards.
    void songsucheEscUeberall()
    {
        const QString musik = m_env->path(QStringLiteral("musik/Zz")) + QLatin1Char('/');
        QFile f(musik + QStringLiteral("Eins - 4.mp3"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(klang::test::insertCatalogueRecords(m_katalog, {satz("ZZZZZ Musik", "Zuletzt", QString(), musik)}));
        auto w = starten();
        const QString anzahl = w->panelText(3);
        imDialog([](Suchbox* box) {
            klicken(box->chkBewertungSong);
            klicken(box->imgStern[4]);
            QTest::mouseClick(box->ButtonOk, Qt::LeftButton);
        });
        w->MenuSuchen_Click();
        QVERIFY(w->songsucheLaeuft());
        w->tabTexte->setFocus();
        QTest::keyClick(w->tabTexte, Qt::Key_Escape);
        QTRY_VERIFY(!w->SongSucheAktiv);
        const QString ordner = klang::programmPfad() + QStringLiteral("Playlist/");
        QCOMPARE(klang::readLines(ordner + QStringLiteral("Suchliste.txt")), QStringList());
        QCOMPARE(w->panelText(3), anzahl);
    }

    // An empty name keeps the result in "Suchliste.txt" only; an existing name is only
    // overwritten after "Ja".
    void songsucheNamen()
    {
        const QString musik = m_env->path(QStringLiteral("musik/Qqxyz")) + QLatin1Char('/');
        QFile f(musik + QStringLiteral("Eins - 5.mp3"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(klang::test::insertCatalogueRecords(m_katalog, {satz("Qqxyz Band", "Mit Musik", QString(), musik)}));
        const QString ordner = klang::programmPfad() + QStringLiteral("Playlist/");
        QVERIFY(QDir().mkpath(ordner));
        QVERIFY(klang::writeLines(ordner + QStringLiteral("Alt.txt"), {QStringLiteral("/alt.mp3")}));
        auto w = starten();
        // "Alt": overwriting refused, then the empty answer ends.
        kit::testhook::queueAnswer(QStringLiteral("Alt"));
        kit::testhook::queueAnswer(QStringLiteral("Nein"));
        kit::testhook::queueAnswer(QString());
        imDialog([](Suchbox* box) {
            klicken(box->chkBewertungSong);
            klicken(box->imgStern[5]);
            QTest::mouseClick(box->ButtonOk, Qt::LeftButton);
        });
        w->MenuSuchen_Click();
        QTRY_VERIFY(!w->SongSucheAktiv);
        QTRY_COMPARE(kit::testhook::calls().size(), 3);
        QCOMPARE(kit::testhook::calls().at(1).style, 22);
        QCOMPARE(klang::readLines(ordner + QStringLiteral("Alt.txt")), QStringList{QStringLiteral("/alt.mp3")});
        QCOMPARE(klang::readLines(ordner + QStringLiteral("Suchliste.txt")), QStringList{musik + "Eins - 5.mp3"});
        QCOMPARE(w->PlaylistName, QStringLiteral("Suchliste.txt"));
    }

    // The playlist title's record is shown and marked without taking the keyboard focus from
    // the field the user types in; a rating mark at the end of the title is left out.
    void playlistTitel()
    {
        auto w = starten();
        auto* item = new QTreeWidgetItem(QStringList{QStringLiteral("Stern*Qqxyz - 3.mp3"), QStringLiteral("x/"), QStringLiteral("/m/")});
        w->lvwPlaylist->addTopLevelItem(item);
        w->lvwPlaylist->setCurrentItem(item);
        w->activateWindow();
        w->TextInfo->setFocus();
        QTRY_VERIFY(w->TextInfo->hasFocus());
        w->SuchenPlaylistTitel();
        QCOMPARE(w->TextLPTitel->text(), QStringLiteral("Stern*Qqxyz"));
        QCOMPARE(basisfarbe(w->txtSuchen), bgr(SuchfeldTreffer));
        QVERIFY(w->TextInfo->hasFocus());
        QCOMPARE(w->suchposition().LetzterSuchtext, QStringLiteral("stern*qqxyz"));
        // A title no record holds: red, without a sound.
        item->setText(0, QStringLiteral("Niemals Qqvorhanden.mp3"));
        const QString tonVorher = klang::lastSoundRequested();
        w->SuchenPlaylistTitel();
        QCOMPARE(basisfarbe(w->txtSuchen), bgr(SuchfeldFehlanzeige));
        QCOMPARE(klang::lastSoundRequested(), tonVorher);
        QCOMPARE(w->TextLPTitel->text(), QStringLiteral("Stern*Qqxyz"));
    }

    // F2 and the tool bar's search button open the search dialog.
    void suchbefehlErreichbar()
    {
        auto w = starten();
        int gezeigt = 0;
        imDialog([&gezeigt](Suchbox*) { ++gezeigt; });
        w->findChild<QAction*>(QStringLiteral("MenuSuchen"))->trigger();
        QCOMPARE(gezeigt, 1);
        imDialog([&gezeigt](Suchbox*) { ++gezeigt; });
        w->cmdButton[3]->trigger();
        QCOMPARE(gezeigt, 2);
        QCOMPARE(w->findChild<QAction*>(QStringLiteral("MenuSuchen"))->shortcut(), QKeySequence(Qt::Key_F2));
    }

    // A status-panel click brings the catalogue back to the playing record and marks its
    // track; "Pause" asks to end the pause; other texts move nothing.
    void aktuelleCDanzeigen()
    {
        const QString musik = m_env->path(QStringLiteral("musik/Aaa")) + QLatin1Char('/');
        klang::test::WavSpec wav;
        wav.seconds = 5;
        QVERIFY(klang::test::writeWav(musik + QStringLiteral("01 - Eins.wav"), wav));
        QVERIFY(klang::test::writeWav(musik + QStringLiteral("02 - Zwei.wav"), wav));
        QVERIFY(klang::test::insertCatalogueRecords(m_katalog, {satz("Qqxyz Band", "Mit Musik", QString(), musik)}));
        auto w = starten();
        QTest::keyClicks(w->txtSuchen, QStringLiteral("Mit Musik"));
        QTest::keyClick(w->txtSuchen, Qt::Key_Return);
        QCOMPARE(w->TextLPTitel->text(), QStringLiteral("Mit Musik"));
        const int zeile = w->katalog().data1().absolutePosition();
        w->filTrack->setCurrentRow(1);
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_COMPARE(w->panelText(2), QStringLiteral("playing:  ") + musik + QStringLiteral("02 - Zwei.wav"));

        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(zeile == 0 ? 1 : 0, 0));
        QVERIFY(w->TextLPTitel->text() != QStringLiteral("Mit Musik"));
        QLabel* panel = w->findChild<QLabel*>(QStringLiteral("staBar_Panel3"));
        QVERIFY(panel);
        QTest::mouseClick(panel, Qt::LeftButton);
        QCOMPARE(w->TextLPTitel->text(), QStringLiteral("Mit Musik"));
        QCOMPARE(w->katalog().data1().absolutePosition(), zeile);
        QCOMPARE(w->filTrack->selectedItems().size(), 1);
        QCOMPARE(w->filTrack->selectedItems().at(0)->text(), QStringLiteral("02 - Zwei.wav"));
        QTest::mouseClick(w->imgStop, Qt::LeftButton);

        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(zeile == 0 ? 1 : 0, 0));
        w->setPanelText(2, QStringLiteral("no play"));
        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY(w->TextLPTitel->text() != QStringLiteral("Mit Musik"));
        QVERIFY(!w->EscGedrueckt);
        w->setPanelText(2, QStringLiteral("Pause"));
        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY(w->EscGedrueckt);
        QVERIFY(w->TextLPTitel->text() != QStringLiteral("Mit Musik"));
    }
};

QTEST_MAIN(AusgabeboxSucheTest)
#include "tst_ausgabeboxsuche.moc"
