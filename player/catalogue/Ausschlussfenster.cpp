#include "player/catalogue/Ausschlussfenster.h"

#include "kit/Farbverlauf.h"
#include "kit/MsgFenn.h"
#include "player/catalogue/Einstellungen.h"
#include "player/playback/core/PlayerState.h"
#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/ListBounds.h"
#include "platform/textfiles/SafeWrite.h"
#include "platform/vbcompat/VbCompat.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

namespace klang::player {

namespace {

constexpr qint64 FehlerHintergrund = 0xC0C0FF;
constexpr qint64 MeldungText = 0x352300;

int tw(int twips)
{
    return klang::vb::twipsToPixels(twips);
}

} // namespace

ExclusionListDialog::ExclusionListDialog(const Art& art, const QString& programmPfad, QWidget* parent)
    : QDialog(parent)
    , m_art(art)
    , m_programmPfad(programmPfad)
{
    setObjectName(art.fenstername);
    setWindowTitle(art.titel);
    setModal(true);
    setFixedSize(tw(4300), tw(5900));
    lblBez = new QLabel(art.bezeichnung, this);
    lblBez->setObjectName(QStringLiteral("lblBez"));
    lblBez->setGeometry(tw(240), tw(120), tw(3800), tw(285));
    m_liste = new QListWidget(this);
    m_liste->setObjectName(art.listenname);
    m_liste->setSelectionMode(QAbstractItemView::NoSelection);
    m_liste->setGeometry(tw(240), tw(420), tw(3800), tw(4200));
    Check1 = new QCheckBox(art.legende, this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(tw(240), tw(4700), tw(3800), tw(285));
    Check1->setChecked(true);
    // The legend shows what a mark means; it cannot be cleared.
    connect(Check1, &QCheckBox::toggled, this, [this] { Check1->setChecked(true); });
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(tw(240), tw(5160), tw(1200), tw(405));
    cmdOK->setDefault(true);
    cmdExit = new QPushButton(QStringLiteral("E&xit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setGeometry(tw(2840), tw(5160), tw(1200), tw(405));
    connect(cmdOK, &QPushButton::clicked, this, &ExclusionListDialog::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);
    RegistryLesen();
}

void ExclusionListDialog::RegistryLesen()
{
    QFont schrift = m_liste->font();
    schrift.setFamily(option(QStringLiteral("ProgSchriftName"), QStringLiteral("Segoe UI")));
    const int groesse = zahlOder(option(QStringLiteral("ProgSchriftSize"), QStringLiteral("10")), 10);
    if (groesse > 0 && groesse < 200)
        schrift.setPointSize(groesse);
    m_liste->setFont(schrift);
}

void ExclusionListDialog::ListeLaden(const QStringList& angeboten)
{
    vb::HourglassGuard sanduhr;
    m_datei = ausschlussDatei(option(m_art.modusSchluessel), m_art.abspielDatei, m_art.cdDatei);
    QStringList liste;
    if (!m_datei.isEmpty() && QFileInfo(m_programmPfad + m_datei).isFile()) {
        bool ok = false;
        klang::ReadReport bericht;
        liste = klang::readLinesBounded(m_programmPfad + m_datei, &ok, &bericht, AusschlussGrenzen);
        if (!ok)
            kit::MsgFenn(this, QStringLiteral("Die Liste konnte nicht gelesen werden:") + QLatin1Char(' ') + m_programmPfad + m_datei,
                         4, 0, m_art.ladenFehlerTitel, 1, FehlerHintergrund, MeldungText);
        else if (!bericht.complete())
            // OK will refuse to rewrite it: say so now, not only then.
            kit::MsgFenn(this, bericht.hinweis(m_datei, AusschlussGrenzen), 3, 0, m_art.ladenFehlerTitel, 1, 0xC0E0FF,
                         MeldungText);
    }
    m_liste->clear();
    for (const AusschlussEintrag& e : ausschlussAngebot(angeboten, liste)) {
        auto* item = new QListWidgetItem(e.text, m_liste);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(e.markiert ? Qt::Checked : Qt::Unchecked);
    }
}

void ExclusionListDialog::cmdOK_Click()
{
    if (m_datei.isEmpty()) {
        accept(); // a mode without a list: nothing is written
        return;
    }
    QStringList markiert;
    for (int i = 0; i < m_liste->count(); ++i) {
        if (m_liste->item(i)->checkState() == Qt::Checked)
            markiert << m_liste->item(i)->text();
    }
    const QString datei = m_programmPfad + m_datei;
    QString fehler;
    if (klang::wasCutOnRead(datei)) {
        fehler = QStringLiteral("Die Liste wurde nur zum Teil gelesen; sie wird nicht überschrieben, damit ihr "
                                "ungelesener Rest erhalten bleibt.");
    } else {
        QByteArray bytes;
        for (const QString& eintrag : std::as_const(markiert))
            bytes += eintrag.toUtf8() + '\n';
        fehler = klang::writeFileAtomically(datei, bytes).reason;
    }
    if (!fehler.isEmpty()) {
        // The window stays open with the choice; the old list is untouched.
        kit::MsgFenn(this, QStringLiteral("Die Liste konnte nicht gespeichert werden:") + QLatin1Char(' ') + datei
                               + QStringLiteral("\n\n") + fehler,
                     4, 0, m_art.okFehlerTitel, 1, FehlerHintergrund, MeldungText);
        return;
    }
    accept();
}

void ExclusionListDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    kit::FarbverlaufZeichnen(painter, this, 0xDEC9AD, 0xF4EAE3, 1);
}

frmStilausschlussliste::frmStilausschlussliste(const QString& programmPfad, const QString& datenbankPfad, QWidget* parent)
    : ExclusionListDialog({QStringLiteral("frmStilausschlussliste"), QStringLiteral("Stilausschlussliste"),
                           QStringLiteral("lstStilrichtung"), QStringLiteral("Stilrichtung"),
                           QStringLiteral("= Stilrichtung wird nicht berücksichtigt"), kStilModusSchluessel,
                           kStyleExclusionFile, kStilCdDatei, QStringLiteral("frmStilausschlussliste_ListeLaden"),
                           QStringLiteral("frmStilausschlussliste_cmdOK_Click")},
                          programmPfad, parent)
{
    lstStilrichtung = liste();
    QStringList stile;
    const QString stildatei = datenbankPfad + kStilkatalogDatei;
    if (QFileInfo(stildatei).isFile())
        stile = klang::readLines(stildatei);
    ListeLaden(stile);
}

frmBandAusschlussliste::frmBandAusschlussliste(const QString& programmPfad, const QStringList& baender, QWidget* parent)
    : ExclusionListDialog({QStringLiteral("frmBandAusschlussliste"), QStringLiteral("Band-Ausschlussliste"),
                           QStringLiteral("lstBandliste"), QStringLiteral("Band"),
                           QStringLiteral("= Band wird nicht berücksichtigt"), kBandModusSchluessel,
                           kBandExclusionFile, kBandCdDatei, QStringLiteral("frmBandausschlussliste_ListeErstellen"),
                           QStringLiteral("frmBandAusschlussliste_cmdOK_Click")},
                          programmPfad, parent)
{
    lstBandliste = liste();
    ListeLaden(baender);
}

} // namespace klang::player
