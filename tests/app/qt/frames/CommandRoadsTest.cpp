// Every command of every window kind through every road a user has: the menu bar with its
// sub-menus, the tool bars, the dialog bars' buttons and the accelerators, in the real main
// window offscreen. One row of data per command id gives its handler and its state in each
// window state; a road to an id without a row, a wrong state or a road that does not reach
// the handler fails with the id and the caption.
#include "app/dialogs/ValueDialog.h"
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/qt/SpectrumFrameControls.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "app/windows/qt/GraphViewWidget.h"
#include "app/windows/qt/GridViewWidget.h"
#include "app/windows/qt/TemplateViewWidget.h"
#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridWidget.h"
#include "platform/framework/Application.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/Commands.h"
#include "platform/framework/ControlIds.h"
#include "platform/framework/DialogBar.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/Document.h"
#include "platform/framework/ToolBar.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/dialogs/AnswerModal.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/qt/frames/MainFrameFixture.h"
#include "tests/app/shell/ShellFakes.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace fw = platform::framework;
namespace res = app::res;

namespace {

// Whose handler a command reaches.
enum class Who
{
    View,  // the active child's view
    Frame, // the active child frame (its bars)
    Main,  // the main frame
    App,   // the application object
};

const char* whoName(Who who)
{
    switch (who) {
    case Who::View:
        return "view";
    case Who::Frame:
        return "child frame";
    case Who::Main:
        return "main frame";
    case Who::App:
        return "application";
    }
    return "?";
}

// A command's row: its handler and, one letter per window state of its window kind, its
// state there: 'e' enabled, 'c' enabled and checked, 'd' disabled, 'x' disabled and checked,
// '?' not compared (it depends on the machine).
struct Row
{
    unsigned id;
    Who who;
    const char* states;
};

// Framework command ids.
constexpr unsigned kFileClose = 57602;
constexpr unsigned kPrintSetup = 57606;
constexpr unsigned kPrint = 57607;
constexpr unsigned kPrintPreview = 57609;
constexpr unsigned kCopy = 57634;
constexpr unsigned kCut = 57635;
constexpr unsigned kPaste = 57637;
constexpr unsigned kArrange = 57649;
constexpr unsigned kCascade = 57650;
constexpr unsigned kTileHorizontally = 57651;
constexpr unsigned kTileVertically = 57652;
constexpr unsigned kAbout = 57664;
constexpr unsigned kExit = 57665;

using namespace app::res;
using Controls = SpectrumFrameControls;

// The commands every window shows: the main frame's menus (scripting, windows, help) and its
// tool bars. One state letter per window state, the same in every window kind.
constexpr Row kMainRows[] = {
    {ID_FILE_NEW_SPECTRUM, Who::Main, "e"},
    {ID_NEW_GRID_WINDOW, Who::Main, "e"},
    {ID_NEW_GRAPH_WINDOW, Who::Main, "e"},
    {kPrintSetup, Who::App, "e"},
    {kExit, Who::App, "e"},
    {ID_VIEW_TOOLBAR_GENERAL, Who::Main, "e"},
    {ID_VIEW_TOOLBAR_TUNDRA, Who::Main, "c"},
    {ID_VIEW_TOOLBAR_GLOBAL, Who::Main, "c"},
    {ID_VIEW_MAIN_STATUS_BAR, Who::Main, "c"},
    {ID_SCRIPT_SHOW_IDE, Who::Main, "e"},
    {ID_SCRIPT_OPEN_AND_EXECUTE, Who::Main, "e"},
    {ID_SCRIPT_RUN, Who::Main, "d"},
    {ID_SCRIPT_PAUSE, Who::Main, "d"},
    {ID_SCRIPT_STOP, Who::Main, "d"},
    {ID_SCRIPT_EVENT_MODE, Who::Main, "c"},
    {ID_AUTORUN_ENABLED, Who::Main, "e"},
    {ID_AUTORUN_SELECT_SCRIPT, Who::Main, "e"},
    {ID_RECENT_SCRIPT_FIRST, Who::Main, "d"},
    {kCascade, Who::Main, "e"},
    {kTileHorizontally, Who::Main, "e"},
    {kTileVertically, Who::Main, "e"},
    {kArrange, Who::Main, "e"},
    {ID_HELP_SHOW_CONTENTS, Who::Main, "e"},
    {ID_HELP_SHOW_INDEX, Who::Main, "e"},
    {ID_HELP_ALWAYS_ON_TOP, Who::Main, "e"},
    {kAbout, Who::App, "e"},
    // The main tool bars.
    {ID_GLOBAL_STORE_DARK, Who::Main, "e"},
    {ID_GLOBAL_STORE_REFERENCE, Who::Main, "e"},
    {ID_GLOBAL_SNAPSHOT, Who::Main, "e"},
    {ID_GLOBAL_EMERGENCY_RESET, Who::Main, "e"},
    {ID_KICK_START, Who::Main, "e"},
};

// The spectrum window in three states: idle; snapshot on; time acquisition active and running.
constexpr Row kSpectrumRows[] = {
    // File.
    {kFileClose, Who::View, "eee"},
    {ID_OPEN_DARK, Who::View, "eee"},
    {ID_OPEN_SAMPLE_DARK, Who::View, "ddd"},
    {ID_OPEN_REFERENCE, Who::View, "eee"},
    {ID_OPEN_SAMPLE, Who::View, "eee"},
    {ID_OPEN_PROCESSED, Who::View, "eee"},
    {ID_OPEN_EXPERIMENT, Who::View, "eee"},
    {ID_SAVE_DARK, Who::View, "ddd"},
    {ID_SAVE_SAMPLE_DARK, Who::View, "ddd"},
    {ID_SAVE_REFERENCE, Who::View, "ddd"},
    {ID_SAVE_SAMPLE, Who::View, "eee"},
    {ID_SAVE_PROCESSED, Who::View, "eee"},
    {ID_SAVE_EXPERIMENT, Who::View, "eee"},
    {ID_AUTOINCREMENT_ENABLED, Who::View, "eee"},
    {ID_AUTOINCREMENT_SHOW_NAME, Who::View, "eee"},
    {ID_AUTOINCREMENT_CONFIGURE, Who::View, "eee"},
    {kPrint, Who::View, "eee"},
    {kPrintPreview, Who::View, "eee"},
    {ID_FILE_OPEN_DATA, Who::View, "eee"},
    {ID_FILE_SAVE_DATA, Who::View, "eee"},
    // Edit.
    {kCopy, Who::View, "eee"},
    {ID_COPY_SPECTRA, Who::View, "eee"},
    {ID_COPY_DATA_ALL, Who::View, "eee"},
    {ID_COPY_DATA_SELECTED, Who::View, "eee"},
    {ID_EDIT_SETTINGS, Who::View, "eee"},
    // View.
    {ID_DISPLAY_PROPERTIES, Who::View, "eee"},
    {ID_GRAPH_BACKGROUND_COLOR, Who::View, "eee"},
    {ID_AXIS_TEXT_PROPERTIES, Who::View, "eee"},
    {ID_SET_GRAPH_TITLE, Who::View, "eee"},
    {ID_RENAME_SPECTRAL_WINDOW, Who::View, "eee"},
    {ID_SAVE_DISPLAY_SETTINGS, Who::View, "eee"},
    {ID_RESTORE_DISPLAY_SETTINGS, Who::View, "eee"},
    {ID_SCALE_AUTOSCALE, Who::View, "eee"},
    {ID_SCALE_SET_SCALE, Who::View, "eee"},
    {ID_SCALE_UNSCALE, Who::View, "eee"},
    {ID_BACKGROUND_VISIBLE, Who::View, "eee"},
    {ID_BACKGROUND_SELECT_BITMAP, Who::View, "eee"},
    {ID_CURSOR_ENABLED, Who::View, "eee"},
    {ID_CURSOR_CONFIGURE, Who::View, "eee"},
    {ID_CURSOR_PEAK_LEFT, Who::View, "ddd"},
    {ID_CURSOR_BIG_LEFT, Who::View, "ddd"},
    {ID_CURSOR_LEFT, Who::View, "ddd"},
    {ID_CURSOR_RIGHT, Who::View, "ddd"},
    {ID_CURSOR_BIG_RIGHT, Who::View, "ddd"},
    {ID_CURSOR_PEAK_RIGHT, Who::View, "ddd"},
    {ID_GRID_ENABLED, Who::View, "eee"},
    {ID_GRID_CONFIGURE, Who::View, "eee"},
    {ID_LEGEND_ENABLED, Who::View, "ccc"},
    {ID_LEGEND_CONFIGURE, Who::View, "eee"},
    {ID_LEGEND_SHOW_OVERLAY_FILENAME, Who::View, "ccc"},
    {ID_VIEW_SPECTRUM_STATUS_BAR, Who::Frame, "eec"},
    {ID_VIEW_ACQUISITION_PARAMETERS, Who::Frame, "ccc"},
    {ID_VIEW_SPECTRUM_CONTROLS, Who::Frame, "ccc"},
    {ID_VIEW_CURSOR_CONTROLS, Who::Frame, "ccc"},
    {ID_VIEW_GRAPH_SCALE, Who::Frame, "ccc"},
    {ID_VIEW_SPECTRAL_VIEW_MODE, Who::Frame, "ccc"},
    {ID_VIEW_TIME_ACQUISITION, Who::Frame, "ccc"},
    // The instruments' bars are shown by the instrument's type.
    {ID_VIEW_USB_MAVRIN, Who::Frame, "???"},
    {ID_VIEW_WESSOR_ULMAR, Who::Frame, "???"},
    {ID_VIEW_USB_NORREL, Who::Frame, "???"},
    {ID_VIEW_QUINTAR, Who::Frame, "???"},
    // Overlay.
    {ID_OVERLAY_FIRST, Who::View, "eee"},
    {ID_OVERLAY_FIRST + 1, Who::View, "eee"},
    {ID_OVERLAY_FIRST + 2, Who::View, "eee"},
    {ID_OVERLAY_FIRST + 3, Who::View, "eee"},
    {ID_OVERLAY_FIRST + 4, Who::View, "eee"},
    {ID_OVERLAY_FIRST + 5, Who::View, "eee"},
    {ID_OVERLAY_FIRST + 6, Who::View, "eee"},
    {ID_OVERLAY_LAST, Who::View, "eee"},
    {ID_OVERLAY_CLEAR_ALL, Who::View, "ddd"},
    // Spectrometer.
    {ID_CONFIGURE_SPECTROMETER, Who::View, "eee"},
    {ID_OPEN_CONFIGURATION, Who::View, "eee"},
    {ID_SAVE_CONFIGURATION_AS, Who::View, "eee"},
    {ID_FEATURES_DIALOG, Who::View, "ddd"},
    {ID_CONFIGURE_STANDARD_CORRECTION, Who::View, "eee"},
    // Spectrum.
    {ID_STORE_DARK, Who::View, "eee"},
    {ID_STORE_REFERENCE, Who::View, "eee"},
    {ID_SNAPSHOT, Who::View, "ece"},
    {ID_SINGLE_EXPOSURE, Who::View, "ded"},
    {ID_EMERGENCY_RESET, Who::View, "eee"},
    {ID_CONFIGURE_DATA_ACQUISITION, Who::View, "eee"},
    {ID_MODE_SCOPE, Who::View, "ccc"},
    {ID_MODE_SCOPE_MINUS_DARK, Who::View, "ddd"},
    {ID_MODE_ABSORBANCE, Who::View, "ddd"},
    {ID_MODE_TRANSMISSION, Who::View, "ddd"},
    {ID_MODE_IRRADIANCE, Who::View, "ddd"},
    {ID_MODE_SPECULAR_REFLECTION, Who::View, "ddd"},
    {ID_MODE_CUSTOM, Who::View, "ddd"},
    {ID_REFERENCE_COLOR_TEMPERATURE, Who::View, "eee"},
    {ID_TAKE_LOG, Who::View, "eee"},
    {ID_TIME_NORMALIZED_ENABLE, Who::View, "eee"},
    {ID_STORE_REFERENCE_DARK, Who::View, "ddd"},
    {ID_STORE_SAMPLE_DARK, Who::View, "ddd"},
    // Time Acquisition.
    {ID_TIME_ACTIVATE, Who::View, "eec"},
    {ID_TIME_START, Who::View, "ddc"},
    {ID_TIME_PAUSE, Who::View, "dde"},
    {ID_TIME_STOP, Who::View, "dde"},
    {ID_TIME_SUSPEND_GRAPH, Who::View, "eee"},
    {ID_TIME_SAVE_DATA, Who::View, "eee"},
    {ID_TIME_CONFIGURE_ACQUISITION, Who::View, "eed"},
    {ID_TIME_CONFIGURE_CHANNELS, Who::View, "eed"},
    {ID_TIME_RESTORE_PARAMETERS, Who::View, "eed"},
    {ID_TIME_SAVE_PARAMETERS, Who::View, "eee"},
    // The dialog bars' buttons (their check marks follow the device and the clicks).
    {Controls::IDC_USEC, Who::Frame, "???"},
    {Controls::IDC_MSEC, Who::Frame, "???"},
    {Controls::IDC_STROBE_ENABLE, Who::Frame, "???"},
    {Controls::IDC_CORRECT_DARK, Who::Frame, "???"},
    {Controls::IDC_MAVRIN_LED_ON, Who::Frame, "???"},
    {Controls::IDC_MAVRIN_MODULATE, Who::Frame, "???"},
    {Controls::IDC_MAVRIN_GET_TEMPERATURE, Who::Frame, "???"},
    {Controls::IDC_MAVRIN_DEGREE_C, Who::Frame, "???"},
    {Controls::IDC_MAVRIN_DEGREE_F, Who::Frame, "???"},
    {Controls::IDC_TEC_ON, Who::Frame, "???"},
    {Controls::IDC_HIGH_GAIN, Who::Frame, "???"},
    {Controls::IDC_LOW_GAIN, Who::Frame, "???"},
    {Controls::IDC_NORREL_LAMP_ON, Who::Frame, "???"},
    {Controls::IDC_NORREL_VIS_LAMP_ON, Who::Frame, "???"},
    {Controls::IDC_NORREL_SHUTTER_OPEN, Who::Frame, "???"},
    {Controls::IDC_NORREL_SAVE, Who::Frame, "???"},
    // Nothing answers the Wessor/Ulmar bar's microseconds check box: it stays disabled.
    {Controls::IDC_INTEGRATION_IN_USEC, Who::Frame, "ddd"},
};

// The grid window idle and with a selection.
constexpr Row kGridRows[] = {
    {ID_FILE_OPEN_DATA, Who::View, "ee"},
    {ID_GRID_OPEN_SPECTRUM_FILE, Who::View, "ee"},
    {ID_GRID_SAVE_CURRENT_SHEET, Who::View, "ee"},
    {ID_FILE_SAVE_DATA, Who::View, "ee"},
    {kPrint, Who::View, "ee"},
    {kPrintPreview, Who::View, "ee"},
    {kPrintSetup, Who::View, "ee"},
    {kFileClose, Who::View, "ee"},
    {kCut, Who::View, "ee"},
    {kCopy, Who::View, "ee"},
    {kPaste, Who::View, "ee"},
    // The main tool bar's spectrum button.
    {ID_COPY_SPECTRA, Who::View, "dd"},
};

constexpr Row kGraphRows[] = {
    {ID_FILE_SAVE_DATA, Who::View, "e"},
    {ID_GRAPH_SAVE_SETTINGS_DEFAULT, Who::View, "e"},
    {kPrint, Who::View, "e"},
    {kPrintPreview, Who::View, "e"},
    {kFileClose, Who::View, "e"},
    {kCopy, Who::View, "e"},
    {ID_GRAPH_TRACES, Who::View, "e"},
    {ID_GRAPH_AUTOSCALE_Y, Who::View, "e"},
    {ID_GRAPH_AUTOSCALE_X, Who::View, "e"},
    {ID_GRAPH_SET_SCALE, Who::View, "e"},
    {ID_GRAPH_UNSCALE, Who::View, "e"},
    {ID_GRAPH_BACKGROUND, Who::View, "e"},
    {ID_GRAPH_FOREGROUND, Who::View, "e"},
    {ID_GRAPH_GRID_ENABLED, Who::View, "e"},
    {ID_GRAPH_GRID_CONFIGURE, Who::View, "e"},
    {ID_GRAPH_CURSOR_ENABLED, Who::View, "e"},
    {ID_GRAPH_CURSOR_CONFIGURE, Who::View, "e"},
    {ID_GRAPH_LEGEND_ENABLED, Who::View, "c"},
    {ID_GRAPH_LEGEND_FLOATING, Who::View, "c"},
    {ID_GRAPH_LEGEND_CONFIGURE, Who::View, "e"},
    {ID_GRAPH_TITLE_X, Who::View, "e"},
    {ID_GRAPH_TITLE_Y, Who::View, "e"},
    {ID_GRAPH_TITLE_MAIN, Who::View, "e"},
    // The main tool bar's buttons for other windows.
    {ID_FILE_OPEN_DATA, Who::View, "d"},
    {ID_COPY_SPECTRA, Who::View, "d"},
};

// The template window's "Test" item has no handler: it is disabled.
constexpr Row kTemplateRows[] = {
    {ID_TEMPLATE_TEST, Who::View, "d"},
    // The main tool bar's buttons for other windows.
    {ID_FILE_OPEN_DATA, Who::View, "d"},
    {ID_FILE_SAVE_DATA, Who::View, "d"},
    {kPrint, Who::View, "e"},
    {ID_COPY_SPECTRA, Who::View, "d"},
};

// The main window without a child: the tool bars' buttons for the windows are disabled.
constexpr Row kNoChildRows[] = {
    {ID_FILE_OPEN_DATA, Who::View, "d"},
    {ID_FILE_SAVE_DATA, Who::View, "d"},
    {kPrint, Who::View, "d"},
    {ID_COPY_SPECTRA, Who::View, "d"},
};

// One road to a command.
struct Road
{
    enum Kind
    {
        Menu,
        ToolBar,
        DialogBar,
        Key,
    } kind = Menu;
    unsigned id = 0;
    std::string caption;
    QAction* action = nullptr;
    QAbstractButton* button = nullptr;
    QToolButton* toolButton = nullptr;
    QKeySequence key;
};

Road makeRoad(Road::Kind kind, unsigned id, std::string caption, QAction* action = nullptr)
{
    Road road;
    road.kind = kind;
    road.id = id;
    road.caption = std::move(caption);
    road.action = action;
    return road;
}

const char* kindName(Road::Kind kind)
{
    switch (kind) {
    case Road::Menu:
        return "menu item";
    case Road::ToolBar:
        return "tool-bar button";
    case Road::DialogBar:
        return "dialog-bar button";
    case Road::Key:
        return "accelerator";
    }
    return "?";
}

std::string describe(const Road& road)
{
    char id[16];
    std::snprintf(id, sizeof id, "%u", road.id);
    return std::string("command ") + id + " \"" + road.caption + "\" (" + kindName(road.kind) + ")";
}

// Whether a widget belongs to the main frame itself or to the given child frame (null: the main
// frame only).
bool belongsTo(QWidget* widget, fw::ChildFrame* child)
{
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (auto* frame = dynamic_cast<fw::ChildFrame*>(w))
            return frame == child;
    }
    return true;
}

