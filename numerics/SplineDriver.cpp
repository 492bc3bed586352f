#include "numerics/SplineDriver.h"

#include "numerics/AkimaSpline.h"
#include "numerics/ArgumentChecks.h"
#include "numerics/BSpline.h"
#include "numerics/ConcavitySpline.h"
#include "numerics/CubicSpline.h"
#include "numerics/ErrorReporting.h"
#include "numerics/LeastSquaresBSpline.h"
#include "numerics/MachineConstants.h"
#include "numerics/SmoothingSpline.h"
#include "numerics/Sorting.h"
#include "numerics/VariableKnotBSpline.h"
#include "numerics/Workspace.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

namespace numerics {

namespace {

bool strictlyIncreasing(std::int32_t n, const double* x)
{
    for (std::int32_t i = 1; i < n; ++i) {
        if (!(x[i - 1] < x[i])) {
            return false;
        }
    }
    return true;
}

// For strictly increasing x: every element is finite when the two ends are (a NaN
// breaks the order).
bool finiteEnds(std::int32_t n, const double* x)
{
    return n < 1 || (std::isfinite(x[0]) && std::isfinite(x[n - 1]));
}

// Sorts x into s with perm (1-based); already increasing input is copied as it stands,
// which is what the sort would give.
void sortWithPermutation(std::int32_t n, const double* x, double* s, std::int32_t* perm)
{
    std::iota(perm, perm + n, 1);
    if (strictlyIncreasing(n, x)) {
        std::copy(x, x + n, s);
        return;
    }
    DSVRGP(n, x, s, perm);
}

// The checks 2 to 5 of the driver: posts TERMINAL codes 2 to 8. Returns false when itype
// is outside 1..15.
bool checkArguments(std::int32_t ndata, std::int32_t itype, std::int32_t ider, std::int32_t n)
{
    if (n < 1) {
        E1VALI(1, n);
        E1MES(kTerminal, 1, "The length of XVEC must be at least 1 while N = %(I1) is given.");
    }
    if (ider < 0) {
        E1VALI(1, ider);
        E1MES(kTerminal, 2,
              "The order of the derivative to be evaluated must be nonnegative, but IDER = "
              "%(I1).");
    }
    if (itype < 1 || itype > 15) {
        E1VALI(1, itype);
        E1MES(kTerminal, 3, "The value of ITYPE must be in the range 1,..,15, but ITYPE = %(I1).");
        return false;
    }
    if ((itype == 1 || itype == 3) && ndata <= itype) {
        E1VALI(1, ndata);
        E1VALI(2, itype + 1);
        E1MES(kTerminal, 4,
              "The number of data points must be %(I2) or more, but NDATA = %(I1) is given. ");
    } else if (itype == 2 && ndata < 4) {
        E1VALI(1, ndata);
        E1MES(kTerminal, 5,
              "The number of data points must be 4 or more, but NDATA = %(I1) is given. ");
    } else if (itype >= 4 && itype <= 8 && ndata < itype - 2) {
        E1VALI(1, itype - 2);
        E1VALI(2, ndata);
        E1MES(kTerminal, 6,
              "The number of data points must be %(I1) or more, but NDATA = %(I2) is given. ");
    } else if (itype >= 9 && itype <= 12 && ndata < 4) {
        E1VALI(1, ndata);
        E1MES(kTerminal, 7, "The number of data points must be 4 or more, but NDATA = %(I1).");
    } else if (itype >= 13 && ndata < itype - 10) {
        E1VALI(1, ndata);
        E1VALI(2, itype - 10);
        E1MES(kTerminal, 8, "The number of data points must be %(I2) or more, but NDATA = %(I1)");
    }
    return true;
}

// The order of the B-spline types, 4 for the cubic ones.
std::int32_t orderOf(std::int32_t itype)
{
    if (itype >= 4 && itype <= 8) {
        return itype - 2;
    }
    if (itype >= 10 && itype <= 12) {
        return itype - 8;
    }
    if (itype >= 13) {
        return itype - 11;
    }
    return 4;
}

// The end knot just right of the last abscissa.
double rightEnd(double last)
{
    const double eps = DMACH(4);
    return last == 0.0 ? 100.0 * eps : last * (1.0 + 100.0 * eps * (last >= 0.0 ? 1.0 : -1.0));
}

// The last clean fit DSPLEZ made, kept so that a call with the same data and type (the
// value and then the derivative of one curve, say) evaluates it without fitting again.
// The key is the data itself, compared in full: a match is the same fit by definition.
// Process-wide like the library's error state; the library runs on one thread.
struct FitCache
{
    bool valid = false;
    std::int32_t itype = 0;
    std::vector<double> x, f;
    // Piecewise-cubic form (types 1, 2, 3, 9) or B-spline form (the others).
    bool cubic = true;
    std::int32_t nintv = 0;
    std::vector<double> brk, cscoef;
    std::int32_t k = 0;
    std::int32_t ncoef = 0;
    std::vector<double> knots, bscoef;

