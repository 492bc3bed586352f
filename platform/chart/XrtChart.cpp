#include "platform/chart/XrtChart.h"

#include "platform/chart/Xrt.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace platform::chart {

namespace {

constexpr int kMargin = 6;
constexpr int kLegendPad = 4;
constexpr int kLegendSwatch = 24;
constexpr int kTextAreaPad = 2;
constexpr int kMaxTicks = 1000;
// The largest chart drawn: a picture of it still fits in memory.
constexpr int kMaxSizePx = 16384;

bool isMarkerOrDataProperty(int id)
{
    return id == kXrtData || id == kXrtMarkerDataSet || id == kXrtMarkerPoint ||
           id == kXrtMarkerShown || id == kXrtRepaint;
}

// The automatic switch that a value property clears when it is set.
int autoSwitchOf(int id)
{
    switch (id) {
    case kXrtChartAreaWidth:
        return kXrtChartAreaWidthAuto;
    case kXrtChartAreaHeight:
        return kXrtChartAreaHeightAuto;
    case kXrtChartAreaLeft:
        return kXrtChartAreaLeftAuto;
    case kXrtChartAreaTop:
        return kXrtChartAreaTopAuto;
    case kXrtXDataMin:
        return kXrtXDataMinAuto;
    case kXrtYDataMin:
        return kXrtYDataMinAuto;
    case kXrtXDataMax:
        return kXrtXDataMaxAuto;
    case kXrtYDataMax:
        return kXrtYDataMaxAuto;
    case kXrtXMin:
        return kXrtXMinAuto;
    case kXrtYMin:
        return kXrtYMinAuto;
    case kXrtXMax:
        return kXrtXMaxAuto;
    case kXrtYMax:
        return kXrtYMaxAuto;
    default:
        return 0;
    }
}

// Brings a value to the type of its property; false when it cannot be.
bool coerce(XrtValueType type, const XrtValue& in, XrtValue& out)
{
    switch (type) {
    case XrtValueType::Int:
    case XrtValueType::Data:
        if (!in.isInt() && !in.isDouble())
            return false;
        out = XrtValue(static_cast<long long>(static_cast<std::int32_t>(in.toInt())));
        return true;
    case XrtValueType::Color:
        if (!in.isInt() && !in.isDouble())
            return false;
        out = XrtValue(static_cast<long long>(static_cast<std::uint32_t>(in.toInt())));
        return true;
    case XrtValueType::Double:
        if (!in.isInt() && !in.isDouble())
            return false;
        out = XrtValue(in.toDouble());
        return true;
    case XrtValueType::Text:
        if (!in.isNull() && !in.isText())
            return false;
        out = in;
        return true;
    case XrtValueType::TextList:
        if (!in.isNull() && !in.isText() && !in.isTextList())
            return false;
        out = XrtValue(in.toTextList());
        return true;
    case XrtValueType::Font:
        if (!in.isFont())
            return false;
        out = in;
        return true;
    case XrtValueType::DataStyle:
        if (!in.isDataStyle())
            return false;
        out = in;
        return true;
    }
    return false;
}

double niceStep(double span, int maxTicks)
{
    double raw = span / std::max(1, maxTicks);
    if (!(raw > 0.0) || !std::isfinite(raw))
        return 0.0;
    double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double n = raw / magnitude;
    double step = n <= 1.0 ? 1.0 : n <= 2.0 ? 2.0 : n <= 5.0 ? 5.0 : 10.0;
    return step * magnitude;
}

std::string defaultLabel(double value, double step, double largest)
{
    std::array<char, 64> buffer{};
    std::to_chars_result r;
    if (largest >= 1e7 || (largest > 0.0 && largest < 1e-4)) {
        r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                          std::chars_format::scientific, 3);
    } else {
        int decimals = step > 0.0 ? static_cast<int>(std::ceil(-std::log10(step) - 1e-9)) : 0;
        decimals = std::clamp(decimals, 0, 10);
        if (std::fabs(value) < step * 1e-6)
            value = 0.0; // no "-0.00" from rounding
        r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                          std::chars_format::fixed, decimals);
    }
    if (r.ec != std::errc())
        return {};
    return std::string(buffer.data(), r.ptr);
}

