// A client of the driver library, using only its C interface and the platform's message
// windows, scans through the serial converter on a pseudo-terminal: configured
// with VYK_Config, registered, single, continuous and blocking scans; a converter that
// stays silent or sends garbage is reported as an aborted scan within a bound, and the
// scan after the fault delivers data again.
#include "driver/include/vykdrv32.h"
#include "driver/include/vykdrv32_serial.h"
#include "platform/win/c/pwin.h"
#include "sim/serial/SerialAdcSimulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using sim::serial::SerialAdcSimulator;
using sim::serial::SerialFault;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kKey = 31;
constexpr PWIN_UINT_PTR kBoundTimer = 77;
constexpr int kBoundMs = 30000;
constexpr int kPixels = 2048;

std::uint16_t testPixel(int i)
{
    return static_cast<std::uint16_t>(3000 + (i * 53) % 900);
}

struct Client
{
    PWIN_HWND window = 0;
    RegistrationRecord record{};
    float buffers[8][4096]{};
    int full[8]{};
    int aborted[8]{};
    int timeouts = 0;
    int wrongState = 0;
    int stopAfter = 0; // VYK_Stop once channel 0 was delivered this often
    bool timedOut = false;
};

PWIN_LRESULT handler(void* context, PWIN_HWND, PWIN_UINT message, PWIN_WPARAM wParam,
                     PWIN_LPARAM lParam)
{
    Client& client = *static_cast<Client*>(context);
    const auto channel = static_cast<int>(wParam);
    switch (message) {
    case VYK_MSG_BUFFER_FULL:
    case VYK_MSG_ABORTED: {
        if (channel < 0 || channel > 7 || lParam == 0)
            break;
        const auto* record = reinterpret_cast<const RegistrationRecord*>(lParam);
        const bool full = message == VYK_MSG_BUFFER_FULL;
        if (record->bufferStates[channel] != (full ? VYK_BUFFER_FULL : VYK_BUFFER_ABORTED))
            ++client.wrongState;
        ++(full ? client.full : client.aborted)[channel];
        VYK_BufferEmpty(kKey, static_cast<int16_t>(channel));
        if (full && channel == 0 && client.stopAfter != 0 && client.full[0] == client.stopAfter)
            VYK_Stop(kKey);
        break;
    }
    case VYK_MSG_TIMEOUT:
        ++client.timeouts;
        break;
    case PWIN_WM_TIMER:
        if (wParam == kBoundTimer)
            client.timedOut = true;
        break;
    default:
        break;
    }
    return 0;
}

// The client's message loop: GetMessage and dispatch until `done`, or until a window timer
// of the bound fires.
bool loopUntil(Client& client, const std::function<bool()>& done)
{
    client.timedOut = false;
    pwin_SetTimer(client.window, kBoundTimer, kBoundMs);
    PWIN_MSG msg;
    while (!done() && !client.timedOut && pwin_GetMessage(&msg, 0, 0, 0) > 0)
        pwin_DispatchMessage(&msg);
    pwin_KillTimer(client.window, kBoundTimer);
    return done();
}

// Dispatches what is already waiting.
void drain()
{
    PWIN_MSG msg;
    while (pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE))
        pwin_DispatchMessage(&msg);
}

struct SetCase
{
    const char* name;
    int16_t spectrometer;
};

class SerialDriver : public testing::TestWithParam<SetCase>
{
public:
    // The converter and the configuration exist before the library's first call.
    static void SetUpTestSuite()
    {
        s_simulator = new SerialAdcSimulator(2);
        std::vector<std::uint16_t> pixels(kPixels);
        for (int i = 0; i < kPixels; ++i)
            pixels[static_cast<std::size_t>(i)] = testPixel(i);
        s_simulator->setPixels(pixels);
        const char* ini = std::getenv("VYKDRV_INI");
        std::ofstream out(ini && *ini ? ini : "VYKDRV.INI", std::ios::trunc);
        out << "[Setup]\r\nInitialized=1\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\n"
            << "SerialPort=1\r\nSerialPortBaudIndex=6\r\nNoIntegrationTimeDelayMode=1\r\n"
            << "EnableMessages=0\r\nSerialDevice1=" << s_simulator->devicePath() << "\r\n";
    }
    static void TearDownTestSuite()
    {
        // Let the link go while the converter still answers.
        VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_NONE, 0, 0);
        delete s_simulator;
        s_simulator = nullptr;
    }

protected:
    void SetUp() override
    {
        s_simulator->clearFaults();
        ASSERT_EQ(VYK_Config(GetParam().spectrometer, VYK_ADC_SERIAL, 0, 0), VYK_SUCCESS);
        EXPECT_EQ(s_simulator->lineBaud(), 115200);
        m_client = std::make_unique<Client>();
        m_client->window = pwin_CreateMessageWindow(handler, m_client.get(), nullptr);
        ASSERT_NE(m_client->window, 0u);
        RegistrationRecord& r = m_client->record;
        r.size = static_cast<int16_t>(sizeof r);
        r.instanceKey = kKey;
        r.window = m_client->window;
        r.integration = 50;
        r.scansToAverage = 2;
        for (int c : {0, 1}) {
            r.channelEnables[c] = 1;
            r.channelBuffers[c] = m_client->buffers[c];
        }
        ASSERT_EQ(VYK_Register(&r), VYK_SUCCESS);
        ASSERT_EQ(VYK_ParamSet(&r), VYK_SUCCESS);
    }
    void TearDown() override
    {
        VYK_UnRegister(kKey);
        drain();
        pwin_DestroyWindow(m_client->window);
        s_simulator->clearFaults();
    }

    bool bothFull(int times) const
    {
        return m_client->full[0] >= times && m_client->full[1] >= times;
    }

    static SerialAdcSimulator* s_simulator;
    std::unique_ptr<Client> m_client;
};

