#include "Zwischenablage.h"

#include "platform/jet/CatalogueTableModel.h"

#include <QAbstractItemModel>
#include <QMimeData>

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace klang::player {

const QStringList& kopierFelder()
{
    static const QStringList felder{
        QStringLiteral("Band"),        QStringLiteral("LPTitel"),   QStringLiteral("Medium"),
        QStringLiteral("Stil"),        QStringLiteral("Info"),      QStringLiteral("Plattenfirma"),
        QStringLiteral("BestellNr"),   QStringLiteral("Preis"),     QStringLiteral("Datum"),
        QStringLiteral("Songs"),       QStringLiteral("BildPfad"),  QStringLiteral("Musikpfad"),
        QStringLiteral("SongText"),    QStringLiteral("eBook"),     QStringLiteral("Bewertung"),
        QStringLiteral("InternetTab"), QStringLiteral("InfoTab"),   QStringLiteral("SonstigesTab")};
    return felder;
}

namespace {

bool istZeilenumbruch(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// One line per row in the plain text: Tabs become blanks, each run of line breaks " / ".
void einzeiligAnhaengen(QString& text, const QString& wert)
{
    const QChar* z = wert.constData();
    qsizetype anfang = 0, ende = wert.size();
    while (anfang < ende && istZeilenumbruch(z[anfang]))
        ++anfang;
    while (ende > anfang && istZeilenumbruch(z[ende - 1]))
        --ende;
    qsizetype stueck = anfang; // start of the characters not yet appended
    for (qsizetype i = anfang; i < ende; ++i) {
        const QChar c = z[i];
        if (c == u'\t') {
            text.append(z + stueck, i - stueck).append(QLatin1Char(' '));
            stueck = i + 1;
        } else if (istZeilenumbruch(c)) {
            text.append(z + stueck, i - stueck).append(QStringView(u" / "));
            while (i + 1 < ende && istZeilenumbruch(z[i + 1]))
                ++i;
            stueck = i + 1;
        }
    }
    text.append(z + stueck, ende - stueck);
}

// A value in the HTML table: escaped as QString::toHtmlEscaped() does, each line break
// (CR LF, CR, LF, a line or paragraph separator) as <br>.
void htmlAnhaengen(QString& html, const QString& wert)
{
    const QChar* z = wert.constData();
    const qsizetype n = wert.size();
    qsizetype stueck = 0;
    for (qsizetype i = 0; i < n; ++i) {
        QStringView ersatz;
        switch (z[i].unicode()) {
        case u'<': ersatz = u"&lt;"; break;
        case u'>': ersatz = u"&gt;"; break;
        case u'&': ersatz = u"&amp;"; break;
        case u'"': ersatz = u"&quot;"; break;
        case u'\r':
        case u'\n':
        case 0x2028:
        case 0x2029: ersatz = u"<br>"; break;
        default: continue;
        }
        html.append(z + stueck, i - stueck).append(ersatz);
        if (z[i] == u'\r' && i + 1 < n && z[i + 1] == u'\n')
            ++i;
        stueck = i + 1;
    }
    html.append(z + stueck, n - stueck);
}

// Rows clamped to the model, ascending, each once.
QList<int> geordnet(QList<int> zeilen, int anzahl)
{
    std::sort(zeilen.begin(), zeilen.end());
    zeilen.erase(std::unique(zeilen.begin(), zeilen.end()), zeilen.end());
    zeilen.erase(std::remove_if(zeilen.begin(), zeilen.end(), [anzahl](int r) { return r < 0 || r >= anzahl; }),
                 zeilen.end());
    return zeilen;
}

// Clamps a selection to the model and puts its ends in order; false when nothing is left.
bool ordnen(int& a, int& b, int anzahl)
{
    if (a > b)
        std::swap(a, b);
    a = std::max(a, 0);
    b = std::min(b, anzahl - 1);
    return a <= b;
}

constexpr int FeldAnzahl = 18;
// Rows read with one statement, and the fewest rows worth a thread of their own.
constexpr qsizetype ZeilenJeBlock = 256;
constexpr qsizetype ZeilenJeFaden = 2000;

// f(0) .. f(n - 1), each on a thread of its own (f(0) on this one).
template<typename F>
void parallel(int n, const F& f)
{
    std::vector<std::thread> arbeiter;
    for (int i = 1; i < n; ++i)
        arbeiter.emplace_back([&f, i] { f(i); });
    f(0);
    for (std::thread& a : arbeiter)
        a.join();
}

// A copy's text of hundreds of megabytes takes longer to touch the first time, page by page,
// than to build: its memory is on huge pages where the system offers them (a text that lies
// there is never grown, as moving huge pages costs more still).
void grosseSeiten(QString& s)
{
    constexpr quintptr Seite = quintptr(2) << 20;
    const quintptr p = reinterpret_cast<quintptr>(s.data());
    const quintptr anfang = (p + Seite - 1) & ~(Seite - 1);
    const quintptr ende = (p + quintptr(s.capacity()) * sizeof(QChar)) & ~(Seite - 1);
    if (ende > anfang)
        madvise(reinterpret_cast<void*>(anfang), ende - anfang, MADV_HUGEPAGE);
}

// The text of a stretch of rows, written by one thread in pieces of growing size that are
// never moved, then copied into the whole.
class Stuecke
{
public:
    // The piece the next row goes to.
    QString& fuerZeile()
    {
        if (m_stuecke.empty() || m_stuecke.back().capacity() - m_stuecke.back().size() < Rand) {
            const qsizetype groesse = m_stuecke.empty() ? 4 * Rand : std::min(2 * m_stuecke.back().capacity(), Groesste);
            m_stuecke.emplace_back();
            m_stuecke.back().reserve(groesse);
            grosseSeiten(m_stuecke.back());
        }
        return m_stuecke.back();
    }
    qsizetype size() const
    {
        qsizetype n = 0;
        for (const QString& s : m_stuecke)
            n += s.size();
        return n;
    }
    // Copies the text to ziel and frees the pieces.
    void umziehen(QChar* ziel)
    {
        for (QString& s : m_stuecke) {
            ziel = std::copy_n(s.constData(), s.size(), ziel);
            s = QString();
        }
        m_stuecke.clear();
    }

private:
    static constexpr qsizetype Rand = qsizetype(1) << 16;     // characters free for a row
    static constexpr qsizetype Groesste = qsizetype(1) << 22; // characters: 8 MB
    std::vector<QString> m_stuecke;
};

} // namespace

struct Kopierauftrag::Daten
{
    bool tontraeger = false;
    bool leer = false;       // nothing selected within the model
    QString anfang;          // the record copy's column count, or the list copy's heading line
    QString htmlAnfang;      // the table's start and heading line
    QList<int> zeilen;       // as selected; ordered when built
    int anzahl = 0;          // the model's rows
    QStringList felder;      // per column read: the field name umwandeln is given
    std::array<int, FeldAnzahl> platz{}; // record copy: the column read for each of the 18 fields, -1 none
    Feldumwandlung umwandeln;
    std::optional<jet::Recordset::RowReader> leser; // the catalogue's stored values ...
    std::vector<QString> werte;                     // ... or the values themselves, for geordnet(zeilen)

    // Where the values of the columns come from: the catalogue's stored values are read when
    // the copy is built; any other model is read here, on the model's thread.
    void quelleSetzen(const QAbstractItemModel& model, const QList<int>& spalten)
    {
        const auto* katalog = qobject_cast<const jet::CatalogueTableModel*>(&model);
        if (katalog && umwandeln) {
            leser = katalog->storedValues(spalten);
            return;
        }
        zeilen = geordnet(zeilen, anzahl);
        const int rolle = umwandeln ? Qt::EditRole : Qt::DisplayRole;
        werte.reserve(std::size_t(zeilen.size()) * std::size_t(spalten.size()));
        for (int r : std::as_const(zeilen))
            for (int c : spalten)
                werte.push_back(model.data(model.index(r, c), rolle).toString());
    }

    // The values of zeilen[von..bis), felder.size() per row; on any thread, with a reader of
    // its own (a copy of leser).
    bool lesen(std::optional<jet::Recordset::RowReader>& eigener, const QList<int>& zeilen, qsizetype von,
               qsizetype bis, std::vector<QString>* ziel, jet::DbError* fehler) const
    {
        if (eigener)
            return eigener->read(zeilen, von, bis, ziel, fehler);
        const qsizetype breite = felder.size();
        ziel->assign(werte.begin() + breite * von, werte.begin() + breite * bis);
        return true;
    }
};


Kopierauftrag Kopierauftrag::tontraeger(const QAbstractItemModel& model, int zeileA, int zeileB,
                                        const Feldumwandlung& umwandeln)
{
    auto d = std::make_shared<Daten>();
    d->tontraeger = true;
    d->umwandeln = umwandeln;
    d->anzahl = model.rowCount();
    d->anfang = QString::number(std::max(model.columnCount() - 1, 0)) + KopierTrenner;
    const QStringList& felder = kopierFelder();
    std::array<int, FeldAnzahl> spalte;
    spalte.fill(-1);
    for (int c = 0; c < model.columnCount(); ++c) {
        const int f = felder.indexOf(model.headerData(c, Qt::Horizontal).toString());
        if (f >= 0 && spalte[f] < 0)
            spalte[f] = c;
    }
    d->leer = !ordnen(zeileA, zeileB, d->anzahl);
    QList<int> spalten;
    d->platz.fill(-1);
    for (int f = 0; f < FeldAnzahl; ++f) {
        if (spalte[f] < 0)
            continue;
        d->platz[f] = int(spalten.size());
        spalten << spalte[f];
        d->felder << felder[f];
    }
    if (!d->leer) {
        d->zeilen = zeilenVonBis(zeileA, zeileB);
        d->quelleSetzen(model, spalten);
    }
    Kopierauftrag k;
    k.d = std::move(d);
    return k;
}

Kopierauftrag Kopierauftrag::liste(const QAbstractItemModel& model, const QList<int>& zeilen, int spalteA,
                                   int spalteB, const Feldumwandlung& umwandeln)
{
    auto d = std::make_shared<Daten>();
    d->umwandeln = umwandeln;
    d->anzahl = model.rowCount();
    d->leer = !ordnen(spalteA, spalteB, model.columnCount());
    if (!d->leer) {
        d->htmlAnfang = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>\n<tr>");
        QList<int> spalten;
        for (int c = spalteA; c <= spalteB; ++c) {
            spalten << c;
            d->felder << model.headerData(c, Qt::Horizontal).toString();
            einzeiligAnhaengen(d->anfang, d->felder.last());
            d->anfang += QLatin1Char('\t');
            d->htmlAnfang += QLatin1String("<th>");
            htmlAnhaengen(d->htmlAnfang, d->felder.last());
            d->htmlAnfang += QLatin1String("</th>");
        }
        d->anfang += QLatin1String("\r\n");
        d->htmlAnfang += QLatin1String("</tr>\n");
        d->zeilen = zeilen;
        d->quelleSetzen(model, spalten);
    }
    Kopierauftrag k;
    k.d = std::move(d);
    return k;
}

Kopierauftrag::Ergebnis Kopierauftrag::erstellen(const std::atomic_bool* abbrechen) const
{
    Ergebnis e;
    if (d->leer) {
        if (d->tontraeger)
            e.text = d->anfang;
        return e;
    }
    const QList<int> zeilen = geordnet(d->zeilen, d->anzahl);
    const QStringList& felder = d->felder;
    const qsizetype breite = felder.size();
    const bool tontraeger = d->tontraeger;

    // The rows are built in stretches, as many as the threads take in turn (a thread held up
    // leaves its next stretch to the others), read block by block. One core stays free for
    // the window's thread.
    const qsizetype anzahl = zeilen.size();
    const int kerne = std::clamp(int(std::thread::hardware_concurrency()) - 1, 1, 8);
    const int faeden = int(std::clamp<qsizetype>(anzahl / ZeilenJeFaden, 1, kerne));
    const qsizetype strecken = faeden == 1 ? 1 : 4 * qsizetype(faeden);
    struct Strecke
    {
        Stuecke text, html;
    };
    std::vector<Strecke> teile(static_cast<std::size_t>(strecken));
    std::atomic<qsizetype> naechste{0};
    std::mutex fehlerSperre;
    parallel(faeden, [&](int) {
        static const QString leer;
        std::optional<jet::Recordset::RowReader> leser = d->leser; // a connection of its own
        std::vector<QString> werte;
        QString wert;
        auto zelle = [&](const QString& roh, qsizetype spalte) -> const QString& {
            if (!d->umwandeln || roh.isEmpty())
                return roh;
            wert = d->umwandeln(felder[spalte], roh);
            return wert;
        };
        for (qsizetype k = naechste++; k < strecken; k = naechste++) {
            Strecke& teil = teile[std::size_t(k)];
            const qsizetype ende = anzahl * (k + 1) / strecken;
            for (qsizetype von = anzahl * k / strecken; von < ende; von += ZeilenJeBlock) {
                if (abbrechen && *abbrechen) {
                    naechste = strecken;
                    return;
                }
                const qsizetype bis = std::min(ende, von + ZeilenJeBlock);
                if (breite == 0) { // a record copy without any of the 18 fields reads nothing
                    for (qsizetype r = von; r < bis; ++r) {
                        QString& text = teil.text.fuerZeile();
                        for (int f = 0; f < FeldAnzahl; ++f)
                            text.append(QLatin1Char(' ')).append(KopierTrenner);
                    }
                    continue;
                }
                jet::DbError fehler;
                if (!d->lesen(leser, zeilen, von, bis, &werte, &fehler)) {
                    std::lock_guard<std::mutex> sperre(fehlerSperre);
                    if (!e.fehler.isError())
                        e.fehler = fehler;
                    naechste = strecken; // the others stop too
                    return;
                }
                for (qsizetype r = 0; r < bis - von; ++r) {
                    const QString* zeile = werte.data() + r * breite;
                    QString& text = teil.text.fuerZeile();
                    if (tontraeger) {
                        for (int f = 0; f < FeldAnzahl; ++f) {
                            const int s = d->platz[f];
                            const QString& w = s >= 0 ? zelle(zeile[s], s) : leer;
                            if (w.isEmpty())
                                text += QLatin1Char(' ');
                            else
                                text += w;
                            text += KopierTrenner;
                        }
                        continue;
                    }
                    QString& html = teil.html.fuerZeile();
                    html += QStringView(u"<tr>");
                    for (qsizetype s = 0; s < breite; ++s) {
                        const QString& w = zelle(zeile[s], s);
                        einzeiligAnhaengen(text, w);
                        text += QLatin1Char('\t');
                        html += QStringView(u"<td>");
                        htmlAnhaengen(html, w);
                        html += QStringView(u"</td>");
                    }
                    text += QStringView(u"\r\n");
                    html += QStringView(u"</tr>\n");
                }
            }
        }
    });
    if (e.fehler.isError())
        return e;
    if (abbrechen && *abbrechen) {
        e.abgebrochen = true;
        return e;
    }
    // The whole, written by the same threads.
    const QString schluss = tontraeger ? QString() : QStringLiteral("</table></body></html>");
    std::vector<qsizetype> textAb(teile.size()), htmlAb(teile.size());
    qsizetype laenge = d->anfang.size(), htmlLaenge = d->htmlAnfang.size();
    for (std::size_t t = 0; t < teile.size(); ++t) {
        textAb[t] = laenge;
        htmlAb[t] = htmlLaenge;
        laenge += teile[t].text.size();
        htmlLaenge += teile[t].html.size();
    }
    e.text = QString(laenge, Qt::Uninitialized);
    grosseSeiten(e.text);
    QChar* text = e.text.data();
    std::copy_n(d->anfang.constData(), d->anfang.size(), text);
    QChar* html = nullptr;
    if (!tontraeger) {
        e.html = QString(htmlLaenge + schluss.size(), Qt::Uninitialized);
        grosseSeiten(e.html);
        html = e.html.data();
        std::copy_n(d->htmlAnfang.constData(), d->htmlAnfang.size(), html);
        std::copy_n(schluss.constData(), schluss.size(), html + htmlLaenge);
    }
    naechste = 0;
    parallel(faeden, [&](int) {
        for (qsizetype k = naechste++; k < strecken; k = naechste++) {
            teile[std::size_t(k)].text.umziehen(text + textAb[std::size_t(k)]);
            if (html)
                teile[std::size_t(k)].html.umziehen(html + htmlAb[std::size_t(k)]);
        }
    });
    return e;
}

QString tontraegerKopierformat(const QAbstractItemModel& model, int zeileA, int zeileB,
                               const Feldumwandlung& umwandeln)
{
    return Kopierauftrag::tontraeger(model, zeileA, zeileB, umwandeln).erstellen().text;
}

QList<int> zeilenVonBis(int zeileA, int zeileB)
{
    if (zeileA > zeileB)
        std::swap(zeileA, zeileB);
    QList<int> zeilen;
    if (zeileB < 0)
        return zeilen;
    zeileA = std::max(zeileA, 0);
    zeilen.reserve(zeileB - zeileA + 1);
    for (int r = zeileA; r <= zeileB; ++r)
        zeilen << r;
    return zeilen;
}

QString listenKopie(const QAbstractItemModel& model, const QList<int>& auswahl, int spalteA, int spalteB,
                    const Feldumwandlung& umwandeln)
{
    return Kopierauftrag::liste(model, auswahl, spalteA, spalteB, umwandeln).erstellen().text;
}

QString listenKopie(const QAbstractItemModel& model, int zeileA, int zeileB, int spalteA, int spalteB)
{
    return listenKopie(model, zeilenVonBis(zeileA, zeileB), spalteA, spalteB);
}

QString listenKopieHtml(const QAbstractItemModel& model, const QList<int>& auswahl, int spalteA, int spalteB,
                        const Feldumwandlung& umwandeln)
{
    return Kopierauftrag::liste(model, auswahl, spalteA, spalteB, umwandeln).erstellen().html;
}

QString listenKopieHtml(const QAbstractItemModel& model, int zeileA, int zeileB, int spalteA, int spalteB)
{
    return listenKopieHtml(model, zeilenVonBis(zeileA, zeileB), spalteA, spalteB);
}

QMimeData* zwischenablageDaten(const QString& text, const QString& html, const QImage& bild)
{
    auto* daten = new QMimeData;
    daten->setText(text);
    if (!html.isEmpty())
        daten->setHtml(html);
    if (!bild.isNull())
        daten->setImageData(bild);
    return daten;
}

} // namespace klang::player