void makeTicks(XrtAxis& axis, int lengthPx, int pixelsPerTick, const std::string* format)
{
    axis.ticks.clear();
    axis.labels.clear();
    if (!axis.usable || lengthPx <= 0)
        return;
    double step = niceStep(axis.max - axis.min, std::max(1, lengthPx / pixelsPerTick));
    if (step <= 0.0)
        return;
    double first = std::ceil(axis.min / step);
    double largest = std::max(std::fabs(axis.min), std::fabs(axis.max));
    for (int i = 0; i < kMaxTicks; ++i) {
        double t = (first + i) * step;
        if (t > axis.max + step * 1e-9)
            break;
        if (!axis.ticks.empty() && t <= axis.ticks.back())
            break; // the step vanished against the magnitude of the values
        axis.ticks.push_back(t);
        std::string label;
        if (!format || !xrtFormatLabel(*format, t, label))
            label = defaultLabel(t, step, largest);
        axis.labels.push_back(std::move(label));
    }
}

// The pixel that holds a point: pixel n covers [n, n + 1), as the traces are drawn.
int pixelOf(double v)
{
    if (!std::isfinite(v))
        return 0;
    return static_cast<int>(std::floor(std::clamp(v, -1e8, 1e8)));
}

} // namespace

bool xrtFormatLabel(const std::string& format, double value, std::string& out)
{
    // Accept literal text, "%%" and exactly one conversion for a double, with at most two
    // digits of width and of precision, so a script's format can neither read arguments
    // that were never passed nor spend its time on padding.
    if (format.size() > 200)
        return false;
    int conversions = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        ++i;
        if (i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string::npos)
            ++i;
        int digits = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            ++i;
            ++digits;
        }
        if (digits > 2)
            return false;
        if (i < format.size() && format[i] == '.') {
            ++i;
            digits = 0;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                ++i;
                ++digits;
            }
            if (digits > 2)
                return false;
        }
        if (i >= format.size() || std::string_view("eEfFgGaA").find(format[i]) == std::string::npos)
            return false;
        ++conversions;
    }
    if (conversions != 1)
        return false;
    std::array<char, 512> buffer{};
    int n = std::snprintf(buffer.data(), buffer.size(), format.c_str(), value);
    if (n < 0)
        return false;
    out.assign(buffer.data(),
               std::min<std::size_t>(static_cast<std::size_t>(n), buffer.size() - 1));
    return true;
}

double XrtLayout::toPixelX(double v) const
{
    return plotArea.left + (v - x.min) / (x.max - x.min) * plotArea.width;
}

double XrtLayout::toPixelY(double v) const
{
    return plotArea.bottom() - (v - y.min) / (y.max - y.min) * plotArea.height;
}

XrtChart::XrtChart() : m_metrics(std::make_shared<XrtEstimatedTextMetrics>()) {}

XrtValue XrtChart::stored(int id) const
{
    auto it = m_values.find(id);
    if (it != m_values.end())
        return it->second;
    return xrtPropertyDefault(XrtScope::Chart, id);
}

int XrtChart::intValue(int id) const
{
    return static_cast<int>(stored(id).toInt());
}

double XrtChart::storedDouble(int id) const
{
    return stored(id).toDouble();
}

bool XrtChart::setValue(int id, const XrtValue& value)
{
    const XrtPropertyInfo* info = xrtPropertyInfo(XrtScope::Chart, id);
    if (!info) {
        m_values[id] = value;
        changed(true);
        return true;
    }
    XrtValue v;
    if (info->readOnly || !coerce(info->type, value, v))
        return false;
    if (id == kXrtRepaint) {
        bool on = v.toInt() != 0;
        m_values[id] = v;
        m_repaint = on;
        if (on) {
            // Resuming always repaints, held changes or not.
            m_pending = false;
            requestRepaint();
        }
        return true;
    }
    m_values[id] = v;
    if (int sw = autoSwitchOf(id))
        m_values[sw] = XrtValue(0);
    changed(!isMarkerOrDataProperty(id));
    return true;
}

