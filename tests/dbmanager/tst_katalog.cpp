// The database manager's commands on real catalogue files (SQLite through the jet layer):
// the update and compaction of a generated old-format catalogue, and the files that must
// be refused or left alone.

#include "dbmanager/Dateisystem.h"
#include "dbmanager/DatenbankVerwaltung.h"
#include "dbmanager/JetKatalog.h"
#include "platform/jet/Database.h"
#include "platform/jet/Schema.h"
#include "tests/dbmanager/Fakes.h"
#include "tests/dbmanager/Katalog.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <unistd.h>

using namespace dbmanager;
using namespace dbmanager::test;

namespace {

QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList alteFelder()
{
    return klang::jet::schema::olderFieldNames();
}

QStringList neueNamen()
{
    QStringList n;
    for (const NeueSpalte& s : DatenbankVerwaltung::neueSpalten())
        n << s.name;
    return n;
}

} // namespace

class TestKatalog : public QObject
{
    Q_OBJECT

    struct Aufbau
    {
        JetKatalog db;
        StoerDateisystem fs;
        AufzeichnendesProtokoll log;
        DatenbankVerwaltung v{db, fs, log};
    };

private Q_SLOTS:
    // Done-when: 20,000 old-format records updated (eight columns in order, every value
    // unchanged, backup identical and usable), then compacted (not larger, same content).
    void aktualisierenUndKomprimieren20000()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("Musik")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeCatalogue(datei, [] {
            klang::test::CatalogueSpec spec;
            spec.records = 20000;
            spec.olderForm = true;
            spec.picturePercent = 5;
            return spec;
        }()));
        const QByteArray vorher = lesen(datei);
        const QString abdruck = fingerabdruck(datei, alteFelder());
        QVERIFY(abdruck.startsWith(QStringLiteral("20000:")));

        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.aktualisieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("Update beendet\n")), qPrintable(a.log.text()));
        QCOMPARE(a.db.spalten(QStringLiteral("Schallplatten"), nullptr), alteFelder() + neueNamen());
        QCOMPARE(fingerabdruck(datei, alteFelder()), abdruck);
        const QString sicherung = QFileInfo(datei).absolutePath() + QStringLiteral("/Archiv_Kopie.mdb");
        QCOMPARE(lesen(sicherung), vorher);
        QCOMPARE(fingerabdruck(sicherung, alteFelder()), abdruck);
        QCOMPARE(spaltenVon(sicherung), alteFelder());

        // Memo and Text columns keep text as text.
        auto& jet = a.db.datenbank();
        QVERIFY(jet.executeBound(QStringLiteral("UPDATE Schallplatten SET Bildpfad = ?, Bewertung = ? WHERE rowid = 1"),
                                 {QStringLiteral("007"), QStringLiteral("1.50")}) == 1);
        QCOMPARE(jet.scalar(QStringLiteral("SELECT Bildpfad FROM Schallplatten WHERE rowid = 1")).toString(), QStringLiteral("007"));
        QCOMPARE(jet.scalar(QStringLiteral("SELECT typeof(Bewertung) FROM Schallplatten WHERE rowid = 1")).toString(), QStringLiteral("text"));
        const QString mitNeuen = fingerabdruck(datei, alteFelder() + neueNamen());

        // A second update changes nothing but reports each column.
        QSignalSpy ton(&a.v, &DatenbankVerwaltung::signalton);
        QVERIFY(a.v.aktualisieren());
        QCOMPARE(ton.count(), 8);
        QCOMPARE(a.db.spalten(QStringLiteral("Schallplatten"), nullptr), alteFelder() + neueNamen());

        const qint64 groesseVor = QFileInfo(datei).size();
        const QByteArray vorKompression = lesen(datei);
        QVERIFY(a.v.komprimieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("Komprimierung erfolgreich beendet!")), qPrintable(a.log.text()));
        QVERIFY(a.v.datenbankOffen());
        QVERIFY(QFileInfo(datei).size() <= groesseVor);
        QCOMPARE(lesen(sicherung), vorKompression);
        QCOMPARE(fingerabdruck(datei, alteFelder() + neueNamen()), mitNeuen);
        QVERIFY(!QFile::exists(QFileInfo(datei).absolutePath() + QStringLiteral("/Archiv_temp.mdb")));
        QCOMPARE(a.db.pruefen(datei).nummer, 0);
    }

    // After deleting records the compacted file is smaller, and the size lines say so.
    void komprimierenVerkleinert()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("x")) + QStringLiteral("/Rock'n'Roll.mdb");
        QVERIFY(katalogErzeugen(datei, 3000, false));
        QVERIFY(jedenNtenLoeschen(datei, 2));
        const QString abdruck = fingerabdruck(datei, klang::jet::schema::fieldNames());
        const qint64 vor = QFileInfo(datei).size();
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.komprimieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("erfolgreich beendet!")), qPrintable(a.log.text()));
        QVERIFY(QFileInfo(datei).size() < vor);
        QCOMPARE(fingerabdruck(datei, klang::jet::schema::fieldNames()), abdruck);
        QVERIFY(a.log.text().contains(QStringLiteral("Datenbankgröße vor der Komprimierung: ")
                                      + DatenbankVerwaltung::groesseText(vor)));
        QVERIFY(QFile::exists(QFileInfo(datei).absolutePath() + QStringLiteral("/Rock'n'Roll_Kopie.mdb")));
    }

    // Files that are no catalogue are refused at open and stay byte for byte as they were.
    void keineDatenbankAbgelehnt_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::newRow("text") << QByteArray("Band;Titel\nABBA;Arrival\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("jet") << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00\x00", 24);
    }
    void keineDatenbankAbgelehnt()
    {
        QFETCH(QByteArray, inhalt);
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("x")) + QStringLiteral("/Fremd.mdb");
        QFile f(datei);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(inhalt);
        f.close();
        Aufbau a;
        const Fehler fehler = a.v.oeffnen(datei);
        QCOMPARE(fehler.nummer, klang::jet::errors::kUnrecognisedFormat);
        QVERIFY(!a.v.datenbankOffen());
        QCOMPARE(lesen(datei), inhalt);
        QCOMPARE(QDir(QFileInfo(datei).absolutePath()).entryList(QDir::Files).size(), 1);
    }

    // A damaged catalogue is found by the integrity check and not touched by either command;
    // the previous backup stays as it was.
    void beschaedigtNichtAngefasst_data()
    {
        QTest::addColumn<bool>("update");
        QTest::newRow("compact") << false;
        QTest::newRow("update") << true;
    }
    void beschaedigtNichtAngefasst()
    {
        QFETCH(bool, update);
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("x"));
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(datei, 2000));
        {
            QFile f(datei);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 seite = 4096;
            QVERIFY(f.size() > 8 * seite);
            f.seek(4 * seite);
            f.write(QByteArray(int(seite), '\x5a'));
        }
        QFile::copy(datei, ordner + QStringLiteral("/Archiv_Kopie.mdb"));
        QFile alt(ordner + QStringLiteral("/Archiv_Kopie.mdb"));
        QVERIFY(alt.open(QIODevice::Append));
        alt.write("alte Sicherung");
        alt.close();
        const QByteArray vorher = lesen(datei);
        const QByteArray sicherungVorher = lesen(alt.fileName());

        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(update ? a.v.aktualisieren() : a.v.komprimieren());
        QVERIFY2(a.log.text().contains(QStringLiteral("Fehlermeldung: 3049")), qPrintable(a.log.text()));
        QCOMPARE(a.log.eintraege.last().farbe, farbe::Rot);
        QCOMPARE(lesen(datei), vorher);
        QCOMPARE(lesen(alt.fileName()), sicherungVorher);
        QCOMPARE(QDir(ordner).entryList(QDir::Files).size(), 2);
    }

    // A database without the catalogue table: the update fails at the first column, the
    // backup has been made and the database stays open.
    void ohneTabelle()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("x")) + QStringLiteral("/Anderes.mdb");
        {
            QVERIFY(klang::jet::Database::createCatalogue(datei, true));
            klang::jet::Database db;
            QVERIFY(db.open(datei));
            QVERIFY(db.executeBound(QStringLiteral("ALTER TABLE Schallplatten RENAME TO Platten")) >= 0);
        }
        const QByteArray vorher = lesen(datei);
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.aktualisieren());
        QCOMPARE(a.log.eintraege.last().text, QStringLiteral("Update gescheitert!"));
        QVERIFY(a.v.datenbankOffen());
        QCOMPARE(lesen(QFileInfo(datei).absolutePath() + QStringLiteral("/Anderes_Kopie.mdb")), vorher);
    }

    // A folder that cannot be written: the compaction ends red at the backup and leaves the
    // catalogue as it was.
    void schreibgeschuetzterOrdner()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("ro"));
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(datei, 100));
        const QByteArray vorher = lesen(datei);
        QFile::setPermissions(ordner, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.komprimieren());
        QFile::setPermissions(ordner, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(a.log.eintraege.last().text, QStringLiteral("Komprimierung der Datenbank gescheitert."));
        QCOMPARE(lesen(datei), vorher);
        QCOMPARE(QDir(ordner).entryList(QDir::Files).size(), 1);
    }

    // The real copy never leaves a partial file when it cannot write the target.
    void kopieOhneReste()
    {
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("x"));
        EchtesDateisystem fs;
        QVERIFY(fs.kopieren(ordner + QStringLiteral("/fehlt"), ordner + QStringLiteral("/ziel")).nummer != 0);
        QVERIFY(!QFile::exists(ordner + QStringLiteral("/ziel")));
        QFile q(ordner + QStringLiteral("/q"));
        QVERIFY(q.open(QIODevice::WriteOnly));
        q.write("abc");
        q.close();
        // An existing target is never overwritten by a copy.
        QFile z(ordner + QStringLiteral("/z"));
        QVERIFY(z.open(QIODevice::WriteOnly));
        z.write("alt");
        z.close();
        QVERIFY(fs.kopieren(q.fileName(), z.fileName()).nummer != 0);
        QCOMPARE(lesen(z.fileName()), QByteArray("alt"));
        QVERIFY(fs.ersetzen(q.fileName(), z.fileName()).ok());
        QCOMPARE(lesen(z.fileName()), QByteArray("abc"));
        QVERIFY(!QFile::exists(q.fileName()));
    }
};

QTEST_GUILESS_MAIN(TestKatalog)
#include "tst_katalog.moc"
