// The quick search, the playlist-title lookup and locating the playing record.

#include "player/catalogue/search/Schnellsuche.h"
#include "player/catalogue/search/Wiedergabeort.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"
#include "tests/player/catalogue/search/Tabelle.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QTest>

using namespace klang::player;
using klang::test::Ordner;
using klang::test::Tabelle;
using klang::test::rtfDocument;

namespace {

const QStringList kSpalten = {QStringLiteral("Band"),   QStringLiteral("LPTitel"),     QStringLiteral("Songs"),
                              QStringLiteral("Musikpfad"), QStringLiteral("InternetTab"), QStringLiteral("InfoTab"),
                              QStringLiteral("SonstigesTab"), QStringLiteral("Stil")};

QVariantMap satz(const QString& band, const QString& titel, const QVariantMap& mehr = {})
{
    QVariantMap m{{QStringLiteral("Band"), band}, {QStringLiteral("LPTitel"), titel}};
    for (auto it = mehr.begin(); it != mehr.end(); ++it)
        m.insert(it.key(), it.value());
    return m;
}

} // namespace

class TestSchnellsuche : public QObject
{
    Q_OBJECT

private:
    Sichtquelle sichtUeber(const Tabelle& t, const Ordner& o)
    {
        return [&t, &o](int zeile) { return standardSicht(t, zeile, o.liste()); };
    }

private slots:
    // Repeated Enter walks through the hits, signals the end once with sound and red, then
    // starts at the top again.
    void wiederholtesSuchenUndUmlauf()
    {
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("Queen"), QStringLiteral("Live Killers")));
        t.zeile(satz(QStringLiteral("Nena"), QStringLiteral("Fragezeichen")));
        t.zeile(satz(QStringLiteral("Kraftwerk"), QStringLiteral("Live in Berlin")));
        t.zeile(satz(QStringLiteral("Trio"), QStringLiteral("Da da da")));
        Ordner o;
        Suchposition pos;
        const Sichtquelle sicht = sichtUeber(t, o);

        Suchtreffer r = suchen(t, sicht, QStringLiteral("LIVE"), pos);
        QVERIFY(r.gefunden);
        QCOMPARE(r.zeile, 0);
        QCOMPARE(r.spalte, 1);
        QCOMPARE(r.farbe, SuchfeldTreffer);
        QCOMPARE(pos.SuchStartZeile, 2);
        QCOMPARE(pos.LetzterSuchtext, QStringLiteral("live"));

        r = suchen(t, sicht, QStringLiteral("live"), pos); // another case is the same text
        QCOMPARE(r.zeile, 2);
        QCOMPARE(r.markierung.detailFeld, 2); // TextLPTitel

        r = suchen(t, sicht, QStringLiteral("live"), pos);
        QVERIFY(r.gesucht);
        QVERIFY(!r.gefunden);
        QVERIFY(r.tonSpielen);
        QVERIFY(r.textMarkieren);
        QCOMPARE(r.farbe, SuchfeldFehlanzeige);
        QCOMPARE(pos.SuchStartZeile, 1);
        QVERIFY(pos.LetzterSuchtext.isEmpty());

        r = suchen(t, sicht, QStringLiteral("live"), pos);
        QCOMPARE(r.zeile, 0);
    }

    // A changed text starts again at the top.
    void geaenderterTextBeginntOben()
    {
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("Queen"), QStringLiteral("Gold")));
        t.zeile(satz(QStringLiteral("Nena"), QStringLiteral("Gold")));
        Suchposition pos;
        Ordner o;
        QCOMPARE(suchen(t, sichtUeber(t, o), QStringLiteral("gold"), pos).zeile, 0);
        QCOMPARE(suchen(t, sichtUeber(t, o), QStringLiteral("nena"), pos).zeile, 1);
        QCOMPARE(suchen(t, sichtUeber(t, o), QStringLiteral("gold"), pos).zeile, 0);
    }

    // An empty text or one blank searches nothing and keeps the position.
    void leererText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("leer") << QString();
        QTest::newRow("ein Leerzeichen") << QStringLiteral(" ");
    }
    void leererText()
    {
        QFETCH(QString, text);
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("A B"), QStringLiteral("x")));
        Suchposition pos{QStringLiteral("x"), 2};
        Ordner o;
        const Suchtreffer r = suchen(t, sichtUeber(t, o), text, pos);
        QVERIFY(!r.gesucht);
        QVERIFY(!r.tonSpielen);
        QCOMPARE(pos.SuchStartZeile, 2);
        QCOMPARE(pos.LetzterSuchtext, QStringLiteral("x"));
    }

    // Rich text is compared as the user reads it: an umlaut stored as \'e4 is found, RTF
    // control words are not.
    void klartextInRichText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("zeile");
        QTest::addColumn<int>("tab");
        QTest::newRow("Umlaut im Info-Reiter") << QStringLiteral("mädchen") << 1 << 3;
        QTest::newRow("Steuerwort fs20") << QStringLiteral("fs20") << -1 << 0;
        QTest::newRow("Steuerwort par") << QStringLiteral("\\par") << -1 << 0;
        QTest::newRow("Schriftname") << QStringLiteral("segoe") << -1 << 0;
    }
    void klartextInRichText()
    {
        QFETCH(QString, text);
        QFETCH(int, zeile);
        QFETCH(int, tab);
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("Nena"), QStringLiteral("Gold"),
                     {{QStringLiteral("InfoTab"), rtfDocument({QStringLiteral("Nichts hier")})}}));
        t.zeile(satz(QStringLiteral("Ideal"), QStringLiteral("Blau"),
                     {{QStringLiteral("InfoTab"), rtfDocument({QStringLiteral("Ein Mädchen aus Berlin")})}}));
        Suchposition pos;
        Ordner o;
        const Suchtreffer r = suchen(t, sichtUeber(t, o), text, pos);
        QCOMPARE(r.zeile, zeile);
        if (zeile >= 0) {
            QCOMPARE(r.markierung.tab, tab);
            QCOMPARE(r.markierung.infoStart, 4);
            QCOMPARE(r.markierung.laenge, 7);
            QVERIFY(r.fokusVerschieben);
        }
    }

    // Text only in a cell the detail view does not show (the song list, a hidden column) makes
    // no hit; the search goes on to the next row that shows it.
    void unsichtbarerTreffer()
    {
        Tabelle t(kSpalten + QStringList{QStringLiteral("BestellNr")});
        t.zeile(satz(QStringLiteral("Queen"), QStringLiteral("Gold"),
                     {{QStringLiteral("Songs"), rtfDocument({QStringLiteral("1. Zebra")})}}));
        t.zeile(satz(QStringLiteral("Nena"), QStringLiteral("Zebra")));
        Suchposition pos;
        Ordner o;
        const Suchtreffer r = suchen(t, sichtUeber(t, o), QStringLiteral("zebra"), pos);
        QCOMPARE(r.zeile, 1);
        QCOMPARE(pos.SuchStartZeile, 3);
    }

    // Matching track files are all selected, the last one becomes the current track, and the
    // song list shows the first occurrence.
    void trackdateien()
    {
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("Queen"), QStringLiteral("Gold"),
                     {{QStringLiteral("Musikpfad"), QStringLiteral("/m/q/")},
                      {QStringLiteral("Songs"), rtfDocument({QStringLiteral("1. Intro"), QStringLiteral("2. Radio Ga Ga")})}}));
        Ordner o;
        o.dateien.insert(QStringLiteral("/m/q/"), {QStringLiteral("01 Intro.mp3"), QStringLiteral("02 Radio Ga Ga.mp3"),
                                                    QStringLiteral("03 Radio Ga Ga (live).mp3")});
        Suchposition pos;
        const Suchtreffer r = suchen(t, sichtUeber(t, o), QStringLiteral("radio"), pos);
        QVERIFY(r.gefunden);
        QCOMPARE(r.markierung.trackAuswahl, (QList<int>{1, 2}));
        QCOMPARE(r.markierung.aktuellerTrack, 2);
        QCOMPARE(r.markierung.songsStart, 12); // "1. Intro\n2. " comes first
        QCOMPARE(r.markierung.tab, 1);
    }

    // Two panes hold the text: both are marked, the last decides the tab.
    void zweiReiter()
    {
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("Queen"), QStringLiteral("Gold"),
                     {{QStringLiteral("InternetTab"), rtfDocument({QStringLiteral("https://queen.example/abc")})},
                      {QStringLiteral("SonstigesTab"), rtfDocument({QStringLiteral("abc")})}}));
        Suchposition pos;
        Ordner o;
        const Suchtreffer r = suchen(t, sichtUeber(t, o), QStringLiteral("abc"), pos);
        QCOMPARE(r.markierung.linksStart, 22);
        QCOMPARE(r.markierung.sonstigesStart, 0);
        QCOMPARE(r.markierung.infoStart, -1);
        QCOMPARE(r.markierung.tab, 4);
    }

    // A hit in the last row does not scroll it to the top; a table without rows is a miss.
    void letzteZeileUndLeereTabelle()
    {
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("Queen"), QStringLiteral("Gold")));
        t.zeile(satz(QStringLiteral("Nena"), QStringLiteral("Blau")));
        Suchposition pos;
        Ordner o;
        Suchtreffer r = suchen(t, sichtUeber(t, o), QStringLiteral("gold"), pos);
        QCOMPARE(r.obersteZeile, 0);
        r = suchen(t, sichtUeber(t, o), QStringLiteral("blau"), pos);
        QCOMPARE(r.zeile, 1);
        QCOMPARE(r.obersteZeile, -1);

        Tabelle leer(kSpalten);
        Suchposition p2;
        r = suchen(leer, sichtUeber(leer, o), QStringLiteral("x"), p2);
        QVERIFY(!r.gefunden);
        QVERIFY(r.tonSpielen);
    }

    // Hostile texts are plain text to the quick search.
    void feindlicheTexte_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("zeile");
        QTest::newRow("Apostroph") << QStringLiteral("o'brien") << 1;
        QTest::newRow("Prozent") << QStringLiteral("50%") << 2;
        QTest::newRow("Klammer") << QStringLiteral("[") << 3;
        QTest::newRow("Stern") << QStringLiteral("*") << 4;
        QTest::newRow("Fragezeichen") << QStringLiteral("?") << -1;
    }
    void feindlicheTexte()
    {
        QFETCH(QString, text);
        QFETCH(int, zeile);
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("Queen"), QStringLiteral("Gold")));
        t.zeile(satz(QStringLiteral("O'Brien & Friends"), QStringLiteral("Gold")));
        t.zeile(satz(QStringLiteral("Nena"), QStringLiteral("50% Liebe")));
        t.zeile(satz(QStringLiteral("Ideal"), QStringLiteral("[Remaster]")));
        t.zeile(satz(QStringLiteral("Trio"), QStringLiteral("Stern *")));
        Suchposition pos;
        Ordner o;
        QCOMPARE(suchen(t, sichtUeber(t, o), text, pos).zeile, zeile);
    }

    // The playlist title loses its extension and a trailing rating mark only.
    void playlistTitel_data()
    {
        QTest::addColumn<QString>("eintrag");
        QTest::addColumn<QString>("titel");
        QTest::newRow("Bewertung") << QStringLiteral("Bohemian Rhapsody - 4.mp3") << QStringLiteral("bohemian rhapsody");
        QTest::newRow("Null") << QStringLiteral("Intro - 0.ogg") << QStringLiteral("intro");
        QTest::newRow("Jahreszahl") << QStringLiteral("Song - 1984.mp3") << QStringLiteral("song - 1984");
        QTest::newRow("Jahreszahl ohne Endung") << QStringLiteral("Song - 1984") << QStringLiteral("song - 1984");
        QTest::newRow("sieben") << QStringLiteral("Song - 7.mp3") << QStringLiteral("song - 7");
        QTest::newRow("zwei Marken") << QStringLiteral("A - 1 - 2.mp3") << QStringLiteral("a - 1");
        QTest::newRow("ohne Punkt") << QStringLiteral("Titel") << QStringLiteral("titel");
    }
    void playlistTitel()
    {
        QFETCH(QString, eintrag);
        QFETCH(QString, titel);
        QCOMPARE(klang::player::playlistTitel(eintrag), titel);
    }

    // The playlist lookup continues after its last hit, marks without moving the focus, and a
    // miss is silent; it shares its position with the quick search.
    void playlistTitelSuchen()
    {
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("Queen"), QStringLiteral("Song - 1984")));
        t.zeile(satz(QStringLiteral("Nena"), QStringLiteral("Blau")));
        t.zeile(satz(QStringLiteral("Trio"), QStringLiteral("SONG - 1984 (live)")));
        Suchposition pos;
        Ordner o;
        Suchtreffer r = suchenPlaylistTitel(t, sichtUeber(t, o), QStringLiteral("Song - 1984 - 5.mp3"), pos);
        QCOMPARE(r.zeile, 0);
        QVERIFY(!r.fokusVerschieben);
        QCOMPARE(r.markierung.detailFeld, 2);
        r = suchenPlaylistTitel(t, sichtUeber(t, o), QStringLiteral("Song - 1984.mp3"), pos);
        QCOMPARE(r.zeile, 2);
        r = suchenPlaylistTitel(t, sichtUeber(t, o), QStringLiteral("Song - 1984.mp3"), pos);
        QVERIFY(!r.gefunden);
        QVERIFY(!r.tonSpielen);
        QCOMPARE(r.farbe, SuchfeldFehlanzeige);
        QCOMPARE(pos.SuchStartZeile, 1);
        // The quick search picks up where the lookup left off when the text is the same.
        r = suchenPlaylistTitel(t, sichtUeber(t, o), QStringLiteral("Blau.mp3"), pos);
        QCOMPARE(r.zeile, 1);
        QCOMPARE(suchen(t, sichtUeber(t, o), QStringLiteral("blau"), pos).gefunden, false);
    }

    // The lookup at a track start stays in the playing record's row: a title other records hold
    // earlier or later never moves the catalogue, a title missing there is a silent miss.
    void playlistTitelInZeile_data()
    {
        QTest::addColumn<int>("zeile");
        QTest::addColumn<QString>("eintrag");
        QTest::addColumn<bool>("gefunden");
        QTest::addColumn<int>("naechsteStartZeile");
        QTest::newRow("gemeinsames Wort") << 1 << "Rock - 4.mp3" << true << 3;
        QTest::newRow("letzte Zeile") << 2 << "Rock.mp3" << true << 4;
        QTest::newRow("nur woanders") << 1 << "Blau.mp3" << false << 1;
        QTest::newRow("Zeile fehlt") << 7 << "Rock.mp3" << false << 1;
    }
    void playlistTitelInZeile()
    {
        QFETCH(int, zeile);
        QFETCH(QString, eintrag);
        QFETCH(bool, gefunden);
        QFETCH(int, naechsteStartZeile);
        Tabelle t(kSpalten);
        t.zeile(satz(QStringLiteral("Nena"), QStringLiteral("Blau"), {{QStringLiteral("Stil"), QStringLiteral("Rock")}}));
        t.zeile(satz(QStringLiteral("Queen"), QStringLiteral("Jazz"), {{QStringLiteral("Stil"), QStringLiteral("Rock")}}));
        t.zeile(satz(QStringLiteral("Trio"), QStringLiteral("Da da da"), {{QStringLiteral("Stil"), QStringLiteral("Rock")}}));
        Suchposition pos;
        pos.SuchStartZeile = 1;
        Ordner o;
        const Suchtreffer r = suchenPlaylistTitelInZeile(t, sichtUeber(t, o), eintrag, zeile, pos);
        QVERIFY(r.gesucht);
        QCOMPARE(r.gefunden, gefunden);
        QVERIFY(!r.fokusVerschieben);
        QVERIFY(!r.tonSpielen);
        if (gefunden)
            QCOMPARE(r.zeile, zeile);
        QCOMPARE(pos.SuchStartZeile, naechsteStartZeile);
    }

    // Locating what plays: the record whose music folder holds the playing file.
    void aktuelleCD_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("art");
        QTest::addColumn<int>("zeile");
        QTest::addColumn<int>("oben");
        QTest::addColumn<int>("track");
        const QString p = QStringLiteral("playing:  ");
        QTest::newRow("spielt") << p + QStringLiteral("/m/AB/02 Zwei.mp3") << int(Wiedergabeort::Anzeigen) << 2 << 2 << 1;
        QTest::newRow("Ordner ohne Trenner") << p + QStringLiteral("/m/A/01 Eins.mp3") << int(Wiedergabeort::Anzeigen) << 1
                                             << 1 << -1;
        QTest::newRow("letzte Zeile") << p + QStringLiteral("/m/Z/x.mp3") << int(Wiedergabeort::Anzeigen) << 4 << -1 << -1;
        QTest::newRow("unbekannt") << p + QStringLiteral("/n/x.mp3") << int(Wiedergabeort::Anzeigen) << -1 << -1 << -1;
        QTest::newRow("Pause") << QStringLiteral("Pause") << int(Wiedergabeort::PauseBeenden) << -1 << -1 << -1;
        QTest::newRow("no play") << QStringLiteral("no play") << int(Wiedergabeort::Nichts) << -1 << -1 << -1;
        QTest::newRow("Gross-Kleinschreibung") << p + QStringLiteral("/M/AB/02 Zwei.mp3") << int(Wiedergabeort::Anzeigen)
                                               << -1 << -1 << -1;
    }
    void aktuelleCD()
    {
        QFETCH(QString, status);
        QFETCH(int, art);
        QFETCH(int, zeile);
        QFETCH(int, oben);
        QFETCH(int, track);
        Tabelle t({QStringLiteral("Band"), QStringLiteral("Musikpfad")});
        t.zeile({{QStringLiteral("Band"), QStringLiteral("Ohne Ordner")}, {QStringLiteral("Musikpfad"), QString()}});
        t.zeile({{QStringLiteral("Band"), QStringLiteral("A ohne Trenner")}, {QStringLiteral("Musikpfad"), QStringLiteral("/m/A")}});
        t.zeile({{QStringLiteral("Band"), QStringLiteral("AB")}, {QStringLiteral("Musikpfad"), QStringLiteral("/m/AB/")}});
        t.zeile({{QStringLiteral("Band"), QStringLiteral("A")}, {QStringLiteral("Musikpfad"), QStringLiteral("/m/A/")}});
        t.zeile({{QStringLiteral("Band"), QStringLiteral("Z")}, {QStringLiteral("Musikpfad"), QStringLiteral("/m/Z/")}});
        Ordner o;
        o.dateien.insert(QStringLiteral("/m/AB/"), {QStringLiteral("01 Eins.mp3"), QStringLiteral("02 Zwei.mp3")});
        o.dateien.insert(QStringLiteral("/m/A/"), {QStringLiteral("01 Eins.mp3"), QStringLiteral("01 Eins (Demo).mp3")});
        const Wiedergabeort ort = aktuelleCDanzeigen(t, status, status, false, {}, -1, o.liste(), {});
        QCOMPARE(int(ort.art), art);
        QCOMPARE(ort.zeile, zeile);
        QCOMPARE(ort.obersteZeile, oben);
        QCOMPARE(ort.track, track);
    }

    // In playlist mode the playing item is found by its file name; the selected item stays
    // when it is the one playing, even if the same file is listed earlier.
    void aktuelleCDPlaylist()
    {
        Tabelle t({QStringLiteral("Musikpfad"), QStringLiteral("Band")});
        t.zeile({{QStringLiteral("Musikpfad"), QStringLiteral("/m/A/")}});
        const QStringList items = {QStringLiteral("x.mp3"), QStringLiteral("y.mp3"), QStringLiteral("x.mp3")};
        const QString laeuft = QStringLiteral("/m/A/x.mp3");
        const QString status = QStringLiteral("playing:  ") + laeuft;
        Ordner o;
        Wiedergabeort ort = aktuelleCDanzeigen(t, status, laeuft, true, items, 2, o.liste(), {});
        QCOMPARE(ort.zeile, 0);
        QCOMPARE(ort.playlistEintrag, 2);
        ort = aktuelleCDanzeigen(t, status, laeuft, true, items, 1, o.liste(), {});
        QCOMPARE(ort.playlistEintrag, 0);
        ort = aktuelleCDanzeigen(t, status, laeuft, false, items, 1, o.liste(), {});
        QCOMPARE(ort.playlistEintrag, -1);
    }

    // The rows found in one pass over the columns (engine for plain fields, the plain-text
    // scanner for rich text) are exactly those a row-by-row look at the cells finds: wildcard
    // characters are literal, case and umlauts fold alike, formatting inside a word or a
    // plain text stored in a rich-text field does not hide a hit.
    void zeilenMitWieZeileFuerZeile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ab");
        for (const char* t : {"rock", "quarzwerk", "[x]", "*", "?", "#1", "50%", "_", "ärger", "ÄRGER", "mädchen",
                              "\\", "{", "zzzqqq", "a", "Zeile zwei", "quotes\"", "KOBOLD", "xyzlophon"}) {
            QTest::newRow(t) << QString::fromUtf8(t) << 0;
        }
        QTest::newRow("von Zeile 700") << QStringLiteral("e") << 700;
        QTest::newRow("hinter dem Ende") << QStringLiteral("e") << 5000;
        // The table is read in parts by rowid: gaps and far-apart rowids change nothing.
        QTest::newRow("rowid gaps") << QStringLiteral("ärger") << 0;
        QTest::newRow("rowid gaps, from row 300") << QStringLiteral("e") << 300;
    }
    void zeilenMitWieZeileFuerZeile()
    {
        QFETCH(QString, text);
        QFETCH(int, ab);
        klang::test::TestEnvironment env;
        const QString datei = env.root() + QStringLiteral("/k.mdb");
        klang::test::CatalogueSpec spec;
        spec.records = 1200;
        QVERIFY(klang::test::writeCatalogue(datei, spec));
        QVERIFY(klang::test::insertCatalogueRecords(
            datei,
            {satz(QStringLiteral("Fett"), QStringLiteral("Mitte"),
                  {{QStringLiteral("InfoTab"), QStringLiteral("{\\rtf1\\ansi Quarz{\\b WERK} und M\\'e4dchen}")}}),
             satz(QStringLiteral("Zeichen"), QStringLiteral("50% * [x] #1 _ \\ { quotes\""), {}),
             satz(QStringLiteral("Ärger"), QString(), {{QStringLiteral("SonstigesTab"), QStringLiteral("Zeile eins\r\nZeile zwei")}}),
             satz(QStringLiteral("Leer"), QString(), {{QStringLiteral("Songs"), QVariant()}}),
             // Letters that only escapes spell.
             satz(QStringLiteral("Escapes"), QString(),
                  {{QStringLiteral("Songs"), QStringLiteral("{\\rtf1\\ansi Gl\\'fcht \\'4bobold}")},
                   {QStringLiteral("InfoTab"), QStringLiteral("{\\rtf1\\ansi\\uc1 Xy\\u122?lophon}")}})}));
        klang::jet::Database db;
        QVERIFY(db.open(datei));
        if (QByteArray(QTest::currentDataTag()).startsWith("rowid gaps")) {
            QVERIFY(db.executeBound(QStringLiteral("DELETE FROM Schallplatten WHERE rowid BETWEEN 100 AND 700")) > 0);
            QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET rowid = rowid * 9000 WHERE rowid > 900")) > 0);
        }
        klang::jet::Recordset rs;
        QVERIFY(rs.open(&db, QStringLiteral("select * from Schallplatten order by Band desc")));
        RecordsetZeilen zeilen(rs, kSpalten + QStringList{QStringLiteral("Info"), QStringLiteral("Unbekannt")});
        const QList<int> erwartet = zeilen.Zeilenquelle::zeilenMit(text, ab);
        QCOMPARE(zeilen.zeilenMit(text, ab), erwartet);
        if (text == QLatin1String("quarzwerk") || text == QLatin1String("[x]") || text == QLatin1String("Zeile zwei")
            || text == QLatin1String("KOBOLD") || text == QLatin1String("xyzlophon"))
            QCOMPARE(erwartet.size(), 1);
    }

    // On a generated catalogue of 20,000 records a miss over every row (rich text converted to
    // plain text cell by cell) stays quick, and a hit deep in the table is found.
    void grosserKatalog()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.root() + QStringLiteral("/gross.mdb");
        klang::test::CatalogueSpec spec;
        spec.records = 20000;
        QVERIFY(klang::test::writeCatalogue(datei, spec));
        QVERIFY(klang::test::insertCatalogueRecords(
            datei, {{{QStringLiteral("Band"), QStringLiteral("Zyxwv")},
                     {QStringLiteral("LPTitel"), QStringLiteral("Quaxlmädchen")},
                     {QStringLiteral("InfoTab"), rtfDocument({QStringLiteral("Quaxlmädchen im Info")})}}}));
        klang::jet::Database db;
        QVERIFY(db.open(datei));
        klang::jet::Recordset rs;
        QVERIFY(rs.open(&db, QStringLiteral("select * from Schallplatten order by Band, LPTitel")));
        RecordsetZeilen zeilen(rs);
        QCOMPARE(zeilen.zeilenAnzahl(), 20001);
        const Sichtquelle sicht = [&zeilen](int z) { return standardSicht(zeilen, z); };

        QElapsedTimer uhr;
        uhr.start();
        Suchposition pos;
        Suchtreffer r = suchen(zeilen, sicht, QStringLiteral("gibt es nicht"), pos);
        QVERIFY(!r.gefunden);
        qInfo("Fehlanzeige ueber 20000 Zeilen: %lld ms", qint64(uhr.elapsed()));
        QVERIFY(uhr.elapsed() < 20000);

        r = suchen(zeilen, sicht, QStringLiteral("QUAXLMÄDCHEN"), pos);
        QVERIFY(r.gefunden);
        QCOMPARE(zeilen.feld(r.zeile, QStringLiteral("Band")), QStringLiteral("Zyxwv"));
        QCOMPARE(r.markierung.infoStart, 0);
        QCOMPARE(r.markierung.tab, 3);
    }
};

QTEST_GUILESS_MAIN(TestSchnellsuche)
#include "tst_schnellsuche.moc"
