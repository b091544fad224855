#include "tv/SenderDatei.h"

#include "platform/shell/Paths.h"
#include "platform/textfiles/LineFile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace tv {

namespace fehler {

Dateifehler dateiende(const QString& pfad)
{
    return {Dateiende, QStringLiteral("Einlesen hinter Dateiende (der letzte Sender in „%1“ ist unvollständig; "
                                      "seine Zeilen bleiben am Ende der Datei erhalten, neue Sender kommen davor)")
                           .arg(pfad)};
}

Dateifehler zugriff(const QString& pfad)
{
    return {Zugriff, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei: %1").arg(pfad)};
}

Dateifehler keineAuswahl()
{
    return {KeineAuswahl, QStringLiteral("Es ist kein TV-Sender ausgewählt.")};
}

} // namespace fehler

QString senderDatei()
{
    return klang::programmPfad() + QLatin1String(SenderDateiName);
}

QString gruppenDatei()
{
    return klang::programmPfad() + QLatin1String(GruppenDateiName);
}

Senderbestand senderLesen(const QString& pfad)
{
    Senderbestand liste;
    if (!QFileInfo::exists(pfad))
        return liste;
    liste.vorhanden = true;
    bool ok = false;
    const QStringList zeilen = klang::readLines(pfad, &ok);
    if (!ok) {
        liste.fehler = fehler::zugriff(pfad);
        return liste;
    }
    const qsizetype ganze = zeilen.size() / 3;
    liste.sender.reserve(ganze);
    for (qsizetype i = 0; i < ganze; ++i)
        liste.sender.append({zeilen.at(3 * i), zeilen.at(3 * i + 1), zeilen.at(3 * i + 2)});
    // Empty lines after the last record (left by editing the file by hand) hold nothing: they
    // are no record and are not kept.
    const QStringList rest = zeilen.mid(3 * ganze);
    const bool leer = std::all_of(rest.cbegin(), rest.cend(), [](const QString& z) { return z.trimmed().isEmpty(); });
    if (!leer) {
        liste.rest = rest;
        liste.fehler = fehler::dateiende(pfad);
    }
    return liste;
}

QString feldBereinigt(const QString& feld)
{
    // A pasted line break stands between two words: it becomes one blank (CR LF counts once).
    QString text = feld;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

Sender eingabeBereinigt(const Sender& sender)
{
    return {feldBereinigt(sender.gruppe), feldBereinigt(sender.name), feldBereinigt(sender.url).trimmed()};
}

std::optional<QString> adresseUnzulaessig(const QString& url)
{
    const QString adresse = url.trimmed();
    // Any "scheme:" in front counts, with or without "//": the engine reads some schemes without.
    static const QRegularExpression schema(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const auto treffer = schema.match(adresse);
    if (!treffer.hasMatch())
        return std::nullopt; // a local path
    static const QStringList erlaubt{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("rtsp"),
                                     QStringLiteral("rtmp"), QStringLiteral("mms"), QStringLiteral("udp"),
                                     QStringLiteral("rtp"), QStringLiteral("file")};
    const QString name = treffer.captured(1).toLower();
    if (erlaubt.contains(name))
        return std::nullopt;
    return QStringLiteral("Adressen mit „%1:“ sind keine Sender-Adressen. Erlaubt sind http, https, rtsp, rtmp, "
                          "mms, udp, rtp und lokale Dateien.").arg(treffer.captured(1));
}

namespace {

QStringList zeilenVon(const QList<Sender>& sender)
{
    QStringList zeilen;
    zeilen.reserve(sender.size() * 3);
    for (const Sender& s : sender)
        zeilen << feldBereinigt(s.gruppe) << feldBereinigt(s.name) << feldBereinigt(s.url);
    return zeilen;
}

QStringList bereinigt(const QStringList& gruppen)
{
    QStringList zeilen;
    zeilen.reserve(gruppen.size());
    for (const QString& g : gruppen)
        zeilen << feldBereinigt(g);
    return zeilen;
}

} // namespace

bool senderSchreiben(const QString& pfad, const QList<Sender>& sender)
{
    const Senderbestand alt = senderLesen(pfad);
    return klang::writeLines(pfad, zeilenVon(sender) + alt.rest, klang::LineFormat::Windows1252Crlf);
}

bool senderAnhaengen(const QString& pfad, const Sender& sender)
{
    bool ok = true;
    const QStringList zeilen = QFileInfo::exists(pfad) ? klang::readLines(pfad, &ok) : QStringList();
    if (!ok)
        return false; // never rewrite what could not be read
    if (zeilen.size() % 3 == 0)
        return klang::appendLines(pfad, zeilenVon({sender}), klang::LineFormat::Windows1252Crlf);
    const Senderbestand alt = senderLesen(pfad);
    return klang::writeLines(pfad, zeilenVon(alt.sender + QList<Sender>{sender}) + alt.rest,
                             klang::LineFormat::Windows1252Crlf);
}

QStringList gruppenLesen(const QString& pfad, bool* vorhanden, bool* ok)
{
    *vorhanden = QFileInfo::exists(pfad);
    *ok = true;
    if (!*vorhanden)
        return {};
    return klang::readLines(pfad, ok);
}

bool gruppenSchreiben(const QString& pfad, const QStringList& gruppen)
{
    return klang::writeLines(pfad, bereinigt(gruppen), klang::LineFormat::Windows1252Crlf);
}

bool gruppeAnhaengen(const QString& pfad, const QString& gruppe)
{
    return klang::appendLines(pfad, bereinigt({gruppe}), klang::LineFormat::Windows1252Crlf);
}

} // namespace tv
