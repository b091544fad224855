#include "player/catalogue/detail/CoverStreifenRegeln.h"

#include <QHash>
#include <cmath>

namespace klang::detail {

QString CoverStreifenRegeln::coverName(const BandTitel& zeile)
{
    return zeile.band + QStringLiteral(" - ") + zeile.titel;
}

QString CoverStreifenRegeln::ohneEndung(const QString& dateiname)
{
    const int punkt = dateiname.lastIndexOf(QLatin1Char('.'));
    return punkt < 0 ? dateiname : dateiname.left(punkt);
}

void CoverStreifenRegeln::listeAktuell(const QStringList& dateien, const QList<BandTitel>& zeilen)
{
    m_liste.clear();
    // How many rows carry each name: one look-up per file, not one pass over the rows.
    QHash<QString, int> namen;
    namen.reserve(zeilen.size());
    for (const BandTitel& z : zeilen)
        ++namen[coverName(z)];
    for (const QString& datei : dateien) {
        const QString basis = ohneEndung(datei);
        const int treffer = namen.value(basis);
        for (int k = 0; k < treffer; ++k)
            m_liste << datei;
    }
    begrenzeLetztenSlot();
}

int CoverStreifenRegeln::letzterSlotFuerHoehe(int hoeheTwips, int eintraege)
{
    int letzter = (hoeheTwips - 1900) / 970; // toward zero
    letzter = qMin(letzter, SlotAnzahl - 1);
    if (letzter > eintraege - 1)
        letzter = eintraege - 1;
    return qMax(letzter, -1);
}

void CoverStreifenRegeln::aktualisieren(int hoeheTwips)
{
    m_angefordert = (hoeheTwips - 1900) / 970;
    begrenzeLetztenSlot();
    m_position = m_position - m_letzterSlot - 1;
    down();
}

void CoverStreifenRegeln::setLetzterSlot(int index)
{
    m_angefordert = index;
    begrenzeLetztenSlot();
}

void CoverStreifenRegeln::begrenzeLetztenSlot()
{
    m_letzterSlot = qBound(-1, qMin(m_angefordert, int(m_liste.size()) - 1), SlotAnzahl - 1);
}

void CoverStreifenRegeln::down()
{
    const int anzahl = int(m_liste.size());
    m_position += m_letzterSlot + 1;
    if (m_position + m_letzterSlot > anzahl - 1)
        m_position = anzahl - 1 - m_letzterSlot;
    m_position = qMax(0, m_position);
}

void CoverStreifenRegeln::up()
{
    m_position -= m_letzterSlot + 1;
    if (m_position < 0)
        m_position = 0;
}

bool CoverStreifenRegeln::folgen(const QString& band, const QString& titel)
{
    const QString b = band.trimmed().toLower();
    const QString t = titel.trimmed().toLower();
    if (b.isEmpty() && t.isEmpty())
        return false;
    for (int i = 0; i < m_liste.size(); ++i) {
        const QString e = m_liste.at(i).trimmed().toLower();
        if (e.contains(b) && e.contains(t)) {
            m_position = i - m_letzterSlot - 1;
            down();
            return true;
        }
    }
    return false;
}

QStringList CoverStreifenRegeln::seite() const
{
    QStringList s;
    for (int k = 0; k <= m_letzterSlot; ++k) {
        const int i = m_position + k;
        s << (i >= 0 && i < m_liste.size() ? m_liste.at(i) : QString());
    }
    return s;
}

QString CoverStreifenRegeln::nameInSlot(int slot) const
{
    if (slot < 0 || slot > m_letzterSlot)
        return {};
    const int i = m_position + slot;
    if (i < 0 || i >= m_liste.size())
        return {};
    return ohneEndung(m_liste.at(i));
}

int CoverStreifenRegeln::zeileFuerSlot(int slot, const QList<BandTitel>& zeilen) const
{
    const QString name = nameInSlot(slot);
    if (name.isEmpty())
        return -1;
    for (int r = 0; r < zeilen.size(); ++r)
        if (coverName(zeilen.at(r)) == name)
            return zeilen.at(r).zeile >= 0 ? zeilen.at(r).zeile : r;
    return -1;
}

} // namespace klang::detail
