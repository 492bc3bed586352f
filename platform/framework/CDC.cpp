#include "platform/framework/CDC.h"

#include "platform/qt/QtUiServices.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::framework {

namespace {

// Logical units per inch of the fixed mapping modes.
int unitsPerInch(int mode)
{
    switch (mode) {
    case MM_LOMETRIC:
        return 254;
    case MM_HIMETRIC:
        return 2540;
    case MM_LOENGLISH:
        return 100;
    case MM_HIENGLISH:
        return 1000;
    case MM_TWIPS:
        return 1440;
    default:
        return 0;
    }
}

QColor color(COLORREF c)
{
    return qt::colorFromColorRef(c);
}

Qt::PenStyle penStyle(int style)
{
    switch (style) {
    case PS_DASH:
        return Qt::DashLine;
    case PS_DOT:
        return Qt::DotLine;
    case PS_DASHDOT:
        return Qt::DashDotLine;
    case PS_DASHDOTDOT:
        return Qt::DashDotDotLine;
    case PS_NULL:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle hatchStyle(int hatch)
{
    switch (hatch) {
    case HS_VERTICAL:
        return Qt::VerPattern;
    case HS_FDIAGONAL:
        return Qt::FDiagPattern;
    case HS_BDIAGONAL:
        return Qt::BDiagPattern;
    case HS_CROSS:
        return Qt::CrossPattern;
    case HS_DIAGCROSS:
        return Qt::DiagCrossPattern;
    default:
        return Qt::HorPattern;
    }
}

// A font as drawn on one kind of device: the Qt font, its metrics and the widths of the
// texts measured with it. Building a font and shaping a text cost far more than drawing it,
// and a grid or a chart draws the same few fonts and many repeated texts on every paint.
struct CdcFontEntry
{
    LOGFONT logFont;
    int dpiX = 0;
    int dpiY = 0;
    QFont font;
    QFontMetricsF metrics;
    std::unordered_map<std::string, double> advances;

    CdcFontEntry(const LOGFONT& lf, int x, int y, const QFont& f, QPaintDevice* device)
        : logFont(lf), dpiX(x), dpiY(y), font(f), metrics(f, device)
    {}

    double advance(const std::string& text)
    {
        auto it = advances.find(text);
        if (it != advances.end()) {
            return it->second;
        }
        if (advances.size() >= 8192) {
            advances.clear(); // bounded: a sheet of unique texts must not grow it forever
        }
        const double width = metrics.horizontalAdvance(QString::fromStdString(text));
        advances.emplace(text, width);
        return width;
    }
};

// The heights of a logical font in device pixels.
LOGFONT cdcScaledLogFont(LOGFONT logFont, double scaleY)
{
    const double height = std::abs(logFont.lfHeight * scaleY);
    const int pixels = std::max(1, static_cast<int>(std::lround(height)));
    logFont.lfHeight = logFont.lfHeight > 0 ? pixels : -pixels;
    if (logFont.lfHeight == 0) {
        logFont.lfHeight = -13;
    }
    return logFont;
}

// The entry of a device font, per thread (painting happens on the GUI thread; printing may
// not), the most recent few kept.
CdcFontEntry& cdcFontEntry(const LOGFONT& logFont, QPaintDevice* device)
{
    thread_local std::vector<std::unique_ptr<CdcFontEntry>> entries;
    const int dpiX = device != nullptr ? device->logicalDpiX() : 0;
    const int dpiY = device != nullptr ? device->logicalDpiY() : 0;
    for (auto& entry : entries) {
        if (entry->dpiX == dpiX && entry->dpiY == dpiY &&
            std::memcmp(&entry->logFont, &logFont, sizeof logFont) == 0) {
            return *entry;
        }
    }
    if (entries.size() >= 32) {
        entries.erase(entries.begin());
    }
    entries.push_back(
        std::make_unique<CdcFontEntry>(logFont, dpiX, dpiY, qt::fontFromLogFont(logFont), device));
    return *entries.back();
}

} // namespace

CDC::CDC(QPainter* painter, QPaintDevice* device) : m_painter(painter), m_device(device)
{
    m_state.font.logFont.lfHeight = -13;
    m_state.font.logFont.lfWeight = qt::FW_NORMAL;
    if (m_painter != nullptr) {
        m_painter->save();
    }
}

CDC::~CDC()
{
    if (m_painter != nullptr) {
        m_painter->restore();
    }
}

double CDC::scaleX() const
{
    return m_state.windowExt.cx == 0
               ? 1.0
               : static_cast<double>(m_state.viewportExt.cx) / m_state.windowExt.cx;
}

double CDC::scaleY() const
{
    return m_state.windowExt.cy == 0
               ? 1.0
               : static_cast<double>(m_state.viewportExt.cy) / m_state.windowExt.cy;
}

QPointF CDC::toDevice(double x, double y) const
{
    return {(x - m_state.windowOrg.x) * scaleX() + m_state.viewportOrg.x,
            (y - m_state.windowOrg.y) * scaleY() + m_state.viewportOrg.y};
}

QPointF CDC::toLogical(double x, double y) const
{
    const double sx = scaleX() == 0 ? 1.0 : scaleX();
    const double sy = scaleY() == 0 ? 1.0 : scaleY();
    return {(x - m_state.viewportOrg.x) / sx + m_state.windowOrg.x,
            (y - m_state.viewportOrg.y) / sy + m_state.windowOrg.y};
}

QRectF CDC::toDevice(const RECT& rect) const
{
    return QRectF(toDevice(rect.left, rect.top), toDevice(rect.right, rect.bottom)).normalized();
}

int CDC::SetMapMode(int mode)
{
    const int previous = m_state.mapMode;
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC) {
        return 0;
    }
    m_state.mapMode = mode;
    if (mode == MM_TEXT) {
        m_state.windowExt = {1, 1};
        m_state.viewportExt = {1, 1};
    } else if (const int units = unitsPerInch(mode); units != 0) {
        // y grows upwards in the fixed modes.
        m_state.windowExt = {units, units};
        m_state.viewportExt = {GetDeviceCaps(LOGPIXELSX), -GetDeviceCaps(LOGPIXELSY)};
    } else if (mode == MM_ISOTROPIC) {
        fixIsotropic();
    }
    return previous;
}

POINT CDC::SetWindowOrg(int x, int y)
{
    const POINT previous = m_state.windowOrg;
    m_state.windowOrg = {x, y};
    return previous;
}

SIZE CDC::SetWindowExt(int cx, int cy)
{
    const SIZE previous = m_state.windowExt;
    if ((m_state.mapMode == MM_ISOTROPIC || m_state.mapMode == MM_ANISOTROPIC) && cx != 0 &&
        cy != 0) {
        m_state.windowExt = {cx, cy};
        fixIsotropic();
    }
    return previous;
}

POINT CDC::SetViewportOrg(int x, int y)
{
    const POINT previous = m_state.viewportOrg;
    m_state.viewportOrg = {x, y};
    return previous;
}

SIZE CDC::SetViewportExt(int cx, int cy)
{
    const SIZE previous = m_state.viewportExt;
    if ((m_state.mapMode == MM_ISOTROPIC || m_state.mapMode == MM_ANISOTROPIC) && cx != 0 &&
        cy != 0) {
        m_state.viewportExt = {cx, cy};
        fixIsotropic();
    }
    return previous;
}

void CDC::fixIsotropic()
{
    if (m_state.mapMode != MM_ISOTROPIC || m_state.windowExt.cx == 0 || m_state.windowExt.cy == 0) {
        return;
    }
    // Equal scales on both axes: the viewport extent of the larger scale shrinks, signs kept.
    const double scale = std::min(std::abs(scaleX()), std::abs(scaleY()));
    const auto extent = [scale](int32_t viewport, int32_t window) {
        const double length = scale * std::abs(static_cast<double>(window));
        return static_cast<int32_t>(std::lround(viewport < 0 ? -length : length));
    };
    m_state.viewportExt = {extent(m_state.viewportExt.cx, m_state.windowExt.cx),
                           extent(m_state.viewportExt.cy, m_state.windowExt.cy)};
}

void CDC::LPtoDP(POINT* points, int count) const
{
    for (int i = 0; i < count; ++i) {
        const QPointF d = toDevice(points[i].x, points[i].y);
        points[i] = {static_cast<int32_t>(std::lround(d.x())),
                     static_cast<int32_t>(std::lround(d.y()))};
    }
}

void CDC::DPtoLP(POINT* points, int count) const
{
    for (int i = 0; i < count; ++i) {
        const QPointF l = toLogical(points[i].x, points[i].y);
        points[i] = {static_cast<int32_t>(std::lround(l.x())),
                     static_cast<int32_t>(std::lround(l.y()))};
    }
}

void CDC::LPtoDP(RECT* rect) const
{
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    LPtoDP(corners, 2);
    *rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

void CDC::DPtoLP(RECT* rect) const
{
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    DPtoLP(corners, 2);
    *rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

int CDC::GetDeviceCaps(int index) const
{
    if (m_device == nullptr) {
        return 0;
    }
    auto* printer = dynamic_cast<QPrinter*>(m_device);
    switch (index) {
    case TECHNOLOGY:
        return printer != nullptr ? DT_RASPRINTER : DT_RASDISPLAY;
    case HORZSIZE:
        return m_device->widthMM();
    case VERTSIZE:
        return m_device->heightMM();
    case HORZRES:
        return m_device->width();
    case VERTRES:
        return m_device->height();
    case BITSPIXEL:
        return m_device->depth();
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case LOGPIXELSX:
        return m_device->logicalDpiX();
    case LOGPIXELSY:
        return m_device->logicalDpiY();
    case PHYSICALWIDTH:
        return printer != nullptr ? static_cast<int>(std::lround(
                                        printer->paperRect(QPrinter::DevicePixel).width()))
                                  : 0;
    case PHYSICALHEIGHT:
        return printer != nullptr ? static_cast<int>(std::lround(
                                        printer->paperRect(QPrinter::DevicePixel).height()))
                                  : 0;
    case PHYSICALOFFSETX:
        return printer != nullptr
                   ? static_cast<int>(std::lround(printer->pageRect(QPrinter::DevicePixel).left()))
                   : 0;
    case PHYSICALOFFSETY:
        return printer != nullptr
                   ? static_cast<int>(std::lround(printer->pageRect(QPrinter::DevicePixel).top()))
                   : 0;
    default:
        return 0;
    }
}

int CDC::SaveDC()
{
    m_saved.push_back(m_state);
    return static_cast<int>(m_saved.size());
}

bool CDC::RestoreDC(int saved)
{
    const int levels = static_cast<int>(m_saved.size());
    const int level = saved < 0 ? levels + 1 + saved : saved;
    if (level < 1 || level > levels) {
        return false;
    }
    m_state = m_saved[static_cast<size_t>(level - 1)];
    m_saved.resize(static_cast<size_t>(level - 1));
    applyClip();
    return true;
}

void CDC::applyClip() const
{
    if (m_painter == nullptr) {
        return;
    }
    if (m_state.clip) {
        m_painter->setClipRegion(*m_state.clip);
    } else {
        m_painter->setClipping(false);
    }
}

int CDC::regionKind() const
{
    if (!m_state.clip) {
        return SIMPLEREGION;
    }
    if (m_state.clip->isEmpty()) {
        return NULLREGION;
    }
    return m_state.clip->rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom)
{
    return IntersectClipRect(RECT{left, top, right, bottom});
}

int CDC::IntersectClipRect(const RECT& rect)
{
    const QRectF device = toDevice(rect);
    const QRect pixels(QPoint(static_cast<int>(std::lround(device.left())),
                              static_cast<int>(std::lround(device.top()))),
                       QPoint(static_cast<int>(std::lround(device.right())) - 1,
                              static_cast<int>(std::lround(device.bottom())) - 1));
    QRegion region(pixels);
    if (m_state.clip) {
        region = m_state.clip->intersected(region);
    } else if (m_device != nullptr) {
        region = region.intersected(QRect(0, 0, m_device->width(), m_device->height()));
    }
    m_state.clip = region;
    applyClip();
    return regionKind();
}

int CDC::SelectClipRgnNone()
{
    m_state.clip.reset();
    applyClip();
    return SIMPLEREGION;
}

int CDC::GetClipBox(RECT* rect) const
{
    QRect box =
        m_state.clip
            ? m_state.clip->boundingRect()
            : (m_device != nullptr ? QRect(0, 0, m_device->width(), m_device->height()) : QRect());
    RECT result{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
    DPtoLP(&result);
    if (result.left > result.right) {
        std::swap(result.left, result.right);
    }
    if (result.top > result.bottom) {
        std::swap(result.top, result.bottom);
    }
    if (rect != nullptr) {
        *rect = result;
    }
    return regionKind();
}

CPen CDC::SelectObject(const CPen& pen)
{
    const CPen previous = m_state.pen;
    m_state.pen = pen;
    return previous;
}

CBrush CDC::SelectObject(const CBrush& brush)
{
    const CBrush previous = m_state.brush;
    m_state.brush = brush;
    return previous;
}

CFont CDC::SelectObject(const CFont& font)
{
    const CFont previous = m_state.font;
    m_state.font = font;
    return previous;
}

COLORREF CDC::SetTextColor(COLORREF c)
{
    const COLORREF previous = m_state.textColor;
    m_state.textColor = c;
    return previous;
}

COLORREF CDC::SetBkColor(COLORREF c)
{
    const COLORREF previous = m_state.bkColor;
    m_state.bkColor = c;
    return previous;
}

int CDC::SetBkMode(int mode)
{
    const int previous = m_state.bkMode;
    if (mode == TRANSPARENT || mode == OPAQUE) {
        m_state.bkMode = mode;
    }
    return previous;
}

unsigned CDC::SetTextAlign(unsigned flags)
{
    const unsigned previous = m_state.textAlign;
    m_state.textAlign = flags;
    return previous;
}

void CDC::applyPen() const
{
    const CPen& pen = m_state.pen;
    if (pen.style == PS_NULL) {
        m_painter->setPen(Qt::NoPen);
        return;
    }
    const double width = pen.width <= 0 ? 1.0 : std::max(1.0, pen.width * std::abs(scaleX()));
    QPen qtPen(color(pen.color), width, penStyle(pen.style), Qt::FlatCap, Qt::MiterJoin);
    m_painter->setPen(qtPen);
}

namespace {

// The 8 x 8 tile of a pattern brush, anchored at the device origin whatever the painter's
// transform.
QBrush patternBrush(const CBrush& brush, const QPainter& painter)
{
    QImage tile(8, 8, QImage::Format_RGB32);
    const QRgb on = color(brush.color).rgb();
    const QRgb off = color(brush.patternBack).rgb();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            tile.setPixel(x, y, (brush.pattern[y] & (0x80 >> x)) != 0 ? on : off);
        }
    }
    QBrush textured(tile);
    textured.setTransform(painter.worldTransform().inverted());
    return textured;
}

} // namespace

void CDC::applyBrush() const
{
    const CBrush& brush = m_state.brush;
    switch (brush.style) {
    case BS_NULL:
        m_painter->setBrush(Qt::NoBrush);
        break;
    case BS_HATCHED:
        m_painter->setBrush(QBrush(color(brush.color), hatchStyle(brush.hatch)));
        break;
    case BS_PATTERN:
        m_painter->setBrush(patternBrush(brush, *m_painter));
        break;
    default:
        m_painter->setBrush(QBrush(color(brush.color)));
        break;
    }
}

QFont CDC::deviceFont() const
{
    // Heights are logical units: scale them to device pixels.
    return cdcFontEntry(cdcScaledLogFont(m_state.font.logFont, scaleY()), m_device).font;
}

POINT CDC::MoveTo(int x, int y)
{
    const POINT previous = m_state.position;
    m_state.position = {x, y};
    return previous;
}

bool CDC::LineTo(int x, int y)
{
    if (m_painter == nullptr) {
        return false;
    }
    applyPen();
    // Qt's aliased one-pixel lines leave out their last pixel, as GDI's do.
    m_painter->drawLine(toDevice(m_state.position.x, m_state.position.y), toDevice(x, y));
    m_state.position = {x, y};
    return true;
}

bool CDC::Polyline(const POINT* points, int count)
{
    if (m_painter == nullptr || points == nullptr || count < 2) {
        return false;
    }
    std::vector<QPointF> device;
    device.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        device.push_back(toDevice(points[i].x, points[i].y));
    }
    applyPen();
    m_painter->drawPolyline(device.data(), count);
    return true;
}

bool CDC::Polygon(const POINT* points, int count)
{
    if (m_painter == nullptr || points == nullptr || count < 2) {
        return false;
    }
    std::vector<QPointF> device;
    device.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        device.push_back(toDevice(points[i].x, points[i].y));
    }
    applyPen();
    applyBrush();
    m_painter->drawPolygon(device.data(), count);
    return true;
}

