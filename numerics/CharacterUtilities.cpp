#include "numerics/CharacterUtilities.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace numerics {

namespace {

char upperChar(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::int32_t find(std::string_view text, std::string_view pattern, bool ignoreCase)
{
    if (pattern.empty() || pattern.size() > text.size()) {
        return 0;
    }
    for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i) {
        bool match = true;
        for (std::size_t j = 0; j < pattern.size() && match; ++j) {
            match = ignoreCase ? upperChar(text[i + j]) == upperChar(pattern[j])
                               : text[i + j] == pattern[j];
        }
        if (match) {
            return static_cast<std::int32_t>(i + 1);
        }
    }
    return 0;
}

} // namespace

void S1COPY(std::string_view source, std::span<char> destination)
{
    const std::size_t copied = std::min(source.size(), destination.size());
    std::copy_n(source.begin(), copied, destination.begin());
    std::fill(destination.begin() + static_cast<std::ptrdiff_t>(copied), destination.end(), ' ');
}

void S1RDIN(std::string_view text, std::int32_t width, std::int32_t& value, std::int32_t& status)
{
    value = 0;
    if (width < 1) {
        status = -1;
        return;
    }
    const std::size_t end = std::min(static_cast<std::size_t>(width), text.size());
    std::size_t i = 0;
    while (i < end && text[i] == ' ') {
        ++i;
    }
    if (i == end) {
        status = 1;
        return;
    }
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t magnitude = 0;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > (negative ? 2147483648LL : 2147483647LL)) {
            status = -2;
            return;
        }
        ++i;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    status = i == end ? 0 : static_cast<std::int32_t>(i + 1);
}

void S1WRIN(std::int32_t value, std::span<char> text, std::int32_t& status)
{
    if (text.empty()) {
        status = -1;
        return;
    }
    const std::string digits = std::to_string(value);
    if (digits.size() > text.size()) {
        status = 1;
        return;
    }
    const std::size_t blanks = text.size() - digits.size();
    std::fill_n(text.begin(), blanks, ' ');
    std::copy(digits.begin(), digits.end(), text.begin() + static_cast<std::ptrdiff_t>(blanks));
    status = 0;
}

std::int32_t S1INDX(std::string_view text, std::string_view pattern)
{
    return find(text, pattern, true);
}

std::int32_t S1INDC(std::string_view text, std::string_view pattern)
{
    return find(text, pattern, false);
}

std::int32_t S1VRFY(std::string_view text, std::string_view set)
{
    if (text.empty() || set.empty()) {
        return 1;
    }
    const std::size_t pos = text.find_first_not_of(set);
    return pos == std::string_view::npos ? 0 : static_cast<std::int32_t>(pos + 1);
}

void S1SUBC(std::string_view source, std::int32_t first, std::int32_t last,
            std::span<char> destination, std::int32_t destFirst, std::int32_t destLast,
            std::int32_t& status)
{
    if (first < 1 || last < first || static_cast<std::size_t>(last) > source.size()) {
        status = -2;
        return;
    }
    if (destFirst < 1 || destLast < destFirst ||
        static_cast<std::size_t>(destLast) > destination.size()) {
        status = -1;
        return;
    }
    const std::int32_t count = last - first + 1;
    const std::int32_t room = destLast - destFirst + 1;
    const std::int32_t copied = std::min(count, room);
    for (std::int32_t k = 0; k < room; ++k) {
        destination[static_cast<std::size_t>(destFirst - 1 + k)] =
            k < copied ? source[static_cast<std::size_t>(first - 1 + k)] : ' ';
    }
    status = count - copied;
}

std::int32_t S1CMPI(std::string_view a, std::string_view b)
{
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(upperChar(i < a.size() ? a[i] : ' '));
        const auto cb = static_cast<unsigned char>(upperChar(i < b.size() ? b[i] : ' '));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return 0;
}

std::int32_t S1UPCH(char c)
{
    return static_cast<unsigned char>(upperChar(c));
}

std::int32_t S1CODE(char c)
{
    return static_cast<unsigned char>(c);
}

char S1CHAR(std::int32_t code)
{
    return (code >= 0 && code <= 255) ? static_cast<char>(code) : '\0';
}

} // namespace numerics
