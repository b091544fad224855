// The backup window, kept whole: its sections are one concern each (building the window and
// its settings, the lists, the field handlers, the run of the chosen program, the restart with
// administrator rights), and each holds only this window's handlers. What other code calls
// lives in classes of its own: the command line (Kommandozeile), the table of programs
// (ArchiverVorgaben), the run (Lauf) and its checks (Laufpruefung), the lists (Listen).

#include "backup/ZipForm.h"

#include "backup/AdminNeustart.h"
#include "backup/AusgabeFenster.h"
#include "backup/Lauf.h"
#include "backup/Laufpruefung.h"
#include "backup/Listen.h"
#include "backup/Schreibrechte.h"
#include "kit/Farbverlauf.h"
#include "kit/FormPlatzieren.h"
#include "kit/Helpers.h"
#include "kit/MsgFenn.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Shell.h"
#include "platform/vbcompat/VbCompat.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>

#include <cmath>

#ifndef KLANG_VERSION
#define KLANG_VERSION "0.0.0"
#endif

namespace backup {

namespace {

const QString Abschnitt = QStringLiteral("Options");
const QString ListenTooltip = QStringLiteral(" Enter = einfügen, Entf = löschen");
const QString HerstellerSeite = QStringLiteral("https://klangtruhe.example/ordnerwacht");
const QString TitelPacken = QStringLiteral("ZipForm_Command_Packen_Click");
// Numbers of the error report, as the runtime numbered these failures.
constexpr int FehlerStart = 5;       // the call could not be made
constexpr int FehlerDateiFehlt = 53; // file not found
constexpr int FehlerZugriff = 75;    // path/file access error

QComboBox* neueListe(QWidget* parent, const QString& name, const QString& tooltip)
{
    auto* liste = new QComboBox(parent);
    liste->setObjectName(name);
    liste->setEditable(true);
    // Entries are added by our own Enter handling, sorted and without duplicates.
    liste->setInsertPolicy(QComboBox::NoInsert);
    liste->setToolTip(tooltip);
    liste->setMinimumContentsLength(30);
    return liste;
}

QPushButton* neuerKnopf(QWidget* parent, const QString& name, const QString& text, const QString& tooltip)
{
    auto* knopf = new QPushButton(text, parent);
    knopf->setObjectName(name);
    knopf->setToolTip(tooltip);
    return knopf;
}

} // namespace

ZipForm::ZipForm(QWidget* parent, ProgrammSucher systemSucher)
    : QWidget(parent)
    , m_appOrdner(AppOrdnerName)
    , m_systemSucher(std::move(systemSucher))
{
    aufbauen();
    Form_Load();
}

ZipForm::~ZipForm()
{
    Form_Unload();
    delete m_ausgabe;
}

void ZipForm::aufbauen()
{
    setObjectName(QStringLiteral("ZipForm"));
    setWindowTitle(QStringLiteral("Ordnerwacht"));
    auto* grid = new QGridLayout(this);

    int zeile = 0;
    const auto beschriftung = [&](const QString& text, QWidget* feld) {
        auto* label = new QLabel(text, this);
        label->setBuddy(feld);
        grid->addWidget(label, zeile, 0);
    };

    m_txtQuellpfad = neueListe(this, QStringLiteral("txtQuellpfad"), QString());
    m_cmdQuellpfad = neuerKnopf(this, QStringLiteral("cmdQuellpfad"), QStringLiteral("..."),
                                QStringLiteral(" Quellpfad festlegen"));
    beschriftung(QStringLiteral("Quellpfad"), m_txtQuellpfad);
    grid->addWidget(m_txtQuellpfad, zeile, 1, 1, 3);
    grid->addWidget(m_cmdQuellpfad, zeile++, 4);

    m_txtZielpfad = neueListe(this, QStringLiteral("txtZielpfad"), QString());
    m_cmdZielpfad = neuerKnopf(this, QStringLiteral("cmdZielpfad"), QStringLiteral("..."),
                               QStringLiteral(" Zielpfad festlegen"));
    beschriftung(QStringLiteral("Zielpfad"), m_txtZielpfad);
    grid->addWidget(m_txtZielpfad, zeile, 1, 1, 3);
    grid->addWidget(m_cmdZielpfad, zeile++, 4);

    m_Text_Archivname = new QLineEdit(this);
    m_Text_Archivname->setObjectName(QStringLiteral("Text_Archivname"));
    m_Text_Archivname->setToolTip(QStringLiteral("Name des Ziparchivs eingeben"));
    beschriftung(QStringLiteral("Ziparchiv-Name bzw.Copy-Ordnername"), m_Text_Archivname);
    grid->addWidget(m_Text_Archivname, zeile++, 1, 1, 3);

    m_cboKomprimierProg = neueListe(this, QStringLiteral("cboKomprimierProg"), ListenTooltip);
    m_cmdVerzPfad = neuerKnopf(this, QStringLiteral("cmdVerzPfad"), QStringLiteral("..."),
                               QStringLiteral(" Komprimierprogramm festlegen"));
    beschriftung(QStringLiteral("Programmm-Pfad (Zip o.ä., Xcopy, Robocopy)"), m_cboKomprimierProg);
    grid->addWidget(m_cboKomprimierProg, zeile, 1, 1, 3);
    grid->addWidget(m_cmdVerzPfad, zeile++, 4);

    m_cboParameter = neueListe(this, QStringLiteral("cboParameter"), ListenTooltip);
    beschriftung(QStringLiteral("Programm-Parameter"), m_cboParameter);
    grid->addWidget(m_cboParameter, zeile++, 1, 1, 3);

    m_cboExtension = neueListe(this, QStringLiteral("cboExtension"), ListenTooltip);
    m_cboExtension->setMinimumContentsLength(8);
    beschriftung(QStringLiteral("Archive-Extension"), m_cboExtension);
    grid->addWidget(m_cboExtension, zeile, 1);
    m_Text_Extension = new QLineEdit(this);
    m_Text_Extension->setObjectName(QStringLiteral("Text_Extension"));
    m_Text_Extension->setToolTip(QStringLiteral("Beliebige Extension z.B. *.txt"));
    auto* extLabel = new QLabel(QStringLiteral("Extension"), this);
    extLabel->setBuddy(m_Text_Extension);
    grid->addWidget(extLabel, zeile, 2);
    grid->addWidget(m_Text_Extension, zeile++, 3);

    m_txtCode = new QLineEdit(this);
    m_txtCode->setObjectName(QStringLiteral("txtCode"));
    m_txtCode->setReadOnly(true);
    beschriftung(QStringLiteral("Code"), m_txtCode);
    grid->addWidget(m_txtCode, zeile++, 1, 1, 4);

    m_chkBeenden = new QCheckBox(QStringLiteral("nach Aufruf beenden"), this);
    m_chkBeenden->setObjectName(QStringLiteral("chkBeenden"));
    m_chkBeenden->setToolTip(QStringLiteral(" nach Aufruf des Dos-Fensters Ordnerwacht sofort beenden"));
    m_chkDosfenster = new QCheckBox(QStringLiteral("Dos-Fenster minimieren"), this);
    m_chkDosfenster->setObjectName(QStringLiteral("chkDosfenster"));
    m_chkDosfenster->setToolTip(QStringLiteral(" minimiert das Dos-Fenster in die Taskleiste"));
    grid->addWidget(m_chkBeenden, zeile, 1);
    grid->addWidget(m_chkDosfenster, zeile++, 2, 1, 2);

    auto* knoepfe = new QHBoxLayout;
    m_Command_Packen = new QToolButton(this);
    m_Command_Packen->setObjectName(QStringLiteral("Command_Packen"));
    m_Command_Packen->setText(QStringLiteral("&Ordnerwacht"));
    m_Command_Packen->setPopupMode(QToolButton::MenuButtonPopup);
    // Takes the focus on a click, so the path fields finish their edit before the run.
    m_Command_Packen->setFocusPolicy(Qt::StrongFocus);
    auto* menu = new QMenu(m_Command_Packen);
    QAction* admin = menu->addAction(QStringLiteral("als Admin neustarten"));
    admin->setObjectName(QStringLiteral("Admin"));
    admin->setData(QStringLiteral("Admin"));
    m_Command_Packen->setMenu(menu);
    m_cmdCodeAnzeigen = neuerKnopf(this, QStringLiteral("cmdCodeAnzeigen"), QStringLiteral("&Code aktualisieren"), QString());
    m_cmdInfo = neuerKnopf(this, QStringLiteral("cmdInfo"), QStringLiteral("&Info"), QStringLiteral(" Hilfe anzeigen"));
    m_Command_Exit = neuerKnopf(this, QStringLiteral("Command_Exit"), QStringLiteral("&Beenden"), QString());
    knoepfe->addWidget(m_Command_Packen);
    knoepfe->addWidget(m_cmdCodeAnzeigen);
    knoepfe->addWidget(m_cmdInfo);
    knoepfe->addStretch();
    knoepfe->addWidget(m_Command_Exit);
    grid->addLayout(knoepfe, zeile++, 0, 1, 5);

    m_Label1_7 = new QLabel(this);
    m_Label1_7->setObjectName(QStringLiteral("Label1_7"));
    m_Label1_8 = new QLabel(this);
    m_Label1_8->setObjectName(QStringLiteral("Label1_8"));
    m_Label1_8->setCursor(Qt::PointingHandCursor);
    m_Label1_8->installEventFilter(this);
    grid->addWidget(m_Label1_7, zeile, 0, 1, 2);
    grid->addWidget(m_Label1_8, zeile++, 2, 1, 3);

    for (QComboBox* feld : {m_txtQuellpfad, m_txtZielpfad, m_cboKomprimierProg, m_cboParameter, m_cboExtension}) {
        feld->installEventFilter(this);
        feld->lineEdit()->installEventFilter(this);
    }

    connect(m_cmdQuellpfad, &QPushButton::clicked, this, &ZipForm::cmdQuellpfad_Click);
    connect(m_cmdZielpfad, &QPushButton::clicked, this, &ZipForm::cmdZielpfad_Click);
    connect(m_cmdVerzPfad, &QPushButton::clicked, this, &ZipForm::cmdVerzPfad_Click);
    connect(m_Command_Packen, &QToolButton::clicked, this, &ZipForm::Command_Packen_Click);
    connect(menu, &QMenu::triggered, this, [this](QAction* a) { Command_Packen_MenuClick(a->data().toString()); });
    connect(m_cmdCodeAnzeigen, &QPushButton::clicked, this, &ZipForm::cmdCodeAnzeigen_Click);
    connect(m_cmdInfo, &QPushButton::clicked, this, &ZipForm::cmdInfo_Click);
    connect(m_Command_Exit, &QPushButton::clicked, this, &ZipForm::Command_Exit_Click);
    connect(m_cboKomprimierProg, &QComboBox::activated, this, [this] { cboKomprimierProg_Click(); });
    const auto nurCode = [this] {
        m_nurAnzeigen = true;
        cmdCodeAnzeigen_Click();
    };
    connect(m_cboExtension, &QComboBox::activated, this, nurCode);
    connect(m_cboParameter, &QComboBox::activated, this, nurCode);
    connect(m_cboExtension, &QComboBox::editTextChanged, this, &ZipForm::zielAktualisieren);
    connect(m_Text_Archivname, &QLineEdit::textChanged, this, &ZipForm::zielAktualisieren);
    // Saved on every change of the value, by mouse or by keyboard.
    connect(m_chkBeenden, &QCheckBox::toggled, this, [this](bool an) {
        speichern(QStringLiteral("OrdnerwachtBeenden"), an ? QStringLiteral("1") : QStringLiteral("0"));
    });
    connect(m_chkDosfenster, &QCheckBox::toggled, this, [this](bool an) {
        speichern(QStringLiteral("OrdnerwachtDosfenster"), an ? QStringLiteral("1") : QStringLiteral("0"));
    });
}

QString ZipForm::einstellung(const QString& key, const QString& standard) const
{
    return klang::GetSetting(m_appOrdner, Abschnitt, key, standard);
}

void ZipForm::speichern(const QString& key, const QString& wert)
{
    klang::SaveSetting(m_appOrdner, Abschnitt, key, wert);
}

void ZipForm::Form_Load()
{
    RegistryLesen();
    VersNr();
    ProgrammCheck();
    // The source to start with is the user's home folder (the old default, a folder relative
    // to wherever the program was started from, means nothing here).
    m_standardQuelle = ordnerMitTrenner(QDir::homePath());
    m_nurAnzeigen = false;

    verlaufLaden(m_txtZielpfad, QStringLiteral("Zielpfad.dat"));
    verlaufLaden(m_txtQuellpfad, QStringLiteral("Quellpfad.dat"));
    m_zielpfad = einstellung(QStringLiteral("OrdnerwachtZielpfad"));
    if (!m_zielpfad.endsWith(QLatin1Char('/')))
        m_zielpfad += QLatin1Char('/');
    m_txtZielpfad->setEditText(m_zielpfad + m_archivdatei);
    m_txtQuellpfad->setEditText(einstellung(QStringLiteral("OrdnerwachtQuellpfad"), m_standardQuelle));
    m_quellpfad = m_txtQuellpfad->currentText();
    m_Text_Archivname->setText(kit::DateinameAusPfad(m_appOrdner));
    zielAktualisieren();

    if (m_cboParameter->currentText().isEmpty())
        cboKomprimierProg_Click();
    m_nurAnzeigen = true;
    Command_Packen_Click();
}

void ZipForm::RegistryLesen()
{
    m_appOrdner = AppOrdnerName;
    bool okLinks = false;
    bool okOben = false;
    const double links = einstellung(QStringLiteral("OrdnerwachtForm1Left"), QStringLiteral("100")).toDouble(&okLinks);
    const double oben = einstellung(QStringLiteral("OrdnerwachtForm1Top"), QStringLiteral("100")).toDouble(&okOben);
    // The window keeps its designed size; a stored place off the screens comes back wholly
    // onto one.
    if (okLinks && okOben && std::abs(links) < 1e7 && std::abs(oben) < 1e7)
        kit::gespeichertePlatzieren(this, QRect(QPoint(klang::vb::twipsToPixels(int(links)), klang::vb::twipsToPixels(int(oben))), size()),
                                    QSize(), false);

    listeSetzen(m_cboExtension, listeLesen(m_appOrdner, QStringLiteral("OrdnerwachtExtensionAnzahl"), false));
    m_cboExtension->setEditText(einstellung(QStringLiteral("OrdnerwachtLastExtension")));
    listeSetzen(m_cboKomprimierProg, listeLesen(m_appOrdner, QStringLiteral("OrdnerwachtKomprimierProgAnzahl"), false));
    m_cboKomprimierProg->setEditText(einstellung(QStringLiteral("OrdnerwachtLastKomprimierProg")));
    {
        const QSignalBlocker b1(m_chkBeenden);
        const QSignalBlocker b2(m_chkDosfenster);
        m_chkBeenden->setChecked(klang::vb::Val(einstellung(QStringLiteral("OrdnerwachtBeenden"), QStringLiteral("0"))) != 0);
        m_chkDosfenster->setChecked(klang::vb::Val(einstellung(QStringLiteral("OrdnerwachtDosfenster"), QStringLiteral("0"))) != 0);
    }
    listeSetzen(m_cboParameter, listeLesen(m_appOrdner, QStringLiteral("OrdnerwachtParameterAnzahl"), true));
    m_cboParameter->setEditText(einstellung(QStringLiteral("OrdnerwachtLastParameter")));
}

void ZipForm::VersNr()
{
    const QStringList teile = QStringLiteral(KLANG_VERSION).split(QLatin1Char('.'));
    const auto teil = [&](int i) { return i < teile.size() ? teile.at(i).trimmed() : QStringLiteral("0"); };
    m_Label1_7->setText(QStringLiteral("Version: ") + teil(0) + QLatin1Char('.') + teil(1) + QLatin1Char('.') + teil(2));
    m_Label1_8->setText(QStringLiteral("Ordnerwacht sichert Ordner mit Kopier- und Archivprogrammen"));
}

void ZipForm::Form_Unload()
{
    if (m_entladen)
        return;
    m_entladen = true;
    if (!isMinimized() && !isMaximized()) {
        speichern(QStringLiteral("OrdnerwachtForm1Left"), QString::number(klang::vb::pixelsToTwips(x())));
        speichern(QStringLiteral("OrdnerwachtForm1Top"), QString::number(klang::vb::pixelsToTwips(y())));
    }
    speichern(QStringLiteral("OrdnerwachtLastExtension"), m_cboExtension->currentText());
    listeSpeichern(m_appOrdner, QStringLiteral("OrdnerwachtExtensionAnzahl"), eintraege(m_cboExtension));
    speichern(QStringLiteral("OrdnerwachtLastParameter"), m_cboParameter->currentText());
    listeSpeichern(m_appOrdner, QStringLiteral("OrdnerwachtParameterAnzahl"), eintraege(m_cboParameter));
    speichern(QStringLiteral("OrdnerwachtLastKomprimierProg"), m_cboKomprimierProg->currentText());
    listeSpeichern(m_appOrdner, QStringLiteral("OrdnerwachtKomprimierProgAnzahl"), eintraege(m_cboKomprimierProg));
}

void ZipForm::closeEvent(QCloseEvent* event)
{
    if (laeuft()) {
        const QString antwort = kit::MsgFenn(
            this,
            QStringLiteral("Das gestartete Programm läuft noch und wird beim Beenden abgebrochen.\n\nTrotzdem beenden?"),
            23, 2, QStringLiteral("Sicherheitsabfrage (Form_Unload)"), 1);
        if (antwort != QLatin1String("Ja")) {
            event->ignore();
            return;
        }
        m_lauf->disconnect(this);
        m_lauf->beendenErzwingen();
        if (m_ausgabe)
            m_ausgabe->beenden(QStringLiteral("Abgebrochen: Ordnerwacht wurde beendet."), Ausgang::Fehler);
    }
    if (m_ausgabe)
        m_ausgabe->close();
    Form_Unload();
    event->accept();
}

void ZipForm::paintEvent(QPaintEvent*)
{
    kit::FarbverlaufZeichnen(this, 0xF4EAE3, 0xDEC9AD, 1);
}

bool ZipForm::eventFilter(QObject* watched, QEvent* event)
{
    const auto gehoertZu = [watched](QComboBox* feld) {
        return watched == feld || watched == feld->lineEdit();
    };
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (QComboBox* liste : {m_cboExtension, m_cboKomprimierProg, m_cboParameter}) {
            if (gehoertZu(liste))
                return listeTaste(liste, key);
        }
    } else if (event->type() == QEvent::FocusOut) {
        const auto* fe = static_cast<QFocusEvent*>(event);
        // Opening the field's own drop-down or another window (a message box) is no leaving.
        if (fe->reason() != Qt::PopupFocusReason && fe->reason() != Qt::ActiveWindowFocusReason) {
            if (gehoertZu(m_txtQuellpfad))
                txtQuellpfad_LostFocus();
            else if (gehoertZu(m_txtZielpfad))
                txtZielpfad_LostFocus();
        }
    } else if (watched == m_Label1_8) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_Label1_8->setStyleSheet(QStringLiteral("color: #FF0000;"));
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_Label1_8->setStyleSheet(QStringLiteral("color: #0000FF;"));
            klang::openDocument(HerstellerSeite); // a failure here is of no consequence
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- lists --------------------------------------------------------------------------------

QStringList ZipForm::eintraege(const QComboBox* liste) const
{
    QStringList ergebnis;
    for (int i = 0; i < liste->count(); ++i)
        ergebnis.append(liste->itemText(i));
    return ergebnis;
}

void ZipForm::listeSetzen(QComboBox* liste, const QStringList& neu)
{
    // One sort and one fill: a saved list of thousands of items must not be placed item by
    // item (each placement looked at every item before it).
    QStringList sortiert = neu;
    std::stable_sort(sortiert.begin(), sortiert.end(), vorEintrag);
    const QString text = liste->currentText();
    const QSignalBlocker sperre(liste);
    liste->clear();
    liste->addItems(sortiert);
    liste->setCurrentIndex(-1);
    liste->setEditText(text);
}

void ZipForm::eintragHinzufuegen(QComboBox* liste, const QString& text)
{
    const QString aktuell = liste->currentText();
    liste->insertItem(sortiertePosition(eintraege(liste), text), text);
    // Adding selects nothing; the field keeps the text it shows.
    liste->setCurrentIndex(-1);
    liste->setEditText(aktuell);
}

bool ZipForm::listeTaste(QComboBox* liste, int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        QString text = liste->currentText();
        if (liste == m_cboExtension) {
            text = alsExtension(text);
            if (text != liste->currentText())
                liste->setEditText(text);
        }
        if (eintragAufnehmen(eintraege(liste), text))
            eintragHinzufuegen(liste, text);
        return true;
    }
    if (key == Qt::Key_Delete) {
        const int index = liste->currentIndex();
        // An item counts as selected while the field shows it unchanged.
        if (index < 0 || liste->itemText(index) != liste->currentText())
            return false;
        const QString text = liste->currentText();
        liste->removeItem(index);
        liste->setCurrentIndex(-1);
        liste->setEditText(text);
        return true;
    }
    return false;
}

