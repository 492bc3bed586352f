#include "app/spectrum/RemovableDrive.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace app::spectrum {

namespace {

namespace fs = std::filesystem;

bool removableFlag(const fs::path& device)
{
    std::ifstream in(device / "removable");
    char flag = '0';
    return in >> flag && flag == '1';
}

} // namespace

bool isRemovableBlockDevice(unsigned major, unsigned minor, const std::string& sysRoot)
{
    std::error_code error;
    // "dev/block/<major>:<minor>" links to the device's folder among the bus devices.
    const fs::path link =
        fs::path(sysRoot) / "dev" / "block" / (std::to_string(major) + ":" + std::to_string(minor));
    const fs::path device = fs::canonical(link, error);
    if (error)
        return false;
    // A partition's folder lies inside its disk's folder.
    const fs::path disk = fs::exists(device / "partition", error) ? device.parent_path() : device;
    if (removableFlag(disk))
        return true;
    // Disks behind a USB bridge often call themselves fixed.
    for (const fs::path& part : disk) {
        const std::string name = part.string();
        if (name.rfind("usb", 0) == 0)
            return true;
    }
    return false;
}

bool isOnRemovableDrive(const std::string& path, const std::string& sysRoot)
{
    struct stat entry
    {};
    if (path.empty() || ::stat(path.c_str(), &entry) != 0)
        return false;
    return isRemovableBlockDevice(major(entry.st_dev), minor(entry.st_dev), sysRoot);
}

} // namespace app::spectrum
