#include "toolkit/widgets/COXTextLabel.h"

#include "platform/framework/ControlIds.h"
#include "platform/win/Timers.h"
#include "toolkit/widgets/SystemColors.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace fw = platform::framework;
namespace tl = toolkit::widgets::textlabel;
using platform::qt::LOGFONT;
using toolkit::widgets::CLR_NONE;
using toolkit::widgets::GetSysColor;
using toolkit::widgets::toQColor;

namespace {

// A text image larger than this in either direction, or in pixels, is not made: the label is
// then left without one, as when the system refuses a bitmap.
constexpr int32_t kLargestBitmapSide = 32767;
constexpr int64_t kLargestBitmapPixels = 64LL * 1024 * 1024;
// Font heights beyond this many pixels are drawn at this height.
constexpr int32_t kLargestFontPixels = 1000;

QFont makeFont(LOGFONT logFont)
{
    logFont.lfHeight = std::clamp(logFont.lfHeight, -kLargestFontPixels, kLargestFontPixels);
    logFont.lfWeight = std::clamp(logFont.lfWeight, 0, 1000);
    logFont.lfFaceName[sizeof logFont.lfFaceName - 1] = '\0';
    return platform::qt::fontFromLogFont(logFont);
}

std::u32string toU32(const std::string& text)
{
    const QList<uint> points = QString::fromStdString(text).toUcs4();
    return std::u32string(points.begin(), points.end());
}

std::string fromU32(const std::u32string& text)
{
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

bool validUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        uint32_t point = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            point = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            point = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            point = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            point = (point << 6) | (next & 0x3F);
        }
        const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

QColor halved(fw::COLORREF color)
{
    return QColor(static_cast<int>(fw::GetRValue(color) / 2),
                  static_cast<int>(fw::GetGValue(color) / 2),
                  static_cast<int>(fw::GetBValue(color) / 2));
}

QImage tinted(const QImage& mask, const QColor& color)
{
    QImage result = mask;
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    return result;
}

} // namespace

COXTextLabel::COXTextLabel(int32_t depth, int32_t graphicsMode, int32_t horzAlignment,
                           int32_t vertAlignment, QWidget* parent)
    : QLabel(parent), m_nHorzAlignment(horzAlignment), m_nVertAlignment(vertAlignment),
      m_clrEmbossHighlight(GetSysColor(toolkit::widgets::COLOR_BTNHIGHLIGHT)),
      m_clrEmbossShadow(GetSysColor(toolkit::widgets::COLOR_BTNSHADOW)),
      m_clrBackground(GetSysColor(toolkit::widgets::COLOR_WINDOW)),
      m_nDepth(std::clamp(depth, 0, 100)),
      m_clrText(GetSysColor(toolkit::widgets::COLOR_WINDOWTEXT)),
      m_logFont(platform::qt::logFontFromFont(QApplication::font())), m_nGraphicsMode(graphicsMode)
{
    m_font = makeFont(m_logFont);
    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setTimerType(Qt::PreciseTimer);
    connect(m_scrollTimer, &QTimer::timeout, this, [this] { scrollStep(); });
}

COXTextLabel::~COXTextLabel() = default;

bool COXTextLabel::Create(const std::string& text, uint32_t style, const fw::RECT& rect,
                          QWidget* parent, unsigned id)
{
    if (parent == nullptr)
        return false;
    m_style = style & kCreateStyleMask;
    setParent(parent);
    setText(QString::fromStdString(text));
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    fw::setControlId(this, id);
    setEnabled((m_style & WS_DISABLED) == 0);
    applyEdges();
    setVisible((m_style & WS_VISIBLE) != 0);
    RebuildBitmap(true);
    return true;
}

bool COXTextLabel::SetHorzAlignment(int32_t alignment, bool redraw)
{
    if (alignment < 0 || alignment > 2)
        return false;
    m_nHorzAlignment = alignment;
    return Realign(redraw);
}

bool COXTextLabel::SetVertAlignment(int32_t alignment, bool redraw)
{
    if (alignment < 3 || alignment > 5)
        return false;
    m_nVertAlignment = alignment;
    return Realign(redraw);
}

