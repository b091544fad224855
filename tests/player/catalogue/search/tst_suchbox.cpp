// The rules of the search dialog: interlocks of the boxes, the job that OK builds, the
// statements it holds, and the checks that keep a replace away from rich text and styles.

#include "player/catalogue/search/SuchboxModell.h"
#include "platform/textfiles/LineFile.h"
#include "tests/support/TestEnvironment.h"

#include <QTest>

using namespace klang::player;
using Modell = SuchboxModell;

namespace {

// Unticks "Alle" and ticks the given boxes, as a user clicks them.
void waehle(Modell& m, const QList<int>& boxen)
{
    m.setAlle(false);
    for (int k : boxen)
        m.spalteKlicken(k);
}

} // namespace

class TestSuchbox : public QObject
{
    Q_OBJECT

private slots:
    // The dialog opens with "Alle" on and every column greyed; a click on a greyed box while
    // "Alle" is on changes nothing.
    void startzustand()
    {
        Modell m;
        QVERIFY(m.alle());
        for (int k = 0; k < SuchspaltenAnzahl; ++k)
            QCOMPARE(m.spalte(k), int(Modell::Grau));
        QVERIFY(!m.bewertungSong());
        QVERIFY(m.ersetzenGesperrt());
        m.spalteKlicken(3);
        QCOMPARE(m.spalte(3), int(Modell::Grau));
        QVERIFY(m.sortierFeld().isEmpty());
        m.setAlle(false);
        for (int k = 0; k < SuchspaltenAnzahl; ++k)
            QCOMPARE(m.spalte(k), int(Modell::Aus));
        QCOMPARE(m.sortierFeld(), QStringLiteral("Bewertung")); // the last box unticked
    }

    // The statements of OK for the dialog's typical choices.
    void suchSql_data()
    {
        QTest::addColumn<QList<int>>("boxen");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sql");
        QTest::newRow("Titel") << QList<int>{1} << QStringLiteral("Best")
                               << QStringLiteral("select * from Schallplatten where LPTitel like '*Best*' order by LPTitel");
        QTest::newRow("Band und Medium")
            << QList<int>{0, 2} << QStringLiteral("Live")
            << QStringLiteral("select * from Schallplatten where Band like '*Live*' or Medium like '*Live*' order by Band");
        QTest::newRow("Songs mit Umlaut")
            << QList<int>{6} << QStringLiteral("Für")
            << QStringLiteral("select * from Schallplatten where Songs like '*F\\?fcr*' order by Band");
        QTest::newRow("Umlaut nur im Songs-Term")
            << QList<int>{6, 7} << QStringLiteral("Für")
            << QStringLiteral("select * from Schallplatten where Songs like '*F\\?fcr*' or Datum like '*Für*' order by Band");
        QTest::newRow("Komma ohne Stil bleibt Text")
            << QList<int>{0} << QStringLiteral("Smith, John")
            << QStringLiteral("select * from Schallplatten where Band like '*Smith, John*' order by Band");
        QTest::newRow("Komma mit Stil und Band bleibt Text")
            << QList<int>{0, 4} << QStringLiteral("Rock, Pop")
            << QStringLiteral("select * from Schallplatten where Band like '*Rock, Pop*' or Stil like '*Rock, Pop*' order by Band");
        QTest::newRow("Apostroph")
            << QList<int>{0} << QStringLiteral("O'Brien")
            << QStringLiteral("select * from Schallplatten where Band like '*O''Brien*' order by Band");
        QTest::newRow("Text wird getrimmt")
            << QList<int>{5} << QStringLiteral("  50%  ")
            << QStringLiteral("select * from Schallplatten where Info like '*50%*' order by Info");
    }
    void suchSql()
    {
        QFETCH(QList<int>, boxen);
        QFETCH(QString, text);
        QFETCH(QString, sql);
        Modell m;
        waehle(m, boxen);
        m.setSuchtext(text);
        const auto job = m.ok();
        QVERIFY(job.has_value());
        QCOMPARE(job->SuchSQL, sql);
        QCOMPARE(job->TabellenName, text);
        QVERIFY(job->SuchText.isEmpty());
        QVERIFY(job->SuchSpalten.isEmpty());
        QVERIFY(!job->SongSucheAktiv);
    }

