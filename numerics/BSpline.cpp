#include "numerics/BSpline.h"

#include "numerics/ArgumentChecks.h"
#include "numerics/BandedSystems.h"
#include "numerics/CubicSpline.h"
#include "numerics/ErrorReporting.h"
#include "numerics/MachineConstants.h"
#include "numerics/Sorting.h"
#include "numerics/SplineKernels.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

namespace numerics {

namespace {

void reportRepeatedKnotAbscissa(std::int32_t type, std::int32_t code, std::int32_t first,
                                std::int32_t second, double value)
{
    E1VALI(1, first);
    E1VALI(2, second);
    E1VALD(1, value);
    E1MES(type, code,
          "Points in the data point abscissas array, XDATA, must be distinct, but XDATA(%(I1)) "
          "= XDATA(%(I2)) = %(d1).");
}

// Sorts x into xsrt with iwk as the permutation; the first pair that does not increase is
// reported (with the caller's positions) and false returned.
bool sortDistinct(std::int32_t n, const double* x, double* xsrt, std::int32_t* iwk,
                  std::int32_t type, std::int32_t code)
{
    // A NaN or an infinity is no abscissa; it is reported as itself, not as a repeat of
    // the point that sorts next to it.
    std::int32_t same = 0;
    if (const std::int32_t bad = firstNonFinite(n, x, same); bad != 0) {
        reportRepeatedKnotAbscissa(type, code, bad, same, x[bad - 1]);
        return false;
    }
    std::iota(iwk, iwk + n, 1);
    DSVRGP(n, x, xsrt, iwk);
    if (failed()) {
        return false;
    }
    for (std::int32_t i = 1; i < n; ++i) {
        if (!(xsrt[i - 1] < xsrt[i])) {
            reportRepeatedKnotAbscissa(type, code, iwk[i - 1], iwk[i], xsrt[i]);
            return false;
        }
    }
    return true;
}

// A knot run longer than the order, or a decreasing knot; false after a report.
bool checkKnots(const double* t, std::int32_t count, std::int32_t order, std::int32_t runCode,
                std::int32_t orderCode, const char* runText, const char* orderText)
{
    std::int32_t run = 1;
    for (std::int32_t i = 2; i <= count; ++i) {
        if (t[i - 1] == t[i - 2]) {
            ++run;
            if (run > order) {
                E1VALI(1, i - run + 1);
                E1VALI(2, i);
                E1VALD(1, t[i - 1]);
                E1VALI(3, order);
                E1MES(kFatal, runCode, runText);
                return false;
            }
        } else {
            run = 1;
        }
        if (t[i - 1] < t[i - 2]) {
            E1VALI(1, i - 1);
            E1VALD(1, t[i - 2]);
            E1VALI(2, i);
            E1VALD(2, t[i - 1]);
            E1MES(kFatal, orderCode, orderText);
            return false;
        }
    }
    return true;
}

} // namespace

void DB2NAK(std::int32_t ndata, const double* xdata, std::int32_t korder, double* xknot,
            double* xsrt, std::int32_t* iwk)
{
    RoutineScope scope("dB2NAK ");
    if (korder < 2) {
        E1VALI(1, korder);
        E1MES(kTerminal, 1,
              "The order of the spline must be at least 2 while KORDER = %(I1) is given.");
    }
    if (ndata < korder) {
        E1VALI(1, ndata);
        E1VALI(2, korder);
        E1MES(kTerminal, 2,
              "The number of data points must be at least as large as the order of the spline "
              "while NDATA = %(I1) and KORDER = %(I2) are given.");
    }
    if (N1RTY(0) != 0) {
        return;
    }
    std::int32_t first = 0;
    for (std::int32_t i = 1; i < ndata; ++i) {
        if (!(xdata[i - 1] < xdata[i])) {
            first = i;
            break;
        }
    }
    std::int32_t same = 0;
    if (const std::int32_t bad = firstNonFinite(ndata, xdata, same); bad != 0) {
        reportRepeatedKnotAbscissa(kTerminal, 5, bad, same, xdata[bad - 1]);
        return;
    }
    if (first == 0) {
        std::copy(xdata, xdata + ndata, xsrt);
    } else if (xdata[first - 1] == xdata[first]) {
        reportRepeatedKnotAbscissa(kFatal, 4, first, first + 1, xdata[first]);
        return;
    } else if (!sortDistinct(ndata, xdata, xsrt, iwk, kTerminal, 5)) {
        return;
    }
    const std::int32_t k = korder;
    const double eps = DMACH(4);
    const double last = xsrt[ndata - 1];
    const double right =
        last == 0.0 ? 100.0 * eps : last * (1.0 + 100.0 * eps * (last >= 0 ? 1 : -1));
    for (std::int32_t i = 0; i < k; ++i) {
        xknot[i] = xsrt[0];
        xknot[ndata + i] = right;
    }
    const std::int32_t half = k / 2;
    for (std::int32_t i = k + 1; i <= ndata; ++i) {
        if (k % 2 == 0) {
            xknot[i - 1] = xsrt[i - k + half - 1];
        } else {
            xknot[i - 1] = (xsrt[i - half - 2] + xsrt[i - half - 1]) * 0.5;
        }
    }
}

void DB3INT(std::int32_t korder, const double* xknot, std::int32_t ndata)
{
    RoutineScope scope("dB3INT ");
    if (korder < 1) {
        E1VALI(1, korder);
        E1MES(kTerminal, 1,
              "The order of the spline must be at least 1 while KORDER = %(I1) is given.");
        return;
    }
    if (ndata < korder) {
        E1VALI(1, ndata);
        E1VALI(2, korder);
        E1MES(kTerminal, 2,
              "The number of data points must be at least as large as the order of the spline "
              "while NDATA = %(I1) and KORDER = %(I2) are given.");
        return;
    }
    checkKnots(xknot, ndata + korder, korder, 4, 5,
               "The knots XKNOT(%(I1)) through XKNOT(%(I2)) are all equal to %(d1).  The "
               "multiplicity of the knots must not exceed KORDER = %(I3).",
               "The knot XKNOT(%(I1)) = %(d1) and XKNOT(%(I2)) = %(d2).  The knots must be "
               "nondecreasing.");
}

void BSPLINE_DATA_CHECK(std::string_view direction, std::string_view orderName, std::int32_t ndata,
                        const double* xsrt, std::int32_t korder, const double* xknot)
{
    const std::string countName =
        orderName == "KORDER" ? std::string("NDATA") : "N" + std::string(direction) + "DATA";
    auto names = [&] {
        E1VALL(1, direction);
        E1VALL(2, orderName);
        E1VALL(3, countName);
    };
    if (korder < 1) {
        names();
        E1VALI(1, korder);
        E1MES(kTerminal, 10,
              "The order of the spline in the %(L1) direction must be at least 1 while %(L2) = "
              "%(I1) is given.");
        return;
    }
    if (ndata < korder) {
        names();
        E1VALI(1, ndata);
        E1VALI(2, korder);
        E1MES(kTerminal, 11,
              "The number of data points in the %(L1) direction must be at least as large as "
              "the order of the spline in the %(L1) direction while %(L3) = %(I1) and %(L2) = "
              "%(I2) are given.");
        return;
    }
    // The knot checks, with the direction in the names.
    std::int32_t run = 1;
    const std::int32_t count = ndata + korder;
    for (std::int32_t i = 2; i <= count; ++i) {
        run = xknot[i - 1] == xknot[i - 2] ? run + 1 : 1;
        if (run > korder) {
            names();
            E1VALI(1, i - run + 1);
            E1VALI(2, i);
            E1VALD(1, xknot[i - 1]);
            E1VALI(3, korder);
            E1MES(kFatal, 13,
                  "The knots %(L1)KNOT(%(I1)) through %(L1)KNOT(%(I2)) are all equal to %(d1).  "
                  "The multiplicity of the knots must not exceed %(L2) = %(I3).");
            return;
        }
        if (xknot[i - 1] < xknot[i - 2]) {
            names();
            E1VALI(1, i - 1);
            E1VALD(1, xknot[i - 2]);
            E1VALI(2, i);
            E1VALD(2, xknot[i - 1]);
            E1MES(kFatal, 14,
                  "The knot %(L1)KNOT(%(I1)) = %(d1) and %(L1)KNOT(%(I2)) = %(d2).  The knots "
                  "must be nondecreasing.");
            return;
        }
    }
    const std::int32_t n = ndata;
    const std::int32_t k = korder;
    auto t = [xknot](std::int32_t i) { return xknot[i - 1]; };
    auto x = [xsrt](std::int32_t i) { return xsrt[i - 1]; };
    auto report = [&](std::int32_t code, std::int32_t i1, std::int32_t i2, double r1, double r2,
                      double r3, const char* text) {
        names();
        E1VALI(1, i1);
        E1VALI(2, i2);
        E1VALR(1, static_cast<float>(r1));
        E1VALR(2, static_cast<float>(r2));
        E1VALR(3, static_cast<float>(r3));
        E1MES(kFatal, code, text);
    };
    if (!(t(1) <= x(1) && x(1) < t(1 + k))) {
        report(17, 1, 1 + k, x(1), t(1), t(1 + k),
               "The smallest element in %(L1)DATA must be greater than or equal to %(L1)KNOT(1) "
               "and less than %(L1)KNOT(1+%(L2)) while %(L1)DATA(1) = %(R1), %(L1)KNOT(1) = "
               "%(R2), %(L1)KNOT(%(I2)) = %(R3) are given.  ");
        return;
    }
    for (std::int32_t i = 2; i <= n - 1; ++i) {
        if (!(t(i) < x(i) && x(i) < t(i + k))) {
            report(15, i, i + k, x(i), t(i), t(i + k),
                   "The Ith smallest element (I=%(I1)) in %(L1)DATA must be in the interval "
                   "(%(L1)KNOT(I),%(L1)KNOT(I+%(L2))) while %(L1)DATA(%(I1)) = %(R1), "
                   "%(L1)KNOT(%(I1)) = %(R2), %(L1)KNOT(%(I2)) = %(R3) are given.  ");
            return;
        }
    }
    if (n >= 2 && !(t(n) < x(n) && x(n) <= t(n + k))) {
        report(16, n, n + k, x(n), t(n), t(n + k),
               "The largest element in %(L1)DATA must be greater than %(L1)KNOT(NDATA) and less "
               "than or equal to %(L1)KNOT(NDATA+%(L2)) while %(L1)DATA(NDATA) = %(R1), "
               "%(L1)KNOT(NDATA) = %(R2), %(L1)KNOT(%(I2)) = %(R3) are given.  ");
    }
}

void DB2INT(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t korder,
            const double* xknot, double* bscoef, double* xsrt, double* fsrt, std::int32_t* iwk)
{
    RoutineScope scope("dB2INT");
    DB3INT(korder, xknot, ndata);
    if (failed()) {
        return;
    }
    if (!sortDistinct(ndata, xdata, xsrt, iwk, kFatal, 3)) {
        return;
    }
    for (std::int32_t i = 0; i < ndata; ++i) {
        fsrt[i] = fdata[iwk[i] - 1];
    }
    BSPLINE_DATA_CHECK("X", "KORDER", ndata, xsrt, korder, xknot);
    if (failed()) {
        return;
    }

    // The collocation system in band storage: k - 1 lower and upper codiagonals.
    RoutineScope collocation("dB5INT");
    const std::int32_t k = korder;
    const std::int32_t n = ndata;
    const std::int32_t lda = 2 * k - 1;
    std::vector<double> band(static_cast<std::size_t>(lda) * static_cast<std::size_t>(n), 0.0);
    std::vector<double> biatx(static_cast<std::size_t>(k));
    std::vector<double> dl(static_cast<std::size_t>(k));
    std::vector<double> dr(static_cast<std::size_t>(k));
    std::int32_t left = k;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double xi = xsrt[i - 1];
        const std::int32_t limit = std::min(i + k, n + 1);
        left = std::max(left, i);
        while (left + 1 < limit && xi >= xknot[left]) {
            ++left;
        }
        B1BASV(xknot, k, xi, left, biatx.data(), dl.data(), dr.data());
        for (std::int32_t c = 0; c < k; ++c) {
            const std::int64_t j = left - k + 1 + c; // column, 1-based
            band[static_cast<std::size_t>((j - 1) * lda + (k - 1) + i - j)] =
                biatx[static_cast<std::size_t>(c)];
        }
    }
    const std::int32_t ldfac = bandFactorRows(k - 1, k - 1);
    std::vector<double> fact(static_cast<std::size_t>(ldfac) * static_cast<std::size_t>(n));
    std::vector<std::int32_t> ipvt(static_cast<std::size_t>(n));
    std::vector<double> wk(static_cast<std::size_t>(n));
    dL2ARB(n, band.data(), lda, k - 1, k - 1, fsrt, 1, bscoef, fact.data(), ipvt.data(), wk.data());
}

