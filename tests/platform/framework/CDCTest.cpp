#include "platform/framework/CDC.h"

#include "platform/framework/Printing.h"
#include "platform/framework/View.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/platform/framework/TestApplication.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform::framework;
using platform::qt::ScopedUiServices;
using platform::qt::ScriptedUiServices;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

QImage whiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(3780); // 96 dots per inch
    image.setDotsPerMeterY(3780);
    return image;
}

bool isColor(const QImage& image, int x, int y, QColor color)
{
    return QColor(image.pixel(x, y)) == color;
}

QString testFile(const char* name)
{
    QString dir = QString::fromLocal8Bit(qgetenv("HARLUNE_TEST_DIR"));
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    return QDir(dir).absoluteFilePath(QString::fromLatin1(name));
}

// Pages of a PDF that Qt wrote: its page objects are plain dictionaries.
int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QString text = QString::fromLatin1(file.readAll());
    return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

void setUpPdf(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

// Logical 0..1000 on both axes, y upwards, over the whole device.
void mapAnisotropic(CDC& dc)
{
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowOrg(0, 0);
    dc.SetWindowExt(1000, 1000);
    dc.SetViewportOrg(0, dc.GetDeviceCaps(VERTRES));
    dc.SetViewportExt(dc.GetDeviceCaps(HORZRES), -dc.GetDeviceCaps(VERTRES));
}

} // namespace

TEST(CDCTest, MappingModesMapLogicalToDevicePoints)
{
    testApplication();
    QImage image = whiteImage(200, 100);
    QPainter painter(&image);
    struct Case
    {
        const char* name;
        std::function<void(CDC&)> setUp;
        POINT logical;
        POINT device;
    };
    const Case cases[] = {
        {"text", [](CDC& dc) { dc.SetMapMode(MM_TEXT); }, {10, 20}, {10, 20}},
        {"text ignores extents",
         [](CDC& dc) {
             dc.SetMapMode(MM_TEXT);
             dc.SetWindowExt(5, 5);
             dc.SetViewportOrg(3, 4);
         },
         {10, 20},
         {13, 24}},
        {"lometric: 254 units an inch, y up",
         [](CDC& dc) { dc.SetMapMode(MM_LOMETRIC); },
         {254, -508},
         {96, 192}},
        {"loenglish", [](CDC& dc) { dc.SetMapMode(MM_LOENGLISH); }, {100, -50}, {96, 48}},
        {"twips", [](CDC& dc) { dc.SetMapMode(MM_TWIPS); }, {1440, -720}, {96, 48}},
        {"anisotropic", [](CDC& dc) { mapAnisotropic(dc); }, {500, 250}, {100, 75}},
        {"anisotropic with window origin",
         [](CDC& dc) {
             mapAnisotropic(dc);
             dc.SetWindowOrg(100, 100);
         },
         {600, 350},
         {100, 75}},
        {"isotropic keeps equal scales",
         [](CDC& dc) {
             dc.SetMapMode(MM_ISOTROPIC);
             dc.SetWindowExt(100, 100);
             dc.SetViewportExt(200, -100);
         },
         {100, 100},
         {100, -100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDC dc(&painter, &image);
        c.setUp(dc);
        POINT point = c.logical;
        dc.LPtoDP(&point);
        EXPECT_EQ(point.x, c.device.x);
        EXPECT_EQ(point.y, c.device.y);
        dc.DPtoLP(&point);
        EXPECT_EQ(point.x, c.logical.x);
        EXPECT_EQ(point.y, c.logical.y);
    }
}

TEST(CDCTest, AnisotropicDrawingLandsAtTheExpectedPixels)
{
    testApplication();
    QImage image = whiteImage(200, 100);
    {
        QPainter painter(&image);
        CDC dc(&painter, &image);
        mapAnisotropic(dc);
        dc.FillSolidRect(RECT{500, 500, 1000, 1000}, kRed); // the upper right quarter
        dc.SelectObject(CPen{PS_SOLID, 0, kBlack});
        dc.MoveTo(0, 250);
        dc.LineTo(1000, 250); // device row 75
        dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 255)});
        dc.SelectObject(CPen{PS_NULL, 0, 0});
        dc.Rectangle(100, 100, 200, 200); // device x 20..40, y 80..90
    }
    EXPECT_TRUE(isColor(image, 150, 25, Qt::red));
    EXPECT_TRUE(isColor(image, 101, 1, Qt::red));
    EXPECT_TRUE(isColor(image, 98, 25, Qt::white));
    EXPECT_TRUE(isColor(image, 150, 52, Qt::white));
    EXPECT_TRUE(isColor(image, 60, 75, Qt::black));
    EXPECT_TRUE(isColor(image, 60, 70, Qt::white));
    EXPECT_TRUE(isColor(image, 30, 85, Qt::blue));
    EXPECT_TRUE(isColor(image, 45, 85, Qt::white));
}

