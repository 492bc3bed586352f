#include "gridctrl/model/GridScrollMath.h"

#include <gtest/gtest.h>

#include <climits>

namespace gridctrl::model {
namespace {

TEST(GridScrollMath, VerticalBarAboveAThousandRows)
{
    const GridVScrollSetup big = vScrollSetup(99990, 2, 0, 400, 20, 0);
    EXPECT_EQ(big.minimum, 0);
    EXPECT_EQ(big.maximum, 1000);
    EXPECT_EQ(thumbRow(500, big.positionToRow, 2), 49995 + 2);
    EXPECT_EQ(vScrollSetup(99990, 2, 0, 400, 20, 49995).position, 500);
    const GridVScrollSetup spin = vScrollSetup(99990, 0, 2, 400, 20, 7);
    EXPECT_EQ(spin.maximum, 2);
    EXPECT_EQ(spin.position, 1);
    const GridVScrollSetup small = vScrollSetup(80, 1, 0, 400, 20, 5);
    EXPECT_EQ(small.page, 20);
    EXPECT_EQ(small.minimum, 1);
    EXPECT_EQ(small.maximum, 99);
    EXPECT_EQ(small.position, 5);
    EXPECT_EQ(vScrollSetup(80, 0, 0, 400, 0, 0).page, 400); // row height raised to 1
}

TEST(GridScrollMath, Wheel)
{
    struct Case
    {
        const char* name;
        std::vector<long> deltas;
        std::vector<int> rows;
    } cases[] = {
        {"one notch up", {120}, {-3}},
        {"one notch down", {-120}, {3}},
        {"a lone half notch", {60}, {0}},
        {"two half notches", {60, 60}, {0, -3}},
        {"fine wheel", {30, 30, 30, 30, 30}, {0, 0, 0, -3, 0}},
        {"back and forth", {60, -60, 60}, {0, 0, 0}},
        {"huge", {LONG_MAX}, {-3000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GridWheelAccumulator wheel;
        for (std::size_t i = 0; i < c.deltas.size(); ++i) {
            EXPECT_EQ(wheel.add(c.deltas[i]), c.rows[i]);
        }
    }
}

TEST(GridScrollMath, KeyAccelerationSteps)
{
    struct Case
    {
        int count;
        int k;
        int step;
    } cases[] = {{5, 0, 1},
                 {1, 4, 1},
                 {3, 4, 1},
                 {4, 4, 2},
                 {8, 4, 9},
                 {12, 4, 28},
                 {1000000, 1, 100000},
                 {INT_MAX, 1, 100000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(keyAccelerationStep(c.count, c.k), c.step);
    }
}

TEST(GridScrollMath, BallisticSteps)
{
    struct Case
    {
        int mode;
        int distance;
        int step;
    } cases[] = {{0, 500, 1}, {1, 10, 1},   {1, 75, 2},
                 {2, 150, 9}, {3, 150, 27}, {3, 1 << 30, 100000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(ballisticStep(c.mode, c.distance, 75), c.step);
    }
}

} // namespace
} // namespace gridctrl::model
