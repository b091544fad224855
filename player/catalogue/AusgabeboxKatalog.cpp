// The catalogue views, the column set and opening catalogues of the main window.

#include "player/catalogue/Ausgabebox.h"

#include "kit/FormPlatzieren.h"
#include "kit/Helpers.h"
#include "kit/MsgFenn.h"
#include "kit/umwandlung/JetUmwandlung.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "player/catalogue/Ordnerliste.h"
#include "player/catalogue/frmSpaltenAnordnen.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace klang::player {

using klang::vb::pixelsToTwips;
using klang::vb::twipsToPixels;

namespace {
const QString DatenbankWirdGeladen = QStringLiteral(" Datenbank wird geladen...");
} // namespace

// ---------------------------------------------------------------------------------------
// Views

void Ausgabebox::MenuAktualisieren_Click()
{
    vb::HourglassGuard sanduhr;
    jet::DbError e;
    if (!m_katalog.standardAnsicht(&e)) {
        if (e.isError()) // else an edit could not be written and was reported
            fehler(QStringLiteral("Ausgabebox_MenuAktualisieren_Click"), e);
        return;
    }
    setOption(QStringLiteral("Data1RecordSource"), m_katalog.data1().recordSource());
    lblTabellenName->setText(QStringLiteral("alle"));
    setOption(QStringLiteral("TabellenName"), lblTabellenName->text());
    CoverAktualisieren();
    TabelleAnordnen();
    m_player->setStilAusgeschlossen(false);
}

void Ausgabebox::chkTabelle_Click()
{
    if (chkTabelle->isChecked()) {
        setOption(QStringLiteral("TopRow"), QStringLiteral("1"));
    } else {
        setOption(QStringLiteral("TopRow"), QStringLiteral("0"));
        if (m_geladen)
            MenuAktualisieren_Click();
    }
}

QString Ausgabebox::filterSpalte() const
{
    for (QAction* a : mnuSpalte) {
        if (a->isChecked())
            return a->text();
    }
    return QString();
}

void Ausgabebox::mnuSpalte_Click(int index)
{
    for (int i = 0; i < mnuSpalte.size(); ++i)
        mnuSpalte[i]->setChecked(i == index);
}

void Ausgabebox::ButtonAlpabeth_MouseUp(int index)
{
    const QString spalte = filterSpalte();
    if (index >= 26)
        chkTabelle->setChecked(true);
    if (chkTabelle->isChecked()) {
        jet::DbError e;
        vb::HourglassGuard sanduhr;
        if (!m_katalog.filtern(spalte, index, &e)) {
            if (!e.isError())
                return; // an edit could not be written and was reported
            kit::MsgFenn(this, QString::number(e.number) + QStringLiteral(", ") + e.description, 4, 0,
                         QStringLiteral("Ausgabebox_ButtonAlpabeth_MouseUp"), 1,
                         kit::ErrorBackColor, kit::DialogForeColor);
            return;
        }
        MSFlexGrid1->scrollToTop();
        MSFlexGrid1->setFocus();
    } else {
        // A large catalogue answers later: the grid scrolls when the row is known.
        m_katalog.ersteZeileMitSuchen(spalte, ButtonAlpabeth[index]->text(), [this](int zeile) {
            if (zeile >= 0 && zeile < m_katalog.model()->rowCount() - 1)
                MSFlexGrid1->scrollTo(m_katalog.model()->index(zeile, 0), QAbstractItemView::PositionAtTop);
        });
    }
    m_player->setStilAusgeschlossen(false);
}

// ---------------------------------------------------------------------------------------
// Column set

QList<int> Ausgabebox::spaltenbreitenNachPosition() const
{
    return m_bild.breite;
}

void Ausgabebox::tabellenbildAbgleichen()
{
    auto* model = m_katalog.model();
    QStringList namen;
    for (int c = 0; c < model->columnCount(); ++c)
        namen << model->fieldOfColumn(c);
    QStringList bisher = m_bild.kopf;
    QStringList sortiertA = namen;
    QStringList sortiertB = bisher;
    sortiertA.sort();
    sortiertB.sort();
    if (sortiertA == sortiertB)
        return;
    // Another table: keep the positions of fields that remain, append the new ones.
    Tabellenbild neu;
    for (const QString& n : std::as_const(bisher)) {
        if (namen.contains(n))
            neu.kopf << n;
    }
    for (const QString& n : std::as_const(namen)) {
        if (!neu.kopf.contains(n))
            neu.kopf << n;
    }
    const QList<int> gemerkt = m_bild.breite.isEmpty() ? m_katalog.gemerkteBreiten() : m_bild.breite;
    for (int i = 0; i < neu.kopf.size(); ++i)
        neu.breite << gemerkt.value(i, StandardSpaltenbreite);
    m_bild = neu;
}

