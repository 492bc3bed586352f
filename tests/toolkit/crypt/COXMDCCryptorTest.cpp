#include "toolkit/crypt/COXMDCCryptor.h"

#include "toolkit/crypt/Md5Compress.h"
#include "toolkit/crypt/ScriptKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace toolkit::crypt {
namespace {

// Full MD5: the compression function over the message with RFC 1321's padding (a 1 bit,
// zeros, and the bit length as a little-endian 64-bit number).
std::string md5Hex(const std::string& message)
{
    std::vector<std::uint8_t> data(message.begin(), message.end());
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    data.push_back(0x80);
    while (data.size() % 64 != 56) {
        data.push_back(0);
    }
    for (int i = 0; i < 8; ++i) {
        data.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    Md5State state = kMd5InitialState;
    for (std::size_t offset = 0; offset < data.size(); offset += 64) {
        md5Compress(state, data.data() + offset);
    }
    std::string hex;
    for (std::uint8_t byte : md5StateBytes(state)) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    return hex;
}

TEST(Md5Compress, ReproducesTheRfc1321TestSuite)
{
    const std::pair<const char*, const char*> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456"
         "7890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [message, digest] : suite) {
        SCOPED_TRACE(message);
        EXPECT_EQ(md5Hex(message), digest);
    }
}

using Block = std::array<std::uint8_t, 32>;
using Half = std::array<std::uint8_t, 16>;

Half f(const std::uint8_t* half, const COXMDCCryptor::Subkey& subkey)
{
    std::uint8_t message[64];
    std::copy_n(half, 16, message);
    std::copy(subkey.begin(), subkey.end(), message + 16);
    Md5State state = kMd5InitialState;
    md5Compress(state, message);
    return md5StateBytes(state);
}

// The three Feistel rounds written out from their definition.
Block encipherByHand(const Block& in, const COXMDCCryptor::Subkey& a,
                     const COXMDCCryptor::Subkey& b)
{
    Half t, u, v;
    const Half fr = f(in.data() + 16, a);
    for (int i = 0; i < 16; ++i) {
        t[i] = in[i] ^ fr[i];
    }
    const Half ft = f(t.data(), b);
    for (int i = 0; i < 16; ++i) {
        u[i] = in[16 + i] ^ ft[i];
    }
    const Half fu = f(u.data(), a);
    for (int i = 0; i < 16; ++i) {
        v[i] = t[i] ^ fu[i];
    }
    Block out;
    std::copy(u.begin(), u.end(), out.begin());
    std::copy(v.begin(), v.end(), out.begin() + 16);
    return out;
}

COXMDCCryptor::Key patternKey(std::uint8_t seed)
{
    COXMDCCryptor::Key key;
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<std::uint8_t>(seed + 37 * i);
    }
    return key;
}

TEST(COXMDCCryptor, EnciphersAsTheFeistelDefinitionSaysAndDeciphersBack)
{
    COXMDCCryptor cryptor(96);
    const auto key = patternKey(1);
    for (int bits : {8, 96, 384, 400, 768}) {
        SCOPED_TRACE(bits);
        ASSERT_TRUE(cryptor.SetKeyAndLength(key.data(), bits));
        for (std::uint8_t fill : {0x00, 0x5A, 0xFF}) {
            Block plain;
            for (std::size_t i = 0; i < plain.size(); ++i) {
                plain[i] = static_cast<std::uint8_t>(fill ^ (i * 7));
            }
            Block cipher;
            cryptor.Encipher(plain.data(), cipher.data());
            EXPECT_EQ(cipher, encipherByHand(plain, cryptor.subkeyA(), cryptor.subkeyB()));
            EXPECT_NE(cipher, plain);
            Block back;
            cryptor.Decipher(cipher.data(), back.data());
            EXPECT_EQ(back, plain);
            // In place too.
            cryptor.Encipher(plain.data(), plain.data());
            EXPECT_EQ(plain, cipher);
        }
    }
}

