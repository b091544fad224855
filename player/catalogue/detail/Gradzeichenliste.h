#pragma once

// Record fields that list files (BildPfad, eBook): every item is followed by the degree sign,
// "a.jpg°b.jpg°". The whole field is trimmed and split at "°"; every piece but the last one is
// an item (a list without the closing sign therefore loses its last item). Items are not
// trimmed.

#include <QString>
#include <QStringList>

#include <functional>

namespace klang::detail {

inline const QChar Gradzeichen = QChar(0x00B0);

QStringList gradzeichenItems(const QString& feld);

// Where the listed files are looked for.
struct Dateisuche
{
    QString datenbankPfad;      // folder of the open catalogue, with a trailing "/"
    QString unterordner;        // "Bilder/" or "eBook/"
    bool ausDatenbankpfad = true; // option "Cover vom Datenbankpfad laden"
    // File-exists test (replaceable in tests); the default asks the file system.
    std::function<bool(const QString&)> existiert;
};

// The path an item stands for: with the option on, the item's file name in the database's
// sub-folder; otherwise the item as written, where a relative item counts from the database
// folder (never from whatever the process's current folder happens to be).
QString aufgeloesterPfad(const QString& item, const Dateisuche& suche);

// The existing files of a field, in list order, as the paths aufgeloesterPfad gives.
QStringList vorhandeneDateien(const QString& feld, const Dateisuche& suche);

// Caption of chkBildpfad: "kein externes Bild" for an empty field, otherwise
// "1 externes Cover" / "n externe Cover" (also "0 externe Cover").
QString bildpfadBeschriftung(const QString& feld, int anzahl);

// Caption label of the eBook list: "eBook u. Multimedia (n)".
QString ebookBeschriftung(int anzahl);

} // namespace klang::detail
