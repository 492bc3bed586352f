#include "driver/usb/BrontelUsbOperationSet.h"
#include "driver/usb/BrontelUsbProtocol.h"
#include "sim/usb/SimulatedBrontelUsb.h"
#include "tests/driver/usb/UsbScanFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace driver::usb {
namespace {

using sim::usb::SimulatedBrontelUsb;
using test::bytes;

class BrontelUsbTest : public test::UsbScanFixture
{
protected:
    void startWith(int spectrometer, const std::string& firmware = "Brontel-USB 1.10.0")
    {
        m_sim =
            std::make_shared<SimulatedBrontelUsb>(sim::usb::brontelUsbIdentity("BU0001", firmware));
        resetBrontelUsbState();
        start({m_sim}, spectrometer, VYK_ADC_BRONTELUSB);
    }

    // The commands of the last scans without the spectrum requests' replies.
    std::vector<std::vector<std::uint8_t>> commandsOf(std::uint8_t command)
    {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& c : commands(*m_sim)) {
            if (!c.empty() && c[0] == command)
                out.push_back(c);
        }
        return out;
    }

    std::shared_ptr<SimulatedBrontelUsb> m_sim;
};

TEST_F(BrontelUsbTest, ThreeChannelScanSelectsEachInputAndPostsThreeBufferFulls)
{
    startWith(VYK_SPEC_ISTREL);
    auto c = client({0, 1, 2}, 1);
    c->record.triggerMode = 2;
    ASSERT_EQ(scan(*c, 3), 0);
    std::vector<std::uintptr_t> full;
    for (const auto& post : m_fake->postedOf(VYK_MSG_BUFFER_FULL))
        full.push_back(post.wParam);
    EXPECT_EQ(full, (std::vector<std::uintptr_t>{0, 1, 2}));
    for (int channel = 0; channel < 3; ++channel) {
        SCOPED_TRACE(channel);
        bool same = true;
        for (std::size_t i = 0; i < 2048; ++i)
            same = same && c->buffers[channel][i] == SimulatedBrontelUsb::inputPixel(channel, i);
        EXPECT_TRUE(same);
    }
    EXPECT_TRUE(validityPosts().empty());
    // Per channel: the input, the trigger (the Istrel set arms it every time), the request.
    std::vector<std::vector<std::uint8_t>> perChannel;
    for (const auto& command : commands(*m_sim)) {
        if (command[0] == 0x0B || command[0] == 0x0A || command[0] == 0x09)
            perChannel.push_back(command);
    }
    const std::vector<std::vector<std::uint8_t>> expected = {
        bytes({0x0B, 0, 0}), bytes({0x0A, 2, 0}), bytes({0x09, 0}),
        bytes({0x0B, 1, 0}), bytes({0x0A, 2, 0}), bytes({0x09, 0}),
        bytes({0x0B, 2, 0}), bytes({0x0A, 2, 0}), bytes({0x09, 0})};
    EXPECT_EQ(perChannel, expected);
    // The open: initialise, no lamp command and no spectrum request before the scan.
    const auto sent = commands(*m_sim);
    const auto init = std::find(sent.begin(), sent.end(), bytes({0x01, 0x00}));
    ASSERT_NE(init, sent.end());
    EXPECT_EQ(std::find(sent.begin(), init, bytes({0x09, 0x00})), init);
    EXPECT_FALSE(logged(*m_sim, bytes({0x03, 0x02})));
    EXPECT_EQ(m_sim->lemmikSetup(), -1);
    EXPECT_EQ(firmwareVersion(), 1010000u);
}

TEST_F(BrontelUsbTest, LemmikSetArmsTheTriggerOnceAndKeepsItsLongerIntegration)
{
    startWith(VYK_SPEC_LEMMIK);
    auto c = client({0, 1}, 2);
    c->record.triggerMode = 3;
    c->record.flashDelay = 400;
    ASSERT_EQ(scan(*c, 2), 0);
    EXPECT_EQ(commandsOf(0x0A),
              (std::vector<std::vector<std::uint8_t>>{bytes({0x0A, 3, 0}), bytes({0x0A, 0, 0}),
                                                      bytes({0x0A, 0, 0}), bytes({0x0A, 0, 0})}));
    // 10 ms is below the Lemmik's least time; a flash delay above 255 is cut and kept so.
    EXPECT_EQ(m_sim->integrationMs(), 35);
    EXPECT_EQ(commandsOf(0x0C), (std::vector<std::vector<std::uint8_t>>{bytes({0x0C, 255, 0})}));
    EXPECT_EQ(m_sim->lemmikSetup(), 90);
}

