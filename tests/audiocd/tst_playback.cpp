#include "audiocd/frmMain.h"
#include "platform/cdaudio/CdioBackend.h"
#include "tests/support/CdImage.h"
#include "tests/support/TestEnvironment.h"

#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

using namespace diskolo;

// The program's window on a generated CD image, played through libcdio and libmpv (null
// output): the position moves, the buttons skip and wrap, the slider seeks.
class TestPlayback : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

private Q_SLOTS:
    void playsTheImage()
    {
        const QString cue = klang::test::fiveTrackImage(m_env.path(QStringLiteral("cd")), QStringLiteral("disc"),
                                                        {4.0, 3.0, 3.0, 3.0, 5.0});
        QVERIFY(!cue.isEmpty());
        auto device = std::make_unique<klang::cdaudio::CdioBackend>();
        device->setDefaultDevice(cue);
        frmMain w(std::move(device));
        w.show();
        auto* pos = w.findChild<QLabel*>("lblTrackPos");
        const auto click = [&](const char* name) { w.findChild<QToolButton*>(name)->click(); };
        QCOMPARE(w.player().TrackCount(), qint16(5));
        QCOMPARE(w.findChild<QLabel*>("lblCDExtraInfo")->text(), QStringLiteral("Unknown   0:18"));

        // The status watch's first tick takes the disc for a new one and opens it again.
        QTest::qWait(400);
        click("cmdPlay");
        QTRY_COMPARE_WITH_TIMEOUT(pos->text(), QStringLiteral("[01] 0:01"), 8000);
        QTRY_COMPARE(w.playStatusKey(), QStringLiteral("playing"));
        click("cmdForward");
        QTRY_VERIFY(pos->text().startsWith(QLatin1String("[02]")));
        click("cmdBackward");
        click("cmdBackward");
        QTRY_VERIFY(pos->text().startsWith(QLatin1String("[05]")));
        click("cmdForward");
        QTRY_VERIFY(pos->text().startsWith(QLatin1String("[01]")));

        // The slider: two seconds into the first track (the engine reports the new position
        // at once and moves on from there).
        auto* slider = w.findChild<QSlider*>("Slider1");
        slider->setValue(slider->value() == 2 ? 3 : 2);
        const qint32 target = slider->value() * 1000;
        QVERIFY(w.player().TrackPos() >= target);
        QVERIFY(w.player().TrackPos() < target + 500);
        QCOMPARE(w.player().CurrentTrack(), qint16(1));

        click("cmdPause");
        QTRY_COMPARE(w.playStatusKey(), QStringLiteral("paused"));
        click("cmdStop");
        QTRY_COMPARE(w.player().Status(), QStringLiteral("stopped"));
        QCOMPARE(w.player().CurrentTrack(), qint16(1));
        // An image has no tray: the display says so, nothing breaks.
        click("cmdEject");
        QCOMPARE(w.findChild<QLabel*>("lblCDExtraInfo")->text(),
                 klang::cdaudio::cdErrorText(klang::cdaudio::CdError::NotSupported));
        QCOMPARE(w.player().TrackCount(), qint16(5));
    }

    // Without any drive the window starts empty and eject reports why nothing moved.
    // An image that cannot be read says why in the display: the line it stumbles over.
    void unreadableImage_data()
    {
        QTest::addColumn<QByteArray>("cue");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("below");
        QTest::newRow("unbekannte Zeile") << QByteArray("FILE \"d.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n"
                                                       "    INDEX 01 00:00:00\r\nKAPUTT hier\r\n")
                                          << QStringLiteral("„d.cue“, Zeile 4 unbekannt:") << QStringLiteral("„KAPUTT hier“");
    }
    void unreadableImage()
    {
        QFETCH(QByteArray, cue);
        QFETCH(QString, shown);
        QFETCH(QString, below);
        const QString folder = m_env.path(QStringLiteral("kaputt"));
        QFile bin(folder + QStringLiteral("/d.bin"));
        QVERIFY(bin.open(QIODevice::WriteOnly));
        bin.write(QByteArray(2352 * 75 * 2, '\0'));
        bin.close();
        QFile file(folder + QStringLiteral("/d.cue"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(cue);
        file.close();
        auto device = std::make_unique<klang::cdaudio::CdioBackend>();
        device->setDefaultDevice(file.fileName());
        frmMain w(std::move(device));
        QCOMPARE(w.player().TrackCount(), qint16(0));
        // Two lines of the display, the whole in the tip.
        QCOMPARE(w.findChild<QLabel*>("lblCDTitle")->text(), shown);
        QCOMPARE(w.findChild<QLabel*>("lblTrackName")->text(), below);
        QCOMPARE(w.findChild<QLabel*>("lblCDTitle")->toolTip(), shown + u' ' + below);
    }

    void noDrive()
    {
        auto device = std::make_unique<klang::cdaudio::CdioBackend>();
        if (!device->drives().isEmpty())
            QSKIP("this machine has a CD drive");
        frmMain w(std::move(device));
        QCOMPARE(w.player().TrackCount(), qint16(0));
        QCOMPARE(w.findChild<QLabel*>("lblTrackPos")->text(), QStringLiteral("[00] 0:00"));
        w.findChild<QToolButton*>("cmdEject")->click();
        QCOMPARE(w.findChild<QLabel*>("lblCDExtraInfo")->text(),
                 klang::cdaudio::cdErrorText(klang::cdaudio::CdError::NoDevice));
        QVERIFY(w.player().discWatch().isActive());
    }
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
