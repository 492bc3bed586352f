// The graph window offscreen: its widget's file, clipboard and print output, the window that
// the program's NewGraphWindow opens and the automation objects' way to its view.
#include "app/automation/GraphViewSelection.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/windows/qt/GraphViewWidget.h"
#include "platform/chart/Xrt.h"
#include "platform/chart/XrtChart.h"
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
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fw = platform::framework;

using app::windows::test::freshFolder;

// The menu bar's item of a command, each pop-up on the way opened (and so refreshed) as the user
// opens it; null when no item has that command.
QAction* menuItem(QMenuBar& bar, unsigned command)
{
    std::function<QAction*(QMenu*)> open = [&](QMenu* menu) -> QAction* {
        emit menu->aboutToShow();
        for (QAction* action : menu->actions()) {
            if (QMenu* sub = action->menu()) {
                if (QAction* found = open(sub))
                    return found;
            } else if (!action->isSeparator() && action->data().toUInt() == command) {
                return action;
            }
        }
        return nullptr;
    };
    for (QAction* action : bar.actions())
        if (QMenu* menu = action->menu())
            if (QAction* found = open(menu))
                return found;
    return nullptr;
}

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

// View > Legend > Enabled is ticked on a new graph window, and the chart then shows its legend,
// naming the traces; unticking it through the menu hides the legend, ticking it shows it again.
TEST(NewGraphWindowTest, LegendShowsWhileItsMenuItemIsTicked)
{
    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    CHarluneApp::useScanCountViews(true);
    RecordingDriver driver;
    {
        CHarluneApp app(driver);
        ASSERT_TRUE(app.InitInstance({}));
        MainFrameWidget& main = *app.mainFrameWidget();
        main.resize(900, 700);
        main.show();
        app.NewGraphWindow(3, 100, "G");
        auto* graph = dynamic_cast<GraphViewWidget*>(main.GetActiveView());
        ASSERT_NE(graph, nullptr);
        const platform::chart::XrtHandle chart = graph->core().chart();
        auto legendLabels = [&] {
            std::vector<std::string> labels;
            const platform::chart::XrtLayout layout = platform::chart::xrtChart(chart)->layout();
            if (layout.legendShown)
                for (const auto& entry : layout.legendEntries)
                    labels.push_back(entry.label);
            return labels;
        };
        const std::vector<std::string> traces{"Trace 0", "Trace 1", "Trace 2"};

        QAction* item = menuItem(*main.menuBar(), CHarluneGraphView::ID_LEGEND_ENABLED);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), "Enabled");
        EXPECT_TRUE(item->isEnabled());
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(legendLabels(), traces);

        // The picture: the legend's box on the white legend background holds dark text.
        const platform::chart::XrtRect box = platform::chart::xrtChart(chart)->layout().legendArea;
        ASSERT_GT(box.width, 0);
        ASSERT_GT(box.height, 0);
        const QImage picture = graph->chartWindow().grab().toImage();
        int dark = 0;
        for (int y = box.top; y < box.top + box.height && y < picture.height(); ++y)
            for (int x = box.left; x < box.left + box.width && x < picture.width(); ++x)
                dark += qGray(picture.pixel(x, y)) < 96 ? 1 : 0;
        EXPECT_GT(dark, 20);

        item->trigger();
        item = menuItem(*main.menuBar(), CHarluneGraphView::ID_LEGEND_ENABLED);
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(legendLabels(), std::vector<std::string>{});

        item->trigger();
        item = menuItem(*main.menuBar(), CHarluneGraphView::ID_LEGEND_ENABLED);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(legendLabels(), traces);
    }
    CHarluneApp::useScanCountViews(false);
}

} // namespace
