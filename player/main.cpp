// KlangtruhePlayer: catalogue browser and music player.

#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Start.h"
#include "kit/Helpers.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Programmstart.h"
#include "platform/shell/SingleInstance.h"

#include <QPointer>
#include <QTimer>

int main(int argc, char* argv[])
{
    klang::Programm app(argc, argv, QStringLiteral("KlangtruhePlayer"));

    const klang::player::Kommandozeile kommando =
        klang::player::kommandozeileAuswerten(QApplication::arguments().mid(1));

    // A second start raises the first window and ends without touching any setting.
    klang::SingleInstance instanz(QStringLiteral("KlangtruhePlayer"));
    if (!instanz.tryRun(QApplication::arguments().mid(1)))
        return 0;

    kit::ProgrammOrdnerEinrichten();
    klang::player::Ausgabebox::katalogVorladen();
    auto* fenster = new klang::player::Ausgabebox(kommando);
    fenster->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(&instanz, &klang::SingleInstance::activationRequested, fenster, [fenster] {
        // The mini player stands in for the hidden window: it comes to the front instead.
        if (fenster->miniPlayerAktiv()) {
            fenster->miniPlayer()->raise();
            fenster->miniPlayer()->activateWindow();
            return;
        }
        if (fenster->isMinimized())
            fenster->showNormal();
        fenster->raise();
        fenster->activateWindow();
    });
    // However the program ends, the window saves what the user typed and its settings.
    QPointer<klang::player::Ausgabebox> wache(fenster);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [wache] {
        if (wache)
            wache->close();
    });
    // The program ends with its main window, also when the mini player closes it while it
    // is hidden.
    QObject::connect(fenster, &QObject::destroyed, &app, &QCoreApplication::quit);
    // The waiting time of the command line runs before the window shows, without blocking.
    // A command line ends start-up in the mini player, which stands in for the window.
    QTimer::singleShot(kommando.sekunden * 1000, fenster, [fenster] {
        fenster->Form_Load(true);
        if (!fenster->miniPlayerAktiv())
            fenster->show();
    });
    return app.exec();
}
