#include "numerics/SplineDriver.h"

#include "numerics/SmoothingSpline.h"
#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

// Some cases ask for more memory than any machine has, to see the refusal reported; under
// AddressSanitizer such a request must return null as it does without it.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace numerics::test {
namespace {

class SplineDriverTest : public NumericsTest
{
protected:
    // Runs the driver; a stop fails the test.
    std::vector<double> spline(const std::vector<double>& x, const std::vector<double>& f,
                               std::int32_t itype, std::int32_t ider, const std::vector<double>& at)
    {
        std::vector<double> value(at.size(), -12345.0);
        DSPLEZ(static_cast<std::int32_t>(x.size()), x.data(), f.data(), itype, ider,
               static_cast<std::int32_t>(at.size()), at.data(), value.data());
        return value;
    }

    // Runs the driver expecting a stop; returns what was written.
    std::string failing(const std::vector<double>& x, const std::vector<double>& f,
                        std::int32_t itype, std::int32_t ider, const std::vector<double>& at,
                        std::int32_t type, std::int32_t code)
    {
        std::vector<double> value(std::max<std::size_t>(at.size(), 1), -12345.0);
        try {
            DSPLEZ(static_cast<std::int32_t>(x.size()), x.data(), f.data(), itype, ider,
                   static_cast<std::int32_t>(at.size()), at.data(), value.data());
            ADD_FAILURE() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.type(), type);
            EXPECT_EQ(stop.code(), code);
        }
        EXPECT_TRUE(std::all_of(value.begin(), value.end(), [](double v) { return v == -12345.0; }))
            << "VALUE was written";
        return takeOutput();
    }
};

std::vector<double> linspace(double a, double b, std::size_t n)
{
    std::vector<double> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        v[i] = a + (b - a) * static_cast<double>(i) / static_cast<double>(n - 1);
    }
    return v;
}

std::vector<double> sample(const std::vector<double>& x, double (*fn)(double))
{
    std::vector<double> f;
    for (const double v : x) {
        f.push_back(fn(v));
    }
    return f;
}

TEST_F(SplineDriverTest, ArgumentErrorsAndTheirTexts)
{
    const std::vector<double> x5 = {0, 1, 2, 3, 4};
    const std::vector<double> f5 = {0, 1, 0, 1, 0};
    struct Case
    {
        const char* name;
        std::size_t ndata;
        std::int32_t itype, ider;
        std::size_t n;
        std::int32_t code;
        const char* text;
    };
    const Case cases[] = {
        {"NoPoints", 5, 1, 0, 0, 1, "The length of XVEC must be at least 1 while N = 0"},
        {"NegativeDerivative", 5, 1, -1, 1, 2, "IDER = -1."},
        {"TypeZero", 1, 0, 0, 1, 3, "ITYPE = 0."},
        {"TypeSixteen", 1, 16, 0, 1, 3, "ITYPE = 16."},
        {"CubicOnePoint", 1, 1, 0, 1, 4, "must be 2 or more, but NDATA = 1"},
        {"ConcavityThreePoints", 3, 3, 0, 1, 4, "must be 4 or more, but NDATA = 3"},
        {"AkimaThreePoints", 3, 2, 0, 1, 5, "must be 4 or more, but NDATA = 3"},
        {"QuinticBSplineTooFew", 3, 7, 0, 1, 6, "must be 5 or more, but NDATA = 3"},
        {"SmoothingTooFew", 3, 9, 0, 1, 7, "must be 4 or more, but NDATA = 3"},
        {"LeastSquaresTooFew", 3, 11, 0, 1, 7, "must be 4 or more, but NDATA = 3"},
        {"VariableKnotsTooFew", 3, 14, 0, 1, 8, "must be 4 or more, but NDATA = 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> x(x5.begin(), x5.begin() + static_cast<std::ptrdiff_t>(c.ndata));
        const std::vector<double> f(f5.begin(), f5.begin() + static_cast<std::ptrdiff_t>(c.ndata));
        std::string out =
            failing(x, f, c.itype, c.ider, std::vector<double>(c.n, 0.5), kTerminal, c.code);
        out.erase(std::remove(out.begin(), out.end(), '\n'), out.end());
        for (std::size_t p; (p = out.find(" ***          ")) != std::string::npos;) {
            out.replace(p, 14, " ");
        }
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
        EXPECT_NE(out.find("from DSPLEZ."), std::string::npos) << out;
    }
}

TEST_F(SplineDriverTest, SeveralChecksReportTogether)
{
    // N = 0 and IDER = -1: both are written at once; the last code is the one kept.
    const std::string out = failing({0, 1, 2}, {0, 1, 2}, 1, -1, {}, kTerminal, 2);
    EXPECT_NE(out.find("ERROR 1 from DSPLEZ"), std::string::npos);
    EXPECT_NE(out.find("ERROR 2 from DSPLEZ"), std::string::npos);
}

TEST_F(SplineDriverTest, RepeatedAndNaNAbscissaeAreFatal)
{
    struct Case
    {
        const char* name;
        std::vector<double> x, at;
        std::int32_t code;
        const char* text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"RepeatedData", {3, 1, 2, 1, 5}, {0.5}, 1, "XDATA(2) = XDATA(4) ="},
        {"NaNData", {3, 1, nan, 2, 5}, {0.5}, 1, "= NaN"},
        {"RepeatedPoints", {1, 2, 3, 4, 5}, {2.5, 1.0, 2.5}, 2, "XVEC(1) =  XVEC(3) ="},
        {"NaNPoint", {1, 2, 3, 4, 5}, {2.5, nan}, 2, "= NaN"},
    };
    for (const Case& c : cases) {
        for (const std::int32_t itype : {1, 2, 3, 6, 9, 11, 14}) {
            SCOPED_TRACE(testing::Message() << c.name << " type " << itype);
            const std::vector<double> f(c.x.size(), 1.0);
            const std::string out = failing(c.x, f, itype, 0, c.at, kFatal, c.code);
            EXPECT_NE(out.find("FATAL    ERROR " + std::to_string(c.code) + " from DSPLEZ."),
                      std::string::npos)
                << out;
            EXPECT_NE(out.find(c.text), std::string::npos) << out;
        }
    }
}