TEST(CDCTest, PatternBrushRepeatsItsBitmapFromTheOrigin)
{
    testApplication();
    QImage image = whiteImage(32, 32);
    {
        QPainter painter(&image);
        CDC dc(&painter, &image);
        CBrush brush{BS_PATTERN, kRed};
        for (int row = 0; row < 8; ++row) {
            brush.pattern[row] = (row % 2 == 0) ? 0xAA : 0x55; // a checkerboard
        }
        brush.patternBack = RGB(0, 0, 255);
        dc.FillRect(RECT{3, 3, 20, 20}, brush);
    }
    EXPECT_TRUE(isColor(image, 4, 4, Qt::red));   // even row, even column
    EXPECT_TRUE(isColor(image, 5, 4, Qt::blue));  // even row, odd column
    EXPECT_TRUE(isColor(image, 4, 5, Qt::blue));  // odd row, even column
    EXPECT_TRUE(isColor(image, 12, 12, Qt::red)); // repeats after 8 pixels
    EXPECT_TRUE(isColor(image, 2, 2, Qt::white));
    EXPECT_TRUE(isColor(image, 20, 20, Qt::white));
}

TEST(CDCTest, OpaqueAndClippedText)
{
    testApplication();
    QImage image = whiteImage(200, 40);
    {
        QPainter painter(&image);
        CDC dc(&painter, &image);
        dc.SetBkColor(RGB(0, 255, 0));
        dc.SetTextColor(kBlack);
        const RECT box{10, 5, 40, 30};
        dc.ExtTextOut(12, 8, ETO_OPAQUE | ETO_CLIPPED, &box, "WWWWWWWWWWWWWWWWWWWW");
    }
    EXPECT_TRUE(isColor(image, 11, 6, Qt::green)); // filled even where no glyph is
    EXPECT_TRUE(isColor(image, 39, 29, Qt::green));
    int darkOutside = 0;
    for (int x = 41; x < 200; ++x) {
        for (int y = 0; y < 40; ++y) {
            darkOutside += QColor(image.pixel(x, y)).lightness() < 128 ? 1 : 0;
        }
    }
    EXPECT_EQ(darkOutside, 0); // clipped at the box
}

TEST(CDCTest, EllipsisWrapAndClip)
{
    testApplication();
    const std::string text = "alpha beta gamma delta epsilon & zeta";
    auto inkRows = [](const QImage& image) {
        int rows = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (QColor(image.pixel(x, y)).lightness() < 128) {
                    ++rows;
                    break;
                }
            }
        }
        return rows;
    };
    auto draw = [&](unsigned format) {
        QImage image = whiteImage(80, 80);
        QPainter painter(&image);
        CDC dc(&painter, &image);
        dc.SetBkMode(TRANSPARENT);
        RECT rect{0, 0, 80, 80};
        dc.DrawText(text, &rect, format);
        painter.end();
        return image;
    };
    const QImage wrapped = draw(DT_WORDBREAK | DT_NOPREFIX);
    const QImage single = draw(DT_SINGLELINE);
    const QImage ellipsis = draw(DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_GT(inkRows(wrapped), inkRows(single) * 2);
    EXPECT_NE(single, ellipsis); // the cut line ends differently
    // The ellipsis text measures no wider than the rectangle.
    int lastInk = 0;
    for (int x = 0; x < 80; ++x) {
        for (int y = 0; y < 80; ++y) {
            if (QColor(ellipsis.pixel(x, y)).lightness() < 128) {
                lastInk = x;
            }
        }
    }
    EXPECT_LT(lastInk, 80);
}

