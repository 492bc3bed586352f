// The five spectrometer-configuration classes through their dispatch interfaces, on a
// spectrum view core whose configuration pushes to a recording driver: what reaches the
// driver, the document and the chart, the clamps and rounding, and bad input.
#include "AutomationCall.h"
#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/chart/Xrt.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using namespace platform::chart;
using namespace app::spectrum::test;
using Kind = MainFrameWindow::ChildKind;

constexpr uint32_t kFrame = 41;
constexpr uint16_t kIstrel = 0x200; // 2048 pixels

// One spectrum window: the view core with its fakes, listed as the main frame's only child.
struct ConfigurationWindow
{
    ConfigurationWindow()
    {
        CINIFileSupport store(nullptr, 1);
        const std::string path = freshFolder("config").string() + "/window.spec";
        store.WriteString("Preferences", "DefaultSpectrometer", path.c_str());
        document = std::make_unique<CHarluneSpectrumDoc>(viewFrame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, viewFrame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetSpectrometerType(kIstrel);
        c.SetADCType(255);
        const float coefs[4] = {400.0f, 0.1f, 0.0f, 0.0f};
        for (int k = 0; k < 8; ++k) {
            c.SetChannelEnabled(k, k == 0 ? 1 : 0);
            c.SetWavelengthCoefs(k, coefs);
        }
        view->OnCreate();
        EXPECT_TRUE(view->Create());
        view->OnShowWindow();
        frame.add(kFrame, Kind::Spectrum, "Spectrum 1");
        frame.active = kFrame;
        frame.spectrumViews[kFrame] = view.get();
        host.recorder.calls.clear();
    }
    ~ConfigurationWindow() { frame.spectrumViews.clear(); }

    CSpectrometerConfiguration& configuration() { return view->configuration(); }
    // Whole-configuration pushes since the last clear: each starts with channel 0's
    // stray-light switch.
    int pushes() const
    {
        int n = 0;
        for (const std::string& call : host.recorder.calls)
            n += call.rfind("EnableSL(0,", 0) == 0 ? 1 : 0;
        return n;
    }
    double chartX(int set, int point)
    {
        double value = 0.0;
        XrtDataGetXElementIndirect(view->chartData(), set, point, &value);
        return value;
    }

    FakeAutomationFrame frame;
    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame viewFrame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
};

class SpectrometerConfigurationClassesTest : public ::testing::Test
{
protected:
    SpectrometerConfigurationClassesTest() { registerHarluneAutomation(registry); }

    DispatchPtr create(const char* progId)
    {
        DispatchPtr object;
        EXPECT_EQ(registry.CreateInstance(progId, object), S_OK) << progId;
        return object;
    }
    static Variant getAt(IDispatch& object, const std::string& name, int16_t channel)
    {
        return invokeMember(object, name, DISPATCH_PROPERTYGET, {Variant(channel)});
    }
    static void putAt(IDispatch& object, const std::string& name, int16_t channel, Variant value)
    {
        invokeMember(object, name, DISPATCH_PROPERTYPUT, {Variant(channel), std::move(value)});
    }

