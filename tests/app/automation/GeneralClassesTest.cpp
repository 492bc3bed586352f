// The seven general automation classes through their dispatch interfaces, against a fake main
// frame window: tables and DISPIDs, the settings store, acquisition, bars, timers, versions,
// windows and menus, and their answers to bad input.
#include "AutomationCall.h"
#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "app/automation/I_CINIFileSupport.h"
#include "app/shell/MainFrame.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/framework/Menu.h"
#include "tests/app/shell/ShellFakes.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;
namespace fw = platform::framework;
using Kind = MainFrameWindow::ChildKind;

class GeneralClassesTest : public ::testing::Test
{
protected:
    GeneralClassesTest() { registerHarluneAutomation(registry); }

    DispatchPtr create(const char* progId)
    {
        DispatchPtr object;
        EXPECT_EQ(registry.CreateInstance(progId, object), S_OK) << progId;
        return object;
    }

    ClassRegistry registry;
    FakeAutomationFrame frame;
    RecordingSink log;
};

TEST_F(GeneralClassesTest, MembersHaveTheirPositionsAsDispids)
{
    struct Case
    {
        const char* progId;
        const char* member;
        DISPID dispid;
        size_t members;
    };
    const Case cases[] = {
        {"Harlune.GenINIFile", "RegistryBaseKey", 1, 17},
        {"Harlune.GenINIFile", "UseRegistry", 2, 17},
        {"Harlune.GenINIFile", "INIFileName", 3, 17},
        {"Harlune.GenINIFile", "GetLong", 4, 17},
        {"Harlune.GenINIFile", "GetShort", 16, 17},
        {"Harlune.GenINIFile", "WriteColor", 17, 17},
        {"Harlune.GenAcquisition", "GetAcquisitionForWindow", 5, 5},
        {"Harlune.GenMainToolbars", "TundraFunctions", 3, 3},
        {"Harlune.GenMenu", "CheckMenuRadioItem", 12, 28},
        {"Harlune.GenMenu", "RedrawAllGraphMenus", 28, 28},
        {"Harlune.GenTimers", "KillTimer", 2, 2},
        {"Harlune.GenVersion", "GetTypeLibraryVersion", 3, 3},
        {"Harlune.GenWindows", "RenameGraphWindow", 13, 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + "." + c.member);
        DispatchPtr object = create(c.progId);
        ASSERT_TRUE(object);
        DISPID dispid = 0;
        ASSERT_EQ(object->GetIDsOfNames(c.member, dispid), S_OK);
        EXPECT_EQ(dispid, c.dispid);
        const ClassInfo* info = findClassByProgId(c.progId);
        ASSERT_NE(registry.dispatchTable(*info), nullptr);
        EXPECT_EQ(registry.dispatchTable(*info)->size(), c.members);
    }
}

