#include "player/catalogue/Suchbox.h"

#include "kit/Farbverlauf.h"
#include "kit/MsgFenn.h"
#include "player/catalogue/Einstellungen.h"
#include "platform/vbcompat/VbCompat.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace klang::player {

namespace {

constexpr qint64 Hintergrund = 0xF4EAE3;
constexpr qint64 VerlaufEnde = 0xDEC9AD;
constexpr qint64 HinweisHintergrund = 0xC0E0FF;
constexpr qint64 HinweisText = 0x352300;
constexpr qint64 Schaltflaeche = 0x8000000F;
constexpr qint64 Fensterfarbe = 0x80000005;

int px(int twips)
{
    return vb::twipsToPixels(twips);
}

template <typename W>
W* erzeugen(QWidget* eltern, const QString& name, int x, int y, int b, int h)
{
    auto* w = new W(eltern);
    w->setObjectName(name);
    w->setGeometry(px(x), px(y), px(b), px(h));
    return w;
}

Qt::CheckState zustand(int wert)
{
    switch (wert) {
    case SuchboxModell::An:
        return Qt::Checked;
    case SuchboxModell::Grau:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

} // namespace

Suchbox::Suchbox(const QString& sortierFeld, const QString& programmPfad, QWidget* parent)
    : QDialog(parent)
    , m_modell(sortierFeld)
    , m_programmPfad(programmPfad)
{
    setObjectName(QStringLiteral("Suchbox"));
    setWindowTitle(QStringLiteral("Suchbox"));
    setModal(true);
    aufbauen();
    // Form_Load: the model starts with "Alle" ticked and every column box greyed.
    RegistryLesen();
    ListenLaden();
    zeigen();
}

void Suchbox::aufbauen()
{
    setFixedSize(px(9600), px(6300));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kit::farbeAusWert(Hintergrund));
    setPalette(pal);

    Label1 = erzeugen<QLabel>(this, QStringLiteral("Label1"), 240, 240, 1500, 285);
    Label1->setText(QStringLiteral("Suchtext:"));
    txtSuchen = erzeugen<QLineEdit>(this, QStringLiteral("txtSuchen"), 1800, 210, 5000, 315);
    txtSuchen->installEventFilter(this);
    // The boxes and texts are read whenever they change, however they change (a click, a key,
    // the program or an assistive tool setting them), so what the dialog shows is what runs.
    connect(txtSuchen, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!m_zeigt)
            m_modell.setSuchtext(t);
    });

    chkErsetzen = erzeugen<QCheckBox>(this, QStringLiteral("chkErsetzen"), 240, 600, 1560, 285);
    chkErsetzen->setText(QStringLiteral("ersetzen mit:"));
    chkErsetzen->setToolTip(QStringLiteral(" Ersetzen einschalten "));
    connect(chkErsetzen, &QCheckBox::toggled, this, [this](bool an) {
        if (m_zeigt || an == m_modell.ersetzen())
            return;
        m_modell.ersetzenKlicken();
        zeigen();
        if (!m_modell.ersetzenGesperrt())
            txtErsetzen->setFocus();
        else
            txtSuchen->setFocus();
    });
    txtErsetzen = erzeugen<QLineEdit>(this, QStringLiteral("txtErsetzen"), 1800, 570, 5000, 315);
    connect(txtErsetzen, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!m_zeigt)
            m_modell.setErsetzenText(t);
    });

    Frame1 = erzeugen<QGroupBox>(this, QStringLiteral("Frame1"), 240, 1050, 6900, 3000);
    Frame1->setTitle(QStringLiteral("Suchspalten auswählen"));
    chkSpaltennameAlle = erzeugen<QCheckBox>(Frame1, QStringLiteral("chkSpaltennameAlle"), 150, 300, 1500, 285);
    chkSpaltennameAlle->setText(QStringLiteral("Alle"));
    connect(chkSpaltennameAlle, &QCheckBox::toggled, this, [this](bool an) {
        if (m_zeigt || an == m_modell.alle())
            return;
        m_modell.alleKlicken();
        zeigen();
    });
    const auto& spalten = suchspalten();
    chkSpaltenname.resize(SuchspaltenAnzahl);
    for (int k = 0; k < SuchspaltenAnzahl; ++k) {
        const int x = 150 + (k % 3) * 2250;
        const int y = 700 + (k / 3) * 420;
        auto* box = erzeugen<QCheckBox>(Frame1, QStringLiteral("chkSpaltenname_%1").arg(k), x, y, 2000, 285);
        box->setText(spalten.at(k).caption);
        box->setTristate(true);
        connect(box, &QCheckBox::stateChanged, this, [this, k](int neu) {
            if (m_zeigt || Qt::CheckState(neu) == zustand(m_modell.spalte(k)))
                return;
            m_modell.spalteKlicken(k);
            zeigen();
            txtSuchen->setFocus();
        });
        chkSpaltenname[k] = box;
    }
    // "Bewertung" sits right of "Songs-" so that both read as song rating.
    chkBewertungSong = new QCheckBox(Frame1);
    chkBewertungSong->setObjectName(QStringLiteral("chkBewertungSong"));
    chkBewertungSong->setText(QStringLiteral("Bewertung"));
    spaltenSetzen();
    connect(chkBewertungSong, &QCheckBox::toggled, this, [this](bool an) {
        if (m_zeigt || an == m_modell.bewertungSong())
            return;
        m_modell.bewertungSongKlicken();
        zeigen();
    });

    imgStern.resize(7);
    for (int i = 0; i <= 6; ++i) {
        auto* stern = erzeugen<QLabel>(this, QStringLiteral("imgStern_%1").arg(i), 240 + i * 500, 4200, 450, 450);
        stern->setText(i == 0 ? QStringLiteral("☆") : QStringLiteral("★") + QString::number(i));
        stern->setToolTip(i == 0 ? QStringLiteral("Suchtext:  alle ohne Stern ")
                                 : QStringLiteral("Suchtext:  - %1 ").arg(i));
        stern->setCursor(Qt::PointingHandCursor);
        stern->installEventFilter(this);
        imgStern[i] = stern;
    }

    // The frame may have grown to hold its boxes in the user's font: the style list and the
    // window follow it.
    lstStil = erzeugen<QListWidget>(this, QStringLiteral("lstStil"), 7300, 210, 2100, 4800);
    lstStil->move(qMax(lstStil->x(), Frame1->geometry().right() + px(160)), lstStil->y());
    setFixedSize(qMax(width(), lstStil->geometry().right() + px(200)), height());
    lstStil->installEventFilter(this);
    connect(lstStil, &QListWidget::itemClicked, this, [this] { stilGewaehlt(); });
    lstAusschluss = erzeugen<QListWidget>(this, QStringLiteral("lstAusschluss"), 7300, 5100, 2100, 300);
    lstAusschluss->setVisible(false);

    Image1 = erzeugen<QLabel>(this, QStringLiteral("Image1"), 5400, 4200, 600, 600);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(32, 32));
    Image1->setAlignment(Qt::AlignCenter);

    ButtonOk = erzeugen<QPushButton>(this, QStringLiteral("ButtonOk"), 2200, 5200, 1500, 400);
    ButtonOk->setText(QStringLiteral("&OK"));
    ButtonOk->setDefault(true);
    connect(ButtonOk, &QPushButton::clicked, this, &Suchbox::ButtonOk_Click);
    ButtonAbbrechen = erzeugen<QPushButton>(this, QStringLiteral("ButtonAbbrechen"), 4200, 5200, 1500, 400);
    ButtonAbbrechen->setText(QStringLiteral("E&xit "));
    connect(ButtonAbbrechen, &QPushButton::clicked, this, &Suchbox::ButtonAbbrechen_Click);
}

