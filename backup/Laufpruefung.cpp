#include "backup/Laufpruefung.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace backup {

QString vergleichsPfad(const QString& pfad)
{
    const QFileInfo info(pfad);
    const QString kanonisch = info.canonicalFilePath();
    if (!kanonisch.isEmpty())
        return kanonisch;
    // A target that does not exist yet: resolve its existing parent, keep the rest.
    const QString absolut = QDir::cleanPath(info.absoluteFilePath());
    const QFileInfo eltern(QFileInfo(absolut).path());
    const QString elternKanonisch = eltern.canonicalFilePath();
    if (!elternKanonisch.isEmpty() && absolut != QLatin1String("/"))
        return QDir::cleanPath(elternKanonisch + QLatin1Char('/') + QFileInfo(absolut).fileName());
    return absolut;
}

bool istWurzel(const QString& pfad)
{
    const QString text = pfad.trimmed();
    static const QRegularExpression laufwerk(QStringLiteral("^[A-Za-z]:[\\\\/]?$"));
    if (text.contains(laufwerk) || text == QLatin1String("\\"))
        return true;
    if (text.isEmpty())
        return false;
    return QDir::cleanPath(QFileInfo(text).absoluteFilePath()) == QLatin1String("/");
}

bool liegtInOderIst(const QString& pfad, const QString& ordner)
{
    const QString p = vergleichsPfad(pfad);
    const QString o = vergleichsPfad(ordner);
    if (p == o)
        return true;
    const QString mitTrenner = o.endsWith(QLatin1Char('/')) ? o : o + QLatin1Char('/');
    return p.startsWith(mitTrenner);
}

QString laufVerweigert(const Kommando& k, const KommandoEingaben& e)
{
    const QString quelle = absoluterPfad(e.quellpfad.trimmed());
    if (quelle.isEmpty())
        return QStringLiteral("Es ist kein Quellpfad angegeben.");
    if (!QFileInfo(quelle).isDir())
        return QStringLiteral("Der Quellpfad \"%1\" existiert nicht oder ist kein Ordner.").arg(quelle);

    // The folder the run writes into: the copy target itself, or the archive's folder.
    const bool archiv = !istKopie(k.zweig);
    const QString zielOrdner = archiv ? absoluterPfad(e.zielpfad.trimmed()) : k.ziel.trimmed();
    if (zielOrdner.isEmpty() || (archiv && e.archivdatei.trimmed().isEmpty()))
        return QStringLiteral("Es ist kein Zielpfad angegeben.");
    if (istWurzel(zielOrdner))
        return QStringLiteral("Das Ziel \"%1\" ist das Wurzelverzeichnis eines Laufwerks; "
                              "bitte einen Zielordner wählen.").arg(zielOrdner);
    // A copy creates its target folder (one level); everything above it must be there.
    QString vorhanden = zielOrdner;
    if (!archiv) {
        while (vorhanden.size() > 1 && (vorhanden.endsWith(QLatin1Char('/')) || vorhanden.endsWith(QLatin1Char('\\'))))
            vorhanden.chop(1);
        vorhanden = QFileInfo(vorhanden).path();
    }
    if (!QFileInfo(vorhanden).isDir())
        return QStringLiteral("Der Zielordner \"%1\" existiert nicht; bitte einen vorhandenen Ordner "
                              "wählen.").arg(vorhanden);
    if (liegtInOderIst(k.ziel, quelle))
        return QStringLiteral("Das Ziel \"%1\" ist der Quellordner oder liegt darin; "
                              "bitte einen Zielordner außerhalb der Quelle wählen.").arg(k.ziel);
    if (k.spiegeln && liegtInOderIst(quelle, k.ziel))
        return QStringLiteral("Die Quelle \"%1\" liegt im Ziel \"%2\"; ein Spiegeln würde den "
                              "übrigen Inhalt des Ziels löschen.").arg(quelle, k.ziel);
    return QString();
}

} // namespace backup