void ZipForm::verlaufLaden(QComboBox* feld, const QString& datei)
{
    listeSetzen(feld, verlaufLesen(klang::programmPfad() + datei));
}

void ZipForm::verlaufErgaenzen(QComboBox* feld, const QString& datei, const QString& pfad)
{
    if (!eintragAufnehmen(eintraege(feld), pfad))
        return;
    // The file keeps the newest paths first, at most MaxVerlauf of them; the field shows
    // them sorted.
    const QString dateiPfad = klang::programmPfad() + datei;
    QStringList verlauf = verlaufLesen(dateiPfad);
    verlauf.removeAll(pfad);
    verlauf.prepend(pfad);
    verlauf = verlauf.mid(0, MaxVerlauf);
    listeSetzen(feld, verlauf);
    const QString fehlschlag = verlaufSpeichern(dateiPfad, verlauf);
    if (!fehlschlag.isEmpty())
        kit::MsgFenn(this, fehlschlag, 3, 0, QStringLiteral("Pfadverlauf speichern"), 1, kit::WarningBackColor,
                     kit::DialogForeColor);
}

// ---- field handlers -----------------------------------------------------------------------

void ZipForm::zielAktualisieren()
{
    m_archivdatei = m_Text_Archivname->text() + m_cboExtension->currentText();
    m_txtZielpfad->setEditText(m_zielpfad + m_archivdatei);
}

