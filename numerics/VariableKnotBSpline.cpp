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
constexpr int kSweeps = 2;
constexpr std::int32_t kEvaluationsPerKnot = 16;
// A knot is placed to within this share of the room it may move in.
constexpr double kKnotTolerance = 1.0e-2;
// A sweep that lowers the error sum by less than this share ends the refinement.
constexpr double kSweepGain = 1.0e-4;

// The sorted, weighted data of one fit and the coefficients of the last fit.
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

// Whether B-spline j (0-based, knots t) is nonzero at x, with the end conventions of the
// evaluator: the left end knot belongs to the first interval, the right end knot to the
// last one.
bool nonzeroAt(const std::vector<double>& t, std::int32_t k, std::int32_t j, double x)
{
    const double lo = t[static_cast<std::size_t>(j)];
    const double hi = t[static_cast<std::size_t>(j + k)];
    if (lo < x && x < hi) {
        return true;
    }
    if (x == lo && lo < hi && lo == t[static_cast<std::size_t>(j + k - 1)]) {
        return true;
    }
    return x == hi && lo < hi && hi == t.back() && t[static_cast<std::size_t>(j + 1)] == hi;
}

// The Schoenberg-Whitney conditions: the B-splines can be matched with distinct data
// points, each under its own B-spline, so the least-squares matrix has full rank. Both
// the supports and the points are ordered, so taking the first free point for each
// B-spline finds a matching whenever there is one.
bool schoenbergWhitney(const Fit& fit, const std::vector<double>& t)
{
    std::int32_t i = 0;
    for (std::int32_t j = 0; j < fit.ncoef; ++j) {
        while (i < fit.n && fit.x[i] <= t[static_cast<std::size_t>(j)] &&
               !nonzeroAt(t, fit.k, j, fit.x[i])) {
            ++i;
        }
        if (i >= fit.n || !nonzeroAt(t, fit.k, j, fit.x[i])) {
            return false;
        }
        ++i;
    }
    return true;
}

// Where each interior knot may stand: at least `least` data points strictly between it
// and each neighbour (the end points count at the ends), so every knot interval keeps
// data and no knots stack.
struct Admissible
{
    const Fit& fit;
    std::int32_t least = 1;

    // First data index strictly right of the left neighbour of interior knot q.
    std::int32_t firstRightOf(const std::vector<double>& t, std::int32_t q) const
    {
        if (q == fit.k) {
            return 0;
        }
        const double left = t[static_cast<std::size_t>(q - 1)];
        return static_cast<std::int32_t>(std::upper_bound(fit.x, fit.x + fit.n, left) - fit.x);
    }

    // Last data index strictly left of the right neighbour of interior knot q.
    std::int32_t lastLeftOf(const std::vector<double>& t, std::int32_t q) const
    {
        if (q == fit.ncoef - 1) {
            return fit.n - 1;
        }
        const double right = t[static_cast<std::size_t>(q + 1)];
        return static_cast<std::int32_t>(std::lower_bound(fit.x, fit.x + fit.n, right) - fit.x) - 1;
    }

    // The open range (lo, hi) for knot q with its neighbours where they are; false when
    // there is none.
    bool bounds(const std::vector<double>& t, std::int32_t q, double& lo, double& hi) const
    {
        const std::int32_t first = firstRightOf(t, q) + least - 1;
        const std::int32_t last = lastLeftOf(t, q) - least + 1;
        if (first < 0 || last >= fit.n || first >= last) {
            return false;
        }
        lo = fit.x[first];
        hi = fit.x[last];
        return lo < hi;
    }

    bool holds(const std::vector<double>& t) const
    {
        for (std::int32_t q = fit.k; q < fit.ncoef; ++q) {
            double lo = 0.0;
            double hi = 0.0;
            const double v = t[static_cast<std::size_t>(q)];
            if (!bounds(t, q, lo, hi) || !(lo < v && v < hi)) {
                return false;
            }
        }
        return true;
    }

