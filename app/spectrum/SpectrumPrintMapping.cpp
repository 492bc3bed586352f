#include "app/spectrum/SpectrumPrintMapping.h"

#include <cmath>
#include <cstdint>

namespace app::spectrum {

namespace {

// A logical length in device units, rounded as the device context rounds.
int scaled(int length, int viewportExt, int windowExt)
{
    return static_cast<int>(std::lround(static_cast<double>(length) * viewportExt / windowExt));
}

} // namespace

PrintPageMapping printPageMapping(int w, int h, int pageWidth, int pageHeight)
{
    PrintPageMapping m;
    if (w <= 0 || h <= 0 || pageWidth <= 0 || pageHeight <= 0)
        return m;
    m.drawable = true;
    const int64_t byHeight = static_cast<int64_t>(w) * pageHeight;
    const int64_t byWidth = static_cast<int64_t>(h) * pageWidth;
    if (byHeight < byWidth) {
        // The chart is limited by the page's height.
        m.windowExtX = m.windowExtY = h;
        m.viewportExtX = m.viewportExtY = pageHeight;
        const int right = scaled(w, pageHeight, h);
        m.originX = (pageWidth - right + 0) / 2;
        m.originY = 0;
        m.left = m.originX;
        m.top = 0;
        m.width = right;
        m.height = scaled(h, pageHeight, h);
    } else {
        m.windowExtX = m.windowExtY = w;
        m.viewportExtX = m.viewportExtY = pageWidth;
        const int bottom = scaled(h, pageWidth, w);
        m.originX = 0;
        m.originY = (0 - bottom + pageHeight) / 2;
        m.left = 0;
        m.top = m.originY;
        m.width = scaled(w, pageWidth, w);
        m.height = bottom;
    }
    return m;
}

} // namespace app::spectrum
