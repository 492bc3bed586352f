#include "driver/serial/SerialAdc.h"

#include "driver/core/DriverState.h"
#include "driver/include/vykdrv32.h"
#include "driver/serial/ScanBusy.h"
#include "driver/serial/SerialAdcProtocol.h"
#include "driver/serial/SerialPort.h"
#include "sim/serial/SerialAdcSimulator.h"
#include "tests/driver/core/FakeDriverPlatform.h"
#include "tests/driver/serial/SerialTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <locale.h>
#include <memory>
#include <string>
#include <vector>

namespace driver::serial::test {
namespace {

using sim::serial::SerialAdcSimulator;
using sim::serial::SerialFault;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

TEST(SerialPortLayer, PortNumbersOutsideOneToNineOpenNothing)
{
    EXPECT_EQ(OpenSerialPort(0, 100, 100), nullptr);
    EXPECT_EQ(OpenSerialPort(10, 100, 100), nullptr);
    EXPECT_EQ(serialDevicePath(3), "/dev/ttyS2");
}

TEST(SerialPortLayer, ReadsNoMoreThanIsWaitingAndRefusesOverlongWrites)
{
    SerialAdcSimulator simulator(0);
    auto port = openSerialDevice(simulator.devicePath(), 100, 4);
    ASSERT_NE(port, nullptr);
    // The type probe letters are answered with NAK by a type-0 converter: 7 bytes.
    for (int k = 0; k < 7; ++k)
        ASSERT_TRUE(port->write(Bytes{'='}, 1000));
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (port->bytesWaiting() < 7 && Clock::now() < deadline)
        port->waitReadable(100);
    std::vector<std::uint8_t> buffer(100);
    EXPECT_EQ(port->read(buffer), 7u);
    EXPECT_EQ(port->read(buffer), 0u);
    // More than the output queue holds is refused whole, not cut short.
    EXPECT_FALSE(port->write(Bytes(5, 'Q'), 1000));
    // A second open of a port in use fails.
    EXPECT_EQ(openSerialDevice(simulator.devicePath(), 100, 100), nullptr);
}

class SerialAdcTest : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        m_simulator = std::make_unique<SerialAdcSimulator>(GetParam());
        pointPortAt(*m_simulator);
        ASSERT_EQ(KAL_Init(1, 2), 1);
        m_simulator->clearCommands();
    }
    void TearDown() override
    {
        scanBusyFlag().forceClear();
        m_simulator->clearFaults();
        KAL_Close(0);
        m_simulator.reset();
    }

    Bytes lastCommand() const
    {
        const auto commands = m_simulator->commands();
        return commands.empty() ? Bytes{} : commands.back();
    }

    std::unique_ptr<SerialAdcSimulator> m_simulator;
};

class SerialAdcInit : public SerialAdcTest
{};

TEST_P(SerialAdcInit, ProbesTheTypeAndSwitchesSpeedByHandshake)
{
    const int type = GetParam();
    EXPECT_EQ(serialAdc().converterType(), type);
    EXPECT_EQ(KAL_Init(1, 2), 0); // already initialised
    EXPECT_EQ(m_simulator->lineBaud(), 9600);
    EXPECT_EQ(KAL_SetBaudRate(6), 1);
    // Type 1 converters go no faster than 38400 baud.
    const int expected = type == 1 ? 38400 : 115200;
    const std::uint8_t index = type == 1 ? 4 : 6;
    EXPECT_EQ(m_simulator->lineBaud(), expected);
    EXPECT_EQ(m_simulator->hostBaud(), expected);
    const auto commands = m_simulator->commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], (Bytes{'K', 0, index}));
    EXPECT_EQ(commands[1], (Bytes{'K', 0, index}));
    EXPECT_EQ(KAL_GetVersion(), 3000);
    EXPECT_EQ(KAL_SetBaudRate(7), -9999);
    // Close brings both sides back to 9600.
    EXPECT_EQ(KAL_Close(2), 1);
    EXPECT_EQ(m_simulator->lineBaud(), 9600);
    EXPECT_EQ(lastCommand(), (Bytes{'C', 0, 2}));
    EXPECT_EQ(KAL_Close(0), 0); // not initialised any more
    EXPECT_EQ(KAL_SetScansToAdd(1), -1);
}

// The converter's CDS mode, which the Lemmik's end of scan reads, is off again on every new
// link.
TEST_P(SerialAdcInit, CdsModeIsOffOnANewLink)
{
    const bool refused = GetParam() == 1 || GetParam() == 3;
    EXPECT_EQ(KAL_SetLemmikCDSMode(1), refused ? -9 : 1);
    auto cdsMode = [] {
        std::lock_guard lock(core::driverState().mutex);
        return core::driverState().kaldrisDoubleSamplingMode;
    };
    EXPECT_EQ(cdsMode(), !refused);
    KAL_Close(0);
    EXPECT_EQ(KAL_Init(1, 2), 1);
    EXPECT_FALSE(cdsMode());
}

