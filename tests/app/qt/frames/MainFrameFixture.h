#pragma once

// The program's real main window offscreen, as the frame tests start it: no hardware, an
// Istrel as the default spectrometer, the UI services answering from a script, and the first
// spectrum window ready. Menu items are found as the user finds them, by their texts or by
// their commands, each pop-up opened on the way (which refreshes its items' states).
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/shell/ShellFakes.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSize>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace frames_test {

// The private folder the test runner gives this test.
inline std::string testDir()
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    return dir ? dir : ".";
}

// Writes an Istrel configuration without an A/D converter into `folder` and makes it the
// spectrometer the program opens by default.
inline void writeDefaultSpectrometer(const std::string& folder)
{
    const std::string spec = folder + "/Default.spec";
    std::ofstream(spec, std::ios::binary)
        << "[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n";
    CINIFileSupport(nullptr, 1).WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
}

// The menu bar's action for a command, searched through the pop-ups.
inline QAction* menuAction(QMenuBar* bar, unsigned id)
{
    std::function<QAction*(const QList<QAction*>&)> find = [&](const QList<QAction*>& actions) {
        for (QAction* action : actions) {
            if (QMenu* sub = action->menu()) {
                emit sub->aboutToShow();
                if (QAction* found = find(sub->actions()))
                    return found;
            } else if (!action->isSeparator() && action->data().toUInt() == id) {
                return action;
            }
        }
        return static_cast<QAction*>(nullptr);
    };
    return find(bar->actions());
}

// A menu item's text as the user reads it: without its mnemonic marks and its key.
inline QString menuText(const QAction* action)
{
    QString text = action->text();
    text = text.left(text.indexOf(QLatin1Char('\t')));
    return text.remove(QLatin1Char('&'));
}

// The texts of the pop-ups leading to a menu item and the item's own: {"File", "Save",
// "Sample..."}, without mnemonic marks and keys.
using MenuPath = std::vector<std::string>;

// The path written as the user reads it: "File > Open > Dark...".
inline MenuPath menuPath(const std::string& text)
{
    MenuPath path;
    size_t from = 0;
    for (size_t at = text.find(" > "); at != std::string::npos; at = text.find(" > ", from)) {
        path.push_back(text.substr(from, at - from));
        from = at + 3;
    }
    path.push_back(text.substr(from));
    return path;
}

// The action the user reaches by these texts.
inline QAction* menuItemByText(QMenuBar* bar, const MenuPath& path)
{
    QList<QAction*> actions = bar->actions();
    QAction* found = nullptr;
    for (const std::string& step : path) {
        found = nullptr;
        for (QAction* action : actions) {
            if (!action->isSeparator() && menuText(action) == QString::fromStdString(step)) {
                found = action;
                break;
            }
        }
        if (found == nullptr)
            return nullptr;
        if (QMenu* sub = found->menu()) {
            emit sub->aboutToShow();
            actions = sub->actions();
        }
    }
    return found;
}

class MainFrameFixture : public ::testing::Test
{
protected:
    // Starts the program with the Default.spec of `folder`, the main window resized to `size`
    // (when valid) and active when asked, and waits for the first spectrum window to be ready
    // for commands.
    void startProgram(bool activate = true, QSize size = QSize(),
                      const std::string& folder = testDir())
    {
        writeDefaultSpectrometer(folder);
        ASSERT_TRUE(app.InitInstance({"/none"}));
        frame = app.mainFrameWidget();
        ASSERT_NE(frame, nullptr);
        if (size.isValid())
            frame->resize(size);
        if (activate) {
            frame->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
        }
        ASSERT_TRUE(runUntil([&] { return frame->MDIGetActive() != nullptr; }, 5000));
        spectrum = dynamic_cast<CChildFrameSpectrum*>(frame->MDIGetActive());
        ASSERT_NE(spectrum, nullptr);
        view = dynamic_cast<SpectrumViewWidget*>(spectrum->GetActiveView());
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(runUntil([&] { return view->isReady(); }, 5000));
    }

    // Triggers the command's item in the menu bar of the active window.
    void runMenuItem(unsigned id)
    {
        QAction* item = menuAction(frame->menuBar(), id);
        ASSERT_NE(item, nullptr) << id;
        ASSERT_TRUE(item->isEnabled()) << id;
        item->trigger();
    }

    // Triggers the item the user reaches by these texts in the menu bar of the active window.
    void runMenuItem(const MenuPath& path)
    {
        ASSERT_FALSE(path.empty());
        QAction* item = menuItemByText(frame->menuBar(), path);
        ASSERT_NE(item, nullptr) << path.back();
        ASSERT_TRUE(item->isEnabled()) << path.back();
        item->trigger();
    }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;
    CHarluneApp app{driver};
    MainFrameWidget* frame = nullptr;
    CChildFrameSpectrum* spectrum = nullptr;
    SpectrumViewWidget* view = nullptr;
};

} // namespace frames_test
