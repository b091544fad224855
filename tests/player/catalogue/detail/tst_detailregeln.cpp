#include "player/catalogue/detail/Bewertung.h"
#include "player/catalogue/detail/CoverStreifenRegeln.h"
#include "player/catalogue/detail/Gradzeichenliste.h"
#include "player/catalogue/detail/TextRegeln.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace klang::detail;

namespace {

void schreibe(const QString& pfad, const QByteArray& inhalt)
{
    QDir().mkpath(QFileInfo(pfad).path());
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}

QByteArray lies(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
}

} // namespace

class DetailRegelnTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<klang::test::TestEnvironment>(); }

    // The mark is read only where writing puts it: " - N" (N 0..6) right before the extension.
    void trackSterne_data();
    void trackSterne();
    // Writing replaces a mark once, keeps the extension's case and leaves unmarkable names.
    void mitMarke_data();
    void mitMarke();
    // Stripping removes only a real mark; titles with numbers keep their text.
    void ohneMarke_data();
    void ohneMarke();
    // The record stars: Val, 0 <= v < 7, half to even.
    void plattenSterne_data();
    void plattenSterne();
    // A star click renames the file in its folder and reports the new name.
    void bewertenBenenntUm();
    // A file of the new name is never overwritten; both files stay byte-identical.
    void bewertenUeberschreibtNie();
    // A read-only folder: the rename fails, the file keeps its name.
    void bewertenSchreibgeschuetzt();
    // After a rename that re-sorts the list, the new name is found at its new place.
    void auswahlFolgtUmbenennung();

    // The track-star flow: list mode follows the renamed file, playlist mode renames the
    // playlist's file only, a refused rename changes nothing.
    void trackSternKlickListe();
    void trackSternKlickPlaylist();
    void trackSternKlickKeinUeberschreiben();
    // Record stars repaint whatever the track's name; a record star click writes "1".."6".
    void sternanzeige_data();
    void sternanzeige();

    // Degree-sign lists: trimmed field, every piece but the last.
    void gradzeichenItems_data();
    void gradzeichenItems();
    // Looking up listed files: database folder option, relative items, missing files.
    void vorhandeneDateien_data();
    void vorhandeneDateien();
    // Captions of the picture switch and the eBook label.
    void beschriftungen_data();
    void beschriftungen();

    // Covers belong to the strip only on an exact, case-sensitive name match, once per row.
    void coverListe();
    // The slot count follows the window height and is capped by slots and entries.
    void letzterSlot_data();
    void letzterSlot();
    // Paging clamps at both ends without wrapping.
    void coverPaging();
    // Following a record: first entry containing band and title; empty records move nothing.
    void coverFolgen();
    // A slot's record: empty slots and slots past the list select nothing.
    void coverZeileFuerSlot();

    // Full-text search: case-insensitive, overlapping hits, stays at the end.
    void volltextsuche();
    // Song-text position: the track's name or the end.
    void songTextPosition_data();
    void songTextPosition();
    // Format toggles: only a wholly formatted selection is cleared.
    void umschalten();

private:
    std::unique_ptr<klang::test::TestEnvironment> m_env;
};

void DetailRegelnTest::trackSterne_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("sterne");
    QTest::newRow("marked") << "Song - 3.mp3" << 3;
    QTest::newRow("unmarked") << "Song.mp3" << 0;
    QTest::newRow("zero") << "Song - 0.mp3" << 0;
    QTest::newRow("hyphen title") << "AC-DC.mp3" << 0;
    QTest::newRow("opus number") << "Opus-12.mp3" << 0;
    QTest::newRow("take number") << "Take-05.flac" << 0;
    QTest::newRow("out of range") << "Song - 8.mp3" << 0;
    QTest::newRow("year") << "Song - 1984.mp3" << 0;
    QTest::newRow("no dot") << "README" << 0;
    QTest::newRow("upper ext") << "Song - 4.MP3" << 4;
    QTest::newRow("several dots") << "a.b - 5.mp3" << 5;
    QTest::newRow("mark before inner dot") << "x - 2.tar.gz" << 0;
    QTest::newRow("six") << "Intro - 6.ogg" << 6;
    QTest::newRow("short") << "-1.mp3" << 0;
}

