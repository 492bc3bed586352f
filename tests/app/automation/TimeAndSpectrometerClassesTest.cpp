// The time-acquisition, analog-output, emergency, concentration and spectrometer classes
// through their dispatch interfaces, on spectrum view cores with the driver fake: which
// window's run, records, converters and configuration a member touches, the analog scale and
// clamps, what is refused, and the neutral results without a spectrum window.
#include "AutomationCall.h"
#include "ChartWindow.h"
#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "app/res/MenuVerify.h"
#include "app/shell/MainFrame.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "driver/include/vykdrv32.h"
#include "platform/automation/ClassRegistry.h"
#include "tests/app/shell/ShellFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using namespace chart_test;
using namespace app::spectrum;
namespace fs = std::filesystem;

constexpr uint32_t kOtherFrame = 42;

// Two spectrum windows in one main frame: "Spectrum 1" (active) and "Spectrum 2".
class TimeAndSpectrometerClassesTest : public ::testing::Test
{
protected:
    TimeAndSpectrometerClassesTest()
    {
        // The second window's own main frame is made first, so the first window's is the one
        // the objects reach.
        second = std::make_unique<Window>();
        first = std::make_unique<Window>();
        frame().add(kOtherFrame, MainFrameWindow::ChildKind::Spectrum, "Spectrum 2");
        frame().spectrumViews[kOtherFrame] = second->view.get();
        registerHarluneAutomation(registry);
    }
    ~TimeAndSpectrometerClassesTest() override
    {
        setTimeAnalogOutputFactory({});
        frame().spectrumViews.erase(kOtherFrame);
        first.reset();
        second.reset();
    }

    FakeAutomationFrame& frame() { return first->frame; }
    CHarluneSpectrumView& view() { return *first->view; }
    DispatchPtr create(const char* progId)
    {
        DispatchPtr object;
        EXPECT_EQ(registry.CreateInstance(progId, object), S_OK) << progId;
        return object;
    }
    static Variant getAt(IDispatch& object, const std::string& name, int16_t index)
    {
        return invokeMember(object, name, DISPATCH_PROPERTYGET, {Variant(index)});
    }
    static void putAt(IDispatch& object, const std::string& name, int16_t index, Variant value)
    {
        invokeMember(object, name, DISPATCH_PROPERTYPUT, {Variant(index), std::move(value)});
    }
    // Gives a window the converter of an A/D kind: its first scan probes the accessories.
    static void probeConverter(Window& w, uint16_t adcType)
    {
        w.view->configuration().SetADCType(adcType);
        w.view->OnScanReady(0);
        w.driver.calls.clear();
    }

    std::unique_ptr<Window> second;
    std::unique_ptr<Window> first;
    ClassRegistry registry;
    RecordingSink log;
};

TEST_F(TimeAndSpectrometerClassesTest, ClassesHaveTheirMembersAtTheirPositions)
{
    struct Case
    {
        const char* progId;
        size_t members;
        const char* member;
        DISPID dispid;
    };
    const Case cases[] = {
        {"Harlune.SpecTimeAcquisition", 15, "Running", 1},
        {"Harlune.SpecTimeAcquisition", 15, "SuspendGraphUpdate", 4},
        {"Harlune.SpecTimeAcquisition", 15, "SetWindowByUSBSerialNumber", 5},
        {"Harlune.SpecTimeAcquisition", 15, "SetWindowByBaseAddress", 10},
        {"Harlune.SpecTimeAcquisition", 15, "GetIndex", 11},
        {"Harlune.SpecTimeAcquisition", 15, "SetResult", 15},
        {"Harlune.SpecTimeAcquisitionParameters", 19, "WriteToDiskEveryXAcq", 3},
        {"Harlune.SpecTimeAcquisitionParameters", 19, "DurationUnits", 13},
        {"Harlune.SpecTimeAcquisitionParameters", 19, "SetWindowByBaseAddress", 19},
        {"Harlune.SpecTimeChannels", 14, "SetWindowByUSBSerialNumber", 1},
        {"Harlune.SpecTimeChannels", 14, "Enabled", 7},
        {"Harlune.SpecTimeChannels", 14, "Wavelength", 10},
        {"Harlune.SpecTimeChannels", 14, "DACEnabled", 14},
        {"Harlune.SpecTimeCombo", 14, "Enabled", 7},
        {"Harlune.SpecTimeCombo", 14, "Operation", 10},
        {"Harlune.SpecTimeCombo", 14, "Offset", 12},
        {"Harlune.SpecTimeCombo", 14, "DACEnabled", 14},
        {"Harlune.SpecAnalogOutput", 12, "SetRawValue", 7},
        {"Harlune.SpecAnalogOutput", 12, "SetVoltage", 10},
        {"Harlune.SpecAnalogOutput", 12, "Offset", 12},
        {"Harlune.SpecEmergency", 9, "Reset", 7},
        {"Harlune.SpecEmergency", 9, "Kickstart", 9},
        {"Harlune.SpecConcentration", 6, "SetWindowActive", 2},
        {"Harlune.SpecConcentration", 6, "SetWindowByBaseAddress", 6},
        {"Harlune.SpecSpectrometer", 13, "ShowConfigurationDialog", 7},
        {"Harlune.SpecSpectrometer", 13, "LockConfiguration", 12},
        {"Harlune.SpecSpectrometer", 13, "GetNumberOfPixels", 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + " " + c.member);
        DispatchPtr object = create(c.progId);
        DISPID dispid = 0;
        ASSERT_EQ(object->GetIDsOfNames(c.member, dispid), S_OK);
        EXPECT_EQ(dispid, c.dispid);
        const DispatchTable* table = registry.dispatchTable(*findClassByProgId(c.progId));
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->size(), c.members);
    }
}

