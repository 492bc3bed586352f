// NaN and infinite input to the entry points that check their data: each ends in the
// entry point's own code with a message naming the offending element, or, in the
// regression, leaves the pair out and counts it; none ends in an error of a routine the
// caller never called.

#include "numerics/PolynomialRegression.h"
#include "numerics/RegressionTables.h"
#include "numerics/SplineDriver.h"
#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace numerics::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class NonFiniteInputTest : public NumericsTest
{
protected:
    // Runs f expecting a stop with type and code; returns what was written.
    template <class F> std::string stopping(F f, std::int32_t type, std::int32_t code)
    {
        try {
            f();
            ADD_FAILURE() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.type(), type);
            EXPECT_EQ(stop.code(), code);
        }
        return takeOutput();
    }
};

std::vector<double> with(std::vector<double> v, std::size_t at, double value)
{
    v[at] = value;
    return v;
}

TEST_F(NonFiniteInputTest, SplineDriverNamesTheElement)
{
    const std::vector<double> x = {3, 1, 4, 2, 5, 9, 7, 6, 8, 10};
    const std::vector<double> f = {1, 0, 2, 1, 3, 2, 1, 0, 1, 2};
    const std::vector<double> at = {1.5, 2.5, 9.5};
    struct Case
    {
        const char* name;
        std::vector<double> x, f, at;
        std::int32_t code;
        const char* text;
    };
    const Case cases[] = {
        {"NaN abscissa", with(x, 2, kNaN), f, at, 1, "XDATA(3) = XDATA(3) = NaN."},
        {"infinite abscissa", with(x, 1, kInf), f, at, 1, "XDATA(2) = XDATA(2) = Infinity."},
        {"minus infinite abscissa", with(x, 9, -kInf), f, at, 1,
         "XDATA(10) = XDATA(10) = -Infinity."},
        {"two infinite abscissae", with(with(x, 1, kInf), 6, kInf), f, at, 1,
         "XDATA(2) = XDATA(7) = Infinity."},
        {"NaN value", x, with(f, 3, kNaN), at, 3, "FDATA(4) = NaN."},
        {"infinite value", x, with(f, 0, -kInf), at, 3, "FDATA(1) = -Infinity."},
        {"NaN point", x, f, with(at, 1, kNaN), 2, "XVEC(2) =  XVEC(2) = NaN."},
        {"infinite point", x, f, with(at, 2, kInf), 2, "XVEC(3) =  XVEC(3) = Infinity."},
    };
    for (const Case& c : cases) {
        for (std::int32_t itype = 1; itype <= 15; ++itype) {
            SCOPED_TRACE(testing::Message() << c.name << ", type " << itype);
            std::vector<double> value(c.at.size(), -1.0);
            const std::string out = stopping(
                [&] {
                    DSPLEZ(static_cast<std::int32_t>(c.x.size()), c.x.data(), c.f.data(), itype, 0,
                           static_cast<std::int32_t>(c.at.size()), c.at.data(), value.data());
                },
                kFatal, c.code);
            EXPECT_NE(out.find("FATAL    ERROR " + std::to_string(c.code) + " from DSPLEZ."),
                      std::string::npos)
                << out;
            std::string joined;
            for (std::size_t i = 0; i < out.size(); ++i) {
                if (out.compare(i, 15, "\n ***          ") == 0) {
                    joined += ' ';
                    i += 14;
                } else {
                    joined += out[i];
                }
            }
            EXPECT_NE(joined.find(c.text), std::string::npos) << out;
            EXPECT_EQ(value, std::vector<double>(c.at.size(), -1.0));
        }
    }
}

struct Regression
{
    std::vector<double> b, ss, stat;
};

Regression regress(const std::vector<double>& x, const std::vector<double>& y, std::int32_t ndeg)
{
    Regression r{std::vector<double>(static_cast<std::size_t>(ndeg + 1)),
                 std::vector<double>(static_cast<std::size_t>(ndeg + 1)), std::vector<double>(10)};
    DRCURV(static_cast<std::int32_t>(x.size()), x.data(), y.data(), ndeg, r.b.data(), r.ss.data(),
           r.stat.data());
    return r;
}

