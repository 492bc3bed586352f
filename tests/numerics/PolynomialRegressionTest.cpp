#include "numerics/PolynomialRegression.h"

#include "numerics/RegressionTables.h"
#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <gsl/gsl_cdf.h>
#include <gsl/gsl_multifit.h>
#include <limits>
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

struct Result
{
    std::vector<double> b, sspoly, stat;
};

class PolynomialRegressionTest : public NumericsTest
{
protected:
    Result fit(const std::vector<double>& x, const std::vector<double>& y, std::int32_t ndeg)
    {
        Result r{std::vector<double>(static_cast<std::size_t>(ndeg + 1), -7.0),
                 std::vector<double>(static_cast<std::size_t>(ndeg + 1), -7.0),
                 std::vector<double>(10, -7.0)};
        DRCURV(static_cast<std::int32_t>(x.size()), x.data(), y.data(), ndeg, r.b.data(),
               r.sspoly.data(), r.stat.data());
        return r;
    }
};

// Least squares by GSL on the Vandermonde matrix: coefficients and the error sum.
struct GslFit
{
    std::vector<double> c;
    double chisq = 0.0;
};

GslFit gslFit(const std::vector<double>& x, const std::vector<double>& y, std::size_t degree)
{
    const std::size_t n = x.size();
    const std::size_t p = degree + 1;
    gsl_matrix* X = gsl_matrix_alloc(n, p);
    gsl_vector* yv = gsl_vector_alloc(n);
    gsl_vector* c = gsl_vector_alloc(p);
    gsl_matrix* cov = gsl_matrix_alloc(p, p);
    for (std::size_t i = 0; i < n; ++i) {
        double v = 1.0;
        for (std::size_t j = 0; j < p; ++j) {
            gsl_matrix_set(X, i, j, v);
            v *= x[i];
        }
        gsl_vector_set(yv, i, y[i]);
    }
    gsl_multifit_linear_workspace* w = gsl_multifit_linear_alloc(n, p);
    GslFit f;
    gsl_multifit_linear(X, yv, c, cov, &f.chisq, w);
    for (std::size_t j = 0; j < p; ++j) {
        f.c.push_back(gsl_vector_get(c, j));
    }
    gsl_multifit_linear_free(w);
    gsl_matrix_free(cov);
    gsl_vector_free(c);
    gsl_vector_free(yv);
    gsl_matrix_free(X);
    return f;
}

