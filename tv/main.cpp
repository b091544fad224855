// Fernsicht: plays the TV streams of a station list in an embedded player.

#include "kit/Helpers.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Programmstart.h"
#include "platform/shell/SingleInstance.h"
#include "tv/frmFernsicht.h"

int main(int argc, char* argv[])
{
    // The X11 platform (stay-on-top, embedded picture), the names and Qt's German texts.
    klang::Programm app(argc, argv, QStringLiteral("Fernsicht"));

    // A second start brings the running window to the front and ends at once.
    klang::SingleInstance einzeln(QStringLiteral("Fernsicht"));
    if (!einzeln.tryRun(QApplication::arguments()))
        return 0;

    kit::ProgrammOrdnerEinrichten();
    kit::EinstellungsFehlerMelden();
    tv::frmFernsicht fenster;
    QObject::connect(&einzeln, &klang::SingleInstance::activationRequested, &fenster, [&fenster] {
        fenster.setWindowState(fenster.windowState() & ~Qt::WindowMinimized);
        fenster.show();
        fenster.raise();
        fenster.activateWindow();
    });
    fenster.Form_Load();
    fenster.show();
    return app.exec();
}
