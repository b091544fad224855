// The main window's searches: the quick search behind txtSuchen, the search dialog and what
// its job does (filter, replace, song search), and showing the record of what plays. The rules
// live in klang_search; this file moves the widgets.

#include "kit/FormPlatzieren.h"
#include "kit/Farbverlauf.h"
#include "kit/MsgFenn.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Suchbox.h"
#include "player/catalogue/search/Wiedergabeort.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/sound/Sound.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

namespace klang::player {

namespace {

constexpr qint64 FehlerHintergrund = 0xC0C0FF;
constexpr qint64 MeldungHintergrund = 0xF4EAE3;
constexpr qint64 MeldungText = 0x352300;

// Events of the search field, the status panels and the song list that the searches need.
class SuchEreignisse : public QObject
{
public:
    SuchEreignisse(Ausgabebox* fenster, QVector<QLabel*> panels)
        : QObject(fenster), m_fenster(fenster), m_panels(std::move(panels))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_fenster->txtSuchen) {
            if (event->type() == QEvent::FocusIn) {
                neutral();
                m_fenster->LetzterFokus = QStringLiteral("txtSuchen");
            } else if (event->type() == QEvent::FocusOut) {
                neutral();
            }
        } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
                   && istImFenster(watched)) {
            // Esc ends a running song search after the current row.
            if (m_fenster->songsucheLaeuft())
                m_fenster->EscGedrueckt = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const int i = int(m_panels.indexOf(qobject_cast<QLabel*>(watched)));
            if (i >= 0)
                m_fenster->staBar_PanelClick(i + 1);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool istImFenster(QObject* o) const
    {
        auto* w = qobject_cast<QWidget*>(o);
        return w && (w == m_fenster || w->window() == m_fenster);
    }

    void neutral()
    {
        QPalette p = m_fenster->txtSuchen->palette();
        p.setColor(QPalette::Base, kit::farbeAusWert(SuchfeldNeutral));
        m_fenster->txtSuchen->setPalette(p);
    }

    Ausgabebox* m_fenster;
    QVector<QLabel*> m_panels;
};

void auswaehlen(richtext::RichTextBox* feld, int start, int laenge)
{
    if (!feld || start < 0)
        return;
    // Selecting through the cursor leaves the keyboard focus where it is.
    feld->setSelStart(start);
    feld->setSelLength(laenge);
}

} // namespace

void Ausgabebox::sucheEinrichten()
{
    auto* ereignisse = new SuchEreignisse(this, m_statusPanels);
    ereignisse->setObjectName(QStringLiteral("suchEreignisse"));
    txtSuchen->installEventFilter(ereignisse);
    TextSongs->installEventFilter(ereignisse);
    for (QLabel* panel : std::as_const(m_statusPanels))
        panel->installEventFilter(ereignisse);
    suchfeldFarbe(SuchfeldNeutral);
    connect(txtSuchen, &QLineEdit::returnPressed, this, [this] {
        txtSuchen_Suchen();
        txtSuchen->setFocus();
    });
    connect(txtSuchen, &QLineEdit::textChanged, this, [this] { suchfeldFarbe(SuchfeldNeutral); });

    if (auto* menu = findChild<QAction*>(QStringLiteral("MenuSuchen"))) {
        menu->setShortcut(QKeySequence(Qt::Key_F2));
        connect(menu, &QAction::triggered, this, &Ausgabebox::MenuSuchen_Click);
    }
    if (cmdButton.value(3))
        connect(cmdButton[3], &QAction::triggered, this, &Ausgabebox::MenuSuchen_Click);
}

QStringList Ausgabebox::tabellenSpalten() const
{
    QStringList spalten;
    const QHeaderView* kopf = MSFlexGrid1->horizontalHeader();
    const QAbstractItemModel* modell = MSFlexGrid1->model();
    if (!modell)
        return spalten;
    for (int pos = 0; pos < kopf->count(); ++pos)
        spalten << modell->headerData(kopf->logicalIndex(pos), Qt::Horizontal).toString();
    return spalten;
}