TEST(CDCTest, StretchedAndCopiedBitmaps)
{
    testApplication();
    QImage source(2, 2, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(255, 0, 0));
    source.setPixel(1, 0, qRgb(0, 255, 0));
    source.setPixel(0, 1, qRgb(0, 0, 255));
    source.setPixel(1, 1, qRgb(0, 0, 0));
    QImage image = whiteImage(40, 40);
    {
        QPainter painter(&image);
        CDC dc(&painter, &image);
        EXPECT_TRUE(dc.StretchBlt(RECT{0, 0, 20, 20}, source));
        EXPECT_TRUE(dc.BitBlt(30, 30, source));
        EXPECT_FALSE(dc.StretchBlt(RECT{5, 5, 5, 9}, source));
        EXPECT_FALSE(dc.BitBlt(0, 0, QImage()));
    }
    EXPECT_TRUE(isColor(image, 5, 5, Qt::red));
    EXPECT_TRUE(isColor(image, 15, 5, Qt::green));
    EXPECT_TRUE(isColor(image, 5, 15, Qt::blue));
    EXPECT_TRUE(isColor(image, 30, 30, Qt::red));
    EXPECT_TRUE(isColor(image, 31, 31, Qt::black));
    EXPECT_TRUE(isColor(image, 32, 32, Qt::white));
}

TEST(CDCTest, LinesLeaveOutTheirEndPoint)
{
    testApplication();
    QImage image = whiteImage(20, 20);
    {
        QPainter painter(&image);
        CDC dc(&painter, &image);
        dc.SelectObject(CPen{PS_SOLID, 0, kBlack});
        dc.MoveTo(2, 2);
        dc.LineTo(10, 2);
        dc.LineTo(10, 10);
        dc.MoveTo(2, 15);
        dc.LineTo(3, 15); // one pixel long: only its start
    }
    EXPECT_TRUE(isColor(image, 2, 2, Qt::black));
    EXPECT_TRUE(isColor(image, 9, 2, Qt::black));
    EXPECT_TRUE(isColor(image, 10, 2, Qt::black)); // the start of the second line
    EXPECT_TRUE(isColor(image, 10, 9, Qt::black));
    EXPECT_TRUE(isColor(image, 10, 10, Qt::white));
    EXPECT_TRUE(isColor(image, 11, 2, Qt::white));
    EXPECT_TRUE(isColor(image, 2, 15, Qt::black));
    EXPECT_TRUE(isColor(image, 3, 15, Qt::white));
}

TEST(CDCTest, SaveRestoreAndClipping)
{
    testApplication();
    QImage image = whiteImage(100, 100);
    {
        QPainter painter(&image);
        CDC dc(&painter, &image);
        EXPECT_EQ(dc.IntersectClipRect(0, 0, 50, 50), SIMPLEREGION);
        const int level = dc.SaveDC();
        EXPECT_EQ(level, 1);
        dc.SetMapMode(MM_LOMETRIC);
        EXPECT_EQ(dc.IntersectClipRect(RECT{0, 0, 100000, -100000}), SIMPLEREGION);
        EXPECT_EQ(dc.IntersectClipRect(1500, -1500, 2000, -2000), NULLREGION); // beyond 50 px
        dc.SetMapMode(MM_TEXT);
        dc.FillSolidRect(RECT{0, 0, 100, 100}, kRed); // clipped away entirely
        EXPECT_TRUE(dc.RestoreDC(-1));
        EXPECT_EQ(dc.GetMapMode(), MM_TEXT);
        RECT box;
        EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
        EXPECT_EQ(box.right, 50);
        EXPECT_EQ(box.bottom, 50);
        dc.FillSolidRect(RECT{0, 0, 100, 100}, RGB(0, 255, 0)); // only the clipped corner
        EXPECT_FALSE(dc.RestoreDC(1));                          // already restored
        EXPECT_FALSE(dc.RestoreDC(-1));
        dc.SelectClipRgnNone();
        dc.GetClipBox(&box);
        EXPECT_EQ(box.right, 100);
    }
    EXPECT_TRUE(isColor(image, 10, 10, Qt::green));
    EXPECT_TRUE(isColor(image, 49, 49, Qt::green));
    EXPECT_TRUE(isColor(image, 60, 60, Qt::white));
    EXPECT_TRUE(isColor(image, 10, 60, Qt::white));
}

