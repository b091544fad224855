#include "tv/frmFernsicht.h"

#include "kit/FormPlatzieren.h"
#include "kit/Helpers.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/media/MpvEngine.h"
#include "platform/settings/Settings.h"
#include "platform/vbcompat/VbCompat.h"
#include "tv/Meldung.h"
#include "tv/frmEdit.h"

#include <QCloseEvent>
#include <QCollator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <cmath>

namespace tv {

namespace {

using klang::vb::pixelsToTwips;
using klang::vb::twipsToPixels;

const QString App = QStringLiteral("Fernsicht");
const QString Abschnitt = QStringLiteral("Options");
constexpr int StatusleisteTwips = 315;
constexpr int SpaltenRestTwips = 350;

// Stations sort by the chosen column, German letters without regard to case.
const QCollator& sortierung()
{
    static const QCollator c = [] {
        QCollator k(QLocale(QLocale::German, QLocale::Germany));
        k.setCaseSensitivity(Qt::CaseInsensitive);
        return k;
    }();
    return c;
}

class SenderEintrag : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int spalte = treeWidget() ? treeWidget()->sortColumn() : 0;
        return sortierung().compare(text(spalte), other.text(spalte)) < 0;
    }
};

// The station picture: a small television set.
QIcon senderBild()
{
    QPixmap bild(16, 16);
    bild.fill(Qt::transparent);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.setBrush(QColor(0x50, 0x50, 0x58));
    p.drawRoundedRect(QRectF(0.5, 2.5, 15, 10), 2, 2);
    p.setBrush(QColor(0x6c, 0xb4, 0xe8));
    p.drawRect(QRectF(2.5, 4.5, 9, 6));
    p.drawLine(QPointF(5, 15), QPointF(11, 15));
    p.drawLine(QPointF(4, 0.5), QPointF(8, 2.5));
    p.drawLine(QPointF(12, 0.5), QPointF(8, 2.5));
    return QIcon(bild);
}

// The header marks: 1 ascending (a triangle pointing up), 2 descending.
QIcon kopfBild(int nummer)
{
    QPixmap bild(12, 12);
    bild.fill(Qt::transparent);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x40, 0x40));
    QPainterPath pfad;
    if (nummer == 1) {
        pfad.moveTo(6, 2);
        pfad.lineTo(11, 10);
        pfad.lineTo(1, 10);
    } else {
        pfad.moveTo(1, 2);
        pfad.lineTo(11, 2);
        pfad.lineTo(6, 10);
    }
    pfad.closeSubpath();
    p.drawPath(pfad);
    return QIcon(bild);
}

std::optional<double> zahlAusEinstellung(const QString& schluessel, const QString& standard)
{
    QString text = klang::GetSetting(App, Abschnitt, schluessel, standard).trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double wert = text.toDouble(&ok);
    if (!ok || !std::isfinite(wert) || std::abs(wert) > 1e7)
        return std::nullopt;
    return wert;
}

// The folder a local address names, when it names one (the engine would call it missing).
std::optional<QString> ordnerStattDatei(const QString& url)
{
    const QString adresse = url.trimmed();
    QString pfad = adresse;
    if (adresse.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        pfad = QUrl(adresse).toLocalFile();
    else if (adresse.contains(QLatin1String("://")))
        return std::nullopt;
    if (pfad.isEmpty() || !QFileInfo(pfad).isDir())
        return std::nullopt;
    return pfad;
}

Sender senderVon(const QTreeWidgetItem* eintrag)
{
    return {eintrag->text(0), eintrag->text(1), eintrag->text(2)};
}

} // namespace

// ---------------------------------------------------------------------------------------

SenderListe::SenderListe(QWidget* parent)
    : QTreeWidget(parent)
{
}

void SenderListe::keyPressEvent(QKeyEvent* event)
{
    QTreeWidget::keyPressEvent(event);
    Q_EMIT KeyDown(event->key());
}

void SenderListe::keyReleaseEvent(QKeyEvent* event)
{
    QTreeWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT KeyUp(event->key());
}

