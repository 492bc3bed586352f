// The spectral-data, spectrum-files, acquisition-parameters and store classes through their
// dispatch interfaces, on spectrum views over the real driver library's no-hardware set (an
// Istrel without A/D scanning a synthetic ramp), listed in a fake main frame: the copies of
// exactly the pixel count, the modes, the stored flags, the irradiance factors, the field
// ranges of the acquisition puts, the channel enables on the chart, the per-channel file names
// of channel 99, the refusals of bad files and bad arguments, and a BASIC script acting on a
// new scan.
#include "AutomationCall.h"
#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "app/res/MenuVerify.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/MainFrame.h"
#include "app/shell/MainFramePreferences.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectrumDataFile.h"
#include "app/spectrum/SpectrumProcessing.h"
#include "driver/include/vykdrv32.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/basic/Interpreter.h"
#include "platform/chart/Xrt.h"
#include "platform/chart/XrtChart.h"
#include "platform/chart/XrtProperties.h"
#include "platform/win/c/pwin.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using namespace platform::chart;
using namespace app::spectrum;
using namespace app::spectrum::test;
namespace fs = std::filesystem;

constexpr uint32_t kFrame = 41;
constexpr uint32_t kInstanceKey = 4243;
constexpr uint16_t kIstrel = 0x200; // 2048 pixels
constexpr uint16_t kJolvar = 0x600; // 3648 pixels

// The view's driver calls on the linked library.
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

// The main frame's part of the view: the driver's instance and the script event.
class ScanFrame : public FakeViewFrame
{
public:
    uint32_t instanceKey() override { return kInstanceKey; }
    void fireNewSpectraReady(const std::string& name, int16_t channels) override
    {
        FakeViewFrame::fireNewSpectraReady(name, channels);
        if (onNewSpectra)
            onNewSpectra(name, channels);
    }
    std::function<void(const std::string&, int16_t)> onNewSpectra;
};

struct ChartRecorder : XrtChartObserver
{
    void chartCall(const XrtCall& call) override { calls.push_back(call); }
    std::vector<XrtCall> calls;
};

// The main frame's window, with the global commands it hands to every spectrum window.
class CommandFrame : public FakeAutomationFrame
{
public:
    void sendSpectrumCommand(uintptr_t command, intptr_t value) override
    {
        spectrumCommands.emplace_back(static_cast<int>(command), static_cast<int>(value));
    }
    std::vector<std::pair<int, int>> spectrumCommands;
};

// One spectrum window on the linked driver, the active child of a fake main frame with the
// program's preferences; its driver messages arrive through a message window.
struct Window
{
    explicit Window(uint16_t spectrometerType = kIstrel)
    {
        CINIFileSupport store(nullptr, 1);
        const std::string path = freshFolder("config").string() + "/window.spec";
        store.WriteString("Preferences", "DefaultSpectrometer", path.c_str());
        handle = pwin_CreateMessageWindow(&Window::handler, this, nullptr);
        window.handle = handle;
        document = std::make_unique<CHarluneSpectrumDoc>(viewFrame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, viewFrame, driver, *document, host);
        CSpectrometerConfiguration& c = view->configuration();
        c.SetSpectrometerType(spectrometerType);
        c.SetScopeModeSaturationThreshold(1e9);
        const float coefs[4] = {400.0f, 0.1f, 0.0f, 0.0f};
        for (int k = 0; k < 8; ++k) {
            c.SetChannelEnabled(k, k < 2 ? 1 : 0);
            c.SetWavelengthCoefs(k, coefs);
        }
        // Slave 1 has a calibration of its own.
        const float slave[4] = {300.0f, 0.2f, 0.0f, 0.0f};
        c.SetWavelengthCoefs(1, slave);
        view->OnCreate();
        view->record().integration = 1;
        EXPECT_TRUE(view->Create());
        view->OnShowWindow();
        // The first refresh after construction only arms the next.
        view->UpdateAcquisitionBar();
        frame.add(kFrame, MainFrameWindow::ChildKind::Spectrum, "Spectrum 1");
        frame.active = kFrame;
        frame.spectrumViews[kFrame] = view.get();
        frame.preferences = &preferences;
        xrtChart(view->chart())->setObserver(&recorder);
    }
    ~Window()
    {
        if (XrtChart* chart = xrtChart(view->chart()))
            chart->setObserver(nullptr);
        frame.spectrumViews.clear();
        view->OnDestroy();
        view.reset();
        ::VYK_UnRegister(kInstanceKey);
        pwin_DestroyWindow(handle);
    }
    static PWIN_LRESULT handler(void* context, PWIN_HWND, PWIN_UINT message, PWIN_WPARAM wParam,
                                PWIN_LPARAM)
    {
        auto* self = static_cast<Window*>(context);
        if (message == VYK_MSG_BUFFER_FULL && self->view)
            return self->view->OnScanReady(static_cast<uint32_t>(wParam));
        return 0;
    }

    // One scan of the window, delivered and handled.
    bool scanOnce()
    {
        int expected = driver.buffersReturned;
        for (int k = 0; k < 8; ++k)
            expected += view->record().channelEnables[k] != 0 ? 1 : 0;
        if (::VYK_ParamSet(&view->record()) != 0 || ::VYK_SingleScan(kInstanceKey) != 0)
            return false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (driver.buffersReturned < expected) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            PWIN_MSG msg;
            if (pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE))
                pwin_DispatchMessage(&msg);
        }
        return true;
    }

    ChannelSpectra& spectra() { return document->spectra(); }
    std::vector<XrtCall> takeCalls() { return std::exchange(recorder.calls, {}); }

    CommandFrame frame;
    MainFramePreferences preferences;
    PWIN_HWND handle = 0;
    FakeConfigurationHost host;
    FakeViewWindow window;
    ScanFrame viewFrame;
    LinkedDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
    ChartRecorder recorder;
};

class SpectrumDataClassesTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(::VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_NONE, 0, 0), 0);
    }
    SpectrumDataClassesTest() { registerHarluneAutomation(registry); }

    DispatchPtr create(const char* progId)
    {
        DispatchPtr object;
        EXPECT_EQ(registry.CreateInstance(progId, object), S_OK) << progId;
        return object;
    }
    std::string folder(const std::string& name) { return freshFolder(name).string(); }

    ClassRegistry registry;
    RecordingSink log;
};

// A script's array of n doubles as a by-reference argument.
Variant arrayRef(std::vector<double>& values)
{
    return Variant::byRef(values.data(), values.size());
}

