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
    BildFenn->setAlignment(Qt::AlignCenter);
    BildFenn->setText(QStringLiteral("Quarzwerk"));
    BildFenn->installEventFilter(this);

    Rahmen = new QFrame(this);
    Rahmen->setObjectName(QStringLiteral("Rahmen"));
    Rahmen->setGeometry(150, 12, 258, 306);
    Rahmen->setFrameStyle(QFrame::NoFrame);

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
    Border3D(Rahmen, 8, false);
    Border3D(BildFenn, 3, false);
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
            Border3D(BildFenn, 3, true);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            Border3D(BildFenn, 3, false);
            klang::stopSound();
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmInfo::Border3D(QWidget* AimControl, int Dicke, bool SetIn)
{
    if (!AimControl || Dicke < 0)
        return;
    for (Rand& r : m_raender) {
        if (r.ziel == AimControl) {
            r = {AimControl, Dicke, SetIn};
            update();
            return;
        }
    }
    m_raender.append({AimControl, Dicke, SetIn});
    update();
}

void frmInfo::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter maler(this);
    const QColor weiss(0xFF, 0xFF, 0xFF);
    const QColor grau(0x80, 0x80, 0x80);
    for (const Rand& r : m_raender) {
        const QRect g = r.ziel->geometry();
        const int x0 = g.left() - r.dicke;
        const int y0 = g.top() - r.dicke;
        const int w = g.width() + 2 * r.dicke;
        const int h = g.height() + 2 * r.dicke;
        for (int i = 0; i < r.dicke; ++i) {
            maler.setPen(r.setIn ? grau : weiss);
            maler.drawLine(x0 + w - 2 - i, y0 + i, x0 + i, y0 + i);
            maler.drawLine(x0 + i, y0 + i, x0 + i, y0 + h - 1 - i);
            maler.setPen(r.setIn ? weiss : grau);
            maler.drawLine(x0 + 1 + i, y0 + h - 1 - i, x0 + w - 1 - i, y0 + h - 1 - i);
            maler.drawLine(x0 + w - 1 - i, y0 + h - 1 - i, x0 + w - 1 - i, y0 + i);
        }
    }
}

void frmInfo::done(int result)
{
    Timer1.stop();
    klang::stopSound();
    QDialog::done(result);
}

} // namespace klang::player
