// The rules of the database manager's commands, on a fake database and a file system that
// fails on request.

#include "dbmanager/DatenbankVerwaltung.h"
#include "tests/dbmanager/Fakes.h"
#include "tests/support/Ereignissonde.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace dbmanager;
using namespace dbmanager::test;

namespace {

QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void schreiben(const QString& pfad, const QByteArray& inhalt)
{
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(inhalt);
}

} // namespace

class TestVerwaltung : public QObject
{
    Q_OBJECT

private:
    klang::test::TestEnvironment* m_env = nullptr;
    QString m_ordner;
    QString m_datei;
    FakeDatenbank* m_db = nullptr;
    StoerDateisystem* m_fs = nullptr;
    AufzeichnendesProtokoll* m_log = nullptr;
    DatenbankVerwaltung* m_v = nullptr;

    QString sicherung() const { return m_ordner + QStringLiteral("/Archiv_Kopie.mdb"); }
    QString temp() const { return m_ordner + QStringLiteral("/Archiv_temp.mdb"); }

private Q_SLOTS:
    void init()
    {
        m_env = new klang::test::TestEnvironment;
        m_ordner = m_env->path(QStringLiteral("Musik"));
        m_datei = m_ordner + QStringLiteral("/Archiv.mdb");
        schreiben(m_datei, "FAKEDB daten#freiraum");
        m_db = new FakeDatenbank;
        m_fs = new StoerDateisystem;
        m_log = new AufzeichnendesProtokoll;
        m_v = new DatenbankVerwaltung(*m_db, *m_fs, *m_log);
        m_v->setLocale(QLocale(QLocale::German, QLocale::Germany));
    }
    void cleanup()
    {
        delete m_v;
        delete m_log;
        delete m_fs;
        delete m_db;
        delete m_env;
    }

