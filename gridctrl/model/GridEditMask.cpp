#include "gridctrl/model/GridEditMask.h"

#include <vector>

namespace gridctrl::model {

namespace {

constexpr std::string_view kMaskCharacters = "09#L?Aa&C";

bool isDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

// ASCII letters, and every character beyond ASCII (accented and other scripts' letters).
bool isLetter(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
}

bool isPrintable(char32_t c)
{
    return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0);
}

// Splits UTF-8 into code points; a broken sequence yields its bytes one by one.
std::vector<char32_t> decode(std::string_view text)
{
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
            out.push_back(b);
            ++i;
            continue;
        }
        char32_t c = length == 1 ? b : (b & (0x7F >> length));
        bool ok = true;
        for (int k = 1; k < length; ++k) {
            const unsigned char n =
                static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((n & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (n & 0x3F);
        }
        if (!ok) {
            out.push_back(b);
            ++i;
            continue;
        }
        out.push_back(c);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

void append(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string encode(const std::vector<char32_t>& text)
{
    std::string out;
    for (char32_t c : text) {
        append(out, c);
    }
    return out;
}

} // namespace

bool isMaskCharacter(char maskChar)
{
    return kMaskCharacters.find(maskChar) != std::string_view::npos;
}

bool maskAccepts(char maskChar, char32_t c)
{
    switch (maskChar) {
    case '0':
        return isDigit(c);
    case '9':
        return isDigit(c) || c == ' ';
    case '#':
        return isDigit(c) || c == ' ' || c == '+' || c == '-';
    case 'L':
        return isLetter(c);
    case '?':
        return isLetter(c) || c == ' ';
    case 'A':
        return isLetter(c) || isDigit(c);
    case 'a':
        return isLetter(c) || isDigit(c) || c == ' ';
    case '&':
    case 'C':
        return isPrintable(c);
    default:
        return true;
    }
}

std::string maskTemplate(std::string_view mask)
{
    std::string out;
    for (char m : mask) {
        out += isMaskCharacter(m) ? '_' : m;
    }
    return out;
}

MaskTypeResult typeWithMask(std::string_view mask, std::string_view text, int caret, char32_t ch)
{
    std::vector<char32_t> chars = decode(text);
    caret = std::max(0, std::min(caret, static_cast<int>(chars.size())));
    MaskTypeResult result{false, std::string(text), caret};
    auto insert = [&](char32_t c) {
        chars.insert(chars.begin() + caret, c);
        ++caret;
    };
    if (mask.empty() || !isPrintable(ch)) {
        insert(ch);
        return {true, encode(chars), caret};
    }
    const int length = static_cast<int>(mask.size());
    if (caret >= length) {
        return result;
    }
    if (!isMaskCharacter(mask[static_cast<std::size_t>(caret)])) {
        // The literal is typed first and stays typed even when the character is then refused.
        insert(static_cast<unsigned char>(mask[static_cast<std::size_t>(caret)]));
        result.text = encode(chars);
        result.caret = caret;
        if (caret >= length) {
            return result;
        }
    }
    if (!maskAccepts(mask[static_cast<std::size_t>(caret)], ch)) {
        return result;
    }
    insert(ch);
    return {true, encode(chars), caret};
}

std::string getMaskedText(std::string_view mask, std::string_view text)
{
    if (mask.empty()) {
        return std::string(text);
    }
    const std::vector<char32_t> chars = decode(text);
    std::string out;
    std::size_t t = 0;
    for (std::size_t m = 0; m < mask.size() && t < chars.size(); ++m) {
        const char maskChar = mask[m];
        if (!isMaskCharacter(maskChar)) {
            out += maskChar;
            if (chars[t] == static_cast<unsigned char>(maskChar)) {
                ++t; // the text holds the literal already
            }
            continue;
        }
        while (t < chars.size() && !maskAccepts(maskChar, chars[t])) {
            ++t; // a misfit is skipped
        }
        if (t < chars.size()) {
            append(out, chars[t]);
            ++t;
        }
    }
    return out;
}

} // namespace gridctrl::model
