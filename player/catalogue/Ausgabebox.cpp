#include "player/catalogue/Ausgabebox.h"

#include "kit/FormPlatzieren.h"
#include "kit/Helpers.h"
#include "kit/MausRad.h"
#include "kit/MsgFenn.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "player/catalogue/Fensterlayout.h"
#include "player/catalogue/Ordnerliste.h"
#include "player/catalogue/frmSpaltenAnordnen.h"
#include "player/playback/Ausschlusslisten.h"
#include "platform/richtext/Rtf.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Shell.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
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
#include <QWindowStateChangeEvent>

namespace klang::player {

using klang::vb::pixelsToTwips;
using klang::vb::twipsToPixels;

namespace {

QRect tw(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

template<typename W>
W* erzeugen(QWidget* parent, const QString& name, const QRect& r)
{
    auto* w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(r);
    return w;
}

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
    resize(twipsToPixels(15225), twipsToPixels(10725));
    aufbauen();
    menuesAufbauen();
    werkzeugleisteAufbauen();
    felderBinden();

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer2.setInterval(500);
    Timer4.setObjectName(QStringLiteral("Timer4"));
    Timer4.setInterval(1000);
    TimerSleep.setObjectName(QStringLiteral("TimerSleep"));
    TimerSleep.setInterval(5000);

    connect(&m_katalog, &KatalogController::datensatzGewechselt, this, &Ausgabebox::Data1_Reposition);
    connect(&m_katalog, &KatalogController::schreibfehler, this, [this](const QString& meldung) {
        kit::Fehlermeldung(this, QStringLiteral("Ausgabebox_Data1_Validate"), meldung);
    });
    connect(m_katalog.model(), &QAbstractItemModel::modelReset, this, [this] {
        tabellenbildAbgleichen();
        tabellenbildAnwenden();
    });
}

Ausgabebox::~Ausgabebox()
{
    // The grid's model belongs to the controller, which goes after the widgets.
    if (MSFlexGrid1)
        MSFlexGrid1->setModel(nullptr);
}

// ---------------------------------------------------------------------------------------
// Widget tree

void Ausgabebox::aufbauen()
{
    auto* zentral = new QWidget(this);
    zentral->setObjectName(QStringLiteral("zentral"));
    setCentralWidget(zentral);

    for (int k = 0; k < CoverSlots; ++k) {
        auto* cover = erzeugen<QLabel>(zentral, QStringLiteral("imgCover_%1").arg(k),
                                       tw(60, 60 + k * 970, 900, 900));
        cover->setScaledContents(true);
        cover->setVisible(false);
        imgCover << cover;
    }

    tabTexte = erzeugen<QTabWidget>(zentral, QStringLiteral("tabTexte"), tw(1050, 60, 7500, 6300));
    auto* daten = new QWidget;
    daten->setObjectName(QStringLiteral("tabDaten"));
    tabTexte->addTab(daten, QStringLiteral("Daten"));

    Bez.resize(14);
    const struct { int index; int left; int top; int width; } labels[] = {
        {0, 60, 90, 1000}, {1, 60, 420, 1000}, {2, 60, 750, 1000}, {6, 3500, 750, 1100},
        {4, 60, 1080, 1000}, {9, 60, 1410, 1000}, {8, 3500, 1410, 1100}, {5, 60, 1740, 1000},
        {7, 3500, 1740, 1100}, {10, 60, 2070, 1000}, {11, 60, 2400, 2000}, {13, 60, 2730, 2000},
        {3, 60, 3480, 1000}};
    for (const auto& l : labels) {
        Bez[l.index] = erzeugen<QLabel>(daten, QStringLiteral("Bez_%1").arg(l.index),
                                        tw(l.left, l.top, l.width, 255));
        Bez[l.index]->setText(standardBez(l.index));
    }
    auto feld = [&](const char* name, int left, int top, int width) {
        return erzeugen<QLineEdit>(daten, QLatin1String(name), tw(left, top, width, 285));
    };
    TextBand = feld("TextBand", 1100, 60, 6200);
    TextLPTitel = feld("TextLPTitel", 1100, 390, 6200);
    TextMedium = feld("TextMedium", 1100, 720, 2300);
    TextStil = feld("TextStil", 4650, 720, 2650);
    TextInfo = feld("TextInfo", 1100, 1050, 6200);
    TextPlattenfirma = feld("TextPlattenfirma", 1100, 1380, 2300);
    TextBestellNr = feld("TextBestellNr", 4650, 1380, 2650);
    TextPreis = feld("TextPreis", 1100, 1710, 2300);
    TextKaufdatum = feld("TextKaufdatum", 4650, 1710, 2650);
    TextMusikpfad = feld("TextMusikpfad", 1100, 2040, 6200);
    cboEbook = erzeugen<QComboBox>(daten, QStringLiteral("cboEbook"), tw(2100, 2370, 5200, 300));
    txtBildpfad = feld("txtBildpfad", 0, 0, 100);
    txtBildpfad->setVisible(false);
    txtEbook = feld("txtEbook", 0, 0, 100);
    txtEbook->setVisible(false);
    txtBewertung = feld("txtBewertung", 0, 0, 100);
    txtBewertung->setVisible(false);
    cmdTextSmall = erzeugen<QPushButton>(daten, QStringLiteral("cmdTextSmall"), tw(5900, 3480, 600, 240));
    cmdTextSmall->setText(QStringLiteral("+"));
    cmdTextSmall->setToolTip(QStringLiteral(" Textfeld vergrößern "));
    cmdTextBig = erzeugen<QPushButton>(daten, QStringLiteral("cmdTextBig"), tw(6550, 3480, 600, 240));
    cmdTextBig->setText(QStringLiteral("-"));
    cmdTextBig->setToolTip(QStringLiteral(" Textfeld verkleinern "));
    TextSongs = erzeugen<richtext::RichTextBox>(daten, QStringLiteral("TextSongs"), tw(60, 3735, 7250, 1790));
    connect(cmdTextBig, &QPushButton::clicked, this, &Ausgabebox::cmdTextBig_Click);
    connect(cmdTextSmall, &QPushButton::clicked, this, &Ausgabebox::cmdTextSmall_Click);

    rtfLinks = new richtext::RichTextBox;
    rtfLinks->setObjectName(QStringLiteral("rtfLinks"));
    tabTexte->addTab(rtfLinks, QStringLiteral("Internet"));
    rtfInfo = new richtext::RichTextBox;
    rtfInfo->setObjectName(QStringLiteral("rtfInfo"));
    tabTexte->addTab(rtfInfo, QStringLiteral("Info"));
    rtfSonstiges = new richtext::RichTextBox;
    rtfSonstiges->setObjectName(QStringLiteral("rtfSonstiges"));
    tabTexte->addTab(rtfSonstiges, QStringLiteral("Sonstiges"));
    filPlaylist = new QListWidget;
    filPlaylist->setObjectName(QStringLiteral("filPlaylist"));
    tabTexte->addTab(filPlaylist, QStringLiteral("Playlists"));
    connect(tabTexte, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1)
            rtfLinks->setFocus();
        else if (index == 2)
            rtfInfo->setFocus();
        else if (index == 3)
            rtfSonstiges->setFocus();
        else if (index == 4) {
            filPlaylist->clear();
            filPlaylist->addItems(musikDateien(ProgrammPfad + QStringLiteral("Playlist/")));
        }
    });