    ClassRegistry registry;
    RecordingSink log;
};

TEST_F(SpectrometerConfigurationClassesTest, MembersHaveTheirPositionsAsDispids)
{
    struct Case
    {
        const char* progId;
        const char* member;
        DISPID dispid;
    };
    const Case cases[] = {
        {"Harlune.SpecSpecInterface", "Autolock", 1},
        {"Harlune.SpecSpecInterface", "LemmikOffset", 15},
        {"Harlune.SpecSpecInterface", "SetWindowByUSBSerialNumber", 16},
        {"Harlune.SpecSpecInterface", "SetWindowByBaseAddress", 21},
        {"Harlune.SpecSpecInterface", "ChannelEnabled", 22},
        {"Harlune.SpecSpecWavelength", "SetWindowByUSBSerialNumber", 1},
        {"Harlune.SpecSpecWavelength", "GetAllWavelengths", 7},
        {"Harlune.SpecSpecWavelength", "GetCoefficientsFromDevice", 10},
        {"Harlune.SpecSpecWavelength", "Intercept", 16},
        {"Harlune.SpecSpecNonLinearity", "SetCorrectionCoefficients", 8},
        {"Harlune.SpecSpecNonLinearity", "CorrectionEnabled", 9},
        {"Harlune.SpecSpecStrayLight", "CorrectionCoefficient", 7},
        {"Harlune.SpecSpecStrayLight", "CorrectionEnabled", 8},
        {"Harlune.SpecSpecReference", "GetPixel", 7},
        {"Harlune.SpecSpecReference", "GetReferencePixelArray", 10},
        {"Harlune.SpecSpecReference", "BandwidthEnd", 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + "." + c.member);
        DispatchPtr object = create(c.progId);
        ASSERT_TRUE(object);
        DISPID dispid = 0;
        ASSERT_EQ(object->GetIDsOfNames(c.member, dispid), S_OK);
        EXPECT_EQ(dispid, c.dispid);
    }
}

TEST_F(SpectrometerConfigurationClassesTest, AutolockDecidesWhetherApplyingPutsPush)
{
    ConfigurationWindow w;
    DispatchPtr iface = create("Harlune.SpecSpecInterface");
    DispatchPtr wavelength = create("Harlune.SpecSpecWavelength");
    struct Case
    {
        const char* name;
        std::function<void()> put;
        std::function<bool()> stored;
    };
    const std::vector<Case> cases = {
        {"IRQ", [&] { put(*iface, "IRQ", Variant(int16_t{7})); },
         [&] { return w.configuration().GetIRQ() == 7; }},
        {"SerialNumber", [&] { put(*iface, "SerialNumber", Variant("SN-42")); },
         [&] { return w.configuration().GetSerialNumber() == "SN-42"; }},
        {"SecondCoefficient", [&] { putAt(*wavelength, "SecondCoefficient", 0, Variant(0.25)); },
         [&] {
             float c[4];
             w.configuration().GetWavelengthCoefs(0, c);
             return c[2] == 0.25f;
         }},
    };
    for (const bool autolock : {false, true}) {
        put(*iface, "Autolock", Variant(autolock));
        EXPECT_EQ(asBool(get(*iface, "Autolock")), autolock);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (autolock ? " locked" : " unlocked"));
            w.host.recorder.calls.clear();
            c.put();
            EXPECT_TRUE(c.stored());
            EXPECT_EQ(w.pushes(), autolock ? 1 : 0);
        }
    }
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectrometerConfigurationClassesTest, StoredOnlyPutsNeverPush)
{
    ConfigurationWindow w;
    w.configuration().SetAutoApply(1);
    DispatchPtr iface = create("Harlune.SpecSpecInterface");
    DispatchPtr reference = create("Harlune.SpecSpecReference");
    putAt(*iface, "ChannelEnabled", 3, Variant(true));
    put(*iface, "PCICardID", Variant(int16_t{5}));
    put(*iface, "LemmikOffset", Variant(1.5));
    putAt(*reference, "Channel", 1, Variant(int16_t{0}));
    // Single point derives the wavelength's pixel, integrated the band's.
    putAt(*reference, "Type", 1, Variant(int16_t{1}));
    putAt(*reference, "Wavelength", 1, Variant(450.0));
    EXPECT_EQ(asLong(call(*reference, "GetPixel", {Variant(int16_t{1})})), 499);
    putAt(*reference, "Type", 1, Variant(int16_t{3}));
    putAt(*reference, "BandwidthStart", 1, Variant(440.0));
    putAt(*reference, "BandwidthEnd", 1, Variant(460.0));
    EXPECT_EQ(w.pushes(), 0);
    EXPECT_TRUE(w.host.recorder.calls.empty());
    CSpectrometerConfiguration& c = w.configuration();
    EXPECT_EQ(c.GetChannelEnabled(3), 1);
    EXPECT_EQ(c.GetPCICardID(), 5);
    EXPECT_EQ(c.GetLemmikOffset(), 1.5);
    EXPECT_EQ(c.GetReferenceType(1), 3);
    // The derived pixels follow: 400 nm + 0.1 nm per pixel.
    EXPECT_EQ(asLong(call(*reference, "GetStartPixel", {Variant(int16_t{1})})),
              c.GetReferenceBandwidthStartPixel(1));
    EXPECT_EQ(asLong(call(*reference, "GetEndPixel", {Variant(int16_t{1})})),
              c.GetReferenceBandwidthEndPixel(1));
    EXPECT_GT(c.GetReferenceBandwidthEndPixel(1), c.GetReferenceBandwidthStartPixel(1));
}

