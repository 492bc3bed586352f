// The graph window offscreen: its widget's file, clipboard and print output, the window that
// the program's NewGraphWindow opens and the automation objects' way to its view.
#include "app/automation/GraphViewSelection.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/windows/qt/GraphViewWidget.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/Printing.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/windows/ScratchFolder.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPrinter>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fw = platform::framework;

using app::windows::test::freshFolder;

class GraphWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        widget.resize(500, 320);
        widget.show();
        ASSERT_TRUE(widget.core().InitGraph(2, 50));
        std::vector<double> x(50), y(50);
        for (int i = 0; i < 50; ++i) {
            x[static_cast<std::size_t>(i)] = i;
            y[static_cast<std::size_t>(i)] = i * i;
        }
        for (int t = 0; t < 2; ++t) {
            ASSERT_TRUE(widget.core().SetXData(t, x.data(), 50, false, 0));
            ASSERT_TRUE(widget.core().SetYData(t, y.data(), 50, 0));
        }
    }

    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    GraphViewWidget widget{[](int) { return 1; }};
};

TEST_F(GraphWindowTest, SaveWritesABitmapOfTheWindowsSize)
{
    const std::string path = (freshFolder("save") / "graph.bmp").string();
    ui.answerFileDialog(std::vector<std::string>{path});
    ASSERT_TRUE(widget.OnCmdMsg(CHarluneGraphView::ID_GRAPH_FILE_SAVE, nullptr));
    ASSERT_EQ(ui.fileDialogs().size(), 1u);
    EXPECT_EQ(ui.fileDialogs()[0].title, "Save Graph as Bitmap");
    QImageReader reader(QString::fromStdString(path));
    EXPECT_EQ(reader.format(), "bmp");
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), widget.chartWindow().size());
    EXPECT_EQ(image.size(), QSize(500, 320));
}

TEST_F(GraphWindowTest, CopyPutsAnImageOnTheClipboard)
{
    QApplication::clipboard()->clear();
    ASSERT_TRUE(widget.OnCmdMsg(CHarluneGraphView::ID_EDIT_COPY, nullptr));
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
}

TEST_F(GraphWindowTest, PrintingIntoAPdfGivesOnePage)
{
    const QString path = QString::fromStdString((freshFolder("print") / "graph.pdf").string());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    fw::printView(&widget, printer, true);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
              1);
}

TEST(NewGraphWindowTest, OpensAGraphOfTheGivenSize)
{
    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    CHarluneApp::useScanCountViews(true);
    RecordingDriver driver;
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({}));
        app.NewGraphWindow(3, 100, "G");
        GraphViewWidget* graph = nullptr;
        for (fw::ChildFrame* frame : app.mainFrameWidget()->childFrames())
            if (frame->GetActiveView())
                if (auto* view = dynamic_cast<GraphViewWidget*>(frame->GetActiveView()))
                    graph = view;
        ASSERT_NE(graph, nullptr);
        EXPECT_EQ(graph->core().traces(), 3);
        EXPECT_EQ(graph->core().points(), 100);
        ASSERT_NE(graph->GetDocument(), nullptr);
        EXPECT_EQ(graph->GetDocument()->GetTitle(), "G");

        // The automation objects' graph selector finds the window, and its view is this one.
        MainFrameWidget& main = *app.mainFrameWidget();
        CGraphViewSelection selection;
        const uint32_t target = selection.GetTargetView();
        ASSERT_EQ(target, graph->GetParentFrame()->GetSafeHwnd());
        EXPECT_EQ(main.graphView(target), &graph->core());
        for (fw::ChildFrame* frame : main.childFrames())
            if (frame->GetSafeHwnd() != target) {
                EXPECT_EQ(main.graphView(frame->GetSafeHwnd()), nullptr);
            }
    }
    CHarluneApp::useScanCountViews(false);
}

} // namespace
