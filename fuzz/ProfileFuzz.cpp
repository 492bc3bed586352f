// The profile (INI) reader fed any file: section names, key lists, strings and numbers
// read into buffers of every size, then a write that must read back.

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzFiles.h"
#include "platform/win/Profile.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The names of a double-NUL-terminated list, at most `limit` of them.
std::vector<std::string> namesOf(const char* list, std::size_t length, std::size_t limit)
{
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < length && list[at] != '\0' && names.size() < limit) {
        const std::size_t end = std::strlen(list + at);
        names.emplace_back(list + at, end);
        at += end + 1;
    }
    return names;
}

// Calls read with a buffer of exactly `size` bytes (so any write past it is caught) and
// checks the length it reports against the buffer.
template <typename Read> std::string readInto(PWIN_DWORD size, Read read)
{
    auto buffer = std::make_unique<char[]>(size);
    const PWIN_DWORD length = read(buffer.get(), size);
    if (size == 0) {
        FUZZ_CHECK(length == 0);
        return {};
    }
    // The text (for a list: the names with their terminators, the last one's left out)
    // and one terminator fit in the buffer.
    FUZZ_CHECK(length <= size - 1);
    FUZZ_CHECK(buffer[length] == '\0');
    return std::string(buffer.get(), length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ByteSource source(data, size);
    const PWIN_DWORD smallSize = source.take() % 24;
    const std::string path = fuzz::scratchFolder() + "/profile.ini";
    fuzz::replaceFile(path, source.rest());

    using namespace platform::win;
    const PWIN_DWORD bigSize = 1 << 16;
    const std::string sections = readInto(bigSize, [&](char* buffer, PWIN_DWORD n) {
        return GetPrivateProfileSectionNames(buffer, n, path.c_str());
    });
    readInto(smallSize, [&](char* buffer, PWIN_DWORD n) {
        return GetPrivateProfileSectionNames(buffer, n, path.c_str());
    });

    for (const std::string& section : namesOf(sections.c_str(), sections.size() + 1, 16)) {
        const std::string keys = readInto(bigSize, [&](char* buffer, PWIN_DWORD n) {
            return GetPrivateProfileString(section.c_str(), nullptr, "", buffer, n, path.c_str());
        });
        for (const std::string& key : namesOf(keys.c_str(), keys.size() + 1, 16)) {
            for (const PWIN_DWORD n : {bigSize, smallSize}) {
                readInto(n, [&](char* buffer, PWIN_DWORD length) {
                    return GetPrivateProfileString(section.c_str(), key.c_str(), "default", buffer,
                                                   length, path.c_str());
                });
            }
            (void)GetPrivateProfileInt(section.c_str(), key.c_str(), -7, path.c_str());
        }
    }

    // A write keeps the rest of the file and reads back.
    const char* section = sections.empty() ? "Fuzz" : sections.c_str();
    if (WritePrivateProfileString(section, "FuzzKey", "written", path.c_str())) {
        char buffer[16];
        const PWIN_DWORD length =
            GetPrivateProfileString(section, "FuzzKey", "", buffer, sizeof buffer, path.c_str());
        FUZZ_CHECK(std::string(buffer, length) == "written");
    }
    return 0;
}
