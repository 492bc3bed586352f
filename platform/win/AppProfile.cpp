#include "platform/win/AppProfile.h"

#include "platform/win/Registry.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace platform::win::app_profile {

namespace {

std::mutex& keyMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& keyStore()
{
    static std::string key = "Software\\Varnholt Software\\Harlune Toolbars";
    return key;
}

std::string sectionPath(const std::string& section)
{
    std::string path = registryKey();
    if (!section.empty())
        path += "\\" + section;
    return path;
}

std::optional<std::vector<uint8_t>> readValue(const std::string& section, const std::string& entry,
                                              PWIN_DWORD wantedType)
{
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, sectionPath(section).c_str(), 0, KEY_READ, &key) != 0)
        return std::nullopt;
    PWIN_DWORD type = 0;
    PWIN_DWORD size = 0;
    std::optional<std::vector<uint8_t>> result;
    if (RegQueryValueEx(key, entry.c_str(), nullptr, &type, nullptr, &size) == 0 &&
        type == wantedType) {
        std::vector<uint8_t> data(size);
        if (RegQueryValueEx(key, entry.c_str(), nullptr, &type, data.data(), &size) == 0 &&
            type == wantedType) {
            data.resize(std::min<std::size_t>(size, data.size()));
            result = std::move(data);
        }
    }
    RegCloseKey(key);
    return result;
}

bool writeValue(const std::string& section, const std::string& entry, PWIN_DWORD type,
                const uint8_t* data, std::size_t size)
{
    if (size > 0xFFFFFFFFu)
        return false;
    HKEY key = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, sectionPath(section).c_str(), 0, nullptr,
                       REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return false;
    const bool written =
        RegSetValueEx(key, entry.c_str(), 0, type, data, static_cast<PWIN_DWORD>(size)) == 0;
    RegCloseKey(key);
    return written;
}

} // namespace

void setRegistryKey(const std::string& key)
{
    std::string trimmed = key;
    while (!trimmed.empty() && trimmed.back() == '\\')
        trimmed.pop_back();
    while (!trimmed.empty() && trimmed.front() == '\\')
        trimmed.erase(trimmed.begin());
    std::lock_guard lock(keyMutex());
    keyStore() = trimmed;
}

std::string registryKey()
{
    std::lock_guard lock(keyMutex());
    return keyStore();
}

int32_t GetProfileInt(const std::string& section, const std::string& entry, int32_t defaultValue)
{
    const auto data = readValue(section, entry, REG_DWORD);
    if (!data || data->size() != sizeof(uint32_t))
        return defaultValue;
    uint32_t value = 0;
    std::memcpy(&value, data->data(), sizeof value);
    return static_cast<int32_t>(value);
}

bool WriteProfileInt(const std::string& section, const std::string& entry, int32_t value)
{
    const auto stored = static_cast<uint32_t>(value);
    uint8_t bytes[sizeof stored];
    std::memcpy(bytes, &stored, sizeof stored);
    return writeValue(section, entry, REG_DWORD, bytes, sizeof bytes);
}

std::optional<std::string> readString(const std::string& section, const std::string& entry)
{
    const auto data = readValue(section, entry, REG_SZ);
    if (!data)
        return std::nullopt;
    std::string text(data->begin(), data->end());
    // The stored text ends with its terminating zero.
    if (const std::size_t end = text.find('\0'); end != std::string::npos)
        text.resize(end);
    return text;
}

std::string GetProfileString(const std::string& section, const std::string& entry,
                             const std::string& defaultValue)
{
    return readString(section, entry).value_or(defaultValue);
}

bool WriteProfileString(const std::string& section, const std::string& entry,
                        const std::string& value)
{
    return writeValue(section, entry, REG_SZ, reinterpret_cast<const uint8_t*>(value.c_str()),
                      value.size() + 1);
}

std::optional<std::vector<uint8_t>> GetProfileBinary(const std::string& section,
                                                     const std::string& entry)
{
    return readValue(section, entry, REG_BINARY);
}

bool WriteProfileBinary(const std::string& section, const std::string& entry,
                        const std::vector<uint8_t>& data)
{
    return writeValue(section, entry, REG_BINARY, data.data(), data.size());
}

bool deleteProfileEntry(const std::string& section, const std::string& entry)
{
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, sectionPath(section).c_str(), 0, KEY_ALL_ACCESS, &key) != 0)
        return false;
    const bool deleted = RegDeleteValue(key, entry.c_str()) == 0;
    RegCloseKey(key);
    return deleted;
}

} // namespace platform::win::app_profile
