#include "platform/sound/Sound.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtEndian>
#include <QtTest>

using namespace klang;

namespace {
// A short 16-bit mono WAV of silence.
QByteArray silentWav(int samples)
{
    QByteArray data(samples * 2, '\0');
    QByteArray wav;
    auto u32 = [&wav](quint32 v) { quint32 le = qToLittleEndian(v); wav.append(reinterpret_cast<const char*>(&le), 4); };
    auto u16 = [&wav](quint16 v) { quint16 le = qToLittleEndian(v); wav.append(reinterpret_cast<const char*>(&le), 2); };
    wav += "RIFF"; u32(36 + data.size()); wav += "WAVEfmt ";
    u32(16); u16(1); u16(1); u32(22050); u32(44100); u16(2); u16(16);
    wav += "data"; u32(data.size()); wav += data;
    return wav;
}
} // namespace

class TestSound : public QObject
{
    Q_OBJECT

private slots:
    // A missing or empty file name is silently skipped but still recorded.
    void missingFileIsSilent_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << "/nonexistent/Infozeichen.wav";
        QTest::newRow("empty") << "";
        QTest::newRow("folder") << "/tmp";
    }
    void missingFileIsSilent()
    {
        QFETCH(QString, path);
        playSoundAsync(path);
        QCOMPARE(lastSoundRequested(), path);
        stopSound();
    }

    // A real file is handed to the player without waiting and recorded.
    void playsAndRecords()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Fragezeichen.wav"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(silentWav(22050));
        f.close();
        QElapsedTimer timer;
        timer.start();
        playSoundAsync(path);
        playSoundAsync(path); // a new call replaces the running sound
        QVERIFY(timer.elapsed() < 900); // no waiting for the sound to end
        QCOMPARE(lastSoundRequested(), path);
        QTest::qWait(50);
        stopSound();
    }

    // The feedback sounds shipped beside the programs are short 22050 Hz mono 16-bit WAV files.
    void shippedSounds_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"Infozeichen.wav", "Fragezeichen.wav", "Ausrufezeichen.wav", "Stoppzeichen.wav"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void shippedSounds()
    {
        QFETCH(QString, name);
        const QString dir = qEnvironmentVariable("KLANGTRUHE_RESOURCES");
        if (dir.isEmpty())
            QSKIP("run through ctest, which names the staged resources");
        QFile f(dir + "/" + name);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
        const QByteArray wav = f.readAll();
        QVERIFY(wav.size() > 44 && wav.size() < 16 * 1024);
        QCOMPARE(wav.left(4), QByteArray("RIFF"));
        QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
        const auto u16 = [&wav](int at) { return qFromLittleEndian<quint16>(wav.constData() + at); };
        const auto u32 = [&wav](int at) { return qFromLittleEndian<quint32>(wav.constData() + at); };
        QCOMPARE(u16(20), quint16(1));     // PCM
        QCOMPARE(u16(22), quint16(1));     // mono
        QCOMPARE(u32(24), quint32(22050)); // sample rate
        QCOMPARE(u16(34), quint16(16));    // bits
        QVERIFY(double(wav.size() - 44) / (22050 * 2) < 1.0);
        playSoundAsync(f.fileName());
        QCOMPARE(lastSoundRequested(), f.fileName());
        stopSound();
    }

    // A call from a worker thread is recorded and does not touch the player off the GUI thread.
    void callFromWorkerThread()
    {
        QFuture<void> f = QtConcurrent::run([] { playSoundAsync(QStringLiteral("/nonexistent/x.wav")); });
        f.waitForFinished();
        QCOMPARE(lastSoundRequested(), QStringLiteral("/nonexistent/x.wav"));
    }
};

QTEST_GUILESS_MAIN(TestSound)
#include "tst_sound.moc"
