#include "app/windows/GridCsv.h"

#include "app/shell/NumberText.h"

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
    CsvLine line;
    CsvField field;
    bool inQuotes = false;
    bool lineStarted = false;
    const auto endField = [&] {
        line.push_back(std::move(field));
        field = CsvField{};
    };
    const auto endLine = [&] {
        endField();
        lines.push_back(std::move(line));
        line = CsvLine{};
        lineStarted = false;
    };
    std::size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c == '\0') {
            ++i;
            continue;
        }
        lineStarted = true;
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                    field.text += '"';
                    i += 2;
                    continue;
                }
                inQuotes = false;
                ++i;
                continue;
            }
            field.text += c;
            ++i;
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
            i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        field.text += c;
        ++i;
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
    if (at == std::string_view::npos) {
        text.assign(token);
    } else {
        text.reserve(token.size());
        text.append(token.substr(0, at));
        text += '.';
        text.append(token.substr(at + decimalSeparator.size()));
    }
    return app::text::atofC(text.c_str());
}

} // namespace app::windows
