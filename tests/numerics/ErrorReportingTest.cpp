#include "numerics/ErrorReporting.h"

#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace numerics::test {
namespace {

class ErrorReportingTest : public NumericsTest
{};

const std::string kTraceHead = "     Here is a traceback of subprogram calls in reverse order:\n"
                               "     Routine name                    Error type  Error code\n"
                               "     ------------                    ----------  ----------\n";

TEST_F(ErrorReportingTest, WarningDeepInsideIsWrittenOnceUnderTheUsersRoutine)
{
    E1PSH("dOUTER");
    E1PSH("dMIDDLE ");
    E1PSH("dINNER");
    E1VALI(1, 7);
    E1MES(kWarning, 2, "The value is %(I1).");
    EXPECT_EQ(takeOutput(), "");
    E1POP("dINNER");
    E1POP("dMIDDLE");
    EXPECT_EQ(takeOutput(), "");
    E1POP("dOUTER");
    EXPECT_EQ(takeOutput(), "\n *** WARNING  ERROR 2 from DOUTER.  The value is 7.\n");
    EXPECT_EQ(N1RTY(0), kWarning);
    EXPECT_EQ(N1RCD(0), 2);
    EXPECT_EQ(N1RTY(1), kWarning);

    // A later clean call leaves the propagated type at the user's level.
    E1PSH("dCLEAN");
    E1POP("dCLEAN");
    EXPECT_EQ(N1RTY(0), kWarning);
    EXPECT_EQ(N1RTY(1), 0);
}

TEST_F(ErrorReportingTest, TerminalIsWrittenAtOnceWithTracebackAndStopsAtPop)
{
    E1PSH("dOUTER");
    E1PSH("dMIDDLE ");
    E1PSH("dINNER");
    E1MES(kTerminal, 1, "Something broke.");
    EXPECT_EQ(takeOutput(),
              "\n *** TERMINAL ERROR 1 from DINNER.  Something broke.\n" + kTraceHead +
                  "     DINNER                               5           1    (Called internally)\n"
                  "     DMIDDLE                              0           0    (Called internally)\n"
                  "     DOUTER                               0           0\n"
                  "     USER                                 0           0\n");
    try {
        E1POP("dINNER");
        FAIL() << "the pop must stop";
    } catch (const NumericsStop& stop) {
        EXPECT_EQ(stop.type(), kTerminal);
        EXPECT_EQ(stop.code(), 1);
    }
    EXPECT_EQ(takeOutput(), "");
    // The stack is back at the user's level, with the stop recorded there.
    EXPECT_EQ(N1RTY(0), kTerminal);
    EXPECT_EQ(N1RCD(0), 1);
    E1PSH("dAFTER");
    E1POP("dAFTER");
    EXPECT_EQ(N1RTY(1), 0);
}

TEST_F(ErrorReportingTest, ImmediateWarningGoesOnImmediateFatalStopsAtTheUsersRoutine)
{
    E1PSH("dONE");
    E1MES(kImmediateWarning, 4, "Careful.");
    EXPECT_EQ(takeOutput(), "\n *** WARNING  ERROR 4 from DONE.  Careful.\n");
    E1POP("dONE");
    EXPECT_EQ(takeOutput(), "");
    EXPECT_EQ(N1RTY(0), kImmediateWarning);

    E1PSH("dOUTER");
    E1PSH("dINNER");
    E1MES(kImmediateFatal, 3, "Broken.");
    EXPECT_EQ(takeOutput(), "\n *** FATAL    ERROR 3 from DINNER.  Broken.\n" + kTraceHead +
                                "     DINNER                               7           3    "
                                "(Called internally)\n"
                                "     DOUTER                               0           0\n"
                                "     USER                                 6           4\n");
    E1POP("dINNER"); // not yet: the caller is internal
    EXPECT_THROW(E1POP("dOUTER"), NumericsStop);
}

TEST_F(ErrorReportingTest, FatalStopsAfterItsMessageNoteAndAlertAreSilent)
{
    E1PSH("dA");
    E1MES(kNote, 5, "A note.");
    E1POP("dA");
    EXPECT_EQ(N1RTY(0), 0); // a NOTE is never propagated
    EXPECT_EQ(N1RTY(1), kNote);
    E1PSH("dB");
    E1MES(kAlert, 6, "An alert.");
    E1POP("dB");
    EXPECT_EQ(N1RTY(0), kAlert);
    EXPECT_EQ(takeOutput(), "");

    E1PSH("dC");
    E1MES(kFatal, 2, "Singular.");
    EXPECT_EQ(takeOutput(), "");
    EXPECT_THROW(E1POP("dC"), NumericsStop);
    EXPECT_EQ(takeOutput(), "\n *** FATAL    ERROR 2 from DC.  Singular.\n");
}

TEST_F(ErrorReportingTest, TypeZeroClearsTheLevelAndThePendingMessage)
{
    E1PSH("dA");
    E1MES(kWarning, 2, "Pending.");
    E1MES(0, 0, "");
    E1POP("dA");
    EXPECT_EQ(N1RTY(0), 0);
    EXPECT_EQ(takeOutput(), "");
}

struct LayoutCase
{
    const char* name;
    const char* routine;
    std::string message;
    std::string expected;
};

class MessageLayoutTest : public NumericsTest, public ::testing::WithParamInterface<LayoutCase>
{};

TEST_P(MessageLayoutTest, IsWrittenByteForByte)
{
    const LayoutCase& c = GetParam();
    E1PSH(c.routine);
    E1MES(kImmediateWarning, 2, c.message);
    E1POP(c.routine);
    EXPECT_EQ(takeOutput(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageLayoutTest,
    ::testing::Values(
        LayoutCase{"WrapsAtBlanks", "dLFIRB",
                   "The matrix is too ill-conditioned for iterative refinement to be effective.  "
                   "Try a smaller problem or scale the rows of the matrix before the "
                   "factorisation is made, then call the routine again with the scaled "
                   "right-hand side.",
                   "\n *** WARNING  ERROR 2 from DLFIRB.  The matrix is too ill-conditioned for\n"
                   " ***          iterative refinement to be effective.  Try a smaller problem or\n"
                   " ***          scale the rows of the matrix before the factorisation is made,\n"
                   " ***          then call the routine again with the scaled right-hand side.\n"},
        LayoutCase{"BreaksAtMarks", "dSPLEZ",
                   "First line%/second line that is long enough to need a wrap here and there, "
                   "with %/a forced break.",
                   "\n *** WARNING  ERROR 2 from DSPLEZ.  First line\n"
                   " ***          second line that is long enough to need a wrap here and there,\n"
                   " ***          with \n"
                   " ***          a forced break.\n"},
        LayoutCase{"MessageStartingWithStopGetsNoSecondStop", "DMACH ",
                   ".  Starts with a stop and a very long sentence that wraps around the line "
                   "end.",
                   "\n *** WARNING  ERROR 2 from DMACH.  Starts with a stop and a very long\n"
                   " ***          sentence that wraps around the line end.\n"},
        // " 2 from DX.  " is 13 characters: the first piece holds 59 - 13 - 3 = 43.
        LayoutCase{"ExactlyTheBudgetFits", "dX", std::string(43, 'a'),
                   "\n *** WARNING  ERROR 2 from DX.  " + std::string(43, 'a') + "\n"},
        LayoutCase{"OneMoreWithoutBlanksIsCutHard", "dX", std::string(44, 'b'),
                   "\n *** WARNING  ERROR 2 from DX.  " + std::string(43, 'b') +
                       "\n ***          b\n"},
        LayoutCase{"FurtherLinesAreCutHardAt64", "dX", std::string(43, 'c') + std::string(70, 'd'),
                   "\n *** WARNING  ERROR 2 from DX.  " + std::string(43, 'c') +
                       "\n ***          " + std::string(64, 'd') + "\n ***          dddddd\n"},
        LayoutCase{"MarkAtTheBudgetsLastPositionDoesNotBreak", "dX", std::string(42, 'e') + "%/f",
                   "\n *** WARNING  ERROR 2 from DX.  " + std::string(42, 'e') +
                       "%\n ***          /f\n"},
        LayoutCase{"LowercaseSecondLetterKeepsTheName", "dlower", "Text.",
                   "\n *** WARNING  ERROR 2 from dlower.  Text.\n"},
        LayoutCase{"MissingValueStaysInTheText", "USER2", "Value %(I1) and %(q1).",
                   "\n *** WARNING  ERROR 2 from USER2.  Value %(I1) and %(q1).\n"}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST_F(ErrorReportingTest, PlaceholdersTakeTheFirstStoredValueOfTheirKindAndDigit)
{
    E1PSH("dV");
    E1VALI(1, 5);
    E1VALI(1, 6);
    E1VALL(1, "ABC   ");
    E1VALL(-2, "XY  ");
    E1VALD(1, 0.5);
    E1VALR(3, 123.4567f);
    E1VALI(10, 99); // no such digit: ignored
    E1MES(kImmediateWarning, 1, "%(I1) %(i1) [%(L1)] [%(L2)] %(d1) %(R3) %(I0)");
    E1POP("dV");
    EXPECT_EQ(takeOutput(), "\n *** WARNING  ERROR 1 from DV.  5 5 [ABC] [XY  ] "
                            "5.000000000000000D-01\n"
                            " ***          1.234567E+02 %(I0)\n");

    // The store is emptied by every message.
    E1PSH("dV");
    E1MES(kImmediateWarning, 1, "%(I1)");
    E1POP("dV");
    EXPECT_EQ(takeOutput(), "\n *** WARNING  ERROR 1 from DV.  %(I1)\n");
}

TEST_F(ErrorReportingTest, ValueThatDoesNotFitTheStoreIsDropped)
{
    E1PSH("dV");
    E1VALL(1, std::string(250, 'x'));
    E1VALL(2, std::string(40, 'y')); // 251 + 40 + 8 > 300
    E1VALI(3, 1);                    // 251 + 1 + 8 <= 300
    E1MES(kImmediateWarning, 1, "%(L2)%(I3)");
    E1POP("dV");
    EXPECT_EQ(takeOutput(), "\n *** WARNING  ERROR 1 from DV.  %(L2)1\n");
}

TEST_F(ErrorReportingTest, LongMessageIsCutAt1024Characters)
{
    E1PSH("dV");
    E1VALL(1, std::string(255, 'z'));
    E1MES(kWarning, 1, std::string(900, 'a') + "%(L1)");
    E1MES(-1, -1, " "); // a blank template keeps the pending message
    E1POP("dV");
    const std::string out = takeOutput();
    const std::size_t as = std::count(out.begin(), out.end(), 'a');
    const std::size_t zs = std::count(out.begin(), out.end(), 'z');
    EXPECT_EQ(as, 900u);
    EXPECT_EQ(zs, 124u);
}

TEST_F(ErrorReportingTest, PushReachingFiftySucceedsTheNextStops)
{
    for (int level = 2; level <= 50; ++level) {
        E1PSH("R" + std::to_string(level));
    }
    EXPECT_EQ(takeOutput(), "");
    EXPECT_THROW(E1PSH("R51"), NumericsStop);
    const std::string out = takeOutput();
    EXPECT_EQ(out.substr(0, 119), "\n *** TERMINAL ERROR 1 from R50.  Error condition in E1PSH.  "
                                  "Push would\n ***          cause stack level to exceed 50. \n");
    EXPECT_NE(out.find("     R50                                  5           1    (Called "
                       "internally)\n"),
              std::string::npos);
    EXPECT_NE(out.find("     R2                                   0           0\n     USER"),
              std::string::npos);
}

struct StopCase
{
    const char* name;
    void (*action)();
    std::int32_t code;
    const char* text; // a piece of the message written before the stop
};

class StopTest : public NumericsTest, public ::testing::WithParamInterface<StopCase>
{};

TEST_P(StopTest, StopsWithMessage)
{
    const StopCase& c = GetParam();
    try {
        c.action();
        FAIL() << "no stop";
    } catch (const NumericsStop& stop) {
        EXPECT_EQ(stop.type(), kTerminal);
        EXPECT_EQ(stop.code(), c.code);
    }
    EXPECT_NE(takeOutput().find(c.text), std::string::npos);
    EXPECT_EQ(N1RTY(0), kTerminal);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StopTest,
    ::testing::Values(
        StopCase{"PopFromEmptyStack", [] { E1POP("dNONE"); }, 1, "dNONE because stack is empty."},
        StopCase{"PopWithWrongName",
                 [] {
                     E1PSH("dRIGHT");
                     E1POP("dWRONG");
                 },
                 2, "dWRONG does\n ***          not match the name dRIGHT in the stack."},
        StopCase{"IllegalType",
                 [] {
                     E1PSH("dT");
                     E1MES(8, 1, "x");
                 },
                 1, "Illegal error type\n ***          specified."},
        StopCase{"N1RTYWithTwo", [] { N1RTY(2); }, 1, "must be 0 or 1."},
        StopCase{"N1RCDWithMinusOne", [] { N1RCD(-1); }, 1,
                 "The argument passed to N1RCD must be 0 or 1."}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return info.param.name; });

TEST_F(ErrorReportingTest, E1HaltReportsPendingImmediateTypesOnce)
{
    E1PSH("dH");
    E1MES(kImmediateFatal, 1, "x");
    E1MES(kImmediateWarning, 1, "y");
    EXPECT_EQ(E1HALT(), 1); // type 7 decides, read last
    EXPECT_EQ(E1HALT(), 0);
    E1MES(0, 0, "");
    E1POP("dH");
}

// The value texts match what gfortran writes for I14, 1PE14.6 and 1PD24.15 (D24.15 and
// E14.6 for zero); see tests/fixtures/numerics/make-value-texts.sh.
TEST_F(ErrorReportingTest, ValueTextsMatchTheFortranEditDescriptors)
{
    std::ifstream in(NUMERICS_FIXTURE_DIR "/value-texts.txt");
    ASSERT_TRUE(in) << "fixture missing";
    std::string kind;
    std::string hex;
    std::string text;
    int cases = 0;
    while (in >> kind >> hex >> text) {
        SCOPED_TRACE(kind + " " + hex);
        const std::uint64_t bits = std::stoull(hex, nullptr, 16);
        std::string actual;
        if (kind == "D") {
            actual = formatDoubleValue(std::bit_cast<double>(bits));
        } else if (kind == "R") {
            actual = formatRealValue(std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
        } else {
            E1PSH("dV");
            E1VALI(1, static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
            E1MES(kImmediateWarning, 1, ".  %(I1)");
            E1POP("dV");
            const std::string out = takeOutput();
            actual = out.substr(out.find(".  ") + 3);
            actual.pop_back();
        }
        EXPECT_EQ(actual, text);
        ++cases;
    }
    EXPECT_GT(cases, 50);
}

using ErrorReportingDeathTest = ErrorReportingTest;

TEST_F(ErrorReportingDeathTest, DefaultStopEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setStopHook(nullptr);
    EXPECT_EXIT(
        {
            E1PSH("dA");
            E1MES(kFatal, 3, "Broken.");
            E1POP("dA");
        },
        ::testing::ExitedWithCode(kStopExitStatus), "");
    EXPECT_EXIT(
        {
            E1PSH("dA");
            E1PSH("dB");
            E1MES(kTerminal, 1, "Broken.");
            E1POP("dB");
        },
        ::testing::ExitedWithCode(kStopExitStatus), "");
    EXPECT_EXIT(
        {
            for (int level = 2; level <= 51; ++level) {
                E1PSH("R");
            }
        },
        ::testing::ExitedWithCode(kStopExitStatus), "");
}

} // namespace
} // namespace numerics::test
