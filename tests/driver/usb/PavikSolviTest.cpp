#include "driver/core/DriverState.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/UsbModelIds.h"
#include "driver/usb/UsbTransport.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"
#include "tests/driver/core/FakeDriverPlatform.h"
#include "tests/platform/usb/FakeLibusb.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace driver::usb {
namespace {

using core::test::FakeDriverPlatform;
using core::test::TestClient;
using sim::usb::SimulatedUsbSpectrometer;

constexpr std::uint32_t kKey = 5;
constexpr std::uint32_t kWindow = 77;

enum class Road
{
    Simulated, // the simulator plugged in as the backend
    Libusb,    // the libusb backend over the fake libusb, the simulator behind it
};

std::vector<std::uint8_t> bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

class PavikTest : public ::testing::TestWithParam<Road>
{
protected:
    void SetUp() override
    {
        m_sim = std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00042"));
        if (GetParam() == Road::Simulated) {
            auto backend = std::make_shared<sim::usb::SimUsbBackend>();
            backend->add(m_sim);
            setUsbBackend(backend);
        } else {
            auto& fake = platform::usb::test::FakeLibusb::instance();
            fake.reset();
            fake.add({1, {1}, m_sim, false, false});
            static const platform::usb::LibusbApi api = platform::usb::test::FakeLibusb::api();
            setUsbBackend(platform::usb::makeLibusbBackend(
                api, {{kDefaultVendorId, kDefaultPavikProductId}}));
        }
        StoreCurrentUSBSerialNumber("");
        resetPavikSolviState();
        resetPavikExportState();
        m_fake = core::test::startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_PAVIK);
        // The hardware connection of the library start-up marks the converter ready.
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().startupFlags |= core::kStartupInterruptHandler;
    }

    void TearDown() override
    {
        PavikSolviShutdownHardware();
        setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>());
        platform::usb::test::FakeLibusb::instance().reset();
    }

    std::unique_ptr<TestClient> client(int scans)
    {
        auto c = std::make_unique<TestClient>(kKey, kWindow, std::initializer_list<int>{0});
        c->record.scansToAverage = static_cast<int16_t>(scans);
        EXPECT_EQ(VYK_Register(&c->record), 0);
        return c;
    }

    // One scan as the program does it: parameters first, then the scan.
    void scan(TestClient& c)
    {
        ASSERT_EQ(VYK_ParamSet(&c.record), 0);
        const auto before = m_fake->postedOf(VYK_MSG_BUFFER_FULL).size();
        ASSERT_EQ(VYK_SingleScan(kKey), 0);
        ASSERT_TRUE(
            m_fake->waitForPosts(VYK_MSG_BUFFER_FULL, before + 1, std::chrono::seconds(10)));
    }

    std::vector<std::uintptr_t> validityPosts()
    {
        std::vector<std::uintptr_t> out;
        for (const auto& post : m_fake->postedOf(VYK_MSG_DATA_VALIDITY))
            out.push_back(post.wParam);
        return out;
    }

    static bool holdsPattern(const TestClient& c)
    {
        for (std::size_t i = 0; i < 2048; ++i) {
            if (c.buffers[0][i] != SimulatedUsbSpectrometer::patternPixel(i))
                return false;
        }
        return true;
    }

    static bool holdsZeros(const TestClient& c)
    {
        for (std::size_t i = 0; i < 2048; ++i) {
            if (c.buffers[0][i] != 0.0f)
                return false;
        }
        return true;
    }

    bool logged(const std::vector<std::uint8_t>& command)
    {
        for (const auto& t : m_sim->log()) {
            if (t.bytes == command)
                return true;
        }
        return false;
    }

    std::shared_ptr<SimulatedUsbSpectrometer> m_sim;
    std::shared_ptr<FakeDriverPlatform> m_fake;
};

TEST_P(PavikTest, AveragedScanDeliversThePattern)
{
    auto c = client(3);
    scan(*c);
    EXPECT_TRUE(holdsPattern(*c));
    EXPECT_TRUE(validityPosts().empty());
    // The open: initialise, lamp on, one drained block; then the integration time and the
    // trigger mode of the first scan only.
    EXPECT_TRUE(logged(bytes({0x01, 0x00})));
    EXPECT_TRUE(logged(bytes({0x03, 0x02})));
    EXPECT_TRUE(logged(bytes({0x02, 10, 0})));
    EXPECT_EQ(m_sim->integrationMs(), 10);
    EXPECT_EQ(m_sim->spectrumRequests(), 1 + 3);
    EXPECT_EQ(firmwareVersion(), 2050001u);
    EXPECT_EQ(currentSerial(), "PV00042");
}

