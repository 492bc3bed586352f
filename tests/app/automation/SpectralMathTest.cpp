// The spectral math class through its dispatch interface: the element-wise members, the
// reductions, the processing formulas, the smooth, the integrals, the derivatives, the spline
// interpolation and the regression against direct computations and direct library calls,
// the library's fatal errors as failed calls, and a BASIC script using the class.
#include "AutomationCall.h"
#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "numerics/ErrorReporting.h"
#include "numerics/PolynomialRegression.h"
#include "numerics/SplineDriver.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/basic/Interpreter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using Vec = std::vector<double>;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Variant ref(Vec& v)
{
    return Variant::byRef(v.data(), v.size());
}

class SpectralMathTest : public ::testing::Test
{
protected:
    SpectralMathTest()
    {
        registerHarluneAutomation(registry);
        EXPECT_EQ(registry.CreateInstance("Harlune.GenSpectralMath", math), S_OK);
    }
    void setPixels(int16_t n) { put(*math, "NumberOfPixels", Variant(n)); }
    bool ok(const std::string& member, std::vector<Variant> args)
    {
        return asBool(call(*math, member, std::move(args)));
    }
    double value(const std::string& member, std::vector<Variant> args)
    {
        return asDouble(call(*math, member, std::move(args)));
    }

    ClassRegistry registry;
    RecordingSink log;
    DispatchPtr math;
};

TEST_F(SpectralMathTest, TableAndDefaults)
{
    const char* members[] = {
        "NumberOfPixels", "AddSpectra",  "DivideSpectra",        "Log10Spectrum",
        "Average",        "GetMinValue", "CalculateAbsorbance",  "Boxcar",
        "Integrate",      "Interpolate", "PolynomialRegression", "Derivative"};
    const DISPID dispids[] = {1, 2, 5, 10, 11, 16, 17, 20, 21, 23, 24, 25};
    for (size_t i = 0; i < std::size(members); ++i) {
        DISPID dispid = 0;
        ASSERT_EQ(math->GetIDsOfNames(members[i], dispid), S_OK) << members[i];
        EXPECT_EQ(dispid, dispids[i]) << members[i];
    }
    EXPECT_EQ(asLong(get(*math, "NumberOfPixels")), 2048);
    setPixels(-3);
    EXPECT_EQ(asLong(get(*math, "NumberOfPixels")), 2048);
}

