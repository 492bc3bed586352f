// The program with the real driver library and a simulated USB spectrometer (a Pavik): the
// library's libusb calls land in this program's fake libusb (the functions below take
// precedence over the system library's for every module of the process), which has the
// simulator behind it. From the device to the spectrum window's processed arrays, through an
// unplug and a replug.
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "sim/usb/SimulatedBrontelUsb.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"
#include "tests/app/qt/FakeLibusbExports.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/platform/usb/FakeLibusb.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

using platform::usb::test::FakeLibusb;
using sim::usb::SimulatedUsbSpectrometer;

namespace {

constexpr int kPixels = 2048;
// A value no scan gives: a window that shows it has had no scan since it was put there.
constexpr double kNoScan = -7.0;

class HarluneUsbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeLibusb::instance().reset();
        FakeLibusb::instance().add({1, {1}, device, false, false});
        // The device's stored wavelength calibration: 400 nm + 0.5 nm per pixel.
        const char* texts[] = {"PV00042", "4.000000e+02", "5.000000e-01", "0", "0"};
        for (int slot = 0; slot < 5; ++slot)
            device->setInfoSlot(slot, texts[slot]);

        const char* dir = std::getenv("HARLUNE_TEST_DIR");
        const std::string spec = std::string(dir ? dir : ".") + "/Pavik.spec";
        std::FILE* file = std::fopen(spec.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=Pavik\r\n"
                   "USBSerialNumber=PV00042\r\nInitialized=1\r\n",
                   file);
        std::fclose(file);
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
        store.WriteInt("DefaultAcquisitionParameters", "IntegrationTime", 3);
    }

    SpectrumViewWidget* view()
    {
        platform::framework::ChildFrame* frame = app.mainFrameWidget()->MDIGetActive();
        return frame ? dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView()) : nullptr;
    }
    const ChannelSpectra& spectra() { return view()->core().document().spectra(); }
    // Waits until a scan that `accept` takes has been processed.
    bool nextScan(const std::function<bool(double)>& accept)
    {
        double& marked = view()->core().document().spectra().processed[0][1000];
        marked = kNoScan;
        return runUntil([&] { return marked != kNoScan && accept(marked); });
    }
    bool command(unsigned id) { return view()->GetParentFrame()->executeCommand(id); }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    std::shared_ptr<SimulatedUsbSpectrometer> device =
        std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00042"));
    std::vector<std::string> reports;
    DriverLibrary library{"libVYKDRV32.so",
                          [this](const std::string& message) { reports.push_back(message); }};
    CHarluneApp app{library};
};

TEST_F(HarluneUsbTest, TheDevicesSpectraReachTheWindowThroughUnplugAndReplug)
{
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_NE(view(), nullptr);
    const auto pattern = [](int i) {
        return static_cast<double>(SimulatedUsbSpectrometer::patternPixel(i));
    };

    // Scope mode shows the device's counts as they are.
    ASSERT_TRUE(nextScan([&](double v) { return v == pattern(1000); }))
        << (reports.empty() ? "" : reports[0]);
    for (int i = 0; i < kPixels; ++i)
        ASSERT_EQ(spectra().processed[0][i], pattern(i)) << "pixel " << i;
    EXPECT_EQ(device->integrationMs(), 3);
    EXPECT_FALSE(view()->core().coefficientsLoaded());

    // Unplugged, scans go on and complete with zeros (0x4C8 reports the data invalid); the
    // window takes them as a dark.
    device->unplug();
    ASSERT_TRUE(nextScan([](double v) { return v == 0.0; }));
    ASSERT_TRUE(nextScan([](double v) { return v == 0.0; }));
    for (int i = 0; i < kPixels; ++i)
        ASSERT_EQ(spectra().processed[0][i], 0.0) << "pixel " << i;
    EXPECT_FALSE(view()->core().coefficientsLoaded());
    EXPECT_TRUE(command(32816)); // Store Dark

    // Replugged, the driver opens the device again, its scans carry data and 0x4C8 says so:
    // the window reads the device's wavelength calibration then.
    device->replug();
    ASSERT_TRUE(nextScan([&](double v) { return v == pattern(1000); }));
    ASSERT_TRUE(runUntil([&] { return view()->core().coefficientsLoaded(); }));
    EXPECT_DOUBLE_EQ(spectra().wavelengths[0][10], 405.0);
    EXPECT_DOUBLE_EQ(view()->core().displayStartNm(), 400.0);
    EXPECT_DOUBLE_EQ(view()->core().displayEndNm(), 400.0 + 0.5 * (kPixels - 1));
    EXPECT_TRUE(command(32817)); // Store Reference

    // A smoothed sample against the plain reference and the dark of zeros: absorbance is
    // log10(R / S) wherever both are positive, 0 elsewhere.
    view()->core().record().boxcarHalfWidth = 5;
    ASSERT_TRUE(nextScan([](double) { return true; }));
    EXPECT_TRUE(command(32796)); // Absorbance Mode
    ASSERT_EQ(view()->core().processingMode(), Absorbance);
    ASSERT_TRUE(nextScan([](double) { return true; }));
    const ChannelSpectra& s = spectra();
    int ratios = 0;
    for (int i = 0; i < kPixels; ++i) {
        ASSERT_EQ(s.dark[0][i], 0.0);
        ASSERT_EQ(s.reference[0][i], pattern(i));
        const double r = pattern(i);
        const double sample = s.sample[0][i];
        const double expected = (sample <= 0.0 || r <= 0.0) ? 0.0 : std::log10(r / sample);
        ASSERT_NEAR(s.processed[0][i], expected, 1e-9) << "pixel " << i;
        ratios += std::abs(expected) > 1e-3 ? 1 : 0;
    }
    EXPECT_GT(ratios, 10); // the smoothing bends the pattern's steps
    EXPECT_TRUE(reports.empty()) << reports.front();
    EXPECT_TRUE(ui.messageBoxes().empty());
}