Variant shortArg(int v)
{
    return Variant(static_cast<int16_t>(v));
}

DISPID dispidOf(IDispatch& object, const std::string& name)
{
    DISPID id = 0;
    EXPECT_EQ(object.GetIDsOfNames(name, id), S_OK) << name;
    return id;
}

ParsedDataFile readBack(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return parseDataFile(bytes.str());
}

// ---------------------------------------------------------------------------------------
// The classes' tables

TEST_F(SpectrumDataClassesTest, MembersTakeTheirPositionsAsDispids)
{
    struct Case
    {
        const char* progId;
        const char* member;
        DISPID dispid;
    };
    const Case cases[] = {
        {"Harlune.SpecSpectralData", "ProcessingMode", 1},
        {"Harlune.SpecSpectralData", "SetWindowByUSBSerialNumber", 3},
        {"Harlune.SpecSpectralData", "GetDarkSpectrum", 9},
        {"Harlune.SpecSpectralData", "SetDarkSpectrum", 16},
        {"Harlune.SpecSpectralData", "ProcessedModesAvailable", 23},
        {"Harlune.SpecSpectralData", "SetIrradConvArray", 26},
        {"Harlune.SpecSpectrumFiles", "CheckOpenFileParameters", 2},
        {"Harlune.SpecSpectrumFiles", "SaveDark", 9},
        {"Harlune.SpecSpectrumFiles", "SaveSample", 16},
        {"Harlune.SpecSpectrumFiles", "SaveTimeAcqParametersDialog", 25},
        {"Harlune.SpecSpectrumFiles", "OpenDark", 26},
        {"Harlune.SpecSpectrumFiles", "OpenSpectrometerConfig", 34},
        {"Harlune.SpecSpectrumFiles", "OpenSpectrometerConfigDialog", 43},
        {"Harlune.SpecSpectrumFiles", "SaveEvenlySpacedSPCFile", 47},
        {"Harlune.SpecAcquisitionParameters", "FlashDelay", 8},
        {"Harlune.SpecAcquisitionParameters", "ShowConfigurationDialog", 15},
        {"Harlune.SpecAcquisitionParameters", "ChannelEnabled", 17},
        {"Harlune.SpecStoreSpectra", "SelectedChannels", 2},
        {"Harlune.SpecStoreSpectra", "Dark", 9},
        {"Harlune.SpecStoreSpectra", "GlobalReference", 15},
    };
    for (const Case& c : cases) {
        DispatchPtr object = create(c.progId);
        ASSERT_TRUE(object);
        EXPECT_EQ(dispidOf(*object, c.member), c.dispid) << c.progId << " " << c.member;
    }
    for (const auto& [progId, count] : {std::pair{"Harlune.SpecSpectralData", 26u},
                                        {"Harlune.SpecSpectrumFiles", 47u},
                                        {"Harlune.SpecAcquisitionParameters", 17u},
                                        {"Harlune.SpecStoreSpectra", 15u}})
        EXPECT_EQ(registry.dispatchTable(*findClassByProgId(progId))->size(), count) << progId;
}

// ---------------------------------------------------------------------------------------
// I_SpecSpectralData

// Every array kind, on a 2048- and a 3648-pixel type: exactly the pixel count moves, the
// document's entries beyond it stay, and only Dark and Reference mark the channel stored.
TEST_F(SpectrumDataClassesTest, CopiesMoveExactlyThePixelCount)
{
    struct Kind
    {
        const char* get;
        const char* set;
        ChannelArrays ChannelSpectra::*array;
        ChannelFlags ChannelSpectra::*stored;
    };
    const Kind kinds[] = {
        {"GetDarkSpectrum", "SetDarkSpectrum", &ChannelSpectra::dark, &ChannelSpectra::darkStored},
        {"GetReferenceSpectrum", "SetReferenceSpectrum", &ChannelSpectra::reference,
         &ChannelSpectra::referenceStored},
        {"GetSampleSpectrum", "SetSampleSpectrum", &ChannelSpectra::sample, nullptr},
        {"GetSampleDarkSpectrum", "SetSampleDarkSpectrum", &ChannelSpectra::sampleDark, nullptr},
        {"GetDriftCorrectedSampleSpectrum", "SetDriftCorrectedSampleSpectrum",
         &ChannelSpectra::driftCorrectedSample, nullptr},
        {"GetProcessedSpectrum", "SetProcessedSpectrum", &ChannelSpectra::processed, nullptr},
        {"GetWavelengths", "SetWavelengths", &ChannelSpectra::wavelengths, nullptr},
        {"GetIrradConvArray", "SetIrradConvArray", &ChannelSpectra::irradianceConversion, nullptr},
    };
    for (const uint16_t type : {kIstrel, kJolvar}) {
        Window w(type);
        const size_t n = type == kJolvar ? 3648 : 2048;
        DispatchPtr data = create("Harlune.SpecSpectralData");
        for (const Kind& kind : kinds) {
            SCOPED_TRACE(std::string(kind.set) + " " + std::to_string(n));
            SpectrumArray& target = (w.spectra().*kind.array)[3];
            target.fill(-7.0);
            std::vector<double> in(n + 10);
            for (size_t i = 0; i < in.size(); ++i)
                in[i] = 0.5 * static_cast<double>(i);
            EXPECT_TRUE(asBool(call(*data, kind.set, {shortArg(3), arrayRef(in)})));
            EXPECT_EQ(target[0], 0.0);
            EXPECT_EQ(target[n - 1], 0.5 * static_cast<double>(n - 1));
            EXPECT_EQ(target[n], -7.0);
            EXPECT_EQ(target[4095], -7.0);
            if (kind.stored) {
                EXPECT_EQ((w.spectra().*kind.stored)[3], 1u);
            }
            std::vector<double> out(n + 1, 99.0);
            EXPECT_TRUE(asBool(call(*data, kind.get, {shortArg(3), arrayRef(out)})));
            EXPECT_EQ(out[n - 1], target[n - 1]);
            EXPECT_EQ(out[n], 99.0);
        }
        EXPECT_EQ(w.spectra().sampleDarkStored[3], 0u);
        EXPECT_TRUE(log.sources.empty());
    }
}

