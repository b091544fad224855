// The events of the track list, the playlist view and the playlist file list, the pop-up
// menus of the two lists, the playlist menu, and the windows of excluded styles and bands.
// The rules (which list plays, the current track, the played marks) are ListenWahl's.

#include "kit/FormPlatzieren.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/AusgabeboxSpieler.h"
#include "player/catalogue/AusgabeboxWiedergabe.h"
#include "player/catalogue/Ausschlussfenster.h"
#include "player/catalogue/Einstellungen.h"
#include "platform/jet/DataControl.h"
#include "platform/jet/Schema.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>
#include <utility>

namespace klang::player {

void Ausgabebox::listenVerbinden()
{
    m_listenWahl = std::make_unique<ListenWahl>(*m_player);
    lvwPlaylist->setUniformRowHeights(true);
    lvwPlaylist->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwPlaylist->setRootIsDecorated(false);
    // The header names the playlist and its size: the first column gets most of the room.
    lvwPlaylist->setColumnWidth(0, klang::vb::twipsToPixels(4200));
    lvwPlaylist->setColumnWidth(1, klang::vb::twipsToPixels(1500));

    // The playlist menu: in the menu bar and as the playlist view's pop-up menu.
    mnuPlaylist = menuBar()->addMenu(QStringLiteral("Play&list"));
    mnuPlaylist->setObjectName(QStringLiteral("mnuPlaylist"));
    auto eintrag = [this](const char* name, const QString& text, void (Ausgabebox::*handler)()) {
        QAction* a = mnuPlaylist->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    eintrag("mnuPlaylistNeu", QStringLiteral("&Neue Playlist..."), &Ausgabebox::mnuPlaylistNeu_Click);
    eintrag("mnuPlaylistLaden", QStringLiteral("Playlist &laden..."), &Ausgabebox::mnuPlaylistLaden_Click);
    eintrag("mnuPlaylistAufnehmen", QStringLiteral("Markierte Tracks &aufnehmen"), &Ausgabebox::mnuPlaylistAufnehmen_Click);
    eintrag("mnuPlaylistKill", QStringLiteral("Lied aus der Playlist &entfernen"), &Ausgabebox::mnuPlaylistKill_Click);
    mnuPlaylistHaken = eintrag("mnuPlaylistHaken", QStringLiteral("Alle &Häkchen an/aus"), &Ausgabebox::mnuPlaylistHaken_Click);
    mnuPlaylist->addSeparator();
    mnuPlaylist->addAction(mnuPlaylistAnzeigen);
    connect(mnuPlaylistAnzeigen, &QAction::triggered, this, &Ausgabebox::mnuPlaylistAnzeigen_Click);
    eintrag("mnuLiedLang", QStringLiteral("Lied&länge messen"), &Ausgabebox::mnuLiedLang_Click);

    // The track list's pop-up menu, its one entry the default.
    mnuTrackToPlaylist = new QMenu(QStringLiteral("TrackToPlaylist"), this);
    mnuTrackToPlaylist->setObjectName(QStringLiteral("mnuTrackToPlaylist"));
    mnuTrackInPlaylist = mnuTrackToPlaylist->addAction(QStringLiteral("In Playlist aufnehmen     F11"));
    mnuTrackInPlaylist->setObjectName(QStringLiteral("mnuTrackInPlaylist"));
    QFont fett = mnuTrackInPlaylist->font();
    fett.setBold(true);
    mnuTrackInPlaylist->setFont(fett);
    mnuTrackToPlaylist->setDefaultAction(mnuTrackInPlaylist);
    connect(mnuTrackInPlaylist, &QAction::triggered, this, &Ausgabebox::mnuTrackInPlaylist_Click);

    // The exclusion windows.
    if (QAction* stil = findChild<QAction*>(QStringLiteral("mnuStilrichtungAusschliessen")))
        connect(stil, &QAction::triggered, this, &Ausgabebox::mnuStilrichtungAusschliessen_Click);
    if (QMenu* optionen = findChild<QMenu*>(QStringLiteral("MenuOptionen"))) {
        QAction* band = optionen->addAction(QStringLiteral("&Band ausschließen..."));
        band->setObjectName(QStringLiteral("mnuBandAusschliessen"));
        connect(band, &QAction::triggered, this, &Ausgabebox::mnuBandAusschliessen_Click);
    }

    // The track list: keys reach the list, the mouse its viewport.
    new Ereignisweiche(filTrack, [this](QEvent* e) {
        if (e->type() == QEvent::FocusIn)
            filTrack_GotFocus();
        else if (e->type() == QEvent::KeyRelease)
            filTrack_KeyUp(static_cast<QKeyEvent*>(e)->key());
        return false;
    }, m_wiedergabeFilter.get());
    new Ereignisweiche(filTrack->viewport(), [this](QEvent* e) {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* m = static_cast<QMouseEvent*>(e);
            filTrack_MouseDown(m->button(), m->globalPosition().toPoint());
            // A right click opens the menu without moving the selection.
            return m->button() == Qt::RightButton;
        }
        if (e->type() == QEvent::MouseButtonRelease)
            filTrack_MouseUp();
        return false;
    }, m_wiedergabeFilter.get());
    connect(filTrack, &QListWidget::itemClicked, this, &Ausgabebox::filTrack_Click);
    connect(filTrack, &QListWidget::itemDoubleClicked, this, &Ausgabebox::filTrack_DblClick);

    // The playlist view.
    new Ereignisweiche(lvwPlaylist, [this](QEvent* e) {
        if (e->type() == QEvent::FocusIn)
            lvwPlaylist_GotFocus();
        else if (e->type() == QEvent::KeyRelease)
            lvwPlaylist_KeyUp(static_cast<QKeyEvent*>(e)->key());
        return false;
    }, m_wiedergabeFilter.get());
    // The release that ends a double click is no click of its own: the double click has
    // started its item, and clearing the played marks then would let random play draw it again.
    auto doppelklick = std::make_shared<bool>(false);
    new Ereignisweiche(lvwPlaylist->viewport(), [this, doppelklick](QEvent* e) {
        if (e->type() == QEvent::MouseButtonPress) {
            *doppelklick = false;
            auto* m = static_cast<QMouseEvent*>(e);
            lvwPlaylist_MouseDown(m->button(), m->globalPosition().toPoint());
        } else if (e->type() == QEvent::MouseButtonDblClick) {
            *doppelklick = true;
        } else if (e->type() == QEvent::MouseButtonRelease) {
            // The press has made the clicked item current already.
            if (!std::exchange(*doppelklick, false))
                lvwPlaylist_Click();
            lvwPlaylist_MouseUp();
        }
        return false;
    }, m_wiedergabeFilter.get());
    connect(lvwPlaylist, &QTreeWidget::itemDoubleClicked, this, &Ausgabebox::lvwPlaylist_DblClick);

    connect(filPlaylist, &QListWidget::itemDoubleClicked, this, &Ausgabebox::filPlaylist_DblClick);
}

int Ausgabebox::playlistZeile() const
{
    QTreeWidgetItem* item = lvwPlaylist->currentItem();
    return item ? lvwPlaylist->indexOfTopLevelItem(item) : -1;
}

void Ausgabebox::songTextFolgen()
{
    const QListWidgetItem* item = filTrack->item(m_player->aktuellerTrack());
    const QString text = txtSongText->text();
    txtSongText->setSelStart(int(text.size()));
    txtSongText->ensureCursorVisible();
    const QString schluessel = item ? songTextSchluessel(item->text()) : QString();
    if (schluessel.isEmpty())
        return;
    const qsizetype p = text.indexOf(schluessel, 0, Qt::CaseInsensitive);
    if (p >= 0) {
        txtSongText->setSelStart(int(p));
        txtSongText->ensureCursorVisible();
    }
}

// --- the track list ---------------------------------------------------------------------

void Ausgabebox::filTrack_Click()
{
    BewertungTracks();
}

void Ausgabebox::filTrack_DblClick()
{
    imgStart_Click();
}

void Ausgabebox::filTrack_GotFocus()
{
    m_listenWahl->trackListeFokus(filTrack->currentRow());
    LetzterFokus = QStringLiteral("filTrack");
    BewertungTracks();
}

void Ausgabebox::filTrack_KeyUp(int keyCode)
{
    m_listenWahl->trackListeLosgelassen(filTrack->currentRow());
    BewertungTracks();
    songTextFolgen();
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter)
        imgStart_Click();
    // The key the pop-up menu names beside its entry.
    if (keyCode == Qt::Key_F11)
        mnuTrackInPlaylist_Click();
}

