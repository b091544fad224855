#pragma once

// The player's settings: application "KlangtruhePlayer", section "Options", string values.

#include "player/catalogue/Fensterlayout.h"

#include <QList>
#include <QPair>
#include <QString>

namespace klang::player {

inline const QString AppName = QStringLiteral("KlangtruhePlayer");
inline const QString Sektion = QStringLiteral("Options");

QString option(const QString& key, const QString& defaultValue = QString());
void setOption(const QString& key, const QString& value);
// Several at once: the file is written once (with its sync to the disk), not once per value.
void setOptions(const QList<QPair<QString, QString>>& values);

// A stored number as the runtime converts it for a property: the whole text must be a
// number; otherwise fallback (the thing it would set stays unchanged).
int zahlOder(const QString& text, int fallback);

// The stored program font size: "10.5" as written now, "10,5" as older versions wrote it in
// the German number format, or a whole number. 0 when the text is no size.
double schriftGroesse(const QString& text);
// A font size as it is stored (no locale: "10.5" reads back the same everywhere).
QString schriftGroesseText(double punkte);

// The main window's stored geometry (twips, outer size) and state.
struct Fenstergeometrie
{
    int state = 0; // 0 normal, 1 minimised, 2 maximised
    int left = 0;
    int top = 0;
    int width = StandardBreiteTwips;
    int height = StandardHoeheTwips;
};
Fenstergeometrie geometrieLesen();

} // namespace klang::player