    lvwPlaylist = erzeugen<QTreeWidget>(zentral, QStringLiteral("lvwPlaylist"), tw(1050, 675, 7440, 5640));
    lvwPlaylist->setColumnCount(3);
    lvwPlaylist->setHeaderLabels({QStringLiteral("Playlist"), QString(), QString()});
    lvwPlaylist->setVisible(false);

    lblGradiant0 = erzeugen<QLabel>(zentral, QStringLiteral("lblGradiant_0"), tw(8700, 60, 5000, 285));
    cmdPlayAsso = erzeugen<QPushButton>(zentral, QStringLiteral("cmdPlayAsso"), tw(13800, 60, 1200, 285));
    cmdPlayAsso->setText(QStringLiteral("Abspielen"));

    Bild1 = erzeugen<QLabel>(zentral, QStringLiteral("Bild1"), tw(8700, 405, 2100, 2100));
    Bild1->setScaledContents(true);
    Bild1->setToolTip(QStringLiteral(" vergrößern "));
    Bild1->setFrameShape(QFrame::Box);
    imgBildpfad = erzeugen<QLabel>(zentral, QStringLiteral("imgBildpfad"), tw(8700, 405, 2100, 2100));
    imgBildpfad->setScaledContents(true);
    imgBildpfad->setVisible(false);
    picCoverGreat = erzeugen<QLabel>(zentral, QStringLiteral("picCoverGreat"), tw(8700, 405, 4000, 4000));
    picCoverGreat->setVisible(false);

    auto knopf = [&](const char* name, int left, const QString& tip) {
        auto* b = erzeugen<QToolButton>(zentral, QLatin1String(name), tw(left, 405, 450, 450));
        b->setToolTip(tip);
        return b;
    };
    imgStart = knopf("imgStart", 10900, QStringLiteral(" Start "));
    imgStart->setText(QStringLiteral("▶"));
    imgStop = knopf("imgStop", 11400, QStringLiteral(" Stop "));
    imgStop->setText(QStringLiteral("■"));
    imgMiniPlayer = knopf("imgMiniPlayer", 11900, QStringLiteral(" Miniplayer "));
    imgMiniPlayer->setText(QStringLiteral("▭"));
    imgLautsprecherregler = knopf("imgLautsprecherregler", 12400, QStringLiteral(" Lautstärke "));
    imgLautsprecherregler->setText(QStringLiteral("♪"));
    connect(imgStart, &QToolButton::clicked, this, &Ausgabebox::imgStart_Click);
    connect(imgStop, &QToolButton::clicked, this, &Ausgabebox::imgStop_Click);
    connect(imgMiniPlayer, &QToolButton::clicked, this, &Ausgabebox::imgMiniPlayer_Click);
    connect(imgLautsprecherregler, &QToolButton::clicked, this, &Ausgabebox::imgLautsprecherregler_Click);

    auto box = [&](const char* name, int left, int top, const QString& text) {
        auto* c = erzeugen<QCheckBox>(zentral, QLatin1String(name), tw(left, top, 1900, 255));
        c->setText(text);
        return c;
    };
    chkAlleTracks = box("chkAlleTracks", 10900, 930, QStringLiteral("alle Tracks"));
    chkMarkTracks = box("chkMarkTracks", 10900, 1185, QStringLiteral("markierte Tracks"));
    chkTracksAnspielen = box("chkTracksAnspielen", 10900, 1440, QStringLiteral("anspielen"));
    chkTracksZufaellig = box("chkTracksZufaellig", 10900, 1695, QStringLiteral("Zufall"));
    chkShuffle = box("chkShuffle", 12850, 930, QStringLiteral("Shuffle"));
    chkRepeat = box("chkRepeat", 12850, 1185, QStringLiteral("Repeat"));
    chkVollbild = box("chkVollbild", 12850, 1440, QStringLiteral("Vollbild"));
    chkVisualisierung = box("chkVisualisierung", 12850, 1695, QStringLiteral("Visualisierung"));
    connect(chkVisualisierung, &QCheckBox::toggled, this, [](bool ein) {
        setOption(QStringLiteral("WinMediaPlayerVisualisierung"), ein ? QStringLiteral("1") : QStringLiteral("0"));
    });
    chkBildpfad = box("chkBildpfad", 10900, 1980, QStringLiteral("Bildpfad"));
    cboBildpfad = erzeugen<QComboBox>(zentral, QStringLiteral("cboBildpfad"), tw(10900, 2250, 3700, 300));

