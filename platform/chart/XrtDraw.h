#pragma once

#include "platform/chart/XrtTypes.h"

#include <QByteArray>
#include <QImage>

class QPainter;

namespace platform::framework {
class CDC;
}

// The drawing calls of the charting function set, and the pictures behind them. A chart
// is drawn with the layout of its own size (its window's client size). GUI thread only.

namespace platform::chart {

class XrtChart;

// Drawing formats: 1 a bitmap, 3 a picture (vectors; on the clipboard an image and SVG).
inline constexpr int kXrtDrawBitmap = 1;
inline constexpr int kXrtDrawPicture = 3;
// Scale code of XrtDrawToDC: 4 fits the chart into the given rectangle; any other value
// draws it at its own size from the rectangle's top-left corner.
inline constexpr int kXrtDrawScaleToFit = 4;

// Draws the chart on a painter (a printer, a PDF writer, a widget, an image) into the
// rectangle given in the painter's coordinates. 0 for an unknown chart, no painter, an
// unknown format or an empty rectangle.
int XrtDrawToDC(XrtHandle chart, QPainter* painter, int format, int scale, int left, int top,
                int width, int height);
// The same on a device context (the printing path); the rectangle is in device units.
int XrtDrawToDC(XrtHandle chart, platform::framework::CDC* dc, int format, int scale, int left,
                int top, int width, int height);
// Puts the chart on the clipboard: format 1 as an image, 3 as an image and an SVG picture.
int XrtDrawToClipboard(XrtHandle chart, int format);
// Writes the chart to a file; format 1 writes a Windows bitmap (".bmp"). The file is
// replaced whole or not at all.
int XrtDrawToFile(XrtHandle chart, const char* path, int format);

// The chart as an opaque image of its own size.
QImage renderChartImage(XrtChart& chart);
// The chart as an SVG document.
QByteArray renderChartSvg(XrtChart& chart);

} // namespace platform::chart
