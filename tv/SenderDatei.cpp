#include "tv/SenderDatei.h"

#include "platform/shell/Paths.h"
#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/SafeWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QRegularExpression>

#include <algorithm>

#include <cerrno>

namespace tv {

namespace fehler {

Dateifehler dateiende(const QString& pfad)
{
    return {Dateiende, QStringLiteral("Einlesen hinter Dateiende (der letzte Sender in „%1“ ist unvollständig; "
                                      "seine Zeilen bleiben am Ende der Datei erhalten, neue Sender kommen davor)")
                           .arg(pfad)};
}

Dateifehler zugriff(const QString& pfad, const QString& grund)
{
    QString text = QStringLiteral("Fehler beim Zugriff auf Pfad/Datei: %1").arg(pfad);
    if (!grund.isEmpty())
        text += QStringLiteral("\n\n") + grund;
    return {Zugriff, text};
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

namespace {

enum class Kodierung { Ascii, Utf8, Cp1252, Utf16 };

// The file as read: its bytes (for an append that keeps them), how they are encoded and
// their lines.
struct Rohdatei
{
    Zeilenbestand bestand;
    QByteArray bytes;
    Kodierung kodierung = Kodierung::Ascii;
    bool endetMitZeilenende = true;
};

QString lesegrund(int fehlernummer)
{
    switch (fehlernummer) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Die Datei darf nicht gelesen werden (keine Leserechte).");
    case EIO:
        return QStringLiteral("Beim Lesen trat ein Ein-/Ausgabefehler auf (Datenträger beschädigt?).");
    case ENOMEM:
        return QStringLiteral("Für das Lesen der Datei reicht der Speicher nicht.");
    default:
        return QStringLiteral("Die Datei konnte nicht gelesen werden.");
    }
}

QString decodieren(const QByteArray& bytes, Kodierung* kodierung)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        *kodierung = Kodierung::Utf16;
        QStringDecoder utf16(QStringConverter::Utf16); // the mark tells the byte order
        return utf16.decode(bytes);
    }
    const bool marke = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView inhalt = QByteArrayView(bytes).sliced(marke ? 3 : 0);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(inhalt);
    if (!utf8.hasError()) {
        const bool ascii = !marke && std::all_of(inhalt.begin(), inhalt.end(), [](char c) { return uchar(c) < 0x80; });
        *kodierung = ascii ? Kodierung::Ascii : Kodierung::Utf8;
        return text;
    }
    *kodierung = Kodierung::Cp1252;
    return klang::fromCp1252(bytes);
}

Rohdatei rohLesen(const QString& pfad)
{
    Rohdatei roh;
    Zeilenbestand& z = roh.bestand;
    const QFileInfo info(pfad);
    if (!info.exists())
        return roh;
    z.vorhanden = true;
    if (!info.isFile()) {
        z.lesbar = false;
        z.grund = info.isDir() ? QStringLiteral("An der Stelle der Datei liegt ein Ordner.")
                               : QStringLiteral("Das ist keine gewöhnliche Datei.");
        return roh;
    }
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly)) {
        z.lesbar = false;
        z.grund = lesegrund(errno);
        return roh;
    }
    // One read more than the bound tells whether the file goes on past it.
    const qint64 menge = qMin(datei.size(), DateiGrenze) + 1;
    roh.bytes = datei.read(menge);
    if (datei.error() != QFileDevice::NoError) {
        z.lesbar = false;
        z.grund = lesegrund(errno);
        roh.bytes.clear();
        return roh;
    }
    if (roh.bytes.size() > DateiGrenze || !datei.atEnd()) {
        // Whole lines only: what follows the last line ending inside the bound is left out.
        roh.bytes.truncate(DateiGrenze);
        const qsizetype ende = qMax(roh.bytes.lastIndexOf('\n'), roh.bytes.lastIndexOf('\r'));
        roh.bytes.truncate(ende + 1);
        z.kopfNur = true;
        z.teilweise = QStringLiteral("Die Datei „%1“ ist größer als %2 MB und damit keine Senderliste mehr; "
                                     "nur ihr Anfang wurde gelesen.")
                          .arg(pfad).arg(DateiGrenze / (1024 * 1024));
    }
    const QString text = decodieren(roh.bytes, &roh.kodierung);
    roh.endetMitZeilenende = text.isEmpty() || text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'));

    // CR LF, LF and a lone CR all end a line; a final line ending adds no empty line.
    qsizetype lang = 0;
    qsizetype ersteLange = 0;
    qsizetype start = 0;
    const qsizetype n = text.size();
    auto zeileNehmen = [&](qsizetype bis) {
        const qsizetype laenge = bis - start;
        if (laenge > ZeilenGrenze) {
            // Shown cut, kept as the one field it is, so the records after it stay in place.
            z.zeilen.append(text.mid(start, AnzeigeLaenge) + QStringLiteral(" …"));
            if (lang++ == 0)
                ersteLange = z.zeilen.size();
        } else {
            z.zeilen.append(text.mid(start, laenge));
        }
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        zeileNehmen(i);
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        zeileNehmen(n);
    if (lang > 0 && z.teilweise.isEmpty()) {
        z.teilweise = lang == 1
            ? QStringLiteral("Zeile %1 der Datei „%2“ ist länger als %3 Zeichen und wird nur gekürzt angezeigt.")
                  .arg(ersteLange).arg(pfad).arg(ZeilenGrenze)
            : QStringLiteral("%1 Zeilen der Datei „%2“ (die erste ist Zeile %3) sind länger als %4 Zeichen und "
                             "werden nur gekürzt angezeigt.")
                  .arg(lang).arg(pfad).arg(ersteLange).arg(ZeilenGrenze);
    }
    return roh;
}

