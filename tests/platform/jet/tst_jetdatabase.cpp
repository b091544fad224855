// The catalogue database over SQLite: opening and refusing files, statements with Jet
// semantics, adding columns, compaction, the record set, the data control and the grid model.

#include "platform/jet/CatalogueTableModel.h"
#include "platform/jet/DataControl.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Schema.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

using namespace klang::jet;

namespace {

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QVariantMap rec(const QString& band, const QString& title = QString(), const QString& stil = QString())
{
    QVariantMap r;
    r.insert(QStringLiteral("Band"), band);
    r.insert(QStringLiteral("LPTitel"), title.isNull() ? QVariant() : QVariant(title));
    r.insert(QStringLiteral("Stil"), stil);
    return r;
}

} // namespace

class TestJetDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void refusesForeignFiles_data();
    void refusesForeignFiles();
    void openNeverCreates();
    void createRefusesExisting();
    void emptyCatalogueHasAllFields();
    void likeInStatements_data();
    void likeInStatements();
    void orderIsGerman();
    void sortedViewsMatchEngine_data();
    void sortedViewsMatchEngine();
    void longTextSortEqualsFullSort_data();
    void longTextSortEqualsFullSort();
    void equalsIgnoresCase();
    void statementShapes_data();
    void statementShapes();
    void hostileReplace_data();
    void hostileReplace();
    void addColumnsKeepsText();
    void addColumnErrors();
    void compaction();
    void transactionRollsBack();
    void recordMoves();
    void emptySourceNoRows();
    void boundUpdate();
    void fieldsByNameInOlderLayout();
    void complexSourceLoadsWhole();
    void columnValuesFollowTheView_data();
    void columnValuesFollowTheView();
    void oddContentsNeverBreakViews();
    void dataControlSignals();
    void dataControlWritesEditsBeforeMoving();
    void dataControlReopensAfterReplace();
    void tableModel();
    void largeCatalogue();

private:
    QString catalogue(const QList<QVariantMap>& records, bool olderForm = false);
    // A file name in the test's scratch folder.
    QString file(const QString& name) const { return m_env->path(QStringLiteral("files")) + QLatin1Char('/') + name; }

    std::unique_ptr<klang::test::TestEnvironment> m_env;
    int m_counter = 0;
};

void TestJetDatabase::init()
{
    m_env = std::make_unique<klang::test::TestEnvironment>();
}

QString TestJetDatabase::catalogue(const QList<QVariantMap>& records, bool olderForm)
{
    const QString path = file(QStringLiteral("cat%1.mdb").arg(++m_counter));
    QString error;
    if (!klang::test::writeEmptyCatalogue(path, olderForm, &error))
        qWarning() << error;
    if (!records.isEmpty() && !klang::test::insertCatalogueRecords(path, records, &error))
        qWarning() << error;
    return path;
}

void TestJetDatabase::refusesForeignFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("number");
    QTest::newRow("jet file") << "jet" << errors::kUnrecognisedFormat;
    QTest::newRow("text file") << "text" << errors::kUnrecognisedFormat;
    QTest::newRow("empty file") << "empty" << errors::kUnrecognisedFormat;
    QTest::newRow("damaged sqlite") << "damaged" << errors::kUnrecognisedFormat;
}

// A file that is not an SQLite catalogue is refused with a German message and left unchanged.
void TestJetDatabase::refusesForeignFiles()
{
    QFETCH(QString, kind);
    QFETCH(int, number);
    const QString path = file(QStringLiteral("Archiv.mdb"));
    if (kind == QLatin1String("jet")) {
        QVERIFY(klang::test::writeFakeJetFile(path));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind == QLatin1String("text"))
            f.write("Band;Titel\r\nABBA;Arrival\r\n");
        else if (kind == QLatin1String("damaged"))
            f.write(QByteArray("SQLite format 3\0", 16) + QByteArray(600, '\x5a'));
    }
    const QByteArray before = fileHash(path);
    const QStringList filesBefore = QDir(m_env->path(QStringLiteral("files"))).entryList(QDir::Files);

    Database db;
    DbError error;
    QVERIFY(!db.open(path, &error));
    QVERIFY(!db.isOpen());
    QCOMPARE(error.number, number);
    QVERIFY(error.description.contains(QStringLiteral("Datei")));
    QCOMPARE(fileHash(path), before);
    QCOMPARE(QDir(m_env->path(QStringLiteral("files"))).entryList(QDir::Files), filesBefore);
    if (kind == QLatin1String("jet"))
        QVERIFY(error.description.contains(QStringLiteral("Access")));
}

// Opening a missing file reports it and creates nothing.
void TestJetDatabase::openNeverCreates()
{
    const QString path = file(QStringLiteral("fehlt.mdb"));
    Database db;
    DbError error;
    QVERIFY(!db.open(path, &error));
    QCOMPARE(error.number, errors::kFileNotFound);
    QVERIFY(!QFile::exists(path));
    // A data control with that file shows no rows and creates nothing either.
    DataControl control;
    control.setDatabaseName(path);
    control.setRecordSource(schema::kDefaultRecordSource);
    QVERIFY(!control.refresh());
    QCOMPARE(control.recordCount(), 0);
    QVERIFY(!QFile::exists(path));
}

// Creating a catalogue never overwrites a file.
void TestJetDatabase::createRefusesExisting()
{
    const QString path = catalogue({rec(QStringLiteral("ABBA"))});
    const QByteArray before = fileHash(path);
    DbError error;
    QVERIFY(!Database::createCatalogue(path, false, &error));
    QCOMPARE(fileHash(path), before);
}

