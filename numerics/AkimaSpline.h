#pragma once

// Akima's piecewise-cubic interpolant. Threads: see ErrorReporting.h.

#include <cstdint>

namespace numerics {

// brk (ndata) and cscoef (4 * ndata) receive the interpolant in the piecewise-polynomial
// form of CubicSpline.h; iwk (ndata) is work. Needs 4 or more points.
void DC2AKM(std::int32_t ndata, const double* xdata, const double* fdata, double* brk,
            double* cscoef, std::int32_t* iwk);

} // namespace numerics
