#include "toolkit/widgets/COXTextLabel.h"

#include "platform/framework/ControlIds.h"
#include "platform/win/Clock.h"
#include "platform/win/ManualClock.h"
#include "platform/win/Timers.h"
#include "toolkit/widgets/SystemColors.h"

#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

#include <climits>

namespace {

namespace fw = platform::framework;
using toolkit::widgets::CLR_NONE;

// A shown label of 400 x 60 on its own parent.
struct LabelFixture : ::testing::Test
{
    void SetUp() override
    {
        parent.resize(500, 100);
        parent.show();
        label = new COXTextLabel(0, COXTextLabel::GM_COMPATIBLE, 1, 4);
        ASSERT_TRUE(label->Create("", COXTextLabel::WS_VISIBLE, {0, 0, 400, 60}, &parent, 1650));
    }
    QWidget parent;
    COXTextLabel* label = nullptr;
};

struct PixelBox
{
    int left = INT_MAX;
    int top = INT_MAX;
    int right = -1;
    int bottom = -1;
    int count = 0;
};

PixelBox pixelsOf(const QImage& image, QRgb colour)
{
    PixelBox box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xFF000000) == (colour | 0xFF000000) &&
                qAlpha(image.pixel(x, y)) == 255) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
                ++box.count;
            }
    return box;
}

TEST(COXTextLabelTest, CreatePlacesTheLabelWithItsIdOnTheParent)
{
    QWidget bar;
    bar.resize(800, 50);
    bar.show();
    auto* label = new COXTextLabel();
    ASSERT_TRUE(label->Create("", COXTextLabel::WS_VISIBLE, {589, 5, 774, 45}, &bar, 1650));
    EXPECT_EQ(label->parentWidget(), &bar);
    EXPECT_EQ(label->geometry(), QRect(589, 5, 185, 40));
    EXPECT_EQ(platform::framework::GetDlgItem(&bar, 1650), label);
    EXPECT_TRUE(label->isVisible());
    EXPECT_TRUE(label->text().isEmpty());
    EXPECT_TRUE(label->GetText().empty());
}

TEST(COXTextLabelTest, CreateWithoutVisibleStyleStaysHiddenAndNeedsAParent)
{
    QWidget bar;
    bar.show();
    auto* label = new COXTextLabel();
    ASSERT_TRUE(label->Create("Ready", 0, {0, 0, 50, 20}, &bar, 7));
    EXPECT_FALSE(label->isVisible());
    EXPECT_EQ(label->text(), QStringLiteral("Ready"));
    // The window text is what the label shows while no text was set.
    EXPECT_EQ(label->GetText(), "Ready");

    COXTextLabel orphan;
    EXPECT_FALSE(orphan.Create("x", COXTextLabel::WS_VISIBLE, {0, 0, 1, 1}, nullptr, 8));
}