TEST_F(BrontelUsbTest, IstrelSetSendsShortIntegrationTimes)
{
    startWith(VYK_SPEC_ISTREL);
    auto c = client({0}, 1);
    ASSERT_EQ(scan(*c), 0);
    EXPECT_EQ(m_sim->integrationMs(), 10);
    EXPECT_TRUE(logged(*m_sim, bytes({0x02, 10, 0})));
}

TEST_F(BrontelUsbTest, InterleavedMultichannelModeSelectsTheSpectrometerInput)
{
    startWith(VYK_SPEC_ISTREL);
    auto c = client({0}, 1);
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().multichannelMode = 1;
    }
    ASSERT_EQ(scan(*c), 0);
    EXPECT_EQ(commandsOf(0x0B),
              (std::vector<std::vector<std::uint8_t>>{bytes({0x0B, 0x00, 0x03})}));
}

TEST_F(BrontelUsbTest, UnplugGivesZerosOnEveryChannelAndOneInvalidReport)
{
    startWith(VYK_SPEC_ISTREL);
    auto c = client({0, 2}, 1);
    ASSERT_EQ(scan(*c, 2), 0);
    m_sim->unplug();
    ASSERT_EQ(scan(*c, 2), 0);
    for (int channel : {0, 2}) {
        bool zeros = true;
        for (std::size_t i = 0; i < 2048; ++i)
            zeros = zeros && c->buffers[channel][i] == 0.0f;
        EXPECT_TRUE(zeros) << channel;
    }
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1}));
    m_sim->replug();
    ASSERT_EQ(scan(*c, 2), 0);
    EXPECT_EQ(c->buffers[2][5], SimulatedBrontelUsb::inputPixel(2, 5));
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1, 0}));
}

TEST_F(BrontelUsbTest, ReleasingTheRecordEndsContinuousScanningQuietly)
{
    startWith(VYK_SPEC_ISTREL);
    auto c = client({0, 1, 2}, 1);
    ASSERT_EQ(VYK_ParamSet(&c->record), 0);
    // Continuous scanning runs on the thread that starts it.
    std::thread scanner([] { VYK_ContinuousScan(kKey); });
    EXPECT_TRUE(m_fake->waitForPosts(VYK_MSG_BUFFER_FULL, 6, std::chrono::seconds(10)));
    VYK_UnRegister(kKey);
    auto& state = core::driverState();
    {
        std::unique_lock lock(state.mutex);
        EXPECT_TRUE(state.scanFinished.wait_for(lock, std::chrono::seconds(10),
                                                [&] { return !state.sequencerRunning; }));
        EXPECT_EQ(state.currentChannel, -1);
    }
    scanner.join();
    // Nothing asks the client to quit.
    EXPECT_TRUE(m_fake->postedOf(0x0012).empty());
}

TEST_F(BrontelUsbTest, LostDeviceIsReopenedByTheConfiguredSerialNotAnother)
{
    // A second converter sits first in the list; the configured one is second.
    auto other = std::make_shared<SimulatedBrontelUsb>(sim::usb::brontelUsbIdentity("BU0002"));
    m_sim = std::make_shared<SimulatedBrontelUsb>(sim::usb::brontelUsbIdentity("BU0001"));
    resetBrontelUsbState();
    start({other, m_sim}, VYK_SPEC_LEMMIK, VYK_ADC_BRONTELUSB, "BU0001");
    StoreCurrentUSBSerialNumber("BU0001");
    auto c = client({0}, 1);
    ASSERT_EQ(scan(*c), 0);
    ASSERT_EQ(currentSerial(), "BU0001");
    m_sim->unplug();
    scan(*c); // invalid: the current serial is cleared
    m_sim->replug();
    for (int i = 0; i < 3 && currentSerial() != "BU0001"; ++i)
        scan(*c);
    ASSERT_EQ(scan(*c), 0);
    EXPECT_EQ(currentSerial(), "BU0001");
    EXPECT_EQ(other->spectrumRequests(), 0);
    ASSERT_FALSE(validityPosts().empty());
    EXPECT_EQ(validityPosts().back(), 0u);
}

