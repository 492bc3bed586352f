// The Java-driven models on a real Java VM running our driver archive.
#include "driver/core/DriverState.h"
#include "driver/include/vykdrv32.h"
#include "driver/include/vykdrv32_java.h"
#include "driver/include/vykdrv32_usb.h"
#include "driver/java/JavaBridge.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace driver::java::test {
namespace {

constexpr const char* kTrevan = "com/varnholt/tarnwick/trevan/Trevan";
constexpr const char* kUlmar = "com/varnholt/tarnwick/ulmar/Ulmar";

// The simulated devices, set before the VM starts.
const bool g_devices = [] {
    setenv("TARNWICK_DEVICES",
           "Trevan:0:TRV-0;Trevan:2:TRV-2;Trevan:5:TRV-5;Ulmar:0:ULM-0;Quarn:1:QRN-1", 1);
    return true;
}();

std::shared_ptr<core::test::FakeDriverPlatform> start(const std::string& serial = "")
{
    setJavaBackend(nullptr);
    auto platform = core::test::startFakeDriver(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
    core::DriverState& state = core::driverState();
    std::lock_guard lock(state.mutex);
    state.usbSerialNumber = serial;
    state.reopen = true;
    // What connecting the Java-driven hardware marks (the core's connection hook).
    state.startupFlags |= core::kStartupInterruptHandler;
    return platform;
}

TEST(JavaVmTest, ATrevanClientReceivesTheAccumulatorFromAnotherThread)
{
    ASSERT_TRUE(g_devices);
    auto platform = start("trv-2");
    core::test::TestClient client(42, 142, {0});
    client.record.scansToAverage = 2;
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    int16_t result = -1;
    // A thread of its own: it attaches to the VM once and detaches when it ends.
    std::thread scanner([&] { result = VYK_SingleScan(42); });
    scanner.join();
    ASSERT_EQ(result, 0);
    ASSERT_TRUE(platform->waitForPosts(VYK_MSG_BUFFER_FULL, 1, std::chrono::seconds(10)));
    for (int i = 0; i < 3648; ++i)
        ASSERT_EQ(client.buffers[0][static_cast<std::size_t>(i)],
                  static_cast<float>(100 + i % 1000))
            << i;
    EXPECT_EQ(client.buffers[0][3648], 0.0f);
    EXPECT_EQ(JavaGetDeviceIndex(), 2);
    const auto validity = platform->postedOf(VYK_MSG_DATA_VALIDITY);
    ASSERT_EQ(validity.size(), 1u);
    EXPECT_EQ(validity[0].wParam, 0u);
    // A second scan from this thread.
    ASSERT_EQ(VYK_SingleScan(42), 0);
    EXPECT_EQ(client.buffers[0][1], 101.0f);
}

TEST(JavaVmTest, IdentifyAllFillsItsSlotsByDeviceIndex)
{
    auto platform = start();
    std::array<JavaDeviceSlot, VYK_JAVA_DEVICE_SLOTS> list{};
    ASSERT_EQ(VYK_IdentifyAllTrevan(list.data()), 1);
    for (int i = 0; i < VYK_JAVA_DEVICE_SLOTS; ++i) {
        SCOPED_TRACE(i);
        const bool present = i == 0 || i == 2 || i == 5;
        EXPECT_EQ(list[static_cast<std::size_t>(i)].found, present ? 1 : 0);
        EXPECT_EQ(std::string(list[static_cast<std::size_t>(i)].serial),
                  present ? "TRV-" + std::to_string(i) : "");
    }
    char serial[VYK_JAVA_SLOT_BYTES] = {};
    ASSERT_EQ(JavaOpenSpectrometer(2), 1);
    EXPECT_EQ(Trevan_IdentifyTrevan(5, serial), 1);
    EXPECT_STREQ(serial, "TRV-5");
    EXPECT_EQ(JavaGetDeviceIndex(), 2);
}

TEST(JavaVmTest, FeatureArgumentsAndAliases)
{
    auto platform = start();
    ASSERT_EQ(LoadJavaDriver(kTrevan), 1);
    struct Case
    {
        const char* name;
        std::function<double()> call;
        double result;
    };
    const Case cases[] = {
        {"pin 10", [] { return Trevan_SetGPIOPinData(10, 1); }, 0},
        {"5.1 V", [] { return Trevan_SetAnalogOutputVoltage(5.1); }, 0},
        {"2.5 V", [] { return Trevan_SetAnalogOutputVoltage(2.5); }, 1},
        {"input reads 8 x 256", [] { return Trevan_ReadAnalogInput(); }, 2048},
        {"trigger mode 3", [] { return Trevan_SetHardwareTriggerMode(3); }, 0},
        {"alias sets", [] { return SolviPlus_SetShutterClock(321); }, 1},
        {"body reads", [] { return Trevan_GetShutterClock(); }, 321},
        {"alias reads", [] { return Quarn_GetShutterClock(); }, 321},
        {"pin 3 high", [] { return PavikPlus_SetGPIOPinData(3, 1); }, 1},
        {"pin 3 reads", [] { return Trevan_GetGPIOPinData(3); }, 1},
        {"short register", [] { return Trevan_GetGPIODataReg(); }, 8},
        {"board temperature", [] { return Trevan_GetBoardTemperature(); }, 31.25},
        {"derived time",
         [] { return Trevan_SetMasterClockDivisor(48) * Trevan_GetMasterClockTime(); }, 1e-6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(c.call(), c.result, 1e-12);
    }
    char text[VYK_JAVA_TEXT_BYTES] = {};
    EXPECT_EQ(Ulmar_GetFPGAFirmwareVersion(text), 1);
    EXPECT_STREQ(text, "FPGA 3.0");
}

TEST(JavaVmTest, AThrowingMethodGivesTheFailureValueAndTheNextCallWorks)
{
    auto platform = start();
    ASSERT_EQ(LoadJavaDriver(kTrevan), 1);
    ASSERT_EQ(Trevan_WriteFPGA(4, 77), 1);
    ASSERT_EQ(Trevan_SetStoredString(100, "getFPGA"), 1); // arms the failure
    EXPECT_EQ(Trevan_ReadFPGA(4), 0);
    EXPECT_EQ(Trevan_ReadFPGA(4), 0);
    EXPECT_EQ(Trevan_GetShutterClock(), Trevan_GetShutterClock()); // other calls still work
    ASSERT_EQ(Trevan_SetStoredString(100, ""), 1);
    EXPECT_EQ(Trevan_ReadFPGA(4), 77);
}

TEST(JavaVmTest, UlmarBindsItsOwnMethodsAndLoadingAgainRebinds)
{
    auto platform = start();
    ASSERT_EQ(LoadJavaDriver(kUlmar), 1);
    EXPECT_EQ(GetLoadedJavaClassName(), kUlmar);
    EXPECT_EQ(Ulmar_GetMainBoardTemperature(), 35.5);
    EXPECT_EQ(Ulmar_SetTECSetPoint(-5.0), 1);
    EXPECT_EQ(Ulmar_SetTECEnable(1), 1);
    EXPECT_EQ(Ulmar_GetTECTemperature(), -5.0);
    EXPECT_EQ(Trevan_GetBoardTemperature(), 0.0); // not bound for this class
    EXPECT_EQ(UnloadJavaDriver(), 1);
    EXPECT_EQ(UnloadJavaDriver(), 0);
    EXPECT_EQ(Ulmar_GetMainBoardTemperature(), 0.0);
    // The VM stays; loading again joins it.
    ASSERT_EQ(LoadJavaDriver(kTrevan), 1);
    ASSERT_EQ(LoadJavaDriver(kTrevan), 1);
    EXPECT_EQ(Trevan_GetBoardTemperature(), 31.25);
    EXPECT_TRUE(platform->boxes().empty());
}

TEST(JavaVmTest, AMissingClassFailsWithTheLoadingMessage)
{
    auto platform = start();
    EXPECT_EQ(LoadJavaDriver("com/varnholt/tarnwick/none/None"), 0);
    ASSERT_EQ(platform->boxes().size(), 1u);
    EXPECT_EQ(platform->boxes()[0].caption, "Tarnwick Loading Error");
    EXPECT_EQ(IsJavaDriverLoaded(), 0);
    EXPECT_EQ(Trevan_GetShutterClock(), 0);
    ASSERT_EQ(LoadJavaDriver(kTrevan), 1);
}

// A client of a Quarn: the driver's forwarders and raw USB calls reach the Java driver.
TEST(JavaVmTest, AQuarnClientReachesTheJavaDriverThroughTheForwardersAndRawUsb)
{
    setJavaBackend(nullptr);
    auto platform = core::test::startFakeDriver(VYK_SPEC_JOLVAR, VYK_ADC_NONE);
    ASSERT_EQ(VYK_ConfigEx(VYK_SPEC_JOLVAR, VYK_ADC_QUARN, 0, 0, 0, 0), VYK_SUCCESS);
    char serial[16] = {};
    VYK_GetCurrentUSBSerialNumber(serial);
    EXPECT_STREQ(serial, "QRN-1");

    EXPECT_EQ(VYK_StrobeEnable(0), 1);
    EXPECT_EQ(VYK_StrobeEnable(1), 1);
    EXPECT_FLOAT_EQ(VYK_GetExternalTemperatureCelsius(), 21.5f);
    float first = 0.0f;
    float second = 0.0f;
    EXPECT_EQ(VYK_GetTemperatureCoefficients(&first, &second), 0);
    EXPECT_FLOAT_EQ(first, 0.5f);
    EXPECT_FLOAT_EQ(second, 0.25f);
    EXPECT_EQ(VYK_SetTemperatureCoefficients(1.5f, 2.5f), 1);
    EXPECT_EQ(VYK_GetTemperatureCoefficients(&first, &second), 0);
    EXPECT_FLOAT_EQ(first, 1.5f);
    EXPECT_FLOAT_EQ(second, 2.5f);

    std::array<float, 17> o2{};
    EXPECT_EQ(VYK_GetO2ProbeCalibrationCoefficients(o2.data()), 1);
    for (std::size_t i = 0; i < o2.size(); ++i)
        EXPECT_FLOAT_EQ(o2[i], 0.5f * static_cast<float>(i)) << i;
    o2.fill(4.0f);
    EXPECT_EQ(VYK_SetO2ProbeCalibrationCoefficients(o2.data()), 1);
    o2.fill(0.0f);
    EXPECT_EQ(VYK_GetO2ProbeCalibrationCoefficients(o2.data()), 1);
    EXPECT_FLOAT_EQ(o2[16], 4.0f);
    EXPECT_EQ(VYK_SetMavrinModulation(7), 1);
    EXPECT_EQ(VYK_GetMavrinModulation(), 7);
    EXPECT_EQ(VYK_SetMavrinDa(5), 1);

    // Our Java driver echoes what was sent, then fills with 0x5A; it answers the bytes moved.
    const std::uint8_t sent[3] = {0x40, 0x03, 0x00};
    EXPECT_EQ(USBGEN_BulkOut(0, 3, sent), 3);
    std::array<std::uint8_t, 5> received{};
    EXPECT_EQ(USBGEN_BulkIn(1, 5, received.data()), 5);
    EXPECT_EQ(received, (std::array<std::uint8_t, 5>{0x40, 0x03, 0x00, 0x5A, 0x5A}));
    EXPECT_EQ(USBGEN_BulkOut(0, 1, nullptr), 0);
    EXPECT_TRUE(platform->boxes().empty());
}

} // namespace
} // namespace driver::java::test