    bool matches(std::int32_t ndata, const double* xdata, const double* fdata,
                 std::int32_t type) const
    {
        const auto n = static_cast<std::size_t>(ndata);
        // Bit for bit (a zero's sign included), the values first: a new spectrum usually
        // shares its abscissae with the last.
        return valid && itype == type && x.size() == n &&
               std::memcmp(fdata, f.data(), n * sizeof(double)) == 0 &&
               std::memcmp(xdata, x.data(), n * sizeof(double)) == 0;
    }

    void keepCubic(std::int32_t pieces, const double* breaks, const double* coef)
    {
        cubic = true;
        nintv = pieces;
        brk.assign(breaks, breaks + pieces + 1);
        cscoef.assign(coef, coef + 4 * static_cast<std::int64_t>(pieces + 1));
        valid = true;
    }

    void keepBSpline(std::int32_t order, std::int32_t count, const double* t, const double* coef)
    {
        cubic = false;
        k = order;
        ncoef = count;
        knots.assign(t, t + count + order);
        bscoef.assign(coef, coef + count);
        valid = true;
    }
};

FitCache g_fitCache;

// Where a per-type routine leaves a clean fit for the cache; null when the caller's
// workspace road runs without it.
FitCache* g_recordFit = nullptr;

// Records the fit when the routine that made it has posted nothing.
void recordCubic(std::int32_t pieces, const double* breaks, const double* coef)
{
    if (g_recordFit != nullptr && N1RTY(0) == 0) {
        g_recordFit->keepCubic(pieces, breaks, coef);
    }
}

void recordBSpline(std::int32_t order, std::int32_t count, const double* t, const double* coef)
{
    if (g_recordFit != nullptr && N1RTY(0) == 0) {
        g_recordFit->keepBSpline(order, count, t, coef);
    }
}

// Evaluates a piecewise cubic at xvec in the caller's order. work holds 4 * n values,
// iwk 2 * n.
void evaluateCubic(std::int32_t ider, std::int32_t n, const double* xvec, double* value,
                   std::int32_t nintv, const double* brk, const double* cscoef, double* work,
                   std::int32_t* iwk)
{
    // Points already in order (the usual case) are evaluated in place.
    if (strictlyIncreasing(n, xvec)) {
        DC21GD(ider, n, xvec, nintv, brk, cscoef, value, iwk + n, work + 2 * n, work + 3 * n);
        return;
    }
    double* s = work;
    double* v = work + n;
    sortWithPermutation(n, xvec, s, iwk);
    if (failed()) {
        return;
    }
    DC21GD(ider, n, s, nintv, brk, cscoef, v, iwk + n, work + 2 * n, work + 3 * n);
    if (failed()) {
        return;
    }
    for (std::int32_t j = 0; j < n; ++j) {
        value[iwk[j] - 1] = v[j];
    }
}

// Evaluates a B-spline at xvec in the caller's order. work holds 2 * n values, iwk 2 * n.
void evaluateBSpline(std::int32_t ider, std::int32_t n, const double* xvec, double* value,
                     std::int32_t k, const double* knots, std::int32_t ncoef, const double* bscoef,
                     double* work, std::int32_t* iwk)
{
    if (strictlyIncreasing(n, xvec)) {
        DB21GD(ider, n, xvec, k, knots, ncoef, bscoef, value, iwk + n);
        return;
    }
    double* s = work;
    double* v = work + n;
    sortWithPermutation(n, xvec, s, iwk);
    if (failed()) {
        return;
    }
    DB21GD(ider, n, s, k, knots, ncoef, bscoef, v, iwk + n);
    if (failed()) {
        return;
    }
    for (std::int32_t j = 0; j < n; ++j) {
        value[iwk[j] - 1] = v[j];
    }
}

void DS3LEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itype,
            std::int32_t ider, std::int32_t n, const double* xvec, double* value, double* wk,
            std::int32_t* iwk)
{
    // Types 1 and 2 share this road; they differ in the fitting call only.
    RoutineScope scope(itype == 1 ? "dS3LEZ" : "dS4LEZ");
    double* brk = wk;
    double* cscoef = wk + ndata;
    if (itype == 1) {
        DC2INT(ndata, xdata, fdata, brk, cscoef, iwk);
    } else {
        DC2AKM(ndata, xdata, fdata, brk, cscoef, iwk);
    }
    if (failed()) {
        return;
    }
    recordCubic(ndata - 1, brk, cscoef);
    evaluateCubic(ider, n, xvec, value, ndata - 1, brk, cscoef,
                  wk + 5 * static_cast<std::int64_t>(ndata), iwk);
}

void DS5LEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t ider,
            std::int32_t n, const double* xvec, double* value, double* wk, std::int32_t* iwk)
{
    RoutineScope scope("dS5LEZ");
    const std::int64_t nd = ndata;
    double* brk = wk;
    double* cscoef = wk + 2 * nd;
    std::int32_t nbrk = 0;
    DC2CON(ndata, xdata, fdata, 25, brk, cscoef, nbrk, iwk);
    if (failed()) {
        return;
    }
    recordCubic(nbrk - 1, brk, cscoef);
    evaluateCubic(ider, n, xvec, value, nbrk - 1, brk, cscoef, wk + 10 * nd, iwk);
}

