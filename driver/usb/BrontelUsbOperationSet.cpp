#include "driver/usb/BrontelUsbOperationSet.h"

#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/EndOfScan.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Sequencer.h"
#include "driver/usb/BrontelUsbProtocol.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/UsbChannelAcquisition.h"
#include "driver/usb/UsbDeviceOpen.h"
#include "driver/usb/UsbModelIds.h"
#include "driver/usb/UsbTransport.h"

#include <algorithm>
#include <atomic>

namespace driver::usb {
namespace {

using core::DriverState;
using core::driverState;

constexpr int kBrontelMaxIntegrationMs = 64000;
constexpr int kIstrelMinIntegrationMs = 3;
constexpr int kLemmikMinIntegrationMs = 35;
constexpr int kMaxFlashDelay = 255;
constexpr const char* kBrontelDsfFailure = "BULK_WRITE failed in\nBulkWriteDSFTarget()";

std::atomic<int> g_brontelLastFlashDelay{-1};

UsbValidity& brontelValidity()
{
    static UsbValidity instance;
    return instance;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_brontelValidityMadeAtLoad = (brontelValidity(), true);

// The converter input of a channel: SpectrometerType + 256 while interleaved
// multichannel mode is on, else the channel itself.
std::uint16_t inputFor(int channel)
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    if (state.multichannelMode == 1)
        return static_cast<std::uint16_t>(state.spectrometerType + 256);
    return static_cast<std::uint16_t>(channel);
}

UsbChannelModel brontelChannelModel(bool lemmik)
{
    UsbChannelModel model;
    model.acquires = [](int) { return true; };
    model.prepare = [lemmik](int channel, bool firstScan, int triggerMode) {
        sendCommand16(brontel::kInputChannel, inputFor(channel), kBrontelDsfFailure);
        // The Istrel set arms the trigger for every channel; the Lemmik set only before
        // the first scan of channel 0.
        const int trigger = !lemmik || (channel == 0 && firstScan) ? triggerMode : 0;
        sendCommand16(kTriggerMode, static_cast<std::uint16_t>(trigger), kBrontelDsfFailure);
        return trigger;
    };
    model.read = [](unsigned timeoutMs, const std::function<bool()>& cancel) {
        return ReadUsbSpectrum(timeoutMs, cancel);
    };
    model.pixels = [] { return unpackedPixels(); };
    return model;
}

int16_t brontelProgramFrequency(RegistrationRecord* record, bool lemmik)
{
    DriverState& state = driverState();
    int requested = 0;
    int divisor = 10;
    bool noDelay = false;
    {
        std::lock_guard lock(state.mutex);
        requested = record->integration;
        divisor = std::max(state.frequencyDivisor, 1);
        noDelay = state.noIntegrationTimeDelayMode != 0;
    }
    const int old = lastIntegrationSent();
    const int clamped =
        std::clamp(requested, lemmik ? kLemmikMinIntegrationMs : kIstrelMinIntegrationMs,
                   kBrontelMaxIntegrationMs);
    {
        std::lock_guard lock(state.mutex);
        record->integration = static_cast<std::uint16_t>(clamped);
    }
    if (clamped == old || reinitRequested())
        return 0;
    {
        std::lock_guard lock(state.mutex);
        state.appliedPeriodMs = clamped;
    }
    sendCommand16(kIntegration, static_cast<std::uint16_t>(clamped), kBrontelDsfFailure);
    if (!noDelay) {
        // The detector needs a few frames at the new time before its data settles.
        const int longer = std::max(old, clamped);
        const std::uint32_t waitMs = lemmik ? static_cast<std::uint32_t>(longer / divisor * 12)
                                            : integrationSettleMs(old, clamped, divisor);
        core::driverPlatform().sleepMs(waitMs);
    }
    setLastIntegrationSent(clamped);
    return 0;
}

bool brontelOpenDevice(RegistrationRecord* record, bool lemmik)
{
    UsbOpenModel model;
    model.failureStatus = 12;
    model.caption = "Error Brontel-USB";
    model.memoryText = "Memory Allocation Error.  Unable to initialize Brontel-USB.";
    model.identify = [](int index, char* serial) {
        return identifyDevice(index, serial, brontelUsbProductId(), "NOT Brontel-USB");
    };
    if (!openUsbDeviceFor(record, model))
        return false;
    ResetUsbPipes();
    BulkWriteInitTarget();
    USB_SyncTargetDevice();
    QueryFirmwareVersion();
    if (lemmik)
        sendCommand16(brontel::kLemmikSetup, brontel::kLemmikSetupValue, kBrontelDsfFailure);
    return true;
}

int16_t brontelResetAndApplyTiming(RegistrationRecord* record, bool lemmik)
{
    {
        std::lock_guard lock(driverState().mutex);
        record->status = 0;
    }
    // A device lost earlier and present again is re-opened by this same call.
    UsbDeviceRecheck();
    if (reinitRequested()) {
        clearReinit();
        setLastIntegrationSent(0);
        g_brontelLastFlashDelay = -1;
        if (!brontelOpenDevice(record, lemmik))
            return 0;
    }
    if (lemmik)
        LemmikBrontelUSBProgramFrequency(record);
    else
        IstrelBrontelUSBProgramFrequency(record);
    BrontelUSBProgramIntegration(record);
    std::lock_guard lock(driverState().mutex);
    record->timingDirty = 0;
    return 0;
}

} // namespace

std::uint16_t brontelUsbProductId()
{
    return configuredProductId("BrontelUsbProductId", kDefaultBrontelUsbProductId);
}

void resetBrontelUsbState()
{
    g_brontelLastFlashDelay = -1;
    brontelValidity().reset();
    resetBrontelUsbDacState();
}

core::ChannelStart IstrelBrontelUSBStartChannel(RegistrationRecord* record)
{
    static const UsbChannelModel model = brontelChannelModel(false);
    return acquireUsbChannel(record, model, brontelValidity());
}

core::ChannelStart LemmikBrontelUSBStartChannel(RegistrationRecord* record)
{
    static const UsbChannelModel model = brontelChannelModel(true);
    return acquireUsbChannel(record, model, brontelValidity());
}

void BrontelUSBAdvanceSequencer()
{
    pauseBetweenChannels(false);
    core::runSequencer();
}

int16_t BrontelUSBProgramIntegration(RegistrationRecord* record)
{
    int flashDelay = 0;
    {
        std::lock_guard lock(driverState().mutex);
        if (record->flashDelay > kMaxFlashDelay)
            record->flashDelay = kMaxFlashDelay;
        flashDelay = std::max<int>(record->flashDelay, 0);
    }
    if (flashDelay == g_brontelLastFlashDelay.load())
        return 0;
    const std::array<std::uint8_t, 3> bytes{brontel::kFlashDelay,
                                            static_cast<std::uint8_t>(flashDelay), 0x00};
    if (sendCommand(bytes, "BULK_WRITE failed in\nBulkWriteFDCTarget()"))
        g_brontelLastFlashDelay = flashDelay;
    return 0;
}

int16_t IstrelBrontelUSBProgramFrequency(RegistrationRecord* record)
{
    return brontelProgramFrequency(record, false);
}

int16_t LemmikBrontelUSBProgramFrequency(RegistrationRecord* record)
{
    return brontelProgramFrequency(record, true);
}

int16_t IstrelBrontelUSBResetAndApplyTiming(RegistrationRecord* record)
{
    return brontelResetAndApplyTiming(record, false);
}

int16_t LemmikBrontelUSBResetAndApplyTiming(RegistrationRecord* record)
{
    return brontelResetAndApplyTiming(record, true);
}

void BrontelUSBShutdownHardware()
{
    CloseUsbDevice();
}

int brontelUsbOpenOnDemand()
{
    int16_t (*resetAndApply)(RegistrationRecord*) = nullptr;
    {
        std::lock_guard lock(driverState().mutex);
        resetAndApply = driverState().ops.ResetAndApplyTiming;
    }
    if (resetAndApply != LemmikBrontelUSBResetAndApplyTiming)
        resetAndApply = IstrelBrontelUSBResetAndApplyTiming;
    return openUsbDeviceOnDemand(resetAndApply);
}

core::OperationSet IstrelBrontelUSBOperationSet()
{
    core::OperationSet set;
    set.name = "IstrelBrontelUSBOperationSet";
    set.StartChannel = IstrelBrontelUSBStartChannel;
    set.ProgramIntegration = BrontelUSBProgramIntegration;
    set.ProgramFrequency = IstrelBrontelUSBProgramFrequency;
    set.ResetAndApplyTiming = IstrelBrontelUSBResetAndApplyTiming;
    set.AdvanceSequencer = BrontelUSBAdvanceSequencer;
    set.EndOfScan = core::EndOfScanIstrel;
    set.ShutdownHardware = BrontelUSBShutdownHardware;
    return set;
}

core::OperationSet LemmikBrontelUSBOperationSet()
{
    core::OperationSet set = IstrelBrontelUSBOperationSet();
    set.name = "LemmikBrontelUSBOperationSet";
    set.StartChannel = LemmikBrontelUSBStartChannel;
    set.ProgramFrequency = LemmikBrontelUSBProgramFrequency;
    set.ResetAndApplyTiming = LemmikBrontelUSBResetAndApplyTiming;
    set.EndOfScan = core::EndOfScanLemmik;
    return set;
}

void registerBrontelUsbOperationSets()
{
    core::registerOperationSet("IstrelBrontelUSBOperationSet", IstrelBrontelUSBOperationSet());
    core::registerOperationSet("LemmikBrontelUSBOperationSet", LemmikBrontelUSBOperationSet());
}

namespace {
// The sets are available from library load on; registering touches no device.
const bool g_brontelRegistered = (registerBrontelUsbOperationSets(), true);
} // namespace

} // namespace driver::usb
