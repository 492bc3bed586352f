#include "platform/automation/Guid.h"

#include <cctype>
#include <cstdio>

namespace platform::automation {

const Guid IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const Guid IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

std::string Guid::toString() const
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(data1), static_cast<unsigned>(data2),
                  static_cast<unsigned>(data3), data4[0], data4[1], data4[2], data4[3], data4[4],
                  data4[5], data4[6], data4[7]);
    return text;
}

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads `digits` hex digits at `pos`; false on any non-hex character.
bool readHex(std::string_view text, size_t pos, int digits, uint64_t& value)
{
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int v = hexValue(text[pos + static_cast<size_t>(i)]);
        if (v < 0) {
            return false;
        }
        value = value * 16 + static_cast<uint64_t>(v);
    }
    return true;
}

} // namespace

std::optional<Guid> Guid::parse(std::string_view text)
{
    // {8-4-4-4-12}: 38 characters with the braces.
    if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' ||
        text[14] != '-' || text[19] != '-' || text[24] != '-') {
        return std::nullopt;
    }
    Guid g;
    uint64_t v = 0;
    if (!readHex(text, 1, 8, v)) {
        return std::nullopt;
    }
    g.data1 = static_cast<uint32_t>(v);
    if (!readHex(text, 10, 4, v)) {
        return std::nullopt;
    }
    g.data2 = static_cast<uint16_t>(v);
    if (!readHex(text, 15, 4, v)) {
        return std::nullopt;
    }
    g.data3 = static_cast<uint16_t>(v);
    const size_t bytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t i = 0; i < 8; ++i) {
        if (!readHex(text, bytePos[i], 2, v)) {
            return std::nullopt;
        }
        g.data4[i] = static_cast<uint8_t>(v);
    }
    return g;
}

Guid harluneGuid(uint16_t data3)
{
    return Guid{0xCC2B8C8C, 0xADB4, data3, {0xB8, 0x38, 0xC4, 0x48, 0xD8, 0xCC, 0x27, 0xC6}};
}

} // namespace platform::automation