void SenderListe::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    Q_EMIT MouseUp();
}

void SenderListe::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    Q_EMIT DblClick();
}

// ---------------------------------------------------------------------------------------

frmFernsicht::frmFernsicht(klang::media::MediaEngine* engine, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmFernsicht"));
    setWindowTitle(QStringLiteral("Fernsicht - Kelmaro"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    aufbauen();
    if (!engine)
        engine = new klang::media::MpvEngine;
    WindowsMediaPlayer1 = new klang::media::MediaPlayerControl(engine, m_flaeche);
    WindowsMediaPlayer1->setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    WindowsMediaPlayer1->setUiMode(QStringLiteral("full"));
    WindowsMediaPlayer1->setAutoStart(true);
    WindowsMediaPlayer1->setVolume(50);
    WindowsMediaPlayer1->setStretchToFit(false);
    WindowsMediaPlayer1->hide();
    lvwSender->raise();

    connect(WindowsMediaPlayer1, &klang::media::MediaPlayerControl::MediaError, this,
            &frmFernsicht::wiedergabeFehler);
    connect(WindowsMediaPlayer1, &klang::media::MediaPlayerControl::PlayStateChange, this,
            &frmFernsicht::wiedergabeZustand);
    connect(engine, &klang::media::MediaEngine::endOfFile, this, &frmFernsicht::wiedergabeEnde);
    connect(engine, &klang::media::MediaEngine::durationChanged, this, [this](double sekunden) { m_laenge = sekunden; });
    m_frist = new QTimer(this);
    m_frist->setSingleShot(true);
    connect(m_frist, &QTimer::timeout, this, &frmFernsicht::fristAbgelaufen);
    setMinimumSize(200, 150);
    resize(twipsToPixels(8780), twipsToPixels(6900));
}

frmFernsicht::~frmFernsicht() = default;

void frmFernsicht::aufbauen()
{
    m_flaeche = new QWidget(this);
    m_flaeche->setObjectName(QStringLiteral("flaeche"));
    m_flaeche->installEventFilter(this);
    setCentralWidget(m_flaeche);

    lvwSender = new SenderListe(m_flaeche);
    lvwSender->setObjectName(QStringLiteral("lvwSender"));
    lvwSender->setColumnCount(3);
    lvwSender->setHeaderLabels({QStringLiteral("Gruppe"), QStringLiteral("Sendername"),
                                QStringLiteral("Sender-URL")});
    lvwSender->setRootIsDecorated(false);
    lvwSender->setUniformRowHeights(true);
    lvwSender->setAllColumnsShowFocus(true);
    lvwSender->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwSender->setSortingEnabled(false);
    lvwSender->header()->setSectionsClickable(true);
    lvwSender->header()->setStretchLastSection(false);
    connect(lvwSender->header(), &QHeaderView::sectionClicked, this, &frmFernsicht::lvwSender_ColumnClick);
    connect(lvwSender, &SenderListe::KeyDown, this, [this](int) { lvwSender_KeyDown(); });
    connect(lvwSender, &SenderListe::KeyUp, this, &frmFernsicht::lvwSender_KeyUp);
    connect(lvwSender, &SenderListe::MouseUp, this, &frmFernsicht::lvwSender_MouseUp);
    connect(lvwSender, &SenderListe::DblClick, this, &frmFernsicht::lvwSender_DblClick);

    staBar = new QStatusBar(this);
    staBar->setObjectName(QStringLiteral("staBar"));
    staBar->setFixedHeight(twipsToPixels(StatusleisteTwips));
    staBar->setSizeGripEnabled(true);
    const QStringList panelTexte{QStringLiteral("Gruppe"), QStringLiteral("Sendername"),
                                 QStringLiteral("Sender-URL")};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(panelTexte.at(i), staBar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setToolTip(panelTexte.at(i));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(40);
        staBar->addWidget(panel, i == 2 ? 3 : 1);
        m_panels[i] = panel;
    }
    // The program's own messages (why a station does not play) may be longer than the
    // window is wide: they take the panels' place and wrap, and the bar grows to hold them.
    m_meldung = new QLabel(staBar);
    m_meldung->setObjectName(QStringLiteral("Meldung"));
    m_meldung->setWordWrap(true);
    m_meldung->setTextFormat(Qt::PlainText);
    m_meldung->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_meldung->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    staBar->addWidget(m_meldung, 1);
    m_meldung->hide();
    staBar->installEventFilter(this);
    setStatusBar(staBar);

    QMenuBar* leiste = menuBar();
    auto eintrag = [&](const QString& name, const QString& text, void (frmFernsicht::*handler)()) {
        QAction* a = leiste->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    mnuStart = eintrag(QStringLiteral("mnuStart"), QStringLiteral("&TV-Start"), &frmFernsicht::mnuStart_Click);
    mnuSenderliste = eintrag(QStringLiteral("mnuSenderliste"), QStringLiteral("TV-&Senderliste"),
                             &frmFernsicht::mnuSenderliste_Click);
    mnuEdit = eintrag(QStringLiteral("mnuEdit"), QStringLiteral("&Edit..."), &frmFernsicht::mnuEdit_Click);
    mnuZoom = eintrag(QStringLiteral("mnuZoom"), QStringLiteral("&Zoom"), &frmFernsicht::mnuZoom_Click);
    mnuOnTop = eintrag(QStringLiteral("mnuOnTop"), QStringLiteral("&OnTop"), &frmFernsicht::mnuOnTop_Click);
    mnuExit = eintrag(QStringLiteral("mnuExit"), QStringLiteral("E&xit"), &frmFernsicht::mnuExit_Click);
    // F1 opens the program's help page, as in the other programs of the family; the menu bar
    // keeps its six entries.
    auto* hilfe = new QAction(this);
    hilfe->setObjectName(QStringLiteral("mnuHilfe"));
    hilfe->setShortcut(QKeySequence(Qt::Key_F1));
    connect(hilfe, &QAction::triggered, this, [] { kit::HilfeAufrufen(QStringLiteral("fernsicht.html")); });
    addAction(hilfe);
}

QAction* frmFernsicht::menue(const QString& name) const
{
    for (QAction* a : {mnuStart, mnuSenderliste, mnuEdit, mnuZoom, mnuOnTop, mnuExit}) {
        if (a->objectName() == name)
            return a;
    }
    return nullptr;
}

QString frmFernsicht::panelText(int panel) const
{
    return panel >= 1 && panel <= 3 ? m_panels[panel - 1]->text() : QString();
}

void frmFernsicht::Form_Load()
{
    RegistryLesen();
    SenderLaden();
}

void frmFernsicht::RegistryLesen()
{
    const auto zustand = zahlAusEinstellung(QStringLiteral("WindowState"), QStringLiteral("0"));
    const int z = zustand ? int(*zustand) : 0;
    if (z == 2) {
        setWindowState(Qt::WindowMaximized);
        return; // the four sizes cannot apply to a maximised window
    }
    if (z == 1) {
        setWindowState(Qt::WindowMinimized);
        return;
    }
    const auto links = zahlAusEinstellung(QStringLiteral("AusgabeboxLeft"), QStringLiteral("100"));
    const auto oben = zahlAusEinstellung(QStringLiteral("AusgabeboxTop"), QStringLiteral("100"));
    const auto breite = zahlAusEinstellung(QStringLiteral("AusgabeboxWidth"), QStringLiteral("8780"));
    const auto hoehe = zahlAusEinstellung(QStringLiteral("AusgabeboxHeight"), QStringLiteral("6900"));
    QRect lage(pos(), size());
    if (links && oben)
        lage.moveTopLeft(QPoint(twipsToPixels(int(qBound(-1e7, *links, 1e7))), twipsToPixels(int(qBound(-1e7, *oben, 1e7)))));
    // A damaged value must not make the window vanish or outgrow every screen.
    if (breite && *breite > 0)
        lage.setWidth(twipsToPixels(int(qMin(*breite, 1e7))));
    if (hoehe && *hoehe > 0)
        lage.setHeight(twipsToPixels(int(qMin(*hoehe, 1e7))));
    // A place saved on a screen that is gone, or reaching past the screens, would leave the
    // window's caption or buttons out of reach: it comes back wholly onto a screen.
    kit::gespeichertePlatzieren(this, lage);
}

void frmFernsicht::SenderLaden()
{
    const QString pfad = senderDatei();
    const Senderbestand bestand = senderLesen(pfad);
    if (!bestand.vorhanden)
        return;
    lvwSender->clear();
    m_kopfSymbol = {0, 0, 0};
    m_kopfSymbol[0] = 1;
    for (int i = 0; i < 3; ++i)
        lvwSender->headerItem()->setIcon(i, m_kopfSymbol[i] ? kopfBild(m_kopfSymbol[i]) : QIcon());
    QList<QTreeWidgetItem*> eintraege;
    eintraege.reserve(bestand.sender.size());
    for (const Sender& s : bestand.sender)
        eintraege.append(eintragFuer(s));
    lvwSender->addTopLevelItems(eintraege);
    sortieren();
    if (bestand.fehler) {
        unsetCursor();
        Fehlermeldung(this, QStringLiteral("frmFernsicht_SenderLaden"), Symbol::Kritisch,
                      bestand.fehler->nummer, bestand.fehler->text);
    }
    if (!bestand.teilweise.isEmpty()) {
        unsetCursor();
        MsgBox(this, bestand.teilweise + QStringLiteral("\n\nNeue, geänderte und gelöschte Sender können "
                                                        "nicht gespeichert werden, solange die Datei so bleibt."),
               Knoepfe::Ok, Symbol::Ausruf, QStringLiteral("frmFernsicht_SenderLaden"));
    }
}

QTreeWidgetItem* frmFernsicht::eintragFuer(const Sender& sender)
{
    static const QIcon bild = senderBild();
    auto* eintrag = new SenderEintrag;
    eintrag->setText(0, sender.gruppe);
    eintrag->setText(1, sender.name);
    eintrag->setText(2, sender.url);
    eintrag->setIcon(0, bild);
    return eintrag;
}

void frmFernsicht::sortieren()
{
    lvwSender->sortItems(m_sortKey, m_sortOrder);
}

bool frmFernsicht::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_flaeche && event->type() == QEvent::Resize)
        Form_Resize();
    else if (watched == staBar && event->type() == QEvent::Resize)
        statusHoeheAnpassen();
    return QMainWindow::eventFilter(watched, event);
}

void frmFernsicht::Form_Resize()
{
    // The status bar lies below the central area, so the player gets the whole of it.
    if (!WindowsMediaPlayer1)
        return;
    const QRect innen = m_flaeche->rect();
    WindowsMediaPlayer1->setGeometry(innen);
    lvwSender->setGeometry(WindowsMediaPlayer1->geometry());
    const double breite = pixelsToTwips(lvwSender->width());
    const double spalte1 = breite / 5;
    const double spalte2 = spalte1 * 1.5;
    const double spalte3 = breite - (spalte1 + spalte2 + SpaltenRestTwips);
    lvwSender->setColumnWidth(0, twipsToPixels(int(spalte1)));
    lvwSender->setColumnWidth(1, twipsToPixels(int(spalte2)));
    lvwSender->setColumnWidth(2, qMax(0, twipsToPixels(int(spalte3))));
}

void frmFernsicht::lvwSender_ColumnClick(int spalte)
{
    if (spalte < 0 || spalte > 2)
        return;
    m_sortKey = spalte;
    if (m_sortOrder == Qt::AscendingOrder) {
        m_sortOrder = Qt::DescendingOrder;
        m_kopfSymbol = {0, 0, 0};
        m_kopfSymbol[spalte] = 2;
    } else {
        m_sortOrder = Qt::AscendingOrder;
        m_kopfSymbol = {0, 0, 0};
        m_kopfSymbol[spalte] = 1;
    }
    // Only the sorted column shows a mark.
    for (int i = 0; i < 3; ++i)
        lvwSender->headerItem()->setIcon(i, m_kopfSymbol[i] ? kopfBild(m_kopfSymbol[i]) : QIcon());
    sortieren();
}

std::optional<Sender> frmFernsicht::gewaehlterSender() const
{
    const QList<QTreeWidgetItem*> auswahl = lvwSender->selectedItems();
    if (auswahl.isEmpty())
        return std::nullopt;
    return senderVon(auswahl.first());
}

QList<Sender> frmFernsicht::alleSender() const
{
    QList<Sender> alle;
    alle.reserve(lvwSender->topLevelItemCount());
    for (int i = 0; i < lvwSender->topLevelItemCount(); ++i)
        alle.append(senderVon(lvwSender->topLevelItem(i)));
    return alle;
}

void frmFernsicht::senderHinzufuegen(const Sender& sender)
{
    lvwSender->addTopLevelItem(eintragFuer(sender));
    sortieren();
}

void frmFernsicht::gewaehltenSenderAendern(const Sender& sender)
{
    const QList<QTreeWidgetItem*> auswahl = lvwSender->selectedItems();
    if (auswahl.isEmpty())
        return;
    QTreeWidgetItem* eintrag = auswahl.first();
    eintrag->setText(0, sender.gruppe);
    eintrag->setText(1, sender.name);
    eintrag->setText(2, sender.url);
    sortieren();
    lvwSender->scrollToItem(eintrag);
}

void frmFernsicht::panelsSetzen()
{
    // Without a selection the panels keep what they show.
    const auto sender = gewaehlterSender();
    if (!sender)
        return;
    meldungLeeren();
    m_panels[0]->setText(sender->gruppe);
    m_panels[1]->setText(sender->name);
    m_panels[2]->setText(sender->url);
}

void frmFernsicht::meldungZeigen(const QString& text)
{
    m_meldung->setText(text);
    m_meldung->setToolTip(text);
    for (QLabel* panel : m_panels)
        panel->hide();
    m_meldung->show();
    statusHoeheAnpassen();
}

void frmFernsicht::meldungLeeren()
{
    if (m_meldung->isHidden())
        return;
    m_meldung->hide();
    m_meldung->clear();
    m_meldung->setToolTip(QString());
    for (QLabel* panel : m_panels)
        panel->show();
    statusHoeheAnpassen();
}

QString frmFernsicht::statusMeldung() const
{
    return m_meldung->isHidden() ? QString() : m_meldung->text();
}

void frmFernsicht::statusHoeheAnpassen()
{
    int hoehe = twipsToPixels(StatusleisteTwips);
    if (!m_meldung->isHidden()) {
        // The label's width in the bar: the bar less its margins and the size grip.
        const int breite = qMax(40, staBar->contentsRect().width() - 2 * staBar->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing) - 24);
        hoehe = qMax(hoehe, m_meldung->heightForWidth(breite) + 6);
    }
    if (staBar->height() != hoehe || staBar->minimumHeight() != hoehe)
        staBar->setFixedHeight(hoehe);
}