void DetailRegelnTest::trackSterne()
{
    QFETCH(QString, name);
    QFETCH(int, sterne);
    QCOMPARE(klang::detail::trackSterne(name), sterne);
}

void DetailRegelnTest::mitMarke_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("sterne");
    QTest::addColumn<QString>("neu");
    QTest::newRow("new mark") << "Song.mp3" << 4 << "Song - 4.mp3";
    QTest::newRow("replace") << "Song - 2.mp3" << 5 << "Song - 5.mp3";
    QTest::newRow("replace zero") << "Song - 0.mp3" << 1 << "Song - 1.mp3";
    QTest::newRow("seven is text") << "Song - 7.mp3" << 1 << "Song - 7 - 1.mp3";
    QTest::newRow("no blank") << "Song -2.mp3" << 3 << "Song -2 - 3.mp3";
    QTest::newRow("last dot") << "a.b.mp3" << 2 << "a.b - 2.mp3";
    QTest::newRow("upper ext") << "Song.MP3" << 6 << "Song - 6.MP3";
    QTest::newRow("no dot") << "README" << 3 << "README";
    QTest::newRow("year kept") << "Song - 1984.mp3" << 2 << "Song - 1984 - 2.mp3";
    QTest::newRow("same rating") << "Song - 3.mp3" << 3 << "Song - 3.mp3";
    QTest::newRow("trimmed") << " Song.mp3" << 1 << "Song - 1.mp3";
    QTest::newRow("no stem") << ".mp3" << 1 << ".mp3";
}

void DetailRegelnTest::mitMarke()
{
    QFETCH(QString, name);
    QFETCH(int, sterne);
    QFETCH(QString, neu);
    QCOMPARE(klang::detail::mitMarke(name, sterne), neu);
}

void DetailRegelnTest::ohneMarke_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ohne");
    QTest::newRow("mark") << "Song - 4.mp3" << "Song.mp3";
    QTest::newRow("zero") << "Song - 0.flac" << "Song.flac";
    QTest::newRow("year") << "Song - 1984.mp3" << "Song - 1984.mp3";
    QTest::newRow("seven") << "Song - 7.mp3" << "Song - 7.mp3";
    QTest::newRow("no dot") << "README - 3" << "README - 3";
}

void DetailRegelnTest::ohneMarke()
{
    QFETCH(QString, name);
    QFETCH(QString, ohne);
    QCOMPARE(klang::detail::ohneMarke(name), ohne);
}

void DetailRegelnTest::plattenSterne_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("sterne");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("six") << "6" << 6;
    QTest::newRow("seven") << "7" << 0;
    QTest::newRow("one") << "1" << 1;
    QTest::newRow("half down") << "2.5" << 2;
    QTest::newRow("half up") << "3.5" << 4;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("text") << "gut" << 0;
    QTest::newRow("6.6") << "6.6" << 6;
}

void DetailRegelnTest::plattenSterne()
{
    QFETCH(QString, text);
    QFETCH(int, sterne);
    QCOMPARE(klang::detail::plattenSterne(text), sterne);
}

void DetailRegelnTest::bewertenBenenntUm()
{
    QTemporaryDir dir;
    schreibe(dir.filePath("Song.mp3"), "musik");
    const Umbenennung u = trackBewerten(dir.path() + "/", "Song.mp3", 4);
    QVERIFY(u.erfolgreich);
    QCOMPARE(u.neuerName, QStringLiteral("Song - 4.mp3"));
    QVERIFY(!QFile::exists(dir.filePath("Song.mp3")));
    QCOMPARE(lies(dir.filePath("Song - 4.mp3")), QByteArray("musik"));
    QCOMPARE(klang::detail::trackSterne(u.neuerName), 4);
    const Umbenennung p = trackBewertenPfad(dir.filePath("Song - 4.mp3"), 2);
    QVERIFY(p.erfolgreich);
    QVERIFY(QFile::exists(dir.filePath("Song - 2.mp3")));
}

