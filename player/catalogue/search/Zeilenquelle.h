#pragma once

// The rows the catalogue table shows, as the searches read them: data rows 0 .. n-1 (the grid
// row r is data row r - 1, which is also the record position), columns in display order with
// the field name as header (hidden columns included), and every field of a row's record by
// name. The main window hands in its grid as it is arranged; tests and the song search use the
// data control's record set directly.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace klang::jet {
class Recordset;
}

namespace klang::player {

class Zeilenquelle
{
public:
    virtual ~Zeilenquelle() = default;
    virtual int zeilenAnzahl() const = 0;
    virtual int spaltenAnzahl() const = 0;
    // The header text of a column: its field name.
    virtual QString kopf(int spalte) const = 0;
    // The stored value of a cell (raw rich text for the rich-text fields).
    virtual QString text(int zeile, int spalte) const = 0;
    // Any field of the row's record, shown as a column or not ("" when unknown).
    virtual QString feld(int zeile, const QString& name) const = 0;

    // The first column whose header is exactly this text, -1 when none.
    int spalteMitKopf(const QString& kopfText) const;
    // The first column of a row whose visible text holds s (without regard to case), -1.
    int ersteSpalteMit(int zeile, const QString& s) const;
    // The rows from `ab` on, ascending, with a cell whose visible text holds s. Row by row
    // here; a source that can read whole columns at once does it faster.
    virtual QList<int> zeilenMit(const QString& s, int ab) const;
    // What the user reads in a cell: the plain text of a rich-text field, the value otherwise.
    QString sichtbarerText(int zeile, int spalte) const;
    // The same for any field of the row's record.
    QString sichtbaresFeld(int zeile, const QString& name) const;
    static QString sichtbar(const QString& feld, const QString& wert);
};

// The record set of the data control as row source (it follows the set through refreshes).
// spalten: the grid's fields in display order; empty: every field of the record set at
// construction except the stored picture.
class RecordsetZeilen : public Zeilenquelle
{
public:
    explicit RecordsetZeilen(const jet::Recordset& rs, const QStringList& spalten = QStringList());

    int zeilenAnzahl() const override;
    int spaltenAnzahl() const override { return int(m_spalten.size()); }
    QString kopf(int spalte) const override;
    QString text(int zeile, int spalte) const override;
    QString feld(int zeile, const QString& name) const override;
    // Reads the shown fields of all rows in one pass and checks the rows on all cores.
    QList<int> zeilenMit(const QString& s, int ab) const override;

private:
    const jet::Recordset& m_rs;
    QStringList m_spalten;
};

// The track list of a record: the file names in its music folder.
using Trackliste = std::function<QStringList(const QString& musikpfad)>;

// The files the track list filTrack shows for a music folder: plain files (no folders, no
// hidden files), sorted by name without regard to case. A folder text shorter than two
// characters, without its trailing separator ("/" or "\") or naming no readable folder
// gives an empty list.
QStringList trackDateien(const QString& musikpfad);

} // namespace klang::player
