#include "tv/frmEdit.h"

#include "platform/vbcompat/VbCompat.h"
#include "tv/Meldung.h"
#include "tv/SenderDatei.h"
#include "tv/frmFernsicht.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace tv {

namespace {

using klang::vb::twipsToPixels;

QRect twips(int links, int oben, int breite, int hoehe)
{
    return {twipsToPixels(links), twipsToPixels(oben), twipsToPixels(breite), twipsToPixels(hoehe)};
}

constexpr int HilfeLinks = 8625;
constexpr int HilfeVersatz = 10;

} // namespace

frmEdit::frmEdit(frmFernsicht* fenster)
    : QDialog(fenster)
    , m_fenster(fenster)
{
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Liste bearbeiten - Kelmaro"));
    setModal(true);
    setFixedSize(twipsToPixels(9120), twipsToPixels(2760));

    auto beschriftung = [this](const QString& text, int oben) {
        auto* l = new QLabel(text, this);
        l->setGeometry(twips(120, oben, 2640, 315));
        return l;
    };
    QLabel* lblGruppe = beschriftung(QStringLiteral("TV-Gruppe"), 420);
    QLabel* lblName = beschriftung(QStringLiteral("TV-Sendername"), 900);
    QLabel* lblURL = beschriftung(QStringLiteral("TV-Sender Internet-Adresse"), 1380);

    cboGruppe = new QComboBox(this);
    cboGruppe->setObjectName(QStringLiteral("cboGruppe"));
    cboGruppe->setEditable(true);
    cboGruppe->setInsertPolicy(QComboBox::NoInsert);
    cboGruppe->setGeometry(twips(2880, 420, 5520, 330));
    txtSenderName = new QLineEdit(this);
    txtSenderName->setObjectName(QStringLiteral("txtSenderName"));
    txtSenderName->setGeometry(twips(2880, 900, 5520, 330));
    txtURL = new QLineEdit(this);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    txtURL->setGeometry(twips(2880, 1380, 5520, 330));
    lblGruppe->setBuddy(cboGruppe);
    lblName->setBuddy(txtSenderName);
    lblURL->setBuddy(txtURL);

    auto knopf = [this](const QString& name, const QString& text, int links) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setGeometry(twips(links, 2040, 1215, 420));
        return b;
    };
    cmdOK = knopf(QStringLiteral("cmdOK"), QStringLiteral("&OK"), 2880);
    cmdNeu = knopf(QStringLiteral("cmdNeu"), QStringLiteral("&Neu"), 4215);
    cmdExit = knopf(QStringLiteral("cmdExit"), QStringLiteral("E&xit"), 5550);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmEdit::cmdOK_Click);
    connect(cmdNeu, &QPushButton::clicked, this, &frmEdit::cmdNeu_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmEdit::cmdExit_Click);

    imgHilfe = new QLabel(this);
    imgHilfe->setObjectName(QStringLiteral("imgHilfe"));
    imgHilfe->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(24, 24));
    imgHilfe->setGeometry(twips(HilfeLinks, 0, 480, 480));
    imgHilfe->setToolTip(QStringLiteral("Bedienungshilfe"));
    imgHilfe->setCursor(Qt::PointingHandCursor);
    imgHilfe->installEventFilter(this);

    // An editable combo box keeps the focus itself and hands keys to its line edit directly,
    // past any filter there: the key is seen where it arrives.
    cboGruppe->installEventFilter(this);
}

void frmEdit::Form_Load()
{
    m_neueintrag = 0;
    GruppenlisteLaden();
    const auto sender = m_fenster->gewaehlterSender();
    // With no station chosen the fields stay empty.
    cboGruppe->setCurrentIndex(sender ? cboGruppe->findText(sender->gruppe, Qt::MatchExactly | Qt::MatchCaseSensitive) : -1);
    cboGruppe->setEditText(sender ? sender->gruppe : QString());
    txtSenderName->setText(sender ? sender->name : QString());
    txtURL->setText(sender ? sender->url : QString());
}

void frmEdit::GruppenlisteLaden()
{
    const QString pfad = gruppenDatei();
    bool vorhanden = false;
    bool ok = false;
    QString grund;
    const QStringList gruppen = gruppenLesen(pfad, &vorhanden, &ok, &grund);
    if (!vorhanden)
        return;
    if (!ok) {
        unsetCursor();
        const Dateifehler f = fehler::zugriff(pfad, grund);
        Fehlermeldung(this, QStringLiteral("frmEdit_GruppenlisteLaden"), Symbol::Kritisch, f.nummer, f.text);
        return;
    }
    cboGruppe->clear();
    cboGruppe->addItems(gruppen);
    cboGruppe->setCurrentIndex(-1);
}