class CommandRoadsTest : public frames_test::MainFrameFixture
{
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(startProgram(true, QSize(1200, 900))); }
    void TearDown() override { fw::setCommandHook({}); }

    // Opens a grid or graph window through its menu item, with the size dialog's defaults.
    fw::ChildFrame* openWindow(unsigned command)
    {
        fw::ChildFrame* before = frame->MDIGetActive();
        answerNextModal<app::dialogs::ValueDialog>(
            [](app::dialogs::ValueDialog& dialog) { dialog.pressOk(); });
        EXPECT_TRUE(frame->executeCommand(command));
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame));
        EXPECT_TRUE(runUntil([&] { return frame->MDIGetActive() != before; }, 5000));
        return frame->MDIGetActive();
    }

    // Every road of the window as it is now: the menu bar (each pop-up refreshed as it opens),
    // the bars of the main frame and of the active child, and the accelerators in force.
    std::vector<Road> roads()
    {
        std::vector<Road> found;
        fw::ChildFrame* child = frame->MDIGetActive();
        std::function<void(QMenu*, const std::string&)> walk = [&](QMenu* menu,
                                                                   const std::string& path) {
            emit menu->aboutToShow();
            for (QAction* action : menu->actions()) {
                const std::string text = action->text().toStdString();
                if (QMenu* sub = action->menu()) {
                    walk(sub, path + text + " > ");
                } else if (!action->isSeparator()) {
                    const unsigned id = action->data().toUInt();
                    // The window list's items are the framework's own.
                    if (id != 0 && id < fw::MdiFrame::kFirstMdiChildId)
                        found.push_back(makeRoad(Road::Menu, id, path + text, action));
                }
            }
        };
        for (QAction* action : frame->menuBar()->actions())
            if (QMenu* menu = action->menu())
                walk(menu, action->text().toStdString() + " > ");
        frame->idleUpdate();
        // The framework's bars carry no meta-object of their own: found as Qt's, then cast.
        for (QToolBar* qtBar : frame->findChildren<QToolBar*>()) {
            auto* bar = dynamic_cast<fw::ToolBar*>(qtBar);
            if (bar == nullptr || !belongsTo(bar, child))
                continue;
            // A hidden bar is refreshed too: its buttons show once it is shown.
            bar->updateButtons();
            for (QAction* action : bar->actions()) {
                const unsigned id = action->data().toUInt();
                if (id == 0 || action->isSeparator())
                    continue;
                Road road = makeRoad(Road::ToolBar, id,
                                     bar->windowTitle().toStdString() + ": " +
                                         action->toolTip().toStdString(),
                                     action);
                road.toolButton = qobject_cast<QToolButton*>(bar->widgetForAction(action));
                found.push_back(road);
            }
        }
        for (QDockWidget* dock : frame->findChildren<QDockWidget*>()) {
            auto* bar = dynamic_cast<fw::DialogBar*>(dock);
            if (bar == nullptr || !belongsTo(bar, child))
                continue;
            bar->updateControls();
            for (QAbstractButton* button : bar->panel()->findChildren<QAbstractButton*>()) {
                const unsigned id = fw::controlId(button);
                if (id == 0)
                    continue;
                std::string text = button->text().toStdString();
                text = text.substr(0, text.find('\n'));
                Road road =
                    makeRoad(Road::DialogBar, id, bar->windowTitle().toStdString() + ": " + text);
                road.button = button;
                found.push_back(road);
            }
        }
        for (const fw::Accelerator& accelerator : frame->activeAccelerators()) {
            Road road = makeRoad(Road::Key, accelerator.id, accelerator.key);
            road.key = QKeySequence(QString::fromUtf8(accelerator.key), QKeySequence::PortableText);
            found.push_back(road);
        }
        return found;
    }

    // The road's state letter: as the menu item, the button or the key's command shows it.
    char stateOf(const Road& road)
    {
        bool enabled = false;
        bool checked = false;
        switch (road.kind) {
        case Road::Menu:
        case Road::ToolBar:
            enabled = road.action->isEnabled();
            checked = road.action->isChecked();
            break;
        case Road::DialogBar:
            enabled = road.button->isEnabled();
            checked = road.button->isCheckable() && road.button->isChecked();
            break;
        case Road::Key: {
            const fw::CommandState state = fw::queryCommandState(*frame, road.id);
            enabled = state.enabled;
            checked = state.check.value_or(0) != 0;
            break;
        }
        }
        return enabled ? (checked ? 'c' : 'e') : (checked ? 'x' : 'd');
    }

    // Uses the road as a user does: chooses the menu item, clicks the button, presses the key
    // where the keyboard focus is.
    void use(const Road& road, QWidget* focus)
    {
        switch (road.kind) {
        case Road::Menu:
            road.action->trigger();
            break;
        case Road::ToolBar:
            if (road.toolButton != nullptr && road.toolButton->isVisible())
                QTest::mouseClick(road.toolButton, Qt::LeftButton);
            else
                road.action->trigger();
            break;
        case Road::DialogBar:
            if (road.button->isVisible())
                QTest::mouseClick(road.button, Qt::LeftButton);
            else
                road.button->click();
            break;
        case Road::Key: {
            focus->setFocus(Qt::OtherFocusReason);
            QWidget* target =
                QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : focus;
            const QKeyCombination key = road.key[0];
            QTest::keyClick(target, key.key(), key.keyboardModifiers());
            break;
        }
        }
    }

    Who whoOf(fw::CommandTarget& target)
    {
        if (dynamic_cast<fw::View*>(&target) != nullptr)
            return Who::View;
        if (dynamic_cast<fw::ChildFrame*>(&target) != nullptr)
            return Who::Frame;
        if (dynamic_cast<fw::MdiFrame*>(&target) != nullptr)
            return Who::Main;
        return Who::App;
    }

    // Walks every road of the window in one state (the column of the rows' state letters):
    // each road's id has a row, shows the row's state, and, where enabled, reaches the row's
    // handler; the keys are pressed with the keyboard focus on each of the focus widgets.
    // Every row of the window's own table is reached by some road.
    void walk(std::span<const Row> windowRows, size_t column, const char* stateName,
              const std::vector<QWidget*>& focusWidgets)
    {
        SCOPED_TRACE(stateName);
        std::map<unsigned, Row> rows;
        for (const Row& row : kMainRows)
            rows[row.id] = {row.id, row.who, row.states};
        for (const Row& row : windowRows)
            rows[row.id] = row;
        std::vector<std::pair<fw::CommandTarget*, unsigned>> reached;
        fw::setCommandHook([&](fw::CommandTarget& target, unsigned id) {
            reached.emplace_back(&target, id);
            return true;
        });
        std::set<unsigned> seen;
        const bool dump = std::getenv("HARLUNE_DUMP_ROADS") != nullptr;
        for (const Road& road : roads()) {
            seen.insert(road.id);
            const auto found = rows.find(road.id);
            const char state = stateOf(road);
            if (dump)
                std::printf("%s: %c\n", describe(road).c_str(), state);
            if (found == rows.end()) {
                ADD_FAILURE() << describe(road) << " has no row";
                continue;
            }
            const Row& row = found->second;
            const bool mainRow = std::string_view(row.states).size() == 1;
            const char expected = row.states[mainRow ? 0 : column];
            if (expected != '?') {
                EXPECT_EQ(state, expected) << describe(road);
            }
            if (state != 'e' && state != 'c')
                continue;
            const std::vector<QWidget*> focuses =
                road.kind == Road::Key ? focusWidgets : std::vector<QWidget*>{frame};
            for (QWidget* focus : focuses) {
                reached.clear();
                use(road, focus);
                const bool reachedRow = reached.size() == 1 && reached[0].second == road.id &&
                                        whoOf(*reached[0].first) == row.who;
                EXPECT_TRUE(reachedRow)
                    << describe(road) << " does not reach the " << whoOf(row.who)
                    << " handler (focus on " << focus->metaObject()->className() << ", "
                    << reached.size() << " handler(s) ran)";
            }
        }
        fw::setCommandHook({});
        for (const Row& row : windowRows)
            EXPECT_TRUE(seen.count(row.id) != 0) << "no road to command " << row.id;
    }

    static const char* whoOf(Who who) { return whoName(who); }
};

