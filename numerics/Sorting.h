#pragma once

// Sorting of the numerical library: ascending order into a second vector, optionally
// carrying a permutation along. NaNs sort after every number.

#include <cstdint>

namespace numerics {

// rb := ra in ascending order; iperm (filled with 1..n by the caller) receives the same
// rearrangement, so rb[j] = ra[iperm[j] - 1]. n < 1 posts a TERMINAL message (code 1).
void DSVRGP(std::int32_t n, const double* ra, double* rb, std::int32_t* iperm);

// The same without a permutation.
void DSVRGN(std::int32_t n, const double* ra, double* rb);

} // namespace numerics
