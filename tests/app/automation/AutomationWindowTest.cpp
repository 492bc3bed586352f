// The automation classes on the program's main window, offscreen: arranging, closing and the
// script's menu items, the main and spectrum bars, the Quintar label, the round-robin and the
// preferences' way to the store, as the user sees them.
#include "AutomationCall.h"
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/qt/ScanCountView.h"
#include "app/shell/INIFileSupport.h"
#include "driver/include/vykdrv32.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/Document.h"
#include "platform/framework/Menu.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "platform/win/Messages.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/shell/ShellFakes.h"
#include "toolkit/widgets/COXCoolToolBar.h"
#include "toolkit/widgets/COXTextLabel.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace platform::automation;
namespace fw = platform::framework;
using Kind = MainFrameWindow::ChildKind;

long countOf(const std::vector<std::string>& calls, const std::string& call)
{
    return std::count(calls.begin(), calls.end(), call);
}

class AutomationWindowTest : public ::testing::Test
{
protected:
    AutomationWindowTest() { CHarluneApp::useScanCountViews(true); }
    ~AutomationWindowTest() override { CHarluneApp::useScanCountViews(false); }

    DispatchPtr create(const char* progId)
    {
        DispatchPtr object;
        EXPECT_EQ(ClassRegistry::instance().CreateInstance(progId, object), S_OK) << progId;
        return object;
    }
    std::vector<fw::ChildFrame*> frames(MainFrameWidget& main)
    {
        std::vector<fw::ChildFrame*> result;
        for (uint32_t handle : main.childWindows())
            for (fw::ChildFrame* frame : main.childFrames())
                if (frame->GetSafeHwnd() == handle)
                    result.push_back(frame);
        return result;
    }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;
    const std::string scan = "SingleScan_Thread(" + std::to_string(getpid()) + ")";
};

TEST_F(AutomationWindowTest, CascadeLeavesADisabledChildInPlaceAndTileMovesTheChildren)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& main = *app.mainFrameWidget();
    app.NewSpectrumWindow("Second");
    app.NewGraphWindow(2, 10, "Graph");
    std::vector<fw::ChildFrame*> children = frames(main);
    ASSERT_EQ(children.size(), 3u);
    for (fw::ChildFrame* frame : children)
        frame->setGeometry(40, 40, 200, 150);
    fw::ChildFrame* disabled = children[1];
    disabled->setEnabled(false);
    disabled->setGeometry(333, 77, 210, 160);

    DispatchPtr windows = create("Harlune.GenWindows");
    call(*windows, "Cascade");
    EXPECT_EQ(disabled->geometry(), QRect(333, 77, 210, 160));
    EXPECT_NE(children[0]->geometry().topLeft(), children[2]->geometry().topLeft());
    EXPECT_NE(children[0]->geometry(), QRect(40, 40, 200, 150));

    disabled->setEnabled(true);
    call(*windows, "TileVertically");
    std::vector<int> lefts;
    for (fw::ChildFrame* frame : children) {
        EXPECT_EQ(frame->geometry().top(), 0);
        lefts.push_back(frame->geometry().left());
    }
    std::sort(lefts.begin(), lefts.end());
    EXPECT_EQ(std::unique(lefts.begin(), lefts.end()), lefts.end());
    call(*windows, "TileHorizontally");
    for (fw::ChildFrame* frame : children)
        EXPECT_EQ(frame->geometry().left(), 0);
}

// The grid and graph objects reach the program's own grid and graph windows.
TEST_F(AutomationWindowTest, GridAndGraphObjectsReachTheProgramsWindows)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    app.NewGridWindow(3, 4, 1, "Numbers");
    DispatchPtr data = create("Harlune.GridData");
    ASSERT_TRUE(asBool(call(*data, "SetGridByName", {Variant("Numbers")})));
    invokeMember(*data, "Value", DISPATCH_PROPERTYPUT, {2, 3, 6.5});
    EXPECT_DOUBLE_EQ(asDouble(invokeMember(*data, "Value", DISPATCH_PROPERTYGET, {2, 3})), 6.5);

    app.NewGraphWindow(2, 10, "Plot");
    DispatchPtr general = create("Harlune.GraphGeneral");
    EXPECT_EQ(asLong(call(*general, "GetNumberOfTraces")), 2);
    EXPECT_EQ(asLong(call(*general, "GetNumberOfPoints")), 10);
    EXPECT_TRUE(asBool(call(*general, "InitGraph", {3, 4, Variant("Renamed")})));
    EXPECT_EQ(asLong(call(*general, "GetNumberOfTraces")), 3);
    EXPECT_TRUE(asBool(call(*general, "SetGraphByName", {Variant("Renamed")})));
}

