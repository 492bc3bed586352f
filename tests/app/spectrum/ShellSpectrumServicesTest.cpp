// The spectrum view's adapters to the program: the main frame's active configuration,
// preferences and script events, and the driver calls that the binder's interface does not
// carry, looked up in the bound library (or answering 0 on another binder).
#include "app/spectrum/qt/ShellSpectrumServices.h"

#include "app/qt/MainFrameWidget.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/INIFileSupport.h"
#include "tests/app/shell/ShellFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(ShellSpectrumServices, TheMainFramesConfigurationPreferencesAndEvents)
{
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Configuration", "ActiveConfiguration", "Morvel");
        store.WriteString("Configuration\\Morvel\\Parameters", "InGatedMode", "1");
    }
    RecordingDriver driver;
    MainFrameWidget frame(driver, 7);
    MainFrameViewFrame viewFrame(frame.core(), frame, &frame.allPreferences());
    EXPECT_EQ(viewFrame.activeConfigurationFamily(), "Morvel");
    EXPECT_EQ(viewFrame.activeConfigurationGatedMode(), 1);
    EXPECT_EQ(viewFrame.instanceKey(), 7u);

    // The view reads the main frame's preferences, and its answer to the saturation warning
    // goes back into them.
    MainFramePreferences& preferences = frame.allPreferences();
    preferences.ScopeModeSaturatedWarning = 1;
    preferences.StoreDarkReference = 1;
    preferences.sounds[6] = "dark.wav";
    SpectrumViewPreferences& seen = viewFrame.viewPreferences();
    EXPECT_EQ(seen.ScopeModeSaturatedWarning, 1);
    EXPECT_EQ(seen.StoreDarkReference, 1);
    EXPECT_EQ(seen.StoreDarkSound, "dark.wav");
    seen.ScopeModeSaturatedWarning = 0;
    viewFrame.clearScanPending();
    EXPECT_EQ(preferences.ScopeModeSaturatedWarning, 0u);
    preferences.ScopeModeSaturatedWarning = 2; // the settings dialog changed it since
    EXPECT_EQ(viewFrame.viewPreferences().ScopeModeSaturatedWarning, 2);

    // Script events go where they are sent; unset, nowhere.
    viewFrame.fireNewSpectraReady("Spectrum1", 9);
    std::vector<std::pair<std::string, int>> spectra;
    std::vector<std::pair<std::string, double>> times;
    viewFrame.setScriptEvents(
        [&](const std::string& name, int16_t mask) { spectra.emplace_back(name, mask); },
        [&](const std::string& name, double stamp) { times.emplace_back(name, stamp); });
    viewFrame.fireNewSpectraReady("Spectrum1", 9);
    viewFrame.fireTimeAcquisition("Spectrum2", 1.5);
    EXPECT_EQ(spectra, (std::vector<std::pair<std::string, int>>{{"Spectrum1", 9}}));
    EXPECT_EQ(times, (std::vector<std::pair<std::string, double>>{{"Spectrum2", 1.5}}));
    viewFrame.fireSpectrometerConfigChanged("Spectrum1"); // no callback: nowhere
    std::vector<std::string> configChanged;
    viewFrame.setScriptEvents(nullptr, nullptr,
                              [&](const std::string& name) { configChanged.push_back(name); });
    viewFrame.fireSpectrometerConfigChanged("Spectrum3");
    EXPECT_EQ(configChanged, std::vector<std::string>{"Spectrum3"});
    viewFrame.fireKeystroke(0x41, 0, "Spectrum1"); // no callback: nowhere
    std::vector<std::string> keys;
    viewFrame.setScriptEvents(
        nullptr, nullptr, nullptr, [&](int32_t key, int32_t flags, const std::string& name) {
            keys.push_back(std::to_string(key) + " " + std::to_string(flags) + " " + name);
        });
    viewFrame.fireKeystroke(0x41, 0x4000, "Spectrum4");
    EXPECT_EQ(keys, std::vector<std::string>{"65 16384 Spectrum4"});

    // The printing and copying preferences come from the main frame's.
    preferences.PrintBWOnly = 0;
    preferences.CopyIncludeHeader = 0;
    preferences.CopyToolbarButtonFunction = 2;
    preferences.AlwaysSaveDisplaySettings = 0;
    const SpectrumViewPreferences& copied = viewFrame.viewPreferences();
    EXPECT_EQ(copied.PrintBWOnly, 0);
    EXPECT_EQ(copied.CopyIncludeHeader, 0);
    EXPECT_EQ(copied.CopyToolbarButtonFunction, 2);
    EXPECT_EQ(copied.AlwaysSaveDisplaySettings, 0);
}

