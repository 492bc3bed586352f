// GetCoefficientsFromDevice on the program with the real driver library and a simulated USB
// spectrometer (a Pavik) behind the library's libusb calls: the window's configuration holds
// the device's calibration when the call returns, also when the window had loaded it before.
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Variant.h"
#include "platform/framework/ChildFrame.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"
#include "tests/app/qt/FakeLibusbExports.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/platform/usb/FakeLibusb.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using platform::usb::test::FakeLibusb;
using sim::usb::SimulatedUsbSpectrometer;
using namespace platform::automation;

namespace {

// A value no scan gives: a window that shows it has had no scan since it was put there.
constexpr double kNoScan = -7.0;

class SpectrometerConfigurationUsbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeLibusb::instance().reset();
        FakeLibusb::instance().add({1, {1}, device, false, false});
        calibrate("4.000000e+02", "5.000000e-01");
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

    // The device's stored wavelength calibration: intercept and first coefficient.
    void calibrate(const char* intercept, const char* first)
    {
        const char* texts[] = {"PV00042", intercept, first, "0", "0"};
        for (int slot = 0; slot < 5; ++slot)
            device->setInfoSlot(slot, texts[slot]);
    }
    CHarluneSpectrumView* view()
    {
        platform::framework::ChildFrame* frame = app.mainFrameWidget()->MDIGetActive();
        auto* widget = frame ? dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView()) : nullptr;
        return widget ? &widget->core() : nullptr;
    }
    // Waits until the window has processed a scan.
    bool nextScan()
    {
        double& marked = view()->document().spectra().processed[0][1000];
        marked = kNoScan;
        return runUntil([&] { return marked != kNoScan; });
    }
    bool getCoefficientsFromDevice(IDispatch& object)
    {
        DISPID dispid = 0;
        EXPECT_EQ(object.GetIDsOfNames("GetCoefficientsFromDevice", dispid), S_OK);
        Variant result;
        EXPECT_EQ(object.Invoke(dispid, DISPATCH_METHOD, {}, &result, nullptr), S_OK);
        return result.toBool().value;
    }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    std::shared_ptr<SimulatedUsbSpectrometer> device =
        std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00042"));
    DriverLibrary library{"libVYKDRV32.so", [](const std::string&) {}};
    CHarluneApp app{library};
};

TEST_F(SpectrometerConfigurationUsbTest, TheWindowHoldsTheDevicesCoefficientsOnReturn)
{
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_NE(view(), nullptr);

    DispatchPtr wavelength;
    ASSERT_EQ(ClassRegistry::instance().CreateInstance("Harlune.SpecSpecWavelength", wavelength),
              S_OK);
    struct Step
    {
        const char* intercept;
        const char* first;
        float expectedIntercept;
        float expectedFirst;
    };
    // The second step finds the flag set by the first: the call clears it.
    const Step steps[] = {{"4.100000e+02", "2.500000e-01", 410.0f, 0.25f},
                          {"4.200000e+02", "1.250000e-01", 420.0f, 0.125f}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.intercept);
        // The device is open once the window has had a scan (a configuration push, as the
        // load's auto-apply makes, has the driver open it again at the next scan).
        ASSERT_TRUE(nextScan());
        calibrate(step.intercept, step.first);
        EXPECT_TRUE(getCoefficientsFromDevice(*wavelength));
        float coefficients[4] = {};
        view()->configuration().GetWavelengthCoefs(0, coefficients);
        EXPECT_EQ(coefficients[0], step.expectedIntercept);
        EXPECT_EQ(coefficients[1], step.expectedFirst);
        EXPECT_TRUE(view()->coefficientsLoaded());
        EXPECT_DOUBLE_EQ(view()->document().spectra().wavelengths[0][10],
                         step.expectedIntercept + 10.0 * step.expectedFirst);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
