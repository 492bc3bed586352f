#include "app/shell/VersionText.h"

#include "platform/win/System.h"

#include <vector>

namespace win = platform::win;

std::string readFileVersion(const std::string& modulePath, const char* translation)
{
    if (modulePath.empty() || !translation)
        return {};
    PWIN_DWORD handle = 0;
    const PWIN_DWORD size = win::GetFileVersionInfoSize(modulePath.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<char> data(size);
    if (!win::GetFileVersionInfo(modulePath.c_str(), handle, size, data.data()))
        return {};
    const std::string query = std::string("\\StringFileInfo\\") + translation + "\\FileVersion";
    void* text = nullptr;
    PWIN_UINT length = 0;
    if (!win::VerQueryValue(data.data(), query.c_str(), &text, &length) || !text)
        return {};
    // The value lies inside data; copy at most its length and stop at its terminator.
    const char* begin = static_cast<const char*>(text);
    const char* end = static_cast<const char*>(data.data()) + data.size();
    std::string value;
    for (const char* at = begin; at < end && *at != '\0'; ++at)
        value += *at;
    return value;
}
