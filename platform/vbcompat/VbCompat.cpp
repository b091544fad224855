#include "platform/vbcompat/VbCompat.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

namespace klang::vb {

namespace {

// The runtime ignores blanks, tabs and line feeds anywhere in the number.
bool isIgnorable(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
        || c == QLatin1Char('\r');
}

int digitValue(QChar c, int base)
{
    const ushort u = c.unicode();
    int d = -1;
    if (u >= '0' && u <= '9')
        d = u - '0';
    else if (u >= 'a' && u <= 'f')
        d = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        d = u - 'A' + 10;
    return d >= 0 && d < base ? d : -1;
}

// "&H..." and "&O...": the value is typed like the runtime's literals, so a value that fits in
// 16 bits is an Integer (&HFFFF is -1) and one that fits in 32 bits a Long (&HFFFFFFFF is -1).
double radixValue(const QString& text, qsizetype pos, int base)
{
    quint64 value = 0;
    bool overflow = false;
    for (; pos < text.size(); ++pos) {
        const QChar c = text.at(pos);
        if (isIgnorable(c))
            continue;
        const int d = digitValue(c, base);
        if (d < 0)
            break;
        if (value > (std::numeric_limits<quint64>::max() >> 4))
            overflow = true;
        value = value * quint64(base) + quint64(d);
    }
    if (overflow)
        return 0; // the runtime stops with an overflow error; we never raise
    if (value <= 0xFFFFu)
        return double(qint16(quint16(value)));
    if (value <= 0xFFFFFFFFu)
        return double(qint32(quint32(value)));
    return double(value);
}

} // namespace

double Val(const QString& text)
{
    qsizetype pos = 0;
    while (pos < text.size() && isIgnorable(text.at(pos)))
        ++pos;

    if (pos + 1 < text.size() && text.at(pos) == QLatin1Char('&')) {
        const QChar kind = text.at(pos + 1).toUpper();
        if (kind == QLatin1Char('H'))
            return radixValue(text, pos + 2, 16);
        if (kind == QLatin1Char('O'))
            return radixValue(text, pos + 2, 8);
        return 0;
    }

    // Collect the accepted characters into a plain C number and let from_chars convert it: the
    // result is the nearest double, and no C locale (a German LC_NUMERIC) can change it.
    QByteArray number;
    enum class State { Sign, Mantissa, Fraction, ExpSign, Exponent } state = State::Sign;
    bool haveDigits = false;
    bool haveExpDigits = false;
    qsizetype expStart = -1; // length of `number` before the exponent was begun
    for (; pos < text.size(); ++pos) {
        const QChar c = text.at(pos);
        if (isIgnorable(c))
            continue;
        const ushort u = c.unicode();
        const bool digit = u >= '0' && u <= '9';
        if (state == State::Sign) {
            state = State::Mantissa;
            if (u == '+' || u == '-') {
                number.append(char(u));
                continue;
            }
        }
        if (state == State::Mantissa || state == State::Fraction) {
            if (digit) {
                number.append(char(u));
                haveDigits = true;
                continue;
            }
            if (u == '.' && state == State::Mantissa) {
                number.append('.');
                state = State::Fraction;
                continue;
            }
            if ((u == 'e' || u == 'E' || u == 'd' || u == 'D') && haveDigits) {
                expStart = number.size();
                number.append('e');
                state = State::ExpSign;
                continue;
            }
            break;
        }
        if (state == State::ExpSign) {
            state = State::Exponent;
            if (u == '+' || u == '-') {
                number.append(char(u));
                continue;
            }
        }
        if (state == State::Exponent) {
            if (digit) {
                number.append(char(u));
                haveExpDigits = true;
                continue;
            }
            break;
        }
    }
    if (!haveDigits)
        return 0;
    if (expStart >= 0 && !haveExpDigits)
        number.truncate(expStart); // "1e" and "1e+" are just 1
    const char* begin = number.constData();
    if (*begin == '+')
        ++begin; // from_chars takes no plus sign
    double value = 0;
    const auto [end, error] = std::from_chars(begin, number.constData() + number.size(), value);
    Q_UNUSED(end);
    if (error != std::errc() || !std::isfinite(value))
        return 0; // overflow: the runtime raises an error, we give the neutral value
    return value;
}

qint64 roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double r = std::nearbyint(value); // default rounding mode: to nearest, ties to even
    if (r >= 9.2233720368547758e18)
        return std::numeric_limits<qint64>::max();
    if (r <= -9.2233720368547758e18)
        return std::numeric_limits<qint64>::min();
    return qint64(r);
}

