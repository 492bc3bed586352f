// The spectrum view's accessory controls against a fake window, frame and driver: the bar
// refresh and its integration limits, Emergency Reset, Single Exposure, the features command,
// the accessories' forwarders and the Keystroke event.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/AcquisitionBar.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

using namespace app::spectrum::test;
using namespace app::res;

namespace {

constexpr uint16_t kGavrel = 0x000;
constexpr uint16_t kIstrelBT = 0x100;
constexpr uint16_t kAccessoriesIstrel = 0x200;
constexpr uint16_t kLemmik = 0x300;
constexpr uint16_t kWessor = 0x400;
constexpr uint16_t kVelko = 0x500;
constexpr uint16_t kJolvar = 0x600;
constexpr uint16_t kUlmar = 0x700;
constexpr uint16_t kPellarType = 0xFD00;
constexpr uint16_t kUnknownType = 0x800;

// Control ids the refresh writes.
constexpr int kIntegrationEdit = 1006;
constexpr int kIntegrationSpin = 1007;
constexpr int kAveragesEdit = 1009;
constexpr int kBoxcarEdit = 1012;
constexpr int kFlashDelayEdit = 1017;
constexpr int kStrobeEnable = 1019;
constexpr int kIntegrationLabel = 1304;
constexpr int kDegreeC = 1540;
constexpr int kDegreeF = 1541;
constexpr int kLedOn = 1542;
constexpr int kTecOn = 1576;
constexpr int kTecSetPoint = 1581;
constexpr int kNorrelVisLampOn = 1584;
constexpr int kNorrelLampOn = 1585;
constexpr int kNorrelShutter = 1586;
constexpr int kNorrelVisIntensity = 1588;
constexpr int kNorrelUvIntensity = 1589;
constexpr int kFirstUnitButton = 1596;

// One spectrum window of the given hardware, created, shown and with its bar refresh armed.
struct AccessoriesWindow
{
    AccessoriesWindow(uint16_t adcType, uint16_t spectrometerType = kAccessoriesIstrel)
    {
        CINIFileSupport store(nullptr, 1);
        const std::string path = freshFolder("config").string() + "/window.spec";
        store.WriteString("Preferences", "DefaultSpectrometer", path.c_str());
        store.WriteInt("Preferences", "TrevanDialogTimerInterval", 250);
        document = std::make_unique<CHarluneSpectrumDoc>(frame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetSpectrometerType(spectrometerType);
        c.SetADCType(adcType);
        c.SetChannelEnabled(0, 1);
        view->OnCreate();
        EXPECT_TRUE(view->Create());
        view->OnShowWindow();
        view->UpdateAcquisitionBar(); // the first refresh only arms the next
        window.clearBarWrites();
        driver.calls.clear();
    }

    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
};

TEST(SpectrumViewAccessories, RefreshTakesTheLimitsOfTheWindowsHardware)
{
    struct Case
    {
        const char* name;
        uint16_t adcType;
        uint16_t spectrometerType;
        bool microseconds;
        std::string configuration;
        uint16_t lowerLimit;
        // The stored time: ms without the flag, µs with it.
        int32_t stored;
        uint32_t minimum;
        uint32_t maximum;
        int32_t clamped;
        std::string text;
        std::optional<std::string> label;
    };
    const std::string integ = "Integ. Time";
    const std::string adcFreq = "ADC Freq. (kHz)";
    const Case cases[] = {
        {"Dovrin Istrel", 0, kAccessoriesIstrel, false, "", 0, 2, 5, 65000, 5, "5", integ},
        {"Dovrin other", 0, kGavrel, false, "", 0, 700, 1, 500, 500, "500", adcFreq},
        {"type 3 Istrel", 3, kAccessoriesIstrel, false, "", 0, 65100, 5, 65000, 65000, "65000",
         integ},
        {"type 3 other", 3, kIstrelBT, false, "", 0, 0, 1, 500, 1, "1", adcFreq},
        {"DAQ700 Istrel", 1, kAccessoriesIstrel, false, "", 0, 10, 20, 65000, 20, "20", integ},
        {"DAQ700 other", 1, kIstrelBT, false, "", 0, 150, 1, 100, 100, "100", adcFreq},
        {"Brontel Istrel", 2, kAccessoriesIstrel, false, "", 0, 1, 3, 65000, 3, "3", integ},
        {"Brontel other", 2, kWessor, false, "", 0, 1200, 1, 1000, 1000, "1000", integ},
        {"Pavik Lemmik", 4, kLemmik, false, "Morvel", 50, 20, 35, 65000, 35, "35", integ},
        {"Pavik Morvel", 4, kAccessoriesIstrel, false, "Morvel", 50, 20, 50, 65000, 50, "50",
         integ},
        {"Pavik other", 4, kAccessoriesIstrel, false, "Standard", 50, 2, 3, 65000, 3, "3", integ},
        {"BrontelUSB Lemmik", 7, kLemmik, false, "", 0, 36, 35, 65000, 36, "36", integ},
        {"BrontelUSB Morvel", 7, kAccessoriesIstrel, false, "Morvel", 0, 0, 0, 65000, 0, "0",
         integ},
        {"Pellar other", 253, kPellarType, false, "", 0, 65535, 3, 65000, 65000, "65000", integ},
        {"CadrelPCI Istrel", 6, kAccessoriesIstrel, false, "", 0, 1, 2, 65000, 2, "2", integ},
        {"CadrelPCI other", 6, kVelko, false, "", 0, 3000, 1, 2000, 2000, "2000", integ},
        {"FornicPC104", 10, kAccessoriesIstrel, false, "", 0, 1, 2, 65000, 2, "2", integ},
        {"Xandel", 11, kWessor, false, "", 0, 65300, 1, 65000, 65000, "65000", integ},
        {"Trevan usec", 12, kJolvar, true, "", 0, 700000, 10, 655000, 655000, "655000", integ},
        {"Trevan msec", 12, kJolvar, false, "", 0, 65535, 1, 65500, 65500, "65500", integ},
        {"Quarn usec", 16, kAccessoriesIstrel, true, "", 0, 5, 10, 655000, 10, "10", integ},
        {"Quarn msec", 16, kAccessoriesIstrel, false, "", 0, 0, 1, 65500, 1, "1", integ},
        {"SolviPlus usec", 13, kAccessoriesIstrel, true, "", 0, 500, 1000, 655000, 1000, "1000",
         integ},
        {"SolviPlus msec", 13, kAccessoriesIstrel, false, "", 0, 0, 1, 65500, 1, "1", integ},
        {"PavikPlus usec", 15, kAccessoriesIstrel, true, "", 0, 700000, 1000, 655000, 655000,
         "655000", integ},
        {"PavikPlus msec", 15, kAccessoriesIstrel, false, "", 0, 65501, 1, 65500, 65500, "65500",
         integ},
        {"UlmarADC usec", 14, kUlmar, true, "", 0, 2500000, 1000, 1600000, 1600000, "1600", integ},
        {"UlmarADC msec", 14, kUlmar, false, "", 0, 5, 8, 65500, 8, "8", integ},
        {"no A/D usec", 255, kAccessoriesIstrel, true, "", 0, 500, 1000, 1600000, 1000, "1000",
         integ},
        {"no A/D msec", 255, kUnknownType, false, "", 0, 7, 8, 65500, 8, "8", std::nullopt},
        {"type 5", 5, kAccessoriesIstrel, false, "", 0, 1, 3, 65000, 3, "3", integ},
        {"serial A/D", 8, kAccessoriesIstrel, false, "", 0, 65001, 3, 65000, 65000, "65000", integ},
        {"Solvi", 9, kAccessoriesIstrel, false, "", 0, 2, 3, 65000, 3, "3", integ},
        {"unknown A/D", 99, kAccessoriesIstrel, false, "", 0, 2, 3, 65000, 3, "3", integ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AccessoriesWindow w(c.adcType, c.spectrometerType);
        w.frame.family = c.configuration;
        w.frame.lowerLimit = c.lowerLimit;
        RegistrationRecord& r = w.view->record();
        r.microsecondFlag = c.microseconds ? 1 : 0;
        const int32_t otherUs = r.microsecondIntegrationTime;
        const uint16_t otherMs = r.integration;
        if (c.microseconds)
            r.microsecondIntegrationTime = c.stored;
        else
            r.integration = static_cast<uint16_t>(c.stored);
        w.view->UpdateAcquisitionBar();

        EXPECT_EQ(w.view->integrationMinimum(), c.minimum);
        EXPECT_EQ(w.view->integrationMaximum(), c.maximum);
        if (c.microseconds) {
            EXPECT_EQ(r.microsecondIntegrationTime, c.clamped);
            EXPECT_EQ(r.integration, otherMs) << "only the time in use is clamped";
        } else {
            EXPECT_EQ(r.integration, c.clamped);
            EXPECT_EQ(r.microsecondIntegrationTime, otherUs) << "only the time in use is clamped";
        }
        EXPECT_EQ(w.window.lastText(kIntegrationEdit), c.text);
        EXPECT_EQ(w.window.lastText(kIntegrationLabel), c.label);
        EXPECT_EQ(w.window.lastText(kFirstUnitButton), c.adcType == 14 ? "sec" : "usec");
        ASSERT_FALSE(w.window.spinRanges.empty());
        const auto& spin = w.window.spinRanges.front();
        EXPECT_EQ(spin.spin, kIntegrationSpin);
        EXPECT_EQ(spin.lower, static_cast<int32_t>(c.minimum));
        EXPECT_EQ(spin.upper, static_cast<int32_t>(c.maximum));
    }
}

TEST(SpectrumViewAccessories, ConfigurationLowerLimitAboveTheUpperGivesWay)
{
    for (const uint16_t lower : {uint16_t{65001}, uint16_t{65535}}) {
        SCOPED_TRACE(lower);
        AccessoriesWindow w(4);
        w.frame.family = "Morvel";
        w.frame.lowerLimit = lower;
        w.view->record().integration = 100;
        w.view->UpdateAcquisitionBar();
        EXPECT_EQ(w.view->integrationMinimum(), 65000u);
        EXPECT_EQ(w.view->integrationMaximum(), 65000u);
        EXPECT_EQ(w.view->record().integration, 65000);
        EXPECT_EQ(w.window.lastText(kIntegrationEdit), "65000");
    }
}

TEST(SpectrumViewAccessories, RefreshShowsTheParametersAndAccessoryStates)
{
    AccessoriesWindow w(4);
    RegistrationRecord& r = w.view->record();
    r.scansToAverage = 12;
    r.boxcarHalfWidth = 3;
    r.flashDelay = 250;
    r.correctForDark = 1;
    r.strobeFlashSelect = 0;
    w.view->setStrobeEnable(1);
    w.view->setMavrinLampOn(1);
    w.view->setMavrinModulation(0);
    w.view->setMavrinTemperatureReadOut(1);
    w.view->setTemperatureInCelsius(0);
    w.view->setCoolerOn(0);
    w.view->setTecSetPoint(-12.25);
    w.driver.visIntensity = 42;
    w.driver.uvIntensity = 7;
    w.driver.visLampOn = 1;
    w.driver.lampOn = 0;
    w.view->UpdateAcquisitionBar();

    EXPECT_EQ(w.window.lastText(kAveragesEdit), "12");
    EXPECT_EQ(w.window.lastText(kBoxcarEdit), "3");
    EXPECT_EQ(w.window.lastText(kFlashDelayEdit), "250");
    EXPECT_EQ(w.window.lastCheck(1014), true);
    EXPECT_EQ(r.strobeFlashSelect, 1);
    EXPECT_EQ(w.window.lastCheck(kStrobeEnable), true);
    EXPECT_EQ(w.window.lastCheck(kLedOn), true);
    EXPECT_EQ(w.window.lastCheck(1020), false);
    EXPECT_EQ(w.window.lastCheck(1021), true);
    EXPECT_EQ(w.window.lastCheck(kDegreeC), false);
    EXPECT_EQ(w.window.lastCheck(kDegreeF), true);
    EXPECT_EQ(w.window.lastCheck(kTecOn), false);
    EXPECT_EQ(w.window.lastText(kTecSetPoint), "-12.2");
    EXPECT_EQ(w.window.lastText(kNorrelVisIntensity), "42");
    EXPECT_EQ(w.window.lastText(kNorrelUvIntensity), "7");
    EXPECT_EQ(w.window.lastCheck(kNorrelShutter), true);
    EXPECT_EQ(w.window.lastCheck(kNorrelVisLampOn), true);
    EXPECT_EQ(w.window.lastCheck(kNorrelLampOn), false);
    const std::vector<std::pair<int, std::pair<int32_t, int32_t>>> ranges = {
        {1007, {3, 65000}}, {1010, {1, 9999}}, {1013, {0, 500}}, {1018, {0, 655000}}};
    ASSERT_EQ(w.window.spinRanges.size(), ranges.size());
    for (size_t i = 0; i < ranges.size(); ++i) {
        EXPECT_EQ(w.window.spinRanges[i].spin, ranges[i].first);
        EXPECT_EQ(w.window.spinRanges[i].lower, ranges[i].second.first);
        EXPECT_EQ(w.window.spinRanges[i].upper, ranges[i].second.second);
    }

    // Without its strobe flag the record's select goes back to 0.
    w.view->setStrobeEnable(0);
    r.strobeFlashSelect = 1;
    w.view->UpdateAcquisitionBar();
    EXPECT_EQ(r.strobeFlashSelect, 0);
    EXPECT_EQ(w.window.lastCheck(kStrobeEnable), false);
}

TEST(SpectrumViewAccessories, OnlyAPavikWindowAsksTheNorrelUnit)
{
    for (const uint16_t adc : {uint16_t{0}, uint16_t{4}, uint16_t{7}, uint16_t{11}, uint16_t{12},
                               uint16_t{15}, uint16_t{255}}) {
        SCOPED_TRACE(adc);
        AccessoriesWindow w(adc);
        w.view->UpdateAcquisitionBar();
        const int asked = w.driver.count("GetVisIntensity()") + w.driver.count("GetUVIntensity()") +
                          w.driver.count("GetVisLampOn()") + w.driver.count("GetLampOn()");
        EXPECT_EQ(asked, adc == 4 ? 4 : 0);
        EXPECT_EQ(w.window.lastText(kNorrelVisIntensity).has_value(), adc == 4);
        EXPECT_EQ(w.window.lastCheck(kNorrelShutter).has_value(), adc == 4);
    }
}

TEST(SpectrumViewAccessories, FirstRefreshAndRefreshesAfterDestroyWriteNothing)
{
    AccessoriesWindow w(4);
    // A second view of its own: its first refresh only arms.
    FakeViewWindow window;
    FakeViewDriver driver;
    CHarluneSpectrumView fresh(window, w.frame, driver, *w.document, w.host);
    fresh.OnCreate();
    ASSERT_TRUE(fresh.Create());
    window.clearBarWrites();
    driver.calls.clear();
    fresh.UpdateAcquisitionBar();
    EXPECT_TRUE(window.barTexts.empty());
    EXPECT_TRUE(window.barChecks.empty());
    EXPECT_TRUE(window.spinRanges.empty());
    EXPECT_TRUE(driver.calls.empty());
    fresh.UpdateAcquisitionBar();
    EXPECT_FALSE(window.barTexts.empty());

    w.view->OnDestroy();
    w.window.clearBarWrites();
    w.driver.calls.clear();
    w.view->UpdateAcquisitionBar();
    w.view->OnActivateView(true);
    EXPECT_TRUE(w.window.barTexts.empty());
    EXPECT_TRUE(w.window.barChecks.empty());
    EXPECT_TRUE(w.window.spinRanges.empty());
    EXPECT_EQ(w.driver.count("GetVisIntensity()"), 0);
}

TEST(SpectrumViewAccessories, TypedValuesSaturateAtTheirFieldsAndTheRefreshClamps)
{
    // A typed 70000 ms keeps 65535 in the record; the next refresh clamps it to the limits.
    AccessoriesWindow w(12, kJolvar);
    w.view->record().integration = app::spectrum::saturateIntegration(70000);
    EXPECT_EQ(w.view->record().integration, 65535);
    w.view->UpdateAcquisitionBar();
    EXPECT_EQ(w.view->record().integration, 65500);
    EXPECT_EQ(w.window.lastText(kIntegrationEdit), "65500");
}

TEST(SpectrumViewAccessories, EmergencyResetPutsSafeValuesBack)
{
    for (const bool message : {false, true}) {
        SCOPED_TRACE(message ? "WM_SPECTRUM_COMMAND 3" : "command");
        AccessoriesWindow w(12, kJolvar);
        RegistrationRecord& r = w.view->record();
        w.view->OnAbsorbanceMode();
        ASSERT_EQ(w.view->processingMode(), Absorbance);
        w.view->setSnapshotState(1);
        r.boxcarHalfWidth = 7;
        r.triggerMode = 3;
        r.integration = 2000;
        r.scansToAverage = 50;
        r.flashDelay = 900;
        r.microsecondFlag = 1;
        r.microsecondIntegrationTime = 5000;
        const int scans = w.frame.nextScans;
        if (message)
            EXPECT_EQ(w.view->OnSpectrumCommand(3, 0), 1);
        else
            EXPECT_TRUE(w.view->OnCommand(ID_EMERGENCY_RESET));

        EXPECT_EQ(w.view->snapshotState(), 0);
        EXPECT_EQ(r.boxcarHalfWidth, 0);
        EXPECT_EQ(r.triggerMode, 0);
        EXPECT_EQ(r.integration, 100);
        EXPECT_EQ(r.scansToAverage, 1);
        EXPECT_EQ(r.flashDelay, 100);
        EXPECT_EQ(r.microsecondFlag, 1);
        EXPECT_EQ(r.microsecondIntegrationTime, 5000);
        EXPECT_EQ(w.window.lastText(kIntegrationEdit), "100");
        EXPECT_EQ(w.window.lastText(kAveragesEdit), "1");
        EXPECT_EQ(w.window.lastText(kBoxcarEdit), "0");
        EXPECT_EQ(w.window.lastText(kFlashDelayEdit), "100");
        EXPECT_EQ(w.view->processingMode(), Scope);
        EXPECT_EQ(w.frame.nextScans, scans + 1);
    }
}

TEST(SpectrumViewAccessories, SingleExposureTakesOneMoreScan)
{
    AccessoriesWindow w(4);
    // Live: disabled.
    EXPECT_FALSE(w.view->commandState(ID_SINGLE_EXPOSURE).enabled);
    EXPECT_TRUE(w.view->OnCommand(ID_SINGLE_EXPOSURE));
    EXPECT_EQ(w.view->snapshotState(), 0);

    w.view->setSnapshotState(1);
    EXPECT_TRUE(w.view->commandState(ID_SINGLE_EXPOSURE).enabled);
    w.frame.verified.clear();
    EXPECT_TRUE(w.view->OnCommand(ID_SINGLE_EXPOSURE));
    EXPECT_EQ(w.view->snapshotState(), 99);
    EXPECT_EQ(w.frame.verified, std::vector<int>{mvSpecSpectrumSingleExposure});
    EXPECT_EQ(w.frame.suspendedScans, 0);

    // Under long integration times the main frame takes the scan at once.
    w.view->setSnapshotState(1);
    w.view->record().triggerMode = 4;
    w.view->OnSingleExposure();
    EXPECT_EQ(w.view->snapshotState(), 99);
    EXPECT_EQ(w.frame.suspendedScans, 1);

    // Forbidden by the script: nothing.
    w.view->setSnapshotState(1);
    w.frame.forbidden = mvSpecSpectrumSingleExposure;
    w.view->OnSingleExposure();
    EXPECT_EQ(w.view->snapshotState(), 1);
    EXPECT_EQ(w.frame.suspendedScans, 1);
}

TEST(SpectrumViewAccessories, FeaturesCommandOpensTheDialogForTheJavaDrivenModels)
{
    for (const uint16_t adc : {uint16_t{4}, uint16_t{11}, uint16_t{12}, uint16_t{13}, uint16_t{14},
                               uint16_t{15}, uint16_t{16}, uint16_t{255}}) {
        SCOPED_TRACE(adc);
        AccessoriesWindow w(adc);
        const bool offered = adc >= 12 && adc <= 16;
        EXPECT_EQ(w.view->commandState(ID_FEATURES_DIALOG).enabled, offered);
        EXPECT_TRUE(w.view->OnCommand(ID_FEATURES_DIALOG));
        EXPECT_EQ(w.window.featuresDialogs, offered ? std::vector<int>{250} : std::vector<int>{});
    }
}

TEST(SpectrumViewAccessories, StandardCorrectionCommandsDoNothing)
{
    AccessoriesWindow w(4);
    for (const unsigned id :
         {ID_CONFIGURE_STANDARD_CORRECTION, ID_CONFIGURE_STANDARD_CORRECTION_2}) {
        EXPECT_TRUE(w.view->OnCommand(id));
        EXPECT_TRUE(w.view->commandState(id).enabled);
    }
    EXPECT_TRUE(w.driver.calls.empty());
    EXPECT_TRUE(w.window.featuresDialogs.empty());
}

TEST(SpectrumViewAccessories, ForwardersAnswerTheExportsResultUnchanged)
{
    struct Case
    {
        const char* name;
        std::function<int32_t(CHarluneSpectrumView&)> call;
        std::string expected;
    };
    const Case cases[] = {
        {"Mavrin DA", [](auto& v) { return v.CallPavikSetMavrinDA(40000); }, "MavrinDA(40000)"},
        {"DAC", [](auto& v) { return v.CallBrontelUSBDACWriteValue(2, 4095); }, "DACWrite(2,4095)"},
        {"lamp", [](auto& v) { return v.CallPavikNorrelLampOn(1); }, "NorrelLamp(1)"},
        {"vis lamp", [](auto& v) { return v.CallPavikNorrelSetVisLampOn(0); }, "NorrelVisLamp(0)"},
        {"shutter", [](auto& v) { return v.CallPavikNorrelSetShutterOpened(1); },
         "NorrelShutter(1)"},
        {"store", [](auto& v) { return v.CallPavikNorrelStoreCurrentPotValues(); },
         "NorrelStore()"},
        {"vis set", [](auto& v) { return v.CallPavikNorrelSetVisLampIntensity(33); },
         "NorrelVisIntensity(33)"},
        {"uv set", [](auto& v) { return v.CallPavikNorrelSetUVLampIntensity(12); },
         "NorrelUVIntensity(12)"},
        {"high gain", [](auto& v) { return v.SetXandelHighGain(1); }, "XandelHighGain(1)"},
    };
    for (const int32_t result : {0, 1, -5}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " answering " + std::to_string(result));
            AccessoriesWindow w(4);
            w.driver.accessoryResult = result;
            EXPECT_EQ(c.call(*w.view), result);
            EXPECT_EQ(w.driver.calls, std::vector<std::string>{c.expected});
            EXPECT_TRUE(w.window.messages.empty()) << "the forwarders show nothing themselves";
        }
    }
    AccessoriesWindow w(4);
    w.driver.visIntensity = 21;
    w.driver.uvIntensity = 9;
    EXPECT_EQ(w.view->CallPavikNorrelGetVisLampIntensity(), 21);
    EXPECT_EQ(w.view->CallPavikNorrelGetUVLampIntensity(), 9);
}

TEST(SpectrumViewAccessories, XandelGainAndCoolerAreStoredFirst)
{
    AccessoriesWindow w(11, kWessor);
    w.view->SetXandelHighGain(1);
    EXPECT_EQ(w.view->GetXandelHighGain(), 1);
    w.view->SetXandelHighGain(0);
    EXPECT_EQ(w.view->GetXandelHighGain(), 0);
    EXPECT_EQ(w.driver.calls, (std::vector<std::string>{"XandelHighGain(1)", "XandelHighGain(0)"}));

    w.driver.calls.clear();
    w.view->SetXandelFanAndCooler(0);
    EXPECT_EQ(w.view->GetXandelFanAndCooler(), 0);
    EXPECT_EQ(w.driver.calls, (std::vector<std::string>{"XandelFan(0)", "XandelCooler(0)"}));
    w.view->setTecSetPoint(-5.5);
    EXPECT_FLOAT_EQ(w.view->GetTecSetPoint(), -5.5f);
}

TEST(SpectrumViewAccessories, StoredSpectraCompleteForEveryEnabledChannel)
{
    struct Case
    {
        const char* name;
        std::array<int16_t, 8> enables;
        std::array<uint32_t, 8> dark;
        std::array<uint32_t, 8> reference;
        std::array<uint32_t, 8> sampleDark;
        int timeNormalization;
        int expected;
    };
    const Case cases[] = {
        {"nothing stored", {1}, {}, {}, {}, 0, 0},
        {"dark and reference", {1}, {1}, {1}, {}, 0, 1},
        {"reference missing", {1}, {1}, {}, {}, 0, 0},
        {"second channel lacks its dark", {1, 1}, {1, 0}, {1, 1}, {}, 0, 0},
        {"disabled channel need not", {1, 0, 1}, {1, 0, 1}, {1, 0, 1}, {}, 0, 1},
        {"sample dark mode without it", {1}, {1}, {1}, {}, 1, 0},
        {"sample dark mode with it", {1}, {1}, {1}, {1}, 1, 1},
        {"sample dark not needed", {1}, {1}, {1}, {}, 0, 1},
        {"no channel enabled", {}, {}, {}, {}, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AccessoriesWindow w(4);
        ChannelSpectra& s = w.document->spectra();
        for (int k = 0; k < 8; ++k) {
            w.view->record().channelEnables[k] = c.enables[k];
            s.darkStored[k] = c.dark[k];
            s.referenceStored[k] = c.reference[k];
            s.sampleDarkStored[k] = c.sampleDark[k];
        }
        if (c.timeNormalization == 1)
            w.view->OnTimeNormalization();
        ASSERT_EQ(w.view->timeNormalization(), c.timeNormalization);
        EXPECT_EQ(w.view->AreStoredSpectraComplete(), c.expected);
    }
}

TEST(SpectrumViewAccessories, KeystrokeEventCarriesKeyFlagsAndWindowName)
{
    AccessoriesWindow w(4);
    w.window.title = "Spectrum3";
    w.view->OnKeyDown(0x41, 0x401E);
    w.view->OnKeyDown(0x21);
    ASSERT_EQ(w.frame.keystrokes.size(), 2u);
    EXPECT_EQ(w.frame.keystrokes[0].key, 0x41);
    EXPECT_EQ(w.frame.keystrokes[0].flags, 0x401E);
    EXPECT_EQ(w.frame.keystrokes[0].window, "Spectrum3");
    EXPECT_EQ(w.frame.keystrokes[1].key, 0x21);
    EXPECT_EQ(w.frame.keystrokes[1].flags, 0);

    // A closing window fires no more.
    w.view->setClosing();
    w.view->OnKeyDown(0x41);
    EXPECT_EQ(w.frame.keystrokes.size(), 2u);
}

} // namespace
