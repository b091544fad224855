// The database manager's commands on a large catalogue through its real rules, the real
// engine and the real file system, with a timer on the window's thread that probes how long
// the window stood still: compaction (check, backup, compacted copy and its check,
// write-back, opening again) twice, the second time replacing the backup of the first, then
// the update (check, backup, new columns). The log goes into a text pane as in the program.
//
//   klang_bench_datenbank CATALOGUE   (a copy is compacted; the given file is not touched)

#include "dbmanager/Dateisystem.h"
#include "dbmanager/DatenbankVerwaltung.h"
#include "dbmanager/JetKatalog.h"
#include "dbmanager/TextProtokoll.h"
#include "tests/support/Ereignissonde.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc < 2) {
        out << "usage: klang_bench_datenbank CATALOGUE\n";
        return 2;
    }
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("Archiv.mdb"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), pfad)) {
        out << "cannot copy " << argv[1] << "\n";
        return 1;
    }
    dbmanager::JetKatalog db;
    dbmanager::EchtesDateisystem dateien;
    QTextEdit feld;
    dbmanager::TextProtokoll protokoll(&feld);
    dbmanager::DatenbankVerwaltung verwaltung(db, dateien, protokoll);
    verwaltung.setSchrittweise(true); // as the window runs it
    if (verwaltung.oeffnen(pfad)) {
        out << "cannot open the copy\n";
        return 1;
    }
    bool fertig = false;
    bool erfolg = false;
    QObject::connect(&verwaltung, &dbmanager::DatenbankVerwaltung::fertig, [&](bool e) {
        fertig = true;
        erfolg = e;
    });
    out << QStringLiteral("catalogue of %1 MB\n").arg(QFile(pfad).size() / 1048576.0, 0, 'f', 1);
    bool alle = true;
    const auto messen = [&](const QString& was, bool (dbmanager::DatenbankVerwaltung::*befehl)()) {
        fertig = false;
        klang::test::Ereignissonde sonde;
        (verwaltung.*befehl)();
        while (!fertig)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        alle = alle && erfolg;
        out << QStringLiteral("  %1 %2 s  %3  window frozen at most %4 ms\n")
                   .arg(was, -40)
                   .arg(sonde.laufzeitMs() / 1000, 6, 'f', 2)
                   .arg(erfolg ? QStringLiteral("succeeded") : QStringLiteral("failed   "))
                   .arg(sonde.laengsteLueckeMs(), 0, 'f', 1);
        out.flush();
    };
    messen(QStringLiteral("compaction"), &dbmanager::DatenbankVerwaltung::komprimieren);
    messen(QStringLiteral("compaction (replacing the backup)"), &dbmanager::DatenbankVerwaltung::komprimieren);
    messen(QStringLiteral("update"), &dbmanager::DatenbankVerwaltung::aktualisieren);
    return alle ? 0 : 1;
}
