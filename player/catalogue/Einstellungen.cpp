#include "player/catalogue/Einstellungen.h"

#include "platform/settings/Settings.h"

#include <cmath>

namespace klang::player {

QString option(const QString& key, const QString& defaultValue)
{
    return klang::GetSetting(AppName, Sektion, key, defaultValue);
}

void setOption(const QString& key, const QString& value)
{
    klang::SaveSetting(AppName, Sektion, key, value);
}

void setOptions(const QList<QPair<QString, QString>>& values)
{
    klang::SaveSettings(AppName, Sektion, values);
}

int zahlOder(const QString& text, int fallback)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > 2.0e9)
        return fallback;
    return static_cast<int>(std::lround(v));
}

double schriftGroesse(const QString& text)
{
    bool ok = false;
    const double v = QString(text.trimmed()).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(v) || v <= 0 || v >= 200)
        return 0;
    return v;
}

QString schriftGroesseText(double punkte)
{
    return QString::number(punkte, 'g', 6);
}

Fenstergeometrie geometrieLesen()
{
    Fenstergeometrie g;
    g.state = zahlOder(option(QStringLiteral("WindowState"), QStringLiteral("0")), g.state);
    g.left = zahlOder(option(QStringLiteral("AusgabeboxLeft"), QStringLiteral("0")), g.left);
    g.top = zahlOder(option(QStringLiteral("AusgabeboxTop"), QStringLiteral("0")), g.top);
    g.width = zahlOder(option(QStringLiteral("AusgabeboxWidth"), QString::number(StandardBreiteTwips)), g.width);
    g.height = zahlOder(option(QStringLiteral("AusgabeboxHeight"), QString::number(StandardHoeheTwips)), g.height);
    return g;
}

} // namespace klang::player
