#include "numerics/SmoothingSpline.h"

#include "numerics/CubicSpline.h"
#include "numerics/ErrorReporting.h"
#include "numerics/MachineConstants.h"

#include <cmath>
#include <vector>

namespace numerics {

namespace {

constexpr double kGolden = 1.618033989;

// The scaled problem of the search: interval lengths h (n - 1), the tridiagonal matrix R
// and the band of Q-transposed Q (both of order m = n - 2), and the right side Q-transposed y.
struct SmoothingProblem
{
    std::int32_t n = 0;
    double meanInterval = 1.0;
    std::vector<double> h;
    std::vector<double> rDiag, rOff; // R
    std::vector<double> t0, t1, t2;  // Q'Q: diagonal, first and second off-diagonal
    std::vector<double> rhs;         // Q'y
    const double* y = nullptr;
};

// One trial: the factorisation, the second-derivative vector u, the residuals and the
// trace of the influence-complement matrix.
struct Trial
{
    double rho = 0.0;
    double p = 0.0;
    double q = 0.0;
    double score = 0.0;
    double e = 0.0;
    double trace = 0.0;
    std::vector<double> u; // interior, m values
    std::vector<double> r; // residuals, n values
};

// Q(i, j): row i (point, 0-based) of column j (interior point j + 1, 0-based j).
double qEntry(const SmoothingProblem& s, std::int32_t i, std::int32_t j)
{
    const std::int32_t node = j + 1;
    if (i == node - 1) {
        return 1.0 / s.h[static_cast<std::size_t>(node - 1)];
    }
    if (i == node) {
        return -1.0 / s.h[static_cast<std::size_t>(node - 1)] -
               1.0 / s.h[static_cast<std::size_t>(node)];
    }
    if (i == node + 1) {
        return 1.0 / s.h[static_cast<std::size_t>(node)];
    }
    return 0.0;
}

Trial runTrial(const SmoothingProblem& s, double rho)
{
    Trial t;
    t.rho = rho;
    t.p = rho / (1.0 + rho);
    t.q = 1.0 / (1.0 + rho);
    if (1.0 + rho == 1.0) {
        t.p = 0.0;
    }
    if (rho == 1.0 + rho) {
        t.q = 0.0;
    }
    const std::int32_t n = s.n;
    const std::int32_t m = n - 2;
    const auto M = static_cast<std::size_t>(m);
    // B = p Q'Q + q R as L D L' with two subdiagonals of L.
    std::vector<double> d(M), l1(M, 0.0), l2(M, 0.0);
    for (std::size_t i = 0; i < M; ++i) {
        const double b0 = t.p * s.t0[i] + t.q * s.rDiag[i];
        const double b1 = i >= 1 ? t.p * s.t1[i - 1] + t.q * s.rOff[i - 1] : 0.0;
        const double b2 = i >= 2 ? t.p * s.t2[i - 2] : 0.0;
        // Row i: b(i, i - 2) = l2[i] d[i-2]; b(i, i - 1) = l1[i] d[i-1] + l2[i] d[i-2] l1[i-1].
        if (i >= 2) {
            l2[i] = b2 / d[i - 2];
        }
        if (i >= 1) {
            l1[i] = (b1 - (i >= 2 ? l2[i] * d[i - 2] * l1[i - 1] : 0.0)) / d[i - 1];
        }
        d[i] = b0 - (i >= 1 ? l1[i] * l1[i] * d[i - 1] : 0.0) -
               (i >= 2 ? l2[i] * l2[i] * d[i - 2] : 0.0);
    }
    // Solve for u.
    t.u.assign(M, 0.0);
    for (std::size_t i = 0; i < M; ++i) {
        double v = s.rhs[i];
        if (i >= 1) {
            v -= l1[i] * t.u[i - 1];
        }
        if (i >= 2) {
            v -= l2[i] * t.u[i - 2];
        }
        t.u[i] = v;
    }
    for (std::size_t k = M; k-- > 0;) {
        double v = t.u[k] / d[k];
        if (k + 1 < M) {
            v -= l1[k + 1] * t.u[k + 1];
        }
        if (k + 2 < M) {
            v -= l2[k + 2] * t.u[k + 2];
        }
        t.u[k] = v;
    }
    // Residuals r = Q u and their sum of squares.
    const auto N = static_cast<std::size_t>(n);
    t.r.assign(N, 0.0);
    for (std::int32_t j = 0; j < m; ++j) {
        for (std::int32_t i = j; i <= j + 2; ++i) {
            t.r[static_cast<std::size_t>(i)] += qEntry(s, i, j) * t.u[static_cast<std::size_t>(j)];
        }
    }
    t.e = 0.0;
    for (const double v : t.r) {
        t.e += v * v;
    }
    // The central band of B^-1 from the factor (Hutchinson and de Hoog), then the trace of
    // Q B^-1 Q', which times p is the trace of the influence-complement matrix.
    std::vector<double> s0(M, 0.0), s1(M, 0.0), s2(M, 0.0); // (i,i), (i,i+1), (i,i+2)
    for (std::size_t k = M; k-- > 0;) {
        const double a1 = k + 1 < M ? l1[k + 1] : 0.0;
        const double a2 = k + 2 < M ? l2[k + 2] : 0.0;
        const double c11 = k + 1 < M ? s0[k + 1] : 0.0;
        const double c12 = k + 2 < M ? s1[k + 1] : 0.0;
        const double c22 = k + 2 < M ? s0[k + 2] : 0.0;
        s1[k] = -a1 * c11 - a2 * c12;
        s2[k] = -a1 * c12 - a2 * c22;
        s0[k] = 1.0 / d[k] - a1 * s1[k] - a2 * s2[k];
    }
    auto sigma = [&](std::int32_t a, std::int32_t b) {
        if (a > b) {
            std::swap(a, b);
        }
        const auto ia = static_cast<std::size_t>(a);
        switch (b - a) {
        case 0:
            return s0[ia];
        case 1:
            return s1[ia];
        case 2:
            return s2[ia];
        default:
            return 0.0;
        }
    };
    double trace = 0.0;
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = std::max(0, i - 2); j <= std::min(m - 1, i); ++j) {
            for (std::int32_t k = std::max(0, i - 2); k <= std::min(m - 1, i); ++k) {
                trace += qEntry(s, i, j) * qEntry(s, i, k) * sigma(j, k);
            }
        }
    }
    t.trace = trace;
    t.score = trace > 0.0 ? n * t.e / (trace * trace) : DMACH(2);
    return t;
}