    // Moves knots that stand too close to a neighbour to the middle of the nearest data
    // gap that leaves room, left to right and then right to left; knots at equal shares
    // of the data when that does not succeed.
    void enforce(std::vector<double>& t) const
    {
        const std::int32_t k = fit.k;
        const std::int32_t ncoef = fit.ncoef;
        auto gapAbove = [this](std::int32_t i) {
            return i + 1 < fit.n ? 0.5 * (fit.x[i] + fit.x[i + 1]) : fit.x[i];
        };
        for (std::int32_t q = k; q < ncoef; ++q) {
            const std::int32_t first = firstRightOf(t, q) + least - 1;
            auto& v = t[static_cast<std::size_t>(q)];
            if (first < fit.n && !(v > fit.x[first])) {
                v = gapAbove(first);
            }
        }
        for (std::int32_t q = ncoef - 1; q >= k; --q) {
            const std::int32_t last = lastLeftOf(t, q) - least + 1;
            auto& v = t[static_cast<std::size_t>(q)];
            if (last >= 1 && !(v < fit.x[last])) {
                v = gapAbove(last - 1);
            }
        }
        if (holds(t)) {
            return;
        }
        const std::int32_t interior = ncoef - k;
        for (std::int32_t j = 1; j <= interior; ++j) {
            const auto at =
                static_cast<std::int32_t>(static_cast<std::int64_t>(j) * fit.n / (interior + 1));
            t[static_cast<std::size_t>(k + j - 1)] = gapAbove(std::max(at - 1, 0));
        }
    }
};

// The fit around one interior knot: the k + 1 B-splines whose knots include it are fitted
// again to the data under them, the other coefficients held. Those others do not depend
// on that knot, so the local error sum changes exactly as the whole one does.
class LocalFit
{
public:
    LocalFit(const Fit& fit, std::vector<double>& knots, std::vector<double>& coef, std::int32_t q)
        : m_fit(fit), m_knots(knots), m_coef(coef), m_q(q), m_k(fit.k),
          m_size(static_cast<std::size_t>(fit.k + 1))
    {
        const double from = knots[static_cast<std::size_t>(q - m_k)];
        const double to = knots[static_cast<std::size_t>(q + m_k)];
        m_begin = static_cast<std::int32_t>(std::lower_bound(fit.x, fit.x + fit.n, from) - fit.x);
        m_end = static_cast<std::int32_t>(std::upper_bound(fit.x, fit.x + fit.n, to) - fit.x);
        // The data less what the held coefficients give.
        m_target.resize(static_cast<std::size_t>(m_end - m_begin));
        std::vector<double> biatx(static_cast<std::size_t>(m_k));
        std::vector<double> dl(biatx.size()), dr(biatx.size());
        std::int32_t left = m_k;
        for (std::int32_t i = m_begin; i < m_end; ++i) {
            const double x = fit.x[i];
            left = intervalOf(knots, x, left);
            B1BASV(knots.data(), m_k, x, left, biatx.data(), dl.data(), dr.data());
            double held = 0.0;
            for (std::int32_t a = 0; a < m_k; ++a) {
                const std::int32_t j = left - m_k + a;
                if (j < q - m_k || j > q) {
                    held += coef[static_cast<std::size_t>(j)] * biatx[static_cast<std::size_t>(a)];
                }
            }
            m_target[static_cast<std::size_t>(i - m_begin)] = fit.f[i] - held;
        }
    }

