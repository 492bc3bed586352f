#include "platform/chart/ChartRenderer.h"

#include "platform/chart/XrtProperties.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QTransform>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::chart {

namespace {

class QtTextMetrics final : public XrtTextMetrics
{
public:
    // Widths are kept per font: a chart lays out the same labels on every redraw, and shaping
    // a text costs more than the rest of the layout.
    double textWidth(const XrtFont& font, std::string_view text) const override
    {
        FontEntry& entry = metrics(font);
        auto it = entry.widths.find(text);
        if (it != entry.widths.end())
            return it->second;
        if (entry.widths.size() >= 4096)
            entry.widths.clear(); // bounded: changing labels must not grow it forever
        const double width = entry.metrics.horizontalAdvance(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        entry.widths.emplace(std::string(text), width);
        return width;
    }
    double lineHeight(const XrtFont& font) const override { return metrics(font).height; }

private:
    struct FontEntry
    {
        explicit FontEntry(const QFont& font) : metrics(font), height(metrics.height()) {}
        QFontMetricsF metrics;
        double height;
        std::map<std::string, double, std::less<>> widths;
    };

    FontEntry& metrics(const XrtFont& font) const
    {
        auto key = std::make_tuple(font.face, font.height, font.weight, font.italic, font.underline,
                                   font.strikeOut);
        auto it = m_cache.find(key);
        if (it == m_cache.end())
            it = m_cache.emplace(key, FontEntry(toQFont(font))).first;
        return it->second;
    }

    mutable std::map<std::tuple<std::string, int, int, bool, bool, bool>, FontEntry> m_cache;
};

QString qs(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A line pattern as a Qt pen; false for "None".
bool makePen(const XrtDataStyle& style, XrtColor color, QPen& pen)
{
    int pattern = style.linePattern;
    if (pattern == kXrtLineNone)
        return false;
    int width = std::clamp<int>(style.lineWidth, 0, 10);
    pen = QPen(toQColor(color));
    pen.setWidth(width <= 1 ? 0 : width);
    pen.setCapStyle(Qt::FlatCap);
    switch (pattern) {
    case kXrtLineLongDash:
        pen.setDashPattern({12, 6});
        break;
    case kXrtLineDotted:
        pen.setDashPattern({1, 3});
        break;
    case kXrtLineShortDash:
        pen.setDashPattern({4, 4});
        break;
    case kXrtLineLongShortLongDash:
        pen.setDashPattern({12, 4, 4, 4});
        break;
    case kXrtLineDashDot:
        pen.setDashPattern({8, 4, 1, 4});
        break;
    default:
        break; // default and solid (and unknown values) draw solid
    }
    return true;
}

bool isSolid(const XrtDataStyle& style)
{
    int p = style.linePattern;
    return p == kXrtLineDefault || p == kXrtLineSolid || p < 0 || p > kXrtLineDashDot;
}

bool hasSymbols(const XrtDataStyle& style)
{
    return style.pointStyle > kXrtPointNone && style.pointStyle <= kXrtPointOpenDiamond;
}

Qt::BrushStyle brushStyle(int fill)
{
    switch (fill) {
    case kXrtFillNone:
        return Qt::NoBrush;
    case kXrtFill25:
        return Qt::Dense5Pattern;
    case kXrtFill50:
        return Qt::Dense4Pattern;
    case kXrtFill75:
        return Qt::Dense3Pattern;
    case kXrtFillHorizontalStripe:
        return Qt::HorPattern;
    case kXrtFillVerticalStripe:
        return Qt::VerPattern;
    case kXrtFill45Stripe:
        return Qt::BDiagPattern;
    case kXrtFill135Stripe:
        return Qt::FDiagPattern;
    case kXrtFillDiagonalHatch:
        return Qt::DiagCrossPattern;
    case kXrtFillCrossHatch:
        return Qt::CrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

void drawSymbol(QPainter& p, const XrtDataStyle& style, QPointF c)
{
    int size = std::clamp<int>(style.pointSize, 0, 10);
    double r = 1.5 + size;
    QColor color = toQColor(style.pointColor);
    QBrush fill(color, brushStyle(style.fillPattern));
    p.setPen(QPen(color, 0));
    auto poly = [&](std::initializer_list<QPointF> pts, bool filled) {
        QPolygonF polygon;
        for (QPointF q : pts)
            polygon << c + q;
        p.setBrush(filled ? fill : Qt::NoBrush);
        p.drawPolygon(polygon);
    };
    switch (style.pointStyle) {
    case kXrtPointDot:
        p.setBrush(color);
        p.drawEllipse(c, 1.0 + size / 3.0, 1.0 + size / 3.0);
        break;
    case kXrtPointBox:
    case kXrtPointSquare:
        p.setBrush(style.pointStyle == kXrtPointBox ? fill : QBrush(Qt::NoBrush));
        p.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
        break;
    case kXrtPointTriangle:
    case kXrtPointOpenTriangle:
        poly({{0, -r}, {r, r}, {-r, r}}, style.pointStyle == kXrtPointTriangle);
        break;
    case kXrtPointInvertedTriangle:
        poly({{0, r}, {r, -r}, {-r, -r}}, true);
        break;
    case kXrtPointDiamond:
    case kXrtPointOpenDiamond:
        poly({{0, -r}, {r, 0}, {0, r}, {-r, 0}}, style.pointStyle == kXrtPointDiamond);
        break;
    case kXrtPointCircle:
    case kXrtPointOpenCircle:
        p.setBrush(style.pointStyle == kXrtPointCircle ? fill : QBrush(Qt::NoBrush));
        p.drawEllipse(c, r, r);
        break;
    case kXrtPointVerticalLine:
        p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
        break;
    case kXrtPointHorizontalLine:
        p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
        break;
    case kXrtPointCross:
        p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
        p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
        break;
    case kXrtPointDiagonalCross:
        p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
        break;
    case kXrtPointStar:
        p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
        p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
        p.drawLine(c + QPointF(-r * 0.7, -r * 0.7), c + QPointF(r * 0.7, r * 0.7));
        p.drawLine(c + QPointF(-r * 0.7, r * 0.7), c + QPointF(r * 0.7, -r * 0.7));
        break;
    default:
        break;
    }
}

// Clips the segment to the rectangle [x0, x1] x [y0, y1] (Liang-Barsky); false when
// nothing of it is inside.
bool clipSegment(double& ax, double& ay, double& bx, double& by, double x0, double y0, double x1,
                 double y1)
{
    double t0 = 0.0;
    double t1 = 1.0;
    double dx = bx - ax;
    double dy = by - ay;
    auto edge = [&](double p, double q) {
        if (p == 0.0)
            return q >= 0.0;
        double r = q / p;
        if (p < 0.0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, ax - x0) || !edge(dx, x1 - ax) || !edge(-dy, ay - y0) || !edge(dy, y1 - ay))
        return false;
    double nax = ax + t0 * dx;
    double nay = ay + t0 * dy;
    double nbx = ax + t1 * dx;
    double nby = ay + t1 * dy;
    ax = nax;
    ay = nay;
    bx = nbx;
    by = nby;
    return std::isfinite(ax) && std::isfinite(ay) && std::isfinite(bx) && std::isfinite(by);
}

// floor for values well inside the int range: a truncation and a correction, where the
// library call costs several times as much on the traces' hot path.
inline int chartFloor(double v)
{
    const int i = static_cast<int>(v);
    return i - (v < static_cast<double>(i) ? 1 : 0);
}

// Scratch memory of the span path, kept between redraws: the bounds per pixel column of a
// trace whose x never goes back, and the rows they cover.
struct TraceScratch
{
    std::vector<double> lo;
    std::vector<double> hi;
    std::vector<int> first;
    std::vector<int> last;
};

// A trace's colour as a 32-bit pixel.
std::uint32_t spanPixel(XrtColor color)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(xrtRed(color)) << 16) |
           (static_cast<std::uint32_t>(xrtGreen(color)) << 8) |
           static_cast<std::uint32_t>(xrtBlue(color));
}

// A trace's points: x and y from the first to the last point drawn.
struct TracePoints
{
    const double* x = nullptr;
    const double* y = nullptr;
    std::size_t count = 0;
};

// A trace of a striped redraw.
struct StripeTrace
{
    TracePoints points;
    XrtColor color = 0;
};

// The memory a striped redraw works in, kept between redraws.
struct StripeScratch
{
    std::vector<TraceScratch> threads; // one per thread
    std::vector<int> first;            // per trace, the first row of each plot column
    std::vector<int> last;             // and its last
    std::vector<StripeTrace> traces;
};

// A set's x values found to map to finite device pixels that never go back, kept while the
// data object's x values, the points drawn and the mapping stay the same.
struct OrderedX
{
    std::uint64_t generation = 0; // XrtDataObject::xGeneration(), unique to each object
    const double* x = nullptr;
    std::size_t count = 0;
    double xOffset = 0.0;
    double xScale = 0.0;
    double xMin = 0.0;
};

// 32-bit image memory, taken once on the GUI thread: QImage::bits() may detach, which no
// two threads may do at once.
struct ImagePixels
{
    std::uint32_t* bits = nullptr;
    int stride = 0; // in pixels

    ImagePixels() = default;
    explicit ImagePixels(QImage& image)
        : bits(reinterpret_cast<std::uint32_t*>(image.bits())),
          stride(static_cast<int>(image.bytesPerLine() / 4))
    {}
};

// Copies part (in target pixels) from source, an image of the target's format put on the
// target at offset. part lies within both.
void copyPart(ImagePixels target, const QImage& source, QPoint offset, const QRect& part)
{
    if (part.isEmpty())
        return;
    const auto* bits = reinterpret_cast<const std::uint32_t*>(source.constBits());
    const auto sourceStride = static_cast<std::ptrdiff_t>(source.bytesPerLine() / 4);
    const auto bytes = static_cast<std::size_t>(part.width()) * 4;
    for (int row = part.top(); row <= part.bottom(); ++row)
        std::memcpy(target.bits + static_cast<std::ptrdiff_t>(row) * target.stride + part.left(),
                    bits + (row - offset.y()) * sourceStride + (part.left() - offset.x()), bytes);
}

// Writes a one-pixel trace into 32-bit image memory as vertical spans, one per pixel
// column crossed, merging the spans of consecutive segments in the same column.
//
// For a trace whose x never goes back (the ordered constructor) it writes nothing: every
// segment that reaches a column then comes before any that reaches a later one, so the span
// merged for a column is the bounds of all its segments. Those are gathered per column, and
// columnRows() gives the rows they cover; stepThrough() takes the common segment (within one
// column or into the next) without a branch on where it lies, which a dense trace would
// mispredict at every third point. Only the columns of the window [windowLeft, windowRight]
// are gathered (a stripe of the image another thread gathers apart); the geometry stays that
// of the whole clip box, so a stripe's columns get what the whole trace gives them.
class SpanTracer
{
public:
    SpanTracer(ImagePixels pixels, const QRect& clip, XrtColor color)
        : m_bits(pixels.bits), m_stride(pixels.stride), m_clip(clip), m_left(clip.left()),
          m_top(clip.top()), m_right(clip.right() + 0.999), m_bottom(clip.bottom() + 0.999),
          m_color(spanPixel(color))
    {}
    // Ordered traces: gathers the bounds of the columns windowLeft to windowRight, which
    // columnRows() gives; it writes no pixel.
    SpanTracer(const QRect& clip, TraceScratch& ordered, int windowLeft, int windowRight)
        : SpanTracer(ImagePixels(), clip, 0)
    {
        m_windowLeft = windowLeft;
        m_windowRight = windowRight;
        // One column more on each side: stepThrough() may end or start a segment there.
        const auto width = static_cast<std::size_t>(windowRight - windowLeft + 3);
        ordered.lo.assign(width, std::numeric_limits<double>::infinity());
        ordered.hi.assign(width, -std::numeric_limits<double>::infinity());
        m_columnLo = ordered.lo.data();
        m_columnHi = ordered.hi.data();
    }
    ~SpanTracer()
    {
        if (!m_columnLo)
            flush();
    }
    SpanTracer(const SpanTracer&) = delete;
    SpanTracer& operator=(const SpanTracer&) = delete;

    // Whether a point lies in the clip box (the box segments are clipped to).
    bool inside(double x, double y) const
    {
        return x >= m_left && x < m_right && y >= m_top && y < m_bottom;
    }

    // A segment whose ends are both inside the clip box.
    void insideSegment(double ax, double ay, double bx, double by)
    {
        if (bx < ax) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        const int c0 = chartFloor(ax);
        const int c1 = chartFloor(bx);
        if (c0 == c1) {
            add(c0, ay, by);
            return;
        }
        const double slope = (by - ay) / (bx - ax);
        double ya = ay;
        for (int c = c0; c <= c1; ++c) {
            const double xb = std::min(bx, c + 1.0);
            const double yb = ay + (xb - ax) * slope;
            add(c, ya, yb);
            ya = yb;
        }
    }

    // The column whose span is being gathered (INT_MIN for none).
    int openColumn() const { return m_column; }

    // A segment inside the clip box within the open column: only its heights count, as
    // add() would take them.
    void sameColumn(double ay, double by)
    {
        m_lo = std::min(m_lo, std::min(ay, by));
        m_hi = std::max(m_hi, std::max(ay, by));
    }

    void segment(double ax, double ay, double bx, double by)
    {
        if (!inside(ax, ay) || !inside(bx, by)) {
            if (!clipSegment(ax, ay, bx, by, m_clip.left(), m_clip.top(), m_clip.right() + 0.999,
                             m_clip.bottom() + 0.999))
                return;
        }
        insideSegment(ax, ay, bx, by);
    }

    void point(double x, double y)
    {
        if (x >= m_clip.left() && x < m_clip.right() + 1.0 && y >= m_clip.top() &&
            y < m_clip.bottom() + 1.0)
            add(chartFloor(x), y, y);
    }

    // Ordered traces: the segment from height ay in column ca, both ends inside the clip
    // box, that crosses into column cb at height yc and ends at height ye, cb being ca or
    // ca + 1 (in one column, yc and ye are its end's height). lo and hi are column ca's
    // bounds so far and become column cb's.
    void stepThrough(double ay, int ca, double yc, double ye, int cb, double& lo, double& hi)
    {
        const bool same = ca == cb;
        const double aLo = std::min(lo, std::min(ay, yc));
        const double aHi = std::max(hi, std::max(ay, yc));
        m_columnLo[slot(ca)] = aLo;
        m_columnHi[slot(ca)] = aHi;
        lo = same ? aLo : std::min(yc, ye);
        hi = same ? aHi : std::max(yc, ye);
        m_columnLo[slot(cb)] = lo;
        m_columnHi[slot(cb)] = hi;
    }

    // Ordered traces: a column's bounds so far (+inf, -inf for none, and for a column
    // beyond the window's margin).
    void bounds(int column, double& lo, double& hi) const
    {
        if (column < m_windowLeft - 1 || column > m_windowRight + 1) {
            lo = std::numeric_limits<double>::infinity();
            hi = -std::numeric_limits<double>::infinity();
            return;
        }
        lo = m_columnLo[slot(column)];
        hi = m_columnHi[slot(column)];
    }

private:
    // A column's place in the bounds of the window (and its margin).
    std::ptrdiff_t slot(int column) const { return column - m_windowLeft + 1; }

    void add(int column, double a, double b)
    {
        const double lo = std::min(a, b);
        const double hi = std::max(a, b);
        if (m_columnLo) {
            if (column < m_windowLeft || column > m_windowRight)
                return;
            double& columnLo = m_columnLo[slot(column)];
            double& columnHi = m_columnHi[slot(column)];
            columnLo = std::min(columnLo, lo);
            columnHi = std::max(columnHi, hi);
            return;
        }
        if (column == m_column) {
            m_lo = std::min(m_lo, lo);
            m_hi = std::max(m_hi, hi);
            return;
        }
        flush();
        m_column = column;
        m_lo = lo;
        m_hi = hi;
    }

    void flush()
    {
        if (m_column == INT_MIN)
            return;
        int column = m_column;
        m_column = INT_MIN;
        if (column < m_clip.left() || column > m_clip.right())
            return;
        int top = std::max(m_clip.top(), chartFloor(m_lo));
        int bottom = std::min(m_clip.bottom(), chartFloor(m_hi));
        // Locals: a store through p could alias the members, which would be read again
        // for every pixel.
        const std::ptrdiff_t stride = m_stride;
        const std::uint32_t color = m_color;
        std::uint32_t* p = m_bits + static_cast<std::ptrdiff_t>(top) * stride + column;
        for (int y = top; y <= bottom; ++y, p += stride)
            *p = color;
    }

public:
    // Ordered traces: the rows each column of the window covers, within the clip box, into
    // first[0..n) and last[0..n) (first > last for none).
    void columnRows(int* first, int* last) const
    {
        const int top = m_clip.top();
        const int bottom = m_clip.bottom();
        const int n = m_windowRight - m_windowLeft + 1;
        const double* const columnLo = m_columnLo + 1;
        const double* const columnHi = m_columnHi + 1;
        for (int i = 0; i < n; ++i) {
            if (columnLo[i] <= columnHi[i]) {
                first[i] = std::max(top, chartFloor(columnLo[i]));
                last[i] = std::min(bottom, chartFloor(columnHi[i]));
            } else {
                first[i] = INT_MAX;
                last[i] = INT_MIN;
            }
        }
    }

private:
    std::uint32_t* m_bits;
    int m_stride;
    QRect m_clip;
    double m_left;
    double m_top;
    double m_right;
    double m_bottom;
    std::uint32_t m_color;
    int m_column = INT_MIN;
    double m_lo = 0.0;
    double m_hi = 0.0;
    // Ordered traces: the window and its bounds, indexed by column.
    int m_windowLeft = 0;
    int m_windowRight = -1;
    double* m_columnLo = nullptr;
    double* m_columnHi = nullptr;
};

struct Mapping
{
    // device = offset + scale * (value - min)
    double xOffset = 0.0;
    double xScale = 1.0;
    double xMin = 0.0;
    double yOffset = 0.0;
    double yScale = 1.0;
    double yMin = 0.0;

    double x(double v) const { return xOffset + (v - xMin) * xScale; }
    double y(double v) const { return yOffset + (v - yMin) * yScale; }
};

Mapping chartMapping(const XrtLayout& l)
{
    Mapping m;
    m.xMin = l.x.min;
    m.xOffset = l.plotArea.left;
    m.xScale = l.plotArea.width / (l.x.max - l.x.min);
    m.yMin = l.y.min;
    m.yOffset = l.plotArea.bottom();
    m.yScale = -l.plotArea.height / (l.y.max - l.y.min);
    return m;
}

void drawTextLine(QPainter& p, const QRectF& box, int flags, const std::string& text)
{
    p.drawText(box, flags | Qt::TextDontClip | Qt::TextSingleLine, qs(text));
}

void drawBorder(QPainter& p, const QRect& r, int style, int width, const QColor& color)
{
    if (style == kXrtBorderNone || width <= 0)
        return;
    QColor light = color.lighter(300);
    if (light == color)
        light = QColor(220, 220, 220);
    QColor dark = QColor(96, 96, 96);
    auto frame = [&](const QRect& rect, const QColor& topLeft, const QColor& bottomRight, int w) {
        for (int i = 0; i < w; ++i) {
            QRect q = rect.adjusted(i, i, -i - 1, -i - 1);
            p.setPen(topLeft);
            p.drawLine(q.topLeft(), q.topRight());
            p.drawLine(q.topLeft(), q.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(q.bottomLeft(), q.bottomRight());
            p.drawLine(q.topRight(), q.bottomRight());
        }
    };
    switch (style) {
    case kXrtBorder3DOut:
    case kXrtBorderBevel:
        frame(r, light, dark, width);
        break;
    case kXrtBorder3DIn:
        frame(r, dark, light, width);
        break;
    case kXrtBorderShadow:
        p.fillRect(QRect(r.left() + width, r.bottom() + 1, r.width(), width), dark);
        p.fillRect(QRect(r.right() + 1, r.top() + width, width, r.height()), dark);
        frame(r, color, color, 1);
        break;
    case kXrtBorderEtchedIn:
    case kXrtBorderFrameIn:
        frame(r, dark, light, std::max(1, width / 2));
        frame(r.adjusted(width / 2, width / 2, -width / 2, -width / 2), light, dark,
              std::max(1, width - width / 2));
        break;
    case kXrtBorderEtchedOut:
    case kXrtBorderFrameOut:
        frame(r, light, dark, std::max(1, width / 2));
        frame(r.adjusted(width / 2, width / 2, -width / 2, -width / 2), dark, light,
              std::max(1, width - width / 2));
        break;
    default:
        frame(r, color, color, width);
        break; // plain and unknown values
    }
}

void drawStyleSample(QPainter& p, const XrtDataStyle& style, const QRect& r)
{
    QPen pen;
    int mid = r.top() + r.height() / 2;
    if (makePen(style, style.lineColor, pen)) {
        p.setPen(pen);
        p.drawLine(QPointF(r.left(), mid + 0.5), QPointF(r.right() + 1, mid + 0.5));
    }
    if (hasSymbols(style))
        drawSymbol(p, style, QPointF(r.left() + r.width() / 2.0, mid + 0.5));
}

} // namespace

QColor toQColor(XrtColor color)
{
    return QColor(xrtRed(color), xrtGreen(color), xrtBlue(color));
}

QFont toQFont(const XrtFont& font)
{
    QFont f(font.face.empty() ? QStringLiteral("Arial") : qs(font.face));
    f.setPixelSize(xrtFontPixelSize(font));
    if (font.weight > 0)
        f.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}

std::shared_ptr<const XrtTextMetrics> qtTextMetrics()
{
    static std::shared_ptr<const XrtTextMetrics> metrics = std::make_shared<QtTextMetrics>();
    return metrics;
}

void useQtTextMetrics(XrtChart& chart)
{
    if (!chart.hasOwnTextMetrics())
        chart.setTextMetrics(qtTextMetrics());
}

namespace {

struct RenderCaches
{
    // Everything under the traces, drawn at the chart's scale.
    QImage underlay;
    std::uint64_t underlayGeneration = 0;
    double underlayScale = 0.0;
    int width = 0;
    int height = 0;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool xUsable = false, yUsable = false;
    // The legend, drawn over the traces.
    QImage legend;
    // Text areas, by handle.
    std::map<XrtHandle, QImage> textAreas;
    std::uint64_t textAreaGeneration = 0;
    std::uint64_t textAppearance = 0;
    double textScale = 0.0;
    // Background pictures by path (an empty image for a file that cannot be read).
    std::map<std::string, QImage> bitmaps;
    // The span path's working memory.
    TraceScratch traces;
    StripeScratch stripes;
    std::vector<OrderedX> orderedX; // by set

    const QImage& bitmap(const std::string& path)
    {
        auto it = bitmaps.find(path);
        if (it == bitmaps.end()) {
            if (bitmaps.size() > 8)
                bitmaps.clear();
            it = bitmaps.emplace(path, QImage(qs(path))).first;
        }
        return it->second;
    }
};

// Background, header, footer, grid, axes, ticks, labels and titles.
void drawUnderlay(QPainter& p, const XrtChart& c, RenderCaches& caches, const XrtLayout& l)
{
    auto color = [&](int id) { return toQColor(static_cast<XrtColor>(c.value(id).toInt())); };
    QRect whole(0, 0, l.width, l.height);
    p.fillRect(whole, color(kXrtBackgroundColor));
    XrtValue bitmapPath = c.value(kXrtBackgroundBitmap);
    if (!bitmapPath.isNull() && !bitmapPath.toText().empty()) {
        const QImage& bitmap = caches.bitmap(bitmapPath.toText());
        if (!bitmap.isNull())
            p.drawImage(QRectF(whole), bitmap);
    }
    if (c.value(kXrtChartShown).toInt() == 0)
        return;
    const XrtTextMetrics& m = c.textMetrics();

    // Header and footer, centred.
    XrtFont headerFont = c.value(kXrtHeaderFont).toFont();
    p.setFont(toQFont(headerFont));
    p.setPen(color(kXrtHeaderColor));
    double y = l.headerTop;
    for (const std::string& line : c.value(kXrtHeaderStrings).toTextList()) {
        double h = m.lineHeight(headerFont);
        drawTextLine(p, QRectF(0, y, l.width, h), Qt::AlignHCenter | Qt::AlignTop, line);
        y += h;
    }
    XrtFont footerFont = c.value(kXrtFooterFont).toFont();
    p.setFont(toQFont(footerFont));
    p.setPen(color(kXrtForegroundColor));
    y = l.footerTop;
    for (const std::string& line : c.value(kXrtFooterStrings).toTextList()) {
        double h = m.lineHeight(footerFont);
        drawTextLine(p, QRectF(0, y, l.width, h), Qt::AlignHCenter | Qt::AlignTop, line);
        y += h;
    }

    const XrtRect& a = l.plotArea;
    if (a.empty())
        return;
    QRect plot(a.left, a.top, a.width, a.height);

    // Grid lines at the ticks.
    p.save();
    p.setClipRect(plot);
    QPen pen;
    XrtDataStyle hGrid = c.value(kXrtHorizontalGridStyle).toDataStyle();
    if (l.y.usable && makePen(hGrid, hGrid.lineColor, pen)) {
        p.setPen(pen);
        for (double t : l.y.ticks) {
            double py = std::floor(l.toPixelY(t)) + 0.5;
            p.drawLine(QPointF(a.left, py), QPointF(a.right(), py));
        }
    }
    XrtDataStyle vGrid = c.value(kXrtVerticalGridStyle).toDataStyle();
    if (l.x.usable && makePen(vGrid, vGrid.lineColor, pen)) {
        p.setPen(pen);
        for (double t : l.x.ticks) {
            double px = std::floor(l.toPixelX(t)) + 0.5;
            p.drawLine(QPointF(px, a.top), QPointF(px, a.bottom()));
        }
    }
    p.restore();

    // Frame, ticks and labels.
    QColor fg = color(kXrtForegroundColor);
    p.setPen(QPen(fg, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(a.left - 0.5, a.top - 0.5, a.width, a.height));
    XrtFont axisFont = c.value(kXrtAxisFont).toFont();
    p.setFont(toQFont(axisFont));
    double axisLine = m.lineHeight(axisFont);
    for (std::size_t i = 0; i < l.x.ticks.size(); ++i) {
        double px = std::floor(l.toPixelX(l.x.ticks[i])) + 0.5;
        p.drawLine(QPointF(px, a.bottom()), QPointF(px, a.bottom() + l.tickLength));
        drawTextLine(p, QRectF(px - 200, a.bottom() + l.tickLength + 1, 400, axisLine),
                     Qt::AlignHCenter | Qt::AlignTop, l.x.labels[i]);
    }
    for (std::size_t i = 0; i < l.y.ticks.size(); ++i) {
        double py = std::floor(l.toPixelY(l.y.ticks[i])) + 0.5;
        p.drawLine(QPointF(a.left - l.tickLength, py), QPointF(a.left, py));
        drawTextLine(p, QRectF(a.left - l.tickLength - 2 - 1000, py - axisLine / 2, 1000, axisLine),
                     Qt::AlignRight | Qt::AlignVCenter, l.y.labels[i]);
    }
    std::string xTitle = c.value(kXrtXAxisTitle).toText();
    if (!xTitle.empty())
        drawTextLine(p, QRectF(a.left, l.xTitleTop, a.width, axisLine),
                     Qt::AlignHCenter | Qt::AlignTop, xTitle);
    std::string yTitle = c.value(kXrtYAxisTitle).toText();
    if (!yTitle.empty()) {
        p.save();
        p.translate(l.yTitleLeft, a.top + a.height / 2.0);
        p.rotate(-90);
        drawTextLine(p, QRectF(-a.height / 2.0 - 500, 0, a.height + 1000, axisLine),
                     Qt::AlignHCenter | Qt::AlignTop, yTitle);
        p.restore();
    }
}

void drawLegend(QPainter& p, const XrtChart& c, const XrtLayout& l)
{
    if (!l.legendShown || c.value(kXrtChartShown).toInt() == 0)
        return;
    const XrtRect& r = l.legendArea;
    QRect box(r.left, r.top, r.width, r.height);
    QColor fg = toQColor(static_cast<XrtColor>(c.value(kXrtLegendForegroundColor).toInt()));
    p.fillRect(box, toQColor(static_cast<XrtColor>(c.value(kXrtLegendBackgroundColor).toInt())));
    drawBorder(p, box, static_cast<int>(c.value(kXrtLegendBorder).toInt()),
               std::clamp<int>(static_cast<int>(c.value(kXrtLegendBorderWidth).toInt()), 0, 10),
               fg);
    XrtFont font = c.value(kXrtLegendFont).toFont();
    double line = c.textMetrics().lineHeight(font);
    p.setFont(toQFont(font));
    for (const XrtLegendEntry& e : l.legendEntries) {
        drawStyleSample(p, c.dataStyle(e.set),
                        QRect(e.swatch.left, e.swatch.top, e.swatch.width, e.swatch.height));
        p.setPen(fg);
        drawTextLine(p, QRectF(e.textLeft, e.textBaselineTop, 2000, line),
                     Qt::AlignLeft | Qt::AlignTop, e.label);
    }
}

void drawTextAreaContent(QPainter& p, const XrtChart& c, XrtHandle h, const QRect& r)
{
    XrtFont font = c.textAreaValue(h, kXrtTextAreaFont).toFont();
    double line = c.textMetrics().lineHeight(font);
    p.setFont(toQFont(font));
    p.setPen(toQColor(static_cast<XrtColor>(c.textAreaValue(h, kXrtTextAreaColor).toInt())));
    double y = r.top() + 2;
    for (const std::string& text : c.textAreaValue(h, kXrtTextAreaStrings).toTextList()) {
        drawTextLine(p, QRectF(r.left() + 2, y, r.width(), line), Qt::AlignLeft | Qt::AlignTop,
                     text);
        y += line;
    }
}

// The point of the marker, in data coordinates; false when there is none to draw.
bool markerPoint(const XrtChart& c, double& x, double& y)
{
    if (c.value(kXrtMarkerShown).toInt() == 0)
        return false;
    const XrtDataObject* d = c.data();
    if (!d)
        return false;
    int set = static_cast<int>(c.value(kXrtMarkerDataSet).toInt());
    int point = static_cast<int>(c.value(kXrtMarkerPoint).toInt());
    return d->xElement(set, point, x) && d->yElement(set, point, y) && std::isfinite(x);
}

void drawMarker(QPainter& p, const XrtChart& c, const XrtLayout& l)
{
    double x = 0;
    double y = 0;
    if (!l.x.usable || !l.y.usable || !markerPoint(c, x, y))
        return;
    XrtDataStyle style = c.value(kXrtMarkerStyle).toDataStyle();
    QPen pen;
    if (!makePen(style, style.lineColor, pen))
        return;
    const XrtRect& a = l.plotArea;
    p.save();
    p.setClipRect(QRect(a.left, a.top, a.width, a.height));
    p.setPen(pen);
    double px = l.toPixelX(x);
    if (px >= a.left - 1 && px <= a.right() + 1) {
        px = std::floor(px) + 0.5;
        p.drawLine(QPointF(px, a.top), QPointF(px, a.bottom()));
    }
    double py = l.toPixelY(y);
    if (c.value(kXrtMarkerHorizontalLine).toInt() != 0 && std::isfinite(py) && py >= a.top - 1 &&
        py <= a.bottom() + 1) {
        py = std::floor(py) + 0.5;
        p.drawLine(QPointF(a.left, py), QPointF(a.right(), py));
    }
    p.restore();
}

// One trace through QPainter: the per-column min/max polyline for solid lines without
// symbols, the whole polyline (so dashes run on) and every symbol otherwise.
void drawTracePainter(QPainter& p, const XrtDataObject& d, int set, const XrtDataStyle& style,
                      const XrtLayout& l)
{
    std::span<const double> xs = d.x(set);
    std::span<const double> ys = d.y(set);
    int first = std::max(0, d.firstPoint(set));
    int last = std::min(d.lastPoint(set), static_cast<int>(xs.size()) - 1);
    if (last < first)
        return;
    Mapping m = chartMapping(l);
    const XrtRect& a = l.plotArea;
    // Lines are clipped by hand against a slightly larger box, so that huge coordinates
    // never reach the rasteriser.
    double x0 = a.left - 16.0, y0 = a.top - 16.0, x1 = a.right() + 16.0, y1 = a.bottom() + 16.0;
    QPen pen;
    bool line = makePen(style, style.lineColor, pen);
    bool symbols = hasSymbols(style);
    bool reduce = line && !symbols && isSolid(style);
    if (line) {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QPolygonF run;
        auto flushRun = [&] {
            if (run.size() >= 2)
                p.drawPolyline(run);
            else if (run.size() == 1)
                p.drawPoint(run.front());
            run.clear();
        };
        auto addSegment = [&](double ax, double ay, double bx, double by) {
            double cax = ax, cay = ay, cbx = bx, cby = by;
            if (!clipSegment(cax, cay, cbx, cby, x0, y0, x1, y1)) {
                flushRun();
                return;
            }
            if (run.isEmpty() || cax != ax || cay != ay) {
                flushRun();
                run << QPointF(cax, cay);
            }
            run << QPointF(cbx, cby);
            if (cbx != bx || cby != by)
                flushRun();
        };
        bool havePrev = false;
        double prevX = 0, prevY = 0;
        // Reduction state: the open column and its first, lowest, highest and last y.
        bool open = false;
        long column = 0;
        double cFirst = 0, cMin = 0, cMax = 0, cLast = 0, cX = 0;
        bool minFirst = true;
        auto closeColumn = [&] {
            if (!open)
                return;
            open = false;
            double a1 = minFirst ? cMin : cMax;
            double a2 = minFirst ? cMax : cMin;
            double pts[4] = {cFirst, a1, a2, cLast};
            double px = cX, py = cFirst;
            for (int i = 1; i < 4; ++i) {
                if (pts[i] != py)
                    addSegment(px, py, px, pts[i]);
                py = pts[i];
            }
            prevX = px;
            prevY = cLast;
        };
        for (int i = first; i <= last; ++i) {
            double vx = xs[static_cast<std::size_t>(i)];
            double vy = ys[static_cast<std::size_t>(i)];
            double px = m.x(vx);
            double py = m.y(vy);
            if (!std::isfinite(px) || !std::isfinite(py)) {
                closeColumn();
                flushRun();
                havePrev = false;
                continue;
            }
            if (reduce) {
                long col = static_cast<long>(std::floor(std::clamp(px, -1e9, 1e9)));
                if (open && col == column) {
                    if (py < cMin) {
                        cMin = py;
                        minFirst = false;
                    }
                    if (py > cMax)
                        cMax = py;
                    cLast = py;
                    continue;
                }
                closeColumn();
                if (havePrev)
                    addSegment(prevX, prevY, px, py);
                open = true;
                column = col;
                cX = px;
                cFirst = cMin = cMax = cLast = py;
                minFirst = true;
                havePrev = true;
                continue;
            }
            if (havePrev)
                addSegment(prevX, prevY, px, py);
            else
                run.clear();
            prevX = px;
            prevY = py;
            havePrev = true;
        }
        closeColumn();
        flushRun();
    }
    if (symbols) {
        for (int i = first; i <= last; ++i) {
            double px = m.x(xs[static_cast<std::size_t>(i)]);
            double py = m.y(ys[static_cast<std::size_t>(i)]);
            if (px >= x0 && px <= x1 && py >= y0 && py <= y1)
                drawSymbol(p, style, QPointF(px, py));
        }
    }
}

TracePoints tracePoints(const XrtDataObject& d, int set)
{
    std::span<const double> xs = d.x(set);
    std::span<const double> ys = d.y(set);
    const int first = std::max(0, d.firstPoint(set));
    const int last = std::min(
        {d.lastPoint(set), static_cast<int>(xs.size()) - 1, static_cast<int>(ys.size()) - 1});
    if (last < first)
        return {};
    return {xs.data() + first, ys.data() + first, static_cast<std::size_t>(last - first + 1)};
}

// Chart values to device pixels, and the plot area in whole device pixels within the image.
struct TraceGeometry
{
    Mapping mapping;
    QRect clip;
};

TraceGeometry traceGeometry(const QTransform& t, const XrtLayout& l, const QRect& imageRect)
{
    TraceGeometry g;
    Mapping& m = g.mapping;
    m = chartMapping(l);
    m.xScale *= t.m11();
    m.xOffset = m.xOffset * t.m11() + t.dx();
    m.yScale *= t.m22();
    m.yOffset = m.yOffset * t.m22() + t.dy();
    const XrtRect& a = l.plotArea;
    QRectF device = t.mapRect(QRectF(a.left, a.top, a.width, a.height));
    g.clip = QRect(static_cast<int>(std::ceil(device.left() - 0.5)),
                   static_cast<int>(std::ceil(device.top() - 0.5)), 0, 0);
    g.clip.setRight(static_cast<int>(std::ceil(device.right() - 0.5)) - 1);
    g.clip.setBottom(static_cast<int>(std::ceil(device.bottom() - 0.5)) - 1);
    g.clip &= imageRect;
    return g;
}

// Whether all of a trace's x values map to finite device pixels that never go back: the
// half of tracePointsOrdered() that a redraw can keep while the x values do not change.
bool traceXOrdered(const Mapping& m, const TracePoints& points)
{
    const double xOffset = m.xOffset, xScale = m.xScale, xMin = m.xMin;
    constexpr double kLargest = std::numeric_limits<double>::max();
    bool ordered = true;
    double previous = -kLargest;
    // NaN fails every comparison.
    for (std::size_t i = 0; i < points.count; ++i) {
        const double x = xOffset + (points.x[i] - xMin) * xScale;
        ordered &= (x >= previous) & (x <= kLargest);
        previous = x;
    }
    return ordered;
}

// Whether all of a trace's points map to finite device pixels with x never going back.
bool tracePointsOrdered(const Mapping& m, const TracePoints& points)
{
    if (!traceXOrdered(m, points))
        return false;
    const double yOffset = m.yOffset, yScale = m.yScale, yMin = m.yMin;
    constexpr double kLargest = std::numeric_limits<double>::max();
    bool finite = true;
    for (std::size_t i = 0; i < points.count; ++i)
        finite &= std::fabs(yOffset + (points.y[i] - yMin) * yScale) <= kLargest;
    return finite;
}

// Writes the spans of n pixel columns from column left, column i covering rows first[i] to
// last[i], where they lie within rows top to bottom.
void writeSpans(ImagePixels pixels, std::uint32_t color, int left, int n, const int* first,
                const int* last, int top, int bottom)
{
    const std::ptrdiff_t stride = pixels.stride;
    std::uint32_t* const base = pixels.bits + left;
    // Four columns at a time, row by row, with one masked store per row: a pixel column's
    // rows lie a whole image row apart, and storing them one by one costs a store per pixel
    // where a row of four takes one.
    using Lanes = std::int32_t __attribute__((vector_size(16)));
    using Pixels = std::uint32_t __attribute__((vector_size(16)));
    const Pixels colors = {color, color, color, color};
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        Lanes firsts, lasts;
        std::memcpy(&firsts, first + i, sizeof firsts);
        std::memcpy(&lasts, last + i, sizeof lasts);
        const int blockTop =
            std::max(top, std::min(std::min(firsts[0], firsts[1]), std::min(firsts[2], firsts[3])));
        const int blockBottom =
            std::min(bottom, std::max(std::max(lasts[0], lasts[1]), std::max(lasts[2], lasts[3])));
        if (blockTop > blockBottom)
            continue;
        std::uint32_t* p = base + static_cast<std::ptrdiff_t>(blockTop) * stride + i;
        for (int y = blockTop; y <= blockBottom; ++y, p += stride) {
            const Lanes row = {y, y, y, y};
            const Pixels mask = reinterpret_cast<Pixels>((firsts <= row) & (row <= lasts));
            Pixels pixels;
            std::memcpy(&pixels, p, sizeof pixels);
            pixels = (pixels & ~mask) | (colors & mask);
            std::memcpy(p, &pixels, sizeof pixels);
        }
    }
    for (; i < n; ++i) {
        const int from = std::max(top, first[i]);
        const int to = std::min(bottom, last[i]);
        if (from > to)
            continue;
        std::uint32_t* p = base + static_cast<std::ptrdiff_t>(from) * stride + i;
        for (int y = from; y <= to; ++y, p += stride)
            *p = color;
    }
}

// A column far from any image's, for a point outside the clip box: a difference with it is
// never 0 or 1, and never overflows.
constexpr int kOutsideColumn = INT_MIN / 2;

// A chunk of an ordered trace's points in device pixels, for orderedTraceRows(): x, y and
// the pixel column (kOutsideColumn outside the clip box) of each point, and where the
// segment from the point before crosses into the next column and where it ends. Element 0
// is the point before the chunk, whose own values the caller sets.
struct PointChunk
{
    static constexpr std::size_t kSize = 256;
    double x[kSize + 1];
    double y[kSize + 1];
    int column[kSize + 1];
    double cross[kSize + 1];
    double end[kSize + 1];

    // Maps the points xs[0..n) and ys[0..n) to elements 1 to n; false when a y maps to no
    // finite pixel row. Two points at a time where the processor has SSE2, by the same
    // expressions as the scalar loop that takes the rest.
    bool map(const double* xs, const double* ys, std::size_t n, const Mapping& m, const QRect& clip)
    {
        constexpr double kLargest = std::numeric_limits<double>::max();
        const double left = clip.left(), right = clip.right() + 0.999;
        const double top = clip.top(), bottom = clip.bottom() + 0.999;
        std::size_t j = 0;
        bool finite = true;
#if defined(__SSE2__)
        const __m128d xOffset = _mm_set1_pd(m.xOffset), xScale = _mm_set1_pd(m.xScale);
        const __m128d xMin = _mm_set1_pd(m.xMin);
        const __m128d yOffset = _mm_set1_pd(m.yOffset), yScale = _mm_set1_pd(m.yScale);
        const __m128d yMin = _mm_set1_pd(m.yMin);
        const __m128d vLeft = _mm_set1_pd(left), vRight = _mm_set1_pd(right);
        const __m128d vTop = _mm_set1_pd(top), vBottom = _mm_set1_pd(bottom);
        const __m128d largest = _mm_set1_pd(kLargest), sign = _mm_set1_pd(-0.0);
        const __m128i outside = _mm_set1_epi32(kOutsideColumn);
        __m128d allFinite = _mm_castsi128_pd(_mm_set1_epi32(-1));
        for (; j + 2 <= n; j += 2) {
            const __m128d px =
                _mm_add_pd(xOffset, _mm_mul_pd(_mm_sub_pd(_mm_loadu_pd(xs + j), xMin), xScale));
            const __m128d py =
                _mm_add_pd(yOffset, _mm_mul_pd(_mm_sub_pd(_mm_loadu_pd(ys + j), yMin), yScale));
            allFinite = _mm_and_pd(allFinite, _mm_cmple_pd(_mm_andnot_pd(sign, py), largest));
            const __m128d inside =
                _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(px, vLeft), _mm_cmplt_pd(px, vRight)),
                           _mm_and_pd(_mm_cmpge_pd(py, vTop), _mm_cmplt_pd(py, vBottom)));
            // floor as chartFloor() takes it, of x inside (0 outside, where the conversion
            // could overflow); the comparisons' 64-bit masks narrowed to 32-bit lanes.
            const __m128i truncated = _mm_cvttpd_epi32(_mm_and_pd(px, inside));
            const __m128d below = _mm_cmplt_pd(px, _mm_cvtepi32_pd(truncated));
            const __m128i below32 =
                _mm_shuffle_epi32(_mm_castpd_si128(below), _MM_SHUFFLE(3, 3, 2, 0));
            const __m128i inside32 =
                _mm_shuffle_epi32(_mm_castpd_si128(inside), _MM_SHUFFLE(3, 3, 2, 0));
            const __m128i floored = _mm_add_epi32(truncated, below32);
            const __m128i columns =
                _mm_or_si128(_mm_and_si128(inside32, floored), _mm_andnot_si128(inside32, outside));
            _mm_storeu_pd(x + j + 1, px);
            _mm_storeu_pd(y + j + 1, py);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(column + j + 1), columns);
        }
        finite = _mm_movemask_pd(allFinite) == 3;
#endif
        for (; j < n; ++j) {
            const double px = m.xOffset + (xs[j] - m.xMin) * m.xScale;
            const double py = m.yOffset + (ys[j] - m.yMin) * m.yScale;
            finite &= std::fabs(py) <= kLargest;
            const bool inside = px >= left && px < right && py >= top && py < bottom;
            x[j + 1] = px;
            y[j + 1] = py;
            column[j + 1] = inside ? chartFloor(px) : kOutsideColumn;
        }
        return finite;
    }

