#include "SQLform.h"

#include "Einstellungen.h"
#include "Twips.h"
#include "kit/FormPlatzieren.h"
#include "kit/MsgFenn.h"
#include "platform/shell/Paths.h"
#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/ListBounds.h"
#include "platform/vbcompat/VbCompat.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

namespace klang::player {

SqlListe::SqlListe(QString pfad)
    : m_pfad(std::move(pfad))
{
}

bool SqlListe::laden()
{
    bool ok = false;
    klang::ReadReport bericht;
    m_eintraege = klang::readLinesBounded(m_pfad, &ok, &bericht);
    m_hinweis = bericht.hinweis(QStringLiteral("sql.dat"));
    return ok || !QFile::exists(m_pfad);
}

bool SqlListe::enthaelt(const QString& anweisung) const
{
    return m_eintraege.contains(anweisung, Qt::CaseSensitive);
}

bool SqlListe::hinzufuegen(const QString& anweisung)
{
    if (anweisung.isEmpty() || enthaelt(anweisung))
        return false;
    // Appended at the end: a long list is neither read nor rewritten again for one statement.
    if (!klang::appendLineInPlace(m_pfad, anweisung, klang::LineFormat::Windows1252Crlf)
        && (klang::wasCutOnRead(m_pfad)
            || !klang::appendLines(m_pfad, {anweisung}, klang::LineFormat::Windows1252Crlf)))
        return false;
    m_eintraege << anweisung;
    return true;
}

bool SqlListe::entfernen(int index)
{
    if (index < 0 || index >= m_eintraege.size())
        return false;
    QStringList neu = m_eintraege;
    neu.removeAt(index);
    return speichern(neu);
}

bool SqlListe::istAusfuehrung(const QString& anweisung)
{
    return anweisung.contains(QLatin1String("into")) || anweisung.contains(QLatin1String("update"));
}

bool SqlListe::speichern(const QStringList& neu)
{
    if (!klang::writeLines(m_pfad, neu, klang::LineFormat::Windows1252Crlf))
        return false;
    m_eintraege = neu;
    return true;
}

namespace {
constexpr quint32 Hintergrund = 0xF4EAE3;
constexpr quint32 Verlaufsende = 0xDEC9AD;
int twipsOption(const char* key, int standard)
{
    return zahlOder(option(QString::fromLatin1(key), QString::number(standard)), standard);
}
} // namespace

SQLform::SQLform(const QString& SQLAnweisung, QWidget* parent)
    : QDialog(parent)
    , m_liste(klang::programmPfad() + QStringLiteral("sql.dat"))
{
    setObjectName(QStringLiteral("SQLform"));
    setWindowTitle(QStringLiteral("SQL"));
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    setSizeGripEnabled(true);
    Label1 = erzeugen<QLabel>(this, QStringLiteral("Label1"), tw(120, 120, 3000, 255));
    Label1->setText(QStringLiteral("SQL-Anweisung eingeben:"));
    TextSQL = erzeugen<QLineEdit>(this, QStringLiteral("TextSQL"), tw(120, 400, 9920, 330));
    ListSQL = erzeugen<QListWidget>(this, QStringLiteral("ListSQL"), tw(120, 840, 9920, 3900));
    ListSQL->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListSQL->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    optSql0 = erzeugen<QRadioButton>(this, QStringLiteral("optSql_0"), tw(120, 4860, 1800, 255));
    optSql0->setText(QStringLiteral("RecordSource"));
    optSql0->setChecked(true);
    optSql1 = erzeugen<QRadioButton>(this, QStringLiteral("optSql_1"), tw(2040, 4860, 1800, 255));
    optSql1->setText(QStringLiteral("Execute"));
    const struct { QPushButton** knopf; const char* name; const char* text; const char* tip; int links; } knoepfe[] = {
        {&CommandUebernehmen, "CommandUebernehmen", "&Übernehmen", " SQL-Befehl in Liste eintragen ", 4200},
        {&CommandLoeschen, "CommandLoeschen", "&Löschen", " markierten Eintrag der Liste löschen ", 5640},
        {&CommandOK, "CommandOK", "&OK", " SQL-Befehl ausführen ", 7080},
        {&CommandExit, "CommandExit", "E&xit ", " Exit ", 8520}};
    for (const auto& k : knoepfe) {
        *k.knopf = erzeugen<QPushButton>(this, QString::fromLatin1(k.name), tw(k.links, 4800, 1320, 360));
        (*k.knopf)->setText(QString::fromUtf8(k.text));
        (*k.knopf)->setToolTip(QString::fromUtf8(k.tip));
        (*k.knopf)->setAutoDefault(false);
    }
    staBar = new QStatusBar(this);
    staBar->setObjectName(QStringLiteral("staBar"));
    staBar->setSizeGripEnabled(false);

    connect(ListSQL, &QListWidget::itemClicked, this, [this] { ListSQL_Click(); });
    connect(CommandUebernehmen, &QPushButton::clicked, this, &SQLform::CommandUebernehmen_Click);
    connect(CommandLoeschen, &QPushButton::clicked, this, &SQLform::CommandLoeschen_Click);
    connect(CommandOK, &QPushButton::clicked, this, &SQLform::CommandOK_Click);
    connect(CommandExit, &QPushButton::clicked, this, &SQLform::CommandExit_Click);
    TextSQL->installEventFilter(this);
    ListSQL->installEventFilter(this);

    // Stored placement and the program font of the edit line and the list.
    using klang::vb::twipsToPixels;
    // The stored place may lie off every screen (a monitor since removed): the dialog comes
    // back wholly on one.
    kit::gespeichertePlatzieren(this, QRect(twipsToPixels(twipsOption("SQLformleft", 0)),
                                            twipsToPixels(twipsOption("SQLformTop", 0)),
                                            twipsToPixels(twipsOption("SQLformwidth", 10650)),
                                            twipsToPixels(twipsOption("SQLformheight", 7170))));
    QFont schrift = TextSQL->font();
    schrift.setFamily(option(QStringLiteral("ProgSchriftName"), QStringLiteral("Segoe UI")));
    const double groesse = schriftGroesse(option(QStringLiteral("ProgSchriftSize"), QStringLiteral("10")));
    if (groesse > 0)
        schrift.setPointSizeF(groesse);
    TextSQL->setFont(schrift);
    ListSQL->setFont(schrift);

    if (!m_liste.laden())
        kit::Fehlermeldung(this, QStringLiteral("SQLform_Laden"),
                           QStringLiteral("Die Datei \"sql.dat\" konnte nicht gelesen werden."));
    listeZeigen();
    staBar->showMessage(m_liste.hinweis()); // what of a huge or damaged file was left out
    TextSQL->setText(SQLAnweisung);
}

void SQLform::listeZeigen()
{
    ListSQL->clear();
    ListSQL->addItems(m_liste.eintraege());
}

void SQLform::ListSQL_Click()
{
    QListWidgetItem* item = ListSQL->currentItem();
    if (!item)
        return;
    TextSQL->setText(item->text());
    (SqlListe::istAusfuehrung(item->text()) ? optSql1 : optSql0)->setChecked(true);
    TextSQL->setFocus();
}

void SQLform::CommandUebernehmen_Click()
{
    const QString text = TextSQL->text();
    if (text.isEmpty())
        return;
    if (m_liste.enthaelt(text)) {
        kit::MsgFenn(this, QStringLiteral("Der Eintrag ist schon vorhanden!\r\n\r\n") + text, 1, 0,
                     QStringLiteral("Hinweis"), 1, kit::DialogBackColor, kit::DialogForeColor);
        return;
    }
    if (!m_liste.hinzufuegen(text)) {
        kit::Fehlermeldung(this, QStringLiteral("SQLform_Speichern"),
                           QStringLiteral("Die Datei \"sql.dat\" konnte nicht geschrieben werden."));
        return;
    }
    listeZeigen();
}

void SQLform::CommandLoeschen_Click()
{
    QListWidgetItem* item = ListSQL->currentItem();
    if (!item)
        return;
    const QString antwort = kit::MsgFenn(
        this, item->text() + QStringLiteral("\r\n\r\nSoll die SQL-Anweisung gelöscht werden?"), 22, 1,
        QStringLiteral("Quarzwerk"), 1, kit::DialogBackColor, kit::DialogForeColor);
    if (antwort == QLatin1String("Ja"))
        eintragEntfernen();
}

void SQLform::eintragEntfernen()
{
    const int index = ListSQL->currentRow();
    if (index < 0 || !ListSQL->currentItem())
        return;
    if (!m_liste.entfernen(index)) {
        kit::Fehlermeldung(this, QStringLiteral("SQLform_Speichern"),
                           QStringLiteral("Die Datei \"sql.dat\" konnte nicht geschrieben werden."));
        return;
    }
    TextSQL->clear();
    listeZeigen();
}

void SQLform::CommandOK_Click()
{
    m_anweisung = TextSQL->text();
    accept();
}

void SQLform::CommandExit_Click()
{
    m_anweisung.clear();
    reject();
}

bool SQLform::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TextSQL && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->text() == QLatin1String("'") || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
            return true; // neither a quote nor a line break goes into a statement
    }
    if (watched == TextSQL && event->type() == QEvent::KeyRelease) {
        auto* k = static_cast<QKeyEvent*>(event);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && !k->isAutoRepeat()) {
            CommandOK_Click();
            return true;
        }
    }
    if (watched == ListSQL && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        eintragEntfernen();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SQLform::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int rand = klang::vb::twipsToPixels(70);
    const int sb = staBar->sizeHint().height();
    staBar->setGeometry(0, height() - sb, width(), sb);
    TextSQL->resize(std::max(width() - TextSQL->x() - rand, 50), TextSQL->height());
    // Buttons and options sit below the list.
    const int knopfHoehe = CommandOK->height();
    const int knopfOben = height() - sb - knopfHoehe - rand;
    for (QWidget* w : {static_cast<QWidget*>(CommandUebernehmen), static_cast<QWidget*>(CommandLoeschen),
                       static_cast<QWidget*>(CommandOK), static_cast<QWidget*>(CommandExit),
                       static_cast<QWidget*>(optSql0), static_cast<QWidget*>(optSql1)})
        w->move(w->x(), knopfOben + (w->height() < knopfHoehe ? (knopfHoehe - w->height()) / 2 : 0));
    ListSQL->setGeometry(ListSQL->x(), ListSQL->y(), TextSQL->width(),
                         std::max(knopfOben - rand - ListSQL->y(), 40));
}

void SQLform::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient verlauf(0, 0, 0, height());
    verlauf.setColorAt(0, klang::vb::colorFromBgr(Hintergrund));
    verlauf.setColorAt(1, klang::vb::colorFromBgr(Verlaufsende));
    p.fillRect(rect(), verlauf);
}

void SQLform::done(int result)
{
    if (!isMinimized()) {
        using klang::vb::pixelsToTwips;
        setOption(QStringLiteral("SQLformLeft"), QString::number(pixelsToTwips(x())));
        setOption(QStringLiteral("SQLformTop"), QString::number(pixelsToTwips(y())));
        setOption(QStringLiteral("SQLformheight"), QString::number(pixelsToTwips(height())));
        setOption(QStringLiteral("SQLformwidth"), QString::number(pixelsToTwips(width())));
    }
    QDialog::done(result);
}

} // namespace klang::player