SerialAdcSimulator* SerialDriver::s_simulator = nullptr;

int16_t blockingScan(DoScanBlock& block)
{
    std::memset(&block, 0, sizeof block);
    block.integration = 50;
    block.scansToAverage = 1;
    block.channelEnables[0] = 1;
    return VYK_DoScan(&block);
}

// Single, continuous and blocking scans deliver what the converter measured.
TEST_P(SerialDriver, ScansReachTheClient)
{
    Client& client = *m_client;
    ASSERT_EQ(VYK_SingleScan(kKey), VYK_SUCCESS);
    ASSERT_TRUE(loopUntil(client, [&] { return bothFull(1); }));
    EXPECT_EQ(client.wrongState, 0);
    EXPECT_EQ(client.aborted[0] + client.aborted[1] + client.timeouts, 0);
    // The measured spectrum after the model's end-of-scan processing (on the Istrel that
    // leaves the converter's values as they are): the same on both channels.
    for (int p : {1, 100, 777, 1000}) {
        SCOPED_TRACE(p);
        EXPECT_NE(client.buffers[0][p], 0.0f);
        EXPECT_FLOAT_EQ(client.buffers[0][p], client.buffers[1][p]);
        if (GetParam().spectrometer == VYK_SPEC_ISTREL) {
            EXPECT_FLOAT_EQ(client.buffers[0][p], testPixel(p));
        }
    }
    EXPECT_EQ(s_simulator->setting('A'), 2); // one converter sum of 2 per channel
    const std::vector<float> single(client.buffers[0], client.buffers[0] + kPixels);

    // Continuous scans run in this thread; the handler stops them from the loop they pump.
    client.stopAfter = 3;
    ASSERT_EQ(VYK_ContinuousScan(kKey), VYK_SUCCESS);
    ASSERT_TRUE(loopUntil(client, [&] { return bothFull(3); }));
    drain();
    EXPECT_GE(client.full[0], 3);
    EXPECT_LE(client.full[0], 4);
    EXPECT_EQ(client.wrongState, 0);

    // A blocking scan of one scan gives the same processed spectrum as the averaged one.
    DoScanBlock block;
    EXPECT_EQ(blockingScan(block), VYK_SUCCESS);
    for (int p : {1, 500, 1000})
        EXPECT_FLOAT_EQ(block.spectra[0][p], single[static_cast<std::size_t>(p)]);
}

struct FaultCase
{
    const char* name;
    SerialFault fault;
};

// A converter that stays silent or answers garbage: every enabled channel is reported
// aborted (state 6, 0x468) within the bound, never delivered; the blocking scan answers 4;
// the scan after the fault delivers data again.
TEST_P(SerialDriver, AFailingConverterAbortsTheScan)
{
    const FaultCase faults[] = {{"Silence", SerialFault::Silence},
                                {"Garbage", SerialFault::Garbage}};
    Client& client = *m_client;
    for (const FaultCase& f : faults) {
        SCOPED_TRACE(f.name);
        std::memset(client.full, 0, sizeof client.full);
        std::memset(client.aborted, 0, sizeof client.aborted);
        s_simulator->setFaultsOnScansOnly(true);
        s_simulator->setFault(f.fault);
        const auto start = Clock::now();
        ASSERT_EQ(VYK_SingleScan(kKey), VYK_SUCCESS);
        ASSERT_TRUE(
            loopUntil(client, [&] { return client.aborted[0] >= 1 && client.aborted[1] >= 1; }))
            << "full " << client.full[0] << " " << client.full[1] << " aborted "
            << client.aborted[0] << " " << client.aborted[1] << " time-outs " << client.timeouts;
        // A silent converter gets the scan's time-out once (P + 4 s), not once per channel.
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(8));
        drain();
        EXPECT_EQ(client.full[0] + client.full[1], 0);
        EXPECT_EQ(client.wrongState, 0);

        DoScanBlock block;
        EXPECT_EQ(blockingScan(block), VYK_ABORTED);

        s_simulator->clearFaults();
        ASSERT_EQ(VYK_SingleScan(kKey), VYK_SUCCESS);
        ASSERT_TRUE(loopUntil(client, [&] { return bothFull(1); }));
        EXPECT_EQ(blockingScan(block), VYK_SUCCESS);
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, SerialDriver,
                         testing::Values(SetCase{"Istrel", VYK_SPEC_ISTREL},
                                         SetCase{"Lemmik", VYK_SPEC_LEMMIK}),
                         [](const testing::TestParamInfo<SetCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
