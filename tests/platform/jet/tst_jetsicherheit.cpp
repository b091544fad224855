// What the database layer does with hostile views and unwritable files: a view runs only as
// one read-only query, and every engine failure reads in German with the old number. (Failed
// writes and unreadable records are driven through the main window in tst_datensicherheit.)

#include "platform/jet/DataControl.h"
#include "platform/jet/Database.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unveraenderlich.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QtTest>

using namespace klang::jet;

namespace {

QVariantMap satz(const QString& band, const QString& info = QString())
{
    return {{QStringLiteral("Band"), band}, {QStringLiteral("Info"), info}};
}

// The engine's own English texts must never be all the user reads.
bool deutsch(const DbError& e)
{
    return !e.description.startsWith(QLatin1String("attempt")) && !e.description.startsWith(QLatin1String("database"))
           && !e.description.startsWith(QLatin1String("unable")) && !e.description.isEmpty();
}

} // namespace

class TestJetSicherheit : public QObject
{
    Q_OBJECT
    std::unique_ptr<klang::test::TestEnvironment> m_env;
    QString m_pfad;

private slots:
    void init()
    {
        m_env = std::make_unique<klang::test::TestEnvironment>();
        m_pfad = m_env->path(QStringLiteral("db")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(m_pfad));
        QVERIFY(klang::test::insertCatalogueRecords(
            m_pfad, {satz("Abba", "eins"), satz("Beatles", "zwei"), satz("Can", "drei")}));
    }
    void cleanup() { m_env.reset(); }

    // A view is run only when it is one select that changes nothing; anything else is
    // refused before it runs, and every record stays.
    void nurLesendeAnsichten_data()
    {
        QTest::addColumn<QString>("quelle");
        QTest::addColumn<bool>("erlaubt");
        QTest::newRow("default view") << "select * from Schallplatten order by Band, LPTitel" << true;
        QTest::newRow("bare table") << "Schallplatten" << true;
        QTest::newRow("column list") << "select Band, Info from Schallplatten" << true;
        QTest::newRow("with select") << "with x as (select * from Schallplatten) select * from x" << true;
        QTest::newRow("delete") << "delete from Schallplatten" << false;
        QTest::newRow("update") << "update Schallplatten set Band = 'x'" << false;
        QTest::newRow("insert") << "insert into Schallplatten (Band) values ('x')" << false;
        QTest::newRow("drop") << "drop table Schallplatten" << false;
        QTest::newRow("select then delete") << "select * from Schallplatten; delete from Schallplatten" << false;
        QTest::newRow("where then delete") << "select * from Schallplatten where Band <> ''; delete from Schallplatten" << false;
        QTest::newRow("with delete") << "with x as (select 1) delete from Schallplatten" << false;
        QTest::newRow("pragma") << "pragma writable_schema = 1" << false;
        QTest::newRow("explain") << "explain select * from Schallplatten" << false;
        QTest::newRow("attach") << "attach database ':memory:' as y" << false;
    }
    void nurLesendeAnsichten()
    {
        QFETCH(QString, quelle);
        QFETCH(bool, erlaubt);
        DataControl data1;
        data1.setDatabaseName(m_pfad);
        data1.setRecordSource(quelle);
        DbError e;
        QCOMPARE(data1.refresh(&e), erlaubt);
        if (!erlaubt) {
            QVERIFY(e.isError());
            QVERIFY2(deutsch(e), qPrintable(e.description));
        }
        QCOMPARE(data1.database().scalar(QStringLiteral("select count(*) from Schallplatten")).toInt(), 3);
        QCOMPARE(data1.database().columns(QStringLiteral("Schallplatten")).size(), 19);
    }

    // A catalogue whose file or folder cannot be written opens read-only; a write says so
    // in German with the old number, and nothing changes on disk.
    void schreibgeschuetzt_data()
    {
        QTest::addColumn<bool>("ordner");
        QTest::newRow("file") << false;
        QTest::newRow("folder") << true;
    }
    void schreibgeschuetzt()
    {
        QFETCH(bool, ordner);
        const QString ziel = ordner ? QFileInfo(m_pfad).absolutePath() : m_pfad;
        klang::test::Unveraenderlich sperre(ziel);
        QVERIFY(sperre.ok());
        Database db;
        QVERIFY(db.open(m_pfad));
        QVERIFY(db.isReadOnly());
        DbError e;
        QCOMPARE(db.execute(QStringLiteral("update Schallplatten set Band = 'x'"), &e), -1);
        QCOMPARE(e.number, errors::kReadOnly);
        QVERIFY2(e.description.startsWith(QStringLiteral("Die Datenbank ist schreibgeschützt")), qPrintable(e.description));
    }

