// Profile files: one in-process copy of each file's lines, read again whenever the file
// changed on disk, and written back whole (see pwin_profile.h for the rules).
#include "platform/win/ExportGuard.h"
#include "platform/win/FileUtil.h"
#include "platform/win/Log.h"
#include "platform/win/TextUtil.h"
#include "platform/win/c/pwin_profile.h"
#include "platform/win/c/pwin_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::win {

namespace {

constexpr const char* kProfileLogModule = "profile";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// ---- lines ----------------------------------------------------------------------------

enum class LineKind
{
    Other, // blank, comment, garbage: kept as it is
    Section,
    Key,
};

struct ParsedLine
{
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

std::string_view stripQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

ParsedLine parseLine(std::string_view line, bool first)
{
    if (first && line.starts_with(kByteOrderMark)) {
        line.remove_prefix(kByteOrderMark.size());
    }
    ParsedLine parsed;
    if (line.find('\0') != std::string_view::npos) {
        return parsed;
    }
    const std::string_view text = trimBlanks(line);
    if (text.empty() || text.front() == ';') {
        return parsed;
    }
    if (text.front() == '[') {
        const size_t close = text.find(']');
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::Section;
            parsed.name = trimBlanks(text.substr(1, close - 1));
        }
        return parsed;
    }
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return parsed;
    }
    parsed.name = trimBlanks(text.substr(0, equals));
    if (parsed.name.empty()) {
        return parsed;
    }
    parsed.kind = LineKind::Key;
    parsed.value = stripQuotes(trimBlanks(text.substr(equals + 1)));
    return parsed;
}

std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        std::string_view line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        pos = end + 1;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

// The line span of a section: its header and the lines up to the next section.
struct SectionSpan
{
    size_t header;
    size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<std::string>& lines,
                                       std::string_view section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parseLine(lines[i], i == 0);
        if (parsed.kind == LineKind::Section && equalsNoCase(parsed.name, section)) {
            size_t end = i + 1;
            while (end < lines.size() && parseLine(lines[end], false).kind != LineKind::Section) {
                ++end;
            }
            return SectionSpan{i, end};
        }
    }
    return std::nullopt;
}

std::optional<size_t> findKey(const std::vector<std::string>& lines, const SectionSpan& span,
                              std::string_view key)
{
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const ParsedLine parsed = parseLine(lines[i], false);
        if (parsed.kind == LineKind::Key && equalsNoCase(parsed.name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

// One write: set (value present), delete a key (value absent) or delete a section (key
// absent).
struct WriteOp
{
    std::string section;
    std::optional<std::string> key;
    std::optional<std::string> value;
};

// Applies a write to the lines; tells whether they changed.
bool applyWrite(std::vector<std::string>& lines, const WriteOp& op)
{
    const std::string_view section = trimBlanks(op.section);
    const auto span = findSection(lines, section);
    if (!op.key) {
        if (!span) {
            return false;
        }
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span->header),
                    lines.begin() + static_cast<std::ptrdiff_t>(span->end));
        return true;
    }
    const std::string_view key = trimBlanks(*op.key);
    if (!op.value) {
        if (!span) {
            return false;
        }
        const auto at = findKey(lines, *span, key);
        if (!at) {
            return false;
        }
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*at));
        return true;
    }
    if (!span) {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::string(key) + "=" + *op.value);
        return true;
    }
    if (const auto at = findKey(lines, *span, key)) {
        const ParsedLine parsed = parseLine(lines[*at], *at == 0);
        std::string line = std::string(parsed.name) + "=" + *op.value;
        if (lines[*at] == line) {
            return false;
        }
        lines[*at] = std::move(line);
        return true;
    }
    // After the section's last non-blank line, so blank lines between sections stay.
    size_t insertAt = span->header + 1;
    for (size_t i = span->header + 1; i < span->end; ++i) {
        if (!trimBlanks(lines[i]).empty()) {
            insertAt = i + 1;
        }
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                 std::string(key) + "=" + *op.value);
    return true;
}

// ---- files ----------------------------------------------------------------------------

struct ProfileFile
{
    std::mutex mutex;
    std::vector<std::string> lines;
    std::optional<FileStamp> stamp;
    bool loaded = false;
    int batchDepth = 0;
    std::vector<WriteOp> batchOps;
};

struct ProfileFiles
{
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<ProfileFile>> byPath;
};

// Copies of files kept beyond this count are dropped when idle (no batch, not in use), so
// a long session that opens many files does not keep them all.
constexpr size_t kMaxCachedFiles = 32;

