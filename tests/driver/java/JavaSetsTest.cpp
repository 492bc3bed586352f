#include "driver/core/DriverState.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/include/vykdrv32.h"
#include "driver/include/vykdrv32_java.h"
#include "driver/java/JavaBridge.h"
#include "driver/java/JavaConnection.h"
#include "driver/java/JavaModels.h"
#include "sim/java/FakeJavaDriver.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#ifndef VYKDRV32_USB_H
// The public record, until the USB models' header that defines it is part of vykdrv32.h.
struct CoefficientsRecord
{
    char serial[16];
    float wavelength[4];
    float strayLight;
    float nonLinearity[8];
    int32_t nonLinearityOrder;
};
#endif

namespace driver::java::test {
namespace {

using core::test::FakeDriverPlatform;
using core::test::TestClient;
using sim::java::FakeJavaDriver;

// A fresh library on the fake platform, driving the Java fake as the given model.
struct Rig
{
    std::shared_ptr<FakeJavaDriver> java = std::make_shared<FakeJavaDriver>();
    std::shared_ptr<FakeDriverPlatform> platform;

    Rig(int spectrometer, int adc, const std::string& serial = "")
    {
        // Start-up connects the model on a throwaway fake; the rig's fake starts unloaded.
        setJavaBackend(std::make_shared<FakeJavaDriver>());
        resetJavaSetState();
        registerJavaOperationSets();
        platform = core::test::startFakeDriver(spectrometer, adc);
        UnloadJavaDriver();
        setJavaBackend(java);
        core::DriverState& state = core::driverState();
        std::lock_guard lock(state.mutex);
        state.usbSerialNumber = serial;
        state.reopen = true;
        // What connecting the Java-driven hardware marks (the core's connection hook).
        state.startupFlags |= core::kStartupInterruptHandler;
    }
    ~Rig() { setJavaBackend(nullptr); }

