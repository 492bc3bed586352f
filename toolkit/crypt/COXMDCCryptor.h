#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace toolkit::crypt {

// A block cipher on 32-byte blocks: a three-round Feistel network over the two 16-byte
// halves, whose round function is the MD5 compression of (half, 48-byte subkey) from MD5's
// initial chaining value. The two subkeys come from a 96-byte key cut to a length of 1 to 768
// bits; a key whose two subkeys would be equal is refused. One thread at a time.
class COXMDCCryptor
{
public:
    static constexpr std::size_t kKeyBytes = 96;
    static constexpr std::size_t kSubkeyBytes = 48;
    static constexpr std::size_t kBlockBytes = 32;
    static constexpr int kMaxKeyBits = 768;

    using Key = std::array<std::uint8_t, kKeyBytes>;
    using Subkey = std::array<std::uint8_t, kSubkeyBytes>;

    // Uses the program's default key with the given length (or the program's length when the
    // key is not usable with it).
    explicit COXMDCCryptor(int keyLengthBits);

    // False (nothing changes) when the key is not usable with the current length.
    bool SetKey(const std::uint8_t key[kKeyBytes]);
    // False (nothing changes) when the key is not usable with the length.
    bool SetKeyAndLength(const std::uint8_t key[kKeyBytes], int keyLengthBits);
    // Takes the length when the stored key is usable with it, else ignores it; always true.
    bool SetKeyLength(int keyLengthBits);
    int GetKeyLength() const { return m_keyLengthBits; }

    void Encipher(const std::uint8_t in[kBlockBytes], std::uint8_t out[kBlockBytes]) const;
    void Decipher(const std::uint8_t in[kBlockBytes], std::uint8_t out[kBlockBytes]) const;

    const Subkey& subkeyA() const { return m_subkeyA; }
    const Subkey& subkeyB() const { return m_subkeyB; }

    // The subkeys a key yields with a length: the key cut to its first `bits` bits, bytes 0 to
    // 47 as A and 48 to 95 as B. False when the length lies outside 1 to 768 or A equals B.
    static bool makeSubkeys(const std::uint8_t key[kKeyBytes], int keyLengthBits, Subkey& a,
                            Subkey& b);

private:
    Key m_key{};
    Subkey m_subkeyA{};
    Subkey m_subkeyB{};
    int m_keyLengthBits = 0;
};

} // namespace toolkit::crypt