Datensatzsicht Ausgabebox::sichtFuer(const Zeilenquelle& quelle, int zeile) const
{
    const QString programm = ProgrammPfad;
    // The same track list filTrack will show once the record is current, so the indexes
    // the search selects are those of the list.
    const Trackliste tracks = [programm](const QString& musikpfad) {
        const TrackListe t = trackListeFuer(musikpfad, programm);
        return t.aktiv ? t.dateien : QStringList();
    };
    return standardSicht(quelle, zeile, tracks);
}

void Ausgabebox::suchfeldFarbe(quint32 farbe)
{
    QPalette p = txtSuchen->palette();
    p.setColor(QPalette::Base, kit::farbeAusWert(farbe));
    txtSuchen->setPalette(p);
}

void Ausgabebox::zeileZeigen(int zeile, int obersteZeile)
{
    if (zeile < 0 || zeile >= m_katalog.model()->rowCount())
        return;
    m_katalog.zeileGewaehlt(zeile);
    zeileMarkieren(zeile);
    if (obersteZeile >= 0)
        MSFlexGrid1->scrollTo(m_katalog.model()->index(obersteZeile, 0), QAbstractItemView::PositionAtTop);
    else
        MSFlexGrid1->scrollTo(m_katalog.model()->index(zeile, 0));
}

void Ausgabebox::trefferZeigen(const Suchtreffer& t)
{
    if (!t.gefunden) {
        suchfeldFarbe(t.farbe);
        if (t.textMarkieren)
            txtSuchen->selectAll();
        if (t.tonSpielen)
            klang::playSoundAsync(ProgrammPfad + QStringLiteral("false.wav"));
        return;
    }
    CoverSucheUeberspringen = true;
    zeileZeigen(t.zeile, t.obersteZeile);
    const Markierung& m = t.markierung;
    filTrack->clearSelection();
    for (int i : m.trackAuswahl) {
        if (QListWidgetItem* item = filTrack->item(i))
            item->setSelected(true);
    }
    if (m.aktuellerTrack >= 0) {
        m_player->setAktuellerTrack(m.aktuellerTrack);
        if (QListWidgetItem* item = filTrack->item(m.aktuellerTrack))
            filTrack->scrollToItem(item, QAbstractItemView::PositionAtTop);
    }
    auswaehlen(TextSongs, m.songsStart, m.laenge);
    auswaehlen(rtfLinks, m.linksStart, m.laenge);
    auswaehlen(rtfInfo, m.infoStart, m.laenge);
    auswaehlen(rtfSonstiges, m.sonstigesStart, m.laenge);
    tabTexte->setCurrentIndex(m.tab - 1);
    suchfeldFarbe(t.farbe);
}

void Ausgabebox::Suchen()
{
    if (songsucheLaeuft())
        return;
    vb::HourglassGuard sanduhr;
    tabTexte->setCurrentIndex(0);
    suchfeldFarbe(SuchfeldNeutral);
    const RecordsetZeilen quelle(m_katalog.data1().recordset(), tabellenSpalten());
    const Sichtquelle sicht = [this, &quelle](int zeile) { return sichtFuer(quelle, zeile); };
    const Suchtreffer t = suchen(quelle, sicht, txtSuchen->text(), m_suchposition);
    if (t.gesucht)
        trefferZeigen(t);
}

void Ausgabebox::txtSuchen_Suchen()
{
    Suchen();
    const QColor farbe = txtSuchen->palette().color(QPalette::Base);
    txtSuchen->setFocus();
    // Taking the focus resets the colour; the result's colour stays.
    QPalette p = txtSuchen->palette();
    p.setColor(QPalette::Base, farbe);
    txtSuchen->setPalette(p);
}

void Ausgabebox::SuchenPlaylistTitel()
{
    playlistTitelSuchen(-1);
}