bool CDC::Rectangle(int left, int top, int right, int bottom)
{
    if (m_painter == nullptr) {
        return false;
    }
    const QRectF device = toDevice(RECT{left, top, right, bottom});
    applyBrush();
    m_painter->setPen(Qt::NoPen);
    m_painter->drawRect(device);
    if (m_state.pen.style != PS_NULL) {
        applyPen();
        m_painter->setBrush(Qt::NoBrush);
        const double inset = m_painter->pen().widthF() / 2.0;
        m_painter->drawRect(device.adjusted(inset, inset, -inset, -inset));
    }
    return true;
}

bool CDC::Ellipse(int left, int top, int right, int bottom)
{
    if (m_painter == nullptr) {
        return false;
    }
    applyPen();
    applyBrush();
    m_painter->drawEllipse(toDevice(RECT{left, top, right, bottom}));
    return true;
}

void CDC::FillSolidRect(const RECT& rect, COLORREF c)
{
    if (m_painter != nullptr) {
        m_painter->fillRect(toDevice(rect), color(c));
    }
    m_state.bkColor = c;
}

void CDC::FillRect(const RECT& rect, const CBrush& brush)
{
    if (m_painter == nullptr || brush.style == BS_NULL) {
        return;
    }
    m_painter->fillRect(toDevice(rect), brush.style == BS_PATTERN ? patternBrush(brush, *m_painter)
                                        : brush.style == BS_HATCHED
                                            ? QBrush(color(brush.color), hatchStyle(brush.hatch))
                                            : QBrush(color(brush.color)));
}