    // The error sum of the data under the free B-splines with the knot at position; the
    // fitted free coefficients are kept for take().
    double operator()(double position)
    {
        // The trial position stands in the knots only while the sums are formed.
        std::vector<double>& t = m_knots;
        const double kept = t[static_cast<std::size_t>(m_q)];
        t[static_cast<std::size_t>(m_q)] = position;
        const std::size_t m = m_size;
        m_normal.assign(m * m, 0.0);
        m_rhs.assign(m, 0.0);
        m_rows.resize(static_cast<std::size_t>(m_end - m_begin) * m);
        double* biatx = m_basis.data();
        double* dl = biatx + m_k;
        double* dr = dl + m_k;
        std::int32_t left = std::max(m_k, m_q - m_k + 1);
        for (std::int32_t i = m_begin; i < m_end; ++i) {
            const double x = m_fit.x[i];
            left = intervalOf(t, x, left);
            B1BASV(t.data(), m_k, x, left, biatx, dl, dr);
            double* row = &m_rows[static_cast<std::size_t>(i - m_begin) * m];
            std::fill(row, row + m, 0.0);
            for (std::int32_t a = 0; a < m_k; ++a) {
                const std::int32_t j = left - m_k + a - (m_q - m_k);
                if (j >= 0 && j <= m_k) {
                    row[j] = biatx[a];
                }
            }
            const double w = m_fit.w[i];
            const double r = m_target[static_cast<std::size_t>(i - m_begin)];
            for (std::size_t a = 0; a < m; ++a) {
                if (row[a] == 0.0) {
                    continue;
                }
                const double wa = w * row[a];
                m_rhs[a] += wa * r;
                for (std::size_t b = a; b < m; ++b) {
                    m_normal[a * m + b] += wa * row[b];
                }
            }
        }
        t[static_cast<std::size_t>(m_q)] = kept;
        if (!solve()) {
            return DMACH(2);
        }
        double sum = 0.0;
        for (std::int32_t i = m_begin; i < m_end; ++i) {
            const double* row = &m_rows[static_cast<std::size_t>(i - m_begin) * m];
            double s = 0.0;
            for (std::size_t a = 0; a < m; ++a) {
                s += row[a] * m_rhs[a];
            }
            const double r = m_target[static_cast<std::size_t>(i - m_begin)] - s;
            sum += m_fit.w[i] * r * r;
        }
        return sum;
    }

    // Moves the knot to position and takes the free coefficients fitted there.
    double take(double position)
    {
        const double sum = (*this)(position);
        m_knots[static_cast<std::size_t>(m_q)] = position;
        for (std::size_t a = 0; a < m_size; ++a) {
            m_coef[static_cast<std::size_t>(m_q - m_k) + a] = m_rhs[a];
        }
        return sum;
    }

private:
    // 1-based left with t(left) <= x < t(left + 1), moving on from a previous left.
    std::int32_t intervalOf(const std::vector<double>& t, double x, std::int32_t left) const
    {
        while (left < m_fit.ncoef && x >= t[static_cast<std::size_t>(left)]) {
            ++left;
        }
        return left;
    }

    // Cholesky solve of the small normal equations in place; false when they are singular.
    bool solve()
    {
        const std::size_t m = m_size;
        std::vector<double>& a = m_normal;
        for (std::size_t j = 0; j < m; ++j) {
            double d = a[j * m + j];
            for (std::size_t p = 0; p < j; ++p) {
                d -= a[p * m + j] * a[p * m + j];
            }
            if (!(d > 0.0)) {
                return false;
            }
            d = std::sqrt(d);
            a[j * m + j] = d;
            for (std::size_t i = j + 1; i < m; ++i) {
                double v = a[j * m + i];
                for (std::size_t p = 0; p < j; ++p) {
                    v -= a[p * m + j] * a[p * m + i];
                }
                a[j * m + i] = v / d;
            }
        }
        for (std::size_t i = 0; i < m; ++i) {
            double v = m_rhs[i];
            for (std::size_t p = 0; p < i; ++p) {
                v -= a[p * m + i] * m_rhs[p];
            }
            m_rhs[i] = v / a[i * m + i];
        }
        for (std::size_t i = m; i-- > 0;) {
            double v = m_rhs[i];
            for (std::size_t p = i + 1; p < m; ++p) {
                v -= a[i * m + p] * m_rhs[p];
            }
            m_rhs[i] = v / a[i * m + i];
        }
        return true;
    }

    const Fit& m_fit;
    std::vector<double>& m_knots;
    std::vector<double>& m_coef;
    std::int32_t m_q;
    std::int32_t m_k;
    std::size_t m_size;
    std::int32_t m_begin = 0;
    std::int32_t m_end = 0;
    std::vector<double> m_target;
    std::vector<double> m_basis = std::vector<double>(static_cast<std::size_t>(3 * m_k));
    std::vector<double> m_normal;
    std::vector<double> m_rhs;
    std::vector<double> m_rows;
};

