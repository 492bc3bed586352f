#include "platform/qt/QtHooks.h"

#include "platform/qt/fake/ScriptedUiServices.h"
#include "platform/win/System.h"
#include "platform/win/c/pwin_system.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>

using namespace platform::qt;

namespace {

QApplication& hooksApplication()
{
    static int argc = 1;
    static char name[] = "QtHooksTest";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv); // lives until exit
    return *app;
}

bool processUntil(const std::function<bool()>& done, int boundMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > boundMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

std::mutex g_logMutex;
QStringList g_log;

void captureMessages(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (context.category != nullptr && QByteArray(context.category) == "harlune.debug") {
        std::lock_guard<std::mutex> lock(g_logMutex);
        g_log.append(message);
    }
}

} // namespace

class QtHooksTest : public ::testing::Test
{
protected:
    void SetUp() override { hooksApplication(); }
    ScriptedUiServices ui;
    ScopedUiServices installed{ui};
};

TEST_F(QtHooksTest, BoxOnTheGuiThreadIsShownAndAnswered)
{
    QtHooks hooks;
    struct Case
    {
        const char* name;
        unsigned type;
        int answer;
        int expected;
    };
    const Case cases[] = {
        {"no", PWIN_MB_YESNO | PWIN_MB_ICONQUESTION, PWIN_IDNO, PWIN_IDNO},
        {"ok", PWIN_MB_OK, PWIN_IDOK, PWIN_IDOK},
        // An answer that is not a button of the box becomes the default button.
        {"foreign answer", PWIN_MB_YESNO | PWIN_MB_DEFBUTTON2, PWIN_IDCANCEL, PWIN_IDNO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.clear();
        ui.answerMessageBox(c.answer);
        EXPECT_EQ(pwin_MessageBoxA(0, "Text", "Caption", c.type), c.expected);
        ASSERT_EQ(ui.messageBoxes().size(), 1u);
        EXPECT_EQ(ui.messageBoxes()[0].text, "Text");
        EXPECT_EQ(ui.messageBoxes()[0].caption, "Caption");
        EXPECT_EQ(ui.messageBoxes()[0].flags, c.type);
    }
}

TEST_F(QtHooksTest, BoxFromAnotherThreadDoesNotBlockAndIsShownLater)
{
    QtHooks hooks;
    ui.answerMessageBox(PWIN_IDYES);
    // The GUI thread processes no events until the worker's call has returned: a blocking
    // hook would dead-lock here and fail the bounded wait.
    auto worker = std::async(std::launch::async, [] {
        std::string text = "Driver warning";
        return pwin_MessageBoxA(0, text.c_str(), "VYKDRV32", PWIN_MB_YESNO | PWIN_MB_DEFBUTTON2);
    });
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(worker.get(), PWIN_IDNO); // the default button, at once
    EXPECT_TRUE(ui.messageBoxes().empty());
    ASSERT_TRUE(processUntil([&] { return !ui.messageBoxes().empty(); }));
    EXPECT_EQ(ui.messageBoxes()[0].text, "Driver warning");
    EXPECT_EQ(ui.messageBoxes()[0].caption, "VYKDRV32");
}

TEST_F(QtHooksTest, InputBoxDialogAsksTheUiServices)
{
    QtHooks hooks;
    struct Case
    {
        const char* name;
        std::optional<std::string> answer;
        intptr_t result;
        const char* text;
    };
    const Case cases[] = {
        {"answered", "typed", PWIN_IDOK, "typed"},
        {"cancelled", std::nullopt, PWIN_IDCANCEL, "offered"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.clear();
        ui.answerInputBox(c.answer);
        platform::win::InputBoxParam param{"Name?", "Title", "offered"};
        EXPECT_EQ(pwin_DialogBoxParamA(platform::win::kInputBoxDialog, &param), c.result);
        EXPECT_EQ(param.text, c.text);
        ASSERT_EQ(ui.inputBoxes().size(), 1u);
        EXPECT_EQ(ui.inputBoxes()[0].prompt, "Name?");
        EXPECT_EQ(ui.inputBoxes()[0].title, "Title");
        EXPECT_EQ(ui.inputBoxes()[0].text, "offered");
    }
}

TEST_F(QtHooksTest, BeepsArePlayedOnTheGuiThread)
{
    QtHooks hooks;
    pwin_MessageBeep(PWIN_MB_ICONWARNING);
    EXPECT_EQ(ui.beeps(), std::vector<unsigned>{PWIN_MB_ICONWARNING});
    auto worker =
        std::async(std::launch::async, [] { return pwin_MessageBeep(PWIN_MB_SIMPLEBEEP); });
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    ASSERT_TRUE(processUntil([&] { return ui.beeps().size() == 2; }));
    EXPECT_EQ(ui.beeps()[1], PWIN_MB_SIMPLEBEEP);
}

TEST_F(QtHooksTest, DebugOutputGoesToTheLoggingCategory)
{
    QtHooks hooks;
    QLoggingCategory::setFilterRules(QStringLiteral("harlune.debug.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(&captureMessages);
    pwin_OutputDebugStringA("scan started\r\n");
    std::async(std::launch::async, [] { pwin_OutputDebugStringA("from the worker"); }).wait();
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    std::lock_guard<std::mutex> lock(g_logMutex);
    EXPECT_EQ(g_log,
              (QStringList{QStringLiteral("scan started"), QStringLiteral("from the worker")}));
}

TEST_F(QtHooksTest, RemovedHooksLeaveTheServicesAlone)
{
    {
        QtHooks hooks;
    }
    EXPECT_EQ(pwin_MessageBoxA(0, "after", "removed", PWIN_MB_OKCANCEL), PWIN_IDOK);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ui.messageBoxes().empty());
}
