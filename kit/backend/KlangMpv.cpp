// Sound backend of klang_kit: the family's sound layer.

#include "kit/Klang.h"

#include "platform/sound/Sound.h"

namespace kit::detail {

void klangAusgeben(const QString& pfad) { klang::playSoundAsync(pfad); }

} // namespace kit::detail