TEST_F(AutomationWindowTest, CloseSpectrumWindowAsksNothingAndScanningGoesOn)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& main = *app.mainFrameWidget();
    app.NewSpectrumWindow("Second");
    ASSERT_TRUE(runUntil([&] { return countOf(driver.calls, scan) >= 1; }));
    std::vector<fw::ChildFrame*> children = frames(main);
    ASSERT_EQ(children.size(), 2u);
    fw::ChildFrame* doomed = children[0]->windowTitle() == "Second" ? children[1] : children[0];
    fw::ChildFrame* kept = doomed == children[0] ? children[1] : children[0];
    // A modified document would ask to be saved on an ordinary close.
    doomed->GetActiveDocument()->SetModifiedFlag(true);
    const std::string title = doomed->windowTitle().toStdString();

    DispatchPtr windows = create("Harlune.GenWindows");
    EXPECT_TRUE(asBool(call(*windows, "CloseSpectrumWindow", {Variant(title)})));
    ASSERT_TRUE(runUntil([&] { return main.childWindows().size() == 1; }));
    EXPECT_TRUE(ui.messageBoxes().empty());
    EXPECT_FALSE(asBool(call(*windows, "CloseSpectrumWindow", {Variant(title)})));

    auto* view = dynamic_cast<ScanCountView*>(kept->GetActiveView());
    ASSERT_NE(view, nullptr);
    for (int i = 0; i < 2; ++i) {
        const long before = countOf(driver.calls, scan);
        platform::win::PostMessage(view->GetSafeHwnd(), VYK_MSG_BUFFER_FULL, 0, 0);
        ASSERT_TRUE(runUntil([&] { return countOf(driver.calls, scan) > before; }));
    }
    EXPECT_EQ(asText(call(*windows, "GetActiveWindowTitle")), "Second");
}

TEST_F(AutomationWindowTest, ScriptMenuItemsShowAndFireUserMenu)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& main = *app.mainFrameWidget();
    std::vector<int32_t> userMenus;
    main.setScriptEvents(nullptr, [&](int32_t id) { userMenus.push_back(id); });

    DispatchPtr menu = create("Harlune.GenMenu");
    const int32_t spectrum = asLong(call(*menu, "GetSpectrumMenu"));
    ASSERT_NE(spectrum, 0);
    const int32_t popup = asLong(call(*menu, "CreatePopupMenu"));
    ASSERT_TRUE(asBool(call(
        *menu, "AppendMenu",
        {Variant(popup), Variant(int32_t{0}), Variant(int32_t{47001}), Variant("Script item")})));
    ASSERT_TRUE(asBool(
        call(*menu, "AppendMenu",
             {Variant(spectrum), Variant(int32_t{16}), Variant(popup), Variant("&Script")})));
    EXPECT_TRUE(asBool(call(*menu, "RedrawAllSpectrumMenus")));
    // The menu a window shows cannot be destroyed under it.
    EXPECT_FALSE(asBool(call(*menu, "DestroyMenu", {Variant(spectrum)})));

    bool shown = false;
    for (QAction* top : main.menuBar()->actions())
        if (top->menu())
            for (QAction* item : top->menu()->actions())
                shown = shown || item->text().contains("Script item");
    EXPECT_TRUE(shown);
    EXPECT_TRUE(main.executeCommand(47001));
    EXPECT_EQ(userMenus, std::vector<int32_t>{47001});

    EXPECT_TRUE(asBool(call(*menu, "ReloadDefaultSpectrumMenu")));
    EXPECT_NE(asLong(call(*menu, "GetSpectrumMenu")), spectrum);
}

TEST_F(AutomationWindowTest, MainToolbarsFollowTheScript)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& main = *app.mainFrameWidget();
    DispatchPtr bars = create("Harlune.GenMainToolbars");
    EXPECT_FALSE(asBool(get(*bars, "GeneralFunctions")));
    EXPECT_TRUE(asBool(get(*bars, "TundraFunctions")));
    put(*bars, "GeneralFunctions", Variant(true));
    EXPECT_FALSE(main.controlBar(16000)->isHidden());
    put(*bars, "TundraFunctions", Variant(false));
    EXPECT_TRUE(main.controlBar(16001)->isHidden());
}

