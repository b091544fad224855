#include "platform/jet/JetLike.h"

#include "platform/jet/Utf.h"

#include <QChar>
#include <algorithm>

namespace klang::jet {

char32_t foldCase(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

LikePattern::LikePattern(QStringView pattern)
{
    detail::Utf16Cursor in{pattern};
    std::vector<char32_t> cps;
    while (!in.atEnd())
        cps.push_back(in.next());

    const std::size_t n = cps.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t c = cps[i];
        Item item;
        if (c == '*') {
            if (!m_items.empty() && m_items.back().kind == Item::AnyRun)
                continue; // "**" is one run
            item.kind = Item::AnyRun;
        } else if (c == '?') {
            item.kind = Item::AnyOne;
        } else if (c == '#') {
            item.kind = Item::Digit;
        } else if (c == '[') {
            // Find the closing bracket; the first character of the set may itself be "]".
            std::size_t j = i + 1;
            if (j < n && cps[j] == '!')
                ++j;
            const std::size_t setStart = j;
            if (j < n && cps[j] == ']')
                ++j;
            while (j < n && cps[j] != ']')
                ++j;
            if (j >= n || j == setStart) {
                // No closing bracket or "[]": the bracket stands for itself.
                item.kind = Item::Literal;
                item.ch = '[';
            } else {
                item.kind = Item::Set;
                item.negated = cps[i + 1] == '!';
                for (std::size_t k = setStart; k < j; ++k) {
                    char32_t lo = foldCase(cps[k]);
                    char32_t hi = lo;
                    if (k + 2 < j && cps[k + 1] == '-') {
                        hi = foldCase(cps[k + 2]);
                        if (hi < lo)
                            std::swap(lo, hi);
                        k += 2;
                    }
                    item.ranges.emplace_back(lo, hi);
                }
                i = j;
            }
        } else {
            item.kind = Item::Literal;
            item.ch = foldCase(c);
        }
        m_items.push_back(std::move(item));
    }

    if (m_items.size() >= 3 && m_items.front().kind == Item::AnyRun && m_items.back().kind == Item::AnyRun) {
        std::string needle;
        for (std::size_t k = 1; k + 1 < m_items.size(); ++k) {
            const Item& item = m_items[k];
            if (item.kind == Item::AnyOne) {
                needle += '\0'; // any one character: in an ASCII text any one byte
                continue;
            }
            if (item.kind != Item::Literal || item.ch >= 0x80 || item.ch == 0) {
                needle.clear();
                break;
            }
            needle += char(item.ch);
        }
        m_asciiNeedle = needle;
    }
}

namespace {

bool itemMatches(const LikePattern::Item& item, char32_t folded)
{
    switch (item.kind) {
    case LikePattern::Item::Literal:
        return item.ch == folded;
    case LikePattern::Item::AnyOne:
        return true;
    case LikePattern::Item::Digit:
        return folded >= '0' && folded <= '9';
    case LikePattern::Item::Set: {
        bool in = false;
        for (const auto& [lo, hi] : item.ranges) {
            if (folded >= lo && folded <= hi) {
                in = true;
                break;
            }
        }
        return in != item.negated;
    }
    case LikePattern::Item::AnyRun:
        break;
    }
    return false;
}

} // namespace

// Classic wildcard matching with one backtrack point (the last "*"): linear memory, no
// recursion, worst case O(text x pattern).
template<typename Source>
bool LikePattern::matchSource(Source text) const
{
    const std::size_t n = m_items.size();
    std::size_t p = 0;
    bool haveStar = false;
    std::size_t starItem = 0;
    Source starText = text;

    for (;;) {
        if (text.atEnd()) {
            while (p < n && m_items[p].kind == Item::AnyRun)
                ++p;
            return p == n;
        }
        if (p < n && m_items[p].kind == Item::AnyRun) {
            haveStar = true;
            starItem = ++p;
            starText = text;
            if (p == n)
                return true; // a trailing "*" takes the rest
            continue;
        }
        Source before = text;
        const char32_t c = foldCase(text.next());
        if (p < n && itemMatches(m_items[p], c)) {
            ++p;
            continue;
        }
        text = before;
        if (!haveStar)
            return false;
        // Let the last "*" take one more character and try again from there.
        starText.next();
        text = starText;
        p = starItem;
    }
}

bool LikePattern::matches(QStringView text) const
{
    return matchSource(detail::Utf16Cursor{text});
}

bool LikePattern::matchesUtf8(std::string_view text) const
{
    if (!m_asciiNeedle.empty()) {
        // Only for pure ASCII texts: there one byte is one character and folding is tolower.
        unsigned char high = 0;
        for (const char c : text)
            high |= static_cast<unsigned char>(c);
        if (!(high & 0x80)) {
            const std::size_t m = m_asciiNeedle.size();
            if (text.size() < m)
                return false;
            auto same = [](char t, char n) {
                return n == '\0' || ((t >= 'A' && t <= 'Z') ? char(t + 32) : t) == n;
            };
            for (std::size_t i = 0; i + m <= text.size(); ++i) {
                std::size_t k = 0;
                while (k < m && same(text[i + k], m_asciiNeedle[k]))
                    ++k;
                if (k == m)
                    return true;
            }
            return false;
        }
    }
    return matchSource(detail::Utf8Cursor{text});
}

bool jetLike(QStringView text, QStringView pattern)
{
    return LikePattern(pattern).matches(text);
}

} // namespace klang::jet
