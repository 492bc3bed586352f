// A client of the shared library with a Quarn on our Java driver archive in a real VM: it
// shows "Configure Hardware" through the platform's dialog hook, browses to the Trevan
// (whose listing loads the Trevan's driver) and cancels. The Quarn answers and scans as
// before.
#include "driver/core/SetupDialogModel.h"
#include "driver/include/vykdrv32.h"
#include "driver/include/vykdrv32_java.h"
#include "platform/win/c/pwin.h"
#include "tests/driver/java/ScanClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <string>
#include <vector>

namespace driver::java::test {
namespace {

using driver::core::SetupDialogModel;
using driver::core::SetupList;

// The user's steps: the A/D types chosen in turn, and the answer.
struct DialogScript
{
    std::vector<std::string> browse;
    intptr_t answer = PWIN_IDCANCEL;
    int shown = 0;
    std::vector<std::string> listed; // the first device listed for each type chosen
};

intptr_t runDialog(void* context, const char*, void* param)
{
    auto* script = static_cast<DialogScript*>(context);
    ++script->shown;
    auto* dialog = static_cast<SetupDialogModel*>(param);
    if (!dialog)
        return PWIN_IDCANCEL;
    for (const std::string& type : script->browse) {
        for (int i = 0; i < dialog->count(SetupList::Adc); ++i) {
            if (dialog->item(SetupList::Adc, i) == type)
                dialog->select(SetupList::Adc, i);
        }
        script->listed.push_back(dialog->item(SetupList::UsbSerial, 1));
    }
    return script->answer;
}

std::string firmware()
{
    char text[VYK_JAVA_TEXT_BYTES] = {};
    Quarn_GetFirmwareVersion(text);
    return text;
}

void scanOnce(Client& client)
{
    client.buffer.assign(client.buffer.size(), 0.0f);
    const int before = client.full;
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    ASSERT_EQ(VYK_SingleScan(client.record.instanceKey), 0);
    ASSERT_TRUE(waitForScans(client, before + 1));
    EXPECT_GT(client.buffer[100], 0.0f);
    EXPECT_NE(VYK_BufferEmpty(client.record.instanceKey, 0), 0);
}

TEST(SetupDialogClientTest, CancelAfterBrowsingAnotherJavaTypeKeepsTheQuarn)
{
    // Before the library's first call: the simulated devices and the Quarn configured.
    setenv("TARNWICK_DEVICES", "Quarn:0:QRN-A;Quarn:1:QRN-B;Trevan:0:TRV-A", 1);
    const char* ini = std::getenv("VYKDRV_INI");
    ASSERT_NE(ini, nullptr);
    std::ofstream(ini, std::ios::binary)
        << "[Setup]\r\nSpectrometerType=Jolvar\r\nADCType=Quarn\r\nInitialized=1\r\n"
           "USBSerialNumber=QRN-B\r\nEnableMessages=0\r\n";

    DialogScript script;
    script.browse = {"Trevan"};
    pwin_SetDialogHook("Setup", runDialog, &script);

    Client client;
    client.window = pwin_CreateMessageWindow(onMessage, &client, nullptr);
    ASSERT_NE(client.window, 0u);
    client.record.size = static_cast<int16_t>(sizeof(RegistrationRecord));
    client.record.instanceKey = 7;
    client.record.window = client.window;
    client.record.integration = 20;
    client.record.scansToAverage = 1;
    client.record.channelEnables[0] = 1;
    client.record.channelBuffers[0] = client.buffer.data();
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_GetADCType(), VYK_ADC_QUARN);
    scanOnce(client);
    const std::string before = firmware();
    EXPECT_EQ(before, "Quarn firmware 2.10");

    EXPECT_EQ(VYK_Config(0, 0, 0, 0), 2);
    ASSERT_EQ(script.shown, 1);
    ASSERT_EQ(script.listed.size(), 1u);
    EXPECT_EQ(script.listed[0], "TRV-A"); // the listing did load the Trevan's driver

    EXPECT_EQ(VYK_GetADCType(), VYK_ADC_QUARN);
    EXPECT_EQ(firmware(), before);
    char serial[16] = {};
    VYK_GetCurrentUSBSerialNumber(serial);
    EXPECT_STREQ(serial, "QRN-B");
    for (int scan = 0; scan < 2; ++scan)
        scanOnce(client);

    pwin_SetDialogHook("Setup", nullptr, nullptr);
    EXPECT_NE(VYK_UnRegister(7), nullptr);
    EXPECT_TRUE(pwin_DestroyWindow(client.window));
}

} // namespace
} // namespace driver::java::test
