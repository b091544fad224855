// Applying search jobs on a generated catalogue of 20,000 records: the filter, the replace in
// the database (exactly the matching records, once, all or nothing), hostile texts, and the
// song search that collects rated files into "Suchliste.txt".

#include "player/catalogue/search/Songsuche.h"
#include "player/catalogue/search/Suchanwendung.h"
#include "player/catalogue/search/SuchboxModell.h"
#include "platform/jet/DataControl.h"
#include "platform/jet/JetLike.h"
#include "platform/jet/Schema.h"
#include "platform/textfiles/LineFile.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace klang::player;
using klang::jet::DataControl;
using klang::jet::Database;

namespace {

using Zeilen = QList<QVariantList>;

// Every record with its rowid, in rowid order.
Zeilen alleDatensaetze(Database& db)
{
    Zeilen zeilen;
    db.query(QStringLiteral("SELECT rowid, * FROM Schallplatten ORDER BY rowid"), {},
             [&zeilen](const QVariantList& z) {
                 zeilen << z;
                 return true;
             });
    return zeilen;
}

// The records a Jet pattern finds in any of the fields, computed without SQL.
int zaehleLike(Database& db, const QStringList& felder, const QString& muster)
{
    int n = 0;
    db.query(QStringLiteral("SELECT %1 FROM Schallplatten").arg(felder.join(QLatin1Char(','))), {},
             [&](const QVariantList& z) {
                 for (const QVariant& v : z) {
                     if (!v.isNull() && klang::jet::jetLike(v.toString(), muster)) {
                         ++n;
                         break;
                     }
                 }
                 return true;
             });
    return n;
}

QVariantMap satz(const QString& band, const QString& titel, const QVariantMap& mehr = {})
{
    QVariantMap m{{QStringLiteral("Band"), band}, {QStringLiteral("LPTitel"), titel}, {QStringLiteral("Stil"), QStringLiteral("Rock")}};
    for (auto it = mehr.begin(); it != mehr.end(); ++it)
        m.insert(it.key(), it.value());
    return m;
}

Suchauftrag ersetzAuftrag(const QList<int>& boxen, const QString& such, const QString& ersatz)
{
    SuchboxModell m;
    m.setAlle(false);
    for (int k : boxen)
        m.spalteKlicken(k);
    m.ersetzenKlicken();
    m.setSuchtext(such);
    m.setErsetzenText(ersatz);
    const auto job = m.ok();
    return job.value_or(Suchauftrag());
}

void datei(const QString& pfad)
{
    QFile f(pfad);
    f.open(QIODevice::WriteOnly);
}

} // namespace

class TestSuchanwendung : public QObject
{
    Q_OBJECT

private:
    klang::test::TestEnvironment m_env;
    QString m_vorlage;
    QString m_datei;
    QString m_musik;
    int m_nr = 0;

    // A fresh copy of the generated catalogue for one test.
    QString kopie()
    {
        const QString ziel = m_env.root() + QStringLiteral("/k%1.mdb").arg(++m_nr);
        QFile::copy(m_vorlage, ziel);
        return ziel;
    }

