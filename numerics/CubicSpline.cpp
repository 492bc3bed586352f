#include "numerics/CubicSpline.h"

#include "numerics/ArgumentChecks.h"
#include "numerics/Blas.h"
#include "numerics/ErrorReporting.h"
#include "numerics/Sorting.h"

#include <cmath>
#include <numeric>
#include <vector>

namespace numerics {

namespace {

// The last answer of BREAK_SEARCH (1-based); it only shortens the next search.
std::int32_t g_lastLeft = 1;

void reportRepeatedSplineAbscissa(std::int32_t type, std::int32_t code, std::int32_t first,
                                  std::int32_t second, double value)
{
    E1VALI(1, first);
    E1VALI(2, second);
    E1VALD(1, value);
    E1MES(type, code,
          "Points in the data point abscissas array, XDATA, must be distinct, but XDATA(%(I1)) "
          "= XDATA(%(I2)) = %(d1).");
}

} // namespace

bool sortDataPoints(std::int32_t ndata, const double* xdata, const double* fdata, double* brk,
                    double* cscoef, std::int32_t ldc, std::int32_t* iwk, std::int32_t repeatType,
                    std::int32_t repeatCode)
{
    std::int32_t first = 0; // 0-based index of the first pair that does not increase
    for (std::int32_t i = 1; i < ndata; ++i) {
        if (!(xdata[i - 1] < xdata[i])) {
            first = i;
            break;
        }
    }
    // A NaN or an infinity is no abscissa; it is reported as itself, not as a repeat of
    // the point that sorts next to it. Increasing data hold none when their ends do not.
    std::int32_t same = 0;
    const bool finiteEnds =
        ndata < 1 || (std::isfinite(xdata[0]) && std::isfinite(xdata[ndata - 1]));
    if (const std::int32_t bad = first == 0 && finiteEnds ? 0 : firstNonFinite(ndata, xdata, same);
        bad != 0) {
        reportRepeatedSplineAbscissa(repeatType, repeatCode, bad, same, xdata[bad - 1]);
        return false;
    }
    if (first == 0) {
        DCOPY(ndata, xdata, 1, brk, 1);
        DCOPY(ndata, fdata, 1, cscoef, ldc);
        return true;
    }
    if (xdata[first - 1] == xdata[first]) {
        reportRepeatedSplineAbscissa(repeatType, repeatCode, first, first + 1, xdata[first]);
        return false;
    }
    std::iota(iwk, iwk + ndata, 1);
    DSVRGP(ndata, xdata, brk, iwk);
    if (failed()) {
        return false;
    }
    for (std::int32_t i = 0; i < ndata; ++i) {
        cscoef[static_cast<std::int64_t>(i) * ldc] = fdata[iwk[i] - 1];
    }
    // A NaN sorts last and fails this test as a repeat would.
    for (std::int32_t i = 1; i < ndata; ++i) {
        if (!(brk[i - 1] < brk[i])) {
            reportRepeatedSplineAbscissa(repeatType, repeatCode, iwk[i - 1], iwk[i], brk[i]);
            return false;
        }
    }
    return true;
}

void DC1SOR(std::int32_t ndata, const double* xdata, const double* fdata, double* brk,
            double* cscoef, std::int32_t ldc, std::int32_t* iwk)
{
    RoutineScope scope("dC1SOR ");
    sortDataPoints(ndata, xdata, fdata, brk, cscoef, ldc, iwk, kTerminal, 2);
}

void DC2INT(std::int32_t ndata, const double* xdata, const double* fdata, double* brk,
            double* cscoef, std::int32_t* iwk)
{
    RoutineScope scope("dC2INT ");
    DC2DEC(ndata, xdata, fdata, 0, 0.0, 0, 0.0, brk, cscoef, iwk);
}

void DC2DEC(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t ileft,
            double dleft, std::int32_t iright, double dright, double* brk, double* cscoef,
            std::int32_t* iwk)
{
    RoutineScope scope("dC2DEC");
    if (ndata < 2) {
        E1VALI(1, ndata);
        E1MES(kTerminal, 1,
              "The number of data points must be 2 or more while NDATA = %(I1) is given.");
    }
    if (ileft < 0 || ileft > 2) {
        E1VALI(1, ileft);
        E1MES(kTerminal, 2, "The argument ILEFT = %(I1).  It must be 0, 1 or 2.");
    }
    if (iright < 0 || iright > 2) {
        E1VALI(1, iright);
        E1MES(kTerminal, 3, "The argument IRIGHT = %(I1).  It must be 0, 1 or 2.");
    }
    if (N1RTY(0) != 0) {
        return;
    }
    DC1SOR(ndata, xdata, fdata, brk, cscoef, 4, iwk);
    if (failed()) {
        return;
    }
    const std::int64_t n = ndata;
    // C(m, i) with m = 1..4 and i = 1..n as in de Boor's formulation.
    auto C = [cscoef](int m, std::int64_t i) -> double& { return cscoef[4 * (i - 1) + (m - 1)]; };

    for (std::int64_t i = 2; i <= n; ++i) {
        C(3, i) = brk[i - 1] - brk[i - 2];
        C(4, i) = (C(1, i) - C(1, i - 1)) / C(3, i);
    }
    if (ileft == 1) {
        C(4, 1) = 1.0;
        C(3, 1) = 0.0;
        C(2, 1) = dleft;
    } else if (ileft == 2) {
        C(4, 1) = 2.0;
        C(3, 1) = 1.0;
        C(2, 1) = 3.0 * C(4, 2) - C(3, 2) / 2.0 * dleft;
    } else if (n == 2) {
        C(4, 1) = 1.0;
        C(3, 1) = 1.0;
        C(2, 1) = 2.0 * C(4, 2);
    } else {
        C(4, 1) = C(3, 3);
        C(3, 1) = C(3, 2) + C(3, 3);
        C(2, 1) =
            ((C(3, 2) + 2.0 * C(3, 1)) * C(4, 2) * C(3, 3) + C(3, 2) * C(3, 2) * C(4, 3)) / C(3, 1);
    }
    // The reciprocals of the pivots C(4, i) are kept for the back substitution, so the
    // long chains of dependent operations hold one division instead of two.
    std::vector<double> pivotInverse(static_cast<std::size_t>(n + 1));
    pivotInverse[1] = 1.0 / C(4, 1);
    double g = 0.0;
    {
        // The running values stay in registers: the loop is one chain of dependent steps.
        double slope = C(2, 1);
        double previousLength = C(3, 1);
        double inverse = pivotInverse[1];
        for (std::int64_t i = 2; i <= n - 1; ++i) {
            const double length = C(3, i);
            const double nextLength = C(3, i + 1);
            g = -nextLength * inverse;
            slope = g * slope + 3.0 * (length * C(4, i + 1) + nextLength * C(4, i));
            // G C(3, i - 1) with the product of the lengths formed first, off the chain.
            const double pivot =
                2.0 * (length + nextLength) - (nextLength * previousLength) * inverse;
            C(2, i) = slope;
            C(4, i) = pivot;
            inverse = 1.0 / pivot;
            pivotInverse[static_cast<std::size_t>(i)] = inverse;
            previousLength = length;
        }
    }
    bool solveLast = true;
    if (iright == 1) {
        C(2, n) = dright;
        solveLast = false;
    } else if (iright == 2) {
        C(2, n) = 3.0 * C(4, n) + C(3, n) / 2.0 * dright;
        C(4, n) = 2.0;
        g = -1.0 / C(4, n - 1);
    } else if (n == 2 && ileft == 0) {
        C(2, n) = C(4, n);
        solveLast = false;
    } else if (n == 2 || (n == 3 && ileft == 0)) {
        C(2, n) = 2.0 * C(4, n);
        C(4, n) = 1.0;
        g = -1.0 / C(4, n - 1);
    } else {
        const double a = C(3, n - 1);
        const double b = C(3, n);
        const double s = a + b;
        C(2, n) = ((b + 2.0 * s) * C(4, n) * a + b * b * (C(1, n - 1) - C(1, n - 2)) / a) / s;
        g = -s / C(4, n - 1);
        C(4, n) = a;
    }
    if (solveLast) {
        C(4, n) = g * C(3, n - 1) + C(4, n);
        C(2, n) = (g * C(2, n - 1) + C(2, n)) / C(4, n);
    }
    {
        double next = C(2, n);
        for (std::int64_t j = n - 1; j >= 1; --j) {
            // (C(2, j) - C(3, j) next) / C(4, j), with the products by the reciprocal
            // formed off the chain of dependent steps.
            const double inverse = pivotInverse[static_cast<std::size_t>(j)];
            next = C(2, j) * inverse - (C(3, j) * inverse) * next;
            C(2, j) = next;
        }
    }
    for (std::int64_t i = 2; i <= n; ++i) {
        const double inverse = 1.0 / C(3, i);
        const double d1 = (C(1, i) - C(1, i - 1)) * inverse;
        const double d3 = C(2, i - 1) + C(2, i) - 2.0 * d1;
        C(3, i - 1) = 2.0 * (d1 - C(2, i - 1) - d3) * inverse;
        C(4, i - 1) = (d3 * inverse) * (6.0 * inverse);
    }
}

std::int32_t BREAK_SEARCH(std::int32_t l, const double* t, double x)
{
    // T(i) is t[i - 1]; the indices below are 1-based.
    auto T = [t](std::int64_t i) { return t[i - 1]; };
    std::int64_t ilo = g_lastLeft;
    std::int64_t ihi = ilo + 1;
    auto finish = [](std::int64_t left) {
        g_lastLeft = static_cast<std::int32_t>(left);
        return static_cast<std::int32_t>(left);
    };
    if (ihi >= l) {
        if (x >= T(l)) {
            return finish(l);
        }
        if (l < 2) {
            return finish(1);
        }
        ilo = l - 1;
        ihi = l;
    }
    if (x >= T(ihi)) {
        std::int64_t step = 1;
        for (;;) {
            ilo = ihi;
            ihi = ilo + step;
            if (ihi >= l || x < T(ihi)) {
                break;
            }
            step *= 2;
        }
        if (ihi >= l) {
            if (x >= T(l)) {
                return finish(l);
            }
            ihi = l;
        }
    } else {
        if (x >= T(ilo)) {
            return finish(ilo);
        }
        std::int64_t step = 1;
        for (;;) {
            ihi = ilo;
            ilo = ihi - step;
            if (ilo <= 1 || x >= T(ilo)) {
                break;
            }
            step *= 2;
        }
        if (ilo <= 1) {
            ilo = 1;
            if (x < T(1)) {
                return finish(1);
            }
        }
    }
    for (;;) {
        const std::int64_t mid = (ilo + ihi) / 2;
        if (mid == ilo) {
            return finish(ilo);
        }
        if (x >= T(mid)) {
            ilo = mid;
        } else {
            ihi = mid;
        }
    }
}

namespace {

// The Ideriv-th derivative at increasing points. The points increase, so their pieces are
// found by one walk along the break points (the result is BREAK_SEARCH's for each point),
// and each value follows at once: the nested Taylor sum, term by term from the highest
// coefficient; dividing by d = 1, 2 or 4 is a multiplication by its exact reciprocal.
// The order is a template argument so that the sum is unrolled for it.
template <int Ideriv>
void evaluatePieces(std::int32_t n, const double* xvec, std::int32_t nintv, const double* brk,
                    const double* ppcoef, double* value, std::int32_t* iwk, double* work1,
                    double* work2)
{
    std::int32_t piece = 1;
    for (std::int32_t j = 0; j < n; ++j) {
        while (piece < nintv && xvec[j] >= brk[piece]) {
            ++piece;
        }
        iwk[j] = piece;
        const double h = xvec[j] - brk[piece - 1];
        work1[j] = h;
        if constexpr (Ideriv >= 4) {
            value[j] = 0.0;
        } else {
            const double* c = ppcoef + 4 * static_cast<std::int64_t>(piece - 1);
            double v = 0.0;
            double d = 4.0 - Ideriv;
            for (int m = 3; m >= Ideriv; --m) {
                v = c[m] + (d != 3.0 ? h * v * (1.0 / d) : h * v / d);
                d -= 1.0;
            }
            work2[j] = c[Ideriv];
            value[j] = v;
        }
    }
}

} // namespace

void DC21GD(std::int32_t ideriv, std::int32_t n, const double* xvec, std::int32_t nintv,
            const double* brk, const double* ppcoef, double* value, std::int32_t* iwk,
            double* work1, double* work2)
{
    RoutineScope scope("dC21GD ");
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
    if (n < 1) {
        E1VALI(1, n);
        E1MES(kTerminal, 3, "The length of XVEC must be at least 1 while N = %(I1) is given. ");
    }
    if (N1RTY(0) != 0) {
        return;
    }
    for (std::int32_t i = 1; i < n; ++i) {
        if (!(xvec[i - 1] < xvec[i])) {
            E1VALI(1, i);
            E1VALI(2, i + 1);
            E1VALD(1, xvec[i - 1]);
            E1VALD(2, xvec[i]);
            E1MES(kFatal, 4,
                  "The X data values must be strictly increasing, but XVEC(%(I1)) = %(d1) and "
                  "XVEC(%(I2)) = %(d2).");
            return;
        }
    }
    switch (ideriv) {
    case 0:
        evaluatePieces<0>(n, xvec, nintv, brk, ppcoef, value, iwk, work1, work2);
        break;
    case 1:
        evaluatePieces<1>(n, xvec, nintv, brk, ppcoef, value, iwk, work1, work2);
        break;
    case 2:
        evaluatePieces<2>(n, xvec, nintv, brk, ppcoef, value, iwk, work1, work2);
        break;
    case 3:
        evaluatePieces<3>(n, xvec, nintv, brk, ppcoef, value, iwk, work1, work2);
        break;
    default:
        evaluatePieces<4>(n, xvec, nintv, brk, ppcoef, value, iwk, work1, work2);
        break;
    }
}

} // namespace numerics