void DS6LEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itype,
            std::int32_t ider, std::int32_t n, const double* xvec, double* value, double* wk,
            std::int32_t* iwk)
{
    RoutineScope scope("dS6LEZ");
    const std::int32_t k = itype - 2;
    const std::int64_t nd = ndata;
    double* bscoef = wk;
    double* knots = wk + nd;
    double* xsrt = knots + nd + k;
    double* fsrt = xsrt + nd;
    DB2NAK(ndata, xdata, k, knots, xsrt, iwk);
    if (failed()) {
        return;
    }
    DB2INT(ndata, xdata, fdata, k, knots, bscoef, xsrt, fsrt, iwk);
    if (failed()) {
        return;
    }
    recordBSpline(k, ndata, knots, bscoef);
    evaluateBSpline(ider, n, xvec, value, k, knots, ndata, bscoef, fsrt + nd, iwk);
}

void DS7LEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t ider,
            std::int32_t n, const double* xvec, double* value, double* wk, std::int32_t* iwk)
{
    RoutineScope scope("dS7LEZ");
    double* brk = wk;
    double* cscoef = wk + ndata;
    DC2SCV(ndata, xdata, fdata, 0, brk, cscoef, iwk);
    if (failed()) {
        return;
    }
    recordCubic(ndata - 1, brk, cscoef);
    evaluateCubic(ider, n, xvec, value, ndata - 1, brk, cscoef,
                  wk + 5 * static_cast<std::int64_t>(ndata), iwk);
}

