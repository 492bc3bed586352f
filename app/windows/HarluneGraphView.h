#pragma once

#include "platform/chart/XrtTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The graph window's view without Qt: the trace data, the style records and every member that
// scripts and the View menu call, each turned into calls of the chart function set on the
// chart the window shows. The widget around it (app/windows/qt) answers the host's questions.
// GUI thread only; automation calls arrive on the same thread.

class CHarluneGraphView;

// The grid dialog's fields.
struct GraphGridDialogValues
{
    platform::chart::XrtColor color = 0;
    int pattern = 0;
    int width = 0;
};

// What the view needs of the window and the program around it.
class GraphViewHost
{
public:
    virtual ~GraphViewHost() = default;
    // The script's verdict on a user action (its MENUVERIFY value): 0 forbids it.
    virtual int VerifyCommand(int menuVerify) = 0;
    // Reports a caught failure to the error log with the source file and line.
    virtual void logException(const std::string& description, const char* file, int line) = 0;
    // The chart window's client size in pixels.
    virtual std::array<int, 2> chartClientSize() = 0;
    virtual void setFocus() {}
    virtual void beginWaitCursor() {}
    virtual void endWaitCursor() {}
    // A save-file dialog (hide read-only, prompt before overwriting); nothing on Cancel.
    virtual std::optional<std::string> chooseSaveFile(const std::string& title,
                                                      const std::string& filters,
                                                      const std::string& defaultExtension) = 0;
    // The colour dialog (initial colour given, any colour); nothing on Cancel.
    virtual std::optional<platform::chart::XrtColor> chooseColor(platform::chart::XrtColor c) = 0;
    // The drawing calls (they need the toolkit): 1 on success.
    virtual int drawChartToFile(platform::chart::XrtHandle chart, const std::string& path) = 0;
    virtual int drawChartToClipboard(platform::chart::XrtHandle chart) = 0;
    // The framework's print, print preview and close of the window.
    virtual void filePrint() {}
    virtual void filePrintPreview() {}
    virtual void closeWindow() {}

    // The chart dialogs. Each answers IDOK (1) or IDCANCEL (2). The axis-text dialog runs in
    // graph mode (0 main title, 1 X axis, 2 Y axis) and changes the chart while it is open.
    virtual int runAxisTextDialog(CHarluneGraphView& view, int mode, const std::string& title) = 0;
    // The scale dialog captioned for a graph with its four texts (X min, X max, Y min, Y max).
    virtual std::optional<std::array<std::string, 4>>
    showSetScaleDialog(const std::array<std::string, 4>& texts) = 0;
    virtual int runTraceDialog(CHarluneGraphView& view) = 0;
    virtual std::optional<GraphGridDialogValues>
    showGridDialog(const GraphGridDialogValues& values) = 0;
    virtual int runLegendDialog(CHarluneGraphView& view) = 0;
};

// One call the view made on its chart, for the observer: a property set (set -1), or a data
// style given to set `set` (id kStyleCall).
struct GraphChartCall
{
    static constexpr int kStyleCall = -1;
    int id = 0;
    int set = -1;
    platform::chart::XrtValue value;
};

class CHarluneGraphView
{
public:
    static constexpr int kTextLimit = 254;

    // Command ids of menu 210.
    enum Command : unsigned
    {
        ID_GRAPH_FILE_SAVE = 32785,
        ID_GRAPH_SAVE_SETTINGS_AS_DEFAULT = 33029,
        ID_FILE_PRINT = 57607,
        ID_FILE_PRINT_PREVIEW = 57609,
        ID_FILE_CLOSE = 57602,
        ID_FILE_PRINT_DIRECT = 57608,
        ID_EDIT_COPY = 57634,
        ID_AUTOSCALE_X = 33013,
        ID_AUTOSCALE_Y = 33012,
        ID_SET_SCALE = 33014,
        ID_UNSCALE = 33015,
        ID_BACKGROUND_COLOR = 33016,
        ID_FOREGROUND_COLOR = 33017,
        ID_GRID_ENABLED = 33018,
        ID_GRID_CONFIGURE = 33019,
        ID_CURSOR_ENABLED = 33020,
        ID_CURSOR_CONFIGURE = 33021,
        ID_TRACES = 33022,
        ID_LEGEND_ENABLED = 33023,
        ID_LEGEND_FLOATING = 33024,
        ID_LEGEND_CONFIGURE = 33025,
        ID_TITLE_X = 33041,
        ID_TITLE_Y = 33027,
        ID_TITLE_MAIN = 33028,
    };

    // The view drives the chart by its handle; the chart is the window's and outlives the view
    // core's use of it. The host must outlive the view.
    CHarluneGraphView(GraphViewHost& host, platform::chart::XrtHandle chart);
    ~CHarluneGraphView();
    CHarluneGraphView(const CHarluneGraphView&) = delete;
    CHarluneGraphView& operator=(const CHarluneGraphView&) = delete;

