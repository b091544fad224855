// Fernsicht: time from the double click on a station to the stream's first picture, with
// the stream served from 127.0.0.1 (a generated MPEG-TS video) and the real libmpv player.
//
//   klang_bench_tv [runs] [--bild]   (default 10 runs with null outputs; --bild shows the
//                                    picture on the display, e.g. under Xvfb with xcb)

#include "platform/media/MediaEngine.h"
#include "platform/media/MediaPlayerControl.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/stream/TsVideo.h"
#include "tv/frmFernsicht.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Waits on the event loop until the player reports a picture size, at most five seconds.
double bisZumErstenBild(tv::frmFernsicht& fenster)
{
    auto* engine = fenster.player()->engine();
    QTreeWidgetItem* eintrag = fenster.liste()->topLevelItem(0);
    const QPoint mitte = fenster.liste()->visualItemRect(eintrag).center();
    QTest::mouseClick(fenster.liste()->viewport(), Qt::LeftButton, {}, mitte);

    QEventLoop warten;
    QObject::connect(engine, &klang::media::MediaEngine::videoSizeChanged, &warten, [&](QSize s) {
        if (!s.isEmpty())
            warten.quit();
    });
    QTimer::singleShot(5000, &warten, &QEventLoop::quit);
    QElapsedTimer uhr;
    uhr.start();
    QTest::mouseDClick(fenster.liste()->viewport(), Qt::LeftButton, {}, mitte);
    if (engine->videoSize().isEmpty())
        warten.exec();
    const double ms = uhr.nsecsElapsed() / 1e6;
    return engine->videoSize().isEmpty() ? -1.0 : ms;
}

} // namespace

int main(int argc, char* argv[])
{
    bool bild = false;
    int laeufe = 10;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--bild") == 0)
            bild = true;
        else
            laeufe = qMax(1, atoi(argv[i]));
    }
    if (bild) {
        qunsetenv("KLANGTRUHE_MEDIA_OUTPUT");
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("KLANGTRUHE_MEDIA_OUTPUT", "null");
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    klang::test::TestEnvironment umgebung;
    QTemporaryDir ordner;
    const QString video = ordner.filePath(QStringLiteral("sender.ts"));
    QElapsedTimer uhr;
    uhr.start();
    QString fehler;
    if (!klang::test::schreibeTsVideo(video, 20, 640, 360, &fehler)) {
        std::fprintf(stderr, "%s\n", qPrintable(fehler));
        return 1;
    }
    std::printf("Fernsicht benchmark\n\n  generate 20 s MPEG-TS 640x360 (libmpv)  %8.1f ms  %lld KB\n",
                uhr.nsecsElapsed() / 1e6, QFile(video).size() / 1024);
    QFile f(video);
    f.open(QIODevice::ReadOnly);
    klang::test::StreamServer server(f.readAll());
    if (!server.starten())
        return 1;
    // Opening a station file of 20,000 stations (a big collection), read whole and sorted.
    {
        QList<tv::Sender> viele;
        for (int i = 0; i < 20000; ++i)
            viele.append({QStringLiteral("Gruppe %1").arg(i % 150), QStringLiteral("Sender Nr. %1 Süd").arg(i),
                          QStringLiteral("http://127.0.0.1/sender/%1.ts").arg(i)});
        tv::senderSchreiben(tv::senderDatei(), viele);
        QList<double> laden;
        for (int i = 0; i < 3; ++i) {
            tv::frmFernsicht gross;
            uhr.restart();
            gross.Form_Load();
            laden.append(uhr.nsecsElapsed() / 1e6);
        }
        std::sort(laden.begin(), laden.end());
        std::printf("  open a station file of 20,000 stations      median %.1f ms (%lld KB)\n", laden.at(1),
                    QFile(tv::senderDatei()).size() / 1024);
        QFile::remove(tv::senderDatei());
    }
    tv::senderSchreiben(tv::senderDatei(), {{QStringLiteral("Test"), QStringLiteral("Lokal"), server.url()}});

    tv::frmFernsicht fenster;
    fenster.Form_Load();
    fenster.show();
    if (!QTest::qWaitForWindowExposed(&fenster))
        std::fprintf(stderr, "the window was not shown\n");
    std::printf("  output: %s\n", bild ? "picture on the display" : "null (no picture, no sound)");

    QList<double> zeiten;
    for (int i = 0; i < laeufe; ++i) {
        const double ms = bisZumErstenBild(fenster);
        if (ms < 0) {
            std::fprintf(stderr, "run %d: no picture within 5 s\n", i + 1);
            return 1;
        }
        if (i == 0)
            std::printf("  double click -> first picture, first start %8.1f ms\n", ms);
        else
            zeiten.append(ms);
        fenster.mnuSenderliste_Click();
        QTest::qWait(50);
    }
    if (!zeiten.isEmpty()) {
        std::sort(zeiten.begin(), zeiten.end());
        std::printf("  double click -> first picture, later starts  median %.1f ms, min %.1f, max %.1f (%lld runs)\n",
                    zeiten.at(zeiten.size() / 2), zeiten.first(), zeiten.last(), qlonglong(zeiten.size()));
    }
    std::printf("  requests served                            %d\n", server.anfragen());
    return 0;
}
