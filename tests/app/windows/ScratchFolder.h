// Folders for a test program's files: all inside one scratch folder that the program makes
// on first use (in the run's own temporary folder, HARLUNE_TEST_DIR, or the system's) and
// removes with everything in it when it ends, also after failed cases.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace app::windows::test {

class ScratchFolder
{
public:
    ScratchFolder()
    {
        const char* base = std::getenv("HARLUNE_TEST_DIR");
        std::string pattern =
            (base != nullptr && *base != '\0' ? std::filesystem::path(base)
                                              : std::filesystem::temp_directory_path()) /
            "harlune-scratch-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a scratch folder from " + pattern);
        m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// An empty folder <name> inside the program's scratch folder.
inline std::filesystem::path freshFolder(const std::string& name)
{
    static const ScratchFolder scratch;
    const std::filesystem::path folder = scratch.path() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

} // namespace app::windows::test
