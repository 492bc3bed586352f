#include "driver/usb/XandelOperationSet.h"
#include "driver/usb/XandelProtocol.h"
#include "sim/usb/SimulatedXandel.h"
#include "tests/driver/usb/UsbScanFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <type_traits>

namespace driver::usb {
namespace {

using sim::usb::SimulatedXandel;
using test::bytes;

// --- The interface's bytes ---------------------------------------------------------

TEST(XandelProtocolTest, IntegrationCommandIsBigEndianAndClamped)
{
    // The record carries 16 bits; longer times reach the builder only from elsewhere.
    static_assert(std::is_same_v<decltype(RegistrationRecord::integration), std::uint16_t>);
    struct Case
    {
        long long ms;
        std::array<std::uint8_t, 3> sent;
    } cases[] = {{70000, {0x02, 0xFF, 0xFF}}, {65536, {0x02, 0xFF, 0xFF}},
                 {65535, {0x02, 0xFF, 0xFF}}, {1000, {0x02, 0x03, 0xE8}},
                 {1, {0x02, 0x00, 0x01}},     {0, {0x02, 0x00, 0x01}},
                 {-40, {0x02, 0x00, 0x01}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(xandel::encodeIntegration(c.ms), c.sent);
    }
}

TEST(XandelProtocolTest, SetPointIsTruncatedTenthsBigEndian)
{
    EXPECT_EQ(xandel::encodeSetPoint(-5.25f),
              (std::array<std::uint8_t, 6>{0x3E, 0x00, 0xFF, 0xCC, 0x00, 0x00}));
    EXPECT_EQ(xandel::encodeSetPoint(25.0f),
              (std::array<std::uint8_t, 6>{0x3E, 0x00, 0x00, 0xFA, 0x00, 0x00}));
}

std::vector<std::uint8_t> velkoBlock(std::uint8_t sync)
{
    std::vector<std::uint8_t> block(513, 0);
    for (std::size_t i = 0; i < 256; ++i) {
        const auto wire = static_cast<std::uint16_t>((i + 0x100) ^ 0x8000);
        block[(i / 64) * 128 + i % 64] = static_cast<std::uint8_t>(wire & 0xFF);
        block[(i / 64) * 128 + 64 + i % 64] = static_cast<std::uint8_t>(wire >> 8);
    }
    block[512] = sync;
    return block;
}

TEST(XandelProtocolTest, VelkoBlockGives256PixelsWithPixelZeroCleared)
{
    std::array<std::uint16_t, 2048> pixels;
    pixels.fill(0xBEEF);
    ASSERT_EQ(xandel::unpackBlock(velkoBlock(0x69), 256, pixels), DecodeStatus::Ok);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[1], 0x101);
    EXPECT_EQ(pixels[64], 0x140);
    EXPECT_EQ(pixels[255], 0x1FF);
    for (std::size_t i = 256; i < 2048; ++i)
        ASSERT_EQ(pixels[i], 0) << i;

    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> block;
        DecodeStatus status;
    } refused[] = {{"no sync byte", velkoBlock(0x00), DecodeStatus::BadSync},
                   {"short", std::vector<std::uint8_t>(512, 0x69), DecodeStatus::Truncated}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        pixels.fill(7);
        EXPECT_EQ(xandel::unpackBlock(c.block, 256, pixels), c.status);
        EXPECT_EQ(pixels[100], 7);
    }
}

TEST(XandelProtocolTest, StatusAndTemperatureRepliesDecode)
{
    const std::array<std::uint8_t, 16> reply{0x12, 0x34, 0xAB, 0xCD, 5, 0x7F, 0, 1,
                                             0,    2,    0,    0x33, 9, 3,    0, 0};
    const XandelStatus s = xandel::decodeStatus(reply);
    EXPECT_EQ(s.field1, 0x1234);
    EXPECT_EQ(s.field2, 0xABCD);
    EXPECT_EQ(s.field3, 1);
    EXPECT_EQ(s.field4, 0x7F);
    EXPECT_EQ((std::array<int, 5>{s.field5, s.field6, s.field7, s.field8, s.field9}),
              (std::array<int, 5>{0, 1, 0, 1, 0}));
    EXPECT_EQ(s.field10, 0x33);
    EXPECT_EQ(s.field11, 1);
    EXPECT_EQ(s.field12, 1);
    EXPECT_EQ(s.field13, 1);

    const std::array<std::uint8_t, 14> temperatures{0x3F, 0,    0x00, 0xFD, 0xFF, 0xCE, 0,
                                                    7,    0xFF, 0xCC, 0,    8,    0x01, 0x02};
    const XandelTemperatureStatus t = xandel::decodeTemperatures(temperatures);
    EXPECT_EQ(t.words[0], 253);
    EXPECT_EQ(t.words[1], 0xFFCE);
    EXPECT_EQ(t.words[3], 0xFFCC);
    EXPECT_EQ(t.words[5], 0x0102);
}

// --- The operation set and the exports over the simulated interface ----------------

class XandelTest : public test::UsbScanFixture
{
protected:
    void startWith(int spectrometer, const std::string& firmware = "Xandel 1.2.0")
    {
        const bool wessor = spectrometer == VYK_SPEC_WESSOR;
        m_sim =
            std::make_shared<SimulatedXandel>(wessor ? sim::usb::wessorIdentity("XW0001", firmware)
                                                     : sim::usb::velkoIdentity("XV0001", firmware),
                                              wessor ? 512 : 256);
        resetXandelState();
        resetXandelExportState();
        start({m_sim}, spectrometer, VYK_ADC_XANDEL);
    }

