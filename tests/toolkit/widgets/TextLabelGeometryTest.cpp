#include "toolkit/widgets/TextLabelGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace toolkit::widgets::textlabel;

// The search as first written: every step below the speed with every period, the first pair of
// the smallest shortfall kept.
ScrollStep transcribedSearch(int32_t speed, int32_t minPeriod)
{
    int32_t step = speed;
    int32_t period = 1000;
    if (speed > 1) {
        int32_t bestShortfall = INT32_MAX;
        int32_t bestStep = 0;
        int32_t bestPeriod = 0;
        for (int32_t s = 1; s < speed; ++s)
            for (int32_t p = minPeriod; p <= 999; ++p) {
                const int32_t reached = 1000 * s / p;
                if (reached <= speed && speed - reached < bestShortfall) {
                    bestShortfall = speed - reached;
                    bestStep = s;
                    bestPeriod = p;
                }
            }
        if (bestShortfall <= speed / 6) {
            step = bestStep;
            period = bestPeriod;
        }
    }
    return {step, period};
}

TEST(TextLabelGeometryTest, ScrollStepMatchesTheFullSearch)
{
    for (int32_t minPeriod : {10, 1, 37}) {
        for (int32_t speed = 0; speed <= 300; ++speed) {
            SCOPED_TRACE(testing::Message() << "speed " << speed << " min " << minPeriod);
            const ScrollStep expected = transcribedSearch(speed, minPeriod);
            const ScrollStep fast = chooseScrollStep(speed, minPeriod);
            EXPECT_EQ(fast.step, expected.step);
            EXPECT_EQ(fast.periodMs, expected.periodMs);
        }
    }
    for (int32_t speed : {997, 1000, 4099, 12345, 20000}) {
        SCOPED_TRACE(speed);
        const ScrollStep expected = chooseScrollStepBySearch(speed, 10);
        const ScrollStep fast = chooseScrollStep(speed, 10);
        EXPECT_EQ(fast.step, expected.step);
        EXPECT_EQ(fast.periodMs, expected.periodMs);
    }
}

TEST(TextLabelGeometryTest, ScrollStepEdgeCases)
{
    EXPECT_EQ(chooseScrollStep(60, 10).step, 2);
    EXPECT_EQ(chooseScrollStep(60, 10).periodMs, 33);
    EXPECT_EQ(chooseScrollStep(1, 10).step, 1);
    EXPECT_EQ(chooseScrollStep(1, 10).periodMs, 1000);
    EXPECT_EQ(chooseScrollStep(0, 10).periodMs, 1000);
    // Huge speeds: no overflow of 1000·s, and the speed reached stays at or below the wanted.
    for (int32_t speed : {10000000, 2147483647, 2200000}) {
        SCOPED_TRACE(speed);
        const ScrollStep chosen = chooseScrollStep(speed, 10);
        ASSERT_GT(chosen.periodMs, 0);
        const int64_t reached = 1000LL * chosen.step / chosen.periodMs;
        EXPECT_LE(reached, speed);
        EXPECT_GE(reached, speed - speed / 6);
    }
}

TEST(TextLabelGeometryTest, WrapOffsetInEachSector)
{
    // A 200 x 100 area: the diagonal is atan(0.5) = 26.57 degrees.
    const double w = 200;
    const double h = 100;
    const double rad = 0.017453292519444445;
    struct Case
    {
        int32_t degrees;
        double x;
        double y;
    } cases[] = {
        {10, -w, w * std::tan(10 * rad)},
        {60, -h / std::tan(60 * rad), h},
        {120, h / std::tan(3.14159265358979323846 - 120 * rad), h},
        {170, w, w * std::tan(3.14159265358979323846 - 170 * rad)},
        {190, w, -w * std::tan(190 * rad)},
        {250, h / std::tan(250 * rad), -h},
        {300, -h / std::tan(3.14159265358979323846 - 300 * rad), -h},
        {350, -w, -w * std::tan(3.14159265358979323846 - 350 * rad)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degrees);
        const PointF offset = wrapOffset(c.degrees, w, h);
        EXPECT_NEAR(offset.x, c.x, 1e-9);
        EXPECT_NEAR(offset.y, c.y, 1e-9);
    }
    // Travelling right, the second copy follows on the left; travelling up, it follows below.
    EXPECT_NEAR(wrapOffset(0, w, h).x, -w, 1e-9);
    EXPECT_NEAR(wrapOffset(90, w, h).y, h, 1e-9);
    EXPECT_NEAR(wrapOffset(90, w, h).x, 0, 1e-6);
}