// Against GSL: coefficients, sequential sums of squares (differences of the error sums
// of nested fits), and the statistics, on data from known polynomials with noise.
TEST_F(PolynomialRegressionTest, AgreesWithLeastSquaresOnTheVandermondeMatrix)
{
    std::mt19937 rng(17);
    std::normal_distribution<double> noise(0.0, 0.3);
    for (const std::int32_t degree : {1, 3, 5}) {
        SCOPED_TRACE(degree);
        std::vector<double> x, y;
        for (int i = 0; i < 60; ++i) {
            const double v = 400.0 + 2.5 * i + (i % 3) * 0.1; // spectrometer-like abscissae
            x.push_back(v);
            const double u = (v - 470.0) / 75.0;
            y.push_back(3.0 - 2.0 * u + 0.5 * u * u * u + 0.2 * u * u * u * u + noise(rng));
        }
        const Result r = fit(x, y, degree);
        EXPECT_EQ(N1RTY(0), 0);
        const GslFit g = gslFit(x, y, static_cast<std::size_t>(degree));
        // Power coefficients in a badly scaled basis (x near 500): the fitted values are the
        // well-conditioned comparison, the coefficients agree to what the basis allows.
        const double coefficientTolerance = degree <= 3 ? 1e-9 : 1e-7;
        for (std::size_t j = 0; j <= static_cast<std::size_t>(degree); ++j) {
            EXPECT_NEAR(r.b[j], g.c[j], coefficientTolerance * std::fabs(g.c[j])) << j;
        }
        for (const double v : x) {
            double ours = 0.0;
            double theirs = 0.0;
            for (std::size_t j = static_cast<std::size_t>(degree) + 1; j-- > 0;) {
                ours = ours * v + r.b[j];
                theirs = theirs * v + g.c[j];
            }
            EXPECT_NEAR(ours, theirs, 1e-6) << v;
        }
        const double n = static_cast<double>(x.size());
        double mean = 0.0;
        for (const double v : y) {
            mean += v;
        }
        mean /= n;
        double sst = 0.0;
        for (const double v : y) {
            sst += (v - mean) * (v - mean);
        }
        EXPECT_NEAR(r.sspoly[0], n * mean * mean, 1e-10 * n * mean * mean);
        double previous = sst;
        for (std::size_t k = 1; k <= static_cast<std::size_t>(degree); ++k) {
            const double sse = gslFit(x, y, k).chisq;
            EXPECT_NEAR(r.sspoly[k], previous - sse, 1e-8 * sst) << k;
            previous = sse;
        }
        EXPECT_NEAR(r.stat[1], mean, 1e-12 * std::fabs(mean));
        EXPECT_NEAR(r.stat[3], sst / (n - 1), 1e-10 * sst);
        EXPECT_NEAR(r.stat[4], 100.0 * (sst - g.chisq) / sst, 1e-9);
        EXPECT_EQ(r.stat[5], degree);
        EXPECT_NEAR(r.stat[6], sst - g.chisq, 1e-9 * sst);
        EXPECT_EQ(r.stat[7], n - degree - 1);
        EXPECT_NEAR(r.stat[8], g.chisq, 1e-8 * sst);
        EXPECT_EQ(r.stat[9], 0.0);
        double xm = 0.0;
        for (const double v : x) {
            xm += v;
        }
        xm /= n;
        double sxx = 0.0;
        for (const double v : x) {
            sxx += (v - xm) * (v - xm);
        }
        EXPECT_NEAR(r.stat[0], xm, 1e-12 * xm);
        EXPECT_NEAR(r.stat[2], sxx / (n - 1), 1e-10 * sxx);
    }
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(PolynomialRegressionTest, LineWithHigherDegreeRequested)
{
    const Result r = fit({1, 2, 3, 4, 5}, {3, 5, 7, 9, 11}, 3);
    EXPECT_NEAR(r.b[0], 1.0, 1e-12);
    EXPECT_NEAR(r.b[1], 2.0, 1e-12);
    EXPECT_EQ(r.b[2], 0.0);
    EXPECT_EQ(r.b[3], 0.0);
    EXPECT_EQ(r.sspoly[2], 0.0);
    EXPECT_EQ(r.sspoly[3], 0.0);
    EXPECT_EQ(r.stat[5], 1.0);
    EXPECT_EQ(N1RTY(0), kWarning);
    EXPECT_EQ(N1RCD(0), 6);
    const std::string out = takeOutput();
    EXPECT_NE(out.find("WARNING  ERROR 11 from DR3ORP.  The degree 1 polynomial fit is a\n"),
              std::string::npos)
        << out;
    EXPECT_NE(
        out.find(" *** WARNING  ERROR 6 from DRCURV.  A perfect fit was obtained with a\n"
                 " ***          polynomial of lower degree (=1) than NDEG = 3 as requested.\n"),
        std::string::npos)
        << out;
}

TEST_F(PolynomialRegressionTest, EdgeCases)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    {
        SCOPED_TRACE("FewerPointsThanCoefficients");
        const Result r = fit({0.0, 1.0, 3.0}, {1.0, 4.0, 2.0}, 4);
        EXPECT_EQ(r.stat[5], 2.0);
        EXPECT_EQ(r.stat[7], 0.0);
        EXPECT_EQ(r.stat[8], 0.0);
        EXPECT_EQ(r.b[3], 0.0);
        EXPECT_EQ(r.b[4], 0.0);
        // Through the three points.
        for (const auto& [x, y] : {std::pair{0.0, 1.0}, std::pair{1.0, 4.0}, std::pair{3.0, 2.0}}) {
            EXPECT_NEAR(r.b[0] + r.b[1] * x + r.b[2] * x * x, y, 1e-12);
        }
        EXPECT_EQ(N1RCD(0), 5);
        const std::string out = takeOutput();
        EXPECT_NE(out.find("perfect fit"), std::string::npos);
        EXPECT_NE(out.find("WARNING  ERROR 5 from DRCURV.  A degree 2 polynomial is fitted."),
                  std::string::npos)
            << out;
    }
    {
        SCOPED_TRACE("DegreeZero");
        const Result r = fit({1, 2, 3, 4}, {2, 4, 4, 6}, 0);
        EXPECT_NEAR(r.b[0], 4.0, 1e-14);
        EXPECT_TRUE(std::isnan(r.stat[0]));
        EXPECT_TRUE(std::isnan(r.stat[2]));
        EXPECT_EQ(r.stat[5], 0.0);
        takeOutput();
    }
    {
        SCOPED_TRACE("ThreeDistinctAbscissae");
        const Result r = fit({1, 1, 2, 2, 3, 3}, {1, 1.2, 4, 3.8, 9, 9.3}, 4);
        EXPECT_EQ(r.stat[5], 2.0);
        EXPECT_EQ(N1RCD(0), 5);
        EXPECT_NE(takeOutput().find("There are only 3 distinct abscissas"), std::string::npos);
    }
    {
        SCOPED_TRACE("NaNPair");
        const Result withNan = fit({1, 2, 3, 4, 5}, {1.0, 3.5, nan, 2.0, 7.0}, 1);
        const Result without = fit({1, 2, 4, 5}, {1.0, 3.5, 2.0, 7.0}, 1);
        EXPECT_EQ(withNan.stat[9], 1.0);
        EXPECT_NEAR(withNan.stat[1], 13.5 / 4.0, 1e-14);
        for (std::size_t j = 0; j < 2; ++j) {
            EXPECT_NEAR(withNan.b[j], without.b[j], 1e-12);
        }
        takeOutput();
    }
    {
        SCOPED_TRACE("ConstantY");
        const Result r = fit({1, 2, 3, 4}, {2.5, 2.5, 2.5, 2.5}, 2);
        EXPECT_EQ(r.b[0], 2.5);
        EXPECT_EQ(r.b[1], 0.0);
        EXPECT_NEAR(r.sspoly[0], 4 * 2.5 * 2.5, 1e-12);
        EXPECT_TRUE(std::isnan(r.stat[4]));
        EXPECT_EQ(N1RCD(0), 4);
        const std::string out = takeOutput();
        EXPECT_NE(out.find("The y values are constant."), std::string::npos) << out;
    }
    {
        SCOPED_TRACE("AnyOrder");
        const Result a = fit({5, 1, 4, 2, 3, 6}, {2, 1, 7, 3, 5, 4}, 2);
        const Result b = fit({1, 2, 3, 4, 5, 6}, {1, 3, 5, 7, 2, 4}, 2);
        for (std::size_t j = 0; j < 3; ++j) {
            EXPECT_NEAR(a.b[j], b.b[j], 1e-12);
        }
        for (std::size_t j = 0; j < 10; ++j) {
            EXPECT_NEAR(a.stat[j], b.stat[j], 1e-12);
        }
    }
}