    bool holdsPattern(const core::test::TestClient& c, std::size_t pixels)
    {
        for (std::size_t i = 0; i < 2048; ++i) {
            const float want =
                i == 0 || i >= pixels ? 0.0f : float(SimulatedXandel::xandelPixel(i));
            if (c.buffers[0][i] != want)
                return false;
        }
        return true;
    }

    std::shared_ptr<SimulatedXandel> m_sim;
};

TEST_F(XandelTest, VelkoAndWessorScansUnpackTheirBlocks)
{
    for (int spectrometer : {VYK_SPEC_VELKO, VYK_SPEC_WESSOR}) {
        SCOPED_TRACE(spectrometer);
        startWith(spectrometer);
        auto c = client({0}, 2);
        c->record.triggerMode = 1;
        ASSERT_EQ(scan(*c), 0);
        EXPECT_TRUE(holdsPattern(*c, spectrometer == VYK_SPEC_WESSOR ? 512 : 256));
        EXPECT_TRUE(validityPosts().empty());
        // The open initialises twice; the integration goes big-endian; the trigger mode
        // only before the first scan.
        const auto sent = commands(*m_sim);
        const auto init = std::find(sent.begin(), sent.end(), bytes({0x01, 0x00}));
        ASSERT_LT(init + 1, sent.end());
        EXPECT_EQ(init[1], bytes({0x01, 0x00}));
        EXPECT_TRUE(logged(*m_sim, bytes({0x02, 0x00, 10})));
        EXPECT_EQ(m_sim->integrationMs(), 10);
        std::vector<std::vector<std::uint8_t>> triggers;
        for (const auto& command : sent) {
            if (command[0] == 0x0A)
                triggers.push_back(command);
        }
        EXPECT_EQ(triggers, (std::vector<std::vector<std::uint8_t>>{bytes({0x0A, 1, 0}),
                                                                    bytes({0x0A, 0, 0})}));
        EXPECT_EQ(m_sim->spectrumRequests(), 2);
        VYK_UnRegister(kKey);
        TearDown();
    }
}

// A scan waiting for an external trigger ends quietly on VYK_Stop, without data or a
// validity report, and the next scan works.
TEST_F(XandelTest, StopEndsAWaitForTheTrigger)
{
    startWith(VYK_SPEC_VELKO);
    auto c = client({0}, 1);
    ASSERT_EQ(scan(*c), 0); // opens the device
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
    const int requests = m_sim->spectrumRequests();
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
    ASSERT_TRUE(until([&] { return m_sim->spectrumRequests() > requests; }));
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
    ASSERT_EQ(VYK_ParamSet(&c->record), 0);
    ASSERT_EQ(scan(*c), 0);
    EXPECT_TRUE(holdsPattern(*c, 256));
}

TEST_F(XandelTest, OnlyChannelZeroIsAcquired)
{
    startWith(VYK_SPEC_VELKO);
    auto c = client({0, 1}, 1);
    ASSERT_EQ(scan(*c, 2), 0);
    EXPECT_EQ(m_sim->spectrumRequests(), 1);
    EXPECT_TRUE(holdsPattern(*c, 256));
}

TEST_F(XandelTest, DroppedSyncByteIsDrainedAndTheScanRecovers)
{
    startWith(VYK_SPEC_VELKO);
    auto c = client({0}, 1);
    ASSERT_EQ(scan(*c), 0);
    m_sim->clearLog();
    m_sim->dropNextSyncBytes(1);
    ASSERT_EQ(scan(*c), 0);
    EXPECT_TRUE(holdsPattern(*c, 256));
    EXPECT_TRUE(validityPosts().empty());
    EXPECT_TRUE(deviceOk());
    EXPECT_EQ(commands(*m_sim),
              (std::vector<std::vector<std::uint8_t>>{bytes({0x0A, 0, 0}), bytes({0x09, 0}),
                                                      bytes({0x01, 0}), bytes({0x09, 0})}));
}

TEST_F(XandelTest, FailedTransfersDeliverZerosThenValidAgain)
{
    startWith(VYK_SPEC_WESSOR);
    auto c = client({0}, 2);
    ASSERT_EQ(scan(*c), 0);
    // The first scan's trigger, request and block go through; the second scan fails.
    m_sim->failNextTransfers(1, 3);
    ASSERT_EQ(scan(*c), 0);
    bool zeros = true;
    for (std::size_t i = 0; i < 2048; ++i)
        zeros = zeros && c->buffers[0][i] == 0.0f;
    EXPECT_TRUE(zeros);
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1}));
    for (int i = 0; i < 4 && !holdsPattern(*c, 512); ++i)
        scan(*c);
    EXPECT_TRUE(holdsPattern(*c, 512));
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1, 0}));
}

