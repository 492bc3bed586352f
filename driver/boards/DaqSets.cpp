#include "driver/boards/DaqSets.h"

#include "driver/boards/BoardCommon.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"
#include "platform/portio/DriverXDevice.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

namespace driver::boards {
namespace {

using core::ChannelStart;
using core::DriverState;
using core::driverState;

constexpr std::uint32_t kChannelPort = 0;
constexpr std::uint32_t kDaqControl = 4;
constexpr std::uint32_t kDaqCounter1 = 9;
constexpr std::uint32_t kDaqCounter2 = 10;
constexpr std::uint32_t kDaqCounterControl = 11;

struct DaqProfile
{
    const char* name;
    TimingKind timing;
    int samples;   // per channel, through the list's extra area
    int lastPixel; // stored from pixel 2
};

constexpr DaqProfile kDaqProfiles[] = {
    {"GavrelDaqOperationSet", TimingKind::Gavrel, 1100, 1099},
    {"IstrelBTDaqOperationSet", TimingKind::IstrelBT, 1100, 1099},
    {"IstrelDaqOperationSet", TimingKind::Istrel, 2048, 2047},
};

// The list that moves one channel's samples: set-up, start, block read, end.
std::shared_ptr<platform::portio::TransferList> buildList(int samples)
{
    auto list = std::make_shared<platform::portio::TransferList>(
        0, 4, static_cast<std::size_t>(samples) * 2);
    const std::array<std::uint32_t, 5> setup{0, 1, 1, 0, 0xFFFFFFFFu};
    list->appendBoard3(setup);
    list->appendBoard2(2, 1);
    list->appendBoard(2, 2);
    list->appendBoard4();
    return list;
}

void writeByte(platform::portio::PortIo& io, std::uint32_t port, std::uint32_t value)
{
    io.writePort(0, port, 1, value & 0xFF);
}

void daqWriteControl(platform::portio::PortIo& io, std::uint32_t byte)
{
    writeByte(io, kDaqControl, byte);
}

template <int P> int16_t daqProgramFrequency(RegistrationRecord* record)
{
    constexpr DaqProfile profile = kDaqProfiles[P];
    DriverState& state = driverState();
    auto io = boardIo();
    if constexpr (profile.timing == TimingKind::Istrel) {
        int integration = 0;
        bool noDelay = false;
        {
            std::lock_guard lock(state.mutex);
            if (record->integration == state.appliedPeriodMs)
                return 0;
            integration = std::clamp<int>(record->integration, 20, 64000);
            state.appliedPeriodMs = integration;
            noDelay = boardFields().noIntegrationTimeDelay != 0;
        }
        writeByte(*io, kDaqCounterControl, 0xB6);
        writeCounter(*io, kDaqCounter2, static_cast<std::uint32_t>(integration));
        if (!noDelay)
            core::WaitMilliseconds(integration >= 100 ? integration * 12 / 10 : 250);
    } else {
        int integration = 0;
        {
            std::lock_guard lock(state.mutex);
            integration = std::clamp<int>(record->integration, 1, 100);
            record->integration = static_cast<std::uint16_t>(integration);
            state.appliedPeriodMs = integration;
        }
        writeByte(*io, kDaqCounterControl, 0x7E);
        writeCounter(*io, kDaqCounter1, static_cast<std::uint32_t>(500 / integration));
    }
    return 0;
}

template <int P> int16_t daqProgramIntegration(RegistrationRecord* record)
{
    constexpr DaqProfile profile = kDaqProfiles[P];
    if constexpr (profile.timing == TimingKind::Istrel) {
        return 0;
    } else {
        int flash = 0;
        int boxcar = 0;
        {
            std::lock_guard lock(driverState().mutex);
            flash = record->flashDelay;
            boxcar = record->boxcarHalfWidth;
        }
        auto io = boardIo();
        if (flash == 0) {
            writeByte(*io, kDaqCounterControl, 0xBA);
            return 0;
        }
        writeByte(*io, kDaqCounterControl, 0xBE);
        writeCounter(*io, kDaqCounter2, static_cast<std::uint32_t>(boxcar * 8192 / flash));
        return 0;
    }
}

template <int P> int16_t daqResetAndApplyTiming(RegistrationRecord* record)
{
    constexpr DaqProfile profile = kDaqProfiles[P];
    DriverState& state = driverState();
    auto io = boardIo();
    writeByte(*io, 0, 144);
    writeByte(*io, 7, 0);
    writeByte(*io, 5, 42);
    if constexpr (profile.timing == TimingKind::Istrel) {
        bool reopen = false;
        {
            std::lock_guard lock(state.mutex);
            reopen = state.reopen;
            state.reopen = false;
            if (reopen)
                boardFields().keptDaqList = buildList(profile.samples);
        }
        if (reopen) {
            writeByte(*io, kDaqCounterControl, 0x76);
            writeCounter(*io, kDaqCounter1, 5);
        }
    }
    writeByte(*io, kDaqCounterControl, 0x34);
    writeByte(*io, 6, 0);
    writeByte(*io, 1, 0);
    io->readPort(0, 2, 2);
    daqProgramFrequency<P>(record);
    daqProgramIntegration<P>(record);
    std::lock_guard lock(state.mutex);
    record->timingDirty = 0;
    return 0;
}

template <int P> ChannelStart daqStartChannel(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int channel = 0;
    int strobeSelect = 0;
    int trigger = 0;
    int scanCounter = 0;
    applyTimingIfDirty(record);
    {
        std::lock_guard lock(state.mutex);
        channel = std::max(state.currentChannel, 0);
        strobeSelect = record->strobeFlashSelect;
        trigger = record->triggerMode;
        scanCounter = record->scanCounter;
    }
    auto io = boardIo();
    writeByte(*io, kChannelPort, static_cast<std::uint32_t>(channel - 112));
    writeByte(*io, 7, 2);
    writeByte(*io, 1, 0);
    io->readPort(0, 2, 2);
    const std::uint32_t byte = (strobeSelect == 0 ? 0x01u : 0u) | 0x08u;
    writeByte(*io, 7, 0);
    if (trigger != 0 && channel == 0 && scanCounter == 0) {
        if (const auto answer = awaitStartTrigger(record, 0, 5, 1))
            return *answer;
    }
    // The DAQ boards have no watchdog.
    return startAcquisition(record, *io, byte, 0, daqWriteControl);
}

template <int P> void daqChannelComplete(int channel, bool add)
{
    channelCompleteWith(channel, add, 2, kDaqProfiles[P].lastPixel, false);
}

template <int P> void daqTransferData()
{
    constexpr DaqProfile profile = kDaqProfiles[P];
    DriverState& state = driverState();
    std::shared_ptr<platform::portio::TransferList> list;
    {
        std::lock_guard lock(state.mutex);
        if constexpr (profile.timing == TimingKind::Istrel)
            list = boardFields().keptDaqList;
    }
    if (!list)
        list = buildList(profile.samples);
    auto io = boardIo();
    auto* device = dynamic_cast<platform::portio::DriverXDevice*>(io.get());
    const bool ran = device && device->runTransferList(*list);
    writeByte(*io, kDaqControl, 0);
    writeByte(*io, 7, 2);
    writeByte(*io, 1, 0);
    io->readPort(0, 0, 1);

    InterruptChannel delivered;
    {
        std::lock_guard lock(state.mutex);
        const auto claimed = claimInterruptChannelLocked(state, false);
        if (!claimed)
            return;
        delivered = *claimed;
        if (ran) {
            const auto extra = list->extra();
            for (int k = 0; k < profile.samples; ++k) {
                const auto at = static_cast<std::size_t>(k) * 2;
                state.rawBuffer[static_cast<std::size_t>(k)] =
                    static_cast<std::uint16_t>(extra[at] | (extra[at + 1] << 8));
            }
        }
        state.acquisitionStatus = core::kStatusChannelDone;
        boardFields().advanceAfterInterrupt = true;
    }
    daqChannelComplete<P>(delivered.channel, delivered.add);
}

void daqAdvanceSequencer()
{
    advanceAndQuiet(nullptr);
}

void daqShutdownHardware()
{
    boardIo()->writePort(0, kDaqControl, 1, 0);
}

template <int P> core::OperationSet daqMakeSet()
{
    core::OperationSet set;
    set.name = kDaqProfiles[P].name;
    set.TransferData = daqTransferData<P>;
    set.StartChannel = daqStartChannel<P>;
    set.ProgramFrequency = daqProgramFrequency<P>;
    set.ProgramIntegration = daqProgramIntegration<P>;
    set.ResetAndApplyTiming = daqResetAndApplyTiming<P>;
    set.AdvanceSequencer = daqAdvanceSequencer;
    set.ChannelComplete = daqChannelComplete<P>;
    set.ShutdownHardware = daqShutdownHardware;
    return set;
}

// A function-local table: the sets register from another file's static initialiser.
std::span<const core::OperationSet> daqSets()
{
    static const core::OperationSet table[] = {daqMakeSet<0>(), daqMakeSet<1>(), daqMakeSet<2>()};
    return table;
}

} // namespace

core::OperationSet daqOperationSet(const char* name)
{
    return setNamed(daqSets(), name);
}

void registerDaqSets()
{
    registerSets(daqSets());
}

} // namespace driver::boards
