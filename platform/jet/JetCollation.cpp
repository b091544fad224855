#include "platform/jet/JetCollation.h"

#include "platform/jet/JetLike.h"
#include "platform/jet/Utf.h"

#include <QChar>
#include <algorithm>
#include <array>

namespace klang::jet {

namespace {

// The sort letters of one code point: lower case without accents; ß, æ, œ expand to two.
struct Primary
{
    char32_t a = 0;
    char32_t b = 0; // second letter of an expansion, else 0
};

Primary computePrimary(char32_t c)
{
    if (c < 0x80)
        return {(c >= 'A' && c <= 'Z') ? c + 32 : c, 0};
    switch (c) {
    case 0xDF: case 0x1E9E: return {'s', 's'};
    case 0xC6: case 0xE6: return {'a', 'e'};
    case 0x152: case 0x153: return {'o', 'e'};
    case 0xD8: case 0xF8: return {'o', 0};
    case 0x110: case 0x111: return {'d', 0};
    case 0x141: case 0x142: return {'l', 0};
    default: break;
    }
    char32_t folded = foldCase(c);
    // Strip accents: the first letter of the canonical decomposition.
    for (int guard = 0; guard < 4; ++guard) {
        if (QChar::decompositionTag(folded) != QChar::Canonical)
            break;
        const QString dec = QChar::decomposition(folded);
        if (dec.isEmpty())
            break;
        const char32_t base = dec.at(0).isHighSurrogate() && dec.size() > 1
                                  ? QChar::surrogateToUcs4(dec.at(0), dec.at(1))
                                  : dec.at(0).unicode();
        folded = foldCase(base);
    }
    return {folded, 0};
}

// Latin letters are looked up in a table built once; everything else is computed.
std::array<Primary, 0x250> makePrimaryTable()
{
    std::array<Primary, 0x250> t{};
    for (char32_t c = 0; c < 0x250; ++c)
        t[c] = computePrimary(c);
    return t;
}

const std::array<Primary, 0x250> s_primaryTable = makePrimaryTable();

inline Primary primaryOf(char32_t c)
{
    if (c < 0x250)
        return s_primaryTable[c];
    return computePrimary(c);
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// A stream of primary letters over a code point cursor.
template<typename Cursor>
struct PrimaryStream
{
    Cursor cur;
    char32_t pending = 0;

    bool atEnd() const { return pending == 0 && cur.atEnd(); }
    char32_t next()
    {
        if (pending) {
            const char32_t p = pending;
            pending = 0;
            return p;
        }
        const Primary p = primaryOf(cur.next());
        pending = p.b;
        return p.a;
    }
};

template<typename Cursor>
int compareCursors(Cursor a, Cursor b)
{
    // Level 1: letters without case and accents.
    {
        PrimaryStream<Cursor> pa{a};
        PrimaryStream<Cursor> pb{b};
        for (;;) {
            const bool ea = pa.atEnd();
            const bool eb = pb.atEnd();
            if (ea || eb)
                return (ea && eb) ? 0 : (ea ? -1 : 1);
            const char32_t ca = pa.next();
            const char32_t cb = pb.next();
            if (ca != cb) {
                if (ca < cb)
                    return -1;
                return 1;
            }
        }
    }
}

template<typename Cursor>
int compareSecondary(Cursor a, Cursor b)
{
    // Level 2: accents count, case does not.
    for (;;) {
        const bool ea = a.atEnd();
        const bool eb = b.atEnd();
        if (ea || eb)
            return (ea && eb) ? 0 : (ea ? -1 : 1);
        const char32_t ca = foldCase(a.next());
        const char32_t cb = foldCase(b.next());
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
}

template<typename Cursor>
int compareFull(Cursor a, Cursor b)
{
    const int primary = compareCursors(a, b);
    if (primary != 0)
        return primary;
    return compareSecondary(a, b);
}

} // namespace

int jetCompare(QStringView a, QStringView b)
{
    return compareFull(detail::Utf16Cursor{a}, detail::Utf16Cursor{b});
}

int jetCompareUtf8(std::string_view a, std::string_view b)
{
    // Fast path over the common ASCII part: one byte is one sort letter there, on both levels.
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i < n; ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if ((ca | cb) & 0x80)
            break;
        if (ca >= 'A' && ca <= 'Z')
            ca += 32;
        if (cb >= 'A' && cb <= 'Z')
            cb += 32;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i == n) // every further character yields at least one sort letter
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    return compareFull(detail::Utf8Cursor{a.substr(i)}, detail::Utf8Cursor{b.substr(i)});
}

void appendSortKey(std::string& out, std::string_view utf8)
{
    // Level 1 (letters without case and accents), a 0 byte, level 2 (letters without case).
    // UTF-8 keeps code point order under a bytewise comparison.
    const std::size_t start = out.size();
    bool ascii = true;
    for (const char ch : utf8) {
        auto c = static_cast<unsigned char>(ch);
        if (c & 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        out.reserve(start + 2 * utf8.size() + 1);
        for (const char ch : utf8)
            out += (ch >= 'A' && ch <= 'Z') ? char(ch + 32) : ch;
        out += '\0';
        out.append(out, start, utf8.size());
        return;
    }
    detail::Utf8Cursor primary{utf8};
    while (!primary.atEnd()) {
        const Primary p = primaryOf(primary.next());
        appendUtf8(out, p.a);
        if (p.b)
            appendUtf8(out, p.b);
    }
    out += '\0';
    detail::Utf8Cursor secondary{utf8};
    while (!secondary.atEnd())
        appendUtf8(out, foldCase(secondary.next()));
}

} // namespace klang::jet
