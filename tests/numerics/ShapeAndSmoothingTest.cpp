#include "numerics/ConcavitySpline.h"
#include "numerics/SmoothingSpline.h"
#include "numerics/VariableKnotBSpline.h"
#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace numerics::test {
namespace {

class ShapeAndSmoothingTest : public NumericsTest
{};

TEST_F(ShapeAndSmoothingTest, ConcavityArgumentsAndPieces)
{
    const std::vector<double> x = {0, 1, 2, 3, 4, 5};
    const std::vector<double> f = {5, 2, 1, 1.5, 1.4, 3};
    std::vector<double> brk(11), coef(44);
    std::vector<std::int32_t> iwk(6);
    std::int32_t nbrk = 0;
    EXPECT_THROW(DC2CON(6, x.data(), f.data(), 1, brk.data(), coef.data(), nbrk, iwk.data()),
                 NumericsStop);
    EXPECT_NE(takeOutput().find("ITMAX = 1 is"), std::string::npos);
    EXPECT_THROW(DC2CON(2, x.data(), f.data(), 25, brk.data(), coef.data(), nbrk, iwk.data()),
                 NumericsStop);
    takeOutput();
    // Convex, then concave, then convex: extra break points where the curvature turns.
    E1PSH("dCALLER");
    DC2CON(6, x.data(), f.data(), 25, brk.data(), coef.data(), nbrk, iwk.data());
    EXPECT_TRUE(N1RTY(1) == 0 || N1RTY(1) == kWarning);
    E1MES(0, 0, "");
    E1POP("dCALLER");
    EXPECT_GE(nbrk, 6);
    EXPECT_LE(nbrk, 11);
    EXPECT_EQ(brk[static_cast<std::size_t>(nbrk - 1)], 5.0);
    EXPECT_EQ(coef[static_cast<std::size_t>(4 * (nbrk - 1))], 3.0);
    for (std::int32_t i = 1; i < nbrk; ++i) {
        EXPECT_LT(brk[static_cast<std::size_t>(i - 1)], brk[static_cast<std::size_t>(i)]);
    }
    // A repeated abscissa is FATAL code 3.
    const std::vector<double> xr = {0, 1, 1, 3};
    EXPECT_THROW(DC2CON(4, xr.data(), f.data(), 25, brk.data(), coef.data(), nbrk, iwk.data()),
                 NumericsStop);
    EXPECT_NE(takeOutput().find("FATAL    ERROR 3 from DC2CON."), std::string::npos);
}

TEST_F(ShapeAndSmoothingTest, SmoothingSplineOfExactCubicDataAndRepeats)
{
    const std::vector<double> x = {3, 0, 1, 2, 4, 5, 6};
    std::vector<double> f;
    for (const double v : x) {
        f.push_back(v * v);
    }
    std::vector<double> brk(7), coef(28);
    std::vector<std::int32_t> iwk(7);
    SmoothingStatistics stats;
    DC2SCV(7, x.data(), f.data(), 0, brk.data(), coef.data(), iwk.data(), &stats);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(brk[i], static_cast<double>(i));
    }
    EXPECT_EQ(coef[4 * 6 + 1], 0.0);
    EXPECT_EQ(coef[4 * 6 + 3], 0.0);
    const std::vector<double> xr = {0, 1, 2, 1};
    EXPECT_THROW(DC2SCV(4, xr.data(), f.data(), 0, brk.data(), coef.data(), iwk.data()),
                 NumericsStop);
    EXPECT_NE(takeOutput().find("FATAL    ERROR 2 from DC2SCV."), std::string::npos);
}

TEST_F(ShapeAndSmoothingTest, BoundedMinimiser)
{
    E1PSH("dCALLER");
    const double inside = DB7VLS([](double v) { return (v - 0.3) * (v - 0.3); }, -1.0, 2.0, 100);
    EXPECT_NEAR(inside, 0.3, 1e-6);
    EXPECT_EQ(N1RTY(1), 0);
    const double atBound = DB7VLS([](double v) { return v; }, 1.0, 2.0, 100);
    EXPECT_NEAR(atBound, 1.0, 1e-6);
    EXPECT_EQ(N1RTY(1), kWarning);
    EXPECT_EQ(N1RCD(1), 15);
    DB7VLS([](double v) { return std::cos(v); }, 0.0, 6.0, 3);
    EXPECT_EQ(N1RCD(1), 11);
    E1MES(0, 0, "");
    E1POP("dCALLER");
}

TEST_F(ShapeAndSmoothingTest, VariableKnotArgumentChecks)
{
    const std::vector<double> x = {0, 1, 2, 3, 4, 5};
    const std::vector<double> f = {0, 1, 0, 1, 0, 1};
    const std::vector<double> w(6, 1.0);
    std::vector<double> knots(6), coef(3);
    std::vector<std::int32_t> iwk(6);
    struct Case
    {
        const char* name;
        std::int32_t k, ncoef;
        std::vector<double> guess;
        std::int32_t code;
    };
    const Case cases[] = {
        {"Order", 0, 3, {0, 0, 3, 5, 5, 5}, 16},
        {"TooFewCoefficients", 2, 2, {0, 0, 5, 5}, 17},
        {"TooManyCoefficients", 2, 7, {0, 0, 1, 2, 3, 4, 4, 5, 5}, 18},
        {"Stacked", 2, 3, {0, 0, 0, 5, 5}, 9},
        {"Decreasing", 2, 3, {0, 0, 6, 5, 5}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DB2VLS(6, x.data(), f.data(), w.data(), c.k, c.ncoef, c.guess.data(), knots.data(),
                   coef.data(), iwk.data());
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        takeOutput();
    }
}

} // namespace
} // namespace numerics::test