bool COXTextLabel::SetBkColor(COLORREF color, bool redraw)
{
    m_clrBackground = color;
    return RebuildBitmap(redraw);
}

bool COXTextLabel::SetTextColor(COLORREF color, bool redraw)
{
    m_clrText = color;
    return RebuildBitmap(redraw);
}

bool COXTextLabel::SetEmboss(bool emboss, bool raised, bool redraw, COLORREF highlight,
                             COLORREF shadow)
{
    m_bEmboss = emboss;
    m_bRaised = raised;
    m_clrEmbossHighlight = highlight;
    m_clrEmbossShadow = shadow;
    return RebuildBitmap(redraw);
}

bool COXTextLabel::SetText(const std::string& text, bool redraw)
{
    m_strText = text;
    m_strDisplayText = text;
    m_bTimingArmed = false;
    return RebuildBitmap(redraw);
}

bool COXTextLabel::SetGraphicsMode(int32_t mode, bool redraw)
{
    m_nGraphicsMode = mode;
    return RebuildBitmap(redraw);
}

bool COXTextLabel::SetEllipsisMode(int32_t mode, bool redraw)
{
    m_nEllipsisMode = mode == m_nEllipsisMode ? 7 : mode;
    return RebuildBitmap(redraw);
}

bool COXTextLabel::SetDepth(int32_t depth, bool redraw)
{
    // A negative depth would make the image smaller than its text.
    if (depth < 0 || depth > 100)
        return false;
    m_nDepth = depth;
    return RebuildBitmap(redraw);
}

bool COXTextLabel::SetFontAttribute(int32_t which, int32_t value, bool redraw)
{
    switch (which) {
    case 0:
        m_logFont.lfWeight = value != 0 ? platform::qt::FW_BOLD : platform::qt::FW_NORMAL;
        break;
    case 1:
        m_logFont.lfItalic = static_cast<uint8_t>(value);
        break;
    case 2:
        m_logFont.lfUnderline = static_cast<uint8_t>(value);
        break;
    case 3:
        m_logFont.lfStrikeOut = static_cast<uint8_t>(value);
        break;
    default:
        return false;
    }
    return recreateFont() && RebuildBitmap(redraw);
}

bool COXTextLabel::SetFontEscapement(int32_t tenths, bool redraw)
{
    m_logFont.lfEscapement = tenths;
    return recreateFont() && RebuildBitmap(redraw);
}

bool COXTextLabel::SetFontOrientation(int32_t tenths, bool redraw)
{
    m_logFont.lfOrientation = tenths;
    return recreateFont() && RebuildBitmap(redraw);
}

bool COXTextLabel::SetCharSet(uint8_t charSet, bool redraw)
{
    m_logFont.lfCharSet = charSet;
    return recreateFont() && RebuildBitmap(redraw);
}

bool COXTextLabel::SetFontHeight(int32_t height, bool redraw)
{
    m_logFont.lfHeight = height;
    m_logFont.lfWidth = 0;
    return recreateFont() && RebuildBitmap(redraw);
}

bool COXTextLabel::SetFontName(const std::string& face, bool redraw)
{
    // The face field holds 31 bytes: a name that does not fit whole would name another face.
    if (face.size() > sizeof m_logFont.lfFaceName - 1 || face.find('\0') != std::string::npos ||
        !validUtf8(face))
        return false;
    platform::qt::setFaceName(m_logFont, face);
    return recreateFont() && RebuildBitmap(redraw);
}

bool COXTextLabel::GetLogFont(LOGFONT* logFont) const
{
    if (logFont == nullptr)
        return false;
    *logFont = m_logFont;
    return true;
}

bool COXTextLabel::SetLogFont(const LOGFONT* logFont, bool redraw)
{
    if (logFont == nullptr)
        return false;
    m_logFont = *logFont;
    m_logFont.lfFaceName[sizeof m_logFont.lfFaceName - 1] = '\0';
    return recreateFont() && RebuildBitmap(redraw);
}

bool COXTextLabel::recreateFont()
{
    m_font = makeFont(m_logFont);
    return true;
}

