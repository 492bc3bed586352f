// Texts drawn from the window's laid-out glyphs must be the pixels the device context draws:
// each case draws a cell once through the DC alone and once through the cache, on a painter
// moved by odd offsets, clipped, with the DC's window origin moved, and compares the two.
#include "gridctrl/widgets/GridTextCache.h"

#include "gridctrl/model/GridCellTypeGeometry.h"
#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridCellDrawing.h"
#include "gridctrl/widgets/GridWidget.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridctrl::widgets {
namespace {

namespace fw = platform::framework;
using model::CGridCellInfo;

QApplication& textCacheApplication()
{
    static int argc = 1;
    static char name[] = "GridTextCacheTest";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class GridTextCacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        textCacheApplication();
        m_grid.SetNumberCols(3);
        m_grid.SetNumberRows(3);
    }

    // Cell (0, 0) drawn into `rect` of an image, through the DC alone or through `cache`.
    QImage draw(const fw::RECT& rect, GridCellDrawState state, GridTextCache* cache)
    {
        QImage image(140, 48, QImage::Format_RGB32);
        image.fill(QColor(30, 90, 60));
        QPainter painter(&image);
        painter.translate(3, 5);
        painter.setClipRect(QRect(-1, -2, 120, 38));
        fw::CDC dc(&painter, &image);
        dc.SetWindowOrg(-2, 1);
        if (cache != nullptr) {
            cache->beginPaint(painter, &image);
        }
        state.textCache = cache;
        CGridCellInfo cell;
        m_grid.GetDisplayCell(0, 0, &cell);
        drawGridCell(dc, m_grid, rect, 0, 0, cell, state);
        if (cache != nullptr) {
            cache->endPaint();
        }
        return image;
    }

    test::DesktopGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    model::CGridControl m_grid;
};

TEST_F(GridTextCacheTest, DrawsTheSamePixelsAsTheDeviceContext)
{
    std::vector<int> fonts{-1, m_grid.AddFont("DejaVu Serif", -16, 700)};
    model::GridFontSpec italic;
    italic.height = -11;
    italic.weight = 400;
    italic.italic = 1;
    fonts.push_back(m_grid.AddFontEx(italic));
    model::GridFontSpec cellHeight;
    cellHeight.height = 19; // positive: the cell height
    cellHeight.weight = 300;
    cellHeight.faceName = "DejaVu Sans Mono";
    fonts.push_back(m_grid.AddFontEx(cellHeight));
    model::GridFontSpec underlined;
    underlined.height = -13;
    underlined.underline = 1;
    fonts.push_back(m_grid.AddFontEx(underlined));
    const std::vector<std::string> texts{"text 12",  "-3.750000", "café crème", "Ωμέγα fjord",
                                         "a\ttab",   "שלום",      "",           "  two spaces",
                                         "WWWWWWWW", "ÅÉ gjpqy"};
    const unsigned short alignments[] = {0, 1, 2, 4, 16, 32, 2 | 32};
    const fw::RECT rects[] = {{0, 0, 90, 22}, {7, 3, 37, 15}, {-4, -3, 20, 30}};
    GridTextCache cache; // one cache for every case, as a window keeps one across paints
    int drawnFromGlyphs = 0;
    for (int font : fonts) {
        m_grid.QuickSetFontIndex(0, 0, font);
        for (const std::string& text : texts) {
            m_grid.QuickSetText(0, 0, text);
            for (unsigned short alignment : alignments) {
                m_grid.QuickSetAlignment(0, 0, alignment);
                for (const fw::RECT& rect : rects) {
                    for (int look = 0; look < 3; ++look) {
                        SCOPED_TRACE(testing::Message()
                                     << "font " << font << " text \"" << text << "\" alignment "
                                     << alignment << " rect " << rect.left << "," << rect.top
                                     << " look " << look);
                        m_grid.QuickSetTextColor(0, 0, look == 1 ? 0x2040C0 : 0);
                        m_grid.QuickSetBackColor(0, 0, look == 1 ? 0xC0F0F0 : 0xFFFFFF);
                        GridCellDrawState state;
                        state.selected = look == 2;
                        state.selectedValue = look == 2 ? 1 : 0;
                        const QImage expected = draw(rect, state, nullptr);
                        const QImage actual = draw(rect, state, &cache);
                        ASSERT_TRUE(actual == expected);
                    }
                }
            }
            QImage probe(8, 8, QImage::Format_RGB32);
            QPainter painter(&probe);
            fw::CDC dc(&painter, &probe);
            cache.beginPaint(painter, &probe);
            CGridCellInfo cell;
            m_grid.GetDisplayCell(0, 0, &cell);
            if (font >= 0) {
                dc.SelectObject(gridFont(m_grid.GetFont(font)));
            }
            const GridTextCache::Text* laid = cache.find(dc, text);
            ASSERT_NE(laid, nullptr);
            EXPECT_EQ(laid->extent.cx, dc.GetTextExtent(text).cx) << text;
            EXPECT_EQ(laid->extent.cy, dc.GetTextExtent(text).cy) << text;
            drawnFromGlyphs += laid->drawable && !laid->runs.isEmpty() ? 1 : 0;
            cache.endPaint();
        }
    }
    // Plain texts in plain fonts come from the glyphs; tabs, right-to-left text and
    // underlined fonts go through the DC.
    EXPECT_EQ(drawnFromGlyphs, 4 * 7);
}

