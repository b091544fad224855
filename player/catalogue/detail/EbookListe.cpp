#include "player/catalogue/detail/EbookListe.h"

#include "kit/Helpers.h"
#include "kit/ImageButton.h"
#include "kit/MsgFenn.h"
#include "platform/shell/Shell.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace klang::detail {

EbookListe::EbookListe(QWidget* parent)
    : QWidget(parent)
    , m_beschriftung(ebookBeschriftung(0))
{
    setObjectName(QStringLiteral("EbookListe"));
    auto* zeile = new QHBoxLayout(this);
    zeile->setContentsMargins(0, 0, 0, 0);
    cboEbook = new QComboBox(this);
    cboEbook->setObjectName(QStringLiteral("cboEbook"));
    cboEbook->setEditable(true);
    cboEbook->setInsertPolicy(QComboBox::NoInsert);
    cboEbook->installEventFilter(this);
    imgEbookPlay = new kit::ImageButton(this);
    imgEbookPlay->setObjectName(QStringLiteral("imgEbookPlay"));
    imgEbookPlay->setToolTip(QStringLiteral(" eBook anzeigen"));
    imgEbookPlay->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    imgEbookPlay->setAutoRaise(true);
    zeile->addWidget(cboEbook, 1);
    zeile->addWidget(imgEbookPlay);
    connect(imgEbookPlay, &QToolButton::clicked, this, &EbookListe::imgEbookPlay_Click);
    m_zuordnung = [](const QString& datei) { return kit::ProgrammZuDatei(datei); };
    // The desktop opens the document the way its association says (with all of the
    // association's arguments); the program alone, with the file as its one argument, is the
    // fallback.
    m_starter = [](const QString& prog, const QString& datei) {
        return klang::openDocument(datei) || klang::startProgram(prog, {datei});
    };
}

void EbookListe::setDatenbankPfad(const QString& pfad)
{
    m_datenbankPfad = pfad;
}

void EbookListe::setAusDatenbankpfad(bool an)
{
    m_ausDatenbankpfad = an;
}

void EbookListe::eBookListe(const QString& feld)
{
    cboEbook->clear();
    const Dateisuche suche{m_datenbankPfad, QStringLiteral("eBook/"), m_ausDatenbankpfad, {}};
    const QStringList dateien = vorhandeneDateien(feld, suche);
    cboEbook->addItems(dateien);
    if (!dateien.isEmpty())
        cboEbook->setCurrentIndex(int(dateien.size()) - 1);
    m_beschriftung = ebookBeschriftung(int(dateien.size()));
    Q_EMIT beschriftungGeaendert(m_beschriftung);
}

bool EbookListe::imgEbookPlay_Click()
{
    const QString datei = cboEbook->currentText();
    if (datei.isEmpty())
        return false;
    // No association, or the file is itself a program (which is never run from this list),
    // or the file is gone: the user learns that nothing could open it.
    const QString prog = QFileInfo(datei).isFile() ? m_zuordnung(datei) : QString();
    if (!prog.isEmpty() && m_starter(prog, datei))
        return true;
    kit::MsgFenn(window(),
                 QStringLiteral("Keine assoziierte Anwendung zu diesem Dateityp ermittelt.\r\n\r\n")
                     + kit::DateinameAusPfad(datei),
                 3, 0, QStringLiteral("Buchbox_imgEbookPlay_Click"), 1, kit::WarningBackColor,
                 kit::DialogForeColor);
    return false;
}

bool EbookListe::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cboEbook && event->type() == QEvent::FocusIn)
        Q_EMIT fokusErhalten(QStringLiteral("cboEbook"));
    return QWidget::eventFilter(watched, event);
}

} // namespace klang::detail
