// The main window: its start-up and shutdown, status bar, record change, layout and grid keys.

#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Twips.h"

#include "kit/FormPlatzieren.h"
#include "kit/Helpers.h"
#include "kit/MausRad.h"
#include "kit/umwandlung/JetUmwandlung.h"
#include "kit/MsgFenn.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "player/catalogue/Fensterlayout.h"
#include "player/catalogue/Ordnerliste.h"
#include "player/catalogue/frmSpaltenAnordnen.h"
#include "player/auxiliary/frmInfo.h"
#include "player/catalogue/AusgabeboxSpieler.h"
#include "player/playback/frmWinMediaPlayer.h"
#include "kit/ImageButton.h"
#include "player/playback/Lautsprecherregler.h"
#include "platform/background/Hintergrund.h"
#include "platform/jet/Recordset.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/media/MpvEngine.h"
#include "platform/richtext/Rtf.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/shell/Paths.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <algorithm>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include <limits>

namespace klang::player {

using klang::vb::pixelsToTwips;
using klang::vb::twipsToPixels;

namespace {

// Geometry helpers in twips on a widget (the form's layout arithmetic works in twips).
int twLeft(const QWidget* w) { return pixelsToTwips(w->x()); }
int twTop(const QWidget* w) { return pixelsToTwips(w->y()); }
int twWidth(const QWidget* w) { return pixelsToTwips(w->width()); }
void setTwWidth(QWidget* w, int twips) { w->resize(twipsToPixels(twips), w->height()); }
void setTwHeight(QWidget* w, int twips) { w->resize(w->width(), twipsToPixels(twips)); }
void setTwLeft(QWidget* w, int twips) { w->move(twipsToPixels(twips), w->y()); }
void setTwTop(QWidget* w, int twips) { w->move(w->x(), twipsToPixels(twips)); }

const QString FehlerLaden = QStringLiteral(" Fehler beim Laden der Datenbank!");
const QString DatenbankWirdGeladen = QStringLiteral(" Datenbank wird geladen...");
const QString TitelFest = QStringLiteral("Klangtruhe-Player - Quarzwerk");

} // namespace

Ausgabebox::Ausgabebox(const Kommandozeile& kommando, QWidget* parent)
    : QMainWindow(parent)
    , m_kommando(kommando)
{
    setObjectName(QStringLiteral("Ausgabebox"));
    setWindowTitle(QStringLiteral("Klangtruhe-Player"));
    resize(twipsToPixels(StandardBreiteTwips), twipsToPixels(StandardHoeheTwips));
    m_geraet = std::make_unique<klang::media::MpvEngine>();
    // Pictures and videos under the embedded-player engine play in a window of their own.
    m_videofenster = new frmWinMediaPlayer(this);
    aufbauen();
    spielerVerbinden();
    menuesAufbauen();
    werkzeugleisteAufbauen();
    detailAufbauen();
    felderBinden();
    sucheEinrichten();
    wiedergabeVerbinden();
    listenVerbinden();
    befehleVerbinden();

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    Timer4.setObjectName(QStringLiteral("Timer4"));
    Timer4.setInterval(1000);
    connect(&Timer4, &QTimer::timeout, this, &Ausgabebox::Timer4_Timer);
    TimerSleep.setObjectName(QStringLiteral("TimerSleep"));
    m_sleep = new SleepTimer(this, mnuSleep, TimerSleep, [this](const QString& t) { setPanelText(6, t); }, this);
    connect(mnuSleep, &QAction::triggered, m_sleep, &SleepTimer::mnuSleep_Click);

    connect(&m_katalog, &KatalogController::datensatzGewechselt, this, &Ausgabebox::Data1_Reposition);
    connect(&m_katalog, &KatalogController::schreibfehler, this, &Ausgabebox::schreibfehlerMelden);
    m_katalog.setKonfliktFrage([this](const jet::DbError& e) {
        const QString antwort = kit::MsgFenn(
            this,
            e.description
                + QStringLiteral("\n\nJa: Ihre Änderung speichern; die Änderung des anderen Programms wird "
                                 "überschrieben.\nNein: Ihre Änderung verwerfen und den gespeicherten Datensatz "
                                 "anzeigen.\nExit: Ihre Eingabe bleibt in den Feldern stehen und wird noch nicht "
                                 "gespeichert."),
            32, 3, QStringLiteral("Ausgabebox_Data1_Validate"), 1, kit::WarningBackColor, kit::DialogForeColor);
        if (antwort == QLatin1String("Ja"))
            return jet::ConflictChoice::Overwrite;
        if (antwort == QLatin1String("Nein"))
            return jet::ConflictChoice::Reload;
        return jet::ConflictChoice::Keep;
    });
    connect(&m_katalog, &KatalogController::lesefehler, this, [this](const jet::DbError& e) {
        kit::MsgFenn(this, QStringLiteral("Dieser Datensatz konnte nicht gelesen werden; er wird leer "
                                          "angezeigt und kann nicht geändert werden.\n\n")
                               + e.text(),
                     4, 0, QStringLiteral("Ausgabebox_Data1_Reposition"), 1, kit::ErrorBackColor,
                     kit::DialogForeColor);
    });
    lblNurLesen = new QLabel(this);
    lblNurLesen->setObjectName(QStringLiteral("lblNurLesen"));
    lblNurLesen->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold"));
    lblNurLesen->setVisible(false);
    statusBar()->insertWidget(1, lblNurLesen);
    // A settings file that cannot be written is said once; the program goes on with the values
    // it holds.
    kit::EinstellungsFehlerMelden(this);
    connect(m_katalog.model(), &QAbstractItemModel::modelReset, this, [this] {
        tabellenbildAbgleichen();
        tabellenbildAnwenden();
    });
    // Long catalogue work (opening, sorting, searching a large catalogue) runs off the
    // window's thread; while it lasts, the first panel says what goes on.
    klang::setHintergrundAnzeige([this](bool aktiv, const QString& text) {
        QLabel* panel = m_statusPanels.value(0);
        if (!panel)
            return;
        if (aktiv) {
            if (!m_hintergrundAktiv) {
                m_hintergrundAktiv = true;
                m_panelVorHintergrund = panel->text();
                QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            }
            m_hintergrundText = text;
            panel->setText(text);
        } else if (m_hintergrundAktiv) {
            m_hintergrundAktiv = false;
            if (panel->text() == m_hintergrundText)
                panel->setText(m_panelVorHintergrund);
            QGuiApplication::restoreOverrideCursor();
        }
    });
}

Ausgabebox::~Ausgabebox()
{
    klang::setHintergrundAnzeige({});
    klang::setSettingsSaveFailedHandler({});
    // The controllers go before the child widgets: nothing a dying widget sends may reach
    // them. The grid's model belongs to the catalogue controller.
    MSFlexGrid1->viewport()->removeEventFilter(this);
    MSFlexGrid1->removeEventFilter(this);
    for (QPushButton* b : std::as_const(ButtonAlpabeth))
        b->removeEventFilter(this);
    const QList<QObject*> kinder = findChildren<QObject*>();
    for (QObject* kind : kinder)
        disconnect(kind, nullptr, this, nullptr);
    MSFlexGrid1->setModel(nullptr);
}

void Ausgabebox::felderBinden()
{
    const struct { const char* feld; QLineEdit* edit; } einfach[] = {
        {"Band", TextBand}, {"LPTitel", TextLPTitel}, {"Medium", TextMedium}, {"Stil", TextStil},
        {"Info", TextInfo}, {"Plattenfirma", TextPlattenfirma}, {"BestellNr", TextBestellNr},
        {"Preis", TextPreis}, {"Datum", TextKaufdatum}, {"BildPfad", txtBildpfad},
        {"Musikpfad", TextMusikpfad}, {"eBook", txtEbook}, {"Bewertung", txtBewertung}};
    for (const auto& b : einfach) {
        QLineEdit* edit = b.edit;
        // A field holds whatever the catalogue holds: no length limit cuts a long value.
        edit->setMaxLength(std::numeric_limits<int>::max());
        m_katalog.binden(QLatin1String(b.feld), [edit] { return edit->text(); },
                         [edit](const QString& wert) { edit->setText(wert); });
    }
    // A rich-text pane hands back its RTF only when the user changed it, so an unchanged
    // field is never rewritten.
    const struct { const char* feld; richtext::RichTextBox* box; } reich[] = {
        {"Songs", TextSongs}, {"SongText", txtSongText}, {"InternetTab", rtfLinks},
        {"InfoTab", rtfInfo}, {"SonstigesTab", rtfSonstiges}};
    for (const auto& b : reich) {
        richtext::RichTextBox* box = b.box;
        m_katalog.binden(
            QLatin1String(b.feld),
            [box] { return box->isModified() ? box->rtfText() : box->property("feldwert").toString(); },
            [box](const QString& wert) {
                box->setProperty("feldwert", wert);
                box->setRtfText(wert);
                box->setModified(false);
            });
    }
}

// ---------------------------------------------------------------------------------------
// Start-up

void Ausgabebox::katalogVorladen()
{
    // The same file and view as Form_Load below; if that opens another (an old Access file is
    // converted first, the setting changed meanwhile), these rows are dropped.
    const QString pfad = datenbankPfadAufloesen(option(QStringLiteral("ArchivPfad")), klang::programmPfad()).pfad;
    const QString quelle = option(QStringLiteral("Data1RecordSource"), StandardAbfrage);
    if (istNormaleDatei(pfad) && KatalogController::ansichtErlaubt(quelle))
        jet::Recordset::preload(pfad, quelle, [pfad](const std::atomic_bool& stop) {
            return KatalogController::dateiDurchsehen(pfad, &stop);
        });
}

void Ausgabebox::Form_Load(bool fensterZeigen)
{
    KommandozeileVorhanden = m_kommando.vorhanden;
    m_player->setKommandozeileVorhanden(KommandozeileVorhanden);
    KommandozeileStart = m_kommando.vorhanden;
    ProgrammPfad = klang::programmPfad();
    vb::HourglassGuard sanduhr;
    setPanelText(1, DatenbankWirdGeladen);
    setOption(QStringLiteral("ProgrammName"), QStringLiteral("K l a n g t r u h e   P l a y e r"));
    setOption(QStringLiteral("ErscheinungsJahr"), QStringLiteral("2004"));
    lvwPlaylist->setGeometry(tw(1050, 675, 7440, 5640));
    RegistryLesen();
    // The window shows at once; a large catalogue fills the table when its rows are there.
    if (fensterZeigen && !KommandozeileStart)
        show();

    DatenbankWahl wahl =
        datenbankPfadAufloesen(option(QStringLiteral("ArchivPfad")), ProgrammPfad);
    if (wahl.speichern)
        setOption(QStringLiteral("ArchivPfad"), wahl.pfad);
    // An old Access catalogue is converted once on request; the copy becomes the catalogue
    // of this and every later start.
    bool umwandlungGescheitert = false;
    if (istNormaleDatei(wahl.pfad)) {
        const kit::JetErgebnis jet =
            kit::jetKatalogAnbieten(this, wahl.pfad, QStringLiteral("Ausgabebox_Form_Load"),
                                    [this](const QString& kopie) { setOption(QStringLiteral("ArchivPfad"), kopie); });
        if (jet.antwort == kit::JetAntwort::Umgewandelt)
            wahl.pfad = jet.pfad;
        umwandlungGescheitert = jet.antwort == kit::JetAntwort::Abgebrochen;
    }
    DatenbankPfad = kit::OrdnerAusPfad(wahl.pfad);
    const QString gespeichert = option(QStringLiteral("ArchivPfad"));
    if (!gespeichert.isEmpty() && wahl.pfad != gespeichert) {
        // The stored catalogue has gone: said once, before the empty one takes its place.
        kit::MsgFenn(this,
                     QStringLiteral("Die zuletzt benutzte Datenbank ist nicht mehr vorhanden bzw. nicht "
                                    "erreichbar:\n")
                         + gespeichert + QStringLiteral("\n\nStattdessen wird diese Datenbank geöffnet:\n")
                         + wahl.pfad,
                     3, 0, QStringLiteral("Datenbank nicht gefunden"), 1, kit::WarningBackColor,
                     kit::DialogForeColor);
    }
    if (umwandlungGescheitert) {
        setPanelText(1, FehlerLaden); // already reported: the Access file is not opened
    } else if (istNormaleDatei(wahl.pfad)) {
        jet::DbError e;
        const QString quelle = option(QStringLiteral("Data1RecordSource"), StandardAbfrage);
        if (m_katalog.starten(wahl.pfad, quelle, &e)) {
            TabelleAnordnen();
            setPanelText(1, kit::DateinameAusPfad(wahl.pfad));
            if (m_katalog.ansichtZurueckgesetzt()) {
                // The stored view was no select over the catalogue (or did not run).
                setOption(QStringLiteral("Data1RecordSource"), StandardAbfrage);
                setOption(QStringLiteral("TabellenName"), QStringLiteral("alle"));
            }
            lblTabellenName->setText(option(QStringLiteral("TabellenName"), QStringLiteral("alle")));
        } else {
            // The window still opens; the rest of start-up does not depend on the catalogue.
            setPanelText(1, FehlerLaden);
            if (m_katalog.abgelehnt())
                kit::MsgFenn(this, e.description, 4, 0, QStringLiteral("Ausgabebox_Form_Load"), 1,
                             kit::ErrorBackColor, kit::DialogForeColor);
            else
                fehler(QStringLiteral("Ausgabebox_Form_Load"), e);
        }
    }

    schreibschutzZeigen(); // also when no catalogue could be opened

    for (const QString& ordner : {QStringLiteral("Bilder"), QStringLiteral("Leer"), QStringLiteral("Playlist")})
        QDir().mkpath(ProgrammPfad + ordner);
    CoverAktualisieren();
    AbspielausschlusslisteLaden();
    BandAbspielausschlusslisteLaden();
    TontraegerZufaelligAufrufen();
    BezLaden();
    // The panels run from the start; the mini player switches them off while it is shown.
    Timer4.start();
    if (KommandozeileStart) {
        chkShuffle->setChecked(true);
        imgStart_Click();
        imgMiniPlayer_Click();
    }
    m_cpuLast.setStackSize(10);
    filPlaylist->clear();
    filPlaylist->addItems(musikDateien(ProgrammPfad + QStringLiteral("Playlist/")));
    tabTexte->setCurrentIndex(0);
    ListenHoeheSetzen(filTrack, 15);
    tabellenZeileSetzen();
    m_geladen = true;
    Form_Resize();
}

void Ausgabebox::RegistryLesen()
{
    // 1. Normal geometry first, then the state; a position on no screen moves onto one.
    const Fenstergeometrie g = geometrieLesen();
    QRect rect(twipsToPixels(g.left), twipsToPixels(g.top), twipsToPixels(g.width), twipsToPixels(g.height));
    // The screens less the window's frame: the inner rectangle on them puts the frame on a screen.
    const QMargins rahmen = kit::fensterRahmen(this);
    QList<QRect> bildschirme;
    for (const QRect& s : kit::verfuegbareBildschirme())
        bildschirme << s.marginsRemoved(rahmen);
    rect = hauptfensterLage(rect, bildschirme);
    move(rect.topLeft() - QPoint(rahmen.left(), rahmen.top()));
    resize(rect.size());
    if (g.state == 2)
        setWindowState(Qt::WindowMaximized);
    else if (g.state == 1)
        setWindowState(Qt::WindowMinimized);

    // 2. Shuffle counter; a damaged value ("1e300") must not overflow the count.
    m_player->setShuffleZaehler(static_cast<int>(vb::roundHalfEven(qBound(
        0.0, vb::Val(option(QStringLiteral("ShuffleSongProCD"), QStringLiteral("1"))), 32767.0))));
    // 3./5. Check marks (values compare case-sensitively).
    mnuLaufschrift->setChecked(option(QStringLiteral("Laufschrift"), QStringLiteral("ein")) == QLatin1String("ein"));
    mnuMiniPlayerOnTop->setChecked(option(QStringLiteral("MiniPlayerOnTop"), QStringLiteral("True")) == QLatin1String("True"));
    mnuBildDatenbankpfad->setChecked(option(QStringLiteral("BildLadePfad"), QStringLiteral("True")) == QLatin1String("True"));
    mnuWinPlayerVerwenden->setChecked(option(QStringLiteral("WinMediaPlayer"), QStringLiteral("True")) == QLatin1String("True"));
    m_player->setWinPlayerVerwenden(mnuWinPlayerVerwenden->isChecked());
    m_player->setLaufschrift(mnuLaufschrift->isChecked());
    // 4. chkBildpfad: a missing or non-numeric value leaves the box unticked.
    chkBildpfad->setChecked(zahlOder(option(QStringLiteral("HäkchenBildpfad")), 0) != 0);
    if (!chkBildpfad->isChecked()) {
        // The stored cover instead of the external pictures.
        cboBildpfad->setEnabled(false);
        imgBildpfad->setVisible(false);
        Bild1->setVisible(true);
    }
    // 6.
    chkVisualisierung->setChecked(option(QStringLiteral("WinMediaPlayerVisualisierung"), QStringLiteral("1")) == QLatin1String("1"));
    chkTabelle->setChecked(option(QStringLiteral("TopRow"), QStringLiteral("0")) == QLatin1String("1"));
    // 7. Column set: widths by position; the set itself applies once the catalogue is open.
    m_katalog.breitenLesen();
    m_katalog.setTabelleNichtSortieren(zahlOder(option(QStringLiteral("TableNotSort"), QStringLiteral("0")), 0) == 1);
    // 8. Volume program.
    mnuStartLautregler->setChecked(option(QStringLiteral("Lautsprecherregler"), QStringLiteral("False")) == QLatin1String("True"));
    if (mnuStartLautregler->isChecked())
        imgLautsprecherregler_Click();
    // 9. Program font.
    QFont schrift = TextBand->font();
    schrift.setFamily(option(QStringLiteral("ProgSchriftName"), QStringLiteral("Segoe UI")));
    const double groesse = schriftGroesse(option(QStringLiteral("ProgSchriftSize"), QStringLiteral("8")));
    if (groesse > 0)
        schrift.setPointSizeF(groesse);
    programmSchrift(schrift);
    // 10. Recent databases.
    m_ordner.clear();
    for (int i = 0; i < OrdnerlisteAnzahl; ++i)
        m_ordner << option(QStringLiteral("Ordnerpfad%1").arg(i));
    ordnerMenueZeigen();
}

void Ausgabebox::programmSchrift(const QFont& schrift)
{
    TextBand->setFont(schrift);
    const QFont f = TextBand->font();
    for (QWidget* w : std::initializer_list<QWidget*>{filPlaylist, TextKaufdatum, TextLPTitel, TextPreis,
                                                     TextMedium, TextPlattenfirma, TextBestellNr,
                                                     TextInfo, TextStil, TextSongs, TextMusikpfad,
                                                     cboBildpfad, MSFlexGrid1, lvwPlaylist})
        w->setFont(f);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(QFontMetrics(f).height() + 4);
}

void Ausgabebox::BezLaden()
{
    vb::HourglassGuard sanduhr;
    const QMap<int, QString> texte = bezLaden(DatenbankPfad + QStringLiteral("Bez.ini"));
    for (auto it = texte.cbegin(); it != texte.cend(); ++it) {
        if (QLabel* l = Bez.value(it.key()))
            l->setText(QString(it.value()).replace(QStringLiteral("&&"), QStringLiteral("&")));
    }
}

QString Ausgabebox::bez(int index) const
{
    QLabel* l = Bez.value(index);
    return l ? l->text() : QString();
}

void Ausgabebox::tabellenZeileSetzen()
{
    // The letter row and the grid start below the text tabs and the 15-row track list,
    // whatever height the program font gives the list.
    const int unten = std::max(tabTexte->geometry().bottom(), filTrack->geometry().bottom()) + 1;
    const int zeile = std::max(unten + 4, twipsToPixels(6450));
    const int versatz = zeile - ButtonAlpabeth[0]->y();
    if (versatz == 0)
        return;
    for (QWidget* w : std::initializer_list<QWidget*>{chkTabelle, cmdABC, lblTabellenName, Data1})
        w->move(w->x(), w->y() + versatz);
    for (QPushButton* b : std::as_const(ButtonAlpabeth))
        b->move(b->x(), b->y() + versatz);
    MSFlexGrid1->move(MSFlexGrid1->x(), MSFlexGrid1->y() + versatz);
}

void Ausgabebox::ListenHoeheSetzen(QListWidget* liste, int zeilen)
{
    // The entry height of the list's font, measured on a probe entry when the list is empty.
    liste->setUniformItemSizes(true);
    QListWidgetItem* probe = nullptr;
    if (liste->count() == 0) {
        probe = new QListWidgetItem(QStringLiteral("Xg"));
        liste->addItem(probe);
    }
    int zeile = liste->sizeHintForRow(0);
    delete probe;
    if (zeile <= 0)
        zeile = QFontMetrics(liste->font()).height() + 2;
    liste->resize(liste->width(), zeile * zeilen + 2 * liste->frameWidth());
}

// ---------------------------------------------------------------------------------------
// Shutdown

void Ausgabebox::MenuBeenden_Click()
{
    close();
}

void Ausgabebox::closeEvent(QCloseEvent* event)
{
    if (!m_entladen) {
        // An edit that cannot be written is said once, and the user may stay to keep it.
        jet::DbError grund;
        m_schreibfehlerStumm = true;
        const auto verbindung = connect(&m_katalog, &KatalogController::schreibfehler, this,
                                        [&grund](const jet::DbError& e) { grund = e; });
        const bool gespeichert = m_katalog.speichern();
        disconnect(verbindung);
        if (!gespeichert) {
            const QString antwort = kit::MsgFenn(
                this,
                QStringLiteral("Die Änderung am Datensatz kann nicht gespeichert werden:\n")
                    + grund.text()
                    + QStringLiteral("\n\nProgramm trotzdem beenden? Die Änderung geht dabei verloren."),
                24, 2, QStringLiteral("Ausgabebox_Form_Unload"), 1, kit::ErrorBackColor, kit::DialogForeColor);
            if (antwort != QLatin1String("Ja")) {
                m_schreibfehlerStumm = false;
                event->ignore();
                return;
            }
            m_katalog.bearbeitungVerwerfen();
        }
    }
    // A mini player that was opened goes first: it stops playback and keeps its place.
    if (m_miniPlayer)
        m_miniPlayer->entladen();
    Form_Unload();
    event->accept();
    kit::MausradAushaengen(this);
    kit::AlleFormsEntladen();
}

void Ausgabebox::Form_Unload()
{
    if (m_entladen)
        return;
    m_entladen = true;
    // Nothing the user typed is lost: the current row's edits go in first.
    m_katalog.speichern();
    geometrieSpeichern();
    setOption(QStringLiteral("HäkchenBildpfad"), chkBildpfad->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void Ausgabebox::geometrieSpeichern()
{
    if (isMinimized()) {
        // The last normal values stay.
    } else if (isMaximized()) {
        setOption(QStringLiteral("WindowState"), QStringLiteral("2"));
    } else {
        setOption(QStringLiteral("WindowState"), QStringLiteral("0"));
        setOption(QStringLiteral("AusgabeboxLeft"), QString::number(pixelsToTwips(x())));
        setOption(QStringLiteral("AusgabeboxTop"), QString::number(pixelsToTwips(y())));
        setOption(QStringLiteral("AusgabeboxWidth"), QString::number(pixelsToTwips(width())));
        setOption(QStringLiteral("AusgabeboxHeight"), QString::number(pixelsToTwips(height())));
    }
    m_katalog.breitenSpeichern(spaltenbreitenNachPosition());
}

// ---------------------------------------------------------------------------------------
// Status bar

QString Ausgabebox::panelText(int panel) const
{
    QLabel* l = m_statusPanels.value(panel - 1);
    return l ? l->text() : QString();
}

void Ausgabebox::setPanelText(int panel, const QString& text)
{
    if (QLabel* l = m_statusPanels.value(panel - 1))
        l->setText(text);
}

void Ausgabebox::fehler(const QString& titel, const jet::DbError& e)
{
    kit::Fehlermeldung(this, titel, e.description, e.number);
}

void Ausgabebox::schreibfehlerMelden(const jet::DbError& e)
{
    // One user action may try the write several times (validate, move, refresh): one report.
    // A conflict was asked about already.
    if (m_schreibfehlerStumm || m_schreibfehlerGemeldet || e.number == jet::errors::kConflict)
        return;
    m_schreibfehlerGemeldet = true;
    QTimer::singleShot(0, this, [this] { m_schreibfehlerGemeldet = false; });
    const QString antwort = kit::MsgFenn(
        this,
        QStringLiteral("Die Änderung am Datensatz konnte nicht gespeichert werden:\n") + e.text()
            + QStringLiteral("\n\nDie Eingabe bleibt in den Feldern stehen. Änderung verwerfen?"),
        24, 2, QStringLiteral("Ausgabebox_Data1_Validate"), 1, kit::ErrorBackColor, kit::DialogForeColor);
    if (antwort == QLatin1String("Ja"))
        m_katalog.bearbeitungVerwerfen();
}

void Ausgabebox::schreibschutzZeigen()
{
    const bool datensatz = m_katalog.data1().absolutePosition() >= 0;
    const QString grund = m_katalog.schreibschutz();
    const bool nurLesen = !datensatz || !grund.isEmpty();
    for (QLineEdit* feld : {TextBand, TextLPTitel, TextMedium, TextStil, TextInfo, TextPlattenfirma,
                            TextBestellNr, TextPreis, TextKaufdatum, TextMusikpfad, txtBildpfad, txtEbook,
                            txtBewertung})
        feld->setReadOnly(nurLesen);
    for (QTextEdit* feld : std::initializer_list<QTextEdit*>{TextSongs, txtSongText, rtfLinks, rtfInfo, rtfSonstiges})
        feld->setReadOnly(nurLesen);
    lblNurLesen->setText(grund);
    lblNurLesen->setToolTip(grund);
    lblNurLesen->setVisible(!grund.isEmpty());
}

// ---------------------------------------------------------------------------------------
// Record change

void Ausgabebox::Data1_Reposition()
{
    // Without a current record, or in a catalogue that cannot be written, nothing may be typed
    // that could not be kept.
    schreibschutzZeigen();
    trackListeFuellen();
    detailDatensatz();
    AnzahlTontraeger();
    zeileMarkieren(m_katalog.data1().absolutePosition());
    TabelleAnordnen();
}

void Ausgabebox::zeileMarkieren(int zeile)
{
    if (zeile < 0 || zeile >= m_katalog.model()->rowCount())
        return;
    const QModelIndex jetzt = MSFlexGrid1->currentIndex();
    if (jetzt.isValid() && jetzt.row() == zeile)
        return;
    m_zeileWirdGesetzt = true;
    const int spalte = jetzt.isValid() ? jetzt.column() : MSFlexGrid1->horizontalHeader()->logicalIndex(0);
    MSFlexGrid1->setCurrentIndex(m_katalog.model()->index(zeile, qMax(0, spalte)));
    m_zeileWirdGesetzt = false;
}

void Ausgabebox::trackListeFuellen()
{
    const TrackListe t = trackListeFuer(TextMusikpfad->text(), ProgrammPfad);
    filTrack->clear();
    filTrack->setProperty("path", t.ordner);
    filTrack->addItems(t.dateien);
    filTrack->setEnabled(t.aktiv);
    if (t.aktiv && filTrack->count() > 0)
        filTrack->setCurrentRow(0);
    m_player->onTrackListChanged();
    if (t.labelAendern)
        Bez[12]->setText(t.label);
}

void Ausgabebox::AnzahlTontraeger()
{
    setPanelText(3, m_katalog.anzahlText());
}

// ---------------------------------------------------------------------------------------
// Layout

void Ausgabebox::cmdTextBig_Click()
{
    setTwTop(TextSongs, 3735);
    setTwHeight(TextSongs, 1790);
    setTwTop(cmdTextBig, 3480);
    setTwTop(cmdTextSmall, 3480);
    setTwTop(Bez[3], 3480);
    Bez[0]->setVisible(true);
    Bez[1]->setVisible(true);
    Bez[7]->setVisible(true);
}

void Ausgabebox::cmdTextSmall_Click()
{
    setTwTop(TextSongs, 660);
    setTwHeight(TextSongs, 4860);
    setTwTop(cmdTextBig, 405);
    setTwTop(cmdTextSmall, 405);
    setTwTop(Bez[3], 405);
    Bez[0]->setVisible(false);
    // The caption "Songs" takes the place of "Titel" on that line: both drawn would overlap.
    Bez[1]->setVisible(false);
    Bez[7]->setVisible(false);
    TextSongs->raise();
    cmdTextBig->raise();
    cmdTextSmall->raise();
    Bez[3]->raise();
}

void Ausgabebox::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Ausgabebox::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
    else if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            kit::MausradEinhaengen(this);
        else
            kit::MausradAushaengen(this);
    }
}

void Ausgabebox::Form_Resize()
{
    if (!centralWidget())
        return;
    const bool minimiert = isMinimized();
    const int sw = minimiert ? 0 : pixelsToTwips(centralWidget()->width());
    const int sh = minimiert ? 0 : pixelsToTwips(centralWidget()->height());

    auto breite = [](QWidget* w, int berechnet) {
        if (berechnet >= 0)
            setTwWidth(w, berechnet);
    };
    auto hoehe = [](QWidget* w, int berechnet) {
        if (berechnet >= 0)
            setTwHeight(w, berechnet);
    };
    if (!minimiert) {
        hoehe(MSFlexGrid1, sh - twTop(MSFlexGrid1));
        breite(MSFlexGrid1, sw - twLeft(MSFlexGrid1) - 100);
        breite(lblGradiant0, sw - twLeft(lblGradiant0) - twWidth(cmdPlayAsso));
        setTwLeft(cmdPlayAsso, sw - twWidth(cmdPlayAsso));
        if (cmdInfoTrack)
            setTwLeft(cmdInfoTrack, sw - twWidth(cmdPlayAsso) - twWidth(cmdInfoTrack));
        breite(filTrack, sw - twLeft(filTrack) - 100);
        breite(txtSuchen, twWidth(filTrack));
        setTwLeft(fraSternTrack, twLeft(filTrack) + twWidth(filTrack) - twWidth(fraSternTrack));
        fraSternTrack->setVisible(twWidth(filTrack) + 20 >= twWidth(fraSternTrack));
        breite(txtSongText, sw - twLeft(txtSongText) - 1700);
        hoehe(txtSongText, sh - twTop(txtSongText) - 620);
    }
    if (mnuLaufschrift->isChecked() && panelText(2).contains(QStringLiteral("playing:"))) {
        if (minimiert) {
            Timer2.start();
        } else {
            Timer2.stop();
            setWindowTitle(TitelFest);
        }
    }
    // Cover strip: as many slots as fit; the first cover stays.
    if (!minimiert)
        detailStreifenHoehe(sh);
}

// ---------------------------------------------------------------------------------------
// Grid mouse and keys

bool Ausgabebox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MSFlexGrid1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::RightButton) {
                MenuBearbeiten->exec(me->globalPosition().toPoint());
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            trackListeFuellen();
        }
    } else if (watched == MSFlexGrid1 && event->type() == QEvent::FocusIn) {
        LetzterFokus = QStringLiteral("MSFlexGrid1");
    } else if (auto* knopf = qobject_cast<QPushButton*>(watched);
               knopf && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        const int index = int(ButtonAlpabeth.indexOf(knopf));
        auto* me = static_cast<QMouseEvent*>(event);
        if (index >= 0 && me->button() != Qt::LeftButton) {
            if (event->type() == QEvent::MouseButtonPress && me->button() == Qt::RightButton) {
                // The column menu takes the release; the button applies once it has closed.
                mnuSpaltenkopf->exec(me->globalPosition().toPoint());
                ButtonAlpabeth_MouseUp(index);
            } else if (event->type() == QEvent::MouseButtonRelease && me->button() != Qt::RightButton
                       && knopf->rect().contains(me->position().toPoint())) {
                ButtonAlpabeth_MouseUp(index);
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace klang::player
