// The playlist procedures the song search runs: saving the playlist view to its file in the
// program folder's "Playlist/", adding tracks, loading a playlist into the view.

#include "kit/MsgFenn.h"
#include "player/catalogue/Ausgabebox.h"
#include "platform/textfiles/LineFile.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTreeWidget>

namespace klang::player {

namespace {

constexpr qint64 MeldungHintergrund = 0xF4EAE3;
constexpr qint64 MeldungText = 0x352300;

// An item of the playlist view: the file name, its folder's name with the separator, and
// the path before that folder; the three joined give the path back.
QTreeWidgetItem* playlistEintrag(const QString& pfad)
{
    const int schnitt = int(pfad.lastIndexOf(QLatin1Char('/')));
    const QString name = pfad.mid(schnitt + 1);
    const QString ordner = schnitt >= 0 ? pfad.left(schnitt) : QString();
    const int davor = int(ordner.lastIndexOf(QLatin1Char('/')));
    QString ordnerName = ordner.mid(davor + 1);
    if (schnitt >= 0)
        ordnerName += QLatin1Char('/');
    const QString vorne = davor >= 0 ? ordner.left(davor + 1) : QString();
    auto* item = new QTreeWidgetItem(QStringList{name, ordnerName, vorne});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Checked);
    return item;
}

QString pfadVon(const QTreeWidgetItem* item)
{
    return Ausgabebox::playlistPfad(item);
}

} // namespace

void Ausgabebox::playlistKopfSetzen()
{
    lvwPlaylist->headerItem()->setText(0, QStringLiteral("Playlist - ") + PlaylistName.left(qMax(0, int(PlaylistName.size()) - 4))
                                              + QStringLiteral(" (") + QString::number(lvwPlaylist->topLevelItemCount())
                                              + QLatin1Char(')'));
}

void Ausgabebox::playlistAnzeigen(bool zeigen)
{
    if (mnuPlaylistAnzeigen)
        mnuPlaylistAnzeigen->setChecked(zeigen);
    lvwPlaylist->setVisible(zeigen);
    tabTexte->setVisible(!zeigen);
}

void Ausgabebox::playlistEintraegeAnhaengen(const QStringList& pfade)
{
    // One insert for all: the view lays itself out once, not once per item.
    QList<QTreeWidgetItem*> eintraege;
    eintraege.reserve(pfade.size());
    for (const QString& pfad : pfade)
        eintraege << playlistEintrag(pfad);
    lvwPlaylist->addTopLevelItems(eintraege);
    if (!eintraege.isEmpty())
        lvwPlaylist->scrollToItem(eintraege.last());
    playlistKopfSetzen();
    m_player->onPlaylistChanged();
}

void Ausgabebox::PlaylistSpeichern()
{
    PlaylistGeaendert = false;
    if (PlaylistName.isEmpty())
        return;
    vb::HourglassGuard sanduhr;
    QStringList zeilen;
    for (int i = 0; i < lvwPlaylist->topLevelItemCount(); ++i)
        zeilen << pfadVon(lvwPlaylist->topLevelItem(i));
    const QString datei = ProgrammPfad + QStringLiteral("Playlist/") + PlaylistName;
    if (!klang::writeLines(datei, zeilen)) {
        PlaylistGeaendert = true; // the view still differs from its file
        kit::MsgFenn(this, QStringLiteral("Die Playlist konnte nicht gespeichert werden:") + QLatin1Char('\n') + datei,
                     4, 0, QStringLiteral("Ausgabebox_PlaylistSpeichern"), 1, 0xC0C0FF, MeldungText);
    }
    playlistKopfSetzen();
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
            pfade << TextMusikpfad->text() + filTrack->item(i)->text();
    }
    const QString datei = ProgrammPfad + QStringLiteral("Playlist/") + PlaylistName;
    bool ok = true;
    QStringList zeilen = klang::readLines(datei, &ok);
    zeilen << pfade;
    if (!klang::writeLines(datei, zeilen)) {
        kit::MsgFenn(this, QStringLiteral("Die Playlist konnte nicht gespeichert werden:") + QLatin1Char('\n') + datei,
                     4, 0, QStringLiteral("Ausgabebox_mnuPlaylistAufnehmen_Click"), 1, 0xC0C0FF, MeldungText);
        return; // file and view stay in step
    }
    playlistEintraegeAnhaengen(pfade);
}

bool Ausgabebox::playlistLesen(const QString& datei)
{
    bool ok = false;
    const QStringList zeilen = klang::readLines(datei, &ok);
    lvwPlaylist->clear();
    QString vorige;
    bool erste = true;
    QList<QTreeWidgetItem*> eintraege;
    for (const QString& zeile : zeilen) {
        // Empty lines and a line repeating the one before are skipped.
        if (zeile.isEmpty() || (!erste && zeile == vorige))
            continue;
        eintraege << playlistEintrag(zeile);
        vorige = zeile;
        erste = false;
    }
    lvwPlaylist->addTopLevelItems(eintraege);
    playlistKopfSetzen();
    return ok;
}

void Ausgabebox::mnuPlaylistLaden_Click()
{
    if (PlaylistGeaendert)
        PlaylistSpeichern();
    imgStop_Click();
    QString datei;
    if (SongSucheAktiv) {
        datei = ProgrammPfad + QStringLiteral("Playlist/") + PlaylistName;
    } else {
        datei = playlistDialog ? playlistDialog()
                               : QFileDialog::getOpenFileName(this, QStringLiteral("Playlist laden"),
                                                              ProgrammPfad + QStringLiteral("Playlist/"),
                                                              QStringLiteral("Playlist (*.txt);;alle Dateien (*.*)"));
        if (datei.isEmpty())
            return; // cancelled: the open playlist stays
        PlaylistName = QFileInfo(datei).fileName();
    }
    playlistLesen(datei);
    m_player->setAktuellerTrack(1);
    m_player->setPlaylistModus(true);
    m_player->onPlaylistChanged();
}

} // namespace klang::player