void frmFernsicht::panelsLeeren()
{
    for (QLabel* panel : m_panels)
        panel->clear();
}

void frmFernsicht::lvwSender_KeyDown()
{
    panelsSetzen();
}

void frmFernsicht::lvwSender_MouseUp()
{
    panelsSetzen();
}

void frmFernsicht::lvwSender_KeyUp(int taste)
{
    panelsSetzen();
    if (taste != Qt::Key_Delete)
        return;
    QList<QTreeWidgetItem*> auswahl = lvwSender->selectedItems();
    if (auswahl.isEmpty())
        return; // nothing to delete, nothing to ask
    QTreeWidgetItem* eintrag = auswahl.first();
    const Antwort antwort = MsgBox(this, QStringLiteral("TV-Sender löschen?\n\n") + eintrag->text(1),
                                   Knoepfe::JaNein, Symbol::Frage, QStringLiteral("Sicherheitsabfrage"));
    if (antwort != Antwort::Ja)
        return;
    // The file is written first: a station that could not be removed from it stays in the list.
    QList<Sender> rest;
    for (int i = 0; i < lvwSender->topLevelItemCount(); ++i) {
        if (lvwSender->topLevelItem(i) != eintrag)
            rest.append(senderVon(lvwSender->topLevelItem(i)));
    }
    const QString pfad = senderDatei();
    if (const Schreibergebnis r = senderSchreiben(pfad, rest); !r) {
        unsetCursor();
        const Dateifehler f = fehler::zugriff(pfad, r.grund);
        Fehlermeldung(this, QStringLiteral("frmFernsicht_lvwSender_KeyUp"), Symbol::Kritisch, f.nummer, f.text);
        return;
    }
    delete eintrag;
    panelsLeeren();
}

