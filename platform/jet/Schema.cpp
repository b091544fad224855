#include "platform/jet/Schema.h"

namespace klang::jet::schema {

QStringList fieldNames()
{
    return {QStringLiteral("Band"),        QStringLiteral("LPTitel"),     QStringLiteral("Medium"),
            QStringLiteral("Stil"),        QStringLiteral("Info"),        QStringLiteral("Plattenfirma"),
            QStringLiteral("BestellNr"),   QStringLiteral("Preis"),       QStringLiteral("Datum"),
            QStringLiteral("Songs"),       QStringLiteral("BildPfad"),    QStringLiteral("Musikpfad"),
            QStringLiteral("SongText"),    QStringLiteral("eBook"),       QStringLiteral("Bewertung"),
            QStringLiteral("InternetTab"), QStringLiteral("InfoTab"),     QStringLiteral("SonstigesTab"),
            QStringLiteral("Bilder")};
}

QStringList textFieldNames()
{
    QStringList names = fieldNames();
    names.removeAll(kPictureField);
    return names;
}

QStringList olderFieldNames()
{
    return {QStringLiteral("Band"),   QStringLiteral("LPTitel"),      QStringLiteral("Medium"),
            QStringLiteral("Stil"),   QStringLiteral("Info"),         QStringLiteral("Plattenfirma"),
            QStringLiteral("BestellNr"), QStringLiteral("Preis"),     QStringLiteral("Datum"),
            QStringLiteral("Songs"),  QStringLiteral("Bilder")};
}

QStringList richTextFieldNames()
{
    return {QStringLiteral("Songs"), QStringLiteral("SongText"), QStringLiteral("InternetTab"),
            QStringLiteral("InfoTab"), QStringLiteral("SonstigesTab")};
}

bool isRichTextField(const QString& field)
{
    return richTextFieldNames().contains(field, Qt::CaseInsensitive);
}

QList<NewerColumn> newerColumns()
{
    return {{QStringLiteral("Bildpfad"), QStringLiteral("Memo")},
            {QStringLiteral("Musikpfad"), QStringLiteral("Text")},
            {QStringLiteral("SongText"), QStringLiteral("Memo")},
            {QStringLiteral("eBook"), QStringLiteral("Memo")},
            {QStringLiteral("Bewertung"), QStringLiteral("Text")},
            {QStringLiteral("InternetTab"), QStringLiteral("Memo")},
            {QStringLiteral("InfoTab"), QStringLiteral("Memo")},
            {QStringLiteral("SonstigesTab"), QStringLiteral("Memo")}};
}

QString createTableStatement(bool olderForm)
{
    const QStringList names = olderForm ? olderFieldNames() : fieldNames();
    QStringList columns;
    for (const QString& name : names)
        columns << QStringLiteral("\"%1\" %2").arg(name, name == kPictureField ? QStringLiteral("BLOB")
                                                                                : QStringLiteral("TEXT"));
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(kTable, columns.join(QStringLiteral(", ")));
}

} // namespace klang::jet::schema
