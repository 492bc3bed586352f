#pragma once

// Argument checks of the numerical drivers. Each check posts a TERMINAL message with the
// current value of code when it fails, and always advances code, so the n-th check of a
// sequence reports code n counted from the starting value.

#include <cstdint>
#include <string_view>

namespace numerics {

// value1 <= value2, else "%(L1) = %(I1) and %(L2) = %(I2).  %(L1) must be less than or
// equal to %(L2)." Advances code by 1.
void CHKLEQ(std::int32_t value1, std::string_view name1, std::int32_t value2,
            std::string_view name2, std::int32_t& code);

// low <= value <= high; when high < low only the lower bound is checked. Advances code
// by 1.
void CHKRNG(std::int32_t value, std::string_view name, std::int32_t low, std::int32_t high,
            std::int32_t& code);

// A column number: value >= low, then value <= limit unless limit < 1. Always advances
// code by 2.
void CHKLIM(std::int32_t low, std::int32_t value, std::string_view name, std::int32_t limit,
            std::string_view limitName, std::int32_t& code);

// The 1-based position of the first element of x[0..n-1] that is NaN or infinite, 0 when
// there is none. same receives the position of a later element equal to it (a repeated
// infinity), else that position again, so a message naming two elements names it.
std::int32_t firstNonFinite(std::int32_t n, const double* x, std::int32_t& same);

} // namespace numerics
