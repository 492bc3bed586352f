#include "driver/boards/BoardCommon.h"
#include "driver/boards/BoardConnection.h"
#include "driver/core/DriverConfig.h"
#include "driver/core/DriverStartup.h"
#include "driver/core/DriverState.h"
#include "driver/include/vykdrv32.h"
#include "driver/include/vykdrv32_java.h"
#include "driver/java/JavaBridge.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/UsbTransport.h"
#include "platform/portio/DriverXDevice.h"
#include "platform/win/Profile.h"
#include "sim/boards/SimulatedBoard.h"
#include "sim/java/FakeJavaDriver.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace driver::core {
namespace {

using test::TestClient;

constexpr auto kBound = std::chrono::seconds(10);
constexpr std::uint32_t kKey = 9;
constexpr const char* kBoardDevice = "SimBoard";

// One family of back-ends: how its simulator is plugged in and what it delivers.
struct Family
{
    const char* name;
    int spectrometer;
    int adc;
    std::function<void()> plug;
    std::function<void()> unplug;
    std::function<float(int)> pixel;
    int lastPixel;
};

void plugUsb(const std::string& serial)
{
    auto backend = std::make_shared<sim::usb::SimUsbBackend>();
    backend->add(
        std::make_shared<sim::usb::SimulatedUsbSpectrometer>(sim::usb::pavikIdentity(serial)));
    usb::setUsbBackend(backend);
    usb::StoreCurrentUSBSerialNumber("");
    usb::resetPavikSolviState();
}

void unplugUsb()
{
    usb::PavikSolviShutdownHardware();
    usb::setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>());
}

Family pavik()
{
    return {"Pavik",
            VYK_SPEC_ISTREL,
            VYK_ADC_PAVIK,
            [] { plugUsb("PV00042"); },
            unplugUsb,
            [](int p) {
                return static_cast<float>(
                    sim::usb::SimulatedUsbSpectrometer::patternPixel(static_cast<std::size_t>(p)));
            },
            2047};
}

Family trevan()
{
    return {"Trevan",
            VYK_SPEC_JOLVAR,
            VYK_ADC_TREVAN,
            [] { java::setJavaBackend(std::make_shared<sim::java::FakeJavaDriver>()); },
            [] { java::setJavaBackend(nullptr); },
            [](int p) { return static_cast<float>(100 + p % 1000); },
            3647};
}

Family board(const char* name, int adc, sim::boards::BoardKind kind)
{
    return {name,
            VYK_SPEC_ISTREL,
            adc,
            [kind] {
                platform::portio::registerDeviceBackend(
                    kBoardDevice, std::make_shared<sim::boards::SimulatedBoard>(kind));
                boards::setBoardDeviceName(kBoardDevice);
            },
            [] { platform::portio::unregisterDeviceBackend(kBoardDevice); },
            [](int p) { return static_cast<float>(sim::boards::SimulatedBoard::pixelValue(0, p)); },
            2047};
}

class HardwareConnectionTest : public testing::TestWithParam<std::function<Family()>>
{};

TEST_P(HardwareConnectionTest, ConfiguringTheTypeConnectsItsBackEndAndScansDeliver)
{
    const Family family = GetParam()();
    family.plug();
    auto fake = test::startFakeDriver(family.spectrometer, VYK_ADC_NONE);
    {
        std::lock_guard lock(driverState().mutex);
        boards::boardFields().noIntegrationTimeDelay = 1;
    }
    EXPECT_EQ(VYK_ConfigEx(static_cast<int16_t>(family.spectrometer),
                           static_cast<int16_t>(family.adc), 0, 0, 0, 0),
              VYK_SUCCESS);
    {
        std::lock_guard lock(driverState().mutex);
        EXPECT_NE(driverState().startupFlags & kStartupInterruptHandler, 0);
        EXPECT_NE(driverState().connectedMarker, 0);
    }
    EXPECT_TRUE(fake->boxes().empty());

    TestClient client(kKey, 100, {0});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    ASSERT_EQ(VYK_SingleScan(kKey), VYK_SUCCESS);
    ASSERT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, kBound));
    for (int p : {2, 3, 1000, family.lastPixel}) {
        SCOPED_TRACE(p);
        EXPECT_EQ(client.buffers[0][static_cast<std::size_t>(p)], family.pixel(p));
    }

    detachDriver();
    {
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().startupFlags & kStartupInterruptHandler, 0);
    }
    EXPECT_FALSE(boards::boardConnected());
    family.unplug();
}

