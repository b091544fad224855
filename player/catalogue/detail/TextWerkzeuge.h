#pragma once

// The formatting buttons of the songs pane (frame fraTextButton, buttons ButtonText_0 .. _5,
// _7, _8, _11 .. _14) and the commands of the font menu (strike-through, raised, lowered, left
// and right indent). They act on the selection of one rich-text box, the songs pane TextSongs;
// the search buttons search its text.

#include "player/catalogue/detail/TextRegeln.h"

#include <QColor>
#include <QFont>
#include <QMap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

#include "platform/richtext/RichTextBox.h"

class QToolButton;

namespace klang::detail {

class TextWerkzeuge : public QWidget
{
    Q_OBJECT
public:
    // The dialogs ask the user; std::nullopt means cancelled. Replaceable for tests.
    using SchriftDialog = std::function<std::optional<QFont>(const QFont& start, QWidget* parent)>;
    using FarbDialog = std::function<std::optional<QColor>(const QColor& start, QWidget* parent)>;

    static const QList<int>& ButtonIndizes(); // 0..5, 7, 8, 11..14

    explicit TextWerkzeuge(QWidget* parent = nullptr);

    void setZiel(richtext::RichTextBox* textSongs);
    richtext::RichTextBox* ziel() const { return m_ziel; }
    void setSchriftDialog(SchriftDialog dialog) { m_schriftDialog = std::move(dialog); }
    void setFarbDialog(FarbDialog dialog) { m_farbDialog = std::move(dialog); }

    // Connects the font menu's entries of the main window (QActions named
    // mnuSchriftTiefgestellt, mnuSchriftHochgestellt, mnuSchriftDurchstrichen, mnuRandLinks,
    // mnuRandRechts) to the commands here.
    void menueVerbinden(QObject* fenster);

    QToolButton* button(int index) const { return m_buttons.value(index); }
    const Volltextsuche& suche() const { return m_suche; }

public Q_SLOTS:
    void ButtonText_Click(int index);
    void mnuSchriftDurchstrichen_Click();
    void mnuSchriftHochgestellt_Click();
    void mnuSchriftTiefgestellt_Click();
    void mnuRandLinks_Click();
    void mnuRandRechts_Click();

private:
    void suchen();
    void weitersuchen();
    void treffer(int position);
    void rand(bool links);
    void fokusZurueck();

    QPointer<richtext::RichTextBox> m_ziel;
    QMap<int, QToolButton*> m_buttons;
    Volltextsuche m_suche;
    SchriftDialog m_schriftDialog;
    FarbDialog m_farbDialog;
    QFont m_dialogSchrift;      // the font dialog starts where it was left
    QColor m_dialogFarbe = Qt::black;
    bool m_dialogHatSchrift = false;
};

} // namespace klang::detail