TEST(CDCTest, TextStaysUprightWhenTheAxisPointsUp)
{
    testApplication();
    QImage image = whiteImage(200, 200);
    SIZE extent;
    {
        QPainter painter(&image);
        CDC dc(&painter, &image);
        dc.SetMapMode(MM_LOMETRIC);
        dc.SetViewportOrg(0, 200);
        CFont font;
        font.logFont.lfHeight = -100; // 10 mm: about 38 pixels
        platform::qt::setFaceName(font.logFont, "DejaVu Sans");
        dc.SelectObject(font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextAlign(TA_LEFT | TA_TOP);
        dc.TextOut(50, 300, "HHH"); // device (19, 87): the glyphs hang below it
        extent = dc.GetTextExtent("HHH");
    }
    int darkBelow = 0;
    int darkAbove = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                (y >= 87 ? darkBelow : darkAbove)++;
            }
        }
    }
    EXPECT_GT(darkBelow, 50);
    EXPECT_EQ(darkAbove, 0);
    // Extents are logical units: a line of 10 mm type is about 100 units high.
    EXPECT_GT(extent.cy, 90);
    EXPECT_LT(extent.cy, 150);
    EXPECT_GT(extent.cx, 100);
}

TEST(CDCTest, DeviceCapsOfAPdfPrinterMatchItsPage)
{
    testApplication();
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, testFile("caps.pdf"));
    QPainter painter(&printer);
    CDC dc(&painter, &printer);
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const int dpi = printer.resolution();
    EXPECT_EQ(dc.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), dpi);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), dpi);
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), page.width());
    EXPECT_EQ(dc.GetDeviceCaps(VERTRES), page.height());
    EXPECT_NEAR(dc.GetDeviceCaps(HORZSIZE), 190, 1); // A4 less two 10 mm margins
    EXPECT_NEAR(dc.GetDeviceCaps(VERTSIZE), 277, 1);
    EXPECT_NEAR(dc.GetDeviceCaps(PHYSICALWIDTH), 210 / 25.4 * dpi, 8); // Qt rounds A4 to points
    EXPECT_NEAR(dc.GetDeviceCaps(PHYSICALHEIGHT), 297 / 25.4 * dpi, 8);
    EXPECT_EQ(dc.GetDeviceCaps(PHYSICALWIDTH), qRound(paper.width()));
    EXPECT_NEAR(dc.GetDeviceCaps(PHYSICALOFFSETX), 10 / 25.4 * dpi, 8);
    EXPECT_EQ(dc.GetDeviceCaps(PHYSICALOFFSETX), page.left());
    EXPECT_NEAR(dc.GetDeviceCaps(PHYSICALOFFSETY), 10 / 25.4 * dpi, 8);

    // The anisotropic mapping spans exactly the printable page.
    mapAnisotropic(dc);
    POINT corners[2] = {{0, 1000}, {1000, 0}};
    dc.LPtoDP(corners, 2);
    EXPECT_EQ(corners[0].x, 0);
    EXPECT_EQ(corners[0].y, 0);
    EXPECT_EQ(corners[1].x, page.width());
    EXPECT_EQ(corners[1].y, page.height());
    dc.FillSolidRect(RECT{500, 500, 1000, 1000}, kRed);
    RECT box;
    dc.GetClipBox(&box);
    // The clip box in logical units, top above bottom in numbers.
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 1000);
    EXPECT_EQ(box.bottom, 1000);
}

namespace {

// A view of three pages at most, each page numbered.
class PagedView : public View
{
public:
    unsigned pages = 2;
    std::vector<unsigned> printed;
    int begins = 0;
    int ends = 0;
    std::vector<int> horzRes;

    bool OnPreparePrinting(PrintInfo* info) override
    {
        info->SetMaxPage(pages);
        return DoPreparePrinting(info);
    }
    void OnBeginPrinting(CDC*, PrintInfo*) override { ++begins; }
    void OnPrint(CDC* dc, PrintInfo* info) override
    {
        printed.push_back(info->m_nCurPage);
        horzRes.push_back(info->m_rectDraw.right);
        mapAnisotropic(*dc);
        dc->TextOut(100, 900, "Page " + std::to_string(info->m_nCurPage));
    }
    void OnEndPrinting(CDC*, PrintInfo*) override { ++ends; }
};

} // namespace