void ZipForm::txtQuellpfad_LostFocus()
{
    m_quellpfad = m_txtQuellpfad->currentText().trimmed();
    speichern(QStringLiteral("OrdnerwachtQuellpfad"), m_quellpfad);
    verlaufErgaenzen(m_txtQuellpfad, QStringLiteral("Quellpfad.dat"), m_quellpfad);
}

void ZipForm::txtZielpfad_LostFocus()
{
    m_zielpfad = kit::OrdnerAusPfad(m_txtZielpfad->currentText().trimmed());
    speichern(QStringLiteral("OrdnerwachtZielpfad"), m_zielpfad);
    verlaufErgaenzen(m_txtZielpfad, QStringLiteral("Zielpfad.dat"), m_zielpfad);
}

QString ZipForm::OrdnerWaehlen(const QString& titel)
{
    if (ordnerWaehler)
        return ordnerWaehler(titel);
    // A chosen root already ends with its separator; no second one is added.
    return ordnerMitTrenner(QFileDialog::getExistingDirectory(this, titel));
}

void ZipForm::cmdQuellpfad_Click()
{
    const QString ordner = OrdnerWaehlen(QStringLiteral("Quellpfad festlegen"));
    if (ordner.isEmpty())
        return;
    m_txtQuellpfad->setEditText(ordner);
    m_quellpfad = ordner;
    speichern(QStringLiteral("OrdnerwachtQuellpfad"), m_quellpfad);
    verlaufErgaenzen(m_txtQuellpfad, QStringLiteral("Quellpfad.dat"), m_quellpfad);
    m_nurAnzeigen = true;
    cmdCodeAnzeigen_Click();
}