void DetailRegelnTest::bewertenUeberschreibtNie()
{
    QTemporaryDir dir;
    schreibe(dir.filePath("Song.mp3"), "eins");
    schreibe(dir.filePath("Song - 4.mp3"), "zwei");
    const Umbenennung u = trackBewerten(dir.path(), "Song.mp3", 4);
    QVERIFY(!u.erfolgreich);
    QCOMPARE(u.neuerName, QStringLiteral("Song.mp3"));
    QVERIFY(!u.fehler.isEmpty());
    QCOMPARE(lies(dir.filePath("Song.mp3")), QByteArray("eins"));
    QCOMPARE(lies(dir.filePath("Song - 4.mp3")), QByteArray("zwei"));
}

void DetailRegelnTest::bewertenSchreibgeschuetzt()
{
    QTemporaryDir dir;
    schreibe(dir.filePath("Song.mp3"), "musik");
    klang::test::ReadOnlyFolder schutz(dir.path());
    QVERIFY(schutz.effective());
    const Umbenennung u = trackBewerten(dir.path(), "Song.mp3", 3);
    schutz.release();
    QVERIFY(!u.erfolgreich);
    QCOMPARE(lies(dir.filePath("Song.mp3")), QByteArray("musik"));
    QVERIFY(!QFile::exists(dir.filePath("Song - 3.mp3")));
}

void DetailRegelnTest::auswahlFolgtUmbenennung()
{
    QTemporaryDir dir;
    schreibe(dir.filePath("Song.mp3"), "a");
    schreibe(dir.filePath("Song 2.mp3"), "b");
    const QStringList vorher = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    const int alt = int(vorher.indexOf("Song.mp3"));
    const Umbenennung u = trackBewerten(dir.path(), vorher.at(alt), 4);
    QVERIFY(u.erfolgreich);
    const QStringList nachher = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    const int neu = indexInListe(nachher, u.neuerName);
    QVERIFY(neu >= 0);
    QCOMPARE(nachher.at(neu), QStringLiteral("Song - 4.mp3"));
    QVERIFY(neu != alt); // the list did re-sort: following by index would pick the other song
    QCOMPARE(indexInListe(nachher, "gone.mp3"), -1);
}

void DetailRegelnTest::trackSternKlickListe()
{
    QTemporaryDir dir;
    schreibe(dir.filePath("Song.mp3"), "a");
    schreibe(dir.filePath("Song 2.mp3"), "b");
    auto lesen = [&dir] { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); };
    TrackStand stand;
    stand.ordner = dir.path() + "/";
    stand.liste = lesen();
    stand.aktuell = int(stand.liste.indexOf("Song.mp3"));
    const TrackKlickErgebnis e = trackSternKlick(stand, 3, lesen);
    QVERIFY(e.umbenennung.erfolgreich);
    QCOMPARE(e.liste.at(e.aktuell), QStringLiteral("Song - 4.mp3"));
    QCOMPARE(e.trackSterne, 4);
    QVERIFY(!e.playlistGeaendert);
    // a second click on the new place rates the same song again
    stand.liste = e.liste;
    stand.aktuell = e.aktuell;
    const TrackKlickErgebnis z = trackSternKlick(stand, 1, lesen);
    QCOMPARE(z.liste.at(z.aktuell), QStringLiteral("Song - 2.mp3"));
    QCOMPARE(lies(dir.filePath("Song 2.mp3")), QByteArray("b"));
    // no current track: nothing is renamed
    stand.liste = z.liste;
    stand.aktuell = 7;
    QCOMPARE(trackSternKlick(stand, 0, lesen).liste, lesen());
    QVERIFY(QFile::exists(dir.filePath("Song - 2.mp3")));
}