// Bad arguments answer FALSE without a log line and change nothing.
TEST_F(SpectrumDataClassesTest, CopiesRefuseBadChannelsAndShortArrays)
{
    Window w;
    DispatchPtr data = create("Harlune.SpecSpectralData");
    w.spectra().dark[0].fill(5.0);
    struct Case
    {
        int channel;
        size_t length;
    };
    for (const Case c :
         {Case{8, 2048}, Case{-1, 2048}, Case{99, 2048}, Case{0, 2047}, Case{0, 1}}) {
        SCOPED_TRACE(std::to_string(c.channel) + " " + std::to_string(c.length));
        std::vector<double> values(c.length, 1.0);
        EXPECT_FALSE(
            asBool(call(*data, "SetDarkSpectrum", {shortArg(c.channel), arrayRef(values)})));
        EXPECT_FALSE(
            asBool(call(*data, "GetDarkSpectrum", {shortArg(c.channel), arrayRef(values)})));
        EXPECT_EQ(values[0], 1.0);
    }
    EXPECT_EQ(w.spectra().dark[0][0], 5.0);
    EXPECT_EQ(w.spectra().darkStored[0], 0u);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectrumDataClassesTest, ProcessingModeSequences)
{
    using namespace platform::automation;
    struct Case
    {
        std::vector<int> puts;
        int refused; // a MENUVERIFY value the script refuses, or 0
        int answer;
        ProcessingMode viewMode;
        int minusDark;
        int lastVerified;
    };
    const Case cases[] = {
        {{6}, 0, 6, Scope, 1, mvSpecSpectrumScopeMode},
        {{6, 0}, 0, 6, Scope, 1, mvSpecSpectrumScopeMode},
        {{9}, 0, 0, Scope, 0, mvSpecSpectrumScopeMode},
        {{6, 9}, 0, 6, Scope, 1, mvSpecSpectrumScopeMode},
        {{1}, 0, 1, Absorbance, 0, mvSpecSpectrumAbsorbanceMode},
        {{5}, 0, 5, SpecularReflection, 0, mvSpecSpectrumSpecularReflectionMode},
        // A refused command keeps the stored value.
        {{2}, mvSpecSpectrumTransmissionMode, 2, Transmission, 0, mvSpecSpectrumTransmissionMode},
        // A value that is no mode is never stored, even when Scope is refused.
        {{1, 9}, mvSpecSpectrumScopeMode, 1, Absorbance, 0, mvSpecSpectrumScopeMode},
    };
    for (const Case& c : cases) {
        Window w;
        DispatchPtr data = create("Harlune.SpecSpectralData");
        for (const int v : c.puts) {
            w.viewFrame.forbidden = v == c.puts.back() ? c.refused : 0;
            put(*data, "ProcessingMode", shortArg(v));
        }
        SCOPED_TRACE(c.puts.back());
        EXPECT_EQ(asLong(get(*data, "ProcessingMode")), c.answer);
        EXPECT_EQ(w.view->processingMode(), c.viewMode);
        EXPECT_EQ(w.view->scopeMinusDark(), c.minusDark);
        ASSERT_FALSE(w.viewFrame.verified.empty());
        EXPECT_EQ(w.viewFrame.verified.back(), c.lastVerified);
    }
}

// Mode 6 shows the scan minus the stored dark.
TEST_F(SpectrumDataClassesTest, ScopeMinusDarkSubtractsTheStoredDark)
{
    Window w;
    DispatchPtr data = create("Harlune.SpecSpectralData");
    ASSERT_TRUE(w.scanOnce());
    std::vector<double> dark(2048, 10.0);
    ASSERT_TRUE(asBool(call(*data, "SetDarkSpectrum", {shortArg(0), arrayRef(dark)})));
    put(*data, "ProcessingMode", shortArg(6));
    const double sample = w.spectra().sample[0][1000];
    EXPECT_NEAR(w.spectra().processed[0][1000], sample - 10.0, 1e-9);
}