void ZipForm::cmdZielpfad_Click()
{
    const QString ordner = OrdnerWaehlen(QStringLiteral("Zielpfad festlegen"));
    if (ordner.isEmpty())
        return;
    speichern(QStringLiteral("OrdnerwachtZielpfad"), ordner);
    m_zielpfad = ordner;
    verlaufErgaenzen(m_txtZielpfad, QStringLiteral("Zielpfad.dat"), m_zielpfad);
    m_txtZielpfad->setEditText((ordner + m_Text_Archivname->text() + m_cboExtension->currentText()).trimmed());
    m_nurAnzeigen = true;
    cmdCodeAnzeigen_Click();
}

void ZipForm::cmdInfo_Click()
{
    kit::MsgFenn(this, infoText(), 1, 0, QStringLiteral("Ordnerwacht (Ordnerwacht.exe)"), 1,
                 kit::DialogBackColor, kit::DialogForeColor);
}

QString ZipForm::infoText()
{
    const QStringList bloecke{
        QStringLiteral("Ordnerwacht.exe sichert jeden Ordner (inkl. Unterordner) in welchen es zuvor hinein kopiert wurde!"),
        QStringLiteral("Bei Robocopy benötigen Sie Adminrechte zum Kopieren bzw. Spiegeln; bei Xcopy bedingt."),
        QStringLiteral("In PullDownListen den Text mit <Enter> einfügen, und mit <Entf.> wieder entfernen."),
        QStringLiteral("Standardparameter für gängige Archivprogramme:"),
        QStringLiteral("Robocopy:\n") + archiverVorgaben().at(0).parameter,
        QStringLiteral("Xcopy:\n/D /E /C /F /Y /H /R /K"),
        QStringLiteral("WZZIP:\n.zip\n*.*\n-p -r"),
        QStringLiteral("Winzip:\n.zip\n*.*\n-a -r"),
        QStringLiteral("Winrar:\n.rar\n*.*\na -r"),
        QStringLiteral("7-Zip:\n.7z\n*.*\na -r"),
        QStringLiteral("Unter Linux findet Ordnerwacht beim Start die installierten Programme cp und rsync "
                       "(Kopieren bzw. Spiegeln in den Zielordner) sowie zip und 7z (Packen in ein Archiv) "
                       "und bietet sie in der Programmliste an; die Wahl eines Programms setzt seine "
                       "Standardparameter:"),
        QStringLiteral("cp:\n") + vorgabeFuer(QStringLiteral("cp"))->parameter,
        QStringLiteral("rsync:\n") + vorgabeFuer(QStringLiteral("rsync"))->parameter
            + QStringLiteral("\n(--delete entfernt im Ziel, was in der Quelle fehlt)"),
        QStringLiteral("zip:\n.zip\n*\n") + vorgabeFuer(QStringLiteral("zip"))->parameter,
        QStringLiteral("7z:\n.7z\n*.*\n") + vorgabeFuer(QStringLiteral("7z"))->parameter,
    };
    return bloecke.join(QStringLiteral("\n\n"));
}

