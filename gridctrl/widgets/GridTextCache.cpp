#include "gridctrl/widgets/GridTextCache.h"

#include "platform/qt/QtUiServices.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gridctrl::widgets {

namespace fw = platform::framework;

namespace {

constexpr std::size_t kGridTextCacheFonts = 32;
// Glyph images reach a little past the outlines' bounds (hinting, smoothing).
constexpr double kGridTextInkMarginPx = 2.0;

// The font as the DC maps it to device pixels at a scale of 1 (the text mapping mode).
platform::qt::LOGFONT gridTextDeviceLogFont(platform::qt::LOGFONT logFont)
{
    const int pixels = std::max(1, static_cast<int>(std::lround(std::abs(logFont.lfHeight * 1.0))));
    logFont.lfHeight = logFont.lfHeight > 0 ? pixels : -pixels;
    return logFont;
}

// Text whose glyphs lie left to right on one line with nothing the layout treats apart from the
// painter's one-line text: no controls (tabs, line breaks), no soft hyphen, no right-to-left
// scripts (so a painter whose direction is automatic lays it out left to right too). Other
// texts are drawn through the DC.
bool isPlainGridText(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0xAD || u >= 0x0590) {
            return false;
        }
    }
    return true;
}

} // namespace

struct GridTextCache::FontEntry
{
    platform::qt::LOGFONT logFont; // in device pixels
    QFont metricsFont;             // as the DC measures with it
    QFontMetricsF metrics;
    QFont drawFont; // as the painter draws with it
    bool drawable = false;
    std::unordered_map<std::string, Text> texts;

    FontEntry(const platform::qt::LOGFONT& lf, const QFont& font, QPaintDevice* device)
        : logFont(lf), metricsFont(font), metrics(font, device)
    {}
};

GridTextCache::GridTextCache() = default;
GridTextCache::~GridTextCache() = default;

void GridTextCache::beginPaint(QPainter& painter, QPaintDevice* device)
{
    const int dpiX = device != nullptr ? device->logicalDpiX() : 0;
    const int dpiY = device != nullptr ? device->logicalDpiY() : 0;
    // The painter starts with the device's font, which fills in what a font leaves unset.
    const QFont deviceFont = painter.font();
    if (dpiX != m_dpiX || dpiY != m_dpiY || device != m_device || deviceFont != m_deviceFont ||
        deviceFont.resolveMask() != m_deviceFont.resolveMask()) {
        m_fonts.clear();
        m_lastFont = nullptr;
        m_texts = 0;
    }
    m_painter = &painter;
    m_device = device;
    m_dpiX = dpiX;
    m_dpiY = dpiY;
    m_deviceFont = deviceFont;
}

void GridTextCache::endPaint()
{
    m_painter = nullptr;
}

GridTextCache::FontEntry* GridTextCache::fontFor(fw::CDC& dc)
{
    if (m_painter == nullptr || dc.painter() != m_painter || dc.device() != m_device ||
        dc.IsPrinting() || dc.GetMapMode() != fw::MM_TEXT ||
        m_painter->deviceTransform().type() > QTransform::TxTranslate ||
        m_painter->layoutDirection() == Qt::RightToLeft) {
        return nullptr;
    }
    const platform::qt::LOGFONT logFont = gridTextDeviceLogFont(dc.currentFont().logFont);
    if (m_lastFont != nullptr && std::memcmp(&m_lastFont->logFont, &logFont, sizeof logFont) == 0) {
        return m_lastFont;
    }
    for (auto& entry : m_fonts) {
        if (std::memcmp(&entry->logFont, &logFont, sizeof logFont) == 0) {
            m_lastFont = entry.get();
            return m_lastFont;
        }
    }
    if (m_fonts.size() >= kGridTextCacheFonts) {
        m_texts -= m_fonts.front()->texts.size();
        m_fonts.erase(m_fonts.begin());
    }
    auto entry =
        std::make_unique<FontEntry>(logFont, platform::qt::fontFromLogFont(logFont), m_device);
    // The painter resolves a font against the device's font: take the font it draws with.
    m_painter->save();
    m_painter->setFont(entry->metricsFont);
    entry->drawFont = m_painter->font();
    m_painter->restore();
    entry->drawable =
        logFont.lfEscapement == 0 && logFont.lfUnderline == 0 && logFont.lfStrikeOut == 0;
    m_fonts.push_back(std::move(entry));
    m_lastFont = m_fonts.back().get();
    return m_lastFont;
}

