#include "app/automation/CompactArray.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace app::automation {

namespace {

constexpr char kCompactArrayDigits[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Each character's 6-bit value, or 0xFF for one outside the alphabet.
constexpr std::array<uint8_t, 256> kCompactArrayValues = [] {
    std::array<uint8_t, 256> values{};
    values.fill(0xFF);
    for (uint8_t i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kCompactArrayDigits[i])] = i;
    return values;
}();

uint64_t littleEndianBits(double value)
{
    uint64_t bits = std::bit_cast<uint64_t>(value);
    if constexpr (std::endian::native == std::endian::big)
        bits = __builtin_bswap64(bits);
    return bits;
}

} // namespace

void appendCompactDoubles(std::string& out, std::span<const double> values)
{
    const size_t byteCount = values.size() * 8;
    std::string bytes(byteCount, '\0');
    for (size_t i = 0; i < values.size(); ++i) {
        const uint64_t bits = littleEndianBits(values[i]);
        std::memcpy(bytes.data() + i * 8, &bits, 8);
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t start = out.size();
    out.resize(start + (byteCount + 2) / 3 * 4);
    char* to = out.data() + start;
    size_t i = 0;
    for (; i + 3 <= byteCount; i += 3) {
        const uint32_t v = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8 | data[i + 2];
        to[0] = kCompactArrayDigits[v >> 18];
        to[1] = kCompactArrayDigits[(v >> 12) & 63];
        to[2] = kCompactArrayDigits[(v >> 6) & 63];
        to[3] = kCompactArrayDigits[v & 63];
        to += 4;
    }
    if (i < byteCount) {
        const bool two = i + 1 < byteCount;
        const uint32_t v = uint32_t{data[i]} << 16 | (two ? uint32_t{data[i + 1]} << 8 : 0u);
        to[0] = kCompactArrayDigits[v >> 18];
        to[1] = kCompactArrayDigits[(v >> 12) & 63];
        to[2] = two ? kCompactArrayDigits[(v >> 6) & 63] : '=';
        to[3] = '=';
    }
}

std::optional<std::vector<double>> parseCompactDoubles(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=')
        ++padding;
    const size_t byteCount = text.size() / 4 * 3 - padding;
    if (byteCount % 8 != 0)
        return std::nullopt;
    std::vector<unsigned char> bytes(byteCount + 3);
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const size_t groups = text.size() / 4;
    uint8_t bad = 0;
    for (size_t g = 0; g < groups; ++g) {
        const unsigned char* c = in + g * 4;
        const bool last = g + 1 == groups;
        const uint8_t a = kCompactArrayValues[c[0]];
        const uint8_t b = kCompactArrayValues[c[1]];
        const uint8_t d2 = last && padding >= 2 ? 0 : kCompactArrayValues[c[2]];
        const uint8_t d3 = last && padding >= 1 ? 0 : kCompactArrayValues[c[3]];
        bad |= (a | b | d2 | d3) & 0xC0;
        const uint32_t v = uint32_t{a} << 18 | uint32_t{b} << 12 | uint32_t{d2} << 6 | d3;
        bytes[g * 3] = static_cast<unsigned char>(v >> 16);
        bytes[g * 3 + 1] = static_cast<unsigned char>(v >> 8);
        bytes[g * 3 + 2] = static_cast<unsigned char>(v);
        // Padding leaves no bits behind: the last digit before it carries only zeros.
        if (last && padding == 1 && (d2 & 0x03) != 0)
            return std::nullopt;
        if (last && padding == 2 && (b & 0x0F) != 0)
            return std::nullopt;
    }
    if (bad != 0)
        return std::nullopt;
    std::vector<double> values(byteCount / 8);
    for (size_t i = 0; i < values.size(); ++i) {
        uint64_t bits = 0;
        std::memcpy(&bits, bytes.data() + i * 8, 8);
        if constexpr (std::endian::native == std::endian::big)
            bits = __builtin_bswap64(bits);
        values[i] = std::bit_cast<double>(bits);
    }
    return values;
}

} // namespace app::automation