void Ausgabebox::SuchenPlaylistTitelBeimStart()
{
    const int zeile = m_spielortZeile;
    m_spielortZeile = -1;
    playlistTitelSuchen(zeile);
}

void Ausgabebox::playlistTitelSuchen(int spielortZeile)
{
    QTreeWidgetItem* item = lvwPlaylist->currentItem();
    if (!item || songsucheLaeuft())
        return;
    vb::HourglassGuard sanduhr;
    tabTexte->setCurrentIndex(0);
    suchfeldFarbe(SuchfeldNeutral);
    const RecordsetZeilen quelle(m_katalog.data1().recordset(), tabellenSpalten());
    const Sichtquelle sicht = [this, &quelle](int zeile) { return sichtFuer(quelle, zeile); };
    const Suchtreffer t = spielortZeile >= 0
                              ? suchenPlaylistTitelInZeile(quelle, sicht, item->text(0), spielortZeile, m_suchposition)
                              : suchenPlaylistTitel(quelle, sicht, item->text(0), m_suchposition);
    if (t.gesucht)
        trefferZeigen(t);
}

void Ausgabebox::AktuelleCDanzeigen()
{
    m_spielortZeile = -1;
    if (songsucheLaeuft())
        return;
    const RecordsetZeilen quelle(m_katalog.data1().recordset(), tabellenSpalten());
    QStringList playlist;
    for (int i = 0; i < lvwPlaylist->topLevelItemCount(); ++i)
        playlist << lvwPlaylist->topLevelItem(i)->text(0);
    QStringList aktuelleTracks;
    for (int i = 0; i < filTrack->count(); ++i)
        aktuelleTracks << filTrack->item(i)->text();
    const int gewaehlt = lvwPlaylist->currentItem() ? lvwPlaylist->indexOfTopLevelItem(lvwPlaylist->currentItem()) : -1;
    const QString programm = ProgrammPfad;
    const Trackliste tracks = [programm](const QString& musikpfad) {
        const TrackListe t = trackListeFuer(musikpfad, programm);
        return t.aktiv ? t.dateien : QStringList();
    };
    const Wiedergabeort ort = aktuelleCDanzeigen(quelle, panelText(2), m_player->spielText(),
                                                 m_player->playlistModus(), playlist, gewaehlt, tracks,
                                                 aktuelleTracks);
    if (ort.art == Wiedergabeort::PauseBeenden) {
        EscGedrueckt = true;
        m_player->EscGedrueckt();
        return;
    }
    if (ort.art != Wiedergabeort::Anzeigen)
        return;

    vb::HourglassGuard sanduhr;
    // The status panel looks pressed while the record is looked up.
    QLabel* panel = m_statusPanels.value(1);
    const QFrame::Shape form = panel ? panel->frameShape() : QFrame::NoFrame;
    const QFrame::Shadow schatten = panel ? panel->frameShadow() : QFrame::Plain;
    if (panel) {
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
    }
    // The playlist keeps its position: the record change resets the track index.
    const int track = m_player->aktuellerTrack();
    m_spielortZeile = ort.zeile;
    if (ort.zeile >= 0)
        zeileZeigen(ort.zeile, ort.obersteZeile);
    filTrack->clearSelection();
    if (QListWidgetItem* item = filTrack->item(ort.track))
        item->setSelected(true);
    if (m_player->playlistModus()) {
        m_player->setAktuellerTrack(track);
        if (QTreeWidgetItem* item = lvwPlaylist->topLevelItem(ort.playlistEintrag)) {
            lvwPlaylist->setCurrentItem(item);
            lvwPlaylist->scrollToItem(item);
        }
    }
    if (panel) {
        panel->setFrameShape(form);
        panel->setFrameShadow(schatten);
    }
}

void Ausgabebox::staBar_PanelClick(int /*panel*/)
{
    AktuelleCDanzeigen();
}

bool Ausgabebox::songsucheLaeuft() const
{
    return m_songsuche && m_songsuche->laeuft();
}

