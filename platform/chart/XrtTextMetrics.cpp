#include "platform/chart/XrtTextMetrics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::chart {

int xrtFontPixelSize(const XrtFont& font)
{
    // LOGFONT: a negative height is the character height, a positive one the cell height
    // (the character height is about 80 % of it, as the program's other fonts take it); 0
    // asks for the default. Bounded so that a script's size can neither overflow nor make a
    // glyph larger than any screen.
    long long height = font.height;
    long long size = height == 0 ? 12 : height < 0 ? -height : std::llround(height * 0.8);
    return static_cast<int>(std::clamp<long long>(size, 1, 500));
}

double XrtEstimatedTextMetrics::textWidth(const XrtFont& font, std::string_view text) const
{
    std::size_t characters = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80)
            ++characters;
    }
    return 0.6 * xrtFontPixelSize(font) * static_cast<double>(characters);
}

double XrtEstimatedTextMetrics::lineHeight(const XrtFont& font) const
{
    return 1.25 * xrtFontPixelSize(font);
}

} // namespace platform::chart
