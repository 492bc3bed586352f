#include "numerics/FormatChecker.h"

#include "numerics/CharacterUtilities.h"
#include "numerics/ErrorReporting.h"
#include "numerics/TextToInteger.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace numerics {

namespace {

// Upper bound of a field width: the printer places each entry through a 40-character area.
constexpr std::int32_t kMaxFieldWidth = 40;
constexpr std::int32_t kMaxRepeat = 1000000;

struct ItemAnalysis
{
    std::int32_t code = 0; // 0 when the item is sound
    char letter = ' ';
    std::int32_t width = -1;
    std::int32_t repeat = 1;
    bool hasRepeat = false;
    std::string canonical; // "(" scale descriptor ")" without repeat count
};

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// The value of a string of digits, capped so that no overflow occurs.
std::int32_t digitValue(std::string_view text)
{
    std::int64_t value = 0;
    for (const char c : text) {
        value = std::min<std::int64_t>(value * 10 + (c - '0'), 100000000);
    }
    return static_cast<std::int32_t>(value);
}

bool isDescriptorLetter(char c)
{
    return std::string_view("DEFGIVW").find(c) != std::string_view::npos;
}

// Checks one item (blanks removed, upper case) and returns its code and shape.
ItemAnalysis analyseItem(const std::string& item)
{
    ItemAnalysis result;
    std::size_t at = item.find_first_of("VW");
    if (at == std::string::npos) {
        for (std::size_t i = 0; i < item.size(); ++i) {
            const char c = item[i];
            if (std::isalpha(static_cast<unsigned char>(c)) == 0 || c == 'P') {
                continue;
            }
            if (!isDescriptorLetter(c)) {
                result.code = 33;
                return result;
            }
            at = i;
            break;
        }
    }
    if (at == std::string::npos) {
        // Only digits, signs, points or scale factors: no descriptor at all.
        result.code = item.find('P') != std::string::npos ? 15 : 33;
        return result;
    }
    result.letter = item[at];
    const std::string prefix = item.substr(0, at);
    const std::string rest = item.substr(at + 1);

    // Scale factor (signed number and P), then the repeat count.
    std::string scale;
    std::string repeat = prefix;
    if (const std::size_t p = prefix.find('P'); p != std::string::npos) {
        scale = prefix.substr(0, p);
        repeat = prefix.substr(p + 1);
        const std::string_view number = (!scale.empty() && (scale[0] == '-' || scale[0] == '+'))
                                            ? std::string_view(scale).substr(1)
                                            : std::string_view(scale);
        if (!allDigits(number) || digitValue(number) > 99) {
            result.code = 15;
            return result;
        }
    }
    if (!repeat.empty()) {
        if (!allDigits(repeat)) {
            result.code = 8;
            return result;
        }
        result.repeat = digitValue(repeat);
        result.hasRepeat = true;
        if (result.repeat < 1 || result.repeat > kMaxRepeat) {
            result.code = 9;
            return result;
        }
    }

    const std::size_t dot = rest.find('.');
    const std::string widthText = rest.substr(0, dot);
    const std::string afterDot = dot == std::string::npos ? std::string() : rest.substr(dot + 1);
    auto checkWidth = [&](std::int32_t malformed, std::int32_t badValue, std::int32_t low,
                          std::int32_t high) {
        if (widthText.empty()) {
            return malformed;
        }
        if (!allDigits(widthText)) {
            return 11;
        }
        result.width = digitValue(widthText);
        return (result.width < low || result.width > high) ? badValue : 0;
    };

    switch (result.letter) {
    case 'V':
    case 'W': {
        if (dot == std::string::npos) {
            result.code = 10;
        } else if ((result.code = checkWidth(10, 12, 3, kMaxFieldWidth)) != 0) {
        } else if (afterDot.empty()) {
            result.code = 10;
        } else if (!allDigits(afterDot)) {
            result.code = 13;
        } else if (digitValue(afterDot) > result.width - 2) {
            result.code = 14;
        }
        break;
    }
    case 'F': {
        if (dot == std::string::npos) {
            result.code = 16;
        } else if ((result.code = checkWidth(16, 17, 1, kMaxFieldWidth)) != 0) {
        } else if (afterDot.empty()) {
            result.code = 16;
        } else if (!allDigits(afterDot)) {
            result.code = 18;
        } else if (digitValue(afterDot) > result.width - 1) {
            result.code = 19;
        }
        break;
    }
    case 'I': {
        if ((result.code = checkWidth(20, 20, 1, kMaxFieldWidth)) != 0) {
        } else if (dot != std::string::npos &&
                   (!allDigits(afterDot) || digitValue(afterDot) > result.width)) {
            result.code = 21;
        }
        break;
    }
    default: { // D, E, G
        if (dot == std::string::npos) {
            result.code = 22;
            break;
        }
        if ((result.code = checkWidth(22, 23, 1, kMaxFieldWidth)) != 0) {
            break;
        }
        const std::size_t e = afterDot.find('E');
        if (e != std::string::npos && result.letter == 'D') {
            result.code = 22;
            break;
        }
        const std::string fraction = afterDot.substr(0, e);
        if (fraction.empty()) {
            result.code = 26;
        } else if (!allDigits(fraction)) {
            result.code = 18;
        } else if (digitValue(fraction) > result.width - 1) {
            result.code = 26;
        } else if (e != std::string::npos) {
            const std::string exponent = afterDot.substr(e + 1);
            if (!allDigits(exponent)) {
                result.code = 24;
            } else if (const std::int32_t digits = digitValue(exponent); digits < 1 || digits > 9) {
                result.code = 25;
            }
        }
        break;
    }
    }
    if (result.code != 0) {
        result.width = -1;
        return result;
    }
    result.canonical =
        "(" + (scale.empty() ? std::string() : scale + "P") + result.letter + rest + ")";
    return result;
}

// The items of fmt between its outer parentheses, blanks removed; the original case is
// kept. Empty when fmt has no parentheses.
std::vector<std::string> splitItems(std::string_view fmt)
{
    std::string packed;
    for (const char c : fmt) {
        if (c != ' ') {
            packed += c;
        }
    }
    std::vector<std::string> items;
    if (packed.size() < 2 || packed.front() != '(' || packed.back() != ')') {
        return items;
    }
    const std::string inner = packed.substr(1, packed.size() - 2);
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = inner.find(',', start);
        items.push_back(inner.substr(start, comma - start));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return items;
}

std::string upperCased(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

const char* messageOf(std::int32_t code)
{
    switch (code) {
    case 6:
        return "The first non-blank position of FMT must be a left parenthesis.";
    case 7:
        return "The last non-blank position of FMT must be a right parenthesis.";
    case 8:
        return "The following format in FMT contains an invalid character for the repeat "
               "specification: '%(L1)'";
    case 9:
        return "The following format in FMT contains an invalid repeat specification: '%(L1)'";
    case 10:
        return "The following format in FMT contains an invalid V or W format: '%(L1)'";
    case 11:
        return "The following format in FMT contains an invalid character for the field width: "
               "'%(L1)'";
    case 12:
        return "The following format in FMT contains an invalid field width for a V or W format: "
               "'%(L1)'";
    case 13:
        return "The following format in FMT contains an invalid character for the number of "
               "significant digits: '%(L1)'";
    case 14:
        return "The following format in FMT contains an invalid number of significant digits for "
               "a V or W format: '%(L1)'";
    case 15:
        return "The following format in FMT contains an invalid character for the scale factor: "
               "'%(L1)'";
    case 16:
        return "FMT contains the following invalid F format: '%(L1)'";
    case 17:
        return "The following format in FMT contains an invalid field width for an F format: "
               "'%(L1)'";
    case 18:
        return "The following format in FMT contains an invalid character for the number of "
               "digits in the fractional part: '%(L1)'";
    case 19:
        return "The following format in FMT contains an invalid number of digits in the "
               "fractional part for an F format: '%(L1)'";
    case 20:
        return "The following format in FMT contains an invalid field width for an I format: "
               "'%(L1)'";
    case 21:
        return "The following format in FMT contains an invalid number of digits (including "
               "leading zeros) to be printed for an I format: '%(L1)'";
    case 22:
        return "FMT contains the following invalid %(L2) format: '%(L1)'";
    case 23:
        return "The following format in FMT contains an invalid field width for the %(L2) format: "
               "'%(L1)'";
    case 24:
        return "The following format contains an invalid character for the number of digits for "
               "the exponent: '%(L1)'";
    case 25:
        return "The following format in FMT contains an invalid number of digits for the "
               "exponent: '%(L1)'";
    case 26:
        return "FMT contains an invalid number of digits for the fractional part for the "
               "following %(L2) format: '%(L1)'";
    case 33:
        return "An invalid character is in FMT:  '%(L1)'  Only D, E, F, G, I, V and W edit "
               "descriptors are allowed in this routine.";
    case 34:
        return "A null string is encountered in FMT: '%(L1)'";
    case 35:
        return "FMT is an invalid FORTRAN format: '%(L1)'";
    default:
        return "FMT is an invalid FORTRAN format: '%(L1)'";
    }
}

// The walk over the descriptors of one format.
struct Cursor
{
    std::string fmt;
    std::vector<ItemAnalysis> items;
    std::int32_t last = 0;
    std::size_t index = 0;
    std::int32_t left = 0; // repeats of items[index] still to hand out
};

Cursor g_cursor;

void restart(std::string_view fmt)
{
    g_cursor = Cursor{};
    g_cursor.fmt = std::string(fmt);
    for (const std::string& item : splitItems(fmt)) {
        ItemAnalysis analysis = analyseItem(upperCased(item));
        if (analysis.code == 0) {
            g_cursor.items.push_back(std::move(analysis));
        }
    }
    if (!g_cursor.items.empty()) {
        g_cursor.left = g_cursor.items[0].repeat;
    }
}

// Hands out the next descriptor of the walk.
const std::string& nextItem()
{
    if (g_cursor.left == 0) {
        g_cursor.index = (g_cursor.index + 1) % g_cursor.items.size();
        g_cursor.left = g_cursor.items[g_cursor.index].repeat;
    }
    --g_cursor.left;
    ++g_cursor.last;
    return g_cursor.items[g_cursor.index].canonical;
}

} // namespace

void FMTERR(std::int32_t code, std::string_view piece, std::string_view letter)
{
    E1VALL(1, piece.empty() ? std::string_view(" ") : piece);
    if (!letter.empty()) {
        E1VALL(2, letter);
    }
    E1MES(kTerminal, code, messageOf(code));
}

void FMTCHK(std::string_view fmt, std::int32_t& code, std::int32_t& singleVW,
            std::int32_t& maxWidth)
{
    singleVW = 0;
    maxWidth = -1;
    code = 0;
    const std::string_view trimmed = fmt.substr(0, static_cast<std::size_t>(LENTRM(fmt)));
    const auto significant =
        std::count_if(trimmed.begin(), trimmed.end(), [](char c) { return c != ' '; });
    if (significant < 4) {
        code = 35;
        FMTERR(code, trimmed);
        return;
    }
    const std::size_t first = trimmed.find_first_not_of(' ');
    if (trimmed[first] != '(') {
        code = 6;
        FMTERR(code, trimmed);
        return;
    }
    if (trimmed.back() != ')') {
        code = 7;
        FMTERR(code, trimmed);
        return;
    }
    const std::vector<std::string> items = splitItems(trimmed);
    for (const std::string& item : items) {
        if (item.empty()) {
            code = 34;
            FMTERR(code, trimmed.substr(first));
            maxWidth = -1;
            return;
        }
        const ItemAnalysis analysis = analyseItem(upperCased(item));
        if (analysis.code != 0) {
            code = analysis.code;
            FMTERR(code, item, std::string(1, analysis.letter));
            maxWidth = -1;
            return;
        }
        maxWidth = std::max(maxWidth, analysis.width);
        if (items.size() == 1 && (analysis.letter == 'V' || analysis.letter == 'W') &&
            analysis.repeat == 1) {
            singleVW = 1;
        }
    }
}

void FMTITM(std::int32_t k, std::string_view fmt, std::string& item)
{
    item.clear();
    const bool continues = k == g_cursor.last + 1 && k > 1 && fmt == g_cursor.fmt;
    if (!continues) {
        restart(fmt);
    }
    if (g_cursor.items.empty() || k < 1) {
        return;
    }
    while (g_cursor.last < k) {
        item = nextItem();
    }
}

std::int32_t FMTWID(std::string_view item)
{
    std::size_t letter = std::string_view::npos;
    for (std::size_t i = 0; i < item.size(); ++i) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(item[i])));
        if (isDescriptorLetter(c)) {
            letter = i;
            break;
        }
    }
    if (letter == std::string_view::npos) {
        return 0;
    }
    const std::size_t end = item.find_first_of(".)", letter + 1);
    std::int32_t width = 0;
    CVTSI(item.substr(letter + 1,
                      end == std::string_view::npos ? std::string_view::npos : end - letter - 1),
          width);
    return width;
}

