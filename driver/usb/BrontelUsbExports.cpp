// The BrontelUSB exports: coefficients of the eight channels, firmware, identification
// and the on-board DAC.

#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"
#include "driver/usb/BrontelUsbOperationSet.h"
#include "driver/usb/BrontelUsbProtocol.h"
#include "driver/usb/InfoSlotText.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/UsbTransport.h"

#include <atomic>
#include <cstring>
#include <string>

namespace driver::usb {
namespace {

constexpr std::uint32_t kFirmwareDac = 1010000; // 1.10.0
constexpr std::size_t kBrontelFirmwareText = 32;
constexpr int kSlotsPerChannel = 4;

std::atomic<bool> g_dacInitialised{false};
std::atomic<bool> g_dacPresent{false};

int coefficientSlot(int channel, int k)
{
    return 2 + kSlotsPerChannel * channel + k;
}

int brontelGetCoefficients(BrontelUSBCoefficientsRecord* record)
{
    if (!record || !deviceOk())
        return 0;
    std::string slots[brontel::kCoefficientSlots];
    for (int slot = 0; slot < brontel::kCoefficientSlots; ++slot) {
        // A slot that could not be read makes the whole record unknown.
        if (!ReadInfoSlot(deviceHandle(), slot, slots[slot]))
            return 0;
    }
    BrontelUSBCoefficientsRecord out{};
    copyBounded(out.serial, sizeof out.serial, slots[0]);
    out.count = slotTextToInt(slots[1]);
    for (int c = 0; c < brontel::kChannels; ++c) {
        float* w = out.wavelength[c];
        for (int k = 0; k < kSlotsPerChannel; ++k)
            w[k] = slotTextToFloat(slots[coefficientSlot(c, k)]);
        // A channel never calibrated reads as pixel numbers.
        if (!(w[0] > 0.0f) || !(w[1] > 0.0f)) {
            w[0] = 0.0f;
            w[1] = 1.0f;
            w[2] = 0.0f;
            w[3] = 0.0f;
        }
    }
    *record = out;
    return 1;
}

int brontelSetCoefficients(const BrontelUSBCoefficientsRecord* record)
{
    if (!record || !deviceOk())
        return 0;
    const Handle handle = deviceHandle();
    char serial[sizeof record->serial + 1] = {};
    std::memcpy(serial, record->serial, sizeof record->serial);
    if (!WriteInfoSlot(handle, 0, serial))
        return 0;
    // The converter keeps one byte of the count.
    if (!WriteInfoSlot(handle, 1, std::to_string(record->count & 0xFF)))
        return 0;
    for (int c = 0; c < brontel::kChannels; ++c) {
        for (int k = 0; k < kSlotsPerChannel; ++k) {
            const std::string text =
                formatSlotFloat(record->wavelength[c][k], std::chars_format::scientific);
            if (!WriteInfoSlot(handle, coefficientSlot(c, k), text))
                return 0;
        }
    }
    return 1;
}

int brontelFirmwareText(char* text)
{
    if (!text)
        return 0;
    brontelUsbOpenOnDemand();
    if (!deviceOk() || deviceHandle() == kNoHandle) {
        copyBounded(text, kBrontelFirmwareText, "Pavik not opened");
        return 0;
    }
    const auto descriptor = readStringDescriptor(deviceHandle(), 1, kBrontelFirmwareText - 1);
    if (!descriptor) {
        copyBounded(text, kBrontelFirmwareText, "Pavik not active");
        return 0;
    }
    copyBounded(text, kBrontelFirmwareText, *descriptor);
    return 1;
}

// The DAC's checks: a BrontelUSB converter, open, with firmware 1.10.0 or later.
bool dacReady()
{
    {
        auto& state = core::driverState();
        std::lock_guard lock(state.mutex);
        if (state.adcType != VYK_ADC_BRONTELUSB)
            return false;
    }
    const int status = brontelUsbOpenOnDemand();
    return !(status >= 10 && status <= 13) && deviceOk() && firmwareVersion() >= kFirmwareDac;
}

int dacRead(int channel)
{
    if (!dacReady())
        return 0;
    std::array<std::uint8_t, 3> reply{};
    if (!query(brontel::encodeDacRead(channel), reply))
        return 0;
    return brontel::decodeDacValue(channel, reply);
}

int dacWrite(int channel, int value)
{
    if (!dacReady())
        return 0;
    return sendCommand(brontel::encodeDacWrite(channel, value)) ? 1 : 0;
}

int dacInitialize()
{
    if (!dacReady()) {
        g_dacInitialised = false;
        g_dacPresent = false;
        return 0;
    }
    const std::array<std::uint8_t, 1> command{brontel::kDacInitialize};
    const bool sent = sendCommand(command);
    g_dacInitialised = true;
    if (sent) {
        // A fitted DAC answers its status word with the two top bits set.
        const auto status = static_cast<std::uint16_t>(dacRead(brontel::kDacStatusChannel));
        g_dacPresent = status > 0xBFFF;
    }
    return g_dacPresent.load() && g_dacInitialised.load() ? 1 : 0;
}

} // namespace

void resetBrontelUsbDacState()
{
    g_dacInitialised = false;
    g_dacPresent = false;
}

} // namespace driver::usb

using driver::core::guardExport;
namespace usb = driver::usb;

VYK_API int32_t BrontelUSB_GetCoefficients(BrontelUSBCoefficientsRecord* record)
{
    return guardExport<int32_t>("BrontelUSB_GetCoefficients", 0,
                                [&] { return usb::brontelGetCoefficients(record); });
}

VYK_API int32_t BrontelUSB_SetCoefficients(const BrontelUSBCoefficientsRecord* record)
{
    return guardExport<int32_t>("BrontelUSB_SetCoefficients", 0,
                                [&] { return usb::brontelSetCoefficients(record); });
}

VYK_API int32_t BrontelUSB_GetFirmwareVersion(char* text)
{
    return guardExport<int32_t>("BrontelUSB_GetFirmwareVersion", 0,
                                [&] { return usb::brontelFirmwareText(text); });
}

VYK_API int32_t BrontelUSB_IdentifyBrontelUSB(int32_t deviceIndex, char* text)
{
    return guardExport<int32_t>("BrontelUSB_IdentifyBrontelUSB", 0, [&] {
        char found[16] = {};
        const int result =
            usb::identifyDevice(deviceIndex, found, usb::brontelUsbProductId(), "NOT Brontel-USB");
        if (text)
            usb::copyBounded(text, 16, found);
        return result;
    });
}

VYK_API int32_t BrontelUSB_DAC_Initialize(void)
{
    return guardExport<int32_t>("BrontelUSB_DAC_Initialize", 0,
                                [] { return usb::dacInitialize(); });
}

VYK_API int32_t BrontelUSB_DAC_ReadValue(int32_t channel)
{
    return guardExport<int32_t>("BrontelUSB_DAC_ReadValue", 0,
                                [&] { return usb::dacRead(channel); });
}

VYK_API int32_t BrontelUSB_DAC_WriteValue(int32_t channel, int32_t value)
{
    return guardExport<int32_t>("BrontelUSB_DAC_WriteValue", 0,
                                [&] { return usb::dacWrite(channel, value); });
}
