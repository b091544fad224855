#pragma once

// The file operations the compact and update commands rely on, behind an interface so
// that tests can make any of them fail (disk full, read-only folder).

#include "dbmanager/Fehler.h"

#include <QString>

namespace dbmanager {

class Dateisystem
{
public:
    virtual ~Dateisystem() = default;

    // A file or a link (also one that points nowhere) of that name.
    virtual bool existiert(const QString& pfad) const = 0;
    // Length in bytes, -1 when the file is missing.
    virtual qint64 groesse(const QString& pfad) const = 0;
    // Copies a file to a name that does not exist yet; a partial target is removed again.
    virtual Fehler kopieren(const QString& von, const QString& nach) = 0;
    // Renames von to nach in one step, replacing an existing nach (never a moment without it);
    // von keeps its access rights.
    virtual Fehler ersetzen(const QString& von, const QString& nach) = 0;
    virtual Fehler loeschen(const QString& pfad) = 0;
    // False when the file may not be changed: it cannot be written, or it carries no write
    // permission at all (write-protected, also for an administrator who could override it).
    virtual bool beschreibbar(const QString& pfad) const = 0;
};

// The message of a full disk, with the number users know from the old runtime.
Fehler datentraegerVoll(const QString& pfad);

// The real file system: QFile for copies, POSIX rename() for the atomic replacement. Run by
// an administrator in a folder someone else owns, each operation has the owner's rights.
class EchtesDateisystem : public Dateisystem
{
public:
    bool existiert(const QString& pfad) const override;
    qint64 groesse(const QString& pfad) const override;
    Fehler kopieren(const QString& von, const QString& nach) override;
    Fehler ersetzen(const QString& von, const QString& nach) override;
    Fehler loeschen(const QString& pfad) override;
    bool beschreibbar(const QString& pfad) const override;
};

} // namespace dbmanager
