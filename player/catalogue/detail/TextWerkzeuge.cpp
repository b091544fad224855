#include "player/catalogue/detail/TextWerkzeuge.h"

#include "kit/MsgFenn.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/settings/Settings.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QColorDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QToolButton>

namespace klang::detail {

namespace {

const QString App = QStringLiteral("KlangtruhePlayer");
const QString Sektion = QStringLiteral("Options");

struct ButtonArt
{
    int index;
    const char* tipp;
    const char* symbol; // icon theme name
    const char* text;   // shown when the theme has no such icon
};

const ButtonArt Arten[] = {
    {0, "Schriftart", "preferences-desktop-font", "A"},
    {1, "Schriftfarbe", "format-text-color", "Fa"},
    {2, "Standardschrift", "format-text-clear", "St"},
    {3, "Fett", "format-text-bold", "F"},
    {4, "Kursiv", "format-text-italic", "K"},
    {5, "Unterstrichen", "format-text-underline", "U"},
    {7, "Suchen", "edit-find", "?"},
    {8, "Weitersuchen", "go-next", "»"},
    {11, "Bulletin", "format-list-unordered", "•"},
    {12, "Links", "format-justify-left", "|="},
    {13, "Zentriert", "format-justify-center", "="},
    {14, "Rechts", "format-justify-right", "=|"},
};

QString meldungFarbe(QWidget* eltern, const QString& text, const QString& titel)
{
    return kit::MsgFenn(eltern, text, 1, 0, titel, 1, kit::DialogBackColor, kit::DialogForeColor);
}

} // namespace

const QList<int>& TextWerkzeuge::ButtonIndizes()
{
    static const QList<int> indizes{0, 1, 2, 3, 4, 5, 7, 8, 11, 12, 13, 14};
    return indizes;
}

TextWerkzeuge::TextWerkzeuge(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fraTextButton"));
    auto* zeile = new QHBoxLayout(this);
    zeile->setContentsMargins(0, 0, 0, 0);
    zeile->setSpacing(1);
    for (const ButtonArt& art : Arten) {
        auto* knopf = new QToolButton(this);
        knopf->setObjectName(QStringLiteral("ButtonText_%1").arg(art.index));
        knopf->setToolTip(QString::fromUtf8(art.tipp));
        const QIcon symbol = QIcon::fromTheme(QString::fromLatin1(art.symbol));
        if (symbol.isNull()) {
            knopf->setText(QString::fromUtf8(art.text));
            QFont schrift = knopf->font();
            schrift.setBold(art.index == 3);
            schrift.setItalic(art.index == 4);
            schrift.setUnderline(art.index == 5);
            knopf->setFont(schrift);
        } else
            knopf->setIcon(symbol);
        knopf->setAutoRaise(true);
        knopf->setFocusPolicy(Qt::NoFocus);
        const int index = art.index;
        // The pressed look: the picture moves down and right while the button is held.
        connect(knopf, &QToolButton::pressed, knopf, [knopf] { knopf->move(knopf->pos() + QPoint(1, 1)); });
        connect(knopf, &QToolButton::released, knopf, [knopf] { knopf->move(knopf->pos() - QPoint(1, 1)); });
        connect(knopf, &QToolButton::clicked, this, [this, index] { ButtonText_Click(index); });
        zeile->addWidget(knopf);
        m_buttons.insert(index, knopf);
    }
    zeile->addStretch();

    m_schriftDialog = [](const QFont& start, QWidget* eltern) -> std::optional<QFont> {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, start, eltern, QStringLiteral("Schriftart"));
        return ok ? std::optional<QFont>(f) : std::nullopt;
    };
    m_farbDialog = [](const QColor& start, QWidget* eltern) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(start, eltern, QStringLiteral("Schriftfarbe"));
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    };
}

void TextWerkzeuge::setZiel(richtext::RichTextBox* textSongs)
{
    m_ziel = textSongs;
}

void TextWerkzeuge::menueVerbinden(QObject* fenster)
{
    if (!fenster)
        return;
    const std::pair<const char*, void (TextWerkzeuge::*)()> eintraege[] = {
        {"mnuSchriftTiefgestellt", &TextWerkzeuge::mnuSchriftTiefgestellt_Click},
        {"mnuSchriftHochgestellt", &TextWerkzeuge::mnuSchriftHochgestellt_Click},
        {"mnuSchriftDurchstrichen", &TextWerkzeuge::mnuSchriftDurchstrichen_Click},
        {"mnuRandLinks", &TextWerkzeuge::mnuRandLinks_Click},
        {"mnuRandRechts", &TextWerkzeuge::mnuRandRechts_Click},
    };
    for (const auto& [name, befehl] : eintraege) {
        if (auto* aktion = fenster->findChild<QAction*>(QString::fromLatin1(name)))
            connect(aktion, &QAction::triggered, this, befehl, Qt::UniqueConnection);
    }
}

void TextWerkzeuge::fokusZurueck()
{
    if (m_ziel)
        m_ziel->setFocus(Qt::OtherFocusReason);
}

