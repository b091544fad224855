#include "player/catalogue/detail/Bildbereich.h"

#include "kit/MsgFenn.h"
#include "player/catalogue/detail/Bilddaten.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace klang::detail {

namespace {
constexpr int BildPixel = 277; // 4155 twips
}

Bildbereich::Bildbereich(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Bildbereich"));
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);

    auto* bildplatz = new QWidget(this);
    bildplatz->setFixedSize(BildPixel, BildPixel + 1);
    auto* stapel = new QStackedLayout(bildplatz);
    stapel->setStackingMode(QStackedLayout::StackAll);
    Bild1 = new QLabel(bildplatz);
    Bild1->setObjectName(QStringLiteral("Bild1"));
    imgBildpfad = new QLabel(bildplatz);
    imgBildpfad->setObjectName(QStringLiteral("imgBildpfad"));
    for (QLabel* bild : {Bild1, imgBildpfad}) {
        bild->setScaledContents(true);
        bild->setToolTip(QStringLiteral(" vergrößern "));
        bild->installEventFilter(this);
        stapel->addWidget(bild);
    }
    imgBildpfad->setVisible(false);
    spalte->addWidget(bildplatz);

    auto* zeile = new QHBoxLayout;
    chkBildpfad = new QCheckBox(QStringLiteral("kein externes Cover"), this);
    chkBildpfad->setObjectName(QStringLiteral("chkBildpfad"));
    cboBildpfad = new QComboBox(this);
    cboBildpfad->setObjectName(QStringLiteral("cboBildpfad"));
    cboBildpfad->setEditable(true);
    cboBildpfad->setInsertPolicy(QComboBox::NoInsert);
    cboBildpfad->setEnabled(false);
    cboBildpfad->installEventFilter(this);
    zeile->addWidget(chkBildpfad);
    zeile->addWidget(cboBildpfad, 1);
    spalte->addLayout(zeile);
    spalte->addStretch();

    picCoverGreat = new QLabel(this);
    picCoverGreat->setObjectName(QStringLiteral("picCoverGreat"));
    picCoverGreat->setAutoFillBackground(true);
    QPalette farben = picCoverGreat->palette();
    farben.setColor(QPalette::Window, QColor(0xE3, 0xEA, 0xF4)); // &HF4EAE3
    picCoverGreat->setPalette(farben);
    picCoverGreat->setAlignment(Qt::AlignCenter);
    picCoverGreat->setVisible(false);
    picCoverGreat->installEventFilter(this);

    // The picture menu: its entries exist but none is shown (loading, pasting and deleting
    // covers have no function; copying is reached through MenuBildkopieren_Click).
    mnuBild = new QMenu(QStringLiteral("&Cover"), this);
    mnuBild->setObjectName(QStringLiteral("mnuBild"));
    auto eintrag = [this](const char* name, const QString& text) {
        QAction* a = mnuBild->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setVisible(false);
        return a;
    };
    mnuBildLaden = eintrag("mnuBildLaden", QStringLiteral("&Cover laden..."));
    MenuBildkopieren = eintrag("MenuBildkopieren", QStringLiteral("Cover &kopieren"));
    MenuBildkopieren->setShortcut(QKeySequence(Qt::Key_F7));
    MenuBildEinfuegen = eintrag("MenuBildEinfuegen", QStringLiteral("Cover &einfügen"));
    QAction* linie = mnuBild->addSeparator();
    linie->setObjectName(QStringLiteral("mnuLinieBild1"));
    linie->setVisible(false);
    mnuBildLoeschen = eintrag("mnuBildLoeschen", QStringLiteral("Cover &löschen"));
    mnuBild->setDefaultAction(MenuBildkopieren);
    connect(MenuBildkopieren, &QAction::triggered, this, &Bildbereich::MenuBildkopieren_Click);

    connect(chkBildpfad, &QCheckBox::toggled, this, [this](bool an) {
        chkBildpfad_Click(an);
        if (!m_automatisch)
            Q_EMIT externeBilderUmgeschaltet(an);
    });
    connect(cboBildpfad, qOverload<int>(&QComboBox::activated), this, &Bildbereich::cboBildpfad_Click);
}

void Bildbereich::setDatenbankPfad(const QString& pfad)
{
    m_datenbankPfad = pfad;
}

void Bildbereich::setAusDatenbankpfad(bool an)
{
    m_ausDatenbankpfad = an;
}

void Bildbereich::setGespeichertesBild(const QByteArray& feld)
{
    m_gespeichert = bildAusFeld(feld);
    zeige(Bild1, m_gespeichert);
}

void Bildbereich::setBildpfadFeld(const QString& feld)
{
    m_feld = feld;
    if (externeBilder())
        BildpfadListeLaden();
}

void Bildbereich::datensatzZeigen(const QByteArray& bilder, const QString& bildpfadFeld)
{
    m_gespeichert = bildAusFeld(bilder);
    zeige(Bild1, m_gespeichert);
    m_feld = bildpfadFeld;
    const bool vorher = m_automatisch;
    m_automatisch = true;
    BildpfadListeLaden(); // list and caption of this record, also while the stored one shows
    if (chkBildpfad->isChecked() && cboBildpfad->count() == 0)
        chkBildpfad->setChecked(false); // nothing external: the stored picture
    if (!chkBildpfad->isChecked() && m_gespeichert.isNull())
        chkBildpfad->setChecked(true); // nothing stored: the external ones
    m_automatisch = vorher;
}

void Bildbereich::setExterneBilder(bool an)
{
    if (chkBildpfad->isChecked() == an)
        chkBildpfad_Click(an);
    else
        chkBildpfad->setChecked(an);
}

bool Bildbereich::externeBilder() const
{
    return chkBildpfad->isChecked();
}