// The empty catalogue made at build time has the 19 fields, Bilder as BLOB, no rows.
void TestJetDatabase::emptyCatalogueHasAllFields()
{
    const QString built = qEnvironmentVariable("KLANGTRUHE_RESOURCES") + QStringLiteral("/Archiv_leer.mdb");
    const QString path = QFile::exists(built) ? built : file(QStringLiteral("leer.mdb"));
    if (!QFile::exists(path))
        QVERIFY(Database::createCatalogue(path));
    Database db;
    QVERIFY(db.open(path));
    QCOMPARE(db.columns(schema::kTable), schema::fieldNames());
    QVERIFY(db.missingCatalogueFields().isEmpty());
    QCOMPARE(db.scalar(QStringLiteral("SELECT type FROM pragma_table_info('Schallplatten') WHERE name = 'Bilder'"))
                 .toString(),
             QStringLiteral("BLOB"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Schallplatten")).toInt(), 0);
    // The older form has the 11 fields; the test generator writes the same layouts.
    const QString older = file(QStringLiteral("alt.mdb"));
    QVERIFY(Database::createCatalogue(older, true));
    Database oldDb;
    QVERIFY(oldDb.open(older));
    QCOMPARE(oldDb.columns(schema::kTable), schema::olderFieldNames());
    QCOMPARE(oldDb.missingCatalogueFields().size(), 8);
    QCOMPARE(klang::test::catalogueFieldNames(false), schema::fieldNames());
    QCOMPARE(klang::test::catalogueFieldNames(true), schema::olderFieldNames());
}

void TestJetDatabase::likeInStatements_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");
    QTest::newRow("percent literal") << "100% Rock" << "100%*" << true;
    QTest::newRow("percent no wildcard") << "abc" << "%" << false;
    QTest::newRow("underscore no wildcard") << "abc" << "a_c" << false;
    QTest::newRow("star") << "Ärzte" << "ä*" << true;
    QTest::newRow("hash") << "Vol 2" << "Vol #" << true;
    QTest::newRow("negated") << "Zappa" << "[!a-c]*" << true;
    QTest::newRow("rtf umlaut") << "{\\rtf1 M\\'e4dchen}" << "*M\\?e4dchen*" << true;
}

// SQL's LIKE on a catalogue connection has Jet semantics, with bound values too.
void TestJetDatabase::likeInStatements()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    Database db;
    QVERIFY(db.open(catalogue({})));
    QCOMPARE(db.scalar(QStringLiteral("SELECT ? LIKE ?"), {text, pattern}).toBool(), expected);
    QCOMPARE(db.scalar(QStringLiteral("SELECT NULL LIKE ?"), {pattern}).isNull(), true);
}

// The default view sorts German and without case: "abba" < "Ärzte" < "Zappa" < "ZZ Top".
void TestJetDatabase::orderIsGerman()
{
    const QString path = catalogue({rec(QStringLiteral("ZZ Top")), rec(QStringLiteral("Zappa")),
                                    rec(QStringLiteral("Ärzte")), rec(QStringLiteral("abba"), QStringLiteral("B")),
                                    rec(QStringLiteral("ABBA"), QStringLiteral("a")), rec(QStringLiteral("Beatles"))});
    Database db;
    QVERIFY(db.open(path));
    Recordset rs;
    QVERIFY(rs.open(&db, schema::kDefaultRecordSource));
    QStringList order;
    for (int i = 0; i < rs.recordCount(); ++i)
        order << rs.value(i, QStringLiteral("Band")) + QLatin1Char('/') + rs.value(i, QStringLiteral("LPTitel"));
    QCOMPARE(order, QStringList({"ABBA/a", "abba/B", "Ärzte/", "Beatles/", "Zappa/", "ZZ Top/"}));
}

void TestJetDatabase::sortedViewsMatchEngine_data()
{
    QTest::addColumn<QString>("orderBy");
    QTest::addColumn<QString>("where");
    const QString any = QStringLiteral("Band <> 'x'");
    QTest::newRow("default") << "Band, LPTitel" << any;
    QTest::newRow("with nulls desc") << "Info DESC, LPTitel" << any;
    QTest::newRow("rich text") << "Songs" << any;
    QTest::newRow("bracketed") << "[Stil] ASC, [BestellNr] DESC" << any;
    // Filters are read in parts on several connections at once.
    QTest::newRow("search over columns") << "Band" << "Band like '*e*' or Songs like '*himmel*' or Info like '*a*'";
    QTest::newRow("letter filter") << "Band, LPTitel" << "Band like 'a*' or Band like 'ä*'";
    QTest::newRow("plain text filter, desc") << "Klartext(Songs) DESC" << "Klartext(Songs, 1) like 'a*'";
    QTest::newRow("nothing") << "Band" << "Band like 'qqq*'";
    // Numbers among the texts (the engine sorts those) and gaps in the rowids between parts.
    QTest::newRow("numbers among texts") << "Preis, Band" << "Band like '*e*'";
    QTest::newRow("rowid gaps") << "Band DESC, LPTitel" << "LPTitel like '*a*' or Stil like 'r*'";
    // Song lists and bands many records share (grouped before the sort), case twins among them.
    QTest::newRow("shared values") << "Songs, Band DESC" << any;
    QTest::newRow("shared values, whole table") << "Band DESC, Songs" << "";
    QTest::newRow("shared values, filtered") << "Band, Songs" << "Bewertung like '3' or Band like 'ä*'";
}

