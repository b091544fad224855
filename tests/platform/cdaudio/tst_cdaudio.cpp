#include "platform/cdaudio/CdioBackend.h"
#include "tests/support/CdImage.h"
#include "tests/support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

using namespace klang::cdaudio;
using Mode = CdBackend::Mode;

// The CD device over libcdio and libmpv, tried on generated .cue/.bin images.
class TestCdAudio : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;
    QString m_image; // five tracks of 2, 3, 2, 2 and 1 s

    static qint32 posOf(CdioBackend& cd)
    {
        qint32 pos = -1;
        return cd.position(pos) ? pos : -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_image = klang::test::fiveTrackImage(m_env.path(QStringLiteral("mit Leerzeichen")),
                                              QStringLiteral("Platte 1"), {2.0, 3.0, 2.0, 2.0, 1.0});
        QVERIFY(!m_image.isEmpty());
    }

    // The disc identity is the freedb sum: the same numbers for the same table, whatever reads it.
    void discIdentity_data()
    {
        QTest::addColumn<QList<qint32>>("starts");
        QTest::addColumn<qint32>("leadout");
        QTest::addColumn<quint32>("id");
        // Starts at 2, 5, 9, 14 and 20 s with the lead-in: digit sum 23, 25 s, 5 tracks.
        QTest::newRow("five tracks") << QList<qint32>{0, 225, 525, 900, 1350} << qint32(1875) << quint32(0x17001905);
        // One track of 1 h: 2 s -> 2, length 3600 s = 0xE10.
        QTest::newRow("one long track") << QList<qint32>{0} << qint32(3600 * 75) << quint32(0x020E1001);
        QTest::newRow("empty") << QList<qint32>{} << qint32(0) << quint32(0);
    }
    void discIdentity()
    {
        QFETCH(QList<qint32>, starts);
        QFETCH(qint32, leadout);
        CdToc toc;
        toc.starts = starts;
        toc.leadout = leadout;
        QFETCH(quint32, id);
        QCOMPARE(discId(toc), id);
    }

    // The image's table of contents: five tracks at sector boundaries, the same identity on
    // every open.
    void readsTheImage()
    {
        CdioBackend cd;
        QVERIFY(cd.open(m_image));
        CdToc toc;
        QVERIFY(cd.toc(toc));
        QCOMPARE(toc.starts, (QList<qint32>{0, 150, 375, 525, 675}));
        QCOMPARE(toc.leadout, 750);
        const quint32 first = discId(toc);
        cd.close();
        QVERIFY(!cd.toc(toc));
        QCOMPARE(cd.error(), CdError::NotOpen);
        QVERIFY(cd.open(m_image));
        QVERIFY(cd.toc(toc));
        QCOMPARE(discId(toc), first);
        // An image is no drive and has no tray.
        QVERIFY(!cd.isCdDrive(m_image));
        QVERIFY(!cd.openTray());
        QCOMPARE(cd.error(), CdError::NotSupported);
        QVERIFY(cd.toc(toc));
    }

    // Broken or missing images are refused; nothing crashes and no disc is reported.
    void refusesBrokenImages_data()
    {
        QTest::addColumn<QByteArray>("cue");
        QTest::newRow("garbage") << QByteArray("\x01\x02 this is no cue sheet\n\xff\xfe");
        QTest::newRow("missing bin") << QByteArray("FILE \"fehlt.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("track without index") << QByteArray("FILE \"Platte 1.bin\" BINARY\n  TRACK 01 AUDIO\n");
        QTest::newRow("no file") << QByteArray("<none>");
    }
    void refusesBrokenImages()
    {
        QFETCH(QByteArray, cue);
        const QString path = QFileInfo(m_image).absolutePath() + QStringLiteral("/kaputt.cue");
        QFile::remove(path);
        if (cue != "<none>") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(cue);
        }
        CdioBackend cd;
        CdToc toc;
        // Either the image is refused, or it opens as a drive without a disc.
        QVERIFY(!cd.open(path) || !cd.toc(toc));
        QVERIFY(!cd.play());
        QVERIFY(!cd.playFrom(0));
        qint32 pos = 0;
        QVERIFY(!cd.position(pos));
    }

    // A disc (here an image) that comes later is found by a look in the background.
    void discArrivesLater()
    {
        const QString folder = QFileInfo(m_image).absolutePath();
        CdioBackend cd;
        QVERIFY(!cd.open(folder + QStringLiteral("/später.cue")));
        QVERIFY(!cd.discArrived());
        QVERIFY(!klang::test::fiveTrackImage(folder, QStringLiteral("später"), {1.0}).isEmpty());
        QTRY_VERIFY(cd.discArrived());
        CdToc toc;
        QVERIFY(cd.toc(toc));
        QCOMPARE(toc.trackCount(), 1);
    }

    // The sound: a track command starts the image through libmpv and the position moves from
    // the track's start; pause holds it; the end of the disc leaves the position at its end.
    void playsTheImage()
    {
        CdioBackend cd;
        QVERIFY(cd.open(m_image));
        QVERIFY(cd.playFrom(framesToMs(375))); // track 3
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(posOf(cd) > 5000 + 150, 8000);
        Mode mode = Mode::NotReady;
        QVERIFY(cd.mode(mode));
        QCOMPARE(mode, Mode::Playing);
        QVERIFY(posOf(cd) < 5000 + 2000);

        QVERIFY(cd.pause());
        QTRY_VERIFY(cd.mode(mode) && mode == Mode::Paused);
        // The position may still take a step or two until the engine has paused (later on a busy
        // machine); then it stays.
        qint32 held = posOf(cd);
        for (int i = 0; i < 20; ++i) {
            QTest::qWait(300);
            const qint32 now = posOf(cd);
            if (now == held)
                break;
            held = now;
        }
        QTest::qWait(300);
        QCOMPARE(posOf(cd), held);

        // Near the end of the last track: play on to the end.
        QVERIFY(cd.playFrom(framesToMs(750) - 400));
        QTRY_VERIFY_WITH_TIMEOUT(cd.mode(mode) && mode == Mode::Stopped, 8000);
        QCOMPARE(posOf(cd), framesToMs(750));
        // Play at the end starts the disc again.
        QVERIFY(cd.play());
        QTRY_VERIFY_WITH_TIMEOUT(posOf(cd) > 100 && posOf(cd) < 3000, 8000);
        QVERIFY(!cd.playFrom(framesToMs(750)));
        QCOMPARE(cd.error(), CdError::OutOfRange);
        QVERIFY(cd.stop());
        QVERIFY(cd.mode(mode));
        QCOMPARE(mode, Mode::Stopped);
    }
};

QTEST_MAIN(TestCdAudio)
#include "tst_cdaudio.moc"
