// Converting an old Jet/Access file into an SQLite catalogue, as the programs do (in the helper
// process) and in this process, against the time mdb-export needs to export the same tables
// (CSV, pictures as hex) to /dev/null.

#include "platform/jet/JetImport.h"
#include "platform/jet/JetImportProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString source = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QStringLiteral(KLANG_JET_TESTDATA "/nwind-jet3.mdb");
    if (qEnvironmentVariableIsEmpty("KLANGTRUHE_BIN_DIR"))
        qputenv("KLANGTRUHE_BIN_DIR", KLANG_BIN_DIR);
    constexpr int runs = 7;
    QList<double> helper, convert, exportTimes;
    QStringList tables;
    qint64 rows = 0;
    for (int i = 0; i < 2 * runs; ++i) {
        const bool inHelper = i % 2 == 0;
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("Archiv (SQLite).mdb"));
        QElapsedTimer t;
        t.start();
        const klang::jet::JetImportResult r = inHelper ? klang::jet::JetImportProcess::run(source, target)
                                                       : klang::jet::importJetFile(source, target);
        (inHelper ? helper : convert) << double(t.nsecsElapsed()) / 1e6;
        if (!r.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(r.error.text()));
            return 1;
        }
        tables = r.tables;
        rows = 0;
        for (qint64 n : r.rowCounts)
            rows += n;
    }
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        for (const QString& table : tables) {
            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            p.start(QStringLiteral("mdb-export"), {QStringLiteral("-b"), QStringLiteral("hex"), source, table});
            p.waitForFinished(-1);
        }
        exportTimes << double(t.nsecsElapsed()) / 1e6;
    }
    std::printf("Jet conversion benchmark: %s, %lld tables, %lld rows, %lld bytes (median of %d)\n",
                qPrintable(QFileInfo(source).fileName()), qint64(tables.size()), rows, QFileInfo(source).size(), runs);
    std::printf("  %-48s %8.1f ms\n", "convert in the helper process (as the programs)", median(helper));
    std::printf("  %-48s %8.1f ms\n", "convert in this process", median(convert));
    std::printf("  %-48s %8.1f ms\n", "mdb-export -b hex of the same tables", median(exportTimes));
    return 0;
}
