#include "driver/core/DriverStartup.h"
#include "driver/core/DriverState.h"
#include "driver/usb/PellarOperationSet.h"
#include "driver/usb/PellarTransport.h"
#include "driver/usb/UsbModelIds.h"
#include "driver/usb/UsbTransport.h"
#include "platform/win/Profile.h"
#include "sim/usb/SimulatedPellar.h"
#include "sim/usb/SimulatedXandel.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace driver::usb {
namespace {

using core::test::FakeDriverPlatform;
using core::test::TestClient;
using sim::usb::SimPellarBackend;
using sim::usb::SimulatedPellar;
using sim::usb::SimulatedUsbSpectrometer;

constexpr std::uint32_t kKey = 5;
constexpr std::uint32_t kWindow = 77;
constexpr std::size_t kPixels = 256;

std::vector<std::uint8_t> bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

// Spectrum k of a sequence: 100 x (k + 1) + i at pixel i.
std::vector<std::uint16_t> spectrum(int k)
{
    std::vector<std::uint16_t> pixels(kPixels);
    for (std::size_t i = 0; i < kPixels; ++i)
        pixels[i] = static_cast<std::uint16_t>(100 * (k + 1) + i);
    return pixels;
}

class PellarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pellar = std::make_shared<SimulatedPellar>("PL00007");
        auto backend = std::make_shared<SimPellarBackend>();
        backend->add(m_pellar);
        setUsbBackend(backend);
        resetPellarTransport();
        resetPellarSetState();
        m_fake = core::test::startFakeDriver(VYK_SPEC_PELLAR, VYK_ADC_PELLAR);
    }

    void TearDown() override
    {
        PellarShutdownHardware();
        setUsbBackend(std::make_shared<sim::usb::SimUsbBackend>());
    }

    // Replaces the devices and connects again.
    int16_t reconnect(std::shared_ptr<SimPellarBackend> backend)
    {
        PellarShutdownHardware();
        setUsbBackend(std::move(backend));
        return core::ConnectHardware();
    }

    std::unique_ptr<TestClient> client(int scans, std::initializer_list<int> channels = {0})
    {
        auto c = std::make_unique<TestClient>(kKey, kWindow, channels);
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

    std::vector<std::string> boxTexts(const char* caption)
    {
        std::vector<std::string> out;
        for (const auto& box : m_fake->boxes()) {
            if (box.caption == caption)
                out.push_back(box.text);
        }
        return out;
    }

    bool logged(const std::vector<std::uint8_t>& command)
    {
        for (const auto& t : m_pellar->log()) {
            if (t.bytes == command)
                return true;
        }
        return false;
    }

    std::shared_ptr<SimulatedPellar> m_pellar;
    std::shared_ptr<FakeDriverPlatform> m_fake;
};

TEST_F(PellarTest, ConnectionInitialisesAndTheInformationGivesThePixelCount)
{
    EXPECT_NE(pellarHandle(), kNoHandle);
    EXPECT_TRUE(logged(bytes({0x01, 0x00})));
    EXPECT_TRUE(logged(bytes({0x0F, 0x00})));
    EXPECT_EQ(pellarPixelCount(), kPixels);
    EXPECT_EQ(pellarInfo().word2, 0x0102);
    EXPECT_EQ(pellarInfo().bytes, (std::array<std::uint8_t, 5>{3, 4, 5, 6, 7}));

    // A larger count than the library's arrays is cut to them; the device's blocks are
    // still read whole, and their first 2048 pixels are kept.
    struct Case
    {
        std::uint16_t reported;
        std::size_t kept;
    };
    for (const Case c : {Case{300, 300}, Case{2048, 2048}, Case{3000, 2048}}) {
        SCOPED_TRACE(c.reported);
        m_pellar->setReportedPixels(c.reported);
        EXPECT_EQ(QueryPellarInfo(pellarHandle()), 1);
        EXPECT_EQ(pellarPixelCount(), c.kept);
        std::array<float, kPellarMaxPixels> sum{};
        sum.fill(-1.0f);
        const auto acquired = AcquirePellar(pellarHandle(), 1, sum);
        EXPECT_EQ(acquired.added, 1);
        const int block = m_pellar->spectrumRequests() - 1;
        EXPECT_EQ(sum[c.kept - 1], SimulatedPellar::patternPixel(c.kept - 1, block));
        if (c.kept < kPellarMaxPixels) {
            EXPECT_EQ(sum[c.kept], 0.0f) << "past the pixel count stays zero";
        }
    }
}

