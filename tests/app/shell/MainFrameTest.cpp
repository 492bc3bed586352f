#include "app/shell/MainFrame.h"

#include "ShellFakes.h"
#include "app/res/MenuVerify.h"
#include "app/shell/INIFileSupport.h"
#include "driver/include/vykdrv32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Kind = MainFrameWindow::ChildKind;

std::string testPath(const std::string& name)
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
}

class FakeView : public SpectrumScanView
{
public:
    FakeView(const std::string& file, FakeConfigurationHost& host) : config(file, 0, host)
    {
        record.window = 77;
        record.integration = 50;
        record.scansToAverage = 2;
        record.boxcarHalfWidth = 1;
    }
    RegistrationRecord& registrationRecord() override { return record; }
    Hardware& hardware() override { return hw; }
    int32_t mavrinModulation() const override { return modulation; }
    int16_t strobeEnable() const override { return strobe; }
    bool timeNormalized() const override { return normalized; }
    CSpectrometerConfiguration& configuration() override { return config; }
    void setClosing() override { closing = true; }

    RegistrationRecord record{};
    Hardware hw;
    CSpectrometerConfiguration config;
    int32_t modulation = 5;
    int16_t strobe = 1;
    bool normalized = false;
    bool closing = false;
};

struct FakeChild
{
    uint32_t handle;
    Kind kind;
    std::string title;
    FakeView* view;
};

class FakeWindow : public MainFrameWindow
{
public:
    std::vector<uint32_t> childWindows() override
    {
        std::vector<uint32_t> handles;
        for (const FakeChild& child : children)
            handles.push_back(child.handle);
        return handles;
    }
    Kind childKind(uint32_t frame) override { return find(frame).kind; }
    SpectrumScanView* activeSpectrumView(uint32_t frame) override
    {
        FakeChild& child = find(frame);
        if (child.kind != Kind::Spectrum)
            return nullptr;
        // While the driver's worker runs a scan the frame only looks at that scan's window.
        if (workerBusy == nullptr || *workerBusy == 0)
            scanned.push_back(child.title);
        return child.view;
    }
    std::string windowTitle(uint32_t frame) override
    {
        if (throwOnTitle == frame)
            throw std::runtime_error("title");
        return find(frame).title;
    }
    SpectrumScanView* activeView() override
    {
        return children.empty() ? nullptr : children.front().view;
    }
    bool isWindow(uint32_t window) override { return window == 77; }
    void setStatusText(const std::string& text) override { status = text; }
    void idleUpdate() override { ++idleUpdates; }
    void wakeIdle() override { ++wakes; }
    void sendSpectrumCommand(uintptr_t code, intptr_t argument) override
    {
        commands.push_back({code, argument});
    }
    void setTimer(unsigned id, unsigned ms) override { timers[id] = ms; }
    void killTimer(unsigned id) override
    {
        timers.erase(id);
        killed.push_back(id);
    }
    void postClose() override { ++closesPosted; }
    void fireTimerTick(int16_t id) override { ticks.push_back(id); }
    void fireUserMenu(int32_t id) override { userMenus.push_back(id); }

    void close(uint32_t handle)
    {
        children.erase(std::remove_if(children.begin(), children.end(),
                                      [&](const FakeChild& c) { return c.handle == handle; }),
                       children.end());
    }

    std::vector<FakeChild> children;
    std::vector<std::string> scanned;
    std::string status;
    int idleUpdates = 0;
    int wakes = 0;
    std::vector<std::pair<uintptr_t, intptr_t>> commands;
    std::map<unsigned, unsigned> timers;
    std::vector<unsigned> killed;
    int closesPosted = 0;
    std::vector<int16_t> ticks;
    std::vector<int32_t> userMenus;
    uint32_t throwOnTitle = 0;
    const int32_t* workerBusy = nullptr;

private:
    FakeChild& find(uint32_t frame)
    {
        for (FakeChild& child : children)
            if (child.handle == frame)
                return child;
        throw std::logic_error("a closed frame was touched");
    }
};

