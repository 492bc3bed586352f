// The registry hives: one in-process tree per hive file, refreshed from the file when
// another process replaced it, written back whole after each change.
//
// File format (UTF-8 text, LF line ends):
//     Harlune registry hive 1
//     [Software\Varnholt Software\Harlune\Preferences]
//     "Name"=sz:"text with \" \\ and \x0a escaped"
//     "Count"=dword:0000000a
//     "Blob"=hex:01,02,ff
//     @=hex(7):61,00,00
// A key line names the key's path from the hive's root ("[]" is the root itself), each
// name with '%', '[', ']' and control bytes written as %HH. A value line holds the name
// ("@" for the default value) and the type: sz (REG_SZ, bytes exactly as stored), dword
// (REG_DWORD, 4 bytes), hex (REG_BINARY) or hex(<type>) for any other type. Blank lines
// are ignored; any other line is kept with the key it stands under and written back.
#include "platform/win/ExportGuard.h"
#include "platform/win/FileUtil.h"
#include "platform/win/Log.h"
#include "platform/win/TextUtil.h"
#include "platform/win/c/pwin_registry.h"
#include "platform/win/c/pwin_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::win {

namespace {

constexpr const char* kRegistryLogModule = "registry";
constexpr std::string_view kHeader = "Harlune registry hive 1";

// ---- the tree -------------------------------------------------------------------------

struct RegValue
{
    std::string name;
    uint32_t type = PWIN_REG_NONE;
    std::string data;
};

struct RegKey
{
    std::string name;
    std::vector<RegValue> values;
    std::vector<std::unique_ptr<RegKey>> subKeys; // sorted by name without regard to case
    std::vector<std::string> keptLines;

    RegKey* findSubKey(std::string_view wanted)
    {
        const auto found = lowerBound(wanted);
        if (found != subKeys.end() && equalsNoCase((*found)->name, wanted)) {
            return found->get();
        }
        return nullptr;
    }

    RegKey* addSubKey(std::string_view newName)
    {
        const auto at = lowerBound(newName);
        auto key = std::make_unique<RegKey>();
        key->name = std::string(newName);
        return subKeys.insert(at, std::move(key))->get();
    }

    bool removeSubKey(std::string_view wanted)
    {
        const auto found = lowerBound(wanted);
        if (found != subKeys.end() && equalsNoCase((*found)->name, wanted)) {
            subKeys.erase(found);
            return true;
        }
        return false;
    }