    Bez[12] = erzeugen<QLabel>(zentral, QStringLiteral("Bez_12"), tw(8700, 2580, 2400, 255));
    Bez[12]->setText(QStringLiteral("Tracks & Movies"));
    fraSternTrack = erzeugen<QWidget>(zentral, QStringLiteral("fraSternTrack"), tw(12500, 2560, 1500, 285));
    filTrack = erzeugen<QListWidget>(zentral, QStringLiteral("filTrack"), tw(8700, 2850, 6200, 3300));
    filTrack->setSelectionMode(QAbstractItemView::ExtendedSelection);
    filTrack->setEnabled(false);
    connect(filTrack, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && !m_spieler.PlaylistModus)
            m_spieler.AktuellerTrack = row;
    });
    txtSuchen = erzeugen<QLineEdit>(zentral, QStringLiteral("txtSuchen"), tw(8700, 6450, 6200, 285));
    txtSongText = erzeugen<richtext::RichTextBox>(zentral, QStringLiteral("txtSongText"), tw(8700, 405, 5000, 5000));
    txtSongText->setVisible(false);

    ButtonAlpabeth.resize(32);
    for (int i = 0; i < 32; ++i) {
        const QString caption = i < 26 ? QString(QChar(u'A' + i)) : QString::number(i - 25);
        auto* b = erzeugen<QPushButton>(zentral, QStringLiteral("ButtonAlpabeth_%1").arg(i),
                                        tw(1050 + i * 300, 6450, 300, 300));
        b->setText(caption);
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(b, &QPushButton::clicked, this, [this, i] { ButtonAlpabeth_MouseUp(i); });
        connect(b, &QPushButton::customContextMenuRequested, this, [this, b](const QPoint& p) {
            mnuSpaltenkopf->exec(b->mapToGlobal(p));
        });
        ButtonAlpabeth[i] = b;
    }
    chkTabelle = erzeugen<QCheckBox>(zentral, QStringLiteral("chkTabelle"), tw(10750, 6480, 700, 255));
    chkTabelle->setText(QStringLiteral("A-Z"));
    chkTabelle->setToolTip(QStringLiteral(" Für jeden Buchstaben A-Z, eine eigene Tabelle anzeigen "));
    connect(chkTabelle, &QCheckBox::toggled, this, &Ausgabebox::chkTabelle_Click);
    cmdABC = erzeugen<QPushButton>(zentral, QStringLiteral("cmdABC"), tw(11500, 6450, 600, 300));
    cmdABC->setText(QStringLiteral("abc"));
    connect(cmdABC, &QPushButton::clicked, this, &Ausgabebox::MenuAktualisieren_Click);
    lblTabellenName = erzeugen<QLabel>(zentral, QStringLiteral("lblTabellenName"), tw(12200, 6480, 2700, 255));
    lblTabellenName->setText(QStringLiteral("Tabelle"));

    MSFlexGrid1 = erzeugen<QTableView>(zentral, QStringLiteral("MSFlexGrid1"), tw(1050, 6800, 13900, 2500));
    MSFlexGrid1->setModel(m_katalog.model());
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setWordWrap(false);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(MSFlexGrid1->fontMetrics().height() + 4);
    MSFlexGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->horizontalHeader()->setHighlightSections(false);
    MSFlexGrid1->horizontalHeader()->setSectionsMovable(false);
    MSFlexGrid1->horizontalHeader()->setSortIndicatorShown(false);
    MSFlexGrid1->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    MSFlexGrid1->viewport()->installEventFilter(this);
    MSFlexGrid1->installEventFilter(this);
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logical) {
        if (QGuiApplication::mouseButtons() & Qt::RightButton)
            return;
        const QString feld = m_katalog.model()->fieldOfColumn(logical);
        vb::HourglassGuard sanduhr;
        m_katalog.sortieren(feld);
    });
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& p) { MenuBearbeiten->exec(MSFlexGrid1->horizontalHeader()->mapToGlobal(p)); });
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int neu) {
                if (m_bildWirdAngewendet)
                    return;
                const int pos = MSFlexGrid1->horizontalHeader()->visualIndex(logical);
                if (pos >= 0 && pos < m_bild.breite.size())
                    m_bild.breite[pos] = pixelsToTwips(neu);
            });
    connect(MSFlexGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& aktuell) {
                if (m_zeileWirdGesetzt || !aktuell.isValid())
                    return;
                m_katalog.zeileGewaehlt(aktuell.row());
            });

    lblTemp = erzeugen<QLabel>(zentral, QStringLiteral("lblTemp"), tw(0, 0, 100, 100));
    lblTemp->setText(QStringLiteral("Autosize für MsFlexGrid"));
    lblTemp->setVisible(false);

    // Status bar staBar: six panels.
    statusBar()->setObjectName(QStringLiteral("staBar"));
    const QString panelTexte[6] = {QString(), QString(), QString(), QStringLiteral("CPU"),
                                   QStringLiteral("RAM"), QStringLiteral("Sleep Off")};
    for (int i = 0; i < 6; ++i) {
        auto* panel = new QLabel(panelTexte[i]);
        panel->setObjectName(QStringLiteral("staBar_Panel%1").arg(i + 1));
        m_statusPanels << panel;
        statusBar()->addWidget(panel, i < 2 ? 2 : 0);
    }
    m_statusPanels[3]->setToolTip(QStringLiteral(" CPU-Auslastung "));
    m_statusPanels[4]->setToolTip(QStringLiteral(" RAM-Auslastung "));
}

