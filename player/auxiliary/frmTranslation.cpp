#include "player/auxiliary/frmTranslation.h"

#include "kit/FormPlatzieren.h"
#include "kit/MsgFenn.h"
#include "platform/settings/Settings.h"
#include "platform/vbcompat/VbCompat.h"
#include "player/auxiliary/Uebersetzung.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

namespace klang::player {

using klang::vb::pixelsToTwips;
using klang::vb::twipsToPixels;

namespace {
const QString App = QStringLiteral("KlangtruhePlayer");
const QString Sektion = QStringLiteral("Options");

QString lesen(const QString& key, const QString& vorgabe)
{
    return klang::GetSetting(App, Sektion, key, vorgabe);
}

int zahl(const QString& key, int vorgabe)
{
    bool ok = false;
    const int wert = lesen(key, QString::number(vorgabe)).trimmed().toInt(&ok);
    return ok ? wert : vorgabe;
}

void speichern(const QString& key, const QString& wert)
{
    klang::SaveSetting(App, Sektion, key, wert);
}

// The numeric value of an answer as a 16-bit whole number: leading digits count, the rest is 0.
int tempoWert(const QString& antwort)
{
    const QString t = antwort.trimmed();
    int ende = 0;
    if (ende < t.size() && (t.at(0) == QLatin1Char('-') || t.at(0) == QLatin1Char('+')))
        ++ende;
    while (ende < t.size() && t.at(ende).isDigit())
        ++ende;
    bool ok = false;
    const qint64 wert = t.left(ende).toLongLong(&ok);
    return ok ? int(qBound(qint64(-32768), wert, qint64(32767))) : 0;
}
// A run of more than 500 characters without a blank.
bool hatLangesWort(const QString& text)
{
    int lauf = 0;
    for (const QChar c : text) {
        lauf = c.isSpace() ? 0 : lauf + 1;
        if (lauf > 500)
            return true;
    }
    return false;
}
} // namespace

frmTranslation::frmTranslation(Vorleser* vorleser, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_vorleser(vorleser)
    , m_uebersetzer(new Uebersetzer(this))
{
    if (!m_vorleser) {
        auto eigener = std::make_unique<QtVorleser>();
        m_vorleser = eigener.get();
        m_eigenerVorleser = std::move(eigener);
    }
    setObjectName(QStringLiteral("frmTranslation"));
    setWindowTitle(QStringLiteral("Übersetzung"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* haupt = new QVBoxLayout(this);
    haupt->setContentsMargins(0, 0, 0, 0);
    fraLogo = new QFrame(this);
    fraLogo->setObjectName(QStringLiteral("fraLogo"));
    auto* logoZeile = new QHBoxLayout(fraLogo);
    lblLogo = new QLabel(QStringLiteral("LibreTranslate"), fraLogo);
    lblLogo->setObjectName(QStringLiteral("lblLogo"));
    lblBez = new QLabel(QStringLiteral("nach"), fraLogo);
    lblBez->setObjectName(QStringLiteral("lblBez"));
    cboVon = new QComboBox(fraLogo);
    cboVon->setObjectName(QStringLiteral("cboVon"));
    cboNach = new QComboBox(fraLogo);
    cboNach->setObjectName(QStringLiteral("cboNach"));
    for (QComboBox* box : {cboVon, cboNach}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMaxVisibleItems(20);
    }
    cmdOK = new QPushButton(QStringLiteral(" &Übersetzen"), fraLogo);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    logoZeile->addWidget(lblLogo);
    logoZeile->addWidget(cboVon, 1);
    logoZeile->addWidget(lblBez);
    logoZeile->addWidget(cboNach, 1);
    logoZeile->addWidget(cmdOK);
    const char* texte[4] = {"&Leeren", "&Vorlesen", "&Stimme...", " Beenden "};
    for (int i = 0; i < 4; ++i) {
        cmdButton[i] = new QPushButton(QString::fromUtf8(texte[i]), fraLogo);
        cmdButton[i]->setObjectName(QStringLiteral("cmdButton_%1").arg(i));
        logoZeile->addWidget(cmdButton[i]);
        connect(cmdButton[i], &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
    }
    cmdButton[1]->setToolTip(QStringLiteral(" Sprachausgabe mark. Text "));
    cmdButton[2]->setToolTip(QStringLiteral(" Spracheinstellungen "));
    haupt->addWidget(fraLogo);

    txtQuelle = new QPlainTextEdit(this);
    txtQuelle->setObjectName(QStringLiteral("txtQuelle"));
    txtZiel = new QPlainTextEdit(this);
    txtZiel->setObjectName(QStringLiteral("txtZiel"));
    txtQuelle->installEventFilter(this);
    txtZiel->installEventFilter(this);
    haupt->addWidget(txtQuelle, 1);
    haupt->addSpacing(twipsToPixels(100));
    haupt->addWidget(txtZiel, 1);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    haupt->addWidget(StatusBar1);
    connect(cmdOK, &QPushButton::clicked, this, &frmTranslation::cmdOK_Click);

    // Form_Load
    RegistryLesen();
    cboVon->addItems(Sprachliste());
    cboVon->setCurrentText(lesen(QStringLiteral("VonSprache"), QStringLiteral("DE - Deutsch")));
    cboNach->addItems(Sprachliste());
    cboNach->setCurrentText(lesen(QStringLiteral("NachSprache"), QStringLiteral("EN - Englisch")));
}

frmTranslation::~frmTranslation()
{
    // A request still running ends here, while the window can still take its end.
    m_uebersetzer->abbrechen();
}

void frmTranslation::RegistryLesen()
{
    QRect r(twipsToPixels(zahl(QStringLiteral("TranslationFromLeft"), 100)),
            twipsToPixels(zahl(QStringLiteral("TranslationFromTop"), 100)),
            twipsToPixels(zahl(QStringLiteral("TranslationFromWidth"), 10155)),
            twipsToPixels(zahl(QStringLiteral("TranslationFromHeight"), 6000)));
    // A place off the screens (a monitor since removed) comes back wholly onto one.
    kit::gespeichertePlatzieren(this, r, QSize(320, 200));
    const int zustand = zahl(QStringLiteral("TranslationWindowState"), 0);
    setWindowState(zustand == 2 ? Qt::WindowMaximized : zustand == 1 ? Qt::WindowMinimized : Qt::WindowNoState);
    QFont schrift = txtQuelle->font();
    schrift.setFamily(lesen(QStringLiteral("FontName"), QStringLiteral("Segoe UI")));
    const int groesse = zahl(QStringLiteral("FontSize"), 10);
    if (groesse > 0 && groesse < 200)
        schrift.setPointSize(groesse);
    txtQuelle->setFont(schrift);
    txtZiel->setFont(txtQuelle->font());
    m_stimme = lesen(QStringLiteral("SprecherStimme"), QString());
    m_tempo = zahl(QStringLiteral("SprecherTempo"), 0);
    m_uebersetzer->setAdresse(lesen(UebersetzungsDienstKey, QString()));
}

bool frmTranslation::Sprecherstimme()
{
    QString vorschlag = m_stimme;
    vorschlag.remove(QStringLiteral("Name="));
    if (vorschlag.isEmpty())
        vorschlag = QStringLiteral("Microsoft Anna");
    const QString name = kit::InputFenn(this, QStringLiteral("Name der Sprecherstimme eingeben.\n\n(siehe Spracheigenschaften in der Systemsteuerung)"),
                                        QStringLiteral("Sprecherstimme"), vorschlag, kit::DialogBackColor,
                                        kit::DialogForeColor);
    if (name.isEmpty())
        return false;
    const QString tempo = kit::InputFenn(this, QStringLiteral("Sprechgeschwindigkeit eingeben.\n\n(-10 bis 10, default = 0)"),
                                         QStringLiteral("Tempo"), QString::number(m_tempo), kit::DialogBackColor,
                                         kit::DialogForeColor);
    if (tempo.isEmpty())
        return false;
    m_stimme = QStringLiteral("Name=") + name.trimmed();
    speichern(QStringLiteral("SprecherStimme"), m_stimme);
    m_tempo = tempoWert(tempo);
    speichern(QStringLiteral("SprecherTempo"), QString::number(m_tempo));
    return true;
}

void frmTranslation::cmdOK_Click()
{
    if (m_uebersetzt)
        return; // one request at a time
    m_uebersetzt = true;
    cmdOK->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_uebersetzer->TextUebersetzen(txtQuelle->toPlainText(), Sprachcode(cboVon->currentText()),
                                   Sprachcode(cboNach->currentText()), 3, false, this,
                                   [this](bool ok, const QString& ergebnis) {
                                       QApplication::restoreOverrideCursor();
                                       m_uebersetzt = false;
                                       cmdOK->setEnabled(true);
                                       if (ok) {
                                           // Breaking a line only at blanks costs time that grows
                                           // with the square of a long word: a text with one
                                           // breaks anywhere instead.
                                           txtZiel->setWordWrapMode(hatLangesWort(ergebnis)
                                                                        ? QTextOption::WrapAnywhere
                                                                        : QTextOption::WrapAtWordBoundaryOrAnywhere);
                                           txtZiel->setPlainText(ergebnis);
                                       }
                                       StatusBar1->showMessage(m_uebersetzer->letzterFehler());
                                       emit uebersetzungFertig(ok);
                                   });
}

void frmTranslation::cmdButton_Click(int index)
{
    switch (index) {
    case 0:
        txtQuelle->clear();
        txtZiel->clear();
        break;
    case 1: {
        if (m_stimme.isEmpty() && !Sprecherstimme())
            return;
        if (m_stimme.isEmpty() || m_liestVor)
            return;
        const QString text = (ZielBoxAktiv ? txtZiel : txtQuelle)->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        if (text.isEmpty()) {
            kit::MsgFenn(this, QStringLiteral("Markieren Sie zuerst den Vorlesetext!"), 1, 0,
                         QStringLiteral("Text markieren"), 1, kit::DialogBackColor, kit::DialogForeColor);
            return;
        }
        m_liestVor = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_vorleser->sprechen(text, QString(m_stimme).remove(QStringLiteral("Name=")), m_tempo, [this] {
            QApplication::restoreOverrideCursor();
            m_liestVor = false;
            emit vorlesenFertig();
        });
        break;
    }
    case 2:
        Sprecherstimme();
        break;
    case 3:
        close();
        break;
    default:
        break;
    }
}

bool frmTranslation::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtQuelle)
            ZielBoxAktiv = false;
        else if (watched == txtZiel)
            ZielBoxAktiv = true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmTranslation::closeEvent(QCloseEvent* event)
{
    if (windowState() & Qt::WindowMaximized) {
        speichern(QStringLiteral("TranslationWindowState"), QStringLiteral("2"));
    } else if (!(windowState() & Qt::WindowMinimized)) {
        speichern(QStringLiteral("TranslationWindowState"), QStringLiteral("0"));
        speichern(QStringLiteral("TranslationFromHeight"), QString::number(pixelsToTwips(height())));
        speichern(QStringLiteral("TranslationFromWidth"), QString::number(pixelsToTwips(width())));
        speichern(QStringLiteral("TranslationFromLeft"), QString::number(pixelsToTwips(x())));
        speichern(QStringLiteral("TranslationFromTop"), QString::number(pixelsToTwips(y())));
    }
    speichern(QStringLiteral("VonSprache"), cboVon->currentText());
    speichern(QStringLiteral("NachSprache"), cboNach->currentText());
    // Closing ends a request that still runs: no busy pointer outlives the window.
    m_uebersetzer->abbrechen();
    event->accept();
}

} // namespace klang::player
