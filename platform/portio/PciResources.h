#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::portio {

// One address range of a PCI card.
struct PciRange
{
    std::uint64_t start = 0;
    std::uint64_t length = 0;
};

// The resources of one PCI card as the kernel lists them under /sys/bus/pci/devices.
struct PciResources
{
    std::vector<PciRange> portRanges;
    std::vector<PciRange> memoryRanges;
    std::vector<int> irqs;
    std::vector<int> dmaChannels; // PCI cards list none; kept for the connection's table
};

// Reads a card's "resource" and "irq" files from its sysfs folder (e.g.
// "/sys/bus/pci/devices/0000:03:00.0"); nothing when the folder holds no resource file.
std::optional<PciResources> readPciResources(const std::string& deviceFolder);

// The sysfs folders of the cards with the vendor and device ids under `root`
// ("/sys/bus/pci/devices" on a running system), in name order.
std::vector<std::string> findPciDevices(const std::string& root, std::uint16_t vendor,
                                        std::uint16_t device);

} // namespace platform::portio
