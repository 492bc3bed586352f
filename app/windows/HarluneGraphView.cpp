#include "app/windows/HarluneGraphView.h"

#include "platform/automation/TypeLibraryEnums.h"
#include "platform/chart/Xrt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>

using namespace platform::chart;
namespace mv = platform::automation;

namespace {

constexpr int IDOK = 1;

// Property numbers the view passes to the chart.
constexpr int kRepaint = 273;
constexpr int kLegendShown = 257;
constexpr int kCursorShown = 263;
constexpr int kBackground = 512;
constexpr int kForeground = 513;
constexpr int kHeaderColor = 517;
constexpr int kLegendBackground = 520;
constexpr int kLegendForeground = 521;
constexpr int kDataProperty = 768;
constexpr int kGridX = 1026;
constexpr int kGridY = 1027;
constexpr int kCursorStyle = 1029;
constexpr int kGraphViewAxisFont = 2048;
constexpr int kGraphViewHeaderFont = 2049;
constexpr int kLegendFont = 2051;
constexpr int kCursorTrace = 2308;
constexpr int kCursorPoint = 2309;
constexpr int kXTitle = 3072;
constexpr int kYTitle = 3073;
constexpr int kLegendLabels = 3328;
constexpr int kHeaderStrings = 3332;

bool graphViewAllFinite(const double* values, int count)
{
    return std::all_of(values, values + count, [](double v) { return std::isfinite(v); });
}

} // namespace