// Every type: the data order and the order of the points do not matter, VALUE(i) belongs
// to XVEC(i), and derivatives above the degree are zero.
TEST_F(SplineDriverTest, EveryTypeIgnoresOrderAndKeepsPointsWithTheirValues)
{
    const std::vector<double> x = linspace(0.0, 6.0, 37);
    const std::vector<double> f = sample(x, [](double v) { return std::sin(v) + 0.1 * v * v; });
    std::vector<std::size_t> order(x.size());
    std::iota(order.begin(), order.end(), 0);
    std::mt19937 rng(11);
    std::shuffle(order.begin(), order.end(), rng);
    std::vector<double> xs, fs;
    for (const std::size_t i : order) {
        xs.push_back(x[i]);
        fs.push_back(f[i]);
    }
    std::vector<double> at = {5.9, 0.05, 3.3, -0.5, 2.71, 6.5};
    std::vector<double> sortedAt = at;
    std::sort(sortedAt.begin(), sortedAt.end());
    for (std::int32_t itype = 1; itype <= 15; ++itype) {
        SCOPED_TRACE(testing::Message() << "type " << itype);
        const std::int32_t degree =
            itype <= 3 || itype == 9
                ? 3
                : (itype <= 8 ? itype - 3 : (itype <= 12 ? itype - 9 : itype - 12));
        for (std::int32_t ider = 0; ider <= degree + 1; ++ider) {
            const std::vector<double> a = spline(x, f, itype, ider, at);
            const std::vector<double> b = spline(xs, fs, itype, ider, at);
            const std::vector<double> c = spline(x, f, itype, ider, sortedAt);
            for (std::size_t j = 0; j < at.size(); ++j) {
                EXPECT_NEAR(a[j], b[j], 1e-9 * (1 + std::fabs(a[j]))) << "ider " << ider;
                const auto k = static_cast<std::size_t>(
                    std::find(sortedAt.begin(), sortedAt.end(), at[j]) - sortedAt.begin());
                EXPECT_EQ(a[j], c[k]) << "ider " << ider;
                if (ider > degree) {
                    EXPECT_EQ(a[j], 0.0);
                }
            }
        }
    }
}