    // SpanTracer::stepThrough()'s heights for the segments ending at elements 1 to n: where
    // each crosses into the next column and where it ends, by the expressions
    // SpanTracer::insideSegment() uses; in one column, both are its end's height. Only a
    // segment inside the clip box within one column or into the next uses them.
    void crossings(std::size_t n)
    {
        std::size_t j = 1;
#if defined(__SSE2__)
        const __m128d one = _mm_set1_pd(1.0);
        for (; j + 2 <= n + 1; j += 2) {
            const __m128d ax = _mm_loadu_pd(x + j - 1), bx = _mm_loadu_pd(x + j);
            const __m128d ay = _mm_loadu_pd(y + j - 1), by = _mm_loadu_pd(y + j);
            const __m128i ca = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(column + j - 1));
            const __m128i cb = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(column + j));
            const __m128i same32 = _mm_cmpeq_epi32(ca, cb);
            const __m128d same = _mm_castsi128_pd(_mm_unpacklo_epi32(same32, same32));
            auto pick = [](__m128d mask, __m128d a, __m128d b) {
                return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b));
            };
            const __m128d width = _mm_sub_pd(bx, ax);
            const __m128d slope = _mm_div_pd(_mm_sub_pd(by, ay), pick(same, one, width));
            const __m128d boundary = _mm_add_pd(_mm_cvtepi32_pd(ca), one);
            const __m128d yc = _mm_add_pd(ay, _mm_mul_pd(_mm_sub_pd(boundary, ax), slope));
            const __m128d ye = _mm_add_pd(ay, _mm_mul_pd(width, slope));
            _mm_storeu_pd(cross + j, pick(same, by, yc));
            _mm_storeu_pd(end + j, pick(same, by, ye));
        }