TEST_F(CommandRoadsTest, SpectrumWindow)
{
    // The keys go to the chart's view and to an edit of the acquisition bar.
    std::vector<QWidget*> focus{view};
    for (QDockWidget* dock : spectrum->findChildren<QDockWidget*>())
        if (auto* bar = dynamic_cast<fw::DialogBar*>(dock); bar != nullptr && bar->isVisible())
            for (QLineEdit* edit : bar->panel()->findChildren<QLineEdit*>())
                if (edit->isVisible() && focus.size() < 2)
                    focus.push_back(edit);
    ASSERT_EQ(focus.size(), 2u);
    walk(kSpectrumRows, 0, "idle", focus);

    ASSERT_TRUE(frame->executeCommand(ID_SNAPSHOT));
    walk(kSpectrumRows, 1, "snapshot", focus);
    ASSERT_TRUE(frame->executeCommand(ID_SNAPSHOT));

    ASSERT_TRUE(frame->executeCommand(ID_TIME_ACTIVATE));
    ASSERT_TRUE(frame->executeCommand(ID_TIME_START));
    walk(kSpectrumRows, 2, "time acquisition running", focus);
}

TEST_F(CommandRoadsTest, GridWindow)
{
    auto* grid = dynamic_cast<GridViewWidget*>(openWindow(ID_NEW_GRID_WINDOW)->GetActiveView());
    ASSERT_NE(grid, nullptr);
    QWidget* cells = grid->gridWindow().cellArea();
    walk(kGridRows, 0, "idle", {cells});
    ASSERT_EQ(grid->core().grid().SelectRange(0, 0, 1, 1), 0);
    walk(kGridRows, 1, "selection", {cells});
}

