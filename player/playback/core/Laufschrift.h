#pragma once

// The scrolling caption: band, title and file name of the playing track, one per round,
// grow letter by letter into a window caption, stand half a second and shrink out again.
// One timer drives it (the rounds, the letters and the stand), and it stands still when it
// is off, so an idle player costs no processor time. It never blocks the event loop.

#include "player/playback/core/PlayerInterfaces.h"

#include <functional>
#include <memory>

namespace klang::player {

class ITrackSource;
class ICatalogue;

class Laufschrift
{
public:
    // The two windows break off differently: the mini player looks at its timer only while
    // a text grows; the minimised main window after every letter, and starts with the band
    // again after a break-off.
    enum class Art { Miniplayer, Hauptfenster };

    struct Anbindung
    {
        // The text of a round: 1 band, 2 title, 3 file name.
        std::function<QString(int runde)> text;
        // Writes the caption.
        std::function<void(const QString&)> titel;
        // The menu mark of the scrolling caption (the mini player reads it every round).
        std::function<bool()> eingeschaltet;
        // The window can show it (mini player visible, main window minimised).
        std::function<bool()> darfLaufen;
        // The playing track has ended.
        std::function<bool()> titelBeendet;
    };

    static constexpr int kRundeMs = 500;
    static constexpr int kBuchstabeMs = 120;
    static constexpr int kStehenMs = 500;

    // A null clock means the system clock.
    Laufschrift(Art art, const QString& ruhetext, IClock* clock = nullptr);
    ~Laufschrift();

    void setAnbindung(Anbindung anbindung) { m_an = std::move(anbindung); }
    QString ruhetext() const { return m_ruhetext; }

    // Timer2 / Timer3 on and off. Off takes effect at the next letter (the mini player's
    // shrinking runs to its end first).
    void start();
    void stop();
    bool isActive() const { return m_ein; }
    // A text is on its way through the caption.
    bool scrollt() const { return m_stufe != Stufe::Warten; }
    int runde() const { return m_runde; }

private:
    enum class Stufe { Warten, Wachsen, Stehen, Schrumpfen };

    void feuern();
    void rundeBeginnen();
    void rundeBeenden();
    void abbrechen();
    bool abbruchNoetig() const;
    void titel(const QString& text);

    Art m_art;
    QString m_ruhetext;
    Anbindung m_an;
    std::unique_ptr<IClock> m_eigeneUhr;
    std::unique_ptr<ITimer> m_timer;
    bool m_ein = false;
    Stufe m_stufe = Stufe::Warten;
    int m_runde = 0;
    int m_i = 0;
    QString m_text;
};

// The texts of the rounds, cut as the captions show them.
namespace laufschrifttext {
// Without its last n characters; empty when it is shorter than n.
QString ohneLetzte(const QString& text, int n);
// Up to, not including, the last "."; a name without "." whole.
QString vorLetztemPunkt(const QString& name);
// Round 1 to 3 of what plays: from the playlist item (its folder's name, its name without
// the last four characters, its name before the last ".") or from the record (band, title)
// and the track list's entry. index is 0-based into the list; row is the record's row.
QString text(int runde, bool playlist, const ITrackSource* quelle, int index,
             const ICatalogue* katalog, int row);
// The caption handed to the window: the window system shows the program's name for an empty
// one, so an empty text goes as a blank.
QString fensterTitel(const QString& text);
} // namespace laufschrifttext

} // namespace klang::player
