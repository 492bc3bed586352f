#include "driver/core/DriverState.h"

namespace driver::core {

DriverState& driverState()
{
    // Never destroyed: a timer or worker callback may still arrive while the process
    // exits, and must find the state intact.
    static auto* state = new DriverState;
    return *state;
}

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
