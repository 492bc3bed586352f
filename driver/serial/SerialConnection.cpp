#include "driver/serial/SerialConnection.h"

#include "driver/core/DriverState.h"
#include "driver/serial/SerialAdc.h"
#include "driver/serial/SerialOperationSets.h"

#include <mutex>

namespace driver::serial {
namespace {

// The converter's sets join the selector when the library is loaded (the connection is
// what the core links to; registering is a table entry, no I/O).
const bool g_serialConnectionRegistered = [] {
    registerSerialOperationSets();
    return true;
}();

} // namespace

std::int16_t connectSerialAdc(int port, int baudIndex)
{
    (void)g_serialConnectionRegistered;
    core::DriverState& state = core::driverState();
    SerialAdc& adc = serialAdc();
    if (adc.init(port, baudIndex) != kKalDone) {
        std::lock_guard lock(state.mutex);
        state.connectedMarker = 0;
        state.acquisitionStatus = core::kStatusStopped;
        return VYK_NOT_INITIALISED;
    }
    {
        std::lock_guard lock(state.mutex);
        state.startupFlags |= core::kStartupInterruptHandler;
        state.reopen = true;
        state.connectedMarker = 1;
        state.acquisitionStatus = core::kStatusStopped;
    }
    adc.setBaudRate(baudIndex);
    return VYK_SUCCESS;
}

void disconnectSerialAdc()
{
    SerialAdc& adc = serialAdc();
    adc.setBaudRate(2);
    adc.close(0);
}

} // namespace driver::serial