TEST_F(BrontelUsbTest, CoefficientsRecordRoundTripsWithUnsetChannelsDefaulted)
{
    startWith(VYK_SPEC_ISTREL);
    char text[32] = {};
    ASSERT_EQ(BrontelUSB_GetFirmwareVersion(text), 1); // opens on demand
    EXPECT_STREQ(text, "Brontel-USB 1.10.0");

    BrontelUSBCoefficientsRecord record{};
    ASSERT_EQ(BrontelUSB_GetCoefficients(&record), 1);
    EXPECT_STREQ(record.serial, "BU0001");
    for (const auto& w : record.wavelength) {
        EXPECT_EQ(w[0], 0.0f);
        EXPECT_EQ(w[1], 1.0f);
    }

    BrontelUSBCoefficientsRecord stored{};
    std::strcpy(stored.serial, "BU0001");
    stored.count = 0x12C; // only the low byte is kept
    for (int ch = 0; ch < 8; ++ch) {
        stored.wavelength[ch][0] = 300.0f + 10.0f * static_cast<float>(ch);
        stored.wavelength[ch][1] = 0.25f;
        stored.wavelength[ch][2] = -1.5e-05f;
        stored.wavelength[ch][3] = 3e-09f;
    }
    ASSERT_EQ(BrontelUSB_SetCoefficients(&stored), 1);
    EXPECT_EQ(m_sim->infoSlot(1), "44");
    EXPECT_EQ(m_sim->infoSlot(2 + 4 * 3 + 1), "2.500000e-01");
    BrontelUSBCoefficientsRecord back{};
    ASSERT_EQ(BrontelUSB_GetCoefficients(&back), 1);
    stored.count = 0x2C;
    EXPECT_EQ(std::memcmp(&back, &stored, sizeof back), 0);

    // Channel 3 without its first coefficient reads as pixels; the others keep theirs.
    m_sim->setInfoSlot(2 + 4 * 3 + 1, "0");
    ASSERT_EQ(BrontelUSB_GetCoefficients(&back), 1);
    EXPECT_EQ(back.wavelength[3][0], 0.0f);
    EXPECT_EQ(back.wavelength[3][1], 1.0f);
    EXPECT_EQ(back.wavelength[3][2], 0.0f);
    EXPECT_EQ(back.wavelength[3][3], 0.0f);
    EXPECT_EQ(back.wavelength[2][0], 320.0f);
    EXPECT_EQ(back.wavelength[4][1], 0.25f);
}

TEST_F(BrontelUsbTest, CoefficientWrappersSpreadAndAssembleTheRecord)
{
    startWith(VYK_SPEC_ISTREL);
    char text[32] = {};
    ASSERT_EQ(BrontelUSB_GetFirmwareVersion(text), 1);
    float values[32] = {};
    values[0] = 0.0f; // the count's word
    for (int i = 1; i < 32; ++i)
        values[i] = static_cast<float>(i);
    const float last = 0.5f;
    ASSERT_EQ(BrontelUSB_SetCoefficients_LVD("BU0009", values, &last), 1);
    BrontelUSBCoefficientsRecord record{};
    ASSERT_EQ(BrontelUSB_GetCoefficients(&record), 1);
    EXPECT_STREQ(record.serial, "BU0009");
    EXPECT_EQ(record.wavelength[0][0], 1.0f);
    EXPECT_EQ(record.wavelength[7][2], 31.0f);
    EXPECT_EQ(record.wavelength[7][3], 0.5f);
    char serial[16] = {};
    float back[32] = {};
    float backLast = 0.0f;
    ASSERT_EQ(BrontelUSB_GetCoefficients_LVD(serial, back, &backLast), 1);
    EXPECT_STREQ(serial, "BU0009");
    EXPECT_EQ(back[5], 5.0f);
    EXPECT_EQ(backLast, 0.5f);
}

TEST_F(BrontelUsbTest, CoefficientsNeedAnOpenDevice)
{
    startWith(VYK_SPEC_ISTREL);
    BrontelUSBCoefficientsRecord record{};
    EXPECT_EQ(BrontelUSB_GetCoefficients(&record), 0);
    EXPECT_EQ(BrontelUSB_SetCoefficients(&record), 0);
    EXPECT_EQ(BrontelUSB_GetCoefficients(nullptr), 0);
}

TEST_F(BrontelUsbTest, DacValueAndStatusDecode)
{
    struct Case
    {
        const char* name;
        int channel;
        std::array<std::uint8_t, 3> reply;
        int value;
    } cases[] = {{"12-bit value", 2, {0x51, 0xF3, 0x21}, 0x321},
                 {"status word", 99, {0x51, 0xC0, 0x05}, 0xC005},
                 {"channel 0", 0, {0x51, 0xC4, 0x00}, 0x400}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(brontel::decodeDacValue(c.channel, c.reply), c.value);
    }
    EXPECT_EQ(brontel::encodeDacRead(99), (std::array<std::uint8_t, 2>{0x51, 0}));
    EXPECT_EQ(brontel::encodeDacWrite(5, 0x321),
              (std::array<std::uint8_t, 4>{0x52, 5, 0x03, 0x21}));
}

