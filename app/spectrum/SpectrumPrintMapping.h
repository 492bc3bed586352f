#pragma once

// Where a spectrum chart goes on a printed page: the chart keeps its aspect ratio, fills the
// page's width or height and is centred in the other direction. No Qt; any thread.

namespace app::spectrum {

struct PrintPageMapping
{
    // False when the chart or the page has no area: nothing is drawn.
    bool drawable = false;
    // Anisotropic mapping: window and viewport extents, viewport origin (device units).
    int windowExtX = 1;
    int windowExtY = 1;
    int viewportExtX = 1;
    int viewportExtY = 1;
    int originX = 0;
    int originY = 0;
    // The chart's client rectangle in device units, with the origin applied.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The mapping of a chart window of clientWidth x clientHeight pixels onto a page of
// pageWidth x pageHeight device units (HORZRES, VERTRES).
PrintPageMapping printPageMapping(int clientWidth, int clientHeight, int pageWidth, int pageHeight);

} // namespace app::spectrum
