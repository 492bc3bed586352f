#include "numerics/MachineConstants.h"

#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace numerics::test {
namespace {

class MachineConstantsTest : public NumericsTest
{};

TEST_F(MachineConstantsTest, DmachValuesAndBits)
{
    const std::uint64_t bits[8] = {0x0010000000000000, 0x7FEFFFFFFFFFFFFF, 0x3CA0000000000000,
                                   0x3CB0000000000000, 0x3FD34413509F79FF, 0x7FF8000000000000,
                                   0x7FF0000000000000, 0xFFF0000000000000};
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(DMACH(n)), bits[n - 1]);
    }
    EXPECT_EQ(DMACH(4), 2 * DMACH(3));
    EXPECT_DOUBLE_EQ(DMACH(5), std::log10(2.0));
}

TEST_F(MachineConstantsTest, DmachOutOfRangeStopsWithCodeFive)
{
    for (const std::int32_t n : {0, 9, -3}) {
        SCOPED_TRACE(n);
        try {
            DMACH(n);
            FAIL() << "no stop";
        } catch (const NumericsStop& stop) {
            EXPECT_EQ(stop.code(), 5);
        }
        EXPECT_EQ(takeOutput(), "\n *** TERMINAL ERROR 5 from DMACH.  The argument must be between "
                                "1 and 8\n ***          inclusive. N = " +
                                    std::to_string(n) + "\n");
    }
}

TEST_F(MachineConstantsTest, ImachValues)
{
    const std::int32_t values[12] = {32, 4, 2, 31, 2147483647, 2, 24, -125, 128, 53, -1021, 1024};
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(IMACH(n), values[n - 1]);
    }
    EXPECT_EQ(IMACH(5), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(IMACH(10), std::numeric_limits<double>::digits);
}

TEST_F(MachineConstantsTest, ImachAndUmachOutOfRangeWriteTheirTextAndStop)
{
    EXPECT_THROW(IMACH(13), NumericsStop);
    EXPECT_EQ(takeOutput(), "\n *** TERMINAL ERROR 5 from IMACH.  The argument\n"
                            " ***          must be between 1 and 12 inclusive.\n"
                            " ***          N =     13.\n\n");
    std::int32_t unit = 0;
    EXPECT_THROW(UMACH(4, unit), NumericsStop);
    EXPECT_EQ(takeOutput().substr(0, 49), "\n *** TERMINAL ERROR 5 from UMACH.  The absolute\n");
}

TEST_F(MachineConstantsTest, UmachGetsAndSetsUnits)
{
    E1DFLT();
    std::int32_t unit = 0;
    UMACH(1, unit);
    EXPECT_EQ(unit, kStandardInputUnit);
    UMACH(3, unit);
    EXPECT_EQ(unit, kCaptureUnit); // set by the fixture
    unit = 77;
    UMACH(-1, unit);
    unit = 0;
    UMACH(1, unit);
    EXPECT_EQ(unit, 77);
    unit = kStandardInputUnit;
    UMACH(-1, unit);
}

TEST_F(MachineConstantsTest, MessagesGoToTheMessageUnit)
{
    std::ostringstream other;
    attachUnit(43, &other);
    std::int32_t unit = 43;
    UMACH(-3, unit);
    E1PSH("dA");
    E1MES(kImmediateWarning, 1, "Here.");
    E1POP("dA");
    EXPECT_EQ(other.str(), "\n *** WARNING  ERROR 1 from DA.  Here.\n");
    EXPECT_EQ(takeOutput(), "");
    attachUnit(43, nullptr);
}

TEST_F(MachineConstantsTest, SafeDivision)
{
    struct Case
    {
        double x, y;
        double expected; // NaN means NaN
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {0, 0, nan},
        {1, 0, inf},
        {-1, 0, -inf},
        {1, -0.0, inf},
        {-1, -0.0, -inf},
        {1e-300, 1e10, 0.0},
        {6, 3, 2},
        {nan, 1, nan},
        {1, nan, nan},
        {1e300, 1e-10, inf},
        {-1e300, 1e-10, -inf},
        {1e-310, 0.5, 2e-310},
        {3, 1e300, 3 / 1e300},
        {2.5e-308, 10, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " / " << c.y);
        double result = 0;
        SAFEDV(c.x, c.y, result);
        if (std::isnan(c.expected)) {
            EXPECT_TRUE(std::isnan(result));
        } else {
            EXPECT_EQ(result, c.expected);
        }
    }
}

TEST_F(MachineConstantsTest, IsnandAndVfill)
{
    EXPECT_TRUE(ISNAND(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(ISNAND(std::bit_cast<double>(std::uint64_t{0xFFF0000000000001})));
    EXPECT_FALSE(ISNAND(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(ISNAND(0.0));

    std::vector<double> x(20, -1.0);
    VFILL(5, 2.0, x.data(), 3);
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_EQ(x[i], (i % 3 == 0 && i < 15) ? 2.0 : -1.0) << i;
    }
    VFILL(0, 9.0, x.data(), 1);
    EXPECT_EQ(x[1], -1.0);
    VFILL(17, 4.0, x.data(), 1);
    EXPECT_EQ(x[16], 4.0);
    EXPECT_EQ(x[17], -1.0);
}

} // namespace
} // namespace numerics::test
