#include "tests/player/playback/core/PlayerFakes.h"
#include "tests/support/FakeMediaEngine.h"
#include "tests/support/TestEnvironment.h"

#include "platform/settings/Settings.h"
#include "player/playback/core/PlayerController.h"

#include <QSet>
#include <QtTest>

#include <memory>

using klang::media::PlayState;
using klang::player::ModeBox;
using klang::player::PlayerController;
using klang::player::PlayerStatus;
using namespace klang::test;

namespace {

void saveOption(const QString& key, const QString& value)
{
    klang::SaveSetting(QStringLiteral("KlangtruhePlayer"), QStringLiteral("Options"), key, value);
}

QString option(const QString& key)
{
    return klang::GetSetting(QStringLiteral("KlangtruhePlayer"), QStringLiteral("Options"), key,
                             QStringLiteral("<none>"));
}

// Everything the controller talks to, with fakes; the controller is made last and goes first.
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
    QHash<QString, double> lengths;
    std::unique_ptr<PlayerController> ctl;

    Rig()
    {
        ctl = std::make_unique<PlayerController>(
            klang::player::PlayerEngines{&device, &player, &video}, &clock);
        ctl->setTrackList(&tracks);
        ctl->setPlaylist(&playlist);
        ctl->setCatalogue(&catalogue);
        ctl->setUi(&ui);
        ctl->setRandomSeed(12345);
        ctl->setLengthFunction([this](const QString& p) { return lengths.value(p, -1.0); });
        catalogue.setController(ctl.get());
    }
    void folder(const QStringList& names) { tracks.setFolder(QStringLiteral("/musik/"), names); }
    // The engine that plays the current track ends it; the watch then moves on.
    void finishCurrent()
    {
        for (FakeMediaEngine* e : {&device, &player, &video}) {
            if (e->state() == PlayState::Playing) {
                e->finish();
                break;
            }
        }
        clock.advance(600); // end noticed at once, then the short wait before the next track
    }
    // Plays until nothing follows or the limit is reached; returns what played.
    QStringList playThrough(int limit)
    {
        for (int i = 0; i < limit && ctl->status() == PlayerStatus::Playing; ++i)
            finishCurrent();
        return ui.played();
    }
};

QStringList paths(const QStringList& names)
{
    QStringList out;
    for (const QString& n : names)
        out << QStringLiteral("/musik/") + n;
    return out;
}

} // namespace