    // "Alle" searches the 13 fields, ordered by band.
    void alleSpalten()
    {
        Modell m;
        m.setSuchtext(QStringLiteral("x"));
        const auto job = m.ok();
        QVERIFY(job.has_value());
        QVERIFY(job->SuchSQL.startsWith(QStringLiteral("select * from Schallplatten where Band like '*x*' or LPTitel like")));
        QCOMPARE(job->SuchSQL.count(QStringLiteral(" like ")), 13);
        QVERIFY(job->SuchSQL.endsWith(QStringLiteral("Bewertung like '*x*' order by Band")));
    }

    // Picking styles ticks Stil alone and makes alternatives; empty pieces are dropped.
    void stilliste()
    {
        Modell m;
        m.spalteKlicken(0);
        m.stilWaehlen(QStringLiteral("Rock"));
        m.stilWaehlen(QStringLiteral("Pop"));
        QVERIFY(!m.alle());
        for (int k = 0; k < SuchspaltenAnzahl; ++k)
            QCOMPARE(m.spalte(k), k == SuchspalteStil ? int(Modell::An) : int(Modell::Aus));
        QCOMPARE(m.suchtext(), QStringLiteral("Rock, Pop"));
        auto job = m.ok();
        QVERIFY(job.has_value());
        QCOMPARE(job->SuchSQL,
                 QStringLiteral("select * from Schallplatten where Stil like '*Rock*' or Stil like '*Pop*' order by Band"));
        m.setSuchtext(QStringLiteral("Rock, , Jazz"));
        job = m.ok();
        QCOMPARE(job->SuchSQL,
                 QStringLiteral("select * from Schallplatten where Stil like '*Rock*' or Stil like '*Jazz*' order by Band"));
    }

    // Song rating with a star: the job asks for a song search with that mark.
    void songBewertung_data()
    {
        QTest::addColumn<int>("stern");
        QTest::addColumn<QString>("marke");
        QTest::newRow("vier") << 4 << QStringLiteral(" - 4.");
        QTest::newRow("ohne Stern") << 0 << QStringLiteral(" - 0.");
    }
    void songBewertung()
    {
        QFETCH(int, stern);
        QFETCH(QString, marke);
        Modell m;
        m.bewertungSongKlicken();
        QVERIFY(!m.alle());
        QCOMPARE(m.spalte(SuchspalteSongs), int(Modell::An));
        QCOMPARE(m.suchtext(), QStringLiteral(" - 1."));
        m.sternKlicken(stern);
        QCOMPARE(m.suchtext(), marke);
        const auto job = m.ok();
        QVERIFY(job.has_value());
        QVERIFY(job->SongSucheAktiv);
        QCOMPARE(job->SongBewertungMarke, marke);
    }

    // A song rating without a mark in the text is refused with its notice, and no job is left.
    void songBewertungOhneMarke()
    {
        Modell m;
        m.bewertungSongKlicken();
        m.setSuchtext(QStringLiteral("4"));
        QVERIFY(!m.ok().has_value());
        const auto h = m.hinweiseAbholen();
        QCOMPARE(h.size(), 1);
        QCOMPARE(h.first().titel, QStringLiteral("ungültiger Suchtext"));
        QVERIFY(h.first().text.startsWith(QStringLiteral("Wenn Sie bei \"Songs-Bewertung\" ein Häkchen setzen,\n")));
    }

    // The song rating unticked again leaves no song search in the next job.
    void songSucheNichtKlebrig()
    {
        Modell m;
        m.bewertungSongKlicken();
        m.sternKlicken(3);
        m.bewertungSongKlicken();
        QVERIFY(!m.bewertungSong());
        const auto job = m.ok();
        QVERIFY(job.has_value());
        QVERIFY(!job->SongSucheAktiv);
        QVERIFY(job->SongBewertungMarke.isEmpty());
    }

