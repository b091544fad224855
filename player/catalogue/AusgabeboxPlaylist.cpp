// The playlist commands: saving, adding the selected tracks, a new playlist, loading,
// showing the view, all check marks, removing items and measuring a song's length. The
// playlists live in the program folder's "Playlist/"; a playlist loaded from elsewhere is
// written back to the file it came from.

#include "kit/MsgFenn.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/AusgabeboxSpieler.h"
#include "player/catalogue/search/Suchanwendung.h"
#include "player/playback/core/Playlist.h"
#include "platform/media/MciRoutines.h"
#include "platform/shell/Shell.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTreeWidget>

#include <utility>

namespace klang::player {

namespace {

constexpr qint64 MeldungHintergrund = 0xF4EAE3;
constexpr qint64 MeldungText = 0x352300;
constexpr qint64 FehlerHintergrund = 0xC0C0FF;

QTreeWidgetItem* playlistEintrag(const QString& pfad)
{
    const PlaylistTeile t = playlistTeile(pfad);
    auto* item = new QTreeWidgetItem(QStringList{t.name, t.ordner, t.davor});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Checked);
    return item;
}

} // namespace

QString Ausgabebox::playlistOrdner() const
{
    return ProgrammPfad + QStringLiteral("Playlist/");
}

QString Ausgabebox::playlistDatei() const
{
    // The file the loaded playlist came from, as long as it is the one PlaylistName names
    // (the song search names its own list without loading it from elsewhere).
    if (!m_playlistDatei.isEmpty() && QFileInfo(m_playlistDatei).fileName() == PlaylistName)
        return m_playlistDatei;
    return playlistOrdner() + PlaylistName;
}

void Ausgabebox::playlistKopfSetzen()
{
    lvwPlaylist->headerItem()->setText(0, playlistKopf(PlaylistName, lvwPlaylist->topLevelItemCount()));
}

void Ausgabebox::playlistAnzeigen(bool zeigen)
{
    if (mnuPlaylistAnzeigen)
        mnuPlaylistAnzeigen->setChecked(zeigen);
    lvwPlaylist->setVisible(zeigen);
    tabTexte->setVisible(!zeigen);
}

void Ausgabebox::playlistDateienZeigen()
{
    filPlaylist->clear();
    filPlaylist->addItems(musikDateien(playlistOrdner()));
}

void Ausgabebox::playlistEintraegeAnhaengen(const QStringList& pfade)
{
    QList<QTreeWidgetItem*> neu;
    neu.reserve(pfade.size());
    for (const QString& pfad : pfade)
        neu << playlistEintrag(pfad);
    lvwPlaylist->addTopLevelItems(neu);
    if (!neu.isEmpty())
        lvwPlaylist->scrollToItem(neu.last());
    playlistKopfSetzen();
    m_player->onPlaylistChanged();
}

void Ausgabebox::PlaylistSpeichern()
{
    playlistSichern();
}

bool Ausgabebox::playlistSichern()
{
    if (PlaylistName.isEmpty())
        return true; // no list file to write into
    PlaylistGeaendert = false;
    vb::HourglassGuard sanduhr;
    QStringList zeilen;
    zeilen.reserve(lvwPlaylist->topLevelItemCount());
    for (int i = 0; i < lvwPlaylist->topLevelItemCount(); ++i)
        zeilen << playlistPfad(lvwPlaylist->topLevelItem(i));
    // Only into the list's own file: never into another one, whatever is about to be opened.
    const QString datei = playlistDatei();
    const QString fehler = playlistDateiSchreiben(datei, zeilen);
    if (!fehler.isEmpty()) {
        PlaylistGeaendert = true; // the view still differs from its file
        kit::MsgFenn(this, QStringLiteral("Die Playlist konnte nicht gespeichert werden:") + QLatin1Char('\n') + datei
                               + QStringLiteral("\n\n") + fehler,
                     4, 0, QStringLiteral("Ausgabebox_PlaylistSpeichern"), 1, FehlerHintergrund, MeldungText);
    }
    playlistKopfSetzen();
    playlistDateienZeigen();
    return fehler.isEmpty();
}

bool Ausgabebox::geaendertePlaylistSichern(const QString& frage)
{
    if (!PlaylistGeaendert || playlistSichern())
        return true;
    // Its own file refused it (the box said why): the user decides, nothing goes elsewhere.
    const QString wahl = kit::MsgFenn(this,
                                      QStringLiteral("Die Änderungen an der Playlist „") + PlaylistName
                                          + QStringLiteral("“ sind nicht gespeichert.") + QStringLiteral("\r\n\r\n") + frage,
                                      22, 2, QStringLiteral("Sicherheitsabfrage"), 1, MeldungHintergrund, MeldungText);
    return wahl == QLatin1String("Ja");
}

void Ausgabebox::mnuTrackInPlaylist_Click()
{
    mnuPlaylistAufnehmen_Click();
}

