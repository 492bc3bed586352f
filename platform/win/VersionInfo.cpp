// Version strings of binaries. The build stamps each binary with a record (see
// cmake/HarluneVersion.cmake):
//     marker (8 bytes), then pairs "<name>\0<value>\0", ended by an empty name.
// The reader finds the record in the file's bytes, so it works for a library that is
// not loaded. The version information handed to callers is
//     uint32 byte count of the pairs, then the pairs.
#include "platform/win/ExportGuard.h"
#include "platform/win/TextUtil.h"
#include "platform/win/c/pwin_system.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kMarkerSize = 8;
constexpr size_t kMaxRecordSize = 4096;

// The marker, stored scrambled so that this library's code and constants do not hold it
// and a search of this very file finds only its real record.
void makeMarker(char (&marker)[kMarkerSize])
{
    static const volatile unsigned char kScrambled[kMarkerSize] = {0x25, 0x12, 0x08, 0x16,
                                                                   0x0C, 0x1F, 0x08, 0x5B};
    for (size_t i = 0; i < kMarkerSize; ++i) {
        marker[i] = static_cast<char>(kScrambled[i] ^ 0x5A);
    }
}

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Length of the pairs at data (up to and including the closing empty name), when they
// form a record holding "FileVersion"; nothing otherwise.
std::optional<size_t> recordLength(const char* data, size_t available)
{
    const size_t limit = available < kMaxRecordSize ? available : kMaxRecordSize;
    size_t pos = 0;
    bool hasFileVersion = false;
    while (pos < limit) {
        const char* name = data + pos;
        const void* nameEnd = std::memchr(name, '\0', limit - pos);
        if (nameEnd == nullptr) {
            return std::nullopt;
        }
        const size_t nameLength = static_cast<const char*>(nameEnd) - name;
        if (nameLength == 0) {
            return hasFileVersion ? std::optional<size_t>(pos + 1) : std::nullopt;
        }
        for (size_t i = 0; i < nameLength; ++i) {
            if (!isNameChar(name[i])) {
                return std::nullopt;
            }
        }
        hasFileVersion = hasFileVersion || std::string_view(name, nameLength) == "FileVersion";
        pos += nameLength + 1;
        const void* valueEnd = std::memchr(data + pos, '\0', limit - pos);
        if (valueEnd == nullptr) {
            return std::nullopt;
        }
        pos = static_cast<size_t>(static_cast<const char*>(valueEnd) - data) + 1;
    }
    return std::nullopt;
}

// Where the record of a file read before was found, and which file that was. Finding a
// record means reading the whole file (the program is over 100 MB in a debug build, and a
// spectrum window reads its version each time it saves the configuration): a file with the
// same identity is first looked at where its record was.
struct KnownRecord
{
    dev_t device;
    ino_t inode;
    off_t size;
    struct timespec modified;
    size_t offset; // of the marker
};

std::mutex g_knownRecordsMutex;
std::map<std::string, KnownRecord> g_knownRecords;
constexpr size_t kMaxKnownRecords = 16;

bool sameFile(const KnownRecord& known, const struct stat& info)
{
    return known.device == info.st_dev && known.inode == info.st_ino &&
           known.size == info.st_size && known.modified.tv_sec == info.st_mtim.tv_sec &&
           known.modified.tv_nsec == info.st_mtim.tv_nsec;
}