bool setUp(std::int32_t n, const double* x, const double* y, SmoothingProblem& s)
{
    RoutineScope scope("dC3SCV ");
    if (n < 3) {
        E1VALI(1, n);
        E1MES(kTerminal, 1,
              "The number of data points must be at least 3 while NDATA = %(I1) is given.");
        return false;
    }
    s.n = n;
    s.y = y;
    s.meanInterval = (x[n - 1] - x[0]) / (n - 1);
    const auto N = static_cast<std::size_t>(n);
    s.h.resize(N - 1);
    for (std::size_t i = 0; i + 1 < N; ++i) {
        s.h[i] = (x[i + 1] - x[i]) / s.meanInterval;
    }
    // The weights are 1.0: their root mean square is 1.0, so the scaled weights are 1.0.
    const std::size_t m = N - 2;
    s.rDiag.resize(m);
    s.rOff.assign(m, 0.0);
    s.t0.resize(m);
    s.t1.assign(m, 0.0);
    s.t2.assign(m, 0.0);
    s.rhs.resize(m);
    for (std::size_t j = 0; j < m; ++j) {
        const double hl = s.h[j];
        const double hr = s.h[j + 1];
        s.rDiag[j] = 2.0 * (hl + hr) / 3.0;
        if (j + 1 < m) {
            s.rOff[j] = hr / 3.0;
        }
        const double a = 1.0 / hl;
        const double b = -1.0 / hl - 1.0 / hr;
        const double c = 1.0 / hr;
        s.t0[j] = a * a + b * b + c * c;
        if (j + 1 < m) {
            const double b2 = -1.0 / hr - 1.0 / s.h[j + 2];
            // Columns j and j + 1 share the rows of points j + 1 and j + 2.
            s.t1[j] = b * (1.0 / hr) + c * b2;
        }
        if (j + 2 < m) {
            s.t2[j] = c * (1.0 / s.h[j + 2]);
        }
        s.rhs[j] = (y[j + 2] - y[j + 1]) / hr - (y[j + 1] - y[j]) / hl;
    }
    return true;
}

} // namespace

