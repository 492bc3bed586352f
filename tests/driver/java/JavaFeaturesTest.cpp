#include "driver/core/DriverState.h"
#include "driver/include/vykdrv32.h"
#include "driver/java/JavaBridge.h"
#include "driver/java/ScanBusyFlag.h"
#include "sim/java/FakeJavaDriver.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace driver::java::test {
namespace {

using sim::java::FakeJavaDriver;

constexpr const char* kTrevan = "com/varnholt/tarnwick/trevan/Trevan";
constexpr const char* kUlmar = "com/varnholt/tarnwick/ulmar/Ulmar";

struct Rig
{
    std::shared_ptr<FakeJavaDriver> java = std::make_shared<FakeJavaDriver>();
    std::shared_ptr<core::test::FakeDriverPlatform> platform;

    explicit Rig(const char* classPath = kTrevan)
    {
        // Start-up connects the Trevan on a throwaway fake; the rig's fake starts unloaded.
        setJavaBackend(std::make_shared<FakeJavaDriver>());
        platform = core::test::startFakeDriver(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
        UnloadJavaDriver();
        setJavaBackend(java);
        if (classPath) {
            EXPECT_EQ(LoadJavaDriver(classPath), 1);
        }
    }
    ~Rig() { setJavaBackend(nullptr); }
};

// One argument check: the export's result, and the Java method it must (or must not) call.
struct ArgumentCase
{
    const char* name;
    std::function<double()> call;
    double result;
    JavaMethod method;
    long long sent; // the argument that reaches Java; -1: no call
};

TEST(JavaFeaturesTest, ArgumentsOutsideTheirRangeNeverReachTheDriver)
{
    const ArgumentCase cases[] = {
        {"2.5 V is count 256", [] { return Trevan_SetAnalogOutputVoltage(2.5); }, 1,
         JavaMethod::setPSOC, 256},
        {"5 V is the top count", [] { return Trevan_SetAnalogOutputVoltage(5.0); }, 1,
         JavaMethod::setPSOC, 511},
        {"5.1 V", [] { return Trevan_SetAnalogOutputVoltage(5.1); }, 0, JavaMethod::setPSOC, -1},
        {"-0.1 V", [] { return Trevan_SetAnalogOutputVoltage(-0.1); }, 0, JavaMethod::setPSOC, -1},
        {"count 512", [] { return Trevan_SetAnalogOutput(512); }, 0, JavaMethod::setPSOC, -1},
        {"count 511", [] { return Trevan_SetAnalogOutput(511); }, 1, JavaMethod::setPSOC, 511},
        {"pin 10 data", [] { return Trevan_SetGPIOPinData(10, 1); }, 0, JavaMethod::setGPIOPinData,
         -1},
        {"pin 9 data", [] { return Trevan_SetGPIOPinData(9, 1); }, 1, JavaMethod::setGPIOPinData,
         9},
        {"level 2", [] { return Trevan_SetGPIOPinData(3, 2); }, 0, JavaMethod::setGPIOPinData, -1},
        {"pin -1 output", [] { return Trevan_SetGPIOPinOutput(-1); }, 0,
         JavaMethod::setGPIOPinOutput, -1},
        {"pin 10 read", [] { return Trevan_GetGPIOPinData(10); }, 0, JavaMethod::getGPIOPinData,
         -1},
        {"trigger mode 3", [] { return Trevan_SetHardwareTriggerMode(3); }, 0,
         JavaMethod::setHarewareTriggerMode, -1},
        {"trigger mode 2", [] { return Trevan_SetHardwareTriggerMode(2); }, 1,
         JavaMethod::setHarewareTriggerMode, 2},
        {"shutter 4096", [] { return Trevan_SetShutterClock(4096); }, 0,
         JavaMethod::setShutterClock, -1},
        {"base clock 4095", [] { return Trevan_SetIntegrationTimeBaseClock(4095); }, 1,
         JavaMethod::setIntegrationTimeBaseClock, 4095},
        {"divisor 65536", [] { return Trevan_SetMasterClockDivisor(65536); }, 0,
         JavaMethod::setMasterClockDivisor, -1},
        {"strobe enable 2", [] { return Trevan_SetStrobeEnableFPGA(2); }, 0,
         JavaMethod::setStrobeEnable, -1},
        {"mux 1024", [] { return Trevan_SetGPIOMux(1024); }, 0, JavaMethod::setGPIOMux, -1},
        {"timer negative", [] { return Trevan_SetIntegrationClockTimer(-1); }, 0,
         JavaMethod::setIntegrationClockTimer, -1},
        {"data register 2", [] { return Trevan_SetGPIODataReg(2); }, 0, JavaMethod::setGPIODataReg,
         -1},
        {"power down low byte", [] { return Trevan_SetPowerDown(0x100); }, 1,
         JavaMethod::setPowerDown, 0},
    };
    for (const ArgumentCase& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.java->clearCalls();
        EXPECT_DOUBLE_EQ(c.call(), c.result);
        EXPECT_EQ(rig.java->callCount(c.method), c.sent < 0 ? 0 : 1);
        if (c.sent >= 0) {
            EXPECT_EQ(rig.java->lastArgument(c.method), c.sent);
        }
    }
}

TEST(JavaFeaturesTest, DerivedTimesCountMasterClockPeriods)
{
    Rig rig;
    constexpr double kClock = 2.0833333333333335e-8;
    ASSERT_EQ(Trevan_SetMasterClockDivisor(48), 1);
    ASSERT_EQ(Trevan_SetIntegrationClockTimer(1000), 1);
    ASSERT_EQ(Trevan_SetIntegrationTimeBaseClock(48), 1);
    ASSERT_EQ(Trevan_SetContinuousStrobeBase(480), 1);
    ASSERT_EQ(Trevan_SetContinuousStrobeClock(3), 1);
    ASSERT_EQ(Trevan_SetSingleStrobeHigh(10), 1);
    ASSERT_EQ(Trevan_SetHardwareTriggerDelay(96), 1);
    EXPECT_DOUBLE_EQ(Trevan_GetMasterClockTime(), 48 * kClock);
    EXPECT_DOUBLE_EQ(Trevan_GetIntegrationClockTime(), 1000.0 * 48 * kClock);
    EXPECT_DOUBLE_EQ(Trevan_GetContinuousStrobeBaseTime(), 480 * kClock);
    EXPECT_DOUBLE_EQ(Trevan_GetContinuousStrobeTime(), 480 * kClock * 3);
    EXPECT_DOUBLE_EQ(Trevan_GetSingleStrobeHighTime(), 10 * 48 * kClock);
    EXPECT_DOUBLE_EQ(Trevan_GetHardwareTriggerDelayTime(), 96 * kClock);
    ASSERT_EQ(Trevan_SetAnalogOutput(256), 1);
    EXPECT_DOUBLE_EQ(Trevan_ReadAnalogInputVoltage(), 256 * 8 * 0.0006103515625);
}

TEST(JavaFeaturesTest, ByteReadsCopyAtMostTheCount)
{
    Rig rig;
    std::uint8_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    EXPECT_EQ(Trevan_ReadI2C(0x10, 3, buffer), 1);
    EXPECT_EQ(buffer[0], 0x10);
    EXPECT_EQ(buffer[2], 0x12);
    EXPECT_EQ(buffer[3], 0xEE);
    EXPECT_EQ(Trevan_ReadSPI(2, buffer), 1);
    EXPECT_EQ(buffer[1], 0xA1);
    EXPECT_EQ(buffer[2], 0x12);
    EXPECT_EQ(Trevan_ReadSPI(2, nullptr), 0);
    const std::uint8_t out[4] = {1, 2, 3, 4};
    EXPECT_EQ(Trevan_WriteI2C(0x20, 4, out), 4);
    EXPECT_EQ(Trevan_WriteI2C(0x20, 4, nullptr), 0);
    EXPECT_EQ(Trevan_WriteSPI(-1, out), 0);
}

TEST(JavaFeaturesTest, AThrowingMethodGivesTheFailureValueAndLaterCallsWork)
{
    Rig rig;
    ASSERT_EQ(Trevan_WriteFPGA(4, 77), 1);
    rig.java->setThrowing(JavaMethod::getFPGA, true);
    EXPECT_EQ(Trevan_ReadFPGA(4), 0);
    rig.java->setThrowing(JavaMethod::setShutterClock, true);
    EXPECT_EQ(Trevan_SetShutterClock(5), 0);
    rig.java->setThrowing(JavaMethod::getFPGA, false);
    EXPECT_EQ(Trevan_ReadFPGA(4), 77);
}

TEST(JavaFeaturesTest, WithNoDriverLoadedEveryFeatureAnswersZero)
{
    Rig rig(nullptr);
    char text[VYK_JAVA_TEXT_BYTES] = "unchanged";
    float o2[17] = {};
    EXPECT_EQ(Trevan_GetBoardTemperature(), 0.0);
    EXPECT_EQ(Trevan_SetShutterClock(5), 0);
    EXPECT_EQ(Trevan_GetShutterClock(), 0);
    EXPECT_EQ(Trevan_GetPSOCVersion(text), 0);
    EXPECT_STREQ(text, "unchanged");
    EXPECT_EQ(Trevan_GetMasterClockTime(), 0.0);
    EXPECT_EQ(Ulmar_GetTECTemperature(), 0.0);
    EXPECT_EQ(Quarn_GetO2ProbeCalibrationCoefficients(o2), 0);
    EXPECT_EQ(PavikPlus_GetAutonullingSaturationValue(), 0.0);
    EXPECT_EQ(Trevan_GetStoredString(0, text), 0);
    EXPECT_EQ(rig.java->calls().size(), 0u);
}

TEST(JavaFeaturesTest, UlmarBindsItsOwnMethodsAndNotTheTriggers)
{
    Rig rig(kUlmar);
    EXPECT_EQ(Ulmar_GetMainBoardTemperature(), 35.5);
    EXPECT_EQ(Ulmar_SetTECEnable(1), 1);
    EXPECT_EQ(Trevan_GetBoardTemperature(), 0.0);
    EXPECT_EQ(Trevan_SetHardwareTriggerDelay(5), 0);
    ASSERT_EQ(LoadJavaDriver(kTrevan), 1);
    EXPECT_EQ(Trevan_GetBoardTemperature(), 31.25);
    EXPECT_EQ(Ulmar_GetMainBoardTemperature(), 0.0);
}

TEST(JavaFeaturesTest, QuarnCoefficientsRoundTrip)
{
    Rig rig("com/varnholt/tarnwick/quarn/Quarn");
    float in[17];
    for (int i = 0; i < 17; ++i)
        in[i] = 0.25f * static_cast<float>(i);
    EXPECT_EQ(Quarn_SetO2ProbeCalibrationCoefficients(in), 1);
    float out[17] = {};
    EXPECT_EQ(Quarn_GetO2ProbeCalibrationCoefficients(out), 1);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(out[i], in[i]) << i;
    EXPECT_EQ(Quarn_SetO2ProbeCalibrationCoefficients(nullptr), 0);
    EXPECT_EQ(Quarn_GetTemperatureCoefficient(1), 0.25f);
    EXPECT_EQ(Quarn_GetLastAutonullingDarkValue(), 1234);
}

TEST(JavaFeaturesTest, FeatureExportsWaitWhileAScanHoldsTheBusyFlag)
{
    Rig rig;
    ScanBusyFlag& busy = hardwareScanBusy();
    busy.raise();
    auto pending = std::async(std::launch::async, [] { return Trevan_SetShutterClock(9); });
    // The export cannot finish while the flag is up; dropping it lets it through.
    EXPECT_EQ(pending.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    busy.drop();
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(pending.get(), 1);
    EXPECT_TRUE(busy.tryRaise());
    EXPECT_FALSE(busy.tryRaise());
    busy.forceClear();
    EXPECT_FALSE(busy.isBusy());
}

TEST(JavaFeaturesTest, WithoutAVmTheRealBridgeFailsWithItsMessage)
{
    // Either switch keeps the real backend from starting a Java VM in this process.
    const char* const configurations[] = {
        "[Setup]\r\nJavaEnabled=0\r\n",
        "[Setup]\r\nJavaArchive=/nonexistent/Tarnwick.jar\r\n",
    };
    for (const char* configuration : configurations) {
        SCOPED_TRACE(configuration);
        const std::string ini = std::string(std::getenv("HARLUNE_TEST_DIR")) + "/nojava.ini";
        std::ofstream(ini) << configuration;
        setenv("VYKDRV_INI", ini.c_str(), 1);
        // Start-up connects on a throwaway fake; the real backend is tried afterwards.
        setJavaBackend(std::make_shared<FakeJavaDriver>());
        auto platform = core::test::startFakeDriver(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
        UnloadJavaDriver();
        setJavaBackend(nullptr);
        EXPECT_EQ(LoadJavaDriver(kTrevan), 0);
        EXPECT_EQ(IsJavaDriverLoaded(), 0);
        ASSERT_EQ(platform->boxes().size(), 1u);
        EXPECT_EQ(platform->boxes()[0].text, "Can't create Java VM for VYKDrvJ");
        EXPECT_EQ(platform->boxes()[0].caption, "VYKDrv Error");
        EXPECT_EQ(Trevan_GetShutterClock(), 0);
        char serial[VYK_JAVA_SLOT_BYTES] = "x";
        EXPECT_EQ(Trevan_IdentifyTrevan(0, serial), 0);
    }
}

std::string libraryPath()
{
    char exe[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + "libVYKDRV32.so";
}

// The alias names of each model, from the feature table.
#define NAME_OF(result, word, params, args) #word,
const std::vector<std::string> kAll = {VYK_JAVA_FEATURES_ALL(NAME_OF)};
const std::vector<std::string> kNotUlmar = {VYK_JAVA_FEATURES_NOT_ULMAR(NAME_OF)};
const std::vector<std::string> kAutonulling = {VYK_JAVA_AUTONULLING(NAME_OF)};
#undef NAME_OF

TEST(JavaFeaturesTest, EveryAliasIsTheTrevanBodyAndUlmarLacksTheTriggers)
{
    ASSERT_EQ(kAll.size() + kNotUlmar.size(), 58u);
    ASSERT_EQ(kAll.size(), 52u);
    void* library = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    struct Model
    {
        const char* word;
        bool triggers;
        std::size_t expected;
    };
    const Model models[] = {{"SolviPlus", true, 58},
                            {"PavikPlus", true, 58},
                            {"Ulmar", false, 52},
                            {"Quarn", true, 58}};
    for (const Model& m : models) {
        SCOPED_TRACE(m.word);
        std::size_t aliases = 0;
        for (const auto* list : {&kAll, &kNotUlmar}) {
            for (const std::string& word : *list) {
                SCOPED_TRACE(word);
                void* body = dlsym(library, ("Trevan_" + word).c_str());
                void* alias = dlsym(library, (std::string(m.word) + "_" + word).c_str());
                ASSERT_NE(body, nullptr);
                if (list == &kNotUlmar && !m.triggers) {
                    EXPECT_EQ(alias, nullptr);
                    continue;
                }
                EXPECT_EQ(alias, body);
                ++aliases;
            }
        }
        EXPECT_EQ(aliases, m.expected);
    }
    for (const std::string& word : kAutonulling) {
        SCOPED_TRACE(word);
        EXPECT_EQ(dlsym(library, ("Quarn_" + word).c_str()),
                  dlsym(library, ("PavikPlus_" + word).c_str()));
        EXPECT_EQ(dlsym(library, ("Trevan_" + word).c_str()), nullptr);
    }
    EXPECT_EQ(dlsym(library, "Ulmar_SetHardwareTriggerMode"), nullptr);
    EXPECT_NE(dlsym(library, "PavikPlus_SetHardwareTriggerMode"), nullptr);
    dlclose(library);
}

TEST(JavaFeaturesTest, AnAliasAnswersAsItsBody)
{
    Rig rig;
    EXPECT_EQ(SolviPlus_SetShutterClock(123), 1);
    EXPECT_EQ(Trevan_GetShutterClock(), 123);
    EXPECT_EQ(Ulmar_GetShutterClock(), 123);
    EXPECT_EQ(Quarn_SetGPIOPinData(10, 1), 0);
    EXPECT_EQ(PavikPlus_SetHardwareTriggerMode(3), 0);
}

} // namespace
} // namespace driver::java::test