TEST_F(XandelTest, LostDeviceIsReopenedByTheConfiguredSerialNotAnother)
{
    auto other = std::make_shared<SimulatedXandel>(sim::usb::velkoIdentity("XV0002"), 256);
    m_sim = std::make_shared<SimulatedXandel>(sim::usb::velkoIdentity("XV0001"), 256);
    resetXandelState();
    start({other, m_sim}, VYK_SPEC_VELKO, VYK_ADC_XANDEL, "XV0001");
    StoreCurrentUSBSerialNumber("XV0001");
    auto c = client({0}, 1);
    ASSERT_EQ(scan(*c), 0);
    m_sim->unplug();
    scan(*c); // invalid: the current serial is cleared
    m_sim->replug();
    for (int i = 0; i < 3 && currentSerial() != "XV0001"; ++i)
        scan(*c);
    ASSERT_EQ(scan(*c), 0);
    EXPECT_EQ(currentSerial(), "XV0001");
    EXPECT_EQ(other->spectrumRequests(), 0);
    EXPECT_TRUE(holdsPattern(*c, 256));
}

TEST_F(XandelTest, CoolerFanGainAndStatusAnswerFromTheInterface)
{
    startWith(VYK_SPEC_WESSOR);
    // Without an open device nothing is sent.
    EXPECT_EQ(Xandel_EnableCooler(1), 0);
    char text[32] = {};
    ASSERT_EQ(Xandel_GetFirmwareVersion(text), 1); // opens on demand
    EXPECT_STREQ(text, "Xandel 1.2.0");
    m_sim->clearLog();
    EXPECT_EQ(Xandel_EnableCooler(7), 1);
    EXPECT_EQ(Xandel_EnableFan(1), 1);
    EXPECT_EQ(Xandel_EnableHighGain(1), 1);
    EXPECT_TRUE(m_sim->cooler());
    EXPECT_TRUE(m_sim->fan());
    EXPECT_TRUE(m_sim->highGain());
    EXPECT_EQ(Xandel_EnableFan(0), 1);
    EXPECT_FALSE(m_sim->fan());
    EXPECT_EQ(commands(*m_sim),
              (std::vector<std::vector<std::uint8_t>>{bytes({0x0B, 1}), bytes({0x0D, 1}),
                                                      bytes({0x0C, 1}), bytes({0x0D, 0})}));

    m_sim->setStatusReply({0, 5, 0, 6, 1, 9, 0, 0, 0, 0, 1, 2, 0, 3, 0, 0});
    XandelStatus status{};
    ASSERT_EQ(Xandel_GetStatus(&status), 1);
    EXPECT_EQ(status.field2, 6);
    EXPECT_EQ(status.field12, 1);
    EXPECT_EQ(status.field13, 1);
    XandelStatus wrapped{};
    ASSERT_EQ(Xandel_GetStatus_LVD(&wrapped), 1);
    EXPECT_EQ(std::memcmp(&wrapped, &status, sizeof status), 0);
    m_sim->shortenNextReplies(1);
    EXPECT_EQ(Xandel_GetStatus(&status), 0);
    EXPECT_EQ(Xandel_GetStatus(nullptr), 0);
}