class TestPlayerController : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestEnvironment> m_env;

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // All tracks of a record play in order; repeat goes round again, otherwise play stops.
    void allTracksInOrder_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("once") << false << paths({"a.mp3", "b.mp3", "c.mp3"});
        QTest::newRow("repeat") << true
                                << paths({"a.mp3", "b.mp3", "c.mp3", "a.mp3", "b.mp3"});
    }
    void allTracksInOrder()
    {
        QFETCH(bool, repeat);
        QFETCH(QStringList, expected);
        Rig r;
        r.folder({"a.mp3", "b.mp3", "c.mp3"});
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->setChecked(ModeBox::Repeat, repeat);
        r.ctl->imgStart_Click();
        QVERIFY(r.ctl->isWatching());
        QCOMPARE(r.playThrough(repeat ? expected.size() - 1 : 10), expected);
        if (!repeat) {
            QCOMPARE(r.ctl->status(), PlayerStatus::Idle);
            QCOMPARE(r.ui.lastStatus(), QStringLiteral("no play"));
            QVERIFY(!r.ctl->isWatching());
        }
    }

    // Without a continuous mode the track plays alone and the watch stays off.
    void singleTrackWithoutMode()
    {
        Rig r;
        r.folder({"a.mp3", "b.mp3"});
        r.ctl->imgStart_Click();
        QVERIFY(!r.ctl->isWatching());
        r.finishCurrent();
        r.clock.advance(5000);
        QCOMPARE(r.ui.played(), paths({"a.mp3"}));
        QCOMPARE(r.ui.lastStatus(), QStringLiteral("no play"));
    }

    // The device engine ends a track by the monotonic clock: equal is not ended.
    void deviceEngineEndsByClock()
    {
        Rig r;
        r.folder({"a.mp3", "b.mp3"});
        r.lengths.insert(QStringLiteral("/musik/a.mp3"), 3.0);
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        r.clock.advance(3000); // tick at exactly the end time
        QCOMPARE(r.ui.played().size(), 1);
        r.clock.advance(1000 + 500);
        QCOMPARE(r.ui.played(), paths({"a.mp3", "b.mp3"}));
    }

    // A file whose length cannot be measured plays until the engine reports its end.
    void unmeasurablePlaysToEndOfFile()
    {
        Rig r;
        r.folder({"film.avi", "b.mp3"});
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        r.clock.advance(60000);
        QCOMPARE(r.ui.played().size(), 1);
        r.device.finish();
        r.clock.advance(600);
        QCOMPARE(r.ui.played(), paths({"film.avi", "b.mp3"}));
    }

    // A file the engine refuses or cannot play counts as the end of the track; "playing:"
    // is written only for files the engine accepted.
    void engineErrorEndsTrack_data()
    {
        QTest::addColumn<bool>("winPlayer");
        QTest::addColumn<bool>("refuse");
        QTest::newRow("device refuses") << false << true;
        QTest::newRow("device fails") << false << false;
        QTest::newRow("player refuses") << true << true;
        QTest::newRow("player fails") << true << false;
    }
    void engineErrorEndsTrack()
    {
        QFETCH(bool, winPlayer);
        QFETCH(bool, refuse);
        Rig r;
        r.folder({"kaputt.mp3", "b.mp3"});
        r.ctl->setWinPlayerVerwenden(winPlayer);
        FakeMediaEngine& engine = winPlayer ? r.player : r.device;
        if (refuse)
            engine.refuse(QStringLiteral("/musik/kaputt.mp3"));
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        if (refuse) {
            QCOMPARE(r.ui.lastStatus(), QStringLiteral("no play"));
            QVERIFY(r.ui.played().isEmpty());
        } else {
            engine.fail();
        }
        // The failed open is acted on at once: no watch tick, no wait between tracks.
        r.clock.advance(100);
        QVERIFY(!r.ui.played().isEmpty());
        QCOMPARE(r.ui.played().last(), QStringLiteral("/musik/b.mp3"));
        QCOMPARE(r.ui.played().contains(QStringLiteral("/musik/kaputt.mp3")), !refuse);
    }

    // Files go to the engine their kind asks for.
    void engineByExtension_data()
    {
        QTest::addColumn<bool>("winPlayer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("engine");
        QTest::newRow("music, device") << false << "a.mp3" << "device";
        QTest::newRow("video, device") << false << "a.mp4" << "device";
        QTest::newRow("music, player") << true << "a.MP3" << "player";
        QTest::newRow("picture, player") << true << "bild.JPEG" << "video";
        QTest::newRow("video, player") << true << "clip.m2ts" << "video";
        QTest::newRow("mov, player") << true << "clip.mov" << "device";
    }
    void engineByExtension()
    {
        QFETCH(bool, winPlayer);
        QFETCH(QString, name);
        QFETCH(QString, engine);
        Rig r;
        r.folder({name});
        r.ctl->setWinPlayerVerwenden(winPlayer);
        r.ctl->imgStart_Click();
        const QString open = QStringLiteral("open /musik/") + name;
        QCOMPARE(r.device.commands().contains(open), engine == QLatin1String("device"));
        QCOMPARE(r.player.commands().contains(open), engine == QLatin1String("player"));
        QCOMPARE(r.video.commands().contains(open), engine == QLatin1String("video"));
        QCOMPARE(r.ctl->videofensterAktiv(), engine == QLatin1String("video"));
        QCOMPARE(r.ui.videoWindowVisible, engine == QLatin1String("video"));
    }

    // Marked mode plays only selected entries; with repeat the first selected entry is not
    // skipped on the next round, also when it is the only one.
    void markedTracks_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("once") << QList<int>{1, 3} << false << 5 << paths({"1", "3"});
        QTest::newRow("repeat") << QList<int>{0, 3} << true << 4
                                << paths({"0", "3", "0", "3", "0"});
        QTest::newRow("only first, repeat") << QList<int>{0} << true << 2
                                            << paths({"0", "0", "0"});
    }
    void markedTracks()
    {
        QFETCH(QList<int>, selected);
        QFETCH(bool, repeat);
        QFETCH(int, steps);
        QFETCH(QStringList, expected);
        Rig r;
        r.folder({"0", "1", "2", "3", "4"});
        for (int i : selected)
            r.tracks.setSelected(i, true);
        r.ctl->setChecked(ModeBox::MarkTracks, true);
        r.ctl->setChecked(ModeBox::Repeat, repeat);
        r.ctl->imgStart_Click();
        QCOMPARE(r.playThrough(steps), expected);
    }

    // Previews end after the preview time whatever the engine, also while the file plays on.
    void previews_data()
    {
        QTest::addColumn<bool>("winPlayer");
        QTest::newRow("device") << false;
        QTest::newRow("player") << true;
    }
    void previews()
    {
        QFETCH(bool, winPlayer);
        Rig r;
        saveOption(QStringLiteral("TracksAnspielen"), QStringLiteral("2"));
        r.folder({"a.mp3", "b.mp3"});
        r.lengths.insert(QStringLiteral("/musik/a.mp3"), 300.0);
        r.ctl->setWinPlayerVerwenden(winPlayer);
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ui.answers.enqueue(QStringLiteral("2"));
        r.ctl->setChecked(ModeBox::TracksAnspielen, true);
        r.ctl->imgStart_Click();
        r.clock.advance(2000);
        QCOMPARE(r.ui.played().size(), 1);
        r.clock.advance(1000 + 500);
        QCOMPARE(r.ui.played(), paths({"a.mp3", "b.mp3"}));
    }

    // Random tracks play every track once before any repeats; without repeat play stops.
    void randomTracksWithoutRepeats_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("once") << false;
        QTest::newRow("repeat") << true;
    }
    void randomTracksWithoutRepeats()
    {
        QFETCH(bool, repeat);
        Rig r;
        const QStringList names{"0", "1", "2", "3", "4", "5"};
        r.folder(names);
        r.ctl->onTrackListChanged();
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->setChecked(ModeBox::TracksZufaellig, true);
        r.ctl->setChecked(ModeBox::Repeat, repeat);
        r.ctl->imgStart_Click();
        const QStringList played = r.playThrough(repeat ? 11 : 20);
        QCOMPARE(played.size(), repeat ? 12 : 6);
        QCOMPARE(QSet<QString>(played.begin(), played.begin() + 6).size(), 6);
        if (repeat)
            QCOMPARE(QSet<QString>(played.begin() + 6, played.end()).size(), 6);
        else
            QCOMPARE(r.ctl->status(), PlayerStatus::Idle);
    }

    // Shuffle takes "ShuffleSongProCD" tracks of one record before it draws the next.
    void shuffleSongsPerRecord()
    {
        Rig r;
        saveOption(QStringLiteral("ShuffleSongProCD"), QStringLiteral("3"));
        for (int i = 0; i < 6; ++i)
            r.catalogue.addRecord({QStringLiteral("Rock"), QStringLiteral("Band %1").arg(i),
                                   QStringLiteral("/r%1/").arg(i), {"a.ogg", "b.ogg", "c.ogg"}});
        r.ctl->setShuffleZaehler(3);
        r.ui.answers.enqueue(QString()); // keep the setting
        r.ctl->setChecked(ModeBox::Shuffle, true);
        r.ctl->TontraegerZufaellig();
        r.ctl->imgStart_Click();
        const QStringList played = r.playThrough(11);
        QCOMPARE(played.size(), 12);
        QCOMPARE(r.catalogue.moves(), 4);
        for (int block = 0; block < 4; ++block) {
            const int rec = r.catalogue.recordOf(played.at(block * 3));
            for (int k = 1; k < 3; ++k)
                QCOMPARE(r.catalogue.recordOf(played.at(block * 3 + k)), rec);
        }
    }

    // Records of excluded styles and bands are never drawn; the style test is a
    // case-sensitive substring test and blank entries exclude nothing.
    void exclusionsNeverPlayed()
    {
        Rig r;
        const QStringList styles{"Jazz", "Acid Jazz", "jazz", "Rock", "Pop", "Jazzrock"};
        for (int i = 0; i < 12; ++i)
            r.catalogue.addRecord({styles.at(i % 6), i == 4 ? QStringLiteral("Die Foo Band")
                                                            : QStringLiteral("B%1").arg(i),
                                   QStringLiteral("/r%1/").arg(i), {"a.wav", "b.wav"}});
        r.ctl->stilAusschluss().setEntries({"Jazz", "", "  "});
        r.ctl->bandAusschluss().setEntries({"Foo", ""});
        r.ctl->setShuffleZaehler(1);
        r.ui.answers.enqueue(QString());
        r.ctl->setChecked(ModeBox::Shuffle, true);
        r.ctl->TontraegerZufaellig();
        r.ctl->imgStart_Click();
        const QStringList played = r.playThrough(80);
        QCOMPARE(played.size(), 81);
        QSet<int> records;
        for (const QString& p : played)
            records.insert(r.catalogue.recordOf(p));
        // allowed: "jazz" (2, 8), "Rock" (3, 9), "Pop" (10; record 4 by its band)
        QCOMPARE(records, (QSet<int>{2, 3, 8, 9, 10}));
        QVERIFY(r.ui.messages.isEmpty());
    }

    // When every record is excluded the hint comes once and play stops.
    void allExcludedHintOnce_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("names"); // the menu the hint names
        QTest::newRow("style") << "Jazz" << "" << "Bedienungshinweis (TontraegerZufaellig)" << "Stilrichtung";
        QTest::newRow("band") << "" << "B" << "Bedienungshinweis" << "Band";
        QTest::newRow("style, then band for the last") << "rock" << "B0" << "Bedienungshinweis (TontraegerZufaellig)"
                                                      << "Band ausschließen";
    }
    void allExcludedHintOnce()
    {
        QFETCH(QString, style);
        QFETCH(QString, band);
        QFETCH(QString, title);
        QFETCH(QString, names);
        Rig r;
        for (int i = 0; i < 3; ++i)
            r.catalogue.addRecord({i == 0 ? QStringLiteral("Jazz") : QStringLiteral("Jazzrock"), QStringLiteral("B%1").arg(i),
                                   QStringLiteral("/r%1/").arg(i), {"a.wav"}});
        r.catalogue.moveToRow(0);
        r.ui.answers.enqueue(QString());
        r.ctl->setChecked(ModeBox::Shuffle, true);
        r.ctl->imgStart_Click();
        r.ctl->stilAusschluss().setEntries({style});
        r.ctl->bandAusschluss().setEntries({band});
        r.finishCurrent();
        r.clock.advance(10000);
        QCOMPARE(r.ui.messages, QStringList{title});
        QVERIFY2(r.ui.prompts.value(0).contains(names), qPrintable(r.ui.prompts.value(0)));
        QVERIFY(r.ctl->stilAusgeschlossen());
        QVERIFY(!r.ctl->isWatching());
        QCOMPARE(r.ctl->status(), PlayerStatus::Idle);
        QCOMPARE(r.ui.played().size(), 1);
        // While the flag holds, the random button shows its hint instead of drawing.
        r.ctl->imgLiedzufall_Click();
        QCOMPARE(r.ui.messages.last(), QStringLiteral("Bedienungshinweis (imgLiedzufall_Click)"));
    }

    // Draws over allowed records are uniform (bounded deviation with a fixed seed), and a
    // record with two files plays either of them.
    void uniformDraws()
    {
        Rig r;
        for (int i = 0; i < 10; ++i)
            r.catalogue.addRecord({i < 6 ? QStringLiteral("Schlager") : QStringLiteral("Folk"),
                                   QStringLiteral("B"), QStringLiteral("/r%1/").arg(i),
                                   {"a.wav", "b.wav"}});
        r.ctl->stilAusschluss().setEntries({"Schlager"});
        QHash<int, int> perRecord;
        QHash<int, int> perTrack;
        const int draws = 4000;
        for (int i = 0; i < draws; ++i) {
            r.ctl->setShuffleZaehler(1);
            r.ctl->TontraegerZufaellig();
            ++perRecord[r.catalogue.currentRow()];
            ++perTrack[r.ctl->aktuellerTrack()];
        }
        QCOMPARE(perRecord.size(), 4);
        for (auto it = perRecord.cbegin(); it != perRecord.cend(); ++it) {
            QVERIFY2(it.key() >= 6, "an excluded record was drawn");
            QVERIFY2(qAbs(it.value() - draws / 4) < draws / 4 / 10, "record draws not uniform");
        }
        QVERIFY(qAbs(perTrack.value(0) - draws / 2) < draws / 2 / 10);
        QVERIFY(qAbs(perTrack.value(1) - draws / 2) < draws / 2 / 10);
    }

    // Shuffle finds the one allowed record among many excluded ones on every draw.
    void shuffleFindsRareAllowedRecord()
    {
        Rig r;
        for (int i = 0; i < 2000; ++i)
            r.catalogue.addRecord({i == 1234 ? QStringLiteral("Blues") : QStringLiteral("Jazz"),
                                   QStringLiteral("B"), QStringLiteral("/r%1/").arg(i), {"a.wav"}});
        r.ctl->stilAusschluss().setEntries({"Jazz"});
        for (int i = 0; i < 20; ++i) {
            r.ctl->setShuffleZaehler(1);
            r.ctl->TontraegerZufaellig();
            QCOMPARE(r.catalogue.currentRow(), 1234);
        }
        QVERIFY(!r.ctl->stilAusgeschlossen());
        QVERIFY(r.ui.messages.isEmpty());
    }

    // The allowed records are counted out once and kept: later draws read no column again,
    // and draws from the kept records stay uniform.
    void allowedRecordsKeptBetweenDraws()
    {
        Rig r;
        for (int i = 0; i < 2000; ++i)
            r.catalogue.addRecord({i % 700 == 3 ? QStringLiteral("Blues") : QStringLiteral("Jazz"),
                                   QStringLiteral("B"), QStringLiteral("/r%1/").arg(i), {"a.wav"}});
        r.ctl->stilAusschluss().setEntries({"Jazz"});
        QHash<int, int> drawn;
        const int draws = 600;
        for (int i = 0; i < draws; ++i) {
            r.ctl->setShuffleZaehler(1);
            r.ctl->TontraegerZufaellig();
            ++drawn[r.catalogue.currentRow()];
        }
        QCOMPARE(QSet<int>(drawn.keyBegin(), drawn.keyEnd()), (QSet<int>{3, 703, 1403}));
        for (const int n : std::as_const(drawn))
            QVERIFY2(qAbs(n - draws / 3) < draws / 3 / 5, "record draws not uniform");
        QCOMPARE(r.catalogue.columnReads(), 2); // Stil and Band, once each
    }

    // Whatever changed since the allowed records were counted is honoured at the next draw.
    void allowedRecordsFollowChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("expected"); // the only record drawn afterwards, -1: none
        QTest::newRow("style list") << "styles" << 150;
        QTest::newRow("band list") << "bands" << -1;
        QTest::newRow("style list file loaded") << "file" << 150;
        QTest::newRow("record edited") << "edit" << 150;
        QTest::newRow("silent edit, controller told") << "told" << 150;
        QTest::newRow("catalogue without revision") << "norevision" << 150;
        QTest::newRow("another catalogue") << "other" << 150;
    }
    void allowedRecordsFollowChanges()
    {
        QFETCH(QString, change);
        QFETCH(int, expected);
        Rig r;
        FakeCatalogue other(&r.tracks);
        for (FakeCatalogue* c : {&r.catalogue, &other}) {
            for (int i = 0; i < 200; ++i) {
                QString stil = QStringLiteral("Jazz");
                if (i == 50)
                    stil = c == &other ? QStringLiteral("Jazz") : QStringLiteral("Blues");
                else if (i == 150)
                    stil = c == &other ? QStringLiteral("Blues") : QStringLiteral("Folk");
                c->addRecord({stil, i == 50 ? QStringLiteral("X") : QStringLiteral("B"),
                              QStringLiteral("/r%1/").arg(i), {"a.wav"}});
            }
        }
        if (change == QLatin1String("norevision"))
            r.catalogue.setReportsRevision(false);
        r.ctl->stilAusschluss().setEntries({"Jazz", "Folk"});
        const auto drawOnly = [&r](FakeCatalogue& c, int row) {
            for (int i = 0; i < 10; ++i) {
                r.ctl->setShuffleZaehler(1);
                r.ctl->setStilAusgeschlossen(false);
                const int before = c.moves();
                r.ctl->TontraegerZufaellig();
                if (row < 0) {
                    if (!r.ctl->stilAusgeschlossen() || c.moves() != before)
                        return false;
                } else if (c.currentRow() != row) {
                    return false;
                }
            }
            return true;
        };
        QVERIFY(drawOnly(r.catalogue, 50));

        FakeCatalogue* now = &r.catalogue;
        if (change == QLatin1String("styles")) {
            r.ctl->stilAusschluss().setEntries({"Jazz", "Blues"});
        } else if (change == QLatin1String("bands")) {
            r.ctl->bandAusschluss().setEntries({"X"}); // the one allowed record's band
        } else if (change == QLatin1String("file")) {
            const QString dir = m_env->path(QStringLiteral("prog"));
            QFile f(dir + QStringLiteral("/AusschlussAbspielliste.ini"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Jazz\r\nBlues\r\n");
            f.close();
            r.ctl->AbspielausschlusslisteLaden(dir);
        } else if (change == QLatin1String("edit")) {
            r.catalogue.setStyleAndBand(50, QStringLiteral("Jazz"), QStringLiteral("X"));
            r.catalogue.setStyleAndBand(150, QStringLiteral("Rock"), QStringLiteral("B"));
        } else if (change == QLatin1String("told") || change == QLatin1String("norevision")) {
            r.catalogue.setStyleAndBand(50, QStringLiteral("Jazz"), QStringLiteral("X"), false);
            r.catalogue.setStyleAndBand(150, QStringLiteral("Rock"), QStringLiteral("B"), false);
            if (change == QLatin1String("told"))
                r.ctl->onCatalogueChanged();
        } else if (change == QLatin1String("other")) {
            now = &other;
            r.ctl->setCatalogue(&other);
            other.setController(r.ctl.get());
        }
        QVERIFY(drawOnly(*now, expected));
    }

    // The pause between tracks counts down once a second and then starts the next track.
    void pauseCountsDown()
    {
        Rig r;
        saveOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("3"));
        r.folder({"a.mp3", "b.mp3"});
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        r.player.clearCommands();
        r.device.finish();
        r.clock.advance(1);
        QCOMPARE(r.ui.lastStatus(), QStringLiteral("3 Sek. Pause"));
        QVERIFY(r.ctl->isPausing());
        r.clock.advance(1000);
        QCOMPARE(r.ui.lastStatus(), QStringLiteral("2 Sek. Pause"));
        r.clock.advance(1000);
        QCOMPARE(r.ui.lastStatus(), QStringLiteral("1 Sek. Pause"));
        QCOMPARE(r.ui.played().size(), 1);
        r.clock.advance(1000);
        QCOMPARE(r.ui.played(), paths({"a.mp3", "b.mp3"}));
        QCOMPARE(r.ui.countdowns, (QList<int>{3, 2, 1}));
    }

    // Esc or the pause button ends the pause and starts the next track; any stop ends it
    // without starting anything.
    void pauseEnded_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("nextStarts");
        QTest::newRow("Esc") << "esc" << true;
        QTest::newRow("pause button") << "pause" << true;
        QTest::newRow("stop button") << "stop" << false;
        QTest::newRow("mini player stop") << "ministop" << false;
        QTest::newRow("shuffle unchecked") << "unshuffle" << false;
    }
    void pauseEnded()
    {
        QFETCH(QString, how);
        QFETCH(bool, nextStarts);
        Rig r;
        saveOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("5"));
        r.folder({"a.mp3", "b.mp3"});
        if (how == QLatin1String("unshuffle")) {
            r.ui.answers.enqueue(QString());
            r.ctl->setChecked(ModeBox::Shuffle, true);
        } else {
            r.ctl->setChecked(ModeBox::AlleTracks, true);
        }
        r.ctl->imgStart_Click();
        r.device.finish();
        r.clock.advance(1500);
        QVERIFY(r.ctl->isPausing());
        if (how == QLatin1String("esc"))
            r.ctl->EscGedrueckt();
        else if (how == QLatin1String("pause"))
            r.ctl->imgPause_Click();
        else if (how == QLatin1String("stop"))
            r.ctl->imgStop_Click();
        else if (how == QLatin1String("ministop"))
            r.ctl->MiniPlayerStop();
        else
            r.ctl->setChecked(ModeBox::Shuffle, false);
        QVERIFY(!r.ctl->isPausing());
        r.clock.advance(20000);
        QCOMPARE(r.ui.played().size(), nextStarts ? 2 : 1);
        QCOMPARE(r.ctl->status(), nextStarts ? PlayerStatus::Playing : PlayerStatus::Idle);
        QCOMPARE(r.ui.pauseSymbol, false);
    }

    // An Esc pressed while a track plays does not cut the next pause short.
    void staleEscapeDoesNotShortenPause()
    {
        Rig r;
        saveOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("2"));
        r.folder({"a.mp3", "b.mp3"});
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        r.ctl->EscGedrueckt();
        r.device.finish();
        r.clock.advance(1500);
        QCOMPARE(r.ui.played().size(), 1);
        r.clock.advance(600);
        QCOMPARE(r.ui.played().size(), 2);
    }

    // Playlist: "all" plays every item, marked mode only checked ones; showing the record
    // of the item (which resets the track list's index) does not move the playlist's index.
    void playlistSequential_data()
    {
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("all") << false << QStringList{"/p/1", "/p/2", "/p/3", "/p/4"};
        QTest::newRow("marked") << true << QStringList{"/p/1", "/p/3"};
    }
    void playlistSequential()
    {
        QFETCH(bool, marked);
        QFETCH(QStringList, expected);
        Rig r;
        r.playlist.setItems({"/p/1", "/p/2", "/p/3", "/p/4"});
        r.playlist.setChecked(1, false);
        r.playlist.setChecked(3, false);
        r.ctl->setPlaylistModus(true);
        r.ctl->onPlaylistChanged();
        r.ui.onShowRecord = [&r] { r.ctl->setAktuellerTrack(0); };
        r.ctl->setChecked(marked ? ModeBox::MarkTracks : ModeBox::AlleTracks, true);
        r.ctl->setAktuellerTrack(1);
        r.ctl->imgStart_Click();
        QCOMPARE(r.playThrough(10), expected);
        QCOMPARE(r.ctl->status(), PlayerStatus::Idle);
    }

    // Random items of a playlist: every checked item once, unchecked never.
    void playlistRandom()
    {
        Rig r;
        r.playlist.setItems({"/p/1", "/p/2", "/p/3", "/p/4", "/p/5"});
        r.playlist.setChecked(2, false);
        r.ctl->setPlaylistModus(true);
        r.ctl->onPlaylistChanged();
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->setChecked(ModeBox::TracksZufaellig, true);
        r.ctl->setAktuellerTrack(1);
        r.ctl->imgStart_Click();
        const QStringList played = r.playThrough(10);
        QCOMPARE(played.size(), 4);
        QCOMPARE(QSet<QString>(played.begin(), played.end()),
                 (QSet<QString>{"/p/1", "/p/2", "/p/4", "/p/5"}));
    }

    // Previous and next in the playlist take checked items with wrap-around; with no
    // checked item they return without starting anything.
    void playlistPreviousNext_data()
    {
        QTest::addColumn<QList<bool>>("checks");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        QTest::newRow("next skips unchecked") << QList<bool>{true, false, true} << 1 << 1 << "/p/3";
        QTest::newRow("next wraps") << QList<bool>{true, false, true} << 3 << 1 << "/p/1";
        QTest::newRow("previous wraps") << QList<bool>{false, true, true} << 2 << 0 << "/p/3";
        QTest::newRow("nothing checked") << QList<bool>{false, false, false} << 2 << 1 << "";
        QTest::newRow("nothing checked back") << QList<bool>{false, false, false} << 2 << 0 << "";
        QTest::newRow("back from no item") << QList<bool>{true, true, true} << 0 << 0 << "/p/3";
        QTest::newRow("next from no item") << QList<bool>{true, true, true} << 0 << 1 << "/p/1";
    }
    void playlistPreviousNext()
    {
        QFETCH(QList<bool>, checks);
        QFETCH(int, from);
        QFETCH(int, index);
        QFETCH(QString, expected);
        Rig r;
        r.playlist.setItems({"/p/1", "/p/2", "/p/3"});
        for (int i = 0; i < checks.size(); ++i)
            r.playlist.setChecked(i, checks.at(i));
        r.ctl->setPlaylistModus(true);
        r.ctl->setAktuellerTrack(from);
        r.ctl->imgVorBack_Click(index);
        QCOMPARE(r.ui.played(), expected.isEmpty() ? QStringList() : QStringList{expected});
    }

    // Previous and next in the track list wrap; marked previous looks for a selected entry.
    void trackListPreviousNext_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<int>("expected");
        QTest::newRow("previous on first") << 0 << 0 << false << 3;
        QTest::newRow("next on last") << 3 << 1 << false << 0;
        QTest::newRow("next") << 1 << 1 << false << 2;
        QTest::newRow("marked previous") << 3 << 0 << true << 1;
        QTest::newRow("marked previous, none before") << 1 << 0 << true << 1;
    }
    void trackListPreviousNext()
    {
        QFETCH(int, from);
        QFETCH(int, index);
        QFETCH(bool, marked);
        QFETCH(int, expected);
        Rig r;
        r.folder({"0", "1", "2", "3"});
        r.tracks.setSelected(1, true);
        if (marked)
            r.ctl->setChecked(ModeBox::MarkTracks, true);
        r.ctl->setAktuellerTrack(from);
        r.ctl->imgVorBack_Click(index);
        QCOMPARE(r.ctl->aktuellerTrack(), expected);
        QCOMPARE(r.ui.played(), paths({QString::number(expected)}));
    }

    // Pause pauses whatever engine plays, also for a path containing "pause"; with nothing
    // playing it does nothing; a clock-timed track does not end while paused.
    void pauseAndContinue()
    {
        Rig r;
        r.folder({"Pause am Meer.mp3", "b.mp3"});
        r.ctl->imgPause_Click();
        QVERIFY(r.device.commands().isEmpty());
        r.lengths.insert(QStringLiteral("/musik/Pause am Meer.mp3"), 2.0);
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        r.ctl->imgPause_Click();
        QCOMPARE(r.device.state(), PlayState::Paused);
        QVERIFY(r.ctl->pausiertFlag());
        QVERIFY(r.ui.pauseSymbol);
        r.clock.advance(10000);
        QCOMPARE(r.ui.played().size(), 1);
        r.ctl->imgPause_Click();
        QCOMPARE(r.device.state(), PlayState::Playing);
        QVERIFY(!r.ui.pauseSymbol);
        r.clock.advance(1000);
        QCOMPARE(r.ui.played().size(), 1);
        r.clock.advance(2500);
        QCOMPARE(r.ui.played().size(), 2);
    }

    // Stop keeps a resume record taken before marked mode resets the index; resume plays
    // that track of that record at the saved position.
    void stopAndResume()
    {
        Rig r;
        r.catalogue.addRecord({"Rock", "A", "/a/", {"1.mp3", "2.mp3", "3.mp3"}});
        r.catalogue.addRecord({"Pop", "B", "/b/", {"x.mp3"}});
        r.catalogue.moveToRow(0);
        r.tracks.setSelected(0, false);
        r.tracks.setSelected(2, true);
        r.ctl->setWinPlayerVerwenden(true);
        r.ctl->setChecked(ModeBox::MarkTracks, true);
        r.ctl->imgStart_Click();
        QCOMPARE(r.ui.played(), QStringList{"/a/3.mp3"});
        r.player.advance(42.4);
        r.ctl->imgStop_Click();
        QCOMPARE(r.ctl->aktuellerTrack(), 0);
        QCOMPARE(r.ctl->resumeTrack(), 2);
        QCOMPARE(r.ctl->resumePosition(), 42);
        QCOMPARE(r.ctl->resumeMusikpfad(), QStringLiteral("/a/"));
        r.catalogue.moveToRow(1);
        r.ctl->setChecked(ModeBox::MarkTracks, false);
        r.ctl->imgResume_Click();
        QCOMPARE(r.catalogue.currentRow(), 0);
        QCOMPARE(r.ui.played().last(), QStringLiteral("/a/3.mp3"));
        QVERIFY(r.player.commands().contains(QStringLiteral("seek 42")));
    }

    // Resume when the record is not in the view: a notice, nothing plays.
    void resumeRecordMissing()
    {
        Rig r;
        r.catalogue.addRecord({"Rock", "A", "/a/", {"1.mp3"}});
        r.catalogue.moveToRow(0);
        r.ctl->imgStart_Click();
        r.ctl->imgStop_Click();
        Rig other;
        other.catalogue.addRecord({"Pop", "B", "/b/", {"x.mp3"}});
        other.catalogue.moveToRow(0);
        // Same controller state carried over: only the catalogue lacks the record.
        r.ctl->setCatalogue(&other.catalogue);
        r.ctl->setTrackList(&other.tracks);
        r.ui.statuses.clear();
        r.ctl->imgResume_Click();
        QVERIFY(r.ui.played().isEmpty());
        QCOMPARE(r.ui.messages, QStringList{"Bedienungshinweis"});
    }

    // The enabling and clearing rules of the three main modes.
    void modeSwitchTable_data()
    {
        QTest::addColumn<QList<int>>("steps"); // +box checks, -box-1 unchecks
        QTest::addColumn<QString>("checked");  // A M S Z P R, 1 = checked
        QTest::addColumn<QString>("enabled");
        const int A = int(ModeBox::AlleTracks) + 1, M = int(ModeBox::MarkTracks) + 1,
                  S = int(ModeBox::Shuffle) + 1, Z = int(ModeBox::TracksZufaellig) + 1,
                  R = int(ModeBox::Repeat) + 1;
        QTest::newRow("start") << QList<int>{} << "000000" << "111000";
        QTest::newRow("all") << QList<int>{A} << "100000" << "100111";
        QTest::newRow("all with random, then off") << QList<int>{A, Z, R, -A} << "000100"
                                                   << "111000";
        QTest::newRow("marked") << QList<int>{M} << "010000" << "010011";
        QTest::newRow("marked off") << QList<int>{M, R, -M} << "000000" << "111000";
        QTest::newRow("shuffle") << QList<int>{S} << "001000" << "001010";
        QTest::newRow("shuffle off") << QList<int>{S, -S} << "000000" << "111000";
    }
    void modeSwitchTable()
    {
        QFETCH(QList<int>, steps);
        QFETCH(QString, checked);
        QFETCH(QString, enabled);
        Rig r;
        for (int s : steps) {
            if (s == int(ModeBox::Shuffle) + 1)
                r.ui.answers.enqueue(QString());
            r.ctl->setChecked(ModeBox(qAbs(s) - 1), s > 0);
        }
        QString gotChecked, gotEnabled;
        for (int b = 0; b < klang::player::kModeBoxCount; ++b) {
            gotChecked += r.ctl->isChecked(ModeBox(b)) ? QLatin1Char('1') : QLatin1Char('0');
            gotEnabled += r.ctl->isEnabled(ModeBox(b)) ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(gotChecked, checked);
        QCOMPARE(gotEnabled, enabled);
    }

    // Unchecking a main mode lets the track play out and nothing follows; unchecking
    // shuffle stops at once.
    void uncheckingMainMode()
    {
        Rig r;
        r.folder({"a.mp3", "b.mp3"});
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        r.ctl->setChecked(ModeBox::AlleTracks, false);
        QVERIFY(!r.ctl->isWatching());
        QCOMPARE(r.ctl->status(), PlayerStatus::Playing);
        r.finishCurrent();
        r.clock.advance(5000);
        QCOMPARE(r.ui.played().size(), 1);
    }

    // The preview question keeps only whole numbers of at least two seconds.
    void previewQuestion_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("stays");
        QTest::addColumn<QString>("saved");
        QTest::newRow("2") << "2" << true << "2";
        QTest::newRow("15") << "15" << true << "15";
        QTest::newRow("1.5") << "1.5" << false << "7";
        QTest::newRow("0") << "0" << false << "7";
        QTest::newRow("abc") << "abc" << false << "7";
        QTest::newRow("-3") << "-3" << false << "7";
        QTest::newRow("5abc") << "5abc" << false << "7";
        QTest::newRow("exit") << "" << true << "7";
    }
    void previewQuestion()
    {
        QFETCH(QString, answer);
        QFETCH(bool, stays);
        QFETCH(QString, saved);
        Rig r;
        saveOption(QStringLiteral("TracksAnspielen"), QStringLiteral("7"));
        saveOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("4"));
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ui.answers.enqueue(answer);
        r.ctl->setChecked(ModeBox::TracksAnspielen, true);
        QCOMPARE(r.ui.inputTitles, QStringList{"Track & Movie anspielen"});
        QCOMPARE(r.ui.inputDefaults, QStringList{"7"});
        QCOMPARE(r.ctl->isChecked(ModeBox::TracksAnspielen), stays);
        QCOMPARE(option(QStringLiteral("TracksAnspielen")), saved);
        QCOMPARE(option(QStringLiteral("PauseZwischenTracks")),
                 saved == QLatin1String("7") ? QStringLiteral("4") : QStringLiteral("0"));
        QCOMPARE(r.ui.messages.contains(QStringLiteral("Sicherheitshinweis")),
                 !stays);
    }

    // The songs-per-record question keeps only whole numbers of at least one; the start
    // from the command line asks nothing once.
    void songsQuestion_data()
    {
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("saved");
        QTest::newRow("3") << false << "3" << "3";
        QTest::newRow("abc") << false << "abc" << "2";
        QTest::newRow("0") << false << "0" << "2";
        QTest::newRow("command line") << true << "9" << "2";
    }
    void songsQuestion()
    {
        QFETCH(bool, commandLine);
        QFETCH(QString, answer);
        QFETCH(QString, saved);
        Rig r;
        saveOption(QStringLiteral("ShuffleSongProCD"), QStringLiteral("2"));
        r.ctl->setKommandozeileVorhanden(commandLine);
        r.ui.answers.enqueue(answer);
        r.ctl->setChecked(ModeBox::Shuffle, true);
        QCOMPARE(option(QStringLiteral("ShuffleSongProCD")), saved);
        QCOMPARE(r.ui.inputTitles.size(), commandLine ? 0 : 1);
        QVERIFY(!r.ctl->kommandozeileVorhanden());
        QVERIFY(r.ctl->isChecked(ModeBox::Shuffle));
    }

    // Repeat alone repeats the track, and on the last track goes on with the first.
    void repeatOne()
    {
        Rig r;
        r.folder({"a", "b"});
        r.ctl->setChecked(ModeBox::Repeat, true);
        r.ctl->imgStart_Click();
        QCOMPARE(r.playThrough(2), paths({"a", "a", "a"}));
        r.ctl->setAktuellerTrack(1);
        r.ctl->imgStart_Click();
        r.finishCurrent();
        QCOMPARE(r.ui.played().mid(3), paths({"b", "a"}));
    }

    // A name beginning with an apostrophe goes to its associated program, in the list played.
    void apostropheOpensAssociated()
    {
        Rig r;
        r.folder({"a.mp3"});
        r.playlist.setItems({"/p/'Notiz.txt"});
        r.ctl->setPlaylistModus(true);
        r.ctl->setAktuellerTrack(1);
        r.ctl->imgStart_Click();
        QCOMPARE(r.ui.associated, QStringList{"/p/'Notiz.txt"});
        QVERIFY(r.ui.played().isEmpty());
    }

    // Shuffle draws again when a record has no files (LPs, tapes, missing folders) and
    // stops with a notice only when no allowed record has anything to play.
    void shuffleSkipsRecordsWithoutFiles_data()
    {
        QTest::addColumn<int>("withFiles");     // every n-th record has files (0: none)
        QTest::addColumn<bool>("catalogueTells"); // the catalogue knows which have files
        QTest::addColumn<QString>("excluded");  // style excluded from play
        QTest::addColumn<bool>("plays");
        QTest::newRow("half without files") << 2 << true << "" << true;
        QTest::newRow("half without files, catalogue cannot tell") << 2 << false << "" << true;
        QTest::newRow("one record of twenty has files") << 20 << false << "" << true;
        QTest::newRow("no record has files") << 0 << true << "" << false;
        QTest::newRow("only excluded records have files") << 2 << false << "Jazz" << false;
    }
    void shuffleSkipsRecordsWithoutFiles()
    {
        QFETCH(int, withFiles);
        QFETCH(bool, catalogueTells);
        QFETCH(QString, excluded);
        QFETCH(bool, plays);
        Rig r;
        r.catalogue.setReportsTracks(catalogueTells);
        for (int i = 0; i < 20; ++i) {
            const bool files = withFiles > 0 && i % withFiles == 0;
            r.catalogue.addRecord({files ? QStringLiteral("Jazz") : QStringLiteral("Rock"), QStringLiteral("B%1").arg(i),
                                   QStringLiteral("/r%1/").arg(i),
                                   files ? QStringList{"a.ogg", "b.ogg"} : QStringList()});
        }
        if (!excluded.isEmpty())
            r.ctl->stilAusschluss().setEntries({excluded});
        r.catalogue.moveToRow(1); // no files: Start draws a record that has some
        r.ui.answers.enqueue(QString());
        r.ctl->setChecked(ModeBox::Shuffle, true);
        r.ctl->imgStart_Click();
        const QStringList played = r.playThrough(30);
        if (plays) {
            QCOMPARE(played.size(), 31);
            QCOMPARE(r.ctl->status(), PlayerStatus::Playing);
            QVERIFY(r.ui.messages.isEmpty());
        } else {
            QVERIFY(played.isEmpty());
            QCOMPARE(r.ui.messages, QStringList{"Bedienungshinweis"});
            QVERIFY(r.ui.prompts.first().contains(QStringLiteral("Keiner der Tonträger")));
            QVERIFY(!r.ctl->isWatching());
        }
    }

    // A continuous mode gives up with one notice after a whole pass in which nothing
    // played (missing or broken files); one playable file keeps it going.
    void continuousModesGiveUp_data()
    {
        QTest::addColumn<bool>("playlist");
        QTest::addColumn<QStringList>("bad");   // files that fail
        QTest::addColumn<bool>("broken");       // fail after opening (else refused as missing)
        QTest::addColumn<bool>("repeatOnly");   // Repeat without All (one track over again)
        QTest::addColumn<int>("opens");         // opens before it gives up (0: never gives up)
        QTest::newRow("playlist, every file missing") << true << QStringList{"/p/1", "/p/2", "/p/3"} << false << false << 3;
        QTest::newRow("playlist, every file broken") << true << QStringList{"/p/1", "/p/2", "/p/3"} << true << false << 3;
        QTest::newRow("track list, every file broken") << false << QStringList{"/musik/1", "/musik/2", "/musik/3"} << true << false << 3;
        QTest::newRow("repeat one missing track") << false << QStringList{"/musik/1"} << false << true << 1;
        QTest::newRow("one good file keeps playing") << true << QStringList{"/p/1", "/p/3"} << false << false << 0;
    }
    void continuousModesGiveUp()
    {
        QFETCH(bool, playlist);
        QFETCH(QStringList, bad);
        QFETCH(bool, broken);
        QFETCH(bool, repeatOnly);
        QFETCH(int, opens);
        Rig r;
        r.folder({"1", "2", "3"});
        r.playlist.setItems({"/p/1", "/p/2", "/p/3"});
        if (!broken) {
            for (const QString& b : bad)
                r.device.refuse(b);
        }
        // Repeat alone plays one track over and over.
        if (!repeatOnly)
            r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->setChecked(ModeBox::Repeat, true);
        r.ctl->setPlaylistModus(playlist);
        r.ctl->setAktuellerTrack(playlist ? 1 : 0);
        r.ctl->imgStart_Click();
        for (int step = 0; step < 40; ++step) {
            if (r.device.state() == PlayState::Playing) {
                if (broken && bad.contains(r.device.source()))
                    r.device.fail();
                else
                    r.device.finish();
            }
            r.clock.advance(1500);
        }
        const int opened = int(r.device.commands().filter(QRegularExpression(QStringLiteral("^open "))).size());
        if (opens == 0) {
            QVERIFY(r.ui.messages.isEmpty());
            QVERIFY(opened > 20);
        } else {
            QCOMPARE(opened, opens);
            QCOMPARE(r.ui.messages, QStringList{"Bedienungshinweis"});
            QCOMPARE(r.ui.lastStatus(), QStringLiteral("no play"));
            QVERIFY(!r.ctl->isWatching());
            QVERIFY(!r.ctl->isPausing());
        }
    }

    // Shuffle over the catalogue gives up only when every allowed record failed with each of
    // its files: one playable record among broken ones keeps it playing.
    void shuffleGivesUpByRecords_data()
    {
        QTest::addColumn<bool>("onePlayable");
        QTest::newRow("one playable record") << true;
        QTest::newRow("every record broken") << false;
    }
    void shuffleGivesUpByRecords()
    {
        QFETCH(bool, onePlayable);
        Rig r;
        for (int i = 0; i < 4; ++i) {
            r.catalogue.addRecord({QStringLiteral("Pop"), QStringLiteral("B%1").arg(i), QStringLiteral("/r%1/").arg(i),
                                   {"a.wav", "b.wav"}});
            if (i > 0 || !onePlayable) {
                r.device.refuse(QStringLiteral("/r%1/a.wav").arg(i));
                r.device.refuse(QStringLiteral("/r%1/b.wav").arg(i));
            }
        }
        r.catalogue.moveToRow(0);
        r.ctl->setChecked(ModeBox::Shuffle, true);
        r.ctl->imgStart_Click();
        for (int step = 0; step < 200 && r.ui.messages.isEmpty(); ++step) {
            if (r.device.state() == PlayState::Playing)
                r.device.finish();
            r.clock.advance(700);
        }
        if (onePlayable) {
            QVERIFY2(r.ui.messages.isEmpty(), qPrintable(r.ui.prompts.join('|')));
            QVERIFY(r.ui.played().size() > 20);
        } else {
            QCOMPARE(r.ui.messages, QStringList{"Bedienungshinweis"});
            QVERIFY(!r.ctl->isWatching());
        }
    }

    // The pause setting is read by its leading number, as the menu stores what was typed.
    void pauseReadByLeadingNumber_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<int>>("countdown");
        QTest::newRow("2 Sek.") << "2 Sek." << QList<int>{2, 1};
        QTest::newRow("plain 3") << "3" << QList<int>{3, 2, 1};
        QTest::newRow("blank before") << " 1 s" << QList<int>{1};
        QTest::newRow("no number") << "abc" << QList<int>{};
        QTest::newRow("negative") << "-4" << QList<int>{};
    }
    void pauseReadByLeadingNumber()
    {
        QFETCH(QString, stored);
        QFETCH(QList<int>, countdown);
        Rig r;
        saveOption(QStringLiteral("PauseZwischenTracks"), stored);
        r.folder({"a.mp3", "b.mp3"});
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        r.finishCurrent();
        r.clock.advance(5000);
        QCOMPARE(r.ui.countdowns, countdown);
        QCOMPARE(r.ui.played(), paths({"a.mp3", "b.mp3"}));
    }

    // An entry handed to its own program leaves the player idle: no pause waits on it, and
    // Pause does not open it again.
    void apostropheReturnsToIdle()
    {
        Rig r;
        r.folder({"a.mp3", "'Notiz.txt"});
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->imgStart_Click();
        r.finishCurrent();
        r.clock.advance(2000);
        QCOMPARE(r.ui.associated, QStringList{"/musik/'Notiz.txt"});
        QCOMPARE(r.ctl->status(), PlayerStatus::Idle);
        QVERIFY(!r.ctl->isWatching());
        r.ctl->imgPause_Click();
        r.ctl->imgPause_Click();
        r.clock.advance(3000);
        QCOMPARE(r.ui.associated.size(), 1);
        QCOMPARE(r.ui.lastStatus(), QStringLiteral("no play"));
    }

    // A stop in the pause before the next track keeps that track as the resume record.
    void stopDuringPauseKeepsResume_data()
    {
        QTest::addColumn<bool>("playlist");
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("resumed");
        QTest::newRow("track list") << false << 1 << "/musik/b.mp3";
        QTest::newRow("playlist") << true << 2 << "/p/2";
    }
    void stopDuringPauseKeepsResume()
    {
        QFETCH(bool, playlist);
        QFETCH(int, track);
        QFETCH(QString, resumed);
        Rig r;
        saveOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("5"));
        r.catalogue.addRecord({"Rock", "A", "/musik/", {"a.mp3", "b.mp3", "c.mp3"}});
        r.catalogue.moveToRow(0);
        r.playlist.setItems({"/p/1", "/p/2", "/p/3"});
        r.ctl->setWinPlayerVerwenden(true);
        r.ctl->setChecked(ModeBox::AlleTracks, true);
        r.ctl->setPlaylistModus(playlist);
        r.ctl->setAktuellerTrack(playlist ? 1 : 0);
        r.ctl->imgStart_Click();
        r.finishCurrent();
        QVERIFY(r.ctl->isPausing());
        r.ctl->imgStop_Click();
        QCOMPARE(r.ctl->resumeTrack(), track);
        QCOMPARE(r.ctl->resumePosition(), 0);
        r.ctl->imgResume_Click();
        QCOMPARE(r.ui.played().last(), resumed);
    }

    // Visualisation places the embedded player and keeps the choice; it is shown again
    // only while it plays.
    void visualisation_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QString>("saved");
        QTest::newRow("on, idle") << true << false << "1";
        QTest::newRow("off, playing") << false << true << "0";
    }
    void visualisation()
    {
        QFETCH(bool, checked);
        QFETCH(bool, playing);
        QFETCH(QString, saved);
        Rig r;
        struct Ui : RecordingUi
        {
            void showMediaPlayer(bool v) override { visible = v; }
            void setMediaPlayerGeometry(int t, int h) override { top = t, height = h; }
            bool visible = true;
            int top = 0, height = 0;
        } ui;
        r.ctl->setUi(&ui);
        if (playing)
            r.player.open(QStringLiteral("/musik/a.mp3"));
        r.ctl->chkVisualisierung_Click(checked);
        QCOMPARE(ui.visible, playing);
        QCOMPARE(ui.top, checked ? 1380 : 4575);
        QCOMPARE(ui.height, checked ? 4150 : 960);
        QCOMPARE(option(QStringLiteral("WinMediaPlayerVisualisierung")), saved);
    }

    // The exclusion lists are read from their files; blank lines exclude nothing.
    void exclusionFiles()
    {
        Rig r;
        const QString dir = m_env->path(QStringLiteral("prog"));
        QFile f(dir + QStringLiteral("/AusschlussAbspielliste.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Jazz\r\n\r\nVolksmusik\r\n");
        f.close();
        r.ctl->AbspielausschlusslisteLaden(dir);
        r.ctl->BandAbspielausschlusslisteLaden(dir); // missing: list stays
        QCOMPARE(r.ctl->stilAusschluss().entries(), (QStringList{"Jazz", "Volksmusik"}));
        QVERIFY(r.ctl->bandAusschluss().isEmpty());
        QVERIFY(!r.ctl->stilAusschluss().matches(QStringLiteral("Rock")));
        QVERIFY(r.ctl->stilAusschluss().matches(QStringLiteral("Neue Volksmusik")));
    }
};

QTEST_GUILESS_MAIN(TestPlayerController)
#include "tst_playercontroller.moc"
