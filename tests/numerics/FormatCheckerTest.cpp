#include "numerics/FormatChecker.h"

#include "NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace numerics {
namespace {

class FormatCheckerTest : public test::NumericsTest
{
protected:
    // Runs the check inside a routine of the library, as the printer does, and returns the
    // code of the stop (0 when the format passed).
    std::int32_t check(const std::string& fmt, std::int32_t& single, std::int32_t& width)
    {
        std::int32_t code = -1;
        E1PSH("dW2RRL");
        FMTCHK(fmt, code, single, width);
        try {
            E1POP("dW2RRL");
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), code);
            return stop.code();
        }
        return code;
    }
};

TEST_F(FormatCheckerTest, SoundFormatsGiveTheirWidestFieldAndTheSingleVWFlag)
{
    struct Case
    {
        const char* fmt;
        std::int32_t width;
        std::int32_t single;
    };
    const Case cases[] = {
        {"(W10.4)", 10, 1},
        {"  ( w 12 . 6 )  ", 12, 1},
        {"(1W10.4)", 10, 1},
        {"(2W10.4)", 10, 0},
        {"(V10.4)", 10, 1},
        {"(F8.3,W10.4)", 10, 0},
        {"(2F8.3,3W10.4)", 10, 0},
        {"(W7.1,2W10.4,F9.3,F7.4)", 10, 0},
        {"(I10)", 10, 0},
        {"(i5.3)", 5, 0},
        {"(1PE12.5)", 12, 0},
        {"(1P2E12.5)", 12, 0},
        {"(-2pg14.6e3,d9.2)", 14, 0},
        {"(0PF10. 1)", 10, 0},
        {"(1PD10. 3)", 10, 0},
        {"(I 9)", 9, 0},
        {"(W40.38)", 40, 1},
        {"(W3.0)", 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fmt);
        std::int32_t single = -1;
        std::int32_t width = 0;
        EXPECT_EQ(check(c.fmt, single, width), 0);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(single, c.single);
        EXPECT_EQ(takeOutput(), "");
    }
}

