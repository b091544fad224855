#include "platform/media/MediaPlayerControl.h"
#include "tests/support/FakeMediaEngine.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QSignalSpy>
#include <QtTest>

#include <taglib/fileref.h>
#include <taglib/tag.h>

using namespace klang::media;
using klang::test::FakeMediaEngine;

namespace {

QList<int> statesOf(const QSignalSpy& spy)
{
    QList<int> out;
    for (const auto& args : spy)
        out << args.at(0).toInt();
    return out;
}

} // namespace

// The embedded player as the programs drive it: URL, play states, controls, current media,
// full screen, mouse and the control bar.
class TestMediaPlayerControl : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

    QString wav(const QString& name, double seconds = 0.4)
    {
        return klang::test::shortWav(m_env.path(QStringLiteral("Musik")), name, seconds);
    }

private Q_SLOTS:
    // Setting the URL opens and starts the medium; the states come as PlayStateChange.
    void urlOpensAndStarts()
    {
        auto* fake = new FakeMediaEngine;
        MediaPlayerControl player(fake);
        QSignalSpy changes(&player, &MediaPlayerControl::PlayStateChange);
        QCOMPARE(player.playState(), 0);
        const QString path = wav(QStringLiteral("a.wav"));
        player.setURL(path);
        QCOMPARE(player.URL(), path);
        QCOMPARE(fake->commands(), QStringList{QStringLiteral("open ") + path});
        QCOMPARE(player.playState(), 3);
        QCOMPARE(statesOf(changes), (QList<int>{9, 3}));
        player.setURL(QString()); // empty closes
        QCOMPARE(player.playState(), 1);
        QVERIFY(player.URL().isEmpty());
        QVERIFY(player.currentMedia().name().isEmpty());
    }

    // With autoStart off the medium loads paused.
    void autoStartOffLoadsPaused()
    {
        auto* fake = new FakeMediaEngine;
        MediaPlayerControl player(fake);
        player.setAutoStart(false);
        player.setURL(wav(QStringLiteral("b.wav")));
        QCOMPARE(player.playState(), 2);
    }

    // controls.play/pause/stop and currentPosition reach the engine; states 1, 2, 3, 8.
    void controlsDriveTheEngine()
    {
        auto* fake = new FakeMediaEngine;
        fake->setDeferLoad(true);
        MediaPlayerControl player(fake);
        QSignalSpy changes(&player, &MediaPlayerControl::PlayStateChange);
        player.setURL(wav(QStringLiteral("c.wav")));
        player.controls().setCurrentPosition(42);   // before the medium has loaded
        QCOMPARE(player.controls().currentPosition(), 42.0);
        fake->completeLoad();
        QCOMPARE(player.playState(), 3);
        player.controls().pause();
        QCOMPARE(player.playState(), 2);
        player.controls().play();
        QCOMPARE(player.playState(), 3);
        QCOMPARE(player.controls().currentPositionString(), QStringLiteral("00:42"));
        fake->finish();
        QCOMPARE(statesOf(changes), (QList<int>{9, 3, 2, 3, 8, 1}));
        player.controls().stop();
        QCOMPARE(player.playState(), 1);
        QVERIFY(fake->commands().contains(QStringLiteral("seek 42")));
    }

    // A missing file is reported and leaves the player stopped.
    void missingFileReportsError()
    {
        auto* fake = new FakeMediaEngine;
        const QString missing = m_env.root() + QStringLiteral("/weg.wav");
        fake->refuse(missing);
        MediaPlayerControl player(fake);
        QSignalSpy errors(&player, &MediaPlayerControl::MediaError);
        player.setURL(missing);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(player.playState(), 1);
    }

    // durationString reads "mm:ss", from one hour on "h:mm:ss"; empty while unknown.
    void durationString_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("under a second") << 0.4 << QStringLiteral("00:00");
        QTest::newRow("a minute and five") << 65.0 << QStringLiteral("01:05");
        QTest::newRow("rounds half up") << 59.5 << QStringLiteral("01:00");
        QTest::newRow("over an hour") << 3725.0 << QStringLiteral("1:02:05");
        QTest::newRow("unknown") << -1.0 << QString();
    }
    void durationString()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        auto* fake = new FakeMediaEngine;
        fake->setMediaDuration(seconds);
        MediaPlayerControl player(fake);
        // A file TagLib cannot read, so that only the engine knows the length.
        const QString path = m_env.path(QStringLiteral("x")) + QStringLiteral("/film.xyz");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        player.setURL(path);
        QCOMPARE(player.currentMedia().durationString(), text);
    }

    // Name and attributes: tags through TagLib, the file name when there is no title.
    void currentMediaAttributes()
    {
        const QString tagged = wav(QStringLiteral("mit Tags.wav"), 0.5);
        {
            TagLib::FileRef ref(QFile::encodeName(tagged).constData());
            QVERIFY(!ref.isNull());
            ref.tag()->setTitle(TagLib::String("Grüße aus Köln", TagLib::String::UTF8));
            ref.tag()->setArtist(TagLib::String("Die Ärzte", TagLib::String::UTF8));
            QVERIFY(ref.save());
        }
        MediaPlayerControl player(new FakeMediaEngine);
        player.setURL(tagged);
        const MediaInfo media = player.currentMedia();
        QCOMPARE(media.name(), QStringLiteral("Grüße aus Köln"));
        QCOMPARE(media.getItemInfo(QStringLiteral("Title")), QStringLiteral("Grüße aus Köln"));
        QCOMPARE(media.getItemInfo(QStringLiteral("author")), QStringLiteral("Die Ärzte"));
        QCOMPARE(media.getItemInfo(QStringLiteral("FileType")), QStringLiteral("wav"));
        QCOMPARE(media.getItemInfo(QStringLiteral("SourceURL")), tagged);
        QCOMPARE(media.getItemInfo(QStringLiteral("gibt es nicht")), QString());
        QVERIFY(media.attributeCount() > 5);
        QStringList names;
        for (int i = 0; i < media.attributeCount(); ++i)
            names << media.getAttributeName(i);
        QVERIFY(names.contains(QStringLiteral("Author")));
        QCOMPARE(media.getAttributeName(media.attributeCount()), QString());

        player.setURL(wav(QStringLiteral("Ohne Titel.wav")));
        QCOMPARE(player.currentMedia().name(), QStringLiteral("Ohne Titel"));
    }

    // Full screen only while something plays; the picture returns when the medium ends.
    void fullScreenFollowsPlayback()
    {
        auto* fake = new FakeMediaEngine;
        MediaPlayerControl player(fake);
        player.show();
        player.setFullScreen(true);
        QVERIFY(!player.fullScreen());
        player.setURL(wav(QStringLiteral("d.wav")));
        player.setFullScreen(true);
        QVERIFY(player.fullScreen());
        QVERIFY(player.videoWidget()->isWindow());
        fake->finish();
        QVERIFY(!player.fullScreen());
        QVERIFY(!player.videoWidget()->isWindow());
        QCOMPARE(player.videoWidget()->parentWidget(), &player);
    }

    // A mouse button released over the picture reports button and shift state.
    void mouseUpReportsButton_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("nButton");
        QTest::addColumn<int>("nShift");
        QTest::newRow("left") << int(Qt::LeftButton) << 0 << 1 << 0;
        QTest::newRow("right with shift") << int(Qt::RightButton) << int(Qt::ShiftModifier) << 2 << 1;
        QTest::newRow("middle with ctrl") << int(Qt::MiddleButton) << int(Qt::ControlModifier) << 4 << 2;
    }
    void mouseUpReportsButton()
    {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(int, nButton);
        QFETCH(int, nShift);
        MediaPlayerControl player(new FakeMediaEngine);
        player.resize(200, 150);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QSignalSpy ups(&player, &MediaPlayerControl::MouseUp);
        QTest::mouseClick(player.videoWidget(), Qt::MouseButton(button),
                          Qt::KeyboardModifiers(modifiers), QPoint(10, 20));
        QCOMPARE(ups.count(), 1);
        QCOMPARE(ups.at(0).at(0).toInt(), nButton);
        QCOMPARE(ups.at(0).at(1).toInt(), nShift);
        QCOMPARE(ups.at(0).at(2).toDouble(), 10.0);
        QCOMPARE(ups.at(0).at(3).toDouble(), 20.0);
    }

    // uiMode decides what is shown: bar and picture, picture only, or nothing.
    void uiModeShowsParts_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("bar");
        QTest::addColumn<bool>("picture");
        QTest::newRow("full") << QStringLiteral("full") << true << true;
        QTest::newRow("mini") << QStringLiteral("mini") << true << true;
        QTest::newRow("none") << QStringLiteral("none") << false << true;
        QTest::newRow("invisible") << QStringLiteral("invisible") << false << false;
    }
    void uiModeShowsParts()
    {
        QFETCH(QString, mode);
        QFETCH(bool, bar);
        QFETCH(bool, picture);
        MediaPlayerControl player(new FakeMediaEngine);
        player.show();
        player.setUiMode(mode);
        QCOMPARE(player.findChild<QWidget*>(QStringLiteral("controlBar"))->isVisible(), bar);
        QCOMPARE(player.videoWidget()->isVisible(), picture);
    }

    // Through real libmpv: a short WAV plays to its end and the player reports stopped.
    void playsRealFileToEnd()
    {
        MediaPlayerControl player;
        QSignalSpy changes(&player, &MediaPlayerControl::PlayStateChange);
        player.setURL(wav(QStringLiteral("echt.wav"), 0.4));
        QTRY_VERIFY_WITH_TIMEOUT(statesOf(changes).contains(1), 5000);
        const QList<int> states = statesOf(changes);
        QVERIFY(states.contains(3));
        QCOMPARE(states.mid(states.size() - 2), (QList<int>{8, 1}));
        QCOMPARE(player.playState(), 1);
    }
};

QTEST_MAIN(TestMediaPlayerControl)
#include "tst_mediaplayercontrol.moc"
