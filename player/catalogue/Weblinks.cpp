#include "Weblinks.h"

#include <QFileInfo>

namespace klang::player::weblinks {

QString faqSeite() { return QStringLiteral("https://www.klangtruhe.de/faq.html"); }
QString nutzungslizenzSeite() { return QStringLiteral("https://www.klangtruhe.de/nutzungslizenz.html"); }
QString produktSeite() { return QStringLiteral("https://www.klangtruhe.de/"); }
QString downloadSeite() { return QStringLiteral("https://www.klangtruhe.de/download.html"); }
QString uebersetzungsSeite() { return QStringLiteral("https://www.deepl.com/translator"); }
QString schreibSeite() { return QStringLiteral("https://www.deepl.com/write"); }
QString shopSuche() { return QStringLiteral("https://www.amazon.de/s?k="); }

namespace {
// Blanks become "+", the lower-case umlauts and "ß" are written out (capitals stay), and
// everything else that is not plain is percent-encoded, a typed "+" included.
QString suchwoerter(QString text)
{
    text.replace(QStringLiteral("ä"), QStringLiteral("ae"))
        .replace(QStringLiteral("ö"), QStringLiteral("oe"))
        .replace(QStringLiteral("ü"), QStringLiteral("ue"))
        .replace(QStringLiteral("ß"), QStringLiteral("ss"));
    QStringList woerter = text.split(QLatin1Char(' '));
    for (QString& w : woerter)
        w = QString::fromLatin1(QUrl::toPercentEncoding(w));
    return woerter.join(QLatin1Char('+'));
}
} // namespace

QString shopSuchtext(int index, const QString& band, const QString& titel, const QString& bestellNr)
{
    switch (index) {
    case 0: return suchwoerter(band);
    case 1: return suchwoerter(band) + QLatin1Char('+') + suchwoerter(titel);
    case 8: return suchwoerter(bestellNr);
    default: return QString();
    }
}

QString shopAdresse(const QString& suchtext)
{
    if (suchtext.isEmpty())
        return QString();
    return shopSuche() + suchtext + QStringLiteral("&x=0&y=0");
}

LinkArt linkArt(const QString& text)
{
    if (text.contains(QLatin1String("www"), Qt::CaseInsensitive)
        || text.contains(QLatin1String("http"), Qt::CaseInsensitive))
        return LinkArt::Web;
    if (text.size() >= 2 && text.at(1) == QLatin1Char(':'))
        return LinkArt::Datei;
    // A path of this system starts with "/": it is a file too.
    if (text.startsWith(QLatin1Char('/')))
        return LinkArt::Datei;
    if (text.contains(QLatin1Char('@')))
        return LinkArt::Mail;
    return LinkArt::Text;
}

QUrl sichererLink(const QString& antwort, QString* grund)
{
    const QString text = antwort.trimmed();
    auto ablehnen = [&](const QString& warum) {
        if (grund)
            *grund = warum;
        return QUrl();
    };
    if (text.isEmpty())
        return ablehnen(QStringLiteral("Es wurde kein Link angegeben."));
    if (text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QString pfad = text.startsWith(QLatin1Char('/')) ? text : QUrl(text).toLocalFile();
        if (!pfad.isEmpty() && QFileInfo::exists(pfad))
            return QUrl::fromLocalFile(QFileInfo(pfad).absoluteFilePath());
        return ablehnen(QStringLiteral("Die Datei ist nicht vorhanden:\r\n\r\n") + text);
    }
    QUrl url(text, QUrl::StrictMode);
    if (url.scheme().isEmpty() || !url.isValid() || text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        url = QUrl::fromUserInput(text);
    const QString schema = url.scheme().toLower();
    if (url.isValid()
        && ((schema == QLatin1String("http") || schema == QLatin1String("https")) ? !url.host().isEmpty()
                                                                                 : schema == QLatin1String("mailto")))
        return url;
    return ablehnen(QStringLiteral("Dieser Link wird nicht geöffnet:\r\n\r\n") + text
                    + QStringLiteral("\r\n\r\nGeöffnet werden nur Internet-Adressen (http, https), "
                                     "E-Mail-Adressen und vorhandene Dateien."));
}

} // namespace klang::player::weblinks