void Ausgabebox::menuesAufbauen()
{
    auto eintrag = [this](QMenu* menu, const char* name, const QString& text,
                          const QKeySequence& kurz = {}) {
        auto* a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        if (!kurz.isEmpty())
            a->setShortcut(kurz);
        return a;
    };
    auto unsichtbar = [](QAction* a) {
        a->setVisible(false);
        return a;
    };

    QMenu* datei = menuBar()->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("MenuDatei"));
    mnuOeffnen = eintrag(datei, "mnuOeffnen", QStringLiteral("&Datenbank laden..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(mnuOeffnen, &QAction::triggered, this, &Ausgabebox::mnuOeffnen_Click);
    unsichtbar(eintrag(datei, "mnuNeueDatenbank", QStringLiteral("&Neue Datenbank anlegen...")));
    for (int i = 0; i < OrdnerlisteAnzahl; ++i) {
        auto* a = eintrag(datei, "", QString());
        a->setObjectName(QStringLiteral("mnuOrdner_%1").arg(i));
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, i] { mnuOrdner_Click(i); });
        mnuOrdner << a;
    }
    datei->addSeparator();
    unsichtbar(eintrag(datei, "mnuSpeichernUnter", QStringLiteral("Speichern &unter...")));
    eintrag(datei, "MenuDrucken", QStringLiteral("Vorderseite &drucken..."));
    eintrag(datei, "mnuBacksitePrint", QStringLiteral("&Rückseite drucken..."));
    eintrag(datei, "mnuVorschauDrucken", QStringLiteral("&Vorschau Vorderseite drucken..."));
    eintrag(datei, "mnuViewBacksitePrint", QStringLiteral("Vorschau Rückseite druck&en..."));
    eintrag(datei, "mnuTabelleDrucken", QStringLiteral("&Tabelle drucken..."));
    datei->addSeparator();
    MenuBeenden = eintrag(datei, "MenuBeenden", QStringLiteral("&Beenden"));
    connect(MenuBeenden, &QAction::triggered, this, &Ausgabebox::MenuBeenden_Click);

    MenuBearbeiten = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    MenuBearbeiten->setObjectName(QStringLiteral("MenuBearbeiten"));
    unsichtbar(eintrag(MenuBearbeiten, "mnuTontraegerEinfügen", QStringLiteral("Tonträger einfügen")));
    unsichtbar(eintrag(MenuBearbeiten, "mnuKopieren", QStringLiteral("Tonträger &kopieren")));
    unsichtbar(eintrag(MenuBearbeiten, "MenuEintragLoeschen", QStringLiteral("Tonträger &löschen")));
    unsichtbar(eintrag(MenuBearbeiten, "mnuKopierenListe", QStringLiteral("Liste k&opieren")));
    unsichtbar(eintrag(MenuBearbeiten, "mnuAllesMarkieren", QStringLiteral("Liste &markieren")));
    mnuTabelleAnordnen = eintrag(MenuBearbeiten, "mnuTabelleAnordnen", QStringLiteral("&Tabellenspalten anordnen..."));
    connect(mnuTabelleAnordnen, &QAction::triggered, this, &Ausgabebox::mnuTabelleAnordnen_Click);
    mnuTabelleAutosize = eintrag(MenuBearbeiten, "mnuTabelleAutosize",
                                 QStringLiteral("Tabellenspaltenbreite &optimieren"), QKeySequence(Qt::Key_F9));
    connect(mnuTabelleAutosize, &QAction::triggered, this, &Ausgabebox::mnuTabelleAutosize_Click);

    QMenu* ansicht = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    ansicht->setObjectName(QStringLiteral("MenuAnsicht"));
    MenuAktualisieren = eintrag(ansicht, "MenuAktualisieren", QStringLiteral("&Aktualisieren"), QKeySequence(Qt::Key_F5));
    connect(MenuAktualisieren, &QAction::triggered, this, &Ausgabebox::MenuAktualisieren_Click);
    eintrag(ansicht, "MenuSuchen", QStringLiteral("&Suchen..."));
    auto* songtext = eintrag(ansicht, "mnuSongTextEinAus", QStringLiteral("S&ongtext ein/aus"));
    connect(songtext, &QAction::triggered, this, [this] { txtSongText->setVisible(!txtSongText->isVisible()); });
    mnuPlaylistAnzeigen = eintrag(ansicht, "mnuPlaylistAnzeigen", QStringLiteral("Playlist &anzeigen"));
    mnuPlaylistAnzeigen->setCheckable(true);
    unsichtbar(eintrag(ansicht, "MenuVerzeichnis", QStringLiteral("Explorer an&zeigen")));

    QMenu* player = menuBar()->addMenu(QStringLiteral("&Player"));
    player->setObjectName(QStringLiteral("mnuPlayer"));
    mnuLaufschrift = eintrag(player, "mnuLaufschrift", QStringLiteral("&Laufschrift Titelzeile ein/aus"));
    mnuLaufschrift->setCheckable(true);
    connect(mnuLaufschrift, &QAction::triggered, this, [](bool ein) {
        setOption(QStringLiteral("Laufschrift"), ein ? QStringLiteral("ein") : QStringLiteral("aus"));
    });
    mnuMiniPlayerOnTop = eintrag(player, "mnuMiniPlayerOnTop", QStringLiteral("&Miniplayer im Vordergrund halten"));
    mnuMiniPlayerOnTop->setCheckable(true);
    mnuMiniPlayerOnTop->setChecked(true);
    connect(mnuMiniPlayerOnTop, &QAction::triggered, this, [](bool ein) {
        setOption(QStringLiteral("MiniPlayerOnTop"), ein ? QStringLiteral("True") : QStringLiteral("False"));
    });
    mnuWinPlayerVerwenden = eintrag(player, "mnuWinPlayerVerwenden", QStringLiteral("Windows Media Player &verwenden"));
    mnuWinPlayerVerwenden->setCheckable(true);
    connect(mnuWinPlayerVerwenden, &QAction::triggered, this, [](bool ein) {
        setOption(QStringLiteral("WinMediaPlayer"), ein ? QStringLiteral("True") : QStringLiteral("False"));
    });
    eintrag(player, "mnuPauseZwischenTracks", QStringLiteral("&Pause zwischen den einzelnen Tracks..."));
    mnuStartLautregler = eintrag(player, "mnuStartLautregler", QStringLiteral("Lautst&ärkeregler beim Start einblenden"));
    mnuStartLautregler->setCheckable(true);
    connect(mnuStartLautregler, &QAction::triggered, this, [](bool ein) {
        setOption(QStringLiteral("Lautsprecherregler"), ein ? QStringLiteral("True") : QStringLiteral("False"));
    });

    QMenu* optionen = menuBar()->addMenu(QStringLiteral("&Optionen"));
    optionen->setObjectName(QStringLiteral("MenuOptionen"));
    eintrag(optionen, "mnuProgSchrift", QStringLiteral("&Programmschrift..."));
    eintrag(optionen, "mnuStilrichtungAusschliessen", QStringLiteral("Stilrichtung &ausschließen..."));
    mnuBildDatenbankpfad = eintrag(optionen, "mnuBildDatenbankpfad", QStringLiteral("Cover vom Datenbankpfad laden"));
    mnuBildDatenbankpfad->setCheckable(true);

    QMenu* extras = menuBar()->addMenu(QStringLiteral("Extras"));
    extras->setObjectName(QStringLiteral("mnuExtras"));
    eintrag(extras, "mnuAnzahlInterpreten", QStringLiteral("Anzahl der &Interpreten ermitteln"));
    extras->menuAction()->setVisible(false);

    QMenu* schrift = menuBar()->addMenu(QStringLiteral("&Schrift"));
    schrift->setObjectName(QStringLiteral("mnuSchrift"));
    eintrag(schrift, "mnuSchriftTiefgestellt", QStringLiteral("&Tiefgestellt"));
    eintrag(schrift, "mnuSchriftHochgestellt", QStringLiteral("&Hochgestellt"));
    eintrag(schrift, "mnuSchriftDurchstrichen", QStringLiteral("&Durchstrichen"));
    eintrag(schrift, "mnuRandLinks", QStringLiteral("&linker Rand"));
    eintrag(schrift, "mnuRandRechts", QStringLiteral("&rechter Rand"));
    schrift->menuAction()->setVisible(false);
    schrift->menuAction()->setEnabled(false);

    QMenu* programme = menuBar()->addMenu(QStringLiteral("P&rogramme"));
    programme->setObjectName(QStringLiteral("MenuProgramme"));
    auto starter = [this](const QString& programm, const QString& meldung, const QString& titel) {
        QString fehlerText;
        if (!klang::startSiblingProgram(programm, {}, &fehlerText)) {
            kit::MsgFenn(this, meldung, 3, 0, titel, 1, kit::WarningBackColor, kit::DialogForeColor);
        }
    };
    auto* diskolo = eintrag(programme, "mnuDiskolo", QStringLiteral("&Diskolo"), QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(diskolo, &QAction::triggered, this, [starter] {
        starter(QStringLiteral("Diskolo"), QStringLiteral("Diskolo.exe nicht gefunden."), QStringLiteral("EXE nicht vorhanden"));
    });
    auto* silberling = eintrag(programme, "mnuSilberling", QStringLiteral("&Silberling"));
    connect(silberling, &QAction::triggered, this, [starter] {
        starter(QStringLiteral("Silberling"), QStringLiteral("Silberling.exe nicht gefunden."), QStringLiteral("Silberling starten"));
    });
    auto* webcam = eintrag(programme, "mnuWebCam", QStringLiteral("&WebCam"));
    connect(webcam, &QAction::triggered, this, [starter] {
        starter(QStringLiteral("Lichtfang"), QStringLiteral("Lichtfang.exe nicht gefunden."), QStringLiteral("EXE nicht vorhanden"));
    });
    eintrag(programme, "mnuKlangtruhe", QStringLiteral("&Klangtruhe starten"));
    unsichtbar(eintrag(programme, "mnuDatenbank", QStringLiteral("&Bestandswart")));
    unsichtbar(eintrag(programme, "Menu_Backup", QStringLiteral("&Backup...")));
    unsichtbar(eintrag(programme, "MenuSQLabfrage", QStringLiteral("S&QL-Abfrage eingeben...")));

    QMenu* web = menuBar()->addMenu(QStringLiteral("&Web"));
    web->setObjectName(QStringLiteral("MenuWeb"));
    eintrag(web, "mnuWeblink", QStringLiteral("&mark. Text als Link ausführen"));
    eintrag(web, "mnuTranslation", QStringLiteral("DeepL Translation"), QKeySequence(Qt::SHIFT | Qt::Key_F9));
    eintrag(web, "mnuDeeplWrite", QStringLiteral("DeepL Write"), QKeySequence(Qt::SHIFT | Qt::Key_F8));

    QMenu* hilfe = menuBar()->addMenu(QStringLiteral("&?"));
    hilfe->setObjectName(QStringLiteral("MenuHilfeMenue"));
    auto* hilfeEintrag = eintrag(hilfe, "Menu_Hilfe", QStringLiteral("&Hilfe"), QKeySequence(Qt::Key_F1));
    connect(hilfeEintrag, &QAction::triggered, this, [] { kit::HilfeAufrufen(); });
    eintrag(hilfe, "mnuReadMe", QStringLiteral("Read&Me"));
    eintrag(hilfe, "MenuTipOfDay", QStringLiteral("&Tipps und Tricks"), QKeySequence(Qt::CTRL | Qt::Key_T));
    eintrag(hilfe, "mnuWebsiteAufrufen", QStringLiteral("&Website aufrufen"));
    eintrag(hilfe, "mnuUpdateSuchen", QStringLiteral("&Update suchen..."));
    eintrag(hilfe, "mnuNutzungslizenz", QStringLiteral("&Nutzungslizenz"));
    unsichtbar(eintrag(hilfe, "mnuFAQ", QStringLiteral("FAQ aufrufen")));
    eintrag(hilfe, "MenuInfo", QStringLiteral("&Info"), QKeySequence(Qt::CTRL | Qt::Key_I));

    // Pop-up of the letter buttons: the filter column.
    mnuSpaltenkopf = new QMenu(QStringLiteral("Spaltenkopf"), this);
    mnuSpaltenkopf->setObjectName(QStringLiteral("mnuSpaltenkopf"));
    for (int i = 0; i < filterSpalten().size(); ++i) {
        auto* a = mnuSpaltenkopf->addAction(filterSpalten().at(i));
        a->setObjectName(QStringLiteral("mnuSpalte_%1").arg(i));
        a->setCheckable(true);
        a->setChecked(i == 0);
        connect(a, &QAction::triggered, this, [this, i] { mnuSpalte_Click(i); });
        mnuSpalte << a;
    }
}

