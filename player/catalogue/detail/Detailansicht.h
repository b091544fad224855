#pragma once

// Ties the detail widgets to the record that is shown, so the main window only passes the
// record's fields on each record change and forwards what the widgets report. It owns no
// widget and never touches the catalogue: changes of bound fields leave as signals.

#include "player/catalogue/detail/Bewertung.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

namespace klang::detail {

class Bildbereich;
class CoverStreifen;
class EbookListe;
class Sternreihe;

// The fields of a record the detail view shows.
struct DetailDaten
{
    QByteArray bilder;   // Bilder (stored picture)
    QString bildPfad;    // BildPfad (degree-sign list)
    QString eBook;       // eBook (degree-sign list)
    QString band;        // Band
    QString lpTitel;     // LPTitel
    QString bewertung;   // Bewertung ("1".."6" or "")
};

class Detailansicht : public QObject
{
    Q_OBJECT
public:
    explicit Detailansicht(QObject* parent = nullptr);

    void setBildbereich(Bildbereich* bereich);
    void setCoverStreifen(CoverStreifen* streifen);
    void setEbookListe(EbookListe* liste);
    void setSterne(Sternreihe* platte, Sternreihe* track);

    // The folder of the open catalogue (with "/"); pictures and eBooks are looked for below it.
    void setDatenbankPfad(const QString& pfad);
    // The option "Cover vom Datenbankpfad laden" as read at start.
    void setAusDatenbankpfad(bool an);
    bool ausDatenbankpfad() const { return m_ausDatenbankpfad; }

    // A record became current: pictures, eBooks, record stars and the cover strip follow.
    void datensatzGewechselt(const DetailDaten& daten);
    // The current track or playlist selection changed: both star rows are repainted.
    void bewertungTracks(const QString& trackName);

    QString bewertung() const { return m_daten.bewertung; }

public Q_SLOTS:
    // The menu entry "Cover vom Datenbankpfad laden": toggles and stores the option. The lists
    // keep what they show until the next record change; the database folder stays the folder
    // of the catalogue that is open.
    void mnuBildDatenbankpfad_Click();
    // A record star was clicked.
    void imgCDnote_Click(int index);

Q_SIGNALS:
    // The bound field Bewertung got a new text (saved with the record).
    void bewertungGeaendert(const QString& text);
    // The option's check mark.
    void ausDatenbankpfadGeaendert(bool an);

private:
    QPointer<Bildbereich> m_bild;
    QPointer<CoverStreifen> m_cover;
    QPointer<EbookListe> m_ebook;
    QPointer<Sternreihe> m_platte;
    QPointer<Sternreihe> m_track;
    QString m_datenbankPfad;
    bool m_ausDatenbankpfad = true;
    DetailDaten m_daten;
    QString m_trackName;
};

} // namespace klang::detail
