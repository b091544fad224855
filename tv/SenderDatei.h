#pragma once

// The two station files of the program folder: "TV-Liste.dat" holds three lines per station
// (group, name, address), "TV-Gruppenliste.dat" one group name per line. Both are kept in
// Windows-1252 with CRLF, as the older copies of the program read them; every rewrite and
// every append goes through QSaveFile.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tv {

inline constexpr char SenderDateiName[] = "TV-Liste.dat";
inline constexpr char GruppenDateiName[] = "TV-Gruppenliste.dat";

struct Sender
{
    QString gruppe;
    QString name;
    QString url;
    bool operator==(const Sender&) const = default;
};

// The error numbers and texts of the standard error report.
struct Dateifehler
{
    int nummer = 0;
    QString text;
};

namespace fehler {
inline constexpr int Dateiende = 62;
inline constexpr int Zugriff = 75;
inline constexpr int KeineAuswahl = 91;
Dateifehler dateiende(const QString& pfad);
Dateifehler zugriff(const QString& pfad);
Dateifehler keineAuswahl();
} // namespace fehler

struct Senderbestand
{
    bool vorhanden = false;            // false: no file, the list is left as it is
    QList<Sender> sender;              // every complete record, in file order
    QStringList rest;                  // the lines of an incomplete last record (not only empty ones)
    std::optional<Dateifehler> fehler; // unreadable file or an incomplete last record
};

QString senderDatei();   // full path in the program folder
QString gruppenDatei();

Senderbestand senderLesen(const QString& pfad);
// A field as it is stored: line breaks would shift every later record, so each becomes a blank.
QString feldBereinigt(const QString& feld);
// Why an address is no station (in German), or nothing when it is one: network streams over
// http, https, rtsp, rtmp, mms, udp and rtp, and local files (a path or file://). The player
// engine knows further schemes of its own (generated pictures, other programs' output) that a
// station list must not reach. An empty address passes (the list may hold one).
std::optional<QString> adresseUnzulaessig(const QString& url);

// The station as the editor stores it: fields without line breaks, the address trimmed.
Sender eingabeBereinigt(const Sender& sender);
// Rewrites the file from the stations. The lines of an incomplete last record that the file
// holds stay at its end, so that nothing the user wrote there is lost.
bool senderSchreiben(const QString& pfad, const QList<Sender>& sender);
// Adds one station. A file that does not end in whole records (a fragment, a stray empty line)
// is brought to whole records first: the station goes after the last whole record, the
// fragment's lines after it, so every record keeps its three fields.
bool senderAnhaengen(const QString& pfad, const Sender& sender);

// Every line of the group file; *vorhanden false when there is none, *ok false when it
// exists but cannot be read.
QStringList gruppenLesen(const QString& pfad, bool* vorhanden, bool* ok);
bool gruppenSchreiben(const QString& pfad, const QStringList& gruppen);
bool gruppeAnhaengen(const QString& pfad, const QString& gruppe);

} // namespace tv
