#pragma once

// What the catalogue puts on the clipboard: the record copy format and the list copy, built
// from the grid's model alone (the table is never changed), and the one QMimeData that
// carries text, table and cover together.

#include <QImage>
#include <QString>
#include <QStringList>

#include "platform/jet/Database.h"

#include <atomic>
#include <functional>
#include <memory>

class QAbstractItemModel;
class QMimeData;

namespace klang::player {

// The separator of the record copy format (character 230 of the Windows code page).
inline constexpr QChar KopierTrenner = QChar(0x00E6);

// The 18 fields of a record in the order the copy format writes them.
const QStringList& kopierFelder();

// "(columns - 1)" & S, then for each row from min(zeileA, zeileB) to max(...) the 18 values
// in the fixed order, each followed by S. A column is found by its exact heading; an empty
// cell, and a field without a column, is written as " ".
// With umwandeln the stored values (edit role) are read and passed through it, on several
// threads at once: it must be a pure function (for example rich text to plain text).
using Feldumwandlung = std::function<QString(const QString& feld, const QString& wert)>;
QString tontraegerKopierformat(const QAbstractItemModel& model, int zeileA, int zeileB,
                               const Feldumwandlung& umwandeln = {});

// A block of the table: the heading line, then one line per row; each cell followed by a Tab,
// each line by CR LF. Rows are taken in ascending order, each once; columns from the smaller
// to the larger end, whichever way the selection was made. With umwandeln the stored values
// (edit role) are read and passed through it, as for the record copy; otherwise the shown
// text. Inside a value a Tab becomes a blank and a run of line breaks " / ", so every row
// stays one line.
QString listenKopie(const QAbstractItemModel& model, const QList<int>& zeilen, int spalteA, int spalteB,
                    const Feldumwandlung& umwandeln = {});
QString listenKopie(const QAbstractItemModel& model, int zeileA, int zeileB, int spalteA, int spalteB);

// The same block as an HTML table, so office programs paste it into columns; here a value
// keeps its line breaks.
QString listenKopieHtml(const QAbstractItemModel& model, const QList<int>& zeilen, int spalteA, int spalteB,
                        const Feldumwandlung& umwandeln = {});
QString listenKopieHtml(const QAbstractItemModel& model, int zeileA, int zeileB, int spalteA, int spalteB);

// A copy in two steps, so a copy of a million rows never holds the window: taken from the model
// on the window's thread (which rows and columns; for the catalogue's grid with umwandeln a
// reader of the stored values, for any other model the values themselves), then built by
// erstellen() on any thread, on several threads at once, without touching the model or a
// widget. It gives exactly what the functions above give.
class Kopierauftrag
{
public:
    // tontraegerKopierformat() as a job.
    static Kopierauftrag tontraeger(const QAbstractItemModel& model, int zeileA, int zeileB,
                                    const Feldumwandlung& umwandeln = {});
    // listenKopie() and listenKopieHtml() in one job, the rows read once for both.
    static Kopierauftrag liste(const QAbstractItemModel& model, const QList<int>& zeilen, int spalteA, int spalteB,
                               const Feldumwandlung& umwandeln = {});

    struct Ergebnis
    {
        QString text;
        QString html;        // the list copy's table
        jet::DbError fehler; // the catalogue could not be read (locked by another program): nothing built
        bool abgebrochen = false; // *abbrechen was set: nothing built
    };
    // Looks at *abbrechen (when given) after every block of rows.
    Ergebnis erstellen(const std::atomic_bool* abbrechen = nullptr) const;

private:
    struct Daten;
    std::shared_ptr<const Daten> d;
};

// The rows of a range, in ascending order.
QList<int> zeilenVonBis(int zeileA, int zeileB);

// One mime data object with everything given (text, optional HTML, optional picture):
// separate clipboard calls would replace each other.
QMimeData* zwischenablageDaten(const QString& text, const QString& html = QString(),
                               const QImage& bild = QImage());

} // namespace klang::player
