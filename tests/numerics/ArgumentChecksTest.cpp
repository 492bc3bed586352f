#include "numerics/ArgumentChecks.h"

#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

namespace numerics::test {
namespace {

class ArgumentChecksTest : public NumericsTest
{
protected:
    // Runs checks inside a routine and returns what was written; the pop stops when one
    // of them failed.
    template <class Checks> std::string run(Checks checks, bool expectStop)
    {
        E1PSH("dDRIVE");
        checks();
        if (expectStop) {
            EXPECT_THROW(E1POP("dDRIVE"), NumericsStop);
        } else {
            E1POP("dDRIVE");
        }
        return takeOutput();
    }
};

TEST_F(ArgumentChecksTest, ChecksAdvanceTheSharedCode)
{
    struct Case
    {
        const char* name;
        std::int32_t value, low, high;
        std::int32_t expectedCode; // code reported; 0 = no message
    };
    const Case cases[] = {
        {"InRange", 5, 1, 10, 0},
        {"BelowRange", 0, 1, 10, 10},
        {"AboveRange", 11, 1, 10, 10},
        {"LowerBoundOnlyPasses", 1000, 1, 0, 0},
        {"LowerBoundOnlyFails", -1, 1, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t code = 10;
        std::int32_t reported = 0;
        const std::string out = run(
            [&] {
                CHKRNG(c.value, "NDATA", c.low, c.high, code);
                reported = N1RCD(0);
            },
            c.expectedCode != 0);
        EXPECT_EQ(code, 11);
        EXPECT_EQ(reported, c.expectedCode);
        EXPECT_EQ(out.empty(), c.expectedCode == 0);
    }
}

TEST_F(ArgumentChecksTest, RangeAndOrderTexts)
{
    std::int32_t code = 1;
    EXPECT_EQ(run([&] { CHKRNG(0, "N", 1, 5, code); }, true),
              "\n *** TERMINAL ERROR 1 from DDRIVE.  N = 0.  N must be greater than or\n"
              " ***          equal to 1 and less than or equal to 5.\n");
    code = 3;
    EXPECT_EQ(run([&] { CHKRNG(-2, "LDA", 1, 0, code); }, true),
              "\n *** TERMINAL ERROR 3 from DDRIVE.  LDA = -2.  LDA must be greater than or\n"
              " ***          equal to 1.\n");
    code = 2;
    EXPECT_EQ(run([&] { CHKLEQ(7, "NCOEF", 4, "LDCOEF", code); }, true),
              "\n *** TERMINAL ERROR 2 from DDRIVE.  NCOEF = 7 and LDCOEF = 4.  NCOEF must\n"
              " ***          be less than or equal to LDCOEF.\n");
    EXPECT_EQ(code, 3);
}

TEST_F(ArgumentChecksTest, SecondCheckReportsStartPlusOne)
{
    std::int32_t code = 1;
    std::int32_t reported = 0;
    run(
        [&] {
            CHKRNG(3, "A", 1, 5, code);
            CHKRNG(9, "B", 1, 5, code);
            reported = N1RCD(0);
        },
        true);
    EXPECT_EQ(reported, 2);
    EXPECT_EQ(code, 3);
}

TEST_F(ArgumentChecksTest, ChklimAlwaysAdvancesByTwo)
{
    struct Case
    {
        const char* name;
        std::int32_t value, limit;
        std::int32_t expectedCode;
    };
    const Case cases[] = {
        {"Fine", 3, 5, 0},
        {"BelowLow", 0, 5, 1},
        {"AboveLimit", 6, 5, 2},
        {"NoLimit", 600, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t code = 1;
        std::int32_t reported = 0;
        run(
            [&] {
                CHKLIM(1, c.value, "IIND", c.limit, "NCOL", code);
                reported = N1RCD(0);
            },
            c.expectedCode != 0);
        EXPECT_EQ(code, 3);
        EXPECT_EQ(reported, c.expectedCode);
    }
}

} // namespace
} // namespace numerics::test
