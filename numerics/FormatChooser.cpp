#include "numerics/FormatChooser.h"

#include "numerics/ArgumentChecks.h"
#include "numerics/ErrorReporting.h"
#include "numerics/FormatChecker.h"
#include "numerics/MachineConstants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace numerics {

namespace {

// Digits a double carries: trunc(0.05 - log10(eps)), 15.
std::int32_t machineDigits()
{
    return static_cast<std::int32_t>(0.05 - std::log10(DMACH(4)));
}

// A number right-justified in two characters.
std::string two(std::int32_t n)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%2d", n);
    return buffer;
}

std::string padded(std::string text)
{
    text.resize(10, ' ');
    return text;
}

std::string fixedFormat(std::int32_t width, std::int32_t decimals)
{
    return padded("(0PF" + two(width) + "." + two(decimals) + ")");
}

std::string integerFormat(std::int32_t width)
{
    return padded("(I" + two(width) + ")");
}

std::int32_t truncated(double x)
{
    if (!(std::fabs(x) < 1.0e9)) {
        return x < 0 ? -1000000000 : 1000000000;
    }
    return static_cast<std::int32_t>(x);
}

template <typename Visit>
void forEachSelected(std::int32_t nra, std::int32_t nca, const double* a, std::int32_t lda,
                     std::int32_t itring, Visit visit)
{
    for (std::int32_t j = 1; j <= nca; ++j) {
        std::int32_t first = 0;
        std::int32_t count = 0;
        TRIROW(itring, 1, nra, j, first, count);
        if (count > 0) {
            visit(a + static_cast<std::int64_t>(j - 1) * lda + (first - 1), count);
        }
    }
}

} // namespace

void TRIROW(std::int32_t itring, std::int32_t first, std::int32_t nra, std::int32_t j,
            std::int32_t& firstRow, std::int32_t& count)
{
    std::int32_t last = nra;
    firstRow = first;
    switch (itring) {
    case 1:
        last = std::min(j, nra);
        break;
    case 2:
        last = std::min(j - 1, nra);
        break;
    case -1:
        firstRow = std::max(j, 1);
        break;
    case -2:
        firstRow = std::max(j + 1, 1);
        break;
    default:
        break;
    }
    count = std::max(last - firstRow + 1, 0);
}

std::int32_t dI1MAX(std::int32_t n, const double* x, std::int32_t incx)
{
    RoutineScope scope("dI1MAX");
    std::int32_t code = 1;
    CHKRNG(n, "N", 0, -1, code);
    CHKRNG(incx, "INCX", 1, -1, code);
    if (N1RTY(0) != 0) {
        return 0;
    }
    std::int32_t index = 0;
    double largest = -1.0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double v = x[static_cast<std::int64_t>(i) * incx];
        if (!ISNAND(v) && std::fabs(v) > largest) {
            largest = std::fabs(v);
            index = i + 1;
        }
    }
    return index;
}

void ISINTC(std::int32_t n, const double* x, std::int32_t w, std::int32_t& flag)
{
    flag = 1;
    const double upper = std::pow(10.0, static_cast<double>(w));
    const double lower = -std::pow(10.0, static_cast<double>(w - 1));
    const double largest = static_cast<double>(IMACH(5));
    for (std::int32_t i = 0; i < n; ++i) {
        const double v = x[i];
        if (ISNAND(v)) {
            continue;
        }
        if (!(std::fabs(v) <= largest) || v != std::trunc(v) || !(lower < v && v < upper)) {
            flag = 0;
            return;
        }
    }
}