INSTANTIATE_TEST_SUITE_P(Types, SerialAdcInit, testing::Values(0, 1, 2, 3));

TEST(SerialAdcLink, InitFailsCleanlyWithoutADevice)
{
    {
        std::ofstream out(std::getenv("VYKDRV_INI") ? std::getenv("VYKDRV_INI") : "VYKDRV.INI");
        out << "[Setup]\r\nSerialDevice1=/nonexistent/tty\r\n";
    }
    EXPECT_EQ(KAL_Init(1, 2), 0);
    EXPECT_EQ(KAL_SetIntegrationTime(10), -1);
    EXPECT_EQ(KAL_GetVersion(), -1);
    std::uint16_t buffer[kScanBufferWords] = {};
    EXPECT_EQ(KAL_Scan(buffer), -2);
}

TEST(SerialAdcLink, BadBaudIndexIsReportedAndTheLinkRunsAt9600)
{
    auto fake = std::make_shared<core::test::FakeDriverPlatform>();
    core::setDriverPlatform(fake);
    SerialAdcSimulator simulator(3);
    pointPortAt(simulator);
    EXPECT_EQ(KAL_Init(1, 9), 1);
    ASSERT_EQ(fake->boxes().size(), 1u);
    EXPECT_EQ(fake->boxes()[0].text, "Bad baud rate -- setting default");
    EXPECT_EQ(simulator.hostBaud(), 9600);
    EXPECT_EQ(KAL_GetVersion(), 3000);
    // Type 3 keeps no stored strings.
    EXPECT_EQ(KAL_SetStoredString(1, "A"), -9);
    EXPECT_EQ(KAL_Close(0), 1);
    core::setDriverPlatform(nullptr);
}

struct ExportCase
{
    const char* name;
    std::function<int(void)> call;
    int expected;
    Bytes sent; // empty: nothing reaches the converter
};

class SerialAdcExports : public SerialAdcTest
{};