TEST_F(PellarTest, AveragesOnlyTheGoodBlocks)
{
    struct Case
    {
        const char* name;
        std::function<void(SimulatedPellar&)> fault;
        std::vector<int> averaged; // the spectra that make the average
        bool reinitialised;
    };
    const Case cases[] = {
        {"all good", [](SimulatedPellar&) {}, {0, 1, 2}, false},
        {"first block without its sync byte",
         [](SimulatedPellar& p) { p.dropNextSyncBytes(1); },
         {1, 2},
         true},
        {"first block one word short",
         [](SimulatedPellar& p) { p.shortenNextBlocks(1); },
         {1, 2},
         true},
        {"first request fails", [](SimulatedPellar& p) { p.failNextTransfers(1); }, {0, 1}, false},
    };
    auto c = client(3);
    scan(*c); // the integration time is sent once; later scans send only requests
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        m_pellar->setSpectra({spectrum(0), spectrum(1), spectrum(2)});
        const int inits = m_pellar->initialisations();
        k.fault(*m_pellar);
        scan(*c);
        for (std::size_t i : {std::size_t{0}, std::size_t{17}, kPixels - 1}) {
            float expected = 0.0f;
            for (int s : k.averaged)
                expected += static_cast<float>(spectrum(s)[i]);
            expected /= static_cast<float>(k.averaged.size());
            EXPECT_FLOAT_EQ(c->buffers[0][i], expected) << "pixel " << i;
        }
        EXPECT_EQ(m_pellar->initialisations() > inits, k.reinitialised);
    }
    EXPECT_TRUE(validityPosts().empty());
    EXPECT_TRUE(boxTexts(kPellarErrorCaption) ==
                std::vector<std::string>{"Request Spectrum Failed"});
}

TEST_F(PellarTest, AScanWithoutAnyGoodBlockFailsAndTheNextGoodOneRecovers)
{
    VYK_EnableDriverMessages(0); // the transport's boxes ignore the switch
    auto c = client(3);
    scan(*c);
    m_pellar->failNextTransfers(3); // every request of the next scan
    scan(*c);
    EXPECT_TRUE(std::all_of(c->buffers[0].begin(), c->buffers[0].begin() + 2048,
                            [](float v) { return v == 0.0f; }));
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1}));
    EXPECT_EQ(boxTexts(kPellarErrorCaption),
              std::vector<std::string>(3, "Request Spectrum Failed"));

    scan(*c);
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1, 0}));
    EXPECT_NE(c->buffers[0][10], 0.0f);
}

TEST_F(PellarTest, AnUnpluggedDeviceGivesZerosInvalidAndBoxesButTheScanCompletes)
{
    auto c = client(2);
    scan(*c);
    m_pellar->unplug();
    scan(*c);
    EXPECT_EQ(c->buffers[0][5], 0.0f);
    EXPECT_EQ(validityPosts(), (std::vector<std::uintptr_t>{1}));
    EXPECT_EQ(boxTexts(kPellarErrorCaption),
              std::vector<std::string>(2, "Request Spectrum Failed"));
}

