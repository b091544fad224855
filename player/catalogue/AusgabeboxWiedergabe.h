#pragma once

// What the main window shows of playback beyond the catalogue's needs: the pause symbols,
// the embedded player's place and full screen, the picture heights, the video window and
// the associated program.

#include "player/catalogue/AusgabeboxSpieler.h"

#include <QObject>
#include <functional>

class QEvent;

namespace klang::player {

class Ausgabebox;

class WiedergabeOberflaeche : public SpielerOberflaeche
{
public:
    explicit WiedergabeOberflaeche(Ausgabebox* fenster) : SpielerOberflaeche(fenster), m_fenster(fenster) {}
    void setPauseSymbol(bool paused) override;
    void showPauseCountdown(int secondsLeft) override;
    void resetCaptions() override;
    void setTimer3(bool on) override;
    void showVideoWindow(bool visible) override;
    void setMediaPlayerGeometry(int topTwips, int heightTwips) override;
    void setMediaPlayerFullScreen(bool on) override;
    void setPictureHeight(int twips) override;
    void cmdPlayAsso(const QString& path) override;
    void showInfoTrackButton(bool visible) override;

private:
    Ausgabebox* m_fenster;
};

// Hands the events of one widget to a function; true from the function eats the event. The
// owner is not the watched widget, so the filter can go before the widgets do.
class Ereignisweiche : public QObject
{
public:
    using Funktion = std::function<bool(QEvent*)>;
    Ereignisweiche(QObject* ziel, Funktion funktion, QObject* besitzer);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Funktion m_funktion;
};

// The answer of the pause-between-tracks question: whole seconds as typed, and whether it
// is long enough to need a confirmation (a text that is no number counts 0).
bool pauseBrauchtBestaetigung(const QString& antwort);

} // namespace klang::player
