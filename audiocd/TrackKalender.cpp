#include "audiocd/TrackKalender.h"

#include "platform/vbcompat/VbCompat.h"

#include <QPainter>

namespace diskolo {

namespace {
constexpr int Gap = 2;
const QColor Later(150, 150, 150);
} // namespace

TrackKalender::TrackKalender(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrackKalender::setTracks(int trackCount, int currentTrack)
{
    if (trackCount == m_count && currentTrack == m_current)
        return;
    m_count = trackCount;
    m_current = currentTrack;
    update();
}

int TrackKalender::cellSize() const
{
    // Five rows of cells with their gaps fill the height.
    return int(klang::vb::roundHalfEven((height() - 8) / 5.0));
}

QRect TrackKalender::cell(int t) const
{
    const int c = cellSize();
    const int i = t - 1;
    return QRect((c + Gap) * (i % 5), (c + Gap) * (i / 5), c, c);
}

void TrackKalender::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    QFont font = p.font();
    font.setPixelSize(qMax(6, cellSize() - 4));
    p.setFont(font);
    for (int t = 1; t <= m_count; ++t) {
        const QRect r = cell(t);
        if (r.top() >= height())
            break; // later rows lie below the visible area
        if (t < m_current) {
            p.fillRect(r, Qt::black);
            continue;
        }
        p.fillRect(r, t == m_current ? QColor(Qt::white) : Later);
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, QString::number(t));
    }
}

} // namespace diskolo
