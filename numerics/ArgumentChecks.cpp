#include "numerics/ArgumentChecks.h"

#include "numerics/ErrorReporting.h"

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

} // namespace numerics
