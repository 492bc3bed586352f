// Spectrum views on the real driver library with its no-hardware set (an Istrel without
// A/D, which scans a synthetic ramp): the driver's messages reach each view through a
// message window, and a small round-robin starts one window's scan after another.
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "driver/include/vykdrv32.h"
#include "platform/chart/Xrt.h"
#include "platform/win/c/pwin.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

using namespace app::spectrum::test;

namespace {

constexpr uint32_t kInstanceKey = 4242;

// The view's driver calls on the linked library; the accessory families are not present in
// the no-hardware set and answer 0.
class LinkedDriver : public FakeViewDriver
{
public:
    int16_t VYK_Register(RegistrationRecord* r) override { return ::VYK_Register(r); }
    int16_t VYK_ParamSet(RegistrationRecord* r) override { return ::VYK_ParamSet(r); }
    int16_t VYK_BufferEmpty(uint32_t key, int16_t channel) override
    {
        ++buffersReturned;
        return ::VYK_BufferEmpty(key, channel);
    }
    int buffersReturned = 0;
};

struct Window;

// The main frame's part: one scan at a time, the windows in turn.
class RoundRobinFrame : public FakeViewFrame
{
public:
    uint32_t instanceKey() override { return kInstanceKey; }
    void StartNextScan() override;
    void clearScanPending() override { pending = false; }

    std::vector<Window*> windows;
    size_t next = 0;
    bool pending = false;
    // Buffers the driver must have had back before the scan counts as handled.
    int expectedReturns = 0;
    const int* buffersReturned = nullptr;
};

struct Window
{
    Window(RoundRobinFrame& frame, LinkedDriver& driver, std::array<int, 8> enabled) : frame(frame)
    {
        handle = pwin_CreateMessageWindow(&Window::handler, this, nullptr);
        window.handle = handle;
        document = std::make_unique<CHarluneSpectrumDoc>(frame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetScopeModeSaturationThreshold(1e9);
        const float coefs[4] = {400.0f, 0.1f, 0.0f, 0.0f};
        for (int k = 0; k < 8; ++k) {
            c.SetChannelEnabled(k, static_cast<uint16_t>(enabled[k]));
            c.SetWavelengthCoefs(k, coefs);
        }
        view->OnCreate();
        view->record().integration = 1;
        EXPECT_TRUE(view->Create());
        view->OnShowWindow();
        frame.windows.push_back(this);
    }
    ~Window()
    {
        close();
        pwin_DestroyWindow(handle);
    }
    void close()
    {
        if (!view)
            return;
        std::erase(frame.windows, this);
        view->OnDestroy();
        view.reset();
    }
    static PWIN_LRESULT handler(void* context, PWIN_HWND, PWIN_UINT message, PWIN_WPARAM wParam,
                                PWIN_LPARAM)
    {
        auto* self = static_cast<Window*>(context);
        if (message == VYK_MSG_BUFFER_FULL && self->view)
            return self->view->OnScanReady(static_cast<uint32_t>(wParam));
        return 0;
    }
    const SpectrumArray& processed(int ch) const { return document->spectra().processed[ch]; }

    RoundRobinFrame& frame;
    PWIN_HWND handle = 0;
    FakeConfigurationHost host;
    FakeViewWindow window;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
};

void RoundRobinFrame::StartNextScan()
{
    ++nextScans;
    if (windows.empty() || pending)
        return;
    Window* w = windows[next++ % windows.size()];
    if (w->view->snapshotState() == 1)
        return;
    pending = true;
    for (int k = 0; k < 8; ++k)
        expectedReturns += w->view->record().channelEnables[k] != 0 ? 1 : 0;
    ASSERT_EQ(::VYK_ParamSet(&w->view->record()), 0);
    ASSERT_EQ(::VYK_SingleScan(kInstanceKey), 0);
}

// Dispatches the driver's messages until done() or a deadline.
bool pumpUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        PWIN_MSG msg;
        if (pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE))
            pwin_DispatchMessage(&msg);
    }
    return true;
}

// Until every channel message of the running scan has been handled.
bool pumpScan(RoundRobinFrame& frame)
{
    return pumpUntil([&] { return *frame.buffersReturned >= frame.expectedReturns; });
}

// One scan of the next window in turn, delivered and handled.
bool scanOnce(RoundRobinFrame& frame)
{
    frame.StartNextScan();
    return pumpScan(frame);
}

