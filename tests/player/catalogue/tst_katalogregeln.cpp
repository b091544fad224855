// Rules of the catalogue that need no window: views, recent list, column set, start-up choices.

#include "player/catalogue/Felder.h"
#include "player/catalogue/Fensterlayout.h"
#include "player/catalogue/Ordnerliste.h"
#include "player/catalogue/Spaltensatz.h"
#include "player/catalogue/Start.h"
#include "platform/shell/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace klang::player;

namespace {
void schreiben(const QString& pfad, const QByteArray& inhalt)
{
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}

QStringList zehn(std::initializer_list<const char*> eintraege)
{
    QStringList l;
    for (const char* e : eintraege)
        l << QString::fromUtf8(e);
    while (l.size() < 10)
        l << QString();
    return l;
}
} // namespace

class KatalogRegelnTest : public QObject
{
    Q_OBJECT
private slots:
    // Letter and rating buttons give the stored Jet views, umlaut companions included.
    void buchstabenFilter_data()
    {
        QTest::addColumn<QString>("spalte");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("sql");
        QTest::newRow("A pairs ä") << "Band" << 0
            << "select * from Schallplatten where Band like 'a*' or Band like 'ä*' order by Band, LPTitel";
        QTest::newRow("B alone") << "Band" << 1
            << "select * from Schallplatten where Band like 'b*' order by Band, LPTitel";
        QTest::newRow("O pairs ö") << "Stil" << 14
            << "select * from Schallplatten where Stil like 'o*' or Stil like 'ö*' order by Band, LPTitel";
        QTest::newRow("S pairs ß") << "LPTitel" << 18
            << "select * from Schallplatten where LPTitel like 's*' or LPTitel like 'ß*' order by Band, LPTitel";
        QTest::newRow("U pairs ü") << "Band" << 20
            << "select * from Schallplatten where Band like 'u*' or Band like 'ü*' order by Band, LPTitel";
        QTest::newRow("Z") << "Band" << 25
            << "select * from Schallplatten where Band like 'z*' order by Band, LPTitel";
        QTest::newRow("rating 1 ignores column") << "Stil" << 26
            << "select * from Schallplatten where Bewertung like '1' order by Band, LPTitel";
        QTest::newRow("rating 6") << "Band" << 31
            << "select * from Schallplatten where Bewertung like '6' order by Band, LPTitel";
        QTest::newRow("unknown column") << "Band; drop table x" << 1 << QString();
        QTest::newRow("index out of range") << "Band" << 32 << QString();
    }
    void buchstabenFilter()
    {
        QFETCH(QString, spalte);
        QFETCH(int, index);
        QFETCH(QString, sql);
        QCOMPARE(klang::player::buchstabenFilter(spalte, index), sql);
    }

    // A header sort names only one of the 18 text fields, never anything else.
    void sortierAbfrage()
    {
        QCOMPARE(klang::player::sortierAbfrage(QStringLiteral("Stil"), true),
                 QStringLiteral("select * from Schallplatten order by Stil ASC"));
        QCOMPARE(klang::player::sortierAbfrage(QStringLiteral("LPTitel"), false),
                 QStringLiteral("select * from Schallplatten order by LPTitel DESC"));
        QVERIFY(klang::player::sortierAbfrage(QStringLiteral("Bilder"), true).isEmpty());
        QVERIFY(klang::player::sortierAbfrage(QStringLiteral("Band; --"), true).isEmpty());
    }

    // An older catalogue is told which of the 19 fields it lacks (case does not matter).
    void fehlendeFelder()
    {
        QStringList alt = alleFelder().mid(0, 10);
        alt << QStringLiteral("Bilder") << QStringLiteral("bildpfad");
        const QStringList fehlend = klang::player::fehlendeFelder(alt);
        QCOMPARE(fehlend, (QStringList{"Musikpfad", "SongText", "eBook", "Bewertung",
                                       "InternetTab", "InfoTab", "SonstigesTab"}));
        QVERIFY(klang::player::fehlendeFelder(alleFelder()).isEmpty());
    }

