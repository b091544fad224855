#include "kit/frmMsgFenn.h"

#include "kit/MsgFennRegeln.h"
#include "kit/Symbole.h"
#include "platform/vbcompat/VbCompat.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>

namespace kit {

namespace {

using klang::vb::twipsToPixels;

QRect twipsRechteck(int links, int oben, int breite, int hoehe)
{
    return QRect(twipsToPixels(links), twipsToPixels(oben), twipsToPixels(breite),
                 twipsToPixels(hoehe));
}

constexpr quint32 RahmenFarbe = 0xDEC9AD;

QColor bgr(quint32 wert)
{
    return QColor(int(wert & 0xFF), int((wert >> 8) & 0xFF), int((wert >> 16) & 0xFF));
}

} // namespace

frmMsgFenn::frmMsgFenn(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmMsgFenn"));
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    setAutoFillBackground(true);
    setSizeGripEnabled(false);

    txtMsgText = new QTextEdit(this);
    txtMsgText->setObjectName(QStringLiteral("txtMsgText"));
    txtMsgText->setReadOnly(true);
    txtMsgText->setAcceptRichText(false);
    txtMsgText->setFrameShape(QFrame::NoFrame);
    // Only a text longer than the box's tallest size needs the bar.
    txtMsgText->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    txtMsgText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtMsgText->setGeometry(twipsRechteck(975, 150, 4965, 900));

    for (int i = 0; i < 4; ++i) {
        auto* bild = new QLabel(this);
        bild->setObjectName(QStringLiteral("imgMsgIcon%1").arg(i + 1));
        bild->setGeometry(twipsRechteck(225, 300, 525, 525));
        bild->setPixmap(msgFennSymbol(i + 1));
        bild->hide();
        imgMsgIcon[i] = bild;
    }

    fraMsgButton = new QFrame(this);
    fraMsgButton->setObjectName(QStringLiteral("fraMsgButton"));
    fraMsgButton->setAutoFillBackground(true);
    QPalette rahmenPalette = fraMsgButton->palette();
    rahmenPalette.setColor(QPalette::Window, bgr(RahmenFarbe));
    fraMsgButton->setPalette(rahmenPalette);
    fraMsgButton->setGeometry(twipsRechteck(0, 1200, 6090, 690));

    for (int i = 0; i < MsgFennKnopfAnzahl; ++i) {
        auto* knopf = new QPushButton(msgFennKnopfText(i), fraMsgButton);
        knopf->setObjectName(QStringLiteral("cmdButton%1").arg(i));
        knopf->setGeometry(twipsRechteck(msgFennKnopfLinks(i), 150, msgFennKnopfBreite(i), 390));
        // Enter presses the focused button; with the focus elsewhere, the default button.
        knopf->setAutoDefault(true);
        knopf->hide();
        connect(knopf, &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
        cmdButton[i] = knopf;
    }

    auto* dummy = new QTextEdit(this);
    dummy->setObjectName(QStringLiteral("txtdummy"));
    dummy->hide();

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, &frmMsgFenn::Timer_Timer);

    setFixedSize(twipsToPixels(6090), twipsToPixels(1905));
}

QString frmMsgFenn::fuellen(const QString& prompt, int style, int defaultButton,
                            const QString& title, int timeOut, const QColor& back,
                            const QColor& fore)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, fore);
    setPalette(p);
    QPalette t = txtMsgText->palette();
    t.setColor(QPalette::Base, back);
    t.setColor(QPalette::Window, back);
    t.setColor(QPalette::Text, fore);
    txtMsgText->setPalette(t);
    txtMsgText->viewport()->setAutoFillBackground(true);
    setWindowTitle(title);

    for (QLabel* bild : imgMsgIcon)
        bild->hide();
    m_standardKnopf = defaultButton;
    for (QPushButton* knopf : cmdButton)
        knopf->hide();

    const MsgFennStil stil = msgFennStil(style);
    for (int index : stil.knoepfe)
        cmdButton[index]->show();
    if (stil.symbol >= 1 && stil.symbol <= 4)
        imgMsgIcon[stil.symbol - 1]->show();

    const QString text = zeilenumbruecheVereinheitlichen(prompt);
    txtMsgText->setPlainText(text);

    // The line count is taken once, at the design width, before the box may be widened.
    const int rand = 2 * txtMsgText->frameWidth()
                     + txtMsgText->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                        txtMsgText->verticalScrollBar());
    m_zeilen = msgFennZeilen(text, txtMsgText->font(), twipsToPixels(4965) - rand,
                             txtMsgText->document()->documentMargin());
    const MsgFennMasse masse = msgFennMasse(m_zeilen);
    setFixedSize(twipsToPixels(masse.innenBreite), twipsToPixels(masse.innenHoehe));
    txtMsgText->setGeometry(twipsRechteck(975, 150, masse.textBreite, masse.textHoehe));
    fraMsgButton->setGeometry(0, height() - twipsToPixels(690), twipsToPixels(masse.rahmenBreite),
                              twipsToPixels(690));

    m_sekunden = timeOut;
    m_pubMsgFenn.clear();
    if (timeOut < 2)
        Timer->stop();
    return stil.klangDatei;
}

void frmMsgFenn::cmdButton_Click(int index)
{
    m_pubMsgFenn = msgFennErgebnisWort(index);
    accept();
}

void frmMsgFenn::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_gezeigt) {
        m_gezeigt = true;
        // The caption is saved once, when the box comes up: later activations must not
        // append a second count.
        if (m_sekunden > 1) {
            m_gespeicherteUeberschrift = windowTitle();
            setWindowTitle(mitZaehler());
            Timer->start();
        }
    }
    Form_Activate();
}

void frmMsgFenn::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void frmMsgFenn::Form_Activate()
{
    for (QPushButton* knopf : cmdButton)
        knopf->setDefault(false);
    // A default index without a visible button leaves the box without a default button.
    if (m_standardKnopf >= 0 && m_standardKnopf < MsgFennKnopfAnzahl
        && !cmdButton[m_standardKnopf]->isHidden()) {
        cmdButton[m_standardKnopf]->setDefault(true);
        cmdButton[m_standardKnopf]->setFocus();
    } else {
        txtMsgText->setFocus();
    }
}

void frmMsgFenn::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    fraMsgButton->move(0, height() - fraMsgButton->height());
}

void frmMsgFenn::Timer_Timer()
{
    --m_sekunden;
    setWindowTitle(mitZaehler());
    if (m_sekunden <= 0) {
        Timer->stop();
        reject(); // no button word: the call returns ""
    }
}

QString frmMsgFenn::mitZaehler() const
{
    return m_gespeicherteUeberschrift + QStringLiteral(" (") + QString::number(m_sekunden)
           + QLatin1Char(')');
}

void frmMsgFenn::done(int result)
{
    Timer->stop();
    QDialog::done(result);
}

} // namespace kit