void FMTINT(std::string_view text, std::int32_t length, std::int32_t& value, std::int32_t& flag)
{
    value = 0;
    flag = 0;
    const std::string_view part = text.substr(0, static_cast<std::size_t>(std::max(length, 0)));
    std::int64_t number = 0;
    bool digits = false;
    bool negative = false;
    for (const char c : part) {
        if (c == ' ') {
            continue;
        }
        if ((c == '-' || c == '+') && !digits) {
            negative = c == '-';
            continue;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) == 0 || number > 214748364) {
            flag = 1;
            return;
        }
        number = number * 10 + (c - '0');
        digits = true;
    }
    if (!digits || number > 2147483647) {
        flag = 1;
        return;
    }
    value = static_cast<std::int32_t>(negative ? -number : number);
}

char ACHAR(std::int32_t i)
{
    if (i < 0) {
        RoutineScope scope("ACHAR");
        E1VALI(1, i);
        E1MES(kTerminal, 1, "The ASCII value must be non-negative while I = %(I1) is given.");
        return S1CHAR(0);
    }
    return S1CHAR(i);
}

std::int32_t LENTRM(std::string_view text)
{
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? 0 : static_cast<std::int32_t>(last + 1);
}

std::int32_t STRCMP(std::string_view a, std::string_view b)
{
    return S1CMPI(a, b);
}

} // namespace numerics
