#include "driver/usb/PavikSolviOperationSet.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/EndOfScan.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"
#include "driver/usb/UsbChannelAcquisition.h"
#include "driver/usb/UsbDeviceOpen.h"
#include "driver/usb/UsbModelIds.h"
#include "driver/usb/UsbTransport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace driver::usb {
namespace {

using core::DriverState;
using core::driverState;

constexpr int kMinIntegrationMs = 3;
constexpr int kPavikMaxIntegrationMs = 64000;

std::atomic<int> g_pavikLastFlashDelay{-1};
// Validity of the last delivered data (initially valid) and of the scan in progress.
UsbValidity g_validity;

bool isPavikAdc()
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    return state.adcType == VYK_ADC_PAVIK;
}

// The strobe state the client last set through VYK_StrobeEnable (on at start).
bool strobeState()
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    return state.strobeState;
}

// Opens the configured device; false (with the record's status set) when it cannot.
bool pavikOpenDevice(RegistrationRecord* record)
{
    const bool pavik = isPavikAdc();
    UsbOpenModel model;
    model.failureStatus = static_cast<int16_t>(pavik ? 11 : 13);
    model.caption = pavik ? "Error Pavik" : "Error Solvi";
    model.memoryText = "Unable To populate USB control";
    // Without a serial the first device this model identifies as its own is taken.
    const std::uint16_t productId =
        pavik ? configuredProductId("PavikProductId", kDefaultPavikProductId)
              : configuredProductId("SolviProductId", kDefaultSolviProductId);
    model.identify = [productId](int index, char* serial) {
        return identifyDevice(index, serial, productId, "");
    };
    if (!openUsbDeviceFor(record, model))
        return false;
    ResetUsbPipes();
    BulkWriteInitTarget();
    BulkWriteLampTarget(strobeState() ? 1 : 0);
    // One block is requested and drained so that the next request starts on a boundary.
    const std::array<std::uint8_t, 2> request{kRequestSpectrum, 0x00};
    sendCommand(request, "Request Spectrum Failed.");
    USB_SyncTargetDevice();
    QueryFirmwareVersion();
    return true;
}

// Only channel 0 is acquired, one block per call; the trigger mode goes with the first scan.
// Unlike the newer families, the set does not pause between channels.
UsbChannelModel pavikChannelModel()
{
    UsbChannelModel model;
    model.acquires = [](int channel) { return channel == 0; };
    model.prepare = [](int, bool firstScan, int triggerMode) {
        const int trigger = firstScan ? triggerMode : 0;
        sendCommand16(kTriggerMode, static_cast<std::uint16_t>(trigger),
                      "BULK_WRITE failed in\nBulkWriteDSFTarget()");
        return trigger;
    };
    model.read = [](unsigned timeoutMs, const std::function<bool()>& cancel) {
        return ReadUsbSpectrum(timeoutMs, cancel);
    };
    model.pixels = [] { return unpackedPixels(); };
    model.pause = ChannelPause::None;
    return model;
}

} // namespace

void resetPavikSolviState()
{
    g_pavikLastFlashDelay = -1;
    g_validity.reset();
}

int identifyDevice(int index, char* text, std::uint16_t productId, const char* notText)
{
    if (index < 0)
        return 0;
    auto& driver = ezusbDriver();
    const Handle handle = driver.open(devicePathFor(index));
    if (handle == kNoHandle)
        return 0;
    int result = 0;
    if (!isRecognised(handle)) {
        copyBounded(text, 16, notText);
    } else if (const auto ids = deviceIds(handle);
               ids && ids->first == configuredVendorId() && ids->second == productId) {
        copyBounded(text, 16, ReadUsbSerialNumber(handle));
        result = 1;
    }
    driver.close(handle);
    return result;
}

core::ChannelStart PavikSolviStartChannel(RegistrationRecord* record)
{
    return acquireUsbChannel(record, pavikChannelModel(), g_validity);
}

