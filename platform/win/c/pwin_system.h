/* Message boxes, beeps, debug output and modal dialogs through installable hooks; the
 * named mutex; version strings of binaries; the calling thread's last error.
 * Usable from C and C++. Every function may be called from any thread.
 *
 * Hooks are settable at any time without loading or starting anything else, so a
 * program installs its own user interface before its first driver call. Without a hook:
 * a message box is written to standard error and answers its default button, a dialog
 * answers PWIN_IDCANCEL, a beep does nothing, and debug output goes to standard error
 * only when the environment variable VYKDRV_DEBUG is set. */
#ifndef PWIN_SYSTEM_H
#define PWIN_SYSTEM_H

#include "platform/win/c/pwin_types.h"

/* ---- message boxes ---------------------------------------------------------------- */

/* Buttons (low four bits of the type). */
#define PWIN_MB_OK 0x00000000u
#define PWIN_MB_OKCANCEL 0x00000001u
#define PWIN_MB_ABORTRETRYIGNORE 0x00000002u
#define PWIN_MB_YESNOCANCEL 0x00000003u
#define PWIN_MB_YESNO 0x00000004u
#define PWIN_MB_RETRYCANCEL 0x00000005u
#define PWIN_MB_TYPEMASK 0x0000000Fu
/* Icons; also the sound types of pwin_MessageBeep. */
#define PWIN_MB_ICONHAND 0x00000010u
#define PWIN_MB_ICONERROR PWIN_MB_ICONHAND
#define PWIN_MB_ICONSTOP PWIN_MB_ICONHAND
#define PWIN_MB_ICONQUESTION 0x00000020u
#define PWIN_MB_ICONEXCLAMATION 0x00000030u
#define PWIN_MB_ICONWARNING PWIN_MB_ICONEXCLAMATION
#define PWIN_MB_ICONASTERISK 0x00000040u
#define PWIN_MB_ICONINFORMATION PWIN_MB_ICONASTERISK
#define PWIN_MB_ICONMASK 0x000000F0u
/* Default button: the first unless one of these names the second or third. */
#define PWIN_MB_DEFBUTTON1 0x00000000u
#define PWIN_MB_DEFBUTTON2 0x00000100u
#define PWIN_MB_DEFBUTTON3 0x00000200u
#define PWIN_MB_DEFMASK 0x00000F00u
/* Modality. */
#define PWIN_MB_APPLMODAL 0x00000000u
#define PWIN_MB_SYSTEMMODAL 0x00001000u
#define PWIN_MB_TASKMODAL 0x00002000u
#define PWIN_MB_MODEMASK 0x00003000u
/* pwin_MessageBeep's plain beep. */
#define PWIN_MB_SIMPLEBEEP 0xFFFFFFFFu

/* Answers of a box or a dialog. */
#define PWIN_IDOK 1
#define PWIN_IDCANCEL 2
#define PWIN_IDABORT 3
#define PWIN_IDRETRY 4
#define PWIN_IDIGNORE 5
#define PWIN_IDYES 6
#define PWIN_IDNO 7

/* The message-box hook. Strings are valid only during a call; copy what is kept.
 *
 * show: called on the thread that installed the hook; may run a modal loop and returns
 *   the answer (PWIN_IDOK, PWIN_IDYES, ...). An answer that is not one of the box's
 *   buttons is replaced by the default button.
 * showLater: called when a box is raised on any other thread. It must not block: it
 *   arranges for the box to be shown on the installing (GUI) thread later, for example
 *   by a queued call, and returns at once; the raising thread gets the default button.
 *   May be null: such boxes then go to standard error like boxes without a hook. */
typedef struct PWIN_MESSAGEBOX_HOOK
{
    int (*show)(void* context, PWIN_HWND owner, const char* text, const char* caption,
                PWIN_UINT type);
    void (*showLater)(void* context, PWIN_HWND owner, const char* text, const char* caption,
                      PWIN_UINT type);
    void* context;
} PWIN_MESSAGEBOX_HOOK;

/* Installs (a copy of) the hook, remembering the calling thread as its GUI thread;
 * null removes it. The context must stay valid while the hook is installed and until
 * calls already under way have returned. */
PWIN_API void pwin_SetMessageBoxHook(const PWIN_MESSAGEBOX_HOOK* hook);

/* Shows a box (or writes it to standard error) and returns the answer; text and caption
 * may be null (empty). */
PWIN_API int pwin_MessageBoxA(PWIN_HWND owner, const char* text, const char* caption,
                              PWIN_UINT type);

/* The button a box of this type answers when nobody can be asked. */
PWIN_API int pwin_MessageBoxDefaultAnswer(PWIN_UINT type);

/* ---- beeps and debug output --------------------------------------------------------- */

/* Called on whatever thread beeps; must not block. */
typedef void (*PWIN_BEEP_HOOK)(void* context, PWIN_UINT type);
/* Called on whatever thread writes debug output; must not block. The text is valid only
 * during the call. */
typedef void (*PWIN_DEBUG_OUTPUT_HOOK)(void* context, const char* text);

PWIN_API void pwin_SetMessageBeepHook(PWIN_BEEP_HOOK hook, void* context);
PWIN_API void pwin_SetDebugOutputHook(PWIN_DEBUG_OUTPUT_HOOK hook, void* context);

