#include "driver/core/ExportTable.h"

#include "platform/win/System.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace driver::core::test {
namespace {

std::string libraryPath()
{
    char exe[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + "libVYKDRV32.so";
}

TEST(ExportTableTest, EveryNameResolvesAndNothingElseIsVisible)
{
    void* library = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    std::set<std::string> seen;
    for (const char* name : exportedNames()) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(seen.insert(name).second) << "listed twice";
        EXPECT_NE(dlsym(library, name), nullptr);
    }
    // The core's C++ functions stay hidden.
    EXPECT_EQ(dlsym(library, "_ZN6driver4core11driverStateEv"), nullptr);
    EXPECT_EQ(dlsym(library, "_ZN6driver4core18SelectOperationSetEv"), nullptr);
    dlclose(library);
}

TEST(ExportTableTest, TheLibraryCarriesItsVersionStrings)
{
    const std::string path = libraryPath();
    PWIN_DWORD handle = 0;
    const PWIN_DWORD size = platform::win::GetFileVersionInfoSize(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(platform::win::GetFileVersionInfo(path.c_str(), handle, size, data.data()));
    for (const char* key : {"\\StringFileInfo\\040904E4\\FileVersion",
                            "\\StringFileInfo\\040904E4\\FileDescription"}) {
        SCOPED_TRACE(key);
        void* value = nullptr;
        PWIN_UINT length = 0;
        ASSERT_TRUE(platform::win::VerQueryValue(data.data(), key, &value, &length));
        EXPECT_GT(length, 1u);
    }
}

} // namespace
} // namespace driver::core::test