TEST_F(SpectrumDataClassesTest, ProcessedModesAvailable)
{
    struct Case
    {
        const char* what;
        int timeNormalization;
        bool masterDarkAndReference;
        bool sampleDarkByScript;
        bool sampleDarkStored;
        bool expected;
    };
    const Case cases[] = {
        {"dark and reference", 0, true, false, false, true},
        {"nothing stored", 0, false, false, false, false},
        {"time normalised without sample dark", 1, true, false, false, false},
        {"a script's sample dark does not count", 1, true, true, false, false},
        {"the window's own sample dark", 1, true, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        // Only Master is active; Slave 1 has nothing stored and must not matter.
        w.view->record().channelEnables[1] = 0;
        w.view->setTimeNormalization(c.timeNormalization);
        DispatchPtr data = create("Harlune.SpecSpectralData");
        std::vector<double> values(2048, 1.0);
        if (c.masterDarkAndReference) {
            call(*data, "SetDarkSpectrum", {shortArg(0), arrayRef(values)});
            call(*data, "SetReferenceSpectrum", {shortArg(0), arrayRef(values)});
        }
        if (c.sampleDarkByScript)
            call(*data, "SetSampleDarkSpectrum", {shortArg(0), arrayRef(values)});
        if (c.sampleDarkStored)
            w.spectra().sampleDarkStored[0] = 1;
        EXPECT_EQ(asBool(call(*data, "ProcessedModesAvailable")), c.expected);
    }
}

TEST_F(SpectrumDataClassesTest, ColorTemperatureComputesTheActiveChannelsFactors)
{
    Window w;
    w.view->record().channelEnables[1] = 0;
    DispatchPtr data = create("Harlune.SpecSpectralData");
    w.spectra().irradianceConversion[1].fill(-1.0);
    put(*data, "ReferenceColorTemperature", Variant(2900.0));
    EXPECT_EQ(asDouble(get(*data, "ReferenceColorTemperature")), 2900.0);
    for (const int p : {0, 700, 2047}) {
        const double x = w.spectra().wavelengths[0][p] * 0.001;
        const double b = 37405.0 / (std::pow(x, 5) * (std::exp(14388.0 / (x * 2900.0)) - 1.0));
        EXPECT_NEAR(w.spectra().irradianceConversion[0][p], b / (1.288e-15 * std::pow(2900.0, 5)),
                    1e-9 * std::fabs(b / (1.288e-15 * std::pow(2900.0, 5))));
    }
    EXPECT_EQ(w.spectra().irradianceConversion[1][700], -1.0);

    // With the second-order flag the curve is taken at half the wavelength.
    const double firstOrderAtHalf =
        app::spectrum::blackbodyValue(w.spectra().wavelengths[0][700] / 2.0, 2900.0, false);
    w.document->setAssumeSecondOrder(1);
    put(*data, "ReferenceColorTemperature", Variant(2900.0));
    EXPECT_NEAR(w.spectra().irradianceConversion[0][700], firstOrderAtHalf,
                1e-12 * std::fabs(firstOrderAtHalf));

    // Bad temperatures change nothing.
    const double before = w.spectra().irradianceConversion[0][700];
    for (const double bad : {0.0, -300.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        put(*data, "ReferenceColorTemperature", Variant(bad));
        EXPECT_EQ(w.document->colorTemperature(), 2900.0) << bad;
        EXPECT_EQ(w.spectra().irradianceConversion[0][700], before) << bad;
    }
    EXPECT_TRUE(log.sources.empty());
}

// ---------------------------------------------------------------------------------------
// I_SpecAcquisitionParameters

TEST_F(SpectrumDataClassesTest, AcquisitionPutsSaturateAtTheirFields)
{
    struct Case
    {
        const char* member;
        Variant value;
        int32_t expected;
        bool refreshesBar;
    };
    const Case cases[] = {
        // The put saturates at the field (65535, 0), never cutting to the low 16 bits (4464);
        // the bar's refresh then clamps into the window's integration limits (8 to 65500 on
        // the no-hardware set).
        {"IntegrationTime", Variant(int32_t{70000}), 65500, true},
        {"IntegrationTime", Variant(int32_t{-5}), 8, true},
        {"IntegrationTime", Variant(int32_t{65536 + 100}), 65500, true},
        {"IntegrationTime", Variant(int32_t{120}), 120, true},
        {"FlashDelay", Variant(int32_t{40000}), 32767, true},
        {"FlashDelay", Variant(int32_t{-5}), 0, true},
        {"FlashDelay", Variant(int32_t{25}), 25, true},
        {"Averages", shortArg(-3), 0, true},
        {"Averages", shortArg(12), 12, true},
        {"Boxcar", shortArg(40), 40, true},
        {"CorrectForElectricalDark", Variant(int32_t{65536}), -1, true},
        {"StrobeEnable", Variant(int32_t{65536}), -1, true},
        {"ExternalTriggerMode", shortArg(3), 3, true},
        {"AutosaveOnExternalTrigger", Variant(int32_t{65536}), -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        Window w;
        DispatchPtr acquisition = create("Harlune.SpecAcquisitionParameters");
        w.window.clearBarWrites();
        put(*acquisition, c.member, c.value);
        EXPECT_EQ(asLong(get(*acquisition, c.member)), c.expected);
        EXPECT_EQ(!w.window.barTexts.empty() || !w.window.barChecks.empty(), c.refreshesBar);
    }
    Window w;
    DispatchPtr acquisition = create("Harlune.SpecAcquisitionParameters");
    put(*acquisition, "IntegrationTime", Variant(int32_t{70000}));
    put(*acquisition, "FlashDelay", Variant(int32_t{40000}));
    EXPECT_EQ(w.view->record().integration, 65500);
    EXPECT_EQ(w.view->record().flashDelay, 32767);
    put(*acquisition, "CorrectForElectricalDark", Variant(int32_t{65536}));
    EXPECT_EQ(w.view->record().correctForDark, 1);
    put(*acquisition, "AutosaveOnExternalTrigger", Variant(true));
    EXPECT_EQ(w.view->autosaveOnExternalTrigger(), 1);
    EXPECT_TRUE(log.sources.empty());
}

// Channel 99 put to 0 clears every trace and leaves the range 9999 to 0; enabling one channel
// gives its own calibrated range; the chart's four range properties are set in order.
TEST_F(SpectrumDataClassesTest, ChannelEnabledFollowsOnTheChart)
{
    Window w;
    DispatchPtr acquisition = create("Harlune.SpecAcquisitionParameters");
    w.spectra().processed[0].fill(3.0);
    w.takeCalls();
    invokeMember(*acquisition, "ChannelEnabled", DISPATCH_PROPERTYPUT,
                 {shortArg(99), Variant(false)});
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(w.view->configuration().GetChannelEnabled(k), 0) << k;
        EXPECT_EQ(w.view->record().channelEnables[k], 0) << k;
        double y = 1.0;
        XrtDataGetYElementIndirect(w.view->chartData(), k, 10, &y);
        EXPECT_EQ(y, 0.0) << k;
        EXPECT_EQ(w.spectra().wavelengths[k][10], 0.0) << k;
    }
    EXPECT_EQ(w.view->displayStartNm(), 9999.0);
    EXPECT_EQ(w.view->displayEndNm(), 0.0);
    // The range properties in order, between the repaint switch's 0 and 1.
    std::vector<std::pair<int, double>> range;
    for (const XrtCall& call : w.takeCalls())
        if (call.id == kXrtXDataMin || call.id == kXrtXDataMax || call.id == kXrtXMin ||
            call.id == kXrtXMax || call.id == kXrtRepaint)
            range.emplace_back(call.id, call.value.toDouble());
    EXPECT_EQ(range, (std::vector<std::pair<int, double>>{{kXrtRepaint, 0.0},
                                                          {kXrtXDataMin, 9999.0},
                                                          {kXrtXDataMax, 0.0},
                                                          {kXrtXMin, 9999.0},
                                                          {kXrtXMax, 0.0},
                                                          {kXrtRepaint, 1.0}}));
    for (const std::string& label : w.view->legendLabels())
        EXPECT_EQ(label, "");

    invokeMember(*acquisition, "ChannelEnabled", DISPATCH_PROPERTYPUT,
                 {shortArg(1), Variant(true)});
    EXPECT_TRUE(
        asBool(invokeMember(*acquisition, "ChannelEnabled", DISPATCH_PROPERTYGET, {shortArg(1)})));
    EXPECT_FALSE(
        asBool(invokeMember(*acquisition, "ChannelEnabled", DISPATCH_PROPERTYGET, {shortArg(0)})));
    EXPECT_NEAR(w.view->displayStartNm(), 300.0, 1e-6);
    EXPECT_NEAR(w.view->displayEndNm(), 300.0 + 0.2 * 2047, 1e-3);
    EXPECT_EQ(w.view->legendLabels()[1], "Slave 1");
    double x = 0.0;
    XrtDataGetXElementIndirect(w.view->chartData(), 1, 0, &x);
    EXPECT_NEAR(x, 300.0, 1e-6);

    // Channels outside 0 to 7 other than 99 reach nothing, without a log line.
    for (const int bad : {8, -1, 100}) {
        invokeMember(*acquisition, "ChannelEnabled", DISPATCH_PROPERTYPUT,
                     {shortArg(bad), Variant(true)});
        EXPECT_FALSE(asBool(
            invokeMember(*acquisition, "ChannelEnabled", DISPATCH_PROPERTYGET, {shortArg(bad)})));
    }
    EXPECT_EQ(w.view->configuration().GetChannelEnabled(0), 0);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(SpectrumDataClassesTest, ConfigurationDialogRunsTheWindowsCommand)
{
    Window w;
    DispatchPtr acquisition = create("Harlune.SpecAcquisitionParameters");
    call(*acquisition, "ShowConfigurationDialog");
    ASSERT_FALSE(w.viewFrame.verified.empty());
    EXPECT_EQ(w.viewFrame.verified.back(), mvSpecSpectrumConfigureDataAcquisition);
}

// ---------------------------------------------------------------------------------------
// I_SpecStoreSpectra

TEST_F(SpectrumDataClassesTest, StoreSelectionPreferenceAndCommands)
{
    Window w;
    DispatchPtr store = create("Harlune.SpecStoreSpectra");
    for (const auto& [value, mask] : {std::pair{5, 5}, {0x105, 5}, {0xFF, 0xFF}, {0, 0}}) {
        put(*store, "SelectedChannels", shortArg(value));
        EXPECT_EQ(asLong(get(*store, "SelectedChannels")), mask) << value;
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(w.view->selectedChannel(k), (mask >> k) & 1) << value << " " << k;
    }
    put(*store, "StoreForAll", Variant(true));
    EXPECT_EQ(w.preferences.StoreDarkReference, 1u);
    EXPECT_TRUE(asBool(get(*store, "StoreForAll")));

    ASSERT_TRUE(w.scanOnce());
    w.viewFrame.verified.clear();
    call(*store, "Dark");
    EXPECT_EQ(w.spectra().darkStored[0], 1u);
    call(*store, "CopySpectra");
    EXPECT_TRUE(w.window.clipboard.has_value());
    call(*store, "CopyGraphicalSpectra");
    EXPECT_EQ(w.window.chartCopies, 1);
    // A command the script refuses stores nothing.
    w.viewFrame.forbidden = mvSpecSpectrumStoreReference;
    call(*store, "Reference");
    EXPECT_EQ(w.spectra().referenceStored[0], 0u);
    EXPECT_EQ(w.viewFrame.verified,
              (std::vector<int>{mvSpecSpectrumStoreDark, mvSpecEditCopySpectralDataAll,
                                mvSpecEditCopyGraphicalSpectra, mvSpecSpectrumStoreReference}));
    EXPECT_TRUE(log.sources.empty());
}

// The global store commands run the main frame's, which hands them to every spectrum window
// once the script allows them.
TEST_F(SpectrumDataClassesTest, GlobalStoresRunTheMainFramesCommands)
{
    Window w;
    RecordingDriver driver;
    CMainFrame core(w.frame, driver, 0x4000);
    w.frame.mainFrame = &core;
    DispatchPtr store = create("Harlune.SpecStoreSpectra");
    call(*store, "GlobalDark");
    call(*store, "GlobalReference");
    EXPECT_EQ(w.frame.spectrumCommands, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}}));
    DispatchPtr acquisition = create("Harlune.SpecAcquisitionParameters");
    EXPECT_EQ(asLong(call(*acquisition, "GetActualIntegrationTime")), core.integrationTime());
    w.frame.mainFrame = nullptr;
    EXPECT_TRUE(log.sources.empty());
}

