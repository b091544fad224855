#include "player/playback/core/Playlist.h"

#include "player/playback/core/PlayerController.h"
#include "platform/textfiles/SafeWrite.h"
#include "platform/vbcompat/VbCompat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace klang::player {

namespace {

// A list of paths holds no control characters but the tab; NUL and the like mean the file is
// no text (a picture, a program, a database picked by mistake).
bool istText(const QStringList& zeilen)
{
    for (const QString& zeile : zeilen) {
        for (const QChar c : zeile) {
            if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f)
                return false;
        }
    }
    return true;
}

} // namespace

PlaylistLesung playlistDateiLesen(const QString& datei)
{
    PlaylistLesung l;
    const QFileInfo info(datei);
    if (info.isDir()) {
        l.fehler = QStringLiteral("An dieser Stelle liegt ein Ordner, keine Playlist-Datei.");
        return l;
    }
    if (!info.exists()) {
        l.fehler = QStringLiteral("Die Datei gibt es nicht (mehr).");
        return l;
    }
    if (!info.isFile()) {
        l.fehler = QStringLiteral("Das ist keine gewöhnliche Datei (ein Gerät oder eine Pipe).");
        return l;
    }
    {
        QFile probe(datei);
        if (!probe.open(QIODevice::ReadOnly)) {
            l.fehler = probe.error() == QFileDevice::PermissionsError
                           ? QStringLiteral("Es fehlt das Recht, die Datei zu lesen.")
                           : QStringLiteral("Die Datei lässt sich nicht öffnen: ") + probe.errorString();
            return l;
        }
    }
    bool ok = false;
    klang::ReadReport bericht;
    const QStringList zeilen = klang::readLinesBounded(datei, &ok, &bericht, PlaylistGrenzen);
    if (!ok) {
        l.fehler = QStringLiteral("Beim Lesen der Datei trat ein Fehler auf (Datenträger oder System).");
        return l;
    }
    if (!istText(zeilen)) {
        l.fehler = QStringLiteral("Die Datei ist keine Textdatei; eine Playlist enthält einen Dateipfad je Zeile.");
        return l;
    }
    l.ok = true;
    l.eintraege = playlistEintraege(zeilen);
    l.hinweis = bericht.hinweis(info.fileName(), PlaylistGrenzen);
    return l;
}

QString playlistDateiSchreiben(const QString& datei, const QStringList& pfade)
{
    if (klang::wasCutOnRead(datei))
        return QStringLiteral("Die Datei wurde beim Laden nur zum Teil gelesen (zu groß oder mit überlangen Zeilen); "
                              "sie wird nicht überschrieben, damit ihr ungelesener Rest erhalten bleibt.");
    QByteArray bytes;
    for (const QString& pfad : pfade) {
        bytes += pfad.toUtf8();
        bytes += '\n';
    }
    const QString ordner = QFileInfo(datei).absolutePath();
    if (!QDir().mkpath(ordner))
        return QStringLiteral("Der Ordner „%1“ lässt sich nicht anlegen.").arg(ordner);
    const klang::WriteResult r = klang::writeFileAtomically(datei, bytes);
    return r.ok ? QString() : r.reason;
}

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
        if (zeile.trimmed().isEmpty() || (vorige && zeile == *vorige))
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