    RegValue* findValue(std::string_view wanted)
    {
        for (auto& value : values) {
            if (equalsNoCase(value.name, wanted)) {
                return &value;
            }
        }
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<RegKey>>::iterator lowerBound(std::string_view wanted)
    {
        return std::lower_bound(subKeys.begin(), subKeys.end(), wanted,
                                [](const std::unique_ptr<RegKey>& key, std::string_view name) {
                                    return compareNoCase(key->name, name) < 0;
                                });
    }
};

// ---- the file format -----------------------------------------------------------------

const char kHexDigits[] = "0123456789abcdef";

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void appendHexByte(std::string& out, unsigned char byte)
{
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
}

std::string encodeKeyName(std::string_view name)
{
    std::string out;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%' || c == '[' || c == ']') {
            out += '%';
            appendHexByte(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> decodeKeyName(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (text[i] == '%') {
            const int high = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
            const int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (byte < 0x20 || byte == 0x7F || text[i] == '[' || text[i] == ']') {
            return std::nullopt;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string quote(std::string_view bytes)
{
    std::string out = "\"";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            appendHexByte(out, byte);
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

// Reads a quoted text at the start of line; moves line past it.
std::optional<std::string> unquote(std::string_view& line)
{
    if (line.empty() || line.front() != '"') {
        return std::nullopt;
    }
    std::string out;
    size_t i = 1;
    while (i < line.size()) {
        const char c = line[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"') {
            line.remove_prefix(i + 1);
            return out;
        }
        if (byte < 0x20 || byte == 0x7F) {
            return std::nullopt;
        }
        if (c != '\\') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 >= line.size()) {
            return std::nullopt;
        }
        const char escaped = line[i + 1];
        if (escaped == '"' || escaped == '\\') {
            out += escaped;
            i += 2;
        } else if (escaped == 'x' && i + 3 < line.size() && hexValue(line[i + 2]) >= 0 &&
                   hexValue(line[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(line[i + 2]) * 16 + hexValue(line[i + 3]));
            i += 4;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string formatValue(const RegValue& value)
{
    std::string line = value.name.empty() ? std::string("@") : quote(value.name);
    line += '=';
    if (value.type == PWIN_REG_SZ) {
        line += "sz:" + quote(value.data);
    } else if (value.type == PWIN_REG_DWORD && value.data.size() == 4) {
        uint32_t number = 0;
        std::memcpy(&number, value.data.data(), 4);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", number);
        line += text;
    } else {
        line += value.type == PWIN_REG_BINARY ? std::string("hex:")
                                              : "hex(" + std::to_string(value.type) + "):";
        for (size_t i = 0; i < value.data.size(); ++i) {
            if (i > 0) {
                line += ',';
            }
            appendHexByte(line, static_cast<unsigned char>(value.data[i]));
        }
    }
    return line;
}

std::optional<std::string> parseHexList(std::string_view text)
{
    std::string out;
    while (!text.empty()) {
        if (text.size() < 2 || hexValue(text[0]) < 0 || hexValue(text[1]) < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(hexValue(text[0]) * 16 + hexValue(text[1]));
        text.remove_prefix(2);
        if (!text.empty()) {
            if (text.front() != ',' || text.size() == 1) {
                return std::nullopt;
            }
            text.remove_prefix(1);
        }
    }
    return out;
}

std::optional<RegValue> parseValue(std::string_view line)
{
    RegValue value;
    if (!line.empty() && line.front() == '@') {
        line.remove_prefix(1);
    } else {
        auto name = unquote(line);
        if (!name || name->empty()) {
            return std::nullopt;
        }
        value.name = std::move(*name);
    }
    if (line.empty() || line.front() != '=') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    if (line.starts_with("sz:")) {
        line.remove_prefix(3);
        auto data = unquote(line);
        if (!data || !line.empty()) {
            return std::nullopt;
        }
        value.type = PWIN_REG_SZ;
        value.data = std::move(*data);
        return value;
    }
    if (line.starts_with("dword:")) {
        line.remove_prefix(6);
        if (line.size() != 8) {
            return std::nullopt;
        }
        uint32_t number = 0;
        for (char c : line) {
            if (hexValue(c) < 0) {
                return std::nullopt;
            }
            number = number * 16 + static_cast<uint32_t>(hexValue(c));
        }
        value.type = PWIN_REG_DWORD;
        value.data.assign(reinterpret_cast<const char*>(&number), 4);
        return value;
    }
    if (line.starts_with("hex:")) {
        line.remove_prefix(4);
        value.type = PWIN_REG_BINARY;
    } else if (line.starts_with("hex(")) {
        line.remove_prefix(4);
        const size_t close = line.find("):");
        if (close == std::string_view::npos || close == 0 || close > 10) {
            return std::nullopt;
        }
        unsigned long long type = 0;
        for (char c : line.substr(0, close)) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            type = type * 10 + static_cast<unsigned>(c - '0');
        }
        if (type > 0xFFFFFFFFull) {
            return std::nullopt;
        }
        value.type = static_cast<uint32_t>(type);
        line.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    auto data = parseHexList(line);
    if (!data) {
        return std::nullopt;
    }
    value.data = std::move(*data);
    return value;
}

// The key path of a "[...]" line; nothing when the line is not one.
std::optional<std::vector<std::string>> parseKeyLine(std::string_view line)
{
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') {
        return std::nullopt;
    }
    line = line.substr(1, line.size() - 2);
    std::vector<std::string> path;
    if (line.empty()) {
        return path;
    }
    size_t start = 0;
    for (;;) {
        const size_t end = line.find('\\', start);
        const std::string_view part = line.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        auto name = decodeKeyName(part);
        if (!name || name->empty() || name->size() > PWIN_REG_MAX_KEY_NAME) {
            return std::nullopt;
        }
        path.push_back(std::move(*name));
        if (end == std::string_view::npos) {
            return path;
        }
        start = end + 1;
    }
}

void writeKey(const RegKey& key, std::string& pathText, bool isRoot, std::string& out)
{
    if (!isRoot || !key.values.empty() || !key.keptLines.empty()) {
        out += '[';
        out += pathText;
        out += "]\n";
        for (const auto& value : key.values) {
            out += formatValue(value);
            out += '\n';
        }
        for (const auto& line : key.keptLines) {
            out += line;
            out += '\n';
        }
    }
    for (const auto& sub : key.subKeys) {
        const size_t length = pathText.size();
        if (!isRoot) {
            pathText += '\\';
        }
        pathText += encodeKeyName(sub->name);
        writeKey(*sub, pathText, false, out);
        pathText.resize(length);
    }
}

std::string serialize(const RegKey& root)
{
    std::string out(kHeader);
    out += '\n';
    std::string pathText;
    writeKey(root, pathText, true, out);
    return out;
}

// The lines of a hive that are neither keys nor values (kept and written back as they are).
struct DamagedLines
{
    size_t count = 0;
    size_t firstLine = 0; // 1-based
};

// Parses a hive file; nothing when it is not a hive at all.
std::unique_ptr<RegKey> parse(std::string_view bytes, DamagedLines* damaged = nullptr)
{
    auto root = std::make_unique<RegKey>();
    if (bytes.empty()) {
        return root;
    }
    size_t pos = 0;
    size_t lineNumber = 0;
    bool first = true;
    RegKey* current = root.get();
    while (pos < bytes.size()) {
        ++lineNumber;
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (first) {
            if (line != kHeader) {
                return nullptr;
            }
            first = false;
            continue;
        }
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            if (auto path = parseKeyLine(line)) {
                current = root.get();
                for (const auto& name : *path) {
                    RegKey* next = current->findSubKey(name);
                    current = next != nullptr ? next : current->addSubKey(name);
                }
                continue;
            }
        } else if (auto value = parseValue(line)) {
            if (RegValue* existing = current->findValue(value->name)) {
                *existing = std::move(*value);
            } else {
                current->values.push_back(std::move(*value));
            }
            continue;
        }
        current->keptLines.emplace_back(line);
        if (damaged != nullptr && damaged->count++ == 0) {
            damaged->firstLine = lineNumber;
        }
    }
    return root;
}

// ---- hives ----------------------------------------------------------------------------

const char* const kHiveNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

std::string registryFolder()
{
    const char* dir = std::getenv("HARLUNE_REGISTRY_DIR");
    if (dir != nullptr && *dir != '\0') {
        return dir;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config != '\0') {
        return std::string(config) + "/Varnholt Software";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/Varnholt Software";
}

PWIN_LONG registryErrorFromErrno(int error, PWIN_LONG fallback)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return PWIN_ERROR_ACCESS_DENIED;
    case ENOMEM:
        return PWIN_ERROR_NOT_ENOUGH_MEMORY;
    default:
        return fallback;
    }
}

// Writes to standard error whatever happens to the hive files that the user must know
// about even without a debug log: their data was set aside.
void reportToUser(const std::string& text)
{
    std::fprintf(stderr, "registry: %s\n", text.c_str());
    std::fflush(stderr);
}

class Hive
{
public:
    explicit Hive(std::string path) : m_path(std::move(path)) {}

    // Runs body on the current tree (re-read first when the file changed).
    PWIN_LONG read(const std::function<PWIN_LONG(RegKey& root)>& body)
    {
        const LogDeferral deferral;
        std::lock_guard lock(m_mutex);
        if (m_batchDepth == 0) {
            (void)refresh(false);
        }
        return body(*m_root);
    }

    // Runs body on the current tree under the file lock and writes the tree back when
    // body succeeds and reports a change. Within a batch the change stays in memory
    // until the commit.
    PWIN_LONG write(const std::function<PWIN_LONG(RegKey& root, bool& changed)>& body)
    {
        const LogDeferral deferral;
        std::lock_guard lock(m_mutex);
        if (m_batchDepth > 0) {
            if (m_damagedInPlace) {
                return PWIN_ERROR_CANTWRITE;
            }
            bool changed = false;
            const PWIN_LONG result = body(*m_root, changed);
            m_batchDirty = m_batchDirty || (result == PWIN_ERROR_SUCCESS && changed);
            return result;
        }
        std::optional<FileWriteLock> fileLock;
        const PWIN_LONG status = lockAndRefresh(fileLock);
        if (status != PWIN_ERROR_SUCCESS) {
            return status;
        }
        bool changed = false;
        const PWIN_LONG result = body(*m_root, changed);
        if (result != PWIN_ERROR_SUCCESS || !changed) {
            return result;
        }
        return writeFile();
    }

    // Starts a batch: takes the file lock (other processes' writers wait until the
    // commit), reads the file, and keeps the changes in memory until the commit.
    PWIN_LONG beginBatch()
    {
        const LogDeferral deferral;
        std::lock_guard lock(m_mutex);
        if (m_batchDepth > 0) {
            ++m_batchDepth;
            return PWIN_ERROR_SUCCESS;
        }
        const PWIN_LONG status = lockAndRefresh(m_batchLock);
        if (status != PWIN_ERROR_SUCCESS) {
            m_batchLock.reset();
            return status;
        }
        m_batchDepth = 1;
        m_batchDirty = false;
        return PWIN_ERROR_SUCCESS;
    }

    // Ends a batch; the outermost commit writes the file once and releases the lock.
    PWIN_LONG commitBatch()
    {
        const LogDeferral deferral;
        std::lock_guard lock(m_mutex);
        if (m_batchDepth == 0) {
            return PWIN_ERROR_INVALID_PARAMETER;
        }
        if (--m_batchDepth > 0) {
            return PWIN_ERROR_SUCCESS;
        }
        const PWIN_LONG result = m_batchDirty ? writeFile() : PWIN_ERROR_SUCCESS;
        m_batchDirty = false;
        m_batchLock.reset();
        return result;
    }

private:
    // Takes the file lock into fileLock and brings the tree up to date.
    PWIN_LONG lockAndRefresh(std::optional<FileWriteLock>& fileLock)
    {
        const std::string folder = folderOf(m_path);
        int error = makeFolders(folder);
        if (error != 0) {
            logError(kRegistryLogModule, "cannot make the folder %s: %s", folder.c_str(),
                     std::strerror(error));
            return registryErrorFromErrno(error, PWIN_ERROR_CANTWRITE);
        }
        fileLock = FileWriteLock::acquire(m_path, error);
        if (!fileLock) {
            logError(kRegistryLogModule, "cannot lock %s: %s", m_path.c_str(),
                     std::strerror(error));
            return registryErrorFromErrno(error, PWIN_ERROR_CANTWRITE);
        }
        if (!refresh(true)) {
            // Writing now would replace a file whose content is unknown.
            return PWIN_ERROR_CANTREAD;
        }
        return m_damagedInPlace ? PWIN_ERROR_CANTWRITE : PWIN_ERROR_SUCCESS;
    }

    // Under the file lock: replaces the file with the tree.
    PWIN_LONG writeFile()
    {
        FileStamp stamp;
        const int error = replaceFile(m_path, serialize(*m_root), stamp);
        if (error != 0) {
            logError(kRegistryLogModule, "cannot write %s: %s", m_path.c_str(),
                     std::strerror(error));
            // The change did not reach the file; forget it.
            m_loaded = false;
            (void)refresh(true);
            return registryErrorFromErrno(error, PWIN_ERROR_CANTWRITE);
        }
        m_stamp = stamp;
        return PWIN_ERROR_SUCCESS;
    }

    // Brings the tree up to date with the file; false when the file exists but cannot be
    // read (the tree is then left as it was). lockHeld: the caller holds the file lock.
    bool refresh(bool lockHeld)
    {
        const std::optional<FileStamp> now = fileStamp(m_path);
        if (m_loaded && now == m_stamp) {
            return true;
        }
        if (!now) {
            m_root = std::make_unique<RegKey>();
            m_stamp.reset();
            m_loaded = true;
            m_damagedInPlace = false;
            return true;
        }
        std::string bytes;
        FileStamp stamp;
        const int error = readWholeFile(m_path, bytes, stamp);
        if (error == ENOENT) {
            m_root = std::make_unique<RegKey>();
            m_stamp.reset();
            m_loaded = true;
            return true;
        }
        if (error != 0) {
            // Keep what we have; the next call tries again.
            logError(kRegistryLogModule, "cannot read %s: %s", m_path.c_str(),
                     std::strerror(error));
            if (!m_root) {
                m_root = std::make_unique<RegKey>();
            }
            return false;
        }
        DamagedLines damaged;
        auto root = parse(bytes, &damaged);
        if (!root) {
            setDamagedFileAside(lockHeld);
            return true;
        }
        if (damaged.count > 0) {
            // Their values read as missing; the lines are kept and written back unchanged.
            logWarn(kRegistryLogModule,
                    "%s: %zu damaged line(s) kept as they are, the first at line %zu",
                    m_path.c_str(), damaged.count, damaged.firstLine);
        }
        m_root = std::move(root);
        m_stamp = stamp;
        m_loaded = true;
        m_damagedInPlace = false;
        return true;
    }

    // Under the file lock (so that two processes do not both move files aside, the
    // second one a fresh hive), checks the file again and renames it "<file>.corrupt"
    // (or "<file>.corrupt.<n>" when that is taken). The tree starts empty.
    void setDamagedFileAside(bool lockHeld)
    {
        int error = 0;
        std::optional<FileWriteLock> fileLock;
        if (!lockHeld) {
            fileLock = FileWriteLock::acquire(m_path, error);
        }
        const bool locked = lockHeld || fileLock.has_value();
        std::string bytes;
        FileStamp stamp;
        if (locked && readWholeFile(m_path, bytes, stamp) == 0) {
            if (auto root = parse(bytes)) {
                // Replaced by a sound hive meanwhile.
                m_root = std::move(root);
                m_stamp = stamp;
                m_loaded = true;
                m_damagedInPlace = false;
                return;
            }
        }
        std::string aside = m_path + ".corrupt";
        for (int n = 2; access(aside.c_str(), F_OK) == 0; ++n) {
            aside = m_path + ".corrupt." + std::to_string(n);
        }
        m_root = std::make_unique<RegKey>();
        m_loaded = true;
        if (locked && rename(m_path.c_str(), aside.c_str()) == 0) {
            reportToUser("the hive file \"" + m_path + "\" is damaged; kept as \"" + aside +
                         "\" and started afresh");
            m_stamp.reset();
            m_damagedInPlace = false;
        } else {
            reportToUser("the hive file \"" + m_path +
                         "\" is damaged and cannot be set aside; it is read as empty and "
                         "left unchanged");
            m_stamp = fileStamp(m_path);
            m_damagedInPlace = true;
        }
    }

    std::mutex m_mutex;
    const std::string m_path;
    std::unique_ptr<RegKey> m_root = std::make_unique<RegKey>();
    std::optional<FileStamp> m_stamp;
    bool m_loaded = false;
    // A damaged file that could not be moved aside is never overwritten.
    bool m_damagedInPlace = false;
    int m_batchDepth = 0;
    bool m_batchDirty = false;
    std::optional<FileWriteLock> m_batchLock;
};

// ---- handles --------------------------------------------------------------------------

struct OpenKey
{
    int hive = 0;
    std::vector<std::string> path;
};

struct Registry
{
    std::mutex mutex;
    std::map<std::string, std::unique_ptr<Hive>> hives; // by file path
    std::map<PWIN_HKEY, OpenKey> handles;
    PWIN_HKEY nextHandle = 0x10000;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

// The hive and path that a handle names, or the error for a bad handle.
std::optional<OpenKey> resolveHandle(PWIN_HKEY key)
{
    if (key >= PWIN_HKEY_CLASSES_ROOT && key <= PWIN_HKEY_LOCAL_MACHINE) {
        return OpenKey{static_cast<int>(key - PWIN_HKEY_CLASSES_ROOT), {}};
    }
    std::lock_guard lock(registry().mutex);
    const auto found = registry().handles.find(key);
    if (found == registry().handles.end()) {
        return std::nullopt;
    }
    return found->second;
}

Hive& hiveOf(int index)
{
    const std::string path = registryFolder() + "/" + kHiveNames[index] + ".hive";
    std::lock_guard lock(registry().mutex);
    auto& hive = registry().hives[path];
    if (!hive) {
        hive = std::make_unique<Hive>(path);
    }
    return *hive;
}

PWIN_HKEY newHandle(OpenKey key)
{
    std::lock_guard lock(registry().mutex);
    const PWIN_HKEY handle = registry().nextHandle++;
    registry().handles.emplace(handle, std::move(key));
    return handle;
}

// Splits "A\B\C" into names; nothing for an empty name or one longer than 255 characters.
std::optional<std::vector<std::string>> splitSubKey(const char* subKey)
{
    std::vector<std::string> names;
    if (subKey == nullptr || *subKey == '\0') {
        return names;
    }
    std::string_view text(subKey);
    for (;;) {
        const size_t end = text.find('\\');
        const std::string_view name = text.substr(0, end);
        if (name.empty() || name.size() > PWIN_REG_MAX_KEY_NAME) {
            return std::nullopt;
        }
        names.emplace_back(name);
        if (end == std::string_view::npos) {
            return names;
        }
        text.remove_prefix(end + 1);
    }
}

RegKey* walk(RegKey& root, const std::vector<std::string>& path)
{
    RegKey* key = &root;
    for (const auto& name : path) {
        key = key->findSubKey(name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

// Copies bytes into a caller's buffer of *size bytes, as the query functions do.
PWIN_LONG copyData(const std::string& bytes, uint8_t* data, PWIN_DWORD* size)
{
    if (size == nullptr) {
        return data == nullptr ? PWIN_ERROR_SUCCESS : PWIN_ERROR_INVALID_PARAMETER;
    }
    const auto needed = static_cast<PWIN_DWORD>(bytes.size());
    if (data == nullptr) {
        *size = needed;
        return PWIN_ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return PWIN_ERROR_MORE_DATA;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    *size = needed;
    return PWIN_ERROR_SUCCESS;
}

// Copies a name into a caller's buffer of *length characters (terminator included).
PWIN_LONG copyName(const std::string& name, char* buffer, PWIN_DWORD* length)
{
    if (buffer == nullptr || length == nullptr) {
        return PWIN_ERROR_INVALID_PARAMETER;
    }
    if (*length <= name.size()) {
        return PWIN_ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *length = static_cast<PWIN_DWORD>(name.size());
    return PWIN_ERROR_SUCCESS;
}

// Runs a body on the key that a handle names (plus an optional sub-key path).
template <typename Body>
PWIN_LONG readKey(PWIN_HKEY handle, const std::vector<std::string>& subPath, Body body)
{
    const auto open = resolveHandle(handle);
    if (!open) {
        return PWIN_ERROR_INVALID_HANDLE;
    }
    return hiveOf(open->hive).read([&](RegKey& root) -> PWIN_LONG {
        RegKey* key = walk(root, open->path);
        if (key == nullptr) {
            return PWIN_ERROR_KEY_DELETED;
        }
        key = walk(*key, subPath);
        if (key == nullptr) {
            return PWIN_ERROR_FILE_NOT_FOUND;
        }
        return body(*key);
    });
}

template <typename Body> PWIN_LONG writeKey(PWIN_HKEY handle, Body body)
{
    const auto open = resolveHandle(handle);
    if (!open) {
        return PWIN_ERROR_INVALID_HANDLE;
    }
    return hiveOf(open->hive).write([&](RegKey& root, bool& changed) -> PWIN_LONG {
        RegKey* key = walk(root, open->path);
        if (key == nullptr) {
            return PWIN_ERROR_KEY_DELETED;
        }
        return body(*key, changed);
    });
}

} // namespace

} // namespace platform::win

using namespace platform::win;

static PWIN_LONG pwin_RegCreateKeyExAImpl(PWIN_HKEY key, const char* subKey, PWIN_DWORD reserved,
                                          char* keyClass, PWIN_DWORD options, PWIN_DWORD access,
                                          void* security, PWIN_HKEY* result,
                                          PWIN_DWORD* disposition)
{
    (void)reserved;
    (void)keyClass;
    (void)options;
    (void)access;
    (void)security;
    if (result == nullptr) {
        return PWIN_ERROR_INVALID_PARAMETER;
    }
    *result = 0;
    const auto names = splitSubKey(subKey);
    if (!names) {
        return PWIN_ERROR_BADKEY;
    }
    const auto open = resolveHandle(key);
    if (!open) {
        return PWIN_ERROR_INVALID_HANDLE;
    }
    bool created = false;
    const PWIN_LONG status = writeKey(key, [&](RegKey& base, bool& changed) -> PWIN_LONG {
        RegKey* current = &base;
        for (const auto& name : *names) {
            RegKey* next = current->findSubKey(name);
            if (next == nullptr) {
                next = current->addSubKey(name);
                created = true;
                changed = true;
            }
            current = next;
        }
        return PWIN_ERROR_SUCCESS;
    });
    if (status != PWIN_ERROR_SUCCESS) {
        return status;
    }
    OpenKey opened = *open;
    opened.path.insert(opened.path.end(), names->begin(), names->end());
    *result = newHandle(std::move(opened));
    if (disposition != nullptr) {
        *disposition = created ? PWIN_REG_CREATED_NEW_KEY : PWIN_REG_OPENED_EXISTING_KEY;
    }
    return PWIN_ERROR_SUCCESS;
}

static PWIN_LONG pwin_RegOpenKeyExAImpl(PWIN_HKEY key, const char* subKey, PWIN_DWORD options,
                                        PWIN_DWORD access, PWIN_HKEY* result)
{
    (void)options;
    (void)access;
    if (result == nullptr) {
        return PWIN_ERROR_INVALID_PARAMETER;
    }
    *result = 0;
    const auto names = splitSubKey(subKey);
    if (!names) {
        return PWIN_ERROR_BADKEY;
    }
    const auto open = resolveHandle(key);
    if (!open) {
        return PWIN_ERROR_INVALID_HANDLE;
    }
    // The stored spelling of each name becomes the handle's path.
    OpenKey opened = *open;
    const PWIN_LONG status = readKey(key, {}, [&](RegKey& base) -> PWIN_LONG {
        RegKey* current = &base;
        for (const auto& name : *names) {
            current = current->findSubKey(name);
            if (current == nullptr) {
                return PWIN_ERROR_FILE_NOT_FOUND;
            }
            opened.path.push_back(current->name);
        }
        return PWIN_ERROR_SUCCESS;
    });
    if (status != PWIN_ERROR_SUCCESS) {
        return status;
    }
    *result = newHandle(std::move(opened));
    return PWIN_ERROR_SUCCESS;
}

static PWIN_LONG pwin_RegCloseKeyImpl(PWIN_HKEY key)
{
    if (key >= PWIN_HKEY_CLASSES_ROOT && key <= PWIN_HKEY_LOCAL_MACHINE) {
        return PWIN_ERROR_SUCCESS;
    }
    std::lock_guard lock(registry().mutex);
    return registry().handles.erase(key) == 1 ? PWIN_ERROR_SUCCESS : PWIN_ERROR_INVALID_HANDLE;
}

static PWIN_LONG pwin_RegSetValueExAImpl(PWIN_HKEY key, const char* valueName, PWIN_DWORD reserved,
                                         PWIN_DWORD type, const uint8_t* data, PWIN_DWORD size)
{
    (void)reserved;
    if ((data == nullptr && size != 0) || (type == PWIN_REG_DWORD && size != 4)) {
        return PWIN_ERROR_INVALID_PARAMETER;
    }
    const std::string name = valueName != nullptr ? valueName : "";
    if (name.size() > PWIN_REG_MAX_VALUE_NAME) {
        return PWIN_ERROR_INVALID_PARAMETER;
    }
    const std::string bytes(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
    return writeKey(key, [&](RegKey& target, bool& changed) -> PWIN_LONG {
        RegValue* value = target.findValue(name);
        if (value == nullptr) {
            target.values.push_back(RegValue{name, type, bytes});
        } else {
            value->type = type;
            value->data = bytes;
        }
        changed = true;
        return PWIN_ERROR_SUCCESS;
    });
}

static PWIN_LONG pwin_RegQueryValueExAImpl(PWIN_HKEY key, const char* valueName,
                                           PWIN_DWORD* reserved, PWIN_DWORD* type, uint8_t* data,
                                           PWIN_DWORD* size)
{
    (void)reserved;
    const std::string name = valueName != nullptr ? valueName : "";
    return readKey(key, {}, [&](RegKey& target) -> PWIN_LONG {
        const RegValue* value = target.findValue(name);
        if (value == nullptr) {
            return PWIN_ERROR_FILE_NOT_FOUND;
        }
        if (type != nullptr) {
            *type = value->type;
        }
        return copyData(value->data, data, size);
    });
}

static PWIN_LONG pwin_RegEnumKeyExAImpl(PWIN_HKEY key, PWIN_DWORD index, char* name,
                                        PWIN_DWORD* nameLength, PWIN_DWORD* reserved,
                                        char* keyClass, PWIN_DWORD* classLength, void* lastWrite)
{
    (void)reserved;
    (void)lastWrite;
    return readKey(key, {}, [&](RegKey& target) -> PWIN_LONG {
        if (index >= target.subKeys.size()) {
            return PWIN_ERROR_NO_MORE_ITEMS;
        }
        const PWIN_LONG status = copyName(target.subKeys[index]->name, name, nameLength);
        if (status == PWIN_ERROR_SUCCESS && keyClass != nullptr && classLength != nullptr &&
            *classLength > 0) {
            keyClass[0] = '\0';
            *classLength = 0;
        }
        return status;
    });
}

static PWIN_LONG pwin_RegEnumValueAImpl(PWIN_HKEY key, PWIN_DWORD index, char* name,
                                        PWIN_DWORD* nameLength, PWIN_DWORD* reserved,
                                        PWIN_DWORD* type, uint8_t* data, PWIN_DWORD* size)
{
    (void)reserved;
    return readKey(key, {}, [&](RegKey& target) -> PWIN_LONG {
        if (index >= target.values.size()) {
            return PWIN_ERROR_NO_MORE_ITEMS;
        }
        const RegValue& value = target.values[index];
        const PWIN_LONG status = copyName(value.name, name, nameLength);
        if (status != PWIN_ERROR_SUCCESS) {
            return status;
        }
        if (type != nullptr) {
            *type = value.type;
        }
        return copyData(value.data, data, size);
    });
}

static PWIN_LONG pwin_RegDeleteValueAImpl(PWIN_HKEY key, const char* valueName)
{
    const std::string name = valueName != nullptr ? valueName : "";
    return writeKey(key, [&](RegKey& target, bool& changed) -> PWIN_LONG {
        const auto found =
            std::find_if(target.values.begin(), target.values.end(),
                         [&](const RegValue& v) { return equalsNoCase(v.name, name); });
        if (found == target.values.end()) {
            return PWIN_ERROR_FILE_NOT_FOUND;
        }
        target.values.erase(found);
        changed = true;
        return PWIN_ERROR_SUCCESS;
    });
}

namespace {

// Deletes the sub-key at path below base: only when it has no sub-keys unless recursive.
PWIN_LONG deleteBelow(PWIN_HKEY key, const char* subKey, bool recursive)
{
    const auto names = splitSubKey(subKey);
    if (!names) {
        return PWIN_ERROR_BADKEY;
    }
    return writeKey(key, [&](RegKey& base, bool& changed) -> PWIN_LONG {
        if (names->empty()) {
            if (!recursive) {
                // A key cannot delete itself through its own handle.
                return PWIN_ERROR_ACCESS_DENIED;
            }
            changed = !base.subKeys.empty() || !base.values.empty();
            base.subKeys.clear();
            base.values.clear();
            return PWIN_ERROR_SUCCESS;
        }
        std::vector<std::string> parentPath(names->begin(), names->end() - 1);
        RegKey* parent = walk(base, parentPath);
        RegKey* target = parent != nullptr ? parent->findSubKey(names->back()) : nullptr;
        if (target == nullptr) {
            return PWIN_ERROR_FILE_NOT_FOUND;
        }
        if (!recursive && !target->subKeys.empty()) {
            return PWIN_ERROR_ACCESS_DENIED;
        }
        parent->removeSubKey(names->back());
        changed = true;
        return PWIN_ERROR_SUCCESS;
    });
}

} // namespace

static PWIN_LONG pwin_RegBeginBatchImpl(PWIN_HKEY key)
{
    const auto open = resolveHandle(key);
    return open ? hiveOf(open->hive).beginBatch() : PWIN_ERROR_INVALID_HANDLE;
}

static PWIN_LONG pwin_RegCommitBatchImpl(PWIN_HKEY key)
{
    const auto open = resolveHandle(key);
    return open ? hiveOf(open->hive).commitBatch() : PWIN_ERROR_INVALID_HANDLE;
}

static PWIN_LONG pwin_RegDeleteKeyAImpl(PWIN_HKEY key, const char* subKey)
{
    return deleteBelow(key, subKey, false);
}

static PWIN_LONG pwin_RegDeleteTreeAImpl(PWIN_HKEY key, const char* subKey)
{
    return deleteBelow(key, subKey, true);
}

// ---- exports: every body runs inside the export guard ----

PWIN_API PWIN_LONG pwin_RegCreateKeyExA(PWIN_HKEY key, const char* subKey, PWIN_DWORD reserved,
                                        char* keyClass, PWIN_DWORD options, PWIN_DWORD access,
                                        void* security, PWIN_HKEY* result, PWIN_DWORD* disposition)
{
    return exportGuard<PWIN_LONG>("pwin_RegCreateKeyExA", PWIN_ERROR_NOT_ENOUGH_MEMORY, [&] {
        return pwin_RegCreateKeyExAImpl(key, subKey, reserved, keyClass, options, access, security,
                                        result, disposition);
    });
}

PWIN_API PWIN_LONG pwin_RegOpenKeyExA(PWIN_HKEY key, const char* subKey, PWIN_DWORD options,
                                      PWIN_DWORD access, PWIN_HKEY* result)
{
    return exportGuard<PWIN_LONG>("pwin_RegOpenKeyExA", PWIN_ERROR_NOT_ENOUGH_MEMORY, [&] {
        return pwin_RegOpenKeyExAImpl(key, subKey, options, access, result);
    });
}

PWIN_API PWIN_LONG pwin_RegCloseKey(PWIN_HKEY key)
{
    return exportGuard<PWIN_LONG>("pwin_RegCloseKey", PWIN_ERROR_NOT_ENOUGH_MEMORY,
                                  [&] { return pwin_RegCloseKeyImpl(key); });
}

PWIN_API PWIN_LONG pwin_RegSetValueExA(PWIN_HKEY key, const char* valueName, PWIN_DWORD reserved,
                                       PWIN_DWORD type, const uint8_t* data, PWIN_DWORD size)
{
    return exportGuard<PWIN_LONG>("pwin_RegSetValueExA", PWIN_ERROR_NOT_ENOUGH_MEMORY, [&] {
        return pwin_RegSetValueExAImpl(key, valueName, reserved, type, data, size);
    });
}

PWIN_API PWIN_LONG pwin_RegQueryValueExA(PWIN_HKEY key, const char* valueName, PWIN_DWORD* reserved,
                                         PWIN_DWORD* type, uint8_t* data, PWIN_DWORD* size)
{
    return exportGuard<PWIN_LONG>("pwin_RegQueryValueExA", PWIN_ERROR_NOT_ENOUGH_MEMORY, [&] {
        return pwin_RegQueryValueExAImpl(key, valueName, reserved, type, data, size);
    });
}

PWIN_API PWIN_LONG pwin_RegEnumKeyExA(PWIN_HKEY key, PWIN_DWORD index, char* name,
                                      PWIN_DWORD* nameLength, PWIN_DWORD* reserved, char* keyClass,
                                      PWIN_DWORD* classLength, void* lastWrite)
{
    return exportGuard<PWIN_LONG>("pwin_RegEnumKeyExA", PWIN_ERROR_NOT_ENOUGH_MEMORY, [&] {
        return pwin_RegEnumKeyExAImpl(key, index, name, nameLength, reserved, keyClass, classLength,
                                      lastWrite);
    });
}

PWIN_API PWIN_LONG pwin_RegEnumValueA(PWIN_HKEY key, PWIN_DWORD index, char* name,
                                      PWIN_DWORD* nameLength, PWIN_DWORD* reserved,
                                      PWIN_DWORD* type, uint8_t* data, PWIN_DWORD* size)
{
    return exportGuard<PWIN_LONG>("pwin_RegEnumValueA", PWIN_ERROR_NOT_ENOUGH_MEMORY, [&] {
        return pwin_RegEnumValueAImpl(key, index, name, nameLength, reserved, type, data, size);
    });
}

PWIN_API PWIN_LONG pwin_RegDeleteValueA(PWIN_HKEY key, const char* valueName)
{
    return exportGuard<PWIN_LONG>("pwin_RegDeleteValueA", PWIN_ERROR_NOT_ENOUGH_MEMORY,
                                  [&] { return pwin_RegDeleteValueAImpl(key, valueName); });
}

PWIN_API PWIN_LONG pwin_RegDeleteKeyA(PWIN_HKEY key, const char* subKey)
{
    return exportGuard<PWIN_LONG>("pwin_RegDeleteKeyA", PWIN_ERROR_NOT_ENOUGH_MEMORY,
                                  [&] { return pwin_RegDeleteKeyAImpl(key, subKey); });
}

PWIN_API PWIN_LONG pwin_RegDeleteTreeA(PWIN_HKEY key, const char* subKey)
{
    return exportGuard<PWIN_LONG>("pwin_RegDeleteTreeA", PWIN_ERROR_NOT_ENOUGH_MEMORY,
                                  [&] { return pwin_RegDeleteTreeAImpl(key, subKey); });
}

PWIN_API PWIN_LONG pwin_RegBeginBatch(PWIN_HKEY key)
{
    return exportGuard<PWIN_LONG>("pwin_RegBeginBatch", PWIN_ERROR_NOT_ENOUGH_MEMORY,
                                  [&] { return pwin_RegBeginBatchImpl(key); });
}

PWIN_API PWIN_LONG pwin_RegCommitBatch(PWIN_HKEY key)
{
    return exportGuard<PWIN_LONG>("pwin_RegCommitBatch", PWIN_ERROR_NOT_ENOUGH_MEMORY,
                                  [&] { return pwin_RegCommitBatchImpl(key); });
}