// ---------------------------------------------------------------------------------------
// I_SpecSpectrumFiles

TEST_F(SpectrumDataClassesTest, DefaultFileFormatTakesOnlyOneAndTwo)
{
    Window w;
    DispatchPtr files = create("Harlune.SpecSpectrumFiles");
    for (const auto& [value, kept] : {std::pair{2, 2}, {0, 2}, {3, 2}, {-1, 2}, {1, 1}}) {
        put(*files, "DefaultFileFormat", shortArg(value));
        EXPECT_EQ(asLong(get(*files, "DefaultFileFormat")), kept) << value;
    }
    put(*files, "CheckOpenFileParameters", Variant(false));
    EXPECT_EQ(w.preferences.spectrum.CheckFileConformity, 0u);
}

// Channel 99 writes each channel under the window's own name for the kind; each file reads
// back as its channel. Single channels keep the given name.
TEST_F(SpectrumDataClassesTest, ChannelNinetyNineWritesPerChannelNames)
{
    struct Case
    {
        const char* member;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"SaveDark", {"run.Master.Dark", "run.Slave1.Dark"}},
        {"SaveSample",
         {"run.Master.Sample", "run.Slave1.Sample", "run.Slave2.Sample", "run.Slave3.Sample",
          "run.Slave4.Sample", "run.Slave5.Sample", "run.Slave6.Sample", "run.Slave7.Sample"}},
        {"SaveProcessed",
         {"run.Master.Absorbance", "run.Slave1.Absorbance", "run.Slave2.Absorbance",
          "run.Slave3.Absorbance", "run.Slave4.Absorbance", "run.Slave5.Absorbance",
          "run.Slave6.Absorbance", "run.Slave7.Absorbance"}},
        {"SaveReference", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        Window w;
        w.view->setProcessingMode(Absorbance);
        for (int k = 0; k < 8; ++k) {
            w.spectra().dark[k].fill(10.0 + k);
            w.spectra().sample[k].fill(20.0 + k);
            w.spectra().processed[k].fill(30.0 + k);
        }
        w.spectra().darkStored[0] = w.spectra().darkStored[1] = 1;
        DispatchPtr files = create("Harlune.SpecSpectrumFiles");
        const std::string dir = folder("per-channel");
        // The base is cut within the file name only: the dotted folder stays whole.
        fs::create_directories(dir + "/data.old");
        const std::string given = dir + "/data.old/run.dat";
        EXPECT_TRUE(asBool(call(*files, c.member, {shortArg(99), Variant(given)})));
        std::vector<std::string> written;
        for (const auto& entry : fs::directory_iterator(dir + "/data.old"))
            written.push_back(entry.path().filename().string());
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, c.names);
        for (const std::string& name : c.names) {
            const ParsedDataFile file = readBack(dir + "/data.old/" + name);
            const int k = file.header.channel;
            EXPECT_EQ(name.find(k == 0 ? "Master" : "Slave" + std::to_string(k)), 4u) << name;
            ASSERT_EQ(file.values.size(), 2048u) << name;
            const double base = std::string(c.member) == "SaveDark"     ? 10.0
                                : std::string(c.member) == "SaveSample" ? 20.0
                                                                        : 30.0;
            EXPECT_EQ(file.values[5], base + k) << name;
        }
    }
    // One channel keeps the given name.
    Window w;
    w.spectra().darkStored[1] = 1;
    w.spectra().dark[1].fill(4.0);
    DispatchPtr files = create("Harlune.SpecSpectrumFiles");
    const std::string name = folder("single") + "/one.dark";
    EXPECT_TRUE(asBool(call(*files, "SaveDark", {shortArg(1), Variant(name)})));
    EXPECT_EQ(readBack(name).header.channel, 1);
    // Nothing stored: nothing written, TRUE.
    EXPECT_TRUE(asBool(call(*files, "SaveDark", {shortArg(2), Variant(name + "2")})));
    EXPECT_FALSE(fs::exists(name + "2"));
}