void DetailRegelnTest::trackSternKlickPlaylist()
{
    QTemporaryDir platte;
    QTemporaryDir andere;
    schreibe(platte.filePath("01 Eins.mp3"), "eins");
    schreibe(andere.filePath("Lied - 2.mp3"), "lied");
    TrackStand stand;
    stand.playlistModus = true;
    stand.playlistPfad = andere.filePath("Lied - 2.mp3");
    stand.ordner = platte.path();
    stand.liste = {"01 Eins.mp3"};
    stand.aktuell = 0; // the playlist index must never pick a file of the record's list
    bool gelesen = false;
    const TrackKlickErgebnis e = trackSternKlick(stand, 4, [&gelesen] {
        gelesen = true;
        return QStringList();
    });
    QVERIFY(e.umbenennung.erfolgreich);
    QVERIFY(e.playlistGeaendert);
    QCOMPARE(e.playlistPfad, andere.filePath("Lied - 5.mp3"));
    QCOMPARE(e.trackSterne, 5);
    QVERIFY(QFile::exists(platte.filePath("01 Eins.mp3")));
    QVERIFY(!gelesen);
    QCOMPARE(e.liste, stand.liste);
}

void DetailRegelnTest::trackSternKlickKeinUeberschreiben()
{
    QTemporaryDir dir;
    schreibe(dir.filePath("Song.mp3"), "eins");
    schreibe(dir.filePath("Song - 4.mp3"), "zwei");
    auto lesen = [&dir] { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); };
    TrackStand stand;
    stand.ordner = dir.path();
    stand.liste = lesen();
    stand.aktuell = int(stand.liste.indexOf("Song.mp3"));
    const TrackKlickErgebnis e = trackSternKlick(stand, 3, lesen);
    QVERIFY(!e.umbenennung.erfolgreich);
    QCOMPARE(e.liste.at(e.aktuell), QStringLiteral("Song.mp3"));
    QCOMPARE(e.trackSterne, 0);
    QCOMPARE(lies(dir.filePath("Song.mp3")), QByteArray("eins"));
    QCOMPARE(lies(dir.filePath("Song - 4.mp3")), QByteArray("zwei"));

    // The folder is gone: the rename fails, the list is re-read all the same.
    stand.ordner = dir.filePath("weg");
    stand.liste = {"Song.mp3"};
    stand.aktuell = 0;
    bool gelesen = false;
    const TrackKlickErgebnis weg = trackSternKlick(stand, 2, [&gelesen] {
        gelesen = true;
        return QStringList();
    });
    QVERIFY(!weg.umbenennung.erfolgreich);
    QVERIFY(gelesen);
    QCOMPARE(weg.aktuell, -1);
    QCOMPARE(weg.trackSterne, 0);
}

void DetailRegelnTest::sternanzeige_data()
{
    QTest::addColumn<QString>("track");
    QTest::addColumn<QString>("bewertung");
    QTest::addColumn<int>("platte");
    QTest::addColumn<int>("trackSterne");
    QTest::newRow("both") << "Song - 3.mp3" << "5" << 5 << 3;
    QTest::newRow("mark out of range") << "Song - 8.mp3" << "2" << 2 << 0;
    QTest::newRow("unrated record") << "Song - 8.mp3" << "" << 0 << 0;
    QTest::newRow("no track") << "" << "6" << 6 << 0;
}

void DetailRegelnTest::sternanzeige()
{
    QFETCH(QString, track);
    QFETCH(QString, bewertung);
    QFETCH(int, platte);
    QFETCH(int, trackSterne);
    const Sternanzeige a = BewertungTracks(track, bewertung);
    QCOMPARE(a.platte, platte);
    QCOMPARE(a.track, trackSterne);
    QCOMPARE(plattenBewertungText(0), QStringLiteral("1"));
    QCOMPARE(plattenBewertungText(5), QStringLiteral("6"));
    QCOMPARE(klang::detail::plattenSterne(plattenBewertungText(0)), 1);
}

