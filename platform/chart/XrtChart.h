#pragma once

#include "platform/chart/XrtDataObject.h"
#include "platform/chart/XrtProperties.h"
#include "platform/chart/XrtTextMetrics.h"
#include "platform/chart/XrtTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The chart model: properties by number, per-set data styles, text areas, the repaint
// switch, and the layout (chart area, plot area, axes, legend) from which the renderer
// draws and XrtMap/XrtUnmap convert. No Qt. GUI thread only.

namespace platform::chart {

// Told when the chart wants to be drawn again (the chart window implements it).
class XrtChartWindow
{
public:
    virtual ~XrtChartWindow() = default;
    virtual void chartChanged() = 0;
    // The window's client size in pixels; false when the window cannot tell.
    virtual bool chartWindowSize(int& width, int& height) const = 0;
};

// One call on a chart as an observer sees it: a property set on the chart or on one of its
// text areas (with the value as given), a text area's property read back (with the value
// read), a data set's style, or a new text area.
struct XrtCall
{
    enum class Kind
    {
        ChartValue,
        TextAreaValue,
        TextAreaRead,
        DataStyle,
        TextAreaCreate,
    };
    Kind kind = Kind::ChartValue;
    XrtHandle textArea = 0; // the text area of the text-area kinds
    int id = 0;             // the property number, or the data set of a style
    XrtValue value;         // the value, or the style record

    bool operator==(const XrtCall&) const = default;
};

// Sees the calls made on one chart, in order, before they take effect. Tests use it to check
// which properties a caller sets and in what order.
class XrtChartObserver
{
public:
    virtual ~XrtChartObserver() = default;
    virtual void chartCall(const XrtCall& call) = 0;
};

struct XrtRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const XrtRect&) const = default;
};

// One resolved axis: its range (usable only when finite and max > min), its ticks and
// their labels.
struct XrtAxis
{
    double min = 0.0;
    double max = 0.0;
    bool usable = false;
    std::vector<double> ticks;
    std::vector<std::string> labels;
};

struct XrtLegendEntry
{
    int set = 0;
    std::string label;
    XrtRect swatch; // where the style sample is drawn
    int textLeft = 0;
    int textBaselineTop = 0; // top of the text line
};

struct XrtLayout
{
    int width = 0;
    int height = 0;
    XrtRect chartArea;
    XrtRect plotArea;
    XrtAxis x;
    XrtAxis y;
    int headerTop = 0;
    int footerTop = 0;
    bool legendShown = false;
    XrtRect legendArea;
    std::vector<XrtLegendEntry> legendEntries;
    int xTitleTop = 0;
    int yTitleLeft = 0;
    int tickLength = 5;

    // Data coordinates to chart pixels (as doubles; no rounding); only for usable axes.
    double toPixelX(double v) const;
    double toPixelY(double v) const;
};

class XrtChart
{
public:
    XrtChart();
    XrtChart(const XrtChart&) = delete;
    XrtChart& operator=(const XrtChart&) = delete;

    // Sets one chart property; false when the value's type does not fit the property or
    // the property is read only. Unknown numbers are stored as given.
    bool setValue(int id, const XrtValue& value);
    // The property's value; automatic values and computed ones as laid out now.
    XrtValue value(int id) const;

    // Per-set data styles; a set never given one has the chart's default for its number.
    bool setDataStyle(int set, const XrtDataStyle& style);
    XrtDataStyle dataStyle(int set) const;
    static XrtDataStyle defaultDataStyle(int set);

    // Text areas, known by the handles the function set gives them.
    void addTextArea(XrtHandle handle);
    bool removeTextArea(XrtHandle handle);
    bool hasTextArea(XrtHandle handle) const;
    bool setTextAreaValue(XrtHandle handle, int id, const XrtValue& value);
    XrtValue textAreaValue(XrtHandle handle, int id) const;
    std::vector<XrtHandle> textAreas() const; // in creation order
    // Where a text area lies in chart pixels; nullopt when it cannot be placed (unusable
    // axes) or the handle is not one of this chart's.
    std::optional<XrtRect> textAreaRect(XrtHandle handle) const;
    std::optional<XrtRect> textAreaRect(XrtHandle handle, const XrtLayout& layout) const;

    // Size of the chart in pixels: its window's client size, or the size set here while it
    // has no window.
    void setSizePx(int width, int height);
    int widthPx() const;
    int heightPx() const;

    void setTextMetrics(std::shared_ptr<const XrtTextMetrics> metrics);
    const XrtTextMetrics& textMetrics() const { return *m_metrics; }
    bool hasOwnTextMetrics() const { return m_ownMetrics; }

    // The data object the chart draws (kXrtData), or null.
    const XrtDataObject* data() const;

    XrtLayout layout() const;

    // Chart pixels to data coordinates (mode 1 of XrtMap: the data at the pixel's centre)
    // and back (the pixel that holds the point, where the traces draw it); false when an
    // axis range is unusable.
    bool map(double px, double py, double& x, double& y) const;
    bool unmap(double x, double y, int& px, int& py) const;

    void attachWindow(XrtChartWindow* window);
    XrtChartWindow* window() const { return m_window; }

    // The observer of the calls on this chart (null: none); it must outlive its installation.
    void setObserver(XrtChartObserver* observer) { m_observer = observer; }
    void notify(const XrtCall& call) const
    {
        if (m_observer)
            m_observer->chartCall(call);
    }

    bool repaintEnabled() const { return m_repaint; }
    // How many times the chart asked to be drawn again.
    std::uint64_t repaintRequests() const { return m_repaintRequests; }
    // Changes everything but the data, the marker's point and the text areas.
    std::uint64_t appearanceGeneration() const { return m_appearanceGeneration; }
    std::uint64_t textAreaGeneration() const { return m_textAreaGeneration; }

private:
    struct TextArea
    {
        std::uint64_t order = 0;
        std::map<int, XrtValue> values;
    };

    void changed(bool appearance);
    void requestRepaint();
    int intValue(int id) const;
    double storedDouble(int id) const;
    // Resolves one axis; the data range is scanned only when something needs it.
    void resolveAxis(bool isX, XrtAxis& axis, double* dataMin = nullptr,
                     double* dataMax = nullptr) const;
    XrtValue stored(int id) const;

    std::map<int, XrtValue> m_values;
    std::map<int, XrtDataStyle> m_styles;
    std::map<XrtHandle, TextArea> m_textAreas;
    std::uint64_t m_textAreaOrder = 0;
    int m_width = 300;
    int m_height = 300;
    std::shared_ptr<const XrtTextMetrics> m_metrics;
    bool m_ownMetrics = false;
    XrtChartWindow* m_window = nullptr;
    XrtChartObserver* m_observer = nullptr;
    bool m_repaint = true;
    bool m_pending = false;
    std::uint64_t m_repaintRequests = 0;
    std::uint64_t m_appearanceGeneration = 1;
    std::uint64_t m_textAreaGeneration = 1;
};

// Formats a y tick label by a printf format for one double; false (nothing written) when
// the format has any other conversion or more than one, or too wide a field.
bool xrtFormatLabel(const std::string& format, double value, std::string& out);

} // namespace platform::chart