TEST_F(SpectralMathTest, ElementWiseMembersWithTheirGuards)
{
    setPixels(6);
    Vec a = {1, -2, 3, 0, 5, 1e-3};
    Vec b = {2, 4, 0, 0, -5, 1e3};
    struct Case
    {
        const char* member;
        bool withConstant;
        double constant;
        double (*expected)(double, double);
    };
    const Case cases[] = {
        {"AddSpectra", false, 0, [](double x, double y) { return x + y; }},
        {"SubtractSpectra", false, 0, [](double x, double y) { return x - y; }},
        {"MultiplySpectra", false, 0, [](double x, double y) { return x * y; }},
        {"DivideSpectra", false, 0, [](double x, double y) { return y == 0 ? 0 : x / y; }},
        {"AddConstant", true, 2.5, [](double x, double c) { return c + x; }},
        {"SubtractConstant", true, 2.5, [](double x, double c) { return x - c; }},
        {"MultiplyConstant", true, -3, [](double x, double c) { return c * x; }},
        {"DivideConstant", true, 4, [](double x, double c) { return x / c; }},
        {"DivideConstant", true, 0, [](double, double) { return 0.0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.member) + " " + std::to_string(c.constant));
        Vec out(7, 99.0);
        const Vec bBefore = b;
        EXPECT_TRUE(c.withConstant ? ok(c.member, {ref(a), Variant(c.constant), ref(out)})
                                   : ok(c.member, {ref(a), ref(b), ref(out)}));
        for (size_t i = 0; i < 6; ++i)
            EXPECT_EQ(out[i], c.expected(a[i], c.withConstant ? c.constant : b[i])) << i;
        EXPECT_EQ(out[6], 99.0);
        EXPECT_EQ(b, bBefore);
    }
    Vec out(6, 99.0);
    EXPECT_TRUE(ok("Log10Spectrum", {ref(a), ref(out)}));
    EXPECT_EQ(out, (Vec{0, 0, std::log10(3.0), 0, std::log10(5.0), std::log10(1e-3)}));

    // N = 0: TRUE, nothing written.
    setPixels(0);
    Vec one = {7};
    EXPECT_TRUE(ok("AddSpectra", {ref(one), ref(one), ref(one)}));
    EXPECT_EQ(one[0], 7.0);
    // a - a with N = 2048: zeros.
    setPixels(2048);
    Vec big(2048, 3.25);
    Vec zeros(2048, 1.0);
    EXPECT_TRUE(ok("SubtractSpectra", {ref(big), ref(big), ref(zeros)}));
    EXPECT_EQ(zeros, Vec(2048, 0.0));
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectralMathTest, ReductionsLeaveElementZeroOutWhereTheyShould)
{
    setPixels(5);
    Vec a = {1000, 1, 1, 1, 1};
    EXPECT_EQ(value("Average", {ref(a)}), 1.0);
    EXPECT_EQ(value("Sum", {ref(a)}), 4.0);
    EXPECT_EQ(value("GetMaxValue", {ref(a)}), 1000.0);
    EXPECT_EQ(value("GetMinValue", {ref(a)}), 1.0);
    Vec w = {1, 2, 3, 4, 5};
    const auto window = [&](const char* member, int16_t lo, int16_t hi) {
        return value(member, {ref(w), Variant(lo), Variant(hi)});
    };
    EXPECT_EQ(window("AverageWindow", 1, 3), 3.0);
    EXPECT_EQ(window("SumWindow", 1, 3), 9.0);
    EXPECT_EQ(window("SumWindow", 3, 1), 0.0);
    EXPECT_EQ(window("AverageWindow", 3, 2), 0.0); // end = start - 1
    EXPECT_EQ(window("AverageWindow", 4, 4), 5.0);
    // Windows beyond the array or below 0: nothing read.
    EXPECT_EQ(window("SumWindow", 3, 5), 0.0);
    EXPECT_EQ(window("AverageWindow", -1, 2), 0.0);
    setPixels(1);
    EXPECT_EQ(value("Average", {ref(a)}), 0.0);
    EXPECT_EQ(value("Sum", {ref(a)}), 0.0);
    EXPECT_EQ(value("GetMaxValue", {ref(a)}), 1000.0);
    setPixels(6); // one more than the array holds
    EXPECT_EQ(value("Average", {ref(a)}), 0.0);
    EXPECT_EQ(value("GetMaxValue", {ref(a)}), 0.0);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectralMathTest, ProcessingFormulasMatchADirectComputation)
{
    // Zeros in the denominator, ratios of zero, negative ratios and ordinary ones.
    Vec dark = {10, 10, 10, 10, 0, -5, 100};
    Vec ref_ = {10, 110, 110, 5, 50, 15, 300};
    Vec sample = {20, 10, 60, 20, 25, -25, 50};
    Vec factors = {2, 2, 2, 2, 0.5, 3, -1};
    setPixels(static_cast<int16_t>(dark.size()));
    Vec absorbance(dark.size(), 99), transmission(dark.size(), 99), irradiance(dark.size(), 99);
    EXPECT_TRUE(ok("CalculateAbsorbance", {ref(dark), ref(ref_), ref(sample), ref(absorbance)}));
    EXPECT_TRUE(
        ok("CalculateTransmission", {ref(dark), ref(ref_), ref(sample), ref(transmission)}));
    EXPECT_TRUE(ok("CalculateIrradiance",
                   {ref(dark), ref(sample), ref(ref_), ref(factors), ref(irradiance)}));
    for (size_t i = 0; i < dark.size(); ++i) {
        SCOPED_TRACE(i);
        const double d = ref_[i] - dark[i];
        const double ratio = d == 0 ? 0 : (sample[i] - dark[i]) / d;
        EXPECT_EQ(absorbance[i], d == 0 || ratio <= 0 ? 0.0 : -std::log10(ratio));
        EXPECT_EQ(transmission[i], ratio);
        EXPECT_EQ(irradiance[i], d == 0 ? 0.0 : ratio * factors[i]);
    }
    // Sample equal to dark: ratio 0, absorbance 0.
    EXPECT_EQ(absorbance[1], 0.0);
    // A negative ratio stays negative in transmission.
    EXPECT_LT(transmission[5], 0.0);
}