COLORREF CDC::SetPixel(int x, int y, COLORREF c)
{
    if (m_painter == nullptr) {
        return 0xFFFFFFFF;
    }
    const QPointF p = toDevice(x, y);
    m_painter->fillRect(QRectF(std::floor(p.x()), std::floor(p.y()), 1, 1), color(c));
    return c;
}

bool CDC::TextOut(int x, int y, const std::string& text)
{
    if (m_painter == nullptr) {
        return false;
    }
    const QString qtText = QString::fromStdString(text);
    CdcFontEntry& entry = cdcFontEntry(cdcScaledLogFont(m_state.font.logFont, scaleY()), m_device);
    const QFont& font = entry.font;
    const QFontMetricsF& metrics = entry.metrics;
    const QPointF anchor = toDevice(x, y);
    const double width = entry.advance(text);
    double left = 0;
    if ((m_state.textAlign & TA_CENTER) == TA_CENTER) {
        left = -width / 2;
    } else if ((m_state.textAlign & TA_RIGHT) != 0) {
        left = -width;
    }
    double baseline = metrics.ascent(); // TA_TOP
    if ((m_state.textAlign & TA_BASELINE) == TA_BASELINE) {
        baseline = 0;
    } else if ((m_state.textAlign & TA_BOTTOM) != 0) {
        baseline = -metrics.descent();
    }
    m_painter->save();
    m_painter->translate(anchor);
    if (m_state.font.logFont.lfEscapement != 0) {
        // Escapement in tenths of a degree, counter-clockwise.
        m_painter->rotate(-m_state.font.logFont.lfEscapement / 10.0);
    }
    if (m_state.bkMode == OPAQUE) {
        m_painter->fillRect(QRectF(left, baseline - metrics.ascent(), width, metrics.height()),
                            color(m_state.bkColor));
    }
    m_painter->setFont(font);
    m_painter->setPen(color(m_state.textColor));
    m_painter->drawText(QPointF(left, baseline), qtText);
    m_painter->restore();
    return true;
}

