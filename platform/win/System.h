#pragma once

// C++ names of the message-box, beep, debug-output and dialog hooks, the named mutex,
// the last error and the version strings (platform/win/c/pwin_system.h). Every function
// may be called from any thread.

#include "platform/win/c/pwin_system.h"

#include <optional>
#include <string>

namespace platform::win {

using HMUTEX = PWIN_HMUTEX;
using HMODULE = PWIN_HMODULE;

inline constexpr PWIN_UINT MB_OK = PWIN_MB_OK;
inline constexpr PWIN_UINT MB_OKCANCEL = PWIN_MB_OKCANCEL;
inline constexpr PWIN_UINT MB_ABORTRETRYIGNORE = PWIN_MB_ABORTRETRYIGNORE;
inline constexpr PWIN_UINT MB_YESNOCANCEL = PWIN_MB_YESNOCANCEL;
inline constexpr PWIN_UINT MB_YESNO = PWIN_MB_YESNO;
inline constexpr PWIN_UINT MB_RETRYCANCEL = PWIN_MB_RETRYCANCEL;
inline constexpr PWIN_UINT MB_ICONHAND = PWIN_MB_ICONHAND;
inline constexpr PWIN_UINT MB_ICONERROR = PWIN_MB_ICONERROR;
inline constexpr PWIN_UINT MB_ICONSTOP = PWIN_MB_ICONSTOP;
inline constexpr PWIN_UINT MB_ICONQUESTION = PWIN_MB_ICONQUESTION;
inline constexpr PWIN_UINT MB_ICONEXCLAMATION = PWIN_MB_ICONEXCLAMATION;
inline constexpr PWIN_UINT MB_ICONWARNING = PWIN_MB_ICONWARNING;
inline constexpr PWIN_UINT MB_ICONASTERISK = PWIN_MB_ICONASTERISK;
inline constexpr PWIN_UINT MB_ICONINFORMATION = PWIN_MB_ICONINFORMATION;
inline constexpr PWIN_UINT MB_DEFBUTTON1 = PWIN_MB_DEFBUTTON1;
inline constexpr PWIN_UINT MB_DEFBUTTON2 = PWIN_MB_DEFBUTTON2;
inline constexpr PWIN_UINT MB_DEFBUTTON3 = PWIN_MB_DEFBUTTON3;
inline constexpr PWIN_UINT MB_APPLMODAL = PWIN_MB_APPLMODAL;
inline constexpr PWIN_UINT MB_SYSTEMMODAL = PWIN_MB_SYSTEMMODAL;
inline constexpr PWIN_UINT MB_TASKMODAL = PWIN_MB_TASKMODAL;

inline constexpr int IDOK = PWIN_IDOK;
inline constexpr int IDCANCEL = PWIN_IDCANCEL;
inline constexpr int IDABORT = PWIN_IDABORT;
inline constexpr int IDRETRY = PWIN_IDRETRY;
inline constexpr int IDIGNORE = PWIN_IDIGNORE;
inline constexpr int IDYES = PWIN_IDYES;
inline constexpr int IDNO = PWIN_IDNO;

inline constexpr PWIN_DWORD ERROR_SUCCESS = PWIN_ERROR_SUCCESS;
inline constexpr PWIN_DWORD ERROR_FILE_NOT_FOUND = PWIN_ERROR_FILE_NOT_FOUND;
inline constexpr PWIN_DWORD ERROR_PATH_NOT_FOUND = PWIN_ERROR_PATH_NOT_FOUND;
inline constexpr PWIN_DWORD ERROR_ACCESS_DENIED = PWIN_ERROR_ACCESS_DENIED;
inline constexpr PWIN_DWORD ERROR_INVALID_HANDLE = PWIN_ERROR_INVALID_HANDLE;
inline constexpr PWIN_DWORD ERROR_INVALID_PARAMETER = PWIN_ERROR_INVALID_PARAMETER;
inline constexpr PWIN_DWORD ERROR_INSUFFICIENT_BUFFER = PWIN_ERROR_INSUFFICIENT_BUFFER;
inline constexpr PWIN_DWORD ERROR_ALREADY_EXISTS = PWIN_ERROR_ALREADY_EXISTS;
inline constexpr PWIN_DWORD ERROR_MORE_DATA = PWIN_ERROR_MORE_DATA;
inline constexpr PWIN_DWORD ERROR_NO_MORE_ITEMS = PWIN_ERROR_NO_MORE_ITEMS;
inline constexpr PWIN_DWORD ERROR_NOT_OWNER = PWIN_ERROR_NOT_OWNER;

// Shows a box through the hook (see pwin_SetMessageBoxHook) and returns the answer.
inline int MessageBox(PWIN_HWND owner, const char* text, const char* caption, PWIN_UINT type)
{
    return pwin_MessageBoxA(owner, text, caption, type);
}

inline PWIN_BOOL MessageBeep(PWIN_UINT type)
{
    return pwin_MessageBeep(type);
}

inline void OutputDebugString(const char* text)
{
    pwin_OutputDebugStringA(text);
}

// Runs the named dialog through its hook; IDCANCEL without one.
inline intptr_t DialogBoxParam(const char* dialogName, void* param)
{
    return pwin_DialogBoxParamA(dialogName, param);
}

// The parameter of the named dialog "InputBox", which asks the user for a line of text: the
// hook shows prompt, title and text, and on IDOK leaves the line entered in text.
struct InputBoxParam
{
    std::string prompt;
    std::string title;
    std::string text;
};
inline constexpr const char* kInputBoxDialog = "InputBox";

// Asks for a line of text through the "InputBox" dialog hook; nothing when it was cancelled
// or no hook could show it.
inline std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                           const std::string& defaultText)
{
    InputBoxParam param{prompt, title, defaultText};
    if (DialogBoxParam(kInputBoxDialog, &param) != IDOK) {
        return std::nullopt;
    }
    return std::move(param.text);
}

inline PWIN_DWORD GetLastError()
{
    return pwin_GetLastError();
}

inline void SetLastError(PWIN_DWORD error)
{
    pwin_SetLastError(error);
}

inline HMUTEX CreateMutex(void* securityAttributes, PWIN_BOOL initialOwner, const char* name)
{
    return pwin_CreateMutexA(securityAttributes, initialOwner, name);
}

inline PWIN_BOOL ReleaseMutex(HMUTEX mutex)
{
    return pwin_ReleaseMutex(mutex);
}

inline PWIN_BOOL CloseHandle(HMUTEX mutex)
{
    return pwin_CloseMutexHandle(mutex);
}

inline PWIN_DWORD GetModuleFileName(HMODULE module, char* fileName, PWIN_DWORD size)
{
    return pwin_GetModuleFileNameA(module, fileName, size);
}

inline PWIN_DWORD GetFileVersionInfoSize(const char* fileName, PWIN_DWORD* handle)
{
    return pwin_GetFileVersionInfoSizeA(fileName, handle);
}

inline PWIN_BOOL GetFileVersionInfo(const char* fileName, PWIN_DWORD handle, PWIN_DWORD size,
                                    void* data)
{
    return pwin_GetFileVersionInfoA(fileName, handle, size, data);
}

inline PWIN_BOOL VerQueryValue(const void* data, const char* subBlock, void** buffer,
                               PWIN_UINT* length)
{
    return pwin_VerQueryValueA(data, subBlock, buffer, length);
}

} // namespace platform::win