void DB3CPP(std::int32_t korder, const double* xknot, std::int32_t ncoef, const double* bscoef,
            std::int32_t& nppcf, double* brk, double* ppcoef)
{
    RoutineScope scope("dB3CPP");
    const std::int32_t k = korder;
    auto t = [xknot](std::int64_t i) { return xknot[i - 1]; };
    std::vector<double> scratch(static_cast<std::size_t>(k) * static_cast<std::size_t>(k));
    auto S = [&scratch, k](std::int32_t i, std::int32_t j) -> double& {
        return scratch[static_cast<std::size_t>((j - 1) * k + (i - 1))];
    };
    std::vector<double> biatx(static_cast<std::size_t>(k));
    std::vector<double> dl(static_cast<std::size_t>(k));
    std::vector<double> dr(static_cast<std::size_t>(k));
    brk[0] = t(k);
    std::int32_t pieces = 0;
    for (std::int32_t l = k; l <= ncoef; ++l) {
        if (!(t(l) < t(l + 1))) {
            continue;
        }
        ++pieces;
        brk[pieces] = t(l + 1);
        double* coef = ppcoef + static_cast<std::int64_t>(pieces - 1) * k;
        if (k == 1) {
            coef[0] = bscoef[l - 1];
            continue;
        }
        std::fill(scratch.begin(), scratch.end(), 0.0);
        for (std::int32_t i = 1; i <= k; ++i) {
            S(i, 1) = bscoef[l - k + i - 1];
        }
        for (std::int32_t j = 1; j <= k - 1; ++j) {
            const std::int32_t kmj = k - j;
            for (std::int32_t i = 1; i <= kmj; ++i) {
                const double span = t(l + i) - t(l + i - kmj);
                if (span > 0.0) {
                    S(i, j + 1) = (S(i + 1, j) - S(i, j)) / span * kmj;
                }
            }
        }
        coef[k - 1] = S(1, k);
        for (std::int32_t jp1 = 2; jp1 <= k; ++jp1) {
            B1BASV(xknot, jp1, t(l), l, biatx.data(), dl.data(), dr.data());
            const std::int32_t kmj = k + 1 - jp1;
            double sum = 0.0;
            for (std::int32_t i = 1; i <= jp1; ++i) {
                sum += biatx[static_cast<std::size_t>(i - 1)] * S(i, kmj);
            }
            coef[kmj - 1] = sum;
        }
    }
    nppcf = pieces;
}