// DRCURV leaves a pair with an infinity out and counts it in STAT(10), as it does a pair
// with a NaN: the fit is the one without that pair.
TEST_F(NonFiniteInputTest, RegressionLeavesInfinitePairsOut)
{
    const std::vector<double> x = {0, 1, 2, 3, 4, 5, 6, 7};
    const std::vector<double> y = {1.0, 2.9, 5.2, 7.1, 8.8, 11.2, 13.1, 14.9};
    struct Case
    {
        const char* name;
        std::vector<double> x, y;
        std::vector<std::size_t> left;
    };
    const Case cases[] = {
        {"infinite x", with(x, 2, kInf), y, {2}},
        {"minus infinite x", with(x, 0, -kInf), y, {0}},
        {"infinite y", x, with(y, 5, kInf), {5}},
        {"NaN y and infinite x", with(x, 1, -kInf), with(y, 6, kNaN), {1, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> xs, ys;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (std::find(c.left.begin(), c.left.end(), i) == c.left.end()) {
                xs.push_back(x[i]);
                ys.push_back(y[i]);
            }
        }
        const Regression got = regress(c.x, c.y, 2);
        const Regression want = regress(xs, ys, 2);
        EXPECT_EQ(N1RTY(1), 0);
        EXPECT_EQ(got.stat[9], static_cast<double>(c.left.size()));
        for (std::size_t j = 0; j < got.b.size(); ++j) {
            EXPECT_NEAR(got.b[j], want.b[j], 1e-12 * (1 + std::fabs(want.b[j]))) << j;
            EXPECT_NEAR(got.ss[j], want.ss[j], 1e-9 * (1 + std::fabs(want.ss[j]))) << j;
        }
        for (std::size_t j = 0; j < 9; ++j) {
            EXPECT_NEAR(got.stat[j], want.stat[j], 1e-9 * (1 + std::fabs(want.stat[j]))) << j;
        }
        EXPECT_EQ(takeOutput(), "");
    }
    // Every pair holds an infinity or a NaN: the documented FATAL 3 of DRCURV.
    const std::vector<double> bad = {kInf, kNaN, -kInf};
    const std::string out = stopping([&] { regress(bad, {1, 2, 3}, 1); }, kFatal, 3);
    EXPECT_NE(out.find("FATAL    ERROR 3 from DRCURV."), std::string::npos) << out;
}

TEST_F(NonFiniteInputTest, RegressionTablesRefuseNonFiniteArguments)
{
    const double a[1] = {0.0};
    const double b[1] = {0.0};
    const double scoef[2] = {1.0, 0.5};
    std::vector<double> aov(15), sqss(4), coef(8), tlof(4);
    struct Case
    {
        const char* name;
        double d2, dfe, sse;
        std::int32_t code;
        const char* text;
    };
    const Case cases[] = {
        {"infinite D", kInf, 3.0, 1.0, 2, "D(2) = Infinity."},
        {"NaN D", kNaN, 3.0, 1.0, 2, "D(2) = NaN."},
        {"NaN DFE", 2.0, kNaN, 1.0, 3, "DFE = NaN."},
        {"infinite DFE", 2.0, kInf, 1.0, 3, "DFE = Infinity."},
        {"NaN SSE", 2.0, 3.0, kNaN, 4, "SSE = NaN."},
        {"infinite SSE", 2.0, 3.0, kInf, 4, "SSE = Infinity."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double d[2] = {5.0, c.d2};
        const std::string out = stopping(
            [&] {
                DR2TAP(1, a, b, 1.0, 0.0, scoef, d, c.dfe, c.sse, 0, 0.0, 0.0, 0, aov.data(),
                       sqss.data(), 1, coef.data(), 2, tlof.data(), 1);
            },
            kTerminal, c.code);
        EXPECT_NE(out.find("TERMINAL ERROR " + std::to_string(c.code) + " from DR2TAP."),
                  std::string::npos)
            << out;
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
    }
    // The analysis-of-variance vector and the coefficient table refuse them the same way.
    std::string out = stopping([&] { DG1AOV(1.0, kInf, 3.0, 1.0, 2.0, aov.data()); }, kTerminal, 2);
    EXPECT_NE(out.find("TERMINAL ERROR 2 from DG1AOV.  SSR = Infinity."), std::string::npos) << out;
    const double estimates[2] = {1.0, 2.0};
    const double stderrs[2] = {0.1, 0.2};
    out = stopping([&] { DRCOEF(2, estimates, stderrs, kNaN, coef.data(), 2); }, kTerminal, 4);
    EXPECT_NE(out.find("TERMINAL ERROR 4 from DRCOEF.  DFE = NaN."), std::string::npos) << out;
}

} // namespace
} // namespace numerics::test
