// The widget tree, menus and tool bar of the main window.

#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Twips.h"

#include "kit/Helpers.h"
#include "kit/MsgFenn.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "player/catalogue/Fensterlayout.h"
#include "player/catalogue/Ordnerliste.h"
#include "kit/ImageButton.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/shell/Shell.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace klang::player {

using klang::vb::pixelsToTwips;
using klang::vb::twipsToPixels;

namespace {

} // namespace

// ---------------------------------------------------------------------------------------
// Widget tree

void Ausgabebox::aufbauen()
{
    auto* zentral = new QWidget(this);
    zentral->setObjectName(QStringLiteral("zentral"));
    setCentralWidget(zentral);

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

    Bild1 = erzeugen<QLabel>(zentral, QStringLiteral("Bild1"), tw(8700, 405, 1700, 1700));
    Bild1->setScaledContents(true);
    Bild1->setToolTip(QStringLiteral(" vergrößern "));
    Bild1->setFrameShape(QFrame::Box);
    imgBildpfad = erzeugen<QLabel>(zentral, QStringLiteral("imgBildpfad"), tw(8700, 405, 1700, 1700));
    imgBildpfad->setScaledContents(true);
    imgBildpfad->setVisible(false);
    // The embedded media player takes the picture area: its picture surface is a native
    // window that would lie over any control it overlapped.
    MediaPlayer1 = new klang::media::MediaPlayerControl(zentral);
    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    MediaPlayer1->setGeometry(tw(8700, 405, 1700, 1700));
    MediaPlayer1->setVisible(false);
    picCoverGreat = erzeugen<QLabel>(zentral, QStringLiteral("picCoverGreat"), tw(8700, 405, 4000, 4000));
    picCoverGreat->setVisible(false);

    auto knopf = [&](const char* name, int platz, const QString& tip) {
        auto* b = erzeugen<kit::ImageButton>(
            zentral, QLatin1String(name),
            tw(transportLinks(platz), TransportObenTwips, TransportKnopfTwips, TransportKnopfTwips));
        b->setToolTip(tip);
        b->setAccessibleName(tip.trimmed());
        return b;
    };
    imgStart = knopf("imgStart", 0, QStringLiteral(" Start "));
    imgStart->setText(QStringLiteral("▶"));
    imgStop = knopf("imgStop", 1, QStringLiteral(" Stop "));
    imgStop->setText(QStringLiteral("■"));
    imgMiniPlayer = knopf("imgMiniPlayer", 2, QStringLiteral(" Miniplayer "));
    imgMiniPlayer->setText(QStringLiteral("▭"));
    imgLautsprecherregler = knopf("imgLautsprecherregler", 3, QStringLiteral(" Lautstärke "));
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
    chkAlleTracks = box("chkAlleTracks", 10500, 900, QStringLiteral("alle Tracks"));
    chkMarkTracks = box("chkMarkTracks", 10500, 1140, QStringLiteral("markierte Tracks"));
    chkTracksAnspielen = box("chkTracksAnspielen", 10500, 1380, QStringLiteral("anspielen"));
    chkTracksZufaellig = box("chkTracksZufaellig", 10500, 1620, QStringLiteral("Zufall"));
    chkShuffle = box("chkShuffle", 12450, 900, QStringLiteral("Shuffle"));
    chkRepeat = box("chkRepeat", 12450, 1140, QStringLiteral("Repeat"));
    chkVollbild = box("chkVollbild", 12450, 1380, QStringLiteral("Vollbild"));
    chkVisualisierung = box("chkVisualisierung", 12450, 1620, QStringLiteral("Visualisierung"));
    chkBildpfad = box("chkBildpfad", 10500, 1860, QStringLiteral("Bildpfad"));
    cboBildpfad = erzeugen<QComboBox>(zentral, QStringLiteral("cboBildpfad"), tw(12250, 1830, 2600, 300));

    Bez[12] = erzeugen<QLabel>(zentral, QStringLiteral("Bez_12"), tw(8700, 2520, 2400, 255));
    Bez[12]->setText(QStringLiteral("Tracks & Movies"));
    fraSternTrack = erzeugen<QWidget>(zentral, QStringLiteral("fraSternTrack"), tw(12500, 2500, 1500, 285));
    filTrack = erzeugen<QListWidget>(zentral, QStringLiteral("filTrack"), tw(8700, 2790, 6200, 3300));
    filTrack->setSelectionMode(QAbstractItemView::ExtendedSelection);
    filTrack->setEnabled(false);
    txtSuchen = erzeugen<QLineEdit>(zentral, QStringLiteral("txtSuchen"), tw(8700, 2190, 6200, 285));
    txtSongText = erzeugen<richtext::RichTextBox>(zentral, QStringLiteral("txtSongText"), tw(8700, 405, 5000, 5000));
    txtSongText->setVisible(false);

    ButtonAlpabeth.resize(32);
    for (int i = 0; i < 32; ++i) {
        const QString caption = i < 26 ? QString(QChar(u'A' + i)) : QString::number(i - 25);
        auto* b = erzeugen<QPushButton>(zentral, QStringLiteral("ButtonAlpabeth_%1").arg(i),
                                        tw(1050 + i * 285, 6450, 285, 300));
        b->setText(caption);
        // A left click (or the keyboard) presses the button; the other mouse buttons are seen
        // by the window's event filter: every button applies it on release, the right one
        // first offers the filter column.
        b->setContextMenuPolicy(Qt::PreventContextMenu);
        connect(b, &QPushButton::clicked, this, [this, i] { ButtonAlpabeth_MouseUp(i); });
        b->installEventFilter(this);
        ButtonAlpabeth[i] = b;
    }
    chkTabelle = erzeugen<QCheckBox>(zentral, QStringLiteral("chkTabelle"), tw(10230, 6480, 650, 255));
    chkTabelle->setText(QStringLiteral("A-Z"));
    chkTabelle->setToolTip(QStringLiteral(" Für jeden Buchstaben A-Z, eine eigene Tabelle anzeigen "));
    connect(chkTabelle, &QCheckBox::toggled, this, &Ausgabebox::chkTabelle_Click);
    cmdABC = erzeugen<QPushButton>(zentral, QStringLiteral("cmdABC"), tw(10900, 6450, 500, 300));
    cmdABC->setText(QStringLiteral("abc"));
    connect(cmdABC, &QPushButton::clicked, this, &Ausgabebox::MenuAktualisieren_Click);
    lblTabellenName = erzeugen<QLabel>(zentral, QStringLiteral("lblTabellenName"), tw(11450, 6480, 1300, 255));
    lblTabellenName->setText(QStringLiteral("Tabelle"));

    // The data control's navigator: first, previous, caption, next, last.
    Data1 = erzeugen<QWidget>(zentral, QStringLiteral("Data1"), tw(12750, 6450, 2250, 300));
    Data1->setToolTip(QStringLiteral(" Datenbanksteuerung "));
    auto* navLayout = new QHBoxLayout(Data1);
    navLayout->setContentsMargins(0, 0, 0, 0);
    navLayout->setSpacing(0);
    const struct { const char* name; const char* text; } nav[] = {
        {"Data1_Erster", "|◀"}, {"Data1_Zurueck", "◀"}, {nullptr, nullptr}, {"Data1_Vor", "▶"}, {"Data1_Letzter", "▶|"}};
    for (const auto& n : nav) {
        if (!n.name) {
            auto* caption = new QLabel(QStringLiteral("      Steuerung"), Data1);
            caption->setObjectName(QStringLiteral("Data1_Caption"));
            // Where the navigator is narrow, the leading blanks give way and the word stays.
            caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            navLayout->addWidget(caption, 1);
            continue;
        }
        auto* b = new QToolButton(Data1);
        b->setObjectName(QLatin1String(n.name));
        b->setText(QString::fromUtf8(n.text));
        b->setAutoRaise(true);
        b->setFixedWidth(twipsToPixels(270));
        navLayout->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, name = QByteArray(n.name)] {
            auto& d = m_katalog.data1();
            if (name == "Data1_Erster")
                d.moveFirst();
            else if (name == "Data1_Zurueck")
                d.movePrevious();
            else if (name == "Data1_Vor")
                d.moveNext();
            else
                d.moveLast();
        });
    }

    MSFlexGrid1 = erzeugen<QTableView>(zentral, QStringLiteral("MSFlexGrid1"), tw(1050, 6800, 13900, 2500));
    MSFlexGrid1->setModel(m_katalog.model());
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setWordWrap(false);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(MSFlexGrid1->fontMetrics().height() + 4);
    MSFlexGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->horizontalHeader()->setHighlightSections(false);
    // Not highlighting, the header needs no selection; with the grid's own it would ask, for
    // every section it paints, whether each row is selected (with a whole catalogue selected a
    // third of a second at every repaint for a million rows).
    MSFlexGrid1->horizontalHeader()->setSelectionModel(
        new QItemSelectionModel(MSFlexGrid1->model(), MSFlexGrid1->horizontalHeader()));
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
                // A row that could not be left (its edit was not written): the grid goes back.
                const int stand = m_katalog.data1().absolutePosition();
                if (stand >= 0 && stand != aktuell.row())
                    QTimer::singleShot(0, this, [this] { zeileMarkieren(m_katalog.data1().absolutePosition()); });
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
    druckmenueAufbauen(datei);
    datei->addSeparator();
    MenuBeenden = eintrag(datei, "MenuBeenden", QStringLiteral("&Beenden"));
    connect(MenuBeenden, &QAction::triggered, this, &Ausgabebox::MenuBeenden_Click);

    MenuBearbeiten = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    MenuBearbeiten->setObjectName(QStringLiteral("MenuBearbeiten"));
    unsichtbar(eintrag(MenuBearbeiten, "mnuTontraegerEinfügen", QStringLiteral("Tonträger einfügen")));
    unsichtbar(eintrag(MenuBearbeiten, "mnuKopieren", QStringLiteral("Tonträger &kopieren")));
    unsichtbar(eintrag(MenuBearbeiten, "MenuEintragLoeschen", QStringLiteral("Tonträger &löschen")));
    unsichtbar(eintrag(MenuBearbeiten, "mnuKopierenListe", QStringLiteral("Liste k&opieren")));
    auto* alles = unsichtbar(eintrag(MenuBearbeiten, "mnuAllesMarkieren", QStringLiteral("Liste &markieren"),
                                     QKeySequence(Qt::CTRL | Qt::Key_A)));
    connect(alles, &QAction::triggered, this, &Ausgabebox::mnuAllesMarkieren_Click);
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
    connect(songtext, &QAction::triggered, this, &Ausgabebox::mnuSongTextEinAus_Click);
    mnuPlaylistAnzeigen = eintrag(ansicht, "mnuPlaylistAnzeigen", QStringLiteral("Playlist &anzeigen"));
    mnuPlaylistAnzeigen->setCheckable(true);
    unsichtbar(eintrag(ansicht, "MenuVerzeichnis", QStringLiteral("Explorer an&zeigen")));

    QMenu* player = menuBar()->addMenu(QStringLiteral("&Player"));
    player->setObjectName(QStringLiteral("mnuPlayer"));
    mnuLaufschrift = eintrag(player, "mnuLaufschrift", QStringLiteral("&Laufschrift Titelzeile ein/aus"));
    mnuLaufschrift->setCheckable(true);
    connect(mnuLaufschrift, &QAction::triggered, this, [this](bool ein) {
        setOption(QStringLiteral("Laufschrift"), ein ? QStringLiteral("ein") : QStringLiteral("aus"));
        m_player->setLaufschrift(ein);
    });
    mnuMiniPlayerOnTop = eintrag(player, "mnuMiniPlayerOnTop", QStringLiteral("&Miniplayer im Vordergrund halten"));
    mnuMiniPlayerOnTop->setCheckable(true);
    mnuMiniPlayerOnTop->setChecked(true);
    connect(mnuMiniPlayerOnTop, &QAction::triggered, this, [](bool ein) {
        setOption(QStringLiteral("MiniPlayerOnTop"), ein ? QStringLiteral("True") : QStringLiteral("False"));
    });
    mnuSleep = eintrag(player, "mnuSleep", QStringLiteral("&Sleep..."));
    mnuSleep->setCheckable(true);
    mnuWinPlayerVerwenden = eintrag(player, "mnuWinPlayerVerwenden", QStringLiteral("Windows Media Player &verwenden"));
    mnuWinPlayerVerwenden->setCheckable(true);
    connect(mnuWinPlayerVerwenden, &QAction::triggered, this, [this](bool ein) {
        setOption(QStringLiteral("WinMediaPlayer"), ein ? QStringLiteral("True") : QStringLiteral("False"));
        m_player->setWinPlayerVerwenden(ein);
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
    auto* interpreten = eintrag(extras, "mnuAnzahlInterpreten", QStringLiteral("Anzahl der &Interpreten ermitteln"));
    connect(interpreten, &QAction::triggered, this, &Ausgabebox::mnuAnzahlInterpreten_Click);
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
    auto* tipps = eintrag(hilfe, "MenuTipOfDay", QStringLiteral("&Tipps und Tricks"), QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(tipps, &QAction::triggered, this, &Ausgabebox::MenuTipOfDay_Click);
    eintrag(hilfe, "mnuWebsiteAufrufen", QStringLiteral("&Website aufrufen"));
    eintrag(hilfe, "mnuUpdateSuchen", QStringLiteral("&Update suchen..."));
    eintrag(hilfe, "mnuNutzungslizenz", QStringLiteral("&Nutzungslizenz"));
    unsichtbar(eintrag(hilfe, "mnuFAQ", QStringLiteral("FAQ aufrufen")));
    auto* info = eintrag(hilfe, "MenuInfo", QStringLiteral("&Info"), QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(info, &QAction::triggered, this, &Ausgabebox::MenuInfo_Click);

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

} // namespace klang::player