TEST_F(SplineDriverTest, ExactCases)
{
    const std::vector<double> x = {0.0, 0.5, 1.5, 2.0, 3.5, 4.0, 5.5};
    const std::vector<double> at = {0.25, 1.0, 1.75, 3.0, 5.0};
    // Two points give the line for the cubic spline.
    const std::vector<double> two = spline({1.0, 3.0}, {2.0, 6.0}, 1, 0, {0.0, 2.0, 4.0});
    EXPECT_NEAR(two[0], 0.0, 1e-14);
    EXPECT_NEAR(two[1], 4.0, 1e-14);
    EXPECT_NEAR(two[2], 8.0, 1e-14);
    // Type 6 is type 1; type 4 is the broken line.
    const std::vector<double> f =
        sample(x, [](double v) { return std::exp(0.3 * v) * std::cos(v); });
    for (std::int32_t ider = 0; ider <= 3; ++ider) {
        const std::vector<double> t1 = spline(x, f, 1, ider, at);
        const std::vector<double> t6 = spline(x, f, 6, ider, at);
        for (std::size_t j = 0; j < at.size(); ++j) {
            EXPECT_NEAR(t6[j], t1[j], 1e-10 * (1 + std::fabs(t1[j]))) << ider;
        }
    }
    const std::vector<double> t4 = spline(x, f, 4, 0, at);
    for (std::size_t j = 0; j < at.size(); ++j) {
        const auto i =
            static_cast<std::size_t>(std::upper_bound(x.begin(), x.end(), at[j]) - x.begin() - 1);
        const double linear = f[i] + (f[i + 1] - f[i]) * (at[j] - x[i]) / (x[i + 1] - x[i]);
        EXPECT_NEAR(t4[j], linear, 1e-12);
    }
    // Polynomials of the spline's degree are reproduced by the interpolants and the fits.
    const std::vector<double> many = linspace(-1.0, 3.0, 25);
    const std::vector<double> cubic =
        sample(many, [](double v) { return 1 - v + 0.5 * v * v * v; });
    for (const std::int32_t itype : {1, 2, 6, 7, 8, 12, 15}) {
        SCOPED_TRACE(itype);
        const std::vector<double> v = spline(many, cubic, itype, 0, {-0.9, 0.33, 2.9});
        const std::vector<double> d = spline(many, cubic, itype, 1, {-0.9, 0.33, 2.9});
        if (itype == 2) {
            continue; // Akima reproduces quadratics only
        }
        EXPECT_NEAR(v[1], 1 - 0.33 + 0.5 * 0.33 * 0.33 * 0.33, 1e-9);
        EXPECT_NEAR(d[2], -1 + 1.5 * 2.9 * 2.9, 1e-7);
    }
    const std::vector<double> line = sample(many, [](double v) { return 2 * v + 1; });
    for (std::int32_t itype = 1; itype <= 15; ++itype) {
        SCOPED_TRACE(itype);
        const std::vector<double> v = spline(many, line, itype, 0, {-0.8, 0.0, 2.5});
        EXPECT_NEAR(v[0], -0.6, 1e-8);
        EXPECT_NEAR(v[2], 6.0, 1e-8);
    }
}

TEST_F(SplineDriverTest, ConcavityIsKept)
{
    // Convex data with a sharp corner: the cubic spline swings below, the concavity-
    // preserving spline stays convex.
    const std::vector<double> x = {0, 1, 2, 3, 4, 5, 6, 7};
    const std::vector<double> f = {10, 6, 3, 1, 0.5, 0.4, 0.35, 0.3};
    const std::vector<double> at = linspace(0.01, 6.99, 300);
    const std::vector<double> second = spline(x, f, 3, 2, at);
    for (std::size_t j = 0; j < at.size(); ++j) {
        EXPECT_GE(second[j], -1e-9) << at[j];
    }
    const std::vector<double> at0 = spline(x, f, 3, 0, x);
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_NEAR(at0[i], f[i], 1e-9);
    }
    // Convex then concave: the curvature changes sign only once.
    const std::vector<double> xs = linspace(-3, 3, 13);
    const std::vector<double> fs = sample(xs, [](double v) { return std::tanh(2 * v); });
    const std::vector<double> c = spline(xs, fs, 3, 2, at);
    const std::vector<double> s0 = spline(xs, fs, 3, 0, xs);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        EXPECT_NEAR(s0[i], fs[i], 1e-9);
    }
    const std::vector<double> pts = linspace(-2.95, 2.95, 200);
    const std::vector<double> curv = spline(xs, fs, 3, 2, pts);
    for (std::size_t j = 0; j < pts.size(); ++j) {
        if (pts[j] < -0.5) {
            EXPECT_GE(curv[j], -1e-9) << pts[j];
        } else if (pts[j] > 0.5) {
            EXPECT_LE(curv[j], 1e-9) << pts[j];
        }
    }
    (void)c;
}