void Ausgabebox::MenuSuchen_Click()
{
    if (songsucheLaeuft())
        return;
    m_suchbefehl.dialogWirdGezeigt();
    {
        Suchbox box(m_sortierFeld, ProgrammPfad, this);
        kit::FormPlatzieren(&box, this, QStringLiteral("center"), 10);
        box.exec();
        m_sortierFeld = box.sortierFeld();
        if (box.auftrag())
            m_suchbefehl.dialogBestaetigt(*box.auftrag());
    }
    if (m_suchbefehl.auftrag().istLeer())
        return; // cancelled: the playlist and its mode stay as they are

    // The playlist view goes out of sight (and a song search replaces it): its changes are
    // saved first, or the user decides.
    const bool songsuche = m_suchbefehl.auftrag().SongSucheAktiv;
    if (!geaendertePlaylistSichern(songsuche ? QStringLiteral("Trotzdem nach Songs suchen? Die Änderungen gehen dann verloren.")
                                             : QStringLiteral("Trotzdem suchen? Die Änderungen bleiben dann ungespeichert.")))
        return;
    // A job runs: the text panes show, Esc in the song list can end a song search.
    TextSongs->setFocus();
    playlistAnzeigen(false);
    m_player->setPlaylistModus(false);
    lblTabellenName->setText(option(QStringLiteral("TabellenName"), QStringLiteral("alle")));

    if (!m_katalog.speichern())
        return; // an edit of the current record could not be written: reported, nothing runs

    Suchbefehl::Ergebnis e;
    {
        vb::HourglassGuard sanduhr;
        e = m_suchbefehl.anwenden(m_katalog.data1());
    }
    if (e.fehler.isError()) {
        kit::MsgFenn(this, e.fehler.text(), 4, 0, QStringLiteral("Ausgabebox_MenuSuchen_Click"), 1,
                     FehlerHintergrund, MeldungText);
        if (e.art != Suchbefehl::Ergebnis::Gefiltert)
            return;
    }
    switch (e.art) {
    case Suchbefehl::Ergebnis::Nichts:
        return;
    case Suchbefehl::Ergebnis::Songsuche:
        SongSucheAktiv = true;
        songsucheStarten(e.songBewertungMarke);
        return; // finished by songsucheFertig
    case Suchbefehl::Ergebnis::Gefiltert:
        setOption(QStringLiteral("Data1RecordSource"), e.recordSource);
        MSFlexGrid1->scrollToTop();
        if (e.ersetzt) {
            MenuAktualisieren_Click();
            kit::MsgFenn(this, ersetztMeldung(e.anzahl), 1, 0, QStringLiteral("Datensätze ersetzen"), 1,
                         MeldungHintergrund, MeldungText);
        }
        break;
    }
    suchbefehlBeenden();
}

void Ausgabebox::suchbefehlBeenden()
{
    m_player->setStilAusgeschlossen(false);
    CoverAktualisieren();
}