    // The recent list: moves to the top, no duplicates, ten entries, gaps closed.
    void ordnerMenuPfad_data()
    {
        QTest::addColumn<QStringList>("vorher");
        QTest::addColumn<QString>("neu");
        QTest::addColumn<QStringList>("nachher");
        QTest::newRow("first") << zehn({}) << "/a.mdb" << zehn({"/a.mdb"});
        QTest::newRow("entry 3 to top")
            << zehn({"0", "1", "2", "3", "4"}) << "3" << zehn({"3", "0", "1", "2", "4"});
        QTest::newRow("eleventh drops oldest")
            << zehn({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}) << "X"
            << zehn({"X", "0", "1", "2", "3", "4", "5", "6", "7", "8"});
        QTest::newRow("gaps 2 and 5 closed")
            << zehn({"0", "1", "", "3", "4", "", "6", "7", "8", "9"}) << "X"
            << zehn({"X", "0", "1", "3", "4", "6", "7", "8", "9", ""});
        QTest::newRow("two empties in a row keep one")
            << zehn({"0", "", "", "3", "4", "5", "6", "7", "8", "9"}) << "X"
            << zehn({"X", "0", "", "3", "4", "5", "6", "7", "8", "9"});
        QTest::newRow("path with ampersand") << zehn({"/a.mdb"}) << "/R&B.mdb" << zehn({"/R&B.mdb", "/a.mdb"});
    }
    void ordnerMenuPfad()
    {
        QFETCH(QStringList, vorher);
        QFETCH(QString, neu);
        QFETCH(QStringList, nachher);
        QCOMPARE(klang::player::ordnerMenuPfad(vorher, neu), nachher);
    }

    // Column set applied to the grid: order, widths by position and hidden positions.
    void tabelleAnordnen_data()
    {
        QTest::addColumn<QStringList>("satz");
        QTest::addColumn<bool>("nichtSortieren");
        QTest::addColumn<QStringList>("kopfAnfang");
        QTest::addColumn<QList<int>>("breitenAnfang");
        Tabellenbild dummy;
        QStringList standard;
        for (int k = 0; k < 18; ++k)
            standard << standardSpaltenEintrag(k);
        QTest::newRow("defaults") << standard << false
            << QStringList{"Band", "LPTitel", "Medium"} << QList<int>{1000, 1200, 1000};
        QStringList vertauscht = standard;
        vertauscht[0] = QStringLiteral("Stil1");
        vertauscht[3] = QStringLiteral("Band0");
        QTest::newRow("Stil first, Band hidden at 3") << vertauscht << false
            << QStringList{"Stil", "LPTitel", "Medium", "Band"} << QList<int>{1000, 1200, 1000, 0};
        QStringList unbekannt = standard;
        unbekannt[0] = QStringLiteral("band1"); // differs in case: moves nothing
        QTest::newRow("name matching no header") << unbekannt << false
            << QStringList{"Band", "LPTitel"} << QList<int>{1000, 1200};
        QStringList doppelt = standard;
        doppelt[1] = QStringLiteral("Band1"); // Band already placed by key 0
        QTest::newRow("duplicate keeps first") << doppelt << false
            << QStringList{"Band", "LPTitel"} << QList<int>{1000, 1200};
        QTest::newRow("not sorting keeps order") << vertauscht << true
            << QStringList{"Band", "LPTitel", "Medium", "Stil"} << QList<int>{1000, 1200, 1000, 0};
    }
    void tabelleAnordnen()
    {
        QFETCH(QStringList, satz);
        QFETCH(bool, nichtSortieren);
        QFETCH(QStringList, kopfAnfang);
        QFETCH(QList<int>, breitenAnfang);
        Tabellenbild jetzt;
        jetzt.kopf = textFelder();
        jetzt.breite = QList<int>(18, 1000);
        jetzt.breite[1] = 1200;
        jetzt.breite[2] = 0; // a shown position stored as 0 gets 1000
        const Tabellenbild neu = klang::player::tabelleAnordnen(jetzt, satz, nichtSortieren);
        QCOMPARE(neu.kopf.mid(0, kopfAnfang.size()), kopfAnfang);
        QCOMPARE(neu.breite.mid(0, breitenAnfang.size()), breitenAnfang);
        QCOMPARE(neu.kopf.size(), 18);
    }

    // Columns beyond the 18 keep their place and width.
    void tabelleAnordnenZusatzspalten()
    {
        Tabellenbild jetzt;
        jetzt.kopf = textFelder();
        jetzt.kopf << QStringLiteral("Extra");
        jetzt.breite = QList<int>(19, 1000);
        jetzt.breite[18] = 777;
        QStringList satz;
        for (int k = 0; k < 18; ++k)
            satz << standardSpaltenEintrag(17 - k);
        const Tabellenbild neu = klang::player::tabelleAnordnen(jetzt, satz, false);
        QCOMPARE(neu.kopf.first(), QStringLiteral("SonstigesTab"));
        QCOMPARE(neu.kopf.at(18), QStringLiteral("Extra"));
        QCOMPARE(neu.breite.at(18), 777);
    }