TEST(TextLabelGeometryTest, TextCentreForTheSixAlignments)
{
    struct Case
    {
        int32_t horz;
        int32_t vert;
        double x;
        double y;
    } cases[] = {
        {0, 3, 20, 5},
        {1, 4, 100, 20},
        {2, 5, 200 - 20 - 0 - 1, 40 - 5 - 0 - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.horz << " " << c.vert);
        const PointF centre = textCentre(c.horz, c.vert, 0, 0, 200, 40, 40, 10);
        EXPECT_EQ(centre.x, c.x);
        EXPECT_EQ(centre.y, c.y);
    }
}

TEST(TextLabelGeometryTest, MeasureTurnsTheExtent)
{
    EXPECT_EQ(measureRotated(100, 20, 0, 2, 0, 2, 0).cx, 101 + 4);
    EXPECT_EQ(measureRotated(100, 20, 0, 2, 0, 2, 0).cy, 21);
    // 90 degrees swaps width and height.
    const Size upright = measureRotated(100, 20, 900, 0, 0, 0, 0);
    EXPECT_EQ(upright.cx, 21);
    EXPECT_EQ(upright.cy, 101);
    // 45 degrees: both are (100 + 20)·cos 45 plus the roundings.
    const Size diagonal = measureRotated(100, 20, 450, 0, 0, 0, 0);
    const double side = (100 + 20) * std::cos(45 * 0.017453292222222222);
    EXPECT_EQ(diagonal.cx, static_cast<int32_t>(100 * std::cos(0.7853981) + 0.5 +
                                                20 * std::sin(0.7853981) + 0.5 + 0.5));
    EXPECT_NEAR(diagonal.cx, side, 2);
    EXPECT_EQ(diagonal.cx, diagonal.cy);
}

TEST(TextLabelGeometryTest, FitTextModesWithAFixedWidthMeasurer)
{
    const auto fixed = [](const std::u32string& text) {
        return static_cast<int32_t>(text.size()) * 10;
    };
    const std::u32string text = U"abcdefghij"; // 100 pixels
    struct Case
    {
        int32_t mode;
        int32_t room;
        std::u32string shown;
    } cases[] = {
        {4, 80, U"...ghij"}, // 4 kept with 3 dots: 70 < 80
        {5, 80, U"ab...ij"},  {6, 80, U"abcd..."}, {7, 80, text},
        {6, 200, text},       {6, 30, U"..."}, // nothing fits: the dots alone
        {5, 81, U"ab...hij"},                  // odd kept count: the right half has the extra one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.room);
        EXPECT_EQ(fitText(text, c.room, c.mode, fixed), c.shown);
    }
    // The bisection gives what dropping one character at a time gives.
    for (int32_t room = 0; room < 120; room += 7)
        for (int32_t mode = 4; mode <= 6; ++mode) {
            std::u32string shown = text;
            std::size_t keep = text.size();
            while (keep > 0 && fixed(shown) >= room)
                shown = ellipsisText(text, --keep, mode);
            EXPECT_EQ(fitText(text, room, mode, fixed), shown) << room << " " << mode;
        }
}

TEST(TextLabelGeometryTest, FitRoomLosesTheTurnedPart)
{
    EXPECT_EQ(fitRoom(400, 0), 400);
    EXPECT_EQ(fitRoom(400, 900), 300);
    EXPECT_EQ(fitRoom(400, 300), 400 - static_cast<int>(std::sin(30 * 0.017453292519444445) * 100));
}

} // namespace
