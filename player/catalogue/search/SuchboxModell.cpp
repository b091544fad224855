#include "player/catalogue/search/SuchboxModell.h"

#include "platform/textfiles/LineFile.h"

#include <QFileInfo>

namespace klang::player {

SuchboxModell::SuchboxModell(const QString& sortierFeld)
    : m_sortierFeld(sortierFeld)
{
    m_spalten.fill(Aus);
    setAlle(true);
}

int SuchboxModell::spalte(int k) const
{
    return (k >= 0 && k < SuchspaltenAnzahl) ? m_spalten[k] : Aus;
}

void SuchboxModell::setAlle(bool an)
{
    if (m_alle == an)
        return;
    m_alle = an;
    alleGeklickt();
}

void SuchboxModell::alleGeklickt()
{
    if (m_alle) {
        setBewertungSong(false);
        for (int k = 0; k < SuchspaltenAnzahl; ++k)
            setSpalte(k, Grau);
    } else {
        for (int k = 0; k < SuchspaltenAnzahl; ++k)
            setSpalte(k, Aus);
    }
}

void SuchboxModell::spalteKlicken(int k)
{
    if (k < 0 || k >= SuchspaltenAnzahl)
        return;
    setSpalte(k, m_spalten[k] == An ? Aus : An);
}

void SuchboxModell::setSpalte(int k, int wert)
{
    if (k < 0 || k >= SuchspaltenAnzahl || wert < Aus || wert > Grau || m_spalten[k] == wert)
        return;
    m_spalten[k] = wert;
    spalteGeklickt(k);
}

void SuchboxModell::spalteGeklickt(int k)
{
    if (m_alle) {
        // While "Alle" is on every column is searched: a box cannot leave the grey state.
        m_spalten[k] = Grau;
        return;
    }
    if (k == SuchspalteBewertung && m_spalten[k] == An) {
        setBewertungSong(false);
        m_suchtext = QStringLiteral("1");
    }
    m_sortierFeld = suchspalten().at(k).sortierFeld;
}

void SuchboxModell::setBewertungSong(bool an)
{
    if (m_bewertungSong == an)
        return;
    m_bewertungSong = an;
    bewertungSongGeklickt();
}

void SuchboxModell::bewertungSongGeklickt()
{
    if (m_alle && m_bewertungSong)
        setAlle(false);
    if (m_bewertungSong) {
        for (int k = 0; k < SuchspaltenAnzahl; ++k)
            setSpalte(k, Aus);
    }
    m_suchtext = QStringLiteral(" - 1.");
    setSpalte(SuchspalteSongs, An);
}

void SuchboxModell::setErsetzen(bool an)
{
    if (m_ersetzen == an)
        return;
    m_ersetzen = an;
    ersetzenGeklickt();
}

void SuchboxModell::ersetzenGeklickt()
{
    if (!m_ersetzen)
        return;
    if (m_alle) {
        setAlle(false);
        melden(hinweisErsetzenAlle());
        setErsetzen(false);
        return;
    }
    if (m_spalten[SuchspalteStil] == An || m_spalten[SuchspalteSongs] == An) {
        setSpalte(SuchspalteStil, Aus);
        setSpalte(SuchspalteSongs, Aus);
        melden(hinweisErsetzenSongsStil());
        setErsetzen(false);
    }
}

void SuchboxModell::sternKlicken(int index)
{
    if (index < 0 || index > 6)
        return;
    if (m_bewertungSong)
        m_suchtext = QStringLiteral(" - %1.").arg(index);
    else if (m_spalten[SuchspalteBewertung] == An)
        m_suchtext = QString::number(index);
    else
        melden(hinweisSternOhneBewertung());
}

void SuchboxModell::stilWaehlen(const QString& stil)
{
    setAlle(false);
    for (int k = 0; k < SuchspaltenAnzahl; ++k)
        setSpalte(k, Aus);
    setSpalte(SuchspalteStil, An);
    if (m_suchtext.isEmpty())
        m_suchtext = stil;
    else
        m_suchtext += QStringLiteral(", ") + stil;
}

QList<int> SuchboxModell::gewaehlteBoxen() const
{
    QList<int> boxen;
    for (int k = 0; k < SuchspaltenAnzahl; ++k) {
        if (m_alle ? m_spalten[k] != Aus : m_spalten[k] == An)
            boxen << k;
    }
    return boxen;
}

std::optional<Suchauftrag> SuchboxModell::ok()
{
    const QString text = m_suchtext;

    // The columns are always taken from the boxes as they are now.
    QList<int> boxen = gewaehlteBoxen();
    if (boxen.isEmpty() && m_bewertungSong) {
        setSpalte(SuchspalteSongs, An);
        boxen = gewaehlteBoxen();
    }
    if (boxen.isEmpty()) {
        melden(hinweisKeineSpalte());
        return std::nullopt;
    }

    // The replace check runs on the final choice: rich text (Songs), Stil and "Alle" are
    // never rewritten, however the boxes got ticked.
    if (m_ersetzen) {
        if (m_alle) {
            setAlle(false);
            melden(hinweisErsetzenAlle());
            setErsetzen(false);
            return std::nullopt;
        }
        if (boxen.contains(SuchspalteStil) || boxen.contains(SuchspalteSongs)) {
            setSpalte(SuchspalteStil, Aus);
            setSpalte(SuchspalteSongs, Aus);
            melden(hinweisErsetzenSongsStil());
            setErsetzen(false);
            return std::nullopt;
        }
        if (text.isEmpty()) {
            melden(hinweisErsetzenOhneSuchtext());
            return std::nullopt;
        }
    }

    if (m_bewertungSong && !text.startsWith(QStringLiteral(" - "))) {
        melden(hinweisUngueltigerSongSuchtext());
        return std::nullopt;
    }

    Suchauftrag auftrag;
    auftrag.TabellenName = text;
    auftrag.SuchSQL = suchSqlBauen(boxen, m_alle, text.trimmed(), m_sortierFeld);
    if (m_ersetzen) {
        QStringList felder;
        for (int k : boxen)
            felder << suchspalten().at(k).feld;
        auftrag.SuchText = text;
        auftrag.ErsetzenText = m_ersetzenText;
        auftrag.SuchSpalten = felder.join(QStringLiteral(", "));
    }
    auftrag.SongSucheAktiv = m_bewertungSong;
    if (m_bewertungSong)
        auftrag.SongBewertungMarke = text;
    return auftrag;
}

QVector<SuchboxModell::Hinweis> SuchboxModell::hinweiseAbholen()
{
    QVector<Hinweis> h;
    h.swap(m_hinweise);
    return h;
}

QStringList SuchboxModell::angeboteneStile(const QStringList& stilZeilen, const QStringList& ausschluss)
{
    QStringList stile;
    for (const QString& zeile : stilZeilen) {
        const QString stil = zeile.trimmed();
        if (!stil.isEmpty() && !ausschluss.contains(stil))
            stile << stil;
    }
    return stile;
}

void SuchboxModell::listenLaden(const QString& programmPfad, QStringList& stile, QStringList& ausschluss)
{
    QString ordner = programmPfad;
    if (!ordner.isEmpty() && !ordner.endsWith(QLatin1Char('/')))
        ordner += QLatin1Char('/');
    const QString ausschlussDatei = ordner + QStringLiteral("AusschlussAbspielliste.ini");
    if (QFileInfo(ausschlussDatei).isFile()) {
        ausschluss.clear();
        for (const QString& zeile : klang::readLines(ausschlussDatei))
            ausschluss << zeile.trimmed();
    }
    const QString stilDatei = ordner + QStringLiteral("Stilrichtung.ini");
    if (!QFileInfo(stilDatei).isFile())
        return;
    stile = angeboteneStile(klang::readLines(stilDatei), ausschluss);
}

SuchboxModell::Hinweis SuchboxModell::hinweisKeineSpalte()
{
    return {QStringLiteral("Bitte ein mindestens Häkchen setzen!"), QStringLiteral("Hinweis")};
}

SuchboxModell::Hinweis SuchboxModell::hinweisErsetzenAlle()
{
    return {QStringLiteral("Bitte wählen Sie die Spalte(n) aus, in der Sie ersetzen wollen."),
            QStringLiteral("Hinweis")};
}

SuchboxModell::Hinweis SuchboxModell::hinweisErsetzenSongsStil()
{
    return {QStringLiteral("In den Textfeldern 'Songs' u. 'Stil' kann nicht ersetzt werden!") + QLatin1Char('\n')
                + QStringLiteral("Das Häkchen dort wurde entfernt."),
            QStringLiteral("Bedienungshinweis")};
}

SuchboxModell::Hinweis SuchboxModell::hinweisErsetzenOhneSuchtext()
{
    return {QStringLiteral("Bitte geben Sie den Text ein, der ersetzt werden soll."), QStringLiteral("Hinweis")};
}

SuchboxModell::Hinweis SuchboxModell::hinweisSternOhneBewertung()
{
    return {QStringLiteral("Bitte zuerst ein Häkchen bei der CD- oder Song-Bewertung setzen!"),
            QStringLiteral("Hinweis")};
}

SuchboxModell::Hinweis SuchboxModell::hinweisUngueltigerSongSuchtext()
{
    return {QStringLiteral("Wenn Sie bei \"Songs-Bewertung\" ein Häkchen setzen,") + QLatin1Char('\n')
                + QStringLiteral("dann müssen Sie anschließend auf einen Stern klicken,") + QLatin1Char('\n')
                + QStringLiteral("damit ein gültiger Suchtext eingefügt wird."),
            QStringLiteral("ungültiger Suchtext")};
}

} // namespace klang::player
