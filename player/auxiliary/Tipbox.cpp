#include "player/auxiliary/Tipbox.h"

#include "kit/Farbverlauf.h"
#include "platform/settings/Settings.h"
#include "platform/textfiles/LineFile.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace klang::player {

namespace {
const QString App = QStringLiteral("KlangtruhePlayer");
const QString Sektion = QStringLiteral("Options");
const QString StartKey = QStringLiteral("Show Tips at Startup");
} // namespace

Tipbox::Tipbox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Tipbox"));
    setWindowTitle(QStringLiteral("Tipps und Tricks"));
    auto* haupt = new QVBoxLayout(this);
    auto* oben = new QHBoxLayout;
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setText(QStringLiteral("💡"));
    Picture1->setAlignment(Qt::AlignTop);
    oben->addWidget(Picture1);
    auto* text = new QVBoxLayout;
    Label1 = new QLabel(QStringLiteral("Wußten Sie schon.."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    lblTipText = new QLabel(this);
    lblTipText->setObjectName(QStringLiteral("lblTipText"));
    lblTipText->setWordWrap(true);
    // A tip is text: a tag in it is shown as written, never run (no pictures are loaded).
    lblTipText->setTextFormat(Qt::PlainText);
    lblTipText->setMinimumSize(360, 140);
    lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->addWidget(Label1);
    text->addWidget(lblTipText, 1);
    oben->addLayout(text, 1);
    haupt->addLayout(oben, 1);
    auto* unten = new QHBoxLayout;
    chkLoadTipsAtStartup = new QCheckBox(QStringLiteral("&Tipps beim Starten anzeigen"), this);
    chkLoadTipsAtStartup->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    cmdNextTip = new QPushButton(QStringLiteral("&Nächster Tipp"), this);
    cmdNextTip->setObjectName(QStringLiteral("cmdNextTip"));
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    unten->addWidget(chkLoadTipsAtStartup, 1);
    unten->addWidget(cmdNextTip);
    unten->addWidget(cmdOK);
    haupt->addLayout(unten);

    connect(chkLoadTipsAtStartup, &QCheckBox::toggled, this, [](bool ein) {
        klang::SaveSetting(App, Sektion, StartKey, ein ? QStringLiteral("1") : QStringLiteral("0"));
    });
    connect(cmdNextTip, &QPushButton::clicked, this, &Tipbox::ShowNextTip);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

Tipbox::~Tipbox() = default;

bool Tipbox::Form_Load(bool tipsVomMenue, const QString& programmPfad)
{
    // RegistryLesen: the program font for the tip text, size default 12.
    QFont schrift = lblTipText->font();
    schrift.setFamily(klang::GetSetting(App, Sektion, QStringLiteral("ProgSchriftName"), QStringLiteral("Segoe UI")));
    bool ok = false;
    const double groesse = klang::GetSetting(App, Sektion, QStringLiteral("ProgSchriftSize"), QStringLiteral("12"))
                               .trimmed().toDouble(&ok);
    if (ok && groesse > 0 && groesse < 200)
        schrift.setPointSizeF(groesse);
    lblTipText->setFont(schrift);

    if (!tipsVomMenue) {
        bool zahl = false;
        const int zeigen = klang::GetSetting(App, Sektion, StartKey, QStringLiteral("1")).trimmed().toInt(&zahl);
        if (zahl && zeigen == 0)
            return false;
    }
    // Opening leaves the setting at "1" until the user unticks the box again.
    chkLoadTipsAtStartup->setChecked(true);
    klang::SaveSetting(App, Sektion, StartKey, QStringLiteral("1"));
    if (!LoadTips(programmPfad + TipDatei)) {
        lblTipText->setText(QStringLiteral("Die Datei ") + TipDatei + QStringLiteral(" wurde nicht gefunden? \n\n")
                            + QStringLiteral("Textdatei mit dem Namen ") + TipDatei
                            + QStringLiteral(" unter Verwendung von NotePad mit 1 Tip pro Zeile erstellen. ")
                            + QStringLiteral("Dann im selben Verzeichnis wie die Anwendung ablegen. "));
    }
    return true;
}

bool Tipbox::LoadTips(const QString& sFile)
{
    const QFileInfo info(sFile);
    if (sFile.isEmpty() || !info.exists() || !info.isFile())
        return false;
    // Read afresh at each opening, as far as the tips shown; the index goes on from the tip
    // shown last.
    m_tips.clear();
    m_datei = std::make_unique<QFile>(sFile);
    if (!m_datei->open(QIODevice::ReadOnly))
        m_datei.reset();
    ShowNextTip();
    return true;
}

void Tipbox::tippsLesenBis(int n)
{
    while (m_datei && m_tips.size() < n) {
        QByteArray zeile = m_datei->readLine(kMaxTipp + 1);
        if (zeile.isEmpty()) {
            m_datei.reset();
            break;
        }
        char naechstes = 0;
        if (!zeile.endsWith('\n') && m_datei->peek(&naechstes, 1) == 1 && naechstes != '\n' && naechstes != '\r') {
            // A tip longer than can be shown: the rest of its line is passed over unread.
            QByteArray rest;
            do
                rest = m_datei->readLine(64 * 1024);
            while (!rest.isEmpty() && !rest.endsWith('\n'));
            // Not cut inside a character.
            while (!zeile.isEmpty() && (uchar(zeile.back()) & 0xC0) == 0x80)
                zeile.chop(1);
            if (!zeile.isEmpty() && uchar(zeile.back()) >= 0xC0)
                zeile.chop(1);
        }
        if (!zeile.endsWith('\n') && (naechstes == '\r' || naechstes == '\n'))
            m_datei->readLine(3); // the line end of a line of exactly the longest length
        while (zeile.endsWith('\n') || zeile.endsWith('\r'))
            zeile.chop(1);
        if (m_tips.isEmpty() && zeile.startsWith("\xEF\xBB\xBF"))
            zeile.remove(0, 3);
        m_tips << klang::decodeText(zeile);
    }
}

void Tipbox::ShowNextTip()
{
    ++m_index;
    tippsLesenBis(m_index);
    if (m_tips.size() < m_index)
        m_index = 1;
    DisplaypriCurrentTip();
}

void Tipbox::DisplaypriCurrentTip()
{
    if (!m_tips.isEmpty() && m_index >= 1 && m_index <= m_tips.size())
        lblTipText->setText(m_tips.at(m_index - 1));
}

void Tipbox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    kit::FarbverlaufZeichnen(painter, this, 0xDEC9AD, 0xF4EAE3, 1);
}

} // namespace klang::player
