// Player state, exclusion lists and the random record of shuffle play.

#include "player/playback/Ausschlusslisten.h"
#include "player/playback/Spielerzustand.h"
#include "player/playback/TontraegerZufaellig.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QtTest>

using namespace klang::player;

namespace {

struct Datensatz
{
    QString band;
    QString stil;
    int tracks = 0;
};

class FakeKatalog : public Zufallskatalog
{
public:
    QList<Datensatz> saetze;
    int aktuell = -1;
    QList<int> besucht;
    int gewaehlt = -1;
    bool ersteAbgewaehlt = false;

    int anzahlDatensaetze() const override { return saetze.size(); }
    void geheZuDatensatz(int pos) override
    {
        aktuell = pos - 1;
        besucht << pos;
    }
    QString stilDesAktuellen() const override { return saetze.value(aktuell).stil; }
    QString bandDesAktuellen() const override { return saetze.value(aktuell).band; }
    int anzahlTracks() const override { return saetze.value(aktuell).tracks; }
    void trackWaehlen(int index, bool ersteAbwaehlen) override
    {
        gewaehlt = index;
        ersteAbgewaehlt = ersteAbwaehlen;
    }
};

// A fixed sequence of random numbers, repeated.
TontraegerZufaellig::Zufall folge(QList<double> werte)
{
    auto i = std::make_shared<int>(0);
    return [werte, i] { return werte.at((*i)++ % werte.size()); };
}

} // namespace

class SpielerTest : public QObject
{
    Q_OBJECT
private slots:
    // Status texts other windows read back: exact spelling, two blanks after "playing:".
    void statusTexte()
    {
        QCOMPARE(statusTextPlaying(QStringLiteral("/m/a.mp3")), QStringLiteral("playing:  /m/a.mp3"));
        QVERIFY(statusSpielt(QStringLiteral("playing:  x")));
        QVERIFY(!statusSpielt(QStringLiteral("Playing:  x")));
        QVERIFY(statusPausiert(QStringLiteral("5 Sek. Pause")));
        QVERIFY(!statusSpielt(StatusNoPlay));
    }

    // A new track list resets the current track and gives one cleared mark per entry.
    void trackListeNeu()
    {
        Spielerzustand z;
        z.AktuellerTrack = 5;
        z.GespieltMarken = {1, 1};
        z.trackListeNeu(12);
        QCOMPARE(z.AktuellerTrack, 0);
        QCOMPARE(z.GespieltMarken, QVector<int>(12, 0));
        z.trackListeNeu(0);
        QVERIFY(z.GespieltMarken.isEmpty());
    }

