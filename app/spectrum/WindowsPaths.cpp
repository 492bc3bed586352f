#include "app/spectrum/WindowsPaths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace app::spectrum {

std::string pathBaseName(std::string_view path)
{
    const std::size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string cutBeforeFirstDotInName(std::string_view path)
{
    const std::size_t separator = path.find_last_of("/\\");
    const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const std::size_t dot = path.find('.', nameStart + 1);
    return std::string(
        dot == std::string_view::npos || nameStart >= path.size() ? path : path.substr(0, dot));
}

std::string fileExtension(std::string_view path)
{
    const std::string name = pathBaseName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

namespace {

bool isFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

} // namespace

std::string resolveStoredPath(const std::string& stored, const std::string& namingFile)
{
    if (isFile(stored))
        return stored;
    std::string forward = stored;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    if (isFile(forward))
        return forward;
    const std::string base = pathBaseName(stored);
    if (!base.empty() && !namingFile.empty()) {
        const std::filesystem::path beside =
            std::filesystem::path(namingFile).parent_path() / std::filesystem::path(base);
        if (isFile(beside.string()))
            return beside.string();
    }
    return stored;
}

std::string cutAtCharacterBoundary(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t end = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

} // namespace app::spectrum
