#include "platform/qt/SessionBusLaunch.h"

#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace platform::qt {

namespace {

// The D-Bus library runs the launcher from the folder it was installed with, then by name.
constexpr const char* kInstalledLauncher = "/usr/bin/dbus-launch";
constexpr const char* kLauncher = "dbus-launch";

bool isSet(const char* value)
{
    return value && *value;
}

} // namespace

bool sessionBusLaunchCanOnlyFail(const char* busAddress, const char* runtimeDir, const char* path,
                                 const std::function<bool(const std::string&)>& isThere,
                                 const std::function<bool(const std::string&)>& canRun)
{
    if (isSet(busAddress))
        return false;
    if (isSet(runtimeDir) && isThere(std::string(runtimeDir) + "/bus"))
        return false;
    if (canRun(kInstalledLauncher))
        return false;
    if (!isSet(path))
        return true;
    std::string_view folders(path);
    while (true) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        // An empty entry is the current folder, as for the shell.
        const std::string base = folder.empty() ? std::string(".") : std::string(folder);
        if (canRun(base + "/" + kLauncher))
            return false;
        if (colon == std::string_view::npos)
            return true;
        folders.remove_prefix(colon + 1);
    }
}

void skipHopelessSessionBusLaunch()
{
    const auto isThere = [](const std::string& file) { return access(file.c_str(), F_OK) == 0; };
    const auto canRun = [](const std::string& file) { return access(file.c_str(), X_OK) == 0; };
    if (sessionBusLaunchCanOnlyFail(std::getenv("DBUS_SESSION_BUS_ADDRESS"),
                                    std::getenv("XDG_RUNTIME_DIR"), std::getenv("PATH"), isThere,
                                    canRun))
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

} // namespace platform::qt