    // A missing list file leaves the list; a present one replaces it in file order.
    void ausschlussliste()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("p")) + QStringLiteral("/AusschlussAbspielliste.ini");
        QStringList liste{QStringLiteral("alt")};
        QVERIFY(!ausschlusslisteLaden(datei, liste));
        QCOMPARE(liste, QStringList{"alt"});
        QFile f(datei);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Jazz\r\nSchlager\r\nVolksmusik\r\n");
        f.close();
        QVERIFY(ausschlusslisteLaden(datei, liste));
        QCOMPARE(liste, (QStringList{"Jazz", "Schlager", "Volksmusik"}));
    }

    // Substring, case-sensitive matching of exclusion entries.
    void ausgeschlossen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("treffer");
        QTest::newRow("part of longer style") << "Free Jazz" << true;
        QTest::newRow("other case") << "jazz" << false;
        QTest::newRow("none") << "Rock" << false;
    }
    void ausgeschlossen()
    {
        QFETCH(QString, text);
        QFETCH(bool, treffer);
        QCOMPARE(klang::player::ausgeschlossen(text, {QStringLiteral("Jazz"), QString()}), treffer);
    }

    // Shuffle takes ShuffleSongProCD tracks of one record, then draws a new record.
    void gleicherTontraeger()
    {
        FakeKatalog k;
        k.saetze = {{"A", "Rock", 5}, {"B", "Pop", 5}, {"C", "Pop", 5}};
        Spielerzustand z;
        z.ShuffleZaehler = 3;
        TontraegerZufaellig zufall(folge({0.5}));
        QCOMPARE(zufall.ziehen(z, k, 3, {}, {}), ZufallsErgebnis::NeuerTontraeger);
        QCOMPARE(k.besucht, QList<int>{2});
        QVERIFY(k.ersteAbgewaehlt);
        QCOMPARE(zufall.ziehen(z, k, 3, {}, {}), ZufallsErgebnis::GleicherTontraeger);
        QCOMPARE(zufall.ziehen(z, k, 3, {}, {}), ZufallsErgebnis::GleicherTontraeger);
        QCOMPARE(zufall.ziehen(z, k, 3, {}, {}), ZufallsErgebnis::NeuerTontraeger);
        QCOMPARE(k.besucht.size(), 2);
    }

    // The track drawn is never the first; with two files it is always the second.
    void trackZiehen_data()
    {
        QTest::addColumn<int>("tracks");
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("erwartet");
        QTest::newRow("two files low") << 2 << 0.0 << 1;
        QTest::newRow("two files high") << 2 << 0.999 << 1;
        QTest::newRow("ten files") << 10 << 0.5 << 5;
        QTest::newRow("ten files top") << 10 << 0.9999 << 9;
        QTest::newRow("one file: nothing") << 1 << 0.5 << -1;
    }
    void trackZiehen()
    {
        QFETCH(int, tracks);
        QFETCH(double, r);
        QFETCH(int, erwartet);
        FakeKatalog k;
        k.saetze = {{"A", "Rock", tracks}};
        Spielerzustand z;
        z.ShuffleZaehler = 1;
        z.AktuellerTrack = -7;
        TontraegerZufaellig zufall(folge({r}));
        zufall.ziehen(z, k, 1, {}, {});
        QCOMPARE(k.gewaehlt, erwartet);
        QCOMPARE(z.AktuellerTrack, erwartet < 0 ? -7 : erwartet);
    }

    // Excluded styles and bands are drawn again; when every draw is excluded the draw gives up.
    void ausschluss()
    {
        FakeKatalog k;
        k.saetze = {{"Heino", "Volksmusik", 3}, {"Zappa", "Rock", 3}, {"Heintje", "Schlager", 3}};
        Spielerzustand z;
        z.ShuffleZaehler = 1;
        TontraegerZufaellig zufall(folge({0.0, 0.9, 0.5, 0.0}));
        QCOMPARE(zufall.ziehen(z, k, 1, {QStringLiteral("Volksmusik")}, {QStringLiteral("Heintje")}),
                 ZufallsErgebnis::NeuerTontraeger);
        QCOMPARE(k.aktuell, 1);
        QVERIFY(!z.StilAusgeschlossen);

        FakeKatalog alle;
        alle.saetze = {{"A", "Jazz", 3}, {"B", "Jazz", 3}};
        Spielerzustand z2;
        z2.ShuffleZaehler = 1;
        TontraegerZufaellig zufall2(folge({0.1, 0.7}));
        QCOMPARE(zufall2.ziehen(z2, alle, 1, {QStringLiteral("Jazz")}, {}), ZufallsErgebnis::StilAusgeschlossen);
        QVERIFY(z2.StilAusgeschlossen);
        QCOMPARE(alle.besucht.size(), 2);
    }

    // Empty catalogue and playlist mode: nothing happens.
    void nichts()
    {
        FakeKatalog k;
        Spielerzustand z;
        TontraegerZufaellig zufall(folge({0.5}));
        QCOMPARE(zufall.ziehen(z, k, 1, {}, {}), ZufallsErgebnis::Nichts);
        k.saetze = {{"A", "Rock", 3}};
        z.PlaylistModus = true;
        QCOMPARE(zufall.ziehen(z, k, 1, {}, {}), ZufallsErgebnis::Nichts);
        QVERIFY(k.besucht.isEmpty());
    }
};

QTEST_GUILESS_MAIN(SpielerTest)
#include "tst_spieler.moc"