bool COXTextLabel::SetPlainBorder(bool on)
{
    if (on) {
        m_bDottedEdge = false;
        m_style |= WS_BORDER;
        m_exStyle &= ~(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
    } else {
        m_style &= ~WS_BORDER;
    }
    applyEdges();
    return true;
}

bool COXTextLabel::SetStaticEdge(bool on)
{
    if (on) {
        m_bDottedEdge = false;
        m_style |= WS_BORDER;
        m_exStyle = (m_exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE)) | WS_EX_STATICEDGE;
    } else {
        m_exStyle &= ~WS_EX_STATICEDGE;
    }
    applyEdges();
    return true;
}

bool COXTextLabel::SetClientEdge(bool on)
{
    if (on) {
        m_bDottedEdge = false;
        m_style |= WS_BORDER;
        m_exStyle = (m_exStyle & ~(WS_EX_STATICEDGE | WS_EX_WINDOWEDGE)) | WS_EX_CLIENTEDGE;
    } else {
        m_exStyle &= ~WS_EX_CLIENTEDGE;
    }
    applyEdges();
    return true;
}

bool COXTextLabel::SetWindowEdge(bool on)
{
    if (on) {
        m_bDottedEdge = false;
        m_style |= WS_BORDER;
        m_exStyle = (m_exStyle & ~(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE)) | WS_EX_WINDOWEDGE;
    } else {
        m_exStyle &= ~WS_EX_WINDOWEDGE;
    }
    applyEdges();
    return true;
}

