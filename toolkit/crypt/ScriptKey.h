#pragma once

#include <array>
#include <cstdint>

namespace toolkit::crypt {

// The key length the program enciphers script files with ("_ENCRPT" scripts).
constexpr int kScriptKeyBits = 96;

// The program's default 96-byte key, built at run time. With the program's key length only
// its first 12 bytes take effect; they are not all zero, so the key is usable.
std::array<std::uint8_t, 96> scriptKey();

} // namespace toolkit::crypt
