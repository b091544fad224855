#include "player/catalogue/search/Zeilenquelle.h"

#include "platform/jet/Recordset.h"
#include "platform/jet/Schema.h"
#include "platform/richtext/Rtf.h"

#include <QDir>

#include <algorithm>
#include <QStringMatcher>
#include <QtConcurrent/QtConcurrentMap>

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
    // Plain fields are searched by the engine (its LIKE compares without regard to case, as
    // the quick search does); rich-text fields by the plain text the user reads, read in one
    // pass and checked in blocks on all cores. Row by row through the record set this took
    // seconds for a large catalogue.
    QStringList einfach;
    QStringList reich;
    for (const QString& f : m_spalten) {
        if (m_rs.fieldIndex(f) < 0)
            continue;
        (jet::schema::isRichTextField(f) ? reich : einfach) << f;
    }
    QList<int> zeilen;
    if (!einfach.isEmpty()) {
        QStringList bedingung;
        for (const QString& f : std::as_const(einfach))
            bedingung << bezeichner(f) + QStringLiteral(" LIKE ?1");
        const auto treffer = m_rs.positionsWhere(bedingung.join(QStringLiteral(" OR ")), {enthaeltMuster(s)});
        if (!treffer)
            return Zeilenquelle::zeilenMit(s, ab);
        for (int z : *treffer) {
            if (z >= ab)
                zeilen << z;
        }
    }
    if (reich.isEmpty())
        return zeilen;
    const QList<QStringList> werte = m_rs.columnValues(reich);

    const QStringMatcher muster(s, Qt::CaseInsensitive);
    const auto haelt = [&](int zeile) {
        for (const QStringList& spalte : werte) {
            const QString& wert = spalte.at(zeile);
            // A plain text is never longer than the field it comes from.
            if (wert.size() < s.size())
                continue;
            if (muster.indexIn(richtext::isRtf(wert) ? richtext::rtfToPlainText(wert) : wert) >= 0)
                return true;
        }
        return false;
    };
    constexpr int Block = 2048;
    QList<int> bloecke;
    for (int b = ab; b < n; b += Block)
        bloecke << b;
    const QList<QList<int>> teile = QtConcurrent::blockingMapped(bloecke, [&](int beginn) {
        QList<int> treffer;
        for (int z = beginn; z < qMin(n, beginn + Block); ++z) {
            if (haelt(z))
                treffer << z;
        }
        return treffer;
    });
    for (const QList<int>& t : teile)
        zeilen << t;
    std::sort(zeilen.begin(), zeilen.end());
    zeilen.erase(std::unique(zeilen.begin(), zeilen.end()), zeilen.end());
    return zeilen;
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
