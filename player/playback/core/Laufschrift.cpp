#include "player/playback/core/Laufschrift.h"

namespace klang::player {

Laufschrift::Laufschrift(Art art, const QString& ruhetext, IClock* clock)
    : m_art(art)
    , m_ruhetext(ruhetext)
{
    if (!clock) {
        m_eigeneUhr = std::make_unique<SystemClock>();
        clock = m_eigeneUhr.get();
    }
    m_timer = clock->createTimer();
    m_timer->setCallback([this] { feuern(); });
}

Laufschrift::~Laufschrift()
{
    m_timer->stop();
}

void Laufschrift::start()
{
    m_ein = true;
    // A round on its way goes on; the next one follows it.
    if (m_stufe == Stufe::Warten && !m_timer->isActive())
        m_timer->start(kRundeMs);
}

void Laufschrift::stop()
{
    const bool warEin = m_ein;
    m_ein = false;
    if (m_stufe == Stufe::Warten) {
        m_timer->stop();
        // Between two rounds the caption is empty: the plain one comes back.
        if (warEin)
            titel(m_ruhetext);
    }
}

void Laufschrift::titel(const QString& text)
{
    if (m_an.titel)
        m_an.titel(text);
}

bool Laufschrift::abbruchNoetig() const
{
    return !m_ein || (m_an.darfLaufen && !m_an.darfLaufen());
}

void Laufschrift::feuern()
{
    switch (m_stufe) {
    case Stufe::Warten:
        rundeBeginnen();
        return;
    case Stufe::Wachsen:
        if (abbruchNoetig()) {
            abbrechen();
            return;
        }
        if (++m_i <= m_text.size()) {
            titel(m_text.left(m_i));
            m_timer->start(kBuchstabeMs);
            return;
        }
        m_stufe = Stufe::Stehen;
        m_timer->start(kStehenMs);
        return;
    case Stufe::Stehen:
        // Events ran meanwhile: the text is taken again.
        if (m_an.text)
            m_text = m_an.text(m_runde);
        m_i = m_text.size();
        m_stufe = Stufe::Schrumpfen;
        titel(m_text.right(m_i));
        m_timer->start(kBuchstabeMs);
        return;
    case Stufe::Schrumpfen:
        // The mini player lets its text run out whatever its timer says, but not into a
        // hidden window.
        if (m_art == Art::Hauptfenster ? abbruchNoetig() : (m_an.darfLaufen && !m_an.darfLaufen())) {
            abbrechen();
            return;
        }
        if (--m_i >= 0) {
            titel(m_text.right(m_i));
            m_timer->start(kBuchstabeMs);
            return;
        }
        rundeBeenden();
        return;
    }
}

void Laufschrift::rundeBeginnen()
{
    if (!m_ein) {
        m_timer->stop();
        return;
    }
    if (m_art == Art::Miniplayer && m_an.eingeschaltet && !m_an.eingeschaltet()) {
        // Only the end of the track is watched.
        rundeBeenden();
        return;
    }
    m_runde = m_runde >= 3 ? 1 : m_runde + 1;
    m_text = m_an.text ? m_an.text(m_runde) : QString();
    if (m_text.isEmpty()) {
        m_stufe = Stufe::Stehen;
        m_timer->start(kStehenMs);
        return;
    }
    m_i = 1;
    m_stufe = Stufe::Wachsen;
    titel(m_text.left(1));
    m_timer->start(kBuchstabeMs);
}

void Laufschrift::rundeBeenden()
{
    m_stufe = Stufe::Warten;
    if (m_an.titelBeendet && m_an.titelBeendet())
        m_ein = false;
    if (!m_ein) {
        m_timer->stop();
        titel(m_ruhetext);
        return;
    }
    m_timer->start(kRundeMs);
}

void Laufschrift::abbrechen()
{
    m_stufe = Stufe::Warten;
    m_timer->stop();
    // The window cannot show it any more: the timer goes off with the round.
    m_ein = false;
    if (m_art == Art::Hauptfenster)
        m_runde = 0;
    titel(m_ruhetext);
}

namespace laufschrifttext {

QString ohneLetzte(const QString& text, int n)
{
    return text.size() < n ? QString() : text.left(text.size() - n);
}

QString vorLetztemPunkt(const QString& name)
{
    const int punkt = name.lastIndexOf(QLatin1Char('.'));
    return punkt < 0 ? name : name.left(punkt);
}

QString text(int runde, bool playlist, const ITrackSource* quelle, int index,
             const ICatalogue* katalog, int row)
{
    if (playlist) {
        if (!quelle || index < 0 || index >= quelle->count())
            return QString();
        const QString name = quelle->name(index);
        switch (runde) {
        case 1: {
            // The item's folder part is the folder's name with its separator.
            QString pfad = quelle->path(index);
            pfad.chop(name.size());
            if (pfad.endsWith(QLatin1Char('/')))
                pfad.chop(1);
            return pfad.mid(pfad.lastIndexOf(QLatin1Char('/')) + 1);
        }
        case 2:
            return ohneLetzte(name, 4);
        default:
            return vorLetztemPunkt(name);
        }
    }
    switch (runde) {
    case 1:
        return katalog ? katalog->field(row, QStringLiteral("Band")) : QString();
    case 2:
        return katalog ? katalog->field(row, QStringLiteral("LPTitel")) : QString();
    default:
        return quelle ? vorLetztemPunkt(quelle->name(index)) : QString();
    }
}

QString fensterTitel(const QString& text)
{
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

} // namespace laufschrifttext

} // namespace klang::player
