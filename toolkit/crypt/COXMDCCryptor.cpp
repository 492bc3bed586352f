#include "toolkit/crypt/COXMDCCryptor.h"

#include "toolkit/crypt/Md5Compress.h"
#include "toolkit/crypt/ScriptKey.h"

#include <algorithm>
#include <cstring>

namespace toolkit::crypt {

namespace {

using Half = std::array<std::uint8_t, 16>;

// The round function: MD5 compression of the half followed by the subkey.
Half roundFunction(const std::uint8_t* half, const COXMDCCryptor::Subkey& subkey)
{
    std::uint8_t block[64];
    std::memcpy(block, half, 16);
    std::memcpy(block + 16, subkey.data(), subkey.size());
    Md5State state = kMd5InitialState;
    md5Compress(state, block);
    return md5StateBytes(state);
}

void xorInto(std::uint8_t* target, const std::uint8_t* a, const Half& b)
{
    for (std::size_t i = 0; i < 16; ++i) {
        target[i] = static_cast<std::uint8_t>(a[i] ^ b[i]);
    }
}

} // namespace

COXMDCCryptor::COXMDCCryptor(int keyLengthBits)
{
    const auto key = scriptKey();
    m_keyLengthBits = kScriptKeyBits;
    SetKey(key.data()); // usable by construction
    SetKeyAndLength(key.data(), keyLengthBits);
}

bool COXMDCCryptor::makeSubkeys(const std::uint8_t key[kKeyBytes], int keyLengthBits, Subkey& a,
                                Subkey& b)
{
    if (keyLengthBits < 1 || keyLengthBits > kMaxKeyBits) {
        return false;
    }
    Key cut{};
    std::memcpy(cut.data(), key, kKeyBytes);
    const std::size_t keptBytes = static_cast<std::size_t>((keyLengthBits + 7) / 8);
    std::fill(cut.begin() + static_cast<std::ptrdiff_t>(keptBytes), cut.end(), 0);
    if (const int rest = keyLengthBits % 8; rest != 0) {
        // The last kept byte keeps only its `rest` highest bits.
        cut[keptBytes - 1] &= static_cast<std::uint8_t>(0xFFu << (8 - rest));
    }
    std::copy_n(cut.begin(), kSubkeyBytes, a.begin());
    std::copy_n(cut.begin() + kSubkeyBytes, kSubkeyBytes, b.begin());
    return a != b;
}

bool COXMDCCryptor::SetKey(const std::uint8_t key[kKeyBytes])
{
    Subkey a;
    Subkey b;
    if (!key || !makeSubkeys(key, m_keyLengthBits, a, b)) {
        return false;
    }
    std::memcpy(m_key.data(), key, kKeyBytes);
    m_subkeyA = a;
    m_subkeyB = b;
    return true;
}

bool COXMDCCryptor::SetKeyAndLength(const std::uint8_t key[kKeyBytes], int keyLengthBits)
{
    const int previous = m_keyLengthBits;
    m_keyLengthBits = keyLengthBits;
    if (!SetKey(key)) {
        m_keyLengthBits = previous;
        return false;
    }
    return true;
}

bool COXMDCCryptor::SetKeyLength(int keyLengthBits)
{
    Subkey a;
    Subkey b;
    if (makeSubkeys(m_key.data(), keyLengthBits, a, b)) {
        m_keyLengthBits = keyLengthBits;
        m_subkeyA = a;
        m_subkeyB = b;
    }
    return true;
}

void COXMDCCryptor::Encipher(const std::uint8_t in[kBlockBytes],
                             std::uint8_t out[kBlockBytes]) const
{
    // L = bytes 0-15, R = 16-31: T = L ^ F(R, A); U = R ^ F(T, B); V = T ^ F(U, A); out U V.
    std::uint8_t t[16];
    std::uint8_t u[16];
    std::uint8_t v[16];
    xorInto(t, in, roundFunction(in + 16, m_subkeyA));
    xorInto(u, in + 16, roundFunction(t, m_subkeyB));
    xorInto(v, t, roundFunction(u, m_subkeyA));
    std::memcpy(out, u, 16);
    std::memcpy(out + 16, v, 16);
}

void COXMDCCryptor::Decipher(const std::uint8_t in[kBlockBytes],
                             std::uint8_t out[kBlockBytes]) const
{
    // X = bytes 0-15, Y = 16-31: T = Y ^ F(X, A); U = X ^ F(T, B); out T ^ F(U, A), U.
    std::uint8_t t[16];
    std::uint8_t u[16];
    std::uint8_t first[16];
    xorInto(t, in + 16, roundFunction(in, m_subkeyA));
    xorInto(u, in, roundFunction(t, m_subkeyB));
    xorInto(first, t, roundFunction(u, m_subkeyA));
    std::memcpy(out, first, 16);
    std::memcpy(out + 16, u, 16);
}

} // namespace toolkit::crypt