void Ausgabebox::filTrack_MouseDown(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button == Qt::RightButton)
        mnuTrackToPlaylist->popup(globalPos, mnuTrackInPlaylist);
}

void Ausgabebox::filTrack_MouseUp()
{
    m_listenWahl->trackListeLosgelassen(filTrack->currentRow());
    BewertungTracks();
    songTextFolgen();
}

void Ausgabebox::filPlaylist_DblClick()
{
    const QListWidgetItem* item = filPlaylist->currentItem();
    if (!item)
        return;
    // The name is the load's to take, once the file was read: until then the open list keeps
    // its own name and file.
    LadenOhneDialog = true;
    m_ladeziel = playlistOrdner() + item->text();
    mnuPlaylistLaden_Click();
}

// --- the playlist view ------------------------------------------------------------------

void Ausgabebox::lvwPlaylist_Click()
{
    m_listenWahl->playlistKlick(playlistZeile());
}

void Ausgabebox::lvwPlaylist_DblClick()
{
    const int zeile = playlistZeile();
    imgStop_Click();
    if (zeile >= 0)
        m_player->setAktuellerTrack(zeile + 1);
    imgStart_Click();
    // Selecting the playing record must not move the playlist's current item.
    const int aktuell = m_player->aktuellerTrack();
    SuchenPlaylistTitel();
    m_player->setAktuellerTrack(aktuell);
}

