#include "platform/media/TrackLength.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <QtTest>

using namespace klang::media;

// Track length in seconds: read from the headers where TagLib can, measured by mpv where
// it cannot, and -1 only when nothing can measure the file.
class TestTrackLength : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

    QString file(const QString& name) const
    {
        return m_env.path(QStringLiteral("laengen")) + QLatin1Char('/') + name;
    }
    // Sun/NeXT audio: a container that mpv plays and TagLib does not read.
    static bool writeAu(const QString& path, double seconds, int rate)
    {
        const quint32 frames = quint32(seconds * rate);
        QByteArray out(".snd", 4);
        auto be32 = [&out](quint32 v) {
            char b[4];
            qToBigEndian(v, b);
            out.append(b, 4);
        };
        be32(24);
        be32(frames * 2);
        be32(3); // 16-bit linear PCM
        be32(quint32(rate));
        be32(1);
        for (quint32 i = 0; i < frames; ++i) {
            const qint16 s = qint16((i % 100) * 50);
            char b[2];
            qToBigEndian(s, b);
            out.append(b, 2);
        }
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
    }
    static void writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private Q_SLOTS:
    // Which path measured the file, and the seconds with their fraction.
    void lengthOfMedia_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("tagLibReads");
        QTest::newRow("wav by TagLib") << QStringLiteral("lied.wav") << 0.75 << 44100 << true;
        QTest::newRow("umlauts and blanks") << QStringLiteral("Süße Lieder Nr 2.wav") << 0.5 << 22050 << true;
        QTest::newRow("wav with other extension") << QStringLiteral("lied.dat") << 0.6 << 22050 << true;
        QTest::newRow("au by mpv") << QStringLiteral("lied.au") << 0.6 << 22050 << false;
        QTest::newRow("au without extension by mpv") << QStringLiteral("ohne_endung") << 0.3 << 8000 << false;
    }
    void lengthOfMedia()
    {
        QFETCH(QString, name);
        QFETCH(double, seconds);
        QFETCH(int, rate);
        QFETCH(bool, tagLibReads);
        klang::test::WavSpec spec;
        spec.seconds = seconds;
        spec.sampleRate = rate;
        spec.channels = 1;
        const QString path = file(name);
        if (tagLibReads)
            QVERIFY(klang::test::writeWav(path, spec));
        else
            QVERIFY(writeAu(path, seconds, rate));
        QCOMPARE(tagLibLengthSeconds(path) > 0, tagLibReads);
        const double measured = trackLengthSeconds(path);
        QVERIFY2(qAbs(measured - seconds) < 0.01, qPrintable(QString::number(measured)));
    }

    // Files that nothing can measure give -1, never 0.
    void unmeasurableGivesMinusOne_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QByteArray junk;
        for (int i = 0; i < 3000; ++i)
            junk.append(char((i * 7919 + 13) % 253));
        QTest::newRow("junk as mp3") << QStringLiteral("kaputt.mp3") << junk;
        QTest::newRow("junk as wav") << QStringLiteral("kaputt.wav") << junk;
        QTest::newRow("text") << QStringLiteral("notiz.txt") << QByteArray("Kein Lied\r\nNur Text\r\n");
        QTest::newRow("empty file") << QStringLiteral("leer.ogg") << QByteArray();
        QTest::newRow("missing") << QStringLiteral("gibtesnicht.wav") << QByteArray("-");
    }
    void unmeasurableGivesMinusOne()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString path = file(name);
        if (content != "-")
            writeBytes(path, content);
        QCOMPARE(trackLengthSeconds(path), -1.0);
    }

    // The probe tells a playable file from an unplayable one, with a reason for the latter.
    void probeReportsPlayability()
    {
        klang::test::WavSpec spec;
        spec.seconds = 0.4;
        const QString good = file(QStringLiteral("gut.bin"));
        QVERIFY(klang::test::writeWav(good, spec));
        ProbeResult ok = probeMedia(good);
        QVERIFY(ok.playable);
        QVERIFY(qAbs(ok.seconds - 0.4) < 0.01);

        // A picture opens but has no playing time: its track ends by the engine's end of file.
        const QString picture = file(QStringLiteral("bild.png"));
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(picture));
        ProbeResult shown = probeMedia(picture);
        QVERIFY(shown.playable);
        QCOMPARE(shown.seconds, -1.0);
        QCOMPARE(trackLengthSeconds(picture), -1.0);

        const QString bad = file(QStringLiteral("schlecht.bin"));
        writeBytes(bad, QByteArray(2048, '\x01'));
        ProbeResult no = probeMedia(bad);
        QVERIFY(!no.playable);
        QVERIFY2(no.errorText.startsWith(QStringLiteral("unbekanntes Format")) || no.errorText.startsWith(QStringLiteral("keine ")),
                 qPrintable(no.errorText));
    }
};

QTEST_MAIN(TestTrackLength)
#include "tst_tracklength.moc"
