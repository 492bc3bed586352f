#include "platform/portio/PciResources.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform::portio {
namespace {

// Flags of a resource line (the kernel's IORESOURCE_IO and IORESOURCE_MEM bits).
constexpr std::uint64_t kResourceIo = 0x100;
constexpr std::uint64_t kResourceMem = 0x200;

std::optional<std::uint64_t> parseNumber(const std::string& text)
{
    std::string_view digits = text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> readNumberFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::string word;
    if (!(in >> word))
        return std::nullopt;
    return parseNumber(word);
}

} // namespace

std::optional<PciResources> readPciResources(const std::string& deviceFolder)
{
    const std::filesystem::path folder(deviceFolder);
    std::ifstream in(folder / "resource");
    if (!in)
        return std::nullopt;
    PciResources resources;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string a, b, c;
        if (!(words >> a >> b >> c))
            continue;
        const auto start = parseNumber(a);
        const auto end = parseNumber(b);
        const auto flags = parseNumber(c);
        if (!start || !end || !flags || *end < *start || (*start == 0 && *end == 0))
            continue;
        const PciRange range{*start, *end - *start + 1};
        if (*flags & kResourceIo)
            resources.portRanges.push_back(range);
        else if (*flags & kResourceMem)
            resources.memoryRanges.push_back(range);
    }
    if (const auto irq = readNumberFile(folder / "irq"); irq && *irq > 0 && *irq < 4096)
        resources.irqs.push_back(static_cast<int>(*irq));
    return resources;
}

std::vector<std::string> findPciDevices(const std::string& root, std::uint16_t vendor,
                                        std::uint16_t device)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(root, ec)) {
        const auto v = readNumberFile(entry.path() / "vendor");
        const auto d = readNumberFile(entry.path() / "device");
        if (v && d && *v == vendor && *d == device)
            found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace platform::portio
