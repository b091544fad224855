#pragma once

// A plain window that shows the pictures and videos the player plays while the embedded
// player is the engine. It carries only the picture surface; closing it stops playback.

#include <QWidget>

namespace klang::player {

class Videofenster : public QWidget
{
    Q_OBJECT
public:
    explicit Videofenster(QWidget* parent = nullptr);

    // The surface the video engine draws on.
    QWidget* flaeche() const { return m_flaeche; }

Q_SIGNALS:
    // The user closed the window.
    void geschlossen();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* m_flaeche;
};

} // namespace klang::player
