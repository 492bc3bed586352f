#include "app/dialogs/DataExchangeRules.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace app::dialogs {

namespace {

bool exchangeIsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads blanks, a sign and digits from text at pos; nothing when no digit follows.
std::optional<long long> leadingDigits(std::string_view text, size_t& pos)
{
    while (pos < text.size() && exchangeIsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
        return std::nullopt;
    // Accumulated as a negative number, whose range is one larger.
    constexpr long long kMin = std::numeric_limits<long long>::min();
    long long value = 0;
    bool saturated = false;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        const int digit = text[pos] - '0';
        if (saturated)
            continue;
        if (value < (kMin + digit) / 10) {
            saturated = true;
            value = kMin;
            continue;
        }
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == kMin ? std::numeric_limits<long long>::max() : -value;
}

} // namespace

long long readInteger(std::string_view text)
{
    size_t pos = 0;
    return leadingDigits(text, pos).value_or(0);
}

double readDouble(std::string_view text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const std::string copy(text);
    const double value = strtod_l(copy.c_str(), nullptr, cLocale);
    // "nan", "inf" and numbers beyond the double range are no value a dialog can use.
    return std::isfinite(value) ? value : 0.0;
}

std::optional<long long> parseInteger(std::string_view text)
{
    size_t pos = 0;
    const std::optional<long long> value = leadingDigits(text, pos);
    if (!value)
        return std::nullopt;
    while (pos < text.size() && exchangeIsBlank(text[pos]))
        ++pos;
    return pos == text.size() ? value : std::nullopt;
}

std::string integerMessage()
{
    return "Enter a whole number.";
}

std::string rangeMessage(const ValueRange& range)
{
    char text[96];
    std::snprintf(text, sizeof text, "Enter a whole number from %lld to %lld.", range.minimum,
                  range.maximum);
    return text;
}

} // namespace app::dialogs