// ---------------------------------------------------------------------------------------
// Time acquisition

TEST_F(TimeAndSpectrometerClassesTest, ActivatedRunningAndPausedSwitchTheWindowsRun)
{
    DispatchPtr time = create("Harlune.SpecTimeAcquisition");
    EXPECT_FALSE(asBool(get(*time, "Activated")));
    put(*time, "Activated", Variant(true));
    EXPECT_EQ(view().timeAcquisitionMode(), 1);
    // Already activated: stays activated.
    put(*time, "Activated", Variant(true));
    EXPECT_TRUE(asBool(get(*time, "Activated")));

    put(*time, "Running", Variant(int32_t{1}));
    EXPECT_TRUE(asBool(get(*time, "Running")));
    EXPECT_EQ(view().timeRunState(), 1);
    put(*time, "Paused", Variant(true));
    EXPECT_TRUE(asBool(get(*time, "Paused")));
    EXPECT_FALSE(asBool(get(*time, "Running")));
    put(*time, "Paused", Variant(false));
    EXPECT_EQ(view().timeRunState(), 1);
    // Only 1 starts: 2 stops the run.
    put(*time, "Running", Variant(int32_t{2}));
    EXPECT_EQ(view().timeRunState(), 0);
    EXPECT_FALSE(asBool(get(*time, "Running")));
    // Pausing a stopped run leaves it stopped.
    put(*time, "Paused", Variant(true));
    EXPECT_EQ(view().timeRunState(), 0);
    // A script's True starts.
    put(*time, "Running", Variant(true));
    EXPECT_EQ(view().timeRunState(), 1);
    put(*time, "Activated", Variant(false));
    EXPECT_EQ(view().timeAcquisitionMode(), 0);
    EXPECT_EQ(view().timeRunState(), 0);
    // The other window was never touched.
    EXPECT_EQ(second->view->timeAcquisitionMode(), 0);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(TimeAndSpectrometerClassesTest, SwitchesAskTheScriptAsTheMenuDoes)
{
    DispatchPtr time = create("Harlune.SpecTimeAcquisition");
    first->viewFrame.forbidden = app::res::mvSpecTimeAcquisitionActivateTimeAcquisition;
    put(*time, "Activated", Variant(true));
    EXPECT_EQ(view().timeAcquisitionMode(), 0);
    first->viewFrame.forbidden = app::res::mvSpecTimeAcquisitionStart;
    view().OnActivateTimeAcquisition();
    put(*time, "Running", Variant(true));
    EXPECT_EQ(view().timeRunState(), 0);
    first->viewFrame.forbidden = app::res::mvSpecTimeAcquisitionStop;
    view().StartTimeAcquisition();
    put(*time, "Running", Variant(false));
    EXPECT_EQ(view().timeRunState(), 1);
}

TEST_F(TimeAndSpectrometerClassesTest, ResultsIndexTheChannelsThenTheCombinations)
{
    DispatchPtr time = create("Harlune.SpecTimeAcquisition");
    TimeAcquisitionParameters& p = view().timeParameters();
    p.channels[2].Value = 1.5;
    p.combos[0].Value = 6.25;
    EXPECT_DOUBLE_EQ(asDouble(call(*time, "GetResult", {Variant(int16_t{2})})), 1.5);
    EXPECT_DOUBLE_EQ(asDouble(call(*time, "GetResult", {Variant(int16_t{6})})), 6.25);
    EXPECT_TRUE(asBool(call(*time, "SetResult", {Variant(int16_t{7}), Variant(-3.0)})));
    EXPECT_DOUBLE_EQ(p.combos[1].Value, -3.0);
    for (const int16_t index : {int16_t{8}, int16_t{-1}, int16_t{32767}}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(asDouble(call(*time, "GetResult", {Variant(index)})), 0.0);
        EXPECT_FALSE(asBool(call(*time, "SetResult", {Variant(index), Variant(9.0)})));
    }
    EXPECT_DOUBLE_EQ(p.combos[1].Value, -3.0);
    put(*time, "SuspendGraphUpdate", Variant(int32_t{5}));
    EXPECT_EQ(view().plotSuspended(), 1);
    EXPECT_EQ(asLong(call(*time, "GetIndex")), 0);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(TimeAndSpectrometerClassesTest, ParametersStoreInTheSettingsRecord)
{
    DispatchPtr parameters = create("Harlune.SpecTimeAcquisitionParameters");
    const TimeAcquisitionSettings& s = view().timeParameters().settings;
    struct Case
    {
        const char* member;
        Variant value;
        std::function<int64_t()> field;
        int64_t stored;
        int32_t readBack;
    };
    const Case cases[] = {
        {"StreamDataToDisk", Variant(int32_t{65536}), [&] { return s.StreamDataToDisk; }, 1, -1},
        {"ShowValuesInStatusBar", Variant(false), [&] { return s.ShowValuesInStatusBar; }, 0, 0},
        {"WriteToDiskEveryXAcq", Variant(int16_t{-1}), [&] { return s.LogFrequency; }, 0xFFFFFFFFll,
         -1},
        {"SaveFullSpectrum", Variant(true), [&] { return s.SaveFullSpectrum; }, 1, -1},
        {"SaveEveryAcquisition", Variant(int32_t{2}), [&] { return s.SaveEveryAcquisition; }, 1,
         -1},
        {"ContinueUntilManuallyStopped", Variant(true),
         [&] { return s.ContinueUntilManuallyStopped; }, 1, -1},
        {"InitialDelay", Variant(int32_t{250}), [&] { return s.InitialDelay; }, 250, 250},
        {"InitialDelayUnits", Variant(int16_t{3}), [&] { return s.InitialDelayUnit; }, 3, 3},
        {"Frequency", Variant(int32_t{7}), [&] { return s.Frequency; }, 7, 7},
        {"FrequencyUnits", Variant(int16_t{1}), [&] { return s.FrequencyUnit; }, 1, 1},
        {"Duration", Variant(int32_t{90}), [&] { return s.Duration; }, 90, 90},
        {"DurationUnits", Variant(int16_t{0}), [&] { return s.DurationUnit; }, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        put(*parameters, c.member, c.value);
        EXPECT_EQ(c.field(), c.stored);
        // BOOL members read back as automation TRUE (-1) or FALSE.
        EXPECT_EQ(asLong(get(*parameters, c.member)), c.readBack);
    }
    EXPECT_EQ(second->view->timeParameters().settings.InitialDelay, 10u);
}

TEST_F(TimeAndSpectrometerClassesTest, StreamFilenameKeepsWithinItsField)
{
    DispatchPtr parameters = create("Harlune.SpecTimeAcquisitionParameters");
    put(*parameters, "StreamFilename", Variant("run.stream"));
    EXPECT_EQ(asText(get(*parameters, "StreamFilename")), "run.stream");
    put(*parameters, "StreamFilename", Variant(""));
    EXPECT_EQ(asText(get(*parameters, "StreamFilename")), "run.stream");
    put(*parameters, "StreamFilename", Variant(std::string(400, 'n')));
    EXPECT_EQ(asText(get(*parameters, "StreamFilename")), std::string(259, 'n'));
    // Cut at a character boundary: a two-byte character across byte 259 goes whole.
    put(*parameters, "StreamFilename", Variant(std::string(258, 'n') + "\xC3\xA9"));
    EXPECT_EQ(asText(get(*parameters, "StreamFilename")), std::string(258, 'n'));
}

TEST_F(TimeAndSpectrometerClassesTest, ChannelsAndCombinationsStoreInTheirRecords)
{
    DispatchPtr channels = create("Harlune.SpecTimeChannels");
    DispatchPtr combos = create("Harlune.SpecTimeCombo");
    TimeAcquisitionParameters& p = view().timeParameters();
    struct Case
    {
        IDispatch* object;
        const char* member;
        int16_t index;
        Variant value;
        std::function<double()> field;
        double stored;
        double readBack;
    };
    const Case cases[] = {
        {channels.get(), "Enabled", 5, Variant(int32_t{65536}),
         [&] { return p.channels[5].Enabled; }, 1, -1},
        {channels.get(), "Plotted", 0, Variant(true), [&] { return p.channels[0].Plotted; }, 1, -1},
        {channels.get(), "SpectrometerChannel", 1, Variant(int16_t{-2}),
         [&] { return p.channels[1].SpectrometerChannel; }, -2, -2},
        {channels.get(), "Bandwidth", 2, Variant(int16_t{-7}),
         [&] { return p.channels[2].Bandwidth; }, -7, -7},
        {channels.get(), "Factor", 3, Variant(2.5), [&] { return p.channels[3].Factor; }, 2.5, 2.5},
        {channels.get(), "Offset", 4, Variant(-1.25), [&] { return p.channels[4].Offset; }, -1.25,
         -1.25},
        {channels.get(), "DACEnabled", 5, Variant(true), [&] { return p.channels[5].DACEnabled; },
         1, -1},
        {combos.get(), "Enabled", 1, Variant(true), [&] { return p.combos[1].Enabled; }, 1, -1},
        {combos.get(), "Plotted", 0, Variant(false), [&] { return p.combos[0].Plotted; }, 0, 0},
        {combos.get(), "FirstChannel", 0, Variant(int16_t{-1}),
         [&] { return p.combos[0].FirstChannel; }, 4294967295.0, -1},
        {combos.get(), "Operation", 1, Variant(int16_t{3}), [&] { return p.combos[1].Operation; },
         3, 3},
        {combos.get(), "SecondChannel", 1, Variant(int16_t{7}),
         [&] { return p.combos[1].SecondChannel; }, 7, 7},
        {combos.get(), "Offset", 1, Variant(0.5), [&] { return p.combos[1].Offset; }, 0.5, 0.5},
        {combos.get(), "Factor", 0, Variant(4.0), [&] { return p.combos[0].Factor; }, 4.0, 4.0},
        {combos.get(), "DACEnabled", 1, Variant(true), [&] { return p.combos[1].DACEnabled; }, 1,
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        putAt(*c.object, c.member, c.index, c.value);
        EXPECT_EQ(c.field(), c.stored);
        EXPECT_EQ(asDouble(getAt(*c.object, c.member, c.index)), c.readBack);
    }

    // Out-of-range records answer the neutral result and change nothing.
    const TimeAcquisitionParameters before = p;
    for (const int16_t index : {int16_t{-1}, int16_t{6}}) {
        putAt(*channels, "Factor", index, Variant(9.0));
        EXPECT_EQ(asDouble(getAt(*channels, "Factor", index)), 0.0);
    }
    for (const int16_t index : {int16_t{-1}, int16_t{2}}) {
        putAt(*combos, "Factor", index, Variant(9.0));
        EXPECT_EQ(asDouble(getAt(*combos, "Factor", index)), 0.0);
    }
    for (int k = 0; k < kTimeChannels; ++k)
        EXPECT_EQ(p.channels[k].Factor, before.channels[k].Factor);
    for (int k = 0; k < kTimeCombos; ++k)
        EXPECT_EQ(p.combos[k].Factor, before.combos[k].Factor);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(TimeAndSpectrometerClassesTest, WavelengthDerivesThePixelInItsChannelsCalibration)
{
    CSpectrometerConfiguration& c = view().configuration();
    const float slave[4] = {300.0f, 0.25f, 0.0f, 0.0f};
    c.SetWavelengthCoefs(1, slave);
    DispatchPtr channels = create("Harlune.SpecTimeChannels");
    TimeChannelRecord& a = view().timeParameters().channels[0];

    putAt(*channels, "SpectrometerChannel", 0, Variant(int16_t{1}));
    const int32_t pixelBefore = a.Pixel;
    // Setting the spectrometer channel alone does not derive the pixel.
    EXPECT_EQ(a.Pixel, pixelBefore);
    putAt(*channels, "Wavelength", 0, Variant(500.0));
    EXPECT_EQ(a.Wavelength, 500.0);
    const int32_t slavePixel = c.WavelengthToPixel(1, 500.0f);
    EXPECT_NEAR(slavePixel, 800, 1); // (500 - 300) / 0.25 in Slave 1's calibration
    EXPECT_EQ(a.Pixel, slavePixel);

    // Non-finite wavelengths are refused whole.
    for (const double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        putAt(*channels, "Wavelength", 0, Variant(bad));
        EXPECT_EQ(a.Wavelength, 500.0);
        EXPECT_EQ(a.Pixel, slavePixel);
    }
    // The temperature channel (8) has no calibration: the pixel stays.
    putAt(*channels, "SpectrometerChannel", 0, Variant(int16_t{8}));
    putAt(*channels, "Wavelength", 0, Variant(450.0));
    EXPECT_EQ(a.Wavelength, 450.0);
    EXPECT_EQ(a.Pixel, slavePixel);
}

// ---------------------------------------------------------------------------------------
// Analog output

struct AnalogCase
{
    const char* name;
    uint16_t adcType;
    std::function<bool(IDispatch&)> act;
    std::vector<std::string> written;
};

TEST_F(TimeAndSpectrometerClassesTest, AnalogOutputScalesAndClampsForBothKinds)
{
    const auto range = [](IDispatch& o) {
        return asBool(call(o, "SetRange", {Variant(int16_t{0}), Variant(0.0), Variant(5.0)}));
    };
    const auto value = [&](double v) {
        return [=](IDispatch& o) {
            return range(o) && asBool(call(o, "SetValue", {Variant(int16_t{0}), Variant(v)}));
        };
    };
    const auto voltage = [](int16_t ch, double v) {
        return [=](IDispatch& o) {
            return asBool(call(o, "SetVoltage", {Variant(ch), Variant(v)}));
        };
    };
    const auto raw = [](int16_t ch, int32_t n) {
        return [=](IDispatch& o) {
            return asBool(call(o, "SetRawValue", {Variant(ch), Variant(n)}));
        };
    };
    const AnalogCase cases[] = {
        {"Mavrin 2.5", VYK_ADC_PAVIK, value(2.5), {"MavrinDA(32767)"}},
        {"Mavrin 5.0 computes 65535", VYK_ADC_PAVIK, value(5.0), {"MavrinDA(65534)"}},
        {"Mavrin 7 V", VYK_ADC_PAVIK, voltage(3, 7.0), {"MavrinDA(65534)"}},
        {"Mavrin -1 V", VYK_ADC_PAVIK, voltage(0, -1.0), {"MavrinDA(0)"}},
        {"Mavrin raw -5", VYK_ADC_PAVIK, raw(0, -5), {"MavrinDA(0)"}},
        {"Mavrin raw 70000", VYK_ADC_PAVIK, raw(5, 70000), {"MavrinDA(65534)"}},
        {"BrontelUSB 2.5", VYK_ADC_BRONTELUSB, value(2.5), {"DACWrite(0,2048)"}},
        {"BrontelUSB 7 V", VYK_ADC_BRONTELUSB, voltage(3, 7.0), {"DACWrite(3,4095)"}},
        {"BrontelUSB raw -5", VYK_ADC_BRONTELUSB, raw(6, -5), {"DACWrite(6,0)"}},
        {"BrontelUSB raw 70000", VYK_ADC_BRONTELUSB, raw(7, 70000), {"DACWrite(7,4095)"}},
        // The raw value does not check its channel: the converter receives it as given.
        {"BrontelUSB raw channel 9", VYK_ADC_BRONTELUSB, raw(9, 10), {"DACWrite(9,10)"}},
        {"channel 8 refused",
         VYK_ADC_BRONTELUSB,
         [](IDispatch& o) {
             return !asBool(call(o, "SetValue", {Variant(int16_t{8}), Variant(1.0)})) &&
                    !asBool(call(o, "SetVoltage", {Variant(int16_t{-1}), Variant(1.0)})) &&
                    !asBool(call(o, "SetRange", {Variant(int16_t{8}), Variant(0.0), Variant(1.0)}));
         },
         {}},
        // Low = high makes the gain 0: the quotient is not finite and 0 is written.
        {"zero gain",
         VYK_ADC_PAVIK,
         [](IDispatch& o) {
             return asBool(
                        call(o, "SetRange", {Variant(int16_t{0}), Variant(1.0), Variant(1.0)})) &&
                    asDouble(getAt(o, "Gain", 0)) == 0.0 &&
                    asBool(call(o, "SetValue", {Variant(int16_t{0}), Variant(3.0)}));
         },
         {"MavrinDA(0)"}},
        // A huge quotient clamps instead of wrapping.
        {"huge quotient",
         VYK_ADC_BRONTELUSB,
         [](IDispatch& o) {
             putAt(o, "Gain", 1, Variant(1e-300));
             return asBool(call(o, "SetValue", {Variant(int16_t{1}), Variant(1.0)})) &&
                    asBool(call(o, "SetValue", {Variant(int16_t{1}), Variant(-1.0)}));
         },
         {"DACWrite(1,4095)", "DACWrite(1,0)"}},
        // Non-finite ranges and gains are refused: the scale stays.
        {"non-finite range and gain",
         VYK_ADC_PAVIK,
         [](IDispatch& o) {
             putAt(o, "Gain", 0, Variant(std::nan("")));
             putAt(o, "Offset", 0, Variant(std::numeric_limits<double>::infinity()));
             return !asBool(call(o, "SetRange",
                                 {Variant(int16_t{0}), Variant(std::nan("")), Variant(5.0)})) &&
                    asDouble(getAt(o, "Gain", 0)) == 1.0 &&
                    asDouble(getAt(o, "Offset", 0)) == 0.0 &&
                    asBool(call(o, "SetValue", {Variant(int16_t{0}), Variant(12.0)}));
         },
         {"MavrinDA(12)"}},
    };
    first->driver.calls.clear();
    for (const AnalogCase& c : cases) {
        SCOPED_TRACE(c.name);
        // A window of its own per case: the accessories are probed at a window's first scan.
        Window window;
        probeConverter(window, c.adcType);
        DispatchPtr output = create("Harlune.SpecAnalogOutput");
        EXPECT_TRUE(c.act(*output));
        EXPECT_EQ(window.driver.calls, c.written);
        EXPECT_TRUE(first->driver.calls.empty());
    }
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(TimeAndSpectrometerClassesTest, FreshAnalogOutputGainsAndOffsets)
{
    DispatchPtr output = create("Harlune.SpecAnalogOutput");
    struct Case
    {
        const char* member;
        int16_t channel;
        double expected;
    };
    const Case cases[] = {
        {"Gain", 3, 1.0},     {"Offset", 3, 0.0}, {"Gain", 8, -1.0},
        {"Offset", -1, -1.0}, {"Gain", -1, -1.0}, {"Offset", 8, -1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.member) + " " + std::to_string(c.channel));
        EXPECT_EQ(asDouble(getAt(*output, c.member, c.channel)), c.expected);
    }
    putAt(*output, "Gain", 8, Variant(3.0));
    EXPECT_EQ(asDouble(getAt(*output, "Gain", 8)), -1.0);
    putAt(*output, "Offset", 2, Variant(0.75));
    EXPECT_EQ(asDouble(getAt(*output, "Offset", 2)), 0.75);
}

TEST_F(TimeAndSpectrometerClassesTest, NoConverterWritesNothingAndSaysSo)
{
    // The window's A/D type probes neither accessory.
    first->view->OnScanReady(0);
    first->driver.calls.clear();
    DispatchPtr output = create("Harlune.SpecAnalogOutput");
    EXPECT_FALSE(asBool(call(*output, "SetRawValue", {Variant(int16_t{0}), Variant(int32_t{5})})));
    EXPECT_FALSE(asBool(call(*output, "SetValue", {Variant(int16_t{0}), Variant(1.0)})));
    EXPECT_FALSE(asBool(call(*output, "SetVoltage", {Variant(int16_t{0}), Variant(1.0)})));
    EXPECT_TRUE(
        asBool(call(*output, "SetRange", {Variant(int16_t{0}), Variant(0.0), Variant(5.0)})));
    EXPECT_TRUE(first->driver.calls.empty());
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(TimeAndSpectrometerClassesTest, ObjectKeepsTheKindItWasMadeWith)
{
    probeConverter(*first, VYK_ADC_PAVIK);
    probeConverter(*second, VYK_ADC_BRONTELUSB);
    DispatchPtr output = create("Harlune.SpecAnalogOutput");
    // Chosen by name, the other window receives the Mavrin write of the kind made with.
    EXPECT_TRUE(asBool(call(*output, "SetWindowByWindowName", {Variant("Spectrum 2")})));
    EXPECT_TRUE(asBool(call(*output, "SetRawValue", {Variant(int16_t{2}), Variant(int32_t{9})})));
    EXPECT_TRUE(first->driver.calls.empty());
    EXPECT_EQ(second->driver.calls, std::vector<std::string>{"MavrinDA(9)"});
}

TEST_F(TimeAndSpectrometerClassesTest, RunInAWindowThatIsNotActiveDrivesThatWindowsConverter)
{
    // The active window has no converter; the other one has the Mavrin output.
    first->view->OnScanReady(0);
    first->driver.calls.clear();
    probeConverter(*second, VYK_ADC_PAVIK);
    CHarluneSpectrumView& runner = *second->view;
    TimeAcquisitionParameters& p = runner.timeParameters();
    p.settings.InitialDelay = 0;
    TimeChannelRecord& a = p.channels[0];
    a.Enabled = 1;
    a.Plotted = 1;
    a.DACEnabled = 1;
    a.SpectrometerChannel = 0;
    a.Pixel = 10;
    a.Bandwidth = 0;
    second->spectra().processed[0][10] = 2.5;
    runner.OnActivateTimeAcquisition();
    runner.StartTimeAcquisition();
    runner.TimeAcquisitionTick();
    // Every output's range is 0 to 5 V: 2.5 is half the scale.
    EXPECT_EQ(second->driver.calls, std::vector<std::string>{"MavrinDA(32767)"});
    EXPECT_TRUE(first->driver.calls.empty());
    runner.StopTimeAcquisition();
}

// ---------------------------------------------------------------------------------------
// Emergency, concentration and spectrometer

TEST_F(TimeAndSpectrometerClassesTest, EmergencyMembersRunTheirCommands)
{
    RecordingDriver driver;
    CMainFrame core(frame(), driver, 0x4000);
    frame().mainFrame = &core;
    DispatchPtr emergency = create("Harlune.SpecEmergency");
    view().record().integration = 700;
    view().record().scansToAverage = 9;
    call(*emergency, "Reset");
    EXPECT_EQ(view().record().integration, 100u);
    EXPECT_EQ(view().record().scansToAverage, 1);
    frame().scanned.clear();
    call(*emergency, "Kickstart");
    EXPECT_EQ(frame().scanned, std::vector<std::string>{"Spectrum 1"});
    call(*emergency, "GlobalReset");
    EXPECT_TRUE(log.sources.empty());
    frame().mainFrame = nullptr;
}

TEST_F(TimeAndSpectrometerClassesTest, NumberOfPixelsFollowsTheSpectrometerType)
{
    DispatchPtr spectrometer = create("Harlune.SpecSpectrometer");
    struct Case
    {
        uint16_t type;
        int32_t pixels;
    };
    for (const Case c :
         {Case{0x600, 3648}, Case{0x200, 2048}, Case{0x500, 256}, Case{0x7777, 2048}}) {
        SCOPED_TRACE(c.type);
        view().configuration().SetSpectrometerType(c.type);
        EXPECT_EQ(asLong(call(*spectrometer, "GetNumberOfPixels")), c.pixels);
    }
}

TEST_F(TimeAndSpectrometerClassesTest, SaveAndOpenConfigurationAnswerWhatHappened)
{
    DispatchPtr spectrometer = create("Harlune.SpecSpectrometer");
    const fs::path folder = freshFolder("spectrometer-files");
    const std::string saved = (folder / "saved.spec").string();
    view().setConfigurationFile("default.spec");

    EXPECT_TRUE(
        asBool(call(*spectrometer, "SaveConfigurationAs", {Variant(saved), Variant(false)})));
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_EQ(view().configurationFile(), "default.spec");
    EXPECT_TRUE(
        asBool(call(*spectrometer, "SaveConfigurationAs", {Variant(saved), Variant(true)})));
    EXPECT_EQ(view().configurationFile(), saved);

    struct Bad
    {
        const char* name;
        std::string path;
    };
    const Bad bad[] = {
        {"missing folder", (folder / "none" / "x.spec").string()},
        {"empty", ""},
        {"over-long", std::string(300, 'x')},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        EXPECT_FALSE(
            asBool(call(*spectrometer, "SaveConfigurationAs", {Variant(b.path), Variant(true)})));
        EXPECT_FALSE(
            asBool(call(*spectrometer, "OpenConfiguration", {Variant(b.path), Variant(true)})));
        EXPECT_EQ(view().configurationFile(), saved);
        EXPECT_NE(view().currentConfigurationFile(), b.path);
    }

    view().setConfigurationFile("default.spec");
    EXPECT_TRUE(asBool(call(*spectrometer, "OpenConfiguration", {Variant(saved), Variant(false)})));
    EXPECT_EQ(view().currentConfigurationFile(), saved);
    EXPECT_EQ(view().configurationFile(), "default.spec");
    EXPECT_TRUE(asBool(call(*spectrometer, "OpenConfiguration", {Variant(saved), Variant(true)})));
    EXPECT_EQ(view().configurationFile(), saved);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(TimeAndSpectrometerClassesTest, LockConfigurationClearsTheCoefficientsLoadedFlag)
{
    DispatchPtr spectrometer = create("Harlune.SpecSpectrometer");
    view().setCoefficientsLoaded(true);
    second->view->setCoefficientsLoaded(true);
    call(*spectrometer, "LockConfiguration");
    EXPECT_FALSE(view().coefficientsLoaded());
    EXPECT_TRUE(second->view->coefficientsLoaded());
}

TEST_F(TimeAndSpectrometerClassesTest, DialogMembersAskTheScriptAsTheMenuDoes)
{
    DispatchPtr spectrometer = create("Harlune.SpecSpectrometer");
    struct Case
    {
        const char* member;
        int32_t verify;
    };
    const Case cases[] = {
        {"ShowConfigurationDialog", app::res::mvSpecSpectrometerConfigure},
        {"ShowSaveConfigurationDialog", app::res::mvSpecSpectrometerSaveConfigurationAs},
        {"ShowOpenConfigurationDialog", app::res::mvSpecSpectrometerOpenConfiguration},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        first->viewFrame.verified.clear();
        first->viewFrame.forbidden = c.verify;
        call(*spectrometer, c.member);
        EXPECT_EQ(first->viewFrame.verified, std::vector<int>{c.verify});
    }
}

// ---------------------------------------------------------------------------------------
// No spectrum window

TEST_F(TimeAndSpectrometerClassesTest, WithoutAWindowMembersAnswerNeutrallyAndLogOnce)
{
    frame().close(kFrame);
    frame().close(kOtherFrame);
    struct Case
    {
        const char* progId;
        const char* member;
        std::vector<Variant> args;
        const char* source; // null: the class does not log
    };
    const Case cases[] = {
        {"Harlune.SpecTimeAcquisition", "GetTime", {}, "I_SpecTimeAcquisition"},
        {"Harlune.SpecTimeAcquisition", "GetIndex", {}, "I_SpecTimeAcquisition"},
        {"Harlune.SpecAnalogOutput", "SetValue", {Variant(int16_t{0}), Variant(1.0)}, nullptr},
        {"Harlune.SpecEmergency", "Kickstart", {}, "I_SpecEmergency"},
        {"Harlune.SpecEmergency", "GlobalReset", {}, "I_SpecEmergency"},
        {"Harlune.SpecSpectrometer", "GetNumberOfPixels", {}, "I_SpecSpectrometer"},
        {"Harlune.SpecSpectrometer",
         "SaveConfigurationAs",
         {Variant("a.spec"), Variant(true)},
         "I_SpecSpectrometer"},
        {"Harlune.SpecConcentration", "SetWindowActive", {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + " " + c.member);
        log.sources.clear();
        DispatchPtr object = create(c.progId);
        const Variant result = call(*object, c.member, c.args);
        if (!result.isEmpty()) {
            EXPECT_EQ(asDouble(result), 0.0);
        }
        EXPECT_EQ(log.sources,
                  c.source ? std::vector<std::string>{c.source} : std::vector<std::string>{});
    }
    DispatchPtr channels = create("Harlune.SpecTimeChannels");
    log.sources.clear();
    EXPECT_EQ(asDouble(getAt(*channels, "Wavelength", 0)), 0.0);
    EXPECT_EQ(log.sources, std::vector<std::string>{"I_SpecTimeChannels"});
}

} // namespace
