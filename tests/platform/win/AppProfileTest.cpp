#include "platform/win/AppProfile.h"

#include "platform/win/Registry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace {

namespace profile = platform::win::app_profile;

// Each test works under a key of its own in the test's hive folder.
class AppProfileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(std::getenv("HARLUNE_REGISTRY_DIR"), nullptr);
        m_old = profile::registryKey();
        profile::setRegistryKey(
            "Software\\Test Maker\\" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }
    void TearDown() override { profile::setRegistryKey(m_old); }

private:
    std::string m_old;
};

TEST_F(AppProfileTest, ValuesRoundTripBySection)
{
    EXPECT_TRUE(profile::WriteProfileInt("Bars", "Count", -7));
    EXPECT_TRUE(profile::WriteProfileInt("Bars", "Max", INT_MAX));
    EXPECT_TRUE(profile::WriteProfileString("Bars", "Name", "General Functions"));
    EXPECT_TRUE(profile::WriteProfileBinary("Bars\\General", "State", {1, 0, 255, 0, 7}));
    EXPECT_TRUE(profile::WriteProfileBinary("Bars", "Empty", {}));
    EXPECT_EQ(profile::GetProfileInt("Bars", "Count", 0), -7);
    EXPECT_EQ(profile::GetProfileInt("Bars", "Max", 0), INT_MAX);
    EXPECT_EQ(profile::GetProfileString("Bars", "Name"), "General Functions");
    EXPECT_EQ(profile::GetProfileBinary("Bars\\General", "State"),
              (std::vector<uint8_t>{1, 0, 255, 0, 7}));
    EXPECT_EQ(profile::GetProfileBinary("Bars", "Empty"), std::vector<uint8_t>{});
    // Sections are sub-keys of the application's key.
    platform::win::HKEY key = 0;
    const std::string path = profile::registryKey() + "\\Bars\\General";
    ASSERT_EQ(platform::win::RegOpenKeyEx(platform::win::HKEY_CURRENT_USER, path.c_str(), 0,
                                          platform::win::KEY_READ, &key),
              0);
    platform::win::RegCloseKey(key);
}

TEST_F(AppProfileTest, MissingOrOtherKindsGiveTheDefault)
{
    profile::WriteProfileString("S", "Text", "12");
    profile::WriteProfileInt("S", "Number", 12);
    profile::WriteProfileBinary("S", "Bytes", {1, 2});
    struct Case
    {
        const char* entry;
        int32_t asInt;
        const char* asString;
        bool hasBinary;
    } cases[] = {
        {"Text", 5, "12", false},
        {"Number", 12, "dflt", false},
        {"Bytes", 5, "dflt", true},
        {"Missing", 5, "dflt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(profile::GetProfileInt("S", c.entry, 5), c.asInt);
        EXPECT_EQ(profile::GetProfileString("S", c.entry, "dflt"), c.asString);
        EXPECT_EQ(profile::GetProfileBinary("S", c.entry).has_value(), c.hasBinary);
    }
    EXPECT_EQ(profile::GetProfileInt("No Such Section", "x", -1), -1);
    // A binary value of four bytes is not an integer.
    profile::WriteProfileBinary("S", "Four", {1, 0, 0, 0});
    EXPECT_EQ(profile::GetProfileInt("S", "Four", 9), 9);
}

TEST_F(AppProfileTest, StringsEndAtTheirFirstNulAndEntriesCanBeDeleted)
{
    profile::WriteProfileString("S", "Line", std::string("a\0b", 3));
    EXPECT_EQ(profile::GetProfileString("S", "Line"), "a");
    const std::string long_(100000, 'x');
    profile::WriteProfileString("S", "Long", long_);
    EXPECT_EQ(profile::GetProfileString("S", "Long"), long_);
    EXPECT_TRUE(profile::deleteProfileEntry("S", "Long"));
    EXPECT_FALSE(profile::deleteProfileEntry("S", "Long"));
    EXPECT_EQ(profile::GetProfileString("S", "Long", "gone"), "gone");
}

TEST_F(AppProfileTest, TheKeyIsTrimmedOfBackslashes)
{
    profile::setRegistryKey("\\Software\\Trim\\");
    EXPECT_EQ(profile::registryKey(), "Software\\Trim");
    EXPECT_TRUE(profile::WriteProfileInt("", "Top", 3));
    EXPECT_EQ(profile::GetProfileInt("", "Top", 0), 3);
}

} // namespace
