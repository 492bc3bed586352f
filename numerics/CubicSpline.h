#pragma once

// The cubic spline through data points and the evaluation of piecewise cubics.
//
// Piecewise-polynomial form of order 4: break points brk[0..nintv] and a column-major
// coefficient array cscoef with leading dimension 4, where cscoef[4 * i + m] is the m-th
// derivative of piece i at brk[i]. Points left of brk[1] use the first piece and points at
// or right of brk[nintv - 1] the last one, so outside points are extrapolated.
// Threads: see ErrorReporting.h.

#include <cstdint>

namespace numerics {

// Cubic spline interpolant with not-a-knot ends: brk (ndata) and cscoef (4 * ndata);
// iwk (ndata) is work.
void DC2INT(std::int32_t ndata, const double* xdata, const double* fdata, double* brk,
            double* cscoef, std::int32_t* iwk);

// The same with end conditions per end: 0 not-a-knot, 1 first derivative, 2 second
// derivative (dleft, dright the derivative values).
void DC2DEC(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t ileft,
            double dleft, std::int32_t iright, double dright, double* brk, double* cscoef,
            std::int32_t* iwk);

// Sorts the data into brk and cscoef[0], cscoef[ldc], ... and checks that the abscissae
// are distinct (TERMINAL code 2 naming the caller's positions).
void DC1SOR(std::int32_t ndata, const double* xdata, const double* fdata, double* brk,
            double* cscoef, std::int32_t ldc, std::int32_t* iwk);

// The sort of DC1SOR with the type and code of its repeated-abscissa report; false after
// a report.
bool sortDataPoints(std::int32_t ndata, const double* xdata, const double* fdata, double* brk,
                    double* cscoef, std::int32_t ldc, std::int32_t* iwk, std::int32_t repeatType,
                    std::int32_t repeatCode);

// value[j] := the ideriv-th derivative of the piecewise cubic at the strictly increasing
// points xvec[j]; iwk[j] receives the piece used (1-based); work1, work2 hold n values.
void DC21GD(std::int32_t ideriv, std::int32_t n, const double* xvec, std::int32_t nintv,
            const double* brk, const double* ppcoef, double* value, std::int32_t* iwk,
            double* work1, double* work2);

// The 1-based index left with t[left - 1] <= x < t[left] (l when x >= t[l - 1], 1 when
// x < t[0]) in the nondecreasing t[0..l-1]. The search starts from the previous answer.
std::int32_t BREAK_SEARCH(std::int32_t l, const double* t, double x);

} // namespace numerics