void DC2SCV(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t flag,
            double* brk, double* cscoef, std::int32_t* iwk, SmoothingStatistics* stats)
{
    RoutineScope scope("dC2SCV");
    (void)flag;
    if (ndata < 1) {
        E1VALI(1, ndata);
        E1MES(kTerminal, 1,
              "The number of data points must be at least 3 while NDATA = %(I1) is given.");
        return;
    }
    if (!sortDataPoints(ndata, xdata, fdata, brk, cscoef, 4, iwk, kFatal, 2)) {
        return;
    }
    const double eps = DMACH(4);
    std::vector<double> y(static_cast<std::size_t>(ndata));
    for (std::int32_t i = 0; i < ndata; ++i) {
        y[static_cast<std::size_t>(i)] = cscoef[4 * static_cast<std::int64_t>(i)];
    }
    SmoothingProblem s;
    if (!setUp(ndata, brk, y.data(), s)) {
        return;
    }

    // Bracket the minimum of the score on a ratio scale.
    Trial larger = runTrial(s, 2.0);
    Trial smaller = runTrial(s, 1.0);
    Trial last = smaller;
    bool ended = false;
    while (smaller.score < larger.score) {
        larger = smaller;
        smaller = runTrial(s, smaller.rho / 2.0);
        last = smaller;
        if (smaller.p == 0.0) {
            ended = true;
            break;
        }
    }
    double low = smaller.rho;
    if (!ended) {
        Trial best = larger.score <= smaller.score ? larger : smaller;
        Trial doubled = runTrial(s, 2.0 * best.rho);
        last = doubled;
        while (!ended && doubled.score < best.score) {
            best = doubled;
            doubled = runTrial(s, 2.0 * best.rho);
            last = doubled;
            if (doubled.q == 0.0) {
                ended = true;
            }
        }
        if (!ended) {
            double high = doubled.rho;
            // Golden-section search between the last halved and the last doubled value.
            double d = (high - low) / kGolden;
            Trial upper = runTrial(s, low + d);
            Trial lower = runTrial(s, high - d);
            for (;;) {
                const double t = (high - low) / (high + low);
                if (t * t + 1.0 == 1.0 || t <= eps) {
                    break;
                }
                d /= kGolden;
                if (lower.score < upper.score) {
                    high = upper.rho;
                    upper = lower;
                    lower = runTrial(s, high - d);
                } else {
                    low = lower.rho;
                    lower = upper;
                    upper = runTrial(s, low + d);
                }
            }
            last = runTrial(s, (low + high) * 0.5);
        }
    }

    // Coefficients of the last trial: smoothed values, then the polynomial form turned
    // into derivatives.
    const std::int32_t n = ndata;
    const double scale = last.q / (s.meanInterval * s.meanInterval);
    std::vector<double> c(static_cast<std::size_t>(n), 0.0);
    for (std::int32_t j = 0; j < n - 2; ++j) {
        c[static_cast<std::size_t>(j + 1)] = last.u[static_cast<std::size_t>(j)] * scale;
    }
    std::vector<double> ys(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        ys[static_cast<std::size_t>(i)] =
            y[static_cast<std::size_t>(i)] - last.p * last.r[static_cast<std::size_t>(i)];
    }
    for (std::int32_t i = 0; i < n - 1; ++i) {
        const auto ii = static_cast<std::size_t>(i);
        const double h = brk[i + 1] - brk[i];
        const double third = (c[ii + 1] - c[ii]) / (3.0 * h);
        const double first = (ys[ii + 1] - ys[ii]) / h - h * (third * h + c[ii]);
        double* col = cscoef + 4 * static_cast<std::int64_t>(i);
        col[0] = ys[ii];
        col[1] = first;
        col[2] = 2.0 * c[ii];
        col[3] = 6.0 * third;
    }
    double* lastCol = cscoef + 4 * static_cast<std::int64_t>(n - 1);
    lastCol[0] = ys[static_cast<std::size_t>(n - 1)];
    lastCol[1] = 0.0;
    lastCol[2] = 0.0;
    lastCol[3] = 0.0;
    if (stats != nullptr) {
        stats->p = last.p;
        stats->traceTimesP = last.trace * last.p;
        stats->score = last.score;
        stats->meanSquaredResidual = last.e * last.p * last.p / n;
        const double variance = last.trace > 0.0 ? last.e * last.p / last.trace : 0.0;
        stats->trueMeanSquaredError = variance - stats->meanSquaredResidual;
        stats->variance = variance;
    }
}

} // namespace numerics
