// Times the main window's record copy and list copy of a whole generated catalogue (the real
// window on the real database layer) onto the clipboard.

#include "kit/TestHook.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "platform/shell/Paths.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTableView>
#include <QTextStream>

using klang::player::Ausgabebox;

int main(int argc, char** argv)
{
    qputenv("KLANGTRUHE_MEDIA_OUTPUT", "null");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    klang::test::TestEnvironment env;
    klang::seedProgramFolder();
    kit::testhook::enable();
    int records = 100000;
    if (argc > 1 && QByteArray(argv[1]).toInt() > 0)
        records = QByteArray(argv[1]).toInt();

    const QString katalog = env.path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
    klang::test::CatalogueSpec spec;
    spec.records = records;
    QString fehler;
    if (!klang::test::writeCatalogue(katalog, spec, &fehler)) {
        out << "cannot write the catalogue: " << fehler << "\n";
        return 1;
    }
    klang::player::setOption(QStringLiteral("ArchivPfad"), katalog);
    klang::player::setOption(QStringLiteral("WinMediaPlayer"), QStringLiteral("False"));
    auto w = std::make_unique<Ausgabebox>();
    w->Form_Load();
    w->show();
    QCoreApplication::processEvents();
    const int zeilen = w->MSFlexGrid1->model()->rowCount();
    out << "Klangtruhe clipboard benchmark: " << zeilen << " records\n";

    auto messen = [&](const char* name, const char* aktion) {
        w->MSFlexGrid1->selectAll();
        QElapsedTimer t;
        t.start();
        w->findChild<QAction*>(QString::fromLatin1(aktion))->trigger();
        const qint64 ms = t.elapsed();
        out << name << ": " << ms << " ms, " << QApplication::clipboard()->text().size() << " characters\n";
        out.flush();
    };
    messen("record copy (Tonträger kopieren)", "mnuKopieren");
    messen("list copy (Liste kopieren, text + HTML)", "mnuKopierenListe");
    kit::testhook::disable();
    return 0;
}