void Ausgabebox::mnuPlaylistAufnehmen_Click()
{
    if (PlaylistName.isEmpty()) {
        kit::MsgFenn(this,
                     QStringLiteral("Vergeben Sie zuerst einen Namen für eine neue Playlist,") + QStringLiteral("\r\n")
                         + QStringLiteral("oder laden Sie eine bestehenden Playlist."),
                     1, 0, QStringLiteral("Kein Playlist vorhanden"), 1, MeldungHintergrund, MeldungText);
        return;
    }
    vb::HourglassGuard sanduhr;
    QStringList pfade;
    for (int i = 0; i < filTrack->count(); ++i) {
        if (filTrack->item(i)->isSelected())
            pfade << m_trackQuelle->path(i);
    }
    pfade.removeAll(QString());
    // The file gets the view's items and the new ones, so file and view stay the same list
    // even when the view was changed and not yet saved.
    QStringList zeilen;
    for (int i = 0; i < lvwPlaylist->topLevelItemCount(); ++i)
        zeilen << playlistPfad(lvwPlaylist->topLevelItem(i));
    zeilen << pfade;
    const QString datei = playlistDatei();
    const QString fehler = playlistDateiSchreiben(datei, zeilen);
    if (!fehler.isEmpty()) {
        kit::MsgFenn(this, QStringLiteral("Die Playlist konnte nicht gespeichert werden:") + QLatin1Char('\n') + datei
                               + QStringLiteral("\n\n") + fehler,
                     4, 0, QStringLiteral("Ausgabebox_mnuPlaylistAufnehmen_Click"), 1, FehlerHintergrund, MeldungText);
        return; // file and view stay in step
    }
    PlaylistGeaendert = false;
    playlistEintraegeAnhaengen(pfade);
    playlistDateienZeigen();
}

void Ausgabebox::playlistUebernehmen()
{
    // Shown, switched to and ready at item 1 (after a load or a new playlist).
    playlistAnzeigen(true);
    playlistKopfSetzen();
    m_player->setAktuellerTrack(1);
    m_player->setPlaylistModus(true);
    AlleHakenGesetzt = true;
    if (mnuPlaylistHaken)
        mnuPlaylistHaken->setText(QStringLiteral("Alle &Häkchen an/aus"));
    m_player->onPlaylistChanged();
}

void Ausgabebox::mnuPlaylistNeu_Click()
{
    tabTexte->setCurrentIndex(4);
    if (!geaendertePlaylistSichern(QStringLiteral("Trotzdem eine neue Playlist anlegen? Die Änderungen gehen dann verloren.")))
        return;
    imgStop_Click();
    QString name;
    for (;;) {
        const QString antwort = kit::InputFenn(this, QStringLiteral("Namen der Playlist eingeben."),
                                               QStringLiteral("Neue Playlist"), QString());
        if (antwort.isEmpty())
            return;
        QString fehler;
        name = playlistDateiname(antwort, &fehler);
        if (name.isEmpty()) {
            kit::MsgFenn(this, fehler, 3, 0, QStringLiteral("Hinweis"), 1, 0xC0E0FF, MeldungText);
            continue;
        }
        const QString ziel = playlistOrdner() + name;
        if (!QFileInfo::exists(ziel))
            break;
        const QString wahl = kit::MsgFenn(this,
                                          QStringLiteral("Diese Playlist existiert bereits, überschreiben?")
                                              + QStringLiteral("\r\n\r\n") + antwort + QStringLiteral("\r\n"),
                                          22, 2, QStringLiteral("Sicherheitshinweis"), 1, MeldungHintergrund,
                                          MeldungText);
        // Only "Ja" replaces the old list; a box closed without an answer asks again.
        if (wahl != QLatin1String("Ja"))
            continue;
        if (!klang::moveToTrash(ziel)) {
            kit::MsgFenn(this, QStringLiteral("Die alte Playlist ließ sich nicht in den Papierkorb legen:") + QLatin1Char(' ') + ziel,
                         4, 0, QStringLiteral("Ausgabebox_mnuPlaylistNeu_Click"), 1,
                         FehlerHintergrund, MeldungText);
            return;
        }
        break;
    }
    PlaylistName = name;
    m_playlistDatei = playlistOrdner() + name;
    PlaylistGeaendert = false;
    lvwPlaylist->clear();
    playlistUebernehmen();
}