    // Width setting texts: 0 means 1000, letters leave the width alone.
    void spaltenbreite_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("breite");
        QTest::newRow("number") << "1500" << 1500;
        QTest::newRow("zero") << "0" << 1000;
        QTest::newRow("letters") << "abc" << 555;
        QTest::newRow("negative") << "-5" << 555;
    }
    void spaltenbreite()
    {
        QFETCH(QString, text);
        QFETCH(int, breite);
        QCOMPARE(spaltenbreiteAusText(text, 555), breite);
    }

    // The dialog's lists from the stored set and back.
    void spaltenVerteilen()
    {
        QStringList satz;
        for (int k = 0; k < 18; ++k)
            satz << standardSpaltenEintrag(k);
        satz[2] = QStringLiteral("Medium0");
        satz[5] = QStringLiteral("Ohneflag");
        QStringList sichtbar, versteckt;
        klang::player::spaltenVerteilen(satz, sichtbar, versteckt);
        QCOMPARE(versteckt, QStringList{"Medium"});
        QCOMPARE(sichtbar.size(), 17);
        QCOMPARE(sichtbar.at(4), QStringLiteral("Ohneflag"));
        const QStringList zurueck = spaltensatzAusListen(sichtbar, versteckt);
        QCOMPARE(zurueck.at(4), QStringLiteral("Ohneflag1"));
        QCOMPARE(zurueck.last(), QStringLiteral("Medium0"));
        QCOMPARE(spaltensatzAusListen(defaultSichtbar(), defaultVersteckt()).size(), 18);
    }

    // The command line's waiting time is clamped; any text still starts shuffled play.
    void kommandozeile_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<bool>("vorhanden");
        QTest::addColumn<int>("sekunden");
        QTest::newRow("none") << QStringList{} << false << 0;
        QTest::newRow("5") << QStringList{"5"} << true << 5;
        QTest::newRow("quoted 5") << QStringList{"\"5\""} << true << 5;
        QTest::newRow("letters") << QStringList{"abc"} << true << 0;
        QTest::newRow("negative") << QStringList{"-5"} << true << 0;
        QTest::newRow("huge") << QStringList{"99999999999"} << true << 3600;
        QTest::newRow("fraction") << QStringList{"2.6"} << true << 3;
    }
    void kommandozeile()
    {
        QFETCH(QStringList, argumente);
        QFETCH(bool, vorhanden);
        QFETCH(int, sekunden);
        const Kommandozeile k = kommandozeileAuswerten(argumente);
        QCOMPARE(k.vorhanden, vorhanden);
        QCOMPARE(k.sekunden, sekunden);
    }

    // Which catalogue start-up opens, and what it stores.
    void datenbankPfad()
    {
        klang::test::TestEnvironment env;
        const QString programm = env.path(QStringLiteral("prog")) + QLatin1Char('/');
        QDir().mkpath(programm);
        const QString leer = programm + QStringLiteral("Archiv_leer.mdb");
        schreiben(leer, "x"); // seeded at start

        DatenbankWahl w = datenbankPfadAufloesen(QString(), programm);
        QCOMPARE(w.pfad, leer);
        QVERIFY(w.speichern);

        schreiben(programm + QStringLiteral("PfadErststart.txt"), "\r\n");
        w = datenbankPfadAufloesen(QString(), programm);
        QCOMPARE(w.pfad, leer); // an empty first line is no path
        QVERIFY(w.speichern);

        schreiben(programm + QStringLiteral("PfadErststart.txt"), "/daten/Archiv.mdb\r\nzweite\r\n");
        w = datenbankPfadAufloesen(QString(), programm);
        QCOMPARE(w.pfad, QStringLiteral("/daten/Archiv.mdb"));
        QVERIFY(w.speichern);

        const QString vorhanden = programm + QStringLiteral("Meins.mdb");
        schreiben(vorhanden, "x");
        w = datenbankPfadAufloesen(vorhanden, programm);
        QCOMPARE(w.pfad, vorhanden);
        QVERIFY(!w.speichern);

        w = datenbankPfadAufloesen(programm + QStringLiteral("weg.mdb"), programm);
        QCOMPARE(w.pfad, leer); // this run only: the stored path stays
        QVERIFY(!w.speichern);

        // A program folder that could not be seeded: the installed empty catalogue, never stored.
        QVERIFY(QFile::remove(leer));
        QVERIFY(QFile::remove(programm + QStringLiteral("PfadErststart.txt")));
        w = datenbankPfadAufloesen(QString(), programm);
        QCOMPARE(w.pfad, klang::resourceDir() + QStringLiteral("Archiv_leer.mdb"));
        QVERIFY(!w.speichern);
    }

    // Bez.ini: empty lines keep the caption, lines beyond the 14th are ignored, cp1252 and CRLF.
    void bezLaden()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("db")) + QStringLiteral("/Bez.ini");
        QByteArray inhalt = "A\r\n\r\nC\xe4\r\n";
        for (int i = 3; i < 16; ++i)
            inhalt += "Zeile" + QByteArray::number(i) + "\r\n";
        schreiben(datei, inhalt);
        const QMap<int, QString> bez = klang::player::bezLaden(datei);
        QCOMPARE(bez.value(0), QStringLiteral("A"));
        QVERIFY(!bez.contains(1));
        QCOMPARE(bez.value(2), QStringLiteral("Cä"));
        QCOMPARE(bez.value(13), QStringLiteral("Zeile13"));
        QVERIFY(!bez.contains(14));
        QVERIFY(klang::player::bezLaden(datei + QStringLiteral(".fehlt")).isEmpty());
    }

    // The track list of a music folder: normal files only, label with the count.
    void trackListe()
    {
        klang::test::TestEnvironment env;
        const QString programm = env.path(QStringLiteral("prog")) + QLatin1Char('/');
        const QString musik = env.path(QStringLiteral("musik")) + QLatin1Char('/');
        for (int i = 0; i < 12; ++i)
            schreiben(musik + QStringLiteral("%1 - Titel.mp3").arg(i, 2, 10, QLatin1Char('0')), "x");
        schreiben(musik + QStringLiteral(".versteckt.mp3"), "x");
        QDir().mkpath(musik + QStringLiteral("Unterordner"));

        TrackListe t = trackListeFuer(musik, programm);
        QCOMPARE(t.dateien.size(), 12);
        QVERIFY(t.aktiv);
        QCOMPARE(t.label, QStringLiteral("Tracks & Movies 12"));
        QCOMPARE(t.ordner, musik);

        t = trackListeFuer(musik.chopped(1), programm); // no trailing separator
        QVERIFY(!t.aktiv);
        QVERIFY(t.labelAendern);
        QCOMPARE(t.label, QStringLiteral("Tracks & Movies "));
        QCOMPARE(t.ordner, programm + QStringLiteral("Leer"));

        t = trackListeFuer(QStringLiteral("/"), programm); // one character: label unchanged
        QVERIFY(!t.aktiv);
        QVERIFY(!t.labelAendern);
    }

    // The main window's stored place is made usable: a visible one stays, one on no screen
    // moves onto the nearest, a width of -5 or a height of 1 is clamped to the minimum, a wild
    // width to the screens.
    void hauptfensterLage_data()
    {
        QTest::addColumn<QRect>("gespeichert");
        QTest::addColumn<QRect>("erwartet");
        QTest::newRow("sichtbar") << QRect(100, 100, 800, 600) << QRect(100, 100, 800, 600);
        QTest::newRow("auf keinem Bildschirm") << QRect(5000, 3000, 800, 600) << QRect(1120, 480, 800, 600);
        QTest::newRow("Breite -5") << QRect(100, 100, -5, 600) << QRect(100, 100, 640, 600);
        QTest::newRow("Breite 0, Höhe 1") << QRect(0, 0, 0, 1) << QRect(0, 0, 640, 480);
        QTest::newRow("auf keinem, zu klein") << QRect(-3000, 100, -5, -5) << QRect(0, 100, 640, 480);
        QTest::newRow("riesig") << QRect(0, 0, 143165576, 900000) << QRect(0, 0, 1920, 1080);
    }
    void hauptfensterLage()
    {
        QFETCH(QRect, gespeichert);
        QFETCH(QRect, erwartet);
        const QList<QRect> schirme{QRect(0, 0, 1920, 1080)};
        QCOMPARE(klang::player::hauptfensterLage(gespeichert, schirme), erwartet);
    }
};

QTEST_GUILESS_MAIN(KatalogRegelnTest)
#include "tst_katalogregeln.moc"
