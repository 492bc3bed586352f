#pragma once

// Least-squares B-spline fit whose interior knots are moved to lower the error sum of
// squares. Threads: see ErrorReporting.h.

#include <cstdint>
#include <functional>

namespace numerics {

// From the first guess xguess (ncoef + korder knots), fits the weighted data with
// optimised interior knots: xknot (ncoef + korder) and bscoef (ncoef). iwk (ndata) is work.
void DB2VLS(std::int32_t ndata, const double* xdata, const double* fdata, const double* weight,
            std::int32_t korder, std::int32_t ncoef, const double* xguess, double* xknot,
            double* bscoef, std::int32_t* iwk);

// Bounded minimisation of a function of one variable on [lo, hi] with at most maxfn
// evaluations; returns the best point, to within xtol when that is coarser than the
// precision of the arithmetic. Posts the WARNINGs 14, 15 and 11.
double DB7VLS(const std::function<double(double)>& f, double lo, double hi, std::int32_t maxfn,
              double xtol = 0.0);

} // namespace numerics