void ZipForm::Command_Exit_Click()
{
    kit::AlleFormsEntladen();
}

// ---- program and command line -------------------------------------------------------------

void ZipForm::ProgrammCheck()
{
    const ProgrammSucher suche = m_systemSucher ? m_systemSucher : imSystemSuchen;
    // Xcopy, Robocopy, then this system's programs: the last one found becomes the current
    // program (rsync where it is installed, as Robocopy on the old system).
    for (const QString& gesucht : gesuchteProgramme()) {
        const ArchiverVorgabe* vorgabe = vorgabeFuer(gesucht);
        if (!vorgabe)
            continue;
        const QString pfad = programmAufloesen(gesucht, suche);
        if (pfad.isEmpty())
            continue;
        bool vorhanden = false;
        for (const QString& eintrag : eintraege(m_cboKomprimierProg))
            vorhanden = vorhanden || passtZu(eintrag, *vorgabe);
        if (vorhanden)
            continue;
        eintragHinzufuegen(m_cboKomprimierProg, pfad);
        if (eintragAufnehmen(eintraege(m_cboParameter), vorgabe->parameter))
            eintragHinzufuegen(m_cboParameter, vorgabe->parameter);
        m_cboKomprimierProg->setEditText(pfad);
    }
}

void ZipForm::cboKomprimierProg_Click()
{
    if (const ArchiverVorgabe* vorgabe = vorgabeFuer(m_cboKomprimierProg->currentText())) {
        m_kopiermodus = vorgabe->kopiermodus;
        if (vorgabe->kopiermodus) {
            m_Text_Extension->setText(vorgabe->maske);
            m_cboExtension->setEditText(vorgabe->extension);
        } else {
            m_cboExtension->setEditText(vorgabe->extension);
            m_Text_Extension->setText(vorgabe->maske);
        }
        m_cboParameter->setEditText(vorgabe->parameter);
    }
    zielAktualisieren();
    m_nurAnzeigen = true;
    cmdCodeAnzeigen_Click();
}

