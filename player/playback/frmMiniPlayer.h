#pragma once

// The mini player: a small remote control that stands in for the hidden main window. It
// plays nothing itself; its thirteen buttons step through the lists and call the player's
// rules (PlayerController). It lies as a bar or as a column, each with its own stored
// place, scrolls the playing title in its caption and ends the program when it is closed.

#include "kit/ImageButton.h"
#include "player/playback/core/AbWiederholung.h"
#include "player/playback/core/Laufschrift.h"

#include <QPointer>
#include <QVector>
#include <QWidget>

class QWindow;

namespace klang::player {

class PlayerController;

// What the mini player needs of the window it stands in for.
class IHauptfenster
{
public:
    virtual ~IHauptfenster() = default;
    // The main window comes back: shown, its monitor running, the focus in its search box.
    virtual void hauptfensterZeigen() = 0;
    // Ends the program the orderly way: the main window saves its settings on the way out.
    virtual void programmBeenden() = 0;
    // The menu mark "Miniplayer im Vordergrund halten".
    virtual bool miniPlayerImVordergrund() const = 0;
};

class frmMiniPlayer : public QWidget
{
    Q_OBJECT
public:
    enum class Ausrichtung { Horizontal, Vertikal };
    static constexpr int kKnoepfe = 13;
    static inline const QString kTitel = QStringLiteral("Klangtruhe-Miniplayer");

    frmMiniPlayer(PlayerController& spieler, IHauptfenster& hauptfenster, QWidget* besitzer);
    ~frmMiniPlayer() override;

    // Shows the window at the stored place of its orientation, on top as the menu says,
    // with the caption scrolling when a track plays and the symbols as the player stands.
    void anzeigen();
    // Pause and A-B symbols to their idle look.
    void ABsonderzeichen();
    void imgVorBack_Click(int index);
    void imgLautsprecherregler_Click();
    // Button 4: back to the main window; playback goes on.
    void zumHauptfenster();
    // Button 12: bar <-> column, each at its own stored place.
    void ausrichtungWechseln();
    // Closing: the caption stops, playback stops and the place is kept (once).
    void entladen();
    bool istEntladen() const { return m_entladen; }

    Ausrichtung ausrichtung() const { return m_ausrichtung; }

    // What the player shows here while the window is visible.
    void pauseSymbol(bool pausiert);
    // The pause between tracks counts down in the caption; 0 ends it early.
    void pauseCountdown(int sekundenUebrig);
    void captionZuruecksetzen();

    // imgVorBack(0..12) by index, and the speaker button.
    QVector<kit::ImageButton*> imgVorBack;
    kit::ImageButton* imgLautsprecherregler = nullptr;
    // The caption's timer.
    Laufschrift Timer3;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void knoepfeLegen();
    // Stands at the stored place of its orientation (moved onto a screen).
    void platzEinnehmen();
    void platzSpeichern();
    void abSymbole(AbZustand zustand);
    void vordergrund();

    PlayerController& m_spieler;
    IHauptfenster& m_hauptfenster;
    Ausrichtung m_ausrichtung = Ausrichtung::Horizontal;
    QPointer<QWindow> m_letztesFenster;
    QPoint m_ziehAnfang;
    bool m_zieht = false;
    bool m_entladen = false;
};

} // namespace klang::player
