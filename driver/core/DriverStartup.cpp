#include "driver/core/DriverStartup.h"

#include "driver/boards/BoardConnection.h"
#include "driver/core/AcquisitionWorker.h"
#include "driver/core/DriverConfig.h"
#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Sequencer.h"
#include "driver/java/JavaConnection.h"
#include "driver/serial/SerialAdc.h"
#include "driver/serial/SerialConnection.h"
#include "driver/usb/UsbConnection.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>

extern "C" int __cxa_atexit(void (*function)(void*), void* argument, void* dso);
// Declared with C++ linkage, as the compiler declares it itself once a source of the same
// unit registers a static destructor; a variable at global scope has the same symbol either way.
extern void* __dso_handle;

namespace driver::core {
namespace {

std::mutex g_attachMutex;
std::atomic<bool> g_attached{false};
// Set on the thread that runs the start-up, so that a set-up dialog shown during it may
// call exports without waiting for itself.
thread_local bool t_attaching = false;

bool isPortBoard(int adcType)
{
    return adcType == VYK_ADC_DOVRIN || adcType == VYK_ADC_BRONTEL ||
           adcType == VYK_ADC_FORNICPC104;
}

// Detach at unload (dlclose) or at process exit. Exit handlers run in the reverse order
// of registration, and the platform's services register their teardown when first used,
// so the handler is registered again after each start, once those services exist; the
// detach it runs does nothing when the library is already detached.
void detachAtExit()
{
    detachDriver();
}

void detachAtExitThunk(void*)
{
    detachAtExit();
}

void registerDetachAtExit()
{
    // Tied to this library's own handle, so that an unload runs it and removes it; a plain
    // atexit may be kept for the process's exit, when the code is gone.
    __cxa_atexit(detachAtExitThunk, nullptr, &__dso_handle);
}

// The start itself; g_attachMutex is held.
void attachLocked(bool readConfiguration)
{
    DriverState& state = driverState();
    DriverPlatform& platform = driverPlatform();
    // The converter link is made before the exit handler is registered below, so that it
    // outlives the detach that closes its port.
    serial::serialAdc();
    acquisitionWorker().reset();
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
        state.strobeState = true;
    }
    if (!readConfiguration) {
        g_attached.store(true, std::memory_order_release);
        registerDetachAtExit();
        return;
    }
    ReadDriverConfig();
    g_attached.store(true, std::memory_order_release);
    bool initialized = false;
    {
        std::lock_guard lock(state.mutex);
        initialized = state.initialized;
    }
    t_attaching = true;
    try {
        if (initialized) {
            {
                std::lock_guard lock(state.mutex);
                state.startupFlags |= kStartupConfigured;
            }
            SelectOperationSet();
            ConnectHardware();
        } else {
            configure(0, 0, 0, 0);
        }
    } catch (...) {
        t_attaching = false;
        throw;
    }
    t_attaching = false;
    registerDetachAtExit();
}

// The worker's bound at detach: 8 applied scan periods, at least one second.
int detachBoundMs()
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    return std::max(1000, 8 * state.appliedPeriodMs);
}

} // namespace

void attachDriver(bool readConfiguration)
{
    std::lock_guard attachLock(g_attachMutex);
    attachLocked(readConfiguration);
}

void detachDriver()
{
    std::lock_guard attachLock(g_attachMutex);
    if (!g_attached.load(std::memory_order_acquire))
        return;
    DriverState& state = driverState();
    // Threads first: nothing they use may change under them. Every scan ends at once on
    // the flag, so the worker is joined promptly.
    {
        std::lock_guard lock(state.mutex);
        state.detaching = true;
    }
    acquisitionWorker().stopForDetach(detachBoundMs());
    cancelWaits();

    OperationSet ops;
    {
        std::lock_guard lock(state.mutex);
        ops = state.ops;
    }
    if (ops.ShutdownHardware)
        ops.ShutdownHardware();
    VYK_DisableMultichannelSpectra();
    WriteDriverConfig();
    bool connected = false;
    {
        std::lock_guard lock(state.mutex);
        connected = state.connectedMarker != 0;
    }
    if (connected)
        DisconnectHardware();
    killWatchdog();
    bool timers = false;
    {
        std::lock_guard lock(state.mutex);
        timers = state.timersAvailable != 0;
    }
    if (timers)
        driverPlatform().endTimerPeriod();
    // A converter link opened outside the configured connection (KAL_Init) is let go too.
    serial::CloseSerialADCPort();
    g_attached.store(false, std::memory_order_release);
}