#endif
        for (; j <= n; ++j) {
            const double ax = x[j - 1], ay = y[j - 1], bx = x[j], by = y[j];
            const bool same = column[j - 1] == column[j];
            const double slope = (by - ay) / (same ? 1.0 : bx - ax);
            cross[j] = same ? by : ay + ((column[j - 1] + 1.0) - ax) * slope;
            end[j] = same ? by : ay + (bx - ax) * slope;
        }
    }
};

// The rows that the columns windowLeft to windowRight of a trace whose points
// tracePointsOrdered() accepts cover, into first and last (one per column of the window), in
// one pass over the points that reach them, keeping the open column's bounds in registers.
// Given x values that traceXOrdered() accepts, it checks the y values of the points it reaches
// and returns false at the first that maps to no finite pixel row; those are the only points
// whose y can change the window's pixels.
bool orderedTraceRows(const QRect& clip, const Mapping& m, const TracePoints& points,
                      TraceScratch& scratch, int windowLeft, int windowRight, int* first, int* last)
{
    constexpr double kLargest = std::numeric_limits<double>::max();
    const double xOffset = m.xOffset, xScale = m.xScale, xMin = m.xMin;
    const double yOffset = m.yOffset, yScale = m.yScale, yMin = m.yMin;
    auto deviceX = [&](std::size_t i) { return xOffset + (points.x[i] - xMin) * xScale; };
    auto deviceY = [&](std::size_t i) { return yOffset + (points.y[i] - yMin) * yScale; };
    SpanTracer tracer(clip, scratch, windowLeft, windowRight);
    if (points.count == 1) {
        const double y = deviceY(0);
        if (!(std::fabs(y) <= kLargest))
            return false;
        tracer.point(deviceX(0), y);
        tracer.columnRows(first, last);
        return true;
    }
    // From the last point left of the window to the first right of it: the segments
    // between reach every column of the window that any segment reaches.
    auto indexAt = [&](double x) {
        std::size_t lo = 0, hi = points.count;
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (deviceX(mid) < x)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo; // the first point at or right of x
    };
    const std::size_t begin = std::max<std::size_t>(indexAt(windowLeft), 1) - 1;
    const std::size_t end = std::min(indexAt(windowRight + 1.0), points.count - 1);
    double prevX = deviceX(begin);
    double prevY = deviceY(begin);
    if (!(std::fabs(prevY) <= kLargest))
        return false;
    int prevColumn = tracer.inside(prevX, prevY) ? chartFloor(prevX) : kOutsideColumn;
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    tracer.bounds(prevColumn, lo, hi);
    // The points in chunks: their device pixels, columns and crossing heights first, two
    // at a time, then the segments, which only gather the bounds.
    PointChunk chunk;
    for (std::size_t from = begin + 1; from <= end; from += PointChunk::kSize) {
        const std::size_t n = std::min(PointChunk::kSize, end + 1 - from);
        chunk.x[0] = prevX;
        chunk.y[0] = prevY;
        chunk.column[0] = prevColumn;
        if (!chunk.map(points.x + from, points.y + from, n, m, clip))
            return false;
        chunk.crossings(n);
        for (std::size_t j = 1; j <= n; ++j) {
            const double x = chunk.x[j];
            const double y = chunk.y[j];
            const int column = chunk.column[j];
            const bool inside = column != kOutsideColumn;
            const bool prevInside = prevColumn != kOutsideColumn;
            if (prevInside & inside & (column - prevColumn <= 1)) {
                tracer.stepThrough(prevY, prevColumn, chunk.cross[j], chunk.end[j], column, lo, hi);
            } else {
                if (prevInside && inside)
                    tracer.insideSegment(prevX, prevY, x, y);
                else
                    tracer.segment(prevX, prevY, x, y);
                if (inside)
                    tracer.bounds(column, lo, hi);
            }
            prevX = x;
            prevY = y;
            prevColumn = column;
        }
    }
    tracer.columnRows(first, last);
    return true;
}

