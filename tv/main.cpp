// Fernsicht: plays the TV streams of a station list in an embedded player.

#include "platform/shell/Paths.h"
#include "platform/shell/SingleInstance.h"
#include "tv/frmFernsicht.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Placement and the stay-on-top switch need the X11 platform unless the user chose one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fernsicht"));
    QApplication::setOrganizationName(QStringLiteral("Klangtruhe"));

    // A second start brings the running window to the front and ends at once.
    klang::SingleInstance einzeln(QStringLiteral("Fernsicht"));
    if (!einzeln.tryRun(QApplication::arguments()))
        return 0;

    klang::seedProgramFolder();
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