    void oeffnen(DataControl& data1, const QString& datei)
    {
        data1.setDatabaseName(datei);
        data1.setRecordSource(klang::jet::schema::kDefaultRecordSource);
        QVERIFY(data1.refresh());
    }

private slots:
    void initTestCase()
    {
        m_vorlage = m_env.root() + QStringLiteral("/vorlage.mdb");
        klang::test::CatalogueSpec spec;
        spec.records = 20000;
        spec.seed = 7;
        QVERIFY(klang::test::writeCatalogue(m_vorlage, spec));

        m_musik = m_env.root() + QStringLiteral("/Musik/");
        const auto ordner = [this](const QString& name, const QStringList& dateien) {
            QDir().mkpath(m_musik + name);
            for (const QString& d : dateien)
                datei(m_musik + name + QLatin1Char('/') + d);
            return m_musik + name + QLatin1Char('/');
        };
        const QString a = ordner(QStringLiteral("A"), {QStringLiteral("01 Eins - 4.mp3"), QStringLiteral("02 Zwei.mp3"),
                                                       QStringLiteral("03 Drei - 2.mp3"), QStringLiteral(".versteckt - 4.mp3")});
        const QString b = ordner(QStringLiteral("B"), {QStringLiteral("x - 4.mp3")});
        const QString c = ordner(QStringLiteral("C"), {QStringLiteral("y - 4.mp3")});
        const QString d = ordner(QStringLiteral("D"), {QStringLiteral("z - 4.ogg"), QStringLiteral("w.ogg"),
                                                       QStringLiteral("Song - 1984.ogg")});
        QVERIFY(klang::test::insertCatalogueRecords(m_vorlage, {
            satz(QStringLiteral("Beatles"), QStringLiteral("Help")),
            satz(QStringLiteral("Beatles"), QStringLiteral("Revolver")),
            satz(QStringLiteral("beatles"), QStringLiteral("klein geschrieben")),
            satz(QStringLiteral("Beatles & Beatles"), QStringLiteral("Beatles Live")),
            satz(QStringLiteral("Aaa Musik A"), QStringLiteral("Eins"), {{QStringLiteral("Musikpfad"), a}}),
            satz(QStringLiteral("Aaa Gesperrt"), QStringLiteral("Zwei"), {{QStringLiteral("Musikpfad"), b}}),
            satz(QStringLiteral("Aaa Musik C"), QStringLiteral("Drei"),
                 {{QStringLiteral("Musikpfad"), c}, {QStringLiteral("Stil"), QStringLiteral("Hörspiel")}}),
            satz(QStringLiteral("Aaa Musik D"), QStringLiteral("Vier"), {{QStringLiteral("Musikpfad"), d}}),
            satz(QStringLiteral("50% Band"), QStringLiteral("[Remaster] *Stern*")),
        }));
    }

    // A search over several columns filters the table to exactly the records the pattern
    // finds in those columns, and the job names the view to save.
    void filterMehrspaltig()
    {
        DataControl data1;
        oeffnen(data1, kopie());
        SuchboxModell m;
        m.setAlle(false);
        m.spalteKlicken(0);
        m.spalteKlicken(1);
        m.spalteKlicken(5);
        m.setSuchtext(QStringLiteral("Live"));
        Suchbefehl befehl;
        befehl.dialogWirdGezeigt();
        befehl.dialogBestaetigt(*m.ok());
        QElapsedTimer uhr;
        uhr.start();
        const Suchbefehl::Ergebnis e = befehl.anwenden(data1);
        qInfo("Filter ueber 3 Spalten: %lld ms", qint64(uhr.elapsed()));
        QCOMPARE(int(e.art), int(Suchbefehl::Ergebnis::Gefiltert));
        QVERIFY(!e.fehler.isError());
        QCOMPARE(e.tabellenName, QStringLiteral("Live"));
        QCOMPARE(e.recordSource, data1.recordSource());
        QVERIFY(!e.ersetzt);
        const int erwartet = zaehleLike(data1.database(), {QStringLiteral("Band"), QStringLiteral("LPTitel"),
                                                           QStringLiteral("Info")}, QStringLiteral("*Live*"));
        QVERIFY(erwartet > 100);
        QCOMPARE(data1.recordCount(), erwartet);
    }

    // "Alle" searches all 13 columns; the umlaut pattern serves the rich-text song list only,
    // so "Fürchte" is found both in the song lists (stored as F\'fcrchte) and as plain text.
    void alleSpaltenMitUmlaut()
    {
        DataControl data1;
        oeffnen(data1, kopie());
        SuchboxModell m;
        m.setSuchtext(QStringLiteral("Fürchte"));
        Suchbefehl befehl;
        befehl.dialogBestaetigt(*m.ok());
        QElapsedTimer uhr;
        uhr.start();
        const Suchbefehl::Ergebnis e = befehl.anwenden(data1);
        qInfo("Suche ueber 13 Spalten: %lld ms", qint64(uhr.elapsed()));
        QVERIFY2(!e.fehler.isError(), qPrintable(e.fehler.text()));
        QStringList felder;
        for (const Suchspalte& s : suchspalten()) {
            if (s.feld != QLatin1String("Songs"))
                felder << s.feld;
        }
        int erwartet = 0;
        int nurSongs = 0;
        data1.database().query(QStringLiteral("SELECT Songs, %1 FROM Schallplatten").arg(felder.join(QLatin1Char(','))), {},
                               [&](const QVariantList& z) {
                                   bool treffer = false;
                                   for (int i = 1; i < z.size(); ++i)
                                       treffer = treffer || z.at(i).toString().contains(QStringLiteral("fürchte"), Qt::CaseInsensitive);
                                   const bool songs = z.at(0).toString().contains(QStringLiteral("F\\'fcrchte"), Qt::CaseInsensitive);
                                   erwartet += (treffer || songs) ? 1 : 0;
                                   nurSongs += (songs && !treffer) ? 1 : 0;
                                   return true;
                               });
        QVERIFY(nurSongs > 0);
        QVERIFY(erwartet > nurSongs);
        QCOMPARE(data1.recordCount(), erwartet);
    }

