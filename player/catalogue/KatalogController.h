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
#include <atomic>
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
    // user made of it. A value is written before the row is left only when it differs from
    // what the editor showed, so an editor that cannot hold a value exactly never writes an
    // unedited one back.
    void binden(const QString& feld, Lesen lesen, Schreiben schreiben);
    // Hands the editors' changes to the record set and writes them (before exit, before a
    // view change). False when the write failed: schreibfehler was sent once, the row stays
    // and the editors keep the edit.
    bool speichern();
    // Drops the editors' edits: they show the current row as stored again.
    void bearbeitungVerwerfen();
    // Asked when another program changed a field the user's edit changes too (since the
    // record was shown): overwrite it, take the stored record, or keep the edit unsaved.
    // Without a question the edit is kept unsaved and schreibfehler says why.
    using KonfliktFrage = std::function<jet::ConflictChoice(const jet::DbError&)>;
    void setKonfliktFrage(KonfliktFrage frage) { m_konfliktFrage = std::move(frage); }
    // The value of a field of the current row as stored.
    QString feld(const QString& name) const;

    // Why the current record cannot be changed ("" when it can): the file or its folder is
    // read-only, the view cannot be updated, or the record could not be read.
    QString schreibschutz() const;

    // --- views --------------------------------------------------------------------------
    // Opens the catalogue at start with the stored view, after the same check as another
    // catalogue (katalogPruefen). False when it cannot be opened. A stored view that is not
    // a select over Schallplatten, or that does not run, is replaced by the default view
    // (ansichtZurueckgesetzt() tells).
    bool starten(const QString& pfad, const QString& recordSource, jet::DbError* fehler = nullptr);
    bool ansichtZurueckgesetzt() const { return m_ansichtZurueckgesetzt; }
    // True when the last starten/wechseln refused the file in the check (the message is the
    // error's description).
    bool abgelehnt() const { return m_abgelehnt; }
    // Whether a record source may run as the catalogue's view: "select * from Schallplatten"
    // with an optional where and order by (a bare "Schallplatten" too). The data layer also
    // refuses anything that is not one read-only query.
    static bool ansichtErlaubt(const QString& recordSource);
    // Runs a view on the open catalogue; the first row becomes current. False with an error
    // of number 0 when the current row's edit could not be written (already reported).
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
    // The text is the cell's (zellenText), the field the first column when it is not shown.
    int ersteZeileMit(const QString& feld, const QString& caption) const;
    // The same off the window's thread for a large view: the statement runs on a connection
    // of its own and `fertig` gets the row on the window's thread once it is known. A small
    // view answers at once. Nothing is answered when the view changed or another jump was
    // asked for meanwhile.
    void ersteZeileMitSuchen(const QString& feld, const QString& caption, std::function<void(int)> fertig);
    // Views up to this many rows answer the jump at once (a tenth of a second at most).
    void setSofortBis(int zeilen) { m_sofortBis = zeilen; }
    // What a grid cell shows of a field: one line of its start, rich text as plain text (a
    // field of megabytes laid out whole for every paint would stall the grid).
    static QString zellenText(const QString& feld, const QString& wert);

    // Distinct bands of the whole table, compared exactly (case-sensitive); -1 without a
    // catalogue. The view and the grid stay as they are.
    int anzahlInterpreten() const;

    // --- opening another catalogue -----------------------------------------------------
    // "" when the file is a sound SQLite catalogue (PRAGMA quick_check) with table
    // Schallplatten and its 19 fields, else a German message naming what is wrong. The file
    // is not changed.
    // Without durchsehen the look through the whole file (dateiDurchsehen) is left out.
    static QString katalogPruefen(const QString& pfad, bool durchsehen = true);
    // "" when PRAGMA quick_check finds the file sound, else the German message.
    static QString dateiDurchsehen(const QString& pfad, const std::atomic_bool* stop = nullptr);
    // Validates first; on failure the open catalogue and its view stay. Stops nothing itself.
    // Refused as in ansichtSetzen when the current row's edit cannot be written.
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
    // platzieren: move the fields to their positions even with TabelleNichtSortieren.
    Tabellenbild anordnen(const Tabellenbild& jetzt, bool platzieren = false);
    // Width of every grid column (by model column, twips) fitted to its widest text, header
    // included: text width + 200, at most 10000. A catalogue of many rows is read and measured
    // on other threads while the window goes on; empty when the user gave up (Esc) or the file
    // could not be read.
    QList<int> inhaltsbreiten(const QFont& zellen, const QFont& kopf) const;
    static constexpr int ZeilenFuerBreitenImHintergrund = 1000;
    // Saves the widths by position (unload, switch to the mini player).
    void breitenSpeichern(const QList<int>& breiten);

signals:
    // The current row changed (not sent while repositioning is suppressed); the bound
    // editors already show the new row.
    void datensatzGewechselt();
    // A bound edit could not be written (once per attempt); the row and the edit stay.
    void schreibfehler(const klang::jet::DbError& fehler);
    // The current record could not be read (sent once per view).
    void lesefehler(const klang::jet::DbError& fehler);

private:
    void aufReposition();
    void aufValidate();
    // The editors show the current row as stored.
    void editorenFuellen();

    bool oeffnen(const QString& pfad, const QString& recordSource, jet::DbError* fehler);
    // The letter jump's statement: records whose cell starts with a character that
    // upper-cases to the caption. Empty when no character does.
    struct Anfangsfrage
    {
        int spalte = -1;
        QString bedingung;
        QVariantList werte;
    };
    Anfangsfrage anfangsfrage(const QString& feld, const QString& caption) const;
    // The first row from the rows found, with the grid's text of an unwritten edit.
    int ersteZeileAus(const Anfangsfrage& frage, const QString& caption,
                      const std::function<int(int ab)>& erste) const;

    struct Bindung
    {
        Lesen lesen;
        Schreiben schreiben;
        QString gezeigt;      // what the editor showed of the row (as it reads back)
        QString uebergeben;   // handed in with the write under way
        bool hatUebergeben = false;
    };

    std::unique_ptr<jet::DataControl> m_data1;
    std::unique_ptr<jet::CatalogueTableModel> m_model;
    QHash<QString, Bindung> m_bindungen;
    QStringList m_bindungsReihenfolge;
    KonfliktFrage m_konfliktFrage;
    bool m_geschrieben = false; // a write went through since speichern() began
    bool m_repositionUnterdruecken = false;
    bool m_ansichtZurueckgesetzt = false;
    bool m_abgelehnt = false;
    bool m_lesefehlerGemeldet = false;
    bool m_sortAufsteigend = false;
    bool m_nichtSortieren = false;
    QList<int> m_breiten;
    quint64 m_ansichtStand = 0;  // counts the reloads of the record set
    quint64 m_sprungNummer = 0; // the last letter jump asked for
    int m_sofortBis = 100000;
    QHash<int, QString> m_geschriebeneBreiten;
};

} // namespace klang::player
