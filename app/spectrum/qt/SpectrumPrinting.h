#pragma once

class CHarluneSpectrumView;

namespace platform::framework {
class CDC;
}

// Prints a spectrum window's chart on a page: the view's black-and-white swap (when the
// preference asks for it) and removal of the background picture, the chart mapped into the
// page keeping its aspect ratio, drawn, and everything put back. A chart window without area
// prints nothing. GUI thread only.
void printSpectrumChart(CHarluneSpectrumView& view, platform::framework::CDC& dc, int clientWidth,
                        int clientHeight);
