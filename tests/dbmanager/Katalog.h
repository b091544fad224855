#pragma once

// Generated catalogues for the database manager's tests, and a fingerprint of their
// records to prove that a command changed no value.

#include <QString>
#include <QStringList>

namespace dbmanager::test {

// Creates a catalogue in the older (11 fields) or current form with the given number of
// records; values include leading zeros, decimals, umlauts, apostrophes, NULLs and pictures.
bool katalogErzeugen(const QString& pfad, int anzahl, bool aelteresFormat = true);
// Every value of the given fields of every record, with its storage type, in rowid order.
QString fingerabdruck(const QString& pfad, const QStringList& felder);
QStringList spaltenVon(const QString& pfad);
// Deletes every n-th record (to give compaction something to do).
bool jedenNtenLoeschen(const QString& pfad, int n);

} // namespace dbmanager::test