TEST_F(XandelTest, TemperaturesSetPointAndScalar)
{
    startWith(VYK_SPEC_VELKO);
    char text[32] = {};
    ASSERT_EQ(Xandel_GetFirmwareVersion(text), 1);
    m_sim->setTemperatureWords({253, 0xFFCE, 7, 0x0032, 8, 9});
    EXPECT_FLOAT_EQ(Xandel_GetBoardTemperature(), 25.3f);
    EXPECT_FLOAT_EQ(Xandel_GetTECTemperature(), -5.0f);
    EXPECT_FLOAT_EQ(Xandel_GetTECSetPoint(), 5.0f);
    XandelTemperatureStatus t{};
    ASSERT_EQ(Xandel_GetTemperatureStatus(&t), 1);
    EXPECT_EQ(t.words[2], 7);
    EXPECT_EQ(t.words[5], 9);

    m_sim->clearLog();
    EXPECT_EQ(Xandel_SetTECSetPoint(-5.25f), 1);
    EXPECT_EQ(commands(*m_sim).front(), bytes({0x3E, 0x00, 0xFF, 0xCC, 0x00, 0x00}));
    EXPECT_EQ(m_sim->setPointTenths(), -52);
    EXPECT_FLOAT_EQ(Xandel_GetTECSetPoint(), -5.2f);

    EXPECT_EQ(Xandel_SetIntegrationTimeScalar(1), 1);
    EXPECT_EQ(m_sim->scalar(), 1);
    EXPECT_EQ(Xandel_SetIntegrationTimeScalar(4), 1);
    EXPECT_EQ(m_sim->scalar(), 0);
    EXPECT_EQ(Xandel_GetIntegrationTimeScalar(), 4);
}

TEST_F(XandelTest, TemperatureExportsNeedFirmware1_2)
{
    startWith(VYK_SPEC_VELKO, "Xandel 1.1.9");
    char text[32] = {};
    ASSERT_EQ(Xandel_GetFirmwareVersion(text), 1);
    m_sim->clearLog();
    XandelTemperatureStatus t{};
    EXPECT_EQ(Xandel_GetTemperatureStatus(&t), 0);
    EXPECT_EQ(Xandel_SetTECSetPoint(10.0f), 0);
    EXPECT_EQ(Xandel_SetIntegrationTimeScalar(1), 0);
    EXPECT_EQ(Xandel_GetTECTemperature(), 0.0f);
    EXPECT_EQ(Xandel_GetBoardTemperature(), 0.0f);
    EXPECT_TRUE(m_sim->log().empty());
    EXPECT_EQ(Xandel_GetIntegrationTimeScalar(), 0);
}