void TextWerkzeuge::ButtonText_Click(int index)
{
    richtext::RichTextBox* t = m_ziel;
    if (!t)
        return;
    switch (index) {
    case 0: {
        if (!m_dialogHatSchrift) {
            m_dialogSchrift = QFont(QStringLiteral("Segoe UI"));
            m_dialogSchrift.setPointSizeF(12);
            m_dialogHatSchrift = true;
        }
        // Cancelling changes nothing and is no error.
        const std::optional<QFont> f = m_schriftDialog(m_dialogSchrift, window());
        if (f) {
            m_dialogSchrift = *f;
            t->setSelFontName(f->family());
            if (f->pointSizeF() > 0)
                t->setSelFontSize(f->pointSizeF());
            t->setSelBold(f->bold());
            t->setSelItalic(f->italic());
            t->setSelStrikeThru(f->strikeOut());
            t->setSelUnderline(f->underline());
        }
        break;
    }
    case 1: {
        const std::optional<QColor> c = m_farbDialog(m_dialogFarbe, window());
        if (c && c->isValid()) {
            m_dialogFarbe = *c;
            t->setSelColor(*c);
        }
        break;
    }
    case 2:
        t->setSelFontName(QStringLiteral("Segoe UI"));
        t->setSelFontSize(10);
        t->setSelBold(false);
        t->setSelUnderline(false);
        t->setSelStrikeThru(false);
        t->setSelItalic(false);
        t->setSelColor(Qt::black);
        t->setSelCharOffset(0);
        break;
    case 3:
        t->setSelBold(umschalten(t->selBold()));
        break;
    case 4:
        t->setSelItalic(umschalten(t->selItalic()));
        break;
    case 5:
        t->setSelUnderline(umschalten(t->selUnderline()));
        break;
    case 7:
        suchen();
        return;
    case 8:
        weitersuchen();
        return;
    case 11: {
        const std::optional<bool> punkte = t->selBullet();
        if (!punkte)
            kit::MsgFenn(window(),
                         QStringLiteral("Absätze mit und ohne Aufzählungspunkten wurden markiert, das geht nicht."),
                         1, 0, QStringLiteral("Aufzählungsstil mit Punkten"), 1, kit::DialogBackColor,
                         kit::DialogForeColor);
        else
            t->setSelBullet(!*punkte);
        break;
    }
    case 12:
        t->setSelAlignment(richtext::RichTextBox::Alignment::Left);
        break;
    case 13:
        t->setSelAlignment(richtext::RichTextBox::Alignment::Center);
        break;
    case 14:
        t->setSelAlignment(richtext::RichTextBox::Alignment::Right);
        break;
    default:
        return;
    }
    fokusZurueck();
}

void TextWerkzeuge::suchen()
{
    richtext::RichTextBox* t = m_ziel;
    QString vorschlag = m_suche.suchtext();
    if (t->selLength() >= 1)
        vorschlag = t->selText();
    const QString antwort = kit::InputFenn(window(), QStringLiteral("Suchtext eingeben"),
                                           QStringLiteral("Suchbox"), vorschlag,
                                           kit::DialogBackColor, kit::DialogForeColor);
    if (antwort.isEmpty() || !m_ziel)
        return;
    const int p = m_suche.suchen(t->text(), antwort);
    if (p == 0)
        meldungFarbe(window(), antwort + QStringLiteral(" nicht gefunden"), QStringLiteral("Volltextsuche"));
    else
        treffer(p);
}

void TextWerkzeuge::weitersuchen()
{
    // Before any search there is nothing to continue: ask for the text as "Suchen" does.
    if (!m_suche.hatSuchtext()) {
        suchen();
        return;
    }
    const int p = m_suche.weitersuchen(m_ziel->text());
    if (p == 0)
        meldungFarbe(window(), QStringLiteral("Alles durchsucht, Suche beendet."), m_suche.suchtext());
    else
        treffer(p);
}

void TextWerkzeuge::treffer(int position)
{
    if (!m_ziel)
        return;
    fokusZurueck();
    m_ziel->setSelStart(position - 1);
    m_ziel->setSelLength(int(m_suche.suchtext().size()));
}

void TextWerkzeuge::mnuSchriftDurchstrichen_Click()
{
    if (!m_ziel)
        return;
    m_ziel->setSelStrikeThru(umschalten(m_ziel->selStrikeThru()));
    fokusZurueck();
}

void TextWerkzeuge::mnuSchriftHochgestellt_Click()
{
    if (!m_ziel)
        return;
    m_ziel->setSelCharOffset(30);
    fokusZurueck();
}

void TextWerkzeuge::mnuSchriftTiefgestellt_Click()
{
    if (!m_ziel)
        return;
    m_ziel->setSelCharOffset(-30);
    fokusZurueck();
}

void TextWerkzeuge::mnuRandLinks_Click()
{
    rand(true);
}

void TextWerkzeuge::mnuRandRechts_Click()
{
    rand(false);
}

void TextWerkzeuge::rand(bool links)
{
    if (!m_ziel)
        return;
    const QString schluessel = links ? QStringLiteral("SeitenrandLinks") : QStringLiteral("SeitenrandRechts");
    const QString standard = links ? QStringLiteral("50") : QStringLiteral("100");
    const double bisher = vb::Val(klang::GetSetting(App, Sektion, schluessel, standard));
    const QString antwort = kit::InputFenn(
        window(),
        links ? QStringLiteral("Wie weit soll der Text vom linken Textrand entfernt sein?")
              : QStringLiteral("Wie weit soll der Text vom rechten Textrand entfernt sein?"),
        links ? QStringLiteral("Texteinzug links") : QStringLiteral("Texteinzug rechts"),
        QString::number(bisher), kit::DialogBackColor, kit::DialogForeColor);
    if (antwort.isEmpty() || !m_ziel)
        return;
    // A wild number must not overflow; the box's limits are those of a page.
    const int twips = int(qBound(-31680.0, vb::Val(antwort), 31680.0));
    if (links)
        m_ziel->setSelIndent(twips);
    else
        m_ziel->setSelRightIndent(twips);
    fokusZurueck();
    klang::SaveSetting(App, Sektion, schluessel, antwort);
}

} // namespace klang::detail
