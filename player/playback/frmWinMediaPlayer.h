#pragma once

// The video window: pictures and videos play here while the embedded player is the engine.
// It carries the same player widget as the main window (MediaPlayerControl) and a row of
// buttons below it: previous, next and random track, stop and close, an A-B repeat of its
// own, fit to the window, and full screen. Its buttons call the player's rules; it keeps
// its place and size in the settings.

#include "kit/ImageButton.h"
#include "player/playback/core/AbWiederholung.h"

#include <QVector>
#include <QWidget>

namespace klang::media {
class MediaEngine;
class MediaPlayerControl;
}

namespace klang::player {

class PlayerController;

class frmWinMediaPlayer : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kKnoepfe = 10;

    // Plays through its own mpv engine; the given engine (tests) is taken over instead.
    explicit frmWinMediaPlayer(QWidget* parent = nullptr);
    frmWinMediaPlayer(klang::media::MediaEngine* engine, QWidget* parent);
    ~frmWinMediaPlayer() override;

    // The rules the buttons call; the window plays nothing of its own choice.
    void setSpieler(PlayerController* spieler) { m_spieler = spieler; }

    void imgVorBack_Click(int index);
    // The repeat back to its idle state: marks cleared, A-B watch off.
    void ABsonderzeichen();

    klang::media::MediaPlayerControl* WindowsMediaPlayer1 = nullptr;
    QVector<kit::ImageButton*> imgVorBack;
    // This window's own A-B repeat (TimerPosAB).
    AbWiederholung TimerPosAB;

Q_SIGNALS:
    // The user closed the window (button 3 or the close box).
    void geschlossen();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void aufbauen();
    void RegistryLesen();
    void geometrieSpeichern();
    void abSymbole();

    PlayerController* m_spieler = nullptr;
    // Read from the settings at the first showing after each closing.
    bool m_geladen = false;
};

} // namespace klang::player