void dFMTX(std::string& result, double x, std::int32_t nwidth, std::int32_t nsig)
{
    RoutineScope scope("dFMTX");
    std::int32_t code = 1;
    CHKRNG(nwidth, "NWIDTH", 3, 40, code);
    CHKRNG(nsig, "NSIG", 1, -1, code);
    CHKLEQ(nsig, "NSIG", nwidth - 2, "NWIDTH-2", code);
    if (N1RTY(0) != 0) {
        return;
    }
    const std::int32_t w = nwidth;
    const std::int32_t s = std::min(nsig, machineDigits());
    auto scaled = [&] {
        result = padded("(1PD" + two(w) + "." + two(std::min(s - 1, w - 7)) + ")");
    };
    if (ISNAND(x)) {
        if (w < 7) {
            result = padded("(0PF" + two(w) + ". 0)");
        } else {
            scaled();
        }
        return;
    }
    const double a = std::fabs(x);
    if (w > 6 && ((a > 0.0 && a < 0.001) || a >= 1.0e7)) {
        scaled();
        return;
    }
    if (std::isinf(a)) {
        // Only a narrow field gets here; the printer writes infinities as words.
        result = fixedFormat(w, 0);
        return;
    }
    std::int32_t d = s;
    std::int32_t lead = 1;
    if (a > 0.0 && a < 1.0) {
        const double minusLog = -std::log10(a);
        const std::int32_t k = truncated(minusLog);
        if (minusLog == std::trunc(minusLog)) {
            d = s + k - 1;
        } else {
            d = s + k;
            const double t = std::log10(0.5 * std::pow(10.0, -d) + a);
            if (t > 0.0) {
                --d;
            } else if (truncated(-t) < k) {
                --d;
            }
        }
    } else if (a >= 1.0) {
        const std::int32_t k = truncated(std::log10(a));
        lead = k + 1;
        d = s - lead;
        if (d != 0 && lead <= s && truncated(std::log10(0.5 * std::pow(10.0, -d) + a)) > k) {
            --d;
            lead = k + 2;
        }
    }
    d = std::max(d, 0);
    if (d == 0 && lead + 2 < w) {
        d = 1;
    }
    while (lead + 2 + d > w) {
        if (w > 6) {
            scaled();
            return;
        }
        if (d >= 1) {
            --d;
        } else {
            --lead;
        }
    }
    result = fixedFormat(w, d);
}

void FMTTRM(std::int32_t nra, std::int32_t nca, const double* a, std::int32_t lda,
            std::int32_t itring, std::string_view formatIn, std::string& formatOut)
{
    formatOut = std::string(formatIn);
    std::int32_t d = 0;
    std::int32_t flag = 0;
    if (formatIn.size() < 10) {
        return;
    }
    FMTINT(formatIn.substr(7, 2), 2, d, flag);
    if (flag != 0 || d <= 1) {
        return;
    }
    const double scale = std::pow(10.0, static_cast<double>(d));
    std::int32_t needed = 0;
    bool keep = false;
    forEachSelected(nra, nca, a, lda, itring, [&](const double* column, std::int32_t count) {
        for (std::int32_t i = 0; i < count && !keep; ++i) {
            const double x = column[i];
            if (!std::isfinite(x)) {
                continue;
            }
            double y = std::trunc(x * scale + std::copysign(0.5, x));
            if (!std::isfinite(y) || std::fabs(y) >= 9.0e15) {
                // Beyond the digits a double carries every decimal is noise: keep them.
                keep = true;
                return;
            }
            if (std::trunc(std::fmod(y, 10.0)) != 0.0) {
                keep = true;
                return;
            }
            std::int32_t zeros = 0;
            while (zeros < d && std::fmod(y, 10.0) == 0.0) {
                y /= 10.0;
                ++zeros;
            }
            needed = std::max(needed, d - zeros);
        }
    });
    if (!keep) {
        formatOut.replace(7, 2, two(needed));
    }
}

