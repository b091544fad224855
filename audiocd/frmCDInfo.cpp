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
    lblStatus->setWordWrap(true);
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->hide();
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
    m_identity = p.iniIdentity();
    m_warnedUnstorable.clear();
    txtMediaID->setText(m_identity);
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
    if (p.iniIncomplete())
        melden(QStringLiteral("Ein Eintrag dieser CD in diskolo.ini ist länger als %1 KB und wird nicht gezeigt; "
                              "die Angaben der CD lassen sich nicht speichern, solange er da ist.")
                   .arg(MaxSectionLineBytes / 1024));
    AutoSizeColumns(lvTracks, 2);
    txtArtist->setFocus();
}

void frmCDInfo::cmdSave_Click()
{
    ctlDiskoloX& p = m_main.player();
    // The player follows the drive while the window is open: another disc may lie there now,
    // and these names belong to the disc the window was opened for.
    const QString now = p.iniIdentity();
    if (now != m_identity) {
        melden(now.isEmpty()
            ? QStringLiteral("Die CD %1 liegt nicht mehr im Laufwerk. Die Angaben wurden nicht gespeichert; "
                             "legen Sie die CD wieder ein und speichern Sie dann.").arg(m_identity)
            : QStringLiteral("Im Laufwerk liegt jetzt eine andere CD (%1). Die Angaben gehören zur CD %2 und "
                             "wurden nicht gespeichert; legen Sie diese wieder ein und speichern Sie dann.")
                  .arg(now, m_identity));
        return;
    }
    DiscNames typed;
    typed.artist = txtArtist->text();
    typed.title = txtTitle->text();
    for (int n = 1; n <= lvTracks->topLevelItemCount(); ++n)
        typed.tracks << lvTracks->topLevelItem(n - 1)->text(0);
    // diskolo.ini keeps its code page, which has no room for some letters: the user hears of
    // it before they turn into "?", and a second Save stores them so.
    const QStringList unstorable = unstorableTexts(typed, p.iniEncoding());
    if (!unstorable.isEmpty() && unstorable != m_warnedUnstorable) {
        m_warnedUnstorable = unstorable;
        melden(QStringLiteral("diskolo.ini kann diese Zeichen nicht aufnehmen, sie würden zu „?“: ")
                           + unstorable.join(QStringLiteral("; "))
                           + QStringLiteral(". Ändern Sie den Text, oder speichern Sie noch einmal, um sie so zu speichern."));
        return;
    }
    p.setIniCDArtist(typed.artist);
    p.setIniCDTitle(typed.title);
    for (int n = 1; n <= typed.tracks.size(); ++n)
        p.setIniTrackName(qint16(n), typed.tracks.at(n - 1));
    if (!p.SaveToDiskoloIni()) {
        // The edits stay in the window so that nothing typed is lost; the player keeps what the
        // file holds.
        const QString why = p.saveErrorText();
        p.LoadFromDiskoloIni();
        melden(QStringLiteral("Die Angaben ließen sich nicht in diskolo.ini speichern.")
                           + (why.isEmpty() ? QString() : QLatin1Char(' ') + why));
        return;
    }
    accept();
    p.LoadFromDiskoloIni();
}

void frmCDInfo::melden(const QString& text)
{
    // The list gives up its lower part while there is something to say, so that the whole
    // message can be read and every row can still be reached.
    const QRect list = twips(120, 1500, 4965, 2535);
    const int room = text.isEmpty() ? 0 : 4 * lblStatus->fontMetrics().lineSpacing() + 4;
    lvTracks->setGeometry(list.adjusted(0, 0, 0, -room));
    lblStatus->setGeometry(list.left(), list.bottom() - room + 3, list.width(), room);
    lblStatus->setText(text);
    lblStatus->setVisible(!text.isEmpty());
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
