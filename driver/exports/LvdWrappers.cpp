// The `_LVD` wrappers that reshape their arguments: the coefficient wrappers (separate
// serial, values and last field instead of the family's record) and the FullScan wrappers
// (a field array and one data array cut into the eight channel buffers).
#include "driver/core/ExportGuard.h"
#include "driver/exports/CoefficientForms.h"
#include "driver/include/vykdrv32.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr std::size_t kLvdSliceFloats = 8192 / sizeof(float);

// Fills the block's 16 leading int16 fields (the field order of FullScanBlock) and points
// channel k at the k-th 8192-byte slice of the data.
template <class Field> FullScanBlock fullScanBlock(const Field* fields, float* data)
{
    static_assert(offsetof(FullScanBlock, channelEnables) + 8 * sizeof(int16_t) ==
                  16 * sizeof(int16_t));
    int16_t words[16] = {};
    for (int i = 0; i < 16; ++i)
        words[i] = static_cast<int16_t>(static_cast<uint16_t>(fields[i] & 0xFFFF));
    FullScanBlock block{};
    std::memcpy(&block, words, sizeof words);
    for (int channel = 0; channel < VYK_CHANNELS; ++channel)
        block.channelBuffers[channel] = data + kLvdSliceFloats * channel;
    return block;
}

} // namespace

#define VYK_DEFINE_COEFFICIENTS(get, set, getWrapper, setWrapper, Record, Value, Last)             \
    VYK_API int32_t getWrapper(char* serial, Value* values, Last* last)                            \
    {                                                                                              \
        return driver::exports::getCoefficients<Record, Value, Last>(#getWrapper, get, serial,     \
                                                                     values, last);                \
    }                                                                                              \
    VYK_API int32_t setWrapper(const char* serial, const Value* values, const Last* last)          \
    {                                                                                              \
        return driver::exports::setCoefficients<Record, Value, Last>(#setWrapper, set, serial,     \
                                                                     values, last);                \
    }

VYK_COEFFICIENT_ROWS(VYK_DEFINE_COEFFICIENTS)

VYK_API int16_t VYK_FS_LVD(const int16_t* fields, float* data)
{
    if (!fields || !data)
        return VYK_MISSING_ARGUMENT;
    FullScanBlock block = fullScanBlock(fields, data);
    return VYK_FullScan(&block);
}

VYK_API int16_t VYK_FS_LVD_32(const int32_t* fields, float* data)
{
    if (!fields || !data)
        return VYK_MISSING_ARGUMENT;
    FullScanBlock block = fullScanBlock(fields, data);
    block.microsecondFlag = fields[16];
    block.microsecondIntegrationTime = fields[17];
    return VYK_FullScan(&block);
}
