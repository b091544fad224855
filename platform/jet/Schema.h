#pragma once

// The catalogue table and its fields. Every program addresses fields by these names, never by
// position: the physical column order of an older, updated catalogue differs from a new one.

#include <QString>
#include <QStringList>

namespace klang::jet::schema {

// The one table of a catalogue.
inline const QString kTable = QStringLiteral("Schallplatten");

// The default view of the catalogue (also the default of the saved view).
inline const QString kDefaultRecordSource =
    QStringLiteral("select * from Schallplatten order by Band, LPTitel");

// File name of the empty catalogue that lies beside the programs.
inline const QString kEmptyCatalogueFile = QStringLiteral("Archiv_leer.mdb");

// The stored cover picture: the only binary field.
inline const QString kPictureField = QStringLiteral("Bilder");

// All 19 fields of a current catalogue, in the order of a newly created table.
QStringList fieldNames();
// The 18 text fields (all but Bilder), in table order: the columns of the grid.
QStringList textFieldNames();
// The 11 fields of the older catalogue form (before the database manager's update).
QStringList olderFieldNames();
// The fields stored as rich text (RTF): Songs, SongText, InternetTab, InfoTab, SonstigesTab.
QStringList richTextFieldNames();
bool isRichTextField(const QString& field); // case-insensitive

// A column that the database manager's update adds to an older catalogue, with its Jet type.
struct NewerColumn
{
    QString name;
    QString jetType; // "Memo" or "Text"
};
// The eight newer columns in the order the update adds them (the picture list is spelt
// "Bildpfad" there; field names do not distinguish case).
QList<NewerColumn> newerColumns();

// The SQLite statement that creates the table in its current (19 fields) or older (11 fields)
// form. Text fields are declared TEXT, the picture BLOB.
QString createTableStatement(bool olderForm = false);

} // namespace klang::jet::schema