void Ausgabebox::sucheBeschaeftigt(bool an)
{
    // While the song search walks the rows, the view it reads must not change under it.
    MSFlexGrid1->setEnabled(!an);
    for (QPushButton* b : std::as_const(ButtonAlpabeth))
        b->setEnabled(!an);
    for (QAction* a : {MenuAktualisieren, mnuOeffnen, findChild<QAction*>(QStringLiteral("MenuSuchen")),
                       cmdButton.value(2), cmdButton.value(3), cmdButton.value(10)}) {
        if (a)
            a->setEnabled(!an);
    }
    txtSuchen->setEnabled(!an);
    // While the song search runs, Esc ends it wherever the focus is in the window.
    if (QObject* ereignisse = findChild<QObject*>(QStringLiteral("suchEreignisse"))) {
        if (an)
            qApp->installEventFilter(ereignisse);
        else
            qApp->removeEventFilter(ereignisse);
    }
    if (an)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void Ausgabebox::songsucheStarten(const QString& marke)
{
    PlaylistName = SuchlisteDatei;
    m_playlistDatei = ProgrammPfad + QStringLiteral("Playlist/") + SuchlisteDatei;
    PlaylistGeaendert = false;
    lvwPlaylist->clear();
    playlistKopfSetzen();
    m_songsucheZeilen = std::make_unique<RecordsetZeilen>(m_katalog.data1().recordset(), tabellenSpalten());
    m_songsuche = std::make_unique<Songsuche>(*m_songsucheZeilen, marke,
                                              ProgrammPfad + QStringLiteral("Playlist/"));
    m_songsuche->setBandAusschluss(m_player->bandAusschluss().entries());
    m_songsuche->setStilAusschluss(m_player->stilAusschluss().entries());
    m_songsuche->setAbbruchFlag(&EscGedrueckt);
    // The hits go into the playlist view once, at the end; until then the status bar counts.
    connect(m_songsuche.get(), &Songsuche::fortschritt, this, [this](int zeile, int zeilen, int treffer) {
        setPanelText(3, songsucheFortschritt(zeile, zeilen, treffer));
    });
    connect(m_songsuche.get(), &Songsuche::fertig, this, &Ausgabebox::songsucheFertig, Qt::QueuedConnection);
    if (!m_songsuche->starten()) {
        SongSucheAktiv = false;
        kit::MsgFenn(this, m_songsuche->fehler(), 4, 0, QStringLiteral("Ausgabebox_MenuSuchen_Click"), 1,
                     FehlerHintergrund, MeldungText);
        m_songsuche.reset();
        m_songsucheZeilen.reset();
        return;
    }
    sucheBeschaeftigt(true);
}

void Ausgabebox::songsucheFertig()
{
    sucheBeschaeftigt(false);
    setPanelText(3, m_katalog.anzahlText());
    const QString fehlerText = m_songsuche ? m_songsuche->fehler() : QString();
    if (m_songsuche)
        playlistEintraegeAnhaengen(m_songsuche->treffer());
    // The search has ended: its object goes once this slot has returned.
    if (m_songsuche)
        m_songsuche.release()->deleteLater();
    m_songsucheZeilen.reset();
    if (!fehlerText.isEmpty())
        kit::MsgFenn(this, fehlerText, 4, 0, QStringLiteral("Ausgabebox_MenuSuchen_Click"), 1, FehlerHintergrund,
                     MeldungText);

    // Save what was collected and load it as the playlist.
    PlaylistGeaendert = true;
    mnuPlaylistLaden_Click();
    SongSucheAktiv = false;
    playlistAnzeigen(false);

    QString name;
    for (;;) {
        const QString antwort = kit::InputFenn(this, QStringLiteral("Namen der Playlist eingeben."),
                                               QStringLiteral("Neue Playlist"), QString());
        if (antwort.isEmpty())
            return; // "Suchliste.txt" keeps the result
        QString fehler;
        name = playlistDateiname(antwort, &fehler);
        if (name.isEmpty()) {
            kit::MsgFenn(this, fehler, 3, 0, QStringLiteral("Hinweis"), 1, 0xC0E0FF, MeldungText);
            continue;
        }
        const QString ziel = ProgrammPfad + QStringLiteral("Playlist/") + name;
        if (name != SuchlisteDatei && QFileInfo::exists(ziel)
            && kit::MsgFenn(this, playlistUeberschreibenFrage(name), 22, 1, QStringLiteral("Neue Playlist"), 1,
                            MeldungHintergrund, MeldungText)
                   != QStringLiteral("Ja"))
            continue;
        break;
    }
    PlaylistName = name;
    PlaylistGeaendert = true;
    PlaylistSpeichern();
    filPlaylist->clear();
    filPlaylist->addItems(musikDateien(ProgrammPfad + QStringLiteral("Playlist/")));
    playlistAnzeigen(true);
    suchbefehlBeenden();
}

} // namespace klang::player