TEST_F(GeneralClassesTest, SettingsStoreWritesInItsFormatsInBothModes)
{
    struct Case
    {
        const char* write;
        Variant value;
        const char* text;
    };
    const Case cases[] = {
        {"WriteShort", Variant(int16_t{-12}), "-12"},
        {"WriteLong", Variant(int32_t{-70000}), "-70000"},
        {"WriteFloat", Variant(1.5f), "1.500000"},
        {"WriteFloatExponential", Variant(1.5f), "1.500000e+00"},
        {"WriteDouble", Variant(0.1), "0.100000000000000"},
        {"WriteDoubleExponential", Variant(-2.5), "-2.500000000000000e+00"},
        {"WriteString", Variant("some text"), "some text"},
        {"WriteColor", Variant(int32_t{-1}), "4294967295"},
    };
    DispatchPtr store = create("Harlune.GenINIFile");
    EXPECT_TRUE(asBool(get(*store, "UseRegistry")));
    EXPECT_EQ(asText(get(*store, "INIFileName")), "Test.ini");
    for (bool registryMode : {true, false}) {
        put(*store, "UseRegistry", Variant(registryMode));
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.write) + (registryMode ? " (registry)" : " (INI)"));
            call(*store, c.write, {Variant("Section"), Variant("Entry"), c.value});
            EXPECT_EQ(asText(call(*store, "GetString",
                                  {Variant("Section"), Variant("Entry"), Variant("none")})),
                      c.text);
        }
        EXPECT_EQ(asLong(call(*store, "GetColor",
                              {Variant("Section"), Variant("Entry"), Variant(int32_t{0})})),
                  -1);
        EXPECT_EQ(asLong(call(*store, "GetLong",
                              {Variant("Section"), Variant("Missing"), Variant(int32_t{42})})),
                  42);
        EXPECT_EQ(
            call(*store, "GetShort", {Variant("Section"), Variant("Missing"), Variant(int16_t{-3})})
                .toI2()
                .value,
            -3);
    }
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(GeneralClassesTest, SettingsStoreIsMadeAnewOnlyWhenTheFileOrTheModeChanges)
{
    DispatchPtr store = create("Harlune.GenINIFile");
    const std::string defaultRoot = asText(get(*store, "RegistryBaseKey"));
    put(*store, "RegistryBaseKey", Variant("Software\\Scripts"));
    EXPECT_EQ(asText(get(*store, "RegistryBaseKey")), "Software\\Scripts");
    // The same name in other letter case keeps the store (and its root).
    put(*store, "INIFileName", Variant("TEST.INI"));
    EXPECT_EQ(asText(get(*store, "INIFileName")), "Test.ini");
    EXPECT_EQ(asText(get(*store, "RegistryBaseKey")), "Software\\Scripts");
    // Empty and overlong names are refused.
    put(*store, "INIFileName", Variant(""));
    put(*store, "INIFileName", Variant(std::string(300, 'a')));
    EXPECT_EQ(asText(get(*store, "INIFileName")), "Test.ini");
    EXPECT_EQ(asText(get(*store, "RegistryBaseKey")), "Software\\Scripts");
    // Setting the same mode keeps it; another name makes a new store.
    put(*store, "UseRegistry", Variant(true));
    EXPECT_EQ(asText(get(*store, "RegistryBaseKey")), "Software\\Scripts");
    put(*store, "INIFileName", Variant("Other.ini"));
    EXPECT_EQ(asText(get(*store, "INIFileName")), "Other.ini");
    EXPECT_EQ(asText(get(*store, "RegistryBaseKey")), defaultRoot);

    // The script host's store is one such object.
    DispatchPtr hosted = NewINIFileSupportDispatch();
    ASSERT_TRUE(hosted);
    EXPECT_EQ(asText(get(*hosted, "INIFileName")), "Test.ini");
}

TEST_F(GeneralClassesTest, SettingsStoreNamesWithSpecialCharactersNeverDamageTheStore)
{
    const std::vector<std::pair<std::string, std::string>> names = {
        {"A=B", "Entry"},   {"A]B", "Entry"},      {"Line\nEnd", "Entry"}, {"Section", "E=F"},
        {"Section", "E]F"}, {"Section", "E\r\nF"}, {"[Section]", "Entry"}, {"Section", ""},
    };
    DispatchPtr store = create("Harlune.GenINIFile");
    for (bool registryMode : {true, false}) {
        put(*store, "UseRegistry", Variant(registryMode));
        call(*store, "WriteString", {Variant("Kept"), Variant("Value"), Variant("intact")});
        for (const auto& [section, entry] : names) {
            SCOPED_TRACE((registryMode ? "registry " : "INI ") + section + "/" + entry);
            call(*store, "WriteString", {Variant(section), Variant(entry), Variant("written")});
            const std::string read = asText(
                call(*store, "GetString", {Variant(section), Variant(entry), Variant("default")}));
            EXPECT_TRUE(read == "written" || read == "default") << read;
            EXPECT_EQ(asText(call(*store, "GetString",
                                  {Variant("Kept"), Variant("Value"), Variant("lost")})),
                      "intact");
        }
    }
}