void DetailRegelnTest::gradzeichenItems_data()
{
    QTest::addColumn<QString>("feld");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("blanks") << "   " << QStringList();
    QTest::newRow("one") << "a.jpg°" << QStringList{"a.jpg"};
    QTest::newRow("two") << "a.jpg°b.jpg°" << QStringList{"a.jpg", "b.jpg"};
    QTest::newRow("no closing sign") << "a.jpg°b.jpg" << QStringList{"a.jpg"};
    QTest::newRow("items untrimmed") << "  a.jpg ° b.jpg°  " << QStringList{"a.jpg ", " b.jpg"};
    QTest::newRow("no sign at all") << "a.jpg" << QStringList();
}

void DetailRegelnTest::gradzeichenItems()
{
    QFETCH(QString, feld);
    QFETCH(QStringList, items);
    QCOMPARE(klang::detail::gradzeichenItems(feld), items);
}

void DetailRegelnTest::vorhandeneDateien_data()
{
    QTest::addColumn<QString>("feld");
    QTest::addColumn<bool>("option");
    QTest::addColumn<QStringList>("erwartet"); // relative to the database folder
    QTest::newRow("option: by file name") << "/anderswo/x.jpg°fehlt.jpg°y.png°" << true
                                          << QStringList{"Bilder/x.jpg", "Bilder/y.png"};
    QTest::newRow("option: windows path") << "C:\\Covers\\x.jpg°" << true << QStringList{"Bilder/x.jpg"};
    QTest::newRow("as written: relative") << "Bilder/x.jpg°x.jpg°" << false
                                          << QStringList{"Bilder/x.jpg"};
    QTest::newRow("both missing") << "a.jpg°b.jpg°" << true << QStringList();
    QTest::newRow("empty item") << "°x.jpg°" << true << QStringList{"Bilder/x.jpg"};
    QTest::newRow("as written: backslashes") << "Bilder\\y.png°" << false << QStringList{"Bilder/y.png"};
}

void DetailRegelnTest::vorhandeneDateien()
{
    QFETCH(QString, feld);
    QFETCH(bool, option);
    QFETCH(QStringList, erwartet);
    QTemporaryDir db;
    schreibe(db.filePath("Bilder/x.jpg"), "x");
    schreibe(db.filePath("Bilder/y.png"), "y");
    const QString pfad = db.path() + "/";
    QStringList voll;
    for (const QString& e : erwartet)
        voll << pfad + e;
    QCOMPARE(klang::detail::vorhandeneDateien(feld, {pfad, "Bilder/", option, {}}), voll);
}

void DetailRegelnTest::beschriftungen_data()
{
    QTest::addColumn<QString>("feld");
    QTest::addColumn<int>("anzahl");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "  " << 0 << "kein externes Bild";
    QTest::newRow("none found") << "a°b°" << 0 << "0 externe Cover";
    QTest::newRow("one") << "a°" << 1 << "1 externes Cover";
    QTest::newRow("two") << "a°b°" << 2 << "2 externe Cover";
}

void DetailRegelnTest::beschriftungen()
{
    QFETCH(QString, feld);
    QFETCH(int, anzahl);
    QFETCH(QString, text);
    QCOMPARE(bildpfadBeschriftung(feld, anzahl), text);
    QCOMPARE(ebookBeschriftung(anzahl), QStringLiteral("eBook u. Multimedia (%1)").arg(anzahl));
}

