#include "app/shell/SettingsBackend.h"

#include "platform/win/Profile.h"
#include "platform/win/Registry.h"
#include "platform/win/System.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace app::settings {

namespace win = platform::win;

namespace {

// Closes a registry key when it goes out of scope.
class KeyGuard
{
public:
    explicit KeyGuard(win::HKEY key) : m_key(key) {}
    ~KeyGuard() { win::RegCloseKey(m_key); }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;

private:
    win::HKEY m_key;
};

} // namespace

std::optional<std::string> readRegistryString(const std::string& keyPath, const char* name)
{
    win::HKEY key{};
    if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, win::KEY_QUERY_VALUE,
                          &key) != 0)
        return std::nullopt;
    KeyGuard guard(key);
    // A 300-byte buffer as the settings store has always used; a longer value is read whole
    // here and cut by the caller.
    std::vector<uint8_t> data(300);
    PWIN_DWORD type = 0;
    PWIN_DWORD size = static_cast<PWIN_DWORD>(data.size());
    win::LONG status = win::RegQueryValueEx(key, name, nullptr, &type, data.data(), &size);
    if (status == static_cast<win::LONG>(win::ERROR_MORE_DATA)) {
        data.resize(size);
        status = win::RegQueryValueEx(key, name, nullptr, &type, data.data(), &size);
    }
    if (status != 0)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(data.data()),
                     std::min<std::size_t>(size, data.size()));
    // The stored data may or may not carry its terminating zero.
    if (const auto zero = text.find('\0'); zero != std::string::npos)
        text.resize(zero);
    return text;
}

long writeRegistryString(const std::string& keyPath, const char* name, const std::string& text)
{
    win::HKEY key{};
    PWIN_DWORD disposition = 0;
    const win::LONG created = win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, keyPath.c_str(), 0,
                                                  nullptr, win::REG_OPTION_NON_VOLATILE,
                                                  win::KEY_ALL_ACCESS, nullptr, &key, &disposition);
    if (created != 0)
        return created;
    KeyGuard guard(key);
    // The byte count is the text's length without its terminating zero.
    return win::RegSetValueEx(key, name, 0, win::REG_SZ,
                              reinterpret_cast<const uint8_t*>(text.data()),
                              static_cast<PWIN_DWORD>(text.size()));
}

void beginRegistryBatch()
{
    pwin_RegBeginBatch(win::HKEY_LOCAL_MACHINE);
}

bool endRegistryBatch()
{
    return pwin_RegCommitBatch(win::HKEY_LOCAL_MACHINE) == 0;
}

std::string readProfileString(const char* section, const char* key, const std::string& def,
                              const std::string& path)
{
    // Read whole (up to 4 KiB): the caller cuts the value to the store's limit, at a
    // character boundary.
    std::vector<char> buffer(4096);
    win::GetPrivateProfileString(section, key, def.c_str(), buffer.data(),
                                 static_cast<uint32_t>(buffer.size()), path.c_str());
    return buffer.data();
}

bool writeProfileString(const char* section, const char* key, const std::string& text,
                        const std::string& path)
{
    return win::WritePrivateProfileString(section, key, text.c_str(), path.c_str()) != 0;
}

void beginProfileBatch(const std::string& path)
{
    pwin_BeginProfileBatch(path.c_str());
}

bool endProfileBatch(const std::string& path)
{
    return pwin_CommitProfileBatch(path.c_str()) != 0;
}

std::string configurationFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg != nullptr && xdg[0] != '\0') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : ".") + "/.config";
    }
    return base + "/Varnholt Software";
}

void showMessageBox(const char* text, const char* caption)
{
    win::MessageBox(0, text, caption, win::MB_OK);
}

} // namespace app::settings
