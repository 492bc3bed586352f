#pragma once

// Small kernels of the B-spline interpolation, least-squares and variable-knot routines.
// Arrays are passed by their first element; indices named in the comments are 1-based as
// in the routines that use them. Threads: see ErrorReporting.h.

#include <cstdint>

namespace numerics {

// The k B-splines of order k that do not vanish at x, with t(left) <= x < t(left + 1),
// into biatx[0..k-1] (Cox-de Boor recurrence); dl and dr hold k values of work.
void B1BASV(const double* t, std::int32_t k, double x, std::int32_t left, double* biatx, double* dl,
            double* dr);

// Band Cholesky factorisation L D L-transposed of a symmetric positive band matrix w
// (nbands rows by n columns, diagonal in row 1). A column whose pivot is not above
// 1 / DMACH(2) is set to 0 (its equation is dropped).
void B1CHFA(double* w, std::int32_t nbands, std::int32_t n);

// Solves with the factor of B1CHFA; b is overwritten with the solution.
void B1CHSL(const double* w, std::int32_t nbands, std::int32_t n, double* b);

// 1-based index of the first largest element (by value); 0 when n < 1.
std::int32_t B1MAXI(std::int32_t n, const double* x, std::int32_t incx);

// Tridiagonal solve without pivoting; sub receives the multipliers, rhs the solution.
void B1TRID(double* sub, double* diag, const double* super, double* rhs, std::int32_t n);

// Sum of x(i) y(i) z(i).
double B1TRIP(std::int32_t n, const double* x, std::int32_t incx, const double* y,
              std::int32_t incy, const double* z, std::int32_t incz);

// Finds left with xt(left) <= x < xt(left + 1) among the lxt knots; mflag -1 left of
// xt(1) (left 1), 1 at or right of xt(lxt) (left lxt), else 0. x equal to the last knot
// gives the last nonempty interval with mflag 0.
void B1INTV(const double* xt, std::int32_t lxt, double x, std::int32_t& left, std::int32_t& mflag);

// Value (or ideriv-th derivative) at x of the spline of order k with ncoef coefficients
// and ncoef + k knots; points outside the knots use the end intervals. work holds 3 * k.
double B1VALU(double x, std::int32_t ideriv, std::int32_t k, const double* t, std::int32_t ncoef,
              const double* bscoef, double* work);

// Weighted sum of squared residuals of the spline at the n data points.
double B1SSQR(std::int32_t n, const double* x, const double* f, const double* w, std::int32_t k,
              const double* t, std::int32_t ncoef, const double* bscoef);

// New break points (newCount of them, into newBreaks) spreading the k-th root of the jumps
// of the highest derivative of a piecewise polynomial of order k evenly.
void B1KNOT(const double* breaks, const double* ppcoef, std::int32_t pieces, std::int32_t k,
            double* newBreaks, std::int32_t newCount);

// The corrected position of a knot from three successive trials a, b, c within (lo, hi).
double B1KNUP(double a, double b, double c, double lo, double hi);

} // namespace numerics
