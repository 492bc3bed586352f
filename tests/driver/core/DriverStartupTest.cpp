#include "driver/core/DriverConfig.h"
#include "driver/core/DriverState.h"
#include "driver/core/SetupDialog.h"
#include "driver/java/JavaBridge.h"
#include "platform/win/Profile.h"
#include "sim/java/FakeJavaDriver.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace driver::core::test {
namespace {

// Whether a real Java VM was started in this process.
bool javaVmLoaded()
{
    void* vm = dlopen("libjvm.so", RTLD_NOW | RTLD_NOLOAD);
    if (vm)
        dlclose(vm);
    return vm != nullptr;
}

// The Java-driven types connect to the simulated Java driver, never to a real VM (which
// would make what these tests cover depend on an installed Java, and is not instrumented
// by the sanitizers).
class SimulatedJavaEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { java::setJavaBackend(std::make_shared<sim::java::FakeJavaDriver>()); }
    void TearDown() override { EXPECT_FALSE(javaVmLoaded()); }
};

[[maybe_unused]] ::testing::Environment* const g_simulatedJava =
    ::testing::AddGlobalTestEnvironment(new SimulatedJavaEnvironment);

std::string readValue(const char* section, const char* key)
{
    char buffer[64] = {};
    platform::win::GetPrivateProfileString(section, key, "<missing>", buffer, sizeof buffer,
                                           driverConfigPath().c_str());
    return buffer;
}

void writeFile(const std::string& text)
{
    std::ofstream(driverConfigPath(), std::ios::binary | std::ios::trunc) << text;
}

// A library that starts as the first export call starts it, on the fake platform.
std::shared_ptr<FakeDriverPlatform> unloadedLibrary()
{
    auto fake = std::make_shared<FakeDriverPlatform>();
    detachDriver();
    setDriverPlatform(fake);
    std::filesystem::remove(driverConfigPath());
    return fake;
}

// The detach at process exit writes the configuration through the profile layer, whose
// file cache is first used here only after the library has registered that detach: exit
// handlers run in the reverse order of registration, so the cache must outlive it. The
// exit runs in a process of its own (the death-test child runs this case alone).
TEST(DriverExitTest, DetachAtExitWritesTheConfigurationAfterLaterStatics)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            auto fake = unloadedLibrary();
            attachDriver(false);
            VYK_Config(VYK_SPEC_LEMMIK, VYK_ADC_NONE, 0, 0);
            writeFile("[Setup]\r\nSpectrometerType=Lemmik\r\nADCType=NONE\r\n");
            ReadDriverConfig();
            VYK_Config(VYK_SPEC_WESSOR, VYK_ADC_NONE, 0, 0);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readValue("Setup", "SpectrometerType"), "Wessor");
}

struct WordCase
{
    const char* word;
    int spectrometerType;
    int adcType;
};

class TypeWordTest : public ::testing::TestWithParam<WordCase>
{};

TEST_P(TypeWordTest, ReadsAsTheTable)
{
    const WordCase& c = GetParam();
    EXPECT_EQ(spectrometerTypeFromWord(c.word), c.spectrometerType);
    EXPECT_EQ(adcTypeFromWord(c.word), c.adcType);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypeWordTest,
    ::testing::Values(
        WordCase{"Gavrel", 0, 255}, WordCase{"gavrel", 0, 255}, WordCase{"GAVREL", 0, 255},
        WordCase{"IstrelBT", 256, 255}, WordCase{"istrel", 512, 255}, WordCase{"LEMMIK", 768, 255},
        WordCase{"Wessor", 1024, 255}, WordCase{"velko", 1280, 255}, WordCase{"Jolvar", 1536, 255},
        WordCase{"Ulmar", 1792, 255}, WordCase{"Pellar", 0xFD00, 253}, WordCase{"Dovrin", 0, 0},
        WordCase{"dovrin", 0, 0}, WordCase{"DOVRIN", 0, 255}, WordCase{"daq700", 0, 1},
        WordCase{"Brontel", 0, 2}, WordCase{"SERIALADC", 0, 8}, WordCase{"Kaldris", 0, 8},
        WordCase{"serialusb", 0, 8}, WordCase{"Pavik", 0, 4}, WordCase{"CadrelPCI", 0, 6},
        WordCase{"BrontelUSB", 0, 7}, WordCase{"Solvi", 0, 9}, WordCase{"Fornic-PC104", 0, 10},
        WordCase{"Xandel", 0, 11}, WordCase{"Trevan", 0, 12}, WordCase{"SolviPLUS", 0, 13},
        WordCase{"solvi+", 0, 13}, WordCase{"UlmarADC", 0, 14}, WordCase{"PavikPLUS", 0, 15},
        WordCase{"Quarn", 0, 16}, WordCase{"NONE", 0, 255}, WordCase{"", 0, 255},
        WordCase{"Gavrel ", 0, 255}));

