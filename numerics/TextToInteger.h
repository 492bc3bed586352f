#pragma once

// Conversion of a text holding a signed decimal integer, with blanks around it, to a
// 32-bit integer.

#include <cstdint>
#include <string_view>

namespace numerics {

// number receives the value; it is 0 after a failure found before any digit was read.
// Failures are TERMINAL: code 1 empty text, 2 a nonnumeric character (with its position),
// 3 too large, 4 blanks only.
void CVTSI(std::string_view text, std::int32_t& number);

} // namespace numerics
