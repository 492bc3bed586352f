#include "driver/core/AcquisitionWorker.h"
#include "driver/core/DriverState.h"
#include "driver/core/SetupDialog.h"
#include "driver/include/vykdrv32.h"
#include "driver/serial/SerialAdc.h"
#include "driver/serial/SerialAdcProtocol.h"
#include "driver/serial/SerialConnection.h"
#include "driver/serial/SerialOperationSets.h"
#include "sim/serial/SerialAdcSimulator.h"
#include "tests/driver/core/FakeDriverPlatform.h"
#include "tests/driver/serial/SerialTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace driver::serial::test {
namespace {

using sim::serial::SerialAdcSimulator;
using sim::serial::SerialFault;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using Words = std::array<std::uint16_t, kScanBufferWords>;

std::vector<std::uint16_t> testPixels()
{
    std::vector<std::uint16_t> pixels(kFramePixels);
    for (int i = 0; i < kFramePixels; ++i)
        pixels[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(3000 + (i * 53) % 900);
    return pixels;
}

int countOf(const std::vector<Bytes>& commands, std::uint8_t letter)
{
    int n = 0;
    for (const Bytes& c : commands)
        n += !c.empty() && c[0] == letter ? 1 : 0;
    return n;
}

class SerialScan : public testing::Test
{
protected:
    void SetUp() override
    {
        m_simulator = std::make_unique<SerialAdcSimulator>(0);
        m_simulator->setPixels(testPixels());
        pointPortAt(*m_simulator);
        ASSERT_EQ(KAL_Init(1, 2), 1);
        ASSERT_EQ(KAL_SetBaudRate(6), 1);
        ASSERT_EQ(KAL_SetIntegrationTime(1), 1);
    }
    void TearDown() override
    {
        m_simulator->clearFaults();
        KAL_Close(0);
        m_simulator.reset();
    }
    std::unique_ptr<SerialAdcSimulator> m_simulator;
};

struct FormCase
{
    const char* name;
    std::uint16_t mode;
    std::vector<std::uint16_t> args;
    bool checksum;
    bool lead;
    bool interpolate;
};

// Every frame form over the line: the scan buffer holds what the converter measured.
TEST_F(SerialScan, ParsesEveryFrameForm)
{
    const std::vector<std::uint16_t> pixels = testPixels();
    const FormCase cases[] = {
        {"all_plain", 0, {}, false, false, true},
        {"all_plain_sum_lead", 0, {}, true, true, true},
        {"all_compressed_sum", 256, {}, true, false, true},
        {"every2_interpolated", 1, {2}, true, false, true},
        {"every4_packed", 1, {4}, true, false, false},
        {"every3_compressed", 257, {3}, true, true, true},
        {"range", 3, {100, 400, 3}, true, false, true},
        {"range_compressed", 259, {0, 2047, 1}, false, false, true},
        {"list", 4, {5, 77, 2047}, true, false, true},
        {"list_compressed", 260, {9, 10, 11, 1500}, true, false, true},
        {"two_values", 512, {}, true, false, true},
        {"two_values_every2_compressed", 769, {2}, true, false, true},
    };
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.name);
        KalPixelMode mode{};
        mode.mode = c.mode;
        for (std::size_t k = 0; k < c.args.size(); ++k)
            mode.args[k] = c.args[k];
        mode.count = static_cast<std::uint16_t>(c.args.size());
        ASSERT_EQ(KAL_SetPixelMode(&mode), 1);
        ASSERT_EQ(KAL_SetChecksumMode(c.checksum ? 1 : 0), 1);
        ASSERT_EQ(KAL_SetInterpolateMissingPixels(c.interpolate ? 1 : 0), 1);
        m_simulator->setLeadByte(c.lead);

        FrameLayout layout;
        layout.mode = c.mode;
        const int form = c.mode & 0xFF;
        if (form == 1 || form == 2)
            layout.step = c.args[0];
        if (form == 3) {
            layout.first = c.args[0];
            layout.last = c.args[1];
            layout.step = c.args[2];
        }
        if (form == 4)
            layout.pixelNumbers = c.args;
        ScanFrame frame;
        ASSERT_EQ(decodeScanFrame(encodeScanFrame(layout, pixels, {1, 1, 0, 0, 0}, false, false),
                                  false, false, frame),
                  FrameStatus::Ok);
        Words expected{};
        fillScanBuffer(frame, c.interpolate, expected);

        Words words{};
        ASSERT_EQ(KAL_Scan(words.data()), 1);
        EXPECT_EQ(words[0], 0xFFFF);
        EXPECT_EQ(words[6], c.mode);
        for (std::size_t i = kScanBufferPixelWord; i < kScanBufferWords; ++i)
            ASSERT_EQ(words[i], expected[i]) << "word " << i;
        if (c.mode == 0) {
            for (int i = 0; i < kFramePixels; ++i)
                ASSERT_EQ(words[kScanBufferPixelWord + static_cast<std::size_t>(i)],
                          pixels[static_cast<std::size_t>(i)]);
        }
    }
    m_simulator->setLeadByte(false);
}

