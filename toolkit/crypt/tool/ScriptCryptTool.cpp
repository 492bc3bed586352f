// scriptcrypt encipher <plain script> <enciphered script>
// scriptcrypt decipher <enciphered script> <plain script>
// Enciphers or deciphers a script file with the program's key and key length. The output is
// written to a temporary file beside it and renamed over the target when complete.
#include "toolkit/crypt/COXCryptFile.h"
#include "toolkit/crypt/FileException.h"
#include "toolkit/crypt/ScriptKey.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using toolkit::crypt::COXCryptFile;
using toolkit::crypt::FileException;

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

// Writes `data` through a cipher file with the conversion `convert` to a temporary file,
// then renames it over `target`.
void writeAll(const std::string& target, const std::vector<unsigned char>& data, bool convert)
{
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        throw FileException(FileException::causeFromErrno(errno), target, errno);
    }
    // mkstemp makes the file private; give it the permissions a new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    try {
        COXCryptFile out(toolkit::crypt::kScriptKeyBits);
        out.SetConversion(convert);
        FileException error(FileException::none, temporary);
        if (!out.Open(temporary, toolkit::crypt::kModeCreate | toolkit::crypt::kModeWrite,
                      &error)) {
            throw error;
        }
        out.Write(data.data(), static_cast<unsigned>(data.size()));
        out.Close();
        if (std::rename(temporary.c_str(), target.c_str()) != 0) {
            throw FileException(FileException::causeFromErrno(errno), target, errno);
        }
    } catch (...) {
        std::remove(temporary.c_str());
        throw;
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
        writeAll(argv[3], data, encipher);
    } catch (const FileException& e) {
        std::fprintf(stderr, "scriptcrypt: %s\n", e.what());
        return 1;
    }
    return 0;
}
