#pragma once

#include <QString>

namespace dbmanager {

// The outcome of one step: number 0 means success. Numbers follow the old engine's
// error numbers where there is one, so the log reads as users know it.
struct Fehler
{
    int nummer = 0;
    QString text;

    bool ok() const { return nummer == 0; }
    explicit operator bool() const { return !ok(); }

    static Fehler keiner() { return {}; }
};

namespace fehlernummer {
constexpr int DateiZugriff = 75;        // path/file access error (copy, rename, delete)
constexpr int DatentraegerVoll = 61;    // disk full
constexpr int Schreibgeschuetzt = 3027; // the database or its file is read-only
constexpr int FelderFehlen = 3265;      // a field the command needs is not in the table
constexpr int KeineDatenbankOffen = 91; // a command that needs an open database
constexpr int DateiNichtGefunden = 3024;
constexpr int Beschaedigt = 3049;       // the integrity check found damage
constexpr int FeldVorhanden = 3380;     // column exists already
constexpr int KeineDatenbank = 3343;    // not a database file
constexpr int Sql = 3000;               // any other error of the database engine
constexpr int Gesperrt = 3260;          // another program uses the database
} // namespace fehlernummer

} // namespace dbmanager
