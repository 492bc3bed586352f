#pragma once

// Small text helpers of the profile and registry code. Names there compare without
// regard to ASCII case; bytes outside ASCII compare exactly.

#include <string>
#include <string_view>

namespace platform::win {

// The text with ASCII letters lower-cased.
std::string foldCase(std::string_view text);

// True when both texts are equal without regard to ASCII case.
bool equalsNoCase(std::string_view a, std::string_view b);

// Negative, zero or positive as a sorts before, with or after b without regard to case.
int compareNoCase(std::string_view a, std::string_view b);

// The text without leading and trailing blanks (space, tab, CR, LF, VT, FF).
std::string_view trimBlanks(std::string_view text);

} // namespace platform::win