// The pairs of a valid record whose marker is at offset, read with pread; nothing when the
// bytes there are not one.
std::optional<std::string> recordAt(int fd, size_t fileSize, size_t offset,
                                    const char (&marker)[kMarkerSize])
{
    if (offset >= fileSize) {
        return std::nullopt;
    }
    std::string bytes(std::min(kMarkerSize + kMaxRecordSize, fileSize - offset), '\0');
    const ssize_t got = pread(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (got < static_cast<ssize_t>(kMarkerSize) ||
        std::memcmp(bytes.data(), marker, kMarkerSize) != 0) {
        return std::nullopt;
    }
    const auto length =
        recordLength(bytes.data() + kMarkerSize, static_cast<size_t>(got) - kMarkerSize);
    if (!length) {
        return std::nullopt;
    }
    return bytes.substr(kMarkerSize, *length);
}

// The first valid record of the mapped bytes and the offset of its marker.
std::optional<std::pair<std::string, size_t>> findRecord(const char* bytes, size_t size,
                                                         const char (&marker)[kMarkerSize])
{
    size_t from = 0;
    while (from + kMarkerSize <= size) {
        const void* hit = memmem(bytes + from, size - from, marker, kMarkerSize);
        if (hit == nullptr) {
            break;
        }
        const size_t start = static_cast<size_t>(static_cast<const char*>(hit) - bytes);
        const size_t pairs = start + kMarkerSize;
        if (const auto length = recordLength(bytes + pairs, size - pairs)) {
            return std::make_pair(std::string(bytes + pairs, *length), start);
        }
        from = start + 1;
    }
    return std::nullopt;
}

// The pairs of the first valid record in the file; nothing when it has none. Sets the
// last error on failure.
std::optional<std::string> readRecord(const char* fileName)
{
    if (fileName == nullptr || *fileName == '\0') {
        pwin_SetLastError(PWIN_ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    const int fd = open(fileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        pwin_SetLastError(errno == ENOENT ? PWIN_ERROR_FILE_NOT_FOUND : PWIN_ERROR_ACCESS_DENIED);
        return std::nullopt;
    }
    struct stat info
    {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        close(fd);
        pwin_SetLastError(PWIN_ERROR_RESOURCE_TYPE_NOT_FOUND);
        return std::nullopt;
    }
    const size_t size = static_cast<size_t>(info.st_size);
    char marker[kMarkerSize];
    makeMarker(marker);

    std::optional<KnownRecord> known;
    {
        std::lock_guard<std::mutex> lock(g_knownRecordsMutex);
        const auto it = g_knownRecords.find(fileName);
        if (it != g_knownRecords.end() && sameFile(it->second, info)) {
            known = it->second;
        }
    }
    if (known) {
        if (auto record = recordAt(fd, size, known->offset, marker)) {
            close(fd);
            return record;
        }
    }

    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (mapped == MAP_FAILED) {
        pwin_SetLastError(PWIN_ERROR_READ_FAULT);
        return std::nullopt;
    }
    auto found = findRecord(static_cast<const char*>(mapped), size, marker);
    munmap(mapped, size);
    if (!found) {
        pwin_SetLastError(PWIN_ERROR_RESOURCE_TYPE_NOT_FOUND);
        return std::nullopt;
    }
    {
        std::lock_guard<std::mutex> lock(g_knownRecordsMutex);
        if (g_knownRecords.size() >= kMaxKnownRecords) {
            g_knownRecords.clear();
        }
        g_knownRecords[fileName] =
            KnownRecord{info.st_dev, info.st_ino, info.st_size, info.st_mtim, found->second};
    }
    return std::move(found->first);
}

} // namespace

static PWIN_DWORD pwin_GetModuleFileNameAImpl(PWIN_HMODULE module, char* fileName, PWIN_DWORD size)
{
    if (fileName == nullptr || size == 0) {
        pwin_SetLastError(PWIN_ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    fileName[0] = '\0';
    std::string path;
    if (module == nullptr) {
        char buffer[PATH_MAX];
        const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (length > 0) {
            path.assign(buffer, static_cast<size_t>(length));
        }
    } else {
        Dl_info info{};
        if (dladdr(module, &info) != 0 && info.dli_fname != nullptr) {
            char* resolved = realpath(info.dli_fname, nullptr);
            path = resolved != nullptr ? resolved : info.dli_fname;
            std::free(resolved);
        }
    }
    if (path.empty()) {
        pwin_SetLastError(PWIN_ERROR_INVALID_HANDLE);
        return 0;
    }
    const size_t copied = path.size() < size ? path.size() : size - 1;
    std::memcpy(fileName, path.data(), copied);
    fileName[copied] = '\0';
    pwin_SetLastError(copied < path.size() ? PWIN_ERROR_INSUFFICIENT_BUFFER : PWIN_ERROR_SUCCESS);
    return static_cast<PWIN_DWORD>(copied);
}

static PWIN_DWORD pwin_GetFileVersionInfoSizeAImpl(const char* fileName, PWIN_DWORD* handle)
{
    if (handle != nullptr) {
        *handle = 0;
    }
    const auto record = readRecord(fileName);
    if (!record) {
        return 0;
    }
    return static_cast<PWIN_DWORD>(sizeof(uint32_t) + record->size());
}

static PWIN_BOOL pwin_GetFileVersionInfoAImpl(const char* fileName, PWIN_DWORD handle,
                                              PWIN_DWORD size, void* data)
{
    (void)handle;
    if (data == nullptr) {
        pwin_SetLastError(PWIN_ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto record = readRecord(fileName);
    if (!record) {
        return 0;
    }
    if (size < sizeof(uint32_t) + record->size()) {
        pwin_SetLastError(PWIN_ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const auto length = static_cast<uint32_t>(record->size());
    std::memcpy(data, &length, sizeof length);
    std::memcpy(static_cast<char*>(data) + sizeof length, record->data(), record->size());
    return 1;
}

static PWIN_BOOL pwin_VerQueryValueAImpl(const void* data, const char* subBlock, void** buffer,
                                         PWIN_UINT* length)
{
    if (data == nullptr || subBlock == nullptr || buffer == nullptr || length == nullptr) {
        return 0;
    }
    *buffer = nullptr;
    *length = 0;
    // "\StringFileInfo\<translation>\<name>"; either separator is accepted.
    std::string path(subBlock);
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    constexpr std::string_view kPrefix = "\\StringFileInfo\\";
    if (path.size() <= kPrefix.size() ||
        !platform::win::equalsNoCase(std::string_view(path).substr(0, kPrefix.size()), kPrefix)) {
        return 0;
    }
    const std::string_view rest = std::string_view(path).substr(kPrefix.size());
    const size_t separator = rest.find('\\');
    if (separator == 0 || separator == std::string_view::npos) {
        return 0;
    }
    const std::string_view wanted = rest.substr(separator + 1);
    uint32_t size = 0;
    std::memcpy(&size, data, sizeof size);
    const char* pairs = static_cast<const char*>(data) + sizeof size;
    if (size > kMaxRecordSize || recordLength(pairs, size) != size) {
        return 0;
    }
    size_t pos = 0;
    while (pos < size && pairs[pos] != '\0') {
        const std::string_view name(pairs + pos);
        pos += name.size() + 1;
        const std::string_view value(pairs + pos);
        if (platform::win::equalsNoCase(name, wanted)) {
            *buffer = const_cast<char*>(pairs + pos);
            *length = static_cast<PWIN_UINT>(value.size() + 1);
            return 1;
        }
        pos += value.size() + 1;
    }
    return 0;
}

// ---- exports: every body runs inside the export guard ----

using platform::win::exportGuard;

PWIN_API PWIN_DWORD pwin_GetModuleFileNameA(PWIN_HMODULE module, char* fileName, PWIN_DWORD size)
{
    return exportGuard<PWIN_DWORD>("pwin_GetModuleFileNameA", 0, [&] {
        return pwin_GetModuleFileNameAImpl(module, fileName, size);
    });
}

PWIN_API PWIN_DWORD pwin_GetFileVersionInfoSizeA(const char* fileName, PWIN_DWORD* handle)
{
    return exportGuard<PWIN_DWORD>("pwin_GetFileVersionInfoSizeA", 0, [&] {
        return pwin_GetFileVersionInfoSizeAImpl(fileName, handle);
    });
}

PWIN_API PWIN_BOOL pwin_GetFileVersionInfoA(const char* fileName, PWIN_DWORD handle,
                                            PWIN_DWORD size, void* data)
{
    return exportGuard<PWIN_BOOL>("pwin_GetFileVersionInfoA", 0, [&] {
        return pwin_GetFileVersionInfoAImpl(fileName, handle, size, data);
    });
}

PWIN_API PWIN_BOOL pwin_VerQueryValueA(const void* data, const char* subBlock, void** buffer,
                                       PWIN_UINT* length)
{
    return exportGuard<PWIN_BOOL>("pwin_VerQueryValueA", 0, [&] {
        return pwin_VerQueryValueAImpl(data, subBlock, buffer, length);
    });
}