    platform::chart::XrtHandle chart() const { return m_chart; }
    platform::chart::XrtHandle dataObject() const { return m_data; }
    int traces() const { return m_traces; }
    int points() const { return m_points; }
    // Sees every set call the view makes on its chart (a test hook).
    void setCallObserver(std::function<void(const GraphChartCall&)> observer);

    // Sets the chart up for traces x points; FALSE for negative counts or a failure.
    bool InitGraph(int traces, int points);
    // Window events: the resize lays out the chart area between repaint brackets; the click
    // (chart pixels) moves the cursor when it is on; destroy frees the data.
    void OnSize(int width, int height);
    void OnLButtonDown(int x, int y);
    void OnDestroy();

    // Menu commands; false when the id is not one of the view's.
    bool OnCommand(unsigned id);
    // The view's command table: the ids OnCommand answers. The window routes these ids, and
    // no others, into the view.
    static bool answersCommand(unsigned id);
    // The check mark of a command; nothing for an item without one.
    std::optional<bool> commandChecked(unsigned id);

    // Repaint rule.
    void RepaintIfEnabled();
    bool SetGlobalRepaint(bool flag);
    bool GetGlobalRepaint() const { return m_globalRepaint; }

    // Data.
    bool SetXData(int trace, const double* values, int count, bool allTraces, int first);
    bool SetYData(int trace, const double* values, int count, int first);
    bool GetXData(int trace, double* values, int count, int first) const;
    bool GetYData(int trace, double* values, int count, int first) const;
    bool SetOneXForAll(bool flag);
    bool GetOneXForAll() const { return m_oneXForAll; }
    bool SetFirstPoint(int trace, int point);
    bool SetLastPoint(int trace, int point);
    int GetFirstPoint(int trace) const;
    int GetLastPoint(int trace) const;
    bool SetFirstSet(int set);
    bool SetLastSet(int set);
    int GetFirstSet() const;
    int GetLastSet() const;
    bool SetXElement(int trace, int point, double value);
    bool SetYElement(int trace, int point, double value);
    double GetXElement(int trace, int point) const;
    double GetYElement(int trace, int point) const;
    bool ClearTrace(int trace);

    // Legend.
    bool SetLegendVisible(int flag);
    int GetLegendVisible() const;
    bool SetLegendPosition(int anchor);
    int GetLegendPosition() const;
    bool SetLegendText(int trace, const std::string& text);
    std::string GetLegendText(int trace) const;
    bool SetLegendBackgroundColor(platform::chart::XrtColor color);
    platform::chart::XrtColor GetLegendBackgroundColor() const;
    bool SetLegendForegroundColor(platform::chart::XrtColor color);
    platform::chart::XrtColor GetLegendForegroundColor() const;
    bool SetLegendBorder(int border);
    int GetLegendBorder() const;
    bool SetLegendBorderWidth(int width);
    int GetLegendBorderWidth() const;
    bool SetLegendOrientation(int orientation);
    int GetLegendOrientation() const;
    bool SetLegendFont(const std::string& face, int height);
    bool SetLegendFloating(bool flag);
    bool GetLegendFloating() const { return m_legendFloating; }

    // Scale.
    bool SetXAxisMin(double value);
    bool SetXAxisMax(double value);
    bool SetYAxisMin(double value);
    bool SetYAxisMax(double value);
    double GetXAxisMin() const;
    double GetXAxisMax() const;
    double GetYAxisMin() const;
    double GetYAxisMax() const;
    bool AutoscaleX();
    bool AutoscaleY();

    // Trace styles (fields of the nine-field record).
    bool SetTraceLineStyle(int trace, int value);
    bool SetTracePointFillPattern(int trace, int value);
    bool SetTraceLineColor(int trace, platform::chart::XrtColor value);
    bool SetTraceLineWidth(int trace, int value);
    bool SetTracePointStyle(int trace, int value);
    bool SetTracePointColor(int trace, platform::chart::XrtColor value);
    bool SetTracePointSize(int trace, int value);
    int GetTraceLineStyle(int trace) const;
    int GetTracePointFillPattern(int trace) const;
    platform::chart::XrtColor GetTraceLineColor(int trace) const;
    int GetTraceLineWidth(int trace) const;
    int GetTracePointStyle(int trace) const;
    platform::chart::XrtColor GetTracePointColor(int trace) const;
    int GetTracePointSize(int trace) const;
    bool GetTraceStyle(int trace, platform::chart::XrtDataStyle* record) const;
    // Where the trace dialog writes its changes before OK.
    platform::chart::XrtDataStyle* traceStyle(int trace);