TEST_F(CommandRoadsTest, GraphWindow)
{
    auto* graph = dynamic_cast<GraphViewWidget*>(openWindow(ID_NEW_GRAPH_WINDOW)->GetActiveView());
    ASSERT_NE(graph, nullptr);
    walk(kGraphRows, 0, "idle", {graph});
}

TEST_F(CommandRoadsTest, TemplateWindow)
{
    fw::Document* document = app.docTemplate(IDR_TEMPLATETYPE)->OpenDocumentFile("");
    ASSERT_NE(document, nullptr);
    ASSERT_TRUE(runUntil(
        [&] { return dynamic_cast<TemplateViewWidget*>(frame->GetActiveView()) != nullptr; },
        5000));
    walk(kTemplateRows, 0, "idle", {frame->GetActiveView()});
}

TEST_F(CommandRoadsTest, MainWindowWithoutChild)
{
    spectrum->MDIDestroy();
    ASSERT_TRUE(runUntil([&] { return frame->MDIGetActive() == nullptr; }, 5000));
    walk(kNoChildRows, 0, "idle", {frame});
}

// The caption names the active child as the MDI frame's caption does, and only the main name
// is left once no child is open.
TEST_F(CommandRoadsTest, CaptionFollowsTheActiveChild)
{
    ASSERT_TRUE(runUntil(
        [&] {
            return frame->QWidget::windowTitle().startsWith(QStringLiteral("Harlune - [Spectrum1"));
        },
        5000))
        << frame->QWidget::windowTitle().toStdString();
    openWindow(ID_NEW_GRID_WINDOW);
    ASSERT_TRUE(runUntil(
        [&] { return frame->QWidget::windowTitle() == QStringLiteral("Harlune - [Grid1]"); }, 5000))
        << frame->QWidget::windowTitle().toStdString();
    for (fw::ChildFrame* child : frame->childFrames())
        child->MDIDestroy();
    EXPECT_TRUE(
        runUntil([&] { return frame->QWidget::windowTitle() == QStringLiteral("Harlune"); }, 5000))
        << frame->QWidget::windowTitle().toStdString();
}