void ZipForm::cmdCodeAnzeigen_Click()
{
    m_nurAnzeigen = true;
    Command_Packen_Click();
}

void ZipForm::Command_Packen_Click()
{
    // Cleared at once, so that no exit path leaves the next press a mere refresh.
    const bool nurAnzeigen = m_nurAnzeigen;
    m_nurAnzeigen = false;

    const QString programm = m_cboKomprimierProg->currentText();
    const Zweig zweig = zweigFuer(programm);
    QString maske;
    if (!m_kopiermodus) {
        maske = maskeOderStandard(m_Text_Extension->text());
        if (m_Text_Extension->text() != maske)
            m_Text_Extension->setText(maske);
        m_archivdatei = m_Text_Archivname->text() + m_cboExtension->currentText();
    }

    KommandoEingaben e;
    e.programm = programm;
    e.parameter = m_cboParameter->currentText();
    e.quellpfad = m_quellpfad;
    e.zielpfad = m_zielpfad;
    e.archivdatei = m_archivdatei;
    e.zielText = m_txtZielpfad->currentText();
    e.maske = zweig == Zweig::Xcopy ? m_Text_Extension->text() : maske;
    m_kommando = kommandoBauen(e);
    m_txtCode->setText(m_kommando.anzeige);

    const bool gelaufen = !nurAnzeigen && ausfuehren(m_kommando, e);

    speichern(QStringLiteral("OrdnerwachtLastExtension"), m_cboExtension->currentText());
    speichern(QStringLiteral("OrdnerwachtLastParameter"), m_cboParameter->currentText());
    speichern(QStringLiteral("OrdnerwachtLastKomprimierProg"), programm);

    if (gelaufen && m_chkBeenden->isChecked())
        close();
}

void ZipForm::hinweis(const QString& text)
{
    kit::MsgFenn(this, text, 3, 0, QStringLiteral("Eingabehinweis (Command_Packen_Click)"), 1);
}

void ZipForm::fehler(const QString& text, int nummer)
{
    kit::Fehlermeldung(this, TitelPacken, text, nummer);
}

bool ZipForm::laeuft() const
{
    return m_lauf && m_lauf->laeuft();
}

// The lines of a program's output that name what went wrong (at most eight).
QString ZipForm::programmMeldung(const QString& ausgabe, const QString& ersatz)
{
    const QString text = ausgabe.isEmpty() ? ersatz : ausgabe;
    QStringList zeilen;
    for (const QString& zeile : text.split(QLatin1Char('\n'))) {
        const QString z = zeile.trimmed();
        if (z.contains(QLatin1String("warning"), Qt::CaseInsensitive) || z.contains(QLatin1String("error"), Qt::CaseInsensitive)
            || z.contains(QLatin1String("denied"), Qt::CaseInsensitive) || z.startsWith(QLatin1String("rsync:"))
            || z.startsWith(QLatin1String("cp:")))
            zeilen << z;
    }
    if (zeilen.size() > 8)
        zeilen = zeilen.mid(0, 8) << QStringLiteral("...");
    return zeilen.join(QLatin1Char('\n'));
}

