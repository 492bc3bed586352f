#include "app/shell/StartupSwitches.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace win = platform::win;

namespace {

std::string switchesTestPath(const std::string& name)
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
}

void createKey(win::HKEY root, const char* path)
{
    win::HKEY key = 0;
    ASSERT_EQ(win::RegCreateKeyEx(root, path, 0, nullptr, win::REG_OPTION_NON_VOLATILE,
                                  win::KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    win::RegCloseKey(key);
}

bool keyExists(win::HKEY root, const char* path)
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(root, path, 0, win::KEY_READ, &key) != 0)
        return false;
    win::RegCloseKey(key);
    return true;
}

class ScriptedQuestions : public StartupQuestions
{
public:
    bool askYesNo(const std::string& text) override
    {
        asked.push_back(text);
        return answer;
    }
    void showMessage(const std::string& text) override { shown.push_back(text); }
    bool answer = true;
    std::vector<std::string> asked;
    std::vector<std::string> shown;
};

TEST(StartupSwitchesTest, OnlyTheWholeCommandLineIsASwitch)
{
    const struct
    {
        std::vector<std::string> arguments;
        StartupSwitch expected;
    } cases[] = {
        {{"/cleanreg"}, StartupSwitch::CleanReg},
        {{"/CLEANREG"}, StartupSwitch::CleanReg},
        {{"/CleanRegAll"}, StartupSwitch::CleanRegAll},
        {{"/registeronly"}, StartupSwitch::RegisterOnly},
        {{"/NONE"}, StartupSwitch::NoHardware},
        {{"/hidden"}, StartupSwitch::Hidden},
        {{"/cleanreg", "/hidden"}, StartupSwitch::None},
        {{"spectrum.txt"}, StartupSwitch::None},
        {{}, StartupSwitch::None},
        {{"/none "}, StartupSwitch::None},
    };
    for (const auto& c : cases) {
        const std::string line = joinCommandLine(c.arguments);
        SCOPED_TRACE(line);
        EXPECT_EQ(parseStartupSwitch(line), c.expected);
    }
}

TEST(StartupSwitchesTest, AutomationStartsAreRecognisedInAnyArgument)
{
    const struct
    {
        std::vector<std::string> arguments;
        bool expected;
    } cases[] = {
        {{"/Embedding"}, true},
        {{"-embedding"}, true},
        {{"/AUTOMATION"}, true},
        {{"x", "-Automation"}, true},
        {{"Embedding"}, false},
        {{"/embed"}, false},
        {{}, false},
        {{"/hidden"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(joinCommandLine(c.arguments));
        EXPECT_EQ(startedForAutomation(c.arguments), c.expected);
    }
}

TEST(StartupSwitchesTest, DeleteRegistryKeyTreeRemovesEverythingBelow)
{
    createKey(win::HKEY_CLASSES_ROOT, "Harlune.Document\\CLSID\\Deep\\Deeper");
    createKey(win::HKEY_CLASSES_ROOT, "Harlune.Document\\Other");
    EXPECT_EQ(DeleteRegistryKeyTree(win::HKEY_CLASSES_ROOT, "Harlune.Document"), 0);
    EXPECT_FALSE(keyExists(win::HKEY_CLASSES_ROOT, "Harlune.Document"));
    EXPECT_EQ(DeleteRegistryKeyTree(win::HKEY_CLASSES_ROOT, ""), 1010);
    EXPECT_EQ(DeleteRegistryKeyTree(win::HKEY_CLASSES_ROOT, nullptr), 1010);
    EXPECT_NE(DeleteRegistryKeyTree(win::HKEY_CLASSES_ROOT, "NoSuchKey"), 0);
}

TEST(StartupSwitchesTest, CleanSwitchOutcomes)
{
    const std::string list = switchesTestPath("reglist.dat");
    struct Case
    {
        const char* name;
        StartupSwitch which;
        bool answer;
        bool listPresent;
        CleanOutcome outcome;
        std::vector<std::string> shown;
        bool classesGone;
        bool programKeysGone;
    };
    const std::string success = "Registry clean successful.  Harlune will now exit.";
    const Case cases[] = {
        {"cleanreg declined",
         StartupSwitch::CleanReg,
         false,
         true,
         CleanOutcome::Exit,
         {},
         false,
         false},
        {"cleanregall declined",
         StartupSwitch::CleanRegAll,
         false,
         true,
         CleanOutcome::Continue,
         {},
         false,
         false},
        {"list missing",
         StartupSwitch::CleanReg,
         true,
         false,
         CleanOutcome::Exit,
         {"Can't open reglist.dat\n"},
         false,
         false},
        {"cleanreg",
         StartupSwitch::CleanReg,
         true,
         true,
         CleanOutcome::Exit,
         {success},
         true,
         false},
        {"cleanregall",
         StartupSwitch::CleanRegAll,
         true,
         true,
         CleanOutcome::Exit,
         {success},
         true,
         true},
        {"no switch", StartupSwitch::Hidden, true, true, CleanOutcome::Continue, {}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        createKey(win::HKEY_CLASSES_ROOT, "Harlune.Application\\CLSID");
        createKey(win::HKEY_CLASSES_ROOT, "TypeLib\\{X}\\1.5");
        createKey(win::HKEY_CURRENT_USER, "Software\\Varnholt Software\\Harlune\\Preferences");
        createKey(win::HKEY_LOCAL_MACHINE, "Software\\Varnholt Software\\Harlune\\X");
        std::remove(list.c_str());
        if (c.listPresent) {
            std::ofstream out(list);
            out << "Harlune.Application\r\nNoSuchKey\r\n\r\nTypeLib\\{X}\r\n";
        }
        ScriptedQuestions questions;
        questions.answer = c.answer;
        EXPECT_EQ(runCleanSwitch(c.which, list, questions), c.outcome);
        EXPECT_EQ(questions.shown, c.shown);
        EXPECT_EQ(!keyExists(win::HKEY_CLASSES_ROOT, "Harlune.Application"), c.classesGone);
        EXPECT_EQ(!keyExists(win::HKEY_CLASSES_ROOT, "TypeLib\\{X}"), c.classesGone);
        EXPECT_EQ(!keyExists(win::HKEY_CURRENT_USER, "Software\\Varnholt Software\\Harlune"),
                  c.programKeysGone);
        EXPECT_EQ(!keyExists(win::HKEY_LOCAL_MACHINE, "Software\\Varnholt Software\\Harlune"),
                  c.programKeysGone);
    }
}

} // namespace
