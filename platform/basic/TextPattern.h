#pragma once

#include <string_view>

namespace platform::basic {

// The Like operator's match: '?' one character, '*' any run, '#' one digit, "[a-cx]" one
// of a list or range, "[!a-c]" one not in it; textCompare ignores the case of letters.
// fileWildcards: only '*' and '?' are special (file names given to Dir).
bool likeMatch(std::string_view text, std::string_view pattern, bool textCompare,
               bool fileWildcards = false);

} // namespace platform::basic