TEST_F(AutomationWindowTest, SpectrumBarsOfTheChosenWindowShowAndHideAtOnce)
{
    CHarluneApp app(driver);
    ASSERT_TRUE(app.InitInstance({}));
    MainFrameWidget& main = *app.mainFrameWidget();
    app.NewSpectrumWindow("Second");
    std::vector<CChildFrameSpectrum*> spectra;
    for (fw::ChildFrame* frame : frames(main))
        if (auto* spectrum = dynamic_cast<CChildFrameSpectrum*>(frame))
            spectra.push_back(spectrum);
    ASSERT_EQ(spectra.size(), 2u);
    CChildFrameSpectrum* chosen = spectra[0]->windowTitle() == "Second" ? spectra[0] : spectra[1];
    CChildFrameSpectrum* other = chosen == spectra[0] ? spectra[1] : spectra[0];
    const std::vector<std::pair<const char*, unsigned>> members = {
        {"SpectrumControls", 16100}, {"CursorControls", 16101},  {"GraphScale", 16102},
        {"SpectralViewMode", 16103}, {"TimeAcquisition", 16104}, {"AcquisitionParameters", 16105},
        {"USBMavrin", 16106},        {"Xandel", 16107},          {"USBNorrel", 16108},
        {"Quintar", 16109},
    };
    std::map<unsigned, bool> otherHidden;
    for (const auto& [member, id] : members) {
        ASSERT_NE(other->controlBar(id), nullptr) << member;
        otherHidden[id] = other->controlBar(id)->isHidden();
    }
    DispatchPtr toolbars = create("Harlune.SpecSpectrumToolbars");
    for (bool show : {true, false, true}) {
        for (const auto& [member, id] : members) {
            SCOPED_TRACE(member);
            ASSERT_TRUE(asBool(call(*toolbars, "SetWindowByWindowName", {Variant("Second")})));
            put(*toolbars, member, Variant(show));
            // At once: no event loop ran in between.
            EXPECT_EQ(chosen->controlBar(id)->isHidden(), !show);
            EXPECT_EQ(asBool(get(*toolbars, member)), show);
        }
    }
    for (const auto& [member, id] : members)
        EXPECT_EQ(other->controlBar(id)->isHidden(), otherHidden[id]) << member;

    // The Quintar label through its own setters: a face name that does not fit is refused.
    COXTextLabel* label = chosen->quintarLabel();
    ASSERT_NE(label, nullptr);
    put(*toolbars, "QuintarTextFontName", Variant("Serif"));
    put(*toolbars, "QuintarTextFontName", Variant(std::string(40, 'F')));
    EXPECT_EQ(label->GetFontName(), "Serif");
    put(*toolbars, "QuintarTextText", Variant("Quintar 1"));
    EXPECT_EQ(label->GetText(), "Quintar 1");
    put(*toolbars, "QuintarTextColor", Variant(int32_t{0x0000FF}));
    EXPECT_EQ(label->GetTextColor(), 0x0000FFu);
    EXPECT_EQ(asText(get(*toolbars, "QuintarTextText")), "Quintar 1");
    EXPECT_EQ(other->quintarLabel()->GetText(), "");
}

TEST_F(AutomationWindowTest, PreferencesReachTheStoreWhenTheMainFrameCloses)
{
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences\\Sound", "SaveData", "old.wav");
        store.WriteString("Preferences", "PrintBWOnly", "1");
    }
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({}));
        DispatchPtr sounds = create("Harlune.SpecSoundsSettings");
        DispatchPtr printing = create("Harlune.SpecPrintingSettings");
        EXPECT_EQ(asText(get(*sounds, "SaveSample")), "old.wav");
        put(*sounds, "SaveSample", Variant("new.wav"));
        put(*printing, "PrintBWOnly", Variant(false));
        EXPECT_EQ(app.mainFrameWidget()->allPreferences().sounds[2], "new.wav");
        CINIFileSupport store(nullptr, 1);
        EXPECT_EQ(store.GetStringDefault("Preferences\\Sound", "SaveData", "?"), "old.wav");
        EXPECT_EQ(store.GetStringDefault("Preferences", "PrintBWOnly", "?"), "1");
        app.mainFrameWidget()->close();
    }
    CINIFileSupport store(nullptr, 1);
    EXPECT_EQ(store.GetStringDefault("Preferences\\Sound", "SaveData", "?"), "new.wav");
    EXPECT_EQ(store.GetStringDefault("Preferences", "PrintBWOnly", "?"), "0");
}

} // namespace
