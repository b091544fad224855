#pragma once

// Code point cursors over UTF-8 (as SQLite hands text over) and UTF-16 (QString), shared by the
// pattern matcher and the collation. Invalid UTF-8 bytes count as one character each.

#include <QStringView>
#include <cstddef>
#include <string_view>

namespace klang::jet::detail {

struct Utf8Cursor
{
    std::string_view s;
    std::size_t pos = 0;

    bool atEnd() const { return pos >= s.size(); }
    char32_t next()
    {
        const auto b0 = static_cast<unsigned char>(s[pos]);
        if (b0 < 0x80) {
            ++pos;
            return b0;
        }
        int len = 0;
        char32_t cp = 0;
        if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; }
        else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; }
        else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; }
        else { ++pos; return 0xFFFD; }
        if (pos + len > s.size()) { ++pos; return 0xFFFD; }
        for (int i = 1; i < len; ++i) {
            const auto b = static_cast<unsigned char>(s[pos + i]);
            if ((b & 0xC0) != 0x80) { ++pos; return 0xFFFD; }
            cp = (cp << 6) | (b & 0x3F);
        }
        pos += len;
        return cp;
    }
};

struct Utf16Cursor
{
    QStringView s;
    qsizetype pos = 0;

    bool atEnd() const { return pos >= s.size(); }
    char32_t next()
    {
        const char16_t c = s[pos].unicode();
        ++pos;
        if (QChar::isHighSurrogate(c) && pos < s.size() && QChar::isLowSurrogate(s[pos].unicode())) {
            const char16_t low = s[pos].unicode();
            ++pos;
            return QChar::surrogateToUcs4(c, low);
        }
        return c;
    }
};

} // namespace klang::jet::detail
