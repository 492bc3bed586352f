#include "app/qt/SpectrumFrameControls.h"

#include "app/qt/SpectrumViewBarAdapter.h"
#include "app/res/MenuVerify.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace app::res;
using Controls = SpectrumFrameControls;

namespace {

// A view that keeps what the handlers write and counts the operations they call.
class FakeView : public SpectrumFrameView
{
public:
    RegistrationRecord rec{};
    uint16_t adc = 4;
    uint32_t minimum = 1;
    uint32_t maximum = 65500;
    std::map<std::string, double> fields;
    std::vector<std::string> calls;
    // Runs inside UpdateAcquisitionBar, like the bar's edit reporting the refilled text.
    std::function<void()> onRefill;

    RegistrationRecord& record() override { return rec; }
    uint16_t adcType() override { return adc; }
    uint32_t integrationMinimum() override { return minimum; }
    uint32_t integrationMaximum() override { return maximum; }
    void setIntegrationLimits(uint32_t lo, uint32_t hi) override { minimum = lo, maximum = hi; }
    void setStrobeEnable(int value) override { fields["strobe"] = value; }
    void setMavrinLampOn(int value) override { fields["led"] = value; }
    void setMavrinModulation(int value) override { fields["modulation"] = value; }
    void setMavrinTemperatureReadOut(int value) override { fields["temperature"] = value; }
    void setTemperatureInCelsius(int value) override { fields["celsius"] = value; }
    void setCoolerOn(int value) override { fields["cooler"] = value; }
    void setCoolerStateSent(int value) override { fields["coolerSent"] = value; }
    void setCoolerSetPoint(double value) override { fields["setPoint"] = value; }
    void setSetPointPending(int value) override { fields["setPointPending"] = value; }
    void setHighGainMode(int value) override { fields["highGain"] = value; }
    void UpdateAcquisitionBar() override
    {
        calls.push_back("UpdateAcquisitionBar");
        if (onRefill)
            onRefill();
    }
    void StartNextScan() override { calls.push_back("StartNextScan"); }
    void SetXandelHighGain(int value) override
    {
        calls.push_back("SetXandelHighGain " + std::to_string(value));
    }
    int32_t CallPavikNorrelLampOn(int32_t on) override { return call("LampOn", on); }
    int32_t CallPavikNorrelSetVisLampOn(int32_t on) override { return call("SetVisLampOn", on); }
    int32_t CallPavikNorrelSetShutterOpened(int32_t on) override
    {
        return call("SetShutterOpened", on);
    }
    int32_t CallPavikNorrelStoreCurrentPotValues() override
    {
        return call("StoreCurrentPotValues", 0);
    }
    int32_t CallPavikNorrelSetVisLampIntensity(int32_t value) override
    {
        return call("SetVisLampIntensity", value);
    }
    int32_t CallPavikNorrelSetUVLampIntensity(int32_t value) override
    {
        return call("SetUVLampIntensity", value);
    }

private:
    int32_t call(const std::string& name, int32_t value)
    {
        calls.push_back(name + " " + std::to_string(value));
        return 1;
    }
};

class FakeBars : public SpectrumFrameBarWindow
{
public:
    std::map<unsigned, bool> checks;
    std::map<unsigned, std::string> texts;
    std::map<unsigned, std::pair<int32_t, int32_t>> ranges;
    void setCheck(unsigned control, bool checked) override { checks[control] = checked; }
    void setText(unsigned control, const std::string& text) override { texts[control] = text; }
    void setSpinRange(unsigned spin, int32_t lower, int32_t upper) override
    {
        ranges[spin] = {lower, upper};
    }
};

// One spectrum frame: its bars, its view (or none) and the script's verdicts.
struct Frame
{
    FakeBars bars;
    FakeView view;
    bool hasView = true;
    std::set<int32_t> forbidden;
    std::vector<int32_t> asked;
    Controls controls{bars, [this]() -> SpectrumFrameView* { return hasView ? &view : nullptr; },
                      [this](int32_t action) {
                          asked.push_back(action);
                          return forbidden.count(action) ? 0 : 1;
                      }};
};

TEST(SpectrumFrameControlsTest, IntegrationSpinStepsClampsAndRefills)
{
    struct Case
    {
        const char* name;
        int microseconds;
        uint16_t adc;
        int32_t start;
        uint32_t minimum, maximum;
        int delta;
        int32_t expected;
    } cases[] = {
        {"usec steps by 10, rounded down", 1, 12, 1234, 10, 655000, 1, 1240},
        {"usec steps down by 10", 1, 12, 1234, 10, 655000, -1, 1220},
        {"usec on the Ulmar steps by 1000", 1, 14, 1234, 1000, 1600000, 1, 2234},
        {"msec steps by 1", 0, 4, 100, 3, 65000, 1, 101},
        {"msec below the lower limit", 0, 12, 1, 1, 65500, -1, 1},
        {"usec below the lower limit", 1, 12, 10, 10, 655000, -1, 10},
        {"usec below zero stays at the lower limit", 1, 12, 5, 10, 655000, -1, 10},
        {"above the upper limit", 0, 12, 65500, 1, 65500, 1, 65500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame frame;
        frame.view.adc = c.adc;
        frame.view.minimum = c.minimum;
        frame.view.maximum = c.maximum;
        frame.view.rec.microsecondFlag = c.microseconds;
        if (c.microseconds)
            frame.view.rec.microsecondIntegrationTime = c.start;
        else
            frame.view.rec.integration = static_cast<uint16_t>(c.start);
        ASSERT_TRUE(frame.controls.OnIntegrationSpin(c.delta));
        const int32_t stored =
            c.microseconds ? frame.view.rec.microsecondIntegrationTime : frame.view.rec.integration;
        EXPECT_EQ(stored, c.expected);
        // A changed value starts the view's next scan with it.
        const std::vector<std::string> calls =
            stored != c.start ? std::vector<std::string>{"UpdateAcquisitionBar", "StartNextScan"}
                              : std::vector<std::string>{"UpdateAcquisitionBar"};
        EXPECT_EQ(frame.view.calls, calls);
        EXPECT_EQ(frame.asked, std::vector<int32_t>{mvAcquisitionParametersIntegrationTime});
    }
}

TEST(SpectrumFrameControlsTest, ForbiddenSpinsAreRefusedAndChangeNothing)
{
    Frame frame;
    frame.view.rec.integration = 100;
    frame.forbidden = {mvAcquisitionParametersIntegrationTime,
                       mvAcquisitionParametersAverage,
                       mvAcquisitionParametersBoxcar,
                       mvAcquisitionParametersFlashDelay,
                       mvUSBNorrelVisIntensity,
                       mvUSBNorrelUVIntensity};
    EXPECT_FALSE(frame.controls.OnIntegrationSpin(1));
    EXPECT_EQ(frame.view.rec.integration, 100);
    EXPECT_TRUE(frame.view.calls.empty());
    for (unsigned spin : {Controls::IDC_AVERAGE_SPIN, Controls::IDC_BOXCAR_SPIN,
                          Controls::IDC_STROBE_FREQUENCY_SPIN, Controls::IDC_NORREL_VIS_SPIN,
                          Controls::IDC_NORREL_UV_SPIN})
        EXPECT_FALSE(frame.controls.allowSpin(spin)) << spin;
    frame.forbidden.clear();
    EXPECT_TRUE(frame.controls.allowSpin(Controls::IDC_AVERAGE_SPIN));
}

TEST(SpectrumFrameControlsTest, SpinEchoIsSkippedOnceAndOnlyInItsOwnFrame)
{
    Frame a;
    Frame b;
    a.view.rec.integration = 100;
    b.view.rec.integration = 100;
    // The refill writes the edit, which reports the text it shows: not read back.
    a.view.onRefill = [&a] { a.controls.OnIntegrationTimeChanged("7"); };
    ASSERT_TRUE(a.controls.OnIntegrationSpin(1));
    EXPECT_EQ(a.view.rec.integration, 101);

    // The next edit in another window is its own.
    b.controls.OnIntegrationTimeChanged("250");
    EXPECT_EQ(b.view.rec.integration, 250);
    // And the next edit in the same window is read too.
    a.controls.OnIntegrationTimeChanged("300");
    EXPECT_EQ(a.view.rec.integration, 300);
}

TEST(SpectrumFrameControlsTest, SpinWhoseRefillWritesNothingLeavesNoSkipBehind)
{
    Frame a;
    Frame b;
    a.view.rec.integration = 100;
    ASSERT_TRUE(a.controls.OnIntegrationSpin(1));
    b.controls.OnIntegrationTimeChanged("250");
    EXPECT_EQ(b.view.rec.integration, 250);
    a.controls.OnIntegrationTimeChanged("42");
    EXPECT_EQ(a.view.rec.integration, 42);
}

TEST(SpectrumFrameControlsTest, FailedRefillLeavesNoSkipBehind)
{
    Frame frame;
    frame.view.rec.integration = 100;
    frame.view.onRefill = [] { throw std::runtime_error("refill"); };
    EXPECT_THROW(frame.controls.OnIntegrationSpin(1), std::runtime_error);
    EXPECT_EQ(frame.view.rec.integration, 101);
    frame.controls.OnIntegrationTimeChanged("42");
    EXPECT_EQ(frame.view.rec.integration, 42);
}

TEST(SpectrumFrameControlsTest, IntegrationEditByUnit)
{
    struct Case
    {
        const char* name;
        int microseconds;
        uint16_t adc;
        const char* text;
        int32_t microsecondTime;
        uint16_t milliseconds;
    } cases[] = {
        {"milliseconds", 0, 4, "250", 0, 250},
        {"microseconds", 1, 12, "1500", 1500, 0},
        {"Ulmar seconds into microseconds", 1, 14, "3", 3000, 0},
        {"blanks around the number", 0, 4, "  75 ", 0, 75},
        {"trailing text is no number", 0, 4, "75ms", 0, 0},
        {"no number", 0, 4, "abc", 0, 0},
        {"huge Ulmar value stops at the upper limit", 1, 14, "99999999", 65500, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame frame;
        frame.view.adc = c.adc;
        frame.view.rec.microsecondFlag = c.microseconds;
        frame.controls.OnIntegrationTimeChanged(c.text);
        EXPECT_EQ(frame.view.rec.microsecondIntegrationTime, c.microsecondTime);
        EXPECT_EQ(frame.view.rec.integration, c.milliseconds);
    }
}

TEST(SpectrumFrameControlsTest, RecordEditsTakeTheTypedInteger)
{
    Frame frame;
    frame.controls.OnAverageChanged("12345678901234");
    EXPECT_EQ(frame.view.rec.scansToAverage, 9999);
    frame.controls.OnAverageChanged("25");
    EXPECT_EQ(frame.view.rec.scansToAverage, 25);
    frame.controls.OnBoxcarChanged("7");
    EXPECT_EQ(frame.view.rec.boxcarHalfWidth, 7);
    frame.controls.OnStrobeFrequencyChanged("300");
    EXPECT_EQ(frame.view.rec.flashDelay, 300);
    EXPECT_TRUE(frame.bars.texts.empty());
}

TEST(SpectrumFrameControlsTest, BrontelUsbStrobeFrequencyStopsAt255)
{
    Frame frame;
    frame.view.adc = Controls::kAdcBrontelUsb;
    frame.controls.OnStrobeFrequencyChanged("300");
    EXPECT_EQ(frame.view.rec.flashDelay, 255);
    EXPECT_EQ(frame.bars.texts[Controls::IDC_STROBE_FREQUENCY], "255");
    frame.bars.texts.clear();
    frame.controls.OnStrobeFrequencyChanged("200");
    EXPECT_EQ(frame.view.rec.flashDelay, 200);
    EXPECT_TRUE(frame.bars.texts.empty());
}

TEST(SpectrumFrameControlsTest, StrobeEnableAndLedOnFollowEachOther)
{
    Frame frame;
    frame.controls.OnStrobeEnable(true);
    EXPECT_EQ(frame.view.fields["strobe"], 1);
    EXPECT_EQ(frame.view.rec.strobeFlashSelect, 1);
    EXPECT_TRUE(frame.bars.checks[Controls::IDC_MAVRIN_LED_ON]);

    frame.controls.OnMavrinLedOn(false);
    EXPECT_EQ(frame.view.fields["led"], 0);
    EXPECT_EQ(frame.view.fields["strobe"], 0);
    EXPECT_EQ(frame.view.rec.strobeFlashSelect, 0);
    EXPECT_FALSE(frame.bars.checks[Controls::IDC_STROBE_ENABLE]);

    frame.controls.OnNorrelShutterOpen(true);
    EXPECT_EQ(frame.view.calls.back(), "SetShutterOpened 1");
    EXPECT_EQ(frame.view.rec.strobeFlashSelect, 1);
    EXPECT_TRUE(frame.bars.checks[Controls::IDC_STROBE_ENABLE]);
}

TEST(SpectrumFrameControlsTest, UnitChoicesSetLimitsRangeAndFlag)
{
    Frame frame;
    frame.controls.OnMicroseconds();
    EXPECT_EQ(frame.view.minimum, 10u);
    EXPECT_EQ(frame.view.maximum, 655000u);
    EXPECT_EQ(frame.view.rec.microsecondFlag, 1);
    EXPECT_EQ(frame.bars.ranges[Controls::IDC_INTEGRATION_SPIN], std::make_pair(10, 655000));
    EXPECT_EQ(frame.controls.microsecondsChecked(), 1);
    EXPECT_EQ(frame.controls.millisecondsChecked(), 0);

    frame.controls.ResetIntegrationTimeRange();
    EXPECT_EQ(frame.view.minimum, 1u);
    EXPECT_EQ(frame.view.maximum, 65500u);
    EXPECT_EQ(frame.view.rec.microsecondFlag, 0);
    EXPECT_EQ(frame.bars.ranges[Controls::IDC_INTEGRATION_SPIN], std::make_pair(1, 65500));
    EXPECT_EQ(frame.controls.microsecondsChecked(), 0);
    EXPECT_EQ(frame.controls.millisecondsChecked(), 1);
    EXPECT_EQ(frame.view.calls,
              (std::vector<std::string>{"UpdateAcquisitionBar", "UpdateAcquisitionBar"}));
    EXPECT_TRUE(frame.asked.empty());

    EXPECT_TRUE(frame.controls.microsecondsEnabled());
    frame.controls.setMicrosecondsEnabled(0);
    EXPECT_FALSE(frame.controls.microsecondsEnabled());
    EXPECT_TRUE(frame.controls.millisecondsEnabled());
}

TEST(SpectrumFrameControlsTest, AccessoryHandlersWriteTheViewWhenAllowed)
{
    struct Case
    {
        const char* name;
        int32_t action;
        std::function<void(Controls&)> act;
        const char* field;
        double value;
    } cases[] = {
        {"modulate", mvUSBMavrinModulateLED, [](Controls& c) { c.OnMavrinModulate(true); },
         "modulation", 1},
        {"temperature", mvUSBMavrinGetTemperature,
         [](Controls& c) { c.OnMavrinGetTemperature(true); }, "temperature", 1},
        {"Celsius", mvUSBMavrinDegreeC, [](Controls& c) { c.OnMavrinDegree(true); }, "celsius", 1},
        {"Fahrenheit", mvUSBMavrinDegreeF, [](Controls& c) { c.OnMavrinDegree(false); }, "celsius",
         0},
        {"TEC on", mvWessorTECOn, [](Controls& c) { c.OnTecOn(true); }, "cooler", 1},
        {"high gain", mvWessorHighGain, [](Controls& c) { c.OnGain(true); }, "highGain", 1},
        {"low gain", mvWessorLowGain, [](Controls& c) { c.OnGain(false); }, "highGain", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame allowed;
        c.act(allowed.controls);
        EXPECT_EQ(allowed.asked, std::vector<int32_t>{c.action});
        ASSERT_TRUE(allowed.view.fields.count(c.field));
        EXPECT_EQ(allowed.view.fields[c.field], c.value);

        Frame forbidden;
        forbidden.forbidden = {c.action};
        c.act(forbidden.controls);
        EXPECT_TRUE(forbidden.view.fields.empty());
        EXPECT_TRUE(forbidden.bars.checks.empty());

        Frame noView;
        noView.hasView = false;
        c.act(noView.controls);
        EXPECT_TRUE(noView.view.fields.empty());
    }
}

TEST(SpectrumFrameControlsTest, RadioPairsAreSet)
{
    Frame frame;
    frame.controls.OnMavrinDegree(false);
    EXPECT_FALSE(frame.bars.checks[Controls::IDC_MAVRIN_DEGREE_C]);
    EXPECT_TRUE(frame.bars.checks[Controls::IDC_MAVRIN_DEGREE_F]);
    frame.controls.OnGain(true);
    EXPECT_TRUE(frame.bars.checks[Controls::IDC_HIGH_GAIN]);
    EXPECT_FALSE(frame.bars.checks[Controls::IDC_LOW_GAIN]);
}

TEST(SpectrumFrameControlsTest, CoolerAndGainByAdcType)
{
    struct Case
    {
        uint16_t adc;
        bool coolerResent;
        bool gainSwitched;
    } cases[] = {{11, true, true}, {14, true, false}, {4, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.adc);
        Frame frame;
        frame.view.adc = c.adc;
        frame.controls.OnTecOn(false);
        EXPECT_EQ(frame.view.fields.count("coolerSent") == 1, c.coolerResent);
        if (c.coolerResent) {
            EXPECT_EQ(frame.view.fields["coolerSent"], Controls::kCoolerStateUnknown);
        }
        frame.controls.OnGain(true);
        const bool switched =
            !frame.view.calls.empty() && frame.view.calls.back() == "SetXandelHighGain 1";
        EXPECT_EQ(switched, c.gainSwitched);
    }
}

TEST(SpectrumFrameControlsTest, SetPointIsReadWhenTheEditLosesFocus)
{
    Frame frame;
    frame.controls.OnTecSetPointKillFocus("-12.5");
    EXPECT_EQ(frame.view.fields["setPoint"], -12.5);
    EXPECT_EQ(frame.view.fields["setPointPending"], 1);
    // At most 10 characters are read.
    frame.controls.OnTecSetPointKillFocus("1234567890123");
    EXPECT_EQ(frame.view.fields["setPoint"], 1234567890.0);
}

TEST(SpectrumFrameControlsTest, NorrelHandlersCallTheViewsForwarders)
{
    Frame frame;
    frame.controls.OnNorrelVisIntensityChanged("40");
    frame.controls.OnNorrelUvIntensityChanged("63");
    frame.controls.OnNorrelVisLampOn(true);
    frame.controls.OnNorrelLampOn(false);
    frame.controls.OnNorrelSave();
    EXPECT_EQ(frame.view.calls,
              (std::vector<std::string>{"SetVisLampIntensity 40", "SetUVLampIntensity 63",
                                        "SetVisLampOn 1", "LampOn 0", "StoreCurrentPotValues 0"}));
    EXPECT_EQ(frame.asked,
              (std::vector<int32_t>{mvUSBNorrelVisIntensity, mvUSBNorrelUVIntensity,
                                    mvUSBNorrelVisOn, mvUSBNorrelLampOn, mvUSBNorrelSave}));

    Frame forbidden;
    forbidden.forbidden = {mvUSBNorrelVisIntensity, mvUSBNorrelSave, mvUSBNorrelShutterOpen};
    forbidden.controls.OnNorrelVisIntensityChanged("40");
    forbidden.controls.OnNorrelSave();
    forbidden.controls.OnNorrelShutterOpen(true);
    EXPECT_TRUE(forbidden.view.calls.empty());
    EXPECT_EQ(forbidden.view.rec.strobeFlashSelect, 0);
}

TEST(SpectrumFrameControlsTest, CorrectForDarkNeedsPermission)
{
    Frame frame;
    frame.controls.OnCorrectForDark(true);
    EXPECT_EQ(frame.view.rec.correctForDark, 1);
    frame.forbidden = {mvAcquisitionParametersCorrectForElectricalDark};
    frame.controls.OnCorrectForDark(false);
    EXPECT_EQ(frame.view.rec.correctForDark, 1);
}

TEST(SpectrumFrameControlsTest, WithoutAViewNothingHappens)
{
    Frame frame;
    frame.hasView = false;
    EXPECT_TRUE(frame.controls.OnIntegrationSpin(1));
    frame.controls.OnIntegrationTimeChanged("5");
    frame.controls.OnStrobeEnable(true);
    frame.controls.OnMicroseconds();
    frame.controls.ResetIntegrationTimeRange();
    frame.controls.OnNorrelSave();
    EXPECT_TRUE(frame.bars.checks.empty());
    EXPECT_TRUE(frame.bars.ranges.empty());
    EXPECT_TRUE(frame.view.calls.empty());
    EXPECT_EQ(frame.controls.microsecondsChecked(), -1);
    EXPECT_EQ(frame.view.rec.integration, 0);
}

TEST(SpectrumFrameControlsTest, TypedValuesStopAtTheLimitsOfTheirSpins)
{
    struct Field
    {
        const char* name;
        int microseconds;
        void (Controls::*handler)(const std::string&);
        unsigned edit;
        std::function<long long(const RegistrationRecord&)> read;
        // What "70000", "-1", "40000" and "x" leave in the field (which holds 5 before).
        std::array<long long, 4> expected;
    };
    const Field fields[] = {
        {"integration ms",
         0,
         &Controls::OnIntegrationTimeChanged,
         Controls::IDC_INTEGRATION_TIME,
         [](const RegistrationRecord& r) { return r.integration; },
         {65500, 1, 40000, 5}},
        {"integration us",
         1,
         &Controls::OnIntegrationTimeChanged,
         Controls::IDC_INTEGRATION_TIME,
         [](const RegistrationRecord& r) { return r.microsecondIntegrationTime; },
         {65500, 1, 40000, 5}},
        {"averages",
         0,
         &Controls::OnAverageChanged,
         Controls::IDC_AVERAGE,
         [](const RegistrationRecord& r) { return r.scansToAverage; },
         {9999, 1, 9999, 5}},
        {"boxcar",
         0,
         &Controls::OnBoxcarChanged,
         Controls::IDC_BOXCAR,
         [](const RegistrationRecord& r) { return r.boxcarHalfWidth; },
         {500, 0, 500, 5}},
        {"flash delay",
         0,
         &Controls::OnStrobeFrequencyChanged,
         Controls::IDC_STROBE_FREQUENCY,
         [](const RegistrationRecord& r) { return r.flashDelay; },
         {32767, 0, 32767, 5}},
    };
    const char* typed[] = {"70000", "-1", "40000", "x"};
    for (const Field& f : fields) {
        for (size_t i = 0; i < std::size(typed); ++i) {
            SCOPED_TRACE(std::string(f.name) + " " + typed[i]);
            Frame frame;
            frame.view.adc = 12;
            frame.view.rec.microsecondFlag = f.microseconds;
            frame.view.rec.integration = 5;
            frame.view.rec.microsecondIntegrationTime = 5;
            frame.view.rec.scansToAverage = 5;
            frame.view.rec.boxcarHalfWidth = 5;
            frame.view.rec.flashDelay = 5;
            (frame.controls.*f.handler)(typed[i]);
            EXPECT_EQ(f.read(frame.view.rec), f.expected[i]);
            // The text stays as typed while the user types ...
            EXPECT_TRUE(frame.bars.texts.empty());
            // ... and shows the value kept once the edit is left.
            frame.controls.OnEditFinished(f.edit);
            EXPECT_EQ(frame.bars.texts[f.edit], std::to_string(f.expected[i]));
        }
    }
}

// The handlers on a real view through the frame's adapter, down to the driver's exports.
struct AdaptedFrame
{
    explicit AdaptedFrame(uint16_t adcType)
    {
        using app::spectrum::test::freshFolder;
        const std::string path = freshFolder("frame-config").string() + "/window.spec";
        CINIFileSupport(nullptr, 1).WriteString("Preferences", "DefaultSpectrometer", path.c_str());
        document = std::make_unique<CHarluneSpectrumDoc>(frame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, *document, host);
        view->configuration().SetADCType(adcType);
        view->OnCreate();
        adapter = std::make_unique<SpectrumViewBarAdapter>(*view);
        driver.calls.clear();
    }

    FakeConfigurationHost host;
    app::spectrum::test::FakeViewWindow window;
    app::spectrum::test::FakeViewFrame frame;
    app::spectrum::test::FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
    std::unique_ptr<SpectrumViewBarAdapter> adapter;
    FakeBars bars;
    Controls controls{bars, [this]() -> SpectrumFrameView* { return adapter.get(); },
                      [](int32_t) { return 1; }};
};

TEST(SpectrumFrameControlsTest, NorrelControlsReachTheDriverThroughTheView)
{
    AdaptedFrame f(4);
    f.controls.OnNorrelLampOn(true);
    f.controls.OnNorrelVisLampOn(false);
    f.controls.OnNorrelShutterOpen(true);
    f.controls.OnNorrelSave();
    f.controls.OnNorrelVisIntensityChanged("40");
    f.controls.OnNorrelUvIntensityChanged("63");
    EXPECT_EQ(f.driver.calls,
              (std::vector<std::string>{"NorrelLamp(1)", "NorrelVisLamp(0)", "NorrelShutter(1)",
                                        "NorrelStore()", "NorrelVisIntensity(40)",
                                        "NorrelUVIntensity(63)"}));
}

TEST(SpectrumFrameControlsTest, HighGainStoresAndSwitchesTheXandelDetector)
{
    AdaptedFrame xandel(Controls::kAdcXandel);
    xandel.controls.OnGain(true);
    EXPECT_EQ(xandel.view->GetXandelHighGain(), 1);
    EXPECT_EQ(xandel.driver.calls, std::vector<std::string>{"XandelHighGain(1)"});
    xandel.controls.OnGain(false);
    EXPECT_EQ(xandel.view->GetXandelHighGain(), 0);
    EXPECT_EQ(xandel.driver.calls.back(), "XandelHighGain(0)");

    // Other types keep the setting but have no detector gain to switch.
    AdaptedFrame ulmar(Controls::kAdcUlmar);
    ulmar.controls.OnGain(true);
    EXPECT_EQ(ulmar.view->GetXandelHighGain(), 1);
    EXPECT_TRUE(ulmar.driver.calls.empty());
}

} // namespace