// One solid one-pixel trace straight into the image, in device pixels.
void drawTraceSpans(QImage& image, const QTransform& t, const XrtDataObject& d, int set,
                    XrtColor color, const XrtLayout& l, TraceScratch& scratch)
{
    const TracePoints points = tracePoints(d, set);
    if (points.count == 0)
        return;
    const TraceGeometry g = traceGeometry(t, l, image.rect());
    const Mapping& m = g.mapping;
    const QRect& clip = g.clip;
    if (clip.isEmpty())
        return;
    const ImagePixels pixels(image);
    if (tracePointsOrdered(m, points)) {
        const auto columns = static_cast<std::size_t>(clip.width());
        scratch.first.resize(columns);
        scratch.last.resize(columns);
        orderedTraceRows(clip, m, points, scratch, clip.left(), clip.right(), scratch.first.data(),
                         scratch.last.data());
        writeSpans(pixels, spanPixel(color), clip.left(), clip.width(), scratch.first.data(),
                   scratch.last.data(), clip.top(), clip.bottom());
        return;
    }
    SpanTracer tracer(pixels, clip, color);
    bool havePrev = false;
    double prevX = 0, prevY = 0;
    bool prevInside = false;
    int prevColumn = INT_MIN;
    bool lone = false;
    for (std::size_t i = 0; i < points.count; ++i) {
        double px = m.x(points.x[i]);
        double py = m.y(points.y[i]);
        if (!std::isfinite(px) || !std::isfinite(py)) {
            if (havePrev && lone)
                tracer.point(prevX, prevY);
            havePrev = false;
            continue;
        }
        // Each point's test against the clip box and its column serve both segments it
        // ends; most segments of a long trace begin and end in one pixel column.
        const bool inside = tracer.inside(px, py);
        const int column = inside ? chartFloor(px) : INT_MIN;
        if (havePrev) {
            if (prevInside && inside && column == prevColumn && column == tracer.openColumn())
                tracer.sameColumn(prevY, py);
            else if (prevInside && inside)
                tracer.insideSegment(prevX, prevY, px, py);
            else
                tracer.segment(prevX, prevY, px, py);
            lone = false;
        } else {
            lone = true;
        }
        prevX = px;
        prevY = py;
        prevInside = inside;
        prevColumn = column;
        havePrev = true;
    }
    if (havePrev && lone)
        tracer.point(prevX, prevY);
}