TEST_F(GeneralClassesTest, AcquisitionDrivesTheRoundRobin)
{
    RecordingDriver driver;
    CMainFrame core(frame, driver, 0x4000);
    frame.mainFrame = &core;
    frame.add(1, Kind::Spectrum, "Spectrum 1");
    DispatchPtr acquisition = create("Harlune.GenAcquisition");
    EXPECT_TRUE(asBool(call(*acquisition, "HaltAcquisition")));
    EXPECT_EQ(asLong(call(*acquisition, "GetAcquisitionHalted")), 2);
    EXPECT_TRUE(asBool(call(*acquisition, "StartAcquisition")));
    EXPECT_EQ(asLong(call(*acquisition, "GetAcquisitionHalted")), 0);
    frame.scanned.clear();
    EXPECT_TRUE(asBool(call(*acquisition, "GetNextAcquisition")));
    EXPECT_EQ(frame.scanned, std::vector<std::string>{"Spectrum 1"});
    EXPECT_FALSE(asBool(call(*acquisition, "GetAcquisitionForWindow", {Variant("Spectrum 9")})));
    EXPECT_TRUE(asBool(call(*acquisition, "GetAcquisitionForWindow", {Variant("Spectrum 1")})));
}

TEST_F(GeneralClassesTest, MainToolbarsShowAndHideTheirBars)
{
    frame.bars = {{16000, false}, {16001, true}, {16002, false}};
    DispatchPtr bars = create("Harlune.GenMainToolbars");
    EXPECT_FALSE(asBool(get(*bars, "GeneralFunctions")));
    EXPECT_TRUE(asBool(get(*bars, "TundraFunctions")));
    put(*bars, "GlobalFunctions", Variant(true));
    EXPECT_TRUE(frame.bars[16002]);
    EXPECT_TRUE(asBool(get(*bars, "GlobalFunctions")));
    put(*bars, "TundraFunctions", Variant(false));
    EXPECT_FALSE(frame.bars[16001]);
}

TEST_F(GeneralClassesTest, ScriptTimersTickOnceAndOnlyTheirIdsAreAccepted)
{
    RecordingDriver driver;
    CMainFrame core(frame, driver, 0x4000);
    frame.mainFrame = &core;
    DispatchPtr timers = create("Harlune.GenTimers");
    EXPECT_TRUE(asBool(call(*timers, "SetTimer", {Variant(int16_t{5}), Variant(int32_t{100})})));
    ASSERT_EQ(frame.timers.count(1005), 1u);
    frame.advance(99);
    EXPECT_TRUE(frame.ticks.empty());
    frame.advance(1);
    EXPECT_EQ(frame.ticks, std::vector<int16_t>{5});
    frame.advance(10000);
    EXPECT_EQ(frame.ticks, std::vector<int16_t>{5});

    // The frame's own timers and ids beyond the script range are never touched.
    frame.timers[998] = {1000000, 1000000};
    frame.timers[999] = {1000000, 1000000};
    frame.killed.clear();
    for (int16_t id :
         {int16_t{-1}, int16_t{-2}, int16_t{9000}, int16_t{SHRT_MAX}, int16_t{-1000}}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(asBool(call(*timers, "SetTimer", {Variant(id), Variant(int32_t{10})})));
        EXPECT_FALSE(asBool(call(*timers, "KillTimer", {Variant(id)})));
    }
    EXPECT_FALSE(asBool(call(*timers, "SetTimer", {Variant(int16_t{1}), Variant(int32_t{-5})})));
    EXPECT_EQ(frame.timers.size(), 2u);
    EXPECT_TRUE(frame.killed.empty());
    EXPECT_TRUE(asBool(call(*timers, "SetTimer", {Variant(int16_t{8999}), Variant(int32_t{1})})));
    EXPECT_TRUE(asBool(call(*timers, "KillTimer", {Variant(int16_t{8999})})));
    EXPECT_EQ(frame.killed, std::vector<unsigned>{9999});
}

