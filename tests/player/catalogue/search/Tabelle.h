#pragma once

// A table of rows made in the test, as the searches read the catalogue grid.

#include "player/catalogue/search/Zeilenquelle.h"

#include <QHash>
#include <QList>
#include <QVariantMap>

namespace klang::test {

class Tabelle : public klang::player::Zeilenquelle
{
public:
    explicit Tabelle(const QStringList& spalten) : m_spalten(spalten) {}
    void zeile(const QVariantMap& werte) { m_zeilen << werte; }

    int zeilenAnzahl() const override { return int(m_zeilen.size()); }
    int spaltenAnzahl() const override { return int(m_spalten.size()); }
    QString kopf(int spalte) const override { return m_spalten.value(spalte); }
    QString text(int zeile, int spalte) const override { return feld(zeile, kopf(spalte)); }
    QString feld(int zeile, const QString& name) const override
    {
        return m_zeilen.value(zeile).value(name).toString();
    }

private:
    QStringList m_spalten;
    QList<QVariantMap> m_zeilen;
};

// Track lists by music folder, without touching the disk.
struct Ordner
{
    QHash<QString, QStringList> dateien;
    klang::player::Trackliste liste() const
    {
        return [this](const QString& pfad) { return dateien.value(pfad); };
    }
};

} // namespace klang::test