void Bildbereich::chkBildpfad_Click(bool an)
{
    cboBildpfad->setEnabled(an);
    if (an)
        BildpfadListeLaden();
    imgBildpfad->setVisible(an);
    Bild1->setVisible(!an);
}

void Bildbereich::zeige(QLabel* ziel, const QImage& bild)
{
    if (bild.isNull())
        ziel->clear();
    else
        ziel->setPixmap(QPixmap::fromImage(bild));
}

void Bildbereich::BildpfadListeLaden()
{
    cboBildpfad->clear();
    m_extern = QImage();
    imgBildpfad->clear();
    const Dateisuche suche{m_datenbankPfad, QStringLiteral("Bilder/"), m_ausDatenbankpfad, {}};
    const QStringList dateien = vorhandeneDateien(m_feld, suche);
    cboBildpfad->addItems(dateien);
    if (!dateien.isEmpty()) {
        cboBildpfad->setCurrentIndex(0);
        const QImage bild = bildAusDatei(dateien.first());
        if (!bild.isNull()) {
            m_extern = bild;
            zeige(imgBildpfad, bild);
        }
    }
    chkBildpfad->setText(bildpfadBeschriftung(m_feld, int(dateien.size())));
}

void Bildbereich::cboBildpfad_Click(int index)
{
    if (index < 0 || index >= cboBildpfad->count())
        return;
    const QString eintrag = cboBildpfad->itemText(index);
    if (QFileInfo(eintrag).isFile()) {
        const QImage bild = bildAusDatei(eintrag);
        if (!bild.isNull()) { // an unreadable picture leaves the previous one
            m_extern = bild;
            zeige(imgBildpfad, bild);
        }
        return;
    }
    kit::MsgFenn(window(), QStringLiteral("Bild nicht gefunden\r\n\r\n") + eintrag, 3, 0,
                 QStringLiteral("Bild laden und anzeigen"), 1, kit::WarningBackColor,
                 kit::DialogForeColor);
}

QImage Bildbereich::aktuellesBild() const
{
    return externeBilder() ? m_extern : m_gespeichert;
}

void Bildbereich::setVergroesserungsFlaeche(QWidget* flaeche)
{
    m_flaeche = flaeche;
}

bool Bildbereich::istVergroessert() const
{
    return picCoverGreat->isVisible();
}

void Bildbereich::vergroessern(bool ausExtern)
{
    m_gross = ausExtern ? m_extern : m_gespeichert;
    QWidget* flaeche = m_flaeche ? m_flaeche.data() : window();
    if (picCoverGreat->parentWidget() != flaeche)
        picCoverGreat->setParent(flaeche);
    // Right edge on the right edge of the picture area, top on the picture's top; the view
    // grows to the left and down as far as the window allows, never beyond the picture's size
    // times two.
    const QLabel* quelle = ausExtern ? imgBildpfad : Bild1;
    const QPoint obenRechts = quelle->mapTo(flaeche, QPoint(quelle->width(), 0));
    const QSize platz(qMax(BildPixel, obenRechts.x()),
                      qMax(BildPixel, flaeche->height() - obenRechts.y()));
    QSize groesse(BildPixel, BildPixel);
    if (!m_gross.isNull())
        groesse = m_gross.size().scaled((m_gross.size() * 2).boundedTo(platz), Qt::KeepAspectRatio)
                      .expandedTo(QSize(1, 1));
    picCoverGreat->setGeometry(QRect(QPoint(obenRechts.x() - groesse.width(), obenRechts.y()), groesse));
    if (m_gross.isNull())
        picCoverGreat->clear();
    else
        picCoverGreat->setPixmap(QPixmap::fromImage(
            m_gross.scaled(groesse, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    picCoverGreat->setVisible(true);
    picCoverGreat->raise();
}

void Bildbereich::verkleinern()
{
    picCoverGreat->setVisible(false);
    picCoverGreat->clear();
    m_gross = QImage();
}

void Bildbereich::vergroesserungAuffrischen()
{
    if (istVergroessert())
        vergroessern(externeBilder());
}

void Bildbereich::MenuBildkopieren_Click()
{
    QClipboard* ablage = QApplication::clipboard();
    if (!ablage)
        return;
    ablage->clear();
    const QImage bild = aktuellesBild();
    if (!bild.isNull())
        ablage->setImage(bild);
}

void Bildbereich::menuZeigen(const QPoint& global)
{
    // Every entry is hidden, so an empty menu would only flash: show it when something is in it.
    const auto aktionen = mnuBild->actions();
    if (std::any_of(aktionen.begin(), aktionen.end(), [](QAction* a) { return a->isVisible(); }))
        mnuBild->popup(global);
}

bool Bildbereich::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* maus = static_cast<QMouseEvent*>(event);
        if (watched == Bild1 || watched == imgBildpfad) {
            if (maus->button() == Qt::LeftButton)
                vergroessern(watched == imgBildpfad);
            else if (maus->button() == Qt::RightButton)
                menuZeigen(maus->globalPosition().toPoint());
            return true;
        }
        if (watched == picCoverGreat) {
            if (maus->button() == Qt::LeftButton)
                verkleinern();
            else if (maus->button() == Qt::RightButton)
                menuZeigen(maus->globalPosition().toPoint());
            return true;
        }
    } else if (watched == cboBildpfad) {
        if (event->type() == QEvent::FocusIn)
            Q_EMIT fokusErhalten(QStringLiteral("cboBildpfad"));
        else if (event->type() == QEvent::KeyRelease) {
            auto* taste = static_cast<QKeyEvent*>(event);
            if (taste->key() == Qt::Key_Up || taste->key() == Qt::Key_Down)
                cboBildpfad_Click(cboBildpfad->currentIndex());
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace klang::detail