// A file that cannot be written answers FALSE; a declined overwrite stays TRUE.
TEST_F(SpectrumDataClassesTest, WritesThatFailAnswerFalse)
{
    Window w;
    w.spectra().darkStored[0] = 1;
    DispatchPtr files = create("Harlune.SpecSpectrumFiles");
    const std::string missing = folder("unwritable") + "/no/such/folder/x";
    std::vector<double> xs(2048, 1.0), ys(2048, 2.0);
    struct Case
    {
        const char* member;
        std::vector<Variant> args;
    };
    const std::vector<Case> cases = {
        {"SaveDark", {shortArg(0), Variant(missing)}},
        {"SaveDark", {shortArg(99), Variant(missing)}},
        {"SaveSample", {shortArg(0), Variant(missing)}},
        {"SaveProcessed", {shortArg(0), Variant(missing)}},
        {"SaveDataFile", {Variant(missing), shortArg(1), arrayRef(xs), arrayRef(ys)}},
        {"SaveEvenlySpacedSPCFile",
         {Variant(missing), Variant(1.0), Variant(2.0), shortArg(10), arrayRef(ys), shortArg(1),
          shortArg(0), Variant(std::string("memo"))}},
        {"SaveExperiment", {Variant(missing)}},
        {"SaveDisplaySettings", {Variant(missing), Variant(false)}},
        {"SaveSpectrometerConfig", {Variant(missing), Variant(true)}},
        {"SaveTimeAcqParameters", {Variant(missing), Variant(true)}},
    };
    const std::string configuration = w.view->configurationFile();
    const std::string times = w.view->timeParametersFile();
    for (const Case& c : cases)
        EXPECT_FALSE(asBool(call(*files, c.member, c.args))) << c.member;
    EXPECT_EQ(w.view->configurationFile(), configuration);
    EXPECT_EQ(w.view->timeParametersFile(), times);

    // The overwrite question answered No keeps TRUE.
    const std::string existing = folder("declined") + "/d.dark";
    std::ofstream(existing) << "keep";
    w.viewFrame.prefs.FileOverwriteWarning = 1;
    w.window.replies.push_back({SpectrumDocWindow::Answer::No});
    EXPECT_TRUE(asBool(call(*files, "SaveDark", {shortArg(0), Variant(existing)})));
    std::ifstream in(existing);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "keep");
}

TEST_F(SpectrumDataClassesTest, SaveDataFileWritesTheScriptsArraysAndOpenDataFileReadsThem)
{
    Window w;
    DispatchPtr files = create("Harlune.SpecSpectrumFiles");
    const std::string name = folder("datafile") + "/own.txt";
    std::vector<double> xs(2048), ys(2048);
    for (size_t i = 0; i < xs.size(); ++i)
        xs[i] = 500.0 + static_cast<double>(i), ys[i] = 2.0 * static_cast<double>(i);
    EXPECT_TRUE(asBool(
        call(*files, "SaveDataFile", {Variant(name), shortArg(1), arrayRef(xs), arrayRef(ys)})));
    std::vector<double> rx(2048, -1.0), ry(2048, -1.0);
    EXPECT_TRUE(asBool(call(*files, "OpenDataFile", {Variant(name), arrayRef(rx), arrayRef(ry)})));
    EXPECT_EQ(rx[100], 600.0);
    EXPECT_EQ(ry[2047], 4094.0);
    // Arrays shorter than the points: FALSE, untouched; nothing written.
    std::vector<double> shortArray(100, -1.0);
    EXPECT_FALSE(
        asBool(call(*files, "OpenDataFile", {Variant(name), arrayRef(shortArray), arrayRef(ry)})));
    EXPECT_EQ(shortArray[0], -1.0);
    EXPECT_FALSE(
        asBool(call(*files, "SaveDataFile",
                    {Variant(name + "2"), shortArg(1), arrayRef(shortArray), arrayRef(ys)})));
    EXPECT_FALSE(fs::exists(name + "2"));
    // A foreign file: FALSE.
    const std::string foreign = folder("foreign") + "/x.txt";
    std::ofstream(foreign) << "\x01\x02 binary \xff";
    EXPECT_FALSE(
        asBool(call(*files, "OpenDataFile", {Variant(foreign), arrayRef(rx), arrayRef(ry)})));
}

