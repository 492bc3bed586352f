#include "numerics/Workspace.h"

#include "numerics/ErrorReporting.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace numerics {

namespace {

constexpr std::size_t kGuardBytes = 8;

// Live blocks by their first data element, with their size in bytes. The guards are
// read only at addresses that lie inside a live block.
std::unordered_map<void*, std::size_t>& liveBlocks()
{
    static std::unordered_map<void*, std::size_t> blocks;
    return blocks;
}

// Element size of a type code for IEMORM; 0 when the code is refused.
std::size_t allocationSize(std::int32_t typeCode)
{
    switch (typeCode) {
    case -1:
        return 1;
    case -2:
    case -3:
        return 4;
    case 1:
    case 2:
    case 4:
        return static_cast<std::size_t>(typeCode);
    default:
        return 0;
    }
}

// Element size of a type code for IEGFRE: -2 and -3 are 4, -4 is 8, a positive code is
// the size itself, and any other code is taken as 1.
std::size_t releaseSize(std::int32_t typeCode)
{
    switch (typeCode) {
    case -2:
    case -3:
        return 4;
    case -4:
        return 8;
    default:
        return typeCode > 0 ? static_cast<std::size_t>(typeCode) : 1;
    }
}

double readDouble(const unsigned char* at)
{
    double value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void writeDouble(unsigned char* at, double value)
{
    std::memcpy(at, &value, sizeof value);
}

[[noreturn]] void reportCorruption()
{
    E1PSH("IEGFRE");
    E1MES(kTerminal, 1, "Memory has been corrupted.");
    E1POP("IEGFRE");
    detail::stop(kTerminal, 1);
}

} // namespace

void* IEMORM(std::size_t n, std::int32_t typeCode)
{
    const std::size_t s = allocationSize(typeCode);
    if (s == 0) {
        E1PSH("IEMORM");
        E1VALI(1, typeCode);
        E1MES(kTerminal, 1, "Illegal data type, %(I1).");
        E1POP("IEMORM");
        return nullptr;
    }
    // The block is a whole number of 8-byte words: the elements plus three words (two
    // guards and at least one spare word).
    const std::size_t perWord = 8 / s;
    if (n > SIZE_MAX / 2 - 64) {
        return nullptr;
    }
    const std::size_t words = (n + perWord - 1) / perWord + 3;
    if (words > SIZE_MAX / 16) {
        return nullptr;
    }
    const std::size_t u = words * perWord;
    const std::size_t bytes = u * s;
    auto* block = static_cast<unsigned char*>(std::malloc(bytes));
    if (block == nullptr) {
        return nullptr;
    }
    writeDouble(block, -static_cast<double>(u));
    writeDouble(block + bytes - kGuardBytes, -static_cast<double>(u));
    void* data = block + kGuardBytes;
    liveBlocks()[data] = bytes;
    return data;
}

void IEGFRE(void* address, std::int32_t typeCode)
{
    if (address == nullptr) {
        return;
    }
    const std::size_t s = releaseSize(typeCode);
    auto& blocks = liveBlocks();
    const auto it = blocks.find(address);
    if (it == blocks.end()) {
        reportCorruption();
    }
    const std::size_t bytes = it->second;
    auto* data = static_cast<unsigned char*>(address);
    const double front = -readDouble(data - kGuardBytes);
    // The element count the front guard claims must describe this very block, or the back
    // guard would be looked for outside it.
    if (!(front >= 1.0 && front <= static_cast<double>(bytes)) || front != std::trunc(front) ||
        static_cast<std::size_t>(front) * s != bytes) {
        reportCorruption();
    }
    const auto u = static_cast<std::size_t>(front);
    if (readDouble(data + u * s - 2 * kGuardBytes) != -static_cast<double>(u)) {
        reportCorruption();
    }
    blocks.erase(it);
    std::free(data - kGuardBytes);
}

namespace detail {

void releaseUnchecked(void* address)
{
    auto& blocks = liveBlocks();
    if (const auto it = blocks.find(address); it != blocks.end()) {
        blocks.erase(it);
        std::free(static_cast<unsigned char*>(address) - kGuardBytes);
    }
}

} // namespace detail

} // namespace numerics
