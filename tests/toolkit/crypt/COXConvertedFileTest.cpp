#include "toolkit/crypt/COXCryptFile.h"
#include "toolkit/crypt/FileException.h"
#include "toolkit/crypt/MemoryFile.h"
#include "toolkit/crypt/PosixFile.h"
#include "toolkit/crypt/ScriptKey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace toolkit::crypt {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes pattern(std::size_t length)
{
    Bytes out(length);
    for (std::size_t i = 0; i < length; ++i) {
        out[i] = static_cast<unsigned char>(1 + (i * 31) % 251); // never 0
    }
    return out;
}

Bytes bytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

std::string testDir()
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    return dir ? dir : "/tmp";
}

Bytes readDisk(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Enciphers `plain` block by block with a cryptor of the program's key, independently of the
// file classes.
Bytes encipherBlocks(Bytes plain)
{
    plain.resize((plain.size() + 31) / 32 * 32, 0);
    COXMDCCryptor cryptor(kScriptKeyBits);
    Bytes out(plain.size());
    for (std::size_t i = 0; i < plain.size(); i += 32) {
        cryptor.Encipher(plain.data() + i, out.data() + i);
    }
    return out;
}

Bytes readAll(COXConvertedFile& file, unsigned chunk = 4096)
{
    Bytes out;
    std::vector<unsigned char> buffer(chunk);
    for (;;) {
        const unsigned n = file.Read(buffer.data(), chunk);
        if (n == 0) {
            return out;
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    }
}

TEST(COXCryptFile, EnciphersAndDecipheresWholeBlocks)
{
    for (std::size_t length : {0u, 1u, 31u, 32u, 33u, 10000u}) {
        SCOPED_TRACE(length);
        const Bytes plain = pattern(length);
        MemoryFile disk;
        {
            COXCryptFile file(kScriptKeyBits);
            file.Attach(&disk, kModeCreate | kModeWrite);
            file.Write(plain.data(), static_cast<unsigned>(plain.size()));
            file.Close();
        }
        // Each block is enciphered on its own, exactly as the cipher does it alone.
        EXPECT_EQ(disk.bytes(), encipherBlocks(plain));
        EXPECT_EQ(disk.bytes().size(), (length + 31) / 32 * 32);

        disk.seek(0);
        COXCryptFile file(kScriptKeyBits);
        file.Attach(&disk, kModeRead);
        Bytes expected = plain;
        expected.resize((length + 31) / 32 * 32, 0);
        EXPECT_EQ(readAll(file, 7), expected); // reads across block boundaries
    }
}

TEST(COXCryptFile, FiveBytesMakeOneBlockWithZeroPadding)
{
    const std::string path = testDir() + "/five_ENCRPT.bas";
    {
        COXCryptFile file(kScriptKeyBits);
        ASSERT_TRUE(file.Open(path, kModeCreate | kModeWrite));
        file.Write("hello", 5);
    } // the destructor closes and writes the block
    const Bytes stored = readDisk(path);
    ASSERT_EQ(stored.size(), 32u);
    COXMDCCryptor cryptor(kScriptKeyBits);
    unsigned char plain[32];
    cryptor.Decipher(stored.data(), plain);
    EXPECT_EQ(std::memcmp(plain, "hello", 5), 0);
    for (int i = 5; i < 32; ++i) {
        EXPECT_EQ(plain[i], 0) << i;
    }
}

TEST(COXCryptFile, WritingOneByteInsideABlockKeepsTheRest)
{
    for (bool convert : {true, false}) {
        SCOPED_TRACE(convert);
        const Bytes plain = pattern(96);
        MemoryFile disk;
        COXCryptFile writer(kScriptKeyBits);
        writer.SetConversion(convert);
        writer.Attach(&disk, kModeWrite);
        writer.Write(plain.data(), 96);
        writer.Close();

        COXCryptFile editor(kScriptKeyBits);
        editor.SetConversion(convert);
        editor.Attach(&disk, kModeReadWrite);
        EXPECT_EQ(editor.Seek(45, COXConvertedFile::begin), 45u);
        editor.Write("*", 1);
        EXPECT_EQ(editor.GetPosition(), 46u);
        editor.Close();

        Bytes expected = plain;
        expected[45] = '*';
        disk.seek(0);
        COXCryptFile reader(kScriptKeyBits);
        reader.SetConversion(convert);
        reader.Attach(&disk, kModeRead);
        EXPECT_EQ(readAll(reader), expected);
    }
}

TEST(COXCryptFile, SetLengthRoundsUpToBlocksOnlyWhileConverting)
{
    for (bool convert : {true, false}) {
        MemoryFile disk(pattern(32));
        COXCryptFile file(kScriptKeyBits);
        file.SetConversion(convert);
        file.Attach(&disk, kModeReadWrite);
        file.SetLength(33);
        EXPECT_EQ(file.GetLength(), convert ? 64u : 33u);
    }
}

TEST(COXCryptFile, ShortLastBlockIsReadZeroPadded)
{
    const Bytes plain = pattern(64);
    Bytes stored = encipherBlocks(plain);
    stored.resize(40); // a torn second block
    MemoryFile disk(stored);
    COXCryptFile file(kScriptKeyBits);
    file.Attach(&disk, kModeRead);
    const Bytes read = readAll(file);
    ASSERT_EQ(read.size(), 64u);
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 32, read.begin()));
    unsigned char raw[32] = {};
    std::memcpy(raw, stored.data() + 32, 8);
    unsigned char expected[32];
    COXMDCCryptor(kScriptKeyBits).Decipher(raw, expected);
    EXPECT_EQ(std::memcmp(read.data() + 32, expected, 32), 0);
}