void DS8LEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t k,
            std::int32_t ider, std::int32_t n, const double* xvec, double* value, double* wk,
            std::int32_t* iwk)
{
    RoutineScope scope("dS8LEZ");
    const std::int32_t ncoef = (ndata - 1) / 4 + k;
    const std::int64_t nd = ndata;
    double* bscoef = wk;
    double* weight = bscoef + ncoef;
    double* knots = weight + nd;
    double* xsrt = knots + ncoef + k;
    double* fsrt = xsrt + nd;
    double* wsrt = fsrt + nd;
    std::fill(weight, weight + nd, 1.0);

    // Knots at every fourth sorted abscissa.
    sortWithPermutation(ndata, xdata, xsrt, iwk);
    if (failed()) {
        return;
    }
    auto x = [xsrt](std::int32_t i) { return xsrt[i - 1]; };
    const std::int32_t q = ndata / 4;
    const std::int32_t r = ndata - 4 * q;
    xsrt[nd - 1] = rightEnd(x(ndata));
    for (std::int32_t i = 1; i <= k; ++i) {
        knots[i - 1] = x(1);
        knots[ncoef + i - 1] = x(ndata);
    }
    for (std::int32_t j = 1; j <= q - 1; ++j) {
        knots[k + j - 1] = x(4 * j);
    }
    if (r == 1) {
        knots[k + q - 1] = x(4 * q - 2);
    } else if (r >= 2) {
        knots[k + q - 1] = x(4 * q - 1);
    }
    DB2LSQ(ndata, xdata, fdata, weight, k, knots, ncoef, bscoef, xsrt, fsrt, wsrt, iwk);
    if (failed()) {
        return;
    }
    recordBSpline(k, ncoef, knots, bscoef);
    evaluateBSpline(ider, n, xvec, value, k, knots, ncoef, bscoef, wsrt + nd, iwk);
}

void DS9LEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t k,
            std::int32_t ider, std::int32_t n, const double* xvec, double* value, double* wk,
            std::int32_t* iwk)
{
    RoutineScope scope("dS9LEZ");
    const std::int32_t ncoef = ndata > 8 ? k + (ndata - 1) / 8 : k + 1;
    const std::int64_t nd = ndata;
    double* bscoef = wk;
    double* weight = bscoef + ncoef;
    double* knots = weight + nd;
    double* guess = knots + ncoef + k;
    double* xsrt = guess + ncoef + k;
    std::fill(weight, weight + nd, 1.0);

    sortWithPermutation(ndata, xdata, xsrt, iwk);
    if (failed()) {
        return;
    }
    xsrt[nd - 1] = rightEnd(xsrt[nd - 1]);
    auto x = [xsrt](std::int32_t i) { return xsrt[i - 1]; };
    for (std::int32_t i = 1; i <= k; ++i) {
        guess[i - 1] = x(1);
        guess[ncoef + i - 1] = x(ndata);
    }
    if (ndata > 8) {
        const std::int32_t q = ndata / 8;
        const std::int32_t r = ndata - 8 * q;
        for (std::int32_t j = 1; j <= q - 1; ++j) {
            guess[k + j - 1] = x(8 * j);
        }
        if (r >= 1 && r <= 3) {
            guess[k + q - 1] = x(8 * q - 4);
        } else if (r == 4 || r == 5) {
            guess[k + q - 1] = x(8 * q - 1);
        } else if (r >= 6) {
            guess[k + q - 1] = x(8 * q);
        }
    } else {
        // The middle point; with three points that would be the first one, whose knot
        // would stack on the end knots, so the second point serves.
        guess[k] = x(std::max(ndata / 2, 2));
    }
    DB2VLS(ndata, xdata, fdata, weight, k, ncoef, guess, knots, bscoef, iwk);
    if (failed()) {
        return;
    }
    recordBSpline(k, ncoef, knots, bscoef);
    evaluateBSpline(ider, n, xvec, value, k, knots, ncoef, bscoef, xsrt + nd, iwk);
}

void reportRepeatedPoint(std::int32_t code, const char* text, std::int32_t first,
                         std::int32_t second, double v)
{
    E1VALI(1, first);
    E1VALI(2, second);
    E1VALD(1, v);
    E1MES(kFatal, code, text);
}

} // namespace

