#include "app/shell/Complex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>

namespace {

struct FunctionCase
{
    const char* name;
    CComplex input;
    std::function<void(CComplex&)> apply;
    double re;
    double im;
};

void PrintTo(const FunctionCase& c, std::ostream* os)
{
    *os << c.name;
}

class ComplexFunctions : public testing::TestWithParam<FunctionCase>
{};

TEST_P(ComplexFunctions, MatchReference)
{
    const FunctionCase& c = GetParam();
    CComplex z = c.input;
    c.apply(z);
    EXPECT_NEAR(z.re, c.re, 1e-12);
    EXPECT_NEAR(z.im, c.im, 1e-12);
}

const double kPi = std::numbers::pi;

INSTANTIATE_TEST_SUITE_P(
    Table, ComplexFunctions,
    testing::Values(
        FunctionCase{"sqrt_minus_four", {-4, 0}, [](CComplex& z) { z.Sqrt(); }, 0, 2},
        // A purely imaginary number lies on the imaginary axis: sqrt(4i) = sqrt(2)(1+i).
        FunctionCase{
            "sqrt_four_i", {0, 4}, [](CComplex& z) { z.Sqrt(); }, std::sqrt(2.0), std::sqrt(2.0)},
        FunctionCase{"sqrt_minus_four_i",
                     {0, -4},
                     [](CComplex& z) { z.Sqrt(); },
                     std::sqrt(2.0),
                     -std::sqrt(2.0)},
        FunctionCase{"pow_i_squared", {0, 1}, [](CComplex& z) { z.Pow(2); }, -1, 0},
        FunctionCase{"pow_cube", {1, 1}, [](CComplex& z) { z.Pow(3); }, -2, 2},
        FunctionCase{"exp_i_pi", {0, kPi}, [](CComplex& z) { z.Exp(); }, -1, 0},
        FunctionCase{"ln_minus_one", {-1, 0}, [](CComplex& z) { z.Ln(); }, 0, kPi},
        FunctionCase{"ln_i", {0, 1}, [](CComplex& z) { z.Ln(); }, 0, kPi / 2},
        FunctionCase{"log10_hundred", {100, 0}, [](CComplex& z) { z.Log10(); }, 2, 0},
        FunctionCase{
            "log10_i", {0, 1}, [](CComplex& z) { z.Log10(); }, 0, kPi / 2 * std::numbers::log10e},
        FunctionCase{"sin",
                     {1, 2},
                     [](CComplex& z) { z.Sin(); },
                     std::sin(1.0) * std::cosh(2.0),
                     std::cos(1.0) * std::sinh(2.0)},
        FunctionCase{"cos",
                     {1, 2},
                     [](CComplex& z) { z.Cos(); },
                     std::cos(1.0) * std::cosh(2.0),
                     -std::sin(1.0) * std::sinh(2.0)},
        FunctionCase{"conjugate", {3, 4}, [](CComplex& z) { z.Conjugate(); }, 3, -4}),
    [](const testing::TestParamInfo<FunctionCase>& info) { return info.param.name; });

TEST(Complex, Arithmetic)
{
    const CComplex a{1, 2};
    const CComplex b{3, -4};
    const CComplex sum = CComplex::Add(a, b);
    EXPECT_DOUBLE_EQ(sum.re, 4);
    EXPECT_DOUBLE_EQ(sum.im, -2);
    const CComplex difference = CComplex::Subtract(a, b);
    EXPECT_DOUBLE_EQ(difference.re, -2);
    EXPECT_DOUBLE_EQ(difference.im, 6);
    const CComplex product = CComplex::Multiply(a, b);
    EXPECT_DOUBLE_EQ(product.re, 11);
    EXPECT_DOUBLE_EQ(product.im, 2);
    const CComplex quotient = CComplex::Divide(a, b);
    EXPECT_NEAR(quotient.re, -0.2, 1e-15);
    EXPECT_NEAR(quotient.im, 0.4, 1e-15);
}

TEST(Complex, DivisionByZeroGivesNonFiniteParts)
{
    const CComplex q = CComplex::Divide({1, 1}, {0, 0});
    EXPECT_FALSE(std::isfinite(q.re));
    EXPECT_FALSE(std::isfinite(q.im));
}

TEST(Complex, AbsAndArg)
{
    EXPECT_DOUBLE_EQ(CComplex(3, 4).Abs(), 5);
    EXPECT_DOUBLE_EQ(CComplex(0, 4).Arg(), kPi / 2);
    EXPECT_DOUBLE_EQ(CComplex(0, -4).Arg(), -kPi / 2);
    EXPECT_DOUBLE_EQ(CComplex(-4, 0).Arg(), kPi);
}

TEST(Complex, FormatText)
{
    struct Case
    {
        CComplex z;
        std::string text;
    };
    const Case cases[] = {{{1, -2}, "1-2i"},
                          {{0.5, 0}, "0.5+0i"},
                          {{1.0 / 3.0, 2e-20}, "0.333333333+2e-20i"},
                          {{-1234567890123.0, -0.1}, "-1.23456789e+12-0.1i"}};
    for (Case c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(std::string(c.z.Format()), c.text);
    }
}

TEST(Complex, AssignCopiesBothParts)
{
    CComplex z;
    z.Assign({7, -8});
    EXPECT_EQ(z.re, 7);
    EXPECT_EQ(z.im, -8);
}

} // namespace
