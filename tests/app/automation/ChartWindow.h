#pragma once

// One spectrum window for the chart automation tests: the view core with its fakes, listed as
// the fake main frame's only child, its chart the size of the window's client area, and every
// call on that chart recorded.
#include "FakeAutomationFrame.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/chart/Xrt.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace chart_test {

using namespace platform::chart;
using namespace app::spectrum::test;

inline constexpr uint32_t kFrame = 41;
inline constexpr uint16_t kIstrel = 0x200; // 2048 pixels
inline constexpr uint16_t kJolvar = 0x600; // 3648 pixels

// Every set call on one chart, in order.
struct ChartRecorder : XrtChartObserver
{
    void chartCall(const XrtCall& call) override { calls.push_back(call); }
    std::vector<XrtCall> calls;
};

inline XrtCall chartSet(int id, XrtValue value)
{
    return {XrtCall::Kind::ChartValue, 0, id, std::move(value)};
}

// One spectrum window: the view core with its fakes, listed as the main frame's only child,
// its chart the size of the window's client area and recorded.
struct Window
{
    // frameWindow: the main frame's window to list the window in (a fake of the test's own).
    explicit Window(
        uint16_t spectrometerType = kIstrel,
        std::unique_ptr<FakeAutomationFrame> frameWindow = std::make_unique<FakeAutomationFrame>())
        : ownFrame(std::move(frameWindow)), frame(*ownFrame)
    {
        CINIFileSupport store(nullptr, 1);
        const std::string path = freshFolder("config").string() + "/window.spec";
        store.WriteString("Preferences", "DefaultSpectrometer", path.c_str());
        document = std::make_unique<CHarluneSpectrumDoc>(viewFrame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, viewFrame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetSpectrometerType(spectrometerType);
        c.SetADCType(255);
        const float coefs[4] = {400.0f, 0.1f, 0.0f, 0.0f};
        for (int k = 0; k < 8; ++k) {
            c.SetChannelEnabled(k, k < 2 ? 1 : 0);
            c.SetWavelengthCoefs(k, coefs);
        }
        view->OnCreate();
        EXPECT_TRUE(view->Create());
        view->OnShowWindow();
        xrtChart(view->chart())->setSizePx(window.clientSize[0], window.clientSize[1]);
        frame.add(kFrame, MainFrameWindow::ChildKind::Spectrum, "Spectrum 1");
        frame.active = kFrame;
        frame.spectrumViews[kFrame] = view.get();
        xrtChart(view->chart())->setObserver(&recorder);
    }
    ~Window()
    {
        if (XrtChart* chart = xrtChart(view->chart()))
            chart->setObserver(nullptr);
        frame.spectrumViews.clear();
    }

    ChannelSpectra& spectra() { return document->spectra(); }
    OverlaySlots& overlays() { return document->overlays(); }
    XrtChart& chart() { return *xrtChart(view->chart()); }
    std::vector<XrtCall> takeCalls() { return std::exchange(recorder.calls, {}); }

    std::unique_ptr<FakeAutomationFrame> ownFrame;
    FakeAutomationFrame& frame;
    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame viewFrame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
    ChartRecorder recorder;
};

} // namespace chart_test
