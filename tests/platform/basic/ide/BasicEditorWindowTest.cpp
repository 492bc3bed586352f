#include "platform/basic/ide/BasicEditorWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using platform::basic::BasicEngine;
using platform::basic::ide::BasicEditorWindow;

QApplication& application()
{
    static int argc = 1;
    static char name[] = "BasicEditorWindowTest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

class BasicEditorWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { application(); }

    void put(DISPID id, Variant v)
    {
        std::vector<Variant> args = {std::move(v)};
        ASSERT_EQ(engine->Invoke(id, DISPATCH_PROPERTYPUT, args, nullptr, nullptr), S_OK);
    }
    void call(DISPID id)
    {
        ASSERT_EQ(engine->Invoke(id, DISPATCH_METHOD, {}, nullptr, nullptr), S_OK);
    }

    RefPtr<BasicEngine> engine = RefPtr<BasicEngine>::adopt(new BasicEngine);
};

TEST_F(BasicEditorWindowTest, ShowsRunsAndMarksErrors)
{
    BasicEditorWindow window(*engine);
    EXPECT_FALSE(window.isVisible());
    call(96);
    EXPECT_FALSE(window.isVisible());
    call(100);
    EXPECT_TRUE(window.isVisible());

    put(32, false);
    put(8, "Sub Main\nDebug.Print \"hello\"\nEnd Sub\n");
    EXPECT_EQ(window.editor()->toPlainText(), "Sub Main\nDebug.Print \"hello\"\nEnd Sub\n");
    window.run();
    EXPECT_EQ(window.debugPane()->toPlainText(), "hello");
    EXPECT_EQ(window.markedLine(), 0);

    // An edit with a syntax error: run reads the text, marks the line and runs nothing.
    window.editor()->setPlainText("Sub Main\nDebug.Print 1\nIf Then\nEnd Sub\n");
    window.run();
    EXPECT_EQ(window.markedLine(), 3);
    EXPECT_EQ(window.editor()->extraSelections().size(), 1);
    EXPECT_EQ(window.debugPane()->toPlainText(), "hello");

    // A run-time error marks its line too.
    window.editor()->setPlainText("Sub Main\nDim a(1)\na(2) = 0\nEnd Sub\n");
    window.run();
    EXPECT_EQ(window.markedLine(), 3);
    put(94, false);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(BasicEditorWindowTest, AppliesTheEditorSettings)
{
    BasicEditorWindow window(*engine);
    put(-518, "Harlune Scripting in Procedural Mode");
    put(22, false);
    put(82, int16_t{8});
    put(90, 10);
    put(91, 20);
    put(92, 300);
    put(93, 200);
    put(-501, 0x0000FF); // red, as 0x00BBGGRR
    EXPECT_EQ(window.windowTitle(), "Harlune Scripting in Procedural Mode");
    EXPECT_TRUE(window.toolBar()->isHidden());
    EXPECT_EQ(window.editor()->tabStopDistance(),
              window.editor()->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
    EXPECT_EQ(window.geometry().size(), QSize(300, 200));
    EXPECT_EQ(window.editor()->palette().color(QPalette::Base), QColor(255, 0, 0));
}

TEST_F(BasicEditorWindowTest, CloseBoxHidesAndSaveWritesTheFile)
{
    BasicEditorWindow window(*engine);
    call(96);
    call(100);
    QCloseEvent close;
    QApplication::sendEvent(&window, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_FALSE(window.isVisible()) << "without a host the editor hides itself";

    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    ASSERT_NE(dir, nullptr);
    const QString path = QString::fromUtf8(dir) + "/saved.bas";
    window.editor()->setPlainText("Sub Main\nEnd Sub\n");
    ASSERT_TRUE(window.saveFile(path));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "Sub Main\nEnd Sub\n");
    EXPECT_EQ(engine->fileName(), path.toStdString());
    EXPECT_FALSE(window.openFile(QString::fromUtf8(dir) + "/missing.bas"));
}

TEST_F(BasicEditorWindowTest, RunSaysWhatItDidInEventDrivenMode)
{
    auto generator = RefPtr<CEventGenerator>::adopt(new CEventGenerator);
    std::vector<Variant> added = {Variant("EventGenerator"), Variant(DispatchPtr(generator))};
    ASSERT_EQ(engine->Invoke(65, DISPATCH_METHOD, added, nullptr, nullptr), S_OK);
    BasicEditorWindow window(*engine);
    // The program's settings: tool bar, its commands and the status bar on.
    put(9, true);
    put(21, true);
    put(22, true);
    call(100);
    ASSERT_TRUE(window.isVisible());
    QAction* run = nullptr;
    for (QAction* a : window.toolBar()->actions()) {
        if (a->text() == "Run") {
            run = a;
        }
    }
    ASSERT_NE(run, nullptr);
    auto* button = qobject_cast<QAbstractButton*>(window.toolBar()->widgetForAction(run));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());

    struct Case
    {
        const char* name;
        const char* code;
        const char* status;
    };
    const Case cases[] = {
        {"sub main only", "Sub Main\nDebug.Print \"hello\"\nEnd Sub\n",
         "Armed in Event-driven Mode, but the script handles no events: Sub Main runs in "
         "Procedural Mode"},
        {"event handlers",
         "Sub EventGenerator_TimerTick(id As Integer)\nDebug.Print id\nEnd Sub\n"
         "Sub EventGenerator_MacroEnd()\nEnd Sub\nSub Helper()\nEnd Sub\n",
         "Armed in Event-driven Mode: waiting for EventGenerator_TimerTick, "
         "EventGenerator_MacroEnd"},
        {"no procedures", "Dim x\n",
         "Armed in Event-driven Mode, but the script handles no events"},
        {"a syntax error", "Sub Main\nIf Then\nEnd Sub\n", "The script cannot run: line 2: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.statusBar()->clearMessage();
        window.editor()->setPlainText(QString::fromUtf8(c.code));
        button->click();
        EXPECT_TRUE(window.statusBar()->currentMessage().startsWith(QString::fromUtf8(c.status)))
            << window.statusBar()->currentMessage().toStdString();
        EXPECT_EQ(window.debugPane()->toPlainText(), "") << "nothing ran";
    }

    // The armed script answers its events; Run once more keeps it armed and says so again.
    generator->FireEvent(CEventGenerator::TimerTick, {int16_t{7}});
    EXPECT_EQ(window.debugPane()->toPlainText(), "");
    window.editor()->setPlainText(QString::fromUtf8(cases[1].code));
    button->click();
    generator->FireEvent(CEventGenerator::TimerTick, {int16_t{7}});
    EXPECT_EQ(window.debugPane()->toPlainText(), " 7");
    window.statusBar()->clearMessage();
    button->click();
    EXPECT_TRUE(window.statusBar()->currentMessage().startsWith("Armed in Event-driven Mode"));
}

} // namespace
