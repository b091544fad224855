#include "player/playback/Trackinfo.h"

namespace klang::player {

QString trackInfoText(const klang::media::MediaInfo& medium)
{
    const QString zeile = QStringLiteral("\r\n");
    QString text = QStringLiteral("Name = ") + medium.name() + zeile + QStringLiteral("Länge = ")
                   + medium.durationString() + QStringLiteral(" Min.") + zeile + zeile;
    for (int i = 0; i < medium.attributeCount(); ++i) {
        const QString name = medium.getAttributeName(i);
        text += QString::number(i) + QStringLiteral(" - ") + name + QStringLiteral(" = ") + medium.getItemInfo(name)
                + zeile;
    }
    return text;
}

} // namespace klang::player
