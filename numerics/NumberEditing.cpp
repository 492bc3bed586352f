#include "numerics/NumberEditing.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace numerics {

namespace {

std::string stars(std::int32_t width)
{
    return std::string(static_cast<std::size_t>(std::max(width, 0)), '*');
}

// text right-justified in width characters, or stars when it is longer.
std::string rightJustify(const std::string& text, std::int32_t width)
{
    if (width < 0 || text.size() > static_cast<std::size_t>(width)) {
        return stars(width);
    }
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// Reads an unsigned decimal number at pos; -1 when there is no digit or it is too large.
std::int32_t readNumber(std::string_view text, std::size_t& pos)
{
    std::int64_t value = 0;
    const std::size_t start = pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        value = value * 10 + (text[pos] - '0');
        if (value > 1000000) {
            return -1;
        }
        ++pos;
    }
    return pos == start ? -1 : static_cast<std::int32_t>(value);
}

// The decimal text of a finite value, correctly rounded (ties to even on the exact binary
// value) and independent of the locale.
std::string decimalText(double value, std::chars_format format, int precision)
{
    char buffer[1100];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("0");
}

// Decimal digits of |value| rounded to the given number of significant digits (at least
// 1) and the exponent of the first one: |value| ~ 0.d1d2... * 10^exponent.
void significantDigits(double magnitude, int count, std::string& digits, int& exponent)
{
    if (magnitude == 0.0) {
        digits.assign(static_cast<std::size_t>(count), '0');
        exponent = 0;
        return;
    }
    const std::string text = decimalText(magnitude, std::chars_format::scientific, count - 1);
    const std::size_t e = text.find('e');
    digits.clear();
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.') {
            digits += text[i];
        }
    }
    exponent = std::atoi(text.c_str() + e + 1) + 1;
}

std::string nonFinite(double value, std::int32_t width)
{
    if (std::isnan(value)) {
        return rightJustify("NaN", width);
    }
    return rightJustify(value > 0 ? "Inf" : "-Inf", width);
}

std::string fixedForm(double value, std::int32_t width, std::int32_t decimals, std::int32_t scale)
{
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    // All digits of |value| * 10^scale rounded to the decimals, without the point.
    std::string all;
    const int places = decimals + scale;
    if (places >= 0 && places <= 360) {
        for (const char c : decimalText(magnitude, std::chars_format::fixed, places)) {
            if (c != '.') {
                all += c;
            }
        }
    } else {
        all = decimalText(magnitude * std::pow(10.0, static_cast<double>(places)),
                          std::chars_format::fixed, 0);
    }
    if (all.size() > 330) {
        return stars(width);
    }
    const auto d = static_cast<std::size_t>(decimals);
    if (all.size() <= d) {
        all.insert(0, d + 1 - all.size(), '0');
    }
    std::string integer = all.substr(0, all.size() - d);
    const std::string fraction = all.substr(all.size() - d);
    const std::size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? "0" : integer.substr(firstNonZero);
    std::string text = (negative ? "-" : "") + integer + "." + fraction;
    if (text.size() > static_cast<std::size_t>(width) && integer == "0") {
        text = (negative ? "-" : "") + std::string(".") + fraction;
    }
    return rightJustify(text, width);
}

std::string editedExponentForm(double value, const EditDescriptor& descriptor, char letter)
{
    const std::int32_t d = descriptor.digits;
    const std::int32_t k = descriptor.scale;
    if (k <= -d || k >= d + 2) {
        return stars(descriptor.width);
    }
    const int count = k > 0 ? d + 1 : d + k;
    std::string digits;
    int exponent = 0;
    significantDigits(std::fabs(value), count, digits, exponent);
    const int shown = value == 0.0 ? 0 : exponent - k;
    std::string mantissa;
    if (k > 0) {
        mantissa = digits.substr(0, static_cast<std::size_t>(k)) + "." +
                   digits.substr(static_cast<std::size_t>(k));
    } else {
        mantissa = "0." + std::string(static_cast<std::size_t>(-k), '0') + digits;
    }
    const int magnitude = std::abs(shown);
    std::string exponentText;
    const char sign = shown < 0 ? '-' : '+';
    if (descriptor.exponent >= 0) {
        const std::string number = std::to_string(magnitude);
        if (number.size() > static_cast<std::size_t>(descriptor.exponent)) {
            return stars(descriptor.width);
        }
        exponentText =
            std::string(1, letter) + sign +
            std::string(static_cast<std::size_t>(descriptor.exponent) - number.size(), '0') +
            number;
    } else if (magnitude <= 99) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%c%c%02d", letter, sign, magnitude);
        exponentText = buffer;
    } else if (magnitude <= 999) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%c%03d", sign, magnitude);
        exponentText = buffer;
    } else {
        return stars(descriptor.width);
    }
    const bool negative = std::signbit(value);
    std::string text = (negative ? "-" : "") + mantissa + exponentText;
    if (text.size() > static_cast<std::size_t>(descriptor.width) && k <= 0) {
        text = (negative ? "-" : "") + mantissa.substr(1) + exponentText;
    }
    return rightJustify(text, descriptor.width);
}

