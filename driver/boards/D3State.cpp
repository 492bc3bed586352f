// VYK_GetD3State: the digital input D3 (status bit 3, the external trigger line) of the
// connected board.
#include "driver/boards/BoardCommon.h"
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"

#include <mutex>

namespace {

// Status registers: the ISA and PC-104 boards' byte port 5 of range 0, the CadrelPCI's
// 16-bit register 10 of range 1.
constexpr std::uint32_t kD3IsaStatus = 5;
constexpr std::uint32_t kD3CadrelStatus = 10;
constexpr std::uint32_t kD3Bit = 0x08;

} // namespace

VYK_API int16_t VYK_GetD3State(void)
{
    return driver::core::guardExport<int16_t>("VYK_GetD3State", 0, [] {
        std::uint16_t adcType = 0;
        {
            std::lock_guard lock(driver::core::driverState().mutex);
            adcType = driver::core::driverState().adcType;
        }
        std::uint32_t status = 0;
        switch (adcType) {
        case VYK_ADC_DOVRIN:
        case VYK_ADC_BRONTEL:
        case VYK_ADC_FORNICPC104:
            status = driver::boards::boardIo()->readPort(0, kD3IsaStatus, 1);
            break;
        case VYK_ADC_CADRELPCI:
            status = driver::boards::boardIo()->readPort(1, kD3CadrelStatus, 2);
            break;
        default:
            return int16_t{0};
        }
        return static_cast<int16_t>((status & kD3Bit) != 0 ? 1 : 0);
    });
}
