#include "driver/core/ExportTable.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <set>
#include <string>
#include <unistd.h>

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

} // namespace
} // namespace driver::core::test
