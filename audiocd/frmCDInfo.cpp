#include "audiocd/frmCDInfo.h"

#include "audiocd/frmMain.h"
#include "platform/vbcompat/VbCompat.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace diskolo {

namespace {

QRect twips(int left, int top, int width, int height)
{
    using klang::vb::twipsToPixels;
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace

frmCDInfo::frmCDInfo(frmMain& main)
    : QDialog(&main)
    , m_main(main)
{
    setObjectName(QStringLiteral("frmCDInfo"));
    setWindowTitle(QStringLiteral("Diskolo.INI"));
    setModal(true);
    setFixedSize(klang::vb::twipsToPixels(5205), klang::vb::twipsToPixels(4740));
    QFont segoe;
    segoe.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                       QStringLiteral("DejaVu Sans Condensed")});
    segoe.setPointSizeF(8.25);
    setFont(segoe);

    const auto label = [this](const QString& name, const QString& text, const QRect& place) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setGeometry(place);
        return l;
    };
    const auto edit = [this](const QString& name, const QRect& place, bool readOnly) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setGeometry(place);
        e->setReadOnly(readOnly);
        return e;
    };
    label(QStringLiteral("Label3"), QStringLiteral("Media-ID:"), twips(120, 165, 780, 225));
    txtMediaID = edit(QStringLiteral("txtMediaID"), twips(960, 120, 1335, 375), true);
    label(QStringLiteral("Label4"), QStringLiteral("Already in DISKOLO.INI:"), twips(2400, 165, 2010, 225));
    txtInDiskoloINI = edit(QStringLiteral("txtInDiskoloINI"), twips(4480, 120, 615, 375), true);
    label(QStringLiteral("Label1"), QStringLiteral("Artist:"), twips(120, 600, 465, 225));
    txtArtist = edit(QStringLiteral("txtArtist"), twips(975, 555, 4125, 375), false);
    label(QStringLiteral("Label2"), QStringLiteral("Title:"), twips(120, 1035, 390, 225));
    txtTitle = edit(QStringLiteral("txtTitle"), twips(960, 990, 4125, 375), false);

    lvTracks = new QTreeWidget(this);
    lvTracks->setObjectName(QStringLiteral("lvTracks"));
    lvTracks->setGeometry(twips(120, 1500, 4965, 2535));
    lvTracks->setRootIsDecorated(false);
    lvTracks->setHeaderLabels({QStringLiteral("TrackName"), QStringLiteral("Number"), QStringLiteral("Length")});
    lvTracks->header()->setStretchLastSection(false);
    // Only F2 without modifiers starts the edit (Qt's own trigger ignores the modifiers).
    lvTracks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvTracks->installEventFilter(this);
    connect(lvTracks, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (column == 0)
            lvTracks_AfterLabelEdit();
    });

    cmdSave = new QPushButton(QStringLiteral("&Save To Diskolo.ini"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setGeometry(twips(1350, 4215, 2205, 360));
    connect(cmdSave, &QPushButton::clicked, this, &frmCDInfo::cmdSave_Click);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(twips(3825, 4200, 1170, 360));
    connect(cmdCancel, &QPushButton::clicked, this, &frmCDInfo::cmdCancel_Click);

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(QRect(8, cmdSave->y() - 4, cmdSave->x() - 12, cmdSave->height() + 8));
    lblStatus->setWordWrap(true);
    lblStatus->setStyleSheet(QStringLiteral("color: #b00000;"));
    QFont small = lblStatus->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblStatus->setFont(small);

    Form_Load();
}

void frmCDInfo::Form_Load()
{
    ctlDiskoloX& p = m_main.player();
    txtArtist->setText(p.iniCDArtist());
    txtTitle->setText(p.iniCDTitle());
    txtMediaID->setText(p.iniIdentity());
    txtInDiskoloINI->setText(p.iniFound() ? QStringLiteral("yes") : QStringLiteral("no"));
    const QSignalBlocker block(lvTracks);
    lvTracks->clear();
    const QIcon icon = m_main.ImageList1().value(QStringLiteral("track"));
    const qint16 count = p.TrackCount();
    for (qint16 n = 1; n <= count; ++n) {
        auto* item = new QTreeWidgetItem(lvTracks);
        item->setText(0, p.iniTrackName(n));
        item->setIcon(0, icon);
        item->setText(1, QString::number(n));
        item->setText(2, ctlDiskoloX::FormatTime(p.TrackLength(n)));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    if (lvTracks->topLevelItemCount() > 0)
        lvTracks->setCurrentItem(lvTracks->topLevelItem(0));
    // Names only belong to a disc in the drive.
    cmdSave->setEnabled(count > 0);
    AutoSizeColumns(lvTracks, 2);
    txtArtist->setFocus();
}

void frmCDInfo::cmdSave_Click()
{
    ctlDiskoloX& p = m_main.player();
    p.setIniCDArtist(txtArtist->text());
    p.setIniCDTitle(txtTitle->text());
    for (int n = 1; n <= lvTracks->topLevelItemCount(); ++n)
        p.setIniTrackName(qint16(n), lvTracks->topLevelItem(n - 1)->text(0));
    if (!p.SaveToDiskoloIni()) {
        // The edits stay in the window so that nothing typed is lost; the player keeps what the
        // file holds.
        p.LoadFromDiskoloIni();
        lblStatus->setText(QStringLiteral("Die Angaben ließen sich nicht in diskolo.ini speichern."));
        return;
    }
    accept();
    p.LoadFromDiskoloIni();
}

void frmCDInfo::cmdCancel_Click()
{
    reject();
}

void frmCDInfo::lvTracks_AfterLabelEdit()
{
    AutoSizeColumns(lvTracks, 2);
}

bool frmCDInfo::AutoSizeColumns(QTreeWidget* list, int mode)
{
    if (!list)
        return false;
    const int columns = list->columnCount();
    switch (mode) {
    case 1:
    case 2:
        for (int c = 0; c < columns; ++c)
            list->resizeColumnToContents(c); // contents and header
        return true;
    case 3:
        if (columns > 0)
            list->resizeColumnToContents(columns - 1);
        return true;
    default:
        return true;
    }
}

bool frmCDInfo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lvTracks && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F2) {
            const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
            if (mods == Qt::NoModifier && lvTracks->currentItem())
                lvTracks->editItem(lvTracks->currentItem(), 0);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace diskolo
