#include "numerics/PrintOptions.h"

#include "numerics/ArgumentChecks.h"
#include "numerics/ErrorReporting.h"
#include "numerics/MachineConstants.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <ostream>

namespace numerics {

namespace {

constexpr std::size_t kOptions = 16;
constexpr std::array<std::int32_t, kOptions> kInitial = {0, 1000000, -2, 2, 0,  3, 2, 0,
                                                         3, 0,       0,  0, 10, 0, 0, 0};
// Settable ranges; a high bound below the low one means no upper bound.
constexpr std::array<std::int32_t, kOptions> kLow = {0, 0, -2, 0, 0, 0, 0, 0,
                                                     0, 0, 0,  0, 1, 0, 0, 0};
constexpr std::array<std::int32_t, kOptions> kHigh = {1,  -1, -3,  3,  1,  5, 5, 255,
                                                      10, 50, 255, 50, 50, 1, 1, 1};
constexpr std::int32_t kInitialPageWidth = 78;
constexpr std::int32_t kInitialPageLength = 60;

struct PrintSettings
{
    std::array<std::int32_t, kOptions> current = kInitial;
    std::array<std::int32_t, kOptions> permanent = kInitial;
    std::array<std::int32_t, kOptions> scope{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::int32_t pageWidth = kInitialPageWidth;
    std::int32_t pageLength = kInitialPageLength;
};

PrintSettings g_settings;

std::ostream& outputStream()
{
    std::int32_t unit = kStandardOutputUnit;
    UMACH(2, unit);
    return unitStream(unit);
}

// |value|, with the one value whose magnitude has no 32-bit form held at the largest.
std::int32_t magnitude(std::int32_t value)
{
    const std::int64_t a = std::abs(static_cast<std::int64_t>(value));
    return static_cast<std::int32_t>(std::min<std::int64_t>(a, 2147483647));
}

bool continuesWord(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return (code >= 48 && code <= 58) || (code >= 65 && code <= 91) || (code >= 97 && code <= 122);
}

} // namespace

void WROPT(std::int32_t iopt, std::int32_t& iset, std::int32_t iscope)
{
    RoutineScope scope("WROPT");
    std::int32_t code = 1;
    const std::int32_t k = magnitude(iopt);
    CHKRNG(k, "IABS(IOPT)", 0, 16, code);
    if (iopt < 0 && k <= 16) {
        const auto i = static_cast<std::size_t>(k - 1);
        CHKRNG(iset, "ISET", kLow[i], kHigh[i], code);
    } else {
        ++code;
    }
    if (iopt != 0) {
        CHKRNG(iscope, "ISCOPE", 0, 1, code);
    }
    if (N1RTY(0) != 0) {
        return;
    }
    if (iopt == 0) {
        for (std::size_t i = 0; i < kOptions; ++i) {
            if (i != 2 || g_settings.permanent[2] < 0) {
                g_settings.current[i] = g_settings.permanent[i];
            }
            g_settings.scope[i] = 1;
        }
        return;
    }
    const auto i = static_cast<std::size_t>(k - 1);
    if (iopt > 0) {
        iset = iscope == 1 ? g_settings.permanent[i] : g_settings.current[i];
        return;
    }
    g_settings.current[i] = iset;
    if (iscope == 1) {
        g_settings.permanent[i] = iset;
    }
    g_settings.scope[i] = iscope;
}

void PGOPT(std::int32_t iopt, std::int32_t& ipage)
{
    RoutineScope scope("PGOPT");
    std::int32_t code = 1;
    const std::int32_t k = magnitude(iopt);
    CHKRNG(k, "IABS(IOPT)", 1, 2, code);
    if (N1RTY(0) != 0) {
        return;
    }
    std::int32_t& target = k == 1 ? g_settings.pageWidth : g_settings.pageLength;
    if (iopt > 0) {
        ipage = target;
        return;
    }
    if (ipage < 10) {
        E1VALI(1, ipage);
        if (k == 1) {
            E1MES(kTerminal, 2, "IPAGE = %(I1).  Page width must be greater than or equal to 10.");
        } else {
            E1MES(kTerminal, 3, "IPAGE = %(I1).  Page length must be greater than or equal to 10.");
        }
        return;
    }
    target = ipage;
}

void WRLINE(std::int32_t n, std::string_view text)
{
    std::ostream& out = outputStream();
    std::int32_t lines = g_settings.current[2];
    if (n == -1) {
        out << "1\n";
        if (lines >= 0) {
            std::int32_t zero = 0;
            WROPT(-3, zero, 0);
        }
        out.flush();
        return;
    }
    if (n < 0) {
        return;
    }
    if (lines >= 0 && lines >= g_settings.pageLength) {
        out << "1\n";
        lines = 0;
    }
    const std::size_t count = std::min(static_cast<std::size_t>(n), text.size());
    out << ' ' << text.substr(0, count) << '\n';
    if (lines >= 0) {
        std::int32_t next = lines + 1;
        WROPT(-3, next, 0);
    }
    out.flush();
}

std::vector<std::string> breakText(std::string_view text, std::int32_t width, std::int32_t indent,
                                   std::int32_t window)
{
    const std::size_t last = text.find_last_not_of(' ');
    text = last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
    std::vector<std::string> lines;
    const std::int64_t length = static_cast<std::int64_t>(text.size());
    const std::int64_t b = std::max(window, 0);
    std::int64_t pos = 0;
    bool first = true;
    auto at = [&](std::int64_t i) { return text[static_cast<std::size_t>(i)]; };
    auto markAt = [&](std::int64_t i) {
        return i + 1 < length && at(i) == '%' && at(i + 1) == '/';
    };
    while (pos < length || first) {
        // The indentation leaves at least one character of the width to the text.
        const std::int64_t ind =
            first ? 0 : std::clamp<std::int64_t>(indent, 0, std::max(width - 1, 0));
        const std::int64_t limit = std::max<std::int64_t>(width - ind, 1);
        const std::int64_t soft = pos + std::max<std::int64_t>(limit - b, 0);
        std::int64_t end = -1;
        std::int64_t next = -1;
        for (std::int64_t i = pos; i < std::min(soft, length); ++i) {
            if (markAt(i)) {
                end = i;
                next = i + 2;
                break;
            }
        }
        if (end < 0) {
            const std::int64_t windowEnd = std::min(soft + b + 1, length);
            for (std::int64_t i = soft; i < windowEnd; ++i) {
                if (markAt(i)) {
                    end = i;
                    next = i + 2;
                    break;
                }
            }
            if (end < 0 && length - pos <= limit) {
                end = length;
                next = length;
            }
            for (std::int64_t i = soft; end < 0 && i < windowEnd; ++i) {
                if (at(i) == ' ') {
                    end = i;
                    next = i + 1;
                }
            }
            for (std::int64_t i = soft; end < 0 && i < windowEnd; ++i) {
                if (!continuesWord(at(i))) {
                    end = i;
                    next = i;
                }
            }
            if (end < 0 || end - pos > limit) {
                end = pos + limit;
                next = end;
            }
            end = std::min(end, length);
            next = std::min(next, length);
        }
        if (next <= pos && pos < length) {
            // A break at the line's very start would not advance: take one character.
            end = pos + 1;
            next = pos + 1;
        }
        std::string line(
            text.substr(static_cast<std::size_t>(pos),
                        static_cast<std::size_t>(std::max<std::int64_t>(end - pos, 0))));
        if (line.find_first_not_of(' ') == std::string::npos) {
            line.clear();
        } else {
            line.insert(0, static_cast<std::size_t>(ind), ' ');
        }
        lines.push_back(std::move(line));
        first = false;
        pos = next;
        if (length == 0) {
            break;
        }
    }
    return lines;
}

void WRBRK(std::string_view text, std::int32_t width, std::int32_t indent, std::int32_t window,
           std::int32_t k, std::string& line, std::int32_t& lines, std::int32_t& longest)
{
    const std::vector<std::string> broken = breakText(text, width, indent, window);
    if (k == 0) {
        lines = static_cast<std::int32_t>(broken.size());
        longest = 0;
        for (const std::string& l : broken) {
            longest = std::max(longest, static_cast<std::int32_t>(l.size()));
        }
        return;
    }
    line = (k >= 1 && static_cast<std::size_t>(k) <= broken.size())
               ? broken[static_cast<std::size_t>(k - 1)]
               : std::string();
}

void CENTRE(std::int32_t middle, std::int32_t length, std::string& line)
{
    const std::int32_t shift = middle - length / 2;
    if (shift > 0) {
        line.insert(0, static_cast<std::size_t>(shift), ' ');
    }
}

void WRTITL(std::string_view title, std::int32_t pageWidth, std::int32_t window,
            std::int32_t middle)
{
    for (std::string line : breakText(title, pageWidth, 0, window)) {
        if (line.empty()) {
            WRLINE(0, " ");
            continue;
        }
        CENTRE(middle, static_cast<std::int32_t>(line.size()), line);
        WRLINE(static_cast<std::int32_t>(line.size()), line);
    }
}

void resetPrintSettings()
{
    g_settings = PrintSettings{};
}

} // namespace numerics
