/* The registry: keys with sub-keys and typed values in three hives, stored as text files
 * "HKEY_CURRENT_USER.hive", "HKEY_LOCAL_MACHINE.hive" and "HKEY_CLASSES_ROOT.hive" in
 * $HARLUNE_REGISTRY_DIR when set, else in "$XDG_CONFIG_HOME/Varnholt Software/" (or
 * "~/.config/Varnholt Software/").
 *
 * Each hive has one copy in the process, so every handle sees every write at once. Each
 * call first re-reads the hive when another process replaced its file; each write takes
 * a file lock against other processes, applies the change and replaces the file
 * atomically (temporary file, then rename), so a crash never leaves a torn hive and no
 * process loses another's write. A hive file that cannot be read as a hive is reported on
 * standard error, renamed to "<file>.corrupt" and started afresh; lines of a readable
 * hive that cannot be parsed are kept and written back as they were.
 *
 * Key and value names compare without regard to ASCII case and keep the spelling they
 * were created with. Sub-keys enumerate in name order, values in the order they were
 * first set. Functions return Win32 error codes (PWIN_ERROR_... of pwin_system.h).
 * Every function may be called from any thread. */
#ifndef PWIN_REGISTRY_H
#define PWIN_REGISTRY_H

#include "platform/win/c/pwin_types.h"

/* An open key: one of the predefined roots or a handle from create or open. Handles are
 * never reused within a process. */
typedef uintptr_t PWIN_HKEY;

#define PWIN_HKEY_CLASSES_ROOT ((PWIN_HKEY)0x80000000u)
#define PWIN_HKEY_CURRENT_USER ((PWIN_HKEY)0x80000001u)
#define PWIN_HKEY_LOCAL_MACHINE ((PWIN_HKEY)0x80000002u)

typedef int32_t PWIN_LONG;

/* Value types. Values of other types are stored and returned as given. */
#define PWIN_REG_NONE 0u
#define PWIN_REG_SZ 1u
#define PWIN_REG_EXPAND_SZ 2u
#define PWIN_REG_BINARY 3u
#define PWIN_REG_DWORD 4u
#define PWIN_REG_MULTI_SZ 7u
#define PWIN_REG_QWORD 11u

/* Creation options and access rights are accepted and not enforced. */
#define PWIN_REG_OPTION_NON_VOLATILE 0u
#define PWIN_KEY_QUERY_VALUE 0x0001u
#define PWIN_KEY_SET_VALUE 0x0002u
#define PWIN_KEY_CREATE_SUB_KEY 0x0004u
#define PWIN_KEY_ENUMERATE_SUB_KEYS 0x0008u
#define PWIN_KEY_READ 0x20019u
#define PWIN_KEY_WRITE 0x20006u
#define PWIN_KEY_ALL_ACCESS 0xF003Fu

/* Dispositions of pwin_RegCreateKeyExA. */
#define PWIN_REG_CREATED_NEW_KEY 1u
#define PWIN_REG_OPENED_EXISTING_KEY 2u

/* Error codes of the registry beside those of pwin_system.h. */
#define PWIN_ERROR_BADKEY 1010
#define PWIN_ERROR_CANTOPEN 1011
#define PWIN_ERROR_CANTREAD 1012 /* the hive file exists but cannot be read; nothing written */
#define PWIN_ERROR_CANTWRITE 1013
#define PWIN_ERROR_KEY_DELETED 1018

/* Longest key name (one path component) and value name, in characters. */
#define PWIN_REG_MAX_KEY_NAME 255
#define PWIN_REG_MAX_VALUE_NAME 16383

/* Opens subKey below key ("A\\B\\C"; null or "" opens key itself again), creating the
 * missing keys on the way. Class, options, access and security are ignored. disposition
 * (may be null) tells whether the key was created. Names longer than 255 characters or
 * with empty components give PWIN_ERROR_BADKEY. */