XrtValue XrtChart::value(int id) const
{
    switch (id) {
    case kXrtXMin:
    case kXrtXMax:
    case kXrtXDataMin:
    case kXrtXDataMax:
    case kXrtYMin:
    case kXrtYMax:
    case kXrtYDataMin:
    case kXrtYDataMax: {
        if (intValue(autoSwitchOf(id)) == 0)
            return stored(id);
        bool isX = id == kXrtXMin || id == kXrtXMax || id == kXrtXDataMin || id == kXrtXDataMax;
        bool isData =
            id == kXrtXDataMin || id == kXrtXDataMax || id == kXrtYDataMin || id == kXrtYDataMax;
        bool isMin = id == kXrtXMin || id == kXrtYMin || id == kXrtXDataMin || id == kXrtYDataMin;
        XrtAxis axis;
        double dataMin = 0.0;
        double dataMax = 0.0;
        resolveAxis(isX, axis, &dataMin, &dataMax);
        if (isData)
            return XrtValue(isMin ? dataMin : dataMax);
        return XrtValue(isMin ? axis.min : axis.max);
    }
    case kXrtChartAreaLeft:
    case kXrtChartAreaTop:
    case kXrtChartAreaWidth:
    case kXrtChartAreaHeight: {
        if (intValue(autoSwitchOf(id)) == 0)
            return stored(id);
        XrtLayout l = layout();
        int v = id == kXrtChartAreaLeft    ? l.chartArea.left
                : id == kXrtChartAreaTop   ? l.chartArea.top
                : id == kXrtChartAreaWidth ? l.chartArea.width
                                           : l.chartArea.height;
        return XrtValue(v);
    }
    default:
        return stored(id);
    }
}

XrtDataStyle XrtChart::defaultDataStyle(int set)
{
    static constexpr std::array<XrtColor, 16> palette = {
        xrtRgb(255, 0, 0),   xrtRgb(0, 160, 0),   xrtRgb(0, 0, 255),   xrtRgb(200, 140, 0),
        xrtRgb(200, 0, 200), xrtRgb(0, 170, 170), xrtRgb(128, 0, 0),   xrtRgb(0, 80, 0),
        xrtRgb(0, 0, 128),   xrtRgb(128, 128, 0), xrtRgb(128, 0, 128), xrtRgb(0, 128, 128),
        xrtRgb(255, 96, 96), xrtRgb(96, 200, 96), xrtRgb(96, 96, 255), xrtRgb(96, 96, 96)};
    XrtDataStyle s;
    std::size_t index = static_cast<std::size_t>(set < 0 ? -set : set) % palette.size();
    s.lineColor = palette[index];
    s.pointColor = palette[index];
    s.pointStyle = kXrtPointNone;
    s.pointSize = 2;
    return s;
}

bool XrtChart::setDataStyle(int set, const XrtDataStyle& style)
{
    if (set < 0 || set > 100000)
        return false;
    m_styles[set] = style;
    changed(true);
    return true;
}

XrtDataStyle XrtChart::dataStyle(int set) const
{
    auto it = m_styles.find(set);
    return it != m_styles.end() ? it->second : defaultDataStyle(set);
}

void XrtChart::addTextArea(XrtHandle handle)
{
    m_textAreas[handle].order = ++m_textAreaOrder;
    ++m_textAreaGeneration;
    changed(false);
}

bool XrtChart::removeTextArea(XrtHandle handle)
{
    if (m_textAreas.erase(handle) == 0)
        return false;
    ++m_textAreaGeneration;
    changed(false);
    return true;
}

bool XrtChart::hasTextArea(XrtHandle handle) const
{
    return m_textAreas.count(handle) != 0;
}