void DetailRegelnTest::coverListe()
{
    CoverStreifenRegeln r;
    const QList<BandTitel> zeilen{{"Abba", "Gold"}, {"abba", "gold"}, {"Abba", "Gold"}, {"Kraftwerk", "Radioaktivität"}};
    r.listeAktuell({"Abba - Gold.jpg", "abba - Gold.jpg", " Abba - Gold.png", "Kraftwerk - Radioaktivität.gif",
                    "Kraftwerk - Radioaktivität", "Nena - 99.jpg"},
                   zeilen);
    QCOMPARE(r.liste(), (QStringList{"Abba - Gold.jpg", "Abba - Gold.jpg", "Kraftwerk - Radioaktivität.gif",
                                     "Kraftwerk - Radioaktivität"}));
    r.listeAktuell({"Abba - Gold.jpg"}, {});
    QVERIFY(r.liste().isEmpty());
    // Only the rows that have a cover, with their grid rows (a large catalogue): a cover
    // names its own row, not its place in the list.
    const QList<BandTitel> mitCover{{"Kraftwerk", "Radioaktivität", 7}, {"Abba", "Gold", 912345}};
    r.listeAktuell({"Abba - Gold.jpg", "Kraftwerk - Radioaktivität.gif"}, mitCover);
    r.setLetzterSlot(1);
    QCOMPARE(r.zeileFuerSlot(0, mitCover), 912345);
    QCOMPARE(r.zeileFuerSlot(1, mitCover), 7);
}

void DetailRegelnTest::letzterSlot_data()
{
    QTest::addColumn<int>("hoehe");
    QTest::addColumn<int>("eintraege");
    QTest::addColumn<int>("letzter");
    QTest::newRow("room for 7, 3 covers") << 1900 + 6 * 970 << 3 << 2;
    QTest::newRow("room for 7, 10 covers") << 1900 + 6 * 970 + 500 << 10 << 6;
    QTest::newRow("no covers") << 9000 << 0 << -1;
    QTest::newRow("huge window capped") << 40000 << 100 << 21;
    QTest::newRow("tiny window") << 1000 << 10 << 0;
}

