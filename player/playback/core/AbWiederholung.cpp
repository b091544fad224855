#include "player/playback/core/AbWiederholung.h"

#include "platform/media/MediaEngine.h"
#include "platform/vbcompat/VbCompat.h"

#include <algorithm>

namespace klang::player {

using klang::media::PlayState;

namespace {

// The longest time between two looks at the position.
constexpr int kIntervallMs = 500;
// A seek takes a moment to show in the engine's position; a look within this time after a
// jump would see the old position and jump (and count) twice.
constexpr int kSprungRuheMs = 250;
// A B that rounds up to the end of the medium would never be reached before the medium ends:
// the repeat turns back this long before the end instead.
constexpr double kEndeVorlaufS = 0.3;

} // namespace

AbWiederholung::AbWiederholung(IClock* clock)
{
    if (!clock) {
        m_eigeneUhr = std::make_unique<SystemClock>();
        clock = m_eigeneUhr.get();
    }
    m_uhr = clock;
    m_timer = m_uhr->createTimer();
    m_timer->setCallback([this] { tick(); });
}

AbWiederholung::~AbWiederholung()
{
    m_timer->stop();
}

void AbWiederholung::setEngine(klang::media::MediaEngine* engine)
{
    if (engine == m_engine)
        return;
    aus();
    m_engine = engine;
}

bool AbWiederholung::isActive() const
{
    return m_timer->isActive();
}

bool AbWiederholung::medienBereit() const
{
    if (!m_engine)
        return false;
    const PlayState s = m_engine->state();
    return s == PlayState::Playing || s == PlayState::Paused;
}

void AbWiederholung::setZustand(AbZustand zustand)
{
    m_zustand = zustand;
    if (geaendert)
        geaendert();
}

bool AbWiederholung::druecken()
{
    switch (m_zustand) {
    case AbZustand::Aus:
        return setzeA();
    case AbZustand::WartetAufB:
        return setzeB();
    case AbZustand::Wiederholt:
        aus();
        return true;
    }
    return false;
}

bool AbWiederholung::setzeA()
{
    if (!medienBereit())
        return false;
    m_timer->stop();
    m_a = int(klang::vb::roundHalfEven(m_engine->position()));
    setZustand(AbZustand::WartetAufB);
    return true;
}

bool AbWiederholung::setzeB()
{
    if (m_zustand != AbZustand::WartetAufB || !medienBereit())
        return false;
    const int b = int(klang::vb::roundHalfEven(m_engine->position()));
    double sprung = b;
    const double laenge = m_engine->duration();
    if (laenge > 0 && sprung > laenge - kEndeVorlaufS)
        sprung = laenge - kEndeVorlaufS;
    // B at or before A would jump back at every look: the press waits for a later B.
    if (b <= m_a || sprung <= m_a)
        return false;
    m_b = b;
    m_sprung = sprung;
    m_gesprungenUm = -1;
    setZustand(AbZustand::Wiederholt);
    planen();
    return true;
}

void AbWiederholung::aus()
{
    m_timer->stop();
    m_a = 0;
    m_b = 0;
    if (m_zustand != AbZustand::Aus)
        setZustand(AbZustand::Aus);
}

void AbWiederholung::planen()
{
    // The next look falls just after B would be reached at normal speed, at the latest after
    // half a second, so the jump comes within a few hundredths of B without polling fast.
    int ms = kIntervallMs;
    if (m_engine && m_engine->state() == PlayState::Playing) {
        const double rest = m_sprung - m_engine->position();
        ms = std::clamp(int(rest * 1000.0) + 15, 15, kIntervallMs);
    }
    m_timer->start(ms);
}

void AbWiederholung::tick()
{
    if (m_zustand != AbZustand::Wiederholt || !m_engine) {
        m_timer->stop();
        return;
    }
    const qint64 jetzt = m_uhr->nowMs();
    const bool ruhe = m_gesprungenUm >= 0 && jetzt - m_gesprungenUm < kSprungRuheMs;
    if (ruhe) {
        m_timer->start(int(kSprungRuheMs - (jetzt - m_gesprungenUm)) + 15);
        return;
    }
    const double pos = m_engine->position();
    if (medienBereit() && pos >= m_sprung) {
        m_engine->setPosition(m_a);
        m_gesprungenUm = jetzt;
        if (zurueckgesprungen)
            zurueckgesprungen(pos - m_a);
        m_timer->start(std::clamp(int((m_sprung - m_a) * 1000) + 15, 15, kIntervallMs));
        return;
    }
    planen();
}

} // namespace klang::player
