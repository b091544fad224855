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

} // namespace klang::jet