    // Hostile texts reach the statement only as quoted pattern text: nothing fails, % and _
    // are plain characters, Jet wildcards keep their meaning.
    void feindlicheFilter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("Apostroph") << QStringLiteral("O'Brien");
        QTest::newRow("Prozent") << QStringLiteral("50%");
        QTest::newRow("Unterstrich") << QStringLiteral("_");
        QTest::newRow("offene Klammer") << QStringLiteral("[");
        QTest::newRow("Klammer") << QStringLiteral("[Remaster]");
        QTest::newRow("Stern") << QStringLiteral("*");
        QTest::newRow("Anfuehrungszeichen") << QStringLiteral("a\"b");
        QTest::newRow("Semikolon") << QStringLiteral("x'; DROP TABLE Schallplatten; --");
        QTest::newRow("Umlaut") << QStringLiteral("Grün");
        QTest::newRow("Backslash") << QStringLiteral("\\");
    }
    void feindlicheFilter()
    {
        QFETCH(QString, text);
        DataControl data1;
        oeffnen(data1, kopie());
        SuchboxModell m;
        m.setAlle(false);
        m.spalteKlicken(0);
        m.spalteKlicken(1);
        m.setSuchtext(text);
        Suchbefehl befehl;
        befehl.dialogBestaetigt(*m.ok());
        const Suchbefehl::Ergebnis e = befehl.anwenden(data1);
        QVERIFY2(!e.fehler.isError(), qPrintable(e.fehler.text()));
        QCOMPARE(int(e.art), int(Suchbefehl::Ergebnis::Gefiltert));
        QCOMPARE(data1.recordCount(), zaehleLike(data1.database(), {QStringLiteral("Band"), QStringLiteral("LPTitel")},
                                                 QLatin1Char('*') + text + QLatin1Char('*')));
        QVERIFY(data1.database().tableExists(QStringLiteral("Schallplatten")));
    }

    // "50%" finds only records holding those characters; "O'Brien" finds the band.
    void feindlicheTrefferZahl()
    {
        DataControl data1;
        oeffnen(data1, kopie());
        Suchbefehl befehl;
        SuchboxModell m;
        m.setAlle(false);
        m.spalteKlicken(0);
        m.setSuchtext(QStringLiteral("O'Brien"));
        befehl.dialogBestaetigt(*m.ok());
        befehl.anwenden(data1);
        QVERIFY(data1.recordCount() > 0);
        for (int i = 0; i < data1.recordCount(); ++i)
            QVERIFY(data1.recordset().value(i, QStringLiteral("Band")).contains(QStringLiteral("O'Brien")));
        m.setSuchtext(QStringLiteral("50%"));
        befehl.dialogBestaetigt(*m.ok());
        befehl.anwenden(data1);
        QCOMPARE(data1.recordCount(), 1);
        QCOMPARE(data1.field(QStringLiteral("Band")), QStringLiteral("50% Band"));
    }

    // Replacing "Beatles" by "The Beatles" changes exactly the records holding "Beatles" (case-
    // sensitive), each once and only its first occurrence; a second showing of the dialog that
    // is closed by its frame, or applying again, replaces nothing more.
    void ersetzenBeatles()
    {
        DataControl data1;
        oeffnen(data1, kopie());
        Database& db = data1.database();
        const Zeilen vorher = alleDatensaetze(db);
        const int band = 1 + klang::jet::schema::fieldNames().indexOf(QStringLiteral("Band"));
        QVERIFY(band > 0);
        int treffer = 0;
        for (const QVariantList& z : vorher)
            treffer += z.at(band).toString().contains(QStringLiteral("Beatles")) ? 1 : 0;
        QVERIFY(treffer > 4);

        Suchbefehl befehl;
        befehl.dialogWirdGezeigt();
        befehl.dialogBestaetigt(ersetzAuftrag({SuchspalteBand}, QStringLiteral("Beatles"), QStringLiteral("The Beatles")));
        QElapsedTimer uhr;
        uhr.start();
        const Suchbefehl::Ergebnis e = befehl.anwenden(data1);
        qInfo("Ersetzen: %lld ms", qint64(uhr.elapsed()));
        QVERIFY2(!e.fehler.isError(), qPrintable(e.fehler.text()));
        QVERIFY(e.ersetzt);

        const Zeilen nachher = alleDatensaetze(db);
        QCOMPARE(nachher.size(), vorher.size());
        for (int i = 0; i < vorher.size(); ++i) {
            QVariantList erwartet = vorher.at(i);
            QString b = erwartet.at(band).toString();
            const qsizetype p = b.indexOf(QStringLiteral("Beatles"));
            if (p >= 0)
                erwartet[band] = b.replace(p, 7, QStringLiteral("The Beatles"));
            QCOMPARE(nachher.at(i).at(band).toString(), erwartet.at(band).toString());
            QCOMPARE(nachher.at(i), erwartet);
        }
        QCOMPARE(e.anzahl, treffer);
        QCOMPARE(ersetztMeldung(e.anzahl), QString::number(treffer) + QStringLiteral(" Datensätze ersetzt!"));
        QVERIFY(std::any_of(nachher.begin(), nachher.end(), [band](const QVariantList& z) {
            return z.at(band).toString() == QLatin1String("beatles");
        }));
        QVERIFY(std::any_of(nachher.begin(), nachher.end(), [band](const QVariantList& z) {
            return z.at(band).toString() == QLatin1String("The Beatles & Beatles");
        }));

        // The dialog is shown again and closed by its frame: no job, nothing replaced.
        befehl.dialogWirdGezeigt();
        QCOMPARE(int(befehl.anwenden(data1).art), int(Suchbefehl::Ergebnis::Nichts));
        // Applying twice without a dialog does not run the used job again either.
        befehl.dialogBestaetigt(ersetzAuftrag({SuchspalteBand}, QStringLiteral("Beatles"), QStringLiteral("The Beatles")));
        const Suchbefehl::Ergebnis zweimal = befehl.anwenden(data1);
        QCOMPARE(zweimal.anzahl, treffer);
        QCOMPARE(int(befehl.anwenden(data1).art), int(Suchbefehl::Ergebnis::Nichts));
        QCOMPARE(alleDatensaetze(db).size(), vorher.size());
    }

    // A record whose two chosen columns both hold the text is changed in both and counted once.
    void ersetzenZweiSpalten()
    {
        DataControl data1;
        oeffnen(data1, kopie());
        const Ersetzergebnis r = ersetzen(data1.database(),
                                          ersetzAuftrag({0, 1}, QStringLiteral("Beatles"), QStringLiteral("Fab Four")));
        QVERIFY(r.ok);
        QCOMPARE(data1.database()
                     .scalar(QStringLiteral("SELECT count(*) FROM Schallplatten WHERE Band = ? AND LPTitel = ?"),
                             {QStringLiteral("Fab Four & Beatles"), QStringLiteral("Fab Four Live")})
                     .toInt(),
                 1);
        QCOMPARE(data1.database().scalar(QStringLiteral("SELECT count(*) FROM Schallplatten WHERE instr(Band, 'Fab Four') > 0 "
                                                        "OR instr(LPTitel, 'Fab Four') > 0")).toInt(),
                 r.datensaetze);
    }

    // Hostile replace texts are data: apostrophes, % and brackets land in the fields as typed.
    void ersetzenFeindlich_data()
    {
        QTest::addColumn<QString>("such");
        QTest::addColumn<QString>("ersatz");
        QTest::addColumn<QString>("ergebnis");
        QTest::newRow("Apostroph") << QStringLiteral("O'Brien") << QStringLiteral("O'Brian's")
                                   << QStringLiteral("O'Brian's & Friends");
        QTest::newRow("Prozent") << QStringLiteral("50%") << QStringLiteral("100%_") << QStringLiteral("100%_ Band");
    }
    void ersetzenFeindlich()
    {
        QFETCH(QString, such);
        QFETCH(QString, ersatz);
        QFETCH(QString, ergebnis);
        DataControl data1;
        oeffnen(data1, kopie());
        Database& db = data1.database();
        const int vorher = db.scalar(QStringLiteral("SELECT count(*) FROM Schallplatten WHERE instr(Band, ?) > 0"), {such}).toInt();
        QVERIFY(vorher > 0);
        const Ersetzergebnis r = ersetzen(db, ersetzAuftrag({SuchspalteBand}, such, ersatz));
        QVERIFY2(r.ok, qPrintable(r.fehler.text()));
        QCOMPARE(r.datensaetze, vorher);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Schallplatten WHERE Band = ?"), {ergebnis}).toInt() > 0, true);
    }

    // A replace that fails on one record changes no record at all.
    void ersetzenFehlerAendertNichts()
    {
        DataControl data1;
        oeffnen(data1, kopie());
        Database& db = data1.database();
        QVERIFY(db.executeBound(QStringLiteral("CREATE TRIGGER sperre BEFORE UPDATE ON Schallplatten "
                                               "WHEN NEW.LPTitel = 'Revolver' BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")) >= 0);
        const Zeilen vorher = alleDatensaetze(db);
        const Ersetzergebnis r = ersetzen(db, ersetzAuftrag({SuchspalteBand}, QStringLiteral("Beatles"), QStringLiteral("X")));
        QVERIFY(!r.ok);
        QVERIFY(r.fehler.isError());
        QCOMPARE(alleDatensaetze(db), vorher);
        // The database is usable afterwards (no transaction left open).
        QVERIFY(db.executeBound(QStringLiteral("DROP TRIGGER sperre")) >= 0);
        QVERIFY(ersetzen(db, ersetzAuftrag({SuchspalteBand}, QStringLiteral("Beatles"), QStringLiteral("X"))).ok);
    }

    // A job built by hand cannot make the replace touch rich text, styles or unknown columns,
    // nor run with empty texts or another table.
    void ersetzenVerweigert_data()
    {
        QTest::addColumn<QString>("spalten");
        QTest::addColumn<QString>("such");
        QTest::addColumn<QString>("ersatz");
        QTest::addColumn<QString>("sql");
        const QString sql = QStringLiteral("select * from Schallplatten where Band like '*a*' order by Band");
        QTest::newRow("Songs") << QStringLiteral("Songs") << QStringLiteral("b") << QStringLiteral("x") << sql;
        QTest::newRow("Stil") << QStringLiteral("Band, Stil") << QStringLiteral("b") << QStringLiteral("x") << sql;
        QTest::newRow("SQL als Spalte") << QStringLiteral("Band = 'x' --") << QStringLiteral("b") << QStringLiteral("x") << sql;
        QTest::newRow("keine Spalte") << QString() << QStringLiteral("b") << QStringLiteral("x") << sql;
        QTest::newRow("leerer Suchtext") << QStringLiteral("Band") << QString() << QStringLiteral("x") << sql;
        QTest::newRow("leerer Ersatz") << QStringLiteral("Band") << QStringLiteral("b") << QString() << sql;
        QTest::newRow("andere Tabelle") << QStringLiteral("Band") << QStringLiteral("b") << QStringLiteral("x")
                                        << QStringLiteral("select * from sqlite_master");
    }
    void ersetzenVerweigert()
    {
        QFETCH(QString, spalten);
        QFETCH(QString, such);
        QFETCH(QString, ersatz);
        QFETCH(QString, sql);
        DataControl data1;
        oeffnen(data1, kopie());
        const Zeilen vorher = alleDatensaetze(data1.database());
        Suchauftrag job;
        job.SuchSQL = sql;
        job.SuchSpalten = spalten;
        job.SuchText = such;
        job.ErsetzenText = ersatz;
        const Ersetzergebnis r = ersetzen(data1.database(), job);
        QVERIFY(!r.ok);
        QVERIFY(r.fehler.isError());
        QCOMPARE(alleDatensaetze(data1.database()), vorher);
    }

    // The song search collects the files carrying the mark, record by record in view order,
    // skips excluded bands (found by field, not by the first column) and styles, and replaces
    // an old "Suchliste.txt".
    void songsuche_data()
    {
        QTest::addColumn<QString>("marke");
        QTest::addColumn<QStringList>("dateien");
        QTest::newRow("vier Sterne") << QStringLiteral(" - 4.")
                                     << QStringList{QStringLiteral("A/01 Eins - 4.mp3"), QStringLiteral("D/z - 4.ogg")};
        QTest::newRow("ohne Stern") << QStringLiteral(" - 0.")
                                    << QStringList{QStringLiteral("A/02 Zwei.mp3"), QStringLiteral("D/Song - 1984.ogg"),
                                                   QStringLiteral("D/w.ogg")};
    }
    void songsuche()
    {
        QFETCH(QString, marke);
        QFETCH(QStringList, dateien);
        DataControl data1;
        oeffnen(data1, kopie());
        RecordsetZeilen zeilen(data1.recordset(), {QStringLiteral("LPTitel"), QStringLiteral("Band"),
                                                   QStringLiteral("Stil"), QStringLiteral("Musikpfad")});
        const QString playlists = m_env.root() + QStringLiteral("/Playlist%1/").arg(++m_nr);
        QDir().mkpath(playlists);
        QVERIFY(klang::writeLines(playlists + SuchlisteDatei, {QStringLiteral("/alt/alt.mp3")}));

        Songsuche suche(zeilen, marke, playlists);
        suche.setBandAusschluss({QString(), QStringLiteral("Gesperrt")});
        suche.setStilAusschluss({QStringLiteral("Hörspiel")});
        QSignalSpy aufgenommen(&suche, &Songsuche::aufgenommen);
        QElapsedTimer uhr;
        uhr.start();
        QVERIFY(suche.ausfuehren());
        qInfo("Songsuche ueber %d Zeilen: %lld ms", zeilen.zeilenAnzahl(), qint64(uhr.elapsed()));
        QVERIFY(suche.fehler().isEmpty());
        QStringList erwartet;
        for (const QString& d : dateien)
            erwartet << m_musik + d;
        QCOMPARE(suche.treffer(), erwartet);
        QCOMPARE(klang::readLines(playlists + SuchlisteDatei), erwartet);
        QCOMPARE(aufgenommen.size(), 2); // one signal per record with hits
        QVERIFY(!suche.abgebrochen());
    }

    // Esc ends the song search after the current record; the files collected so far stay. A
    // request left over from before the search does not end it.
    void songsucheAbbruch()
    {
        DataControl data1;
        oeffnen(data1, kopie());
        RecordsetZeilen zeilen(data1.recordset());
        const QString playlists = m_env.root() + QStringLiteral("/Playlist%1/").arg(++m_nr);
        bool esc = true; // stale
        Songsuche suche(zeilen, QStringLiteral(" - 4."), playlists);
        suche.setAbbruchFlag(&esc);
        connect(&suche, &Songsuche::aufgenommen, this, [&esc] { esc = true; });
        QVERIFY(suche.ausfuehren());
        QVERIFY(suche.abgebrochen());
        QVERIFY(!esc);
        QCOMPARE(suche.treffer(), QStringList{m_musik + QStringLiteral("B/x - 4.mp3")}); // "Aaa Gesperrt" comes first
        QCOMPARE(klang::readLines(playlists + SuchlisteDatei), suche.treffer());
    }

    // Run on the event loop, the search reports its end; a view without hits leaves an empty
    // list file.
    void songsucheAufDerEreignisschleife()
    {
        DataControl data1;
        oeffnen(data1, kopie());
        RecordsetZeilen zeilen(data1.recordset());
        const QString playlists = m_env.root() + QStringLiteral("/Playlist%1/").arg(++m_nr);
        Songsuche suche(zeilen, QStringLiteral(" - 6."), playlists);
        suche.setZeilenProSchritt(1);
        QSignalSpy fertig(&suche, &Songsuche::fertig);
        QSignalSpy fortschritt(&suche, &Songsuche::fortschritt);
        QVERIFY(suche.starten());
        QVERIFY(suche.laeuft());
        QVERIFY(fertig.wait(20000));
        QVERIFY(!suche.laeuft());
        // One report per turn of the event loop, the last one over all rows.
        QCOMPARE(fortschritt.size(), zeilen.zeilenAnzahl());
        QCOMPARE(fortschritt.last().at(0).toInt(), zeilen.zeilenAnzahl());
        QCOMPARE(fortschritt.last().at(1).toInt(), zeilen.zeilenAnzahl());
        QVERIFY(QFile::exists(playlists + SuchlisteDatei));
        QVERIFY(klang::readLines(playlists + SuchlisteDatei).isEmpty());
    }

    // A song-search job is announced, not applied as a filter.
    void songsucheAuftrag()
    {
        DataControl data1;
        oeffnen(data1, kopie());
        const QString vorher = data1.recordSource();
        SuchboxModell m;
        m.bewertungSongKlicken();
        m.sternKlicken(5);
        Suchbefehl befehl;
        befehl.dialogBestaetigt(*m.ok());
        const Suchbefehl::Ergebnis e = befehl.anwenden(data1);
        QCOMPARE(int(e.art), int(Suchbefehl::Ergebnis::Songsuche));
        QCOMPARE(e.songBewertungMarke, QStringLiteral(" - 5."));
        QCOMPARE(data1.recordSource(), vorher);
    }

    // Marks and exclusions compare exactly; empty entries exclude nothing.
    void markenUndAusschluss()
    {
        QVERIFY(traegtBewertung(QStringLiteral("a - 3.mp3"), QStringLiteral(" - 3.")));
        QVERIFY(!traegtBewertung(QStringLiteral("a - 3.mp3"), QStringLiteral(" - 4.")));
        QVERIFY(traegtBewertung(QStringLiteral("a - 7.mp3"), QStringLiteral(" - 0.")));
        QVERIFY(!traegtBewertung(QStringLiteral("a - 6.mp3"), QStringLiteral(" - 0.")));
        QVERIFY(!ausgeschlossenDurch(QStringLiteral("Queen"), {QString()}));
        QVERIFY(ausgeschlossenDurch(QStringLiteral("Queen II"), {QString(), QStringLiteral("Queen")}));
        QVERIFY(!ausgeschlossenDurch(QStringLiteral("queen"), {QStringLiteral("Queen")}));
    }

    // The name of the kept playlist: ".txt" added unless present exactly; no paths.
    void playlistName_data()
    {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<QString>("datei");
        QTest::newRow("ohne Endung") << QStringLiteral("Favoriten") << QStringLiteral("Favoriten.txt");
        QTest::newRow("mit Endung") << QStringLiteral("Favoriten.txt") << QStringLiteral("Favoriten.txt");
        QTest::newRow("grosse Endung") << QStringLiteral("Favoriten.TXT") << QStringLiteral("Favoriten.TXT.txt");
        QTest::newRow("leer") << QString() << QString();
        QTest::newRow("Schraegstrich") << QStringLiteral("../../etc/passwd") << QString();
        QTest::newRow("Backslash") << QStringLiteral("a\\b") << QString();
        QTest::newRow("Punkte") << QStringLiteral("..") << QString();
        QTest::newRow("Steuerzeichen") << QStringLiteral("a\nb") << QString();
    }
    void playlistName()
    {
        QFETCH(QString, antwort);
        QFETCH(QString, datei);
        QString fehler;
        QCOMPARE(playlistDateiname(antwort, &fehler), datei);
        QCOMPARE(fehler.isEmpty(), !datei.isEmpty() || antwort.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSuchanwendung)
#include "tst_suchanwendung.moc"
