#include "numerics/MatrixPrinter.h"

#include "NumericsTestSupport.h"
#include "numerics/FormatChooser.h"
#include "numerics/PrintOptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace numerics {
namespace {

constexpr double kPrinterNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPrinterInf = std::numeric_limits<double>::infinity();

using Labels = std::vector<std::string>;

class MatrixPrinterTest : public test::NumericsTest
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

    static void setOption(std::int32_t k, std::int32_t value, std::int32_t scope = 1)
    {
        WROPT(-k, value, scope);
    }
    static void setPage(std::int32_t width, std::int32_t length)
    {
        PGOPT(-1, width);
        PGOPT(-2, length);
    }

    // The printed records split into lines, carriage control kept.
    std::vector<std::string> records()
    {
        std::vector<std::string> lines;
        std::istringstream in(takeOutput());
        std::string line;
        while (std::getline(in, line)) {
            lines.push_back(line);
        }
        return lines;
    }

    // Runs the printer and returns the code of its stop (0 when it printed).
    static std::int32_t print(std::string_view title, std::int32_t nra, std::int32_t nca,
                              const double* a, std::int32_t lda, std::int32_t itring,
                              std::string_view fmt, const Labels& rowlab, const Labels& collab)
    {
        try {
            DW2RRL(title, nra, nca, a, lda, itring, fmt, rowlab, collab, {});
        } catch (const NumericsStop& stop) {
            return stop.code();
        }
        return 0;
    }
};

TEST_F(MatrixPrinterTest, PrintsLabelledTablesExactly)
{
    const double a[4] = {1.5, -2.25, 3, 40};
    ASSERT_EQ(print("Small%/table", 2, 2, a, 2, 0, "(F8.2)", {"First row", "Second"},
                    {"Name", "Alpha", "Beta%/Gamma"}),
              0);
    const std::vector<std::string> expected = {
        "             Small",
        "             table",
        " Name          Alpha      Beta",
        "                         Gamma",
        " First row      1.50      3.00",
        " Second        -2.25     40.00",
    };
    EXPECT_EQ(records(), expected);

    ASSERT_EQ(print("", 2, 2, a, 2, -1, "(F6.2)", {"NUMBER"}, {"NUMBER"}), 0);
    EXPECT_EQ(records(),
              (std::vector<std::string>{"         1       2", " 1    1.50", " 2   -2.25   40.00"}));

    // The regression printouts: numbered rows under a heading of an empty line and "Coef.".
    ASSERT_EQ(print("", 2, 2, a, 2, 0, "(F6.2)", {"NUMBER"}, {"%/Coef.", "%/A", "%/B"}), 0);
    EXPECT_EQ(records(),
              (std::vector<std::string>{" ", " Coef.       A       B", "     1    1.50    3.00",
                                        "     2   -2.25   40.00"}));

    // Centred on the page with option 1; whole numbers under I; no labels at all.
    setOption(1, 1, 0);
    ASSERT_EQ(print("Title", 2, 2, a, 2, 0, "(I4)", {"NONE"}, {"NONE"}), 0);
    EXPECT_EQ(records(),
              (std::vector<std::string>{"                                      Title",
                                        "                                       1     3",
                                        "                                      -2    40"}));
}

TEST_F(MatrixPrinterTest, NaNAndInfinitiesPrintAsOption4Says)
{
    const double a[5] = {kPrinterNaN, kPrinterInf, -kPrinterInf, 1.5, kPrinterNaN};
    struct Case
    {
        std::int32_t option;
        const char* fmt;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {0, "(F8.2)", {"........", "++++++++", "--------", "    1.50", "........"}},
        {1, "(F8.2)", {"", "++++++++", "--------", "    1.50", ""}},
        {2, "(F8.2)", {"     NaN", "     Inf", "    -Inf", "    1.50", "     NaN"}},
        {3, "(F8.2)", {"", "     Inf", "    -Inf", "    1.50", ""}},
        {3, "(F3.0)", {"", "Inf", "Inf", " 2.", ""}},
        {2, "(F2.0)", {"aN", "nf", "nf", "2.", "aN"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.option) + c.fmt);
        setOption(4, c.option, 0);
        ASSERT_EQ(print("", 5, 1, a, 5, 0, c.fmt, {"NONE"}, {"NONE"}), 0);
        const std::vector<std::string> lines = records();
        ASSERT_EQ(lines.size(), 5u);
        for (std::size_t i = 0; i < 5; ++i) {
            const std::string expected =
                c.cells[i].empty() ? std::string(" ") : "   " + c.cells[i]; // carriage + 2 blanks
            EXPECT_EQ(lines[i], expected) << i;
        }
    }
}

