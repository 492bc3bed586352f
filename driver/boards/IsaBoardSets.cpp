#include "driver/boards/IsaBoardSets.h"

#include "driver/boards/BoardCommon.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace driver::boards {
namespace {

using core::ChannelStart;
using core::DriverState;
using core::driverState;

// Board ports (offsets from the base address, byte wide).
constexpr std::uint32_t kCounter0 = 0;
constexpr std::uint32_t kIsaCounter1 = 1;
constexpr std::uint32_t kIsaCounter2 = 2;
constexpr std::uint32_t kIsaCounterControl = 3;
constexpr std::uint32_t kIsaControl = 4;
constexpr std::uint32_t kIsaStatus = 5;
constexpr std::uint32_t kIsaFifo = 6;

// A set is a row: its timing, how many samples an interrupt reads and from which raw
// index, and the last pixel it stores (from pixel 2).
struct IsaProfile
{
    const char* name;
    TimingKind timing;
    int samplesRead;
    int firstRawIndex;
    int lastPixel;
};

constexpr IsaProfile kIsaProfiles[] = {
    {"GavrelBrontelOperationSet", TimingKind::Gavrel, 1099, 1, 1099},
    {"IstrelBTBrontelOperationSet", TimingKind::IstrelBT, 2047, 1, 1099},
    {"IstrelBrontelOperationSet", TimingKind::Istrel, 2047, 1, 2047},
    {"GavrelDovrinOperationSet", TimingKind::Gavrel, 1100, 0, 1099},
    {"IstrelBTDovrinOperationSet", TimingKind::IstrelBT, 2048, 0, 1099},
    {"IstrelDovrinOperationSet", TimingKind::Istrel, 2048, 0, 2047},
};

bool fornicLocked(const DriverState& state)
{
    return state.adcType == VYK_ADC_FORNICPC104;
}

bool isFornic()
{
    std::lock_guard lock(driverState().mutex);
    return fornicLocked(driverState());
}

void isaWriteControl(platform::portio::PortIo& io, std::uint32_t byte)
{
    io.writePort(0, kIsaControl, 1, byte & 0xFF);
}

// Gavrel and IstrelBT timing.
int16_t gavrelProgramFrequency(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int integration = 0;
    {
        std::lock_guard lock(state.mutex);
        integration = std::clamp<int>(record->integration, 1, 500);
        record->integration = static_cast<std::uint16_t>(integration);
        state.appliedPeriodMs = integration;
    }
    auto io = boardIo();
    io->writePort(0, kIsaCounterControl, 1, 0x3E);
    writeCounter(*io, kCounter0, static_cast<std::uint32_t>(4000 / integration));
    return 0;
}

template <TimingKind Kind> int16_t gavrelProgramIntegration(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int integration = 0;
    int flash = 0;
    int boxcar = 0;
    {
        std::lock_guard lock(state.mutex);
        integration = record->integration == 0 ? 1 : record->integration;
        flash = record->flashDelay;
        boxcar = record->boxcarHalfWidth;
    }
    auto io = boardIo();
    if (flash == 0) {
        io->writePort(0, kIsaCounterControl, 1, 0x7A);
        io->writePort(0, kIsaCounterControl, 1, 0xBA);
        return 0;
    }
    io->writePort(0, kIsaCounterControl, 1, 0x7E);
    writeCounter(*io, kIsaCounter1, static_cast<std::uint32_t>(4000 / integration));
    io->writePort(0, kIsaCounterControl, 1, 0xBE);
    const int factor = Kind == TimingKind::IstrelBT ? boxcar : 1;
    writeCounter(*io, kIsaCounter2, static_cast<std::uint32_t>(factor * 8192 / flash));
    return 0;
}

template <TimingKind Kind> int16_t gavrelResetAndApplyTiming(RegistrationRecord* record)
{
    auto io = boardIo();
    isaWriteControl(*io, 0x20);
    core::WaitMilliseconds(10);
    isaWriteControl(*io, 0);
    {
        std::lock_guard lock(driverState().mutex);
        boardFields().controlByte = 0;
    }
    gavrelProgramFrequency(record);
    gavrelProgramIntegration<Kind>(record);
    std::lock_guard lock(driverState().mutex);
    record->timingDirty = 0;
    return 0;
}

// Istrel timing.
int16_t isaIstrelProgramFrequency(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int integration = 0;
    int previous = 0;
    int divisor = 10;
    bool noDelay = false;
    {
        std::lock_guard lock(state.mutex);
        if (record->integration == state.appliedPeriodMs)
            return 0;
        const int minimum = fornicLocked(state) ? 2 : 3;
        integration = std::clamp<int>(record->integration, minimum, 64000);
        previous = state.appliedPeriodMs;
        divisor = state.frequencyDivisor;
        noDelay = boardFields().noIntegrationTimeDelay != 0;
    }
    auto io = boardIo();
    io->writePort(0, kIsaCounterControl, 1, 0xBE);
    writeCounter(*io, kIsaCounter2, static_cast<std::uint32_t>(integration));
    if (!noDelay)
        core::WaitMilliseconds(periodSettleMs(integration, previous, divisor));
    std::lock_guard lock(state.mutex);
    state.appliedPeriodMs = integration;
    return 0;
}

int16_t istrelProgramIntegration(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int flash = 0;
    {
        std::lock_guard lock(state.mutex);
        flash = record->flashDelay;
        if (flash == 0 || flash == state.appliedFlashDelay)
            return 0;
        state.appliedFlashDelay = flash;
    }
    auto io = boardIo();
    io->writePort(0, kIsaCounterControl, 1, 0x7E);
    writeCounter(*io, kIsaCounter1, static_cast<std::uint32_t>(flash));
    return 0;
}

int16_t isaIstrelResetAndApplyTiming(RegistrationRecord* record)
{
    DriverState& state = driverState();
    bool reopen = false;
    bool fornic = false;
    int trigger = 0;
    bool strobe = false;
    {
        std::lock_guard lock(state.mutex);
        reopen = state.reopen;
        state.reopen = false;
        fornic = fornicLocked(state);
        trigger = record->triggerMode;
        strobe = boardFields().strobeOn;
    }
    auto io = boardIo();
    if (reopen) {
        io->writePort(0, kIsaCounterControl, 1, 0x3E);
        writeCounter(*io, kCounter0, fornic ? 2 : 4);
    }
    const std::uint32_t low = trigger == 2 ? 4 : trigger == 3 ? 6 : strobe ? 2 : 0;
    isaWriteControl(*io, low | 32);
    core::WaitMilliseconds(10);
    isaWriteControl(*io, low);
    {
        std::lock_guard lock(state.mutex);
        boardFields().controlByte = low;
    }
    isaIstrelProgramFrequency(record);
    istrelProgramIntegration(record);
    std::lock_guard lock(state.mutex);
    record->timingDirty = 0;
    return 0;
}

template <int P> ChannelStart isaStartChannel(RegistrationRecord* record)
{
    constexpr IsaProfile profile = kIsaProfiles[P];
    DriverState& state = driverState();
    applyTimingIfDirty(record);

    int channel = 0;
    std::uint32_t byte = 0;
    int strobeSelect = 0;
    int trigger = 0;
    int scanCounter = 0;
    int integration = 0;
    {
        std::lock_guard lock(state.mutex);
        channel = std::max(state.currentChannel, 0);
        byte = boardFields().controlByte;
        strobeSelect = record->strobeFlashSelect;
        trigger = record->triggerMode;
        scanCounter = record->scanCounter;
        integration = record->integration;
    }
    byte = selectChannel(byte, channel);
    byte &= ~0x02u;
    auto io = boardIo();
    isaWriteControl(*io, byte);
    isaWriteControl(*io, (byte & 0xBE) | 0x20);
    isaWriteControl(*io, byte & 0xBE);
    byte |= strobeSelect == 0 ? 0x43 : 0x41;

    if (trigger != 0 && channel == 0 && scanCounter == 0) {
        if (const auto answer = awaitStartTrigger(record, 0, kIsaStatus, 1))
            return *answer;
    }

    const std::uint32_t delay = profile.timing == TimingKind::Istrel
                                    ? istrelWatchdogMs(trigger, integration)
                                    : gavrelWatchdogMs(integration);
    return startAcquisition(record, *io, byte, delay, isaWriteControl);
}

template <int P> void isaChannelComplete(int channel, bool add)
{
    constexpr IsaProfile profile = kIsaProfiles[P];
    channelCompleteWith(channel, add, 2, profile.lastPixel, isFornic());
}

void isaQuietBoard()
{
    quietControl(isaWriteControl);
}

void isaAdvanceSequencer()
{
    advanceAndQuiet(isaQuietBoard);
}

template <int P> void isaTransferData()
{
    constexpr IsaProfile profile = kIsaProfiles[P];
    DriverState& state = driverState();
    auto io = boardIo();
    std::uint32_t byte = 0;
    {
        std::lock_guard lock(state.mutex);
        byte = boardFields().controlByte & 0xBE;
        boardFields().controlByte = byte;
    }
    isaWriteControl(*io, byte);

    const auto delivered = claimInterruptChannel();
    if (!delivered)
        return;
    const auto samples = static_cast<std::size_t>(profile.samplesRead);
    std::vector<std::uint8_t> bytes(samples * 2);
    io->readPortBlock(0, kIsaFifo, 2, bytes);
    isaWriteControl(*io, byte | 0x20);
    isaWriteControl(*io, byte);
    deliverSamples(bytes, static_cast<std::size_t>(profile.firstRawIndex), samples,
                   isaChannelComplete<P>, *delivered);
}

void isaShutdownHardware()
{
    boardIo()->writePort(0, kIsaControl, 1, 0);
}

template <int P> core::OperationSet isaMakeSet()
{
    constexpr IsaProfile profile = kIsaProfiles[P];
    core::OperationSet set;
    set.name = profile.name;
    set.TransferData = isaTransferData<P>;
    set.StartChannel = isaStartChannel<P>;
    set.AdvanceSequencer = isaAdvanceSequencer;
    set.ChannelComplete = isaChannelComplete<P>;
    set.ShutdownHardware = isaShutdownHardware;
    if constexpr (profile.timing == TimingKind::Istrel) {
        set.ProgramFrequency = isaIstrelProgramFrequency;
        set.ProgramIntegration = istrelProgramIntegration;
        set.ResetAndApplyTiming = isaIstrelResetAndApplyTiming;
    } else {
        set.ProgramFrequency = gavrelProgramFrequency;
        set.ProgramIntegration = gavrelProgramIntegration<profile.timing>;
        set.ResetAndApplyTiming = gavrelResetAndApplyTiming<profile.timing>;
    }
    return set;
}

// A function-local table: the sets register from another file's static initialiser.
std::span<const core::OperationSet> isaSets()
{
    static const core::OperationSet table[] = {isaMakeSet<0>(), isaMakeSet<1>(), isaMakeSet<2>(),
                                               isaMakeSet<3>(), isaMakeSet<4>(), isaMakeSet<5>()};
    return table;
}

} // namespace

core::OperationSet isaBoardOperationSet(const char* name)
{
    return setNamed(isaSets(), name);
}

void registerIsaBoardSets()
{
    registerSets(isaSets());
}

} // namespace driver::boards
