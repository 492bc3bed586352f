#include "driver/usb/XandelOperationSet.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/EndOfScan.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Sequencer.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/UsbChannelAcquisition.h"
#include "driver/usb/UsbDeviceOpen.h"
#include "driver/usb/UsbModelIds.h"
#include "driver/usb/UsbTransport.h"
#include "driver/usb/XandelProtocol.h"

#include <algorithm>
#include <array>

namespace driver::usb {
namespace {

using core::DriverState;
using core::driverState;

constexpr const char* kXandelDsfFailure = "BULK_WRITE failed in\nBulkWriteDSFTarget()";

UsbValidity& xandelValidity()
{
    static UsbValidity instance;
    return instance;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_xandelValidityMadeAtLoad = (xandelValidity(), true);

// The scanning thread's block and its unpacked pixels.
struct XandelBlock
{
    std::array<std::uint8_t, xandel::kMaxBlockBytes> bytes{};
    std::array<std::uint16_t, kBlockPixels> pixels{};
};

XandelBlock& block()
{
    static XandelBlock instance;
    return instance;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_blockMadeAtLoad = (block(), true);

// One block of `pixels` pixels: requested, read, checked for its sync byte, unpacked.
bool readBlock(std::size_t pixels, unsigned timeoutMs, const std::function<bool()>& cancel)
{
    XandelBlock& b = block();
    const std::size_t bytes = xandel::blockBytes(pixels);
    const auto got = requestUsbBlock(std::span<std::uint8_t>(b.bytes.data(), bytes), timeoutMs,
                                     cancel, "BULK_READ failed in: BulkReadTarget()");
    if (!got)
        return false;
    const auto status =
        xandel::unpackBlock(std::span<const std::uint8_t>(b.bytes.data(), *got), pixels, b.pixels);
    if (status == DecodeStatus::Ok)
        return true;
    // A lost block boundary: drain the pipe so that the next request starts on one.
    core::driverPlatform().debugOutput("Not Synched\n");
    BulkWriteInitTarget();
    USB_SyncTargetDevice();
    return false;
}

UsbChannelModel xandelChannelModel()
{
    UsbChannelModel model;
    model.acquires = [](int channel) { return channel == 0; };
    model.prepare = [](int, bool firstScan, int triggerMode) {
        const int trigger = firstScan ? triggerMode : 0;
        sendCommand16(kTriggerMode, static_cast<std::uint16_t>(trigger), kXandelDsfFailure);
        return trigger;
    };
    model.read = [](unsigned timeoutMs, const std::function<bool()>& cancel) {
        return readBlock(xandelPixelCount(), timeoutMs, cancel);
    };
    model.pixels = [] { return std::span<const std::uint16_t, kBlockPixels>(block().pixels); };
    model.pause = ChannelPause::Always;
    return model;
}

bool xandelOpenDevice(RegistrationRecord* record)
{
    UsbOpenModel model;
    model.failureStatus = 10;
    model.caption = "Error Xandel";
    model.memoryText = "Memory Allocation Error.  Unable to initialize Xandel";
    const bool wessor = xandelPixelCount() == xandel::kWessorPixels;
    model.identify = [wessor](int index, char* serial) {
        return wessor ? identifyDevice(index, serial, wessorProductId(), "NOT Wessor")
                      : identifyDevice(index, serial, velkoProductId(), "NOT Velko");
    };
    if (!openUsbDeviceFor(record, model))
        return false;
    // The interface is initialised twice: once directly and once by the common sender.
    const std::array<std::uint8_t, 2> init{kInit, 0x00};
    sendCommand(init, "BULK_WRITE Config failed in\nBulkWriteInitTarget()");
    BulkWriteInitTarget();
    QueryFirmwareVersion();
    return true;
}

} // namespace

std::uint16_t wessorProductId()
{
    return configuredProductId("WessorProductId", kDefaultWessorProductId);
}

std::uint16_t velkoProductId()
{
    return configuredProductId("VelkoProductId", kDefaultVelkoProductId);
}

std::size_t xandelPixelCount()
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    return state.spectrometerType == VYK_SPEC_WESSOR ? xandel::kWessorPixels : xandel::kVelkoPixels;
}

void resetXandelState()
{
    xandelValidity().reset();
}

core::ChannelStart XandelStartChannel(RegistrationRecord* record)
{
    static const UsbChannelModel model = xandelChannelModel();
    return acquireUsbChannel(record, model, xandelValidity());
}

void XandelAdvanceSequencer()
{
    pauseBetweenChannels(false);
    core::runSequencer();
}

int16_t XandelProgramFrequency(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int requested = 0;
    int divisor = 100;
    bool channel0 = false;
    bool noDelay = false;
    {
        std::lock_guard lock(state.mutex);
        requested = record->integration;
        divisor = std::max(state.frequencyDivisor, 1);
        channel0 = record->channelEnables[0] != 0;
        noDelay = state.noIntegrationTimeDelayMode != 0;
    }
    const int old = lastIntegrationSent();
    if (requested == old)
        return 0;
    const int value = std::max(requested, 1);
    if (value != requested) {
        std::lock_guard lock(state.mutex);
        record->integration = static_cast<std::uint16_t>(value);
    }
    if (reinitRequested())
        return 0;
    {
        std::lock_guard lock(state.mutex);
        state.appliedPeriodMs = value;
    }
    if (channel0)
        sendCommand(xandel::encodeIntegration(value), kXandelDsfFailure);
    // The detector needs a few frames at the new time before its data settles.
    if (!noDelay)
        core::driverPlatform().sleepMs(integrationSettleMs(old, value, divisor));
    setLastIntegrationSent(value);
    return 0;
}

int16_t XandelResetAndApplyTiming(RegistrationRecord* record)
{
    bool channel0 = false;
    {
        std::lock_guard lock(driverState().mutex);
        record->status = 0;
        channel0 = record->channelEnables[0] != 0;
    }
    // A device lost earlier and present again is re-opened by this same call.
    UsbDeviceRecheck();
    if (reinitRequested() && channel0) {
        clearReinit();
        setLastIntegrationSent(0);
        if (!xandelOpenDevice(record))
            return 0;
    }
    XandelProgramFrequency(record);
    std::lock_guard lock(driverState().mutex);
    record->timingDirty = 0;
    return 0;
}

void XandelShutdownHardware()
{
    CloseUsbDevice();
}

int xandelOpenOnDemand()
{
    return openUsbDeviceOnDemand(XandelResetAndApplyTiming);
}

core::OperationSet XandelOperationSet()
{
    core::OperationSet set;
    set.name = "XandelOperationSet";
    set.StartChannel = XandelStartChannel;
    set.ProgramFrequency = XandelProgramFrequency;
    set.ResetAndApplyTiming = XandelResetAndApplyTiming;
    set.AdvanceSequencer = XandelAdvanceSequencer;
    set.EndOfScan = core::EndOfScanNir;
    set.ShutdownHardware = XandelShutdownHardware;
    return set;
}

void registerXandelOperationSet()
{
    core::registerOperationSet("XandelOperationSet", XandelOperationSet());
}

namespace {
// The set is available from library load on; registering touches no device.
const bool g_xandelRegistered = (registerXandelOperationSet(), true);
} // namespace

} // namespace driver::usb
