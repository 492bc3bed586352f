#include "app/windows/GridCsv.h"

#include "app/shell/NumberText.h"

#include <algorithm>
#include <charconv>

namespace app::windows {

std::string csvField(std::string_view text, bool bare, std::string_view separator)
{
    if (text.empty())
        return "\"\"";
    const bool plain = (separator.empty() || text.find(separator) == std::string_view::npos) &&
                       text.find_first_of("\"\r\n") == std::string_view::npos;
    if (bare && plain)
        return std::string(text);
    std::string field;
    field.reserve(text.size() + 2);
    field += '"';
    for (const char c : text) {
        if (c == '"')
            field += '"';
        field += c;
    }
    field += '"';
    return field;
}

std::vector<CsvLine> parseCsv(std::string_view bytes, std::string_view separator)
{
    std::vector<CsvLine> lines;
    // A sheet's lines are alike: the line count guessed from the line breaks and each line's
    // room from the one before spare most of the reallocations.
    lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    CsvLine line;
    CsvField field;
    bool inQuotes = false;
    bool lineStarted = false;
    std::size_t lineRoom = 0;
    const auto endField = [&] {
        if (line.capacity() == 0 && lineRoom > 0)
            line.reserve(lineRoom);
        line.push_back(std::move(field));
        field = CsvField{};
    };
    const auto endLine = [&] {
        endField();
        lineRoom = std::max(lineRoom, line.size());
        lines.push_back(std::move(line));
        line = CsvLine{};
        lineStarted = false;
    };
    const char separatorFirst = separator.empty() ? '\0' : separator.front();
    // Whether the byte at j ends an unquoted run: a separator's first byte, a line break or a
    // NUL (which is dropped).
    const auto endsRun = [&](char c) {
        return c == '\r' || c == '\n' || c == '\0' || (!separator.empty() && c == separatorFirst);
    };
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = bytes[i];
        if (c == '\0') {
            ++i;
            continue;
        }
        lineStarted = true;
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < n && bytes[i + 1] == '"') {
                    field.text += '"';
                    i += 2;
                    continue;
                }
                inQuotes = false;
                ++i;
                continue;
            }
            // The quoted text up to the next quote or NUL in one piece.
            std::size_t j = i + 1;
            while (j < n && bytes[j] != '"' && bytes[j] != '\0')
                ++j;
            field.text.append(bytes.data() + i, j - i);
            i = j;
            continue;
        }
        if (c == '"' && field.text.empty() && !field.quoted) {
            field.quoted = true;
            inQuotes = true;
            ++i;
            continue;
        }
        if (!separator.empty() && bytes.substr(i, separator.size()) == separator) {
            endField();
            i += separator.size();
            continue;
        }
        if (c == '\r' || c == '\n') {
            endLine();
            i += (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        // Plain text up to the next separator, line break or NUL in one piece; a quote inside
        // it is text, as the field is no longer empty.
        std::size_t j = i + 1;
        while (j < n && !endsRun(bytes[j]))
            ++j;
        field.text.append(bytes.data() + i, j - i);
        i = j;
    }
    if (lineStarted)
        endLine();
    return lines;
}

double csvNumber(std::string_view token, std::string_view decimalSeparator)
{
    std::string text;
    const std::size_t at = decimalSeparator.empty() || decimalSeparator == "."
                               ? std::string_view::npos
                               : token.find(decimalSeparator);
    std::string_view number = token;
    if (at != std::string_view::npos) {
        text.reserve(token.size());
        text.append(token.substr(0, at));
        text += '.';
        text.append(token.substr(at + decimalSeparator.size()));
        number = text;
    }
    // from_chars reads the same longest decimal prefix as strtod in the "C" locale, without
    // the locale lookup or a copy. What it does not read (leading blanks or "+", hexadecimal
    // "0x", values out of range) goes to strtod, which decides as before.
    double value = 0.0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    if (error == std::errc() && (stop == end || (*stop != 'x' && *stop != 'X')))
        return value;
    if (text.empty())
        text.assign(token);
    return app::text::atofC(text.c_str());
}

} // namespace app::windows