void DetailRegelnTest::letzterSlot()
{
    QFETCH(int, hoehe);
    QFETCH(int, eintraege);
    QFETCH(int, letzter);
    QCOMPARE(CoverStreifenRegeln::letzterSlotFuerHoehe(hoehe, eintraege), letzter);
    QStringList dateien;
    QList<BandTitel> zeilen;
    for (int i = 0; i < eintraege; ++i) {
        dateien << QStringLiteral("B - T%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        zeilen << BandTitel{"B", QStringLiteral("T%1").arg(i, 3, 10, QLatin1Char('0'))};
    }
    CoverStreifenRegeln r;
    r.listeAktuell(dateien, zeilen);
    r.aktualisieren(hoehe);
    QCOMPARE(r.letzterSlot(), letzter);
    QCOMPARE(r.seite().size(), letzter + 1);
    QVERIFY(r.seite().size() <= CoverStreifenRegeln::SlotAnzahl);
}

void DetailRegelnTest::coverPaging()
{
    QStringList dateien;
    QList<BandTitel> zeilen;
    for (int i = 0; i < 10; ++i) {
        dateien << QStringLiteral("B - T%1.jpg").arg(i);
        zeilen << BandTitel{"B", QStringLiteral("T%1").arg(i)};
    }
    CoverStreifenRegeln r;
    r.listeAktuell(dateien, zeilen);
    r.aktualisieren(1900 + 3 * 970); // four slots
    QCOMPARE(r.position(), 0);
    r.down();
    QCOMPARE(r.position(), 4);
    r.down();
    QCOMPARE(r.position(), 6); // the last full page
    r.down();
    QCOMPARE(r.position(), 6);
    QCOMPARE(r.seite().last(), QStringLiteral("B - T9.jpg"));
    r.up();
    QCOMPARE(r.position(), 2);
    r.up();
    QCOMPARE(r.position(), 0);
    r.up();
    QCOMPARE(r.position(), 0);
    r.down();
    r.aktualisieren(1900 + 3 * 970); // a recount keeps the page
    QCOMPARE(r.position(), 4);

    CoverStreifenRegeln leer;
    leer.listeAktuell({}, {});
    leer.aktualisieren(10000);
    leer.down();
    leer.up();
    QCOMPARE(leer.seite(), QStringList());
}

void DetailRegelnTest::coverFolgen()
{
    CoverStreifenRegeln r;
    QStringList dateien;
    QList<BandTitel> zeilen;
    for (const char* t : {"A", "B", "Gold Reloaded", "Gold", "C", "D", "Zett"}) {
        dateien << QStringLiteral("Abba - %1.jpg").arg(QLatin1String(t));
        zeilen << BandTitel{"Abba", QLatin1String(t)};
    }
    r.listeAktuell(dateien, zeilen);
    r.aktualisieren(1900 + 970); // two slots
    QVERIFY(r.folgen("  ABBA ", "gold"));
    QCOMPARE(r.position(), 2); // the longer title comes first
    QVERIFY(r.folgen("abba", "zett"));
    QCOMPARE(r.position(), 5); // clamped to the last full page, which holds it
    r.up();
    const int vorher = r.position();
    QVERIFY(!r.folgen("", "  "));
    QVERIFY(!r.folgen("Nena", "99"));
    QCOMPARE(r.position(), vorher);
}

void DetailRegelnTest::coverZeileFuerSlot()
{
    CoverStreifenRegeln r;
    const QList<BandTitel> zeilen{{"X", "1"}, {"Abba", "Gold"}, {"Abba", "Gold"}};
    r.listeAktuell({"Abba - Gold.jpg"}, zeilen);
    r.aktualisieren(1900 + 5 * 970);
    QCOMPARE(r.zeileFuerSlot(0, zeilen), 1);
    QCOMPARE(r.nameInSlot(0), QStringLiteral("Abba - Gold"));
    QCOMPARE(r.zeileFuerSlot(2, zeilen), -1);
    QCOMPARE(r.zeileFuerSlot(21, zeilen), -1);
    QCOMPARE(r.zeileFuerSlot(-1, zeilen), -1);
}

void DetailRegelnTest::volltextsuche()
{
    Volltextsuche s;
    QCOMPARE(s.weitersuchen("aaaa"), 0);
    QCOMPARE(s.suchen("aaaa", "aa"), 1);
    QCOMPARE(s.weitersuchen("aaaa"), 2);
    QCOMPARE(s.weitersuchen("aaaa"), 3);
    QCOMPARE(s.weitersuchen("aaaa"), 0);
    QCOMPARE(s.startposition(), 4);
    QCOMPARE(s.weitersuchen("aaaa"), 0);
    QCOMPARE(s.suchen("Ein MÄDCHEN", "mädchen"), 5);
    QCOMPARE(s.suchen("abc", "x"), 0);
}

void DetailRegelnTest::songTextPosition_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("track");
    QTest::addColumn<int>("pos");
    QTest::newRow("heading") << "Lieder\n01 A.mp3\nla\n02 Intro - 4.mp3\nlu" << "02 intro - 4.MP3" << 19;
    QTest::newRow("absent") << "Lieder\nla" << "02 Intro - 4.mp3" << 9;
    QTest::newRow("no track") << "abc" << "" << 3;
}

void DetailRegelnTest::songTextPosition()
{
    QFETCH(QString, text);
    QFETCH(QString, track);
    QFETCH(int, pos);
    QCOMPARE(klang::detail::songTextPosition(text, track), pos);
}

void DetailRegelnTest::umschalten()
{
    QCOMPARE(klang::detail::umschalten(true), false);
    QCOMPARE(klang::detail::umschalten(false), true);
    QCOMPARE(klang::detail::umschalten(std::nullopt), true);
}

QTEST_GUILESS_MAIN(DetailRegelnTest)
#include "tst_detailregeln.moc"