TEST_F(GridTextCacheTest, AnswersOnlyWhereItDrawsAsTheDeviceContextDoes)
{
    QImage image(8, 8, QImage::Format_RGB32);
    QPainter painter(&image);
    GridTextCache cache;
    struct Case
    {
        const char* name;
        bool printing;
        int mapMode;
        bool scaled;
        bool sameDevice;
        std::size_t textBytes;
        bool found;
    };
    const Case cases[] = {
        {"screen", false, fw::MM_TEXT, false, true, 4, true},
        {"longest text kept", false, fw::MM_TEXT, false, true, GridTextCache::kMaxTextBytes, true},
        {"text too long to keep", false, fw::MM_TEXT, false, true, GridTextCache::kMaxTextBytes + 1,
         false},
        {"printing", true, fw::MM_TEXT, false, true, 4, false},
        {"metric mapping", false, fw::MM_LOMETRIC, false, true, 4, false},
        {"scaled painter", false, fw::MM_TEXT, true, true, 4, false},
        {"another device", false, fw::MM_TEXT, false, false, 4, false},
    };
    QImage other(8, 8, QImage::Format_RGB32);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        painter.save();
        if (c.scaled) {
            painter.scale(2, 2);
        }
        fw::CDC dc(&painter, c.sameDevice ? static_cast<QPaintDevice*>(&image) : &other);
        dc.setPrinting(c.printing);
        dc.SetMapMode(c.mapMode);
        const std::string text(c.textBytes, 'x');
        cache.beginPaint(painter, &image);
        EXPECT_EQ(cache.find(dc, text) != nullptr, c.found);
        cache.endPaint();
        EXPECT_EQ(cache.find(dc, text), nullptr); // no paint under way
        painter.restore();
    }
}

TEST_F(GridTextCacheTest, KeepsUpWithTheWindowsFont)
{
    // Cells without a font of their own take the family from the window's font: a cache laid
    // out before the window's font changed draws what a fresh one draws after the change.
    m_grid.SetNumberCols(4);
    m_grid.SetNumberRows(12);
    for (int row = 0; row < 12; ++row) {
        for (int col = 0; col < 4; ++col) {
            m_grid.QuickSetText(col, row, "cell " + std::to_string(row * 4 + col));
        }
    }
    auto picture = [](GridWidget& widget) {
        QImage image(widget.cellArea()->size(), QImage::Format_RGB32);
        widget.cellArea()->render(&image);
        return image;
    };
    GridWidget widget{m_grid};
    widget.resize(400, 300);
    widget.show();
    m_grid.AdjustComponentSizes();
    const QImage before = picture(widget);
    widget.cellArea()->setFont(QFont("DejaVu Serif"));
    const QImage after = picture(widget);
    EXPECT_FALSE(after == before);

    model::CGridControl fresh;
    fresh.SetNumberCols(4);
    fresh.SetNumberRows(12);
    for (int row = 0; row < 12; ++row) {
        for (int col = 0; col < 4; ++col) {
            fresh.QuickSetText(col, row, "cell " + std::to_string(row * 4 + col));
        }
    }
    GridWidget freshWidget{fresh};
    freshWidget.resize(400, 300);
    freshWidget.cellArea()->setFont(QFont("DejaVu Serif"));
    freshWidget.show();
    fresh.AdjustComponentSizes();
    EXPECT_TRUE(picture(freshWidget) == after);
}

} // namespace
} // namespace gridctrl::widgets
