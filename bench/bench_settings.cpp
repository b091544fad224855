// Start-up of the player with a big settings file: every key the program reads is looked up
// in a file of tens of thousands of keys (a file grown by a faulty tool, or by hand).

#include "kit/TestHook.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Paths.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

QTextStream out(stdout);

// The player's settings file with `keys` extra keys in its own section, the real keys last.
bool einstellungenSchreiben(int keys, const QString& katalog)
{
    const QString pfad = klang::settingsFilePath(klang::player::AppName);
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    QSaveFile datei(pfad);
    if (!datei.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = "[Options]\n";
    text.reserve(keys * 40);
    for (int i = 0; i < keys; ++i)
        text += "Unbekannt" + QByteArray::number(i) + "=Wert " + QByteArray::number(i * 7) + '\n';
    text += "ArchivPfad=" + katalog.toUtf8() + '\n';
    datei.write(text);
    return datei.commit();
}

void messen(int keys, const QString& katalog)
{
    std::vector<double> zeiten;
    for (int lauf = 0; lauf < 3; ++lauf) {
        // A new file each time: the settings layer reads it afresh, as at a real start.
        if (!einstellungenSchreiben(keys, katalog)) {
            out << "cannot write the settings file\n";
            return;
        }
        QElapsedTimer uhr;
        uhr.start();
        {
            klang::player::Ausgabebox w;
            w.Form_Load();
            w.show();
            QCoreApplication::processEvents();
            zeiten.push_back(double(uhr.nsecsElapsed()) / 1e6);
        }
        QCoreApplication::processEvents();
    }
    std::sort(zeiten.begin(), zeiten.end());
    out << QStringLiteral("  main window shown, %1 settings keys").arg(keys, 7).leftJustified(48)
        << QStringLiteral("best %1 ms, median %2 ms\n").arg(zeiten.front(), 0, 'f', 1).arg(zeiten[1], 0, 'f', 1);
    out.flush();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("KLANGTRUHE_MEDIA_OUTPUT", "null");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    klang::test::TestEnvironment env; // settings and data in temporary folders
    QList<int> groessen;
    for (const QString& a : app.arguments().mid(1))
        if (a.toInt() >= 0)
            groessen << a.toInt();
    if (groessen.isEmpty())
        groessen = {0, 20000, 40000, 100000};

    const QString katalog = env.path(QStringLiteral("start")) + QStringLiteral("/Start.mdb");
    klang::test::CatalogueSpec spec;
    spec.records = 2000;
    QString fehler;
    if (!klang::test::writeCatalogue(katalog, spec, &fehler)) {
        out << "generator failed: " << fehler << "\n";
        return 1;
    }
    klang::seedProgramFolder();
    kit::testhook::enable();
    out << "Klangtruhe settings benchmark (player start-up, catalogue of 2000 records)\n";
    for (int keys : groessen)
        messen(keys, katalog);
    return 0;
}
