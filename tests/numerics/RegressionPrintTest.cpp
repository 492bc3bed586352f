#include "NumericsTestSupport.h"
#include "numerics/PolynomialRegression.h"
#include "numerics/PrintOptions.h"
#include "numerics/RegressionTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace numerics {
namespace {

class RegressionPrintTest : public test::NumericsTest
{
protected:
    void SetUp() override
    {
        NumericsTest::SetUp();
        resetPrintSettings();
    }
    void TearDown() override
    {
        resetPrintSettings();
        NumericsTest::TearDown();
    }

    std::vector<std::string> lines()
    {
        std::vector<std::string> result;
        std::istringstream in(takeOutput());
        std::string line;
        while (std::getline(in, line)) {
            result.push_back(line);
        }
        return result;
    }
};

struct Fit
{
    std::int32_t m = 0;
    double umult = 0, uadd = 0, dfe = 0, sse = 0, dfpe = 0, sspe = 0;
    std::vector<double> a = std::vector<double>(3), b = std::vector<double>(3),
                        scoef = std::vector<double>(4), d = std::vector<double>(4);
};

// A quadratic fit to twelve points with replicated x (so pure error exists).
Fit quadraticFit()
{
    const std::vector<double> data = {1,    2,    3,    4,    5,   6,   7,   8,
                                      1,    2,    3,    4,    3.1, 4.9, 7.2, 8.8,
                                      11.1, 13.2, 14.8, 17.1, 2.9, 5.2, 6.9, 9.1};
    Fit fit;
    std::int32_t nrmiss = 0;
    DR2ORP(12, 2, data.data(), 12, 2, 1, 0, 0, 2, 0, 0.0, 1, fit.m, fit.umult, fit.uadd,
           fit.a.data(), fit.b.data(), fit.scoef.data(), fit.d.data(), fit.dfe, fit.sse, fit.dfpe,
           fit.sspe, nrmiss);
    return fit;
}

TEST_F(RegressionPrintTest, PrintsTheTablesInOrder)
{
    struct Case
    {
        const char* name;
        bool useFit;
        std::int32_t lof;
        double mean;
        std::vector<std::string> titles;
        std::vector<std::string> expectedLines;
        std::vector<std::string> absentTexts;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"quadratic with lack of fit",
         true,
         1,
         0.0,
         {"* * * Analysis of Variance * * *", "* * * Inference on Coefficients * * *",
          "* * * Sequential Statistics * * *", "* * * Tests of Lack of Fit * * *"},
         {"   R-squared   Adjusted  Est. Std. Dev.              Coefficient of",
          "   (percent)  R-squared  of Model Error        Mean  Var. (percent)",
          "      99.887     99.861          0.1707       8.692           1.964",
          "                               Sum of        Mean             Prob. of",
          " Source                DF     Squares      Square  Overall F  Larger F",
          " Residual               9         0.3         0.0",
          " Corrected Total       11       231.1",
          " Coef.    Estimate       Error  t-statistic  Larger |t|",
          "     2       2.011      0.0970       20.736      0.0000",
          " Degree of   Degrees of      Sum of               Prob. of",
          " Polynomial     Freedom     Squares  F-statistic  Larger F",
          "          1           6      0.1075        0.462    0.8098"},
         {"NaN"}},
        {"quadratic without lack of fit",
         true,
         0,
         0.0,
         {"* * * Analysis of Variance * * *", "* * * Inference on Coefficients * * *",
          "* * * Sequential Statistics * * *"},
         {" Regression             2       230.9       115.4   3963.298    0.0000"},
         {"Lack of Fit", "NaN"}},
        {"degree 0",
         false,
         0,
         5.0,
         {"* * * Analysis of Variance * * *", "* * * Inference on Coefficients * * *"},
         {" Regression             0           0",
          "     1           5      0.3333       15.000      0.0000",
          "       0.000      0.000           1.414           5           28.28"},
         {"Sequential", "Lack of Fit", "NaN"}},
        {"no mean",
         false,
         0,
         nan,
         {"* * * Analysis of Variance * * *", "* * * Inference on Coefficients * * *"},
         {"   R-squared   Adjusted  Est. Std. Dev.", "   (percent)  R-squared  of Model Error"},
         {"Coefficient of", "Sequential"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fit fit;
        if (c.useFit) {
            fit = quadraticFit();
            ASSERT_EQ(fit.m, 2);
        } else {
            fit.scoef[0] = c.mean;
            fit.d[0] = 18.0;
            fit.dfe = 9.0;
            fit.sse = 18.0;
        }
        std::vector<double> aov(15), sqss(8), coef(12), tlof(8);
        takeOutput();
        DR2TAP(fit.m, fit.a.data(), fit.b.data(), fit.umult, fit.uadd, fit.scoef.data(),
               fit.d.data(), fit.dfe, fit.sse, c.lof, fit.dfpe, fit.sspe, 1, aov.data(),
               sqss.data(), 2, coef.data(), 3, tlof.data(), 2);
        const std::vector<std::string> printed = lines();
        std::string all;
        for (const std::string& line : printed) {
            EXPECT_LE(line.size(), 79u) << line;
            all += line + "\n";
        }
        // The titles in order, each after an empty line.
        std::size_t next = 0;
        for (const std::string& title : c.titles) {
            std::size_t at = next;
            while (at < printed.size() && printed[at].find(title) == std::string::npos) {
                ++at;
            }
            ASSERT_LT(at, printed.size()) << title << "\n" << all;
            ASSERT_GE(at, 1u);
            EXPECT_EQ(printed[at - 1], " ") << title;
            next = at + 1;
        }
        for (const std::string& expected : c.expectedLines) {
            EXPECT_NE(all.find("\n" + expected + "\n"), std::string::npos) << expected << "\n"
                                                                           << all;
        }
        for (const std::string& absent : c.absentTexts) {
            EXPECT_EQ(all.find(absent), std::string::npos) << absent << "\n" << all;
        }
        // The option that blanks the NaN cells held for the one table only.
        std::int32_t option4 = 0;
        WROPT(4, option4, 0);
        EXPECT_EQ(option4, 2);
    }
}

TEST_F(RegressionPrintTest, NothingIsPrintedWithoutIprintAndPageErrorsStop)
{
    Fit fit = quadraticFit();
    std::vector<double> aov(15), sqss(8), coef(12), tlof(8);
    takeOutput();
    DR2TAP(fit.m, fit.a.data(), fit.b.data(), fit.umult, fit.uadd, fit.scoef.data(), fit.d.data(),
           fit.dfe, fit.sse, 0, fit.dfpe, fit.sspe, 0, aov.data(), sqss.data(), 2, coef.data(), 3,
           tlof.data(), 2);
    EXPECT_EQ(takeOutput(), "");

    struct Case
    {
        std::int32_t pageWidth;
        std::int32_t code;
        const char* text;
    };
    const Case cases[] = {{20, 37, "A page width of 20 was retrieved"},
                          {256, 38, "A page width of 256 was retrieved"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pageWidth);
        std::int32_t width = c.pageWidth;
        PGOPT(-1, width);
        try {
            DR2TAP(fit.m, fit.a.data(), fit.b.data(), fit.umult, fit.uadd, fit.scoef.data(),
                   fit.d.data(), fit.dfe, fit.sse, 0, fit.dfpe, fit.sspe, 1, aov.data(),
                   sqss.data(), 2, coef.data(), 3, tlof.data(), 2);
            ADD_FAILURE() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        const std::string out = takeOutput();
        EXPECT_NE(out.find("TERMINAL ERROR " + std::to_string(c.code) + " from WRSETU."),
                  std::string::npos)
            << out;
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
        EXPECT_EQ(out.find("R-squared"), std::string::npos) << out;
    }
}

} // namespace
} // namespace numerics