bool CDC::ExtTextOut(int x, int y, unsigned options, const RECT* rect, const std::string& text)
{
    if (m_painter == nullptr || ((options & (ETO_OPAQUE | ETO_CLIPPED)) != 0 && rect == nullptr)) {
        return false;
    }
    m_painter->save();
    if (rect != nullptr) {
        const QRectF box = toDevice(*rect).normalized();
        if ((options & ETO_OPAQUE) != 0) {
            m_painter->fillRect(box, color(m_state.bkColor));
        }
        if ((options & ETO_CLIPPED) != 0) {
            m_painter->setClipRect(box, Qt::IntersectClip);
        }
    }
    const int mode = m_state.bkMode;
    if ((options & ETO_OPAQUE) != 0) {
        m_state.bkMode = TRANSPARENT; // already filled
    }
    const bool drawn = TextOut(x, y, text);
    m_state.bkMode = mode;
    m_painter->restore();
    return drawn;
}

bool CDC::BitBlt(int x, int y, const QImage& image)
{
    if (m_painter == nullptr || image.isNull()) {
        return false;
    }
    // One image pixel per device pixel, as a copy between device contexts does.
    m_painter->drawImage(toDevice(x, y), image);
    return true;
}

bool CDC::StretchBlt(const RECT& rect, const QImage& image)
{
    if (m_painter == nullptr || image.isNull()) {
        return false;
    }
    const QRectF target = toDevice(rect).normalized();
    if (target.width() <= 0 || target.height() <= 0) {
        return false;
    }
    m_painter->drawImage(target, image);
    return true;
}

