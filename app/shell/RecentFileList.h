#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A most-recently-used list of file paths kept in the program's tool-bar profile
// (HKEY_CURRENT_USER, "Software\Varnholt Software\Harlune Toolbars\<section>", entries
// "<prefix>1" to "<prefix><size>", newest first). GUI thread only.
class RecentFileList
{
public:
    // section "RecentScripts", entryPrefix "script", size 6, displayLength 100 for the recent
    // scripts.
    RecentFileList(std::string section, std::string entryPrefix, size_t size, size_t displayLength);

    // Replaces the list by the stored one (empty entries are skipped).
    void ReadList();
    // Stores the list; entries beyond its length are removed from the profile. False when the
    // profile cannot be written.
    bool WriteList() const;

    // Puts path first; an entry of the same path moves up; the oldest falls off when full.
    void Add(const std::string& path);
    void Remove(size_t index);

    size_t size() const { return m_paths.size(); }
    size_t capacity() const { return m_size; }
    const std::string& operator[](size_t index) const { return m_paths.at(index); }
    // The path as a menu shows it: at most displayLength characters, the start replaced by
    // "..." when it is longer.
    std::string displayName(size_t index) const;

private:
    std::string keyPath() const;

    std::string m_section;
    std::string m_prefix;
    size_t m_size;
    size_t m_displayLength;
    std::vector<std::string> m_paths;
};
