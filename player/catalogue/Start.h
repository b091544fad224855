#pragma once

// Rules of the player's start-up that need no window: the command line, the choice of the
// catalogue file, the field captions of "Bez.ini" and the track list of a music folder.

#include <QMap>
#include <QString>
#include <QStringList>

namespace klang::player {

inline const QString PfadErststartDatei = QStringLiteral("PfadErststart.txt");
inline const QString LeererKatalog = QStringLiteral("Archiv_leer.mdb");
inline constexpr int MaxWarteSekunden = 3600;

struct Kommandozeile
{
    bool vorhanden = false; // KommandozeileVorhanden: any non-empty command line
    int sekunden = 0;       // waiting time before start-up goes on, 0 .. 3600
};
// The arguments after the program name, joined by blanks. Double quotes are removed, the
// leading number is the waiting time; negative, non-finite or non-numeric gives 0, and a
// huge value is capped at an hour.
Kommandozeile kommandozeileAuswerten(const QStringList& argumente);

struct DatenbankWahl
{
    QString pfad;        // the file to open
    bool speichern = false; // store pfad as ArchivPfad
};
// ArchivPfad if its file exists; else (stored path kept) the empty catalogue; with no stored
// path the first line of PfadErststart.txt (stored), and when that file is missing or its
// first line blank, the empty catalogue (stored).
DatenbankWahl datenbankPfadAufloesen(const QString& archivPfad, const QString& programmPfad);

// True for an existing normal file (no folder).
bool istNormaleDatei(const QString& pfad);

// Captions of "Bez.ini": line k -> Bez(k) for k = 0..13; empty lines and lines from the 15th
// on are left out. A missing file gives an empty map.
QMap<int, QString> bezLaden(const QString& dateipfad);

// Default captions of the labels Bez(0..13).
QString standardBez(int index);

// The normal files (no folders, no hidden files) of a music folder, sorted by name without
// regard to case. A path without its trailing separator lists nothing.
QStringList musikDateien(const QString& ordner);

} // namespace klang::player

namespace klang::player {

// What the track list shows for a record's music folder.
struct TrackListe
{
    QString ordner;          // folder the list shows (the empty folder "Leer" when none)
    QStringList dateien;     // its normal files
    bool aktiv = false;      // enabled, first entry selected
    bool labelAendern = false;
    QString label;           // caption of Bez(12) when labelAendern
};
// musikpfad shorter than 2 characters: the empty folder, label unchanged; a folder that
// lists no normal file: the empty folder and "Tracks & Movies "; otherwise its files and
// "Tracks & Movies " with their count.
TrackListe trackListeFuer(const QString& musikpfad, const QString& programmPfad);

} // namespace klang::player
