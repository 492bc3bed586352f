#include "numerics/CubicSpline.h"

#include "numerics/AkimaSpline.h"
#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <gsl/gsl_interp.h>
#include <random>
#include <vector>

namespace numerics::test {
namespace {

// A piecewise cubic from the routines, evaluated with DC21GD.
struct Cubic
{
    std::vector<double> brk;
    std::vector<double> coef;
    std::int32_t nintv = 0;

    std::vector<double> eval(std::int32_t ideriv, const std::vector<double>& x) const
    {
        const auto n = static_cast<std::int32_t>(x.size());
        std::vector<double> v(x.size()), w1(x.size()), w2(x.size());
        std::vector<std::int32_t> iwk(x.size());
        DC21GD(ideriv, n, x.data(), nintv, brk.data(), coef.data(), v.data(), iwk.data(), w1.data(),
               w2.data());
        return v;
    }
};

Cubic fitDec(const std::vector<double>& x, const std::vector<double>& f, std::int32_t il, double dl,
             std::int32_t ir, double dr)
{
    const auto n = static_cast<std::int32_t>(x.size());
    Cubic c;
    c.brk.resize(x.size());
    c.coef.resize(4 * x.size());
    c.nintv = n - 1;
    std::vector<std::int32_t> iwk(x.size());
    DC2DEC(n, x.data(), f.data(), il, dl, ir, dr, c.brk.data(), c.coef.data(), iwk.data());
    return c;
}

Cubic fitAkima(const std::vector<double>& x, const std::vector<double>& f)
{
    const auto n = static_cast<std::int32_t>(x.size());
    Cubic c;
    c.brk.resize(x.size());
    c.coef.resize(4 * x.size());
    c.nintv = n - 1;
    std::vector<std::int32_t> iwk(x.size());
    DC2AKM(n, x.data(), f.data(), c.brk.data(), c.coef.data(), iwk.data());
    return c;
}

struct Data
{
    std::vector<double> x, f;
};

Data randomData(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> step(0.2, 1.5);
    std::uniform_real_distribution<double> value(-3.0, 3.0);
    Data d;
    double at = -2.0;
    for (std::size_t i = 0; i < n; ++i) {
        at += step(rng);
        d.x.push_back(at);
        d.f.push_back(std::sin(at) + 0.3 * value(rng));
    }
    return d;
}

// Points between the break points, away from them, and beyond both ends.
std::vector<double> probePoints(const std::vector<double>& x)
{
    std::vector<double> p;
    p.push_back(x.front() - 0.7);
    for (std::size_t i = 0; i + 1 < x.size(); ++i) {
        p.push_back(x[i] + 0.3 * (x[i + 1] - x[i]));
        p.push_back(x[i] + 0.8 * (x[i + 1] - x[i]));
    }
    p.push_back(x.back() + 0.5);
    return p;
}

double range(const std::vector<double>& f)
{
    const auto [lo, hi] = std::minmax_element(f.begin(), f.end());
    return *hi - *lo;
}

class CubicSplineTest : public NumericsTest
{};

// Oracle: GSL's natural spline is DC2DEC with zero second derivatives at both ends, and
// GSL's Akima spline is DC2AKM. Tolerances relative to the data's range: 1e-12 for the
// value, 1e-10 for the first, 1e-8 for the second derivative (between break points).
TEST_F(CubicSplineTest, MatchesGslNaturalAndAkimaSplines)
{
    struct Case
    {
        const char* name;
        const gsl_interp_type* type;
    };
    const Case cases[] = {{"Natural", gsl_interp_cspline}, {"Akima", gsl_interp_akima}};
    for (const Case& c : cases) {
        for (const std::size_t n : {5u, 12u, 100u}) {
            SCOPED_TRACE(testing::Message() << c.name << " n=" << n);
            const Data d = randomData(n, static_cast<unsigned>(n));
            const Cubic ours =
                c.type == gsl_interp_akima ? fitAkima(d.x, d.f) : fitDec(d.x, d.f, 2, 0.0, 2, 0.0);
            gsl_interp* interp = gsl_interp_alloc(c.type, n);
            gsl_interp_accel* acc = gsl_interp_accel_alloc();
            gsl_interp_init(interp, d.x.data(), d.f.data(), n);
            std::vector<double> p;
            for (std::size_t i = 0; i + 1 < n; ++i) {
                p.push_back(d.x[i] + 0.37 * (d.x[i + 1] - d.x[i]));
            }
            const double scale = range(d.f);
            const double tolerance[3] = {1e-12, 1e-10, 1e-8};
            for (int der = 0; der <= 2; ++der) {
                const std::vector<double> v = ours.eval(der, p);
                for (std::size_t j = 0; j < p.size(); ++j) {
                    const double expected =
                        der == 0 ? gsl_interp_eval(interp, d.x.data(), d.f.data(), p[j], acc)
                        : der == 1
                            ? gsl_interp_eval_deriv(interp, d.x.data(), d.f.data(), p[j], acc)
                            : gsl_interp_eval_deriv2(interp, d.x.data(), d.f.data(), p[j], acc);
                    EXPECT_NEAR(v[j], expected, tolerance[der] * scale)
                        << "der " << der << " at " << p[j];
                }
            }
            gsl_interp_accel_free(acc);
            gsl_interp_free(interp);
        }
    }
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(CubicSplineTest, ExactCasesOfTheNotAKnotSpline)
{
    struct Case
    {
        const char* name;
        std::vector<double> x;
        double c[4]; // f(x) = c0 + c1 x + c2 x^2 + c3 x^3
    };
    const Case cases[] = {
        {"TwoPointsLine", {1.0, 3.0}, {0.5, -2.0, 0.0, 0.0}},
        {"ThreePointsParabola", {-1.0, 0.5, 2.0}, {1.0, 2.0, -0.75, 0.0}},
        {"FourPointsCubic", {0.0, 1.0, 1.5, 4.0}, {-1.0, 0.5, 2.0, -0.3}},
        {"ManyPointsCubic", {0.0, 0.3, 1.0, 1.1, 2.0, 3.5, 3.7, 5.0}, {2.0, -1.0, 0.25, 0.125}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto poly = [&](double x, int der) {
            switch (der) {
            case 0:
                return c.c[0] + x * (c.c[1] + x * (c.c[2] + x * c.c[3]));
            case 1:
                return c.c[1] + x * (2 * c.c[2] + 3 * c.c[3] * x);
            case 2:
                return 2 * c.c[2] + 6 * c.c[3] * x;
            case 3:
                return 6 * c.c[3];
            default:
                return 0.0;
            }
        };
        std::vector<double> f;
        for (const double x : c.x) {
            f.push_back(poly(x, 0));
        }
        // Given in decreasing order: the same spline.
        std::vector<double> xr(c.x.rbegin(), c.x.rend());
        std::vector<double> fr(f.rbegin(), f.rend());
        const auto n = static_cast<std::int32_t>(c.x.size());
        Cubic s;
        s.brk.resize(c.x.size());
        s.coef.resize(4 * c.x.size());
        s.nintv = n - 1;
        std::vector<std::int32_t> iwk(c.x.size());
        DC2INT(n, xr.data(), fr.data(), s.brk.data(), s.coef.data(), iwk.data());
        const std::vector<double> p = probePoints(c.x);
        for (int der = 0; der <= 5; ++der) {
            const std::vector<double> v = s.eval(der, p);
            for (std::size_t j = 0; j < p.size(); ++j) {
                EXPECT_NEAR(v[j], poly(p[j], der), 1e-11 * (1 + std::fabs(poly(p[j], der))))
                    << "der " << der << " at " << p[j];
            }
        }
    }
}

// The not-a-knot spline is the unique C2 interpolating cubic whose third derivative is
// continuous at the second and the next-to-last point: check exactly those properties.
TEST_F(CubicSplineTest, NotAKnotSplineHasItsDefiningProperties)
{
    const Data d = randomData(30, 7);
    const Cubic s = fitDec(d.x, d.f, 0, 0.0, 0, 0.0);
    const double scale = range(d.f);
    for (std::size_t i = 0; i < d.x.size(); ++i) {
        EXPECT_NEAR(s.coef[4 * i], d.f[i], 1e-14 * scale);
    }
    // Left and right limits at each inner break point.
    for (std::size_t i = 1; i + 1 < d.x.size(); ++i) {
        const double h = d.x[i] - d.x[i - 1];
        const double* left = &s.coef[4 * (i - 1)];
        const double* right = &s.coef[4 * i];
        const double value = left[0] + h * (left[1] + h * (left[2] / 2 + h * left[3] / 6));
        const double slope = left[1] + h * (left[2] + h * left[3] / 2);
        const double second = left[2] + h * left[3];
        EXPECT_NEAR(value, right[0], 1e-12 * scale) << i;
        EXPECT_NEAR(slope, right[1], 1e-10 * scale) << i;
        EXPECT_NEAR(second, right[2], 1e-9 * scale) << i;
        if (i == 1 || i == d.x.size() - 2) {
            EXPECT_NEAR(left[3], right[3], 1e-8 * scale) << "third derivative at " << i;
        }
    }
}

TEST_F(CubicSplineTest, EndConditionsAreHonoured)
{
    const Data d = randomData(9, 3);
    const Cubic first = fitDec(d.x, d.f, 1, 0.75, 1, -2.0);
    EXPECT_NEAR(first.coef[1], 0.75, 1e-12);
    const std::vector<double> end = {d.x.back()};
    EXPECT_NEAR(first.eval(1, end)[0], -2.0, 1e-10);
    const Cubic second = fitDec(d.x, d.f, 2, 1.5, 2, -0.5);
    EXPECT_NEAR(second.coef[2], 1.5, 1e-12);
    EXPECT_NEAR(second.eval(2, end)[0], -0.5, 1e-9);
    // Mixed: not-a-knot on the left, given slope on the right, with two points.
    const Cubic two = fitDec({0.0, 2.0}, {1.0, 5.0}, 0, 0.0, 1, 2.0);
    EXPECT_NEAR(two.eval(1, {1.0})[0], 2.0, 1e-12);
}

TEST_F(CubicSplineTest, EvaluationEdges)
{
    const Data d = randomData(6, 5);
    const Cubic s = fitDec(d.x, d.f, 0, 0.0, 0, 0.0);
    // A point on a break point is evaluated with the piece to its right.
    std::vector<double> at = {d.x[2]};
    std::vector<double> v(1), w1(1), w2(1);
    std::vector<std::int32_t> piece(1);
    DC21GD(3, 1, at.data(), s.nintv, s.brk.data(), s.coef.data(), v.data(), piece.data(), w1.data(),
           w2.data());
    EXPECT_EQ(piece[0], 3);
    EXPECT_EQ(v[0], s.coef[4 * 2 + 3]);
    // Beyond the ends: the end pieces.
    at = {d.x.front() - 10.0, d.x.back() + 10.0};
    v.resize(2);
    w1.resize(2);
    w2.resize(2);
    piece.resize(2);
    DC21GD(0, 2, at.data(), s.nintv, s.brk.data(), s.coef.data(), v.data(), piece.data(), w1.data(),
           w2.data());
    EXPECT_EQ(piece[0], 1);
    EXPECT_EQ(piece[1], s.nintv);
}

TEST_F(CubicSplineTest, BreakSearch)
{
    const std::vector<double> t = {0.0, 1.0, 2.0, 2.0, 3.0, 7.0, 9.0};
    const auto l = static_cast<std::int32_t>(t.size());
    struct Case
    {
        double x;
        std::int32_t left;
    };
    const Case cases[] = {{-1.0, 1}, {0.0, 1}, {0.5, 1}, {2.0, 4},  {2.5, 4}, {8.9, 6},
                          {9.0, 7},  {100, 7}, {1.0, 2}, {6.99, 5}, {0.99, 1}};
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.x);
            EXPECT_EQ(BREAK_SEARCH(l, t.data(), c.x), c.left);
            EXPECT_EQ(BREAK_SEARCH(l, t.data(), c.x), c.left);
        }
    }
    const double one = 5.0;
    EXPECT_EQ(BREAK_SEARCH(1, &one, 4.0), 1);
    EXPECT_EQ(BREAK_SEARCH(1, &one, 6.0), 1);
}

TEST_F(CubicSplineTest, Failures)
{
    struct Case
    {
        const char* name;
        std::vector<double> x;
        std::int32_t ileft, iright;
        std::int32_t type, code;
        const char* text;
    };
    const Case cases[] = {
        {"OnePoint", {1.0}, 0, 0, kTerminal, 1, "NDATA = 1 is given."},
        {"BadLeft", {1.0, 2.0}, 3, 0, kTerminal, 2, "ILEFT = 3."},
        {"BadRight", {1.0, 2.0}, 0, -1, kTerminal, 3, "IRIGHT = -1."},
        {"RepeatInOrder", {1.0, 2.0, 2.0, 3.0}, 0, 0, kTerminal, 2, "XDATA(2) = XDATA(3) ="},
        {"RepeatAfterSort", {3.0, 1.0, 2.0, 1.0}, 0, 0, kTerminal, 2, "XDATA(2) = XDATA(4) ="},
        // The NaN is named, not the number that sorts next to it.
        {"NaN", {3.0, 1.0, NAN, 2.0}, 0, 0, kTerminal, 2, "XDATA(3) = XDATA(3) = NaN"},
        {"Infinity", {3.0, INFINITY, 4.0, 5.0}, 0, 0, kTerminal, 2, "XDATA(2) = XDATA(2) ="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> f(c.x.size(), 1.0);
        try {
            fitDec(c.x, f, c.ileft, 0.0, c.iright, 0.0);
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.type(), c.type);
            EXPECT_EQ(stop.code(), c.code);
        }
        const std::string out = takeOutput();
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
    }
    const Cubic s = fitDec({0.0, 1.0, 2.0}, {0.0, 1.0, 0.0}, 0, 0.0, 0, 0.0);
    EXPECT_THROW(s.eval(0, {0.5, 0.5}), NumericsStop);
    EXPECT_NE(takeOutput().find("FATAL    ERROR 4 from DC21GD.  The X data values must"),
              std::string::npos);
    EXPECT_THROW(s.eval(-1, {0.5}), NumericsStop);
    EXPECT_THROW(s.eval(0, {}), NumericsStop);
    EXPECT_THROW(fitAkima({0.0, 1.0, 2.0}, {0.0, 1.0, 0.0}), NumericsStop);
    EXPECT_NE(takeOutput().find("TERMINAL ERROR 1 from DC2AKM.  The number of data points must"),
              std::string::npos);
}

TEST_F(CubicSplineTest, AkimaKeepsLinesAndAveragesFlatNeighbours)
{
    // A line is kept.
    const Cubic line = fitAkima({0.0, 1.0, 3.0, 4.5, 6.0}, {1.0, 3.0, 7.0, 10.0, 13.0});
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(line.coef[4 * i + 1], 2.0, 1e-14);
    }
    EXPECT_NEAR(line.eval(2, {0.5, 2.0, 5.0})[1], 0.0, 1e-13);
    // Chord slopes 0, 0, 1, 1: at the middle point w1 = w2 = 0, so the slope is the mean.
    const Cubic step = fitAkima({0.0, 1.0, 2.0, 3.0, 4.0}, {0.0, 0.0, 0.0, 1.0, 2.0});
    EXPECT_NEAR(step.coef[4 * 2 + 1], 0.5, 1e-15);
}

} // namespace
} // namespace numerics::test
