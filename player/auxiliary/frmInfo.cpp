#include "player/auxiliary/frmInfo.h"

#include "platform/settings/Settings.h"
#include "platform/sound/Sound.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace klang::player {

frmInfo::frmInfo(const QString& programmPfad, QWidget* parent)
    : QDialog(parent)
    , m_programmPfad(programmPfad)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);
    setFixedSize(420, 330);
    QFont schrift(QStringLiteral("Segoe UI"));
    setFont(schrift);

    BildFenn = new QLabel(this);
    BildFenn->setObjectName(QStringLiteral("BildFenn"));
    BildFenn->setGeometry(20, 20, 110, 110);
    BildFenn->setFrameStyle(QFrame::Panel | QFrame::Raised);
    BildFenn->setLineWidth(3);
    BildFenn->setAlignment(Qt::AlignCenter);
    BildFenn->setText(QStringLiteral("Quarzwerk"));
    BildFenn->installEventFilter(this);

    Rahmen = new QFrame(this);
    Rahmen->setObjectName(QStringLiteral("Rahmen"));
    Rahmen->setGeometry(150, 12, 258, 306);
    Rahmen->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Rahmen->setLineWidth(8);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(160, 22, 238, 286);
    Picture1->setAutoFillBackground(true);
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->installEventFilter(this);
    Picture2 = new QLabel(Picture1);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setToolTip(QStringLiteral(" Start/Stop "));
    Picture2->setFocusPolicy(Qt::StrongFocus);
    Picture2->installEventFilter(this);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(50);
    connect(&Timer1, &QTimer::timeout, this, &frmInfo::Timer1_Timer);
    Bildtext();
}

frmInfo::~frmInfo()
{
    klang::stopSound();
}

void frmInfo::Bildtext()
{
    klang::playSoundAsync(m_programmPfad + QStringLiteral("Blues.wav"));
    Timer1.stop();
    Picture2->hide();
    m_zeilen = {QStringLiteral("Q u a r z w e r k"), QString(), QStringLiteral("presents..."), QString(), QString(),
                klang::GetSetting(QStringLiteral("KlangtruhePlayer"), QStringLiteral("Options"), QStringLiteral("ProgrammName")),
                QString(), QStringLiteral("Versionsnummer: ") + QStringLiteral(KLANG_VERSION), QString(),
                QStringLiteral("*"), QString(), QStringLiteral("Programmautor"), QString(),
                QStringLiteral("Arnulf   W e n d h o l t"), QString(), QString(), QString(), QString(),
                QStringLiteral("- - -"), QString()};
    const QFontMetrics mass(Picture1->font());
    const int zeile = mass.height();
    QPixmap streifen(Picture1->width(), zeile * m_zeilen.size());
    streifen.fill(Picture1->palette().color(QPalette::Window));
    QPainter maler(&streifen);
    maler.setFont(Picture1->font());
    maler.setPen(Picture1->palette().color(QPalette::WindowText));
    for (int i = 0; i < m_zeilen.size(); ++i) {
        const int x = (streifen.width() - mass.horizontalAdvance(m_zeilen.at(i))) / 2;
        maler.drawText(x, i * zeile + mass.ascent(), m_zeilen.at(i));
    }
    maler.end();
    Picture2->setPixmap(streifen);
    Picture2->setGeometry(0, Picture1->height(), streifen.width(), streifen.height());
    Picture2->show();
    Timer1.start();
}

void frmInfo::Timer1_Timer()
{
    const int schritt = 1;
    if (Picture2->y() + Picture2->height() <= 0) {
        Timer1.stop();
        Bildtext();
        return;
    }
    Picture2->move(Picture2->x(), Picture2->y() - schritt);
}

bool frmInfo::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Picture1 || watched == Picture2) && event->type() == QEvent::KeyRelease
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    if (watched == Picture2 && event->type() == QEvent::MouseButtonRelease) {
        if (Timer1.isActive())
            Timer1.stop();
        else
            Timer1.start();
        return true;
    }
    if (watched == BildFenn) {
        if (event->type() == QEvent::MouseButtonPress) {
            BildFenn->setFrameShadow(QFrame::Sunken);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            BildFenn->setFrameShadow(QFrame::Raised);
            klang::stopSound();
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmInfo::done(int result)
{
    Timer1.stop();
    klang::stopSound();
    QDialog::done(result);
}

} // namespace klang::player
