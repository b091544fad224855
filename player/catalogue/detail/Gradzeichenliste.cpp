#include "player/catalogue/detail/Gradzeichenliste.h"

#include "kit/Helpers.h"

#include <QDir>
#include <QFileInfo>

namespace klang::detail {

QStringList gradzeichenItems(const QString& feld)
{
    const QString liste = feld.trimmed();
    if (liste.isEmpty())
        return {};
    QStringList teile = liste.split(Gradzeichen);
    teile.removeLast();
    return teile;
}

static QString mitTrenner(QString ordner)
{
    if (!ordner.isEmpty() && !ordner.endsWith(QLatin1Char('/')) && !ordner.endsWith(QLatin1Char('\\')))
        ordner += QLatin1Char('/');
    return ordner;
}

QString aufgeloesterPfad(const QString& item, const Dateisuche& suche)
{
    if (suche.ausDatenbankpfad)
        return mitTrenner(suche.datenbankPfad) + mitTrenner(suche.unterordner)
               + kit::DateinameAusPfad(item);
    if (item.isEmpty() || QDir::isAbsolutePath(item) || suche.datenbankPfad.isEmpty())
        return item;
    return mitTrenner(suche.datenbankPfad) + item;
}

QStringList vorhandeneDateien(const QString& feld, const Dateisuche& suche)
{
    std::function<bool(const QString&)> existiert = suche.existiert;
    if (!existiert)
        existiert = [](const QString& pfad) { return QFileInfo(pfad).isFile(); };
    QStringList dateien;
    for (const QString& item : gradzeichenItems(feld)) {
        if (item.isEmpty() || (suche.ausDatenbankpfad && kit::DateinameAusPfad(item).isEmpty()))
            continue;
        const QString pfad = aufgeloesterPfad(item, suche);
        if (existiert(pfad)) {
            dateien << pfad;
            continue;
        }
        // Lists written on Windows separate folders with "\".
        if (!suche.ausDatenbankpfad && item.contains(QLatin1Char('\\'))) {
            QString mitSchraegstrich = item;
            mitSchraegstrich.replace(QLatin1Char('\\'), QLatin1Char('/'));
            const QString umgesetzt = aufgeloesterPfad(mitSchraegstrich, suche);
            if (existiert(umgesetzt))
                dateien << umgesetzt;
        }
    }
    return dateien;
}

QString bildpfadBeschriftung(const QString& feld, int anzahl)
{
    if (feld.trimmed().isEmpty())
        return QStringLiteral("kein externes Bild");
    return QString::number(anzahl)
           + (anzahl == 1 ? QStringLiteral(" externes Cover") : QStringLiteral(" externe Cover"));
}

QString ebookBeschriftung(int anzahl)
{
    return QStringLiteral("eBook u. Multimedia (%1)").arg(anzahl);
}

} // namespace klang::detail
