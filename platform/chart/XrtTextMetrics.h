#pragma once

#include "platform/chart/XrtTypes.h"

#include <string_view>

// How the chart measures text for its layout. The Qt renderer installs a measurer that
// uses the fonts it draws with, so the laid-out positions (XrtMap, XrtUnmap, text-area
// rectangles) match the picture; without one the chart estimates from the font height.

namespace platform::chart {

class XrtTextMetrics
{
public:
    virtual ~XrtTextMetrics() = default;
    // Advance width in pixels of one line of UTF-8 text.
    virtual double textWidth(const XrtFont& font, std::string_view text) const = 0;
    // Height in pixels of one line.
    virtual double lineHeight(const XrtFont& font) const = 0;
};

// Pixel size the chart gives a font height (LOGFONT rules; 0 is the default of 12).
int xrtFontPixelSize(const XrtFont& font);

// The estimate used when no measurer is installed: 0.6 of the size per character.
class XrtEstimatedTextMetrics final : public XrtTextMetrics
{
public:
    double textWidth(const XrtFont& font, std::string_view text) const override;
    double lineHeight(const XrtFont& font) const override;
};

} // namespace platform::chart
