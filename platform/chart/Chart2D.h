#pragma once

#include "platform/chart/ChartRenderer.h"
#include "platform/chart/XrtChart.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>

// CChart2D: the chart window that the spectrum and graph views embed. Create makes the
// window a child of the view and a chart bound to it; the views then drive the chart by its
// handle through the Xrt functions. The window repaints when the chart asks, at most once
// per display frame; mouse, key and context-menu events go on to the parent view. GUI
// thread only.

namespace platform::chart {

class CChart2D : public QWidget, public XrtChartWindow
{
    Q_OBJECT

public:
    // The visible-window style bit of the Create call.
    static constexpr std::uint32_t kStyleVisible = 0x10000000;

    // A window without a chart (handle 0) until Create.
    explicit CChart2D(QWidget* parent = nullptr);
    // Destroys the window's chart.
    ~CChart2D() override;

    // Makes the window a child of parent at rect (shown when style has kStyleVisible), then a
    // chart bound to it. False when there is no parent or no chart could be made (the window
    // then stays without a chart handle).
    bool Create(const char* windowName, std::uint32_t style, const QRect& rect, QWidget* parent,
                unsigned id);

    // The chart handle, 0 before Create and after a failed one.
    XrtHandle chartHandle() const { return m_chart; }
    // How many times the window painted (for tests of the repaint coalescing).
    std::uint64_t paintCount() const { return m_paintCount; }

    void chartChanged() override;
    bool chartWindowSize(int& width, int& height) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    XrtHandle m_chart = 0;
    unsigned m_id = 0;
    ChartRenderer m_renderer;
    QImage m_backBuffer;
    QTimer m_frameTimer;
    QElapsedTimer m_sinceFrame;
    bool m_updatePending = false;
    std::uint64_t m_paintCount = 0;
};

} // namespace platform::chart
