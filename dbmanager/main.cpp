// Datenbank ("Bestandswart"): opens, compacts and updates a catalogue database.

#include "dbmanager/MpvAnimation.h"
#include "dbmanager/frmDatenbank.h"
#include "kit/Helpers.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Programmstart.h"
#include "platform/shell/SingleInstance.h"


int main(int argc, char* argv[])
{
    klang::Programm app(argc, argv, QStringLiteral("Datenbank"));

    // A second start brings the running window to the front and ends at once.
    klang::SingleInstance einzeln(QStringLiteral("Datenbank"));
    if (!einzeln.tryRun(QApplication::arguments()))
        return 0;

    kit::ProgrammOrdnerEinrichten();
    kit::EinstellungsFehlerMelden();
    dbmanager::frmDatenbank fenster(nullptr, nullptr, std::make_unique<dbmanager::MpvAnimation>());
    QObject::connect(&einzeln, &klang::SingleInstance::activationRequested, &fenster, [&fenster] {
        fenster.setWindowState(fenster.windowState() & ~Qt::WindowMinimized);
        fenster.show();
        fenster.raise();
        fenster.activateWindow();
    });
    fenster.Form_Load();
    return app.exec();
}
