// Prueflotse: tells the user when the playback library the family's players need is missing.

#include "mediacheck/Prueflotse.h"
#include "platform/shell/Programmstart.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // With the library present no window shows: one line on the terminal says so, and the
    // check ends before any window platform is needed, so it also runs without a display.
    if (prueflotse::bibliothekVorhanden(prueflotse::wiedergabeBibliothek())) {
        std::fputs(prueflotse::MeldungVorhanden().toLocal8Bit().constData(), stdout);
        std::fputc('\n', stdout);
        return 0;
    }
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