bool ZipForm::ausfuehren(const Kommando& k, const KommandoEingaben& e)
{
    if (laeuft()) {
        hinweis(QStringLiteral("Das zuletzt gestartete Programm läuft noch; bitte warten, bis es beendet ist."));
        return false;
    }
    const QString verweigert = laufVerweigert(k, e);
    if (!verweigert.isEmpty()) {
        hinweis(verweigert);
        return false;
    }
    const QString pfad = programmAufloesen(k.programm);
    if (pfad.isEmpty()) {
        fehler(k.programm.isEmpty()
                   ? QStringLiteral("Es ist kein Programm angegeben.")
                   : QStringLiteral("Das Programm \"%1\" wurde nicht gefunden. Bitte den Programmpfad "
                                    "prüfen oder das Programm installieren.").arg(k.programm),
               FehlerDateiFehlt);
        return false;
    }
    if (k.spiegeln) {
        const QString antwort = kit::MsgFenn(
            this,
            QStringLiteral("Dieser Aufruf spiegelt die Quelle: was im Ziel nicht auch in der Quelle "
                           "liegt, wird im Ziel gelöscht.\n\n%1\n\nWirklich ausführen?").arg(k.anzeige),
            23, 2, QStringLiteral("Sicherheitsabfrage (Command_Packen_Click)"), 1);
        if (antwort != QLatin1String("Ja"))
            return false;
    }
    // Run as root, the program writes in someone else's folder only with that person's rights.
    Schreibrechte rechte;
    const QString unsicher = schreibrechtePruefen(k, &rechte);
    if (!unsicher.isEmpty()) {
        hinweis(unsicher);
        return false;
    }
    if (istKopie(k.zweig) && !QFileInfo::exists(k.ziel) && !zielordnerAnlegen(k.ziel, rechte)) {
        fehler(QStringLiteral("Der Zielordner \"%1\" konnte nicht angelegt werden.").arg(k.ziel), FehlerZugriff);
        return false;
    }

    const QString name = programmname(k.programm);
    if (m_chkBeenden->isChecked()) {
        // The window closes after the start: the program runs on without us.
        QString grund;
        if (!losgeloestStarten(pfad, k, rechte, &grund)) {
            fehler(QStringLiteral("Das Programm \"%1\" konnte nicht gestartet werden.").arg(name)
                       + (grund.isEmpty() ? QString() : QStringLiteral(" ") + grund), FehlerStart);
            return false;
        }
        return true;
    }

    // A window of our own shows what the program writes while it runs, and how it ended.
    delete m_ausgabe;
    auto* fenster = new AusgabeFenster(name, k.anzeige);
    fenster->setAttribute(Qt::WA_QuitOnClose, false);
    m_ausgabe = fenster;
    auto* lauf = new Lauf(pfad, k, this);
    lauf->mitRechten(rechte);
    fenster->anhaengen(rechteHinweis(rechte));
    m_lauf = lauf;
    connect(lauf, &Lauf::ausgabeErhalten, fenster, &AusgabeFenster::anhaengen);
    connect(fenster, &AusgabeFenster::abbrechenGewuenscht, lauf, &Lauf::abbrechen);
    connect(lauf, &Lauf::startFehlgeschlagen, this, [this, lauf, name](const QString& grund) {
        lauf->deleteLater();
        if (m_ausgabe)
            m_ausgabe->beenden(QStringLiteral("Das Programm konnte nicht gestartet werden: %1").arg(grund), Ausgang::Fehler);
        fehler(QStringLiteral("Das Programm \"%1\" konnte nicht gestartet werden: %2").arg(name, grund), FehlerStart);
        Q_EMIT laufBeendet(-1, false);
    });
    connect(lauf, &Lauf::beendet, this, [this, lauf, name](int code, bool normal, const LaufErgebnis& ergebnis) {
        lauf->deleteLater();
        laufZuEnde(name, code, normal, ergebnis);
    });
    // "Dos-Fenster minimieren": the window starts in the task bar, as the console did.
    if (m_chkDosfenster->isChecked())
        fenster->showMinimized();
    else
        fenster->show();
    lauf->starten();
    return true;
}

void ZipForm::laufZuEnde(const QString& name, int code, bool normal, const LaufErgebnis& ergebnis)
{
    const QString ende = Lauf::endeText(code, ergebnis);
    if (m_ausgabe)
        m_ausgabe->beenden(ende, ergebnis.ausgang);
    if (!normal) {
        fehler(QStringLiteral("Das Programm \"%1\" ist abgebrochen.").arg(name), FehlerStart);
    } else if (ergebnis.ausgang == Ausgang::Unvollstaendig) {
        // Files the program could not read are missing from the backup: never a success.
        QString text = QStringLiteral("Die Sicherung mit \"%1\" ist unvollständig: ").arg(name);
        const QString fehlt = ausgelassenText(ergebnis);
        if (fehlt.isEmpty())
            text += QStringLiteral("nicht alle Dateien wurden gesichert.");
        else if (std::max(ergebnis.ausgelassen, 0) + ergebnis.ausgelasseneOrdner == 1)
            text += fehlt + QStringLiteral(" konnte nicht gelesen werden und fehlt.");
        else
            text += fehlt + QStringLiteral(" konnten nicht gelesen werden und fehlen.");
        const QString meldung = programmMeldung(m_lauf ? m_lauf->ausgabe() : QString(), m_ausgabe ? m_ausgabe->text() : QString());
        if (!meldung.isEmpty())
            text += QStringLiteral("\n\n") + meldung;
        text += QStringLiteral("\n\n") + ende;
        kit::MsgFenn(this, text, 3, 0, QStringLiteral("Sicherung unvollständig (Command_Packen_Click)"), 1);
    } else if (ergebnis.ausgang == Ausgang::Fehler) {
        QString text = QStringLiteral("Das Programm \"%1\" endete mit dem Fehlercode %2.").arg(name).arg(code);
        if (!ergebnis.bedeutung.isEmpty())
            text += QLatin1Char(' ') + ergebnis.bedeutung;
        fehler(text, code);
    }
    Q_EMIT laufBeendet(code, normal && ergebnis.ausgang == Ausgang::Erfolg);
}

