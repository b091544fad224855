#pragma once

// The rules of the search dialog Suchbox without its widgets: the column boxes with "Alle",
// the song rating and its stars, the style list, the replace option, and OK, which turns the
// choices into a search job. The dialog forwards every click here and then shows the state;
// the notices that the rules raise are collected for it to show (MsgFenn style 3).
//
// As with the check boxes of the form, setting a box from inside a rule counts as a click on
// that box when its value changes, so the interlocks chain exactly as the form's handlers do.
//
// The job is built in locals and handed out only when OK completes: a refused OK leaves no
// half-built job behind, and the dialog's texts stay as the user typed them.

#include "player/catalogue/search/Suchauftrag.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <optional>

namespace klang::player {

class SuchboxModell
{
public:
    enum Kastenwert { Aus = 0, An = 1, Grau = 2 }; // Grau: searched because "Alle" is on

    struct Hinweis
    {
        QString text;
        QString titel;
        bool operator==(const Hinweis&) const = default;
    };

    // sortierFeld: the order field kept from an earlier showing (it lives as long as the
    // program). The state is that of Form_Load: "Alle" ticked, every column box greyed, song
    // rating and replace off, empty texts.
    explicit SuchboxModell(const QString& sortierFeld = QString());

    // --- state the dialog shows -----------------------------------------------------------
    QString suchtext() const { return m_suchtext; }
    void setSuchtext(const QString& text) { m_suchtext = text; }
    QString ersetzenText() const { return m_ersetzenText; }
    void setErsetzenText(const QString& text) { m_ersetzenText = text; }
    bool alle() const { return m_alle; }
    int spalte(int k) const;
    bool bewertungSong() const { return m_bewertungSong; }
    bool ersetzen() const { return m_ersetzen; }
    // txtErsetzen is locked (button-face background) while replacing is off.
    bool ersetzenGesperrt() const { return !m_ersetzen; }
    QString sortierFeld() const { return m_sortierFeld; }

    // --- user actions ---------------------------------------------------------------------
    // A click on a box toggles it; setXxx sets a value as the rules do (a click when it
    // changes).
    void alleKlicken() { setAlle(!m_alle); }
    void setAlle(bool an);
    void spalteKlicken(int k);
    void setSpalte(int k, int wert);
    void bewertungSongKlicken() { setBewertungSong(!m_bewertungSong); }
    void setBewertungSong(bool an);
    void ersetzenKlicken() { setErsetzen(!m_ersetzen); }
    void setErsetzen(bool an);
    // A star image (0..6; 0 = files without a rating mark).
    void sternKlicken(int index);
    // A style taken from the list (mouse click, Enter or Space; not every key released).
    void stilWaehlen(const QString& stil);

    // OK: the job, or nothing when OK is refused (the notices say why; the dialog stays open).
    std::optional<Suchauftrag> ok();

    // Notices raised since the last call, in order.
    QVector<Hinweis> hinweiseAbholen();

    // ListenLaden: the styles offered in lstStil and the exclusion list lstAusschluss from the
    // program folder's "Stilrichtung.ini" and "AusschlussAbspielliste.ini" (lines trimmed). A
    // missing file leaves its list as it was; empty lines and excluded styles are not offered.
    static void listenLaden(const QString& programmPfad, QStringList& stile, QStringList& ausschluss);
    static QStringList angeboteneStile(const QStringList& stilZeilen, const QStringList& ausschluss);

    // The notices' texts.
    static Hinweis hinweisKeineSpalte();
    static Hinweis hinweisErsetzenAlle();
    static Hinweis hinweisErsetzenSongsStil();
    static Hinweis hinweisErsetzenOhneSuchtext();
    static Hinweis hinweisSternOhneBewertung();
    static Hinweis hinweisUngueltigerSongSuchtext();

private:
    void alleGeklickt();
    void spalteGeklickt(int k);
    void bewertungSongGeklickt();
    void ersetzenGeklickt();
    QList<int> gewaehlteBoxen() const;
    void melden(const Hinweis& h) { m_hinweise << h; }

    QString m_suchtext;
    QString m_ersetzenText;
    bool m_alle = false;
    std::array<int, SuchspaltenAnzahl> m_spalten{};
    bool m_bewertungSong = false;
    bool m_ersetzen = false;
    QString m_sortierFeld;
    QVector<Hinweis> m_hinweise;
};

} // namespace klang::player