// The underlay and every trace of a redraw, when all traces are solid one-pixel lines whose
// x never goes back and the underlay goes on at a whole-pixel offset, in two steps that
// threads of the process's pool share. First the image is cut into column stripes, and the
// rows each trace covers in each column are found stripe by stripe; then it is cut into
// bands of rows, and each band gets its part of the underlay and every trace's spans in it,
// in trace order. A band's rows lie together in memory, so a thread drawing one touches only
// its pages (a column stripe crosses every page of the image and the underlay, too many for
// the processor's address cache). Stripes and bands share no pixel; the picture is the same
// for any number of threads.
class StripeRedraw
{
public:
    using Scratch = StripeScratch;

    // False when the chart cannot be drawn this way: having drawn nothing, or (a point whose
    // y maps to no finite pixel row) part of it, which the caller then draws again whole.
    static bool draw(QImage& image, const QImage& underlay, const QTransform& t, const XrtChart& c,
                     const XrtDataObject& d, const XrtLayout& l, int threadCount, Scratch& scratch,
                     std::vector<OrderedX>& orderedX)
    {
        const int x = static_cast<int>(std::lround(t.dx()));
        const int y = static_cast<int>(std::lround(t.dy()));
        if (underlay.format() != image.format() || x != t.dx() || y != t.dy())
            return false;
        std::vector<StripeTrace>& traces = scratch.traces;
        traces.clear();
        StripeRedraw redraw(image, underlay, QPoint(x, y), traceGeometry(t, l, image.rect()),
                            traces);
        std::size_t points = 0;
        for (int set = std::max(0, d.firstSet()); set <= d.lastSet(); ++set) {
            const XrtDataStyle style = c.dataStyle(set);
            if (!isSolid(style) || hasSymbols(style) || style.lineWidth > 1)
                return false;
            const StripeTrace trace{tracePoints(d, set), style.lineColor};
            if (trace.points.count == 0)
                continue;
            if (!xOrdered(redraw.m_geometry.mapping, d, set, trace.points, orderedX))
                return false;
            points += trace.points.count;
            traces.push_back(trace);
        }
        redraw.run(points, threadCount, scratch);
        return !redraw.m_notFinite.load(std::memory_order_relaxed);
    }

private:
    // traceXOrdered() for a set, from what the last redraws found while it holds.
    static bool xOrdered(const Mapping& m, const XrtDataObject& d, int set,
                         const TracePoints& points, std::vector<OrderedX>& known)
    {
        const OrderedX now{d.xGeneration(), points.x, points.count, m.xOffset, m.xScale, m.xMin};
        auto same = [&now](const OrderedX& k) {
            return k.generation == now.generation && k.x == now.x && k.count == now.count &&
                   k.xOffset == now.xOffset && k.xScale == now.xScale && k.xMin == now.xMin;
        };
        const auto slot = static_cast<std::size_t>(set);
        if (slot < known.size() && same(known[slot]))
            return true;
        if (!traceXOrdered(m, points))
            return false;
        if (known.size() <= slot)
            known.resize(slot + 1);
        known[slot] = now;
        return true;
    }