    int pixels()
    {
        std::lock_guard lock(core::driverState().mutex);
        return core::driverState().pixelCount;
    }
};

std::unique_ptr<TestClient> registered(std::uint32_t key, int scans = 1)
{
    auto client = std::make_unique<TestClient>(key, key + 100, std::initializer_list<int>{0});
    client->record.scansToAverage = static_cast<int16_t>(scans);
    EXPECT_EQ(VYK_Register(&client->record), 0);
    EXPECT_EQ(VYK_ParamSet(&client->record), 0);
    return client;
}

struct ModelCase
{
    const char* name;
    int spectrometer;
    int adc;
    const char* setName;
    int pixels;
};

class JavaModelSetTest : public ::testing::TestWithParam<ModelCase>
{};

TEST_P(JavaModelSetTest, AScanDeliversTheAccumulatorAndReportsValidity)
{
    const ModelCase& c = GetParam();
    Rig rig(c.spectrometer, c.adc);
    EXPECT_STREQ(core::selectedOperationSetName(), c.setName);
    ASSERT_EQ(rig.pixels(), c.pixels);
    // Every model delivers one scan's level: the UlmarADC acquisition sums its scans and
    // end-of-scan processing divides them; the other models average inside the Java driver.
    const int scans = 3;
    auto client = registered(42, scans);
    ASSERT_EQ(VYK_SingleScan(42), 0);
    ASSERT_TRUE(rig.platform->waitForPosts(VYK_MSG_BUFFER_FULL, 1, std::chrono::seconds(5)));
    EXPECT_EQ(GetLoadedJavaClassName().rfind("com/varnholt/tarnwick/", 0), 0u);
    // One Java scan call takes every scan to average, once.
    EXPECT_EQ(rig.java->callCount(JavaMethod::scan), 1);
    EXPECT_EQ(rig.java->lastArgument(JavaMethod::scan), scans);
    const std::vector<float>& buffer = client->buffers[0];
    const bool autonulling = c.adc == VYK_ADC_PAVIKPLUS || c.adc == VYK_ADC_QUARN;
    for (int i = autonulling ? 2 : 0; i < c.pixels; ++i) {
        SCOPED_TRACE(i);
        ASSERT_FLOAT_EQ(buffer[static_cast<std::size_t>(i)], static_cast<float>(100.0 + i % 1000));
    }
    if (autonulling) {
        EXPECT_EQ(buffer[0], 0.0f);
        std::lock_guard lock(core::driverState().mutex);
        const RegistrationRecord* record = core::driverState().table.find(42);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->lastAutonullingDarkValue, 1234);
        EXPECT_EQ(record->lastAutonullingStatus, 7);
    }
    // Nothing past the pixel count is written.
    EXPECT_EQ(buffer[static_cast<std::size_t>(c.pixels)], 0.0f);
    const auto validity = rig.platform->postedOf(VYK_MSG_DATA_VALIDITY);
    ASSERT_EQ(validity.size(), 1u);
    EXPECT_EQ(validity[0].wParam, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Models, JavaModelSetTest,
    ::testing::Values(
        ModelCase{"Trevan", VYK_SPEC_JOLVAR, VYK_ADC_TREVAN, "TrevanOperationSet", 3648},
        ModelCase{"Quarn", VYK_SPEC_JOLVAR, VYK_ADC_QUARN, "QuarnOperationSet", 3648},
        ModelCase{"SolviPlus", VYK_SPEC_ISTREL, VYK_ADC_SOLVIPLUS, "SolviPlusOperationSet", 2048},
        ModelCase{"PavikPlus", VYK_SPEC_ISTREL, VYK_ADC_PAVIKPLUS, "PavikPlusOperationSet", 2048},
        ModelCase{"Ulmar", VYK_SPEC_ULMAR, VYK_ADC_ULMARADC, "UlmarOperationSet", 1044}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JavaSetsTest, TheConfiguredSerialIsOpenedElseIndexZero)
{
    struct Case
    {
        const char* name;
        const char* serial;
        long long opened;
    };
    const Case cases[] = {
        {"found, any case", "trv-b", 5},
        {"not found", "nothing", 0},
        {"empty", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN, c.serial);
        rig.java->setDevices("Trevan", {{0, "TRV-A"}, {5, "TRV-B"}});
        auto client = registered(42);
        ASSERT_EQ(VYK_SingleScan(42), 0);
        EXPECT_EQ(rig.java->lastArgument(JavaMethod::openSpectrometer), c.opened);
        EXPECT_EQ(JavaGetDeviceIndex(), c.opened);
    }
}

TEST(JavaSetsTest, IntegrationTimeGoesInTheUnitOfEachModel)
{
    struct Case
    {
        const char* name;
        int adc;
        int spectrometer;
        int microsecondFlag;
        int milliseconds;
        int microseconds;
        long long sent;
    };
    const Case cases[] = {
        {"Trevan ms", VYK_ADC_TREVAN, VYK_SPEC_JOLVAR, 0, 20, 0, 20000},
        {"Trevan us", VYK_ADC_TREVAN, VYK_SPEC_JOLVAR, 1, 20, 1500, 1500},
        {"Ulmar ms unscaled", VYK_ADC_ULMARADC, VYK_SPEC_ULMAR, 0, 20, 0, 20},
        {"Ulmar below 8 ms", VYK_ADC_ULMARADC, VYK_SPEC_ULMAR, 0, 3, 0, 8},
        {"Ulmar us", VYK_ADC_ULMARADC, VYK_SPEC_ULMAR, 1, 20, 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.spectrometer, c.adc);
        auto client = std::make_unique<TestClient>(42, 142, std::initializer_list<int>{0});
        client->record.integration = static_cast<uint16_t>(c.milliseconds);
        client->record.microsecondFlag = c.microsecondFlag;
        client->record.microsecondIntegrationTime = c.microseconds;
        ASSERT_EQ(VYK_Register(&client->record), 0);
        ASSERT_EQ(VYK_ParamSet(&client->record), 0);
        ASSERT_EQ(VYK_SingleScan(42), 0);
        EXPECT_EQ(rig.java->lastArgument(JavaMethod::setIntegrationTime), c.sent);
    }
}

// ProgramFrequency waits 1.2 x the new integration time when it grew, unless
// "NoIntegrationTimeDelayMode" is set; the wait is read off the fake platform's clock.
TEST(JavaSetsTest, ProgramFrequencyWaitsUnlessTheNoDelayModeIsSet)
{
    for (const int noDelayMode : {0, 1}) {
        SCOPED_TRACE(noDelayMode);
        Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
        {
            std::lock_guard lock(core::driverState().mutex);
            core::driverState().noIntegrationTimeDelayMode = noDelayMode;
        }
        auto client = registered(42);
        ASSERT_EQ(VYK_SingleScan(42), 0); // opens the device at 10 ms
        client->record.integration = 500;
        ASSERT_EQ(VYK_ParamSet(&client->record), 0);
        const std::uint32_t before = rig.platform->timeMs();
        ASSERT_EQ(VYK_SingleScan(42), 0);
        EXPECT_EQ(rig.java->lastArgument(JavaMethod::setIntegrationTime), 500000);
        // The scan itself waits on the Java driver, not on the platform's clock.
        EXPECT_EQ(rig.platform->timeMs() - before, noDelayMode ? 0u : 600u);
    }
}

TEST(JavaSetsTest, IntegrationBelowTheLowestIsNotPassedExceptForUlmar)
{
    Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
    ASSERT_EQ(LoadJavaDriver("com/varnholt/tarnwick/trevan/Trevan"), 1);
    EXPECT_EQ(JavaSetIntegrationTime(5), 0);
    EXPECT_EQ(JavaSetIntegrationTime(65535001), 0);
    EXPECT_EQ(rig.java->callCount(JavaMethod::setIntegrationTime), 0);
    EXPECT_EQ(JavaSetSpectrometerChannel(1), 0);
    EXPECT_EQ(rig.java->callCount(JavaMethod::setSpectrometerChannel), 0);
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().adcType = VYK_ADC_ULMARADC;
    }
    EXPECT_EQ(JavaSetIntegrationTime(5), 1);
    EXPECT_EQ(rig.java->lastArgument(JavaMethod::setIntegrationTime), 5);
}

TEST(JavaSetsTest, WithoutAJavaDriverAScanDeliversZerosAndReportsInvalidData)
{
    Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
    rig.java->setLoadResult(JavaLoadResult::NoVm);
    auto client = registered(42);
    std::fill(client->buffers[0].begin(), client->buffers[0].end(), 77.0f);
    ASSERT_EQ(VYK_SingleScan(42), 0);
    const auto boxes = rig.platform->boxes();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Can't create Java VM for VYKDrvJ");
    EXPECT_EQ(boxes[1].text, "Unable to open Tarnwick");
    for (int i = 0; i < 3648; ++i)
        ASSERT_EQ(client->buffers[0][static_cast<std::size_t>(i)], 0.0f) << i;
    const auto validity = rig.platform->postedOf(VYK_MSG_DATA_VALIDITY);
    ASSERT_EQ(validity.size(), 1u);
    EXPECT_EQ(validity[0].wParam, 1u);
}

TEST(JavaSetsTest, AThrowingScanReportsInvalidDataAndTheNextScanRecovers)
{
    Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
    auto client = registered(42);
    rig.java->setThrowing(JavaMethod::getAccumulator, true);
    ASSERT_EQ(VYK_SingleScan(42), 0);
    EXPECT_EQ(client->buffers[0][10], 0.0f);
    rig.java->setThrowing(JavaMethod::getAccumulator, false);
    ASSERT_EQ(VYK_SingleScan(42), 0);
    EXPECT_EQ(client->buffers[0][10], 110.0f);
    const auto validity = rig.platform->postedOf(VYK_MSG_DATA_VALIDITY);
    ASSERT_EQ(validity.size(), 2u);
    EXPECT_EQ(validity[0].wParam, 1u);
    EXPECT_EQ(validity[1].wParam, 0u);
}

TEST(JavaSetsTest, IdentifyLeavesThePreviouslyOpenDeviceOpen)
{
    Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
    rig.java->setDevices("Trevan", {{1, "TRV-1"}, {2, "TRV-2"}});
    ASSERT_EQ(LoadJavaDriver("com/varnholt/tarnwick/trevan/Trevan"), 1);
    ASSERT_EQ(JavaOpenSpectrometer(2), 1);
    char serial[VYK_JAVA_SLOT_BYTES] = "x";
    EXPECT_EQ(Trevan_IdentifyTrevan(1, serial), 1);
    EXPECT_STREQ(serial, "TRV-1");
    EXPECT_EQ(JavaGetDeviceIndex(), 2);
    EXPECT_EQ(Trevan_IdentifyTrevan(7, serial), 0);
    EXPECT_STREQ(serial, "");
    EXPECT_EQ(JavaGetDeviceIndex(), 2);
}

TEST(JavaSetsTest, IdentifyAllFillsSlotsByDeviceIndex)
{
    Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
    rig.java->setDevices("Trevan", {{2, "TRV-2"}, {5, "TRV-5"}});
    std::array<JavaDeviceSlot, VYK_JAVA_DEVICE_SLOTS> list{};
    list[0].found = 9;
    ASSERT_EQ(VYK_IdentifyAllTrevan(list.data()), 1);
    for (int i = 0; i < VYK_JAVA_DEVICE_SLOTS; ++i) {
        SCOPED_TRACE(i);
        const JavaDeviceSlot& slot = list[static_cast<std::size_t>(i)];
        EXPECT_EQ(slot.found, i == 2 || i == 5 ? 1 : 0);
        EXPECT_STREQ(slot.serial, i == 2 ? "TRV-2" : i == 5 ? "TRV-5" : "");
    }
    EXPECT_EQ(VYK_IdentifyAllTrevan(nullptr), 0);
}

TEST(JavaSetsTest, StoredStringsAreCutToTheSlotAndFirmwareIsDescriptorOne)
{
    Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_TREVAN);
    ASSERT_EQ(LoadJavaDriver("com/varnholt/tarnwick/trevan/Trevan"), 1);
    ASSERT_EQ(JavaOpenSpectrometer(0), 1);
    EXPECT_EQ(Trevan_SetStoredString(3, "0123456789abcdefghij"), 1);
    char text[VYK_JAVA_TEXT_BYTES] = {};
    std::fill(std::begin(text), std::end(text), '#');
    EXPECT_EQ(Trevan_GetStoredString(3, text), 1);
    EXPECT_STREQ(text, "0123456789abcde");
    EXPECT_EQ(text[VYK_JAVA_SLOT_BYTES], '#');
    EXPECT_EQ(Trevan_GetStoredString(4, text), 0); // the driver answers null
    EXPECT_EQ(Trevan_GetFirmwareVersion(text), 1);
    EXPECT_STREQ(text, "Trevan firmware 2.10");
}

TEST(JavaSetsTest, TheNorrelLampSendsItsCommandOnlyForOnAndOff)
{
    Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_QUARN);
    ASSERT_EQ(LoadJavaDriver("com/varnholt/tarnwick/quarn/Quarn"), 1);
    EXPECT_EQ(Quarn_Norrel_LampEnable(2), 0);
    EXPECT_EQ(rig.java->callCount(JavaMethod::sendData), 0);
    EXPECT_EQ(Quarn_Norrel_LampEnable(1), 1);
    std::uint8_t echo[3] = {};
    EXPECT_EQ(JavaBulkIn(0, echo, 3), 3);
    EXPECT_EQ(echo[0], 0x40);
    EXPECT_EQ(echo[1], 0x03);
    EXPECT_EQ(Quarn_Norrel_LampEnable(0), 1);
    EXPECT_EQ(JavaBulkIn(0, echo, 3), 3);
    EXPECT_EQ(echo[0], 0x3F);
}

