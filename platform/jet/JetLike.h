#pragma once

// The LIKE operator of the Jet dialect, which every catalogue connection uses in place of
// SQLite's own like():
//   *        any run of characters (also none)
//   ?        exactly one character
//   #        exactly one digit 0-9
//   [abc]    one of the listed characters; [a-z] a range; [!x] or [!a-c] anything but those
//   [*] [?] [#] [[]   the character itself
// Every other character, including %, _ and the backslash, stands for itself. The comparison
// ignores case, umlauts included (Ä matches ä). A malformed bracket (no closing ]) matches
// the "[" literally, so user text never makes a statement fail.

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>
#include <vector>

namespace klang::jet {

// A compiled pattern; matching is linear-time per attempt and never recurses deeply.
class LikePattern
{
public:
    explicit LikePattern(QStringView pattern);
    bool matches(QStringView text) const;
    // UTF-8 input (as SQLite hands it over); invalid bytes count as one character each.
    bool matchesUtf8(std::string_view text) const;

    struct Item
    {
        enum Kind { Literal, AnyOne, AnyRun, Digit, Set } kind = Literal;
        char32_t ch = 0;                                 // Literal, folded
        std::vector<std::pair<char32_t, char32_t>> ranges; // Set, folded
        bool negated = false;                            // Set
    };

private:
    template<typename Source>
    bool matchSource(Source text) const;

    std::vector<Item> m_items;
    // "*text*" with plain ASCII text and "?" (the common searches, also the umlaut patterns of
    // rich-text fields): searched bytewise in ASCII texts; "?" is kept as a 0 byte.
    std::string m_asciiNeedle;
};

// One-off convenience: does text match the Jet pattern?
bool jetLike(QStringView text, QStringView pattern);

// Simple case folding of one code point as the matcher and the collation use it.
char32_t foldCase(char32_t c);

} // namespace klang::jet