// Views sorted in memory come out in the same order as the engine sorts them.
void TestJetDatabase::sortedViewsMatchEngine()
{
    QFETCH(QString, orderBy);
    QFETCH(QString, where);
    const QString path = file(QStringLiteral("sort.mdb"));
    klang::test::CatalogueSpec spec;
    spec.records = 1500;
    const bool shared = QByteArray(QTest::currentDataTag()).startsWith("shared");
    if (shared) {
        spec.sharedSongsPercent = 60;
        spec.oddBandNames = true;
    }
    QVERIFY(klang::test::writeCatalogue(path, spec));
    Database db;
    QVERIFY(db.open(path));
    if (shared)
        QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET Band = upper(Band) WHERE rowid % 7 = 0")) > 0);
    if (orderBy.startsWith(QLatin1String("Preis")))
        QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET Preis = rowid % 13 WHERE rowid % 5 = 0")) > 0);
    if (QByteArray(QTest::currentDataTag()) == "rowid gaps") {
        QVERIFY(db.executeBound(QStringLiteral("DELETE FROM Schallplatten WHERE rowid BETWEEN 200 AND 900")) > 0);
        QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET rowid = rowid + 5000000 WHERE rowid > 1400")) > 0);
    }
    Recordset rs;
    const QString source = where.isEmpty() ? QStringLiteral("select * from Schallplatten order by ") + orderBy
                                           : QStringLiteral("select * from Schallplatten where %1 order by %2").arg(where, orderBy);
    QVERIFY(rs.open(&db, source));
    QList<qint64> engine;
    const SimpleSource simple = analyseRecordSource(source);
    QVERIFY(simple.ok);
    QVERIFY(db.query(QStringLiteral("SELECT rowid FROM Schallplatten WHERE %1 ORDER BY %2, rowid")
                         .arg(where.isEmpty() ? QStringLiteral("1") : simple.where, simple.orderBy),
                     {}, [&](const QVariantList& row) { engine << row.value(0).toLongLong(); return true; }));
    QCOMPARE(rs.recordCount(), int(engine.size()));
    for (int i = 0; i < rs.recordCount(); ++i)
        QCOMPARE(rs.rowId(i), engine.at(i));
}

void TestJetDatabase::longTextSortEqualsFullSort_data()
{
    QTest::addColumn<QString>("orderBy");
    QTest::addColumn<bool>("grosseRowids"); // rowids up to 12 million: the narrowest windows
    QTest::newRow("songs") << "Songs" << false;
    QTest::newRow("songs desc") << "Songs DESC" << false;
    QTest::newRow("songs, band desc") << "Songs, Band DESC" << false;
    QTest::newRow("band, songs") << "Band, Songs" << false;
    QTest::newRow("songs, narrow windows") << "Songs" << true;
    QTest::newRow("band, songs desc, narrow windows") << "Band, Songs DESC" << true;
}

// Rich texts behind a long common header, alike far beyond the sort keys' window (or equal),
// come out of a view exactly as the engine sorts the whole values; equal ones by rowid.
void TestJetDatabase::longTextSortEqualsFullSort()
{
    QFETCH(QString, orderBy);
    QFETCH(bool, grosseRowids);
    const QString header = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}")
                           + QString(300, QLatin1Char(' ')) + QStringLiteral("\\pard ");
    const QString same = QStringLiteral("1. Vorspiel ") + QString(200, QLatin1Char('-'));
    QList<QVariantMap> records;
    QRandomGenerator rng(99);
    const QStringList endings = {"Zugabe", "Ärger", "arger", "ÄRGER", "Straße", "Strasse", ""};
    for (int i = 0; i < 400; ++i) {
        QVariantMap r = rec(QStringLiteral("Band %1").arg(rng.bounded(4u)));
        QString songs = header;
        switch (rng.bounded(4u)) {
        case 0: songs += endings.at(int(rng.bounded(quint32(endings.size())))); break; // differs early
        case 1: songs += same + endings.at(int(rng.bounded(quint32(endings.size())))); break; // differs late
        case 2: songs += same; break; // equal
        default: songs = endings.at(int(rng.bounded(quint32(endings.size())))); break; // short
        }
        r.insert(QStringLiteral("Songs"), rng.bounded(20u) == 0 ? QVariant() : QVariant(songs));
        records << r;
    }
    const QString path = catalogue(records);
    Database db;
    QVERIFY(db.open(path));
    if (grosseRowids)
        QCOMPARE(db.executeBound(QStringLiteral("UPDATE Schallplatten SET rowid = rowid * 30000")), 400);
    Recordset rs;
    const QString source = QStringLiteral("select * from Schallplatten order by ") + orderBy;
    QVERIFY(rs.open(&db, source));
    const SimpleSource simple = analyseRecordSource(source);
    QList<qint64> engine;
    QVERIFY(db.query(QStringLiteral("SELECT rowid FROM Schallplatten ORDER BY %1, rowid").arg(simple.orderBy), {},
                     [&](const QVariantList& row) { engine << row.value(0).toLongLong(); return true; }));
    QCOMPARE(rs.recordCount(), int(engine.size()));
    for (int i = 0; i < rs.recordCount(); ++i)
        QCOMPARE(rs.rowId(i), engine.at(i));
}

