#include "platform/media/MciDevice.h"
#include "platform/media/MciRoutines.h"
#include "tests/support/FakeMediaEngine.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace klang::media;

Q_DECLARE_METATYPE(klang::media::EndReason)

// The device command strings the player sends, taken apart and played.
class TestMciDevice : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

    QString wav(const QString& name, double seconds = 0.5)
    {
        return klang::test::shortWav(m_env.path(QStringLiteral("Meine Musik")), name, seconds);
    }

private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<EndReason>(); }

    // Parsing: file names with blanks, quotes and umlauts; keywords in any case; errors.
    void parseCommands_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("from");

        QTest::newRow("open plain") << "open /m/a.mp3 type MPEGVideo alias MyAlias" << 0
                                    << "open" << "/m/a.mp3" << "MyAlias" << "MPEGVideo" << "";
        QTest::newRow("open quoted blanks umlauts")
            << "open \"/m/Meine Musik/Grüße ä.mp3\" type MPEGVideo alias MyAlias" << 0 << "open"
            << "/m/Meine Musik/Grüße ä.mp3" << "MyAlias" << "MPEGVideo" << "";
        QTest::newRow("open unquoted blanks and keyword-like words")
            << "open /m/Type und Alias/Lied Nr 1.mp3 type MPEGVideo alias MyAlias" << 0 << "open"
            << "/m/Type und Alias/Lied Nr 1.mp3" << "MyAlias" << "MPEGVideo" << "";
        QTest::newRow("open keywords any case and order")
            << "OPEN /x.wav ALIAS a TYPE waveaudio WAIT" << 0 << "open" << "/x.wav" << "a"
            << "waveaudio" << "";
        QTest::newRow("open quote inside unquoted name")
            << "open /m/Das \"beste\" Lied.mp3 alias MyAlias" << 0 << "open"
            << "/m/Das \"beste\" Lied.mp3" << "MyAlias" << "" << "";
        QTest::newRow("open unclosed quote") << "open \"/m/a.mp3 alias MyAlias" << 294 << "" << "" << "" << "" << "";
        QTest::newRow("open alias without name") << "open /a.wav alias" << 273 << "" << "" << "" << "" << "";
        QTest::newRow("open alias twice") << "open /a.wav alias x alias y" << 295 << "" << "" << "" << "" << "";
        QTest::newRow("open nothing") << "open" << 292 << "" << "" << "" << "" << "";
        QTest::newRow("play from") << "play MyAlias from 0" << 0 << "play" << "MyAlias" << "" << "" << "0";
        QTest::newRow("play from missing value") << "play MyAlias from" << 273 << "" << "" << "" << "" << "";
        QTest::newRow("play unknown keyword") << "play MyAlias to 5" << 259 << "" << "" << "" << "" << "";
        QTest::newRow("stop") << "stop MyAlias" << 0 << "stop" << "MyAlias" << "" << "" << "";
        QTest::newRow("close quoted alias") << "close \"My Alias\"" << 0 << "close" << "My Alias" << "" << "" << "";
        QTest::newRow("stop without alias") << "stop" << 292 << "" << "" << "" << "" << "";
        QTest::newRow("status without item") << "status MyAlias" << 273 << "" << "" << "" << "" << "";
        QTest::newRow("status unknown item") << "status MyAlias volume" << 259 << "" << "" << "" << "" << "";
        QTest::newRow("unknown verb") << "jump MyAlias" << 261 << "" << "" << "" << "" << "";
        QTest::newRow("empty") << "   " << 261 << "" << "" << "" << "" << "";
    }
    void parseCommands()
    {
        QFETCH(QString, text);
        QFETCH(int, error);
        MciCommand cmd;
        QCOMPARE(MciDevice::parse(text, &cmd), error);
        if (error)
            return;
        QFETCH(QString, verb);
        QFETCH(QString, target);
        QFETCH(QString, alias);
        QFETCH(QString, type);
        QFETCH(QString, from);
        QCOMPARE(cmd.verb, verb);
        QCOMPARE(cmd.target, target);
        QCOMPARE(cmd.values.value(QStringLiteral("alias")), alias);
        QCOMPARE(cmd.values.value(QStringLiteral("type")), type);
        QCOMPARE(cmd.values.value(QStringLiteral("from")), from);
    }

    // The player's sequence through real libmpv: open, play from 0, end, stop, close.
    void playsThroughMpv()
    {
        const QString path = wav(QStringLiteral("Schöne Grüße.wav"), 0.5);
        MciDevice device;
        QSignalSpy ended(&device, &MciDevice::playbackEnded);
        QCOMPARE(device.sendString(QStringLiteral("open ") + path + QStringLiteral(" type MPEGVideo alias MyAlias")), 0);
        QString answer;
        QCOMPARE(device.sendString(QStringLiteral("status MyAlias mode"), &answer), 0);
        QCOMPARE(answer, QStringLiteral("stopped"));
        QCOMPARE(device.sendString(QStringLiteral("status myalias length"), &answer), 0);
        QCOMPARE(answer, QStringLiteral("500"));
        QCOMPARE(device.sendString(QStringLiteral("play MyAlias from 0")), 0);
        QCOMPARE(device.sendString(QStringLiteral("status MyAlias mode"), &answer), 0);
        QCOMPARE(answer, QStringLiteral("playing"));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 5000);
        QCOMPARE(ended.at(0).at(0).toString(), QStringLiteral("MyAlias"));
        QCOMPARE(ended.at(0).at(1).value<EndReason>(), EndReason::Finished);
        QCOMPARE(device.sendString(QStringLiteral("status MyAlias mode"), &answer), 0);
        QCOMPARE(answer, QStringLiteral("stopped"));
        QCOMPARE(device.sendString(QStringLiteral("stop MyAlias")), 0);
        QCOMPARE(device.sendString(QStringLiteral("close MyAlias")), 0);
        QVERIFY(!device.isOpen(QStringLiteral("MyAlias")));
        QCOMPARE(device.sendString(QStringLiteral("status MyAlias mode")), 263);
    }

    // Failures give the interface's numbers and a text; nothing is left open by them.
    void failuresGiveErrorNumbers()
    {
        MciDevice device([] { return new klang::test::FakeMediaEngine; });
        const QString missing = m_env.root() + QStringLiteral("/nicht da.wav");
        QCOMPARE(device.sendString(QStringLiteral("open \"") + missing + QStringLiteral("\" type MPEGVideo alias MyAlias")), 275);
        QCOMPARE(device.lastError(), 275);
        QVERIFY(device.lastErrorText().contains(missing));
        QVERIFY(device.aliases().isEmpty());

        const QString junk = m_env.path(QStringLiteral("x")) + QStringLiteral("/kaputt.mp3");
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(3000, '\x07'));
        f.close();
        QCOMPARE(device.sendString(QStringLiteral("open ") + junk + QStringLiteral(" type MPEGVideo alias MyAlias")), 296);
        QVERIFY(!device.lastErrorText().isEmpty());
        QVERIFY(device.aliases().isEmpty());

        // Stopping and closing what is not open is an error that the player may ignore.
        QCOMPARE(device.sendString(QStringLiteral("stop MyAlias")), 263);
        QCOMPARE(device.sendString(QStringLiteral("close MyAlias")), 263);

        // A second open under the same alias is refused and leaves the first alone.
        const QString a = wav(QStringLiteral("a.wav"));
        QCOMPARE(device.sendString(QStringLiteral("open ") + a + QStringLiteral(" type MPEGVideo alias MyAlias")), 0);
        QCOMPARE(device.lastError(), 0);
        QVERIFY(device.lastErrorText().isEmpty());
        QCOMPARE(device.sendString(QStringLiteral("open ") + wav(QStringLiteral("b.wav")) + QStringLiteral(" alias myalias")), 289);
        QCOMPARE(device.engine(QStringLiteral("MyAlias"))->source(), a);
        QCOMPARE(device.sendString(QStringLiteral("play MyAlias from x1")), 270);
    }

    // Commands map onto the engine: play from ms seeks in seconds, stop halts in place.
    void commandsDriveTheEngine()
    {
        auto* fake = new klang::test::FakeMediaEngine;
        MciDevice device([fake] { return fake; });
        QCOMPARE(device.sendString(QStringLiteral("open \"") + wav(QStringLiteral("c d.wav")) + QStringLiteral("\" alias Lied")), 0);
        QCOMPARE(fake->state(), PlayState::Paused);
        fake->clearCommands();
        QCOMPARE(device.sendString(QStringLiteral("play Lied from 1500")), 0);
        QCOMPARE(fake->commands(), (QStringList{QStringLiteral("seek 1.5"), QStringLiteral("play")}));
        fake->clearCommands();
        QCOMPARE(device.sendString(QStringLiteral("stop Lied")), 0);
        QCOMPARE(fake->commands(), QStringList{QStringLiteral("pause")});
        QString mode;
        QCOMPARE(device.sendString(QStringLiteral("status Lied mode"), &mode), 0);
        QCOMPARE(mode, QStringLiteral("stopped"));
        QCOMPARE(device.sendString(QStringLiteral("close all")), 0);
        QVERIFY(device.aliases().isEmpty());
    }

    // The player's routines: play under the alias, a second start without a stop is
    // refused, stop and close free the alias; a missing file sends nothing.
    void playerRoutines()
    {
        QList<klang::test::FakeMediaEngine*> made;
        MciDevice device([&made] {
            auto* e = new klang::test::FakeMediaEngine;
            made << e;
            return e;
        });
        const QString a = wav(QStringLiteral("Lied mit \"Zitat\".wav"));
        QCOMPARE(MciAbspielen(a, QStringLiteral("MyAlias"), device), 0);
        QCOMPARE(made.size(), 1);
        QCOMPARE(made.first()->source(), a);
        QCOMPARE(made.first()->state(), PlayState::Playing);
        QCOMPARE(MciAbspielen(wav(QStringLiteral("zwei.wav")), QStringLiteral("MyAlias"), device), 289);
        QCOMPARE(made.size(), 1);
        MciStoppen(QStringLiteral("MyAlias"), device);
        QVERIFY(!device.isOpen(QStringLiteral("MyAlias")));
        MciStoppen(QStringLiteral("MyAlias"), device); // harmless when not open
        QCOMPARE(MciAbspielen(m_env.root() + QStringLiteral("/fehlt.wav"), QStringLiteral("MyAlias"), device), 275);
        QCOMPARE(made.size(), 1);
        QCOMPARE(device.lastError(), 263); // the last command sent was the second close
    }
};

QTEST_MAIN(TestMciDevice)
#include "tst_mcidevice.moc"