int CDC::DrawText(const std::string& text, RECT* rect, unsigned format)
{
    if (rect == nullptr) {
        return 0;
    }
    QString qtText = QString::fromStdString(text);
    CdcFontEntry& entry = cdcFontEntry(cdcScaledLogFont(m_state.font.logFont, scaleY()), m_device);
    const QFont& font = entry.font;
    const QFontMetricsF& metrics = entry.metrics;
    QRectF device = toDevice(*rect);
    if ((format & DT_END_ELLIPSIS) != 0 &&
        ((format & DT_SINGLELINE) != 0 || (format & DT_WORDBREAK) == 0)) {
        qtText = metrics.elidedText(qtText, Qt::ElideRight, std::abs(device.width()));
    }
    int flags = 0;
    flags |= (format & DT_CENTER) != 0  ? Qt::AlignHCenter
             : (format & DT_RIGHT) != 0 ? Qt::AlignRight
                                        : Qt::AlignLeft;
    if ((format & DT_SINGLELINE) != 0) {
        flags |= (format & DT_VCENTER) != 0  ? Qt::AlignVCenter
                 : (format & DT_BOTTOM) != 0 ? Qt::AlignBottom
                                             : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
    }
    if ((format & DT_WORDBREAK) != 0 && (format & DT_SINGLELINE) == 0) {
        flags |= Qt::TextWordWrap;
    }
    const QRectF bounds = metrics.boundingRect(device, flags, qtText);
    const double scaleYAbs = std::abs(scaleY()) == 0 ? 1.0 : std::abs(scaleY());
    const int heightLogical = static_cast<int>(std::lround(bounds.height() / scaleYAbs));
    if ((format & DT_CALCRECT) != 0) {
        const QRectF measured(device.topLeft(), bounds.size());
        const QPointF bottomRight = toLogical(measured.right(), measured.bottom());
        rect->right = static_cast<int32_t>(std::lround(bottomRight.x()));
        rect->bottom = static_cast<int32_t>(std::lround(bottomRight.y()));
        return heightLogical;
    }
    if (m_painter == nullptr) {
        return 0;
    }
    m_painter->save();
    if ((format & DT_NOCLIP) == 0) {
        m_painter->setClipRect(device, Qt::IntersectClip);
    }
    if (m_state.bkMode == OPAQUE) {
        m_painter->fillRect(bounds.intersected(device), color(m_state.bkColor));
    }
    m_painter->setFont(font);
    m_painter->setPen(color(m_state.textColor));
    m_painter->drawText(device, flags, qtText);
    m_painter->restore();
    return heightLogical;
}

