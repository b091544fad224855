#include "player/catalogue/search/Songsuche.h"

#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/ListBounds.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

namespace klang::player {

bool traegtBewertung(const QString& dateiname, const QString& marke)
{
    if (marke.isEmpty())
        return false;
    if (dateiname.contains(marke))
        return true;
    if (marke != QLatin1String(" - 0."))
        return false;
    for (int n = 1; n <= 6; ++n) {
        if (dateiname.contains(QStringLiteral(" - %1.").arg(n)))
            return false;
    }
    return true;
}

bool ausgeschlossenDurch(const QString& text, const QStringList& liste)
{
    for (const QString& eintrag : liste) {
        if (!eintrag.isEmpty() && text.contains(eintrag))
            return true;
    }
    return false;
}

QString songsucheFortschritt(int zeile, int zeilen, int treffer)
{
    return QStringLiteral("Songsuche: %1 von %2 Datensätzen, %3 Treffer (Esc beendet)").arg(zeile).arg(zeilen).arg(treffer);
}

Songsuche::Songsuche(const Zeilenquelle& zeilen, const QString& marke, const QString& playlistOrdner,
                     QObject* parent)
    : QObject(parent)
    , m_zeilen(zeilen)
    , m_marke(marke)
    , m_ordner(playlistOrdner)
{
    if (!m_ordner.isEmpty() && !m_ordner.endsWith(QLatin1Char('/')))
        m_ordner += QLatin1Char('/');
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!schritt(m_proSchritt))
            beenden();
    });
}

QString Songsuche::dateipfad() const
{
    return m_ordner + SuchlisteDatei;
}

bool Songsuche::vorbereiten()
{
    m_fehler.clear();
    m_treffer.clear();
    m_zeile = 0;
    m_abbrechen = false;
    m_abgebrochen = false;
    if (m_esc)
        *m_esc = false;
    if (!QDir().mkpath(m_ordner)) {
        m_fehler = QStringLiteral("Der Ordner '%1' kann nicht angelegt werden.").arg(m_ordner);
        return false;
    }
    QFile alt(dateipfad());
    if (alt.exists() && !alt.remove()) {
        m_fehler = QStringLiteral("Die Datei '%1' kann nicht gelöscht werden: %2").arg(dateipfad(), alt.errorString());
        return false;
    }
    m_laeuft = true;
    return true;
}

bool Songsuche::starten()
{
    if (m_laeuft || !vorbereiten())
        return false;
    m_timer.start();
    return true;
}

bool Songsuche::ausfuehren()
{
    if (m_laeuft || !vorbereiten())
        return false;
    while (schritt(m_proSchritt)) {
    }
    beenden();
    return true;
}

bool Songsuche::schritt(int n)
{
    // At most n rows, and no longer than a short slice, so that the window keeps drawing and
    // hears Esc even when folders are slow to list.
    QElapsedTimer uhr;
    uhr.start();
    for (int i = 0; i < n && (i == 0 || uhr.elapsed() < SchrittMs); ++i) {
        if (m_abbrechen || m_zeile >= m_zeilen.zeilenAnzahl())
            break;
        zeileBearbeiten(m_zeile++);
        if (m_esc && *m_esc) {
            *m_esc = false;
            m_abbrechen = true;
        }
    }
    emit fortschritt(m_zeile, m_zeilen.zeilenAnzahl(), int(m_treffer.size()));
    return !m_abbrechen && m_zeile < m_zeilen.zeilenAnzahl();
}

void Songsuche::zeileBearbeiten(int zeile)
{
    // The band and the style by field name: the first column need not be the band.
    if (ausgeschlossenDurch(m_zeilen.feld(zeile, QStringLiteral("Band")), m_baender)
        || ausgeschlossenDurch(m_zeilen.feld(zeile, QStringLiteral("Stil")), m_stile))
        return;
    const QString ordner = m_zeilen.feld(zeile, QStringLiteral("Musikpfad"));
    if (!m_tracks)
        return;
    QStringList pfade;
    for (const QString& datei : m_tracks(ordner)) {
        if (traegtBewertung(datei, m_marke))
            pfade << ordner + datei;
    }
    if (pfade.isEmpty())
        return;
    // The list grows in memory and is written once at the end: appending each hit to the
    // file rewrote it every time.
    m_treffer << pfade;
    emit aufgenommen(pfade);
}

void Songsuche::beenden()
{
    m_timer.stop();
    if (!m_laeuft)
        return;
    m_laeuft = false;
    m_abgebrochen = m_abbrechen;
    // The list as collected, whole: also when nothing matched (an empty list) or an append
    // failed on the way.
    klang::forgetCutOnRead(dateipfad()); // a new list, not the rest of one read in part
    if (!klang::writeLines(dateipfad(), m_treffer) && m_fehler.isEmpty())
        m_fehler = QStringLiteral("Die Datei '%1' kann nicht geschrieben werden.").arg(dateipfad());
    emit fertig(m_abgebrochen);
}

} // namespace klang::player
