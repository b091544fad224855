#include "player/playback/TontraegerZufaellig.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace klang::player {

TontraegerZufaellig::TontraegerZufaellig(Zufall zufall)
    : m_zufall(std::move(zufall))
{
    if (!m_zufall)
        m_zufall = [] { return QRandomGenerator::global()->generateDouble(); };
}

ZufallsErgebnis TontraegerZufaellig::ziehen(Spielerzustand& zustand, Zufallskatalog& katalog,
                                            int songsProCD, const QStringList& stilAusschluss,
                                            const QStringList& bandAusschluss)
{
    if (zustand.PlaylistModus)
        return ZufallsErgebnis::Nichts;
    const int anzahl = katalog.anzahlDatensaetze();
    if (anzahl <= 0)
        return ZufallsErgebnis::Nichts;

    bool neuerTontraeger = false;
    if (zustand.ShuffleZaehler < songsProCD) {
        ++zustand.ShuffleZaehler;
    } else {
        zustand.ShuffleZaehler = 1;
        int stilZaehler = 0;
        int bandZaehler = 0;
        // Every excluded draw counts; after as many excluded draws of one kind as there are
        // records the draw gives up, even when an allowed record exists.
        for (;;) {
            int pos = static_cast<int>(std::floor(m_zufall() * anzahl + 1));
            pos = std::clamp(pos, 1, anzahl);
            katalog.geheZuDatensatz(pos);
            bool nochmal = false;
            const QString stil = katalog.stilDesAktuellen();
            for (const QString& eintrag : stilAusschluss) {
                if (!eintrag.isEmpty() && stil.contains(eintrag, Qt::CaseSensitive)) {
                    if (++stilZaehler >= anzahl) {
                        zustand.StilAusgeschlossen = true;
                        return ZufallsErgebnis::StilAusgeschlossen;
                    }
                    nochmal = true;
                    break;
                }
            }
            if (nochmal)
                continue;
            const QString band = katalog.bandDesAktuellen();
            for (const QString& eintrag : bandAusschluss) {
                if (!eintrag.isEmpty() && band.contains(eintrag, Qt::CaseSensitive)) {
                    if (++bandZaehler >= anzahl) {
                        zustand.StilAusgeschlossen = true;
                        return ZufallsErgebnis::BandAusgeschlossen;
                    }
                    nochmal = true;
                    break;
                }
            }
            if (!nochmal)
                break;
        }
        neuerTontraeger = true;
    }

    const int eintraege = katalog.anzahlTracks();
    if (eintraege >= 2) {
        // Entries 1 .. E-1: the first entry is never drawn.
        int t = static_cast<int>(std::floor((eintraege - 1) * m_zufall() + 1));
        t = std::clamp(t, 1, eintraege - 1);
        katalog.trackWaehlen(t, neuerTontraeger);
        zustand.AktuellerTrack = t;
    }
    return neuerTontraeger ? ZufallsErgebnis::NeuerTontraeger : ZufallsErgebnis::GleicherTontraeger;
}

} // namespace klang::player
