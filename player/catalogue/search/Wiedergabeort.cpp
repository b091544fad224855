#include "player/catalogue/search/Wiedergabeort.h"

namespace klang::player {

namespace {

bool istTrenner(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

QString ohneEndung(const QString& name)
{
    const qsizetype punkt = name.lastIndexOf(QLatin1Char('.'));
    return punkt >= 0 ? name.left(punkt) : name;
}

} // namespace

QString laufenderPfad(const QString& laufenderTitel)
{
    static const QString prefix = QStringLiteral("playing:");
    const qsizetype i = laufenderTitel.indexOf(prefix);
    if (i < 0)
        return laufenderTitel.trimmed();
    qsizetype start = i + prefix.size();
    while (start < laufenderTitel.size() && laufenderTitel.at(start) == QLatin1Char(' '))
        ++start;
    return laufenderTitel.mid(start).trimmed();
}

bool ordnerEnthaelt(const QString& musikpfad, const QString& pfad)
{
    if (musikpfad.trimmed().isEmpty() || !pfad.startsWith(musikpfad))
        return false;
    if (istTrenner(musikpfad.back()))
        return true;
    return pfad.size() > musikpfad.size() && istTrenner(pfad.at(musikpfad.size()));
}

Wiedergabeort aktuelleCDanzeigen(const Zeilenquelle& quelle, const QString& statusText,
                                 const QString& laufenderTitel, bool playlistModus,
                                 const QStringList& playlistEintraege, int aktuellerPlaylistEintrag,
                                 const Trackliste& tracks, const QStringList& aktuelleTracks)
{
    Wiedergabeort ort;
    if (!statusText.contains(QStringLiteral("playing:"))) {
        if (statusText.contains(QStringLiteral("Pause")))
            ort.art = Wiedergabeort::PauseBeenden;
        return ort;
    }
    ort.art = Wiedergabeort::Anzeigen;

    int spalte = quelle.spalteMitKopf(QStringLiteral("Musikpfad"));
    if (spalte < 0)
        spalte = 0;
    const QString pfad = laufenderPfad(laufenderTitel);
    const int n = quelle.zeilenAnzahl();
    for (int zeile = 0; zeile < n; ++zeile) {
        if (ordnerEnthaelt(quelle.text(zeile, spalte), pfad)) {
            ort.zeile = zeile;
            ort.obersteZeile = zeile < n - 1 ? zeile : -1;
            break;
        }
    }

    const QStringList eintraege = (ort.zeile >= 0 && tracks)
                                      ? tracks(quelle.feld(ort.zeile, QStringLiteral("Musikpfad")))
                                      : aktuelleTracks;
    for (int k = 0; k < eintraege.size(); ++k) {
        const QString name = ohneEndung(eintraege.at(k));
        if (!name.isEmpty() && statusText.contains(name)) {
            ort.track = k;
            break;
        }
    }

    if (playlistModus) {
        const auto spielt = [&](int i) {
            return i >= 0 && i < playlistEintraege.size() && !playlistEintraege.at(i).isEmpty()
                   && laufenderTitel.contains(playlistEintraege.at(i));
        };
        if (spielt(aktuellerPlaylistEintrag)) {
            ort.playlistEintrag = aktuellerPlaylistEintrag;
        } else {
            for (int i = 0; i < playlistEintraege.size(); ++i) {
                if (spielt(i)) {
                    ort.playlistEintrag = i;
                    break;
                }
            }
        }
    }
    return ort;
}

} // namespace klang::player
