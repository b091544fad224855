// The record detail view inside the main window: pictures, cover strip, eBooks, rating stars
// and the text panes' tools. The widgets and their rules live in klang_detail; this file puts
// them where the window's placeholders stood and feeds them on every record and track change.

#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Twips.h"

#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Start.h"
#include "player/catalogue/detail/Bewertung.h"
#include "player/catalogue/detail/Bildbereich.h"
#include "player/catalogue/detail/CoverStreifen.h"
#include "player/catalogue/detail/Detailansicht.h"
#include "player/catalogue/detail/EbookListe.h"
#include "player/catalogue/detail/Gradzeichenliste.h"
#include "player/catalogue/detail/Sternreihe.h"
#include "player/catalogue/detail/TextFokus.h"
#include "player/catalogue/detail/TextWerkzeuge.h"
#include "platform/jet/CatalogueTableModel.h"
#include "platform/jet/DataControl.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

#include <algorithm>

namespace klang::player {

namespace {

// Puts the widget where the placeholder stood and removes the placeholder.
void ersetzen(QWidget*& platzhalter, QWidget* neu, const QRect& ort)
{
    QWidget* eltern = platzhalter ? platzhalter->parentWidget() : nullptr;
    if (eltern && neu->parentWidget() != eltern)
        neu->setParent(eltern);
    neu->setGeometry(ort);
    neu->show();
    delete platzhalter;
    platzhalter = neu;
}

template<typename W>
void ersetzen(W*& platzhalter, W* neu, const QRect& ort)
{
    QWidget* p = platzhalter;
    ersetzen(p, neu, ort);
    platzhalter = neu;
}

} // namespace

void Ausgabebox::detailAufbauen()
{
    using namespace klang::detail;
    QWidget* zentral = centralWidget();

    // The picture area: stored cover, external pictures and their switch and list. Its
    // controls take the places of the window's placeholders.
    m_bildbereich = new Bildbereich(zentral);
    m_bildbereich->setGeometry(tw(8700, 405, 1700, 1700));
    m_bildbereich->setVergroesserungsFlaeche(zentral);
    const QRect bildOrt = Bild1->geometry();
    auto* bildplatz = m_bildbereich->Bild1->parentWidget();
    bildplatz->setParent(zentral);
    bildplatz->setFixedSize(bildOrt.size());
    bildplatz->move(bildOrt.topLeft());
    bildplatz->show();
    delete Bild1;
    delete imgBildpfad;
    Bild1 = m_bildbereich->Bild1;
    imgBildpfad = m_bildbereich->imgBildpfad;
    // The switch shows "n externe Cover" / "kein externes Bild": it keeps its text whole and
    // the list starts beside it.
    const QRect chkOrt = chkBildpfad->geometry();
    const QRect cboOrt = cboBildpfad->geometry();
    ersetzen(chkBildpfad, m_bildbereich->chkBildpfad, chkOrt);
    chkBildpfad->resize(std::max(chkOrt.width(), chkBildpfad->sizeHint().width()), chkOrt.height());
    const int cboLinks = std::max(cboOrt.left(), chkBildpfad->geometry().right() + 4);
    ersetzen(cboBildpfad, m_bildbereich->cboBildpfad,
             QRect(cboLinks, cboOrt.top(), std::max(60, cboOrt.right() - cboLinks), cboOrt.height()));
    delete picCoverGreat;
    picCoverGreat = m_bildbereich->picCoverGreat;
    picCoverGreat->setParent(zentral);
    picCoverGreat->hide();
    m_bildbereich->hide(); // only its controls are shown, at the window's places
    connect(m_bildbereich, &Bildbereich::externeBilderUmgeschaltet, this, [this](bool an) {
        setOption(QStringLiteral("HäkchenBildpfad"), an ? QStringLiteral("1") : QStringLiteral("0"));
        if (m_geladen && isVisible())
            MSFlexGrid1->setFocus();
    });
    connect(m_bildbereich, &Bildbereich::fokusErhalten, this, [this](const QString& name) { LetzterFokus = name; });

    // The cover strip replaces the window's simple strip.
    for (QLabel* alt : std::as_const(imgCover))
        delete alt;
    imgCover.clear();
    m_coverStreifen = new CoverStreifen(zentral);
    m_coverStreifen->setGeometry(tw(0, 0, 1050, 10000));
    m_coverStreifen->lower();
    for (int k = 0; k < CoverStreifenRegeln::SlotAnzahl; ++k)
        imgCover << m_coverStreifen->slot(k);
    connect(m_coverStreifen, &CoverStreifen::zeileWaehlen, this, [this](int zeile) {
        const QModelIndex jetzt = MSFlexGrid1->currentIndex();
        const int spalte = jetzt.isValid() ? jetzt.column() : 0;
        MSFlexGrid1->setCurrentIndex(m_katalog.model()->index(zeile, spalte));
    });

    // eBooks and multimedia files of the record.
    m_ebookListe = new EbookListe(cboEbook->parentWidget());
    const QRect ebookOrt = cboEbook->geometry();
    delete cboEbook;
    cboEbook = m_ebookListe->cboEbook;
    // The caption "eBook u. Multimedia (n)" keeps its text whole; the list starts beside it.
    QRect listenOrt = ebookOrt.adjusted(0, -2, 0, 2);
    if (QLabel* beschriftung = Bez.value(11)) {
        const int textBreite =
            beschriftung->fontMetrics().horizontalAdvance(ebookBeschriftung(999)) + 6;
        beschriftung->resize(std::max(beschriftung->width(), textBreite), beschriftung->height());
        listenOrt.setLeft(std::max(listenOrt.left(), beschriftung->x() + textBreite + 4));
    }
    m_ebookListe->setGeometry(listenOrt);
    connect(m_ebookListe, &EbookListe::beschriftungGeaendert, this, [this](const QString& text) {
        if (QLabel* l = Bez.value(11))
            l->setText(text);
    });
    connect(m_ebookListe, &EbookListe::fokusErhalten, this, [this](const QString& name) { LetzterFokus = name; });

    // Record stars in the data tab, track stars in their frame above the track list.
    m_sternePlatte = new Sternreihe(QStringLiteral("imgCDnote"), TextBand->parentWidget());
    m_sternePlatte->setGeometry(tw(1100, 2700, 1600, 285));
    m_sterneTrack = new Sternreihe(QStringLiteral("imgSongNote"), fraSternTrack);
    m_sterneTrack->setGeometry(QRect(QPoint(0, 0), fraSternTrack->size()));
    connect(m_sterneTrack, &Sternreihe::sternGeklickt, this, &Ausgabebox::imgSongNote_Click);

    m_detail = new Detailansicht(this);
    m_detail->setBildbereich(m_bildbereich);
    m_detail->setCoverStreifen(m_coverStreifen);
    m_detail->setEbookListe(m_ebookListe);
    m_detail->setSterne(m_sternePlatte, m_sterneTrack);
    connect(m_sternePlatte, &Sternreihe::sternGeklickt, this, &Ausgabebox::imgCDnote_Click);
    // The rating is a bound field: the click only sets its text, the record save writes it.
    connect(m_detail, &Detailansicht::bewertungGeaendert, this, [this](const QString& text) {
        // A record that cannot be changed keeps its rating; the stars show it again.
        if (txtBewertung->isReadOnly()) {
            detailDatensatz();
            return;
        }
        txtBewertung->setText(text);
    });
    connect(m_detail, &Detailansicht::ausDatenbankpfadGeaendert, mnuBildDatenbankpfad, &QAction::setChecked);
    connect(mnuBildDatenbankpfad, &QAction::triggered, this, [this](bool an) {
        if (m_detail->ausDatenbankpfad() != an)
            m_detail->mnuBildDatenbankpfad_Click();
    });

    // Formatting tools of the songs pane, in the line above its caption.
    m_textWerkzeuge = new TextWerkzeuge(TextSongs->parentWidget());
    m_textWerkzeuge->setObjectName(QStringLiteral("fraTextButton"));
    m_textWerkzeuge->setZiel(TextSongs);
    m_textWerkzeuge->menueVerbinden(this);
    const QSize werkzeugGroesse = m_textWerkzeuge->sizeHint();
    m_textWerkzeuge->setGeometry(QRect(QPoint(vb::twipsToPixels(1100), vb::twipsToPixels(3450) - werkzeugGroesse.height()),
                                       werkzeugGroesse));

    // Focus and keys of the detail fields.
    m_textFokus = new TextFokus(this);
    m_textFokus->einrichten(this);
    connect(m_textFokus, &TextFokus::letzterFokusGeaendert, this, [this](const QString& name) { LetzterFokus = name; });
    connect(m_textFokus, &TextFokus::escGedrueckt, this, [this] { m_player->EscGedrueckt(); });
    if (auto* schrift = findChild<QMenu*>(QStringLiteral("mnuSchrift")))
        connect(m_textFokus, &TextFokus::schriftMenueAktiv, schrift, &QMenu::setEnabled);

    // Both star rows follow the track the player stands on.
    connect(m_player.get(), &PlayerController::aktuellerTrackChanged, this, [this] {
        BewertungTracks();
        TextSongAktualisieren();
    });
    connect(lvwPlaylist, &QTreeWidget::currentItemChanged, this, [this] { BewertungTracks(); });
}

void Ausgabebox::detailOrdnerSetzen()
{
    m_detail->setAusDatenbankpfad(mnuBildDatenbankpfad->isChecked());
    m_detail->setDatenbankPfad(DatenbankPfad);
    m_ebookListe->setDatenbankPfad(DatenbankPfad);
}

namespace {

// Band and title of the grid rows whose "Band - LPTitel" names a cover file, with their rows:
// one pass over the table that keeps only those (a list of every row cost a million records
// hundreds of megabytes). No cover files, no pass.
QList<klang::detail::BandTitel> coverZeilen(const jet::Recordset& rs, const QSet<QString>& namen)
{
    QList<klang::detail::BandTitel> gefunden;
    if (namen.isEmpty() || rs.recordCount() == 0)
        return gefunden;
    std::vector<qint64> ids;
    QHash<qint64, klang::detail::BandTitel> nachId;
    const bool gelesen = rs.scan(QString(), {}, {QStringLiteral("Band"), QStringLiteral("LPTitel")}, 4096,
                                 [&](jet::Recordset::ScanBlock&& b) {
                                     for (std::size_t i = 0; i < b.others.size(); ++i) {
                                         klang::detail::BandTitel z{b.text(i, 0, 2), b.text(i, 1, 2)};
                                         if (namen.contains(klang::detail::CoverStreifenRegeln::coverName(z))) {
                                             ids.push_back(b.others[i]);
                                             nachId.insert(b.others[i], z);
                                         }
                                     }
                                 });
    if (!gelesen) {
        // Not a view of the table: row by row.
        for (int r = 0; r < rs.recordCount(); ++r) {
            klang::detail::BandTitel z{rs.value(r, QStringLiteral("Band")), rs.value(r, QStringLiteral("LPTitel")), r};
            if (namen.contains(klang::detail::CoverStreifenRegeln::coverName(z)))
                gefunden << z;
        }
        return gefunden;
    }
    for (int zeile : rs.positionsOfRowIds(ids)) {
        klang::detail::BandTitel z = nachId.value(rs.rowId(zeile));
        z.zeile = zeile;
        gefunden << z;
    }
    return gefunden;
}

} // namespace

void Ausgabebox::CoverAktualisieren()
{
    detailOrdnerSetzen();
    m_coverStreifen->setZeilen(coverZeilen(m_katalog.data1().recordset(), m_coverStreifen->coverNamen()));
    m_coverStreifen->CoverAktualisieren(vb::pixelsToTwips(centralWidget()->height()));
}

void Ausgabebox::detailStreifenHoehe(int fensterHoeheTwips)
{
    m_coverStreifen->resize(m_coverStreifen->width(), vb::twipsToPixels(fensterHoeheTwips));
    m_coverStreifen->setLetzterSlot(klang::detail::CoverStreifenRegeln::letzterSlotFuerHoehe(
        fensterHoeheTwips, m_coverStreifen->regeln().liste().size()));
    // A page counted for a smaller window (start-up lays out before the window is shown) may
    // now reach past the list's end: the strip pages back so every slot shows a cover.
    const auto& r = m_coverStreifen->regeln();
    if (r.position() > 0 && r.position() + r.letzterSlot() > r.liste().size() - 1)
        m_coverStreifen->CoverAktualisieren(fensterHoeheTwips);
}

void Ausgabebox::detailDatensatz()
{
    klang::detail::DetailDaten d;
    d.bilder = m_katalog.data1().recordset().fieldData(QStringLiteral("Bilder"));
    d.bildPfad = txtBildpfad->text();
    d.eBook = txtEbook->text();
    d.band = TextBand->text();
    d.lpTitel = TextLPTitel->text();
    d.bewertung = txtBewertung->text();
    m_detail->setAusDatenbankpfad(mnuBildDatenbankpfad->isChecked());
    m_detail->datensatzGewechselt(d);
    BewertungTracks();
}

QString Ausgabebox::playlistPfad(const QTreeWidgetItem* item)
{
    // The view keeps a path in three parts: file name, its folder's name with the separator,
    // and the path before that folder.
    if (!item || item->text(0).isEmpty())
        return {};
    return item->text(2) + item->text(1) + item->text(0);
}

QString Ausgabebox::detailTrackName() const
{
    if (m_player->playlistModus()) {
        const QTreeWidgetItem* item = lvwPlaylist->currentItem();
        return item ? item->text(0) : QString();
    }
    const QListWidgetItem* item = filTrack->item(m_player->aktuellerTrack());
    return item ? item->text() : QString();
}

void Ausgabebox::BewertungTracks()
{
    if (m_detail)
        m_detail->bewertungTracks(detailTrackName());
}

void Ausgabebox::TextSongAktualisieren()
{
    klang::detail::TextFokus::TextSongAktualisieren(txtSongText, detailTrackName());
}

void Ausgabebox::mnuSongTextEinAus_Click()
{
    klang::detail::TextFokus::songTextUmschalten(txtSongText);
    TextSongAktualisieren();
}

void Ausgabebox::imgCDnote_Click(int)
{
    // The record's data come to the front when a record is rated.
    lvwPlaylist->setVisible(false);
    tabTexte->setVisible(true);
}

void Ausgabebox::imgSongNote_Click(int index)
{
    using namespace klang::detail;
    TrackStand stand;
    stand.playlistModus = m_player->playlistModus();
    QTreeWidgetItem* eintrag = lvwPlaylist->currentItem();
    if (stand.playlistModus) {
        stand.playlistPfad = playlistPfad(eintrag);
    } else {
        stand.ordner = filTrack->property("path").toString();
        for (int i = 0; i < filTrack->count(); ++i)
            stand.liste << filTrack->item(i)->text();
        stand.aktuell = m_player->aktuellerTrack();
    }
    const TrackKlickErgebnis e = trackSternKlick(stand, index, [this] {
        return trackListeFuer(TextMusikpfad->text(), ProgrammPfad).dateien;
    });
    if (stand.playlistModus) {
        if (e.playlistGeaendert && eintrag) {
            // Every item of the renamed file names it now, and the list file follows at
            // once: after a restart no entry may name a file that is gone.
            const QString alt = stand.playlistPfad;
            for (int i = 0; i < lvwPlaylist->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = lvwPlaylist->topLevelItem(i);
                if (item == eintrag || playlistPfad(item) == alt)
                    item->setText(0, e.umbenennung.neuerName);
            }
            PlaylistGeaendert = true;
            playlistSichern();
        }
        BewertungTracks();
        return;
    }
    if (stand.aktuell < 0 || stand.aktuell >= stand.liste.size())
        return;
    // The list is shown again at once with the marks kept on the same songs; the current
    // track follows the renamed file to its new place.
    QSet<QString> markiert;
    for (const QListWidgetItem* item : filTrack->selectedItems())
        markiert.insert(item->text() == e.umbenennung.alterName ? e.umbenennung.neuerName : item->text());
    const QSignalBlocker sperre(filTrack);
    filTrack->clear();
    filTrack->addItems(e.liste);
    for (int i = 0; i < filTrack->count(); ++i)
        filTrack->item(i)->setSelected(markiert.contains(filTrack->item(i)->text()));
    if (e.aktuell >= 0) {
        filTrack->setCurrentRow(e.aktuell, QItemSelectionModel::Current);
        filTrack->item(e.aktuell)->setSelected(true);
        m_player->setAktuellerTrack(e.aktuell);
    }
    BewertungTracks();
}

} // namespace klang::player
