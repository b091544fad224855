#pragma once

// The command line of a copy or archive run, built from the window's choices: the line the
// user sees and the argument list that runs. Pure, no widgets, no processes.

#include "backup/ArchiverVorgaben.h"

#include <QString>
#include <QStringList>

namespace backup {

struct KommandoEingaben
{
    QString programm;     // cboKomprimierProg: path or name of the program, as typed
    QString parameter;    // cboParameter, as typed
    QString quellpfad;    // Quellpfad: the source folder
    QString zielpfad;     // Zielpfad: the target folder (ends with a separator)
    QString archivdatei;  // Text_Archivname & cboExtension
    QString zielText;     // txtZielpfad: target folder & archive file (copy programs copy there)
    QString maske;        // Text_Extension: the file mask
};

struct Kommando
{
    Zweig zweig = Zweig::Archiv;
    QString anzeige;        // the line shown in txtCode
    QString programm;       // the program text as typed (resolved only when run)
    QStringList argumente;  // every argument as one element, never through a shell
    QString quelle;         // source as passed (copy: the folder; archive: the folder)
    QString ziel;           // copy: the target folder; archive: the archive file
    bool spiegeln = false;  // the parameters delete in the target what the source lacks
    QString arbeitsordner;  // the folder the program runs in ("" = no matter)
};

// A path as the run passes it: absolute and cleaned, its trailing separator kept. A relative
// path counts from the user's home folder (the window has no other current folder), so a
// typed "-p/" becomes "/home/u/-p/" and can never reach a program as a switch. Windows-style
// paths ("D:\Daten") are left as they are.
QString absoluterPfad(const QString& pfad);

// The mask an archive run uses: "*.*" when the field is empty or one blank.
QString maskeOderStandard(const QString& maske);

// A path or argument as it appears in the shown line: quoted when it holds blanks or
// characters a shell would act on, so the line can be read (and pasted) as one argument.
QString alsAnzeige(const QString& argument);

// The program's file name without its folder, as the shown line starts with it.
QString programmname(const QString& programm);

// A chosen folder with exactly one trailing separator ("/" stays "/", "" stays "").
QString ordnerMitTrenner(const QString& ordner);

// True when the parameters ask for a mirror (/MIR or /PURGE, case ignored; rsync's --delete
// and its variants).
bool istSpiegelung(const QString& parameter);

Kommando kommandoBauen(const KommandoEingaben& e);

} // namespace backup
