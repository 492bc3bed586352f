#include "driver/core/DriverStartup.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Sequencer.h"

#include <atomic>
#include <mutex>

namespace driver::core {
namespace {

std::mutex g_attachMutex;
std::atomic<bool> g_attached{false};

bool isPortBoard(int adcType)
{
    return adcType == VYK_ADC_DOVRIN || adcType == VYK_ADC_BRONTEL ||
           adcType == VYK_ADC_FORNICPC104;
}

// The start itself; g_attachMutex is held.
void attachLocked()
{
    DriverState& state = driverState();
    DriverPlatform& platform = driverPlatform();
    {
        std::lock_guard lock(state.mutex);
        state.resetFields();
        state.startupFlags = kStartupDataBuffer;
    }
    const bool timers = platform.beginTimerPeriod();
    const std::uint32_t now = timers ? platform.timeMs() : 0;
    {
        std::lock_guard lock(state.mutex);
        if (timers)
            state.scanTimes[0] = now;
        else
            state.timersAvailable = 0;
        state.startupFlags |= kStartupTimerSet;
    }
    g_attached.store(true, std::memory_order_release);
}

} // namespace

void attachDriver()
{
    std::lock_guard attachLock(g_attachMutex);
    attachLocked();
}

void detachDriver()
{
    std::lock_guard attachLock(g_attachMutex);
    if (!g_attached.load(std::memory_order_acquire))
        return;
    killWatchdog();
    DriverState& state = driverState();
    bool timers = false;
    {
        std::lock_guard lock(state.mutex);
        timers = state.timersAvailable != 0;
    }
    if (timers)
        driverPlatform().endTimerPeriod();
    g_attached.store(false, std::memory_order_release);
}

void ensureAttached()
{
    if (g_attached.load(std::memory_order_acquire))
        return;
    // Two first calls at once: only one of them starts the library.
    std::lock_guard attachLock(g_attachMutex);
    if (!g_attached.load(std::memory_order_acquire))
        attachLocked();
}

int16_t ConnectHardware()
{
    DriverState& state = driverState();
    bool connected = false;
    {
        std::lock_guard lock(state.mutex);
        connected = state.connectedMarker != 0;
    }
    if (connected)
        DisconnectHardware();
    {
        std::lock_guard lock(state.mutex);
        state.usbType = false;
    }
    SelectOperationSet();
    std::lock_guard lock(state.mutex);
    if (state.adcType == VYK_ADC_NONE) {
        state.startupFlags |= kStartupInterruptHandler;
        state.connectedMarker = 7;
        state.acquisitionStatus = kStatusStopped;
    }
    return VYK_SUCCESS;
}

void DisconnectHardware()
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    state.startupFlags &= static_cast<std::uint16_t>(~kStartupInterruptHandler);
    if (state.connectedMarker == 0)
        return;
    if (state.current)
        state.current->flashDelay = 0;
    state.connectedMarker = 0;
}

int16_t configure(std::int16_t spectrometerType, std::int16_t adcType, std::int16_t irq,
                  std::int16_t baseAddress)
{
    DriverState& state = driverState();
    if (spectrometerType == 0 && adcType == 0 && irq == 0 && baseAddress == 0) {
        if (runSetupDialog() != kIdOk)
            return 2;
    } else {
        std::lock_guard lock(state.mutex);
        state.spectrometerType = static_cast<std::uint16_t>(spectrometerType);
        const auto adc = static_cast<std::uint16_t>(adcType);
        state.adcType = adc == 3 || adc == 5 ? std::uint16_t{VYK_ADC_SERIAL} : adc;
        if (irq >= 1 && irq <= 15)
            state.irq = irq;
        if ((baseAddress & 0xF) == 0)
            state.baseAddress = static_cast<std::uint16_t>(baseAddress);
        state.reopen = true;
    }
    bool alreadyConnected = false;
    {
        std::lock_guard lock(state.mutex);
        alreadyConnected = isPortBoard(state.adcType) && state.connectedMarker == state.irq;
    }
    const int16_t result = alreadyConnected ? int16_t{VYK_SUCCESS} : ConnectHardware();
    std::lock_guard lock(state.mutex);
    state.startupFlags |= kStartupConfigured;
    return result;
}

} // namespace driver::core

VYK_API int16_t VYK_Config(int16_t spectrometerType, int16_t adcType, int16_t irq,
                           int16_t baseAddress)
{
    return driver::core::guardExport<int16_t>("VYK_Config", 0, [&] {
        return driver::core::configure(spectrometerType, adcType, irq, baseAddress);
    });
}

VYK_API int16_t SS_Config(int16_t spectrometerType, int16_t adcType, int16_t irq,
                          int16_t baseAddress)
{
    return VYK_Config(spectrometerType, adcType, irq, baseAddress);
}