TEST_F(FormatCheckerTest, EachFaultGivesItsCodeAndMessage)
{
    struct Case
    {
        const char* fmt;
        std::int32_t code;
        const char* text;
    };
    const Case cases[] = {
        {"()", 35, "FMT is an invalid FORTRAN format: '()'"},
        {"", 35, "FMT is an invalid FORTRAN format"},
        {"  ( )  ", 35, "invalid FORTRAN format"},
        {"F10.3)", 6, "The first non-blank position of FMT must be a left parenthesis."},
        {"(F10.3", 7, "The last non-blank position of FMT must be a right parenthesis."},
        {"(F10.3,)", 34, "A null string is encountered in FMT: '(F10.3,)'"},
        {"(,,,)", 34, "A null string"},
        {"(x2F8.3)", 33, "An invalid character is in FMT:  'x2F8.3'"},
        {"(A10)", 33, "Only D, E, F, G, I, V and W edit descriptors"},
        {"(12345)", 33, "An invalid character"},
        {"(2*F8.3)", 8, "invalid character for the repeat specification: '2*F8.3'"},
        {"(0F8.3)", 9, "invalid repeat specification: '0F8.3'"},
        {"(W10)", 10, "invalid V or W format: 'W10'"},
        {"(W.4)", 10, "invalid V or W format"},
        {"(W10.)", 10, "invalid V or W format"},
        {"(WX.4)", 11, "invalid character for the field width: 'WX.4'"},
        {"(W41.4)", 12, "invalid field width for a V or W format: 'W41.4'"},
        {"(V2.0)", 12, "invalid field width for a V or W format"},
        {"(W10.x)", 13, "invalid character for the number of significant digits"},
        {"(W10.9)", 14, "invalid number of significant digits for a V or W format: 'W10.9'"},
        {"(1.5PF8.3)", 15, "invalid character for the scale factor: '1.5PF8.3'"},
        {"(PF8.3)", 15, "scale factor"},
        {"(2P)", 15, "scale factor"},
        {"(F8)", 16, "FMT contains the following invalid F format: 'F8'"},
        {"(F0.0)", 17, "invalid field width for an F format: 'F0.0'"},
        {"(F99.3)", 17, "invalid field width for an F format"},
        {"(F8.-3)", 18, "invalid character for the number of digits in the fractional part"},
        {"(F8.8)", 19, "invalid number of digits in the fractional part for an F format"},
        {"(I0)", 20, "invalid field width for an I format: 'I0'"},
        {"(2I)", 20, "invalid field width for an I format"},
        {"(I5.7)", 21, "invalid number of digits (including leading zeros)"},
        {"(E12)", 22, "FMT contains the following invalid E format: 'E12'"},
        {"(D10.3E2)", 22, "invalid D format"},
        {"(G0.3)", 23, "invalid field width for the G format: 'G0.3'"},
        {"(E12.5Ex)", 24, "invalid character for the number of digits for the exponent"},
        {"(E12.5E0)", 25, "invalid number of digits for the exponent: 'E12.5E0'"},
        {"(D10.)", 26, "fractional part for the following D format: 'D10.'"},
        {"(E5.9)", 26, "fractional part for the following E format"},
        {"(G10.3x)", 18, "fractional part"},
        {"((F8.3))", 8, "repeat specification"},
        {"(F8.3))", 18, "fractional part"},
        {"(F8.3,W41.4,Q)", 12, "'W41.4'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fmt);
        std::int32_t single = -1;
        std::int32_t width = 0;
        EXPECT_EQ(check(c.fmt, single, width), c.code);
        EXPECT_EQ(width, -1);
        EXPECT_EQ(single, 0);
        const std::string out = takeOutput();
        EXPECT_NE(out.find("*** TERMINAL ERROR " + std::to_string(c.code) + " from DW2RRL"),
                  std::string::npos)
            << out;
        // Messages are broken into lines: compare without the line breaks.
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
}

TEST_F(FormatCheckerTest, DescriptorsAreHandedOutWithRepeatsAndReversion)
{
    struct Case
    {
        const char* fmt;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"(F8.3,W10.4)", {"(F8.3)", "(W10.4)", "(F8.3)", "(W10.4)", "(F8.3)"}},
        {"(2f8.3, 1p e12.5)", {"(F8.3)", "(F8.3)", "(1PE12.5)", "(F8.3)", "(F8.3)"}},
        {"(1P3D10.3)", {"(1PD10.3)", "(1PD10.3)", "(1PD10.3)", "(1PD10.3)"}},
        {"(2F8.3,3W10.4)", {"(F8.3)", "(F8.3)", "(W10.4)", "(W10.4)", "(W10.4)", "(F8.3)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fmt);
        std::string item;
        for (std::size_t k = 0; k < c.items.size(); ++k) {
            FMTITM(static_cast<std::int32_t>(k + 1), c.fmt, item);
            EXPECT_EQ(item, c.items[k]) << "k = " << k + 1;
        }
        // Going back restarts the walk; jumping ahead walks forward.
        for (std::size_t k : {3u, 1u, 5u, 2u}) {
            if (k <= c.items.size()) {
                FMTITM(static_cast<std::int32_t>(k), c.fmt, item);
                EXPECT_EQ(item, c.items[k - 1]) << "k = " << k;
            }
        }
    }
    std::string item = "x";
    FMTITM(1, "()", item);
    EXPECT_EQ(item, "");
}

TEST_F(FormatCheckerTest, SmallTextRoutines)
{
    EXPECT_EQ(FMTWID("(W10.4)"), 10);
    EXPECT_EQ(FMTWID("(I12)"), 12);
    EXPECT_EQ(FMTWID("(1PD21.14)"), 21);
    EXPECT_EQ(FMTWID("(0PF 5. 0)"), 5);
    EXPECT_EQ(LENTRM("abc   "), 3);
    EXPECT_EQ(LENTRM("    "), 0);
    EXPECT_EQ(STRCMP("number", "NUMBER   "), 0);
    EXPECT_EQ(STRCMP("NONE", "NUMBER"), -1);
    EXPECT_EQ(ACHAR(65), 'A');

    struct IntCase
    {
        const char* text;
        std::int32_t length, value, flag;
    };
    const IntCase ints[] = {{" 12 3", 5, 123, 0}, {"12x", 2, 12, 0}, {"12x", 3, 0, 1},
                            {"   ", 3, 0, 1},     {"-7", 2, -7, 0},  {"99999999999", 11, 0, 1}};
    for (const IntCase& c : ints) {
        SCOPED_TRACE(c.text);
        std::int32_t value = -1;
        std::int32_t flag = -1;
        FMTINT(c.text, c.length, value, flag);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(flag, c.flag);
    }
    EXPECT_THROW(ACHAR(-1), NumericsStop);
    EXPECT_NE(takeOutput().find("The ASCII value must be non-negative"), std::string::npos);
}

} // namespace
} // namespace numerics
