// The Pellar system's export: identification of a device index.

#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"
#include "driver/usb/PellarConnection.h"
#include "driver/usb/UsbProtocol.h"

VYK_API int32_t Pellar_IdentifyPellar(int32_t deviceIndex, char* text)
{
    return driver::core::guardExport<int32_t>("Pellar_IdentifyPellar", 0, [&] {
        constexpr std::size_t kTextField = 16; // 15 characters and the NUL
        char found[kTextField] = {};
        const int result = driver::usb::identifyPellar(deviceIndex, found);
        if (text)
            driver::usb::copyBounded(text, kTextField, found);
        return result;
    });
}
