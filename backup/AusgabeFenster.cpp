#include "backup/AusgabeFenster.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace backup {

AusgabeFenster::AusgabeFenster(const QString& programmName, const QString& befehl, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAusgabe"));
    setWindowTitle(QStringLiteral("Ordnerwacht – %1").arg(programmName));
    auto* layout = new QVBoxLayout(this);
    auto* befehlLabel = new QLabel(befehl, this);
    befehlLabel->setObjectName(QStringLiteral("lblBefehl"));
    befehlLabel->setWordWrap(true);
    befehlLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(befehlLabel);

    m_txtAusgabe = new QPlainTextEdit(this);
    m_txtAusgabe->setObjectName(QStringLiteral("txtAusgabe"));
    m_txtAusgabe->setReadOnly(true);
    m_txtAusgabe->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtAusgabe->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A long run can write millions of lines; the window keeps the most recent ones.
    m_txtAusgabe->setMaximumBlockCount(20000);
    layout->addWidget(m_txtAusgabe, 1);

    m_lblStatus = new QLabel(QStringLiteral("Das Programm läuft..."), this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setWordWrap(true);
    layout->addWidget(m_lblStatus);

    auto* knoepfe = new QHBoxLayout;
    m_cmdAbbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
    m_cmdAbbrechen->setObjectName(QStringLiteral("cmdAbbrechen"));
    m_cmdSchliessen = new QPushButton(QStringLiteral("&Schließen"), this);
    m_cmdSchliessen->setObjectName(QStringLiteral("cmdSchliessen"));
    m_cmdSchliessen->setEnabled(false);
    knoepfe->addStretch();
    knoepfe->addWidget(m_cmdAbbrechen);
    knoepfe->addWidget(m_cmdSchliessen);
    layout->addLayout(knoepfe);
    connect(m_cmdAbbrechen, &QPushButton::clicked, this, &AusgabeFenster::abbrechenGewuenscht);
    connect(m_cmdSchliessen, &QPushButton::clicked, this, &QWidget::close);
    resize(720, 420);
}

void AusgabeFenster::anhaengen(const QString& text)
{
    QScrollBar* leiste = m_txtAusgabe->verticalScrollBar();
    const bool amEnde = leiste->value() == leiste->maximum();
    QTextCursor cursor(m_txtAusgabe->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    if (amEnde)
        leiste->setValue(leiste->maximum());
}

void AusgabeFenster::beenden(const QString& endeText, Ausgang ausgang)
{
    m_laeuft = false;
    m_lblStatus->setText(endeText);
    const char* farbe = ausgang == Ausgang::Erfolg ? "#006400" : ausgang == Ausgang::Unvollstaendig ? "#9a5b00" : "#b00000";
    m_lblStatus->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(QLatin1String(farbe)));
    m_cmdAbbrechen->setEnabled(false);
    m_cmdSchliessen->setEnabled(true);
    m_cmdSchliessen->setDefault(true);
}

QString AusgabeFenster::text() const
{
    return m_txtAusgabe->toPlainText();
}

QString AusgabeFenster::status() const
{
    return m_lblStatus->text();
}

void AusgabeFenster::closeEvent(QCloseEvent* event)
{
    // While the program runs the window only goes out of the way: the run goes on and ends
    // through "Abbrechen" or with the main window.
    if (m_laeuft) {
        event->ignore();
        showMinimized();
        return;
    }
    event->accept();
}

} // namespace backup
