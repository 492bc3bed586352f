#include "gridctrl/widgets/GridCdcPrintTarget.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace gridctrl::widgets {
namespace {

namespace fw = platform::framework;

QApplication& printingApplication()
{
    static int argc = 1;
    static char name[] = "GridPrintingTest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

QString testFile(const char* name)
{
    QString dir = QString::fromLocal8Bit(qgetenv("HARLUNE_TEST_DIR"));
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    return QDir(dir).absoluteFilePath(QString::fromLatin1(name));
}

int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QString text = QString::fromLatin1(file.readAll());
    return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

// A grid of 12 columns and 70 rows: two pages across and two down on A4.
class GridPrintingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        printingApplication();
        m_grid.SetNumberCols(12);
        m_grid.SetNumberRows(70);
        for (int row = 0; row < 70; ++row) {
            for (int col = 0; col < 12; ++col) {
                m_grid.QuickSetNumber(col, row, row * 100 + col);
            }
        }
        m_grid.QuickSetCellType(1, 1, 2);
        m_grid.QuickSetCellType(2, 1, 1);
        m_grid.QuickSetCellType(3, 1, 3);
    }

    test::DesktopGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    model::CGridControl m_grid;
};

TEST_F(GridPrintingTest, TwoByTwoBlockGivesFourPdfPages)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = testFile("grid.pdf");
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&printer);
    fw::CDC dc(&painter, &printer);
    dc.setPrinting(true);
    const int pages = gridPrintInit(dc, m_grid, 0, 0, 11, 69);
    ASSERT_EQ(pages, 4);
    GridCdcPrintTarget target(dc, m_grid);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1) {
            printer.newPage();
        }
        const int saved = dc.SaveDC();
        ASSERT_EQ(m_grid.PrintPage(target, page), 0);
        dc.RestoreDC(saved);
    }
    painter.end();
    EXPECT_EQ(pdfPageCount(path), 4);
}

TEST_F(GridPrintingTest, PagesAt600DpiStayInsideThePrintableArea)
{
    // An A4 page at 600 dots per inch.
    QImage image(4960, 7015, QImage::Format_Grayscale8);
    image.setDotsPerMeterX(23622);
    image.setDotsPerMeterY(23622);
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        image.fill(Qt::white);
        int divisor = 1;
        model::GridRect area;
        {
            QPainter painter(&image);
            fw::CDC dc(&painter, &image);
            dc.setPrinting(true);
            ASSERT_EQ(gridPrintInit(dc, m_grid, 0, 0, 11, 69), 4);
            divisor = m_grid.printer().unitDivisor();
            area = m_grid.printer().printableArea();
            GridCdcPrintTarget target(dc, m_grid);
            ASSERT_EQ(m_grid.PrintPage(target, page), 0);
        }
        int inside = 0;
        int outside = 0;
        for (int y = 0; y < image.height(); y += 2) {
            const uchar* line = image.constScanLine(y);
            for (int x = 0; x < image.width(); x += 2) {
                if (line[x] < 250) {
                    const bool in = x >= area.left * divisor - 2 && x <= area.right * divisor + 2 &&
                                    y >= area.top * divisor - 2 && y <= area.bottom * divisor + 2;
                    (in ? inside : outside) += 1;
                }
            }
        }
        EXPECT_GT(inside, 1000);
        EXPECT_EQ(outside, 0);
        if (page == 1) {
            // Kept for a look: the first page at a tenth of its size.
            QDir().mkpath(HARLUNE_ARTEFACT_DIR);
            image.scaledToWidth(1240, Qt::SmoothTransformation)
                .save(QStringLiteral(HARLUNE_ARTEFACT_DIR) + "/grid-print-page1.png");
        }
    }
}

} // namespace
} // namespace gridctrl::widgets
