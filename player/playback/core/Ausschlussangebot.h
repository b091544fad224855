#pragma once

// What the windows of excluded styles and bands offer and which list file they edit.

#include <QString>
#include <QStringList>
#include <QVector>

namespace klang::player {

struct AusschlussEintrag
{
    QString text;
    bool markiert = false;
};

// Every offered name once, in the order given, marked when the list holds it (exactly);
// then the names on the list that are not offered, marked, so that an exclusion is never
// dropped because its style left the style file or its band is not shown. Empty or blank
// names are left out: they would exclude every record.
QVector<AusschlussEintrag> ausschlussAngebot(const QStringList& angeboten, const QStringList& liste);

// The list file a mode edits: "Abspielen" the one play reads, "CD-Erstellen" the one for
// making CDs, any other mode none ("").
QString ausschlussDatei(const QString& modus, const QString& abspielDatei, const QString& cdDatei);

// Names of the files and settings.
inline const QString kStilkatalogDatei = QStringLiteral("Stilrichtung.ini");
inline const QString kStilCdDatei = QStringLiteral("Ausschlussliste.ini");
inline const QString kBandCdDatei = QStringLiteral("BandAusschlussliste.ini");
inline const QString kStilModusSchluessel = QStringLiteral("Ausschlussliste");
inline const QString kBandModusSchluessel = QStringLiteral("BandAusschlussliste");

} // namespace klang::player