TEST_F(SplineDriverTest, SmoothingSplineFollowsLinesAndSmoothsNoise)
{
    const std::vector<double> x = linspace(0.0, 10.0, 40);
    const std::vector<double> line = sample(x, [](double v) { return 3.0 - 0.5 * v; });
    const std::vector<double> onLine = spline(x, line, 9, 0, x);
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_NEAR(onLine[i], line[i], 1e-8);
    }
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 0.2);
    std::vector<double> noisy;
    for (const double v : x) {
        noisy.push_back(std::sin(v) + noise(rng));
    }
    const std::vector<double> smooth = spline(x, noisy, 9, 0, x);
    double offData = 0.0;
    double offTruth = 0.0;
    double noiseSize = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        offData += std::fabs(smooth[i] - noisy[i]);
        offTruth += (smooth[i] - std::sin(x[i])) * (smooth[i] - std::sin(x[i]));
        noiseSize += (noisy[i] - std::sin(x[i])) * (noisy[i] - std::sin(x[i]));
    }
    EXPECT_GT(offData, 0.05 * static_cast<double>(x.size()));
    EXPECT_LT(offTruth, 0.7 * noiseSize);

    // The chosen parameter is a minimum of the cross-validation score.
    std::vector<double> brk(x.size()), coef(4 * x.size());
    std::vector<std::int32_t> iwk(x.size());
    SmoothingStatistics stats;
    DC2SCV(static_cast<std::int32_t>(x.size()), x.data(), noisy.data(), 0, brk.data(), coef.data(),
           iwk.data(), &stats);
    EXPECT_GT(stats.p, 0.0);
    EXPECT_LT(stats.p, 1.0);
    EXPECT_GT(stats.variance, 0.01);
    EXPECT_LT(stats.variance, 0.1);
}

TEST_F(SplineDriverTest, LeastSquaresFitsAndKnotOptimisation)
{
    // A piecewise-linear target with a kink: the optimised knots fit better than the
    // fixed ones.
    const std::vector<double> x = linspace(0.0, 10.0, 41);
    const std::vector<double> f =
        sample(x, [](double v) { return v < 6.3 ? v : 6.3 - 2 * (v - 6.3); });
    auto sse = [&](std::int32_t itype) {
        const std::vector<double> v = spline(x, f, itype, 0, x);
        double s = 0.0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            s += (v[i] - f[i]) * (v[i] - f[i]);
        }
        return s;
    };
    EXPECT_LT(sse(13), 0.5 * sse(10));
    EXPECT_LT(sse(13), 1e-6);
    // Three points are enough for type 13 (the first guess takes the second point).
    const std::vector<double> v = spline({0.0, 1.0, 3.0}, {0.0, 2.0, 1.0}, 13, 0, {0.0, 1.0, 3.0});
    EXPECT_NEAR(v[0], 0.0, 1e-6);
    EXPECT_NEAR(v[1], 2.0, 1e-6);
    EXPECT_NEAR(v[2], 1.0, 1e-6);
}