    // The members of an open database and the file names derived from them.
    void oeffnenSetztMitglieder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("mdb") << "Archiv.mdb" << "Archiv";
        QTest::newRow("accdb") << "Liste.accdb" << "Liste";
        QTest::newRow("two dots") << "Musik.alt.mdb" << "Musik.alt";
        QTest::newRow("short") << "ab" << "ab";
        QTest::newRow("apostrophe") << "Rock'n'Roll.mdb" << "Rock'n'Roll";
    }
    void oeffnenSetztMitglieder()
    {
        QFETCH(QString, name);
        QFETCH(QString, erwartet);
        const QString pfad = m_ordner + QLatin1Char('/') + name;
        schreiben(pfad, "FAKEDB");
        QVERIFY(m_v->oeffnen(pfad).ok());
        QCOMPARE(m_v->datenbankDatei(), pfad);
        QCOMPARE(m_v->datenbankPfad(), m_ordner + QLatin1Char('/'));
        QCOMPARE(m_v->datenbankName(), erwartet);
        QCOMPARE(m_v->sicherungsDatei(), m_ordner + QLatin1Char('/') + erwartet + QStringLiteral("_Kopie.mdb"));
        QVERIFY(m_v->datenbankOffen());
        QCOMPARE(m_log->text(), pfad + QStringLiteral("\nDatenbank geladen, klicken Sie nur auf das Icon Update oder Kompress."));
    }

    // A failed open leaves no database open (so update and compact are unusable), an empty
    // log, the previous members, and creates no file.
    void oeffnenFehlschlag_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("inhalt");
        QTest::newRow("missing") << "Fehlt.mdb" << QByteArray();
        QTest::newRow("not a database") << "Text.mdb" << QByteArray("just text");
    }
    void oeffnenFehlschlag()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, inhalt);
        QVERIFY(m_v->oeffnen(m_datei).ok());
        const QString pfad = m_ordner + QLatin1Char('/') + name;
        if (!inhalt.isEmpty())
            schreiben(pfad, inhalt);
        QSignalSpy zustand(m_v, &DatenbankVerwaltung::zustandGeaendert);
        const Fehler f = m_v->oeffnen(pfad);
        QVERIFY(!f.ok());
        QVERIFY(!m_v->datenbankOffen());
        QCOMPARE(zustand.count(), 1);
        QVERIFY(m_log->eintraege.isEmpty());
        QCOMPARE(m_v->datenbankDatei(), m_datei);
        QCOMPARE(QFile::exists(pfad), !inhalt.isEmpty());
        QCOMPARE(lesen(pfad), inhalt);
        QVERIFY(!m_v->komprimieren());
        QVERIFY(!m_v->aktualisieren());
        QVERIFY(QDir(m_ordner).entryList(QDir::Files).filter(QStringLiteral("_Kopie")).isEmpty());
    }

    // Sizes in MB with two decimals and the locale's separator.
    void groesseText_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("sprache");
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("half de") << qint64(524288) << "de_DE" << "0,50 MB";
        QTest::newRow("half en") << qint64(524288) << "en_US" << "0.50 MB";
        QTest::newRow("zero") << qint64(0) << "de_DE" << "0,00 MB";
        QTest::newRow("rounded") << qint64(3 * 1024 * 1024 + 1024 * 1024 / 200 * 1) << "de_DE" << "3,00 MB";
        QTest::newRow("large") << qint64(1536) * 1024 * 1024 << "de_DE" << "1536,00 MB";
    }
    void groesseText()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, sprache);
        QFETCH(QString, erwartet);
        QLocale locale(sprache);
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        QCOMPARE(DatenbankVerwaltung::groesseText(bytes, locale), erwartet);
    }

    // A successful compaction: backup identical to the database before, the compacted file
    // in its place, no leftovers, the database open again and the log in the right order.
    void komprimierenErfolg_data()
    {
        QTest::addColumn<bool>("alteSicherung");
        QTest::addColumn<bool>("alteTemp");
        QTest::addColumn<int>("schritte");
        QTest::newRow("fresh") << false << false << 7;
        QTest::newRow("old backup") << true << false << 8;
        QTest::newRow("leftover temp") << false << true << 8;
        QTest::newRow("both") << true << true << 9;
    }
    void komprimierenErfolg()
    {
        QFETCH(bool, alteSicherung);
        QFETCH(bool, alteTemp);
        QFETCH(int, schritte);
        if (alteSicherung)
            schreiben(sicherung(), "FAKEDB alte Sicherung");
        if (alteTemp)
            schreiben(temp(), "FAKEDB halb");
        const QByteArray vorher = lesen(m_datei);
        QVERIFY(m_v->oeffnen(m_datei).ok());
        QSignalSpy fertig(m_v, &DatenbankVerwaltung::fertig);
        QVERIFY(m_v->komprimieren());
        QCOMPARE(fertig.count(), 1);
        QCOMPARE(fertig.at(0).at(0).toBool(), true);
        QCOMPARE(lesen(sicherung()), vorher);
        QCOMPARE(lesen(m_datei), QByteArray("FAKEDB daten#kompakt"));
        QVERIFY(!QFile::exists(temp()));
        QVERIFY(!QFile::exists(sicherung() + QStringLiteral(".neu")));
        QVERIFY(m_v->datenbankOffen());
        QVERIFY(m_db->istOffen());
        QCOMPARE(m_log->schritte(), schritte);

        const QList<Eintrag>& e = m_log->eintraege;
        QCOMPARE(e.first().text, QStringLiteral("Datenbank komprimieren\n"));
        QVERIFY(e.first().fett);
        QCOMPARE(e.last().text, QStringLiteral("Komprimierung erfolgreich beendet!"));
        QVERIFY(e.last().fett);
        QCOMPARE(e.last().farbe, farbe::Schwarz);
        const QString t = m_log->text();
        QVERIFY(t.contains(QStringLiteral("Datenbank gesichert nach...\n") + sicherung() + QStringLiteral("\n")));
        QVERIFY(t.contains(QStringLiteral("Datenbankgröße vor der Komprimierung: 0,00 MB\n"
                                          "Datenbankgröße nach der Komprimierung: 0,00 MB\n")));
        QCOMPARE(t.contains(QStringLiteral("temponäre Datenbank gelöscht.")), alteTemp);
        QCOMPARE(t.contains(QStringLiteral("Datenbanksicherung gelöscht.")), alteSicherung);
        // Every announced step is closed by a blue done line (the backup encloses the
        // replacement of the old backup).
        int offen = 0;
        for (const Eintrag& x : e) {
            const bool erledigt = x.farbe == farbe::Blau && !x.text.startsWith(QLatin1Char('/'))
                                  && !x.text.startsWith(QStringLiteral("Datenbankgröße"));
            offen += x.farbe == farbe::Rot ? 1 : erledigt ? -1 : 0;
            QVERIFY2(offen >= 0, qPrintable(x.text));
        }
        QCOMPARE(offen, 0);
    }

    // Running twice replaces the first backup with a copy of the compacted database.
    void komprimierenZweimal()
    {
        QVERIFY(m_v->oeffnen(m_datei).ok());
        QVERIFY(m_v->komprimieren());
        const QByteArray kompakt = lesen(m_datei);
        QVERIFY(m_v->komprimieren());
        QCOMPARE(lesen(sicherung()), kompakt);
    }

    // The engine's long work on a large catalogue (check, backup, compaction, write-back) runs
    // while the window's events go on, in both commands, also the second time.
    void fensterLaeuftWeiter()
    {
        m_db->dauerMs = 400;
        m_v->setSchrittweise(true);
        QVERIFY(m_v->oeffnen(m_datei).ok());
        QSignalSpy fertig(m_v, &DatenbankVerwaltung::fertig);
        for (bool (DatenbankVerwaltung::*befehl)() : {&DatenbankVerwaltung::komprimieren, &DatenbankVerwaltung::komprimieren,
                                                      &DatenbankVerwaltung::aktualisieren}) {
            fertig.clear();
            klang::test::Ereignissonde sonde;
            QVERIFY((m_v->*befehl)());
            QVERIFY(fertig.wait(20000));
            QCOMPARE(fertig.at(0).at(0).toBool(), true);
            QVERIFY(sonde.laufzeitMs() >= 2 * 400);
            QVERIFY2(sonde.laengsteLueckeMs() < 300, qPrintable(QString::number(sonde.laengsteLueckeMs())));
        }
        QCOMPARE(lesen(m_datei), QByteArray("FAKEDB daten#kompakt"));
    }

    // A failure at any step leaves the catalogue and the previous backup as they were, and
    // the log ends with the red closing line, never with success.
    void komprimierenFehler_data()
    {
        QTest::addColumn<QString>("fsStoerung");
        QTest::addColumn<int>("beiAufruf");
        QTest::addColumn<QString>("dbStoerung");
        QTest::addColumn<bool>("datenbankUnveraendert");
        QTest::addColumn<bool>("bleibtOffen");
        QTest::newRow("damaged") << "" << 0 << "pruefen" << true << true;
        QTest::newRow("busy") << "" << 0 << "sperren" << true << true;
        QTest::newRow("disk full on backup") << "" << 0 << "sichern" << true << false;
        QTest::newRow("backup rename") << "ersetzen" << 1 << "" << true << false;
        QTest::newRow("compaction") << "" << 0 << "komprimieren" << true << false;
        QTest::newRow("writing back") << "" << 0 << "zurueckschreiben" << true << false;
        QTest::newRow("reopen") << "" << 0 << "zweitesOeffnen" << false << false;
    }
    void komprimierenFehler()
    {
        QFETCH(QString, fsStoerung);
        QFETCH(int, beiAufruf);
        QFETCH(QString, dbStoerung);
        QFETCH(bool, datenbankUnveraendert);
        QFETCH(bool, bleibtOffen);
        schreiben(sicherung(), "FAKEDB vorige Sicherung");
        const QByteArray vorher = lesen(m_datei);
        QVERIFY(m_v->oeffnen(m_datei).ok());
        m_fs->stoerung = fsStoerung;
        m_fs->beiAufruf = beiAufruf;
        m_fs->kopieTeilweise = true;
        m_db->stoerung = dbStoerung;
        QSignalSpy fertig(m_v, &DatenbankVerwaltung::fertig);
        QSignalSpy ton(m_v, &DatenbankVerwaltung::signalton);
        QVERIFY(m_v->komprimieren());
        QCOMPARE(fertig.count(), 1);
        QCOMPARE(fertig.at(0).at(0).toBool(), false);
        QVERIFY(QFile::exists(m_datei));
        if (datenbankUnveraendert)
            QCOMPARE(lesen(m_datei), vorher);
        else
            QCOMPARE(lesen(m_datei), QByteArray("FAKEDB daten#kompakt"));
        // The previous backup survives until a complete new one replaces it.
        const QByteArray sicherungJetzt = lesen(sicherung());
        QVERIFY(sicherungJetzt == "FAKEDB vorige Sicherung" || sicherungJetzt == vorher);
        if (dbStoerung == QLatin1String("sichern") || (fsStoerung == QLatin1String("ersetzen") && beiAufruf == 1)
            || dbStoerung == QLatin1String("pruefen") || dbStoerung == QLatin1String("sperren"))
            QCOMPARE(sicherungJetzt, QByteArray("FAKEDB vorige Sicherung"));
        QVERIFY(!QFile::exists(sicherung() + QStringLiteral(".neu")));
        QVERIFY(!QFile::exists(temp()) || fsStoerung == QLatin1String("ersetzen"));
        QCOMPARE(m_v->datenbankOffen(), bleibtOffen);
        QCOMPARE(m_db->istOffen(), bleibtOffen);
        QVERIFY(m_db->gesperrt.isEmpty());
        QCOMPARE(m_v->beschaeftigt(), false);
        QCOMPARE(ton.count(), 0);

        const QList<Eintrag>& e = m_log->eintraege;
        QCOMPARE(e.last().text, QStringLiteral("Komprimierung der Datenbank gescheitert."));
        QVERIFY(e.last().fett);
        QCOMPARE(e.last().farbe, farbe::Rot);
        QVERIFY(e.at(e.size() - 2).text.startsWith(QStringLiteral("Fehlermeldung: ")));
        QCOMPARE(e.at(e.size() - 2).farbe, farbe::Rot);
        QVERIFY(!m_log->text().contains(QStringLiteral("erfolgreich")));
    }

    // The update adds exactly the missing columns, in order, reporting present ones
    // (names compared without regard to case) with a beep each.
    void aktualisieren_data()
    {
        QTest::addColumn<QStringList>("vorhanden");
        QTest::addColumn<QStringList>("hinzugefuegt");
        QStringList alle;
        for (const NeueSpalte& s : DatenbankVerwaltung::neueSpalten())
            alle << s.name;
        QTest::newRow("old format") << QStringList() << alle;
        QTest::newRow("complete") << alle << QStringList();
        QTest::newRow("partial, other case")
            << QStringList{QStringLiteral("BildPfad"), QStringLiteral("EBOOK")}
            << QStringList{QStringLiteral("Musikpfad"), QStringLiteral("SongText"), QStringLiteral("Bewertung"),
                           QStringLiteral("InternetTab"), QStringLiteral("InfoTab"), QStringLiteral("SonstigesTab")};
    }
    void aktualisieren()
    {
        QFETCH(QStringList, vorhanden);
        QFETCH(QStringList, hinzugefuegt);
        m_db->spaltenListe += vorhanden;
        const QStringList vorherSpalten = m_db->spaltenListe;
        const QByteArray vorher = lesen(m_datei);
        QVERIFY(m_v->oeffnen(m_datei).ok());
        QSignalSpy ton(m_v, &DatenbankVerwaltung::signalton);
        QSignalSpy fertig(m_v, &DatenbankVerwaltung::fertig);
        QVERIFY(m_v->aktualisieren());
        QCOMPARE(fertig.at(0).at(0).toBool(), true);
        QCOMPARE(m_db->spaltenListe, vorherSpalten + hinzugefuegt);
        QCOMPARE(ton.count(), vorhanden.size());
        QCOMPARE(lesen(sicherung()), vorher);
        QVERIFY(m_v->datenbankOffen());

        const QString t = m_log->text();
        for (const NeueSpalte& s : DatenbankVerwaltung::neueSpalten()) {
            const QString an = QStringLiteral("Tabellenspalte \"%1\" hinzufügen...\n").arg(s.name);
            QVERIFY(t.contains(an));
            const bool neu = hinzugefuegt.contains(s.name);
            const QString folgt = neu ? QStringLiteral("Tabellenspalte \"%1\" hinzugefügt.\n").arg(s.name)
                                      : QStringLiteral("Feld '%1' ist bereits in der Tabelle 'Schallplatten' vorhanden.\n").arg(s.name);
            QVERIFY2(t.contains(an + folgt), qPrintable(s.name));
        }
        QVERIFY(t.endsWith(QStringLiteral("Datenbank-Update erfolgreich!\nUpdate beendet\n")));
        QCOMPARE(m_log->eintraege.first().text, QStringLiteral("Datenbank-Update\n"));
        QVERIFY(m_log->eintraege.last().fett);
    }

    // A failing update step ends red; the catalogue file and the previous backup are left
    // whole; where the backup was made it equals the catalogue before.
    void aktualisierenFehler_data()
    {
        QTest::addColumn<QString>("fsStoerung");
        QTest::addColumn<QString>("dbStoerung");
        QTest::addColumn<int>("spaltenZahl"); // the table keeps this many columns; -1 all
        QTest::addColumn<bool>("neueSicherung");
        QTest::addColumn<bool>("bleibtOffen");
        QTest::newRow("damaged") << "" << "pruefen" << -1 << false << true;
        QTest::newRow("busy") << "" << "sperren" << -1 << false << true;
        QTest::newRow("disk full") << "" << "sichern" << -1 << false << false;
        QTest::newRow("backup rename") << "ersetzen" << "" << -1 << false << false;
        QTest::newRow("reopen") << "" << "zweitesOeffnen" << -1 << true << false;
        // Not a catalogue table: refused before the backup, nothing added.
        QTest::newRow("no table") << "" << "" << 0 << false << true;
        QTest::newRow("base fields missing") << "" << "" << 2 << false << true;
        QTest::newRow("statement") << "" << "spalte:eBook" << -1 << true << true;
    }
    void aktualisierenFehler()
    {
        QFETCH(QString, fsStoerung);
        QFETCH(QString, dbStoerung);
        QFETCH(int, spaltenZahl);
        QFETCH(bool, neueSicherung);
        QFETCH(bool, bleibtOffen);
        schreiben(sicherung(), "FAKEDB vorige Sicherung");
        if (spaltenZahl >= 0)
            m_db->spaltenListe = m_db->spaltenListe.mid(0, spaltenZahl);
        const QStringList spaltenVorher = m_db->spaltenListe;
        const QByteArray vorher = lesen(m_datei);
        QVERIFY(m_v->oeffnen(m_datei).ok());
        m_fs->stoerung = fsStoerung;
        m_db->stoerung = dbStoerung;
        QSignalSpy ton(m_v, &DatenbankVerwaltung::signalton);
        QSignalSpy fertig(m_v, &DatenbankVerwaltung::fertig);
        QVERIFY(m_v->aktualisieren());
        QCOMPARE(fertig.at(0).at(0).toBool(), false);
        QCOMPARE(ton.count(), 1);
        QCOMPARE(lesen(m_datei), vorher);
        QCOMPARE(lesen(sicherung()), neueSicherung ? vorher : QByteArray("FAKEDB vorige Sicherung"));
        QCOMPARE(m_v->datenbankOffen(), bleibtOffen);
        QCOMPARE(m_log->eintraege.last().text, QStringLiteral("Update gescheitert!"));
        QCOMPARE(m_log->eintraege.last().farbe, farbe::Rot);
        QVERIFY(m_log->eintraege.last().fett);
        QVERIFY(!m_log->text().contains(QStringLiteral("erfolgreich")));
        if (spaltenZahl >= 0)
            QCOMPARE(m_db->spaltenListe, spaltenVorher);
        if (dbStoerung.startsWith(QLatin1String("spalte:")))
            QCOMPARE(m_db->spaltenListe.mid(11), (QStringList{QStringLiteral("Bildpfad"), QStringLiteral("Musikpfad"),
                                                             QStringLiteral("SongText")}));
    }

    // After a failed compaction closed the database, neither command can touch the backup.
    void nachFehlschlagKeinBefehl()
    {
        schreiben(sicherung(), "FAKEDB vorige Sicherung");
        QVERIFY(m_v->oeffnen(m_datei).ok());
        m_db->stoerung = QStringLiteral("komprimieren");
        QVERIFY(m_v->komprimieren());
        QVERIFY(!m_v->datenbankOffen());
        const QByteArray sicherungJetzt = lesen(sicherung());
        QVERIFY(!m_v->aktualisieren());
        QVERIFY(!m_v->komprimieren());
        QCOMPARE(lesen(sicherung()), sicherungJetzt);
    }

    // While a command runs step by step, every other command is refused.
    void beschaeftigtVerweigert()
    {
        QVERIFY(m_v->oeffnen(m_datei).ok());
        m_v->setSchrittweise(true);
        QSignalSpy fertig(m_v, &DatenbankVerwaltung::fertig);
        QSignalSpy beschaeftigt(m_v, &DatenbankVerwaltung::beschaeftigtGeaendert);
        QVERIFY(m_v->komprimieren());
        QVERIFY(m_v->beschaeftigt());
        QCOMPARE(fertig.count(), 0);
        QVERIFY(!m_v->komprimieren());
        QVERIFY(!m_v->aktualisieren());
        const QString anderes = m_ordner + QStringLiteral("/Anders.mdb");
        schreiben(anderes, "FAKEDB");
        QVERIFY(!m_v->oeffnen(anderes).ok());
        QCOMPARE(m_v->datenbankDatei(), m_datei);
        QVERIFY(fertig.wait(5000));
        QCOMPARE(fertig.at(0).at(0).toBool(), true);
        QCOMPARE(beschaeftigt.count(), 2);
        QVERIFY(!m_v->beschaeftigt());
        QVERIFY(m_log->text().endsWith(QStringLiteral("Komprimierung erfolgreich beendet!")));
    }
};

QTEST_GUILESS_MAIN(TestVerwaltung)
#include "tst_verwaltung.moc"
