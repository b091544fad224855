#pragma once

// The two station files of the program folder: "TV-Liste.dat" holds three lines per station
// (group, name, address), "TV-Gruppenliste.dat" one group name per line. Both are kept in
// Windows-1252 with CRLF, as the older copies of the program read them; every rewrite and
// every append goes through QSaveFile. Both are read whole (a station must never lie past
// the part a start reads), up to a size no station list reaches.

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
// The access error with the cause (German), when it is known.
Dateifehler zugriff(const QString& pfad, const QString& grund = {});
Dateifehler keineAuswahl();
} // namespace fehler

// A station list of 100,000 stations is a few MB: a bigger file is no station list, and only
// its head is read. A line longer than a field can sensibly be is one field shown cut.
inline constexpr qint64 DateiGrenze = 64 * 1024 * 1024;
inline constexpr qsizetype ZeilenGrenze = 64 * 1024;
inline constexpr qsizetype AnzeigeLaenge = 256; // what is shown of a field over ZeilenGrenze

// What the result of a write says: ok, or the cause in German.
struct Schreibergebnis
{
    bool ok = true;
    QString grund;
    explicit operator bool() const { return ok; }
};

// The lines of a list file, read whole up to DateiGrenze.
struct Zeilenbestand
{
    bool vorhanden = false;
    bool lesbar = true;         // false: the file exists but could not be read (grund says why)
    QStringList zeilen;         // a line over ZeilenGrenze comes cut to AnzeigeLaenge
    QString grund;              // unreadable: why
    // Not empty when the lines are not the whole file (its head only, or a line cut): why the
    // file must not be written from them, in German.
    QString teilweise;
    bool kopfNur = false;       // the file goes on past DateiGrenze
};

Zeilenbestand zeilenLesen(const QString& pfad);

struct Senderbestand
{
    bool vorhanden = false;            // false: no file, the list is left as it is
    QList<Sender> sender;              // every complete record, in file order
    QStringList rest;                  // the lines of an incomplete last record (not only empty ones)
    std::optional<Dateifehler> fehler; // unreadable file or an incomplete last record
    QString teilweise;                 // see Zeilenbestand: the file is not written from this
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
// holds stay at its end, so that nothing the user wrote there is lost. A file read only in
// part is refused.
Schreibergebnis senderSchreiben(const QString& pfad, const QList<Sender>& sender);
// Adds one station; the bytes already in the file stay as they are. A file that does not end
// in whole records (a fragment, a stray empty line) is brought to whole records first: the
// station goes after the last whole record, the fragment's lines after it, so every record
// keeps its three fields. A file read only in its head is refused: a station past the part a
// start reads would be gone from the list.
Schreibergebnis senderAnhaengen(const QString& pfad, const Sender& sender);

// Every line of the group file; *vorhanden false when there is none, *ok false when it
// exists but cannot be read (*grund says why).
QStringList gruppenLesen(const QString& pfad, bool* vorhanden, bool* ok, QString* grund = nullptr);
Schreibergebnis gruppenSchreiben(const QString& pfad, const QStringList& gruppen);
Schreibergebnis gruppeAnhaengen(const QString& pfad, const QString& gruppe);

} // namespace tv
