#pragma once

// Random record and track of shuffle play over the catalogue. The rules live here; the
// catalogue and the track list are reached through a small interface so that the draw can
// be tested without windows.

#include "player/playback/Spielerzustand.h"

#include <QStringList>
#include <functional>

namespace klang::player {

class Zufallskatalog
{
public:
    virtual ~Zufallskatalog() = default;
    virtual int anzahlDatensaetze() const = 0;
    // Makes record pos (counted from 1) current, as a click on its row would.
    virtual void geheZuDatensatz(int pos) = 0;
    virtual QString stilDesAktuellen() const = 0;
    virtual QString bandDesAktuellen() const = 0;
    // Entry count of the current record's track list.
    virtual int anzahlTracks() const = 0;
    // Selects entry index; entry 0 loses its selection when ersteAbwaehlen is set.
    virtual void trackWaehlen(int index, bool ersteAbwaehlen) = 0;
};

enum class ZufallsErgebnis {
    Nichts,           // empty catalogue or playlist mode (handled by the player)
    GleicherTontraeger,
    NeuerTontraeger,
    StilAusgeschlossen,
    BandAusgeschlossen,
};

inline const QString StilHinweisText = QStringLiteral(
    "Diese Stilrichtung wurde im Menüpunkt 'Optionen/Stilrichtung ausschließen...' ausgeschlossen.\n"
    "Entfernen Sie dort das Häkchen, damit Sie diese Stilrichtung verwenden können.");
inline const QString BandHinweisText = QStringLiteral(
    "Diese Band wurde im Menüpunkt 'Optionen/Band ausschließen...' ausgeschlossen.");

class TontraegerZufaellig
{
public:
    // zufall returns the next number of [0, 1); tests pass a fixed sequence.
    using Zufall = std::function<double()>;
    explicit TontraegerZufaellig(Zufall zufall = {});

    // One call of the procedure in catalogue mode. songsProCD is "ShuffleSongProCD" as a
    // whole number. Sets zustand.StilAusgeschlossen when every draw hits an exclusion.
    ZufallsErgebnis ziehen(Spielerzustand& zustand, Zufallskatalog& katalog, int songsProCD,
                           const QStringList& stilAusschluss, const QStringList& bandAusschluss);

private:
    Zufall m_zufall;
};

} // namespace klang::player
