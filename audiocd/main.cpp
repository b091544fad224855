// Diskolo: plays audio CDs, from a drive or from a .cue/.bin image
// ("Diskolo disc.cue", or KLANGTRUHE_CD_DEVICE=disc.cue).

#include "audiocd/frmMain.h"
#include "platform/cdaudio/CdioBackend.h"
#include "kit/Helpers.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Programmstart.h"
#include "platform/shell/SingleInstance.h"

#include <QFileInfo>

namespace {

// The device named on the command line (the first argument that is not an option), else in
// the environment; empty: the system's default drive.
QString gewaehltesGeraet(const QStringList& args)
{
    for (int i = 1; i < args.size(); ++i) {
        if (!args.at(i).startsWith(QLatin1Char('-')))
            return QFileInfo(args.at(i)).absoluteFilePath();
    }
    return qEnvironmentVariable("KLANGTRUHE_CD_DEVICE");
}

// The command line as a running instance must see it: a relative path means the folder this
// process was started in, which the running one does not know.
QStringList fuerUebergabe(QStringList args)
{
    for (int i = 1; i < args.size(); ++i) {
        if (!args.at(i).startsWith(QLatin1Char('-')))
            args[i] = QFileInfo(args.at(i)).absoluteFilePath();
    }
    return args;
}

} // namespace

int main(int argc, char* argv[])
{
    klang::Programm app(argc, argv, QStringLiteral("Diskolo"));

    // A second start brings the running window to the front and hands it its disc.
    klang::SingleInstance einzeln(QStringLiteral("Diskolo"));
    if (!einzeln.tryRun(fuerUebergabe(QApplication::arguments())))
        return 0;
    kit::ProgrammOrdnerEinrichten();
    kit::EinstellungsFehlerMelden();

    auto geraet = std::make_unique<klang::cdaudio::CdioBackend>();
    geraet->setDefaultDevice(gewaehltesGeraet(QApplication::arguments()));
    diskolo::frmMain fenster(std::move(geraet));
    QObject::connect(&einzeln, &klang::SingleInstance::activationRequested, &fenster,
                     &diskolo::frmMain::spaeterGestartet);
    fenster.show();
    return app.exec();
}
