#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::automation {

// A decimal number as automation keeps it: a 96-bit magnitude, a power of ten to divide it by
// (0 to 28) and a sign, so 28 or 29 significant digits are exact. Results round half to even;
// an operation whose result does not fit answers nothing (overflow).
struct DecimalNumber
{
    uint64_t low = 0;  // the magnitude's low 64 bits
    uint32_t high = 0; // its high 32 bits
    uint8_t scale = 0;
    bool negative = false;

    friend bool operator==(const DecimalNumber&, const DecimalNumber&) = default;
};

// Text read as a decimal ("-12.5", "1E+3", blanks around it); nothing when it is no number or
// too large.
std::optional<DecimalNumber> decimalFromText(std::string_view text);
// A double to its 15 significant digits, as automation converts one; nothing for NaN,
// infinities and magnitudes too large.
std::optional<DecimalNumber> decimalFromDouble(double value);
// An integer exactly, divided by 10^scale (a count of ten-thousandths takes scale 4).
DecimalNumber decimalFromInteger(int64_t value, uint8_t scale = 0);
double decimalToDouble(const DecimalNumber& d);
// Without trailing zeros after the point ("1.5", "-0.001", "12").
std::string decimalText(const DecimalNumber& d);

std::optional<DecimalNumber> decimalAdd(const DecimalNumber& a, const DecimalNumber& b);
std::optional<DecimalNumber> decimalSubtract(const DecimalNumber& a, const DecimalNumber& b);
std::optional<DecimalNumber> decimalMultiply(const DecimalNumber& a, const DecimalNumber& b);
// Nothing on overflow; b must not be zero.
std::optional<DecimalNumber> decimalDivide(const DecimalNumber& a, const DecimalNumber& b);
bool decimalIsZero(const DecimalNumber& d);
// -1, 0 or 1.
int decimalCompare(const DecimalNumber& a, const DecimalNumber& b);

} // namespace platform::automation
