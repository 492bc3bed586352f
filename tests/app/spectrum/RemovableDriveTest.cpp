// Removable drives told from the kernel's block-device attributes, on a fake sysfs tree.
#include "app/spectrum/RemovableDrive.h"

#include "tests/app/spectrum/SpectrumFakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace app::spectrum::test {
namespace {

namespace fs = std::filesystem;

// A sysfs root with one disk device at devicePath (relative to "devices"), its "removable"
// flag, a partition 1 inside it, and the "dev/block" links of both.
void addDisk(const fs::path& root, const std::string& devicePath, const std::string& disk,
             unsigned major, unsigned minor, char removable)
{
    const fs::path device = root / "devices" / devicePath / "block" / disk;
    const fs::path partition = device / (disk + "1");
    fs::create_directories(partition);
    std::ofstream(device / "removable") << removable << "\n";
    std::ofstream(partition / "partition") << "1\n";
    fs::create_directories(root / "dev" / "block");
    fs::create_directory_symlink(device, root / "dev" / "block" /
                                             (std::to_string(major) + ":" + std::to_string(minor)));
    fs::create_directory_symlink(partition,
                                 root / "dev" / "block" /
                                     (std::to_string(major) + ":" + std::to_string(minor + 1)));
}

TEST(RemovableDrive, BlockDevicesAreToldByTheirFlagOrTheirBus)
{
    const fs::path root = freshFolder("sysfs");
    addDisk(root, "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", "sda", 8, 0, '0');
    addDisk(root, "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0", "sdb", 8,
            16, '0');
    addDisk(root, "platform/mmc0/mmc0:0001", "mmcblk0", 179, 0, '1');
    struct Case
    {
        const char* name;
        unsigned major;
        unsigned minor;
        bool removable;
    };
    const Case cases[] = {
        {"fixed disk", 8, 0, false},
        {"fixed disk's partition", 8, 1, false},
        {"USB disk calling itself fixed", 8, 16, true},
        {"USB disk's partition", 8, 17, true},
        {"card flagged removable", 179, 0, true},
        {"card's partition", 179, 1, true},
        {"no block device (tmpfs)", 0, 42, false},
        {"unknown device", 259, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isRemovableBlockDevice(c.major, c.minor, root.string()), c.removable);
    }
}

TEST(RemovableDrive, MissingFilesAndEmptySysfsAreNotRemovable)
{
    const fs::path root = freshFolder("emptysys");
    const fs::path file = freshFolder("files") / "window.spec";
    std::ofstream(file) << "[General]\n";
    EXPECT_FALSE(isOnRemovableDrive(file.string(), root.string()));
    EXPECT_FALSE(isOnRemovableDrive((root / "absent.spec").string(), root.string()));
    EXPECT_FALSE(isOnRemovableDrive("", root.string()));
}

} // namespace
} // namespace app::spectrum::test
