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
};

QTEST_MAIN(TestPlayerCoreMpv)
#include "tst_playercore_mpv.moc"
