#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace toolkit::crypt {

// Wide text (UTF-32 on Linux) to UTF-8; characters that are no Unicode scalar value become
// U+FFFD.
std::string wideToUtf8(std::wstring_view text);

// UTF-8 to wide text; malformed sequences become U+FFFD.
std::wstring utf8ToWide(std::string_view text);

// The number of bytes at the end of `text` that begin a UTF-8 sequence it does not finish.
std::size_t incompleteUtf8Tail(std::string_view text);

} // namespace toolkit::crypt