void Ausgabebox::tabellenbildAnwenden()
{
    QHeaderView* kopf = MSFlexGrid1->horizontalHeader();
    auto* model = m_katalog.model();
    m_bildWirdAngewendet = true;
    MSFlexGrid1->setUpdatesEnabled(false);
    QVector<bool> vergeben(model->columnCount(), false);
    for (int pos = 0; pos < m_bild.kopf.size(); ++pos) {
        int logisch = -1;
        for (int c = 0; c < model->columnCount(); ++c) {
            if (!vergeben[c] && model->fieldOfColumn(c) == m_bild.kopf.at(pos)) {
                logisch = c;
                break;
            }
        }
        if (logisch < 0)
            continue;
        vergeben[logisch] = true;
        const int von = kopf->visualIndex(logisch);
        if (von != pos)
            kopf->moveSection(von, pos);
        const int breite = m_bild.breite.value(pos, StandardSpaltenbreite);
        if (breite <= 0) {
            kopf->setSectionHidden(logisch, true);
        } else {
            kopf->setSectionHidden(logisch, false);
            kopf->resizeSection(logisch, twipsToPixels(breite));
        }
    }
    MSFlexGrid1->setUpdatesEnabled(true);
    m_bildWirdAngewendet = false;
}

void Ausgabebox::TabelleAnordnen()
{
    tabellenbildAbgleichen();
    // Widths and hidden flags belong to positions: applied to a table in its field order they
    // would land on other fields, so the first arrangement always places the fields.
    m_bild = m_katalog.anordnen(m_bild, !m_spaltenPlatziert);
    m_spaltenPlatziert = true;
    tabellenbildAnwenden();
    trackListeFuellen();
}

void Ausgabebox::mnuTabelleAnordnen_Click()
{
    frmSpaltenAnordnen dialog(m_katalog.tabelleNichtSortieren(), this);
    kit::FormPlatzieren(&dialog, this, QStringLiteral("center"), 10);
    dialog.exec();
    if (!dialog.gespeichert())
        return; // Abbrechen: the stored widths and the order stay as they were.
    m_katalog.setTabelleNichtSortieren(dialog.tabelleNichtSortieren());
    TabelleAnordnen();
    mnuTabelleAutosize_Click();
}

void Ausgabebox::mnuTabelleAutosize_Click()
{
    vb::HourglassGuard sanduhr;
    m_katalog.setRepositionUnterdruecken(true);
    const QList<int> breiten = m_katalog.inhaltsbreiten(MSFlexGrid1->font(), MSFlexGrid1->horizontalHeader()->font());
    // The fitted widths of the shown columns, by position.
    QHeaderView* kopf = MSFlexGrid1->horizontalHeader();
    for (int pos = 0; pos < m_bild.breite.size() && pos < kopf->count(); ++pos) {
        const int logisch = kopf->logicalIndex(pos);
        if (m_bild.breite.at(pos) > 0 && logisch >= 0 && logisch < breiten.size())
            m_bild.breite[pos] = breiten.at(logisch);
    }
    m_katalog.setRepositionUnterdruecken(false);
    TabelleAnordnen();
}

void Ausgabebox::mnuAllesMarkieren_Click()
{
    MSFlexGrid1->selectAll();
}

void Ausgabebox::mnuAnzahlInterpreten_Click()
{
    // Counted in the database, so the grid keeps showing the records the data control holds.
    const int anzahl = m_katalog.anzahlInterpreten();
    if (anzahl < 0) {
        kit::Fehlermeldung(this, QStringLiteral("Ausgabebox_mnuAnzahlInterpreten_Click"),
                           QStringLiteral("Keine Datenbank geöffnet."), jet::errors::kNotOpen);
        return;
    }
    setPanelText(3, QStringLiteral("Interpreten: ") + QString::number(anzahl));
    kit::MsgFenn(this, QStringLiteral("Es befinden sich ") + QString::number(anzahl)
                           + QStringLiteral(" Interpreten in der Datenbank."),
                 1, 0, QStringLiteral("Anzahl der Interpreten ermitteln"), 1,
                 kit::DialogBackColor, kit::DialogForeColor);
}

// ---------------------------------------------------------------------------------------
// Opening a catalogue and the recent list