TEST_F(SerialScan, NoScanAnswersZeroWithoutRetries)
{
    m_simulator->setNoScan(true);
    Words words{};
    EXPECT_EQ(KAL_Scan(words.data()), 0);
    EXPECT_EQ(m_simulator->scansServed(), 1);
    m_simulator->setNoScan(false);
    EXPECT_EQ(KAL_Scan(words.data()), 1);
}

struct FaultCase
{
    const char* name;
    SerialFault fault;
    int count;
    int expected;
    int scansSent;
};

// Broken frames are retried up to four times and then reported, never delivered as data;
// the scan after the fault works.
TEST_F(SerialScan, FaultsAreReportedWithinTheirBoundAndTheNextScanWorks)
{
    ASSERT_EQ(KAL_SetChecksumMode(1), 1);
    const FaultCase cases[] = {
        {"end_marker_twice", SerialFault::MissingEndMarker, 2, 1, 3},
        {"end_marker_always", SerialFault::MissingEndMarker, -1, -7, 5},
        {"checksum_always", SerialFault::BadChecksum, -1, -8, 5},
        {"checksum_once", SerialFault::BadChecksum, 1, 1, 2},
        {"garbage_always", SerialFault::Garbage, -1, -7, 5},
        {"silence", SerialFault::Silence, 1, -2, 1},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_simulator->clearCommands();
        m_simulator->setFault(c.fault, c.count);
        Words words{};
        words[kScanBufferPixelWord] = 0x4242;
        const auto start = Clock::now();
        const auto lineStart = lineTime(*m_simulator);
        EXPECT_EQ(KAL_Scan(words.data()), c.expected);
        // Scan time 1 ms plus the 4000 ms margin, with room for the retries' line time.
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(12));
        // The same bound on the line's clock, where the driver's waits ran out; a silent
        // converter is given the whole margin.
        EXPECT_LT(lineTime(*m_simulator) - lineStart, std::chrono::seconds(12));
        if (c.expected == -2) {
            EXPECT_GE(lineTime(*m_simulator) - lineStart, std::chrono::milliseconds(4001));
        }
        EXPECT_EQ(countOf(m_simulator->commands(), 'S'), c.scansSent);
        EXPECT_EQ(serialAdc().lastScanFailed(), c.expected != 1);
        m_simulator->clearFaults();
        Words next{};
        EXPECT_EQ(KAL_Scan(next.data()), 1);
        EXPECT_EQ(next[kScanBufferPixelWord + 5], testPixels()[5]);
    }
}

TEST_F(SerialScan, AveragingTakesConverterSumsOfFifteen)
{
    Words words{};
    std::vector<float> average(kFramePixels, -1.0f);
    m_simulator->clearCommands();
    EXPECT_EQ(KAL_ScanWithAverage(words.data(), 40, average.data()), 1);
    std::vector<Bytes> sums;
    for (const Bytes& c : m_simulator->commands())
        if (c[0] == 'A')
            sums.push_back(c);
    EXPECT_EQ(sums, (std::vector<Bytes>{{'A', 0, 15}, {'A', 0, 10}}));
    EXPECT_EQ(countOf(m_simulator->commands(), 'S'), 3);
    // The converter's sums (15 + 15 + 10 scans) divided by the 40: the measured value.
    EXPECT_FLOAT_EQ(average[7], static_cast<float>(testPixels()[7]));
}

