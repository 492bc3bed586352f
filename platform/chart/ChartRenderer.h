#pragma once

#include "platform/chart/XrtChart.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class QPainter;

// Draws an XrtChart with QPainter. On a 32-bit QImage drawn at the chart's own scale (the
// chart window's back buffer, XrtDrawToFile, the clipboard picture) the axes, labels,
// legend and text areas come from caches, and a solid one-pixel trace without point
// symbols is written straight into the image as one min/max span per pixel column. Every
// other case (printer, PDF, SVG, dashed lines, symbols) goes through QPainter with the same
// geometry. GUI thread only.

namespace platform::chart {

QColor toQColor(XrtColor color);
QFont toQFont(const XrtFont& font);

// The text measurer of the Qt fonts the renderer draws with (one per process).
std::shared_ptr<const XrtTextMetrics> qtTextMetrics();
// Gives the chart the Qt measurer unless it has one, so layout and picture agree.
void useQtTextMetrics(XrtChart& chart);

class ChartRenderer
{
public:
    ChartRenderer();
    ~ChartRenderer();
    ChartRenderer(const ChartRenderer&) = delete;
    ChartRenderer& operator=(const ChartRenderer&) = delete;

    // Draws the chart at its own size with its top-left corner at the painter's origin.
    void draw(QPainter& painter, const XrtChart& chart);
    // Draws the chart scaled into target (painter coordinates), keeping its layout.
    void draw(QPainter& painter, const XrtChart& chart, const QRectF& target);

    // Switches the per-column span path off, so tests and benchmarks can compare it with
    // plain QPainter drawing.
    void setFastTraces(bool on) { m_fastTraces = on; }
    // The number of threads a redraw on an image is drawn on: 0 (the default) draws a large
    // redraw on as many as there are processors, up to 4; 1 draws on the calling thread
    // only. The picture is the same.
    void setThreads(int threads) { m_threads = std::max(0, threads); }

private:
    struct Caches;
    std::unique_ptr<Caches> m_caches;
    bool m_fastTraces = true;
    int m_threads = 0;
};

} // namespace platform::chart
