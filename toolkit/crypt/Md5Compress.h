#pragma once

#include <array>
#include <cstdint>

namespace toolkit::crypt {

// MD5's chaining value: four 32-bit words A, B, C, D.
using Md5State = std::array<std::uint32_t, 4>;

// MD5's standard initial chaining value.
constexpr Md5State kMd5InitialState{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};

// The MD5 compression function: the four rounds of RFC 1321 over one 64-byte block, added to
// `state`. The block's bytes are read as sixteen little-endian 32-bit words, as RFC 1321
// encodes them.
void md5Compress(Md5State& state, const std::uint8_t block[64]);

// The 16-byte form of a chaining value, each word little-endian (RFC 1321's digest order).
std::array<std::uint8_t, 16> md5StateBytes(const Md5State& state);

} // namespace toolkit::crypt