TEST_F(SpectralMathTest, BoxcarLeavesTheEnds)
{
    setPixels(8);
    Vec a = {1, 2, 4, 8, 16, 32, 64, 128};
    Vec out(8, -1.0);
    EXPECT_TRUE(ok("Boxcar", {ref(a), Variant(int16_t{2}), ref(out)}));
    EXPECT_EQ(out[0], -1.0);
    EXPECT_EQ(out[1], -1.0);
    EXPECT_EQ(out[6], -1.0);
    EXPECT_EQ(out[7], -1.0);
    for (int i = 2; i <= 5; ++i)
        EXPECT_DOUBLE_EQ(out[i], (a[i - 2] + a[i - 1] + a[i] + a[i + 1] + a[i + 2]) / 5.0) << i;
    // In place: every mean from the unsmoothed values.
    Vec inPlace = a;
    EXPECT_TRUE(ok("Boxcar", {ref(inPlace), Variant(int16_t{1}), ref(inPlace)}));
    EXPECT_DOUBLE_EQ(inPlace[2], (2 + 4 + 8) / 3.0);
    Vec untouched(8, -1.0);
    EXPECT_TRUE(ok("Boxcar", {ref(a), Variant(int16_t{0}), ref(untouched)}));
    EXPECT_TRUE(ok("Boxcar", {ref(a), Variant(int16_t{30000}), ref(untouched)}));
    EXPECT_EQ(untouched, Vec(8, -1.0));
}

TEST_F(SpectralMathTest, IntegralsFollowTheirIntervalRules)
{
    setPixels(5);
    Vec x = {0, 1, 2, 3, 4};
    Vec y = {1, 2, 3, 4, 5};
    const auto whole = [&](int16_t type) {
        return value("Integrate", {ref(x), ref(y), Variant(type)});
    };
    EXPECT_EQ(whole(0), 1.0 + 2 + 3 + 4);
    EXPECT_EQ(whole(1), 1.5 + 2.5 + 3.5 + 4.5);
    EXPECT_DOUBLE_EQ(whole(2), (1 + 8 + 3) / 3.0 + (3 + 16 + 5) / 3.0);
    EXPECT_EQ(whole(3), 0.0);
    const auto part = [&](int16_t lo, int16_t hi, int16_t type) {
        return value("IntegrateWindow", {ref(x), ref(y), Variant(lo), Variant(hi), Variant(type)});
    };
    // The interval from hi - 1 to hi is left out.
    EXPECT_EQ(part(0, 4, 0), 1.0 + 2 + 3);
    EXPECT_EQ(part(1, 4, 1), 2.5 + 3.5);
    EXPECT_EQ(part(1, 2, 0), 0.0);
    EXPECT_EQ(part(1, 2, 1), 0.0);
    EXPECT_DOUBLE_EQ(part(0, 4, 2), (1 + 8 + 3) / 3.0 + (3 + 16 + 5) / 3.0);
    EXPECT_DOUBLE_EQ(part(0, 3, 2), (1 + 8 + 3) / 3.0);
    // Beyond the arrays or with a bad type: 0, nothing read.
    EXPECT_EQ(part(0, 6, 0), 0.0);
    EXPECT_EQ(part(1, 5, 2), 0.0);
    EXPECT_EQ(part(-1, 3, 0), 0.0);
    EXPECT_EQ(part(0, 4, -1), 0.0);
}

