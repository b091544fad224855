// Long work off the window's thread: the window's events go on, the user's input is held back
// (Esc cancels where allowed), and a view that loads meanwhile keeps its old rows until the new
// ones are all there.

#include "platform/background/Hintergrund.h"
#include "platform/jet/DataControl.h"
#include "platform/jet/JetFunctions.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace klang;

class TestHintergrund : public QObject
{
    Q_OBJECT
private slots:
    void fensterLaeuftEingabeWartet_data();
    void fensterLaeuftEingabeWartet();
    void ansichtBleibtBisDieNeueDaIst();
    void vorgeladeneAnsicht_data();
    void vorgeladeneAnsicht();
    void escGibtNeueAnsichtAuf();
    void scanLaesstQtsPoolFrei();
    void fensterFadenBleibtVorn();
};

void TestHintergrund::fensterLaeuftEingabeWartet_data()
{
    QTest::addColumn<bool>("abbrechbar");
    QTest::addColumn<int>("taste");
    QTest::addColumn<bool>("fertig");
    QTest::newRow("Esc bricht ab") << true << int(Qt::Key_Escape) << false;
    QTest::newRow("Esc, wo nichts abbricht") << false << int(Qt::Key_Escape) << true;
    QTest::newRow("andere Taste") << true << int(Qt::Key_A) << true;
}

void TestHintergrund::fensterLaeuftEingabeWartet()
{
    QFETCH(bool, abbrechbar);
    QFETCH(int, taste);
    QFETCH(bool, fertig);
    QLineEdit feld;
    feld.show();
    QVERIFY(QTest::qWaitForWindowExposed(&feld));
    QStringList anzeige;
    setHintergrundAnzeige([&](bool aktiv, const QString& text) { anzeige << (aktiv ? text : QStringLiteral("-")); });

    // Three uses in a row: the second and third wait like the first.
    for (int lauf = 0; lauf < 3; ++lauf) {
        int takte = 0;
        qint64 laengsteLuecke = 0;
        QElapsedTimer uhr;
        uhr.start();
        qint64 zuletzt = 0;
        QTimer takt;
        takt.setInterval(5);
        connect(&takt, &QTimer::timeout, this, [&] {
            ++takte;
            laengsteLuecke = qMax(laengsteLuecke, uhr.elapsed() - zuletzt);
            zuletzt = uhr.elapsed();
            if (takte == 10) {
                // The user types meanwhile: nothing reaches the field.
                QKeyEvent druck(QEvent::KeyPress, taste, Qt::NoModifier, QStringLiteral("a"));
                QApplication::sendEvent(&feld, &druck);
            }
        });
        takt.start();
        bool innen = true;
        bool abgebrochenGesehen = false;
        const bool ergebnis = imHintergrund(
            [&](const std::atomic_bool& abbrechen) {
                // A nested call runs in place.
                innen = hintergrundMoeglich();
                // Long enough for the timer's tenth turn to come first, also on a busy machine.
                for (int i = 0; i < (fertig ? 100 : 2000) && !abbrechen; ++i)
                    QThread::msleep(5);
                abgebrochenGesehen = abbrechen;
                hintergrundMelden(QStringLiteral("halb"));
            },
            Hintergrund{QStringLiteral("Arbeiten ..."), abbrechbar});
        takt.stop();
        QCOMPARE(ergebnis, fertig);
        QCOMPARE(abgebrochenGesehen, !fertig);
        QVERIFY(!innen);
        // The window's timer went on (a frozen window would have stood still for the whole work).
        QVERIFY2(takte >= 10, qPrintable(QString::number(takte)));
        QVERIFY2(laengsteLuecke < 250, qPrintable(QString::number(laengsteLuecke)));
        QCOMPARE(feld.text(), QString());
        QVERIFY(hintergrundMoeglich());
    }
    // Shown once it lasted a moment, and taken away each time.
    if (fertig)
        QCOMPARE(anzeige.count(QStringLiteral("Arbeiten ...")), 3);
    QCOMPARE(anzeige.count(QStringLiteral("-")), anzeige.count(QStringLiteral("Arbeiten ...")));
    setHintergrundAnzeige({});
}

