#include "tests/player/playback/core/PlayerFakes.h"
#include "tests/support/FakeMediaEngine.h"
#include "tests/support/TestEnvironment.h"

#include "player/playback/core/Ausschlussangebot.h"
#include "player/playback/core/Playlist.h"

#include <QtTest>

using namespace klang::player;
using namespace klang::test;

// The playlist rules without widgets: items from file lines, header, song length notice,
// the lists' events and what the exclusion windows offer.
class TestPlaylistRegeln : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Items keep their path in three parts that join to it again; names may hold "\".
    void teile_data()
    {
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<QStringList>("teile");
        QTest::newRow("linux") << "/home/u/Musik/Album/Titel.mp3" << QStringList{"Titel.mp3", "Album/", "/home/u/Musik/"};
        QTest::newRow("backslash in a name") << "/m/A\\B/Tr\\'e4ume.wav" << QStringList{"Tr\\'e4ume.wav", "A\\B/", "/m/"};
        QTest::newRow("old system") << "D:\\Musik\\Album\\Titel.mp3" << QStringList{"Titel.mp3", "Album\\", "D:\\Musik\\"};
        QTest::newRow("root") << "D:\\Titel.mp3" << QStringList{"Titel.mp3", "D:\\", ""};
        QTest::newRow("no separator") << "Titel.mp3" << QStringList{"Titel.mp3", "", ""};
    }
    void teile()
    {
        QFETCH(QString, pfad);
        QFETCH(QStringList, teile);
        const PlaylistTeile t = playlistTeile(pfad);
        QCOMPARE((QStringList{t.name, t.ordner, t.davor}), teile);
        QCOMPARE(t.davor + t.ordner + t.name, pfad);
    }

    // Reading skips empty lines and a line repeating the one just before.
    void eintraege()
    {
        QCOMPARE(playlistEintraege({"/a", "/a", "", "/b", "/a", "", "/a", "/A"}),
                 (QStringList{"/a", "/b", "/a", "/A"}));
    }

    void kopfUndLaenge_data()
    {
        QTest::addColumn<double>("sekunden");
        QTest::addColumn<QString>("text");
        QTest::newRow("245.4 s") << 245.4 << "Lied\r\n\r\n4:05 min";
        QTest::newRow("59.5 s to even") << 59.5 << "Lied\r\n\r\n1:00 min";
        QTest::newRow("60.5 s to even") << 60.5 << "Lied\r\n\r\n1:00 min";
        QTest::newRow("unmeasurable") << -1.0 << "Lied\r\n\r\nDie Länge dieses Titels ließ sich nicht messen.";
    }
    void kopfUndLaenge()
    {
        QFETCH(double, sekunden);
        QFETCH(QString, text);
        QCOMPARE(liedlaengeText(QStringLiteral("Lied"), sekunden), text);
        QCOMPARE(playlistKopf(QStringLiteral("Liste.txt"), 12), QStringLiteral("Playlist - Liste (12)"));
    }

    // The song-text key: the name without extension and rating mark, not 8 letters fewer.
    void songTextSchluessel_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("schluessel");
        QTest::newRow("rated") << "Yesterday - 4.mp3" << "Yesterday";
        QTest::newRow("unrated") << "Yesterday.mp3" << "Yesterday";
        QTest::newRow("four-letter extension") << "Film - 2.mpeg" << "Film";
        QTest::newRow("dash in the title") << "A - B.ogg" << "A - B";
        QTest::newRow("short") << "a.mp3" << "a";
    }
    void songTextSchluessel()
    {
        QFETCH(QString, name);
        QFETCH(QString, schluessel);
        QCOMPARE(klang::player::songTextSchluessel(name), schluessel);
    }

    // Which list plays and which track is current after the lists' events.
    void listenEreignisse()
    {
        TestEnvironment env;
        PlayerController ctl({nullptr, nullptr, nullptr}, nullptr);
        FakeTrackSource playlist(true);
        playlist.setItems({"/p/1", "/p/2", "/p/3", "/p/4"});
        ctl.setPlaylist(&playlist);
        ListenWahl wahl(ctl);

        wahl.trackListeLosgelassen(2);
        QVERIFY(!ctl.playlistModus());
        QCOMPARE(ctl.aktuellerTrack(), 2);
        // Focus by keyboard into the playlist: item 1 when none was current, marks kept.
        ctl.setAktuellerTrack(0);
        wahl.playlistFokus(-1);
        QVERIFY(ctl.playlistModus());
        QCOMPARE(ctl.aktuellerTrack(), 1);
        wahl.playlistLosgelassen(2);
        QCOMPARE(ctl.aktuellerTrack(), 3);
        // The track list's focus does not leave playlist mode nor move the playlist's track.
        wahl.trackListeFokus(0);
        QVERIFY(ctl.playlistModus());
        QCOMPARE(ctl.aktuellerTrack(), 3);
        // Removing items: the current item keeps its place in the list.
        wahl.playlistEintraegeEntfernt({0, 1});
        QCOMPARE(ctl.aktuellerTrack(), 1);
        wahl.playlistKlick(1);
        QCOMPARE(ctl.aktuellerTrack(), 2);
        // With only marked tracks the track list's selection chooses nothing.
        ctl.setChecked(ModeBox::MarkTracks, true);
        ctl.setAktuellerTrack(1);
        wahl.trackListeLosgelassen(3);
        QVERIFY(!ctl.playlistModus());
        QCOMPARE(ctl.aktuellerTrack(), 1);
    }

    // The exclusion windows offer every name once; names already on the list stay offered
    // and marked when the style file or the catalogue lost them; blank names never.
    void ausschlussAngebot_data()
    {
        QTest::addColumn<QStringList>("angeboten");
        QTest::addColumn<QStringList>("liste");
        QTest::addColumn<QStringList>("erwartet"); // "+" marked, "-" not
        QTest::newRow("marks") << QStringList{"Jazz", "Rock", "Pop"} << QStringList{"Rock"}
                               << QStringList{"-Jazz", "+Rock", "-Pop"};
        QTest::newRow("kept from the list") << QStringList{"Jazz"} << QStringList{"Polka", "Jazz"}
                                            << QStringList{"+Jazz", "+Polka"};
        QTest::newRow("no style file") << QStringList{} << QStringList{"Polka"} << QStringList{"+Polka"};
        QTest::newRow("blanks and repeats") << QStringList{"", "Jazz", "Jazz", " "} << QStringList{"", "jazz"}
                                            << QStringList{"-Jazz", "+jazz"};
    }
    void ausschlussAngebot()
    {
        QFETCH(QStringList, angeboten);
        QFETCH(QStringList, liste);
        QFETCH(QStringList, erwartet);
        QStringList ist;
        for (const AusschlussEintrag& e : klang::player::ausschlussAngebot(angeboten, liste))
            ist << (e.markiert ? QStringLiteral("+") : QStringLiteral("-")) + e.text;
        QCOMPARE(ist, erwartet);
        QCOMPARE(ausschlussDatei(QStringLiteral("Abspielen"), "a", "c"), QStringLiteral("a"));
        QCOMPARE(ausschlussDatei(QStringLiteral("CD-Erstellen"), "a", "c"), QStringLiteral("c"));
        QCOMPARE(ausschlussDatei(QStringLiteral("abspielen"), "a", "c"), QString());
    }
};

QTEST_GUILESS_MAIN(TestPlaylistRegeln)
#include "tst_playlistregeln.moc"
