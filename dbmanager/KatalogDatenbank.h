#pragma once

// What the database manager needs of the catalogue database: the data control's open and
// close, and the few maintenance operations. An interface so that tests can make any of
// them fail; the real one sits on the jet layer.

#include "dbmanager/Fehler.h"

#include <QString>
#include <QStringList>

namespace dbmanager {

class KatalogDatenbank
{
public:
    virtual ~KatalogDatenbank() = default;

    // Opens an existing catalogue file; a missing file or one that is no database is
    // refused and nothing is created or changed.
    virtual Fehler oeffnen(const QString& pfad) = 0;
    virtual void schliessen() = 0;
    virtual bool istOffen() const = 0;

    // Takes the catalogue file for this program alone until entsperren(): no other program
    // reads or writes it meanwhile, so nothing saved elsewhere can fall between the backup,
    // the compacted copy and the write-back. A catalogue that another program uses is
    // refused (fehlernummer::Gesperrt) and left as it is.
    virtual Fehler sperren(const QString& pfad) = 0;
    virtual void entsperren() = 0;
    // Integrity check of a database file (through the lock when it is the locked file).
    virtual Fehler pruefen(const QString& pfad) = 0;
    // Writes a complete copy of the locked catalogue (also data a write-ahead log holds) to
    // the new file ziel, created exclusively with the catalogue's access rights.
    virtual Fehler sichern(const QString& ziel) = 0;
    // Writes a compacted copy of the locked catalogue quelle to the new file ziel (created
    // exclusively; an existing file or link of that name is refused, never followed).
    virtual Fehler komprimieren(const QString& quelle, const QString& ziel) = 0;
    // True when the file is a compacted copy made by komprimieren() (the leftover of an
    // interrupted compaction), told by a mark it carries; a user's own file of that name and
    // a copy interrupted before it was marked are not.
    virtual bool eigeneKopie(const QString& pfad) const = 0;
    // Puts the contents of the database file kompakt into the locked catalogue ziel, in one
    // transaction of the engine: ziel keeps its place, owner, group, rights and links, and is
    // unchanged when the transfer fails or is interrupted.
    virtual Fehler zurueckschreiben(const QString& kompakt, const QString& ziel) = 0;

    // Column names of a table of the open database, in table order; empty when the table
    // does not exist.
    virtual QStringList spalten(const QString& tabelle, Fehler* fehler) = 0;
    // Adds a column of the old engine's type ("Memo", "Text") to a table of the open database.
    virtual Fehler spalteHinzufuegen(const QString& tabelle, const QString& spalte,
                                     const QString& typ) = 0;
};

} // namespace dbmanager
