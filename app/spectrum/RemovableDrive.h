#pragma once

#include <string>

// Whether a file lies on a removable drive (a USB stick, a memory card), from the kernel's
// block-device attributes under a sysfs root ("/sys"; tests give a folder of their own). Any
// thread.
namespace app::spectrum {

// True when the block device with this device number, or the disk it is a partition of, says
// it is removable ("removable" holds 1) or hangs off a USB bus.
bool isRemovableBlockDevice(unsigned major, unsigned minor, const std::string& sysRoot);

// True when path exists on a file system whose block device is removable. A file system
// without a block device (tmpfs, a network share) and a path that does not exist are not.
bool isOnRemovableDrive(const std::string& path, const std::string& sysRoot = "/sys");

} // namespace app::spectrum
