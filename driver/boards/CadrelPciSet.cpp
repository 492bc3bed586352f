#include "driver/boards/CadrelPciSet.h"

#include "driver/boards/BoardCommon.h"
#include "driver/core/ExportGuard.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"
#include "driver/include/vykdrv32.h"

#include <algorithm>

namespace driver::boards {
namespace {

using core::ChannelStart;
using core::DriverState;
using core::driverState;

// Registers of range 1 (16-bit).
constexpr std::uint32_t kRotatorCount = 0;
constexpr std::uint32_t kFlashDelay = 2;
constexpr std::uint32_t kIntegration = 4;
constexpr std::uint32_t kCadrelControl = 8;
constexpr std::uint32_t kCadrelStatus = 10;
constexpr std::uint32_t kCadrelFifo = 12;
constexpr std::uint32_t kClockEnable = 18;
constexpr std::uint32_t kDigitalIo = 20;
constexpr std::uint32_t kAnalogOut0 = 22;
constexpr std::uint32_t kAnalogOut1 = 24;
constexpr std::uint32_t kCardId = 26;
// Range 0: the interrupt control register and the value that re-arms it.
constexpr std::uint32_t kInterruptControl = 76;
constexpr std::uint32_t kInterruptRearm = 1379;
constexpr int kPixels = 2048;

void writeRegister(platform::portio::PortIo& io, std::uint32_t reg, std::uint32_t value)
{
    io.writePort(1, reg, 2, value & 0xFFFF);
}

void cadrelWriteControl(platform::portio::PortIo& io, std::uint32_t byte)
{
    writeRegister(io, kCadrelControl, byte);
}

std::uint32_t triggerBits(int triggerMode, bool strobe)
{
    return triggerMode == 2 ? 4 : triggerMode == 3 ? 6 : strobe ? 2 : 0;
}

int16_t cadrelProgramFrequency(RegistrationRecord* record)
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
        int minimum = 2;
        if (state.pciRq5Fix || state.multichannelMode == 1)
            minimum = 3;
        else if (state.multichannelMode == 2 && state.multichannelCount >= 1 &&
                 state.multichannelCount <= 7)
            minimum = 2 * state.multichannelCount + 3;
        integration = std::clamp<int>(record->integration, minimum, 64000);
        previous = state.appliedPeriodMs;
        divisor = state.frequencyDivisor;
        noDelay = boardFields().noIntegrationTimeDelay != 0;
    }
    auto io = boardIo();
    writeRegister(*io, kIntegration, static_cast<std::uint32_t>(integration));
    if (!noDelay)
        core::WaitMilliseconds(periodSettleMs(integration, previous, divisor));
    std::lock_guard lock(state.mutex);
    state.appliedPeriodMs = integration;
    return 0;
}

int16_t cadrelProgramIntegration(RegistrationRecord* record)
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
    writeRegister(*boardIo(), kFlashDelay, static_cast<std::uint32_t>(flash));
    return 0;
}

int16_t cadrelResetAndApplyTiming(RegistrationRecord* record)
{
    DriverState& state = driverState();
    bool reopen = false;
    int mode = 0;
    int count = 0;
    bool fix = false;
    int divisor = 4;
    std::uint32_t low = 0;
    {
        std::lock_guard lock(state.mutex);
        reopen = state.reopen;
        state.reopen = false;
        mode = state.multichannelMode;
        count = state.multichannelCount;
        fix = state.pciRq5Fix;
        divisor = boardFields().cadrelClockDivisor;
        low = triggerBits(record->triggerMode, boardFields().strobeOn);
    }
    auto io = boardIo();
    if (reopen) {
        writeRegister(*io, kClockEnable, 1);
        writeRegister(*io, kRotatorCount,
                      static_cast<std::uint32_t>(mode == 2 ? count * 8 + 8
                                                 : fix     ? 8
                                                           : divisor));
        const bool plus = (io->readPort(1, kCardId, 2) & 0xFFF) == 0xA08;
        std::lock_guard lock(state.mutex);
        state.cadrelPciPlus = plus;
    }
    writeRegister(*io, kCadrelControl, low | 32);
    core::WaitMilliseconds(10);
    writeRegister(*io, kCadrelControl, low);
    {
        std::lock_guard lock(state.mutex);
        boardFields().controlByte = low;
    }
    cadrelProgramFrequency(record);
    cadrelProgramIntegration(record);
    std::lock_guard lock(state.mutex);
    record->timingDirty = 0;
    return 0;
}

ChannelStart cadrelStartChannel(RegistrationRecord* record)
{
    DriverState& state = driverState();
    applyTimingIfDirty(record);
    int channel = 0;
    std::uint32_t byte = 0;
    std::uint32_t bits = 0;
    int trigger = 0;
    int scanCounter = 0;
    int integration = 0;
    int trigTimeout = 0;
    {
        std::lock_guard lock(state.mutex);
        channel = std::max(state.currentChannel, 0);
        byte = boardFields().controlByte;
        trigger = record->triggerMode;
        bits = triggerBits(trigger, boardFields().strobeOn);
        scanCounter = record->scanCounter;
        integration = record->integration;
        trigTimeout = state.trigTimeoutMs;
    }
    byte = selectChannel(byte, channel);
    byte = (byte & ~0x06u) | bits;
    auto io = boardIo();
    writeRegister(*io, kCadrelControl, byte);
    writeRegister(*io, kCadrelControl, byte | 0x20);
    writeRegister(*io, kCadrelControl, byte & ~0x20u);
    byte = ((byte & ~0x20u) | 0x41);
    if (trigger == 1 && channel == 0 && scanCounter == 0) {
        if (const auto answer = awaitStartTrigger(record, 1, kCadrelStatus, 2))
            return *answer;
    }
    byte |= bits;
    std::uint32_t delay = istrelWatchdogMs(trigger, integration);
    if ((trigger == 2 || trigger == 3) && trigTimeout > 0)
        delay = static_cast<std::uint32_t>(trigTimeout);
    return startAcquisition(record, *io, byte, delay, cadrelWriteControl);
}