void ensureAttached()
{
    if (g_attached.load(std::memory_order_acquire) || t_attaching)
        return;
    // Two first calls at once: only one of them starts the library.
    std::lock_guard attachLock(g_attachMutex);
    if (!g_attached.load(std::memory_order_acquire))
        attachLocked(true);
}

namespace {

// Connects the configured A/D type's back-end, which marks the state itself.
int16_t connectBackEnd()
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
    std::uint16_t adcType = 0;
    {
        std::lock_guard lock(state.mutex);
        adcType = state.adcType;
    }
    // The back-ends connect without the scheduler mutex and mark the state themselves.
    if (isPortBoardAdcType(adcType) || adcType == VYK_ADC_CADRELPCI)
        return boards::connectBoard();
    if (adcType == VYK_ADC_SERIAL) {
        int port = 1;
        int baudIndex = 2;
        {
            std::lock_guard lock(state.mutex);
            port = state.serialPort;
            baudIndex = state.serialPortBaudIndex;
        }
        return serial::connectSerialAdc(port, baudIndex);
    }
    if (usb::isUsbAdcType(adcType))
        return usb::connectUsbHardware(adcType);
    if (const java::JavaModel* model = java::javaModelForAdc(adcType))
        return java::connectJavaHardware(*model);
    std::lock_guard lock(state.mutex);
    if (state.adcType == VYK_ADC_NONE) {
        state.startupFlags |= kStartupInterruptHandler;
        state.connectedMarker = 7;
        state.acquisitionStatus = kStatusStopped;
    }
    return VYK_SUCCESS;
}

} // namespace

int16_t ConnectHardware()
{
    const int16_t result = connectBackEnd();
    // A connection marks the configuration initialised, so the next start connects again.
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    state.initialized = state.connectedMarker != 0;
    return result;
}

void DisconnectHardware()
{
    DriverState& state = driverState();
    std::uint16_t adcType = 0;
    {
        std::lock_guard lock(state.mutex);
        state.startupFlags &= static_cast<std::uint16_t>(~kStartupInterruptHandler);
        if (state.connectedMarker == 0)
            return;
        if (state.current)
            state.current->flashDelay = 0;
        adcType = state.adcType;
    }
    bool keepMarker = false;
    if (isPortBoardAdcType(adcType) || adcType == VYK_ADC_CADRELPCI) {
        boards::disconnectBoard();
    } else if (adcType == VYK_ADC_SERIAL) {
        serial::disconnectSerialAdc();
    } else if (adcType == VYK_ADC_TREVAN || adcType == VYK_ADC_SOLVIPLUS) {
        java::releaseJavaDevice();
    } else if (java::javaModelForAdc(adcType)) {
        // These models keep their device open between connections.
        keepMarker = true;
    }
    std::lock_guard lock(state.mutex);
    if (!keepMarker)
        state.connectedMarker = 0;
}

int16_t ShowSetupDialog(bool show)
{
    DriverState& state = driverState();
    if (show && runSetupDialog() != kIdOk)
        return 2;
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

int16_t configure(std::int16_t spectrometerType, std::int16_t adcType, std::int16_t irq,
                  std::int16_t baseAddress)
{
    if (spectrometerType == 0 && adcType == 0 && irq == 0 && baseAddress == 0)
        return ShowSetupDialog(true);
    DriverState& state = driverState();
    {
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
    return ShowSetupDialog(false);
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