std::shared_ptr<ProfileFile> fileFor(const std::string& path)
{
    // Lives as long as the process: libraries write their configuration from exit handlers
    // (the driver's detach), which may run after the destructors of statics made later
    // than the handler was registered.
    static ProfileFiles& files = *new ProfileFiles;
    std::lock_guard lock(files.mutex);
    if (files.byPath.size() >= kMaxCachedFiles) {
        for (auto it = files.byPath.begin(); it != files.byPath.end();) {
            ProfileFile& cached = *it->second;
            bool idle = false;
            if (it->second.use_count() == 1 && cached.mutex.try_lock()) {
                idle = cached.batchDepth == 0;
                cached.mutex.unlock();
            }
            it = idle ? files.byPath.erase(it) : std::next(it);
        }
    }
    auto& file = files.byPath[path];
    if (!file) {
        file = std::make_shared<ProfileFile>();
    }
    return file;
}

PWIN_DWORD profileErrorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return PWIN_ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return PWIN_ERROR_ACCESS_DENIED;
    case ENOMEM:
        return PWIN_ERROR_NOT_ENOUGH_MEMORY;
    default:
        return PWIN_ERROR_WRITE_FAULT;
    }
}

// Brings the lines up to date with the file (unless a batch holds changes not yet
// written). Returns 0 or the errno of a failed read; the lines are unchanged then.
int refresh(ProfileFile& file, const std::string& path)
{
    if (file.batchDepth > 0 && file.loaded) {
        return 0;
    }
    const std::optional<FileStamp> now = fileStamp(path);
    if (file.loaded && now == file.stamp) {
        return 0;
    }
    if (!now) {
        file.lines.clear();
        file.stamp.reset();
        file.loaded = true;
        return 0;
    }
    std::string bytes;
    FileStamp stamp;
    const int error = readWholeFile(path, bytes, stamp);
    if (error == ENOENT) {
        file.lines.clear();
        file.stamp.reset();
        file.loaded = true;
        return 0;
    }
    if (error != 0) {
        logWarn(kProfileLogModule, "cannot read %s: %s", path.c_str(), std::strerror(error));
        return error;
    }
    file.lines = splitLines(bytes);
    file.stamp = stamp;
    file.loaded = true;
    return 0;
}

// Under the file lock: re-reads the file when it changed, applies the writes and
// replaces the file. Returns 0 or the errno of the failure (the file is then unchanged
// and the lines are read again at the next call).
int writeThrough(ProfileFile& file, const std::string& path, const std::vector<WriteOp>& ops)
{
    int error = 0;
    auto lock = FileWriteLock::acquire(path, error);
    if (!lock) {
        logWarn(kProfileLogModule, "cannot lock %s: %s", path.c_str(), std::strerror(error));
        return error;
    }
    const int depth = file.batchDepth;
    file.batchDepth = 0;
    error = refresh(file, path);
    file.batchDepth = depth;
    if (error != 0) {
        return error;
    }
    for (const auto& op : ops) {
        applyWrite(file.lines, op);
    }
    FileStamp stamp;
    error = replaceFile(path, joinLines(file.lines), stamp);
    if (error != 0) {
        logWarn(kProfileLogModule, "cannot write %s: %s", path.c_str(), std::strerror(error));
        file.loaded = false;
        return error;
    }
    file.stamp = stamp;
    return 0;
}

// Copies names as a list of terminated strings ended by a second zero. A list that does
// not fit is cut as Windows cuts it: the names that fit, the next one cut short, then the
// two zeros in the buffer's last two bytes, and size - 2 returned.
PWIN_DWORD copyNameList(const std::vector<std::string_view>& names, char* buffer, PWIN_DWORD size)
{
    if (size < 2) {
        if (size == 1) {
            buffer[0] = '\0';
        }
        return 0;
    }
    const size_t limit = size - 2; // room for characters and inner zeros
    size_t pos = 0;
    for (const auto name : names) {
        if (pos + name.size() + 1 > size - 1) {
            // pos may already be size - 1 when the previous name's zero took the last
            // byte of the room; then nothing of this name fits.
            const size_t room = pos < limit ? limit - pos : 0;
            std::memcpy(buffer + pos, name.data(), std::min(room, name.size()));
            buffer[limit] = '\0';
            buffer[limit + 1] = '\0';
            return static_cast<PWIN_DWORD>(limit);
        }
        std::memcpy(buffer + pos, name.data(), name.size());
        pos += name.size();
        buffer[pos++] = '\0';
    }
    buffer[pos] = '\0';
    return static_cast<PWIN_DWORD>(pos);
}

PWIN_DWORD copyText(std::string_view text, char* buffer, PWIN_DWORD size)
{
    const size_t copied = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return static_cast<PWIN_DWORD>(copied);
}

