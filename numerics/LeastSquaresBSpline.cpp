#include "numerics/LeastSquaresBSpline.h"

#include "numerics/ErrorReporting.h"
#include "numerics/Sorting.h"
#include "numerics/SplineKernels.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace numerics {

bool LSQ_CHECK(std::int32_t ndata, std::int32_t korder, const double* xknot, const double* weight,
               std::int32_t ncoef)
{
    if (korder < 1) {
        E1VALI(1, korder);
        E1MES(kTerminal, 1,
              "The order of the spline must be at least 1 while KORDER = %(I1) is given.");
        return false;
    }
    if (ncoef < korder) {
        E1VALI(1, ncoef);
        E1VALI(2, korder);
        E1MES(kTerminal, 2,
              "The number of coefficients must be at least as large as the order of the spline "
              "while NCOEF = %(I1) and KORDER = %(I2) are given.");
        return false;
    }
    if (ncoef > ndata) {
        E1VALI(1, ncoef);
        E1VALI(2, ndata);
        E1MES(kTerminal, 3,
              "The number of coefficients must be less than or equal to the number of data "
              "points while NCOEF = %(I1) and NDATA = %(I2) are given.");
        return false;
    }
    std::int32_t run = 1;
    for (std::int32_t i = 2; i <= ncoef + korder; ++i) {
        run = xknot[i - 1] == xknot[i - 2] ? run + 1 : 1;
        if (run > korder) {
            E1VALI(1, i - run + 1);
            E1VALI(2, i);
            E1VALD(1, xknot[i - 1]);
            E1VALI(3, korder);
            E1MES(kFatal, 5,
                  "The knots XKNOT(%(I1)) through XKNOT(%(I2)) are all equal to %(d1).  The "
                  "multiplicity of the knots must not exceed KORDER = %(I3).");
            return false;
        }
        if (xknot[i - 1] < xknot[i - 2] || xknot[i - 1] != xknot[i - 1]) {
            E1VALI(1, i - 1);
            E1VALD(1, xknot[i - 2]);
            E1VALI(2, i);
            E1VALD(2, xknot[i - 1]);
            E1MES(kFatal, 6,
                  "The knot XKNOT(%(I1)) = %(d1) and XKNOT(%(I2)) = %(d2).  The knots must be "
                  "nondecreasing.");
            return false;
        }
    }
    for (std::int32_t i = 0; i < ndata; ++i) {
        if (!(weight[i] > 0.0)) {
            E1VALI(1, i + 1);
            E1VALD(1, weight[i]);
            E1MES(kFatal, 7,
                  "All elements of the argument WEIGHT must be greater than zero, but "
                  "WEIGHT(%(I1)) = %(d1).");
            return false;
        }
    }
    return true;
}

void DB2LSQ(std::int32_t ndata, const double* xdata, const double* fdata, const double* weight,
            std::int32_t korder, const double* xknot, std::int32_t ncoef, double* bscoef,
            double* xsrt, double* fsrt, double* wsrt, std::int32_t* iwk)
{
    RoutineScope scope("dB2LSQ ");
    if (!LSQ_CHECK(ndata, korder, xknot, weight, ncoef)) {
        return;
    }
    std::iota(iwk, iwk + ndata, 1);
    DSVRGP(ndata, xdata, xsrt, iwk);
    if (failed()) {
        return;
    }
    for (std::int32_t i = 0; i < ndata; ++i) {
        fsrt[i] = fdata[iwk[i] - 1];
        wsrt[i] = weight[iwk[i] - 1];
    }
    DB4LSQ(ndata, xsrt, fsrt, wsrt, korder, xknot, ncoef, bscoef);
}

void DB4LSQ(std::int32_t ndata, const double* xsrt, const double* fsrt, const double* wsrt,
            std::int32_t korder, const double* xknot, std::int32_t ncoef, double* bscoef)
{
    RoutineScope scope("dB4LSQ ");
    const std::int32_t k = korder;
    if (!(xsrt[0] >= xknot[k - 1])) {
        E1VALD(1, xsrt[0]);
        E1VALD(2, xknot[k - 1]);
        E1MES(kFatal, 8,
              "The smallest element in XDATA must be greater than or equal to XKNOT(KORDER) "
              "while the smallest element in XDATA = %(d1) and XKNOT(KORDER) = %(d2).");
        return;
    }
    if (!(xsrt[ndata - 1] <= xknot[ncoef])) {
        E1VALD(1, xsrt[ndata - 1]);
        E1VALD(2, xknot[ncoef]);
        E1MES(kFatal, 9,
              "The largest element in XDATA must be less than or equal to XKNOT(NCOEF+1) while "
              "the largest element in XDATA = %(d1) and XKNOT(NCOEF+1) = %(d2).");
        return;
    }
    // Normal equations by diagonals: Q(1 + j - i, i) for coefficients i <= j.
    std::vector<double> q(static_cast<std::size_t>(k) * static_cast<std::size_t>(ncoef), 0.0);
    std::fill(bscoef, bscoef + ncoef, 0.0);
    std::vector<double> biatx(static_cast<std::size_t>(k));
    std::vector<double> dl(static_cast<std::size_t>(k));
    std::vector<double> dr(static_cast<std::size_t>(k));
    std::int32_t left = k;
    for (std::int32_t p = 0; p < ndata; ++p) {
        const double x = xsrt[p];
        while (left < ncoef && x >= xknot[left]) {
            ++left;
        }
        B1BASV(xknot, k, x, left, biatx.data(), dl.data(), dr.data());
        const std::int32_t base = left - k; // 0-based coefficient of biatx[0]
        for (std::int32_t a = 0; a < k; ++a) {
            const double wa = wsrt[p] * biatx[static_cast<std::size_t>(a)];
            bscoef[base + a] += wa * fsrt[p];
            for (std::int32_t b = a; b < k; ++b) {
                q[static_cast<std::size_t>(base + a) * k + (b - a)] +=
                    wa * biatx[static_cast<std::size_t>(b)];
            }
        }
    }
    B1CHFA(q.data(), k, ncoef);
    B1CHSL(q.data(), k, ncoef, bscoef);
}

} // namespace numerics