void frmFernsicht::lvwSender_DblClick()
{
    mnuStart_Click();
}

void frmFernsicht::mnuStart_Click()
{
    const auto sender = gewaehlterSender();
    if (!sender)
        return; // no station chosen: the list stays as it is
    if (sender->url.trimmed().isEmpty()) {
        meldungZeigen(QStringLiteral("Für „%1“ ist keine Sender-URL eingetragen.").arg(sender->name));
        return;
    }
    if (const auto grund = adresseUnzulaessig(sender->url)) {
        meldungZeigen(QStringLiteral("„%1“ wird nicht abgespielt: %2").arg(sender->name, *grund));
        return;
    }
    if (const auto ordner = ordnerStattDatei(sender->url)) {
        meldungZeigen(QStringLiteral("„%1“ lässt sich nicht abspielen: „%2“ ist ein Ordner, keine Datei.")
                          .arg(sender->name, *ordner));
        return;
    }
    playerZeigen();
    m_laufend.reset();
    WindowsMediaPlayer1->close();
    m_laufend = sender;
    m_laenge = -1;
    ++m_versuch;
    meldungZeigen(QStringLiteral("Verbindung zu „%1“ wird aufgebaut …").arg(sender->name));
    // A server that takes the connection and never sends would keep this going for a minute.
    m_frist->start(m_fristMs);
    WindowsMediaPlayer1->setURL(sender->url);
}

