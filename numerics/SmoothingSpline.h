#pragma once

// Cubic smoothing spline with the smoothing parameter chosen by generalized
// cross-validation. Threads: see ErrorReporting.h.

#include <cstdint>

namespace numerics {

// Smoothing statistics of the final trial: p, T p, the score n E / T^2, the mean squared
// residual, the estimated true mean squared error and the estimated variance.
struct SmoothingStatistics
{
    double p = 0.0;
    double traceTimesP = 0.0;
    double score = 0.0;
    double meanSquaredResidual = 0.0;
    double trueMeanSquaredError = 0.0;
    double variance = 0.0;
};

// brk (ndata) and cscoef (4 * ndata) receive the smoothing spline in the form of
// CubicSpline.h; iwk (ndata) is work. flag is reserved (0). stats, when given, receives
// the statistics of the chosen parameter.
void DC2SCV(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t flag,
            double* brk, double* cscoef, std::int32_t* iwk, SmoothingStatistics* stats = nullptr);

} // namespace numerics
