#pragma once

// The language runtime's value semantics that stored data and settings rely on.

#include <QColor>
#include <QString>
#include <QtGlobal>

namespace klang::vb {

// Val(): the leading number of a text ("12abc" -> 12, " 3.5" -> 3.5, "&H1F" -> 31,
// "abc" -> 0). Blanks inside the number are skipped as the runtime does; the decimal
// separator is always "." whatever the locale.
double Val(const QString& text);

// Banker's rounding to a whole number (CInt/CLng/Round without digits): 2.5 -> 2, 3.5 -> 4.
qint64 roundHalfEven(double value);
// Round(value, digits) with half-even rounding.
double roundHalfEven(double value, int digits);

// Str(): a number as text with a leading blank for non-negative values (" 5", "-5", " 2.5").
QString Str(double value);

// A colour literal &H00BBGGRR (the runtime stores blue in the high byte).
QColor colorFromBgr(quint32 bgr);
quint32 bgrFromColor(const QColor& color);

// Twips and pixels: 15 twips per logical pixel; conversions truncate toward zero.
constexpr int TwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) { return twips / TwipsPerPixel; }
constexpr int pixelsToTwips(int pixels) { return pixels * TwipsPerPixel; }

// Shows the wait cursor while it lives; every exit path restores the pointer.
class HourglassGuard
{
public:
    HourglassGuard();
    ~HourglassGuard();
    HourglassGuard(const HourglassGuard&) = delete;
    HourglassGuard& operator=(const HourglassGuard&) = delete;

private:
    bool m_active = false;
};

} // namespace klang::vb
