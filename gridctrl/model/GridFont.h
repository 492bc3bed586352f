#pragma once

#include "gridctrl/model/GridObject.h"

#include <compare>
#include <cstdint>
#include <string>

namespace gridctrl::model {

// The fields of a logical font as the grid registers it; the drawing layer makes the font.
struct GridFontSpec
{
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName; // at most 31 characters

    friend bool operator==(const GridFontSpec&, const GridFontSpec&) = default;
};

// A registered font.
class GridFont : public GridObject
{
public:
    explicit GridFont(GridFontSpec spec) : m_spec(std::move(spec)) {}
    const GridFontSpec& spec() const { return m_spec; }

private:
    GridFontSpec m_spec;
};

} // namespace gridctrl::model