std::string generalForm(double value, const EditDescriptor& descriptor)
{
    const std::int32_t d = descriptor.digits;
    const std::int32_t blanks = descriptor.exponent >= 0 ? descriptor.exponent + 2 : 4;
    const std::string trailing(static_cast<std::size_t>(std::max(blanks, 0)), ' ');
    if (value == 0.0) {
        if (d < 1) {
            return editedExponentForm(value, descriptor, 'E');
        }
        return fixedForm(value, descriptor.width - blanks, d - 1, 0) + trailing;
    }
    std::string digits;
    int exponent = 0;
    significantDigits(std::fabs(value), std::max(d, 1), digits, exponent);
    if (d >= 1 && exponent >= 0 && exponent <= d) {
        return fixedForm(value, descriptor.width - blanks, d - exponent, 0) + trailing;
    }
    return editedExponentForm(value, descriptor, 'E');
}

} // namespace

std::optional<EditDescriptor> parseEditDescriptor(std::string_view text)
{
    std::string packed;
    for (const char c : text) {
        if (c != ' ') {
            packed += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    if (packed.size() >= 2 && packed.front() == '(' && packed.back() == ')') {
        packed = packed.substr(1, packed.size() - 2);
    }
    EditDescriptor descriptor;
    std::size_t pos = 0;
    // Optional scale factor: a signed number followed by P.
    if (const std::size_t p = packed.find('P'); p != std::string::npos) {
        std::size_t q = 0;
        bool negative = false;
        if (q < p && (packed[q] == '-' || packed[q] == '+')) {
            negative = packed[q] == '-';
            ++q;
        }
        const std::int32_t scale = readNumber(packed, q);
        if (scale < 0 || q != p) {
            return std::nullopt;
        }
        descriptor.scale = negative ? -scale : scale;
        pos = p + 1;
    }
    if (pos >= packed.size()) {
        return std::nullopt;
    }
    descriptor.letter = packed[pos++];
    if (std::string_view("FEDGI").find(descriptor.letter) == std::string_view::npos) {
        return std::nullopt;
    }
    descriptor.width = readNumber(packed, pos);
    if (descriptor.width < 1) {
        return std::nullopt;
    }
    if (pos < packed.size() && packed[pos] == '.') {
        ++pos;
        descriptor.digits = readNumber(packed, pos);
        if (descriptor.digits < 0) {
            return std::nullopt;
        }
    }
    if (pos < packed.size() && packed[pos] == 'E' &&
        (descriptor.letter == 'E' || descriptor.letter == 'G')) {
        ++pos;
        descriptor.exponent = readNumber(packed, pos);
        if (descriptor.exponent < 1) {
            return std::nullopt;
        }
    }
    if (pos != packed.size() || (descriptor.letter != 'I' && descriptor.digits < 0)) {
        return std::nullopt;
    }
    return descriptor;
}

std::string editReal(double value, const EditDescriptor& descriptor)
{
    if (!std::isfinite(value)) {
        return nonFinite(value, descriptor.width);
    }
    switch (descriptor.letter) {
    case 'F':
        return fixedForm(value, descriptor.width, std::max(descriptor.digits, 0), descriptor.scale);
    case 'E':
    case 'D':
        return editedExponentForm(value, descriptor, descriptor.letter);
    case 'G':
        return generalForm(value, descriptor);
    case 'I':
        return editInteger(static_cast<std::int64_t>(value), descriptor);
    default:
        return stars(descriptor.width);
    }
}

std::string editInteger(std::int64_t value, const EditDescriptor& descriptor)
{
    if (descriptor.digits == 0 && value == 0) {
        return std::string(static_cast<std::size_t>(std::max(descriptor.width, 0)), ' ');
    }
    const std::uint64_t magnitude = value < 0 ? static_cast<std::uint64_t>(-(value + 1)) + 1
                                              : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    if (descriptor.digits > 0 && digits.size() < static_cast<std::size_t>(descriptor.digits)) {
        digits.insert(0, static_cast<std::size_t>(descriptor.digits) - digits.size(), '0');
    }
    return rightJustify((value < 0 ? "-" : "") + digits, descriptor.width);
}

} // namespace numerics
