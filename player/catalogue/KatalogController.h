#pragma once

// The catalogue behind the main window: the data control Data1 over the catalogue file, the
// table model of the grid, the fields bound to the detail controls, the views (default,
// letter and rating filters, header sort), opening another catalogue and the column set.
// No widgets: the form binds its editors through getter/setter functions.

#include "player/catalogue/Spaltensatz.h"
#include "platform/jet/CatalogueTableModel.h"
#include "platform/jet/DataControl.h"

#include <QFont>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

namespace klang::player {

class KatalogController : public QObject
{
    Q_OBJECT
public:
    explicit KatalogController(QObject* parent = nullptr);
    ~KatalogController() override;

    jet::DataControl& data1() { return *m_data1; }
    jet::CatalogueTableModel* model() { return m_model.get(); }
    const jet::CatalogueTableModel* model() const { return m_model.get(); }

    // --- bound fields -------------------------------------------------------------------
    using Lesen = std::function<QString()>;
    using Schreiben = std::function<void(const QString&)>;
    // The editor of a field: schreiben shows the current row's value, lesen gives what the
    // user made of it. A changed value is written before the row is left.
    void binden(const QString& feld, Lesen lesen, Schreiben schreiben);
    // Hands the editors' changes to the record set and writes them (before exit).
    bool speichern();
    // The value of a field of the current row as stored.
    QString feld(const QString& name) const;

    // --- views --------------------------------------------------------------------------
    // Opens the catalogue at start with the stored view. False when it cannot be opened.
    bool starten(const QString& pfad, const QString& recordSource, jet::DbError* fehler = nullptr);
    // Runs a view on the open catalogue; the first row becomes current.
    bool ansichtSetzen(const QString& recordSource, jet::DbError* fehler = nullptr);
    bool standardAnsicht(jet::DbError* fehler = nullptr);
    // Letter/rating filter (index 0..31) on the filter column.
    bool filtern(const QString& spalte, int index, jet::DbError* fehler = nullptr);
    // Header click: sorts by the field, alternating ascending and descending over all
    // columns. False for a field that is not one of the 18 text fields.
    bool sortieren(const QString& feld);
    bool sortAufsteigend() const { return m_sortAufsteigend; }

    // Scroll mode of the letter buttons: the first row whose text in the field starts with
    // the caption (upper-cased first character), or -1. Letter pairs do not apply here.
    int ersteZeileMit(const QString& feld, const QString& caption) const;

    // Distinct bands of the whole table, compared exactly (case-sensitive); -1 without a
    // catalogue. The view and the grid stay as they are.
    int anzahlInterpreten() const;

    // --- opening another catalogue -----------------------------------------------------
    // "" when the file is an SQLite catalogue with table Schallplatten and its 19 fields,
    // else a German message naming what is wrong.
    static QString katalogPruefen(const QString& pfad);
    // Validates first; on failure the open catalogue and its view stay. Stops nothing itself.
    bool wechseln(const QString& pfad, jet::DbError* fehler = nullptr);

    // --- rows ---------------------------------------------------------------------------
    bool repositionUnterdrueckt() const { return m_repositionUnterdruecken; }
    void setRepositionUnterdruecken(bool ein) { m_repositionUnterdruecken = ein; }
    // Grid row (0-based data row) chosen: the data control follows.
    void zeileGewaehlt(int zeile);
    int anzahl() const;
    // "Tonträger: 42"
    QString anzahlText() const;

    // --- column set ---------------------------------------------------------------------
    bool tabelleNichtSortieren() const { return m_nichtSortieren; }
    void setTabelleNichtSortieren(bool ein) { m_nichtSortieren = ein; }
    // The 18 stored entries (defaults where missing).
    static QStringList spaltensatzLesen();
    // Widths by display position as read at start (Spaltenbreite<i>, twips).
    void breitenLesen();
    QList<int> gemerkteBreiten() const { return m_breiten; }
    // TabelleAnordnen: saves the widths of the grid as it is, applies the column set and
    // returns how the grid is to look. Only changed width settings are written.
    Tabellenbild anordnen(const Tabellenbild& jetzt);
    // Width of every grid column (by model column, twips) fitted to its widest text, header
    // included: text width + 200, at most 10000. Reads the rows one after the other, so
    // a large catalogue is measured in one pass.
    QList<int> inhaltsbreiten(const QFont& zellen, const QFont& kopf) const;
    // Saves the widths by position (unload, switch to the mini player).
    void breitenSpeichern(const QList<int>& breiten);

signals:
    // The current row changed (not sent while repositioning is suppressed); the bound
    // editors already show the new row.
    void datensatzGewechselt();
    // A bound edit could not be written.
    void schreibfehler(const QString& meldung);

private:
    void aufReposition();
    void aufValidate();

    struct Bindung
    {
        Lesen lesen;
        Schreiben schreiben;
        QString original;
    };

    std::unique_ptr<jet::DataControl> m_data1;
    std::unique_ptr<jet::CatalogueTableModel> m_model;
    QHash<QString, Bindung> m_bindungen;
    QStringList m_bindungsReihenfolge;
    bool m_repositionUnterdruecken = false;
    bool m_sortAufsteigend = false;
    bool m_nichtSortieren = false;
    QList<int> m_breiten;
    QHash<int, QString> m_geschriebeneBreiten;
};

} // namespace klang::player