void frmFernsicht::mnuSenderliste_Click()
{
    m_laufend.reset();
    m_frist->stop();
    WindowsMediaPlayer1->close();
    meldungLeeren();
    listeZeigen();
}

void frmFernsicht::mnuEdit_Click()
{
    frmEdit editor(this);
    editor.Form_Load();
    editor.exec();
}

void frmFernsicht::mnuZoom_Click()
{
    WindowsMediaPlayer1->setStretchToFit(!WindowsMediaPlayer1->stretchToFit());
}

void frmFernsicht::mnuOnTop_Click()
{
    raise();
    if (FensterIstOnTop()) {
        FensterOnTop(false);
        mnuOnTop->setText(QStringLiteral("OnTop"));
    } else {
        FensterOnTop(true);
        mnuOnTop->setText(QStringLiteral("OffTop"));
    }
}

bool frmFernsicht::FensterIstOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void frmFernsicht::FensterOnTop(bool ein)
{
    // Changed on the native window in place: recreating it (as setWindowFlag does) would take
    // the picture's window away from the playing stream.
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, ein);
    overrideWindowFlags(flags);
    if (QWindow* fenster = windowHandle())
        fenster->setFlags(flags);
}

void frmFernsicht::mnuExit_Click()
{
    close();
}

void frmFernsicht::listeZeigen()
{
    // The picture is a native window that would cover the list: only one of them shows.
    WindowsMediaPlayer1->hide();
    lvwSender->show();
    lvwSender->raise();
    lvwSender->setFocus();
}