int16_t PavikSolviProgramIntegration(RegistrationRecord* record)
{
    int flashDelay = 0;
    {
        std::lock_guard lock(driverState().mutex);
        flashDelay = record->flashDelay;
    }
    if (flashDelay == g_pavikLastFlashDelay.load())
        return 0;
    if (sendCommand16(kFlashDelay, static_cast<std::uint16_t>(flashDelay),
                      "BULK_WRITE failed in\nBulkWriteDelay()"))
        g_pavikLastFlashDelay = flashDelay;
    return 0;
}

int16_t PavikSolviProgramFrequency(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int requested = 0;
    int divisor = 10;
    bool channel0 = false;
    bool noDelay = false;
    {
        std::lock_guard lock(state.mutex);
        requested = record->integration;
        divisor = state.frequencyDivisor;
        noDelay = state.noIntegrationTimeDelayMode != 0;
        channel0 = record->channelEnables[0] != 0;
    }
    const int old = lastIntegrationSent();
    if (requested == old)
        return 0;
    const int clamped = std::clamp(requested, kMinIntegrationMs, kPavikMaxIntegrationMs);
    {
        std::lock_guard lock(state.mutex);
        record->integration = static_cast<std::uint16_t>(clamped);
    }
    if (reinitRequested())
        return 0;
    {
        std::lock_guard lock(state.mutex);
        state.appliedPeriodMs = clamped;
    }
    if (channel0)
        sendCommand16(kIntegration, static_cast<std::uint16_t>(clamped),
                      "BULK_WRITE failed in\nBulkWriteDSFTarget()");
    // The detector needs a few frames at the new time before its data settles, unless
    // "NoIntegrationTimeDelayMode" says the client does without that wait.
    if (!noDelay)
        core::driverPlatform().sleepMs(integrationSettleMs(old, clamped, divisor));
    setLastIntegrationSent(clamped);
    return 0;
}

int16_t PavikSolviResetAndApplyTiming(RegistrationRecord* record)
{
    DriverState& state = driverState();
    bool channel0 = false;
    {
        std::lock_guard lock(state.mutex);
        record->status = 0;
        channel0 = record->channelEnables[0] != 0;
    }
    // A device lost earlier and present again is re-opened by this same call.
    UsbDeviceRecheck();
    if (reinitRequested()) {
        clearReinit();
        setLastIntegrationSent(0);
        g_pavikLastFlashDelay = -1;
        if (channel0 && !pavikOpenDevice(record))
            return 0;
    }
    PavikSolviProgramFrequency(record);
    PavikSolviProgramIntegration(record);
    std::lock_guard lock(state.mutex);
    record->timingDirty = 0;
    return 0;
}

void PavikSolviShutdownHardware()
{
    CloseUsbDevice();
}

int openOnDemand()
{
    return openUsbDeviceOnDemand(PavikSolviResetAndApplyTiming);
}

core::OperationSet PavikSolviOperationSet()
{
    core::OperationSet set;
    set.name = "PavikSolviOperationSet";
    set.StartChannel = PavikSolviStartChannel;
    set.ProgramIntegration = PavikSolviProgramIntegration;
    set.ProgramFrequency = PavikSolviProgramFrequency;
    set.ResetAndApplyTiming = PavikSolviResetAndApplyTiming;
    set.AdvanceSequencer = core::GenericAdvanceSequencer;
    set.EndOfScan = core::EndOfScanIstrel;
    set.ShutdownHardware = PavikSolviShutdownHardware;
    return set;
}

void registerPavikSolviOperationSet()
{
    core::registerOperationSet("PavikSolviOperationSet", PavikSolviOperationSet());
}

namespace {
// The set is available from library load on; registering touches no device.
const bool g_pavikRegistered = (registerPavikSolviOperationSet(), true);
} // namespace

} // namespace driver::usb