void Ausgabebox::mnuOeffnen_Click()
{
    QString pfad;
    if (DirektOeffnen) {
        pfad = DirektPfad;
        DirektOeffnen = false;
    } else {
        const QString start = option(QStringLiteral("ArchivPfad"), ProgrammPfad + LeererKatalog);
        if (dateiDialog) {
            pfad = dateiDialog(start);
        } else {
            QFileDialog dialog(this, QStringLiteral(" Datenbank laden"), ProgrammPfad,
                               QStringLiteral("Datenbank (*.mdb);;alle Dateien (*)"));
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setOption(QFileDialog::ReadOnly, false);
            dialog.selectFile(start);
            if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
                pfad = dialog.selectedFiles().first();
        }
    }
    if (pfad.isEmpty())
        return; // Cancel: nothing changes, nothing is reported.
    datenbankOeffnen(pfad, kit::DateinameAusPfad(pfad));
}

void Ausgabebox::datenbankOeffnen(const QString& gewaehlt, const QString& gewaehlterName)
{
    if (!m_katalog.speichern())
        return; // the edit could not be written: reported, and the catalogue stays
    QString pfad = gewaehlt;
    QString name = gewaehlterName;
    // An old Access catalogue is offered for conversion; its copy opens in its place.
    const kit::JetErgebnis jet =
        kit::jetKatalogAnbieten(this, pfad, QStringLiteral("Ausgabebox_mnuOeffnen_Click"), [&](const QString& kopie) {
            if (option(QStringLiteral("ArchivPfad")) == pfad)
                setOption(QStringLiteral("ArchivPfad"), kopie); // the next start takes the copy
        });
    if (jet.antwort == kit::JetAntwort::Abgebrochen)
        return;
    if (jet.antwort == kit::JetAntwort::Umgewandelt) {
        pfad = jet.pfad;
        name = kit::DateinameAusPfad(pfad);
    }
    vb::HourglassGuard sanduhr;
    const QString vorher = panelText(1);
    imgStop_Click(); // the status "no play" must be true
    setPanelText(1, DatenbankWirdGeladen);
    jet::DbError e;
    if (!m_katalog.wechseln(pfad, &e)) {
        setPanelText(1, vorher);
        if (m_katalog.abgelehnt())
            kit::MsgFenn(this, e.description, 4, 0, QStringLiteral("Ausgabebox_mnuOeffnen_Click"), 1,
                         kit::ErrorBackColor, kit::DialogForeColor);
        else if (e.isError())
            fehler(QStringLiteral("Ausgabebox_mnuOeffnen_Click"), e);
        return;
    }
    setOption(QStringLiteral("Data1RecordSource"), m_katalog.data1().recordSource());
    lblTabellenName->setText(QStringLiteral("alle"));
    setOption(QStringLiteral("TabellenName"), lblTabellenName->text());
    TabelleAnordnen();
    setOption(QStringLiteral("ArchivPfad"), pfad);
    OrdnerMenuPfad(pfad);
    setPanelText(1, name);
    DatenbankPfad = kit::OrdnerAusPfad(pfad);
    CoverAktualisieren();
    // The first record was shown while the folder still named the previous catalogue: its
    // pictures and eBooks are looked up again beside the new one.
    detailDatensatz();
    m_player->setStilAusgeschlossen(false);
}

void Ausgabebox::mnuOrdner_Click(int index)
{
    DirektPfad = m_ordner.value(index);
    if (istNormaleDatei(DirektPfad)) {
        DirektOeffnen = true;
        mnuOeffnen_Click();
        return;
    }
    const QString text = QStringLiteral("Diese Datenbank ist nicht mehr vorhanden bzw. nicht erreichbar!\n")
                         + DirektPfad + QStringLiteral("\n\nSoll der Menüeintrag entfernt werden?");
    const QString antwort = kit::MsgFenn(this, text, 22, 1, QStringLiteral("Datenbank nicht gefunden"), 1,
                                         kit::WarningBackColor, kit::DialogForeColor);
    if (antwort == QLatin1String("Ja")) {
        DirektOeffnen = false;
        m_ordner[index].clear();
        setOption(QStringLiteral("Ordnerpfad%1").arg(index), QString());
        ordnerMenueZeigen();
    } else if (antwort == QLatin1String("Nein")) {
        DirektOeffnen = false;
    }
}

void Ausgabebox::OrdnerMenuPfad(const QString& sa)
{
    m_ordner = ordnerMenuPfad(m_ordner, sa);
    for (int i = 0; i < OrdnerlisteAnzahl; ++i)
        setOption(QStringLiteral("Ordnerpfad%1").arg(i), m_ordner.value(i));
    ordnerMenueZeigen();
}

void Ausgabebox::ordnerMenueZeigen()
{
    for (int i = 0; i < mnuOrdner.size(); ++i) {
        const QString pfad = m_ordner.value(i);
        // A path is shown literally: "&" is no mnemonic here.
        mnuOrdner[i]->setText(QString(pfad).replace(QLatin1Char('&'), QStringLiteral("&&")));
        mnuOrdner[i]->setVisible(!pfad.isEmpty());
    }
}


} // namespace klang::player