// The Open members: a refused file changes nothing; a name ending "spc" or "SPC" skips the
// parameter comparison; OpenSample leaves snapshot mode; OpenProcessed reaches the chart.
TEST_F(SpectrumDataClassesTest, OpenMembers)
{
    Window w;
    DispatchPtr files = create("Harlune.SpecSpectrumFiles");
    const std::string dir = folder("open");
    // A file of this window's parameters, Master's dark of 7.
    w.spectra().darkStored[0] = 1;
    w.spectra().dark[0].fill(7.0);
    const std::string good = dir + "/good.dark";
    ASSERT_TRUE(asBool(call(*files, "SaveDark", {shortArg(0), Variant(good)})));
    w.spectra().dark[0].fill(0.0);
    w.spectra().darkStored[0] = 0;

    // Refused files leave arrays and flags as they were.
    const std::string damaged = dir + "/damaged.dark";
    std::ofstream(damaged) << "\x01\x02\x03";
    for (const char* member :
         {"OpenDark", "OpenReference", "OpenSampleDark", "OpenProcessed", "OpenSample"}) {
        for (const std::string& file : {damaged, dir + "/missing.dark"}) {
            EXPECT_FALSE(asBool(call(*files, member, {shortArg(0), Variant(file)}))) << member;
        }
    }
    EXPECT_EQ(w.spectra().dark[0][3], 0.0);
    EXPECT_EQ(w.spectra().darkStored[0], 0u);
    EXPECT_EQ(w.spectra().referenceStored[0], 0u);
    EXPECT_EQ(w.spectra().sampleDarkStored[0], 0u);
    EXPECT_EQ(w.view->snapshotState(), 0);

    // Each file the reader refused was reported to the user.
    const size_t reported = w.window.messages.size();
    EXPECT_GT(reported, 0u);
    for (const std::string& caption : w.window.captions)
        EXPECT_EQ(caption, "Harlune Error");

    // The window's parameters changed: the comparison asks, and Cancel refuses the file...
    w.viewFrame.prefs.CheckFileConformity = 1;
    w.view->record().integration = 77;
    w.window.replies.push_back({SpectrumDocWindow::Answer::Cancel});
    EXPECT_FALSE(asBool(call(*files, "OpenDark", {shortArg(2), Variant(good)})));
    EXPECT_EQ(w.window.messages.size(), reported + 1);
    EXPECT_EQ(w.spectra().darkStored[2], 0u);
    // ...but names ending "spc" or "SPC" are not compared.
    for (const char* name : {"/copy.spc", "/copy.SPC"}) {
        fs::copy_file(good, dir + name, fs::copy_options::overwrite_existing);
        EXPECT_TRUE(asBool(call(*files, "OpenDark", {shortArg(2), Variant(dir + name)}))) << name;
    }
    EXPECT_EQ(w.window.messages.size(), reported + 1);
    EXPECT_EQ(w.spectra().dark[2][100], 7.0);
    EXPECT_EQ(w.spectra().darkStored[2], 1u);

    w.window.replies.push_back({SpectrumDocWindow::Answer::No});
    EXPECT_TRUE(asBool(call(*files, "OpenSample", {shortArg(0), Variant(good)})));
    EXPECT_EQ(w.view->snapshotState(), 1);
    EXPECT_EQ(w.spectra().sample[0][5], 7.0);

    w.window.replies.push_back({SpectrumDocWindow::Answer::No});
    EXPECT_TRUE(asBool(call(*files, "OpenProcessed", {shortArg(1), Variant(good)})));
    double y = 0.0;
    XrtDataGetYElementIndirect(w.view->chartData(), 1, 5, &y);
    EXPECT_EQ(y, 7.0);
    EXPECT_TRUE(log.sources.empty());
}

// makeCurrent 0 writes or reads the file but keeps the window's file names.
TEST_F(SpectrumDataClassesTest, SettingsFilesAndMakeCurrent)
{
    Window w;
    DispatchPtr files = create("Harlune.SpecSpectrumFiles");
    const std::string dir = folder("settings");
    const std::string display = w.view->displaySettingsFile();
    const std::string configuration = w.view->configurationFile();
    EXPECT_TRUE(
        asBool(call(*files, "SaveDisplaySettings", {Variant(dir + "/a.display"), Variant(false)})));
    EXPECT_TRUE(fs::exists(dir + "/a.display"));
    EXPECT_EQ(w.view->displaySettingsFile(), display);
    EXPECT_TRUE(
        asBool(call(*files, "SaveSpectrometerConfig", {Variant(dir + "/a.spec"), Variant(false)})));
    EXPECT_TRUE(fs::exists(dir + "/a.spec"));
    EXPECT_EQ(w.view->configurationFile(), configuration);
    EXPECT_TRUE(
        asBool(call(*files, "OpenDisplaySettings", {Variant(dir + "/a.display"), Variant(false)})));
    EXPECT_EQ(w.view->displaySettingsFile(), display);

    EXPECT_TRUE(
        asBool(call(*files, "SaveDisplaySettings", {Variant(dir + "/b.display"), Variant(true)})));
    EXPECT_EQ(w.view->displaySettingsFile(), dir + "/b.display");
    EXPECT_TRUE(
        asBool(call(*files, "OpenSpectrometerConfig", {Variant(dir + "/a.spec"), Variant(true)})));
    EXPECT_EQ(w.view->configurationFile(), dir + "/a.spec");
    EXPECT_TRUE(
        asBool(call(*files, "SaveTimeAcqParameters", {Variant(dir + "/a.time"), Variant(true)})));
    EXPECT_EQ(w.view->timeParametersFile(), dir + "/a.time");
    EXPECT_TRUE(
        asBool(call(*files, "OpenTimeAcqParameters", {Variant(dir + "/a.time"), Variant(false)})));
    EXPECT_TRUE(asBool(call(*files, "SaveExperiment", {Variant(dir + "/a.experiment")})));
    EXPECT_TRUE(asBool(call(*files, "OpenExperiment", {Variant(dir + "/a.experiment")})));

    // Missing files are not read as empty ones.
    for (const char* member :
         {"OpenDisplaySettings", "OpenTimeAcqParameters", "OpenSpectrometerConfig"})
        EXPECT_FALSE(asBool(call(*files, member, {Variant(dir + "/missing"), Variant(true)})))
            << member;
    EXPECT_FALSE(asBool(call(*files, "OpenExperiment", {Variant(dir + "/missing")})));
    EXPECT_EQ(w.view->displaySettingsFile(), dir + "/b.display");
    EXPECT_EQ(w.view->configurationFile(), dir + "/a.spec");
    EXPECT_EQ(w.view->timeParametersFile(), dir + "/a.time");
    EXPECT_TRUE(log.sources.empty());
}