TEST(TypeWordTest, WritesTheFirstSpelling)
{
    EXPECT_STREQ(adcTypeWord(3), "SERIALADC");
    EXPECT_STREQ(adcTypeWord(5), "SERIALADC");
    EXPECT_STREQ(adcTypeWord(13), "SolviPLUS");
    EXPECT_STREQ(adcTypeWord(99), "NONE");
    EXPECT_STREQ(spectrometerTypeWord(0xFD00), "Pellar");
    EXPECT_STREQ(spectrometerTypeWord(333), "");
}

TEST(DriverConfigTest, EveryKeyRoundTrips)
{
    auto fake = startFakeDriver();
    writeFile("[Setup]\r\nSpectrometerType=jolvar\r\nADCType=Solvi+\r\nIRQ=5\r\n"
              "EnableMessages=0\r\nBaseAddress=800\r\nFirstPixel=12\r\n"
              "DoScanProcessYield=0\r\nExtrigProcessYield=1\r\nInitialized=1\r\n"
              "SerialPort=3\r\nCompressKALData=1\r\nSerialPortBaudIndex=2\r\n"
              "KaldrisPixelResolution=4\r\nPCICardID=2\r\n"
              "USBSerialNumber=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\r\n"
              "NoIntegrationTimeDelayMode=1\r\nAutonullingEnabled=0\r\nPCI/RQ5-FIX=1\r\n"
              "SpecialRotatorDelay=9\r\nCadrelPCIMasterClockDivisor=6\r\n"
              "[Channel3]\r\nNLEnabled=1\r\nNLIntercept=1.5\r\nNLSeventhCoef=-2.5e-07\r\n"
              "SLEnabled=1\r\nSLConstant=0.25\r\n[Channel5]\r\nNLFirstCoef=garbage\r\n");
    ReadDriverConfig();
    {
        DriverState& state = driverState();
        std::lock_guard lock(state.mutex);
        EXPECT_EQ(state.spectrometerType, VYK_SPEC_JOLVAR);
        EXPECT_EQ(state.adcType, VYK_ADC_SOLVIPLUS);
        EXPECT_EQ(state.irq, 5);
        EXPECT_FALSE(state.messagesEnabled);
        EXPECT_EQ(state.baseAddress, 800);
        EXPECT_EQ(state.firstPixel, 12);
        EXPECT_FALSE(state.doScanProcessYield);
        EXPECT_TRUE(state.extrigProcessYield);
        EXPECT_TRUE(state.initialized);
        EXPECT_EQ(state.serialPort, 3);
        EXPECT_TRUE(state.compressKalData);
        EXPECT_EQ(state.serialPortBaudIndex, 2);
        EXPECT_EQ(state.kaldrisPixelResolution, 4);
        EXPECT_EQ(state.pciCardId, 2);
        EXPECT_EQ(state.usbSerialNumber, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012"); // 29 characters
        EXPECT_EQ(state.noIntegrationTimeDelayMode, 1);
        EXPECT_FALSE(state.autonullingEnabled);
        EXPECT_TRUE(state.pciRq5Fix);
        EXPECT_EQ(state.specialRotatorDelay, 9);
        EXPECT_EQ(state.cadrelPciMasterClockDivisor, 6);
        EXPECT_EQ(state.corrections[3].nlEnable, 1);
        EXPECT_DOUBLE_EQ(state.corrections[3].nlCoefficients[0], 1.5);
        EXPECT_DOUBLE_EQ(state.corrections[3].nlCoefficients[7], -2.5e-07);
        EXPECT_EQ(state.corrections[3].slEnable, 1);
        EXPECT_FLOAT_EQ(state.corrections[3].slConstant, 0.25f);
        EXPECT_DOUBLE_EQ(state.corrections[5].nlCoefficients[1], 0.0);
        EXPECT_FALSE(state.usbType);
        state.connectedMarker = 0;
        state.pciRq5Fix = false;
    }
    ASSERT_TRUE(WriteDriverConfig());
    const std::pair<const char*, const char*> expected[] = {
        {"SpectrometerType", "Jolvar"},
        {"ADCType", "SolviPLUS"},
        {"IRQ", "5"},
        {"EnableMessages", "0"},
        {"BaseAddress", "800"},
        {"FirstPixel", "12"},
        {"Initialized", "0"}, // nothing connected
        {"SerialPort", "3"},
        {"CompressKALData", "1"},
        {"SerialPortBaudIndex", "2"},
        {"KaldrisPixelResolution", "4"},
        {"PCICardID", "2"},
        {"USBSerialNumber", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012"},
        {"PCI/RQ5-FIX", "0"},        // off, and present in the file
        {"DoScanProcessYield", "0"}, // not written: kept as it was
    };
    for (const auto& [key, value] : expected) {
        SCOPED_TRACE(key);
        EXPECT_EQ(readValue("Setup", key), value);
    }
    EXPECT_EQ(readValue("Channel3", "NLIntercept"), "1.500000e+00");
    EXPECT_EQ(readValue("Channel3", "NLSeventhCoef"), "-2.500000e-07");
    EXPECT_EQ(readValue("Channel3", "SLConstant"), "0.250000");
    EXPECT_EQ(readValue("Channel3", "NLEnabled"), "1");
    EXPECT_EQ(readValue("Channel7", "NLFirstCoef"), "0.000000e+00");
    EXPECT_EQ(readValue("Channel7", "SLConstant"), "0.000000");
}

TEST(DriverConfigTest, MissingFileGivesTheDefaultsAndTheWorkAroundStaysAbsent)
{
    auto fake = startFakeDriver();
    std::filesystem::remove(driverConfigPath());
    ReadDriverConfig();
    {
        DriverState& state = driverState();
        std::lock_guard lock(state.mutex);
        EXPECT_EQ(state.spectrometerType, VYK_SPEC_GAVREL);
        EXPECT_EQ(state.adcType, VYK_ADC_DOVRIN);
        EXPECT_EQ(state.irq, 7);
        EXPECT_EQ(state.baseAddress, 768);
        EXPECT_EQ(state.firstPixel, 950);
        EXPECT_EQ(state.serialPortBaudIndex, 5);
        EXPECT_FALSE(state.initialized);
        EXPECT_TRUE(state.messagesEnabled);
    }
    ASSERT_TRUE(WriteDriverConfig());
    EXPECT_EQ(readValue("Setup", "PCI/RQ5-FIX"), "<missing>");
    EXPECT_EQ(readValue("Setup", "ADCType"), "Dovrin");
    EXPECT_EQ(readValue("Setup", "SpectrometerType"), "Gavrel");
}

struct IntegrationCase
{
    const char* name;
    std::uint16_t spectrometer;
    std::uint16_t adc;
    int periodMs;
    std::int32_t expected;
};

class IntegrationTimeTest : public ::testing::TestWithParam<IntegrationCase>
{};

TEST_P(IntegrationTimeTest, AnswersForTheAppliedPeriod)
{
    const IntegrationCase& c = GetParam();
    auto fake = startFakeDriver(c.spectrometer, c.adc);
    {
        std::lock_guard lock(driverState().mutex);
        driverState().appliedPeriodMs = c.periodMs;
    }
    EXPECT_EQ(VYK_GetIntegrationTime(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegrationTimeTest,
    ::testing::Values(
        IntegrationCase{"IstrelDaq700", VYK_SPEC_ISTREL, VYK_ADC_DAQ700, 100, 127},
        IntegrationCase{"IstrelDovrin", VYK_SPEC_ISTREL, VYK_ADC_DOVRIN, 100, 102},
        IntegrationCase{"IstrelBrontel", VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, 1000, 1024},
        // Without a converter the synthetic source's period is its exposure.
        IntegrationCase{"IstrelNone", VYK_SPEC_ISTREL, VYK_ADC_NONE, 1000, 1000},
        IntegrationCase{"IstrelUlmar", VYK_SPEC_ISTREL, VYK_ADC_ULMARADC, 100, 100},
        IntegrationCase{"IstrelSolviPlus", VYK_SPEC_ISTREL, VYK_ADC_SOLVIPLUS, 100, 100},
        IntegrationCase{"GavrelThree", VYK_SPEC_GAVREL, VYK_ADC_DOVRIN, 3, 1365},
        IntegrationCase{"GavrelZero", VYK_SPEC_GAVREL, VYK_ADC_DOVRIN, 0, 0},
        IntegrationCase{"GavrelNone", VYK_SPEC_GAVREL, VYK_ADC_NONE, 3, 3},
        IntegrationCase{"Lemmik", VYK_SPEC_LEMMIK, VYK_ADC_NONE, 55, 55}),
    [](const auto& info) { return std::string(info.param.name); });

struct ConfigCase
{
    const char* name;
    int16_t args[6];
    bool extended;
    int16_t expectedResult;
    int expectedAdc;
    int expectedIrq;
    int expectedBase;
    int expectedSerialPort;
};

class ConfigTest : public ::testing::TestWithParam<ConfigCase>
{};

TEST_P(ConfigTest, StoresWhatIsInRange)
{
    const ConfigCase& c = GetParam();
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    VYK_ConfigEx(VYK_SPEC_ISTREL, VYK_ADC_TREVAN, 9, 0x200, 4, 1);
    // The serial A/D connects on its port (4): no converter is there.
    writeFile("[Setup]\r\nSerialDevice4=/nonexistent/tty\r\n");
    const int16_t result =
        c.extended ? VYK_ConfigEx(c.args[0], c.args[1], c.args[2], c.args[3], c.args[4], c.args[5])
                   : VYK_Config(c.args[0], c.args[1], c.args[2], c.args[3]);
    EXPECT_EQ(result, c.expectedResult);
    EXPECT_EQ(VYK_GetADCType(), c.expectedAdc);
    EXPECT_EQ(VYK_GetIRQ(), c.expectedIrq);
    EXPECT_EQ(VYK_GetBaseAddress(), c.expectedBase);
    EXPECT_EQ(VYK_GetSerialPort(), c.expectedSerialPort);
    EXPECT_FALSE(javaVmLoaded());
    std::filesystem::remove(driverConfigPath());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigTest,
    ::testing::Values(
        ConfigCase{"IrqZeroKept", {512, 255, 0, 0x300, 0, 0}, false, 0, 255, 9, 0x300, 4},
        ConfigCase{"IrqSixteenKept", {512, 255, 16, 0x300, 0, 0}, false, 0, 255, 9, 0x300, 4},
        ConfigCase{"UnalignedBaseKept", {512, 255, 5, 0x305, 0, 0}, false, 0, 255, 5, 0x200, 4},
        ConfigCase{"SerialTypesAsEight", {512, 5, 5, 0x300, 0, 0}, false, 8, 8, 5, 0x300, 4},
        ConfigCase{
            "SameJavaTypeNotReconnected", {512, 12, 3, 0x300, 9, 2}, true, 12, 12, 9, 0x200, 4},
        ConfigCase{"ExtendedStoresPort", {512, 255, 3, 0x300, 16, 15}, true, 0, 255, 3, 0x300, 16},
        ConfigCase{
            "ExtendedPortOutOfRange", {512, 255, 3, 0x300, 17, 16}, true, 0, 255, 3, 0x300, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DriverStartupTest, MissingInitializedRunsTheSetUpHookAndItsApplyConnects)
{
    auto fake = unloadedLibrary();
    writeFile("[Setup]\r\nSpectrometerType=Istrel\r\nADCType=Dovrin\r\n");
    fake->onDialog = [](SetupDialogModel& model) {
        model.select(SetupList::Adc, model.count(SetupList::Adc) - 1); // "NONE"
        return kIdOk;
    };
    // The first export call starts the library, which asks for the set-up.
    EXPECT_EQ(VYK_GetADCType(), VYK_ADC_NONE);
    EXPECT_EQ(fake->dialogs(), 1);
    EXPECT_EQ(VYK_GetSpectrometerType(), VYK_SPEC_ISTREL);

    TestClient client(42, 7, {0, 1});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    EXPECT_EQ(VYK_SingleScan(42), 0);
    EXPECT_EQ(fake->postedOf(VYK_MSG_BUFFER_FULL).size(), 2u);
    EXPECT_EQ(fake->dialogs(), 1);

    // Shutdown marks the file initialised, so the next start connects without asking.
    detachDriver();
    EXPECT_EQ(readValue("Setup", "Initialized"), "1");
    EXPECT_EQ(readValue("Setup", "ADCType"), "NONE");
    EXPECT_EQ(readValue("Setup", "SpectrometerType"), "Istrel");
    EXPECT_EQ(VYK_GetADCType(), VYK_ADC_NONE);
    EXPECT_EQ(fake->dialogs(), 1);
    TestClient again(43, 8, {0});
    ASSERT_EQ(VYK_Register(&again.record), 0);
    ASSERT_EQ(VYK_ParamSet(&again.record), 0);
    EXPECT_EQ(VYK_SingleScan(43), 0);
}

TEST(DriverStartupTest, CancelledSetUpChangesNothingAndScansReportIt)
{
    auto fake = unloadedLibrary();
    writeFile("[Setup]\r\nSpectrometerType=Lemmik\r\nADCType=NONE\r\nInitialized=0\r\n");
    fake->onDialog = [](SetupDialogModel& model) {
        model.select(SetupList::Spectrometer, 0);
        model.select(SetupList::Adc, 0);
        return kIdCancel;
    };
    EXPECT_EQ(VYK_GetSpectrometerType(), VYK_SPEC_LEMMIK);
    EXPECT_EQ(VYK_GetADCType(), VYK_ADC_NONE);
    EXPECT_EQ(VYK_Config(0, 0, 0, 0), 2);
    EXPECT_EQ(VYK_GetSpectrometerType(), VYK_SPEC_LEMMIK);
    detachDriver();
    EXPECT_EQ(readValue("Setup", "Initialized"), "0");
}

TEST(DriverStartupTest, CClientWithoutHookGetsCancel)
{
    auto fake = unloadedLibrary();
    setDriverPlatform(nullptr); // platform/win: no dialog hook installed
    EXPECT_EQ(VYK_Config(0, 0, 0, 0), 2);
    detachDriver();
    setDriverPlatform(fake);
}

struct ControlsCase
{
    const char* name;
    std::uint16_t spectrometer;
    std::uint16_t adc;
    SetupControls shown;
    const char* firstUsbEntry;
};

class SetupDialogControlsTest : public ::testing::TestWithParam<ControlsCase>
{};

TEST_P(SetupDialogControlsTest, ShowsTheControlsOfTheType)
{
    const ControlsCase& c = GetParam();
    auto fake = startFakeDriver(c.spectrometer, c.adc);
    SetupDialog model;
    const SetupControls shown = model.visibleControls();
    EXPECT_EQ(shown.baseAddress, c.shown.baseAddress);
    EXPECT_EQ(shown.irq, c.shown.irq);
    EXPECT_EQ(shown.firstPixel, c.shown.firstPixel);
    EXPECT_EQ(shown.usbSerial, c.shown.usbSerial);
    EXPECT_EQ(shown.pciCard, c.shown.pciCard);
    EXPECT_EQ(shown.serialPort, c.shown.serialPort);
    EXPECT_EQ(shown.baud, c.shown.baud);
    EXPECT_EQ(shown.pixelResolution, c.shown.pixelResolution);
    EXPECT_EQ(shown.compress, c.shown.compress);
    EXPECT_EQ(model.item(SetupList::UsbSerial, 0), c.firstUsbEntry);
}

constexpr SetupControls kBoard{true, true, false, false, false, false, false, false, false};
constexpr SetupControls kBoardBT{true, true, true, false, false, false, false, false, false};
constexpr SetupControls kUsb{false, false, false, true, false, false, false, false, false};
constexpr SetupControls kPci{false, false, false, false, true, false, false, false, false};
constexpr SetupControls kSerial{false, false, false, false, false, true, true, true, true};
constexpr SetupControls kNone{};

INSTANTIATE_TEST_SUITE_P(
    Cases, SetupDialogControlsTest,
    ::testing::Values(
        ControlsCase{"Dovrin", VYK_SPEC_ISTREL, VYK_ADC_DOVRIN, kBoard, ""},
        ControlsCase{"Daq700IstrelBT", VYK_SPEC_ISTRELBT, VYK_ADC_DAQ700, kBoardBT, ""},
        ControlsCase{"FornicPC104", VYK_SPEC_GAVREL, VYK_ADC_FORNICPC104, kBoard, ""},
        ControlsCase{"Pavik", VYK_SPEC_ISTREL, VYK_ADC_PAVIK, kUsb, "First Available Pavik"},
        ControlsCase{"BrontelUSB", VYK_SPEC_ISTREL, VYK_ADC_BRONTELUSB, kUsb,
                     "First Available Brontel-USB"},
        ControlsCase{"SolviPlus", VYK_SPEC_ISTREL, VYK_ADC_SOLVIPLUS, kUsb,
                     "First Available Solvi+"},
        ControlsCase{"Quarn", VYK_SPEC_ISTREL, VYK_ADC_QUARN, kUsb, "First Available Quarn"},
        ControlsCase{"CadrelPCI", VYK_SPEC_ISTREL, VYK_ADC_CADRELPCI, kPci, ""},
        ControlsCase{"Serial", VYK_SPEC_ISTREL, VYK_ADC_SERIAL, kSerial, ""},
        ControlsCase{"None", VYK_SPEC_ISTREL, VYK_ADC_NONE, kNone, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SetupDialogTest, ListsHoldTheirEntries)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_DOVRIN, 7, 0x300);
    SetupDialog model;
    EXPECT_EQ(model.count(SetupList::BaseAddress), 512);
    EXPECT_EQ(model.item(SetupList::BaseAddress, 48), "768 (0x0300)");
    EXPECT_EQ(model.item(SetupList::BaseAddress, 511), "8176 (0x1FF0)");
    EXPECT_EQ(model.selection(SetupList::BaseAddress), 48);
    EXPECT_EQ(model.count(SetupList::Irq), 15);
    EXPECT_EQ(model.selection(SetupList::Irq), 6);
    EXPECT_EQ(model.count(SetupList::PciCard), 17);
    EXPECT_EQ(model.item(SetupList::Baud, 6), "115200");
    EXPECT_EQ(model.item(SetupList::Spectrometer, 1), "Istrel/Fornic/PC104/Pavik/Solvi");
    EXPECT_EQ(model.selection(SetupList::Spectrometer), 1);
    EXPECT_EQ(model.item(SetupList::Adc, 8), "Serial (RS-232) A/D");
    EXPECT_EQ(model.selection(SetupList::Adc), 0);
    EXPECT_EQ(model.item(SetupList::Irq, 99), "");
    model.select(SetupList::Irq, 99); // out of range: ignored
    EXPECT_EQ(model.selection(SetupList::Irq), 6);
}

TEST(SetupDialogTest, ChoosingATypeChangesTheLayoutButNotTheConfiguration)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    SetupDialog model;
    model.select(SetupList::Adc, 9); // Pavik
    model.select(SetupList::Spectrometer, 4);
    EXPECT_TRUE(model.visibleControls().usbSerial);
    EXPECT_EQ(VYK_GetADCType(), VYK_ADC_NONE);
    EXPECT_EQ(VYK_GetSpectrometerType(), VYK_SPEC_ISTREL);
}

TEST(SetupDialogTest, OkReconnectsOnlyWhenTypeIrqOrPortChanged)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    TestClient client(42, 7, {0});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    client.record.flashDelay = 5;
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    ASSERT_EQ(VYK_SingleScan(42), 0); // makes it the current record
    const auto flashDelay = [] {
        std::lock_guard lock(driverState().mutex);
        return driverState().table.find(42)->flashDelay;
    };
    {
        SetupDialog model;
        model.setFirstPixel(100);
        model.apply();
    }
    EXPECT_EQ(flashDelay(), 5); // a disconnection clears it
    {
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().firstPixel, 100);
    }
    {
        SetupDialog model;
        model.select(SetupList::Irq, 2);
        model.apply();
    }
    EXPECT_EQ(flashDelay(), 0);
    EXPECT_EQ(VYK_GetIRQ(), 3);
}

TEST(SetupDialogTest, FirstAvailableClearsTheSerial)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    {
        std::lock_guard lock(driverState().mutex);
        driverState().usbSerialNumber = "USB2000";
        driverState().adcType = VYK_ADC_PAVIK;
    }
    SetupDialog model;
    ASSERT_EQ(model.count(SetupList::UsbSerial), 2);
    EXPECT_EQ(model.item(SetupList::UsbSerial, 1), "USB2000");
    EXPECT_EQ(model.selection(SetupList::UsbSerial), 1);
    model.select(SetupList::UsbSerial, 0);
    model.apply();
    std::lock_guard lock(driverState().mutex);
    EXPECT_EQ(driverState().usbSerialNumber, "");
}

} // namespace
} // namespace driver::core::test