TEST_F(PellarTest, TransferFailuresAreShownInTheTransportsBoxes)
{
    VYK_EnableDriverMessages(0);
    struct Case
    {
        const char* name;
        std::function<int()> call;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"no handle", [] { return SetPellarIntegration(kNoHandle, 5); }, {"Invalid Handle Value"}},
        {"handle 0", [] { return PellarStrobeEnable(0, 1); }, {"Invalid Handle Value"}},
        {"failed write",
         [this] {
             m_pellar->failNextTransfers(1);
             return SetPellarIntegration(pellarHandle(), 5);
         },
         {"Bulk Write Failed"}},
        {"failed reply",
         [this] {
             m_pellar->failNextTransfers(1, 1);
             return QueryPellarInfo(pellarHandle());
         },
         {"Bulk Read Failed"}},
        {"request without a handle",
         [] { return RequestPellarSpectrum(kNoHandle); },
         {"Request Spectrum Failed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = m_fake->boxes().size();
        EXPECT_EQ(c.call(), 0);
        std::vector<std::string> shown;
        for (std::size_t i = before; i < m_fake->boxes().size(); ++i) {
            EXPECT_EQ(m_fake->boxes()[i].caption, kPellarErrorCaption);
            shown.push_back(m_fake->boxes()[i].text);
        }
        EXPECT_EQ(shown, c.boxes);
    }
}

TEST_F(PellarTest, IntegrationAndStrobeGoToThePellar)
{
    auto c = client(1);
    c->record.integration = 100;
    scan(*c);
    EXPECT_EQ(m_pellar->integrationMs(), 100);
    m_pellar->clearLog();
    scan(*c);
    EXPECT_FALSE(logged(bytes({0x02, 100, 0}))) << "an unchanged time is not sent again";

    EXPECT_EQ(VYK_StrobeEnable(1), 1);
    EXPECT_EQ(m_pellar->strobe(), 1);
    EXPECT_EQ(VYK_StrobeEnable(0), 1);
    EXPECT_TRUE(logged(bytes({0x03, 0, 0})));
}

TEST_F(PellarTest, EachEnabledChannelIsAcquiredOnce)
{
    auto c = client(2, {0, 3});
    scan(*c);
    ASSERT_TRUE(m_fake->waitForPosts(VYK_MSG_BUFFER_FULL, 2, std::chrono::seconds(10)));
    std::vector<std::uintptr_t> channels;
    for (const auto& post : m_fake->postedOf(VYK_MSG_BUFFER_FULL))
        channels.push_back(post.wParam);
    EXPECT_EQ(channels, (std::vector<std::uintptr_t>{0, 3}));
    EXPECT_EQ(m_pellar->spectrumRequests(), 4) << "two scans to average for each channel";
    EXPECT_NE(c->buffers[3][1], 0.0f);
}

TEST_F(PellarTest, BoxcarAndDarkLevelInEndOfScanProcessing)
{
    // Odd pixels stand 100 above their even neighbours, so that smoothing shows.
    std::vector<std::uint16_t> zigzag(kPixels);
    for (std::size_t i = 0; i < kPixels; ++i)
        zigzag[i] = static_cast<std::uint16_t>(i + (i % 2) * 100);
    m_pellar->setSpectra({zigzag});
    auto c = client(1);
    c->record.boxcarHalfWidth = 2;
    scan(*c);
    const auto& b = c->buffers[0];
    EXPECT_EQ(b[0], 0.0f);
    EXPECT_EQ(b[1], 101.0f);
    EXPECT_FLOAT_EQ(b[2], 2.0f + 40.0f);     // 0, 101, 2, 103, 4 ... around pixel 2
    EXPECT_FLOAT_EQ(b[3], 3.0f + 60.0f);     // three odd pixels, two even
    EXPECT_FLOAT_EQ(b[253], 253.0f + 60.0f); // the last smoothed pixel
    EXPECT_EQ(b[254], 254.0f);
    EXPECT_EQ(b[255], 355.0f);

    c->record.boxcarHalfWidth = 0;
    c->record.correctForDark = 1;
    scan(*c);
    // First dark estimate: even pixels 0..12 -> mean of 2..10 = 6; odd 1..13 -> 107;
    // a quarter of each against the starting levels of 0.
    EXPECT_FLOAT_EQ(b[20], 20.0f - 6.0f * 0.25f);
    EXPECT_FLOAT_EQ(b[21], 121.0f - 107.0f * 0.25f);
}

TEST_F(PellarTest, TheBlockingScanGetsTheAverage)
{
    std::vector<float> data(2048, -1.0f);
    FullScanBlock block{};
    block.integration = 20;
    block.scansToAverage = 2;
    block.channelEnables[0] = 1;
    block.channelBuffers[0] = data.data();
    m_pellar->setSpectra({spectrum(0), spectrum(2)});
    EXPECT_EQ(VYK_FullScan(&block), 0);
    EXPECT_FLOAT_EQ(data[10], (110.0f + 310.0f) / 2.0f);
}

TEST_F(PellarTest, AnEnabledChannelWithoutBufferFailsTheScan)
{
    auto c = client(1, {0, 2});
    ASSERT_EQ(VYK_ParamSet(&c->record), 0);
    {
        // The parameters refuse such a record; the driver's copy can still lose a buffer.
        std::lock_guard lock(core::driverState().mutex);
        core::FindRegistration(core::driverState(), kKey)->channelBuffers[2] = nullptr;
    }
    ASSERT_EQ(VYK_SingleScan(kKey), 0);
    ASSERT_TRUE(m_fake->waitForPosts(VYK_MSG_TIMEOUT, 1, std::chrono::seconds(10)));
    EXPECT_EQ(m_fake->postedOf(VYK_MSG_TIMEOUT).front().wParam, 2u);
    EXPECT_TRUE(m_fake->postedOf(VYK_MSG_BUFFER_FULL).empty());
    // Nothing is left busy: the next scan of a sound record runs.
    scan(*c);
}

TEST_F(PellarTest, AnOverrunIsPostedOnceAndStopsHandOversUntilTheEndOfScan)
{
    auto c = client(1);
    RegistrationRecord* record = nullptr;
    {
        core::DriverState& state = core::driverState();
        std::lock_guard lock(state.mutex);
        record = core::FindRegistration(state, kKey);
        ASSERT_NE(record, nullptr);
        state.current = record;
        record->bufferStates[0] = VYK_BUFFER_FULL;
    }
    PellarChannelComplete(0, false);
    PellarChannelComplete(0, false);
    EXPECT_EQ(m_fake->postedOf(VYK_MSG_OVERRUN).size(), 1u);
    {
        std::lock_guard lock(core::driverState().mutex);
        record->bufferStates[0] = VYK_BUFFER_EMPTY;
    }
    c->buffers[0][5] = 5.0f;
    PellarChannelComplete(0, false);
    EXPECT_EQ(c->buffers[0][5], 5.0f) << "no hand-over while the overrun is flagged";
    PellarEndOfScan(record);
    EXPECT_TRUE(m_fake->postedOf(VYK_MSG_BUFFER_FULL).empty()) << "an overrun scan is not posted";
    PellarChannelComplete(0, false);
    EXPECT_EQ(c->buffers[0][5], static_cast<float>(unpackedPixels()[5] & 0x0FFF));
    EXPECT_EQ(m_fake->postedOf(VYK_MSG_OVERRUN).size(), 1u);
}

TEST_F(PellarTest, ARecordReleasedDuringItsScanEndsQuietly)
{
    std::vector<float> buffer(2048, 7.0f);
    RegistrationRecord released{};
    released.instanceKey = 0;
    released.window = kWindow;
    released.continuous = 1;
    released.channelEnables[0] = 1;
    released.channelBuffers[0] = buffer.data();
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().currentChannel = 0;
    }
    const int requests = m_pellar->spectrumRequests();
    EXPECT_EQ(PellarStartChannel(&released), core::ChannelStart::Advance);
    EXPECT_EQ(released.continuous, 0);
    EXPECT_EQ(m_pellar->spectrumRequests(), requests) << "nothing is acquired for it";
    PellarEndOfScan(&released);
    EXPECT_TRUE(m_fake->posted().empty()) << "no buffer-full, no quit message";
    EXPECT_EQ(buffer[0], 7.0f);
    std::lock_guard lock(core::driverState().mutex);
    core::driverState().currentChannel = -1;
}

