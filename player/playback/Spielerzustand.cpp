#include "player/playback/Spielerzustand.h"

#include <algorithm>

namespace klang::player {

QString statusTextPlaying(const QString& was)
{
    return StatusPlaying + was;
}

bool statusSpielt(const QString& panelText)
{
    return panelText.contains(QStringLiteral("playing:"));
}

bool statusPausiert(const QString& panelText)
{
    return panelText.contains(StatusPause);
}

void Spielerzustand::trackListeNeu(int anzahlEintraege)
{
    AktuellerTrack = 0;
    GespieltMarken = QVector<int>(std::max(0, anzahlEintraege), 0);
}

} // namespace klang::player
