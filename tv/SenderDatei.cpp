#include "tv/SenderDatei.h"

#include "platform/shell/Paths.h"
#include "platform/textfiles/LineFile.h"

#include <QFileInfo>

namespace tv {

namespace fehler {

Dateifehler dateiende(const QString& pfad)
{
    return {Dateiende, QStringLiteral("Einlesen hinter Dateiende (der letzte Sender in „%1“ ist unvollständig)").arg(pfad)};
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
    if (zeilen.size() % 3 != 0)
        liste.fehler = fehler::dateiende(pfad);
    return liste;
}

QString feldBereinigt(const QString& feld)
{
    QString text = feld;
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

Sender eingabeBereinigt(const Sender& sender)
{
    return {feldBereinigt(sender.gruppe), feldBereinigt(sender.name), feldBereinigt(sender.url).trimmed()};
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
    return klang::writeLines(pfad, zeilenVon(sender), klang::LineFormat::Windows1252Crlf);
}

bool senderAnhaengen(const QString& pfad, const Sender& sender)
{
    return klang::appendLines(pfad, zeilenVon({sender}), klang::LineFormat::Windows1252Crlf);
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