TEST_F(PolynomialRegressionTest, Failures)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* name;
        std::vector<double> x, y;
        std::int32_t ndeg, type, code;
        const char* text;
    };
    const Case cases[] = {
        {"NoObservations", {}, {}, 1, kTerminal, 1, "NOBS = 0 is given."},
        {"NegativeDegree", {1, 2}, {1, 2}, -1, kTerminal, 2, "NDEG = -1."},
        {"OneObservation", {1}, {1}, 0, kTerminal, 1, "NOBS = 1.  The number of observations"},
        {"AllNaN", {nan, 1}, {1, nan}, 1, kFatal, 3, "There are no valid data points."},
        {"ConstantX", {2, 2, 2}, {1, 2, 3}, 1, kFatal, 7, "The x values are constant."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> b(static_cast<std::size_t>(std::max(c.ndeg, 0) + 1), -7.0);
        std::vector<double> ss(b.size(), -7.0), stat(10, -7.0);
        try {
            DRCURV(static_cast<std::int32_t>(c.x.size()), c.x.data(), c.y.data(), c.ndeg, b.data(),
                   ss.data(), stat.data());
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.type(), c.type);
            EXPECT_EQ(stop.code(), c.code);
        }
        EXPECT_NE(takeOutput().find(c.text), std::string::npos);
        EXPECT_EQ(stat, std::vector<double>(10, -7.0));
        EXPECT_EQ(b, std::vector<double>(b.size(), -7.0));
    }
    // A degree so high that the workspace size passes 32 bits is reported, not wrapped.
    const std::vector<double> x = {1, 2, 3};
    std::vector<double> out(10);
    try {
        DRCURV(3, x.data(), x.data(), 2000000000, out.data(), out.data(), out.data());
        FAIL() << "no stop";
    } catch (const NumericsStop& stop) {
        EXPECT_EQ(stop.code(), 3);
    }
    EXPECT_NE(takeOutput().find("TERMINAL ERROR 3 from DRCURV.  The required storage cannot be"),
              std::string::npos);
}

