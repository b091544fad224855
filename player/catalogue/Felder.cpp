#include "player/catalogue/Felder.h"

#include "platform/jet/Schema.h"

namespace klang::player {

const QStringList& alleFelder()
{
    static const QStringList felder = jet::schema::fieldNames();
    return felder;
}

const QStringList& textFelder()
{
    static const QStringList felder = jet::schema::textFieldNames();
    return felder;
}

bool istRichTextFeld(const QString& feld)
{
    return jet::schema::isRichTextField(feld);
}

bool istTextFeld(const QString& feld)
{
    return textFelder().contains(feld, Qt::CaseSensitive);
}

QStringList fehlendeFelder(const QStringList& vorhandeneFelder)
{
    QStringList fehlend;
    for (const QString& feld : alleFelder()) {
        if (!vorhandeneFelder.contains(feld, Qt::CaseInsensitive))
            fehlend << feld;
    }
    return fehlend;
}

const QStringList& filterSpalten()
{
    static const QStringList spalten = {
        QStringLiteral("Band"), QStringLiteral("LPTitel"), QStringLiteral("Medium"),
        QStringLiteral("Stil"), QStringLiteral("Info"), QStringLiteral("Datum"),
        QStringLiteral("Preis"), QStringLiteral("Plattenfirma"), QStringLiteral("BestellNr"),
        QStringLiteral("Songs"), QStringLiteral("BildPfad"), QStringLiteral("Musikpfad"),
        QStringLiteral("SongText"), QStringLiteral("eBook"), QStringLiteral("Bewertung")};
    return spalten;
}

QString buchstabenFilter(const QString& spalte, int index)
{
    const QString ende = QStringLiteral(" order by Band, LPTitel");
    if (index >= 26 && index <= 31) {
        return QStringLiteral("select * from Schallplatten where Bewertung like '%1'")
                   .arg(index - 25)
               + ende;
    }
    if (index < 0 || index > 25 || !filterSpalten().contains(spalte, Qt::CaseSensitive))
        return QString();
    const QChar buchstabe = QChar(u'a' + index);
    QString partner;
    switch (index) {
    case 0: partner = QStringLiteral("ä"); break;
    case 14: partner = QStringLiteral("ö"); break;
    case 18: partner = QStringLiteral("ß"); break;
    case 20: partner = QStringLiteral("ü"); break;
    default: break;
    }
    // A rich-text field by the first letter of the text the grid shows, not of its RTF.
    const QString ausdruck = istRichTextFeld(spalte) ? QStringLiteral("Klartext(%1, 1)").arg(spalte) : spalte;
    QString sql = QStringLiteral("select * from Schallplatten where %1 like '%2*'").arg(ausdruck, buchstabe);
    if (!partner.isEmpty())
        sql += QStringLiteral(" or %1 like '%2*'").arg(ausdruck, partner);
    return sql + ende;
}

QString sortierAbfrage(const QString& feld, bool aufsteigend)
{
    if (!istTextFeld(feld))
        return QString();
    // A rich-text field sorts by the text the grid shows.
    return QStringLiteral("select * from Schallplatten order by ")
           + (istRichTextFeld(feld) ? QStringLiteral("Klartext(%1)").arg(feld) : feld)
           + (aufsteigend ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
}

} // namespace klang::player
