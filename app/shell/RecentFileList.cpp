#include "app/shell/RecentFileList.h"

#include "platform/win/AppProfile.h"

#include <algorithm>

namespace profile = platform::win::app_profile;

namespace {

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
    return profile::registryKey() + "\\" + m_section;
}

void RecentFileList::ReadList()
{
    m_paths.clear();
    for (size_t i = 1; i <= m_size; ++i) {
        const std::string path = profile::GetProfileString(m_section, m_prefix + std::to_string(i));
        if (!path.empty() && std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end())
            m_paths.push_back(path);
    }
}

bool RecentFileList::WriteList() const
{
    bool written = true;
    for (size_t i = 0; i < m_size; ++i) {
        const std::string name = m_prefix + std::to_string(i + 1);
        if (i < m_paths.size())
            written = profile::WriteProfileString(m_section, name, m_paths[i]) && written;
        else
            profile::deleteProfileEntry(m_section, name);
    }
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
