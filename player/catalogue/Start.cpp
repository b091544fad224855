#include "player/catalogue/Start.h"

#include "platform/shell/Paths.h"

#include "platform/textfiles/LineFile.h"
#include "platform/vbcompat/VbCompat.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace klang::player {

Kommandozeile kommandozeileAuswerten(const QStringList& argumente)
{
    Kommandozeile k;
    const QString zeile = argumente.join(QLatin1Char(' '));
    if (zeile.isEmpty())
        return k;
    k.vorhanden = true;
    QString ohne = zeile;
    ohne.remove(QLatin1Char('"'));
    const double wert = klang::vb::Val(ohne);
    if (!std::isfinite(wert) || wert <= 0)
        k.sekunden = 0;
    else
        k.sekunden = static_cast<int>(std::min<double>(std::round(wert), MaxWarteSekunden));
    return k;
}

bool istNormaleDatei(const QString& pfad)
{
    if (pfad.isEmpty())
        return false;
    const QFileInfo info(pfad);
    return info.exists() && info.isFile() && !info.isHidden();
}

namespace {

DatenbankWahl datenbankPfadAufloesenIn(const QString& archivPfad, const QString& programmPfad,
                                       const QString& leer)
{
    DatenbankWahl w;
    if (!archivPfad.isEmpty()) {
        w.pfad = istNormaleDatei(archivPfad) ? archivPfad : leer;
        return w;
    }
    const QString erststart = programmPfad + PfadErststartDatei;
    if (istNormaleDatei(erststart)) {
        const QStringList zeilen = klang::readLines(erststart);
        const QString erste = zeilen.value(0).trimmed();
        if (!erste.isEmpty()) {
            w.pfad = erste;
            w.speichern = true;
            return w;
        }
    }
    w.pfad = leer;
    w.speichern = true;
    return w;
}

} // namespace

DatenbankWahl datenbankPfadAufloesen(const QString& archivPfad, const QString& programmPfad)
{
    const QString leer = programmPfad + LeererKatalog;
    const QString installiert = klang::resourceDir() + LeererKatalog;
    // A program folder that could not be seeded: the installed empty catalogue, this run only.
    if (!istNormaleDatei(leer) && istNormaleDatei(installiert)) {
        DatenbankWahl w = datenbankPfadAufloesenIn(archivPfad, programmPfad, installiert);
        if (w.pfad == installiert)
            w.speichern = false;
        return w;
    }
    return datenbankPfadAufloesenIn(archivPfad, programmPfad, leer);
}

QMap<int, QString> bezLaden(const QString& dateipfad)
{
    QMap<int, QString> bez;
    if (!istNormaleDatei(dateipfad))
        return bez;
    const QStringList zeilen = klang::readLines(dateipfad);
    for (int k = 0; k < zeilen.size() && k <= 13; ++k) {
        if (!zeilen.at(k).isEmpty())
            bez.insert(k, zeilen.at(k));
    }
    return bez;
}

QString standardBez(int index)
{
    static const QStringList bez = {
        QStringLiteral("Band"), QStringLiteral("Titel"), QStringLiteral("Medium"),
        QStringLiteral("Songs"), QStringLiteral("Info"), QStringLiteral("Preis"),
        QStringLiteral("Stilrichtung"), QStringLiteral("Kaufdatum"), QStringLiteral("Bestell-Nr."),
        QStringLiteral("Firma"), QStringLiteral("Musikpfad"),
        QStringLiteral("eBook u. Multimedia (0)"), QStringLiteral("Tracks && Movies"), QString()};
    return bez.value(index);
}

QStringList musikDateien(const QString& ordner)
{
    if (ordner.size() < 2 || !ordner.endsWith(QLatin1Char('/')))
        return {};
    QDir dir(ordner);
    if (!dir.exists())
        return {};
    QStringList namen = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(namen.begin(), namen.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return namen;
}

} // namespace klang::player

namespace klang::player {

TrackListe trackListeFuer(const QString& musikpfad, const QString& programmPfad)
{
    TrackListe t;
    t.ordner = programmPfad + QStringLiteral("Leer");
    if (musikpfad.size() < 2)
        return t;
    const QStringList dateien = musikDateien(musikpfad);
    t.labelAendern = true;
    if (dateien.isEmpty()) {
        t.label = QStringLiteral("Tracks & Movies ");
        return t;
    }
    t.ordner = musikpfad;
    t.dateien = dateien;
    t.aktiv = true;
    t.label = QStringLiteral("Tracks & Movies ") + QString::number(dateien.size());
    return t;
}

} // namespace klang::player