INSTANTIATE_TEST_SUITE_P(Families, HardwareConnectionTest,
                         testing::Values(pavik, trevan,
                                         [] {
                                             return board("CadrelPci", VYK_ADC_CADRELPCI,
                                                          sim::boards::BoardKind::CadrelPci);
                                         }),
                         [](const auto& info) { return std::string(info.param().name); });

TEST(HardwareConnectionTest, AMissingPavikFallsBackToTheFirstOneOrFailsWithEight)
{
    plugUsb("PV00042");
    auto fake = test::startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    {
        std::lock_guard lock(driverState().mutex);
        driverState().usbSerialNumber = "PV99999";
    }
    EXPECT_EQ(VYK_ConfigEx(VYK_SPEC_ISTREL, VYK_ADC_PAVIK, 0, 0, 0, 0), VYK_SUCCESS);
    ASSERT_EQ(fake->boxes().size(), 1u);
    EXPECT_EQ(fake->boxes()[0].text, "Unable to find Pavik with the serial number 'PV99999'.  "
                                     "Connecting to the first available Pavik.");
    char serial[16] = {};
    VYK_GetCurrentUSBSerialNumber(serial);
    EXPECT_STREQ(serial, "PV00042");
    EXPECT_EQ(VYK_SetCurrentUSBSerialNumber("PV00042"), 1);
    EXPECT_EQ(VYK_SetCurrentUSBSerialNumber("PV77777"), 0);

    unplugUsb();
    EXPECT_EQ(VYK_ConfigEx(VYK_SPEC_ISTREL, VYK_ADC_SOLVI, 0, 0, 0, 0), VYK_NOT_INITIALISED);
    ASSERT_EQ(fake->boxes().size(), 3u);
    EXPECT_EQ(fake->boxes()[2].text, "Unable to find any Solvi.  Check to see if the "
                                     "spectrometer is connected to the USB port.");
    TestClient client(kKey, 100, {0});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    EXPECT_EQ(VYK_SingleScan(kKey), VYK_NOT_INITIALISED);
    detachDriver();
}

// The connection messages of the USB and Java-driven types follow the driver's message
// switch, set in "VYKDRV.INI" or by VYK_EnableDriverMessages; the result is the same
// either way.
struct SwitchCase
{
    const char* name;
    int spectrometer;
    int adc;
    std::map<int, std::string> javaDevices; // Java-driven types: the attached devices
    const char* serial;                     // "USBSerialNumber"
    int iniMessages;                        // "EnableMessages"
    int callMessages;                       // then VYK_EnableDriverMessages, unless -1
    int16_t result;
    std::vector<std::string> boxes;
    const char* serialAfter;
};

const char* const kAnyTrevan =
    "Unable to find any Trevan.  Check to see if the spectrometer is connected to the USB port.";

class MessageSwitchTest : public testing::TestWithParam<SwitchCase>
{};

