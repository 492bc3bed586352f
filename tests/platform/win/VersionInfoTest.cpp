#include "platform/win/System.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

using namespace platform::win;

namespace {

std::string testDir()
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    return dir != nullptr ? dir : "/tmp";
}

// The named string of the file's version information, or nothing.
std::optional<std::string> versionString(const std::string& file, const char* subBlock)
{
    PWIN_DWORD handle = 7;
    const PWIN_DWORD size = GetFileVersionInfoSize(file.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<char> data(size);
    if (!GetFileVersionInfo(file.c_str(), handle, size, data.data())) {
        return std::nullopt;
    }
    void* value = nullptr;
    PWIN_UINT length = 0;
    if (!VerQueryValue(data.data(), subBlock, &value, &length)) {
        return std::nullopt;
    }
    const std::string text(static_cast<const char*>(value));
    EXPECT_EQ(length, text.size() + 1);
    return text;
}

std::string writeFile(const std::string& name, const std::string& bytes)
{
    const std::string path = testDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(VersionInfoTest, ThisLibraryCarriesItsVersionStrings)
{
    char path[4096];
    const PWIN_DWORD length =
        GetModuleFileName(reinterpret_cast<HMODULE>(&pwin_MessageBoxA), path, sizeof path);
    ASSERT_GT(length, 0u);
    EXPECT_NE(std::string(path).find("libplatform_win.so"), std::string::npos) << path;

    struct Case
    {
        const char* subBlock;
        const char* pattern;
    };
    const Case cases[] = {
        {"\\StringFileInfo\\040904e4\\FileVersion", "[0-9]+\\.[0-9]+\\.[0-9]+"},
        {"\\StringFileInfo\\040904b0\\FileVersion", "[0-9]+\\.[0-9]+\\.[0-9]+"},
        {"\\StringFileInfo\\040904E4\\fileversion", "[0-9]+\\.[0-9]+\\.[0-9]+"},
        {"\\StringFileInfo\\040904E4\\FileDescription", "Harlune platform library"},
        {"\\StringFileInfo\\040904E4\\ProductName", "Harlune"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subBlock);
        const auto value = versionString(path, c.subBlock);
        ASSERT_TRUE(value.has_value());
        EXPECT_TRUE(std::regex_match(*value, std::regex(c.pattern))) << *value;
    }
}

TEST(VersionInfoTest, ProgramPathIsKnown)
{
    char path[4096];
    ASSERT_GT(GetModuleFileName(nullptr, path, sizeof path), 0u);
    EXPECT_NE(std::string(path).find("platform_win_VersionInfoTest"), std::string::npos);
    char tiny[5];
    EXPECT_EQ(GetModuleFileName(nullptr, tiny, sizeof tiny), 4u);
    EXPECT_EQ(std::string(tiny).size(), 4u);
}

const std::string kMarker("\x7fHRLVER\x01", 8);

TEST(VersionInfoTest, RecordIsFoundInAnyFileAndDamagedOnesAreRefused)
{
    const std::string good = kMarker + std::string("FileVersion\0"
                                                   "2.5.1\0"
                                                   "\0",
                                                   19);
    struct Case
    {
        const char* name;
        std::string bytes;
        const char* fileVersion; // null: no version information
    };
    const Case cases[] = {
        {"record after binary noise", std::string(5000, '\xAA') + good + "tail", "2.5.1"},
        {"false marker before the real one",
         kMarker + "\x01\x02\x03" + std::string(100, '\0') + good, "2.5.1"},
        {"empty file", "", nullptr},
        {"no record", std::string(70000, 'x'), nullptr},
        {"marker at the very end", "abc" + kMarker, nullptr},
        {"record cut short", kMarker + "FileVersion", nullptr},
        {"record without FileVersion",
         kMarker + std::string("FileDescription\0"
                               "x\0"
                               "\0",
                               19),
         nullptr},
        {"unterminated pairs", kMarker + std::string("FileVersion\0") + std::string(9000, 'v'),
         nullptr},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = writeFile("version" + std::to_string(n++) + ".bin", c.bytes);
        const auto value = versionString(path, "\\StringFileInfo\\040904e4\\FileVersion");
        if (c.fileVersion == nullptr) {
            EXPECT_FALSE(value.has_value());
        } else {
            ASSERT_TRUE(value.has_value());
            EXPECT_EQ(*value, c.fileVersion);
        }
    }
}

TEST(VersionInfoTest, AFileReadAgainGivesWhatItHoldsNow)
{
    // A file is looked at again where its record was found: what is there now counts, and
    // a file whose record moved or went is searched again.
    const auto record = [](const std::string& version) {
        return kMarker + std::string("FileVersion") + '\0' + version + '\0' + '\0';
    };
    const char* query = "\\StringFileInfo\\040904e4\\FileVersion";
    const std::string path = writeFile("reread.bin", std::string(3000, 'x') + record("2.5.1"));
    EXPECT_EQ(versionString(path, query), "2.5.1");
    EXPECT_EQ(versionString(path, query), "2.5.1");
    writeFile("reread.bin", std::string(3000, 'x') + record("3.0.0"));
    EXPECT_EQ(versionString(path, query), "3.0.0");
    writeFile("reread.bin", std::string(10, 'x') + record("4.1.7") + std::string(2990, 'y'));
    EXPECT_EQ(versionString(path, query), "4.1.7");
    writeFile("reread.bin", std::string(3100, 'x'));
    EXPECT_FALSE(versionString(path, query).has_value());
}

TEST(VersionInfoTest, MissingFilesAndBadQueriesFail)
{
    PWIN_DWORD handle = 0;
    EXPECT_EQ(GetFileVersionInfoSize((testDir() + "/missing.so").c_str(), &handle), 0u);
    EXPECT_EQ(GetLastError(), PWIN_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileVersionInfoSize(nullptr, &handle), 0u);
    EXPECT_EQ(GetFileVersionInfoSize(testDir().c_str(), &handle), 0u) << "a folder";

    const std::string path = writeFile("v.bin", kMarker + std::string("FileVersion\0"
                                                                      "1.2.3\0"
                                                                      "\0",
                                                                      19));
    const PWIN_DWORD size = GetFileVersionInfoSize(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    EXPECT_FALSE(GetFileVersionInfo(path.c_str(), 0, size - 1, data.data()));
    ASSERT_TRUE(GetFileVersionInfo(path.c_str(), 0, size, data.data()));
    void* value = nullptr;
    PWIN_UINT length = 0;
    for (const char* query :
         {"\\StringFileInfo\\040904e4\\ProductName", "\\", "", "\\StringFileInfo\\FileVersion",
          "\\StringFileInfo\\\\FileVersion", "FileVersion"}) {
        SCOPED_TRACE(query);
        EXPECT_FALSE(VerQueryValue(data.data(), query, &value, &length));
    }
    EXPECT_TRUE(
        VerQueryValue(data.data(), "/StringFileInfo/040904e4/FileVersion", &value, &length));
}

} // namespace