TEST(JavaSetsTest, AutonullingScalesByTheSaturationValue)
{
    Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_QUARN);
    rig.java->setSaturation(65535.0 * 2);
    auto client = registered(42);
    ASSERT_EQ(VYK_SingleScan(42), 0);
    // 101 x 65535 / (2 x 65535) = 50.5: the integer part stays.
    EXPECT_EQ(client->buffers[0][1], 0.0f);
    EXPECT_EQ(client->buffers[0][2], 51.0f);
    EXPECT_EQ(client->buffers[0][3], 51.0f);
    EXPECT_EQ(client->buffers[0][5], 52.0f);
}

TEST(JavaSetsTest, CoefficientsRoundTripThroughTheStoredSlots)
{
    Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_QUARN);
    CoefficientsRecord record{};
    std::fill(std::begin(record.serial), std::end(record.serial), 'x');
    EXPECT_EQ(Quarn_GetCoefficients(&record), 0); // nothing loaded
    EXPECT_EQ(record.serial[0], '\0');
    ASSERT_EQ(LoadJavaDriver("com/varnholt/tarnwick/quarn/Quarn"), 1);
    ASSERT_EQ(JavaOpenSpectrometer(0), 1);

    // No wavelength stored: the defaults, and the serial "NOT SET"; the serial slot was read.
    EXPECT_EQ(Quarn_GetCoefficients(&record), 1);
    EXPECT_STREQ(record.serial, "NOT SET");
    EXPECT_EQ(record.wavelength[1], 1.0f);
    EXPECT_EQ(record.nonLinearity[0], 1.0f);

    CoefficientsRecord stored{};
    std::memcpy(stored.serial, "QRN-0123456789AB", 16); // all 16 bytes, no terminator
    const float wavelength[4] = {345.5f, 0.25f, -1.5e-5f, 2e-9f};
    std::copy(std::begin(wavelength), std::end(wavelength), stored.wavelength);
    stored.strayLight = 0.125f;
    for (int i = 0; i < 8; ++i)
        stored.nonLinearity[i] = 1.0f / static_cast<float>(i + 1);
    stored.nonLinearityOrder = 7;
    EXPECT_EQ(Quarn_SetCoefficients(&stored), 1);
    EXPECT_EQ(rig.java->callCount(JavaMethod::setCoefficient), 15);

    CoefficientsRecord read{};
    EXPECT_EQ(Quarn_GetCoefficients(&read), 1);
    EXPECT_STREQ(read.serial, "QRN-0123456789A"); // 15 characters and the terminator
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(read.wavelength[i], stored.wavelength[i]) << i;
    EXPECT_FLOAT_EQ(read.strayLight, 0.125f);
    for (int i = 0; i < 8; ++i)
        EXPECT_FLOAT_EQ(read.nonLinearity[i], stored.nonLinearity[i]) << i;
    EXPECT_EQ(read.nonLinearityOrder, 7);
    EXPECT_EQ(Quarn_SetCoefficients(nullptr), 0);
}