SIZE CDC::GetTextExtent(const std::string& text) const
{
    CdcFontEntry& entry = cdcFontEntry(cdcScaledLogFont(m_state.font.logFont, scaleY()), m_device);
    const double sx = std::abs(scaleX()) == 0 ? 1.0 : std::abs(scaleX());
    const double sy = std::abs(scaleY()) == 0 ? 1.0 : std::abs(scaleY());
    return {static_cast<int32_t>(std::lround(entry.advance(text) / sx)),
            static_cast<int32_t>(std::lround(entry.metrics.height() / sy))};
}

int CDC::StartDoc(const std::string&)
{
    m_pages = 0;
    m_pageOpen = false;
    return m_painter != nullptr && m_painter->isActive() ? 1 : -1;
}

int CDC::StartPage()
{
    auto* printer = dynamic_cast<QPrinter*>(m_device);
    if (m_pages > 0 && printer != nullptr && !printer->newPage()) {
        return -1;
    }
    ++m_pages;
    m_pageOpen = true;
    return 1;
}

int CDC::EndPage()
{
    m_pageOpen = false;
    return 1;
}

int CDC::EndDoc()
{
    return 1;
}

int CDC::AbortDoc()
{
    if (auto* printer = dynamic_cast<QPrinter*>(m_device)) {
        printer->abort();
    }
    return 1;
}

} // namespace platform::framework
