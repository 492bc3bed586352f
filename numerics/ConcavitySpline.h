#pragma once

// Concavity-preserving cubic spline interpolation. Threads: see ErrorReporting.h.

#include <cstdint>

namespace numerics {

// Interpolant that is convex where the data are convex and concave where they are
// concave: brk (up to 2 * ndata - 1) and cscoef (4 per break point) in the form of
// CubicSpline.h; nbrk receives the number of break points. itmax bounds the Newton
// iterations for the second derivatives; iwk (ndata) is work.
void DC2CON(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itmax,
            double* brk, double* cscoef, std::int32_t& nbrk, std::int32_t* iwk);

// Newton's method for the m interior second derivatives y2 (in: the start, out: the
// solution) of the constrained spline through the sorted abscissae x (m + 2). d holds the
// m second divided differences (the right side; 0.0 holds that second derivative at 0.0)
// and cls the m + 1 interval classes (+1 convex, -1 concave, 0 free). iter: in the limit,
// out the iterations used; status 1 converged, 2 the limit was reached.
void DC4CON(std::int32_t m, double* y2, const double* x, const double* d, const std::int32_t* cls,
            std::int32_t& iter, double tol, std::int32_t& status);

} // namespace numerics
