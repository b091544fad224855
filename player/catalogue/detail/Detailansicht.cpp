#include "player/catalogue/detail/Detailansicht.h"

#include "player/catalogue/detail/Bilddaten.h"
#include "player/catalogue/detail/Bildbereich.h"
#include "player/catalogue/detail/CoverStreifen.h"
#include "player/catalogue/detail/EbookListe.h"
#include "player/catalogue/detail/Sternreihe.h"

#include <QDir>

namespace klang::detail {

Detailansicht::Detailansicht(QObject* parent)
    : QObject(parent)
{
}

void Detailansicht::setBildbereich(Bildbereich* bereich)
{
    m_bild = bereich;
    if (m_bild) {
        m_bild->setDatenbankPfad(m_datenbankPfad);
        m_bild->setAusDatenbankpfad(m_ausDatenbankpfad);
    }
}

void Detailansicht::setCoverStreifen(CoverStreifen* streifen)
{
    m_cover = streifen;
}

void Detailansicht::setEbookListe(EbookListe* liste)
{
    m_ebook = liste;
    if (m_ebook) {
        m_ebook->setDatenbankPfad(m_datenbankPfad);
        m_ebook->setAusDatenbankpfad(m_ausDatenbankpfad);
    }
}

void Detailansicht::setSterne(Sternreihe* platte, Sternreihe* track)
{
    if (m_platte)
        disconnect(m_platte, nullptr, this, nullptr);
    m_platte = platte;
    m_track = track;
    if (m_platte)
        connect(m_platte, &Sternreihe::sternGeklickt, this, &Detailansicht::imgCDnote_Click);
}

void Detailansicht::setDatenbankPfad(const QString& pfad)
{
    m_datenbankPfad = pfad;
    if (m_bild)
        m_bild->setDatenbankPfad(pfad);
    if (m_ebook)
        m_ebook->setDatenbankPfad(pfad);
    if (m_cover)
        m_cover->setCoverOrdner(pfad.isEmpty() ? QString() : QDir(pfad).filePath(QStringLiteral("Bilder")));
}

void Detailansicht::setAusDatenbankpfad(bool an)
{
    m_ausDatenbankpfad = an;
}

void Detailansicht::datensatzGewechselt(const DetailDaten& daten)
{
    m_daten = daten;
    if (m_bild) {
        m_bild->setAusDatenbankpfad(m_ausDatenbankpfad);
        m_bild->datensatzZeigen(daten.bilder, daten.bildPfad);
        m_bild->vergroesserungAuffrischen();
    }
    if (m_ebook) {
        m_ebook->setAusDatenbankpfad(m_ausDatenbankpfad);
        m_ebook->eBookListe(daten.eBook);
    }
    if (m_cover)
        m_cover->folgen(daten.band, daten.lpTitel);
    bewertungTracks(m_trackName);
}

void Detailansicht::bewertungTracks(const QString& trackName)
{
    m_trackName = trackName;
    const Sternanzeige a = BewertungTracks(trackName, m_daten.bewertung);
    if (m_track)
        m_track->setSterne(a.track);
    if (m_platte)
        m_platte->setSterne(a.platte);
}

void Detailansicht::mnuBildDatenbankpfad_Click()
{
    m_ausDatenbankpfad = !m_ausDatenbankpfad;
    setBildLadePfad(m_ausDatenbankpfad);
    Q_EMIT ausDatenbankpfadGeaendert(m_ausDatenbankpfad);
}

void Detailansicht::imgCDnote_Click(int index)
{
    if (index < 0 || index > 5)
        return;
    m_daten.bewertung = plattenBewertungText(index);
    if (m_platte)
        m_platte->setSterne(index + 1);
    Q_EMIT bewertungGeaendert(m_daten.bewertung);
}

} // namespace klang::detail
