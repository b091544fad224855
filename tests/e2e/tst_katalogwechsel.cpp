// A catalogue in the older layout is refused by the player until the database manager has
// updated it; afterwards the player opens it and shows the same records.

#include "dbmanager/Dateisystem.h"
#include "dbmanager/DatenbankVerwaltung.h"
#include "dbmanager/JetKatalog.h"
#include "dbmanager/Protokoll.h"
#include "player/catalogue/KatalogController.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

class StilleProtokoll : public dbmanager::Protokoll
{
public:
    void leeren() override {}
    void schreiben(const QString&, quint32, bool) override {}
};

} // namespace

class TestKatalogwechsel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void spielerOeffnetAktualisiertenKatalog()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("Musik")) + QStringLiteral("/Archiv.mdb");
        klang::test::CatalogueSpec spec;
        spec.records = 2000;
        spec.olderForm = true;
        QVERIFY(klang::test::writeCatalogue(datei, spec));

        // The player names the missing fields and points to the database manager.
        const QString vorher = klang::player::KatalogController::katalogPruefen(datei);
        QVERIFY(vorher.contains(QStringLiteral("SongText")));
        QVERIFY(vorher.contains(QStringLiteral("Datenbank aktualisieren")));

        {
            dbmanager::JetKatalog db;
            dbmanager::EchtesDateisystem dateien;
            StilleProtokoll log;
            dbmanager::DatenbankVerwaltung verwaltung(db, dateien, log);
            QSignalSpy fertig(&verwaltung, &dbmanager::DatenbankVerwaltung::fertig);
            QVERIFY(verwaltung.oeffnen(datei).ok());
            QVERIFY(verwaltung.aktualisieren());
            QTRY_COMPARE(fertig.size(), 1);
            QCOMPARE(fertig.first().first().toBool(), true);
        }

        QCOMPARE(klang::player::KatalogController::katalogPruefen(datei), QString());
        klang::player::KatalogController katalog;
        QVERIFY(katalog.wechseln(datei));
        QCOMPARE(katalog.data1().recordCount(), 2000);
        QVERIFY(!katalog.feld(QStringLiteral("Band")).isEmpty());
    }
};

QTEST_MAIN(TestKatalogwechsel)
#include "tst_katalogwechsel.moc"