    StripeRedraw(QImage& image, const QImage& underlay, QPoint offset, TraceGeometry geometry,
                 const std::vector<StripeTrace>& traces)
        : m_pixels(image), m_width(image.width()), m_height(image.height()), m_underlay(underlay),
          m_area(QRect(offset, underlay.size()) & image.rect()), m_offset(offset),
          m_geometry(geometry), m_traces(traces)
    {}

    void run(std::size_t points, int threadCount, Scratch& scratch)
    {
        QThreadPool* pool = QThreadPool::globalInstance();
        int threads = threadCount;
        if (threads == 0)
            threads = points >= 8192 && m_width >= 256
                          ? std::clamp(QThread::idealThreadCount(), 1, 4)
                          : 1;
        threads = std::max(1, std::min({threads, m_width, m_height}));
        // A stripe a thread; two bands a thread, so that one that starts late (the pool's
        // threads wake some tens of microseconds after the call) draws fewer. Each band walks
        // every trace's columns, so more bands cost more than they balance.
        const int stripes = threads;
        const int bands = threads == 1 ? 1 : std::min(m_height, threads * 2);
        auto stripeBounds = [stripes, this](int k) {
            return std::pair(m_width * k / stripes, m_width * (k + 1) / stripes - 1);
        };
        auto bandBounds = [bands, this](int k) {
            return std::pair(m_height * k / bands, m_height * (k + 1) / bands - 1);
        };
        // The threads' memory is taken here: a thread of the pool must not throw.
        if (scratch.threads.size() < static_cast<std::size_t>(threads))
            scratch.threads.resize(static_cast<std::size_t>(threads));
        int widest = 0;
        for (int k = 0; k < stripes; ++k) {
            const auto [left, right] = stripeBounds(k);
            widest = std::max(widest, right - left + 3);
        }
        for (TraceScratch& s : scratch.threads) {
            s.lo.reserve(static_cast<std::size_t>(widest));
            s.hi.reserve(static_cast<std::size_t>(widest));
        }
        const QRect& clip = m_geometry.clip;
        const auto rows = clip.isEmpty() ? std::size_t{0}
                                         : m_traces.size() * static_cast<std::size_t>(clip.width());
        scratch.first.resize(rows);
        scratch.last.resize(rows);
        m_first = scratch.first.data();
        m_last = scratch.last.data();

        // Each thread takes stripes while there are any, waits until every stripe is done
        // (by the threads that took them: a thread that starts late finds none left), then
        // takes bands.
        std::atomic<int> nextStripe{0};
        std::atomic<int> stripesDone{0};
        std::atomic<int> nextBand{0};
        auto work = [&](int thread) {
            TraceScratch& s = scratch.threads[static_cast<std::size_t>(thread)];
            for (int k; (k = nextStripe.fetch_add(1, std::memory_order_relaxed)) < stripes;) {
                const auto [left, right] = stripeBounds(k);
                findRows(left, right, s);
                stripesDone.fetch_add(1, std::memory_order_release);
            }
            while (stripesDone.load(std::memory_order_acquire) < stripes)
                QThread::yieldCurrentThread();
            for (int k; (k = nextBand.fetch_add(1, std::memory_order_relaxed)) < bands;) {
                const auto [top, bottom] = bandBounds(k);
                drawBand(top, bottom);
            }
        };
        // The other threads on the pool (none when it has no thread free), this one
        // meanwhile.
        QSemaphore done;
        int started = 0;
        for (int k = 1; k < threads; ++k) {
            if (pool->tryStart([&work, &done, k] {
                    work(k);
                    done.release();
                }))
                ++started;
        }
        work(0);
        done.acquire(started);
    }

