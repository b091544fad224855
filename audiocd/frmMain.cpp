#include "audiocd/frmMain.h"

#include "audiocd/TrackKalender.h"
#include "audiocd/frmCDInfo.h"
#include "kit/Helpers.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace diskolo {

namespace {

using klang::vb::twipsToPixels;

QRect twips(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QString twoDigits(int n)
{
    return (QStringLiteral("0") + QString::number(n)).right(2);
}

const QColor DisplayGrey(150, 150, 150);

// The window's fonts, with narrow look-alikes where the named one is missing: the display's
// labels are sized for them.
QFont schrift(const QString& family, qreal points, bool bold = false)
{
    QFont f;
    f.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                   QStringLiteral("DejaVu Sans Condensed")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// The play-state pictures in the display's grey, so that they read on black and on a button.
QIcon stateIcon(const QString& key)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(DisplayGrey);
    if (key == QLatin1String("playing")) {
        const QPointF tri[] = {{7, 4}, {28, 16}, {7, 28}};
        p.drawPolygon(tri, 3);
    } else if (key == QLatin1String("paused")) {
        p.drawRect(QRectF(7, 5, 7, 22));
        p.drawRect(QRectF(18, 5, 7, 22));
    } else {
        p.drawRect(QRectF(6, 6, 20, 20));
    }
    return QIcon(pm);
}

} // namespace

frmMain::frmMain(std::unique_ptr<klang::cdaudio::CdBackend> backend, QWidget* parent)
    : QMainWindow(parent)
    , ctlDiskoloX1(std::make_unique<ctlDiskoloX>(std::move(backend)))
{
    setObjectName(QStringLiteral("frmMain"));
    ctlDiskoloX1->setObjectName(QStringLiteral("ctlDiskoloX1"));
    buildWindow();
    connect(ctlDiskoloX1.get(), &ctlDiskoloX::CDChanged, this, &frmMain::ctlDiskoloX1_CDChanged);
    connect(ctlDiskoloX1.get(), &ctlDiskoloX::TrackChanged, this, &frmMain::ctlDiskoloX1_TrackChanged);
    connect(ctlDiskoloX1.get(), &ctlDiskoloX::PosChanged, this, &frmMain::ctlDiskoloX1_PosChanged);
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::buildWindow()
{
    setWindowTitle(QStringLiteral("Diskolo"));
    QStyle* st = style();
    m_images.insert(QStringLiteral("cd"), st->standardIcon(QStyle::SP_DriveCDIcon));
    m_images.insert(QStringLiteral("track"), st->standardIcon(QStyle::SP_MediaVolume));
    m_images.insert(QStringLiteral("playing"), stateIcon(QStringLiteral("playing")));
    m_images.insert(QStringLiteral("paused"), stateIcon(QStringLiteral("paused")));
    m_images.insert(QStringLiteral("stopped"), stateIcon(QStringLiteral("stopped")));

    // F1 opens the program's help page, as in the other programs of the family.
    auto* hilfe = new QAction(this);
    hilfe->setObjectName(QStringLiteral("mnuHilfe"));
    hilfe->setShortcut(QKeySequence(Qt::Key_F1));
    connect(hilfe, &QAction::triggered, this, [] { kit::HilfeAufrufen(QStringLiteral("diskolo.html")); });
    addAction(hilfe);

    // Menus.
    QMenu* mnuCD = menuBar()->addMenu(QStringLiteral("&CD"));
    mnuCD->setObjectName(QStringLiteral("mnuCD"));
    QAction* mnuCDEdit = mnuCD->addAction(QStringLiteral("E&dit information..."));
    mnuCDEdit->setObjectName(QStringLiteral("mnuCDEdit"));
    connect(mnuCDEdit, &QAction::triggered, this, &frmMain::mnuCDEdit_Click);
    mnuCD->addSeparator()->setObjectName(QStringLiteral("mnuCDSpace1"));
    QAction* mnuCDExit = mnuCD->addAction(QStringLiteral("E&xit"));
    mnuCDExit->setObjectName(QStringLiteral("mnuCDExit"));
    connect(mnuCDExit, &QAction::triggered, this, &frmMain::mnuCDExit_Click);

    const auto radioMenu = [this](const QString& title, const QString& name, const QStringList& items,
                                  QList<QAction*>& actions, void (frmMain::*handler)(int)) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(name);
        auto* group = new QActionGroup(menu);
        group->setExclusive(true);
        for (int i = 0; i < items.size(); ++i) {
            QAction* a = menu->addAction(items.at(i));
            a->setObjectName(name + QStringLiteral("Item") + QString::number(i));
            a->setCheckable(true);
            a->setChecked(i == 0);
            group->addAction(a);
            connect(a, &QAction::triggered, this, [this, handler, i] { (this->*handler)(i); });
            actions.append(a);
        }
    };
    radioMenu(QStringLiteral("Abspielen"), QStringLiteral("mnuProgram"),
              {QStringLiteral("&Normal"), QStringLiteral("&Titel anspielen"), QStringLiteral("&zufällige Wiedergabe")},
              mnuProgramItem, &frmMain::mnuProgramItem_Click);
    radioMenu(QStringLiteral("&Wiederholung"), QStringLiteral("mnuRepeat"),
              {QStringLiteral("&keine"), QStringLiteral("&Lied"), QStringLiteral("&CD")}, mnuRepeatItem,
              &frmMain::mnuRepeatItem_Click);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixels(6855), twipsToPixels(1860));
    client->setFont(schrift(QStringLiteral("Tahoma"), 8.25));
    setCentralWidget(client);

