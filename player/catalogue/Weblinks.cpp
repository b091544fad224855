#include "Weblinks.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QUrlQuery>

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
    // A path of this system starts with "/", a file link with "file:": files too.
    if (text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return LinkArt::Datei;
    if (text.contains(QLatin1Char('@')))
        return LinkArt::Mail;
    return LinkArt::Text;
}

QString dateiPfad(const QString& text)
{
    return text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive) ? QUrl(text).toLocalFile() : text;
}

QString mailLink(const QString& adresse)
{
    const QString a = adresse.trimmed();
    return a.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive) ? a : QStringLiteral("mailto:") + a;
}

namespace {

// "scheme:" at the start, as the address rules spell it; one letter is a drive ("C:").
bool hatSchema(const QString& text)
{
    static const QRegularExpression schema(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return schema.match(text).hasMatch() && !text.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

// Files the desktop would run or install rather than show: programs, scripts, launchers and
// installers, Windows ones among them (wine, Java Web Start or a software centre would take
// them). What the desktop does with them is out of our hands, so they are not handed over.
bool ausfuehrbar(const QFileInfo& datei)
{
    if (!datei.isFile())
        return false;
    if (datei.permissions() & (QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther | QFile::ExeOwner))
        return true;
    static const QStringList endungen{
        QStringLiteral("exe"),        QStringLiteral("com"),         QStringLiteral("scr"),      QStringLiteral("pif"),
        QStringLiteral("cpl"),        QStringLiteral("msi"),         QStringLiteral("msp"),      QStringLiteral("msix"),
        QStringLiteral("appx"),       QStringLiteral("bat"),         QStringLiteral("cmd"),      QStringLiteral("vbs"),
        QStringLiteral("vbe"),        QStringLiteral("jse"),         QStringLiteral("wsf"),      QStringLiteral("wsh"),
        QStringLiteral("hta"),        QStringLiteral("ps1"),         QStringLiteral("psm1"),     QStringLiteral("reg"),
        QStringLiteral("lnk"),        QStringLiteral("jnlp"),        QStringLiteral("jar"),      QStringLiteral("flatpak"),
        QStringLiteral("flatpakref"), QStringLiteral("flatpakrepo"), QStringLiteral("snap"),     QStringLiteral("deb"),
        QStringLiteral("rpm"),        QStringLiteral("appimage"),    QStringLiteral("desktop"),  QStringLiteral("sh"),
        QStringLiteral("bash"),       QStringLiteral("csh"),         QStringLiteral("run")};
    if (endungen.contains(datei.suffix(), Qt::CaseInsensitive))
        return true;
    // By type, from the name and, where the name says nothing or misleads, from the content.
    static const char* const arten[] = {
        "application/x-desktop", "application/x-executable", "application/x-sharedlib", "application/x-shellscript",
        "application/x-ms-dos-executable", "application/x-msdownload", "application/x-ms-ne-executable",
        "application/vnd.microsoft.portable-executable", "application/x-msi", "application/x-ms-shortcut",
        "application/x-bat", "text/vbscript", "text/x-ms-regedit", "application/x-java-archive",
        "application/x-java-jnlp-file", "application/vnd.flatpak", "application/vnd.flatpak.ref",
        "application/vnd.flatpak.repo", "application/vnd.snap", "application/vnd.debian.binary-package",
        "application/x-rpm", "application/x-source-rpm", "application/vnd.appimage",
        "application/x-iso9660-appimage"};
    const QMimeDatabase db;
    for (const QMimeType& art : {db.mimeTypeForFile(datei, QMimeDatabase::MatchExtension),
                                 db.mimeTypeForFile(datei, QMimeDatabase::MatchContent)})
        for (const char* name : arten)
            if (art.inherits(QLatin1String(name)))
                return true;
    return false;
}

// A mail address keeps only its address and subject: parameters such as "attach" would let a
// text pick files to send.
QUrl mailNurAdresseUndBetreff(const QUrl& url)
{
    QString adresse = url.path(QUrl::FullyDecoded);
    const qsizetype frage = adresse.indexOf(QLatin1Char('?'));
    if (frage >= 0)
        adresse.truncate(frage);
    QString neu = QStringLiteral("mailto:")
                  + QString::fromLatin1(QUrl::toPercentEncoding(adresse.trimmed(), QByteArrayLiteral("@,+")));
    const QUrlQuery alt(url);
    for (const auto& [name, wert] : alt.queryItems(QUrl::FullyDecoded)) {
        if (name.compare(QLatin1String("subject"), Qt::CaseInsensitive) == 0) {
            neu += QStringLiteral("?subject=") + QString::fromLatin1(QUrl::toPercentEncoding(wert));
            break;
        }
    }
    return QUrl(neu, QUrl::StrictMode);
}

} // namespace

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
        const QFileInfo datei(pfad);
        if (pfad.isEmpty() || !datei.exists())
            return ablehnen(QStringLiteral("Die Datei ist nicht vorhanden:\r\n\r\n") + text);
        if (ausfuehrbar(datei))
            return ablehnen(QStringLiteral("Diese Datei wird nicht geöffnet:\r\n\r\n") + text
                            + QStringLiteral("\r\n\r\nProgramme, Skripte, Starter und Installationspakete "
                                             "werden nicht geöffnet."));
        return QUrl::fromLocalFile(datei.absoluteFilePath());
    }
    // A text with a scheme is taken as it stands; only a text without one is completed.
    QUrl url = hatSchema(text) ? QUrl(text, QUrl::TolerantMode) : QUrl::fromUserInput(text);
    const QString schema = url.scheme().toLower();
    if (url.isValid() && schema == QLatin1String("mailto") && !url.path().isEmpty())
        return mailNurAdresseUndBetreff(url);
    if (url.isValid() && (schema == QLatin1String("http") || schema == QLatin1String("https"))
        && !url.host().isEmpty())
        return url;
    return ablehnen(QStringLiteral("Dieser Link wird nicht geöffnet:\r\n\r\n") + text
                    + QStringLiteral("\r\n\r\nGeöffnet werden nur Internet-Adressen (http, https), "
                                     "E-Mail-Adressen und vorhandene Dateien."));
}

} // namespace klang::player::weblinks