TEST_P(MessageSwitchTest, ConnectionMessagesFollowTheSwitch)
{
    const SwitchCase& c = GetParam();
    usb::setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>());
    auto java = std::make_shared<sim::java::FakeJavaDriver>();
    java->setDevices("Trevan", c.javaDevices);
    java::setJavaBackend(java);
    std::ofstream(driverConfigPath(), std::ios::binary | std::ios::trunc)
        << "[Setup]\r\nEnableMessages=" << c.iniMessages << "\r\nUSBSerialNumber=" << c.serial
        << "\r\n";
    auto fake = test::startFakeDriver(c.spectrometer, VYK_ADC_NONE);
    ReadDriverConfig(); // as the library's start reads it
    if (c.callMessages >= 0)
        VYK_EnableDriverMessages(static_cast<int16_t>(c.callMessages));
    EXPECT_EQ(
        VYK_ConfigEx(static_cast<int16_t>(c.spectrometer), static_cast<int16_t>(c.adc), 0, 0, 0, 0),
        c.result);
    std::vector<std::string> shown;
    for (const auto& box : fake->boxes()) {
        shown.push_back(box.text);
        EXPECT_EQ(box.caption, "USB Error");
    }
    EXPECT_EQ(shown, c.boxes);
    char serial[16] = {};
    VYK_GetCurrentUSBSerialNumber(serial);
    EXPECT_STREQ(serial, c.serialAfter);
    detachDriver();
    java::setJavaBackend(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageSwitchTest,
    testing::Values(SwitchCase{"PavikQuietByIni",
                               VYK_SPEC_ISTREL,
                               VYK_ADC_PAVIK,
                               {},
                               "PV-9",
                               0,
                               -1,
                               VYK_NOT_INITIALISED,
                               {},
                               "PV-9"},
                    SwitchCase{"TrevanQuietByIni",
                               VYK_SPEC_JOLVAR,
                               VYK_ADC_TREVAN,
                               {},
                               "TRV-9",
                               0,
                               -1,
                               VYK_NOT_INITIALISED,
                               {},
                               "TRV-9"},
                    SwitchCase{"TrevanQuietByCall",
                               VYK_SPEC_JOLVAR,
                               VYK_ADC_TREVAN,
                               {},
                               "TRV-9",
                               1,
                               0,
                               VYK_NOT_INITIALISED,
                               {},
                               "TRV-9"},
                    SwitchCase{
                        "TrevanShown",
                        VYK_SPEC_JOLVAR,
                        VYK_ADC_TREVAN,
                        {},
                        "TRV-9",
                        1,
                        -1,
                        VYK_NOT_INITIALISED,
                        {"Unable to find Trevan with the serial number 'TRV-9'.  Connecting to the "
                         "first available Trevan.",
                         kAnyTrevan},
                        "TRV-9"},
                    SwitchCase{"TrevanShownByCall",
                               VYK_SPEC_JOLVAR,
                               VYK_ADC_TREVAN,
                               {},
                               "",
                               0,
                               1,
                               VYK_NOT_INITIALISED,
                               {kAnyTrevan},
                               ""},
                    SwitchCase{"TrevanFallsBackToTheFirst",
                               VYK_SPEC_JOLVAR,
                               VYK_ADC_TREVAN,
                               {{3, "TRV-3"}},
                               "TRV-9",
                               1,
                               -1,
                               VYK_SUCCESS,
                               {},
                               "TRV-3"}),
    [](const auto& info) { return std::string(info.param.name); });

// A Java class that cannot be loaded when the device is opened is told, and the
// configuration is written as not initialised, so the next start asks for the set-up.
TEST(HardwareConnectionTest, AFailedJavaLoadIsWrittenAsNotInitialised)
{
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails);
        auto java = std::make_shared<sim::java::FakeJavaDriver>();
        java::setJavaBackend(java);
        auto fake = test::startFakeDriver(VYK_SPEC_JOLVAR, VYK_ADC_NONE);
        ASSERT_EQ(VYK_ConfigEx(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN, 0, 0, 0, 0), VYK_SUCCESS);
        // Another model's identification loads its class in between.
        char serial[VYK_JAVA_SLOT_BYTES] = {};
        EXPECT_EQ(Quarn_IdentifyQuarn(0, serial), 1);
        if (fails)
            java->setLoadResult(java::JavaLoadResult::ClassFailed);
        TestClient client(kKey, 100, {0});
        ASSERT_EQ(VYK_Register(&client.record), 0);
        ASSERT_EQ(VYK_ParamSet(&client.record), 0);
        VYK_SingleScan(kKey);
        bool told = false;
        for (const auto& box : fake->boxes())
            told = told || box.text == "Unable to open Tarnwick";
        EXPECT_EQ(told, fails);
        EXPECT_EQ(java::GetLoadedJavaClassName(),
                  fails ? "" : "com/varnholt/tarnwick/trevan/Trevan");
        detachDriver();
        char written[8] = {};
        platform::win::GetPrivateProfileString("Setup", "Initialized", "", written, sizeof written,
                                               driverConfigPath().c_str());
        EXPECT_STREQ(written, fails ? "0" : "1");
        java::setJavaBackend(nullptr);
    }
}

} // namespace
} // namespace driver::core
