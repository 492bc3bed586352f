#include "gridctrl/model/GridBitmap.h"

#include <bit>
#include <cstddef>

namespace gridctrl::model {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
// Larger images are not decoded (256 megapixels).
constexpr std::int64_t kMaxPixels = 256LL * 1024 * 1024;

std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// The value of a bit-field channel scaled to 8 bits.
std::uint32_t channel(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0) {
        return 0;
    }
    const int shift = std::countr_zero(mask);
    const std::uint32_t max = mask >> shift;
    const std::uint32_t value = (pixel & mask) >> shift;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(value) * 255 + max / 2) / max);
}

} // namespace

std::optional<GridBitmap> decodeBmp(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kFileHeaderBytes + kInfoHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') {
        return std::nullopt;
    }
    const std::uint32_t pixelOffset = u32(bytes, 10);
    const std::uint32_t headerSize = u32(bytes, 14);
    if (headerSize < kInfoHeaderBytes || headerSize > bytes.size() - kFileHeaderBytes) {
        return std::nullopt;
    }
    const std::int32_t width = static_cast<std::int32_t>(u32(bytes, 18));
    const std::int32_t rawHeight = static_cast<std::int32_t>(u32(bytes, 22));
    const std::uint16_t bitCount = u16(bytes, 28);
    const std::uint32_t compression = u32(bytes, 30);
    std::uint32_t colorsUsed = u32(bytes, 46);
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) {
        return std::nullopt;
    }
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
    if (static_cast<std::int64_t>(width) * height > kMaxPixels) {
        return std::nullopt;
    }
    const bool bitFields = compression == 3;
    if (compression != 0 && !(bitFields && (bitCount == 16 || bitCount == 32))) {
        return std::nullopt;
    }
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return std::nullopt;
    }
    std::size_t at = kFileHeaderBytes + headerSize;
    std::uint32_t masks[3] = {0, 0, 0};
    if (bitFields) {
        if (headerSize >= 52) {
            masks[0] = u32(bytes, 54);
            masks[1] = u32(bytes, 58);
            masks[2] = u32(bytes, 62);
        } else {
            if (bytes.size() < at + 12) {
                return std::nullopt;
            }
            masks[0] = u32(bytes, at);
            masks[1] = u32(bytes, at + 4);
            masks[2] = u32(bytes, at + 8);
            at += 12;
        }
    } else if (bitCount == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    std::vector<std::uint32_t> palette;
    if (bitCount < 16) {
        const std::uint32_t full = 1u << bitCount;
        if (colorsUsed == 0 || colorsUsed > full) {
            colorsUsed = full;
        }
        if (bytes.size() < at || (bytes.size() - at) / 4 < colorsUsed) {
            return std::nullopt;
        }
        palette.resize(full, 0xFF000000u);
        for (std::uint32_t i = 0; i < colorsUsed; ++i) {
            const std::size_t p = at + 4 * i;
            palette[i] = 0xFF000000u | (static_cast<std::uint32_t>(bytes[p + 2]) << 16) |
                         (static_cast<std::uint32_t>(bytes[p + 1]) << 8) | bytes[p];
        }
    }
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    if (pixelOffset > bytes.size() ||
        (bytes.size() - pixelOffset) / stride < static_cast<std::uint64_t>(height)) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) *
                                      static_cast<std::size_t>(height));
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t sourceRow = topDown ? y : height - 1 - y;
        const std::uint8_t* row = bytes.data() + pixelOffset + sourceRow * stride;
        std::uint32_t* out = pixels.data() + y * width;
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint32_t colour = 0;
            switch (bitCount) {
            case 1:
                colour = palette[(row[x / 8] >> (7 - x % 8)) & 1];
                break;
            case 4:
                colour = palette[(row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF];
                break;
            case 8:
                colour = palette[row[x]];
                break;
            case 16: {
                const std::uint32_t v =
                    static_cast<std::uint32_t>(row[2 * x] | (row[2 * x + 1] << 8));
                colour = 0xFF000000u | (channel(v, masks[0]) << 16) | (channel(v, masks[1]) << 8) |
                         channel(v, masks[2]);
                break;
            }
            case 24:
                colour = 0xFF000000u | (static_cast<std::uint32_t>(row[3 * x + 2]) << 16) |
                         (static_cast<std::uint32_t>(row[3 * x + 1]) << 8) | row[3 * x];
                break;
            default: {
                const std::uint32_t v = static_cast<std::uint32_t>(row[4 * x]) |
                                        (static_cast<std::uint32_t>(row[4 * x + 1]) << 8) |
                                        (static_cast<std::uint32_t>(row[4 * x + 2]) << 16) |
                                        (static_cast<std::uint32_t>(row[4 * x + 3]) << 24);
                if (bitFields) {
                    colour = 0xFF000000u | (channel(v, masks[0]) << 16) |
                             (channel(v, masks[1]) << 8) | channel(v, masks[2]);
                } else {
                    colour = 0xFF000000u | (v & 0xFFFFFFu);
                }
                break;
            }
            }
            out[x] = colour;
        }
    }
    return GridBitmap(width, static_cast<int>(height), std::move(pixels));
}

} // namespace gridctrl::model
