// The raw USB exports.

#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"
#include "driver/java/JavaBridge.h"
#include "driver/java/JavaModels.h"
#include "driver/usb/UsbTransport.h"

#include <span>

namespace {

// The Java-driven models route raw transfers to their own driver.
bool javaDrivenAdc()
{
    auto& state = driver::core::driverState();
    std::lock_guard lock(state.mutex);
    return driver::java::javaModelForAdc(state.adcType) != nullptr;
}

} // namespace

VYK_API int32_t VYK_USB_ResetAllPipes(void)
{
    return driver::core::guardExport<int32_t>("VYK_USB_ResetAllPipes", 0,
                                              [] { return driver::usb::resetAllPipes(); });
}

VYK_API int32_t USBGEN_BulkOut(int32_t pipe, int32_t length, const uint8_t* buffer)
{
    return driver::core::guardExport<int32_t>("USBGEN_BulkOut", 0, [&]() -> int32_t {
        const std::size_t bytes = static_cast<std::uint32_t>(length) & 0xFFFF;
        if (!buffer && bytes != 0)
            return 0;
        // The Java driver's answer is handed on as it comes.
        if (javaDrivenAdc())
            return driver::java::JavaBulkOut(pipe, buffer, static_cast<int>(bytes));
        return driver::usb::rawBulkWrite(pipe, std::span<const std::uint8_t>(buffer, bytes)) ? 1
                                                                                             : 0;
    });
}

VYK_API int32_t USBGEN_BulkIn(int32_t pipe, int32_t length, uint8_t* buffer)
{
    // Without a device nothing was read, so the result is 0, not the length asked for.
    return driver::core::guardExport<int32_t>("USBGEN_BulkIn", 0, [&]() -> int32_t {
        const std::size_t bytes = static_cast<std::uint32_t>(length) & 0xFFFF;
        if (!buffer && bytes != 0)
            return 0;
        if (javaDrivenAdc())
            return driver::java::JavaBulkIn(pipe, buffer, static_cast<int>(bytes));
        return driver::usb::rawBulkRead(pipe, std::span<std::uint8_t>(buffer, bytes)) ? 1 : 0;
    });
}

VYK_API int32_t USB_GetStringDescriptor(intptr_t device, int32_t index, char* text)
{
    return driver::core::guardExport<int32_t>("USB_GetStringDescriptor", 0, [&]() -> int32_t {
        if (!text)
            return 0;
        constexpr std::size_t kTextBytes = 129; // 128 characters and the NUL
        if (!driver::usb::deviceOk() || driver::usb::deviceHandle() == driver::usb::kNoHandle) {
            driver::usb::copyBounded(text, kTextBytes, "Pavik not opened");
            return 0;
        }
        const auto descriptor = driver::usb::readStringDescriptor(
            device, static_cast<std::uint8_t>(index), kTextBytes - 1);
        if (!descriptor) {
            driver::usb::copyBounded(text, kTextBytes, "Pavik not active");
            return 0;
        }
        driver::usb::copyBounded(text, kTextBytes, *descriptor);
        return 1;
    });
}
