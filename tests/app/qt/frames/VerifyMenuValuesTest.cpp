// A BASIC script's VerifyMenu answering False for each of the actions that only some commands
// ask about: Emergency Reset asks and is vetoed; the others do not ask their value (their
// commands either ask another one or none), so the veto leaves them running. Each command is
// run as the user runs it, by its menu item on a real frame.
#include "app/automation/SaxBasicHost.h"
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/automation/Variant.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/qt/frames/MainFrameFixture.h"
#include "tests/app/shell/ShellFakes.h"
#include "toolkit/widgets/COXCoolToolBar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace fw = platform::framework;
namespace res = app::res;

namespace {

using frames_test::testDir;

class VerifyMenuValuesTest : public frames_test::MainFrameFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startProgram());
        ASSERT_TRUE(frame->scriptObject().hasEngine());
    }

    // Arms an event-driven script whose VerifyMenu answers False for one action.
    void forbid(const char* action)
    {
        static int scripts = 0;
        const std::string path = testDir() + "/verify" + std::to_string(++scripts) + ".bas";
        std::ofstream(path) << "Function VerifyMenu(id As MENUVERIFY) As Long\n"
                            << "VerifyMenu = IIf(id = " << action << ", False, True)\n"
                            << "End Function\n";
        frame->scriptObject().PutProperty(32, platform::automation::Variant(true));
        frame->openScriptWhenIdle(path);
    }
};

TEST_F(VerifyMenuValuesTest, SpectrumWindowActions)
{
    CHarluneSpectrumView& core = view->core();
    struct Case
    {
        const char* forbidden;
        unsigned command;
        std::function<void()> before;
        std::function<bool()> ran;
        bool vetoed;
    };
    const Case cases[] = {
        // Take Log asks nothing itself (the mode it re-enters asks its own value).
        {"mvSpecSpectrumTakeLogOfVerticalScale", res::ID_TAKE_LOG,
         [&] { core.setVerticalLogScale(0); }, [&] { return core.verticalLogScale() == 1; }, false},
        // Print Setup is the application's: the page set-up dialog opens.
        {"mvSpecFilePrintSetup", fw::ID_FILE_PRINT_SETUP, [&] { ui.answerPageSetupDialog(false); },
         [&, dialogs = ui.pageSetupDialogs()] { return ui.pageSetupDialogs() == dialogs + 1; },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.forbidden);
        forbid(c.forbidden);
        c.before();
        runMenuItem(c.command);
        EXPECT_EQ(c.ran(), !c.vetoed);
    }
    // Emergency Reset asks its own value: the script's False leaves the window as it was, on
    // the road of the main window's Global Emergency Reset item and on the view's own command
    // (whose menu item the window does not route to the view yet).
    for (const bool viaGlobal : {true, false}) {
        SCOPED_TRACE(viaGlobal ? "Global Emergency Reset" : "Emergency Reset");
        const auto reset = [&] {
            if (viaGlobal)
                runMenuItem(res::ID_GLOBAL_EMERGENCY_RESET);
            else
                core.OnCommand(res::ID_EMERGENCY_RESET);
        };
        forbid("mvSpecSpectrumEmergencyReset");
        core.record().integration = 250;
        reset();
        EXPECT_EQ(core.record().integration, 250);
        // A script that forbids something else lets it run.
        forbid("mvSpecSpectrumKickStart");
        reset();
        EXPECT_EQ(core.record().integration, 100);
    }
    EXPECT_TRUE(ui.messageBoxes().empty())
        << (ui.messageBoxes().empty() ? "" : ui.messageBoxes()[0].text);
}

TEST_F(VerifyMenuValuesTest, MainToolBarItemsAreNotVetoedByTheirValues)
{
    const struct
    {
        const char* forbidden;
        unsigned bar;
    } cases[] = {
        {"mvSpecViewMaintoolbarsGeneral", res::ID_VIEW_TOOLBAR_GENERAL},
        {"mvSpecViewMaintoolbarsTundra", res::ID_VIEW_TOOLBAR_TUNDRA},
        {"mvSpecViewMaintoolbarsGlobal", res::ID_VIEW_TOOLBAR_GLOBAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.forbidden);
        COXCoolToolBar* bar = frame->controlBar(c.bar);
        ASSERT_NE(bar, nullptr);
        const bool shown = bar->isVisible();
        forbid(c.forbidden);
        runMenuItem(c.bar);
        EXPECT_TRUE(runUntil([&] { return bar->isVisible() != shown; }, 2000));
        runMenuItem(c.bar);
        EXPECT_TRUE(runUntil([&] { return bar->isVisible() == shown; }, 2000));
    }
}

TEST_F(VerifyMenuValuesTest, WessorBarSetPointAndIntegrationUnit)
{
    CHarluneSpectrumView& core = view->core();
    forbid("mvWessorTECSetPoint");
    auto* setPoint = qobject_cast<QLineEdit*>(fw::GetDlgItem(spectrum, 1581));
    ASSERT_NE(setPoint, nullptr);
    setPoint->setText(QStringLiteral("-12.5"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(setPoint, &out);
    EXPECT_FLOAT_EQ(core.GetTecSetPoint(), -12.5f);

    // "Integ. Time in usec" is hidden and has no handler: nothing asks mvWessorIntTime.
    auto* unit = qobject_cast<QCheckBox*>(fw::GetDlgItem(spectrum, 1594));
    ASSERT_NE(unit, nullptr);
    EXPECT_TRUE(unit->isHidden());
}

TEST_F(VerifyMenuValuesTest, GridPrintSetupDoesNothingAndAsksNothing)
{
    app.NewGridWindow(3, 4, 1, "Grid");
    ASSERT_TRUE(runUntil([&] { return frame->MDIGetActive() != spectrum; }, 5000));
    forbid("mvGridFilePrintSetup");
    const int dialogs = ui.pageSetupDialogs();
    runMenuItem(fw::ID_FILE_PRINT_SETUP);
    EXPECT_EQ(ui.pageSetupDialogs(), dialogs);
    EXPECT_TRUE(ui.messageBoxes().empty());
}

// Exit is the application's command in every window: the script's False for the window's
// Exit value does not keep the program open.
TEST_F(VerifyMenuValuesTest, GraphWindowExitIsNotVetoed)
{
    app.NewGraphWindow(2, 16, "Graph");
    ASSERT_TRUE(runUntil([&] { return frame->MDIGetActive() != spectrum; }, 5000));
    forbid("mvGraphFileExit");
    runMenuItem(fw::ID_APP_EXIT);
    EXPECT_TRUE(runUntil([&] { return !frame->isVisible(); }, 5000));
}

TEST_F(VerifyMenuValuesTest, GridWindowExitIsNotVetoed)
{
    app.NewGridWindow(3, 4, 1, "Grid");
    ASSERT_TRUE(runUntil([&] { return frame->MDIGetActive() != spectrum; }, 5000));
    forbid("mvGridFileExit");
    runMenuItem(fw::ID_APP_EXIT);
    EXPECT_TRUE(runUntil([&] { return !frame->isVisible(); }, 5000));
}

} // namespace
