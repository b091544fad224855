// The CD inlay commands of the main window: the front booklet and the back inlay, printed or
// previewed. The layouts live in the printing layer; the form gathers what the record view
// shows and hands it over.

#include "kit/FormPlatzieren.h"
#include "kit/Helpers.h"
#include "kit/MsgFenn.h"
#include "platform/printing/Drucker.h"
#include "platform/printing/Inlay.h"
#include "platform/printing/TwipsFlaeche.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/vbcompat/VbCompat.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/frmDruckVorschau.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QShortcut>

namespace klang::player {

namespace {

// The picture the record view shows: the stored cover while it is shown, else the external one.
QImage inlayBild(const QLabel* bild1, const QLabel* extern_)
{
    const QLabel* quelle = bild1 && !bild1->isHidden() ? bild1 : extern_;
    if (!quelle)
        return {};
    const QPixmap pixmap = quelle->pixmap();
    return pixmap.isNull() ? QImage() : pixmap.toImage();
}

} // namespace

void Ausgabebox::druckmenueAufbauen(QMenu* datei)
{
    // The group stays hidden in the menu; its shortcuts reach the commands all the same.
    struct Eintrag
    {
        const char* name;
        QString text;
        int taste;
        void (Ausgabebox::*befehl)();
    };
    const Eintrag eintraege[] = {
        {"MenuDrucken", QStringLiteral("Vorderseite &drucken..."), Qt::Key_F1, &Ausgabebox::MenuDrucken_Click},
        {"mnuBacksitePrint", QStringLiteral("&Rückseite drucken..."), Qt::Key_F3, &Ausgabebox::mnuBacksitePrint_Click},
        {"mnuVorschauDrucken", QStringLiteral("&Vorschau Vorderseite drucken"), Qt::Key_F2,
         &Ausgabebox::mnuVorschauDrucken_Click},
        {"mnuViewBacksitePrint", QStringLiteral("Vorschau Rückseite druck&en"), Qt::Key_F4,
         &Ausgabebox::mnuViewBacksitePrint_Click},
    };
    datei->addSeparator()->setVisible(false);
    for (const Eintrag& e : eintraege) {
        QAction* a = datei->addAction(e.text);
        a->setObjectName(QLatin1String(e.name));
        a->setShortcut(QKeySequence(Qt::CTRL | e.taste));
        a->setVisible(false);
        connect(a, &QAction::triggered, this, e.befehl);
        // A hidden entry takes no shortcut; a window shortcut stands in for it.
        auto* kurz = new QShortcut(QKeySequence(Qt::CTRL | e.taste), this);
        kurz->setObjectName(QLatin1String(e.name) + QStringLiteral("_Taste"));
        connect(kurz, &QShortcut::activated, this, e.befehl);
    }
    QAction* tabelle = datei->addAction(QStringLiteral("&Tabelle drucken..."));
    tabelle->setObjectName(QStringLiteral("mnuTabelleDrucken"));
    tabelle->setVisible(false);
    datei->addSeparator()->setVisible(false);
}

frmDruckVorschau* Ausgabebox::druckVorschau() const
{
    return m_druckVorschau.data();
}

static printing::InlayDaten inlayDaten(const Ausgabebox& w)
{
    printing::InlayDaten d;
    d.band = w.TextBand->text();
    d.titel = w.TextLPTitel->text();
    d.medium = w.TextMedium->text();
    d.plattenfirma = w.TextPlattenfirma->text();
    d.bestellNr = w.TextBestellNr->text();
    d.kaufdatum = w.TextKaufdatum->text();
    d.preis = w.TextPreis->text();
    d.stil = w.TextStil->text();
    d.bewertung = w.txtBewertung->text();
    d.info = w.TextInfo->text();
    for (int i = 0; i < w.cboEbook->count(); ++i)
        d.ebooks << kit::DateinameAusPfad(w.cboEbook->itemText(i));
    d.songs = w.TextSongs->toPlainText();
    d.bild = inlayBild(w.Bild1, w.imgBildpfad);
    return d;
}

void Ausgabebox::MenuDrucken_Click()
{
    const QString titel = QStringLiteral("Ausgabebox_MenuDrucken_Click");
    QPrinter drucker(QPrinter::HighResolution);
    printing::druckerVorbereiten(drucker, QPageLayout::Landscape);
    const bool gewaehlt = druckDialog ? druckDialog(drucker) : printing::druckerDialog(drucker, this);
    if (!gewaehlt)
        return; // cancelled: no job, nothing to report
    const QString antwort = kit::MsgFenn(this, QStringLiteral("Soll das Bild mit ausgedruckt werden?"), 32, 1,
                                         QStringLiteral("Quarzwerk"), 1, 0xF4EAE3, 0x352300);
    if (antwort == QLatin1String("Exit"))
        return;
    const printing::Bildwahl wahl = antwort == QLatin1String("Ja")     ? printing::Bildwahl::MitBild
                                    : antwort == QLatin1String("Nein") ? printing::Bildwahl::OhneBild
                                                                       : printing::Bildwahl::OhneRahmen;
    const printing::InlayDaten daten = inlayDaten(*this);
    QString fehler;
    {
        vb::HourglassGuard sanduhr;
        fehler = printing::seiteDrucken(drucker, [&](printing::TwipsFlaeche& f) {
            printing::vorderseiteDrucken(f, daten, wahl);
        });
    }
    if (!fehler.isEmpty())
        kit::Fehlermeldung(this, titel, fehler, 482);
}

void Ausgabebox::mnuBacksitePrint_Click()
{
    const QString titel = QStringLiteral("Ausgabebox_mnuBacksitePrint_Click");
    QPrinter drucker(QPrinter::HighResolution);
    printing::druckerVorbereiten(drucker, QPageLayout::Portrait);
    const bool gewaehlt = druckDialog ? druckDialog(drucker) : printing::druckerDialog(drucker, this);
    if (!gewaehlt)
        return;
    const printing::InlayDaten daten = inlayDaten(*this);
    QString fehler;
    {
        vb::HourglassGuard sanduhr;
        fehler = printing::seiteDrucken(drucker, [&](printing::TwipsFlaeche& f) {
            printing::rueckseiteDrucken(f, daten);
        });
    }
    if (!fehler.isEmpty())
        kit::Fehlermeldung(this, titel, fehler, 482);
}

frmDruckVorschau* Ausgabebox::vorschauZeigen(int breiteTwips, int hoeheTwips)
{
    if (!m_druckVorschau) {
        // Its own window without an owner; it goes with the main window.
        auto* fenster = new frmDruckVorschau(nullptr);
        fenster->setAttribute(Qt::WA_DeleteOnClose);
        fenster->picVorschau->escGedrueckt = [this] { EscGedrueckt = true; };
        connect(this, &QObject::destroyed, fenster, [fenster] { delete fenster; });
        m_druckVorschau = fenster;
    }
    m_druckVorschau->resize(vb::twipsToPixels(breiteTwips), vb::twipsToPixels(hoeheTwips));
    kit::FormPlatzieren(m_druckVorschau, this, QStringLiteral("center"), 10);
    m_druckVorschau->show();
    m_druckVorschau->raise();
    // A new preview replaces the last one rather than drawing over it.
    m_druckVorschau->picVorschau->leeren();
    return m_druckVorschau;
}

void Ausgabebox::mnuVorschauDrucken_Click()
{
    frmDruckVorschau* fenster = vorschauZeigen(9600, 5500);
    const printing::InlayDaten daten = inlayDaten(*this);
    vb::HourglassGuard sanduhr;
    fenster->picVorschau->zeichnen([&](QPainter& p) {
        printing::TwipsFlaeche f(p, 1.0 / vb::TwipsPerPixel);
        printing::vorderseiteVorschau(f, daten);
    });
}

void Ausgabebox::mnuViewBacksitePrint_Click()
{
    vorschauZeigen(6150, 5500);
    QCoreApplication::processEvents();
    frmDruckVorschau* fenster = m_druckVorschau;
    if (!fenster)
        return; // closed while events ran
    const printing::InlayDaten daten = inlayDaten(*this);
    fenster->picVorschau->zeichnen([&](QPainter& p) {
        printing::TwipsFlaeche f(p, 1.0 / vb::TwipsPerPixel);
        printing::rueckseiteVorschau(f, daten);
    });
}

} // namespace klang::player
