#include "platform/chart/XrtTextMetrics.h"

#include <cstdlib>

namespace platform::chart {

int xrtFontPixelSize(const XrtFont& font)
{
    // LOGFONT: a negative height is the character height, a positive one the cell height
    // (about 1.2 times the character height); 0 asks for the default. Bounded so that a
    // script's size cannot make a glyph larger than any screen.
    int size = font.height == 0 ? 12 : font.height < 0 ? -font.height : (font.height * 5 + 3) / 6;
    if (size < 1)
        size = 1;
    if (size > 500)
        size = 500;
    return size;
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
