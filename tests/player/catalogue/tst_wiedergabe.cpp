// Playback through the main window's own controls, on generated WAV and OGG files and a WAV
// behind an .mp3 name, played by the real mpv engines with null outputs.

#include "kit/TestHook.h"
#include "tests/player/catalogue/FensterUmgebung.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/playback/frmWinMediaPlayer.h"
#include "player/catalogue/AusgabeboxWiedergabe.h"
#include "player/catalogue/Einstellungen.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/shell/Paths.h"
#include "platform/vbcompat/VbCompat.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <limits>
#include <memory>

#include <mpv/client.h>

using namespace klang::player;

namespace {

// Writes the files of one music folder; names ending in ".ogg" are encoded by sox when it
// is there (a WAV otherwise), ".mp3" holds a WAV under a foreign name.
bool ordnerFuellen(const QString& ordner, const QStringList& namen, double sekunden)
{
    QDir().mkpath(ordner);
    klang::test::WavSpec spec;
    spec.seconds = sekunden;
    spec.channels = 1;
    spec.sampleRate = 22050;
    for (const QString& name : namen) {
        const QString ziel = ordner + name;
        if (name.endsWith(QLatin1String(".ogg")) && !QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty()) {
            const QString wav = ordner + QStringLiteral("tmp.wav");
            if (!klang::test::writeWav(wav, spec))
                return false;
            const int rc = QProcess::execute(QStringLiteral("sox"), {wav, ziel});
            QFile::remove(wav);
            if (rc != 0)
                return false;
        } else if (!klang::test::writeWav(ziel, spec)) {
            return false;
        }
    }
    return true;
}

// Encodes one second of mpv's built-in test pattern as a small AVI; false when this mpv
// cannot encode.
bool videoSchreiben(const QString& ziel)
{
    mpv_handle* mpv = mpv_create();
    if (!mpv)
        return false;
    const QByteArray pfad = ziel.toUtf8();
    mpv_set_option_string(mpv, "o", pfad.constData());
    mpv_set_option_string(mpv, "of", "avi");
    mpv_set_option_string(mpv, "ovc", "mpeg4");
    mpv_set_option_string(mpv, "ao", "null");
    bool fertig = false;
    if (mpv_initialize(mpv) >= 0) {
        const char* befehl[] = {"loadfile", "av://lavfi:testsrc=duration=1:size=64x48:rate=10", nullptr};
        if (mpv_command(mpv, befehl) >= 0) {
            for (int i = 0; i < 100 && !fertig; ++i) {
                const mpv_event* e = mpv_wait_event(mpv, 0.1);
                if (e->event_id == MPV_EVENT_END_FILE)
                    fertig = static_cast<const mpv_event_end_file*>(e->data)->reason == MPV_END_FILE_REASON_EOF;
            }
        }
    }
    mpv_terminate_destroy(mpv);
    return fertig && QFileInfo(ziel).size() > 0;
}

QVariantMap satz(const QString& band, const QString& stil, const QString& pfad)
{
    return {{QStringLiteral("Band"), band}, {QStringLiteral("LPTitel"), band + QStringLiteral(" Titel")},
            {QStringLiteral("Stil"), stil}, {QStringLiteral("Musikpfad"), pfad}};
}

bool schreiben(const QString& pfad, const QByteArray& inhalt)
{
    QFile f(pfad);
    return f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size();
}

} // namespace

class WiedergabeTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FensterUmgebung> m_env;
    QString m_musik;   // the allowed record's folder
    QString m_pop;     // a record of an excluded style
    QString m_verboten; // a record of an excluded band
    QStringList m_status;
    QList<qint64> m_zeiten; // wall time of each status change
    QElapsedTimer m_uhr;

    void musikAnlegen(double sekunden)
    {
        const QString daten = m_env->path(QStringLiteral("daten"));
        m_musik = daten + QStringLiteral("/Musik/Erlaubt/");
        m_pop = daten + QStringLiteral("/Musik/Pop/");
        m_verboten = daten + QStringLiteral("/Musik/Verboten/");
        QVERIFY(ordnerFuellen(m_musik, {QStringLiteral("01 eins.wav"), QStringLiteral("02 zwei.ogg"),
                                        QStringLiteral("03 drei.mp3")}, sekunden));
        QVERIFY(ordnerFuellen(m_pop, {QStringLiteral("p1.wav"), QStringLiteral("p2.wav")}, sekunden));
        QVERIFY(ordnerFuellen(m_verboten, {QStringLiteral("v1.wav")}, sekunden));
        const QString katalog = daten + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(katalog));
        QVERIFY(klang::test::insertCatalogueRecords(
            katalog, {satz(QStringLiteral("Popgruppe"), QStringLiteral("Pop"), m_pop),
                      satz(QStringLiteral("Erlaubte Band"), QStringLiteral("Rock"), m_musik),
                      satz(QStringLiteral("Verboten"), QStringLiteral("Jazz"), m_verboten)}));
        setOption(QStringLiteral("ArchivPfad"), katalog);
        QVERIFY(schreiben(klang::programmPfad() + QStringLiteral("AusschlussAbspielliste.ini"), "Pop\r\n"));
        QVERIFY(schreiben(klang::programmPfad() + QStringLiteral("BandAusschlussAbspielliste.ini"), "Verboten\r\n"));
    }

    std::unique_ptr<Ausgabebox> starten(bool winPlayer)
    {
        setOption(QStringLiteral("WinMediaPlayer"), winPlayer ? QStringLiteral("True") : QStringLiteral("False"));
        auto w = std::make_unique<Ausgabebox>();
        w->Form_Load();
        w->show();
        m_status.clear();
        connect(&w->spieler(), &PlayerController::statusChanged, this,
                [this](const QString& text) {
                    m_status << text;
                    m_zeiten << m_uhr.elapsed();
                });
        m_uhr.start();
        return w;
    }

    // A click on a track list entry makes it the current track.
    static void trackWaehlen(Ausgabebox* w, int zeile)
    {
        QListWidgetItem* item = w->filTrack->item(zeile);
        QVERIFY(item);
        QTest::mouseClick(w->filTrack->viewport(), Qt::LeftButton, {}, w->filTrack->visualItemRect(item).center());
        QCOMPARE(w->spieler().aktuellerTrack(), zeile);
        QVERIFY(!w->spieler().playlistModus());
    }

    // The files that started, in order.
    QStringList gespielt() const
    {
        QStringList s;
        for (const QString& t : m_status) {
            if (t.startsWith(QLatin1String("playing:  ")))
                s << QFileInfo(t.mid(10)).fileName();
        }
        return s;
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

    // Each track ends by itself and the next one follows by the play mode, with either engine;
    // the random draws never reach a record of an excluded style or band.
    void naechsterTrackNachModus_data()
    {
        QTest::addColumn<bool>("winPlayer");
        QTest::addColumn<QString>("modus");
        QTest::addColumn<QStringList>("erwartet");
        const QStringList alle = {QStringLiteral("01 eins.wav"), QStringLiteral("02 zwei.ogg"), QStringLiteral("03 drei.mp3")};
        for (bool wp : {true, false}) {
            const char* e = wp ? "player" : "geraet";
            QTest::addRow("alle/%s", e) << wp << "alle" << alle;
            QTest::addRow("markiert/%s", e) << wp << "markiert" << QStringList{alle[0], alle[2]};
            QTest::addRow("repeat/%s", e) << wp << "repeat" << (alle + QStringList{alle[0]});
        }
        QTest::addRow("zufall/player") << true << "zufall" << alle;
        QTest::addRow("shuffle/geraet") << false << "shuffle" << QStringList();
    }
    void naechsterTrackNachModus()
    {
        QFETCH(bool, winPlayer);
        QFETCH(QString, modus);
        QFETCH(QStringList, erwartet);
        musikAnlegen(0.25);
        auto w = starten(winPlayer);
        QCOMPARE(w->TextMusikpfad->text(), m_musik); // the random start skips excluded records
        trackWaehlen(w.get(), 0);
        if (modus == QLatin1String("markiert")) {
            w->chkMarkTracks->setChecked(true);
            w->filTrack->clearSelection();
            w->filTrack->item(0)->setSelected(true);
            w->filTrack->item(2)->setSelected(true);
        } else if (modus == QLatin1String("shuffle")) {
            kit::testhook::queueAnswer(QStringLiteral("1"));
            w->chkShuffle->setChecked(true);
        } else {
            w->chkAlleTracks->setChecked(true);
            if (modus == QLatin1String("repeat"))
                w->chkRepeat->setChecked(true);
            if (modus == QLatin1String("zufall"))
                w->chkTracksZufaellig->setChecked(true);
        }
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        if (modus == QLatin1String("shuffle")) {
            QTRY_VERIFY_WITH_TIMEOUT(gespielt().size() >= 6, 15000);
            for (const QString& t : m_status)
                QVERIFY2(!t.contains(m_pop) && !t.contains(m_verboten), qPrintable(t));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(gespielt().size() >= erwartet.size(), 10000);
        if (modus == QLatin1String("zufall")) {
            QStringList sortiert = gespielt().mid(0, 3);
            sortiert.sort();
            QCOMPARE(sortiert, erwartet);
        } else {
            QCOMPARE(gespielt().mid(0, erwartet.size()), erwartet);
        }
        // From the end of one track to the start of the next well within 1.2 s (pause 0): a
        // wait built into the change shows in every change, a busy machine only in some.
        QList<qint64> starts;
        for (int i = 0; i < m_status.size(); ++i) {
            if (m_status.at(i).startsWith(QLatin1String("playing:  ")))
                starts << m_zeiten.at(i);
        }
        qint64 kuerzester = std::numeric_limits<qint64>::max();
        for (int i = 1; i < erwartet.size(); ++i) {
            const qint64 abstand = starts.at(i) - starts.at(i - 1);
            kuerzester = std::min(kuerzester, abstand);
            QVERIFY2(abstand < 250 + 5000, qPrintable(QString::number(abstand)));
        }
        QVERIFY2(kuerzester < 250 + 1200, qPrintable(QString::number(kuerzester)));
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
        QCOMPARE(w->panelText(2), QStringLiteral("no play"));
    }

    // Pause and continue, stop and resume, previous and next through the image buttons.
    void transport_data()
    {
        QTest::addColumn<bool>("winPlayer");
        QTest::newRow("player") << true;
        QTest::newRow("geraet") << false;
    }
    void transport()
    {
        QFETCH(bool, winPlayer);
        musikAnlegen(3.0);
        auto w = starten(winPlayer);
        w->chkAlleTracks->setChecked(true);
        trackWaehlen(w.get(), 0);
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_COMPARE(gespielt(), QStringList{QStringLiteral("01 eins.wav")});
        QCOMPARE(w->LaufenderTitel(), QStringLiteral("playing:  ") + m_musik + QStringLiteral("01 eins.wav"));

        QVERIFY(w->imgPause[0]->isVisible());
        QTest::mouseClick(w->imgPause[0], Qt::LeftButton);
        QVERIFY(w->imgPause[1]->isVisible());
        QVERIFY(!w->imgPause[0]->isVisible());
        QVERIFY(w->spieler().pausiertFlag());
        if (winPlayer)
            QTRY_COMPARE(w->MediaPlayer1->playState(), 2);
        QTest::mouseClick(w->imgPause[1], Qt::LeftButton);
        QVERIFY(w->imgPause[0]->isVisible());
        QVERIFY(!w->spieler().pausiertFlag());
        if (winPlayer)
            QTRY_COMPARE(w->MediaPlayer1->playState(), 3);

        QTest::mouseClick(w->imgVorBack[1], Qt::LeftButton);
        QTRY_COMPARE(gespielt().last(), QStringLiteral("02 zwei.ogg"));
        QTest::mouseClick(w->imgVorBack[0], Qt::LeftButton);
        QTRY_COMPARE(gespielt().last(), QStringLiteral("01 eins.wav"));
        QTest::mouseClick(w->imgVorBack[0], Qt::LeftButton); // from the first to the last
        QTRY_COMPARE(gespielt().last(), QStringLiteral("03 drei.mp3"));

        QTest::mouseClick(w->imgStop, Qt::LeftButton);
        QCOMPARE(w->panelText(2), QStringLiteral("no play"));
        QVERIFY(!w->spieler().isWatching());
        const int vorher = gespielt().size();
        QTest::mouseClick(w->imgResume, Qt::LeftButton);
        QTRY_COMPARE(gespielt().size(), vorher + 1);
        QCOMPARE(gespielt().last(), QStringLiteral("03 drei.mp3"));

        // A double click and Enter in the track list play the entry.
        QListWidgetItem* zwei = w->filTrack->item(1);
        const QPoint punkt = w->filTrack->visualItemRect(zwei).center();
        QTest::mouseClick(w->filTrack->viewport(), Qt::LeftButton, {}, punkt);
        QTest::mouseDClick(w->filTrack->viewport(), Qt::LeftButton, {}, punkt);
        QTRY_COMPARE(gespielt().last(), QStringLiteral("02 zwei.ogg"));
        w->filTrack->setCurrentRow(0);
        w->filTrack->setFocus();
        QTest::keyClick(w->filTrack, Qt::Key_Return);
        QTRY_COMPARE(gespielt().last(), QStringLiteral("01 eins.wav"));
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
    }

    // The pause between tracks counts down in the status bar; the pause button cuts it short.
    void pauseZwischenTracks()
    {
        musikAnlegen(0.3);
        setOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("30"));
        auto w = starten(true);
        w->chkAlleTracks->setChecked(true);
        trackWaehlen(w.get(), 0);
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(w->panelText(2).endsWith(QLatin1String(" Sek. Pause")), 5000);
        QCOMPARE(w->panelText(2), QStringLiteral("30 Sek. Pause"));
        QCOMPARE(gespielt().size(), 1);
        QTest::mouseClick(w->imgPause[1]->isVisible() ? w->imgPause[1] : w->imgPause[0], Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(gespielt().size(), 2, 3000);
        QCOMPARE(gespielt().last(), QStringLiteral("02 zwei.ogg"));
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
    }

    // The playlist as play source: full paths from its columns, unchecked items skipped by
    // next, a picture shown in the video window.
    void playlist()
    {
        musikAnlegen(3.0);
        const QString bild = m_musik + QStringLiteral("cover.png");
        QImage img(32, 32, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(bild));
        auto w = starten(true);
        w->lvwPlaylist->setVisible(true);
        const QStringList namen = {QStringLiteral("01 eins.wav"), QStringLiteral("p1.wav"), QStringLiteral("03 drei.mp3"),
                                   QStringLiteral("cover.png")};
        for (const QString& n : namen) {
            const QString ordner = n.startsWith(QLatin1Char('p')) ? m_pop : m_musik;
            const QString unter = QDir(ordner).dirName() + QLatin1Char('/');
            auto* item = new QTreeWidgetItem(w->lvwPlaylist, {n, unter, ordner.left(ordner.size() - unter.size())});
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, n.startsWith(QLatin1Char('p')) ? Qt::Unchecked : Qt::Checked);
        }
        QTreeWidgetItem* erstes = w->lvwPlaylist->topLevelItem(0);
        QTest::mouseClick(w->lvwPlaylist->viewport(), Qt::LeftButton, {},
                          w->lvwPlaylist->visualItemRect(erstes).center());
        QVERIFY(w->spieler().playlistModus());
        QCOMPARE(w->spieler().aktuellerTrack(), 1);
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_COMPARE(w->panelText(2), QStringLiteral("playing:  ") + m_musik + QStringLiteral("01 eins.wav"));
        QCOMPARE(w->LaufenderTitel(), m_musik + QStringLiteral("01 eins.wav"));
        QTest::mouseClick(w->imgVorBack[1], Qt::LeftButton); // item 2 is unchecked
        QTRY_COMPARE(w->spieler().aktuellerTrack(), 3);
        QTRY_COMPARE(gespielt().last(), QStringLiteral("03 drei.mp3"));
        QTest::mouseClick(w->imgVorBack[1], Qt::LeftButton);
        QTRY_COMPARE(gespielt().last(), QStringLiteral("cover.png"));
        QVERIFY(w->videofenster()->isVisible());
        QVERIFY(w->MediaPlayer1->isVisible());
        // A look at the screen when run under a real display server (KLANG_BILDSCHIRMFOTO=file).
        if (const QString foto = qEnvironmentVariable("KLANG_BILDSCHIRMFOTO"); !foto.isEmpty()) {
            QTest::qWait(300);
            QGuiApplication::primaryScreen()->grabWindow(0).save(foto);
        }
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
        QVERIFY(!w->videofenster()->isVisible());
    }

    // A mouse click in the track list leaves playlist mode (as after a song search), so
    // Start plays the clicked track and not the playlist.
    void klickInTrackListeVerlaesstPlaylist()
    {
        musikAnlegen(3.0);
        auto w = starten(false);
        w->lvwPlaylist->setVisible(true);
        auto* item = new QTreeWidgetItem(w->lvwPlaylist, {QStringLiteral("p1.wav"), QStringLiteral("Pop/"),
                                                          m_pop.left(m_pop.size() - 4)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        QTest::mouseClick(w->lvwPlaylist->viewport(), Qt::LeftButton, {},
                          w->lvwPlaylist->visualItemRect(item).center());
        QVERIFY(w->spieler().playlistModus());
        QTest::mouseClick(w->filTrack->viewport(), Qt::LeftButton, {},
                          w->filTrack->visualItemRect(w->filTrack->item(1)).center());
        QVERIFY(!w->spieler().playlistModus());
        QCOMPARE(w->spieler().aktuellerTrack(), 1);
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_COMPARE(w->panelText(2), QStringLiteral("playing:  ") + m_musik + QStringLiteral("02 zwei.ogg"));
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
    }

    // A short video plays in the video window (embedded-player engine) or through the device
    // engine, ends by itself and the next track follows.
    void video_data()
    {
        QTest::addColumn<bool>("winPlayer");
        QTest::newRow("player") << true;
        QTest::newRow("geraet") << false;
    }
    void video()
    {
        QFETCH(bool, winPlayer);
        musikAnlegen(0.25);
        if (!videoSchreiben(m_musik + QStringLiteral("00 film.avi")))
            QSKIP("this mpv cannot encode a test video");
        auto w = starten(winPlayer);
        QCOMPARE(w->filTrack->item(0)->text(), QStringLiteral("00 film.avi"));
        w->chkAlleTracks->setChecked(true);
        trackWaehlen(w.get(), 0);
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_COMPARE(gespielt(), QStringList{QStringLiteral("00 film.avi")});
        QCOMPARE(w->spieler().videofensterAktiv(), winPlayer);
        QCOMPARE(w->videofenster()->isVisible(), winPlayer);
        QTRY_VERIFY_WITH_TIMEOUT(gespielt().size() >= 2, 8000);
        QCOMPARE(gespielt().at(1), QStringLiteral("01 eins.wav"));
        QVERIFY(!w->videofenster()->isVisible());
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
    }

    // The random-song button draws only allowed records; with every record excluded it says so.
    void liedzufall()
    {
        musikAnlegen(0.3);
        auto w = starten(true);
        for (int i = 0; i < 15; ++i) {
            QTest::mouseClick(w->imgLiedzufall, Qt::LeftButton);
            QCOMPARE(w->TextMusikpfad->text(), m_musik);
        }
        QVERIFY(schreiben(klang::programmPfad() + QStringLiteral("AusschlussAbspielliste.ini"), "Pop\r\nRock\r\n"));
        w->AbspielausschlusslisteLaden();
        kit::testhook::clear();
        QTest::mouseClick(w->imgLiedzufall, Qt::LeftButton);
        QVERIFY(w->spieler().stilAusgeschlossen());
        kit::testhook::clear();
        QTest::mouseClick(w->imgLiedzufall, Qt::LeftButton);
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Bedienungshinweis (imgLiedzufall_Click)"));
    }

    // The pause question stores the answer as typed; above 60 seconds it asks first.
    void mnuPauseZwischenTracks_data()
    {
        QTest::addColumn<QStringList>("antworten");
        QTest::addColumn<QString>("gespeichert");
        QTest::addColumn<int>("fragen");
        QTest::newRow("60") << QStringList{"60"} << "60" << 1;
        QTest::newRow("61 ja") << QStringList{"61", "Ja"} << "61" << 2;
        QTest::newRow("61 nein, 5") << QStringList{"61", "Nein", "5"} << "5" << 3;
        QTest::newRow("leer") << QStringList{""} << "7" << 1;
        QTest::newRow("kein zahl") << QStringList{"abc"} << "abc" << 1;
    }
    void mnuPauseZwischenTracks()
    {
        QFETCH(QStringList, antworten);
        QFETCH(QString, gespeichert);
        QFETCH(int, fragen);
        musikAnlegen(0.3);
        setOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("7"));
        auto w = starten(true);
        kit::testhook::clear();
        for (const QString& a : antworten)
            kit::testhook::queueAnswer(a);
        w->findChild<QAction*>(QStringLiteral("mnuPauseZwischenTracks"))->trigger();
        QCOMPARE(option(QStringLiteral("PauseZwischenTracks")), gespeichert);
        QCOMPARE(kit::testhook::calls().size(), fragen);
        QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Pause zwischen den Tracks"));
    }

    // Visualisation moves and sizes the embedded player; the engine menu entry is stored.
    void visualisierungUndEngine()
    {
        musikAnlegen(0.3);
        auto w = starten(true);
        // Main modes open, their refinements wait for one.
        QVERIFY(w->chkAlleTracks->isEnabled() && w->chkMarkTracks->isEnabled() && w->chkShuffle->isEnabled());
        QVERIFY(!w->chkRepeat->isEnabled() && !w->chkTracksZufaellig->isEnabled() && !w->chkTracksAnspielen->isEnabled());
        w->chkAlleTracks->setChecked(true);
        QVERIFY(w->chkRepeat->isEnabled() && !w->chkShuffle->isEnabled());
        // Nothing plays: switching visualisation leaves the player hidden and stores the box.
        w->chkVisualisierung->setChecked(false);
        QVERIFY(!w->MediaPlayer1->isVisible());
        QCOMPARE(option(QStringLiteral("WinMediaPlayerVisualisierung")), QStringLiteral("0"));
        w->chkVisualisierung->setChecked(true);
        QVERIFY(!w->MediaPlayer1->isVisible());
        QCOMPARE(option(QStringLiteral("WinMediaPlayerVisualisierung")), QStringLiteral("1"));
        w->mnuWinPlayerVerwenden->trigger();
        QVERIFY(!w->spieler().winPlayerVerwenden());
        QCOMPARE(option(QStringLiteral("WinMediaPlayer")), QStringLiteral("False"));
    }

    // After a start the embedded player covers none of the window's controls: with
    // visualisation it shows over the picture area, without it only sound plays and it hides.
    void medienplayerVerdecktNichts_data()
    {
        QTest::addColumn<bool>("visualisierung");
        QTest::addColumn<QSize>("groesse");
        QTest::newRow("bild, standard") << true << QSize();
        QTest::newRow("bild, 1400x900") << true << QSize(1400, 900);
        QTest::newRow("nur ton") << false << QSize();
    }
    void medienplayerVerdecktNichts()
    {
        QFETCH(bool, visualisierung);
        QFETCH(QSize, groesse);
        musikAnlegen(3.0);
        setOption(QStringLiteral("WinMediaPlayerVisualisierung"), visualisierung ? QStringLiteral("1") : QStringLiteral("0"));
        auto w = starten(true);
        if (groesse.isValid())
            w->resize(groesse);
        QCOMPARE(w->chkVisualisierung->isChecked(), visualisierung);
        trackWaehlen(w.get(), 0);
        QTest::mouseClick(w->imgStart, Qt::LeftButton);
        QTRY_COMPARE(w->MediaPlayer1->playState(), 3);
        QCOMPARE(w->MediaPlayer1->isVisible(), visualisierung);
        // Switching while it plays keeps the rule.
        w->chkVisualisierung->setChecked(!visualisierung);
        QCOMPARE(w->MediaPlayer1->isVisible(), !visualisierung);
        w->chkVisualisierung->setChecked(visualisierung);
        QCOMPARE(w->MediaPlayer1->isVisible(), visualisierung);
        if (visualisierung) {
            const QRect player = w->MediaPlayer1->geometry();
            QWidget* zentral = w->centralWidget();
            for (const char* name :
                 {"chkAlleTracks", "chkMarkTracks", "chkTracksAnspielen", "chkTracksZufaellig", "chkShuffle",
                  "chkRepeat", "chkVollbild", "chkVisualisierung", "chkBildpfad", "cboBildpfad", "Bez_12",
                  "filTrack", "txtSuchen", "imgStart", "imgStop", "tabTexte", "MSFlexGrid1", "lblGradiant_0"}) {
                auto* control = zentral->findChild<QWidget*>(QLatin1String(name));
                QVERIFY2(control, name);
                const QRect ort(control->mapTo(zentral, QPoint(0, 0)), control->size());
                QVERIFY2(!player.intersects(ort), name);
            }
        }
        QTest::mouseClick(w->imgStop, Qt::LeftButton);
        QVERIFY(!w->MediaPlayer1->isVisible());
    }

    // The pause question's threshold.
    void pauseBestaetigung_data()
    {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<bool>("frage");
        QTest::newRow("60") << "60" << false;
        QTest::newRow("60.5") << "60.5" << true;
        QTest::newRow("61") << "61" << true;
        QTest::newRow("abc") << "abc" << false;
        QTest::newRow("-100") << "-100" << false;
    }
    void pauseBestaetigung()
    {
        QFETCH(QString, antwort);
        QFETCH(bool, frage);
        QCOMPARE(pauseBrauchtBestaetigung(antwort), frage);
    }
};

QTEST_MAIN(WiedergabeTest)
#include "tst_wiedergabe.moc"
