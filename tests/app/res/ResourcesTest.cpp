#include "platform/framework/Resources.h"

#include "app/res/HarluneResources.h"
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "platform/framework/Menu.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

using namespace platform::framework;

namespace {

// Every command item of a menu with its text, depth-first.
void collect(HMENU menu, std::multimap<unsigned, std::string>& items)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (const HMENU sub = GetSubMenu(menu, i)) {
            collect(sub, items);
        } else if (const unsigned id = GetMenuItemID(menu, i); id != 0) {
            items.emplace(id, GetMenuString(menu, static_cast<unsigned>(i), MF_BYPOSITION).value());
        }
    }
}

} // namespace

TEST(HarluneResources, EveryMenuBuildsAndShowsItsAcceleratorsTruthfully)
{
    std::map<unsigned, std::span<const Accelerator>> tables;
    for (const AcceleratorResource& table : app::res::accelerators()) {
        tables[table.id] = table.entries;
    }
    for (const MenuResource& resource : app::res::menus()) {
        SCOPED_TRACE(resource.id);
        const HMENU menu = buildMenu(resource.entries);
        ASSERT_NE(menu, 0u);
        std::multimap<unsigned, std::string> items;
        collect(menu, items);
        EXPECT_FALSE(items.empty());
        std::set<std::pair<std::string, unsigned>> shown;
        for (const auto& [id, text] : items) {
            if (const auto tab = text.find('\t'); tab != std::string::npos) {
                shown.emplace(text.substr(tab + 1), id);
            }
        }
        std::set<std::pair<std::string, unsigned>> installed;
        for (const Accelerator& accelerator : tables[resource.id]) {
            installed.emplace(accelerator.key, accelerator.id);
        }
        if (resource.id != app::res::IDR_POPUP_TOOLBARS) {
            EXPECT_EQ(shown, installed); // a key shown in the menu is a key that works
        }
        DestroyMenu(menu);
    }
}

TEST(HarluneResources, CommandsKeepTheirIds)
{
    struct Case
    {
        unsigned menu;
        unsigned id;
        const char* text;
    };
    const Case cases[] = {
        {app::res::IDR_SPECTRUMTYPE, 32830, "&Kick Start"},
        {app::res::IDR_SPECTRUMTYPE, 32788, "Store Global &Dark\tCtrl+Alt+D"},
        {app::res::IDR_SPECTRUMTYPE, 32805, "&New\tCtrl+N"},
        {app::res::IDR_SPECTRUMTYPE, 33101, "&Trevan/Solvi+ Features...\tF2"},
        {app::res::IDR_SPECTRUMTYPE, 32866, "Overlay &1"},
        {app::res::IDR_MAINFRAME, 57650, "&Cascade"},
        {app::res::IDR_MAINFRAME, 33055, "&Open and Execute Script..."},
        {app::res::IDR_GRAPHTYPE, 33041, "X Axis..."},
        {app::res::IDR_GRIDTYPE, 32956, "Open &Spectrum File..."},
        {app::res::IDR_POPUP_TOOLBARS, 16109, "&Quintar"},
    };
    Resources& resources = Resources::instance();
    resources.addMenus(app::res::menus());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const HMENU menu = resources.LoadMenu(c.menu);
        EXPECT_EQ(GetMenuString(menu, c.id, MF_BYCOMMAND), std::optional<std::string>(c.text));
        DestroyMenu(menu);
    }
    // The tool-bar pop-up: its second sub-menu lists the spectrum window's bars.
    const HMENU popup = resources.LoadMenu(app::res::IDR_POPUP_TOOLBARS);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(popup, 1)), 10);
    DestroyMenu(popup);
    resources.clear();
}

TEST(HarluneResources, ToolBarsAndPrompts)
{
    std::map<unsigned, std::string> titles;
    for (const ToolBarResource& bar : app::res::toolBars()) {
        titles[bar.id] = bar.title;
        EXPECT_FALSE(bar.buttons.empty());
    }
    EXPECT_EQ(titles[16000], "General Functions");
    EXPECT_EQ(titles[16001], "Tundra Functions");
    EXPECT_EQ(titles[16002], "Global Functions");
    EXPECT_EQ(titles[212], "hidden");
    EXPECT_EQ(titles[16100], "Spectrum Controls");
    EXPECT_EQ(titles[16200], "Graph Functions");
    Resources& resources = Resources::instance();
    resources.addPrompts(app::res::prompts());
    resources.addStrings(app::res::strings());
    EXPECT_EQ(resources.statusPrompt(32790), "Pause data acquisition for all windows");
    EXPECT_EQ(resources.toolTip(32899), "Open Time Acq.");
    EXPECT_EQ(resources.LoadString(61446),
              std::optional<std::string>("Configure Data Acquisition"));
    resources.clear();
}

TEST(HarluneResources, EveryToolBarButtonHasATip)
{
    // The bars show their buttons by these texts.
    Resources& resources = Resources::instance();
    resources.addPrompts(app::res::prompts());
    for (const ToolBarResource& bar : app::res::toolBars()) {
        SCOPED_TRACE(bar.title);
        for (unsigned id : bar.buttons) {
            SCOPED_TRACE(id);
            if (id != 0) {
                EXPECT_FALSE(resources.toolTip(id).empty());
            }
        }
    }
    resources.clear();
}

TEST(MenuVerify, HasEveryMemberOnceWithItsWindowKind)
{
    const auto members = app::res::menuVerifyMembers();
    EXPECT_EQ(members.size(), 182u);
    std::set<std::string> names;
    std::set<int32_t> values;
    for (const app::res::MenuVerifyMember& member : members) {
        names.insert(member.name);
        values.insert(member.value);
        EXPECT_LE(static_cast<uint32_t>(member.value) >> 24, 8u) << member.name;
    }
    EXPECT_EQ(names.size(), members.size());
    EXPECT_EQ(values.size(), members.size());
    EXPECT_EQ(app::res::mvSpecOverlay7, 0x1003006);
    EXPECT_EQ(app::res::mvSpecOverlay8, 0x1003008);
    EXPECT_EQ(app::res::mvScriptAutoRunScriptSelectScript, 0x1011);
    EXPECT_EQ(app::res::mvUSBNorrelUVIntensity, 0x8000005);
    EXPECT_EQ(std::string(members.front().name), "mvWindowCascade");
}