TEST_F(GeneralClassesTest, GeneralMembersWithoutAMainFrameAnswerNeutralAndLog)
{
    setAutomationFrame(nullptr);
    DispatchPtr timers = create("Harlune.GenTimers");
    EXPECT_FALSE(asBool(call(*timers, "SetTimer", {Variant(int16_t{5}), Variant(int32_t{100})})));
    DispatchPtr windows = create("Harlune.GenWindows");
    EXPECT_EQ(asText(call(*windows, "GetActiveWindowTitle")), "None found");
    EXPECT_EQ(log.sources, (std::vector<std::string>{"I_GenTimers", "I_GenWindows"}));
    setAutomationFrame(&frame);
}

TEST_F(GeneralClassesTest, VersionsOfTheProgramTheDriverAndTheTypeLibrary)
{
    DispatchPtr version = create("Harlune.GenVersion");
    EXPECT_EQ(asText(call(*version, "GetProgramVersion")), "1.2.3.4");
    EXPECT_EQ(asText(call(*version, "GetDriverVersion")), "5.6.7.8");
    int16_t major = 0;
    int16_t minor = 0;
    call(*version, "GetTypeLibraryVersion", {Variant::byRef(&major), Variant::byRef(&minor)});
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 5);
}

TEST_F(GeneralClassesTest, WindowsAreFoundByTitleClosedRenamedAndOpened)
{
    DispatchPtr windows = create("Harlune.GenWindows");
    EXPECT_EQ(asText(call(*windows, "GetActiveWindowTitle")), "None found");
    frame.add(1, Kind::Graph, "Graph 1");
    frame.add(2, Kind::Spectrum, "Spectrum 1");
    frame.add(3, Kind::Grid, "Grid 1");
    frame.active = 3;
    EXPECT_EQ(asText(call(*windows, "GetActiveWindowTitle")), "Grid 1");

    struct Case
    {
        const char* member;
        std::vector<Variant> args;
        bool result;
    };
    const Case cases[] = {
        {"RenameGraphWindow", {Variant("Graph 9"), Variant("New")}, false},
        {"RenameGraphWindow", {Variant("Spectrum 1"), Variant("New")}, false},
        {"RenameGraphWindow", {Variant("graph 1"), Variant("")}, false},
        {"RenameGraphWindow", {Variant("graph 1"), Variant(std::string(400, 'n'))}, false},
        {"RenameGraphWindow", {Variant("graph 1"), Variant("Renamed graph")}, true},
        {"RenameGridWindow", {Variant("GRID 1"), Variant("Renamed grid")}, true},
        {"RenameSpectrumWindow", {Variant("Grid 1"), Variant("x")}, false},
        {"CloseGridWindow", {Variant("Grid 1")}, false},
        {"CloseSpectrumWindow", {Variant("spectrum 1")}, true},
        {"CloseSpectrumWindow", {Variant("spectrum 1")}, false},
        {"CloseGraphWindow", {Variant("")}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.member) + " " + asText(c.args[0]));
        EXPECT_EQ(asBool(call(*windows, c.member, c.args)), c.result);
    }
    EXPECT_EQ(frame.find(1)->title, "Renamed graph");
    EXPECT_EQ(frame.find(3)->title, "Renamed grid");
    EXPECT_EQ(frame.destroyed, std::vector<uint32_t>{2});

    call(*windows, "Cascade");
    call(*windows, "TileVertically");
    call(*windows, "TileHorizontally");
    EXPECT_EQ(frame.arranged,
              (std::vector<std::string>{"cascade", "tile vertically", "tile horizontally"}));
    EXPECT_TRUE(asBool(call(*windows, "NewSpectrumWindow", {Variant("S")})));
    EXPECT_TRUE(asBool(call(*windows, "NewGraphWindow",
                            {Variant(int32_t{2}), Variant(int32_t{50}), Variant("G")})));
    EXPECT_EQ(frame.opened, (std::vector<std::string>{"spectrum S", "graph 2x50 G"}));
    EXPECT_TRUE(log.sources.empty());
}

class MenuTest : public GeneralClassesTest
{
protected:
    int32_t menuCall(const char* member, std::vector<Variant> args = {})
    {
        return asLong(call(*menu, member, std::move(args)));
    }
    DispatchPtr menu = create("Harlune.GenMenu");
};

