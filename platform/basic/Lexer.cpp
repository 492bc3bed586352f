#include "platform/basic/Lexer.h"

#include "platform/basic/DateTime.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace platform::basic {

using automation::Variant;

namespace {

bool isIdentStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool isIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string toLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The narrowest of Integer, Long and Double that holds an integral literal.
Variant integralLiteral(double v)
{
    if (v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max()) {
        return static_cast<int16_t>(v);
    }
    if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()) {
        return static_cast<int32_t>(v);
    }
    return v;
}

} // namespace

bool tokenize(std::string_view src, std::vector<Token>& tokens, SyntaxError& error)
{
    tokens.clear();
    int line = 1;
    size_t i = 0;
    size_t lineStart = 0; // where the current line begins
    size_t tokenStart = 0;
    bool space = false;
    const auto atStatementStart = [&] {
        return tokens.empty() || tokens.back().kind == Tok::Newline;
    };
    const auto push = [&](Tok kind, std::string text) -> Token& {
        Token t;
        t.kind = kind;
        t.text = std::move(text);
        t.line = line;
        t.column = static_cast<int>(tokenStart - std::min(tokenStart, lineStart)) + 1;
        t.spaceBefore = space;
        space = false;
        tokens.push_back(std::move(t));
        return tokens.back();
    };
    const auto newline = [&] {
        if (!tokens.empty() && tokens.back().kind != Tok::Newline) {
            push(Tok::Newline, "");
        }
    };
    while (i < src.size()) {
        const char c = src[i];
        tokenStart = i;
        if (c == '\r' || c == '\n') {
            newline();
            if (c == '\r' && i + 1 < src.size() && src[i + 1] == '\n') {
                ++i;
            }
            ++i;
            ++line;
            lineStart = i;
            continue;
        }
        if (c == ' ' || c == '\t') {
            space = true;
            ++i;
            continue;
        }
        if (c == '\'') {
            while (i < src.size() && src[i] != '\n' && src[i] != '\r') {
                ++i;
            }
            continue;
        }
        // " _" at the end of a line joins the next line.
        if (c == '_' && space) {
            size_t j = i + 1;
            while (j < src.size() && (src[j] == ' ' || src[j] == '\t')) {
                ++j;
            }
            if (j == src.size() || src[j] == '\r' || src[j] == '\n') {
                if (j < src.size() && src[j] == '\r' && j + 1 < src.size() && src[j + 1] == '\n') {
                    ++j;
                }
                i = j + 1;
                ++line;
                lineStart = i;
                space = true;
                continue;
            }
        }
        if (c == ':') {
            if (i + 1 < src.size() && src[i + 1] == '=') {
                push(Tok::Op, ":=");
                i += 2;
                continue;
            }
            // A ':' end of statement is kept apart from a line end: it ends a label
            // and continues a single-line If.
            if (!tokens.empty() && tokens.back().kind != Tok::Newline) {
                push(Tok::Newline, ":");
            }
            ++i;
            continue;
        }
        if (c == '"') {
            std::string text;
            ++i;
            bool closed = false;
            while (i < src.size() && src[i] != '\n' && src[i] != '\r') {
                if (src[i] == '"') {
                    if (i + 1 < src.size() && src[i + 1] == '"') {
                        text += '"';
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                text += src[i++];
            }
            if (!closed) {
                error = {line, "Expected: \"", static_cast<int>(tokenStart - lineStart) + 1};
                return false;
            }
            Token& t = push(Tok::String, text);
            t.value = Variant(text);
            continue;
        }
        const bool digitAfterDot =
            c == '.' && i + 1 < src.size() && std::isdigit(static_cast<unsigned char>(src[i + 1]));
        const bool afterOperand =
            !tokens.empty() && (tokens.back().kind == Tok::Ident ||
                                (tokens.back().kind == Tok::Op && tokens.back().text == ")"));
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (digitAfterDot && (!afterOperand || space))) {
            size_t j = i;
            while (j < src.size() && std::isdigit(static_cast<unsigned char>(src[j]))) {
                ++j;
            }
            bool real = false;
            if (j < src.size() && src[j] == '.') {
                real = true;
                ++j;
                while (j < src.size() && std::isdigit(static_cast<unsigned char>(src[j]))) {
                    ++j;
                }
            }
            if (j < src.size() && (src[j] == 'e' || src[j] == 'E')) {
                size_t k = j + 1;
                if (k < src.size() && (src[k] == '+' || src[k] == '-')) {
                    ++k;
                }
                if (k < src.size() && std::isdigit(static_cast<unsigned char>(src[k]))) {
                    real = true;
                    j = k;
                    while (j < src.size() && std::isdigit(static_cast<unsigned char>(src[j]))) {
                        ++j;
                    }
                }
            }
            double v = 0;
            const std::string digits(src.substr(i, j - i));
            const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
            if (ec != std::errc() || end != digits.data() + digits.size()) {
                error = {line, "Invalid number", static_cast<int>(tokenStart - lineStart) + 1};
                return false;
            }
            Token& t = push(Tok::Number, digits);
            char suffix = j < src.size() ? src[j] : '\0';
            if (suffix == '%' || suffix == '&' || suffix == '!' || suffix == '#' || suffix == '@') {
                ++j;
            } else {
                suffix = '\0';
            }
            if (suffix == '%') {
                t.value = Variant(v).toI2().value;
            } else if (suffix == '&') {
                t.value = Variant(v).toI4().value;
            } else if (suffix == '!') {
                t.value = static_cast<float>(v);
            } else if (suffix == '#' || suffix == '@' || real) {
                t.value = v;
            } else {
                t.value = integralLiteral(v);
            }
            i = j;
            continue;
        }
        if (c == '&' && i + 1 < src.size() &&
            (src[i + 1] == 'H' || src[i + 1] == 'h' || src[i + 1] == 'O' || src[i + 1] == 'o')) {
            const int base = (src[i + 1] == 'H' || src[i + 1] == 'h') ? 16 : 8;
            size_t j = i + 2;
            uint64_t v = 0;
            size_t digits = 0;
            while (j < src.size()) {
                const char d = static_cast<char>(std::tolower(static_cast<unsigned char>(src[j])));
                int dv = -1;
                if (d >= '0' && d <= '9') {
                    dv = d - '0';
                } else if (base == 16 && d >= 'a' && d <= 'f') {
                    dv = d - 'a' + 10;
                }
                if (dv < 0 || dv >= base) {
                    break;
                }
                v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(dv);
                ++j;
                ++digits;
            }
            if (digits == 0 || v > 0xFFFFFFFFull) {
                error = {line, "Invalid number", static_cast<int>(tokenStart - lineStart) + 1};
                return false;
            }
            bool forceLong = false;
            if (j < src.size() && src[j] == '&') {
                forceLong = true;
                ++j;
            }
            Token& t = push(Tok::Number, std::string(src.substr(i, j - i)));
            // Hexadecimal literals wrap: &HFFFF is -1 as an Integer.
            if (!forceLong && v <= 0xFFFF) {
                t.value = static_cast<int16_t>(static_cast<uint16_t>(v));
            } else {
                t.value = static_cast<int32_t>(static_cast<uint32_t>(v));
            }
            i = j;
            continue;
        }
        if (isIdentStart(c)) {
            size_t j = i;
            while (j < src.size() && isIdentChar(src[j])) {
                ++j;
            }
            std::string word(src.substr(i, j - i));
            // Type suffixes ("Left$", "count%", "total&") are part of no name. '&' before
            // a name, a number or a string stays the concatenation operator ("a&b"), and
            // '#' followed by a digit is a file number.
            char suffix = 0;
            if (j < src.size()) {
                const char s2 = src[j];
                const char after = j + 1 < src.size() ? src[j + 1] : '\n';
                const bool digitNext = std::isdigit(static_cast<unsigned char>(after));
                const bool operandNext = isIdentChar(after) || after == '"' || after == '.';
                if (s2 == '$' || s2 == '%' || s2 == '!' || s2 == '@' || (s2 == '#' && !digitNext) ||
                    (s2 == '&' && !operandNext)) {
                    suffix = s2;
                    ++j;
                }
            }
            const std::string lower = toLower(word);
            if (lower == "rem" && atStatementStart()) {
                while (j < src.size() && src[j] != '\n' && src[j] != '\r') {
                    ++j;
                }
                i = j;
                continue;
            }
            Token& t = push(Tok::Ident, word);
            t.lower = lower;
            t.suffix = suffix;
            i = j;
            continue;
        }
        if (c == '#') {
            // A date literal: #1/2/2024#, #2024-01-02 13:30#, #3:04 PM#.
            const size_t close = src.find('#', i + 1);
            const size_t eol = src.find_first_of("\r\n", i + 1);
            if (close != std::string_view::npos && (eol == std::string_view::npos || close < eol)) {
                const std::string_view inside = src.substr(i + 1, close - i - 1);
                const bool dateLike = inside.find_first_not_of(
                                          "0123456789/:-., abcdefghijklmnopqrstuvwxyz"
                                          "ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string_view::npos &&
                                      inside.find_first_of("0123456789") != std::string_view::npos;
                const auto date = dateLike ? datetime::parseDate(inside) : std::nullopt;
                if (date) {
                    Token& t = push(Tok::Number, std::string(src.substr(i, close - i + 1)));
                    t.value = Variant(*date);
                    t.date = true;
                    i = close + 1;
                    continue;
                }
            }
        }
        static const std::string_view twoChar[] = {"<=", ">=", "<>"};
        bool matched = false;
        for (std::string_view op : twoChar) {
            if (src.substr(i, 2) == op) {
                push(Tok::Op, std::string(op));
                i += 2;
                matched = true;
                break;
            }
        }
        if (matched) {
            continue;
        }
        if (std::string_view("+-*/\\^&=<>(),;.#").find(c) != std::string_view::npos) {
            push(Tok::Op, std::string(1, c));
            ++i;
            continue;
        }
        error = {line, std::string("Invalid character '") + c + "'",
                 static_cast<int>(tokenStart - lineStart) + 1};
        return false;
    }
    newline();
    push(Tok::End, "");
    return true;
}

} // namespace platform::basic
