#include "numerics/MachineConstants.h"

#include "numerics/ErrorReporting.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>
#include <map>
#include <sstream>

namespace numerics {

namespace {

// Roles 1..3: standard input, standard output, messages.
std::array<std::int32_t, 3> g_units = {kStandardInputUnit, kStandardOutputUnit,
                                       kStandardOutputUnit};

std::map<std::int32_t, std::ostream*>& attachedUnits()
{
    static std::map<std::int32_t, std::ostream*> units;
    return units;
}

// The hand-made message of IMACH and UMACH: a blank line, the lines, a blank line.
[[noreturn]] void writeAndStop(const std::string& lines)
{
    std::ostream& out = unitStream(g_units[1]);
    out << '\n' << lines << '\n' << std::flush;
    detail::stop(kTerminal, 5);
}

} // namespace

double DMACH(std::int32_t n)
{
    switch (n) {
    case 1:
        return std::numeric_limits<double>::min();
    case 2:
        return std::numeric_limits<double>::max();
    case 3:
        return std::numeric_limits<double>::epsilon() / 2;
    case 4:
        return std::numeric_limits<double>::epsilon();
    case 5:
        return std::bit_cast<double>(std::uint64_t{0x3FD34413509F79FF});
    case 6:
        return std::bit_cast<double>(std::uint64_t{0x7FF8000000000000});
    case 7:
        return std::numeric_limits<double>::infinity();
    case 8:
        return -std::numeric_limits<double>::infinity();
    default:
        break;
    }
    E1PSH("DMACH ");
    E1VALI(1, n);
    E1MES(kTerminal, 5, "The argument must be between 1 and 8 inclusive. N = %(I1)");
    E1POP("DMACH ");
    return std::bit_cast<double>(std::uint64_t{0x7FF8000000000000});
}

std::int32_t IMACH(std::int32_t n)
{
    static constexpr std::array<std::int32_t, 12> kValues = {32, 4,    2,   31, 2147483647, 2,
                                                             24, -125, 128, 53, -1021,      1024};
    if (n >= 1 && n <= 12) {
        return kValues[static_cast<std::size_t>(n - 1)];
    }
    char number[16];
    std::snprintf(number, sizeof number, "%6d", n);
    writeAndStop(std::string(" *** TERMINAL ERROR 5 from IMACH.  The argument\n") +
                 " ***          must be between 1 and 12 inclusive.\n" +
                 " ***          N = " + number + ".\n");
}

void UMACH(std::int32_t n, std::int32_t& unit)
{
    if (n >= 1 && n <= 3) {
        unit = g_units[static_cast<std::size_t>(n - 1)];
        return;
    }
    if (n >= -3 && n <= -1) {
        g_units[static_cast<std::size_t>(-n - 1)] = unit;
        return;
    }
    writeAndStop(" *** TERMINAL ERROR 5 from UMACH.  The absolute\n"
                 " ***          value of the index variable must be\n"
                 " ***          between 1 and 3 inclusive.\n");
}

void attachUnit(std::int32_t unit, std::ostream* stream)
{
    if (stream != nullptr) {
        attachedUnits()[unit] = stream;
    } else {
        attachedUnits().erase(unit);
    }
}

std::ostream& unitStream(std::int32_t unit)
{
    const auto& units = attachedUnits();
    if (auto it = units.find(unit); it != units.end()) {
        return *it->second;
    }
    return std::cout;
}

void VFILL(std::int32_t n, double value, double* x, std::int32_t incx)
{
    if (n <= 0) {
        return;
    }
    if (incx == 1) {
        std::fill(x, x + n, value);
        return;
    }
    for (std::int64_t i = 0, ix = 0; i < n; ++i, ix += incx) {
        x[ix] = value;
    }
}

bool ISNAND(double x)
{
    const auto bits = std::bit_cast<std::uint64_t>(x);
    return (bits & 0x7FF0000000000000u) == 0x7FF0000000000000u && (bits & 0x000FFFFFFFFFFFFFu);
}

void SAFEDV(double x, double y, double& result)
{
    if (ISNAND(x) || ISNAND(y)) {
        result = DMACH(6);
        return;
    }
    if (std::fabs(y) > 1.0) {
        result = std::fabs(x) < DMACH(1) * std::fabs(y) ? 0.0 : x / y;
        return;
    }
    if (DMACH(2) * std::fabs(y) <= std::fabs(x)) {
        if (x == 0.0) {
            result = DMACH(6);
        } else if ((y >= 0.0 && x >= 0.0) || (y < 0.0 && x < 0.0)) {
            result = DMACH(7);
        } else {
            result = DMACH(8);
        }
        return;
    }
    result = x / y;
}

} // namespace numerics