bool hasLineEnd(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A write whose names or value would not read back as written is refused.
bool isWritable(const char* section, const char* key, const char* value)
{
    const std::string_view s = trimBlanks(section);
    if (s.empty() || hasLineEnd(section) || s.find(']') != std::string_view::npos) {
        return false;
    }
    if (key != nullptr) {
        const std::string_view k = trimBlanks(key);
        if (k.empty() || hasLineEnd(key) || k.find('=') != std::string_view::npos ||
            k.front() == '[' || k.front() == ';') {
            return false;
        }
    }
    return value == nullptr || !hasLineEnd(value);
}

} // namespace

} // namespace platform::win

using namespace platform::win;

static PWIN_DWORD pwin_GetPrivateProfileStringAImpl(const char* section, const char* key,
                                                    const char* defaultValue, char* buffer,
                                                    PWIN_DWORD size, const char* fileName)
{
    if (buffer == nullptr || size == 0 || fileName == nullptr) {
        pwin_SetLastError(PWIN_ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string path(fileName);
    const std::shared_ptr<ProfileFile> cached = fileFor(path);
    ProfileFile& file = *cached;
    const LogDeferral deferral;
    std::lock_guard lock(file.mutex);
    const int error = refresh(file, path);
    const std::vector<std::string> none;
    const std::vector<std::string>& lines = error == 0 ? file.lines : none;

    if (section == nullptr) {
        std::vector<std::string_view> names;
        for (size_t i = 0; i < lines.size(); ++i) {
            const ParsedLine parsed = parseLine(lines[i], i == 0);
            if (parsed.kind != LineKind::Section) {
                continue;
            }
            bool seen = false;
            for (const auto name : names) {
                seen = seen || equalsNoCase(name, parsed.name);
            }
            if (!seen) {
                names.push_back(parsed.name);
            }
        }
        pwin_SetLastError(0);
        return copyNameList(names, buffer, size);
    }
    const auto span = findSection(lines, trimBlanks(section));
    if (key == nullptr) {
        std::vector<std::string_view> names;
        if (span) {
            for (size_t i = span->header + 1; i < span->end; ++i) {
                const ParsedLine parsed = parseLine(lines[i], false);
                if (parsed.kind == LineKind::Key) {
                    names.push_back(parsed.name);
                }
            }
        }
        pwin_SetLastError(span ? 0 : PWIN_ERROR_FILE_NOT_FOUND);
        return copyNameList(names, buffer, size);
    }
    if (span) {
        if (const auto at = findKey(lines, *span, trimBlanks(key))) {
            pwin_SetLastError(0);
            return copyText(parseLine(lines[*at], *at == 0).value, buffer, size);
        }
    }
    std::string_view fallback = defaultValue != nullptr ? defaultValue : "";
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) {
        fallback.remove_suffix(1);
    }
    pwin_SetLastError(PWIN_ERROR_FILE_NOT_FOUND);
    return copyText(fallback, buffer, size);
}

static PWIN_UINT pwin_GetPrivateProfileIntAImpl(const char* section, const char* key,
                                                int32_t defaultValue, const char* fileName)
{
    if (section == nullptr || key == nullptr) {
        return static_cast<PWIN_UINT>(defaultValue);
    }
    // Marks a missing key: the value read cannot hold a line end.
    char text[64];
    pwin_GetPrivateProfileStringA(section, key, "\n", text, sizeof text, fileName);
    if (std::strcmp(text, "\n") == 0 || (text[0] == '\0' && pwin_GetLastError() != 0)) {
        return static_cast<PWIN_UINT>(defaultValue);
    }
    const char* p = text;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    uint32_t number = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        for (p += 2;; ++p) {
            const char c = *p;
            const int digit = (c >= '0' && c <= '9')   ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
            if (digit < 0) {
                break;
            }
            number = number * 16 + static_cast<uint32_t>(digit);
        }
    } else {
        for (; *p >= '0' && *p <= '9'; ++p) {
            number = number * 10 + static_cast<uint32_t>(*p - '0');
        }
    }
    return negative ? 0u - number : number;
}

static PWIN_DWORD pwin_GetPrivateProfileSectionNamesAImpl(char* buffer, PWIN_DWORD size,
                                                          const char* fileName)
{
    return pwin_GetPrivateProfileStringA(nullptr, nullptr, nullptr, buffer, size, fileName);
}