AusgabeFenster* ZipForm::ausgabeFenster() const
{
    return m_ausgabe;
}

void ZipForm::cmdVerzPfad_Click()
{
    QString datei;
    if (dateiWaehler) {
        datei = dateiWaehler();
    } else {
        // Programs here carry no ".exe", so all files are offered first.
        QString filter = QStringLiteral("alle Dateien (*)");
        datei = QFileDialog::getOpenFileName(this, QString(), m_standardQuelle,
                                             QStringLiteral("Programm (*.exe);;alle Dateien (*)"), &filter);
    }
    if (datei.isEmpty())
        return;
    m_cboKomprimierProg->setEditText(datei);
    if (eintragAufnehmen(eintraege(m_cboKomprimierProg), datei))
        eintragHinzufuegen(m_cboKomprimierProg, datei);
    speichern(QStringLiteral("OrdnerwachtLastKomprimierProg"), datei);
    cboKomprimierProg_Click();
    m_nurAnzeigen = true;
    cmdCodeAnzeigen_Click();
}

// ---- administrator restart ----------------------------------------------------------------

void ZipForm::Command_Packen_MenuClick(const QString& key)
{
    if (key == QLatin1String("Admin"))
        AlsAdminNeustarten();
}

QStringList ZipForm::adminNeustartArgumente() const
{
    return pkexecArgumente(adminProgramm.isEmpty() ? QCoreApplication::applicationFilePath() : adminProgramm,
                           QCoreApplication::applicationPid(), QProcessEnvironment::systemEnvironment(),
                           m_adminServer ? m_adminServer->fullServerName() : QString());
}

void ZipForm::AlsAdminNeustarten()
{
    if (laeuft()) {
        kit::MsgFenn(this, QStringLiteral("Das zuletzt gestartete Programm läuft noch; bitte warten, bis es beendet ist."),
                     3, 0, QStringLiteral("Hinweis (AlsAdminNeustarten)"), 1);
        return;
    }
    if (m_adminServer)
        return; // the elevated copy is already being asked for
    // The elevated copy reports here once it runs; only then does this copy make way.
    m_adminGestartet = false;
    m_adminServer = new QLocalServer(this);
    const QString name = QStringLiteral("klangtruhe-ordnerwacht-admin-%1").arg(QCoreApplication::applicationPid());
    QLocalServer::removeServer(name);
    if (!m_adminServer->listen(name)) {
        const QString grund = m_adminServer->errorString();
        adminWartenBeenden();
        kit::Fehlermeldung(this, QStringLiteral("ZipForm_AlsAdminNeustarten"),
                           QStringLiteral("Der Neustart als Administrator ist nicht möglich: %1").arg(grund));
        return;
    }
    connect(m_adminServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* verbindung = m_adminServer->nextPendingConnection()) {
            connect(verbindung, &QLocalSocket::readyRead, this, [this, verbindung] {
                if (verbindung->readAll().contains(GestartetNachricht.trimmed()))
                    m_adminGestartet = true;
            });
            connect(verbindung, &QLocalSocket::disconnected, verbindung, &QObject::deleteLater);
        }
    });
    const QStringList argumente = adminNeustartArgumente();
    qint64 pid = 0;
    if (!QProcess::startDetached(adminStarter, argumente, QString(), &pid) || pid <= 0) {
        adminWartenBeenden();
        kit::Fehlermeldung(this, QStringLiteral("ZipForm_AlsAdminNeustarten"),
                           QStringLiteral("Das Programm \"%1\" wurde nicht gefunden oder konnte nicht gestartet werden; "
                                          "ein Neustart als Administrator ist so nicht möglich.").arg(adminStarter),
                           FehlerDateiFehlt);
        return;
    }
    m_adminPid = pid;
    m_adminTimer = new QTimer(this);
    m_adminTimer->setInterval(200);
    connect(m_adminTimer, &QTimer::timeout, this, &ZipForm::adminStartPruefen);
    m_adminTimer->start();
}

// Polled while the elevated copy is awaited: it has reported (make way), or the request
// ended without it (refused or cancelled: say so and stay).
void ZipForm::adminStartPruefen()
{
    if (m_adminGestartet) {
        adminWartenBeenden();
        kit::AlleFormsEntladen();
        return;
    }
    if (prozessLaeuft(m_adminPid))
        return;
    adminWartenBeenden();
    kit::MsgFenn(this,
                 QStringLiteral("Ordnerwacht wurde nicht mit Administratorrechten gestartet: die Anmeldung "
                                "wurde abgelehnt oder abgebrochen.\n\nOrdnerwacht läuft ohne "
                                "Administratorrechte weiter."),
                 3, 0, QStringLiteral("Hinweis (AlsAdminNeustarten)"), 1);
}

void ZipForm::adminWartenBeenden()
{
    if (m_adminTimer) {
        m_adminTimer->stop();
        m_adminTimer->deleteLater();
        m_adminTimer = nullptr;
    }
    if (m_adminServer) {
        m_adminServer->close();
        m_adminServer->deleteLater();
        m_adminServer = nullptr;
    }
    m_adminPid = 0;
}

} // namespace backup