struct SubkeyCase
{
    int bits;
    std::size_t keptBytes;
    std::uint8_t lastMask;
};

TEST(COXMDCCryptor, SubkeysAreTheKeyCutToItsLength)
{
    const auto key = patternKey(0xA5);
    const SubkeyCase cases[] = {{1, 1, 0x80},    {7, 1, 0xFE},    {8, 1, 0xFF},    {12, 2, 0xF0},
                                {96, 12, 0xFF},  {100, 13, 0xF0}, {384, 48, 0xFF}, {385, 49, 0x80},
                                {767, 96, 0xFE}, {768, 96, 0xFF}};
    for (const SubkeyCase& c : cases) {
        SCOPED_TRACE(c.bits);
        COXMDCCryptor::Key cut{};
        std::copy_n(key.begin(), c.keptBytes, cut.begin());
        cut[c.keptBytes - 1] &= c.lastMask;
        COXMDCCryptor::Subkey a{};
        COXMDCCryptor::Subkey b{};
        const bool usable = COXMDCCryptor::makeSubkeys(key.data(), c.bits, a, b);
        EXPECT_TRUE(std::equal(a.begin(), a.end(), cut.begin()));
        EXPECT_TRUE(std::equal(b.begin(), b.end(), cut.begin() + 48));
        EXPECT_EQ(usable, a != b);
    }
}

TEST(COXMDCCryptor, UnusableKeysAndLengthsAreRefused)
{
    COXMDCCryptor cryptor(96);
    const COXMDCCryptor::Subkey before = cryptor.subkeyA();
    COXMDCCryptor::Key zero{};
    EXPECT_FALSE(cryptor.SetKey(zero.data()));
    // Only the first 12 bytes count at 96 bits: zeros there make both subkeys zero.
    COXMDCCryptor::Key late = zero;
    late[50] = 1;
    EXPECT_FALSE(cryptor.SetKey(late.data()));
    EXPECT_TRUE(cryptor.SetKeyAndLength(late.data(), 768)); // at 768 bits it differs
    EXPECT_EQ(cryptor.GetKeyLength(), 768);
    // A length with which the stored key is unusable is ignored.
    EXPECT_TRUE(cryptor.SetKeyLength(96));
    EXPECT_EQ(cryptor.GetKeyLength(), 768);
    EXPECT_FALSE(cryptor.SetKeyAndLength(zero.data(), 96));
    EXPECT_EQ(cryptor.GetKeyLength(), 768);
    const auto key = patternKey(3);
    for (int bits : {0, -5, 769, 100000}) {
        EXPECT_FALSE(cryptor.SetKeyAndLength(key.data(), bits)) << bits;
        EXPECT_EQ(cryptor.GetKeyLength(), 768);
    }
    EXPECT_FALSE(cryptor.SetKey(nullptr));
    EXPECT_NE(before, cryptor.subkeyA());
}

TEST(COXMDCCryptor, DefaultKeyIsUsableAtTheProgramsLength)
{
    const auto key = scriptKey();
    EXPECT_TRUE(std::any_of(key.begin(), key.begin() + 12, [](std::uint8_t b) { return b != 0; }));
    EXPECT_EQ(key, scriptKey()); // the same every time
    COXMDCCryptor cryptor(kScriptKeyBits);
    EXPECT_EQ(cryptor.GetKeyLength(), 96);
    COXMDCCryptor::Subkey a{};
    COXMDCCryptor::Subkey b{};
    ASSERT_TRUE(COXMDCCryptor::makeSubkeys(key.data(), 96, a, b));
    EXPECT_EQ(cryptor.subkeyA(), a);
    EXPECT_EQ(cryptor.subkeyB(), b);
    // A length the default key cannot serve leaves the program's length.
    COXMDCCryptor odd(0);
    EXPECT_EQ(odd.GetKeyLength(), 96);
}

} // namespace
} // namespace toolkit::crypt