/* Plays the sound of a box type (PWIN_MB_ICON... or PWIN_MB_SIMPLEBEEP); returns 1. */
PWIN_API PWIN_BOOL pwin_MessageBeep(PWIN_UINT type);
/* Hands text to the debug-output hook, or to standard error when VYKDRV_DEBUG is set. */
PWIN_API void pwin_OutputDebugStringA(const char* text);

/* ---- modal dialogs by name ---------------------------------------------------------- */

/* Runs the named dialog modally on the installing thread and returns its result
 * (PWIN_IDOK, PWIN_IDCANCEL or what the dialog ends with). The name is valid only during
 * the call; param is the caller's. */
typedef intptr_t (*PWIN_DIALOG_HOOK)(void* context, const char* dialogName, void* param);

/* Installs the hook for one dialog name (compared without regard to case); a null hook
 * removes it. The installing thread becomes that dialog's GUI thread. */
PWIN_API void pwin_SetDialogHook(const char* dialogName, PWIN_DIALOG_HOOK hook, void* context);

/* Shows the named dialog through its hook. Answers PWIN_IDCANCEL at once when no hook is
 * installed for the name, or when called off the hook's thread (a dialog's answer decides
 * what the caller does next, so it cannot be shown later). */
PWIN_API intptr_t pwin_DialogBoxParamA(const char* dialogName, void* param);

/* ---- last error ---------------------------------------------------------------------- */

#define PWIN_ERROR_SUCCESS 0
#define PWIN_ERROR_FILE_NOT_FOUND 2
#define PWIN_ERROR_PATH_NOT_FOUND 3
#define PWIN_ERROR_ACCESS_DENIED 5
#define PWIN_ERROR_INVALID_HANDLE 6
#define PWIN_ERROR_NOT_ENOUGH_MEMORY 8
#define PWIN_ERROR_INVALID_DATA 13
#define PWIN_ERROR_WRITE_FAULT 29
#define PWIN_ERROR_READ_FAULT 30
#define PWIN_ERROR_INVALID_PARAMETER 87
#define PWIN_ERROR_INSUFFICIENT_BUFFER 122
#define PWIN_ERROR_ALREADY_EXISTS 183
#define PWIN_ERROR_MORE_DATA 234
#define PWIN_ERROR_NO_MORE_ITEMS 259
#define PWIN_ERROR_NOT_OWNER 288
#define PWIN_ERROR_RESOURCE_TYPE_NOT_FOUND 1813

/* The calling thread's last error, set by the functions that say so. */
PWIN_API PWIN_DWORD pwin_GetLastError(void);
PWIN_API void pwin_SetLastError(PWIN_DWORD error);

/* ---- named mutex ---------------------------------------------------------------------- */

/* Handle of a named mutex; 0 is "none". */
typedef uintptr_t PWIN_HMUTEX;

/* Creates or opens the named mutex. Sets the last error to PWIN_ERROR_ALREADY_EXISTS
 * when it existed already (a handle of this or any other process is open), else to 0;
 * only a mutex created here is owned initially, when initialOwner is non-zero.
 * Returns 0 (last error set) when the lock file cannot be made. The mutex lives in a
 * lock file "<name>.mutex" in $XDG_RUNTIME_DIR, or in the temporary folder. A null name
 * gives an unnamed mutex that never exists already. */
PWIN_API PWIN_HMUTEX pwin_CreateMutexA(void* securityAttributes, PWIN_BOOL initialOwner,
                                       const char* name);
/* Gives up ownership; 0 with PWIN_ERROR_NOT_OWNER when the calling thread does not own it. */
PWIN_API PWIN_BOOL pwin_ReleaseMutex(PWIN_HMUTEX mutex);
/* Closes the handle; the mutex ends with its last handle in every process. */
PWIN_API PWIN_BOOL pwin_CloseMutexHandle(PWIN_HMUTEX mutex);

/* ---- version strings ------------------------------------------------------------------- */

/* A module: null for the program, else any address inside a loaded binary (a function or
 * variable of it). */
typedef const void* PWIN_HMODULE;

/* Copies the file path of the module (cut to size - 1 characters, terminated) and returns
 * its length; 0 when unknown. */
PWIN_API PWIN_DWORD pwin_GetModuleFileNameA(PWIN_HMODULE module, char* fileName, PWIN_DWORD size);

/* Size of the version information of a binary file (loaded or not), 0 when it carries
 * none (last error PWIN_ERROR_RESOURCE_TYPE_NOT_FOUND) or cannot be read. The handle is
 * set to 0. */
PWIN_API PWIN_DWORD pwin_GetFileVersionInfoSizeA(const char* fileName, PWIN_DWORD* handle);
/* Copies the version information into data (size bytes, as given by the size call). */
PWIN_API PWIN_BOOL pwin_GetFileVersionInfoA(const char* fileName, PWIN_DWORD handle,
                                            PWIN_DWORD size, void* data);
/* Finds a string in version information: subBlock "\StringFileInfo\<translation>\<name>"
 * (any translation, names without regard to case: "FileVersion", "FileDescription",
 * "ProductName", "ProductVersion"). On success *buffer points into data at the
 * terminated string and *length is its length in characters including the terminator. */
PWIN_API PWIN_BOOL pwin_VerQueryValueA(const void* data, const char* subBlock, void** buffer,
                                       PWIN_UINT* length);

#endif
