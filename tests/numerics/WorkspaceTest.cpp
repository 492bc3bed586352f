#include "numerics/Workspace.h"

#include "tests/numerics/NumericsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

// Some cases ask for more memory than any machine has, to see the refusal reported; under
// AddressSanitizer such a request must return null as it does without it.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace numerics::test {
namespace {

class WorkspaceTest : public NumericsTest
{
protected:
    static double guardAt(const void* at)
    {
        double value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
};

TEST_F(WorkspaceTest, BlockLayoutByTypeCode)
{
    struct Case
    {
        std::int32_t typeCode;
        std::size_t n;
        double u; // block length in elements
        std::size_t elementSize;
    };
    const Case cases[] = {
        {-3, 0, 6, 4},  {-3, 5, 12, 4}, {-2, 4, 10, 4}, {-1, 1, 32, 1},
        {-1, 9, 40, 1}, {1, 8, 32, 1},  {2, 5, 20, 2},  {4, 3, 10, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.typeCode << " " << c.n);
        auto* data = static_cast<unsigned char*>(IEMORM(c.n, c.typeCode));
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(guardAt(data - 8), -c.u);
        const auto bytes = static_cast<std::size_t>(c.u) * c.elementSize;
        EXPECT_EQ(guardAt(data - 8 + bytes - 8), -c.u);
        // Spare room: the elements plus at least one word before the back guard.
        EXPECT_GE(bytes - 16, c.n * c.elementSize + 8);
        std::memset(data, 0x5A, c.n * c.elementSize + 8);
        IEGFRE(data, c.typeCode);
        EXPECT_EQ(takeOutput(), "");
    }
}

TEST_F(WorkspaceTest, RefusedTypeCodeStopsWithItsNumber)
{
    for (const std::int32_t code : {-4, 3, 0, 8}) {
        SCOPED_TRACE(code);
        EXPECT_THROW(IEMORM(10, code), NumericsStop);
        EXPECT_EQ(takeOutput(), "\n *** TERMINAL ERROR 1 from IEMORM.  Illegal data type, " +
                                    std::to_string(code) + ".\n");
    }
}

TEST_F(WorkspaceTest, DamagedGuardIsReported)
{
    struct Case
    {
        const char* name;
        std::ptrdiff_t offset; // from the first data element
    };
    // n = 4 reals: u = 10, 40 bytes; data 8..31 of the block, spare 24..31, back guard 32..39.
    const Case cases[] = {{"BackGuard", 24}, {"FrontGuard", -8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* data = static_cast<unsigned char*>(IEMORM(4, -3));
        ASSERT_NE(data, nullptr);
        data[c.offset + 3] ^= 0xFF;
        EXPECT_THROW(IEGFRE(data, -3), NumericsStop);
        EXPECT_EQ(takeOutput(),
                  "\n *** TERMINAL ERROR 1 from IEGFRE.  Memory has been corrupted.\n");
        // A damaged block is kept (the heap around it may be damaged too); repaired, it is
        // released.
        data[c.offset + 3] ^= 0xFF;
        IEGFRE(data, -3);
    }
}

TEST_F(WorkspaceTest, WrongAddressOrTypeIsReportedNotFollowed)
{
    double local[4] = {};
    EXPECT_THROW(IEGFRE(&local[2], -3), NumericsStop);
    auto* data = IEMORM(4, -3);
    // Released as 8-byte elements the back guard would lie outside the block.
    EXPECT_THROW(IEGFRE(data, -4), NumericsStop);
    takeOutput();
    IEGFRE(data, -2); // the same element size: fine
    EXPECT_EQ(takeOutput(), "");
    IEGFRE(nullptr, -3);
}

TEST_F(WorkspaceTest, TooLargeRequestGivesNull)
{
    EXPECT_EQ(IEMORM(std::numeric_limits<std::size_t>::max(), -3), nullptr);
    EXPECT_EQ(IEMORM(std::numeric_limits<std::size_t>::max() / 4, -1), nullptr);
    WorkspaceArray<double> huge(std::numeric_limits<std::size_t>::max() / 2);
    EXPECT_FALSE(huge);
}

TEST_F(WorkspaceTest, ArrayIsReleasedAlsoWhenAStopUnwinds)
{
    {
        WorkspaceArray<double> doubles(100);
        WorkspaceArray<std::int32_t> integers(7);
        ASSERT_TRUE(doubles);
        ASSERT_TRUE(integers);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(doubles.data()) % alignof(double), 0u);
        for (int i = 0; i < 100; ++i) {
            doubles.data()[i] = i;
        }
        integers.data()[6] = 1;
    }
    EXPECT_EQ(takeOutput(), "");
    try {
        WorkspaceArray<double> doubles(10);
        E1PSH("dA");
        E1MES(kTerminal, 1, "Stop.");
        E1POP("dA");
    } catch (const NumericsStop&) {
    }
    EXPECT_EQ(N1RTY(0), kTerminal);
}

} // namespace
} // namespace numerics::test
