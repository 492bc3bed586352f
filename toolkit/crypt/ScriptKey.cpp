#include "toolkit/crypt/ScriptKey.h"

namespace toolkit::crypt {

std::array<std::uint8_t, 96> scriptKey()
{
    // A linear congruential sequence from a fixed seed: the same key in every build, and no
    // key bytes lying in the binary as one block.
    std::array<std::uint8_t, 96> key{};
    std::uint32_t x = 0x4852'4C4Eu;
    for (std::uint8_t& byte : key) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>((x >> 16) & 0xFFu);
    }
    return key;
}

} // namespace toolkit::crypt
