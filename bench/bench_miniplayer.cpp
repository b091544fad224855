// Processor time of the player in the mini player: 20 s idle (nothing playing, mini player
// shown) and 20 s playing with the scrolling caption, started with a command line on a
// catalogue of short generated WAV files (real libmpv, null outputs, offscreen windows).
//
//   klang_bench_miniplayer [seconds]     (default: 20 s per phase)

#include "kit/TestHook.h"
#include "platform/shell/Paths.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/playback/frmMiniPlayer.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

namespace {

double prozessorzeit()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double messen(int sekunden)
{
    const double vorher = prozessorzeit();
    QEventLoop schleife;
    QTimer::singleShot(sekunden * 1000, &schleife, &QEventLoop::quit);
    schleife.exec();
    return prozessorzeit() - vorher;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("KLANGTRUHE_MEDIA_OUTPUT", "null");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KlangtruhePlayer"));
    const int sekunden = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    klang::test::TestEnvironment env;
    klang::seedProgramFolder();
    kit::testhook::enable();

    const QString musik = env.path(QStringLiteral("musik")) + QLatin1Char('/');
    klang::test::WavSpec spec;
    spec.seconds = 8;
    spec.sampleRate = 22050;
    spec.channels = 1;
    for (const char* name : {"01 Lied.wav", "02 Lied.wav", "03 Lied.wav"})
        klang::test::writeWav(musik + QLatin1String(name), spec);
    const QString katalog = env.path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
    klang::test::writeEmptyCatalogue(katalog);
    klang::test::insertCatalogueRecords(katalog, {{{QStringLiteral("Band"), QStringLiteral("Die Probeband")},
                                                   {QStringLiteral("LPTitel"), QStringLiteral("Erste Platte")},
                                                   {QStringLiteral("Musikpfad"), musik}}});
    klang::player::setOption(QStringLiteral("ArchivPfad"), katalog);
    klang::player::setOption(QStringLiteral("Laufschrift"), QStringLiteral("ein"));

    klang::player::Kommandozeile kommando;
    kommando.vorhanden = true;
    klang::player::Ausgabebox fenster(kommando);
    fenster.Form_Load();
    klang::player::frmMiniPlayer* mini = fenster.miniPlayer();
    QTextStream out(stdout);
    if (!mini || !mini->isVisible() || !mini->Timer3.isActive()) {
        out << "the mini player did not come up playing\n";
        return 1;
    }
    const double spielend = messen(sekunden);
    mini->imgVorBack_Click(3);
    const double ruhend = messen(sekunden);
    out << QStringLiteral("  playing, scrolling caption, %1 s: %2 s processor time\n").arg(sekunden).arg(spielend, 0, 'f', 3);
    out << QStringLiteral("  idle, mini player shown, %1 s:     %2 s processor time\n").arg(sekunden).arg(ruhend, 0, 'f', 3);
    return 0;
}