const GridTextCache::Text* GridTextCache::find(fw::CDC& dc, const std::string& text)
{
    if (text.size() > kMaxTextBytes) {
        return nullptr;
    }
    FontEntry* font = fontFor(dc);
    if (font == nullptr) {
        return nullptr;
    }
    auto it = font->texts.find(text);
    if (it != font->texts.end()) {
        return &it->second;
    }
    if (m_texts >= kMaxTexts) {
        for (auto& entry : m_fonts) {
            entry->texts.clear();
        }
        m_texts = 0;
    }
    const QString qtText = QString::fromStdString(text);
    Text laid;
    laid.extent = {static_cast<int32_t>(std::lround(font->metrics.horizontalAdvance(qtText))),
                   static_cast<int32_t>(std::lround(font->metrics.height()))};
    laid.ascent = font->metrics.ascent();
    laid.drawable = font->drawable && isPlainGridText(qtText);
    if (laid.drawable && !qtText.isEmpty()) {
        QTextLayout layout(qtText, font->drawFont, m_device);
        QTextOption option;
        option.setTextDirection(Qt::LeftToRight);
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        const double baseline = line.y() + line.ascent();
        for (QGlyphRun run : layout.glyphRuns()) {
            QList<QPointF> positions = run.positions();
            for (QPointF& p : positions) {
                p.ry() -= baseline;
            }
            run.setPositions(positions);
            // The layout gives a run its line's box; the glyphs' own bounds are wanted here.
            run.setBoundingRect(QRectF());
            laid.ink |= run.boundingRect();
            laid.runs.push_back(run);
        }
        if (!laid.ink.isNull()) {
            laid.ink.adjust(-kGridTextInkMarginPx, -kGridTextInkMarginPx, kGridTextInkMarginPx,
                            kGridTextInkMarginPx);
        }
    }
    ++m_texts;
    return &font->texts.emplace(text, std::move(laid)).first->second;
}

void GridTextCache::drawOpaqueClipped(fw::CDC& dc, int x, int y, const fw::RECT& box,
                                      const Text& text) const
{
    QPainter& painter = *m_painter;
    // The text mapping mode moves logical points by whole pixels.
    const fw::POINT windowOrg = dc.GetWindowOrg();
    const fw::POINT viewportOrg = dc.GetViewportOrg();
    const int dx = viewportOrg.x - windowOrg.x;
    const int dy = viewportOrg.y - windowOrg.y;
    const QRectF device =
        QRectF(QPointF(box.left + dx, box.top + dy), QPointF(box.right + dx, box.bottom + dy))
            .normalized();
    painter.fillRect(device, platform::qt::colorFromColorRef(dc.GetBkColor()));
    if (text.runs.isEmpty()) {
        return;
    }
    const QPointF origin(x + dx, y + dy + text.ascent);
    const bool inside = device.contains(text.ink.translated(origin));
    if (!inside) {
        painter.save();
        painter.setClipRect(device, Qt::IntersectClip);
    }
    const QPen pen = painter.pen();
    painter.setPen(platform::qt::colorFromColorRef(dc.GetTextColor()));
    for (const QGlyphRun& run : text.runs) {
        painter.drawGlyphRun(origin, run);
    }
    if (!inside) {
        painter.restore();
    } else {
        painter.setPen(pen);
    }
}

} // namespace gridctrl::widgets
