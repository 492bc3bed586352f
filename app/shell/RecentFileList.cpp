#include "app/shell/RecentFileList.h"

#include "platform/win/Registry.h"

#include <algorithm>

namespace win = platform::win;

namespace {

constexpr const char* kProfileKey = "Software\\Varnholt Software\\Harlune Toolbars";

bool continuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

RecentFileList::RecentFileList(std::string section, std::string entryPrefix, size_t size,
                               size_t displayLength)
    : m_section(std::move(section)), m_prefix(std::move(entryPrefix)), m_size(size),
      m_displayLength(displayLength)
{}

std::string RecentFileList::keyPath() const
{
    return std::string(kProfileKey) + "\\" + m_section;
}

void RecentFileList::ReadList()
{
    m_paths.clear();
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, keyPath().c_str(), 0, win::KEY_READ, &key) != 0)
        return;
    for (size_t i = 1; i <= m_size; ++i) {
        const std::string name = m_prefix + std::to_string(i);
        PWIN_DWORD type = 0;
        PWIN_DWORD length = 0;
        if (win::RegQueryValueEx(key, name.c_str(), nullptr, &type, nullptr, &length) != 0 ||
            type != win::REG_SZ || length == 0)
            continue;
        std::string path(length, '\0');
        if (win::RegQueryValueEx(key, name.c_str(), nullptr, &type,
                                 reinterpret_cast<uint8_t*>(path.data()), &length) != 0)
            continue;
        path.resize(std::min<size_t>(length, path.size()));
        while (!path.empty() && path.back() == '\0')
            path.pop_back();
        if (!path.empty() && std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end())
            m_paths.push_back(path);
    }
    win::RegCloseKey(key);
}

bool RecentFileList::WriteList() const
{
    win::HKEY key = 0;
    if (win::RegCreateKeyEx(win::HKEY_CURRENT_USER, keyPath().c_str(), 0, nullptr,
                            win::REG_OPTION_NON_VOLATILE, win::KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != 0)
        return false;
    bool written = true;
    for (size_t i = 0; i < m_size; ++i) {
        const std::string name = m_prefix + std::to_string(i + 1);
        if (i < m_paths.size()) {
            const std::string& path = m_paths[i];
            written = win::RegSetValueEx(key, name.c_str(), 0, win::REG_SZ,
                                         reinterpret_cast<const uint8_t*>(path.c_str()),
                                         static_cast<PWIN_DWORD>(path.size() + 1)) == 0 &&
                      written;
        } else {
            win::RegDeleteValue(key, name.c_str());
        }
    }
    win::RegCloseKey(key);
    return written;
}

void RecentFileList::Add(const std::string& path)
{
    if (path.empty() || m_size == 0)
        return;
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > m_size)
        m_paths.resize(m_size);
}

void RecentFileList::Remove(size_t index)
{
    if (index < m_paths.size())
        m_paths.erase(m_paths.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string RecentFileList::displayName(size_t index) const
{
    const std::string& path = m_paths.at(index);
    if (path.size() <= m_displayLength || m_displayLength < 4)
        return path.substr(0, std::min(path.size(), m_displayLength));
    // Keep the end, which names the file, and never start inside a UTF-8 character.
    size_t start = path.size() - (m_displayLength - 3);
    while (start < path.size() && continuationByte(path[start]))
        ++start;
    return "..." + path.substr(start);
}
