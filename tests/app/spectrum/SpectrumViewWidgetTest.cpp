// The spectrum window's widget offscreen: driver messages sent to its window handle reach the
// view, keys reach it as virtual-key codes, the chart fills the widget, and a burst of scans
// repaints the chart at most once per display frame.
#include "app/spectrum/qt/SpectrumViewWidget.h"

#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "platform/chart/Xrt.h"
#include "platform/win/Messages.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace app::spectrum::test;
using platform::chart::kXrtXMax;
using platform::chart::kXrtXMin;
using platform::chart::XrtGetValue;

namespace {

struct WidgetWindow
{
    WidgetWindow()
    {
        CINIFileSupport(nullptr, 1)
            .WriteString("Preferences", "DefaultSpectrometer",
                         (freshFolder("widget").string() + "/widget.spec").c_str());
        document = std::make_unique<CHarluneSpectrumDoc>(frame);
        widget = std::make_unique<SpectrumViewWidget>(SpectrumViewServices{frame, driver, host},
                                                      *document);
        widget->resize(640, 480);
        widget->show();
    }
    FakeConfigurationHost host;
    FakeViewFrame frame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<SpectrumViewWidget> widget;
};

TEST(SpectrumViewWidget, DriverMessagesAndKeysReachTheView)
{
    WidgetWindow w;
    const auto handle = static_cast<platform::win::HWND>(w.widget->GetSafeHwnd());
    ASSERT_NE(handle, 0u);
    // Outside a spectrum child frame the view does not register with the driver.
    EXPECT_EQ(w.driver.count("Register"), 0);

    std::fill(std::begin(w.document->rawScanBuffer(0).values),
              std::end(w.document->rawScanBuffer(0).values), 123.0f);
    platform::win::SendMessage(handle, 0x465, 0, 0);
    platform::win::SendMessage(handle, 0x465, 12, 0); // not a channel: ignored
    EXPECT_EQ(w.frame.newSpectra.size(), 1u);
    EXPECT_DOUBLE_EQ(w.document->spectra().processed[0][10], 123.0);

    w.widget->core().setPanZoomSteps(0.1, 0.1);
    const double xMin = XrtGetValue(w.widget->core().chart(), kXrtXMin).toDouble();
    const double xMax = XrtGetValue(w.widget->core().chart(), kXrtXMax).toDouble();
    QTest::keyClick(w.widget.get(), Qt::Key_J);
    EXPECT_NEAR(XrtGetValue(w.widget->core().chart(), kXrtXMin).toDouble(),
                xMin + (xMax - xMin) * 0.1, 1e-9);
    QTest::keyClick(w.widget.get(), Qt::Key_R);
    EXPECT_NEAR(XrtGetValue(w.widget->core().chart(), kXrtXMin).toDouble(), xMin, 1e-9);

    EXPECT_EQ(w.widget->chartWindow().geometry(), QRect(0, 0, 640, 480));
}

TEST(SpectrumViewWidget, ABurstOfScansRepaintsOncePerFrame)
{
    WidgetWindow w;
    const auto handle = static_cast<platform::win::HWND>(w.widget->GetSafeHwnd());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.widget.get()));
    QApplication::processEvents();
    const auto paintsBefore = w.widget->chartWindow().paintCount();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 500; ++i)
        platform::win::SendMessage(handle, 0x465, 0, 0);
    const qint64 scansMs = clock.elapsed();
    // The scans never waited for a paint; the repaint follows within a frame or so.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return w.widget->chartWindow().paintCount() > paintsBefore; }, 2000));
    const qint64 totalMs = clock.elapsed();
    const auto paints = w.widget->chartWindow().paintCount() - paintsBefore;
    EXPECT_LE(paints, static_cast<uint64_t>(totalMs / 16 + 2));
    EXPECT_LT(scansMs, totalMs + 1);
    EXPECT_EQ(w.frame.newSpectra.size(), 500u);
}

TEST(SpectrumViewWidget, ATemplateViewMakesItsCoreAtTheFirstUpdate)
{
    CINIFileSupport(nullptr, 1)
        .WriteString("Preferences", "DefaultSpectrometer",
                     (freshFolder("deferred").string() + "/deferred.spec").c_str());
    FakeConfigurationHost host;
    FakeViewFrame frame;
    FakeViewDriver driver;
    CHarluneSpectrumDoc document(frame);
    SpectrumViewWidget widget(SpectrumViewServices{frame, driver, host},
                              [&](platform::framework::Document*) { return &document; });
    EXPECT_FALSE(widget.isReady());
    // Messages before the first update find no core and are left alone.
    bool handled = false;
    widget.OnWindowMessage(0x465, 0, 0, handled);
    EXPECT_FALSE(handled);

    widget.OnInitialUpdate();
    ASSERT_TRUE(widget.isReady());
    EXPECT_EQ(frame.nextScans, 1);
    SpectrumScanView& scanView = widget;
    EXPECT_EQ(scanView.registrationRecord().channelEnables[0], 1);
    EXPECT_EQ(scanView.hardware().spectrometerType, widget.configuration().GetSpectrometerType());
    EXPECT_FALSE(scanView.timeNormalized());
}

} // namespace
