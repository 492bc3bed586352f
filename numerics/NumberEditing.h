#pragma once

// Writing one number under a Fortran-style edit descriptor (F, E, D, G with a scale
// factor, I with a minimum digit count) into a field of its width: right-justified, the
// field filled with "*" when the number does not fit. Rounding is to nearest with ties to
// even on the exact binary value. Pure functions without state.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace numerics {

struct EditDescriptor
{
    char letter = 'F';          // F, E, D, G or I (upper case)
    std::int32_t scale = 0;     // the kP scale factor
    std::int32_t width = 0;     // w
    std::int32_t digits = -1;   // d (or m for I); -1 when absent
    std::int32_t exponent = -1; // e of Ew.dEe; -1 when absent
};

// Reads one descriptor such as "(1PD10. 3)", "F8.3", "i5.2" or "G10.3E3": blanks and the
// enclosing parentheses are ignored, letters may be of either case. Repeat counts are not
// accepted. Empty when the text is not one of these descriptors.
std::optional<EditDescriptor> parseEditDescriptor(std::string_view text);

// The field of exactly descriptor.width characters for a real value (F, E, D or G). NaN
// and infinities give "NaN", "Inf" or "-Inf" right-justified (or "*" when they do not fit).
std::string editReal(double value, const EditDescriptor& descriptor);

// The field of exactly descriptor.width characters for an integer value (I).
std::string editInteger(std::int64_t value, const EditDescriptor& descriptor);

} // namespace numerics
