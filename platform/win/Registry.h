#pragma once

// C++ names of the registry (platform/win/c/pwin_registry.h): hives of keys and typed
// values kept in files, shared by every handle of the process and refreshed when another
// process changed them. Every function may be called from any thread.

#include "platform/win/System.h"
#include "platform/win/c/pwin_registry.h"

namespace platform::win {

using HKEY = PWIN_HKEY;
using LONG = PWIN_LONG;

inline constexpr HKEY HKEY_CLASSES_ROOT = PWIN_HKEY_CLASSES_ROOT;
inline constexpr HKEY HKEY_CURRENT_USER = PWIN_HKEY_CURRENT_USER;
inline constexpr HKEY HKEY_LOCAL_MACHINE = PWIN_HKEY_LOCAL_MACHINE;

inline constexpr PWIN_DWORD REG_NONE = PWIN_REG_NONE;
inline constexpr PWIN_DWORD REG_SZ = PWIN_REG_SZ;
inline constexpr PWIN_DWORD REG_EXPAND_SZ = PWIN_REG_EXPAND_SZ;
inline constexpr PWIN_DWORD REG_BINARY = PWIN_REG_BINARY;
inline constexpr PWIN_DWORD REG_DWORD = PWIN_REG_DWORD;
inline constexpr PWIN_DWORD REG_MULTI_SZ = PWIN_REG_MULTI_SZ;
inline constexpr PWIN_DWORD REG_OPTION_NON_VOLATILE = PWIN_REG_OPTION_NON_VOLATILE;
inline constexpr PWIN_DWORD KEY_QUERY_VALUE = PWIN_KEY_QUERY_VALUE;
inline constexpr PWIN_DWORD KEY_SET_VALUE = PWIN_KEY_SET_VALUE;
inline constexpr PWIN_DWORD KEY_READ = PWIN_KEY_READ;
inline constexpr PWIN_DWORD KEY_WRITE = PWIN_KEY_WRITE;
inline constexpr PWIN_DWORD KEY_ALL_ACCESS = PWIN_KEY_ALL_ACCESS;
inline constexpr PWIN_DWORD REG_CREATED_NEW_KEY = PWIN_REG_CREATED_NEW_KEY;
inline constexpr PWIN_DWORD REG_OPENED_EXISTING_KEY = PWIN_REG_OPENED_EXISTING_KEY;

inline constexpr LONG ERROR_BADKEY = PWIN_ERROR_BADKEY;
inline constexpr LONG ERROR_CANTOPEN = PWIN_ERROR_CANTOPEN;
inline constexpr LONG ERROR_CANTREAD = PWIN_ERROR_CANTREAD;
inline constexpr LONG ERROR_CANTWRITE = PWIN_ERROR_CANTWRITE;
inline constexpr LONG ERROR_KEY_DELETED = PWIN_ERROR_KEY_DELETED;

inline LONG RegCreateKeyEx(HKEY key, const char* subKey, PWIN_DWORD reserved, char* keyClass,
                           PWIN_DWORD options, PWIN_DWORD access, void* security, HKEY* result,
                           PWIN_DWORD* disposition)
{
    return pwin_RegCreateKeyExA(key, subKey, reserved, keyClass, options, access, security, result,
                                disposition);
}

inline LONG RegOpenKeyEx(HKEY key, const char* subKey, PWIN_DWORD options, PWIN_DWORD access,
                         HKEY* result)
{
    return pwin_RegOpenKeyExA(key, subKey, options, access, result);
}

inline LONG RegCloseKey(HKEY key)
{
    return pwin_RegCloseKey(key);
}

inline LONG RegSetValueEx(HKEY key, const char* valueName, PWIN_DWORD reserved, PWIN_DWORD type,
                          const uint8_t* data, PWIN_DWORD size)
{
    return pwin_RegSetValueExA(key, valueName, reserved, type, data, size);
}

inline LONG RegQueryValueEx(HKEY key, const char* valueName, PWIN_DWORD* reserved, PWIN_DWORD* type,
                            uint8_t* data, PWIN_DWORD* size)
{
    return pwin_RegQueryValueExA(key, valueName, reserved, type, data, size);
}

inline LONG RegEnumKeyEx(HKEY key, PWIN_DWORD index, char* name, PWIN_DWORD* nameLength,
                         PWIN_DWORD* reserved, char* keyClass, PWIN_DWORD* classLength,
                         void* lastWrite)
{
    return pwin_RegEnumKeyExA(key, index, name, nameLength, reserved, keyClass, classLength,
                              lastWrite);
}

inline LONG RegEnumValue(HKEY key, PWIN_DWORD index, char* name, PWIN_DWORD* nameLength,
                         PWIN_DWORD* reserved, PWIN_DWORD* type, uint8_t* data, PWIN_DWORD* size)
{
    return pwin_RegEnumValueA(key, index, name, nameLength, reserved, type, data, size);
}

inline LONG RegDeleteValue(HKEY key, const char* valueName)
{
    return pwin_RegDeleteValueA(key, valueName);
}

inline LONG RegDeleteKey(HKEY key, const char* subKey)
{
    return pwin_RegDeleteKeyA(key, subKey);
}

inline LONG RegDeleteTree(HKEY key, const char* subKey)
{
    return pwin_RegDeleteTreeA(key, subKey);
}

// Batches the writes to the hive of key while it lives (see pwin_RegBeginBatch); the
// hive file is written once at commit() or at the end.
class RegistryBatch
{
public:
    explicit RegistryBatch(HKEY key) : m_key(key), m_open(pwin_RegBeginBatch(key) == 0) {}
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;
    ~RegistryBatch() { commit(); }

    // False when the batch could not be started: writes then reach the hive one by one.
    bool isOpen() const { return m_open; }

    // Writes the batch; the status of the write (0 on success).
    LONG commit()
    {
        if (!m_open) {
            return PWIN_ERROR_INVALID_PARAMETER;
        }
        m_open = false;
        return pwin_RegCommitBatch(m_key);
    }

private:
    HKEY m_key;
    bool m_open;
};

} // namespace platform::win
