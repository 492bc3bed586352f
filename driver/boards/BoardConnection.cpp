#include "driver/boards/BoardConnection.h"

#include "driver/boards/BoardCommon.h"
#include "driver/boards/CadrelPciSet.h"
#include "driver/boards/DaqSets.h"
#include "driver/boards/IsaBoardSets.h"
#include "driver/core/DriverMessages.h"
#include "driver/core/DriverState.h"
#include "platform/portio/DriverXDevice.h"

#include <mutex>

namespace driver::boards {
namespace {

using core::driverState;

// Port counts of the boards' ranges.
constexpr std::uint32_t kIsaPorts = 16;
constexpr std::uint32_t kPciPorts = 128;

std::mutex g_connectionMutex; // connect and disconnect
std::shared_ptr<platform::portio::DriverXDevice> g_device;
std::string g_deviceName;
std::string g_lastError;

void onInterrupt()
{
    void (*transfer)() = nullptr;
    {
        std::lock_guard lock(driverState().mutex);
        transfer = driverState().ops.TransferData;
    }
    if (transfer)
        transfer();
}

void onDeviceError(int code)
{
    core::debugLog("board port I/O failed (%d)\n", code);
}

// The sets join the selector when the library is loaded; registering is a table entry,
// no I/O.
const bool g_boardConnectionRegistered = [] {
    registerIsaBoardSets();
    registerCadrelPciSet();
    registerDaqSets();
    return true;
}();

} // namespace

void setBoardDeviceName(const std::string& name)
{
    std::lock_guard lock(g_connectionMutex);
    g_deviceName = name;
}

int16_t connectBoard()
{
    (void)g_boardConnectionRegistered;
    disconnectBoard();
    std::lock_guard lock(g_connectionMutex);
    int adc = 0;
    int base = 0;
    int irq = 0;
    {
        std::lock_guard stateLock(driverState().mutex);
        adc = driverState().adcType;
        base = driverState().baseAddress;
        irq = driverState().irq;
    }
    auto device = std::make_shared<platform::portio::DriverXDevice>(onInterrupt, afterInterrupt,
                                                                    onDeviceError);
    const char* name = g_deviceName.empty() ? nullptr : g_deviceName.c_str();
    int slot = -1;
    bool ok = device->open(name);
    if (ok)
        ok = device->registerPortRange(static_cast<std::uint32_t>(base),
                                       adc == VYK_ADC_CADRELPCI ? kPciPorts : kIsaPorts, &slot);
    if (ok && adc == VYK_ADC_CADRELPCI)
        ok = device->registerPortRange(static_cast<std::uint32_t>(base) + kPciPorts, kPciPorts,
                                       &slot);
    ok = ok && device->connectInterrupt(irq) && device->startInterruptThread();
    if (!ok) {
        g_lastError =
            device->lastError().empty() ? "the board cannot be connected" : device->lastError();
        core::debugLog("%s\n", g_lastError.c_str());
        return VYK_INTERRUPT_NOT_INSTALLED;
    }
    g_device = device;
    std::lock_guard stateLock(driverState().mutex);
    driverState().portIo = device;
    driverState().reopen = true;
    driverState().startupFlags |= core::kStartupInterruptHandler;
    driverState().connectedMarker = 1;
    boardFields().keptDaqList.reset();
    return VYK_SUCCESS;
}

void disconnectBoard()
{
    std::shared_ptr<platform::portio::DriverXDevice> device;
    {
        std::lock_guard lock(g_connectionMutex);
        device = std::move(g_device);
        g_device.reset();
    }
    if (!device)
        return;
    device->stopInterruptThread();
    device->disconnectInterrupt();
    device->close();
    std::lock_guard stateLock(driverState().mutex);
    if (driverState().portIo == device)
        driverState().portIo = platform::portio::noPortIo();
    driverState().startupFlags &= static_cast<std::uint16_t>(~core::kStartupInterruptHandler);
    driverState().connectedMarker = 0;
    boardFields().keptDaqList.reset();
}

bool boardConnected()
{
    std::lock_guard lock(g_connectionMutex);
    return g_device != nullptr;
}

std::string lastBoardError()
{
    std::lock_guard lock(g_connectionMutex);
    return g_lastError;
}

} // namespace driver::boards