// A button's prompt shows while the pointer is on it; the frame's own text comes back after.
TEST_F(CommandRoadsTest, StatusBarDropsPromptsAndClosedWindowsNames)
{
    QStatusBar* status = frame->statusBar();
    frame->setStatusText("Now acquiring data for Spectrum1 | Integration Time: 100 msec");
    QStatusTipEvent prompt(QStringLiteral("Store dark spectrum for all open windows"));
    QApplication::sendEvent(frame, &prompt);
    EXPECT_EQ(status->currentMessage(), QStringLiteral("Store dark spectrum for all open windows"));
    QStatusTipEvent gone{QString()};
    QApplication::sendEvent(frame, &gone);
    EXPECT_EQ(status->currentMessage(),
              QStringLiteral("Now acquiring data for Spectrum1 | Integration Time: 100 msec"));
    spectrum->MDIDestroy();
    EXPECT_TRUE(runUntil([&] { return status->currentMessage() == QStringLiteral("Ready"); }, 5000))
        << status->currentMessage().toStdString();
}

// A spectrum tool-bar button's prompt shows in the window's own status bar while the pointer is
// on the button; when it leaves, the window's own text (the cursor read-out) comes back.
TEST_F(CommandRoadsTest, SpectrumStatusBarDropsToolBarPrompts)
{
    QStatusBar* status = spectrum->frameStatusBar();
    ASSERT_NE(status, nullptr);
    const QString readOut = QStringLiteral("Wavelength: 500.00 | Intensity: 1234.50");
    view->setCursorReadOut(readOut.toStdString());
    auto* bar =
        qobject_cast<QToolBar*>(spectrum->controlBar(CChildFrameSpectrum::IDR_SPECTRUM_CONTROLS));
    ASSERT_NE(bar, nullptr);
    QToolButton* widget = nullptr;
    for (QToolButton* button : bar->findChildren<QToolButton*>())
        if (button->isVisible() && button->defaultAction() != nullptr &&
            !button->defaultAction()->statusTip().isEmpty()) {
            widget = button;
            break;
        }
    ASSERT_NE(widget, nullptr);
    const QString prompt = widget->defaultAction()->statusTip();
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        QTest::mouseMove(widget, widget->rect().center());
        EXPECT_TRUE(runUntil([&] { return status->currentMessage() == prompt; }, 5000))
            << status->currentMessage().toStdString();
        QTest::mouseMove(frame->statusBar(), frame->statusBar()->rect().center());
        EXPECT_TRUE(runUntil([&] { return status->currentMessage() == readOut; }, 5000))
            << status->currentMessage().toStdString();
    }
    // The bar goes from under the pointer (clipped for room, hidden): the prompt goes with it.
    QTest::mouseMove(widget, widget->rect().center());
    ASSERT_TRUE(runUntil([&] { return status->currentMessage() == prompt; }, 5000));
    bar->hide();
    QTest::mouseMove(frame->statusBar(), frame->statusBar()->rect().center());
    EXPECT_TRUE(runUntil([&] { return status->currentMessage() == readOut; }, 5000))
        << status->currentMessage().toStdString();
}