PWIN_API PWIN_LONG pwin_RegCreateKeyExA(PWIN_HKEY key, const char* subKey, PWIN_DWORD reserved,
                                        char* keyClass, PWIN_DWORD options, PWIN_DWORD access,
                                        void* security, PWIN_HKEY* result, PWIN_DWORD* disposition);
/* Opens an existing key; PWIN_ERROR_FILE_NOT_FOUND when it does not exist. */
PWIN_API PWIN_LONG pwin_RegOpenKeyExA(PWIN_HKEY key, const char* subKey, PWIN_DWORD options,
                                      PWIN_DWORD access, PWIN_HKEY* result);
/* Closes a handle from create or open; closing a predefined root does nothing. */
PWIN_API PWIN_LONG pwin_RegCloseKey(PWIN_HKEY key);

/* Stores a value (name null or "" is the key's default value). The bytes are stored
 * exactly as given (a REG_SZ may or may not carry its terminating zero); a REG_DWORD
 * takes exactly 4 bytes, else PWIN_ERROR_INVALID_PARAMETER. */
PWIN_API PWIN_LONG pwin_RegSetValueExA(PWIN_HKEY key, const char* valueName, PWIN_DWORD reserved,
                                       PWIN_DWORD type, const uint8_t* data, PWIN_DWORD size);
/* Reads a value. type, data and size may each be null; with data null the size is
 * returned in *size. When the value is larger than *size: PWIN_ERROR_MORE_DATA and *size
 * is the size needed. A missing value: PWIN_ERROR_FILE_NOT_FOUND. */
PWIN_API PWIN_LONG pwin_RegQueryValueExA(PWIN_HKEY key, const char* valueName, PWIN_DWORD* reserved,
                                         PWIN_DWORD* type, uint8_t* data, PWIN_DWORD* size);

/* The index-th sub-key's name; *nameLength is the buffer size in characters on entry and
 * the name's length without terminator on return. PWIN_ERROR_NO_MORE_ITEMS past the end,
 * PWIN_ERROR_MORE_DATA when the buffer is too small. keyClass, classLength and lastWrite
 * may be null; the class is always empty and lastWrite is not filled. */
PWIN_API PWIN_LONG pwin_RegEnumKeyExA(PWIN_HKEY key, PWIN_DWORD index, char* name,
                                      PWIN_DWORD* nameLength, PWIN_DWORD* reserved, char* keyClass,
                                      PWIN_DWORD* classLength, void* lastWrite);
/* The index-th value's name and, as pwin_RegQueryValueExA, its type and data. */
PWIN_API PWIN_LONG pwin_RegEnumValueA(PWIN_HKEY key, PWIN_DWORD index, char* name,
                                      PWIN_DWORD* nameLength, PWIN_DWORD* reserved,
                                      PWIN_DWORD* type, uint8_t* data, PWIN_DWORD* size);

/* Deletes a value; PWIN_ERROR_FILE_NOT_FOUND when missing. */
PWIN_API PWIN_LONG pwin_RegDeleteValueA(PWIN_HKEY key, const char* valueName);
/* Deletes a key that has no sub-keys (else PWIN_ERROR_ACCESS_DENIED), with its values. */
PWIN_API PWIN_LONG pwin_RegDeleteKeyA(PWIN_HKEY key, const char* subKey);
/* Deletes subKey with everything below it; with subKey null or "", deletes everything
 * below key but keeps key itself. */
PWIN_API PWIN_LONG pwin_RegDeleteTreeA(PWIN_HKEY key, const char* subKey);

/* Starts a batch of writes to the hive of key (any key of it): the hive file is locked
 * and the writes stay in memory, where every handle sees them, until the outermost
 * commit replaces the file once. Meant for a settings save that writes many values;
 * other processes' writes to the hive wait meanwhile, so commit soon. Batches nest. */
PWIN_API PWIN_LONG pwin_RegBeginBatch(PWIN_HKEY key);
/* Ends a batch; the outermost commit writes the file and releases the lock.
 * PWIN_ERROR_INVALID_PARAMETER when no batch is open. */
PWIN_API PWIN_LONG pwin_RegCommitBatch(PWIN_HKEY key);

#endif
