#include "platform/win/ModuleName.h"

#include <gtest/gtest.h>

#include <string_view>

TEST(PlatformWin, NamesItself)
{
    EXPECT_EQ(std::string_view(platform::win::moduleName()), "platform_win");
}