void Ausgabebox::werkzeugleisteAufbauen()
{
    QToolBar* leiste = addToolBar(QStringLiteral("Werkzeuge"));
    leiste->setObjectName(QStringLiteral("cmdButtonLeiste"));
    leiste->setMovable(false);
    cmdButton.fill(nullptr, 21);
    const struct { int index; const char* tip; const char* text; } knoepfe[] = {
        {2, " Aktualisieren ", "Aktualisieren"}, {3, " Suchen ", "Suchen"},
        {5, " Diskolo ", "Diskolo"}, {9, " Beenden ", "Beenden"},
        {10, " Datenbank laden ", "Datenbank"}, {11, " Silberling ", "Silberling"},
        {12, " WebCam ", "WebCam"}, {13, " Songtext ein/ausblenden ", "Songtext"},
        {14, " Playlist ", "Playlist"}, {16, " Spaltenbreite optimieren ", "Spaltenbreite"},
        {17, " Klangtruhe starten ", "Klangtruhe"}, {18, " mark. Text als Link ausführen ", "Link"},
        {19, " DeepL Translation ", "Translation"}, {20, " DeepL Write ", "Write"}};
    for (const auto& k : knoepfe) {
        auto* a = leiste->addAction(QString::fromUtf8(k.text));
        a->setObjectName(QStringLiteral("cmdButton_%1").arg(k.index));
        a->setToolTip(QString::fromUtf8(k.tip));
        cmdButton[k.index] = a;
    }
    connect(cmdButton[2], &QAction::triggered, this, &Ausgabebox::MenuAktualisieren_Click);
    connect(cmdButton[9], &QAction::triggered, this, &Ausgabebox::MenuBeenden_Click);
    connect(cmdButton[10], &QAction::triggered, this, &Ausgabebox::mnuOeffnen_Click);
    connect(cmdButton[16], &QAction::triggered, this, &Ausgabebox::mnuTabelleAutosize_Click);
    connect(cmdButton[5], &QAction::triggered, findChild<QAction*>(QStringLiteral("mnuDiskolo")), &QAction::trigger);
    connect(cmdButton[11], &QAction::triggered, findChild<QAction*>(QStringLiteral("mnuSilberling")), &QAction::trigger);
    connect(cmdButton[12], &QAction::triggered, findChild<QAction*>(QStringLiteral("mnuWebCam")), &QAction::trigger);
    connect(cmdButton[13], &QAction::triggered, findChild<QAction*>(QStringLiteral("mnuSongTextEinAus")), &QAction::trigger);
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
    m_katalog.model()->setDisplayTransform([](const QString& feld, const QString& wert) {
        return istRichTextFeld(feld) ? richtext::rtfToPlainText(wert).replace(QLatin1Char('\n'), QLatin1Char(' '))
                                     : wert;
    });
}

