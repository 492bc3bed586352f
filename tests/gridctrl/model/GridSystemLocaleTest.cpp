// Runs with the user's locale set to de_DE.UTF-8 (decimal separator ","), both for Qt's
// system locale and for the C library's process locale.
#include "gridctrl/model/GridCellInfo.h"
#include "gridctrl/model/GridSystem.h"
#include "tests/gridctrl/model/FakeGridSystem.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace gridctrl::model {
namespace {

TEST(GridSystemLocale, DefaultProviderUsesTheUsersSeparator)
{
    EXPECT_EQ(userDecimalSeparator(), ",");
    CGridCellInfo cell;
    EXPECT_STREQ(cell.decimalSeparator(), ",");
    cell.SetPrecision(3);
    cell.SetNumber(2.5);
    EXPECT_STREQ(cell.GetTextPtr(), "2,500");
    CGridCellInfo typed;
    typed.SetText("2,500");
    EXPECT_DOUBLE_EQ(typed.GetNumber(), 2.5);
    typed.SetText("-0.75");
    EXPECT_DOUBLE_EQ(typed.GetNumber(), -0.75);
}

TEST(GridSystemLocale, DatesUseTheUsersFormat)
{
    CGridCellInfo cell;
    ASSERT_EQ(cell.SetDateTime(7, 5, 21, 9, 12, 2026), 0);
    EXPECT_STREQ(cell.GetTextPtr(), "09.12.2026 21:05:07");
    int s, mi, h, d, mo, y;
    ASSERT_EQ(cell.GetDateTime(s, mi, h, d, mo, y), 0);
    EXPECT_EQ(y * 10000 + mo * 100 + d, 20261209);
    EXPECT_EQ(h * 10000 + mi * 100 + s, 210507);
}

TEST(GridSystemLocale, ConversionsDoNotFollowTheProcessLocale)
{
    // The process locale has "," too; a provider with the "C" locale must still give ".".
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    test::FakeGridSystem c(QLocale::c());
    ScopedGridSystem scope(c);
    CGridCellInfo cell;
    cell.SetPrecision(2);
    cell.SetNumber(1234.5);
    EXPECT_STREQ(cell.GetTextPtr(), "1234.50");
    cell.SetText("3.25");
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 3.25);
}

} // namespace
} // namespace gridctrl::model

int main(int argc, char** argv)
{
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        std::fputs("de_DE.UTF-8 is not installed (scripts/setup-deps generates it)\n", stderr);
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