void frmFernsicht::playerZeigen()
{
    lvwSender->hide();
    WindowsMediaPlayer1->show();
    WindowsMediaPlayer1->setFocus();
}

void frmFernsicht::fristAbgelaufen()
{
    if (!m_laufend || WindowsMediaPlayer1->playState() == int(klang::media::PlayState::Playing))
        return;
    const QString name = m_laufend->name;
    m_laufend.reset();
    WindowsMediaPlayer1->close();
    listeZeigen();
    meldungZeigen(QStringLiteral("„%1“ lässt sich nicht abspielen: Der Sender hat nach %2 Sekunden noch "
                                       "nichts gesendet, der Verbindungsaufbau wurde abgebrochen.")
                            .arg(name, QLocale(QLocale::German).toString(m_fristMs / 1000.0, 'g', 3)));
}

void frmFernsicht::wiedergabeZustand(int zustand)
{
    if (m_laufend && zustand == int(klang::media::PlayState::Playing)) {
        m_frist->stop();
        meldungLeeren();
    }
    // Only while connecting: once it played, a stop is the control bar's Stop button.
    if (m_laufend && m_frist->isActive() && zustand == int(klang::media::PlayState::Stopped)) {
        // An error or an end follows a stop at once. A stop with neither is a medium that led
        // elsewhere (a playlist from the network, whose entries the player does not follow):
        // nothing will come any more, so the 15 s are not waited for.
        QTimer::singleShot(0, this, [this, versuch = m_versuch] {
            if (m_laufend && versuch == m_versuch && m_frist->isActive()
                && WindowsMediaPlayer1->playState() == int(klang::media::PlayState::Stopped))
                nichtsGespielt();
        });
    }
}