TEST_F(SpectralMathTest, NumericDerivative)
{
    setPixels(6);
    Vec x = {1, 2, 4, 5, 7, 8};
    Vec y(6);
    for (size_t i = 0; i < 6; ++i)
        y[i] = 2 * x[i];
    Vec out(6, -1.0);
    EXPECT_TRUE(
        ok("Derivative", {ref(y), ref(x), Variant(int16_t{1}), Variant(int16_t{0}), ref(out)}));
    EXPECT_EQ(out, (Vec{0, 2, 2, 2, 2, 2}));
    // Order 2: the differences of the first differences, with work[0] kept at y[0].
    EXPECT_TRUE(
        ok("Derivative", {ref(y), ref(x), Variant(int16_t{2}), Variant(int16_t{0}), ref(out)}));
    EXPECT_EQ(out[1], (2.0 - 2.0) / 1.0);
    EXPECT_EQ(out[2], 0.0);
    Vec order0(6, -1.0);
    EXPECT_TRUE(
        ok("Derivative", {ref(y), ref(x), Variant(int16_t{0}), Variant(int16_t{0}), ref(order0)}));
    EXPECT_EQ(order0, (Vec{0, -1, -1, -1, -1, -1}));
    Vec shortOut(5, -1.0);
    EXPECT_FALSE(ok("Derivative",
                    {ref(y), ref(x), Variant(int16_t{1}), Variant(int16_t{0}), ref(shortOut)}));
    EXPECT_EQ(shortOut, Vec(5, -1.0));
}

