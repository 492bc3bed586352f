/* Profile (INI) files: sections of "key=value" lines, read and written as the Windows
 * profile functions do. Usable from C and C++; every function may be called from any
 * thread.
 *
 * Section and key names compare without regard to ASCII case; a key overwritten keeps
 * the spelling it has in the file. Names and values are read with surrounding blanks
 * trimmed and a value's surrounding pair of double or single quotes stripped. Lines are
 * read with LF or CR LF ends and written with CR LF; comments, blank lines and lines that
 * cannot be parsed (garbage, NUL bytes, any length) are kept as they are on write-back.
 * Of repeated sections or keys the first one counts. A missing file reads as empty.
 *
 * Every write replaces the file atomically (temporary file, then rename) under a file
 * lock, after reading the file again when another process changed it, so no write of
 * another process is lost. A batch (pwin_BeginProfileBatch ... pwin_CommitProfileBatch)
 * collects the writes to one file in memory, where reads see them, and replaces the file
 * once at the commit. File names are paths as given. */
#ifndef PWIN_PROFILE_H
#define PWIN_PROFILE_H

#include "platform/win/c/pwin_types.h"

/* Reads a value into buffer (size characters with the terminator); returns the number
 * of characters copied without the terminator (size - 1 when cut short).
 * section null: the names of all sections; key null: the names of the section's keys;
 * each name terminated, the list ended by a second zero (cut short: size - 2 returned).
 * A missing key gives defaultValue (null: "") without its trailing blanks, and sets the
 * last error to PWIN_ERROR_FILE_NOT_FOUND (else 0). */
PWIN_API PWIN_DWORD pwin_GetPrivateProfileStringA(const char* section, const char* key,
                                                  const char* defaultValue, char* buffer,
                                                  PWIN_DWORD size, const char* fileName);

/* Reads a value as an integer: an optional sign and decimal digits, or "0x" and hex
 * digits, up to the first other character (none: 0); a missing key gives defaultValue.
 * Negative values come back in two's complement, as on Windows. */
PWIN_API PWIN_UINT pwin_GetPrivateProfileIntA(const char* section, const char* key,
                                              int32_t defaultValue, const char* fileName);

/* The names of all sections, as pwin_GetPrivateProfileStringA with a null section. */
PWIN_API PWIN_DWORD pwin_GetPrivateProfileSectionNamesA(char* buffer, PWIN_DWORD size,
                                                        const char* fileName);

/* Sets key to value in section, adding the section (at the end) and the key (after the
 * section's last line) when missing, and the file when it does not exist. value null
 * deletes the key; key null deletes the section with all its lines. Returns non-zero on
 * success; 0 with the last error set when the file cannot be written (its folder
 * missing: PWIN_ERROR_PATH_NOT_FOUND) or when a name or value would not read back (line
 * ends in any of them, "=" in a key, "]" in a section, an empty name):
 * PWIN_ERROR_INVALID_PARAMETER. All null arguments but the file name is accepted and
 * does nothing. */
PWIN_API PWIN_BOOL pwin_WritePrivateProfileStringA(const char* section, const char* key,
                                                   const char* value, const char* fileName);

/* Starts a batch of writes to the file; batches nest, and the outermost commit writes. */
PWIN_API PWIN_BOOL pwin_BeginProfileBatch(const char* fileName);
/* Ends a batch: the outermost commit replays the batch's writes on the file as it is now
 * (re-read under the file lock) and replaces it once. Returns 0 with the last error set
 * when it cannot be written (the batch's writes are then dropped) or when no batch is
 * open (PWIN_ERROR_INVALID_PARAMETER). */
PWIN_API PWIN_BOOL pwin_CommitProfileBatch(const char* fileName);

#endif
