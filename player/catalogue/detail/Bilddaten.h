#pragma once

// Pictures of a record: the stored cover (field Bilder) and picture files, and the option that
// decides where listed files are looked for.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace klang::detail {

// The picture of the field Bilder. Older catalogues wrap the picture in an object header; then
// the first embedded JPEG, PNG, GIF or BMP is taken. A field without a picture gives a null
// image.
QImage bildAusFeld(const QByteArray& feld);

// A picture file (turned as its EXIF data says); a null image when it cannot be read. With a
// size, the picture is decoded straight at that size (fast for large photos in small slots).
QImage bildAusDatei(const QString& pfad, const QSize& groesse = QSize());

// The option "Cover vom Datenbankpfad laden" (setting BildLadePfad, default "True").
bool bildLadePfad();
void setBildLadePfad(bool an);

} // namespace klang::detail
