// scriptcrypt encipher <plain script> <enciphered script>
// scriptcrypt decipher <enciphered script> <plain script>
// Enciphers or deciphers a script file with the program's key and key length. The output is
// written to a temporary file beside it and renamed over the target when complete; a
// read-only target is refused.
#include "platform/win/FileUtil.h"
#include "toolkit/crypt/COXCryptFile.h"
#include "toolkit/crypt/FileException.h"
#include "toolkit/crypt/MemoryFile.h"
#include "toolkit/crypt/ScriptKey.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using toolkit::crypt::COXCryptFile;
using toolkit::crypt::FileException;
using toolkit::crypt::MemoryFile;

int usage()
{
    std::fputs("usage: scriptcrypt encipher|decipher <input> <output>\n", stderr);
    return 2;
}

std::vector<unsigned char> readAll(COXCryptFile& file)
{
    std::vector<unsigned char> data;
    unsigned char chunk[4096];
    for (;;) {
        const unsigned n = file.Read(chunk, sizeof chunk);
        if (n == 0) {
            break;
        }
        data.insert(data.end(), chunk, chunk + n);
    }
    return data;
}

// Converts `data` through a cipher file in memory (enciphering when `convert`), then puts
// the result in place of `target` as every whole-file writer of the system does: a
// temporary file beside it renamed over it, a protected (read-only) target refused, a
// symbolic link written through, the old mode kept.
void writeScriptFile(const std::string& target, const std::vector<unsigned char>& data,
                     bool convert)
{
    MemoryFile memory;
    COXCryptFile out(toolkit::crypt::kScriptKeyBits);
    out.SetConversion(convert);
    out.Attach(&memory, toolkit::crypt::kModeCreate | toolkit::crypt::kModeWrite);
    out.Write(data.data(), static_cast<unsigned>(data.size()));
    out.Close();
    const std::vector<unsigned char>& bytes = memory.bytes();
    platform::win::FileStamp stamp;
    const int error = platform::win::replaceFile(
        target, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), stamp);
    if (error != 0) {
        throw FileException(FileException::causeFromErrno(error), target, error);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        return usage();
    }
    const std::string mode = argv[1];
    const bool encipher = mode == "encipher";
    if (!encipher && mode != "decipher") {
        return usage();
    }
    try {
        COXCryptFile in(toolkit::crypt::kScriptKeyBits);
        in.SetConversion(!encipher); // a plain input is read as it is
        FileException error(FileException::none, argv[2]);
        if (!in.Open(argv[2], toolkit::crypt::kModeRead, &error)) {
            throw error;
        }
        std::vector<unsigned char> data = readAll(in);
        in.Close();
        if (data.size() > 0x7FFFFFFFu) {
            throw FileException(FileException::invalidFile, argv[2]);
        }
        if (!encipher) {
            // The last block was padded with zeros before it was enciphered.
            while (!data.empty() && data.back() == 0) {
                data.pop_back();
            }
        }
        writeScriptFile(argv[3], data, encipher);
    } catch (const FileException& e) {
        std::fprintf(stderr, "scriptcrypt: %s\n", e.what());
        return 1;
    }
    return 0;
}
