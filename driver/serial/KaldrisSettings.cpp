// The serial A/D converter settings of the driver's configuration (VYK_...Kaldris...): the
// baud index and compressed mode go to the converter as they are; the pixel resolution is
// also kept in the configuration, which "VYKDRV.INI" saves.
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"

#include <mutex>

namespace {

// The largest resolution (every n-th pixel) the configuration accepts; others mean 1.
constexpr int kMaxPixelResolution = 500;

} // namespace

VYK_API int16_t VYK_SetKaldrisBaudRate(int16_t index)
{
    return KAL_SetBaudRate(index);
}

VYK_API int16_t VYK_GetKaldrisBaudRate(void)
{
    return KAL_GetBaudRate();
}

VYK_API int16_t VYK_SetKaldrisCompressedMode(uint16_t mode)
{
    return KAL_SetCompressedMode(mode);
}

VYK_API int16_t VYK_GetKaldrisCompressedMode(void)
{
    return KAL_GetCompressedMode();
}

VYK_API int16_t VYK_SetKaldrisPixelResolution(int16_t resolution)
{
    const int16_t kept =
        driver::core::guardExport<int16_t>("VYK_SetKaldrisPixelResolution", 1, [&] {
            const int16_t n =
                resolution <= 0 || resolution > kMaxPixelResolution ? int16_t{1} : resolution;
            std::lock_guard lock(driver::core::driverState().mutex);
            driver::core::driverState().kaldrisPixelResolution = n;
            return n;
        });
    KalPixelMode mode{};
    mode.mode = static_cast<uint16_t>(KAL_GetPixelMode());
    mode.args[0] = static_cast<uint16_t>(kept);
    mode.count = 1;
    return KAL_SetPixelMode(&mode);
}

VYK_API int16_t VYK_GetKaldrisPixelResolution(void)
{
    KalPixelMode mode{};
    KAL_GetFullPixelMode(&mode);
    return static_cast<int16_t>(mode.args[0]);
}