    // The rows every trace covers in the plot's columns left to right.
    void findRows(int left, int right, TraceScratch& scratch) const
    {
        const QRect& clip = m_geometry.clip;
        const int windowLeft = std::max(left, clip.left());
        const int windowRight = std::min(right, clip.right());
        if (clip.isEmpty() || windowLeft > windowRight)
            return;
        const auto columns = static_cast<std::ptrdiff_t>(clip.width());
        const std::ptrdiff_t offset = windowLeft - clip.left();
        for (std::size_t t = 0; t < m_traces.size(); ++t) {
            const StripeTrace& trace = m_traces[t];
            const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(t) * columns + offset;
            if (!orderedTraceRows(clip, m_geometry.mapping, trace.points, scratch, windowLeft,
                                  windowRight, m_first + at, m_last + at)) {
                m_notFinite.store(true, std::memory_order_relaxed);
                return;
            }
        }
    }

    // The underlay's rows top to bottom, and every trace's spans in them.
    void drawBand(int top, int bottom) const
    {
        if (m_notFinite.load(std::memory_order_relaxed))
            return; // drawn again whole
        const QRect band(0, top, m_width, bottom - top + 1);
        if (!m_area.isEmpty())
            copyPart(m_pixels, m_underlay, m_offset, m_area & band);
        const QRect& clip = m_geometry.clip;
        const QRect rows = clip & band;
        if (rows.isEmpty())
            return;
        const auto columns = static_cast<std::ptrdiff_t>(clip.width());
        for (std::size_t t = 0; t < m_traces.size(); ++t) {
            const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(t) * columns;
            writeSpans(m_pixels, spanPixel(m_traces[t].color), clip.left(), clip.width(),
                       m_first + at, m_last + at, rows.top(), rows.bottom());
        }
    }