// Waiting for an external trigger has no time limit of its own, but AbortSerialScan, a
// stop or release of the client's scan (the core's cancelled waits) and the configured
// trigger time-out end it, and the link answers commands again.
TEST_F(SerialScan, TriggerWaitsEnd)
{
    struct Case
    {
        const char* name;
        int trigTimeoutMs;
        void (*end)(); // from another thread while the scan waits; null: none
    };
    const Case cases[] = {{"Abort", 0, AbortSerialScan},
                          {"Cancel", 0, core::cancelWaits},
                          {"TriggerTimeout", 300, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            std::lock_guard lock(core::driverState().mutex);
            core::driverState().trigTimeoutMs = c.trigTimeoutMs;
        }
        ASSERT_EQ(KAL_SetExternalTrigger(1), 1);
        m_simulator->setFault(SerialFault::Silence, 1);
        m_simulator->clearCommands();
        std::int16_t result = 99;
        const auto start = Clock::now();
        const auto lineStart = lineTime(*m_simulator);
        std::jthread scanner([&result] {
            Words words{};
            result = KAL_Scan(words.data());
        });
        if (c.end) {
            const auto deadline = Clock::now() + std::chrono::seconds(10);
            while (countOf(m_simulator->commands(), 'S') == 0 && Clock::now() < deadline)
                std::this_thread::yield();
            ASSERT_EQ(countOf(m_simulator->commands(), 'S'), 1);
            EXPECT_EQ(KAL_GetVersion(), -5);
            c.end();
        }
        scanner.join();
        // The scan's own time-out (P + 4 s) after the trigger time-out; the others at once.
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(c.end ? 2 : 6));
        if (!c.end) {
            // On the line's clock: the trigger time-out, then the scan's own.
            EXPECT_GE(lineTime(*m_simulator) - lineStart, std::chrono::milliseconds(4301));
            EXPECT_LT(lineTime(*m_simulator) - lineStart, std::chrono::seconds(6));
        }
        EXPECT_EQ(result, -2);
        EXPECT_EQ(KAL_SetExternalTrigger(0), 1);
        Words words{};
        EXPECT_EQ(KAL_Scan(words.data()), 1);
    }
    std::lock_guard lock(core::driverState().mutex);
    core::driverState().trigTimeoutMs = 0;
}

struct SetCase
{
    const char* name;
    int spectrometer;
    std::uint16_t pixelMode; // what the set programs
    std::uint32_t failure;   // what a failed scan posts
    std::size_t failures;    // how many
};

class SerialOperationSet : public testing::TestWithParam<SetCase>
{
protected:
    void TearDown() override
    {
        VYK_UnRegister(21);
        disconnectSerialAdc();
        core::detachDriver();
        core::setDriverPlatform(nullptr);
    }
};

// A client of the driver core scans through the serial sets and gets 0x465; a failed scan
// is reported aborted (0x468 for every enabled channel), never as data, and the next scan
// works again.
TEST_P(SerialOperationSet, DeliversScansToAClient)
{
    const SetCase& c = GetParam();
    registerSerialOperationSets();
    SerialAdcSimulator simulator(2);
    simulator.setPixels(testPixels());
    pointPortAt(simulator);
    auto fake = core::test::startFakeDriver(c.spectrometer, VYK_ADC_NONE);
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().serialPortBaudIndex = 6;
    }
    // Configuring the serial A/D type connects the converter at the configured speed.
    ASSERT_EQ(VYK_Config(static_cast<std::int16_t>(c.spectrometer), VYK_ADC_SERIAL, 0, 0), 0);
    EXPECT_STREQ(core::driverState().ops.name, c.spectrometer == VYK_SPEC_ISTREL
                                                   ? "IstrelKaldrisOperationSet"
                                                   : "LemmikKaldrisOperationSet");
    EXPECT_EQ(simulator.lineBaud(), 115200);

    core::test::TestClient client(21, 77, {0, 1});
    client.record.integration = 50;
    client.record.scansToAverage = 2;
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    ASSERT_EQ(VYK_SingleScan(21), 0);
    ASSERT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, 2, std::chrono::seconds(20)));
    EXPECT_EQ(simulator.setting('P'), c.pixelMode);
    EXPECT_EQ(simulator.setting('k'), 1);
    EXPECT_EQ(simulator.setting('I'), 50);
    // Two scans to average: one converter sum of two per channel.
    EXPECT_EQ(simulator.setting('A'), 2);
    EXPECT_EQ(simulator.scansServed(), 2);
    EXPECT_NE(client.buffers[0][10], 0.0f);

    fake->clearPosts();
    simulator.setFault(SerialFault::MissingEndMarker);
    VYK_BufferEmpty(21, 0);
    VYK_BufferEmpty(21, 1);
    ASSERT_EQ(VYK_SingleScan(21), 0);
    ASSERT_TRUE(fake->waitForPosts(c.failure, c.failures, std::chrono::seconds(60)));
    EXPECT_TRUE(fake->postedOf(VYK_MSG_BUFFER_FULL).empty());

    fake->clearPosts();
    simulator.clearFaults();
    ASSERT_EQ(VYK_SingleScan(21), 0);
    ASSERT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, 2, std::chrono::seconds(20)));
}

