#pragma once

// Polynomial regression by orthogonal polynomials: coefficients in powers of x,
// sequential sums of squares and ten summary statistics. Threads: see ErrorReporting.h.

#include <cstdint>

namespace numerics {

// Fits a polynomial of degree ndeg to (xdata[i], ydata[i]), i < nobs, by least squares.
// b (ndeg + 1): b[k] the coefficient of x^k; sspoly (ndeg + 1): the sum of squares of the
// mean term, then the sequential sums of squares; stat (10): mean of x, mean of y,
// variances of x and y, R-squared in percent, regression and error degrees of freedom and
// sums of squares, and the number of pairs left out for a NaN. Pairs with a NaN are left
// out; replicated x are allowed. The outputs are written only when the fit succeeds.
void DRCURV(std::int32_t nobs, const double* xdata, const double* ydata, std::int32_t ndeg,
            double* b, double* sspoly, double* stat);

// The general orthogonal-polynomial fit on a column-major data matrix x (ldx rows, ncol
// columns); see PolynomialRegression.cpp. a, b (maxdeg), scoef and d (maxdeg + 1) receive
// the recurrence, the coefficients and the squared norms.
void DR2ORP(std::int32_t nobs, std::int32_t ncol, const double* x, std::int32_t ldx,
            std::int32_t irsp, std::int32_t ind, std::int32_t ifrq, std::int32_t iwt,
            std::int32_t maxdeg, std::int32_t icrit, double crit, std::int32_t lof,
            std::int32_t& ndeg, double& umult, double& uadd, double* a, double* b, double* scoef,
            double* d, double& dfe, double& sse, double& dfpe, double& sspe, std::int32_t& nrmiss);

// Frequency f and weight w of row irow (0-based) of the data matrix; status 0 fine,
// 1 a zero frequency, 2 a NaN frequency or weight, 3 a negative one (reported).
void DC1WFR(const double* x, std::int32_t ldx, std::int32_t irow, std::int32_t ifrq,
            std::int32_t iwt, double& f, double& w, std::int32_t& status);

} // namespace numerics
