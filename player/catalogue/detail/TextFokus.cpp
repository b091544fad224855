#include "player/catalogue/detail/TextFokus.h"

#include "platform/richtext/RichTextBox.h"

#include <QScrollBar>
#include "player/catalogue/detail/TextRegeln.h"
#include "platform/vbcompat/VbCompat.h"

#include <QKeyEvent>
#include <QWidget>

namespace klang::detail {

TextFokus::TextFokus(QObject* parent)
    : QObject(parent)
{
}

void TextFokus::beobachte(QWidget* w)
{
    if (!w)
        return;
    w->removeEventFilter(this);
    w->installEventFilter(this);
    connect(w, &QObject::destroyed, this, [this](QObject* weg) {
        m_fokusFelder.remove(weg);
        m_schriftAn.remove(weg);
        m_schriftAus.remove(weg);
        m_esc.remove(weg);
        m_web.remove(weg);
    });
}

void TextFokus::beobachten(QWidget* feld)
{
    if (!feld)
        return;
    m_fokusFelder.insert(feld);
    beobachte(feld);
}

void TextFokus::setSchriftPanes(const QList<QWidget*>& panes)
{
    for (QWidget* p : panes) {
        if (!p)
            continue;
        m_schriftAn.insert(p);
        m_schriftAus.insert(p);
        beobachte(p);
    }
}

void TextFokus::setSchriftAusPanes(const QList<QWidget*>& panes)
{
    for (QWidget* p : panes) {
        if (!p)
            continue;
        m_schriftAus.insert(p);
        beobachte(p);
    }
}

void TextFokus::setEscPanes(const QList<QWidget*>& panes)
{
    for (QWidget* p : panes) {
        if (!p)
            continue;
        m_esc.insert(p);
        beobachte(p);
    }
}

void TextFokus::setWebBeschriftungen(const QList<QWidget*>& labels)
{
    for (QWidget* l : labels) {
        if (!l)
            continue;
        m_web.insert(l);
        beobachte(l);
    }
}

void TextFokus::setSongTextPane(QWidget* pane)
{
    m_songText = pane;
    beobachte(pane);
}

void TextFokus::setEnterSperre(QWidget* feld)
{
    m_enterSperre = feld;
    beobachte(feld);
}

bool TextFokus::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (m_fokusFelder.contains(watched)) {
            m_letzterFokus = watched->objectName();
            Q_EMIT letzterFokusGeaendert(m_letzterFokus);
        }
        if (m_schriftAn.contains(watched))
            Q_EMIT schriftMenueAktiv(true);
        break;
    case QEvent::FocusOut:
        if (m_schriftAus.contains(watched))
            Q_EMIT schriftMenueAktiv(false);
        break;
    case QEvent::KeyPress: {
        const int taste = static_cast<QKeyEvent*>(event)->key();
        if (taste == Qt::Key_Escape) {
            if (m_songText && watched == m_songText) {
                m_songText->setVisible(false);
                return true;
            }
            if (m_esc.contains(watched))
                Q_EMIT escGedrueckt();
        } else if ((taste == Qt::Key_Return || taste == Qt::Key_Enter) && m_enterSperre
                   && watched == m_enterSperre) {
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (m_web.contains(watched)) {
            auto* w = static_cast<QWidget*>(watched);
            QPalette farben = w->palette();
            farben.setColor(QPalette::WindowText,
                            vb::colorFromBgr(event->type() == QEvent::MouseButtonPress ? 0xFF00FF : 0xFF0000));
            w->setPalette(farben);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void TextFokus::einrichten(QWidget* fenster)
{
    if (!fenster)
        return;
    auto finde = [fenster](const char* name) {
        return fenster->findChild<QWidget*>(QString::fromLatin1(name));
    };
    for (const char* name : {"TextBand", "TextBestellNr", "TextInfo", "TextKaufdatum", "TextLPTitel",
                             "TextMedium", "TextPlattenfirma", "TextPreis", "TextStil", "TextSongs",
                             "rtfLinks", "rtfInfo", "rtfSonstiges", "txtSongText"})
        beobachten(finde(name));
    setSchriftPanes({finde("TextSongs"), finde("rtfLinks")});
    setSchriftAusPanes({finde("rtfInfo"), finde("rtfSonstiges")});
    setEscPanes({finde("TextSongs"), finde("rtfLinks"), finde("rtfInfo"), finde("rtfSonstiges")});
    setSongTextPane(finde("txtSongText"));
    setEnterSperre(finde("TextStil"));
    setWebBeschriftungen({finde("Bez_0"), finde("Bez_1"), finde("Bez_8")});
}

void TextFokus::songTextUmschalten(QWidget* pane)
{
    if (!pane)
        return;
    if (!pane->isHidden()) {
        pane->setVisible(false);
    } else {
        // The pane lies over the picture, the track list and the grid: it goes on top of them,
        // so the whole of it shows.
        pane->setVisible(true);
        pane->raise();
        pane->setFocus(Qt::OtherFocusReason);
    }
}

void TextFokus::TextSongAktualisieren(richtext::RichTextBox* pane, const QString& trackName)
{
    if (!pane || pane->isHidden())
        return;
    const QString text = pane->text();
    const int p = songTextPosition(text, trackName);
    if (p >= int(text.size())) {
        // Not found: the caret goes to the end.
        pane->setSelStart(p);
        pane->ensureCursorVisible();
        return;
    }
    // Straight to the heading (no detour over the end, which lays out the whole text).
    pane->setSelStart(p);
    pane->ensureCursorVisible();
    // The track's heading goes to the top line, its song text below it.
    if (QScrollBar* leiste = pane->verticalScrollBar())
        leiste->setValue(leiste->value() + pane->cursorRect().top() - int(pane->document()->documentMargin()));
}

} // namespace klang::detail