namespace {
void runDriver(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itype,
               std::int32_t ider, std::int32_t n, const double* xvec, double* value, double* wk,
               std::int32_t* iwk, bool useCache);
} // namespace

std::int64_t splineWorkspaceSize(std::int32_t ndata, std::int32_t itype, std::int32_t n)
{
    const std::int64_t nd = ndata;
    const std::int64_t nn = n;
    const std::int64_t k = orderOf(itype);
    switch (itype) {
    case 1:
    case 2:
        return 5 * nd + 4 * nn;
    case 3:
        return 20 * nd + 4 * nn - 14;
    case 9:
        return 14 * (nd + 1) + 4 * nn;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
        return (5 * nd + 3) * k + 2 * (2 * nn + nd) + 2;
    case 10:
    case 11:
    case 12:
        return ((nd - 1) / 4 + k) * (k + 2) + 6 * nd + 4 * (k + nn) + 1;
    case 13:
    case 14:
    case 15:
        return ((nd - 1) / 8 + k + 1) * (2 * k + 9) + (nd + 10) * k + 4 * (nd + nn) + 4;
    default:
        return 0;
    }
}

void DSPLEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itype,
            std::int32_t ider, std::int32_t n, const double* xvec, double* value)
{
    RoutineScope scope("dSPLEZ");
    checkArguments(ndata, itype, ider, n);
    if (N1RTY(0) != 0) {
        return;
    }
    // Sizes in 64 bits: the products overflow 32 bits for large inputs.
    const std::int64_t doubles = splineWorkspaceSize(ndata, itype, n);
    const std::int64_t integers = static_cast<std::int64_t>(n) + std::max(ndata, n);
    WorkspaceArray<double> wk(static_cast<std::size_t>(std::max<std::int64_t>(doubles, 1)));
    WorkspaceArray<std::int32_t> iwk(static_cast<std::size_t>(integers));
    if (!wk || !iwk) {
        E1MES(kTerminal, 9, " ");
        E1VALI(1, ndata);
        E1VALI(2, n);
        if (itype == 1 || itype == 2 || itype == 3 || itype == 9) {
            E1MES(kTerminal, 9,
                  "The required storage cannot be allocated.  Workspace allocation is based on "
                  "NDATA =%(i1) and N =%(i2).");
        } else {
            E1VALI(3, orderOf(itype));
            E1MES(kTerminal, 9,
                  "The required storage cannot be allocated.  Workspace allocation is based on "
                  "NDATA = %(I1), N = %(I2), and K = %(I3). ");
        }
        return;
    }
    runDriver(ndata, xdata, fdata, itype, ider, n, xvec, value, wk.data(), iwk.data(), true);
}

void DS2LEZ(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itype,
            std::int32_t ider, std::int32_t n, const double* xvec, double* value, double* wk,
            std::int32_t* iwk)
{
    // The caller's workspace is filled as the per-type routines lay it out, so this road
    // always fits.
    runDriver(ndata, xdata, fdata, itype, ider, n, xvec, value, wk, iwk, false);
}

