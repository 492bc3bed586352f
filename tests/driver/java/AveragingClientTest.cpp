// A client of the shared library averaging scans of each Java-driven model on our driver
// archive in a real VM: whatever the number of scans to average, the channel holds the level
// of one scan.
#include "driver/include/vykdrv32.h"
#include "platform/win/c/pwin.h"
#include "tests/driver/java/ScanClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <poll.h>
#include <string>
#include <vector>

namespace driver::java::test {
namespace {

struct ModelCase
{
    const char* name;
    int16_t spectrometer;
    int16_t adc;
    int pixels;
    int firstPixel; // autonulling clears the pixels before it
};

void PrintTo(const ModelCase& c, std::ostream* os)
{
    *os << c.name;
}

class AveragingClientTest : public ::testing::TestWithParam<ModelCase>
{
protected:
    static void SetUpTestSuite()
    {
        // Before the library's first call: one device of each model, none configured yet.
        setenv("TARNWICK_DEVICES",
               "Trevan:0:TRV-1;Quarn:0:QRN-1;SolviPlus:0:SVP-1;PavikPlus:0:PVP-1;Ulmar:0:ULM-1", 1);
        const char* ini = std::getenv("VYKDRV_INI");
        ASSERT_NE(ini, nullptr);
        std::ofstream(ini, std::ios::binary)
            << "[Setup]\r\nSpectrometerType=Jolvar\r\nADCType=NONE\r\nInitialized=1\r\n"
               "EnableMessages=0\r\n";
    }
};

// Our simulated scans carry no noise; a count of tolerance still tells one scan's level from
// the sum of two.
constexpr float kNoise = 1.0f;

TEST_P(AveragingClientTest, AveragedScansGiveTheLevelOfOneScan)
{
    const ModelCase& c = GetParam();
    ASSERT_EQ(VYK_ConfigEx(c.spectrometer, c.adc, 0, 0, 0, 0), VYK_SUCCESS);
    ASSERT_EQ(VYK_GetADCType(), static_cast<uint16_t>(c.adc));

    Client client;
    client.window = pwin_CreateMessageWindow(onMessage, &client, nullptr);
    ASSERT_NE(client.window, 0u);
    client.record.size = static_cast<int16_t>(sizeof(RegistrationRecord));
    client.record.instanceKey = 9;
    client.record.window = client.window;
    client.record.integration = 20;
    client.record.channelEnables[0] = 1;
    client.record.channelBuffers[0] = client.buffer.data();
    ASSERT_EQ(VYK_Register(&client.record), 0);

    for (const int16_t scans : {1, 2, 4}) {
        SCOPED_TRACE("average " + std::to_string(scans));
        client.buffer.assign(client.buffer.size(), 0.0f);
        client.record.scansToAverage = scans;
        ASSERT_EQ(VYK_ParamSet(&client.record), 0);
        ASSERT_EQ(VYK_SingleScan(client.record.instanceKey), 0);
        ASSERT_TRUE(waitForScans(client, client.full + 1));
        for (int i = c.firstPixel; i < c.pixels; ++i) {
            const float level = static_cast<float>(100 + i % 1000);
            ASSERT_NEAR(client.buffer[static_cast<std::size_t>(i)], level, kNoise) << "pixel " << i;
        }
    }

    EXPECT_NE(VYK_UnRegister(client.record.instanceKey), nullptr);
    EXPECT_TRUE(pwin_DestroyWindow(client.window));
}

// The four models that average inside the Java driver, and the Ulmar, whose driver returns
// the sum of its scans for the library to divide.
INSTANTIATE_TEST_SUITE_P(
    Models, AveragingClientTest,
    ::testing::Values(ModelCase{"Trevan", VYK_SPEC_JOLVAR, VYK_ADC_TREVAN, 3648, 0},
                      ModelCase{"Quarn", VYK_SPEC_JOLVAR, VYK_ADC_QUARN, 3648, 2},
                      ModelCase{"SolviPlus", VYK_SPEC_ISTREL, VYK_ADC_SOLVIPLUS, 2048, 0},
                      ModelCase{"PavikPlus", VYK_SPEC_ISTREL, VYK_ADC_PAVIKPLUS, 2048, 2},
                      ModelCase{"Ulmar", VYK_SPEC_ULMAR, VYK_ADC_ULMARADC, 1044, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace driver::java::test