void TestHintergrund::ansichtBleibtBisDieNeueDaIst()
{
    test::TestEnvironment env;
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("Archiv.mdb"));
    QString fehler;
    QVERIFY2(test::writeCatalogue(pfad, test::CatalogueSpec{20000, false, 7, 12}, &fehler), qPrintable(fehler));

    jet::DataControl data;
    data.setDatabaseName(pfad);
    const QStringList quellen = {
        QStringLiteral("select * from Schallplatten where Band like '*a*' order by Songs desc, Band"),
        QStringLiteral("select * from Schallplatten order by LPTitel"),
        QStringLiteral("select Band, count(*) as n from Schallplatten group by Band order by n desc, Band"),
    };
    // The same views loaded in place (below the size that loads off the thread) give the
    // reference.
    QList<QStringList> erwartet;
    {
        jet::Database db;
        QVERIFY(db.open(pfad));
        for (const QString& q : quellen) {
            jet::Recordset rs;
            QVERIFY(rs.open(&db, q)); // no application thread involved: in place
            QStringList zeilen;
            for (int r = 0; r < rs.recordCount(); r += 997)
                zeilen << rs.value(r, 0) + QLatin1Char('|') + rs.value(r, 1);
            erwartet << zeilen;
        }
    }
    jet::Recordset::setBackgroundRows(1);
    int vorher = 0;
    for (int i = 0; i < quellen.size(); ++i) {
        // While the new view loads, the old one is what the window shows, whole.
        QList<int> gesehen;
        QTimer sonde;
        sonde.setInterval(1);
        connect(&sonde, &QTimer::timeout, this, [&] { gesehen << data.recordCount(); });
        sonde.start();
        data.setRecordSource(quellen[i]);
        QVERIFY(data.refresh());
        sonde.stop();
        for (int n : std::as_const(gesehen))
            QCOMPARE(n, vorher);
        QStringList zeilen;
        for (int r = 0; r < data.recordCount(); r += 997)
            zeilen << data.recordset().value(r, 0) + QLatin1Char('|') + data.recordset().value(r, 1);
        QCOMPARE(zeilen, erwartet[i]);
        QCOMPARE(data.absolutePosition(), 0);
        vorher = data.recordCount();
    }
    // A check of the file that runs beside the loading and finds damage: no row of the file is
    // taken; the next load is as before.
    for (const QString& befund : {QStringLiteral("Die Datei ist beschädigt."), QString()}) {
        jet::DbError e;
        QCOMPARE(data.refresh(&e, [befund] { return befund; }), befund.isEmpty());
        QCOMPARE(e.description, befund);
        QCOMPARE(data.recordCount(), befund.isEmpty() ? vorher : 0);
    }
    // The connection kept for such loads sees what this program wrote meanwhile, and another
    // file once the control has moved on to it.
    QCOMPARE(data.database().executeBound(QStringLiteral("UPDATE Schallplatten SET Band = 'Zzz Neu' WHERE rowid = 5")), 1);
    data.setRecordSource(QStringLiteral("select * from Schallplatten where Band = 'Zzz Neu'"));
    QVERIFY(data.refresh());
    QCOMPARE(data.recordCount(), 1);
    const QString zweite = dir.filePath(QStringLiteral("Zweite.mdb"));
    QVERIFY(test::writeCatalogue(zweite, test::CatalogueSpec{300, false, 3, 4}));
    QVERIFY(data.setDatabaseName(zweite));
    data.setRecordSource(QStringLiteral("select * from Schallplatten order by LPTitel"));
    QVERIFY(data.refresh());
    QCOMPARE(data.recordCount(), 300);
    jet::Recordset::setBackgroundRows(50000);
}

namespace {
QStringList zeilenVon(const jet::Recordset& rs)
{
    QStringList zeilen;
    for (int r = 0; r < rs.recordCount(); ++r)
        zeilen << rs.value(r, 0) + QLatin1Char('|') + rs.value(r, 1);
    return zeilen;
}
} // namespace

