// The enciphered file and the converted file under it fed any stored bytes: read whole in
// pieces of every size, read as lines into buffers of every size, and sought about. A
// failure is a FileException; any other exception ends the run as a crash.

#include "fuzz/FuzzCheck.h"
#include "toolkit/crypt/COXCryptFile.h"
#include "toolkit/crypt/MemoryFile.h"
#include "toolkit/crypt/ScriptKey.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

using namespace toolkit::crypt;

namespace {

// A converted file of any block size whose conversion adds a byte to each stored byte.
class ShiftedFile : public COXConvertedFile
{
public:
    explicit ShiftedFile(unsigned blockSize) : COXConvertedFile(blockSize, true), m_size(blockSize)
    {}
    ~ShiftedFile() override { closeQuietly(); }
    bool ConvertOnRead(const std::uint8_t* raw, std::uint8_t* plain) override
    {
        for (unsigned i = 0; i < m_size; ++i) {
            plain[i] = static_cast<std::uint8_t>(raw[i] - 1);
        }
        return true;
    }
    bool ConvertOnWrite(const std::uint8_t* plain, std::uint8_t* raw) override
    {
        for (unsigned i = 0; i < m_size; ++i) {
            raw[i] = static_cast<std::uint8_t>(plain[i] + 1);
        }
        return true;
    }

private:
    unsigned m_size;
};

void readAll(COXConvertedFile& file, fuzz::ByteSource& choices, std::uint64_t storedLength)
{
    const unsigned piece = 1 + choices.take() % 70;
    std::vector<std::uint8_t> buffer(piece);
    std::uint64_t total = 0;
    for (;;) {
        const unsigned got = file.Read(buffer.data(), piece);
        FUZZ_CHECK(got <= piece);
        if (got == 0) {
            break;
        }
        total += got;
        // Never more than the stored bytes rounded up to a whole block.
        FUZZ_CHECK(total <= storedLength + file.GetBlockSize());
    }
}

void readLines(COXConvertedFile& file, fuzz::ByteSource& choices)
{
    file.Seek(0, COXConvertedFile::begin);
    const unsigned count = choices.take() % 40;
    auto text = std::make_unique<char[]>(count == 0 ? 1 : count);
    for (int line = 0; line < 64; ++line) {
        const char* got = file.ReadString(text.get(), count);
        if (got == nullptr) {
            break;
        }
        FUZZ_CHECK(got == text.get());
        FUZZ_CHECK(std::strlen(got) < count);
    }
    file.Seek(0, COXConvertedFile::begin);
    auto wide = std::make_unique<wchar_t[]>(count == 0 ? 1 : count);
    for (int line = 0; line < 64; ++line) {
        const wchar_t* got = file.ReadStringW(wide.get(), count);
        if (got == nullptr) {
            break;
        }
        FUZZ_CHECK(got == wide.get());
        FUZZ_CHECK(std::wcslen(got) < count);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ByteSource choices(data, size < 4 ? size : 4);
    const std::uint8_t kind = choices.take();
    const std::string_view stored =
        size < 4 ? std::string_view()
                 : std::string_view(reinterpret_cast<const char*>(data) + 4, size - 4);
    MemoryFile memory(std::vector<unsigned char>(stored.begin(), stored.end()));

    std::unique_ptr<COXConvertedFile> file;
    if (kind % 3 == 0) {
        file = std::make_unique<ShiftedFile>(1 + (kind >> 2) % 64);
    } else {
        auto crypt = std::make_unique<COXCryptFile>(kScriptKeyBits);
        if (kind % 3 == 2) {
            crypt->SetKeyLength(kind >> 2);
        }
        file = std::move(crypt);
    }
    try {
        file->Attach(&memory, kModeRead);
        readAll(*file, choices, stored.size());
        readLines(*file, choices);
        const std::int64_t offset = static_cast<std::int8_t>(choices.take());
        file->Seek(offset, COXConvertedFile::end);
        std::uint8_t byte = 0;
        (void)file->Read(&byte, 1);
        file->Close();
    } catch (const FileException&) {
        // The reader's own failure: the input was refused.
    }
    return 0;
}