void Suchbox::spaltenSetzen()
{
    // Three columns of boxes, each as wide as its widest caption needs (at least the design
    // width), so no caption is cut and no box lies over its neighbour.
    constexpr int Spalten = 3;
    const int abstand = px(250);
    const int luecke = px(60);
    auto breite = [](QCheckBox* b) { return b->sizeHint().width(); };
    QList<int> spaltenbreite(Spalten, px(2000));
    for (int k = 0; k < SuchspaltenAnzahl; ++k) {
        int w = breite(chkSpaltenname[k]);
        if (k == SuchspalteSongs)
            w += luecke + breite(chkBewertungSong);
        spaltenbreite[k % Spalten] = qMax(spaltenbreite[k % Spalten], w);
    }
    QList<int> links{px(150)};
    for (int c = 1; c < Spalten; ++c)
        links << links.last() + spaltenbreite.at(c - 1) + abstand;
    for (int k = 0; k < SuchspaltenAnzahl; ++k) {
        QCheckBox* box = chkSpaltenname[k];
        const int c = k % Spalten;
        const int y = px(700 + (k / Spalten) * 420);
        const int h = qMax(px(285), box->sizeHint().height());
        if (k == SuchspalteSongs) {
            box->setGeometry(links.at(c), y, breite(box), h);
            chkBewertungSong->setGeometry(box->geometry().right() + 1 + luecke, y, breite(chkBewertungSong), h);
        } else {
            box->setGeometry(links.at(c), y, spaltenbreite.at(c), h);
        }
    }
    const int rechts = links.last() + spaltenbreite.last() + px(150);
    Frame1->resize(qMax(Frame1->width(), rechts), Frame1->height());
    chkSpaltennameAlle->resize(qMax(chkSpaltennameAlle->width(), chkSpaltennameAlle->sizeHint().width()),
                               chkSpaltennameAlle->height());
}

