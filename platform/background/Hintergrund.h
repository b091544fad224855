#pragma once

// Long work without a frozen window. imHintergrund runs a function on another thread while the
// window's thread goes on handling its events (painting, timers, playback), so the window never
// stands still. Meanwhile the user's input to the program's windows is held back (a click or
// key cannot start another command half-way through this one); Esc cancels where the caller
// allows it. After a moment the program's display (setHintergrundAnzeige) shows what goes on.
//
// Work that ends within a few milliseconds is simply waited for, so short operations behave as
// if they ran in place. Called off the window's thread, without an application object or inside
// another such wait, the function runs in place.

#include <QString>
#include <atomic>
#include <functional>

namespace klang {

struct Hintergrund
{
    QString text;            // what goes on ("Sortieren ..."), shown after a moment
    bool abbrechbar = false; // Esc sets the flag the work looks at
    bool lang = false;       // known to take longer than a blink: no short blocking wait first
};

// Runs arbeit (which must not touch widgets or objects the window's thread uses) and returns
// when it has returned. False when the user cancelled (the work saw the flag set).
bool imHintergrund(const std::function<void(const std::atomic_bool& abbrechen)>& arbeit, const Hintergrund& wie = {});

// Whether a call would run the work on another thread now (on the window's thread, outside any
// other wait).
bool hintergrundMoeglich();

// The program's display of a wait that lasts: called with true and the text when it has lasted
// a moment, with false when it ended; on the window's thread. Replaces the display before.
using HintergrundAnzeige = std::function<void(bool aktiv, const QString& text)>;
void setHintergrundAnzeige(HintergrundAnzeige anzeige);

// From the work's thread: a new text for the display ("Suchen: 40.000 von 100.000").
void hintergrundMelden(const QString& text);

// Called on a thread that does background work: the thread stands back behind the window's
// thread (a slightly higher nice value of its own), so work on all cores still leaves the
// window its share when it has something to do. Once per thread; never undone.
void hinterDemFenster();

} // namespace klang
