#include "numerics/SplineKernels.h"

#include "numerics/MachineConstants.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace numerics {

void B1BASV(const double* t, std::int32_t k, double x, std::int32_t left, double* biatx, double* dl,
            double* dr)
{
    biatx[0] = 1.0;
    for (std::int32_t j = 1; j <= k - 1; ++j) {
        dr[j - 1] = t[left + j - 1] - x;
        dl[j - 1] = x - t[left - j];
        double saved = 0.0;
        for (std::int32_t i = 1; i <= j; ++i) {
            const double term = biatx[i - 1] / (dr[i - 1] + dl[j - i]);
            biatx[i - 1] = saved + dr[i - 1] * term;
            saved = dl[j - i] * term;
        }
        biatx[j] = saved;
    }
}

void B1CHFA(double* w, std::int32_t nbands, std::int32_t n)
{
    auto W = [w, nbands](std::int64_t r, std::int64_t c) -> double& {
        return w[(c - 1) * nbands + (r - 1)];
    };
    if (n <= 1) {
        if (n == 1 && W(1, 1) > 0.0) {
            W(1, 1) = 1.0 / W(1, 1);
        }
        return;
    }
    const double tiny = 1.0 / DMACH(2);
    for (std::int64_t col = 1; col <= n; ++col) {
        if (!(W(1, col) > tiny)) {
            for (std::int64_t j = 1; j <= nbands; ++j) {
                W(j, col) = 0.0;
            }
            continue;
        }
        W(1, col) = 1.0 / W(1, col);
        const std::int64_t imax = std::min<std::int64_t>(nbands - 1, n - col);
        std::int64_t jmax = imax;
        for (std::int64_t i = 1; i <= imax; ++i) {
            const double ratio = W(i + 1, col) * W(1, col);
            for (std::int64_t j = 1; j <= jmax; ++j) {
                W(j, col + i) -= W(j + i, col) * ratio;
            }
            --jmax;
            W(i + 1, col) = ratio;
        }
    }
}

void B1CHSL(const double* w, std::int32_t nbands, std::int32_t n, double* b)
{
    auto W = [w, nbands](std::int64_t r, std::int64_t c) { return w[(c - 1) * nbands + (r - 1)]; };
    if (n <= 1) {
        if (n == 1) {
            b[0] *= W(1, 1);
        }
        return;
    }
    for (std::int64_t col = 1; col <= n; ++col) {
        const std::int64_t jmax = std::min<std::int64_t>(nbands - 1, n - col);
        for (std::int64_t j = 1; j <= jmax; ++j) {
            b[j + col - 1] -= W(j + 1, col) * b[col - 1];
        }
    }
    for (std::int64_t col = n; col >= 1; --col) {
        b[col - 1] *= W(1, col);
        const std::int64_t jmax = std::min<std::int64_t>(nbands - 1, n - col);
        for (std::int64_t j = 1; j <= jmax; ++j) {
            b[col - 1] -= W(j + 1, col) * b[j + col - 1];
        }
    }
}

std::int32_t B1MAXI(std::int32_t n, const double* x, std::int32_t incx)
{
    if (n < 1) {
        return 0;
    }
    std::int32_t best = 1;
    for (std::int32_t i = 1; i < n; ++i) {
        if (x[static_cast<std::int64_t>(i) * incx] >
            x[static_cast<std::int64_t>(best - 1) * incx]) {
            best = i + 1;
        }
    }
    return best;
}

void B1TRID(double* sub, double* diag, const double* super, double* rhs, std::int32_t n)
{
    if (n < 1) {
        return;
    }
    for (std::int32_t i = 1; i < n; ++i) {
        const double m = sub[i] / diag[i - 1];
        sub[i] = m;
        diag[i] -= m * super[i - 1];
        rhs[i] -= m * rhs[i - 1];
    }
    rhs[n - 1] /= diag[n - 1];
    for (std::int32_t i = n - 2; i >= 0; --i) {
        rhs[i] = (rhs[i] - super[i] * rhs[i + 1]) / diag[i];
    }
}

double B1TRIP(std::int32_t n, const double* x, std::int32_t incx, const double* y,
              std::int32_t incy, const double* z, std::int32_t incz)
{
    double sum = 0.0;
    for (std::int64_t i = 0; i < n; ++i) {
        sum += x[i * incx] * y[i * incy] * z[i * incz];
    }
    return sum;
}

void B1INTV(const double* xt, std::int32_t lxt, double x, std::int32_t& left, std::int32_t& mflag)
{
    if (lxt < 1 || x < xt[0] || std::isnan(x)) {
        left = 1;
        mflag = -1;
        return;
    }
    if (x >= xt[lxt - 1]) {
        if (x == xt[lxt - 1]) {
            std::int32_t l = lxt;
            while (l > 1 && xt[l - 2] == x) {
                --l;
            }
            if (l > 1) {
                left = l - 1;
                mflag = 0;
                return;
            }
        }
        left = lxt;
        mflag = 1;
        return;
    }
    // The first knot above x; left is the one before it.
    const double* above = std::upper_bound(xt, xt + lxt, x);
    left = static_cast<std::int32_t>(above - xt);
    mflag = 0;
}

