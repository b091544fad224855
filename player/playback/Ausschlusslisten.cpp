#include "player/playback/Ausschlusslisten.h"

#include "platform/textfiles/LineFile.h"

#include <QFileInfo>

namespace klang::player {

bool ausschlusslisteLaden(const QString& dateipfad, QStringList& liste)
{
    const QFileInfo info(dateipfad);
    if (!info.exists() || !info.isFile())
        return false;
    bool ok = false;
    const QStringList zeilen = klang::readLines(dateipfad, &ok);
    if (!ok)
        return false;
    liste = zeilen;
    return true;
}

bool ausgeschlossen(const QString& text, const QStringList& liste)
{
    for (const QString& eintrag : liste) {
        if (!eintrag.isEmpty() && text.contains(eintrag, Qt::CaseSensitive))
            return true;
    }
    return false;
}

} // namespace klang::player
