#include "numerics/FormatChooser.h"

#include "NumericsTestSupport.h"
#include "numerics/NumberEditing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace numerics {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using FormatChooserTest = test::NumericsTest;

TEST_F(FormatChooserTest, ChoosesFormatsForMatrices)
{
    struct Case
    {
        const char* name;
        std::vector<double> column;
        std::int32_t nwidth, nsig;
        const char* expected;
    };
    const Case cases[] = {
        {"whole numbers", {1, -20, 300000000}, 10, 4, "(I10)     "},
        {"whole numbers, narrowest", {1, -20, 300}, -10, 4, "(I 4)     "},
        {"whole numbers, small", {0, 1}, -10, 4, "(I 2)     "},
        {"whole numbers, integer forbidden", {1, 2, 3}, 10, -4, "(0PF10. 3)"},
        {"whole number too wide", {1e10, 1}, 10, 4, "(1PD10. 3)"},
        {"largest 123.456", {1.5, 123.456}, 10, 4, "(0PF10. 1)"},
        {"largest 0.000123", {0.000123, 0.0}, 10, 4, "(1PD10. 3)"},
        {"whole at this precision", {9.99996}, 10, 4, "(0PF10. 0)"},
        {"decimals trimmed", {1.5, 2.25}, 10, 4, "(0PF10. 2)"},
        {"decimals kept", {1.5, 2.2501}, 10, 6, "(0PF10. 4)"},
        {"only NaN, narrow", {kNaN, kNaN}, 5, 4, "(0PF 5. 0)"},
        {"only NaN, wide", {kNaN}, 10, 4, "(1PD10. 3)"},
        {"NaN ignored", {kNaN, 2.0, 3.0}, 10, 4, "(I10)     "},
        {"infinity forces scaling", {1.5, kInf}, 10, 4, "(1PD10. 3)"},
        {"at most this wide", {1.5, -123.456}, -10, -4, "(0PF 6. 1)"},
        {"at most, below one", {0.5, 0.25}, -10, -4, "(0PF 7. 4)"},
        {"twelve wide, six digits", {3.14159265}, 12, 6, "(0PF12. 5)"},
        {"large magnitude", {2.5e8 + 0.5}, 12, 6, "(1PD12. 5)"},
        {"zero digits asked", {0.5, 1.25}, 10, 0, "(0PF10. 1)"},
        {"empty column", {}, 10, 4, "(1PD10. 3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string result;
        const auto n = static_cast<std::int32_t>(c.column.size());
        dFMTRR(result, n, 1, c.column.empty() ? nullptr : c.column.data(), std::max(n, 1), 0,
               c.nwidth, c.nsig);
        EXPECT_EQ(result, c.expected);
        ASSERT_EQ(result.size(), 10u);
        // Every chosen format is one the edit-descriptor writer reads.
        EXPECT_TRUE(parseEditDescriptor(result).has_value());
    }
    EXPECT_EQ(takeOutput(), "");
}

// The chooser's texts for the examples are formats the Fortran run-time was given verbatim
// when edit-texts.txt was made, so NumberEditingTest holds their fields to its output.
TEST_F(FormatChooserTest, ChosenTextsAreInTheFortranFixture)
{
    std::set<std::string> formats;
    std::ifstream in(NUMERICS_FIXTURE_DIR "/edit-texts.txt");
    std::string line;
    while (std::getline(in, line)) {
        formats.insert(line.substr(0, line.find('|')));
    }
    const std::vector<double> whole = {1, 20, 300000000};
    const std::vector<double> fixed = {1.5, 123.456};
    const std::vector<double> small = {0.000123};
    const std::vector<double> missing = {kNaN, kNaN};
    const std::vector<const std::vector<double>*> columns = {&whole, &fixed, &small, &missing};
    const std::int32_t widths[] = {10, 10, 10, 5};
    const char* const expected[] = {"(I10)", "(0PF10. 1)", "(1PD10. 3)", "(0PF 5. 0)"};
    for (std::size_t k = 0; k < columns.size(); ++k) {
        std::string result;
        const auto n = static_cast<std::int32_t>(columns[k]->size());
        dFMTRR(result, n, 1, columns[k]->data(), n, 0, widths[k], 4);
        const std::string text = result.substr(0, result.find_last_not_of(' ') + 1);
        EXPECT_EQ(text, expected[k]);
        EXPECT_EQ(formats.count(text), 1u) << text;
    }
}

TEST_F(FormatChooserTest, SelectionDecidesWhichEntriesCount)
{
    // 3 by 3, column-major; the lower part holds a large non-integer.
    const double a[9] = {1, 1e9 + 0.5, 7.25, 2, 3, 8.5, 4, 5, 6};
    struct Case
    {
        std::int32_t itring;
        const char* expected;
    };
    const Case cases[] = {{0, "(1PD10. 3)"},
                          {1, "(I10)     "},
                          {2, "(I10)     "},
                          {-1, "(1PD10. 3)"},
                          {-2, "(1PD10. 3)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.itring);
        std::string result;
        dFMTRR(result, 3, 3, a, 3, c.itring, 10, 4);
        EXPECT_EQ(result, c.expected);
    }
    struct Rows
    {
        std::int32_t itring, j, first, count;
    };
    const Rows rows[] = {{0, 2, 1, 3},  {1, 2, 1, 2},  {1, 5, 1, 3},  {2, 1, 1, 0}, {-1, 2, 2, 2},
                         {-1, 4, 4, 0}, {-2, 2, 3, 1}, {-2, 3, 4, 0}, {-2, 0, 1, 3}};
    for (const Rows& r : rows) {
        std::int32_t first = 0;
        std::int32_t count = -1;
        TRIROW(r.itring, 1, 3, r.j, first, count);
        EXPECT_EQ(count, r.count) << r.itring << " " << r.j;
        if (count > 0) {
            EXPECT_EQ(first, r.first) << r.itring << " " << r.j;
        }
    }
}

TEST_F(FormatChooserTest, OneMagnitude)
{
    struct Case
    {
        double x;
        std::int32_t w, s;
        const char* expected;
    };
    const Case cases[] = {
        {123.456, 10, 4, "(0PF10. 1)"},   {0.000123, 10, 4, "(1PD10. 3)"},
        {9.99996, 10, 4, "(0PF10. 2)"},   {0.0, 10, 4, "(0PF10. 4)"},
        {0.5, 10, 4, "(0PF10. 4)"},       {0.01, 10, 4, "(0PF10. 5)"},
        {0.0999996, 10, 4, "(0PF10. 4)"}, {1.0e7, 10, 4, "(1PD10. 3)"},
        {123456.0, 5, 4, "(0PF 5. 0)"},   {kNaN, 6, 4, "(0PF 6. 0)"},
        {kNaN, 12, 20, "(1PD12. 5)"},     {1234.5, 10, 4, "(0PF10. 1)"},
        {kInf, 5, 3, "(0PF 5. 0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        std::string result;
        if (c.s > c.w - 2) {
            EXPECT_THROW(dFMTX(result, c.x, c.w, c.s), NumericsStop);
            EXPECT_NE(takeOutput().find("NSIG"), std::string::npos);
            continue;
        }
        dFMTX(result, c.x, c.w, c.s);
        EXPECT_EQ(result, c.expected);
    }
}

TEST_F(FormatChooserTest, ArgumentErrorsAreTerminal)
{
    const double a[4] = {1, 2, 3, 4};
    struct Case
    {
        const char* name;
        std::int32_t nra, nca, lda, nwidth, nsig, code;
    };
    const Case cases[] = {
        {"negative rows", -1, 1, 1, 10, 4, 1},   {"zero leading dimension", 1, 1, 0, 10, 4, 2},
        {"rows above lda", 3, 1, 2, 10, 4, 3},   {"negative columns", 1, -1, 1, 10, 4, 4},
        {"width too small", 1, 1, 1, 2, 1, 5},   {"width too large", 1, 1, 1, -41, 4, 5},
        {"too many digits", 1, 1, 1, 10, 13, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string result = "unchanged";
        try {
            dFMTRR(result, c.nra, c.nca, a, c.lda, 0, c.nwidth, c.nsig);
            ADD_FAILURE() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        EXPECT_EQ(result, "unchanged");
        EXPECT_NE(takeOutput().find("TERMINAL ERROR " + std::to_string(c.code) + " from DFMTRR"),
                  std::string::npos);
    }
    EXPECT_EQ(dI1MAX(3, a, 1), 3);
    const double b[4] = {-5, kNaN, 4, kNaN};
    EXPECT_EQ(dI1MAX(4, b, 1), 1);
    EXPECT_EQ(dI1MAX(2, b + 1, 2), 0);
    EXPECT_THROW(dI1MAX(1, a, 0), NumericsStop);
}

} // namespace
} // namespace numerics
