#include "numerics/VariableKnotBSpline.h"

#include "numerics/BSpline.h"
#include "numerics/ErrorReporting.h"
#include "numerics/LeastSquaresBSpline.h"
#include "numerics/MachineConstants.h"
#include "numerics/Sorting.h"
#include "numerics/SplineKernels.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace numerics {

namespace {

constexpr int kKnotPasses = 15;
constexpr int kSweeps = 3;
constexpr std::int32_t kEvaluationsPerKnot = 40;

struct Fit
{
    std::int32_t n = 0;
    std::int32_t k = 0;
    std::int32_t ncoef = 0;
    const double* x = nullptr;
    const double* f = nullptr;
    const double* w = nullptr;
    std::vector<double> coef;

    // Fits the coefficients for the knots and returns the error sum of squares; the
    // largest value when the fit was refused.
    double score(const std::vector<double>& knots)
    {
        coef.assign(static_cast<std::size_t>(ncoef), 0.0);
        DB4LSQ(n, x, f, w, k, knots.data(), ncoef, coef.data());
        if (N1RTY(1) != 0 && N1RTY(1) != kNote) {
            return DMACH(2);
        }
        return B1SSQR(n, x, f, w, k, knots.data(), ncoef, coef.data());
    }
};

bool checkGuess(const double* xguess, std::int32_t count, std::int32_t korder)
{
    std::int32_t run = 1;
    for (std::int32_t i = 2; i <= count; ++i) {
        run = xguess[i - 1] == xguess[i - 2] ? run + 1 : 1;
        if (run > korder) {
            E1VALI(1, i - run + 1);
            E1VALI(2, i);
            E1VALD(1, xguess[i - 1]);
            E1VALI(3, korder);
            E1MES(kFatal, 9,
                  "The knots XGUESS(%(I1)) through XGUESS(%(I2)) are all equal to %(d1).  The "
                  "multiplicity of the knots must not exceed KORDER = %(I3).");
            return false;
        }
        if (!(xguess[i - 1] >= xguess[i - 2])) {
            E1VALI(1, i - 1);
            E1VALD(1, xguess[i - 2]);
            E1VALI(2, i);
            E1VALD(2, xguess[i - 1]);
            E1MES(kFatal, 10,
                  "The knot XGUESS(%(I1)) = %(d1) and XGUESS(%(I2)) = %(d2).  The knots must be "
                  "nondecreasing.");
            return false;
        }
    }
    return true;
}

// The knot optimisation on sorted data: equidistribution passes, then a per-knot sweep
// with the bounded minimiser. knots holds the first guess and receives the result.
void DB3VLS(Fit& fit, std::vector<double>& knots)
{
    RoutineScope scope("dB3VLS");
    const std::int32_t k = fit.k;
    const std::int32_t ncoef = fit.ncoef;
    const std::int32_t interior = ncoef - k;
    double best = fit.score(knots);
    std::vector<double> bestKnots = knots;

    // Equidistribution of the k-th root of the jumps of the highest derivative.
    std::vector<double> brk(static_cast<std::size_t>(ncoef - k + 2));
    std::vector<double> pp(static_cast<std::size_t>(k) * static_cast<std::size_t>(ncoef - k + 1));
    std::vector<double> moved(static_cast<std::size_t>(interior + 2));
    std::vector<double> trial = knots;
    for (int pass = 0; pass < kKnotPasses && interior > 0; ++pass) {
        fit.score(trial);
        std::int32_t pieces = 0;
        DB3CPP(k, trial.data(), ncoef, fit.coef.data(), pieces, brk.data(), pp.data());
        if (pieces < 1) {
            break;
        }
        B1KNOT(brk.data(), pp.data(), pieces, k, moved.data(), interior + 2);
        for (std::int32_t j = 0; j < interior; ++j) {
            trial[static_cast<std::size_t>(k + j)] = moved[static_cast<std::size_t>(j + 1)];
        }
        const double score = fit.score(trial);
        if (score < best) {
            best = score;
            bestKnots = trial;
        }
    }
    knots = bestKnots;

    // One knot at a time between its neighbours.
    const double lowEnd = knots[static_cast<std::size_t>(k - 1)];
    const double highEnd = knots[static_cast<std::size_t>(ncoef)];
    for (int sweep = 0; sweep < kSweeps && interior > 0; ++sweep) {
        const double before = best;
        for (std::int32_t j = 0; j < interior; ++j) {
            const auto at = static_cast<std::size_t>(k + j);
            const double lo = j == 0 ? lowEnd : knots[at - 1];
            const double hi = j == interior - 1 ? highEnd : knots[at + 1];
            if (!(lo < hi)) {
                continue;
            }
            std::vector<double> probe = knots;
            auto objective = [&](double position) {
                probe[at] = position;
                return fit.score(probe);
            };
            const double position = DB7VLS(objective, lo, hi, kEvaluationsPerKnot);
            probe[at] = position;
            const double score = fit.score(probe);
            if (score < best) {
                best = score;
                knots = probe;
            }
        }
        if (!(best < before)) {
            break;
        }
    }

    // Knots stacked more than k deep are separated slightly.
    bool stacked = false;
    bool separated = true;
    for (std::int32_t i = k; i < ncoef; ++i) {
        std::int32_t run = 1;
        while (i + run <= ncoef &&
               knots[static_cast<std::size_t>(i + run)] == knots[static_cast<std::size_t>(i)]) {
            ++run;
        }
        // Interior knots equal to an end knot add to that end's k copies.
        const double v = knots[static_cast<std::size_t>(i)];
        if (v == lowEnd || v == highEnd || run > k) {
            stacked = stacked || run > k || v == lowEnd || v == highEnd;
        }
    }
    if (stacked) {
        const double span = highEnd - lowEnd;
        const double delta = span * 1.0e-6 / (interior + 1);
        for (std::int32_t j = 0; j < interior; ++j) {
            auto& v = knots[static_cast<std::size_t>(k + j)];
            const double lo = j == 0 ? lowEnd : knots[static_cast<std::size_t>(k + j - 1)];
            v = std::max(v, lo + delta);
        }
        for (std::int32_t j = interior - 1; j >= 0; --j) {
            auto& v = knots[static_cast<std::size_t>(k + j)];
            const double hi =
                j == interior - 1 ? highEnd : knots[static_cast<std::size_t>(k + j + 1)];
            v = std::min(v, hi - delta);
        }
        for (std::int32_t j = 0; j <= interior; ++j) {
            const double lo = knots[static_cast<std::size_t>(k + j - 1)];
            const double hi = knots[static_cast<std::size_t>(k + j)];
            separated = separated && lo < hi;
        }
        if (separated) {
            E1MES(kWarning, 12,
                  "THE KNOTS FOUND TO BE OPTIMAL ARE STACKED MORE THAN KORDER.  THIS INDICATES "
                  "FEWER KNOTS WILL PRODUCE THE SAME ERROR SUM OF SQUARES.  THE KNOTS HAVE BEEN "
                  "SEPARATED SLIGHTLY.");
        } else {
            E1MES(kFatal, 8,
                  "THE KNOTS FOUND TO BE OPTIMAL ARE STACKED MORE THAN KORDER.  THIS INDICATES "
                  "FEWER KNOTS WILL PRODUCE THE SAME ERROR SUM OF SQUARES.");
            return;
        }
    }
    fit.score(knots);
}

} // namespace

