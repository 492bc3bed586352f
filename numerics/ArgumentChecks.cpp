#include "numerics/ArgumentChecks.h"

#include "numerics/ErrorReporting.h"

#include <cmath>
#include <cstring>

namespace numerics {

void CHKLEQ(std::int32_t value1, std::string_view name1, std::int32_t value2,
            std::string_view name2, std::int32_t& code)
{
    if (value2 < value1) {
        E1VALI(1, value1);
        E1VALI(2, value2);
        E1VALL(1, name1);
        E1VALL(2, name2);
        E1MES(kTerminal, code,
              "%(L1) = %(I1) and %(L2) = %(I2).  %(L1) must be less than or equal to %(L2).");
    }
    ++code;
}

void CHKRNG(std::int32_t value, std::string_view name, std::int32_t low, std::int32_t high,
            std::int32_t& code)
{
    if (high < low) {
        if (value < low) {
            E1VALI(1, value);
            E1VALI(2, low);
            E1VALL(1, name);
            E1MES(kTerminal, code, "%(L1) = %(I1).  %(L1) must be greater than or equal to %(I2).");
        }
    } else if (value < low || value > high) {
        E1VALI(1, value);
        E1VALI(2, low);
        E1VALI(3, high);
        E1VALL(1, name);
        E1MES(kTerminal, code,
              "%(L1) = %(I1).  %(L1) must be greater than or equal to %(I2) and less than or "
              "equal to %(I3).");
    }
    ++code;
}

void CHKLIM(std::int32_t low, std::int32_t value, std::string_view name, std::int32_t limit,
            std::string_view limitName, std::int32_t& code)
{
    CHKRNG(value, name, low, low - 1, code);
    if (limit >= 1) {
        CHKLEQ(value, name, limit, limitName, code);
    } else {
        ++code;
    }
}

std::int32_t firstNonFinite(std::int32_t n, const double* x, std::int32_t& same)
{
    same = 0;
    // A first pass over the exponent bits, which vectorises: all ones mark a NaN or an
    // infinity.
    constexpr std::uint64_t kExponent = 0x7FF0000000000000ULL;
    bool any = false;
    for (std::int32_t i = 0; i < n; ++i) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &x[i], sizeof bits);
        any |= (bits & kExponent) == kExponent;
    }
    if (!any) {
        return 0;
    }
    for (std::int32_t i = 0; i < n; ++i) {
        if (std::isfinite(x[i])) {
            continue;
        }
        same = i + 1;
        for (std::int32_t j = i + 1; j < n; ++j) {
            if (x[j] == x[i]) {
                same = j + 1;
                break;
            }
        }
        return i + 1;
    }
    return 0;
}

} // namespace numerics
