#pragma once

// The track grid of the display: five cells per row, the tracks already played black (on the
// black panel they vanish), the current one white, the later ones grey, each with its number.

#include <QWidget>

namespace diskolo {

class TrackKalender : public QWidget
{
    Q_OBJECT
public:
    explicit TrackKalender(QWidget* parent = nullptr);

    void setTracks(int trackCount, int currentTrack);
    int trackCount() const { return m_count; }
    int currentTrack() const { return m_current; }
    // The cell of track t (1-based) in widget pixels.
    QRect cell(int t) const;
    int cellSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_count = 0;
    int m_current = 0;
};

} // namespace diskolo