QString schreibverbot(const QString& teilweise)
{
    return teilweise + QStringLiteral(" Damit nichts verloren geht, wird sie nicht geändert.");
}

Senderbestand senderAus(const Zeilenbestand& z, const QString& pfad)
{
    Senderbestand liste;
    liste.vorhanden = z.vorhanden;
    liste.teilweise = z.teilweise;
    if (!z.vorhanden)
        return liste;
    if (!z.lesbar) {
        liste.fehler = fehler::zugriff(pfad, z.grund);
        return liste;
    }
    const QStringList& zeilen = z.zeilen;
    const qsizetype ganze = zeilen.size() / 3;
    liste.sender.reserve(ganze);
    for (qsizetype i = 0; i < ganze; ++i)
        liste.sender.append({zeilen.at(3 * i), zeilen.at(3 * i + 1), zeilen.at(3 * i + 2)});
    // Empty lines after the last record (left by editing the file by hand) hold nothing: they
    // are no record and are not kept. In a head read up to the bound a part record is only
    // where the reading stopped.
    const QStringList rest = zeilen.mid(3 * ganze);
    const bool leer = std::all_of(rest.cbegin(), rest.cend(), [](const QString& z) { return z.trimmed().isEmpty(); });
    if (!leer && !z.kopfNur) {
        liste.rest = rest;
        liste.fehler = fehler::dateiende(pfad);
    }
    return liste;
}

} // namespace

Zeilenbestand zeilenLesen(const QString& pfad)
{
    return rohLesen(pfad).bestand;
}