double B1VALU(double x, std::int32_t ideriv, std::int32_t k, const double* t, std::int32_t ncoef,
              const double* bscoef, double* work)
{
    if (ideriv >= k || k < 1 || ncoef < k) {
        return 0.0;
    }
    std::int32_t i = 0;
    std::int32_t mflag = 0;
    B1INTV(t, ncoef + k, x, i, mflag);
    i = std::clamp(i, k, ncoef);
    if (k == 1) {
        return bscoef[i - 1];
    }
    double* aj = work;
    double* dm = work + k;
    double* dp = work + 2 * k;
    for (std::int32_t j = 1; j <= k - 1; ++j) {
        dm[j - 1] = x - t[i - j];
        dp[j - 1] = t[i + j - 1] - x;
    }
    for (std::int32_t jc = 1; jc <= k; ++jc) {
        aj[jc - 1] = bscoef[i - k + jc - 1];
    }
    for (std::int32_t j = 1; j <= ideriv; ++j) {
        const std::int32_t kmj = k - j;
        std::int32_t ilo = kmj;
        for (std::int32_t jj = 1; jj <= kmj; ++jj) {
            const double span = dm[ilo - 1] + dp[jj - 1];
            aj[jj - 1] = span > 0.0 ? (aj[jj] - aj[jj - 1]) / span * kmj : 0.0;
            --ilo;
        }
    }
    for (std::int32_t j = ideriv + 1; j <= k - 1; ++j) {
        const std::int32_t kmj = k - j;
        std::int32_t ilo = kmj;
        for (std::int32_t jj = 1; jj <= kmj; ++jj) {
            const double span = dm[ilo - 1] + dp[jj - 1];
            aj[jj - 1] =
                span > 0.0 ? (aj[jj] * dm[ilo - 1] + aj[jj - 1] * dp[jj - 1]) / span : aj[jj - 1];
            --ilo;
        }
    }
    return aj[0];
}

double B1SSQR(std::int32_t n, const double* x, const double* f, const double* w, std::int32_t k,
              const double* t, std::int32_t ncoef, const double* bscoef)
{
    std::vector<double> work(static_cast<std::size_t>(3 * std::max(k, 1)));
    double sum = 0.0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double r = f[i] - B1VALU(x[i], 0, k, t, ncoef, bscoef, work.data());
        sum += w[i] * r * r;
    }
    return sum;
}

void B1KNOT(const double* breaks, const double* ppcoef, std::int32_t pieces, std::int32_t k,
            double* newBreaks, std::int32_t newCount)
{
    // Jumps of the highest derivative at the inner break points, divided by the piece
    // lengths; the density on piece i is the k-th root of the sum of its two neighbours.
    if (newCount < 2) {
        if (newCount == 1) {
            newBreaks[0] = breaks[0];
        }
        return;
    }
    const std::size_t p = static_cast<std::size_t>(std::max(pieces, 1));
    auto top = [&](std::size_t i) { return ppcoef[i * static_cast<std::size_t>(k) + (k - 1)]; };
    std::vector<double> density(p, 0.0);
    if (pieces >= 2) {
        std::vector<double> jump(p + 1, 0.0);
        for (std::size_t i = 1; i < p; ++i) {
            const double span = breaks[i + 1] - breaks[i - 1];
            jump[i] = span > 0.0 ? std::fabs(top(i) - top(i - 1)) / span : 0.0;
        }
        jump[0] = jump[1];
        jump[p] = jump[p - 1];
        for (std::size_t i = 0; i < p; ++i) {
            density[i] = std::pow(jump[i] + jump[i + 1], 1.0 / k);
        }
    }
    std::vector<double> cumulative(p + 1, 0.0);
    for (std::size_t i = 0; i < p; ++i) {
        cumulative[i + 1] = cumulative[i] + density[i] * (breaks[i + 1] - breaks[i]);
    }
    const double total = cumulative[p];
    newBreaks[0] = breaks[0];
    newBreaks[newCount - 1] = breaks[p];
    // The shares grow with j, so the piece search goes on from where the last one ended.
    std::size_t i = 0;
    for (std::int32_t j = 1; j < newCount - 1; ++j) {
        if (!(total > 0.0)) {
            newBreaks[j] = breaks[0] + (breaks[p] - breaks[0]) * j / (newCount - 1);
            continue;
        }
        const double share = total * j / (newCount - 1);
        while (i + 1 < p && cumulative[i + 1] < share) {
            ++i;
        }
        const double inPiece = cumulative[i + 1] - cumulative[i];
        const double frac = inPiece > 0.0 ? (share - cumulative[i]) / inPiece : 0.0;
        newBreaks[j] = breaks[i] + frac * (breaks[i + 1] - breaks[i]);
    }
}

double B1KNUP(double a, double b, double c, double lo, double hi)
{
    const double d = (b - c) / 2.0;
    const double v = ((a - b) / 9.0 - d) / 3.0 + (c - d);
    return (lo < v && v < hi) ? v : c;
}

} // namespace numerics
