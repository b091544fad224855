#include "player/playback/core/Nachbarschritt.h"

#include <algorithm>

namespace klang::player {

Nachbarschritt nachbarschritt(const ITrackSource* quelle, bool playlist, int aktuell, int richtung)
{
    Nachbarschritt s;
    const int n = quelle ? quelle->count() : 0;
    if (n <= 0)
        return s;
    const bool zurueck = richtung < 0;

    if (!playlist) {
        const int t = std::clamp(aktuell, 0, n - 1);
        s.gueltig = true;
        s.track = zurueck ? (t != 0 ? t - 1 : n - 1) : (t >= n - 1 ? 0 : t + 1);
        return s;
    }

    // The wrap takes the other end as it is.
    if (zurueck && aktuell == 1) {
        s.gueltig = true;
        s.track = n;
        return s;
    }
    if (!zurueck && aktuell == n) {
        s.gueltig = true;
        s.track = 1;
        return s;
    }
    int t = aktuell + (zurueck ? -1 : 1);
    if (t < 1)
        t = zurueck ? n : 1;
    if (t > n)
        t = zurueck ? n : 1;
    // From there to the end of the list in the step's direction, then once more from the
    // other end: one round at most, so a list without a checked item cannot hang.
    for (int gesehen = 0; gesehen < n; ++gesehen) {
        if (quelle->isChecked(t - 1)) {
            s.gueltig = true;
            s.track = t;
            s.auswaehlen = true;
            return s;
        }
        t += zurueck ? -1 : 1;
        if (t < 1)
            t = n;
        if (t > n)
            t = 1;
    }
    return s;
}

} // namespace klang::player
