#include "toolkit/crypt/Utf8.h"

#include <cstdint>

namespace toolkit::crypt {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void append(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = kReplacement;
    }
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The length a lead byte announces, 0 for a byte that cannot start a sequence.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

} // namespace

std::string wideToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        append(out, static_cast<char32_t>(static_cast<std::uint32_t>(c)));
    }
    return out;
}

std::wstring utf8ToWide(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = sequenceLength(lead);
        if (length == 1) {
            out.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        bool valid = length != 0 && i + static_cast<std::size_t>(length) <= text.size();
        char32_t c = 0;
        if (valid) {
            c = lead & (0x7F >> length);
            for (int k = 1; k < length && valid; ++k) {
                const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
                valid = (next & 0xC0) == 0x80;
                c = (c << 6) | (next & 0x3F);
            }
            // Overlong forms, surrogates and values past U+10FFFF are malformed.
            const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
            valid = valid && c >= minimum[length] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        }
        if (valid) {
            out.push_back(static_cast<wchar_t>(c));
            i += static_cast<std::size_t>(length);
        } else {
            out.push_back(static_cast<wchar_t>(kReplacement));
            ++i;
        }
    }
    return out;
}

std::size_t incompleteUtf8Tail(std::string_view text)
{
    // A sequence is at most 4 bytes: look back over up to 3 continuation bytes for its lead.
    for (std::size_t back = 1; back <= 4 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;
        }
        const int length = sequenceLength(byte);
        return length > static_cast<int>(back) ? back : 0;
    }
    return 0;
}

} // namespace toolkit::crypt
