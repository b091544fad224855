#include "dbmanager/frmDatenbank.h"

#include "dbmanager/Arbeitsanimation.h"
#include "dbmanager/BildKnopf.h"
#include "dbmanager/Dateisystem.h"
#include "dbmanager/DatenbankVerwaltung.h"
#include "dbmanager/JetKatalog.h"
#include "dbmanager/TextProtokoll.h"
#include "dbmanager/Version.h"
#include "kit/Farbverlauf.h"
#include "kit/Helpers.h"
#include "kit/MsgFenn.h"
#include "kit/umwandlung/JetUmwandlung.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Shell.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>

namespace dbmanager {

namespace {

using klang::vb::twipsToPixels;

QRect twips(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// The client area with the window's gradient background.
class Hintergrund : public QWidget
{
public:
    explicit Hintergrund(QWidget* parent)
        : QWidget(parent)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        kit::FarbverlaufZeichnen(this, 0xF4EAE3, 0xDEC9AD, 1);
    }
};

QString standardAuswahl(QWidget* parent, const QString& vorschlag)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("Datenbank (*.mdb) "), QStringLiteral("alle Dateien (*) ")});
    dialog.setDirectory(vorschlag.isEmpty() ? klang::programmPfad() : QFileInfo(vorschlag).absolutePath());
    if (!vorschlag.isEmpty())
        dialog.selectFile(QFileInfo(vorschlag).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

frmDatenbank::frmDatenbank(std::unique_ptr<KatalogDatenbank> db, std::unique_ptr<Dateisystem> dateien,
                           std::unique_ptr<Arbeitsanimation> animation, QWidget* parent)
    : QMainWindow(parent)
    , m_db(db ? std::move(db) : std::make_unique<JetKatalog>())
    , m_dateien(dateien ? std::move(dateien) : std::make_unique<EchtesDateisystem>())
    , m_animation(animation ? std::move(animation) : std::make_unique<KeineAnimation>())
    , m_dateiAuswahl(&standardAuswahl)
{
    setObjectName(QStringLiteral("frmDatenbank"));
    setWindowTitle(QStringLiteral("Bestandswart"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFont(QFont(QStringLiteral("Segoe UI")));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, klang::vb::colorFromBgr(0xF4EAE3));
    setPalette(palette);

    auto* flaeche = new Hintergrund(this);
    flaeche->setObjectName(QStringLiteral("Hintergrund"));
    setCentralWidget(flaeche);
    const QSize client(twipsToPixels(8415 + 2 * 75), twipsToPixels(5700 + 315 + 60));
    flaeche->setMinimumSize(client);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());

    // Button bar.
    const int knopfLinks[5] = {150, 1068, 2025, 2904, 3825};
    const QString bez[5] = {QStringLiteral("Laden"), QStringLiteral("Update"), QStringLiteral("Kompress"),
                            QStringLiteral("Hilfe"), QStringLiteral("Ende")};
    const QString tipps[5] = {QStringLiteral(" Datenbank öffnen... "), QStringLiteral(" Datenbank Update..."),
                              QStringLiteral(" Datenbank komprimieren..."), QStringLiteral(" Bedienungsanleitung "),
                              QStringLiteral(" Beenden ")};
    const QStyle::StandardPixmap bilder[5] = {QStyle::SP_DialogOpenButton, QStyle::SP_BrowserReload,
                                              QStyle::SP_DriveHDIcon, QStyle::SP_MessageBoxQuestion,
                                              QStyle::SP_DialogCloseButton};
    for (int i = 0; i < 5; ++i) {
        auto* knopf = new BildKnopf(i, flaeche);
        knopf->setGeometry(twips(knopfLinks[i], 45, 480, 480));
        knopf->setPixmap(style()->standardIcon(bilder[i]).pixmap(twipsToPixels(480) - 4));
        knopf->setToolTip(tipps[i]);
        connect(knopf, &BildKnopf::clicked, this, &frmDatenbank::imgButton_Click);
        imgButton[i] = knopf;

        auto* label = new QLabel(bez[i], flaeche);
        label->setObjectName(QStringLiteral("lblBez(%1)").arg(i));
        // Centred under its button, wide enough for the longest caption.
        label->setGeometry(twips(knopfLinks[i] + 240 - 525, 495, 1050, 225 + 30));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, klang::vb::colorFromBgr(0x352300));
        label->setPalette(lp);
        lblBez[i] = label;
    }

    if (QWidget* bild = m_animation->widget()) {
        bild->setParent(flaeche);
        bild->setObjectName(QStringLiteral("Animation"));
        bild->setGeometry(twips(4500, 0, 3990, 615));
        bild->hide();
    }

    rtfText = new QTextEdit(flaeche);
    rtfText->setObjectName(QStringLiteral("rtfText"));
    rtfText->setGeometry(twips(75, 750, 8415, 4920));
    rtfText->setReadOnly(true);
    rtfText->setAcceptRichText(false);
    m_protokoll = std::make_unique<TextProtokoll>(rtfText);

    lblStatuszeile = new QLabel(flaeche);
    lblStatuszeile->setObjectName(QStringLiteral("lblStatuszeile"));
    lblStatuszeile->setGeometry(twips(75, 5700, 8415, 315));
    lblStatuszeile->setTextFormat(Qt::PlainText);

    // Menus.
    mnuDatei = menuBar()->addMenu(QStringLiteral("&Datei"));
    mnuDatei->setObjectName(QStringLiteral("mnuDatei"));
    auto eintrag = [this](QMenu* menu, const char* name, const QString& text, const QKeySequence& taste,
                          void (frmDatenbank::*handler)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!taste.isEmpty())
            a->setShortcut(taste);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    mnuOeffnen = eintrag(mnuDatei, "mnuOeffnen", QStringLiteral("&Öffnen..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                         &frmDatenbank::mnuOeffnen_Click);
    mnuUpdate = eintrag(mnuDatei, "mnuUpdate", QStringLiteral("Datenbank &Update..."),
                        QKeySequence(Qt::CTRL | Qt::Key_U), &frmDatenbank::mnuUpdate_Click);
    mnuKomprimieren = eintrag(mnuDatei, "mnuKomprimieren", QStringLiteral("Datenbank &komprimieren..."),
                              QKeySequence(Qt::CTRL | Qt::Key_K), &frmDatenbank::mnuKomprimieren_Click);
    mnuLinieDatei1 = mnuDatei->addSeparator();
    mnuLinieDatei1->setObjectName(QStringLiteral("mnuLinieDatei1"));
    mnuBeenden = eintrag(mnuDatei, "mnuBeenden", QStringLiteral("B&eenden"), QKeySequence(Qt::CTRL | Qt::Key_E),
                         &frmDatenbank::mnuBeenden_Click);
    mnuFragezeichen = menuBar()->addMenu(QStringLiteral("?"));
    mnuFragezeichen->setObjectName(QStringLiteral("mnuFragezeichen"));
    mnuHilfe = eintrag(mnuFragezeichen, "mnuHilfe", QStringLiteral("&Hilfe"), QKeySequence(Qt::Key_F1),
                       &frmDatenbank::mnuHilfe_Click);
    mnuVersion = eintrag(mnuFragezeichen, "mnuVersion", QStringLiteral("&Version"), QKeySequence(),
                         &frmDatenbank::mnuVersion_Click);

    m_verwaltung = new DatenbankVerwaltung(*m_db, *m_dateien, *m_protokoll, this);
    m_verwaltung->setSchrittweise(true);
    connect(m_verwaltung, &DatenbankVerwaltung::beschaeftigtGeaendert, this, &frmDatenbank::beschaeftigtAnzeigen);
    connect(m_verwaltung, &DatenbankVerwaltung::zustandGeaendert, this, &frmDatenbank::befehleAnpassen);
    connect(m_verwaltung, &DatenbankVerwaltung::signalton, this, [] { QApplication::beep(); });
    m_verwaltung->setRueckfrage([this](const QString& frage) {
        return kit::MsgFenn(this, frage, 22, 2, QStringLiteral("Datenbank komprimieren"), 1, kit::DialogBackColor,
                            kit::DialogForeColor)
               == QLatin1String("Ja");
    });
    befehleAnpassen();
}

frmDatenbank::~frmDatenbank()
{
    if (m_cursorGesetzt)
        QApplication::restoreOverrideCursor();
    // The rules refer to the database and the log: they go first.
    delete m_verwaltung;
    m_verwaltung = nullptr;
}

QString frmDatenbank::versionsText()
{
    using namespace version;
    const QString absatz = QStringLiteral("\n\n");
    return QStringLiteral("Produkt: ") + Produkt + absatz + QStringLiteral("Hersteller: ") + Hersteller + absatz
           + Copyright + absatz
           + QStringLiteral("Version: %1.%2.%3").arg(Major).arg(Minor).arg(Revision) + absatz
           + QStringLiteral("Online: ") + Online;
}

QString frmDatenbank::oeffnenVorschlag()
{
    const QString archiv = klang::GetSetting(QStringLiteral("Klangtruhe"), QStringLiteral("Options"),
                                             QStringLiteral("ArchivPfad"));
    if (!archiv.isEmpty()) {
        const QFileInfo info(archiv);
        if (info.isFile())
            return info.absoluteFilePath();
        const QDir ordner = info.absoluteDir();
        if (ordner.exists()) {
            const QStringList kataloge = ordner.entryList({QStringLiteral("*.mdb")}, QDir::Files | QDir::Readable, QDir::Name);
            if (!kataloge.isEmpty())
                return ordner.absoluteFilePath(kataloge.constFirst());
        }
    }
    const QString leer = klang::programmPfad() + QStringLiteral("Archiv_leer.mdb");
    return QFileInfo(leer).isFile() ? leer : QString();
}

void frmDatenbank::Form_Load()
{
    lblStatuszeile->setText(klang::programmPfad());
    // A missing or unplayable animation only means there is nothing to watch: the safety
    // notice below must come regardless.
    m_animationBereit = m_animation->laden(klang::programmPfad() + QStringLiteral("Working.avi"));
    if (QWidget* bild = m_animation->widget())
        bild->hide();
    show();
    QTimer::singleShot(0, this, &frmDatenbank::Sicherheitshinweis);
}

void frmDatenbank::Sicherheitshinweis()
{
    kit::MsgFenn(this,
                 QStringLiteral("Stellen Sie sicher, dass keine PC/Netzwerkbenutzer\nmehr mit der Datenbank "
                                "verbunden sind!"),
                 3, 0, QStringLiteral("Sicherheitshinweis"), 1, kit::WarningBackColor, kit::DialogForeColor);
}

void frmDatenbank::befehleAnpassen()
{
    const bool frei = !m_verwaltung->beschaeftigt();
    const bool offen = m_verwaltung->datenbankOffen();
    mnuOeffnen->setEnabled(frei);
    mnuUpdate->setEnabled(frei && offen);
    mnuKomprimieren->setEnabled(frei && offen);
    mnuBeenden->setEnabled(frei);
    mnuHilfe->setEnabled(frei);
    mnuVersion->setEnabled(frei);
    for (int i = 0; i < 5; ++i) {
        const bool braucht = i == 1 || i == 2;
        imgButton[i]->setVisible(!braucht || offen || !frei);
        lblBez[i]->setVisible(!braucht || offen || !frei);
        imgButton[i]->setEnabled(frei && (!braucht || offen));
    }
}

void frmDatenbank::beschaeftigtAnzeigen(bool beschaeftigt)
{
    if (beschaeftigt) {
        if (!m_cursorGesetzt) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_cursorGesetzt = true;
        }
        if (m_animationBereit) {
            if (QWidget* bild = m_animation->widget())
                bild->show();
            m_animation->abspielen();
        }
    } else {
        m_animation->anhalten();
        if (QWidget* bild = m_animation->widget())
            bild->hide();
        if (m_cursorGesetzt) {
            QApplication::restoreOverrideCursor();
            m_cursorGesetzt = false;
        }
    }
    befehleAnpassen();
}

void frmDatenbank::imgButton_Click(int index)
{
    switch (index) {
    case 0: mnuOeffnen_Click(); break;
    case 1: mnuUpdate_Click(); break;
    case 2: mnuKomprimieren_Click(); break;
    case 3: mnuHilfe_Click(); break;
    case 4: mnuBeenden_Click(); break;
    default: break;
    }
}

void frmDatenbank::mnuOeffnen_Click()
{
    if (m_verwaltung->beschaeftigt())
        return;
    QString datei = m_dateiAuswahl ? m_dateiAuswahl(this, oeffnenVorschlag()) : QString();
    if (datei.isEmpty())
        return; // cancelled: the previous database stays open, nothing changes
    // An old Access catalogue is offered for conversion; its copy opens in its place.
    const kit::JetErgebnis jet = kit::jetKatalogAnbieten(this, datei, QStringLiteral("frmDatenbank_mnuOeffnen_Click"));
    if (jet.antwort == kit::JetAntwort::Abgebrochen)
        return;
    if (jet.antwort == kit::JetAntwort::Umgewandelt)
        datei = jet.pfad;
    Fehler fehler;
    {
        klang::vb::HourglassGuard sanduhr;
        fehler = m_verwaltung->oeffnen(datei);
    }
    if (fehler) {
        kit::Fehlermeldung(this, QStringLiteral("frmDatenbank_mnuOeffnen_Click"), fehler.text, fehler.nummer);
        return;
    }
    lblStatuszeile->setText(m_verwaltung->datenbankDatei());
}

void frmDatenbank::mnuKomprimieren_Click()
{
    if (m_verwaltung->beschaeftigt() || !m_verwaltung->datenbankOffen())
        return;
    const QString antwort = kit::MsgFenn(
        this,
        QStringLiteral("In einer Datenbank bleiben auch nach Löschaktionen Datensätze erhalten, die erst durch "
                       "das Komprimieren der Datenbank entfernt werden.\n\nSoll die Datenbank komprimiert werden?"),
        22, 2, QStringLiteral("Datenbank komprimieren"), 1, kit::DialogBackColor, kit::DialogForeColor);
    // Only a clear yes goes on: a box closed without an answer is no consent.
    if (antwort != QLatin1String("Ja"))
        return;
    m_verwaltung->komprimieren();
}

void frmDatenbank::mnuUpdate_Click()
{
    if (m_verwaltung->beschaeftigt() || !m_verwaltung->datenbankOffen())
        return;
    const QString antwort = kit::MsgFenn(
        this,
        QStringLiteral("In der Regel führen Sie diesen Menüpunkt nur aus,\nnachdem Sie vom Hersteller dazu "
                       "aufgefordert wurden.\n\nUpdate ausführen?"),
        22, 2, QStringLiteral("Update ausführen?"), 1, kit::DialogBackColor, kit::DialogForeColor);
    if (antwort != QLatin1String("Ja"))
        return;
    m_verwaltung->aktualisieren();
}

void frmDatenbank::mnuBeenden_Click()
{
    if (m_verwaltung->beschaeftigt())
        return;
    // The family's archive program; the player stands in for it where it is not installed.
    QString fehler;
    if (!klang::startSiblingProgram(QStringLiteral("Klangtruhe"), {}, &fehler)) {
        QString fehler2;
        if (!klang::startSiblingProgram(QStringLiteral("KlangtruhePlayer"), {}, &fehler2))
            kit::MsgFenn(this, fehler, 3, 0, QStringLiteral("frmDatenbank_mnuBeenden_Click"), 1,
                         kit::DialogBackColor, kit::DialogForeColor);
    }
    kit::AlleFormsEntladen();
}

void frmDatenbank::mnuHilfe_Click()
{
    if (m_verwaltung->beschaeftigt())
        return;
    kit::HilfeAufrufen(QStringLiteral("bestwart.html"));
}

void frmDatenbank::mnuVersion_Click()
{
    if (m_verwaltung->beschaeftigt())
        return;
    kit::MsgFenn(this, versionsText(), 1, 0, QStringLiteral("Info´s - Quarzwerk"), 1, kit::DialogBackColor,
                 kit::DialogForeColor);
}

void frmDatenbank::closeEvent(QCloseEvent* event)
{
    // Closing in the middle of a compaction would leave the files half replaced.
    if (m_verwaltung->beschaeftigt()) {
        event->ignore();
        return;
    }
    m_db->schliessen();
    event->accept();
}

} // namespace dbmanager
