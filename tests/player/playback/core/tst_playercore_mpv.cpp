#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include "platform/media/MpvEngine.h"
#include "player/playback/core/PlayerController.h"

#include <QtTest>

using klang::player::ModeBox;
using klang::player::PlayerController;

namespace {

class FolderSource : public klang::player::ITrackSource
{
public:
    FolderSource(const QString& folder, const QStringList& names) : m_folder(folder), m_names(names) {}
    int count() const override { return int(m_names.size()); }
    QString name(int i) const override { return m_names.value(i); }
    QString path(int i) const override { return i < 0 || i >= count() ? QString() : m_folder + m_names.at(i); }
    QString folder() const override { return m_folder; }
    bool isSelected(int) const override { return false; }
    void setSelected(int, bool) override {}
    void clearSelection() override {}

private:
    QString m_folder;
    QStringList m_names;
};

class StatusLog : public klang::player::IPlayerUi
{
public:
    void setStatus(const QString& text) override { statuses << text; }
    QStringList statuses;
};

} // namespace

// Real playback through libmpv with null outputs: one track ends and the next starts.
class TestPlayerCoreMpv : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void trackEndsAndNextStarts()
    {
        klang::test::TestEnvironment env;
        const QString dir = env.path(QStringLiteral("musik")) + QLatin1Char('/');
        klang::test::WavSpec spec;
        spec.seconds = 0.4;
        spec.sampleRate = 22050;
        spec.channels = 1;
        QVERIFY(klang::test::writeWav(dir + QStringLiteral("eins.wav"), spec));
        QVERIFY(klang::test::writeWav(dir + QStringLiteral("zwei.wav"), spec));

        klang::media::MpvEngine device;
        FolderSource tracks(dir, {QStringLiteral("eins.wav"), QStringLiteral("zwei.wav")});
        StatusLog ui;
        PlayerController ctl({&device, nullptr, nullptr}, nullptr);
        ctl.setTrackList(&tracks);
        ctl.setUi(&ui);
        ctl.setChecked(ModeBox::AlleTracks, true);
        ctl.imgStart_Click();
        QCOMPARE(ui.statuses.last(), QStringLiteral("playing:  ") + dir + QStringLiteral("eins.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(ui.statuses.last(),
                                  QStringLiteral("playing:  ") + dir + QStringLiteral("zwei.wav"),
                                  8000);
        QTRY_COMPARE_WITH_TIMEOUT(ui.statuses.last(), QStringLiteral("no play"), 8000);
    }

    // Marks at 5 s and 8 s of a 20 s WAV: playback returns to 5 s each time it passes 8 s,
    // within 0.3 s, on the device engine and on the embedded player.
    void abWiederholungMitMpv_data()
    {
        QTest::addColumn<bool>("winPlayer");
        QTest::newRow("device") << false;
        QTest::newRow("player") << true;
    }
    void abWiederholungMitMpv()
    {
        QFETCH(bool, winPlayer);
        klang::test::TestEnvironment env;
        const QString dir = env.path(QStringLiteral("musik")) + QLatin1Char('/');
        klang::test::WavSpec spec;
        spec.seconds = 20;
        spec.sampleRate = 22050;
        spec.channels = 1;
        QVERIFY(klang::test::writeWav(dir + QStringLiteral("lang.wav"), spec));
        klang::media::MpvEngine device;
        klang::media::MpvEngine player;
        FolderSource tracks(dir, {QStringLiteral("lang.wav")});
        StatusLog ui;
        PlayerController ctl({&device, &player, nullptr}, nullptr);
        ctl.setTrackList(&tracks);
        ctl.setUi(&ui);
        ctl.setWinPlayerVerwenden(winPlayer);
        ctl.setChecked(ModeBox::AlleTracks, true);
        ctl.imgStart_Click();
        klang::media::MpvEngine& e = winPlayer ? player : device;
        QTRY_COMPARE(e.state(), klang::media::PlayState::Playing);
        e.setPosition(4.8);
        QTRY_VERIFY(e.position() >= 5.0);
        ctl.imgPosAB_Click();
        QCOMPARE(ctl.abWiederholung().positionA(), 5);
        e.setPosition(7.7);
        QTRY_VERIFY(e.position() >= 7.8);
        ctl.imgPosAB_Click();
        QCOMPARE(ctl.abWiederholung().positionB(), 8);
        double hoechste = 0;
        double vorher = e.position();
        int zurueck = 0;
        QElapsedTimer uhr;
        uhr.start();
        while (uhr.elapsed() < 4000) {
            QTest::qWait(10);
            const double pos = e.position();
            hoechste = std::max(hoechste, pos);
            if (pos < vorher - 1.0) {
                ++zurueck;
                QVERIFY2(pos >= 4.9 && pos < 5.5, qPrintable(QString::number(pos)));
            }
            vorher = pos;
        }
        QVERIFY2(hoechste < 8.3, qPrintable(QString::number(hoechste)));
        QVERIFY(zurueck >= 1);
        ctl.imgStop_Click();
    }

    // The null output plays what a sound device plays: low sample rates and long files too.
    void nullOutputPlaysEveryFile_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("seconds");
        QTest::newRow("8 kHz, 120 s") << 8000 << 1 << 120.0;
        QTest::newRow("11025 Hz stereo, 30 s") << 11025 << 2 << 30.0;
        QTest::newRow("48 kHz, 20 s") << 48000 << 2 << 20.0;
    }
    void nullOutputPlaysEveryFile()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(double, seconds);
        klang::test::TestEnvironment env;
        const QString dir = env.path(QStringLiteral("musik")) + QLatin1Char('/');
        klang::test::WavSpec spec;
        spec.seconds = seconds;
        spec.sampleRate = rate;
        spec.channels = channels;
        QVERIFY(klang::test::writeWav(dir + QStringLiteral("lang.wav"), spec));

        klang::media::MpvEngine device;
        FolderSource tracks(dir, {QStringLiteral("lang.wav")});
        StatusLog ui;
        PlayerController ctl({&device, nullptr, nullptr}, nullptr);
        ctl.setTrackList(&tracks);
        ctl.setUi(&ui);
        ctl.imgStart_Click();
        // Still playing after a while, and the medium's position moves on.
        QTest::qWait(1500);
        QCOMPARE(ui.statuses.last(), QStringLiteral("playing:  ") + dir + QStringLiteral("lang.wav"));
        QCOMPARE(device.state(), klang::media::PlayState::Playing);
        QVERIFY2(device.position() > 0.3, qPrintable(QString::number(device.position())));
        ctl.imgStop_Click();
    }
};

QTEST_MAIN(TestPlayerCoreMpv)
#include "tst_playercore_mpv.moc"