TEST_F(SplineDriverTest, CallerWorkspaceOfTheStatedSizeSuffices)
{
    const std::vector<double> x = linspace(0.0, 4.0, 23);
    const std::vector<double> f = sample(x, [](double v) { return std::cos(3 * v); });
    const std::vector<double> at = linspace(-0.2, 4.2, 17);
    for (std::int32_t itype = 1; itype <= 15; ++itype) {
        SCOPED_TRACE(itype);
        const auto n = static_cast<std::int32_t>(at.size());
        const auto ndata = static_cast<std::int32_t>(x.size());
        const std::int64_t size = splineWorkspaceSize(ndata, itype, n);
        // Guard words around the workspace catch any write beyond it.
        std::vector<double> wk(static_cast<std::size_t>(size) + 2, 777.0);
        std::vector<std::int32_t> iwk(static_cast<std::size_t>(n + std::max(ndata, n)) + 2, 777);
        std::vector<double> value(at.size());
        DS2LEZ(ndata, x.data(), f.data(), itype, 1, n, at.data(), value.data(), wk.data() + 1,
               iwk.data() + 1);
        EXPECT_EQ(wk.front(), 777.0);
        EXPECT_EQ(wk.back(), 777.0);
        EXPECT_EQ(iwk.front(), 777);
        EXPECT_EQ(iwk.back(), 777);
        EXPECT_EQ(value, spline(x, f, itype, 1, at));
    }
}

// DSPLEZ reuses its last fit for the same data and type: the values are those of a fresh
// fit, and data changed in place (same array, same length) are fitted again.
TEST_F(SplineDriverTest, ReusedFitFollowsTheData)
{
    std::vector<double> x = linspace(0.0, 5.0, 30);
    std::vector<double> f = sample(x, [](double v) { return std::sin(2 * v) + v; });
    const std::vector<double> at = linspace(0.1, 4.9, 11);
    const auto ndata = static_cast<std::int32_t>(x.size());
    const auto n = static_cast<std::int32_t>(at.size());
    auto fresh = [&](std::int32_t itype, std::int32_t ider) {
        // The caller's workspace road always fits.
        std::vector<double> wk(static_cast<std::size_t>(splineWorkspaceSize(ndata, itype, n)));
        std::vector<std::int32_t> iwk(static_cast<std::size_t>(n + std::max(ndata, n)));
        std::vector<double> value(at.size());
        DS2LEZ(ndata, x.data(), f.data(), itype, ider, n, at.data(), value.data(), wk.data(),
               iwk.data());
        return value;
    };
    for (const std::int32_t itype : {1, 3, 6, 9, 11, 14}) {
        SCOPED_TRACE(itype);
        EXPECT_EQ(spline(x, f, itype, 0, at), fresh(itype, 0));
        EXPECT_EQ(spline(x, f, itype, 1, at), fresh(itype, 1));
        EXPECT_EQ(spline(x, f, itype + 1, 1, at), fresh(itype + 1, 1));
        f[7] += 0.5;
        EXPECT_EQ(spline(x, f, itype, 1, at), fresh(itype, 1));
        x[12] += 0.01;
        EXPECT_EQ(spline(x, f, itype, 0, at), fresh(itype, 0));
        f[7] = -0.0;
        EXPECT_EQ(spline(x, f, itype, 0, at), fresh(itype, 0));
        f[7] = 0.0;
        EXPECT_EQ(spline(x, f, itype, 0, at), fresh(itype, 0));
    }
    // Data refused once are refused again, though the last fit was of almost the same.
    EXPECT_EQ(spline(x, f, 1, 0, at), fresh(1, 0));
    std::vector<double> repeated = x;
    repeated[3] = repeated[2];
    failing(repeated, f, 1, 0, at, kFatal, 1);
}

TEST_F(SplineDriverTest, TooLargeWorkspaceIsReportedWithCodeNine)
{
    // Sizes past what memory holds are reported, not wrapped around 32 bits.
    EXPECT_GT(splineWorkspaceSize(2000000000, 3, 2000000000), std::int64_t{1} << 32);
    const std::vector<double> x = {0.0, 1.0};
    std::vector<double> value(1);
    // NDATA that large cannot be allocated; the data arrays are never read.
    try {
        DSPLEZ(2000000000, x.data(), x.data(), 3, 0, 2000000000, x.data(), value.data());
        FAIL() << "no stop";
    } catch (const NumericsStop& stop) {
        EXPECT_EQ(stop.code(), 9);
    }
    std::string out = takeOutput();
    EXPECT_NE(out.find("TERMINAL ERROR 9 from DSPLEZ.  The required storage cannot be"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("based on NDATA =2000000000\n ***          and N =2000000000.\n"),
              std::string::npos)
        << out;
}

} // namespace
} // namespace numerics::test
