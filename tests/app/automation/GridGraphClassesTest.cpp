// The grid and graph classes through their dispatch interfaces, on real grid and graph view
// cores in a fake main frame: DISPIDs, the edge cases of the members, a bounds table, the
// neutral results without a window, and a BASIC script over both kinds of window with files
// and a bitmap (offscreen, real drawing).
#include "AutomationCall.h"
#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "app/automation/GridAutomationClasses.h"
#include "app/windows/HarluneGraphView.h"
#include "app/windows/HarluneGridView.h"
#include "gridctrl/model/GridControlParts.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/basic/Interpreter.h"
#include "platform/chart/Xrt.h"
#include "platform/chart/XrtChart.h"
#include "platform/chart/XrtDraw.h"
#include "tests/app/windows/GridViewFakes.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using namespace platform::chart;
namespace fs = std::filesystem;

fs::path freshFolder(const std::string& name)
{
    const char* base = std::getenv("HARLUNE_TEST_DIR");
    const fs::path folder = fs::path(base ? base : fs::temp_directory_path().string()) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// Counts the grid control's whole-grid redraws.
struct RedrawCounter : gridctrl::model::GridWindows
{
    void redrawAll() override { ++all; }
    int all = 0;
};

struct GridWindow
{
    explicit GridWindow(int cols = 3, int rows = 5, int sheets = 2)
    {
        view.grid().setClipboard(&clipboard);
        view.grid().setWindows(&redraws);
        view.InitGrid(cols, rows, sheets, nullptr);
    }
    grid_test::FakeGridHost host;
    grid_test::FakeClipboard clipboard;
    RedrawCounter redraws;
    CHarluneGridView view{host};
};

class GraphHost : public GraphViewHost
{
public:
    int VerifyCommand(int) override { return 1; }
    void logException(const std::string&, const char* file, int) override
    {
        logged.push_back(file);
    }
    std::array<int, 2> chartClientSize() override { return {400, 300}; }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&,
                                              const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<XrtColor> chooseColor(XrtColor) override { return std::nullopt; }
    int drawChartToFile(XrtHandle chart, const std::string& path) override
    {
        return XrtDrawToFile(chart, path.c_str(), kXrtDrawBitmap);
    }
    int drawChartToClipboard(XrtHandle) override { return 1; }
    int runAxisTextDialog(CHarluneGraphView&, int, const std::string&) override { return 2; }
    std::optional<std::array<std::string, 4>>
    showSetScaleDialog(const std::array<std::string, 4>&) override
    {
        return std::nullopt;
    }
    int runTraceDialog(CHarluneGraphView&) override { return 2; }
    std::optional<GraphGridDialogValues> showGridDialog(const GraphGridDialogValues&) override
    {
        return std::nullopt;
    }
    int runLegendDialog(CHarluneGraphView&) override { return 2; }
    std::vector<std::string> logged;
};

struct Chart
{
    Chart()
    {
        handle = XrtCreate();
        xrtChart(handle)->setSizePx(400, 300);
    }
    ~Chart() { XrtDestroy(handle); }
    XrtHandle handle = 0;
};

struct GraphWindow
{
    GraphWindow(int traces, int points) { view.InitGraph(traces, points); }
    uint64_t repaints() const { return xrtChart(chart.handle)->repaintRequests(); }
    GraphHost host;
    Chart chart;
    CHarluneGraphView view{host, chart.handle};
};

const std::vector<const char*> kGridProgIds = {"Harlune.GridData",      "Harlune.GridFile",
                                               "Harlune.GridGeneral",   "Harlune.GridFormat",
                                               "Harlune.GridClipboard", "Harlune.GridPrint"};
const std::vector<const char*> kGraphProgIds = {
    "Harlune.GraphGeneral",  "Harlune.GraphData",   "Harlune.GraphCursor",
    "Harlune.GraphScale",    "Harlune.GraphGrid",   "Harlune.GraphLegend",
    "Harlune.GraphSettings", "Harlune.GraphTitles", "Harlune.GraphTraceSettings"};

class GridGraphClassesTest : public ::testing::Test
{
protected:
    GridGraphClassesTest()
    {
        registerHarluneAutomation(registry);
        registerGridAutomation(registry);
    }

    GridWindow& addGrid(uint32_t handle, const std::string& title, bool activate = true)
    {
        grids[handle] = std::make_unique<GridWindow>();
        frame.add(handle, MainFrameWindow::ChildKind::Grid, title);
        frame.gridViews[handle] = &grids[handle]->view;
        if (activate)
            frame.active = handle;
        return *grids[handle];
    }
    GraphWindow& addGraph(uint32_t handle, const std::string& title, int traces = 4,
                          int points = 10)
    {
        graphs[handle] = std::make_unique<GraphWindow>(traces, points);
        frame.add(handle, MainFrameWindow::ChildKind::Graph, title);
        frame.graphViews[handle] = &graphs[handle]->view;
        frame.active = handle;
        return *graphs[handle];
    }
    DispatchPtr create(const char* progId)
    {
        DispatchPtr object;
        EXPECT_EQ(registry.CreateInstance(progId, object), S_OK) << progId;
        return object;
    }
    Variant getAt(IDispatch& o, const std::string& name, std::vector<Variant> index)
    {
        return invokeMember(o, name, DISPATCH_PROPERTYGET, std::move(index));
    }
    void putAt(IDispatch& o, const std::string& name, std::vector<Variant> args)
    {
        invokeMember(o, name, DISPATCH_PROPERTYPUT, std::move(args));
    }

    FakeAutomationFrame frame;
    std::map<uint32_t, std::unique_ptr<GridWindow>> grids;
    std::map<uint32_t, std::unique_ptr<GraphWindow>> graphs;
    ClassRegistry registry;
    RecordingSink log;
};

TEST_F(GridGraphClassesTest, DispatchIdsArePositionsInTheTables)
{
    struct Case
    {
        const char* progId;
        const char* member;
        DISPID id;
    };
    const Case cases[] = {
        {"Harlune.GridData", "SetGridActive", 1},
        {"Harlune.GridData", "PutArrayInColumn", 3},
        {"Harlune.GridData", "PutArrayInRow", 6},
        {"Harlune.GridData", "Value", 7},
        {"Harlune.GridData", "Text", 8},
        {"Harlune.GridFile", "SaveSheet", 3},
        {"Harlune.GridFile", "OpenSpectrumIntoNew", 9},
        {"Harlune.GridGeneral", "CreateGrid", 3},
        {"Harlune.GridGeneral", "InsertSheet", 14},
        {"Harlune.GridFormat", "HeadingAlignment", 1},
        {"Harlune.GridFormat", "SideHeadingWidth", 6},
        {"Harlune.GridFormat", "SetGridActive", 7},
        {"Harlune.GridFormat", "SetGridByName", 8},
        {"Harlune.GridFormat", "RegisterFont", 9},
        {"Harlune.GridFormat", "SetUniformRowHeight", 29},
        {"Harlune.GridFormat", "CellFormat", 30},
        {"Harlune.GridFormat", "ColumnBorder", 45},
        {"Harlune.GridClipboard", "CopyCell", 3},
        {"Harlune.GridClipboard", "PasteSelection", 10},
        {"Harlune.GridPrint", "SetGridByName", 2},
        {"Harlune.GraphGeneral", "GlobalRepaint", 1},
        {"Harlune.GraphGeneral", "SetGraphActive", 2},
        {"Harlune.GraphGeneral", "SaveAsBitmap", 8},
        {"Harlune.GraphGeneral", "InitGraph", 11},
        {"Harlune.GraphData", "SetGraphActive", 4},
        {"Harlune.GraphData", "SetGraphByName", 5},
        {"Harlune.GraphData", "SetXData", 6},
        {"Harlune.GraphData", "GetYData", 9},
        {"Harlune.GraphData", "LastPoint", 14},
        {"Harlune.GraphCursor", "SetGraphActive", 7},
        {"Harlune.GraphCursor", "GetYValueAtCursor", 11},
        {"Harlune.GraphScale", "SetGraphByName", 6},
        {"Harlune.GraphScale", "ShowScaleDialog", 9},
        {"Harlune.GraphGrid", "SetGraphActive", 5},
        {"Harlune.GraphGrid", "ShowConfigurationDialog", 7},
        {"Harlune.GraphLegend", "SetGraphActive", 9},
        {"Harlune.GraphLegend", "Text", 13},
        {"Harlune.GraphSettings", "SetGraphActive", 1},
        {"Harlune.GraphSettings", "SaveGraphSettings", 4},
        {"Harlune.GraphTitles", "SetGraphActive", 4},
        {"Harlune.GraphTitles", "SetGraphByName", 5},
        {"Harlune.GraphTraceSettings", "ShowConfigurationDialog", 3},
        {"Harlune.GraphTraceSettings", "PointFillPattern", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + "." + c.member);
        DispatchPtr o = create(c.progId);
        DISPID id = 0;
        ASSERT_EQ(o->GetIDsOfNames(c.member, id), S_OK);
        EXPECT_EQ(id, c.id);
    }
}

TEST_F(GridGraphClassesTest, GridDataEdgeCases)
{
    GridWindow& w = addGrid(10, "Grid A");
    DispatchPtr d = create("Harlune.GridData");
    putAt(*d, "Value", {1, 1, 2.5});
    EXPECT_EQ(w.view.grid().QuickGetText(0, 0), "2.500000");
    EXPECT_DOUBLE_EQ(asDouble(getAt(*d, "Value", {1, 1})), 2.5);
    // Column 0 is the side heading: its row 1 reads the heading's text.
    ASSERT_TRUE(w.view.RenameRow(1, "7.25"));
    EXPECT_DOUBLE_EQ(asDouble(getAt(*d, "Value", {0, 1})), 7.25);
    EXPECT_EQ(asText(getAt(*d, "Text", {0, 1})), "7.25");

    // Column 2, rows 5 to 7 of a grid with 8 rows: one whole-grid redraw.
    w.view.grid().SetNumberRows(8, 0);
    double a[3] = {1.5, 2.5, 3.5};
    const int before = w.redraws.all;
    EXPECT_TRUE(asBool(call(*d, "PutArrayInColumn", {2, 5, Variant::byRef(a, 3), 3})));
    EXPECT_EQ(w.redraws.all - before, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(w.view.GetCellValue(2, 5 + i), a[i]);
    EXPECT_DOUBLE_EQ(w.view.GetCellValue(2, 4), 0.0);
    EXPECT_DOUBLE_EQ(w.view.GetCellValue(2, 8), 0.0);

    double back[3] = {9, 9, 9};
    EXPECT_TRUE(asBool(call(*d, "GetArrayFromColumn", {2, 5, Variant::byRef(back, 3), 3})));
    EXPECT_DOUBLE_EQ(back[2], 3.5);
    // Counts of 0 and -1 answer TRUE and leave the array.
    for (int count : {0, -1}) {
        double keep[2] = {4, 4};
        EXPECT_TRUE(asBool(call(*d, "GetArrayFromRow", {1, 1, Variant::byRef(keep, 2), count})));
        EXPECT_EQ(keep[0], 4);
        EXPECT_EQ(keep[1], 4);
    }
    // Texts longer than the 199-byte buffer are cut on a character boundary.
    std::string longText(198, 'x');
    longText += "\xC3\xA9\xC3\xA9";
    putAt(*d, "Text", {3, 2, longText});
    EXPECT_EQ(asText(getAt(*d, "Text", {3, 2})), std::string(198, 'x'));
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(GridGraphClassesTest, GridObjectsTargetTheActiveWindowAndKeepTheirChoice)
{
    GridWindow& a = addGrid(10, "Grid A");
    GridWindow& b = addGrid(11, "Grid B");
    DispatchPtr d = create("Harlune.GridData");
    putAt(*d, "Value", {1, 1, 2.0});
    EXPECT_DOUBLE_EQ(b.view.GetCellValue(1, 1), 2.0);
    EXPECT_DOUBLE_EQ(a.view.GetCellValue(1, 1), 0.0);

    EXPECT_TRUE(asBool(call(*d, "SetGridByName", {"Grid A"})));
    EXPECT_FALSE(asBool(call(*d, "SetGridByName", {"No such grid"})));
    putAt(*d, "Value", {1, 1, 3.0});
    EXPECT_DOUBLE_EQ(a.view.GetCellValue(1, 1), 3.0);

    // A new grid window leaves the object on the window it targeted.
    DispatchPtr g = create("Harlune.GridGeneral");
    EXPECT_TRUE(asBool(call(*g, "SetGridByName", {"Grid A"})));
    frame.onNewGrid = [&] { addGrid(12, "Made"); };
    EXPECT_TRUE(asBool(call(*g, "CreateGrid", {4, 6, 2, "Made"})));
    EXPECT_EQ(frame.opened.back(), "grid 4x6x2 Made");
    EXPECT_EQ(frame.active, 12u);
    EXPECT_TRUE(asBool(call(*g, "RenameColumn", {1, "Kept"})));
    EXPECT_EQ(a.view.grid().QuickGetText(0, -1), "Kept");
    // Sizes the grid refuses open no window.
    const size_t opened = frame.opened.size();
    EXPECT_FALSE(asBool(call(*g, "CreateGrid", {4, 6, 1025, "Too many"})));
    EXPECT_FALSE(asBool(call(*g, "CreateGrid", {-1, 6, 1, "Negative"})));
    EXPECT_EQ(frame.opened.size(), opened);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(GridGraphClassesTest, CreateGridWithoutAGridWindowKeepsNone)
{
    DispatchPtr d = create("Harlune.GridData");
    DispatchPtr g = create("Harlune.GridGeneral");
    frame.onNewGrid = [&] { addGrid(12, "Made"); };
    EXPECT_TRUE(asBool(call(*g, "CreateGrid", {2, 2, 1, "Made"})));
    putAt(*d, "Value", {1, 1, 5.0});
    EXPECT_DOUBLE_EQ(grids[12]->view.GetCellValue(1, 1), 0.0);
    EXPECT_EQ(log.sources, std::vector<std::string>{"I_GridData"});
    EXPECT_TRUE(asBool(call(*d, "SetGridActive")));
    putAt(*d, "Value", {1, 1, 5.0});
    EXPECT_DOUBLE_EQ(grids[12]->view.GetCellValue(1, 1), 5.0);
}

// Out-of-range numbers, starts and counts: FALSE or 0, nothing written outside the sheet or the
// arrays (the grid has 3 columns, 5 rows and 2 sheets).
TEST_F(GridGraphClassesTest, GridBoundsTable)
{
    GridWindow& w = addGrid(10, "Grid A");
    DispatchPtr d = create("Harlune.GridData");
    DispatchPtr g = create("Harlune.GridGeneral");
    DispatchPtr f = create("Harlune.GridFormat");
    const int32_t kMax = std::numeric_limits<int32_t>::max();
    const int32_t kMin = std::numeric_limits<int32_t>::min();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* name;
        IDispatch* object;
        const char* member;
        std::vector<double> array;   // the script's array (its length is the array's)
        std::vector<Variant> before; // arguments before the array
        std::vector<Variant> after;  // arguments after it
    };
    const std::vector<Case> cases = {
        {"negative start", d.get(), "PutArrayInColumn", {1, 2}, {1, -1}, {2}},
        {"start 2^31 - 1", d.get(), "PutArrayInColumn", {1, 2}, {1, kMax}, {2}},
        {"row start 2^31 - 1", d.get(), "PutArrayInRow", {1, 2}, {1, kMax}, {2}},
        {"get start 2^31 - 1", d.get(), "GetArrayFromRow", {1, 2}, {1, kMax}, {2}},
        {"count past the array", d.get(), "PutArrayInColumn", {1, 2, 3}, {1, 1}, {4}},
        {"get count past the array", d.get(), "GetArrayFromColumn", {1, 2, 3}, {1, 1}, {4}},
        {"column beyond the sheet", d.get(), "PutArrayInColumn", {1}, {4, 1}, {1}},
        {"rows past the sheet", d.get(), "PutArrayInColumn", {1, 2}, {1, 6}, {2}},
        {"negative column", d.get(), "GetArrayFromColumn", {1}, {-1, 1}, {1}},
        {"lowest column", d.get(), "PutArrayInColumn", {1}, {kMin, 1}, {1}},
        {"lowest row", d.get(), "PutArrayInRow", {1}, {kMin, 1}, {1}},
        {"NaN", d.get(), "PutArrayInRow", {1, nan}, {1, 1}, {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> array = c.array;
        const std::vector<double> original = array;
        std::vector<Variant> args = c.before;
        args.push_back(Variant::byRef(array.data(), array.size()));
        args.insert(args.end(), c.after.begin(), c.after.end());
        EXPECT_FALSE(asBool(call(*c.object, c.member, args)));
        if (std::string(c.member).rfind("Get", 0) == 0) {
            EXPECT_EQ(array, original);
        }
    }
    // Nothing of the refused puts reached the sheet (the cells of rows past the sheet did
    // reach row 5, which is in it).
    for (int col = 1; col <= 3; ++col)
        for (int row = 1; row <= 4; ++row)
            EXPECT_DOUBLE_EQ(w.view.GetCellValue(col, row), 0.0) << col << "," << row;

    struct Single
    {
        const char* name;
        IDispatch* object;
        const char* member;
        std::vector<Variant> args;
    };
    const std::vector<Single> refused = {
        {"sheet 1025", g.get(), "SetActiveSheet", {1025}},
        {"negative sheet", g.get(), "SetActiveSheet", {-1}},
        {"delete sheet 1025", g.get(), "DeleteSheet", {1025}},
        {"lowest row", g.get(), "DeleteRow", {kMin}},
        {"cell beyond", g.get(), "SetActiveCell", {4, 1}},
        {"rename lowest column", g.get(), "RenameColumn", {kMin, "x"}},
        {"font on lowest column", f.get(), "SetColumnFont", {kMin, 0}},
        {"cell font on negative row", f.get(), "SetCellFont", {1, -5, 0}},
    };
    for (const Single& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(asBool(call(*c.object, c.member, c.args)));
    }
    EXPECT_DOUBLE_EQ(asDouble(getAt(*d, "Value", {kMin, 1})), 0.0);
    EXPECT_DOUBLE_EQ(asDouble(getAt(*d, "Value", {4, 1})), 0.0);
    EXPECT_EQ(asText(getAt(*d, "Text", {1, kMin})), "");
    EXPECT_EQ(asLong(getAt(*f, "CellFormat", {kMin, 1})), 0);
    putAt(*d, "Value", {1, 1, nan});
    putAt(*d, "Value", {4, 1, 1.0});
    EXPECT_DOUBLE_EQ(w.view.GetCellValue(1, 1), 0.0);
    EXPECT_EQ(w.view.grid().GetNumberSheets(), 2);
    EXPECT_EQ(w.view.grid().GetNumberCols(), 3);
    EXPECT_EQ(w.view.grid().GetNumberRows(), 5);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(GridGraphClassesTest, GridFilesAndClipboard)
{
    GridWindow& w = addGrid(10, "Grid A");
    DispatchPtr d = create("Harlune.GridData");
    DispatchPtr file = create("Harlune.GridFile");
    DispatchPtr clip = create("Harlune.GridClipboard");
    const fs::path folder = freshFolder("grid files");
    putAt(*d, "Value", {1, 1, 1.5});
    putAt(*d, "Value", {3, 5, 4.0});

    const std::string sheet = (folder / "one.csv").string();
    EXPECT_TRUE(asBool(call(*file, "SaveSheet", {1, sheet})));
    ASSERT_TRUE(fs::exists(sheet));
    for (int32_t bad : {0, 3, -1}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(asBool(call(*file, "SaveSheet", {bad, (folder / "bad.csv").string()})));
    }
    EXPECT_FALSE(fs::exists(folder / "bad.csv"));
    EXPECT_FALSE(asBool(call(*file, "SaveSheet", {1, (folder / "none" / "x.csv").string()})));
    EXPECT_FALSE(asBool(call(*file, "SaveSheet", {1, (folder / std::string(300, 'n')).string()})));

    // Read back into sheet 2, which takes the file's size.
    EXPECT_TRUE(asBool(call(*file, "OpenSheet", {2, sheet})));
    EXPECT_EQ(w.view.grid().GetCurrentSheet(), 0);
    ASSERT_TRUE(w.view.SetActiveSheet(2));
    EXPECT_DOUBLE_EQ(w.view.GetCellValue(1, 1), 1.5);
    EXPECT_DOUBLE_EQ(w.view.GetCellValue(3, 5), 4.0);
    ASSERT_TRUE(w.view.SetActiveSheet(1));

    // Not sheet files: a folder, an empty file, a missing one.
    std::ofstream(folder / "empty.csv").close();
    for (const fs::path& bad : {folder, folder / "empty.csv", folder / "missing.csv"}) {
        SCOPED_TRACE(bad.string());
        EXPECT_FALSE(asBool(call(*file, "OpenSheetIntoNew", {bad.string(), "T"})));
        EXPECT_FALSE(asBool(call(*file, "OpenSheet", {1, bad.string()})));
    }
    EXPECT_EQ(w.view.grid().GetNumberSheets(), 2);
    EXPECT_DOUBLE_EQ(w.view.GetCellValue(1, 1), 1.5);

    // Save All writes one file per sheet; Open All reads them back into their sheets.
    const std::string all = (folder / "all.csv").string();
    EXPECT_TRUE(asBool(call(*file, "SaveAllSheets", {all})));
    EXPECT_TRUE(fs::exists(folder / "all.Sheet 1.csv"));
    EXPECT_TRUE(fs::exists(folder / "all.Sheet 2.csv"));
    putAt(*d, "Value", {1, 1, 9.0});
    EXPECT_TRUE(asBool(call(*file, "OpenAllSheets", {all})));
    EXPECT_DOUBLE_EQ(w.view.GetCellValue(1, 1), 1.5);
    EXPECT_FALSE(asBool(call(*file, "OpenAllSheets", {(folder / "other.csv").string()})));
    EXPECT_TRUE(asBool(call(*file, "OpenAllSheetsIntoNew", {all})));
    EXPECT_EQ(w.view.grid().GetNumberSheets(), 4);

    // Column 3 on the clipboard; a sheet that is not the current one is not copied.
    ASSERT_TRUE(w.view.SetActiveSheet(1));
    const int sets = w.clipboard.sets;
    EXPECT_TRUE(asBool(call(*clip, "CopyColumn", {3, false})));
    ASSERT_TRUE(w.clipboard.text_);
    EXPECT_EQ(*w.clipboard.text_, "\n\n\n\n4.000000");
    EXPECT_FALSE(asBool(call(*clip, "CopySheet", {2, false})));
    EXPECT_EQ(w.clipboard.sets, sets + 1);
    EXPECT_TRUE(asBool(call(*clip, "CopySheet", {1, false})));
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(GridGraphClassesTest, GraphDataEdgeCases)
{
    GraphWindow& w = addGraph(20, "Graph", 4, 10);
    DispatchPtr data = create("Harlune.GraphData");
    DispatchPtr general = create("Harlune.GraphGeneral");
    std::vector<double> x(10);
    for (int i = 0; i < 10; ++i)
        x[static_cast<size_t>(i)] = 100 + i;

    // sameforall on trace 3 reaches every trace, trace 0 too.
    EXPECT_TRUE(asBool(call(*data, "SetXData", {3, Variant::byRef(x.data(), 10), 10, true, 0})));
    for (int t = 0; t < 4; ++t) {
        std::vector<double> back(10, -1);
        EXPECT_TRUE(asBool(call(*data, "GetXData", {t, Variant::byRef(back.data(), 10), 10, 0})));
        EXPECT_EQ(back, x) << t;
    }
    // OneXForAll copies trace 0's X values.
    std::vector<double> x0(10, 7.0);
    EXPECT_TRUE(asBool(call(*data, "SetXData", {0, Variant::byRef(x0.data(), 10), 10, false, 0})));
    EXPECT_DOUBLE_EQ(asDouble(getAt(*data, "XElement", {2, 5})), 105.0);
    put(*data, "OneXForAll", true);
    for (int t = 0; t < 4; ++t)
        EXPECT_DOUBLE_EQ(w.view.GetXElement(t, 5), 7.0) << t;
    EXPECT_TRUE(asBool(get(*data, "OneXForAll")));

    // Repaint off, many changes, repaint on: drawn once.
    put(*general, "GlobalRepaint", false);
    const uint64_t repaints = w.repaints();
    std::vector<double> y(10, 3.0);
    for (int t = 0; t < 4; ++t)
        EXPECT_TRUE(asBool(call(*data, "SetYData", {t, Variant::byRef(y.data(), 10), 10, 0})));
    putAt(*data, "YElement", {1, 1, 8.0});
    call(*general, "RepaintNow");
    EXPECT_EQ(w.repaints(), repaints);
    put(*general, "GlobalRepaint", true);
    EXPECT_EQ(w.repaints(), repaints + 1);
    EXPECT_DOUBLE_EQ(w.view.GetYElement(1, 1), 8.0);

    // Counts 0 and -1 of GetYData answer TRUE and leave the array.
    for (int count : {0, -1}) {
        double keep[2] = {4, 4};
        EXPECT_TRUE(asBool(call(*data, "GetYData", {1, Variant::byRef(keep, 2), count, 0})));
        EXPECT_EQ(keep[0], 4);
        EXPECT_EQ(keep[1], 4);
    }
    EXPECT_EQ(asLong(call(*general, "GetNumberOfTraces")), 4);
    EXPECT_EQ(asLong(call(*general, "GetNumberOfPoints")), 10);
    EXPECT_TRUE(asBool(call(*data, "ClearTrace", {2})));
    EXPECT_DOUBLE_EQ(w.view.GetXElement(2, 5), 0.0);
    EXPECT_TRUE(log.sources.empty());
}

// An element put writes the window's arrays as well as the chart: GetYData and GetXData read
// the new value, and the neighbours keep theirs.
TEST_F(GridGraphClassesTest, ElementPutsReachTheArraysThatGetDataReads)
{
    addGraph(20, "Graph", 2, 5);
    DispatchPtr data = create("Harlune.GraphData");
    const struct
    {
        const char* name;
        const char* element;
        const char* setter;
        const char* getter;
    } cases[] = {
        {"Y", "YElement", "SetYData", "GetYData"},
        {"X", "XElement", "SetXData", "GetXData"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> values = {1, 2, 3, 4, 5};
        std::vector<Variant> setArgs = {0, Variant::byRef(values.data(), 5), 5, 0};
        if (std::string(c.setter) == "SetXData")
            setArgs.insert(setArgs.begin() + 3, Variant(false));
        ASSERT_TRUE(asBool(call(*data, c.setter, setArgs)));
        putAt(*data, c.element, {0, 2, 99.0});
        EXPECT_DOUBLE_EQ(asDouble(getAt(*data, c.element, {0, 2})), 99.0);
        std::vector<double> back(5, -1);
        EXPECT_TRUE(asBool(call(*data, c.getter, {0, Variant::byRef(back.data(), 5), 5, 0})));
        EXPECT_EQ(back, (std::vector<double>{1, 2, 99, 4, 5}));
        // The other trace is untouched.
        std::vector<double> other(5, -1);
        EXPECT_TRUE(asBool(call(*data, c.getter, {1, Variant::byRef(other.data(), 5), 5, 0})));
        EXPECT_EQ(other, std::vector<double>(5, 0.0));
    }
    EXPECT_TRUE(log.sources.empty());
}

// Traces and points outside the arrays, counts past the script's array, starts that would
// wrap: FALSE or 0 and nothing written outside (4 traces of 10 points).
TEST_F(GridGraphClassesTest, GraphBoundsTable)
{
    GraphWindow& w = addGraph(20, "Graph", 4, 10);
    DispatchPtr data = create("Harlune.GraphData");
    const int32_t kMax = std::numeric_limits<int32_t>::max();
    struct Case
    {
        const char* name;
        const char* member;
        int32_t trace;
        size_t arrayLength;
        int32_t count;
        int32_t start;
    };
    const Case cases[] = {
        {"trace 4", "SetYData", 4, 2, 2, 0},
        {"negative trace", "GetYData", -1, 2, 2, 0},
        {"points past the end", "SetYData", 0, 4, 4, 8},
        {"get points past the end", "GetXData", 0, 4, 4, 8},
        {"negative start", "SetYData", 0, 2, 2, -1},
        {"start 2^31 - 1", "SetYData", 0, 2, 2, kMax},
        {"get start 2^31 - 1", "GetYData", 0, 2, 2, kMax},
        {"count past the array", "SetYData", 0, 3, 4, 0},
        {"get count past the array", "GetXData", 0, 3, 4, 0},
        {"negative count", "SetYData", 0, 2, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> array(c.arrayLength, 6.0);
        EXPECT_FALSE(
            asBool(call(*data, c.member,
                        {c.trace, Variant::byRef(array.data(), array.size()), c.count, c.start})));
        EXPECT_EQ(array, std::vector<double>(c.arrayLength, 6.0));
    }
    std::vector<double> x(3, 1.0);
    EXPECT_FALSE(asBool(call(*data, "SetXData", {0, Variant::byRef(x.data(), 3), 4, true, 0})));
    for (int t = 0; t < 4; ++t)
        for (int p = 0; p < 10; ++p) {
            EXPECT_DOUBLE_EQ(w.view.GetXElement(t, p), 0.0);
            EXPECT_DOUBLE_EQ(w.view.GetYElement(t, p), 0.0);
        }
    EXPECT_DOUBLE_EQ(asDouble(getAt(*data, "XElement", {4, 0})), 0.0);
    EXPECT_DOUBLE_EQ(asDouble(getAt(*data, "YElement", {0, 10})), 0.0);
    putAt(*data, "YElement", {0, kMax, 1.0});
    EXPECT_FALSE(asBool(call(*data, "ClearTrace", {4})));
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(GridGraphClassesTest, GraphOutputsAnswerWhatWasDone)
{
    addGraph(20, "Graph", 2, 5);
    DispatchPtr general = create("Harlune.GraphGeneral");
    DispatchPtr settings = create("Harlune.GraphSettings");
    const fs::path folder = freshFolder("graph output");
    EXPECT_FALSE(asBool(call(*general, "PrintGraph")));
    EXPECT_FALSE(asBool(call(*settings, "SaveGraphSettings", {(folder / "s.ini").string()})));
    EXPECT_FALSE(asBool(call(*settings, "OpenGraphSettings", {(folder / "s.ini").string()})));
    EXPECT_FALSE(fs::exists(folder / "s.ini"));
    EXPECT_FALSE(asBool(call(*general, "SaveAsBitmap", {(folder / "no" / "g.bmp").string()})));
    EXPECT_FALSE(asBool(call(*general, "SaveAsBitmap", {std::string(300, 'b')})));
    EXPECT_TRUE(asBool(call(*general, "InitGraph", {3, 7, "Renamed"})));
    EXPECT_EQ(frame.windowTitle(20), "Renamed");
    EXPECT_EQ(asLong(call(*general, "GetNumberOfTraces")), 3);
    EXPECT_FALSE(asBool(call(*general, "InitGraph", {-1, 7, ""})));
    EXPECT_EQ(frame.windowTitle(20), "Renamed");
}

// Each property put reaches its own attribute of the target and reads back (index arguments
// first, then the value). With a graph window active, the grid objects target the first grid
// window in MDI order; the other grid keeps its defaults.
TEST_F(GridGraphClassesTest, FormatAndStylePropertiesReadBackWhatWasPut)
{
    GridWindow& other = addGrid(9, "Other", false);
    GridWindow& w = addGrid(10, "Grid A");
    addGraph(20, "Graph", 4, 10);
    struct Case
    {
        const char* progId;
        const char* property;
        std::vector<Variant> index;
        Variant value;
    };
    const std::vector<Case> cases = {
        {"Harlune.GridFormat", "HeadingAlignment", {}, int16_t{4}},
        {"Harlune.GridFormat", "HeadingFormat", {}, int16_t{2}},
        {"Harlune.GridFormat", "HeadingBackgroundColor", {}, int32_t{0x123456}},
        {"Harlune.GridFormat", "HeadingTextColor", {}, int32_t{0x00FF00}},
        {"Harlune.GridFormat", "TopHeadingHeight", {}, int32_t{31}},
        {"Harlune.GridFormat", "SideHeadingWidth", {}, int32_t{57}},
        {"Harlune.GridFormat", "CellFormat", {2, 3}, int16_t{2}},
        {"Harlune.GridFormat", "ColumnFormat", {3}, int16_t{3}},
        {"Harlune.GridFormat", "CellBackgroundColor", {1, 2}, int32_t{0xABCDEF}},
        {"Harlune.GridFormat", "ColumnBackgroundColor", {2}, int32_t{0x0000FF}},
        {"Harlune.GridFormat", "CellAlignment", {1, 1}, int16_t{2}},
        {"Harlune.GridFormat", "ColumnAlignment", {1}, int16_t{4}},
        {"Harlune.GridFormat", "CellPrecision", {3, 4}, int16_t{5}},
        {"Harlune.GridFormat", "ColumnPrecision", {2}, int16_t{3}},
        {"Harlune.GridFormat", "CellExponentialFormat", {3, 1}, true},
        {"Harlune.GridFormat", "ColumnExponentialFormat", {1}, true},
        {"Harlune.GridFormat", "CellReadOnly", {2, 5}, true},
        {"Harlune.GridFormat", "ColumnReadOnly", {3}, true},
        {"Harlune.GridFormat", "CellTextColor", {3, 3}, int32_t{0x112233}},
        {"Harlune.GridFormat", "ColumnTextColor", {2}, int32_t{0x332211}},
        {"Harlune.GridFormat", "CellBorder", {1, 4}, int16_t{15}},
        {"Harlune.GridFormat", "ColumnBorder", {2}, int16_t{240}},
        {"Harlune.GraphCursor", "Enabled", {}, true},
        {"Harlune.GraphCursor", "Color", {}, int32_t{0x00FF00}},
        {"Harlune.GraphCursor", "Style", {}, int16_t{4}},
        {"Harlune.GraphCursor", "Width", {}, int16_t{3}},
        {"Harlune.GraphCursor", "Point", {}, int32_t{6}},
        {"Harlune.GraphCursor", "ActiveTrace", {}, int32_t{2}},
        {"Harlune.GraphScale", "XAxisMin", {}, -5.0},
        {"Harlune.GraphScale", "XAxisMax", {}, 50.0},
        {"Harlune.GraphScale", "YAxisMin", {}, -1.5},
        {"Harlune.GraphScale", "YAxisMax", {}, 8.5},
        {"Harlune.GraphGrid", "Enabled", {}, true},
        {"Harlune.GraphGrid", "Color", {}, int32_t{0x808080}},
        {"Harlune.GraphGrid", "Style", {}, int16_t{5}},
        {"Harlune.GraphGrid", "Width", {}, int16_t{2}},
        {"Harlune.GraphLegend", "Visible", {}, true},
        {"Harlune.GraphLegend", "ForegroundColor", {}, int32_t{0x0000FF}},
        {"Harlune.GraphLegend", "Floating", {}, false},
        {"Harlune.GraphLegend", "Border", {}, int16_t{4}},
        {"Harlune.GraphLegend", "Orientation", {}, int16_t{2}},
        {"Harlune.GraphLegend", "BorderWidth", {}, int16_t{3}},
        {"Harlune.GraphLegend", "BackgroundColor", {}, int32_t{0xEEEEEE}},
        {"Harlune.GraphLegend", "Text", {2}, std::string("third")},
        {"Harlune.GraphTitles", "XTitle", {}, std::string("Wavelength")},
        {"Harlune.GraphTitles", "YTitle", {}, std::string("Counts")},
        {"Harlune.GraphTitles", "MainTitle", {}, std::string("Run 1")},
        {"Harlune.GraphTraceSettings", "LineColor", {1}, int32_t{0x0000AA}},
        {"Harlune.GraphTraceSettings", "LineWidth", {1}, int16_t{4}},
        {"Harlune.GraphTraceSettings", "LineStyle", {2}, int16_t{3}},
        {"Harlune.GraphTraceSettings", "PointSize", {3}, int16_t{6}},
        {"Harlune.GraphTraceSettings", "PointStyle", {3}, int16_t{9}},
        {"Harlune.GraphTraceSettings", "PointColor", {0}, int32_t{0x00AA00}},
        {"Harlune.GraphTraceSettings", "PointFillPattern", {0}, int16_t{4}},
        {"Harlune.GraphData", "FirstPoint", {1}, int32_t{2}},
        {"Harlune.GraphData", "LastPoint", {1}, int32_t{7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + "." + c.property);
        DispatchPtr o = create(c.progId);
        std::vector<Variant> args = c.index;
        args.push_back(c.value);
        putAt(*o, c.property, args);
        EXPECT_EQ(getAt(*o, c.property, c.index), c.value);
    }
    EXPECT_EQ(other.view.GetTopHeadingHeight(), 31);
    EXPECT_EQ(other.view.GetCellPrecision(3, 4), 5);
    EXPECT_NE(w.view.GetTopHeadingHeight(), 31);
    EXPECT_EQ(w.view.GetCellPrecision(3, 4), 0);
    EXPECT_TRUE(log.sources.empty());
}

// The methods of the format and general classes reach the grid with their 1-based numbers.
TEST_F(GridGraphClassesTest, GridMethodsChangeTheTargetGrid)
{
    GridWindow& w = addGrid(10, "Grid A");
    CHarluneGridView& v = w.view;
    DispatchPtr f = create("Harlune.GridFormat");
    DispatchPtr g = create("Harlune.GridGeneral");
    const int32_t font = asLong(call(*f, "RegisterFont", {"Courier", int16_t{12}, int16_t{700}}));
    EXPECT_GE(font, 0);
    struct Case
    {
        const char* name;
        IDispatch* object;
        const char* member;
        std::vector<Variant> args;
        bool result;
        std::function<bool()> check;
    };
    const std::vector<Case> cases = {
        {"sheet precision",
         f.get(),
         "SetSheetPrecision",
         {int16_t{3}},
         true,
         [&] { return v.GetCellPrecision(2, 5) == 3 && v.GetCellPrecision(1, 1) == 3; }},
        {"sheet text colour",
         f.get(),
         "SetSheetTextColor",
         {int32_t{0x0A0B0C}},
         true,
         [&] { return v.GetCellTextColor(3, 2) == 0x0A0B0C; }},
        {"sheet read-only",
         f.get(),
         "SetSheetReadOnly",
         {true},
         true,
         [&] { return v.GetCellReadOnly(1, 3); }},
        {"sheet border",
         f.get(),
         "SetSheetBorder",
         {int16_t{15}},
         true,
         [&] { return v.GetCellBorder(2, 2) == 15; }},
        {"cell font", f.get(), "SetCellFont", {2, 2, font}, true, [] { return true; }},
        {"autosize", f.get(), "AutosizeColumn", {1, 3, 5, int16_t{1}}, true, [] { return true; }},
        {"autosize backwards",
         f.get(),
         "AutosizeColumn",
         {3, 1, 5, int16_t{1}},
         false,
         [] { return true; }},
        {"insert row before the first",
         g.get(),
         "InsertRow",
         {0},
         true,
         [&] { return v.grid().GetNumberRows() == 6; }},
        {"delete column 1",
         g.get(),
         "DeleteColumn",
         {1},
         true,
         [&] { return v.grid().GetNumberCols() == 2; }},
        {"rename sheet 2",
         g.get(),
         "RenameSheet",
         {2, "Second"},
         true,
         [&] { return v.grid().GetTabLabel(1) == "Second"; }},
        {"insert a sheet",
         g.get(),
         "InsertSheet",
         {4, 3, "Third"},
         true,
         [&] { return v.grid().GetNumberSheets() == 3 && v.grid().GetCurrentSheet() == 2; }},
        {"sheet 1 current",
         g.get(),
         "SetActiveSheet",
         {1},
         true,
         [&] { return v.grid().GetCurrentSheet() == 0; }},
        {"active cell",
         g.get(),
         "SetActiveCell",
         {2, 3},
         true,
         [&] { return v.grid().IsSelected(1, 2) != 0 && v.grid().IsSelected(0, 0) == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(asBool(call(*c.object, c.member, c.args)), c.result);
        EXPECT_TRUE(c.check());
    }
    EXPECT_TRUE(log.sources.empty());
}

// A value for each parameter type, an array of 16 for a by-reference double.
std::vector<Variant> argumentsFor(const MemberDescription& m,
                                  std::vector<std::vector<double>>& keep)
{
    std::vector<Variant> args;
    for (const ParamDescription& p : m.params) {
        switch (p.type) {
        case ParamType::Bstr:
            args.emplace_back(std::string("x"));
            break;
        case ParamType::DoubleRef:
            keep.emplace_back(16, 0.0);
            args.push_back(Variant::byRef(keep.back().data(), 16));
            break;
        case ParamType::Bool:
            args.emplace_back(true);
            break;
        case ParamType::Double:
            args.emplace_back(1.0);
            break;
        default:
            args.emplace_back(int32_t{1});
            break;
        }
    }
    return args;
}

// Without a grid or graph window every member answers its neutral result; only the classes
// with a source name log, one line per call.
TEST_F(GridGraphClassesTest, WithoutAWindowEveryMemberIsNeutral)
{
    std::vector<const char*> all = kGridProgIds;
    all.insert(all.end(), kGraphProgIds.begin(), kGraphProgIds.end());
    size_t expectedLines = 0;
    size_t members = 0;
    for (const char* progId : all) {
        const ClassInfo& info = *findClassByProgId(progId);
        const DispatchTable* table = registry.dispatchTable(info);
        ASSERT_NE(table, nullptr) << progId;
        DispatchPtr o = create(progId);
        for (const MemberDescription& m : table->members()) {
            SCOPED_TRACE(std::string(progId) + "." + m.name);
            ++members;
            if (m.name == "CreateGrid")
                continue;
            std::vector<std::vector<double>> keep;
            std::vector<Variant> args = argumentsFor(m, keep);
            const bool window = m.name.rfind("SetGrid", 0) == 0 || m.name.rfind("SetGraph", 0) == 0;
            const Variant result = invokeMember(
                *o, m.name, m.kind == MemberKind::Method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET,
                args);
            EXPECT_EQ(result, neutralResult(m.result));
            if (info.sourceName && !window)
                ++expectedLines;
            if (m.put) {
                std::vector<Variant> putArgs = args;
                putArgs.push_back(neutralResult(m.result));
                invokeMember(*o, m.name, DISPATCH_PROPERTYPUT, putArgs);
                if (info.sourceName)
                    ++expectedLines;
            }
            for (const std::vector<double>& array : keep)
                EXPECT_EQ(array, std::vector<double>(16, 0.0));
        }
    }
    EXPECT_EQ(members, 8u + 9 + 14 + 45 + 10 + 2 + 11 + 14 + 11 + 9 + 7 + 13 + 4 + 5 + 10);
    EXPECT_EQ(log.sources.size(), expectedLines);
    for (const std::string& source : log.sources)
        EXPECT_TRUE(source == "I_GridData" || source == "I_GridFormat" ||
                    source == "I_GridGeneral" || source == "I_GraphCursor")
            << source;
}

class ScriptHost : public platform::basic::InterpreterHost
{
public:
    void debugPrint(const std::string& text) override { output += text + "\n"; }
    void doEvents() override {}
    int msgBox(const std::string&, int, const std::string&) override { return 1; }
    DispatchPtr namedObject(const std::string&) override { return {}; }
    std::vector<DispatchPtr> extensions() override { return {}; }
    std::string output;
};

TEST_F(GridGraphClassesTest, ABasicScriptFillsSavesAndReadsGridsAndGraphs)
{
    registerHarluneAutomation(ClassRegistry::instance());
    registerGridAutomation(ClassRegistry::instance());
    frame.onNewGrid = [&] { addGrid(30, "Data"); };
    frame.onNewGraph = [&] { addGraph(31, "Plot", 0, 0); };
    const fs::path folder = freshFolder("script files");
    const std::string dir = folder.string() + "/";
    const std::string script = R"(Sub Main
Dim w, d, f, c, g, gd, i, ok
Dim a(3) As Double, b(3) As Double, x(4) As Double, y(4) As Double
Set w = CreateObject("Harlune.GenWindows")
w.NewGridWindow 3, 10, 2, "Data"
Set d = CreateObject("Harlune.GridData")
Set f = CreateObject("Harlune.GridFile")
Set c = CreateObject("Harlune.GridClipboard")
For i = 0 To 3
    a(i) = i * 1.5 + 1
Next i
Debug.Print d.PutArrayInColumn(3, 2, a(0), 4)
Debug.Print d.GetArrayFromColumn(3, 2, b(0), 4); b(0); b(3)
Debug.Print f.SaveSheet(1, ")" +
                               dir + R"(sheet.csv")
Debug.Print f.OpenSheetIntoNew(")" +
                               dir + R"(sheet.csv", "Back")
Debug.Print d.Value(3, 5)
Debug.Print f.SaveAllSheets(")" +
                               dir + R"(all.csv")
Debug.Print f.OpenAllSheetsIntoNew(")" +
                               dir + R"(all.csv")
Debug.Print c.CopyColumn(3, False)
w.NewGraphWindow 2, 5, "Plot"
Set g = CreateObject("Harlune.GraphGeneral")
Set gd = CreateObject("Harlune.GraphData")
Debug.Print g.InitGraph(2, 5, "Plot")
For i = 0 To 4
    x(i) = i
    y(i) = i * i
Next i
Debug.Print gd.SetXData(0, x(0), 5, True, 0); gd.SetYData(1, y(0), 5, 0); gd.YElement(1, 4)
Debug.Print g.SaveAsBitmap(")" +
                               dir + R"(plot.bmp")
Debug.Print g.SaveAsBitmap(")" +
                               dir + R"(missing/plot.bmp")
End Sub
)";
    ScriptHost host;
    platform::basic::Interpreter in(host);
    platform::basic::ScriptError error;
    ASSERT_TRUE(in.load(script, "Test", error)) << error.description << " at " << error.line;
    ASSERT_EQ(in.call("Main", {}), platform::basic::RunStatus::Completed)
        << in.lastError().description << " at " << in.lastError().line;
    EXPECT_EQ(host.output, "True\n"
                           "True 1  5.5\n"
                           "True\n"
                           "True\n"
                           " 5.5\n"
                           "True\n"
                           "True\n"
                           "True\n"
                           "True\n"
                           "TrueTrue 16\n"
                           "True\n"
                           "False\n");
    // The sheet read back holds the same numbers; Open All added the three saved sheets (the
    // last one current when column 3 was copied).
    GridWindow& grid = *grids[30];
    CHarluneGridView& view = grid.view;
    EXPECT_EQ(view.grid().GetNumberSheets(), 6);
    EXPECT_EQ(view.grid().GetTabLabel(5), "all.Back.csv");
    for (int sheet : {3, 4, 6}) {
        ASSERT_TRUE(view.SetActiveSheet(sheet));
        for (int i = 0; i < 4; ++i)
            EXPECT_DOUBLE_EQ(view.GetCellValue(3, 2 + i), i * 1.5 + 1) << sheet;
    }
    EXPECT_EQ(view.grid().GetTabLabel(2), "Back");
    ASSERT_TRUE(grid.clipboard.text_);
    EXPECT_EQ(*grid.clipboard.text_, "\n1.000000\n2.500000\n4.000000\n5.500000");
    QImage image;
    EXPECT_TRUE(image.load(QString::fromStdString(dir + "plot.bmp"), "BMP"));
    EXPECT_FALSE(fs::exists(dir + "missing/plot.bmp"));
    EXPECT_TRUE(log.sources.empty());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