TEST(COXConvertedFile, PlainFilesKeepTheirLengthWithConversionOff)
{
    for (std::size_t length : {0u, 1u, 31u, 32u, 33u, 100u}) {
        SCOPED_TRACE(length);
        const std::string path = testDir() + "/plain" + std::to_string(length) + ".bas";
        const Bytes plain = pattern(length);
        {
            COXCryptFile file(kScriptKeyBits);
            file.SetConversion(false);
            ASSERT_TRUE(file.Open(path, kModeCreate | kModeWrite));
            file.Write(plain.data(), static_cast<unsigned>(plain.size()));
            file.Close();
        }
        EXPECT_EQ(readDisk(path), plain);
        COXCryptFile file(kScriptKeyBits);
        file.SetConversion(false);
        ASSERT_TRUE(file.Open(path, kModeRead));
        EXPECT_EQ(file.GetLength(), length);
        EXPECT_EQ(readAll(file, 5), plain);
        EXPECT_EQ(file.Read(nullptr, 0), 0u);
    }
}

TEST(COXConvertedFile, ConversionSwitchesMidFile)
{
    MemoryFile disk;
    COXCryptFile writer(kScriptKeyBits);
    writer.SetConversion(false);
    writer.Attach(&disk, kModeWrite);
    writer.Write("HEADER1234", 10);
    EXPECT_EQ(writer.SetConversion(true), 22); // zeros complete the plain block
    EXPECT_TRUE(writer.GetConversion());
    EXPECT_EQ(writer.GetPosition(), 32u);
    const Bytes secret = pattern(40);
    writer.Write(secret.data(), 40);
    EXPECT_EQ(writer.SetConversion(false), 24);
    writer.Write("tail", 4);
    writer.Close();

    const Bytes& stored = disk.bytes();
    ASSERT_EQ(stored.size(), 32u + 64u + 4u);
    EXPECT_EQ(std::memcmp(stored.data(), "HEADER1234", 10), 0);
    EXPECT_EQ(Bytes(stored.begin() + 32, stored.begin() + 96), encipherBlocks(secret));
    EXPECT_EQ(std::memcmp(stored.data() + 96, "tail", 4), 0);

    disk.seek(0);
    COXCryptFile reader(kScriptKeyBits);
    reader.SetConversion(false);
    reader.Attach(&disk, kModeRead);
    char header[10];
    ASSERT_EQ(reader.Read(header, 10), 10u);
    EXPECT_EQ(std::memcmp(header, "HEADER1234", 10), 0);
    EXPECT_EQ(reader.SetConversion(true), 22); // the rest of the block is read and dropped
    Bytes back(40);
    ASSERT_EQ(reader.Read(back.data(), 40), 40u);
    EXPECT_EQ(back, secret);
    EXPECT_EQ(reader.SetConversion(false), 24);
    char tail[8];
    EXPECT_EQ(reader.Read(tail, 8), 4u);
    EXPECT_EQ(std::memcmp(tail, "tail", 4), 0);
    // Inside a block at the end of the data the switch cannot be completed: refused.
    EXPECT_EQ(reader.SetConversion(true), -1);
    EXPECT_FALSE(reader.GetConversion());
}

