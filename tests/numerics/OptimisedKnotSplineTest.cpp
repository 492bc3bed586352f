// The least-squares splines with optimised knots (types 13 to 15) on spectrum-sized data:
// the knots they return keep every B-spline over data (Schoenberg-Whitney), the curve
// stays within the data's range between the points, and the values are the least-squares
// spline on the returned knots, computed here independently by normal equations.

#include "numerics/SplineDriver.h"
#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace numerics::test {
namespace {

class OptimisedKnotSplineTest : public NumericsTest
{};

struct KnotData
{
    std::vector<double> x, f;
};

// Nonuniform abscissae from 200 to 1100 nm, as a grating spectrometer's calibration gives
// them, and a smooth spectrum of range about 1000.
KnotData spectrum(int n)
{
    KnotData d;
    for (int i = 0; i < n; ++i) {
        const double u = static_cast<double>(i) / (n - 1);
        const double nm = 200.0 + 700.0 * u + 200.0 * u * u;
        d.x.push_back(nm);
        d.f.push_back(20.0 + 1000.0 * std::exp(-std::pow((nm - 600.0) / 80.0, 2)) +
                      300.0 * std::exp(-std::pow((nm - 850.0) / 25.0, 2)) + 0.1 * (nm - 200.0));
    }
    return d;
}

// All B-splines of order k on the knots t at x, by the Cox-de Boor recursion over every
// index; the last nonempty interval is closed on the right.
std::vector<double> basisAt(const std::vector<double>& t, int k, double x)
{
    const int ncoef = static_cast<int>(t.size()) - k;
    const int m = static_cast<int>(t.size()) - 1;
    int last = m - 1;
    while (last > 0 && !(t[last] < t[last + 1])) {
        --last;
    }
    std::vector<double> b(static_cast<std::size_t>(m), 0.0);
    for (int j = 0; j < m; ++j) {
        const bool inside = t[j] <= x && x < t[j + 1];
        b[j] = inside || (j == last && x == t[j + 1]) ? 1.0 : 0.0;
    }
    for (int order = 2; order <= k; ++order) {
        for (int j = 0; j + order <= m; ++j) {
            double v = 0.0;
            const double d1 = t[j + order - 1] - t[j];
            const double d2 = t[j + order] - t[j + 1];
            if (d1 > 0.0) {
                v += (x - t[j]) / d1 * b[j];
            }
            if (d2 > 0.0) {
                v += (t[j + order] - x) / d2 * b[j + 1];
            }
            b[j] = v;
        }
    }
    b.resize(static_cast<std::size_t>(ncoef));
    return b;
}

// The Schoenberg-Whitney conditions: B-spline j can be given a data point of its own at
// which it is nonzero, in order.
bool schoenbergWhitney(const std::vector<double>& t, int k, const std::vector<double>& sortedX)
{
    const int ncoef = static_cast<int>(t.size()) - k;
    std::size_t i = 0;
    for (int j = 0; j < ncoef; ++j) {
        while (i < sortedX.size() && !(basisAt(t, k, sortedX[i])[j] > 0.0)) {
            if (sortedX[i] > t[j + k]) {
                return false;
            }
            ++i;
        }
        if (i == sortedX.size()) {
            return false;
        }
        ++i;
    }
    return true;
}

// The least-squares spline on the knots t by dense normal equations and Cholesky.
std::vector<double> leastSquares(const std::vector<double>& t, int k, const KnotData& d)
{
    const auto ncoef = t.size() - static_cast<std::size_t>(k);
    std::vector<double> a(ncoef * ncoef, 0.0), rhs(ncoef, 0.0);
    for (std::size_t i = 0; i < d.x.size(); ++i) {
        const std::vector<double> b = basisAt(t, k, std::min(d.x[i], t.back()));
        for (std::size_t p = 0; p < ncoef; ++p) {
            if (b[p] == 0.0) {
                continue;
            }
            rhs[p] += b[p] * d.f[i];
            for (std::size_t q = 0; q < ncoef; ++q) {
                a[p * ncoef + q] += b[p] * b[q];
            }
        }
    }
    for (std::size_t j = 0; j < ncoef; ++j) {
        for (std::size_t p = 0; p < j; ++p) {
            a[j * ncoef + j] -= a[p * ncoef + j] * a[p * ncoef + j];
        }
        const double diag = std::sqrt(a[j * ncoef + j]);
        a[j * ncoef + j] = diag;
        for (std::size_t i = j + 1; i < ncoef; ++i) {
            double v = a[j * ncoef + i];
            for (std::size_t p = 0; p < j; ++p) {
                v -= a[p * ncoef + j] * a[p * ncoef + i];
            }
            a[j * ncoef + i] = v / diag;
        }
    }
    for (std::size_t i = 0; i < ncoef; ++i) {
        for (std::size_t p = 0; p < i; ++p) {
            rhs[i] -= a[p * ncoef + i] * rhs[p];
        }
        rhs[i] /= a[i * ncoef + i];
    }
    for (std::size_t i = ncoef; i-- > 0;) {
        for (std::size_t p = i + 1; p < ncoef; ++p) {
            rhs[i] -= a[i * ncoef + p] * rhs[p];
        }
        rhs[i] /= a[i * ncoef + i];
    }
    return rhs;
}

TEST_F(OptimisedKnotSplineTest, KnotsKeepDataUnderEverySplineAndTheCurveWithinRange)
{
    for (const int n : {200, 3648}) {
        const KnotData d = spectrum(n);
        const auto [fminIt, fmaxIt] = std::minmax_element(d.f.begin(), d.f.end());
        const double fmin = *fminIt;
        const double fmax = *fmaxIt;
        const double margin = 0.05 * (fmax - fmin);
        // Points between the data, none on a data point.
        std::vector<double> at;
        const int count = 10000;
        for (int j = 0; j < count; ++j) {
            at.push_back(d.x.front() + (d.x.back() - d.x.front()) * (j + 0.5) / count);
        }
        for (const std::int32_t itype : {13, 14, 15}) {
            SCOPED_TRACE(testing::Message() << n << " points, type " << itype);
            const std::int32_t k = itype - 11;
            const std::int32_t ncoef = k + (n - 1) / 8;
            const auto npoints = static_cast<std::int32_t>(at.size());
            std::vector<double> wk(
                static_cast<std::size_t>(splineWorkspaceSize(n, itype, npoints)));
            std::vector<std::int32_t> iwk(static_cast<std::size_t>(npoints + std::max(n, npoints)));
            std::vector<double> value(at.size());
            DS2LEZ(n, d.x.data(), d.f.data(), itype, 0, npoints, at.data(), value.data(), wk.data(),
                   iwk.data());
            // Smooth data need no fallback: no warning.
            ASSERT_EQ(N1RTY(1), 0) << takeOutput();
            // The coefficients come first in the workspace, then the weights, then the knots.
            const std::vector<double> coef(wk.begin(), wk.begin() + ncoef);
            const auto knotsAt = wk.begin() + ncoef + n;
            const std::vector<double> knots(knotsAt, knotsAt + ncoef + k);
            for (std::size_t i = 1; i < knots.size(); ++i) {
                ASSERT_LE(knots[i - 1], knots[i]) << i;
            }
            EXPECT_TRUE(schoenbergWhitney(knots, k, d.x));

            for (std::size_t j = 0; j < at.size(); ++j) {
                ASSERT_GE(value[j], fmin - margin) << "at " << at[j];
                ASSERT_LE(value[j], fmax + margin) << "at " << at[j];
            }

            // The same values from normal equations on the returned knots.
            const std::vector<double> expected = leastSquares(knots, k, d);
            double worst = 0.0;
            for (std::size_t j = 0; j < at.size(); j += 7) {
                const std::vector<double> b = basisAt(knots, k, at[j]);
                double v = 0.0;
                for (std::size_t p = 0; p < b.size(); ++p) {
                    v += b[p] * expected[p];
                }
                worst = std::max(worst, std::fabs(v - value[j]));
            }
            EXPECT_LT(worst, 1e-7 * (fmax - fmin));
            for (std::size_t p = 0; p < coef.size(); ++p) {
                EXPECT_NEAR(coef[p], expected[p], 1e-7 * (fmax - fmin)) << p;
            }
            takeOutput();
        }
    }
}

// Data that one polynomial piece of the spline's order fits exactly: the knots add
// nothing, which the WARNING 12 says; the curve is still the data's polynomial.
TEST_F(OptimisedKnotSplineTest, DataThatFewerKnotsFitAsWellGiveTheWarning)
{
    std::vector<double> x;
    for (int i = 0; i <= 40; ++i) {
        x.push_back(0.25 * i + 0.001 * i * i);
    }
    for (const std::int32_t itype : {13, 14, 15}) {
        SCOPED_TRACE(itype);
        const int degree = itype - 12;
        auto poly = [degree](double v) {
            return 1.0 - 0.5 * v + (degree >= 2 ? 0.3 * v * v : 0.0) +
                   (degree >= 3 ? 0.02 * v * v * v : 0.0);
        };
        std::vector<double> f;
        for (const double v : x) {
            f.push_back(poly(v));
        }
        const std::vector<double> at = {0.1, 3.3, 7.7, 11.5};
        std::vector<double> value(at.size());
        DSPLEZ(static_cast<std::int32_t>(x.size()), x.data(), f.data(), itype, 0,
               static_cast<std::int32_t>(at.size()), at.data(), value.data());
        EXPECT_EQ(N1RTY(1), kWarning);
        EXPECT_EQ(N1RCD(1), 12);
        EXPECT_NE(takeOutput().find("WARNING  ERROR 12 from DSPLEZ.  THE KNOTS FOUND TO BE"),
                  std::string::npos);
        for (std::size_t j = 0; j < at.size(); ++j) {
            EXPECT_NEAR(value[j], poly(at[j]), 1e-9) << at[j];
        }
    }
}

} // namespace
} // namespace numerics::test
