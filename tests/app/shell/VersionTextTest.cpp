#include "app/shell/VersionText.h"

#include "app/shell/DriverLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

TEST(VersionTextTest, TheLoadedDriverLibraryReportsItsFileVersion)
{
    DriverLibrary driver("libVYKDRV32.so");
    // Not loaded yet: no module, no version.
    EXPECT_EQ(driver.moduleFileName(), "");
    ASSERT_TRUE(driver.load());
    const std::string version = readFileVersion(driver.moduleFileName(), "040904e4");
    ASSERT_FALSE(version.empty());
    EXPECT_TRUE(version[0] >= '0' && version[0] <= '9') << version;
    EXPECT_NE(version.find('.'), std::string::npos) << version;
}

TEST(VersionTextTest, FilesWithoutVersionGiveEmptyText)
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string plain = std::string(dir ? dir : ".") + "/plain.bin";
    std::FILE* file = std::fopen(plain.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("no version record in here", file);
    std::fclose(file);
    struct Case
    {
        const char* name;
        std::string path;
    };
    const Case cases[] = {
        {"empty path", ""},
        {"missing file", "/no/such/file.so"},
        {"no version record", plain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readFileVersion(c.path, "040904e4"), "");
    }
}

} // namespace