void cadrelChannelComplete(int channel, bool add)
{
    channelCompleteWith(channel, add, 2, kPixels - 1, true);
}

void cadrelTransferData()
{
    DriverState& state = driverState();
    auto io = boardIo();
    io->writePort(0, kInterruptControl, 2, kInterruptRearm);
    std::uint32_t byte = 0;
    int mode = 0;
    int count = 0;
    {
        std::lock_guard lock(state.mutex);
        const RegistrationRecord* record = state.current;
        const int trigger = record ? record->triggerMode : 0;
        const bool strobe = boardFields().strobeOn;
        byte = boardFields().controlByte;
        if (trigger == 2)
            byte = (byte & 0xBE) | 4;
        else if (trigger == 3)
            byte = (byte & 0xBE) | 6;
        else if (strobe)
            byte = (byte & 0xBE) | 2;
        else
            byte &= 0xB8;
        boardFields().controlByte = byte;
        mode = state.multichannelMode;
        count = state.multichannelCount;
    }
    if (mode != 2)
        writeRegister(*io, kCadrelControl, byte);

    const auto delivered = claimInterruptChannel();
    if (!delivered)
        return;
    const int channels = count + 1;
    const std::size_t samples = mode == 2   ? static_cast<std::size_t>(channels * kPixels)
                                : mode == 1 ? kPixels
                                            : kPixels - 1;
    std::vector<std::uint8_t> bytes(samples * 2);
    io->readPortBlock(1, kCadrelFifo, 2, bytes);
    if (mode == 2)
        writeRegister(*io, kCadrelControl, byte);
    auto sampleAt = [&](std::size_t k) {
        return static_cast<std::uint16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
    };
    if (mode != 2) {
        deliverSamples(bytes, mode == 1 ? 0 : 1, samples, cadrelChannelComplete, *delivered);
        return;
    }
    // Rotator: sample p of channel i is sample p * channels + i of the stream.
    {
        std::lock_guard lock(state.mutex);
        state.acquisitionStatus = core::kStatusChannelDone;
        boardFields().advanceAfterInterrupt = true;
    }
    for (int i = 0; i < channels; ++i) {
        {
            std::lock_guard lock(state.mutex);
            for (int p = 0; p + 1 < kPixels; ++p)
                state.rawBuffer[static_cast<std::size_t>(p + 1)] =
                    sampleAt(static_cast<std::size_t>(p * channels + i));
        }
        cadrelChannelComplete(i, delivered->add);
    }
}

void cadrelQuietBoard()
{
    quietControl(cadrelWriteControl);
}

void cadrelAdvanceSequencer()
{
    advanceAndQuiet(cadrelQuietBoard);
}

void cadrelShutdownHardware() {}

} // namespace

core::OperationSet cadrelPciOperationSet()
{
    core::OperationSet set;
    set.name = "IstrelCadrelPCIOperationSet";
    set.TransferData = cadrelTransferData;
    set.StartChannel = cadrelStartChannel;
    set.ProgramIntegration = cadrelProgramIntegration;
    set.ProgramFrequency = cadrelProgramFrequency;
    set.ResetAndApplyTiming = cadrelResetAndApplyTiming;
    set.AdvanceSequencer = cadrelAdvanceSequencer;
    set.ChannelComplete = cadrelChannelComplete;
    set.ShutdownHardware = cadrelShutdownHardware;
    return set;
}

void registerCadrelPciSet()
{
    core::registerOperationSet("IstrelCadrelPCIOperationSet", cadrelPciOperationSet());
}

} // namespace driver::boards

using driver::core::guardExport;
using driver::core::guardExportVoid;

VYK_API int16_t CadrelPCI_WriteDIO(uint8_t highByte, uint8_t lowByte)
{
    return guardExport<int16_t>("CadrelPCI_WriteDIO", 0, [&] {
        driver::boards::writeRegister(*driver::boards::boardIo(), driver::boards::kDigitalIo,
                                      static_cast<std::uint32_t>(highByte * 256 + lowByte));
        return int16_t{0};
    });
}

VYK_API uint16_t CadrelPCI_ReadDIO(void)
{
    return guardExport<uint16_t>("CadrelPCI_ReadDIO", 0, [] {
        return static_cast<uint16_t>(
            driver::boards::boardIo()->readPort(1, driver::boards::kDigitalIo, 2));
    });
}

VYK_API int16_t CadrelPCI_AnalogOut(int16_t channel, uint16_t value)
{
    return guardExport<int16_t>("CadrelPCI_AnalogOut", channel, [&] {
        if (channel != 0 && channel != 1)
            return channel;
        driver::boards::writeRegister(
            *driver::boards::boardIo(),
            channel == 0 ? driver::boards::kAnalogOut0 : driver::boards::kAnalogOut1, value);
        return int16_t{0};
    });
}

VYK_API int16_t CadrelPCI_IsPCIPlus(void)
{
    return guardExport<int16_t>("CadrelPCI_IsPCIPlus", 0, [] {
        std::lock_guard lock(driver::core::driverState().mutex);
        return static_cast<int16_t>(driver::core::driverState().cadrelPciPlus ? 1 : 0);
    });
}

VYK_API void Shutdown_CadrelPCI_Istrel(void)
{
    guardExportVoid("Shutdown_CadrelPCI_Istrel", [] {});
}
