#include "app/shell/DriverLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Reports
{
    std::vector<std::string> messages;
    DriverLibrary::Report sink()
    {
        return [this](const std::string& message) { messages.push_back(message); };
    }
};

TEST(DriverLibraryTest, MissingLibraryAnswersNeutrallyAndSaysSoOnce)
{
    Reports reports;
    DriverLibrary driver("libNoSuchDriverLibrary.so", reports.sink());
    // Nothing is opened before the first call.
    EXPECT_FALSE(driver.isLoaded());
    EXPECT_TRUE(reports.messages.empty());

    EXPECT_EQ(driver.VYK_GetADCType(), 255u);
    EXPECT_EQ(driver.VYK_GetCurrentUSBSerialNumber(), "");
    EXPECT_EQ(driver.VYK_ParamSet(nullptr), -1);
    EXPECT_EQ(driver.VYK_SingleScan_Thread(1), 0);
    driver.VYK_UnRegister(1);
    driver.VYK_USB_ResetAllPipes();
    EXPECT_EQ(driver.Pavik_GetFirmwareVersion(), "");

    EXPECT_FALSE(driver.isLoaded());
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_NE(reports.messages[0].find("libNoSuchDriverLibrary.so"), std::string::npos);
    EXPECT_NE(reports.messages[0].find("could not be loaded"), std::string::npos);
}

TEST(DriverLibraryTest, BindsTheRealLibraryBesideTheProgram)
{
    Reports reports;
    DriverLibrary driver("libVYKDRV32.so", reports.sink());
    ASSERT_TRUE(driver.load()) << (reports.messages.empty() ? "" : reports.messages[0]);
    EXPECT_NE(driver.loadedPath().find("libVYKDRV32.so"), std::string::npos);
    for (const char* name : {"VYK_Register", "VYK_UnRegister", "VYK_ParamSet", "VYK_SingleScan",
                             "VYK_EnableNLCorrection", "VYK_Config"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(driver.symbol(name), nullptr);
    }
    EXPECT_TRUE(reports.messages.empty());
}

TEST(DriverLibraryTest, MissingFunctionIsReportedOnceAndNotCalled)
{
    Reports reports;
    DriverLibrary driver("libVYKDRV32.so", reports.sink());
    EXPECT_EQ(driver.symbol("VYK_NoSuchExport"), nullptr);
    EXPECT_EQ(driver.symbol("VYK_NoSuchExport"), nullptr);
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_NE(reports.messages[0].find("\"VYK_NoSuchExport\""), std::string::npos);
}

} // namespace