TEST(COXConvertedFile, SeeksFromEveryOrigin)
{
    const Bytes plain = pattern(100);
    MemoryFile disk(plain);
    COXCryptFile file(kScriptKeyBits);
    file.SetConversion(false);
    file.Attach(&disk, kModeRead);
    struct Case
    {
        std::int64_t offset;
        COXConvertedFile::SeekPosition from;
        std::uint64_t position;
    };
    const Case cases[] = {{40, COXConvertedFile::begin, 40},  {-9, COXConvertedFile::current, 31},
                          {1, COXConvertedFile::current, 32}, {-1, COXConvertedFile::end, 99},
                          {0, COXConvertedFile::begin, 0},    {64, COXConvertedFile::current, 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(file.Seek(c.offset, c.from), c.position);
        EXPECT_EQ(file.GetPosition(), c.position);
        unsigned char byte = 0;
        ASSERT_EQ(file.Read(&byte, 1), 1u);
        EXPECT_EQ(byte, plain[c.position]);
        file.Seek(-1, COXConvertedFile::current);
    }
    for (const Case& bad :
         {Case{-1, COXConvertedFile::begin, 0}, Case{-101, COXConvertedFile::end, 0},
          Case{-65, COXConvertedFile::current, 0}}) {
        try {
            file.Seek(bad.offset, bad.from);
            ADD_FAILURE() << "a seek before the start succeeded";
        } catch (const FileException& e) {
            EXPECT_EQ(e.cause(), FileException::badSeek);
        }
    }
    EXPECT_EQ(file.GetPosition(), 64u); // unchanged by the refused seeks
    EXPECT_EQ(file.Seek(500, COXConvertedFile::begin), 500u);
    unsigned char byte;
    EXPECT_EQ(file.Read(&byte, 1), 0u);
}

struct LineCase
{
    const char* name;
    std::string stored;
    unsigned count;
    std::vector<std::string> lines; // successive reads; "<null>" for no result
};

class COXConvertedFileReadString : public ::testing::TestWithParam<LineCase>
{};

TEST_P(COXConvertedFileReadString, ReadsLines)
{
    const LineCase& c = GetParam();
    MemoryFile disk(bytesOf(c.stored));
    COXCryptFile file(kScriptKeyBits);
    file.SetConversion(false);
    file.Attach(&disk, kModeRead);
    for (const std::string& expected : c.lines) {
        std::vector<char> buffer(c.count + 1, '#');
        const char* line = file.ReadString(c.count ? buffer.data() : buffer.data(), c.count);
        EXPECT_EQ(line ? std::string(line) : "<null>", expected);
        EXPECT_EQ(buffer[c.count], '#'); // nothing written past the buffer
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, COXConvertedFileReadString,
    ::testing::Values(LineCase{"CarriageReturnLineFeed", "ab\r\ncd", 80, {"ab\n", "cd", "<null>"}},
                      LineCase{"LoneLineFeed", "\n\nx", 80, {"\n", "\n", "x"}},
                      LineCase{"EndMarkStopsAndStays",
                               "ab\x1a"
                               "cd",
                               80,
                               {"ab", "<null>", "<null>"}},
                      LineCase{"CountZero", "abc", 0, {"<null>"}},
                      LineCase{"CountOne", "abc", 1, {"<null>"}},
                      LineCase{"BufferFull", "abcdef\n", 4, {"abc", "def", "\n"}},
                      LineCase{"FullAfterReturnThenLineFeed", "ab\r\nc", 4, {"ab\n", "c"}},
                      LineCase{"FullAfterReturnThenOther", "ab\rxy", 4, {"ab\r", "xy"}},
                      LineCase{"AcrossBlocks",
                               std::string(40, 'z') + "\r\nq",
                               80,
                               {std::string(40, 'z') + "\n", "q"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(COXConvertedFile, WritesLinesWithCarriageReturns)
{
    MemoryFile disk;
    COXCryptFile file(kScriptKeyBits);
    file.SetConversion(false);
    file.Attach(&disk, kModeWrite);
    file.WriteString("a\nb\n\nc");
    file.WriteString(nullptr);
    file.Close();
    EXPECT_EQ(disk.bytes(), bytesOf("a\r\nb\r\n\r\nc"));
}

TEST(COXConvertedFile, WideStringsRoundTripInUtf8)
{
    // Characters of one to four UTF-8 bytes each.
    const std::wstring text = L"A\u00e9\u20ac\U0001F600\U0001F600\U0001F600 end\n";
    MemoryFile disk;
    COXCryptFile file(kScriptKeyBits);
    file.Attach(&disk, kModeReadWrite);
    file.WriteStringW(text.c_str());
    file.Close();

    disk.seek(0);
    COXCryptFile reader(kScriptKeyBits);
    reader.Attach(&disk, kModeRead);
    wchar_t line[64];
    ASSERT_NE(reader.ReadStringW(line, 64), nullptr);
    EXPECT_EQ(std::wstring(line), text);

    // A small buffer never overflows and never splits a character.
    disk.seek(0);
    COXCryptFile small(kScriptKeyBits);
    small.Attach(&disk, kModeRead);
    std::wstring joined;
    for (int i = 0; i < 40; ++i) {
        wchar_t piece[5] = {L'#', L'#', L'#', L'#', L'#'};
        if (!small.ReadStringW(piece, 4)) {
            break;
        }
        EXPECT_EQ(piece[4], L'#');
        joined += piece;
    }
    EXPECT_EQ(joined.substr(0, text.size()), text);
    EXPECT_EQ(small.ReadStringW(line, 0), nullptr);

    // One character at a time, whatever its length in bytes.
    disk.seek(0);
    COXCryptFile single(kScriptKeyBits);
    single.Attach(&disk, kModeRead);
    std::wstring chars;
    for (int i = 0; i < 20; ++i) {
        wchar_t one[2];
        ASSERT_NE(single.ReadStringW(one, 2), nullptr);
        ASSERT_EQ(one[1], L'\0');
        chars += one;
        if (chars.size() == text.size()) {
            break;
        }
    }
    EXPECT_EQ(chars, text);
}

TEST(COXConvertedFile, RefusesReadsAndWritesItMayNotDo)
{
    COXCryptFile closed(kScriptKeyBits);
    unsigned char byte = 0;
    try {
        closed.Read(&byte, 1);
        ADD_FAILURE() << "read on a closed file";
    } catch (const FileException& e) {
        EXPECT_EQ(e.cause(), FileException::accessDenied);
    }
    MemoryFile disk(pattern(10));
    COXCryptFile readOnly(kScriptKeyBits);
    readOnly.Attach(&disk, kModeRead);
    try {
        readOnly.Write(&byte, 1);
        ADD_FAILURE() << "write on a file opened for reading";
    } catch (const FileException& e) {
        EXPECT_EQ(e.cause(), FileException::accessDenied);
    }
    EXPECT_THROW(readOnly.SetLength(0), FileException);
    FileException error(FileException::none, {});
    COXCryptFile missing(kScriptKeyBits);
    EXPECT_FALSE(missing.Open(testDir() + "/no/such/file", kModeRead, &error));
    EXPECT_EQ(error.cause(), FileException::fileNotFound);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_THROW(missing.Read(&byte, 1), FileException);
}

TEST(COXConvertedFile, DetachWritesPendingDataFirst)
{
    MemoryFile disk;
    COXCryptFile file(kScriptKeyBits);
    file.Attach(&disk, kModeWrite);
    file.Write("abc", 3);
    file.Detach();
    EXPECT_FALSE(file.GetConversion());
    EXPECT_EQ(disk.bytes(), encipherBlocks(bytesOf("abc")));
    EXPECT_TRUE(disk.isOpen()); // an attached file stays open
}

TEST(COXConvertedFile, AttachedFileStaysOpenAfterClose)
{
    const std::string path = testDir() + "/attached.bin";
    PosixFile disk(path, kModeCreate | kModeReadWrite);
    COXCryptFile file(kScriptKeyBits);
    file.Attach(&disk, kModeReadWrite);
    file.Write("xyz", 3);
    file.LockRange(5, 40);
    file.UnlockRange(5, 40);
    file.Close();
    EXPECT_TRUE(disk.isOpen());
    EXPECT_EQ(disk.length(), 32u);
    EXPECT_FALSE(file.IsOpen());
}

} // namespace
} // namespace toolkit::crypt