TEST_F(SpectrometerConfigurationClassesTest, CoefficientPutsRecomputeTheDocumentAndTheChart)
{
    ConfigurationWindow w;
    DispatchPtr wavelength = create("Harlune.SpecSpecWavelength");
    XrtHandle chart = w.view->chart();
    XrtSetValues(chart, {{kXrtXMin, 500.0}, {kXrtXMax, 510.0}});

    putAt(*wavelength, "FirstCoefficient", 2, Variant(0.5));
    const auto& wl = w.document->spectra().wavelengths[2];
    EXPECT_DOUBLE_EQ(wl[0], 400.0);
    EXPECT_DOUBLE_EQ(wl[2047], 400.0 + 0.5 * 2047);
    EXPECT_DOUBLE_EQ(w.chartX(2, 2047), wl[2047]);
    EXPECT_DOUBLE_EQ(asDouble(getAt(*wavelength, "FirstCoefficient", 2)), 0.5);
    // The first coefficient leaves the axes; the intercept resets them.
    EXPECT_EQ(XrtGetValue(chart, kXrtXMin).toDouble(), 500.0);

    putAt(*wavelength, "Intercept", 2, Variant(300.1));
    EXPECT_DOUBLE_EQ(asDouble(getAt(*wavelength, "Intercept", 2)), static_cast<double>(300.1f));
    EXPECT_DOUBLE_EQ(wl[0], static_cast<double>(300.1f));
    EXPECT_DOUBLE_EQ(w.chartX(2, 0), wl[0]);
    EXPECT_NE(XrtGetValue(chart, kXrtXMin).toDouble(), 500.0);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectrometerConfigurationClassesTest, WavelengthAndPixelLookupsClampAtTheEnds)
{
    ConfigurationWindow w;
    DispatchPtr wavelength = create("Harlune.SpecSpecWavelength");
    const auto wavelengthOf = [&](int16_t pixel) {
        return asDouble(call(*wavelength, "GetWavelength", {Variant(int16_t{0}), Variant(pixel)}));
    };
    const auto pixelOf = [&](double nm) {
        return asLong(call(*wavelength, "GetPixel", {Variant(int16_t{0}), Variant(nm)}));
    };
    const double last = 400.0 + static_cast<double>(0.1f) * 2047;
    EXPECT_DOUBLE_EQ(wavelengthOf(-5), 400.0);
    EXPECT_DOUBLE_EQ(wavelengthOf(2047), last);
    EXPECT_DOUBLE_EQ(wavelengthOf(30000), last);
    EXPECT_EQ(pixelOf(400.0), 0);
    EXPECT_EQ(pixelOf(100.0), 0);
    EXPECT_EQ(pixelOf(900.0), 2047);
    EXPECT_EQ(pixelOf(400.25), 2);
    EXPECT_DOUBLE_EQ(asDouble(call(*wavelength, "GetStartingWavelength", {Variant(int16_t{0})})),
                     400.0);
    EXPECT_DOUBLE_EQ(asDouble(call(*wavelength, "GetEndingWavelength", {Variant(int16_t{0})})),
                     last);
}

