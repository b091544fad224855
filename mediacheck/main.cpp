// Prueflotse: tells the user when the playback library the family's players need is missing.

#include "mediacheck/Prueflotse.h"
#include "platform/shell/Programmstart.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // With the library present there is nothing to show: end before any window platform is
    // needed, so the check also runs without a display.
    if (prueflotse::bibliothekVorhanden(prueflotse::wiedergabeBibliothek()))
        return 0;
    // Without any display the box cannot show; say it on the terminal instead of aborting.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs(prueflotse::Meldung().toLocal8Bit().constData(), stderr);
        std::fputc('\n', stderr);
        return 0;
    }
    klang::Programm app(argc, argv, QStringLiteral("Prueflotse"));
    return prueflotse::Main();
}
