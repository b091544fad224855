#include "player/catalogue/search/Zeilenquelle.h"

#include "platform/jet/Recordset.h"
#include "platform/jet/Schema.h"
#include "platform/richtext/PlainTextSearch.h"
#include "platform/richtext/Rtf.h"

#include <QDir>

#include <algorithm>
#include <cstring>

namespace klang::player {

int Zeilenquelle::spalteMitKopf(const QString& kopfText) const
{
    for (int c = 0; c < spaltenAnzahl(); ++c) {
        if (kopf(c) == kopfText)
            return c;
    }
    return -1;
}

int Zeilenquelle::ersteSpalteMit(int zeile, const QString& s) const
{
    const int spalten = spaltenAnzahl();
    for (int c = 0; c < spalten; ++c) {
        if (sichtbarerText(zeile, c).contains(s, Qt::CaseInsensitive))
            return c;
    }
    return -1;
}

QList<int> Zeilenquelle::zeilenMit(const QString& s, int ab) const
{
    QList<int> zeilen;
    for (int z = qMax(0, ab); z < zeilenAnzahl(); ++z) {
        if (ersteSpalteMit(z, s) >= 0)
            zeilen << z;
    }
    return zeilen;
}

QString Zeilenquelle::sichtbar(const QString& feld, const QString& wert)
{
    if (jet::schema::isRichTextField(feld) && richtext::isRtf(wert))
        return richtext::rtfToPlainText(wert);
    return wert;
}

QString Zeilenquelle::sichtbarerText(int zeile, int spalte) const
{
    return sichtbar(kopf(spalte), text(zeile, spalte));
}

QString Zeilenquelle::sichtbaresFeld(int zeile, const QString& name) const
{
    return sichtbar(name, feld(zeile, name));
}

RecordsetZeilen::RecordsetZeilen(const jet::Recordset& rs, const QStringList& spalten)
    : m_rs(rs)
{
    if (spalten.isEmpty()) {
        for (const QString& f : rs.fieldNames()) {
            if (f.compare(jet::schema::kPictureField, Qt::CaseInsensitive) != 0)
                m_spalten << f;
        }
    } else {
        m_spalten = spalten;
    }
}

int RecordsetZeilen::zeilenAnzahl() const
{
    return m_rs.recordCount();
}

QString RecordsetZeilen::kopf(int spalte) const
{
    return (spalte >= 0 && spalte < m_spalten.size()) ? m_spalten.at(spalte) : QString();
}

QString RecordsetZeilen::text(int zeile, int spalte) const
{
    if (spalte < 0 || spalte >= m_spalten.size() || zeile < 0 || zeile >= m_rs.recordCount())
        return QString();
    return m_rs.value(zeile, m_spalten.at(spalte));
}

QString RecordsetZeilen::feld(int zeile, const QString& name) const
{
    if (zeile < 0 || zeile >= m_rs.recordCount())
        return QString();
    return m_rs.value(zeile, name);
}

namespace {

// A Jet LIKE pattern that finds the text anywhere: its wildcard characters stand for
// themselves inside brackets.
QString enthaeltMuster(const QString& s)
{
    QString muster = QStringLiteral("*");
    for (const QChar c : s) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[')
            muster += QLatin1Char('[') + c + QLatin1Char(']');
        else
            muster += c;
    }
    return muster + QLatin1Char('*');
}

int hexWert(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Whether the plain text of a stored value (rich text or not) can hold a text made of ASCII
// letters and digits only (`zeichen`, lower case), read from the stored bytes without decoding
// them. Such characters reach the plain text only as themselves or as \'hh escapes; \u escapes,
// list numbering (\pn..) and bytes beyond ASCII may give anything and leave it to the decoder.
// A value that lacks one of the characters in every form cannot hold the text.
bool kannEnthalten(QByteArrayView roh, const QByteArray& zeichen)
{
    const char* p = roh.data();
    const std::size_t n = std::size_t(roh.size());
    const auto gross = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    const auto alsSelbst = [&](char c) { return std::memchr(p, c, n) || (gross(c) != c && std::memchr(p, gross(c), n)); };
    // Most values hold every character as itself, or plainly lack one: a search for each byte
    // settles that far faster than looking at every byte.
    if (std::all_of(zeichen.begin(), zeichen.end(), alsSelbst))
        return true;
    unsigned char oder = 0;
    for (std::size_t i = 0; i < n; ++i)
        oder |= static_cast<unsigned char>(p[i]);
    if (oder >= 0x80)
        return true;
    bool escape[128] = {};
    for (const char* b = static_cast<const char*>(std::memchr(p, '\\', n)); b;
         b = static_cast<const char*>(std::memchr(b + 1, '\\', n - std::size_t(b + 1 - p)))) {
        const std::size_t i = std::size_t(b - p);
        if (i + 2 >= n)
            break;
        const char weiter = p[i + 1];
        if (weiter == '\'' && i + 3 < n) {
            const int hoch = hexWert(p[i + 2]);
            const int tief = hexWert(p[i + 3]);
            if (hoch >= 0 && tief >= 0 && hoch < 8)
                escape[hoch * 16 + tief] = true;
        } else if (weiter == 'u' && ((p[i + 2] >= '0' && p[i + 2] <= '9') || p[i + 2] == '-')) {
            return true;
        } else if (weiter == 'p' && p[i + 2] == 'n') {
            return true;
        }
    }
    return std::all_of(zeichen.begin(), zeichen.end(), [&](char c) {
        return escape[int(c)] || escape[int(gross(c))] || alsSelbst(c);
    });
}

QString bezeichner(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace

QList<int> RecordsetZeilen::zeilenMit(const QString& s, int ab) const
{
    const int n = zeilenAnzahl();
    ab = qMax(0, ab);
    if (ab >= n || s.isEmpty())
        return {};
    // One statement over the table, run on parts of it by all cores: plain fields are searched
    // by the engine's LIKE (which compares without regard to case, as the quick search does);
    // the rich-text fields of the rows that hold nothing there come along in blocks and are
    // checked by the plain text the user reads. Nothing of the whole table is kept: a million
    // records once cost gigabytes here.
    QStringList einfach;
    QStringList reich;
    for (const QString& f : m_spalten) {
        if (m_rs.fieldIndex(f) < 0)
            continue;
        (jet::schema::isRichTextField(f) ? reich : einfach) << f;
    }
    QStringList bedingung;
    for (const QString& f : std::as_const(einfach))
        bedingung << bezeichner(f) + QStringLiteral(" LIKE ?1");
    const richtext::PlainTextSearch muster(s);
    const int felder = int(reich.size());
    // A text of ASCII letters and digits: values that cannot hold it are not decoded.
    QByteArray zeichen;
    for (const QChar c : s) {
        const char16_t u = c.toLower().unicode();
        if (!((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9'))) {
            zeichen.clear();
            break;
        }
        if (!zeichen.contains(char(u)))
            zeichen += char(u);
    }
    // Each row as it is read, on the engine's bytes of its values.
    const auto haelt = [&](const QByteArrayView* werte) {
        for (int f = 0; f < felder; ++f) {
            const QByteArrayView roh = werte[f];
            // A plain text is never longer than the field it comes from (in UTF-8 bytes, too).
            if (roh.size() < s.size() || (!zeichen.isEmpty() && !kannEnthalten(roh, zeichen)))
                continue;
            if (muster.foundIn(QString::fromUtf8(roh)))
                return true;
        }
        return false;
    };
    const auto gefunden = m_rs.scanParallel(bedingung.join(QStringLiteral(" OR ")), {enthaeltMuster(s)}, reich, haelt);
    if (!gefunden)
        return Zeilenquelle::zeilenMit(s, ab);
    return m_rs.positionsOfRowIds(*gefunden, ab);
}

QStringList trackDateien(const QString& musikpfad)
{
    if (musikpfad.size() < 2)
        return {};
    if (!musikpfad.endsWith(QLatin1Char('/')) && !musikpfad.endsWith(QLatin1Char('\\')))
        return {};
    QDir ordner(musikpfad);
    if (!ordner.exists())
        return {};
    return ordner.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

} // namespace klang::player
