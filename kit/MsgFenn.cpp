#include "kit/MsgFenn.h"

#include "kit/Farbverlauf.h"
#include "kit/FormPlatzieren.h"
#include "kit/Klang.h"
#include "kit/TestHook.h"
#include "kit/frmInputFenn.h"
#include "kit/frmMsgFenn.h"
#include "platform/vbcompat/VbCompat.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <climits>
#include "kit/MsgFennRegeln.h"

namespace kit {

QString MsgAntwort;

namespace {

QPoint g_festePosition(INT_MIN, INT_MIN);

bool festePositionGesetzt() { return g_festePosition.x() != INT_MIN; }

QColor farbeOderStandard(qint64 wert, quint32 standard)
{
    return farbeAusWert(wert == DefaultColor ? qint64(standard) : wert);
}

// Places a box before it is shown: at the program's fixed point, else centred over parent.
void platzieren(QWidget* box, QWidget* parent, bool festErlaubt)
{
    if (festErlaubt && festePositionGesetzt()) {
        QScreen* schirm = QGuiApplication::primaryScreen();
        const QPoint ursprung = schirm ? schirm->geometry().topLeft() : QPoint();
        box->move(ursprung + QPoint(klang::vb::twipsToPixels(g_festePosition.x()),
                                    klang::vb::twipsToPixels(g_festePosition.y())));
        return;
    }
    FormPlatzieren(box, parent, QStringLiteral("center"), 10);
}


} // namespace

QString MsgFenn(QWidget* parent, const QString& prompt, int style, int defaultButton,
                const QString& title, int timeOut, qint64 backColor, qint64 foreColor)
{
    const QColor back = farbeOderStandard(backColor, DialogBackColor);
    const QColor fore = farbeOderStandard(foreColor, DialogForeColor);

    if (testhook::isEnabled()) {
        testhook::Call call;
        call.kind = QStringLiteral("MsgFenn");
        call.prompt = zeilenumbruecheVereinheitlichen(prompt);
        call.style = style;
        call.defaultButton = defaultButton;
        call.title = title;
        call.backColor = backColor == DefaultColor ? DialogBackColor : backColor;
        call.foreColor = foreColor == DefaultColor ? DialogForeColor : foreColor;
        call.timeOut = timeOut;
        MsgAntwort.clear();
        MsgAntwort = testhook::beantworten(call);
        return MsgAntwort;
    }

    // Every call has its own window: a box opened while another one waits (from a timer)
    // can never overwrite or unload the first one.
    QPointer<frmMsgFenn> box = new frmMsgFenn(parent);
    const QString klang = box->fuellen(prompt, style, defaultButton, title, timeOut, back, fore);
    platzieren(box, parent, true);
    klangSpielen(klang);
    MsgAntwort.clear();

    if (timeOut < 2) {
        box->setModal(true);
        box->exec();
    } else {
        // The countdown box is modeless: the caller's code waits here while the program's
        // windows and timers keep running.
        box->setModal(false);
        QEventLoop warten;
        QObject::connect(box, &QDialog::finished, &warten, &QEventLoop::quit);
        QObject::connect(box, &QObject::destroyed, &warten, &QEventLoop::quit);
        box->show();
        if (box && box->isVisible())
            warten.exec();
    }

    const QString ergebnis = box ? box->pubMsgFenn() : QString();
    delete box.data();
    MsgAntwort = ergebnis;
    return ergebnis;
}

void Fehlermeldung(QWidget* parent, const QString& title, const QString& errorText,
                   int errorNumber)
{
    MsgFenn(parent, QString::number(errorNumber) + QLatin1Char(' ') + errorText, 4, 0, title, 1,
            ErrorBackColor, DialogForeColor);
}

QString InputFenn(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& defaultText, qint64 backColor, qint64 foreColor)
{
    if (testhook::isEnabled()) {
        testhook::Call call;
        call.kind = QStringLiteral("InputFenn");
        call.prompt = prompt;
        call.title = title;
        call.defaultText = defaultText;
        call.backColor = backColor == DefaultColor ? DialogBackColor : backColor;
        call.foreColor = foreColor == DefaultColor ? DialogForeColor : foreColor;
        return ohneRandLeerzeichen(testhook::beantworten(call));
    }

    QPointer<frmInputFenn> box = new frmInputFenn(parent);
    box->fuellen(prompt, title, defaultText, farbeOderStandard(backColor, DialogBackColor),
                 farbeOderStandard(foreColor, DialogForeColor));
    platzieren(box, parent, false);
    box->exec();
    const QString ergebnis = box ? box->antwort() : QString();
    delete box.data();
    return ergebnis;
}

void setMsgFennPlacement(int leftTwips, int topTwips)
{
    g_festePosition = QPoint(leftTwips, topTwips);
}

void resetMsgFennPlacement() { g_festePosition = QPoint(INT_MIN, INT_MIN); }

} // namespace kit