// Every selected entry appears exactly once, nothing else does, and no line passes the page
// width, over a table of shapes, label modes, triangles, formats and options.
TEST_F(MatrixPrinterTest, LayoutsKeepWidthsAndPrintEveryValueOnce)
{
    struct Case
    {
        const char* name;
        std::int32_t nra, nca, itring;
        const char* fmt;
        std::string rowMode, colMode;
        std::int32_t pageWidth, pageLength, maxRows, pageLines, gap, repeatTitle;
    };
    const Case cases[] = {
        {"wide, numbered", 4, 17, 0, "(F9.1)", "NUMBER", "NUMBER", 78, 60, 1000000, -2, 2, 0},
        {"wide, texts", 5, 12, 0, "(F9.1)", "TEXT", "TEXT", 60, 60, 1000000, -2, 2, 0},
        {"upper", 9, 9, 1, "(F9.1)", "NUMBER", "NUMBER", 50, 60, 1000000, -2, 2, 0},
        {"upper strict", 9, 9, 2, "(F9.1)", "TEXT", "NUMBER", 50, 60, 1000000, -2, 2, 0},
        {"lower", 9, 9, -1, "(F9.1)", "NONE", "NUMBER", 40, 60, 1000000, -2, 2, 0},
        {"lower strict", 9, 9, -2, "(F9.1)", "NUMBER", "TEXT", 40, 60, 1000000, -2, 2, 0},
        {"mixed formats", 6, 7, 0, "(F9.1,F12.3,I8)", "TEXT", "TEXT", 72, 60, 1000000, -2, 2, 0},
        {"pages", 40, 3, 0, "(F9.1)", "TEXT", "TEXT", 78, 12, 1000000, 0, 2, 1},
        {"pages, blocks", 30, 9, 0, "(F9.1)", "NUMBER", "NUMBER", 40, 15, 1000000, -1, 3, 0},
        {"continued page", 20, 2, 0, "(F9.1)", "NUMBER", "NONE", 78, 10, 1000000, 5, 2, 1},
        {"rows wrap", 3, 15, 0, "(F9.1)", "TEXT", "TEXT", 50, 60, 0, -2, 2, 0},
        {"rows wrap, numbers", 4, 20, 0, "(F9.1)", "NUMBER", "NUMBER", 40, 60, 0, -2, 0, 0},
        {"wide gap", 3, 6, 0, "(F9.1)", "NONE", "NONE", 30, 60, 1000000, -2, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetPrintSettings();
        setPage(c.pageWidth, c.pageLength);
        setOption(2, c.maxRows, 0);
        setOption(3, c.pageLines, 0);
        setOption(5, c.repeatTitle, 0);
        setOption(7, c.gap, 0);
        // Distinct values whose printed forms cannot be mistaken for each other.
        std::vector<double> a(static_cast<std::size_t>(c.nra * c.nca));
        for (std::size_t k = 0; k < a.size(); ++k) {
            a[k] = 10001.0 + static_cast<double>(k);
        }
        Labels rowlab = {c.rowMode};
        if (c.rowMode == "TEXT") {
            rowlab.clear();
            for (std::int32_t i = 1; i <= c.nra; ++i) {
                rowlab.push_back(i % 3 == 0 ? "A rather long label of row " + std::to_string(i)
                                            : "Row " + std::to_string(i));
            }
        }
        Labels collab = {c.colMode};
        if (c.colMode == "TEXT") {
            collab = {"Rows"};
            for (std::int32_t j = 1; j <= c.nca; ++j) {
                collab.push_back("Heading%/of column " + std::to_string(j));
            }
        }
        ASSERT_EQ(print("A title that is long enough to be broken into lines on a page", c.nra,
                        c.nca, a.data(), c.nra, c.itring, c.fmt, rowlab, collab),
                  0);
        const std::vector<std::string> lines = records();
        std::string all;
        std::int32_t ejects = 0;
        std::int32_t onPage = c.pageLines > 0 ? c.pageLines : 0;
        for (const std::string& line : lines) {
            ASSERT_FALSE(line.empty());
            if (line == "1") {
                ++ejects;
                onPage = 0;
                continue;
            }
            ASSERT_EQ(line[0], ' ');
            EXPECT_LE(line.size() - 1, static_cast<std::size_t>(c.pageWidth)) << line;
            ++onPage;
            if (c.pageLines != -2) {
                EXPECT_LE(onPage, c.pageLength) << line;
            }
            all += line + "\n";
        }
        if (c.pageLines == -2) {
            EXPECT_EQ(ejects, 0);
        } else {
            EXPECT_GT(ejects, c.pageLines < 1 ? 1 : 0);
        }
        for (std::int32_t j = 1; j <= c.nca; ++j) {
            std::int32_t first = 0;
            std::int32_t count = 0;
            TRIROW(c.itring, 1, c.nra, j, first, count);
            for (std::int32_t i = 1; i <= c.nra; ++i) {
                const double x = a[static_cast<std::size_t>((j - 1) * c.nra + i - 1)];
                char text[32];
                std::snprintf(text, sizeof text, "%.0f", x);
                std::size_t found = 0;
                for (std::size_t p = all.find(text); p != std::string::npos;
                     p = all.find(text, p + 1)) {
                    ++found;
                }
                const bool inSelection = i >= first && i < first + count;
                EXPECT_EQ(found, inSelection ? 1u : 0u) << "(" << i << ", " << j << ")";
            }
        }
    }
}

TEST_F(MatrixPrinterTest, TitleRepeatsOnEveryPageWithOption5)
{
    std::vector<double> a(30);
    for (std::size_t k = 0; k < a.size(); ++k) {
        a[k] = static_cast<double>(k);
    }
    for (const std::int32_t repeat : {0, 1}) {
        SCOPED_TRACE(repeat);
        setPage(78, 10);
        setOption(3, 0, 0);
        setOption(5, repeat, 0);
        ASSERT_EQ(print("Pages", 30, 1, a.data(), 30, 0, "(I5)", {"NUMBER"}, {"NUMBER"}), 0);
        std::int32_t titles = 0;
        std::int32_t ejects = 0;
        for (const std::string& line : records()) {
            titles += line.find("Pages") != std::string::npos ? 1 : 0;
            ejects += line == "1" ? 1 : 0;
        }
        EXPECT_EQ(ejects, 4); // 30 rows, 8 to a page after one heading line and the title
        EXPECT_EQ(titles, repeat == 1 ? ejects : 1);
    }
}

TEST_F(MatrixPrinterTest, EdgeShapes)
{
    const double a[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    ASSERT_EQ(print("Only the title", 0, 3, a, 1, 0, "(F5.1)", {"NONE"}, {"NONE"}), 0);
    EXPECT_EQ(records(), std::vector<std::string>{" Only the title"});
    ASSERT_EQ(print("Only the title", 3, 0, a, 3, 0, "(F5.1)", {"NONE"}, {"NONE"}), 0);
    EXPECT_EQ(records(), std::vector<std::string>{" Only the title"});
    ASSERT_EQ(print("", 0, 0, a, 1, 0, "", {"NONE"}, {"NONE"}), 0);
    EXPECT_EQ(records(), std::vector<std::string>{});

    // Strict lower triangle: the last column shows no entry.
    ASSERT_EQ(print("", 3, 3, a, 3, -2, "(F5.1)", {"NUMBER"}, {"NUMBER"}), 0);
    EXPECT_EQ(records(), (std::vector<std::string>{"        1      2      3", " 2    2.0",
                                                   " 3    3.0    6.0"}));
    // Labels missing from short label arrays print blank.
    ASSERT_EQ(print("", 3, 2, a, 3, 0, "(F5.1)", {"only one"}, {"x"}), 0);
    const std::vector<std::string> lines = records();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].substr(0, 9), " only one");
}