Senderbestand senderLesen(const QString& pfad)
{
    return senderAus(zeilenLesen(pfad), pfad);
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

namespace {

// Windows-1252 with CRLF; UTF-8 (still CRLF) when a text has a character Windows-1252 lacks,
// so nothing the user typed is lost.
QByteArray kodieren(const QStringList& zeilen, bool utf8)
{
    QByteArray bytes;
    if (!utf8) {
        QByteArray zeile;
        for (const QString& z : zeilen) {
            if (!klang::toWindows1252(z, &zeile))
                return kodieren(zeilen, true);
            bytes += zeile;
            bytes += "\r\n";
        }
        return bytes;
    }
    for (const QString& z : zeilen) {
        bytes += z.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

bool passtInCp1252(const QStringList& zeilen)
{
    QByteArray bytes;
    return std::all_of(zeilen.cbegin(), zeilen.cend(), [&](const QString& z) { return klang::toWindows1252(z, &bytes); });
}

Schreibergebnis schreiben(const QString& pfad, const QByteArray& bytes)
{
    const klang::WriteResult r = klang::writeFileAtomically(pfad, bytes);
    return {r.ok, r.reason};
}

Schreibergebnis lesefehler(const Zeilenbestand& z)
{
    if (!z.lesbar)
        return {false, z.grund};
    return {false, schreibverbot(z.teilweise)};
}

// Rewrites a line file whole from lines, unless what it holds now was not read whole.
Schreibergebnis zeilenSchreiben(const QString& pfad, const QStringList& zeilen)
{
    const Zeilenbestand z = zeilenLesen(pfad);
    if (!z.lesbar || !z.teilweise.isEmpty())
        return lesefehler(z);
    return schreiben(pfad, kodieren(zeilen, false));
}

// Appends lines to the bytes the file holds, in their encoding. A file that cannot take the
// new lines in its encoding is written anew from its lines (only when they are all of it).
Schreibergebnis zeilenAnhaengen(const QString& pfad, const QStringList& neu)
{
    Rohdatei roh = rohLesen(pfad);
    const Zeilenbestand& z = roh.bestand;
    if (!z.lesbar || z.kopfNur)
        return lesefehler(z);
    if (!z.vorhanden)
        return schreiben(pfad, kodieren(neu, false));
    const bool cp1252 = passtInCp1252(neu);
    QByteArray dazu;
    switch (roh.kodierung) {
    case Kodierung::Ascii: dazu = kodieren(neu, !cp1252); break;
    case Kodierung::Utf8: dazu = kodieren(neu, true); break;
    case Kodierung::Cp1252:
        if (cp1252)
            dazu = kodieren(neu, false);
        break;
    case Kodierung::Utf16: break;
    }
    if (dazu.isEmpty()) {
        if (!z.teilweise.isEmpty())
            return lesefehler(z);
        return schreiben(pfad, kodieren(z.zeilen + neu, !cp1252));
    }
    // A last line without its line ending must not run into the new one.
    if (!roh.endetMitZeilenende)
        roh.bytes += "\r\n";
    return schreiben(pfad, roh.bytes + dazu);
}

} // namespace

Schreibergebnis senderSchreiben(const QString& pfad, const QList<Sender>& sender)
{
    const Zeilenbestand z = zeilenLesen(pfad);
    if (!z.lesbar || !z.teilweise.isEmpty())
        return lesefehler(z);
    return schreiben(pfad, kodieren(zeilenVon(sender) + senderAus(z, pfad).rest, false));
}

Schreibergebnis senderAnhaengen(const QString& pfad, const Sender& sender)
{
    const Zeilenbestand z = zeilenLesen(pfad);
    if (!z.lesbar || z.kopfNur)
        return lesefehler(z);
    if (z.zeilen.size() % 3 == 0)
        return zeilenAnhaengen(pfad, zeilenVon({sender}));
    const Senderbestand alt = senderAus(z, pfad);
    return zeilenSchreiben(pfad, zeilenVon(alt.sender + QList<Sender>{sender}) + alt.rest);
}

QStringList gruppenLesen(const QString& pfad, bool* vorhanden, bool* ok, QString* grund)
{
    const Zeilenbestand z = zeilenLesen(pfad);
    *vorhanden = z.vorhanden;
    *ok = z.lesbar;
    if (grund)
        *grund = z.grund;
    return z.zeilen;
}

Schreibergebnis gruppenSchreiben(const QString& pfad, const QStringList& gruppen)
{
    return zeilenSchreiben(pfad, bereinigt(gruppen));
}

Schreibergebnis gruppeAnhaengen(const QString& pfad, const QString& gruppe)
{
    return zeilenAnhaengen(pfad, bereinigt({gruppe}));
}

} // namespace tv
