#include "kit/frmInputFenn.h"

#include "kit/Klang.h"
#include "platform/vbcompat/VbCompat.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kit {

namespace {

using klang::vb::twipsToPixels;

QRect twipsRechteck(int links, int oben, int breite, int hoehe)
{
    return QRect(twipsToPixels(links), twipsToPixels(oben), twipsToPixels(breite),
                 twipsToPixels(hoehe));
}

} // namespace

QString ohneRandLeerzeichen(const QString& text)
{
    qsizetype anfang = 0;
    qsizetype ende = text.size();
    while (anfang < ende && text.at(anfang) == QLatin1Char(' '))
        ++anfang;
    while (ende > anfang && text.at(ende - 1) == QLatin1Char(' '))
        --ende;
    return text.mid(anfang, ende - anfang);
}

frmInputFenn::frmInputFenn(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmInputFenn"));
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    setAutoFillBackground(true);
    setFixedSize(twipsToPixels(5460), twipsToPixels(1800));

    lblText = new QLabel(this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setWordWrap(true);
    lblText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblText->setTextFormat(Qt::PlainText);
    lblText->setGeometry(twipsRechteck(150, 150, 3840, 915));

    txtInputText = new QLineEdit(this);
    txtInputText->setObjectName(QStringLiteral("txtInputText"));
    txtInputText->setGeometry(twipsRechteck(150, 1275, 5115, 390));

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRechteck(4200, 150, 1065, 390));
    cmdOK->setDefault(true);
    // Enter presses the focused button: Tab to Exit, Enter leaves without an answer.
    cmdOK->setAutoDefault(true);

    cmdExit = new QPushButton(QStringLiteral("E&xit "), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setGeometry(twipsRechteck(4200, 675, 1065, 390));
    cmdExit->setAutoDefault(true);

    connect(cmdOK, &QPushButton::clicked, this, &frmInputFenn::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmInputFenn::cmdExit_Click);
    setTabOrder(txtInputText, cmdOK);
    setTabOrder(cmdOK, cmdExit);
}

void frmInputFenn::fuellen(const QString& prompt, const QString& title,
                           const QString& defaultText, const QColor& back, const QColor& fore)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, fore);
    setPalette(p);
    setWindowTitle(title);
    lblText->setText(prompt);
    txtInputText->setText(defaultText);
    txtInputText->setFocus();
}

QString frmInputFenn::antwort() const
{
    return result() == QDialog::Accepted ? ohneRandLeerzeichen(txtInputText->text()) : QString();
}

void frmInputFenn::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    klangSpielen(QStringLiteral("Fragezeichen.wav"));
}

void frmInputFenn::cmdOK_Click() { accept(); }

void frmInputFenn::cmdExit_Click()
{
    reject();
    txtInputText->clear();
}

} // namespace kit
