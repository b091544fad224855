#include "audiocd/ctlDiskoloX.h"
#include "tests/support/FakeCdBackend.h"
#include "tests/support/TestEnvironment.h"

#include <QSignalSpy>
#include <QtTest>

using namespace diskolo;
using klang::test::FakeCdBackend;

namespace {

// Five tracks of 4:00, 3:20, 3:00, 4:10 and 5:00 (whole multiples of a sector's 40/3 ms).
const QList<qint32> Five = {240000, 200000, 180000, 250000, 300000};
const QList<qint32> Starts = {0, 240000, 440000, 620000, 870000};

struct Rig
{
    FakeCdBackend* cd = new FakeCdBackend;
    std::unique_ptr<ctlDiskoloX> x;

    explicit Rig(const QList<qint32>& tracks = Five, const QStringList& drives = {})
    {
        cd->setDrives(drives);
        cd->insertDisc(tracks);
        x = std::make_unique<ctlDiskoloX>(std::unique_ptr<klang::cdaudio::CdBackend>(cd));
        x->seedRandom(7);
        cd->takeLog();
    }
    // Plays track t from p ms into it.
    void at(int t, qint32 p = 0)
    {
        x->setCurrentTrack(qint16(t));
        cd->setPositionMs(x->TrackPosOnCD(qint16(t)) + p);
        cd->takeLog();
    }
    QStringList plays()
    {
        QStringList out;
        for (const QString& c : cd->takeLog())
            if (c.startsWith(QLatin1String("play")))
                out << c;
        return out;
    }
};

QString from(qint32 ms) { return QStringLiteral("play from ") + QString::number(ms); }

} // namespace

// The CD player's rules on a scripted device: positions, transport, modes and watchers.
class TestPlayer : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

