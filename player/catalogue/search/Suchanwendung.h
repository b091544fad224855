#pragma once

// Applying a search job (MenuSuchen_Click without its windows): the filter becomes the data
// control's view, and a replace rewrites the chosen columns of the matching records in the
// database in one transaction.
//
// The command's frame, as the main window runs it:
//   befehl.dialogWirdGezeigt();                  // the job of an earlier run is gone
//   if (auto job = <Suchbox shown modal>) befehl.dialogBestaetigt(*job);
//   const auto e = befehl.anwenden(data1);       // uses the job up: it never runs twice
// then by e.art: nothing; a filter (save TabellenName and Data1RecordSource, show the label,
// and after a replace refresh, show the whole table and report "N Datensätze ersetzt!"); or
// a song search (Songsuche.h) on the rows the table shows. The window leaves PlaylistModus and
// the playlist view as they are unless a job runs.

#include "player/catalogue/search/Suchauftrag.h"
#include "platform/jet/Database.h"

#include <QString>

namespace klang::jet {
class DataControl;
}

namespace klang::player {

struct Ersetzergebnis
{
    bool ok = false;
    int datensaetze = 0; // records changed (a record with several changed columns counts once)
    jet::DbError fehler;
};

// Replaces, in every record of the view job.SuchSQL that holds job.SuchText (case-sensitive)
// in one of the columns job.SuchSpalten, the first occurrence by job.ErsetzenText. One
// statement in one transaction: a failure changes nothing. Refused (ok false, nothing done)
// for an empty SuchText or ErsetzenText, for a column that is not one of the replaceable
// search fields (never Songs or Stil), and for a view that is not a plain select over the
// catalogue table.
Ersetzergebnis ersetzen(jet::Database& db, const Suchauftrag& job);

// The text of the replace report.
QString ersetztMeldung(int datensaetze);

class Suchbefehl
{
public:
    struct Ergebnis
    {
        enum Art { Nichts, Gefiltert, Songsuche };
        Art art = Nichts;
        QString tabellenName;       // Gefiltert: setting TabellenName and the view's label
        QString recordSource;       // Gefiltert: setting Data1RecordSource
        bool ersetzt = false;       // something was replaced: refresh and report
        int anzahl = 0;             // records replaced
        QString songBewertungMarke; // Songsuche: the mark to look for
        jet::DbError fehler;        // reported as "Ausgabebox_MenuSuchen_Click"
    };

    // Before the dialog shows: no job of an earlier run survives a cancelled or closed dialog.
    void dialogWirdGezeigt() { m_auftrag.leeren(); }
    // OK completed in the dialog.
    void dialogBestaetigt(const Suchauftrag& auftrag) { m_auftrag = auftrag; }
    const Suchauftrag& auftrag() const { return m_auftrag; }

    // Applies the job and drops it. A filter runs on data1 (refresh); a replace follows on its
    // database when the job has a replacement text. A song search is only announced.
    Ergebnis anwenden(jet::DataControl& data1);

private:
    Suchauftrag m_auftrag;
};

// The file name of a playlist from the name the user typed: ".txt" appended unless the name
// ends in ".txt" (exactly). Empty, with a message in *fehler, for an empty name, a name with
// a folder separator, "." or "..", or control characters.
QString playlistDateiname(const QString& antwort, QString* fehler = nullptr);

// The question before an existing playlist is overwritten (MsgFenn style 22, "Nein" default).
QString playlistUeberschreibenFrage(const QString& name);

} // namespace klang::player