void TestHintergrund::vorgeladeneAnsicht_data()
{
    QTest::addColumn<QString>("vorgeladen");
    QTest::addColumn<QString>("geoeffnet");
    QTest::addColumn<bool>("geschrieben");
    QTest::addColumn<bool>("ersetzt");        // another file renamed over it meanwhile
    QTest::addColumn<QString>("vorabBefund"); // what the check beside the preload found
    const QString band = QStringLiteral("select * from Schallplatten order by Band, LPTitel");
    const QString titel = QStringLiteral("select * from Schallplatten where Band like '*e*' order by LPTitel desc");
    const QString schaden = QStringLiteral("Die Datei ist beschädigt.");
    QTest::newRow("gleiche Ansicht") << band << band << false << false << QString();
    QTest::newRow("gleiche Ansicht, Befund") << band << band << false << false << schaden;
    QTest::newRow("inzwischen geschrieben") << band << band << true << false << schaden;
    QTest::newRow("Datei ersetzt") << band << band << false << true << schaden;
    QTest::newRow("andere Ansicht") << band << titel << false << false << schaden;
    QTest::newRow("andere Ansicht, geschrieben") << titel << band << true << false << QString();
}

void TestHintergrund::vorgeladeneAnsicht()
{
    QFETCH(QString, vorgeladen);
    QFETCH(QString, geoeffnet);
    QFETCH(bool, geschrieben);
    QFETCH(bool, ersetzt);
    QFETCH(QString, vorabBefund);
    test::TestEnvironment env;
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("Archiv.mdb"));
    QVERIFY(test::writeCatalogue(pfad, test::CatalogueSpec{3000, false, 5, 6}));
    jet::Database anderes; // another program writing to the file
    QVERIFY(anderes.open(pfad));
    const auto referenz = [&] {
        jet::Database frisch;
        jet::Recordset rs;
        return frisch.open(pfad) && rs.open(&frisch, geoeffnet) ? zeilenVon(rs) : QStringList();
    };

    jet::Recordset::setBackgroundRows(1);
    jet::Recordset::preload(pfad, vorgeladen, [vorabBefund](const std::atomic_bool&) { return vorabBefund; });
    QTest::qWait(300); // the rows are read by now
    if (geschrieben)
        QCOMPARE(anderes.executeBound(QStringLiteral("UPDATE Schallplatten SET Band = 'AAA Neu', LPTitel = 'ZZZ' WHERE rowid = 17")), 1);
    if (ersetzt) {
        const QString neu = dir.filePath(QStringLiteral("Neu.mdb"));
        QVERIFY(test::writeCatalogue(neu, test::CatalogueSpec{2500, false, 9, 6}));
        QCOMPARE(std::rename(QFile::encodeName(neu).constData(), QFile::encodeName(pfad).constData()), 0);
        anderes.close();
        QVERIFY(anderes.open(pfad));
    }
    jet::DataControl data;
    data.setDatabaseName(pfad);
    data.setRecordSource(geoeffnet);
    // The check's finding stands for the file only when the rows are taken too; else the file
    // is checked again.
    int pruefungen = 0;
    jet::DbError e;
    const bool genommen = !geschrieben && !ersetzt && vorgeladen == geoeffnet;
    QCOMPARE(data.refresh(&e, [&] { ++pruefungen; return QString(); }), !genommen || vorabBefund.isEmpty());
    QCOMPARE(pruefungen, genommen ? 0 : 1);
    if (genommen && !vorabBefund.isEmpty()) {
        QCOMPARE(e.description, vorabBefund);
        QCOMPARE(data.recordCount(), 0);
        QVERIFY(data.refresh());
    }
    QCOMPARE(zeilenVon(data.recordset()), referenz());
    // The next loads go on the connection taken over from the preload and see later writes.
    for (const QString& band : {QStringLiteral("BBB Zweite"), QStringLiteral("CCC Dritte")}) {
        QCOMPARE(anderes.executeBound(QStringLiteral("UPDATE Schallplatten SET Band = ? WHERE rowid = 18"), {band}), 1);
        QVERIFY(data.refresh());
        QCOMPARE(zeilenVon(data.recordset()), referenz());
    }
    // One nobody takes ends with the program.
    jet::Recordset::preload(pfad, vorgeladen);
    jet::Recordset::setBackgroundRows(50000);
}