    // While another program holds the catalogue locked, reading rows does not wait once per
    // row: the first refused read says "locked", the rest of the block is left for later, and
    // the rows are read again (not marked damaged) once the lock is gone. A write waits once,
    // briefly, and reports the lock; opening reports it too, not an unreadable file.
    void gesperrterKatalog()
    {
        const QString pfad = m_env->path(QStringLiteral("gross")) + QStringLiteral("/Archiv.mdb");
        klang::test::CatalogueSpec spec;
        spec.records = 300;
        QVERIFY(klang::test::writeCatalogue(pfad, spec));
        DataControl data1;
        data1.setDatabaseName(pfad);
        data1.setRecordSource(QStringLiteral("select * from Schallplatten order by Band, LPTitel"));
        QVERIFY(data1.refresh());
        const QString ersterWert = data1.field(QStringLiteral("Band"));
        QVERIFY(!ersterWert.isEmpty());

        Database anderes;
        QVERIFY(anderes.open(pfad));
        QVERIFY(anderes.executeBound(QStringLiteral("BEGIN EXCLUSIVE")) >= 0);
        QElapsedTimer uhr;
        uhr.start();
        for (int r = 1; r < 200; ++r)
            data1.recordset().value(r, QStringLiteral("Band"));
        QVERIFY2(uhr.elapsed() < 3000, qPrintable(QString::number(uhr.elapsed())));
        QVERIFY(data1.recordset().isBusy());
        QCOMPARE(data1.recordset().readError().number, errors::kLocked);
        QVERIFY(deutsch(data1.recordset().readError()));

        uhr.restart();
        QVERIFY(data1.setField(QStringLiteral("Info"), QStringLiteral("neu")));
        DbError e;
        QVERIFY(!data1.updateRecord(&e));
        QVERIFY2(uhr.elapsed() < 2000, qPrintable(QString::number(uhr.elapsed())));
        QCOMPARE(e.number, errors::kLocked);

        Database dritte;
        QVERIFY(!dritte.open(pfad, &e));
        QCOMPARE(e.number, errors::kLocked);
        QVERIFY2(e.description.contains(QStringLiteral("von einem anderen Programm benutzt")), qPrintable(e.description));

        QVERIFY(anderes.executeBound(QStringLiteral("ROLLBACK")) >= 0);
        QThread::msleep(1100);
        for (int r = 1; r < 200; ++r) {
            QVERIFY(data1.recordset().isRowReadable(r));
            QVERIFY(!data1.recordset().value(r, QStringLiteral("Band")).isEmpty());
        }
        QVERIFY(!data1.recordset().isBusy());
        QVERIFY(data1.setField(QStringLiteral("Info"), QStringLiteral("neu")));
        QVERIFY(data1.updateRecord());
    }

    // Engine results the user can meet come with the old numbers and German words.
    void fehlertexte_data()
    {
        QTest::addColumn<QString>("anweisung");
        QTest::addColumn<int>("nummer");
        QTest::newRow("unique") << "insert into Eindeutig values ('a')" << errors::kDuplicate;
        QTest::newRow("not null") << "insert into Eindeutig values (null)" << errors::kRequired;
        QTest::newRow("check") << "insert into Eindeutig values ('zu lang')" << errors::kRuleViolated;
    }
    void fehlertexte()
    {
        QFETCH(QString, anweisung);
        QFETCH(int, nummer);
        Database db;
        QVERIFY(db.open(m_pfad));
        QVERIFY(db.executeBound(QStringLiteral("create table Eindeutig (w text not null unique check (length(w) < 5))")) >= 0);
        QVERIFY(db.executeBound(QStringLiteral("insert into Eindeutig values ('a')")) >= 0);
        DbError e;
        QCOMPARE(db.executeBound(anweisung, {}, &e), -1);
        QCOMPARE(e.number, nummer);
        QVERIFY2(deutsch(e), qPrintable(e.description));
    }
};

QTEST_GUILESS_MAIN(TestJetSicherheit)
#include "tst_jetsicherheit.moc"