static PWIN_BOOL pwin_WritePrivateProfileStringAImpl(const char* section, const char* key,
                                                     const char* value, const char* fileName)
{
    if (fileName == nullptr || *fileName == '\0') {
        pwin_SetLastError(PWIN_ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (section == nullptr) {
        // Windows flushes its cache on an all-null write; every write here is on disk.
        if (key == nullptr && value == nullptr) {
            return 1;
        }
        pwin_SetLastError(PWIN_ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!isWritable(section, key, value)) {
        logWarn(kProfileLogModule, "refused a write to %s: a name or value would not read back",
                fileName);
        pwin_SetLastError(PWIN_ERROR_INVALID_PARAMETER);
        return 0;
    }
    WriteOp op{section, key != nullptr ? std::optional<std::string>(key) : std::nullopt,
               value != nullptr ? std::optional<std::string>(value) : std::nullopt};
    const std::string path(fileName);
    const std::shared_ptr<ProfileFile> cached = fileFor(path);
    ProfileFile& file = *cached;
    const LogDeferral deferral;
    std::lock_guard lock(file.mutex);
    if (file.batchDepth > 0) {
        applyWrite(file.lines, op);
        file.batchOps.push_back(std::move(op));
        return 1;
    }
    if (!op.value && !fileStamp(path)) {
        // Deleting from a file that does not exist: nothing to do, nothing to create.
        return 1;
    }
    const int error = writeThrough(file, path, std::vector<WriteOp>(1, op));
    if (error != 0) {
        pwin_SetLastError(profileErrorFromErrno(error));
        return 0;
    }
    return 1;
}

static PWIN_BOOL pwin_BeginProfileBatchImpl(const char* fileName)
{
    if (fileName == nullptr || *fileName == '\0') {
        pwin_SetLastError(PWIN_ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string path(fileName);
    const std::shared_ptr<ProfileFile> cached = fileFor(path);
    ProfileFile& file = *cached;
    const LogDeferral deferral;
    std::lock_guard lock(file.mutex);
    if (file.batchDepth == 0) {
        refresh(file, path);
        file.loaded = true;
    }
    ++file.batchDepth;
    return 1;
}

static PWIN_BOOL pwin_CommitProfileBatchImpl(const char* fileName)
{
    if (fileName == nullptr || *fileName == '\0') {
        pwin_SetLastError(PWIN_ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string path(fileName);
    const std::shared_ptr<ProfileFile> cached = fileFor(path);
    ProfileFile& file = *cached;
    const LogDeferral deferral;
    std::lock_guard lock(file.mutex);
    if (file.batchDepth == 0) {
        pwin_SetLastError(PWIN_ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (--file.batchDepth > 0) {
        return 1;
    }
    std::vector<WriteOp> ops = std::move(file.batchOps);
    file.batchOps.clear();
    if (ops.empty()) {
        return 1;
    }
    // Replayed on the file as it is now, so writes of other processes since the batch
    // began are kept.
    file.loaded = false;
    const int error = writeThrough(file, path, ops);
    if (error != 0) {
        pwin_SetLastError(profileErrorFromErrno(error));
        return 0;
    }
    return 1;
}

// ---- exports: every body runs inside the export guard ----

PWIN_API PWIN_DWORD pwin_GetPrivateProfileStringA(const char* section, const char* key,
                                                  const char* defaultValue, char* buffer,
                                                  PWIN_DWORD size, const char* fileName)
{
    return exportGuard<PWIN_DWORD>("pwin_GetPrivateProfileStringA", 0, [&] {
        return pwin_GetPrivateProfileStringAImpl(section, key, defaultValue, buffer, size,
                                                 fileName);
    });
}

PWIN_API PWIN_UINT pwin_GetPrivateProfileIntA(const char* section, const char* key,
                                              int32_t defaultValue, const char* fileName)
{
    return exportGuard<PWIN_UINT>("pwin_GetPrivateProfileIntA", 0, [&] {
        return pwin_GetPrivateProfileIntAImpl(section, key, defaultValue, fileName);
    });
}

PWIN_API PWIN_DWORD pwin_GetPrivateProfileSectionNamesA(char* buffer, PWIN_DWORD size,
                                                        const char* fileName)
{
    return exportGuard<PWIN_DWORD>("pwin_GetPrivateProfileSectionNamesA", 0, [&] {
        return pwin_GetPrivateProfileSectionNamesAImpl(buffer, size, fileName);
    });
}

PWIN_API PWIN_BOOL pwin_WritePrivateProfileStringA(const char* section, const char* key,
                                                   const char* value, const char* fileName)
{
    return exportGuard<PWIN_BOOL>("pwin_WritePrivateProfileStringA", 0, [&] {
        return pwin_WritePrivateProfileStringAImpl(section, key, value, fileName);
    });
}

PWIN_API PWIN_BOOL pwin_BeginProfileBatch(const char* fileName)
{
    return exportGuard<PWIN_BOOL>("pwin_BeginProfileBatch", 0,
                                  [&] { return pwin_BeginProfileBatchImpl(fileName); });
}

PWIN_API PWIN_BOOL pwin_CommitProfileBatch(const char* fileName)
{
    return exportGuard<PWIN_BOOL>("pwin_CommitProfileBatch", 0,
                                  [&] { return pwin_CommitProfileBatchImpl(fileName); });
}
