// The grid's picture, pixel for pixel: a sheet of varied cells (texts and numbers, colours,
// fonts, alignments, the three text modes, overflow, clipped texts, texts of other scripts,
// a selection, the current cell, locked rows and columns, headings) drawn by the whole widget
// and compared with the picture kept in tests/fixtures/gridctrl. The kept picture was drawn by
// the cell drawing that goes through the device context for every text, so any change of
// the drawing shows here. Pictures depend on the fonts: the comparison runs where the default
// font is the one the picture was drawn with.
#include "gridctrl/model/GridCellTypeGeometry.h"
#include "gridctrl/widgets/GridWidget.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <string>

namespace gridctrl::widgets {
namespace {

QApplication& paintPictureApplication()
{
    static int argc = 1;
    static char name[] = "GridPaintPictureTest";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

constexpr const char* kPaintPictureFont = "DejaVu Sans";

// Fills the sheet: every cell a different mix of what drawing a cell depends on.
void fillPaintPictureSheet(model::CGridControl& grid)
{
    grid.SetNumberCols(9);
    grid.SetNumberRows(40);
    grid.SetDefaultRowHeight(20);
    const int widths[] = {60, 90, 70, 110, 50, 80, 100, 40, 90};
    for (int col = 0; col < 9; ++col) {
        grid.SetColWidth(col, widths[col]);
        grid.QuickSetText(col, -1, std::string(1, static_cast<char>('A' + col)));
    }
    grid.SetRowHeight(3, 34);
    grid.SetLockedCols(1);
    grid.SetLockedRows(1);
    const int bold = grid.AddFont("DejaVu Serif", -16, 700);
    model::GridFontSpec italic;
    italic.height = -12;
    italic.weight = 400;
    italic.italic = 1;
    const int italicFont = grid.AddFontEx(italic);
    model::GridFontSpec underlined;
    underlined.height = 14;
    underlined.weight = 400;
    underlined.underline = 1;
    underlined.faceName = "DejaVu Sans Mono";
    const int underlinedFont = grid.AddFontEx(underlined);
    const char* texts[] = {"text", "Wave 1", "café au lait",      "a\ttab", "x", "12.5",
                           "שלום", "Ωμέγα",  "line one\nline two"};
    for (int row = 0; row < 40; ++row) {
        grid.QuickSetText(-1, row, std::to_string(row + 1));
        for (int col = 0; col < 9; ++col) {
            const int n = row * 9 + col;
            if (row == 0) {
                grid.QuickSetText(col, row, "locked " + std::to_string(col));
            } else if (n % 4 == 1) {
                grid.QuickSetNumber(col, row, n * 1.25 - 30);
            } else {
                grid.QuickSetText(col, row, std::string(texts[n % 9]) + " " + std::to_string(n));
            }
            const unsigned short alignments[] = {0, 1, 2, 4, 32, 16, 2 | 32, 4 | 16};
            if (n % 3 != 0) {
                grid.QuickSetAlignment(col, row, alignments[n % 8]);
            }
            if (n % 5 == 0) {
                grid.QuickSetBackColor(col, row, 0x00E0FF);
            }
            if (n % 7 == 0) {
                grid.QuickSetTextColor(col, row, 0x0000C0);
            }
            if (n % 11 == 0) {
                grid.QuickSetFontIndex(col, row, bold);
            } else if (n % 13 == 0) {
                grid.QuickSetFontIndex(col, row, italicFont);
            } else if (n % 17 == 0) {
                grid.QuickSetFontIndex(col, row, underlinedFont);
            }
        }
    }
    // The text modes, overflow into empty cells and texts wider than their cells.
    grid.QuickSetText(1, 3, "a wrapped text of several words");
    grid.QuickSetCellTypeEx(1, 3, model::kParamWrap);
    grid.QuickSetText(2, 4, "an ellipsis at the end");
    grid.QuickSetCellTypeEx(2, 4, model::kParamEllipsis);
    grid.QuickSetText(3, 5, "overflowing into the empty cells");
    grid.QuickSetText(4, 5, "");
    grid.QuickSetText(5, 5, "");
    grid.QuickSetAlignment(3, 5, 0);
    grid.QuickSetText(7, 6, "clipped on the right side");
    grid.QuickSetAlignment(7, 6, 1);
    grid.QuickSetText(7, 7, "clipped on the left side");
    grid.QuickSetAlignment(7, 7, 2);
    grid.QuickSetText(4, 8, "centred and cut");
    grid.QuickSetAlignment(4, 8, 4);
    grid.QuickSetText(2, 9, "Tall glyphs ÅÉÎ gjpqy");
    grid.QuickSetFontIndex(2, 9, bold);
    grid.QuickSetAlignment(2, 9, 16);
    grid.QuickSetHBackColor(4, 10, 0x40A040);
    grid.QuickSetHTextColor(4, 10, 0xFFFF00);
    grid.EnableTextOverflow(1);
}

TEST(GridPaintPictureTest, WholeWidgetMatchesTheKeptPicture)
{
    paintPictureApplication();
    if (QFontInfo(QApplication::font()).family() != QLatin1String(kPaintPictureFont)) {
        GTEST_SKIP() << "the kept picture was drawn with " << kPaintPictureFont;
    }
    test::DesktopGridSystem system;
    model::ScopedGridSystem scope{system};
    model::CGridControl grid;
    GridWidget widget{grid};
    fillPaintPictureSheet(grid);
    widget.resize(720, 520);
    widget.show();
    grid.AdjustComponentSizes();
    grid.GotoCell(2, 2);
    grid.SetMultiSelectMode(1);
    grid.SelectRange(3, 10, 5, 13);
    QApplication::processEvents();

    EXPECT_NE(grid.IsSelected(4, 11), 0);
    QImage picture(widget.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    widget.render(&picture);
    // Scrolled, so the locked rows and columns stand apart from the ones that moved.
    grid.SetTopRow(12);
    grid.SetLeftCol(3);
    QApplication::processEvents();
    QImage scrolled(widget.size(), QImage::Format_RGB32);
    scrolled.fill(Qt::black);
    widget.render(&scrolled);

    const QString fixtures = QStringLiteral(GRIDCTRL_FIXTURE_DIR);
    const struct
    {
        const char* name;
        const QImage& image;
    } shots[] = {{"grid-paint.png", picture}, {"grid-paint-scrolled.png", scrolled}};
    // HARLUNE_WRITE_PICTURES names a folder to write the pictures to (to renew the kept ones).
    const QString writeTo = qEnvironmentVariable("HARLUNE_WRITE_PICTURES");
    for (const auto& shot : shots) {
        SCOPED_TRACE(shot.name);
        if (!writeTo.isEmpty()) {
            ASSERT_TRUE(shot.image.save(QDir(writeTo).filePath(shot.name), "PNG"));
            continue;
        }
        const QImage kept =
            QImage(QDir(fixtures).filePath(shot.name)).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(kept.isNull());
        ASSERT_EQ(kept.size(), shot.image.size());
        int differing = 0;
        for (int y = 0; y < kept.height(); ++y) {
            for (int x = 0; x < kept.width(); ++x) {
                differing += kept.pixel(x, y) != shot.image.pixel(x, y) ? 1 : 0;
            }
        }
        if (differing != 0) {
            shot.image.save(QStringLiteral(HARLUNE_ARTEFACT_DIR "/") + shot.name, "PNG");
        }
        EXPECT_EQ(differing, 0) << "the picture is kept in " HARLUNE_ARTEFACT_DIR;
    }
}

} // namespace
} // namespace gridctrl::widgets