    // A CD rating star puts the digit into the text; a star without any rating box warns.
    void cdBewertung()
    {
        Modell m;
        m.sternKlicken(2);
        QCOMPARE(m.hinweiseAbholen(), (QVector<Modell::Hinweis>{Modell::hinweisSternOhneBewertung()}));
        waehle(m, {SuchspalteBewertung});
        QCOMPARE(m.suchtext(), QStringLiteral("1"));
        m.sternKlicken(5);
        QCOMPARE(m.suchtext(), QStringLiteral("5"));
        const auto job = m.ok();
        QCOMPARE(job->SuchSQL,
                 QStringLiteral("select * from Schallplatten where Bewertung like '*5*' order by Bewertung"));
    }

    // No column chosen: notice, dialog stays open.
    void keineSpalte()
    {
        Modell m;
        m.setAlle(false);
        m.setSuchtext(QStringLiteral("x"));
        QVERIFY(!m.ok().has_value());
        QCOMPARE(m.hinweiseAbholen(), (QVector<Modell::Hinweis>{Modell::hinweisKeineSpalte()}));
    }

    // Replace in one plain column: the job carries the texts and the column.
    void ersetzenTitel()
    {
        Modell m;
        waehle(m, {1});
        m.ersetzenKlicken();
        QVERIFY(!m.ersetzenGesperrt());
        m.setSuchtext(QStringLiteral("Beatles"));
        m.setErsetzenText(QStringLiteral("The Beatles"));
        const auto job = m.ok();
        QVERIFY(job.has_value());
        QCOMPARE(job->SuchSpalten, QStringLiteral("LPTitel"));
        QCOMPARE(job->SuchText, QStringLiteral("Beatles"));
        QCOMPARE(job->ErsetzenText, QStringLiteral("The Beatles"));
    }

    // However the boxes reach their final state, OK refuses a replace over "Alle", Stil or
    // Songs, unticks the offending boxes and switches replacing off; no job is handed out.
    void ersetzenVerweigert_data()
    {
        QTest::addColumn<int>("weg");
        QTest::addColumn<bool>("alleDanach");
        QTest::addColumn<QString>("titel");
        QTest::newRow("Stil danach angeklickt") << 0 << false << QStringLiteral("Bedienungshinweis");
        QTest::newRow("Songs danach angeklickt") << 1 << false << QStringLiteral("Bedienungshinweis");
        QTest::newRow("Stil aus der Liste") << 2 << false << QStringLiteral("Bedienungshinweis");
        QTest::newRow("Song-Bewertung danach") << 3 << false << QStringLiteral("Bedienungshinweis");
        QTest::newRow("Alle danach") << 4 << true << QStringLiteral("Hinweis");
    }
    void ersetzenVerweigert()
    {
        QFETCH(int, weg);
        QFETCH(bool, alleDanach);
        QFETCH(QString, titel);
        Modell m;
        waehle(m, {0});
        m.ersetzenKlicken();
        m.setSuchtext(QStringLiteral("Beatles"));
        m.setErsetzenText(QStringLiteral("The Beatles"));
        switch (weg) {
        case 0: m.spalteKlicken(SuchspalteStil); break;
        case 1: m.spalteKlicken(SuchspalteSongs); break;
        case 2: m.stilWaehlen(QStringLiteral("Rock")); break;
        case 3: m.bewertungSongKlicken(); m.sternKlicken(4); break;
        case 4: m.alleKlicken(); break;
        }
        QVERIFY(m.ersetzen());
        QCOMPARE(m.alle(), alleDanach);
        QVERIFY(!m.ok().has_value());
        const auto h = m.hinweiseAbholen();
        QCOMPARE(h.size(), 1);
        QCOMPARE(h.first().titel, titel);
        QVERIFY(!m.ersetzen());
        QVERIFY(!m.alle());
        QCOMPARE(m.spalte(SuchspalteStil), int(Modell::Aus));
        QCOMPARE(m.spalte(SuchspalteSongs), int(Modell::Aus));
    }

