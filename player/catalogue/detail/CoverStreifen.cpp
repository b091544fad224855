#include "player/catalogue/detail/CoverStreifen.h"

#include "kit/MsgFenn.h"
#include "player/catalogue/detail/Bilddaten.h"
#include "platform/vbcompat/VbCompat.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QToolButton>

namespace klang::detail {

namespace {
constexpr int SlotPixel = 67;   // 1005 twips
constexpr int AbstandPixel = 70; // 1050 twips
constexpr int ObenPixel = 25;   // 375 twips
}

CoverStreifen::CoverStreifen(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CoverStreifen"));
    cmdCoverUp = new QToolButton(this);
    cmdCoverUp->setObjectName(QStringLiteral("cmdCoverUp"));
    cmdCoverUp->setToolTip(QStringLiteral(" Cover up"));
    cmdCoverUp->setArrowType(Qt::UpArrow);
    cmdCoverUp->setGeometry(0, 0, SlotPixel / 2, ObenPixel - 2);
    cmdCoverDown = new QToolButton(this);
    cmdCoverDown->setObjectName(QStringLiteral("cmdCoverDown"));
    cmdCoverDown->setToolTip(QStringLiteral(" Cover down"));
    cmdCoverDown->setArrowType(Qt::DownArrow);
    cmdCoverDown->setGeometry(SlotPixel / 2 + 1, 0, SlotPixel / 2, ObenPixel - 2);
    for (int k = 0; k < CoverStreifenRegeln::SlotAnzahl; ++k) {
        auto* slot = new QLabel(this);
        slot->setObjectName(QStringLiteral("imgCover_%1").arg(k));
        slot->setGeometry(0, ObenPixel + AbstandPixel * k, SlotPixel, SlotPixel);
        slot->setScaledContents(true);
        slot->installEventFilter(this);
        m_slots << slot;
    }
    lstCover = new QListWidget(this);
    lstCover->setObjectName(QStringLiteral("lstCover"));
    lstCover->setVisible(false);
    setMinimumWidth(SlotPixel);
    connect(cmdCoverDown, &QToolButton::clicked, this, &CoverStreifen::CoverDown);
    connect(cmdCoverUp, &QToolButton::clicked, this, &CoverStreifen::CoverUp);
    zeigen();
}

void CoverStreifen::setCoverOrdner(const QString& ordner)
{
    m_ordner = ordner;
    folderLesen();
}

void CoverStreifen::setZeilen(const QList<BandTitel>& zeilen)
{
    m_zeilen = zeilen;
}

QSet<QString> CoverStreifen::coverNamen()
{
    folderLesen();
    QSet<QString> namen;
    for (const QString& datei : std::as_const(m_dateien))
        namen.insert(CoverStreifenRegeln::ohneEndung(datei));
    return namen;
}

void CoverStreifen::folderLesen()
{
    // Files in name order, as the folder list the strip was drawn from showed them.
    m_dateien = m_ordner.isEmpty()
                    ? QStringList()
                    : QDir(m_ordner).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

void CoverStreifen::CoverListeAktuell()
{
    const vb::HourglassGuard sanduhr;
    m_regeln.listeAktuell(m_dateien, m_zeilen);
    lstCover->clear();
    lstCover->addItems(m_regeln.liste());
}

void CoverStreifen::CoverAktualisieren(int fensterHoeheTwips)
{
    folderLesen();
    CoverListeAktuell();
    m_regeln.aktualisieren(fensterHoeheTwips);
    zeigen();
}

void CoverStreifen::setLetzterSlot(int index)
{
    m_regeln.setLetzterSlot(index);
    zeigen();
}

void CoverStreifen::CoverDown()
{
    m_regeln.down();
    zeigen();
}

void CoverStreifen::CoverUp()
{
    m_regeln.up();
    zeigen();
}

void CoverStreifen::folgen(const QString& band, const QString& titel)
{
    if (m_sucheUeberspringen) {
        m_sucheUeberspringen = false;
        return;
    }
    if (m_regeln.folgen(band, titel))
        zeigen();
}

void CoverStreifen::zeigen()
{
    const QStringList seite = m_regeln.seite();
    const QDir ordner(m_ordner);
    for (int k = 0; k < m_slots.size(); ++k) {
        QLabel* slot = m_slots.at(k);
        const bool belegt = k < seite.size() && !seite.at(k).isEmpty();
        slot->clear();
        slot->setFrameShape(belegt ? QFrame::Box : QFrame::NoFrame);
        slot->setProperty("belegt", belegt);
        if (belegt) {
            const QImage bild = bildAusDatei(ordner.filePath(seite.at(k)), QSize(SlotPixel, SlotPixel));
            if (!bild.isNull())
                slot->setPixmap(QPixmap::fromImage(bild));
        }
    }
}

void CoverStreifen::imgCover_Click(int index)
{
    const int zeile = m_regeln.zeileFuerSlot(index, m_zeilen);
    if (zeile < 0)
        return;
    m_sucheUeberspringen = true;
    Q_EMIT zeileWaehlen(zeile);
}

void CoverStreifen::imgCover_DblClick(int index)
{
    const QString name = m_regeln.nameInSlot(index);
    if (name.isEmpty())
        return;
    kit::MsgFenn(window(), name, 1, 0, QStringLiteral("Mini-Cover"), 1, kit::DialogBackColor,
                 kit::DialogForeColor);
}

bool CoverStreifen::eventFilter(QObject* watched, QEvent* event)
{
    const int index = int(m_slots.indexOf(qobject_cast<QLabel*>(watched)));
    if (index >= 0) {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            imgCover_Click(index);
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            imgCover_DblClick(index);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace klang::detail