// ---------------------------------------------------------------------------------------
// Start-up

void Ausgabebox::Form_Load()
{
    KommandozeileVorhanden = m_kommando.vorhanden;
    KommandozeileStart = m_kommando.vorhanden;
    ProgrammPfad = klang::programmPfad();
    vb::HourglassGuard sanduhr;
    setPanelText(1, DatenbankWirdGeladen);
    setOption(QStringLiteral("ProgrammName"), QStringLiteral("K l a n g t r u h e   P l a y e r"));
    setOption(QStringLiteral("ErscheinungsJahr"), QStringLiteral("2004"));
    lvwPlaylist->setGeometry(tw(1050, 675, 7440, 5640));
    RegistryLesen();

    const DatenbankWahl wahl =
        datenbankPfadAufloesen(option(QStringLiteral("ArchivPfad")), ProgrammPfad);
    if (wahl.speichern)
        setOption(QStringLiteral("ArchivPfad"), wahl.pfad);
    DatenbankPfad = kit::OrdnerAusPfad(wahl.pfad);
    if (istNormaleDatei(wahl.pfad)) {
        jet::DbError e;
        const QString quelle = option(QStringLiteral("Data1RecordSource"), StandardAbfrage);
        if (m_katalog.starten(wahl.pfad, quelle, &e)) {
            TabelleAnordnen();
            setPanelText(1, kit::DateinameAusPfad(wahl.pfad));
            lblTabellenName->setText(option(QStringLiteral("TabellenName"), QStringLiteral("alle")));
        } else {
            // The window still opens; the rest of start-up does not depend on the catalogue.
            setPanelText(1, FehlerLaden);
            fehler(QStringLiteral("Ausgabebox_Form_Load"), e);
        }
    }

    for (const QString& ordner : {QStringLiteral("Bilder"), QStringLiteral("Leer"), QStringLiteral("Playlist")})
        QDir().mkpath(ProgrammPfad + ordner);
    CoverAktualisieren();
    AbspielausschlusslisteLaden();
    BandAbspielausschlusslisteLaden();
    TontraegerZufaelligAufrufen();
    BezLaden();
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
    m_geladen = true;
    Form_Resize();
}

