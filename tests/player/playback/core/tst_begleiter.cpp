// The rules the mini player and the video window rely on: their steps through the lists,
// the A-B repeat on the engine that plays, and the scrolling captions, on a fake clock.

#include "tests/player/playback/core/PlayerFakes.h"
#include "tests/support/FakeMediaEngine.h"
#include "tests/support/TestEnvironment.h"

#include "player/playback/core/AbWiederholung.h"
#include "player/playback/core/Laufschrift.h"
#include "player/playback/core/Nachbarschritt.h"
#include "player/playback/core/PlayerController.h"

#include <QtTest>

#include <memory>

using klang::media::PlayState;
using klang::player::AbZustand;
using klang::player::Laufschrift;
using klang::player::ModeBox;
using klang::player::PlayerController;
using klang::player::PlayerStatus;
using namespace klang::test;

namespace {

struct Rig
{
    FakeClock clock;
    FakeMediaEngine device;
    FakeMediaEngine player;
    FakeMediaEngine video;
    FakeTrackSource tracks;
    FakeTrackSource playlist{true};
    FakeCatalogue catalogue{&tracks};
    RecordingUi ui;
    std::unique_ptr<PlayerController> ctl;

    explicit Rig(bool winPlayer = false)
    {
        ctl = std::make_unique<PlayerController>(klang::player::PlayerEngines{&device, &player, &video}, &clock);
        ctl->setTrackList(&tracks);
        ctl->setPlaylist(&playlist);
        ctl->setCatalogue(&catalogue);
        ctl->setUi(&ui);
        ctl->setWinPlayerVerwenden(winPlayer);
        ctl->setLengthFunction([](const QString&) { return 20.0; });
        for (FakeMediaEngine* e : {&device, &player, &video})
            e->setMediaDuration(20.0);
        tracks.setFolder(QStringLiteral("/musik/"), {QStringLiteral("a.wav"), QStringLiteral("b.wav")});
    }
    FakeMediaEngine& engine() { return ctl->winPlayerVerwenden() ? player : device; }
    // The medium ends when it reaches its length (off: it plays on for ever).
    bool endeBeiLaenge = false;
    // Time passes and the medium plays along.
    void spielen(int ms, int schritt = 20)
    {
        for (int t = 0; t < ms; t += schritt) {
            if (engine().state() == PlayState::Playing) {
                engine().advance(schritt / 1000.0);
                if (endeBeiLaenge && engine().position() >= engine().duration())
                    engine().finish();
            }
            clock.advance(schritt);
        }
    }
};

// Records the captions with the fake clock's time.
struct Titelband
{
    FakeClock* clock;
    QStringList titel;
    QList<qint64> zeiten;
    void operator()(const QString& t)
    {
        titel << t;
        zeiten << clock->nowMs();
    }
};

} // namespace

class BegleiterTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestEnvironment> m_env;

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // The companions' steps: wrap in the track list, the unchecked wrap item and the checked
    // search in the playlist, and no step (nor a hang) where there is nothing to step to.
    void nachbarschritt_data()
    {
        QTest::addColumn<bool>("playlist");
        QTest::addColumn<int>("anzahl");
        QTest::addColumn<QList<int>>("ohneHaken"); // 0-based unchecked items
        QTest::addColumn<int>("aktuell");
        QTest::addColumn<int>("richtung");
        QTest::addColumn<bool>("gueltig");
        QTest::addColumn<int>("ziel");
        QTest::addColumn<bool>("auswaehlen");
        QTest::newRow("list back wraps") << false << 5 << QList<int>{} << 0 << -1 << true << 4 << false;
        QTest::newRow("list forward wraps") << false << 5 << QList<int>{} << 4 << 1 << true << 0 << false;
        QTest::newRow("list stale index") << false << 3 << QList<int>{} << 9 << -1 << true << 1 << false;
        QTest::newRow("empty list back") << false << 0 << QList<int>{} << 0 << -1 << false << 0 << false;
        QTest::newRow("empty list forward") << false << 0 << QList<int>{} << 0 << 1 << false << 0 << false;
        QTest::newRow("playlist 1 back to unchecked last") << true << 4 << QList<int>{3} << 1 << -1 << true << 4 << false;
        QTest::newRow("playlist last forward to unchecked 1") << true << 4 << QList<int>{0} << 4 << 1 << true << 1 << false;
        QTest::newRow("playlist skips unchecked") << true << 5 << QList<int>{2, 3} << 2 << 1 << true << 5 << true;
        QTest::newRow("playlist back skips and wraps") << true << 5 << QList<int>{0, 1} << 3 << -1 << true << 5 << true;
        QTest::newRow("playlist none checked") << true << 4 << QList<int>{0, 1, 2, 3} << 2 << 1 << false << 0 << false;
        QTest::newRow("playlist none checked back") << true << 4 << QList<int>{0, 1, 2, 3} << 3 << -1 << false << 0 << false;
        QTest::newRow("playlist index 0 forward") << true << 3 << QList<int>{} << 0 << 1 << true << 1 << true;
    }
    void nachbarschritt()
    {
        QFETCH(bool, playlist);
        QFETCH(int, anzahl);
        QFETCH(QList<int>, ohneHaken);
        QFETCH(int, aktuell);
        QFETCH(int, richtung);
        FakeTrackSource quelle(playlist);
        QStringList pfade;
        for (int i = 0; i < anzahl; ++i)
            pfade << QStringLiteral("/m/%1.wav").arg(i);
        quelle.setItems(pfade);
        for (int i : ohneHaken)
            quelle.setChecked(i, false);
        const auto s = klang::player::nachbarschritt(&quelle, playlist, aktuell, richtung);
        QTEST(s.gueltig, "gueltig");
        if (s.gueltig) {
            QTEST(s.track, "ziel");
            QTEST(s.auswaehlen, "auswaehlen");
        }
    }

    // Marks at 5 s and 8 s: playback returns to 5 s each time it passes 8 s, on both engines,
    // and the clock's end of a device track moves with every jump, so the repeat is not cut.
    void abWiederholtZwischenAundB_data()
    {
        QTest::addColumn<bool>("winPlayer");
        QTest::newRow("device engine") << false;
        QTest::newRow("embedded player") << true;
    }
    void abWiederholtZwischenAundB()
    {
        QFETCH(bool, winPlayer);
        Rig r(winPlayer);
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        QCOMPARE(r.ctl->status(), PlayerStatus::Playing);
        r.spielen(5000);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::WartetAufB);
        QCOMPARE(r.ctl->abWiederholung().positionA(), 5);
        r.spielen(3000);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Wiederholt);
        QCOMPARE(r.ctl->abWiederholung().positionB(), 8);
        double hoechste = 0;
        int spruenge = 0;
        double vorher = r.engine().position();
        for (int t = 0; t < 30000; t += 20) {
            r.spielen(20);
            const double pos = r.engine().position();
            hoechste = std::max(hoechste, pos);
            spruenge += pos < vorher ? 1 : 0;
            vorher = pos;
        }
        QVERIFY2(hoechste < 8.3, qPrintable(QString::number(hoechste)));
        QVERIFY(spruenge >= 9);
        // 30 s of repeat on a 20 s track: still playing, still the same track.
        QCOMPARE(r.ctl->status(), PlayerStatus::Playing);
        QCOMPARE(r.ui.played().size(), 1);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Aus);
        QVERIFY(!r.ctl->abWiederholung().isActive());
    }

    // A B at or before A is refused (waiting for B goes on); an A in the first half second is
    // a real mark, so the third press ends the repeat; nothing playing changes nothing; a new
    // track starts without marks.
    void abGrenzfaelle()
    {
        Rig r;
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Aus);
        r.ctl->imgStart_Click();
        r.spielen(200);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().positionA(), 0);
        r.ctl->imgPosAB_Click(); // B would be 0 as well
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::WartetAufB);
        QVERIFY(!r.ctl->abWiederholung().isActive());
        r.spielen(2000);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Wiederholt);
        r.spielen(2500);
        QVERIFY(r.device.position() < 2.3);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Aus);
        r.ctl->imgPosAB_Click();
        r.spielen(3000);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Wiederholt);
        r.ctl->imgVorBack_Click(1);
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Aus);
        QVERIFY(!r.ctl->abWiederholung().isActive());
        r.ctl->imgStop_Click();
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Aus);
    }

    // A B that rounds up to the end of a 2 s track (pressed at 1.6 s) still repeats; an A
    // that rounds up to the end leaves no B to set, and when the track then ends no mark
    // stays lit over "no play".
    void abAmEnde_data()
    {
        QTest::addColumn<bool>("winPlayer");
        QTest::newRow("device engine") << false;
        QTest::newRow("embedded player") << true;
    }
    void abAmEnde()
    {
        QFETCH(bool, winPlayer);
        Rig r(winPlayer);
        r.endeBeiLaenge = true;
        r.ctl->setLengthFunction([](const QString&) { return 2.0; });
        for (FakeMediaEngine* e : {&r.device, &r.player})
            e->setMediaDuration(2.0);
        r.ctl->imgStart_Click();
        r.spielen(200);
        r.ctl->imgPosAB_Click();
        r.spielen(1400);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Wiederholt);
        QCOMPARE(r.ctl->abWiederholung().positionB(), 2);
        r.spielen(5000);
        QCOMPARE(r.ctl->status(), PlayerStatus::Playing);
        QCOMPARE(r.ui.played().size(), 1);

        r.ctl->imgStart_Click();
        r.spielen(1600);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().positionA(), 2);
        r.spielen(200);
        r.ctl->imgPosAB_Click();
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::WartetAufB);
        r.spielen(1000);
        QCOMPARE(r.ctl->status(), PlayerStatus::Idle);
        QCOMPARE(r.ctl->abWiederholung().zustand(), AbZustand::Aus);
    }

    // The random button of a companion starts exactly one track, in the catalogue and in a
    // playing playlist (whose draw starts the item itself).
    void zufallStartetEinmal_data()
    {
        QTest::addColumn<bool>("playlist");
        QTest::newRow("catalogue") << false;
        QTest::newRow("playlist") << true;
    }
    void zufallStartetEinmal()
    {
        QFETCH(bool, playlist);
        Rig r;
        r.catalogue.addRecord({QStringLiteral("Rock"), QStringLiteral("X"), QStringLiteral("/m/x/"),
                               {QStringLiteral("1.wav"), QStringLiteral("2.wav")}});
        r.catalogue.setController(r.ctl.get());
        r.playlist.setItems({QStringLiteral("/p/1.wav"), QStringLiteral("/p/2.wav"), QStringLiteral("/p/3.wav")});
        r.ctl->setPlaylistModus(playlist);
        r.ctl->onPlaylistChanged();
        r.ctl->imgStart_Click();
        r.device.clearCommands();
        r.ctl->ZufallUndStart();
        QCOMPARE(r.device.commands().filter(QStringLiteral("open")).size(), 1);
        QCOMPARE(r.ctl->status(), PlayerStatus::Playing);
    }

    // A left click on the embedded player replays a video of the list in use through the
    // device engine after a stop; other endings (the case counts) and other buttons do nothing.
    void klickAufPlayer_data()
    {
        QTest::addColumn<bool>("playlist");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("knopf");
        QTest::addColumn<bool>("video");
        QTest::newRow("avi") << false << QStringLiteral("film.avi") << 1 << true;
        QTest::newRow("m2ts") << false << QStringLiteral("film.m2ts") << 1 << true;
        QTest::newRow("upper case") << false << QStringLiteral("film.AVI") << 1 << false;
        QTest::newRow("music") << false << QStringLiteral("lied.mp3") << 1 << false;
        QTest::newRow("right button") << false << QStringLiteral("film.mp4") << 2 << false;
        QTest::newRow("playlist item") << true << QStringLiteral("film.wmv") << 1 << true;
    }
    void klickAufPlayer()
    {
        QFETCH(bool, playlist);
        QFETCH(QString, name);
        QFETCH(int, knopf);
        QFETCH(bool, video);
        Rig r(true);
        // The other list holds a music file at the same index: it must not be taken.
        r.tracks.setFolder(QStringLiteral("/musik/"), {playlist ? QStringLiteral("x.mp3") : name});
        r.playlist.setItems({QStringLiteral("/p/") + (playlist ? name : QStringLiteral("x.mp3"))});
        r.ctl->setPlaylistModus(playlist);
        r.ctl->setAktuellerTrack(playlist ? 1 : 0);
        r.ctl->imgStart_Click();
        r.device.clearCommands();
        r.ctl->MediaPlayer1_MouseUp(knopf);
        const QString pfad = (playlist ? QStringLiteral("/p/") : QStringLiteral("/musik/")) + name;
        QCOMPARE(r.device.commands().contains(QStringLiteral("open ") + pfad), video);
        QCOMPARE(r.ctl->status() == PlayerStatus::Idle, video);
    }

    // Band "AB" in round 1: "A", "AB", then after the stand "AB", "B", "", 120 ms apart; the
    // rounds go 1, 2, 3, 1 and carry on across a stop and start.
    void laufschriftZeitfolge()
    {
        FakeClock clock;
        Titelband band{&clock};
        Laufschrift l(Laufschrift::Art::Miniplayer, QStringLiteral("Klangtruhe-Miniplayer"), &clock);
        QList<int> runden;
        Laufschrift::Anbindung a;
        a.text = [&](int runde) {
            runden << runde;
            return runde == 1 ? QStringLiteral("AB") : QStringLiteral("x");
        };
        a.titel = std::ref(band);
        l.setAnbindung(a);
        l.start();
        clock.advance(500);
        const qint64 beginn = clock.nowMs();
        clock.advance(1500);
        QCOMPARE(band.titel.mid(0, 5), (QStringList{"A", "AB", "AB", "B", ""}));
        const QList<qint64> abstand{0, 120, 740, 860, 980};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(band.zeiten[i] - beginn, abstand[i]);
        l.stop();
        clock.advance(5000);
        l.start();
        clock.advance(8000);
        QVERIFY(runden.size() >= 8);
        const QList<int> erwartet{1, 1, 2, 2, 3, 3, 1, 1};
        QCOMPARE(runden.mid(0, 8), erwartet);
        l.stop();
    }

    // The mini player's stop during the growing text puts the plain caption back at the next
    // letter and ends the round; a hidden window gets no caption after that; the end of the
    // track stops the timer with the plain caption; with the caption off the text stays.
    void laufschriftEndet()
    {
        FakeClock clock;
        Titelband band{&clock};
        bool sichtbar = true;
        bool ende = false;
        bool ein = true;
        Laufschrift l(Laufschrift::Art::Miniplayer, QStringLiteral("Ruhe"), &clock);
        Laufschrift::Anbindung a;
        a.text = [](int) { return QStringLiteral("Langer Titel"); };
        a.titel = std::ref(band);
        a.darfLaufen = [&] { return sichtbar; };
        a.titelBeendet = [&] { return ende; };
        a.eingeschaltet = [&] { return ein; };
        l.setAnbindung(a);

        l.start();
        clock.advance(500 + 3 * 120);
        l.stop();
        clock.advance(130);
        QCOMPARE(band.titel.last(), QStringLiteral("Ruhe"));
        const int nachStop = band.titel.size();
        clock.advance(5000);
        QCOMPARE(band.titel.size(), nachStop);
        QVERIFY(!l.isActive());

        l.start();
        clock.advance(500 + 2 * 120);
        sichtbar = false;
        clock.advance(130);
        const int nachVerstecken = band.titel.size();
        clock.advance(5000);
        QCOMPARE(band.titel.size(), nachVerstecken);
        QVERIFY(!l.isActive());

        sichtbar = true;
        ende = true;
        l.start();
        clock.advance(10000);
        QVERIFY(!l.isActive());
        QCOMPARE(band.titel.last(), QStringLiteral("Ruhe"));

        ende = false;
        ein = false;
        band.titel.clear();
        l.start();
        clock.advance(3000);
        QVERIFY(band.titel.isEmpty());
        QVERIFY(l.isActive());
        ende = true;
        clock.advance(600);
        QVERIFY(!l.isActive());
    }

    // The minimised main window breaks off after any letter once it is restored, shows its
    // plain caption and begins again with the band.
    void laufschriftHauptfensterBrichtAb()
    {
        FakeClock clock;
        Titelband band{&clock};
        bool minimiert = true;
        Laufschrift l(Laufschrift::Art::Hauptfenster, QStringLiteral("Fest"), &clock);
        Laufschrift::Anbindung a;
        a.text = [](int runde) { return QStringLiteral("Runde%1").arg(runde); };
        a.titel = std::ref(band);
        a.darfLaufen = [&] { return minimiert; };
        l.setAnbindung(a);
        l.start();
        clock.advance(500 + 5000);
        QVERIFY(l.runde() >= 2);
        const int vorher = band.titel.size();
        clock.advance(200);
        minimiert = false;
        clock.advance(130);
        QCOMPARE(band.titel.last(), QStringLiteral("Fest"));
        QCOMPARE(l.runde(), 0);
        QVERIFY(band.titel.size() > vorher);
        minimiert = true;
        band.titel.clear();
        l.start();
        clock.advance(500);
        QCOMPARE(band.titel.first(), QStringLiteral("R"));
        QCOMPARE(l.runde(), 1);
    }

    // The texts of the rounds, from a playlist item and from the record and track list.
    void laufschriftTexte_data()
    {
        QTest::addColumn<bool>("playlist");
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<QStringList>("texte");
        QTest::newRow("playlist") << true << QStringLiteral("/m/Rock/Song.mp3")
                                  << QStringList{"Rock", "Song", "Song"};
        QTest::newRow("two dots") << true << QStringLiteral("/m/Rock/a.b.mp3") << QStringList{"Rock", "a.b", "a.b"};
        QTest::newRow("short name") << true << QStringLiteral("/m/x/ab") << QStringList{"x", "", "ab"};
        QTest::newRow("track list") << false << QStringLiteral("/musik/Lied.eins.wav")
                                    << QStringList{"Band", "Titel", "Lied.eins"};
    }
    void laufschriftTexte()
    {
        QFETCH(bool, playlist);
        QFETCH(QString, pfad);
        QFETCH(QStringList, texte);
        FakeTrackSource quelle(playlist);
        quelle.setItems({pfad});
        struct Satz : klang::player::ICatalogue
        {
            int recordCount() const override { return 1; }
            int currentRow() const override { return 0; }
            QString field(int, const QString& f) const override
            {
                return f == QLatin1String("Band") ? QStringLiteral("Band") : QStringLiteral("Titel");
            }
            void moveToRow(int) override {}
        } satz;
        for (int runde = 1; runde <= 3; ++runde)
            QCOMPARE(klang::player::laufschrifttext::text(runde, playlist, &quelle, 0, &satz, 0), texte[runde - 1]);
        // Outside the list: no text, no crash.
        QCOMPARE(klang::player::laufschrifttext::text(2, playlist, &quelle, 5, &satz, 0),
                 playlist ? QString() : QStringLiteral("Titel"));
    }
};

QTEST_GUILESS_MAIN(BegleiterTest)
#include "tst_begleiter.moc"
