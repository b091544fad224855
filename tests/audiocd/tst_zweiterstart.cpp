// A second start of the real program hands its disc to the running window while the
// information editor is open on the first disc.

#include "audiocd/frmCDInfo.h"
#include "audiocd/frmMain.h"
#include "platform/cdaudio/CdioBackend.h"
#include "platform/shell/SingleInstance.h"
#include "tests/support/CdImage.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace diskolo;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestZweiterStart : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

    // Runs "Diskolo <argument>" in folder and waits for it to hand over and end.
    bool secondStart(const QString& folder, const QString& argument)
    {
        QProcess p;
        p.setWorkingDirectory(folder);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QDir(qEnvironmentVariable("KLANGTRUHE_BIN_DIR")).filePath(QStringLiteral("Diskolo")), {argument});
        if (!p.waitForStarted(5000))
            return false;
        // This process answers the hand-over: its event loop has to run meanwhile.
        QElapsedTimer clock;
        clock.start();
        while (p.state() != QProcess::NotRunning && clock.elapsed() < 15000)
            QTest::qWait(20);
        return p.state() == QProcess::NotRunning && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString runtime = m_env.path(QStringLiteral("laufzeit"));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }

    // The editor stays with its disc: while another disc lies in the drive its names are not
    // saved (over neither disc), the typed names stay; once the disc is back they are saved
    // under it. A relative path names the folder the second start was made in.
    void editorKeepsItsDisc_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("absoluter Pfad") << false;
        QTest::newRow("relativer Pfad") << true;
    }
    void editorKeepsItsDisc()
    {
        QFETCH(bool, relative);
        QFile::remove(ctlDiskoloX::GetIniPath());
        const QString a = m_env.path(QStringLiteral("a"));
        const QString b = m_env.path(QStringLiteral("b"));
        const QString cueA = klang::test::fiveTrackImage(a, QStringLiteral("a"), {4.0, 3.0, 3.0, 3.0, 5.0});
        const QString cueB = klang::test::writeCdImage(b, QStringLiteral("b"), {{6.0, 440}, {6.0, 550}, {6.0, 660}});
        QVERIFY(!cueA.isEmpty() && !cueB.isEmpty());

        auto device = std::make_unique<klang::cdaudio::CdioBackend>();
        device->setDefaultDevice(cueA);
        frmMain w(std::move(device));
        klang::SingleInstance running(QStringLiteral("Diskolo"));
        QVERIFY(running.tryRun({}));
        connect(&running, &klang::SingleInstance::activationRequested, &w, &frmMain::spaeterGestartet);
        w.show();
        QCOMPARE(w.player().TrackCount(), qint16(5));
        const QString idA = w.player().iniIdentity();

        frmCDInfo dlg(w);
        dlg.show();
        auto* artist = dlg.findChild<QLineEdit*>("txtArtist");
        auto* tracks = dlg.findChild<QTreeWidget*>("lvTracks");
        auto* save = dlg.findChild<QPushButton*>("cmdSave");
        artist->setText(QStringLiteral("Für A"));
        tracks->topLevelItem(0)->setText(0, QStringLiteral("A-Lied"));

        QVERIFY(secondStart(a, relative ? QStringLiteral("../b/b.cue") : cueB));
        QTRY_COMPARE(w.player().TrackCount(), qint16(3));
        QVERIFY(w.player().iniIdentity() != idA);
        QTest::qWait(600); // the status watch has looked at the drive meanwhile
        save->click();
        QVERIFY(dlg.isVisible());
        QVERIFY2(dlg.findChild<QLabel*>("lblStatus")->text().contains(QStringLiteral("andere CD")),
                 qPrintable(dlg.findChild<QLabel*>("lblStatus")->text()));
        QCOMPARE(readAll(ctlDiskoloX::GetIniPath()), QByteArray("<missing>"));
        QCOMPARE(artist->text(), QStringLiteral("Für A"));
        QCOMPARE(tracks->topLevelItem(0)->text(0), QStringLiteral("A-Lied"));
        QCOMPARE(w.player().iniCDArtist(), QString());
        QCOMPARE(w.player().iniTrackName(1), QStringLiteral("Track 1"));

        // The first disc comes back (a third start): now the names are saved, under it.
        QVERIFY(secondStart(b, relative ? QStringLiteral("../a/a.cue") : cueA));
        QTRY_COMPARE(w.player().TrackCount(), qint16(5));
        save->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const QByteArray saved = readAll(ctlDiskoloX::GetIniPath());
        QVERIFY2(saved.startsWith("[" + idA.toLatin1() + "]\r\nEntryType=1\r\nartist=F\xFCr A\r\n"), saved.constData());
        QVERIFY(saved.contains("\r\n0=A-Lied\r\n"));
        QCOMPARE(saved.count("["), 1);
        QCOMPARE(w.player().iniCDArtist(), QStringLiteral("Für A"));
    }
};

QTEST_MAIN(TestZweiterStart)
#include "tst_zweiterstart.moc"