void dFMTRR(std::string& result, std::int32_t nra, std::int32_t nca, const double* a,
            std::int32_t lda, std::int32_t itring, std::int32_t nwidth, std::int32_t nsig)
{
    RoutineScope scope("dFMTRR");
    std::int32_t code = 1;
    CHKRNG(nra, "NRA", 0, -1, code);
    CHKRNG(lda, "LDA", 1, -1, code);
    if (lda >= 1 && nca != 0) {
        CHKLEQ(nra, "NRA", lda, "LDA", code);
    } else {
        ++code;
    }
    CHKRNG(nca, "NCA", 0, -1, code);
    const std::int32_t w = nwidth == INT32_MIN ? 41 : std::abs(nwidth);
    CHKRNG(w, "IABS(NWIDTH)", 3, 40, code);
    const std::int32_t s = nsig == INT32_MIN ? 2147483647 : std::abs(nsig);
    CHKLEQ(s - 2, "NSIG-2", w, "NWIDTH", code);
    if (N1RTY(0) != 0) {
        return;
    }
    // A V or W descriptor may ask for 0 or up to w significant digits; the choice itself
    // works with 1 to w - 2.
    const std::int32_t digits = std::clamp(s, 1, w - 2);

    bool any = false;
    forEachSelected(nra, nca, a, lda, itring, [&](const double* column, std::int32_t count) {
        for (std::int32_t i = 0; i < count && !any; ++i) {
            any = !ISNAND(column[i]);
        }
    });
    if (!any) {
        dFMTX(result, DMACH(6), w, digits);
        return;
    }
    bool allInteger = nsig >= 0;
    if (allInteger) {
        forEachSelected(nra, nca, a, lda, itring, [&](const double* column, std::int32_t count) {
            std::int32_t flag = 0;
            ISINTC(count, column, w, flag);
            allInteger = allInteger && flag == 1;
        });
    }
    if (allInteger && nwidth > 0) {
        result = integerFormat(w);
        return;
    }
    double xmax = 0.0;
    forEachSelected(nra, nca, a, lda, itring, [&](const double* column, std::int32_t count) {
        const std::int32_t index = dI1MAX(count, column, 1);
        if (index > 0) {
            xmax = std::max(xmax, std::fabs(column[index - 1]));
        }
    });
    if (allInteger) {
        result = integerFormat(std::max(2, truncated(std::log10(xmax + 0.51) + 2.0)));
        return;
    }
    std::string chosen;
    dFMTX(chosen, xmax, w, digits);
    if (failed()) {
        return;
    }
    if (nsig > 0 && chosen[3] == 'F') {
        std::string trimmed;
        FMTTRM(nra, nca, a, lda, itring, chosen, trimmed);
        chosen = trimmed;
    }
    if (nwidth < 0 && chosen[3] == 'F') {
        std::int32_t d = 0;
        std::int32_t flag = 0;
        FMTINT(std::string_view(chosen).substr(7, 2), 2, d, flag);
        const std::int32_t needed =
            xmax <= 1.0 ? d + 3 : truncated(d + std::log10(0.51 * std::pow(10.0, -d) + xmax) + 3.0);
        if (needed < w) {
            chosen.replace(4, 2, two(needed));
        }
    }
    result = chosen;
}

void WRCFMT(std::int32_t itring, std::int32_t firstColumn, std::int32_t lastColumn,
            std::int32_t nra, std::int32_t nca, const double* a, std::int32_t lda,
            std::string_view fmt, std::span<std::string> fmtwk)
{
    std::string item;
    for (std::int32_t j = firstColumn; j <= std::min(lastColumn, nca); ++j) {
        const auto slot = static_cast<std::size_t>(j - firstColumn);
        if (slot >= fmtwk.size()) {
            break;
        }
        FMTITM(j, fmt, item);
        fmtwk[slot] = item;
        // The letter may follow a scale factor, which V and W do not use.
        const std::size_t letter = item.find_first_of("VW");
        const std::size_t dot = item.find('.', letter);
        if (letter == std::string::npos || dot == std::string::npos) {
            continue;
        }
        std::int32_t w = 0;
        std::int32_t d = 0;
        std::int32_t flag = 0;
        const std::string_view width = std::string_view(item).substr(letter + 1, dot - letter - 1);
        const std::string_view digits =
            std::string_view(item).substr(dot + 1, item.size() - dot - 2);
        FMTINT(width, static_cast<std::int32_t>(width.size()), w, flag);
        FMTINT(digits, static_cast<std::int32_t>(digits.size()), d, flag);
        std::int32_t first = 0;
        std::int32_t count = 0;
        TRIROW(itring, 1, nra, j, first, count);
        const double* column = a + static_cast<std::int64_t>(j - 1) * lda + (first - 1);
        std::string chosen;
        dFMTRR(chosen, count, 1, count > 0 ? column : a, std::max(count, 1), 0, w,
               item[letter] == 'W' ? d : -d);
        if (failed()) {
            return;
        }
        fmtwk[slot] = chosen;
    }
}

} // namespace numerics
