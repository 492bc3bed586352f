#include "toolkit/widgets/COXBitmapButton.h"

#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

namespace {

// A 4x2 bitmap whose left half is magenta (the usual transparent colour) and right half blue.
QImage twoColourBitmap()
{
    QImage image(4, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixelColor(x, y, x < 2 ? QColor(255, 0, 255) : QColor(0, 0, 255));
    return image;
}

class COXBitmapButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        COXBitmapButton::setBitmapSource(
            [](unsigned id) { return id == 238 ? twoColourBitmap() : QImage(); });
    }
    void TearDown() override { COXBitmapButton::setBitmapSource({}); }
};

TEST_F(COXBitmapButtonTest, MaskColourBecomesTransparentAndSizeIsKept)
{
    COXBitmapButton button;
    button.resize(89, 40);
    ASSERT_TRUE(button.LoadBitmap(238, false, 0xFF00FF));
    EXPECT_EQ(button.size(), QSize(89, 40));
    const QImage shown = button.icon().pixmap(QSize(4, 2)).toImage();
    ASSERT_EQ(shown.size(), QSize(4, 2));
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(3, 1)), 255);
    EXPECT_EQ(QColor(shown.pixel(3, 1)), QColor(0, 0, 255));
}

TEST_F(COXBitmapButtonTest, WithoutMaskEveryPixelIsOpaque)
{
    COXBitmapButton button;
    ASSERT_TRUE(button.LoadBitmap(238, false));
    const QImage shown = button.icon().pixmap(QSize(4, 2)).toImage();
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 255);
}

TEST_F(COXBitmapButtonTest, MissingResourceFailsAndDropsTheOldImage)
{
    COXBitmapButton button;
    ASSERT_TRUE(button.LoadBitmap(238, false, 0xFF00FF));
    EXPECT_FALSE(button.LoadBitmap(9999, false, 0xFF00FF));
    EXPECT_TRUE(button.icon().isNull());
}

TEST_F(COXBitmapButtonTest, ToolTipIsTheSecondLineOfTheWindowText)
{
    struct Case
    {
        const char* name;
        const char* text;
        bool enable;
        const char* shown;
        const char* tip;
    } cases[] = {
        {"two lines, enabled", "Scan\nSingle Exposure", true, "Scan", "Single Exposure"},
        {"two lines, disabled", "Scan\nSingle Exposure", false, "Scan", ""},
        {"one line", "Scan", true, "Scan", ""},
        {"tip only", "\nStore Reference", true, "", "Store Reference"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        COXBitmapButton button;
        button.SetWindowText(c.text);
        button.EnableToolTip(c.enable);
        EXPECT_EQ(button.IsToolTipEnabled(), c.enable);
        EXPECT_EQ(button.text(), QString::fromUtf8(c.shown));
        EXPECT_EQ(button.toolTip(), QString::fromUtf8(c.tip));
        EXPECT_EQ(button.GetWindowText(), c.text);
    }
}

TEST_F(COXBitmapButtonTest, ToolTipFollowsLaterTextAndCanBeSwitchedOff)
{
    COXBitmapButton button;
    button.EnableToolTip(true);
    button.SetWindowText("Absorbance\nAbsorbance Mode");
    EXPECT_EQ(button.toolTip(), QStringLiteral("Absorbance Mode"));
    button.EnableToolTip(false);
    EXPECT_TRUE(button.toolTip().isEmpty());
}

TEST_F(COXBitmapButtonTest, FlatLookSwitches)
{
    COXBitmapButton button;
    EXPECT_FALSE(button.GetFlatLook());
    button.SetFlatLook(true);
    EXPECT_TRUE(button.GetFlatLook());
    button.SetFlatLook(false);
    EXPECT_FALSE(button.GetFlatLook());
}

} // namespace