    // The display panel.
    picDisplay = new QWidget(client);
    picDisplay->setObjectName(QStringLiteral("picDisplay"));
    picDisplay->setGeometry(twips(120, 120, 3975, 1215));
    picDisplay->setAutoFillBackground(true);
    QPalette dark = picDisplay->palette();
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, DisplayGrey);
    picDisplay->setPalette(dark);
    picDisplay->setFont(schrift(QStringLiteral("Tahoma"), 8.25));
    const QFont segoeBold = schrift(QStringLiteral("Segoe UI"), 8.25, true);

    const auto label = [this](const QString& name, const QRect& place, const QFont& labelFont, const QString& tip) {
        auto* l = new QLabel(picDisplay);
        l->setObjectName(name);
        l->setGeometry(place);
        l->setFont(labelFont);
        l->setToolTip(tip);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    picCalendar = new TrackKalender(picDisplay);
    picCalendar->setObjectName(QStringLiteral("picCalendar"));
    picCalendar->setGeometry(twips(2790, 30, 1095, 1095));
    // The labels reach to the grid; the names would be cut after a few letters otherwise.
    const int textRight = picCalendar->x() - 2;
    lblCDTitle = label(QStringLiteral("lblCDTitle"), QRect(2, 2, textRight - 2, twipsToPixels(195)), segoeBold,
                       QStringLiteral("Title and artist of the cd"));
    imgPlayStatus = new QLabel(picDisplay);
    imgPlayStatus->setObjectName(QStringLiteral("imgPlayStatus"));
    imgPlayStatus->setGeometry(twips(30, 360, 255, 255));
    imgPlayStatus->setToolTip(QStringLiteral("Current play state"));
    lblTrackPos = label(QStringLiteral("lblTrackPos"), twips(390, 240, 1635, 420),
                        schrift(QStringLiteral("Segoe UI"), 15, true), QString());
    lblTrackLength = label(QStringLiteral("lblTrackLength"), twips(0, 600, 1260, 195),
                           schrift(QStringLiteral("Tahoma"), 8.25, true),
                           QStringLiteral("Length of the track"));
    lblTrackLength->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // It ends just left of the grid.
    lblTrackLength->move(picCalendar->x() - lblTrackLength->width() - 2, lblTrackLength->y());
    lblTrackName = label(QStringLiteral("lblTrackName"),
                         QRect(2, twipsToPixels(600), lblTrackLength->x() - 4, twipsToPixels(195)), segoeBold,
                         QStringLiteral("Title of the track"));
    lblCDExtraInfo = label(QStringLiteral("lblCDExtraInfo"), QRect(2, twipsToPixels(840), textRight - 2,
                           twipsToPixels(195)), segoeBold, QStringLiteral("Additional information about the cd"));

    Slider1 = new QSlider(Qt::Horizontal, client);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setGeometry(twips(120, 1440, 3975, 375));
    Slider1->setMaximum(0);
    connect(Slider1, &QSlider::valueChanged, this, [this] {
        // While the knob is dragged only its release seeks.
        if (!Slider1->isSliderDown())
            Slider1_Change();
    });
    connect(Slider1, &QSlider::sliderReleased, this, &frmMain::Slider1_Change);

    const auto button = [&](const QString& name, const QString& caption, const QRect& place, const QString& icon,
                            void (frmMain::*handler)()) {
        auto* b = new QToolButton(client);
        b->setObjectName(name);
        b->setText(caption);
        b->setToolTip(caption.trimmed());
        b->setGeometry(place);
        b->setFocusPolicy(Qt::StrongFocus); // reachable with Tab like any push button
        if (!icon.isEmpty())
            b->setIcon(m_images.value(icon));
        // The narrow buttons show their picture only.
        b->setToolButtonStyle(place.width() < 40 ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    cmdPlay = button(QStringLiteral("cmdPlay"), QStringLiteral(" Play "), twips(4200, 120, 1815, 360),
                     QStringLiteral("playing"), &frmMain::cmdPlay_Click);
    cmdPause = button(QStringLiteral("cmdPause"), QStringLiteral(" Pause "), twips(6000, 120, 375, 360),
                      QStringLiteral("paused"), &frmMain::cmdPause_Click);
    cmdStop = button(QStringLiteral("cmdStop"), QStringLiteral(" Stop "), twips(6360, 120, 375, 360),
                     QStringLiteral("stopped"), &frmMain::cmdStop_Click);
    cmdBackward = button(QStringLiteral("cmdBackward"), QStringLiteral(" Zurück "), twips(4200, 480, 1095, 360),
                         QString(), &frmMain::cmdBackward_Click);
    cmdBackward->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    cmdForward = button(QStringLiteral("cmdForward"), QStringLiteral(" Vor "), twips(5280, 480, 1095, 360), QString(),
                        &frmMain::cmdForward_Click);
    cmdForward->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
    cmdEject = button(QStringLiteral("cmdEject"), QStringLiteral(" Auswerfen "), twips(6360, 480, 375, 360),
                      QString(), &frmMain::cmdEject_Click);
    cmdEject->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));

    auto* Label6 = new QLabel(QStringLiteral("Laufwerk:"), client);
    Label6->setObjectName(QStringLiteral("Label6"));
    // As wide as the room up to the chooser: the caption is cut otherwise.
    Label6->setGeometry(twips(4200, 1035, 900, 225));
    cmbDrives = new QComboBox(client);
    cmbDrives->setObjectName(QStringLiteral("cmbDrives"));
    cmbDrives->setGeometry(twips(5100, 960, 1635, 360));
    connect(cmbDrives, &QComboBox::activated, this, &frmMain::cmbDrives_Click);
    auto* Label1 = new QLabel(QStringLiteral("Lied:"), client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(4575, 1395, 375, 225));
    cmbTracks = new QComboBox(client);
    cmbTracks->setObjectName(QStringLiteral("cmbTracks"));
    cmbTracks->setGeometry(twips(5100, 1350, 1635, 360));
    connect(cmbTracks, &QComboBox::activated, this, &frmMain::cmbTracks_Click);

    timPlayStatus = new QTimer(this);
    timPlayStatus->setObjectName(QStringLiteral("timPlayStatus"));
    timPlayStatus->setInterval(250);
    connect(timPlayStatus, &QTimer::timeout, this, &frmMain::timPlayStatus_Timer);
    timPlayStatus->start();
}

