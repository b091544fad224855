// How long a window keeps the user waiting, seen from outside its process, as a window
// manager sees it: every 20 ms a _NET_WM_PING goes to the window, and the time until its
// answer comes back is the window's freeze at that moment. Optionally the window is resized
// meanwhile (every 50 ms, two sizes by turns), so it has to repaint while it works.
//
//   klang_sonde WINDOW-ID        (on the X display of $DISPLAY)
//
// Commands on stdin, one a line: "B" starts a measurement, "B resize" one with resizing, "E"
// ends it and prints "FROZEN <ms>" (the longest wait for an answer, one still outstanding
// counted until it comes), "Q" quits.

#include <xcb/xcb.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double jetztMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const xcb_window_t fenster = xcb_window_t(std::strtoul(argv[1], nullptr, 0));
    int bildschirmNr = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &bildschirmNr);
    if (!c || xcb_connection_has_error(c))
        return 1;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < bildschirmNr; ++i)
        xcb_screen_next(&it);
    const xcb_window_t wurzel = it.data->root;
    const xcb_atom_t protokolle = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t ping = atom(c, "_NET_WM_PING");
    // The answer goes to the root window, for whoever listens to its structure (as Qt sends it).
    const uint32_t maske = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, wurzel, XCB_CW_EVENT_MASK, &maske);
    xcb_flush(c);

    bool messen = false;
    bool groesse = false;
    bool breit = false;
    double laengste = 0;
    double gesendet = -1; // when the outstanding ping went out; -1 none
    uint32_t nummer = 0;
    double naechsterPing = 0;
    double naechsteGroesse = 0;
    std::string zeile;
    for (;;) {
        const double jetzt = jetztMs();
        if (messen && gesendet < 0 && jetzt >= naechsterPing) {
            xcb_client_message_event_t e{};
            e.response_type = XCB_CLIENT_MESSAGE;
            e.format = 32;
            e.window = fenster;
            e.type = protokolle;
            e.data.data32[0] = ping;
            e.data.data32[1] = ++nummer; // the time stamp field, here a number to match answers
            e.data.data32[2] = fenster;
            xcb_send_event(c, 0, fenster, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
            gesendet = jetzt;
            naechsterPing = jetzt + 20;
        }
        if (messen && groesse && jetzt >= naechsteGroesse) {
            breit = !breit;
            const uint32_t werte[] = {breit ? 1100u : 900u, breit ? 760u : 640u};
            xcb_configure_window(c, fenster, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, werte);
            naechsteGroesse = jetzt + 50;
        }
        xcb_flush(c);
        pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        poll(fds, 2, 5);
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
            if ((ev->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* m = reinterpret_cast<xcb_client_message_event_t*>(ev);
                if (m->type == protokolle && m->data.data32[0] == ping && m->data.data32[1] == nummer && gesendet >= 0) {
                    if (messen)
                        laengste = std::max(laengste, jetztMs() - gesendet);
                    gesendet = -1;
                }
            }
            std::free(ev);
        }
        if (xcb_connection_has_error(c))
            return 1;
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            char puffer[256];
            const ssize_t n = read(STDIN_FILENO, puffer, sizeof puffer);
            if (n <= 0)
                return 0;
            zeile.append(puffer, std::size_t(n));
            std::size_t ende;
            while ((ende = zeile.find('\n')) != std::string::npos) {
                const std::string befehl = zeile.substr(0, ende);
                zeile.erase(0, ende + 1);
                if (befehl.rfind("B", 0) == 0) {
                    messen = true;
                    groesse = befehl.find("resize") != std::string::npos;
                    laengste = 0;
                    naechsterPing = 0;
                    naechsteGroesse = 0;
                } else if (befehl == "E") {
                    // An answer still outstanding counts until it comes (or a second passes).
                    const double bis = jetztMs() + 1000;
                    while (gesendet >= 0 && jetztMs() < bis) {
                        pollfd f{xcb_get_file_descriptor(c), POLLIN, 0};
                        poll(&f, 1, 5);
                        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
                            const auto* m = reinterpret_cast<xcb_client_message_event_t*>(ev);
                            if ((ev->response_type & 0x7f) == XCB_CLIENT_MESSAGE && m->data.data32[1] == nummer) {
                                laengste = std::max(laengste, jetztMs() - gesendet);
                                gesendet = -1;
                            }
                            std::free(ev);
                        }
                    }
                    if (gesendet >= 0)
                        laengste = std::max(laengste, jetztMs() - gesendet);
                    gesendet = -1;
                    messen = false;
                    std::printf("FROZEN %.1f\n", laengste);
                    std::fflush(stdout);
                } else if (befehl == "Q") {
                    return 0;
                }
            }
        }
    }
}
