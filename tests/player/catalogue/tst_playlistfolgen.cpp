// The catalogue follows a playing playlist: on a generated catalogue whose records' music
// folders hold short generated WAVs, a loaded playlist plays through tracks of three records
// with the real mpv engines (null outputs); at every track start the grid shows that track's
// record while the playlist keeps its position and the keyboard focus stays where it was.

#include "kit/TestHook.h"
#include "tests/player/catalogue/FensterUmgebung.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "platform/shell/Paths.h"
#include "platform/textfiles/LineFile.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace klang::player;

namespace {

// What the window shows right after a track started.
struct Stand
{
    QString datei;     // the file that started
    QString musikpfad; // the current record's music folder
    int playlistZeile = -1;
    int aktuellerTrack = -1;
    QString fokus;     // objectName of the focused widget
    QStringList trackAuswahl; // selected entries of the record's track list
};

// The first song of a generated record, as plain text ("1. Wort Wort" gives "Wort Wort").
QString ersterSong(const QVariantMap& satz)
{
    const QString rtf = satz.value(QStringLiteral("Songs")).toString();
    const qsizetype anfang = rtf.indexOf(QLatin1String("1. "));
    const qsizetype ende = rtf.indexOf(QLatin1String("\\par"), anfang);
    return anfang < 0 || ende < 0 ? QString() : rtf.mid(anfang + 3, ende - anfang - 3).trimmed();
}

} // namespace

class PlaylistFolgenTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FensterUmgebung> m_env;
    klang::test::CatalogueSpec m_spec;
    QList<Stand> m_staende;
    QStringList m_ordner;  // the music folders of the three playing records
    QStringList m_pfade;   // the playlist's lines

    // A catalogue of 60 generated records; three of them (one near the end) get real files.
    // Track names: numbered and unique (0), after the record's first song (1), or after the
    // record's style, a word many other records hold as well (2), or numbered per record, the
    // same file names in every folder (3).
    void katalogAnlegen(int benennung)
    {
        m_spec.records = 60;
        m_spec.seed = 7;
        m_spec.musicRoot = m_env->path(QStringLiteral("Musik")) + QLatin1Char('/');
        const QString katalog = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
        QDir().mkpath(QFileInfo(katalog).path());
        QVERIFY(klang::test::writeCatalogue(katalog, m_spec));
        setOption(QStringLiteral("ArchivPfad"), katalog);

        klang::test::WavSpec wav;
        wav.seconds = 0.4;
        wav.channels = 1;
        wav.sampleRate = 22050;
        m_ordner.clear();
        QStringList a, b, c;
        const QList<int> saetze = {11, 58, 30};
        for (int s = 0; s < saetze.size(); ++s) {
            const QVariantMap satz = klang::test::generatedRecord(saetze.at(s), m_spec);
            const QString ordner = satz.value(QStringLiteral("Musikpfad")).toString();
            QVERIFY2(!m_ordner.contains(ordner), qPrintable(ordner));
            m_ordner << ordner;
            QVERIFY(QDir().mkpath(ordner));
            QStringList& namen = s == 0 ? a : (s == 1 ? b : c);
            const QString lied = ersterSong(satz);
            QVERIFY(!lied.isEmpty());
            for (int n = 1; n <= (s == 0 ? 2 : 1); ++n) {
                const QString stil = satz.value(QStringLiteral("Stil")).toString();
                const QString name = benennung == 0   ? QStringLiteral("Spur %1%2.wav").arg(QChar(u'A' + s)).arg(n)
                                     : benennung == 3 ? QStringLiteral("Track 0%1.wav").arg(n)
                                                      : QStringLiteral("%1 - %2.wav").arg(benennung == 1 ? lied : stil).arg(n + 3);
                QVERIFY(klang::test::writeWav(ordner + name, wav));
                namen << ordner + name;
            }
        }
        // Record changes between all neighbours: A, B, A, C.
        m_pfade = {a.at(0), b.at(0), a.at(1), c.at(0)};
        const QString liste = klang::programmPfad() + QStringLiteral("Playlist/Drei Platten.txt");
        QDir().mkpath(QFileInfo(liste).path());
        QVERIFY(klang::writeLines(liste, m_pfade));
    }

    std::unique_ptr<Ausgabebox> starten()
    {
        auto w = std::make_unique<Ausgabebox>();
        w->Form_Load();
        w->show();
        w->activateWindow();
        const QString liste = klang::programmPfad() + QStringLiteral("Playlist/Drei Platten.txt");
        w->playlistDialog = [liste] { return liste; };
        m_staende.clear();
        Ausgabebox* fenster = w.get();
        // The look is taken once the start has run completely (after the player's hooks).
        connect(&w->spieler(), &PlayerController::statusChanged, fenster, [this, fenster](const QString& text) {
            if (!text.startsWith(QLatin1String("playing:  ")))
                return;
            const QString datei = text.mid(10);
            QTimer::singleShot(0, fenster, [this, fenster, datei] {
                Stand s;
                s.datei = datei;
                s.musikpfad = fenster->TextMusikpfad->text();
                QTreeWidgetItem* item = fenster->lvwPlaylist->currentItem();
                s.playlistZeile = item ? fenster->lvwPlaylist->indexOfTopLevelItem(item) : -1;
                s.aktuellerTrack = fenster->spieler().aktuellerTrack();
                for (const QListWidgetItem* t : fenster->filTrack->selectedItems())
                    s.trackAuswahl << t->text();
                s.fokus = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
                m_staende << s;
            });
        });
        return w;
    }

    // The record shown for a playlist line: the folder of the file.
    QString ordnerVon(int zeile) const
    {
        return QFileInfo(m_pfade.at(zeile)).path() + QLatin1Char('/');
    }