void Ausgabebox::mnuPlaylistLaden_Click()
{
    tabTexte->setCurrentIndex(4);
    const bool ohneDialog = LadenOhneDialog;
    LadenOhneDialog = false;
    const QString ladeziel = std::exchange(m_ladeziel, QString());
    if (SongSucheAktiv) {
        // The song search's hits are in the view: they go into its own list first.
        if (PlaylistGeaendert && !playlistSichern())
            return; // the hits stay in the view; the box said why
    } else if (!geaendertePlaylistSichern(
                   QStringLiteral("Trotzdem eine andere Playlist laden? Die Änderungen gehen dann verloren."))) {
        return;
    }
    imgStop_Click();
    QString datei;
    if (ohneDialog) {
        datei = ladeziel.isEmpty() ? playlistOrdner() + PlaylistName : ladeziel;
    } else if (SongSucheAktiv) {
        datei = playlistDatei();
    } else {
        datei = playlistDialog ? playlistDialog()
                               : QFileDialog::getOpenFileName(this, QStringLiteral("Playlist laden"), playlistOrdner(),
                                                              QStringLiteral("Playlist (*.txt);;alle Dateien (*)"));
        if (datei.isEmpty())
            return; // cancelled: the open playlist stays
    }
    PlaylistLesung gelesen;
    {
        vb::HourglassGuard sanduhr;
        gelesen = playlistDateiLesen(datei);
    }
    if (!gelesen.ok) {
        // The open list, its name and its file stay as they were.
        kit::MsgFenn(this, QStringLiteral("Die Playlist konnte nicht gelesen werden:") + QLatin1Char('\n') + datei
                               + QStringLiteral("\n\n") + gelesen.fehler,
                     4, 0, QStringLiteral("Ausgabebox_mnuPlaylistLaden_Click"), 1, FehlerHintergrund, MeldungText);
        return;
    }
    {
        vb::HourglassGuard sanduhr;
        playlistLesen(gelesen.eintraege);
    }
    // Only a list that was read takes the name: later saves go to the file it came from.
    PlaylistName = QFileInfo(datei).fileName();
    m_playlistDatei = datei;
    PlaylistGeaendert = false;
    playlistUebernehmen();
    m_player->setStilAusgeschlossen(false);
    if (!gelesen.hinweis.isEmpty())
        kit::MsgFenn(this, gelesen.hinweis, 3, 0, QStringLiteral("Playlist laden"), 1, MeldungHintergrund, MeldungText);
}

void Ausgabebox::playlistLesen(const QStringList& eintraege)
{
    QList<QTreeWidgetItem*> items;
    items.reserve(eintraege.size());
    for (const QString& zeile : eintraege)
        items << playlistEintrag(zeile);
    lvwPlaylist->clear();
    lvwPlaylist->addTopLevelItems(items);
}

void Ausgabebox::mnuPlaylistAnzeigen_Click()
{
    if (PlaylistGeaendert)
        PlaylistSpeichern();
    // The view's own state decides (the menu mark has already flipped when it is clicked).
    if (!lvwPlaylist->isHidden()) {
        playlistAnzeigen(false);
        return;
    }
    if (PlaylistName.isEmpty())
        mnuPlaylistLaden_Click();
    playlistAnzeigen(true);
}

void Ausgabebox::mnuPlaylistHaken_Click()
{
    AlleHakenGesetzt = !AlleHakenGesetzt;
    const Qt::CheckState zustand = AlleHakenGesetzt ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < lvwPlaylist->topLevelItemCount(); ++i)
        lvwPlaylist->topLevelItem(i)->setCheckState(0, zustand);
    if (mnuPlaylistHaken)
        mnuPlaylistHaken->setText(QStringLiteral("Alle &Häkchen an/aus"));
}

void Ausgabebox::mnuPlaylistKill_Click()
{
    const QList<QTreeWidgetItem*> gewaehlt = lvwPlaylist->selectedItems();
    if (!gewaehlt.isEmpty()) {
        QTreeWidgetItem* erstes = lvwPlaylist->currentItem() && lvwPlaylist->currentItem()->isSelected()
                                      ? lvwPlaylist->currentItem()
                                      : gewaehlt.first();
        const QString wahl = kit::MsgFenn(this,
                                          QStringLiteral("Lied aus der Playlist entfernen?") + QStringLiteral("\r\n\r\n")
                                              + erstes->text(0),
                                          22, 1, QStringLiteral("Sicherheitsabfrage"), 1, MeldungHintergrund, MeldungText);
        // Only "Ja" removes: "Nein" and a box closed without an answer keep the list.
        if (wahl != QLatin1String("Ja"))
            return;
        QList<int> zeilen;
        for (QTreeWidgetItem* item : gewaehlt)
            zeilen << lvwPlaylist->indexOfTopLevelItem(item);
        std::sort(zeilen.begin(), zeilen.end());
        for (auto it = zeilen.crbegin(); it != zeilen.crend(); ++it)
            delete lvwPlaylist->takeTopLevelItem(*it);
        m_listenWahl->playlistEintraegeEntfernt(zeilen);
    }
    PlaylistSpeichern();
}

void Ausgabebox::mnuLiedLang_Click()
{
    QString pfad;
    QString name;
    const int t = m_player->aktuellerTrack();
    if (m_player->playlistModus()) {
        const QTreeWidgetItem* item = lvwPlaylist->topLevelItem(t - 1);
        if (!item)
            return;
        pfad = playlistPfad(item);
        name = item->text(0);
    } else {
        if (t < 0 || t >= filTrack->count())
            return;
        pfad = m_trackQuelle->path(t);
        name = filTrack->item(t)->text();
    }
    double sekunden = -1;
    {
        vb::HourglassGuard sanduhr;
        sekunden = klang::media::LiedLaenge(pfad);
    }
    kit::MsgFenn(this, liedlaengeText(name, sekunden), 1, 0, QStringLiteral("Liedlänge messen"), 1, MeldungHintergrund,
                 MeldungText);
}

} // namespace klang::player
