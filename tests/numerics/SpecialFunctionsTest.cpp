#include "numerics/SpecialFunctions.h"

#include "numerics/ChebyshevTables.h"
#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <gsl/gsl_cdf.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_sf_erf.h>
#include <gsl/gsl_sf_gamma.h>
#include <vector>

namespace numerics::test {
namespace {

class SpecialFunctionsTest : public NumericsTest
{
protected:
    // GSL reports underflow of its own results as an error; the values are still right.
    void SetUp() override
    {
        NumericsTest::SetUp();
        gsl_set_error_handler_off();
    }
};

constexpr double kPi = 3.14159265358979323846;

// Relative agreement, or absolute near zero.
void expectClose(double actual, double expected, double relative, double absolute = 0.0)
{
    EXPECT_NEAR(actual, expected, std::max(relative * std::fabs(expected), absolute))
        << "expected " << expected;
}

TEST_F(SpecialFunctionsTest, TablesAsPublished)
{
    EXPECT_EQ(kLogGammaCorrectionSeries.size(), 15u);
    EXPECT_EQ(kGammaSeries.size(), 42u);
    EXPECT_EQ(kLogOnePlusSeries.size(), 43u);
    EXPECT_EQ(kErfSeries.size(), 21u);
    EXPECT_EQ(kErfcMiddleSeries.size(), 49u);
    EXPECT_EQ(kErfcTailSeries.size(), 59u);
    EXPECT_EQ(kLogGammaCorrectionSeries[0], 0.16663894804518634);
    EXPECT_EQ(kGammaSeries[0], 0.00857119559098933);
    EXPECT_EQ(kLogOnePlusSeries[0], 1.037869356274377);
    EXPECT_EQ(kErfSeries[0], -0.049046121234691806);
    EXPECT_EQ(kErfcMiddleSeries[0], -0.0696013466023095);
    EXPECT_EQ(kErfcTailSeries[0], 0.07151793102029248);
    // Fewer terms for a coarser accuracy.
    const std::int32_t fine = INITDS(kGammaSeries.data(), 42, 1e-17f);
    const std::int32_t coarse = INITDS(kGammaSeries.data(), 42, 1e-6f);
    EXPECT_LT(coarse, fine);
    EXPECT_GT(coarse, 1);
}

// Tolerances: about 2e-15 relative where the functions compute to full precision; the
// gamma function grows its error with the argument through exp, so 1e-13 relative there.
TEST_F(SpecialFunctionsTest, GammaFamilyAgreesWithGsl)
{
    for (double x = -9.75; x <= 170.0; x += (x < 12.0 ? 0.125 : 1.37)) {
        if (x == std::round(x) && x <= 0.0) {
            continue;
        }
        SCOPED_TRACE(x);
        expectClose(DGAMMA(x), gsl_sf_gamma(x), x < 10.5 ? 2e-14 : 2e-13);
        const double lg = gsl_sf_lngamma(x);
        // Absolute near the zeros of ln |gamma| (x = 1, 2 and between negative integers).
        expectClose(DLNGAM(x), lg, 4e-15, 4e-15);
    }
    for (const double x : {-25.3, -14.5, -11.7, 11.0, 20.5, 1e3, 1e10, 1e300}) {
        SCOPED_TRACE(x);
        expectClose(DLNGAM(x), gsl_sf_lngamma(x), 4e-15, 4e-15);
    }
    EXPECT_EQ(DGAMMA(1.0), 1.0);
    EXPECT_EQ(DGAMMA(2.0), 1.0);
    expectClose(DGAMMA(0.5), std::sqrt(kPi), 2e-16);
    expectClose(DGAMMA(-1.5), 4 * std::sqrt(kPi) / 3, 4e-16);
    expectClose(DLNGAM(11.0), std::log(3628800.0), 1e-15);
    EXPECT_EQ(DLNREL(1e-20), 1e-20);
    for (const double x : {-0.99, -0.5, -0.375, -1e-8, 1e-8, 0.2, 0.375, 0.5, 3.0, 1e6}) {
        SCOPED_TRACE(x);
        expectClose(DLNREL(x), std::log1p(x), 2e-16);
    }
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(SpecialFunctionsTest, ErrorAndBetaFunctionsAgreeWithGsl)
{
    for (double x = -6.0; x <= 26.0; x += 0.0625) {
        SCOPED_TRACE(x);
        expectClose(DERFC(x), gsl_sf_erfc(x), 1e-14, 1e-300);
    }
    EXPECT_EQ(DERFC(0.0), 1.0);
    for (const double a : {0.3, 1.0, 2.5, 9.9, 10.0, 33.0, 250.0}) {
        for (const double b : {0.7, 4.0, 10.5, 99.0}) {
            SCOPED_TRACE(testing::Message() << a << " " << b);
            expectClose(DLBETA(a, b), gsl_sf_lnbeta(a, b), 1e-14, 1e-14);
            for (const double x : {1e-9, 0.05, 0.19, 0.2, 0.5, 0.79, 0.8, 0.95, 1 - 1e-9}) {
                expectClose(DBETAI(x, a, b), gsl_sf_beta_inc(a, b, x), 1e-12, 5e-14);
            }
        }
    }
    EXPECT_EQ(DBETAI(0.0, 2.0, 3.0), 0.0);
    EXPECT_EQ(DBETAI(1.0, 2.0, 3.0), 1.0);
}

// Grids across the branch edges: degrees of freedom 19/20 and non-integral, t squared
// around 4 and around the degrees of freedom (the beta-function branch). Tolerances: the
// exact t branches (finite sum, tail series, incomplete beta) 2e-14 relative; the F
// distribution 1e-12 relative or 1e-15 absolute, since its lower tail is formed as
// 1 - I_x and small values keep an absolute error of a few units of 1e-16.
TEST_F(SpecialFunctionsTest, DistributionsAgreeWithGsl)
{
    for (const double df : {1.0, 2.0, 3.0, 5.0, 19.0}) {
        for (double t = -30.0; t <= 30.0; t += 0.25) {
            SCOPED_TRACE(testing::Message() << "df " << df << " t " << t);
            const double expected = gsl_cdf_tdist_P(t, df);
            expectClose(DTDF(t, df), expected, 2e-14, 1e-16);
        }
        for (const double t : {1.999, 2.0, 2.001, std::sqrt(df) - 1e-9, std::sqrt(df) + 1e-9}) {
            SCOPED_TRACE(testing::Message() << "edge df " << df << " t " << t);
            expectClose(DTDF(t, df), gsl_cdf_tdist_P(t, df), 2e-14, 1e-16);
        }
    }
    // Hill's normal approximation (df not an integer, or df >= 20 with t^2 < df): compared
    // with the approximation's own formula.
    for (const double df : {2.5, 20.0, 47.0}) {
        for (const double t : {-3.0, -0.5, 0.1, 1.0, 2.0, 4.0}) {
            if (t * t >= df) {
                continue;
            }
            SCOPED_TRACE(testing::Message() << "df " << df << " t " << t);
            double y = t * t / df;
            const double b0 = 1.0 + y;
            y = y * std::log(b0) / (b0 - 1.0);
            const double a = df - 0.5;
            const double b = 48.0 * a * a;
            y = a * y;
            const double z =
                (((((-0.4 * y - 3.3) * y - 24.0) * y - 85.5) / (0.8 * y * y + 100.0 + b) + y +
                  3.0) /
                     b +
                 1.0) *
                std::sqrt(y);
            const double q = std::erfc(z * 0.7071067811865476);
            expectClose(DTDF(t, df), t <= 0 ? q / 2 : 1 - q / 2, 1e-14);
            // And the approximation is close to the exact distribution.
            EXPECT_NEAR(DTDF(t, df), gsl_cdf_tdist_P(t, df), 1e-4);
        }
    }
    for (const double df : {1.0, 7.0, 19.0}) {
        EXPECT_EQ(DTDF(0.0, df), 0.5);
    }
    for (const double t : {-40.0, -1.0, 0.3, 5.0}) {
        expectClose(DTDF(t, 1.0), 0.5 + std::atan(t) / kPi, 1e-14);
    }
    for (const double dfn : {1.0, 2.0, 7.5, 30.0}) {
        for (const double dfd : {1.0, 3.0, 12.0, 100.0}) {
            for (const double f : {0.01, 0.5, 1.0, 2.0, 10.0, 200.0}) {
                SCOPED_TRACE(testing::Message() << dfn << " " << dfd << " " << f);
                expectClose(DFDF(f, dfn, dfd), gsl_cdf_fdist_P(f, dfn, dfd), 1e-12, 1e-15);
            }
        }
    }
    EXPECT_NEAR(DFDF(1.0, 1.0, 1.0), 0.5, 1e-15);
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(SpecialFunctionsTest, NotesAlertsAndStops)
{
    E1PSH("dCALLER");
    EXPECT_EQ(DFDF(0.0, 1.0, 1.0), 0.0);
    EXPECT_EQ(N1RTY(1), kNote);
    EXPECT_EQ(N1RCD(1), 3);
    EXPECT_EQ(DERFC(30.0), 0.0);
    EXPECT_EQ(N1RTY(1), kAlert);
    E1MES(0, 0, "");
    E1POP("dCALLER");
    EXPECT_EQ(takeOutput(), "");
    struct Case
    {
        const char* name;
        double (*call)();
        std::int32_t code;
    };
    const Case cases[] = {
        {"GammaZero", [] { return DGAMMA(0.0); }, 5},
        {"GammaNegativeInteger", [] { return DGAMMA(-3.0); }, 6},
        {"GammaLargeNegativeInteger", [] { return DGAMMA(-12.0); }, 7},
        {"GammaOverflow", [] { return DGAMMA(200.0); }, 4},
        {"LnRelMinusOne", [] { return DLNREL(-1.0); }, 5},
        {"LnGammaNegativeInteger", [] { return DLNGAM(-20.0); }, 5},
        {"BetaBadX", [] { return DBETAI(1.5, 1.0, 1.0); }, 5},
        {"TFewDegrees", [] { return DTDF(1.0, 0.5); }, 1},
        {"FBadDfd", [] { return DFDF(1.0, 1.0, 0.0); }, 2},
        {"CorrectionBelowTen", [] { return D9LGMC(9.0); }, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.call();
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        takeOutput();
    }
    // The series helper warns outside its interval and goes on.
    E1PSH("dCALLER");
    const double v = DCSEVL(1.05, kGammaSeries.data(), 10);
    EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(N1RTY(1), kWarning);
    EXPECT_EQ(N1RCD(1), 7);
    E1MES(0, 0, "");
    E1POP("dCALLER");
}

} // namespace
} // namespace numerics::test
