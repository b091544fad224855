#include "player/catalogue/search/Zeilenquelle.h"

#include "platform/jet/Recordset.h"
#include "platform/jet/Schema.h"
#include "platform/richtext/Rtf.h"

#include <QDir>

namespace klang::player {

int Zeilenquelle::spalteMitKopf(const QString& kopfText) const
{
    for (int c = 0; c < spaltenAnzahl(); ++c) {
        if (kopf(c) == kopfText)
            return c;
    }
    return -1;
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
