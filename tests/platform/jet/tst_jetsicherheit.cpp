// What the database layer does with hostile views, unwritable and damaged files: a view runs
// only as one read-only query, a failed write keeps the row and the edit, a record that
// cannot be read takes no edit, and every engine failure reads in German.

#include "platform/jet/DataControl.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unveraenderlich.h"

#include <QFile>
#include <QSignalSpy>
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

    // A write that fails after the catalogue was opened writable (its folder became
    // read-only): the row is not left, nothing is reloaded, the failure is signalled once
    // per attempt in German, and the edit comes in again at the next attempt.
    void fehlgeschlagenesSchreibenBleibtStehen()
    {
        DataControl data1;
        data1.setDatabaseName(m_pfad);
        data1.setRecordSource(QStringLiteral("select * from Schallplatten order by Band"));
        QVERIFY(data1.refresh());
        QString editor = QStringLiteral("neu getippt");
        connect(&data1, &DataControl::Validate, &data1, [&] { data1.setField(QStringLiteral("Info"), editor); });
        QSignalSpy fehler(&data1, &DataControl::updateFailed);
        QSignalSpy geladen(&data1, &DataControl::recordsetReloaded);
        {
            klang::test::Unveraenderlich sperre(QFileInfo(m_pfad).absolutePath());
            QVERIFY(sperre.ok());
            QVERIFY(!data1.setAbsolutePosition(1));
            QCOMPARE(data1.absolutePosition(), 0);
            QCOMPARE(fehler.count(), 1);
            const DbError e = fehler.at(0).at(0).value<DbError>();
            QVERIFY2(deutsch(e), qPrintable(e.description));
            QVERIFY(e.number == errors::kCannotOpen || e.number == errors::kReadOnly);
            DbError r;
            QVERIFY(!data1.refresh(&r));
            QCOMPARE(r.number, e.number);
            QCOMPARE(geladen.count(), 0);
            QVERIFY(!data1.setDatabaseName(QString()));
            QCOMPARE(data1.databaseName(), m_pfad);
            QCOMPARE(fehler.count(), 3);
        }
        // Writable again: the same edit goes in and the row can be left.
        QVERIFY(data1.setAbsolutePosition(1));
        QCOMPARE(data1.recordset().value(0, QStringLiteral("Info")), QStringLiteral("neu getippt"));
    }

    // Damage past the first page: quick_check finds it; the rowids still load, the damaged
    // record reads empty, is reported as unreadable and takes no edit, its neighbours work.
    void beschaedigterDatensatz()
    {
        const QString datei = m_env->path(QStringLiteral("kaputt")) + QStringLiteral("/Kaputt.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(datei));
        const QString lang(20000, QLatin1Char('x'));
        QVERIFY(klang::test::insertCatalogueRecords(datei, {satz("A", lang), satz("B", lang), satz("C", lang)}));
        {
            Database db;
            QVERIFY(db.open(datei));
            QCOMPARE(db.quickCheck(), QStringLiteral("ok"));
        }
        // The second overflow page of the first record gets a next-page number past the end.
        QFile f(datei);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const QByteArray kopf = f.read(100);
        const int seite = (quint8(kopf[16]) << 8) | quint8(kopf[17]);
        QVERIFY(f.seek(qint64(seite) * 3));
        f.write("\xff\xff\xff\xff", 4);
        f.close();

        Database db;
        QVERIFY(db.open(datei));
        QVERIFY(db.quickCheck() != QLatin1String("ok"));
        Recordset rs;
        QVERIFY(rs.open(&db, QStringLiteral("select * from Schallplatten")));
        QCOMPARE(rs.recordCount(), 3);
        QVERIFY(!rs.isRowReadable(0));
        QCOMPARE(rs.value(0, QStringLiteral("Band")), QString());
        QCOMPARE(rs.readError().number, errors::kDamaged);
        QVERIFY(deutsch(rs.readError()));
        QVERIFY(rs.isRowReadable(1));
        QCOMPARE(rs.value(1, QStringLiteral("Band")), QStringLiteral("B"));
        QVERIFY(rs.setAbsolutePosition(0));
        QVERIFY(!rs.setField(QStringLiteral("Band"), QStringLiteral("überschrieben")));
        QVERIFY(!rs.isDirty());
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