// "=" against a text compares without case (as Jet did), but umlauts still count.
void TestJetDatabase::equalsIgnoresCase()
{
    const QString path = catalogue({rec(QStringLiteral("ABBA")), rec(QStringLiteral("Abba")),
                                    rec(QStringLiteral("Ärzte")), rec(QStringLiteral("Arzte"))});
    Database db;
    QVERIFY(db.open(path));
    QCOMPARE(db.execute(QStringLiteral("update Schallplatten set Info = 'x' where Band = 'abba'")), 2);
    QCOMPARE(db.execute(QStringLiteral("update Schallplatten set Info = 'y' where Band = 'ärzte'")), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT Info FROM Schallplatten WHERE Band = 'Arzte'")).isNull(), true);
}

void TestJetDatabase::statementShapes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("bands");
    QTest::newRow("default") << "select * from Schallplatten order by Band, LPTitel"
                             << QStringList{"abba", "Ärzte", "Öl", "Straße", "Zappa"};
    QTest::newRow("bare table") << "Schallplatten" << QStringList{"Zappa", "abba", "Ärzte", "Öl", "Straße"};
    QTest::newRow("sort desc") << "select * from Schallplatten order by Band DESC"
                               << QStringList{"Zappa", "Straße", "Öl", "Ärzte", "abba"};
    QTest::newRow("letter a") << "select * from Schallplatten where Band like 'a*' order by Band, LPTitel"
                              << QStringList{"abba"};
    QTest::newRow("letter a and ä")
        << "select * from Schallplatten where Band like 'a*' or Band like 'ä*' order by Band, LPTitel"
        << QStringList{"abba", "Ärzte"};
    QTest::newRow("letter s and ß") << "select * from Schallplatten where Band like 's*' or Band like 'ß*' order by Band"
                                    << QStringList{"Straße"};
    QTest::newRow("rating") << "select * from Schallplatten where Bewertung like '5' order by Band, LPTitel"
                            << QStringList{"Öl", "Zappa"};
    QTest::newRow("one column search") << "select * from Schallplatten where Stil like '*rock*' order by Stil"
                                       << QStringList{"abba", "Zappa"};
    QTest::newRow("many columns") << "select * from Schallplatten where Band like '*z*' or Stil like '*Pop*' order by Band"
                                  << QStringList{"abba", "Ärzte", "Zappa"};
    QTest::newRow("songs umlaut pattern") << "select * from Schallplatten where Songs like '*F\\?fcr*' order by Band"
                                          << QStringList{"Straße"};
    QTest::newRow("hostile bracket") << "select * from Schallplatten where Info like '*[*' order by Band"
                                     << QStringList{"Öl"};
    QTest::newRow("hostile percent") << "select * from Schallplatten where Info like '*50% & mehr*' order by Band"
                                     << QStringList{"Ärzte"};
    QTest::newRow("hostile apostrophe") << "select * from Schallplatten where Info like '*O''Brien*' order by Band"
                                        << QStringList{"abba"};
    QTest::newRow("literal star") << "select * from Schallplatten where Info like '*[*]*' order by Band"
                                  << QStringList{"Zappa"};
    QTest::newRow("nothing") << "select * from Schallplatten where Band like 'q*'" << QStringList{};
}

// Every view the programs store (and restore after a restart) runs and finds the right rows.
void TestJetDatabase::statementShapes()
{
    QFETCH(QString, source);
    QFETCH(QStringList, bands);
    auto make = [](const char* band, const char* stil, const char* rating, const char* info, const char* songs) {
        QVariantMap r = rec(QString::fromUtf8(band), QStringLiteral("T"), QString::fromUtf8(stil));
        r.insert(QStringLiteral("Bewertung"), QString::fromUtf8(rating));
        r.insert(QStringLiteral("Info"), QString::fromUtf8(info));
        r.insert(QStringLiteral("Songs"), QString::fromUtf8(songs));
        return r;
    };
    const QString path = catalogue({make("Zappa", "Rock", "5", "a * star", "{\\rtf1 Peaches}"),
                                    make("abba", "Pop Rock", "3", "O'Brien", "{\\rtf1 Waterloo}"),
                                    make("Ärzte", "Punk", "1", "50% & mehr", "{\\rtf1 Schrei}"),
                                    make("Öl", "Jazz", "5", "[x", "{\\rtf1 Fl\\'fcssig}"),
                                    make("Straße", "Blues", "2", "", "{\\rtf1 F\\'fcr Elise}")});
    DataControl control;
    control.setDatabaseName(path);
    control.setRecordSource(source);
    DbError error;
    QVERIFY2(control.refresh(&error), qPrintable(error.text()));
    QStringList got;
    for (int i = 0; i < control.recordCount(); ++i)
        got << control.recordset().value(i, QStringLiteral("band"));
    QCOMPARE(got, bands);
    // The same view with its row keys, as one statement, gives the same rows in order.
    QList<qint64> keyed;
    QVERIFY(control.database().query(translateRecordSourceWithRowId(source), {}, [&](const QVariantList& row) {
        keyed << row.value(0).toLongLong();
        return true;
    }));
    QCOMPARE(keyed.size(), qsizetype(control.recordCount()));
    for (int i = 0; i < keyed.size(); ++i)
        QCOMPARE(keyed.at(i), control.recordset().rowId(i));
}

void TestJetDatabase::hostileReplace_data()
{
    QTest::addColumn<QString>("oldValue");
    QTest::addColumn<QString>("newValue");
    QTest::newRow("apostrophe") << "O'Brien" << "O'Brian's";
    QTest::newRow("percent ampersand") << "50% & mehr" << "60% & weniger";
    QTest::newRow("bracket") << "[" << "]";
    QTest::newRow("star") << "*" << "**";
    QTest::newRow("sql") << "x'; DROP TABLE Schallplatten; --" << "y";
}

