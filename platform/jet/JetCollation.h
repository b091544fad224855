#pragma once

// German, case-insensitive text order, registered as collation "JET" on every catalogue
// connection. Letters sort with their base letter (Ä with A, ß as ss), case is ignored; two
// texts that differ only by accents sort base-form first ("Arzte" before "Ärzte") and are not
// equal, two texts that differ only by case are equal. So "abba" < "Ärzte" < "Zappa" and
// "ABBA" = "abba", as the Jet engine sorts and compares.

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace klang::jet {

inline constexpr const char* kCollationName = "JET";

// <0, 0, >0 like strcmp.
int jetCompare(QStringView a, QStringView b);
int jetCompareUtf8(std::string_view a, std::string_view b);

// Appends the sort key of a UTF-8 text: keys compared bytewise (memcmp, shorter first) give
// exactly jetCompare's order. Lets big views sort without calling the collation per pair.
void appendSortKey(std::string& out, std::string_view utf8);

// The two levels of appendSortKey one at a time, for keys over a bounded part of long texts.
//
// appendLetterKey appends the first level (letters without case and accents, as UTF-8), but
// skips the bytes it shares with `reference` (a letter key of another text) and stops after
// `window` further bytes. So texts with a long common start (rich text behind the same
// header) still get keys that tell them apart, at a bounded cost per text.
struct LetterKey
{
    std::size_t shared = 0;  // bytes of the letter key equal to the reference's start
    std::size_t written = 0; // bytes appended, at most `window`
    bool complete = true;    // false when the letters go on beyond the window
    bool ascii = true;       // no other characters seen (the whole text when complete)
};
LetterKey appendLetterKey(std::string& out, std::string_view utf8, std::string_view reference, std::size_t window);
// The second level: the text without case (accents count), as UTF-8.
void appendCaseKey(std::string& out, std::string_view utf8);

} // namespace klang::jet
