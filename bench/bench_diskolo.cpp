// Timed runs of Diskolo on a generated five-track CD image through the real libcdio and libmpv
// (null outputs): from a track command to sound (the engine's position moving on), cold (the
// disc not yet playing) and warm (a seek while it plays), and the processor time of the whole
// program (window, watchers, decoder) over 20 s of playing.
//
//   klang_bench_diskolo [--seconds N] [--commands N]   (default: 20 s, 10 commands)

#include "audiocd/frmMain.h"
#include "platform/cdaudio/CdioBackend.h"
#include "tests/support/CdImage.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>

#include <sys/resource.h>

#include <algorithm>

namespace {

QTextStream out(stdout);

void row(const QString& what, const QString& figures)
{
    out << QStringLiteral("  %1 %2\n").arg(what, -46).arg(figures);
    out.flush();
}

QString stats(QList<double> v)
{
    if (v.isEmpty())
        return QStringLiteral("no samples");
    std::sort(v.begin(), v.end());
    return QStringLiteral("median %1 ms  (min %2, max %3, n = %4)")
        .arg(v.at(v.size() / 2), 7, 'f', 1)
        .arg(v.first(), 0, 'f', 1)
        .arg(v.last(), 0, 'f', 1)
        .arg(v.size());
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Lets the program run (idle in its event loop, as it would) for ms.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Plays track n from its start and waits until the position has moved 30 ms past it.
double toSound(diskolo::ctlDiskoloX& x, qint16 n)
{
    const qint32 start = x.TrackPosOnCD(n);
    QElapsedTimer t;
    t.start();
    x.setCurrentTrack(n);
    while (t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (x.CDPosition() > start + 30)
            return t.nsecsElapsed() / 1e6;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("KLANGTRUHE_MEDIA_OUTPUT", "null");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 20;
    int commands = 10;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--seconds"))
            seconds = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--commands"))
            commands = args.at(i + 1).toInt();
    }
    klang::test::TestEnvironment env;
    const QString cue = klang::test::fiveTrackImage(env.path(QStringLiteral("cd")));
    if (cue.isEmpty()) {
        out << "cannot write the image\n";
        return 1;
    }

    out << "Diskolo benchmark (five-track image, 66 s, libcdio + libmpv, null outputs)\n\n";
    auto device = std::make_unique<klang::cdaudio::CdioBackend>();
    device->setDefaultDevice(cue);
    diskolo::frmMain window(std::move(device));
    window.show();
    spin(400); // the status watch's first tick opens the disc again
    diskolo::ctlDiskoloX& x = window.player();

    out << "Track command to sound (position moving)\n";
    QList<double> cold;
    QList<double> warm;
    for (int i = 0; i < commands; ++i) {
        x.StopCD();
        cold << toSound(x, qint16(1 + i % 5));
        spin(150);
        warm << toSound(x, qint16(1 + (i + 2) % 5));
        spin(150);
    }
    row(QStringLiteral("stopped disc -> track playing"), stats(cold));
    row(QStringLiteral("playing disc -> other track playing"), stats(warm));

    out << "\nProcessor time while playing\n";
    x.StopCD();
    window.findChild<QToolButton*>(QStringLiteral("cmdPlay"))->click();
    spin(500);
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    spin(seconds * 1000);
    const double used = cpuSeconds() - before;
    row(QStringLiteral("%1 s playing (window, watchers, decoder)").arg(seconds),
        QStringLiteral("%1 s processor time, %2 % of one core, now %3")
            .arg(used, 0, 'f', 3)
            .arg(100.0 * used / (wall.elapsed() / 1000.0), 0, 'f', 2)
            .arg(x.Status()));
    return 0;
}
