#include "fuzz/FuzzFiles.h"

#include "fuzz/FuzzCheck.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fuzz {

namespace {

struct Scratch
{
    Scratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "harlune-fuzz.XXXXXX");
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        path = pattern;
        ::setenv("HARLUNE_REGISTRY_DIR", (path + "/registry").c_str(), 1);
        ::setenv("VYKDRV_INI", (path + "/VYKDRV.INI").c_str(), 1);
        std::filesystem::create_directories(path + "/registry");
    }
    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

} // namespace

const std::string& scratchFolder()
{
    static const Scratch scratch;
    return scratch.path;
}

void replaceFile(const std::string& path, std::string_view bytes)
{
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        FUZZ_CHECK(out.good());
    }
    FUZZ_CHECK(std::rename(temporary.c_str(), path.c_str()) == 0);
}

} // namespace fuzz