namespace {

void runDriver(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t itype,
               std::int32_t ider, std::int32_t n, const double* xvec, double* value, double* wk,
               std::int32_t* iwk, bool useCache)
{
    RoutineScope scope("dS2LEZ");
    if (!checkArguments(ndata, itype, ider, n) || N1RTY(0) != 0) {
        return;
    }
    // Data that match the last clean fit passed these checks then.
    const bool reuse = useCache && g_fitCache.matches(ndata, xdata, fdata, itype);
    std::int32_t same = 0;
    if (!reuse) {
        // A NaN or an infinity is reported as itself, not as a repeat of the point that
        // sorts next to it; values are checked too, since every type would carry them
        // into the whole curve.
        const bool dataInOrder = strictlyIncreasing(ndata, xdata);
        if (const std::int32_t bad =
                dataInOrder && finiteEnds(ndata, xdata) ? 0 : firstNonFinite(ndata, xdata, same);
            bad != 0) {
            reportRepeatedPoint(1,
                                "Points in the data point abscissas array, XDATA, must be "
                                "distinct, but XDATA(%(I1)) = XDATA(%(I2)) = %(d1).",
                                bad, same, xdata[bad - 1]);
            return;
        }
        if (!dataInOrder) {
            sortWithPermutation(ndata, xdata, wk, iwk);
            if (failed()) {
                return;
            }
            for (std::int32_t i = 1; i < ndata; ++i) {
                if (!(wk[i - 1] < wk[i])) {
                    reportRepeatedPoint(1,
                                        "Points in the data point abscissas array, XDATA, must "
                                        "be distinct, but XDATA(%(I1)) = XDATA(%(I2)) = %(d1).",
                                        iwk[i - 1], iwk[i], wk[i]);
                    return;
                }
            }
        }
        if (const std::int32_t bad = firstNonFinite(ndata, fdata, same); bad != 0) {
            E1VALI(1, bad);
            E1VALD(1, fdata[bad - 1]);
            E1MES(kFatal, 3,
                  "The data point values array, FDATA, must hold finite values, but "
                  "FDATA(%(I1)) = %(d1).");
            return;
        }
    }
    const bool pointsInOrder = strictlyIncreasing(n, xvec);
    if (const std::int32_t bad =
            pointsInOrder && finiteEnds(n, xvec) ? 0 : firstNonFinite(n, xvec, same);
        bad != 0) {
        reportRepeatedPoint(2,
                            "Points to be evaluated must be distinct, but XVEC(%(I1)) =  "
                            "XVEC(%(I2)) = %(d1).",
                            bad, same, xvec[bad - 1]);
        return;
    }
    if (!pointsInOrder) {
        sortWithPermutation(n, xvec, wk, iwk);
        if (failed()) {
            return;
        }
        for (std::int32_t i = 1; i < n; ++i) {
            if (!(wk[i - 1] < wk[i])) {
                reportRepeatedPoint(2,
                                    "Points to be evaluated must be distinct, but XVEC(%(I1)) =  "
                                    "XVEC(%(I2)) = %(d1).",
                                    iwk[i - 1], iwk[i], wk[i]);
                return;
            }
        }
    }
    if (reuse) {
        const FitCache& c = g_fitCache;
        if (c.cubic) {
            evaluateCubic(ider, n, xvec, value, c.nintv, c.brk.data(), c.cscoef.data(), wk, iwk);
        } else {
            evaluateBSpline(ider, n, xvec, value, c.k, c.knots.data(), c.ncoef, c.bscoef.data(), wk,
                            iwk);
        }
        return;
    }
    FitCache fresh;
    if (useCache) {
        g_fitCache.valid = false;
        // The copies of the data are made only once the fit is known to be clean.
        g_recordFit = &fresh;
    }
    struct StopRecording
    {
        ~StopRecording() { g_recordFit = nullptr; }
    } stopRecording;
    switch (itype) {
    case 1:
    case 2:
        DS3LEZ(ndata, xdata, fdata, itype, ider, n, xvec, value, wk, iwk);
        break;
    case 3:
        DS5LEZ(ndata, xdata, fdata, ider, n, xvec, value, wk, iwk);
        break;
    case 9:
        DS7LEZ(ndata, xdata, fdata, ider, n, xvec, value, wk, iwk);
        break;
    case 10:
    case 11:
    case 12:
        DS8LEZ(ndata, xdata, fdata, itype - 8, ider, n, xvec, value, wk, iwk);
        break;
    case 13:
    case 14:
    case 15:
        DS9LEZ(ndata, xdata, fdata, itype - 11, ider, n, xvec, value, wk, iwk);
        break;
    default:
        DS6LEZ(ndata, xdata, fdata, itype, ider, n, xvec, value, wk, iwk);
        break;
    }
    if (fresh.valid) {
        fresh.itype = itype;
        fresh.x.assign(xdata, xdata + ndata);
        fresh.f.assign(fdata, fdata + ndata);
        g_fitCache = std::move(fresh);
    }
}

} // namespace

} // namespace numerics
