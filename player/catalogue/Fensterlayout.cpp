#include "player/catalogue/Fensterlayout.h"

#include "kit/FormPlatzieren.h"

namespace klang::player {

QRect aufBildschirm(const QRect& fenster, const QList<QRect>& bildschirme)
{
    return kit::fensterLage(fenster, MindestGroesse, bildschirme);
}

} // namespace klang::player