    // Grid.
    bool SetGridEnabled(bool flag);
    bool GetGridEnabled() const { return m_gridEnabled; }
    bool SetGridColor(platform::chart::XrtColor color);
    platform::chart::XrtColor GetGridColor() const { return m_grid.lineColor; }
    bool SetGridWidth(int width);
    int GetGridWidth() const { return m_grid.lineWidth; }
    bool SetGridStyle(int pattern);
    int GetGridStyle() const { return m_grid.linePattern; }

    // Cursor.
    bool SetCursorEnabled(int flag);
    int GetCursorEnabled() const;
    bool SetCursorColor(platform::chart::XrtColor color);
    platform::chart::XrtColor GetCursorColor() const { return m_cursor.lineColor; }
    bool SetCursorStyle(int style);
    int GetCursorStyle() const { return m_cursor.linePattern; }
    bool SetCursorWidth(int width);
    int GetCursorWidth() const { return m_cursor.lineWidth; }
    bool SetCursorActiveTrace(int trace);
    int GetCursorActiveTrace() const;
    bool SetCursorPoint(int point);
    int GetCursorPoint() const;
    double GetXValueAtCursor(int trace) const;
    double GetYValueAtCursor(int trace) const;

    // Titles.
    bool SetXTitle(const std::string& text);
    bool SetYTitle(const std::string& text);
    bool SetMainTitle(const std::string& text);
    std::string GetXTitle() const;
    std::string GetYTitle() const;
    std::string GetMainTitle() const;
    // The axis-title font that the view keeps.
    const platform::chart::XrtFont& axisTitleFont() const { return m_axisFont; }
    // Keeps the axis-title font a dialog gave the chart.
    void setAxisTitleFont(const platform::chart::XrtFont& font) { m_axisFont = font; }

    // Output.
    bool CopyToClipboard();
    bool SaveAsBitmap(const std::string& path);
    bool PrintGraph() { return true; }
    bool PrintPreview() { return true; }
    // No settings file is written or read: FALSE.
    bool SaveGraphSettings(const std::string&) { return false; }
    bool OpenGraphSettings(const std::string&) { return false; }

    // Dialogs.
    bool ShowScaleDialog();
    bool ShowTraceConfigurationDialog();
    bool ShowGridConfigurationDialog();
    bool ShowLegendConfigurationDialog();
    bool ShowCursorConfigurationDialog();

private:
    struct Trace
    {
        std::vector<double> x;
        std::vector<double> y;
        platform::chart::XrtDataStyle style;
        std::string legend;
    };

    void set(int id, const platform::chart::XrtValue& value);
    void setStyle(int trace, const platform::chart::XrtDataStyle& style);
    int readInt(int id) const;
    double readDouble(int id) const;
    std::string readText(int id) const;
    void repaintOff() { set(273, 0); }
    bool validTrace(int trace) const { return trace >= 0 && trace < m_traces; }
    bool validPoint(int point) const { return point >= 0 && point < m_points; }
    bool validRange(int count, int first) const;
    void layoutChartArea();
    void setLegendList();
    void setGridRecord();
    bool setAxisLimit(int autoA, int autoB, int limitA, int limitB, double value);
    bool setAutoscale(std::array<int, 4> flags);
    template <typename Field> bool setTraceField(int trace, Field field, std::int64_t value);
    double valueAtCursor(int trace, bool wantX) const;
    void runTitleDialog(int mode);
    void runColorCommand(int property);
    void freeData();

    GraphViewHost& m_host;
    platform::chart::XrtHandle m_chart = 0;
    platform::chart::XrtHandle m_data = 0;
    int m_traces = 0;
    int m_points = 0;
    std::vector<Trace> m_traceData;
    platform::chart::XrtDataStyle m_grid;
    platform::chart::XrtDataStyle m_cursor;
    int m_gridPattern = 3;
    bool m_gridEnabled = false;
    bool m_oneXForAll = false;
    bool m_legendFloating = true;
    bool m_globalRepaint = true;
    platform::chart::XrtFont m_legendFont;
    platform::chart::XrtFont m_axisFont;
    platform::chart::XrtColor m_textColor = 0;
    int m_activeTrace = 0;
    std::function<void(const GraphChartCall&)> m_observer;
};

// Where a printed graph goes: the chart's aspect ratio kept, filling the page in the limiting
// direction and centred in the other. A window or page without area gives the whole page.
struct GraphPrintRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const GraphPrintRect&) const = default;
};
GraphPrintRect graphPrintRect(int chartWidth, int chartHeight, int pageWidth, int pageHeight);

// Cuts a text to at most `limit` bytes without splitting a UTF-8 character.
std::string cutText(const std::string& text, std::size_t limit);