// The grid's own keys stay with the grid; Ctrl with a letter reaches the window's accelerators:
// Copy, Cut, Paste and Print on the cell that has the focus.
TEST_F(CommandRoadsTest, GridKeysReachTheGridWindowsCommands)
{
    auto* grid = dynamic_cast<GridViewWidget*>(openWindow(ID_NEW_GRID_WINDOW)->GetActiveView());
    ASSERT_NE(grid, nullptr);
    auto& control = grid->core().grid();
    QWidget* cells = grid->gridWindow().cellArea();
    cells->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(runUntil([&] { return QApplication::focusWidget() == cells; }, 5000));
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    control.QuickSetText(0, 0, "12.5");
    ASSERT_EQ(control.GotoCell(0, 0), 0);
    QApplication::clipboard()->clear();

    press(Qt::Key_C);
    EXPECT_EQ(QApplication::clipboard()->text().trimmed(), QStringLiteral("12.5"));

    // An arrow is the grid's: it moves the current cell.
    press(Qt::Key_Right, Qt::NoModifier);
    EXPECT_EQ(control.GetCurrentCol(), 1);
    press(Qt::Key_V);
    EXPECT_EQ(control.QuickGetText(1, 0), "12.5");

    press(Qt::Key_X);
    EXPECT_EQ(control.QuickGetText(1, 0), "");
    EXPECT_EQ(QApplication::clipboard()->text().trimmed(), QStringLiteral("12.5"));

    ui.answerPrintDialog(false);
    press(Qt::Key_P);
    EXPECT_EQ(ui.printDialogs().size(), 1u);
}

