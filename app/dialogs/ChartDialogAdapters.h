#pragma once

#include "app/dialogs/ChartDialogNeighbours.h"

#include <functional>

class CHarluneGraphView;
class CHarluneSpectrumView;
class SpectrumDocWindow;

namespace app::dialogs {

class DialogMainFrame;

// The spectrum view's sixteen data-style records and its chart, for the display sheet.
class SpectrumDisplayAdapter : public DisplaySheetView
{
public:
    explicit SpectrumDisplayAdapter(CHarluneSpectrumView& view) : m_view(view) {}
    platform::chart::XrtHandle chart() override;
    platform::chart::XrtDataStyle& traceStyle(int trace) override;

private:
    CHarluneSpectrumView& m_view;
};

// The preference record of the main frame, the view's default file names, its
// configuration's threshold and its window's sounds, for the properties sheet.
class SpectrumPropertiesAdapter : public PropertiesSheetView
{
public:
    SpectrumPropertiesAdapter(CHarluneSpectrumView& view, DialogMainFrame& mainFrame,
                              SpectrumDocWindow& window)
        : m_view(view), m_mainFrame(mainFrame), m_window(window)
    {}
    MainFramePreferences& preferenceRecord() override;
    std::string displaySettingsFile() override;
    void setDisplaySettingsFile(const std::string& name) override;
    std::string spectrometerFile() override;
    void setSpectrometerFile(const std::string& name) override;
    std::string timeAcquisitionFile() override;
    void setTimeAcquisitionFile(const std::string& name) override;
    double GetScopeModeSaturationThreshold() override;
    void SetScopeModeSaturationThreshold(double threshold) override;
    void playSoundAsync(const std::string& file) override;

private:
    CHarluneSpectrumView& m_view;
    DialogMainFrame& m_mainFrame;
    SpectrumDocWindow& m_window;
};

// The spectrum view's chart, fonts, legend flag, title and annotations, for the chart
// dialogs. The client size comes from the view's window.
class SpectrumChartOwnerAdapter : public ChartSpectrumOwner
{
public:
    SpectrumChartOwnerAdapter(CHarluneSpectrumView& view,
                              std::function<std::array<int, 2>()> clientSize)
        : m_view(view), m_clientSize(std::move(clientSize))
    {}
    platform::chart::XrtHandle chart() override;
    DialogFont titleFont() override;
    void setTitleFont(const DialogFont& font) override;
    DialogFont axisFont() override;
    void setAxisFont(const DialogFont& font) override;
    DialogFont legendFont() override;
    void setLegendFont(const DialogFont& font) override;
    int legendFloating() override;
    void setLegendFloating(int floating) override;
    void SetGraphTitle(const std::string& title) override;
    std::array<int, 2> clientSize() override;
    Annotation annotation(int index) override;
    Annotation annotationDefaults() override;
    void setAnnotationDefaults(const DialogFont& font, platform::chart::XrtColor color) override;

private:
    CHarluneSpectrumView& m_view;
    std::function<std::array<int, 2>()> m_clientSize;
};

// The graph view's traces, titles, fonts and legend, for the chart dialogs.
class GraphChartOwnerAdapter : public ChartGraphOwner
{
public:
    explicit GraphChartOwnerAdapter(CHarluneGraphView& view,
                                    std::function<std::array<int, 2>()> clientSize)
        : m_view(view), m_clientSize(std::move(clientSize))
    {}
    platform::chart::XrtHandle chart() override;
    int traces() override;
    platform::chart::XrtDataStyle traceStyle(int trace) override;
    std::string legendText(int trace) override;
    void setTraceLineColor(int trace, platform::chart::XrtColor color) override;
    void setTracePointColor(int trace, platform::chart::XrtColor color) override;
    void setTraceLineStyle(int trace, int value) override;
    void setTraceLineWidth(int trace, int value) override;
    void setTracePointFillPattern(int trace, int value) override;
    void setTracePointSize(int trace, int value) override;
    void setTracePointStyle(int trace, int value) override;
    void setLegendText(int trace, const std::string& text) override;
    void setMainTitle(const std::string& text) override;
    void setXTitle(const std::string& text) override;
    void setYTitle(const std::string& text) override;
    void repaint() override;
    DialogFont titleFont() override;
    void setTitleFont(const DialogFont& font) override;
    DialogFont axisFont() override;
    void setAxisFont(const DialogFont& font) override;
    DialogFont legendFont() override;
    void setLegendFont(const DialogFont& font) override;
    int legendFloating() override;
    void setLegendFloating(int floating) override;
    std::array<int, 2> clientSize() override;

private:
    CHarluneGraphView& m_view;
    std::function<std::array<int, 2>()> m_clientSize;
};

} // namespace app::dialogs