TEST_P(PavikTest, TriggerModeOnlyBeforeTheFirstScan)
{
    auto c = client(2);
    c->record.triggerMode = 3;
    ASSERT_EQ(VYK_ParamSet(&c->record), 0);
    m_sim->clearLog();
    // The simulator has its block ready at once, so the triggered read returns.
    scan(*c);
    std::vector<std::vector<std::uint8_t>> triggers;
    for (const auto& t : m_sim->log()) {
        if (!t.bytes.empty() && t.bytes[0] == 0x0A)
            triggers.push_back(t.bytes);
    }
    ASSERT_EQ(triggers.size(), 2u);
    EXPECT_EQ(triggers[0], bytes({0x0A, 3, 0}));
    EXPECT_EQ(triggers[1], bytes({0x0A, 0, 0}));
}

// A scan waiting for an external trigger ends quietly on VYK_Stop, without data or a
// validity report, and the next scan works.
TEST_P(PavikTest, StopEndsAWaitForTheTrigger)
{
    auto c = client(1);
    scan(*c); // opens the device
    {
        // Long enough that only the stop can end the wait within the test's bound.
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().trigTimeoutMs = 60000;
    }
    m_sim->holdSpectra(true);
    m_sim->clearLog();
    c->record.triggerMode = 3;
    ASSERT_EQ(VYK_ParamSet(&c->record), 0);
    const auto before = m_fake->postedOf(VYK_MSG_BUFFER_FULL).size();
    VYK_SingleScan_Thread(kKey);

    const auto until = [](const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    };
    ASSERT_TRUE(until([&] {
        for (const auto& t : m_sim->log()) {
            if (t.bytes == bytes({0x09, 0x00}))
                return true; // the triggered read has begun
        }
        return false;
    }));
    EXPECT_EQ(VYK_Stop(kKey), 0);
    EXPECT_TRUE(until([] { return VYK_AcquisitionThreadActive() == 0; }));
    {
        std::lock_guard lock(core::driverState().mutex);
        EXPECT_EQ(core::driverState().acquisitionStatus, core::kStatusStopped);
    }
    EXPECT_EQ(m_fake->postedOf(VYK_MSG_BUFFER_FULL).size(), before);
    EXPECT_TRUE(validityPosts().empty());

    m_sim->holdSpectra(false);
    c->record.triggerMode = 0;
    scan(*c);
    EXPECT_TRUE(holdsPattern(*c));
}

TEST_P(PavikTest, DroppedSyncByteIsDrainedAndTheScanRecovers)
{
    auto c = client(1);
    scan(*c);
    m_sim->clearLog();
    m_sim->dropNextSyncBytes(1);
    scan(*c);
    EXPECT_TRUE(holdsPattern(*c));
    EXPECT_TRUE(validityPosts().empty());
    EXPECT_TRUE(deviceOk());
    // Request, then the initialise of the resynchronisation, then a new request.
    std::vector<std::vector<std::uint8_t>> commands;
    for (const auto& t : m_sim->log())
        commands.push_back(t.bytes);
    const std::vector<std::vector<std::uint8_t>> expected = {bytes({0x0A, 0, 0}), bytes({0x09, 0}),
                                                             bytes({0x01, 0}), bytes({0x09, 0})};
    EXPECT_EQ(commands, expected);
}

TEST_P(PavikTest, UnplugGivesZerosAndInvalidThenReplugValidAgain)
{
    auto c = client(1);
    scan(*c);
    ASSERT_TRUE(holdsPattern(*c));
    m_sim->unplug();
    scan(*c);
    EXPECT_TRUE(holdsZeros(*c));
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1}));
    scan(*c); // still unplugged: no second report
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1}));
    m_sim->replug();
    scan(*c);
    EXPECT_TRUE(holdsPattern(*c));
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1, 0}));
}

