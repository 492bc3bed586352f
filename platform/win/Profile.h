#pragma once

// C++ names of the profile-file functions (platform/win/c/pwin_profile.h). Every
// function may be called from any thread.

#include "platform/win/c/pwin_profile.h"

#include <string>

namespace platform::win {

inline PWIN_DWORD GetPrivateProfileString(const char* section, const char* key,
                                          const char* defaultValue, char* buffer, PWIN_DWORD size,
                                          const char* fileName)
{
    return pwin_GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

inline PWIN_UINT GetPrivateProfileInt(const char* section, const char* key, int32_t defaultValue,
                                      const char* fileName)
{
    return pwin_GetPrivateProfileIntA(section, key, defaultValue, fileName);
}

inline PWIN_DWORD GetPrivateProfileSectionNames(char* buffer, PWIN_DWORD size, const char* fileName)
{
    return pwin_GetPrivateProfileSectionNamesA(buffer, size, fileName);
}

inline PWIN_BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                                           const char* fileName)
{
    return pwin_WritePrivateProfileStringA(section, key, value, fileName);
}

// Collects the writes to one file while it lives and writes the file once at the end
// (see pwin_BeginProfileBatch). commit() ends it early and tells whether the write
// succeeded.
class ProfileBatch
{
public:
    explicit ProfileBatch(std::string fileName) : m_fileName(std::move(fileName))
    {
        pwin_BeginProfileBatch(m_fileName.c_str());
    }
    ProfileBatch(const ProfileBatch&) = delete;
    ProfileBatch& operator=(const ProfileBatch&) = delete;
    ~ProfileBatch()
    {
        if (!m_committed) {
            pwin_CommitProfileBatch(m_fileName.c_str());
        }
    }

    bool commit()
    {
        if (m_committed) {
            return false;
        }
        m_committed = true;
        return pwin_CommitProfileBatch(m_fileName.c_str()) != 0;
    }

private:
    std::string m_fileName;
    bool m_committed = false;
};

} // namespace platform::win
