#include "platform/qt/SessionBusLaunch.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using platform::qt::sessionBusLaunchCanOnlyFail;

namespace {

struct BusCase
{
    const char* name;
    const char* busAddress;
    const char* runtimeDir;
    const char* path;
    std::set<std::string> files; // what is there; every file there can be run, but the socket
    bool canOnlyFail;
};

TEST(SessionBusLaunchTest, ForksOnlyWhereABusCanBeFoundOrLaunched)
{
    const BusCase cases[] = {
        {"nothing anywhere", nullptr, "/run/user/7", "/usr/local/bin:/usr/bin", {}, true},
        {"no PATH and no runtime folder", nullptr, nullptr, nullptr, {}, true},
        {"empty address counts as none", "", "/run/user/7", "/usr/bin", {}, true},
        {"an address is set", "unix:path=/run/user/7/bus", "/run/user/7", "/usr/bin", {}, false},
        {"the user's bus socket", nullptr, "/run/user/7", "/usr/bin", {"/run/user/7/bus"}, false},
        {"a socket but no runtime folder named",
         nullptr,
         nullptr,
         "/usr/bin",
         {"/run/user/7/bus"},
         true},
        {"the launcher where the library was installed",
         nullptr,
         nullptr,
         "/opt/bin",
         {"/usr/bin/dbus-launch"},
         false},
        {"the launcher in the last PATH folder",
         nullptr,
         nullptr,
         "/opt/bin:/usr/local/bin",
         {"/usr/local/bin/dbus-launch"},
         false},
        {"the launcher in the first PATH folder",
         nullptr,
         nullptr,
         "/opt/bin:/usr/local/bin",
         {"/opt/bin/dbus-launch"},
         false},
        {"an empty PATH entry is the current folder",
         nullptr,
         nullptr,
         "/opt/bin::/sbin",
         {"./dbus-launch"},
         false},
        {"a trailing colon is the current folder",
         nullptr,
         nullptr,
         "/opt/bin:",
         {"./dbus-launch"},
         false},
        {"a launcher in a folder not on the PATH",
         nullptr,
         nullptr,
         "/opt/bin",
         {"/home/me/bin/dbus-launch"},
         true},
    };
    for (const BusCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto isThere = [&](const std::string& file) { return c.files.contains(file); };
        const auto canRun = [&](const std::string& file) {
            return c.files.contains(file) && !file.ends_with("/bus");
        };
        EXPECT_EQ(sessionBusLaunchCanOnlyFail(c.busAddress, c.runtimeDir, c.path, isThere, canRun),
                  c.canOnlyFail);
    }
}

// A socket in the runtime folder that is not a program, and a "dbus-launch" that cannot be run,
// are told apart.
TEST(SessionBusLaunchTest, AsksWhetherTheLauncherCanRunAndTheSocketIsThere)
{
    const auto nothingRuns = [](const std::string&) { return false; };
    const auto everythingIsThere = [](const std::string&) { return true; };
    EXPECT_TRUE(
        sessionBusLaunchCanOnlyFail(nullptr, nullptr, "/usr/bin", everythingIsThere, nothingRuns));
    EXPECT_FALSE(sessionBusLaunchCanOnlyFail(nullptr, "/run/user/7", "/usr/bin", everythingIsThere,
                                             nothingRuns));
}

} // namespace
