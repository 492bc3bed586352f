#include "numerics/PrintOptions.h"

#include "NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace numerics {
namespace {

class PrintOptionsTest : public test::NumericsTest
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

    std::int32_t current(std::int32_t k)
    {
        std::int32_t v = 0;
        WROPT(k, v, 0);
        return v;
    }
    std::int32_t permanent(std::int32_t k)
    {
        std::int32_t v = 0;
        WROPT(k, v, 1);
        return v;
    }
    std::int32_t stopCode(void (*call)())
    {
        try {
            call();
        } catch (const NumericsStop& stop) {
            return stop.code();
        }
        return 0;
    }
};

TEST_F(PrintOptionsTest, InitialValuesAndScopes)
{
    const std::int32_t initial[16] = {0, 1000000, -2, 2, 0, 3, 2, 0, 3, 0, 0, 0, 10, 0, 0, 0};
    for (std::int32_t k = 1; k <= 16; ++k) {
        EXPECT_EQ(current(k), initial[k - 1]) << k;
        EXPECT_EQ(permanent(k), initial[k - 1]) << k;
    }
    // Scope 0 changes the current value only; the reset brings the permanent one back.
    std::int32_t v = 2;
    WROPT(-6, v, 0);
    EXPECT_EQ(current(6), 2);
    EXPECT_EQ(permanent(6), 3);
    v = 5;
    WROPT(-7, v, 1);
    EXPECT_EQ(current(7), 5);
    EXPECT_EQ(permanent(7), 5);
    WROPT(0, v, 0);
    EXPECT_EQ(current(6), 3);
    EXPECT_EQ(current(7), 5);
    // Option 3 keeps its current value when its permanent value is at least 0.
    v = 4;
    WROPT(-3, v, 0);
    WROPT(0, v, 0);
    EXPECT_EQ(current(3), -2);
    v = 0;
    WROPT(-3, v, 1);
    v = 7;
    WROPT(-3, v, 0);
    WROPT(0, v, 0);
    EXPECT_EQ(current(3), 7);
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(PrintOptionsTest, RangeErrorsChangeNothing)
{
    struct Case
    {
        const char* name;
        std::int32_t iopt, iset, iscope, code;
        const char* text;
    };
    const Case cases[] = {
        {"option 17", 17, 0, 0, 1, "IABS(IOPT)"},    {"option -17", -17, 0, 0, 1, "IABS(IOPT)"},
        {"option 1 to 2", -1, 2, 1, 2, "ISET"},      {"option 2 negative", -2, -1, 1, 2, "ISET"},
        {"option 3 below -2", -3, -3, 1, 2, "ISET"}, {"option 4 to 4", -4, 4, 1, 2, "ISET"},
        {"option 13 to 0", -13, 0, 1, 2, "ISET"},    {"option 8 to 256", -8, 256, 0, 2, "ISET"},
        {"scope 2", -6, 1, 2, 3, "ISCOPE"},          {"scope -1 on a query", 6, 0, -1, 3, "ISCOPE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t iset = c.iset;
        try {
            WROPT(c.iopt, iset, c.iscope);
            ADD_FAILURE() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        const std::string out = takeOutput();
        EXPECT_NE(out.find("from WROPT"), std::string::npos) << out;
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
        const std::int32_t initial[16] = {0, 1000000, -2, 2, 0, 3, 2, 0, 3, 0, 0, 0, 10, 0, 0, 0};
        for (std::int32_t k = 1; k <= 16; ++k) {
            EXPECT_EQ(current(k), initial[k - 1]) << k;
        }
    }
    std::int32_t large = 2000000000;
    WROPT(-2, large, 0);
    EXPECT_EQ(current(2), 2000000000);
}

TEST_F(PrintOptionsTest, PageSizeIsCheckedAndKept)
{
    std::int32_t page = 0;
    PGOPT(1, page);
    EXPECT_EQ(page, 78);
    PGOPT(2, page);
    EXPECT_EQ(page, 60);
    page = 120;
    PGOPT(-1, page);
    page = 10;
    PGOPT(-2, page);
    PGOPT(1, page);
    EXPECT_EQ(page, 120);
    PGOPT(2, page);
    EXPECT_EQ(page, 10);

    struct Case
    {
        std::int32_t iopt, ipage, code;
        const char* text;
    };
    const Case cases[] = {
        {-1, 9, 2, "IPAGE = 9.  Page width must be greater than or equal to 10."},
        {-2, -5, 3, "IPAGE = -5.  Page length must be greater than or equal to 10."},
        {3, 0, 1, "IABS(IOPT)"},
        {0, 0, 1, "IABS(IOPT)"},
        {-2147483647 - 1, 50, 1, "IABS(IOPT)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::int32_t ipage = c.ipage;
        try {
            PGOPT(c.iopt, ipage);
            ADD_FAILURE() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), c.code);
        }
        const std::string out = takeOutput();
        EXPECT_NE(out.find("from PGOPT"), std::string::npos) << out;
        std::string joined;
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (out.compare(i, 15, "\n ***          ") == 0) {
                joined += ' ';
                i += 14;
            } else {
                joined += out[i];
            }
        }
        EXPECT_NE(joined.find(c.text), std::string::npos) << joined;
    }
    PGOPT(1, page);
    EXPECT_EQ(page, 120);
    PGOPT(2, page);
    EXPECT_EQ(page, 10);
}

TEST_F(PrintOptionsTest, LinesCarryCarriageControlAndFillPages)
{
    WRLINE(5, "abcdefgh");
    WRLINE(0, "");
    WRLINE(-1, "");
    EXPECT_EQ(takeOutput(), " abcde\n \n1\n");
    EXPECT_EQ(current(3), -2); // no page control: nothing counted

    std::int32_t page = 10;
    PGOPT(-2, page);
    std::int32_t lines = 10;
    WROPT(-3, lines, 0);
    WRLINE(3, "one");
    EXPECT_EQ(takeOutput(), "1\n one\n");
    EXPECT_EQ(current(3), 1);
    for (int i = 0; i < 9; ++i) {
        WRLINE(1, "x");
    }
    EXPECT_EQ(current(3), 10);
    WRLINE(1, "y");
    const std::string out = takeOutput();
    EXPECT_EQ(out.substr(out.size() - 5), "1\n y\n");
    EXPECT_EQ(current(3), 1);
    WRLINE(-1, "");
    EXPECT_EQ(current(3), 0);
}

TEST_F(PrintOptionsTest, TextsBreakAtMarksBlanksAndWordEnds)
{
    struct Case
    {
        const char* text;
        std::int32_t width, indent, window;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"%/Coef.", 40, 0, 10, {"", "Coef."}},
        {"Sum of%/Squares", 15, 0, 5, {"Sum of", "Squares"}},
        {"%/", 78, 0, 10, {""}},
        {"%/* * * Analysis of Variance * * *", 78, 0, 10, {"", "* * * Analysis of Variance * * *"}},
        {"Corrected Total", 19, 3, 6, {"Corrected Total"}},
        {"Corrected Total", 12, 3, 4, {"Corrected", "   Total"}},
        {"Estimated standard deviation of model error",
         20,
         2,
         6,
         {"Estimated standard", "  deviation of", "  model error"}},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 10, 0, 3, {"ABCDEFGHIJ", "KLMNOPQRST", "UVWXYZ"}},
        {"alpha-beta-gamma-delta", 12, 0, 4, {"alpha-beta", "-gamma-delta"}},
        {"first%/%/third   ", 20, 0, 5, {"first", "", "third"}},
        {"x", 1, 5, 50, {"x"}},
        {"abc", 1, 4, 0, {"a", "b", "c"}},
        {"", 10, 0, 3, {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(breakText(c.text, c.width, c.indent, c.window), c.lines);
        std::string line;
        std::int32_t count = 0;
        std::int32_t longest = 0;
        WRBRK(c.text, c.width, c.indent, c.window, 0, line, count, longest);
        EXPECT_EQ(count, static_cast<std::int32_t>(c.lines.size()));
        std::size_t expectedLongest = 0;
        for (const std::string& l : c.lines) {
            expectedLongest = std::max(expectedLongest, l.size());
        }
        EXPECT_EQ(longest, static_cast<std::int32_t>(expectedLongest));
        WRBRK(c.text, c.width, c.indent, c.window, count, line, count, longest);
        EXPECT_EQ(line, c.lines.back());
    }
    std::string line = "ab";
    CENTRE(10, 2, line);
    EXPECT_EQ(line, "         ab");
    line = "abcdefghijklmnopqrstuvwxyz";
    CENTRE(10, 26, line);
    EXPECT_EQ(line, "abcdefghijklmnopqrstuvwxyz");
}

} // namespace
} // namespace numerics