TEST_F(XandelTest, CoefficientsCountAsSetFromAnInterceptOfZero)
{
    startWith(VYK_SPEC_VELKO);
    char text[32] = {};
    ASSERT_EQ(Xandel_GetFirmwareVersion(text), 1);
    CoefficientsRecord stored{};
    std::strcpy(stored.serial, "XV0001");
    stored.wavelength[0] = 0.0f;
    stored.wavelength[1] = 6.5f;
    stored.nonLinearity[0] = 1.0f;
    stored.nonLinearityOrder = 2;
    ASSERT_EQ(Xandel_SetCoefficients(&stored), 1);
    CoefficientsRecord back{};
    ASSERT_EQ(Xandel_GetCoefficients(&back), 1);
    EXPECT_EQ(std::memcmp(&back, &stored, sizeof back), 0);

    struct Case
    {
        const char* name;
        const char* intercept;
        const char* first;
    } unset[] = {{"negative intercept", "-1.0", "6.5"}, {"no first coefficient", "900", "0"}};
    for (const auto& c : unset) {
        SCOPED_TRACE(c.name);
        m_sim->setInfoSlot(1, c.intercept);
        m_sim->setInfoSlot(2, c.first);
        ASSERT_EQ(Xandel_GetCoefficients(&back), 1);
        EXPECT_STREQ(back.serial, "NOT SET");
        EXPECT_EQ(back.wavelength[1], 1.0f);
    }

    ASSERT_EQ(Xandel_SetStoredString(30, "ABCDEFGHIJKLMNOPQRST"), 1);
    char slot[18] = {};
    ASSERT_EQ(Xandel_GetStoredString(30, slot), 1);
    EXPECT_STREQ(slot, "ABCDEFGHIJKLMNO");
}

TEST_F(XandelTest, WessorAndPellarShareTheirProductId)
{
    // A device with the Wessor's product id (the Pellar system has the same) answers the
    // Wessor identification; the Velko's does not, and a foreign device is named.
    auto wessor = std::make_shared<SimulatedXandel>(sim::usb::wessorIdentity("PL0007"), 512);
    auto velko = std::make_shared<SimulatedXandel>(sim::usb::velkoIdentity("XV0001"), 256);
    auto foreign = std::make_shared<sim::usb::SimulatedUsbSpectrometer>(
        sim::usb::SimIdentity{0x1234, 0x5678, "X", "X 1.0.0", false});
    start({wessor, velko, foreign}, VYK_SPEC_WESSOR, VYK_ADC_XANDEL);
    char text[16] = {};
    EXPECT_EQ(Xandel_IdentifyWessor(0, text), 1);
    EXPECT_STREQ(text, "PL0007");
    EXPECT_EQ(Xandel_IdentifyVelko(0, text), 0);
    EXPECT_EQ(Xandel_IdentifyVelko(1, text), 1);
    EXPECT_STREQ(text, "XV0001");
    EXPECT_EQ(Xandel_IdentifyWessor(1, text), 0);
    EXPECT_EQ(Xandel_IdentifyVelko(2, text), 0);
    EXPECT_STREQ(text, "NOT Velko");
    EXPECT_EQ(Xandel_IdentifyWessor(2, text), 0);
    EXPECT_STREQ(text, "NOT Wessor");
}

TEST_F(XandelTest, ConnectionIdentifiesTheConfiguredDetector)
{
    // A Velko sits first; a Wessor configuration connects to the Wessor behind it.
    auto velko = std::make_shared<SimulatedXandel>(sim::usb::velkoIdentity("XV0001"), 256);
    m_sim = std::make_shared<SimulatedXandel>(sim::usb::wessorIdentity("XW0001"), 512);
    start({velko, m_sim}, VYK_SPEC_WESSOR, VYK_ADC_XANDEL);
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().usbSerialNumber = "GONE";
    }
    EXPECT_EQ(VYK_Config(VYK_SPEC_WESSOR, VYK_ADC_XANDEL, 0, 0), 0);
    bool told = false;
    for (const auto& box : m_fake->boxes())
        told = told || box.text.find("Unable to find Wessor with the serial number 'GONE'") !=
                           std::string::npos;
    EXPECT_TRUE(told);
    char serial[16] = {};
    VYK_GetCurrentUSBSerialNumber(serial);
    EXPECT_STREQ(serial, "XW0001");

    // Another spectrometer type on the Xandel identifies nothing.
    StoreCurrentUSBSerialNumber("");
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().usbSerialNumber.clear();
    }
    EXPECT_NE(VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_XANDEL, 0, 0), 0);
}

} // namespace
} // namespace driver::usb