private Q_SLOTS:
    // The time text (m:ss below an hour, h:mm:ss from one) and its parts: seconds rounded half
    // to even, the rest negative where they were rounded up, parts other than 1-4 give 0.
    void timeTexts_data()
    {
        QTest::addColumn<qint32>("ms");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qint32>>("parts");
        QTest::newRow("zero") << 0 << "0:00" << QList<qint32>{0, 0, 0, 0};
        QTest::newRow("59.499 s") << 59499 << "0:59" << QList<qint32>{0, 0, 59, 499};
        QTest::newRow("59.5 s") << 59500 << "1:00" << QList<qint32>{0, 1, 0, -500};
        QTest::newRow("1.5 s") << 1500 << "0:02" << QList<qint32>{0, 0, 2, -500};
        QTest::newRow("2.5 s to even") << 2500 << "0:02" << QList<qint32>{0, 0, 2, 500};
        QTest::newRow("3.5 s to even") << 3500 << "0:04" << QList<qint32>{0, 0, 4, -500};
        QTest::newRow("ten minutes") << 600000 << "10:00" << QList<qint32>{0, 10, 0, 0};
        QTest::newRow("one hour") << 3600000 << "1:00:00" << QList<qint32>{1, 0, 0, 0};
        QTest::newRow("1:01:01") << 3661000 << "1:01:01" << QList<qint32>{1, 1, 1, 0};
    }
    void timeTexts()
    {
        QFETCH(qint32, ms);
        QFETCH(QList<qint32>, parts);
        QTEST(ctlDiskoloX::FormatTime(ms), "text");
        for (int part = 0; part <= 5; ++part)
            QCOMPARE(ctlDiskoloX::GetTimePart(ms, part), part >= 1 && part <= 4 ? parts.at(part - 1) : 0);
    }

    // Next and previous wrap around the disc; a track the disc lacks plays from 0.
    void skipping_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("sent");
        QTest::newRow("next on the last") << 5 << "next" << from(0);
        QTest::newRow("previous on the first") << 1 << "previous" << from(Starts[4]);
        QTest::newRow("next") << 2 << "next" << from(Starts[2]);
        QTest::newRow("previous") << 3 << "previous" << from(Starts[1]);
        QTest::newRow("track 7 of 5") << 1 << "7" << from(0);
        QTest::newRow("track 0") << 3 << "0" << from(0);
    }
    void skipping()
    {
        QFETCH(int, track);
        QFETCH(QString, command);
        Rig r;
        r.at(track, 1000);
        if (command == QLatin1String("next"))
            r.x->NextTrack();
        else if (command == QLatin1String("previous"))
            r.x->PreviousTrack();
        else
            r.x->setCurrentTrack(qint16(command.toInt()));
        QFETCH(QString, sent);
        QCOMPARE(r.plays(), QStringList{sent});
    }

    // The current track follows the position on the disc; positions inside a track are
    // counted from its start.
    void positions()
    {
        Rig r;
        QCOMPARE(r.x->TrackCount(), qint16(5));
        QCOMPARE(r.x->CDLength(), 1170000);
        QCOMPARE(r.x->TrackLength(4), 250000);
        QCOMPARE(r.x->TrackLength(6), 0);
        QCOMPARE(r.x->TrackPosOnCD(3), Starts[2]);
        QCOMPARE(r.x->CurrentTrack(), qint16(1)); // stopped at the start
        r.cd->setPositionMs(Starts[2] - 1);
        QCOMPARE(r.x->CurrentTrack(), qint16(2));
        r.cd->setPositionMs(Starts[2]);
        QCOMPARE(r.x->CurrentTrack(), qint16(3));
        r.cd->setPositionMs(Starts[2] + 137000);
        QCOMPARE(r.x->TrackPos(), 137000);
        r.cd->setPositionMs(1170000); // the end of the disc belongs to the last track
        QCOMPARE(r.x->CurrentTrack(), qint16(5));
        r.at(3);
        r.x->setTrackPos(95000);
        QCOMPARE(r.plays(), QStringList{from(Starts[2] + 95000)});
        r.x->setCDPosition(5000);
        QCOMPARE(r.plays(), QStringList{from(5000)});
    }

    // An empty drive: no tracks, one name, no watch timers, one CDChanged, and the disc
    // watch waits for a disc.
    void emptyDrive()
    {
        Rig r(QList<qint32>{});
        QSignalSpy changed(r.x.get(), &ctlDiskoloX::CDChanged);
        r.x->setDrive(QString());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(r.x->TrackCount(), qint16(0));
        QCOMPARE(r.x->iniTrackName(1), QStringLiteral("Track 1"));
        QCOMPARE(r.x->iniTrackName(2), QString());
        QVERIFY(!r.x->timStatus().isActive());
        QVERIFY(!r.x->timProgramWatcher().isActive());
        QVERIFY(r.x->discWatch().isActive());
        QCOMPARE(r.x->Status(), QStringLiteral("not ready"));
        QCOMPARE(r.x->iniIdentity(), QString());
        r.x->NextTrack(); // finds 0 == 0 and asks for "from 0", which fails quietly
        QCOMPARE(r.plays(), QStringList{from(0)});

        // A disc arrives: it is opened without any button pressed.
        r.cd->insertDisc(Five);
        r.x->discWatch_Timer();
        QCOMPARE(changed.count(), 2);
        QCOMPARE(r.x->TrackCount(), qint16(5));
        QVERIFY(r.x->timStatus().isActive());
        QVERIFY(!r.x->discWatch().isActive());
        // The status watch knows the disc already.
        QSignalSpy any(r.x.get(), &ctlDiskoloX::CDChanged);
        r.x->timStatus_Timer();
        QCOMPARE(any.count(), 0);
    }

    // Stop and door each reopen the device once; a new drive is stopped, closed and opened.
    void reopening()
    {
        Rig r(Five, {QStringLiteral("/dev/sr0"), QStringLiteral("/dev/sr1")});
        QSignalSpy changed(r.x.get(), &ctlDiskoloX::CDChanged);
        QVERIFY(r.x->StopCD());
        QCOMPARE(changed.count(), 1);
        QVERIFY(r.x->OpenDoor());
        QCOMPARE(changed.count(), 2);
        QCOMPARE(r.cd->takeLog(), (QStringList{"stop", "stop", "close", "open ", "stop", "stop", "close", "open ",
                                               "door open"}));
        r.x->setDrive(QStringLiteral("/dev/sr1"));
        QCOMPARE(r.cd->takeLog(), (QStringList{"stop", "close", "open /dev/sr1"}));
        QCOMPARE(r.x->Drive(), QStringLiteral("/dev/sr1"));
    }

    // A device that fails everything gives 0, "" and false, and says why.
    void failingDevice()
    {
        Rig r;
        r.cd->setFailing(true);
        QCOMPARE(r.x->TrackCount(), qint16(0));
        QCOMPARE(r.x->CurrentTrack(), qint16(0));
        QCOMPARE(r.x->TrackPos(), 0);
        QCOMPARE(r.x->CDLength(), 0);
        QCOMPARE(r.x->CDPosition(), 0);
        QCOMPARE(r.x->TrackLength(1), 0);
        QCOMPARE(r.x->Status(), QString());
        QCOMPARE(r.x->iniIdentity(), QString());
        QVERIFY(!r.x->PauseCD());
        QVERIFY(!r.x->StopCD());
        QVERIFY(!r.x->OpenDoor());
        QVERIFY(!r.x->CloseDoor());
        QVERIFY(!r.x->SaveToDiskoloIni());
        r.x->PlayCD();
        r.x->NextTrack();
        r.x->timStatus_Timer();
        r.x->timProgramWatcher_Timer();
        QVERIFY(r.x->GetErrorString() != klang::cdaudio::cdErrorText(klang::cdaudio::CdError::None));
        r.cd->setFailing(false);
        r.x->setDrive(QString());
        QCOMPARE(r.x->TrackCount(), qint16(5));
        QCOMPARE(r.x->GetErrorString(), klang::cdaudio::cdErrorText(klang::cdaudio::CdError::None));
    }

    // One tick of the program watch. Repeat one track: another track (the disc's own move, the
    // user's choice, the end of the disc) brings it back; a repeat track chosen without a disc
    // holds on to the track playing then. Repeat the disc: only on the last track, only past its
    // length less 10 ms. Intro: only past 10 s; the last track goes on with the first.
    void programWatch_data()
    {
        QTest::addColumn<int>("repeat");
        QTest::addColumn<int>("program");
        QTest::addColumn<int>("chosenOn"); // track playing when the mode was chosen; 0: no disc
        QTest::addColumn<int>("track");
        QTest::addColumn<qint32>("pos");   // ms into the track; -1: the disc played to its end
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("track: disc moved on") << 1 << 0 << 4 << 5 << 50 << QStringList{from(Starts[3])};
        QTest::newRow("track: user chose another") << 1 << 0 << 4 << 2 << 0 << QStringList{from(Starts[3])};
        QTest::newRow("track: still on it") << 1 << 0 << 4 << 4 << 249000 << QStringList{};
        QTest::newRow("track: end of the disc") << 1 << 0 << 5 << 5 << -1 << QStringList{from(Starts[4])};
        QTest::newRow("track: chosen without disc") << 1 << 0 << 0 << 2 << 1000 << QStringList{};
        QTest::newRow("disc: 10 ms before the end") << 2 << 0 << 1 << 5 << 300000 - 10 << QStringList{};
        QTest::newRow("disc: 9 ms before the end") << 2 << 0 << 1 << 5 << 300000 - 9 << QStringList{from(0)};
        QTest::newRow("disc: end of the disc") << 2 << 0 << 1 << 5 << -1 << QStringList{from(0)};
        QTest::newRow("disc: end of track 4") << 2 << 0 << 1 << 4 << 250000 - 1 << QStringList{};
        QTest::newRow("intro: 10.000 s") << 0 << 1 << 1 << 3 << 10000 << QStringList{};
        QTest::newRow("intro: 10.001 s") << 0 << 1 << 1 << 3 << 10001 << QStringList{from(Starts[3])};
        QTest::newRow("intro: last track") << 0 << 1 << 1 << 5 << 10001 << QStringList{from(0)};
    }
    void programWatch()
    {
        QFETCH(int, repeat);
        QFETCH(int, program);
        QFETCH(int, chosenOn);
        QFETCH(int, track);
        QFETCH(qint32, pos);
        Rig r;
        if (chosenOn == 0)
            r.cd->setFailing(true); // reads as an empty drive
        else
            r.at(chosenOn);
        r.x->setRepeat(repeat);
        r.x->setProgramMode(program);
        r.cd->setFailing(false);
        if (pos >= 0) {
            r.at(track, pos);
        } else {
            r.at(track, r.x->TrackLength(qint16(track)) - 1000);
            r.cd->advance(5000);
        }
        r.x->timProgramWatcher_Timer();
        QTEST(r.plays(), "sent");
    }

    // Random play: every track once, then the list starts again at track 1 from the top.
    void randomPlaysAllOnce()
    {
        Rig r;
        r.at(2, 1000);
        r.x->setProgramMode(2);
        QCOMPARE(r.x->playedList(), QStringLiteral(",2,"));
        QList<int> chosen;
        for (int step = 0; step < 4; ++step) {
            const qint16 t = r.x->CurrentTrack();
            r.cd->setPositionMs(r.x->TrackPosOnCD(t) + r.x->TrackLength(t) - 249);
            r.x->timProgramWatcher_Timer();
            chosen << r.x->CurrentTrack();
            QCOMPARE(r.plays().size(), 1);
        }
        std::sort(chosen.begin(), chosen.end());
        QCOMPARE(chosen, (QList<int>{1, 3, 4, 5}));
        r.x->NextTrack(); // the fifth step: all played
        QCOMPARE(r.x->playedList(), QStringLiteral(",1,"));
        QCOMPARE(r.cd->takeLog(), (QStringList{"stop", "stop", "close", "open ", "play"}));
        QCOMPARE(r.x->CurrentTrack(), qint16(1));
        // 250 ms before the end is not yet past the margin.
        r.cd->setPositionMs(240000 - 250);
        r.x->timProgramWatcher_Timer();
        QCOMPARE(r.plays(), QStringList{});
    }

    // A list seeded without a disc (",0,") on a one-track disc: one step plays track 1, the
    // next starts the disc again.
    void randomOneTrack()
    {
        Rig r(QList<qint32>{});
        r.x->setProgramMode(2);
        QCOMPARE(r.x->playedList(), QStringLiteral(",0,"));
        r.cd->insertDisc({60000});
        r.x->discWatch_Timer();
        r.cd->takeLog();
        r.x->NextTrack();
        QCOMPARE(r.x->playedList(), QStringLiteral(",0,1,"));
        QCOMPARE(r.plays(), QStringList{from(0)});
        r.x->PreviousTrack();
        QCOMPARE(r.x->playedList(), QStringLiteral(",1,"));
        QCOMPARE(r.cd->takeLog(), (QStringList{"stop", "stop", "close", "open ", "play"}));
    }

    // The status watch: a new disc raises CDChanged twice, otherwise at most one of track
    // and position per tick; an unchanged or empty drive raises nothing.
    void statusWatch()
    {
        Rig r;
        QSignalSpy cd(r.x.get(), &ctlDiskoloX::CDChanged);
        QSignalSpy track(r.x.get(), &ctlDiskoloX::TrackChanged);
        QSignalSpy pos(r.x.get(), &ctlDiskoloX::PosChanged);
        r.x->timStatus_Timer(); // the first tick takes the disc for a new one
        QCOMPARE(cd.count(), 2);
        r.x->timStatus_Timer();
        QCOMPARE(cd.count() + track.count() + pos.count(), 2);
        r.at(3, 1000);
        r.x->timStatus_Timer();
        QCOMPARE(track.count(), 1);
        QCOMPARE(pos.count(), 0);
        r.cd->advance(250);
        r.x->timStatus_Timer();
        QCOMPARE(track.count(), 1);
        QCOMPARE(pos.count(), 1);

        r.cd->insertDisc({100000, 200000});
        r.x->timStatus_Timer();
        QCOMPARE(cd.count(), 4);
        QCOMPARE(track.count() + pos.count(), 2);

        r.cd->removeDisc();
        r.x->timStatus_Timer();
        QCOMPARE(cd.count(), 6);
        QVERIFY(!r.x->timStatus().isActive());
        r.x->StartTimers();
        for (int i = 0; i < 3; ++i)
            r.x->timStatus_Timer();
        QCOMPARE(cd.count() + track.count() + pos.count(), 8);
    }
};

QTEST_MAIN(TestPlayer)
#include "tst_player.moc"