double DB7VLS(const std::function<double(double)>& f, double lo, double hi, std::int32_t maxfn)
{
    RoutineScope scope("dB7VLS ");
    // Brent's minimiser: golden-section steps, parabolic steps where they behave.
    const double c = 0.5 * (3.0 - std::sqrt(5.0));
    const double eps = std::sqrt(DMACH(4));
    double a = lo;
    double b = hi;
    double v = a + c * (b - a);
    double w = v;
    double x = v;
    double e = 0.0;
    double d = 0.0;
    double fx = f(x);
    double fv = fx;
    double fw = fx;
    std::int32_t evaluations = 1;
    bool roundingStop = false;
    for (;;) {
        const double xm = 0.5 * (a + b);
        const double tol1 = eps * std::fabs(x) + (b - a) * 1.0e-10;
        const double tol2 = 2.0 * tol1;
        if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a)) {
            break;
        }
        if (evaluations >= maxfn) {
            E1VALI(1, maxfn);
            E1MES(kWarning, 11,
                  "The maximum number of function evaluations, MAXFN = %(I1), has been "
                  "exceeded.");
            return x;
        }
        bool golden = true;
        if (std::fabs(e) > tol1) {
            double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0) {
                p = -p;
            }
            q = std::fabs(q);
            const double etemp = e;
            e = d;
            if (!(std::fabs(p) >= std::fabs(0.5 * q * etemp) || p <= q * (a - x) ||
                  p >= q * (b - x))) {
                d = p / q;
                const double u = x + d;
                if (u - a < tol2 || b - u < tol2) {
                    d = xm >= x ? tol1 : -tol1;
                }
                golden = false;
            }
        }
        if (golden) {
            e = x >= xm ? a - x : b - x;
            d = c * e;
        }
        const double u = std::fabs(d) >= tol1 ? x + d : x + (d >= 0.0 ? tol1 : -tol1);
        if (u == x) {
            roundingStop = true;
            break;
        }
        const double fu = f(u);
        ++evaluations;
        if (fu <= fx) {
            if (u >= x) {
                a = x;
            } else {
                b = x;
            }
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            if (u < x) {
                a = u;
            } else {
                b = u;
            }
            if (fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    if (roundingStop) {
        E1MES(kWarning, 14, "Computer rounding errors prevent further refinement of X.");
    } else if (x - lo <= 2.0 * eps * (hi - lo) || hi - x <= 2.0 * eps * (hi - lo)) {
        E1MES(kWarning, 15,
              "The final value for X is at a bound.  The minimum is probably beyond the bound.");
    }
    return x;
}

void DB2VLS(std::int32_t ndata, const double* xdata, const double* fdata, const double* weight,
            std::int32_t korder, std::int32_t ncoef, const double* xguess, double* xknot,
            double* bscoef, std::int32_t* iwk)
{
    RoutineScope scope("dB2VLS ");
    if (korder < 1) {
        E1VALI(1, korder);
        E1MES(kTerminal, 16,
              "The order of the spline must be at least 1 while KORDER = %(I1) is given.");
        return;
    }
    if (ncoef <= korder) {
        E1VALI(1, ncoef);
        E1VALI(2, korder);
        E1MES(kTerminal, 17,
              "The number of coefficients must be larger than the order of the spline while "
              "NCOEF = %(I1) and KORDER = %(I2) are given.");
        return;
    }
    if (ncoef > ndata) {
        E1VALI(1, ncoef);
        E1VALI(2, ndata);
        E1MES(kTerminal, 18,
              "The number of coefficients must be at less than or equal to the number of data "
              "points while NCOEF = %(I1) and NDATA = %(I2) are given.");
        return;
    }
    if (!checkGuess(xguess, ncoef + korder, korder) ||
        !LSQ_CHECK(ndata, korder, xguess, weight, ncoef)) {
        return;
    }
    const auto N = static_cast<std::size_t>(ndata);
    std::vector<double> x(N), f(N), w(N);
    std::iota(iwk, iwk + ndata, 1);
    DSVRGP(ndata, xdata, x.data(), iwk);
    if (failed()) {
        return;
    }
    for (std::size_t i = 0; i < N; ++i) {
        f[i] = fdata[iwk[i] - 1];
        w[i] = weight[iwk[i] - 1];
    }
    Fit fit;
    fit.n = ndata;
    fit.k = korder;
    fit.ncoef = ncoef;
    fit.x = x.data();
    fit.f = f.data();
    fit.w = w.data();
    std::vector<double> knots(xguess, xguess + ncoef + korder);
    DB3VLS(fit, knots);
    if (failed()) {
        return;
    }
    std::copy(knots.begin(), knots.end(), xknot);
    std::copy(fit.coef.begin(), fit.coef.end(), bscoef);
}

} // namespace numerics
