#include "player/playback/core/Bildschirmplatz.h"

#include <algorithm>
#include <climits>

namespace klang::player {

QRect aufBildschirm(const QRect& fenster, const QList<QRect>& bildschirme)
{
    if (bildschirme.isEmpty())
        return fenster;
    for (const QRect& s : bildschirme) {
        if (s.intersects(fenster))
            return fenster;
    }
    const QRect* naechster = &bildschirme.first();
    long long beste = LLONG_MAX;
    for (const QRect& s : bildschirme) {
        const long long dx = std::max({0, s.left() - fenster.center().x(), fenster.center().x() - s.right()});
        const long long dy = std::max({0, s.top() - fenster.center().y(), fenster.center().y() - s.bottom()});
        if (dx * dx + dy * dy < beste) {
            beste = dx * dx + dy * dy;
            naechster = &s;
        }
    }
    QRect r = fenster;
    r.setSize(r.size().boundedTo(naechster->size()));
    r.moveLeft(std::clamp(r.left(), naechster->left(), naechster->right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), naechster->top(), naechster->bottom() - r.height() + 1));
    return r;
}

} // namespace klang::player