TEST_F(BrontelUsbTest, DacExportsTalkToTheConverter)
{
    startWith(VYK_SPEC_ISTREL);
    EXPECT_EQ(BrontelUSB_DAC_Initialize(), 1); // opens on demand
    EXPECT_TRUE(m_sim->dacInitialised());
    m_sim->clearLog();
    EXPECT_EQ(BrontelUSB_DAC_WriteValue(2, 0x321), 1);
    EXPECT_EQ(m_sim->dacValue(2), 0x321);
    // The converter answers 0x51, 0xF3, 0x21: noise above the 12-bit value.
    EXPECT_EQ(BrontelUSB_DAC_ReadValue(2), 0x321);
    EXPECT_EQ(commands(*m_sim), (std::vector<std::vector<std::uint8_t>>{
                                    bytes({0x52, 2, 0x03, 0x21}), bytes({0x51, 2})}));
    EXPECT_EQ(BrontelUSB_DAC_ReadValue(99) & 0xC000, 0xC000);

    m_sim->setDacFitted(false);
    EXPECT_EQ(BrontelUSB_DAC_Initialize(), 0);
}

TEST_F(BrontelUsbTest, DacNeedsFirmware1_10AndTheBrontelUsbType)
{
    startWith(VYK_SPEC_ISTREL, "Brontel-USB 1.9.5");
    char text[32] = {};
    ASSERT_EQ(BrontelUSB_GetFirmwareVersion(text), 1);
    m_sim->clearLog();
    EXPECT_EQ(BrontelUSB_DAC_Initialize(), 0);
    EXPECT_EQ(BrontelUSB_DAC_ReadValue(1), 0);
    EXPECT_EQ(BrontelUSB_DAC_WriteValue(1, 5), 0);
    EXPECT_TRUE(m_sim->log().empty());
    EXPECT_FALSE(m_sim->dacInitialised());
}

TEST_F(BrontelUsbTest, IdentificationByProductId)
{
    auto pavik =
        std::make_shared<sim::usb::SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00042"));
    auto foreign = std::make_shared<sim::usb::SimulatedUsbSpectrometer>(
        sim::usb::SimIdentity{0x1234, 0x5678, "X", "X 1.0.0", false});
    m_sim = std::make_shared<SimulatedBrontelUsb>(sim::usb::brontelUsbIdentity("BU0001"));
    start({m_sim, pavik, foreign}, VYK_SPEC_ISTREL, VYK_ADC_BRONTELUSB);
    char text[16] = {};
    EXPECT_EQ(BrontelUSB_IdentifyBrontelUSB(0, text), 1);
    EXPECT_STREQ(text, "BU0001");
    EXPECT_EQ(BrontelUSB_IdentifyBrontelUSB(1, text), 0);
    EXPECT_EQ(BrontelUSB_IdentifyBrontelUSB(2, text), 0);
    EXPECT_STREQ(text, "NOT Brontel-USB");
    EXPECT_EQ(BrontelUSB_IdentifyBrontelUSB(3, text), 0);
    EXPECT_EQ(BrontelUSB_IdentifyBrontelUSB(-1, nullptr), 0);
}

TEST_F(BrontelUsbTest, ConnectionTakesTheFirstConverterWhenTheSerialIsMissing)
{
    m_sim = std::make_shared<SimulatedBrontelUsb>(sim::usb::brontelUsbIdentity("BU0001"));
    auto backend = std::make_shared<sim::usb::SimUsbBackend>();
    backend->add(m_sim);
    setUsbBackend(backend);
    m_fake = core::test::startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_BRONTELUSB);
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().usbSerialNumber = "GONE";
    }
    EXPECT_EQ(VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_BRONTELUSB, 0, 0), 0);
    bool told = false;
    for (const auto& box : m_fake->boxes())
        told = told || box.text.find("Unable to find Brontel-USB with the serial number 'GONE'") !=
                           std::string::npos;
    EXPECT_TRUE(told);
    char serial[16] = {};
    VYK_GetCurrentBrontelUSBSerialNumber(serial);
    EXPECT_STREQ(serial, "BU0001");
}

} // namespace
} // namespace driver::usb