bool XrtChart::setTextAreaValue(XrtHandle handle, int id, const XrtValue& value)
{
    auto it = m_textAreas.find(handle);
    if (it == m_textAreas.end())
        return false;
    const XrtPropertyInfo* info = xrtPropertyInfo(XrtScope::TextArea, id);
    XrtValue v = value;
    if (info && (info->readOnly || !coerce(info->type, value, v)))
        return false;
    it->second.values[id] = v;
    ++m_textAreaGeneration;
    changed(false);
    return true;
}

XrtValue XrtChart::textAreaValue(XrtHandle handle, int id) const
{
    auto it = m_textAreas.find(handle);
    if (it == m_textAreas.end())
        return {};
    if (id == kXrtTextAreaLeft || id == kXrtTextAreaTop || id == kXrtTextAreaWidth ||
        id == kXrtTextAreaHeight) {
        std::optional<XrtRect> r = textAreaRect(handle);
        if (!r)
            return XrtValue(0);
        return XrtValue(id == kXrtTextAreaLeft    ? r->left
                        : id == kXrtTextAreaTop   ? r->top
                        : id == kXrtTextAreaWidth ? r->width
                                                  : r->height);
    }
    auto v = it->second.values.find(id);
    if (v != it->second.values.end())
        return v->second;
    return xrtPropertyDefault(XrtScope::TextArea, id);
}

std::vector<XrtHandle> XrtChart::textAreas() const
{
    std::vector<std::pair<std::uint64_t, XrtHandle>> ordered;
    for (const auto& [handle, area] : m_textAreas)
        ordered.emplace_back(area.order, handle);
    std::sort(ordered.begin(), ordered.end());
    std::vector<XrtHandle> out;
    for (const auto& o : ordered)
        out.push_back(o.second);
    return out;
}

std::optional<XrtRect> XrtChart::textAreaRect(XrtHandle handle) const
{
    return textAreaRect(handle, layout());
}

std::optional<XrtRect> XrtChart::textAreaRect(XrtHandle handle, const XrtLayout& l) const
{
    if (!hasTextArea(handle) || !l.x.usable || !l.y.usable)
        return std::nullopt;
    auto get = [&](int id) { return textAreaValue(handle, id); };
    XrtFont font = get(kXrtTextAreaFont).toFont();
    std::vector<std::string> lines = get(kXrtTextAreaStrings).toTextList();
    double w = 0.0;
    for (const std::string& line : lines)
        w = std::max(w, m_metrics->textWidth(font, line));
    double lh = m_metrics->lineHeight(font);
    XrtRect r;
    r.width = static_cast<int>(std::ceil(w)) + 2 * kTextAreaPad;
    r.height = static_cast<int>(
                   std::ceil(lh * static_cast<double>(std::max<std::size_t>(1, lines.size())))) +
               2 * kTextAreaPad;
    double px = l.toPixelX(get(kXrtTextAreaX).toDouble());
    double py = l.toPixelY(get(kXrtTextAreaY).toDouble());
    if (!std::isfinite(px) || !std::isfinite(py))
        return std::nullopt;
    int ax = pixelOf(px);
    int ay = pixelOf(py);
    int anchor = static_cast<int>(get(kXrtTextAreaAnchor).toInt());
    if (anchor == 0)
        anchor = kXrtAnchorEast | kXrtAnchorSouth;
    r.left = (anchor & kXrtAnchorEast)   ? ax
             : (anchor & kXrtAnchorWest) ? ax - r.width
                                         : ax - r.width / 2;
    r.top = (anchor & kXrtAnchorSouth)   ? ay
            : (anchor & kXrtAnchorNorth) ? ay - r.height
                                         : ay - r.height / 2;
    return r;
}

void XrtChart::setSizePx(int width, int height)
{
    width = std::clamp(width, 0, kMaxSizePx);
    height = std::clamp(height, 0, kMaxSizePx);
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    ++m_appearanceGeneration;
}

int XrtChart::widthPx() const
{
    int w = 0;
    int h = 0;
    if (m_window && m_window->chartWindowSize(w, h))
        return std::clamp(w, 0, kMaxSizePx);
    return m_width;
}