TEST_F(SpectrometerConfigurationClassesTest, NonLinearityCoefficientsRoundTripAtSinglePrecision)
{
    ConfigurationWindow w;
    w.configuration().SetAutoApply(1);
    DispatchPtr nl = create("Harlune.SpecSpecNonLinearity");
    double in[8] = {0.1, 1e-7, -2.5e-12, 3.3, 1.0 / 3.0, 0.0, -7.77, 123456.789};
    EXPECT_TRUE(asBool(
        call(*nl, "SetCorrectionCoefficients", {Variant(int16_t{4}), Variant::byRef(in, 8)})));
    EXPECT_EQ(w.pushes(), 1);
    double out[8] = {};
    EXPECT_TRUE(asBool(
        call(*nl, "GetCorrectionCoefficients", {Variant(int16_t{4}), Variant::byRef(out, 8)})));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i], static_cast<double>(static_cast<float>(in[i]))) << i;

    // Seven elements, or a NaN among them: refused, nothing stored or written.
    double shortArray[7] = {9, 9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(asBool(call(*nl, "SetCorrectionCoefficients",
                             {Variant(int16_t{4}), Variant::byRef(shortArray, 7)})));
    EXPECT_FALSE(asBool(call(*nl, "GetCorrectionCoefficients",
                             {Variant(int16_t{4}), Variant::byRef(shortArray, 7)})));
    EXPECT_EQ(shortArray[0], 9.0);
    in[5] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(asBool(
        call(*nl, "SetCorrectionCoefficients", {Variant(int16_t{4}), Variant::byRef(in, 8)})));
    float stored[8];
    w.configuration().GetNLCoefs(4, stored);
    EXPECT_EQ(stored[5], 0.0f);
    EXPECT_EQ(w.pushes(), 1);

    DispatchPtr sl = create("Harlune.SpecSpecStrayLight");
    putAt(*sl, "CorrectionCoefficient", 2, Variant(0.123456789));
    EXPECT_EQ(asDouble(getAt(*sl, "CorrectionCoefficient", 2)), static_cast<double>(0.123456789f));
    putAt(*sl, "CorrectionEnabled", 2, Variant(true));
    EXPECT_TRUE(asBool(getAt(*sl, "CorrectionEnabled", 2)));
    putAt(*nl, "CorrectionEnabled", 2, Variant(true));
    EXPECT_TRUE(asBool(getAt(*nl, "CorrectionEnabled", 2)));
    EXPECT_EQ(w.pushes(), 4);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectrometerConfigurationClassesTest, ArraysGetExactlyThePixelCountOfEachType)
{
    ConfigurationWindow w;
    DispatchPtr wavelength = create("Harlune.SpecSpecWavelength");
    DispatchPtr reference = create("Harlune.SpecSpecReference");
    struct Case
    {
        uint16_t type;
        size_t pixels;
    };
    const Case cases[] = {{0x400, 512}, {0x500, 256}, {0x600, 3648}, {0x700, 1024}, {0x200, 2048}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixels);
        w.configuration().SetSpectrometerType(c.type);
        std::vector<double> wl(c.pixels + 1, -1.0);
        EXPECT_TRUE(asBool(call(*wavelength, "GetAllWavelengths",
                                {Variant(int16_t{0}), Variant::byRef(wl.data(), wl.size())})));
        EXPECT_DOUBLE_EQ(wl[c.pixels - 1], w.configuration().GetLastPixelWavelength(0));
        EXPECT_EQ(wl[c.pixels], -1.0);
        std::vector<int16_t> map(c.pixels + 1, -1);
        EXPECT_TRUE(asBool(call(*reference, "GetReferencePixelArray",
                                {Variant(int16_t{0}), Variant::byRef(map.data(), map.size())})));
        EXPECT_NE(map[c.pixels - 1], -1);
        EXPECT_EQ(map[c.pixels], -1);

        // One short: refused, untouched.
        std::vector<double> shortWl(c.pixels - 1, -1.0);
        EXPECT_FALSE(
            asBool(call(*wavelength, "GetAllWavelengths",
                        {Variant(int16_t{0}), Variant::byRef(shortWl.data(), shortWl.size())})));
        EXPECT_EQ(shortWl[0], -1.0);
        std::vector<int16_t> shortMap(c.pixels - 1, -1);
        EXPECT_FALSE(
            asBool(call(*reference, "GetReferencePixelArray",
                        {Variant(int16_t{0}), Variant::byRef(shortMap.data(), shortMap.size())})));
        EXPECT_EQ(shortMap[0], -1);
    }
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectrometerConfigurationClassesTest, BadChannelsAndValuesChangeNothing)
{
    ConfigurationWindow w;
    w.configuration().SetAutoApply(1);
    DispatchPtr wavelength = create("Harlune.SpecSpecWavelength");
    DispatchPtr reference = create("Harlune.SpecSpecReference");
    DispatchPtr iface = create("Harlune.SpecSpecInterface");
    const auto before = w.document->spectra().wavelengths;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const int16_t channel : {int16_t{-1}, int16_t{8}, int16_t{99}}) {
        putAt(*wavelength, "Intercept", channel, Variant(1.0));
        EXPECT_EQ(asDouble(getAt(*wavelength, "Intercept", channel)), 0.0);
        putAt(*reference, "Wavelength", channel, Variant(500.0));
        putAt(*iface, "ChannelEnabled", channel, Variant(true));
        std::vector<double> wl(4096, -1.0);
        EXPECT_FALSE(asBool(call(*wavelength, "GetAllWavelengths",
                                 {Variant(channel), Variant::byRef(wl.data(), wl.size())})));
        EXPECT_EQ(wl[0], -1.0);
    }
    for (const double bad : {nan, inf, -inf, 1e300}) {
        putAt(*wavelength, "Intercept", 0, Variant(bad));
        putAt(*wavelength, "ThirdCoefficient", 0, Variant(bad));
        putAt(*reference, "Wavelength", 0, Variant(bad));
        if (!std::isfinite(bad))
            put(*iface, "LemmikOffset", Variant(bad));
        EXPECT_EQ(asLong(call(*wavelength, "GetPixel", {Variant(int16_t{0}), Variant(bad)})), 0);
    }
    put(*iface, "ADCType", Variant(int32_t{0x10000}));
    put(*iface, "SpectrometerType", Variant(int32_t{-1}));
    putAt(*reference, "Channel", 0, Variant(int16_t{8}));
    EXPECT_EQ(w.pushes(), 0);
    EXPECT_EQ(w.document->spectra().wavelengths, before);
    float c[4];
    w.configuration().GetWavelengthCoefs(0, c);
    EXPECT_EQ(c[0], 400.0f);
    EXPECT_EQ(c[3], 0.0f);
    EXPECT_EQ(w.configuration().GetADCType(), 255);
    EXPECT_EQ(w.configuration().GetSpectrometerType(), kIstrel);
    EXPECT_EQ(w.configuration().GetReferenceChannel(0), 0u);
    EXPECT_EQ(w.configuration().GetLemmikOffset(), 0.0);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectrometerConfigurationClassesTest, InterfaceFieldsRoundTrip)
{
    ConfigurationWindow w;
    DispatchPtr iface = create("Harlune.SpecSpecInterface");
    put(*iface, "ADCType", Variant(int32_t{8}));
    put(*iface, "SpectrometerType", Variant(int32_t{0x400}));
    put(*iface, "BaseAddress", Variant(int32_t{-2}));
    put(*iface, "SerialPort", Variant(int16_t{3}));
    put(*iface, "Initialized", Variant(true));
    put(*iface, "BrontelRotation", Variant(int16_t{2}));
    put(*iface, "SerialADCResolution", Variant(int16_t{12}));
    put(*iface, "SerialADCCompression", Variant(true));
    put(*iface, "SerialADCBaudRate", Variant(int16_t{4}));
    put(*iface, "USBSerialNumber", Variant("USB2000X"));
    EXPECT_EQ(asLong(get(*iface, "ADCType")), 8);
    EXPECT_EQ(asLong(get(*iface, "SpectrometerType")), 0x400);
    EXPECT_EQ(w.configuration().GetBaseAddress(), 0xFFFFFFFEu);
    EXPECT_EQ(asLong(get(*iface, "BaseAddress")), -2);
    EXPECT_EQ(asLong(get(*iface, "SerialPort")), 3);
    EXPECT_TRUE(asBool(get(*iface, "Initialized")));
    EXPECT_EQ(asLong(get(*iface, "BrontelRotation")), 2);
    EXPECT_EQ(asLong(get(*iface, "SerialADCResolution")), 12);
    EXPECT_TRUE(asBool(get(*iface, "SerialADCCompression")));
    EXPECT_EQ(asLong(get(*iface, "SerialADCBaudRate")), 4);
    EXPECT_EQ(asText(get(*iface, "USBSerialNumber")), "USB2000X");
    // The serial number field holds 29 characters.
    put(*iface, "SerialNumber", Variant(std::string(300, 'x')));
    EXPECT_EQ(asText(get(*iface, "SerialNumber")), std::string(29, 'x'));
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectrometerConfigurationClassesTest, GetCoefficientsFromDeviceLoadsAgain)
{
    ConfigurationWindow w;
    w.driver.coefficients.wavelength = {350.0f, 0.2f, 0.0f, 0.0f};
    w.view->OnLoadDeviceCoefficients(0);
    ASSERT_TRUE(w.view->coefficientsLoaded());
    // The device's calibration changes after the first load; the script asks again.
    w.driver.coefficients.wavelength = {360.0f, 0.25f, 1e-6f, 0.0f};
    w.driver.coefficients.nonLinearity = {1, 2, 3, 4, 5, 6, 7, 8};
    DispatchPtr wavelength = create("Harlune.SpecSpecWavelength");
    EXPECT_TRUE(asBool(call(*wavelength, "GetCoefficientsFromDevice")));
    EXPECT_TRUE(w.view->coefficientsLoaded());
    float c[4];
    w.configuration().GetWavelengthCoefs(0, c);
    EXPECT_EQ(c[0], 360.0f);
    EXPECT_EQ(c[2], 1e-6f);
    float nl[8];
    w.configuration().GetNLCoefs(0, nl);
    EXPECT_EQ(nl[7], 8.0f);
    // A device without coefficients: still TRUE, the calibration stays.
    w.driver.coefficientsResult = 0;
    EXPECT_TRUE(asBool(call(*wavelength, "GetCoefficientsFromDevice")));
    w.configuration().GetWavelengthCoefs(0, c);
    EXPECT_EQ(c[0], 360.0f);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectrometerConfigurationClassesTest, WithoutAWindowEachMemberLogsOnceButTheSilentTwo)
{
    FakeAutomationFrame frame;
    struct Case
    {
        const char* progId;
        const char* member;
        uint16_t flags;
        std::vector<Variant> args;
        bool logs;
    };
    double wl[4096];
    int16_t map[4096];
    const std::vector<Case> cases = {
        {"Harlune.SpecSpecInterface", "Autolock", DISPATCH_PROPERTYGET, {}, true},
        {"Harlune.SpecSpecInterface", "IRQ", DISPATCH_PROPERTYGET, {}, true},
        {"Harlune.SpecSpecInterface", "IRQ", DISPATCH_PROPERTYPUT, {Variant(int16_t{5})}, false},
        {"Harlune.SpecSpecInterface", "SpectrometerType", DISPATCH_PROPERTYGET, {}, false},
        {"Harlune.SpecSpecInterface",
         "SpectrometerType",
         DISPATCH_PROPERTYPUT,
         {Variant(int32_t{0x200})},
         true},
        {"Harlune.SpecSpecInterface", "SerialNumber", DISPATCH_PROPERTYGET, {}, true},
        {"Harlune.SpecSpecInterface",
         "ChannelEnabled",
         DISPATCH_PROPERTYGET,
         {Variant(int16_t{0})},
         true},
        {"Harlune.SpecSpecWavelength",
         "GetAllWavelengths",
         DISPATCH_METHOD,
         {Variant(int16_t{0}), Variant::byRef(wl, 4096)},
         true},
        {"Harlune.SpecSpecWavelength", "GetCoefficientsFromDevice", DISPATCH_METHOD, {}, true},
        {"Harlune.SpecSpecWavelength",
         "Intercept",
         DISPATCH_PROPERTYPUT,
         {Variant(int16_t{0}), Variant(1.0)},
         true},
        {"Harlune.SpecSpecNonLinearity",
         "CorrectionEnabled",
         DISPATCH_PROPERTYGET,
         {Variant(int16_t{0})},
         true},
        {"Harlune.SpecSpecStrayLight",
         "CorrectionCoefficient",
         DISPATCH_PROPERTYGET,
         {Variant(int16_t{0})},
         true},
        {"Harlune.SpecSpecReference",
         "GetReferencePixelArray",
         DISPATCH_METHOD,
         {Variant(int16_t{0}), Variant::byRef(map, 4096)},
         true},
        {"Harlune.SpecSpecReference", "Type", DISPATCH_PROPERTYGET, {Variant(int16_t{0})}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + "." + c.member);
        DispatchPtr object = create(c.progId);
        log.sources.clear();
        const Variant result = invokeMember(*object, c.member, c.flags, c.args);
        if (c.flags != DISPATCH_PROPERTYPUT) {
            if (result.type() == VarType::Bstr) {
                EXPECT_EQ(asText(result), "");
            } else {
                EXPECT_EQ(asDouble(result), 0.0);
            }
        }
        ASSERT_EQ(log.sources.size(), c.logs ? 1u : 0u);
        if (c.logs) {
            EXPECT_EQ(log.sources[0], std::string(c.progId).substr(8).insert(0, "I_"));
        }
    }
}

} // namespace