TEST_F(MatrixPrinterTest, FormatsOfColumns)
{
    const double a[6] = {1, 2, 3.25, 4.5, 1e-5, 6};
    // One governing W descriptor: one format for the whole matrix, decimals trimmed to
    // what its entries need.
    ASSERT_EQ(print("", 2, 3, a, 2, 0, "(W10.4)", {"NONE"}, {"NONE"}), 0);
    EXPECT_EQ(records(), (std::vector<std::string>{"         1.00        3.25        0.00",
                                                   "         2.00        4.50        6.00"}));
    // F8.3 then W10.4: the W column gets its own format; the third column reverts to F8.3.
    ASSERT_EQ(print("", 2, 3, a, 2, 0, "(F8.3,W10.4)", {"NONE"}, {"NONE"}), 0);
    EXPECT_EQ(records(), (std::vector<std::string>{"      1.000        3.25     0.000",
                                                   "      2.000        4.50     6.000"}));
    // A scale factor before W is ignored.
    ASSERT_EQ(print("", 2, 3, a, 2, 0, "(F8.3,1PW10.4)", {"NONE"}, {"NONE"}), 0);
    EXPECT_EQ(records(), (std::vector<std::string>{"      1.000        3.25     0.000",
                                                   "      2.000        4.50     6.000"}));
    // V never uses an integer descriptor; W does for whole numbers.
    ASSERT_EQ(print("", 2, 1, a, 2, 0, "(V10.4)", {"NONE"}, {"NONE"}), 0);
    EXPECT_EQ(records(), (std::vector<std::string>{"        1.000", "        2.000"}));
    ASSERT_EQ(print("", 2, 1, a, 2, 0, "(W10.4)", {"NONE"}, {"NONE"}), 0);
    EXPECT_EQ(records(), (std::vector<std::string>{"            1", "            2"}));

    // Automatic formats by option 6, each for the next printout only.
    struct Case
    {
        std::int32_t option;
        std::string first;
    };
    const Case cases[] = {
        {0, "         1.00        3.25        0.00"},
        {1, "        1.00000       3.25000       0.00001"},
        {2, "    1.00000E+00   3.25000E+00   1.00000E-05"},
        {3, "    1.000   3.250   0.000"},
        {4, "    1.00000   3.25000   0.00001"},
        {5, "    1.00000000000000E+00   3.25000000000000E+00   1.00000000000000E-05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        setOption(6, c.option, 0);
        ASSERT_EQ(print("", 2, 3, a, 2, 0, "   ", {"NONE"}, {"NONE"}), 0);
        const std::vector<std::string> lines = records();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], c.first);
        std::int32_t current = -1;
        WROPT(6, current, 0);
        EXPECT_EQ(current, 3);
    }
}