int XrtChart::heightPx() const
{
    int w = 0;
    int h = 0;
    if (m_window && m_window->chartWindowSize(w, h))
        return std::clamp(h, 0, kMaxSizePx);
    return m_height;
}

void XrtChart::setTextMetrics(std::shared_ptr<const XrtTextMetrics> metrics)
{
    if (!metrics)
        return;
    m_metrics = std::move(metrics);
    m_ownMetrics = true;
    ++m_appearanceGeneration;
}

const XrtDataObject* XrtChart::data() const
{
    return xrtDataObject(static_cast<XrtHandle>(intValue(kXrtData)));
}

void XrtChart::resolveAxis(bool isX, XrtAxis& axis, double* dataMinOut, double* dataMaxOut) const
{
    // The data range of the shown sets and points, finite values only.
    bool dataMinAuto = intValue(isX ? kXrtXDataMinAuto : kXrtYDataMinAuto) != 0;
    bool dataMaxAuto = intValue(isX ? kXrtXDataMaxAuto : kXrtYDataMaxAuto) != 0;
    bool minAuto = intValue(isX ? kXrtXMinAuto : kXrtYMinAuto) != 0;
    bool maxAuto = intValue(isX ? kXrtXMaxAuto : kXrtYMaxAuto) != 0;
    bool scan = (minAuto && dataMinAuto) || (maxAuto && dataMaxAuto) || dataMinOut || dataMaxOut;
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    const XrtDataObject* d = scan ? data() : nullptr;
    if (d) {
        for (int set = d->firstSet(); set <= d->lastSet(); ++set) {
            std::span<const double> values = isX ? d->x(set) : d->y(set);
            int last = std::min<int>(d->lastPoint(set), static_cast<int>(values.size()) - 1);
            for (int p = d->firstPoint(set); p <= last; ++p) {
                double v = values[static_cast<std::size_t>(p)];
                if (std::isfinite(v)) {
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            }
        }
    }
    double dataMin = dataMinAuto ? lo : storedDouble(isX ? kXrtXDataMin : kXrtYDataMin);
    double dataMax = dataMaxAuto ? hi : storedDouble(isX ? kXrtXDataMax : kXrtYDataMax);
    if (dataMinOut)
        *dataMinOut = dataMin;
    if (dataMaxOut)
        *dataMaxOut = dataMax;
    double min = minAuto ? dataMin : storedDouble(isX ? kXrtXMin : kXrtYMin);
    double max = maxAuto ? dataMax : storedDouble(isX ? kXrtXMax : kXrtYMax);
    if (minAuto && maxAuto && dataMinAuto && dataMaxAuto && std::isfinite(min) && min == max) {
        // Constant data still gets an axis around its value.
        double half = min != 0.0 ? std::fabs(min) * 0.05 : 1.0;
        min -= half;
        max += half;
    }
    axis.min = min;
    axis.max = max;
    axis.usable = std::isfinite(min) && std::isfinite(max) && max > min && std::isfinite(max - min);
}

XrtLayout XrtChart::layout() const
{
    const XrtTextMetrics& m = *m_metrics;
    XrtLayout l;
    l.width = widthPx();
    l.height = heightPx();

    // Header and footer bands.
    XrtFont headerFont = stored(kXrtHeaderFont).toFont();
    XrtFont footerFont = stored(kXrtFooterFont).toFont();
    std::vector<std::string> header = stored(kXrtHeaderStrings).toTextList();
    std::vector<std::string> footer = stored(kXrtFooterStrings).toTextList();
    int headerHeight =
        header.empty()
            ? 0
            : static_cast<int>(std::ceil(m.lineHeight(headerFont) * header.size())) + kMargin;
    int footerHeight =
        footer.empty()
            ? 0
            : static_cast<int>(std::ceil(m.lineHeight(footerFont) * footer.size())) + kMargin;
    l.headerTop = kMargin / 2;
    l.footerTop = l.height - footerHeight;
    XrtRect region{0, headerHeight, l.width, std::max(0, l.height - headerHeight - footerHeight)};

    // Legend: one entry per shown set with a label.
    std::vector<std::string> labels = stored(kXrtLegendLabels).toTextList();
    int firstSet = 0;
    int lastSet = static_cast<int>(labels.size()) - 1;
    if (const XrtDataObject* d = data()) {
        firstSet = d->firstSet();
        lastSet = std::min(lastSet, d->lastSet());
    }
    XrtFont legendFont = stored(kXrtLegendFont).toFont();
    double legendLine = m.lineHeight(legendFont);
    int border = std::clamp(intValue(kXrtLegendBorderWidth), 0, 10);
    if (intValue(kXrtLegendBorder) == kXrtBorderNone)
        border = 0;
    bool horizontal = intValue(kXrtLegendOrientation) == kXrtOrientationHorizontal;
    int legendW = 0;
    int legendH = 0;
    if (intValue(kXrtLegendShown) != 0) {
        for (int set = std::max(0, firstSet); set <= lastSet; ++set) {
            const std::string& label = labels[static_cast<std::size_t>(set)];
            if (!label.empty())
                l.legendEntries.push_back({set, label, {}, 0, 0});
        }
    }
    if (!l.legendEntries.empty()) {
        l.legendShown = true;
        int x = border + kLegendPad;
        int y = border + kLegendPad;
        int line = static_cast<int>(std::ceil(legendLine));
        int widest = 0;
        for (XrtLegendEntry& e : l.legendEntries) {
            int tw = static_cast<int>(std::ceil(m.textWidth(legendFont, e.label)));
            e.swatch = {x, y + line / 2 - 4, kLegendSwatch, 8};
            e.textLeft = x + kLegendSwatch + kLegendPad;
            e.textBaselineTop = y;
            int itemW = kLegendSwatch + kLegendPad + tw;
            widest = std::max(widest, itemW);
            if (horizontal)
                x += itemW + 2 * kLegendPad;
            else
                y += line;
        }
        legendW = horizontal ? x - 2 * kLegendPad + kLegendPad + border
                             : widest + 2 * (kLegendPad + border);
        legendH = horizontal ? line + 2 * (kLegendPad + border) : y + kLegendPad + border;
    }

    // Legend placement by its compass anchor; the automatic chart area leaves room for it.
    int anchor = intValue(kXrtLegendAnchor);
    bool east = anchor & kXrtAnchorEast;
    bool west = !east && (anchor & kXrtAnchorWest);
    bool north = anchor & kXrtAnchorNorth;
    bool south = !north && (anchor & kXrtAnchorSouth);
    if (!east && !west && !north && !south)
        east = true;
    bool side = east || west; // beside the chart area; otherwise above or below it
    XrtRect area = region;
    if (l.legendShown) {
        XrtRect& lg = l.legendArea;
        lg.width = legendW;
        lg.height = legendH;
        if (side) {
            lg.left = east ? region.right() - legendW - kMargin : region.left + kMargin;
            lg.top = north   ? region.top + kMargin
                     : south ? region.bottom() - legendH - kMargin
                             : region.top + (region.height - legendH) / 2;
            area.width = std::max(0, region.width - legendW - kMargin);
            if (west)
                area.left = region.left + legendW + kMargin;
        } else {
            lg.left = region.left + (region.width - legendW) / 2;
            lg.top = north ? region.top + kMargin : region.bottom() - legendH - kMargin;
            area.height = std::max(0, region.height - legendH - kMargin);
            if (north)
                area.top = region.top + legendH + kMargin;
        }
        for (XrtLegendEntry& e : l.legendEntries) {
            e.swatch.left += lg.left;
            e.swatch.top += lg.top;
            e.textLeft += lg.left;
            e.textBaselineTop += lg.top;
        }
    }
    // Parts of the chart area placed by hand.
    if (intValue(kXrtChartAreaLeftAuto) == 0)
        area.left = intValue(kXrtChartAreaLeft);
    if (intValue(kXrtChartAreaTopAuto) == 0)
        area.top = intValue(kXrtChartAreaTop);
    if (intValue(kXrtChartAreaWidthAuto) == 0)
        area.width = std::max(0, intValue(kXrtChartAreaWidth));
    if (intValue(kXrtChartAreaHeightAuto) == 0)
        area.height = std::max(0, intValue(kXrtChartAreaHeight));
    l.chartArea = area;

    // Plot area inside the chart area: room for tick labels and axis titles.
    resolveAxis(true, l.x);
    resolveAxis(false, l.y);
    XrtFont axisFont = stored(kXrtAxisFont).toFont();
    int axisLine = static_cast<int>(std::ceil(m.lineHeight(axisFont)));
    bool xTitle = !stored(kXrtXAxisTitle).toText().empty();
    bool yTitle = !stored(kXrtYAxisTitle).toText().empty();
    XrtValue formatValue = stored(kXrtYAxisLabelFormat);
    std::string format = formatValue.toText();
    const std::string* yFormat = formatValue.isNull() ? nullptr : &format;

    // A chart area placed by hand may cover the header or footer band; the plot keeps clear
    // of them so that the title stays readable.
    int top = std::max(area.top, headerHeight) + kMargin + axisLine / 2;
    int bottom = std::min(area.bottom(), l.height - footerHeight) - kMargin -
                 (xTitle ? axisLine + 2 : 0) - axisLine - l.tickLength - 2;
    makeTicks(l.y, bottom - top, std::max(30, axisLine * 5 / 2), yFormat);
    int yLabelWidth = 0;
    for (const std::string& label : l.y.labels)
        yLabelWidth =
            std::max(yLabelWidth, static_cast<int>(std::ceil(m.textWidth(axisFont, label))));
    if (!l.y.usable)
        yLabelWidth = static_cast<int>(std::ceil(m.textWidth(axisFont, "0")));
    int left = area.left + kMargin + (yTitle ? axisLine + 4 : 0) + yLabelWidth + l.tickLength + 3;
    int right = area.right() - kMargin - static_cast<int>(std::ceil(m.textWidth(axisFont, "000")));
    l.plotArea = {left, top, std::max(0, right - left), std::max(0, bottom - top)};
    makeTicks(l.x, l.plotArea.width, std::max(60, axisLine * 6), nullptr);
    l.xTitleTop = l.plotArea.bottom() + l.tickLength + 2 + axisLine;
    l.yTitleLeft = area.left + kMargin;
    return l;
}

bool XrtChart::map(double px, double py, double& x, double& y) const
{
    XrtLayout l = layout();
    if (!l.x.usable || !l.y.usable || l.plotArea.empty())
        return false;
    // A pixel stands for the data at its centre.
    x = l.x.min + (px + 0.5 - l.plotArea.left) / l.plotArea.width * (l.x.max - l.x.min);
    y = l.y.min + (l.plotArea.bottom() - py - 0.5) / l.plotArea.height * (l.y.max - l.y.min);
    return std::isfinite(x) && std::isfinite(y);
}

bool XrtChart::unmap(double x, double y, int& px, int& py) const
{
    XrtLayout l = layout();
    if (!l.x.usable || !l.y.usable || l.plotArea.empty())
        return false;
    double fx = l.toPixelX(x);
    double fy = l.toPixelY(y);
    if (!std::isfinite(fx) || !std::isfinite(fy))
        return false;
    px = pixelOf(fx);
    py = pixelOf(fy);
    return true;
}

void XrtChart::attachWindow(XrtChartWindow* window)
{
    m_window = window;
}

void XrtChart::changed(bool appearance)
{
    if (appearance)
        ++m_appearanceGeneration;
    if (m_repaint)
        requestRepaint();
    else
        m_pending = true;
}

void XrtChart::requestRepaint()
{
    ++m_repaintRequests;
    if (m_window)
        m_window->chartChanged();
}

} // namespace platform::chart