// Type 2 converter: every export's bytes and result.
TEST_P(SerialAdcExports, SendTheirBytesAndAnswer)
{
    KalPixelMode list{};
    list.mode = 4;
    list.count = 3;
    list.args[0] = 10;
    list.args[1] = 20;
    list.args[2] = 0x1234;
    KalPixelMode range{};
    range.mode = 259;
    range.args[0] = 1;
    range.args[1] = 2;
    range.args[2] = 3;
    KalPixelMode tooLong{};
    tooLong.mode = 4;
    tooLong.count = 82;
    KalPixelMode beyond{};
    beyond.mode = 773;
    const std::vector<ExportCase> cases = {
        {"scans_to_add", [] { return KAL_SetScansToAdd(3); }, 1, {'A', 0, 3}},
        {"boxcar", [] { return KAL_SetBoxcarWidth(0x0102); }, 1, {'B', 1, 2}},
        {"dump_fast_memory_refused", [] { return KAL_DumpFastMemory(); }, -9, {}},
        {"slow_pointer_refused", [] { return KAL_ChangeSlowReadPointer(1); }, -9, {}},
        {"adc_rate", [] { return KAL_SetADCRate(500); }, 1, {'F', 1, 0xF4}},
        {"compressed", [] { return KAL_SetCompressedMode(1); }, 1, {'G', 0, 1}},
        {"channel", [] { return KAL_SetSpectrometerChannel(2); }, 1, {'H', 0, 2}},
        {"integration", [] { return KAL_SetIntegrationTime(250); }, 1, {'I', 0, 250}},
        {"strobe", [] { return KAL_SetStrobeEnable(1); }, 1, {'J', 0, 1}},
        {"scan_mode", [] { return KAL_SetScanMode(1); }, 1, {'M', 0, 1}},
        {"scans_to_store_refused", [] { return KAL_SetNumberOfScansToStore(1); }, -9, {}},
        {"received_ok_range", [] { return KAL_ScanReceivedOK(2); }, -9999, {}},
        {"reset", [] { return KAL_Reset(); }, 1, {'Q'}},
        {"trigger", [] { return KAL_SetExternalTrigger(2); }, 1, {'T', 0, 2}},
        {"trigger_back", [] { return KAL_SetExternalTrigger(0); }, 1, {'T', 0, 0}},
        {"flash_delay_capped", [] { return KAL_SetFlashDelay(300); }, 1, {'f', 0, 255}},
        {"cds", [] { return KAL_SetLemmikCDSMode(1); }, 1, {'h', 0, 1}},
        {"checksum", [] { return KAL_SetChecksumMode(1); }, 1, {'k', 0, 1}},
        {"version", [] { return KAL_GetVersion(); }, 3000, {'v'}},
        {"get_scans_to_add", [] { return KAL_GetScansToAdd(); }, 3, {'?', 'A'}},
        {"get_integration", [] { return KAL_GetIntegrationTime(); }, 250, {'?', 'I'}},
        {"get_boxcar", [] { return KAL_GetBoxcarWidth(); }, 0x0102, {'?', 'B'}},
        {"get_checksum", [] { return KAL_GetChecksumMode(); }, 1, {'?', 'k'}},
        {"scans_in_memory", [] { return KAL_GetNumberOfScansInMemory(1); }, 0, {'W', 0, 1}},
        {"scans_in_memory_range", [] { return KAL_GetNumberOfScansInMemory(3); }, -9999, {}},
        {"fast_memory", [] { return KAL_GetFastMemoryAvailable(); }, 'X', {'X'}},
        {"slow_memory_refused", [] { return KAL_GetSlowMemoryAvailable(); }, -9, {}},
        {"clear_memory_range", [] { return KAL_ClearMemory(3); }, -9999, {}},
        {"pixel_list",
         [&] { return KAL_SetPixelMode(&list); },
         1,
         {'P', 0, 4, 0, 3, 0, 10, 0, 20, 0x12, 0x34}},
        {"pixel_range", [&] { return KAL_SetPixelMode(&range); }, 1, {'P', 1, 3, 0, 1, 0, 2, 0, 3}},
        {"pixel_list_too_long", [&] { return KAL_SetPixelMode(&tooLong); }, -9999, {}},
        {"pixel_mode_773", [&] { return KAL_SetPixelMode(&beyond); }, -9999, {}},
        {"hidden_only", [] { return KAL_ToggleDebugMode(); }, -6, {}},
        {"hidden_query", [] { return KAL_GetDebugMode(); }, -6, {}},
        {"wrong_code", [] { return KAL_EnterDoubleSecretMode(1234); }, 0, {}},
        {"still_hidden_only", [] { return KAL_ToggleDebugMode(); }, -6, {}},
        {"right_code", [] { return KAL_EnterDoubleSecretMode(5817); }, 1, {'{', '~'}},
        {"toggle_debug", [] { return KAL_ToggleDebugMode(); }, 1, {'d'}},
        {"debug_mode", [] { return KAL_GetDebugMode(); }, 0, {'?', 'd'}},
        {"interpolate_range", [] { return KAL_SetInterpolateMissingPixels(2); }, -9999, {}},
        {"interpolate_off", [] { return KAL_SetInterpolateMissingPixels(0); }, 1, {}},
        {"interpolate_get", [] { return KAL_GetInterpolateMissingPixels(); }, 0, {}},
        {"raman", [] { return KAL_SetRamanMode(3); }, 1, {}},
        {"raman_get", [] { return KAL_GetRamanMode(); }, 3, {}},
        {"stored_string",
         [] { return KAL_SetStoredString(4, "ABC"); },
         1,
         {'x', 0, 4, 'A', 'B', 'C', 0x0A}},
        {"stored_string_line_end", [] { return KAL_SetStoredString(4, "A\nB"); }, -9999, {}},
        {"readout_not_implemented", [] { return KAL_ReadoutScansInMemory(3); }, -9999, {}},
        {"isr_not_implemented", [] { return KAL_EnableISR(); }, 1, {}},
        {"close_mode_range", [] { return KAL_Close(4); }, -9999, {}},
        {"stdcall_twin", [] { return KAL_SetBoxcarWidth_stdcall(7); }, 1, {'B', 0, 7}},
        {"short_name", [] { return KAL_GV_LVD(); }, 3000, {'v'}},
    };
    for (const ExportCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_simulator->clearCommands();
        EXPECT_EQ(c.call(), c.expected);
        if (c.sent.empty())
            EXPECT_TRUE(m_simulator->commands().empty());
        else
            EXPECT_EQ(lastCommand(), c.sent);
    }
    EXPECT_EQ(m_simulator->storedString(4), "ABC");
}

INSTANTIATE_TEST_SUITE_P(Type2, SerialAdcExports, testing::Values(2));

class SerialAdcFaults : public SerialAdcTest
{};