// Scripts' bad arguments: the neutral result, no log line, nothing on disk or in the window.
TEST_F(SpectrumDataClassesTest, FilesRefuseBadArguments)
{
    Window w;
    w.spectra().darkStored.fill(1);
    DispatchPtr files = create("Harlune.SpecSpectrumFiles");
    const std::string dir = folder("bad");
    const std::string longName = dir + "/" + std::string(300, 'a');
    std::vector<double> ys(2048, 1.0);
    struct Case
    {
        const char* member;
        std::vector<Variant> args;
    };
    const std::vector<Case> cases = {
        {"SaveDark", {shortArg(8), Variant(dir + "/x")}},
        {"SaveDark", {shortArg(-1), Variant(dir + "/x")}},
        {"SaveDark", {shortArg(0), Variant(std::string())}},
        {"SaveDark", {shortArg(0), Variant(longName)}},
        {"OpenDark", {shortArg(99), Variant(dir + "/x")}},
        {"SaveDisplaySettings", {Variant(std::string()), Variant(true)}},
        {"SaveDataFile", {Variant(dir + "/x"), shortArg(7), arrayRef(ys), arrayRef(ys)}},
        {"SaveEvenlySpacedSPCFile",
         {Variant(dir + "/x"), Variant(std::nan("")), Variant(2.0), shortArg(10), arrayRef(ys),
          shortArg(1), shortArg(0), Variant(std::string())}},
        {"SaveEvenlySpacedSPCFile",
         {Variant(dir + "/x"), Variant(1.0), Variant(2.0), shortArg(-4), arrayRef(ys), shortArg(1),
          shortArg(0), Variant(std::string())}},
        {"SaveEvenlySpacedSPCFile",
         {Variant(dir + "/x"), Variant(1.0), Variant(2.0), shortArg(4000), arrayRef(ys),
          shortArg(1), shortArg(0), Variant(std::string())}},
    };
    const std::string display = w.view->displaySettingsFile();
    for (const Case& c : cases)
        EXPECT_FALSE(asBool(call(*files, c.member, c.args))) << c.member;
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_EQ(w.view->displaySettingsFile(), display);
    EXPECT_TRUE(log.sources.empty());

    // A good evenly spaced file for comparison.
    EXPECT_TRUE(asBool(call(*files, "SaveEvenlySpacedSPCFile",
                            {Variant(dir + "/e.spc"), Variant(1.0), Variant(2.0), shortArg(10),
                             arrayRef(ys), shortArg(1), shortArg(0), Variant(std::string("m"))})));
    EXPECT_TRUE(fs::exists(dir + "/e.spc"));
}

// Without a spectrum window each class answers its neutral result and logs one line.
TEST_F(SpectrumDataClassesTest, WithoutAWindowEveryMemberIsNeutral)
{
    FakeAutomationFrame frame;
    DispatchPtr data = create("Harlune.SpecSpectralData");
    DispatchPtr files = create("Harlune.SpecSpectrumFiles");
    DispatchPtr acquisition = create("Harlune.SpecAcquisitionParameters");
    DispatchPtr store = create("Harlune.SpecStoreSpectra");
    std::vector<double> values(4096, 1.0);
    EXPECT_EQ(asLong(get(*data, "ProcessingMode")), 0);
    EXPECT_FALSE(asBool(call(*data, "GetDarkSpectrum", {shortArg(0), arrayRef(values)})));
    EXPECT_FALSE(asBool(call(*files, "SaveDark", {shortArg(0), Variant(std::string("/tmp/x"))})));
    EXPECT_EQ(asLong(get(*acquisition, "IntegrationTime")), 0);
    EXPECT_EQ(asLong(get(*store, "SelectedChannels")), 0);
    EXPECT_EQ(log.sources, (std::vector<std::string>{
                               "I_SpecSpectralData", "I_SpecSpectralData", "I_SpecSpectrumFiles",
                               "I_SpecAcquisitionParameters", "I_SpecStoreSpectra"}));
}

// ---------------------------------------------------------------------------------------
// A BASIC script on a new scan

class ScriptHost : public platform::basic::InterpreterHost
{
public:
    void debugPrint(const std::string& text) override { output += text + "\n"; }
    void doEvents() override {}
    int msgBox(const std::string&, int, const std::string&) override { return 1; }
    DispatchPtr namedObject(const std::string&) override { return {}; }
    std::vector<DispatchPtr> extensions() override { return {}; }
    std::string output;
};

// The script waits for NewSpectraReady, takes the sample, stores half of it as the dark,
// switches to Absorbance and saves the processed spectrum: the file holds the window's
// processed values.
TEST_F(SpectrumDataClassesTest, ABasicScriptSavesTheProcessedSpectrumOfANewScan)
{
    registerHarluneAutomation(ClassRegistry::instance());
    Window w;
    w.view->record().channelEnables[1] = 0;
    w.view->configuration().SetChannelEnabled(1, 0);
    w.spectra().reference[0].fill(5000.0);
    w.spectra().referenceStored[0] = 1;
    const std::string path = folder("script") + "/result.abs";
    const std::string script = R"(Dim done
Sub EventGenerator_NewSpectraReady(windowname As String, channels As Integer)
Dim d, f, s(2047) As Double, i
If done Then Exit Sub
done = True
Set d = CreateObject("Harlune.SpecSpectralData")
Set f = CreateObject("Harlune.SpecSpectrumFiles")
Debug.Print windowname; channels; d.GetSampleSpectrum(0, s(0))
For i = 0 To 2047: s(i) = s(i) / 2: Next
Debug.Print d.SetDarkSpectrum(0, s(0))
d.ProcessingMode = 1
Debug.Print d.ProcessingMode; f.SaveProcessed(0, ")" +
                               path + R"(")
End Sub
)";
    ScriptHost host;
    platform::basic::Interpreter in(host);
    platform::basic::ScriptError error;
    ASSERT_TRUE(in.load(script, "Test", error)) << error.description << " at " << error.line;
    w.viewFrame.onNewSpectra = [&](const std::string& name, int16_t channels) {
        EXPECT_EQ(in.call("EventGenerator_NewSpectraReady", {Variant(name), Variant(channels)}),
                  platform::basic::RunStatus::Completed)
            << in.lastError().description << " at " << in.lastError().line;
    };
    ASSERT_TRUE(w.scanOnce());
    w.viewFrame.onNewSpectra = nullptr;
    EXPECT_EQ(host.output, w.window.title + " 1 True\nTrue\n 1 True\n");
    EXPECT_EQ(w.view->processingMode(), Absorbance);
    EXPECT_EQ(w.spectra().darkStored[0], 1u);
    const ParsedDataFile file = readBack(path);
    ASSERT_EQ(file.values.size(), 2048u);
    bool nonZero = false;
    for (size_t i = 0; i < 2048; ++i) {
        EXPECT_NEAR(file.values[i], w.spectra().processed[0][i],
                    1e-3 + 1e-6 * std::fabs(file.values[i]))
            << i;
        nonZero = nonZero || file.values[i] != 0.0;
    }
    EXPECT_TRUE(nonZero);
    EXPECT_TRUE(log.sources.empty());
}

} // namespace