bool COXTextLabel::SetDottedEdge(bool on)
{
    m_bDottedEdge = on;
    if (on) {
        m_style |= WS_BORDER;
        m_exStyle &= ~(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
    }
    applyEdges();
    return true;
}

void COXTextLabel::applyEdges()
{
    // The non-client frame: one pixel for the border, one for a static edge, two for a client
    // or a window edge.
    int width = (m_style & WS_BORDER) != 0 ? 1 : 0;
    if ((m_exStyle & WS_EX_STATICEDGE) != 0)
        width += 1;
    if ((m_exStyle & (WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE)) != 0)
        width += 2;
    setContentsMargins(width, width, width, width);
    update();
}

QRect COXTextLabel::clientRect() const
{
    return QRect(QPoint(0, 0), contentsRect().size());
}

bool COXTextLabel::SetScrollDirection(int32_t degrees, bool redraw)
{
    m_nScrollDirection = ((degrees % 360) + 360) % 360;
    const bool result = Realign(redraw);
    ComputeScrollGeometry();
    return result;
}

bool COXTextLabel::SetScrollSpeed(int32_t pixelsPerSecond)
{
    const int32_t speed = std::max(pixelsPerSecond, 0);
    const tl::ScrollStep chosen = tl::chooseScrollStep(speed, m_nMinTimerPeriod);
    m_nScrollSpeed = speed;
    m_nScrollStep = chosen.step;
    m_nScrollPeriod = chosen.periodMs;
    ComputeScrollGeometry();
    if (m_scrollTimer->isActive())
        m_scrollTimer->setInterval(m_nScrollPeriod);
    return true;
}

bool COXTextLabel::SetMinTimerPeriod(int32_t periodMs)
{
    if (periodMs <= 0 || periodMs > 500 || periodMs == m_nMinTimerPeriod)
        return false;
    m_nMinTimerPeriod = periodMs;
    return SetScrollSpeed(m_nScrollSpeed);
}

bool COXTextLabel::SetScrollGap(fw::SIZE gap, bool redraw)
{
    m_szScrollGap = {std::clamp(gap.cx, 0, kLargestBitmapSide),
                     std::clamp(gap.cy, 0, kLargestBitmapSide)};
    return RebuildBitmap(redraw);
}

bool COXTextLabel::SetTextMargins(fw::RECT margins, bool redraw)
{
    const auto bounded = [](int32_t v) { return std::clamp(v, -1000, 1000); };
    m_rcMargins = {bounded(margins.left), bounded(margins.top), bounded(margins.right),
                   bounded(margins.bottom)};
    return RebuildBitmap(redraw);
}

void COXTextLabel::StartScrolling(bool start)
{
    m_scrollTimer->stop();
    if (!start)
        return;
    RebuildBitmap(true);
    m_scrollTimer->start(m_nScrollPeriod > 0 ? m_nScrollPeriod : 1000);
}

bool COXTextLabel::IsScrolling() const
{
    return m_scrollTimer->isActive();
}

bool COXTextLabel::scrollStep()
{
    const tl::PointF before = m_ptTextCentre;
    m_ptTextCentre.x += m_szStep.x;
    m_ptTextCentre.y += m_szStep.y;
    if (m_ptTextCentre.x == before.x && m_ptTextCentre.y == before.y)
        return false;
    const QRectF area =
        QRectF(clientRect())
            .adjusted(-m_szScrollGap.cx, -m_szScrollGap.cy, m_szScrollGap.cx, m_szScrollGap.cy);
    const auto textAt = [this](tl::PointF centre) {
        return QRectF(centre.x - m_szBitmap.cx / 2.0, centre.y - m_szBitmap.cy / 2.0, m_szBitmap.cx,
                      m_szBitmap.cy);
    };
    if (!textAt(m_ptTextCentre).intersects(area)) {
        const tl::PointF wrapped{m_ptTextCentre.x + m_ptWrapOffset.x,
                                 m_ptTextCentre.y + m_ptWrapOffset.y};
        if (textAt(wrapped).intersects(area))
            m_ptTextCentre = wrapped;
    }
    update();
    return true;
}

bool COXTextLabel::Realign(bool redraw)
{
    ComputeTextCentre();
    return RebuildBitmap(redraw);
}

bool COXTextLabel::RebuildBitmap(bool redraw)
{
    return PrepareBitmap(redraw);
}

bool COXTextLabel::PrepareBitmap(bool redraw)
{
    if (!redraw)
        return true;
    const bool made = RefreshBitmap();
    ComputeTextCentre();
    ComputeScrollGeometry();
    update();
    return made;
}

int32_t COXTextLabel::fontAngle() const
{
    return m_nGraphicsMode == GM_ADVANCED ? m_logFont.lfOrientation : m_logFont.lfEscapement;
}

bool COXTextLabel::RefreshBitmap()
{
    ++m_renderCount;
    if (m_strDisplayText.empty())
        m_strText = text().toStdString();
    const QFontMetrics metrics(m_font);
    const auto width = [&metrics](const std::u32string& shown) {
        return static_cast<int32_t>(
            std::min<qint64>(metrics.horizontalAdvance(QString::fromUcs4(
                                 shown.data(), static_cast<qsizetype>(shown.size()))),
                             INT32_MAX));
    };
    const std::u32string fitted =
        tl::fitText(toU32(m_strText), tl::fitRoom(clientRect().width(), m_logFont.lfEscapement),
                    m_nEllipsisMode, width);
    m_strDisplayText = fromU32(fitted);
    const tl::Size measured =
        tl::measureRotated(width(fitted), metrics.height(), fontAngle(), m_rcMargins.left,
                           m_rcMargins.top, m_rcMargins.right, m_rcMargins.bottom);
    const int64_t bitmapWidth = static_cast<int64_t>(measured.cx) + m_nDepth;
    const int64_t bitmapHeight = static_cast<int64_t>(measured.cy) + m_nDepth;
    m_textBitmap = QImage();
    if (bitmapWidth <= 0 || bitmapHeight <= 0 || bitmapWidth > kLargestBitmapSide ||
        bitmapHeight > kLargestBitmapSide || bitmapWidth * bitmapHeight > kLargestBitmapPixels) {
        m_szBitmap = {0, 0};
        return false;
    }
    m_szBitmap = {static_cast<int32_t>(bitmapWidth), static_cast<int32_t>(bitmapHeight)};
    QImage bitmap(m_szBitmap.cx, m_szBitmap.cy, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull())
        return false;
    bitmap.fill(m_clrBackground == CLR_NONE ? QColor(Qt::transparent) : toQColor(m_clrBackground));
    QPainter painter(&bitmap);
    DrawLabelText(painter, 0, 0, m_szBitmap.cx, m_szBitmap.cy);
    painter.end();
    m_textBitmap = bitmap;
    return true;
}

void COXTextLabel::DrawLabelText(QPainter& painter, int x, int y, int width, int height)
{
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(m_font);
    const QFontMetrics metrics(m_font);
    const QString shown = QString::fromStdString(m_strDisplayText);
    const double advance = metrics.horizontalAdvance(shown);
    const double degrees = fontAngle() / 10.0;
    const double a = degrees * 3.14159265358979323846 / 180.0;
    // The text's own rectangle: the image less the depth, less the margins; the shadow passes
    // move it one pixel right and down each, the face comes last.
    const QRectF base(x + m_rcMargins.left, y + m_rcMargins.top,
                      width - m_nDepth - m_rcMargins.left - m_rcMargins.right,
                      height - m_nDepth - m_rcMargins.top - m_rcMargins.bottom);
    const double half = (metrics.ascent() - metrics.descent()) / 2.0;
    const auto drawAt = [&](QPainter& target, double offset, const QColor& colour) {
        const QPointF centre = base.center() + QPointF(offset, offset);
        // The baseline lies half the ascent-minus-descent below the centre, turned with the
        // text; whole pixels, rounded away from the centre line.
        const QPointF baseline(std::lround(centre.x() + half * std::sin(a)),
                               std::lround(centre.y() + half * std::cos(a)));
        target.save();
        target.setPen(colour);
        target.translate(baseline);
        target.rotate(-degrees);
        target.drawText(QPointF(-advance / 2.0, 0), shown);
        target.restore();
    };
    const QColor shadow = halved(m_clrText);
    for (int pass = 0; pass < m_nDepth; ++pass)
        drawAt(painter, pass, shadow);
    drawAt(painter, m_nDepth, toQColor(m_clrText));
    if (m_bEmboss) {
        QImage mask(painter.device()->width(), painter.device()->height(),
                    QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        QPainter maskPainter(&mask);
        maskPainter.setFont(m_font);
        drawAt(maskPainter, m_nDepth, Qt::white);
        maskPainter.end();
        DrawEmbossed(painter, mask, QPoint(0, 0));
    }
}

void COXTextLabel::DrawEmbossed(QPainter& painter, const QImage& mask, const QPoint& at)
{
    // A light and a dark copy of the text's shape, one pixel to either side, then the face
    // again over them; sunken text swaps the two colours.
    const QColor light = toQColor(m_bRaised ? m_clrEmbossHighlight : m_clrEmbossShadow);
    const QColor dark = toQColor(m_bRaised ? m_clrEmbossShadow : m_clrEmbossHighlight);
    painter.drawImage(at + QPoint(-1, -1), tinted(mask, light));
    painter.drawImage(at + QPoint(1, 1), tinted(mask, dark));
    painter.drawImage(at, tinted(mask, toQColor(m_clrText)));
}

void COXTextLabel::ComputeTextCentre()
{
    const QRect client = clientRect();
    m_ptTextCentre =
        tl::textCentre(m_nHorzAlignment, m_nVertAlignment, client.left(), client.top(),
                       client.right() + 1, client.bottom() + 1, m_szBitmap.cx, m_szBitmap.cy);
}

void COXTextLabel::ComputeScrollGeometry()
{
    m_szStep = tl::stepOffset(m_nScrollDirection, m_nScrollStep);
    const QRect client = clientRect();
    const double width = std::max(client.width(), m_szBitmap.cx) + m_szScrollGap.cx;
    const double height = std::max(client.height(), m_szBitmap.cy) + m_szScrollGap.cy;
    m_ptWrapOffset = tl::wrapOffset(m_nScrollDirection, width, height);
}

bool COXTextLabel::notePaintTime(uint32_t startTick, uint32_t endTick)
{
    m_nPaintStart = startTick;
    m_nPaintEnd = endTick;
    m_nPrevPaintTime = m_nLastPaintTime;
    m_nLastPaintTime = endTick - startTick;
    const uint64_t last = m_nLastPaintTime;
    const uint64_t previous = m_nPrevPaintTime;
    if (m_bTimingArmed && !(last == 0 && previous == 0) &&
        (last >= 2 * previous || 2 * last <= previous)) {
        RefreshBitmap();
        m_bTimingArmed = false;
        return true;
    }
    m_bTimingArmed = true;
    return false;
}

void COXTextLabel::paintInto(QPainter& painter)
{
    const QRect client = contentsRect();
    if (client.width() > 0 && client.height() > 0) {
        QImage area(client.size(), QImage::Format_ARGB32_Premultiplied);
        area.fill(m_clrBackground == CLR_NONE ? QColor(Qt::transparent)
                                              : toQColor(m_clrBackground));
        if (!m_textBitmap.isNull()) {
            QPainter copy(&area);
            const auto topLeft = [this](tl::PointF centre) {
                return QPoint(static_cast<int>(std::floor(centre.x - m_szBitmap.cx / 2.0 + 0.5)),
                              static_cast<int>(std::floor(centre.y - m_szBitmap.cy / 2.0 + 0.5)));
            };
            const QPoint first = topLeft(m_ptTextCentre);
            copy.drawImage(first, m_textBitmap);
            const QRect widened = clientRect().adjusted(-m_szScrollGap.cx, -m_szScrollGap.cy,
                                                        m_szScrollGap.cx, m_szScrollGap.cy);
            if (!widened.contains(QRect(first, m_textBitmap.size())))
                copy.drawImage(topLeft({m_ptTextCentre.x + m_ptWrapOffset.x,
                                        m_ptTextCentre.y + m_ptWrapOffset.y}),
                               m_textBitmap);
        }
        painter.drawImage(client.topLeft(), area);
    }
    // The frame round the client area.
    const QRect whole = rect().adjusted(0, 0, -1, -1);
    int inset = 0;
    if ((m_style & WS_BORDER) != 0) {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        if (m_bDottedEdge) {
            // A one-pixel dotted line: every other pixel of the edge.
            for (int x = whole.left(); x <= whole.right(); x += 2) {
                painter.drawPoint(x, whole.top());
                painter.drawPoint(x, whole.bottom());
            }
            for (int y = whole.top(); y <= whole.bottom(); y += 2) {
                painter.drawPoint(whole.left(), y);
                painter.drawPoint(whole.right(), y);
            }
        } else {
            painter.drawRect(whole);
        }
        inset = 1;
    }
    const auto bevel = [&](int rings, const QColor& topLeft, const QColor& bottomRight) {
        for (int ring = 0; ring < rings; ++ring, ++inset) {
            const QRect r = whole.adjusted(inset, inset, -inset, -inset);
            painter.setPen(topLeft);
            painter.drawLine(r.topLeft(), r.topRight());
            painter.drawLine(r.topLeft(), r.bottomLeft());
            painter.setPen(bottomRight);
            painter.drawLine(r.bottomLeft(), r.bottomRight());
            painter.drawLine(r.topRight(), r.bottomRight());
        }
    };
    const QColor shadowColour = toQColor(GetSysColor(toolkit::widgets::COLOR_BTNSHADOW));
    const QColor lightColour = toQColor(GetSysColor(toolkit::widgets::COLOR_BTNHIGHLIGHT));
    if ((m_exStyle & WS_EX_STATICEDGE) != 0)
        bevel(1, shadowColour, lightColour);
    if ((m_exStyle & WS_EX_CLIENTEDGE) != 0)
        bevel(2, shadowColour, lightColour);
    if ((m_exStyle & WS_EX_WINDOWEDGE) != 0)
        bevel(2, lightColour, shadowColour);
}

QImage COXTextLabel::renderToImage()
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintInto(painter);
    return image;
}

void COXTextLabel::paintEvent(QPaintEvent*)
{
    const uint32_t start = platform::win::GetTickCount();
    QPainter painter(this);
    paintInto(painter);
    painter.end();
    notePaintTime(start, platform::win::GetTickCount());
}

void COXTextLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    if (IsScrolling())
        StartScrolling(true);
    RebuildBitmap(true);
}

void COXTextLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    // A move to another screen stands for a change of the display's settings.
    if (event->type() == QEvent::ScreenChangeInternal)
        RebuildBitmap(true);
}
