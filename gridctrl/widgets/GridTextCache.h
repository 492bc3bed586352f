#pragma once

#include "platform/framework/CDC.h"

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRectF>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QPainter;
class QPaintDevice;

namespace gridctrl::widgets {

// The texts of one window's cells, laid out once per font and drawn from their glyphs from then
// on. Shaping a text costs about as much as drawing it, and a window repaints the same texts
// over and over. A cached text draws the same pixels as the device context's own text output
// (CDC::ExtTextOut at the top left, opaque and clipped); where it could not (printing, a
// mapping mode, a turned or decorated font, text that is not plain left-to-right, a painter
// that is scaled), lookups answer null and the caller draws through the device context. GUI
// thread (the thread that paints the window).
class GridTextCache
{
public:
    // A text in one font: its extent as CDC::GetTextExtent measures it, the ascent TextOut puts
    // the baseline at, and whether its glyphs can be drawn here.
    struct Text
    {
        platform::framework::SIZE extent;
        double ascent = 0;
        bool drawable = false;
        QList<QGlyphRun> runs; // positions from the start of the baseline
        QRectF ink;            // the glyphs' pixels, with a margin, likewise
    };

    GridTextCache();
    ~GridTextCache();
    GridTextCache(const GridTextCache&) = delete;
    GridTextCache& operator=(const GridTextCache&) = delete;

    // Starts a paint with a fresh painter on `device`: what was laid out for another device
    // resolution or another default font of the device is forgotten.
    void beginPaint(QPainter& painter, QPaintDevice* device);
    // Ends the paint (the painter goes away).
    void endPaint();

    // The text as the DC's current font lays it out, or null where the DC cannot be matched.
    const Text* find(platform::framework::CDC& dc, const std::string& text);

    // Draws `text` as dc.ExtTextOut(x, y, ETO_OPAQUE | ETO_CLIPPED, &box, ...) does with the
    // alignment TA_LEFT | TA_TOP and the DC's text and background colours. `text` came from
    // find() on this DC, drawable.
    void drawOpaqueClipped(platform::framework::CDC& dc, int x, int y,
                           const platform::framework::RECT& box, const Text& text) const;

    // Texts kept before all are dropped (a sheet of unique texts must not grow the cache
    // without bound: a few megabytes at most).
    static constexpr std::size_t kMaxTexts = 8192;
    // Longer texts are not kept (find() answers null): a cell shows a few hundred characters
    // at most, and texts of any length would break the bound above.
    static constexpr std::size_t kMaxTextBytes = 512;

private:
    struct FontEntry;
    FontEntry* fontFor(platform::framework::CDC& dc);

    QPainter* m_painter = nullptr;
    QPaintDevice* m_device = nullptr;
    int m_dpiX = 0;
    int m_dpiY = 0;
    QFont m_deviceFont;
    std::vector<std::unique_ptr<FontEntry>> m_fonts;
    FontEntry* m_lastFont = nullptr;
    std::size_t m_texts = 0; // in all fonts
};

} // namespace gridctrl::widgets
