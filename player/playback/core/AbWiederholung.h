#pragma once

// The A-B repeat: the stretch of the playing medium between two marks plays over and over.
// The marks are whole seconds of the engine's position. The jump back to A is timed from the
// engine's position, never from a wall clock, so a paused or slow medium never jumps early.

#include "player/playback/core/PlayerInterfaces.h"

#include <functional>
#include <memory>

namespace klang::media {
class MediaEngine;
}

namespace klang::player {

enum class AbZustand {
    Aus,        // no marks: the next press sets A
    WartetAufB, // A is set: the next press sets B and starts the repeat
    Wiederholt, // between A and B over and over: the next press ends it
};

class AbWiederholung
{
public:
    // A null clock means the system clock.
    explicit AbWiederholung(IClock* clock = nullptr);
    ~AbWiederholung();

    // The engine whose position the marks belong to. Changing it ends a repeat.
    void setEngine(klang::media::MediaEngine* engine);
    klang::media::MediaEngine* engine() const { return m_engine; }

    AbZustand zustand() const { return m_zustand; }
    // Whole seconds; meaningful from WartetAufB (A) and Wiederholt (B) on.
    int positionA() const { return m_a; }
    int positionB() const { return m_b; }
    // TimerPosAB: the repeat watch runs.
    bool isActive() const;

    // One press of the A-B button: Aus -> WartetAufB -> Wiederholt -> Aus. Returns false when
    // the press changes nothing: no medium is open, or B would lie at or before A.
    bool druecken();
    // The single steps (the video window has a button for each).
    bool setzeA();
    bool setzeB();
    // Ends the repeat and forgets both marks.
    void aus();

    // Told after every change of state, and after every jump back with the seconds skipped.
    std::function<void()> geaendert;
    std::function<void(double sekunden)> zurueckgesprungen;

private:
    bool medienBereit() const;
    void setZustand(AbZustand zustand);
    void planen();
    void tick();

    std::unique_ptr<IClock> m_eigeneUhr;
    IClock* m_uhr = nullptr;
    std::unique_ptr<ITimer> m_timer;
    klang::media::MediaEngine* m_engine = nullptr;
    AbZustand m_zustand = AbZustand::Aus;
    int m_a = 0;
    int m_b = 0;
    // Where the repeat turns back: B, or just before the end when B rounds up to it.
    double m_sprung = 0;
    qint64 m_gesprungenUm = -1;
};

} // namespace klang::player
