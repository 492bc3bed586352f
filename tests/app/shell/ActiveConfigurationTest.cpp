#include "app/shell/ActiveConfiguration.h"

#include "app/shell/INIFileSupport.h"
#include "platform/win/Registry.h"

#include <gtest/gtest.h>

#include <string>

namespace win = platform::win;

namespace {

constexpr const char* kParameters = "Configuration\\Morvel\\Parameters";

bool parametersKeyExists()
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE,
                          "Software\\Varnholt Software\\Harlune\\Configuration\\Morvel\\Parameters",
                          0, win::KEY_READ, &key) != 0)
        return false;
    win::RegCloseKey(key);
    return true;
}

class ActiveConfigurationTest : public ::testing::Test
{
protected:
    ActiveConfigurationTest()
    {
        win::RegDeleteTree(win::HKEY_LOCAL_MACHINE, "Software\\Varnholt Software\\Harlune");
    }
};

TEST_F(ActiveConfigurationTest, OtherConfigurationsReadAndWriteNothing)
{
    for (const char* name : {"", "Standard", "morvel"}) {
        SCOPED_TRACE(name);
        if (*name) {
            CINIFileSupport store(nullptr, 1);
            store.WriteString("Configuration", "ActiveConfiguration", name);
        }
        {
            CActiveConfiguration configuration;
            EXPECT_EQ(configuration.name(), *name ? name : "Standard");
            EXPECT_EQ(configuration.GetLowerIntegrationTimeLimit(), 0);
            EXPECT_EQ(configuration.lastDarkFilename(), "");
            EXPECT_EQ(configuration.GetInGatedMode(), 0);
            configuration.SetLowerIntegrationTimeLimit(50);
        }
        EXPECT_FALSE(parametersKeyExists());
    }
}

TEST_F(ActiveConfigurationTest, MorvelParametersAreReadAndWrittenBack)
{
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Configuration", "ActiveConfiguration", "Morvel");
    }
    {
        // Nothing stored yet: the defaults, written back at the end.
        CActiveConfiguration configuration;
        EXPECT_EQ(configuration.lastDarkFilename(), "0");
        EXPECT_EQ(configuration.lastReferenceFilename(), "0");
        EXPECT_EQ(configuration.GetLowerIntegrationTimeLimit(), 10);
        EXPECT_EQ(configuration.GetInGatedMode(), 0);
    }
    {
        CINIFileSupport store(nullptr, 1);
        EXPECT_EQ(store.GetStringDefault(kParameters, "LowerIntegrationTimeLimit", "?"), "10");
        EXPECT_EQ(store.GetStringDefault(kParameters, "LastDarkFilename", "?"), "0");
    }
    {
        CActiveConfiguration configuration;
        configuration.SetLastDarkFilename("/data/dark.spec");
        configuration.SetLastReferenceFilename("/data/reference.spec");
        configuration.SetLowerIntegrationTimeLimit(3);
        configuration.SetInGatedMode(1);
    }
    CActiveConfiguration configuration;
    EXPECT_EQ(configuration.lastDarkFilename(), "/data/dark.spec");
    EXPECT_EQ(configuration.lastReferenceFilename(), "/data/reference.spec");
    EXPECT_EQ(configuration.GetLowerIntegrationTimeLimit(), 3);
    EXPECT_EQ(configuration.GetInGatedMode(), 1);

    // Copies into a caller's buffer are cut and terminated.
    char small[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    configuration.GetLastDarkFilename(small, sizeof(small));
    EXPECT_EQ(std::string(small), "/data");
    char whole[64] = {};
    configuration.GetLastReferenceFilename(whole, sizeof(whole));
    EXPECT_EQ(std::string(whole), "/data/reference.spec");
}

} // namespace