    ImagePixels m_pixels;
    int m_width;
    int m_height;
    const QImage& m_underlay;
    QRect m_area; // where the underlay goes in the image
    QPoint m_offset;
    TraceGeometry m_geometry;
    const std::vector<StripeTrace>& m_traces; // filled by draw() before run()
    int* m_first = nullptr;                   // the rows of each trace's columns, set by run()
    int* m_last = nullptr;
    // A stripe met a point whose y maps to no finite pixel row (read after run()'s wait).
    mutable std::atomic<bool> m_notFinite{false};
};

bool isDirectImage(QPainter& p, QImage*& image)
{
    QPaintDevice* dev = p.device();
    if (!dev || dev->devType() != QInternal::Image)
        return false;
    image = static_cast<QImage*>(dev);
    QImage::Format f = image->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        return false;
    if (p.hasClipping())
        return false;
    QTransform t = p.combinedTransform();
    return t.type() <= QTransform::TxScale && t.m11() > 0 && t.m22() > 0;
}

// Puts source on target at (dx, dy): row copies at whole-pixel offsets in one format,
// otherwise a painter copy.
void copyImage(QImage& target, const QImage& source, QPainter& p, double dx, double dy)
{
    int x = static_cast<int>(std::lround(dx));
    int y = static_cast<int>(std::lround(dy));
    if (target.format() != source.format() || x != dx || y != dy) {
        p.save();
        p.resetTransform();
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPointF(dx, dy), source);
        p.restore();
        return;
    }
    QRect area = QRect(QPoint(x, y), source.size()) & target.rect();
    if (area.isEmpty())
        return;
    copyPart(ImagePixels(target), source, QPoint(x, y), area);
}

} // namespace

struct ChartRenderer::Caches : RenderCaches
{};

ChartRenderer::ChartRenderer() : m_caches(std::make_unique<Caches>()) {}
ChartRenderer::~ChartRenderer() = default;

void ChartRenderer::draw(QPainter& painter, const XrtChart& chart, const QRectF& target)
{
    if (chart.widthPx() <= 0 || chart.heightPx() <= 0 || target.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / chart.widthPx(), target.height() / chart.heightPx());
    draw(painter, chart);
    painter.restore();
}

void ChartRenderer::draw(QPainter& p, const XrtChart& c)
{
    XrtLayout l = c.layout();
    if (l.width <= 0 || l.height <= 0)
        return;
    Caches& caches = *m_caches;
    QImage* image = nullptr;
    bool direct = isDirectImage(p, image);
    QTransform t = p.combinedTransform();
    double scale = direct ? t.m11() : 0.0;
    bool scaleOk = direct && std::fabs(t.m11() - t.m22()) < 1e-9;
    // The cache has the target's format, so that it is copied row by row, not converted.
    QImage::Format underlayFormat = direct && image->format() == QImage::Format_RGB32
                                        ? QImage::Format_RGB32
                                        : QImage::Format_ARGB32_Premultiplied;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);

    // Under the traces: from the cache when drawing on an image at a square scale.
    if (scaleOk) {
        bool stale =
            caches.underlay.isNull() || caches.underlayGeneration != c.appearanceGeneration() ||
            caches.underlay.format() != underlayFormat || caches.underlayScale != scale ||
            caches.width != l.width || caches.height != l.height || caches.xUsable != l.x.usable ||
            caches.yUsable != l.y.usable || caches.xMin != l.x.min || caches.xMax != l.x.max ||
            caches.yMin != l.y.min || caches.yMax != l.y.max;
        if (stale) {
            QSize size(static_cast<int>(std::ceil(l.width * scale)),
                       static_cast<int>(std::ceil(l.height * scale)));
            caches.underlay = QImage(size, underlayFormat);
            caches.underlay.fill(Qt::transparent);
            QPainter up(&caches.underlay);
            up.scale(scale, scale);
            drawUnderlay(up, c, caches, l);
            up.end();
            caches.legend = QImage();
            if (l.legendShown) {
                const XrtRect& r = l.legendArea;
                QSize ls(static_cast<int>(std::ceil((r.width + 4) * scale)),
                         static_cast<int>(std::ceil((r.height + 4) * scale)));
                caches.legend = QImage(ls, QImage::Format_ARGB32_Premultiplied);
                caches.legend.fill(Qt::transparent);
                QPainter lp(&caches.legend);
                lp.scale(scale, scale);
                lp.translate(-r.left, -r.top);
                drawLegend(lp, c, l);
            }
            caches.underlayGeneration = c.appearanceGeneration();
            caches.underlayScale = scale;
            caches.width = l.width;
            caches.height = l.height;
            caches.xUsable = l.x.usable;
            caches.yUsable = l.y.usable;
            caches.xMin = l.x.min;
            caches.xMax = l.x.max;
            caches.yMin = l.y.min;
            caches.yMax = l.y.max;
        }
    }

    // Traces, clipped to the plot area.
    const XrtDataObject* d = c.data();
    bool plotting = d && l.x.usable && l.y.usable && !l.plotArea.empty() &&
                    c.value(kXrtChartShown).toInt() != 0;
    bool tracesDrawn = false;
    if (scaleOk) {
        tracesDrawn = plotting && m_fastTraces &&
                      StripeRedraw::draw(*image, caches.underlay, t, c, *d, l, m_threads,
                                         caches.stripes, caches.orderedX);
        if (!tracesDrawn)
            copyImage(*image, caches.underlay, p, t.dx(), t.dy());
    } else {
        drawUnderlay(p, c, caches, l);
    }
    if (plotting) {
        p.save();
        const XrtRect& a = l.plotArea;
        bool painterClip = false;
        for (int set = std::max(0, d->firstSet()); !tracesDrawn && set <= d->lastSet(); ++set) {
            XrtDataStyle style = c.dataStyle(set);
            bool spans = direct && m_fastTraces && isSolid(style) && !hasSymbols(style) &&
                         style.lineWidth <= 1;
            if (spans) {
                drawTraceSpans(*image, t, *d, set, style.lineColor, l, caches.traces);
                continue;
            }
            if (!painterClip) {
                p.setClipRect(QRect(a.left, a.top, a.width, a.height));
                painterClip = true;
            }
            drawTracePainter(p, *d, set, style, l);
        }
        p.restore();
        drawMarker(p, c, l);
    }

    // Legend over the traces.
    if (scaleOk) {
        if (!caches.legend.isNull()) {
            p.save();
            p.resetTransform();
            p.drawImage(
                QPointF(t.dx() + l.legendArea.left * scale, t.dy() + l.legendArea.top * scale),
                caches.legend);
            p.restore();
        }
    } else {
        drawLegend(p, c, l);
    }

    // Text areas at their data coordinates.
    if (c.value(kXrtChartShown).toInt() != 0) {
        if (scaleOk &&
            (caches.textAreaGeneration != c.textAreaGeneration() ||
             caches.textAppearance != c.appearanceGeneration() || caches.textScale != scale)) {
            caches.textAreas.clear();
            caches.textAreaGeneration = c.textAreaGeneration();
            caches.textAppearance = c.appearanceGeneration();
            caches.textScale = scale;
        }
        for (XrtHandle h : c.textAreas()) {
            if (c.textAreaValue(h, kXrtTextAreaShown).toInt() == 0)
                continue;
            std::optional<XrtRect> r = c.textAreaRect(h, l);
            if (!r)
                continue;
            QRect box(r->left, r->top, r->width, r->height);
            if (!scaleOk) {
                drawTextAreaContent(p, c, h, box);
                continue;
            }
            QImage& cached = caches.textAreas[h];
            if (cached.isNull()) {
                cached = QImage(QSize(static_cast<int>(std::ceil(r->width * scale)),
                                      static_cast<int>(std::ceil(r->height * scale))),
                                QImage::Format_ARGB32_Premultiplied);
                cached.fill(Qt::transparent);
                QPainter tp(&cached);
                tp.scale(scale, scale);
                drawTextAreaContent(tp, c, h, QRect(0, 0, r->width, r->height));
            }
            p.save();
            p.resetTransform();
            p.drawImage(QPointF(t.dx() + r->left * scale, t.dy() + r->top * scale), cached);
            p.restore();
        }
    }
    p.restore();
}

} // namespace platform::chart