TEST_F(PellarTest, IdentifyRecognisesPellarAndWessorByTheSharedConfigurableId)
{
    auto pellar = std::make_shared<SimulatedPellar>("PL00001");
    auto wessor =
        std::make_shared<sim::usb::SimulatedXandel>(sim::usb::wessorIdentity("WS00002"), 512);
    auto pavik = std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00003"));
    auto stranger = std::make_shared<SimulatedUsbSpectrometer>(
        sim::usb::SimIdentity{0x1234, 0x5678, "XX", "", false});
    auto backend = std::make_shared<SimPellarBackend>();
    backend->add(pellar);
    backend->add(wessor);
    backend->add(pavik);
    backend->add(stranger);
    ASSERT_EQ(reconnect(backend), VYK_SUCCESS);

    struct Case
    {
        int index;
        int result;
        const char* text;
    };
    const Case cases[] = {{0, 1, "PL00001"},    {1, 1, "WS00002"}, {2, 0, ""},
                          {3, 0, "NOT Pellar"}, {4, 0, ""},        {-1, 0, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        char text[16];
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(Pellar_IdentifyPellar(c.index, text), c.result);
        EXPECT_STREQ(text, c.text);
    }
    EXPECT_EQ(Pellar_IdentifyPellar(0, nullptr), 1);
    // The Wessor's identification answers for the Pellar as well; the Velko's does not.
    char text[16] = {};
    EXPECT_EQ(Xandel_IdentifyWessor(0, text), 1);
    EXPECT_STREQ(text, "PL00001");
    EXPECT_EQ(Xandel_IdentifyVelko(0, text), 0);

    // One configured id serves both models.
    const char* ini = std::getenv("VYKDRV_INI");
    ASSERT_NE(ini, nullptr);
    platform::win::WritePrivateProfileString("USB", "WessorProductId", "0x7777", ini);
    pellar->setProductId(0x7777);
    EXPECT_EQ(Pellar_IdentifyPellar(0, text), 1);
    EXPECT_EQ(Xandel_IdentifyWessor(0, text), 1);
    EXPECT_EQ(Pellar_IdentifyPellar(1, text), 0);
    platform::win::WritePrivateProfileString("USB", "WessorProductId", nullptr, ini);
}

TEST_F(PellarTest, SerialSearchAndChoosingAnotherPellar)
{
    auto pavik = std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00003"));
    auto first = std::make_shared<SimulatedPellar>("PL00001");
    auto second = std::make_shared<SimulatedPellar>("PL00002");
    auto backend = std::make_shared<SimPellarBackend>();
    backend->add(pavik);
    backend->add(first);
    backend->add(second);
    PellarShutdownHardware();
    setUsbBackend(backend);
    // Without a serial the first device that opens is taken, whatever it is.
    EXPECT_EQ(FindPellarBySerial(""), 0);
    EXPECT_EQ(FindPellarBySerial("PL00002"), 2);
    EXPECT_EQ(FindPellarBySerial("PL00009"), -1);

    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().usbSerialNumber = "PL00009";
    }
    PellarShutdownHardware();
    ASSERT_EQ(core::ConnectHardware(), VYK_SUCCESS);
    EXPECT_EQ(boxTexts("USB Error"),
              std::vector<std::string>{"Unable to find Pellar with the serial number 'PL00009'.  "
                                       "Connecting to the first available Pellar."});
    EXPECT_EQ(first->initialisations(), 1) << "the first identified Pellar was taken";

    EXPECT_EQ(VYK_SetCurrentUSBSerialNumber("PL00002"), 1);
    EXPECT_EQ(second->initialisations(), 1);
    auto c = client(1);
    scan(*c);
    EXPECT_EQ(second->spectrumRequests(), 1);
    EXPECT_EQ(first->spectrumRequests(), 0);
    EXPECT_EQ(VYK_SetCurrentUSBSerialNumber("PL00009"), 0);
}

TEST_F(PellarTest, NoPellarAtAllLeavesTheHardwareUnconnected)
{
    ASSERT_EQ(reconnect(std::make_shared<SimPellarBackend>()), VYK_NOT_INITIALISED);
    EXPECT_EQ(boxTexts("USB Error"),
              std::vector<std::string>{"Unable to find any Pellar.  Check to see if the "
                                       "spectrometer is connected to the USB port."});
    EXPECT_EQ(pellarHandle(), kNoHandle);
}

} // namespace
} // namespace driver::usb
