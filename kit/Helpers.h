#pragma once

// Path, file and window helpers shared by the programs.

#include <QList>
#include <QString>

class QTableWidget;
class QTableView;
class QWidget;

namespace kit {

// Unloads (closes) every top-level window once; a call while it runs returns at once.
void AlleFormsEntladen();

// Each column gets its widest cell text (header included) + 200 twips, at most 10000 twips.
void SpaltenbreitenAnpassen(QTableView* grid);

// 0 delete, 1 move to the trash (never a permanent delete), 2 overwrite with blanks in
// 4096-byte blocks and delete; other modes give false. fehlerZeigen: report a failure
// through the standard error report instead of silently returning false.
bool DateiLoeschen(const QString& pfad, int modus, bool fehlerZeigen, QWidget* parent = nullptr);

bool IstAdmin();
void FensterOnTop(QWidget* frm, bool ein);
QString KurzerPfadname(const QString& pfad);

// "ß" -> "\?df", "Ä" -> "\?c4", ... (case-sensitive, in that order): a LIKE pattern that finds
// the rich-text escapes (\'df, \'c4, ...) of these letters. Changes text in
// place and returns it.
QString UmlautSuchmuster(QString& text);

// The part after the last separator ("\" or "/"), the part up to and including it.
QString DateinameAusPfad(const QString& pfad);
QString OrdnerAusPfad(const QString& pfad);

// The block lengths mode 2 writes over a file of the given length (4096 each, the last one
// the rest).
QList<qint64> ueberschreibBloecke(qint64 laenge);

// Opens the help pages (help/ in the program folder, else the installed ones) at a topic page,
// or at index.html when the topic is empty, in the user's browser. A missing page, or a
// system without a browser, is reported in a message box (the help viewer's part).
void HilfeAufrufen(const QString& thema = QString());

// Seeds the program folder from the installed resources; when the folder cannot be written,
// says so once and the program goes on with the installed files.
void ProgrammOrdnerEinrichten(QWidget* parent = nullptr);

// Says once, in German, when a settings file cannot be written; the program goes on with the
// values it holds. parent may be null (the box then has no owner).
void EinstellungsFehlerMelden(QWidget* parent = nullptr);

// The program associated with a document, "" when there is none or it is the document itself.
QString ProgrammZuDatei(const QString& datei);

} // namespace kit
