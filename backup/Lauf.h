#pragma once

// One run of a copy or archive program: started without a shell, its output (standard and
// error output together) read as it comes, its end judged by the program's exit codes.

#include "backup/ArchiverVorgaben.h"
#include "backup/Kommandozeile.h"
#include "backup/Schreibrechte.h"

#include <QObject>
#include <QProcess>
#include <QStringDecoder>

namespace backup {

class Lauf : public QObject
{
    Q_OBJECT
public:
    // pfad: the resolved executable; kommando: arguments and working folder.
    Lauf(const QString& pfad, const Kommando& kommando, QObject* parent = nullptr);
    ~Lauf() override;

    // The program runs with these rights (the target folder owner's when Ordnerwacht is root).
    void mitRechten(const Schreibrechte& rechte) { mitRechtenStarten(m_prozess, rechte); }
    void starten();
    bool laeuft() const;
    // Asks the program to end, and ends it for good when it has not after three seconds.
    void abbrechen();
    // Ends the program at once and forgets it (the window is closing).
    void beendenErzwingen();

    QString programm() const { return m_kommando.programm; }
    // The output so far (the last MaxAusgabe characters of it).
    QString ausgabe() const { return m_ausgabe; }
    static constexpr qsizetype MaxAusgabe = 4 * 1024 * 1024;

    // The line that tells how a run ended: exit code, its meaning, what was left out.
    static QString endeText(int exitCode, const LaufErgebnis& ergebnis);

Q_SIGNALS:
    void ausgabeErhalten(const QString& text);
    // The program could not be started (fehlerText says why, in German).
    void startFehlgeschlagen(const QString& fehlerText);
    // The program has ended; normal is false when it crashed or was killed.
    void beendet(int exitCode, bool normal, const backup::LaufErgebnis& ergebnis);

private:
    void lesen();

    Kommando m_kommando;
    QProcess m_prozess;
    QStringDecoder m_decoder;
    QString m_ausgabe;
    bool m_fertig = false;
};

} // namespace backup
