#pragma once

// Chebyshev coefficient tables of the special functions: the published coefficients
// of these series, rounded to double precision.

#include <array>

namespace numerics {

// the Stirling correction of log-gamma, on 10 <= x, variable 2 (10 / x)^2 - 1 (15 terms).
extern const std::array<double, 15> kLogGammaCorrectionSeries;

// gamma(1 + t) - 0.9375 for t in [0, 1), variable 2 t - 1 (42 terms).
extern const std::array<double, 42> kGammaSeries;

// (x - ln(1 + x)) / x^2 for |x| <= 0.375, variable x / 0.375 (43 terms).
extern const std::array<double, 43> kLogOnePlusSeries;

// erf on [-1, 1] (21 terms).
extern const std::array<double, 21> kErfSeries;

// erfc on 1 < x^2 <= 4 (49 terms).
extern const std::array<double, 49> kErfcMiddleSeries;

// erfc on x^2 > 4 (59 terms).
extern const std::array<double, 59> kErfcTailSeries;

} // namespace numerics