void DB2CPP(std::int32_t korder, const double* xknot, std::int32_t ncoef, const double* bscoef,
            std::int32_t& nppcf, double* brk, double* ppcoef)
{
    RoutineScope scope("dB2CPP");
    if (korder < 1) {
        E1VALI(1, korder);
        E1MES(kTerminal, 1,
              "The order of the spline must be at least 1 while KORDER = %(I1) is given.");
    }
    if (ncoef < korder) {
        E1VALI(1, ncoef);
        E1VALI(2, korder);
        E1MES(kTerminal, 3,
              "The number of coefficients must be at least as large as the order of the spline "
              "while NCOEF = %(I1) and KORDER = %(I2) are given.");
    }
    if (N1RTY(0) != 0) {
        return;
    }
    DB3INT(korder, xknot, ncoef);
    if (N1RTY(1) != 0) {
        return;
    }
    DB3CPP(korder, xknot, ncoef, bscoef, nppcf, brk, ppcoef);
}

void DB21GD(std::int32_t ideriv, std::int32_t n, const double* xvec, std::int32_t korder,
            const double* xknot, std::int32_t ncoef, const double* bscoef, double* value,
            std::int32_t* iwk)
{
    RoutineScope scope("dB21GD");
    if (n < 1) {
        E1VALI(1, n);
        E1MES(kTerminal, 2, "The length of XVEC must be at least one while N = %(I1) is given.");
    }
    if (ideriv < 0) {
        E1VALI(1, ideriv);
        E1MES(kTerminal, 4,
              "The order of the derivative must be at least zero, while IDERIV = %(I1) is "
              "given.");
    }
    if (korder < 1) {
        E1VALI(1, korder);
        E1MES(kTerminal, 1,
              "The order of the spline must be at least 1 while KORDER = %(I1) is given.");
    }
    for (std::int32_t i = 1; i < n; ++i) {
        if (!(xvec[i - 1] < xvec[i])) {
            E1VALI(1, i);
            E1VALI(2, i + 1);
            E1VALD(1, xvec[i - 1]);
            E1VALD(2, xvec[i]);
            E1MES(kFatal, 5,
                  "The X data values must be strictly increasing, but XVEC(%(I1)) = %(d1) and "
                  "XVEC(%(I2)) = %(d2).");
        }
    }
    if (ncoef < korder) {
        E1VALI(1, ncoef);
        E1VALI(2, korder);
        E1MES(kTerminal, 3,
              "The number of coefficients must be greater than or equal to the order while "
              "NCOEF = %(I1) and KORDER = %(I2) are given.");
    }
    if (N1RTY(0) != 0) {
        return;
    }
    const auto pieces = static_cast<std::size_t>(ncoef - korder + 1);
    std::vector<double> brk(pieces + 1);
    std::vector<double> ppcoef(pieces * static_cast<std::size_t>(korder));
    std::int32_t nppcf = 0;
    DB2CPP(korder, xknot, ncoef, bscoef, nppcf, brk.data(), ppcoef.data());
    if (failed() || nppcf < 1) {
        return;
    }
    std::vector<double> h(static_cast<std::size_t>(n));
    for (std::int32_t j = 0; j < n; ++j) {
        iwk[j] = BREAK_SEARCH(nppcf, brk.data(), xvec[j]);
        h[static_cast<std::size_t>(j)] = xvec[j] - brk[static_cast<std::size_t>(iwk[j] - 1)];
        value[j] = 0.0;
    }
    double d = static_cast<double>(korder - ideriv);
    for (std::int32_t m = korder; m >= ideriv + 1; --m) {
        for (std::int32_t j = 0; j < n; ++j) {
            const double c = ppcoef[static_cast<std::size_t>(iwk[j] - 1) * korder + (m - 1)];
            value[j] = value[j] / d * h[static_cast<std::size_t>(j)] + c;
        }
        d -= 1.0;
    }
}

