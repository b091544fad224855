// Timed runs of what the catalogue does with big catalogues: open and show the first rows,
// letter and rating filter and header sorts (each beside plain SQLite with NOCASE), a 13-column search, search and replace in one transaction,
// record moves, and the resident memory with the catalogue open.
//
//   klang_bench_catalogue [records ...] [--keep DIR]     (default: 10000 100000)

#include "platform/jet/CatalogueTableModel.h"
#include "platform/jet/DataControl.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Schema.h"
#include "tests/support/CatalogueGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>

using namespace klang::jet;

namespace {

QTextStream out(stdout);

double ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// What a view shows first: 40 rows of all grid columns.
void showFirstRows(const CatalogueTableModel& model)
{
    QString sink;
    const int rows = std::min(40, model.rowCount());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < model.columnCount(); ++c)
            sink = model.data(model.index(r, c)).toString();
    Q_UNUSED(sink);
}

// Plain SQLite on a connection of its own (the catalogue's page cache and mapping), every row
// stepped through.
double sqliteMs(const QString& path, const QString& sql)
{
    QElapsedTimer t;
    t.start();
    sqlite3* h = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(h, "PRAGMA cache_size = -32768; PRAGMA mmap_size = 67108864; PRAGMA temp_store = MEMORY", nullptr,
                 nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    const QByteArray s = sql.toUtf8();
    if (sqlite3_prepare_v2(h, s.constData(), int(s.size()), &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(h);
    return ms(t);
}

void row(const QString& what, double millis, const QString& note = QString())
{
    const QString time = millis < 0 ? QString(12, QLatin1Char(' ')) : QStringLiteral("%1 ms").arg(millis, 9, 'f', 1);
    out << QStringLiteral("  %1 %2  %3\n").arg(what, -44).arg(time).arg(note);
    out.flush();
}

void run(int records, const QString& dir)
{
    const QString path = dir + QStringLiteral("/Archiv_%1.mdb").arg(records);
    out << QStringLiteral("\n%1 records\n").arg(records);
    QElapsedTimer t;
    t.start();
    klang::test::CatalogueSpec spec;
    spec.records = records;
    spec.picturePercent = 10;
    spec.sharedSongsPercent = 30; // as real catalogues are: shared song lists, odd band names, rich panes
    spec.oddBandNames = true;
    spec.richPanes = true;
    QString error;
    if (!klang::test::writeCatalogue(path, spec, &error)) {
        out << "generator failed: " << error << "\n";
        return;
    }
    row(QStringLiteral("generate catalogue"), ms(t), QStringLiteral("%1 MB").arg(QFile(path).size() / 1048576.0, 0, 'f', 1));

    const long rssBefore = residentKb();
    DataControl control;
    CatalogueTableModel model(&control);
    t.restart();
    control.setDatabaseName(path);
    control.setRecordSource(schema::kDefaultRecordSource);
    control.refresh();
    showFirstRows(model);
    row(QStringLiteral("open + first rows (default view)"), ms(t), QStringLiteral("%1 rows").arg(control.recordCount()));
    row(QStringLiteral("resident memory with catalogue open"), -1,
        QStringLiteral("%1 MB total, +%2 MB for the catalogue").arg(residentKb() / 1024.0, 0, 'f', 1)
            .arg((residentKb() - rssBefore) / 1024.0, 0, 'f', 1));

    // The views beside plain SQLite producing the same rows with its own LIKE and NOCASE (which
    // sorts umlauts after "z", where the program sorts them with their base letter): by turns,
    // the median of three each.
    struct Ansicht
    {
        QString was;
        QString quelle;
        QString sqlite;
    };
    const QString nocase = QStringLiteral(" ORDER BY Band COLLATE NOCASE, LPTitel COLLATE NOCASE");
    const QList<Ansicht> ansichten = {
        {QStringLiteral("letter filter a/ä + first rows"),
         QStringLiteral("select * from Schallplatten where Band like 'a*' or Band like 'ä*' order by Band, LPTitel"),
         QStringLiteral("SELECT rowid FROM Schallplatten WHERE Band LIKE 'a%' OR Band LIKE 'ä%'") + nocase},
        {QStringLiteral("rating filter + first rows"),
         QStringLiteral("select * from Schallplatten where Bewertung like '5' order by Band, LPTitel"),
         QStringLiteral("SELECT rowid FROM Schallplatten WHERE Bewertung LIKE '5'") + nocase},
        {QStringLiteral("header sort (Stil DESC) + first rows"), QStringLiteral("select * from Schallplatten order by Stil DESC"),
         QStringLiteral("SELECT rowid FROM Schallplatten ORDER BY Stil COLLATE NOCASE DESC")},
        {QStringLiteral("header sort (Songs, rich text) + first rows"), QStringLiteral("select * from Schallplatten order by Songs ASC"),
         QStringLiteral("SELECT rowid FROM Schallplatten ORDER BY Songs COLLATE NOCASE")},
    };
    for (const Ansicht& a : ansichten) {
        QList<double> wir, sqlite;
        for (int lauf = 0; lauf < 3; ++lauf) {
            control.setRecordSource(schema::kDefaultRecordSource);
            control.refresh();
            t.restart();
            control.setRecordSource(a.quelle);
            control.refresh();
            showFirstRows(model);
            wir << ms(t);
            sqlite << sqliteMs(path, a.sqlite);
        }
        std::sort(wir.begin(), wir.end());
        std::sort(sqlite.begin(), sqlite.end());
        row(a.was, wir[1], QStringLiteral("%1 rows; SQLite NOCASE %2 ms, %3x")
                               .arg(control.recordCount())
                               .arg(sqlite[1], 0, 'f', 1)
                               .arg(wir[1] / sqlite[1], 0, 'f', 2));
    }

    const QStringList searchColumns = {"Band", "LPTitel", "Medium", "Stil", "Info", "Plattenfirma", "BestellNr",
                                       "Preis", "Datum", "Songs", "Musikpfad", "SongText", "InfoTab"};
    QStringList terms;
    for (const QString& c : searchColumns)
        terms << c + QStringLiteral(" like '*himmel*'");
    t.restart();
    control.setRecordSource(QStringLiteral("select * from Schallplatten where ") + terms.join(QStringLiteral(" or "))
                            + QStringLiteral(" order by Band"));
    control.refresh();
    showFirstRows(model);
    row(QStringLiteral("13-column like '*x*' search + first rows"), ms(t), QStringLiteral("%1 rows").arg(control.recordCount()));

    terms.clear();
    for (const QString& c : searchColumns)
        terms << c + QStringLiteral(" like '*M\\?e4dchen*'");
    t.restart();
    control.setRecordSource(QStringLiteral("select * from Schallplatten where ") + terms.join(QStringLiteral(" or "))
                            + QStringLiteral(" order by Band"));
    control.refresh();
    showFirstRows(model);
    row(QStringLiteral("13-column umlaut pattern search"), ms(t), QStringLiteral("%1 rows").arg(control.recordCount()));

    // Replace as the search dialog does it: per distinct old value one statement, all in one
    // transaction, counting affected rows.
    control.setRecordSource(schema::kDefaultRecordSource);
    control.refresh();
    t.restart();
    {
        Database& db = control.database();
        Transaction tx(db);
        QStringList oldValues;
        db.query(QStringLiteral("SELECT DISTINCT Stil FROM Schallplatten WHERE Stil LIKE '*o*'"), {},
                 [&](const QVariantList& r) { oldValues << r.value(0).toString(); return true; });
        int count = 0;
        for (const QString& old : oldValues) {
            const QString updated = QString(old).replace(QStringLiteral("o"), QStringLiteral("ö"));
            count += db.execute(QStringLiteral("update Schallplatten set Stil = ") + jetQuote(updated)
                                + QStringLiteral(" where Stil = ") + jetQuote(old));
        }
        tx.commit();
        row(QStringLiteral("replace by value (update .. where F = old)"), ms(t), QStringLiteral("%1 rows changed").arg(count));
    }
    // Replace in every row's Songs through bound updates by rowid, one transaction.
    t.restart();
    {
        Database& db = control.database();
        Transaction tx(db);
        int count = 0;
        qint64 last = 0;
        for (;;) { // in chunks, so the changed texts never pile up in memory
            QList<QPair<qint64, QString>> changes;
            db.query(QStringLiteral("SELECT rowid, Songs FROM Schallplatten WHERE rowid > ? AND Songs LIKE '*Liebe*' "
                                    "ORDER BY rowid LIMIT 2000"),
                     {last}, [&](const QVariantList& r) {
                         changes.append({r.value(0).toLongLong(),
                                         r.value(1).toString().replace(QStringLiteral("Liebe"), QStringLiteral("Lieb\\'e4"))});
                         return true;
                     });
            if (changes.isEmpty())
                break;
            for (const auto& [rowid, text] : changes)
                count += db.executeBound(QStringLiteral("UPDATE Schallplatten SET Songs = ? WHERE rowid = ?"), {text, rowid});
            last = changes.last().first;
        }
        tx.commit();
        row(QStringLiteral("replace in Songs of all rows (bound, by rowid)"), ms(t), QStringLiteral("%1 rows changed").arg(count));
    }

    control.refresh();
    t.restart();
    int moves = 0;
    QString sink;
    const int total = control.recordCount();
    for (int i = 0; i < total; ++i) {
        control.moveNext();
        sink = control.field(QStringLiteral("Band"));
        ++moves;
    }
    row(QStringLiteral("record moves through all rows (+ field read)"), ms(t),
        QStringLiteral("%1 us per move").arg(ms(t) * 1000.0 / std::max(1, moves), 0, 'f', 2));
    t.restart();
    for (int i = 0; i < 1000; ++i) {
        control.setAbsolutePosition(int((quint64(i) * 7919u) % quint64(std::max(1, total))));
        sink = control.field(QStringLiteral("LPTitel"));
    }
    row(QStringLiteral("1000 random jumps (AbsolutePosition + field)"), ms(t));
    row(QStringLiteral("resident memory at the end"), -1, QStringLiteral("%1 MB").arg(residentKb() / 1024.0, 0, 'f', 1));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    QString keep;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--keep") && i + 1 < args.size())
            keep = args[++i];
        else if (args[i].toInt() > 0)
            sizes << args[i].toInt();
    }
    if (sizes.isEmpty())
        sizes = {10000, 100000};
    QTemporaryDir temp;
    const QString dir = keep.isEmpty() ? temp.path() : keep;
    out << "Klangtruhe catalogue benchmark\n";
    for (int n : sizes)
        run(n, dir);
    return 0;
}