class SpectrumViewAcquisition : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        CINIFileSupport store(nullptr, 1);
        const std::string path = freshFolder("config").string() + "/window.spec";
        store.WriteString("Preferences", "DefaultSpectrometer", path.c_str());
        ASSERT_EQ(::VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_NONE, 0, 0), 0);
    }
    void SetUp() override { frame.buffersReturned = &driver.buffersReturned; }
    void TearDown() override { ::VYK_UnRegister(kInstanceKey); }

    RoundRobinFrame frame;
    LinkedDriver driver;
};

// The synthetic ramp: pixel 0 is 0, pixel i lies between i and i + 50.
void expectRamp(const SpectrumArray& values)
{
    EXPECT_EQ(values[0], 0.0);
    for (int i : {1, 100, 1000, 2047}) {
        EXPECT_GE(values[i], i - 0.01);
        EXPECT_LE(values[i], i + 50.01);
    }
}

TEST_F(SpectrumViewAcquisition, SeveralWindowsShowLiveSpectra)
{
    Window a(frame, driver, {1, 0, 0, 0, 0, 0, 0, 0});
    Window b(frame, driver, {1, 0, 1, 0, 0, 0, 0, 0});
    Window c(frame, driver, {0, 1, 0, 0, 0, 0, 0, 0});
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(scanOnce(frame));
    EXPECT_EQ(a.frame.newSpectra.size(), 6u);
    expectRamp(a.processed(0));
    expectRamp(b.processed(0));
    expectRamp(b.processed(2));
    expectRamp(c.processed(1));
    EXPECT_EQ(c.processed(0)[100], 0.0); // not acquired
    EXPECT_EQ(driver.buffersReturned, 2 * (1 + 2 + 1));
}

TEST_F(SpectrumViewAcquisition, SnapshotFreezesAndResumes)
{
    Window a(frame, driver, {1, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(scanOnce(frame));
    a.view->OnSnapshot();
    const SpectrumArray frozen = a.processed(0);
    const size_t events = frame.newSpectra.size();
    // A scan already asked for is returned unread.
    frame.pending = true;
    frame.expectedReturns = driver.buffersReturned + 1;
    ASSERT_EQ(::VYK_SingleScan(kInstanceKey), 0);
    ASSERT_TRUE(pumpScan(frame));
    EXPECT_EQ(a.processed(0), frozen);
    EXPECT_EQ(frame.newSpectra.size(), events);

    a.view->OnSnapshot(); // live again: starts the next scan itself
    ASSERT_TRUE(pumpScan(frame));
    EXPECT_EQ(frame.newSpectra.size(), events + 1);
    expectRamp(a.processed(0));
}

TEST_F(SpectrumViewAcquisition, StoredDarkAndReferenceGiveAbsorbance)
{
    Window a(frame, driver, {1, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(scanOnce(frame));
    a.view->OnStoreDark();
    ASSERT_TRUE(scanOnce(frame));
    a.view->OnStoreReference();
    a.view->OnAbsorbanceMode();
    ASSERT_EQ(a.view->processingMode(), Absorbance);
    ASSERT_TRUE(scanOnce(frame));
    const ChannelSpectra& s = a.document->spectra();
    int checked = 0;
    for (int i = 0; i < 2048; ++i) {
        const double sample = s.sample[0][i] - s.dark[0][i];
        const double reference = s.reference[0][i] - s.dark[0][i];
        const double expected =
            (sample <= 0.0 || reference <= 0.0) ? 0.0 : std::log10(reference / sample);
        ASSERT_NEAR(s.processed[0][i], expected, 1e-12) << "pixel " << i;
        checked += expected != 0.0 ? 1 : 0;
    }
    EXPECT_GT(checked, 100); // the noise of the ramp gives real ratios
}

TEST_F(SpectrumViewAcquisition, ClosingAWindowLetsTheNextKeepScanning)
{
    Window a(frame, driver, {1, 0, 0, 0, 0, 0, 0, 0});
    Window b(frame, driver, {0, 0, 0, 1, 0, 0, 0, 0});
    ASSERT_TRUE(scanOnce(frame));
    ASSERT_TRUE(scanOnce(frame));
    const size_t before = frame.newSpectra.size();
    a.close(); // releases its channels and starts b's scan
    ASSERT_TRUE(pumpScan(frame));
    ASSERT_TRUE(scanOnce(frame));
    EXPECT_EQ(frame.newSpectra.size(), before + 2);
    for (const auto& event : std::vector(frame.newSpectra.begin() + before, frame.newSpectra.end()))
        EXPECT_EQ(event.second, 8); // channel 3 only: b's
    expectRamp(b.processed(3));
}

} // namespace
