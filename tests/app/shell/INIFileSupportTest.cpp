#include "app/shell/INIFileSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string iniReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

fs::path testDir()
{
    const char* base = std::getenv("HARLUNE_TEST_DIR");
    fs::path dir = fs::path(base != nullptr ? base : fs::temp_directory_path().string()) /
                   testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(dir);
    return dir;
}

// Both modes must give the same values for the same writes.
class BothModes : public testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        m_dir = testDir();
        m_file = (m_dir / "settings.ini").string();
    }
    std::unique_ptr<CINIFileSupport> makeStore()
    {
        return GetParam() ? std::make_unique<CINIFileSupport>(nullptr, 1)
                          : std::make_unique<CINIFileSupport>(m_file.c_str(), 0);
    }

    fs::path m_dir;
    std::string m_file;
};

TEST_P(BothModes, ReadersAndWritersTable)
{
    auto store = makeStore();
    struct Case
    {
        const char* name;
        std::function<void(CINIFileSupport&)> write;
        std::function<double(CINIFileSupport&)> read;
        double expected;
    };
    const Case cases[] = {
        {"uchar cut to 8 bits", [](auto& s) { s.WriteUChar("T", "a", 300); },
         [](auto& s) { return s.GetUChar("T", "a"); }, 44},
        {"ushort cut to 16 bits", [](auto& s) { s.WriteUShort("T", "b", 70000); },
         [](auto& s) { return s.GetUShort("T", "b"); }, 4464},
        {"char negative", [](auto& s) { s.WriteChar("T", "c", -5); },
         [](auto& s) { return s.GetChar("T", "c"); }, -5},
        {"short wraps", [](auto& s) { s.WriteShort("T", "d", 40000); },
         [](auto& s) { return s.GetShort("T", "d"); }, -25536},
        {"int", [](auto& s) { s.WriteInt("T", "e", -123456); },
         [](auto& s) { return s.GetInt("T", "e"); }, -123456},
        {"uint", [](auto& s) { s.WriteUInt("T", "f", 4000000000u); },
         [](auto& s) { return s.GetUInt("T", "f"); }, 4000000000u},
        {"double six decimals", [](auto& s) { s.WriteDouble("T", "g", 0.05); },
         [](auto& s) { return s.GetDoubleDefault("T", "g", 9.0); }, 0.05},
        {"double exp", [](auto& s) { s.WriteDoubleExp("T", "h", 1.25e-30); },
         [](auto& s) { return s.GetDouble("T", "h"); }, 1.25e-30},
        {"float", [](auto& s) { s.WriteFloat("T", "i", 2.5f); },
         [](auto& s) { return s.GetFloat("T", "i"); }, 2.5},
        {"real read as integer", [](auto& s) { s.WriteString("T", "j", "12.7"); },
         [](auto& s) { return s.GetInt("T", "j"); }, 12},
        {"text read as integer", [](auto& s) { s.WriteString("T", "k", "abc"); },
         [](auto& s) { return s.GetIntDefault("T", "k", 5); }, 0},
        {"missing narrow default cut", [](auto&) {},
         [](auto& s) { return s.GetUCharDefault("T", "none", static_cast<unsigned char>(300)); },
         44},
        {"missing short default", [](auto&) {},
         [](auto& s) { return s.GetShortDefault("T", "none", -7); }, -7},
        {"missing real default rounded by %f", [](auto&) {},
         [](auto& s) { return s.GetDoubleDefault("T", "none", 2.0e-7); }, 0.0},
        {"missing real default", [](auto&) {},
         [](auto& s) { return s.GetFloatDefault("T", "none", 1.5f); }, 1.5},
        {"missing without default", [](auto&) {}, [](auto& s) { return s.GetLong("T", "none"); },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.write(*store);
        EXPECT_DOUBLE_EQ(c.read(*store), c.expected);
    }
}

TEST_P(BothModes, StoredTextForms)
{
    auto store = makeStore();
    store->WriteDouble("Forms", "Double", 0.05);
    store->WriteDoubleExp("Forms", "DoubleExp", 0.05);
    store->WriteFloatExp("Forms", "FloatExp", -2.0e-5f);
    store->WriteFloat("Forms", "Float", 0.5f);
    EXPECT_EQ(store->GetString("Forms", "Double"), "0.050000000000000");
    EXPECT_EQ(store->GetString("Forms", "DoubleExp"), "5.000000000000000e-02");
    EXPECT_EQ(store->GetString("Forms", "FloatExp"), "-2.000000e-05");
    EXPECT_EQ(store->GetString("Forms", "Float"), "0.500000");
    EXPECT_EQ(store->GetString("Forms", "Missing"), "0");
    EXPECT_EQ(store->GetStringDefault("Forms", "Missing", "dflt"), "dflt");
}

TEST_P(BothModes, NamesIgnoreCaseAndObjectsShareWrites)
{
    auto writer = makeStore();
    auto reader = makeStore();
    writer->WriteInt("Preferences", "AutoSaveOnExternalTrigger", 1);
    EXPECT_EQ(reader->GetInt("preferences", "AutoSaveOnExternalTrigger"), 1);
    reader->WriteInt("PREFERENCES", "AutosaveOnExternalTrigger", 2);
    EXPECT_EQ(writer->GetInt("Preferences", "AUTOSAVEONEXTERNALTRIGGER"), 2);
}

TEST_P(BothModes, ValuesAreCutTo255Characters)
{
    auto store = makeStore();
    const std::string longText(600, 'x');
    store->WriteString("Long", "Text", longText.c_str());
    EXPECT_EQ(store->GetString("Long", "Text"), std::string(255, 'x'));
}

TEST_P(BothModes, CutNeverSplitsACharacter)
{
    auto store = makeStore();
    const std::string a254(254, 'a');
    struct Case
    {
        const char* name;
        std::string stored;
        std::string expected;
    };
    const Case cases[] = {
        // The two-byte character would cross the limit: dropped whole.
        {"two-byte character across the limit", a254 + "\xC3\xA9", a254},
        {"three-byte character across the limit", a254 + "\xE2\x82\xAC", a254},
        {"four-byte character across the limit", std::string(253, 'a') + "\xF0\x9F\x98\x80",
         std::string(253, 'a')},
        // Ends exactly at the limit: kept.
        {"character ending at the limit", std::string(253, 'a') + "\xC3\xA9x",
         std::string(253, 'a') + "\xC3\xA9"},
        // Bytes that are not UTF-8 are cut by bytes, never more.
        {"stray continuation bytes", std::string(300, '\x80'), std::string(255, '\x80')},
        {"invalid bytes below the limit", "bad\xFF\xFEpath", "bad\xFF\xFEpath"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store->WriteString("Preferences\\Sound", "Warning", c.stored.c_str());
        EXPECT_EQ(store->GetString("Preferences\\Sound", "Warning"), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, BothModes, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Registry" : "IniFile";
                         });

TEST(INIFileSupport, WriterStatusDiffersByMode)
{
    const fs::path dir = testDir();
    CINIFileSupport registry(nullptr, 1);
    EXPECT_EQ(registry.WriteInt("S", "k", 1), 0); // registry: 0 is success
    CINIFileSupport ini((dir / "s.ini").c_str(), 0);
    EXPECT_NE(ini.WriteInt("S", "k", 1), 0); // profile: nonzero is success
}

TEST(INIFileSupport, RegistryRootIsReplaceable)
{
    CINIFileSupport first(nullptr, 1);
    EXPECT_EQ(first.SetRegistryRoot("Software\\Other"), 15);
    EXPECT_EQ(first.GetRegistryRoot(), "Software\\Other");
    first.WriteString("Deep\\Section", "Key", "v");
    CINIFileSupport second(nullptr, 1);
    EXPECT_EQ(second.GetStringDefault("Deep\\Section", "Key", "none"), "none");
    second.SetRegistryRoot("Software\\Other");
    EXPECT_EQ(second.GetString("Deep\\Section", "Key"), "v");
}

TEST(INIFileSupport, IniFileLinesAndLineEnds)
{
    const fs::path dir = testDir();
    const fs::path file = dir / "lf.ini";
    {
        std::ofstream out(file, std::ios::binary);
        out << "; a comment kept\n[Setup]\nName = Value One \nCount=3\n";
    }
    CINIFileSupport store(file.c_str(), 0);
    EXPECT_EQ(store.GetString("Setup", "Name"), "Value One");
    EXPECT_EQ(store.GetInt("setup", "count"), 3);
    store.WriteInt("Setup", "Count", 4);
    const std::string text = iniReadAll(file);
    EXPECT_NE(text.find("; a comment kept"), std::string::npos);
    EXPECT_NE(text.find("Count=4\r\n"), std::string::npos);
}

TEST(INIFileSupport, BareNameFromCurrentDirectoryElseConfigurationFolder)
{
    const fs::path dir = testDir();
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    {
        std::ofstream out(dir / "here.ini", std::ios::binary);
        out << "[A]\nB=local\r\n";
    }
    CINIFileSupport here("here.ini", 0);
    EXPECT_EQ(here.iniPath(), (dir / "here.ini").string());
    EXPECT_EQ(here.GetString("A", "B"), "local");

    CINIFileSupport elsewhere("elsewhere.ini", 0);
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(elsewhere.iniPath(), std::string(config) + "/Varnholt Software/elsewhere.ini");
    elsewhere.WriteString("A", "B", "fallback");
    EXPECT_FALSE(fs::exists(dir / "elsewhere.ini"));
    CINIFileSupport again("elsewhere.ini", 0);
    EXPECT_EQ(again.GetString("A", "B"), "fallback");
    fs::current_path(previous);
}

TEST(INIFileSupport, NeitherFileNorRegistryReadsDefaultsAndWritesNothing)
{
    CINIFileSupport store(nullptr, 0);
    EXPECT_EQ(store.GetIntDefault("S", "k", 9), 9);
    EXPECT_EQ(store.WriteInt("S", "k", 1), 0);
}

TEST(INIFileSupport, RegistryBatchSeesItsOwnWrites)
{
    CINIFileSupport store(nullptr, 1);
    store.beginBatch();
    for (int i = 0; i < 100; ++i)
        store.WriteInt("Preferences", ("Key" + std::to_string(i)).c_str(), i);
    EXPECT_EQ(store.GetInt("Preferences", "Key42"), 42);
    EXPECT_TRUE(store.endBatch());
    CINIFileSupport reader(nullptr, 1);
    EXPECT_EQ(reader.GetInt("Preferences", "Key99"), 99);
}

TEST(INIFileSupport, BatchReplacesTheFileOnce)
{
    const fs::path dir = testDir();
    const fs::path file = dir / "batch.ini";
    CINIFileSupport store(file.c_str(), 0);
    store.beginBatch();
    for (int i = 0; i < 200; ++i)
        store.WriteInt("Batch", ("Key" + std::to_string(i)).c_str(), i);
    EXPECT_FALSE(fs::exists(file));              // nothing reaches the disk before the end
    EXPECT_EQ(store.GetInt("Batch", "Key7"), 7); // but reads see the batch
    EXPECT_TRUE(store.endBatch());
    CINIFileSupport reader(file.c_str(), 0);
    EXPECT_EQ(reader.GetInt("Batch", "Key199"), 199);
}

} // namespace
