// The script editor as a user meets it, offscreen: Script > Show IDE opens it usable, typed
// code runs, pauses and stops from its tool bar, saves and opens through the file dialogs, and
// the code pane keeps most of the height.
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "platform/automation/Variant.h"
#include "platform/basic/ide/BasicEditorWindow.h"
#include "platform/framework/Commands.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/shell/ShellFakes.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

using platform::automation::Variant;
using platform::basic::ide::BasicEditorWindow;

constexpr unsigned kShowIde = 32940;

class ScriptEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CHarluneApp::useScanCountViews(true);
        app = std::make_unique<CHarluneApp>(driver);
        ASSERT_TRUE(app->InitInstance({}));
        frame = app->mainFrameWidget();
        ASSERT_TRUE(frame->scriptObject().hasEngine());
        // Scripts with a Sub Main run at once in procedural mode.
        frame->scriptObject().PutProperty(32, Variant(false));
        ASSERT_TRUE(frame->executeCommand(kShowIde));
        editor = dynamic_cast<BasicEditorWindow*>(frame->scriptEditor());
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(editor->isVisible());
    }
    void TearDown() override
    {
        app.reset();
        CHarluneApp::useScanCountViews(false);
    }

    // Clicks the tool bar button of the command named text, as a user does.
    void click(const char* text)
    {
        for (QAction* action : editor->toolBar()->actions()) {
            if (action->text() == QLatin1String(text)) {
                QWidget* button = editor->toolBar()->widgetForAction(action);
                ASSERT_NE(button, nullptr) << text;
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        FAIL() << "no tool bar button " << text;
    }
    bool buttonEnabled(const char* text)
    {
        for (QAction* action : editor->toolBar()->actions())
            if (action->text() == QLatin1String(text))
                return action->isEnabled() &&
                       editor->toolBar()->widgetForAction(action)->isEnabled();
        return false;
    }
    // Types the lines into the code pane as key presses.
    void type(std::initializer_list<const char*> lines)
    {
        QPlainTextEdit* code = editor->editor();
        code->setFocus();
        for (const char* line : lines) {
            QTest::keyClicks(code, QString::fromLatin1(line));
            QTest::keyClick(code, Qt::Key_Return);
        }
    }
    std::string path(const char* name) const
    {
        return std::string(std::getenv("HARLUNE_TEST_DIR")) + "/" + name;
    }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;
    std::unique_ptr<CHarluneApp> app;
    MainFrameWidget* frame = nullptr;
    BasicEditorWindow* editor = nullptr;
};

TEST_F(ScriptEditorTest, OpensUsableAndRunsTypedCode)
{
    EXPECT_TRUE(editor->isEnabled());
    EXPECT_EQ(editor->windowTitle(), "Harlune Scripting in Event Mode");
    for (const char* button : {"Open", "Save", "Run", "Pause", "Stop"})
        EXPECT_TRUE(buttonEnabled(button)) << button;

    type({"Sub Main", "Debug.Print \"typed \" & (6 * 7)", "End Sub"});
    EXPECT_EQ(editor->editor()->toPlainText(), "Sub Main\nDebug.Print \"typed \" & (6 * 7)\n"
                                               "End Sub\n");
    click("Run");
    EXPECT_EQ(editor->debugPane()->toPlainText(), "typed 42");
    EXPECT_EQ(editor->markedLine(), 0);

    // A script's own box disables the editor only while it is shown.
    bool enabledDuringBox = true;
    ui.setMessageBoxHandler([&](const platform::qt::ScriptedUiServices::MessageBoxCall&) {
        enabledDuringBox = editor->isEnabled();
        return 1;
    });
    editor->editor()->selectAll();
    type({"Sub Main", "MsgBox \"hello\"", "End Sub"});
    click("Run");
    EXPECT_FALSE(enabledDuringBox);
    EXPECT_TRUE(editor->isEnabled());

    // A typing error marks its line and runs nothing.
    editor->editor()->selectAll();
    type({"Sub Main", "Debug.Print \"never\"", "If Then", "End Sub"});
    click("Run");
    EXPECT_EQ(editor->markedLine(), 3);
    EXPECT_EQ(editor->debugPane()->toPlainText(), "typed 42");
}

// Run in Event-driven Mode runs nothing: it arms the script, and the status line says so
// and names the events the script waits for.
TEST_F(ScriptEditorTest, RunInEventDrivenModeSaysWhatTheScriptWaitsFor)
{
    frame->scriptObject().PutProperty(32, Variant(true));
    type({"Sub Main", "Debug.Print \"main ran\"", "End Sub"});
    click("Run");
    EXPECT_EQ(editor->statusBar()->currentMessage(),
              "Armed in Event-driven Mode, but the script handles no events: Sub Main runs in "
              "Procedural Mode");
    EXPECT_EQ(editor->debugPane()->toPlainText(), "");

    editor->editor()->selectAll();
    type({"Sub EventGenerator_TimerTick(id As Integer)", "Debug.Print \"tick\"; id", "End Sub"});
    click("Run");
    EXPECT_EQ(editor->statusBar()->currentMessage(),
              "Armed in Event-driven Mode: waiting for EventGenerator_TimerTick");
    EXPECT_EQ(editor->debugPane()->toPlainText(), "");
}

// A running macro pauses and stops from the tool bar: the clicks arrive through the events the
// macro's DoEvents lets in.
TEST_F(ScriptEditorTest, PauseAndStopARunningMacro)
{
    type({"Sub Main", "For i = 1 To 2000000", "DoEvents", "Next", "Debug.Print \"finished\"",
          "End Sub"});
    int16_t stateWhilePaused = 0;
    int16_t stateAfterResume = 0;
    QTimer::singleShot(0, editor, [&] {
        click("Pause");
        QTimer::singleShot(0, editor, [&] {
            stateWhilePaused = frame->scriptObject().GetMacroState();
            click("Pause");
            QTimer::singleShot(0, editor, [&] {
                stateAfterResume = frame->scriptObject().GetMacroState();
                click("Stop");
            });
        });
    });
    click("Run");
    EXPECT_EQ(stateWhilePaused, 1);
    EXPECT_EQ(stateAfterResume, -1);
    EXPECT_EQ(frame->scriptObject().GetMacroState(), 0);
    EXPECT_EQ(editor->debugPane()->toPlainText().indexOf("finished"), -1);
}

TEST_F(ScriptEditorTest, SavesAndOpensThroughTheFileDialogs)
{
    type({"Sub Main", "Debug.Print \"saved\"", "End Sub"});
    const std::string saved = path("typed.bas");
    ui.answerFileDialog(std::vector<std::string>{saved});
    click("Save");
    std::ifstream in(saved);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "Sub Main\nDebug.Print \"saved\"\nEnd Sub\n");

    const std::string other = path("other.bas");
    std::ofstream(other) << "Sub Main\nDebug.Print \"opened\"\nEnd Sub\n";
    ui.answerFileDialog(std::vector<std::string>{other});
    click("Open");
    EXPECT_EQ(editor->editor()->toPlainText(), "Sub Main\nDebug.Print \"opened\"\nEnd Sub\n");
    click("Run");
    EXPECT_EQ(editor->debugPane()->toPlainText(), "opened");

    // A cancelled dialog changes nothing.
    ui.answerFileDialog(std::nullopt);
    click("Open");
    EXPECT_EQ(editor->editor()->toPlainText(), "Sub Main\nDebug.Print \"opened\"\nEnd Sub\n");
}

TEST_F(ScriptEditorTest, CodePaneKeepsMostOfTheHeight)
{
    type({"Sub Main", "Debug.Print \"out\"", "End Sub"});
    click("Run");
    ASSERT_TRUE(editor->debugPane()->isVisible());
    const auto heights = [&] {
        return std::pair(editor->editor()->height(), editor->debugPane()->height());
    };
    // The debug pane gets its set height (100) and the code pane the rest.
    EXPECT_TRUE(runUntil([&] {
        const auto [c, d] = heights();
        return d > 50 && d <= 100 && c > 2 * d;
    })) << heights().first
        << " " << heights().second;
    auto [code, debug] = heights();

    // A taller window gives the code pane the height it gains.
    editor->resize(editor->width(), editor->height() + 200);
    ASSERT_TRUE(runUntil([&] { return heights().first >= code + 150; }));
    EXPECT_EQ(heights().second, debug);

    // A debug height larger than the window leaves the code pane two thirds.
    frame->scriptObject().PutProperty(66, Variant(int16_t{2000}));
    EXPECT_TRUE(runUntil([&] {
        const auto [c, d] = heights();
        return d > 100 && c > 2 * d - 20;
    })) << heights().first
        << " " << heights().second;
}

} // namespace