std::string cutText(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    // Back off continuation bytes so that the cut falls before a character's first byte.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

GraphPrintRect graphPrintRect(int chartWidth, int chartHeight, int pageWidth, int pageHeight)
{
    if (pageWidth <= 0 || pageHeight <= 0)
        return {0, 0, std::max(pageWidth, 0), std::max(pageHeight, 0)};
    if (chartWidth <= 0 || chartHeight <= 0)
        return {0, 0, pageWidth, pageHeight};
    // Compare the two aspect ratios without dividing: chart w/h against page w/h.
    const long long chartByPage = static_cast<long long>(chartWidth) * pageHeight;
    const long long pageByChart = static_cast<long long>(pageWidth) * chartHeight;
    if (chartByPage >= pageByChart) {
        // Wider than the page: the width limits.
        const int height =
            static_cast<int>(static_cast<long long>(pageWidth) * chartHeight / chartWidth);
        return {0, (pageHeight - height) / 2, pageWidth, height};
    }
    const int width =
        static_cast<int>(static_cast<long long>(pageHeight) * chartWidth / chartHeight);
    return {(pageWidth - width) / 2, 0, width, pageHeight};
}

CHarluneGraphView::CHarluneGraphView(GraphViewHost& host, XrtHandle chart)
    : m_host(host), m_chart(chart)
{}

CHarluneGraphView::~CHarluneGraphView()
{
    freeData();
}

void CHarluneGraphView::setCallObserver(std::function<void(const GraphChartCall&)> observer)
{
    m_observer = std::move(observer);
}

void CHarluneGraphView::set(int id, const XrtValue& value)
{
    if (m_observer)
        m_observer({id, -1, value});
    XrtSetValues(m_chart, {{id, value}});
}

void CHarluneGraphView::setStyle(int trace, const XrtDataStyle& style)
{
    if (m_observer)
        m_observer({GraphChartCall::kStyleCall, trace, XrtValue(style)});
    XrtSetNthDataStyle(m_chart, trace, &style);
}

int CHarluneGraphView::readInt(int id) const
{
    return static_cast<int>(XrtGetValue(m_chart, id).toInt());
}

double CHarluneGraphView::readDouble(int id) const
{
    return XrtGetValue(m_chart, id).toDouble();
}

std::string CHarluneGraphView::readText(int id) const
{
    return XrtGetValue(m_chart, id).toText();
}

bool CHarluneGraphView::validRange(int count, int first) const
{
    return count >= 0 && first >= 0 && first <= m_points && count <= m_points - first;
}

void CHarluneGraphView::freeData()
{
    m_traceData.clear();
    if (m_data != 0) {
        XrtDataDestroy(m_data);
        m_data = 0;
    }
    m_traces = 0;
    m_points = 0;
}

bool CHarluneGraphView::InitGraph(int traces, int points)
{
    if (traces < 0 || points < 0)
        return false;
    try {
        freeData();
        XrtHandle data = XrtDataCreate(2, traces, points);
        if (data == 0 && traces > 0 && points > 0)
            return false;
        m_data = data;
        m_traces = traces;
        m_points = points;
        m_traceData.resize(static_cast<std::size_t>(traces));
        for (int i = 0; i < traces; ++i) {
            Trace& trace = m_traceData[static_cast<std::size_t>(i)];
            trace.x.assign(static_cast<std::size_t>(points), 0.0);
            trace.y.assign(static_cast<std::size_t>(points), 0.0);
            XrtGetNthDataStyle(m_chart, i, &trace.style);
            trace.style.fillPattern = 1;
            trace.style.pointSize = 0;
            trace.style.pointStyle = 1;
            set(3608, 0);
            setStyle(i, trace.style);
        }

        m_legendFloating = true;
        m_grid = XrtDataStyle{};
        m_grid.linePattern = 1;
        m_grid.fillPattern = 1;
        m_grid.lineColor = 0x0000FF;
        m_grid.lineWidth = 0;
        m_grid.pointStyle = 1;
        m_grid.pointColor = 0x0000FF;
        m_grid.pointSize = 0;
        m_gridEnabled = false;
        m_cursor = XrtDataStyle{};
        m_cursor.linePattern = 2;
        m_cursor.fillPattern = 1;
        m_cursor.lineColor = 0x0000FF;
        m_cursor.lineWidth = 1;
        m_cursor.pointStyle = 1;
        m_cursor.pointColor = 0x0000FF;
        m_cursor.pointSize = 0;

        set(kDataProperty, static_cast<int>(m_data));
        set(256, 1);
        set(kLegendBackground, 0xFFFFFF);
        set(kLegendForeground, 0);
        layoutChartArea();
        set(22021, 3);
        set(3614, 1);
        set(3615, 1);
        set(3612, 0);
        set(3613, 0);
        set(kGridX, m_grid);
        set(kGridY, m_grid);
        m_gridPattern = 3;
        set(3630, 0);
        set(kCursorStyle, m_cursor);
        set(20992, 1);
        set(kCursorStyle, m_cursor);
        set(kCursorPoint, 0);
        set(kCursorTrace, 0);
        set(kCursorShown, 0);

        // The legend's font goes to the legend (2051); the main title keeps the chart's own.
        m_legendFont = XrtFont{"Arial", 18};
        set(kLegendFont, m_legendFont);
        setLegendList();
        m_textColor = static_cast<XrtColor>(readInt(kForeground));
        m_axisFont = XrtFont{"Arial", 18};
        set(kGraphViewAxisFont, m_axisFont);
        m_textColor = static_cast<XrtColor>(readInt(kForeground));
        RepaintIfEnabled();
        return true;
    } catch (const std::exception& e) {
        m_host.logException(e.what(), "HarluneGraphView", __LINE__);
    } catch (...) {
        m_host.logException("", "HarluneGraphView", __LINE__);
    }
    return false;
}

void CHarluneGraphView::OnSize(int, int)
{
    if (m_chart == 0)
        return;
    set(kRepaint, 0);
    layoutChartArea();
    set(kRepaint, 1);
}

void CHarluneGraphView::OnDestroy()
{
    freeData();
}

void CHarluneGraphView::OnLButtonDown(int x, int y)
{
    m_host.setFocus();
    if (readInt(kCursorShown) != 1)
        return;
    double dataX = 0.0;
    double dataY = 0.0;
    if (!XrtMap(m_chart, kXrtMapToData, x, y, &dataX, &dataY))
        return;
    m_activeTrace = readInt(kCursorTrace);
    if (!validTrace(m_activeTrace) || m_points == 0)
        return;
    const std::vector<double>& xs = m_traceData[static_cast<std::size_t>(m_activeTrace)].x;
    const float clicked = static_cast<float>(dataX);
    int point = 0;
    while (point < m_points && !(xs[static_cast<std::size_t>(point)] > clicked))
        ++point;
    // Right of the last point the cursor stays on the last point, not one past it.
    if (point >= m_points)
        point = m_points - 1;
    set(kCursorPoint, point);
}

void CHarluneGraphView::layoutChartArea()
{
    if (!m_legendFloating && readInt(kLegendShown) != 0) {
        set(3584, 1);
        set(3585, 1);
        set(3587, 1);
        set(3586, 1);
        return;
    }
    const std::array<int, 2> size = m_host.chartClientSize();
    set(2816, 0);
    set(1536, size[0]);
    set(2817, 0);
    set(1537, size[1]);
}

void CHarluneGraphView::RepaintIfEnabled()
{
    if (m_globalRepaint)
        set(kRepaint, 1);
}

bool CHarluneGraphView::SetGlobalRepaint(bool flag)
{
    m_globalRepaint = flag;
    set(kRepaint, flag ? 1 : 0);
    return true;
}

bool CHarluneGraphView::SetXData(int trace, const double* values, int count, bool allTraces,
                                 int first)
{
    if ((!allTraces && !validTrace(trace)) || !validRange(count, first) || (count > 0 && !values) ||
        (values && !graphViewAllFinite(values, count)))
        return false;
    repaintOff();
    for (int t = 0; t < m_traces; ++t) {
        if (!allTraces && t != trace)
            continue;
        std::vector<double>& xs = m_traceData[static_cast<std::size_t>(t)].x;
        std::copy(values, values + count, xs.begin() + first);
        XrtDataSetXData(m_data, t, xs.data() + first, count, first);
    }
    set(kDataProperty, static_cast<int>(m_data));
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetYData(int trace, const double* values, int count, int first)
{
    if (!validTrace(trace) || !validRange(count, first) || (count > 0 && !values) ||
        (values && !graphViewAllFinite(values, count)))
        return false;
    repaintOff();
    std::vector<double>& ys = m_traceData[static_cast<std::size_t>(trace)].y;
    std::copy(values, values + count, ys.begin() + first);
    XrtDataSetYData(m_data, trace, ys.data() + first, count, first);
    set(kDataProperty, static_cast<int>(m_data));
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::GetXData(int trace, double* values, int count, int first) const
{
    if (count < 1)
        return validTrace(trace);
    if (!validTrace(trace) || !validRange(count, first) || !values)
        return false;
    const std::vector<double>& xs = m_traceData[static_cast<std::size_t>(trace)].x;
    std::copy(xs.begin() + first, xs.begin() + first + count, values);
    return true;
}

bool CHarluneGraphView::GetYData(int trace, double* values, int count, int first) const
{
    if (count < 1)
        return validTrace(trace);
    if (!validTrace(trace) || !validRange(count, first) || !values)
        return false;
    const std::vector<double>& ys = m_traceData[static_cast<std::size_t>(trace)].y;
    std::copy(ys.begin() + first, ys.begin() + first + count, values);
    return true;
}

bool CHarluneGraphView::SetOneXForAll(bool flag)
{
    m_oneXForAll = flag;
    if (flag && m_traces > 0) {
        repaintOff();
        const std::vector<double> x0 = m_traceData[0].x;
        for (int t = 0; t < m_traces; ++t) {
            std::vector<double>& xs = m_traceData[static_cast<std::size_t>(t)].x;
            xs = x0;
            XrtDataSetXData(m_data, t, xs.data(), m_points, 0);
        }
        set(kDataProperty, static_cast<int>(m_data));
        RepaintIfEnabled();
    }
    return true;
}

bool CHarluneGraphView::SetFirstPoint(int trace, int point)
{
    if (!validTrace(trace) || !validPoint(point))
        return false;
    repaintOff();
    XrtDataSetFirstPoint(m_data, trace, point);
    set(kDataProperty, static_cast<int>(m_data));
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetLastPoint(int trace, int point)
{
    if (!validTrace(trace) || !validPoint(point))
        return false;
    repaintOff();
    XrtDataSetLastPoint(m_data, trace, point);
    set(kDataProperty, static_cast<int>(m_data));
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetFirstPoint(int trace) const
{
    return validTrace(trace) ? XrtDataGetFirstPoint(m_data, trace) : 0;
}

int CHarluneGraphView::GetLastPoint(int trace) const
{
    return validTrace(trace) ? XrtDataGetLastPoint(m_data, trace) : 0;
}

bool CHarluneGraphView::SetFirstSet(int set)
{
    if (!validTrace(set))
        return false;
    repaintOff();
    XrtDataSetFirstSet(m_data, set);
    this->set(kDataProperty, static_cast<int>(m_data));
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetLastSet(int set)
{
    if (!validTrace(set))
        return false;
    repaintOff();
    XrtDataSetLastSet(m_data, set);
    this->set(kDataProperty, static_cast<int>(m_data));
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetFirstSet() const
{
    return m_data ? XrtDataGetFirstSet(m_data) : 0;
}

int CHarluneGraphView::GetLastSet() const
{
    return m_data ? XrtDataGetLastSet(m_data) : 0;
}

bool CHarluneGraphView::SetXElement(int trace, int point, double value)
{
    if (!validTrace(trace) || !validPoint(point) || !std::isfinite(value))
        return false;
    repaintOff();
    m_traceData[static_cast<std::size_t>(trace)].x[static_cast<std::size_t>(point)] = value;
    XrtDataSetXElement(m_data, trace, point, value);
    set(kDataProperty, static_cast<int>(m_data));
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetYElement(int trace, int point, double value)
{
    if (!validTrace(trace) || !validPoint(point) || !std::isfinite(value))
        return false;
    repaintOff();
    m_traceData[static_cast<std::size_t>(trace)].y[static_cast<std::size_t>(point)] = value;
    XrtDataSetYElement(m_data, trace, point, value);
    set(kDataProperty, static_cast<int>(m_data));
    RepaintIfEnabled();
    return true;
}

double CHarluneGraphView::GetXElement(int trace, int point) const
{
    double value = 0.0;
    if (!validTrace(trace) || !validPoint(point) ||
        !XrtDataGetXElementIndirect(m_data, trace, point, &value))
        return 0.0;
    return value;
}

double CHarluneGraphView::GetYElement(int trace, int point) const
{
    double value = 0.0;
    if (!validTrace(trace) || !validPoint(point) ||
        !XrtDataGetYElementIndirect(m_data, trace, point, &value))
        return 0.0;
    return value;
}

bool CHarluneGraphView::ClearTrace(int trace)
{
    if (!validTrace(trace))
        return false;
    repaintOff();
    Trace& t = m_traceData[static_cast<std::size_t>(trace)];
    std::fill(t.x.begin(), t.x.end(), 0.0);
    std::fill(t.y.begin(), t.y.end(), 0.0);
    XrtDataSetXData(m_data, trace, t.x.data(), m_points, 0);
    XrtDataSetYData(m_data, trace, t.y.data(), m_points, 0);
    set(kDataProperty, static_cast<int>(m_data));
    RepaintIfEnabled();
    return true;
}

// Legend.

bool CHarluneGraphView::SetLegendVisible(int flag)
{
    set(kLegendShown, flag);
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetLegendVisible() const
{
    return readInt(kLegendShown);
}

bool CHarluneGraphView::SetLegendPosition(int anchor)
{
    set(16896, anchor);
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetLegendPosition() const
{
    return readInt(16896);
}

// The chart lists a trace in its legend only under a text. Until a legend text is given to any
// trace, the traces are listed under the names the trace dialog gives them ("Trace 0", ...), so
// that an enabled legend shows; once texts are given, they alone name the traces.
void CHarluneGraphView::setLegendList()
{
    const bool named = std::any_of(m_traceData.begin(), m_traceData.end(),
                                   [](const Trace& t) { return !t.legend.empty(); });
    std::vector<std::string> labels;
    labels.reserve(m_traceData.size());
    for (std::size_t i = 0; i < m_traceData.size(); ++i)
        labels.push_back(named ? m_traceData[i].legend : "Trace " + std::to_string(i));
    set(kLegendLabels, labels);
}

bool CHarluneGraphView::SetLegendText(int trace, const std::string& text)
{
    if (!validTrace(trace))
        return false;
    m_traceData[static_cast<std::size_t>(trace)].legend = cutText(text, kTextLimit);
    setLegendList();
    RepaintIfEnabled();
    return true;
}

std::string CHarluneGraphView::GetLegendText(int trace) const
{
    return validTrace(trace) ? m_traceData[static_cast<std::size_t>(trace)].legend : std::string();
}

bool CHarluneGraphView::SetLegendBackgroundColor(XrtColor color)
{
    set(kLegendBackground, color);
    RepaintIfEnabled();
    return true;
}

XrtColor CHarluneGraphView::GetLegendBackgroundColor() const
{
    return static_cast<XrtColor>(readInt(kLegendBackground));
}

bool CHarluneGraphView::SetLegendForegroundColor(XrtColor color)
{
    set(kLegendForeground, color);
    RepaintIfEnabled();
    return true;
}

XrtColor CHarluneGraphView::GetLegendForegroundColor() const
{
    return static_cast<XrtColor>(readInt(kLegendForeground));
}

bool CHarluneGraphView::SetLegendBorder(int border)
{
    set(17667, border);
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetLegendBorder() const
{
    return readInt(17667);
}

bool CHarluneGraphView::SetLegendBorderWidth(int width)
{
    set(1548, width);
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetLegendBorderWidth() const
{
    return readInt(1548);
}

bool CHarluneGraphView::SetLegendOrientation(int orientation)
{
    set(16640, orientation);
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetLegendOrientation() const
{
    return readInt(16640);
}

bool CHarluneGraphView::SetLegendFont(const std::string& face, int height)
{
    m_legendFont = XrtFont{cutText(face, 31), height};
    set(kLegendFont, m_legendFont);
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetLegendFloating(bool flag)
{
    m_legendFloating = flag;
    layoutChartArea();
    return true;
}

// Scale.

bool CHarluneGraphView::setAxisLimit(int autoA, int autoB, int limitA, int limitB, double value)
{
    if (!std::isfinite(value))
        return false;
    repaintOff();
    set(autoA, 0);
    set(autoB, 0);
    set(limitA, value);
    set(limitB, value);
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetXAxisMin(double value)
{
    return setAxisLimit(3597, 3626, 1792, 1814, value);
}

bool CHarluneGraphView::SetXAxisMax(double value)
{
    return setAxisLimit(3594, 3623, 1795, 1811, value);
}

bool CHarluneGraphView::SetYAxisMin(double value)
{
    return setAxisLimit(3598, 3627, 1793, 1815, value);
}

bool CHarluneGraphView::SetYAxisMax(double value)
{
    return setAxisLimit(3595, 3624, 1796, 1812, value);
}

double CHarluneGraphView::GetXAxisMin() const
{
    return readDouble(1792);
}

double CHarluneGraphView::GetXAxisMax() const
{
    return readDouble(1795);
}

double CHarluneGraphView::GetYAxisMin() const
{
    return readDouble(1793);
}

double CHarluneGraphView::GetYAxisMax() const
{
    return readDouble(1796);
}

bool CHarluneGraphView::setAutoscale(std::array<int, 4> flags)
{
    repaintOff();
    for (int id : flags)
        set(id, 1);
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::AutoscaleX()
{
    return setAutoscale({3597, 3626, 3594, 3623});
}

bool CHarluneGraphView::AutoscaleY()
{
    return setAutoscale({3598, 3627, 3595, 3624});
}

// Trace styles.

template <typename Field>
bool CHarluneGraphView::setTraceField(int trace, Field field, std::int64_t value)
{
    if (!validTrace(trace))
        return false;
    repaintOff();
    XrtDataStyle& style = m_traceData[static_cast<std::size_t>(trace)].style;
    style.*field = static_cast<std::remove_reference_t<decltype(style.*field)>>(value);
    setStyle(trace, style);
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetTraceLineStyle(int trace, int value)
{
    return setTraceField(trace, &XrtDataStyle::linePattern, value);
}

bool CHarluneGraphView::SetTracePointFillPattern(int trace, int value)
{
    return setTraceField(trace, &XrtDataStyle::fillPattern, value);
}

bool CHarluneGraphView::SetTraceLineColor(int trace, XrtColor value)
{
    return setTraceField(trace, &XrtDataStyle::lineColor, value);
}

bool CHarluneGraphView::SetTraceLineWidth(int trace, int value)
{
    return setTraceField(trace, &XrtDataStyle::lineWidth, value);
}

bool CHarluneGraphView::SetTracePointStyle(int trace, int value)
{
    return setTraceField(trace, &XrtDataStyle::pointStyle, value);
}

bool CHarluneGraphView::SetTracePointColor(int trace, XrtColor value)
{
    return setTraceField(trace, &XrtDataStyle::pointColor, value);
}

bool CHarluneGraphView::SetTracePointSize(int trace, int value)
{
    return setTraceField(trace, &XrtDataStyle::pointSize, value);
}

int CHarluneGraphView::GetTraceLineStyle(int trace) const
{
    return validTrace(trace) ? m_traceData[static_cast<std::size_t>(trace)].style.linePattern : 0;
}

int CHarluneGraphView::GetTracePointFillPattern(int trace) const
{
    return validTrace(trace) ? m_traceData[static_cast<std::size_t>(trace)].style.fillPattern : 0;
}

XrtColor CHarluneGraphView::GetTraceLineColor(int trace) const
{
    return validTrace(trace) ? m_traceData[static_cast<std::size_t>(trace)].style.lineColor : 0;
}

int CHarluneGraphView::GetTraceLineWidth(int trace) const
{
    return validTrace(trace) ? m_traceData[static_cast<std::size_t>(trace)].style.lineWidth : 0;
}

int CHarluneGraphView::GetTracePointStyle(int trace) const
{
    return validTrace(trace) ? m_traceData[static_cast<std::size_t>(trace)].style.pointStyle : 0;
}

XrtColor CHarluneGraphView::GetTracePointColor(int trace) const
{
    return validTrace(trace) ? m_traceData[static_cast<std::size_t>(trace)].style.pointColor : 0;
}

int CHarluneGraphView::GetTracePointSize(int trace) const
{
    return validTrace(trace) ? m_traceData[static_cast<std::size_t>(trace)].style.pointSize : 0;
}

bool CHarluneGraphView::GetTraceStyle(int trace, XrtDataStyle* record) const
{
    if (!validTrace(trace) || !record)
        return false;
    *record = m_traceData[static_cast<std::size_t>(trace)].style;
    return true;
}

XrtDataStyle* CHarluneGraphView::traceStyle(int trace)
{
    return validTrace(trace) ? &m_traceData[static_cast<std::size_t>(trace)].style : nullptr;
}

// Grid.

void CHarluneGraphView::setGridRecord()
{
    set(kGridX, m_grid);
    set(kGridY, m_grid);
}

bool CHarluneGraphView::SetGridEnabled(bool flag)
{
    repaintOff();
    m_gridEnabled = flag;
    m_grid.linePattern = flag ? m_gridPattern : 1;
    setGridRecord();
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetGridColor(XrtColor color)
{
    repaintOff();
    m_grid.lineColor = color;
    setGridRecord();
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetGridWidth(int width)
{
    repaintOff();
    m_grid.lineWidth = width;
    setGridRecord();
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetGridStyle(int pattern)
{
    repaintOff();
    m_gridPattern = pattern;
    m_grid.linePattern = pattern;
    setGridRecord();
    RepaintIfEnabled();
    return true;
}

// Cursor.

bool CHarluneGraphView::SetCursorEnabled(int flag)
{
    set(kCursorShown, flag);
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetCursorEnabled() const
{
    return readInt(kCursorShown);
}

bool CHarluneGraphView::SetCursorColor(XrtColor color)
{
    m_cursor.lineColor = color;
    set(kCursorStyle, m_cursor);
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetCursorStyle(int style)
{
    m_cursor.linePattern = style;
    set(kCursorStyle, m_cursor);
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetCursorWidth(int width)
{
    m_cursor.lineWidth = width;
    set(kCursorStyle, m_cursor);
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetCursorActiveTrace(int trace)
{
    if (!validTrace(trace))
        return false;
    set(kCursorTrace, trace);
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetCursorActiveTrace() const
{
    return readInt(kCursorTrace);
}

bool CHarluneGraphView::SetCursorPoint(int point)
{
    if (!validPoint(point))
        return false;
    set(kCursorPoint, point);
    RepaintIfEnabled();
    return true;
}

int CHarluneGraphView::GetCursorPoint() const
{
    return readInt(kCursorPoint);
}

double CHarluneGraphView::valueAtCursor(int trace, bool wantX) const
{
    if (!validTrace(trace))
        return 0.0;
    const int active = readInt(kCursorTrace);
    const int point = readInt(kCursorPoint);
    if (!validPoint(point))
        return 0.0;
    const auto p = static_cast<std::size_t>(point);
    auto pick = [wantX](const Trace& t, std::size_t i) { return wantX ? t.x[i] : t.y[i]; };
    if (active == trace)
        return pick(m_traceData[static_cast<std::size_t>(trace)], p);
    if (m_oneXForAll)
        return pick(m_traceData[0], p);
    if (!validTrace(active))
        return 0.0;
    // The trace's own point at the cursor's X: its first point whose X is not below the
    // active trace's X at the cursor, else its last point.
    const double v = m_traceData[static_cast<std::size_t>(active)].x[p];
    const Trace& t = m_traceData[static_cast<std::size_t>(trace)];
    std::size_t i = 0;
    while (i + 1 < t.x.size() && t.x[i] < v)
        ++i;
    return pick(t, i);
}

double CHarluneGraphView::GetXValueAtCursor(int trace) const
{
    return valueAtCursor(trace, true);
}

double CHarluneGraphView::GetYValueAtCursor(int trace) const
{
    return valueAtCursor(trace, false);
}

// Titles.

bool CHarluneGraphView::SetXTitle(const std::string& text)
{
    set(kXTitle, cutText(text, kTextLimit));
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetYTitle(const std::string& text)
{
    set(kYTitle, cutText(text, kTextLimit));
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::SetMainTitle(const std::string& text)
{
    set(kHeaderStrings, std::vector<std::string>{cutText(text, kTextLimit)});
    RepaintIfEnabled();
    return true;
}

std::string CHarluneGraphView::GetXTitle() const
{
    return cutText(readText(kXTitle), kTextLimit);
}

std::string CHarluneGraphView::GetYTitle() const
{
    return cutText(readText(kYTitle), kTextLimit);
}

std::string CHarluneGraphView::GetMainTitle() const
{
    return cutText(readText(kHeaderStrings), kTextLimit);
}

// Output.

bool CHarluneGraphView::CopyToClipboard()
{
    m_host.beginWaitCursor();
    const int result = m_host.drawChartToClipboard(m_chart);
    m_host.endWaitCursor();
    return result != 0;
}

bool CHarluneGraphView::SaveAsBitmap(const std::string& path)
{
    m_host.beginWaitCursor();
    const int result = m_host.drawChartToFile(m_chart, path);
    m_host.endWaitCursor();
    return result != 0;
}

// Dialogs.

bool CHarluneGraphView::ShowScaleDialog()
{
    std::array<std::string, 4> texts;
    const std::array<int, 4> limits = {1792, 1795, 1793, 1796};
    for (std::size_t i = 0; i < 4; ++i) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.3f", readDouble(limits[i]));
        texts[i] = buffer;
    }
    const std::optional<std::array<std::string, 4>> result = m_host.showSetScaleDialog(texts);
    if (!result)
        return false;
    const std::array<std::array<int, 2>, 4> targets = {
        {{1814, 1792}, {1811, 1795}, {1815, 1793}, {1812, 1796}}};
    set(kRepaint, 0);
    for (std::size_t i = 0; i < 4; ++i) {
        const double value = std::strtod((*result)[i].c_str(), nullptr);
        if (!std::isfinite(value))
            continue;
        set(targets[i][0], value);
        set(targets[i][1], value);
    }
    // The scale shows at once, whatever the global-repaint flag.
    set(kRepaint, 1);
    return true;
}

bool CHarluneGraphView::ShowTraceConfigurationDialog()
{
    if (m_host.runTraceDialog(*this) != IDOK)
        return false;
    for (int t = 0; t < m_traces; ++t)
        setStyle(t, m_traceData[static_cast<std::size_t>(t)].style);
    return true;
}

bool CHarluneGraphView::ShowGridConfigurationDialog()
{
    const std::optional<GraphGridDialogValues> result =
        m_host.showGridDialog({m_grid.lineColor, m_gridPattern, m_grid.lineWidth});
    if (!result)
        return false;
    m_grid.lineColor = result->color;
    m_gridPattern = result->pattern;
    m_grid.linePattern = m_gridEnabled ? m_gridPattern : 1;
    setGridRecord();
    RepaintIfEnabled();
    return true;
}

bool CHarluneGraphView::ShowLegendConfigurationDialog()
{
    return m_host.runLegendDialog(*this) == IDOK;
}

bool CHarluneGraphView::ShowCursorConfigurationDialog()
{
    m_host.VerifyCommand(mv::mvGraphViewCursorConfigure);
    return true;
}

void CHarluneGraphView::runTitleDialog(int mode)
{
    // What Cancel restores: the title, and the font and colour of this dialog's own text
    // (the main title's own for mode 0, the axis titles' for the others).
    const std::string title = mode == 0 ? GetMainTitle() : mode == 1 ? GetXTitle() : GetYTitle();
    const XrtFont font =
        mode == 0 ? XrtGetValue(m_chart, kGraphViewHeaderFont).toFont() : m_axisFont;
    const int colorProperty = mode == 0 ? kHeaderColor : kForeground;
    const XrtColor color = static_cast<XrtColor>(readInt(colorProperty));
    if (m_host.runAxisTextDialog(*this, mode, title) == IDOK)
        return;
    if (mode == 0) {
        set(kGraphViewHeaderFont, font);
        SetMainTitle(title);
    } else {
        m_axisFont = XrtFont{font.face, font.height};
        set(kGraphViewAxisFont, m_axisFont);
        if (mode == 1)
            SetXTitle(title);
        else
            SetYTitle(title);
    }
    set(colorProperty, color);
    if (colorProperty == kForeground)
        m_textColor = color;
    RepaintIfEnabled();
}

void CHarluneGraphView::runColorCommand(int property)
{
    const std::optional<XrtColor> color =
        m_host.chooseColor(static_cast<XrtColor>(readInt(property)));
    if (!color)
        return;
    set(property, *color);
    RepaintIfEnabled();
}

namespace {

constexpr unsigned kGraphCommands[] = {
    CHarluneGraphView::ID_GRAPH_FILE_SAVE,  CHarluneGraphView::ID_GRAPH_SAVE_SETTINGS_AS_DEFAULT,
    CHarluneGraphView::ID_FILE_PRINT,       CHarluneGraphView::ID_FILE_PRINT_PREVIEW,
    CHarluneGraphView::ID_FILE_CLOSE,       CHarluneGraphView::ID_FILE_PRINT_DIRECT,
    CHarluneGraphView::ID_EDIT_COPY,        CHarluneGraphView::ID_AUTOSCALE_X,
    CHarluneGraphView::ID_AUTOSCALE_Y,      CHarluneGraphView::ID_SET_SCALE,
    CHarluneGraphView::ID_UNSCALE,          CHarluneGraphView::ID_BACKGROUND_COLOR,
    CHarluneGraphView::ID_FOREGROUND_COLOR, CHarluneGraphView::ID_GRID_ENABLED,
    CHarluneGraphView::ID_GRID_CONFIGURE,   CHarluneGraphView::ID_CURSOR_ENABLED,
    CHarluneGraphView::ID_CURSOR_CONFIGURE, CHarluneGraphView::ID_TRACES,
    CHarluneGraphView::ID_LEGEND_ENABLED,   CHarluneGraphView::ID_LEGEND_FLOATING,
    CHarluneGraphView::ID_LEGEND_CONFIGURE, CHarluneGraphView::ID_TITLE_X,
    CHarluneGraphView::ID_TITLE_Y,          CHarluneGraphView::ID_TITLE_MAIN,
};

} // namespace

bool CHarluneGraphView::answersCommand(unsigned id)
{
    return std::find(std::begin(kGraphCommands), std::end(kGraphCommands), id) !=
           std::end(kGraphCommands);
}

bool CHarluneGraphView::OnCommand(unsigned id)
{
    if (!answersCommand(id))
        return false;
    int verify = 0;
    switch (id) {
    case ID_GRAPH_FILE_SAVE:
        verify = mv::mvGraphFileSave;
        break;
    case ID_GRAPH_SAVE_SETTINGS_AS_DEFAULT:
        verify = mv::mvGraphFileSaveSettingsAsDefault;
        break;
    case ID_FILE_PRINT:
        verify = mv::mvGraphFilePrint;
        break;
    case ID_FILE_PRINT_PREVIEW:
        verify = mv::mvGraphFilePrintPreview;
        break;
    case ID_FILE_CLOSE:
        verify = mv::mvGraphFileClose;
        break;
    case ID_FILE_PRINT_DIRECT:
        verify = -1;
        break;
    case ID_EDIT_COPY:
        verify = mv::mvGraphEditCopy;
        break;
    case ID_AUTOSCALE_X:
        verify = mv::mvGraphViewScaleAutoscaleX;
        break;
    case ID_AUTOSCALE_Y:
        verify = mv::mvGraphViewScaleAutoscaleY;
        break;
    case ID_SET_SCALE:
        verify = mv::mvGraphViewScaleSetScale;
        break;
    case ID_UNSCALE:
        verify = mv::mvGraphViewScaleUnscale;
        break;
    case ID_BACKGROUND_COLOR:
        verify = mv::mvGraphViewColorsBackgroundColor;
        break;
    case ID_FOREGROUND_COLOR:
        verify = mv::mvGraphViewColorsForegroundColor;
        break;
    case ID_GRID_ENABLED:
        verify = mv::mvGraphViewGridEnabled;
        break;
    case ID_GRID_CONFIGURE:
        verify = mv::mvGraphViewGridConfigure;
        break;
    case ID_CURSOR_ENABLED:
        verify = mv::mvGraphViewCursorEnabled;
        break;
    case ID_CURSOR_CONFIGURE:
        verify = mv::mvGraphViewCursorConfigure;
        break;
    case ID_TRACES:
        verify = mv::mvGraphViewTraces;
        break;
    case ID_LEGEND_ENABLED:
        verify = mv::mvGraphViewLegendEnabled;
        break;
    case ID_LEGEND_FLOATING:
        verify = mv::mvGraphViewLegendFloating;
        break;
    case ID_LEGEND_CONFIGURE:
        verify = mv::mvGraphViewLegendConfigure;
        break;
    case ID_TITLE_X:
        verify = mv::mvGraphViewTitlesXAxis;
        break;
    case ID_TITLE_Y:
        verify = mv::mvGraphViewTitlesYAxis;
        break;
    case ID_TITLE_MAIN:
        verify = mv::mvGraphViewTitlesMain;
        break;
    default:
        return false;
    }
    if (verify != -1 && m_host.VerifyCommand(verify) == 0)
        return true;
    try {
        switch (id) {
        case ID_GRAPH_FILE_SAVE: {
            const std::optional<std::string> path = m_host.chooseSaveFile(
                "Save Graph as Bitmap", "Bitmap Files(*.bmp)|*.bmp|All Files (*.*)|*.*||", "bmp");
            if (path)
                SaveAsBitmap(*path);
            break;
        }
        case ID_GRAPH_SAVE_SETTINGS_AS_DEFAULT:
            break;
        case ID_FILE_PRINT:
        case ID_FILE_PRINT_DIRECT:
            m_host.filePrint();
            break;
        case ID_FILE_PRINT_PREVIEW:
            m_host.filePrintPreview();
            break;
        case ID_FILE_CLOSE:
            m_host.closeWindow();
            break;
        case ID_EDIT_COPY:
            CopyToClipboard();
            break;
        case ID_AUTOSCALE_X:
            AutoscaleX();
            break;
        case ID_AUTOSCALE_Y:
            AutoscaleY();
            break;
        case ID_SET_SCALE:
            ShowScaleDialog();
            break;
        case ID_UNSCALE:
            AutoscaleX();
            AutoscaleY();
            break;
        case ID_BACKGROUND_COLOR:
            runColorCommand(kBackground);
            break;
        case ID_FOREGROUND_COLOR:
            runColorCommand(kForeground);
            break;
        case ID_GRID_ENABLED:
            SetGridEnabled(!m_gridEnabled);
            break;
        case ID_GRID_CONFIGURE:
            ShowGridConfigurationDialog();
            break;
        case ID_CURSOR_ENABLED:
            SetCursorEnabled(readInt(kCursorShown) != 1 ? 1 : 0);
            break;
        case ID_CURSOR_CONFIGURE:
            ShowCursorConfigurationDialog();
            break;
        case ID_TRACES:
            ShowTraceConfigurationDialog();
            break;
        case ID_LEGEND_ENABLED:
            SetLegendVisible(readInt(kLegendShown) != 1 ? 1 : 0);
            break;
        case ID_LEGEND_FLOATING:
            SetLegendFloating(!m_legendFloating);
            break;
        case ID_LEGEND_CONFIGURE:
            ShowLegendConfigurationDialog();
            break;
        case ID_TITLE_X:
            runTitleDialog(1);
            break;
        case ID_TITLE_Y:
            runTitleDialog(2);
            break;
        case ID_TITLE_MAIN:
            runTitleDialog(0);
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        m_host.logException(e.what(), "HarluneGraphView", __LINE__);
    } catch (...) {
        m_host.logException("", "HarluneGraphView", __LINE__);
    }
    return true;
}

std::optional<bool> CHarluneGraphView::commandChecked(unsigned id)
{
    switch (id) {
    case ID_GRID_ENABLED:
        return m_gridEnabled;
    case ID_CURSOR_ENABLED:
        return readInt(kCursorShown) == 1;
    case ID_LEGEND_ENABLED:
        return readInt(kLegendShown) == 1;
    case ID_LEGEND_FLOATING:
        return m_legendFloating;
    default:
        return std::nullopt;
    }
}
