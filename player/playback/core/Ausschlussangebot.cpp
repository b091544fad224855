#include "player/playback/core/Ausschlussangebot.h"

#include <QSet>

namespace klang::player {

QVector<AusschlussEintrag> ausschlussAngebot(const QStringList& angeboten, const QStringList& liste)
{
    QSet<QString> aufListe;
    for (const QString& name : liste) {
        if (!name.trimmed().isEmpty())
            aufListe.insert(name);
    }
    QVector<AusschlussEintrag> eintraege;
    QSet<QString> gezeigt;
    for (const QString& name : angeboten) {
        if (name.trimmed().isEmpty() || gezeigt.contains(name))
            continue;
        gezeigt.insert(name);
        eintraege.append({name, aufListe.contains(name)});
    }
    for (const QString& name : liste) {
        if (name.trimmed().isEmpty() || gezeigt.contains(name))
            continue;
        gezeigt.insert(name);
        eintraege.append({name, true});
    }
    return eintraege;
}

QString ausschlussDatei(const QString& modus, const QString& abspielDatei, const QString& cdDatei)
{
    if (modus == QLatin1String("Abspielen"))
        return abspielDatei;
    if (modus == QLatin1String("CD-Erstellen"))
        return cdDatei;
    return QString();
}

} // namespace klang::player
