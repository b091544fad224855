#include "platform/media/MpvEngine.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QSignalSpy>
#include <QtTest>

using klang::media::EndReason;
using klang::media::MpvEngine;
using klang::media::PlayState;

Q_DECLARE_METATYPE(klang::media::PlayState)
Q_DECLARE_METATYPE(klang::media::EndReason)

namespace {

QList<PlayState> statesOf(const QSignalSpy& spy)
{
    QList<PlayState> out;
    for (const auto& args : spy)
        out << args.at(0).value<PlayState>();
    return out;
}

} // namespace

// Real playback through libmpv with null outputs: what the player and the device commands
// rely on from the engine.
class TestMpvEngine : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;
    QString wav(const QString& name, double seconds)
    {
        return klang::test::shortWav(m_env.path(QStringLiteral("media")), name, seconds);
    }

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<PlayState>();
        qRegisterMetaType<EndReason>();
        QVERIFY(klang::media::nullOutputRequested());
    }

    // A medium plays to its end: loading, playing, ended, stopped, and one end-of-file.
    void playsToEndWithStateSequence_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("kurz.wav");
        QTest::newRow("blanks and umlauts") << QStringLiteral("Große Übung – Täst 1.wav");
    }
    void playsToEndWithStateSequence()
    {
        QFETCH(QString, name);
        const QString path = wav(name, 0.4);
        MpvEngine engine;
        QSignalSpy states(&engine, &MpvEngine::stateChanged);
        QSignalSpy ends(&engine, &MpvEngine::endOfFile);
        QSignalSpy loaded(&engine, &MpvEngine::loaded);
        // The length as it is told: on a busy machine the short medium may have ended (and its
        // length gone) before the test reads duration().
        QSignalSpy laenge(&engine, &MpvEngine::durationChanged);
        QVERIFY(engine.open(path));
        QCOMPARE(engine.state(), PlayState::Transitioning);
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!laenge.isEmpty(), 5000);
        QVERIFY2(qAbs(laenge.first().first().toDouble() - 0.4) < 0.05, qPrintable(laenge.first().first().toString()));
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 5000);
        QCOMPARE(ends.at(0).at(0).value<EndReason>(), EndReason::Finished);
        QCOMPARE(statesOf(states),
                 (QList<PlayState>{PlayState::Transitioning, PlayState::Playing,
                                   PlayState::MediaEnded, PlayState::Stopped}));
        QCOMPARE(engine.source(), path);
    }

    // The position moves while playing and stands still while paused; play continues.
    void pauseHoldsPositionAndPlayContinues()
    {
        MpvEngine engine;
        QSignalSpy loaded(&engine, &MpvEngine::loaded);
        QSignalSpy ends(&engine, &MpvEngine::endOfFile);
        QVERIFY(engine.open(wav(QStringLiteral("pause.wav"), 0.8)));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(engine.position() > 0.1, 3000);
        engine.pause();
        QCOMPARE(engine.state(), PlayState::Paused);
        // The pause reaches mpv asynchronously: on a busy machine a position update may still
        // arrive after the command. Once it has settled, it must hold.
        double held = engine.position();
        QVERIFY(QTest::qWaitFor([&] {
            QTest::qWait(150);
            const double now = engine.position();
            const bool still = qAbs(now - held) < 0.005;
            held = now;
            return still;
        }, 3000));
        QTest::qWait(250);
        QVERIFY2(qAbs(engine.position() - held) < 0.02, qPrintable(QString::number(engine.position())));
        QVERIFY(held < 0.75); // paused well before the end
        QCOMPARE(ends.count(), 0);
        engine.play();
        QCOMPARE(engine.state(), PlayState::Playing);
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 5000);
    }

    // Stop rewinds without an end-of-file; play starts the same medium again.
    void stopRewindsAndPlayStartsAgain()
    {
        MpvEngine engine;
        QSignalSpy loaded(&engine, &MpvEngine::loaded);
        QSignalSpy ends(&engine, &MpvEngine::endOfFile);
        const QString path = wav(QStringLiteral("stop.wav"), 0.6);
        QVERIFY(engine.open(path));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        engine.stop();
        QCOMPARE(engine.state(), PlayState::Stopped);
        QCOMPARE(engine.position(), 0.0);
        QTest::qWait(200);
        QCOMPARE(ends.count(), 0);
        QCOMPARE(engine.state(), PlayState::Stopped);
        engine.play();
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 2, 5000);
        QCOMPARE(engine.state(), PlayState::Playing);
        QCOMPARE(engine.source(), path);
        engine.close();
        QVERIFY(engine.source().isEmpty());
        engine.play(); // nothing left to play
        QTest::qWait(150);
        QCOMPARE(engine.state(), PlayState::Stopped);
        QCOMPARE(loaded.count(), 2);
        QCOMPARE(ends.count(), 0);
    }

    // A position set right after open() is applied once the medium has loaded.
    void positionSetBeforeLoadIsApplied()
    {
        MpvEngine engine;
        QSignalSpy loaded(&engine, &MpvEngine::loaded);
        QSignalSpy ends(&engine, &MpvEngine::endOfFile);
        QVERIFY(engine.open(wav(QStringLiteral("seek.wav"), 2.0)));
        engine.setPosition(1.7);
        QCOMPARE(engine.position(), 1.7);
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        QVERIFY(engine.position() >= 1.69);
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 5000);
        // From the start the file would take two seconds.
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    }

    // Opening while another medium plays replaces it, also right after a stop or close
    // (as the player does between tracks): only the new medium reports its end.
    void openReplacesPlayingMedium_data()
    {
        QTest::addColumn<QString>("between");
        QTest::newRow("nothing") << QString();
        QTest::newRow("stop") << QStringLiteral("stop");
        QTest::newRow("close") << QStringLiteral("close");
    }
    void openReplacesPlayingMedium()
    {
        QFETCH(QString, between);
        MpvEngine engine;
        QSignalSpy ends(&engine, &MpvEngine::endOfFile);
        QSignalSpy errors(&engine, &MpvEngine::errorOccurred);
        QSignalSpy loaded(&engine, &MpvEngine::loaded);
        QVERIFY(engine.open(wav(QStringLiteral("erst.wav"), 1.0)));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        if (between == QLatin1String("stop"))
            engine.stop();
        else if (between == QLatin1String("close"))
            engine.close();
        const QString second = wav(QStringLiteral("zweit.wav"), 0.3);
        QVERIFY(engine.open(second));
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 5000);
        QTest::qWait(200);
        QCOMPARE(ends.count(), 1);
        QCOMPARE(ends.at(0).at(0).value<EndReason>(), EndReason::Finished);
        QCOMPARE(loaded.count(), 2);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(engine.source(), second);
    }

    // Missing files are refused at once; junk ends with an error, both with a text.
    void missingFileIsRefused()
    {
        MpvEngine engine;
        QSignalSpy ends(&engine, &MpvEngine::endOfFile);
        QVERIFY(!engine.open(m_env.root() + QStringLiteral("/fehlt.wav")));
        QCOMPARE(engine.state(), PlayState::Stopped);
        QVERIFY(engine.errorText().contains(QStringLiteral("fehlt.wav")));
        QVERIFY(!engine.open(QString()));
        QTest::qWait(100);
        QCOMPARE(ends.count(), 0);
    }
    void junkFileEndsWithError()
    {
        const QString path = m_env.path(QStringLiteral("junk")) + QStringLiteral("/kaputt.mp3");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk.append(char((i * 7919) % 251));
        f.write(junk);
        f.close();
        MpvEngine engine;
        QSignalSpy ends(&engine, &MpvEngine::endOfFile);
        QSignalSpy errors(&engine, &MpvEngine::errorOccurred);
        QVERIFY(engine.open(path));
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 5000);
        QCOMPARE(ends.at(0).at(0).value<EndReason>(), EndReason::Error);
        QCOMPARE(errors.count(), 1);
        // In German; the library's English message at most as a detail in parentheses.
        const QString text = engine.errorText();
        QVERIFY2(text.startsWith(QStringLiteral("unbekanntes Format")) || text.startsWith(QStringLiteral("keine ")),
                 qPrintable(text));
        QCOMPARE(engine.state(), PlayState::Stopped);
    }

    // After a refused open, play() does not bring back the medium that played before.
    void refusedOpenForgetsPreviousMedium()
    {
        MpvEngine engine;
        QSignalSpy loaded(&engine, &MpvEngine::loaded);
        QVERIFY(engine.open(wav(QStringLiteral("vorher.wav"), 1.0)));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        QVERIFY(!engine.open(m_env.root() + QStringLiteral("/fehlt auch.wav")));
        QCOMPARE(engine.state(), PlayState::Stopped);
        engine.play();
        QTest::qWait(250);
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(engine.state(), PlayState::Stopped);
    }

    // A stream served over HTTP on 127.0.0.1 plays to its end (the TV viewer's case).
    void playsHttpStream()
    {
        QFile file(wav(QStringLiteral("strom.wav"), 0.4));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray body = file.readAll();
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, &server, [&server, body] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                connect(socket, &QTcpSocket::readyRead, socket, [socket, buffer, body] {
                    buffer->append(socket->readAll());
                    if (!buffer->contains("\r\n\r\n"))
                        return;
                    socket->write("HTTP/1.0 200 OK\r\nContent-Type: audio/wav\r\nContent-Length: "
                                  + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        MpvEngine engine;
        QSignalSpy ends(&engine, &MpvEngine::endOfFile);
        const QString url = QStringLiteral("http://127.0.0.1:%1/sender.wav").arg(server.serverPort());
        QVERIFY(engine.open(url));
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 8000);
        QCOMPARE(ends.at(0).at(0).value<EndReason>(), EndReason::Finished);
        QCOMPARE(engine.source(), url);
    }

    // Volume and mute are kept and clamped, also before the core exists.
    void volumeIsClamped()
    {
        MpvEngine engine;
        engine.setVolume(150);
        QCOMPARE(engine.volume(), 100);
        engine.setVolume(-5);
        QCOMPARE(engine.volume(), 0);
        engine.setMuted(true);
        QVERIFY(engine.isMuted());
    }
};

QTEST_MAIN(TestMpvEngine)
#include "tst_mpvengine.moc"
