#include "toolkit/widgets/COXTextLabel.h"

#include "platform/framework/ControlIds.h"

#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

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
}

TEST(COXTextLabelTest, CreateWithoutVisibleStyleStaysHiddenAndNeedsAParent)
{
    QWidget bar;
    bar.show();
    auto* label = new COXTextLabel();
    ASSERT_TRUE(label->Create("Ready", 0, {0, 0, 50, 20}, &bar, 7));
    EXPECT_FALSE(label->isVisible());
    EXPECT_EQ(label->text(), QStringLiteral("Ready"));

    COXTextLabel orphan;
    EXPECT_FALSE(orphan.Create("x", COXTextLabel::WS_VISIBLE, {0, 0, 1, 1}, nullptr, 8));
}

TEST(COXTextLabelTest, BackgroundColourIsFilled)
{
    QWidget bar;
    auto* label = new COXTextLabel();
    ASSERT_TRUE(label->Create("", COXTextLabel::WS_VISIBLE, {0, 0, 40, 20}, &bar, 1650));
    label->SetBkColor(platform::framework::RGB(0x12, 0x34, 0x56), false);
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
    label->SetBkColor(platform::framework::RGB(255, 0, 0), true);
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 0, 0));
}

} // namespace