// An open menu with a checked item: the check column shows a mark, not one flat colour.
TEST_F(CommandRoadsTest, CheckedMenuItemShowsItsMark)
{
    QMenu* spectrumMenu = nullptr;
    for (QAction* action : frame->menuBar()->actions())
        if (action->text() == QStringLiteral("&Spectrum"))
            spectrumMenu = action->menu();
    ASSERT_NE(spectrumMenu, nullptr);
    emit spectrumMenu->aboutToShow();
    QAction* scope = nullptr;
    for (QAction* action : spectrumMenu->actions())
        if (action->data().toUInt() == ID_MODE_SCOPE)
            scope = action;
    ASSERT_NE(scope, nullptr);
    ASSERT_TRUE(scope->isChecked());
    spectrumMenu->popup(frame->mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(spectrumMenu));
    QApplication::processEvents();
    // Showing the menu may have rebuilt its items: take the one it shows now.
    scope = nullptr;
    for (QAction* action : spectrumMenu->actions())
        if (action->data().toUInt() == ID_MODE_SCOPE)
            scope = action;
    ASSERT_NE(scope, nullptr);
    ASSERT_TRUE(scope->isChecked());
    const QImage shot = spectrumMenu->grab().toImage();
    const QRect item = spectrumMenu->actionGeometry(scope);
    ASSERT_FALSE(item.isEmpty());
    // The check column: the item's left part, up to where its text starts.
    const int columnWidth = std::min(item.height() + 6, item.width() / 4);
    std::set<QRgb> colours;
    for (int y = item.top() + 2; y < item.bottom() - 1; ++y)
        for (int x = item.left() + 1; x < item.left() + columnWidth; ++x)
            colours.insert(shot.pixel(x, y) & 0xFFFFFF);
    spectrumMenu->hide();
    EXPECT_GT(colours.size(), 1u) << "the check column of \"Scope Mode\" is one colour";
}

} // namespace