void frmMain::spaeterGestartet(const QStringList& args)
{
    for (int i = 1; i < args.size(); ++i) {
        if (!args.at(i).startsWith(QLatin1Char('-'))) {
            ctlDiskoloX1->setDrive(args.at(i));
            break;
        }
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void frmMain::Form_Load()
{
    ctlDiskoloX1->StartTimers();
    // Only real drives are offered; an image given at start stays the default device.
    const QSignalBlocker block(cmbDrives);
    cmbDrives->clear();
    for (const QString& drive : ctlDiskoloX1->backend().drives()) {
        if (ctlDiskoloX1->IsCDDrive(drive))
            cmbDrives->addItem(m_images.value(QStringLiteral("cd")), drive);
    }
    if (cmbDrives->count() > 0)
        cmbDrives->setCurrentIndex(0);
    setWindowIcon(m_images.value(QStringLiteral("cd")));
    ctlDiskoloX1_CDChanged();
}

void frmMain::ctlDiskoloX1_CDChanged()
{
    ctlDiskoloX& p = *ctlDiskoloX1;
    lblCDExtraInfo->setText((p.iniFound() ? QStringLiteral("Found") : QStringLiteral("Unknown"))
                            + QStringLiteral("   ") + ctlDiskoloX::FormatTime(p.CDLength()));
    // The labels show plain text, so an "&" in a name needs no doubling to show as one.
    lblCDTitle->setText(p.iniFound()
        ? p.iniCDTitle() + QStringLiteral(" (") + p.iniCDArtist() + QStringLiteral(")")
        : QStringLiteral("Unknown disc (unknown artist)"));
    // A device that could not be opened (an image with a line it cannot read) says why; the
    // whole text is in the tip when the line is too short for it.
    const QString why = p.openErrorText();
    if (!why.isEmpty())
        lblCDTitle->setText(why.section(QStringLiteral(": "), 0, 0) + (why.contains(QStringLiteral(": ")) ? QStringLiteral(":") : QString()));
    lblCDTitle->setToolTip(why.isEmpty() ? QStringLiteral("Title and artist of the cd") : why);
    DrawCalendar();
    FillTrackList();
    ctlDiskoloX1_TrackChanged();
}

void frmMain::ctlDiskoloX1_TrackChanged()
{
    ctlDiskoloX& p = *ctlDiskoloX1;
    const qint16 current = p.CurrentTrack();
    // Without a disc the line of the track names goes on with why the device did not open.
    const QString why = p.TrackCount() == 0 ? p.openErrorText() : QString();
    lblTrackName->setText(why.contains(QStringLiteral(": ")) ? why.section(QStringLiteral(": "), 1)
                                                              : p.iniTrackName(current));
    const qint32 length = p.TrackLength(current);
    lblTrackLength->setText(ctlDiskoloX::FormatTime(length));
    m_updating = true;
    if (current >= 1 && current <= cmbTracks->count())
        cmbTracks->setCurrentIndex(current - 1);
    Slider1->setMaximum(int(klang::vb::roundHalfEven(length / 1000.0)));
    m_updating = false;
    DrawCalendar();
    ctlDiskoloX1_PosChanged();
}

void frmMain::ctlDiskoloX1_PosChanged()
{
    ctlDiskoloX& p = *ctlDiskoloX1;
    const qint32 pos = p.TrackPos();
    lblTrackPos->setText(QStringLiteral("[") + twoDigits(p.CurrentTrack()) + QStringLiteral("] ")
                         + ctlDiskoloX::FormatTime(pos));
    // The knob the user holds stays where the hand is.
    if (Slider1->isSliderDown())
        return;
    m_updating = true;
    Slider1->setValue(int(klang::vb::roundHalfEven(pos / 1000.0)));
    m_updating = false;
}

void frmMain::FillTrackList()
{
    ctlDiskoloX& p = *ctlDiskoloX1;
    m_updating = true;
    cmbTracks->clear();
    const qint16 count = p.TrackCount();
    for (qint16 n = 1; n <= count; ++n)
        cmbTracks->addItem(m_images.value(QStringLiteral("track")),
                           twoDigits(n) + QStringLiteral(" (") + ctlDiskoloX::FormatTime(p.TrackLength(n))
                               + QStringLiteral(")"));
    m_updating = false;
}

void frmMain::DrawCalendar()
{
    picCalendar->setTracks(ctlDiskoloX1->TrackCount(), ctlDiskoloX1->CurrentTrack());
}

void frmMain::cmdPlay_Click() { ctlDiskoloX1->PlayCD(); }
void frmMain::cmdPause_Click() { ctlDiskoloX1->PauseCD(); }
void frmMain::cmdStop_Click() { ctlDiskoloX1->StopCD(); }
void frmMain::cmdBackward_Click() { ctlDiskoloX1->PreviousTrack(); }
void frmMain::cmdForward_Click() { ctlDiskoloX1->NextTrack(); }

void frmMain::cmdEject_Click()
{
    bool done = false;
    if (cmdEject->property("Tag").toString() == QLatin1String("opened")) {
        done = ctlDiskoloX1->CloseDoor();
        cmdEject->setProperty("Tag", QString());
    } else {
        done = ctlDiskoloX1->OpenDoor();
        cmdEject->setProperty("Tag", QStringLiteral("opened"));
    }
    // No message box: the display tells why the tray did not move (an image has none).
    if (!done)
        lblCDExtraInfo->setText(ctlDiskoloX1->GetErrorString());
}

void frmMain::cmbDrives_Click()
{
    ctlDiskoloX1->setDrive(cmbDrives->currentText());
}

void frmMain::cmbTracks_Click()
{
    if (m_updating)
        return;
    ctlDiskoloX1->setCurrentTrack(qint16(cmbTracks->currentIndex() + 1));
}

void frmMain::Slider1_Change()
{
    if (m_updating)
        return;
    m_updating = true;
    ctlDiskoloX1->setTrackPos(Slider1->value() * 1000);
    m_updating = false;
}

void frmMain::mnuProgramItem_Click(int Index)
{
    for (int i = 0; i < mnuProgramItem.size(); ++i)
        mnuProgramItem.at(i)->setChecked(i == Index);
    ctlDiskoloX1->setProgramMode(Index);
}

void frmMain::mnuRepeatItem_Click(int Index)
{
    for (int i = 0; i < mnuRepeatItem.size(); ++i)
        mnuRepeatItem.at(i)->setChecked(i == Index);
    ctlDiskoloX1->setRepeat(Index);
}

void frmMain::mnuCDEdit_Click()
{
    frmCDInfo dialog(*this);
    dialog.exec();
}

void frmMain::mnuCDExit_Click()
{
    close();
}

void frmMain::timPlayStatus_Timer()
{
    const QString s = ctlDiskoloX1->Status();
    if (m_lastPlayStatusShown && s == m_lastPlayStatus)
        return;
    const QString lower = s.toLower();
    m_playStatusKey = lower == QLatin1String("playing") ? QStringLiteral("playing")
                    : lower == QLatin1String("paused")  ? QStringLiteral("paused")
                                                        : QStringLiteral("stopped");
    imgPlayStatus->setPixmap(m_images.value(m_playStatusKey).pixmap(imgPlayStatus->size()));
    imgPlayStatus->move(imgPlayStatus->x(), lblTrackPos->y() + (lblTrackPos->height() - imgPlayStatus->height()) / 2);
    m_lastPlayStatus = s;
    m_lastPlayStatusShown = true;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!m_unloading) {
        m_unloading = true;
        kit::AlleFormsEntladen();
        m_unloading = false;
    }
    event->accept();
}

} // namespace diskolo