    // Ticking replace while "Alle", Stil or Songs is on is refused at once, as the form does.
    void ersetzenAnklickenVerweigert()
    {
        Modell m;
        m.ersetzenKlicken();
        QVERIFY(!m.ersetzen());
        QVERIFY(!m.alle());
        QCOMPARE(m.hinweiseAbholen(), (QVector<Modell::Hinweis>{Modell::hinweisErsetzenAlle()}));
        waehle(m, {SuchspalteStil, 1});
        m.ersetzenKlicken();
        QVERIFY(!m.ersetzen());
        QCOMPARE(m.spalte(SuchspalteStil), int(Modell::Aus));
        QCOMPARE(m.spalte(1), int(Modell::An));
        QCOMPARE(m.hinweiseAbholen(), (QVector<Modell::Hinweis>{Modell::hinweisErsetzenSongsStil()}));
    }

    // An empty search text with replace would prefix every cell: refused, replace stays on.
    void ersetzenOhneSuchtext()
    {
        Modell m;
        waehle(m, {0});
        m.ersetzenKlicken();
        m.setErsetzenText(QStringLiteral("x"));
        QVERIFY(!m.ok().has_value());
        QCOMPARE(m.hinweiseAbholen(), (QVector<Modell::Hinweis>{Modell::hinweisErsetzenOhneSuchtext()}));
        QVERIFY(m.ersetzen());
    }

    // The order field belongs to the box clicked last and survives into the next showing.
    void sortierFeld()
    {
        Modell m;
        waehle(m, {1, 8});
        m.spalteKlicken(8);
        QCOMPARE(m.sortierFeld(), QStringLiteral("Plattenfirma"));
        m.setSuchtext(QStringLiteral("a"));
        QCOMPARE(m.ok()->SuchSQL,
                 QStringLiteral("select * from Schallplatten where LPTitel like '*a*' order by Plattenfirma"));
        Modell naechstes(m.sortierFeld());
        QCOMPARE(naechstes.sortierFeld(), QStringLiteral("Plattenfirma"));
    }

    // The style list offers the trimmed styles that are not excluded from playing; a missing
    // file keeps the list as it was.
    void stilListen()
    {
        klang::test::TestEnvironment env;
        const QString ordner = env.root() + QLatin1Char('/');
        QStringList stile{QStringLiteral("Vorher")};
        QStringList ausschluss{QStringLiteral("alt")};
        SuchboxModell::listenLaden(ordner, stile, ausschluss);
        QCOMPARE(stile, QStringList{QStringLiteral("Vorher")});
        QCOMPARE(ausschluss, QStringList{QStringLiteral("alt")});

        QVERIFY(klang::writeLines(ordner + QStringLiteral("AusschlussAbspielliste.ini"),
                                  {QStringLiteral(" Hörspiel "), QString(), QStringLiteral("Jazz")}));
        QVERIFY(klang::writeLines(ordner + QStringLiteral("Stilrichtung.ini"),
                                  {QStringLiteral("Rock"), QStringLiteral("  Hörspiel"), QString(), QStringLiteral("jazz"),
                                   QStringLiteral("Jazz "), QStringLiteral("Pop")}));
        SuchboxModell::listenLaden(ordner, stile, ausschluss);
        QCOMPARE(ausschluss, (QStringList{QStringLiteral("Hörspiel"), QString(), QStringLiteral("Jazz")}));
        QCOMPARE(stile, (QStringList{QStringLiteral("Rock"), QStringLiteral("jazz"), QStringLiteral("Pop")}));
    }

    // The fields a replace may touch.
    void ersetzbar_data()
    {
        QTest::addColumn<QString>("feld");
        QTest::addColumn<bool>("ja");
        QTest::newRow("Band") << QStringLiteral("Band") << true;
        QTest::newRow("Bewertung") << QStringLiteral("Bewertung") << true;
        QTest::newRow("Songs") << QStringLiteral("Songs") << false;
        QTest::newRow("Stil") << QStringLiteral("Stil") << false;
        QTest::newRow("SongText") << QStringLiteral("SongText") << false;
        QTest::newRow("andere Schreibung") << QStringLiteral("band") << false;
        QTest::newRow("SQL") << QStringLiteral("Band = 1; --") << false;
    }
    void ersetzbar()
    {
        QFETCH(QString, feld);
        QFETCH(bool, ja);
        QCOMPARE(ersetzbaresFeld(feld), ja);
    }
};

QTEST_GUILESS_MAIN(TestSuchbox)
#include "tst_suchbox.moc"