void Ausgabebox::lvwPlaylist_GotFocus()
{
    m_listenWahl->playlistFokus(playlistZeile());
    BewertungTracks();
}

void Ausgabebox::lvwPlaylist_KeyUp(int keyCode)
{
    m_listenWahl->playlistLosgelassen(playlistZeile());
    BewertungTracks();
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter)
        imgStart_Click();
}

void Ausgabebox::lvwPlaylist_MouseDown(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button == Qt::RightButton)
        mnuPlaylist->popup(globalPos);
}

void Ausgabebox::lvwPlaylist_MouseUp()
{
    m_listenWahl->playlistLosgelassen(playlistZeile());
    BewertungTracks();
}

// --- the exclusion windows --------------------------------------------------------------

namespace {

int zeigen(QDialog* fenster, QWidget* besitzer, const std::function<void(QDialog*)>& hook)
{
    kit::FormPlatzieren(fenster, besitzer, QStringLiteral("center"), 10);
    if (hook) {
        fenster->open();
        hook(fenster);
        const int ergebnis = fenster->result();
        fenster->close();
        return ergebnis;
    }
    return fenster->exec();
}

} // namespace

void Ausgabebox::mnuStilrichtungAusschliessen_Click()
{
    setOption(kStilModusSchluessel, QStringLiteral("Abspielen"));
    {
        frmStilausschlussliste fenster(ProgrammPfad, DatenbankPfad, this);
        zeigen(&fenster, this, ausschlussFensterHook);
    }
    m_player->setStilAusgeschlossen(false);
    AbspielausschlusslisteLaden();
}

void Ausgabebox::mnuBandAusschliessen_Click()
{
    setOption(kBandModusSchluessel, QStringLiteral("Abspielen"));
    // Every band of the catalogue, whatever the grid's filter or order shows.
    QStringList baender;
    m_katalog.data1().database().query(
        QStringLiteral("select distinct Band from ") + jet::schema::kTable
            + QStringLiteral(" where Band is not null and Band <> '' order by Band collate JET"),
        {}, [&baender](const QVariantList& zeile) {
            baender << zeile.value(0).toString();
            return true;
        });
    {
        frmBandAusschlussliste fenster(ProgrammPfad, baender, this);
        zeigen(&fenster, this, ausschlussFensterHook);
    }
    // Band exclusions block continuous play as style ones do: the fixed list frees it.
    m_player->setStilAusgeschlossen(false);
    BandAbspielausschlusslisteLaden();
}

} // namespace klang::player
