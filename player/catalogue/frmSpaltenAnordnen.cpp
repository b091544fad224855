#include "player/catalogue/frmSpaltenAnordnen.h"

#include "kit/Farbverlauf.h"
#include "kit/Helpers.h"
#include "kit/MsgFenn.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/KatalogController.h"
#include "player/catalogue/Spaltensatz.h"
#include "platform/vbcompat/VbCompat.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

namespace klang::player {

namespace {
QRect twips(int left, int top, int width, int height)
{
    using klang::vb::twipsToPixels;
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

template<typename W>
W* erzeugen(QWidget* parent, const char* name, const QRect& r)
{
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(r);
    return w;
}
} // namespace

frmSpaltenAnordnen::frmSpaltenAnordnen(bool nichtSortieren, QWidget* parent)
    : QDialog(parent)
    , m_nichtSortierenBeimOeffnen(nichtSortieren)
{
    setObjectName(QStringLiteral("frmSpaltenAnordnen"));
    setWindowTitle(QStringLiteral("Tabellenspalten anordnen"));
    setModal(true);
    setFixedSize(klang::vb::twipsToPixels(7400), klang::vb::twipsToPixels(5250));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, klang::vb::colorFromBgr(kit::DialogForeColor));
    setPalette(pal);

    auto* lbl0 = erzeugen<QLabel>(this, "lblBez_0", twips(225, 120, 1800, 225));
    lbl0->setText(QStringLiteral("nicht sichtbare Spalten"));
    lstSpalten = erzeugen<QListWidget>(this, "lstSpalten", twips(150, 375, 2715, 3645));
    auto* lbl1 = erzeugen<QLabel>(this, "lblBez_1", twips(4500, 120, 2745, 225));
    lbl1->setText(QStringLiteral("Reihenfolge der sichtbaren Spalten"));
    lstTabelle = erzeugen<QListWidget>(this, "lstTabelle", twips(4500, 375, 2715, 3645));
    cmdEinfuegen = erzeugen<QPushButton>(this, "cmdEinfügen", twips(3075, 750, 1215, 360));
    cmdEinfuegen->setText(QStringLiteral("ein&fügen"));
    cmdEntfernen = erzeugen<QPushButton>(this, "cmdEntfernen", twips(3075, 1275, 1215, 360));
    cmdEntfernen->setText(QStringLiteral("&entfernen"));
    cmdHoch = erzeugen<QPushButton>(this, "cmdHochTief_0", twips(3075, 2775, 1215, 360));
    cmdHoch->setText(QStringLiteral("&hoch"));
    cmdHoch->setEnabled(false);
    cmdRunter = erzeugen<QPushButton>(this, "cmdHochTief_1", twips(3075, 3300, 1215, 360));
    cmdRunter->setText(QStringLiteral("&runter"));
    cmdRunter->setEnabled(false);
    chkNotSort = erzeugen<QCheckBox>(this, "chkNotSort", twips(1658, 4200, 4065, 240));
    chkNotSort->setText(QStringLiteral("Tabellenspalten nicht automatisch anordnen"));
    chkNotSort->setToolTip(QStringLiteral(" Damit alle SQL-Befehle verwendbar sind "));
    cmdOK = erzeugen<QPushButton>(this, "cmdOK", twips(165, 4650, 1125, 360));
    cmdOK->setText(QStringLiteral("&OK"));
    cmdStandard = erzeugen<QPushButton>(this, "cmdStandard", twips(1590, 4650, 1125, 360));
    cmdStandard->setText(QStringLiteral("&Standard"));
    cmdDefault = erzeugen<QPushButton>(this, "cmdDefault", twips(3015, 4650, 1125, 360));
    cmdDefault->setText(QStringLiteral("&Default"));
    cmdExit = erzeugen<QPushButton>(this, "cmdExit", twips(4440, 4650, 1350, 360));
    cmdExit->setText(QStringLiteral("&Abbrechen"));
    cmdHilfe = erzeugen<QPushButton>(this, "cmdHilfe", twips(6090, 4650, 1125, 360));
    cmdHilfe->setText(QStringLiteral("&Hilfe"));

    // Captions keep their design place but grow to their text in the user's font.
    for (QWidget* w : std::initializer_list<QWidget*>{lbl0, lbl1, chkNotSort, cmdEinfuegen, cmdEntfernen, cmdHoch,
                                                      cmdRunter, cmdOK, cmdStandard, cmdDefault, cmdExit, cmdHilfe}) {
        const QSize noetig = w->sizeHint();
        w->resize(qMax(w->width(), noetig.width()), qMax(w->height(), noetig.height()));
        if (w->geometry().right() + 10 > width())
            setFixedSize(w->geometry().right() + 10, height());
    }

    // RegistryLesen of the dialog: the program font, size default 10.
    QFont schrift = lstSpalten->font();
    schrift.setFamily(option(QStringLiteral("ProgSchriftName"), QStringLiteral("Segoe UI")));
    const int groesse = zahlOder(option(QStringLiteral("ProgSchriftSize"), QStringLiteral("10")), 10);
    if (groesse > 0 && groesse < 200)
        schrift.setPointSize(groesse);
    lstSpalten->setFont(schrift);
    lstTabelle->setFont(lstSpalten->font());