TEST_P(SerialAdcFaults, RefusalsAndBrokenRepliesAreReportedNotTrusted)
{
    // Type 0: flash delay is refused before anything is sent.
    m_simulator->clearCommands();
    EXPECT_EQ(KAL_SetFlashDelay(300), -9);
    EXPECT_TRUE(m_simulator->commands().empty());

    // A scan holds the flag: every command answers -5 at once.
    ASSERT_TRUE(scanBusyFlag().tryAcquire());
    EXPECT_EQ(KAL_SetIntegrationTime(10), -5);
    EXPECT_EQ(KAL_GetVersion(), -5);
    EXPECT_EQ(KAL_SetBaudRate(3), -5);
    EXPECT_EQ(KAL_EnableISR(), -5);
    std::uint16_t buffer[kScanBufferWords] = {};
    EXPECT_EQ(KAL_Scan(buffer), -5);
    EXPECT_TRUE(m_simulator->commands().empty());
    scanBusyFlag().release();

    // NAK instead of ACK: 0, and the setting is not kept.
    m_simulator->setFault(SerialFault::Nak, 1);
    EXPECT_EQ(KAL_SetIntegrationTime(77), 0);
    EXPECT_EQ(serialAdc().integrationTime(), 100);
    EXPECT_EQ(KAL_SetIntegrationTime(77), 1);
    EXPECT_EQ(serialAdc().integrationTime(), 77);

    // A silent converter: 0 within the bound of the ACK and reply waits.
    struct Silent
    {
        const char* name;
        std::function<int(void)> call;
    };
    const Silent silent[] = {
        {"command", [] { return KAL_SetScansToAdd(2); }},
        {"query", [] { return KAL_GetVersion(); }},
        {"stored_string",
         [] {
             char text[15];
             return KAL_GetStoredString(1, text);
         }},
    };
    m_simulator->setFault(SerialFault::Silence);
    for (const Silent& c : silent) {
        SCOPED_TRACE(c.name);
        const auto start = Clock::now();
        const auto lineStart = lineTime(*m_simulator);
        EXPECT_EQ(c.call(), 0);
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kReplyTimeoutMs + 1000));
        // On the line's clock, the ACK's wait ran out in full.
        EXPECT_GE(lineTime(*m_simulator) - lineStart, std::chrono::milliseconds(kAckTimeoutMs));
        EXPECT_LT(lineTime(*m_simulator) - lineStart,
                  std::chrono::milliseconds(kReplyTimeoutMs + 1000));
    }
    m_simulator->clearFaults();

    // Garbage: no ACK, and the next command works.
    m_simulator->setFault(SerialFault::Garbage, 1);
    EXPECT_EQ(KAL_GetVersion(), 0);
    EXPECT_EQ(KAL_GetVersion(), 3000);
}

INSTANTIATE_TEST_SUITE_P(Type0, SerialAdcFaults, testing::Values(0));

class SerialAdcStored : public SerialAdcTest
{};

TEST_P(SerialAdcStored, StringsAndNumbersRoundTrip)
{
    char text[16];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(KAL_SetStoredString(2, "ABCDEFGHIJKLMNOPQ"), 1);
    EXPECT_EQ(KAL_GetStoredString(2, text), 1);
    // Fifteen bytes are filled and nothing beyond them.
    EXPECT_EQ(std::string(text, 15), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(text[15], '#');

    EXPECT_EQ(KAL_SetStoredFloat(5, 1.5f), 1);
    float value = 0;
    EXPECT_EQ(KAL_GetStoredFloat(5, &value), 1);
    EXPECT_FLOAT_EQ(value, 1.5f);
    // The numbers are text on the converter, the same whatever the client's locale.
    if (locale_t comma = ::newlocale(LC_NUMERIC_MASK, "de_DE.UTF-8", nullptr)) {
        const locale_t previous = ::uselocale(comma);
        EXPECT_EQ(KAL_SetStoredFloat(8, 2.25f), 1);
        EXPECT_EQ(m_simulator->storedString(8), "2.250000e+00");
        value = 0;
        EXPECT_EQ(KAL_GetStoredFloat(8, &value), 1);
        EXPECT_FLOAT_EQ(value, 2.25f);
        ::uselocale(previous);
        ::freelocale(comma);
    }
    EXPECT_EQ(KAL_SetStoredInt(6, -1234567), 1);
    std::int32_t number = 0;
    EXPECT_EQ(KAL_GetStoredInt(6, &number), 1);
    EXPECT_EQ(number, -1234567);
    EXPECT_EQ(KAL_SetStoredString(7, "not a number"), 1);
    EXPECT_EQ(KAL_GetStoredInt(7, &number), 0);

    KalPixelMode mode{};
    mode.mode = 4;
    mode.count = 2;
    mode.args[0] = 300;
    mode.args[1] = 301;
    EXPECT_EQ(KAL_SetPixelMode(&mode), 1);
    KalPixelMode back{};
    EXPECT_EQ(KAL_GetFullPixelMode(&back), 1);
    EXPECT_EQ(back.mode, 4);
    EXPECT_EQ(back.count, 2);
    EXPECT_EQ(back.args[1], 301);

    std::uint8_t data[256];
    std::uint8_t trailer[16];
    EXPECT_EQ(KAL_ReadSlowMemory(0, 1, data, trailer), -9); // type 1
}

INSTANTIATE_TEST_SUITE_P(Type1, SerialAdcStored, testing::Values(1));

} // namespace
} // namespace driver::serial::test