TEST_P(PavikTest, FailedTransferNeverDeliversStaleData)
{
    // Each failure costs one transfer; the device is found and re-opened again once the
    // failures are used up, within a bounded number of scans.
    for (int failures : {1, 2, 5}) {
        SCOPED_TRACE(failures);
        auto c = client(2);
        scan(*c);
        ASSERT_TRUE(holdsPattern(*c));
        m_fake->clearPosts();
        m_sim->failNextTransfers(failures);
        scan(*c);
        EXPECT_TRUE(holdsZeros(*c));
        EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1}));
        for (int i = 0; i < failures + 2 && !holdsPattern(*c); ++i) {
            scan(*c);
            if (!holdsPattern(*c)) {
                EXPECT_TRUE(holdsZeros(*c));
            }
        }
        EXPECT_TRUE(holdsPattern(*c));
        EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1, 0}));
        VYK_UnRegister(kKey);
    }
}

TEST_P(PavikTest, AFailureInsideAnAverageDeliversZerosNotAPartialSum)
{
    auto c = client(2);
    scan(*c);
    m_fake->clearPosts();
    // The first scan's trigger command, request and block go through; the second fails.
    m_sim->failNextTransfers(1, 3);
    scan(*c);
    EXPECT_TRUE(holdsZeros(*c));
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1}));
}

TEST_P(PavikTest, CoefficientsRoundTripWithNotSetDefaults)
{
    char text[32] = {};
    ASSERT_EQ(Pavik_GetFirmwareVersion(text), 1); // opens on demand
    EXPECT_STREQ(text, "Pavik 2.50.1");

    CoefficientsRecord record{};
    ASSERT_EQ(Pavik_GetCoefficients(&record), 1);
    EXPECT_STREQ(record.serial, "NOT SET");
    EXPECT_EQ(record.wavelength[0], 0.0f);
    EXPECT_EQ(record.wavelength[1], 1.0f);
    EXPECT_EQ(record.nonLinearity[0], 1.0f);
    EXPECT_EQ(record.nonLinearityOrder, 0);

    CoefficientsRecord stored{};
    std::strcpy(stored.serial, "PV00042");
    const float values[] = {350.5f, 0.25f, -1.5e-05f, 3e-09f, 0.125f};
    std::copy(values, values + 4, stored.wavelength);
    stored.strayLight = values[4];
    for (int i = 0; i < 8; ++i)
        stored.nonLinearity[i] = 1.0f / static_cast<float>(1 << i);
    stored.nonLinearityOrder = 7;
    ASSERT_EQ(Pavik_SetCoefficients(&stored), 1);
    EXPECT_EQ(m_sim->infoSlot(1), "3.505000e+02");
    EXPECT_EQ(m_sim->infoSlot(14), "7");
    CoefficientsRecord back{};
    ASSERT_EQ(Solvi_GetCoefficients(&back), 1);
    EXPECT_EQ(std::memcmp(&back, &stored, sizeof back), 0);

    // An intercept of 0 gives the defaults whatever the serial slot holds.
    m_sim->setInfoSlot(1, "0.0");
    ASSERT_EQ(Pavik_GetCoefficients(&back), 1);
    EXPECT_STREQ(back.serial, "NOT SET");

    // Stored strings keep 15 characters.
    ASSERT_EQ(Pavik_SetStoredString(20, "ABCDEFGHIJKLMNOPQRST"), 1);
    char slot[18] = {};
    ASSERT_EQ(Solvi_GetStoredString(20, slot), 1);
    EXPECT_STREQ(slot, "ABCDEFGHIJKLMNO");
}

