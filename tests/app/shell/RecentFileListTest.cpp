#include "app/shell/RecentFileList.h"

#include "platform/win/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace win = platform::win;

namespace {

constexpr const char* kKey = "Software\\Varnholt Software\\Harlune Toolbars\\RecentScripts";

std::vector<std::string> entries(const RecentFileList& list)
{
    std::vector<std::string> paths;
    for (size_t i = 0; i < list.size(); ++i)
        paths.push_back(list[i]);
    return paths;
}

std::string stored(const char* name)
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, kKey, 0, win::KEY_READ, &key) != 0)
        return "(no key)";
    char text[512] = {};
    PWIN_DWORD size = sizeof(text) - 1;
    PWIN_DWORD type = 0;
    const long result =
        win::RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<uint8_t*>(text), &size);
    win::RegCloseKey(key);
    return result == 0 ? std::string(text) : "(none)";
}

TEST(RecentFileListTest, NewestFirstWithoutDuplicatesAndAtMostSix)
{
    RecentFileList list("RecentScripts", "script", 6, 100);
    for (const char* path :
         {"a.bas", "b.bas", "a.bas", "c.bas", "d.bas", "e.bas", "f.bas", "g.bas", ""})
        list.Add(path);
    EXPECT_EQ(entries(list),
              (std::vector<std::string>{"g.bas", "f.bas", "e.bas", "d.bas", "c.bas", "a.bas"}));
    list.Remove(1);
    list.Remove(42);
    EXPECT_EQ(entries(list),
              (std::vector<std::string>{"g.bas", "e.bas", "d.bas", "c.bas", "a.bas"}));
}

TEST(RecentFileListTest, WrittenAsScriptEntriesAndReadBack)
{
    {
        RecentFileList list("RecentScripts", "script", 6, 100);
        for (const char* path : {"/m/1.bas", "/m/2.bas", "/m/3.bas"})
            list.Add(path);
        ASSERT_TRUE(list.WriteList());
    }
    EXPECT_EQ(stored("script1"), "/m/3.bas");
    EXPECT_EQ(stored("script3"), "/m/1.bas");
    EXPECT_EQ(stored("script4"), "(none)");

    RecentFileList list("RecentScripts", "script", 6, 100);
    list.ReadList();
    EXPECT_EQ(entries(list), (std::vector<std::string>{"/m/3.bas", "/m/2.bas", "/m/1.bas"}));

    // A shorter list removes the entries it no longer has.
    list.Remove(0);
    list.Remove(0);
    ASSERT_TRUE(list.WriteList());
    EXPECT_EQ(stored("script1"), "/m/1.bas");
    EXPECT_EQ(stored("script2"), "(none)");
}

TEST(RecentFileListTest, LongNamesAreShownWithTheirEnd)
{
    RecentFileList list("RecentScripts", "script", 6, 100);
    const std::string folder(150, 'x');
    list.Add("/" + folder + "/measure.bas");
    const std::string shown = list.displayName(0);
    EXPECT_EQ(shown.size(), 100u);
    EXPECT_EQ(shown.rfind("...", 0), 0u);
    EXPECT_EQ(shown.substr(shown.size() - 12), "/measure.bas");

    // A cut never starts inside a character: "é" is two bytes.
    std::string accented;
    for (int i = 0; i < 60; ++i)
        accented += "\xC3\xA9";
    list.Add(accented);
    const std::string cut = list.displayName(0);
    EXPECT_LE(cut.size(), 100u);
    EXPECT_EQ(cut.substr(0, 4), "...\xC3");
}

} // namespace
