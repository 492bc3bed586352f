#pragma once

// The gamma-function family, ln(1 + x), the Chebyshev-series helpers, and the error,
// beta, F and t functions built on them. Each routine reports bad arguments through
// ErrorReporting.h. Threads: see ErrorReporting.h (the first-call constants are statics).

#include <cstdint>

namespace numerics {

// Number of terms of the Chebyshev series os (nos coefficients) needed for the accuracy
// eta (summed in single precision from the last coefficient backwards).
std::int32_t INITDS(const double* os, std::int32_t nos, float eta);

// The Chebyshev series cs (n terms) at x in [-1, 1] (Clenshaw's recurrence).
double DCSEVL(double x, const double* cs, std::int32_t n);

// ln gamma(x) - ((x - 0.5) ln x - x + ln sqrt(2 pi)) for x >= 10.
double D9LGMC(double x);

// gamma(x).
double DGAMMA(double x);

// ln |gamma(x)|.
double DLNGAM(double x);

// ln(1 + x), accurate near 0; x > -1.
double DLNREL(double x);

// The range of x in which gamma(x) neither underflows nor overflows.
void D9GAML(double& xmin, double& xmax);

// erfc(x).
double DERFC(double x);

// ln of the complete beta function B(a, b).
double DLBETA(double a, double b);

// The regularised incomplete beta function I_x(pin, qin).
double DBETAI(double x, double pin, double qin);

// P(F <= f) for the F distribution with dfn and dfd degrees of freedom.
double DFDF(double f, double dfn, double dfd);

// P(T <= t) for Student's t distribution with df degrees of freedom.
double DTDF(double t, double df);

} // namespace numerics
