#include "Zwischenablage.h"

#include <QAbstractItemModel>
#include <QMimeData>

#include <algorithm>
#include <array>
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

// A cell as it is copied: the stored value through umwandeln, or the shown text.
QString zelle(const QAbstractItemModel& model, int zeile, int spalte, const QString& feld,
              const Feldumwandlung& umwandeln)
{
    if (!umwandeln)
        return model.data(model.index(zeile, spalte), Qt::DisplayRole).toString();
    const QString roh = model.data(model.index(zeile, spalte), Qt::EditRole).toString();
    return roh.isEmpty() ? roh : umwandeln(feld, roh);
}

bool istZeilenumbruch(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// One line per row in the plain text: Tabs become blanks, each run of line breaks " / ".
QString einzeilig(const QString& wert)
{
    qsizetype anfang = 0, ende = wert.size();
    while (anfang < ende && istZeilenumbruch(wert.at(anfang)))
        ++anfang;
    while (ende > anfang && istZeilenumbruch(wert.at(ende - 1)))
        --ende;
    bool rein = anfang == 0 && ende == wert.size();
    for (qsizetype i = anfang; rein && i < ende; ++i)
        rein = wert.at(i) != u'\t' && !istZeilenumbruch(wert.at(i));
    if (rein)
        return wert;
    QString text;
    text.reserve(ende - anfang + 8);
    for (qsizetype i = anfang; i < ende; ++i) {
        const QChar c = wert.at(i);
        if (istZeilenumbruch(c)) {
            while (i + 1 < ende && istZeilenumbruch(wert.at(i + 1)))
                ++i;
            text += QLatin1String(" / ");
        } else {
            text += c == u'\t' ? QChar(u' ') : c;
        }
    }
    return text;
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

QString htmlText(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'))
        .replace(QChar::LineSeparator, QLatin1Char('\n'))
        .replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return s.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

} // namespace

QString tontraegerKopierformat(const QAbstractItemModel& model, int zeileA, int zeileB,
                               const Feldumwandlung& umwandeln)
{
    const QStringList& felder = kopierFelder();
    constexpr int FeldAnzahl = 18;
    std::array<int, FeldAnzahl> spalte;
    spalte.fill(-1);
    for (int c = 0; c < model.columnCount(); ++c) {
        const int f = felder.indexOf(model.headerData(c, Qt::Horizontal).toString());
        if (f >= 0 && spalte[f] < 0)
            spalte[f] = c;
    }
    QString text = QString::number(std::max(model.columnCount() - 1, 0)) + KopierTrenner;
    if (!ordnen(zeileA, zeileB, model.rowCount()))
        return text;
    const int zeilen = zeileB - zeileA + 1;
    // The model is read on this thread only; the values are then written out in blocks.
    const int rolle = umwandeln ? Qt::EditRole : Qt::DisplayRole;
    QList<QString> werte(qsizetype(zeilen) * FeldAnzahl);
    for (int r = 0; r < zeilen; ++r)
        for (int f = 0; f < FeldAnzahl; ++f)
            if (spalte[f] >= 0)
                werte[qsizetype(r) * FeldAnzahl + f] =
                    model.data(model.index(zeileA + r, spalte[f]), rolle).toString();
    auto block = [&](int von, int bis, QString* teil) {
        for (int r = von; r < bis; ++r) {
            for (int f = 0; f < FeldAnzahl; ++f) {
                const QString& roh = werte[qsizetype(r) * FeldAnzahl + f];
                const QString wert = (umwandeln && !roh.isEmpty()) ? umwandeln(felder[f], roh) : roh;
                if (wert.isEmpty())
                    *teil += QLatin1Char(' ');
                else
                    *teil += wert;
                *teil += KopierTrenner;
            }
        }
    };
    const int faeden = umwandeln ? std::clamp(int(std::thread::hardware_concurrency()), 1, 8) : 1;
    if (faeden == 1 || zeilen < 2000) {
        block(0, zeilen, &text);
        return text;
    }
    std::vector<QString> teile(faeden);
    std::vector<std::thread> arbeiter;
    for (int t = 0; t < faeden; ++t)
        arbeiter.emplace_back(block, zeilen * t / faeden, zeilen * (t + 1) / faeden, &teile[t]);
    for (std::thread& a : arbeiter)
        a.join();
    qsizetype laenge = text.size();
    for (const QString& t : teile)
        laenge += t.size();
    text.reserve(laenge);
    for (const QString& t : teile)
        text += t;
    return text;
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
    QString text;
    if (!ordnen(spalteA, spalteB, model.columnCount()))
        return text;
    QStringList felder;
    for (int c = spalteA; c <= spalteB; ++c) {
        felder << model.headerData(c, Qt::Horizontal).toString();
        text += einzeilig(felder.last()) + QLatin1Char('\t');
    }
    text += QLatin1String("\r\n");
    for (int r : geordnet(auswahl, model.rowCount())) {
        for (int c = spalteA; c <= spalteB; ++c)
            text += einzeilig(zelle(model, r, c, felder[c - spalteA], umwandeln)) + QLatin1Char('\t');
        text += QLatin1String("\r\n");
    }
    return text;
}

QString listenKopie(const QAbstractItemModel& model, int zeileA, int zeileB, int spalteA, int spalteB)
{
    return listenKopie(model, zeilenVonBis(zeileA, zeileB), spalteA, spalteB);
}

QString listenKopieHtml(const QAbstractItemModel& model, const QList<int>& auswahl, int spalteA, int spalteB,
                        const Feldumwandlung& umwandeln)
{
    if (!ordnen(spalteA, spalteB, model.columnCount()))
        return QString();
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>\n<tr>");
    QStringList felder;
    for (int c = spalteA; c <= spalteB; ++c) {
        felder << model.headerData(c, Qt::Horizontal).toString();
        html += QLatin1String("<th>") + htmlText(felder.last()) + QLatin1String("</th>");
    }
    html += QLatin1String("</tr>\n");
    for (int r : geordnet(auswahl, model.rowCount())) {
        html += QLatin1String("<tr>");
        for (int c = spalteA; c <= spalteB; ++c)
            html += QLatin1String("<td>") + htmlText(zelle(model, r, c, felder[c - spalteA], umwandeln))
                    + QLatin1String("</td>");
        html += QLatin1String("</tr>\n");
    }
    html += QLatin1String("</table></body></html>");
    return html;
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