Variant L(int32_t v)
{
    return Variant(v);
}

TEST_F(MenuTest, MenuFunctionsKeepTheirWindowsSemantics)
{
    const int32_t bar = menuCall("CreateMenu");
    const int32_t popup = menuCall("CreatePopupMenu");
    ASSERT_GT(bar, 0);
    for (const auto& [id, text] : std::vector<std::pair<int32_t, const char*>>{
             {100, "One"}, {101, "Two"}, {0, ""}, {102, "Three"}}) {
        const int32_t flags = id == 0 ? 2048 : 0;
        ASSERT_TRUE(menuCall("AppendMenu", {L(popup), L(flags), L(id), Variant(text)}));
    }
    ASSERT_TRUE(menuCall("AppendMenu", {L(bar), L(16), L(popup), Variant("&File")}));

    struct Case
    {
        const char* name;
        const char* member;
        std::vector<Variant> args;
        int32_t result;
    };
    const Case cases[] = {
        {"count of a bar", "GetMenuItemCount", {L(bar)}, 1},
        {"count of a pop-up", "GetMenuItemCount", {L(popup)}, 4},
        {"sub-menu", "GetSubMenu", {L(bar), L(0)}, popup},
        {"no sub-menu", "GetSubMenu", {L(popup), L(0)}, 0},
        {"id of a pop-up item", "GetMenuItemID", {L(bar), L(0)}, -1},
        {"id", "GetMenuItemID", {L(popup), L(0)}, 100},
        {"id of a separator", "GetMenuItemID", {L(popup), L(2)}, 0},
        {"id past the end", "GetMenuItemID", {L(popup), L(4)}, 0},
        {"id at a negative position", "GetMenuItemID", {L(popup), L(-1)}, 0},
        {"state of a pop-up: its count", "GetMenuState", {L(bar), L(0), L(1024)}, 0x410},
        {"check answers the previous state", "CheckMenuItem", {L(bar), L(101), L(8)}, 0},
        {"check again", "CheckMenuItem", {L(bar), L(101), L(8)}, 8},
        {"checked state", "GetMenuState", {L(popup), L(101), L(0)}, 8},
        {"uncheck", "CheckMenuItem", {L(popup), L(1), L(1024)}, 8},
        {"gray", "EnableMenuItem", {L(popup), L(0), L(1024 | 1)}, 0},
        {"enable answers the previous state", "EnableMenuItem", {L(popup), L(100), L(0)}, 1},
        {"radio by position", "CheckMenuRadioItem", {L(popup), L(0), L(3), L(1), L(1024)}, -1},
        {"radio mark", "GetMenuState", {L(popup), L(1), L(1024)}, 0x208},
        {"radio clears the group", "GetMenuState", {L(popup), L(0), L(1024)}, 0},
        {"radio by command", "CheckMenuRadioItem", {L(bar), L(100), L(102), L(102), L(0)}, -1},
        {"radio moved", "GetMenuState", {L(popup), L(101), L(0)}, 0},
        {"radio outside its group", "CheckMenuRadioItem", {L(popup), L(0), L(1), L(3), L(1024)}, 0},
        {"radio past the end", "CheckMenuRadioItem", {L(popup), L(0), L(9), L(1), L(1024)}, 0},
        {"insert", "InsertMenu", {L(popup), L(0), L(1024), L(99), Variant("Zero")}, -1},
        {"insert at the end", "InsertMenu", {L(popup), L(5), L(1024), L(103), Variant("End")}, -1},
        {"insert past the end", "InsertMenu", {L(popup), L(9), L(1024), L(104), Variant("x")}, 0},
        {"insert by a missing command",
         "InsertMenu",
         {L(popup), L(555), L(0), L(104), Variant("x")},
         0},
        {"modify", "ModifyMenu", {L(bar), L(99), L(0), L(98), Variant("Zero!")}, -1},
        {"unknown flag bits", "AppendMenu", {L(popup), L(0x4000), L(1), Variant("x")}, 0},
        {"negative flags", "AppendMenu", {L(popup), L(-1), L(1), Variant("x")}, 0},
        {"overlong text", "AppendMenu", {L(popup), L(0), L(1), Variant(std::string(2000, 'x'))}, 0},
        {"count after", "GetMenuItemCount", {L(popup)}, 6},
        {"delete past the end", "DeleteMenu", {L(popup), L(6), L(1024)}, 0},
        {"remove at a negative position", "RemoveMenu", {L(popup), L(-2), L(1024)}, 0},
        {"state with unknown flags", "GetMenuState", {L(popup), L(0), L(0x8000)}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(menuCall(c.member, c.args), c.result);
    }
    EXPECT_EQ(asText(call(*menu, "GetMenuString", {L(bar), L(98), L(0)})), "Zero!");
    EXPECT_EQ(asText(call(*menu, "GetMenuString", {L(popup), L(2), L(1024)})), "Two");
    EXPECT_EQ(asText(call(*menu, "GetMenuString", {L(popup), L(40), L(1024)})), "");
    // Texts are read up to 199 characters, never splitting a character.
    ASSERT_TRUE(menuCall("AppendMenu", {L(popup), L(0), L(200), Variant(std::string(300, 'a'))}));
    EXPECT_EQ(asText(call(*menu, "GetMenuString", {L(popup), L(200), L(0)})).size(), 199u);
    ASSERT_TRUE(menuCall("AppendMenu",
                         {L(popup), L(0), L(201), Variant(std::string(198, 'a') + "\xc3\xa9")}));
    EXPECT_EQ(asText(call(*menu, "GetMenuString", {L(popup), L(201), L(0)})),
              std::string(198, 'a'));
    // InsertMenu redrew the spectrum menus each time.
    EXPECT_EQ(frame.menuBarDraws, 3);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(MenuTest, DeleteDestroysAPopupAndRemoveKeepsIt)
{
    const int32_t bar = menuCall("CreateMenu");
    const int32_t kept = menuCall("CreatePopupMenu");
    const int32_t lost = menuCall("CreatePopupMenu");
    ASSERT_TRUE(menuCall("AppendMenu", {L(kept), L(0), L(1), Variant("k")}));
    ASSERT_TRUE(menuCall("AppendMenu", {L(bar), L(16), L(kept), Variant("Kept")}));
    ASSERT_TRUE(menuCall("AppendMenu", {L(bar), L(16), L(lost), Variant("Lost")}));
    EXPECT_TRUE(menuCall("RemoveMenu", {L(bar), L(0), L(1024)}));
    EXPECT_EQ(menuCall("GetMenuItemCount", {L(kept)}), 1);
    EXPECT_TRUE(menuCall("DeleteMenu", {L(bar), L(0), L(1024)}));
    EXPECT_FALSE(fw::IsMenu(static_cast<fw::HMENU>(lost)));
    EXPECT_EQ(menuCall("GetMenuItemCount", {L(bar)}), 0);
}

TEST_F(MenuTest, HandlesThatAreNotMenusAnswerZero)
{
    const int32_t gone = menuCall("CreatePopupMenu");
    ASSERT_TRUE(menuCall("AppendMenu", {L(gone), L(0), L(1), Variant("x")}));
    EXPECT_TRUE(menuCall("DestroyMenu", {L(gone)}));
    for (int32_t handle : {gone, 0, -5, 0x7FFFFFF0}) {
        SCOPED_TRACE(handle);
        EXPECT_EQ(menuCall("GetMenuItemCount", {L(handle)}), 0);
        EXPECT_EQ(menuCall("DestroyMenu", {L(handle)}), 0);
        EXPECT_EQ(menuCall("AppendMenu", {L(handle), L(0), L(5), Variant("x")}), 0);
        EXPECT_EQ(menuCall("InsertMenu", {L(handle), L(0), L(1024), L(5), Variant("x")}), 0);
        EXPECT_EQ(menuCall("ModifyMenu", {L(handle), L(0), L(1024), L(5), Variant("x")}), 0);
        EXPECT_EQ(menuCall("CheckMenuItem", {L(handle), L(1), L(8)}), 0);
        EXPECT_EQ(menuCall("CheckMenuRadioItem", {L(handle), L(0), L(1), L(0), L(1024)}), 0);
        EXPECT_EQ(menuCall("EnableMenuItem", {L(handle), L(1), L(1)}), 0);
        EXPECT_EQ(menuCall("GetMenuItemID", {L(handle), L(0)}), 0);
        EXPECT_EQ(menuCall("GetMenuState", {L(handle), L(0), L(1024)}), 0);
        EXPECT_EQ(asText(call(*menu, "GetMenuString", {L(handle), L(0), L(1024)})), "");
        EXPECT_EQ(menuCall("GetSubMenu", {L(handle), L(0)}), 0);
        EXPECT_EQ(menuCall("DeleteMenu", {L(handle), L(0), L(1024)}), 0);
        EXPECT_EQ(menuCall("RemoveMenu", {L(handle), L(0), L(1024)}), 0);
        EXPECT_EQ(menuCall("SetSpectrumMenu", {L(handle)}), 0);
    }
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(MenuTest, MenusInUseAreNotDestroyed)
{
    const int32_t shared = menuCall("CreateMenu");
    const int32_t popup = menuCall("CreatePopupMenu");
    ASSERT_TRUE(menuCall("AppendMenu", {L(shared), L(16), L(popup), Variant("&File")}));
    ASSERT_TRUE(menuCall("SetSpectrumMenu", {L(shared)}));
    EXPECT_EQ(menuCall("GetSpectrumMenu"), shared);
    EXPECT_FALSE(menuCall("DestroyMenu", {L(shared)}));
    EXPECT_FALSE(menuCall("DestroyMenu", {L(popup)}));
    EXPECT_TRUE(fw::IsMenu(static_cast<fw::HMENU>(popup)));
    frame.ownMenu = static_cast<fw::HMENU>(menuCall("CreateMenu"));
    EXPECT_FALSE(menuCall("DestroyMenu", {L(static_cast<int32_t>(frame.ownMenu))}));
    // Once another menu replaced it, the script may destroy it.
    ASSERT_TRUE(menuCall("SetSpectrumMenu", {L(menuCall("CreateMenu"))}));
    EXPECT_TRUE(menuCall("DestroyMenu", {L(shared)}));
}

TEST_F(MenuTest, ReloadAndRedrawReachEveryWindowOfTheKind)
{
    frame.add(1, Kind::Grid, "Grid 1");
    frame.add(2, Kind::Spectrum, "Spectrum 1");
    frame.add(3, Kind::Grid, "Grid 2");
    EXPECT_TRUE(menuCall("ReloadDefaultGridMenu"));
    const auto grid = static_cast<fw::HMENU>(menuCall("GetGridMenu"));
    ASSERT_TRUE(fw::IsMenu(grid));
    EXPECT_EQ(fw::GetMenuItemID(fw::GetSubMenu(grid, 0), 0), 131u);
    EXPECT_EQ(frame.frameMenus,
              (std::vector<std::pair<uint32_t, fw::HMENU>>{{1, 0}, {1, grid}, {3, 0}, {3, grid}}));
    EXPECT_EQ(frame.menuBarDraws, 1);

    frame.frameMenus.clear();
    EXPECT_TRUE(menuCall("ReloadDefaultSpectrumMenu"));
    EXPECT_TRUE(menuCall("ReloadDefaultGraphMenu"));
    const auto spectrum = static_cast<fw::HMENU>(menuCall("GetSpectrumMenu"));
    EXPECT_EQ(frame.frameMenus,
              (std::vector<std::pair<uint32_t, fw::HMENU>>{{2, 0}, {2, spectrum}}));
    EXPECT_TRUE(menuCall("RedrawAllGraphMenus"));
    EXPECT_TRUE(menuCall("RedrawAllSpectrumMenus"));
    EXPECT_EQ(frame.frameMenus.size(), 4u);
    EXPECT_EQ(frame.menuBarDraws, 5);
}

} // namespace
