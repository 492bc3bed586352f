#pragma once

// The spline driver: fits one of fifteen kinds of spline through the data points and
// evaluates it, or one of its derivatives, at any points.
//
//   itype 1       cubic spline interpolant, not-a-knot ends
//   itype 2       Akima cubic interpolant
//   itype 3       concavity-preserving cubic interpolant
//   itype 4..8    B-spline interpolant of order itype - 2, not-a-knot knots
//   itype 9       cubic smoothing spline, parameter by cross-validation
//   itype 10..12  least-squares B-spline of order itype - 8 on fixed knots
//   itype 13..15  least-squares B-spline of order itype - 11 with optimised knots
//
// Failures are reported through ErrorReporting.h (the caller tests N1RTY); value is then
// left untouched. Threads: see ErrorReporting.h.

#include <cstdint>

namespace numerics {

// value[j] := the ider-th derivative at xvec[j] of the spline of type itype through
// (xdata[i], fdata[i]); xdata and xvec in any order, each without repeats, all finite.
// The workspace is allocated for the call. The last fit that posted no message is kept
// (process-wide) and evaluated again, without fitting, when the same type and the same
// data, bit for bit, come again.
void DSPLEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itype,
            std::int32_t ider, std::int32_t n, const double* xvec, double* value);

// The same with caller-supplied workspace: wk of splineWorkspaceSize(...) doubles and iwk
// of n + max(ndata, n) integers.
void DS2LEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itype,
            std::int32_t ider, std::int32_t n, const double* xvec, double* value, double* wk,
            std::int32_t* iwk);

// Doubles of workspace the type needs (0 for an itype outside 1..15).
std::int64_t splineWorkspaceSize(std::int32_t ndata, std::int32_t itype, std::int32_t n);

} // namespace numerics
