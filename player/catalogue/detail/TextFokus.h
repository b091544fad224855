#pragma once

// Focus and key rules of the detail fields: every watched field that gets the focus becomes
// LetzterFokus (its objectName); the font menu is usable only while the songs pane or the
// links pane holds the focus; Esc in a text pane asks the player to end its pause; Esc in the
// song-text pane hides it; Enter in the style field is swallowed. Also the song-text pane that
// follows the playing track.

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

class QWidget;

namespace klang::richtext {
class RichTextBox;
}

namespace klang::detail {

class TextFokus : public QObject
{
    Q_OBJECT
public:
    explicit TextFokus(QObject* parent = nullptr);

    // A field whose focus is recorded in LetzterFokus.
    void beobachten(QWidget* feld);
    // Panes that enable the font menu while they hold the focus (TextSongs, rtfLinks).
    void setSchriftPanes(const QList<QWidget*>& panes);
    // Panes whose focus loss disables the font menu (also rtfInfo, rtfSonstiges).
    void setSchriftAusPanes(const QList<QWidget*>& panes);
    // Panes in which Esc sets the cancel request.
    void setEscPanes(const QList<QWidget*>& panes);
    // The song-text pane: Esc hides it.
    void setSongTextPane(QWidget* pane);
    // A field in which Enter is swallowed (TextStil).
    void setEnterSperre(QWidget* feld);

    // The caption labels that open a web search (Bez 0, 1, 8): they turn &HFF00FF while pressed
    // and &HFF0000 when released.
    void setWebBeschriftungen(const QList<QWidget*>& labels);

    // Sets everything up on the main window's controls, found by objectName: the detail fields
    // (TextBand, TextBestellNr, TextInfo, TextKaufdatum, TextLPTitel, TextMedium,
    // TextPlattenfirma, TextPreis, TextStil), the panes (TextSongs, rtfLinks, rtfInfo,
    // rtfSonstiges, txtSongText) and the captions Bez_0, Bez_1, Bez_8. Missing controls are
    // left out.
    void einrichten(QWidget* fenster);

    const QString& letzterFokus() const { return m_letzterFokus; }

    // mnuSongTextEinAus: a shown pane is hidden, a hidden one shown and focused.
    static void songTextUmschalten(QWidget* pane);
    // The player chose a track: a shown song-text pane moves its caret to the track's name
    // (with extension and mark), or to the end when the name is not in the text.
    static void TextSongAktualisieren(richtext::RichTextBox* pane, const QString& trackName);

Q_SIGNALS:
    void letzterFokusGeaendert(const QString& name);
    void schriftMenueAktiv(bool aktiv);
    void escGedrueckt();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void beobachte(QWidget* w);

    QString m_letzterFokus;
    QSet<QObject*> m_fokusFelder;
    QSet<QObject*> m_schriftAn;
    QSet<QObject*> m_schriftAus;
    QSet<QObject*> m_esc;
    QSet<QObject*> m_web;
    QPointer<QWidget> m_songText;
    QPointer<QWidget> m_enterSperre;
};

} // namespace klang::detail