// The replace statement built with the quoting helper changes exactly the rows with the old
// value and reports their number; hostile text never breaks the statement.
void TestJetDatabase::hostileReplace()
{
    QFETCH(QString, oldValue);
    QFETCH(QString, newValue);
    const QString path = catalogue({rec(oldValue), rec(oldValue), rec(QStringLiteral("other")), rec(oldValue + "x")});
    Database db;
    QVERIFY(db.open(path));
    const QString sql = QStringLiteral("update Schallplatten set Band = ") + jetQuote(newValue)
                        + QStringLiteral(" where Band = ") + jetQuote(oldValue);
    DbError error;
    QCOMPARE(db.execute(sql, &error), 2);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Schallplatten WHERE Band = ?"), {newValue}).toInt(), 2);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Schallplatten")).toInt(), 4);
}

// The database manager's update adds the eight newer columns as text: "007" and "1.50" stay.
void TestJetDatabase::addColumnsKeepsText()
{
    const QString path = catalogue({rec(QStringLiteral("ABBA"))}, true);
    Database db;
    QVERIFY(db.open(path));
    QCOMPARE(db.missingCatalogueFields().size(), 8);
    for (const schema::NewerColumn& c : schema::newerColumns()) {
        DbError error;
        QVERIFY2(db.execute(QStringLiteral("ALTER TABLE Schallplatten ADD COLUMN %1 %2").arg(c.name, c.jetType), &error) >= 0,
                 qPrintable(error.text()));
    }
    QVERIFY(db.missingCatalogueFields().isEmpty());
    QCOMPARE(db.executeBound(QStringLiteral("UPDATE Schallplatten SET Bewertung = ?, Musikpfad = ?, InfoTab = ?"),
                             {QStringLiteral("007"), QStringLiteral("1.50"), QStringLiteral("0042")}),
             1);
    Recordset rs;
    QVERIFY(rs.open(&db, QStringLiteral("Schallplatten")));
    QCOMPARE(rs.field(QStringLiteral("Bewertung")), QStringLiteral("007"));
    QCOMPARE(rs.field(QStringLiteral("Musikpfad")), QStringLiteral("1.50"));
    QCOMPARE(rs.field(QStringLiteral("InfoTab")), QStringLiteral("0042"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT typeof(Bewertung) FROM Schallplatten")).toString(), QStringLiteral("text"));
}

// A second update reports each existing column as 3380 (any case); a missing table as 3376.
void TestJetDatabase::addColumnErrors()
{
    const QString path = catalogue({});
    Database db;
    QVERIFY(db.open(path));
    DbError error;
    QCOMPARE(db.execute(QStringLiteral("ALTER TABLE Schallplatten ADD COLUMN Bildpfad Memo"), &error), -1);
    QCOMPARE(error.number, errors::kColumnExists);
    QCOMPARE(db.columns(schema::kTable).size(), 19);
    QVERIFY(db.executeBound(QStringLiteral("DROP TABLE Schallplatten")) >= 0);
    QCOMPARE(db.execute(QStringLiteral("ALTER TABLE Schallplatten ADD COLUMN Musikpfad Text"), &error), -1);
    QCOMPARE(error.number, errors::kTableMissing);
    QVERIFY(!db.tableExists(schema::kTable));
}

// Compaction writes a sound, smaller copy with the same rows; it never overwrites a file.
void TestJetDatabase::compaction()
{
    const QString path = file(QStringLiteral("gross.mdb"));
    klang::test::CatalogueSpec spec;
    spec.records = 400;
    QVERIFY(klang::test::writeCatalogue(path, spec));
    {
        Database db;
        QVERIFY(db.open(path));
        QCOMPARE(db.executeBound(QStringLiteral("DELETE FROM Schallplatten WHERE rowid % 2 = 0")), 200);
    }
    const QString target = file(QStringLiteral("gross_temp.mdb"));
    DbError error;
    QVERIFY2(Database::compactFile(path, target, &error), qPrintable(error.text()));
    QVERIFY(QFileInfo(target).size() < QFileInfo(path).size());
    Database compacted;
    QVERIFY(compacted.open(target));
    QCOMPARE(compacted.integrityCheck(), QStringLiteral("ok"));
    QCOMPARE(compacted.scalar(QStringLiteral("SELECT count(*) FROM Schallplatten")).toInt(), 200);
    const QByteArray before = fileHash(target);
    QVERIFY(!compacted.compactInto(target, &error));
    QCOMPARE(fileHash(target), before);
}

// A transaction not committed leaves the data as it was.
void TestJetDatabase::transactionRollsBack()
{
    const QString path = catalogue({rec(QStringLiteral("ABBA"))});
    Database db;
    QVERIFY(db.open(path));
    {
        Transaction t(db);
        QVERIFY(t.isActive());
        QCOMPARE(db.execute(QStringLiteral("update Schallplatten set Band = 'x'")), 1);
    }
    QCOMPARE(db.scalar(QStringLiteral("SELECT Band FROM Schallplatten")).toString(), QStringLiteral("ABBA"));
    {
        Transaction t(db);
        db.execute(QStringLiteral("update Schallplatten set Band = 'y'"));
        QVERIFY(t.commit());
    }
    QCOMPARE(db.scalar(QStringLiteral("SELECT Band FROM Schallplatten")).toString(), QStringLiteral("y"));
}

// Moves, BOF/EOF and the absolute position behave like the record set the programs know.
void TestJetDatabase::recordMoves()
{
    const QString path = catalogue({rec("c"), rec("a"), rec("e"), rec("b"), rec("d")});
    Database db;
    QVERIFY(db.open(path));
    Recordset rs;
    QVERIFY(rs.open(&db, QStringLiteral("select * from Schallplatten order by Band")));
    QCOMPARE(rs.recordCount(), 5);
    QCOMPARE(rs.absolutePosition(), 0);
    QCOMPARE(rs.field("Band"), QStringLiteral("a"));
    rs.moveNext();
    QCOMPARE(rs.field("Band"), QStringLiteral("b"));
    rs.moveLast();
    QCOMPARE(rs.field("Band"), QStringLiteral("e"));
    QVERIFY(!rs.eof());
    rs.moveNext();
    QVERIFY(rs.eof());
    QCOMPARE(rs.absolutePosition(), -1);
    QCOMPARE(rs.field("Band"), QString());
    rs.moveNext(); // stays at EOF
    QVERIFY(rs.eof());
    rs.movePrevious();
    QCOMPARE(rs.field("Band"), QStringLiteral("e"));
    rs.moveFirst();
    rs.movePrevious();
    QVERIFY(rs.bof());
    QVERIFY(!rs.setAbsolutePosition(5));
    QVERIFY(!rs.setAbsolutePosition(-1));
    QVERIFY(rs.setAbsolutePosition(2));
    QCOMPARE(rs.field("Band"), QStringLiteral("c"));
    QCOMPARE(rs.positionOfRowId(rs.currentRowId()), 2);
}

// An empty record source or file name gives no rows and no error; an empty set is BOF and EOF.
void TestJetDatabase::emptySourceNoRows()
{
    const QString path = catalogue({rec("a")});
    DataControl control;
    control.setDatabaseName(path);
    control.setRecordSource(QString());
    QVERIFY(control.refresh());
    QCOMPARE(control.recordCount(), 0);
    QVERIFY(control.recordset().bof() && control.recordset().eof());
    control.setDatabaseName(QString());
    control.setRecordSource(schema::kDefaultRecordSource);
    QVERIFY(control.refresh());
    QCOMPARE(control.recordCount(), 0);
    control.setDatabaseName(path);
    control.setRecordSource(QStringLiteral("select * from Schallplatten where Band like 'z*'"));
    QVERIFY(control.refresh());
    QVERIFY(control.recordset().bof() && control.recordset().eof());
    QCOMPARE(control.field("Band"), QString());
}

// Edits go in through a bound UPDATE of the current row only; NULL reads as "".
void TestJetDatabase::boundUpdate()
{
    const QString path = catalogue({rec("a", "x"), rec("b"), rec("c", "z")});
    Database db;
    QVERIFY(db.open(path));
    // A number another tool stored reads as shorter text; the record is still the one loaded.
    QVERIFY(db.executeBound(QStringLiteral("ALTER TABLE Schallplatten ADD COLUMN Zahl REAL")) >= 0);
    QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET Zahl = 0.1 + 0.2")) == 3);
    Recordset rs;
    QVERIFY(rs.open(&db, schema::kDefaultRecordSource));
    rs.moveNext();
    rs.rememberLoadedRow();
    QCOMPARE(rs.field("LPTitel"), QString()); // NULL
    const QString hostile = QStringLiteral("O'Brien'; DROP TABLE Schallplatten; --");
    QVERIFY(rs.setField(QStringLiteral("lptitel"), hostile));
    QVERIFY(rs.isDirty());
    QCOMPARE(rs.field("LPTitel"), hostile); // the edit shows before it is written
    QVERIFY(!rs.setField(QStringLiteral("NoSuchField"), "x"));
    DbError error;
    QVERIFY2(rs.update(&error), qPrintable(error.text()));
    QVERIFY(!rs.isDirty());
    QCOMPARE(db.scalar(QStringLiteral("SELECT LPTitel FROM Schallplatten WHERE Band = 'b'")).toString(), hostile);
    QCOMPARE(db.scalar(QStringLiteral("SELECT LPTitel FROM Schallplatten WHERE Band = 'a'")).toString(), QStringLiteral("x"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT LPTitel FROM Schallplatten WHERE Band = 'c'")).toString(), QStringLiteral("z"));
    QCOMPARE(rs.value(1, QStringLiteral("LPTitel")), hostile); // cache refreshed
    // A move drops an edit that was not written.
    QVERIFY(rs.setField(QStringLiteral("Band"), "lost"));
    rs.moveNext();
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Schallplatten WHERE Band = 'lost'")).toInt(), 0);
    // An unchanged value (also "" over NULL) is no edit.
    QVERIFY(rs.setField(QStringLiteral("Info"), QString()));
    QVERIFY(!rs.isDirty());
}

// Fields are found by name, also when an updated older catalogue has another column order.
void TestJetDatabase::fieldsByNameInOlderLayout()
{
    const QString path = catalogue({rec("ABBA", "Arrival")}, true);
    Database db;
    QVERIFY(db.open(path));
    QVERIFY(db.executeBound(QStringLiteral("ALTER TABLE Schallplatten ADD COLUMN Musikpfad TEXT")) >= 0);
    QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET Musikpfad = '/m/'")) >= 0);
    Recordset rs;
    QVERIFY(rs.open(&db, schema::kDefaultRecordSource));
    QCOMPARE(rs.fieldNames().indexOf("Musikpfad"), 11); // after Bilder
    QCOMPARE(rs.field("Musikpfad"), QStringLiteral("/m/"));
    QCOMPARE(rs.field("LPTITEL"), QStringLiteral("Arrival"));
    QCOMPARE(rs.field("SongText"), QString()); // missing field: ""
}

// A select that is not a plain view still shows its rows (read-only).
void TestJetDatabase::complexSourceLoadsWhole()
{
    const QString path = catalogue({rec("ABBA", "Arrival"), rec("Zappa", "Apostrophe")});
    Database db;
    QVERIFY(db.open(path));
    Recordset rs;
    DbError error;
    QVERIFY2(rs.open(&db, QStringLiteral("select Band & ' - ' & LPTitel as Anzeige from Schallplatten order by Band"), &error),
             qPrintable(error.text()));
    QCOMPARE(rs.recordCount(), 2);
    QCOMPARE(rs.field("Anzeige"), QStringLiteral("ABBA - Arrival"));
    QVERIFY(!rs.isUpdatable());
    QVERIFY(!rs.setField("Anzeige", "x"));
    QVERIFY(!rs.open(&db, QStringLiteral("select * from Nirgendwo"), &error));
    QVERIFY(error.isError());
    QCOMPARE(rs.recordCount(), 0);
}

void TestJetDatabase::columnValuesFollowTheView_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("field");
    QTest::newRow("default view") << QString(schema::kDefaultRecordSource) << "Stil";
    QTest::newRow("filter, desc") << "select * from Schallplatten where Band like 'b*' order by LPTitel DESC" << "Band";
    QTest::newRow("unsorted table") << "Schallplatten" << "LPTitel";
    QTest::newRow("complex source") << "select Band as Name, Stil from Schallplatten order by Stil" << "Name";
    QTest::newRow("unknown field") << QString(schema::kDefaultRecordSource) << "Gibtsnicht";
}

// A whole field read at once gives, row for row, what reading the rows one by one gives
// (NULL, numbers and blobs included; a row deleted behind the set's back reads "").
void TestJetDatabase::columnValuesFollowTheView()
{
    QFETCH(QString, source);
    QFETCH(QString, field);
    QList<QVariantMap> records;
    for (int i = 0; i < 60; ++i)
        records << rec(QStringLiteral("%1and %2").arg(QChar(u"abcÄ"[i % 4])).arg(i % 7), QStringLiteral("Titel %1").arg(i),
                       i % 5 == 0 ? QString() : QStringLiteral("Stil %1").arg(i % 3));
    const QString path = catalogue(records);
    Database db;
    QVERIFY(db.open(path));
    QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET Stil = NULL, LPTitel = 7 WHERE rowid = 3")) == 1);
    QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET Band = ? WHERE rowid = 4"), {QByteArray("\x01\x02", 2)}) == 1);
    Recordset rs;
    QVERIFY(rs.open(&db, source));
    QVERIFY(rs.recordCount() > 0);
    if (rs.isUpdatable())
        QVERIFY(db.executeBound(QStringLiteral("DELETE FROM Schallplatten WHERE rowid = ?"), {rs.rowId(rs.recordCount() / 2)}) == 1);
    rs.invalidateCache();
    const QStringList column = rs.columnValues(field);
    QCOMPARE(column.size(), rs.recordCount());
    for (int row = 0; row < rs.recordCount(); ++row)
        QCOMPARE(column.at(row), rs.value(row, field));
}

// Numbers, blobs, invalid UTF-8 and huge texts in text fields show and sort without a crash.
void TestJetDatabase::oddContentsNeverBreakViews()
{
    const QString path = catalogue({rec("b")});
    Database db;
    QVERIFY(db.open(path));
    QVERIFY(db.executeBound(QStringLiteral("INSERT INTO Schallplatten (Band, LPTitel) VALUES (?, ?)"),
                            {QVariant(42), QString(200000, QLatin1Char('x'))}) == 1);
    QVERIFY(db.executeBound(QStringLiteral("INSERT INTO Schallplatten (Band) VALUES (CAST(x'ff41c3' AS TEXT))")) == 1);
    QVERIFY(db.executeBound(QStringLiteral("INSERT INTO Schallplatten (Band, Info) VALUES (?, ?)"),
                            {QByteArray("\x00\x01", 2), QStringLiteral("Blob")}) == 1);
    QVERIFY(db.executeBound(QStringLiteral("INSERT INTO Schallplatten (Band) VALUES (NULL)")) == 1);
    for (const QString& order : {QStringLiteral("Band, LPTitel"), QStringLiteral("LPTitel DESC")}) {
        Recordset rs;
        QVERIFY(rs.open(&db, QStringLiteral("select * from Schallplatten where Band like '*' or Band is null order by ") + order));
        QCOMPARE(rs.recordCount(), 5);
        for (int i = 0; i < rs.recordCount(); ++i)
            for (const QString& f : rs.fieldNames())
                rs.value(i, f);
    }
    Recordset rs;
    QVERIFY(rs.open(&db, schema::kDefaultRecordSource));
    QCOMPARE(rs.value(0, "Band"), QString()); // NULL first, as Jet sorts
    QCOMPARE(rs.value(1, "Band"), QStringLiteral("42")); // numbers before text
}

// The data control announces every row change once, and not for a move that stays put.
void TestJetDatabase::dataControlSignals()
{
    const QString path = catalogue({rec("a"), rec("b"), rec("c")});
    DataControl control;
    QSignalSpy reposition(&control, &DataControl::Reposition);
    QSignalSpy reloaded(&control, &DataControl::recordsetReloaded);
    control.setDatabaseName(path);
    control.setRecordSource(schema::kDefaultRecordSource);
    QVERIFY(control.refresh());
    QCOMPARE(reposition.count(), 1);
    QCOMPARE(reloaded.count(), 1);
    QCOMPARE(control.absolutePosition(), 0);
    control.moveNext();
    control.moveLast();
    QCOMPARE(reposition.count(), 3);
    control.moveNext(); // at the last row: stays, no event
    QCOMPARE(reposition.count(), 3);
    QCOMPARE(control.field("Band"), QStringLiteral("c"));
    QVERIFY(control.setAbsolutePosition(0));
    QCOMPARE(reposition.count(), 4);
    QVERIFY(!control.setAbsolutePosition(7));
    control.movePrevious();
    QCOMPARE(reposition.count(), 4);
}

// Edits handed in at Validate are written before the row changes, before a refresh and when
// the control goes away.
void TestJetDatabase::dataControlWritesEditsBeforeMoving()
{
    const QString path = catalogue({rec("a"), rec("b"), rec("c")});
    auto* control = new DataControl;
    control->setDatabaseName(path);
    control->setRecordSource(schema::kDefaultRecordSource);
    QVERIFY(control->refresh());
    QString editorText = QStringLiteral("neu");
    connect(control, &DataControl::Validate, control, [&] { control->setField(QStringLiteral("Info"), editorText); });
    control->moveNext(); // row a gets "neu"
    editorText = QStringLiteral("zwei");
    QVERIFY(control->refresh()); // row b gets "zwei"
    disconnect(control, &DataControl::Validate, nullptr, nullptr);
    QVERIFY(control->setAbsolutePosition(2));
    control->setField(QStringLiteral("Info"), QStringLiteral("drei"));
    delete control; // row c written at the end
    Database db;
    QVERIFY(db.open(path));
    QStringList infos;
    db.query(QStringLiteral("SELECT Info FROM Schallplatten ORDER BY Band"), {}, [&](const QVariantList& row) {
        infos << row.value(0).toString();
        return true;
    });
    QCOMPARE(infos, QStringList({"neu", "zwei", "drei"}));
}

// After statements through the control's database, a refresh shows the new values, and a new
// file name releases the old file (so it can be replaced, as compaction does).
void TestJetDatabase::dataControlReopensAfterReplace()
{
    const QString path = catalogue({rec("ABBA"), rec("ABBA"), rec("Zappa")});
    DataControl control;
    control.setDatabaseName(path);
    control.setRecordSource(schema::kDefaultRecordSource);
    QVERIFY(control.refresh());
    QCOMPARE(control.recordset().value(0, "Band"), QStringLiteral("ABBA")); // cached
    QCOMPARE(control.database().execute(QStringLiteral("update Schallplatten set Band = 'Abba!' where Band = 'ABBA'")), 2);
    QCOMPARE(control.recordset().value(0, "Band"), QStringLiteral("Abba!"));
    control.close();
    QVERIFY(!control.database().isOpen());
    const QString compacted = file(QStringLiteral("temp.mdb"));
    QVERIFY(Database::compactFile(path, compacted));
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(compacted, path));
    control.setDatabaseName(path);
    QVERIFY(control.refresh());
    QCOMPARE(control.recordCount(), 3);
}

// The grid model shows text fields by name (no Bilder), follows reloads and shows edits.
void TestJetDatabase::tableModel()
{
    QVariantMap withPicture = rec("ABBA", "Arrival");
    withPicture.insert(QStringLiteral("Bilder"), QByteArray("\x89PNG", 4));
    const QString path = catalogue({withPicture, rec("Zappa", "Apostrophe")});
    DataControl control;
    CatalogueTableModel model(&control);
    QCOMPARE(model.rowCount(), 0);
    control.setDatabaseName(path);
    control.setRecordSource(schema::kDefaultRecordSource);
    QVERIFY(control.refresh());
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 18);
    QCOMPARE(model.columnOfField(QStringLiteral("Bilder")), -1);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("LPTitel"));
    QCOMPARE(model.data(model.index(1, model.columnOfField("band"))).toString(), QStringLiteral("Zappa"));
    QCOMPARE(control.recordset().fieldData(QStringLiteral("Bilder")), QByteArray("\x89PNG", 4));
    model.setColumns({QStringLiteral("LPTitel"), QStringLiteral("Fehlt"), QStringLiteral("Band")});
    QCOMPARE(model.columns(), QStringList({"LPTitel", "Band"}));
    model.setDisplayTransform([](const QString& field, const QString& value) {
        return field == QLatin1String("Band") ? value.toLower() : value;
    });
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("abba"));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    control.setField(QStringLiteral("LPTitel"), QStringLiteral("Voulez-Vous"));
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("Voulez-Vous"));
    QVERIFY(control.updateRecord());
    QCOMPARE(changed.count(), 1);
    control.setRecordSource(QString());
    QVERIFY(control.refresh());
    QCOMPARE(model.rowCount(), 0);
}

// A generated catalogue of 20,000 records: exact count at once, any row readable, letter filter.
void TestJetDatabase::largeCatalogue()
{
    const QString path = file(QStringLiteral("gross.mdb"));
    klang::test::CatalogueSpec spec;
    spec.records = 20000;
    spec.picturePercent = 5;
    QVERIFY(klang::test::writeCatalogue(path, spec));
    DataControl control;
    control.setDatabaseName(path);
    control.setRecordSource(schema::kDefaultRecordSource);
    QVERIFY(control.refresh());
    QCOMPARE(control.recordCount(), 20000);
    QVERIFY(!control.recordset().value(19999, "Band").isEmpty());
    control.setRecordSource(QStringLiteral("select * from Schallplatten where Band like 'ä*' order by Band, LPTitel"));
    QVERIFY(control.refresh());
    QVERIFY(control.recordCount() > 0);
    for (int i = 0; i < control.recordCount(); i += 97)
        QVERIFY(control.recordset().value(i, "Band").startsWith(QStringLiteral("Ärzte")));
}

QTEST_GUILESS_MAIN(TestJetDatabase)
#include "tst_jetdatabase.moc"
