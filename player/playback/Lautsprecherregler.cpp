#include "player/playback/Lautsprecherregler.h"

#include "kit/MsgFenn.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>

namespace klang::player {

bool lautsprecherreglerVorhanden()
{
    const QString pfad = QStandardPaths::findExecutable(kLautstaerkeProgramm);
    return !pfad.isEmpty() && QFileInfo(pfad).isExecutable();
}

bool lautsprecherreglerStarten(QWidget* fenster, bool neben)
{
    if (lautsprecherreglerVorhanden()) {
        if (neben && fenster) {
            // Ten pixels right of the window's right edge, level with its top.
            const QRect r = fenster->frameGeometry();
            klang::SaveSetting(QStringLiteral("KlangtruheVolume"), QStringLiteral("Options"),
                               QStringLiteral("MiniplayerLeft"), QString::number(r.x() + r.width() + 10));
            klang::SaveSetting(QStringLiteral("KlangtruheVolume"), QStringLiteral("Options"),
                               QStringLiteral("MiniplayerTop"), QString::number(r.y()));
        }
        if (klang::startProgram(kLautstaerkeProgramm))
            return true;
    }
    kit::MsgFenn(fenster, kLautstaerkeProgramm + QStringLiteral(" nicht gefunden."), 3, 0,
                 QStringLiteral("Lautsprecherregler"), 1, kit::WarningBackColor, kit::DialogForeColor);
    return false;
}

} // namespace klang::player
