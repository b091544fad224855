#include "player/playback/core/Playlist.h"

#include "player/playback/core/PlayerController.h"
#include "platform/vbcompat/VbCompat.h"

#include <QRegularExpression>

#include <algorithm>

namespace klang::player {

namespace {

} // namespace

PlaylistTeile playlistTeile(const QString& pfad)
{
    // A "\" is a letter of a file name here; it separates only in a list written with
    // "\" alone (on the old system).
    const QChar trenner = pfad.contains(QLatin1Char('/')) ? QLatin1Char('/') : QLatin1Char('\\');
    const auto letzterTrenner = [trenner](const QString& text) { return text.lastIndexOf(trenner); };
    PlaylistTeile t;
    const qsizetype schnitt = letzterTrenner(pfad);
    t.name = pfad.mid(schnitt + 1);
    if (schnitt < 0)
        return t;
    const QString ordner = pfad.left(schnitt); // without the separator before the name
    const qsizetype davor = letzterTrenner(ordner);
    t.ordner = pfad.mid(davor + 1, schnitt - davor);
    t.davor = pfad.left(davor + 1);
    return t;
}

QStringList playlistEintraege(const QStringList& zeilen)
{
    QStringList eintraege;
    eintraege.reserve(zeilen.size());
    const QString* vorige = nullptr;
    for (const QString& zeile : zeilen) {
        if (zeile.isEmpty() || (vorige && zeile == *vorige))
            continue;
        eintraege << zeile;
        vorige = &zeile;
    }
    return eintraege;
}

QString playlistKopf(const QString& playlistName, int anzahl)
{
    return QStringLiteral("Playlist - ") + playlistName.left(std::max<qsizetype>(0, playlistName.size() - 4))
           + QStringLiteral(" (") + QString::number(anzahl) + QLatin1Char(')');
}

QString liedlaengeText(const QString& name, double sekunden)
{
    const QString kopf = name + QStringLiteral("\r\n\r\n");
    if (!(sekunden >= 0) || sekunden > 1e9)
        return kopf + QStringLiteral("Die Länge dieses Titels ließ sich nicht messen.");
    const qint64 n = qint64(klang::vb::roundHalfEven(sekunden));
    return kopf + QString::number(n / 60) + QLatin1Char(':')
           + QStringLiteral("%1").arg(n % 60, 2, 10, QLatin1Char('0')) + QStringLiteral(" min");
}

QString songTextSchluessel(const QString& dateiname)
{
    QString schluessel = dateiname;
    const qsizetype punkt = schluessel.lastIndexOf(QLatin1Char('.'));
    if (punkt > 0)
        schluessel.truncate(punkt);
    static const QRegularExpression marke(QStringLiteral(" - \\d$"));
    schluessel.remove(marke);
    return schluessel;
}

void ListenWahl::indexAusTrackliste(int zeile)
{
    // With only marked tracks playing the selection marks what plays; it chooses nothing.
    if (zeile >= 0 && !m_player.isChecked(ModeBox::MarkTracks))
        m_player.setAktuellerTrack(zeile);
}

void ListenWahl::trackListeFokus(int zeile)
{
    if (!m_player.playlistModus())
        indexAusTrackliste(zeile);
}

void ListenWahl::trackListeLosgelassen(int zeile)
{
    m_player.setPlaylistModus(false);
    indexAusTrackliste(zeile);
}

void ListenWahl::playlistKlick(int zeile)
{
    m_player.setPlaylistModus(true);
    m_player.onPlaylistChanged();
    if (m_player.aktuellerTrack() == 0 || zeile < 0)
        m_player.setAktuellerTrack(std::max(1, zeile + 1));
    else
        m_player.setAktuellerTrack(zeile + 1);
}

void ListenWahl::playlistFokus(int zeile)
{
    m_player.setPlaylistModus(true);
    if (m_player.aktuellerTrack() == 0 || zeile < 0)
        m_player.setAktuellerTrack(std::max(1, m_player.aktuellerTrack()));
    else
        m_player.setAktuellerTrack(zeile + 1);
}

void ListenWahl::playlistLosgelassen(int zeile)
{
    if (zeile >= 0 && m_player.playlistModus())
        m_player.setAktuellerTrack(zeile + 1);
}

void ListenWahl::playlistEintraegeEntfernt(const QList<int>& zeilen)
{
    m_player.onPlaylistChanged();
    if (!m_player.playlistModus())
        return;
    const int aktuell = m_player.aktuellerTrack(); // 1-based
    // The current item moves up by the items removed before it; when it went itself, the
    // item that took its place is current.
    const auto davor = std::count_if(zeilen.begin(), zeilen.end(), [aktuell](int z) { return z + 1 < aktuell; });
    m_player.setAktuellerTrack(std::max(1, aktuell - int(davor)));
}

} // namespace klang::player
