#include "app/qt/FrameProfile.h"

#include "platform/win/Registry.h"

namespace win = platform::win;

namespace frame_profile {

namespace {

constexpr const char* kProfileKey = "Software\\Varnholt Software\\Harlune Toolbars\\";

std::optional<std::vector<uint8_t>> readValue(const std::string& section, const std::string& entry,
                                              PWIN_DWORD wantedType)
{
    win::HKEY key = 0;
    const std::string path = kProfileKey + section;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, path.c_str(), 0, win::KEY_READ, &key) != 0)
        return std::nullopt;
    PWIN_DWORD type = 0;
    PWIN_DWORD size = 0;
    std::optional<std::vector<uint8_t>> result;
    if (win::RegQueryValueEx(key, entry.c_str(), nullptr, &type, nullptr, &size) == 0 &&
        type == wantedType) {
        std::vector<uint8_t> data(size);
        if (win::RegQueryValueEx(key, entry.c_str(), nullptr, &type, data.data(), &size) == 0 &&
            type == wantedType) {
            data.resize(size);
            result = std::move(data);
        }
    }
    win::RegCloseKey(key);
    return result;
}

bool writeValue(const std::string& section, const std::string& entry, PWIN_DWORD type,
                const uint8_t* data, size_t size)
{
    win::HKEY key = 0;
    const std::string path = kProfileKey + section;
    if (win::RegCreateKeyEx(win::HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                            win::REG_OPTION_NON_VOLATILE, win::KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != 0)
        return false;
    const bool written =
        win::RegSetValueEx(key, entry.c_str(), 0, type, data, static_cast<PWIN_DWORD>(size)) == 0;
    win::RegCloseKey(key);
    return written;
}

} // namespace

std::optional<std::string> readText(const std::string& section, const std::string& entry)
{
    auto data = readValue(section, entry, win::REG_SZ);
    if (!data)
        return std::nullopt;
    std::string text(data->begin(), data->end());
    // The stored text ends with its terminating zero.
    if (const size_t end = text.find('\0'); end != std::string::npos)
        text.resize(end);
    return text;
}

bool writeText(const std::string& section, const std::string& entry, const std::string& text)
{
    return writeValue(section, entry, win::REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                      text.size() + 1);
}

std::optional<std::vector<uint8_t>> readBinary(const std::string& section, const std::string& entry)
{
    return readValue(section, entry, win::REG_BINARY);
}

bool writeBinary(const std::string& section, const std::string& entry,
                 const std::vector<uint8_t>& data)
{
    return writeValue(section, entry, win::REG_BINARY, data.data(), data.size());
}

} // namespace frame_profile
