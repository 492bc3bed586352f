#pragma once

// Least-squares B-spline fits on given knots. Threads: see ErrorReporting.h.

#include <cstdint>

namespace numerics {

// Fits ncoef coefficients of order korder on the knots xknot (ncoef + korder) to the
// weighted data; xsrt, fsrt, wsrt (ndata each) receive the sorted data, iwk (ndata) is work.
void DB2LSQ(std::int32_t ndata, const double* xdata, const double* fdata, const double* weight,
            std::int32_t korder, const double* xknot, std::int32_t ncoef, double* bscoef,
            double* xsrt, double* fsrt, double* wsrt, std::int32_t* iwk);

// The argument checks of the fit, reported under the caller's name; false after a report.
bool LSQ_CHECK(std::int32_t ndata, std::int32_t korder, const double* xknot, const double* weight,
               std::int32_t ncoef);

// The fit on sorted data: banded normal equations solved by band Cholesky.
void DB4LSQ(std::int32_t ndata, const double* xsrt, const double* fsrt, const double* wsrt,
            std::int32_t korder, const double* xknot, std::int32_t ncoef, double* bscoef);

} // namespace numerics