TEST_F(SpectralMathTest, SplineMembersEqualDirectLibraryCalls)
{
    Vec x = {400, 401.5, 403, 404, 406, 407, 409, 410};
    Vec y = {3, 5, 4, 8, 9, 7, 6, 10};
    Vec xout = {400.5, 402, 405.25, 409.5};
    for (const int16_t ider : {int16_t{0}, int16_t{1}, int16_t{2}}) {
        SCOPED_TRACE(ider);
        Vec expected(4);
        numerics::DSPLEZ(8, x.data(), y.data(), 1, ider, 4, xout.data(), expected.data());
        Vec out(5, -1.0);
        EXPECT_TRUE(ok("Interpolate", {ref(x), ref(y), Variant(int16_t{8}), Variant(ider),
                                       ref(xout), Variant(int16_t{4}), ref(out)}));
        EXPECT_EQ(Vec(out.begin(), out.begin() + 4), expected);
        EXPECT_EQ(out[4], -1.0);
    }
    setPixels(8);
    Vec expected(8);
    numerics::DSPLEZ(8, x.data(), y.data(), 1, 1, 8, x.data(), expected.data());
    expected[0] = 0.0;
    Vec out(8, -1.0);
    EXPECT_TRUE(
        ok("Derivative", {ref(y), ref(x), Variant(int16_t{1}), Variant(int16_t{1}), ref(out)}));
    EXPECT_EQ(out, expected);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectralMathTest, RegressionEqualsADirectLibraryCall)
{
    struct Case
    {
        const char* name;
        Vec x;
        Vec y;
        int32_t degree;
    };
    const Case cases[] = {
        {"line", {0, 1, 2, 3, 4}, {1, 3, 5, 7, 9}, 1},
        {"cubic",
         {-2, -1, 0, 1, 2, 3, 4},
         {-2 - 4 + 8 - 3.0, 1 - 1 - 1 + 1.0, 1, 1 + 1 + 1 + 1.0, 8 + 4 + 2 + 1.0,
          27 + 9 + 3 + 1.0 + 0.5, 64 + 16 + 4 + 1.0},
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Vec x = c.x, y = c.y;
        const auto n = static_cast<int32_t>(x.size());
        Vec b(c.degree + 1), ss(c.degree + 1), stat(10);
        numerics::DRCURV(n, x.data(), y.data(), c.degree, b.data(), ss.data(), stat.data());
        Vec coefs(c.degree + 2, -1.0), stats(10, -1.0);
        EXPECT_TRUE(ok("PolynomialRegression",
                       {Variant(n), ref(x), ref(y), Variant(c.degree), ref(coefs), ref(stats)}));
        EXPECT_EQ(Vec(coefs.begin(), coefs.end() - 1), b);
        EXPECT_EQ(coefs.back(), -1.0);
        EXPECT_EQ(stats, stat);
    }
    Vec x = {0, 1, 2, 3, 4}, y = {1, 3, 5, 7, 9}, coefs(2), stats(10);
    EXPECT_TRUE(ok("PolynomialRegression", {Variant(int32_t{5}), ref(x), ref(y),
                                            Variant(int32_t{1}), ref(coefs), ref(stats)}));
    EXPECT_NEAR(coefs[0], 1.0, 1e-12);
    EXPECT_NEAR(coefs[1], 2.0, 1e-12);
    // Too few observations for the degree, a negative degree, short arrays: FALSE.
    Vec c3(3, -1.0);
    EXPECT_FALSE(ok("PolynomialRegression", {Variant(int32_t{3}), ref(x), ref(y),
                                             Variant(int32_t{2}), ref(c3), ref(stats)}));
    EXPECT_TRUE(ok("PolynomialRegression", {Variant(int32_t{4}), ref(x), ref(y),
                                            Variant(int32_t{2}), ref(c3), ref(stats)}));
    EXPECT_FALSE(ok("PolynomialRegression", {Variant(int32_t{5}), ref(x), ref(y),
                                             Variant(int32_t{-1}), ref(c3), ref(stats)}));
    EXPECT_FALSE(ok("PolynomialRegression", {Variant(int32_t{6}), ref(x), ref(y),
                                             Variant(int32_t{1}), ref(c3), ref(stats)}));
    Vec nineStats(9, -1.0);
    EXPECT_FALSE(ok("PolynomialRegression", {Variant(int32_t{5}), ref(x), ref(y),
                                             Variant(int32_t{1}), ref(c3), ref(nineStats)}));
    EXPECT_EQ(nineStats, Vec(9, -1.0));
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectralMathTest, LibraryFailuresFailTheCallAndTheProgramGoesOn)
{
    Vec x = {1, 2, 3, 4, 5};
    Vec y = {2, 4, 1, 3, 5};
    Vec repeated = {1, 2, 2, 4, 5};
    Vec xout = {1.5, 2.5};
    struct Case
    {
        const char* name;
        std::function<bool()> run;
    };
    Vec out(5, -1.0);
    const std::vector<Case> cases = {
        {"one data point",
         [&] {
             return ok("Interpolate", {ref(x), ref(y), Variant(int16_t{1}), Variant(int16_t{0}),
                                       ref(xout), Variant(int16_t{2}), ref(out)});
         }},
        {"repeated abscissa",
         [&] {
             return ok("Interpolate",
                       {ref(repeated), ref(y), Variant(int16_t{5}), Variant(int16_t{0}), ref(xout),
                        Variant(int16_t{2}), ref(out)});
         }},
        {"spline derivative over repeated wavelengths",
         [&] {
             setPixels(5);
             return ok("Derivative",
                       {ref(y), ref(repeated), Variant(int16_t{1}), Variant(int16_t{1}), ref(out)});
         }},
        {"regression on one abscissa",
         [&] {
             Vec same(5, 3.0), coefs(3, -1.0), stats(10, -1.0);
             const bool result =
                 ok("PolynomialRegression", {Variant(int32_t{5}), ref(same), ref(y),
                                             Variant(int32_t{2}), ref(coefs), ref(stats)});
             EXPECT_EQ(coefs, Vec(3, -1.0));
             return result;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.sources.clear();
        std::fill(out.begin(), out.end(), -1.0);
        EXPECT_FALSE(c.run());
        EXPECT_EQ(out, Vec(5, -1.0));
        ASSERT_EQ(log.sources.size(), 1u);
        EXPECT_EQ(log.sources[0], "I_GenSpectralMath");
        // The stop left the library's name stack at the user level: a good call works.
        Vec expected(2), good(2);
        numerics::DSPLEZ(5, x.data(), y.data(), 1, 0, 2, xout.data(), expected.data());
        EXPECT_TRUE(ok("Interpolate", {ref(x), ref(y), Variant(int16_t{5}), Variant(int16_t{0}),
                                       ref(xout), Variant(int16_t{2}), ref(good)}));
        EXPECT_EQ(good, expected);
    }
}

TEST_F(SpectralMathTest, NonFiniteInputsAndShortArraysAreRefused)
{
    setPixels(4);
    Vec good = {1, 2, 3, 4};
    const auto check = [&](const char* name, Vec bad) {
        SCOPED_TRACE(name);
        Vec out(4, -1.0);
        EXPECT_FALSE(ok("AddSpectra", {ref(good), ref(bad), ref(out)}));
        EXPECT_FALSE(ok("CalculateTransmission", {ref(good), ref(bad), ref(good), ref(out)}));
        EXPECT_FALSE(ok("Boxcar", {ref(bad), Variant(int16_t{1}), ref(out)}));
        EXPECT_FALSE(ok("Derivative",
                        {ref(bad), ref(good), Variant(int16_t{1}), Variant(int16_t{0}), ref(out)}));
        EXPECT_FALSE(
            ok("Interpolate", {ref(good), ref(bad), Variant(int16_t{4}), Variant(int16_t{0}),
                               ref(good), Variant(int16_t{4}), ref(out)}));
        EXPECT_EQ(out, Vec(4, -1.0));
        EXPECT_EQ(value("Sum", {ref(bad)}), 0.0);
        EXPECT_EQ(value("Integrate", {ref(good), ref(bad), Variant(int16_t{1})}), 0.0);
    };
    check("NaN", {1, kNan, 3, 4});
    check("infinity", {1, 2, 3, -kInf});
    check("three elements", {1, 2, 3});
    Vec out(4, -1.0);
    EXPECT_FALSE(ok("MultiplyConstant", {ref(good), Variant(kNan), ref(out)}));
    EXPECT_FALSE(ok("AddSpectra", {ref(good), ref(good), Variant::byRef(out.data(), 3)}));
    EXPECT_EQ(out, Vec(4, -1.0));
    EXPECT_TRUE(log.sources.empty());
}

class SpectralMathScriptHost : public platform::basic::InterpreterHost
{
public:
    void debugPrint(const std::string& text) override { output += text + "\n"; }
    void doEvents() override {}
    int msgBox(const std::string&, int, const std::string&) override { return 1; }
    DispatchPtr namedObject(const std::string&) override { return {}; }
    std::vector<DispatchPtr> extensions() override { return {}; }
    std::string output;
};

TEST(SpectralMathScriptTest, ABasicScriptUsesTheClass)
{
    registerHarluneAutomation(ClassRegistry::instance());
    RecordingSink log;
    const std::string script = R"(Sub Main
Dim m, a(7) As Double, b(7) As Double, r(7) As Double, s(7) As Double, w(7) As Double, i
Dim x(3) As Double, y(3) As Double, c(2) As Double, st(9) As Double
Set m = CreateObject("Harlune.GenSpectralMath")
m.NumberOfPixels = 8
For i = 0 To 7: a(i) = i * i: b(i) = 1: s(i) = -1: w(i) = i: Next
Debug.Print m.AddSpectra(a(0), b(0), r(0)); r(3); r(7)
Debug.Print m.Average(a(0))
Debug.Print m.Boxcar(a(0), 2, s(0)); s(1); s(2); s(5); s(6)
Debug.Print m.Derivative(a(0), w(0), 1, dNumeric, r(0)); r(0); r(1); r(7)
For i = 0 To 3: x(i) = i: y(i) = 2 * i + 1: Next
Debug.Print m.PolynomialRegression(3, x(0), y(0), 2, c(0), st(0))
Debug.Print m.PolynomialRegression(4, x(0), y(0), 2, c(0), st(0)); Round(c(0), 6); Round(c(1), 6); Abs(Round(c(2), 6))
End Sub
)";
    SpectralMathScriptHost host;
    platform::basic::Interpreter in(host);
    platform::basic::ScriptError error;
    ASSERT_TRUE(in.load(script, "Test", error)) << error.description << " at " << error.line;
    ASSERT_EQ(in.call("Main", {}), platform::basic::RunStatus::Completed)
        << in.lastError().description << " at " << in.lastError().line;
    // The sum; the average of 1, 4, ..., 49 over seven; the smooth of pixels 2 to 5 only; the
    // first differences; the regression refuses three points for degree 2 and fits four.
    EXPECT_EQ(host.output, "True 10  50\n"
                           " 20\n"
                           "True-1  6  27 -1\n"
                           "True 0  1  13\n"
                           "False\n"
                           "True 1  2  0\n");
    EXPECT_TRUE(log.sources.empty());
}

} // namespace