void frmFernsicht::nichtsGespielt()
{
    const QString name = m_laufend->name;
    m_laufend.reset();
    m_frist->stop();
    WindowsMediaPlayer1->close();
    listeZeigen();
    meldungZeigen(QStringLiteral("„%1“ lässt sich nicht abspielen: Die Adresse führt zu einer Wiedergabeliste, nicht "
                                 "zu einem Sender. Tragen Sie die Adresse eines Senders aus der Liste ein.").arg(name));
}

namespace {

// What went wrong, in the family's language: the engine's words (and those of its network
// libraries) are matched, most telling first; anything unknown gets a plain German phrase
// rather than half an English sentence.
QString grundAufDeutsch(const QString& text, const QStringList& einzelheiten)
{
    // The engine's own refusals are German already.
    for (const char* deutsch : {"Die Datei wurde nicht gefunden", "Kein Medium angegeben", "Die Wiedergabe-Bibliothek"}) {
        if (text.startsWith(QLatin1String(deutsch)))
            return text;
    }
    const QString alles = (einzelheiten + QStringList{text}).join(QLatin1Char('\n'));
    static const QRegularExpression http(QStringLiteral(R"((?:HTTP error|Server returned) (\d)(\d\d|XX))"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto treffer = http.match(alles);
    if (treffer.hasMatch()) {
        const QString code = treffer.captured(1) + treffer.captured(2);
        if (code == QLatin1String("404"))
            return QStringLiteral("Der Server kennt diese Adresse nicht (HTTP-Fehler 404, nicht gefunden)");
        if (code == QLatin1String("401") || code == QLatin1String("403"))
            return QStringLiteral("Der Server verweigert den Zugriff (HTTP-Fehler %1)").arg(code);
        if (treffer.captured(1) == QLatin1String("5"))
            return QStringLiteral("Der Server hat einen Fehler gemeldet (HTTP-Fehler %1)").arg(code.toUpper());
        return QStringLiteral("Der Server lehnt die Anfrage ab (HTTP-Fehler %1)").arg(code.toUpper());
    }
    static const QList<QPair<QString, QString>> muster{
        {QStringLiteral("connection refused"), QStringLiteral("keine Verbindung: Der Server nimmt keine Verbindung an")},
        {QStringLiteral("failed to resolve"), QStringLiteral("keine Verbindung: Der Servername ist unbekannt")},
        {QStringLiteral("name or service not known"), QStringLiteral("keine Verbindung: Der Servername ist unbekannt")},
        {QStringLiteral("network is unreachable"), QStringLiteral("keine Verbindung: Das Netz ist nicht erreichbar")},
        {QStringLiteral("timed out"), QStringLiteral("keine Verbindung: Der Server antwortet nicht")},
        {QStringLiteral("ends prematurely"), QStringLiteral("Die Übertragung brach vorzeitig ab")},
        {QStringLiteral("unrecognized file format"), QStringLiteral("unbekanntes Format")},
        {QStringLiteral("no audio or video data played"), QStringLiteral("keine Bild- oder Tondaten")},
        {QStringLiteral("nothing to play"), QStringLiteral("nichts abzuspielen")},
        {QStringLiteral("failed to open"), QStringLiteral("keine Verbindung oder kein abspielbarer Inhalt")},
        {QStringLiteral("loading failed"), QStringLiteral("keine Verbindung oder kein abspielbarer Inhalt")},
    };
    for (const auto& [englisch, deutsch] : muster) {
        if (alles.contains(englisch, Qt::CaseInsensitive))
            return deutsch;
    }
    return QStringLiteral("Die Wiedergabe ist fehlgeschlagen");
}

} // namespace

void frmFernsicht::wiedergabeFehler(const QString& text)
{
    if (!m_laufend)
        return;
    const QString name = m_laufend->name;
    // The engine's text first: closing the player clears it.
    const QString grund = grundAufDeutsch(text, WindowsMediaPlayer1->engine()->errorDetails());
    m_laufend.reset();
    WindowsMediaPlayer1->close();
    listeZeigen();
    m_frist->stop();
    meldungZeigen(QStringLiteral("„%1“ lässt sich nicht abspielen: %2").arg(name, grund));
}

void frmFernsicht::wiedergabeEnde(klang::media::EndReason grund)
{
    if (!m_laufend || grund != klang::media::EndReason::Finished)
        return; // errors arrive through wiedergabeFehler
    const QString name = m_laufend->name;
    // A live stream has no end of its own, and the network libraries tell of a download that
    // stopped short of its announced length: either is a transmission broken off.
    const bool netz = m_laufend->url.contains(QLatin1String("://"))
                      && !m_laufend->url.trimmed().startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
    const QString details = WindowsMediaPlayer1->engine()->errorDetails().join(QLatin1Char('\n'));
    const bool abgebrochen = (netz && m_laenge <= 0) || details.contains(QLatin1String("ends prematurely"), Qt::CaseInsensitive);
    m_laufend.reset();
    m_frist->stop();
    WindowsMediaPlayer1->close();
    listeZeigen();
    if (abgebrochen)
        meldungZeigen(QStringLiteral("Die Übertragung von „%1“ brach vorzeitig ab.").arg(name));
    else
        meldungZeigen(QStringLiteral("Die Übertragung von „%1“ ist zu Ende.").arg(name));
}

void frmFernsicht::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmFernsicht::Form_Unload()
{
    if (m_entladen)
        return;
    m_entladen = true;
    auto speichern = [](const QString& schluessel, int wert) {
        klang::SaveSetting(App, Abschnitt, schluessel, QString::number(wert));
    };
    if (isMinimized()) {
        // nothing is saved for a minimised window
    } else if (isMaximized()) {
        speichern(QStringLiteral("WindowState"), 2);
    } else {
        speichern(QStringLiteral("WindowState"), 0);
        speichern(QStringLiteral("AusgabeboxLeft"), pixelsToTwips(x()));
        speichern(QStringLiteral("AusgabeboxTop"), pixelsToTwips(y()));
        speichern(QStringLiteral("AusgabeboxWidth"), pixelsToTwips(width()));
        speichern(QStringLiteral("AusgabeboxHeight"), pixelsToTwips(height()));
    }
    m_laufend.reset();
    m_frist->stop();
    // The engine lets go of the picture's window before the window goes: mpv still drawing
    // into a destroyed window ends the program with an X error.
    WindowsMediaPlayer1->close();
    WindowsMediaPlayer1->engine()->shutdown();
    kit::AlleFormsEntladen();
}

} // namespace tv