TEST(JavaSetsTest, ConnectingChoosesTheConfiguredDeviceOrTheFirstOrTellsTheUser)
{
    struct Case
    {
        const char* name;
        int adc;
        std::map<int, std::string> devices;
        const char* configured;
        int16_t result;
        int opened;
        const char* kept;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"configured, any case",
         VYK_ADC_TREVAN,
         {{0, "TRV-A"}, {5, "TRV-B"}},
         "trv-b",
         0,
         5,
         "TRV-B",
         {}},
        {"unknown serial takes the first",
         VYK_ADC_TREVAN,
         {{3, "TRV-A"}, {5, "TRV-B"}},
         "x",
         0,
         3,
         "TRV-A",
         {}},
        {"nothing connected",
         VYK_ADC_TREVAN,
         {},
         "TRV-9",
         8,
         -1,
         "TRV-9",
         {"Unable to find Trevan with the serial number 'TRV-9'.  Connecting to the first "
          "available Trevan.",
          "Unable to find any Trevan.  Check to see if the spectrometer is connected to the USB "
          "port."}},
        {"PavikPlus words",
         VYK_ADC_PAVIKPLUS,
         {},
         "P1",
         8,
         -1,
         "P1",
         {"Unable to find Pavik+ with the serial number 'P1'.  Connecting to the first available "
          "Pavik+.",
          "Unable to find any PavikPlus.  Check to see if the spectrometer is connected to the "
          "USB port."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(VYK_SPEC_JOLVAR, c.adc, c.configured);
        const JavaModel* model = javaModelForAdc(static_cast<std::uint16_t>(c.adc));
        ASSERT_NE(model, nullptr);
        rig.java->setDevices(model->word, c.devices);
        {
            std::lock_guard lock(core::driverState().mutex);
            core::driverState().startupFlags &= ~core::kStartupInterruptHandler;
        }
        EXPECT_EQ(connectJavaHardware(*model), c.result);
        EXPECT_EQ(JavaGetDeviceIndex(), c.opened);
        std::vector<std::string> boxes;
        for (const auto& box : rig.platform->boxes()) {
            EXPECT_EQ(box.caption, "USB Error");
            boxes.push_back(box.text);
        }
        EXPECT_EQ(boxes, c.boxes);
        std::lock_guard lock(core::driverState().mutex);
        EXPECT_EQ(core::driverState().usbSerialNumber, c.kept);
        EXPECT_EQ((core::driverState().startupFlags & core::kStartupInterruptHandler) != 0,
                  c.result == 0);
    }
}

// Listing another Java-driven type in "Configure Hardware" loads that type's driver. A
// dialog that leaves the Quarn configured (Cancel, or OK back on the Quarn) leaves its
// device in use: it answers at once, and its scans work with the timing sent again.
TEST(JavaSetsTest, TheSetupDialogLeavesTheConfiguredDeviceInUse)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> browsed; // the A/D types chosen in turn
        int answer;
        bool configCall; // VYK_Config (0, 0, 0, 0), else VYK_ParamSet with command 1
        int16_t result;
    };
    const Case cases[] = {
        {"Cancel after Trevan", {"Trevan"}, core::kIdCancel, true, 2},
        {"Cancel after Trevan from the parameters", {"Trevan"}, core::kIdCancel, false, 0},
        {"Cancel back on Quarn", {"Trevan", "Quarn"}, core::kIdCancel, true, 2},
        {"OK back on Quarn", {"Trevan", "Quarn"}, core::kIdOk, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(VYK_SPEC_JOLVAR, VYK_ADC_QUARN, "QRN-B");
        rig.java->setDevices("Quarn", {{0, "QRN-A"}, {1, "QRN-B"}});
        rig.java->setDevices("Trevan", {{0, "TRV-A"}});
        auto client = registered(42);
        ASSERT_EQ(VYK_SingleScan(42), 0);
        ASSERT_EQ(JavaGetDeviceIndex(), 1);

        std::vector<std::string> listed; // the first device listed for each type chosen
        rig.platform->onDialog = [&](core::SetupDialogModel& dialog) {
            for (const std::string& type : c.browsed) {
                for (int i = 0; i < dialog.count(core::SetupList::Adc); ++i) {
                    if (dialog.item(core::SetupList::Adc, i) == type)
                        dialog.select(core::SetupList::Adc, i);
                }
                listed.push_back(dialog.item(core::SetupList::UsbSerial, 1));
            }
            return c.answer;
        };
        rig.java->clearCalls();
        if (c.configCall) {
            EXPECT_EQ(VYK_Config(0, 0, 0, 0), c.result);
        } else {
            client->record.command = 1;
            EXPECT_EQ(VYK_ParamSet(&client->record), c.result);
            client->record.command = 0;
        }
        ASSERT_EQ(rig.platform->dialogs(), 1);
        ASSERT_FALSE(listed.empty());
        EXPECT_EQ(listed[0], "TRV-A"); // the listing did load the Trevan's driver

        EXPECT_EQ(VYK_GetADCType(), VYK_ADC_QUARN);
        char firmware[VYK_JAVA_TEXT_BYTES] = {};
        Quarn_GetFirmwareVersion(firmware);
        EXPECT_STREQ(firmware, "Quarn firmware 2.10");
        EXPECT_EQ(JavaGetDeviceIndex(), 1);

        rig.platform->clearPosts();
        client->buffers[0].assign(client->buffers[0].size(), 0.0f);
        ASSERT_EQ(VYK_ParamSet(&client->record), 0);
        ASSERT_EQ(VYK_SingleScan(42), 0);
        ASSERT_TRUE(rig.platform->waitForPosts(VYK_MSG_BUFFER_FULL, 1, std::chrono::seconds(5)));
        EXPECT_EQ(JavaGetDeviceIndex(), 1);
        EXPECT_EQ(GetLoadedJavaClassName(), "com/varnholt/tarnwick/quarn/Quarn");
        // The reopened device was told its integration time again.
        EXPECT_GE(rig.java->callCount(JavaMethod::setIntegrationTime), 1);
        EXPECT_GT(client->buffers[0][100], 0.0f);
        EXPECT_TRUE(rig.platform->postedOf(VYK_MSG_DATA_VALIDITY).empty());
    }
}

} // namespace
} // namespace driver::java::test