// The least and greatest value of the fitted spline between the data: at the data points
// and at the middle of each gap.
void spanOfFit(const Fit& fit, const std::vector<double>& t, double& lowest, double& highest)
{
    std::vector<double> work(static_cast<std::size_t>(3 * fit.k));
    lowest = DMACH(2);
    highest = -DMACH(2);
    for (std::int32_t i = 0; i < fit.n; ++i) {
        const double at[2] = {fit.x[i], i + 1 < fit.n ? 0.5 * (fit.x[i] + fit.x[i + 1]) : fit.x[i]};
        for (const double x : at) {
            const double v = B1VALU(x, 0, fit.k, t.data(), fit.ncoef, fit.coef.data(), work.data());
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
    }
}

// Whether the polynomial of the spline's order fits the data to within rounding of the
// error sum sse.
bool onePieceDoesAsWell(const Fit& fit, double sse)
{
    Fit plain = fit;
    plain.ncoef = fit.k;
    std::vector<double> ends(static_cast<std::size_t>(2 * fit.k), fit.x[0]);
    std::fill(ends.begin() + fit.k, ends.end(), fit.x[fit.n - 1]);
    const double onePiece = plain.score(ends);
    double size = 0.0;
    for (std::int32_t i = 0; i < fit.n; ++i) {
        size += fit.w[i] * fit.f[i] * fit.f[i];
    }
    return onePiece <= sse + 64.0 * DMACH(4) * size;
}

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

// One pass of the equidistribution: with the fit, convert to piecewise-polynomial form and move
// the interior knots so that each piece holds an equal share of the k-th root of the
// jumps of the highest derivative.
// fit.coef holds the fit for the knots already.
void B1STEP(Fit& fit, std::vector<double>& knots, std::vector<double>& brk, std::vector<double>& pp,
            std::vector<double>& moved)
{
    RoutineScope scope("B1STEP");
    const std::int32_t k = fit.k;
    const std::int32_t interior = fit.ncoef - k;
    std::int32_t pieces = 0;
    DB3CPP(k, knots.data(), fit.ncoef, fit.coef.data(), pieces, brk.data(), pp.data());
    if (pieces < 1) {
        return;
    }
    B1KNOT(brk.data(), pp.data(), pieces, k, moved.data(), interior + 2);
    for (std::int32_t j = 0; j < interior; ++j) {
        knots[static_cast<std::size_t>(k + j)] = moved[static_cast<std::size_t>(j + 1)];
    }
}

// The knot optimisation on sorted data. Every knot set tried keeps at least `least` data
// points in each knot interval, so the fits stay determined (Schoenberg-Whitney) and
// follow the data between the points. knots holds the first guess and receives the
// result; fit.coef the coefficients.
void DB3VLS(Fit& fit, std::vector<double>& knots)
{
    RoutineScope scope("dB3VLS");
    const std::int32_t k = fit.k;
    const std::int32_t ncoef = fit.ncoef;
    const std::int32_t interior = ncoef - k;
    Admissible admissible{fit, 1};
    // Two points per interval where the data allow it.
    admissible.least = std::clamp((fit.n - interior) / (interior + 1), 1, 2);
    // The first fit also checks that the data lie within the end knots.
    double best = fit.score(knots);
    if (failed()) {
        return;
    }
    // A first guess with a knot on a data point may still meet the conditions, as the
    // middle point of three does; it is kept as it is then.
    if (!admissible.holds(knots) && !schoenbergWhitney(fit, knots)) {
        admissible.enforce(knots);
        best = fit.score(knots);
    }
    const std::vector<double> firstGuess = knots;
    std::vector<double> bestKnots = knots;

    // Equidistribution passes.
    std::vector<double> brk(static_cast<std::size_t>(interior + 2));
    std::vector<double> pp(static_cast<std::size_t>(k) * static_cast<std::size_t>(interior + 1));
    std::vector<double> moved(static_cast<std::size_t>(interior + 2));
    std::vector<double> trial = knots;
    for (int pass = 0; pass < kKnotPasses && interior > 0; ++pass) {
        // fit.coef is the fit for trial: the first fit above, or the score of the last pass.
        const std::vector<double> before = trial;
        B1STEP(fit, trial, brk, pp, moved);
        if (failed()) {
            return;
        }
        admissible.enforce(trial);
        if (trial == before) {
            break;
        }
        const double score = fit.score(trial);
        if (score < best) {
            best = score;
            bestKnots = trial;
        }
    }
    knots = bestKnots;
    best = fit.score(knots);
    std::vector<double> coef = fit.coef;
    // The knot sets in order of refinement, each with a lower error sum than the one
    // before; the last one is taken unless its curve leaves the data's range.
    std::vector<std::vector<double>> refined = {firstGuess};
    if (knots != firstGuess) {
        refined.push_back(knots);
    }

    // One knot at a time within its admissible range, the B-splines around it fitted
    // again for each trial position.
    for (int sweep = 0; sweep < kSweeps && interior > 0 && best > 0.0; ++sweep) {
        const double before = best;
        for (std::int32_t q = k; q < ncoef; ++q) {
            double lo = 0.0;
            double hi = 0.0;
            if (!admissible.bounds(knots, q, lo, hi)) {
                continue;
            }
            const double current = knots[static_cast<std::size_t>(q)];
            LocalFit local(fit, knots, coef, q);
            const double atCurrent = local(current);
            const double position =
                DB7VLS(std::ref(local), lo, hi, kEvaluationsPerKnot, kKnotTolerance * (hi - lo));
            // The minimiser's ends (a knot at the edge of its room, the evaluations used
            // up) only mean that this knot moves no further in this sweep.
            E1MES(0, 0, " ");
            const bool inside = lo < position && position < hi;
            if (inside && local(position) < atCurrent) {
                local.take(position);
            } else {
                local.take(current);
            }
        }
        best = fit.score(knots);
        coef = fit.coef;
        if (!schoenbergWhitney(fit, knots)) {
            // Not reached with the admissible ranges; the sweep is undone if it is.
            knots = refined.back();
            break;
        }
        refined.push_back(knots);
        if (!(best < before * (1.0 - kSweepGain))) {
            break;
        }
    }

    // The fit must follow smooth data between the points. Where the most refined knots
    // give a curve that leaves the data's range (widened by 5 %), the most refined set
    // whose curve stays within it is taken, with the warning; with none, the most refined.
    double fmin = DMACH(2);
    double fmax = -DMACH(2);
    for (std::int32_t i = 0; i < fit.n; ++i) {
        fmin = std::min(fmin, fit.f[i]);
        fmax = std::max(fmax, fit.f[i]);
    }
    const double margin = 0.05 * (fmax - fmin);
    auto withinRange = [&](const std::vector<double>& t) {
        fit.score(t);
        double lowest = 0.0;
        double highest = 0.0;
        spanOfFit(fit, t, lowest, highest);
        return lowest >= fmin - margin && highest <= fmax + margin;
    };
    bool warn = false;
    if (!withinRange(knots)) {
        for (std::size_t i = refined.size() - 1; i-- > 0;) {
            if (withinRange(refined[i])) {
                knots = refined[i];
                break;
            }
        }
        warn = true;
    }
    // Data that one polynomial piece fits as well: the interior knots add nothing, and
    // wherever they stand they are only kept apart.
    warn = warn || (interior > 0 && onePieceDoesAsWell(fit, fit.score(knots)));
    if (warn) {
        E1MES(kWarning, 12,
              "THE KNOTS FOUND TO BE OPTIMAL ARE STACKED MORE THAN KORDER.  THIS INDICATES "
              "FEWER KNOTS WILL PRODUCE THE SAME ERROR SUM OF SQUARES.  THE KNOTS HAVE BEEN "
              "SEPARATED SLIGHTLY.");
    }
    if (!schoenbergWhitney(fit, knots)) {
        E1MES(kFatal, 8,
              "THE KNOTS FOUND TO BE OPTIMAL ARE STACKED MORE THAN KORDER.  THIS INDICATES "
              "FEWER KNOTS WILL PRODUCE THE SAME ERROR SUM OF SQUARES.");
        return;
    }
    fit.score(knots);
}

} // namespace

double DB7VLS(const std::function<double(double)>& f, double lo, double hi, std::int32_t maxfn,
              double xtol)
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
        const double tol1 = std::max(eps * std::fabs(x) + (b - a) * 1.0e-10, xtol / 3.0);
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