class FakeScript : public ScriptHost
{
public:
    bool definesVerifyMenu() override { return defines; }
    std::optional<int32_t> callVerifyMenu(int32_t id) override
    {
        asked.push_back(id);
        if (throws)
            throw std::runtime_error("script failed");
        if (reenter && frame)
            nested = frame->VerifyCommand(id + 1);
        return answer;
    }
    void reportError(const std::string& what) override { errors.push_back(what); }
    bool isRunning() override { return running; }
    void stop() override { running = false; }

    bool defines = true;
    bool throws = false;
    bool reenter = false;
    bool running = false;
    std::optional<int32_t> answer = 1;
    std::vector<int32_t> asked;
    std::vector<std::string> errors;
    CMainFrame* frame = nullptr;
    int32_t nested = -1;
};

class MainFrameTest : public ::testing::Test
{
protected:
    FakeView& addSpectrum(uint32_t handle, const std::string& title)
    {
        views.push_back(std::make_unique<FakeView>(testPath(title + ".spec"), host));
        // The views run the driver's present configuration unless a case changes it.
        FakeView& view = *views.back();
        view.hw.adcType = 255;
        // Only the calls the frame makes after this are of interest.
        driver().calls.clear();
        window.children.push_back({handle, Kind::Spectrum, title, &view});
        return view;
    }
    void addOther(uint32_t handle, Kind kind, const std::string& title)
    {
        window.children.push_back({handle, kind, title, nullptr});
    }
    RecordingDriver& driver() { return host.recorder; }

    FakeConfigurationHost host;
    FakeWindow window;
    std::vector<std::unique_ptr<FakeView>> views;
    CMainFrame frame{window, host.recorder, 0x4000};

    void SetUp() override
    {
        window.workerBusy = &driver().acquisitionActive;
        driver().adcType = 255;
        frame.initDriverCache();
        driver().calls.clear();
    }
};

TEST_F(MainFrameTest, RoundRobinServesSpectrumWindowsInZOrderAndPassesOthers)
{
    addSpectrum(1, "A");
    addOther(2, Kind::Grid, "Grid1");
    addSpectrum(3, "B");
    addOther(4, Kind::Other, "owned");
    addSpectrum(5, "C");
    for (int i = 0; i < 4; ++i) {
        frame.StartNextScan();
        frame.scanMessageHandled();
    }
    EXPECT_EQ(window.scanned, (std::vector<std::string>{"A", "B", "C", "A"}));
    EXPECT_EQ(frame.CountMDIChildren(), 3); // B, grid, C after A; owned window not counted
}

TEST_F(MainFrameTest, WindowClosedMidPassIsSkippedSafely)
{
    addSpectrum(1, "A");
    addSpectrum(2, "B");
    addSpectrum(3, "C");
    frame.StartNextScan(); // A
    window.close(1);       // the remembered frame goes
    frame.StartNextScan();
    window.close(3);
    frame.StartNextScan();
    EXPECT_EQ(window.scanned, (std::vector<std::string>{"A", "B", "B"}));
}

