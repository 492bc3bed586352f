#pragma once

#include "app/windows/HarluneGraphView.h"
#include "platform/chart/Chart2D.h"
#include "platform/framework/Document.h"
#include "platform/framework/View.h"

#include <functional>
#include <memory>

// The graph window's document: it holds nothing; the view keeps the traces.
class CHarluneGraphDoc : public platform::framework::Document
{};

// The graph window's widget: it embeds the chart window, forwards clicks, resizes and the
// commands of menu 210 to its CHarluneGraphView and answers the view's questions with the
// program's dialogs. GUI thread only.
class GraphViewWidget : public platform::framework::View, public GraphViewHost
{
public:
    // verify answers the script's verdict on a user action (0 forbids it).
    explicit GraphViewWidget(std::function<int(int)> verify, QWidget* parent = nullptr);
    ~GraphViewWidget() override;

    CHarluneGraphView& core() { return *m_core; }
    platform::chart::CChart2D& chartWindow() { return *m_chartWindow; }
    QSize sizeHint() const override { return QSize(640, 420); }

    void OnDraw(platform::framework::CDC* dc) override;
    bool OnPreparePrinting(platform::framework::PrintInfo* info) override;
    void OnBeginPrinting(platform::framework::CDC*, platform::framework::PrintInfo*) override {}
    void OnEndPrinting(platform::framework::CDC*, platform::framework::PrintInfo*) override {}
    void OnPrint(platform::framework::CDC* dc, platform::framework::PrintInfo* info) override;

    // GraphViewHost
    int VerifyCommand(int menuVerify) override;
    void logException(const std::string& description, const char* file, int line) override;
    std::array<int, 2> chartClientSize() override;
    void setFocus() override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    std::optional<std::string> chooseSaveFile(const std::string& title, const std::string& filters,
                                              const std::string& defaultExtension) override;
    std::optional<platform::chart::XrtColor> chooseColor(platform::chart::XrtColor c) override;
    int drawChartToFile(platform::chart::XrtHandle chart, const std::string& path) override;
    int drawChartToClipboard(platform::chart::XrtHandle chart) override;
    void filePrint() override;
    void filePrintPreview() override;
    void closeWindow() override;
    int runAxisTextDialog(CHarluneGraphView& view, int mode, const std::string& title) override;
    std::optional<std::array<std::string, 4>>
    showSetScaleDialog(const std::array<std::string, 4>& texts) override;
    int runTraceDialog(CHarluneGraphView& view) override;
    std::optional<GraphGridDialogValues>
    showGridDialog(const GraphGridDialogValues& values) override;
    int runLegendDialog(CHarluneGraphView& view) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<int(int)> m_verify;
    platform::chart::CChart2D* m_chartWindow = nullptr;
    std::unique_ptr<CHarluneGraphView> m_core;
    int m_waitDepth = 0;
};