TEST_P(PavikTest, AccessoryCommandsAreByteExact)
{
    char text[32] = {};
    ASSERT_EQ(Pavik_GetFirmwareVersion(text), 1);
    const std::uint8_t i2cBytes[2] = {1, 2};
    std::uint8_t i2cRead[64] = {};
    struct Case
    {
        const char* name;
        std::function<int()> call;
        int result;
        std::vector<std::uint8_t> last; // empty: nothing sent
    };
    const std::vector<Case> cases = {
        {"pot write", [] { return USBNorrel_WritePotValue(1, 40); }, 1, bytes({0x40, 1, 40})},
        {"vis intensity above 63", [] { return Pavik_Norrel_SetVisLampIntensity(200); }, 1,
         bytes({0x40, 0, 63})},
        {"uv intensity", [] { return Pavik_Norrel_SetUVLampIntensity(0x120); }, 1,
         bytes({0x40, 1, 0x20})},
        {"pot 4", [] { return USBNorrel_WritePotValue(4, 1); }, 0, {}},
        {"store pots", [] { return Pavik_Norrel_StoreCurrentPotValues(); }, 1,
         bytes({0x41, 0x01, 0x80})},
        {"lamp on", [] { return Pavik_Norrel_LampOn(1); }, 1, bytes({0x40, 3, 0})},
        {"vis lamp off", [] { return Pavik_Norrel_SetVisLampOn(0); }, 1, bytes({0x40, 2, 63})},
        {"lamp read back", [] { return Pavik_Norrel_GetLampOn(); }, 1, bytes({0x42, 0})},
        {"uv read back", [] { return Pavik_Norrel_GetUVLampIntensity(); }, 0x20, bytes({0x42, 0})},
        {"shutter", [] { return Pavik_Norrel_SetShutterOpened(1); }, 1, bytes({0x03, 0x02})},
        {"mavrin modulation", [] { return Pavik_SetMavrinModulation(300); }, 1,
         bytes({0x21, 0x2C, 0x01})},
        {"mavrin da", [] { return Pavik_SetMavrinDA(5); }, 1, bytes({0x25, 5, 0})},
        {"plug-in 2", [] { return Pavik_IsPluginDetected(2); }, 1, bytes({0x0C, 0})},
        {"plug-in 9", [] { return Pavik_IsPluginDetected(9); }, 0, bytes({0x0C, 0})},
        {"i2c write", [&] { return Pavik_I2C_Write(0x50, 2, i2cBytes); }, 0x5A,
         bytes({0x61, 0x50, 2, 1, 2})},
        {"i2c read", [&] { return Pavik_I2C_Read(0x50, 2, i2cRead); }, 0x5A,
         bytes({0x60, 0x50, 2})},
        {"i2c read of 61", [&] { return Pavik_I2C_Read(0x50, 61, i2cRead); }, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_sim->clearLog();
        EXPECT_EQ(c.call(), c.result);
        const auto log = m_sim->log();
        if (c.last.empty()) {
            EXPECT_TRUE(log.empty());
        } else {
            ASSERT_FALSE(log.empty());
            EXPECT_EQ(log.back().bytes, c.last);
        }
    }
    EXPECT_EQ(i2cRead[0], 1);
    EXPECT_EQ(i2cRead[1], 2);
    EXPECT_EQ(Pavik_GetMavrinModulation(), 300);
    EXPECT_EQ(m_sim->pots(), (std::array<std::uint8_t, 4>{63, 0x20, 63, 0}));
}

TEST_P(PavikTest, TemperatureRejectsJumpsButTakesRetriedReadings)
{
    char text[32] = {};
    ASSERT_EQ(Pavik_GetFirmwareVersion(text), 1);
    ASSERT_EQ(Pavik_SetTemperatureCoefficients(0.5f, -10.0f), 1);
    EXPECT_EQ(m_sim->pluginSlot(1), "0.5");
    EXPECT_EQ(m_sim->pluginSlot(2), "-10");
    float gain = 0, offset = 0;
    ASSERT_EQ(Pavik_GetTemperatureCoefficients(&gain, &offset), 1);
    EXPECT_EQ(gain, 0.5f);
    EXPECT_EQ(offset, -10.0f);

    const struct
    {
        const char* name;
        std::vector<std::uint32_t> raws;
        float expected;
    } cases[] = {
        {"first reading", {80}, 30.0f},
        {"jump of more than 60 is ignored", {300}, 30.0f},
        {"small step", {100}, 40.0f},
        {"zero then a retried reading is taken without the jump test", {0, 400}, 190.0f},
        {"0xFFFF then two more reads", {0xFFFF, 1, 60}, 20.0f},
        {"retry still bad keeps the last", {0, 0}, 20.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_sim->setTemperatureRaw(c.raws);
        EXPECT_EQ(Pavik_GetTemperature(), c.expected);
    }
}

TEST_P(PavikTest, FloatArraysInChunks)
{
    char text[32] = {};
    ASSERT_EQ(Pavik_GetFirmwareVersion(text), 1);
    PavikFloatArray array{};
    for (int i = 0; i < 2048; ++i)
        array.values[i] = static_cast<float>(i) * 0.5f;
    array.count = 2048;
    ASSERT_EQ(Pavik_WriteFloatArray(&array), 1);
    PavikFloatArray back{};
    back.count = 20;
    m_sim->clearLog();
    ASSERT_EQ(Pavik_ReadFloatArray(&back), 1);
    const auto log = m_sim->log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].bytes, bytes({0x6D, 0, 0}));
    EXPECT_EQ(log[1].bytes, bytes({0x6D, 20, 0}));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(back.values[i], array.values[i]);

    back.count = 2048;
    ASSERT_EQ(Pavik_ReadFloatArray(&back), 1);
    EXPECT_EQ(std::memcmp(back.values, array.values, sizeof array.values), 0);

    const struct
    {
        const char* name;
        int count;
        int failures;
        int result;
    } cases[] = {{"no values", 0, 0, 1},
                 {"too many", 2049, 0, 0},
                 {"nine bad statuses", 15, 9, 1},
                 {"ten bad statuses", 15, 10, 0},
                 {"short array", 3, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_sim->setFloatStatusFailures(c.failures);
        back.count = c.count;
        EXPECT_EQ(Pavik_ReadFloatArray(&back), c.result);
    }
    // A short write keeps the accessory's bytes after the array.
    PavikFloatArray small{};
    small.values[0] = 7.0f;
    small.count = 1;
    ASSERT_EQ(Pavik_WriteFloatArray(&small), 1);
    back.count = 20;
    ASSERT_EQ(Pavik_ReadFloatArray(&back), 1);
    EXPECT_EQ(back.values[0], 7.0f);
    EXPECT_EQ(back.values[1], 0.5f);
}

TEST_P(PavikTest, RawExportsAndIdentification)
{
    std::uint8_t buffer[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    // Without an open device nothing is read and nothing is claimed to be.
    EXPECT_EQ(USBGEN_BulkIn(3, 8, buffer), 0);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(USBGEN_BulkOut(0, 2, buffer), 0);
    char text[129] = {};
    EXPECT_EQ(USB_GetStringDescriptor(0, 1, text), 0);
    EXPECT_STREQ(text, "Pavik not opened");

    char serial[16] = {};
    EXPECT_EQ(Pavik_IdentifyPavik(0, serial), 1);
    EXPECT_STREQ(serial, "PV00042");
    EXPECT_EQ(Solvi_IdentifySolvi(0, serial), 0);
    EXPECT_EQ(Pavik_IdentifyPavik(5, serial), 0);

    auto c = client(1);
    scan(*c);
    const std::uint8_t query[2] = {0x08, 0x00};
    EXPECT_EQ(USBGEN_BulkOut(0, 0x10002, query), 1); // the low 16 bits of the length
    std::uint8_t reply[16] = {};
    EXPECT_EQ(USBGEN_BulkIn(3, 16, reply), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(reply + 1), "PV00042");
    EXPECT_EQ(USB_GetStringDescriptor(deviceHandle(), 1, text), 1);
    EXPECT_STREQ(text, "Pavik 2.50.1");
    EXPECT_EQ(VYK_USB_ResetAllPipes(), 1);
}

TEST_P(PavikTest, AccessoryCallsWaitForTheRunningScans)
{
    auto c = client(1);
    scan(*c);
    std::atomic<bool> stop{false};
    std::thread scanner([&] {
        while (!stop) {
            VYK_ParamSet(&c->record);
            VYK_SingleScan(kKey);
        }
    });
    int done = 0;
    for (int i = 0; i < 50; ++i)
        done += USBNorrel_WritePotValue(i % 4, i);
    stop = true;
    scanner.join();
    EXPECT_EQ(done, 50);
    EXPECT_TRUE(validityPosts().empty());
}

INSTANTIATE_TEST_SUITE_P(Roads, PavikTest, ::testing::Values(Road::Simulated, Road::Libusb),
                         [](const auto& info) {
                             return info.param == Road::Simulated ? "Simulated" : "Libusb";
                         });

// The device lists of the set-up dialog: the devices that answer as the model, packed from
// slot 0 (a 32-bit found flag, then the serial), the other slots zero.
// ProgramFrequency waits for the detector to settle at a new integration time unless
// "NoIntegrationTimeDelayMode" is set; the wait is read off the fake platform's clock.
TEST(IntegrationDelayTest, ProgramFrequencyWaitsUnlessTheNoDelayModeIsSet)
{
    struct Case
    {
        const char* name;
        int adc;
        int noDelayMode;
        std::uint32_t waitMs; // 500 ms after 10 ms: (500 / 10) x 12
    };
    const Case cases[] = {
        {"Pavik waits", VYK_ADC_PAVIK, 0, 600},
        {"Pavik without delay", VYK_ADC_PAVIK, 1, 0},
        {"Solvi waits", VYK_ADC_SOLVI, 0, 600},
        {"Solvi without delay", VYK_ADC_SOLVI, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto sim = std::make_shared<SimulatedUsbSpectrometer>(
            c.adc == VYK_ADC_PAVIK ? sim::usb::pavikIdentity("PV00042")
                                   : sim::usb::solviIdentity("SV00042"));
        auto backend = std::make_shared<sim::usb::SimUsbBackend>();
        backend->add(sim);
        setUsbBackend(backend);
        StoreCurrentUSBSerialNumber("");
        resetPavikSolviState();
        resetPavikExportState();
        auto fake = core::test::startFakeDriver(VYK_SPEC_ISTREL, c.adc);
        {
            std::lock_guard lock(core::driverState().mutex);
            core::driverState().startupFlags |= core::kStartupInterruptHandler;
            core::driverState().noIntegrationTimeDelayMode = c.noDelayMode;
        }
        TestClient client(kKey, kWindow, {0});
        ASSERT_EQ(VYK_Register(&client.record), 0);
        ASSERT_EQ(VYK_ParamSet(&client.record), 0);
        ASSERT_EQ(VYK_SingleScan(kKey), 0); // opens the device at 10 ms
        RegistrationRecord* record = nullptr;
        {
            std::lock_guard lock(core::driverState().mutex);
            record = core::driverState().table.find(kKey);
            ASSERT_NE(record, nullptr);
            record->integration = 500;
        }
        const std::uint32_t before = fake->timeMs();
        EXPECT_EQ(PavikSolviProgramFrequency(record), 0);
        EXPECT_EQ(fake->timeMs() - before, c.waitMs);
        PavikSolviShutdownHardware();
        setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>());
    }
}

TEST(DeviceListTest, IdentifyAllPacksTheModelsDevicesFromSlotZero)
{
    auto backend = std::make_shared<sim::usb::SimUsbBackend>();
    backend->add(std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV1")));
    backend->add(std::make_shared<SimulatedUsbSpectrometer>(sim::usb::solviIdentity("SV1")));
    backend->add(std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV2")));
    setUsbBackend(backend);

    struct Slot
    {
        std::int32_t found;
        char serial[32];
    };
    static_assert(sizeof(Slot) == 36);
    const struct
    {
        const char* name;
        void (*identifyAll)(void*);
        std::vector<std::string> serials;
    } cases[] = {
        {"Pavik", VYK_IdentifyAllPavik, {"PV1", "PV2"}},
        {"Solvi", VYK_IdentifyAllSolvi, {"SV1"}},
        {"BrontelUSB", VYK_IdentifyAllBrontelUSB, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Slot> list(64);
        std::memset(list.data(), 0x5A, list.size() * sizeof(Slot));
        c.identifyAll(list.data());
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (i < c.serials.size()) {
                EXPECT_EQ(list[i].found, 1);
                EXPECT_EQ(std::string(list[i].serial), c.serials[i]);
            } else {
                EXPECT_EQ(list[i].found, 0) << "slot " << i;
                EXPECT_EQ(list[i].serial[0], 0) << "slot " << i;
            }
        }
    }
    VYK_IdentifyAllPavik(nullptr); // a missing list is refused quietly
    setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>());
}

TEST(SerialTest, ConfiguredSerialsAreBounded)
{
    StoreCurrentUSBSerialNumber("ABCDEFGHIJKLMNOPQRSTUVWXYZ012");
    EXPECT_EQ(currentSerial(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(configuredSerial(), "ABCDEFGHIJKLMNO");
    StoreCurrentUSBSerialNumber("");
}

} // namespace
} // namespace driver::usb
