#include "platform/qt/UiServices.h"

#include "platform/qt/QtUiServices.h"

#include <algorithm>
#include <sstream>

namespace platform::qt {

namespace {

UiServices* g_installed = nullptr;

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// "*.bas;*.txt" -> "*.bas *.txt", with "*.*" (every file on Windows) as "*".
std::string qtPatterns(const std::string& pattern)
{
    std::string result;
    std::stringstream stream(pattern);
    std::string part;
    while (std::getline(stream, part, ';')) {
        part = trim(part);
        if (part.empty()) {
            continue;
        }
        if (part == "*.*") {
            part = "*";
        }
        if (!result.empty()) {
            result += ' ';
        }
        result += part;
    }
    return result.empty() ? std::string("*") : result;
}

} // namespace

std::vector<int> messageBoxButtons(unsigned flags)
{
    switch (flags & kMbTypeMask) {
    case kMbOkCancel:
        return {kIdOk, kIdCancel};
    case kMbAbortRetryIgnore:
        return {kIdAbort, kIdRetry, kIdIgnore};
    case kMbYesNoCancel:
        return {kIdYes, kIdNo, kIdCancel};
    case kMbYesNo:
        return {kIdYes, kIdNo};
    case kMbRetryCancel:
        return {kIdRetry, kIdCancel};
    default:
        return {kIdOk};
    }
}

int defaultMessageBoxAnswer(unsigned flags)
{
    const std::vector<int> buttons = messageBoxButtons(flags);
    size_t index = 0;
    if ((flags & kMbDefMask) == kMbDefButton2) {
        index = 1;
    } else if ((flags & kMbDefMask) == kMbDefButton3) {
        index = 2;
    }
    return buttons[std::min(index, buttons.size() - 1)];
}

int escapeMessageBoxAnswer(unsigned flags)
{
    const std::vector<int> buttons = messageBoxButtons(flags);
    if (std::find(buttons.begin(), buttons.end(), kIdCancel) != buttons.end()) {
        return kIdCancel;
    }
    if (buttons.size() == 1) {
        return kIdOk;
    }
    return 0;
}

std::vector<std::string> qtNameFilters(const std::vector<FileFilter>& filters)
{
    std::vector<std::string> result;
    for (const FileFilter& filter : filters) {
        const std::string patterns = qtPatterns(filter.pattern);
        std::string description = trim(filter.description);
        // Qt takes the patterns from the last "(...)" of the text. Keep a description whose
        // trailing group already says the same; otherwise replace or add the group.
        std::string shown = description;
        const auto open = description.rfind('(');
        if (!description.empty() && description.back() == ')' && open != std::string::npos) {
            const std::string group = description.substr(open + 1, description.size() - open - 2);
            if (qtPatterns(group) == patterns && group.find("*.*") == std::string::npos) {
                result.push_back(description);
                continue;
            }
            shown = trim(description.substr(0, open));
        }
        if (shown.empty()) {
            shown = patterns;
        }
        result.push_back(shown + " (" + patterns + ")");
    }
    return result;
}

std::vector<FileFilter> fileFiltersFromText(const std::string& text)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char c : text) {
        if (c == '|' || c == '\0') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    std::vector<FileFilter> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        // An empty pair ends the list.
        if (parts[i].empty() && parts[i + 1].empty()) {
            break;
        }
        if (trim(parts[i + 1]).empty()) {
            continue;
        }
        filters.push_back({parts[i], parts[i + 1]});
    }
    return filters;
}

std::string FileDialogFolders::kindOf(const FileDialogRequest& request)
{
    if (!request.filters.empty()) {
        return request.filters.front().pattern;
    }
    return request.defaultExtension.empty() ? request.title : "*." + request.defaultExtension;
}

std::string FileDialogFolders::startPath(const FileDialogRequest& request) const
{
    const std::string& initial = request.initialPath;
    // A path with a folder part is the caller's own choice.
    if (initial.find('/') != std::string::npos) {
        return initial;
    }
    const std::string kind = kindOf(request);
    std::string folder = m_lastFolder;
    for (const auto& [known, knownFolder] : m_folders) {
        if (known == kind) {
            folder = knownFolder;
        }
    }
    if (folder.empty()) {
        return initial;
    }
    return initial.empty() ? folder : folder + "/" + initial;
}

void FileDialogFolders::remember(const FileDialogRequest& request, const FileDialogResult& result)
{
    if (result.paths.empty()) {
        return;
    }
    const std::string& path = result.paths.front();
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return;
    }
    const std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
    const std::string kind = kindOf(request);
    m_lastFolder = folder;
    for (auto& [known, knownFolder] : m_folders) {
        if (known == kind) {
            knownFolder = folder;
            return;
        }
    }
    m_folders.emplace_back(kind, folder);
}

std::string withDefaultExtension(const std::string& path, const std::string& extension)
{
    if (extension.empty() || path.empty() || path.back() == '/') {
        return path;
    }
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.find('.') != std::string::npos) {
        return path;
    }
    return path + "." + extension;
}

UiServices& uiServices()
{
    if (g_installed != nullptr) {
        return *g_installed;
    }
    static QtUiServices qtServices;
    return qtServices;
}

UiServices* setUiServices(UiServices* services)
{
    UiServices* previous = g_installed;
    g_installed = services;
    return previous;
}

} // namespace platform::qt
