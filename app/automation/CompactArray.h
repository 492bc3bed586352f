#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app::automation {

// The automation protocol's compact form of a by-reference array: the elements as
// little-endian IEEE 754 doubles, 8 bytes each, in base64 (RFC 4648, with padding). Exact,
// and far cheaper to write and read than the numbers as text. No Qt.

// Appends the base64 text of the doubles (without quotes) to out.
void appendCompactDoubles(std::string& out, std::span<const double> values);

// The doubles of a compact text; none when the text is not padded base64 of whole doubles
// (a character outside the alphabet, a wrong length or padding, bits left over).
std::optional<std::vector<double>> parseCompactDoubles(std::string_view text);

} // namespace app::automation
