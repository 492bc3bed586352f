#pragma once

// Regression tables of an orthogonal-polynomial fit: sequential sums of squares with F
// tests, the analysis-of-variance vector, coefficients in powers of x with standard
// errors, t statistics and p-values, and the lack-of-fit table.
// Matrices are column-major with the leading dimensions given. Threads: see
// ErrorReporting.h.

#include <cstdint>
#include <string_view>

namespace numerics {

// The tables of a fit of degree ndeg (see RegressionTables.cpp for the layout): aov (15),
// sqss (ndeg by 4), coef (ndeg + 1 by 4), tlof (ndeg by 4, with lof = 1). iprint 1 also
// prints them on the standard output unit (MatrixPrinter.h).
void DR2TAP(std::int32_t ndeg, const double* a, const double* b, double umult, double uadd,
            const double* scoef, const double* d, double dfe, double sse, std::int32_t lof,
            double dfpe, double sspe, std::int32_t iprint, double* aov, double* sqss,
            std::int32_t ldsqss, double* coef, std::int32_t ldcoef, double* tlof,
            std::int32_t ldtlof);

// DR2TAP without printing and without the p-values of the tables (they are left NaN),
// for a caller that reads only the sums of squares, the statistics and the coefficients.
void regressionTablesWithoutPValues(std::int32_t ndeg, const double* a, const double* b,
                                    double umult, double uadd, const double* scoef, const double* d,
                                    double dfe, double sse, double* aov, double* sqss,
                                    std::int32_t ldsqss, double* coef, std::int32_t ldcoef);

// The analysis-of-variance vector (15 values) from the regression and error degrees of
// freedom and sums of squares and the mean of y.
void DG1AOV(double dfr, double ssr, double dfe, double sse, double mean, double* aov);

// The coefficient table: estimates and standard errors in columns 1 and 2, t statistics
// and two-sided p-values in columns 3 and 4.
void DRCOEF(std::int32_t ncoef, const double* estimates, const double* stderrs, double dfe,
            double* coef, std::int32_t ldcoef);

// F = numerator / denominator (guarded) and its upper-tail p-value.
void DC1F(double numerator, double denominator, double dfn, double dfd, double& f, double& p);

// t = estimate / standard error (guarded) and its two-sided p-value.
void DC1T(double estimate, double stderror, double df, double& t, double& p);

// x >= 0 (not NaN), else a TERMINAL message with the current code; code grows by 1.
void CHKNNG(double x, std::string_view name, std::int32_t& code);

// aov[0..9] from the degrees of freedom and sums of squares.
void AOVTBL(double dfr, double ssr, double dfe, double sse, double* aov);

// The argument checks of the coefficient table (value >= low unless the name begins with
// "*", bound >= 1, value <= bound), each advancing code by 1.
void B1PRCK(std::int32_t value, std::string_view name, std::int32_t low, std::int32_t bound,
            std::string_view boundName, std::int32_t& code);

// Sum of n elements of x with stride incx.
double DSUM(std::int32_t n, const double* x, std::int32_t incx);

} // namespace numerics