void Suchbox::RegistryLesen()
{
    QFont schrift = txtSuchen->font();
    schrift.setFamily(option(QStringLiteral("ProgSchriftName"), QStringLiteral("Segoe UI")));
    const int groesse = zahlOder(option(QStringLiteral("ProgSchriftSize"), QStringLiteral("10")), 0);
    if (groesse > 0)
        schrift.setPointSize(groesse);
    txtSuchen->setFont(schrift);
    txtErsetzen->setFont(schrift);
    lstStil->setFont(schrift);
}

void Suchbox::ListenLaden()
{
    QStringList stile;
    QStringList ausschluss;
    for (int i = 0; i < lstAusschluss->count(); ++i)
        ausschluss << lstAusschluss->item(i)->text();
    SuchboxModell::listenLaden(m_programmPfad, stile, ausschluss);
    lstAusschluss->clear();
    lstAusschluss->addItems(ausschluss);
    lstStil->clear();
    lstStil->addItems(stile);
}

void Suchbox::zeigen()
{
    m_zeigt = true;
    if (txtSuchen->text() != m_modell.suchtext())
        txtSuchen->setText(m_modell.suchtext());
    if (txtErsetzen->text() != m_modell.ersetzenText())
        txtErsetzen->setText(m_modell.ersetzenText());
    chkSpaltennameAlle->setChecked(m_modell.alle());
    for (int k = 0; k < SuchspaltenAnzahl; ++k)
        chkSpaltenname[k]->setCheckState(zustand(m_modell.spalte(k)));
    chkBewertungSong->setChecked(m_modell.bewertungSong());
    chkErsetzen->setChecked(m_modell.ersetzen());
    txtErsetzen->setReadOnly(m_modell.ersetzenGesperrt());
    QPalette pal = txtErsetzen->palette();
    pal.setColor(QPalette::Base, kit::farbeAusWert(m_modell.ersetzenGesperrt() ? Schaltflaeche : Fensterfarbe));
    txtErsetzen->setPalette(pal);
    m_zeigt = false;
    hinweiseZeigen();
}

void Suchbox::hinweiseZeigen()
{
    for (const SuchboxModell::Hinweis& h : m_modell.hinweiseAbholen())
        kit::MsgFenn(this, h.text, 3, 0, h.titel, 1, HinweisHintergrund, HinweisText);
}

void Suchbox::stilGewaehlt()
{
    if (QListWidgetItem* item = lstStil->currentItem()) {
        m_modell.stilWaehlen(item->text());
        zeigen();
    }
}

void Suchbox::ButtonOk_Click()
{
    // The label of the filtered view is kept even when OK is refused.
    setOption(QStringLiteral("TabellenName"), m_modell.suchtext());
    std::optional<Suchauftrag> job = m_modell.ok();
    zeigen();
    if (!job)
        return;
    m_auftrag = job;
    accept();
}

void Suchbox::ButtonAbbrechen_Click()
{
    m_auftrag.reset();
    reject();
}

void Suchbox::paintEvent(QPaintEvent* event)
{
    kit::FarbverlaufZeichnen(this, Hintergrund, VerlaufEnde, 1);
    QDialog::paintEvent(event);
}

bool Suchbox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtSuchen) {
        if (event->type() == QEvent::KeyPress) {
            // The apostrophe cannot be typed into the search text.
            if (static_cast<QKeyEvent*>(event)->text() == QStringLiteral("'"))
                return true;
        } else if (event->type() == QEvent::FocusIn) {
            QMetaObject::invokeMethod(txtSuchen, &QLineEdit::selectAll, Qt::QueuedConnection);
        }
    } else if (watched == lstStil && event->type() == QEvent::KeyPress) {
        // A style is taken by Enter or Space (which then does not press OK); moving through
        // the list adds nothing.
        const int taste = static_cast<QKeyEvent*>(event)->key();
        if (taste == Qt::Key_Return || taste == Qt::Key_Enter || taste == Qt::Key_Space) {
            stilGewaehlt();
            return true;
        }
    } else if (auto* stern = qobject_cast<QLabel*>(watched); stern && imgStern.contains(stern)) {
        if (event->type() == QEvent::MouseButtonPress) {
            stern->move(stern->pos() + QPoint(1, 1)); // pressed look
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            stern->move(stern->pos() - QPoint(1, 1));
            m_modell.sternKlicken(int(imgStern.indexOf(stern)));
            zeigen();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace klang::player