TEST(ShellSpectrumServices, TheUsbScanStateReachesTheDriver)
{
    RecordingDriver driver;
    DriverApiViewDriver viewDriver(driver);
    viewDriver.VYK_SetLastUSBScanValid(0);
    EXPECT_NE(std::find(driver.calls.begin(), driver.calls.end(), "SetLastUSBScanValid(0)"),
              driver.calls.end());
}

TEST(ShellSpectrumServices, DriverCallsOutsideTheBindersInterface)
{
    // Another binder (a test's) has no library to look in: everything answers 0.
    RecordingDriver recording;
    DriverApiViewDriver onRecording(recording);
    DeviceCoefficients coefficients;
    EXPECT_EQ(onRecording.readCoefficients(VYK_ADC_PAVIK, coefficients), 0);
    EXPECT_EQ(onRecording.Pavik_IsPluginDetected(2), 0);
    EXPECT_EQ(onRecording.Ulmar_GetTECTemperature(), 0.0);

    // The real library without a device: the readers run and report nothing read; an A/D
    // type without a reader is not asked.
    std::vector<std::string> reports;
    DriverLibrary library("libVYKDRV32.so",
                          [&](const std::string& message) { reports.push_back(message); });
    DriverApiViewDriver onLibrary(library);
    coefficients.wavelength = {1.0f, 2.0f, 3.0f, 4.0f};
    EXPECT_EQ(onLibrary.readCoefficients(VYK_ADC_PAVIK, coefficients), 0);
    EXPECT_EQ(onLibrary.readCoefficients(VYK_ADC_NONE, coefficients), 0);
    EXPECT_EQ(coefficients.wavelength[0], 1.0f); // untouched when nothing was read
    EXPECT_EQ(onLibrary.Pavik_IsPluginDetected(2), 0);
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST(ShellSpectrumServices, AccessoryExportsWithoutADeviceAnswerTheirFailure)
{
    std::vector<std::string> reports;
    DriverLibrary library("libVYKDRV32.so",
                          [&](const std::string& message) { reports.push_back(message); });
    RecordingDriver recording;
    DriverApiViewDriver onLibrary(library);
    DriverApiViewDriver onRecording(recording);
    for (DriverApiViewDriver* driver : {&onLibrary, &onRecording}) {
        SCOPED_TRACE(driver == &onLibrary ? "library" : "other binder");
        EXPECT_EQ(driver->Pavik_SetMavrinDA(1000), 0);
        EXPECT_EQ(driver->BrontelUSB_DAC_WriteValue(0, 100), 0);
        EXPECT_EQ(driver->Pavik_Norrel_LampOn(1), 0);
        EXPECT_EQ(driver->Pavik_Norrel_SetVisLampOn(1), 0);
        EXPECT_EQ(driver->Pavik_Norrel_SetShutterOpened(1), 0);
        EXPECT_EQ(driver->Pavik_Norrel_StoreCurrentPotValues(), 0);
        EXPECT_EQ(driver->Pavik_Norrel_SetVisLampIntensity(20), 0);
        EXPECT_EQ(driver->Pavik_Norrel_SetUVLampIntensity(20), 0);
        EXPECT_EQ(driver->Pavik_Norrel_GetVisLampIntensity(), 0);
        EXPECT_EQ(driver->Pavik_Norrel_GetUVLampIntensity(), 0);
        EXPECT_EQ(driver->Pavik_Norrel_GetVisLampOn(), 0);
        EXPECT_EQ(driver->Pavik_Norrel_GetLampOn(), 0);
        EXPECT_EQ(driver->Xandel_EnableHighGain(1), 0);
    }
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST(ShellSpectrumServices, SingleExposureAndTheConfigurationsLowerLimit)
{
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteString("Configuration", "ActiveConfiguration", "Morvel");
    }
    RecordingDriver driver;
    MainFrameWidget frame(driver, 7);
    frame.core().activeConfiguration().SetLowerIntegrationTimeLimit(40);
    MainFrameViewFrame viewFrame(frame.core(), frame, &frame.allPreferences());
    EXPECT_EQ(viewFrame.activeConfigurationLowerIntegrationLimit(), 40);
    viewFrame.SuspendAndStartNextScan();
    EXPECT_EQ(frame.core().GetAcquisitionSuspended(), 1);
}

} // namespace