INSTANTIATE_TEST_SUITE_P(
    Sets, SerialOperationSet,
    testing::Values(SetCase{"Istrel", VYK_SPEC_ISTREL, 1, VYK_MSG_ABORTED, 2},
                    SetCase{"Lemmik", VYK_SPEC_LEMMIK, 513, VYK_MSG_ABORTED, 2}),
    [](const testing::TestParamInfo<SetCase>& info) { return std::string(info.param.name); });

// The converter as the configuration and the set-up dialog see it.
class SerialConfiguration : public testing::Test
{
protected:
    void SetUp() override
    {
        m_simulator = std::make_unique<SerialAdcSimulator>(2);
        m_simulator->setPixels(testPixels());
        pointPortAt(*m_simulator);
        m_fake = core::test::startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().serialPortBaudIndex = 6;
    }
    void TearDown() override
    {
        VYK_UnRegister(22);
        core::detachDriver();
        core::setDriverPlatform(nullptr);
        m_simulator.reset();
    }
    std::unique_ptr<SerialAdcSimulator> m_simulator;
    std::shared_ptr<core::test::FakeDriverPlatform> m_fake;
};

// The sets program the converter from the driver's configuration: compressed frames, the
// pixel resolution (out of range: 1, written back to the configuration), the strobe.
TEST_F(SerialConfiguration, SetsProgramTheConfiguredSettings)
{
    struct Case
    {
        const char* name;
        bool compress;
        int resolution;
        bool strobe;
        std::uint16_t mode;
        std::uint16_t step;
    };
    const Case cases[] = {
        {"Plain", false, 1, true, 1, 1},
        {"CompressedEverySecond", true, 2, false, 257, 2},
        {"ResolutionOutOfRange", false, 600, true, 1, 1},
    };
    core::test::TestClient client(22, 77, {0});
    client.record.integration = 50;
    ASSERT_EQ(VYK_Register(&client.record), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            std::lock_guard lock(core::driverState().mutex);
            core::driverState().compressKalData = c.compress;
            core::driverState().kaldrisPixelResolution = c.resolution;
            core::driverState().strobeState = c.strobe;
        }
        // Connecting marks the converter for set-up at the next timing.
        ASSERT_EQ(VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_SERIAL, 0, 0), 0);
        m_fake->clearPosts();
        VYK_BufferEmpty(22, 0);
        ASSERT_EQ(VYK_ParamSet(&client.record), 0);
        ASSERT_EQ(VYK_SingleScan(22), 0);
        ASSERT_TRUE(m_fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, std::chrono::seconds(20)));
        EXPECT_EQ(m_simulator->setting('P'), c.mode);
        EXPECT_EQ(m_simulator->setting('J'), c.strobe ? 1 : 0);
        KalPixelMode mode{};
        EXPECT_EQ(KAL_GetFullPixelMode(&mode), 1);
        EXPECT_EQ(mode.args[0], c.step);
        std::lock_guard lock(core::driverState().mutex);
        EXPECT_EQ(core::driverState().kaldrisPixelResolution, c.step);
    }
}

// Before it changes the set-up, the "Configure Hardware" dialog ends a serial scan that
// waits for its trigger; the converter answers again afterwards.
TEST_F(SerialConfiguration, TheSetupDialogEndsAWaitingScan)
{
    ASSERT_EQ(VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_SERIAL, 0, 0), 0);
    ASSERT_EQ(KAL_SetExternalTrigger(1), 1);
    m_simulator->setFault(SerialFault::Silence, 1);
    m_simulator->clearCommands();
    std::int16_t result = 99;
    std::jthread scanner([&result] {
        Words words{};
        result = KAL_Scan(words.data());
    });
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (countOf(m_simulator->commands(), 'S') == 0 && Clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(countOf(m_simulator->commands(), 'S'), 1);
    const auto start = Clock::now();
    core::SetupDialog dialog;
    dialog.apply();
    scanner.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(result, -2);
    EXPECT_EQ(KAL_SetExternalTrigger(0), 1);
    Words words{};
    EXPECT_EQ(KAL_Scan(words.data()), 1);
}

} // namespace
} // namespace driver::serial::test