// All windows share one registration: a start while the driver still runs the previous scan
// would re-point the record under it, so the start waits on the retry timer.
TEST_F(MainFrameTest, StartWaitsWhileTheDriverStillRunsTheLastScan)
{
    addSpectrum(1, "A");
    addSpectrum(2, "B");
    frame.StartNextScan(); // A
    driver().acquisitionActive = 1;
    frame.StartNextScan(); // a direct start (snapshot resume, Kick Start) during A's scan
    EXPECT_EQ(window.scanned, (std::vector<std::string>{"A"}));
    EXPECT_TRUE(frame.scanPending());
    ASSERT_EQ(window.timers.count(CMainFrame::kScanRetryTimer), 1u);

    frame.OnTimer(CMainFrame::kScanRetryTimer); // still running: keeps waiting
    EXPECT_EQ(window.scanned, (std::vector<std::string>{"A"}));
    EXPECT_EQ(window.timers.count(CMainFrame::kScanRetryTimer), 1u);

    driver().acquisitionActive = 0;
    frame.OnTimer(CMainFrame::kScanRetryTimer);
    EXPECT_EQ(window.scanned, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(window.timers.count(CMainFrame::kScanRetryTimer), 0u);

    // Taken by a start in between (the last channel's message): the timer starts nothing more.
    driver().acquisitionActive = 1;
    frame.StartNextScan();
    driver().acquisitionActive = 0;
    frame.scanMessageHandled();
    EXPECT_TRUE(frame.onIdle(1) == false);
    EXPECT_EQ(window.scanned, (std::vector<std::string>{"A", "B", "A"}));
    frame.OnTimer(CMainFrame::kScanRetryTimer);
    EXPECT_EQ(window.scanned, (std::vector<std::string>{"A", "B", "A"}));
    EXPECT_EQ(window.timers.count(CMainFrame::kScanRetryTimer), 0u);
}

// The next scan may start from the last one's message once its data is copied out, when
// nothing waits to change it; otherwise nothing changes and the idle hook starts it as before.
TEST_F(MainFrameTest, EarlyStartTakesTheNextWindowOnlyWhenNothingWaitsOnIt)
{
    addSpectrum(1, "A");
    addOther(2, Kind::Grid, "Grid1");
    addSpectrum(3, "B");
    FakeScript script;
    struct Case
    {
        const char* name;
        bool pending;
        int32_t halted;
        uint32_t singleThread;
        bool scriptRuns;
        int32_t workerBusy;
        bool started;
    };
    const Case cases[] = {
        {"free", true, 0, 0, false, 0, true},
        {"nothing outstanding", false, 0, 0, false, 0, false},
        {"halted", true, 1, 0, false, 0, false},
        {"single-threaded scans", true, 0, 1, false, 0, false},
        {"a script runs", true, 0, 0, true, 0, false},
        {"the worker still runs the scan", true, 0, 0, false, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frame.SetAcquisitionSuspended(0);
        frame.scanMessageHandled();
        while (frame.GetNextMDIChild() != 0) {
        }
        frame.StartNextScan(); // A's scan, whose message is being handled
        ASSERT_EQ(window.scanned.back(), "A");
        if (!c.pending)
            frame.scanMessageHandled();
        if (c.halted != 0)
            frame.SetAcquisitionSuspended(c.halted);
        frame.setSingleThread(c.singleThread);
        script.running = c.scriptRuns;
        frame.setScriptHost(&script);
        driver().acquisitionActive = c.workerBusy;
        window.scanned.clear();
        EXPECT_EQ(frame.StartNextScanEarly(), c.started);
        EXPECT_EQ(window.scanned,
                  c.started ? std::vector<std::string>{"B"} : std::vector<std::string>{});
        EXPECT_EQ(frame.scanPending(), c.pending);
        frame.setScriptHost(nullptr);
        frame.setSingleThread(0);
        driver().acquisitionActive = 0;
        // Started early, B is the outstanding scan; otherwise the walk has not moved and
        // the idle hook starts B.
        if (!c.started && c.pending && c.halted == 0) {
            frame.scanMessageHandled();
            frame.onIdle(1);
            EXPECT_EQ(window.scanned, std::vector<std::string>{"B"});
        }
    }
}

// A start asked while the driver still runs a window's scan hands that window's changed
// values to the driver at once (the driver ends an exposure whose time no longer holds); the
// same values are never sent twice, and another window's changes wait for its own scan.
TEST_F(MainFrameTest, StartDuringAScanHandsTheScanningWindowsNewValuesToTheDriver)
{
    FakeView& a = addSpectrum(1, "A");
    FakeView& b = addSpectrum(2, "B");
    a.record.integration = 60000;
    frame.StartNextScan(); // A
    driver().acquisitionActive = 1;
    const auto paramSets = [&] {
        return std::count(driver().calls.begin(), driver().calls.end(), "ParamSet");
    };
    const long sent = paramSets();

    frame.StartNextScan(); // nothing changed: the running scan is left alone
    EXPECT_EQ(paramSets(), sent);

    b.record.integration = 100; // not the running scan's window
    frame.StartNextScan();
    EXPECT_EQ(paramSets(), sent);

    a.record.integration = 100; // an emergency reset of A
    a.record.scansToAverage = 1;
    frame.StartNextScan();
    EXPECT_EQ(paramSets(), sent + 1);
    EXPECT_EQ(window.status,
              "Now acquiring data for A | Integration Time: 100 msec | Averages: 1 | Boxcar 1");
    frame.OnTimer(CMainFrame::kScanRetryTimer); // still running: nothing is sent again
    EXPECT_EQ(paramSets(), sent + 1);
    EXPECT_EQ(window.scanned, (std::vector<std::string>{"A"}));

    driver().acquisitionActive = 0;
    frame.OnTimer(CMainFrame::kScanRetryTimer);
    EXPECT_EQ(window.scanned, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(paramSets(), sent + 2);
}

TEST_F(MainFrameTest, HaltingDropsAWaitingStart)
{
    addSpectrum(1, "A");
    driver().acquisitionActive = 1;
    frame.StartNextScan();
    frame.SetAcquisitionSuspended(2);
    driver().acquisitionActive = 0;
    frame.OnTimer(CMainFrame::kScanRetryTimer);
    EXPECT_TRUE(window.scanned.empty());
    EXPECT_EQ(window.timers.count(CMainFrame::kScanRetryTimer), 0u);
}

TEST_F(MainFrameTest, NoSpectrumWindowEndsAfterOnePassWithNothingPending)
{
    for (bool withGrid : {false, true}) {
        SCOPED_TRACE(withGrid ? "grid open" : "nothing open");
        window.children.clear();
        if (withGrid)
            addOther(9, Kind::Grid, "Grid1");
        frame.StartNextScan();
        EXPECT_FALSE(frame.scanPending());
        EXPECT_FALSE(frame.onIdle(0));
        EXPECT_TRUE(window.scanned.empty());
    }
}

TEST_F(MainFrameTest, IdleStartsAScanOnlyWhenNothingIsPendingAndNeverAsksForMore)
{
    addSpectrum(1, "A");
    struct Case
    {
        const char* name;
        int documents;
        int32_t halted;
        bool pendingBefore;
        size_t scans;
    };
    const Case cases[] = {
        {"runs", 1, 0, false, 1},
        {"no spectrum document", 0, 0, false, 0},
        {"halted", 1, 2, false, 0},
        {"scan outstanding", 1, 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.scanned.clear();
        frame.scanMessageHandled();
        if (c.pendingBefore)
            frame.StartNextScan();
        window.scanned.clear();
        frame.SetAcquisitionSuspended(c.halted);
        frame.scanMessageHandled();
        if (c.pendingBefore)
            frame.StartNextScan();
        window.scanned.clear();
        EXPECT_FALSE(frame.onIdle(c.documents));
        EXPECT_EQ(window.scanned.size(), c.scans);
    }
}

TEST_F(MainFrameTest, ClearingThePendingFlagWakesIdleOnceWithoutStartingAScan)
{
    addSpectrum(1, "A");
    frame.onIdle(1);
    ASSERT_TRUE(frame.scanPending());
    const int wakes = window.wakes;
    frame.scanMessageHandled(); // first channel message
    frame.scanMessageHandled(); // a second channel of the same scan
    EXPECT_EQ(window.wakes, wakes + 1);
    EXPECT_EQ(window.scanned.size(), 1u);
}

TEST_F(MainFrameTest, HaltOneScanAndResume)
{
    addSpectrum(1, "A");
    frame.SetAcquisitionSuspended(2);
    frame.scanMessageHandled();
    window.scanned.clear();
    driver().calls.clear();
    frame.onIdle(1);
    EXPECT_TRUE(window.scanned.empty());

    frame.SuspendAndStartNextScan();
    EXPECT_EQ(frame.GetAcquisitionSuspended(), 2);
    EXPECT_EQ(std::count(driver().calls.begin(), driver().calls.end(), "SingleScan_Thread(16384)"),
              1);
    frame.scanMessageHandled();
    frame.onIdle(1);
    EXPECT_EQ(std::count(driver().calls.begin(), driver().calls.end(), "SingleScan_Thread(16384)"),
              1);

    const int wakes = window.wakes;
    frame.SetAcquisitionSuspended(0);
    EXPECT_EQ(frame.GetAcquisitionSuspended(), 0);
    EXPECT_EQ(std::count(driver().calls.begin(), driver().calls.end(), "SingleScan_Thread(16384)"),
              2);
    EXPECT_GT(window.wakes, wakes);
}

TEST_F(MainFrameTest, FailedScanLeavesPendingUntilKickStart)
{
    addSpectrum(1, "A");
    frame.onIdle(1);
    // No channel message arrives: idle stays quiet.
    frame.onIdle(1);
    frame.onIdle(1);
    EXPECT_EQ(window.scanned.size(), 1u);
    EXPECT_TRUE(frame.scanPending());
    frame.OnKickStart();
    EXPECT_EQ(window.scanned.size(), 2u);
}

TEST_F(MainFrameTest, ScanStartCallsTheDriverInOrderAndShowsTheStatus)
{
    FakeView& view = addSpectrum(1, "Spectrum1 | Next Save Filename: a.txt");
    view.record.triggerMode = 2;
    driver().integrationTime = 250;
    frame.StartNextScan();
    EXPECT_EQ(driver().calls,
              (std::vector<std::string>{"GetIntegrationTime", "GetCurrentUSBSerial", "ParamSet",
                                        "StrobeEnable(1)", "GetIntegrationTime",
                                        "SingleScan_Thread(16384)"}));
    EXPECT_EQ(window.status, "Now acquiring data for Spectrum1 | Integration Time: 250 msec | "
                             "Averages: 2 | Boxcar 1 -- EXTERNAL SYNC.");
    EXPECT_EQ(view.record.timingDirty, 1);
}

TEST_F(MainFrameTest, StatusTextUnitsAndSuffixes)
{
    struct Case
    {
        const char* name;
        int32_t microsecond;
        uint16_t configAdc;
        int32_t driverTime;
        int32_t trigger;
        bool normalized;
        const char* suffix;
    };
    const Case cases[] = {
        {"ms", 0, 255, 100, 0, false, "100 msec | Averages: 2 | Boxcar 1"},
        {"us", 1, 255, 1234, 1, false, "1234 usec | Averages: 2 | Boxcar 1 -- SOFTWARE TRIGGER."},
        {"Ulmar seconds", 1, 14, 1999, 3, true,
         "1 sec | Averages: 2 | Boxcar 1 -- EXTERNAL HARDWARE TRIGGER -- TIME NORMALIZED"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.children.clear();
        FakeView& view = addSpectrum(1, "W");
        view.record.microsecondFlag = c.microsecond;
        view.record.triggerMode = c.trigger;
        view.normalized = c.normalized;
        view.config.SetADCType(c.configAdc);
        view.hw.adcType = 255;
        driver().integrationTime = c.driverTime;
        frame.StartScan(1);
        EXPECT_EQ(window.status,
                  std::string("Now acquiring data for W | Integration Time: ") + c.suffix);
    }
}

TEST_F(MainFrameTest, HardwareChangePushesConfigurationUnlessAllZero)
{
    struct Case
    {
        const char* name;
        SpectrumScanView::Hardware hw;
        bool configEx;
        bool pushed;
    };
    const Case cases[] = {
        {"equal to the cache", {0, 255, 0, 0, 0, 0, 1}, false, false},
        {"PCI card id alone", {0, 255, 0, 0, 0, 3, 1}, true, true},
        {"all four zero", {0, 0, 0, 0, 0, 0, 1}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.children.clear();
        FakeView& view = addSpectrum(1, "W");
        view.config.SetADCType(255);
        view.hw = c.hw;
        driver().calls.clear();
        frame.StartScan(1);
        // The frame's own VYK_ConfigEx comes before the configuration's push.
        const bool sawConfigEx =
            !driver().calls.empty() && driver().calls.front().rfind("ConfigEx", 0) == 0;
        EXPECT_EQ(sawConfigEx, c.configEx);
        EXPECT_EQ(driver().calls.size() > 6, c.pushed);
        // Whatever was pushed, the cache now holds the configuration's values again.
        frame.StartScan(1);
    }
}

TEST_F(MainFrameTest, ZeroIntegrationIsSentAs100AndGoneNotifyWindowGetsNoScan)
{
    FakeView& view = addSpectrum(1, "W");
    view.record.integration = 0;
    frame.StartScan(1);
    EXPECT_EQ(view.record.integration, 100);
    view.record.window = 5; // no longer a window
    driver().calls.clear();
    frame.StartScan(1);
    EXPECT_TRUE(driver().calls.empty());
}

TEST_F(MainFrameTest, StartScanForWindowComparesTheWholeTitle)
{
    addSpectrum(1, "A | Next Save Filename: x");
    addSpectrum(2, "B");
    EXPECT_FALSE(frame.StartScanForWindow("A"));
    EXPECT_TRUE(frame.StartScanForWindow("A | Next Save Filename: x"));
    EXPECT_EQ(frame.GetAcquisitionSuspended(), 2);
    EXPECT_FALSE(frame.scanPending());
    window.throwOnTitle = 1;
    EXPECT_TRUE(frame.StartScanForWindow("B")); // the failing frame is passed over
}

TEST_F(MainFrameTest, GlobalCommandsAndSnapshotToggle)
{
    frame.OnGlobalDark();
    frame.OnGlobalReference();
    frame.OnGlobalSnapshot();
    EXPECT_TRUE(frame.snapshotOn());
    frame.OnGlobalSnapshot();
    EXPECT_FALSE(frame.snapshotOn());
    frame.OnGlobalEmergencyReset();
    using Sent = std::vector<std::pair<uintptr_t, intptr_t>>;
    EXPECT_EQ(window.commands, (Sent{{0, 0}, {1, 0}, {2, 1}, {2, 0}, {3, 0}}));
}

TEST_F(MainFrameTest, VerifyCommandCases)
{
    using namespace app::res;
    EXPECT_EQ(frame.VerifyCommand(mvWindowCascade), 1); // no engine

    FakeScript script;
    script.frame = &frame;
    frame.setScriptHost(&script);
    struct Case
    {
        const char* name;
        bool defines;
        bool throws;
        bool reenter;
        std::optional<int32_t> answer;
        int32_t expected;
    };
    const Case cases[] = {
        {"no VerifyMenu", false, false, false, 0, 1},
        {"forbids", true, false, false, 0, 0},
        {"empty result forbids", true, false, false, std::nullopt, 0},
        {"allows", true, false, false, 7, 7},
        {"exception allows", true, true, false, 0, 1},
        {"re-entry allowed", true, false, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script.defines = c.defines;
        script.throws = c.throws;
        script.reenter = c.reenter;
        script.answer = c.answer;
        script.nested = -1;
        EXPECT_EQ(frame.VerifyCommand(mvHelpContents), c.expected);
        if (c.reenter) {
            EXPECT_EQ(script.nested, 1);
        }
    }
    EXPECT_EQ(script.errors.size(), 1u);
    // After the exception the busy flag is clear again.
    script.throws = false;
    script.reenter = false;
    script.answer = 0;
    EXPECT_EQ(frame.VerifyCommand(mvHelpIndex), 0);

    // A forbidden Kick Start does nothing.
    addSpectrum(1, "A");
    frame.OnKickStart();
    EXPECT_TRUE(window.scanned.empty());
    frame.setScriptHost(nullptr);
}

TEST_F(MainFrameTest, TimersCloseRetryAndScriptTimersFireOnce)
{
    frame.OnTimer(999);
    EXPECT_EQ(window.closesPosted, 1);
    frame.OnTimer(1005);
    frame.OnTimer(1000);
    frame.OnTimer(9999);
    frame.OnTimer(998);
    frame.OnTimer(10000);
    EXPECT_EQ(window.ticks, (std::vector<int16_t>{5, 0, 8999}));
    EXPECT_EQ(window.killed, (std::vector<unsigned>{999, 1005, 1000, 9999}));
    frame.OnUserMenu(47000);
    EXPECT_EQ(window.userMenus, (std::vector<int32_t>{47000}));
}

TEST_F(MainFrameTest, CloseWaitsForARunningScriptThenShutsTheHardwareDown)
{
    FakeScript script;
    script.defines = false;
    script.running = true;
    frame.setScriptHost(&script);
    FakeView& view = addSpectrum(1, "A");
    EXPECT_FALSE(frame.OnClose());
    EXPECT_TRUE(view.closing);
    EXPECT_EQ(window.timers[999], 500u);
    EXPECT_FALSE(script.running);
    EXPECT_TRUE(driver().calls.empty());
    frame.setScriptHost(nullptr);

    struct Case
    {
        const char* name;
        uint16_t spectrometer;
        uint16_t adc;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"none", 0, 255, {"UnRegister(16384)"}},
        {"Ulmar", 0x700, 14, {"UnRegister(16384)", "Ulmar_SetTECEnable(0)"}},
        {"Wessor",
         0x400,
         11,
         {"USB_ResetAllPipes", "UnRegister(16384)", "Xandel_EnableCooler(0)",
          "Xandel_EnableFan(0)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMainFrame other(window, driver(), 0x4000);
        driver().spectrometerType = c.spectrometer;
        driver().adcType = c.adc;
        other.initDriverCache();
        driver().calls.clear();
        EXPECT_TRUE(other.OnClose());
        EXPECT_EQ(driver().calls, c.calls);
    }
}

} // namespace

namespace {

TEST(MainFrameSettingsTest, AutoRunAndActiveConfigurationComeFromTheStore)
{
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Scripting\\AutoRunScript", "Enabled", "1");
        store.WriteString("Scripting\\AutoRunScript", "Encrypted", "1");
        store.WriteString("Configuration", "ActiveConfiguration", "Morvel");
        store.WriteString("Configuration\\Morvel\\Parameters", "LowerIntegrationTimeLimit", "4");
    }
    FakeWindow window;
    RecordingDriver driver;
    {
        CMainFrame frame(window, driver, 1);
        EXPECT_EQ(frame.autoRunScript().enabled, 1u);
        EXPECT_EQ(frame.autoRunScript().filename, "XXX");
        EXPECT_EQ(frame.autoRunScript().encrypted, 1u);
        EXPECT_EQ(frame.activeConfiguration().GetLowerIntegrationTimeLimit(), 4);
        frame.activeConfiguration().SetLastDarkFilename("/d/dark.spec");

        frame.autoRunScript().enabled = 0;
        frame.autoRunScript().filename = "/s/run.bas";
        ASSERT_TRUE(frame.OnClose());
        CINIFileSupport store(nullptr, 1);
        EXPECT_EQ(store.GetStringDefault("Scripting\\AutoRunScript", "Enabled", "?"), "0");
        EXPECT_EQ(store.GetStringDefault("Scripting\\AutoRunScript", "Filename", "?"),
                  "/s/run.bas");

        // An empty name is not written.
        frame.autoRunScript().filename.clear();
        ASSERT_TRUE(frame.OnClose());
        EXPECT_EQ(store.GetStringDefault("Scripting\\AutoRunScript", "Filename", "?"),
                  "/s/run.bas");
    }
    // The active configuration's record is written back when the frame goes.
    CINIFileSupport store(nullptr, 1);
    EXPECT_EQ(store.GetStringDefault("Configuration\\Morvel\\Parameters", "LastDarkFilename", "?"),
              "/d/dark.spec");
}

} // namespace