TEST_F(PolynomialRegressionTest, TablesEdgeCases)
{
    // DFE = 0: no error variance, so every inference entry is NaN.
    const double a[1] = {0.0};
    const double b[1] = {0.0};
    const double scoef[2] = {2.0, 1.0};
    const double d[2] = {2.0, 2.0};
    std::vector<double> aov(15), sqss(4), coef(8), tlof(4);
    DR2TAP(1, a, b, 1.0, 0.0, scoef, d, 0.0, 0.0, 0, 0.0, 0.0, 0, aov.data(), sqss.data(), 1,
           coef.data(), 2, tlof.data(), 1);
    EXPECT_TRUE(std::isnan(aov[7]));
    EXPECT_TRUE(std::isnan(aov[12]));
    EXPECT_TRUE(std::isnan(aov[14]));
    for (int c = 1; c <= 3; ++c) {
        EXPECT_TRUE(std::isnan(coef[static_cast<std::size_t>(2 * c)]));
    }
    // The analysis-of-variance vector against the F distribution.
    DG1AOV(2.0, 30.0, 7.0, 14.0, 0.0, aov.data());
    EXPECT_EQ(aov[6], 15.0);
    EXPECT_EQ(aov[7], 2.0);
    EXPECT_EQ(aov[8], 7.5);
    EXPECT_NEAR(aov[9], gsl_cdf_fdist_Q(7.5, 2.0, 7.0), 1e-13);
    EXPECT_NEAR(aov[10], 100.0 * 30.0 / 44.0, 1e-12);
    EXPECT_NEAR(aov[11], 100.0 * (1.0 - 2.0 / (44.0 / 9.0)), 1e-12);
    EXPECT_TRUE(std::isinf(aov[14])); // mean 0
    // Adjusted R-squared never below 0.
    DG1AOV(3.0, 0.1, 2.0, 50.0, 1.0, aov.data());
    EXPECT_EQ(aov[11], 0.0);
    // A zero standard error with a nonzero estimate: t infinite, p 0.
    double t = 0.0;
    double p = 0.0;
    DC1T(3.0, 0.0, 5.0, t, p);
    EXPECT_TRUE(std::isinf(t));
    EXPECT_EQ(p, 0.0);
    DC1T(3.0, 1.5, 5.0, t, p);
    EXPECT_NEAR(p, 2.0 * gsl_cdf_tdist_Q(2.0, 5.0), 1e-13);
}

TEST_F(PolynomialRegressionTest, GeneralFitOptions)
{
    // Replicated x on a quadratic with noise: pure error from the replicates.
    const std::vector<double> x = {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6};
    const std::vector<double> y = {1.1,  0.9,  4.2,  3.8,  9.1,  8.9,
                                   16.2, 15.8, 25.1, 24.9, 36.3, 35.7};
    std::vector<double> data = x;
    data.insert(data.end(), y.begin(), y.end());
    std::vector<double> a(5), b(5), scoef(6), d(6);
    std::int32_t ndeg = 0;
    std::int32_t nrmiss = 0;
    double umult = 0, uadd = 0, dfe = 0, sse = 0, dfpe = 0, sspe = 0;
    // Lack-of-fit test as the criterion: the quadratic fits, the line does not.
    DR2ORP(12, 2, data.data(), 12, 2, 1, 0, 0, 5, 2, 5.0, 1, ndeg, umult, uadd, a.data(), b.data(),
           scoef.data(), d.data(), dfe, sse, dfpe, sspe, nrmiss);
    EXPECT_EQ(ndeg, 2);
    EXPECT_EQ(dfpe, 6.0);
    EXPECT_NEAR(sspe, 2 * (0.01 + 0.04 + 0.01 + 0.04 + 0.01 + 0.09), 1e-12);
    // R-squared criterion: a line already explains 90 percent.
    DR2ORP(12, 2, data.data(), 12, 2, 1, 0, 0, 5, 1, 90.0, 0, ndeg, umult, uadd, a.data(), b.data(),
           scoef.data(), d.data(), dfe, sse, dfpe, sspe, nrmiss);
    EXPECT_EQ(ndeg, 1);
    EXPECT_EQ(dfe, 10.0);
    E1DFLT();
    struct Case
    {
        const char* name;
        std::int32_t icrit, lof;
        double crit;
        std::int32_t code;
    };
    const Case cases[] = {
        {"Criterion", 3, 0, 0.0, 5},
        {"LackOfFitOption", 0, 2, 0.0, 6},
        {"CriterionTwoWithoutLackOfFit", 2, 0, 5.0, 7},
        {"SignificanceOutOfRange", 2, 1, 101.0, 8},
        {"RSquaredZero", 1, 0, 0.0, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DR2ORP(12, 2, data.data(), 12, 2, 1, 0, 0, 5, c.icrit, c.crit, c.lof, ndeg, umult, uadd,
                   a.data(), b.data(), scoef.data(), d.data(), dfe, sse, dfpe, sspe, nrmiss);
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        takeOutput();
    }
}

} // namespace
} // namespace numerics::test
