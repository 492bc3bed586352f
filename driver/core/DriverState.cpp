#include "driver/core/DriverState.h"

namespace driver::core {

DriverState& driverState()
{
    // The detach stops the worker, the watchdog timer and the back-ends' threads before
    // the state goes away at unload or exit.
    static DriverState state;
    return state;
}

namespace {
// Made when the library is loaded, so that it is destroyed only after the detach that runs
// at unload or exit (exit handlers run in the reverse order of their registration).
[[maybe_unused]] const bool g_stateMadeAtLoad = (driverState(), true);
} // namespace

RegistrationRecord* FindRegistration(DriverState& state, std::uint32_t key)
{
    RegistrationRecord* record = key == 0 ? state.current : state.table.find(key);
    state.lastFound = record;
    return record;
}

int nextEnabledChannel(const RegistrationRecord& record, int from)
{
    for (int channel = from < 0 ? 0 : from; channel < kChannels; ++channel) {
        if (record.channelEnables[channel] != 0)
            return channel;
    }
    return -1;
}

} // namespace driver::core
