#include "Zwischenablage.h"

#include <QAbstractItemModel>
#include <QMimeData>

#include <algorithm>
#include <array>

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

QString zelle(const QAbstractItemModel& model, int zeile, int spalte)
{
    return model.data(model.index(zeile, spalte), Qt::DisplayRole).toString();
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

QString htmlText(const QString& s)
{
    return s.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

} // namespace

QString tontraegerKopierformat(const QAbstractItemModel& model, int zeileA, int zeileB)
{
    const QStringList& felder = kopierFelder();
    std::array<int, 18> spalte;
    spalte.fill(-1);
    for (int c = 0; c < model.columnCount(); ++c) {
        const int f = felder.indexOf(model.headerData(c, Qt::Horizontal).toString());
        if (f >= 0 && spalte[f] < 0)
            spalte[f] = c;
    }
    QString text = QString::number(std::max(model.columnCount() - 1, 0)) + KopierTrenner;
    if (!ordnen(zeileA, zeileB, model.rowCount()))
        return text;
    text.reserve(text.size() + (zeileB - zeileA + 1) * 18 * 16);
    for (int r = zeileA; r <= zeileB; ++r) {
        for (int f = 0; f < 18; ++f) {
            const QString wert = spalte[f] < 0 ? QString() : zelle(model, r, spalte[f]);
            text += wert.isEmpty() ? QStringLiteral(" ") : wert;
            text += KopierTrenner;
        }
    }
    return text;
}

QString listenKopie(const QAbstractItemModel& model, int zeileA, int zeileB, int spalteA, int spalteB)
{
    QString text;
    if (!ordnen(spalteA, spalteB, model.columnCount()))
        return text;
    for (int c = spalteA; c <= spalteB; ++c)
        text += model.headerData(c, Qt::Horizontal).toString() + QLatin1Char('\t');
    text += QLatin1String("\r\n");
    if (!ordnen(zeileA, zeileB, model.rowCount()))
        return text;
    for (int r = zeileA; r <= zeileB; ++r) {
        for (int c = spalteA; c <= spalteB; ++c)
            text += zelle(model, r, c) + QLatin1Char('\t');
        text += QLatin1String("\r\n");
    }
    return text;
}

QString listenKopieHtml(const QAbstractItemModel& model, int zeileA, int zeileB, int spalteA, int spalteB)
{
    if (!ordnen(spalteA, spalteB, model.columnCount()))
        return QString();
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>\n<tr>");
    for (int c = spalteA; c <= spalteB; ++c)
        html += QLatin1String("<th>") + htmlText(model.headerData(c, Qt::Horizontal).toString())
                + QLatin1String("</th>");
    html += QLatin1String("</tr>\n");
    if (ordnen(zeileA, zeileB, model.rowCount())) {
        for (int r = zeileA; r <= zeileB; ++r) {
            html += QLatin1String("<tr>");
            for (int c = spalteA; c <= spalteB; ++c)
                html += QLatin1String("<td>") + htmlText(zelle(model, r, c)) + QLatin1String("</td>");
            html += QLatin1String("</tr>\n");
        }
    }
    html += QLatin1String("</table></body></html>");
    return html;
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
