#include "app/qt/HarluneApp.h"

#include "app/qt/MainFrameWidget.h"
#include "app/qt/ScanCountView.h"
#include "driver/include/vykdrv32.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/DocTemplate.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "platform/win/Messages.h"
#include "platform/win/System.h"
#include "tests/app/shell/ShellFakes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace win = platform::win;

namespace {

// Runs a nested event loop (where the idle hook runs) until the condition holds or the bound
// passes.
bool runUntil(const std::function<bool()>& condition, int boundMs = 5000)
{
    if (condition())
        return true;
    QEventLoop loop;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (condition() || elapsed.elapsed() > boundMs)
            loop.quit();
    });
    poll.start();
    loop.exec();
    return condition();
}

// Counts the idle hook's calls.
class CountingApp : public CHarluneApp
{
public:
    using CHarluneApp::CHarluneApp;
    bool OnIdle(long count) override
    {
        ++idleCalls;
        return CHarluneApp::OnIdle(count);
    }
    int idleCalls = 0;
};

long countOf(const std::vector<std::string>& calls, const std::string& call)
{
    return std::count(calls.begin(), calls.end(), call);
}

class HarluneAppTest : public ::testing::Test
{
protected:
    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    RecordingDriver driver;

    size_t spectrumDocuments(CHarluneApp& app)
    {
        return app.docTemplate(129) ? app.docTemplate(129)->documents().size() : 0;
    }
};

TEST_F(HarluneAppTest, StartUpSwitches)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> arguments;
        std::vector<int> answers;
        bool starts;
        bool hidden;
    };
    const Case cases[] = {
        {"plain", {}, {}, true, false},
        {"a document is ignored", {"spectrum.txt"}, {}, true, false},
        {"hidden", {"/HIDDEN"}, {}, true, true},
        {"cleanregall declined", {"/cleanregall"}, {win::IDNO}, true, false},
        {"cleanreg declined", {"/cleanreg"}, {win::IDNO}, false, false},
        {"two switches are none", {"/cleanreg", "/hidden"}, {}, true, false},
        {"registeronly", {"/registeronly"}, {}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int answer : c.answers)
            ui.answerMessageBox(answer);
        const size_t boxes = ui.messageBoxes().size();
        CHarluneApp app(driver);
        EXPECT_EQ(app.InitInstance(c.arguments), c.starts);
        EXPECT_EQ(ui.messageBoxes().size() - boxes, c.answers.size());
        if (c.starts) {
            EXPECT_EQ(spectrumDocuments(app), 1u);
            EXPECT_EQ(app.mainFrameWidget()->isVisible(), !c.hidden);
        }
    }
}

TEST_F(HarluneAppTest, SecondInstanceEndsAtOnce)
{
    CHarluneApp first(driver);
    ASSERT_TRUE(first.InitInstance({}));
    {
        RecordingDriver other;
        CHarluneApp second(other);
        EXPECT_FALSE(second.InitInstance({}));
        EXPECT_EQ(second.mainFrameWidget(), nullptr);
        EXPECT_TRUE(other.calls.empty());
    }
    EXPECT_TRUE(first.mainFrameWidget()->isVisible());
}

TEST_F(HarluneAppTest, RoundRobinScansThroughIdleAndRestsWhenHalted)
{
    CountingApp app(driver);
    ASSERT_TRUE(app.InitInstance({"/none"}));
    const std::string scan = "SingleScan_Thread(" + std::to_string(getpid()) + ")";
    ASSERT_TRUE(runUntil([&] { return countOf(driver.calls, scan) >= 1; }));

    // The scan's completion arrives as the channel's message at the view.
    auto* frame = app.mainFrameWidget()->MDIGetActive();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<ScanCountView*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    for (int i = 0; i < 3; ++i) {
        const long before = countOf(driver.calls, scan);
        win::PostMessage(view->GetSafeHwnd(), VYK_MSG_BUFFER_FULL, 0, 0);
        ASSERT_TRUE(runUntil([&] { return countOf(driver.calls, scan) > before; }));
    }
    EXPECT_EQ(view->scansReceived(), 3);

    // Halted, the program rests: no scan starts and it uses (almost) no CPU.
    app.mainFrameWidget()->core().SetAcquisitionSuspended(2);
    win::PostMessage(view->GetSafeHwnd(), VYK_MSG_BUFFER_FULL, 0, 0);
    const long scans = countOf(driver.calls, scan);
    runUntil([] { return false; }, 100); // the halted channel message is handled
    const int idleCalls = app.idleCalls;
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer wall;
    wall.start();
    QEventLoop rest;
    QTimer::singleShot(1000, &rest, &QEventLoop::quit);
    rest.exec();
    const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    // The quit timer's own event may wake the hook once; nothing else does.
    EXPECT_LE(app.idleCalls - idleCalls, 2);
    EXPECT_EQ(countOf(driver.calls, scan), scans);
    EXPECT_LT(cpuSeconds, 0.1 * wall.elapsed() / 1000.0);

    app.mainFrameWidget()->core().SetAcquisitionSuspended(0);
    EXPECT_GT(countOf(driver.calls, scan), scans);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
