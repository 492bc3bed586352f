#include "platform/automation/Registration.h"

#include "platform/automation/ClassInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace {

using namespace platform::automation;

// A classes-root hive in memory: key path -> (value name -> data).
class MemoryHive : public ClassesRootWriter
{
public:
    long setString(const std::string& key, const std::string& name,
                   const std::string& data) override
    {
        keys[key][name] = data;
        ++writes;
        return 0;
    }
    std::optional<std::string> getString(const std::string& key, const std::string& name) override
    {
        const auto k = keys.find(key);
        if (k == keys.end() || !k->second.contains(name)) {
            return std::nullopt;
        }
        return k->second[name];
    }
    int writes = 0;
    long deleteTree(const std::string& key) override
    {
        long rc = 2; // not found
        for (auto it = keys.begin(); it != keys.end();) {
            if (it->first == key || it->first.starts_with(key + "\\")) {
                it = keys.erase(it);
                rc = 0;
            } else {
                ++it;
            }
        }
        return rc;
    }
    std::map<std::string, std::map<std::string, std::string>> keys;
};

TEST(RegistrationTest, WritesTheServerClassesInterfacesAndLibrary)
{
    const RegistrationTable table = registrationTable("/opt/harlune/Harlune");
    MemoryHive hive;
    ASSERT_EQ(writeRegistration(table, hive), 0);

    struct Case
    {
        std::string key;
        std::string name;
        std::string data;
    };
    const std::string lib = "{CC2B8C8C-ADB4-0000-B838-C448D8CC27C6}";
    const Case cases[] = {
        {"Harlune.GenVersion\\CLSID", "", "{CC2B8C8C-ADB4-0058-B838-C448D8CC27C6}"},
        {"CLSID\\{CC2B8C8C-ADB4-0058-B838-C448D8CC27C6}\\ProgID", "", "Harlune.GenVersion"},
        {"CLSID\\{CC2B8C8C-ADB4-0058-B838-C448D8CC27C6}\\LocalServer32", "",
         "/opt/harlune/Harlune /Automation"},
        {"Harlune.Document\\CLSID", "", documentClsid().toString()},
        {"Interface\\{CC2B8C8C-ADB4-0057-B838-C448D8CC27C6}", "", "IGenVersion"},
        {"Interface\\{CC2B8C8C-ADB4-0005-B838-C448D8CC27C6}", "", "IEventGeneratorEvents"},
        {"Interface\\{CC2B8C8C-ADB4-0057-B838-C448D8CC27C6}\\TypeLib", "Version", "1.5"},
        {"TypeLib\\" + lib + "\\1.5\\0\\win32", "", "/opt/harlune/Harlune"},
        {"TypeLib\\" + lib + "\\1.5\\HELPDIR", "", "/opt/harlune"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        ASSERT_TRUE(hive.keys.contains(c.key));
        EXPECT_EQ(hive.keys[c.key][c.name], c.data);
    }
    // One ProgID key per class and the document.
    int progIds = 0;
    for (const auto& [key, values] : hive.keys) {
        progIds += key.starts_with("Harlune.") && key.find('\\') == std::string::npos;
    }
    EXPECT_EQ(progIds, 62);
}

TEST(RegistrationTest, CleanUpRemovesExactlyWhatRegistrationWrote)
{
    const RegistrationTable table = registrationTable("/opt/harlune/Harlune");
    MemoryHive hive;
    hive.setString("CLSID\\{00000000-0000-0000-0000-000000000001}", "", "someone else");
    hive.setString("Interface\\{00000000-0000-0000-0000-000000000002}", "", "someone else");
    hive.setString("Harlune.Other", "", "not ours");
    const auto before = hive.keys;

    ASSERT_EQ(writeRegistration(table, hive), 0);
    // Every value lies inside one of the listed trees.
    for (const RegistryValue& v : table.values) {
        bool inside = false;
        for (const std::string& tree : table.keyTrees) {
            inside = inside || v.keyPath == tree || v.keyPath.starts_with(tree + "\\");
        }
        EXPECT_TRUE(inside) << v.keyPath;
    }
    // A refresh of a current registration writes nothing; a changed value is rewritten.
    hive.writes = 0;
    hive.keys["Harlune.GenMenu\\CLSID"][""] = "stale";
    ASSERT_EQ(writeRegistration(table, hive), 0);
    EXPECT_EQ(hive.writes, 1);
    ASSERT_EQ(removeRegistration(table, hive), 0);
    EXPECT_EQ(hive.keys, before);
    // Removing again: the trees are gone, which is no error.
    EXPECT_EQ(removeRegistration(table, hive), 0);
}

TEST(RegistrationTest, RegistersInTheProgramsClassesRoot)
{
    ClassesRootHive hive;
    ASSERT_EQ(hive.setString("CLSID\\{00000000-0000-0000-0000-000000000009}", "", "other"), 0);
    ASSERT_EQ(registerServer("/opt/harlune/Harlune"), 0);
    // The refresh at every start leaves a current registration's hive file untouched.
    const char* dir = std::getenv("HARLUNE_REGISTRY_DIR");
    ASSERT_NE(dir, nullptr);
    const auto hiveFile = std::filesystem::path(dir) / "HKEY_CLASSES_ROOT.hive";
    const auto written = std::filesystem::last_write_time(hiveFile);
    ASSERT_EQ(registerServer("/opt/harlune/Harlune"), 0);
    EXPECT_EQ(std::filesystem::last_write_time(hiveFile), written);
    EXPECT_EQ(hive.getString("Harlune.Document\\CLSID", ""), documentClsid().toString());
    EXPECT_EQ(hive.getString("harlune.specspectralData\\CLSID", ""),
              "{CC2B8C8C-ADB4-000A-B838-C448D8CC27C6}");
    EXPECT_EQ(
        hive.getString("Interface\\{CC2B8C8C-ADB4-0009-B838-C448D8CC27C6}\\TypeLib", "Version"),
        "1.5");

    ASSERT_EQ(removeRegistration(registrationTable("/opt/harlune/Harlune"), hive), 0);
    EXPECT_FALSE(hive.getString("Harlune.Document\\CLSID", ""));
    EXPECT_FALSE(hive.getString("TypeLib\\{CC2B8C8C-ADB4-0000-B838-C448D8CC27C6}\\1.5", ""));
    EXPECT_EQ(hive.getString("CLSID\\{00000000-0000-0000-0000-000000000009}", ""), "other");
}

TEST(RegistrationTest, GeneratedRegListMatchesTheTable)
{
    std::ifstream in(std::string(HARLUNE_BIN_DIR) + "/reglist.dat", std::ios::binary);
    ASSERT_TRUE(in) << "reglist.dat is generated beside the program";
    std::ostringstream text;
    text << in.rdbuf();
    const RegistrationTable table = registrationTable("anything");
    EXPECT_EQ(text.str(), regListText(table));
    // ProgID, CLSID and Interface trees of 62 servers, two more interfaces, the library.
    EXPECT_EQ(table.keyTrees.size(), 62u * 3 + 2 + 1);
    EXPECT_EQ(table.keyTrees.front(), "Harlune.Document");
}

} // namespace