TEST_F(MatrixPrinterTest, ErrorsPrintNothing)
{
    const double a[4] = {1, 2, 3, 4};
    struct Case
    {
        const char* name;
        std::int32_t nra, nca, lda, itring;
        const char* fmt;
        std::int32_t pageWidth, code;
        const char* text;
    };
    const Case cases[] = {
        {"negative rows", -1, 2, 2, 0, "(F5.1)", 78, 1, "NRA = -1"},
        {"zero leading dimension", 2, 2, 0, 0, "(F5.1)", 78, 2, "LDA = 0"},
        {"rows above lda", 3, 2, 2, 0, "(F5.1)", 78, 3, "NRA = 3 and LDA = 2"},
        {"negative columns", 2, -2, 2, 0, "(F5.1)", 78, 4, "NCA = -2"},
        {"bad triangle", 2, 2, 2, 3, "(F5.1)", 78, 5, "ITRING = 3"},
        {"bad format", 2, 2, 2, 0, "(F5.1,A3)", 78, 33, "'A3'"},
        {"unbalanced format", 2, 2, 2, 0, "(F5.1", 78, 7, "right parenthesis"},
        {"page too wide", 2, 2, 2, 0, "(F5.1)", 300, 38, "A page width of 300"},
        {"page too narrow", 2, 2, 2, 0, "(F5.1)", 11, 37, "at least 12"},
        {"field too wide", 2, 2, 2, 0, "(F30.1)", 30, 36, "field width of 30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t width = c.pageWidth;
        PGOPT(-1, width);
        std::int32_t nan = 0;
        WROPT(-4, nan, 0);
        EXPECT_EQ(print("Title", c.nra, c.nca, a, c.lda, c.itring, c.fmt, {"NUMBER"}, {"NUMBER"}),
                  c.code);
        const std::string out = takeOutput();
        EXPECT_EQ(out.find("Title"), std::string::npos) << out;
        // The page-width errors are those of the layout set-up, under its own name.
        const char* routine = c.code >= 36 ? " from WRSETU." : " from DW2RRL.";
        EXPECT_NE(out.find("TERMINAL ERROR " + std::to_string(c.code) + routine), std::string::npos)
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
        EXPECT_NE(joined.find(c.text), std::string::npos) << joined;
        // The settings of the failed call expired with it.
        WROPT(4, nan, 0);
        EXPECT_EQ(nan, 2);
    }
}

} // namespace
} // namespace numerics