private slots:
    void init()
    {
        m_env = std::make_unique<FensterUmgebung>();
    }
    void cleanup()
    {
        m_env.reset();
    }

    // The playlist plays through by itself; at every start the grid shows the track's record,
    // the playlist's current item and AktuellerTrack are that track, and the focus stays in
    // the field the user typed in. Track titles other records hold too (a song, a style word)
    // and the same file names in every folder must not pull the catalogue elsewhere.
    void folgtDerPlaylist_data()
    {
        QTest::addColumn<int>("benennung");
        QTest::newRow("nummeriert") << 0;
        QTest::newRow("liedtitel") << 1;
        QTest::newRow("stilwort") << 2;
        QTest::newRow("gleiche Namen") << 3;
    }
    void folgtDerPlaylist()
    {
        QFETCH(int, benennung);
        katalogAnlegen(benennung);
        auto w = starten();
        w->mnuPlaylistLaden_Click();
        QCOMPARE(w->lvwPlaylist->topLevelItemCount(), 4);
        QVERIFY(w->spieler().playlistModus());
        w->chkAlleTracks->setChecked(true);
        // The loaded playlist shows in place of the text tabs: back to the record's fields.
        w->mnuPlaylistAnzeigen_Click();
        w->tabTexte->setCurrentIndex(0);
        w->TextInfo->setFocus();
        QTRY_VERIFY(w->TextInfo->hasFocus());

        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_staende.size() >= 4, 15000);
        for (int i = 0; i < 4; ++i) {
            const Stand& s = m_staende.at(i);
            const QByteArray was = QByteArray::number(i) + ": " + s.datei.toUtf8();
            QVERIFY2(s.datei == m_pfade.at(i), was.constData());
            QVERIFY2(s.musikpfad == ordnerVon(i), (was + " shows " + s.musikpfad.toUtf8()).constData());
            QVERIFY2(s.playlistZeile == i, (was + " playlist row " + QByteArray::number(s.playlistZeile)).constData());
            QVERIFY2(s.aktuellerTrack == i + 1, (was + " track " + QByteArray::number(s.aktuellerTrack)).constData());
            QVERIFY2(s.trackAuswahl.contains(QFileInfo(s.datei).fileName()),
                     (was + " track list " + s.trackAuswahl.join(QLatin1Char('|')).toUtf8()).constData());
            QVERIFY2(s.fokus == QLatin1String("TextInfo"), (was + " focus " + s.fokus.toUtf8()).constData());
        }
        QVERIFY(w->spieler().playlistModus());
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
    }

    // Among 40 missing entries (and a folder) 10 playable tracks play one after the other,
    // each soon after the one before ended: a file the engine refuses is skipped at once.
    void fehlendeUeberspringen()
    {
        katalogAnlegen(0);
        setOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("0"));
        const QString ordner = m_env->path(QStringLiteral("Luecken")) + QLatin1Char('/');
        QVERIFY(QDir().mkpath(ordner + QStringLiteral("Ordner.wav")));
        QStringList zeilen;
        for (int i = 0; i < 10; ++i) {
            zeilen << klang::test::shortWav(ordner.chopped(1), QStringLiteral("Ton %1.wav").arg(i), 0.3);
            for (int k = 0; k < 4 && i < 9; ++k)
                zeilen << ordner + (i == 4 && k == 0 ? QStringLiteral("Ordner.wav") : QStringLiteral("fehlt %1-%2.wav").arg(i).arg(k));
        }
        zeilen << ordner + QStringLiteral("fehlt am Ende.wav");
        const QString liste = klang::programmPfad() + QStringLiteral("Playlist/Luecken.txt");
        QVERIFY(klang::writeLines(liste, zeilen));
        auto w = starten();
        w->playlistDialog = [liste] { return liste; };
        w->mnuPlaylistLaden_Click();
        QCOMPARE(w->lvwPlaylist->topLevelItemCount(), 47);
        w->chkAlleTracks->setChecked(true);
        QElapsedTimer uhr;
        uhr.start();
        QList<qint64> starts;
        connect(&w->spieler(), &PlayerController::statusChanged, w.get(), [&](const QString& text) {
            if (text.startsWith(QLatin1String("playing:  ")))
                starts << uhr.elapsed();
        });
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(starts.size() >= 10, 30000);
        QCOMPARE(m_staende.size() >= 9 ? m_staende.at(8).datei : QString(), zeilen.at(8 * 5));
        // From the start of one track to the next, less its 0.3 s (the first start also makes
        // the engine's core and is left out). The wait between tracks is 0.5 s; four refused
        // entries must add next to nothing.
        qint64 luecke = 0;
        for (int i = 2; i < starts.size(); ++i)
            luecke = std::max(luecke, starts.at(i) - starts.at(i - 1) - 300);
        QVERIFY2(luecke < 1000, qPrintable(QString::number(luecke)));
        QTRY_VERIFY_WITH_TIMEOUT(!w->spieler().isWatching() && !w->spieler().isPausing(), 5000);
        QCOMPARE(w->spieler().statusText(), QStringLiteral("no play"));
    }

    // A double click on a playlist item plays that item and shows its record, also while
    // another item plays.
    void doppelklick()
    {
        katalogAnlegen(0);
        setOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("0"));
        auto w = starten();
        w->mnuPlaylistLaden_Click();
        w->lvwPlaylist->setVisible(true);
        w->lvwPlaylist->raise();
        QVERIFY(w->lvwPlaylist->isVisible());
        for (int zeile : {3, 1}) {
            QTreeWidgetItem* item = w->lvwPlaylist->topLevelItem(zeile);
            const QPoint punkt = w->lvwPlaylist->visualItemRect(item).center();
            const int vorher = int(m_staende.size());
            QTest::mouseClick(w->lvwPlaylist->viewport(), Qt::LeftButton, {}, punkt);
            QTest::mouseDClick(w->lvwPlaylist->viewport(), Qt::LeftButton, {}, punkt);
            QTRY_VERIFY_WITH_TIMEOUT(m_staende.size() > vorher, 5000);
            const Stand& s = m_staende.at(vorher);
            QCOMPARE(s.datei, m_pfade.at(zeile));
            QCOMPARE(s.musikpfad, ordnerVon(zeile));
            QCOMPARE(s.playlistZeile, zeile);
            QCOMPARE(s.aktuellerTrack, zeile + 1);
            QVERIFY(w->spieler().playlistModus());
        }
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
    }
};

QTEST_MAIN(PlaylistFolgenTest)
#include "tst_playlistfolgen.moc"
