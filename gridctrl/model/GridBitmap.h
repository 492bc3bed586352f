#pragma once

#include "gridctrl/model/GridObject.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gridctrl::model {

// A decoded bitmap: top-down rows of 0xAARRGGBB pixels. The drawing layer makes its image
// from it.
class GridBitmap : public GridObject
{
public:
    GridBitmap(int width, int height, std::vector<std::uint32_t> pixels)
        : m_width(width), m_height(height), m_pixels(std::move(pixels))
    {}

    int width() const { return m_width; }
    int height() const { return m_height; }
    const std::vector<std::uint32_t>& pixels() const { return m_pixels; }

private:
    int m_width;
    int m_height;
    std::vector<std::uint32_t> m_pixels;
};

// Decodes a Windows BMP file (file header, 40-byte or larger information header, colour
// table, uncompressed 1, 4, 8, 16, 24 or 32 bits per pixel, or bit fields). Nothing for any
// file that is truncated, compressed otherwise, or whose sizes do not fit the data.
std::optional<GridBitmap> decodeBmp(std::span<const std::uint8_t> bytes);

} // namespace gridctrl::model