TEST(COXTextLabelTest, CreateMasksTheStyleAndHonoursBorderAndDisabled)
{
    QWidget bar;
    bar.show();
    auto* label = new COXTextLabel();
    ASSERT_TRUE(label->Create("x", 0xFFFFFFFF, {0, 0, 50, 20}, &bar, 9));
    EXPECT_EQ(label->GetStyle(), 0x58800000u);
    EXPECT_FALSE(label->isEnabled());
    EXPECT_EQ(label->contentsRect(), QRect(1, 1, 48, 18));
    const QImage shown = label->renderToImage();
    EXPECT_EQ(QColor(shown.pixel(0, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(shown.pixel(49, 19)), QColor(Qt::black));
}

TEST(COXTextLabelTest, BackgroundColourIsFilled)
{
    QWidget bar;
    auto* label = new COXTextLabel();
    ASSERT_TRUE(label->Create("", COXTextLabel::WS_VISIBLE, {0, 0, 40, 20}, &bar, 1650));
    EXPECT_TRUE(label->SetBkColor(platform::framework::RGB(0x12, 0x34, 0x56), false));
    EXPECT_EQ(label->GetBkColor(), platform::framework::RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(QColor(label->renderToImage().pixel(1, 1)), QColor(0x12, 0x34, 0x56));
    label->SetBkColor(platform::framework::RGB(255, 0, 0), true);
    EXPECT_EQ(QColor(label->renderToImage().pixel(1, 1)), QColor(255, 0, 0));
}

TEST_F(LabelFixture, AlignmentsOutsideTheirRangesAreRefused)
{
    for (int32_t bad : {-1, 3, INT_MIN, INT_MAX}) {
        EXPECT_FALSE(label->SetHorzAlignment(bad));
        EXPECT_EQ(label->GetHorzAlignment(), 1);
    }
    for (int32_t bad : {2, 6, INT_MIN, INT_MAX}) {
        EXPECT_FALSE(label->SetVertAlignment(bad));
        EXPECT_EQ(label->GetVertAlignment(), 4);
    }
    EXPECT_TRUE(label->SetHorzAlignment(0));
    EXPECT_TRUE(label->SetVertAlignment(5));
    EXPECT_EQ(label->textCentre().x, label->bitmapSize().cx / 2);
}

TEST_F(LabelFixture, DepthFrom0To100)
{
    label->SetText("Depth");
    const fw::SIZE flat = label->bitmapSize();
    EXPECT_FALSE(label->SetDepth(101));
    EXPECT_FALSE(label->SetDepth(-1));
    EXPECT_FALSE(label->SetDepth(INT_MIN));
    EXPECT_EQ(label->GetDepth(), 0);
    EXPECT_TRUE(label->SetDepth(100));
    EXPECT_EQ(label->bitmapSize().cx, flat.cx + 100);
    EXPECT_EQ(label->bitmapSize().cy, flat.cy + 100);
}

TEST_F(LabelFixture, FaceNamesMustFitTheFaceFieldWhole)
{
    const std::string before = label->GetFontName();
    struct Case
    {
        const char* name;
        std::string face;
        bool accepted;
    } cases[] = {
        {"32 characters", std::string(32, 'A'), false},
        {"31 characters", std::string(31, 'B'), true},
        {"20 two-byte characters",
         [] {
             std::string s;
             for (int i = 0; i < 20; ++i)
                 s += "\xC3\xA9";
             return s;
         }(),
         false},
        {"embedded NUL", std::string("Ari\0al", 6), false},
        {"invalid UTF-8",
         "Ari\xFF"
         "al",
         false},
        {"empty", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(label->SetFontName(before));
        EXPECT_EQ(label->SetFontName(c.face), c.accepted);
        EXPECT_EQ(label->GetFontName(), c.accepted ? c.face : before);
    }
}

TEST_F(LabelFixture, EllipsisModeToggles)
{
    EXPECT_EQ(label->GetEllipsisMode(), 7);
    label->SetEllipsisMode(6);
    EXPECT_EQ(label->GetEllipsisMode(), 6);
    label->SetEllipsisMode(6);
    EXPECT_EQ(label->GetEllipsisMode(), 7);
    label->SetEllipsisMode(6);
    label->SetText(std::string(500, 'W'));
    const std::string shown = label->GetDisplayText();
    EXPECT_LT(shown.size(), 500u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_LE(label->bitmapSize().cx, 400);
}

TEST_F(LabelFixture, DirectionsWrapToADegreeOfTheCircle)
{
    label->SetScrollDirection(-90);
    EXPECT_EQ(label->GetScrollDirection(), 270);
    label->SetScrollDirection(720);
    EXPECT_EQ(label->GetScrollDirection(), 0);
    label->SetScrollDirection(INT_MIN);
    EXPECT_GE(label->GetScrollDirection(), 0);
    EXPECT_LT(label->GetScrollDirection(), 360);
}

TEST_F(LabelFixture, MinimumPeriodAndSpeed)
{
    EXPECT_FALSE(label->SetMinTimerPeriod(0));
    EXPECT_FALSE(label->SetMinTimerPeriod(501));
    EXPECT_FALSE(label->SetMinTimerPeriod(10));
    EXPECT_FALSE(label->SetMinTimerPeriod(-5));
    EXPECT_EQ(label->GetMinTimerPeriod(), 10);
    label->SetScrollSpeed(60);
    EXPECT_EQ(label->GetScrollStep(), 2);
    EXPECT_EQ(label->GetScrollPeriod(), 33);
    label->SetScrollSpeed(1);
    EXPECT_EQ(label->GetScrollStep(), 1);
    EXPECT_EQ(label->GetScrollPeriod(), 1000);
    label->SetScrollSpeed(-7);
    EXPECT_EQ(label->GetScrollSpeed(), 0);
    // A new minimum chooses again for the speed in force.
    label->SetScrollSpeed(60);
    EXPECT_TRUE(label->SetMinTimerPeriod(40));
    EXPECT_GE(label->GetScrollPeriod(), 40);
}

TEST_F(LabelFixture, NoRedrawRendersNothingUntilAskedResizedOrMoved)
{
    const int renders = label->renderCount();
    label->SetText("Later", false);
    label->SetTextColor(fw::RGB(1, 2, 3), false);
    label->SetFontHeight(-30, false);
    EXPECT_EQ(label->renderCount(), renders);
    label->SetBkColor(fw::RGB(9, 9, 9), true);
    EXPECT_EQ(label->renderCount(), renders + 1);
    EXPECT_EQ(label->GetDisplayText(), "Later");

    label->SetText("Resized", false);
    label->resize(300, 60);
    EXPECT_EQ(label->renderCount(), renders + 2);
}

TEST_F(LabelFixture, ShadowTrailsUpAndLeftOfTheFace)
{
    label->SetBkColor(fw::RGB(255, 255, 255), false);
    label->SetTextColor(fw::RGB(200, 0, 0), false);
    label->SetFontHeight(-40, false);
    label->SetFontAttribute(0, 1, false);
    label->SetDepth(4, false);
    ASSERT_TRUE(label->SetText("IH"));
    const QImage bitmap = label->textBitmap();
    const PixelBox face = pixelsOf(bitmap, qRgb(200, 0, 0));
    const PixelBox shadow = pixelsOf(bitmap, qRgb(100, 0, 0));
    ASSERT_GT(face.count, 0);
    ASSERT_GT(shadow.count, 0);
    EXPECT_EQ(face.left - shadow.left, 4);
    EXPECT_EQ(face.top - shadow.top, 4);
}

TEST_F(LabelFixture, EmbossedEdgesLieOnEitherSide)
{
    label->SetBkColor(fw::RGB(0, 0, 255), false);
    label->SetTextColor(fw::RGB(0, 0, 0), false);
    label->SetFontHeight(-40, false);
    label->SetFontAttribute(0, 1, false);
    ASSERT_TRUE(label->SetEmboss(true, true, false, fw::RGB(0, 255, 0), fw::RGB(255, 255, 0)));
    ASSERT_TRUE(label->SetText("IH"));
    const QImage bitmap = label->textBitmap();
    const PixelBox face = pixelsOf(bitmap, qRgb(0, 0, 0));
    const PixelBox light = pixelsOf(bitmap, qRgb(0, 255, 0));
    const PixelBox dark = pixelsOf(bitmap, qRgb(255, 255, 0));
    ASSERT_GT(light.count, 0);
    ASSERT_GT(dark.count, 0);
    EXPECT_EQ(light.left, face.left - 1);
    EXPECT_EQ(light.top, face.top - 1);
    EXPECT_EQ(dark.right, face.right + 1);
    EXPECT_EQ(dark.bottom, face.bottom + 1);
    // Sunken swaps the two sides.
    label->SetEmboss(true, false, true, fw::RGB(0, 255, 0), fw::RGB(255, 255, 0));
    EXPECT_EQ(pixelsOf(label->textBitmap(), qRgb(255, 255, 0)).left, face.left - 1);
}

TEST_F(LabelFixture, NoBackgroundFillsNothing)
{
    label->SetText("x", false);
    ASSERT_TRUE(label->SetBkColor(CLR_NONE));
    const QImage shown = label->renderToImage();
    EXPECT_EQ(qAlpha(shown.pixel(2, 2)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(397, 57)), 0);
}

TEST_F(LabelFixture, AngleComesFromEscapementOrOrientationByGraphicsMode)
{
    label->SetText("A wide text");
    const fw::SIZE upright = label->bitmapSize();
    ASSERT_GT(upright.cx, upright.cy);
    label->SetFontEscapement(900);
    EXPECT_LT(label->bitmapSize().cx, label->bitmapSize().cy);
    label->SetGraphicsMode(COXTextLabel::GM_ADVANCED);
    EXPECT_EQ(label->bitmapSize().cx, upright.cx);
    label->SetFontOrientation(900);
    EXPECT_LT(label->bitmapSize().cx, label->bitmapSize().cy);
    // At 45 degrees both sides are alike but for the left and right margins of 2.
    label->SetFontOrientation(450);
    EXPECT_NEAR(label->bitmapSize().cx - 4, label->bitmapSize().cy, 1);
}

TEST_F(LabelFixture, PaintTimeCheckOnAManualClock)
{
    auto clock = std::make_shared<platform::win::ManualClock>(std::chrono::seconds(5));
    platform::win::setClock(clock);
    label->SetText("Timed");
    EXPECT_FALSE(label->timingArmed());
    // Paints that take no time on the clock arm the check and render nothing.
    const uint32_t now = platform::win::GetTickCount();
    EXPECT_FALSE(label->notePaintTime(now, platform::win::GetTickCount()));
    EXPECT_TRUE(label->timingArmed());
    EXPECT_EQ(label->lastPaintTime(), 0u);
    const int renders = label->renderCount();
    struct Step
    {
        uint32_t duration;
        bool refreshed;
    } steps[] = {{10, true}, {10, false}, {15, false}, {40, true}, {40, false}, {20, true}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.duration);
        EXPECT_EQ(label->notePaintTime(1000, 1000 + s.duration), s.refreshed);
    }
    EXPECT_EQ(label->renderCount(), renders + 3);
    platform::win::setClock(nullptr);
}

TEST_F(LabelFixture, ScrollStepsAndWrapsRound)
{
    label->SetText("Go");
    label->SetScrollSpeed(1000);
    label->SetScrollDirection(0);
    const double step = label->stepOffset().x;
    ASSERT_GT(step, 0);
    const auto start = label->textCentre();
    EXPECT_TRUE(label->scrollStep());
    EXPECT_DOUBLE_EQ(label->textCentre().x, start.x + step);
    // Far enough to the right, the text comes back from the left.
    for (int i = 0; i < 10000 && label->textCentre().x >= start.x; ++i)
        label->scrollStep();
    EXPECT_LT(label->textCentre().x, start.x);
    label->StartScrolling(true);
    EXPECT_TRUE(label->IsScrolling());
    label->StartScrolling(false);
    EXPECT_FALSE(label->IsScrolling());
}

TEST_F(LabelFixture, BadInputIsRefusedOrClamped)
{
    for (int32_t height : {0, INT_MIN, 100000, INT_MAX}) {
        SCOPED_TRACE(height);
        label->SetFontHeight(height);
        label->SetText("Height");
        label->repaint();
    }
    label->SetFontHeight(-12);
    // A text whose image cannot be made leaves the label without one.
    EXPECT_FALSE(label->SetText(std::string(1000000, 'M')));
    EXPECT_FALSE(label->hasTextBitmap());
    label->repaint();
    EXPECT_TRUE(label->SetText("Back"));
    EXPECT_TRUE(label->hasTextBitmap());
    platform::qt::LOGFONT font{};
    font.lfHeight = INT_MIN;
    std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), 'Z');
    EXPECT_TRUE(label->SetLogFont(&font));
    EXPECT_EQ(label->GetFontName().size(), 31u);
    EXPECT_FALSE(label->SetLogFont(nullptr));
    EXPECT_FALSE(label->SetFontAttribute(9, 1));
    label->SetScrollGap({INT_MAX, INT_MIN});
    label->SetTextMargins({INT_MIN, INT_MAX, INT_MIN, INT_MAX});
    label->SetScrollSpeed(INT_MAX);
    label->SetScrollDirection(INT_MAX);
    label->scrollStep();
    label->repaint();
}

TEST_F(LabelFixture, EdgesAreFlagsTheLabelDraws)
{
    EXPECT_TRUE(label->SetDottedEdge(true));
    EXPECT_TRUE(label->GetDottedEdge());
    EXPECT_NE(label->GetStyle() & COXTextLabel::WS_BORDER, 0u);
    const QImage dotted = label->renderToImage();
    // A dotted line: some of the top edge's pixels are black, not all of them.
    int black = 0;
    for (int x = 10; x < 40; ++x)
        black += dotted.pixel(x, 0) == qRgb(0, 0, 0) ? 1 : 0;
    EXPECT_GT(black, 5);
    EXPECT_LT(black, 25);
    EXPECT_TRUE(label->SetClientEdge(true));
    EXPECT_FALSE(label->GetDottedEdge());
    EXPECT_EQ(label->GetExStyle(), COXTextLabel::WS_EX_CLIENTEDGE);
    EXPECT_EQ(label->contentsRect().left(), 3);
    EXPECT_TRUE(label->SetStaticEdge(true));
    EXPECT_EQ(label->GetExStyle(), COXTextLabel::WS_EX_STATICEDGE);
    EXPECT_TRUE(label->SetPlainBorder(false));
    EXPECT_EQ(label->GetStyle() & COXTextLabel::WS_BORDER, 0u);
}

} // namespace