// The Norrel unit's boxes on a Pavik window's bar go through the view's forwarders and the
// library's exports to the device, which keeps the lamps in its pots (0 on, 63 off) and the
// shutter in its lamp output (2 open, 0 closed); the bar's refresh reads the lamps back.
TEST_F(HarluneUsbTest, NorrelLampAndShutterBoxesReachTheDevice)
{
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_NE(view(), nullptr);
    ASSERT_TRUE(nextScan([](double) { return true; }));
    auto* frame = dynamic_cast<CChildFrameSpectrum*>(view()->GetParentFrame());
    ASSERT_NE(frame, nullptr);
    const auto box = [&](unsigned id) {
        return platform::framework::findControl<QAbstractButton>(frame->barHost(), id);
    };
    for (unsigned id : {1584u, 1585u, 1586u})
        ASSERT_NE(box(id), nullptr) << id;
    const auto click = [&](unsigned id, bool checked) {
        if (box(id)->isChecked() == checked)
            box(id)->click();
        box(id)->click();
        ASSERT_EQ(box(id)->isChecked(), checked);
    };

    click(1585, false); // "Lamp On"
    EXPECT_EQ(device->pots()[3], 63);
    click(1585, true);
    EXPECT_EQ(device->pots()[3], 0);
    click(1584, false); // "Vis. Lamp On"
    EXPECT_EQ(device->pots()[2], 63);
    click(1586, true); // "Shutter Open"
    EXPECT_EQ(device->lampOutput(), 2);
    click(1586, false);
    EXPECT_EQ(device->lampOutput(), 0);

    // The refresh shows what the device keeps.
    box(1584)->setChecked(true);
    box(1585)->setChecked(false);
    view()->core().UpdateAcquisitionBar();
    view()->core().UpdateAcquisitionBar();
    EXPECT_FALSE(box(1584)->isChecked());
    EXPECT_TRUE(box(1585)->isChecked());
    EXPECT_TRUE(reports.empty()) << reports.front();
}

// A BrontelUSB window's analog output: the forwarder's write reaches the converter's DAC, and
// the export's result comes back unchanged.
TEST(HarluneBrontelUsbTest, DacWriteReachesTheConverter)
{
    auto device =
        std::make_shared<sim::usb::SimulatedBrontelUsb>(sim::usb::brontelUsbIdentity("BU0001"));
    FakeLibusb::instance().reset();
    FakeLibusb::instance().add({1, {1}, device, false, false});
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    const std::string spec = std::string(dir ? dir : ".") + "/BrontelUSB.spec";
    std::FILE* file = std::fopen(spec.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=BrontelUSB\r\n"
               "USBSerialNumber=BU0001\r\nInitialized=1\r\n",
               file);
    std::fclose(file);
    CINIFileSupport store(nullptr, 1);
    store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    store.WriteInt("DefaultAcquisitionParameters", "IntegrationTime", 3);

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    std::vector<std::string> reports;
    DriverLibrary library{"libVYKDRV32.so",
                          [&reports](const std::string& message) { reports.push_back(message); }};
    CHarluneApp app{library};
    ASSERT_TRUE(app.InitInstance({}));
    platform::framework::ChildFrame* frame = app.mainFrameWidget()->MDIGetActive();
    auto* window = frame ? dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView()) : nullptr;
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(runUntil([&] { return device->spectrumRequests() > 0; }));

    EXPECT_EQ(window->core().CallBrontelUSBDACWriteValue(2, 1234), 1);
    EXPECT_EQ(device->dacValue(2), 1234);
    EXPECT_TRUE(reports.empty()) << reports.front();
}

// The library unloads cleanly after it used the device: its USB connection is closed at the
// unload before what the connection uses is freed, and a new load starts afresh.
TEST(HarluneUsbLibrary, UnloadsAfterUsingTheDevice)
{
    auto device = std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00042"));
    FakeLibusb::instance().reset();
    FakeLibusb::instance().add({1, {1}, device, false, false});
    for (int load = 0; load < 3; ++load) {
        SCOPED_TRACE(load);
        DriverLibrary library("libVYKDRV32.so", [](const std::string&) {});
        EXPECT_EQ(library.VYK_ConfigEx(0x200, VYK_ADC_PAVIK, 0, 0, 0, 0), 0);
        EXPECT_EQ(library.Pavik_GetFirmwareVersion(), "Pavik 2.50.1");
    }
    EXPECT_EQ(FakeLibusb::instance().openHandles(), 0);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
