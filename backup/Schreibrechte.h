#pragma once

// Whose rights a copy or archive program runs with when Ordnerwacht runs as root (restarted
// through pkexec).
//
// The programs work by path in the target folder. Where someone else than root owns a folder
// of that path, that person can put a link there at any moment of the run, and a program with
// root's rights follows it: it overwrites a file only root may write and hands it over, or packs
// an archive only root may read into one the person can read. No check before the run closes
// that gap, since the link can come after it. Such a run therefore runs as that folder's owner,
// the whole program (its user, group and groups, no other rights): it writes only where the
// owner may write and reads only what the owner may read, so a file only root may read is left
// out and the backup reported as incomplete. What the owner receives is then what the owner
// could have copied anyway. To back up what only root may read, the target must be root's own:
// root owns every folder of its path and nobody else may write in them (a folder such as /tmp
// above it, where others may add names but not move root's, is allowed) and, for a copy,
// everything already below the target. Only there the program keeps root's rights. A target
// root owns in which others may write as well, or with entries of others below it, is refused.
// What a program with root's rights makes is root's alone (mask 077): an archive of files only
// root may read never comes out readable by all.

#include "backup/Kommandozeile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <sys/types.h>

class QProcess;

namespace backup {

struct Schreibrechte
{
    bool wechseln = false; // the program runs with the ids below instead of root's
    uid_t uid = 0;
    gid_t gid = 0;
    QList<gid_t> gruppen;  // the owner's groups
    QString besitzer;      // the owner's name, or the number when the system knows none
    QString ordner;        // the folder whose owner it is
};

// The rights for a run of the command: "" with *rechte filled (nothing changes when the program
// does not run as root), or the German reason why the run may not start. A copy's target below
// root's own folders is looked through (off the window's thread).
QString schreibrechtePruefen(const Kommando& kommando, Schreibrechte* rechte);

// The rights a program writing in this folder gets (the owner found along the path, the path as
// given and with its links resolved). *offen names a folder root owns in which others may write
// ("" when there is none).
Schreibrechte rechteFuerOrdner(const QString& ordner, QString* offen);

// Makes the copy's target folder (one level) with those rights.
bool zielordnerAnlegen(const QString& ordner, const Schreibrechte& rechte);

// The process starts with those rights (set after the fork, before the program is loaded).
void mitRechtenStarten(QProcess& prozess, const Schreibrechte& rechte);

// Starts the program detached with those rights (the window does not wait for it); false with
// *fehler (German) when it could not start.
bool losgeloestStarten(const QString& pfad, const Kommando& kommando, const Schreibrechte& rechte,
                       QString* fehler);

// The line the output window starts with when the program runs with the owner's rights.
QString rechteHinweis(const Schreibrechte& rechte);

} // namespace backup