double DPPDER(std::int32_t ideriv, double x, std::int32_t korder, std::int32_t nintv,
              const double* brk, const double* ppcoef)
{
    RoutineScope scope("dPPDER ");
    if (nintv < 1) {
        E1VALI(1, nintv);
        E1MES(kTerminal, 1,
              "The number of intervals must be at least 1 while NINTV = %(I1) is given. ");
    }
    if (ideriv < 0) {
        E1VALI(1, ideriv);
        E1MES(kTerminal, 2,
              "The order of the derivative must be positive while IDERIV = %(I1) is given.");
    }
    if (korder < 1) {
        E1VALI(1, korder);
        E1MES(kTerminal, 3,
              "The order of the interpolating polynomial must be positive while KORDER = %(I1) "
              "is given.");
    }
    if (N1RTY(0) != 0 || ideriv >= korder) {
        return 0.0;
    }
    const std::int32_t left = BREAK_SEARCH(nintv, brk, x);
    const double h = x - brk[left - 1];
    double value = 0.0;
    double d = static_cast<double>(korder - ideriv);
    for (std::int32_t m = korder; m >= ideriv + 1; --m) {
        value = value / d * h + ppcoef[static_cast<std::size_t>(left - 1) * korder + (m - 1)];
        d -= 1.0;
    }
    return value;
}

} // namespace numerics