TEST(PrintingTest, PrintingProtocolWritesOnePdfPagePerPage)
{
    testApplication();
    ScriptedUiServices ui;
    ScopedUiServices installed(ui);
    struct Case
    {
        const char* name;
        bool ok;
        int from;
        int to;
        std::vector<unsigned> pages;
    };
    const Case cases[] = {
        {"all pages", true, 0, 0, {1, 2}},
        {"second page only", true, 2, 2, {2}},
        {"cancelled", false, 0, 0, {}},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = testFile(("print" + std::to_string(index++) + ".pdf").c_str());
        QPrinter printer(QPrinter::HighResolution);
        setUpPdf(printer, path);
        PagedView view;
        ui.answerPrintDialog(c.ok, c.from, c.to);
        EXPECT_EQ(printView(&view, printer), static_cast<int>(c.pages.size()));
        EXPECT_EQ(view.printed, c.pages);
        EXPECT_EQ(ui.printDialogs().back().maxPage, 2);
        if (c.pages.empty()) {
            EXPECT_EQ(view.begins, 0);
            EXPECT_FALSE(QFile::exists(path));
            continue;
        }
        EXPECT_EQ(view.begins, 1);
        EXPECT_EQ(view.ends, 1);
        EXPECT_EQ(view.horzRes.front(), printer.pageRect(QPrinter::DevicePixel).toRect().width());
        EXPECT_EQ(pdfPageCount(path), static_cast<int>(c.pages.size()));
    }
}

TEST(PrintingTest, ViewWithoutPageCountPrintsOnePageDirectly)
{
    testApplication();
    ScriptedUiServices ui;
    ScopedUiServices installed(ui);
    struct OnePage : View
    {
        int prints = 0;
        void OnDraw(CDC*) override { ++prints; }
    } view;
    QPrinter printer(QPrinter::HighResolution);
    const QString path = testFile("direct.pdf");
    setUpPdf(printer, path);
    EXPECT_EQ(printView(&view, printer, true), 1);
    EXPECT_EQ(view.prints, 1);
    EXPECT_TRUE(ui.printDialogs().empty()); // direct: no dialog
    EXPECT_EQ(pdfPageCount(path), 1);
}

namespace {

// Two pages, each filled black in its upper left quarter; counts the printing steps.
class PatternView : public View
{
public:
    std::vector<unsigned> printed;
    int begins = 0;
    int ends = 0;

    bool OnPreparePrinting(PrintInfo* info) override
    {
        info->SetMaxPage(2);
        return DoPreparePrinting(info);
    }
    void OnBeginPrinting(CDC*, PrintInfo*) override { ++begins; }
    void OnPrint(CDC* dc, PrintInfo* info) override
    {
        printed.push_back(info->m_nCurPage);
        dc->FillSolidRect(RECT{0, 0, info->m_rectDraw.right / 2, info->m_rectDraw.bottom / 2},
                          kBlack);
    }
    void OnEndPrinting(CDC*, PrintInfo*) override { ++ends; }
};

// Collects Qt's warnings while it lives.
class WarningLog
{
public:
    WarningLog()
    {
        s_messages.clear();
        m_previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                s_messages.push_back(text.toStdString());
            });
    }
    ~WarningLog() { qInstallMessageHandler(m_previous); }
    const std::vector<std::string>& messages() const { return s_messages; }

private:
    static inline std::vector<std::string> s_messages;
    QtMessageHandler m_previous = nullptr;
};

} // namespace

TEST(PrintingTest, PreviewDrawsEveryPageOnceWithTheViewsPattern)
{
    testApplication();
    ScriptedUiServices ui;
    ScopedUiServices installed(ui);
    PatternView view;
    QPrinter printer(QPrinter::HighResolution);
    WarningLog warnings;
    int pages = -1;
    QImage shown;
    // Looks at the preview once its dialog runs, then closes it.
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(top);
            if (dialog == nullptr || !dialog->isVisible()) {
                continue;
            }
            if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) {
                preview->setViewMode(QPrintPreviewWidget::SinglePageView);
                preview->fitInView();
                pages = preview->pageCount();
                shown = preview->grab().toImage();
            }
            dialog->reject();
        }
    });
    printPreview(&view, printer);

    EXPECT_EQ(pages, 2);
    EXPECT_EQ(view.printed, (std::vector<unsigned>{1, 2}));
    EXPECT_EQ(view.begins, 1);
    EXPECT_EQ(view.ends, 1);
    EXPECT_TRUE(ui.printDialogs().empty()); // a preview asks for no printer
    ASSERT_FALSE(shown.isNull());
    // The page shows the view's black quarter: not a blank page.
    int black = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            black += qGray(shown.pixel(x, y)) < 40 ? 1 : 0;
        }
    }
    EXPECT_GT(black, shown.width() * shown.height() / 50);
    for (const std::string& message : warnings.messages()) {
        EXPECT_EQ(message.find("QPainter"), std::string::npos) << message;
    }
}