double roundHalfEven(double value, int digits)
{
    if (!std::isfinite(value))
        return value;
    if (digits <= 0)
        return double(std::nearbyint(value));
    if (digits > 15)
        return value;
    const double scale = std::pow(10.0, digits);
    const double scaled = value * scale;
    if (!std::isfinite(scaled))
        return value;
    const double lower = std::floor(scaled);
    const double fraction = scaled - lower;
    // A decimal half such as 2.675 is not exact in binary; treat values within a few units of
    // the last place as the half they were written as.
    const double tolerance = 64 * DBL_EPSILON * std::max(1.0, std::fabs(scaled));
    double rounded;
    if (std::fabs(fraction - 0.5) <= tolerance)
        rounded = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    else
        rounded = std::nearbyint(scaled);
    return rounded / scale;
}

QString Str(double value)
{
    if (std::isnan(value))
        return QStringLiteral(" 0");
    // The runtime shows up to 15 significant digits, switches to an exponent from 1E+15 on and
    // below 1E-4, and leaves out the zero before the decimal point (" .5").
    QString text;
    const double magnitude = std::fabs(value);
    if (value == 0) {
        text = QStringLiteral("0");
    } else if (magnitude >= 1e15 || magnitude < 1e-4 || !std::isfinite(value)) {
        text = QString::number(magnitude, 'E', 14);
        // mantissa: drop trailing zeros of the fraction
        const qsizetype e = text.indexOf(QLatin1Char('E'));
        QString mantissa = text.left(e);
        QString exponent = text.mid(e + 1);
        while (mantissa.endsWith(QLatin1Char('0')))
            mantissa.chop(1);
        if (mantissa.endsWith(QLatin1Char('.')))
            mantissa.chop(1);
        const QChar sign = exponent.at(0);
        QString expDigits = exponent.mid(1);
        while (expDigits.size() > 2 && expDigits.startsWith(QLatin1Char('0')))
            expDigits.remove(0, 1);
        if (expDigits.size() < 2)
            expDigits.prepend(QLatin1Char('0'));
        text = mantissa + QLatin1Char('E') + sign + expDigits;
    } else {
        text = QString::number(magnitude, 'g', 15);
        if (text.contains(QLatin1Char('.'))) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(QLatin1Char('.')))
                text.chop(1);
        }
        if (text.startsWith(QLatin1String("0.")))
            text.remove(0, 1);
    }
    return (value < 0 ? QLatin1Char('-') : QLatin1Char(' ')) + text;
}

QColor colorFromBgr(quint32 bgr)
{
    // &H800000nn are the system colours: their index follows the Windows colour table.
    if ((bgr & 0xFF000000u) == 0x80000000u) {
        const QPalette palette = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
            ? QGuiApplication::palette()
            : QPalette();
        switch (bgr & 0xFFu) {
        case 5: return palette.color(QPalette::Base);              // window background
        case 8: return palette.color(QPalette::Text);              // window text
        case 13: return palette.color(QPalette::Highlight);
        case 14: return palette.color(QPalette::HighlightedText);
        case 17: return palette.color(QPalette::Disabled, QPalette::Text);
        case 18: return palette.color(QPalette::ButtonText);
        case 23: return palette.color(QPalette::ToolTipText);
        case 24: return palette.color(QPalette::ToolTipBase);
        case 15:                                                    // button face
        default: return palette.color(QPalette::Button);
        }
    }
    return QColor(int(bgr & 0xFFu), int((bgr >> 8) & 0xFFu), int((bgr >> 16) & 0xFFu));
}

quint32 bgrFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

HourglassGuard::HourglassGuard()
    : m_active(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
{
    if (m_active)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

HourglassGuard::~HourglassGuard()
{
    if (m_active && QCoreApplication::instance())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace klang::vb