void frmEdit::cboGruppe_KeyUp(int taste)
{
    if (taste != Qt::Key_Delete)
        return;
    // Only the group that the list shows as chosen goes; a Delete that edits the text
    // (the text no longer equals the chosen group) removes nothing.
    const int index = cboGruppe->currentIndex();
    if (index < 0 || cboGruppe->itemText(index) != cboGruppe->currentText())
        return;
    QStringList rest;
    for (int i = 0; i < cboGruppe->count(); ++i) {
        if (i != index)
            rest << cboGruppe->itemText(i);
    }
    const QString pfad = gruppenDatei();
    if (const Schreibergebnis r = gruppenSchreiben(pfad, rest); !r) {
        unsetCursor();
        const Dateifehler f = fehler::zugriff(pfad, r.grund);
        Fehlermeldung(this, QStringLiteral("frmEdit_cboGruppe_KeyUp"), Symbol::Kritisch, f.nummer, f.text);
        return;
    }
    const QString text = cboGruppe->currentText();
    cboGruppe->removeItem(index);
    cboGruppe->setCurrentIndex(-1);
    cboGruppe->setEditText(text);
}

void frmEdit::cmdNeu_Click()
{
    m_neueintrag = -1;
    cboGruppe->setCurrentIndex(-1);
    cboGruppe->setEditText(QString());
    txtSenderName->clear();
    txtURL->clear();
}

void frmEdit::cmdOK_Click()
{
    const Sender eingabe = eingabeBereinigt({cboGruppe->currentText(), txtSenderName->text(), txtURL->text()});
    const QString pfad = senderDatei();
    auto melden = [this](const Dateifehler& f) {
        unsetCursor();
        Fehlermeldung(this, QStringLiteral("frmEdit_cmdOK_Click"), Symbol::Kritisch, f.nummer, f.text);
    };

    if (const auto grund = adresseUnzulaessig(eingabe.url)) {
        // Nothing is stored; the editor stays open with what was typed.
        MsgBox(this, *grund, Knoepfe::Ok, Symbol::Ausruf, QStringLiteral("TV-Sender Internet-Adresse"));
        txtURL->setFocus();
        return;
    }
    if (m_neueintrag == -1) {
        // Stored first, shown after: a station the file refused is not listed either.
        if (const Schreibergebnis r = senderAnhaengen(pfad, eingabe); !r) {
            melden(fehler::zugriff(pfad, r.grund));
            return;
        }
        m_fenster->senderHinzufuegen(eingabe);
        if (cboGruppe->findText(eingabe.gruppe, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
            const QString gruppenPfad = gruppenDatei();
            if (const Schreibergebnis r = gruppeAnhaengen(gruppenPfad, eingabe.gruppe); !r)
                melden(fehler::zugriff(gruppenPfad, r.grund)); // the station is stored; the editor closes
            else
                cboGruppe->addItem(eingabe.gruppe);
        }
    } else {
        if (!m_fenster->gewaehlterSender()) {
            melden(fehler::keineAuswahl());
            return;
        }
        QList<Sender> alle = m_fenster->alleSender();
        const auto gewaehlt = m_fenster->liste()->selectedItems();
        const int zeile = m_fenster->liste()->indexOfTopLevelItem(gewaehlt.first());
        alle[zeile] = eingabe;
        if (const Schreibergebnis r = senderSchreiben(pfad, alle); !r) {
            melden(fehler::zugriff(pfad, r.grund));
            return;
        }
        m_fenster->gewaehltenSenderAendern(eingabe);
    }
    accept();
}

void frmEdit::cmdExit_Click()
{
    reject();
}

void frmEdit::imgHilfe_MouseDown()
{
    const int versatz = qMax(1, twipsToPixels(HilfeVersatz));
    imgHilfe->move(imgHilfe->pos() + QPoint(versatz, versatz));
}

void frmEdit::imgHilfe_MouseUp()
{
    imgHilfe->move(twipsToPixels(HilfeLinks), 0);
    MsgBox(this, QStringLiteral("Um einen Eintrag in der TV-Gruppe zu löschen, drücken Sie die <Entf>-Taste."),
           Knoepfe::Ok, Symbol::Information, QStringLiteral("Bedienungshilfe"));
}

bool frmEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imgHilfe) {
        if (event->type() == QEvent::MouseButtonPress)
            imgHilfe_MouseDown();
        else if (event->type() == QEvent::MouseButtonRelease)
            imgHilfe_MouseUp();
    } else if (watched == cboGruppe && event->type() == QEvent::KeyRelease) {
        // A key sent to the line edit itself travels on to the box: counted here, it counts once.
        const auto* taste = static_cast<QKeyEvent*>(event);
        if (!taste->isAutoRepeat())
            cboGruppe_KeyUp(taste->key());
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tv
