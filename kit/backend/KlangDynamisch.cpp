// Sound backend of klang_kit_ohne_mpv: the playback library is loaded only when a sound is
// played, so the program starts (and can report) on a system without it.

#include "kit/Klang.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#ifndef KLANG_MPV_SONAME
#define KLANG_MPV_SONAME "libmpv.so.2"
#endif

namespace kit::detail {

namespace {

using CreateFn = void* (*)();
using InitFn = int (*)(void*);
using SetOptionFn = int (*)(void*, const char*, const char*);
using CommandFn = int (*)(void*, const char**);
using DestroyFn = void (*)(void*);

struct Spieler
{
    QLibrary bibliothek{QStringLiteral(KLANG_MPV_SONAME)};
    void* handle = nullptr;
    CommandFn command = nullptr;
    DestroyFn destroy = nullptr;
    bool versucht = false;
};

Spieler& spieler()
{
    static Spieler s;
    return s;
}

void beenden()
{
    Spieler& s = spieler();
    if (s.handle && s.destroy)
        s.destroy(s.handle);
    s.handle = nullptr;
}

bool bereit()
{
    Spieler& s = spieler();
    if (s.versucht)
        return s.handle != nullptr;
    s.versucht = true;
    if (!s.bibliothek.load())
        return false;
    auto create = reinterpret_cast<CreateFn>(s.bibliothek.resolve("mpv_create"));
    auto init = reinterpret_cast<InitFn>(s.bibliothek.resolve("mpv_initialize"));
    auto option = reinterpret_cast<SetOptionFn>(s.bibliothek.resolve("mpv_set_option_string"));
    s.command = reinterpret_cast<CommandFn>(s.bibliothek.resolve("mpv_command"));
    s.destroy = reinterpret_cast<DestroyFn>(s.bibliothek.resolve("mpv_terminate_destroy"));
    if (!create || !init || !option || !s.command || !s.destroy)
        return false;
    void* h = create();
    if (!h)
        return false;
    option(h, "video", "no");
    option(h, "terminal", "no");
    option(h, "config", "no");
    if (qgetenv("KLANGTRUHE_MEDIA_OUTPUT") == "null")
        option(h, "ao", "null");
    if (init(h) < 0) {
        s.destroy(h);
        return false;
    }
    s.handle = h;
    qAddPostRoutine(beenden);
    return true;
}

} // namespace

void klangAusgeben(const QString& pfad)
{
    if (!QFileInfo(pfad).isFile() || !bereit())
        return;
    const QByteArray datei = pfad.toLocal8Bit();
    const char* befehl[] = {"loadfile", datei.constData(), "replace", nullptr};
    spieler().command(spieler().handle, befehl);
}

} // namespace kit::detail