    QStringList sichtbar;
    QStringList versteckt;
    spaltenVerteilen(KatalogController::spaltensatzLesen(), sichtbar, versteckt);
    listenFuellen(sichtbar, versteckt);
    chkNotSort->setChecked(zahlOder(option(QStringLiteral("TableNotSort"), QStringLiteral("0")), 0) == 1);

    connect(cmdEinfuegen, &QPushButton::clicked, this, [this] { cmdEinfuegen_Click(); });
    connect(cmdEntfernen, &QPushButton::clicked, this, [this] { cmdEntfernen_Click(); });
    connect(cmdHoch, &QPushButton::clicked, this, [this] { cmdHochTief_Click(0); });
    connect(cmdRunter, &QPushButton::clicked, this, [this] { cmdHochTief_Click(1); });
    // A choice in the visible list enables the move buttons, one in the hidden list disables
    // them: by mouse, by keyboard or by the dialog itself.
    const auto hochRunter = [this](bool an) {
        cmdHoch->setEnabled(an);
        cmdRunter->setEnabled(an);
    };
    connect(lstTabelle, &QListWidget::itemClicked, this, [hochRunter] { hochRunter(true); });
    connect(lstTabelle, &QListWidget::currentRowChanged, this, [hochRunter](int zeile) {
        if (zeile >= 0)
            hochRunter(true);
    });
    connect(lstSpalten, &QListWidget::itemClicked, this, [hochRunter] { hochRunter(false); });
    connect(lstSpalten, &QListWidget::currentRowChanged, this, [hochRunter](int zeile) {
        if (zeile >= 0)
            hochRunter(false);
    });
    connect(cmdDefault, &QPushButton::clicked, this, [this] { cmdDefault_Click(); });
    connect(cmdStandard, &QPushButton::clicked, this, [this] { cmdStandard_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdHilfe, &QPushButton::clicked, this,
            [] { kit::HilfeAufrufen(QStringLiteral("spaltenanordnen.html")); });
}

bool frmSpaltenAnordnen::tabelleNichtSortieren() const
{
    return m_gespeichert ? chkNotSort->isChecked() : m_nichtSortierenBeimOeffnen;
}

void frmSpaltenAnordnen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    kit::FarbverlaufZeichnen(painter, this, 0xDECAAD, 0xF4EAE3, 1);
}

QStringList frmSpaltenAnordnen::eintraege(const QListWidget* liste)
{
    QStringList e;
    for (int i = 0; i < liste->count(); ++i)
        e << liste->item(i)->text();
    return e;
}

void frmSpaltenAnordnen::listenFuellen(const QStringList& sichtbar, const QStringList& versteckt)
{
    lstTabelle->clear();
    lstSpalten->clear();
    lstTabelle->addItems(sichtbar);
    lstSpalten->addItems(versteckt);
}

void frmSpaltenAnordnen::cmdEinfuegen_Click()
{
    const int n = lstSpalten->currentRow();
    if (n < 0 || !lstSpalten->currentItem() || !lstSpalten->currentItem()->isSelected())
        return;
    lstTabelle->addItem(lstSpalten->takeItem(n));
    if (lstSpalten->count() > 0) {
        lstSpalten->setCurrentRow(0);
        cmdHoch->setEnabled(false);
        cmdRunter->setEnabled(false);
    }
}

void frmSpaltenAnordnen::cmdEntfernen_Click()
{
    const int n = lstTabelle->currentRow();
    if (n < 0 || !lstTabelle->currentItem() || !lstTabelle->currentItem()->isSelected())
        return;
    lstSpalten->addItem(lstTabelle->takeItem(n));
    if (lstTabelle->count() > 0) {
        lstTabelle->setCurrentRow(0);
        cmdHoch->setEnabled(true);
        cmdRunter->setEnabled(true);
    }
}

void frmSpaltenAnordnen::cmdHochTief_Click(int index)
{
    const int n = lstTabelle->currentRow();
    if (n < 0 || !lstTabelle->currentItem() || !lstTabelle->currentItem()->isSelected())
        return;
    const int ziel = index == 0 ? n - 1 : n + 1;
    if (ziel < 0 || ziel >= lstTabelle->count())
        return;
    QListWidgetItem* item = lstTabelle->takeItem(n);
    lstTabelle->insertItem(ziel, item);
    lstTabelle->setCurrentRow(ziel);
}

void frmSpaltenAnordnen::cmdDefault_Click()
{
    listenFuellen(defaultSichtbar(), defaultVersteckt());
}

void frmSpaltenAnordnen::cmdStandard_Click()
{
    QStringList alle;
    for (int k = 0; k < SpaltensatzAnzahl; ++k)
        alle << spaltenEintrag(standardSpaltenEintrag(k)).name;
    listenFuellen(alle, {});
    kit::MsgFenn(this, QStringLiteral("Standardeinstellung hergestellt"), 1, 0,
                 QStringLiteral("Hinweis"), 1, kit::DialogBackColor, kit::DialogForeColor);
    cmdOK_Click();
}

void frmSpaltenAnordnen::cmdOK_Click()
{
    const QStringList satz = spaltensatzAusListen(eintraege(lstTabelle), eintraege(lstSpalten));
    for (int n = 0; n < satz.size(); ++n)
        setOption(QStringLiteral("TabelleAnordnenCaption%1").arg(n), satz.at(n));
    setOption(QStringLiteral("TableNotSort"), chkNotSort->isChecked() ? QStringLiteral("1")
                                                                      : QStringLiteral("0"));
    m_gespeichert = true;
    accept();
}

} // namespace klang::player