namespace {
// A plain-text function slow enough that a sort by it lasts seconds.
QString langsamerKlartext(const QString& wert, qsizetype)
{
    QThread::usleep(1000);
    return wert;
}
} // namespace

// A real Esc during a long load of a new view gives it up at once: the view shown before stays,
// with its source and its current row.
void TestHintergrund::escGibtNeueAnsichtAuf()
{
    test::TestEnvironment env;
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("Archiv.mdb"));
    QVERIFY(test::writeCatalogue(pfad, test::CatalogueSpec{4000, false, 3, 6}));
    QLineEdit fenster;
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    jet::Recordset::setBackgroundRows(1);
    jet::DataControl data;
    data.setDatabaseName(pfad);
    const QString vorher = QStringLiteral("select * from Schallplatten where Band like 'a*' order by LPTitel");
    data.setRecordSource(vorher);
    QVERIFY(data.refresh());
    const int anzahl = data.recordCount();
    QVERIFY(anzahl > 10);
    QVERIFY(data.setAbsolutePosition(7));
    const qint64 zeile = data.recordset().currentRowId();

    jet::setKlartextFunktion(langsamerKlartext); // 4,000 rows: four seconds
    QTimer::singleShot(200, &fenster, [&] { QTest::keyClick(&fenster, Qt::Key_Escape); });
    data.setRecordSource(QStringLiteral("select * from Schallplatten order by Klartext(Songs)"));
    jet::DbError e;
    const bool geladen = data.refresh(&e);
    jet::setKlartextFunktion(nullptr);
    QVERIFY(!geladen);
    QVERIFY2(!e.isError(), qPrintable(e.description)); // the user's choice, not a failure
    QCOMPARE(data.recordSource(), vorher);
    QCOMPARE(data.recordCount(), anzahl);
    QCOMPARE(data.recordset().currentRowId(), zeile);
    // The next load runs whole again.
    data.setRecordSource(QStringLiteral("select * from Schallplatten order by Songs"));
    QVERIFY(data.refresh());
    QCOMPARE(data.recordCount(), 4000);
    jet::Recordset::setBackgroundRows(50000);
}

// The quick search's scan runs on threads of its own: Qt's shared pool, which the window's
// painting waits for, stays free all along.
void TestHintergrund::scanLaesstQtsPoolFrei()
{
    test::TestEnvironment env;
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("Archiv.mdb"));
    QVERIFY(test::writeCatalogue(pfad, test::CatalogueSpec{6000, false, 4, 6}));
    jet::Database db;
    QVERIFY(db.open(pfad));
    jet::Recordset rs;
    QVERIFY(rs.open(&db, QStringLiteral("select * from Schallplatten order by Band")));
    std::atomic_int belegt{0};
    std::atomic_int bloecke{0};
    const auto treffer = rs.scanParallel(QStringLiteral("Band like '*e*'"), {}, {QStringLiteral("Songs")}, 100,
                                         [&](const jet::Recordset::ScanBlock& b) {
                                             ++bloecke;
                                             belegt = std::max(belegt.load(), QThreadPool::globalInstance()->activeThreadCount());
                                             return std::vector<qint64>(b.others.begin(), b.others.begin() + (b.others.empty() ? 0 : 1));
                                         });
    QVERIFY(treffer);
    QVERIFY(bloecke > 1);
    QCOMPARE(belegt.load(), 0);
}

// Background threads stand back behind the window's thread, which never does, even when it
// takes part in work it waits for.
void TestHintergrund::fensterFadenBleibtVorn()
{
    const auto nice = [] { return getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())); };
    const int vorher = nice();
    hinterDemFenster();
    QCOMPARE(nice(), vorher);
    int imHintergrundNice = vorher;
    QVERIFY(imHintergrund([&](const std::atomic_bool&) {
        imHintergrundNice = nice();
        QThread::msleep(50);
    }));
    QVERIFY(imHintergrundNice > vorher);
    QCOMPARE(nice(), vorher);
}

QTEST_MAIN(TestHintergrund)
#include "tst_hintergrund.moc"