void Ausgabebox::RegistryLesen()
{
    // 1. Normal geometry first, then the state; a position on no screen moves onto one.
    const Fenstergeometrie g = geometrieLesen();
    QRect rect(twipsToPixels(g.left), twipsToPixels(g.top), twipsToPixels(g.width), twipsToPixels(g.height));
    QList<QRect> bildschirme;
    for (QScreen* s : QGuiApplication::screens())
        bildschirme << s->availableGeometry();
    rect = aufBildschirm(rect, bildschirme);
    move(rect.topLeft());
    resize(rect.size());
    if (g.state == 2)
        setWindowState(Qt::WindowMaximized);
    else if (g.state == 1)
        setWindowState(Qt::WindowMinimized);

    // 2. Shuffle counter.
    m_spieler.ShuffleZaehler = static_cast<int>(vb::roundHalfEven(
        vb::Val(option(QStringLiteral("ShuffleSongProCD"), QStringLiteral("1")))));
    // 3./5. Check marks (values compare case-sensitively).
    mnuLaufschrift->setChecked(option(QStringLiteral("Laufschrift"), QStringLiteral("ein")) == QLatin1String("ein"));
    mnuMiniPlayerOnTop->setChecked(option(QStringLiteral("MiniPlayerOnTop"), QStringLiteral("True")) == QLatin1String("True"));
    mnuBildDatenbankpfad->setChecked(option(QStringLiteral("BildLadePfad"), QStringLiteral("True")) == QLatin1String("True"));
    mnuWinPlayerVerwenden->setChecked(option(QStringLiteral("WinMediaPlayer"), QStringLiteral("True")) == QLatin1String("True"));
    // 4. chkBildpfad: a missing or non-numeric value leaves the box unticked.
    chkBildpfad->setChecked(zahlOder(option(QStringLiteral("HäkchenBildpfad")), 0) != 0);
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
    const int groesse = zahlOder(option(QStringLiteral("ProgSchriftSize"), QStringLiteral("8")), 0);
    if (groesse > 0 && groesse < 200)
        schrift.setPointSize(groesse);
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

void Ausgabebox::ListenHoeheSetzen(QListWidget* liste, int zeilen)
{
    int zeile = liste->sizeHintForRow(0);
    if (zeile <= 0)
        zeile = QFontMetrics(liste->font()).height() + 2;
    liste->resize(liste->width(), zeile * zeilen + 2 * liste->frameWidth());
}

// ---------------------------------------------------------------------------------------
// Shutdown

void Ausgabebox::MenuBeenden_Click()
{
    m_katalog.speichern();
    close();
}

void Ausgabebox::closeEvent(QCloseEvent* event)
{
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

// ---------------------------------------------------------------------------------------
// Record change

void Ausgabebox::Data1_Reposition()
{
    cboBildpfad->setEditText(QString());
    // The stored cover of the record.
    QPixmap bild;
    const QByteArray daten = m_katalog.data1().recordset().fieldData(QStringLiteral("Bilder"));
    if (!daten.isEmpty())
        bild.loadFromData(daten);
    Bild1->setPixmap(bild);
    trackListeFuellen();
    CoverSucheUeberspringen = false;
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
    if (t.aktiv && filTrack->count() > 0) {
        filTrack->setCurrentRow(0);
        m_spieler.trackListeNeu(filTrack->count());
    } else {
        m_spieler.AktuellerTrack = 0;
    }
    if (t.labelAendern)
        Bez[12]->setText(t.label);
}

void Ausgabebox::AnzahlTontraeger()
{
    setPanelText(3, m_katalog.anzahlText());
}

void Ausgabebox::CoverAktualisieren()
{
    // The cover list of the database folder (a missing folder lists nothing).
    lstCover.clear();
    const QDir bilder(DatenbankPfad + QStringLiteral("Bilder"));
    if (bilder.exists())
        lstCover = bilder.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

// ---------------------------------------------------------------------------------------
// Views

void Ausgabebox::MenuAktualisieren_Click()
{
    vb::HourglassGuard sanduhr;
    jet::DbError e;
    if (!m_katalog.standardAnsicht(&e)) {
        fehler(QStringLiteral("Ausgabebox_MenuAktualisieren_Click"), e);
        return;
    }
    setOption(QStringLiteral("Data1RecordSource"), m_katalog.data1().recordSource());
    lblTabellenName->setText(QStringLiteral("alle"));
    setOption(QStringLiteral("TabellenName"), lblTabellenName->text());
    CoverAktualisieren();
    TabelleAnordnen();
    m_spieler.StilAusgeschlossen = false;
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
            kit::MsgFenn(this, QString::number(e.number) + QStringLiteral(", ") + e.description, 4, 0,
                         QStringLiteral("Ausgabebox_ButtonAlpabeth_MouseUp"), 1,
                         kit::ErrorBackColor, kit::DialogForeColor);
            return;
        }
        MSFlexGrid1->scrollToTop();
        MSFlexGrid1->setFocus();
    } else {
        const int zeile = m_katalog.ersteZeileMit(spalte, ButtonAlpabeth[index]->text());
        if (zeile >= 0 && zeile < m_katalog.model()->rowCount() - 1)
            MSFlexGrid1->scrollTo(m_katalog.model()->index(zeile, 0), QAbstractItemView::PositionAtTop);
    }
    m_spieler.StilAusgeschlossen = false;
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
    m_bild = m_katalog.anordnen(m_bild);
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
    kit::SpaltenbreitenAnpassen(MSFlexGrid1);
    // Take over the fitted widths of the shown columns by position.
    QHeaderView* kopf = MSFlexGrid1->horizontalHeader();
    for (int pos = 0; pos < m_bild.breite.size() && pos < kopf->count(); ++pos) {
        const int logisch = kopf->logicalIndex(pos);
        if (!kopf->isSectionHidden(logisch) && m_bild.breite.at(pos) > 0)
            m_bild.breite[pos] = pixelsToTwips(kopf->sectionSize(logisch));
    }
    m_katalog.setRepositionUnterdruecken(false);
    TabelleAnordnen();
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

void Ausgabebox::datenbankOeffnen(const QString& pfad, const QString& name)
{
    vb::HourglassGuard sanduhr;
    const QString pruefung = KatalogController::katalogPruefen(pfad);
    if (!pruefung.isEmpty()) {
        kit::MsgFenn(this, pruefung, 4, 0, QStringLiteral("Ausgabebox_mnuOeffnen_Click"), 1,
                     kit::ErrorBackColor, kit::DialogForeColor);
        return;
    }
    const QString vorher = panelText(1);
    imgStop_Click(); // the status "no play" must be true
    setPanelText(1, DatenbankWirdGeladen);
    jet::DbError e;
    if (!m_katalog.wechseln(pfad, &e)) {
        setPanelText(1, vorher);
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
    m_spieler.StilAusgeschlossen = false;
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
        breite(filTrack, sw - twLeft(filTrack) - 100);
        breite(txtSuchen, twWidth(filTrack));
        setTwLeft(fraSternTrack, twLeft(filTrack) + twWidth(filTrack) - twWidth(fraSternTrack));
        fraSternTrack->setVisible(twWidth(filTrack) + 20 >= twWidth(fraSternTrack));
        breite(txtSongText, sw - twLeft(txtSongText) - 1700);
        hoehe(txtSongText, sh - twTop(txtSongText) - 620);
    }
    if (mnuLaufschrift->isChecked() && statusSpielt(panelText(2))) {
        if (minimiert) {
            Timer2.start();
        } else {
            Timer2.stop();
            setWindowTitle(TitelFest);
        }
    }
    // Cover strip: as many slots as fit, capped at the 22 there are.
    const int letzter = letzterCoverSlot(sh, lstCover.size());
    if (letzter >= 0 || (!minimiert && lstCover.isEmpty())) {
        for (int k = 0; k < CoverSlots; ++k) {
            const bool zeigen = k <= letzter && k < lstCover.size();
            imgCover[k]->setVisible(zeigen);
            if (zeigen) {
                QPixmap bild(DatenbankPfad + QStringLiteral("Bilder/") + lstCover.at(k));
                imgCover[k]->setPixmap(bild);
            }
        }
    }
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
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------
// The player's side (the least start-up and the catalogue need)

void Ausgabebox::AbspielausschlusslisteLaden()
{
    vb::HourglassGuard sanduhr;
    ausschlusslisteLaden(ProgrammPfad + AusschlussStilDatei, lstAbspielausschluss);
}

void Ausgabebox::BandAbspielausschlusslisteLaden()
{
    vb::HourglassGuard sanduhr;
    ausschlusslisteLaden(ProgrammPfad + AusschlussBandDatei, lstBandAusschluss);
}

void Ausgabebox::TontraegerZufaelligAufrufen()
{
    const int songs = static_cast<int>(vb::roundHalfEven(
        vb::Val(option(QStringLiteral("ShuffleSongProCD"), QStringLiteral("1")))));
    const ZufallsErgebnis ergebnis =
        m_zufall.ziehen(m_spieler, *this, songs, lstAbspielausschluss, lstBandAusschluss);
    if (ergebnis == ZufallsErgebnis::StilAusgeschlossen || ergebnis == ZufallsErgebnis::BandAusgeschlossen) {
        Timer1.stop();
        const bool stil = ergebnis == ZufallsErgebnis::StilAusgeschlossen;
        kit::MsgFenn(this, stil ? StilHinweisText : BandHinweisText, 3, 0,
                     stil ? QStringLiteral("Bedienungshinweis (TontraegerZufaellig)") : QStringLiteral("Bedienungshinweis"),
                     1, kit::WarningBackColor, kit::DialogForeColor);
    }
}

int Ausgabebox::anzahlDatensaetze() const
{
    return m_katalog.anzahl();
}

void Ausgabebox::geheZuDatensatz(int pos)
{
    m_katalog.zeileGewaehlt(pos - 1);
    MSFlexGrid1->scrollTo(m_katalog.model()->index(pos - 1, 0), QAbstractItemView::PositionAtTop);
}

QString Ausgabebox::stilDesAktuellen() const
{
    return m_katalog.feld(QStringLiteral("Stil"));
}

QString Ausgabebox::bandDesAktuellen() const
{
    // The cell of the first display column (the band while the column set keeps it first).
    const int logisch = MSFlexGrid1->horizontalHeader()->logicalIndex(0);
    return m_katalog.feld(m_katalog.model()->fieldOfColumn(logisch < 0 ? 0 : logisch));
}

int Ausgabebox::anzahlTracks() const
{
    return filTrack->isEnabled() ? filTrack->count() : 0;
}

void Ausgabebox::trackWaehlen(int index, bool ersteAbwaehlen)
{
    if (ersteAbwaehlen && filTrack->item(0))
        filTrack->item(0)->setSelected(false);
    if (QListWidgetItem* item = filTrack->item(index)) {
        item->setSelected(true);
        filTrack->setCurrentItem(item, QItemSelectionModel::Select);
    }
}

void Ausgabebox::imgStart_Click()
{
    // Playback comes with the player; until then nothing starts and the status stays true.
}

void Ausgabebox::imgStop_Click()
{
    Timer1.stop();
    Timer2.stop();
    setPanelText(2, StatusNoPlay);
}

void Ausgabebox::imgMiniPlayer_Click()
{
    // The main window's settings are saved as its own unloading does; the mini player window
    // itself comes with the player.
    geometrieSpeichern();
    setOption(QStringLiteral("HäkchenBildpfad"), chkBildpfad->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void Ausgabebox::imgLautsprecherregler_Click()
{
    QString meldung;
    if (!klang::startProgram(QStringLiteral("pavucontrol"), {}, &meldung)) {
        kit::MsgFenn(this, meldung, 3, 0, QStringLiteral("Lautstärkeregler"), 1,
                     kit::WarningBackColor, kit::DialogForeColor);
    }
}

} // namespace klang::player
